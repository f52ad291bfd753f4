// Command cells: menu bar, tool bar and popup menu entries, and the items of choosers. A command
// runs on Enter; its state bits (checked, hidden, disabled, relabelled) are computed on every call.
#include "cells/cmcAppCommands.h"
#include "cells/cmcCellTable.h"
#include "comm/indEnviron.h"
#include "common/cmcDataDir.h"
#include "common/cmcMessage.h"
#include "defs/cmcEvMan.h"
#include "defs/cmcGTex.h"
#include "image/cmcImageMap.h"
#include "image/indMain.h"

#include <cstdio>

namespace qx {

namespace {

// ---- chooser items ----

// The item of a chooser shows its own caption. In a chooser opened on a digital PMR channel with
// MSK signalling on, the items that stand for values the signalling forbids or discourages carry
// the mark that value would get.
void ChooserItem(cmcCellCall& c) {
    c.Show(c.cell.Text());
    if (c.Label() != FlexMark || !c.IsKorv()) return;
    const cmcCellRequest* opener = c.req.parent;
    if (!opener || !opener->cell || opener->cell->category != CT_Mch) return;
    datCh channel(c.image.Data());
    channel.Load(KIND_ChKorvPmr, opener->cell->index);
    if (!channel.mskSignal) return;
    const int item = c.Index();
    switch (opener->cell->label) {
    case CL_Mch_Moni:
        if (item != 6 && item != 7) c.Warn(MR_MskMonitor);
        break;
    case CL_Mch_CH_Mute:
        if (item == 0) c.Warn(MR_MskMute);
        break;
    case CL_Mch_Sel:
        if (item != 1) c.Fail(MR_MskSelect);
        break;
    case CL_Mch_Call:
    case CL_Mch_PTT:
        if (item == 1) c.Fail(MR_MskSetting);
        break;
    default:
        break;
    }
}

// A command that runs on Enter and has no state of its own (file, exit, clone commands).
template <bool (cmcAppCommands::*Command)()>
void OnEnter(cmcCellCall& c) {
    if (c.IsEnter()) (c.Commands().*Command)();
}

// ---- file ----

// Index 1 of the print entries exports a PDF file instead of printing.
void PrintCurrent(cmcCellCall& c) {
    c.SetState(CS_Disabled, !c.Commands().CanPrintCurrentSheet());
    if (!c.IsEnter() || (c.cell.behaviour & CS_Disabled)) return;
    if (c.Index() == 1)
        c.Commands().ExportPdf(false);
    else
        c.Commands().PrintCurrentSheet();
}

void PrintAll(cmcCellCall& c) {
    if (!c.IsEnter()) return;
    if (c.Index() == 1)
        c.Commands().ExportPdf(true);
    else
        c.Commands().PrintAllSheets();
}

void RecentFile(cmcCellCall& c) {
    const cmcRecent& recent = c.Settings().Recent;
    const int i = c.Index();
    const std::string entry = i >= 0 && i < recent.Count() ? recent.EntryText(i, c.Settings().CurrentDirectory) : "";
    char number[16];
    std::snprintf(number, sizeof number, "&%d ", i + 1);
    c.cell.text = number + entry;
    c.Show(*c.cell.text);
    c.SetState(CS_Relabelled, true);
    c.SetState(CS_Disabled, entry.empty());
    c.SetState(CS_Hidden, entry.empty() && i != 0);
    if (c.IsEnter() && !entry.empty()) c.Commands().OpenRecentFile(i);
}

void EditTop(cmcCellCall& c) { c.Commands().RebuildEditMenu("GI_PMenu_NoItem"); }

// ---- view ----

void FontSize(cmcCellCall& c) {
    indEnviron& env = c.Settings();
    if (c.IsEnter() && c.Index() > 0) {
        env.FontSizePercentage = static_cast<uint32_t>(c.Index());
        c.Commands().ApplyFontSize(c.Index());
    }
    c.SetState(CS_Checked, static_cast<uint32_t>(c.Index()) == env.FontSizePercentage);
}

void ToolBar(cmcCellCall& c) {
    indEnviron& env = c.Settings();
    if (c.IsEnter()) {
        env.ToolbarVisible = env.ToolbarVisible ? 0 : 1;
        c.Commands().ShowToolBar(env.ToolbarVisible != 0);
    }
    c.SetState(CS_Checked, env.ToolbarVisible != 0);
}

// ---- port ----

void PortCom(cmcCellCall& c) {
    indEnviron& env = c.Settings();
    if (c.IsEnter()) {
        env.SelectPortNumber(c.Index());
        c.Events().Send(EVC_MenusBuilt);
    }
    c.SetState(CS_Checked, c.Index() == env.ComPort && env.ComDevice.empty());
    // The numbered entries name the device each number stands for.
    if (c.Index() >= 1) {
        const std::string text = c.Commands().PortEntryText(c.Index());
        if (!text.empty()) {
            c.cell.text = text;
            c.SetState(CS_Relabelled, true);
        }
    }
}

void PortUsb(cmcCellCall& c) {
    if (c.IsEnter()) c.Commands().OpenPortDialog();
    const indEnviron& env = c.Settings();
    const bool chosen = env.ComPort > 4 || !env.ComDevice.empty();
    c.SetState(CS_Checked, chosen);
    // A port chosen here is named by the entry, as the numbered entries name theirs.
    if (chosen) {
        std::string text = c.Texts().Line("GI_AppInd_PortMenu", env.ComDevice.empty() ? 3 : 2);
        const size_t at = text.find(env.ComDevice.empty() ? "%d" : "%s");
        if (at != std::string::npos) {
            text.replace(at, 2, env.ComDevice.empty() ? std::to_string(env.ComPort) : env.ComDevice);
            c.cell.text = text;
            c.SetState(CS_Relabelled, true);
        }
    }
}

void PortSpeedHigh(cmcCellCall& c) {
    indEnviron& env = c.Settings();
    if (c.IsEnter() && (c.Index() == 0 || c.Index() == 1)) env.ComSpeedHigh = static_cast<uint32_t>(c.Index());
    c.SetState(CS_Checked, static_cast<uint32_t>(c.Index()) == env.ComSpeedHigh);
}

// Setup > Backup Before Write: a check mark that turns the backup of clone writes on and off.
void SetupBackup(cmcCellCall& c) {
    indEnviron& env = c.Settings();
    if (c.IsEnter()) env.BackupBeforeWrite = env.BackupBeforeWrite ? 0 : 1;
    c.SetState(CS_Checked, env.BackupBeforeWrite != 0);
}

// ---- model ----

template <int Type>
void Model(cmcCellCall& c) {
    if (c.IsEnter()) c.main.ChangeModel(Type, true);
    c.SetState(CS_Checked, c.main.ModelType() == Type);
}

// ---- help ----

void HelpAbout(cmcCellCall& c) {
    if (c.IsEnter()) c.Events().Post(EVC_AboutBox);
}

void HelpContents(cmcCellCall& c) {
    if (c.IsEnter()) c.Commands().OpenHelp(cmcDataFile(c.Texts().FirstLine("GI_Sys_MyHelpFile")), 0);
}

void CallSheetCell(cmcCellCall& c) {
    if (c.IsEnter() && c.cell.name) c.Commands().ShowSheet(*c.cell.name);
}

// ---- popup entries ----
// Popup cells are refreshed with the sheet's current cell as parent: its record is loaded (entry
// rule for CT_PopupMenu), so c.rec is the row the entry would act on.

int RowIndex(const cmcCellCall& c) {
    const cmcCellRequest* parent = c.req.parent;
    return parent && parent->cell ? parent->cell->index : c.Index();
}

// The Copy rule: for memory channels, the row must lie within the current bank, which must hold
// channels; rows 0 of the 5-tone receive and 2-tone lists and row 23 of the status messages are
// fixed entries.
bool CopyBlocked(cmcCellCall& c) {
    const int row = RowIndex(c);
    switch (c.recordKind) {
    case KIND_ChLmr:
    case KIND_ChPmr:
    case KIND_ChKorvPmr:
    case KIND_ChDPmr446: {
        const int bank = CurrentBank(c, row);
        const int size = datBankSize(c.image.Data(), bank);
        return size == 0 || row > datBankLast(c.image.Data(), bank);
    }
    case KIND_5ToneRx:
    case KIND_2Tone: return row == 0;
    case KIND_MskStatus: return row == 23;
    default: return false;
    }
}

bool IsChannelKind(int kind) { return kind >= KIND_ChLmr && kind <= KIND_ChDPmr446; }

void PopupNoItem(cmcCellCall& c) {
    c.SetState(CS_Disabled, true);
    c.SetState(CS_Hidden, c.Commands().CurrentPopupItemCount() != 1);
}

void PopupCopyClearDelete(cmcCellCall& c) { c.SetState(CS_Disabled, CopyBlocked(c)); }

void PopupPaste(cmcCellCall& c) {
    bool blocked = !c.Commands().ClipboardHas(c.recordKind);
    if (IsChannelKind(c.recordKind) || c.recordKind == KIND_5ToneRx || c.recordKind == KIND_2Tone)
        blocked = blocked || CopyBlocked(c);
    c.SetState(CS_Disabled, blocked);
}

// Carry up (direction -1) and carry down (+1) need a neighbour inside the list.
template <int Direction>
void PopupCarry(cmcCellCall& c) {
    const int row = RowIndex(c);
    int first = datKindMinIndex(c.recordKind);
    int last = datKindMaxIndex(c.recordKind);
    bool blocked = c.recordKind == KIND_None;
    if (IsChannelKind(c.recordKind)) {
        const int bank = CurrentBank(c, row);
        first = datBankFirst(c.image.Data(), bank);
        last = datBankLast(c.image.Data(), bank);
        blocked = blocked || CopyBlocked(c);
    }
    if (Direction < 0)
        blocked = blocked || row <= first || row > last;
    else
        blocked = blocked || row < first || row >= last;
    if (c.recordKind == KIND_5ToneRx || c.recordKind == KIND_2Tone) blocked = blocked || row == 0;
    c.SetState(CS_Disabled, blocked);
}

// Entries whose command arrives as the popup command of the sheet's cell (Insert, Help):
// nothing to compute.
void PopupPlain(cmcCellCall&) {}

// Edit acts on the row's channel, which an empty bank does not have: its placeholder row stands
// for the next bank's first channel. Insert stays available there.
void PopupEdit(cmcCellCall& c) {
    if (!IsChannelKind(c.recordKind)) return;
    c.SetState(CS_Disabled, datBankSize(c.image.Data(), CurrentBank(c, RowIndex(c))) == 0);
}

}  // namespace

// File > Open holds the channel plan import (entry 1) and the comparison with a file (entry 2);
// File > Save As holds the channel plan export (entry 1).
static void FileOpenOrPlan(cmcCellCall& c) {
    if (!c.IsEnter()) return;
    if (c.Index() > 0)
        c.Commands().ChannelPlan(c.Index());
    else
        c.Commands().FileOpen();
}
static void FileSaveAsOrExport(cmcCellCall& c) {
    if (!c.IsEnter()) return;
    if (c.Index() == 1)
        c.Commands().ChannelPlan(0);
    else
        c.Commands().FileSaveAs();
}

// Clone > Write holds the write to several radios (entry 1) and the fleet log (entry 2); Clone > Read
// holds the read from several radios (entry 1).
static void CloneWriteOrFleet(cmcCellCall& c) {
    if (!c.IsEnter()) return;
    if (c.Index() == 1 || c.Index() == 2)
        c.Commands().CloneFleet(c.Index() == 1 ? 0 : 2);
    else
        c.Commands().CloneWrite();
}
static void CloneReadOrFleet(cmcCellCall& c) {
    if (!c.IsEnter()) return;
    if (c.Index() == 1)
        c.Commands().CloneFleet(1);
    else
        c.Commands().CloneRead();
}

void RegisterCommandCells(cmcCellTable& t) {
    for (int label : {Flex0, Flex1, Flex2, FlexMark, FlexDtcs, FlexKeyOpt, FlexScrmPort, FlexAdjCh})
        t.Set(label, ChooserItem);
    t.Set(CL_Menu_File_Print_Current, PrintCurrent);
    t.Set(CL_Menu_File_Print_All, PrintAll);
    t.Set(CL_Menu_File_Recent, RecentFile);
    t.Set(CL_Menu_File_New, OnEnter<&cmcAppCommands::FileNew>);
    t.Set(CL_Menu_File_Open, FileOpenOrPlan);
    t.Set(CL_Menu_File_Save, OnEnter<&cmcAppCommands::FileSave>);
    t.Set(CL_Menu_File_SaveAs, FileSaveAsOrExport);
    t.Set(CL_Menu_File_Exit, OnEnter<&cmcAppCommands::CloseMainWindow>);
    t.Set(CL_Menu_Edit_Top, EditTop);
    t.Set(CL_Menu_View_FontSize, FontSize);
    t.Set(CL_Menu_View_ToolBar, ToolBar);
    t.Set(CL_Menu_Port_Com, PortCom);
    t.Set(CL_Menu_Port_Usb, PortUsb);
    t.Set(CL_Menu_Port_SpeedHigh, PortSpeedHigh);
    t.Set(CL_Menu_Setup_Backup, SetupBackup);
    t.Set(CL_Menu_Clone_Read, CloneReadOrFleet);
    t.Set(CL_Menu_Clone_Write, CloneWriteOrFleet);
    t.Set(CL_Menu_Clone_Info, OnEnter<&cmcAppCommands::CloneInformation>);
    t.Set(CL_Model_Lmr, Model<kModelLmr>);
    t.Set(CL_Model_Pmr, Model<kModelPmr>);
    t.Set(CL_Model_KorvPmr, Model<kModelKorvPmr>);
    t.Set(CL_Model_DPmr446, Model<kModelDPmr446>);
    t.Set(CL_Help_About, HelpAbout);
    t.Set(CL_Help_Contents, HelpContents);
    t.Set(CallSheet, CallSheetCell);
    t.Set(CL_PMenu_NoItem, PopupNoItem);
    t.Set(CL_PMenu_Edit, PopupEdit);
    t.Set(CL_PMenu_Copy, PopupCopyClearDelete);
    t.Set(CL_PMenu_Clear, PopupCopyClearDelete);
    t.Set(CL_PMenu_Delete, PopupCopyClearDelete);
    t.Set(CL_PMenu_Paste, PopupPaste);
    t.Set(CL_PMenu_CarryUp, PopupCarry<-1>);
    t.Set(CL_PMenu_CarryDown, PopupCarry<+1>);
    t.Set(CL_PMenu_Insert, PopupPlain);
    t.Set(CL_PMenu_Help, PopupPlain);
}

}  // namespace qx
