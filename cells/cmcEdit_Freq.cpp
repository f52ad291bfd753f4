// The frequency editor: receive and transmit frequencies on the channel raster, and the fixed
// dPMR446 channels chosen from their table.
#include "cells/cmcEditors.h"

#include "cells/cmcEditorsInternal.h"
#include "cells/cmcNumberFilter.h"
#include "cells/cmcReasons.h"

#include <cstdio>

namespace qx {

using namespace editors;

namespace {

// The PMR446 band plan: 8 analogue channels 446.006250-446.093750 MHz in 12.5 kHz steps, then 16
// digital channels 446.103125-446.196875 MHz in 6.25 kHz steps; the list ends with "#".
const char* const kFixedChannels[kFixedChannelCount + 1] = {
    "446.006250", "446.018750", "446.031250", "446.043750", "446.056250", "446.068750", "446.081250",
    "446.093750", "446.103125", "446.109375", "446.115625", "446.121875", "446.128125", "446.134375",
    "446.140625", "446.146875", "446.153125", "446.159375", "446.165625", "446.171875", "446.178125",
    "446.184375", "446.190625", "446.196875", "#",
};

constexpr uint32_t kRasterBase = 100000;  // snapping starts at the 100 kHz boundary below
constexpr uint32_t kRasterStep = 625;

}  // namespace

std::string FormatFrequency(uint32_t hz) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%u.%06u", hz / 1000000u, hz % 1000000u);
    return buf;
}

bool SnapToRaster(uint32_t value, uint32_t* hz) {
    // r: the resolution of what was typed, the largest power of ten up to 100 kHz dividing it.
    uint64_t r = 1;
    while (r < kRasterBase && value % (r * 10) == 0) r *= 10;
    const uint64_t limit = static_cast<uint64_t>(value) + r;
    for (uint64_t f = value - value % kRasterBase; f < limit; f += kRasterStep) {
        if (f < value || (f % 2500 != 0 && f % 3125 != 0)) continue;
        if (f > kMaxFrequency) return false;
        *hz = static_cast<uint32_t>(f);
        return true;
    }
    return false;
}

bool ParseFrequency(std::string_view text, uint32_t* hz) {
    // Every typed digit counts: the text is not cut, so that a frequency typed more finely than the
    // raster is refused rather than shortened into another frequency.
    double mhz = 0;
    if (!ReadNumber(CharFilter(text, "."), &mhz)) return false;
    double v = mhz * 1000000.0 + 0.5;
    if (v < 0) v = 0;
    if (v > 799999999.5) v = 799999999.5;
    return SnapToRaster(static_cast<uint32_t>(v), hz);
}

const char* FixedChannelText(int i) { return i >= 0 && i <= kFixedChannelCount ? kFixedChannels[i] : "#"; }

uint32_t FixedChannelFrequency(int i) {
    if (i < 0 || i >= kFixedChannelCount) return 0;
    uint32_t hz = 0;
    return ParseFrequency(kFixedChannels[i], &hz) ? hz : 0;
}

int FixedChannelIndex(uint32_t hz) {
    for (int i = 0; i < kFixedChannelCount; ++i)
        if (FixedChannelFrequency(i) == hz) return i;
    return -1;
}

bool cmcEditor::Frequency(datCh& ch, cmcEditMode mode, bool fixedChannel) {
    const bool receive = mode == cmcEditMode::Receive;
    bool changed = false;
    auto apply = [&](uint32_t hz) {
        if (receive) {
            // 0 Hz is the mark of an empty channel, not a frequency to receive on.
            if (hz == 0) return;
            const bool fresh = !ch.inUse || ch.rxFreq == 0;
            const bool follow = fresh || ch.rxFreq == ch.txFreq;
            ch.rxFreq = hz;
            ch.inUse = true;
            if (follow) ch.txFreq = hz;
        } else {
            ch.txFreq = hz;
        }
        changed = true;
    };

    uint32_t hz = 0;
    if (Typed() && ParseFrequency(req_.input, &hz) && (!fixedChannel || FixedChannelIndex(hz) >= 0)) {
        apply(hz);
    } else if (TypedSomething()) {
        // Named as typed: the number the editor read, or the whole text when it holds none.
        const std::string number = CharFilter(req_.input, ".");
        double mhz = 0;
        Refuse(ReadNumber(number, &mhz) ? RefusedFrequency(Texts(), !receive, number)
                                         : RefusedNotFrequency(Texts(), Trim(req_.input)));
    }
    if (fixedChannel && Picked(Flex0)) {
        const int i = PickedItem();
        if (i >= 0 && i < kFixedChannelCount && ParseFrequency(FixedChannelText(i), &hz)) apply(hz);
    }

    const uint32_t f = receive ? ch.rxFreq : ch.txFreq;
    const bool empty = receive && (f == 0 || !ch.inUse);
    const std::string text = empty ? std::string() : FormatFrequency(f);
    SetStyle(2);
    req_.display = text;
    if (!receive && ch.txFreq == ch.rxFreq) {
        req_.display += "<-";
        SetStyle(1);
    }

    if (!FromGrid()) return changed;
    const int action = Action();
    char c = 0;
    TypedChar(&c);
    if (fixedChannel) {
        if (action == CA_Enter || action == CA_Space || action == CA_Backspace || IsDigit(c))
            OpenChooser(kSelFixedFreq, Flex0, FixedChannelIndex(f));
        return changed;
    }
    if (c == '=' && !receive) {
        StartEdit(FormatFrequency(ch.rxFreq));
    } else if (c == '.') {
        const size_t point = text.find('.');
        if (point == std::string::npos)
            StartEditWith(c);
        else
            StartEditAt(text, static_cast<int>(point + 1), static_cast<int>(text.size() - point - 1));
    } else if (IsDigit(c)) {
        StartEditWith(c);
    } else if (action == CA_Enter || action == CA_Space || action == CA_Backspace) {
        StartEdit(text);
    }
    return changed;
}

}  // namespace qx
