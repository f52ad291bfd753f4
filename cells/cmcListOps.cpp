#include "cells/cmcListOps.h"

#include "cells/cmcCellEnv.h"

#include "common/cmcMessage.h"
#include "defs/cmcCellNames.h"
#include "defs/cmcCellObj.h"
#include "defs/cmcCellRequest.h"
#include "defs/cmcEvMan.h"
#include "defs/cmcGTex.h"
#include "image/cmcImageMap.h"
#include "image/indMain.h"

#include <algorithm>

namespace qx {

// ---- clipboards ---------------------------------------------------------------------------------

void cmcClipCh::Clear() {
    records_.clear();
    kind_ = KIND_None;
    first_ = 0;
}

void cmcClipCh::Copy(uint8_t* image, int kind, int first, int count) {
    Clear();
    if (count <= 0 || !datKindTable(kind)) return;
    records_.resize(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) LoadOne(image, kind, first + i, records_[static_cast<size_t>(i)]);
    kind_ = kind;
    first_ = first;
}

void cmcClipCh::LoadOne(uint8_t* image, int kind, int index, datCh& record) {
    record.Bind(image);
    record.Load(kind, index);
}

bool cmcClipCh::Has(int kind) const { return kind != KIND_None && kind_ == kind && !records_.empty(); }

void cmcClipCh::Paste(uint8_t* image, int kind, int first, int count) {
    if (!Has(kind)) return;
    const int n = std::min(count, Count());
    for (int i = 0; i < n; ++i) StoreOne(image, kind, first + i, records_[static_cast<size_t>(i)]);
}

void cmcClipCh::StoreOne(uint8_t* image, int kind, int index, datCh& record) {
    record.Bind(image);
    record.Store(kind, index);
}

void datClipCh::StoreOne(uint8_t* image, int kind, int index, datCh& record) {
    target_.Bind(image);
    target_.Load(kind, index);
    // The stored copy takes the row's flags; the clipboard's record stays as it was copied.
    datCh stored = record;
    if (pasteRun) {
        stored.desig1 = target_.desig1;
        stored.desig2 = target_.desig2;
        stored.desig3 = target_.desig3;
    }
    stored.desig3Off = target_.desig3Off;
    stored.bankFlag = target_.bankFlag;
    cmcClipCh::StoreOne(image, kind, index, stored);
}

datClipCh& ProgramClipboard() {
    static datClipCh clipboard;
    return clipboard;
}

// A zone end beyond its limit leaves no room.
bool ChannelsFit(const uint8_t* image, int n) {
    auto word = [image](int at) { return (image[at] << 8) | image[at + 1]; };
    const long zone1 = static_cast<long>(map::kZone1Limit) - word(map::kZone1End);
    const long zone2 = static_cast<long>(map::kZone2Limit) - word(map::kPackedEnd);
    if (zone1 <= 0 || zone2 < 0) return false;
    return 34L * n < zone1 && zone2 - 34L * n >= 12L * n;
}

bool OneBankLayout(const uint8_t* image) {
    if (datBankSize(image, 0) != map::kChannelCount) return false;
    for (int b = 1; b < map::kBankCount; ++b)
        if (datBankSize(image, b) != 0) return false;
    return true;
}

// ---- the operations -----------------------------------------------------------------------------

namespace {

// The status bar colours of the texts: the system's window text on button face.
constexpr uint32_t kStatusText = clWindowText;
constexpr uint32_t kStatusBack = 0x8000000F;  // clBtnFace

bool IsChannelKind(int kind) { return kind >= KIND_ChLmr && kind <= KIND_ChDPmr446; }

bool ChannelLike(int kind) {
    const datKindInfo* info = datKindTable(kind);
    return info && (info->flags & kKindChannelLike);
}

struct ListCall {
    const cmcCellEnv& env;
    indMain& main;
    cmcCellRequest& req;
    datCh& record;
    int kind;
    int row;
    int first;  // list bounds
    int last;
    int from;   // the rows the command works on
    int to;
    uint8_t* Image() { return main.WorkingImage().Data(); }
    bool AnyInUse(int a, int b) {
        datCh r(Image());
        for (int i = a; i <= b; ++i) {
            r.Load(kind, i);
            if (r.inUse) return true;
        }
        return false;
    }
    void Select(int a, int b) {
        req.selFlags |= 2;
        req.selFirst = a;
        req.selLast = b;
    }
    void Cursor(int index) {
        req.index = index;
        req.redirect = 1;
        req.deferredAction = 0;
    }

    cmcEvMan& Events() const { return *env.events; }
    std::string Caption() const { return env.gtex->FirstLine("GI_Sys_AppTitle"); }
    bool Confirm(const char* key) const {
        return cmcShowMessage(Caption(), env.gtex->SectionText(key), cmcMsgIcon::Warning, MB_Ok | MB_Cancel) == MB_Ok;
    }
    void ErrorBox(const char* key) const {
        cmcShowMessage(Caption(), env.gtex->SectionText(key), cmcMsgIcon::Error, MB_Ok);
    }
    void Status(const char* key, bool post = false) const {
        const std::string text = env.gtex->FirstLine(key);
        if (post)
            Events().Post(EVC_StatusText, static_cast<int32_t>(kStatusText), static_cast<int32_t>(kStatusBack), text);
        else
            Events().Send(EVC_StatusText, static_cast<int32_t>(kStatusText), static_cast<int32_t>(kStatusBack), text);
    }
    // The bank the rows belong to: the one the channel/bank sheet shows (the runner's, else asked
    // through the event manager), else the row's bank.
    int CurrentBank(int row) const {
        if (env.shownBank >= 0 && env.shownBank < map::kBankCount) return env.shownBank;
        if (env.shownBank < 0) {
            if (auto answer = Events().Query(EVC_QueryBank)) {
                const int bank = static_cast<int>(answer->data);
                if (bank >= 0 && bank < map::kBankCount) return bank;
            }
        }
        return std::clamp(datBankOfChannel(main.WorkingImage().Data(), row), 0, map::kBankCount - 1);
    }
};

bool Copy(ListCall& c) {
    if (c.row < c.first || c.row > c.last) return false;
    const int a = std::max(c.from, c.first), b = std::min(c.to, c.last);
    if (a > b) return false;
    ProgramClipboard().Copy(c.Image(), c.kind, a, b - a + 1);
    c.Select(a, b);
    c.Status("GI_AppMess_S_Copy");
    return true;
}

bool Paste(ListCall& c) {
    datClipCh& clip = ProgramClipboard();
    if (c.row < c.first || c.row > c.last || !clip.Has(c.kind)) return false;
    const int n = std::min(clip.Count(), c.last - c.row + 1);
    if (c.AnyInUse(c.row, c.row + n - 1) && !c.Confirm("GI_AppMess_Conv_Overwrite")) return false;
    clip.pasteRun = true;
    clip.Paste(c.Image(), c.kind, c.row, n);
    clip.pasteRun = false;
    if (n == 1)
        c.Events().Post(EVC_RedrawIndex, 0, c.row);
    else
        c.Events().Post(EVC_RedrawLabelled);
    c.Select(c.row, c.row + n - 1);
    c.Status("GI_AppMess_S_Paste");
    return true;
}

bool Carry(ListCall& c, int d) {
    const int a = std::max(c.from, c.first), b = std::min(c.to, c.last);
    if (a > b) return false;
    if (d > 0 ? b >= c.last : a <= c.first) return false;
    datClipCh neighbour, range;
    uint8_t* image = c.Image();
    neighbour.Copy(image, c.kind, d > 0 ? b + 1 : a - 1, 1);
    range.Copy(image, c.kind, a, b - a + 1);
    range.Paste(image, c.kind, a + d, range.Count());
    neighbour.Paste(image, c.kind, d > 0 ? a : b, 1);
    c.Select(a + d, b + d);
    c.Cursor(d > 0 ? b + d : a + d);
    c.Events().Post(EVC_RedrawLabelled);
    return true;
}

bool Clear(ListCall& c) {
    if (!ChannelLike(c.kind)) return false;
    const int a = std::max(c.from, c.first), b = std::min(c.to, c.last);
    if (a > b) return false;
    if (!c.Confirm("GI_AppMess_Conv_Clear")) return false;
    datClipCh blank;
    blank.Copy(c.main.InitialImage().Data(), c.kind, a, b - a + 1);
    blank.pasteRun = true;
    blank.Paste(c.Image(), c.kind, a, blank.Count());
    for (int i = a; i <= b; ++i) c.Events().Post(EVC_RedrawIndex, 0, i);
    c.Status("GI_AppMess_S_Clear");
    return true;
}

// Delete and Insert move memory channels between bank positions; the other channel-like list
// (user characters) has no banks, so they are not offered there.
bool Delete(ListCall& c) {
    if (!IsChannelKind(c.kind)) return false;
    // Only rows of the bank: a row beyond it would take a channel of the next bank away.
    const int a = std::max(c.from, c.first), b = std::min(c.to, c.last);
    if (a > b || c.row < c.first || c.row > c.last) return false;
    if (c.AnyInUse(a, b) && !c.Confirm("GI_AppMess_Conv_Delete")) return false;
    uint8_t* image = c.Image();
    const int at = std::min(a, c.row);
    datCh r(image);
    bool refused = false, desig3 = false;
    for (int i = at; i <= b; ++i) {
        r.Load(c.kind, i);
        if ((r.desig1 || r.desig2) && c.main.ModelType() != kModelDPmr446) refused = true;
        if (r.desig3 && !r.desig3Off) desig3 = true;
    }
    if (refused) {
        c.ErrorBox("GI_AppMess_ChErr_DelPrio");
    } else {
        if (desig3) {
            r.desig3Off = true;
            r.Store();
        }
        const int bank = c.CurrentBank(at);
        const bool keepRows = OneBankLayout(image);
        cmcBulkEdit bulk;
        for (int i = a; i <= b; ++i) c.Events().Send(EVC_ChannelLeavesBank, bank, at);
        // The one bank of 64 channels stays so: blank rows come in at its end.
        if (keepRows)
            for (int i = a; i <= b; ++i)
                c.Events().Send(EVC_ChannelJoinsBank, bank, datBankFirst(image, bank) + datBankSize(image, bank));
    }
    c.req.selFlags &= static_cast<uint8_t>(~2);
    c.Cursor(a);
    c.Events().Post(EVC_RedrawLabelled);
    if (!refused) c.Status("GI_AppMess_S_Delete", true);
    return !refused;
}

bool Insert(ListCall& c, int category) {
    if (!IsChannelKind(c.kind)) return false;
    uint8_t* image = c.Image();
    const int bank = c.CurrentBank(c.row);
    // The new channels go to a position of the bank: from its first channel to just after its last.
    const int bankFirst = datBankFirst(image, bank);
    const int at = std::clamp(std::min(c.from, c.row), bankFirst, bankFirst + datBankSize(image, bank));
    const int count = c.to - c.from + 1;
    int inserted = 0;
    bool withinBank = false;
    for (int i = 0; i < count; ++i) {
        if (datChannelTotal(image) >= map::kChannelCount || (category == CT_Mch && !ChannelsFit(image, 1))) {
            // No room for one more channel: a bank whose last row is not in use (the one bank of
            // 64 channels) makes room within itself. That row goes, the rows from the position
            // move down, and the bank keeps its size.
            const int lastRow = bankFirst + datBankSize(image, bank) - 1;
            if (lastRow < bankFirst || at > lastRow || c.AnyInUse(lastRow, lastRow)) {
                c.ErrorBox("GI_AppMess_ChErr_Overflow");
                break;
            }
            cmcBulkEdit bulk;
            c.Events().Send(EVC_ChannelLeavesBank, bank, lastRow);
            c.Events().Send(EVC_ChannelJoinsBank, bank, at);
            withinBank = true;
        } else {
            c.Events().Send(EVC_ChannelJoinsBank, bank, at);
        }
        c.main.PackImage(c.main.WorkingImage(), false);
        ++inserted;
    }
    if (inserted == 0) return false;
    // Rows leaving the bank's end moved the grid's cursor: it goes back to the position, and the
    // status comes after that move (a move clears it), as Delete's does.
    if (withinBank) c.Cursor(at);
    c.Select(at, at + inserted - 1);
    c.Status("GI_AppMess_S_Insert", withinBank);
    return true;
}

}  // namespace

bool cmcRunListCommand(const cmcCellEnv& env, int command, cmcCellRequest& req, datCh& record, int first, int last) {
    if (!env.main) return false;
    indMain& main = *env.main;
    const int row = record.Index();
    ListCall c{env, main, req, record, record.Kind(), row, first, last, row, row};
    if (req.selFlags & 1) {
        c.from = std::min(req.selFirst, req.selLast);
        c.to = std::max(req.selFirst, req.selLast);
    }
    req.selFlags &= static_cast<uint8_t>(~2);
    const int category = req.cell ? req.cell->category : CT_Null;
    bool ran = false;
    switch (command) {
    case CL_PMenu_Copy: ran = Copy(c); break;
    case CL_PMenu_Paste: ran = Paste(c); break;
    case CL_PMenu_CarryUp: ran = Carry(c, -1); break;
    case CL_PMenu_CarryDown: ran = Carry(c, +1); break;
    case CL_PMenu_Clear: ran = Clear(c); break;
    case CL_PMenu_Delete: ran = Delete(c); break;
    case CL_PMenu_Insert: ran = Insert(c, category); break;
    default: break;
    }
    // The packed area's ends follow the channel table (the capacity rule reads them).
    if (ran && command != CL_PMenu_Copy) main.PackImage(main.WorkingImage(), false);
    record.Reload();
    return ran;
}

}  // namespace qx
