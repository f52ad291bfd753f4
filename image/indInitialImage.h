// The factory-blank image of each model type: the content of the initial clone files. The
// generator tool (qx-p2210-initfiles) writes them with the clone file writer; the tests rebuild
// them to check that the shipped files match.
#pragma once

#include "image/cmcEeprom.h"

#include <string>

namespace qx {

// Fills `image` (resized to the image size) with the blank radio of the model type: fixed fields,
// model flags, one bank of 64 channel positions, no channel in use, every table at a valid
// default, packed with the parameter block. Addresses above the packed area stay 0.
void indBuildInitialImage(int modelType, cmcEeprom& image);

// The initial clone file of the model type, as the clone file writer formats it (header 61530000,
// "#MapRev=6", the EEPROM area 0x0000-0x7D7F). Empty when formatting fails.
std::string indInitialFileText(int modelType);

}  // namespace qx
