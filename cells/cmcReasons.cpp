// The wording of refusals and marks; see cmcReasons.h.
#include "cells/cmcReasons.h"

#include "cells/cmcChannelPlan.h"
#include "defs/cmcEvMan.h"
#include "defs/cmcGTex.h"

#include <initializer_list>

namespace qx {

namespace {

// Lines of "GI_AppMess_Refused".
enum : int {
    RL_Tune = 0,
    RL_Transmit,
    RL_NotFrequency,
    RL_RxTone,
    RL_TxTone,
    RL_Code,
    RL_Range,
    RL_TooLong,
    RL_Value,
};

// Lines of "GI_AppMess_CheckMark".
enum : int { CM_Error = 0, CM_Warning, CM_Bank, CM_Channel, CM_Check };

std::string Refused(cmcGTex& texts, int line, std::initializer_list<std::string_view> args) {
    return FillLine(texts.Line(kKeyRefused, line), args);
}

std::string Quoted(std::string_view text) { return QuotedField(std::string(text)); }

}  // namespace

void ShowStatusText(cmcEvMan& events, const std::string& text, bool alarm) {
    events.Send(EVC_StatusText, static_cast<int>(alarm ? kStatusAlarmText : kStatusPlainText),
                 static_cast<int32_t>(kStatusBack), std::string_view(text));
}

std::string FillLine(std::string line, std::initializer_list<std::string_view> args) {
    size_t from = 0;
    for (std::string_view a : args) {
        const size_t at = line.find("%s", from);
        if (at == std::string::npos) break;
        line.replace(at, 2, a.data(), a.size());
        from = at + a.size();
    }
    return line;
}

std::string RefusedFrequency(cmcGTex& texts, bool transmit, std::string_view mhz) {
    return Refused(texts, transmit ? RL_Transmit : RL_Tune, {mhz});
}
std::string RefusedNotFrequency(cmcGTex& texts, std::string_view typed) {
    return Refused(texts, RL_NotFrequency, {Quoted(typed)});
}
std::string RefusedTone(cmcGTex& texts, bool transmit, std::string_view typed) {
    return Refused(texts, transmit ? RL_TxTone : RL_RxTone, {Quoted(typed)});
}
std::string RefusedCode(cmcGTex& texts, std::string_view typed) { return Refused(texts, RL_Code, {Quoted(typed)}); }
std::string RefusedRange(cmcGTex& texts, std::string_view typed, long min, long max) {
    return Refused(texts, RL_Range, {Quoted(typed), std::to_string(min), std::to_string(max)});
}
std::string RefusedTooLong(cmcGTex& texts, std::string_view typed, int length) {
    return Refused(texts, RL_TooLong, {Quoted(typed), std::to_string(length)});
}
std::string RefusedValue(cmcGTex& texts, std::string_view typed) {
    return Refused(texts, RL_Value, {Quoted(typed)});
}

std::string MarkReasonText(cmcGTex& texts, int reason) {
    return reason < 0 ? std::string() : texts.Line(kKeyMarkReason, reason);
}

std::string MarkText(cmcGTex& texts, bool error, std::string_view reason) {
    return texts.Line(kKeyCheckMark, error ? CM_Error : CM_Warning) + ": " + std::string(reason);
}

std::string BankCheckName(cmcGTex& texts, int bank) {
    return FillLine(texts.Line(kKeyCheckMark, CM_Bank), {std::to_string(bank + 1)});
}

std::string CheckMarkText(cmcGTex& texts, bool error, std::string_view check, std::string_view reason) {
    const std::string kind = texts.Line(kKeyCheckMark, error ? CM_Error : CM_Warning);
    return FillLine(texts.Line(kKeyCheckMark, CM_Check), {kind, check, reason});
}

std::string ChannelReason(cmcGTex& texts, int channel, std::string_view reason) {
    return FillLine(texts.Line(kKeyCheckMark, CM_Channel), {std::to_string(channel + 1), reason});
}

}  // namespace qx
