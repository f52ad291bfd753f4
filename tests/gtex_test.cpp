// The definition stores (file and line-list sources), the name table and the shipped definition files.
#include "defs/cmcGTex.h"
#include "defs/cmcGTexStore.h"
#include "support/cmcTestSupport.h"

#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <sstream>

using namespace qx;

namespace {

std::string Fixture(const std::string& name, const std::string& content) {
    return test::WriteFile(test::TempDir() + "/" + name, content);
}

std::string FatalText(const std::string& key) { return "GTEX Error !\nThe index '" + key + "' was not found."; }

// Runs `stmt`, expecting the lookup failure for `key`: exit status 3, captioned with the program name.
#define EXPECT_LOOKUP_FAILURE(stmt, key)                                                 \
    do {                                                                                 \
        test::Messages().Clear();                                                        \
        try {                                                                            \
            stmt;                                                                        \
            ADD_FAILURE() << "no fatal error from: " #stmt;                              \
        } catch (const cmcFatalError& e) {                                               \
            EXPECT_EQ(e.text(), FatalText(key));                                         \
            EXPECT_EQ(e.status(), kExitDefinitionFault);                                 \
            EXPECT_EQ(e.caption(), "gtex_test");                                         \
        }                                                                                \
        ASSERT_EQ(test::Messages().messages().size(), 1u);                               \
        EXPECT_EQ(test::Messages().messages()[0].icon, cmcMsgIcon::Error);               \
    } while (0)

const char* kBasicFile =
    "Lines before the first head are never read.\n"
    "#NotAHead is only a head when it starts a line, this one does\n"
    "x\n"
    "#GI_Sys_AppTitle\r\n"
    "QX-P2210\r\n"
    "#GI_Mess_Two\n"
    "First paragraph.\n"
    "\n"
    "Second paragraph.\n"
    "#\n"
    "after the end-of-list line\n"
    "#Trailing \n"
    "with space\n"
    "#Dup\n"
    "first\n"
    "#Dup\n"
    "second\n"
    "#Empty\n"
    "#End_Of_Ovl\n"
    "#AfterEnd\n"
    "never found\n";

}  // namespace

TEST(GTexFile, DeliversLinesAndSections) {
    test::Messages().Clear();
    cmcGTex g;
    ASSERT_TRUE(g.SetFileName(Fixture("basic.ovl", kBasicFile)));
    EXPECT_FALSE(g.SetFileName("other.ovl"));
    EXPECT_FALSE(g.SetLineList(nullptr));

    EXPECT_EQ(g.FirstLine("GI_Sys_AppTitle"), "QX-P2210");  // the '\r' before '\n' is dropped
    EXPECT_EQ(g.SectionText("GI_Sys_AppTitle"), "QX-P2210");
    EXPECT_EQ(g.SectionText("GI_Mess_Two"), "First paragraph.\n\nSecond paragraph.");
    EXPECT_EQ(g.Line("GI_Mess_Two", 3), "#");  // a lone "#" is a body line, but ends SectionText
    EXPECT_EQ(g.Line("GI_Mess_Two", 4), "after the end-of-list line");
    EXPECT_EQ(g.Line("Trailing ", 0), "with space");
    EXPECT_EQ(g.Line("Dup", 0), "first");
    EXPECT_EQ(g.SectionText("Empty"), "");
    // Past its body a section runs on into the next head and its lines.
    EXPECT_EQ(g.Line("Dup", 1), "#Dup");
    EXPECT_EQ(g.Line("Dup", 2), "second");
    EXPECT_EQ(g.Line("Trailing ", 2), "first");
    // Going back restarts from the body; reading line 3 then line 1 equals reading line 1 first.
    EXPECT_EQ(g.Line("GI_Mess_Two", 1), "");
    EXPECT_EQ(g.Line("GI_Mess_Two", 2), "Second paragraph.");
    EXPECT_EQ(g.Line("GI_Mess_Two", 0), "First paragraph.");
    EXPECT_TRUE(g.HasKey("NotAHead is only a head when it starts a line, this one does"));
    EXPECT_FALSE(g.HasKey("AfterEnd"));
    EXPECT_FALSE(g.HasKey("Trailing"));
    EXPECT_EQ(g.Line("Empty", 2), "never found");  // the store itself reads on past "#End_Of_Ovl"
    EXPECT_TRUE(test::Messages().messages().empty());
}

TEST(GTexFile, LookupFailuresAreFatal) {
    std::string path = Fixture("fail.ovl", kBasicFile);
    struct Case {
        std::string file;
        std::string key;
        int line;
    };
    const std::vector<Case> cases = {
        {path, "Missing", 0},
        {path, "Trailing", 0},             // the head has a trailing space
        {path, "AfterEnd", 0},             // after "#End_Of_Ovl"
        {path, "gi_sys_apptitle", 0},      // keys are case-sensitive
        {path, "Empty", 3},                // runs into the end of the file
        {path, "GI_Sys_AppTitle", -1},     // no line before the first
        {test::TempDir() + "/no-such-file.ovl", "GI_Sys_AppTitle", 0},
        {"", "GI_Sys_AppTitle", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key + " in '" + c.file + "' line " + std::to_string(c.line));
        cmcGTex g;
        g.SetFileName(c.file);
        EXPECT_LOOKUP_FAILURE(g.Line(c.key, c.line), c.key);
    }
    cmcGTex none;  // no source at all
    EXPECT_LOOKUP_FAILURE(none.SectionText("GI_Sys_AppTitle"), "GI_Sys_AppTitle");
    cmcHelpGTex help;
    help.SetFileName(path);
    EXPECT_LOOKUP_FAILURE(help.SectionText("Missing"), "Missing");
    EXPECT_EQ(help.Line("Dup", 0), "first");
}

TEST(GTexFile, FailedReadLeavesTheCursorUsable) {
    cmcGTex g;
    g.SetFileName(Fixture("cursor.ovl", kBasicFile));
    EXPECT_EQ(g.Line("GI_Mess_Two", 1), "");
    EXPECT_LOOKUP_FAILURE(g.Line("GI_Mess_Two", -1), "GI_Mess_Two");
    EXPECT_LOOKUP_FAILURE(g.Line("GI_Mess_Two", 500), "GI_Mess_Two");
    EXPECT_EQ(g.Line("GI_Mess_Two", 2), "Second paragraph.");
    EXPECT_EQ(g.Line("GI_Mess_Two", 0), "First paragraph.");
}

// Random walks over many sections, on a file and on the same lines held in memory, against the plain
// list of lines: catches faults of the cursors, the cache, the move-to-front and the lazy index.
TEST(GTexFile, RandomAccessMatchesTheLines) {
    std::mt19937 rng(20240611);
    std::vector<std::string> lines = {"preamble"};
    std::vector<std::pair<std::string, size_t>> sections;  // key, index of the first body line
    for (int s = 0; s < 60; ++s) {
        std::string key = "GI_Sect_" + std::to_string(s) + (s % 7 == 0 ? " x" : "");
        lines.push_back("#" + key);
        sections.push_back({key, lines.size()});
        int bodyLines = static_cast<int>(rng() % 25);
        for (int i = 0; i < bodyLines; ++i) {
            switch (rng() % 8) {
            case 0: lines.push_back(""); break;
            case 1: lines.push_back("#"); break;
            default: lines.push_back("line " + std::to_string(s) + "." + std::to_string(i) + std::string(rng() % 60, 'a'));
            }
        }
    }
    lines.push_back("#End_Of_Ovl");
    std::string content;
    for (auto& l : lines) content += l + (rng() % 3 == 0 ? "\r\n" : "\n");

    cmcGTex fromFile;
    fromFile.SetFileName(Fixture("random.ovl", content));
    cmcGTex fromList;
    ASSERT_TRUE(fromList.SetLineList(&lines));
    EXPECT_FALSE(fromList.SetFileName("x"));

    for (int step = 0; step < 4000; ++step) {
        // Favour a few sections, as the program does, so that both ends of the index are exercised.
        size_t s = rng() % 4 == 0 ? rng() % sections.size() : rng() % 6;
        const auto& [key, first] = sections[s];
        size_t room = lines.size() - first;
        int n = static_cast<int>(rng() % std::min<size_t>(room, 30));
        SCOPED_TRACE("step " + std::to_string(step) + " key '" + key + "' line " + std::to_string(n));
        ASSERT_EQ(fromFile.Line(key, n), lines[first + n]);
        ASSERT_EQ(fromList.Line(key, n), lines[first + n]);
        if (step % 50 == 0) {
            std::string expected;
            for (size_t i = first; lines[i].empty() || lines[i][0] != '#'; ++i)
                expected += (i > first ? "\n" : "") + lines[i];
            ASSERT_EQ(fromFile.SectionText(key), expected);
            ASSERT_EQ(fromList.SectionText(key), expected);
        }
    }
}

TEST(GTexStore, MovesKeysFoundPastPlaceTenToTheFront) {
    std::string content;
    for (int i = 0; i < 15; ++i) content += "#K" + std::to_string(i) + "\nv" + std::to_string(i) + "\n";
    content += "#End_Of_Ovl\n";
    cmcGTexStore st;
    st.SetFileName(Fixture("mtf.ovl", content));
    EXPECT_EQ(st.Line("K12", 0), "v12");  // indexes K0..K12 only
    EXPECT_FALSE(st.IndexComplete());
    EXPECT_EQ(st.IndexKeys().size(), 13u);
    EXPECT_EQ(st.Line("K10", 0), "v10");  // place 10 stays
    EXPECT_EQ(st.IndexKeys()[10], "K10");
    EXPECT_EQ(st.Line("K11", 0), "v11");  // place 11 moves to the front, the rest keep their order
    std::vector<std::string> expected = {"K11", "K0", "K1", "K2", "K3", "K4", "K5", "K6", "K7", "K8", "K9", "K10", "K12"};
    EXPECT_EQ(st.IndexKeys(), expected);
    EXPECT_FALSE(st.HasKey("K99"));
    EXPECT_TRUE(st.IndexComplete());
    EXPECT_EQ(st.IndexKeys().size(), 16u);  // K0..K14 and End_Of_Ovl
}

// The cache keeps the 64 most recently read lines: a section of 64 lines is read a second time
// entirely from memory, one of 65 lines is not. The file is rewritten in place between the two reads;
// the lines are long so that the stream's own buffer cannot serve the first line again.
TEST(GTexFile, CacheHoldsExactly64Lines) {
    for (int count : {64, 65}) {
        SCOPED_TRACE(count);
        auto make = [&](char fill) {
            std::string c = "#Sec\n";
            for (int i = 0; i < count; ++i) c += std::string(1000, fill) + "\n";
            return c + "#End_Of_Ovl\n";
        };
        std::string path = Fixture("cache" + std::to_string(count) + ".ovl", make('a'));
        cmcGTexStore st;
        st.SetFileName(path);
        for (int i = 0; i < count; ++i) ASSERT_EQ(st.Line("Sec", i), std::string(1000, 'a'));
        EXPECT_EQ(st.CachedLines(), 64);
        test::WriteFile(path, make('b'));
        std::string first = st.Line("Sec", 0);
        std::string last = st.Line("Sec", count - 1);
        if (count == 64) {
            EXPECT_EQ(first, std::string(1000, 'a'));
            EXPECT_EQ(last, std::string(1000, 'a'));
        } else {
            EXPECT_EQ(first, std::string(1000, 'b'));
            EXPECT_EQ(last, std::string(1000, 'b'));
        }
    }
}

// A line served from the cache becomes the most recently used one and survives the next eviction.
TEST(GTexFile, CacheDropsTheLeastRecentlyUsedLine) {
    auto make = [](char fill) {
        std::string c = "#Sec\n";
        for (int i = 0; i < 64; ++i) c += std::string(1000, fill) + "\n";
        return c + "#Other\n" + std::string(1000, fill) + "\n#End_Of_Ovl\n";
    };
    std::string path = Fixture("lru.ovl", make('a'));
    cmcGTex g;
    g.SetFileName(path);
    for (int i = 0; i < 64; ++i) g.Line("Sec", i);
    g.Line("Sec", 0);    // from the cache, now the most recent
    g.Line("Other", 0);  // a 65th line: drops line 1, not line 0
    test::WriteFile(path, make('b'));
    EXPECT_EQ(g.Line("Sec", 0), std::string(1000, 'a'));
    EXPECT_EQ(g.Line("Sec", 1), std::string(1000, 'b'));
}

TEST(GTexFile, OverlongLinesComeOutInPieces) {
    const int max = cmcGTexStore::kMaxLine;
    std::string exact(max, 'e');
    std::string longLine = std::string(max, 'l') + "#Hidden" + std::string(max, 'm') + "tail";
    std::string content = "#Long\n" + exact + "\r\n" + longLine + "\n" + "next\n#Hidden2\n#End_Of_Ovl\n";
    cmcGTex fromFile;
    fromFile.SetFileName(Fixture("long.ovl", content));
    std::vector<std::string> list = {"#Long", exact, longLine, "next", "#Hidden2", "#End_Of_Ovl"};
    cmcGTex fromList;
    fromList.SetLineList(&list);
    for (cmcGTex* g : {&fromFile, &fromList}) {
        EXPECT_EQ(g->Line("Long", 0), exact);  // exactly the maximum: one line, line end included
        EXPECT_EQ(g->Line("Long", 1), std::string(max, 'l'));
        EXPECT_EQ(g->Line("Long", 2), "#Hidden" + std::string(max - 7, 'm'));
        EXPECT_EQ(g->Line("Long", 3), "mmmmmmmtail");
        EXPECT_EQ(g->Line("Long", 4), "next");
        EXPECT_EQ(g->SectionText("Long"), exact + "\n" + std::string(max, 'l'));
        // A piece of a long line that starts with '#' does not start a section.
        EXPECT_FALSE(g->HasKey("Hidden" + std::string(max - 7, 'm')));
        EXPECT_TRUE(g->HasKey("Hidden2"));
    }
}

TEST(GTexLineList, StopsAtTheEndOfTheList) {
    // A list whose last section has no end mark: running past it is the lookup failure, not a read
    // beyond the list.
    std::vector<std::string> list = {"#GI_Sheet_X_Style", "(FixedCols=1)(FixedRows=1)", "#GI_Sheet_X_Cells", "row"};
    cmcGTex g;
    ASSERT_TRUE(g.SetLineList(&list));
    EXPECT_FALSE(g.SetLineList(&list));
    EXPECT_EQ(g.FirstLine("GI_Sheet_X_Style"), "(FixedCols=1)(FixedRows=1)");
    EXPECT_EQ(g.Line("GI_Sheet_X_Cells", 0), "row");
    EXPECT_LOOKUP_FAILURE(g.Line("GI_Sheet_X_Cells", 1), "GI_Sheet_X_Cells");
    EXPECT_LOOKUP_FAILURE(g.Line("Missing", 0), "Missing");
}

TEST(GTexGlobal, ProgramWideStoresCanBeReplaced) {
    cmcGTex mine;
    std::vector<std::string> list = {"#GI_Sys_AppTitle", "Mine", "#End_Of_Ovl"};
    mine.SetLineList(&list);
    SetGTex(&mine);
    EXPECT_EQ(GTex().FirstLine("GI_Sys_AppTitle"), "Mine");
    SetGTex(nullptr);
    EXPECT_NE(&GTex(), &mine);
}

TEST(Hash, BucketsFollowTheNameTableHash) {
    struct Case {
        std::string key;
        int buckets;
        int bucket;
    };
    // Computed independently from the hash's definition.
    const std::vector<Case> cases = {
        {"", 0, 0},
        {"A", 0, 580},
        {"CL_Ch_RxFreq", 1031, 497},
        {"CT_Basic", 1031, 201},
        {"GI_Sheet_ChBank_Cells", 0, 317},
        {"Kanal_\xc3\xa4", 1031, 454},  // bytes above 0x7F count as negative
        {"\xff\xff", 1031, 253},
        {std::string(40, 'x'), 1031, 55},     // wraps in 32 bits
        {"abababababababababababababababababababab", 1031, 855},
        {"abc", 5, 1},
        {"acegikmoq", 13, 2},  // the step runs out and restarts
        {"Ab", 64, 4},
    };
    for (const auto& c : cases) {
        cmcHash h(c.buckets);
        EXPECT_EQ(h.BucketOf(c.key), c.bucket) << c.key << " / " << c.buckets;
    }
    EXPECT_EQ(cmcHash().BucketCount(), 1031);
}

TEST(Hash, InsertFindAndDuplicates) {
    cmcHash h(4);  // few buckets: chains of several entries
    std::vector<std::string> keys = {"CT_Basic", "CT_Text", "CL_Ch_RxFreq", "CL_Ch_TxFreq", "a", "b", "c", "d", "e"};
    for (size_t i = 0; i < keys.size(); ++i) h.Insert(keys[i], static_cast<int>(i) * 10);
    for (size_t i = 0; i < keys.size(); ++i) {
        const cmcHash::Entry* e = h.Find(keys[i]);
        ASSERT_NE(e, nullptr) << keys[i];
        EXPECT_EQ(e->value, static_cast<int>(i) * 10);
    }
    EXPECT_EQ(h.Find("CT_basic"), nullptr);
    EXPECT_EQ(h.Find(""), nullptr);
    EXPECT_FATAL(h.Insert("CL_Ch_TxFreq", 1), "Overlapped Hash table.", kExitDefinitionFault);
    EXPECT_EQ(h.Find("CL_Ch_TxFreq")->value, 30);
}

// The shipped definition files: every section reachable (no duplicate heads that would hide a later
// one, no stray spaces or carriage returns in heads), "#End_Of_Ovl" last, and the texts this program
// reads present as single non-empty lines.
TEST(DataFiles, DefinitionFilesAreWellFormed) {
    for (std::string name : {"ZT5531K.OVL", "ZT5531KH.OVL"}) {
        SCOPED_TRACE(name);
        std::string content = test::ReadFile(test::SourceDir() + "/data/" + name);
        ASSERT_FALSE(content.empty());
        EXPECT_EQ(content.find('\r'), std::string::npos);
        ASSERT_GE(content.size(), 13u);
        EXPECT_EQ(content.substr(content.size() - 13), "\n#End_Of_Ovl\n");
        std::istringstream in(content);
        std::set<std::string> heads;
        std::string line;
        while (std::getline(in, line)) {
            if (line.size() < 2 || line[0] != '#') continue;
            std::string key = line.substr(1);
            EXPECT_TRUE(heads.insert(key).second) << "duplicate section " << key;
            EXPECT_EQ(key.find_first_of(" \t"), std::string::npos) << "blank in head '" << key << "'";
        }
    }

    cmcGTex g;
    g.SetFileName(test::SourceDir() + "/data/ZT5531K.OVL");
    EXPECT_EQ(g.FirstLine("GI_Sys_AppTitle"), "QX-P2210");
    for (const char* key : {"GI_Mess_FileErr_Headline", "GI_Mess_FileErr_FileOpen", "GI_Mess_FileErr_FileAccess",
                            "GI_Mess_FileErr_Model", "GI_Mess_FileErr_Extra", "GI_Mess_FileErr_MapRev",
                            "GI_Mess_FileErr_Format", "GI_Mess_FileErr_Coverage", "GI_Mess_FileErr_Data",
                            "GI_Mess_FileErr_Newer"}) {
        SCOPED_TRACE(key);
        std::string text = g.SectionText(key);
        EXPECT_FALSE(text.empty());
        EXPECT_EQ(text, g.FirstLine(key));  // one line: the same text whichever way it is read
    }
    cmcHelpGTex h;
    h.SetFileName(test::SourceDir() + "/data/ZT5531KH.OVL");
    for (const char* key : {"GI_AppItem_Topic_ID", "GI_AppItem_Key_Assign_Topic_ID", "GI_AppItem_Context_ID"}) {
        SCOPED_TRACE(key);
        // Each table ends at a line that is exactly "#"; every entry before it has two tab-separated fields.
        for (int n = 0;; ++n) {
            std::string line = h.Line(key, n);
            if (line == "#") break;
            ASSERT_NE(line[0], '#') << "table runs into the next section";
            auto tab = line.find('\t');
            ASSERT_NE(tab, std::string::npos) << line;
            EXPECT_EQ(line.find('\t', tab + 1), std::string::npos) << line;
        }
    }
}

// The bank trunking flag keeps its given names (CL_Bank_SmarTrunk, CL_Mch_SmarTrunk,
// GI_AppInd_MchSheet_Printer_SmarTrunk), but what users read calls it "Trunking": the word may
// appear in the shipped files only as the tail of a name.
TEST(DataFiles, TrunkingFlagTextsUseTheNeutralWord) {
    for (std::string name : {"data/ZT5531K.OVL", "data/ZT5531KH.OVL", "data/ZT5531K_Help.html", "README.md"}) {
        SCOPED_TRACE(name);
        const std::string content = test::ReadFile(test::SourceDir() + "/" + name);
        ASSERT_FALSE(content.empty());
        for (auto at = content.find("SmarTrunk"); at != std::string::npos; at = content.find("SmarTrunk", at + 1))
            EXPECT_TRUE(at > 0 && content[at - 1] == '_')
                << "user-visible text at offset " << at << ": " << content.substr(at > 20 ? at - 20 : 0, 40);
    }
    cmcGTex g;
    g.SetFileName(test::SourceDir() + "/data/ZT5531K.OVL");
    EXPECT_EQ(g.FirstLine("GI_AppInd_MchSheet_Printer_SmarTrunk"), "(Trunking)");
}
// The command-line front end over the shipped files (skipped when the tool is not built).
TEST(CliText, PrintsLinesAndSections) {
    QString cli = QString::fromStdString(test::BinDir() + "/qx-p2210-cli");
    if (!std::filesystem::exists(cli.toStdString())) GTEST_SKIP() << "qx-p2210-cli not built";
    auto run = [&](const QStringList& args, std::string* out, std::string* err) {
        QProcess p;
        p.start(cli, QStringList{"text"} + args);
        p.waitForFinished(10000);
        *out = p.readAllStandardOutput().toStdString();
        *err = p.readAllStandardError().toStdString();
        return p.exitCode();
    };
    std::string out, err;
    EXPECT_EQ(run({"GI_Sys_AppTitle"}, &out, &err), 0);
    EXPECT_EQ(out, "QX-P2210\n");
    EXPECT_EQ(run({"--section", "GI_Mess_FileErr_Headline"}, &out, &err), 0);
    cmcGTex g;
    g.SetFileName(test::BinDir() + "/ZT5531K.OVL");
    EXPECT_EQ(out, g.SectionText("GI_Mess_FileErr_Headline") + "\n");
    EXPECT_EQ(run({"GI_Sys_AppTitle", "1"}, &out, &err), 0);  // past the body: the next section's head
    EXPECT_EQ(out, g.Line("GI_Sys_AppTitle", 1) + "\n");
    EXPECT_EQ(run({"GI_No_Such_Key"}, &out, &err), 3);
    EXPECT_EQ(out, "");
    EXPECT_NE(err.find("GTEX Error !\nThe index 'GI_No_Such_Key' was not found."), std::string::npos) << err;
    EXPECT_EQ(run({"GI_Sys_AppTitle", "x"}, &out, &err), 64);
    EXPECT_EQ(run({}, &out, &err), 64);
}
