// The definition file checker over a fixture with planted faults: every fault is reported at its
// file, line and key, and the sections that are right raise nothing.
#include "defs/cmcDefLint.h"
#include "defs/cmcGTex.h"
#include "support/cmcTestSupport.h"

#include <gtest/gtest.h>

#include <memory>

using namespace qx;

namespace {

std::string FixtureDir() { return test::SourceDir() + "/tests/fixtures/lint/"; }

bool Has(const std::vector<cmcLintProblem>& problems, const std::string& file, int line, const std::string& key,
         const std::string& fragment) {
    for (const auto& p : problems)
        if (p.file == file && p.line == line && p.key == key && p.message.find(fragment) != std::string::npos)
            return true;
    return false;
}

std::string Dump(const std::vector<cmcLintProblem>& problems) {
    std::string out;
    for (const auto& p : problems) out += FormatLintProblem(p) + "\n";
    return out;
}

}  // namespace

TEST(DefLint, FindsEveryPlantedFault) {
    cmcGTex* before = &GTex();
    std::vector<cmcLintProblem> problems = LintDefinitionFiles(FixtureDir());
    EXPECT_EQ(&GTex(), before);  // the program's store is back in place

    const std::string M = "ZT5531K.OVL", H = "ZT5531KH.OVL";
    struct Case {
        std::string file;
        int line;
        const char* key;
        const char* fragment;
    } cases[] = {
        {M, 13, "CellModel_Broken", "Cannot use the specified cell.\n'CL_NoSuchLabel'"},
        {M, 15, "CellModel_Typo", "unknown colour"},
        {M, 15, "CellModel_Typo", "unknown font style 'fsBald'"},
        {M, 16, "CellModel_Empty", "empty section"},
        {M, 26, "GI_PMenu_Edit_Body", "Ch No. Error"},
        {M, 27, "GI_PMenu_Edit_Body", "line without '+'"},
        {M, 41, "GI_Sheet_Bad_Style", "MultiSelect value 'cell'"},
        {M, 41, "GI_Sheet_Bad_Style", "unknown style property '(Titlecolor=clRed)'"},
        {M, 45, "GI_Sheet_Bad_Cells", "unknown directive '(Loopto)'"},
        // Three faults in the cells of one row: each is found.
        {M, 46, "GI_Sheet_Bad_Cells", "The index 'CellModel_NoSuchModel' was not found."},
        {M, 46, "GI_Sheet_Bad_Cells", "Cannot use the specified category.\n'CT_Bogus'"},
        {M, 46, "GI_Sheet_Bad_Cells", "popup menu 'GI_PMenu_Missing' has no section 'GI_PMenu_Missing_Body'"},
        {M, 47, "GI_Sheet_Bad_Cells", "Illegal Ch No."},
        {M, 48, "GI_Sheet_Bad_Cells", "malformed user flag '(Flag7=1)'"},
        {M, 50, "GI_Sheet_Half_Style", "has no section 'GI_Sheet_Half_Cells'"},
        {M, 58, "GI_Sheet_Empty_Cells", "Illegal Cell assign"},
        {M, 66, "GI_Tree_Main_Body", "sheet 'GI_Sheet_Nowhere' has no section 'GI_Sheet_Nowhere_Cells'"},
        {M, 70, "GI_WarningCheckList", "Cannot use the specified cell.\n'CL_Check_Nothing'"},
        {M, 74, "GI_Dup", "duplicate section: the one at line 72 is the one read"},
        {M, 77, "GI_After", "never read"},
        {M, 0, "GI_Mess_FileErr_Headline", "missing section"},  // a key the program looks up
        {H, 0, "", "no line '#End_Of_Ovl'"},
        {H, 4, "GI_AppItem_Topic_ID", "'CL_Mch_Frequency' is not a cell label name"},
        {H, 5, "GI_AppItem_Topic_ID", "without a tab"},
        {H, 6, "GI_AppItem_Topic_ID", "topic 'T_Nowhere' has no line"},
        {H, 13, "GI_AppItem_Context_ID", "'ten' is not a decimal number"},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(Has(problems, c.file, c.line, c.key, c.fragment))
            << c.file << ":" << c.line << " " << c.key << " " << c.fragment << "\n" << Dump(problems);

    // The sections that are right raise nothing.
    for (const auto& p : problems) {
        for (const char* good : {"CellModel_Basic", "CellModel_iChI", "CellModel_eWh", "CellModel_iQp", "GI_Sheet_Good",
                                 "GI_PMenu_NoItem", "GI_Tree_Main_BasicCell", "GI_AppItem_Key_Assign_Topic_ID"})
            EXPECT_EQ(p.key.rfind(good, 0), std::string::npos) << FormatLintProblem(p);
        EXPECT_FALSE(p.file == M && (p.line == 64 || p.line == 65 || p.line == 69)) << FormatLintProblem(p);
    }
    EXPECT_EQ(FormatLintProblem({M, 46, "K", "a\nb"}), "ZT5531K.OVL:46: K: a b");
}

TEST(DefLint, RegistryAndAddedChecks) {
    std::string dir = test::TempDir() + "/";
    test::WriteFile(dir + "ZT5531K.OVL", "head\n#CellModel_Basic\r\nS\r\n#End_Of_Ovl\n");
    test::WriteFile(dir + "ZT5531KH.OVL", "#GI_AppItem_Topic_ID\n#\n#End_Of_Ovl\n");
    RequireDefKey({"GI_Sheet_Registered", cmcDefFileKind::Main, cmcRequiredKind::Sheet, "a test"});
    RequireDefKey({"GI_Help_Registered", cmcDefFileKind::Help, cmcRequiredKind::Section, ""});
    auto calls = std::make_shared<int>(0);  // the check stays registered after this test
    AddDefLintCheck([calls](cmcDefLintContext& ctx) {
        ++*calls;
        const cmcDefFile::Head* h = ctx.Main().Find("CellModel_Basic");
        ASSERT_NE(h, nullptr);
        EXPECT_EQ(ctx.FirstLine(cmcDefFileKind::Main, *h)->text, "S");  // the carriage return is dropped
        ctx.Report(ctx.BodyWhere(cmcDefFileKind::Main, *h, 0), "added check");
    });
    std::vector<cmcLintProblem> problems = LintDefinitionFiles(dir);
    EXPECT_EQ(*calls, 1);
    EXPECT_TRUE(Has(problems, "ZT5531K.OVL", 3, "CellModel_Basic", "added check")) << Dump(problems);
    EXPECT_TRUE(Has(problems, "ZT5531K.OVL", 0, "GI_Sheet_Registered", "'GI_Sheet_Registered_Cells'")) << Dump(problems);
    EXPECT_TRUE(Has(problems, "ZT5531KH.OVL", 0, "GI_Help_Registered", "missing section")) << Dump(problems);
    EXPECT_TRUE(Has(problems, "ZT5531K.OVL", 0, "GI_PMenu_Edit", "'GI_PMenu_Edit_Body'")) << Dump(problems);

    std::vector<cmcLintProblem> none = LintDefinitionFiles(dir + "missing/");
    EXPECT_TRUE(Has(none, "ZT5531K.OVL", 0, "", "cannot read")) << Dump(none);
}

TEST(DefLint, FileReadLikeTheStore) {
    std::string path = test::TempDir() + "/f.OVL";
    test::WriteFile(path, "#A\n" + std::string(8191 + 5, 'x') + "\n#B\r\nb\n#End_Of_Ovl\n#C\n");
    cmcDefFile f;
    ASSERT_TRUE(f.Load(path));
    ASSERT_TRUE(f.Has("A"));
    EXPECT_TRUE(f.Has("B"));     // the carriage return is not part of the key
    EXPECT_FALSE(f.Has("C"));    // after the end
    EXPECT_TRUE(f.HasEnd());
    const cmcDefFile::Head* a = f.Find("A");
    ASSERT_NE(f.BodyLine(*a, 1), nullptr);
    EXPECT_EQ(f.BodyLine(*a, 1)->text, "xxxxx");  // a long line comes out as two
    EXPECT_EQ(f.BodyLine(*a, 1)->number, 2);
    bool ended = false;
    EXPECT_EQ(f.ListLines(*a, &ended).size(), 2u);
    EXPECT_TRUE(ended);
    EXPECT_FALSE(cmcDefFile().Load(path + ".none"));
}
