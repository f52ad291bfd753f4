#include "defs/cmcDefLint.h"

#include "common/cmcDataDir.h"
#include "common/cmcMessage.h"
#include "defs/cmcGTex.h"

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>

namespace qx {

// ---- The keys the program looks up by name --------------------------------------------------------
//
// Add a line here for every key your code reads by a fixed name, so that `lint` (and `make test`)
// find a definition file that lacks it.
namespace {

using K = cmcRequiredKind;
using F = cmcDefFileKind;

const cmcRequiredKey kRequiredKeys[] = {
    // Program-wide texts.
    {"GI_Sys_AppTitle", F::Main, K::Section, "message box captions"},
    // Clone file messages.
    {"GI_Mess_FileErr_Headline", F::Main, K::Section, "clone file loading"},
    {"GI_Mess_FileErr_FileOpen", F::Main, K::Section, "clone file loading"},
    {"GI_Mess_FileErr_FileAccess", F::Main, K::Section, "clone file loading"},
    {"GI_Mess_FileErr_Model", F::Main, K::Section, "clone file loading"},
    {"GI_Mess_FileErr_Extra", F::Main, K::Section, "clone file loading"},
    {"GI_Mess_FileErr_MapRev", F::Main, K::Section, "clone file loading"},
    {"GI_Mess_FileErr_Format", F::Main, K::Section, "clone file loading"},
    {"GI_Mess_FileErr_Coverage", F::Main, K::Section, "clone file loading"},
    {"GI_Mess_FileErr_Data", F::Main, K::Section, "clone file loading"},
    {"GI_Mess_FileErr_Newer", F::Main, K::Section, "clone file loading"},
    {"GI_Mess_FileErr_TooLarge", F::Main, K::Section, "clone file loading"},
    // Port selection dialog.
    {"GI_AppInd_Opt_ComSel_Caption", F::Main, K::Section, "port selection dialog"},
    {"GI_AppInd_Opt_ComSel_Buttons", F::Main, K::Section, "port selection dialog"},
    {"GI_AppInd_Opt_ComSel_SizeOfButtons", F::Main, K::Section, "port selection dialog"},
    {"GI_AppInd_Opt_ComSel_Notice", F::Main, K::Section, "port selection dialog"},
    {"GI_AppInd_Opt_ComSel_OutofRange", F::Main, K::Section, "port selection dialog"},
    {"GI_AppInd_Opt_ComSel_NoDevice", F::Main, K::Section, "port selection dialog"},
    // Cell models and popup menus that the program's own sheets (the flag window) name.
    {"CellModel_Basic", F::Main, K::Section, "sheets, flag window"},
    {"CellModel_iChI", F::Main, K::Section, "flag window"},
    {"CellModel_eWh", F::Main, K::Section, "flag window"},
    {"CellModel_iQp", F::Main, K::Section, "flag window"},
    {"GI_PMenu_NoItem", F::Main, K::Menu, "sheets, Edit menu filler"},
    {"GI_PMenu_Edit", F::Main, K::Menu, "cells of CellModel_Basic"},
    {"GI_PMenu_Mch", F::Main, K::Menu, "qx-p2210-cli rows: commands of a memory channel row"},
    {"GI_PMenu_List", F::Main, K::Menu, "qx-p2210-cli rows: commands of a list row"},
    {"GI_Form_Main_BasicCell", F::Main, K::Section, "main window font"},
    // Display texts and memory channels.
    {"GI_PCG_Seg_Data", F::Main, K::Section, "segment display of texts"},
    {"GI_Sheet_Sel_Text", F::Main, K::Sheet, "text entry drop-down"},
    {"GI_AppMess_DispText_NoChar", F::Main, K::Section, "display texts: a character the display has no code for"},
    {"GI_AppMess_Refused", F::Main, K::Section, "why a typed or picked value was refused"},
    {"GI_AppMess_MarkReason", F::Main, K::Section, "why a cell carries a warning or error mark"},
    {"GI_AppMess_CheckMark", F::Main, K::Section, "warning and error marks of cells and tree nodes"},
    {"GI_AppInd_CharacterEditorCaption", F::Main, K::Section, "user character editor"},
    {"GI_AppInd_Button_OkCancel", F::Main, K::Section, "drop-downs, flag window, character editor"},
    {"GI_Sheet_Mch_Lmr", F::Main, K::Sheet, "memory channel sheet (LMR)"},
    {"GI_Sheet_Mch_Pmr", F::Main, K::Sheet, "memory channel sheet (PMR)"},
    {"GI_Sheet_Mch_PmrK", F::Main, K::Sheet, "memory channel sheet (Korv PMR)"},
    {"GI_Sheet_Mch_DPmr446", F::Main, K::Sheet, "memory channel sheet (dPMR446)"},
    {"GI_Sheet_Sel_Mch_Atr", F::Main, K::Sheet, "memory channel cells"},
    {"GI_Sheet_Sel_Mch_Atr_ExSmt", F::Main, K::Sheet, "memory channel cells"},
    {"GI_Sheet_Sel_Mch_ChInh", F::Main, K::Sheet, "memory channel cells"},
    {"GI_Sheet_Sel_Mch_CH_TxInh", F::Main, K::Sheet, "memory channel cells"},
    {"GI_Sheet_Sel_Mch_Nar", F::Main, K::Sheet, "memory channel cells"},
    {"GI_Sheet_Sel_Mch_RfPwr_Lmr", F::Main, K::Sheet, "memory channel cells, channel plans (watts)"},
    {"GI_Sheet_Sel_Mch_RfPwr_Pmr", F::Main, K::Sheet, "memory channel cells, channel plans (watts)"},
    {"GI_Sheet_Sel_Mch_RfPwr_PmrK", F::Main, K::Sheet, "memory channel cells, channel plans (watts)"},
    {"GI_Sheet_Sel_Mch_RfPwr_DPmr446", F::Main, K::Sheet, "memory channel cells, channel plans (watts)"},
    {"GI_Sheet_Sel_Mch_Lockout_Lmr", F::Main, K::Sheet, "memory channel cells"},
    {"GI_Sheet_Sel_Mch_Lockout_Pmr", F::Main, K::Sheet, "memory channel cells"},
    {"GI_Sheet_Sel_Mch_AutoReset_Lmr", F::Main, K::Sheet, "memory channel cells"},
    {"GI_Sheet_Sel_Mch_AutoReset_Pmr", F::Main, K::Sheet, "memory channel cells"},
    {"GI_Sheet_Sel_Mch_2Tone", F::Main, K::Sheet, "memory channel cells"},
    {"GI_Sheet_Sel_Mch_Log_Lmr", F::Main, K::Sheet, "memory channel cells"},
    {"GI_Sheet_Sel_Mch_Log_Pmr", F::Main, K::Sheet, "memory channel cells"},
    {"GI_Sheet_Sel_Mch_ScanInc", F::Main, K::Sheet, "memory channel cells"},
    {"GI_Sheet_Sel_Mch_ScramOn", F::Main, K::Sheet, "memory channel cells"},
    {"GI_Sheet_Sel_Mch_Moni", F::Main, K::Sheet, "memory channel cells"},
    {"GI_Sheet_Sel_Mch_Sel", F::Main, K::Sheet, "memory channel cells"},
    {"GI_Sheet_Sel_Mch_Call", F::Main, K::Sheet, "memory channel cells"},
    {"GI_Sheet_Sel_Mch_Ptt", F::Main, K::Sheet, "memory channel cells"},
    {"GI_Sheet_Sel_Mch_ChMute", F::Main, K::Sheet, "memory channel cells"},
    {"GI_Sheet_Sel_Mch_Form", F::Main, K::Sheet, "memory channel cells"},
    {"GI_Sheet_Sel_Mch_LTone", F::Main, K::Sheet, "memory channel cells"},
    {"GI_Sheet_Sel_Mch_Pos", F::Main, K::Sheet, "memory channel cells"},
    {"GI_Sheet_Sel_Mch_Msk_Signal_Pmr", F::Main, K::Sheet, "memory channel cells"},
    {"GI_Sheet_Sel_Mch_SendStatus", F::Main, K::Sheet, "memory channel cells"},
    {"GI_Sheet_Sel_Mch_Msk_ID", F::Main, K::Sheet, "memory channel cells"},
    {"GI_Sheet_Sel_Mch_Dig_Signal", F::Main, K::Sheet, "memory channel cells"},
    {"GI_Sheet_Sel_Mch_ColourCode", F::Main, K::Sheet, "memory channel cells"},
    {"GI_Sys_TreeChangeDelay", F::Main, K::Section, "topic tree"},
    {"GI_Menu_Main", F::Main, K::Menu, "main window menu bar"},
    {"GI_ToolBar_Main", F::Main, K::Menu, "main window tool bar"},
    {"GI_Tree_Main", F::Main, K::Menu, "topic tree"},
    {"GI_Tree_Branch_Mch_BankOperation", F::Main, K::Section, "topic tree, bank branch"},
    {"GI_Tree_Branch_Mch_Bank", F::Main, K::Section, "topic tree, bank branch"},
    {"GI_AppInd_BankUnnamed", F::Main, K::Section, "topic tree, bank branch"},
    {"GI_AppInd_BankFreeUnnamed", F::Main, K::Section, "topic tree, dPMR446 free bank"},
    {"GI_WarningCheckList", F::Main, K::Section, "warning check"},
    {"GI_AppMess_About", F::Main, K::Section, "about box"},
    {"GI_AppMess_AboutVersion", F::Main, K::Section, "about box"},
    {"GI_AppInd_PortMenu", F::Main, K::Section, "port menu entries"},
    {"GI_AppInd_Undo", F::Main, K::Section, "undo and redo menu entries"},
    {"GI_AppMess_BulkEdit", F::Main, K::Section, "an edit of many selected rows: undo name, status"},
    {"GI_AppInd_ClonePhase", F::Main, K::Section, "cloning window phases"},
    {"GI_Mess_Backup_Failed", F::Main, K::Section, "backup before a clone write"},
    {"GI_Mess_Backup_Short", F::Main, K::Section, "backup before a clone write"},
    {"GI_Mess_FleetLog_Failed", F::Main, K::Section, "a clone write the fleet log could not record"},
    {"GI_Mess_CloneErr_Phase", F::Main, K::Section, "clone write failures"},
    {"GI_Mess_Confirm_OtherModel", F::Main, K::Section, "clone write into another model type"},
    {"GI_AppInd_FileDialog", F::Main, K::Section, "open and save dialogs"},
    {"GI_Mess_Confirm_WriteFile", F::Main, K::Section, "unsaved-changes question"},
    {"GI_Mess_Confirm_SaveChanges", F::Main, K::Section, "unsaved-changes question (Save, Discard, Cancel)"},
    {"GI_Sheet_CloneInfo", F::Main, K::Sheet, "clone information window"},
    // List operations (popup commands of record lists).
    {"GI_AppMess_Conv_Overwrite", F::Main, K::Section, "list operations: paste"},
    {"GI_AppMess_Conv_Clear", F::Main, K::Section, "list operations: clear"},
    {"GI_AppMess_Conv_Delete", F::Main, K::Section, "list operations: delete"},
    {"GI_AppMess_ChErr_DelPrio", F::Main, K::Section, "list operations: delete"},
    {"GI_AppMess_ChErr_Overflow", F::Main, K::Section, "list operations: insert"},
    {"GI_AppMess_S_Copy", F::Main, K::Section, "list operations: status"},
    {"GI_AppMess_S_Paste", F::Main, K::Section, "list operations: status"},
    {"GI_AppMess_S_Clear", F::Main, K::Section, "list operations: status"},
    {"GI_AppMess_S_Delete", F::Main, K::Section, "list operations: status"},
    {"GI_AppMess_S_Insert", F::Main, K::Section, "list operations: status"},
    // Printing, PDF export and the help window.
    {"GI_Sys_AppTitleRev", F::Main, K::Section, "printed page frame"},
    {"GI_Sys_Maker", F::Main, K::Section, "printed page frame"},
    {"GI_Sys_Printer_Margins", F::Main, K::Section, "printing"},
    {"GI_Sys_Printer_FrameFont", F::Main, K::Section, "printing"},
    {"GI_Sys_Printer_FontPoints", F::Main, K::Section, "printing"},
    {"GI_Sys_Printer_NoPrinter", F::Main, K::Section, "printing"},
    {"GI_Sys_Printer_PrintingDialog", F::Main, K::Section, "printing dialog"},
    {"GI_Sys_Printer_Footer", F::Main, K::Section, "printed page footer, PDF title"},
    {"GI_AppMess_PrintOutputError", F::Main, K::Section, "printing, PDF export"},
    {"GI_AppMess_PrintNothing", F::Main, K::Section, "PDF export without pages"},
    {"GI_AppInd_PdfDialog", F::Main, K::Section, "PDF export"},
    {"GI_AppInd_HelpWindow", F::Main, K::Section, "help window"},
    {"GI_AppMess_HelpMissing", F::Main, K::Section, "help window"},
    // Help tables.
    {"GI_AppItem_Topic_ID", F::Help, K::Section, "help command"},
    {"GI_AppItem_Key_Assign_Topic_ID", F::Help, K::Section, "help command"},
    {"GI_AppItem_Context_ID", F::Help, K::Section, "help command"},
};

std::vector<cmcRequiredKey>& Registry() {
    static std::vector<cmcRequiredKey> keys(std::begin(kRequiredKeys), std::end(kRequiredKeys));
    return keys;
}

std::vector<cmcDefLintCheck>& ExtraChecks() {
    static std::vector<cmcDefLintCheck> checks;
    return checks;
}

const char* kMainFile = "ZT5531K.OVL";
const char* kHelpFile = "ZT5531KH.OVL";
constexpr int kMaxLine = 8191;  // the store's longest line

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }
bool EndsWith(std::string_view s, std::string_view suffix) {
    return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

std::string FileNameOf(cmcDefFileKind k) { return k == cmcDefFileKind::Main ? kMainFile : kHelpFile; }

}  // namespace

const std::vector<cmcRequiredKey>& RequiredDefKeys() { return Registry(); }
void RequireDefKey(cmcRequiredKey key) { Registry().push_back(std::move(key)); }
void AddDefLintCheck(cmcDefLintCheck check) { ExtraChecks().push_back(std::move(check)); }

std::string FormatLintProblem(const cmcLintProblem& p) {
    std::string msg = p.message;
    std::replace(msg.begin(), msg.end(), '\n', ' ');
    std::string out = p.file + ":" + std::to_string(p.line) + ": ";
    if (!p.key.empty()) out += p.key + ": ";
    return out + msg;
}

// ---- cmcDefFile ---------------------------------------------------------------------------------

bool cmcDefFile::Load(const std::string& path) {
    name_ = path.substr(path.find_last_of('/') + 1);
    lines_.clear();
    heads_.clear();
    found_.clear();
    endAt_ = -1;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::string physical;
    int number = 0;
    while (std::getline(in, physical)) {
        ++number;
        if (!physical.empty() && physical.back() == '\r') physical.pop_back();
        size_t pos = 0;
        do {
            lines_.push_back({number, physical.substr(pos, kMaxLine)});
            pos += kMaxLine;
        } while (pos < physical.size());
    }
    std::set<std::string> seen;
    for (int i = 0; i < static_cast<int>(lines_.size()); ++i) {
        const std::string& t = lines_[i].text;
        if (t.size() < 2 || t[0] != '#') continue;
        heads_.push_back({t.substr(1), i});
        if (endAt_ < 0 && seen.insert(heads_.back().key).second) found_.push_back(static_cast<int>(heads_.size()) - 1);
        if (endAt_ < 0 && heads_.back().key == "End_Of_Ovl") endAt_ = i;
    }
    return true;
}

const cmcDefFile::Head* cmcDefFile::Find(const std::string& key) const {
    for (int h : found_)
        if (heads_[h].key == key) return &heads_[h];
    return nullptr;
}

const cmcDefFile::Line* cmcDefFile::BodyLine(const Head& head, int n) const {
    size_t i = static_cast<size_t>(head.at) + 1 + static_cast<size_t>(n);
    return n >= 0 && i < lines_.size() ? &lines_[i] : nullptr;
}

std::vector<const cmcDefFile::Line*> cmcDefFile::ListLines(const Head& head, bool* ended) const {
    std::vector<const Line*> out;
    if (ended) *ended = false;
    for (int n = 0;; ++n) {
        const Line* l = BodyLine(head, n);
        if (!l) return out;
        if (!l->text.empty() && l->text[0] == '#') {
            if (ended) *ended = true;
            return out;
        }
        out.push_back(l);
    }
}

// ---- cmcDefLintContext ----------------------------------------------------------------------------

namespace {

// Reports what the parser passes over, and popup menus that do not exist, at the line being parsed.
class LintObserver final : public cmcCellParseObserver {
public:
    LintObserver(cmcDefLintContext& ctx, const cmcDefLintContext::Where& at) : ctx_(ctx), at_(at) {}
    void Ignored(const std::string& what) override { ctx_.Report(at_, what); }
    void PopupKeyNamed(const std::string& key) override { ctx_.CheckMenuSections(at_, key); }

private:
    cmcDefLintContext& ctx_;
    const cmcDefLintContext::Where& at_;
};

}  // namespace

void cmcDefLintContext::Report(const Where& at, const std::string& message) {
    cmcLintProblem p{FileNameOf(at.file), at.line, at.key, message};
    for (const auto& q : problems_)
        if (q.file == p.file && q.line == p.line && q.key == p.key && q.message == p.message) return;
    problems_.push_back(std::move(p));
}

bool cmcDefLintContext::Guard(const Where& at, const std::function<void()>& fn) {
    try {
        fn();
        return true;
    } catch (const cmcFatalError& e) {
        Report(at, e.text());
        return false;
    }
}

bool cmcDefLintContext::ParseDescription(const Where& at, std::string_view desc, cmcCellObj* cell,
                                         cmcCellCounters* counters, const cmcCellObj* model) {
    LintObserver observer(*this, at);
    cmcScopedCellParseObserver scope(&observer);
    return Guard(at, [&] { ParseCell(desc, cell, counters, model); });
}

int cmcDefLintContext::ParseRow(const Where& at, std::string_view row, cmcCellCounters* counters,
                                const cmcCellObj* model, std::vector<cmcCellObj>* cells) {
    int n = 0;
    while (!row.empty()) {
        // Cut first, so that a faulty cell does not hide the ones after it.
        std::string_view rest;
        std::string_view desc = CutCellDescription(row, &rest);
        cmcCellObj cell;
        ParseDescription(at, desc, &cell, counters, model);
        if (cells) cells->push_back(std::move(cell));
        ++n;
        row = rest;
    }
    return n;
}

cmcDefLintContext::Where cmcDefLintContext::BodyWhere(cmcDefFileKind file, const cmcDefFile::Head& head, int n) const {
    const cmcDefFile& f = file == cmcDefFileKind::Main ? main_ : help_;
    const cmcDefFile::Line* l = f.BodyLine(head, n);
    return {file, l ? l->number : f.Lines()[head.at].number, head.key};
}

cmcDefLintContext::Where cmcDefLintContext::HeadWhere(cmcDefFileKind file, const cmcDefFile::Head& head) const {
    const cmcDefFile& f = file == cmcDefFileKind::Main ? main_ : help_;
    return {file, f.Lines()[head.at].number, head.key};
}

const cmcDefFile::Line* cmcDefLintContext::FirstLine(cmcDefFileKind file, const cmcDefFile::Head& head) {
    const cmcDefFile::Line* l = File(file).BodyLine(head, 0);
    if (!l || (!l->text.empty() && l->text[0] == '#')) {
        Report(HeadWhere(file, head), "empty section: line 0 is " +
                                          (l ? "the line '" + l->text + "'" : std::string("past the end of the file")));
        return nullptr;
    }
    return l;
}

bool cmcDefLintContext::CheckSheetSections(const Where& at, const std::string& base) {
    bool ok = true;
    for (const char* suffix : {"_Style", "_BasicCell", "_Cells"})
        if (!main_.Has(base + suffix)) {
            Report(at, "sheet '" + base + "' has no section '" + base + suffix + "'");
            ok = false;
        }
    return ok;
}

bool cmcDefLintContext::CheckMenuSections(const Where& at, const std::string& base) {
    bool ok = true;
    for (const char* suffix : {"_BasicCell", "_Body"})
        if (!main_.Has(base + suffix)) {
            Report(at, "popup menu '" + base + "' has no section '" + base + suffix + "'");
            ok = false;
        }
    return ok;
}

// ---- The checks -----------------------------------------------------------------------------------

namespace {

using Where = cmcDefLintContext::Where;

void CheckStructure(cmcDefLintContext& ctx, cmcDefFileKind kind) {
    cmcDefFile& f = ctx.File(kind);
    if (!f.HasEnd())
        ctx.Report({kind, 0, ""}, "no line '#End_Of_Ovl': a lookup of a missing key reads to the end of the file");
    bool afterEnd = false;
    std::set<std::string> seen;
    for (const auto& h : f.Heads()) {
        Where at = ctx.HeadWhere(kind, h);
        if (afterEnd) {
            ctx.Report(at, "section after '#End_Of_Ovl' is never read");
            continue;
        }
        if (h.key == "End_Of_Ovl") {
            afterEnd = true;
            continue;
        }
        if (!seen.insert(h.key).second) {
            const cmcDefFile::Head* first = f.Find(h.key);
            ctx.Report(at, "duplicate section: the one at line " + std::to_string(f.Lines()[first->at].number) +
                               " is the one read");
        }
    }
}

// The heads the store finds, in file order.
std::vector<const cmcDefFile::Head*> FoundHeads(cmcDefFile& f) {
    std::vector<const cmcDefFile::Head*> out;
    for (const auto& h : f.Heads())
        if (f.Find(h.key) == &h && h.key != "End_Of_Ovl") out.push_back(&h);
    return out;
}

void CheckModels(cmcDefLintContext& ctx) {
    for (const auto* h : FoundHeads(ctx.Main())) {
        if (!StartsWith(h->key, "CellModel_")) continue;
        const cmcDefFile::Line* l = ctx.FirstLine(F::Main, *h);
        if (!l) continue;
        // Applied as "$" would apply it; counters are at hand, as in a sheet.
        cmcCellCounters counters;
        cmcCellObj cell;
        ctx.ParseDescription(ctx.BodyWhere(F::Main, *h, 0), "{($" + h->key.substr(10) + ")}", &cell, &counters,
                             nullptr);
    }
}

// Calls `f` with the text of every "(...)" group of `line`, in order; an unclosed group is reported
// as "unclosed <what> '<rest of the line>'" and ends the scan.
template <class Fn>
void ForEachGroup(cmcDefLintContext& ctx, const Where& at, const std::string& line, const char* what, Fn&& f) {
    size_t i = 0;
    while ((i = line.find('(', i)) != std::string::npos) {
        size_t close = line.find(')', i + 1);
        if (close == std::string::npos) {
            ctx.Report(at, std::string("unclosed ") + what + " '" + line.substr(i) + "'");
            return;
        }
        f(line.substr(i + 1, close - i - 1));
        i = close + 1;
    }
}

// Properties of a sheet's style line.
void CheckStyle(cmcDefLintContext& ctx, const Where& at, const std::string& line) {
    ForEachGroup(ctx, at, line, "style property", [&](const std::string& prop) {
        size_t eq = prop.find('=');
        std::string value = eq == std::string::npos ? "" : prop.substr(eq + 1);
        if (StartsWith(prop, "TitleColor")) {
            if (!FindColour(value, nullptr)) ctx.Report(at, "unknown colour in style property '(" + prop + ")'");
        } else if (StartsWith(prop, "TitleFont")) {
            cmcFont f;
            ApplyFontSpec(f, value, [&](const std::string& what) { ctx.Report(at, what); });
        } else if (StartsWith(prop, "MultiSelect")) {
            if (value != "Cell" && value != "Line")
                ctx.Report(at, "MultiSelect value '" + value + "' gives no multiple selection (use Cell or Line)");
        } else if (prop == "NoPrint" || StartsWith(prop, "TitleString") || StartsWith(prop, "FixedCols") ||
                   StartsWith(prop, "FixedRows") || StartsWith(prop, "PrintFontRatio")) {
        } else {
            ctx.Report(at, "unknown style property '(" + prop + ")'");
        }
    });
}

// Directives of a rows section line that starts with ":".
void CheckDirectives(cmcDefLintContext& ctx, const Where& at, const std::string& line) {
    static const char* const kDirectives[] = {"Only_Pmr",      "Only_Lmr",        "Only_KORV",    "Only_notKORV",
                                              "Only_SACC",     "Only_EACC",       "Only_notDPmr446", "Only_DPmr446",
                                              "Only_EEDIT",    "Only_notEEDIT",   "LoopFrom",     "LoopTo",
                                              "SelectON",      "SelectOFF"};
    ForEachGroup(ctx, at, line, "directive", [&](const std::string& d) {
        bool known = std::any_of(std::begin(kDirectives), std::end(kDirectives),
                                 [&](const char* name) { return StartsWith(d, name); });
        if (!known) ctx.Report(at, "unknown directive '(" + d + ")'");
    });
}

void CheckSheets(cmcDefLintContext& ctx) {
    std::vector<std::pair<std::string, const cmcDefFile::Head*>> bases;  // base key, first head seen
    for (const auto* h : FoundHeads(ctx.Main())) {
        if (!StartsWith(h->key, "GI_Sheet_")) continue;
        for (const char* suffix : {"_Style", "_BasicCell", "_Cells"})
            if (EndsWith(h->key, suffix)) {
                std::string base = h->key.substr(0, h->key.size() - std::string_view(suffix).size());
                if (std::none_of(bases.begin(), bases.end(), [&](auto& b) { return b.first == base; }))
                    bases.push_back({base, h});
                break;
            }
    }
    cmcDefFile& f = ctx.Main();
    for (const auto& [base, first] : bases) {
        if (!ctx.CheckSheetSections(ctx.HeadWhere(F::Main, *first), base)) continue;

        const cmcDefFile::Head* style = f.Find(base + "_Style");
        if (const cmcDefFile::Line* l = ctx.FirstLine(F::Main, *style))
            CheckStyle(ctx, ctx.BodyWhere(F::Main, *style, 0), l->text);

        const cmcDefFile::Head* basicHead = f.Find(base + "_BasicCell");
        cmcCellObj basic;
        if (const cmcDefFile::Line* l = ctx.FirstLine(F::Main, *basicHead))
            ctx.ParseDescription(ctx.BodyWhere(F::Main, *basicHead, 0), l->text, &basic, nullptr, nullptr);

        const cmcDefFile::Head* cells = f.Find(base + "_Cells");
        bool ended = false;
        std::vector<const cmcDefFile::Line*> rows = f.ListLines(*cells, &ended);
        if (!ended) ctx.Report(ctx.HeadWhere(F::Main, *cells), "rows run to the end of the file without a line '#'");
        cmcCellCounters counters;
        int rowCount = 0, maxCells = 0;
        for (size_t n = 0; n < rows.size(); ++n) {
            Where at = ctx.BodyWhere(F::Main, *cells, static_cast<int>(n));
            const std::string& text = rows[n]->text;
            if (!text.empty() && text[0] == ':') {
                CheckDirectives(ctx, at, text);
                continue;
            }
            ++rowCount;
            maxCells = std::max(maxCells, ctx.ParseRow(at, text, &counters, &basic));
        }
        if (rowCount == 0 || maxCells == 0)
            ctx.Report(ctx.HeadWhere(F::Main, *cells), "Illegal Cell assign (the sheet has no row with cells)");
    }
}

// A sheet reference "[style]key,parameter" in a node cell's name: the sheet it names must exist.
void CheckReference(cmcDefLintContext& ctx, const Where& at, const cmcCellObj& node) {
    if (!node.name) return;
    std::string head = node.name->substr(0, node.name->find(','));
    if (!head.empty() && head[0] == '[') {
        size_t close = head.find(']');
        head = close == std::string::npos ? std::string() : head.substr(close + 1);
    }
    if (StartsWith(head, "GI_Sheet_")) ctx.CheckSheetSections(at, head);
}

// Menus, popup menus, trees: a "_BasicCell" line and "_Body" lines "<indent>+<description>".
// The tool bar: whole lines are descriptions.
void CheckMenuLike(cmcDefLintContext& ctx, const std::string& base, bool toolBar, bool tree) {
    cmcDefFile& f = ctx.Main();
    const cmcDefFile::Head* basicHead = f.Find(base + "_BasicCell");
    const cmcDefFile::Head* body = f.Find(base + "_Body");
    const cmcDefFile::Head* any = basicHead ? basicHead : body;
    if (!ctx.CheckMenuSections(ctx.HeadWhere(F::Main, *any), base)) return;

    cmcCellObj basic;
    if (const cmcDefFile::Line* l = ctx.FirstLine(F::Main, *basicHead))
        ctx.ParseDescription(ctx.BodyWhere(F::Main, *basicHead, 0), l->text, &basic, nullptr, nullptr);

    bool ended = false;
    std::vector<const cmcDefFile::Line*> lines = f.ListLines(*body, &ended);
    if (!ended) ctx.Report(ctx.HeadWhere(F::Main, *body), "lines run to the end of the file without a line '#'");
    for (size_t n = 0; n < lines.size(); ++n) {
        Where at = ctx.BodyWhere(F::Main, *body, static_cast<int>(n));
        std::string_view desc = lines[n]->text;
        if (!toolBar) {
            size_t plus = desc.find('+');
            if (plus == std::string_view::npos) {
                if (!tree || !desc.empty()) ctx.Report(at, "line without '+': an entry with an empty caption");
                continue;
            }
            desc.remove_prefix(plus + 1);
        }
        cmcCellObj cell;
        if (ctx.ParseDescription(at, desc, &cell, nullptr, &basic) && tree) CheckReference(ctx, at, cell);
    }
}

// "%s" -> word, "%d" -> number, "%%" -> "%"; other characters stay.
std::string FormatNodeLine(const std::string& format, const std::string& word, int number) {
    std::string out;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size()) {
            char c = format[i + 1];
            if (c == 's' || c == 'd' || c == '%') {
                out += c == 's' ? word : c == 'd' ? std::to_string(number) : "%";
                ++i;
                continue;
            }
        }
        out += format[i];
    }
    return out;
}

void CheckMenusAndTrees(cmcDefLintContext& ctx) {
    cmcDefFile& f = ctx.Main();
    std::vector<std::string> done;
    for (const auto* h : FoundHeads(f)) {
        const std::string& key = h->key;
        bool menu = StartsWith(key, "GI_Menu_") || StartsWith(key, "GI_PMenu_");
        bool toolBar = StartsWith(key, "GI_ToolBar_");
        bool tree = StartsWith(key, "GI_Tree_");
        if (!menu && !toolBar && !tree) continue;
        std::string base;
        if (EndsWith(key, "_BasicCell"))
            base = key.substr(0, key.size() - 10);
        else if (EndsWith(key, "_Body"))
            base = key.substr(0, key.size() - 5);
        if (!base.empty()) {
            if (std::find(done.begin(), done.end(), base) == done.end()) {
                done.push_back(base);
                CheckMenuLike(ctx, base, toolBar, tree);
            }
            continue;
        }
        if (!tree) continue;
        // A tree branch: node lines added at run time, possibly a format of the model word and a number.
        cmcCellObj basic;
        if (const cmcDefFile::Head* bh = f.Find("GI_Tree_Main_BasicCell"))
            if (const cmcDefFile::Line* l = f.BodyLine(*bh, 0))
                ctx.ParseDescription(ctx.BodyWhere(F::Main, *bh, 0), l->text, &basic, nullptr, nullptr);
        std::vector<const cmcDefFile::Line*> lines = f.ListLines(*h);
        if (lines.empty()) ctx.Report(ctx.HeadWhere(F::Main, *h), "empty tree branch");
        for (size_t n = 0; n < lines.size(); ++n) {
            Where at = ctx.BodyWhere(F::Main, *h, static_cast<int>(n));
            const std::string& text = lines[n]->text;
            bool isFormat = text.find('%') != std::string::npos;
            for (const char* word : {"Lmr", "Pmr", "PmrK", "DPmr446"}) {
                std::string line = isFormat ? FormatNodeLine(text, word, 0) : text;
                size_t plus = line.find('+');
                if (plus == std::string::npos) {
                    ctx.Report(at, "line without '+': a node with an empty caption");
                    break;
                }
                cmcCellObj cell;
                if (ctx.ParseDescription(at, std::string_view(line).substr(plus + 1), &cell, nullptr, &basic))
                    CheckReference(ctx, at, cell);
                if (!isFormat) break;
            }
        }
    }
}

void CheckSingleSections(cmcDefLintContext& ctx) {
    cmcDefFile& f = ctx.Main();
    if (const cmcDefFile::Head* h = f.Find("GI_WarningCheckList")) {
        std::vector<const cmcDefFile::Line*> lines = f.ListLines(*h);
        for (size_t n = 0; n < lines.size(); ++n) {
            cmcCellObj cell;
            ctx.ParseDescription(ctx.BodyWhere(F::Main, *h, static_cast<int>(n)), lines[n]->text, &cell, nullptr,
                                 nullptr);
        }
    }
    if (const cmcDefFile::Head* h = f.Find("GI_Form_Main_BasicCell")) {
        if (ctx.FirstLine(F::Main, *h)) {
            std::string text;
            for (const auto* l : f.ListLines(*h)) text += (text.empty() ? "" : "\n") + l->text;
            cmcCellObj cell;
            ctx.ParseDescription(ctx.BodyWhere(F::Main, *h, 0), text, &cell, nullptr, nullptr);
        }
    }
}

void CheckRequiredKeys(cmcDefLintContext& ctx) {
    for (const auto& r : RequiredDefKeys()) {
        Where at{r.file, 0, r.key};
        cmcDefFile& f = ctx.File(r.file);
        std::string who = r.usedBy.empty() ? "" : " (used by " + r.usedBy + ")";
        switch (r.kind) {
        case K::Section:
            if (!f.Has(r.key)) ctx.Report(at, "missing section" + who);
            break;
        case K::Sheet:
            for (const char* suffix : {"_Style", "_BasicCell", "_Cells"})
                if (!f.Has(r.key + suffix)) ctx.Report(at, "missing section '" + r.key + suffix + "'" + who);
            break;
        case K::Menu:
            for (const char* suffix : {"_BasicCell", "_Body"})
                if (!f.Has(r.key + suffix)) ctx.Report(at, "missing section '" + r.key + suffix + "'" + who);
            break;
        }
    }
}

bool SplitFields(const std::string& line, std::string* a, std::string* b) {
    size_t tab = line.find('\t');
    if (tab == std::string::npos) return false;
    *a = line.substr(0, tab);
    *b = line.substr(tab + 1);
    return true;
}

// Calls `fn(at, a, b)` with the two tab-separated fields of every line of the help file table `h`;
// a line without the tab is reported instead.
template <class Fn>
void ForEachFieldPair(cmcDefLintContext& ctx, const cmcDefFile::Head& h, Fn&& fn) {
    std::vector<const cmcDefFile::Line*> lines = ctx.Help().ListLines(h);
    for (size_t n = 0; n < lines.size(); ++n) {
        Where at = ctx.BodyWhere(F::Help, h, static_cast<int>(n));
        std::string a, b;
        if (!SplitFields(lines[n]->text, &a, &b)) {
            ctx.Report(at, "line without a tab between its two fields");
            continue;
        }
        fn(at, a, b);
    }
}

void CheckHelp(cmcDefLintContext& ctx) {
    cmcDefFile& f = ctx.Help();
    std::vector<std::pair<std::string, Where>> topics;
    for (const char* table : {"GI_AppItem_Topic_ID", "GI_AppItem_Key_Assign_Topic_ID"}) {
        const cmcDefFile::Head* h = f.Find(table);
        if (!h) continue;
        ForEachFieldPair(ctx, *h, [&](const Where& at, const std::string& a, const std::string& b) {
            if (table == std::string_view("GI_AppItem_Topic_ID") && !FindLabel(a, nullptr))
                ctx.Report(at, "'" + a + "' is not a cell label name");
            topics.push_back({b, at});
        });
    }
    std::set<std::string> contexts;
    if (const cmcDefFile::Head* h = f.Find("GI_AppItem_Context_ID")) {
        ForEachFieldPair(ctx, *h, [&](const Where& at, const std::string& a, const std::string& b) {
            if (b.empty() || !std::all_of(b.begin(), b.end(), [](char c) { return c >= '0' && c <= '9'; }))
                ctx.Report(at, "context number '" + b + "' is not a decimal number");
            contexts.insert(a);
        });
        for (const auto& [topic, at] : topics)
            if (!contexts.count(topic)) ctx.Report(at, "topic '" + topic + "' has no line in GI_AppItem_Context_ID");
    }
}

// Points the main store at the checked file for the run, and back after.
class ScopedMainStore {
public:
    explicit ScopedMainStore(const std::string& path) : previous_(&GTex()) {
        store_.SetFileName(path);
        SetGTex(&store_);
    }
    ~ScopedMainStore() { SetGTex(previous_); }

private:
    cmcGTex store_;
    cmcGTex* previous_;
};

}  // namespace

std::vector<cmcLintProblem> LintDefinitionFiles(const std::string& dir) {
    std::string d = dir.empty() ? cmcDataDir() : dir;
    if (d.back() != '/') d += '/';
    cmcDefFile main, help;
    bool mainOk = main.Load(d + kMainFile);
    bool helpOk = help.Load(d + kHelpFile);
    cmcDefLintContext ctx(main, help);
    if (!mainOk) ctx.Report({F::Main, 0, ""}, "cannot read " + d + kMainFile);
    if (!helpOk) ctx.Report({F::Help, 0, ""}, "cannot read " + d + kHelpFile);
    if (mainOk) {
        ScopedMainStore store(d + kMainFile);
        CheckStructure(ctx, F::Main);
        CheckModels(ctx);
        CheckSheets(ctx);
        CheckMenusAndTrees(ctx);
        CheckSingleSections(ctx);
        for (const auto& check : ExtraChecks()) check(ctx);
    }
    if (helpOk) {
        CheckStructure(ctx, F::Help);
        CheckHelp(ctx);
    }
    if (mainOk && helpOk) CheckRequiredKeys(ctx);
    // Main file first, then the help file, each in line order.
    std::vector<cmcLintProblem> problems = ctx.Problems();
    std::stable_sort(problems.begin(), problems.end(), [](const cmcLintProblem& a, const cmcLintProblem& b) {
        bool am = a.file == kMainFile, bm = b.file == kMainFile;
        if (am != bm) return am;
        return a.line < b.line;
    });
    return problems;
}

}  // namespace qx
