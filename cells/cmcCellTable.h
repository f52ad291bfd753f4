// The table from cell label to behaviour that the cell handler dispatches over, and the context of
// one handler call that every behaviour works with.
//
// Each group of labels lives in its own file (cmcCells_Command.cpp, cmcCells_Bank.cpp, ...) and
// adds its rows in a Register...Cells function. A label whose value is a plain field of the image
// or of the decoded record is a row of data (cmcFieldCell.h documents the vocabulary); a label
// with rules of its own is a function. Both kinds of row live in the same table:
//
//     using namespace qx::field;
//     const cmcFieldRow kTimers[] = {
//         {CL_KDisp_HangAct_Moni, Bits(0x95A4, 7), List("GI_Sheet_Sel_Misc_OnOff")},
//         {CL_Dig_Tim_Chk, Word(0xA365), Timer(1000, 100, 1275), ExtendedOnly()},
//         {CL_2T_GroupCall, Rec(&datCh::opt, 1).Bits(4), List("GI_Sheet_Sel_2TRxC_Group"), Row0()},
//     };
//     void RegisterBankCells(cmcCellTable& table) {
//         table.Fields(kTimers);
//         table.Set(CL_Bank_UsedTotal, [](cmcCellCall& c) { c.ShowNumber(TotalOf(c)); });
//     }
//
// A new group declares its function below and adds one line to the list in cmcCellTable.cpp. A
// label claimed twice is a programming error found at start-up (fatal, internal fault). Labels
// without a row show "%d *Yet*" and accept nothing.
#pragma once

#include "cells/cmcCellEnv.h"
#include "cells/cmcReasons.h"
#include "defs/cmcCellNames.h"
#include "defs/cmcCellObj.h"
#include "defs/cmcCellRequest.h"
#include "image/cmcEeprom.h"
#include "image/datCh.h"
#include "image/datKorvAdr.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qx {

class indMain;
class cmcFCache;
struct cmcFieldRow;

// State bits of menu and tool bar cells (behaviour bits 2-5 of the cell).
enum cmcCellState : uint8_t {
    CS_Checked = 0x04,
    CS_Hidden = 0x08,
    CS_Disabled = 0x10,
    CS_Relabelled = 0x20,  // the caption is replaced by the cell's text
};

// Everything one call of the handler works with. Created by cmcCellCapsule::Execute.
struct cmcCellCall {
    cmcCellRequest& req;
    cmcCellObj& cell;
    indMain& main;
    cmcEeprom& image;   // the working image
    datCh& rec;         // the record of the cell's category and index, when recordKind is not 0
    datKorvAdr& adr;    // the digital PMR address-range record
    cmcCellEnv& env;    // what the call reaches beyond the image: stores, views, commands, events
    int recordKind = 0;
    int modelType = 0;
    int action = 0;     // cmcCellAction after the entry rules (CA_Commit is CA_Enter)
    // Conditions of a digital PMR channel (record kind 3): MSK signalling on (M), off (N), and no
    // repeater (R).
    bool mskOn = false;
    bool mskOff = false;
    bool noRepeater = false;
    uint32_t notify = CN_SameLabelIndex;  // cmcCellNotify bits collected for the notify callback
    uint8_t result = CER_None;            // what was opened: the value Execute returns
    bool wrote = false;                   // an accepted value was written into the image
    // The action came from the user: a grid, or a user's edit from elsewhere (a scripted set or an
    // import). Menus, the tool bar and probes refresh and run commands only.
    bool fromUser = false;
    // The cell shows its value and takes no action, typed text or pick (a value that a save would
    // not keep, a field without an editor). The request stays as it was sent.
    bool readOnly = false;

    // The environment's objects; the runner's environment provides them (cmcCellEnv).
    cmcAppCommands& Commands() const { return *env.commands; }
    indEnviron& Settings() const { return *env.settings; }
    cmcEvMan& Events() const { return *env.events; }
    cmcGTex& Texts() const { return *env.gtex; }
    cmcFCache& Lists() const { return *env.lists; }

    int Label() const { return cell.label; }
    int Index() const { return cell.index; }
    // A user action that the cell acts on: from the user and not read-only.
    bool FromGrid() const { return fromUser && !readOnly; }
    bool IsEnter() const { return !readOnly && action == CA_Enter; }
    bool IsKorv() const;
    // Extended mode (image offset 0x000B bit 4, as the radio's data sets it): extended-mode cells
    // show nothing and accept nothing while it is clear.
    bool ExtendedMode() const { return (image.GetByte(0x000B) & 0x10) != 0; }

    uint8_t* Bytes() { return image.Data(); }
    uint8_t Byte(int offset) const { return image.GetByte(offset); }
    void SetByte(int offset, uint8_t value) {
        image.SetByte(offset, value);
        wrote = true;
    }
    // 16-bit values, high byte first.
    int Word(int offset) const { return (image.GetByte(offset) << 8) | image.GetByte(offset + 1); }
    void SetWord(int offset, int value);

    // Display text.
    void Show(std::string_view text) { req.display.assign(text.data(), text.size()); }
    void ShowNumber(long value);
    // The placeholder of a cell that does not apply: the text, value style 1 (bits 0-1 of the
    // layout flags) with bits 2-3 = 1, grey text when drawing. The caller then accepts no action.
    void ShowNotApplicable(std::string_view placeholder = "----");
    // The cell's value style (bits 0-1 of the layout flags: 1 centred, 2 right-aligned, as code
    // cells are).
    void SetValueStyle(int style) {
        cell.layout = static_cast<uint8_t>((cell.layout & ~LF_HAlignMask) | (style & LF_HAlignMask));
    }

    // State bits of menu and tool bar cells: set or clear one bit.
    void SetState(uint8_t bit, bool on);
    // Marks.
    void Warn() { req.resultFlags |= CRF_Warning; }
    void Fail() { req.resultFlags |= CRF_Error; }
    // A mark with its reason (cmcMarkReason, or a text): an error's reason replaces a warning's.
    void Warn(int reason) { Mark(CRF_Warning, MarkReasonText(Texts(), reason)); }
    void Fail(int reason) { Mark(CRF_Error, MarkReasonText(Texts(), reason)); }
    void Warn(const std::string& reason) { Mark(CRF_Warning, reason); }
    void Fail(const std::string& reason) { Mark(CRF_Error, reason); }
    void Mark(uint8_t flag, const std::string& reason) {
        const bool hadError = req.resultFlags & CRF_Error;
        req.resultFlags |= flag;
        if (reason.empty()) return;
        if (req.markReason.empty() || (flag == CRF_Error && !hadError)) req.markReason = reason;
    }

    // Writes the edited record back (encode, then decode again) and asks for the row's repaint.
    void StoreRecord();
    // Behaviours that write the image through other helpers (bank sizes) say so.
    void MarkWritten() { wrote = true; }
    // Keeps what an editor opened (CER_Opened, CER_Editor) as the call's result.
    void Opened(uint8_t opened) {
        if (opened != CER_None) result = opened;
    }
};

using cmcCellBehaviourFn = void (*)(cmcCellCall& call);

class cmcCellTable {
public:
    // The table with every group's rows, built on first use.
    static const cmcCellTable& Instance();

    // Adds a row; a label outside 0..709 or one that already has a row is fatal (internal fault).
    void Set(int label, cmcCellBehaviourFn behaviour);
    void SetRange(int firstLabel, int lastLabel, cmcCellBehaviourFn behaviour);
    // Adds field rows (cmcFieldCell.h); the rows must live as long as the table (static arrays).
    void Fields(const cmcFieldRow* rows, int count);
    template <class Row, std::size_t N>
    void Fields(const Row (&rows)[N]) {
        Fields(rows, static_cast<int>(N));
    }
    // The function of a label; null when it has no row or a field row.
    cmcCellBehaviourFn Find(int label) const { return Valid(label) ? rows_[label].behaviour : nullptr; }
    // The field row of a label; null when it has none.
    const cmcFieldRow* FindField(int label) const { return Valid(label) ? rows_[label].field : nullptr; }
    bool Has(int label) const { return Find(label) || FindField(label); }
    // Runs the row of the call's label; false when the label has no row.
    bool Run(cmcCellCall& call) const;
    int RowCount() const;

    cmcCellTable() = default;

private:
    struct Row {
        cmcCellBehaviourFn behaviour = nullptr;
        const cmcFieldRow* field = nullptr;
    };
    static bool Valid(int label) { return label >= 0 && label < kLabelCount; }
    void Claim(int label);

    Row rows_[kLabelCount] = {};
};

// The groups of rows, one function per file.
void RegisterCommandCells(cmcCellTable& table);     // menus, tool bar, popup entries, chooser items
void RegisterProbeCells(cmcCellTable& table);       // warning probe cells
void RegisterCloneInfoCells(cmcCellTable& table);   // clone information cells
void RegisterBankCells(cmcCellTable& table);        // bank and count cells
void RegisterQuietCells(cmcCellTable& table);       // CL_Null, CL_Mch_Dig_CC_T, CL_Maker_*
void RegisterReceiveFrequencyCell(cmcCellTable& table);  // CL_Mch_FreqR
void RegisterChannelCells(cmcCellTable& table);     // memory channel cells with rules of their own
void RegisterChannelFieldCells(cmcCellTable& table);  // memory channel cells that are plain fields
void RegisterSettingsCells(cmcCellTable& table);       // settings with rules of their own, DTMF, tones, scan lists
void RegisterSettingsFieldCells(cmcCellTable& table);  // plain settings fields
void RegisterToneCells(cmcCellTable& table);        // 2-tone, 5-tone and user tone cells with rules of their own
void RegisterMskCells(cmcCellTable& table);         // digital PMR address ranges and call list addresses
void RegisterSignalFieldCells(cmcCellTable& table); // plain fields of the tone, MSK and digital sheets
void RegisterUserCharCells(cmcCellTable& table);    // CL_CEdit: the user characters of display texts

// ---- helpers shared by the groups ----

// A value chosen from a selection list through the list editor; keeps what the editor opened.
// Returns true when the value changed.
bool ListChoice(cmcCellCall& call, const char* listKey, int itemKind, int& value);

// The blocking of a memory channel's format and repeater cells (the value is not used): they apply
// to a digital PMR channel without MSK signalling or with it and no repeater (N, or R and M).
bool ChannelFormatBlocked(const cmcCellCall& call, int value);

// The bank that a channel belongs to (0-4, or 5 for none) and the bank shown by the current
// channel/bank sheet (asked with EVC_QueryBank; the channel's bank when no sheet answers).
int CurrentBank(cmcCellCall& call, int channel);

// The error mark of a channel in a fixed dPMR446 bank whose frequency (Hz, 0 for none) is none of
// the 24 dPMR446 channel frequencies: the frequency editor offers only those, so such a value came
// from elsewhere (a file edited by another tool).
void MarkNotFixedChannel(cmcCellCall& call, uint32_t hz);

}  // namespace qx
