// The value editors: display formats, typed text parsing, stepping, in-place edit starts and the
// chooser chains, over the program's own definition file (its selection sheets and tone lists).
#include "cells/cmcCellViews.h"
#include "cells/cmcEditors.h"
#include "cells/cmcNumberFilter.h"
#include "defs/cmcCellObj.h"
#include "defs/cmcDefLint.h"
#include "defs/cmcFCache.h"
#include "defs/cmcGTex.h"
#include "support/cmcTestSupport.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

using namespace qx;

namespace {

// The definition file beside the test program, in a store and a list cache of the test's own.
class EditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(store_.SetFileName(test::BinDir() + "/ZT5531K.OVL"));
        SetGTex(&store_);
        lists_.emplace(&cache_);
    }
    void TearDown() override {
        lists_.reset();
        SetGTex(nullptr);
    }

    cmcGTex store_;
    cmcFCache cache_;
    std::optional<cmcScopedEditorLists> lists_;
};

// One call of an editor: a cell on a grid, with an action, typed text or a chooser pick.
struct Call {
    cmcCellObj cell;
    cmcCellObj pickedCell;
    cmcCellRequest parent;
    cmcCellRequest req;
    int grid = 0;

    explicit Call(int action = 0) {
        req.cell = &cell;
        req.grid = &grid;
        req.action = action;
    }
    // A copy points to its own cells.
    Call(const Call& o) : cell(o.cell), pickedCell(o.pickedCell), parent(o.parent), req(o.req) {
        req.cell = &cell;
        if (o.req.grid) req.grid = &grid;
        if (o.req.parent) {
            req.parent = &parent;
            parent.cell = &pickedCell;
        }
    }
    Call& operator=(const Call&) = delete;
    static Call Typed(const std::string& text) {
        Call c;
        c.req.resultKind = CRK_Input;
        c.req.input = text;
        return c;
    }
    static Call Pick(int itemKind, int item, const std::string& input = "") {
        Call c;
        c.pickedCell.label = itemKind;
        c.pickedCell.index = item;
        c.parent.cell = &c.pickedCell;
        c.req.parent = &c.parent;
        c.req.resultKind = CRK_Chooser;
        c.req.input = input;
        return c;
    }
    Call& OffGrid() {
        req.grid = nullptr;
        return *this;
    }
};

// Views that record what the editors open and accept every request.
class RecordingViews : public cmcCellViews {
public:
    struct Chooser {
        std::string sheet;
        int itemKind;
        int selected;
    };
    bool OpenChooser(cmcCellRequest&, const std::string& sheetKey, int itemKind, int selected) override {
        choosers.push_back({sheetKey, itemKind, selected});
        return true;
    }
    bool OpenFlagWindow(cmcCellRequest&, uint32_t value, int first, int last, int headerKind, int checkStyle,
                        const std::string& sheetKey) override {
        flagValue = value;
        flagFirst = first;
        flagLast = last;
        flagHeader = headerKind;
        return true;
    }
    bool StartInlineEdit(cmcCellRequest& req) override {
        inlineTexts.push_back(req.display);
        return true;
    }

    std::vector<Chooser> choosers;
    std::vector<std::string> inlineTexts;
    uint32_t flagValue = 0;
    int flagFirst = 0, flagLast = 0, flagHeader = 0;
};

}  // namespace

// ---- Number filter --------------------------------------------------------------------------------

TEST(NumberFilter, KeepsDigitsAndTheEditorsCharactersAndCutsLongTextToNine) {
    struct Case {
        const char* text;
        const char* extra;
        const char* want;
    } cases[] = {
        {"1.5 s", kFilterTimer, "1.5"},
        {"-2,75", kFilterDecimal, "-275"},
        {"12:3x0", kFilterMinSec, "12:30"},
        {"Off!", kFilterOffWord, "Off"},
        {"0x1Fg", kFilterHex, "01F"},
        {"*12#ab", kFilterDtmf, "*12#ab"},
        {"12345678", "", "12345678"},       // eight characters stay
        {"123456789", "", "123456789"},     // nine too
        {"1234567890123", "", "123456789"}, // a longer text keeps its first nine
        {"abc", "", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(NumberFilter(c.text, c.extra), c.want) << c.text;
    EXPECT_EQ(CharFilter("1234567890123*#", kFilterDtmf), "1234567890123*#");
}

// ---- List choice ----------------------------------------------------------------------------------

TEST_F(EditorTest, ListChoiceShowsStepsWrapsAndTakesAPick) {
    int value = 1;  // "Inverted"
    Call show;
    EXPECT_FALSE(cmcEditor(show.req).List(kSelDtcsInv, Flex2, value));
    EXPECT_EQ(show.req.display, "Inverted");

    Call space(32);
    EXPECT_TRUE(cmcEditor(space.req).List(kSelDtcsInv, Flex2, value));
    EXPECT_EQ(value, 0);  // wrapped from the last item to the first
    EXPECT_EQ(space.req.display, "Normal");

    Call back(8);
    EXPECT_TRUE(cmcEditor(back.req).List(kSelDtcsInv, Flex2, value));
    EXPECT_EQ(value, 1);

    Call pick = Call::Pick(Flex2, 0);
    EXPECT_TRUE(cmcEditor(pick.req).List(kSelDtcsInv, Flex2, value));
    EXPECT_EQ(value, 0);
    EXPECT_EQ(pick.req.display, "Normal");

    // A pick of another chooser (another item kind) is not this list's answer.
    Call other = Call::Pick(Flex0, 1);
    EXPECT_FALSE(cmcEditor(other.req).List(kSelDtcsInv, Flex2, value));
    EXPECT_EQ(value, 0);

    uint8_t byte = 52;
    Call byteSpace(32);
    EXPECT_TRUE(cmcEditor(byteSpace.req).ListByte(kSelCTone, byte));
    EXPECT_EQ(byte, 0);  // "Off" stands first in the sheet, 67.0 Hz (item 0) after it
}

TEST_F(EditorTest, ChoosersOpenOnlyFromAGridAndOnlyWithViews) {
    int value = 0;
    {
        Call enter(13);
        cmcEditor ed(enter.req);
        EXPECT_FALSE(ed.List(kSelDtcsInv, Flex2, value));
        EXPECT_EQ(ed.Result(), CER_None);  // no views installed: nothing can open
    }
    RecordingViews views;
    cmcScopedCellViews scope(&views);
    {
        Call enter(13);
        cmcEditor ed(enter.req);
        ed.List(kSelDtcsInv, Flex2, value);
        EXPECT_EQ(ed.Result(), CER_Opened);
        ASSERT_EQ(views.choosers.size(), 1u);
        EXPECT_EQ(views.choosers[0].sheet, kSelDtcsInv);
        EXPECT_EQ(views.choosers[0].itemKind, Flex2);
        EXPECT_EQ(views.choosers[0].selected, 0);
    }
    for (int action : {13, 32, 8, int('5')}) {
        Call menu(action);
        menu.OffGrid();
        cmcEditor ed(menu.req);
        EXPECT_FALSE(ed.List(kSelDtcsInv, Flex2, value));
        int timer = 5;
        EXPECT_FALSE(ed.Timer(timer, {.unitsPerSecond = 10}));
        EXPECT_EQ(timer, 5);
        EXPECT_EQ(ed.Result(), CER_None) << action;
    }
    EXPECT_EQ(views.choosers.size(), 1u);
}

// ---- Integer --------------------------------------------------------------------------------------

TEST_F(EditorTest, IntegerParsesRoundsOffsetsStepsAndClamps) {
    struct Case {
        const char* typed;
        cmcIntegerSpec spec;
        int want;
    } cases[] = {
        {"12", {.min = 0, .max = 255}, 12},
        {"12.5", {.min = 0, .max = 255}, 13},        // half away from zero
        {"-12.5", {.min = -20, .max = 0}, -13},
        {"300", {.min = 1, .max = 255}, 255},        // clamped
        {"-4", {.min = 1, .max = 255}, 1},
        {"3000", {.min = 400, .max = 3000, .offset = 0}, 3000},
        {"10", {.min = 0, .max = 100, .offset = 1}, 9},  // shown as value + 1
        {"17", {.min = 0, .max = 100, .step = 5}, 15},   // nearest multiple of the step
        {"18", {.min = 0, .max = 100, .step = 5}, 20},
        {"1e5", {.min = 0, .max = 255}, 15},         // the letter is filtered away before reading
    };
    for (const auto& c : cases) {
        int value = -999;
        Call call = Call::Typed(c.typed);
        EXPECT_TRUE(cmcEditor(call.req).Integer(value, c.spec)) << c.typed;
        EXPECT_EQ(value, c.want) << c.typed;
    }
    for (const char* bad : {"", "abc", "-", "."}) {
        int value = 7;
        Call call = Call::Typed(bad);
        EXPECT_FALSE(cmcEditor(call.req).Integer(value, {.min = 0, .max = 255})) << bad;
        EXPECT_EQ(value, 7);
        EXPECT_EQ(call.req.display, "7");
    }
}

TEST_F(EditorTest, IntegerSteppingWrapsOrStopsAndEditingStarts) {
    struct Case {
        int value;
        int action;
        cmcIntegerSpec spec;
        int want;
    } cases[] = {
        {255, 32, {.min = 1, .max = 255}, 1},
        {1, 8, {.min = 1, .max = 255}, 255},
        {255, 32, {.min = 1, .max = 255, .clamp = true}, 255},
        {1, 8, {.min = 1, .max = 255, .clamp = true}, 1},
        {10, 32, {.min = 0, .max = 100, .step = 4}, 12},  // 14 rounded down to a multiple of 4
        {100, 32, {.min = 0, .max = 102, .step = 4}, 0},
        {0, 8, {.min = 0, .max = 102, .step = 4}, 100},   // wraps to 102, rounded down
    };
    for (const auto& c : cases) {
        int value = c.value;
        Call call(c.action);
        cmcEditor(call.req).Integer(value, c.spec);
        EXPECT_EQ(value, c.want) << c.value << " action " << c.action;
    }

    int value = 42;
    Call enter(13);
    cmcEditor ed(enter.req);
    ed.Integer(value, {.min = 0, .max = 255, .offset = 1});
    EXPECT_EQ(ed.Result(), CER_Editor);
    EXPECT_EQ(enter.req.display, "43");
    EXPECT_EQ(enter.req.caretPos, 0);
    EXPECT_EQ(enter.req.selLength, 2);

    Call digit('7');
    cmcEditor ed2(digit.req);
    ed2.Integer(value, {.min = 0, .max = 255});
    EXPECT_EQ(ed2.Result(), CER_Editor);
    EXPECT_EQ(digit.req.display, "7");
    EXPECT_EQ(digit.req.caretPos, 1);
    EXPECT_EQ(digit.req.selLength, 0);

    // '-' starts editing only where negative values exist.
    for (auto [min, want] : {std::pair{0, CER_None}, std::pair{-115, CER_Editor}}) {
        Call minus('-');
        cmcEditor e(minus.req);
        int v = min < 0 ? -100 : 5;
        e.Integer(v, {.min = min, .max = 255});
        EXPECT_EQ(e.Result(), want) << min;
    }

    Call fixed;
    value = 3;
    cmcEditor(fixed.req).Integer(value, {.min = 0, .max = 4095, .fixedText = "4095 (No Edit)"});
    EXPECT_EQ(fixed.req.display, "4095 (No Edit)");
}

// ---- Decimal --------------------------------------------------------------------------------------

TEST(DecimalFormat, RightAlignsTheIntegerPartAndPadsTheFraction) {
    struct Case {
        long long raw;
        int s, d;
        const char* want;
    } cases[] = {
        {150, 2, 2, "  1.50"}, {4000, 1, 1, "400.0"}, {15, 0, 3, " 15.000"}, {5, 2, 2, "  0.05"},
        {2, 2, 3, "  0.020"},  {30, 2, 3, "  0.300"}, {7, 0, 0, "  7"},      {1234, 1, 1, "123.4"},
        {-5, 1, 1, " -0.5"},   // a value between -1 and 0 keeps its sign
        {-15, 1, 1, " -1.5"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatDecimal(c.raw, c.s, c.d), c.want) << c.raw;
}

TEST_F(EditorTest, DecimalParsesSnapsClampsAndWraps) {
    const cmcDecimalSpec tac{.scale = 2, .decimals = 2, .min = 0.01, .max = 2.55, .step = 1};
    const cmcDecimalSpec notone{.scale = 2, .decimals = 3, .min = 0.02, .max = 0.3, .step = 2};
    const cmcDecimalSpec ctcss{.scale = 1, .decimals = 1, .min = 60.0, .max = 300.0, .stepping = false};
    struct Case {
        const char* typed;
        const cmcDecimalSpec* spec;
        int want;
    } cases[] = {
        {"1.5", &tac, 150},     {"0.005", &tac, 1},  // 0.5 raw rounds away from zero to 1
        {"3", &tac, 255},       {"0", &tac, 1},      {"0.07", &notone, 6},  // reduced toward zero
        {"0.5", &notone, 30},   {"88.6", &ctcss, 886}, {"-1", &tac, 1},
    };
    for (const auto& c : cases) {
        int raw = -1;
        Call call = Call::Typed(c.typed);
        EXPECT_TRUE(cmcEditor(call.req).Decimal(raw, *c.spec)) << c.typed;
        EXPECT_EQ(raw, c.want) << c.typed;
    }
    int raw = 255;
    Call space(32);
    EXPECT_TRUE(cmcEditor(space.req).Decimal(raw, tac));
    EXPECT_EQ(raw, 1);
    EXPECT_EQ(space.req.display, "  0.01");

    raw = 886;
    Call noStep(32);
    cmcEditor ed(noStep.req);
    EXPECT_FALSE(ed.Decimal(raw, ctcss));  // no stepping: space starts editing instead
    EXPECT_EQ(raw, 886);
    EXPECT_EQ(ed.Result(), CER_Editor);
    EXPECT_EQ(noStep.req.display, "88.6");

    Call point('.');
    cmcEditor pe(point.req);
    pe.Decimal(raw, ctcss);
    EXPECT_EQ(point.req.display, "88.6");
    EXPECT_EQ(point.req.caretPos, 3);  // after the point
    EXPECT_EQ(point.req.selLength, 1);

    Call clear(13);
    cmcEditor ce(clear.req);
    cmcDecimalSpec clearing = ctcss;
    clearing.clearOnEdit = true;
    ce.Decimal(raw, clearing);
    EXPECT_EQ(ce.Result(), CER_Editor);
    EXPECT_EQ(clear.req.display, "");

    Call bad = Call::Typed("abc");
    EXPECT_FALSE(cmcEditor(bad.req).Decimal(raw, ctcss));
    EXPECT_EQ(raw, 886);
}

// ---- Timer ----------------------------------------------------------------------------------------

TEST_F(EditorTest, TimerFormatsWithTrimmingAndTheOffWord) {
    struct Case {
        long long raw;
        cmcTimerSpec spec;
        const char* want;
    } cases[] = {
        {25, {.unitsPerSecond = 10}, "  2.500"},
        {25, {.unitsPerSecond = 10, .trim = 2}, "  2.5"},
        {20, {.unitsPerSecond = 10, .trim = 3}, "  2."},     // stops after removing the point
        {20, {.unitsPerSecond = 10, .trim = 9}, "  2"},
        {255, {.unitsPerSecond = 1000}, "  0.255"},
        {1275, {.unitsPerSecond = 1000, .min = 100, .max = 1275}, "  1.275"},
        {7, {.unitsPerSecond = 100}, "  0.070"},
        {255, {.unitsPerSecond = 1}, "255.000"},
        {0, {.unitsPerSecond = 1, .offMode = true}, "Off"},
        {0, {.unitsPerSecond = 1}, "  0.000"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatTimer(c.raw, c.spec, true), c.want) << c.raw;
    EXPECT_EQ(FormatTimer(0, {.offMode = true}, false), "  0.000");  // the off word only on refresh
}

TEST_F(EditorTest, TimerParsesNumbersAndTheOffWord) {
    const cmcTimerSpec off{.unitsPerSecond = 1, .max = 255, .offMode = true};
    const cmcTimerSpec tenths{.unitsPerSecond = 10, .max = 255};
    const cmcTimerSpec chk{.unitsPerSecond = 1000, .min = 100, .max = 1275};
    struct Case {
        const char* typed;
        const cmcTimerSpec* spec;
        int want;
    } cases[] = {
        {"12", &off, 12},    {"of", &off, 0},      {"OFF", &off, 0},   {"Of", &off, 0},
        {"2.55", &tenths, 25}, {"0.15", &tenths, 1},  // (0.15 + 0.0005) x 10, truncated
        {"99", &tenths, 255},  {"of", &tenths, 0},      // 0 is a value of this timer
        {"0.05", &chk, 100},   {"1.3", &chk, 1275},
    };
    for (const auto& c : cases) {
        int raw = -1;
        Call call = Call::Typed(c.typed);
        EXPECT_TRUE(cmcEditor(call.req).Timer(raw, *c.spec)) << c.typed;
        EXPECT_EQ(raw, c.want) << c.typed;
    }
    // "of" on a timer whose range excludes 0, and texts without a number, change nothing.
    for (auto [typed, spec] : {std::pair{"of", &chk}, std::pair{"x", &off}, std::pair{"", &off}}) {
        int raw = 500;
        Call call = Call::Typed(typed);
        EXPECT_FALSE(cmcEditor(call.req).Timer(raw, *spec)) << typed;
        EXPECT_EQ(raw, 500);
    }
    // Typing the off word stores 0 and shows the off text.
    int raw = 30;
    Call typedOff = Call::Typed("of");
    cmcEditor(typedOff.req).Timer(raw, off);
    EXPECT_EQ(raw, 0);
    EXPECT_EQ(typedOff.req.display, "Off");

    // Enter edits the number, never the off word; space wraps.
    Call enter(13);
    cmcEditor ed(enter.req);
    ed.Timer(raw, off);
    EXPECT_EQ(enter.req.display, "0.000");
    Call back(8);
    EXPECT_TRUE(cmcEditor(back.req).Timer(raw, off));
    EXPECT_EQ(raw, 255);
    for (char c : {'o', 'O', '.', '3'}) {
        Call key(c);
        cmcEditor k(key.req);
        k.Timer(raw, off);
        EXPECT_EQ(k.Result(), CER_Editor) << c;
        EXPECT_EQ(key.req.display, std::string(1, c));
    }
}

// ---- Minutes and seconds --------------------------------------------------------------------------

TEST_F(EditorTest, MinutesAndSecondsRoundToTheStep) {
    const cmcMinSecSpec gps{.minSeconds = 0, .maxSeconds = 3570, .stepSeconds = 30};
    EXPECT_EQ(FormatMinSec(5, 30), " 2:30");
    EXPECT_EQ(FormatMinSec(119, 30), "59:30");
    struct Case {
        const char* typed;
        int want;
    } cases[] = {{"1:44", 3}, {"1:45", 4}, {":30", 1}, {"5", 10}, {"0:14", 0}, {"0:15", 1}, {"99:00", 119}};
    for (const auto& c : cases) {
        int raw = -1;
        Call call = Call::Typed(c.typed);
        EXPECT_TRUE(cmcEditor(call.req).MinSec(raw, gps)) << c.typed;
        EXPECT_EQ(raw, c.want) << c.typed;
    }
    int raw = 4;
    Call tooLong = Call::Typed("100:00");  // longer than "mm:ss"
    EXPECT_FALSE(cmcEditor(tooLong.req).MinSec(raw, gps));
    EXPECT_EQ(raw, 4);

    const cmcMinSecSpec interval{.minSeconds = 30, .maxSeconds = 3570, .stepSeconds = 30};
    Call zero = Call::Typed("0:00");
    cmcEditor(zero.req).MinSec(raw, interval);
    EXPECT_EQ(raw, 1);  // clamped to 30 s
    Call back(8);
    cmcEditor(back.req).MinSec(raw, interval);
    EXPECT_EQ(raw, 119);  // wrapped
}

// ---- Flag set -------------------------------------------------------------------------------------

TEST_F(EditorTest, FlagSetShowsTogglesAndSetsAll) {
    EXPECT_EQ(FormatFlagSet(0x81, 1, 8), "1______8\n");
    // Eleven flags: number 1 + k is bit 10 - k; 10 is shown as 0, 11 as Z.
    EXPECT_EQ(FormatFlagSet(0x403, 1, 11), "1________0Z\n");
    EXPECT_EQ(FormatFlagSet(0x7F << 1, 1, 7), "1234567\n");  // seven flags over bits 7..1

    int value = 0x81;
    Call show;
    cmcEditor(show.req).FlagSet(value, 1, 8);
    EXPECT_EQ(show.req.caretPos, 0);
    EXPECT_EQ(show.req.selLength, 1);

    struct Case {
        int value;
        int action;
        int first, last;
        int want;
    } cases[] = {
        {0x81, '3', 1, 8, 0xA1},    {0xA1, '3', 1, 8, 0x81},  // a digit toggles its flag
        {0x000, '0', 1, 11, 0x002}, {0x000, 'z', 1, 11, 0x001}, {0x000, 'Z', 1, 11, 0x001},
        {0x81, '9', 1, 8, 0x81},    // outside the flags: nothing
        {0x00, 32, 1, 8, 0xFF},     {0x10, 32, 1, 8, 0x00},     // all on when none is set, else all off
        {0x0F, 8, 1, 8, 0xF0},      // invert
        {0x01, 32, 1, 7, 0xFF},     // bit 0 lies outside flags 1..7 and is kept
        {0x101, 8, 1, 4, 0x1F1},    // four flags over bits 7..4, the rest kept
    };
    for (const auto& c : cases) {
        int v = c.value;
        Call call(c.action);
        cmcEditor(call.req).FlagSet(v, c.first, c.last);
        EXPECT_EQ(v, c.want) << std::hex << c.value << " action " << std::dec << c.action;
    }
}

TEST_F(EditorTest, FlagSetOpensTheFlagWindowAndTakesItsAnswer) {
    RecordingViews views;
    cmcScopedCellViews scope(&views);
    int value = 0x81;  // flags 1 and 8
    Call enter(13);
    cmcEditor ed(enter.req);
    EXPECT_FALSE(ed.FlagSet(value, 1, 8));
    EXPECT_EQ(ed.Result(), CER_Opened);
    EXPECT_EQ(views.flagValue, FlagWindowBit(1) | FlagWindowBit(8));
    EXPECT_EQ(views.flagFirst, 1);
    EXPECT_EQ(views.flagLast, 8);
    EXPECT_EQ(views.flagHeader, 3);

    // The window answers with flags 2 and 8 as a decimal number.
    Call answer = Call::Pick(Flex0, 0, std::to_string(FlagWindowBit(2) | FlagWindowBit(8)));
    EXPECT_TRUE(cmcEditor(answer.req).FlagSet(value, 1, 8));
    EXPECT_EQ(value, 0x41);
    EXPECT_EQ(answer.req.display, "_2_____8\n");

    Call garbage = Call::Pick(Flex0, 0, "12x");
    EXPECT_FALSE(cmcEditor(garbage.req).FlagSet(value, 1, 8));
    EXPECT_EQ(value, 0x41);

    // Typed text names the flags that are set.
    int scan = 0;
    Call typed = Call::Typed("1_3______0Z");
    EXPECT_TRUE(cmcEditor(typed.req).FlagSet(scan, 1, 11));
    EXPECT_EQ(typed.req.display, "1_3______0Z\n");
}

// ---- Digit editors --------------------------------------------------------------------------------

TEST_F(EditorTest, DigitEditorsPadFilterAndRefuse) {
    int adr = 7;
    Call show;
    cmcEditor(show.req).DecimalDigits(adr, 4, 0, 4095);
    EXPECT_EQ(show.req.display, "0007");
    struct DecCase {
        const char* typed;
        bool accepted;
        int want;
    } decCases[] = {{"4095", true, 4095}, {"4096", false, 7}, {"-1", false, 7}, {"0012", true, 12}, {"", false, 7}};
    for (const auto& c : decCases) {
        int v = 7;
        Call call = Call::Typed(c.typed);
        EXPECT_EQ(cmcEditor(call.req).DecimalDigits(v, 4, 0, 4095), c.accepted) << c.typed;
        EXPECT_EQ(v, c.want) << c.typed;
    }
    Call wrap(32);
    adr = 4095;
    cmcEditor(wrap.req).DecimalDigits(adr, 4, 0, 4095);
    EXPECT_EQ(adr, 0);

    struct HexCase {
        const char* typed;
        uint32_t want;
    } hexCases[] = {{"1f", 0x001F}, {"abcdef", 0xABCD}, {"x12y", 0x0012}, {"FFFF", 0xFFFF}};
    for (const auto& c : hexCases) {
        uint32_t v = 0x5555;
        Call call = Call::Typed(c.typed);
        EXPECT_TRUE(cmcEditor(call.req).HexDigits(v, 4)) << c.typed;
        EXPECT_EQ(v, c.want) << c.typed;
    }
    uint32_t sync = 0x0A3F;
    Call hexShow;
    cmcEditor(hexShow.req).HexDigits(sync, 4);
    EXPECT_EQ(hexShow.req.display, "0A3F");
    Call noHex = Call::Typed("xyz");
    EXPECT_FALSE(cmcEditor(noHex.req).HexDigits(sync, 4));
    EXPECT_EQ(sync, 0x0A3Fu);

    // Six password digits, one per nibble, high nibble first; the byte after them is untouched.
    uint8_t pass[4] = {0x12, 0x34, 0x56, 0x77};
    Call passShow;
    cmcEditor(passShow.req).DigitString(pass, 6);
    EXPECT_EQ(passShow.req.display, "123456");
    Call passTyped = Call::Typed("9081");
    EXPECT_TRUE(cmcEditor(passTyped.req).DigitString(pass, 6));
    EXPECT_EQ(pass[0], 0x00);
    EXPECT_EQ(pass[1], 0x90);
    EXPECT_EQ(pass[2], 0x81);
    EXPECT_EQ(pass[3], 0x77);
    uint8_t four[2] = {0x00, 0x00};
    Call fourTyped = Call::Typed("1234");
    cmcEditor(fourTyped.req).DigitString(four, 4);
    EXPECT_EQ(four[0], 0x12);
    EXPECT_EQ(four[1], 0x34);
}

// ---- Frequency ------------------------------------------------------------------------------------

TEST(Frequency, SnapsToTheRasterWithinTheTypedResolution) {
    struct Case {
        const char* typed;
        bool ok;
        uint32_t want;
    } cases[] = {
        {"446.1", true, 446100000},      {"446.10001", false, 0},  // no raster frequency within 10 Hz
        {"446.00625", true, 446006250},  {"446.006250", true, 446006250},
        {"446.006251", false, 0},        // typed to the hertz: refused, not shortened into another
        {"446.0062", true, 446006250},   // within 100 Hz upward
        {"145.51", true, 145510000},     {"145.511", false, 0},
        {"145.5125", true, 145512500},   {"446.103125", true, 446103125},
        {"799.9", true, 799900000},      {"800", false, 0},       {"799.99995", false, 0},
        {"MHz 446,1", false, 0},         // filtered to "4461" MHz: above the limit
        {"", false, 0},                  {".", false, 0},
    };
    for (const auto& c : cases) {
        uint32_t hz = 0;
        EXPECT_EQ(ParseFrequency(c.typed, &hz), c.ok) << c.typed;
        if (c.ok) {
            EXPECT_EQ(hz, c.want) << c.typed;
        }
    }
    EXPECT_EQ(FormatFrequency(446006250), "446.006250");
    EXPECT_EQ(FormatFrequency(0), "0.000000");
}

TEST(Frequency, FixedChannelTable) {
    EXPECT_EQ(std::string(FixedChannelText(0)), "446.006250");
    EXPECT_EQ(std::string(FixedChannelText(7)), "446.093750");
    EXPECT_EQ(std::string(FixedChannelText(8)), "446.103125");
    EXPECT_EQ(std::string(FixedChannelText(23)), "446.196875");
    EXPECT_EQ(std::string(FixedChannelText(24)), "#");
    for (int i = 0; i < kFixedChannelCount; ++i) {
        ASSERT_NE(FixedChannelFrequency(i), 0u) << i;  // every entry lies on the raster
        EXPECT_EQ(FixedChannelIndex(FixedChannelFrequency(i)), i);
    }
    EXPECT_EQ(FixedChannelFrequency(1) - FixedChannelFrequency(0), 12500u);
    EXPECT_EQ(FixedChannelFrequency(9) - FixedChannelFrequency(8), 6250u);
    EXPECT_EQ(FixedChannelIndex(446100000), -1);
}

TEST_F(EditorTest, FrequencyEditorReceiveAndTransmit) {
    datCh ch;
    ch.Reset();
    ch.inUse = false;  // an empty channel
    Call emptyShow(0);
    cmcEditor(emptyShow.req).Frequency(ch, cmcEditMode::Receive);
    EXPECT_EQ(emptyShow.req.display, "");

    // A receive frequency on an empty channel marks it in use; the transmit frequency follows.
    Call rx = Call::Typed("446.1");
    EXPECT_TRUE(cmcEditor(rx.req).Frequency(ch, cmcEditMode::Receive));
    EXPECT_TRUE(ch.inUse);
    EXPECT_EQ(ch.rxFreq, 446100000u);
    EXPECT_EQ(ch.txFreq, 446100000u);
    EXPECT_EQ(rx.req.display, "446.100000");
    EXPECT_EQ(rx.cell.HAlign(), 2);

    // The transmit frequency equal to the receive one is marked and centred.
    Call tx;
    cmcEditor(tx.req).Frequency(ch, cmcEditMode::Transmit);
    EXPECT_EQ(tx.req.display, "446.100000<-");
    EXPECT_EQ(tx.cell.HAlign(), 1);

    // While both were equal, the transmit frequency follows a new receive frequency ...
    Call rx2 = Call::Typed("446.2");
    cmcEditor(rx2.req).Frequency(ch, cmcEditMode::Receive);
    EXPECT_EQ(ch.txFreq, 446200000u);
    // ... but not once it differs.
    Call tx2 = Call::Typed("446.3");
    EXPECT_TRUE(cmcEditor(tx2.req).Frequency(ch, cmcEditMode::Transmit));
    EXPECT_EQ(tx2.req.display, "446.300000");
    EXPECT_EQ(tx2.cell.HAlign(), 2);
    Call rx3 = Call::Typed("446.4");
    cmcEditor(rx3.req).Frequency(ch, cmcEditMode::Receive);
    EXPECT_EQ(ch.rxFreq, 446400000u);
    EXPECT_EQ(ch.txFreq, 446300000u);

    // Refused texts leave everything as it was; 0 Hz is no receive frequency.
    for (const char* bad : {"446.10001", "", "0", "abc"}) {
        Call call = Call::Typed(bad);
        EXPECT_FALSE(cmcEditor(call.req).Frequency(ch, cmcEditMode::Receive)) << bad;
        EXPECT_EQ(ch.rxFreq, 446400000u);
        EXPECT_EQ(call.req.display, "446.400000");
    }
}

TEST_F(EditorTest, FrequencyEditorStartsEditing) {
    datCh ch;
    ch.rxFreq = 446100000;
    ch.txFreq = 446200000;
    struct Case {
        int action;
        cmcEditMode mode;
        const char* text;
        int caret, selection;
    } cases[] = {
        {'=', cmcEditMode::Transmit, "446.100000", 0, 10},  // the receive frequency
        {'.', cmcEditMode::Transmit, "446.200000", 4, 6},   // caret after the point
        {'4', cmcEditMode::Transmit, "4", 1, 0},
        {13, cmcEditMode::Transmit, "446.200000", 0, 10},
        {32, cmcEditMode::Receive, "446.100000", 0, 10},    // space acts as Enter
        {8, cmcEditMode::Receive, "446.100000", 0, 10},
    };
    for (const auto& c : cases) {
        Call call(c.action);
        cmcEditor ed(call.req);
        EXPECT_FALSE(ed.Frequency(ch, c.mode));
        EXPECT_EQ(ed.Result(), CER_Editor) << c.action;
        EXPECT_EQ(call.req.display, c.text) << c.action;
        EXPECT_EQ(call.req.caretPos, c.caret) << c.action;
        EXPECT_EQ(call.req.selLength, c.selection) << c.action;
    }
    Call eq('=');
    cmcEditor ed(eq.req);
    ed.Frequency(ch, cmcEditMode::Receive);
    EXPECT_EQ(ed.Result(), CER_None);  // '=' copies the receive frequency into the transmit one only
}

TEST_F(EditorTest, FixedChannelFrequencyIsChosenFromTheTable) {
    RecordingViews views;
    cmcScopedCellViews scope(&views);
    datCh ch;
    ch.rxFreq = 446006250;
    ch.txFreq = 446018750;
    for (int action : {13, 32, 8, int('5')}) {
        Call call(action);
        cmcEditor ed(call.req);
        ed.Frequency(ch, cmcEditMode::Transmit, true);
        EXPECT_EQ(ed.Result(), CER_Opened) << action;
    }
    ASSERT_EQ(views.choosers.size(), 4u);
    EXPECT_EQ(views.choosers[0].sheet, kSelFixedFreq);
    EXPECT_EQ(views.choosers[0].selected, 1);

    Call pick = Call::Pick(Flex0, 12);
    EXPECT_TRUE(cmcEditor(pick.req).Frequency(ch, cmcEditMode::Transmit, true));
    EXPECT_EQ(ch.txFreq, 446128125u);
    // Typed text must name one of the fixed frequencies.
    Call off = Call::Typed("446.1");
    EXPECT_FALSE(cmcEditor(off.req).Frequency(ch, cmcEditMode::Transmit, true));
    Call on = Call::Typed("446.03125");
    EXPECT_TRUE(cmcEditor(on.req).Frequency(ch, cmcEditMode::Transmit, true));
    EXPECT_EQ(ch.txFreq, 446031250u);
}

// ---- CTCSS/DTCS tone ------------------------------------------------------------------------------

namespace {
datTone Ctcss(int item) {
    datTone t;
    t.enabled = true;
    t.ctcss = static_cast<uint8_t>(item);
    return t;
}
datTone Dtcs(int code, bool inverted) {
    datTone t;
    t.enabled = true;
    t.dtcs = true;
    t.dtcsCode = static_cast<uint16_t>(code);
    t.inverted = inverted;
    return t;
}
}  // namespace

TEST_F(EditorTest, ToneDisplay) {
    struct Case {
        datTone tone;
        bool dpmr;
        const char* want;
    } cases[] = {
        {Ctcss(8), false, "88.5"},      {Ctcss(0), false, "67.0"},        {datTone{}, false, "Off"},
        {Ctcss(51), false, "User"},     {Dtcs(023, false), false, "023N"}, {Dtcs(0754, true), false, "754i"},
        {Dtcs(0777, false), false, "777N"},  // any code of three octal digits
        {Dtcs(023, true), true, "023i"},     // dPMR446: the text of the DTCS sheet item
        {Ctcss(8), true, "88.5"},
    };
    for (const auto& c : cases) {
        datTone rx = c.tone, tx;
        Call call;
        cmcEditor(call.req).Tone(rx, tx, cmcEditMode::Receive, c.dpmr);
        EXPECT_EQ(call.req.display, c.want);
    }
    datTone rx = Ctcss(8), tx = Ctcss(8);
    Call txCall;
    cmcEditor(txCall.req).Tone(rx, tx, cmcEditMode::Transmit, false);
    EXPECT_EQ(txCall.req.display, "88.5<-");
    EXPECT_EQ(txCall.cell.HAlign(), 1);
    datTone none;
    Call offCall;
    cmcEditor(offCall.req).Tone(none, none, cmcEditMode::Transmit, false);
    EXPECT_EQ(offCall.req.display, "Off");  // equal but off: no arrow
}

TEST_F(EditorTest, ToneTypedText) {
    struct Case {
        const char* typed;
        bool dpmr;
        bool ok;
        datTone want;
    } cases[] = {
        {"023I", false, true, Dtcs(023, true)},  {"023", false, true, Dtcs(023, false)},
        {"023n", false, true, Dtcs(023, false)}, {" 754i ", false, true, Dtcs(0754, true)},
        {"88.5", false, true, Ctcss(8)},         {"88", false, true, Ctcss(8)},      // one match
        {"15", false, true, Ctcss(24)},          // several: the first, 150.0
        {"151.4", false, true, Ctcss(25)},       {"1", false, false, {}},            // several, one character
        {"999", false, false, {}},               {"", false, false, {}},
        {"017", true, false, {}},                // dPMR446: not a listed DTCS code
        {"025", true, true, Dtcs(025, false)},
        {"100", false, true, Dtcs(0100, false)}, // three octal digits are a DTCS code
        {"100", true, true, Ctcss(12)},          // dPMR446: unlisted as DTCS, so 100.0 Hz
    };
    for (const auto& c : cases) {
        datTone t = Ctcss(3);
        EXPECT_EQ(ParseToneText(c.typed, c.dpmr, &t), c.ok) << c.typed;
        if (c.ok) {
            EXPECT_EQ(t, c.want) << c.typed;
        }
    }
    // Through the editor: the receive tone's change carries the equal transmit tone along.
    datTone rx = Ctcss(8), tx = Ctcss(8);
    Call call = Call::Typed("023I");
    EXPECT_TRUE(cmcEditor(call.req).Tone(rx, tx, cmcEditMode::Receive, false));
    EXPECT_EQ(rx, Dtcs(023, true));
    EXPECT_EQ(tx, Dtcs(023, true));
    EXPECT_EQ(call.req.display, "023i");
    // A transmit tone of its own stays.
    tx = Ctcss(2);
    Call call2 = Call::Typed("88.5");
    cmcEditor(call2.req).Tone(rx, tx, cmcEditMode::Receive, false);
    EXPECT_EQ(rx, Ctcss(8));
    EXPECT_EQ(tx, Ctcss(2));
}

TEST_F(EditorTest, ToneChooserChain) {
    RecordingViews views;
    cmcScopedCellViews scope(&views);
    datTone rx = Ctcss(8), tx = Ctcss(8);

    Call enter(13);
    cmcEditor e1(enter.req);
    e1.Tone(rx, tx, cmcEditMode::Receive, false);
    EXPECT_EQ(e1.Result(), CER_Opened);
    ASSERT_EQ(views.choosers.size(), 1u);
    EXPECT_EQ(views.choosers[0].sheet, kSelCTone);
    EXPECT_EQ(views.choosers[0].itemKind, Flex0);
    EXPECT_EQ(views.choosers[0].selected, 8);

    // Item 52: no tone, stored as tone number 0; the equal transmit tone follows.
    Call off = Call::Pick(Flex0, kToneItemOff);
    EXPECT_TRUE(cmcEditor(off.req).Tone(rx, tx, cmcEditMode::Receive, false));
    EXPECT_FALSE(rx.enabled);
    EXPECT_EQ(rx.ctcss, 0);
    EXPECT_EQ(tx, rx);
    EXPECT_EQ(off.req.display, "Off");

    // Item 53 on a model with free DTCS codes: in-place editing of the DTCS text.
    Call dtcs = Call::Pick(Flex0, kToneItemDtcs);
    cmcEditor e2(dtcs.req);
    EXPECT_FALSE(e2.Tone(rx, tx, cmcEditMode::Receive, false));
    EXPECT_EQ(e2.Result(), CER_Editor);
    EXPECT_EQ(views.inlineTexts.size(), 1u);

    // dPMR446: item 53 continues with the DTCS chooser, its pick with the polarity chooser.
    Call dtcs446 = Call::Pick(Flex0, kToneItemDtcs);
    cmcEditor e3(dtcs446.req);
    e3.Tone(rx, tx, cmcEditMode::Receive, true);
    EXPECT_EQ(e3.Result(), CER_Opened);
    ASSERT_EQ(views.choosers.size(), 2u);
    EXPECT_EQ(views.choosers[1].sheet, kSelDtcs);
    EXPECT_EQ(views.choosers[1].itemKind, Flex1);

    Call code = Call::Pick(Flex1, 1);  // the second code of the list: 025
    cmcEditor e4(code.req);
    EXPECT_TRUE(e4.Tone(rx, tx, cmcEditMode::Receive, true));
    EXPECT_EQ(rx, Dtcs(025, false));
    EXPECT_EQ(e4.Result(), CER_Opened);
    ASSERT_EQ(views.choosers.size(), 3u);
    EXPECT_EQ(views.choosers[2].sheet, kSelDtcsInv);
    EXPECT_EQ(views.choosers[2].itemKind, Flex2);

    Call polarity = Call::Pick(Flex2, 1);
    EXPECT_TRUE(cmcEditor(polarity.req).Tone(rx, tx, cmcEditMode::Receive, true));
    EXPECT_EQ(rx, Dtcs(025, true));
    EXPECT_EQ(tx, rx);

    // Space on a DTCS tone toggles the polarity.
    Call space(32);
    EXPECT_TRUE(cmcEditor(space.req).Tone(rx, tx, cmcEditMode::Receive, false));
    EXPECT_FALSE(rx.inverted);

    // A CTCSS pick clears DTCS.
    Call ctcss = Call::Pick(Flex0, 12);
    cmcEditor(ctcss.req).Tone(rx, tx, cmcEditMode::Receive, false);
    EXPECT_EQ(rx, Ctcss(12));

    // dPMR446: the transmit tone is shown only.
    tx = Dtcs(023, false);
    const datTone before = tx;
    auto refused = [&](Call& c) {
        cmcEditor ed(c.req);
        EXPECT_FALSE(ed.Tone(rx, tx, cmcEditMode::Transmit, true));
        EXPECT_EQ(ed.Result(), CER_None);
    };
    Call enter13(13), space32(32), typed = Call::Typed("88.5"), picked = Call::Pick(Flex0, 3);
    for (Call* c : {&enter13, &space32, &typed, &picked}) refused(*c);
    EXPECT_EQ(tx, before);
}

// ---- DTMF, 5-tone, ABC, special tone ----------------------------------------------------------------

TEST_F(EditorTest, DtmfCode) {
    uint8_t digits[24] = {1, 2, 14, 15, 10, 13};
    uint8_t count = 6;
    Call show;
    cmcEditor(show.req).Dtmf(digits, count);
    EXPECT_EQ(show.req.display, "12*#AD");

    struct Case {
        const char* typed;
        const char* shown;
        int count;
    } cases[] = {
        {"0123456789abcd*#", "0123456789ABCD*#", 16},
        {"1-2 3", "123", 3},
        {"123456789012345678901234567", "123456789012345678901234", 24},  // at most 24 digits
        {"ef", "*#", 2},
    };
    for (const auto& c : cases) {
        Call call = Call::Typed(c.typed);
        EXPECT_TRUE(cmcEditor(call.req).Dtmf(digits, count)) << c.typed;
        EXPECT_EQ(call.req.display, c.shown);
        EXPECT_EQ(count, c.count);
    }
    Call none = Call::Typed("xyz");
    EXPECT_FALSE(cmcEditor(none.req).Dtmf(digits, count));
    EXPECT_EQ(count, 2);
}

TEST_F(EditorTest, FiveToneCode) {
    const int group = 10;  // digit A is the group tone
    struct Case {
        const char* typed;
        bool receive;
        const char* shown;
        uint8_t code[5];
    } cases[] = {
        // Seven digits fill bytes 0-3 but the low nibble of byte 3, which keeps its 5.
        {"12345", true, "12345", {0x12, 0x34, 0x5F, 0xF5, 0x00}},
        {"1+3*", true, "1+3*", {0x10, 0x3A, 0xFF, 0xF5, 0x40}},  // '+' is 0 with its mask bit
        {"12g4", true, "12*4", {0x12, 0xA4, 0xFF, 0xF5, 0x00}},
        {"123f456", true, "123", {0x12, 0x3F, 0xFF, 0xF5, 0x00}},  // 'F' ends the code
        {"1+3", false, "13", {0x13, 0xFF, 0xFF, 0xF5, 0x00}},     // no '+' in transmit codes
        {"123456789", true, "1234567", {0x12, 0x34, 0x56, 0x75, 0x00}},
        {"eEb", true, "EEB", {0xEE, 0xBF, 0xFF, 0xF5, 0x00}},
        {"F", true, "", {0xFF, 0xFF, 0xFF, 0xF5, 0x00}},          // an explicit empty code
    };
    for (const auto& c : cases) {
        uint8_t code[5] = {0x55, 0x55, 0x55, 0x55, 0x55};
        Call call = Call::Typed(c.typed);
        EXPECT_TRUE(cmcEditor(call.req).FiveTone(code, group, c.receive)) << c.typed;
        EXPECT_EQ(call.req.display, c.shown) << c.typed;
        for (int i = 0; i < 5; ++i) EXPECT_EQ(code[i], c.code[i]) << c.typed << " byte " << i;
    }
    uint8_t code[5] = {0x12, 0xFF, 0xFF, 0xFF, 0x00};
    Call none = Call::Typed("xyz");
    EXPECT_FALSE(cmcEditor(none.req).FiveTone(code, group, true));
    EXPECT_EQ(code[0], 0x12);
    Call space(32);
    cmcEditor ed(space.req);
    ed.FiveTone(code, group, true);
    EXPECT_EQ(ed.Result(), CER_Editor);  // space acts as Enter
    EXPECT_EQ(space.req.display, "12");
}

TEST_F(EditorTest, AbcCode) {
    RecordingViews views;
    cmcScopedCellViews scope(&views);
    struct Shown {
        int value;
        const char* text;
    } shown[] = {{0, "Off"}, {1, "1"}, {32, "32"}, {33, "Any code"}};
    for (const auto& s : shown) {
        int v = s.value;
        Call call;
        cmcEditor(call.req).Abc(v);
        EXPECT_EQ(call.req.display, s.text);
    }
    struct Typed {
        const char* typed;
        int want;
    } typed[] = {{"of", 0}, {"OFF", 0}, {"17", 17}, {"99", 32}, {"0", 0}};
    for (const auto& t : typed) {
        int v = 5;
        Call call = Call::Typed(t.typed);
        EXPECT_TRUE(cmcEditor(call.req).Abc(v)) << t.typed;
        EXPECT_EQ(v, t.want) << t.typed;
    }
    // Stepping goes through the list and passes over the code item.
    int v = 0;
    Call space(32);
    EXPECT_TRUE(cmcEditor(space.req).Abc(v));
    EXPECT_EQ(v, 33);
    Call back(8);
    cmcEditor(back.req).Abc(v);
    EXPECT_EQ(v, 0);

    // The code item continues with the code chooser, whose pick becomes the value.
    Call pickCode = Call::Pick(Flex0, kAbcItemCode);
    cmcEditor ed(pickCode.req);
    EXPECT_FALSE(ed.Abc(v));
    EXPECT_EQ(ed.Result(), CER_Opened);
    ASSERT_FALSE(views.choosers.empty());
    EXPECT_EQ(views.choosers.back().sheet, kSelAbcCode);
    EXPECT_EQ(views.choosers.back().itemKind, Flex1);
    Call code = Call::Pick(Flex1, 21);
    EXPECT_TRUE(cmcEditor(code.req).Abc(v));
    EXPECT_EQ(v, 21);
    Call any = Call::Pick(Flex0, 33);
    EXPECT_TRUE(cmcEditor(any.req).Abc(v));
    EXPECT_EQ(v, 33);
}

TEST_F(EditorTest, SpecialToneDigit) {
    struct Case {
        const char* typed;
        bool allowF;
        bool ok;
        int want;
    } cases[] = {{"a", false, true, 10}, {"E", false, true, 14}, {"f", false, false, 3},
                 {"F", true, true, 15},  {"7x", false, true, 7}, {"g", true, false, 3}};
    for (const auto& c : cases) {
        int v = 3;
        Call call = Call::Typed(c.typed);
        EXPECT_EQ(cmcEditor(call.req).SpecialTone(v, c.allowF), c.ok) << c.typed;
        EXPECT_EQ(v, c.want) << c.typed;
    }
    int v = 14;
    Call show;
    cmcEditor(show.req).SpecialTone(v, false);
    EXPECT_EQ(show.req.display, "E");
    Call fKey('f');
    cmcEditor fe(fKey.req);
    fe.SpecialTone(v, false);
    EXPECT_EQ(fe.Result(), CER_None);  // 'F' starts nothing unless allowed
}

// ---- Code list, two-level chooser, plain text ---------------------------------------------------------

TEST_F(EditorTest, CodeListAndToneLength) {
    int v = 3;
    Call show;
    cmcEditor(show.req).ToneLength(v);
    EXPECT_EQ(show.req.display, "3");
    v = 0;
    Call off;
    cmcEditor(off.req).ToneLength(v);
    EXPECT_EQ(off.req.display, "Off");
    v = 99;  // not in the list: shown as its number
    Call odd;
    cmcEditor(odd.req).ToneLength(v);
    EXPECT_EQ(odd.req.display, "99");

    struct Case {
        const char* typed;
        bool ok;
        int want;
    } cases[] = {{"off", true, 0}, {"12", true, 12}, {" 7 ", true, 7}, {"16", false, 5}, {"x", false, 5}};
    for (const auto& c : cases) {
        int value = 5;
        Call call = Call::Typed(c.typed);
        EXPECT_EQ(cmcEditor(call.req).ToneLength(value), c.ok) << c.typed;
        EXPECT_EQ(value, c.want) << c.typed;
    }
    v = 15;
    Call space(32);
    EXPECT_TRUE(cmcEditor(space.req).ToneLength(v));
    EXPECT_EQ(v, 0);  // wrapped to the first entry
}

TEST_F(EditorTest, TwoLevelChooser) {
    RecordingViews views;
    cmcScopedCellViews scope(&views);
    int v = kMskRptNone;
    Call show;
    cmcEditor(show.req).TwoLevel(v, kSelMskRpt1st, kSelMskRpt2nd, kMskRptMoreItem);
    EXPECT_EQ(show.req.display, "No repeater");

    Call enter(13);
    cmcEditor(enter.req).TwoLevel(v, kSelMskRpt1st, kSelMskRpt2nd, kMskRptMoreItem);
    ASSERT_EQ(views.choosers.size(), 1u);
    EXPECT_EQ(views.choosers[0].selected, kMskRptNone);

    Call more = Call::Pick(Flex0, kMskRptMoreItem);
    cmcEditor ed(more.req);
    EXPECT_FALSE(ed.TwoLevel(v, kSelMskRpt1st, kSelMskRpt2nd, kMskRptMoreItem));
    EXPECT_EQ(ed.Result(), CER_Opened);
    ASSERT_EQ(views.choosers.size(), 2u);
    EXPECT_EQ(views.choosers[1].sheet, kSelMskRpt2nd);

    Call code = Call::Pick(Flex1, 17);
    EXPECT_TRUE(cmcEditor(code.req).TwoLevel(v, kSelMskRpt1st, kSelMskRpt2nd, kMskRptMoreItem));
    EXPECT_EQ(v, 17);
    EXPECT_EQ(code.req.display, "17");

    Call enter2(13);
    cmcEditor(enter2.req).TwoLevel(v, kSelMskRpt1st, kSelMskRpt2nd, kMskRptMoreItem);
    EXPECT_EQ(views.choosers.back().selected, kMskRptMoreItem);  // a code: the chooser stands on "more"

    // Stepping runs over the first list's values, then the second list.
    v = kMskRptNone;
    Call space(32);
    EXPECT_TRUE(cmcEditor(space.req).TwoLevel(v, kSelMskRpt1st, kSelMskRpt2nd, kMskRptMoreItem));
    EXPECT_EQ(v, 0);
    Call back(8);
    cmcEditor(back.req).TwoLevel(v, kSelMskRpt1st, kSelMskRpt2nd, kMskRptMoreItem);
    EXPECT_EQ(v, kMskRptNone);
    Call typed = Call::Typed("no repeater");
    v = 3;
    EXPECT_TRUE(cmcEditor(typed.req).TwoLevel(v, kSelMskRpt1st, kSelMskRpt2nd, kMskRptMoreItem));
    EXPECT_EQ(v, kMskRptNone);
}

TEST_F(EditorTest, PlainTextPadsAndReplacesUnprintables) {
    uint8_t field[16];
    std::fill(std::begin(field), std::end(field), 'x');
    Call call = Call::Typed("Fleet 7\tB\xC3\xA9");
    EXPECT_TRUE(cmcEditor(call.req).PlainText(field, 16));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(field), 16), "Fleet 7 B       ");
    EXPECT_EQ(call.req.display, "Fleet 7 B");
    Call longer = Call::Typed("0123456789ABCDEFGHIJ");
    cmcEditor(longer.req).PlainText(field, 16);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(field), 16), "0123456789ABCDEF");
    field[3] = 0x07;
    Call show;
    cmcEditor(show.req).PlainText(field, 16);
    EXPECT_EQ(show.req.display, "012 456789ABCDEF");
}

// ---- Colour codes ---------------------------------------------------------------------------------

TEST(ColourCodes, PatternsAndTheirCodes) {
    EXPECT_EQ(ColourCodePattern(1), 0x577577u);
    EXPECT_EQ(ColourCodePattern(16), 0x775DD7u);
    EXPECT_EQ(ColourCodePattern(0), 0u);
    EXPECT_EQ(ColourCodePattern(17), 0u);
    EXPECT_EQ(std::string(ColourCodeText(17)), "#");
    for (int n = 1; n <= kColourCodeCount; ++n) EXPECT_EQ(ColourCodeOf(ColourCodePattern(n)), n);
    EXPECT_EQ(ColourCodeOf(0), 0);
    EXPECT_EQ(ColourCodeOf(0x575775), 0);
    EXPECT_EQ(ColourCodeOf(0xAB577577), 1);  // only the low 24 bits are the pattern
}

// ---- The definition file ----------------------------------------------------------------------------

TEST_F(EditorTest, DefinitionFileHasEverySheetAndListTheEditorsRead) {
    RegisterEditorDefKeys();
    const std::vector<std::string> mine = {kKeyTimerOff, kKeyCtcssItems, kKeyDtcsItems, kSelCTone, kSelCToneExUser,
                                           kSelDtcs, kSelDtcsInv, kSelFixedFreq, kSelAbc, kSelAbcCode,
                                           kSelToneLength, kSelMskRpt1st, kSelMskRpt2nd};
    for (const auto& key : mine) {
        const auto& keys = RequiredDefKeys();
        EXPECT_TRUE(std::any_of(keys.begin(), keys.end(), [&](const cmcRequiredKey& k) { return k.key == key; }))
            << key << " is not registered";
    }
    for (const auto& p : LintDefinitionFiles(test::BinDir() + "/"))
        for (const auto& key : mine)
            EXPECT_EQ(p.key.rfind(key, 0), std::string::npos) << FormatLintProblem(p);

    // The lists hold the standard tones and codes, and the sheets offer every one of them.
    cmcFCache& lists = EditorLists();
    EXPECT_EQ(lists.Table(kSelCTone, Flex0).byIndex.size(), 54u);  // 51 tones, user, off, DTCS
    EXPECT_EQ(lists.Table(kSelCToneExUser, Flex0).byIndex.size(), 53u);
    EXPECT_EQ(lists.Table(kSelDtcs, Flex1).byIndex.size(), 104u);
    EXPECT_EQ(lists.Table(kSelFixedFreq, Flex0).byIndex.size(), 24u);
    EXPECT_EQ(lists.Text(kSelCTone, Flex0, kToneItemDtcs), "DTCS");
    for (int i = 0; i < kFixedChannelCount; ++i) EXPECT_EQ(lists.Text(kSelFixedFreq, Flex0, i), FixedChannelText(i));
    for (int n = 0; n < 104; ++n) {
        datTone t;
        ASSERT_TRUE(ParseToneText(lists.Text(kSelDtcs, Flex1, n), true, &t)) << n;
    }
    for (int n = 0; n <= 50; ++n) {
        datTone t;
        ASSERT_TRUE(ParseToneText(lists.Text(kSelCTone, Flex0, n), false, &t)) << n;
        EXPECT_EQ(t.ctcss, n);
    }
}
