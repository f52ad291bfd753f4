// The number filter: reduces typed text to the characters an editor accepts before it is parsed.
#pragma once

#include <string>
#include <string_view>

namespace qx {

// Character sets that the editors add to the digits.
inline constexpr const char* kFilterTimer = ".";
inline constexpr const char* kFilterDecimal = ".-";
inline constexpr const char* kFilterMinSec = ":";
inline constexpr const char* kFilterOffWord = "ofOF";
inline constexpr const char* kFilterHex = "abcdefABCDEF";
inline constexpr const char* kFilterDtmf = "abcdefABCDEF*#";

// The longest filtered number: a longer text is cut to this many characters.
inline constexpr size_t kNumberFilterKeep = 9;

// Keeps the digits and the characters of `extra`, in their order, and removes every other
// character. A result longer than 8 characters is cut to its first 9 characters.
std::string NumberFilter(std::string_view text, std::string_view extra);

// The same without the cut, for codes whose length the editor limits itself (DTMF codes of up to
// 24 digits, frequencies whose every typed digit counts for the raster check).
std::string CharFilter(std::string_view text, std::string_view extra);

}  // namespace qx
