#include "image/indFileChecks.h"

namespace qx {

bool indCheckHeader(int model, int extra, int& errorCode) {
    if (model != kQcfHeaderModel) {
        errorCode = QCF_Model;
        return false;
    }
    if (extra != kQcfHeaderExtra && extra != kQcfHeaderExtraAlt) {
        errorCode = QCF_Extra;
        return false;
    }
    return true;
}

bool indCheckMapRevision(int mapRevision) { return mapRevision == kQcfMapRevision; }

const cmcRange* indEepromAreaRanges() {
    static const cmcRange ranges[] = {{0, kEepromAreaEnd}, {1, 0}};
    return ranges;
}

std::vector<cmcRange> indRangeList(int kind) {
    if (kind == 0) return {{0x0100, kEepromAreaEnd}, {1, 0}};
    return {{0, kEepromAreaEnd}, {1, 0}};
}

void indPrepareCloneFileReader(cmcQcfFile& file, cmcEeprom& image) {
    file.AttachImage(image);
    file.SetExpectedModel(kQcfHeaderModel);
    file.SetExpectedExtra(kQcfHeaderExtra);
    file.SetCheckMapRevision(true);
    file.SetMapRevisionCheck(indCheckMapRevision);
    file.SetHeaderCheck(indCheckHeader);
}

}  // namespace qx
