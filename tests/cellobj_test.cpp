// The cell language: names, cutting rows, attributes, properties, identity, counters, text escapes,
// models, fonts and the fatal errors of bad descriptions.
#include "defs/cmcCellObj.h"
#include "defs/cmcGTex.h"
#include "support/cmcScopedDefs.h"
#include "support/cmcTestSupport.h"

#include <gtest/gtest.h>

using namespace qx;

namespace {

using test::ScopedDefs;

// The models the program's own sheets use.
std::vector<std::string> Models() {
    return {"#CellModel_Basic",
            "<-(Color=clWindow)(Font=DEFAULT_CHARSET,,clWindowText,-17,,,)(PopupMenu=GI_PMenu_Edit)",
            "#CellModel_iChI",
            "^-WH(Color=clGray)(Font=,,clWhite,,,fsBold,)",
            "#CellModel_eWh",
            "S<_WHB",
            "#CellModel_iQp",
            "(%CT_Null.CL_Misc_QuarterPillar)",
            "#CellModel_LoopA",
            "($LoopB)",
            "#CellModel_LoopB",
            "($LoopA)"};
}

cmcCellObj Parse(const std::string& desc, cmcCellCounters* counters = nullptr, const cmcCellObj* model = nullptr) {
    cmcCellObj cell;
    ParseCell(desc, &cell, counters, model);
    return cell;
}

}  // namespace

TEST(CellNames, TableHasEveryNameAtItsValue) {
    EXPECT_STREQ(kCategoryNames[0], "CT_Null");
    EXPECT_STREQ(kCategoryNames[11], "CT_2ToneTX_Common");
    EXPECT_STREQ(kCategoryNames[21], "CT_Dig_Msg_Status");
    const std::pair<int, const char*> samples[] = {
        {0, "CL_Null"},           {1, "Flex0"},           {9, "FlexAdjCh"},         {18, "CL_Menu_Edit_Top"},
        {38, "CallSheet"},        {74, "CL_PMenu_Edit"},  {96, "CL_FBits"},         {99, "CL_Misc_QuarterPillar"},
        {100, "CL_Mch_No"},       {149, "CL_Mch_Dig_CC_T"}, {150, "CL_Msk_AdrRange_Individual"},
        {238, "CL_Msk_Presl_Ptt_Side"}, {265, "CL_KDisp_Key_Conv_RightUp"}, {385, "CL_TSetI_Both"},
        {470, "CL_CEdit"},        {510, "CL_2TTx_Freq_1st"}, {513, "CL_2T_2nd_Period"}, {541, "CL_Select_TX_Code"},
        {571, "CL_Maker_SqlDelay_Op"}, {708, "CL_Maker_mRSSISL"},
    };
    for (auto [value, name] : samples) {
        EXPECT_EQ(LabelName(value), name);
        EXPECT_EQ(LabelValue(name), value) << name;
    }
    for (int v = 0; v < kLabelCount; ++v) ASSERT_EQ(LabelValue(kLabelNames[v]), v) << kLabelNames[v];
    for (int v = 0; v < kCategoryCount; ++v) ASSERT_EQ(CategoryValue(kCategoryNames[v]), v);
    EXPECT_EQ(LabelName(-1), "");
    EXPECT_EQ(LabelName(kLabelNone), "");
    EXPECT_EQ(CategoryName(kCategoryNone), "");
    EXPECT_EQ(LabelValue(""), kLabelNone);
    EXPECT_EQ(CategoryValue(""), kCategoryNone);
}

TEST(CellNames, ColoursAndFontNames) {
    uint32_t c = 0;
    ASSERT_TRUE(FindColour("clRed", &c));
    EXPECT_EQ(c, 0x000000FFu);
    ASSERT_TRUE(FindColour("clHightlightText", &c));
    EXPECT_EQ(c, 0x8000000Eu);
    ASSERT_TRUE(FindColour("clBtnHighlight", &c));
    EXPECT_EQ(c, 0x80000014u);
    EXPECT_FALSE(FindColour("clred", &c));   // case matters
    EXPECT_FALSE(FindColour(" clRed", &c));  // no trimming
    int v = 0;
    ASSERT_TRUE(FindCharset("OEM_CHARSET", &v));
    EXPECT_EQ(v, 255);
    ASSERT_TRUE(FindFontPitch("fpVariable", &v));
    EXPECT_EQ(v, 2);
    EXPECT_FALSE(FindFontStyle("fsbold", &v));
}

// A label name is no category and a category name no label, whichever was looked up first.
TEST(CellNames, CategoriesAndLabelsDoNotMix) {
    EXPECT_EQ(LabelValue("CL_Mch_No"), 100);
    EXPECT_EQ(CategoryValue("CT_Mch"), 2);
    EXPECT_FATAL(CategoryValue("CL_Mch_No"), "Cannot use the specified category.\n'CL_Mch_No'", kExitDefinitionFault);
    EXPECT_FATAL(LabelValue("CT_Mch"), "Cannot use the specified cell.\n'CT_Mch'", kExitDefinitionFault);
}

TEST(ParseCell, CutsAtTheFirstUnescapedBar) {
    struct Case {
        const char* row;
        const char* firstText;
        const char* rest;
        int cells;
    } cases[] = {
        {"a\\|b|c", "a|b", "c", 2},
        {"|x", "", "x", 2},
        {"abc", "abc", "", 1},
        {"a|", "a", "", 1},         // a final bar adds no cell
        {"a||b", "a", "|b", 3},
        {"{(%Flex0:x\\|y)}t|z", "t", "z", 2},  // the escape also holds inside braces
        {"a\\\\|b", "a\\", "b", 2},
    };
    for (const auto& c : cases) {
        cmcCellObj cell;
        std::string_view rest = ParseCell(c.row, &cell, nullptr, nullptr);
        EXPECT_EQ(cell.Text(), c.firstText) << c.row;
        EXPECT_EQ(rest, c.rest) << c.row;
        EXPECT_EQ(CountCells(c.row), c.cells) << c.row;
        EXPECT_EQ(ParseCell(c.row, nullptr, nullptr, nullptr, true), c.rest) << c.row;
    }
    EXPECT_EQ(CountCells(""), 0);
    EXPECT_EQ(Parse("{(%Flex0:x\\|y)}t").name, "x|y");
}

TEST(ParseCell, AttributeCharacters) {
    ScopedDefs defs(Models());
    struct Case {
        const char* desc;
        uint8_t layout;
        uint8_t behaviour;
        const char* text;
    } cases[] = {
        {"Abc{S}", 0, BF_Selectable, "Abc"},
        {"{<}", HA_Left, 0, ""},
        {"{^}", HA_Centre, 0, ""},
        {"{>}", HA_Right, 0, ""},
        {"{>~}", HA_Right | VA_Top << 2, 0, ""},
        {"{-}", VA_Centre << 2, 0, ""},
        {"{_^}", VA_Bottom << 2 | HA_Centre, 0, ""},
        {"{WHB+ST}", LF_FitColumn | LF_FitRow | LF_BottomLine | LF_JoinLeft, BF_Selectable | BF_Trailing, ""},
        {"{WHB+ST!W!H!B!+!S!T}", 0, 0, ""},
        {"{! S}", 0, BF_Selectable, ""},         // "!" reaches only the character right after it
        {"{!>}", HA_Right, 0, ""},                // and does nothing to an alignment
        {"{\\S}", 0, 0, ""},                      // an escaped character is skipped
        {"{S xyz}", 0, BF_Selectable, ""},        // others are ignored
        {"a{S}b{T}c", 0, BF_Selectable | BF_Trailing, "abc"},
        {"{($eWh)}", HA_Left | VA_Bottom << 2 | LF_FitColumn | LF_FitRow | LF_BottomLine, BF_Selectable, ""},
        {"{($eWh)!S>}", HA_Right | VA_Bottom << 2 | LF_FitColumn | LF_FitRow | LF_BottomLine, 0, ""},
        {"{(Flag0=1)(Flag5=1)}", 0, BF_Flag0 | BF_Flag5, ""},
        {"{(Flag6=1)(Flag0=2)(Flag1=1 )(Flag2)}", 0, 0, ""},
        {"{(Flag3=1)(Flag3=0)}", 0, 0, ""},
    };
    for (const auto& c : cases) {
        cmcCellObj cell = Parse(c.desc);
        EXPECT_EQ(cell.layout, c.layout) << c.desc;
        EXPECT_EQ(cell.behaviour, c.behaviour) << c.desc;
        EXPECT_EQ(cell.Text(), c.text) << c.desc;
    }
}

TEST(ParseCell, Properties) {
    ScopedDefs defs(Models());
    cmcCellObj red = Parse("{(Color=clRed)}Abc");
    EXPECT_EQ(red.Text(), "Abc");
    EXPECT_EQ(red.colour, 0x000000FFu);
    EXPECT_EQ(Parse("{(Color=clRed)(Color=clNoSuch)}").colour, 0x000000FFu);  // unknown names change nothing
    EXPECT_EQ(Parse("{(Color=clRed}").colour, clWindow);                       // an unclosed property is ignored
    EXPECT_EQ(Parse("{(Color=cl\\)Red)}").colour, clWindow);                    // ")" escaped: still one property

    EXPECT_EQ(Parse("{(ImageIndex=12)}").imageIndex, 12);
    EXPECT_EQ(Parse("{(ImageIndex= -3x)}").imageIndex, -3);
    EXPECT_EQ(Parse("{(ImageIndex)}").imageIndex, -1);
    EXPECT_EQ(Parse("{(ImageIndex=)}").imageIndex, 0);

    cmcCellObj popup = Parse("{(PopupMenu=GI_PMenu_NoItem)}");
    ASSERT_NE(popup.PopupMenuKey(), nullptr);
    EXPECT_EQ(*popup.PopupMenuKey(), "GI_PMenu_NoItem");
    EXPECT_EQ(Parse("{(PopupMenu=)}").PopupMenuKey(), nullptr);

    cmcCellObj onlyBraces = Parse("{($Basic)}");
    EXPECT_FALSE(onlyBraces.text.has_value());
    EXPECT_EQ(onlyBraces.HAlign(), HA_Left);
    EXPECT_EQ(onlyBraces.VAlign(), VA_Centre);
    ASSERT_TRUE(onlyBraces.font);
    EXPECT_EQ(onlyBraces.font->height, -17);
    EXPECT_EQ(*onlyBraces.PopupMenuKey(), "GI_PMenu_Edit");
}

TEST(ParseCell, Identity) {
    ScopedDefs defs(Models());
    cmcCellCounters counters;
    counters.ch[2] = 7;
    struct Case {
        const char* desc;
        int category;
        int label;
        int index;
        const char* name;  // null: none
    } cases[] = {
        {"{(%CT_PopupMenu.CL_PMenu_Edit:Enter)}", CT_PopupMenu, CL_PMenu_Edit, 5, "Enter"},
        {"{(%CT_Null.CL_Misc_QuarterPillar)}", CT_Null, CL_Misc_QuarterPillar, 5, nullptr},
        {"{(%CT_PopupMenu.)}", CT_PopupMenu, kLabelNone, 5, nullptr},
        {"{(%CL_FBits[3])}", CT_Mch, CL_FBits, 3, nullptr},  // category unchanged
        {"{(%.CL_FBits)}", kCategoryNone, CL_FBits, 5, nullptr},
        {"{(%)}", CT_Mch, kLabelNone, 5, nullptr},
        {"{(%CL_Mch_No[ -12x])}", CT_Mch, CL_Mch_No, -12, nullptr},
        {"{(%CL_Mch_No[])}", CT_Mch, CL_Mch_No, 0, nullptr},
        {"{(%CL_Mch_No[4)}", CT_Mch, CL_Mch_No, 4, nullptr},  // "]" missing
        {"{(%CL_Mch_No[@ch2])}", CT_Mch, CL_Mch_No, 7, nullptr},
        {"{(%CL_Mch_No[@ch27])}", CT_Mch, CL_Mch_No, 7, nullptr},  // anything after the digit is ignored
        {"{(%Flex0[2]:a\\)b\\\\c)}", CT_Mch, Flex0, 2, "a)b\\c"},
        {"{(%Flex0:x\\.y)}", CT_Mch, Flex0, 5, "x.y"},  // the escaped "." is no category separator
        {"{(%Flex0:)}", CT_Mch, Flex0, 5, nullptr},
        {"{(%Flex0)(%Flex1)}", CT_Mch, Flex1, 5, nullptr},
    };
    for (const auto& c : cases) {
        cmcCellObj cell;
        cell.category = CT_Mch;
        cell.index = 5;
        ParseCell(c.desc, &cell, &counters, nullptr);
        EXPECT_EQ(cell.category, c.category) << c.desc;
        EXPECT_EQ(cell.label, c.label) << c.desc;
        EXPECT_EQ(cell.index, c.index) << c.desc;
        if (c.name)
            EXPECT_EQ(cell.name, c.name) << c.desc;
        else
            EXPECT_FALSE(cell.name.has_value()) << c.desc;
        EXPECT_EQ(cell.Identity(), (cmcCellId{c.category, c.label, c.index}));
    }
}

TEST(ParseCell, CountersRunThroughARow) {
    cmcCellCounters counters;
    std::string row = "{(@ch0++)}\\(@ch0)|{(@ch0++)}\\(@ch0)|{(@ch0++)}\\(@ch0)";
    std::vector<std::string> texts;
    std::string_view rest = row;
    while (!rest.empty()) {
        cmcCellObj cell;
        rest = ParseCell(rest, &cell, &counters, nullptr);
        texts.push_back(cell.Text());
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"1", "2", "3"}));

    struct Case {
        const char* desc;
        const char* text;
    } cases[] = {
        {"Ch\\_\\(@ch0+1)", "Ch 4"},  // counter 0 holds 3 after the row above
        {"{(@ch3=41)}\\(@ch3+1)", "42"},
        {"{(@ch3 \t++)}\\(@ch3)", "42"},
        {"{(@ch4=-7)}\\(@ch4 + 2)x", "-5x"},
        {"{(@ch5=1234567)}\\(@ch5)", "123456"},  // at most six characters
        {"{(@ch6)}\\(@ch6)", "0"},               // neither "++" nor "=": nothing happens
        {"{(@ch7=5)(%Flex0[@ch7])(@ch7++)}\\(@ch7)", "6"},
    };
    for (const auto& c : cases) {
        cmcCellObj cell = Parse(c.desc, &counters);
        EXPECT_EQ(cell.Text(), c.text) << c.desc;
    }
    cmcCellObj indexed = Parse("{(@ch8=5)(%Flex0[@ch8])(@ch8++)}", &counters);
    EXPECT_EQ(indexed.index, 5);  // read when the property is met
    EXPECT_EQ(counters.ch[8], 6);
    EXPECT_EQ(indexed.counters, nullptr);  // set only while parsing
}

TEST(ParseCell, TextPart) {
    struct Case {
        const char* desc;
        const char* text;
    } cases[] = {
        {"  a b \t ", "a b"},
        {"\\_a\\_", " a "},
        {"one\\ntwo\\Nthree", "one\ntwo\nthree"},
        {"\\|x\\\\", "|x\\"},
        {"100\\%", "100%"},
        {"trailing\\", "trailing"},
        {"\xC3\xA4\xE2\x82\xAC", "\xC3\xA4\xE2\x82\xAC"},  // UTF-8 passes through untouched
    };
    for (const auto& c : cases) EXPECT_EQ(Parse(c.desc).Text(), c.text) << c.desc;
    // Braces cannot be escaped: "\{" leaves the backslash in the text part and opens an attribute group.
    cmcCellObj braces = Parse("a\\{S}b");
    EXPECT_EQ(braces.Text(), "ab");
    EXPECT_TRUE(braces.Selectable());
    EXPECT_FALSE(Parse("   ").text.has_value());
}

TEST(ParseCell, ResetAndModels) {
    ScopedDefs defs(Models());
    // Without a model the category and index of the previous parse stay; the rest is reset.
    cmcCellObj cell;
    ParseCell("{(%CT_Mch.CL_Mch_No[9]:n)(ImageIndex=3)S(Color=clRed)(Font=,,,-20,,,)(PopupMenu=P)}x", &cell, nullptr,
              nullptr);
    ParseCell("y", &cell, nullptr, nullptr);
    EXPECT_EQ(cell.category, CT_Mch);
    EXPECT_EQ(cell.index, 9);
    EXPECT_EQ(cell.label, kLabelNone);
    EXPECT_FALSE(cell.name);
    EXPECT_EQ(cell.imageIndex, -1);
    EXPECT_EQ(cell.behaviour, 0);
    EXPECT_EQ(cell.colour, clWindow);
    EXPECT_FALSE(cell.font);
    EXPECT_FALSE(cell.popupKey);
    EXPECT_EQ(cell.Text(), "y");

    // With a model every field starts from the model; font and popup key stay inherited.
    cmcCellObj basic = Parse("{($Basic)(PopupMenu=GI_PMenu_NoItem)(%CT_Scan.CL_ScanList_Text[4]:nm)S}base");
    cmcCellObj child;
    ParseCell("{!S}", &child, nullptr, &basic);
    EXPECT_EQ(child.model, &basic);
    EXPECT_EQ(child.Identity(), (cmcCellId{CT_Scan, CL_ScanList_Text, 4}));
    EXPECT_EQ(child.name, "nm");
    EXPECT_FALSE(child.text);  // the text part is the cell's text: an empty one leaves none
    EXPECT_FALSE(child.Selectable());  // "!S" clears what the model set
    EXPECT_EQ(child.HAlign(), HA_Left);
    EXPECT_FALSE(child.font);
    ASSERT_NE(child.EffectiveFont(), nullptr);
    EXPECT_EQ(child.EffectiveFont()->height, -17);
    EXPECT_FALSE(child.popupKey);
    EXPECT_EQ(*child.PopupMenuKey(), "GI_PMenu_NoItem");
    ParseCell("{(PopupMenu=GI_PMenu_Edit)}", &child, nullptr, &basic);
    EXPECT_EQ(*child.PopupMenuKey(), "GI_PMenu_Edit");

    // A column head of the flag window: its font starts from the model's.
    cmcCellObj head = Parse("{($iChI)}3", nullptr, &basic);
    ASSERT_TRUE(head.font);
    EXPECT_EQ(head.font->height, -17);
    EXPECT_EQ(head.font->colour, 0x00FFFFFFu);
    EXPECT_EQ(head.font->styles, fsBold);
    EXPECT_EQ(head.colour, 0x00808080u);
    EXPECT_EQ(basic.font->styles, 0);  // the model's font is not touched

    cmcCellObj pillar = Parse("{($iQp)}");
    EXPECT_EQ(pillar.Identity(), (cmcCellId{CT_Null, CL_Misc_QuarterPillar, 0}));

    // A copy owns its own font.
    cmcCellObj copy = head;
    copy.font->height = -30;
    EXPECT_EQ(head.font->height, -17);
    EXPECT_EQ(copy.Text(), "3");
    copy = basic;
    EXPECT_EQ(copy.name, "nm");
    EXPECT_NE(copy.font.get(), basic.font.get());
}

TEST(ParseCell, Fonts) {
    ScopedDefs defs(Models());
    cmcCellObj model;
    ParseCell("{(Font=,,,-17,,fsBold,)}", &model, nullptr, nullptr);
    struct Case {
        const char* spec;
        int charset;
        const char* face;
        uint32_t colour;
        int height;
        uint8_t styles;
        int pitch;
    } cases[] = {
        {"", kDefaultCharset, "", clWindowText, -17, fsBold, fpDefault},
        {",,,%150,,,", kDefaultCharset, "", clWindowText, -25, fsBold, fpDefault},
        {",,,%1,,,", kDefaultCharset, "", clWindowText, 1, fsBold, fpDefault},  // -17 * 1 / 100 truncates to 0
        {",,,0,,,", kDefaultCharset, "", clWindowText, -17, fsBold, fpDefault},
        {",,,,,fsItalic+fsBold,", kDefaultCharset, "", clWindowText, -17, fsBold | fsItalic, fpDefault},
        {",,,,,fsItalic,", kDefaultCharset, "", clWindowText, -17, fsItalic, fpDefault},
        {",,,,, fsNothing + fsUnderline ,", kDefaultCharset, "", clWindowText, -17, fsUnderline, fpDefault},
        {",,,,,fsNothing,", kDefaultCharset, "", clWindowText, -17, fsBold, fpDefault},
        {",,clWhite,,,fsBold,", kDefaultCharset, "", 0x00FFFFFFu, -17, fsBold, fpDefault},
        {",, clWhite", kDefaultCharset, "", clWindowText, -17, fsBold, fpDefault},  // colour: no spaces allowed
        {" \tSYMBOL_CHARSET , \tMono Face ,,,,, fpFixed ", 2, "Mono Face ", clWindowText, -17, fsBold, fpFixed},
        {"NO_CHARSET,,,,,,fpNone", kDefaultCharset, "", clWindowText, -17, fsBold, fpDefault},
        {",,,,12,,", kDefaultCharset, "", clWindowText, -16, fsBold, fpDefault},
        {",,,,%200,,", kDefaultCharset, "", clWindowText, -35, fsBold, fpDefault},  // 13 pt doubled
        {",,,-20,%50,,", kDefaultCharset, "", clWindowText, -9, fsBold, fpDefault},  // fields in order
    };
    for (const auto& c : cases) {
        cmcCellObj cell;
        ParseCell(std::string("{(Font=") + c.spec + ")}", &cell, nullptr, &model);
        ASSERT_TRUE(cell.font) << c.spec;
        const cmcFont& f = *cell.font;
        EXPECT_EQ(f.charset, c.charset) << c.spec;
        EXPECT_EQ(f.face, c.face) << c.spec;
        EXPECT_EQ(f.colour, c.colour) << c.spec;
        EXPECT_EQ(f.height, c.height) << c.spec;
        EXPECT_EQ(f.styles, c.styles) << c.spec;
        EXPECT_EQ(f.pitch, c.pitch) << c.spec;
    }
    // Without a model font the platform default is the start; two Font properties build on each other.
    cmcCellObj plain = Parse("{(Font=,,,%200,,,)(Font=,,,,,fsBold,)}");
    ASSERT_TRUE(plain.font);
    EXPECT_EQ(plain.font->height, DefaultFont().height * 2);
    EXPECT_EQ(plain.font->styles, fsBold);
    EXPECT_EQ(DefaultFont().Size(), 8);
    cmcFont f;
    f.height = -17;
    EXPECT_EQ(f.Size(), 13);
}

TEST(ParseCell, FatalDescriptions) {
    ScopedDefs defs(Models());
    cmcCellCounters counters;
    struct Case {
        const char* desc;
        bool withCounters;
        const char* message;
    } cases[] = {
        {"{(%CT_Bogus.CL_Null)}", true, "Cannot use the specified category.\n'CT_Bogus'"},
        {"{(%CL_Null.CL_Null)}", true, "Cannot use the specified category.\n'CL_Null'"},
        {"{(%CL_Bogus)}", true, "Cannot use the specified cell.\n'CL_Bogus'"},
        {"{(%CL_Mch_No:a.b)}", true, "Cannot use the specified category.\n'CL_Mch_No:a'"},
        {"{(@ch12++)}", true, "Ch No. Error"},
        {"{(@cx0++)}", true, "Ch No. Error"},
        {"{(@ch++)}", true, "Ch No. Error"},
        {"{(@ch0++)}", false, "Ch No. Error"},
        {"{(%Flex0[@ch0])}", false, "Ch No. Error"},
        {"{(%Flex0[@c0])}", true, "Ch No. Error"},
        {"\\(@ch0)", false, "Ch No. Error"},
        {"\\(@ch0", true, "Illegal Ch No."},
        {"\\(@chx)", true, "Ch No. Error"},
        {"\\(@ch01)", true, "Ch No. Error"},
        {"{($NoSuchModel)}", true, "The index 'CellModel_NoSuchModel' was not found."},
        {"{($LoopA)}", true, "Cell models nest too deeply."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.desc);
        EXPECT_FATAL(Parse(c.desc, c.withCounters ? &counters : nullptr), c.message, kExitDefinitionFault);
    }
}
