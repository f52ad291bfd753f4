// Names of the cell language: the 22 cell categories and the 710 cell labels (valued by their
// position), the colour names, and the character set, style and pitch names of font specifications.
// The category and label lists below are the one table of names in the program; the enums and the
// name arrays are both generated from them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qx {

// Cell categories, in value order (the value is the position).
#define QX_CELL_CATEGORIES(X) \
    X(CT_Null) X(CT_PopupMenu) X(CT_Mch) X(CT_Mch_Check) X(CT_CEdit) X(CT_DTMF) \
    X(CT_Scan) X(CT_CTone) X(CT_RX_Code) X(CT_TX_Code) X(CT_2Tone_Code) X(CT_2ToneTX_Common) \
    X(CT_UserTone) X(CT_BankOp) X(CT_MSK_AdrRange) X(CT_MSK_IdGroup) X(CT_MSK_CallList) \
    X(CT_MSK_Msg_Status) X(CT_MSK_Msg_ShortTxt) X(CT_MSK_TimingErr) X(CT_MSK_Cfg) X(CT_Dig_Msg_Status)

// Cell labels, in value order (the value is the position).
#define QX_CELL_LABELS(X) \
    X(CL_Null) X(Flex0) X(Flex1) X(Flex2) X(FlexMark) X(FlexDtcs) X(FlexKeyOpt) X(FlexEeDebugWin) \
    X(FlexScrmPort) X(FlexAdjCh) X(CL_Menu_File_New) X(CL_Menu_File_Open) X(CL_Menu_File_Save) \
    X(CL_Menu_File_SaveAs) X(CL_Menu_File_Print_Current) X(CL_Menu_File_Print_All) X(CL_Menu_File_Recent) \
    X(CL_Menu_File_Exit) X(CL_Menu_Edit_Top) X(CL_Menu_View_FontSize) X(CL_Menu_View_ToolBar) \
    X(CL_Menu_Port_Com) X(CL_Menu_Port_Usb) X(CL_Menu_Port_SpeedHigh) X(CL_Menu_Clone_Read) \
    X(CL_Menu_Clone_Write) X(CL_Menu_Clone_Info) X(CL_Model_Lmr) X(CL_Model_Pmr) X(CL_Model_KorvPmr) \
    X(CL_Model_DPmr446) X(CL_Help_About) X(CL_Help_Contents) X(CL_Menu_Debug_Compare) \
    X(CL_Menu_Debug_CorrectComp) X(CL_Menu_Debug_25kCheckComp) X(CL_Menu_Debug_Window) \
    X(CL_Menu_Debug_EeWindow) X(CallSheet) X(CL_Check_Mch) X(CL_Check_SetMode) X(CL_Check_Common) \
    X(CL_Check_User_Tone_Encode) X(CL_Check_Msk_IdRange) X(CL_Check_Msk_OwnIdGroup) X(CL_Check_Msk_Config) \
    X(CL_CloneInfo_Model) X(CL_CloneInfo_Revision) X(CL_CloneInfo_KeyBoard) X(CL_CloneInfo_Comment1) \
    X(CL_CloneInfo_Comment2) X(CL_CloneInfo_PllRef) X(CL_CloneInfo_Option) X(CL_CloneInfo_OverVolt) \
    X(CL_CloneInfo_Esn) X(CL_CloneInfo_CheckSum) X(CL_EeDebugWin_Adr) X(CL_EeDebugWin_0) X(CL_EeDebugWin_1) \
    X(CL_EeDebugWin_2) X(CL_EeDebugWin_3) X(CL_EeDebugWin_4) X(CL_EeDebugWin_5) X(CL_EeDebugWin_6) \
    X(CL_EeDebugWin_7) X(CL_EeDebugWin_8) X(CL_EeDebugWin_9) X(CL_EeDebugWin_A) X(CL_EeDebugWin_B) \
    X(CL_EeDebugWin_C) X(CL_EeDebugWin_D) X(CL_EeDebugWin_E) X(CL_EeDebugWin_F) X(CL_PMenu_NoItem) \
    X(CL_PMenu_Edit) X(CL_PMenu_Copy) X(CL_PMenu_Paste) X(CL_PMenu_CarryUp) X(CL_PMenu_CarryDown) \
    X(CL_PMenu_Clear) X(CL_PMenu_Delete) X(CL_PMenu_Insert) X(CL_PMenu_Help) X(CL_Bank_SelBankFree) \
    X(CL_Bank_SmarTrunk) X(CL_Bank_UsedQty) X(CL_Bank_UsedTotal) X(CL_Bank_UsedLeft) X(CL_Mch_BankText) \
    X(CL_Mch_SmarTrunk) X(CL_Mch_Bank) X(CL_Mch_Bank_Total) X(CL_Mch_Bank_Left) X(CL_Mch_UsedCHs) \
    X(CL_Mch_UsedCHs_Total) X(CL_Mch_UsedCHs_Left) X(CL_FBits) X(CL_Misc_ChNo_0Base) X(CL_Misc_ChNo_1Base) \
    X(CL_Misc_QuarterPillar) X(CL_Mch_No) X(CL_Mch_Atr) X(CL_Mch_Inh) X(CL_Mch_FreqR) X(CL_Mch_FreqT) \
    X(CL_Mch_TxInh) X(CL_Mch_Nar) X(CL_Mch_CTone_R) X(CL_Mch_CTone_T) X(CL_Mch_Text) X(CL_Mch_Compander) \
    X(CL_Mch_PwrSave) X(CL_Mch_Tot) X(CL_Mch_RfPo) X(CL_Mch_Lockout) X(CL_Mch_Scan) X(CL_Mch_AutoReset) \
    X(CL_Mch_2Tone) X(CL_Mch_Log) X(CL_Mch_Log_Msk) X(CL_Mch_Scan_Inc) X(CL_Mch_AutoChScan) X(CL_Mch_Scrm_On) \
    X(CL_Mch_Scrm_Code) X(CL_Mch_Log_Pmr) X(CL_Mch_Moni) X(CL_Mch_Sel) X(CL_Mch_Call) X(CL_Mch_PTT) \
    X(CL_Mch_CH_Mute) X(CL_Mch_Form) X(CL_Mch_Rpt_C) X(CL_Mch_Rpt_L) X(CL_Mch_Stn_C) X(CL_Mch_Stn_L) \
    X(CL_Mch_Id_C) X(CL_Mch_Id_L) X(CL_Mch_Pos) X(CL_Mch_RxCNo) X(CL_Mch_RxCNo2) X(CL_Mch_Msk_Sig) \
    X(CL_Mch_Msk_Log) X(CL_Mch_Msk_SendStatus) X(CL_Mch_Msk_Rpt) X(CL_Mch_Msk_Stn) X(CL_Mch_Msk_RxCNo) \
    X(CL_Mch_Dig_Sig) X(CL_Mch_Dig_ComID) X(CL_Mch_Dig_CC_R) X(CL_Mch_Dig_CC_T) X(CL_Msk_AdrRange_Individual) \
    X(CL_Msk_AdrRange_Group) X(CL_Msk_AdrRange_Common) X(CL_Msk_AdrRange_CountryCode) X(CL_Msk_AdrRange_Killer) \
    X(CL_Msk_IdGroup_Adr) X(CL_Msk_IdGroup_Text) X(CL_Msk_IdGroup_Alert) X(CL_Msk_IdGroup_Bell) \
    X(CL_Msk_IdGroup_SFunc) X(CL_Msk_CallList_Adr) X(CL_Msk_CallList_Digit) X(CL_Msk_CallList_Text) \
    X(CL_Msk_CallList_Update) X(CL_Msk_CallList_Sel) X(CL_Msk_Msg_Status_Beep) X(CL_Msk_Msg_Status_Horn) \
    X(CL_Msk_Msg_Status_Auto) X(CL_Msk_Msg_Status_SFunc) X(CL_Msk_Msg_Status_Rriority) \
    X(CL_Msk_Msg_Status_Selection) X(CL_Msk_Msg_Status_Text_Rx) X(CL_Msk_Msg_Status_Text_Tx) \
    X(CL_Msk_Msg_ShortTxtTxMsg_1) X(CL_Msk_Msg_ShortTxtTxMsg_2) X(CL_Msk_Msg_ShortTxtTxMsg_3) \
    X(CL_Msk_Msg_ShortTxtTxMsg_Sel) X(CL_Msk_TimingErr_NA) X(CL_Msk_TimingErr_ND) X(CL_Msk_TimingErr_NM) \
    X(CL_Msk_TimingErr_NR) X(CL_Msk_TimingErr_TAC) X(CL_Msk_TimingErr_TOF) X(CL_Msk_TimingErr_TOI) \
    X(CL_Msk_TimingErr_TWF) X(CL_Msk_TimingErr_TWI) X(CL_Msk_TimingErr_TRV) X(CL_Msk_TimingErr_TS1) \
    X(CL_Msk_TimingErr_TS2) X(CL_Msk_TimingErr_TS3) X(CL_Msk_TimingErr_TI) X(CL_Msk_TimingErr_N1) \
    X(CL_Msk_TimingErr_N2) X(CL_Msk_TimingErr_K) X(CL_Msk_TimingErr_TT) X(CL_Msk_TimingErr_dTT) \
    X(CL_Msk_TimingErr_TC) X(CL_Msk_TimingErr_TF) X(CL_Msk_TimingErr_TV) X(CL_Msk_TimingErr_T3) \
    X(CL_Msk_TimingErr_BusyCheck) X(CL_Msk_TimingErr_LetAck) X(CL_Msk_TimingErr_LetCall) \
    X(CL_Msk_Cfg_Enc_PttCall) X(CL_Msk_Cfg_Enc_PreEmphasis) X(CL_Msk_Cfg_Enc_SyncvWord) \
    X(CL_Msk_Cfg_Enc_PttSideTone) X(CL_Msk_Cfg_Dec_BeepRepeatTimer) X(CL_Msk_Cfg_Dec_MuteMskTone) \
    X(CL_Msk_Cfg_Dec_DurationTimer) X(CL_Msk_Cfg_Dec_ANI_Disp) X(CL_Msk_Cfg_Dec_ANI_Disp_Timer) \
    X(CL_Msk_Cfg_Status_FixBaseId) X(CL_Msk_Cfg_Status_Send_PrioA) X(CL_Msk_Cfg_Status_Send_Base) \
    X(CL_Msk_Cfg_Status_Send_On) X(CL_Msk_Cfg_Status_Send_Off) X(CL_Msk_Cfg_Status_Send_Dim) \
    X(CL_Msk_Cfg_Gps_Enable) X(CL_Msk_Cfg_Gps_FixBaseId) X(CL_Msk_Cfg_Gps_Send_Base) X(CL_Msk_Cfg_Gps_Auto) \
    X(CL_Msk_Cfg_Gps_TimeMarker) X(CL_Msk_Cfg_Gps_IntervalTimer) X(CL_Msk_Cfg_Gps_Send_Call) \
    X(CL_Msk_Cfg_Gps_Send_Logoff) X(CL_Msk_Cfg_Gps_Send_Status) X(CL_Msk_Cfg_Gps_Send_Sdm) \
    X(CL_Msk_Cfg_Gps_Send_Ack) X(CL_Msk_Cfg_Gps_Send_Emer) X(CL_Msk_Cfg_Gps_Send_ManDown) \
    X(CL_Msk_Cfg_Gps_Sentence) X(CL_Msk_Cfg_Etc_PttEnableAtConnect) X(CL_Msk_Presl_Own_Id) \
    X(CL_Msk_Presl_Common) X(CL_Msk_Presl_Sync) X(CL_Msk_Presl_Country) X(CL_Msk_Presl_Call_Let) \
    X(CL_Msk_Presl_Ptt_Side) X(CL_Dig_ProgMes_Busy) X(CL_Dig_ProgMes_Break) X(CL_Dig_ProgMes_Calling) \
    X(CL_Dig_ProgMes_Cancelled) X(CL_Dig_ProgMes_Complete) X(CL_Dig_ProgMes_Connect) X(CL_Dig_ProgMes_Failed) \
    X(CL_Dig_ProgMes_HiVolt) X(CL_Dig_ProgMes_NoAns) X(CL_Dig_ProgMes_Standby) X(CL_Dig_ProgMes_Wait) \
    X(CL_Dig_ProgMes_Lock) X(CL_Dig_ProgMes_LowBatt) X(CL_Dig_Msg_Status_Beep) X(CL_Dig_Msg_Status_Selection) \
    X(CL_Dig_Msg_Status_Text_Rx) X(CL_Dig_Msg_Status_Text_Tx) X(CL_Dig_Tim_TxWait) X(CL_Dig_Tim_Chk) \
    X(CL_Dig_Tim_Free) X(CL_Dig_Tim_Tac) X(CL_Dig_Tim_Breakin) X(CL_Dig_Tim_Wakeup) X(CL_Dig_Tim_ND) \
    X(CL_Dig_Tim_NR) X(CL_Dig_Tim_L0Level) X(CL_KDisp_Key_Conv_RightUp) X(CL_KDisp_Key_Conv_RightDn) \
    X(CL_KDisp_Key_Conv_LeftUp) X(CL_KDisp_Key_Conv_LeftDn) X(CL_KDisp_Key_Conv_P0) X(CL_KDisp_Key_Conv_P1) \
    X(CL_KDisp_Key_Conv_P2) X(CL_KDisp_Key_Conv_P3) X(CL_KDisp_Key_Conv_P4) X(CL_KDisp_Key_Conv_Opf0) \
    X(CL_KDisp_Key_Conv_Opf1) X(CL_KDisp_Key_Conv_Opf2) X(CL_KDisp_Key_SmTr_RightUp) \
    X(CL_KDisp_Key_SmTr_RightDn) X(CL_KDisp_Key_SmTr_LeftUp) X(CL_KDisp_Key_SmTr_LeftDn) \
    X(CL_KDisp_Key_SmTr_P0) X(CL_KDisp_Key_SmTr_P1) X(CL_KDisp_Key_SmTr_P2) X(CL_KDisp_Key_SmTr_P3) \
    X(CL_KDisp_Key_SmTr_P4) X(CL_KDisp_Key_SmTr_Opf0) X(CL_KDisp_Key_SmTr_Opf1) X(CL_KDisp_Key_SmTr_Opf2) \
    X(CL_KDisp_Key_Dig_RightUp) X(CL_KDisp_Key_Dig_RightDn) X(CL_KDisp_Key_Dig_LeftUp) \
    X(CL_KDisp_Key_Dig_LeftDn) X(CL_KDisp_Key_Dig_P0) X(CL_KDisp_Key_Dig_P1) X(CL_KDisp_Key_Dig_P2) \
    X(CL_KDisp_Key_Dig_P3) X(CL_KDisp_Key_Dig_P4) X(CL_KDisp_Key_Dig_Opf0) X(CL_KDisp_Key_Dig_Opf1) \
    X(CL_KDisp_Key_Dig_Opf2) X(CL_KDisp_Tenkey_Select) X(CL_KDisp_HangAct_Moni) X(CL_KDisp_HangAct_Scan) \
    X(CL_KDisp_HangAct_PrioA) X(CL_KDisp_OpeningText) X(CL_KDisp_RotarySel) X(CL_KDisp_ScrollTimer) \
    X(CL_KDisp_RfPoSel) X(CL_KDisp_MrCode) X(CL_KDisp_SmaKey) X(CL_KDisp_PwrSW) X(CL_KDisp_LED_LP0) \
    X(CL_KDisp_LED_LP1) X(CL_KDisp_LED_LP2) X(CL_KDisp_PrioA_SwOn) X(CL_KDisp_PrioA_ClearDown) \
    X(CL_TSetM_Backlight) X(CL_TSetM_LcdContrast) X(CL_TSetM_BeepOn) X(CL_TSetM_BeepLev) X(CL_TSetM_SqlLev) \
    X(CL_TSetM_AFMinLev) X(CL_TSetM_AudioFilt) X(CL_TSetM_MicGain) X(CL_TSetM_VoxGain) X(CL_TSetM_VoxDelay) \
    X(CL_TSetM_HornOut) X(CL_TSetM_BATVDisp) X(CL_TSetM_BERDisp) X(CL_TSetM_SigMoni) X(CL_TSetM_Ringer) \
    X(CL_TSetM_Ringer2) X(CL_TSetM_RingerTimer) X(CL_TSetM_RingerLev) X(CL_TSetM_CodeDisp) X(CL_TSetM_Psave) \
    X(CL_SetM_Backlight) X(CL_SetM_LcdContrast) X(CL_SetM_BeepOn) X(CL_SetM_BeepLev) X(CL_SetM_SqlLev) \
    X(CL_SetM_AFMinLev) X(CL_SetM_AudioFilt) X(CL_SetM_MicGain) X(CL_SetM_VoxGain) X(CL_SetM_VoxDelay) \
    X(CL_SetM_HornOut) X(CL_SetM_BATVDisp) X(CL_SetM_BERDisp) X(CL_SetM_SigMoni) X(CL_SetM_Ringer) \
    X(CL_SetM_Ringer2) X(CL_SetM_RingerTimer) X(CL_SetM_RingerLev) X(CL_SetM_CodeDisp) X(CL_SetM_Psave) \
    X(CL_USetM_Backlight) X(CL_USetM_LcdContrast) X(CL_USetM_BeepOn) X(CL_USetM_BeepLev) X(CL_USetM_SqlLev) \
    X(CL_USetM_AfMinLev) X(CL_USetM_AudioFilt) X(CL_USetM_MicGain) X(CL_USetM_VoxGain) X(CL_USetM_VoxDelay) \
    X(CL_USetM_HornOut) X(CL_USetM_BATVDisp) X(CL_USetM_BERDisp) X(CL_USetM_SigMoni) X(CL_USetM_Ringer) \
    X(CL_USetM_Ringer2) X(CL_USetM_RingerTimer) X(CL_USetM_RingerLev) X(CL_USetM_CodeDisp) X(CL_USetM_Psave) \
    X(CL_TSetI_OFF) X(CL_TSetI_ON) X(CL_TSetI_Auto) X(CL_TSetI_Auto2) X(CL_TSetI_Code) X(CL_TSetI_Number) \
    X(CL_TSetI_Ana) X(CL_TSetI_Dig) X(CL_TSetI_Both) X(CL_Comm_UserPassword) X(CL_Comm_DealerPasscode) \
    X(CL_Comm_PwrOnPassword) X(CL_Comm_IniSetModeAccess) X(CL_Comm_KeyChgModeAccess) X(CL_Comm_AllClearAccess) \
    X(CL_Comm_SetModeAccess) X(CL_Comm_EmerIn) X(CL_Comm_AtResetTimer_A) X(CL_Comm_AtResetTimer_B) \
    X(CL_Comm_InactiveTimer) X(CL_Comm_Tot) X(CL_Comm_Tot_Timer) X(CL_Comm_Tot_ID_Out) \
    X(CL_Comm_Tot_Dtmf_ID_Out) X(CL_Comm_Tot_PenaltyTimer) X(CL_Comm_Tot_Beep) X(CL_Comm_Tot_Reset) \
    X(CL_Comm_CloneComment1) X(CL_Comm_CloneComment2) X(CL_Comm_LockoutAna) X(CL_Comm_LockoutDig) \
    X(CL_Comm_LockoutPenaltyTimer) X(CL_Comm_LockoutOverride) X(CL_Comm_Ctcss_ToneBurst) \
    X(CL_Comm_Ctcss_ReverseBurst) X(CL_Comm_Ctcss_RxAfFilt) X(CL_Comm_Ctcss_ChMuteCont) X(CL_Comm_RS232C_SPPED) \
    X(CL_Comm_RS232C_Mode) X(CL_Comm_Dig_Rs232c_Speed) X(CL_Comm_Dig_Rs232c_Mode) X(CL_Comm_EmerTim_On) \
    X(CL_Comm_EmerTim_Off) X(CL_Comm_EmerTim_Start) X(CL_Comm_EmerTim_Sairen) X(CL_Comm_EmerTim_ReCycle) \
    X(CL_Comm_Scrm_Type) X(CL_Comm_Scrm_SyncCapture) X(CL_Comm_Scrm_GroupCode) X(CL_Comm_Scrm_TStartTiming) \
    X(CL_Comm_PwrSave_Timer1) X(CL_Comm_PwrSave_Timer2) X(CL_Comm_ManDown_ON) X(CL_Comm_ManDown_Timer) \
    X(CL_Comm_ManDown_TS1) X(CL_Comm_ManDown_TS2) X(CL_Comm_ManDown_TS3) X(CL_Comm_ManDown_Sairen) \
    X(CL_Comm_ManDown_ReCycle) X(CL_Comm_SmartRing_Beep) X(CL_Comm_SmartRing_BeepTimer) X(CL_Comm_AllSelect) \
    X(CL_Comm_TRDataOut) X(CL_Comm_Wide) X(CL_Comm_PTTSide) X(CL_Comm_PTTOver) X(CL_Comm_PTTwithRinger) \
    X(CL_Comm_LowBatt1_Periods) X(CL_Comm_LowBatt2_Periods) X(CL_Exp_UserCtcss) X(CL_Exp_Emer_SwOnTimer) \
    X(CL_Exp_Emer_SwOffTimer) X(CL_Exp_Emer_StartRepeat) X(CL_Exp_BeepFreq_Low) X(CL_Exp_BeepFreq_High) \
    X(CL_Exp_DtcsInv_Tx) X(CL_Exp_DtcsInv_Rx) X(CL_Exp_RxAf_Filter) X(CL_Exp_PSaveStartTimer_1) \
    X(CL_Exp_PSaveStartTimer_2) X(CL_Exp_RxExo_On) X(CL_Exp_RxExo_Delay) X(CL_Exp_ExPttDelay) \
    X(CL_Exp_ToneMuteExPtt) X(CL_Exp_Select_ExPttFtsw) X(CL_Exp_EpttFtsw_C) X(CL_Exp_EpttFtsw_S) \
    X(CL_Exp_DimIgsw) X(CL_Exp_Ignition) X(CL_Exp_IgnitionTimer) X(CL_Exp_ClShift) X(CL_Exp_BattTypeChange) \
    X(CL_Exp_PttSw) X(CL_CEdit) X(CL_Dtmf_ChNo) X(CL_Dtmf_Code) X(CL_Dtmf_Text) X(CL_Dtmf_DtmfTimer) \
    X(CL_Dtmf_FirstTimer) X(CL_Dtmf_MarkTimer) X(CL_CTone_RX) X(CL_CTone_TX) X(CL_ScanList_ScanMode) \
    X(CL_ScanList_Text) X(CL_ScanList_DispText) X(CL_ScanList_PwrSave) X(CL_ScanComm_StopTimer) \
    X(CL_ScanComm_StopTimerB) X(CL_ScanComm_ResumeTimer) X(CL_ScanComm_TalkBackTimer) \
    X(CL_ScanComm_ScanTimer_Fast) X(CL_ScanComm_ScanTimer_Slow) X(CL_ScanComm_PwrOnScan) \
    X(CL_ScanComm_AutoChCall_PmrOnly) X(CL_ScanComm_BacklitatStopScan) X(CL_2T_RxFreq_1st) X(CL_2T_RxFreq_2nd) \
    X(CL_2T_GroupCall) X(CL_2T_Text) X(CL_2T_Bell) X(CL_2T_ANS) X(CL_2T_EXO) X(CL_2T_Beep) X(CL_2T_AutoTx) \
    X(CL_2T_Stun) X(CL_2T_Scan) X(CL_2T_Sfunc) X(CL_2T_NotoneTimer) X(CL_2T_GroupTimer) X(CL_2T_ExoTimer) \
    X(CL_2T_BeepRepeatTimer) X(CL_2T_AutoTxTimer) X(CL_2T_Code_Type) X(CL_2TTx_Freq_1st) X(CL_2T_1st_Period) \
    X(CL_2TTx_Freq_2nd) X(CL_2T_2nd_Period) X(CL_5TRx_RxCode) X(CL_5TRx_Text) X(CL_5TRx_IdDec) X(CL_5TRx_Bell) \
    X(CL_5TRx_EmerCancel) X(CL_5TRx_Abc) X(CL_5TRx_Exo) X(CL_5TRx_Beep) X(CL_5TRx_AutoTx) X(CL_5TRx_Aud) \
    X(CL_5TRx_Stun) X(CL_5TRx_Scan) X(CL_5TRx_Sfunc) X(CL_5TRx_LinkATimer) X(CL_5TRx_CompareDigit) \
    X(CL_5TRx_IdDecodeTimer) X(CL_5TRx_ExoTimer) X(CL_5TRx_BeepRepeatTimer) X(CL_5TRx_AutoTxTimer) \
    X(CL_5TRx_CompareTone) X(CL_5TTx_TxCode) X(CL_5TTx_InputDigit) X(CL_5TTx_Text) X(CL_5TTx_Update) \
    X(CL_5TTx_AbcDec) X(CL_5TTx_AbcAud) X(CL_5TTx_Sel) X(CL_Select_TX_Code) X(CL_Select_TX_Text) \
    X(CL_5TTx_LongToneTimer) X(CL_5TTx_LinkRTimer) X(CL_5TTx_Link1Timer) X(CL_5TTx_Link2Timer) \
    X(CL_5TTx_LeadOutDelayTimer) X(CL_5TTx_AbcDecTimer) X(CL_5TTx_DispDigit) X(CL_5TTx_DispDigit1) \
    X(CL_5TTx_DispDigit2) X(CL_5TTx_DispDigit3) X(CL_5TTx_DispDigit4) X(CL_5TTx_DispDigit5) \
    X(CL_5TTx_DispDigit6) X(CL_5TTx_DispDigit7) X(CL_5TTx_DispDigit8) X(CL_5TTx_DispDigit9) \
    X(CL_5TTx_DispDigit0) X(CL_5TTx_SpTone_Group) X(CL_5TTx_SpTone_Repeat) X(CL_5TTx_SpTone_Link2) \
    X(CL_5TTx_PTTCallIna) X(CL_UTone_Encode) X(CL_UTone_Auto) X(CL_UTone_Dec_Low) X(CL_UTone_Dec_High) \
    X(CL_UTone_TonePeriod) X(CL_UTone_NotoneTimer) X(CL_UTone_Length) X(CL_Maker_SqlDelay_Op) \
    X(CL_Maker_SqlDelay_ResetTimer) X(CL_Maker_Sql_SigDetTimer) X(CL_Maker_Sql_NoiseDetTimer) \
    X(CL_Maker_CtcssTone_Burst) X(CL_Maker_CtcssDec_Attack) X(CL_Maker_CtcssDec_Release) \
    X(CL_Maker_CtcssDec_PS) X(CL_Maker_Dtcs_TxPolar) X(CL_Maker_Dtcs_RxPolar) X(CL_Maker_Dtcs_Decode) \
    X(CL_Maker_PwrOffTimer) X(CL_Maker_PwrOffTimer2) X(CL_Maker_ON_Timer1) X(CL_Maker_ON_Timer2) \
    X(CL_Maker_ON_Timer3) X(CL_Maker_MchPitch) X(CL_Maker_IfFreq) X(CL_Maker_Pll_Type) \
    X(CL_Maker_Pll_Reference) X(CL_Maker_Pll_TxFastTimer) X(CL_Maker_Pll_RxFastTimer) X(CL_Maker_MuteTimer_Tx) \
    X(CL_Maker_MuteTimer_Rx) X(CL_Maker_SetModeAccess) X(CL_Maker_ExtModeAccess) X(CL_Maker_RollStart_RX) \
    X(CL_Maker_RollTiming_RX) X(CL_Maker_RollTiming_TX) X(CL_Maker_Digital_TxPolar) X(CL_Maker_Digital_RxPolar) \
    X(CL_Maker_Digital_Let) X(CL_Maker_Digital_Tack) X(CL_Maker_Liion_Normal_Low1) \
    X(CL_Maker_Liion_Normal_Low2) X(CL_Maker_Liion_Normal_Low3) X(CL_Maker_Liion_Low_Low1) \
    X(CL_Maker_Liion_Low_Low2) X(CL_Maker_Liion_Low_Low3) X(CL_Maker_Liion_Dry_Low1) X(CL_Maker_Liion_Dry_Low2) \
    X(CL_Maker_Liion_Normal_DispNormal) X(CL_Maker_Liion_Normal_DispLow1) X(CL_Maker_Liion_Normal_DispLow2) \
    X(CL_Maker_Liion_Normal_DispLow3) X(CL_Maker_Liion_Low_DispNormal) X(CL_Maker_Liion_Low_DispLow1) \
    X(CL_Maker_Liion_Low_DispLow2) X(CL_Maker_Liion_Low_DispLow3) X(CL_Maker_Liion_Dry_DispNormal) \
    X(CL_Maker_Liion_Dry_DispLow1) X(CL_Maker_Liion_Dry_DispLow2) X(CL_Maker_mSFBW) X(CL_Maker_mBFRQ) \
    X(CL_Maker_mREF) X(CL_Maker_mSQLM0) X(CL_Maker_mSQLM1) X(CL_Maker_mSQLM2) X(CL_Maker_mSQLTS) \
    X(CL_Maker_mCTNV) X(CL_Maker_mCTNM0) X(CL_Maker_mCTNM1) X(CL_Maker_mCTNM2) X(CL_Maker_mLTNC0) \
    X(CL_Maker_mLTNC1) X(CL_Maker_mLTNC2) X(CL_Maker_mCTNTS) X(CL_Maker_mCTNB0) X(CL_Maker_mCTNB1) \
    X(CL_Maker_mCTNB2) X(CL_Maker_mCTNB3) X(CL_Maker_mCTNB4) X(CL_Maker_mCTNB5) X(CL_Maker_mCTNB6) \
    X(CL_Maker_mDEVV0) X(CL_Maker_mDEVV1) X(CL_Maker_mDEVV2) X(CL_Maker_mDEVC0) X(CL_Maker_mDEVC1) \
    X(CL_Maker_mDEVC2) X(CL_Maker_mDEVTS) X(CL_Maker_mDEVB0) X(CL_Maker_mDEVB1) X(CL_Maker_mDEVB2) \
    X(CL_Maker_mDEVB3) X(CL_Maker_mDEVB4) X(CL_Maker_mDEVB5) X(CL_Maker_mDEVB6) X(CL_Maker_mBALV0) \
    X(CL_Maker_mBALV1) X(CL_Maker_mBALV2) X(CL_Maker_mBALC0) X(CL_Maker_mBALC1) X(CL_Maker_mBALC2) \
    X(CL_Maker_mBALTS) X(CL_Maker_mBALB0) X(CL_Maker_mBALB1) X(CL_Maker_mBALB2) X(CL_Maker_mBALB3) \
    X(CL_Maker_mBALB4) X(CL_Maker_mBALB5) X(CL_Maker_mBALB6) X(CL_Maker_mBPFV0) X(CL_Maker_mBPFV1) \
    X(CL_Maker_mBPFM) X(CL_Maker_mRFPP) X(CL_Maker_mRFPV0) X(CL_Maker_mRFPV1) X(CL_Maker_mRFPV2) \
    X(CL_Maker_mPOWB0) X(CL_Maker_mPOWB1) X(CL_Maker_mPOWB2) X(CL_Maker_mPOWB3) X(CL_Maker_mPOWB4) \
    X(CL_Maker_mPOWB5) X(CL_Maker_mPOWB6) X(CL_Maker_mLVIN0) X(CL_Maker_mLVIN1) X(CL_Maker_mLVA0) \
    X(CL_Maker_mLVA1) X(CL_Maker_mLVARB0) X(CL_Maker_mLVARB1) X(CL_Maker_mLVARB2) X(CL_Maker_mLVARB3) \
    X(CL_Maker_mLVARB4) X(CL_Maker_mLVARB5) X(CL_Maker_mLVARB6) X(CL_Maker_mLVATB0) X(CL_Maker_mLVATB1) \
    X(CL_Maker_mLVATB2) X(CL_Maker_mLVATB3) X(CL_Maker_mLVATB4) X(CL_Maker_mLVATB5) X(CL_Maker_mLVATB6) \
    X(CL_Maker_mRSSIS1) X(CL_Maker_mRSSIS3) X(CL_Maker_mRSSISR) X(CL_Maker_mRSSISL) \
    X(CL_Menu_Setup_Backup)

#define QX_CELL_ENUM_ENTRY(name) name,
enum cmcCellCategory : int { QX_CELL_CATEGORIES(QX_CELL_ENUM_ENTRY) };
enum cmcCellLabel : int { QX_CELL_LABELS(QX_CELL_ENUM_ENTRY) };
#undef QX_CELL_ENUM_ENTRY

inline constexpr int kCategoryCount = 22;
inline constexpr int kCategoryNone = 22;  // a cell without category
inline constexpr int kLabelCount = 710;
inline constexpr int kLabelNone = 710;    // a cell without label
static_assert(CT_Dig_Msg_Status == kCategoryCount - 1, "category list out of step");
static_assert(CL_Menu_Setup_Backup == kLabelCount - 1, "label list out of step");

// The names by value.
extern const char* const kCategoryNames[kCategoryCount];
extern const char* const kLabelNames[kLabelCount];

// Name -> value through the name tables. The empty name gives none (22, 710); an unknown name is a
// fatal definition fault ("Cannot use the specified category.\n'%s'", "Cannot use the specified cell.\n'%s'").
int CategoryValue(const std::string& name);
int LabelValue(const std::string& name);
// The same lookups without the fatal error: false for an unknown (or empty) name.
bool FindCategory(const std::string& name, int* value);
bool FindLabel(const std::string& name, int* value);

// Value -> name; the empty text for a value outside the list (none included).
std::string CategoryName(int value);
std::string LabelName(int value);

// Colours: 0x00BBGGRR, or 0x800000nn for the platform's system colour nn (1-20).
inline constexpr uint32_t clWindow = 0x80000005;
inline constexpr uint32_t clWindowText = 0x80000008;
inline constexpr uint32_t kSystemColourFlag = 0x80000000;
// Colour name -> value, matched exactly and case-sensitively; false for an unknown name.
bool FindColour(const std::string& name, uint32_t* value);
// The first name of a colour value in table order, or the empty text.
std::string ColourName(uint32_t value);

// Character sets, styles and pitches of a font (compared one by one in table order).
enum cmcFontStyle : uint8_t { fsBold = 0x01, fsItalic = 0x02, fsUnderline = 0x04, fsStrikeOut = 0x08 };
enum cmcFontPitch : int { fpDefault = 0, fpFixed = 1, fpVariable = 2 };
inline constexpr int kDefaultCharset = 1;  // DEFAULT_CHARSET

struct cmcNamedValue {
    const char* name;
    int value;
};
extern const cmcNamedValue kCharsetNames[19];
extern const cmcNamedValue kFontStyleNames[4];
extern const cmcNamedValue kFontPitchNames[3];

// Name -> value, exact match; false when the name is not in the table.
bool FindCharset(const std::string& name, int* value);
bool FindFontStyle(const std::string& name, int* value);
bool FindFontPitch(const std::string& name, int* value);
// Value -> name; the empty text when no name has the value.
std::string CharsetName(int value);
std::string FontPitchName(int value);

// Numbers of the cell language are read leniently: leading white space, an optional sign, then
// digits up to the first other character; no digits give 0. Values beyond an int are clamped.
int ReadLenientInt(std::string_view text);

}  // namespace qx
