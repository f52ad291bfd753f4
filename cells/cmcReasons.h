// Why a value was refused and why a cell carries a warning or error mark: the one wording that the
// sheets' status bar and tooltips, the command-line "set" and the channel plan import all show.
// The sentences are the lines of "GI_AppMess_Refused", "GI_AppMess_MarkReason" and
// "GI_AppMess_CheckMark" in the main definition file; values are quoted as messages quote them.
//
// The texts come from the definition store given (in cells/, the call's: call.Texts()).
//
//     req.refusal = RefusedTone(texts, false, "88.6");  // the radio has no receive tone '88.6'
//     c.Warn(MR_MskMonitor);                            // the mark and its reason
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace qx {

class cmcGTex;
class cmcEvMan;

inline constexpr const char* kKeyRefused = "GI_AppMess_Refused";
inline constexpr const char* kKeyMarkReason = "GI_AppMess_MarkReason";
inline constexpr const char* kKeyCheckMark = "GI_AppMess_CheckMark";

// A typed frequency (MHz, as typed) the radio cannot receive on or transmit on.
std::string RefusedFrequency(cmcGTex& texts, bool transmit, std::string_view mhz);
// A text that holds no frequency at all.
std::string RefusedNotFrequency(cmcGTex& texts, std::string_view typed);
std::string RefusedTone(cmcGTex& texts, bool transmit, std::string_view typed);
// A code the cell's list of codes lacks.
std::string RefusedCode(cmcGTex& texts, std::string_view typed);
std::string RefusedRange(cmcGTex& texts, std::string_view typed, long min, long max);
// A display text longer than the field's `length` characters.
std::string RefusedTooLong(cmcGTex& texts, std::string_view typed, int length);
// Any other text the cell's editor cannot read.
std::string RefusedValue(cmcGTex& texts, std::string_view typed);

// Why a cell carries its mark: the line of "GI_AppMess_MarkReason".
enum cmcMarkReason : int {
    MR_None = -1,
    MR_MskMonitor = 0,
    MR_MskSelect,
    MR_MskSetting,
    MR_MskMute,
    MR_UserToneWindow,
    MR_MskKiller,
    MR_MskIdGroup,
    MR_MskFixBaseId,
    MR_MskCallList,
    MR_PowerNotOffered,
    MR_ScramblerNoKey,
    MR_NotFixedChannel,
    MR_ToneOutOfTable,
};
std::string MarkReasonText(cmcGTex& texts, int reason);

// The status and tooltip text of a mark: "Warning: REASON" or "Error: REASON".
std::string MarkText(cmcGTex& texts, bool error, std::string_view reason);
// The name of the channel check of a bank (0-based), and a reason found on one of its channels.
std::string BankCheckName(cmcGTex& texts, int bank);
std::string ChannelReason(cmcGTex& texts, int channel, std::string_view reason);
// A mark of the warning check list on a tree node: "Warning, CHECK: REASON".
std::string CheckMarkText(cmcGTex& texts, bool error, std::string_view check, std::string_view reason);

// The status bar's colours for a refusal or an error (dark red text on the button face), and for
// other texts (window text on the button face).
inline constexpr uint32_t kStatusAlarmText = 0x000000C0;
inline constexpr uint32_t kStatusPlainText = 0x80000008;  // clWindowText
inline constexpr uint32_t kStatusBack = 0x8000000F;       // clBtnFace
// Puts the text into the status bar (EVC_StatusText through `events`), alarm-coloured or plain.
void ShowStatusText(cmcEvMan& events, const std::string& text, bool alarm);

#ifndef QX_CELLS_SOURCE
// The same with the program's definition store and event manager, for callers outside cells/.
// Defined with the program's environment (env/cmcProgramTexts.cpp).
std::string RefusedTooLong(std::string_view typed, int length);
std::string MarkReasonText(int reason);
std::string MarkText(bool error, std::string_view reason);
std::string ChannelReason(int channel, std::string_view reason);
void ShowStatusText(const std::string& text, bool alarm);
#endif

// "%s" placeholders of a definition line filled in order (a line without enough of them keeps the
// rest unused).
std::string FillLine(std::string line, std::initializer_list<std::string_view> args);

}  // namespace qx
