// What the program says about itself: its command line (help, version, the clone file to open),
// the About box text, and where it finds its data.
#include "app/cuiProgramInfo.h"
#include "common/cmcDataDir.h"
#include "common/cmcMessage.h"
#include "common/cmcVersion.h"
#include "defs/cmcGTex.h"
#include "support/cmcTestSupport.h"

#include <QDir>
#include <gtest/gtest.h>

#include <regex>
#include <vector>

using namespace qx;

namespace {

struct Argv {
    std::vector<std::string> words;
    std::vector<char*> ptrs;
    explicit Argv(std::vector<std::string> args) : words(std::move(args)) {
        words.insert(words.begin(), "qx-p2210");
        for (auto& w : words) ptrs.push_back(w.data());
        ptrs.push_back(nullptr);
    }
    int argc() const { return static_cast<int>(words.size()); }
    char** argv() { return ptrs.data(); }
};

std::string Absolute(const std::string& name) { return QDir::current().absoluteFilePath(QString::fromStdString(name)).toStdString(); }

}  // namespace

TEST(ProgramCommandLine, TakesAtMostOneFileAndRefusesUnknownOptions) {
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string file;
    } cases[] = {
        {{}, 0, ""},
        {{"radio.qcf"}, 0, Absolute("radio.qcf")},
        {{"/abs/radio.qcf"}, 0, "/abs/radio.qcf"},
        {{"--", "-dash.qcf"}, 0, Absolute("-dash.qcf")},
        {{"--bogus"}, 64, ""},
        {{"a.qcf", "b.qcf"}, 64, ""},
    };
    for (auto& c : cases) {
        Argv a(c.args);
        std::string file;
        testing::internal::CaptureStderr();
        EXPECT_EQ(cuiFileArgument(a.argc(), a.argv(), &file), c.status) << a.words.size();
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(file, c.file);
        EXPECT_EQ(err.empty(), c.status == 0) << err;
    }
}

TEST(ProgramCommandLine, HelpAndVersionAnswerBeforeAnyWindow) {
    Argv version({"-platform", "offscreen", "--version"});
    testing::internal::CaptureStdout();
    EXPECT_EQ(cuiInfoOptions(version.argc(), version.argv()), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "qx-p2210 " + cmcVersion() + "\n");

    Argv help({"-h"});
    testing::internal::CaptureStdout();
    EXPECT_EQ(cuiInfoOptions(help.argc(), help.argv()), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), cuiUsageText());

    Argv file({"radio.qcf"}), afterEnd({"--", "--version"});
    EXPECT_EQ(cuiInfoOptions(file.argc(), file.argv()), std::nullopt);
    EXPECT_EQ(cuiInfoOptions(afterEnd.argc(), afterEnd.argv()), std::nullopt);
}

TEST(ProgramInfo, AboutTextNamesVersionBuildDateAndDataFolder) {
    cmcGTex store;
    SetGTex(&store);
    ASSERT_TRUE(store.SetFileName(test::BinDir() + "/ZT5531K.OVL"));
    const std::string text = cuiAboutText();
    SetGTex(nullptr);

    EXPECT_TRUE(std::regex_match(cmcVersion(), std::regex(R"(\d+\.\d+(\.\d+)?)"))) << cmcVersion();
    EXPECT_TRUE(std::regex_match(cmcBuildDate(), std::regex(R"(20\d\d-(0[1-9]|1[0-2])-(0[1-9]|[12]\d|3[01]))")))
        << cmcBuildDate();
    EXPECT_EQ(text.rfind(store.SectionText("GI_AppMess_About"), 0), 0u) << text;
    EXPECT_NE(text.find("Version " + cmcVersion() + "\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Built " + cmcBuildDate() + "\n"), std::string::npos) << text;
    const std::string dataDir = QDir::cleanPath(QString::fromStdString(cmcDataDir())).toStdString();
    EXPECT_NE(text.find("Data folder: " + dataDir), std::string::npos) << text;
}

TEST(ProgramInfo, DataFolderIsBesideTheProgramFirstThenBelowItsPrefix) {
    const std::vector<std::string> dirs = cmcDataDirCandidates();
    ASSERT_GE(dirs.size(), 2u);
    EXPECT_EQ(dirs[0], cmcProgramDir());
    const std::string prefix = QDir::cleanPath(QString::fromStdString(cmcProgramDir() + "..")).toStdString();
    EXPECT_EQ(dirs[1], prefix + "/share/qx-p2210/");
    // The build folder holds the data beside the programs.
    EXPECT_EQ(cmcDataDir(), cmcProgramDir());
    EXPECT_EQ(cmcDataFile("ZT5531K.OVL"), cmcProgramDir() + "ZT5531K.OVL");
}
