#include "image/cmcPackedBcd.h"

#include <cstring>

namespace qx {

int cmcPackedBcd::Nibble(const uint8_t* src, int i) {
    uint8_t b = src[i / 2];
    return (i % 2 == 0) ? (b >> 4) : (b & 0x0F);
}

void cmcPackedBcd::SetNibble(uint8_t* dest, int i, int value) {
    uint8_t& b = dest[i / 2];
    if (i % 2 == 0)
        b = static_cast<uint8_t>((b & 0x0F) | ((value & 0x0F) << 4));
    else
        b = static_cast<uint8_t>((b & 0xF0) | (value & 0x0F));
}

uint16_t cmcPackedBcd::Decode4(const uint8_t* src) {
    int value = 0;
    for (int i = 0; i < 4; ++i) {
        int d = Nibble(src, i);
        if (d > 9) return kNone;
        value = value * 10 + d;
    }
    return static_cast<uint16_t>(value);
}

void cmcPackedBcd::Encode4(int value, uint8_t* dest, int length) {
    if (length <= 0) return;
    std::memset(dest, 0xFF, static_cast<size_t>(length));
    if (length < 2 || value < 0 || value > 9999) return;
    int divisor = 1000;
    for (int i = 0; i < 4; ++i) {
        SetNibble(dest, i, (value / divisor) % 10);
        divisor /= 10;
    }
}

void cmcPackedBcd::StoreDigits(const std::string& digits, uint8_t* dest, int maxDigits) {
    int n = static_cast<int>(digits.size());
    if (n > maxDigits) n = maxDigits;
    for (int i = 0; i < n; ++i) {
        char c = digits[static_cast<size_t>(i)];
        SetNibble(dest, i, (c >= '0' && c <= '9') ? c - '0' : 0x0F);
    }
}

}  // namespace qx
