// Settings: defaults, limits, the all-or-nothing rule, round trip, the single-instance guard,
// and the recent file list.
#include "comm/indEnviron.h"
#include "support/cmcTestSupport.h"

#include <QFile>
#include <QSettings>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <sys/wait.h>
#include <unistd.h>

using namespace qx;

namespace {

const char* kMutex = "Vexa QX-P2210 APP Exclusive Mutex";
const char* kKey = "Software\\Vexa\\QX-P2210";

// A fresh folder per test with the settings file and the lock file inside.
struct Place {
    std::string dir;
    indEnvironOptions options;
    Place() {
        static int n = 0;
        dir = test::TempDir() + "/env" + std::to_string(++n);
        std::filesystem::create_directories(dir);
        options.settingsFile = dir + "/QX-P2210.ini";
        options.lockFile = dir + "/run/instance.lock";
        options.screenWidth = 1024;
        options.screenHeight = 768;
    }
    std::string Ini() const { return test::ReadFile(options.settingsFile); }
    QString Value(const char* groupAndName) const {
        QSettings s(QString::fromStdString(options.settingsFile), QSettings::IniFormat);
        return s.value(QString::fromUtf8(groupAndName)).toString();
    }
};

// A complete stored set as a user might have edited it by hand (group -> ordered values).
using Values = std::vector<std::pair<std::string, std::string>>;
std::map<std::string, Values> FullSet() {
    Values recent;
    for (int i = 0; i < 10; ++i) recent.emplace_back("Recent" + std::to_string(i), "");
    recent[0].second = "/home/u/radios/a.dat";
    recent[1].second = "/home/u/b.dat";
    return {
        {"Global", {{"BBT", "753951"}, {"ComPort", "7"}, {"ComSpeedHigh", "1"}, {"Current Directory", "/home/u/radios"}}},
        {"Recent File List", recent},
        {"View Option", {{"FontSize Percentage", "120"}, {"Toolbar Visible", "0"}}},
        {"Window Position", {{"Left", "-20"}, {"Top", "30"}, {"Width", "700"}, {"Height", "500"}, {"SplitterV", "150"}}},
        {"Setup", {{"ModelType", "1"}}},
    };
}

void WriteIni(const std::string& path, const std::map<std::string, Values>& set) {
    std::string text;
    for (const auto& [group, values] : set) {
        text += "[" + group + "]\n";
        for (const auto& [name, value] : values) text += name + "=" + value + "\n";
        text += "\n";
    }
    test::WriteFile(path, text);
}

void SetValue(std::map<std::string, Values>& set, const std::string& group, const std::string& name,
              const std::string& value) {
    for (auto& [n, v] : set[group])
        if (n == name) {
            v = value;
            return;
        }
    set[group].emplace_back(name, value);
}

void RemoveValue(std::map<std::string, Values>& set, const std::string& group, const std::string& name) {
    auto& values = set[group];
    std::erase_if(values, [&](const auto& nv) { return nv.first == name; });
}

void ExpectDefaults(const indEnviron& e) {
    EXPECT_FALSE(e.Loaded());
    EXPECT_EQ(e.ValidMarker, 753951u);
    EXPECT_EQ(e.ComPort, 1);
    EXPECT_EQ(e.ComSpeedHigh, 0u);
    EXPECT_EQ(e.CurrentDirectory, "");
    EXPECT_EQ(e.ComDevice, "");
    EXPECT_EQ(e.Recent.Count(), 0);
    EXPECT_EQ(e.FontSizePercentage, 100u);
    EXPECT_EQ(e.ToolbarVisible, 1);
    EXPECT_EQ(e.SplitterV, 200u);
    EXPECT_EQ(e.ModelType, 3);
    EXPECT_EQ(e.Left, 112);
    EXPECT_EQ(e.Top, 50);
    EXPECT_EQ(e.Width, 800);
    EXPECT_EQ(e.Height, 600);
}

}  // namespace

TEST(Environ, NothingStoredGivesDefaultsAndExitStoresTheFullSet) {
    Place p;
    {
        indEnviron e(kMutex, kKey, p.options);
        EXPECT_TRUE(e.IsFirstInstance());
        ExpectDefaults(e);
    }
    EXPECT_EQ(p.Value("Global/BBT"), "753951");
    EXPECT_EQ(p.Value("Global/ComPort"), "1");
    EXPECT_EQ(p.Value("Global/ComSpeedHigh"), "0");
    EXPECT_EQ(p.Value("View Option/FontSize Percentage"), "100");
    EXPECT_EQ(p.Value("Window Position/Left"), "112");
    EXPECT_EQ(p.Value("Window Position/SplitterV"), "200");
    EXPECT_EQ(p.Value("Setup/ModelType"), "3");
    QSettings s(QString::fromStdString(p.options.settingsFile), QSettings::IniFormat);
    for (int i = 0; i < 10; ++i) EXPECT_TRUE(s.contains(QString("Recent File List/Recent%1").arg(i))) << i;
    EXPECT_TRUE(s.contains("Global/Current Directory"));
    // What was written reads back as a complete set.
    indEnviron again(kMutex, kKey, p.options);
    EXPECT_TRUE(again.Loaded());
}

TEST(Environ, DefaultWindowBoundsFollowTheScreen) {
    struct Case {
        int w, h, left, top, width, height;
    } const cases[] = {
        {1024, 768, 112, 50, 800, 600},
        {640, 480, 32, 14, 576, 432},
        {1920, 1080, 560, 144, 800, 600},
        {801, 601, 40, 18, 720, 540},  // 720.9 and 540.9 round down; (601 - 540) x 0.3 = 18.3
    };
    for (const Case& c : cases) {
        indWindowBounds b = indEnviron::DefaultBounds(c.w, c.h);
        EXPECT_EQ(b.left, c.left) << c.w << "x" << c.h;
        EXPECT_EQ(b.top, c.top) << c.w << "x" << c.h;
        EXPECT_EQ(b.width, c.width) << c.w << "x" << c.h;
        EXPECT_EQ(b.height, c.height) << c.w << "x" << c.h;
    }
    Place p;
    p.options.screenWidth = 640;
    p.options.screenHeight = 480;
    indEnviron e(kMutex, kKey, p.options);
    EXPECT_EQ(e.Left, 32);
    EXPECT_EQ(e.Top, 14);
}

TEST(Environ, StoredValuesAreBroughtIntoTheirLimits) {
    struct Case {
        const char* group;
        const char* name;
        const char* stored;
        int64_t expected;
    } cases[] = {
        {"Global", "ComPort", "300", 256},          {"Global", "ComPort", "0", 1},
        {"Global", "ComPort", "-5", 1},             {"Global", "ComPort", "256", 256},
        {"Global", "ComSpeedHigh", "7", 1},         {"View Option", "FontSize Percentage", "10", 25},
        {"Global", "ComSpeedHigh", "-1", 0},        {"View Option", "FontSize Percentage", "-5", 25},
        {"View Option", "FontSize Percentage", "5000", 1000},
        {"View Option", "Toolbar Visible", "5", 1}, {"View Option", "Toolbar Visible", "0", 0},
        {"Setup", "ModelType", "258", 2},           {"Setup", "ModelType", "-1", 255},
        {"Window Position", "Left", "-30", -30},    {"Window Position", "Width", "5000", 5000},
        {"Global", "ComPort", " 12 ", 12},
    };
    for (const Case& c : cases) {
        Place p;
        auto set = FullSet();
        SetValue(set, c.group, c.name, c.stored);
        WriteIni(p.options.settingsFile, set);
        indEnviron e(kMutex, kKey, p.options);
        ASSERT_TRUE(e.Loaded()) << c.name << "=" << c.stored;
        std::map<std::string, int64_t> got = {
            {"ComPort", e.ComPort},       {"ComSpeedHigh", e.ComSpeedHigh},
            {"FontSize Percentage", e.FontSizePercentage}, {"Toolbar Visible", e.ToolbarVisible},
            {"ModelType", e.ModelType},   {"Left", e.Left},
            {"Width", e.Width},
        };
        EXPECT_EQ(got.at(c.name), c.expected) << c.name << "=" << c.stored;
    }
}

TEST(Environ, LoadsACompleteHandWrittenSet) {
    Place p;
    auto set = FullSet();
    SetValue(set, "Global", "ComDevice", "/dev/ttyUSB1");
    WriteIni(p.options.settingsFile, set);
    indEnviron e(kMutex, kKey, p.options);
    ASSERT_TRUE(e.Loaded());
    EXPECT_EQ(e.ComPort, 7);
    EXPECT_EQ(e.ComSpeedHigh, 1u);
    EXPECT_EQ(e.CurrentDirectory, "/home/u/radios");
    EXPECT_EQ(e.ComDevice, "/dev/ttyUSB1");
    EXPECT_EQ(e.FontSizePercentage, 120u);
    EXPECT_EQ(e.ToolbarVisible, 0);
    EXPECT_EQ(e.Left, -20);
    EXPECT_EQ(e.Top, 30);
    EXPECT_EQ(e.Width, 700);
    EXPECT_EQ(e.Height, 500);
    EXPECT_EQ(e.SplitterV, 150u);
    EXPECT_EQ(e.ModelType, 1);
    ASSERT_EQ(e.Recent.Count(), 2);  // the eight empty places are no entries
    EXPECT_EQ(e.Recent.Entry(0), "/home/u/radios/a.dat");
    EXPECT_EQ(e.Recent.Entry(1), "/home/u/b.dat");
}

TEST(Environ, AnyMissingOrUnreadableValueDefaultsTheWholeSet) {
    struct Case {
        const char* what;
        std::function<void(std::map<std::string, Values>&)> damage;
    } cases[] = {
        {"ModelType missing, everything before it present", [](auto& s) { RemoveValue(s, "Setup", "ModelType"); }},
        {"Setup group missing", [](auto& s) { s.erase("Setup"); }},
        {"BBT missing", [](auto& s) { RemoveValue(s, "Global", "BBT"); }},
        {"BBT other than 753951", [](auto& s) { SetValue(s, "Global", "BBT", "753950"); }},
        {"Recent9 missing", [](auto& s) { RemoveValue(s, "Recent File List", "Recent9"); }},
        {"Current Directory missing", [](auto& s) { RemoveValue(s, "Global", "Current Directory"); }},
        {"ComPort not a number", [](auto& s) { SetValue(s, "Global", "ComPort", "abc"); }},
        {"ComPort with trailing text", [](auto& s) { SetValue(s, "Global", "ComPort", "7x"); }},
        {"SplitterV beyond 32 bits", [](auto& s) { SetValue(s, "Window Position", "SplitterV", "4294967296"); }},
        {"Height a list", [](auto& s) { SetValue(s, "Window Position", "Height", "1,2"); }},
    };
    for (const Case& c : cases) {
        Place p;
        auto set = FullSet();
        SetValue(set, "Global", "ComDevice", "/dev/ttyUSB1");
        c.damage(set);
        WriteIni(p.options.settingsFile, set);
        indEnviron e(kMutex, kKey, p.options);
        SCOPED_TRACE(c.what);
        ExpectDefaults(e);
    }
}

TEST(Environ, MissingComDeviceKeepsTheRest) {
    Place p;
    WriteIni(p.options.settingsFile, FullSet());  // a set written before the device path existed
    indEnviron e(kMutex, kKey, p.options);
    EXPECT_TRUE(e.Loaded());
    EXPECT_EQ(e.ComPort, 7);
    EXPECT_EQ(e.ComDevice, "");
}

TEST(Environ, DamagedFileGivesDefaultsAndIsRewrittenWhole) {
    Place p;
    test::WriteFile(p.options.settingsFile, std::string("\x01\x02garbage [[[\n=\n", 16));
    {
        indEnviron e(kMutex, kKey, p.options);
        ExpectDefaults(e);
        e.ComPort = 4;
    }
    indEnviron again(kMutex, kKey, p.options);
    EXPECT_TRUE(again.Loaded());
    EXPECT_EQ(again.ComPort, 4);
}

TEST(Environ, RoundTripKeepsEveryValueIncludingAwkwardTexts) {
    Place p;
    const std::vector<std::string> paths = {
        "/home/u/My Radios, old/a;b=c.dat", " /leading and trailing blanks ", "@at/start.dat",
        "/home/u/Fünf \"quoted\" %20.dat", "/x/#hash.dat",
    };
    {
        indEnviron e(kMutex, kKey, p.options);
        e.ComPort = 256;
        e.ComSpeedHigh = 1;
        e.ComDevice = "/dev/pts/3";
        e.CurrentDirectory = "/home/u/My Radios, old";
        e.FontSizePercentage = 1000;
        e.ToolbarVisible = 0;
        e.Left = -8;
        e.Top = -1;
        e.Width = 1234;
        e.Height = 987;
        e.SplitterV = 321;
        e.ModelType = 2;
        for (auto it = paths.rbegin(); it != paths.rend(); ++it) e.Recent.AddToFront(*it);
    }
    indEnviron e(kMutex, kKey, p.options);
    ASSERT_TRUE(e.Loaded());
    EXPECT_EQ(e.ComPort, 256);
    EXPECT_EQ(e.ComSpeedHigh, 1u);
    EXPECT_EQ(e.ComDevice, "/dev/pts/3");
    EXPECT_EQ(e.CurrentDirectory, "/home/u/My Radios, old");
    EXPECT_EQ(e.FontSizePercentage, 1000u);
    EXPECT_EQ(e.ToolbarVisible, 0);
    EXPECT_EQ(e.Left, -8);
    EXPECT_EQ(e.Top, -1);
    EXPECT_EQ(e.Width, 1234);
    EXPECT_EQ(e.Height, 987);
    EXPECT_EQ(e.SplitterV, 321u);
    EXPECT_EQ(e.ModelType, 2);
    EXPECT_EQ(e.Recent.Entries(), paths);
}

TEST(Environ, MarkerChangedDuringTheRunMeansNothingIsSaved) {
    Place p;
    {
        indEnviron e(kMutex, kKey, p.options);
        e.ValidMarker = 1;
    }
    EXPECT_FALSE(std::filesystem::exists(p.options.settingsFile));
}

TEST(Environ, SecondInstanceNeitherReadsNorWrites) {
    Place p;
    auto set = FullSet();
    WriteIni(p.options.settingsFile, set);
    indEnviron first(kMutex, kKey, p.options);
    ASSERT_TRUE(first.IsFirstInstance());
    ASSERT_TRUE(first.Loaded());

    SetValue(set, "Global", "ComPort", "9");
    WriteIni(p.options.settingsFile, set);
    const std::string before = p.Ini();
    {
        indEnviron second(kMutex, kKey, p.options);
        EXPECT_FALSE(second.IsFirstInstance());
        ExpectDefaults(second);  // nothing was read: ComPort would be 9
        second.ComPort = 200;
    }
    EXPECT_EQ(p.Ini(), before);  // nothing was written
}

TEST(Environ, GuardHoldsAcrossProcessesAndIsReleasedAtTheEnd) {
    Place p;
    auto childIsFirst = [&]() {
        pid_t pid = fork();
        if (pid == 0) {
            bool first;
            {
                indEnvironOptions o = p.options;
                o.settingsFile = p.dir + "/child.ini";
                indEnviron e(kMutex, kKey, o);
                first = e.IsFirstInstance();
            }
            _exit(first ? 0 : 1);
        }
        int status = 0;
        waitpid(pid, &status, 0);
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    };
    {
        indEnviron first(kMutex, kKey, p.options);
        ASSERT_TRUE(first.IsFirstInstance());
        EXPECT_FALSE(childIsFirst());
        EXPECT_FALSE(std::filesystem::exists(p.dir + "/child.ini")) << "a second instance wrote settings";
    }
    EXPECT_TRUE(childIsFirst());
    EXPECT_TRUE(std::filesystem::exists(p.dir + "/child.ini"));
}

TEST(Environ, GuardLeftBehindByAnEndedProcessIsTakenOver) {
    Place p;
    pid_t pid = fork();
    if (pid == 0) {
        auto* e = new indEnviron(kMutex, kKey, p.options);  // never destroyed: the lock file stays
        _exit(e->IsFirstInstance() ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_TRUE(std::filesystem::exists(p.options.lockFile));
    indEnviron e(kMutex, kKey, p.options);
    EXPECT_TRUE(e.IsFirstInstance());
}

TEST(Environ, UnusableLockFolderStillStartsTheProgram) {
    Place p;
    test::WriteFile(p.dir + "/file", "x");
    p.options.lockFile = p.dir + "/file/sub/instance.lock";  // below a plain file: cannot be made
    WriteIni(p.options.settingsFile, FullSet());
    indEnviron e(kMutex, kKey, p.options);
    EXPECT_TRUE(e.IsFirstInstance());
    EXPECT_TRUE(e.Loaded());
}

TEST(Environ, ProgramLocationsFollowTheKeyAndTheUserFolders) {
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(test::TempDir() + "/cfg"));
    EXPECT_EQ(indEnviron::SettingsFileFor(kKey), test::TempDir() + "/cfg/Vexa/QX-P2210.ini");
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(test::TempDir()));
    EXPECT_EQ(indEnviron::LockFileFor(kMutex, kKey), test::TempDir() + "/Vexa_QX-P2210_APP_Exclusive_Mutex.lock");
    qunsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(indEnviron::LockFileFor(kMutex, kKey),
              test::TempDir() + "/cfg/Vexa/Vexa_QX-P2210_APP_Exclusive_Mutex.lock");
}

TEST(Environ, FallbackObjectHoldsDefaultsAndStoresNothing) {
    indEnviron& e = Environ();
    EXPECT_FALSE(e.IsFirstInstance());
    EXPECT_EQ(e.ComPort, 1);
    Place p;
    indEnviron mine(kMutex, kKey, p.options);
    SetEnviron(&mine);
    EXPECT_EQ(&Environ(), &mine);
    SetEnviron(nullptr);
    EXPECT_NE(&Environ(), &mine);
}

// ---- recent file list

TEST(Recent, AddToFrontMovesDuplicatesAndKeepsTen) {
    cmcRecent r;
    for (int i = 0; i < 12; ++i) r.AddToFront("/f" + std::to_string(i));
    ASSERT_EQ(r.Count(), 10);
    EXPECT_EQ(r.Entry(0), "/f11");
    EXPECT_EQ(r.Entry(9), "/f2");
    r.AddToFront("/f5");
    EXPECT_EQ(r.Count(), 10);
    EXPECT_EQ(r.Entry(0), "/f5");
    EXPECT_EQ(r.Entry(1), "/f11");
    EXPECT_EQ(r.Entry(10), "");
    EXPECT_EQ(r.Entry(-1), "");
    r.AddToFront("");
    EXPECT_EQ(r.Entry(0), "/f5");
    r.Clear();
    EXPECT_EQ(r.Count(), 0);
}

TEST(Recent, AppendKeepsTheLaterPositionOfAPathStoredTwice) {
    cmcRecent r;
    for (const char* p : {"/a/x.dat", "/b.dat", "/a/x.dat", "", "/a/X.dat"}) r.Append(p);
    // Exact duplicates collapse to the later place; a name differing in letter case is another file.
    EXPECT_EQ(r.Entries(), (std::vector<std::string>{"/b.dat", "/a/x.dat", "/a/X.dat"}));
    for (int i = 0; i < 20; ++i) r.Append("/n" + std::to_string(i));
    EXPECT_EQ(r.Count(), 10);
    EXPECT_EQ(r.Entry(0), "/b.dat");
}

TEST(Recent, EntryTextShortensOnlyEntriesOfTheGivenFolder) {
    cmcRecent r;
    r.Append("/home/u/radios/a.dat");
    r.Append("/home/u/b.dat");
    r.Append("/top.dat");
    struct Case {
        int index;
        const char* dir;
        const char* text;
    } cases[] = {
        {0, "/home/u/radios", "a.dat"}, {0, "/home/u/radios/", "a.dat"}, {0, "/home/u/radios//", "a.dat"},
        {0, "/home/u/Radios", "/home/u/radios/a.dat"}, {0, "/home/u", "/home/u/radios/a.dat"},
        {1, "/home/u", "b.dat"},        {2, "/", "top.dat"},             {3, "/home/u", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(r.EntryText(c.index, c.dir), c.text) << c.index << " " << c.dir;
}
