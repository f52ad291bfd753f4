// The EEPROM image: sizing, block copies with their all-or-nothing guard, comparison, and the fatal
// errors of byte access outside the image.
#include "image/cmcEeprom.h"
#include "support/cmcTestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

using namespace qx;

namespace {
cmcEeprom Patterned(int size) {
    cmcEeprom e;
    e.Resize(size);
    for (int i = 0; i < size; ++i) e.SetByte(i, static_cast<uint8_t>(i * 7 + 1));
    return e;
}
}  // namespace

TEST(Eeprom, ResizeZeroFillsEvenAtTheSameSizeAndEmptiesAtZeroOrBelow) {
    cmcEeprom e = Patterned(kImageSize);
    e.Resize(kImageSize);
    ASSERT_EQ(e.GetSize(), kImageSize);
    for (int a : {0, 1, kEepromAreaEnd, kImageSize - 1}) EXPECT_EQ(e.GetByte(a), 0) << a;

    for (int size : {0, -5}) {
        cmcEeprom x = Patterned(8);
        x.Resize(size);
        EXPECT_EQ(x.GetSize(), 0);
        EXPECT_EQ(x.Data(), nullptr);
        EXPECT_FALSE(x.IsValidAddress(0));
        EXPECT_TRUE(x.Equals(cmcEeprom()));
        x.Fill(0xAA);  // nothing to fill
    }
}

TEST(Eeprom, AssignCopiesAcrossSizesAndCopiesAreIndependent) {
    cmcEeprom a = Patterned(100);
    cmcEeprom b = Patterned(3);
    b.Assign(a);
    EXPECT_EQ(b.GetSize(), 100);
    EXPECT_TRUE(b.Equals(a));
    b.SetByte(50, 0);
    EXPECT_NE(a.GetByte(50), 0);
    EXPECT_TRUE(a.Differs(b));

    // Assigning an image to itself keeps its bytes.
    cmcEeprom c = Patterned(16);
    c.Assign(c);
    EXPECT_TRUE(c.Equals(Patterned(16)));

    cmcEeprom empty;
    b.Assign(empty);
    EXPECT_EQ(b.GetSize(), 0);
}

TEST(Eeprom, EqualsNeedsTheSameSize) {
    cmcEeprom shorter = Patterned(10);
    cmcEeprom longer = Patterned(11);  // the shorter one is its prefix
    EXPECT_FALSE(shorter.Equals(longer));
    EXPECT_FALSE(longer.Equals(shorter));
    EXPECT_TRUE(cmcEeprom().Equals(cmcEeprom()));
    cmcEeprom fill;
    fill.Resize(10);
    fill.Fill(0x5A);
    EXPECT_EQ(fill.GetByte(9), 0x5A);
}

TEST(Eeprom, BlockCopiesAreWholeOrNothing) {
    struct Case {
        int address;
        int length;
        bool copies;
    };
    const Case cases[] = {
        {0, 16, true},       {15, 1, true},      {3, 5, true},        // inside, ending at the last byte
        {15, 2, false},      {16, 1, false},     {-1, 2, false},      // one past the end, before the start
        {0, 0, false},       {0, -1, false},     {0, 17, false},      // empty, negative, too long
        {1, INT_MAX, false}, {INT_MAX, 1, false}, {INT_MIN, 1, false},  // no overflow in the guard
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "address " << c.address << " length " << c.length);
        std::vector<uint8_t> src(64, 0xEE);
        cmcEeprom e = Patterned(16);
        const cmcEeprom before = e;
        e.Write(c.address, src.data(), c.length);
        if (c.copies) {
            for (int i = 0; i < 16; ++i)
                EXPECT_EQ(e.GetByte(i), (i >= c.address && i < c.address + c.length) ? 0xEE : before.GetByte(i));
        } else {
            EXPECT_TRUE(e.Equals(before));
        }

        std::vector<uint8_t> dest(64, 0x11);
        before.Read(c.address, dest.data(), c.length);
        for (int i = 0; i < 64; ++i) {
            const bool copied = c.copies && i < c.length;
            EXPECT_EQ(dest[i], copied ? before.GetByte(c.address + i) : 0x11) << i;
        }
    }
}

TEST(Eeprom, ByteAccessOutsideTheImageIsFatalAndTouchesNothing) {
    cmcEeprom e = Patterned(kImageSize);
    const cmcEeprom before = e;
    EXPECT_FALSE(e.IsValidAddress(kImageSize));
    EXPECT_FALSE(e.IsValidAddress(-1));
    EXPECT_TRUE(e.IsValidAddress(kImageSize - 1));
    for (int address : {kImageSize, -1, INT_MAX, INT_MIN}) {
        test::Messages().Clear();
        EXPECT_FATAL(e.GetByte(address), "Out of EEPROM image address (GetByte).", kExitInternalFault);
        EXPECT_FATAL(e.SetByte(address, 0x42), "Out of EEPROM image address (SetByte).", kExitInternalFault);
        ASSERT_EQ(test::Messages().messages().size(), 2u);
        EXPECT_EQ(test::Messages().messages()[0].caption, "eeprom_test");
        EXPECT_EQ(test::Messages().messages()[0].icon, cmcMsgIcon::Error);
    }
    EXPECT_TRUE(e.Equals(before));
    cmcEeprom empty;
    EXPECT_FATAL(empty.GetByte(0), "(GetByte)", kExitInternalFault);
}
