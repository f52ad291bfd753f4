// Fixed addresses of this radio family's image: the fields of the EEPROM area that the program
// maintains and the tables of the work area that the cells and the channel codec address directly.
#pragma once

namespace qx {

// Model types: one memory map serves four radio variants.
inline constexpr int kModelLmr = 0;       // analogue land-mobile
inline constexpr int kModelPmr = 1;       // analogue PMR
inline constexpr int kModelKorvPmr = 2;   // digital PMR of the maker's own system
inline constexpr int kModelDPmr446 = 3;   // dPMR446
inline constexpr int kModelTypeCount = 4;

}  // namespace qx

namespace qx::map {

// --- EEPROM area ---
inline constexpr int kModelId = 0;              // 2 bytes: 0x6152
inline constexpr int kModelIdValue = 0x6152;
inline constexpr int kModelIdByte2 = 2;         // 1
inline constexpr int kSignature = 256;          // 8 bytes: the maker signature
inline constexpr int kMapRevision = 264;        // 6
inline constexpr int kMapRevisionValue = 6;
inline constexpr int kModelCode = 266;          // 2 bytes: 0x6153
inline constexpr int kModelCodeValue = 0x6153;
inline constexpr int kZone1End = 272;           // 2 bytes: first address after the last zone-1 block
inline constexpr int kPackedEnd = 274;          // 2 bytes: first address after the trailing signature
inline constexpr int kPackedBase = 276;         // 2 bytes: base address of the packed area, 0x0178
inline constexpr int kDirHeader = 288;          // 0x00 0x01, entry length, entry count, directory address
inline constexpr int kBlock21Source = 304;      // 37 bytes, packed as block 21 (dPMR446)
inline constexpr int kFirstChannel = 321;       // first channel in use (recomputed)
inline constexpr int kFirstScanList = 323;      // first scan list with a value
inline constexpr int kFirstDtmf = 324;          // first DTMF entry with digits
inline constexpr int kDesig1 = 325;             // designated channel 1
inline constexpr int kDesig2 = 326;             // designated channel 2
inline constexpr int kFlags328 = 328;
inline constexpr int kFlags329 = 329;
inline constexpr int kBankFirstPos = 330;       // 5 bytes: per bank, position of its first channel in use
inline constexpr int kPackedStart = 376;        // 0x0178: first address of the packed area
inline constexpr int kZone1Limit = 7552;        // 0x1D80: zone 1 ends before this address
inline constexpr int kZone2Limit = 32128;       // 0x7D80: zone 2 ends before this address

inline constexpr char kMakerSignature[8] = {'V', 'E', 'X', 'A', ' ', 'I', 'n', 'c'};

// --- work area ---
inline constexpr int kParamBlock = 0x7D80;      // 32128: parameter block (64 bytes built in 512 cleared)
inline constexpr int kChannels = 32640;         // 64 x 34: memory channel records
inline constexpr int kChannelSize = 34;
inline constexpr int kChannelCount = 64;
inline constexpr int kKeys = 0x8800;            // 34816: key assignments (32 bytes)
inline constexpr int kScanMaps = 34848;         // 11 x 8: scan list membership maps
inline constexpr int kScanListCount = 11;
inline constexpr int kExtensions = 37501;       // 64 x 12: channel extensions
inline constexpr int kExtensionSize = 12;
inline constexpr int kCommon = 38269;           // block 6, 96 bytes
inline constexpr int kBankFlags = 38291;        // bank b: bit (7 - b)
inline constexpr int kUserCharTable = 38397;    // 16 user character patterns, 2 bytes each (0x95FD)
inline constexpr int kDesig3 = 38293;           // designated channel 3
inline constexpr int kDesig3On = 38303;         // bit 0x20: designation 3 on
inline constexpr int kBankSizes = 38349;        // 5 x 16-bit bank sizes
inline constexpr int kBankCount = 5;
inline constexpr int kFreeBank = 4;           // dPMR446: the bank of free frequencies and colour codes
inline constexpr int kModelFlags = 38359;       // LMR 0x80, PMR 0x40, digital PMR 0x20, dPMR446 0x04
inline constexpr int kCloneComment1 = 38365;    // 16 characters
inline constexpr int kCloneComment2 = 38381;    // 16 characters
inline constexpr int kDataVersion = 39429;      // block 18, first byte
inline constexpr int kOpeningText = 39437;      // block 19, 8 characters
inline constexpr int kKorvAddress = 39583;      // block 26: 16-bit group start address
inline constexpr int kDirectory = 42177;        // 40 x 10: copy of the block directory
inline constexpr int kDirEntrySize = 10;
inline constexpr int kDirEntries = 40;

}  // namespace qx::map
