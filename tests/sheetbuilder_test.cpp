// The sheet builder without widgets: rows, directives, loops, filters, counters, cell copies,
// fitted sizes, the channel/bank sheet and the fatal definition errors.
#include "defs/cmcGTex.h"
#include "defs/cmcSheetBuilder.h"
#include "image/cmcEeprom.h"
#include "image/datCh.h"
#include "support/cmcTestSupport.h"

#include <gtest/gtest.h>

using namespace qx;

namespace {

// Text is 6 pixels per character, a line 10 pixels high, whatever the font.
struct FixedMeasure : cmcTextMeasure {
    int TextWidth(const cmcFont&, const std::string& line) override { return 6 * static_cast<int>(line.size()); }
    int LineHeight(const cmcFont&) override { return 10; }
};

// A definition store over the given sheet sections "GI_Sheet_T_*" plus the shared cell models;
// installed as the main store while it lives (cell models are always taken from the main store).
struct Defs {
    std::vector<std::string> lines;
    cmcGTex store;
    Defs(const std::string& style, const std::vector<std::string>& rows, const std::string& basic = "{($Basic)}") {
        lines = {"#GI_Sheet_T_Style", style, "#GI_Sheet_T_BasicCell", basic, "#GI_Sheet_T_Cells"};
        lines.insert(lines.end(), rows.begin(), rows.end());
        for (const char* l : {"#", "#CellModel_Basic", "<-(Color=clWindow)(Font=DEFAULT_CHARSET,,clWindowText,-17,,,)",
                              "#CellModel_Sel", "S(%Flex0)", "#GI_AppInd_MchSheet_Printer_Head", "Memory CH Bank",
                              "#GI_AppInd_MchSheet_Printer_SmarTrunk", "(Trunking)", "#End_Of_Ovl"})
            lines.push_back(l);
        store.SetLineList(&lines);
        SetGTex(&store);
    }
    ~Defs() { SetGTex(nullptr); }
};

std::vector<std::string> Texts(cmcSheetBuilder& b, int row) {
    std::vector<std::string> t;
    for (int c = 0; c < b.ColCount(); ++c) t.push_back(b.Cell(c, row).Text());
    return t;
}

FixedMeasure measure;

}  // namespace

TEST(SheetBuilder, RowsCutIntoCellsAndShortRowsArePaddedWithBlankCells) {
    char row[64];
    std::string line;
    for (int i = 1; i <= 2; ++i) {
        std::snprintf(row, sizeof row, "|{($Sel)}%d|", i);
        line += row;
    }
    Defs d("", {line, "a", "", "x\\|y|z|"});
    cmcSheetBuilder b(d.store, "GI_Sheet_T", {});
    b.Build(measure);
    ASSERT_EQ(b.ColCount(), 4);
    ASSERT_EQ(b.RowCount(), 4);
    EXPECT_EQ(Texts(b, 0), (std::vector<std::string>{"", "1", "", "2"}));
    EXPECT_TRUE(b.Cell(1, 0).Selectable());
    EXPECT_FALSE(b.Cell(0, 0).Selectable());
    EXPECT_EQ(Texts(b, 1), (std::vector<std::string>{"a", "", "", ""}));
    EXPECT_EQ(Texts(b, 2), (std::vector<std::string>{"", "", "", ""}));  // an empty line is a row without cells
    EXPECT_EQ(Texts(b, 3), (std::vector<std::string>{"x|y", "z", "", ""}));
    // Padding cells carry the plain defaults, not the basic cell's.
    EXPECT_EQ(b.Cell(3, 1).label, kLabelNone);
    EXPECT_EQ(b.Cell(3, 1).model, nullptr);
    EXPECT_EQ(b.Cell(0, 1).model, &b.BasicCell());
    EXPECT_EQ(b.FirstSelectableCol(), 1);
    EXPECT_EQ(b.FirstSelectableRow(), 0);
}

TEST(SheetBuilder, LoopOfTwoRowLinesRepeatsThemAndCountersRunOn) {
    Defs d("", {":(LoopFrom 3)", "{(@ch0++)}A\\(@ch0)", "{(@ch0++)}B\\(@ch0)", ":(LoopTo)", "end"});
    cmcSheetBuilder b(d.store, "GI_Sheet_T", {});
    b.Build(measure);
    ASSERT_EQ(b.RowCount(), 7);
    std::vector<std::string> col0;
    for (int r = 0; r < 7; ++r) col0.push_back(b.Cell(0, r).Text());
    EXPECT_EQ(col0, (std::vector<std::string>{"A1", "B2", "A3", "B4", "A5", "B6", "end"}));
    EXPECT_EQ(b.RowAtr(2).sourceLine, 1);
    EXPECT_EQ(b.RowAtr(3).sourceLine, 2);
}

TEST(SheetBuilder, OneLineLoopCopiesCellsWithRisingIndexWithoutParsingAgain) {
    Defs d("", {"head", ":(LoopFrom 4)", "{(@ch1++)(%CT_Mch.CL_Mch_FreqR[7])H}n\\(@ch1)|{(%CL_Mch_Text[20])}", ":(LoopTo)"});
    cmcSheetBuilder b(d.store, "GI_Sheet_T", {});
    b.Build(measure);
    ASSERT_EQ(b.RowCount(), 5);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(b.Cell(0, 1 + i).index, 7 + i);
        EXPECT_EQ(b.Cell(1, 1 + i).index, 20 + i);
        EXPECT_EQ(b.Cell(0, 1 + i).label, CL_Mch_FreqR);
        EXPECT_EQ(b.Cell(0, 1 + i).Text(), "n1");  // copies: the counter moved once
        EXPECT_EQ(b.RowHeight(1 + i), 12);          // fitted once, height copied
    }
    EXPECT_EQ(b.Counters().ch[1], 1);
}

TEST(SheetBuilder, LoopDirectiveDetails) {
    // Without a number LoopFrom is ignored; LoopFrom 0 still gives the group once.
    Defs d("", {":(LoopFrom)", "a", ":(LoopTo)", ":(LoopFrom 0)", "b", ":(LoopTo)"});
    cmcSheetBuilder b(d.store, "GI_Sheet_T", {});
    b.Build(measure);
    EXPECT_EQ(b.RowCount(), 2);
}

TEST(SheetBuilder, SkipDirectivesCountEveryLineAndStopAtTheSectionEnd) {
    struct Case {
        int model;
        std::vector<std::string> rows;
        std::vector<std::string> expect;  // first cell of each row
    };
    const std::vector<Case> cases = {
        {0, {":(Only_EEDIT 2)", ":(LoopFrom 3)", "x", "y"}, {"y"}},                // a directive line is skipped like a row
        {0, {":(Only_notEEDIT 1)", "x", "y"}, {"x", "y"}},
        {3, {":(Only_notDPmr446 1)", "x", "y"}, {"y"}},
        {2, {":(Only_notDPmr446 1)", "x", "y"}, {"x", "y"}},
        {2, {":(Only_DPmr446 1)", "x", "y"}, {"y"}},
        {0, {":(Only_DPmr446)", "x", "y"}, {"x", "y"}},                            // no number skips nothing
        {0, {":(Only_Pmr 1)", "x", "y"}, {"x", "y"}},                              // a common filter: ignored here
    };
    for (const auto& c : cases) {
        Defs d("", c.rows);
        cmcSheetBuilder b(d.store, "GI_Sheet_T", {c.model});
        b.Build(measure);
        std::vector<std::string> got;
        for (int r = 0; r < b.RowCount(); ++r) got.push_back(b.Cell(0, r).Text());
        EXPECT_EQ(got, c.expect) << c.rows[0] << " model " << c.model;
    }
}

TEST(SheetBuilder, CommonSheetFiltersByModelAndOptionBits) {
    cmcEeprom image;
    image.Resize(kImageSize);
    struct Case {
        std::string directive;
        int model;
        uint8_t byte11;
        bool kept;
    };
    const std::vector<Case> cases = {
        {"Only_Pmr 2", 0, 0, false},     {"Only_Pmr 2", 1, 0, true},      {"Only_Pmr 2", 2, 0, true},
        {"Only_Lmr 2", 0, 0, true},      {"Only_Lmr 2", 1, 0, false},     {"Only_KORV 2", 2, 0, true},
        {"Only_KORV 2", 1, 0, false},    {"Only_notKORV 2", 2, 0, false}, {"Only_notKORV 2", 3, 0, true},
        {"Only_SACC 2", 0, 0x08, true},  {"Only_SACC 2", 0, 0x10, false}, {"Only_EACC 2", 0, 0x10, true},
        {"Only_EACC 2", 0, 0x08, false}, {"Only_DPmr446 2", 3, 0, true},  {"Only_DPmr446 2", 0, 0, false},
    };
    for (const auto& c : cases) {
        image.SetByte(11, c.byte11);
        Defs d("", {"top", ":(" + c.directive + ")", "a", "b", "bottom"});
        cmcSheetBuilderCommon b(d.store, "GI_Sheet_T", {c.model, &image});
        b.Build(measure);
        EXPECT_EQ(b.RowCount(), c.kept ? 4 : 2) << c.directive << " model " << c.model;
    }
    // A "#" line inside the skipped lines still ends the section.
    Defs d("", {"top", ":(Only_Pmr 2)", "a"});
    cmcSheetBuilderCommon b(d.store, "GI_Sheet_T", {0, &image});
    b.Build(measure);
    EXPECT_EQ(b.RowCount(), 1);
}

TEST(SheetBuilder, ColumnsAndRowsFitTheirTextOrStayOneUnitWide) {
    Defs d("", {"{W}abc|{H}one\\ntwo\\nthree|plain", "{W}abcdefgh"});
    cmcSheetBuilder b(d.store, "GI_Sheet_T", {});
    b.Build(measure);
    EXPECT_EQ(b.ColWidth(0), 8 * 6 + 8);  // widest text + 8m
    EXPECT_EQ(b.ColWidth(1), 1);          // fit row only
    EXPECT_EQ(b.ColWidth(2), 1);
    EXPECT_EQ(b.RowHeight(0), 3 * 10 + 2);
    EXPECT_EQ(b.RowHeight(1), 1);
    // The margin unit scales the padding (printing).
    cmcSheetContext ctx;
    ctx.marginUnit = 5;
    cmcSheetBuilder p(d.store, "GI_Sheet_T", ctx);
    p.Build(measure);
    EXPECT_EQ(p.ColWidth(0), 8 * 6 + 40);
    EXPECT_EQ(p.ColWidth(1), 5);
    EXPECT_EQ(p.RowHeight(0), 30 + 10);
}

TEST(SheetBuilder, StyleLine) {
    struct Case {
        std::string style;
        cmcSheetStyle expect;
    };
    cmcSheetStyle titled;
    titled.title = "Channels";
    titled.titleColour = 0x0000FFFF;
    titled.fixedCols = 1;
    titled.fixedRows = 2;  // limited to rows - 1
    cmcSheetStyle print;
    print.noPrint = true;
    print.printFontRatio = 80;
    print.multiSelect = MS_Line;
    cmcSheetStyle cell;
    cell.multiSelect = MS_Cell;
    const std::vector<Case> cases = {
        {"(TitleString=Channels)(TitleColor=clYellow)(FixedCols=1)(FixedRows=9)", titled},
        {"(NoPrint)(PrintFontRatio=80)(MultiSelect=Line)", print},
        {"(MultiSelect=Cell) outside text (TitleString=)(TitleColor=clNoSuch)", cell},
        {"(MultiSelect=line)(NoPrintX)(FixedCols=5", cmcSheetStyle{}},  // lower case, not exact, unclosed
    };
    for (const auto& c : cases) {
        Defs d(c.style, {"a|b|c", "d", "e"});
        cmcSheetBuilder b(d.store, "GI_Sheet_T", {});
        b.Build(measure);
        const cmcSheetStyle& s = b.Style();
        EXPECT_EQ(s.title, c.expect.title) << c.style;
        EXPECT_EQ(s.titleColour, c.expect.titleColour) << c.style;
        EXPECT_EQ(s.fixedCols, c.expect.fixedCols) << c.style;
        EXPECT_EQ(s.fixedRows, c.expect.fixedRows) << c.style;
        EXPECT_EQ(s.noPrint, c.expect.noPrint) << c.style;
        EXPECT_EQ(s.printFontRatio, c.expect.printFontRatio) << c.style;
        EXPECT_EQ(s.multiSelect, c.expect.multiSelect) << c.style;
        EXPECT_EQ(b.Printable(), !c.expect.noPrint);
    }
}

TEST(SheetBuilder, BasicCellScalesItsFontAndIsEveryCellsModel) {
    Defs d("(PrintFontRatio=50)", {"{(Font=,,,,,fsBold,)}a|b"});
    struct Case {
        cmcSheetContext ctx;
        int height;
    };
    cmcSheetContext pct;
    pct.fontPercent = 150;
    cmcSheetContext expl;
    expl.explicitFontHeight = -30;
    cmcSheetContext print;
    print.printing = true;
    for (const auto& c : std::vector<Case>{{{}, -17}, {pct, -25}, {expl, -30}, {print, -8}}) {
        cmcSheetBuilder b(d.store, "GI_Sheet_T", c.ctx);
        b.Build(measure);
        EXPECT_EQ(b.BasicFont().height, c.height);
        // A cell's own font starts from the basic cell's.
        ASSERT_NE(b.Cell(0, 0).font, nullptr);
        EXPECT_EQ(b.Cell(0, 0).font->height, c.height);
        EXPECT_EQ(b.Cell(0, 0).font->styles, fsBold);
        EXPECT_EQ(b.Cell(1, 0).font, nullptr);
    }
}

TEST(SheetBuilder, SelectSwitchesMarkRowsForMultipleSelection) {
    std::vector<std::string> rows = {"{S}h", ":(SelectOFF)", "{S}a", ":(SelectON)", "{S}b"};
    Defs d("(MultiSelect=Cell)", rows);
    cmcSheetBuilder b(d.store, "GI_Sheet_T", {});
    b.Build(measure);
    EXPECT_EQ(b.Id(0, 0).bits, clsSheetCellId::RowSelectable);
    EXPECT_EQ(b.Id(0, 1).bits, 0);
    EXPECT_EQ(b.Id(0, 2).bits, clsSheetCellId::RowSelectable);
    // Without a multi-select mode no row takes part.
    Defs plain("", rows);
    cmcSheetBuilder p(plain.store, "GI_Sheet_T", {});
    p.Build(measure);
    EXPECT_EQ(p.Id(0, 0).bits, 0);
}

TEST(SheetBuilder, FatalDefinitionErrors) {
    {
        Defs d("", {});
        cmcSheetBuilder b(d.store, "GI_Sheet_T", {});
        EXPECT_FATAL(b.Build(measure), "Illegal Cell assign", kExitDefinitionFault);
    }
    {
        Defs d("", {"", ":(LoopFrom 2)", ""});  // rows, but no cell in any
        cmcSheetBuilder b(d.store, "GI_Sheet_T", {});
        EXPECT_FATAL(b.Build(measure), "Illegal Cell assign", kExitDefinitionFault);
    }
    {
        Defs d("", {"a|b"});
        cmcSheetBuilder b(d.store, "GI_Sheet_T", {});
        EXPECT_FATAL(b.Cell(0, 0), "Illegal Cell selection", kExitDefinitionFault);  // before the build
        b.Build(measure);
        EXPECT_FATAL(b.Cell(2, 0), "Illegal Cell selection", kExitDefinitionFault);
        EXPECT_FATAL(b.Cell(0, -1), "Illegal Cell selection", kExitDefinitionFault);
    }
    {
        Defs d("", {"a"});
        cmcSheetBuilder b(d.store, "GI_Sheet_Missing", {});
        EXPECT_FATAL(b.Build(measure), "GI_Sheet_Missing_Style", kExitDefinitionFault);
    }
}

TEST(ScrBlock, SplitsHeadAndItems) {
    cmcScrBlock b(" Bank  2 , x ,");
    EXPECT_EQ(b.Head(), "");
    cmcScrBlock p("Bank 2, x ,");
    EXPECT_EQ(p.Head(), "Bank");
    EXPECT_EQ(p.ItemCount(), 3);
    EXPECT_EQ(p.Item(0), "2");
    EXPECT_EQ(p.Item(1), "x");
    EXPECT_EQ(p.Item(2), "");
    EXPECT_EQ(p.Item(7), "");
    EXPECT_EQ(cmcScrBlock("Bank").ItemCount(), 0);
}

namespace {

struct ChBankFixture : ::testing::Test {
    cmcEeprom image;
    std::vector<std::string> rows = {"{(TitleString=x)}No|Name", ":(LoopFrom)",
                                     "{S(%CT_Mch.CL_Mch_No[@ch0])}\\(@ch0)|{(%CT_Mch.CL_Mch_Text[@ch0])}", ":(LoopTo)"};
    void SetUp() override { image.Resize(kImageSize); }
    void SetBanks(std::vector<int> counts) {
        for (int b = 0; b < 5; ++b) {
            int n = b < static_cast<int>(counts.size()) ? counts[b] : 0;
            image.SetByte(cmcSheetBuilderChBank::kBankCountAddr + 2 * b, n >> 8);
            image.SetByte(cmcSheetBuilderChBank::kBankCountAddr + 2 * b + 1, n & 0xFF);
        }
    }
};

}  // namespace

TEST_F(ChBankFixture, BankLoopNumbersTheBanksChannelsThroughCounterZero) {
    SetBanks({8, 10, 4});
    Defs d("(FixedRows=1)(MultiSelect=Line)(SelectOFF)", rows);
    cmcSheetBuilderChBank b(d.store, "GI_Sheet_T", {0, &image});
    b.SetParameter("Bank 1");
    b.Build(measure);
    EXPECT_EQ(b.Bank(), 1);
    EXPECT_EQ(b.FirstChannel(), 8);
    EXPECT_EQ(b.GroupRow(), 1);
    ASSERT_EQ(b.RowCount(), 11);
    EXPECT_EQ(b.CellRowCount(), cmcSheetBuilderChBank::kCellRows);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(b.Cell(0, 1 + i).index, 8 + i);
        EXPECT_EQ(b.Cell(1, 1 + i).index, 8 + i);
    }
    EXPECT_EQ(b.Cell(0, 1).Text(), "8");
    // Rows past the grid are ready: a joining channel shows one more row.
    EXPECT_TRUE(b.AddRow());
    EXPECT_EQ(b.RowCount(), 12);
    EXPECT_EQ(b.Cell(0, 11).index, 18);
    EXPECT_EQ(b.Id(0, 11).bits & clsSheetCellId::RowSelectable, 0);
    EXPECT_EQ(b.Id(0, 10).bits & clsSheetCellId::RowSelectable, clsSheetCellId::RowSelectable);
    EXPECT_TRUE(b.RemoveRow());
    EXPECT_EQ(b.RowCount(), 11);
    EXPECT_EQ(b.Id(0, 10).bits & clsSheetCellId::RowSelectable, 0);
}

TEST_F(ChBankFixture, PrintoutStopsAfterTheLastChannelInUse) {
    SetBanks({8, 10, 4});
    for (int ch : {7, 9, 12}) {
        datCh rec(image.Data());
        rec.Load(KIND_ChLmr, ch);
        rec.rxFreq = 446006250;
        rec.inUse = true;
        rec.Store();
    }
    Defs d("(FixedRows=1)", rows);
    struct Case {
        const char* bank;
        bool printable;
        int printedRows;
        std::vector<int> rowsWithData;  // of the printed rows after the header
    };
    const Case cases[] = {
        {"Bank 0", true, 9, {8}},            // channels 0-7, the last one in use: every row
        {"Bank 1", true, 6, {2, 5}},         // channels 8-17, 9 and 12 in use: rows up to 12
        {"Bank 2", false, 1, {}},            // channels 18-21, none in use: slots alone do not print
    };
    for (const Case& c : cases) {
        cmcSheetBuilderChBank b(d.store, "GI_Sheet_T", {0, &image});
        b.SetParameter(c.bank);
        b.Build(measure);
        EXPECT_EQ(b.Printable(), c.printable) << c.bank;
        EXPECT_EQ(b.PrintedRows(), c.printedRows) << c.bank;
        EXPECT_TRUE(b.RowHoldsData(0)) << c.bank << ": the header row";
        std::vector<int> withData;
        for (int r = 1; r < b.RowCount(); ++r)
            if (b.RowHoldsData(r)) withData.push_back(r);
        EXPECT_EQ(withData, c.rowsWithData) << c.bank;
    }
}

TEST_F(ChBankFixture, EmptyBankKeepsOnePlaceholderRowAndIsNotPrinted) {
    SetBanks({64});
    Defs d("(FixedRows=1)", rows);
    cmcSheetBuilderChBank b(d.store, "GI_Sheet_T", {0, &image});
    b.SetParameter("Bank 3");
    b.Build(measure);
    EXPECT_EQ(b.RowCount(), 2);
    EXPECT_TRUE(b.PlaceholderRow(1));
    EXPECT_FALSE(b.Printable());
    EXPECT_TRUE(b.AddRow());  // the first channel joining takes the placeholder row
    EXPECT_EQ(b.RowCount(), 2);
    EXPECT_FALSE(b.PlaceholderRow(1));
    EXPECT_EQ(b.Cell(0, 1).index, 64);
}

TEST_F(ChBankFixture, DamagedCountsNeverReachPastTheChannelTable) {
    SetBanks({60, 0xFFFF});
    Defs d("(FixedRows=1)", rows);
    cmcSheetBuilderChBank b(d.store, "GI_Sheet_T", {0, &image});
    b.SetParameter("Bank 1");
    b.Build(measure);
    EXPECT_EQ(b.BankCount(), 4);
    EXPECT_EQ(b.RowCount(), 5);
    b.SetParameter("Bank 9");  // no such bank: bank 0
    EXPECT_EQ(b.Bank(), 0);
}

TEST_F(ChBankFixture, TitleAndPrintHeading) {
    SetBanks({3, 2});
    const char name[] = "ALPHA   ";
    for (int i = 0; i < 8; ++i) image.SetByte(cmcSheetBuilderChBank::kBankNameAddr + 8 + i, name[i]);
    image.SetByte(cmcSheetBuilderChBank::kSmarTrunkAddr, 0x40);  // bank 1
    Defs d("", rows);
    cmcSheetBuilderChBank b(d.store, "GI_Sheet_T", {0, &image});
    b.SetParameter("Bank 1");
    b.Build(measure);
    EXPECT_EQ(b.BankTitle("Memory CH"), "Memory CH 2: ALPHA    (Trunking) (Left CH - 59)");
    EXPECT_EQ(b.PrintHeading(), "Memory CH Bank 2: ALPHA    (Trunking)");
    b.SetParameter("Bank 0");
    EXPECT_EQ(b.PrintHeading(), "Memory CH Bank 1:          ");
}
