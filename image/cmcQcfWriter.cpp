#include "image/cmcQcfWriter.h"

#include "common/cmcSafeFile.h"

#include <algorithm>

namespace qx {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

void AppendHex(std::string& out, unsigned value, int digits) {
    for (int i = digits - 1; i >= 0; --i) out += kHexDigits[(value >> (4 * i)) & 0xF];
}

// Whether `value` prints as 4 hexadecimal digits that are all decimal digits.
bool IsDecimalDigitField(int value) {
    if (value < 0 || value > 0xFFFF) return false;
    for (int i = 0; i < 4; ++i)
        if (((value >> (4 * i)) & 0xF) > 9) return false;
    return true;
}

}  // namespace

bool cmcQcfWriter::Format(const cmcEeprom& image, const cmcRange* ranges, std::string& text) {
    error_.clear();
    text.clear();
    if (!IsDecimalDigitField(model_) || !IsDecimalDigitField(extra_)) {
        error_ = "The clone file header values cannot be written as decimal digits.";
        return false;
    }
    AppendHex(text, static_cast<unsigned>(model_), 4);
    AppendHex(text, static_cast<unsigned>(extra_), 4);
    text += "\n#MapRev=" + std::to_string(mapRevision_) + "\n";
    if (ranges == nullptr) return true;

    const uint8_t* bytes = image.Data();
    for (const cmcRange* r = ranges; r->last >= r->first; ++r) {
        if (!image.IsValidAddress(r->first) || !image.IsValidAddress(r->last) || r->last > 0xFFFF) {
            error_ = "The address range " + std::to_string(r->first) + "-" + std::to_string(r->last) +
                     " lies outside the image or beyond the addresses a clone file can hold.";
            text.clear();
            return false;
        }
        text.reserve(text.size() + static_cast<size_t>(r->last - r->first + 1) * 2 +
                     static_cast<size_t>((r->last - r->first) / kBytesPerLine + 1) * 8);
        for (int address = r->first; address <= r->last; address += kBytesPerLine) {
            const int count = std::min(kBytesPerLine, r->last - address + 1);
            AppendHex(text, static_cast<unsigned>(address), 4);
            AppendHex(text, static_cast<unsigned>(count), 2);
            for (int i = 0; i < count; ++i) AppendHex(text, bytes[address + i], 2);
            text += '\n';
        }
    }
    return true;
}

bool cmcQcfWriter::Write(const std::string& path, const cmcEeprom& image, const cmcRange* ranges) {
    std::string text;
    if (!Format(image, ranges, text)) {
        error_ = "Cannot write '" + path + "': " + error_;
        return false;
    }
    return cmcWriteFileSafely(path, text, &error_);
}

}  // namespace qx
