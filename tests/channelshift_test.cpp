// Channels joining and leaving a bank: every per-channel datum (record, extension, scan list bits,
// designations) moves with its channel, slots keep their banks' flags, the freed slot is blank.
#include "defs/cmcGTex.h"
#include "image/cmcImageMap.h"
#include "image/datCh.h"
#include "image/datChannelShift.h"
#include "image/indMain.h"
#include "support/cmcTestSupport.h"

#include <gtest/gtest.h>

using namespace qx;

namespace {

class ChannelShift : public ::testing::Test {
protected:
    void SetUp() override {
        OpenDefinitionFiles();
        main_.LoadStartImage(kModelPmr);
        for (int b = 0; b < map::kBankCount; ++b) datSetBankSize(Image(), b, 0);
        datSetBankSize(Image(), 0, 3);
        datSetBankSize(Image(), 1, 2);
        datSetBankFlag(Image(), 0, false);
        datSetBankFlag(Image(), 1, true);
        for (int ch = 0; ch < 5; ++ch) Fill(ch);
        Image()[map::kDesig1] = 1;             // designated channel 1 is channel 1
        Image()[map::kDesig2] = 3;
        Image()[map::kDesig3On] &= ~0x20;      // designation 3 off
    }

    uint8_t* Image() { return main_.WorkingImage().Data(); }
    datCh Channel(int ch) {
        datCh r(Image());
        r.Load(KIND_ChPmr, ch);
        return r;
    }
    // Channel ch: its own frequency, name, power and scan lists.
    void Fill(int ch) {
        datCh r = Channel(ch);
        r.rxFreq = r.txFreq = Freq(ch);
        r.inUse = true;
        r.text[0] = static_cast<uint8_t>('A' + ch);
        r.rfPower = static_cast<uint8_t>(ch % 4);
        r.scanLists = static_cast<uint16_t>(1u << ch);
        r.Store(KIND_ChPmr, ch);
    }
    static uint32_t Freq(int ch) { return 446006250u + 12500u * static_cast<uint32_t>(ch); }
    // Expects slot `slot` to hold what Fill gave channel `ch`.
    void ExpectHolds(int slot, int ch) {
        SCOPED_TRACE("slot " + std::to_string(slot) + " holds channel " + std::to_string(ch));
        const datCh r = Channel(slot);
        EXPECT_EQ(r.rxFreq, Freq(ch));
        EXPECT_EQ(r.text[0], 'A' + ch);
        EXPECT_EQ(r.rfPower, ch % 4);
        EXPECT_EQ(r.scanLists, 1u << ch);
    }

    indMain main_;
};

TEST_F(ChannelShift, AChannelJoinsABank) {
    ASSERT_TRUE(datChannelJoinsBank(main_.WorkingImage(), main_.InitialImage(), kModelPmr, 0, 1));
    ExpectHolds(0, 0);
    EXPECT_FALSE(Channel(1).inUse);  // the blank record
    EXPECT_EQ(Channel(1).scanLists, 0);
    for (int ch = 1; ch < 5; ++ch) ExpectHolds(ch + 1, ch);
    EXPECT_EQ(datBankSize(Image(), 0), 4);
    EXPECT_EQ(datBankSize(Image(), 1), 2);
    // Designations follow their channels; the designation 3 switch stays off.
    EXPECT_EQ(Image()[map::kDesig1], 2);
    EXPECT_EQ(Image()[map::kDesig2], 4);
    EXPECT_EQ(Image()[map::kDesig3On] & 0x20, 0);
    // The slots keep their banks' flags: bank 1 now starts at slot 4.
    EXPECT_FALSE(datBankFlag(Image(), 0));
    EXPECT_TRUE(datBankFlag(Image(), 1));
}

TEST_F(ChannelShift, AChannelLeavesABankAndJoiningBackRestoresTheTable) {
    ASSERT_TRUE(datChannelLeavesBank(main_.WorkingImage(), main_.InitialImage(), kModelPmr, 0, 0));
    for (int ch = 1; ch < 5; ++ch) ExpectHolds(ch - 1, ch);
    EXPECT_FALSE(Channel(63).inUse);
    EXPECT_EQ(datBankSize(Image(), 0), 2);
    EXPECT_EQ(Image()[map::kDesig1], 0);
    EXPECT_EQ(Image()[map::kDesig2], 2);
    EXPECT_TRUE(datBankFlag(Image(), 1));

    ASSERT_TRUE(datChannelJoinsBank(main_.WorkingImage(), main_.InitialImage(), kModelPmr, 0, 0));
    Fill(0);
    for (int ch = 0; ch < 5; ++ch) ExpectHolds(ch, ch);
    EXPECT_EQ(Image()[map::kDesig1], 1);
    EXPECT_EQ(datBankSize(Image(), 0), 3);
}

TEST_F(ChannelShift, RefusalsChangeNothing) {
    cmcEeprom& w = main_.WorkingImage();
    const cmcEeprom& ini = main_.InitialImage();
    const cmcEeprom before(w);
    EXPECT_FALSE(datChannelJoinsBank(w, ini, kModelPmr, 5, 0));
    EXPECT_FALSE(datChannelJoinsBank(w, ini, kModelPmr, -1, 0));
    EXPECT_FALSE(datChannelJoinsBank(w, ini, kModelPmr, 0, 64));
    EXPECT_FALSE(datChannelLeavesBank(w, ini, kModelPmr, 0, -1));
    EXPECT_FALSE(datChannelLeavesBank(w, ini, kModelPmr, 3, 0));  // an empty bank
    cmcEeprom small;
    small.Resize(100);
    EXPECT_FALSE(datChannelJoinsBank(small, ini, kModelPmr, 0, 0));
    EXPECT_FALSE(w.Differs(before));
    datSetBankSize(Image(), 4, map::kChannelCount - 5);  // a full table
    const cmcEeprom full(w);
    EXPECT_FALSE(datChannelJoinsBank(w, ini, kModelPmr, 0, 0));
    EXPECT_FALSE(w.Differs(full));
}

}  // namespace
