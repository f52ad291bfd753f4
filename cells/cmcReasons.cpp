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

std::string Refused(int line, std::initializer_list<std::string_view> args) {
    return FillLine(GTex().Line(kKeyRefused, line), args);
}

std::string Quoted(std::string_view text) { return QuotedField(std::string(text)); }

}  // namespace

void ShowStatusText(const std::string& text, bool alarm) {
    EvMan().Send(EVC_StatusText, static_cast<int>(alarm ? kStatusAlarmText : kStatusPlainText),
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

std::string RefusedFrequency(bool transmit, std::string_view mhz) {
    return Refused(transmit ? RL_Transmit : RL_Tune, {mhz});
}
std::string RefusedNotFrequency(std::string_view typed) { return Refused(RL_NotFrequency, {Quoted(typed)}); }
std::string RefusedTone(bool transmit, std::string_view typed) {
    return Refused(transmit ? RL_TxTone : RL_RxTone, {Quoted(typed)});
}
std::string RefusedCode(std::string_view typed) { return Refused(RL_Code, {Quoted(typed)}); }
std::string RefusedRange(std::string_view typed, long min, long max) {
    return Refused(RL_Range, {Quoted(typed), std::to_string(min), std::to_string(max)});
}
std::string RefusedTooLong(std::string_view typed, int length) {
    return Refused(RL_TooLong, {Quoted(typed), std::to_string(length)});
}
std::string RefusedValue(std::string_view typed) { return Refused(RL_Value, {Quoted(typed)}); }

std::string MarkReasonText(int reason) { return reason < 0 ? std::string() : GTex().Line(kKeyMarkReason, reason); }

std::string MarkText(bool error, std::string_view reason) {
    return GTex().Line(kKeyCheckMark, error ? CM_Error : CM_Warning) + ": " + std::string(reason);
}

std::string BankCheckName(int bank) {
    return FillLine(GTex().Line(kKeyCheckMark, CM_Bank), {std::to_string(bank + 1)});
}

std::string CheckMarkText(bool error, std::string_view check, std::string_view reason) {
    const std::string kind = GTex().Line(kKeyCheckMark, error ? CM_Error : CM_Warning);
    return FillLine(GTex().Line(kKeyCheckMark, CM_Check), {kind, check, reason});
}

std::string ChannelReason(int channel, std::string_view reason) {
    return FillLine(GTex().Line(kKeyCheckMark, CM_Channel), {std::to_string(channel + 1), reason});
}

}  // namespace qx
