// A whole number written with digits alone (no sign, spaces, other bases or text after it),
// range-checked while it is read, so that 4294967297 never wraps to 1 and "3x" never reads as 3.
// Used for every number of a command line and of a channel plan.
#pragma once

#include <string_view>

namespace qx {

// The value of `text` when it is digits only and lies in [lo, hi] (lo >= 0).
inline bool ReadWholeNumber(std::string_view text, long long lo, long long hi, long long* out) {
    if (text.empty()) return false;
    long long v = 0;
    for (char ch : text) {
        if (ch < '0' || ch > '9') return false;
        v = v * 10 + (ch - '0');
        if (v > hi) return false;
    }
    if (v < lo) return false;
    *out = v;
    return true;
}

}  // namespace qx
