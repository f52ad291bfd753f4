// The display text and user character editors: texts in the radio's own encoding are drawn as its
// segment display shows them and edited in the text entry drop-down; a user character is edited
// segment by segment in the character editor.
#include "cells/cmcCellViews.h"
#include "cells/cmcDispText.h"
#include "cells/cmcEditors.h"
#include "cells/cmcEditorsInternal.h"
#include "cells/cmcReasons.h"
#include "common/cmcMessage.h"
#include "defs/cmcGTex.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>

namespace qx {

using namespace editors;

namespace {
constexpr int kMaxPerLine = 16;
constexpr int kUserTableBytes = 2 * kUserCharCount;

void SetSegments(cmcCellPaint* paint, const std::vector<uint8_t>& bytes, int perLine, const uint8_t* user,
                 int userBytes) {
    const int n = std::min<int>(static_cast<int>(bytes.size()), cmcCellPaint::kSegMax);
    std::copy_n(bytes.begin(), n, paint->segBytes);
    paint->segCount = n;
    paint->segPerLine = std::max(1, perLine);
    paint->segLines = 1;
    std::memset(paint->segUser, 0, sizeof paint->segUser);
    if (user) std::memcpy(paint->segUser, user, static_cast<size_t>(userBytes));
}
}  // namespace

bool cmcEditor::DisplayText(uint8_t* field, int length, const uint8_t* userTable, bool zeroTerminated) {
    bool changed = false;
    if (Typed() || Picked(Flex0)) {
        // One byte per character: a character the display cannot show is refused, never stored as
        // the bytes of its encoding.
        // A text longer than the field is refused whole as well: cutting it would store another name.
        const std::string refusal = NoCharacterMessage(Texts(), req_.input);
        if (!refusal.empty())
            Refuse(refusal);
        else if (BytesOf(req_.input).size() > static_cast<size_t>(length))
            Refuse(RefusedTooLong(Texts(), req_.input, length));
        else
            changed = StoreEditable(field, length, zeroTerminated, req_.input);
    }

    const std::vector<uint8_t> shown = ShownBytes(field, length, zeroTerminated);
    const std::string editable = EditableOf(shown);
    if (req_.canvas && req_.paint) {
        // The cell shows segments, not characters.
        SetSegments(req_.paint, shown, std::min(length, kMaxPerLine), userTable, kUserTableBytes);
        // A printed sheet carries the text as well, so that it can be found and copied.
        req_.paint->pictureText = editable;
        req_.display.clear();
    } else {
        req_.display = editable;
    }

    if (!FromGrid()) return changed;
    int action = Action();
    if (action == 8) action = 13;  // Backspace opens the text like Enter
    std::string start;
    bool byKey = false;
    if (action == 13) {
        start = editable;
    } else if (action >= 32 && action <= 126) {
        start = action == '.' ? EditableOf({kLonePoint}) : EditableOf({static_cast<uint8_t>(action)});
        byKey = true;
    } else {
        return changed;
    }
    cmcCellViews* views = views_;
    if (views && views->OpenTextEntry(req_, start, length, userTable, byKey)) {
        result_ = CER_Opened;
    } else if (byKey) {
        // Without the drop-down the grid's in-place editor takes the editable form.
        StartEditAt(start, static_cast<int>(start.size()), 0);
    } else {
        StartEdit(start);
    }
    return changed;
}

namespace {
// A typed pattern: decimal, or hexadecimal after "0x"; false for anything else or above 16 bits.
bool ReadPattern(const std::string& text, uint16_t* pattern) {
    const std::string t = Trim(text);
    const bool hex = t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X');
    const std::string digits = hex ? t.substr(2) : t;
    if (digits.empty() || digits.size() > 5) return false;
    for (char ch : digits)
        if (!(hex ? std::isxdigit(static_cast<unsigned char>(ch)) : std::isdigit(static_cast<unsigned char>(ch))))
            return false;
    const unsigned long v = std::strtoul(digits.c_str(), nullptr, hex ? 16 : 10);
    if (v > 0xFFFF) return false;
    *pattern = static_cast<uint16_t>(v);
    return true;
}
}  // namespace

bool cmcEditor::UserChar(uint8_t* field) {
    bool accepted = false;
    uint16_t typed = 0;
    if (Picked(Flex0)) {
        // The character editor always answers a number; anything else stores the blank pattern.
        if (!ReadPattern(req_.input, &typed)) typed = 0;
        accepted = true;
    } else if (Typed()) {
        // Typed text that is not a 16-bit number keeps the pattern: a slip of the keyboard must not
        // wipe a character drawn segment by segment.
        accepted = ReadPattern(req_.input, &typed);
        if (!accepted) RefuseTyped();
    }
    if (accepted) {
        field[0] = static_cast<uint8_t>(typed >> 8);
        field[1] = static_cast<uint8_t>(typed & 0xFF);
    }
    const uint16_t pattern = static_cast<uint16_t>((field[0] << 8) | field[1]);
    if (req_.canvas && req_.paint) {
        SetSegments(req_.paint, {static_cast<uint8_t>(kUserCharFirst)}, 1, field, 2);
        req_.display.clear();
    } else {
        req_.display = std::to_string(pattern);
    }
    if (!FromGrid()) return accepted;
    char c;
    if (Action() == CA_Enter) {
        cmcCellViews* views = views_;
        if (views && views->OpenCharEditor(req_, pattern))
            result_ = CER_Opened;
        else
            StartEdit(std::to_string(pattern));
    } else if (TypedChar(&c) && std::isdigit(static_cast<unsigned char>(c))) {
        // A digit starts the in-place editor with it, as number cells do.
        StartEditWith(c);
    }
    return accepted;
}

}  // namespace qx
