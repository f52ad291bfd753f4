// Packed decimal helpers: decimal digits stored one per 4-bit nibble, high nibble first.
// Used for the call list addresses of the digital PMR signalling and for password digits.
#pragma once

#include <cstdint>
#include <string>

namespace qx {

class cmcPackedBcd {
public:
    // The value of 4 decimal digits in 2 bytes (high nibble first), or kNone when any nibble
    // is above 9.
    static uint16_t Decode4(const uint8_t* src);
    // Fills `length` bytes with 0xFF, then writes `value` as 4 decimal digits into the first two
    // bytes. A value outside 0-9999 (kNone among them) leaves the whole buffer 0xFF. Buffers
    // shorter than 2 bytes get only the fill.
    static void Encode4(int value, uint8_t* dest, int length);
    // Stores the digits of `digits` into nibbles 0, 1, ... (digit i into nibble i, high nibble
    // first), at most `maxDigits` of them. '0'-'9' give 0-9; any other character gives 0xF.
    // Nibbles beyond the string are left as they are.
    static void StoreDigits(const std::string& digits, uint8_t* dest, int maxDigits);
    // Nibble i of a nibble string (high nibble of byte i / 2 for even i).
    static int Nibble(const uint8_t* src, int i);
    static void SetNibble(uint8_t* dest, int i, int value);

    static constexpr uint16_t kNone = 0xFFFF;
};

}  // namespace qx
