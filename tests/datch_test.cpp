// The record codec: memory channels at full depth, the other record kinds by their bytes, the
// bank helpers, the address-range record and the packed decimal helpers.
#include "image/cmcEeprom.h"
#include "image/cmcImageMap.h"
#include "image/cmcPackedBcd.h"
#include "image/datCh.h"
#include "image/datKorvAdr.h"
#include "support/cmcTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <random>
#include <vector>

using namespace qx;
using namespace qx::map;

namespace {

struct Image {
    Image() { img.Resize(kImageSize); }
    uint8_t* w() { return img.Data(); }
    uint8_t* rec(int n) { return w() + kChannels + 34 * n; }
    uint8_t* ext(int n) { return w() + kExtensions + 12 * n; }
    cmcEeprom img;
};

}  // namespace

TEST(DatChChannel, FrequenciesInhibitAndInUse) {
    Image m;
    datCh ch(m.w());
    uint8_t* r = m.rec(2);
    r[0] = 0x80;  // inhibited, frequency 0
    ch.Load(KIND_ChPmr, 2);
    EXPECT_EQ(ch.rxFreq, 0u);
    EXPECT_TRUE(ch.inhibit);
    EXPECT_FALSE(ch.inUse);

    ch.inUse = true;
    ch.rxFreq = 800000000;
    ch.txFreq = 0x7FFFFFFF;
    ch.txInhibit = true;
    ch.Commit();
    EXPECT_EQ(ch.rxFreq, kMaxFrequency);
    EXPECT_EQ(ch.txFreq, kMaxFrequency);
    EXPECT_TRUE(ch.inhibit);
    EXPECT_TRUE(ch.txInhibit);
    EXPECT_EQ(r[0], 0x80 | (kMaxFrequency >> 24));
    EXPECT_EQ(r[4] & 0x80, 0x80);

    // A raw frequency above the limit decodes clamped.
    r[0] = 0x7F;
    r[1] = r[2] = r[3] = 0xFF;
    ch.Load(KIND_ChPmr, 2);
    EXPECT_EQ(ch.rxFreq, kMaxFrequency);
}

TEST(DatChChannel, StoringAChannelNotInUseClearsOnlyItsFrequencies) {
    Image m;
    datCh ch(m.w());
    ch.Load(KIND_ChLmr, 5);
    ch.rxFreq = ch.txFreq = 150000000;
    std::memcpy(ch.text, "NAME-5  ", 8);
    ch.scrambleCode = 9;
    ch.log = 0xA;
    ch.Store();
    ch.Load(KIND_ChLmr, 5);
    ch.inUse = false;
    ch.Store();
    ch.Load(KIND_ChLmr, 5);
    EXPECT_EQ(ch.rxFreq, 0u);
    EXPECT_EQ(ch.txFreq, 0u);
    EXPECT_EQ(std::memcmp(ch.text, "NAME-5  ", 8), 0);
    EXPECT_EQ(ch.scrambleCode, 9);
    EXPECT_EQ(ch.log, 0xA);
}

TEST(DatChChannel, ToneFields) {
    uint8_t ab[2] = {0x1E, 0x00};  // bits 1-4 of A set beforehand
    datTone t;
    t.enabled = true;
    t.dtcs = true;
    t.inverted = true;
    t.dtcsCode = 0x1FF;
    t.Encode(ab);
    EXPECT_EQ(ab[0], 0x61 | 0x1E);
    EXPECT_EQ(ab[1], 0xFF);
    EXPECT_EQ(datTone::Decode(ab), t);

    uint8_t clear[2] = {0x00, 0x00};
    t.Encode(clear);
    EXPECT_EQ(clear[0], 0x61);

    datTone ctcss;
    ctcss.enabled = true;
    ctcss.ctcss = 12;
    uint8_t c[2] = {0x7F, 0x00};
    ctcss.Encode(c);
    EXPECT_EQ(c[0], 0x1E);  // bits 5 and 0 cleared for a CTCSS tone
    EXPECT_EQ(c[1], 12);
    datTone off = datTone::Decode((const uint8_t[]){0x80, 0x05});
    EXPECT_FALSE(off.enabled);
    EXPECT_EQ(off.ctcss, 5);
}

TEST(DatChChannel, ExtensionBitPositions) {
    // One field at a time, from a zero image: the bytes of the extension it sets.
    struct Case {
        const char* field;
        int kind;
        std::function<void(datCh&)> set;
        std::vector<int> ext;  // the 12 extension bytes expected
    };
    const Case cases[] = {
        {"pwrSave", KIND_ChPmr, [](datCh& c) { c.pwrSave = true; }, {0x80}},
        {"monitor", KIND_ChPmr, [](datCh& c) { c.monitor = 0x0F; }, {0x40, 0x08, 0x30}},
        {"tot+lockout+rf", KIND_ChPmr, [](datCh& c) { c.tot = true; c.lockout = 2; c.rfPower = 3; }, {0x1B}},
        {"log+scanInc+mute", KIND_ChPmr, [](datCh& c) { c.log = 0x9; c.scanInc = true; c.chMute = true; }, {0, 0x93}},
        {"select+call+ptt", KIND_ChPmr, [](datCh& c) { c.select = 2; c.call = true; c.ptt = true; }, {0, 0, 0x8C}},
        {"autoReset PMR", KIND_ChPmr, [](datCh& c) { c.autoReset = 3; }, {0, 0, 0x03}},
        {"autoReset LMR", KIND_ChLmr, [](datCh& c) { c.autoReset = 3; }, {0, 0, 0x02}},
        {"byte 3", KIND_ChPmr,
         [](datCh& c) { c.logMsk = true; c.scrambleOn = 1; c.compander = true; c.autoChScan = true; },
         {0, 0, 0, 0xB1}},
        {"msk Korv", KIND_ChKorvPmr,
         [](datCh& c) { c.mskSignal = true; c.mskNoRepeater = true; c.mskSendStatus = true; }, {0, 0, 0, 0x0E}},
        {"msk not Korv", KIND_ChPmr, [](datCh& c) { c.mskSignal = true; }, {0, 0, 0, 0x00}},
        {"scrambler code", KIND_ChPmr, [](datCh& c) { c.scrambleCode = 0xAB; }, {0, 0, 0, 0, 0, 0xAB}},
        {"PMR codes", KIND_ChPmr,
         [](datCh& c) {
             c.format = 5; c.position = 2; c.rptCode = 3; c.rptFlag = true; c.stnCode = 4;
             c.idCode = 0x7F; c.idFlag = true; c.rxCodeNo = 0xC5;
         },
         {0, 0, 0, 0, 0, 0, 0x85, 0x83, 0x04, 0xFF, 0xC5, 0x00}},
        {"LMR codes", KIND_ChDPmr446,
         [](datCh& c) { c.format = 5; c.rptCode = 3; c.twoTone = 0x55; c.rxCodeNo = 0x3FF; },
         {0, 0, 0, 0, 0, 0, 0x00, 0x00, 0x55, 0x00, 0xFF, 0xC0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        Image m;
        datCh ch(m.w());
        ch.Load(c.kind, 7);
        c.set(ch);
        ch.Store();
        std::vector<int> want(c.ext);
        want.resize(12, 0);
        for (int i = 0; i < 12; ++i) EXPECT_EQ(m.ext(7)[i], want[size_t(i)]) << "extension byte " << i;
        // And it decodes back.
        datCh back(m.w());
        back.Load(c.kind, 7);
        back.Store();
        for (int i = 0; i < 12; ++i) EXPECT_EQ(m.ext(7)[i], want[size_t(i)]) << "after reload, byte " << i;
    }
}

TEST(DatChChannel, ModelFormsOfTheCodeFields) {
    Image m;
    uint8_t* e = m.ext(0);
    e[6] = 0xC5;
    e[7] = 0x83;
    e[8] = 0xA4;
    e[9] = 0x81;
    e[10] = 0x12;
    e[11] = 0x40;
    datCh ch(m.w());
    ch.Load(KIND_ChKorvPmr, 0);
    EXPECT_EQ(ch.format, 5);
    EXPECT_EQ(ch.position, 3);
    EXPECT_EQ(ch.rptCode, 3);
    EXPECT_TRUE(ch.rptFlag);
    EXPECT_EQ(ch.stnCode, 0x24);
    EXPECT_TRUE(ch.stnFlag);
    EXPECT_EQ(ch.idCode, 1);
    EXPECT_EQ(ch.rxCodeNo, 0x12);
    ch.Load(KIND_ChLmr, 0);
    EXPECT_EQ(ch.format, 0);
    EXPECT_EQ(ch.position, 0);
    EXPECT_EQ(ch.rptCode, 0);
    EXPECT_EQ(ch.stnCode, 1);
    EXPECT_TRUE(ch.stnFlag);
    EXPECT_EQ(ch.twoTone, 0x24);
    EXPECT_EQ(ch.rxCodeNo, (0x1240 >> 6));
    // Storing the LMR form zeroes the PMR-only fields and keeps bit 7 of byte 8.
    ch.Store();
    EXPECT_EQ(e[6], 0x00);
    EXPECT_EQ(e[7], 0x00);
    EXPECT_EQ(e[8], 0xA4);
    EXPECT_EQ(e[9], 0x00);
}

TEST(DatChChannel, KeptBytesAndBitsSurviveAStore) {
    for (int kind = KIND_ChLmr; kind <= KIND_ChDPmr446; ++kind) {
        SCOPED_TRACE(kind);
        Image m;
        std::mt19937 rng(kind);
        for (int i = 0; i < 34; ++i) m.rec(9)[i] = uint8_t(rng());
        for (int i = 0; i < 12; ++i) m.ext(9)[i] = uint8_t(rng());
        m.rec(9)[28] |= 0x8C;
        m.ext(9)[0] |= 0x20;
        m.ext(9)[1] |= 0x04;
        std::memset(m.rec(9) + 20, 'A', 8);  // a name that is not blank: bit 5 of byte 28 clear
        m.rec(9)[28] &= uint8_t(~0x20);
        cmcEeprom before(m.img);
        datCh ch(m.w());
        ch.Load(kind, 9);
        ch.Store();
        // Every byte of record and extension stays, except those the model form rewrites.
        for (int i : {29, 31, 32, 33}) EXPECT_EQ(m.rec(9)[i], before.Data()[kChannels + 34 * 9 + i]) << i;
        EXPECT_EQ(m.rec(9)[28] & 0x8C, 0x8C);
        EXPECT_EQ(m.ext(9)[4], before.Data()[kExtensions + 12 * 9 + 4]);
        EXPECT_EQ(m.ext(9)[0] & 0x20, 0x20);
        EXPECT_EQ(m.ext(9)[1] & 0x04, 0x04);
        EXPECT_EQ(m.ext(9)[6] & 0x30, before.Data()[kExtensions + 12 * 9 + 6] & 0x30);
        if (kind == KIND_ChPmr || kind == KIND_ChKorvPmr) {
            // The PMR form understands every other bit: the whole extension round-trips.
            for (int i = 0; i < 11; ++i) EXPECT_EQ(m.ext(9)[i], before.Data()[kExtensions + 12 * 9 + i]) << i;
        }
    }
}

TEST(DatChChannel, NameBlankFlag) {
    Image m;
    datCh ch(m.w());
    ch.Load(KIND_ChPmr, 0);
    std::memset(ch.text, ' ', 8);
    ch.Store();
    EXPECT_EQ(m.rec(0)[28] & 0x20, 0x20);
    ch.text[3] = 'X';
    ch.Store();
    EXPECT_EQ(m.rec(0)[28] & 0x20, 0);
}

TEST(DatChChannel, ScanListsDesignationsAndBankFlag) {
    Image m;
    datSetBankSize(m.w(), 0, 8);
    datSetBankSize(m.w(), 1, 8);
    datCh ch(m.w());
    ch.Load(KIND_ChPmr, 10);  // bank 1
    ch.scanLists = 0x401;     // scan lists 0 and 10
    ch.desig1 = true;
    ch.desig3 = true;
    ch.desig3Off = false;
    ch.bankFlag = true;
    ch.Store();
    EXPECT_EQ(m.w()[kScanMaps + 0 * 8 + 1], 0x20);   // list 0, channel 10: byte 1, bit 5
    EXPECT_EQ(m.w()[kScanMaps + 10 * 8 + 1], 0x20);  // list 10
    EXPECT_EQ(m.w()[kScanMaps + 5 * 8 + 1], 0x00);
    EXPECT_EQ(m.w()[kDesig1], 10);
    EXPECT_EQ(m.w()[kDesig3], 10);
    EXPECT_EQ(m.w()[kDesig3On] & 0x20, 0x20);
    EXPECT_EQ(m.w()[kBankFlags], 0x40);

    ch.Load(KIND_ChPmr, 10);
    EXPECT_EQ(ch.scanLists, 0x401);
    EXPECT_TRUE(ch.desig1);
    EXPECT_FALSE(ch.desig2);
    EXPECT_TRUE(ch.desig3);
    EXPECT_TRUE(ch.bankFlag);

    // Clearing designation 1 leaves byte 325 to whoever else names it.
    ch.desig1 = false;
    ch.desig3Off = true;
    ch.Store();
    EXPECT_EQ(m.w()[kDesig1], 10);
    EXPECT_EQ(m.w()[kDesig3On] & 0x20, 0);
    ch.Load(KIND_ChPmr, 10);
    EXPECT_FALSE(ch.desig3);
    EXPECT_TRUE(ch.desig3Off);

    // A channel beyond the channel total has no bank: its store leaves the bank flags alone.
    ch.Load(KIND_ChPmr, 20);
    ch.bankFlag = true;
    ch.Store();
    EXPECT_EQ(m.w()[kBankFlags], 0x40);
}

TEST(DatChChannel, EmptyChannelAndIndexesWithoutARecord) {
    Image m;
    std::memset(m.rec(63), 0x11, 34);
    cmcEeprom before(m.img);
    datCh ch(m.w());
    for (int index : {64, 65, -1, 1000}) {
        SCOPED_TRACE(index);
        ch.Load(KIND_ChPmr, index);
        EXPECT_TRUE(ch.inUse);
        EXPECT_EQ(ch.rxFreq, 0u);
        ch.rxFreq = 446000000;
        ch.Store();
        EXPECT_TRUE(m.img.Equals(before));
    }
    for (int kind : {0, 13, 20, -3}) {
        ch.Load(kind, 0);
        ch.Store(kind, 0);
        EXPECT_TRUE(m.img.Equals(before)) << kind;
    }
}

TEST(DatChKinds, OtherKindsRoundTripWithinTheirBytes) {
    // For each kind: the spans its record occupies. A record loaded from random bytes and stored
    // into a zero image writes only inside those spans, and storing it back where it came from
    // changes nothing but the derived blank-name bits.
    struct Case {
        int kind, index;
        std::vector<std::pair<int, int>> spans;
    };
    const Case cases[] = {
        {KIND_UserChar, 15, {{38397 + 30, 2}}},
        {KIND_Dtmf, 7, {{38743 + 21 * 7, 21}}},
        {KIND_ScanList, 10, {{38633 + 100, 10}}},
        {KIND_CTone, 8, {{38597 + 32, 4}}},
        {KIND_5ToneRx, 10, {{39231 + 180, 18}}},
        {KIND_5ToneTx, 31, {{34936 + 124, 4}, {38911 + 310, 10}}},
        {KIND_UserTone, 14, {{38429 + 28, 2}, {38459 + 56, 4}}},
        {KIND_2Tone, 0, {{39231, 18}}},
        {KIND_2Tone, 10, {{39231 + 180, 18}, {38421 + 80, 8}, {34932 + 40, 4}, {38527 + 20, 2}, {38909 + 100, 1}}},
        {KIND_BankName, 4, {{38557 + 32, 8}}},
        {KIND_MskIdGroup, 7, {{39455 + 112, 16}}},
        {KIND_MskCallList, 31, {{35064 + 124, 4}, {39597 + 310, 10}}},
        {KIND_MskStatus, 23, {{40245 + 276, 12}, {39957 + 276, 12}}},
        {KIND_MskShortText, 7, {{35192 + 56, 8}, {40533 + 14, 1}}},
        {KIND_DigStatus, 31, {{41189 + 620, 20}, {40549 + 620, 20}}},
    };
    std::mt19937 rng(5);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        Image src;
        for (int a = kWorkAreaStart; a < kImageSize; ++a) src.w()[a] = uint8_t(rng());
        if (c.kind == KIND_MskCallList) cmcPackedBcd::Encode4(1234, src.w() + 35064 + 4 * c.index, 4);
        datCh ch(src.w());
        ch.Load(c.kind, c.index);

        Image dst;
        ch.Bind(dst.w());
        ch.Store();
        std::vector<bool> inSpan(kImageSize, false);
        for (auto [a, n] : c.spans)
            for (int k = 0; k < n; ++k) inSpan[a + k] = true;
        for (int a = 0; a < kImageSize; ++a) {
            if (!inSpan[a]) {
                ASSERT_EQ(dst.w()[a], 0) << "written outside the record at " << a;
            }
        }

        cmcEeprom before(src.img);
        ch.Bind(src.w());
        ch.Store();
        int differing = 0;
        for (int a = 0; a < kImageSize; ++a)
            if (src.w()[a] != before.Data()[a]) {
                ++differing;
                EXPECT_TRUE(inSpan[a]) << a;
            }
        EXPECT_LE(differing, 1);  // at most the blank-name byte of kinds 9 and 10
        // Understood bytes are copied: a second decode gives the same fields.
        datCh again(dst.w());
        again.Load(c.kind, c.index);
        if (c.kind == KIND_5ToneTx) again.opt[1] = uint8_t((again.opt[1] & ~0x20) | (ch.opt[1] & 0x20));
        EXPECT_EQ(std::memcmp(again.text, ch.text, sizeof ch.text), 0);
        EXPECT_EQ(std::memcmp(again.opt, ch.opt, sizeof ch.opt), 0);
        EXPECT_EQ(std::memcmp(again.value, ch.value, sizeof ch.value), 0);
    }
}

TEST(DatChKinds, NamedFieldsOfTheOtherKinds) {
    Image m;
    datCh ch(m.w());
    // Kind 6: 24 DTMF digits as nibbles and the digit count.
    ch.Load(KIND_Dtmf, 1);
    for (int d = 0; d < 24; ++d) ch.digits[d] = uint8_t(d % 16);
    ch.digitCount = 24;
    std::memcpy(ch.text, "DTMF    ", 8);
    ch.Store();
    const uint8_t* r = m.w() + 38743 + 21;
    EXPECT_EQ(r[8], 0x01);
    EXPECT_EQ(r[15], 0xEF);
    EXPECT_EQ(r[20], 24);
    // Kind 7: the option value without bit 4, the bit-4 flag, byte 9 bits 6-7.
    uint8_t* s = m.w() + 38633 + 10 * 2;
    s[8] = 0xFF;
    s[9] = 0xFF;
    ch.Load(KIND_ScanList, 2);
    EXPECT_EQ(ch.opt[0], 0xEF);
    EXPECT_EQ(ch.opt[1], 1);
    EXPECT_EQ(ch.opt[2], 0xC0);
    ch.opt[1] = 0;
    ch.opt[2] = 0x40;
    ch.Store();
    EXPECT_EQ(s[8], 0xEF);
    EXPECT_EQ(s[9], 0x7F);
    // Kinds 9 and 10 mark a blank name.
    ch.Load(KIND_5ToneRx, 3);
    std::memset(ch.text, ' ', 8);
    ch.Store();
    EXPECT_EQ(m.w()[39231 + 54 + k5ToneRxBlankByte] & 0x20, 0x20);
    ch.Load(KIND_5ToneTx, 3);
    std::memcpy(ch.text, "TX      ", 8);
    ch.Store();
    EXPECT_EQ(m.w()[38911 + 30 + k5ToneTxBlankByte] & 0x20, 0);
    // Kind 16: the address as 4 packed decimal digits; a non-decimal code reads as none.
    ch.Load(KIND_MskCallList, 4);
    ch.value[0] = 4095;
    ch.Store();
    EXPECT_EQ(m.w()[35064 + 16], 0x40);
    EXPECT_EQ(m.w()[35064 + 17], 0x95);
    EXPECT_EQ(m.w()[35064 + 18], 0xFF);
    m.w()[35064 + 17] = 0x9A;
    ch.Load(KIND_MskCallList, 4);
    EXPECT_EQ(ch.value[0], cmcPackedBcd::kNone);
}

TEST(DatChKinds, KindTable) {
    EXPECT_EQ(datKindTable(0), nullptr);
    EXPECT_EQ(datKindTable(20), nullptr);
    for (int k = 1; k <= 5; ++k) EXPECT_TRUE(datKindTable(k)->flags & kKindChannelLike) << k;
    for (int k = 6; k <= 19; ++k) EXPECT_FALSE(datKindTable(k)->flags & kKindChannelLike) << k;
    EXPECT_EQ(datKindMinIndex(9), 1);
    EXPECT_EQ(datKindMaxIndex(12), 10);
    EXPECT_EQ(datKindMaxIndex(KIND_BankName), 100000000);
    EXPECT_EQ(datChannelKind(kModelDPmr446), KIND_ChDPmr446);
    EXPECT_EQ(datChannelKind(7), KIND_ChLmr);
}

TEST(DatBanks, Helpers) {
    Image m;
    const int sizes[5] = {3, 0, 5, 0, 2};
    for (int b = 0; b < 5; ++b) datSetBankSize(m.w(), b, sizes[b]);
    EXPECT_EQ(datChannelTotal(m.w()), 10);
    struct Case {
        int bank, first, last;
    };
    for (auto c : {Case{0, 0, 2}, Case{1, 3, 2}, Case{2, 3, 7}, Case{4, 8, 9}, Case{5, 10, 9}})
        EXPECT_TRUE(datBankFirst(m.w(), c.bank) == c.first && datBankLast(m.w(), c.bank) == c.last) << c.bank;
    datSetBankSize(m.w(), 0, 0);
    datSetBankSize(m.w(), 2, 0);
    datSetBankSize(m.w(), 4, 0);
    EXPECT_EQ(datBankLast(m.w(), 0), 0);  // first of bank 1 minus 1, held at 0
    for (int b = 0; b < 5; ++b) datSetBankSize(m.w(), b, sizes[b]);
    const int bankOf[] = {0, 0, 0, 2, 2, 2, 2, 2, 4, 4, 5, 5};
    for (int n = 0; n < 12; ++n) EXPECT_EQ(datBankOfChannel(m.w(), n), bankOf[n]) << n;
    EXPECT_EQ(datBankSize(m.w(), 5), 0);
    datSetBankFlag(m.w(), 4, true);
    datSetBankFlag(m.w(), 5, true);  // no bank: ignored
    EXPECT_EQ(m.w()[kBankFlags], 0x08);
    EXPECT_FALSE(datBankFlag(m.w(), 5));

    // Channels in use: per bank, in all banks, and 0-63 whatever the banks.
    for (int n : {1, 4, 9, 30}) m.rec(n)[3] = 1;
    EXPECT_EQ(datBankInUse(m.w(), 0), 1);
    EXPECT_EQ(datBankInUse(m.w(), 2), 1);
    EXPECT_EQ(datBankInUse(m.w(), 4), 1);
    EXPECT_EQ(datBanksInUse(m.w()), 3);
    EXPECT_EQ(datChannelsInUse(m.w()), 4);
    m.rec(4)[0] = 0x80;  // the inhibit bit is not a frequency
    m.rec(4)[3] = 0;
    EXPECT_EQ(datChannelsInUse(m.w()), 3);
    // Huge bank sizes do not reach past channel 63.
    datSetBankSize(m.w(), 0, 0xFFFF);
    EXPECT_EQ(datBankInUse(m.w(), 0), 3);
}

TEST(DatKorvAdr, DerivedLimits) {
    Image m;
    m.w()[kKorvAddress] = 0x01;
    m.w()[kKorvAddress + 1] = 0x00;
    datKorvAdr adr(m.w());
    EXPECT_EQ(adr.group, 256);
    const datKorvAdr::Limit want[14] = {{0, 0},      {0, 4095},   {256, 4095}, {4095, 4095}, {0, 4095},
                                        {0, 255},    {0, 255},    {256, 4095}, {256, 4095},  {256, 4095},
                                        {256, 4095}, {256, 4095}, {256, 4095}, {256, 4095}};
    for (int i = 0; i < 14; ++i) EXPECT_TRUE(adr.limits[i].low == want[i].low && adr.limits[i].high == want[i].high) << i;
    EXPECT_EQ(adr.entries[31].limit, 4095);
    EXPECT_STREQ(adr.entries[0].text, "");
    adr.group = 5000;
    adr.Store();
    EXPECT_EQ(adr.group, 4095);
    EXPECT_EQ(m.w()[kKorvAddress], 0x0F);
    EXPECT_EQ(m.w()[kKorvAddress + 1], 0xFF);
    EXPECT_EQ(adr.limits[2].low, 4095);
}

TEST(PackedBcd, DecodeEncodeAndDigits) {
    const uint8_t a[2] = {0x12, 0x34};
    const uint8_t bad[2] = {0x1A, 0x34};
    EXPECT_EQ(cmcPackedBcd::Decode4(a), 1234);
    EXPECT_EQ(cmcPackedBcd::Decode4(bad), cmcPackedBcd::kNone);
    uint8_t buf[4] = {0, 0, 0, 0};
    cmcPackedBcd::Encode4(42, buf, 4);
    EXPECT_EQ(buf[0], 0x00);
    EXPECT_EQ(buf[1], 0x42);
    EXPECT_EQ(buf[2], 0xFF);
    EXPECT_EQ(buf[3], 0xFF);
    cmcPackedBcd::Encode4(10000, buf, 4);
    for (uint8_t b : buf) EXPECT_EQ(b, 0xFF);
    uint8_t pw[3] = {0, 0, 0};
    cmcPackedBcd::StoreDigits("12345", pw, 6);
    EXPECT_EQ(pw[0], 0x12);
    EXPECT_EQ(pw[1], 0x34);
    EXPECT_EQ(pw[2], 0x50);
    cmcPackedBcd::StoreDigits("9x9999999", pw, 4);
    EXPECT_EQ(pw[0], 0x9F);
    EXPECT_EQ(pw[1], 0x99);
    EXPECT_EQ(pw[2], 0x50);
}
