#include "image/datChannelShift.h"

#include "image/cmcImageMap.h"
#include "image/datCh.h"

namespace qx {

namespace {

bool ImagesFit(const cmcEeprom& working, const cmcEeprom& initial) {
    return working.GetSize() >= kImageSize && initial.GetSize() >= kImageSize;
}

// Moves record `from` to slot `to`; the slot keeps its own bank's flag.
void MoveRecord(uint8_t* image, int kind, int from, int to) {
    datCh record(image);
    const bool flag = datBankFlag(image, datBankOfChannel(image, to));
    record.Load(kind, from);
    record.bankFlag = flag;
    record.Store(kind, to);
}

// Slot `slot` receives the blank channel record of the initial image. It keeps its bank's flag,
// and the image's designation 3 switch stays as it is (a blank record must not turn it on).
void StoreBlank(uint8_t* image, const cmcEeprom& initial, int kind, int slot) {
    datCh blank(const_cast<uint8_t*>(initial.Data()));
    blank.Load(kind, map::kChannelCount);
    blank.Bind(image);
    blank.bankFlag = datBankFlag(image, datBankOfChannel(image, slot));
    blank.desig3Off = (image[map::kDesig3On] & 0x20) == 0;
    blank.Store(kind, slot);
}

}  // namespace

bool datChannelJoinsBank(cmcEeprom& working, const cmcEeprom& initial, int modelType, int bank, int pos) {
    if (bank < 0 || bank >= map::kBankCount || pos < 0 || pos >= map::kChannelCount) return false;
    if (!ImagesFit(working, initial)) return false;
    uint8_t* image = working.Data();
    // A full table has no room: the last channel would be pushed out of it.
    if (datChannelTotal(image) >= map::kChannelCount) return false;
    const int kind = datChannelKind(modelType);
    for (int i = map::kChannelCount - 2; i >= pos; --i) MoveRecord(image, kind, i, i + 1);
    StoreBlank(image, initial, kind, pos);
    datSetBankSize(image, bank, datBankSize(image, bank) + 1);
    return true;
}

bool datChannelLeavesBank(cmcEeprom& working, const cmcEeprom& initial, int modelType, int bank, int pos) {
    if (bank < 0 || bank >= map::kBankCount || pos < 0 || pos >= map::kChannelCount) return false;
    if (!ImagesFit(working, initial)) return false;
    uint8_t* image = working.Data();
    if (datBankSize(image, bank) <= 0) return false;
    const int kind = datChannelKind(modelType);
    for (int i = pos + 1; i < map::kChannelCount; ++i) MoveRecord(image, kind, i, i - 1);
    StoreBlank(image, initial, kind, map::kChannelCount - 1);
    datSetBankSize(image, bank, datBankSize(image, bank) - 1);
    return true;
}

}  // namespace qx
