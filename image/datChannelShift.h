// Channels joining and leaving a bank: the channel table shifts by one record so that a bank grows
// or shrinks at a position, as the channel list operations ask (insert, delete) through the events
// EVC_ChannelJoinsBank and EVC_ChannelLeavesBank.
//
// Every per-channel datum moves with its channel: the channel record, its extension, its scan list
// bits and its designations (the designated channel numbers follow the channel they name). Each
// slot keeps its own bank's flag. The freed slot receives the blank channel record of the initial
// image.
//
//     if (datChannelJoinsBank(working, initial, modelType, bank, pos)) ... // bank grew at pos
#pragma once

#include "image/cmcEeprom.h"

namespace qx {

// Channel `pos` joins bank `bank`: records pos..62 move one place towards the end (record 63 is
// pushed out), slot pos becomes blank and the bank's count grows by one. False, with nothing
// changed, for a bank outside 0..4, a position outside 0..63, a table already holding 64 channels,
// or images smaller than the memory map.
bool datChannelJoinsBank(cmcEeprom& working, const cmcEeprom& initial, int modelType, int bank, int pos);

// Channel `pos` leaves bank `bank`: records pos+1..63 move one place towards the start, slot 63
// becomes blank and the bank's count shrinks by one. False, with nothing changed, for a bank
// outside 0..4, a position outside 0..63, an empty bank, or images smaller than the memory map.
bool datChannelLeavesBank(cmcEeprom& working, const cmcEeprom& initial, int modelType, int bank, int pos);

}  // namespace qx
