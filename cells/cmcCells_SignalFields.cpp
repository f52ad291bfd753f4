// The plain fields of the tone signalling, digital PMR (MSK) and digital sheets: rows of the
// field-cell table. The labels with rules of their own are in cmcCells_Tone.cpp and
// cmcCells_Msk.cpp; where each record keeps its flags is in cmcSignalLayout.h.
#include "cells/cmcCellTable.h"
#include "cells/cmcFieldCell.h"
#include "cells/cmcSignalLayout.h"

namespace qx {

namespace {

using namespace field;

constexpr const char* kOnOff = "GI_Sheet_Sel_Misc_OnOff";
constexpr uint32_t kGreyValue = 0x00C0C0C0;  // a value shown that takes no edit
constexpr const char* kOnOff2 = "GI_Sheet_Sel_Misc_OnOff2";
constexpr const char* kEnable2 = "GI_Sheet_Sel_Misc_Enable2";
constexpr const char* kEnable3 = "GI_Sheet_Sel_Misc_Enable3";
constexpr const char* kBell = "GI_Sheet_Sel_RxC_Bell";
constexpr const char* kBeep = "GI_Sheet_Sel_RxC_Beep";
constexpr const char* kStun = "GI_Sheet_Sel_RxC_Stun";
constexpr const char* kScan = "GI_Sheet_Sel_RxC_Scan";
constexpr const char* kCountry = "GI_Sheet_Sel_MSK_Country_Code";
constexpr const char* kSideTone = "GI_Sheet_Sel_Msk_PttSideTone";

constexpr auto kOpt = &datCh::opt;
constexpr auto kText = &datCh::text;
constexpr auto kValue = &datCh::value;

// The decode window of a user tone warns while its high edge lies below its low edge.
bool WindowInverted(const cmcCellCall& c, int) {
    return c.rec.value[tone::kUserDecodeHigh] < c.rec.value[tone::kUserDecodeLow];
}
// The killer address must lie in the killer range of the address record.
bool KillerOutside(const cmcCellCall& c, int value) {
    const datKorvAdr::Limit& l = c.adr.limits[msk::kKillerLimit];
    return value < l.low || value > l.high;
}
// ID group n must lie in the range of group n of the address record.
bool IdGroupOutside(const cmcCellCall& c, int value) {
    const int pair = msk::kIdGroupLimitBase + c.Index();
    if (c.Index() < 0 || pair >= datKorvAdr::kLimitCount) return false;
    const datKorvAdr::Limit& l = c.adr.limits[pair];
    return value < l.low || value > l.high;
}
// A fixed base ID is an individual address: below the group boundary.
bool NotIndividual(const cmcCellCall& c, int value) { return value >= c.adr.group; }

const cmcFieldRow kTwoToneRows[] = {
    {CL_2T_GroupCall, Rec(kOpt, 0).Bits(0), List("GI_Sheet_Sel_2TRxC_Group"), Row0()},
    {CL_2T_Text, Rec(kText, 0), Text(8)},
    {CL_2T_Bell, Rec(kOpt, 0).Bits(1, 3), List(kBell)},
    {CL_2T_ANS, Rec(kOpt, 0).Bits(4), List(kOnOff2)},
    {CL_2T_EXO, Rec(kOpt, 0).Bits(5), List(kOnOff2)},
    {CL_2T_Beep, Rec(kOpt, 0).Bits(6, 7), List(kBeep)},
    {CL_2T_AutoTx, Rec(kOpt, 1).Bits(0), List(kOnOff2), Row0()},
    {CL_2T_Stun, Rec(kOpt, 1).Bits(1, 2), List(kStun)},
    {CL_2T_Scan, Rec(kOpt, 1).Bits(3, 4), List(kScan)},
    {CL_2T_Sfunc, Rec(kOpt, 1).Bits(5), List(kOnOff2)},
    {CL_2T_Code_Type, Rec(kOpt, 6).Bits(7), List("GI_Sheet_Sel_2TRxC_Type"), Row0()},
    {CL_2T_1st_Period, Rec(kOpt, 4), Timer(10).Trim(2), Row0()},
    {CL_2T_2nd_Period, Rec(kOpt, 5), Timer(10).Trim(2), Row0()},
    {CL_2T_NotoneTimer, Byte(0x9680), Decimal(2, 3, 0.02, 0.3, 2)},
    {CL_2T_GroupTimer, Byte(0x95B1), Timer(10)},
    // Saving puts 0x95C1 back to the initial image's value: shown, never edited (an edit would be lost).
    {CL_2T_ExoTimer, Byte(0x95C1), Timer(1), ReadOnly()},
    {CL_2T_BeepRepeatTimer, Byte(0x95BC), Decimal(0, 3, 0, 60)},
    {CL_2T_AutoTxTimer, Byte(0x95C0), Timer(1)},
};

const cmcFieldRow kFiveToneRows[] = {
    {CL_5TRx_Text, Rec(kText, 0), Text(8)},
    {CL_5TRx_IdDec, Rec(kOpt, 0).Bits(0), List(kOnOff2)},
    {CL_5TRx_Bell, Rec(kOpt, 0).Bits(1, 3), List(kBell)},
    {CL_5TRx_EmerCancel, Rec(kOpt, 0).Bits(4), List(kOnOff2)},
    {CL_5TRx_Exo, Rec(kOpt, 0).Bits(5), List(kOnOff2)},
    {CL_5TRx_Beep, Rec(kOpt, 0).Bits(6, 7), List(kBeep)},
    {CL_5TRx_Abc, Rec(kOpt, tone::kRxAbcOpt), AbcCode(), Row0()},
    {CL_5TRx_AutoTx, Rec(kOpt, 2).Bits(0), List(kOnOff2), Row0()},
    {CL_5TRx_Aud, Rec(kOpt, 2).Bits(1, 2), List("GI_Sheet_Sel_RxC_Aud")},
    {CL_5TRx_Stun, Rec(kOpt, 2).Bits(3, 4), List(kStun)},
    {CL_5TRx_Scan, Rec(kOpt, 2).Bits(5, 6), List(kScan)},
    {CL_5TRx_Sfunc, Rec(kOpt, 3).Bits(0), List(kOnOff2)},
    {CL_5TRx_LinkATimer, Byte(0x95AB), Timer(100)},
    {CL_5TRx_CompareDigit, Byte(0x9599), Flags(1, 7)},
    {CL_5TRx_IdDecodeTimer, Byte(0x95B4), Timer(10)},
    {CL_5TRx_ExoTimer, Byte(0x95C1), Timer(1), ReadOnly()},
    {CL_5TRx_BeepRepeatTimer, Byte(0x95BC), Decimal(0, 3, 0, 60)},
    {CL_5TRx_AutoTxTimer, Byte(0x95C0), Timer(1)},
    {CL_5TRx_CompareTone, Bits(0x95A4, 0), List(kOnOff)},

    {CL_5TTx_InputDigit, Rec(kOpt, tone::kTxInputDigitOpt).AsKind(KIND_5ToneTx), Flags(1, 7)},
    {CL_5TTx_Text, Rec(kText, 0), Text(8)},
    {CL_5TTx_Update, Rec(kOpt, 1).Bits(0), List(kOnOff2)},
    {CL_5TTx_AbcDec, Rec(kOpt, 1).Bits(1), List(kOnOff2)},
    {CL_5TTx_AbcAud, Rec(kOpt, 1).Bits(2), List(kOnOff2)},
    {CL_5TTx_Sel, Rec(kOpt, 1).Bits(3), List(kOnOff2)},
    {CL_5TTx_LongToneTimer, Byte(0x95AC), Timer(100)},
    {CL_5TTx_LinkRTimer, Byte(0x95A8), Timer(100)},
    {CL_5TTx_Link1Timer, Byte(0x95A9), Timer(100)},
    {CL_5TTx_Link2Timer, Byte(0x95AA), Timer(100)},
    {CL_5TTx_LeadOutDelayTimer, Byte(0x95AD), Timer(100)},
    {CL_5TTx_AbcDecTimer, Byte(0x95B5), Timer(10)},
    {CL_5TTx_DispDigit, Byte(0x9598), Flags(1, 7)},
    {CL_5TTx_SpTone_Group, Bits(tone::kGroupToneByte, 0, 3), SpecialTone(false)},
    {CL_5TTx_SpTone_Repeat, Bits(tone::kRepeatToneByte, 0, 3), SpecialTone(false)},
    {CL_5TTx_SpTone_Link2, Bits(tone::kLink2ToneByte, 0, 3), SpecialTone(true)},
    {CL_5TTx_PTTCallIna, Bits(0x95A0, 6), List(kOnOff)},

    {CL_UTone_Dec_Low, Rec(kValue, tone::kUserDecodeLow), Decimal(1, 1, 400.0, 3000.0),
     Warn(WindowInverted, MR_UserToneWindow) | ReadOnlyWhen(UserToneRewritten, kGreyValue)},
    {CL_UTone_Dec_High, Rec(kValue, tone::kUserDecodeHigh), Decimal(1, 1, 400.0, 3000.0),
     Warn(WindowInverted, MR_UserToneWindow) | ReadOnlyWhen(UserToneRewritten, kGreyValue)},
};

constexpr uint32_t kOlive = msk::kFixedRowColour;

const cmcFieldRow kMskRows[] = {
    {CL_Msk_AdrRange_Common, Word(msk::kCommonAddress), DecDigits(4, 0, msk::kAddressMax)},
    {CL_Msk_AdrRange_CountryCode, Byte(0x9AA5), List(kCountry)},
    {CL_Msk_AdrRange_Killer, Word(msk::kKillerAddress), DecDigits(4, 0, msk::kAddressMax), Error(KillerOutside, MR_MskKiller)},
    {CL_Msk_IdGroup_Adr, Rec(kValue, 0), DecDigits(4, 0, msk::kAddressMax), Error(IdGroupOutside, MR_MskIdGroup) | MarkLeft()},
    {CL_Msk_IdGroup_Text, Rec(kText, 0), Text(8)},
    {CL_Msk_IdGroup_Alert, Rec(kOpt, 0).Bits(0, 1), List(kBeep)},
    {CL_Msk_IdGroup_Bell, Rec(kOpt, 1).Bits(0, 2), List("GI_Sheet_Sel_Msk_IdGroup_Bell")},
    {CL_Msk_IdGroup_SFunc, Rec(kOpt, 0).Bits(2), List(kOnOff2)},
    {CL_Msk_CallList_Digit, Rec(kOpt, 0).AsKind(KIND_MskCallList), Flags(1, 4)},
    {CL_Msk_CallList_Text, Rec(kText, 0).AsKind(KIND_MskCallList), Text(8)},
    {CL_Msk_CallList_Update, Rec(kOpt, 1).Bits(0), List(kEnable2)},
    {CL_Msk_CallList_Sel, Rec(kOpt, 1).Bits(1), List(kEnable2)},
    // Row 23 is the radio's own status entry: shown in olive, never edited.
    {CL_Msk_Msg_Status_Beep, Rec(kOpt, 0).Bits(0, 1), List(kBeep), ReadOnlyWhen(IndexIs<msk::kStatusFixedRow>, kOlive)},
    {CL_Msk_Msg_Status_Horn, Rec(kOpt, 0).Bits(2), List(kOnOff2), ReadOnlyWhen(IndexIs<msk::kStatusFixedRow>, kOlive)},
    {CL_Msk_Msg_Status_Auto, Rec(kOpt, 0).Bits(3), List(kOnOff2), ReadOnlyWhen(IndexIs<msk::kStatusFixedRow>, kOlive)},
    {CL_Msk_Msg_Status_Text_Rx, Rec(kText, 0), Text(8), ReadOnlyWhen(IndexIs<msk::kStatusFixedRow>, kOlive)},
    {CL_Msk_Msg_Status_SFunc, Rec(kOpt, 0).Bits(4), List(kOnOff2)},
    {CL_Msk_Msg_Status_Rriority, Rec(kOpt, 1).Bits(0, 1), List("GI_Sheet_Sel_Msk_StatusMessPrio")},
    {CL_Msk_Msg_Status_Selection, Rec(kOpt, 0).Bits(5), List(kOnOff2)},
    {CL_Msk_Msg_Status_Text_Tx, Rec(kText, 8), Text(8)},
    {CL_Msk_Msg_ShortTxtTxMsg_1, Rec(kText, 0), Text(8)},
    {CL_Msk_Msg_ShortTxtTxMsg_Sel, Rec(kOpt, 0).Bits(0), List(kOnOff2)},

    {CL_Msk_TimingErr_NA, Byte(0x9BED), Integer(1, 8)},
    {CL_Msk_TimingErr_NM, Byte(0x9BEE), Integer(1, 8)},
    {CL_Msk_TimingErr_NR, Byte(0x9BEF), Integer(1, 8)},
    {CL_Msk_TimingErr_TAC, Byte(0x9BF1), Decimal(2, 2, 0.01, 2.55)},
    {CL_Msk_TimingErr_BusyCheck, Byte(0x9BF7), Integer(0, 255)},
    {CL_Msk_TimingErr_LetAck, Byte(0x9BF5), Decimal(2, 2, 0, 2.55)},
    {CL_Msk_TimingErr_LetCall, Byte(0x9BF6), Decimal(2, 2, 0, 2.55)},

    {CL_Msk_Cfg_Enc_PttCall, Bits(0x9C10, 7), List(kEnable3)},
    {CL_Msk_Cfg_Enc_PreEmphasis, Bits(0x9C10, 6), List("GI_Sheet_Sel_Msk_PreEmphasis")},
    {CL_Msk_Cfg_Enc_SyncvWord, Word(0x9C09), HexDigits(4)},
    {CL_Msk_Cfg_Enc_PttSideTone, Bits(0x9C10, 2), List(kSideTone)},
    {CL_Msk_Cfg_Dec_BeepRepeatTimer, Byte(0x9C0C), Decimal(0, 3, 0, 60)},
    {CL_Msk_Cfg_Dec_MuteMskTone, Bits(0x9C10, 5), List(kOnOff)},
    {CL_Msk_Cfg_Dec_ANI_Disp, Bits(0x9C12, 4, 5), List("GI_Sheet_Sel_Msk_ANI_Disp")},
    {CL_Msk_Cfg_Dec_ANI_Disp_Timer, Byte(0x9C0B), Timer(10)},
    {CL_Msk_Cfg_Status_FixBaseId, Word(msk::kStatusFixBaseId), DecDigits(4, 0, msk::kAddressMax), Error(NotIndividual, MR_MskFixBaseId)},
    {CL_Msk_Cfg_Status_Send_PrioA, Bits(0x95A1, 6), List(kEnable3)},
    {CL_Msk_Cfg_Status_Send_On, Bits(0x9C11, 1), List(kEnable3)},
    {CL_Msk_Cfg_Status_Send_Off, Bits(0x9C11, 0), List(kEnable3)},
    {CL_Msk_Cfg_Gps_FixBaseId, Word(msk::kGpsFixBaseId), DecDigits(4, 0, msk::kAddressMax), Error(NotIndividual, MR_MskFixBaseId)},
    {CL_Msk_Cfg_Gps_Send_Base, Bits(0x9C11, 6), List(kEnable3)},
    {CL_Msk_Cfg_Gps_Auto, Bits(0x9C10, 4), List(kEnable3)},
    {CL_Msk_Cfg_Gps_TimeMarker, Byte(0x9C0E), MinSec(0, 3570, 30)},
    {CL_Msk_Cfg_Gps_IntervalTimer, Byte(0x9C0F), MinSec(30, 3570, 30)},
    {CL_Msk_Cfg_Gps_Send_Logoff, Bits(0x9C11, 4), List(kEnable3)},
    {CL_Msk_Cfg_Gps_Send_Status, Bits(0x9C11, 3), List(kEnable3)},
    {CL_Msk_Cfg_Gps_Send_Sdm, Bits(0x9C11, 5), List(kEnable3)},
    {CL_Msk_Cfg_Gps_Send_Emer, Bits(0x9C11, 7), List(kEnable3)},
    {CL_Msk_Cfg_Gps_Send_ManDown, Bits(0x9C11, 2), List(kEnable3)},
    {CL_Msk_Cfg_Gps_Sentence, Bits(0x9C10, 0, 1), List("GI_Sheet_Sel_Msk_GpsSentence")},
    {CL_Msk_Cfg_Etc_PttEnableAtConnect, Bits(0x9C12, 7), List(kEnable3)},

    {CL_Msk_Presl_Own_Id, Word(0x9A15), DecDigits(4, 0, msk::kAddressMax)},
    {CL_Msk_Presl_Common, Word(0x9A17), DecDigits(4, 0, msk::kAddressMax)},
    {CL_Msk_Presl_Sync, Word(0x9A19), HexDigits(4)},
    {CL_Msk_Presl_Country, Byte(0x9A1B), List(kCountry)},
    {CL_Msk_Presl_Call_Let, Byte(0x9A1C), Decimal(2, 2, 0, 2.55)},
    {CL_Msk_Presl_Ptt_Side, Bits(0x9A1D, 2, 3), List(kSideTone)},
};

const cmcFieldRow kDigitalRows[] = {
    {CL_Dig_ProgMes_Busy, Bytes(dig::kProgMesFirst + 0), Text(8)},
    {CL_Dig_ProgMes_Break, Bytes(dig::kProgMesFirst + 8), Text(8)},
    {CL_Dig_ProgMes_Calling, Bytes(dig::kProgMesFirst + 16), Text(8)},
    {CL_Dig_ProgMes_Cancelled, Bytes(dig::kProgMesFirst + 24), Text(8)},
    {CL_Dig_ProgMes_Complete, Bytes(dig::kProgMesFirst + 32), Text(8)},
    {CL_Dig_ProgMes_Connect, Bytes(dig::kProgMesFirst + 40), Text(8)},
    {CL_Dig_ProgMes_Failed, Bytes(dig::kProgMesFirst + 48), Text(8)},
    {CL_Dig_ProgMes_HiVolt, Bytes(dig::kProgMesFirst + 56), Text(8)},
    {CL_Dig_ProgMes_NoAns, Bytes(dig::kProgMesFirst + 64), Text(8)},
    {CL_Dig_ProgMes_Standby, Bytes(dig::kProgMesFirst + 72), Text(8)},
    {CL_Dig_ProgMes_Wait, Bytes(dig::kProgMesFirst + 80), Text(8)},
    {CL_Dig_ProgMes_Lock, Bytes(dig::kProgMesFirst + 88), Text(8)},
    {CL_Dig_ProgMes_LowBatt, Bytes(dig::kProgMesFirst + 96), Text(8)},

    {CL_Dig_Msg_Status_Beep, Rec(kOpt, 0).Bits(0, 1), List(kBeep)},
    {CL_Dig_Msg_Status_Selection, Rec(kOpt, 0).Bits(2), List(kOnOff2)},
    {CL_Dig_Msg_Status_Text_Rx, Rec(kText, 16), Text(16)},
    {CL_Dig_Msg_Status_Text_Tx, Rec(kText, 32), Text(16)},

    {CL_Dig_Tim_TxWait, Bits(0xA371, 0, 3), List("GI_Sheet_Sel_TxWait_Timer"), ExtendedOnly()},
    {CL_Dig_Tim_Chk, Word(0xA365), Timer(1000, 100, 1275), ExtendedOnly()},
    {CL_Dig_Tim_Free, Word(0xA367), Timer(1000, 100, 1275), ExtendedOnly()},
    {CL_Dig_Tim_Tac, Word(0xA369), Timer(1000, 0, 1275), ExtendedOnly()},
    {CL_Dig_Tim_Breakin, Byte(0xA36B), Timer(10), ExtendedOnly()},
    {CL_Dig_Tim_Wakeup, Byte(0xA36E), Integer(0, 16), ExtendedOnly()},
    {CL_Dig_Tim_ND, Byte(0xA36F), Integer(1, 8), ExtendedOnly()},
    {CL_Dig_Tim_NR, Byte(0xA370), Integer(1, 4), ExtendedOnly()},
    {CL_Dig_Tim_L0Level, Signed(0xA36D), Integer(-115, -100), ExtendedOnly()},
};

}  // namespace

void RegisterSignalFieldCells(cmcCellTable& t) {
    t.Fields(kTwoToneRows);
    t.Fields(kFiveToneRows);
    t.Fields(kMskRows);
    t.Fields(kDigitalRows);
}

namespace {

// The definition checker knows the selection lists these rows read.
const bool kListsRequired = (RequireFieldLists(kTwoToneRows), RequireFieldLists(kFiveToneRows),
                             RequireFieldLists(kMskRows), RequireFieldLists(kDigitalRows), true);

}  // namespace

}  // namespace qx
