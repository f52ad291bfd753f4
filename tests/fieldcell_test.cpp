// Field cells: the generic behaviour of field rows over places (bits, bytes, 16-bit words, signed
// bytes, record fields), editors and rules (model types, extended mode, blocked rows, read-only,
// marks, grey text, notification), run through the cell handler with a table of the test's rows.
#include "cells/cmcCellCapsule.h"
#include "cells/cmcCellTable.h"
#include "cells/cmcCellViews.h"
#include "cells/cmcFieldCell.h"
#include "common/cmcClock.h"
#include "defs/cmcEvMan.h"
#include "defs/cmcFCache.h"
#include "defs/cmcGTex.h"
#include "image/indMain.h"
#include "support/cmcTestCellEnv.h"
#include "support/cmcTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using namespace qx;
using namespace qx::field;

namespace {

int g_grid = 0;  // stands for the grid of grid requests

std::string OnOff(int item) { return EditorLists().Text("GI_Sheet_Sel_Misc_OnOff", Flex0, item); }
std::string OnOff2(int item) { return EditorLists().Text("GI_Sheet_Sel_Misc_OnOff2", Flex0, item); }

// What the user does to the cell.
struct Op {
    enum Kind { Refresh, Key, Type, Pick } kind = Refresh;
    int action = 0;      // Key
    std::string text;    // Type
    int itemKind = 0;    // Pick
    int item = 0;
};
Op Refresh() { return {}; }
Op Key(int action) {
    Op op;
    op.kind = Op::Key;
    op.action = action;
    return op;
}
Op Typed(std::string text) {
    Op op;
    op.kind = Op::Type;
    op.text = std::move(text);
    return op;
}
Op Picked(int itemKind, int item) {
    Op op;
    op.kind = Op::Pick;
    op.itemKind = itemKind;
    op.item = item;
    return op;
}

struct RecordingViews : cmcCellViews {
    int opened = 0;
    bool OpenChooser(cmcCellRequest&, const std::string&, int, int) override { return ++opened, true; }
    bool OpenFlagWindow(cmcCellRequest&, uint32_t, int, int, int, int, const std::string&) override { return false; }
};

class FieldCell : public ::testing::Test {
protected:
    void SetUp() override {
        OpenDefinitionFiles();
        main_.LoadStartImage(kModelPmr);
    }
    void TearDown() override { clock_->Advance(kDeferredCheckMs); }

    uint8_t* Image() { return main_.WorkingImage().Data(); }

    // Runs `op` on a cell of `row`'s label through the handler with a table holding only `row`.
    cmcCellRequest Run(const cmcFieldRow& row, const Op& op, int category = CT_Null, int index = 0) {
        cmcCellTable table;
        table.Fields(&row, 1);
        cell_ = cmcCellObj();
        cell_.category = category;
        cell_.label = row.label;
        cell_.index = index;
        cmcCellObj picked;
        picked.label = op.itemKind;
        picked.index = op.item;
        cmcCellRequest opener;
        opener.cell = &picked;
        cmcCellRequest req;
        req.cell = &cell_;
        req.grid = &g_grid;
        req.paint = &paint_;
        paint_ = cmcCellPaint();
        req.notify = [this](cmcCellRequest&, uint32_t flags) { notified_ = flags; };
        switch (op.kind) {
        case Op::Refresh: break;
        case Op::Key: req.action = op.action; break;
        case Op::Type:
            req.resultKind = CRK_Input;
            req.input = op.text;
            break;
        case Op::Pick:
            req.parent = &opener;
            req.resultKind = CRK_Chooser;
            break;
        }
        opened_ = cmcCellCapsule(env_.Env(), &table).Execute(req, true);
        req.parent = nullptr;
        return req;
    }
    std::string Show(const cmcFieldRow& row, int category = CT_Null, int index = 0) {
        return Run(row, Refresh(), category, index).display;
    }

    cmcScopedManualTime clock_;
    RecordingViews views_;
    indMain main_;
    test::CellEnv env_{main_, &views_};
    cmcCellObj cell_;
    cmcCellPaint paint_;
    uint32_t notified_ = 0;
    uint8_t opened_ = 0;
};

// ---- places and editors ------------------------------------------------------------------------

TEST_F(FieldCell, PlacesAndEditors) {
    struct Case {
        const char* name;
        cmcFieldRow row;
        int model;
        std::vector<std::pair<int, uint8_t>> before;  // image bytes set first
        std::string shownBefore;
        Op op;
        std::string shownAfter;                       // after the op, on a fresh refresh
        std::vector<std::pair<int, uint8_t>> after;   // image bytes expected
    } cases[] = {
        {"one bit, the rest of the byte kept",
         {CL_KDisp_HangAct_Moni, Bits(0x95A0, 7), List("GI_Sheet_Sel_Misc_OnOff")}, kModelPmr,
         {{0x95A0, 0x7F}}, OnOff(0), Key(CA_Space), OnOff(1), {{0x95A0, 0xFF}}},
        {"bit range by chooser pick",
         {CL_Msk_Cfg_Dec_ANI_Disp, Bits(0x9C12, 4, 5), List("GI_Sheet_Sel_Misc_OnOff")}, kModelKorvPmr,
         {{0x9C12, 0xFF}}, "", Picked(Flex0, 1), OnOff(1), {{0x9C12, 0xDF}}},
        {"16-bit high byte first, 4 decimal digits",
         {CL_Msk_AdrRange_Common, Word(0x9AA1), DecDigits(4, 0, 4095)}, kModelKorvPmr,
         {{0x9AA1, 0x01}, {0x9AA2, 0x02}}, "0258", Typed("4095"), "4095", {{0x9AA1, 0x0F}, {0x9AA2, 0xFF}}},
        {"16-bit refuses a value outside the digits' range",
         {CL_Msk_AdrRange_Common, Word(0x9AA1), DecDigits(4, 0, 4095)}, kModelKorvPmr,
         {{0x9AA1, 0x01}, {0x9AA2, 0x02}}, "0258", Typed("5000"), "0258", {{0x9AA1, 0x01}, {0x9AA2, 0x02}}},
        {"16-bit hexadecimal",
         {CL_Msk_Presl_Sync, Word(0x9A19), HexDigits(4)}, kModelKorvPmr,
         {{0x9A19, 0xAB}, {0x9A1A, 0x0C}}, "AB0C", Typed("1f"), "001F", {{0x9A19, 0x00}, {0x9A1A, 0x1F}}},
        {"signed byte, typed value clamped to the range",
         {CL_Dig_Tim_L0Level, Signed(0xA36D), Integer(-115, -100)}, kModelDPmr446,
         {{0xA36D, 0x94}}, "-108", Typed("-120"), "-115", {{0xA36D, 0x8D}}},
        {"signed byte steps with wrap-around",
         {CL_Dig_Tim_L0Level, Signed(0xA36D), Integer(-115, -100)}, kModelDPmr446,
         {{0xA36D, 0x9C}}, "-100", Key(CA_Space), "-115", {{0xA36D, 0x8D}}},
        {"timer with the off word: typed seconds",
         {CL_Comm_AtResetTimer_A, Byte(0x95BD), Timer(1).Off()}, kModelPmr,
         {{0x95BD, 0}}, "Off", Typed("12"), " 12.000", {{0x95BD, 12}}},
        {"timer with the off word: typed off",
         {CL_Comm_AtResetTimer_A, Byte(0x95BD), Timer(1).Off()}, kModelPmr,
         {{0x95BD, 40}}, " 40.000", Typed("of"), "Off", {{0x95BD, 0}}},
        {"16-bit timer in milliseconds",
         {CL_Dig_Tim_Chk, Word(0xA365), Timer(1000, 100, 1275)}, kModelDPmr446,
         {{0xA365, 0x04}, {0xA366, 0xFB}}, "  1.275", Key(CA_Space), "  0.100", {{0xA365, 0x00}, {0xA366, 0x64}}},
        {"decimal wraps from the maximum to the minimum",
         {CL_Msk_TimingErr_TAC, Byte(0x9BF1), Decimal(2, 2, 0.01, 2.55)}, kModelKorvPmr,
         {{0x9BF1, 255}}, "  2.55", Key(CA_Space), "  0.01", {{0x9BF1, 1}}},
        {"minutes and seconds",
         {CL_Msk_Cfg_Gps_TimeMarker, Byte(0x9C0E), MinSec(0, 3570)}, kModelKorvPmr,
         {{0x9C0E, 5}}, " 2:30", Typed("1:44"), " 1:30", {{0x9C0E, 3}}},
        {"flag set keeps the bits outside it",
         {CL_5TRx_CompareDigit, Byte(0x9599), Flags(1, 7)}, kModelPmr,
         {{0x9599, 0x81}}, "1______\n", Typed("2"), "_2_____\n", {{0x9599, 0x41}}},
        {"scaled integer: shown value = stored / 10",
         {CL_Exp_BeepFreq_Low, Word(0x9587), Integer(400, 3000), Scaled(10)}, kModelPmr,
         {{0x9587, 0x0F}, {0x9588, 0xA0}}, "400", Typed("1000"), "1000", {{0x9587, 0x27}, {0x9588, 0x10}}},
        {"digit string of nibbles",
         {CL_Comm_UserPassword, Bytes(0x957D), DigitString(4)}, kModelPmr,
         {{0x957D, 0x12}, {0x957E, 0x34}}, "1234", Typed("9876"), "9876", {{0x957D, 0x98}, {0x957E, 0x76}}},
        {"text",
         {CL_KDisp_OpeningText, Bytes(0x9A0D), Text(8)}, kModelPmr,
         {}, "", Typed("Fleet 7"), "Fleet 7", {{0x9A0D, 'F'}, {0x9A14, ' '}}},
        {"display only takes no action",
         {CL_Mch_Dig_Sig, Byte(0x9BF7), ShowOnly()}, kModelKorvPmr,
         {{0x9BF7, 3}}, "3", Typed("5"), "3", {{0x9BF7, 3}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        main_.LoadStartImage(c.model);
        for (auto [at, v] : c.before) Image()[at] = v;
        if (!c.shownBefore.empty()) {
            EXPECT_EQ(Show(c.row), c.shownBefore);
        }
        Run(c.row, c.op);
        EXPECT_EQ(Show(c.row), c.shownAfter);
        for (auto [at, v] : c.after) EXPECT_EQ(Image()[at], v) << "offset " << at;
    }
}

TEST_F(FieldCell, RowsOfATableUseTheirIndex) {
    const cmcFieldRow row{CL_UTone_TonePeriod, Byte(0x9677).PerIndex(1), Integer(0, 255)};
    Run(row, Typed("42"), CT_UserTone, 5);
    EXPECT_EQ(Image()[0x9677 + 5], 42);
    EXPECT_EQ(Show(row, CT_UserTone, 5), "42");
}

TEST_F(FieldCell, StepsAndChoosersOnlyFromAGrid) {
    const cmcFieldRow row{CL_KDisp_HangAct_Moni, Bits(0x95A0, 7), List("GI_Sheet_Sel_Misc_OnOff")};
    Image()[0x95A0] = 0;
    Run(row, Key(CA_Enter));
    EXPECT_EQ(opened_, CER_Opened);
    EXPECT_EQ(views_.opened, 1);
    cmcCellObj cell;
    cell.label = row.label;
    cmcCellRequest req;
    req.cell = &cell;
    req.action = ' ';
    cmcCellTable table;
    table.Fields(&row, 1);
    cmcCellCapsule(env_.Env(), &table).Execute(req, true);
    EXPECT_EQ(Image()[0x95A0], 0);
}

// ---- record fields -----------------------------------------------------------------------------

TEST_F(FieldCell, RecordFieldsAreStoredThroughTheRecord) {
    // A channel flag: the record is encoded into the image and the row repainted.
    datCh ch(Image());
    ch.Load(KIND_ChPmr, 3);
    const bool neighbour = ch.narrow;
    ch.Load(KIND_ChPmr, 2);
    ch.rxFreq = ch.txFreq = 446006250;
    ch.inUse = true;
    ch.narrow = false;
    ch.Store();
    const cmcFieldRow narrow{CL_Mch_Nar, Rec(&datCh::narrow), List("GI_Sheet_Sel_Misc_OnOff")};
    EXPECT_EQ(Show(narrow, CT_Mch, 2), OnOff(0));
    Run(narrow, Key(CA_Space), CT_Mch, 2);
    EXPECT_TRUE(notified_ & CN_SameIndex);
    ch.Load(KIND_ChPmr, 2);
    EXPECT_TRUE(ch.narrow);
    ch.Load(KIND_ChPmr, 3);
    EXPECT_EQ(ch.narrow, neighbour);

    // A bit range of an option byte, on another record kind than the category's.
    const cmcFieldRow sel{CL_Msk_CallList_Sel, Rec(&datCh::opt, 1).Bits(2, 3).AsKind(KIND_MskCallList),
                          Integer(0, 3)};
    main_.LoadStartImage(kModelKorvPmr);
    ch.Bind(Image());
    ch.Load(KIND_MskCallList, 4);
    ch.opt[1] = 0xF3;
    ch.Store();
    Run(sel, Typed("2"), CT_Null, 4);
    ch.Load(KIND_MskCallList, 4);
    EXPECT_EQ(ch.opt[1], 0xFB);

    // A record field where the category loads no record shows the placeholder.
    main_.LoadStartImage(kModelPmr);
    EXPECT_EQ(Show(narrow, CT_Null, 2), "----");
}

// ---- rules -------------------------------------------------------------------------------------

TEST_F(FieldCell, ListByModelTypeAndModelConditions) {
    const cmcFieldRow row{CL_Comm_Tot, Bits(0x95A0, 5),
                          ModelList("GI_Sheet_Sel_Misc_OnOff", "GI_Sheet_Sel_Misc_OnOff2",
                                    "GI_Sheet_Sel_Misc_OnOff2", "GI_Sheet_Sel_Misc_OnOff"),
                          Models(ModelBit(kModelLmr) | ModelBit(kModelPmr) | ModelBit(kModelKorvPmr))};
    main_.LoadStartImage(kModelLmr);
    Image()[0x95A0] = 0;
    EXPECT_EQ(Show(row), OnOff(0));
    main_.LoadStartImage(kModelPmr);
    Image()[0x95A0] = 0;
    EXPECT_EQ(Show(row), OnOff2(0));
    // A model type the row does not name: the placeholder in grey, and no action.
    main_.LoadStartImage(kModelDPmr446);
    Image()[0x95A0] = 0;
    cmcCellRequest req = Run(row, Key(CA_Space));
    EXPECT_EQ(req.display, "----");
    EXPECT_TRUE(paint_.textColorSet);
    EXPECT_EQ(paint_.textColor, 0x00C0C0C0u);
    EXPECT_EQ(Image()[0x95A0], 0);

    // Blocked on a condition of the call: Korv with MSK signalling on, and row 0.
    const cmcFieldRow stn{CL_Mch_Stn_L, Rec(&datCh::stnFlag), List("GI_Sheet_Sel_Misc_OnOff"),
                          Blocked(KorvMskOn, "-")};
    main_.LoadStartImage(kModelKorvPmr);
    datCh ch(Image());
    ch.Load(KIND_ChKorvPmr, 0);
    ch.rxFreq = ch.txFreq = 446006250;
    ch.inUse = true;
    ch.mskSignal = true;
    ch.Store();
    EXPECT_EQ(Show(stn, CT_Mch, 0), "-");
    ch.mskSignal = false;
    ch.Store();
    EXPECT_NE(Show(stn, CT_Mch, 0), "-");
    const cmcFieldRow group{CL_2T_GroupCall, Byte(0x9600).PerIndex(1), Integer(0, 9), Row0()};
    EXPECT_EQ(Show(group, CT_Null, 0), "----");
    EXPECT_NE(Show(group, CT_Null, 1), "----");
}

TEST_F(FieldCell, ExtendedModeOnlyCells) {
    main_.LoadStartImage(kModelDPmr446);  // the digital timers live in a dPMR446 block
    const cmcFieldRow row{CL_Dig_Tim_ND, Byte(0xA36F), Integer(1, 8), ExtendedOnly()};
    Image()[0xA36F] = 3;
    Image()[0x000B] &= ~0x10;
    cmcCellRequest req = Run(row, Typed("5"));
    EXPECT_EQ(req.display, "");
    EXPECT_EQ(Image()[0xA36F], 3);
    Image()[0x000B] |= 0x10;
    Run(row, Typed("5"));
    EXPECT_EQ(Image()[0xA36F], 5);
}

TEST_F(FieldCell, MarksColoursAndNotification) {
    auto moniWarning = [](const cmcCellCall& c, int v) { return c.IsKorv() && v != 6 && v != 7; };
    const cmcFieldRow row{CL_Comm_ManDown_ReCycle, Byte(0x9BF0), Integer(1, 8),
                          Grey(BitClear<0x959E, 2>) | Warn(moniWarning) | Error(ValueIs<8>) |
                              Notify(CN_All) | Post(EVC_BankIcons) | MarkLeft()};
    main_.LoadStartImage(kModelKorvPmr);
    Image()[0x959E] = 0x00;
    Image()[0x9BF0] = 6;
    cmcCellRequest req = Run(row, Refresh());
    EXPECT_TRUE(paint_.textColorSet);
    EXPECT_EQ(req.resultFlags & (CRF_Warning | CRF_Error), 0);
    EXPECT_EQ(req.markPos, CMP_Left);
    EXPECT_EQ(notified_ & CN_All, 0u);

    Image()[0x959E] = 0x04;
    req = Run(row, Typed("8"));  // the marks follow the new value
    EXPECT_FALSE(paint_.textColorSet);
    EXPECT_EQ(req.resultFlags & (CRF_Warning | CRF_Error), CRF_Warning | CRF_Error);
    EXPECT_TRUE(notified_ & CN_All);
    cmcEvent seen{};
    env_.Events().Register(
        [](void* user, const cmcEvent& e) {
            if (e.code == EVC_BankIcons) *static_cast<cmcEvent*>(user) = e;
        },
        &seen);
    env_.Events().Tick();
    EXPECT_EQ(seen.code, EVC_BankIcons);
}

TEST_F(FieldCell, ReadOnlyRowsAndComputedPlaces) {
    // Row 23 read-only in its own colour; other rows edit.
    const cmcFieldRow row{CL_Msk_Msg_Status_Beep, Byte(0x9700).PerIndex(1), Integer(0, 9),
                          ReadOnlyWhen(IndexIs<23>, 0x00008080)};
    Image()[0x9700 + 23] = 1;
    Run(row, Typed("4"), CT_Null, 23);
    EXPECT_EQ(Image()[0x9700 + 23], 1);
    EXPECT_EQ(paint_.textColor, 0x00008080u);
    Run(row, Typed("4"), CT_Null, 22);
    EXPECT_EQ(Image()[0x9700 + 22], 4);

    // A value spread over bits: value = bit 2 x 2 + bit 3.
    const cmcFieldRow batt{
        CL_Exp_BattTypeChange,
        Computed([](const cmcCellCall& c) { return ((c.Byte(0x95A1) >> 2) & 1) * 2 + ((c.Byte(0x95A1) >> 3) & 1); },
                 [](cmcCellCall& c, int v) {
                     const int b = c.Byte(0x95A1) & ~0x0C;
                     c.SetByte(0x95A1, static_cast<uint8_t>(b | ((v >> 1) & 1) << 2 | (v & 1) << 3));
                 }),
        Integer(0, 3)};
    Image()[0x95A1] = 0x04;
    EXPECT_EQ(Show(batt), "2");
    Run(batt, Typed("1"));
    EXPECT_EQ(Image()[0x95A1], 0x08);
}

TEST_F(FieldCell, ModelMaximumAndOffWordOfADecimal) {
    const cmcFieldRow tot{CL_Comm_Tot_Timer, Byte(0x95B9), Timer(1).MaxFor(kModelDPmr446, 180)};
    main_.LoadStartImage(kModelDPmr446);
    Run(tot, Typed("200"));
    EXPECT_EQ(Image()[0x95B9], 180);
    main_.LoadStartImage(kModelPmr);
    Run(tot, Typed("200"));
    EXPECT_EQ(Image()[0x95B9], 200);

    const cmcFieldRow reset{CL_Comm_Tot_Reset, Byte(0x95CA), Decimal(0, 3, 0, 15), OffWhenZero()};
    Image()[0x95CA] = 0;
    EXPECT_EQ(Show(reset), GTex().Line(kKeyTimerOff, 0));
    Run(reset, Key(CA_Space));
    EXPECT_EQ(Image()[0x95CA], 1);
    EXPECT_EQ(Show(reset), "  1.000");
}

}  // namespace
