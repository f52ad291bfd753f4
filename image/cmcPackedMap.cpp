#include "image/cmcPackedMap.h"

#include "common/cmcMessage.h"
#include "image/datCh.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace qx {

namespace {

using namespace map;

constexpr uint8_t kAll = 0x0F;
constexpr uint8_t kKorv = 1 << kModelKorvPmr;
constexpr uint8_t kD446 = 1 << kModelDPmr446;
constexpr uint8_t E_No = cmcPackedMap::ExpandNone;
constexpr uint8_t E_El = cmcPackedMap::ExpandElements;
constexpr uint8_t E_Tp = cmcPackedMap::ExpandTemplate;
constexpr uint8_t E_1 = cmcPackedMap::ExpandSingle;

// The block table in packing order: id, element size, capacity, work-area home, model types, zone,
// expansion, counted by the channel total.
const cmcBlockDef kBlocks[] = {
    {39, 64, 1, kParamBlock, kAll, 1, E_No, false},
    {2, 34, 64, kChannels, kAll, 1, E_Tp, true},
    {5, 32, 1, kKeys, kAll, 1, E_1, false},
    {12, 8, 11, kScanMaps, kAll, 1, E_El, false},
    {15, 4, 32, 34936, kAll, 1, E_El, false},
    {27, 4, 32, 35064, kKorv, 1, E_Tp, false},
    {32, 8, 8, 35192, kKorv, 1, E_El, false},
    {21, 37, 1, kBlock21Source, kD446, 2, E_No, false},
    {22, 34, 64, kChannels, kD446, 2, E_No, true},
    {23, 32, 1, kKeys, kD446, 2, E_No, false},
    {3, 12, 64, kExtensions, kAll, 2, E_Tp, true},
    {6, 96, 1, kCommon, kAll, 2, E_1, false},
    {7, 32, 1, 38365, kAll, 2, E_1, false},
    {8, 2, 16, 38397, kAll, 2, E_Tp, false},
    {9, 128, 1, 38429, kAll, 2, E_1, false},
    {10, 8, 5, 38557, kAll, 2, E_Tp, false},
    {11, 4, 9, 38597, kAll, 2, E_Tp, false},
    {13, 10, 11, 38633, kAll, 2, E_El, false},
    {14, 21, 8, 38743, kAll, 2, E_El, false},
    {16, 10, 32, 38911, kAll, 2, E_El, false},
    {17, 18, 11, 39231, kAll, 2, E_El, false},
    {18, 8, 1, kDataVersion, kAll, 2, E_1, false},
    {19, 8, 1, kOpeningText, kAll, 2, E_1, false},
    {20, 10, 1, 39445, kAll, 2, E_1, false},
    {28, 10, 32, 39597, kKorv, 2, E_Tp, false},
    {29, 16, 8, 39455, kKorv, 2, E_El, false},
    {26, 14, 1, kKorvAddress, kKorv, 2, E_1, false},
    {25, 24, 1, 39917, kKorv, 2, E_1, false},
    {24, 16, 1, 39941, kKorv, 2, E_1, false},
    {30, 12, 24, 39957, kKorv, 2, E_El, false},
    {31, 12, 24, 40245, kKorv, 2, E_El, false},
    {33, 2, 8, 40533, kKorv, 2, E_El, false},
    {34, 20, 32, 40549, kD446, 2, E_El, false},
    {35, 20, 32, 41189, kD446, 2, E_El, false},
    {36, 16, 1, 41829, kD446, 2, E_1, false},
    {37, 4, 1, 41845, kD446, 2, E_1, false},
    {38, 8, 41, 41849, kD446, 2, E_El, false},
};
constexpr int kBlockCount = static_cast<int>(sizeof(kBlocks) / sizeof(kBlocks[0]));

constexpr uint8_t kLmrForm = (1 << kModelLmr) | (1 << kModelDPmr446);   // LMR and dPMR446
constexpr uint8_t kPmrForm = (1 << kModelPmr) | (1 << kModelKorvPmr);   // PMR and digital PMR
constexpr uint8_t kNotKorv = kAll & ~kKorv;

// Flags and bytes of the work area that normalisation takes back from the initial image on every
// load and save (the program does not edit them): address, bits, model types.
struct cmcResetBits {
    int address;
    uint8_t mask;
    uint8_t models;
};
const cmcResetBits kResetBits[] = {
    {kFlags328, 0xF8, kAll}, {kFlags329, 0x3B, kAll}, {38274, 0x04, kAll},
    {38301, 0x3F, kNotKorv}, {38302, 0x20, kAll},     {38302, 0x03, kLmrForm},
    {38303, 0x04, kAll},     {38303, 0x02, kLmrForm}, {38304, 0x01, kAll},
    {38304, 0x40, kLmrForm}, {38305, 0xC0, kNotKorv}, {38306, 0x80, kLmrForm},
    {38308, 0xF8, kAll},     {38337, 0xFF, kAll},     {38338, 0xFF, kAll},
    {38340, 0xFF, kAll},     {38317, 0xFF, kLmrForm}, {38335, 0xFF, kLmrForm},
    {38321, 0xFF, kPmrForm}, {38547, 0xFF, kPmrForm}, {kModelFlags, 0xFF, kAll},
    {kModelFlags + 1, 0xFF, kAll},
};

const uint8_t kParamConstant[64] = {
    0x01, 0x0D, 0x00, 0x01, 0x53, 0xEA, 0x00, 0x00, 0x00, 0x00, 0x01, 0x07, 0x00, 0x01, 0x4C, 0xBA,
    0x00, 0x00, 0xCA, 0xAC, 0x10, 0x00, 0x01, 0x14, 0x5E, 0x00, 0x27, 0x3E, 0x6A, 0x30, 0x00, 0xFF,
    0xE1, 0xD7, 0x73, 0x70, 0x46, 0xF2, 0x7A, 0x00, 0x00, 0x00, 0x1B, 0x6E, 0x5E, 0x01, 0x10, 0xA8,
    0x40, 0xE6, 0x5E, 0x00, 0x46, 0xFC, 0x5E, 0x01, 0x5A, 0xF8, 0x01, 0x00, 0x69, 0xF0, 0x54, 0x70,
};

int Be16(const uint8_t* p) { return (p[0] << 8) | p[1]; }
void PutBe16(uint8_t* p, int v) {
    p[0] = uint8_t(v >> 8);
    p[1] = uint8_t(v);
}

// Whether [address, address + length) lies inside the EEPROM area; computed without overflow.
bool InEepromArea(long long address, long long length) {
    return address >= 0 && length >= 0 && address + length <= kZone2Limit;
}

// The packed-map operations address the image by offset; an image smaller than the map is an
// internal fault, never silently read past.
uint8_t* MapBytes(cmcEeprom& image) {
    if (image.GetSize() < kImageSize) cmcFatal("Self Check Error.\nEEPROM Map is too large.", kExitInternalFault);
    return image.Data();
}
const uint8_t* MapBytes(const cmcEeprom& image) {
    if (image.GetSize() < kImageSize) cmcFatal("Self Check Error.\nEEPROM Map is too large.", kExitInternalFault);
    return image.Data();
}

// Takes the bits of `mask` at `address` from the initial image.
void TakeBits(uint8_t* w, const uint8_t* ini, int address, uint8_t mask) {
    w[address] = uint8_t((w[address] & ~mask) | (ini[address] & mask));
}

void PutBit(uint8_t& b, uint8_t mask, bool on) { b = on ? uint8_t(b | mask) : uint8_t(b & ~mask); }

bool ChannelInhibited(const uint8_t* w, int n) { return w[kChannels + kChannelSize * n] & 0x80; }

uint16_t Scaled(int v, double factor) {
    long r = std::lround(v * factor);
    return uint16_t(std::clamp<long>(r, 0, 0xFFFF));
}

}  // namespace

const cmcBlockDef* cmcPackedMap::Blocks() { return kBlocks; }
int cmcPackedMap::BlockCount() { return kBlockCount; }
const uint8_t* cmcPackedMap::ParamBlockConstant() { return kParamConstant; }

const cmcBlockDef* cmcPackedMap::FindBlock(int id) {
    for (const auto& b : kBlocks)
        if (b.id == id) return &b;
    return nullptr;
}

bool cmcPackedMap::PackedFor(const cmcBlockDef& block, int modelType) {
    if (modelType < 0 || modelType >= kModelTypeCount) return false;
    return (block.models >> modelType) & 1;
}

int cmcPackedMap::CopyDirectory(cmcEeprom& image) {
    uint8_t* w = MapBytes(image);
    if (w[kDirHeader] != 0x00 || w[kDirHeader + 1] != 0x01) return -1;
    const int stride = Be16(w + kDirHeader + 2);
    const int length = std::min(stride, kDirEntrySize);
    const int count = std::min(Be16(w + kDirHeader + 4), kDirEntries);
    const int address = Be16(w + kDirHeader + 6);
    for (int i = 0; i < count; ++i) {
        long long src = address + static_cast<long long>(i) * stride;
        uint8_t* dst = w + kDirectory + kDirEntrySize * i;
        if (InEepromArea(src, length))
            std::memmove(dst, w + src, static_cast<size_t>(length));
        else
            std::memset(dst, 0, kDirEntrySize);  // names no block
    }
    return count;
}

int cmcPackedMap::FindEntry(const cmcEeprom& image, int entries, int id) {
    const uint8_t* w = MapBytes(image);
    for (int i = 0; i < entries && i < kDirEntries; ++i)
        if (Be16(w + kDirectory + kDirEntrySize * i) == id) return i;
    return -1;
}

void cmcPackedMap::Unpack(cmcEeprom& image) {
    uint8_t* w = MapBytes(image);
    const int entries = CopyDirectory(image);
    if (entries < 0) return;
    const int base = Be16(w + kPackedBase);
    for (const auto& b : kBlocks) {
        if (b.id == 39 || b.id == 21 || b.id == 22 || b.id == 23) continue;
        int e = FindEntry(image, entries, b.id);
        if (e < 0) continue;
        const uint8_t* ent = w + kDirectory + kDirEntrySize * e;
        const int entrySize = Be16(ent + 2);
        const int count = std::min(Be16(ent + 4), b.capacity);
        const int length = std::min(entrySize, b.elemSize);
        const long long start = static_cast<long long>(Be16(ent + 6)) - base + kPackedStart;
        if (length <= 0) continue;
        for (int i = 0; i < count; ++i) {
            long long src = start + static_cast<long long>(i) * entrySize;
            if (!InEepromArea(src, length)) continue;
            std::memmove(w + b.home + b.elemSize * i, w + src, static_cast<size_t>(length));
        }
    }
}

void cmcPackedMap::Expand(cmcEeprom& initial) {
    uint8_t* w = MapBytes(initial);
    const int entries = CopyDirectory(initial);
    if (entries < 0) return;
    for (const auto& b : kBlocks) {
        if (b.expand == ExpandNone) continue;
        int e = FindEntry(initial, entries, b.id);
        if (e < 0) continue;
        const long long address = Be16(w + kDirectory + kDirEntrySize * e + 6);
        const size_t size = static_cast<size_t>(b.elemSize);
        switch (b.expand) {
        case ExpandElements:
            for (int i = 0; i < b.capacity; ++i) {
                long long src = address + static_cast<long long>(i) * b.elemSize;
                if (InEepromArea(src, b.elemSize)) std::memmove(w + b.home + b.elemSize * i, w + src, size);
            }
            break;
        case ExpandTemplate:
            if (!InEepromArea(address, b.elemSize)) break;
            for (int i = 0; i < b.capacity; ++i) std::memmove(w + b.home + b.elemSize * i, w + address, size);
            break;
        case ExpandSingle:
            if (InEepromArea(address, b.elemSize)) std::memmove(w + b.home, w + address, size);
            break;
        default:
            break;
        }
    }
}

void cmcPackedMap::BuildParamBlock(cmcEeprom& image) {
    uint8_t* p = MapBytes(image) + kParamBlock;
    std::memset(p, 0, 512);
    std::memcpy(p, kParamConstant, 64);
    p[21] = 0;
    p[22] = 0;
    uint8_t sum = 0;
    for (int i = 0; i < 64; ++i) sum = uint8_t(sum + p[i]);
    p[21] = uint8_t(-sum);
}

bool cmcPackedMap::Pack(cmcEeprom& image, int modelType, bool withParams) {
    uint8_t* w = MapBytes(image);
    PutBe16(w + kPackedBase, kPackedStart);
    BuildParamBlock(image);

    int entries = 0;
    auto putEntry = [&](int id, int size, int count, int address) {
        uint8_t* e = w + kDirectory + kDirEntrySize * entries;
        PutBe16(e, id);
        PutBe16(e + 2, size);
        PutBe16(e + 4, count);
        PutBe16(e + 6, address);
        ++entries;
    };
    putEntry(39, 64, 1, kPackedStart);
    if (withParams)
        std::memcpy(w + kPackedStart, w + kParamBlock, 64);
    else
        std::memset(w + kPackedStart, 0, 64);
    int a = 64;

    const int channels = std::min(datChannelTotal(w), kChannelCount);
    bool zone1Closed = false;
    for (const auto& b : kBlocks) {
        if (b.id == 39 || !PackedFor(b, modelType)) continue;
        if (b.zone == 2 && !zone1Closed) {
            PutBe16(w + kZone1End, kPackedStart + a);
            zone1Closed = true;
        }
        const int count = b.perChannel ? channels : b.capacity;
        const int length = b.elemSize * count;
        const int limit = b.zone == 1 ? kZone1Limit : kZone2Limit;
        if (kPackedStart + a + length > limit) return true;
        putEntry(b.id, b.elemSize, count, kPackedStart + a);
        if (length > 0) std::memmove(w + kPackedStart + a, w + b.home, static_cast<size_t>(length));
        a += length;
    }
    if (!zone1Closed) PutBe16(w + kZone1End, kPackedStart + a);

    if (kPackedStart + a + kDirEntrySize * entries > kZone2Limit) return true;
    uint8_t* h = w + kDirHeader;
    h[0] = 0x00;
    h[1] = 0x01;
    PutBe16(h + 2, kDirEntrySize);
    PutBe16(h + 4, entries);
    PutBe16(h + 6, kPackedStart + a);
    std::memmove(w + kPackedStart + a, w + kDirectory, static_cast<size_t>(kDirEntrySize * entries));
    a += kDirEntrySize * entries;

    if (kPackedStart + a + 8 > kZone2Limit) return true;
    std::memcpy(w + kPackedStart + a, kMakerSignature, 8);
    PutBe16(w + kPackedEnd, kPackedStart + a + 8);
    return false;
}

bool cmcPackedMap::ChannelsFit(const cmcEeprom& image, int n) {
    const uint8_t* w = MapBytes(image);
    // Signed arithmetic: zone ends beyond their limits leave no room rather than wrapping round.
    const int zone1End = Be16(w + kZone1End);
    const int packedEnd = Be16(w + kPackedEnd);
    return n * kChannelSize < kZone1Limit - zone1End && kZone2Limit - packedEnd - n * kChannelSize >= n * kExtensionSize;
}

int cmcPackedMap::ChannelRoom(const cmcEeprom& image) {
    for (int n = kChannelCount - datChannelTotal(MapBytes(image)); n >= 0; --n)
        if (ChannelsFit(image, n)) return n;
    return 0;
}

bool cmcPackedMap::KeptFor(int address, int modelType) {
    if (modelType < 0 || modelType >= kModelTypeCount || address < 0) return false;
    if (address < kPackedStart) return true;  // fixed fields before the packed area
    if (address < kZone2Limit) return false;  // rewritten by every packing
    for (const auto& b : kBlocks) {
        if (b.id == 39 || b.id == 21) continue;  // built by packing / read from the EEPROM area
        if (address >= b.home && address < b.home + b.elemSize * b.capacity && PackedFor(b, modelType))
            return true;
    }
    return false;
}

uint8_t cmcPackedMap::NormalisedBits(int address, int modelType) {
    if (modelType < 0 || modelType >= kModelTypeCount) return 0;
    uint8_t bits = 0;
    // Fixed fields of the EEPROM area: copied from the initial image or recomputed.
    if ((address >= 0 && address <= 3) || (address >= 8 && address <= 10) || (address >= kSignature && address <= kModelCode + 1) ||
        (address >= 320 && address <= 324) || (address >= kBankFirstPos && address < kBankFirstPos + kBankCount))
        bits = 0xFF;
    if (modelType == kModelDPmr446 && (address == kDesig1 || address == kDesig2)) bits = 0xFF;
    for (const auto& r : kResetBits)
        if (r.address == address && (r.models & (1 << modelType))) bits |= r.mask;
    // Flags derived from the key assignments and the opening text.
    if (address == 38303) bits |= 0x01;
    if (address == 38348) bits |= 0x04;
    if (address == 38307) bits |= 0x0E;
    if (address == 38305) bits |= 0x20;
    return bits;
}

bool cmcPackedMap::Normalise(cmcEeprom& image, const cmcEeprom& initial, int modelType, int mode) {
    uint8_t* w = MapBytes(image);
    const uint8_t* ini = MapBytes(initial);
    const bool korv = modelType == kModelKorvPmr;
    const bool lmrForm = modelType == kModelLmr || modelType == kModelDPmr446;  // LMR and dPMR446
    const bool pmrForm = !lmrForm;                                               // PMR and digital PMR
    const int kind = datChannelKind(modelType);

    // 1. After a load the blocks are unpacked first.
    if (mode == 0) Unpack(image);

    // 2. Fixed fields from the initial image.
    for (int a : {0, 1, 2, 3, 8, 9, 10, 320, 322}) w[a] = ini[a];
    for (int a = kSignature; a <= kModelCode + 1; ++a) w[a] = ini[a];
    if (modelType == kModelDPmr446) {
        w[kDesig1] = ini[kDesig1];
        w[kDesig2] = ini[kDesig2];
    }

    // 3. Indices recomputed from the tables.
    {
        const bool anyInUse = w[kFlags328] & 0x04;
        int pick = -1, firstInUse = -1;
        for (int n = 0; n < kChannelCount; ++n) {
            if (!datChannelInUse(w, n)) continue;
            if (firstInUse < 0) firstInUse = n;
            if (anyInUse || !ChannelInhibited(w, n)) {
                pick = n;
                break;
            }
        }
        if (pick < 0) pick = firstInUse;
        w[kFirstChannel] = pick >= 0 ? uint8_t(pick) : ini[kFirstChannel];

        int scan = -1;
        for (int r = 0; r < 11 && scan < 0; ++r)
            if ((w[38633 + 10 * r + 8] & ~0x10) != 0) scan = r;
        w[kFirstScanList] = scan >= 0 ? uint8_t(scan) : ini[kFirstScanList];

        int dtmf = -1;
        for (int r = 0; r < 8 && dtmf < 0; ++r)
            if (w[38743 + 21 * r + 20] != 0) dtmf = r;
        w[kFirstDtmf] = dtmf >= 0 ? uint8_t(dtmf) : ini[kFirstDtmf];

        for (int b = 0; b < kBankCount; ++b) {
            const int first = datBankFirst(w, b);
            const int end = first + datBankSize(w, b);
            int pos = -1, posAny = -1;
            for (int n = first; n < end && n < kChannelCount; ++n) {
                if (!datChannelInUse(w, n)) continue;
                if (posAny < 0) posAny = n - first;
                if (!ChannelInhibited(w, n)) {
                    pos = n - first;
                    break;
                }
            }
            w[kBankFirstPos + b] = uint8_t(pos >= 0 ? pos : posAny >= 0 ? posAny : 0);
        }
    }

    // 4. Flags the program does not edit.
    for (const auto& r : kResetBits)
        if (r.models & (1 << modelType)) TakeBits(w, ini, r.address, r.mask);

    // 5. Flags derived from the key assignments and the opening text.
    {
        const uint8_t* keys = w + kKeys;
        const int optGroup = w[38348] & 0x03;
        bool anySpace = false, anyScrambler = false, group[3] = {false, false, false};
        for (int k = 0; k < 8; ++k) {
            const uint8_t c = keys[k];
            if (c == ' ') anySpace = true;
            if (c == 'I') {
                anyScrambler = true;
                if (optGroup < 3) group[optGroup] = true;
            }
            if (c == '0' || c == '3') group[0] = true;
            if (c == '1' || c == '4') group[1] = true;
            if (c == '2' || c == '5') group[2] = true;
        }
        PutBit(w[38303], 0x01, anySpace);
        PutBit(w[38348], 0x04, anyScrambler);
        uint8_t b = uint8_t(w[38307] & ~0x0E);
        if (group[0]) b |= 0x02;
        if (group[1]) b |= 0x04;
        if (group[2]) b |= 0x08;
        if (!(b & 0x02)) b &= uint8_t(~0x20);
        if (!(b & 0x04)) b &= uint8_t(~0x40);
        if (!(b & 0x08)) b &= uint8_t(~0x80);
        w[38307] = b;
        bool openingBlank = true;
        for (int i = 0; i < 8; ++i)
            if (w[kOpeningText + i] != ' ') openingBlank = false;
        PutBit(w[38305], 0x20, openingBlank);
    }

    // 6. Bank sizes: a bank that would take the total beyond 64 channels becomes empty.
    {
        int total = 0;
        for (int b = 0; b < kBankCount; ++b) {
            const int size = datBankSize(w, b);
            if (total + size > kChannelCount)
                datSetBankSize(w, b, 0);
            else
                total += size;
        }
    }

    // 7. The two clone comments hold printable characters only.
    for (int base : {kCloneComment1, kCloneComment2})
        for (int i = 0; i < 16; ++i)
            if (w[base + i] < 32 || w[base + i] > 126) w[base + i] = ' ';

    // 8. Records through the codec: decode, reset the raw bytes to the initial image's, encode.
    datCh ch(w);
    auto reencode = [&](int recKind, int index, std::initializer_list<std::pair<int, int>> spans) {
        ch.Load(recKind, index);
        for (auto [address, length] : spans) std::memcpy(w + address, ini + address, static_cast<size_t>(length));
        ch.Store(recKind, index);
    };
    for (int i = 0; i < 9; ++i) reencode(KIND_CTone, i, {{38597 + 4 * i, 4}});
    for (int i = 0; i < 11; ++i) reencode(KIND_ScanList, i, {{38633 + 10 * i + 8, 2}});
    for (int i = 0; i < 8; ++i) reencode(KIND_Dtmf, i, {{38743 + 21 * i, 21}});

    for (int n = 0; n < kChannelCount; ++n) {
        const int recAddr = kChannels + kChannelSize * n;
        const int extAddr = kExtensions + kExtensionSize * n;
        ch.Load(kind, n);
        std::memcpy(w + recAddr, ini + recAddr, kChannelSize);
        std::memcpy(w + extAddr, ini + extAddr, kExtensionSize);
        if (!ch.inUse) continue;  // a channel not in use keeps the initial image's bytes
        ch.Store(kind, n);
        uint8_t* rec = w + recAddr;
        uint8_t* ext = w + extAddr;
        const uint8_t* iext = ini + extAddr;
        rec[28] = uint8_t((rec[28] & 0x7F) | (ini[recAddr + 28] & 0x80));
        if (lmrForm) {
            auto take = [&](int i, uint8_t mask) { ext[i] = uint8_t((ext[i] & ~mask) | (iext[i] & mask)); };
            take(0, 0x40);
            take(1, 0x08);
            take(2, 0xF1);
            take(6, 0xCF);
            ext[7] = iext[7];
            ext[9] = iext[9];
            const bool coded = ch.rxCodeNo != 0;
            PutBit(ext[1], 0x01, coded);
            PutBit(ext[2], 0x08, coded);
            PutBit(ext[2], 0x04, coded);
        }
        if (!korv) {
            ext[3] &= uint8_t(~0x08);
        } else if (!(ext[3] & 0x08)) {
            ext[3] &= uint8_t(~0x04);
        } else {
            ext[10] |= 0x80;
            ext[9] = iext[9];
            ext[6] = uint8_t((ext[6] & 0x3F) | (iext[6] & 0xC0));
        }
    }

    const int codeKind = pmrForm ? KIND_5ToneRx : KIND_2Tone;
    for (int i = 0; i < 11; ++i) {
        reencode(codeKind, i, {{39231 + 18 * i, 18}});
        if (modelType == kModelLmr && i >= 1) {
            const int f1 = Be16(w + 34932 + 4 * i);
            const int f2 = Be16(w + 34932 + 4 * i + 2);
            uint8_t* win = w + 38421 + 8 * i;
            PutBe16(win, Scaled(f1, 0.98));
            PutBe16(win + 2, Scaled(f1, 1.02));
            PutBe16(win + 4, Scaled(f2, 0.98));
            PutBe16(win + 6, Scaled(f2, 1.02));
        }
    }
    if (pmrForm)
        for (int i = 0; i < 32; ++i) reencode(KIND_5ToneTx, i, {{34936 + 4 * i, 4}, {38911 + 10 * i, 10}});

    // Bits restored without the codec.
    if (lmrForm)
        for (int i = 0; i < 32; ++i) TakeBits(w, ini, 38911 + 10 * i + 9, 0x10);
    if (korv) {
        for (int i = 0; i < 8; ++i) {
            const int r = 39455 + 16 * i;
            w[r + 10] = ini[r + 10];
            w[r + 11] = ini[r + 11];
            TakeBits(w, ini, r + 12, 0xF8);
            TakeBits(w, ini, r + 13, 0xF8);
            TakeBits(w, ini, r + 14, 0x80);
        }
        for (int i = 0; i < 32; ++i) TakeBits(w, ini, 39597 + 10 * i + 9, 0xC0);
        for (int i = 0; i < 24; ++i) TakeBits(w, ini, 40245 + 12 * i + 8, 0x40);
    }

    // 9. Packing for a clone write.
    bool overflow = false;
    if (mode == 1) overflow = Pack(image, modelType, false);
    if (mode == 2) overflow = Pack(image, modelType, true);

    // 10. Data version.
    w[kDataVersion] = 1;
    w[kDataVersion + 1] = ini[kDataVersion + 1];
    return overflow;
}

}  // namespace qx
