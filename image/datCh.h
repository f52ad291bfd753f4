// The record codec: one record of a work-area table decoded into plain fields and encoded back.
// A datCh is bound to the bytes of an image (not owned), is told a record kind and an index,
// decodes that record, lets the caller change fields and encodes them into the image again.
// Encoding writes only the fields it understands; every other byte and bit stays as it is.
#pragma once

#include "image/cmcImageMap.h"

#include <cstdint>

namespace qx {

// Record kinds (1-19). Kinds 1-4 are the memory channels of the four model types.
enum datKind : int {
    KIND_None = 0,
    KIND_ChLmr = 1,
    KIND_ChPmr = 2,
    KIND_ChKorvPmr = 3,
    KIND_ChDPmr446 = 4,
    KIND_UserChar = 5,      // 16-bit user character pattern
    KIND_Dtmf = 6,          // DTMF entry: name, 24 digits, digit count
    KIND_ScanList = 7,      // scan list: name and option bytes
    KIND_CTone = 8,         // two tone fields
    KIND_5ToneRx = 9,       // 5-tone receive code (PMR and digital PMR form of block 17)
    KIND_5ToneTx = 10,      // 5-tone transmit code
    KIND_UserTone = 11,     // user tone: encode frequency and decode window
    KIND_2Tone = 12,        // 2-tone code (LMR and dPMR446 form of block 17)
    KIND_2ToneTx = 13,      // no record of its own
    KIND_BankName = 14,     // 8-character bank name
    KIND_MskIdGroup = 15,   // digital PMR ID group
    KIND_MskCallList = 16,  // digital PMR call list entry
    KIND_MskStatus = 17,    // digital PMR status message
    KIND_MskShortText = 18, // digital PMR short text
    KIND_DigStatus = 19,    // dPMR446 status message
    KIND_Count = 20,
};

// Flags of a kind.
inline constexpr int kKindChannelLike = 0x01;
inline constexpr int kKindIndexedList = 0x02;

struct datKindInfo {
    int minIndex;   // the index range the cells offer
    int maxIndex;
    int flags;      // kKindChannelLike, kKindIndexedList
    int stored;     // records the image holds (indexes 0 .. stored-1 are stored); 0 = no record
};

// The kind's row of the kinds table; null for a kind outside 1-19. The range of kind 14 counts as
// 0..100000000 when asked through MinIndex/MaxIndex.
const datKindInfo* datKindTable(int kind);
int datKindMinIndex(int kind);
int datKindMaxIndex(int kind);
// The memory channel kind of a model type (LMR 1, PMR 2, digital PMR 3, dPMR446 4; others 1).
int datChannelKind(int modelType);
// The model type of a memory channel kind; -1 for any other kind.
int datModelOfKind(int kind);

// A tone field: two bytes A, B selecting a CTCSS tone or a DTCS code.
struct datTone {
    bool enabled = false;
    bool dtcs = false;
    bool inverted = false;   // DTCS polarity: set shows as "I", clear as "N"
    uint8_t ctcss = 0;       // CTCSS tone number
    uint16_t dtcsCode = 0;   // 9-bit DTCS code (three octal digits)

    static datTone Decode(const uint8_t* ab);
    // Writes bits 7, 6, 5 and 0 of A and all of B; bits 1-4 of A stay as they are.
    void Encode(uint8_t* ab) const;
    bool operator==(const datTone&) const = default;
};

class datCh {
public:
    // Every field zero except the in-use flag (as after Reset), bound to `image`.
    explicit datCh(uint8_t* image = nullptr);

    void Bind(uint8_t* image) { image_ = image; }
    uint8_t* Image() const { return image_; }

    // Every field zero, then the in-use flag set. Keeps the binding.
    void Reset();
    // Reset, remember kind and index, decode. A kind outside 1-19, or an index the image does not
    // hold a record for, decodes nothing. Channel index 64 is the empty channel: a blank record.
    void Load(int kind, int index);
    // Encodes into the image as record `index` of `kind` (0 = the remembered kind). Writes nothing
    // for an unknown kind, an index without a record, or channel index 64.
    void Store(int kind, int index);
    void Store() { Store(0, index_); }
    void Reload() { Load(kind_, index_); }
    void Commit() {
        Store(kind_, index_);
        Reload();
    }

    int Kind() const { return kind_; }
    int Index() const { return index_; }
    bool IsChannel() const { return kind_ >= KIND_ChLmr && kind_ <= KIND_ChDPmr446; }

    // The channel name is all spaces.
    bool NameBlank() const;

    // ---------------- memory channels (kinds 1-4) ----------------
    uint32_t rxFreq = 0;          // Hz, 0..799999950
    uint32_t txFreq = 0;
    bool inhibit = false;         // channel inhibited (bit 7 of record byte 0)
    bool txInhibit = false;       // transmit inhibited (bit 7 of record byte 4)
    bool inUse = true;            // receive frequency not 0
    datTone rxTone;               // record bytes 8-9; for kind 8 the first tone field
    datTone txTone;               // record bytes 10-11; for kind 8 the second tone field
    uint32_t digRxCode = 0;       // record bytes 12-15
    uint32_t digTxCode = 0;       // record bytes 16-19
    uint8_t digSignal = 0;        // record byte 28 bits 0-1
    bool digFlag = false;         // record byte 28 bit 4
    bool narrow = false;          // record byte 28 bit 6
    uint8_t digComId = 0;         // record byte 30

    // Extension (12 bytes per channel).
    bool compander = false;
    bool autoChScan = false;
    bool pwrSave = false;
    bool tot = false;
    uint8_t rfPower = 0;          // 2 bits
    uint8_t lockout = 0;          // 2 bits
    uint8_t autoReset = 0;        // 2 bits (1 bit for LMR and dPMR446)
    uint8_t log = 0;              // 4 bits
    bool logMsk = false;
    uint8_t monitor = 0;          // 4 bits
    bool scanInc = false;
    uint8_t scrambleOn = 0;       // 2 bits
    uint8_t scrambleCode = 0;
    uint8_t select = 0;           // 2 bits
    bool call = false;
    bool ptt = false;
    bool chMute = false;
    uint8_t format = 0;           // 4 bits, PMR and digital PMR
    uint8_t rptCode = 0;          // 7 bits, PMR and digital PMR
    uint8_t stnCode = 0;          // 7 bits, PMR and digital PMR (1 for the others)
    uint8_t idCode = 0;           // 7 bits, PMR and digital PMR
    bool rptFlag = false;
    bool stnFlag = false;         // PMR and digital PMR (set for the others)
    bool idFlag = false;
    uint8_t position = 0;         // 2 bits, PMR and digital PMR
    uint8_t twoTone = 0;          // 7 bits, LMR and dPMR446
    uint16_t rxCodeNo = 0;        // 8 bits (PMR, digital PMR) or 10 bits (LMR, dPMR446)
    bool mskSignal = false;       // digital PMR
    bool mskSendStatus = false;
    bool mskNoRepeater = false;

    // Per-channel bits kept outside the record.
    uint16_t scanLists = 0;       // 11 bits; scan list 0 is the most significant (bit 10)
    bool bankFlag = false;        // the flag of the channel's bank
    bool desig1 = false;          // designated channel 1 (byte 325)
    bool desig2 = false;          // designated channel 2 (byte 326)
    bool desig3 = false;          // designated channel 3 (byte 38293, while designation 3 is on)
    bool desig3Off = false;       // designation 3 is off (the same for every channel)

    // ---------------- the other kinds ----------------
    // Text bytes, copied as they are. The name of every named kind is text[0..7]; kind 17 keeps
    // its transmit text in text[8..15]; kind 19 its receive text in text[16..31] and its transmit
    // text in text[32..47]. The memory channel name is text[0..7] too.
    uint8_t text[48] = {};
    // Code bytes: kinds 9 and 12 bytes 0-3 and 12 of the block-17 record; kind 10 the 4 bytes of
    // its block-15 part.
    uint8_t code[5] = {};
    // Option bytes (see the kind's layout in datCh.cpp).
    uint8_t opt[10] = {};
    // 16-bit values: kind 5 the pattern; kind 11 encode, decode low, decode high; kind 12 the four
    // window values and the two tone values; kind 15 the code; kind 16 the decimal address
    // (cmcPackedBcd::kNone when not decimal).
    uint16_t value[6] = {};
    uint8_t digits[24] = {};      // kind 6: DTMF digits, one per element (0-15)
    uint8_t digitCount = 0;       // kind 6: record byte 20

private:
    void LoadChannel(int n);
    void StoreChannel(int n);
    void LoadOther(int kind, int index);
    void StoreOther(int kind, int index);

    int kind_ = 0;
    int index_ = 0;
    uint8_t* image_ = nullptr;
};

// Where the flag "name is all spaces" of kinds 9 and 10 lives, beside their names.
inline constexpr int k5ToneRxBlankByte = 17;   // of the 18-byte block-17 record, bit 5
inline constexpr int k5ToneTxBlankByte = 9;    // of the 10-byte block-16 record, bit 5

// ---------------- bank helpers (over the bank sizes of an image) ----------------
int datBankSize(const uint8_t* image, int bank);              // 0 for a bank outside 0-4
void datSetBankSize(uint8_t* image, int bank, int size);      // ignored for a bank outside 0-4
int datBankFirst(const uint8_t* image, int bank);             // sum of sizes of banks 0..bank-1
int datBankLast(const uint8_t* image, int bank);              // first of bank+1 minus 1, at least 0
int datChannelTotal(const uint8_t* image);                    // first channel of bank 5
int datBankOfChannel(const uint8_t* image, int channel);      // 0-4, or 5 (no bank)
bool datBankFlag(const uint8_t* image, int bank);             // false for a bank outside 0-4
void datSetBankFlag(uint8_t* image, int bank, bool on);       // ignored for a bank outside 0-4
// Whether memory channel n (0-63) is in use: its receive frequency is not 0.
bool datChannelInUse(const uint8_t* image, int channel);
// Channels in use in bank b (channels beyond 63 are not counted), and in all five banks.
int datBankInUse(const uint8_t* image, int bank);
int datBanksInUse(const uint8_t* image);
// Channels 0-63 in use, whatever the banks.
int datChannelsInUse(const uint8_t* image);

// The memory channel frequency limit.
inline constexpr uint32_t kMaxFrequency = 799999950;

}  // namespace qx
