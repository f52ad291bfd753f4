#include "comm/indCloneMan.h"

#include "common/cmcFillText.h"
#include "cells/cmcWarningCheck.h"
#include "comm/cmcFleetLog.h"
#include "comm/cmcPortList.h"
#include "comm/indEnviron.h"
#include "comm/indWriteGuard.h"
#include "common/cmcClock.h"
#include "common/cmcMessage.h"
#include "defs/cmcCellNames.h"
#include "defs/cmcEvMan.h"
#include "defs/cmcDefLint.h"
#include "defs/cmcGTex.h"
#include "image/indMain.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace qx {
namespace {

constexpr int kLineControlFill = 20;  // FE bytes before a line-control frame sent on its own
constexpr uint32_t kStatusBack = 0x8000000F;  // the status bar's usual background (clBtnFace)

std::string Hex4(int v) {
    char b[8];
    std::snprintf(b, sizeof b, "%04X", v & 0xFFFF);
    return b;
}

std::string Repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

// Puts `arg` in place of the first %s or %d of a text from the definition files; "%%" stands for
// "%". The text is never used as a printf format.
std::string FormatOne(const std::string& format, const std::string& arg) {
    std::string out;
    bool used = false;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size()) {
            char c = format[i + 1];
            if (c == '%') {
                out += '%';
                ++i;
                continue;
            }
            if (!used && (c == 's' || c == 'd')) {
                out += arg;
                used = true;
                ++i;
                continue;
            }
        }
        out += format[i];
    }
    return out;
}

// An address as the messages name it, "0x7D7F".
std::string Hex4Address(int v) { return "0x" + Hex4(v); }

std::string AppTitle() { return GTex().Line("GI_Sys_AppTitle", 0); }

// Wherever cloning is linked, the definition checker knows the keys it reads.
const bool kKeysRegistered = [] {
    for (const char* key : {"GI_Mess_CloneErr_Head", "GI_Mess_CloneErr_Check", "GI_Mess_CloneErr_Port",
                            "GI_Mess_Confirm_ReadFile", "GI_Mess_Confirm_CloneWrite", "GI_Mess_CloneWrite_Succeeded",
                            "GI_AppMess_CloneErr_NoActualCh", "GI_Mess_DataError", "GI_AppMess_CloneErr_Overflow",
                            "GI_Mess_Backup_Failed", "GI_AppInd_ClonePhase", "GI_Mess_CloneErr_Phase",
                            "GI_Mess_Confirm_OtherModel", "GI_Mess_Backup_Short",
                            "GI_Mess_Confirm_CloneCancel", "GI_Mess_Clone_Cancelled", "GI_Mess_CloneWrite_Backup",
                            "GI_AppInd_Status_CloneRead"})
        RequireDefKey({key, cmcDefFileKind::Main, cmcRequiredKind::Section, "cloning"});
    return true;
}();

}  // namespace

// ---------------------------------------------------------------------------------------------
// indCloneMan

indCloneMan::indCloneMan(std::unique_ptr<cmcSerialPort> port) : driver_(std::move(port)), progress_(cmcMakeTask()) {
    progress_->SetCallback([this](cmcTask&) { OnProgress(); });
}

indCloneMan::~indCloneMan() { progress_.reset(); }

indCloneMan::Connection indCloneMan::BuildConnection(int word1, bool write, bool highSpeed) {
    const std::string w = Hex4(word1) + "0000";
    const std::string fill = Repeat("FE", kLineControlFill);
    Connection c;
    // Bring a radio that still talks at 38400 bit/s back to 9600, then announce the operation.
    c.script = "(38400,N,8,1)" + fill + "EEEFE8" + w + "013237FD";
    c.script += "(9600,N,8,1)FEFEEEEFE8" + w + "5530" + (write ? "31" : "30") + "FD";
    if (highSpeed) {
        c.script += "(9600,N,8,1)" + fill + "EEEFE8" + w + "013039FD";
        c.settings = "38400,N,8,1";
        c.preamble = 48;
    } else {
        c.script += "(38400,N,8,1)" + fill + "EEEFE8" + w + "013237FD";
        c.settings = "9600,N,8,1";
        c.preamble = 12;
    }
    return c;
}

bool indCloneMan::HighSpeedSetting() const {
    if (highSpeed_ >= 0) return highSpeed_ != 0;
    return Environ().ComSpeedHigh != 0;
}

std::string indCloneMan::Device() const { return portDevice_.empty() ? ResolvePortDevice() : portDevice_; }

void indCloneMan::SetUpConnection(bool write, bool highSpeed) {
    Connection c = BuildConnection(word1_, write, highSpeed);
    driver_.SetScript(c.script);
    driver_.SetPortDevice(Device(), c.settings);
    driver_.SetPreamble(c.preamble);
    driver_.SetDataPreamble(0);
    driver_.SetEchoCheck(true);
    driver_.SetEndCount(true);
    driver_.SetStartAck(true);
    driver_.SetAckInterval(kAckInterval, 0);
    driver_.SetTimeout(kTimeout);
}

int indCloneMan::SumRanges(const cmcRange* ranges) {
    int total = 0;
    for (const cmcRange* r = ranges; r && r->last >= r->first; ++r) total += r->last - r->first + 1;
    return total;
}

bool indCloneMan::StartIdent(Callback callback) {
    if (IsBusy()) return false;
    mode_ = CDRV_ModeIdent;
    total_ = 0;
    callback_ = std::move(callback);
    SetUpConnection(false, false);
    view_->EnableMain(false);
    const bool started = driver_.StartIdent([this](dst_CDrv_Result& r) { OnEnd(r); });
    // The window shows for the identification too, so that it can be stopped like the rest.
    view_->ShowCloning();
    view_->Phase(CPH_Ident);
    return started;
}

void indCloneMan::SetView(indCloneView* view) {
    view_->SetCancelHandler(nullptr);
    view_ = view ? view : &defaultView_;
    view_->SetCancelHandler([this] { RequestCancel(); });
}

int indCloneMan::CancelNote() const {
    if (phase_ == CPH_Verify) return CN_CheckStopped;
    if (mode_ == CDRV_ModeWrite && driver_.FrameCount() > 0) return CN_WriteStopped;
    return CN_NothingWritten;
}

bool indCloneMan::RequestCancel() {
    if (!IsBusy() || askingCancel_) return false;
    if (mode_ == CDRV_ModeWrite) {
        // The write goes on while the question shows; it may end meanwhile.
        askingCancel_ = true;
        const unsigned answer = Show(GTex().SectionText("GI_Mess_Confirm_CloneCancel"), cmcMsgIcon::Warning,
                                     MB_Ok | MB_Cancel | MB_DefaultCancel);
        askingCancel_ = false;
        if (answer != MB_Ok || !IsBusy() || mode_ != CDRV_ModeWrite) return false;
    }
    return driver_.Cancel();
}

bool indCloneMan::StartRead(const cmcRange* ranges, Callback callback, bool checked) {
    if (!checked) return StartCopy(ranges, CDRV_CopyAtEnd, std::move(callback));
    return StartReading(ranges, nullptr, std::move(callback));
}

bool indCloneMan::StartCopy(const cmcRange* ranges, cmcCopyEnd end, Callback callback) {
    return StartReading(ranges, &end, std::move(callback));
}

bool indCloneMan::StartReading(const cmcRange* ranges, const cmcCopyEnd* copy, Callback callback) {
    if (IsBusy()) return false;
    total_ = SumRanges(ranges);
    mode_ = CDRV_ModeRead;
    checked_ = copy == nullptr;
    callback_ = std::move(callback);
    SetUpConnection(false, HighSpeedSetting());
    view_->EnableMain(false);
    const auto end = [this](dst_CDrv_Result& r) { OnEnd(r); };
    bool started = copy ? driver_.StartCopyRead(ranges, *copy, end) : driver_.StartRead(ranges, end);
    view_->ShowCloning();
    view_->Phase(phase_ >= 0 ? phase_ : CPH_Read);
    progress_->SetInterval(kProgressIntervalMs);
    return started;
}

bool indCloneMan::StartWrite(const cmcEeprom& image, const cmcRange* ranges, Callback callback) {
    if (IsBusy()) return false;
    total_ = SumRanges(ranges);
    mode_ = CDRV_ModeWrite;
    callback_ = std::move(callback);
    SetUpConnection(true, HighSpeedSetting());
    driver_.SetAckTimeout(kWriteAckTimeout);
    driver_.SetTimeout(kWriteTimeout);
    view_->EnableMain(false);
    bool started = driver_.StartWrite(image, ranges, [this](dst_CDrv_Result& r) { OnEnd(r); });
    view_->ShowCloning();
    view_->Phase(phase_ >= 0 ? phase_ : CPH_Write);
    progress_->SetInterval(kProgressIntervalMs);
    return started;
}

void indCloneMan::OnProgress() {
    view_->Progress(Done(), total_);
    if (!IsBusy()) progress_->SetInterval(-1);
}

void indCloneMan::OnEnd(dst_CDrv_Result& result) {
    if (result.mode == CDRV_ModeIdent) {
        if (identHook_)
            identHook_(result);
        else
            result.code = CDRV_WrongRadio;
    } else if (result.mode == CDRV_ModeRead && checked_) {
        if (readHook_)
            readHook_(result);
        else
            result.code = CDRV_Incomplete;
    }
    if (mode_ != CDRV_ModeIdent) view_->Progress(Done(), total_);
    progress_->SetInterval(-1);
    if (result.code == CDRV_Cancelled) {
        // Stopped by the user: what became of the radio, without the error head and checks.
        const int line = CancelNote();
        Show(GTex().Line("GI_Mess_Clone_Cancelled", line),
             line == CN_NothingWritten ? cmcMsgIcon::Information : cmcMsgIcon::Warning, MB_Ok);
    } else {
        const int note = FailureNote(result);
        ShowError(result, note >= 0 ? GTex().Line("GI_Mess_CloneErr_Phase", note) : std::string());
    }
    view_->EnableMain(true);
    view_->HideCloning();
    phase_ = -1;
    checked_ = true;
    Callback callback = std::move(callback_);
    callback_ = nullptr;
    if (callback) callback(result);
}

int indCloneMan::FailureNote(const dst_CDrv_Result& result) const {
    if (result.code == CDRV_Ok) return PN_None;
    if (phase_ == CPH_Backup) return PN_NothingWritten;
    if (phase_ == CPH_Verify) return PN_WrittenUnchecked;
    // An unconfirmed write says so in its own head line.
    if (mode_ == CDRV_ModeWrite && result.code != CDRV_WriteNotConfirmed)
        return driver_.FrameCount() > 0 ? PN_Interrupted : PN_NothingWritten;
    return PN_None;
}

std::string indCloneMan::ErrorText(int code, const std::string& portDevice, int portError, int portNumber,
                                   const std::string& detail, const std::string& note) {
    if (code == CDRV_Ok) return "";
    std::string head = GTex().Line("GI_Mess_CloneErr_Head", code);
    if (code == CDRV_PortOpen) {
        // Which port, and why it could not be opened.
        std::string port;
        if (portDevice.empty()) {
            port = FormatOne(GTex().Line("GI_Mess_CloneErr_Port", 0), std::to_string(portNumber));
        } else {
            int line = portError == ENOENT || portError == ENODEV || portError == ENXIO ? 1
                       : portError == EACCES || portError == EPERM                     ? 2
                       : portError == EBUSY                                            ? 3
                                                                                       : 4;
            std::string reason = FormatOne(GTex().Line("GI_Mess_CloneErr_Port", line), std::strerror(portError));
            port = portDevice + " (" + reason + ")";
        }
        head = FormatOne(head, port);
    } else if (code == CDRV_VerifyMismatch) {
        head = FormatOne(head, detail);
    } else if (code == CDRV_OtherModel) {
        const size_t cut = detail.find('\n');
        head = cmcFillText(head, {detail.substr(0, cut), cut == std::string::npos ? std::string() : detail.substr(cut + 1)});
    }
    if (!note.empty()) head += " " + note;
    std::string text = head + "\n\n";
    std::vector<int> lines;
    switch (code) {
        case CDRV_WriteNotConfirmed: lines = {0, 2, 3}; break;
        case CDRV_WrongRadio: lines = {0, 1, 2, 3, 4, 5}; break;
        case CDRV_NewerMap: lines = {0, 4, 5}; break;
        case CDRV_ImageNewer:
        case CDRV_OtherModel: break;
        case CDRV_VerifyMismatch: lines = {0, 1, 2}; break;
        default: lines = {0, 1, 2, 3}; break;
    }
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i) text += "\n";
        text += GTex().Line("GI_Mess_CloneErr_Check", lines[i]);
    }
    return text;
}

unsigned indCloneMan::Show(const std::string& text, cmcMsgIcon icon, unsigned buttons) const {
    if (icon == cmcMsgIcon::Error) lastError_ = text;
    return sink_ ? sink_->Show(AppTitle(), text, icon, buttons) : cmcShowMessage(AppTitle(), text, icon, buttons);
}

void indCloneMan::ShowError(const dst_CDrv_Result& result, const std::string& note) const {
    if (result.code == CDRV_Ok) return;
    Show(ErrorText(result.code, result.portDevice, result.portError, Environ().ComPort, result.detail, note),
         cmcMsgIcon::Error, MB_Ok);
}

// ---------------------------------------------------------------------------------------------
// indCloneCommands

indCloneCommands::indCloneCommands(indMain& main, indCloneMan& manager) : main_(main), man_(manager) {
    man_.SetIdentHook([this](dst_CDrv_Result& r) {
        if (r.mode != CDRV_ModeIdent) return;
        r.code = static_cast<uint8_t>(main_.CheckIdentification(r.code, static_cast<uint16_t>(r.word1),
                                                                static_cast<uint16_t>(r.word2), r.identData.Data(),
                                                                r.identData.Length()));
    });
    man_.SetReadHook([this](dst_CDrv_Result& r) {
        if (r.mode != CDRV_ModeRead) return;
        r.code = static_cast<uint8_t>(main_.CheckReadImage(r.code, r.image));
    });
}

indCloneCommands::~indCloneCommands() {
    man_.SetIdentHook(nullptr);
    man_.SetReadHook(nullptr);
}

void indCloneCommands::Finish(int outcome) {
    lastOutcome_ = outcome;
    ranges_.clear();
    readRanges_.clear();
    if (writing_) {
        writing_ = false;
        if (logWrites) LogWrite(outcome);
    }
    if (finished) finished(outcome);
}

bool indCloneCommands::CloneRead() {
    if (man_.IsBusy()) return false;
    EvMan().Send(EVC_CloseDropDowns);
    if (confirmDiscard) {
        if (!confirmDiscard()) {
            Finish(-1);
            return false;
        }
    } else if (main_.IsModified()) {
        std::string name = std::filesystem::path(main_.GetDisplayName()).filename().string();
        std::string text = FormatOne(GTex().SectionText("GI_Mess_Confirm_ReadFile"), name);
        if (man_.Show(text, cmcMsgIcon::Warning, MB_Ok | MB_Cancel) != MB_Ok) {
            Finish(-1);
            return false;
        }
    }
    man_.SetIdent(main_.IdentCode(), 0);
    if (!man_.StartIdent([this](dst_CDrv_Result& r) { OnReadIdent(r); })) return false;
    return true;
}

void indCloneCommands::OnReadIdent(dst_CDrv_Result& r) {
    if (r.code != CDRV_Ok) {
        Finish(r.code);
        return;
    }
    ranges_ = main_.ReadRanges();
    man_.SetImageSize(main_.WorkingImage().GetSize());
    if (!man_.StartRead(ranges_.data(), [this](dst_CDrv_Result& r2) { OnReadDone(r2); })) Finish(-1);
}

void indCloneCommands::OnReadDone(dst_CDrv_Result& r) {
    if (r.code == CDRV_Ok) {
        // Only an image that passed every check replaces the working image.
        main_.WorkingImage().Assign(r.image);
        main_.AfterImageLoaded(main_.WorkingImage());
        // What the radio holds is not an unsaved change: the image read counts as not modified.
        main_.NewHistory();
        main_.SetFileName("");
        main_.NoteRadioRead(main_.SerialNumber(), cmcWallSeconds());
        main_.MarkSaved();
        if (closeSheet) closeSheet();
        if (announceRead) {
            EvMan().Send(EVC_TreeBuilt);
            EvMan().Send(EVC_StatusText, static_cast<int32_t>(clWindowText), static_cast<int32_t>(kStatusBack),
                         std::string_view(ReadSummary()));
        }
    }
    Finish(r.code);
}

std::string indCloneCommands::ReadSummary() const {
    std::string serial = main_.SerialNumber();
    if (serial.empty()) serial = GTex().Line("GI_AppInd_Status_CloneRead", 1);
    return cmcFillText(GTex().Line("GI_AppInd_Status_CloneRead", 0),
                     {indMain::ModelName(main_.ModelType()), serial, std::to_string(main_.ChannelsInUse())});
}

bool indCloneCommands::CloneWrite() {
    if (man_.IsBusy()) return false;
    if (main_.ChannelsInUse() == 0) {
        man_.Show(GTex().SectionText("GI_AppMess_CloneErr_NoActualCh"), cmcMsgIcon::Error, MB_Ok);
        Finish(-1);
        return false;
    }
    // The same check as the tree's marks: any error stops the write, warnings alone do not.
    const int errors = countErrors ? countErrors() : static_cast<int>(cmcRunWarningCheck(main_).errors.size());
    if (errors > 0) {
        man_.Show(GTex().SectionText("GI_Mess_DataError"), cmcMsgIcon::Error, MB_Ok);
        Finish(-1);
        return false;
    }
    writeConfirmed_ = false;
    acceptedRadioType_ = -1;
    EvMan().Send(EVC_CloseDropDowns);
    man_.SetIdent(main_.IdentCode(), 0);
    lastBackup_.clear();
    man_.ClearLastError();
    // From here on the write reaches a radio: its end is logged.
    writing_ = true;
    writeStartTime_ = cmcWallSeconds();
    writeStartMs_ = cmcNowMs();
    if (man_.StartIdent([this](dst_CDrv_Result& r) { OnWriteIdent(r); })) return true;
    writing_ = false;
    return false;
}

void indCloneCommands::LogWrite(int outcome) {
    cmcFleetLogEntry e;
    e.SetWhen(writeStartTime_);
    e.port = man_.PortDevice();
    e.serial = main_.SerialNumber();
    if (!e.serial.empty()) e.modelType = indMain::ModelName(indMain::ModelTypeOfFlags(main_.Identification()[indMain::kIdentModelFlags]));
    e.file = cmcFleetLog::AbsolutePath(main_.FileName());
    e.values = logValues;
    e.backup = cmcFleetLog::AbsolutePath(lastBackup_);
    e.result = outcome < 0 ? 1 : outcome;
    e.message = outcome == 0 ? "ok"
                             : cmcFleetLog::MessageOf(e.result, man_.LastError().empty()
                                                                    ? std::string(outcome < 0 ? "stopped before cloning" : "failed")
                                                                    : man_.LastError());
    e.duration = static_cast<double>(cmcNowMs() - writeStartMs_) / 1000.0;
    std::string why;
    if (cmcFleetLog::Append(logFile, e, &why)) return;
    if (logFailed)
        logFailed(why);
    else
        man_.Show(FormatOne(GTex().SectionText("GI_Mess_FleetLog_Failed"), why), cmcMsgIcon::Warning, MB_Ok);
}

void indCloneCommands::OnWriteIdent(dst_CDrv_Result& r) {
    if (r.code != CDRV_Ok || man_.IsBusy()) {
        writeConfirmed_ = false;
        Finish(r.code != CDRV_Ok ? r.code : -1);
        return;
    }
    // Judged on every identification: the radio on the cable may have been changed in between.
    if (!ModelAccepted()) {
        writeConfirmed_ = false;
        return;
    }
    if (!writeConfirmed_) {
        // The radio answered: ask, then identify it once more before anything is written.
        if (man_.Show(GTex().SectionText("GI_Mess_Confirm_CloneWrite"), cmcMsgIcon::Warning,
                           MB_Ok | MB_Cancel) != MB_Ok) {
            Finish(-1);
            return;
        }
        writeConfirmed_ = true;
        // The write proper starts now; the time the question was open is not its duration.
        writeStartTime_ = cmcWallSeconds();
        writeStartMs_ = cmcNowMs();
        man_.SetIdent(main_.IdentCode(), 0);
        if (!man_.StartIdent([this](dst_CDrv_Result& r2) { OnWriteIdent(r2); })) Finish(-1);
        return;
    }
    writeConfirmed_ = false;
    if (beforeWrite) {
        // Values for this very radio (known by its serial number now) go into the data here.
        std::string why;
        if (!beforeWrite(&why)) {
            man_.Show(why, cmcMsgIcon::Error, MB_Ok);
            Finish(-1);
            return;
        }
        if (!cmcRunWarningCheck(main_).errors.empty()) {
            man_.Show(GTex().SectionText("GI_Mess_DataError"), cmcMsgIcon::Error, MB_Ok);
            Finish(-1);
            return;
        }
    }
    cmcEeprom scratch;
    if (!main_.PrepareCloneWrite(scratch, ranges_)) {
        // The image does not fit the radio's memory once packed: nothing is sent.
        man_.Show(GTex().SectionText("GI_AppMess_CloneErr_Overflow"), cmcMsgIcon::Error, MB_Ok);
        Finish(-1);
        return;
    }
    sent_ = scratch;
    man_.SetImageSize(scratch.GetSize());
    lastBackup_.clear();
    const bool wantBackup = backup < 0 ? Environ().BackupBeforeWrite != 0 : backup != 0;
    guarded_ = wantBackup || verify;
    // The backup covers the radio's own read range and every address the write replaces.
    const std::vector<cmcRange> radioRanges = main_.ReadRanges();
    readRanges_ = indWriteGuard::Union(radioRanges.data(), ranges_.data());
    if (!wantBackup) {
        StartWriting();
        return;
    }
    // The radio sends its memory only up to its read end: a write that replaces addresses beyond
    // it could not be undone from the backup, so it does not start.
    if (indWriteGuard::FirstUncovered(radioRanges.data(), ranges_.data()) >= 0) {
        int writeEnd = 0;
        for (const cmcRange* w = ranges_.data(); w->last >= w->first; ++w) writeEnd = std::max(writeEnd, w->last);
        const std::string& advice = shortRadioAdvice;
        const std::string format = advice.empty() ? GTex().SectionText("GI_Mess_Backup_Short")
                                                  : GTex().Line("GI_Mess_Backup_Short", 0) + "\n" + advice;
        man_.Show(cmcFillText(format, {Hex4Address(main_.IdentReadEnd()), Hex4Address(writeEnd)}), cmcMsgIcon::Error,
                  MB_Ok);
        Finish(-1);
        return;
    }
    // What the radio holds now is read and kept before anything is written.
    CopyRadio(CPH_Backup, &indCloneCommands::OnBackupDone);
}

void indCloneCommands::CopyRadio(int phase, void (indCloneCommands::*done)(dst_CDrv_Result&)) {
    man_.SetPhase(phase);
    // The radio sends its memory from address 0 up to its read end. The backup keeps the radio's
    // range and every written address and waits for the whole; the read-back keeps exactly the
    // written addresses and ends as soon as they are in (an address that never comes is named by
    // the comparison).
    const auto callback = [this, done](dst_CDrv_Result& r) { (this->*done)(r); };
    const bool started = phase == CPH_Verify ? man_.StartCopy(ranges_.data(), CDRV_CopyUntilComplete, callback)
                                             : man_.StartCopy(readRanges_.data(), CDRV_CopyAtEnd, callback);
    if (!started) Finish(-1);
}

bool indCloneCommands::ModelAccepted() {
    const int radioType = indMain::ModelTypeOfFlags(main_.Identification()[indMain::kIdentModelFlags]);
    const int dataType = main_.ReadModelType(main_.WorkingImage());
    if (radioType == dataType || radioType == acceptedRadioType_) return true;
    const std::string radioName = indMain::ModelName(radioType), dataName = indMain::ModelName(dataType);
    bool accepted = changeModel > 0;
    if (changeModel < 0) {
        const std::string text = cmcFillText(GTex().SectionText("GI_Mess_Confirm_OtherModel"), {radioName, dataName});
        accepted = man_.Show(text, cmcMsgIcon::Warning, MB_Ok | MB_Cancel | MB_DefaultCancel) == MB_Ok;
        if (!accepted) {
            Finish(-1);
            return false;
        }
    }
    if (!accepted) {
        std::string text = indCloneMan::ErrorText(CDRV_OtherModel, {}, 0, 0, radioName + "\n" + dataName);
        if (!otherModelAdvice.empty()) text += otherModelAdvice;
        man_.Show(text, cmcMsgIcon::Error, MB_Ok);
        Finish(CDRV_OtherModel);
        return false;
    }
    acceptedRadioType_ = radioType;
    return true;
}

void indCloneCommands::OnBackupDone(dst_CDrv_Result& r) {
    if (r.code != CDRV_Ok) {
        Finish(r.code);  // the manager has shown why; nothing was written
        return;
    }
    const std::string dir = backupDir.empty() ? indWriteGuard::DefaultBackupDir() : backupDir;
    std::string error;
    lastBackup_ = indWriteGuard::SaveBackup(r.image, dir, main_.SerialNumber(), error);
    if (lastBackup_.empty()) {
        std::string text = FormatOne(GTex().SectionText("GI_Mess_Backup_Failed"), dir);
        if (!backupAdvice.empty()) text = FormatOne(GTex().Line("GI_Mess_Backup_Failed", 0), dir) + "\n" + backupAdvice;
        if (!error.empty() && error != dir) text += "\n\n" + error;
        man_.Show(text, cmcMsgIcon::Error, MB_Ok);
        Finish(-1);
        return;
    }
    if (backupSaved) backupSaved(lastBackup_);
    StartWriting();
}

void indCloneCommands::StartWriting() {
    man_.SetPhase(guarded_ ? CPH_GuardedWrite : CPH_Write);
    if (!man_.StartWrite(sent_, ranges_.data(), [this](dst_CDrv_Result& r2) { OnWriteDone(r2); })) Finish(-1);
}

void indCloneCommands::OnWriteDone(dst_CDrv_Result& r) {
    if (r.code != CDRV_Ok) {
        Finish(r.code);
        return;
    }
    if (!verify) {
        Succeeded();
        return;
    }
    // The radio is read back; only the written ranges are compared.
    CopyRadio(CPH_Verify, &indCloneCommands::OnVerifyDone);
}

void indCloneCommands::OnVerifyDone(dst_CDrv_Result& r) {
    if (r.code != CDRV_Ok) {
        Finish(r.code);
        return;
    }
    const std::vector<int> differ = indWriteGuard::Differences(sent_, r.image, ranges_.data(), r.receivedMap.Data(), r.receivedMap.Length());
    if (!differ.empty()) {
        r.code = CDRV_VerifyMismatch;
        r.detail = indWriteGuard::DescribeAddresses(differ);
        man_.ShowError(r);
        Finish(r.code);
        return;
    }
    Succeeded();
}

void indCloneCommands::Succeeded() {
    if (closeSheet) closeSheet();
    std::string text = GTex().SectionText("GI_Mess_CloneWrite_Succeeded");
    // Where the radio's previous data is kept, so that the user can find it to write it back.
    if (!lastBackup_.empty()) text += "\n\n" + FormatOne(GTex().SectionText("GI_Mess_CloneWrite_Backup"), lastBackup_);
    man_.Show(text, cmcMsgIcon::Information, MB_Ok);
    Finish(CDRV_Ok);
}

bool indCloneCommands::CloneInformation() {
    if (man_.IsBusy()) return false;
    man_.SetIdent(main_.IdentCode(), 0);
    return man_.StartIdent([this](dst_CDrv_Result& r) {
        if (r.code == CDRV_Ok && showInformation) showInformation();
        Finish(r.code);
    });
}

}  // namespace qx
