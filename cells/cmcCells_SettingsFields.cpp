// The plain radio settings: each label is a field of the image (a bit range, a byte, a 16-bit word
// or a run of bytes) or of a DTMF or scan list record, shown and edited by a standard editor, and
// written as one row that reads like the settings table it comes from (cmcFieldCell.h has the
// vocabulary). Settings with rules of their own are functions in cmcCells_Settings.cpp.
#include "cells/cmcCellTable.h"
#include "cells/cmcFieldCell.h"

namespace qx {

namespace {

using namespace field;

constexpr const char* kOnOff = "GI_Sheet_Sel_Misc_OnOff";
constexpr const char* kEnable3 = "GI_Sheet_Sel_Misc_Enable3";
constexpr const char* kUserSet = "GI_Sheet_Sel_UserSetEnable";
constexpr const char* kAccess = "GI_Sheet_Sel_Comm_SetModeAccess";

// clang-format off
const cmcFieldRow kRows[] = {
    // ---- keys and display
    {CL_KDisp_Key_SmTr_RightUp, Byte(0x8808), List("GI_Sheet_Sel_KDisp_Key_SmTr")},
    {CL_KDisp_Key_SmTr_RightDn, Byte(0x8809), List("GI_Sheet_Sel_KDisp_Key_SmTr")},
    {CL_KDisp_Key_SmTr_LeftUp,  Byte(0x880A), List("GI_Sheet_Sel_KDisp_Key_SmTr")},
    {CL_KDisp_Key_SmTr_LeftDn,  Byte(0x880B), List("GI_Sheet_Sel_KDisp_Key_SmTr")},
    {CL_KDisp_Key_SmTr_P0,      Byte(0x880C), List("GI_Sheet_Sel_KDisp_Key_SmTr")},
    {CL_KDisp_Key_SmTr_P1,      Byte(0x880D), List("GI_Sheet_Sel_KDisp_Key_SmTr")},
    {CL_KDisp_Key_SmTr_P2,      Byte(0x880E), List("GI_Sheet_Sel_KDisp_Key_SmTr")},
    {CL_KDisp_Key_SmTr_P3,      Byte(0x880F), List("GI_Sheet_Sel_KDisp_Key_SmTr")},
    {CL_KDisp_Key_Dig_RightUp,  Byte(0x8810), List("GI_Sheet_Sel_Keys_Conv_DPmr446Dig")},
    {CL_KDisp_Key_Dig_RightDn,  Byte(0x8811), List("GI_Sheet_Sel_Keys_Conv_DPmr446Dig")},
    {CL_KDisp_Key_Dig_LeftUp,   Byte(0x8812), List("GI_Sheet_Sel_Keys_Conv_DPmr446Dig")},
    {CL_KDisp_Key_Dig_LeftDn,   Byte(0x8813), List("GI_Sheet_Sel_Keys_Conv_DPmr446Dig")},
    {CL_KDisp_Key_Dig_P0,       Byte(0x8814), List("GI_Sheet_Sel_Keys_Conv_DPmr446Dig")},
    {CL_KDisp_Key_Dig_P1,       Byte(0x8815), List("GI_Sheet_Sel_Keys_Conv_DPmr446Dig")},
    {CL_KDisp_Key_Dig_P2,       Byte(0x8816), List("GI_Sheet_Sel_Keys_Conv_DPmr446Dig")},
    {CL_KDisp_Key_Dig_P3,       Byte(0x8817), List("GI_Sheet_Sel_Keys_Conv_DPmr446Dig")},
    {CL_KDisp_Tenkey_Select,    Bits(0x959F, 4), List("GI_Sheet_Sel_KDisp_Tenkey")},
    {CL_KDisp_HangAct_Moni,     Bits(0x95A4, 7), List(kOnOff)},
    {CL_KDisp_HangAct_Scan,     Bits(0x95A4, 5), List(kOnOff)},
    {CL_KDisp_HangAct_PrioA,    Bits(0x95A4, 6), List(kEnable3)},
    {CL_KDisp_OpeningText,      Byte(0x9A0D), Text(8)},
    {CL_KDisp_ScrollTimer,      Byte(0x9C0D), Timer(10).Off()},
    {CL_KDisp_RfPoSel,          Bits(0x95A2, 2), List("GI_Sheet_Sel_KDisp_RfPwr")},
    {CL_KDisp_MrCode,           Bits(0x959E, 0, 1), List("GI_Sheet_Sel_MrCode")},
    {CL_KDisp_PwrSW,            Bits(0x95A1, 4), List("GI_Sheet_Sel_Misc_Enable_I")},
    {CL_KDisp_PrioA_SwOn,       Bits(0x95A0, 1), List(kEnable3)},
    {CL_KDisp_PrioA_ClearDown,  Bits(0x95A1, 7), List(kEnable3)},

    // ---- set mode: item titles, values, user access, value titles
    {CL_TSetM_Backlight,   Byte(0xA3F9), Text(4)},
    {CL_TSetM_BeepOn,      Byte(0xA401), Text(4)},
    {CL_TSetM_BeepLev,     Byte(0xA409), Text(4)},
    {CL_TSetM_SqlLev,      Byte(0xA411), Text(4)},
    {CL_TSetM_MicGain,     Byte(0xA419), Text(4)},
    {CL_TSetM_BATVDisp,    Byte(0xA421), Text(4)},
    {CL_TSetM_SigMoni,     Byte(0xA429), Text(4)},
    {CL_TSetM_Ringer,      Byte(0xA431), Text(4)},
    {CL_TSetM_Ringer2,     Byte(0xA439), Text(4)},
    {CL_TSetM_RingerTimer, Byte(0xA441), Text(4)},
    {CL_TSetM_RingerLev,   Byte(0xA449), Text(4)},
    {CL_TSetM_CodeDisp,    Byte(0xA451), Text(4)},
    {CL_TSetM_Psave,       Byte(0xA459), Text(4)},
    {CL_SetM_Backlight,    Bits(0x013E, 0, 3), List("GI_Sheet_Sel_SetM_Backlight")},
    {CL_SetM_BeepOn,       Bits(0x0130, 7), List(kOnOff)},
    {CL_SetM_SqlLev,       Byte(0x0131), Integer(0, 255)},
    {CL_SetM_MicGain,      Byte(0x0133), List("GI_Sheet_Sel_SetM_MicGain")},
    {CL_SetM_BATVDisp,     Bits(0x013F, 6), List(kOnOff)},
    {CL_SetM_SigMoni,      Bits(0x013F, 2), List("GI_Sheet_Sel_Misc_OnOff_I")},
    {CL_SetM_Ringer,       Byte(0x0134), List("GI_Sheet_Sel_SetM_Ringer")},
    {CL_SetM_Ringer2,      Byte(0x0136), List("GI_Sheet_Sel_SetM_RingerOff")},
    {CL_SetM_RingerTimer,  Byte(0x0135), Integer(0, 16)},
    {CL_SetM_RingerLev,    Bits(0x0137, 0, 3), List("GI_Sheet_Sel_SetM_RingLev")},
    {CL_SetM_CodeDisp,     Bits(0x013E, 4), List("GI_Sheet_Sel_SetM_CodeType")},
    {CL_SetM_Psave,        Bits(0x013F, 0, 1), List("GI_Sheet_Sel_SetM_PowerSave")},
    {CL_USetM_Backlight,   Bits(0x958D, 7), List(kUserSet)},
    {CL_USetM_BeepOn,      Bits(0x958D, 6), List(kUserSet)},
    {CL_USetM_BeepLev,     Bits(0x958D, 2), List(kUserSet)},
    {CL_USetM_SqlLev,      Bits(0x958D, 5), List(kUserSet)},
    {CL_USetM_MicGain,     Bits(0x958D, 4), List(kUserSet)},
    {CL_USetM_BATVDisp,    Bits(0x958D, 3), List(kUserSet)},
    {CL_USetM_BERDisp,     Bits(0x958D, 1), List(kUserSet)},
    {CL_USetM_SigMoni,     Bits(0x958D, 0), List(kUserSet)},
    {CL_USetM_Ringer,      Bits(0x958E, 7), List(kUserSet)},
    {CL_USetM_Ringer2,     Bits(0x958E, 3), List(kUserSet)},
    {CL_USetM_RingerTimer, Bits(0x958E, 6), List(kUserSet)},
    {CL_USetM_RingerLev,   Bits(0x958E, 2), List(kUserSet)},
    {CL_USetM_CodeDisp,    Bits(0x958E, 5), List(kUserSet)},
    {CL_USetM_Psave,       Bits(0x958E, 4), List(kUserSet)},
    {CL_TSetI_OFF,         Byte(0xA479), Text(3)},
    {CL_TSetI_ON,          Byte(0xA481), Text(3)},
    {CL_TSetI_Auto,        Byte(0xA489), Text(3)},
    {CL_TSetI_Auto2,       Byte(0xA491), Text(3)},
    {CL_TSetI_Code,        Byte(0xA499), Text(3)},
    {CL_TSetI_Number,      Byte(0xA4A1), Text(3)},
    {CL_TSetI_Ana,         Byte(0xA4A9), Text(3)},
    {CL_TSetI_Dig,         Byte(0xA4B1), Text(3)},
    {CL_TSetI_Both,        Byte(0xA4B9), Text(3)},

    // ---- common settings
    {CL_Comm_UserPassword,        Bytes(0x957D), DigitString(4)},
    {CL_Comm_DealerPasscode,      Bytes(0x957F), DigitString(6)},
    {CL_Comm_PwrOnPassword,       Bits(0x95A2, 5), List(kOnOff)},
    {CL_Comm_IniSetModeAccess,    Bits(0x95D9, 7), List(kAccess)},
    {CL_Comm_KeyChgModeAccess,    Bits(0x95D9, 6), List(kAccess)},
    {CL_Comm_AllClearAccess,      Bits(0x95D9, 5), List(kAccess)},
    {CL_Comm_SetModeAccess,       Bits(0x95A0, 3), List(kAccess)},
    {CL_Comm_AtResetTimer_A,      Byte(0x95BD), Timer(1).Off()},
    {CL_Comm_AtResetTimer_B,      Byte(0x95BE), Timer(1).Off()},
    {CL_Comm_InactiveTimer,       Byte(0x95BF), Timer(1)},
    {CL_Comm_Tot,                 Bits(0xA376, 7), List(kOnOff), ExtendedOnly()},
    {CL_Comm_Tot_ID_Out,          Bits(0x95A0, 5), List(kOnOff)},
    {CL_Comm_Tot_Dtmf_ID_Out,     Bits(0x95A0, 5), List(kOnOff)},
    {CL_Comm_Tot_Timer,           Byte(0x95B9), Timer(1).MaxFor(kModelDPmr446, 180)},
    {CL_Comm_Tot_Reset,           Byte(0x95CA), Decimal(0, 3, 0, 15), OffWhenZero()},
    {CL_Comm_Tot_PenaltyTimer,    Byte(0x95BA), Timer(1).Off()},
    {CL_Comm_Tot_Beep,            Bits(0x95A0, 4), List(kOnOff)},
    {CL_Comm_CloneComment1,       Bytes(0x95DD), PlainText(16)},
    {CL_Comm_CloneComment2,       Bytes(0x95ED), PlainText(16)},
    {CL_Comm_LockoutAna,          Bits(0xA376, 2, 3), List("GI_Sheet_Sel_Mch_Lockout_Ana")},
    {CL_Comm_LockoutDig,          Bits(0xA376, 0, 1), List("GI_Sheet_Sel_Mch_Lockout_Dig")},
    {CL_Comm_LockoutPenaltyTimer, Byte(0x95BB), Timer(1).Off()},
    {CL_Comm_LockoutOverride,     Bits(0x95A2, 1), List(kOnOff)},
    {CL_Comm_Ctcss_ToneBurst,     Bits(0x959F, 3), List("GI_Sheet_Sel_Comm_Ctcss_BurstType")},
    {CL_Comm_Ctcss_ReverseBurst,  Byte(0x95A7), Timer(100).Off()},
    {CL_Comm_Ctcss_RxAfFilt,      Bits(0x959F, 2), List("GI_Sheet_Sel_Comm_RxAfSw")},
    {CL_Comm_Ctcss_ChMuteCont,    Bits(0x959E, 3), List("GI_Sheet_Sel_Exp_ChMuteCont")},
    {CL_Comm_RS232C_SPPED,        Bits(0x959D, 0, 3), List("GI_Sheet_Sel_Comm_RS232C_SPEED")},
    {CL_Comm_RS232C_Mode,         Bits(0x959D, 4, 5), List("GI_Sheet_Sel_Comm_RS232C_Mode")},
    {CL_Comm_Dig_Rs232c_Speed,    Bits(0xA375, 0, 1), List("GI_Sheet_Sel_Dig_RS232C_SPEED")},
    {CL_Comm_Dig_Rs232c_Mode,     Bits(0xA375, 4), List(kOnOff)},
    {CL_Comm_Scrm_Type,           Bits(0x9582, 3), List("GI_Sheet_Sel_Comm_Scrm_Type"), Notify(CN_All)},
    {CL_Comm_Scrm_SyncCapture,    Bits(0x9582, 6, 7), List("GI_Sheet_Sel_Comm_Scrm_SyncCapture"), Grey(BitSet<0x9582, 3>)},
    {CL_Comm_Scrm_GroupCode,      Bits(0x9582, 0, 1), List("GI_Sheet_Sel_Comm_Scrm_GroupCode"), Grey(BitSet<0x9582, 3>)},
    {CL_Comm_Scrm_TStartTiming,   Bits(0x9582, 4, 5), List("GI_Sheet_Sel_Comm_Scrm_ToneStartTiming"), Grey(BitSet<0x9582, 3>)},
    {CL_Comm_PwrSave_Timer1,      Byte(0x95C5), Timer(10)},
    {CL_Comm_PwrSave_Timer2,      Byte(0x95C6), Timer(1)},
    {CL_Comm_ManDown_ON,          Bits(0x959E, 2), List(kOnOff), Notify(CN_All)},
    {CL_Comm_ManDown_Timer,       Byte(0x95C7), Timer(10), Grey(BitClear<0x959E, 2>)},
    {CL_Comm_ManDown_TS1,         Byte(0x9BF2), Timer(10), Grey(BitClear<0x959E, 2>)},
    {CL_Comm_ManDown_TS2,         Byte(0x9BF3), Timer(10), Grey(BitClear<0x959E, 2>)},
    {CL_Comm_ManDown_TS3,         Byte(0x9BF4), Timer(10), Grey(BitClear<0x959E, 2>)},
    {CL_Comm_ManDown_Sairen,      Bits(0x959F, 7), List("GI_Sheet_Sel_Comm_Sairen"), Grey(BitClear<0x959E, 2>)},
    {CL_Comm_ManDown_ReCycle,     Byte(0x9BF0), Integer(1, 8), Grey(BitClear<0x959E, 2>)},
    {CL_Comm_SmartRing_Beep,      Bits(0x95D9, 0, 2), List("GI_Sheet_Sel_SRing_Beep")},
    {CL_Comm_SmartRing_BeepTimer, Byte(0x95BC), Decimal(0, 3, 0, 60)},
    {CL_Comm_AllSelect,           Bits(0x0148, 2), List("GI_Sheet_Sel_Comm_SelAll")},
    {CL_Comm_TRDataOut,           Bits(0x95A0, 2), List(kAccess)},
    {CL_Comm_Wide,                Bits(0x95A2, 7), List("GI_Sheet_Sel_Comm_Wide")},
    {CL_Comm_PTTSide,             Bits(0xA375, 6), List(kOnOff)},
    {CL_Comm_PTTOver,             Bits(0xA375, 5), List(kOnOff)},
    {CL_Comm_PTTwithRinger,       Bits(0xA375, 7), List(kOnOff)},
    {CL_Comm_LowBatt1_Periods,    Byte(0x95DA), Timer(1).Off()},
    {CL_Comm_LowBatt2_Periods,    Byte(0x95DB), Timer(1).Off()},

    // ---- extended settings
    {CL_Exp_UserCtcss,        Word(0x9697), Decimal(1, 1, 60.0, 300.0).NoStepping()},
    {CL_Exp_BeepFreq_Low,     Word(0x9587), Integer(400, 3000), Scaled(10)},
    {CL_Exp_BeepFreq_High,    Word(0x9589), Integer(400, 3000), Scaled(10)},
    {CL_Exp_Emer_SwOnTimer,   Byte(0x95B6), Timer(10)},
    {CL_Exp_Emer_SwOffTimer,  Byte(0x95B7), Timer(10)},
    {CL_Exp_Emer_StartRepeat, Byte(0x95B8), Timer(1)},
    {CL_Exp_DtcsInv_Tx,       Bits(0x959E, 7), List("GI_Sheet_Sel_Exp_DtcsInv")},
    {CL_Exp_DtcsInv_Rx,       Bits(0x959E, 6), List("GI_Sheet_Sel_Exp_DtcsInv")},
    {CL_Exp_ClShift,          Bits(0x95A1, 0, 1), List("GI_Sheet_Sel_Exp_ClShift")},
    {CL_Exp_PttSw,            Bits(0x95A2, 6), List("GI_Sheet_Sel_Misc_Enable_D")},

    // ---- DTMF codes, scan lists, their timers and switches
    {CL_Dtmf_DtmfTimer,                 Byte(0x95AE), Timer(100)},
    {CL_Dtmf_FirstTimer,                Byte(0x95AF), Timer(100)},
    {CL_Dtmf_MarkTimer,                 Byte(0x95B0), Timer(100)},
    {CL_Dtmf_Text,                      Rec(&datCh::text, 0).AsKind(KIND_Dtmf), Text(8)},
    {CL_ScanList_Text,                  Rec(&datCh::text, 0).AsKind(KIND_ScanList), Text(8)},
    {CL_ScanList_ScanMode,              Rec(&datCh::opt, 1).AsKind(KIND_ScanList).Bits(0), List("GI_Sheet_Sel_ScanMode")},
    {CL_ScanList_DispText,              Rec(&datCh::opt, 0).AsKind(KIND_ScanList).Bits(0, 1), List("GI_Sheet_Sel_ScanList_Text")},
    {CL_ScanList_PwrSave,               Rec(&datCh::opt, 0).AsKind(KIND_ScanList).Bits(2), List("GI_Sheet_Sel_Misc_OnOff2")},
    {CL_ScanComm_StopTimer,             Byte(0x95B2), Timer(10)},
    {CL_ScanComm_StopTimerB,            Byte(0x95C8), Timer(10)},
    {CL_ScanComm_ResumeTimer,           Byte(0x95B3), Timer(10)},
    {CL_ScanComm_TalkBackTimer,         Byte(0x95C9), Timer(10).Off()},
    {CL_ScanComm_ScanTimer_Fast,        Byte(0x95A5), Timer(1000)},
    {CL_ScanComm_ScanTimer_Slow,        Byte(0x95A6), Timer(100)},
    {CL_ScanComm_PwrOnScan,             Bits(0x95A0, 7), List(kOnOff)},
    {CL_ScanComm_AutoChCall_PmrOnly,    Bits(0x959F, 1), List(kOnOff)},
    {CL_ScanComm_BacklitatStopScan,     Bits(0x95A2, 0), List(kOnOff)},
};
// clang-format on

// The definition checker knows every list these rows read.
const bool kKeysRegistered = (RequireFieldLists(kRows), true);

}  // namespace

void RegisterSettingsFieldCells(cmcCellTable& t) { t.Fields(kRows); }

}  // namespace qx
