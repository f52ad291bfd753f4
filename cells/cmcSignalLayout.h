// Where the signalling cells find their values: image offsets of the tone, MSK and digital
// settings, and the places of the flags inside the decoded records (datCh opt[] bytes) of the
// 2-tone, 5-tone, user tone, MSK and digital status records. Shared by the cells that have rules
// of their own and the field-cell rows of the same sheets.
#pragma once

#include "image/datCh.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace qx {

namespace tone {

// 2-tone codes (kind 12): the two tones and their decode windows in datCh::value[].
inline constexpr int kTwoToneFreq = 4;       // value[4] first tone, value[5] second (Hz x 10)
inline constexpr int kTwoToneTxTypeByte = 0x9807;  // + 10 x transmit row: low nibble 15 = single tone
inline constexpr int kTwoToneTxStride = 10;

// 2-tone code record flags (bytes 13-16 of the block-17 record in opt[0..3], the block-16 byte 8
// in opt[6]; the periods in opt[4], opt[5]).
//   opt[0]: bit 0 group call, bits 1-3 bell, bit 4 answer back, bit 5 external output, bits 6-7 beep
//   opt[1]: bit 0 auto transmit, bits 1-2 stun, bits 3-4 scan, bit 5 special function
//   opt[6]: bit 7 code type
// 5-tone receive code flags (opt[0..3] = bytes 13-16):
//   opt[0]: bit 0 ID decode, bits 1-3 bell, bit 4 emergency cancel, bit 5 external output, bits 6-7 beep
//   opt[1]: the ABC code
//   opt[2]: bit 0 auto transmit, bits 1-2 audio, bits 3-4 stun, bits 5-6 scan
//   opt[3]: bit 0 special function
// 5-tone transmit code flags (opt[0..1] = bytes 8-9 of the block-16 record):
//   opt[0]: bits 7..1 input digits 1..7
//   opt[1]: bit 0 update, bit 1 ABC decode, bit 2 ABC audio, bit 3 select (bit 5 is the blank-name
//   flag the codec keeps)
inline constexpr int kRxAbcOpt = 1;
inline constexpr int kTxInputDigitOpt = 0;

// Special tones (low nibble) and the group tone that 5-tone codes show as "*".
inline constexpr int kGroupToneByte = 0x959A;
inline constexpr int kRepeatToneByte = 0x959B;
inline constexpr int kLink2ToneByte = 0x959C;

// User tones (kind 11): value[] fields, and the tone period table (rows 0-8 and row 15).
inline constexpr int kUserEncode = 0;
inline constexpr int kUserDecodeLow = 1;
inline constexpr int kUserDecodeHigh = 2;
inline constexpr int kUserPeriodBase = 0x9677;
inline constexpr int kUserPeriodRow15 = 0x9692;
inline constexpr int kUserNotoneBase = 0x9680;
inline constexpr int kUserNotoneRow15 = 0x9693;
inline constexpr int kUserLengthBase = 0x9689;

inline uint16_t Scaled(int raw, double factor) {
    return static_cast<uint16_t>(std::clamp<long>(std::lround(raw * factor), 0, 0xFFFF));
}

// A new tone of a 2-tone code also sets its decode window: 0.98 and 1.02 times the tone.
inline void SetTwoToneFrequency(datCh& rec, int toneIndex, int raw) {
    rec.value[kTwoToneFreq + toneIndex] = static_cast<uint16_t>(raw);
    rec.value[2 * toneIndex] = Scaled(raw, 0.98);
    rec.value[2 * toneIndex + 1] = Scaled(raw, 1.02);
}

// A new encode frequency sets the decode window to 0.97 .. 1.03 times it, within 400.0..3000.0 Hz.
inline void SetUserToneEncode(datCh& rec, int raw) {
    rec.value[kUserEncode] = static_cast<uint16_t>(raw);
    rec.value[kUserDecodeLow] = std::max<uint16_t>(Scaled(raw, 0.97), 4000);
    rec.value[kUserDecodeHigh] = std::min<uint16_t>(Scaled(raw, 1.03), 30000);
}

}  // namespace tone

namespace msk {

// Digital PMR signalling settings in the work area.
inline constexpr int kCommonAddress = 0x9AA1;   // 16-bit
inline constexpr int kKillerAddress = 0x9AA3;   // 16-bit
inline constexpr int kStatusFixBaseId = 0x9C05; // 16-bit
inline constexpr int kGpsFixBaseId = 0x9C07;    // 16-bit
inline constexpr int kAddressMax = 4095;

// Which limit pair of the address record (datKorvAdr::limits) each address is checked against:
// the killer address against pair 3 (4095 only), ID group n against pair 6 + n (group 0, the
// radio's own individual ID: 0 .. G - 1; groups 1-7: G .. 4095).
inline constexpr int kKillerLimit = 3;
inline constexpr int kIdGroupLimitBase = 6;

// ID group flags (opt[0] = byte 12, opt[1] = byte 13; bits 3-7 are kept by normalisation):
//   opt[0]: bits 0-1 alert, bit 2 special function; opt[1]: bits 0-2 bell
// Call list flags (opt[0] = byte 8, opt[1] = byte 9): opt[0] bits 7..4 digits 1..4;
//   opt[1]: bit 0 update, bit 1 select
// Status message flags (opt[0..3] = bytes 8-11 of the receive part):
//   opt[0]: bits 0-1 beep, bit 2 horn, bit 3 auto, bit 4 special function, bit 5 selection
//   opt[1]: bits 0-1 priority
// Short text: opt[0] bit 0 selection.
inline constexpr int kStatusFixedRow = 23;  // the radio's own entry: shown, never edited
inline constexpr uint32_t kFixedRowColour = 0x00008080;  // RGB 128,128,0

}  // namespace msk

namespace dig {

// dPMR446 digital settings.
inline constexpr int kProgMesFirst = 0xA379;  // 13 texts of 8 characters
// Digital status message flags (opt[0] = byte 16 of the receive part): bits 0-1 beep, bit 2 selection.

}  // namespace dig

}  // namespace qx
