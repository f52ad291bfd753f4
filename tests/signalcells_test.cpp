// Signalling cells with rules of their own, on the initial images: 2-tone tones with their decode
// windows, the 2-tone transmit table, 5-tone codes and special tones, user tones with their decode
// window and its warning, the tone period table, the digital PMR address ranges and the addresses
// checked against them, the call list's packed addresses, the fixed status row, and the check-list
// probes over a crafted inconsistent image. Every edit is checked to touch only its own bytes.
#include "cells/cmcCellCapsule.h"
#include "cells/cmcCellTable.h"
#include "cells/cmcEditors.h"
#include "common/cmcClock.h"
#include "defs/cmcEvMan.h"
#include "defs/cmcGTex.h"
#include "defs/cmcSheetBuilder.h"
#include "image/cmcImageMap.h"
#include "image/datCh.h"
#include "image/indMain.h"
#include "defs/cmcCellNames.h"
#include "support/cmcTestCellEnv.h"
#include "support/cmcTestSupport.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

using namespace qx;

namespace {

int g_grid = 0;

class SignalCells : public ::testing::Test {
protected:
    void SetUp() override {
        OpenDefinitionFiles();
        test::Messages().Clear();
    }
    void TearDown() override { clock_->Advance(kDeferredCheckMs); }

    void Model(int type) { main_.LoadStartImage(type); }
    uint8_t* Image() { return main_.WorkingImage().Data(); }
    int Word(int offset) { return (Image()[offset] << 8) | Image()[offset + 1]; }
    void SetWord(int offset, int v) {
        Image()[offset] = static_cast<uint8_t>(v >> 8);
        Image()[offset + 1] = static_cast<uint8_t>(v);
    }

    cmcCellRequest Run(int category, int label, int index, int action = 0, const std::string* typed = nullptr,
                       cmcCellPaint* paint = nullptr) {
        cell_ = cmcCellObj();
        cell_.category = category;
        cell_.label = label;
        cell_.index = index;
        cmcCellRequest req;
        req.cell = &cell_;
        req.grid = &g_grid;
        req.action = action;
        req.paint = paint;
        req.notify = notify_;
        if (typed) {
            req.resultKind = CRK_Input;
            req.input = *typed;
        }
        capsule_.Execute(req, true);
        return req;
    }
    std::string Show(int category, int label, int index = 0) { return Run(category, label, index).display; }
    uint8_t Marks(int category, int label, int index = 0) {
        return Run(category, label, index).resultFlags & (CRF_Warning | CRF_Error);
    }
    // Types `text` into the cell and returns the image offsets that changed.
    std::set<int> Type(int category, int label, int index, const std::string& text) {
        const std::vector<uint8_t> before(Image(), Image() + kImageSize);
        Run(category, label, index, 0, &text);
        std::set<int> changed;
        for (int i = 0; i < kImageSize; ++i)
            if (before[i] != Image()[i]) changed.insert(i);
        return changed;
    }
    static std::set<int> Range(int first, int count) {
        std::set<int> s;
        for (int i = 0; i < count; ++i) s.insert(first + i);
        return s;
    }
    // The edit changed something, and only bytes of `own` (a byte that already held the new value
    // stays unchanged).
    static ::testing::AssertionResult Within(const std::set<int>& changed, const std::set<int>& own) {
        if (changed.empty()) return ::testing::AssertionFailure() << "nothing changed";
        for (int i : changed)
            if (!own.count(i)) return ::testing::AssertionFailure() << "byte " << i << " changed";
        return ::testing::AssertionSuccess();
    }
    static std::set<int> Join(std::set<int> a, const std::set<int>& b) {
        a.insert(b.begin(), b.end());
        return a;
    }

    cmcScopedManualTime clock_;
    indMain main_;
    test::CellEnv env_{main_};
    cmcCellCapsule capsule_{env_.Env()};
    cmcCellObj cell_;
    std::function<void(cmcCellRequest&, uint32_t)> notify_;
};

// ---- 2-tone ---------------------------------------------------------------------------------------

TEST_F(SignalCells, TwoToneTonesSetTheirDecodeWindow) {
    Model(kModelLmr);
    // Code 3: tones at 34932 + 12, windows at 38421 + 24.
    EXPECT_TRUE(Within(Type(CT_2Tone_Code, CL_2T_RxFreq_1st, 3, "1200"), Join(Range(34944, 2), Range(38445, 4))));
    EXPECT_EQ(Word(34944), 12000);
    EXPECT_EQ(Word(38445), 11760);  // x 0.98
    EXPECT_EQ(Word(38447), 12240);  // x 1.02
    EXPECT_EQ(Show(CT_2Tone_Code, CL_2T_RxFreq_1st, 3), "1200.0");
    EXPECT_TRUE(Within(Type(CT_2Tone_Code, CL_2T_RxFreq_2nd, 3, "333.3"), Join(Range(34946, 2), Range(38449, 4))));
    EXPECT_EQ(Word(38449), 3266);  // 3333 x 0.98 = 3266.34
    EXPECT_EQ(Word(38451), 3400);  // 3333 x 1.02 = 3399.66
    // Out of range is clamped to 3300.0 Hz.
    Type(CT_2Tone_Code, CL_2T_RxFreq_1st, 3, "5000");
    EXPECT_EQ(Word(34944), 33000);

    // Row 0, the common entry, has no tones: "----", nothing typed lands.
    EXPECT_EQ(Show(CT_2Tone_Code, CL_2T_RxFreq_1st, 0), "----");
    EXPECT_EQ(Type(CT_2Tone_Code, CL_2T_RxFreq_1st, 0, "1500"), std::set<int>{});
}

TEST_F(SignalCells, TwoToneTransmitTableHoldsTheCodesTones) {
    Model(kModelDPmr446);
    // Transmit row 2 is code 3.
    EXPECT_TRUE(Within(Type(CT_2ToneTX_Common, CL_2TTx_Freq_1st, 2, "1500"), Join(Range(34944, 2), Range(38445, 4))));
    EXPECT_EQ(Show(CT_2Tone_Code, CL_2T_RxFreq_1st, 3), "1500.0");
    EXPECT_EQ(Show(CT_2ToneTX_Common, CL_2TTx_Freq_2nd, 2), "1000.0");
    // A single-tone code (low nibble 15 of 0x9807 + 10 x row) shows "----  " as its second tone.
    Image()[0x9807 + 20] = 0x0F;
    EXPECT_EQ(Show(CT_2ToneTX_Common, CL_2TTx_Freq_2nd, 2), "----  ");
    EXPECT_EQ(Type(CT_2ToneTX_Common, CL_2TTx_Freq_2nd, 2, "900"), std::set<int>{});
    EXPECT_EQ(Show(CT_2ToneTX_Common, CL_2TTx_Freq_2nd, 1), "1000.0");
}

// ---- 5-tone ---------------------------------------------------------------------------------------

TEST_F(SignalCells, FiveToneCodesAndSpecialTones) {
    Model(kModelPmr);
    Image()[0x959A] = 0xA5;  // group tone digit 5, high nibble kept
    // Receive code 2 (block 17 at 39231 + 36): digits in bytes 0-3, the "+" mask in byte 12.
    const int rx = 39231 + 36;
    EXPECT_TRUE(Within(Type(CT_RX_Code, CL_5TRx_RxCode, 2, "12+4*"), (std::set<int>{rx, rx + 1, rx + 2, rx + 3, rx + 12})));
    EXPECT_EQ(Show(CT_RX_Code, CL_5TRx_RxCode, 2), "12+4*");
    EXPECT_EQ(Image()[rx], 0x12);
    EXPECT_EQ(Image()[rx + 1], 0x04);
    EXPECT_EQ(Image()[rx + 2], 0x5F);
    EXPECT_EQ(Image()[rx + 12], 0x20);  // digit 2 is a "+"
    EXPECT_EQ(Show(CT_RX_Code, CL_5TRx_RxCode, 0), "----");
    EXPECT_EQ(Show(CT_RX_Code, CL_5TRx_Abc, 0), "----");
    EXPECT_TRUE(Within(Type(CT_RX_Code, CL_5TRx_Abc, 4, "17"), std::set<int>{39231 + 72 + 14}));
    EXPECT_EQ(Show(CT_RX_Code, CL_5TRx_Abc, 4), "17");

    // Transmit code 31 (block 15 at 34936 + 124), reloaded as such from a cell of another category.
    EXPECT_TRUE(Within(Type(CT_Null, CL_5TTx_TxCode, 31, "9876543"), Range(34936 + 124, 4)));
    EXPECT_EQ(Show(CT_TX_Code, CL_5TTx_TxCode, 31), "9876*43");  // 5 is the group tone
    EXPECT_EQ(Image()[34936 + 124], 0x98);
    EXPECT_TRUE(Within(Type(CT_Null, CL_5TTx_InputDigit, 31, "7"), std::set<int>{38911 + 310 + 8}));
    EXPECT_EQ(Image()[38911 + 310 + 8] & 0xFE, 0x02);
    EXPECT_EQ(Show(CT_TX_Code, CL_5TTx_InputDigit, 31), "______7\n");

    // Special tones: one digit in the low nibble; F only for the link 2 tone.
    EXPECT_TRUE(Within(Type(CT_Null, CL_5TTx_SpTone_Group, 0, "c"), std::set<int>{0x959A}));
    EXPECT_EQ(Image()[0x959A], 0xAC);
    EXPECT_EQ(Type(CT_Null, CL_5TTx_SpTone_Repeat, 0, "F"), std::set<int>{});
    EXPECT_TRUE(Within(Type(CT_Null, CL_5TTx_SpTone_Link2, 0, "F"), std::set<int>{0x959C}));
    EXPECT_EQ(Show(CT_Null, CL_5TTx_SpTone_Link2), "F");
}

// ---- user tones -----------------------------------------------------------------------------------

TEST_F(SignalCells, UserToneEncodeSetsTheDecodeWindowWithinItsLimits) {
    Model(kModelKorvPmr);
    const struct {
        const char* typed;
        int encode, low, high;
    } cases[] = {
        {"2000", 20000, 19400, 20600},
        {"5000", 30000, 29100, 30000}, // clamped to 3000.0 Hz; 1.03 x 3000.0 Hz lies above it
        {"400", 4000, 4000, 4120},     // 0.97 x 400.0 Hz lies below 400.0 Hz
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        // Tone 4: encode at 38429 + 8, window at 38459 + 16.
        EXPECT_TRUE(Within(Type(CT_UserTone, CL_UTone_Encode, 4, c.typed), Join(Range(38437, 2), Range(38475, 4))));
        EXPECT_EQ(Word(38437), c.encode);
        EXPECT_EQ(Word(38475), c.low);
        EXPECT_EQ(Word(38477), c.high);
    }
    // A window whose high edge lies below its low edge warns on both cells.
    EXPECT_EQ(Marks(CT_UserTone, CL_UTone_Dec_Low, 4), 0);
    EXPECT_TRUE(Within(Type(CT_UserTone, CL_UTone_Dec_Low, 4, "1000"), Range(38475, 2)));
    EXPECT_EQ(Marks(CT_UserTone, CL_UTone_Dec_Low, 4), CRF_Warning);
    EXPECT_EQ(Marks(CT_UserTone, CL_UTone_Dec_High, 4), CRF_Warning);
    EXPECT_EQ(Marks(CT_UserTone, CL_UTone_Dec_High, 5), 0);
}

TEST_F(SignalCells, TonePeriodTableRowsAndTheExtraRow) {
    Model(kModelPmr);
    const struct {
        int label, row;
        const char* typed;
        int offset, raw;
    } cases[] = {
        {CL_UTone_TonePeriod, 0, "0.05", 0x9677, 50},
        {CL_UTone_TonePeriod, 8, "0.3", 0x967F, 255},   // clamped to 0.255 s
        {CL_UTone_TonePeriod, 15, "0.2", 0x9692, 200},
        {CL_UTone_NotoneTimer, 3, "0.13", 0x9683, 12},  // 10 ms units, even steps
        {CL_UTone_Length, 2, "7", 0x968B, 7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        EXPECT_TRUE(Within(Type(CT_Null, c.label, c.row, c.typed), std::set<int>{c.offset}));
        EXPECT_EQ(Image()[c.offset], c.raw);
    }
    EXPECT_EQ(Show(CT_Null, CL_UTone_TonePeriod, 0), "  0.050");
    for (int label : {CL_UTone_TonePeriod, CL_UTone_NotoneTimer, CL_UTone_Length}) {
        EXPECT_EQ(Show(CT_Null, label, 9), "----");
        EXPECT_EQ(Type(CT_Null, label, 12, "1"), std::set<int>{});
    }
    EXPECT_EQ(Show(CT_Null, CL_UTone_Length, 15), "----");
    EXPECT_TRUE(Within(Type(CT_Null, CL_UTone_NotoneTimer, 4, "0.01"), std::set<int>{0x9684}));
    EXPECT_EQ(Image()[0x9684], 2);  // at least 0.02 s
    // Row 15's no-tone timer is put back to the initial image's value whenever a PMR image is
    // saved, so it is shown and never edited.
    EXPECT_EQ(Type(CT_Null, CL_UTone_NotoneTimer, 15, "0.1"), std::set<int>{});
}

// ---- digital PMR addresses ------------------------------------------------------------------------

TEST_F(SignalCells, AddressRangesFollowTheGroupBoundary) {
    Model(kModelKorvPmr);
    const struct {
        int group;
        const char* individual0;
        const char* individual1;
    } cases[] = {
        {1000, "0000 (No Edit)", "0999 (No Edit)"},
        {1, "0000 (No Edit)", "0000 (No Edit)"},
        {0, "----", "----"},
    };
    for (const auto& c : cases) {
        SetWord(map::kKorvAddress, c.group);
        EXPECT_EQ(Show(CT_MSK_AdrRange, CL_Msk_AdrRange_Individual, 0), c.individual0);
        EXPECT_EQ(Show(CT_MSK_AdrRange, CL_Msk_AdrRange_Individual, 1), c.individual1);
    }
    SetWord(map::kKorvAddress, 1000);
    EXPECT_EQ(Show(CT_MSK_AdrRange, CL_Msk_AdrRange_Individual, 2), "error");
    EXPECT_EQ(Show(CT_MSK_AdrRange, CL_Msk_AdrRange_Group, 1), "4095 (No Edit)");

    // A new boundary is stored in the address record and repaints the whole sheet.
    uint32_t notified = 0;
    notify_ = [&](cmcCellRequest&, uint32_t flags) { notified = flags; };
    EXPECT_TRUE(Within(Type(CT_MSK_AdrRange, CL_Msk_AdrRange_Group, 0, "2048"), Range(map::kKorvAddress, 2)));
    EXPECT_EQ(Word(map::kKorvAddress), 2048);
    EXPECT_TRUE(notified & CN_All);
    EXPECT_EQ(Show(CT_MSK_AdrRange, CL_Msk_AdrRange_Individual, 1), "2047 (No Edit)");
    EXPECT_EQ(Type(CT_MSK_AdrRange, CL_Msk_AdrRange_Group, 0, "4096"), std::set<int>{});  // refused
}

TEST_F(SignalCells, AddressesCheckedAgainstTheirRanges) {
    Model(kModelKorvPmr);  // group boundary 1000
    struct Case {
        int category, label, index;
        const char* typed;
        std::set<int> lands;
        uint8_t marks;
        uint8_t markPos;
    };
    const int idGroup3 = 39455 + 48;
    const Case cases[] = {
        // The killer address is the all-call address 4095.
        {CT_MSK_AdrRange, CL_Msk_AdrRange_Killer, 0, "4094", Range(0x9AA3, 2), CRF_Error, CMP_ByStyle},
        {CT_MSK_AdrRange, CL_Msk_AdrRange_Killer, 0, "4095", Range(0x9AA3, 2), 0, CMP_ByStyle},
        // ID group 0 is the radio's own individual ID (below the boundary), groups 1-7 group addresses.
        {CT_MSK_IdGroup, CL_Msk_IdGroup_Adr, 0, "1000", Range(39455, 2), CRF_Error, CMP_Left},
        {CT_MSK_IdGroup, CL_Msk_IdGroup_Adr, 0, "0999", Range(39455, 2), 0, CMP_Left},
        {CT_MSK_IdGroup, CL_Msk_IdGroup_Adr, 3, "999", Range(idGroup3, 2), CRF_Error, CMP_Left},
        {CT_MSK_IdGroup, CL_Msk_IdGroup_Adr, 3, "4095", Range(idGroup3, 2), 0, CMP_Left},
        // Fixed base IDs are individual addresses.
        {CT_MSK_Cfg, CL_Msk_Cfg_Status_FixBaseId, 0, "1000", Range(0x9C05, 2), CRF_Error, CMP_ByStyle},
        {CT_MSK_Cfg, CL_Msk_Cfg_Gps_FixBaseId, 0, "999", Range(0x9C07, 2), 0, CMP_ByStyle},
        // Call list addresses: 4 packed decimal digits; every address lies within the list's range.
        {CT_MSK_CallList, CL_Msk_CallList_Adr, 5, "4095", Range(35064 + 20, 2), 0, CMP_ByStyle},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.label) + " " + c.typed);
        EXPECT_TRUE(Within(Type(c.category, c.label, c.index, c.typed), c.lands));
        const cmcCellRequest r = Run(c.category, c.label, c.index);
        EXPECT_EQ(r.resultFlags & (CRF_Warning | CRF_Error), c.marks);
        EXPECT_EQ(r.markPos, c.markPos);
    }
    EXPECT_EQ(Image()[35064 + 20], 0x40);
    EXPECT_EQ(Image()[35064 + 21], 0x95);
    EXPECT_EQ(Show(CT_MSK_CallList, CL_Msk_CallList_Adr, 5), "4095");
    // An unused entry (digits that are not decimal) shows empty and marks nothing.
    EXPECT_EQ(Show(CT_MSK_CallList, CL_Msk_CallList_Adr, 6), "");
    EXPECT_EQ(Marks(CT_MSK_CallList, CL_Msk_CallList_Adr, 6), 0);
    // Typing outside 0..4095 changes nothing.
    EXPECT_EQ(Type(CT_MSK_IdGroup, CL_Msk_IdGroup_Adr, 1, "5000"), std::set<int>{});
}

TEST_F(SignalCells, StatusRow23IsShownInOliveAndNeverEdited) {
    Model(kModelKorvPmr);
    for (int label : {CL_Msk_Msg_Status_Beep, CL_Msk_Msg_Status_Horn, CL_Msk_Msg_Status_Auto, CL_Msk_Msg_Status_Text_Rx}) {
        SCOPED_TRACE(label);
        cmcCellPaint paint;
        Run(CT_MSK_Msg_Status, label, 23, 0, nullptr, &paint);
        EXPECT_TRUE(paint.textColorSet);
        EXPECT_EQ(paint.textColor, 0x00008080u);
        EXPECT_EQ(Type(CT_MSK_Msg_Status, label, 23, "1"), std::set<int>{});
        Run(CT_MSK_Msg_Status, label, 23, ' ');
        cmcCellPaint other;
        Run(CT_MSK_Msg_Status, label, 22, 0, nullptr, &other);
        EXPECT_FALSE(other.textColorSet);
    }
    const std::vector<uint8_t> before(Image(), Image() + kImageSize);
    Run(CT_MSK_Msg_Status, CL_Msk_Msg_Status_Horn, 23, ' ');
    EXPECT_TRUE(std::equal(before.begin(), before.end(), Image()));
    // Row 22 edits: horn is bit 2 of byte 8 of the receive part (40245 + 12 x 22).
    Run(CT_MSK_Msg_Status, CL_Msk_Msg_Status_Horn, 22, ' ');
    EXPECT_EQ(Image()[40245 + 264 + 8] & 0x04, 0x04);
    EXPECT_TRUE(Within(Type(CT_MSK_Msg_Status, CL_Msk_Msg_Status_Text_Rx, 22, "ON SITE"), Range(40245 + 264, 7)));
}

// ---- check-list probes ----------------------------------------------------------------------------

TEST_F(SignalCells, CheckProbesOverAnInconsistentImage) {
    const struct {
        int label;
        uint8_t korv;   // marks on the crafted digital PMR image
        uint8_t pmr;    // the same bytes on a PMR image
    } cases[] = {
        {CL_Check_User_Tone_Encode, CRF_Warning, CRF_Warning},
        {CL_Check_Msk_IdRange, CRF_Error, 0},
        {CL_Check_Msk_OwnIdGroup, CRF_Error, 0},
        {CL_Check_Msk_Config, CRF_Error, 0},
    };
    // The same bytes on LMR and dPMR446 are 2-tone decode windows: no user tone warning there.
    for (int type : {kModelLmr, kModelDPmr446}) {
        Model(type);
        EXPECT_EQ(Marks(CT_Null, CL_Check_User_Tone_Encode), 0) << type;
        SetWord(38461 + 4 * 14, 100);
        EXPECT_EQ(Marks(CT_Null, CL_Check_User_Tone_Encode), 0) << type;
    }
    for (int type : {kModelKorvPmr, kModelPmr}) {
        Model(type);
        for (const auto& c : cases) EXPECT_EQ(Marks(CT_Null, c.label), 0) << "clean image, " << c.label;
        SetWord(38461 + 4 * 14, 100);        // user tone 14: decode high below decode low
        SetWord(0x9AA3, 12);                 // killer address not 4095
        SetWord(39455 + 16 * 7, 5);          // ID group 7 below the group boundary
        SetWord(0x9C07, 3000);               // GPS base ID above it
        for (const auto& c : cases)
            EXPECT_EQ(Marks(CT_Null, c.label), type == kModelKorvPmr ? c.korv : c.pmr) << type << " " << c.label;
    }
}


// ---- plain fields: each label lands on its own bits ---------------------------------------------

TEST_F(SignalCells, PlainFieldsLandOnTheirOwnBits) {
    constexpr const char* kNext = "@space";
    struct Case {
        int model, category, label, index;
        const char* input;  // typed text, or kNext for the next list item
        int offset;         // the field's first byte
        int width;          // bytes
        uint8_t mask;       // bits of a one-byte field
        const char* shown;  // what the cell shows afterwards (null: not checked)
        int extra = -1;     // a byte the codec keeps with the field (the blank-name flag)
        uint8_t extraMask = 0;
    };
    const int rec2t3 = 39231 + 18 * 3, rec5t2 = 39231 + 36, tx4 = 38911 + 40;
    const int idg2 = 39455 + 32, call4 = 39597 + 40, st5 = 40245 + 60, dst6 = 41189 + 120;
    const Case cases[] = {
        // 2-tone codes (LMR; code 3).
        {kModelLmr, CT_2Tone_Code, CL_2T_GroupCall, 3, kNext, rec2t3 + 13, 1, 0x01, "Group"},
        {kModelLmr, CT_2Tone_Code, CL_2T_Text, 3, "SITE 3", rec2t3 + 4, 8, 0xFF, "SITE 3"},
        {kModelLmr, CT_2Tone_Code, CL_2T_Bell, 3, kNext, rec2t3 + 13, 1, 0x0E, "1 time"},
        {kModelLmr, CT_2Tone_Code, CL_2T_ANS, 3, kNext, rec2t3 + 13, 1, 0x10, "On"},
        {kModelLmr, CT_2Tone_Code, CL_2T_EXO, 3, kNext, rec2t3 + 13, 1, 0x20, "On"},
        {kModelLmr, CT_2Tone_Code, CL_2T_Beep, 3, kNext, rec2t3 + 13, 1, 0xC0, "Once"},
        {kModelLmr, CT_2Tone_Code, CL_2T_AutoTx, 3, kNext, rec2t3 + 14, 1, 0x01, "On"},
        {kModelLmr, CT_2Tone_Code, CL_2T_Stun, 3, kNext, rec2t3 + 14, 1, 0x06, "Stun"},
        {kModelLmr, CT_2Tone_Code, CL_2T_Scan, 3, kNext, rec2t3 + 14, 1, 0x18, "Stop scan"},
        {kModelLmr, CT_2Tone_Code, CL_2T_Sfunc, 3, kNext, rec2t3 + 14, 1, 0x20, "On"},
        {kModelLmr, CT_2Tone_Code, CL_2T_Code_Type, 3, kNext, 38909 + 30, 1, 0x80, "Simultaneous"},
        {kModelLmr, CT_2Tone_Code, CL_2T_1st_Period, 3, "2.5", 38527 + 6, 1, 0xFF, "  2.5"},
        {kModelLmr, CT_2Tone_Code, CL_2T_2nd_Period, 3, "0.3", 38527 + 7, 1, 0xFF, "  0.3"},
        {kModelLmr, CT_Null, CL_2T_NotoneTimer, 0, "0.13", 0x9680, 1, 0xFF, "  0.120"},
        {kModelLmr, CT_Null, CL_2T_GroupTimer, 0, "2.5", 0x95B1, 1, 0xFF, "  2.500"},
        {kModelLmr, CT_Null, CL_2T_BeepRepeatTimer, 0, "15", 0x95BC, 1, 0xFF, " 15.000"},
        {kModelLmr, CT_Null, CL_2T_AutoTxTimer, 0, "3", 0x95C0, 1, 0xFF, "  3.000"},
        // 5-tone receive codes (PMR; code 2) and settings.
        {kModelPmr, CT_RX_Code, CL_5TRx_Text, 2, "DEPOT", rec5t2 + 4, 8, 0xFF, "DEPOT", rec5t2 + 17, 0x20},
        {kModelPmr, CT_RX_Code, CL_5TRx_IdDec, 2, kNext, rec5t2 + 13, 1, 0x01, "On"},
        {kModelPmr, CT_RX_Code, CL_5TRx_Bell, 2, kNext, rec5t2 + 13, 1, 0x0E, "1 time"},
        {kModelPmr, CT_RX_Code, CL_5TRx_EmerCancel, 2, kNext, rec5t2 + 13, 1, 0x10, "On"},
        {kModelPmr, CT_RX_Code, CL_5TRx_Exo, 2, kNext, rec5t2 + 13, 1, 0x20, "On"},
        {kModelPmr, CT_RX_Code, CL_5TRx_Beep, 2, kNext, rec5t2 + 13, 1, 0xC0, "Once"},
        {kModelPmr, CT_RX_Code, CL_5TRx_Abc, 2, "5", rec5t2 + 14, 1, 0xFF, "5"},
        {kModelPmr, CT_RX_Code, CL_5TRx_AutoTx, 2, kNext, rec5t2 + 15, 1, 0x01, "On"},
        {kModelPmr, CT_RX_Code, CL_5TRx_Aud, 2, kNext, rec5t2 + 15, 1, 0x06, "Open"},
        {kModelPmr, CT_RX_Code, CL_5TRx_Stun, 2, kNext, rec5t2 + 15, 1, 0x18, "Stun"},
        {kModelPmr, CT_RX_Code, CL_5TRx_Scan, 2, kNext, rec5t2 + 15, 1, 0x60, "Stop scan"},
        {kModelPmr, CT_RX_Code, CL_5TRx_Sfunc, 2, kNext, rec5t2 + 16, 1, 0x01, "On"},
        {kModelPmr, CT_Null, CL_5TRx_LinkATimer, 0, "0.5", 0x95AB, 1, 0xFF, "  0.500"},
        {kModelPmr, CT_Null, CL_5TRx_CompareDigit, 0, "3", 0x9599, 1, 0xFE, "__3____\n"},
        {kModelPmr, CT_Null, CL_5TRx_IdDecodeTimer, 0, "1.5", 0x95B4, 1, 0xFF, "  1.500"},
        {kModelPmr, CT_Null, CL_5TRx_BeepRepeatTimer, 0, "9", 0x95BC, 1, 0xFF, "  9.000"},
        {kModelPmr, CT_Null, CL_5TRx_AutoTxTimer, 0, "4", 0x95C0, 1, 0xFF, "  4.000"},
        {kModelPmr, CT_Null, CL_5TRx_CompareTone, 0, kNext, 0x95A4, 1, 0x01, "On"},
        // 5-tone transmit codes (PMR; code 4) and settings.
        {kModelPmr, CT_TX_Code, CL_5TTx_InputDigit, 4, "1", tx4 + 8, 1, 0xFE, "1______\n"},
        {kModelPmr, CT_TX_Code, CL_5TTx_Text, 4, "BASE", tx4, 8, 0xFF, "BASE", tx4 + 9, 0x20},
        {kModelPmr, CT_TX_Code, CL_5TTx_Update, 4, kNext, tx4 + 9, 1, 0x01, "On"},
        {kModelPmr, CT_TX_Code, CL_5TTx_AbcDec, 4, kNext, tx4 + 9, 1, 0x02, "On"},
        {kModelPmr, CT_TX_Code, CL_5TTx_AbcAud, 4, kNext, tx4 + 9, 1, 0x04, "On"},
        {kModelPmr, CT_TX_Code, CL_5TTx_Sel, 4, kNext, tx4 + 9, 1, 0x08, "On"},
        {kModelPmr, CT_Null, CL_5TTx_LongToneTimer, 0, "1", 0x95AC, 1, 0xFF, "  1.000"},
        {kModelPmr, CT_Null, CL_5TTx_LinkRTimer, 0, "0.1", 0x95A8, 1, 0xFF, "  0.100"},
        {kModelPmr, CT_Null, CL_5TTx_Link1Timer, 0, "0.2", 0x95A9, 1, 0xFF, "  0.200"},
        {kModelPmr, CT_Null, CL_5TTx_Link2Timer, 0, "0.3", 0x95AA, 1, 0xFF, "  0.300"},
        {kModelPmr, CT_Null, CL_5TTx_LeadOutDelayTimer, 0, "2", 0x95AD, 1, 0xFF, "  2.000"},
        {kModelPmr, CT_Null, CL_5TTx_AbcDecTimer, 0, "3", 0x95B5, 1, 0xFF, "  3.000"},
        {kModelPmr, CT_Null, CL_5TTx_DispDigit, 0, "7", 0x9598, 1, 0xFE, "______7\n"},
        {kModelPmr, CT_Null, CL_5TTx_SpTone_Group, 0, "E", 0x959A, 1, 0x0F, "E"},
        {kModelPmr, CT_Null, CL_5TTx_SpTone_Repeat, 0, "b", 0x959B, 1, 0x0F, "B"},
        {kModelPmr, CT_Null, CL_5TTx_SpTone_Link2, 0, "f", 0x959C, 1, 0x0F, "F"},
        {kModelPmr, CT_Null, CL_5TTx_PTTCallIna, 0, kNext, 0x95A0, 1, 0x40, "On"},
        // User tone decode window (tone 6).
        {kModelPmr, CT_UserTone, CL_UTone_Dec_Low, 6, "950", 38459 + 24, 2, 0xFF, "950.0"},
        {kModelPmr, CT_UserTone, CL_UTone_Dec_High, 6, "1050", 38461 + 24, 2, 0xFF, "1050.0"},
        // Digital PMR address ranges, ID groups (group 2), call list (entry 4).
        {kModelKorvPmr, CT_MSK_AdrRange, CL_Msk_AdrRange_Common, 0, "77", 0x9AA1, 2, 0xFF, "0077"},
        {kModelKorvPmr, CT_MSK_AdrRange, CL_Msk_AdrRange_CountryCode, 0, kNext, 0x9AA5, 1, 0xFF, "1"},
        {kModelKorvPmr, CT_MSK_IdGroup, CL_Msk_IdGroup_Text, 2, "FLEET", idg2 + 2, 8, 0xFF, "FLEET"},
        {kModelKorvPmr, CT_MSK_IdGroup, CL_Msk_IdGroup_Alert, 2, kNext, idg2 + 12, 1, 0x03, "Once"},
        {kModelKorvPmr, CT_MSK_IdGroup, CL_Msk_IdGroup_Bell, 2, kNext, idg2 + 13, 1, 0x07, "1 time"},
        {kModelKorvPmr, CT_MSK_IdGroup, CL_Msk_IdGroup_SFunc, 2, kNext, idg2 + 12, 1, 0x04, "On"},
        {kModelKorvPmr, CT_MSK_CallList, CL_Msk_CallList_Digit, 4, "2", call4 + 8, 1, 0xF0, "_2__\n"},
        {kModelKorvPmr, CT_Null, CL_Msk_CallList_Text, 4, "YARD", call4, 8, 0xFF, "YARD"},
        {kModelKorvPmr, CT_MSK_CallList, CL_Msk_CallList_Update, 4, kNext, call4 + 9, 1, 0x01, "Enabled"},
        {kModelKorvPmr, CT_MSK_CallList, CL_Msk_CallList_Sel, 4, kNext, call4 + 9, 1, 0x02, "Enabled"},
        // Status messages (message 5) and short texts (text 3).
        {kModelKorvPmr, CT_MSK_Msg_Status, CL_Msk_Msg_Status_Beep, 5, kNext, st5 + 8, 1, 0x03, "Once"},
        {kModelKorvPmr, CT_MSK_Msg_Status, CL_Msk_Msg_Status_Horn, 5, kNext, st5 + 8, 1, 0x04, "On"},
        {kModelKorvPmr, CT_MSK_Msg_Status, CL_Msk_Msg_Status_Auto, 5, kNext, st5 + 8, 1, 0x08, "On"},
        {kModelKorvPmr, CT_MSK_Msg_Status, CL_Msk_Msg_Status_SFunc, 5, kNext, st5 + 8, 1, 0x10, "On"},
        {kModelKorvPmr, CT_MSK_Msg_Status, CL_Msk_Msg_Status_Rriority, 5, kNext, st5 + 9, 1, 0x03, "High"},
        {kModelKorvPmr, CT_MSK_Msg_Status, CL_Msk_Msg_Status_Selection, 5, kNext, st5 + 8, 1, 0x20, "On"},
        {kModelKorvPmr, CT_MSK_Msg_Status, CL_Msk_Msg_Status_Text_Rx, 5, "AT BASE", st5, 8, 0xFF, "AT BASE"},
        {kModelKorvPmr, CT_MSK_Msg_Status, CL_Msk_Msg_Status_Text_Tx, 5, "GOING", 39957 + 60, 8, 0xFF, "GOING"},
        {kModelKorvPmr, CT_MSK_Msg_ShortTxt, CL_Msk_Msg_ShortTxtTxMsg_1, 3, "CALL ME", 35192 + 24, 8, 0xFF, "CALL ME"},
        {kModelKorvPmr, CT_MSK_Msg_ShortTxt, CL_Msk_Msg_ShortTxtTxMsg_Sel, 3, kNext, 40533 + 6, 1, 0x01, "On"},
        // Timing.
        {kModelKorvPmr, CT_MSK_TimingErr, CL_Msk_TimingErr_NA, 0, "8", 0x9BED, 1, 0xFF, "8"},
        {kModelKorvPmr, CT_MSK_TimingErr, CL_Msk_TimingErr_NM, 0, "9", 0x9BEE, 1, 0xFF, "8"},
        {kModelKorvPmr, CT_MSK_TimingErr, CL_Msk_TimingErr_NR, 0, "1", 0x9BEF, 1, 0xFF, "1"},
        {kModelKorvPmr, CT_MSK_TimingErr, CL_Msk_TimingErr_TAC, 0, "2.55", 0x9BF1, 1, 0xFF, "  2.55"},
        {kModelKorvPmr, CT_MSK_TimingErr, CL_Msk_TimingErr_BusyCheck, 0, "200", 0x9BF7, 1, 0xFF, "200"},
        {kModelKorvPmr, CT_MSK_TimingErr, CL_Msk_TimingErr_LetAck, 0, "0.5", 0x9BF5, 1, 0xFF, "  0.50"},
        {kModelKorvPmr, CT_MSK_TimingErr, CL_Msk_TimingErr_LetCall, 0, "1.25", 0x9BF6, 1, 0xFF, "  1.25"},
        // Configuration.
        {kModelKorvPmr, CT_MSK_Cfg, CL_Msk_Cfg_Enc_PttCall, 0, kNext, 0x9C10, 1, 0x80, "Enabled"},
        {kModelKorvPmr, CT_MSK_Cfg, CL_Msk_Cfg_Enc_PreEmphasis, 0, kNext, 0x9C10, 1, 0x40, "Pre-emphasis"},
        {kModelKorvPmr, CT_MSK_Cfg, CL_Msk_Cfg_Enc_SyncvWord, 0, "b3a1", 0x9C09, 2, 0xFF, "B3A1"},
        {kModelKorvPmr, CT_MSK_Cfg, CL_Msk_Cfg_Enc_PttSideTone, 0, kNext, 0x9C10, 1, 0x04, "On"},
        {kModelKorvPmr, CT_MSK_Cfg, CL_Msk_Cfg_Dec_BeepRepeatTimer, 0, "30", 0x9C0C, 1, 0xFF, " 30.000"},
        {kModelKorvPmr, CT_MSK_Cfg, CL_Msk_Cfg_Dec_MuteMskTone, 0, kNext, 0x9C10, 1, 0x20, "On"},
        {kModelKorvPmr, CT_MSK_Cfg, CL_Msk_Cfg_Dec_ANI_Disp, 0, kNext, 0x9C12, 1, 0x30, "ID"},
        {kModelKorvPmr, CT_MSK_Cfg, CL_Msk_Cfg_Dec_ANI_Disp_Timer, 0, "5", 0x9C0B, 1, 0xFF, "  5.000"},
        {kModelKorvPmr, CT_MSK_Cfg, CL_Msk_Cfg_Status_Send_PrioA, 0, kNext, 0x95A1, 1, 0x40, "Enabled"},
        {kModelKorvPmr, CT_MSK_Cfg, CL_Msk_Cfg_Status_Send_On, 0, kNext, 0x9C11, 1, 0x02, "Enabled"},
        {kModelKorvPmr, CT_MSK_Cfg, CL_Msk_Cfg_Status_Send_Off, 0, kNext, 0x9C11, 1, 0x01, "Enabled"},
        {kModelKorvPmr, CT_MSK_Cfg, CL_Msk_Cfg_Gps_Send_Base, 0, kNext, 0x9C11, 1, 0x40, "Enabled"},
        {kModelKorvPmr, CT_MSK_Cfg, CL_Msk_Cfg_Gps_Auto, 0, kNext, 0x9C10, 1, 0x10, "Enabled"},
        {kModelKorvPmr, CT_MSK_Cfg, CL_Msk_Cfg_Gps_TimeMarker, 0, "1:45", 0x9C0E, 1, 0xFF, " 2:00"},
        {kModelKorvPmr, CT_MSK_Cfg, CL_Msk_Cfg_Gps_IntervalTimer, 0, "0:10", 0x9C0F, 1, 0xFF, " 0:30"},
        {kModelKorvPmr, CT_MSK_Cfg, CL_Msk_Cfg_Gps_Send_Logoff, 0, kNext, 0x9C11, 1, 0x10, "Enabled"},
        {kModelKorvPmr, CT_MSK_Cfg, CL_Msk_Cfg_Gps_Send_Status, 0, kNext, 0x9C11, 1, 0x08, "Enabled"},
        {kModelKorvPmr, CT_MSK_Cfg, CL_Msk_Cfg_Gps_Send_Sdm, 0, kNext, 0x9C11, 1, 0x20, "Enabled"},
        {kModelKorvPmr, CT_MSK_Cfg, CL_Msk_Cfg_Gps_Send_Emer, 0, kNext, 0x9C11, 1, 0x80, "Enabled"},
        {kModelKorvPmr, CT_MSK_Cfg, CL_Msk_Cfg_Gps_Send_ManDown, 0, kNext, 0x9C11, 1, 0x04, "Enabled"},
        {kModelKorvPmr, CT_MSK_Cfg, CL_Msk_Cfg_Gps_Sentence, 0, kNext, 0x9C10, 1, 0x03, "RMC"},
        {kModelKorvPmr, CT_MSK_Cfg, CL_Msk_Cfg_Etc_PttEnableAtConnect, 0, kNext, 0x9C12, 1, 0x80, "Enabled"},
        // Presets.
        {kModelKorvPmr, CT_MSK_Cfg, CL_Msk_Presl_Own_Id, 0, "123", 0x9A15, 2, 0xFF, "0123"},
        {kModelKorvPmr, CT_MSK_Cfg, CL_Msk_Presl_Common, 0, "4095", 0x9A17, 2, 0xFF, "4095"},
        {kModelKorvPmr, CT_MSK_Cfg, CL_Msk_Presl_Sync, 0, "0F0F", 0x9A19, 2, 0xFF, "0F0F"},
        {kModelKorvPmr, CT_MSK_Cfg, CL_Msk_Presl_Country, 0, kNext, 0x9A1B, 1, 0xFF, "1"},
        {kModelKorvPmr, CT_MSK_Cfg, CL_Msk_Presl_Call_Let, 0, "0.07", 0x9A1C, 1, 0xFF, "  0.07"},
        {kModelKorvPmr, CT_MSK_Cfg, CL_Msk_Presl_Ptt_Side, 0, kNext, 0x9A1D, 1, 0x0C, "On"},
        // dPMR446 display messages, status messages (message 6) and timers (extended mode).
        {kModelDPmr446, CT_Null, CL_Dig_ProgMes_Busy, 0, "IN USE", 0xA379, 8, 0xFF, "IN USE"},
        {kModelDPmr446, CT_Null, CL_Dig_ProgMes_LowBatt, 0, "CHARGE", 0xA379 + 96, 8, 0xFF, "CHARGE"},
        {kModelDPmr446, CT_Dig_Msg_Status, CL_Dig_Msg_Status_Beep, 6, kNext, dst6 + 16, 1, 0x03, "Once"},
        {kModelDPmr446, CT_Dig_Msg_Status, CL_Dig_Msg_Status_Selection, 6, kNext, dst6 + 16, 1, 0x04, "On"},
        {kModelDPmr446, CT_Dig_Msg_Status, CL_Dig_Msg_Status_Text_Rx, 6, "SITE SECURED", dst6, 16, 0xFF, "SITE SECURED"},
        {kModelDPmr446, CT_Dig_Msg_Status, CL_Dig_Msg_Status_Text_Tx, 6, "ALL CLEAR", 40549 + 120, 16, 0xFF, "ALL CLEAR"},
        {kModelDPmr446, CT_Null, CL_Dig_Tim_TxWait, 0, kNext, 0xA371, 1, 0x0F, "1"},
        {kModelDPmr446, CT_Null, CL_Dig_Tim_Chk, 0, "0.75", 0xA365, 2, 0xFF, "  0.750"},
        {kModelDPmr446, CT_Null, CL_Dig_Tim_Free, 0, "0.05", 0xA367, 2, 0xFF, "  0.100"},
        {kModelDPmr446, CT_Null, CL_Dig_Tim_Tac, 0, "1.275", 0xA369, 2, 0xFF, "  1.275"},
        {kModelDPmr446, CT_Null, CL_Dig_Tim_Breakin, 0, "2", 0xA36B, 1, 0xFF, "  2.000"},
        {kModelDPmr446, CT_Null, CL_Dig_Tim_Wakeup, 0, "16", 0xA36E, 1, 0xFF, "16"},
        {kModelDPmr446, CT_Null, CL_Dig_Tim_ND, 0, "5", 0xA36F, 1, 0xFF, "5"},
        {kModelDPmr446, CT_Null, CL_Dig_Tim_NR, 0, "4", 0xA370, 1, 0xFF, "4"},
        {kModelDPmr446, CT_Null, CL_Dig_Tim_L0Level, 0, "-101", 0xA36D, 1, 0xFF, "-101"},
    };
    // What a model type's cases showed survives saving the image and opening it again.
    const auto roundTrip = [&](const Case* first, const Case* end) {
        const std::string path = test::TempDir() + "/signal.qcf";
        ASSERT_TRUE(main_.SaveCloneFile(path));
        Model(kModelLmr);
        ASSERT_EQ(main_.OpenCloneFile(path), 0);
        for (const Case* c = first; c != end; ++c)
            if (c->shown) {
                EXPECT_EQ(Show(c->category, c->label, c->index), c->shown) << "reopened " << LabelName(c->label);
            }
    };
    int model = -1;
    const Case* firstOfModel = cases;
    for (const auto& c : cases) {
        SCOPED_TRACE(LabelName(c.label) + " " + c.input);
        if (c.model != model) {
            if (model >= 0) roundTrip(firstOfModel, &c);
            firstOfModel = &c;
            Model(model = c.model);
            Image()[0x000B] |= 0x10;  // extended mode, for the digital timers
        }
        const std::vector<uint8_t> before(Image(), Image() + kImageSize);
        if (std::string(c.input) == kNext)
            Run(c.category, c.label, c.index, ' ');
        else
            Type(c.category, c.label, c.index, c.input);
        bool any = false;
        for (int i = 0; i < kImageSize; ++i) {
            const uint8_t diff = before[i] ^ Image()[i];
            if (!diff) continue;
            any = true;
            const bool own = (i >= c.offset && i < c.offset + c.width && (c.width > 1 || (diff & ~c.mask) == 0)) ||
                             (i == c.extra && (diff & ~c.extraMask) == 0);
            EXPECT_TRUE(own) << "byte " << i << " changed by " << int(diff);
        }
        EXPECT_TRUE(any) << "nothing changed";
        if (c.shown) {
            EXPECT_EQ(Show(c.category, c.label, c.index), c.shown);
        }
    }
    roundTrip(firstOfModel, std::end(cases));
}

TEST_F(SignalCells, BlockedRowsAndExtendedModeCells) {
    Model(kModelLmr);
    for (int label : {CL_2T_GroupCall, CL_2T_AutoTx, CL_2T_Code_Type, CL_2T_1st_Period, CL_2T_2nd_Period}) {
        SCOPED_TRACE(LabelName(label));
        EXPECT_EQ(Show(CT_2Tone_Code, label, 0), "----");
        const std::vector<uint8_t> before(Image(), Image() + kImageSize);
        Run(CT_2Tone_Code, label, 0, ' ');
        EXPECT_TRUE(std::equal(before.begin(), before.end(), Image()));
    }
    // The external output timer is put back to the initial image's value whenever an image is
    // saved: it is shown and never edited.
    Image()[0x95C1] = 9;
    EXPECT_EQ(Show(CT_Null, CL_2T_ExoTimer), "  9.000");
    EXPECT_EQ(Type(CT_Null, CL_2T_ExoTimer, 0, "12"), std::set<int>{});
    EXPECT_EQ(Type(CT_Null, CL_5TRx_ExoTimer, 0, "12"), std::set<int>{});

    // The digital timers show nothing and take nothing while extended mode is clear.
    Model(kModelDPmr446);
    Image()[0x000B] &= static_cast<uint8_t>(~0x10);
    EXPECT_EQ(Show(CT_Null, CL_Dig_Tim_L0Level), "");
    EXPECT_EQ(Type(CT_Null, CL_Dig_Tim_L0Level, 0, "-105"), std::set<int>{});
    Image()[0x000B] |= 0x10;
    EXPECT_EQ(Show(CT_Null, CL_Dig_Tim_L0Level), "-110");
}


// ---- sheets ---------------------------------------------------------------------------------------

struct FixedMeasure : cmcTextMeasure {
    int TextWidth(const cmcFont&, const std::string& line) override { return 8 * static_cast<int>(line.size()); }
    int LineHeight(const cmcFont&) override { return 16; }
};

// Every signalling sheet of every model type that has it shows a value in each cell: no cell of
// them lacks its behaviour.
TEST_F(SignalCells, SignallingSheetsHaveNoPlaceholderCells) {
    const struct {
        int model;
        std::vector<const char*> sheets;
    } cases[] = {
        {kModelLmr, {"GI_Sheet_2Tone", "GI_Sheet_2ToneTx"}},
        {kModelPmr, {"GI_Sheet_5ToneRx", "GI_Sheet_5ToneTx", "GI_Sheet_UserTone"}},
        {kModelKorvPmr,
         {"GI_Sheet_5ToneRx", "GI_Sheet_5ToneTx", "GI_Sheet_UserTone", "GI_Sheet_Msk_AdrRange", "GI_Sheet_Msk_IdGroup",
          "GI_Sheet_Msk_CallList", "GI_Sheet_Msk_Status", "GI_Sheet_Msk_ShortText", "GI_Sheet_Msk_Config",
          "GI_Sheet_Msk_Timing", "GI_Sheet_Msk_Presl"}},
        {kModelDPmr446, {"GI_Sheet_2Tone", "GI_Sheet_2ToneTx", "GI_Sheet_Dig_ProgMes", "GI_Sheet_Dig_Status",
                         "GI_Sheet_Dig_Tim"}},
    };
    FixedMeasure measure;
    for (const auto& c : cases) {
        Model(c.model);
        Image()[0x000B] |= 0x10;  // extended mode: the digital timers show
        for (const char* key : c.sheets) {
            SCOPED_TRACE(std::string(key) + " model " + std::to_string(c.model));
            cmcSheetBuilderCommon b(GTex(), key, {c.model, &main_.WorkingImage()});
            b.Build(measure);
            int cells = 0;
            for (int row = 0; row < b.RowCount(); ++row)
                for (int col = 0; col < b.ColCount(); ++col) {
                    cmcCellObj& cell = b.Cell(col, row);
                    if (cell.label == kLabelNone || cell.label == CL_Null) continue;
                    cmcCellRequest req;
                    req.cell = &cell;
                    capsule_.Execute(req, false);
                    EXPECT_EQ(req.display.find("*Yet*"), std::string::npos) << req.display;
                    EXPECT_EQ(req.resultFlags & CRF_Error, 0) << LabelName(cell.label) << " " << cell.index;
                    ++cells;
                }
            EXPECT_GT(cells, 0);
        }
    }
}

}  // namespace
