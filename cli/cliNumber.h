// Numbers on the command line. Every option, cell index and item number that takes a number is
// read whole - digits only: no sign, spaces, other bases or text after it - and range-checked
// before it is narrowed, so that 4294967297 never becomes 1 and "3x" never becomes 3. A wrong
// number makes a wrong command line (exit status 64).
#pragma once

#include "common/cmcWholeNumber.h"

#include <cctype>
#include <climits>
#include <string>
#include <string_view>

namespace qx::cli {

// The value of `text` when it is digits only and lies in [lo, hi] (lo >= 0).
inline bool ReadCliNumber(std::string_view text, long long lo, long long hi, long long* out) {
    return ReadWholeNumber(text, lo, hi, out);
}

inline bool ReadCliNumber(std::string_view text, int lo, int hi, int* out) {
    long long v = 0;
    if (!ReadCliNumber(text, static_cast<long long>(lo), static_cast<long long>(hi), &v)) return false;
    *out = static_cast<int>(v);
    return true;
}

// The largest cell index a command line may name: no list of the image has more entries.
inline constexpr int kMaxCliCellIndex = 65535;

// Checks the indexes of a cell argument ("%CT_Mch.CL_Mch_FreqR[3]", or a description holding such
// identities): each "[n]" after an identity is a whole number from 0 to kMaxCliCellIndex (or a
// counter reference "@chD" of a description). False with the reason otherwise.
inline bool CheckCellIndexes(const std::string& cell, std::string* why) {
    size_t at = 0;
    while ((at = cell.find('%', at)) != std::string::npos) {
        size_t i = at + 1;
        while (i < cell.size() && (std::isalnum(static_cast<unsigned char>(cell[i])) || cell[i] == '_' || cell[i] == '.'))
            ++i;
        at = i;
        if (i >= cell.size() || cell[i] != '[') continue;
        const size_t close = cell.find(']', i + 1);
        const std::string index = cell.substr(i + 1, close == std::string::npos ? std::string::npos : close - i - 1);
        int n = 0;
        if (close == std::string::npos || (index.rfind("@ch", 0) != 0 && !ReadCliNumber(index, 0, kMaxCliCellIndex, &n))) {
            *why = "the cell index '" + index + "' in '" + cell + "' is not a number from 0 to " +
                   std::to_string(kMaxCliCellIndex);
            return false;
        }
    }
    return true;
}

// Checks the item numbers of a typed text "@pick:N" or "@pick:N,M,...": each a whole number that
// an int holds. Any other text passes. False with the reason otherwise.
inline bool CheckPickNumbers(const std::string& text, std::string* why) {
    if (text.rfind("@pick:", 0) != 0) return true;
    size_t at = 6;
    for (;;) {
        const size_t comma = text.find(',', at);
        const std::string part = text.substr(at, comma == std::string::npos ? std::string::npos : comma - at);
        int n = 0;
        if (!ReadCliNumber(part, 0, INT_MAX, &n)) {
            *why = "'" + part + "' in '" + text + "' is not an item number (0 or more)";
            return false;
        }
        if (comma == std::string::npos) return true;
        at = comma + 1;
    }
}

// Checks a sheet parameter that names a bank ("Bank 0" to "Bank 4": the channel sheets' banks
// from 0); a sheet would show bank 0 for any other number. Other parameters pass.
inline bool CheckSheetParameter(const std::string& parameter, std::string* why) {
    if (parameter != "Bank" && parameter.rfind("Bank ", 0) != 0) return true;
    int bank = 0;
    if (parameter.size() > 5 && ReadCliNumber(std::string_view(parameter).substr(5), 0, 4, &bank)) return true;
    *why = "the parameter '" + parameter + "' names no bank: Bank 0 to Bank 4";
    return false;
}

}  // namespace qx::cli
