// The clone manager: stands between the application and the clone driver.
//
// indCloneMan prepares each operation (connection script, speeds, preambles, time-outs, address
// ranges), runs the main object's checks on the results (identification hook, read hook), reports
// failures with a composed message from the definition files, and finally hands the result to the
// caller's completion callback. It holds no widgets: the program's main window shows the progress
// and disables itself through an indCloneView, the command-line tool draws a progress bar.
//
// indCloneCommands holds the logic of the three user commands on the main object: clone read (with
// its two continuations), clone write (with the two identifications around the confirmation) and
// clone information. The main window calls them from its menu and tool bar; the command-line tool
// calls the same.
//
// Everything runs on the user-interface thread from timer tasks; nothing blocks.
#pragma once

#include "comm/cmcCloneDrv.h"
#include "comm/cmcTask.h"
#include "common/cmcMessage.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qx {

class indMain;

// What the user sees of a running clone operation. Every operation is framed by
// EnableMain(false) ... EnableMain(true) and by ShowCloning ... HideCloning; reads and writes show
// Progress every 30 ms in between. The view's Cancel (a button, a key) calls RequestCancel.
class indCloneView {
public:
    virtual ~indCloneView() = default;
    // Disables the main window while the radio is busy; enables it and gives it the focus after.
    virtual void EnableMain(bool enabled) {}
    // The small "Cloning" window of reads and writes.
    virtual void ShowCloning() {}
    virtual void HideCloning() {}
    // Image bytes done of the operation's total.
    virtual void Progress(int done, int total) {}
    // What the operation shown is for (indClonePhase); told after ShowCloning.
    virtual void Phase(int phase) {}

    // The user asks to stop the operation shown: the clone manager's RequestCancel.
    void RequestCancel() {
        if (cancel_) cancel_();
    }
    void SetCancelHandler(std::function<void()> handler) { cancel_ = std::move(handler); }

    // The cloning window's progress box has 32 cells; this many are filled (done x 33 / total, so
    // the last cell fills a little before the end; 0 when the total is 0).
    static constexpr int kProgressCells = 32;
    static int FilledCells(int done, int total) {
        return total <= 0 ? 0 : static_cast<int>(static_cast<long long>(done) * 33 / total);
    }

private:
    std::function<void()> cancel_;
};

class indCloneMan {
public:
    using Callback = std::function<void(dst_CDrv_Result& result)>;
    // A check of a result; may change result.code.
    using Hook = std::function<void(dst_CDrv_Result& result)>;

    static constexpr int kProgressIntervalMs = 30;
    static constexpr int kAckInterval = 128;
    static constexpr int kTimeout = 1000;
    static constexpr int kWriteAckTimeout = 20000;
    static constexpr int kWriteTimeout = 2000;

    // Without a port the driver opens serial devices (cmcComm).
    explicit indCloneMan(std::unique_ptr<cmcSerialPort> port = nullptr);
    ~indCloneMan();
    indCloneMan(const indCloneMan&) = delete;
    indCloneMan& operator=(const indCloneMan&) = delete;

    void SetIdent(int word1, int word2) {
        word1_ = word1;
        driver_.SetIdent(word1, word2);
    }
    void SetImageSize(int size) { driver_.SetImageSize(size); }
    // The identification hook runs after every identification (none: code 11), the read hook
    // after every read (none: code 8).
    void SetIdentHook(Hook hook) { identHook_ = std::move(hook); }
    void SetReadHook(Hook hook) { readHook_ = std::move(hook); }
    // The view is not owned; null restores the default, which shows nothing. The view's Cancel
    // reaches RequestCancel.
    void SetView(indCloneView* view);
    // Where this manager's and its commands' messages go (not owned); null: the program's sink.
    // The command-line tool gives each of several radios its own.
    void SetMessageSink(cmcMessageSink* sink) { sink_ = sink; }
    unsigned Show(const std::string& text, cmcMsgIcon icon, unsigned buttons) const;
    // The text of the last error message shown through Show (the fleet log names it); cleared by
    // ClearLastError.
    const std::string& LastError() const { return lastError_; }
    void ClearLastError() { lastError_.clear(); }

    // Where and how fast to connect. By default the settings decide ("ComPort"/"ComDevice",
    // "ComSpeedHigh"); the command-line tool names a device and a speed of its own.
    void SetPortDevice(const std::string& device) { portDevice_ = device; }
    void SetHighSpeed(int highSpeed) { highSpeed_ = highSpeed; }  // -1: the setting; 0 off; 1 on
    // The device the next operation opens (the named one, else the settings').
    std::string PortDevice() const { return Device(); }

    bool IsBusy() const { return driver_.IsBusy(); }
    // The phase the next read or write is shown as (indClonePhase); it holds for one operation,
    // after which reads show as reads and writes as writes again.
    void SetPhase(int phase) { phase_ = phase; }
    // Refused (false) while an operation runs. A read without `checked` skips the read hook: it
    // copies the radio as it is (StartCopy ending at the radio's end frame).
    bool StartIdent(Callback callback);
    bool StartRead(const cmcRange* ranges, Callback callback, bool checked = true);
    // A copy of the listed addresses of the radio without the read hook (a backup, a read-back
    // after a write): the ordinary read request, only the ranges kept (cmcCloneDrv::StartCopyRead).
    bool StartCopy(const cmcRange* ranges, cmcCopyEnd end, Callback callback);
    bool StartWrite(const cmcEeprom& image, const cmcRange* ranges, Callback callback);

    // The user asks to stop the running operation (Cancel or Esc in the cloning window). An
    // identification or a read stops at once: nothing was written and the caller's image is not
    // touched. A write asks first ("GI_Mess_Confirm_CloneCancel", Cancel the default) because the
    // radio will not work until it is written again; the write goes on unless the answer is OK.
    // A stopped operation ends through the completion callback with CDRV_Cancelled, after the
    // message "GI_Mess_Clone_Cancelled" saying what became of the radio. True when it stopped.
    bool RequestCancel();
    // The line of "GI_Mess_Clone_Cancelled" for an operation stopped now.
    enum CancelNote : int { CN_NothingWritten = 0, CN_WriteStopped = 1, CN_CheckStopped = 2 };
    int CancelNote() const;

    // Progress of the running read or write: image bytes done and the total of its ranges.
    int Mode() const { return mode_; }
    int Done() const { return driver_.ImageCount(); }
    int Total() const { return total_; }

    cmcCloneDrv& Driver() { return driver_; }

    // The connection script for an operation and the line settings and command preamble that go
    // with it: the radio is brought to 9600 bit/s, told whether a write follows, then switched to
    // 38400 bit/s (high speed) or left at 9600.
    struct Connection {
        std::string script;
        std::string settings;
        int preamble = 0;
    };
    static Connection BuildConnection(int word1, bool write, bool highSpeed);

    // The clone error message of a nonzero result code: the code's head line, a blank line and
    // the check lines for it. For code 2 the head names the port and the system's reason.
    // For code 18, `detail` names the addresses that differ; for code 19 it holds the radio's and
    // the data's model names, one per line. A `note` (what became of the radio) follows the head
    // on its line.
    static std::string ErrorText(int code, const std::string& portDevice = {}, int portError = 0,
                                 int portNumber = 0, const std::string& detail = {}, const std::string& note = {});
    // Shows ErrorText (error icon, captioned "GI_Sys_AppTitle"); code 0 shows nothing.
    void ShowError(const dst_CDrv_Result& result, const std::string& note = {}) const;

    // What a failure of the operation just ended means for the radio (line of
    // "GI_Mess_CloneErr_Phase"), or -1 when it says nothing more: a failed backup wrote nothing, a
    // write that failed before its first data frame wrote nothing, one that failed after it may
    // have left incomplete data, a failed read-back follows a finished write.
    enum PhaseNote : int { PN_None = -1, PN_NothingWritten = 0, PN_Interrupted = 1, PN_WrittenUnchecked = 2 };
    int FailureNote(const dst_CDrv_Result& result) const;

private:
    void SetUpConnection(bool write, bool highSpeed);
    // A read: the checked clone read (copy null) or a copy read ending as *copy says.
    bool StartReading(const cmcRange* ranges, const cmcCopyEnd* copy, Callback callback);
    bool HighSpeedSetting() const;
    std::string Device() const;
    void OnEnd(dst_CDrv_Result& result);
    void OnProgress();
    static int SumRanges(const cmcRange* ranges);

    cmcCloneDrv driver_;
    indCloneView defaultView_;
    indCloneView* view_ = &defaultView_;
    Hook identHook_;
    Hook readHook_;
    Callback callback_;
    std::string portDevice_;
    int highSpeed_ = -1;
    int word1_ = 0;
    int total_ = 0;
    int mode_ = 0;
    int phase_ = -1;
    cmcMessageSink* sink_ = nullptr;
    mutable std::string lastError_;
    bool checked_ = true;
    bool askingCancel_ = false;
    cmcTaskPtr progress_;
};

// The user commands that start cloning, on the main object.
class indCloneCommands {
public:
    // Installs the main object's identification and read hooks on the manager. Both must outlive
    // the commands object, which removes the hooks again when it goes.
    indCloneCommands(indMain& main, indCloneMan& manager);
    ~indCloneCommands();
    indCloneCommands(const indCloneCommands&) = delete;
    indCloneCommands& operator=(const indCloneCommands&) = delete;

    // What the main window adds (all optional): the count of errors of the warning check; closing
    // the current sheet remembering its position; opening the clone information window.
    std::function<int()> countErrors;
    std::function<void()> closeSheet;
    // The unsaved-changes question before a clone read replaces the image: true goes on. Unset, a
    // modified image is confirmed with OK and Cancel.
    std::function<bool()> confirmDiscard;
    std::function<void()> showInformation;
    // Called once when a command has finished, with its outcome: the clone result code, or -1 when
    // it stopped before any cloning (refused, or cancelled by the user).
    std::function<void(int outcome)> finished;

    // Writing into a radio whose identification names another model type than the data's
    // (identification byte 54 against the image's model flags): -1 asks (OK and Cancel, Cancel
    // the default; Cancel stops before anything is written), 0 refuses with code 19, 1 writes.
    int changeModel = -1;
    // Added below the refusal of code 19 (how to write anyway), when not empty.
    std::string otherModelAdvice;
    // What the backup failure message advises after its first line (empty: the definition
    // file's lines, which name the program's menu).
    std::string backupAdvice;
    // What the refusal of a radio whose read range ends before the written addresses (with the
    // backup on) advises after its first line (empty: the definition file's lines).
    std::string shortRadioAdvice;

    // The safe write. backup: read the radio into a backup file before writing (-1: the setting
    // "BackupBeforeWrite", 0 off, 1 on); backupDir: where (empty: indWriteGuard::DefaultBackupDir);
    // verify: read the radio back after a successful write and compare.
    int backup = -1;
    std::string backupDir;
    bool verify = true;
    // The backup file of the last write (empty when none was made); called when it is saved.
    const std::string& LastBackup() const { return lastBackup_; }
    std::function<void(const std::string& path)> backupSaved;

    // Called once per write after the radio's last identification (its serial number is known),
    // before the data is prepared or anything is sent: the per-radio values keyed by serial number
    // are applied to the working image here. False stops the write before cloning (outcome -1),
    // with *why shown as an error. The data is checked again after it (warning check errors stop).
    std::function<bool(std::string* why)> beforeWrite;

    // The fleet log (cmcFleetLog): every clone write appends one line when it ends, whatever its
    // outcome, naming the port, the radio's serial number and model type, the file (the main
    // object's file name), logValues, the backup, the result and the duration. logFile empty:
    // cmcFleetLog::DefaultPath(). A line that cannot be written goes to logFailed (unset: a warning
    // message through the manager); it never changes the outcome.
    bool logWrites = true;
    std::string logFile;
    std::string logValues;
    std::function<void(const std::string& why)> logFailed;

    // Whether a successful read tells the windows (the tree is rebuilt, the status bar names the
    // radio read). Off for the radios of a fleet: their images are not the one the windows show.
    bool announceRead = true;

    // Clone read: the unsaved-changes question, an identification, then the read of the EEPROM
    // area up to the end the radio names; on success the image read becomes the working image
    // (not modified, untitled) and the status bar names the radio read (ReadSummary). False when
    // nothing was started.
    bool CloneRead();
    // What the status bar says after a successful read: the radio's model type, serial number and
    // the count of channels in use ("GI_AppInd_Status_CloneRead"), from the working image and the
    // identification record.
    std::string ReadSummary() const;
    // Clone write: refusals (no channel in use, warning check errors: countErrors, else the
    // warning check list run on the main object), an identification, the model type check, the
    // confirmation, a second identification, the backup read of the radio's read range and every
    // address the write sends (a radio whose read range ends before the written addresses, a
    // failed read, or a backup that cannot be saved stops here: nothing is written), the write of
    // the prepared image, then the read-back that keeps exactly the written addresses and ends as
    // soon as they are in (code 18 when they differ or an address did not come back). The working
    // image is not changed.
    bool CloneWrite();
    // Clone information: an identification, then the information window.
    bool CloneInformation();

    // The outcome of the last command (see finished).
    int LastOutcome() const { return lastOutcome_; }

private:
    void Finish(int outcome);
    void OnReadIdent(dst_CDrv_Result& r);
    void OnReadDone(dst_CDrv_Result& r);
    void OnWriteIdent(dst_CDrv_Result& r);
    void OnWriteDone(dst_CDrv_Result& r);
    void OnBackupDone(dst_CDrv_Result& r);
    void OnVerifyDone(dst_CDrv_Result& r);
    void StartWriting();
    // Reads the radio as it is, without the read checks (backup, read-back), shown as `phase`.
    void CopyRadio(int phase, void (indCloneCommands::*done)(dst_CDrv_Result&));
    void Succeeded();
    // Appends the fleet log line of a write that ended with `outcome`.
    void LogWrite(int outcome);
    // The model type check after a write identification: true goes on; false has finished.
    bool ModelAccepted();

    indMain& main_;
    indCloneMan& man_;
    bool writeConfirmed_ = false;
    bool writing_ = false;         // a write runs: its end is logged
    int64_t writeStartTime_ = 0;   // wall seconds at its start
    uint32_t writeStartMs_ = 0;
    int acceptedRadioType_ = -1;  // a radio model type the user agreed to write over
    std::vector<cmcRange> ranges_;
    std::vector<cmcRange> readRanges_;
    cmcEeprom sent_;
    bool guarded_ = false;
    std::string lastBackup_;
    int lastOutcome_ = -1;
};

}  // namespace qx
