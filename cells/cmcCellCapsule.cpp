#include "cells/cmcCellCapsule.h"

#include "cells/cmcAppCommands.h"
#include "cells/cmcCellTable.h"
#include "cells/cmcEditors.h"
#include "common/cmcDataDir.h"
#include "common/cmcMessage.h"
#include "defs/cmcDefLint.h"
#include "defs/cmcEvMan.h"
#include "defs/cmcFCache.h"
#include "defs/cmcGTex.h"
#include "defs/cmcHelpContext.h"
#include "image/cmcImageMap.h"
#include "image/indMain.h"

#include <cstdio>

namespace qx {

namespace {

constexpr uint32_t kGreyText = 0x00C0C0C0;  // RGB 192,192,192

// The popup commands of list operations, Edit and Help.
constexpr int kPopupListFirst = CL_PMenu_Copy;   // 75
constexpr int kPopupListLast = CL_PMenu_Insert;  // 81

}  // namespace

// ---- cmcCellCall --------------------------------------------------------------------------------

bool cmcCellCall::IsKorv() const { return modelType == kModelKorvPmr; }

void cmcCellCall::SetWord(int offset, int value) {
    image.SetByte(offset, static_cast<uint8_t>((value >> 8) & 0xFF));
    image.SetByte(offset + 1, static_cast<uint8_t>(value & 0xFF));
    wrote = true;
}

void cmcCellCall::ShowNumber(long value) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%ld", value);
    req.display.assign(buf);
}

void cmcCellCall::ShowNotApplicable(std::string_view placeholder) {
    Show(placeholder);
    cell.layout = static_cast<uint8_t>((cell.layout & ~(LF_HAlignMask | LF_VAlignMask)) | 0x01 | 0x04);
    if (req.paint) {
        req.paint->textColorSet = true;
        req.paint->textColor = kGreyText;
    }
}

void cmcCellCall::SetState(uint8_t bit, bool on) {
    if (on)
        cell.behaviour |= bit;
    else
        cell.behaviour &= static_cast<uint8_t>(~bit);
}

void cmcCellCall::StoreRecord() {
    rec.Commit();
    notify |= CN_SameIndex;
    wrote = true;
}

// ---- helpers ------------------------------------------------------------------------------------

bool ListChoice(cmcCellCall& call, const char* listKey, int itemKind, int& value) {
    cmcEditor editor(call);
    const bool changed = editor.List(listKey, itemKind, value);
    call.Opened(editor.Result());
    return changed;
}

int CurrentBank(cmcCellCall& call, int channel) {
    if (call.env.shownBank >= 0 && call.env.shownBank < map::kBankCount) return call.env.shownBank;
    if (!call.env.events) return datBankOfChannel(call.image.Data(), channel);
    if (auto answer = call.env.events->Query(EVC_QueryBank)) {
        const int bank = static_cast<int>(answer->data);
        if (bank >= 0 && bank < map::kBankCount) return bank;
    }
    return datBankOfChannel(call.image.Data(), channel);
}

// ---- entry steps --------------------------------------------------------------------------------

namespace {

// Loads the record of `kind` and `index` into the call; a digital PMR channel also gives the
// conditions M (MSK signalling on), N (off) and R (no repeater).
void LoadRecord(cmcCellCall& call, int kind, int index) {
    call.recordKind = kind;
    if (kind == KIND_None) return;
    call.rec.Load(kind, index);
    if (kind == KIND_ChKorvPmr) {
        call.mskOn = call.rec.mskSignal;
        call.mskOff = !call.rec.mskSignal;
        call.noRepeater = call.rec.mskNoRepeater;
    }
}

// A popup menu entry chosen on the cell: Edit becomes Enter; the list operations run on the
// current bank's channels (or the whole list of a bank-less kind); Help opens the help file at the
// cell's context. Returns true when the call is handled.
bool RunPopupCommand(cmcCellCall& call) {
    cmcCellRequest& req = call.req;
    if (req.popupCommand == CL_PMenu_Edit) {
        call.action = CA_Enter;
        req.popupCommand = 0;
        return false;
    }
    if (req.popupCommand >= kPopupListFirst && req.popupCommand <= kPopupListLast) {
        int first = datKindMinIndex(call.recordKind);
        int last = datKindMaxIndex(call.recordKind);
        if (call.rec.IsChannel()) {
            const int bank = CurrentBank(call, call.Index());
            first = datBankFirst(call.image.Data(), bank);
            last = datBankLast(call.image.Data(), bank);
        }
        if (call.recordKind != KIND_None && call.env.commands) call.env.commands->RunListCommand(call.env, req.popupCommand, req, call.rec, first, last);
        return true;
    }
    if (req.popupCommand == CL_PMenu_Help) {
        if (!call.env.commands || !call.env.gtex || !call.env.lists) return true;
        const std::string path = cmcDataFile(call.env.gtex->FirstLine("GI_Sys_MyHelpFile"));
        call.env.commands->OpenHelp(path, HelpContextOf(call.cell, call.image, call.modelType, *call.env.lists));
        return true;
    }
    return false;
}

// A popup menu entry works on the record of the cell whose menu it belongs to.
void LoadPopupOwnerRecord(cmcCellCall& call) {
    const cmcCellRequest& req = call.req;
    if (call.cell.category != CT_PopupMenu || !req.parent || !req.parent->cell) return;
    const cmcCellObj& owner = *req.parent->cell;
    LoadRecord(call, cmcCellCapsule::RecordKindOf(owner.category, call.modelType), owner.index);
}

// An empty memory channel shows nothing, and a key on any of its cells but the attributes goes to
// its receive frequency first: the grid replays the key there. Returns true when redirected.
// The bank-channel number heads the row and is shown for an empty channel too, or a bank of empty
// channels would show rows without numbers; a key on it still goes to the receive frequency.
bool RedirectEmptyChannel(cmcCellCall& call) {
    const cmcCellObj& cell = call.cell;
    if (cell.category != CT_Mch || call.recordKind == KIND_None || call.rec.inUse) return false;
    if (cell.label == CL_Mch_Atr || cell.label == CL_Mch_FreqR || call.action > CA_LastKey) return false;
    if (cell.label == CL_Mch_No && call.action == CA_Refresh) return false;
    call.req.label = CL_Mch_FreqR;
    call.req.redirect = 1;
    call.req.deferredAction = call.action;
    return true;
}

}  // namespace

// ---- the handler --------------------------------------------------------------------------------

cmcCellCapsule::cmcCellCapsule(const cmcCellEnv& env, const cmcCellTable* table) : env_(env), table_(table) {}

int cmcCellCapsule::RecordKindOf(int category, int modelType) {
    switch (category) {
    case CT_Mch:
    case CT_Mch_Check: return datChannelKind(modelType);
    case CT_CEdit: return KIND_UserChar;
    case CT_DTMF: return KIND_Dtmf;
    case CT_Scan: return KIND_ScanList;
    case CT_CTone: return KIND_CTone;
    case CT_RX_Code: return KIND_5ToneRx;
    case CT_TX_Code: return KIND_5ToneTx;
    case CT_UserTone: return KIND_UserTone;
    case CT_2Tone_Code: return KIND_2Tone;
    case CT_2ToneTX_Common: return KIND_2ToneTx;
    case CT_BankOp: return KIND_BankName;
    case CT_MSK_IdGroup: return KIND_MskIdGroup;
    case CT_MSK_CallList: return KIND_MskCallList;
    case CT_MSK_Msg_Status: return KIND_MskStatus;
    case CT_MSK_Msg_ShortTxt: return KIND_MskShortText;
    case CT_Dig_Msg_Status: return KIND_DigStatus;
    case CT_Null:
    case CT_PopupMenu:
    case CT_MSK_AdrRange:
    case CT_MSK_TimingErr:
    case CT_MSK_Cfg:
    case kCategoryNone:  // menu and tool bar cells without a category
        return KIND_None;
    default: {
        char text[64];
        std::snprintf(text, sizeof text, "Unknown Cell Category. (%d)", category);
        cmcFatal(text, kExitDefinitionFault);
    }
    }
}

namespace {
// Requests being served: a request made while serving another is part of the same user action.
int gDepth = 0;
}  // namespace

std::string cmcCellCapsule::ActionName(const cmcCellRequest& req) {
    if (!req.actionName.empty() || req.grid || req.userEdit || !req.cell) return req.actionName;
    // A menu or tool bar entry: its text without the accelerator mark, shortcut and ellipsis.
    std::string name;
    const std::string& text = req.cell->Text();
    for (size_t i = 0; i < text.size() && text[i] != '\t'; ++i)
        if (text[i] != '&') name += text[i];
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
    return name;
}

uint8_t cmcCellCapsule::Execute(cmcCellRequest& req, bool notify) {
    req.display.clear();
    req.refusal.clear();
    req.markReason.clear();
    req.resultFlags &= static_cast<uint8_t>(~(CRF_Warning | CRF_Error));
    req.redirect = 0;
    wrote_ = false;
    cmcCellObj* cell = req.cell;
    indMain* main = env_.main;
    if (!cell || !main) return CER_None;

    // Entry.
    cmcEeprom& image = main->WorkingImage();
    datCh rec(image.Data());
    datKorvAdr adr(image.Data());
    cmcCellCall call{req, *cell, *main, image, rec, adr, env_};
    call.modelType = main->ModelType();
    call.fromUser = req.grid != nullptr || req.userEdit;
    req.category = cell->category;
    req.label = cell->label;
    req.index = cell->index;
    LoadRecord(call, RecordKindOf(cell->category, call.modelType), cell->index);

    const bool edited = req.action != CA_Refresh || req.resultKind != CRK_Plain || req.popupCommand != 0;
    // A user action starts here (not a request the handler makes while serving one): what the
    // previous action changed becomes its own undo step, and this one takes its name.
    if (edited && gDepth == 0) main->BeginAction(ActionName(req));
    struct Depth {
        int& d;
        explicit Depth(int& depth) : d(depth) { ++d; }
        ~Depth() { --d; }
    } depth(gDepth);
    call.action = req.action == CA_Commit ? CA_Enter : req.action;
    bool handled = RunPopupCommand(call);
    // The editors read the action from the request.
    req.action = call.action;
    LoadPopupOwnerRecord(call);
    handled = handled || RedirectEmptyChannel(call);

    // Dispatch.
    if (!handled) {
        const cmcCellTable& table = table_ ? *table_ : cmcCellTable::Instance();
        if (!table.Run(call)) {
            char text[32];
            std::snprintf(text, sizeof text, "%d *Yet*", cell->label);
            req.display.assign(text);
        }
    }

    // Exit.
    wrote_ = call.wrote;
    if (call.recordKind != KIND_None) call.notify |= CN_SameIndex;
    if (notify && call.notify != 0 && req.notify) req.notify(req, call.notify);
    if (edited) {
        ScheduleDeferredCheck();
        main->NoteEdit();
    }
    return call.result;
}

uint8_t cmcCellCapsule::Probe(int category, int label, int index, uint8_t mask) {
    indMain* main = env_.main;
    if (!main) return 0;
    cmcCellObj cell;
    cell.category = category;
    cell.label = label;
    cell.index = index;
    cmcCellRequest req;
    req.cell = &cell;
    req.rowNumber = datBankOfChannel(main->WorkingImage().Data(), index);
    Execute(req, false);
    probedReason_ = req.markReason;
    return req.resultFlags & mask;
}

std::string cmcCellCapsule::Shown(const cmcCellObj& cell) {
    cmcCellObj copy = cell;
    cmcCellRequest req;
    req.cell = &copy;
    Execute(req, false);
    return req.display;
}

uint8_t cmcCellCapsule::WarningOf(int category, int label, int index) {
    return Probe(category, label, index, CRF_Warning);
}

uint8_t cmcCellCapsule::ErrorOf(int category, int label, int index) {
    return Probe(category, label, index, CRF_Error);
}

uint8_t cmcCellCapsule::RunCell(cmcCellObj& cell, int action, void* owner) {
    cmcCellRequest req;
    req.owner = owner;
    req.cell = &cell;
    req.action = action;
    return Execute(req, true);
}

// ---- keys read by name --------------------------------------------------------------------------

void RegisterCellHandlerKeys() {
    static bool done = false;
    if (done) return;
    done = true;
    using F = cmcDefFileKind;
    using K = cmcRequiredKind;
    const struct {
        const char* key;
        K kind;
        const char* usedBy;
    } keys[] = {
        {"GI_Sys_MyHelpFile", K::Section, "help command of cells"},
        {kNotAvailableKey, K::Section, "commands not available"},
        {"GI_Sheet_Sel_Misc_OnOff2", K::Sheet, "CL_Mch_SmarTrunk"},
        {"GI_Sheet_Sel_Bank_SelBankFree", K::Sheet, "CL_Bank_SelBankFree"},
        {"GI_Mess_Confirm_BankLayout", K::Section, "CL_Bank_SelBankFree"},
        {"GI_Sheet_CloneInfo", K::Sheet, "clone information window"},
        {"GI_Sheet_Mch_BankOp", K::Sheet, "bank operation sheet"},
        {"GI_AppInd_Model", K::Section, "CL_CloneInfo_Model"},
        {"GI_Mess_CloneInfo_TenKey", K::Section, "CL_CloneInfo_Model"},
        {"GI_Mess_CloneInfo_OverVolt", K::Section, "CL_CloneInfo_OverVolt"},
        {"GI_Mess_CloneInfo_Opt_Kx1", K::Section, "CL_CloneInfo_Option"},
        {"GI_Mess_CloneInfo_Opt_Kx2", K::Section, "CL_CloneInfo_Option"},
        {"GI_Mess_CloneInfo_Opt_Kx3", K::Section, "CL_CloneInfo_Option"},
        {"GI_Mess_CloneInfo_Opt_Kx4", K::Section, "CL_CloneInfo_Option"},
        {"GI_Mess_CloneInfo_Opt_Kx5", K::Section, "CL_CloneInfo_Option"},
        {"GI_Mess_CloneInfo_Opt_Kx6", K::Section, "CL_CloneInfo_Option"},
        {"GI_Mess_CloneInfo_Opt_Kx7", K::Section, "CL_CloneInfo_Option"},
        {"GI_Mess_CloneInfo_Opt_Kx8", K::Section, "CL_CloneInfo_Option"},
        {"GI_Mess_CloneInfo_Opt_Kx9", K::Section, "CL_CloneInfo_Option"},
        {"GI_PMenu_NoItem", K::Menu, "CL_Menu_Edit_Top filler"},
    };
    for (const auto& k : keys) RequireDefKey({k.key, F::Main, k.kind, k.usedBy});
}

namespace {
// Wherever the cell handler is linked, the definition checker knows the keys it reads.
const bool kKeysRegistered = (RegisterCellHandlerKeys(), true);
}  // namespace

}  // namespace qx
