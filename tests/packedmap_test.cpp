// The packed memory map: packing, unpacking, template expansion, the capacity rule and
// normalisation, over images built in memory.
#include "image/cmcImageMap.h"
#include "image/cmcPackedMap.h"
#include "image/datCh.h"
#include "image/indInitialImage.h"
#include "support/cmcTestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <random>
#include <vector>

using namespace qx;
using namespace qx::map;

namespace {

int Be16(const cmcEeprom& img, int a) { return (img.Data()[a] << 8) | img.Data()[a + 1]; }
void PutBe16(cmcEeprom& img, int a, int v) {
    img.Data()[a] = uint8_t(v >> 8);
    img.Data()[a + 1] = uint8_t(v);
}

// An image whose work-area tables hold random bytes, with the given bank sizes.
cmcEeprom RandomWorkArea(uint32_t seed, std::vector<int> banks) {
    cmcEeprom img;
    img.Resize(kImageSize);
    std::mt19937 rng(seed);
    for (int a = kWorkAreaStart; a < kDirectory; ++a) img.Data()[a] = uint8_t(rng());
    for (int a = 0; a < kPackedStart; ++a) img.Data()[a] = uint8_t(rng());
    for (int b = 0; b < kBankCount; ++b) datSetBankSize(img.Data(), b, b < int(banks.size()) ? banks[b] : 0);
    return img;
}

// The expanded initial image of a model type, as the program holds it.
cmcEeprom ExpandedInitial(int modelType) {
    cmcEeprom built;
    indBuildInitialImage(modelType, built);
    cmcEeprom initial;
    initial.Resize(kImageSize);
    std::memcpy(initial.Data(), built.Data(), kEepromAreaEnd + 1);
    cmcPackedMap::Expand(initial);
    return initial;
}

// A copy of the image's EEPROM area in an otherwise zero image: what a clone file carries.
cmcEeprom EepromAreaOnly(const cmcEeprom& img) {
    cmcEeprom out;
    out.Resize(kImageSize);
    std::memcpy(out.Data(), img.Data(), kEepromAreaEnd + 1);
    return out;
}

// A directory with entries given by hand, at 0x1000; base 376.
void WriteDirectory(cmcEeprom& img, const std::vector<std::array<int, 4>>& entries, int entryLength = 10) {
    uint8_t* w = img.Data();
    w[kDirHeader] = 0;
    w[kDirHeader + 1] = 1;
    PutBe16(img, kDirHeader + 2, entryLength);
    PutBe16(img, kDirHeader + 4, int(entries.size()));
    PutBe16(img, kDirHeader + 6, 0x1000);
    PutBe16(img, kPackedBase, kPackedStart);
    for (size_t i = 0; i < entries.size(); ++i) {
        int at = 0x1000 + int(i) * entryLength;
        for (int k = 0; k < 4; ++k) PutBe16(img, at + 2 * k, entries[i][k]);
    }
}

}  // namespace

TEST(PackedMap, PackThenUnpackRestoresEveryPackedTableOfEachModelType) {
    for (int model = 0; model < kModelTypeCount; ++model) {
        SCOPED_TRACE(model);
        cmcEeprom img = RandomWorkArea(100 + model, {10, 5, 3});
        ASSERT_FALSE(cmcPackedMap::Pack(img, model, true));

        EXPECT_EQ(Be16(img, kPackedBase), 0x0178);
        EXPECT_EQ(img.Data()[kDirHeader], 0x00);
        EXPECT_EQ(img.Data()[kDirHeader + 1], 0x01);
        EXPECT_EQ(Be16(img, kDirHeader + 2), 10);
        const int end = Be16(img, kPackedEnd);
        EXPECT_EQ(std::memcmp(img.Data() + end - 8, kMakerSignature, 8), 0);
        EXPECT_EQ(Be16(img, kDirHeader + 6) + 10 * Be16(img, kDirHeader + 4), end - 8);

        int expectedEntries = 0;
        for (int i = 0; i < cmcPackedMap::BlockCount(); ++i)
            if (cmcPackedMap::PackedFor(cmcPackedMap::Blocks()[i], model)) ++expectedEntries;
        EXPECT_EQ(Be16(img, kDirHeader + 4), expectedEntries);

        cmcEeprom back = EepromAreaOnly(img);
        cmcPackedMap::Unpack(back);
        for (int i = 0; i < cmcPackedMap::BlockCount(); ++i) {
            const cmcBlockDef& b = cmcPackedMap::Blocks()[i];
            if (b.id == 39 || b.id == 21 || b.id == 22 || b.id == 23) continue;
            SCOPED_TRACE(b.id);
            const int count = b.perChannel ? 18 : b.capacity;
            const int length = b.elemSize * count;
            if (cmcPackedMap::PackedFor(b, model)) {
                EXPECT_EQ(std::memcmp(back.Data() + b.home, img.Data() + b.home, size_t(length)), 0);
            } else {
                std::vector<uint8_t> zeros(size_t(b.elemSize * b.capacity), 0);
                EXPECT_EQ(std::memcmp(back.Data() + b.home, zeros.data(), zeros.size()), 0);
            }
        }
        // Zone 1 ends where the first zone-2 block starts.
        const int zone2First = model == kModelDPmr446 ? 21 : 3;
        int e = cmcPackedMap::FindEntry(back, Be16(back, kDirHeader + 4), zone2First);
        ASSERT_GE(e, 0);
        EXPECT_EQ(Be16(img, kZone1End), Be16(back, kDirectory + 10 * e + 6));
    }
}

TEST(PackedMap, BlockTwentyOneCarriesTheBytesAtAddress304) {
    cmcEeprom img = RandomWorkArea(7, {4});
    ASSERT_FALSE(cmcPackedMap::Pack(img, kModelDPmr446, false));
    cmcEeprom back = EepromAreaOnly(img);
    const int entries = cmcPackedMap::CopyDirectory(back);
    int e = cmcPackedMap::FindEntry(back, entries, 21);
    ASSERT_GE(e, 0);
    EXPECT_EQ(std::memcmp(img.Data() + Be16(back, kDirectory + 10 * e + 6), img.Data() + kBlock21Source, 37), 0);
}

TEST(PackedMap, ParameterBlockContentsSumToZeroOrAreZero) {
    cmcEeprom img = RandomWorkArea(1, {64});
    ASSERT_FALSE(cmcPackedMap::Pack(img, kModelLmr, true));
    uint8_t sum = 0;
    for (int a = 376; a <= 439; ++a) sum = uint8_t(sum + img.Data()[a]);
    EXPECT_EQ(sum, 0);
    EXPECT_EQ(img.Data()[376 + 22], 0);
    EXPECT_EQ(img.Data()[376 + 23], 0x14);
    // The work-area copy is built in 512 cleared bytes.
    for (int a = kParamBlock + 64; a < kParamBlock + 512; ++a) ASSERT_EQ(img.Data()[a], 0) << a;

    ASSERT_FALSE(cmcPackedMap::Pack(img, kModelLmr, false));
    for (int a = 376; a <= 439; ++a) ASSERT_EQ(img.Data()[a], 0) << a;
    EXPECT_EQ(Be16(img, kDirectory + 2), 64);  // entry 0: block 39, 64 x 1 at 0x0178
    EXPECT_EQ(Be16(img, kDirectory + 6), 0x0178);
}

TEST(PackedMap, ChannelTotalZeroPacksEmptyChannelBlocks) {
    cmcEeprom img = RandomWorkArea(2, {0, 0, 0, 0, 0});
    ASSERT_FALSE(cmcPackedMap::Pack(img, kModelPmr, true));
    const int entries = Be16(img, kDirHeader + 4);
    cmcEeprom back = EepromAreaOnly(img);
    ASSERT_EQ(cmcPackedMap::CopyDirectory(back), entries);
    int e2 = cmcPackedMap::FindEntry(back, entries, 2);
    int e5 = cmcPackedMap::FindEntry(back, entries, 5);
    int e3 = cmcPackedMap::FindEntry(back, entries, 3);
    int e6 = cmcPackedMap::FindEntry(back, entries, 6);
    ASSERT_TRUE(e2 >= 0 && e5 >= 0 && e3 >= 0 && e6 >= 0);
    EXPECT_EQ(Be16(back, kDirectory + 10 * e2 + 4), 0);
    EXPECT_EQ(Be16(back, kDirectory + 10 * e3 + 4), 0);
    // Zero length: the next block starts where the channel block does.
    EXPECT_EQ(Be16(back, kDirectory + 10 * e2 + 6), Be16(back, kDirectory + 10 * e5 + 6));
    EXPECT_EQ(Be16(back, kDirectory + 10 * e3 + 6), Be16(back, kDirectory + 10 * e6 + 6));
}

TEST(PackedMap, UnpackHonoursListedSizesAndCountsWithinTheSlots) {
    cmcEeprom img;
    img.Resize(kImageSize);
    img.Data()[38597 + 3] = 0xAA;  // kind 8 slot 0, beyond the copied length
    img.Data()[38597 + 4 * 5] = 0xBB;  // slot 5, beyond the listed count
    // Block 11 (4 x 9 in the work area) listed as 6-byte elements, 5 of them, at 0x2000;
    // block 18 (8 x 1) listed with 100 elements of 3 bytes.
    WriteDirectory(img, {{11, 6, 5, 0x2000}, {18, 3, 100, 0x3000}});
    for (int i = 0; i < 30; ++i) img.Data()[0x2000 + i] = uint8_t(i + 1);
    for (int i = 0; i < 3; ++i) img.Data()[0x3000 + i] = uint8_t(0x70 + i);
    cmcPackedMap::Unpack(img);
    for (int i = 0; i < 5; ++i) {
        // Element i is read from 0x2000 + 6 i: its first 4 bytes fill slot i.
        EXPECT_EQ(img.Data()[38597 + 4 * i], uint8_t(6 * i + 1)) << i;
        EXPECT_EQ(img.Data()[38597 + 4 * i + 3], uint8_t(6 * i + 4)) << i;
    }
    EXPECT_EQ(img.Data()[38597 + 4 * 5], 0xBB);
    EXPECT_EQ(img.Data()[kDataVersion], 0x70);
    EXPECT_EQ(img.Data()[kDataVersion + 3], 0x00);  // a single element, only 3 bytes long
    // The entry address counts from the base at 276.
    PutBe16(img, kPackedBase, 0x0100);
    cmcPackedMap::Unpack(img);
    EXPECT_EQ(img.Data()[38597], img.Data()[0x2000 - 0x100 + 376]);
}

TEST(PackedMap, UnpackFallbacks) {
    cmcEeprom img = RandomWorkArea(3, {20});
    ASSERT_FALSE(cmcPackedMap::Pack(img, kModelLmr, true));
    cmcEeprom back = EepromAreaOnly(img);
    std::memset(back.Data() + kWorkAreaStart, 0x5A, kImageSize - kWorkAreaStart);

    // A directory header other than 00 01 unpacks nothing.
    cmcEeprom bad(back);
    bad.Data()[kDirHeader + 1] = 0x02;
    cmcPackedMap::Unpack(bad);
    EXPECT_TRUE(bad.Equals([&] {
        cmcEeprom c(back);
        c.Data()[kDirHeader + 1] = 0x02;
        return c;
    }()));

    // A block missing from the directory keeps its table.
    cmcEeprom missing(back);
    const int entries = cmcPackedMap::CopyDirectory(missing);
    int e = cmcPackedMap::FindEntry(missing, entries, 13);
    ASSERT_GE(e, 0);
    const int dirAddress = Be16(missing, kDirHeader + 6);
    PutBe16(missing, dirAddress + 10 * e, 99);
    cmcPackedMap::Unpack(missing);
    EXPECT_EQ(missing.Data()[38633], 0x5A);
    EXPECT_EQ(std::memcmp(missing.Data() + kChannels, img.Data() + kChannels, 34 * 20), 0);
}

TEST(PackedMap, ElementsReachingPastTheEepromAreaAreNotCopied) {
    cmcEeprom img;
    img.Resize(kImageSize);
    std::memset(img.Data() + kWorkAreaStart, 0xEE, 512);  // bytes just past the EEPROM area
    std::memset(img.Data() + 0x7D00, 0x11, 0x80);
    // 34-byte channel elements from 0x7D3C: elements 0 and 1 end at or before 0x7D7F; element 2
    // would read 0x7D80 and beyond.
    WriteDirectory(img, {{2, 34, 5, 0x7D3C - 4}, {6, 96, 1, 0xFFF0}, {3, 12, 3, 100}});
    PutBe16(img, kPackedBase, 376 + 4);
    cmcEeprom before(img);
    cmcPackedMap::Unpack(img);
    EXPECT_EQ(img.Data()[kChannels], 0x11);
    EXPECT_EQ(img.Data()[kChannels + 34 + 33], 0x11);
    EXPECT_EQ(img.Data()[kChannels + 68], 0x00);  // slot 2 untouched
    EXPECT_EQ(img.Data()[kCommon], 0x00);         // block 6 would start past the area
    EXPECT_EQ(img.Data()[kExtensions], 0x00);     // block 3 would start below address 0
}

TEST(PackedMap, DamagedDirectoriesUnpackWithinTheImage) {
    // Random damage to the directory header, its entries and the base. Unpacking and expanding
    // never change the EEPROM area, never write outside the block tables and the directory copy,
    // and never copy from the work area: table slots start as 0xC3, the rest of the work area
    // holds 0xD4, and the EEPROM area holds neither.
    cmcEeprom good = RandomWorkArea(11, {30, 10});
    ASSERT_FALSE(cmcPackedMap::Pack(good, kModelKorvPmr, true));
    for (int a = 0; a <= kEepromAreaEnd; ++a)
        if (good.Data()[a] == 0xC3 || good.Data()[a] == 0xD4) good.Data()[a] = 0x00;
    std::vector<bool> table(kImageSize, false);
    for (int i = 0; i < cmcPackedMap::BlockCount(); ++i) {
        const cmcBlockDef& b = cmcPackedMap::Blocks()[i];
        if (b.home >= kWorkAreaStart)
            for (int k = 0; k < b.elemSize * b.capacity; ++k) table[b.home + k] = true;
    }
    for (int a = kWorkAreaStart; a < kImageSize; ++a) good.Data()[a] = table[a] ? 0xC3 : 0xD4;

    std::mt19937 rng(2024);
    const int dirAddress = Be16(good, kDirHeader + 6);
    for (int round = 0; round < 3000; ++round) {
        cmcEeprom img(good);
        uint8_t* w = img.Data();
        const int damage = 1 + int(rng() % 6);
        for (int d = 0; d < damage; ++d) {
            switch (rng() % 6) {
            case 0: PutBe16(img, kDirHeader + 2, int(rng() % 0x10000)); break;  // entry length
            case 1: PutBe16(img, kDirHeader + 4, int(rng() % 0x10000)); break;  // entry count
            case 2: PutBe16(img, kDirHeader + 6, int(rng() % 0x10000)); break;  // directory address
            case 3: PutBe16(img, kPackedBase, int(rng() % 0x10000)); break;     // base
            case 4: w[dirAddress + int(rng() % 300)] = uint8_t(rng()); break;   // entry bytes
            default:                                                            // entry fields
                PutBe16(img, dirAddress + 10 * int(rng() % 30) + 2 * int(rng() % 4), int(rng() % 0x10000));
                break;
            }
        }
        cmcEeprom before(img);
        if (round % 2 == 0)
            cmcPackedMap::Unpack(img);
        else
            cmcPackedMap::Expand(img);
        ASSERT_EQ(std::memcmp(img.Data(), before.Data(), kEepromAreaEnd + 1), 0) << round;
        for (int a = kWorkAreaStart; a < kDirectory; ++a) {
            if (!table[a])
                ASSERT_EQ(w[a], 0xD4) << "round " << round << " address " << a;
            else
                ASSERT_NE(w[a], 0xD4) << "round " << round << " address " << a;
        }
    }
}

TEST(PackedMap, ExpandTemplateFillsEverySlotFromTheFirstElement) {
    cmcEeprom built;
    indBuildInitialImage(kModelKorvPmr, built);
    // Give the first packed channel record and call list entry a recognisable content.
    cmcEeprom src(built);
    std::memcpy(src.Data() + kChannels + 20, "TEMPLATE", 8);
    src.Data()[kChannels + 3] = 0x42;
    std::memcpy(src.Data() + kChannels + 34 + 20, "SECOND  ", 8);
    datSetBankSize(src.Data(), 0, 2);
    std::memcpy(src.Data() + 38633 + 10, "SCAN-1  ", 8);  // scan list 1: element by element
    ASSERT_FALSE(cmcPackedMap::Pack(src, kModelKorvPmr, true));

    cmcEeprom initial = EepromAreaOnly(src);
    cmcPackedMap::Expand(initial);
    for (int n = 0; n < 64; ++n)
        ASSERT_EQ(std::memcmp(initial.Data() + kChannels + 34 * n, src.Data() + kChannels, 34), 0) << n;
    for (int n = 0; n < 64; ++n)
        ASSERT_EQ(std::memcmp(initial.Data() + kExtensions + 12 * n, src.Data() + kExtensions, 12), 0) << n;
    EXPECT_EQ(std::memcmp(initial.Data() + 38633, src.Data() + 38633, 110), 0);
    EXPECT_EQ(std::memcmp(initial.Data() + kCommon, src.Data() + kCommon, 96), 0);
    EXPECT_EQ(std::memcmp(initial.Data() + kKorvAddress, src.Data() + kKorvAddress, 14), 0);
    EXPECT_EQ(std::memcmp(initial.Data() + 35064 + 4 * 31, src.Data() + 35064, 4), 0);
}

TEST(PackedMap, CapacityRule) {
    struct Case {
        int zone1End, packedEnd, n;
        bool fits;
    };
    const Case cases[] = {
        {7552 - 340, 32128 - 460, 10, false},  // 340 < 340 fails
        {7552 - 341, 32128 - 460, 10, true},   // zone 2 needs 340 + 120 = 460
        {7552 - 341, 32128 - 459, 10, false},
        {7000, 32000, 0, true},
        {8000, 20000, 0, false},  // a zone-1 end past its limit leaves no room
    };
    cmcEeprom img;
    img.Resize(kImageSize);
    for (const auto& c : cases) {
        PutBe16(img, kZone1End, c.zone1End);
        PutBe16(img, kPackedEnd, c.packedEnd);
        EXPECT_EQ(cmcPackedMap::ChannelsFit(img, c.n), c.fits) << c.zone1End << " " << c.packedEnd << " " << c.n;
    }
    // Room: from 64 - total downwards.
    datSetBankSize(img.Data(), 0, 60);
    PutBe16(img, kZone1End, 3000);
    PutBe16(img, kPackedEnd, 10000);
    EXPECT_EQ(cmcPackedMap::ChannelRoom(img), 4);
    PutBe16(img, kZone1End, 7552 - 70);  // 2 x 34 = 68 < 70, 3 x 34 = 102 does not
    EXPECT_EQ(cmcPackedMap::ChannelRoom(img), 2);
    datSetBankSize(img.Data(), 1, 10);  // total above 64
    EXPECT_EQ(cmcPackedMap::ChannelRoom(img), 0);
}

// ---------------- normalisation ----------------

class Normalise : public ::testing::Test {
protected:
    // A working image: the packed initial image of the model type, unpacked again.
    void Start(int model) {
        model_ = model;
        initial_ = ExpandedInitial(model);
        image_ = initial_;
        ASSERT_FALSE(cmcPackedMap::Pack(image_, model, false));
    }
    void Run(int mode) { cmcPackedMap::Normalise(image_, initial_, model_, mode); }
    uint8_t* w() { return image_.Data(); }
    // Puts channel n in use with a frequency.
    void UseChannel(int n, uint32_t hz, bool inhibit = false) {
        datCh ch(w());
        ch.Load(datChannelKind(model_), n);
        ch.rxFreq = ch.txFreq = hz;
        ch.inUse = true;
        ch.inhibit = inhibit;
        ch.Store();
    }

    int model_ = 0;
    cmcEeprom initial_, image_;
};

TEST_F(Normalise, BankSizesBeyondSixtyFourChannelsBecomeEmpty) {
    Start(kModelPmr);
    struct Case {
        std::vector<int> in, out;
    };
    const Case cases[] = {
        {{40, 30, 0, 0, 0}, {40, 0, 0, 0, 0}},
        {{40, 30, 20, 0, 0}, {40, 0, 20, 0, 0}},
        {{65, 4, 4, 0, 0}, {0, 4, 4, 0, 0}},
        {{4, 4, 0, 0, 0}, {4, 4, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        for (int b = 0; b < 5; ++b) datSetBankSize(w(), b, c.in[b]);
        Run(1);
        for (int b = 0; b < 5; ++b) EXPECT_EQ(datBankSize(w(), b), c.out[b]) << b;
    }
}

TEST_F(Normalise, ChannelsInUseKeepUnderstoodFieldsAndUnusedOnesGetTheInitialRecord) {
    for (int model = 0; model < kModelTypeCount; ++model) {
        SCOPED_TRACE(model);
        Start(model);
        const int kind = datChannelKind(model);
        // Channel 3 in use, with a name, kept bits set and a receive code number.
        UseChannel(3, 446006250);
        datCh ch(w());
        ch.Load(kind, 3);
        std::memcpy(ch.text, "CH-3    ", 8);
        ch.rxCodeNo = 5;
        ch.scrambleCode = 77;
        ch.Store();
        uint8_t* rec3 = w() + kChannels + 34 * 3;
        uint8_t* ext3 = w() + kExtensions + 12 * 3;
        rec3[29] = 0x99;  // kept byte
        rec3[28] |= 0x80;
        ext3[4] = 0x44;   // kept byte
        // Channel 5 not in use, with garbage.
        std::memset(w() + kChannels + 34 * 5 + 20, 'X', 8);
        w()[kExtensions + 12 * 5 + 5] = 0x33;

        Run(0 + 1);
        ch.Load(kind, 3);
        EXPECT_TRUE(ch.inUse);
        EXPECT_EQ(ch.rxFreq, 446006250u);
        EXPECT_EQ(std::memcmp(ch.text, "CH-3    ", 8), 0);
        EXPECT_EQ(ch.scrambleCode, 77);
        EXPECT_EQ(rec3[29], initial_.Data()[kChannels + 34 * 3 + 29]);
        EXPECT_EQ(rec3[28] & 0x80, initial_.Data()[kChannels + 34 * 3 + 28] & 0x80);
        EXPECT_EQ(ext3[4], initial_.Data()[kExtensions + 12 * 3 + 4]);
        const bool lmrForm = model == kModelLmr || model == kModelDPmr446;
        if (lmrForm) {
            // A receive code number sets extension byte 1 bit 0 and byte 2 bits 3 and 2.
            EXPECT_EQ(ext3[1] & 0x01, 0x01);
            EXPECT_EQ(ext3[2] & 0x0C, 0x0C);
        }
        EXPECT_EQ(std::memcmp(w() + kChannels + 34 * 5, initial_.Data() + kChannels + 34 * 5, 34), 0);
        EXPECT_EQ(std::memcmp(w() + kExtensions + 12 * 5, initial_.Data() + kExtensions + 12 * 5, 12), 0);
    }
}

TEST_F(Normalise, MskBitsFollowTheSignallingFlag) {
    Start(kModelKorvPmr);
    UseChannel(0, 446100000);
    UseChannel(1, 446100000);
    uint8_t* e0 = w() + kExtensions;
    uint8_t* e1 = w() + kExtensions + 12;
    e0[3] = 0x04;         // no-repeater without MSK signalling
    e1[3] = 0x08 | 0x04;  // MSK signalling
    e1[10] = 0x01;
    Run(1);
    EXPECT_EQ(e0[3] & 0x04, 0);
    EXPECT_EQ(e1[3] & 0x0C, 0x0C);
    EXPECT_EQ(e1[10], 0x81);

    Start(kModelPmr);
    UseChannel(0, 446100000);
    w()[kExtensions + 3] = 0x0F;
    Run(1);
    // Bit 3 cleared; the MSK bits 1 and 2 are not encoded for PMR and return to the initial image's.
    EXPECT_EQ(w()[kExtensions + 3], 0x01);
}

TEST_F(Normalise, DerivedIndexesAndFlags) {
    Start(kModelLmr);
    datSetBankSize(w(), 0, 4);
    datSetBankSize(w(), 1, 6);
    UseChannel(1, 150000000, true);  // inhibited
    UseChannel(2, 150100000);
    UseChannel(6, 150200000, true);
    UseChannel(8, 150300000);
    Run(1);
    EXPECT_EQ(w()[kFirstChannel], 2);
    EXPECT_EQ(w()[kBankFirstPos + 0], 2 - 0);
    EXPECT_EQ(w()[kBankFirstPos + 1], 8 - 4);
    EXPECT_EQ(w()[kBankFirstPos + 2], 0);
    w()[kFlags328] |= 0x04;  // any channel in use counts
    Run(1);
    EXPECT_EQ(w()[kFirstChannel], 1);

    // No channel in use: the initial image's value.
    Start(kModelLmr);
    w()[kFirstChannel] = 0x33;
    Run(1);
    EXPECT_EQ(w()[kFirstChannel], initial_.Data()[kFirstChannel]);

    // Scan list and DTMF indexes.
    w()[38633 + 10 * 4 + 8] = 0x10;  // bit 4 alone does not count
    w()[38633 + 10 * 6 + 8] = 0x01;
    w()[38743 + 21 * 3 + 20] = 5;
    Run(1);
    EXPECT_EQ(w()[kFirstScanList], 6);
    EXPECT_EQ(w()[kFirstDtmf], 3);
}

TEST_F(Normalise, KeyDerivedFlagsCommentsAndDataVersion) {
    Start(kModelPmr);
    std::memcpy(w() + kKeys, "0I  x   ", 8);
    w()[38348] = 0x01;  // the scrambler key counts for group 1
    w()[38307] = 0xF0;
    std::memcpy(w() + kCloneComment1, "AB\x01\x7F" "CD            ", 16);
    w()[kDataVersion] = 7;
    w()[kDataVersion + 1] = 0x55;
    std::memcpy(w() + kOpeningText, "        ", 8);
    Run(1);
    EXPECT_EQ(w()[38303] & 0x01, 0x01);       // a space key
    EXPECT_EQ(w()[38348] & 0x04, 0x04);       // a scrambler key
    EXPECT_EQ(w()[38307], 0x02 | 0x04 | 0x20 | 0x40 | 0x10);  // groups 0 and 1; 0x80 dropped
    EXPECT_EQ(std::memcmp(w() + kCloneComment1, "AB  CD          ", 16), 0);
    EXPECT_EQ(w()[kDataVersion], 1);
    EXPECT_EQ(w()[kDataVersion + 1], initial_.Data()[kDataVersion + 1]);
    EXPECT_EQ(w()[38305] & 0x20, 0x20);       // blank opening text

    std::memcpy(w() + kKeys, "AAAAAAAA", 8);
    std::memcpy(w() + kOpeningText, "HELLO   ", 8);
    Run(1);
    EXPECT_EQ(w()[38303] & 0x01, 0);
    EXPECT_EQ(w()[38348] & 0x04, 0);
    EXPECT_EQ(w()[38307] & 0xEE, 0);
    EXPECT_EQ(w()[38305] & 0x20, 0);
}

TEST_F(Normalise, FixedFieldsAndFlagsComeFromTheInitialImage) {
    Start(kModelDPmr446);
    cmcEeprom before(image_);
    for (int a : {0, 1, 2, 3, 8, 9, 10, 256, 263, 264, 266, 267, 320, 322, 325, 326, 38359, 38360, 38337})
        w()[a] ^= 0xFF;
    w()[kFlags328] ^= 0xF8;
    w()[38301] ^= 0x3F;
    Run(1);
    for (int a : {0, 1, 2, 3, 8, 9, 10, 256, 263, 264, 266, 267, 320, 322, 325, 326, 38359, 38360, 38337})
        EXPECT_EQ(w()[a], initial_.Data()[a]) << a;
    EXPECT_EQ(w()[kFlags328] & 0xF8, initial_.Data()[kFlags328] & 0xF8);
    EXPECT_EQ(w()[38301] & 0x3F, initial_.Data()[38301] & 0x3F);
}

TEST_F(Normalise, LmrTwoToneWindowsAreRecomputed) {
    Start(kModelLmr);
    PutBe16(image_, 34932 + 4 * 3, 10000);
    PutBe16(image_, 34932 + 4 * 3 + 2, 12345);
    Run(1);
    EXPECT_EQ(Be16(image_, 38421 + 8 * 3), 9800);
    EXPECT_EQ(Be16(image_, 38421 + 8 * 3 + 2), 10200);
    EXPECT_EQ(Be16(image_, 38421 + 8 * 3 + 4), 12098);  // 12098.1
    EXPECT_EQ(Be16(image_, 38421 + 8 * 3 + 6), 12592);  // 12591.9
}

TEST_F(Normalise, IsStableAndModesPackAsAsked) {
    for (int model = 0; model < kModelTypeCount; ++model) {
        SCOPED_TRACE(model);
        Start(model);
        UseChannel(0, 446006250);
        UseChannel(7, 446093750);
        Run(0);
        cmcEeprom once(image_);
        Run(0);
        EXPECT_TRUE(image_.Equals(once));
        Run(2);
        uint8_t sum = 0;
        for (int a = 376; a <= 439; ++a) sum = uint8_t(sum + w()[a]);
        EXPECT_EQ(sum, 0);
        EXPECT_NE(w()[376], 0);
        Run(1);
        EXPECT_EQ(w()[376], 0);
    }
}
