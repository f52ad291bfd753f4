// The selection list cache (display names and order of selection sheet values) and the help
// context lookup of a cell, which searches by a key's choice text through the cache.
#include "defs/cmcFCache.h"
#include "defs/cmcHelpContext.h"
#include "support/cmcScopedDefs.h"
#include "support/cmcTestSupport.h"

#include <gtest/gtest.h>

using namespace qx;

namespace {

using test::ScopedDefs;

// Selection sheets of the tests.
std::vector<std::string> Sheets() {
    return {
        // Two columns of three values with a title row; the values are not in index order.
        "#GI_Sheet_Sel_Two_Cells",
        "{(%CL_Null)}Title|{(%CL_Null)}",
        "{(%Flex0[5])}Five|{(%Flex0[2])}Two",
        "{(%Flex0[1]:One by name)}1|{(%Flex0[7])}Seven",
        "{(%Flex0[3])}Three|{(%Flex1[3])}Other label",
        ":(SelectOFF)",
        "#",
        // Values numbered by a counter: the sheet shows 1, 2, 3.
        "#GI_Sheet_Sel_Counted_Cells",
        "{(@ch0++)(%Flex0[@ch0])}a|{(@ch0++)(%Flex0[@ch0])}b",
        "{(@ch0++)(%Flex0[@ch0])}c",
        "#",
        // The second value has no index of its own: it takes the one parsed before it.
        "#GI_Sheet_Sel_Carry_Cells",
        "{(%Flex0[4])}four|{(%Flex2[9])}other|{(%Flex0)}carried",
        "#",
        // Two cells with the same value.
        "#GI_Sheet_Sel_Dup_Cells",
        "{(%Flex0[1])}first|{(%Flex0[1])}second|{(%Flex0[2])}third",
        "#",
        "#GI_Sheet_Sel_Empty_Cells",
        "#",
    };
}

std::vector<int> WalkForward(cmcFCache& cache, const std::string& sheet, int label, int start, int steps) {
    std::vector<int> seen;
    int index = start;
    for (int i = 0; i < steps; ++i) {
        EXPECT_TRUE(cache.Step(sheet, label, &index, 1));
        seen.push_back(index);
    }
    return seen;
}

}  // namespace

TEST(FCache, TextOfEachValue) {
    ScopedDefs defs(Sheets());
    cmcFCache cache;
    struct Case {
        int index;
        const char* text;
    } cases[] = {{1, "One by name"}, {2, "Two"}, {3, "Three"}, {5, "Five"}, {7, "Seven"}, {4, "error"}, {-1, "error"}};
    for (const auto& c : cases) EXPECT_EQ(cache.Text("GI_Sheet_Sel_Two", Flex0, c.index), c.text) << c.index;
    EXPECT_EQ(cache.Text("GI_Sheet_Sel_Two", Flex1, 3), "Other label");
    EXPECT_EQ(cache.TableCount(), 2);

    const cmcSelTable& t = cache.Table("GI_Sheet_Sel_Two", Flex0);
    EXPECT_EQ(t.linesScanned, 5);
    EXPECT_EQ(t.maxCellsPerLine, 2);
    ASSERT_EQ(t.byIndex.size(), 5u);
    EXPECT_EQ(t.byIndex[0].line, 2);
    EXPECT_EQ(t.byIndex[0].column, 0);

    // A label that no cell has: "error" for every index, and the empty table stays cached.
    EXPECT_EQ(cache.Text("GI_Sheet_Sel_Two", Flex2, 0), "error");
    EXPECT_EQ(cache.Text("GI_Sheet_Sel_Two", Flex2, 1), "error");
    EXPECT_EQ(cache.TableCount(), 3);
    EXPECT_EQ(cache.Text("GI_Sheet_Sel_Empty", Flex0, 0), "error");
}

TEST(FCache, StepFollowsTheColumnsAndWraps) {
    ScopedDefs defs(Sheets());
    cmcFCache cache;
    int index = 5;
    EXPECT_FALSE(cache.Step("GI_Sheet_Sel_Two", Flex0, &index, 1));  // not built yet
    EXPECT_EQ(index, 5);
    cache.Text("GI_Sheet_Sel_Two", Flex0, 5);

    // Down the first column (5, 1, 3), then down the second (2, 7), then round again.
    EXPECT_EQ(WalkForward(cache, "GI_Sheet_Sel_Two", Flex0, 5, 6), (std::vector<int>{1, 3, 2, 7, 5, 1}));
    struct Case {
        int from;
        int delta;
        int to;
    } cases[] = {
        {5, -1, 7},   // back from the first gives the last
        {7, 1, 5},    // forward from the last gives the first
        {3, 2, 7},
        {1, -3, 7},   // past the start: the last, not a modulo
        {2, 5, 5},    // past the end: the first
        {4, 1, 5},    // not in the list: the first
        {4, -1, 5},
        {3, 0, 3},
    };
    for (const auto& c : cases) {
        int i = c.from;
        EXPECT_TRUE(cache.Step("GI_Sheet_Sel_Two", Flex0, &i, c.delta));
        EXPECT_EQ(i, c.to) << c.from << " " << c.delta;
    }

    cache.Text("GI_Sheet_Sel_Empty", Flex0, 0);
    index = 9;
    EXPECT_TRUE(cache.Step("GI_Sheet_Sel_Empty", Flex0, &index, 1));
    EXPECT_EQ(index, 9);
}

TEST(FCache, IndicesAsTheSheetNumbersThem) {
    ScopedDefs defs(Sheets());
    cmcFCache cache;
    // Counters start from zero for the values as they do in the sheet, whatever the counting pass did.
    EXPECT_EQ(cache.Text("GI_Sheet_Sel_Counted", Flex0, 1), "a");
    EXPECT_EQ(cache.Text("GI_Sheet_Sel_Counted", Flex0, 2), "b");
    EXPECT_EQ(cache.Text("GI_Sheet_Sel_Counted", Flex0, 3), "c");
    EXPECT_EQ(cache.Text("GI_Sheet_Sel_Counted", Flex0, 4), "error");

    // A value without an index takes the index of the cell parsed before it.
    EXPECT_EQ(cache.Text("GI_Sheet_Sel_Carry", Flex0, 4), "four");
    EXPECT_EQ(cache.Text("GI_Sheet_Sel_Carry", Flex0, 9), "carried");

    // Two cells of one value: Text gives one of them, Step stops at the first in sheet order.
    std::string dup = cache.Text("GI_Sheet_Sel_Dup", Flex0, 1);
    EXPECT_TRUE(dup == "first" || dup == "second") << dup;
    int index = 1;
    cache.Step("GI_Sheet_Sel_Dup", Flex0, &index, 1);
    EXPECT_EQ(index, 1);  // from the first "1" to the second "1"
    index = 2;
    cache.Step("GI_Sheet_Sel_Dup", Flex0, &index, 1);
    EXPECT_EQ(index, 1);
}

TEST(FCache, FaultsAreFatal) {
    ScopedDefs defs(Sheets());
    cmcFCache cache;
    EXPECT_FATAL(cache.Text("GI_Sheet_Sel_Missing", Flex0, 0), "The index 'GI_Sheet_Sel_Missing_Cells' was not found.",
                 kExitDefinitionFault);
    cmcHash2 names;
    cmcSelTable a, b;
    names.Insert("S#1", &a);
    EXPECT_EQ(names.Find("S#1"), &a);
    EXPECT_EQ(names.Find("S#2"), nullptr);
    EXPECT_FATAL(names.Insert("S#1", &b), "Overlapped Hash2 table.", kExitDefinitionFault);
}

namespace {

// A help store over a file in a fresh folder, installed for the lifetime of the object.
class ScopedHelp {
public:
    explicit ScopedHelp(const std::string& text) {
        store_.SetFileName(test::WriteFile(test::TempDir() + "/help.OVL", text));
        SetHelpGTex(&store_);
    }
    ~ScopedHelp() { SetHelpGTex(nullptr); }
    cmcHelpGTex& store() { return store_; }

private:
    cmcHelpGTex store_;
};

const char* kHelp =
    "#GI_AppItem_Topic_ID\n"
    "CL_Mch_FreqR\tT_Freq\n"
    "CL_Mch_FreqT\tT_Freq\n"
    "CL_Mch_FreqR\tT_Second\n"
    "CL_Mch_Text\tT_Unknown\n"
    "#\n"
    "#GI_AppItem_Key_Assign_Topic_ID\n"
    "Monitor\tT_Key_Moni\n"
    "Scan\tT_Key_Scan\n"
    "#\n"
    "#GI_AppItem_Context_ID\n"
    "T_Freq\t100\n"
    "T_Key_Moni\t200\n"
    "T_Key_Scan\t300\n"
    "T_Freq\t110\n"
    "#\n"
    "#End_Of_Ovl\n";

}  // namespace

TEST(HelpContext, TopicThenContext) {
    ScopedDefs defs({
        "#GI_Sheet_Sel_Keys_Conv_Lmr_Cells",
        "{(%Flex0[48])}Monitor|{(%Flex0[49])}Scan",
        "#",
        "#GI_Sheet_Sel_Keys_Conv_Pmr_Cells",
        "{(%Flex0[48])}Scan",
        "#",
        "#GI_Sheet_Sel_KDisp_Key_SmTr_Cells",
        "{(%Flex0[1])}Monitor",
        "#",
    });
    ScopedHelp help(kHelp);
    cmcFCache lists;
    cmcEeprom image;
    image.Resize(kImageSize);
    image.SetByte(0x8802, 48);  // LeftUp of the conventional keys
    image.SetByte(0x8809, 1);   // RightDn of the trunking keys

    struct Case {
        int label;
        int modelType;
        int context;
    } cases[] = {
        {CL_Mch_FreqR, 0, 110},              // first topic line; last context line
        {CL_Mch_FreqT, 0, 110},
        {CL_Mch_Text, 0, 0},                  // topic without a context
        {CL_Mch_No, 0, 0},                    // no topic
        {CL_KDisp_Key_Conv_LeftUp, 0, 200},   // code 48 is "Monitor" in the LMR list
        {CL_KDisp_Key_Conv_LeftUp, 1, 300},   // and "Scan" in the PMR list
        {CL_KDisp_Key_Conv_LeftUp, 2, 300},
        {CL_KDisp_Key_Conv_RightUp, 0, 0},    // code 0: not in the list
        {CL_KDisp_Key_SmTr_RightDn, 0, 200},
        {CL_KDisp_Key_Conv_P4, 0, 0},         // not a key-assignment cell: searched by label name
    };
    for (const auto& c : cases) {
        cmcCellObj cell;
        cell.label = c.label;
        EXPECT_EQ(HelpContextOf(cell, image, c.modelType, lists), c.context) << LabelName(c.label) << " " << c.modelType;
    }
    cmcCellObj cell;
    cell.label = CL_KDisp_Key_Conv_LeftUp;
    cmcHelpSearch s = HelpSearchOf(cell, image, 0, lists);
    EXPECT_EQ(s.text, "Monitor");
    EXPECT_TRUE(s.keyAssign);
    EXPECT_EQ(HelpTopicOf({"Monitor", false}, help.store()), "");  // the label table does not hold key texts
}
