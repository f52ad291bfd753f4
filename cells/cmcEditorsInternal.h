// What the editor files share and nobody else needs.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qx::editors {

// The texts of the tone item lists of the main store ("GI_AppItem_Ctcss", "GI_AppItem_Dtcs"),
// read once per store and list cache, and the DTCS codes of the DTCS list (-1 for a line that is
// not three octal digits).
struct ToneItems {
    std::vector<std::string> ctcss;
    std::vector<std::string> dtcs;
    std::vector<int> dtcsCodes;
};
const ToneItems& Tones();
// The position of a DTCS code in the DTCS list, or -1.
int DtcsPosition(int code);

// Reads a number from the start of `text` (after the number filter); false when there is none.
bool ReadNumber(const std::string& text, double* value);

// Text without leading and trailing blanks.
std::string Trim(std::string_view text);
std::string TrimLeft(std::string_view text);

bool IsDigit(char c);
bool IsHexDigit(char c);
int HexValue(char c);  // -1 for a character that is not a hexadecimal digit
char Upper(char c);

// Digit k of digits packed two to a byte, the first of a byte in its high half.
int Nibble(const uint8_t* bytes, int k);
void SetNibble(uint8_t* bytes, int k, int v);  // stores v & 15

}  // namespace qx::editors
