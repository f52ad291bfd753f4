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
#include "image/cmcImageMap.h"
#include "image/datCh.h"
#include "image/indMain.h"
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
    cmcScopedEvMan evman_;
    cmcScopedEditorLists lists_{nullptr};
    indMain main_;
    cmcCellCapsule capsule_{&main_};
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
        {CL_UTone_NotoneTimer, 15, "0.01", 0x9693, 2},  // at least 0.02 s
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

}  // namespace
