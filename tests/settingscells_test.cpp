// The radio settings cells on real images: every plain field lands on exactly its own bits, the
// settings with rules of their own (key function choice chain, rotary knob, beep level, AF minimum
// level, battery type, passwords, comments, scaled numbers), the DTMF, tone pair and scan list
// records, the derived key flags that saving recomputes, and the settings sheets of every model
// type showing a value in every cell.
#include "cells/cmcCellCapsule.h"
#include "cells/cmcCellTable.h"
#include "cells/cmcCellViews.h"
#include "cells/cmcEditors.h"
#include "common/cmcClock.h"
#include "defs/cmcEvMan.h"
#include "defs/cmcGTex.h"
#include "defs/cmcSheetBuilder.h"
#include "image/cmcImageMap.h"
#include "image/indMain.h"
#include "support/cmcRecordingViews.h"
#include "support/cmcTestCellEnv.h"
#include "support/cmcTestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace qx;

namespace {

int g_grid = 0;  // stands for the grid of grid requests

using test::RecordingViews;

// One expected byte after an edit: the bits of `mask` at `offset` hold `value`.
struct Bits {
    int offset;
    uint8_t mask;
    uint8_t value;
};

// Bytes of a text or a number spread over several bytes.
std::vector<Bits> BytesAt(int offset, const std::vector<uint8_t>& bytes) {
    std::vector<Bits> out;
    for (size_t i = 0; i < bytes.size(); ++i) out.push_back({offset + static_cast<int>(i), 0xFF, bytes[i]});
    return out;
}
std::vector<Bits> TextAt(int offset, const std::string& text) {
    return BytesAt(offset, std::vector<uint8_t>(text.begin(), text.end()));
}

class SettingsCells : public ::testing::Test {
protected:
    void SetUp() override {
        OpenDefinitionFiles();
        test::Messages().Clear();
        Load(kModelLmr);
    }
    void TearDown() override { clock_->Advance(kDeferredCheckMs); }

    void Load(int model) { main_.LoadStartImage(model); }
    uint8_t* Image() { return main_.WorkingImage().Data(); }

    static cmcCellObj Cell(int category, int label, int index = 0) { return test::CellOf(category, label, index); }
    cmcCellRequest Request(cmcCellObj& cell, int action = 0) {
        cmcCellRequest req;
        req.cell = &cell;
        req.grid = &g_grid;
        req.action = action;
        return req;
    }
    std::string Show(cmcCellObj& cell) {
        cmcCellRequest req = Request(cell);
        capsule_.Execute(req, true);
        return req.display;
    }
    // Delivers a pick of the chooser opened by `opener`, as the chooser does; returns the request
    // of the pick (a chooser opened by the pick answers to it).
    std::unique_ptr<cmcCellRequest> Pick(cmcCellObj& cell, int itemKind, int item, const cmcCellRequest* opener = nullptr) {
        auto picked = std::make_unique<cmcCellObj>(Cell(CT_Null, itemKind, item));
        pickedCells_.push_back(std::move(picked));
        auto parent = std::make_unique<cmcCellRequest>(opener ? *opener : Request(cell, CA_Enter));
        parent->cell = pickedCells_.back().get();
        auto req = std::make_unique<cmcCellRequest>(Request(cell));
        req->parent = parent.get();
        req->resultKind = CRK_Chooser;
        req->notify = [this](cmcCellRequest&, uint32_t flags) { notified_ = flags; };
        parents_.push_back(std::move(parent));
        capsule_.Execute(*req, true);
        return req;
    }
    void Type(cmcCellObj& cell, const std::string& text) {
        cmcCellRequest req = Request(cell);
        req.resultKind = CRK_Input;
        req.input = text;
        capsule_.Execute(req, true);
    }
    // "pick:N", "type:TEXT", "space" or "backspace".
    void Edit(cmcCellObj& cell, const std::string& how) {
        if (how.rfind("pick:", 0) == 0) {
            Pick(cell, Flex0, std::stoi(how.substr(5)));
        } else if (how.rfind("type:", 0) == 0) {
            Type(cell, how.substr(5));
        } else {
            cmcCellRequest req = Request(cell, how == "space" ? CA_Space : CA_Backspace);
            capsule_.Execute(req, true);
        }
    }

    cmcScopedManualTime clock_;
    indMain main_;
    RecordingViews views_;
    test::CellEnv env_{main_, &views_};
    cmcCellCapsule capsule_{env_.Env()};
    uint32_t notified_ = 0;
    std::vector<std::unique_ptr<cmcCellObj>> pickedCells_;
    std::vector<std::unique_ptr<cmcCellRequest>> parents_;
};

// ---- every settings field on its own bits --------------------------------------------------------

struct FieldCase {
    int model;
    int label;
    const char* edit;          // see SettingsCells::Edit
    std::vector<Bits> expect;  // the bytes the edit must leave; every other bit stays as it was
    const char* shown;         // the display after the edit (nullptr: not checked)
    std::vector<Bits> preset = {};  // bytes set before the edit
};

TEST_F(SettingsCells, EachFieldLandsOnItsOwnBits) {
    const int L = kModelLmr, P = kModelPmr, K = kModelKorvPmr, D = kModelDPmr446;
    const std::vector<FieldCase> cases = {
        // keys and display
        {L, CL_KDisp_Key_SmTr_P2, "pick:5", {{0x880E, 0xFF, 5}}, "Monitor"},
        {D, CL_KDisp_Key_Dig_LeftDn, "pick:12", {{0x8813, 0xFF, 12}}, "Emergency"},
        {L, CL_KDisp_Tenkey_Select, "pick:1", {{0x959F, 0x10, 0x10}}, "DTMF keypad"},
        {L, CL_KDisp_OpeningText, "type:HELLO", TextAt(0x9A0D, "HELLO   "), "HELLO"},
        {K, CL_KDisp_ScrollTimer, "type:2.5", {{0x9C0D, 0xFF, 25}}, "  2.500"},
        {L, CL_KDisp_RfPoSel, "pick:1", {{0x95A2, 0x04, 0x04}}, nullptr},
        {P, CL_KDisp_MrCode, "pick:3", {{0x959E, 0x03, 3}}, "Number and name"},
        {L, CL_KDisp_PwrSW, "pick:1", {{0x95A1, 0x10, 0x10}}, "Disabled"},
        {L, CL_KDisp_PrioA_SwOn, "pick:1", {{0x95A0, 0x02, 0x02}}, nullptr},
        {K, CL_KDisp_PrioA_ClearDown, "pick:1", {{0x95A1, 0x80, 0x80}}, nullptr},
        {L, CL_KDisp_RotarySel, "pick:4", {{0x95A2, 0x18, 0x10}}, "Bank"},
        {L, CL_KDisp_RotarySel, "pick:2", {{0x95A2, 0x18, 0x08}}, "Volume"},
        {L, CL_KDisp_RotarySel, "pick:6", {{0x95A2, 0x18, 0x18}}, nullptr},
        // set mode
        {D, CL_TSetM_SqlLev, "type:SQ", TextAt(0xA411, "SQ  "), "SQ"},
        {D, CL_TSetI_Both, "type:ALL", TextAt(0xA4B9, "ALL"), nullptr},
        {L, CL_SetM_Backlight, "pick:2", {{0x013E, 0x0F, 2}}, "Auto"},
        {L, CL_SetM_BeepOn, "pick:0", {{0x0130, 0x80, 0}}, "Off"},
        {L, CL_SetM_BeepLev, "pick:3", {{0x0130, 0x4F, 0x03}}, "Level 3", {{0x0130, 0xFF, 0x45}}},
        {L, CL_SetM_BeepLev, "pick:112", {{0x0130, 0x4F, 0x4C}}, "Volume-linked 12"},
        {L, CL_SetM_SqlLev, "type:200", {{0x0131, 0xFF, 200}}, "200"},
        {L, CL_SetM_AFMinLev, "pick:0", {{0x0132, 0xFF, 0}}, "Off", {{0x0132, 0xFF, 7}}},
        {L, CL_SetM_AFMinLev, "pick:1", {{0x0132, 0xFF, 1}}, "On"},
        {L, CL_SetM_MicGain, "pick:4", {{0x0133, 0xFF, 4}}, "5 (high)"},
        {L, CL_SetM_BATVDisp, "pick:0", {{0x013F, 0x40, 0}}, nullptr},
        {L, CL_SetM_SigMoni, "pick:1", {{0x013F, 0x04, 0x04}}, "Off"},
        {L, CL_SetM_Ringer, "pick:3", {{0x0134, 0xFF, 3}}, "Tone 4"},
        {L, CL_SetM_Ringer2, "pick:5", {{0x0136, 0xFF, 5}}, "Tone 5"},
        {L, CL_SetM_RingerTimer, "type:20", {{0x0135, 0xFF, 16}}, "16"},
        {L, CL_SetM_RingerLev, "pick:9", {{0x0137, 0x0F, 9}}, "Level 9"},
        {L, CL_SetM_CodeDisp, "pick:1", {{0x013E, 0x10, 0x10}}, "Number"},
        {L, CL_SetM_Psave, "pick:3", {{0x013F, 0x03, 3}}, nullptr},
        {L, CL_USetM_Backlight, "pick:1", {{0x958D, 0x80, 0x80}}, "User may change"},
        {L, CL_USetM_BeepOn, "pick:1", {{0x958D, 0x40, 0x40}}, nullptr},
        {L, CL_USetM_BeepLev, "pick:1", {{0x958D, 0x04, 0x04}}, nullptr},
        {L, CL_USetM_SqlLev, "pick:1", {{0x958D, 0x20, 0x20}}, nullptr},
        {L, CL_USetM_MicGain, "pick:1", {{0x958D, 0x10, 0x10}}, nullptr},
        {L, CL_USetM_BATVDisp, "pick:1", {{0x958D, 0x08, 0x08}}, nullptr},
        {L, CL_USetM_BERDisp, "pick:1", {{0x958D, 0x02, 0x02}}, nullptr},
        {L, CL_USetM_SigMoni, "pick:1", {{0x958D, 0x01, 0x01}}, nullptr},
        {L, CL_USetM_Ringer, "pick:1", {{0x958E, 0x80, 0x80}}, nullptr},
        {L, CL_USetM_Ringer2, "pick:1", {{0x958E, 0x08, 0x08}}, nullptr},
        {L, CL_USetM_RingerTimer, "pick:1", {{0x958E, 0x40, 0x40}}, nullptr},
        {L, CL_USetM_RingerLev, "pick:1", {{0x958E, 0x04, 0x04}}, nullptr},
        {L, CL_USetM_CodeDisp, "pick:1", {{0x958E, 0x20, 0x20}}, nullptr},
        {L, CL_USetM_Psave, "pick:1", {{0x958E, 0x10, 0x10}}, nullptr},
        // common settings
        {L, CL_Comm_UserPassword, "type:1234", BytesAt(0x957D, {0x12, 0x34}), "1234"},
        {L, CL_Comm_DealerPasscode, "type:987654", BytesAt(0x957F, {0x98, 0x76, 0x54}), "987654"},
        {L, CL_Comm_PwrOnPassword, "pick:1", {{0x95A2, 0x20, 0x20}}, nullptr},
        {L, CL_Comm_IniSetModeAccess, "pick:1", {{0x95D9, 0x80, 0x80}}, "Enabled"},
        {L, CL_Comm_KeyChgModeAccess, "pick:1", {{0x95D9, 0x40, 0x40}}, nullptr},
        {L, CL_Comm_AllClearAccess, "pick:1", {{0x95D9, 0x20, 0x20}}, nullptr},
        {L, CL_Comm_SetModeAccess, "pick:1", {{0x95A0, 0x08, 0x08}}, nullptr},
        {L, CL_Comm_AtResetTimer_A, "type:of", {{0x95BD, 0xFF, 0}}, "Off", {{0x95BD, 0xFF, 5}}},
        {L, CL_Comm_AtResetTimer_B, "type:120", {{0x95BE, 0xFF, 120}}, "120.000"},
        {P, CL_Comm_InactiveTimer, "type:30", {{0x95BF, 0xFF, 30}}, " 30.000"},
        {L, CL_Comm_Tot_Timer, "type:200", {{0x95B9, 0xFF, 200}}, "200.000"},
        {D, CL_Comm_Tot_Timer, "type:200", {{0x95B9, 0xFF, 180}}, "180.000"},
        {P, CL_Comm_Tot_ID_Out, "pick:1", {{0x95A0, 0x20, 0x20}}, nullptr},
        {L, CL_Comm_Tot_Dtmf_ID_Out, "pick:1", {{0x95A0, 0x20, 0x20}}, nullptr},
        {L, CL_Comm_Tot_PenaltyTimer, "type:10", {{0x95BA, 0xFF, 10}}, nullptr},
        {L, CL_Comm_Tot_Beep, "pick:1", {{0x95A0, 0x10, 0x10}}, nullptr},
        {L, CL_Comm_Tot_Reset, "type:7", {{0x95CA, 0xFF, 7}}, "  7.000"},
        {L, CL_Comm_Tot_Reset, "type:20", {{0x95CA, 0xFF, 15}}, " 15.000"},
        {L, CL_Comm_CloneComment1, "type:Fleet\x01" "A", TextAt(0x95DD, "Fleet A         "), "Fleet A"},
        {L, CL_Comm_CloneComment2, "type:Depot 2", TextAt(0x95ED, "Depot 2         "), nullptr},
        {D, CL_Comm_LockoutAna, "pick:3", {{0xA376, 0x0C, 0x0C}}, "Busy or wrong tone"},
        {D, CL_Comm_LockoutDig, "pick:2", {{0xA376, 0x03, 2}}, nullptr},
        {L, CL_Comm_LockoutPenaltyTimer, "type:3", {{0x95BB, 0xFF, 3}}, nullptr},
        {L, CL_Comm_LockoutOverride, "pick:1", {{0x95A2, 0x02, 0x02}}, nullptr},
        {L, CL_Comm_Ctcss_ToneBurst, "pick:1", {{0x959F, 0x08, 0x08}}, nullptr},
        {L, CL_Comm_Ctcss_ReverseBurst, "type:0.15", {{0x95A7, 0xFF, 15}}, "  0.150"},
        {L, CL_Comm_Ctcss_ChMuteCont, "pick:1", {{0x959E, 0x08, 0x08}}, nullptr},
        {K, CL_Comm_RS232C_SPPED, "pick:5", {{0x959D, 0x0F, 5}}, "38400 bit/s"},
        {K, CL_Comm_RS232C_Mode, "pick:2", {{0x959D, 0x30, 0x20}}, "Data"},
        {D, CL_Comm_Dig_Rs232c_Speed, "pick:3", {{0xA375, 0x03, 3}}, nullptr},
        {D, CL_Comm_Dig_Rs232c_Mode, "pick:1", {{0xA375, 0x10, 0x10}}, nullptr},
        {L, CL_Comm_Scrm_Type, "pick:1", {{0x9582, 0x08, 0x08}}, "Simple inversion"},
        {L, CL_Comm_Scrm_SyncCapture, "pick:2", {{0x9582, 0xC0, 0x80}}, "Medium"},
        {L, CL_Comm_Scrm_GroupCode, "pick:3", {{0x9582, 0x03, 3}}, nullptr},
        {L, CL_Comm_Scrm_TStartTiming, "pick:1", {{0x9582, 0x30, 0x10}}, nullptr},
        {L, CL_Comm_PwrSave_Timer1, "type:1.5", {{0x95C5, 0xFF, 15}}, nullptr},
        {L, CL_Comm_PwrSave_Timer2, "type:9", {{0x95C6, 0xFF, 9}}, nullptr},
        {L, CL_Comm_ManDown_ON, "pick:1", {{0x959E, 0x04, 0x04}}, nullptr},
        {L, CL_Comm_ManDown_Timer, "type:2", {{0x95C7, 0xFF, 20}}, nullptr},
        {K, CL_Comm_ManDown_TS1, "type:1", {{0x9BF2, 0xFF, 10}}, nullptr},
        {K, CL_Comm_ManDown_TS2, "type:2", {{0x9BF3, 0xFF, 20}}, nullptr},
        {K, CL_Comm_ManDown_TS3, "type:3", {{0x9BF4, 0xFF, 30}}, nullptr},
        {L, CL_Comm_ManDown_Sairen, "pick:1", {{0x959F, 0x80, 0x80}}, "Siren"},
        {K, CL_Comm_ManDown_ReCycle, "type:9", {{0x9BF0, 0xFF, 8}}, "8"},
        {L, CL_Comm_SmartRing_Beep, "pick:5", {{0x95D9, 0x07, 5}}, "Pattern 5"},
        {L, CL_Comm_SmartRing_BeepTimer, "type:61", {{0x95BC, 0xFF, 60}}, " 60.000"},
        {L, CL_Comm_AllSelect, "pick:1", {{0x0148, 0x04, 0x04}}, nullptr},
        {L, CL_Comm_TRDataOut, "pick:1", {{0x95A0, 0x04, 0x04}}, nullptr},
        {P, CL_Comm_Wide, "pick:1", {{0x95A2, 0x80, 0x80}}, "Wide and narrow"},
        {D, CL_Comm_PTTSide, "pick:1", {{0xA375, 0x40, 0x40}}, nullptr},
        {D, CL_Comm_PTTOver, "pick:1", {{0xA375, 0x20, 0x20}}, nullptr},
        {D, CL_Comm_PTTwithRinger, "pick:1", {{0xA375, 0x80, 0x80}}, nullptr},
        {L, CL_Comm_LowBatt1_Periods, "type:30", {{0x95DA, 0xFF, 30}}, nullptr},
        {L, CL_Comm_LowBatt2_Periods, "type:45", {{0x95DB, 0xFF, 45}}, nullptr},
        // extended settings
        {L, CL_Exp_UserCtcss, "type:123.4", BytesAt(0x9697, {0x04, 0xD2}), "123.4"},
        {L, CL_Exp_UserCtcss, "type:400", BytesAt(0x9697, {0x0B, 0xB8}), "300.0"},
        {L, CL_Exp_Emer_SwOnTimer, "type:1.2", {{0x95B6, 0xFF, 12}}, nullptr},
        {L, CL_Exp_Emer_SwOffTimer, "type:0.5", {{0x95B7, 0xFF, 5}}, nullptr},
        {L, CL_Exp_Emer_StartRepeat, "type:4", {{0x95B8, 0xFF, 4}}, nullptr},
        {L, CL_Exp_BeepFreq_Low, "type:1000", BytesAt(0x9587, {0x27, 0x10}), "1000"},
        {L, CL_Exp_BeepFreq_High, "type:5000", BytesAt(0x9589, {0x75, 0x30}), "3000"},
        {L, CL_Exp_DtcsInv_Tx, "pick:1", {{0x959E, 0x80, 0x80}}, "Inverted"},
        {L, CL_Exp_DtcsInv_Rx, "pick:1", {{0x959E, 0x40, 0x40}}, nullptr},
        {L, CL_Exp_ClShift, "pick:2", {{0x95A1, 0x03, 2}}, nullptr},
        {L, CL_Exp_BattTypeChange, "pick:1", {{0x95A1, 0x0C, 0x08}}, "Ni-MH"},
        {L, CL_Exp_BattTypeChange, "pick:2", {{0x95A1, 0x0C, 0x04}}, "Alkaline"},
        {L, CL_Exp_PttSw, "pick:1", {{0x95A2, 0x40, 0x40}}, "Enabled"},
        // DTMF and scan timers and switches
        {L, CL_Dtmf_DtmfTimer, "type:0.12", {{0x95AE, 0xFF, 12}}, "  0.120"},
        {L, CL_Dtmf_FirstTimer, "type:0.5", {{0x95AF, 0xFF, 50}}, nullptr},
        {L, CL_Dtmf_MarkTimer, "type:1", {{0x95B0, 0xFF, 100}}, nullptr},
        {L, CL_ScanComm_StopTimer, "type:2.5", {{0x95B2, 0xFF, 25}}, nullptr},
        {L, CL_ScanComm_StopTimerB, "type:1", {{0x95C8, 0xFF, 10}}, nullptr},
        {L, CL_ScanComm_ResumeTimer, "type:4", {{0x95B3, 0xFF, 40}}, nullptr},
        {L, CL_ScanComm_TalkBackTimer, "type:of", {{0x95C9, 0xFF, 0}}, "Off", {{0x95C9, 0xFF, 9}}},
        {L, CL_ScanComm_ScanTimer_Fast, "type:0.2", {{0x95A5, 0xFF, 200}}, "  0.200"},
        {L, CL_ScanComm_ScanTimer_Slow, "type:0.5", {{0x95A6, 0xFF, 50}}, nullptr},
        {L, CL_ScanComm_PwrOnScan, "pick:1", {{0x95A0, 0x80, 0x80}}, nullptr},
        {P, CL_ScanComm_AutoChCall_PmrOnly, "pick:1", {{0x959F, 0x02, 0x02}}, nullptr},
        {L, CL_ScanComm_BacklitatStopScan, "pick:1", {{0x95A2, 0x01, 0x01}}, nullptr},
    };
    for (const FieldCase& c : cases) {
        const std::string name = LabelName(c.label) + " " + c.edit;
        Load(c.model);
        for (const Bits& b : c.preset) Image()[b.offset] = b.value;
        const cmcEeprom before = main_.WorkingImage();
        cmcCellObj cell = Cell(CT_Null, c.label);
        Edit(cell, c.edit);
        EXPECT_TRUE(capsule_.Wrote()) << name;
        std::vector<uint8_t> allowed(main_.WorkingImage().GetSize(), 0);
        for (const Bits& b : c.expect) {
            EXPECT_EQ(Image()[b.offset] & b.mask, b.value) << name << " at " << std::hex << b.offset;
            allowed[b.offset] |= b.mask;
        }
        for (int a = 0; a < main_.WorkingImage().GetSize(); ++a)
            EXPECT_EQ(Image()[a] & ~allowed[a], before.GetByte(a) & ~allowed[a]) << name << " touched " << std::hex << a;
        if (c.shown) {
            EXPECT_EQ(Show(cell), c.shown) << name;
        }
    }
}

TEST_F(SettingsCells, RulesOfTheirOwnShowTheirValues) {
    // The beep level in hundreds: bit 6 set and 5 in bits 0-3 is item 105.
    Image()[0x0130] = 0x45;
    cmcCellObj beep = Cell(CT_Null, CL_SetM_BeepLev);
    EXPECT_EQ(Show(beep), "Volume-linked 5");
    // The AF minimum level is on for any byte but 0.
    Image()[0x0132] = 0x80;
    cmcCellObj af = Cell(CT_Null, CL_SetM_AFMinLev);
    EXPECT_EQ(Show(af), "On");
    // The battery type reads bit 2 as the high bit.
    Image()[0x95A1] = 0x04;
    cmcCellObj batt = Cell(CT_Null, CL_Exp_BattTypeChange);
    EXPECT_EQ(Show(batt), "Alkaline");
    // The reset time shows the off word for 0, the bit error rate a dash.
    Image()[0x95CA] = 0;
    cmcCellObj reset = Cell(CT_Null, CL_Comm_Tot_Reset);
    EXPECT_EQ(Show(reset), "Off");
    cmcCellObj ber = Cell(CT_Null, CL_SetM_BERDisp);
    EXPECT_EQ(Show(ber), "----");
    Edit(ber, "space");
    EXPECT_FALSE(capsule_.Wrote());
    // The user CTCSS tone is typed only: space does not step it.
    const int ctcss = main_.WorkingImage().GetByte(0x9698);
    cmcCellObj user = Cell(CT_Null, CL_Exp_UserCtcss);
    Edit(user, "space");
    EXPECT_FALSE(capsule_.Wrote());
    EXPECT_EQ(Image()[0x9698], ctcss);
}

TEST_F(SettingsCells, ExtendedModeOnlyAndGreyText) {
    Load(kModelDPmr446);  // the time-out switch lives in a dPMR446 block
    cmcCellObj tot = Cell(CT_Null, CL_Comm_Tot);
    Image()[0x000B] &= ~0x10;
    EXPECT_EQ(Show(tot), "");
    Edit(tot, "space");
    EXPECT_FALSE(capsule_.Wrote());
    Image()[0x000B] |= 0x10;
    EXPECT_EQ(Show(tot), "Off");
    Edit(tot, "pick:1");
    EXPECT_EQ(Image()[0xA376] & 0x80, 0x80);

    // The man-down timers are grey while man-down is off, and stay editable (digital PMR, whose
    // blocks hold the stage times).
    Load(kModelKorvPmr);
    auto grey = [this](int label) {
        cmcCellObj cell = Cell(CT_Null, label);
        cmcCellPaint paint;
        cmcCellRequest req = Request(cell);
        req.paint = &paint;
        capsule_.Execute(req, true);
        return paint.textColorSet && paint.textColor == 0x00C0C0C0;
    };
    Image()[0x959E] &= ~0x04;
    EXPECT_TRUE(grey(CL_Comm_ManDown_TS2));
    EXPECT_FALSE(grey(CL_Comm_ManDown_ON));
    cmcCellObj on = Cell(CT_Null, CL_Comm_ManDown_ON);
    Pick(on, Flex0, 1);
    EXPECT_EQ(notified_ & CN_All, CN_All);
    EXPECT_FALSE(grey(CL_Comm_ManDown_TS2));
    // The scrambler settings are grey for the simple inversion scrambler.
    Image()[0x9582] |= 0x08;
    EXPECT_TRUE(grey(CL_Comm_Scrm_GroupCode));
    Image()[0x9582] &= ~0x08;
    EXPECT_FALSE(grey(CL_Comm_Scrm_GroupCode));
}

// ---- key function choice --------------------------------------------------------------------------


// Fields that saving does not keep for the model type take no edit: those of blocks packed for
// another model type show the placeholder, those normalisation puts back show their value, grey on
// a grey cell.
TEST_F(SettingsCells, FieldsASaveWouldNotKeepRefuseEdits) {
    struct Case {
        int model;
        int label;
        bool placeholder;  // "----" (else the value, read-only)
    } cases[] = {
        {kModelPmr, CL_KDisp_ScrollTimer, true},       {kModelLmr, CL_Comm_ManDown_TS1, true},
        {kModelKorvPmr, CL_Comm_PTTSide, true},        {kModelPmr, CL_TSetM_Backlight, true},
        {kModelKorvPmr, CL_Comm_LockoutDig, true},     {kModelLmr, CL_KDisp_HangAct_Moni, false},
        {kModelKorvPmr, CL_KDisp_HangAct_Scan, false}, {kModelDPmr446, CL_Comm_Ctcss_RxAfFilt, false},
        {kModelPmr, CL_Comm_RS232C_SPPED, false},      {kModelLmr, CL_Comm_Wide, false},
    };
    for (const Case& c : cases) {
        const std::string name = LabelName(c.label) + " model " + std::to_string(c.model);
        Load(c.model);
        const cmcEeprom before = main_.WorkingImage();
        cmcCellObj cell = Cell(CT_Null, c.label);
        cmcCellPaint paint;
        cmcCellRequest show = Request(cell);
        show.paint = &paint;
        capsule_.Execute(show, true);
        EXPECT_EQ(show.display == "----", c.placeholder) << name << ": " << show.display;
        EXPECT_TRUE(paint.textColorSet && paint.textColor == 0x00C0C0C0) << name;
        if (!c.placeholder) {
            EXPECT_TRUE(paint.fillSet) << name;
        }
        for (const char* edit : {"space", "backspace", "pick:1"}) {
            Edit(cell, edit);
            EXPECT_FALSE(capsule_.Wrote()) << name << " " << edit;
        }
        EXPECT_TRUE(main_.WorkingImage().Equals(before)) << name;
    }
    // The same fields are edited where the save keeps them.
    Load(kModelKorvPmr);
    cmcCellObj rs = Cell(CT_Null, CL_Comm_RS232C_SPPED);
    Edit(rs, "space");
    EXPECT_TRUE(capsule_.Wrote());
}
TEST_F(SettingsCells, KeyFunctionChainStoresKeyPortAndLevel) {
    Load(kModelPmr);
    cmcCellObj p0 = Cell(CT_Null, CL_KDisp_Key_Conv_P0);
    EXPECT_EQ(Show(p0), "No function");
    cmcCellRequest enter = Request(p0, CA_Enter);
    EXPECT_EQ(capsule_.Execute(enter, true), CER_Opened);
    ASSERT_EQ(views_.opened.size(), 1u);
    EXPECT_EQ(views_.opened[0], "GI_Sheet_Sel_Keys_Conv_Pmr 1 32");

    // The scrambler option key goes on with its port, then with its level.
    Image()[0x95CC] = 0x00;
    Image()[0x95A3] = 0x00;
    auto key = Pick(p0, Flex0, 'I');
    EXPECT_EQ(Image()[0x8804], 'I');
    ASSERT_EQ(views_.opened.size(), 2u);
    EXPECT_EQ(views_.opened[1], "GI_Sheet_Sel_KDisp_ScrmOpt_Port 8 0");
    auto port = Pick(p0, FlexScrmPort, 1, key.get());
    EXPECT_EQ(Image()[0x95CC] & 0x03, 1);
    ASSERT_EQ(views_.opened.size(), 3u);
    EXPECT_EQ(views_.opened[2], "GI_Sheet_Sel_KDisp_KeyOpt_HL 6 0");
    notified_ = 0;
    auto level = Pick(p0, FlexKeyOpt, 1, port.get());
    EXPECT_EQ(Image()[0x95A3], 0x40);  // option 12 (port 2) high
    EXPECT_EQ(notified_ & CN_All, CN_All);
    EXPECT_EQ(level->display, "Scrambler option OPT2 /H");

    // An option key goes straight to its level, which it shares with the other keys of the option.
    cmcCellObj p1 = Cell(CT_Null, CL_KDisp_Key_Conv_P1);
    Pick(p1, Flex0, '4');
    EXPECT_EQ(views_.opened.back(), "GI_Sheet_Sel_KDisp_KeyOpt_HL 6 1");
    EXPECT_EQ(Show(p1), "Option 12 (toggle) /H");
    auto low = Pick(p1, FlexKeyOpt, 0);
    EXPECT_EQ(Image()[0x95A3], 0x00);
    EXPECT_EQ(Show(p0), "Scrambler option OPT2 /L");

    // Options 21-23 have no level: always low, and their level choice stores nothing.
    cmcCellObj p2 = Cell(CT_Null, CL_KDisp_Key_Conv_P2);
    Pick(p2, Flex0, '8');
    Pick(p2, FlexKeyOpt, 1);
    EXPECT_EQ(Image()[0x95A3], 0x00);
    EXPECT_EQ(Show(p2), "Option 23 /L");

    // Ports 2 and 3 both show as OPT3; port 3 has no level of its own.
    Image()[0x95A3] = 0xE0;
    Image()[0x95CC] = 0x02;
    EXPECT_EQ(Show(p0), "Scrambler option OPT3 /H");
    Image()[0x95CC] = 0x03;
    EXPECT_EQ(Show(p0), "Scrambler option OPT3 /L");

    // Each model type has its own list; an LMR key has functions a PMR key has not.
    Load(kModelLmr);
    cmcCellObj lmr = Cell(CT_Null, CL_KDisp_Key_Conv_RightUp);
    Pick(lmr, Flex0, 'S');
    EXPECT_EQ(Show(lmr), "Wide/narrow");
    Load(kModelPmr);
    Image()[0x8800] = 'S';
    EXPECT_EQ(Show(lmr), "error");
}

TEST_F(SettingsCells, SavingRecomputesTheDerivedKeyFlags) {
    Load(kModelPmr);
    cmcCellObj p0 = Cell(CT_Null, CL_KDisp_Key_Conv_P0);
    cmcCellObj p1 = Cell(CT_Null, CL_KDisp_Key_Conv_P1);
    Image()[0x95CC] = 0x00;
    auto key = Pick(p0, Flex0, 'I');
    auto port = Pick(p0, FlexScrmPort, 2, key.get());
    Pick(p0, FlexKeyOpt, 1, port.get());  // option 13 high
    Pick(p1, Flex0, '0');
    Pick(p1, FlexKeyOpt, 1);  // option 11 high
    Image()[0x95A3] |= 0x40;  // option 12 high, but no key uses it
    EXPECT_EQ(Image()[0x95A3] & 0xE0, 0xE0);

    const std::string path = test::TempDir() + "/keys.qcf";
    ASSERT_TRUE(main_.SaveCloneFile(path));
    indMain reopened;
    reopened.LoadStartImage(kModelLmr);
    ASSERT_EQ(reopened.OpenCloneFile(path), 0);
    const cmcEeprom& img = reopened.WorkingImage();
    EXPECT_EQ(img.GetByte(0x8804), 'I');
    EXPECT_EQ(img.GetByte(0x8805), '0');
    EXPECT_EQ(img.GetByte(0x95CC) & 0x07, 0x06);   // port 3 (value 2) and "a key is the scrambler key"
    EXPECT_EQ(img.GetByte(0x95A3) & 0x0E, 0x0A);   // options 11 and 13 are used
    EXPECT_EQ(img.GetByte(0x95A3) & 0xE0, 0xA0);   // the level of unused option 12 is dropped
    EXPECT_EQ(img.GetByte(0x959F) & 0x01, 0x01);   // other keys still have no function (a space)
}

// ---- DTMF, tone pairs and scan lists ----------------------------------------------------------------

TEST_F(SettingsCells, RecordCellsEditTheirRecords) {
    constexpr int kDtmf = 38743, kScanList = 38633, kToneField = 38597;
    const cmcEeprom before = main_.WorkingImage();
    cmcCellObj code = Cell(CT_DTMF, CL_Dtmf_Code, 3);
    Type(code, "12*#a");
    EXPECT_EQ(Show(code), "12*#A");
    EXPECT_EQ(Image()[kDtmf + 63 + 8], 0x12);
    EXPECT_EQ(Image()[kDtmf + 63 + 9], 0xEF);
    EXPECT_EQ(Image()[kDtmf + 63 + 10] & 0xF0, 0xA0);
    EXPECT_EQ(Image()[kDtmf + 63 + 20], 5);
    cmcCellObj name = Cell(CT_DTMF, CL_Dtmf_Text, 3);
    Type(name, "Home");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(Image() + kDtmf + 63), 8), "Home    ");

    cmcCellObj mode = Cell(CT_Scan, CL_ScanList_ScanMode, 4);
    cmcCellObj disp = Cell(CT_Scan, CL_ScanList_DispText, 4);
    cmcCellObj save = Cell(CT_Scan, CL_ScanList_PwrSave, 4);
    Image()[kScanList + 48] = 0;
    Pick(mode, Flex0, 1);
    EXPECT_EQ(Image()[kScanList + 48], 0x10);
    Pick(disp, Flex0, 2);
    EXPECT_EQ(Image()[kScanList + 48], 0x12);
    Pick(save, Flex0, 1);
    EXPECT_EQ(Image()[kScanList + 48], 0x16);
    EXPECT_EQ(Show(mode), "Priority");
    EXPECT_EQ(Show(disp), "Channel number");

    // The transmit tone follows the receive tone while they are equal.
    cmcCellObj rx = Cell(CT_CTone, CL_CTone_RX, 2);
    cmcCellObj tx = Cell(CT_CTone, CL_CTone_TX, 2);
    Type(rx, "88.5");
    EXPECT_EQ(Show(rx), "88.5");
    EXPECT_EQ(Show(tx), "88.5<-");
    Type(tx, "023I");
    EXPECT_EQ(Show(tx), "023i");
    EXPECT_EQ(Show(rx), "88.5");

    // Nothing outside the three records changed.
    auto inside = [](int a, int base, int size) { return a >= base && a < base + size; };
    for (int a = 0; a < main_.WorkingImage().GetSize(); ++a)
        if (!inside(a, kDtmf + 63, 21) && !inside(a, kScanList + 40, 10) && !inside(a, kToneField + 8, 4)) {
            EXPECT_EQ(Image()[a], before.GetByte(a)) << std::hex << a;
        }

    // The DTMF row captions: the autodial code first, LMR's emergency and log/ID codes last.
    std::vector<std::string> lmr, pmr;
    for (int row = 0; row < 8; ++row) {
        cmcCellObj no = Cell(CT_DTMF, CL_Dtmf_ChNo, row);
        lmr.push_back(Show(no));
    }
    Load(kModelPmr);
    for (int row = 0; row < 8; ++row) {
        cmcCellObj no = Cell(CT_DTMF, CL_Dtmf_ChNo, row);
        pmr.push_back(Show(no));
    }
    EXPECT_EQ(lmr, (std::vector<std::string>{"Autodial", "2", "3", "4", "5", "6", "Emergency", "Log/ID"}));
    EXPECT_EQ(pmr, (std::vector<std::string>{"Autodial", "2", "3", "4", "5", "6", "7", "8"}));
}

// ---- the settings sheets ---------------------------------------------------------------------------

struct FixedMeasure : cmcTextMeasure {
    int TextWidth(const cmcFont&, const std::string& line) override { return 6 * static_cast<int>(line.size()); }
    int LineHeight(const cmcFont&) override { return 10; }
};

TEST_F(SettingsCells, EverySettingsSheetShowsAValueInEveryCell) {
    const char* sheets[] = {"GI_Sheet_KeyDisp", "GI_Sheet_SetMode", "GI_Sheet_Common", "GI_Sheet_Extended",
                            "GI_Sheet_Dtmf", "GI_Sheet_Scan", "GI_Sheet_CTone"};
    FixedMeasure measure;
    for (int model = kModelLmr; model <= kModelDPmr446; ++model) {
        Load(model);
        for (const char* key : sheets) {
            cmcSheetBuilderCommon sheet(GTex(), key, {model, &main_.WorkingImage()});
            sheet.Build(measure);
            int values = 0;
            for (int row = 0; row < sheet.RowCount(); ++row)
                for (int col = 0; col < sheet.ColCount(); ++col) {
                    cmcCellObj& cell = sheet.Cell(col, row);
                    if (cell.label == kLabelNone || cell.label == CL_Null) continue;
                    const std::string shown = Show(cell);
                    const std::string where = std::string(key) + " model " + std::to_string(model) + " " + LabelName(cell.label);
                    EXPECT_EQ(shown.find("*Yet*"), std::string::npos) << where;
                    EXPECT_NE(shown, "error") << where;
                    values += (cell.behaviour & 0x01) != 0;
                }
            EXPECT_GT(values, 4) << key << " model " << model;
        }
    }
}

}  // namespace
