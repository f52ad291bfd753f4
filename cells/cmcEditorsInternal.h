// What the editor files share and nobody else needs.
#pragma once

#include "cells/cmcCellEnv.h"
#include "cells/cmcEditors.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qx::editors {

// The tone lists of an environment, read from its definition store.
const cmcToneItems& TonesOf(const cmcCellEnv& env);
// The position of a DTCS code in the DTCS list, or -1.
int DtcsPosition(const cmcToneItems& tones, int code);

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
