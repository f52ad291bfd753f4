#include "image/datCh.h"

#include "image/cmcPackedBcd.h"

#include <cstring>

namespace qx {

namespace {

using namespace map;

const datKindInfo kKinds[KIND_Count] = {
    {0, -1, 0, 0},   // 0: none
    {0, 63, 3, 64},  // 1: memory channel, LMR
    {0, 63, 3, 64},  // 2: memory channel, PMR
    {0, 63, 3, 64},  // 3: memory channel, digital PMR
    {0, 63, 3, 64},  // 4: memory channel, dPMR446
    {0, 15, 3, 16},  // 5: user character pattern (block 8)
    {0, 7, 2, 8},    // 6: DTMF (block 14)
    {0, 10, 2, 11},  // 7: scan list (block 13)
    {0, 8, 2, 9},    // 8: tone pair (block 11)
    {1, 8, 2, 11},   // 9: 5-tone receive code (block 17)
    {0, 31, 2, 32},  // 10: 5-tone transmit code (blocks 15 and 16)
    {0, 14, 0, 15},  // 11: user tone (block 9)
    {1, 10, 2, 11},  // 12: 2-tone code (block 17 and more)
    {0, 9, 2, 0},    // 13: 2-tone transmit: no record
    {0, 0, 0, 5},    // 14: bank name (block 10)
    {0, 7, 2, 8},    // 15: ID group (block 29)
    {0, 31, 2, 32},  // 16: call list (blocks 27 and 28)
    {0, 22, 2, 24},  // 17: status message (blocks 31 and 30)
    {0, 7, 2, 8},    // 18: short text (blocks 32 and 33)
    {0, 31, 2, 32},  // 19: digital status message (blocks 35 and 34)
};

uint32_t Be32(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}
void PutBe32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v >> 24);
    p[1] = uint8_t(v >> 16);
    p[2] = uint8_t(v >> 8);
    p[3] = uint8_t(v);
}
uint16_t Be16(const uint8_t* p) { return uint16_t((p[0] << 8) | p[1]); }
void PutBe16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v >> 8);
    p[1] = uint8_t(v);
}
bool Bit(uint8_t b, int n) { return (b >> n) & 1; }
// Sets or clears bit n of b.
void PutBit(uint8_t& b, int n, bool on) {
    if (on)
        b = uint8_t(b | (1 << n));
    else
        b = uint8_t(b & ~(1 << n));
}
uint32_t ClampFrequency(uint32_t f) { return f > kMaxFrequency ? kMaxFrequency : f; }
bool AllSpaces(const uint8_t* p, int n) {
    for (int i = 0; i < n; ++i)
        if (p[i] != 0x20) return false;
    return true;
}

// Addresses of the records of the other kinds.
constexpr int kUserChars = 38397;     // kind 5: 2 bytes each
constexpr int kScanLists = 38633;     // kind 7: 10 bytes each
constexpr int kCTones = 38597;        // kind 8: 4 bytes each
constexpr int kBlock17 = 39231;       // kinds 9, 12: 18 bytes each
constexpr int kBlock15 = 34936;       // kind 10 code part: 4 bytes each
constexpr int kBlock16 = 38911;       // kind 10 name part: 10 bytes each
constexpr int kUTone = 38429;         // kind 11: 16-bit encode values
constexpr int kUToneWin = 38459;      // kind 11: two 16-bit decode values per tone, 4 bytes
constexpr int k2ToneWin = 38421;      // kind 12: four 16-bit window values, 8 bytes per index
constexpr int k2ToneFreq = 34932;     // kind 12: two 16-bit tone values, 4 bytes per index
constexpr int k2TonePeriod = 38527;   // kind 12: two period bytes per index
constexpr int k2ToneFlag = 38909;     // kind 12: one flag byte, 10 bytes per index
constexpr int kBankNames = 38557;     // kind 14: 8 bytes each
constexpr int kDtmf = 38743;          // kind 6: 21 bytes each
constexpr int kIdGroups = 39455;      // kind 15: 16 bytes each
constexpr int kCallCodes = 35064;     // kind 16: 4 bytes each
constexpr int kCallNames = 39597;     // kind 16: 10 bytes each
constexpr int kStatusA = 40245;       // kind 17: 12 bytes each
constexpr int kStatusB = 39957;       // kind 17: 12 bytes each
constexpr int kShortTexts = 35192;    // kind 18: 8 bytes each
constexpr int kShortFlags = 40533;    // kind 18: 2 bytes each, the flag in the first
constexpr int kDigStatusA = 41189;    // kind 19: 20 bytes each
constexpr int kDigStatusB = 40549;    // kind 19: 20 bytes each

}  // namespace

const datKindInfo* datKindTable(int kind) {
    if (kind < 1 || kind >= KIND_Count) return nullptr;
    return &kKinds[kind];
}

int datKindMinIndex(int kind) {
    const datKindInfo* k = datKindTable(kind);
    return k ? k->minIndex : 0;
}

int datKindMaxIndex(int kind) {
    if (kind == KIND_BankName) return 100000000;
    const datKindInfo* k = datKindTable(kind);
    return k ? k->maxIndex : -1;
}

int datChannelKind(int modelType) {
    switch (modelType) {
    case kModelPmr: return KIND_ChPmr;
    case kModelKorvPmr: return KIND_ChKorvPmr;
    case kModelDPmr446: return KIND_ChDPmr446;
    default: return KIND_ChLmr;
    }
}

int datModelOfKind(int kind) {
    switch (kind) {
    case KIND_ChLmr: return kModelLmr;
    case KIND_ChPmr: return kModelPmr;
    case KIND_ChKorvPmr: return kModelKorvPmr;
    case KIND_ChDPmr446: return kModelDPmr446;
    default: return -1;
    }
}

// ---------------- tone field ----------------

datTone datTone::Decode(const uint8_t* ab) {
    datTone t;
    uint8_t a = ab[0], b = ab[1];
    t.enabled = !Bit(a, 7);
    t.dtcs = Bit(a, 6);
    if (t.dtcs) {
        t.dtcsCode = uint16_t((a & 0x01) << 8 | b);
        t.inverted = Bit(a, 5);
    } else {
        t.ctcss = b;
    }
    return t;
}

void datTone::Encode(uint8_t* ab) const {
    uint8_t a = uint8_t(ab[0] & 0x1E);  // bits 1-4 stay
    if (!enabled) a |= 0x80;
    if (dtcs) {
        a |= 0x40;
        if (inverted) a |= 0x20;
        a |= uint8_t((dtcsCode >> 8) & 0x01);
        ab[1] = uint8_t(dtcsCode & 0xFF);
    } else {
        ab[1] = ctcss;
    }
    ab[0] = a;
}

// ---------------- datCh ----------------

datCh::datCh(uint8_t* image) : image_(image) {}

void datCh::Reset() {
    static const datCh blank;  // every field at its initial value: zero, in use
    uint8_t* keep = image_;
    *this = blank;
    image_ = keep;
}

bool datCh::NameBlank() const { return AllSpaces(text, 8); }

void datCh::Load(int kind, int index) {
    Reset();
    kind_ = kind;
    index_ = index;
    const datKindInfo* info = datKindTable(kind);
    if (image_ == nullptr || info == nullptr) return;
    if (IsChannel()) {
        if (index >= 0 && index < kChannelCount) LoadChannel(index);
        return;  // index 64 (the empty channel) and any other index: the blank record
    }
    if (index < 0 || index >= info->stored) return;
    LoadOther(kind, index);
}

void datCh::Store(int kind, int index) {
    if (kind == 0) kind = kind_;
    const datKindInfo* info = datKindTable(kind);
    if (image_ == nullptr || info == nullptr) return;
    if (kind >= KIND_ChLmr && kind <= KIND_ChDPmr446) {
        if (index < 0 || index >= kChannelCount) return;
        // The channel's model-dependent fields follow the kind it is stored as.
        int remembered = kind_;
        kind_ = kind;
        StoreChannel(index);
        kind_ = remembered;
        return;
    }
    if (index < 0 || index >= info->stored) return;
    StoreOther(kind, index);
}

void datCh::LoadChannel(int n) {
    const uint8_t* rec = image_ + kChannels + kChannelSize * n;
    const uint8_t* ext = image_ + kExtensions + kExtensionSize * n;
    bool pmrForm = kind_ == KIND_ChPmr || kind_ == KIND_ChKorvPmr;

    rxFreq = ClampFrequency(Be32(rec) & 0x7FFFFFFF);
    txFreq = ClampFrequency(Be32(rec + 4) & 0x7FFFFFFF);

    desig1 = image_[kDesig1] == n;
    desig2 = image_[kDesig2] == n;
    bool d3on = image_[kDesig3On] & 0x20;
    desig3 = image_[kDesig3] == n && d3on;
    desig3Off = !d3on;
    bankFlag = datBankFlag(image_, datBankOfChannel(image_, n));

    inhibit = Bit(rec[0], 7);
    txInhibit = Bit(rec[4], 7);
    inUse = rxFreq != 0;

    digSignal = rec[28] & 0x03;
    digFlag = Bit(rec[28], 4);
    digComId = rec[30];
    digRxCode = Be32(rec + 12);
    digTxCode = Be32(rec + 16);

    rxTone = datTone::Decode(rec + 8);
    txTone = datTone::Decode(rec + 10);
    std::memcpy(text, rec + 20, 8);
    narrow = Bit(rec[28], 6);

    compander = Bit(ext[3], 4);
    autoChScan = Bit(ext[3], 0);
    pwrSave = Bit(ext[0], 7);
    tot = Bit(ext[0], 4);
    rfPower = ext[0] & 0x03;
    lockout = (ext[0] >> 2) & 0x03;
    autoReset = Bit(ext[2], 1);
    if (pmrForm) autoReset = uint8_t(autoReset | (Bit(ext[2], 0) << 1));
    log = (ext[1] >> 4) & 0x0F;
    logMsk = Bit(ext[3], 7);
    monitor = uint8_t(Bit(ext[0], 6) | (Bit(ext[1], 3) << 1) | (Bit(ext[2], 4) << 2) | (Bit(ext[2], 5) << 3));
    scanInc = Bit(ext[1], 1);
    scrambleOn = (ext[3] >> 5) & 0x03;
    scrambleCode = ext[5];
    select = (ext[2] >> 6) & 0x03;
    call = Bit(ext[2], 3);
    ptt = Bit(ext[2], 2);
    chMute = Bit(ext[1], 0);
    if (pmrForm) {
        format = ext[6] & 0x0F;
        position = (ext[6] >> 6) & 0x03;
        rptCode = ext[7] & 0x7F;
        rptFlag = Bit(ext[7], 7);
        stnCode = ext[8] & 0x7F;
        stnFlag = Bit(ext[8], 7);
        idCode = ext[9] & 0x7F;
        idFlag = Bit(ext[9], 7);
        twoTone = 0;
        rxCodeNo = ext[10];
    } else {
        format = 0;
        position = 0;
        rptCode = 0;
        rptFlag = false;
        stnCode = 1;
        stnFlag = true;
        idCode = 0;
        idFlag = false;
        twoTone = ext[8] & 0x7F;
        rxCodeNo = uint16_t(Be16(ext + 10) >> 6);
    }
    mskSignal = Bit(ext[3], 3);
    mskSendStatus = Bit(ext[3], 1);
    mskNoRepeater = Bit(ext[3], 2);

    scanLists = 0;
    for (int j = 0; j < kScanListCount; ++j) {
        const uint8_t* m = image_ + kScanMaps + 8 * j;
        if (Bit(m[n / 8], 7 - n % 8)) scanLists = uint16_t(scanLists | (1 << (kScanListCount - 1 - j)));
    }
}

void datCh::StoreChannel(int n) {
    uint8_t* rec = image_ + kChannels + kChannelSize * n;
    uint8_t* ext = image_ + kExtensions + kExtensionSize * n;
    bool pmrForm = kind_ == KIND_ChPmr || kind_ == KIND_ChKorvPmr;

    // Designations: a set flag names this channel; a clear one leaves the byte to its owner.
    if (desig1) image_[kDesig1] = uint8_t(n);
    if (desig2) image_[kDesig2] = uint8_t(n);
    if (desig3) image_[kDesig3] = uint8_t(n);
    PutBit(image_[kDesig3On], 5, !desig3Off);
    int bank = datBankOfChannel(image_, n);
    if (bank < kBankCount) datSetBankFlag(image_, bank, bankFlag);

    uint32_t rx = inUse ? ClampFrequency(rxFreq) : 0;
    uint32_t tx = inUse ? ClampFrequency(txFreq) : 0;
    PutBe32(rec, rx);
    PutBe32(rec + 4, tx);
    PutBit(rec[0], 7, inhibit);
    PutBit(rec[4], 7, txInhibit);

    uint8_t b28 = uint8_t(rec[28] & 0x8C);  // bits 2, 3 and 7 stay
    b28 |= uint8_t(digSignal & 0x03);
    if (digFlag) b28 |= 0x10;
    if (NameBlank()) b28 |= 0x20;
    if (narrow) b28 |= 0x40;
    rec[28] = b28;
    rec[30] = digComId;
    PutBe32(rec + 12, digRxCode);
    PutBe32(rec + 16, digTxCode);
    rxTone.Encode(rec + 8);
    txTone.Encode(rec + 10);
    std::memcpy(rec + 20, text, 8);

    // Extension.
    uint8_t e0 = uint8_t(ext[0] & 0x20);  // bit 5 stays
    if (pwrSave) e0 |= 0x80;
    if (monitor & 0x01) e0 |= 0x40;
    if (tot) e0 |= 0x10;
    e0 |= uint8_t((lockout & 0x03) << 2);
    e0 |= uint8_t(rfPower & 0x03);
    ext[0] = e0;

    uint8_t e1 = uint8_t(ext[1] & 0x04);  // bit 2 stays
    e1 |= uint8_t((log & 0x0F) << 4);
    if (monitor & 0x02) e1 |= 0x08;
    if (scanInc) e1 |= 0x02;
    if (chMute) e1 |= 0x01;
    ext[1] = e1;

    uint8_t e2 = pmrForm ? 0 : uint8_t(ext[2] & 0x01);  // bit 0 belongs to auto reset only for PMR
    e2 |= uint8_t((select & 0x03) << 6);
    if (monitor & 0x04) e2 |= 0x10;
    if (monitor & 0x08) e2 |= 0x20;
    if (call) e2 |= 0x08;
    if (ptt) e2 |= 0x04;
    if (autoReset & 0x01) e2 |= 0x02;
    if (pmrForm && (autoReset & 0x02)) e2 |= 0x01;
    ext[2] = e2;

    bool korv = kind_ == KIND_ChKorvPmr;
    uint8_t e3 = korv ? 0 : uint8_t(ext[3] & 0x0E);  // the MSK bits belong to the digital PMR only
    if (logMsk) e3 |= 0x80;
    e3 |= uint8_t((scrambleOn & 0x03) << 5);
    if (compander) e3 |= 0x10;
    if (autoChScan) e3 |= 0x01;
    if (korv) {
        if (mskSignal) e3 |= 0x08;
        if (mskNoRepeater) e3 |= 0x04;
        if (mskSendStatus) e3 |= 0x02;
    }
    ext[3] = e3;

    ext[5] = scrambleCode;
    if (pmrForm) {
        ext[6] = uint8_t((ext[6] & 0x30) | (format & 0x0F) | ((position & 0x03) << 6));
        ext[7] = uint8_t((rptCode & 0x7F) | (rptFlag ? 0x80 : 0));
        ext[8] = uint8_t((stnCode & 0x7F) | (stnFlag ? 0x80 : 0));
        ext[9] = uint8_t((idCode & 0x7F) | (idFlag ? 0x80 : 0));
        ext[10] = uint8_t(rxCodeNo & 0xFF);
        ext[11] = 0;
    } else {
        ext[6] = uint8_t(ext[6] & 0x30);
        ext[7] = 0;
        ext[9] = 0;
        ext[8] = uint8_t((ext[8] & 0x80) | (twoTone & 0x7F));
        PutBe16(ext + 10, uint16_t((rxCodeNo & 0x3FF) << 6));
    }

    for (int j = 0; j < kScanListCount; ++j) {
        uint8_t* m = image_ + kScanMaps + 8 * j;
        PutBit(m[n / 8], 7 - n % 8, (scanLists >> (kScanListCount - 1 - j)) & 1);
    }
}

// Layouts of the other kinds (i = index):
//  5  value[0] = 16-bit at 38397 + 2i
//  6  21 bytes at 38743 + 21i: text[0..7] name, digits from the nibbles of bytes 8-19, digitCount = byte 20
//  7  10 bytes at 38633 + 10i: text[0..7] name; opt[0] = byte 8 without bit 4, opt[1] = byte 8 bit 4,
//     opt[2] = byte 9 bits 6-7 (in place)
//  8  4 bytes at 38597 + 4i: rxTone = bytes 0-1, txTone = bytes 2-3
//  9  18 bytes at 39231 + 18i: code[0..3] = bytes 0-3, code[4] = byte 12, text[0..7] = bytes 4-11,
//     opt[0..3] = bytes 13-16; byte 17 bit 5 is set when the name is all spaces
// 10  code[0..3] = 4 bytes at 34936 + 4i; 10 bytes at 38911 + 10i: text[0..7] name, opt[0..1] = bytes 8-9;
//     byte 9 bit 5 is set when the name is all spaces
// 11  value[0] = 16-bit at 38429 + 2i, value[1], value[2] = 16-bit at 38459 + 4i and 38461 + 4i
// 12  18 bytes at 39231 + 18i as kind 9 (without the blank-name bit); for i >= 1 also value[0..3] =
//     four 16-bit at 38421 + 8i, value[4..5] = two 16-bit at 34932 + 4i, opt[4..5] = bytes at 38527 + 2i,
//     opt[6] = byte at 38909 + 10i
// 14  text[0..7] = 8 bytes at 38557 + 8i
// 15  16 bytes at 39455 + 16i: value[0] = bytes 0-1, text[0..7] = bytes 2-9, opt[0..1] = bytes 12-13
// 16  value[0] = 4-digit packed decimal of the 4 bytes at 35064 + 4i; 10 bytes at 39597 + 10i:
//     text[0..7] name, opt[0..1] = bytes 8-9
// 17  12 bytes at 40245 + 12i: text[0..7], opt[0..3] = bytes 8-11; 12 bytes at 39957 + 12i:
//     text[8..15], opt[4..7] = bytes 8-11
// 18  text[0..7] = 8 bytes at 35192 + 8i; opt[0] = byte at 40533 + 2i
// 19  20 bytes at 41189 + 20i: text[16..31] = bytes 0-15, opt[0..3] = bytes 16-19; 20 bytes at
//     40549 + 20i: text[32..47] = bytes 0-15, opt[4..7] = bytes 16-19
void datCh::LoadOther(int kind, int i) {
    uint8_t* img = image_;
    switch (kind) {
    case KIND_UserChar:
        value[0] = Be16(img + kUserChars + 2 * i);
        break;
    case KIND_Dtmf: {
        const uint8_t* r = img + kDtmf + 21 * i;
        std::memcpy(text, r, 8);
        for (int d = 0; d < 24; ++d) digits[d] = uint8_t(cmcPackedBcd::Nibble(r + 8, d));
        digitCount = r[20];
        break;
    }
    case KIND_ScanList: {
        const uint8_t* r = img + kScanLists + 10 * i;
        std::memcpy(text, r, 8);
        opt[0] = uint8_t(r[8] & 0xEF);
        opt[1] = Bit(r[8], 4);
        opt[2] = uint8_t(r[9] & 0xC0);
        break;
    }
    case KIND_CTone: {
        const uint8_t* r = img + kCTones + 4 * i;
        rxTone = datTone::Decode(r);
        txTone = datTone::Decode(r + 2);
        break;
    }
    case KIND_5ToneRx:
    case KIND_2Tone: {
        const uint8_t* r = img + kBlock17 + 18 * i;
        std::memcpy(code, r, 4);
        code[4] = r[12];
        std::memcpy(text, r + 4, 8);
        std::memcpy(opt, r + 13, 4);
        if (kind == KIND_2Tone && i >= 1) {
            for (int k = 0; k < 4; ++k) value[k] = Be16(img + k2ToneWin + 8 * i + 2 * k);
            value[4] = Be16(img + k2ToneFreq + 4 * i);
            value[5] = Be16(img + k2ToneFreq + 4 * i + 2);
            opt[4] = img[k2TonePeriod + 2 * i];
            opt[5] = img[k2TonePeriod + 2 * i + 1];
            opt[6] = img[k2ToneFlag + 10 * i];
        }
        break;
    }
    case KIND_5ToneTx: {
        std::memcpy(code, img + kBlock15 + 4 * i, 4);
        const uint8_t* r = img + kBlock16 + 10 * i;
        std::memcpy(text, r, 8);
        opt[0] = r[8];
        opt[1] = r[9];
        break;
    }
    case KIND_UserTone:
        value[0] = Be16(img + kUTone + 2 * i);
        value[1] = Be16(img + kUToneWin + 4 * i);
        value[2] = Be16(img + kUToneWin + 4 * i + 2);
        break;
    case KIND_BankName:
        std::memcpy(text, img + kBankNames + 8 * i, 8);
        break;
    case KIND_MskIdGroup: {
        const uint8_t* r = img + kIdGroups + 16 * i;
        value[0] = Be16(r);
        std::memcpy(text, r + 2, 8);
        opt[0] = r[12];
        opt[1] = r[13];
        break;
    }
    case KIND_MskCallList: {
        value[0] = cmcPackedBcd::Decode4(img + kCallCodes + 4 * i);
        const uint8_t* r = img + kCallNames + 10 * i;
        std::memcpy(text, r, 8);
        opt[0] = r[8];
        opt[1] = r[9];
        break;
    }
    case KIND_MskStatus: {
        const uint8_t* a = img + kStatusA + 12 * i;
        const uint8_t* b = img + kStatusB + 12 * i;
        std::memcpy(text, a, 8);
        std::memcpy(opt, a + 8, 4);
        std::memcpy(text + 8, b, 8);
        std::memcpy(opt + 4, b + 8, 4);
        break;
    }
    case KIND_MskShortText:
        std::memcpy(text, img + kShortTexts + 8 * i, 8);
        opt[0] = img[kShortFlags + 2 * i];
        break;
    case KIND_DigStatus: {
        const uint8_t* a = img + kDigStatusA + 20 * i;
        const uint8_t* b = img + kDigStatusB + 20 * i;
        std::memcpy(text + 16, a, 16);
        std::memcpy(opt, a + 16, 4);
        std::memcpy(text + 32, b, 16);
        std::memcpy(opt + 4, b + 16, 4);
        break;
    }
    default:
        break;
    }
}

void datCh::StoreOther(int kind, int i) {
    uint8_t* img = image_;
    switch (kind) {
    case KIND_UserChar:
        PutBe16(img + kUserChars + 2 * i, value[0]);
        break;
    case KIND_Dtmf: {
        uint8_t* r = img + kDtmf + 21 * i;
        std::memcpy(r, text, 8);
        for (int d = 0; d < 24; ++d) cmcPackedBcd::SetNibble(r + 8, d, digits[d]);
        r[20] = digitCount;
        break;
    }
    case KIND_ScanList: {
        uint8_t* r = img + kScanLists + 10 * i;
        std::memcpy(r, text, 8);
        r[8] = uint8_t((opt[0] & 0xEF) | (opt[1] ? 0x10 : 0));
        r[9] = uint8_t((r[9] & 0x3F) | (opt[2] & 0xC0));
        break;
    }
    case KIND_CTone: {
        uint8_t* r = img + kCTones + 4 * i;
        rxTone.Encode(r);
        txTone.Encode(r + 2);
        break;
    }
    case KIND_5ToneRx:
    case KIND_2Tone: {
        uint8_t* r = img + kBlock17 + 18 * i;
        std::memcpy(r, code, 4);
        r[12] = code[4];
        std::memcpy(r + 4, text, 8);
        std::memcpy(r + 13, opt, 4);
        if (kind == KIND_5ToneRx) PutBit(r[k5ToneRxBlankByte], 5, NameBlank());
        if (kind == KIND_2Tone && i >= 1) {
            for (int k = 0; k < 4; ++k) PutBe16(img + k2ToneWin + 8 * i + 2 * k, value[k]);
            PutBe16(img + k2ToneFreq + 4 * i, value[4]);
            PutBe16(img + k2ToneFreq + 4 * i + 2, value[5]);
            img[k2TonePeriod + 2 * i] = opt[4];
            img[k2TonePeriod + 2 * i + 1] = opt[5];
            img[k2ToneFlag + 10 * i] = opt[6];
        }
        break;
    }
    case KIND_5ToneTx: {
        std::memcpy(img + kBlock15 + 4 * i, code, 4);
        uint8_t* r = img + kBlock16 + 10 * i;
        std::memcpy(r, text, 8);
        r[8] = opt[0];
        r[9] = opt[1];
        PutBit(r[k5ToneTxBlankByte], 5, NameBlank());
        break;
    }
    case KIND_UserTone:
        PutBe16(img + kUTone + 2 * i, value[0]);
        PutBe16(img + kUToneWin + 4 * i, value[1]);
        PutBe16(img + kUToneWin + 4 * i + 2, value[2]);
        break;
    case KIND_BankName:
        std::memcpy(img + kBankNames + 8 * i, text, 8);
        break;
    case KIND_MskIdGroup: {
        uint8_t* r = img + kIdGroups + 16 * i;
        PutBe16(r, value[0]);
        std::memcpy(r + 2, text, 8);
        r[12] = opt[0];
        r[13] = opt[1];
        break;
    }
    case KIND_MskCallList: {
        cmcPackedBcd::Encode4(value[0], img + kCallCodes + 4 * i, 4);
        uint8_t* r = img + kCallNames + 10 * i;
        std::memcpy(r, text, 8);
        r[8] = opt[0];
        r[9] = opt[1];
        break;
    }
    case KIND_MskStatus: {
        uint8_t* a = img + kStatusA + 12 * i;
        uint8_t* b = img + kStatusB + 12 * i;
        std::memcpy(a, text, 8);
        std::memcpy(a + 8, opt, 4);
        std::memcpy(b, text + 8, 8);
        std::memcpy(b + 8, opt + 4, 4);
        break;
    }
    case KIND_MskShortText:
        std::memcpy(img + kShortTexts + 8 * i, text, 8);
        img[kShortFlags + 2 * i] = opt[0];
        break;
    case KIND_DigStatus: {
        uint8_t* a = img + kDigStatusA + 20 * i;
        uint8_t* b = img + kDigStatusB + 20 * i;
        std::memcpy(a, text + 16, 16);
        std::memcpy(a + 16, opt, 4);
        std::memcpy(b, text + 32, 16);
        std::memcpy(b + 16, opt + 4, 4);
        break;
    }
    default:
        break;
    }
}

// ---------------- bank helpers ----------------

int datBankSize(const uint8_t* image, int bank) {
    if (bank < 0 || bank >= kBankCount) return 0;
    return Be16(image + kBankSizes + 2 * bank);
}

void datSetBankSize(uint8_t* image, int bank, int size) {
    if (bank < 0 || bank >= kBankCount) return;
    PutBe16(image + kBankSizes + 2 * bank, uint16_t(size));
}

int datBankFirst(const uint8_t* image, int bank) {
    int first = 0;
    for (int b = 0; b < bank && b < kBankCount; ++b) first += datBankSize(image, b);
    return first;
}

int datBankLast(const uint8_t* image, int bank) {
    int last = datBankFirst(image, bank + 1) - 1;
    return last < 0 ? 0 : last;
}

int datChannelTotal(const uint8_t* image) { return datBankFirst(image, kBankCount); }

int datBankOfChannel(const uint8_t* image, int channel) {
    int end = 0;
    for (int b = 0; b < kBankCount; ++b) {
        end += datBankSize(image, b);
        if (channel < end) return b;
    }
    return kBankCount;
}

bool datBankFlag(const uint8_t* image, int bank) {
    if (bank < 0 || bank >= kBankCount) return false;
    return Bit(image[kBankFlags], 7 - bank);
}

void datSetBankFlag(uint8_t* image, int bank, bool on) {
    if (bank < 0 || bank >= kBankCount) return;
    PutBit(image[kBankFlags], 7 - bank, on);
}

bool datChannelInUse(const uint8_t* image, int channel) {
    if (channel < 0 || channel >= kChannelCount) return false;
    return (Be32(image + kChannels + kChannelSize * channel) & 0x7FFFFFFF) != 0;
}

int datBankInUse(const uint8_t* image, int bank) {
    if (bank < 0 || bank >= kBankCount) return 0;
    int first = datBankFirst(image, bank);
    int end = first + datBankSize(image, bank);
    int n = 0;
    for (int ch = first; ch < end && ch < kChannelCount; ++ch)
        if (datChannelInUse(image, ch)) ++n;
    return n;
}

int datBanksInUse(const uint8_t* image) {
    int n = 0;
    for (int b = 0; b < kBankCount; ++b) n += datBankInUse(image, b);
    return n;
}

int datChannelsInUse(const uint8_t* image) {
    int n = 0;
    for (int ch = 0; ch < kChannelCount; ++ch)
        if (datChannelInUse(image, ch)) ++n;
    return n;
}

}  // namespace qx
