// The clone file checks of this radio family: the header check, the map revision check, the range
// lists of the EEPROM area, and the set-up of a clone file reader that reads a file exactly as the
// initial file is read.
#pragma once

#include "image/cmcEeprom.h"
#include "image/cmcQcfFile.h"

#include <vector>

namespace qx {

inline constexpr int kQcfHeaderModel = 0x6153;     // model value of the clone file header
inline constexpr int kQcfHeaderExtra = 0x0000;     // extra value of the clone file header
inline constexpr int kQcfHeaderExtraAlt = 0x0100;  // the other extra value accepted
inline constexpr int kQcfMapRevision = 6;          // the only map revision accepted

// Accepts model value 0x6153 with extra value 0x0000 or 0x0100. Otherwise writes error 3 (model)
// or 4 (extra) and returns false.
bool indCheckHeader(int model, int extra, int& errorCode);
// Accepts exactly map revision 6.
bool indCheckMapRevision(int mapRevision);

// The range list of the whole EEPROM area: ((0, 0x7D7F), (1, 0)).
const cmcRange* indEepromAreaRanges();
// The address ranges a whole image covers, by kind, terminated: kind 0 is 0x0100-0x7D7F (what a
// clone write sends), every other kind 0x0000-0x7D7F (what a clone file holds).
std::vector<cmcRange> indRangeList(int kind);

// Attaches `image` and installs the expected header values, the header check and the map revision
// check, so that file.Load(path, indEepromAreaRanges()) reads a clone file as the initial file is read.
void indPrepareCloneFileReader(cmcQcfFile& file, cmcEeprom& image);

}  // namespace qx
