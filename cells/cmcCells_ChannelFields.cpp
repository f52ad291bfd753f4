// Memory channel cells that are plain fields of the channel record: a list, a number, a flag set or
// the name, with the model-type lists, the blocking and the marks of a digital PMR channel. The cells
// with rules of their own are in cmcCells_Channel.cpp.
#include "cells/cmcCellTable.h"
#include "cells/cmcDispText.h"
#include "cells/cmcFieldCell.h"

namespace qx {

namespace {

using namespace field;

constexpr const char* kOnOff = "GI_Sheet_Sel_Misc_OnOff2";
constexpr int kScanListCount = 11;  // the Scan sheet's lists 1..11

// Marks of a digital PMR channel with MSK signalling, for the values the signalling needs.
bool MonitorWarns(const cmcCellCall& c, int v) { return KorvMskOn(c, v) && v != 6 && v != 7; }
bool SelectFails(const cmcCellCall& c, int v) { return KorvMskOn(c, v) && v != 1; }
bool SetFails(const cmcCellCall& c, int v) { return KorvMskOn(c, v) && v == 1; }
bool MuteWarns(const cmcCellCall& c, int v) { return KorvMskOn(c, v) && v == 0; }
bool NoDigitalSignal(const cmcCellCall& c, int) { return c.rec.digSignal == 0; }

// The radio's power key steps through the levels of the "Power levels" setting (0x95A2 bit 2:
// clear high and low, set high, middle and low): a Middle channel under "High and low" is left
// at the first key press and cannot be chosen again.
constexpr int kPowerMiddle = 1;
bool PowerNotOffered(const cmcCellCall& c, int v) { return v == kPowerMiddle && !(c.Byte(0x95A2) & 0x04); }

// A channel whose scrambler is switched "By key" needs a programmable key (0x8800-0x8807) set to
// the scrambler option key; without one the scrambler can never be switched on.
constexpr int kScramblerByKey = 2;
constexpr uint8_t kScramblerKey = 'I';
bool ScramblerWithoutKey(const cmcCellCall& c, int v) {
    if (v != kScramblerByKey) return false;
    for (int key = 0x8800; key <= 0x8807; ++key)
        if (c.Byte(key) == kScramblerKey) return false;
    return true;
}

// The scan lists as the Scan sheet names them: each list's name (in its editable form, as the
// sheet's name cell holds it), or the list's number while it has no name.
std::vector<std::string> ScanListLabels(const cmcCellCall& c) {
    std::vector<std::string> labels;
    datCh list(c.image.Data());
    for (int i = 0; i < kScanListCount; ++i) {
        list.Load(KIND_ScanList, i);
        std::string name = EditableOf(ShownBytes(list.text, 8, false));
        while (!name.empty() && name.front() == ' ') name.erase(name.begin());
        labels.push_back(name.empty() ? std::to_string(i + 1) : name);
    }
    return labels;
}

const cmcFieldRow kRows[] = {
    {CL_Mch_Inh, Rec(&datCh::inhibit), List("GI_Sheet_Sel_Mch_ChInh")},
    {CL_Mch_Text, Rec(&datCh::text, 0), Text(8)},
    {CL_Mch_TxInh, Rec(&datCh::txInhibit), List("GI_Sheet_Sel_Mch_CH_TxInh")},
    {CL_Mch_Nar, Rec(&datCh::narrow), List("GI_Sheet_Sel_Mch_Nar")},
    {CL_Mch_Compander, Rec(&datCh::compander), List(kOnOff)},
    {CL_Mch_AutoChScan, Rec(&datCh::autoChScan), List(kOnOff)},
    {CL_Mch_PwrSave, Rec(&datCh::pwrSave), List(kOnOff)},
    {CL_Mch_Tot, Rec(&datCh::tot), List(kOnOff)},
    // Each model type's levels with their nominal watts, which channel plans read and write.
    {CL_Mch_RfPo, Rec(&datCh::rfPower),
     ModelList("GI_Sheet_Sel_Mch_RfPwr_Lmr", "GI_Sheet_Sel_Mch_RfPwr_Pmr", "GI_Sheet_Sel_Mch_RfPwr_PmrK",
               "GI_Sheet_Sel_Mch_RfPwr_DPmr446"),
     Warn(PowerNotOffered, MR_PowerNotOffered)},
    {CL_Mch_Lockout, Rec(&datCh::lockout),
     ModelList("GI_Sheet_Sel_Mch_Lockout_Lmr", "GI_Sheet_Sel_Mch_Lockout_Pmr", "GI_Sheet_Sel_Mch_Lockout_Pmr",
               "GI_Sheet_Sel_Mch_Lockout_Lmr")},
    {CL_Mch_Scan, Rec(&datCh::scanLists), Flags(1, kScanListCount).Named(ScanListLabels)},
    {CL_Mch_AutoReset, Rec(&datCh::autoReset),
     ModelList("GI_Sheet_Sel_Mch_AutoReset_Lmr", "GI_Sheet_Sel_Mch_AutoReset_Pmr", "GI_Sheet_Sel_Mch_AutoReset_Pmr",
               "GI_Sheet_Sel_Mch_AutoReset_Lmr")},
    {CL_Mch_2Tone, Rec(&datCh::twoTone), CodeList("GI_Sheet_Sel_Mch_2Tone", Flex0)},
    {CL_Mch_Log, Rec(&datCh::log),
     ModelList("GI_Sheet_Sel_Mch_Log_Lmr", "GI_Sheet_Sel_Mch_Log_Pmr", "GI_Sheet_Sel_Mch_Log_Pmr",
               "GI_Sheet_Sel_Mch_Log_Lmr")},
    {CL_Mch_Log_Pmr, Rec(&datCh::log),
     ModelList("GI_Sheet_Sel_Mch_Log_Lmr", "GI_Sheet_Sel_Mch_Log_Pmr", "GI_Sheet_Sel_Mch_Log_Pmr",
               "GI_Sheet_Sel_Mch_Log_Lmr")},
    {CL_Mch_Log_Msk, Rec(&datCh::logMsk), List(kOnOff)},
    {CL_Mch_Scan_Inc, Rec(&datCh::scanInc), List("GI_Sheet_Sel_Mch_ScanInc")},
    {CL_Mch_Scrm_On, Rec(&datCh::scrambleOn), List("GI_Sheet_Sel_Mch_ScramOn"), Warn(ScramblerWithoutKey, MR_ScramblerNoKey)},
    {CL_Mch_Scrm_Code, Rec(&datCh::scrambleCode), Integer(1, 255)},
    {CL_Mch_Moni, Rec(&datCh::monitor), MarkedList("GI_Sheet_Sel_Mch_Moni"), Notify(CN_All) | Warn(MonitorWarns, MR_MskMonitor)},
    {CL_Mch_Sel, Rec(&datCh::select), MarkedList("GI_Sheet_Sel_Mch_Sel"), Notify(CN_All) | Error(SelectFails, MR_MskSelect)},
    {CL_Mch_Call, Rec(&datCh::call), MarkedList("GI_Sheet_Sel_Mch_Call"), Notify(CN_All) | Error(SetFails, MR_MskSetting)},
    {CL_Mch_PTT, Rec(&datCh::ptt), MarkedList("GI_Sheet_Sel_Mch_Ptt"), Notify(CN_All) | Error(SetFails, MR_MskSetting)},
    {CL_Mch_CH_Mute, Rec(&datCh::chMute), MarkedList("GI_Sheet_Sel_Mch_ChMute"), Notify(CN_All) | Warn(MuteWarns, MR_MskMute)},
    {CL_Mch_Form, Rec(&datCh::format), List("GI_Sheet_Sel_Mch_Form"), Blocked(ChannelFormatBlocked)},
    {CL_Mch_Rpt_C, Rec(&datCh::rptCode), CodeList("GI_Sheet_Sel_RxC_AbcCode", Flex1),
     Blocked(ChannelFormatBlocked) | Style(2)},
    {CL_Mch_Rpt_L, Rec(&datCh::rptFlag), List("GI_Sheet_Sel_Mch_LTone"), Blocked(ChannelFormatBlocked, "-")},
    {CL_Mch_Stn_C, Rec(&datCh::stnCode), CodeList("GI_Sheet_Sel_RxC_AbcCode", Flex1), Blocked(KorvMskOn) | Style(2)},
    {CL_Mch_Stn_L, Rec(&datCh::stnFlag), List("GI_Sheet_Sel_Mch_LTone"), Blocked(KorvMskOn, "-")},
    {CL_Mch_Id_C, Rec(&datCh::idCode), CodeList("GI_Sheet_Sel_RxC_AbcCode", Flex1), Blocked(KorvMskOn) | Style(2)},
    {CL_Mch_Id_L, Rec(&datCh::idFlag), List("GI_Sheet_Sel_Mch_LTone"), Blocked(KorvMskOn, "-")},
    {CL_Mch_Pos, Rec(&datCh::position), List("GI_Sheet_Sel_Mch_Pos"), Blocked(KorvMskOn)},
    {CL_Mch_RxCNo, Rec(&datCh::rxCodeNo), Flags(1, 8), Blocked(KorvMskOn)},
    {CL_Mch_RxCNo2, Rec(&datCh::rxCodeNo), Flags(1, 10)},
    {CL_Mch_Msk_Sig, Rec(&datCh::mskSignal), List("GI_Sheet_Sel_Mch_Msk_Signal_Pmr"), Notify(CN_All)},
    {CL_Mch_Msk_SendStatus, Rec(&datCh::mskSendStatus), MarkedList("GI_Sheet_Sel_Mch_SendStatus"),
     Notify(CN_All) | Grey(KorvMskOff)},
    {CL_Mch_Msk_Stn, Rec(&datCh::stnCode), CodeList("GI_Sheet_Sel_Mch_Msk_ID", Flex0), Blocked(KorvMskOff) | Style(2)},
    {CL_Mch_Dig_Sig, Rec(&datCh::digSignal), ShowOnly("GI_Sheet_Sel_Mch_Dig_Signal")},
    {CL_Mch_Dig_ComID, Rec(&datCh::digComId), Integer(1, 255), Grey(NoDigitalSignal)},
};

}  // namespace

void RegisterChannelFieldCells(cmcCellTable& t) { t.Fields(kRows); }

}  // namespace qx
