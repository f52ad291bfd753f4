// Several radios at once: per-radio values (cmcFleetPlan) and the runner that writes or reads a
// fleet of radios on one event loop (indFleet). QtCore only; the runner prints nothing: the
// command-line tool and the program's window draw its state.
//
//     cmcFleetPlan plan;
//     plan.AddEach("%CT_Null.CL_Msk_Presl_Own_Id=101+", 4, &why);      // 101, 102, 103, 104
//     indFleet fleet({"/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyUSB2", "/dev/ttyUSB3"});
//     fleet.changed = [&](size_t i, bool phaseChanged) { ... fleet.At(i) ... };
//     fleet.finished = [&] { loop.quit(); };
//     if (fleet.StartWrite("fleet.QCF", plan, options, &why)) loop.exec();
//     int status = fleet.ExitStatus();
#pragma once

#include "comm/cmcFleetLog.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qx {

class indMain;
class indCloneMan;
class indCloneCommands;

// ---------------------------------------------------------------------------------------------
// Per-radio values

// One value for one radio: a cell argument as 'set' takes it, a bare identity such as
// "%CT_Null.CL_Msk_Presl_Own_Id" or "%CT_Mch.CL_Mch_Id_C[3]", or a range of a list,
// "%CT_Mch.CL_Mch_Id_C[0..63]", which gives the same text to every cell of the range; and the text
// typed into it (or "@key:space", "@pick:N" as for 'set').
struct cmcFleetValue {
    std::string cell;
    std::string text;
    // "CELL=TEXT"
    std::string Assignment() const { return cell + "=" + text; }
};

// A value a radio's data refused: Message() is "CELL=TEXT: reason" (CELL the cell of the range
// that refused, "...[5]", for a range).
struct cmcFleetRefusal {
    size_t column = 0;  // the value's position in the list applied
    std::string cell;
    std::string text;
    std::string why;
    std::string Message() const { return cell + "=" + text + ": " + why; }
};

// How the rows of a plan find their radio.
enum class cmcFleetKey : int {
    Order = 0,   // row i is the i-th radio (the i-th --port, the i-th ticked port)
    Port = 1,    // by device
    Serial = 2,  // by the serial number the radio gives when identified
};

class cmcFleetPlan {
public:
    cmcFleetKey key = cmcFleetKey::Order;
    // The cell arguments, one per column.
    std::vector<std::string> columns;
    struct Row {
        std::string key;                 // the port or serial number (empty for Order)
        std::vector<std::string> texts;  // one per column; an empty text leaves that cell as the file has it
    };
    std::vector<Row> rows;

    bool Empty() const { return columns.empty(); }

    // Adds a column for `radios` radios in order (the plan must be keyed by Order):
    //   CELL=101+      101, 102, 103, ... (the width of the start is kept: 007+ gives 007, 008, ...)
    //   CELL=101+5     101, 106, 111, ...
    //   CELL=a,b,c     one text per radio, in order; their count must equal `radios`
    // False with the reason for a malformed argument, an unknown cell, a wrong count or a series
    // that runs past its digits.
    bool AddEach(const std::string& arg, size_t radios, std::string* why);

    // A CSV plan: a header "Port,<cell>,<cell>..." or "Serial,<cell>,..." (case ignored in the
    // key's name), then one row per radio (comma separator, RFC 4180 quoting; blank lines skipped).
    // False with the reason ("PLAN line N: ...") for a missing or unknown key column, an unknown
    // cell, a row with another number of fields than the header, an empty or repeated key.
    bool ParseCsv(const std::string& text, std::string* why, const std::string& name = "the plan");
    bool ReadCsv(const std::string& path, std::string* why);

    // Checks one cell argument: a bare identity "%CT_x.CL_y" with an optional index [n] or range
    // [first..last], of a known category and label. False with the reason.
    static bool CheckCell(const std::string& cell, std::string* why);
    // The texts of a series: count texts from `start` (digits) in steps of `step`, keeping the width
    // of `start`. False with the reason when start is not digits or the series outgrows 9 digits.
    static bool Series(const std::string& start, long long step, size_t count, std::vector<std::string>* out,
                       std::string* why);

    // The values of one radio: its row by position (Order), port (Port) or serial number (Serial);
    // the columns whose text is empty are left out. *found (when given) says whether the plan has a
    // row for the radio (a plan without columns has one for every radio).
    std::vector<cmcFleetValue> ValuesFor(size_t order, const std::string& port, const std::string& serial,
                                         bool* found = nullptr) const;
    // The ports a Port-keyed plan names, in its order.
    std::vector<std::string> Ports() const;
    // Whether the values are known only after identification.
    bool BySerial() const { return key == cmcFleetKey::Serial && !Empty(); }

    // Applies the values to the working image of `main`, each through its cells' own editors
    // (cmcCellScript::ApplyEach), as 'set' does. Every value is tried; the refused ones are
    // returned and the image is put back as it was before the first value whenever any is refused,
    // so that a radio either gets all its values or none. A question an edit would ask is answered
    // Cancel, refusing the value with the question's first line. A range of memory channel cells
    // gives the value to the channels of the range in use and passes over the empty ones (their
    // cells take no value); a range without a channel in use is refused.
    static std::vector<cmcFleetRefusal> Apply(indMain& main, const std::vector<cmcFleetValue>& values);
    // "CELL=TEXT; CELL=TEXT" (the fleet log's Values field).
    static std::string Describe(const std::vector<cmcFleetValue>& values);
};

// ---------------------------------------------------------------------------------------------
// The runner

struct indFleetOptions {
    bool highSpeed = false;
    // Backup before the write: -1 the setting "BackupBeforeWrite", 0 off, 1 on; where (empty:
    // indWriteGuard::DefaultBackupDir()).
    int backup = 1;
    std::string backupDir;
    bool verify = true;
    // A radio of another model type than the file's: 0 refused (code 19), 1 written. Nobody is
    // asked during a fleet write.
    int changeModel = 0;
    // The fleet log of writes: on by default, to logFile (empty: cmcFleetLog::DefaultPath()).
    bool log = true;
    std::string logFile;
    // What the write's messages advise (indCloneCommands' backupAdvice, shortRadioAdvice,
    // otherModelAdvice); empty: the definition file's lines.
    std::string backupAdvice;
    std::string shortRadioAdvice;
    std::string otherModelAdvice;
};

class indFleet {
public:
    // What a radio's line shows. `phase` is an indClonePhase (CPH_Backup, CPH_GuardedWrite,
    // CPH_Verify, CPH_Read, ...), or -1 while the radio is identified or has not started.
    struct Radio {
        std::string port;
        std::string serial;    // after its identification
        int modelType = -1;    // the radio's model type after its identification, else -1
        int phase = -1;
        int done = 0;          // image bytes of the phase's total
        int total = 0;
        bool ended = false;
        // The clone result code; 1 or -1 when the radio was stopped before cloning (a refused
        // value, the user's Cancel before anything was sent, data refused).
        int outcome = -1;
        std::string error;     // the first line of the first error message
        std::string errorText; // that message in full
        std::string backup;    // the backup file kept before the write
        std::string saved;     // read: the file the radio was saved as
        std::vector<cmcFleetValue> values;  // the values applied to this radio's data
        int64_t startTime = 0; // seconds since 1970 (wall clock) when it started, 0 before
        double duration = 0;   // seconds from start to end
        std::string logProblem;  // why its fleet log line could not be written, when it could not

        // Its exit status: 0 success, 1 stopped before cloning, else the clone result code (73 a
        // read file that could not be written).
        int Status() const { return outcome < 0 ? 1 : outcome; }
    };

    explicit indFleet(const std::vector<std::string>& ports);
    ~indFleet();
    indFleet(const indFleet&) = delete;
    indFleet& operator=(const indFleet&) = delete;

    size_t Count() const;
    const Radio& At(size_t i) const;
    // The radio's own objects (for its image: the values applied, the data read).
    indMain& MainOf(size_t i);
    indCloneCommands& CommandsOf(size_t i);

    // A radio's state changed: a new phase or its end (phaseChanged), or progress.
    std::function<void(size_t i, bool phaseChanged)> changed;
    // Every radio has ended (read: the files are saved). May be called from within Start... when no
    // radio could start.
    std::function<void()> finished;

    // Writes `file` into every radio with its values from `plan`. The file is opened into each
    // radio's image; values keyed by order or port are applied at once, values keyed by serial
    // after the radio's identification, before anything is written; a refused value, or a radio
    // whose serial has no row in a Serial plan, stops that radio only (outcome 1, error
    // "CELL=TEXT: reason"). The data is checked as the clone write checks it (a channel in use,
    // the warning check's errors). No question is asked: the caller has confirmed the write for
    // all. False (with the reason; nothing started) when the file is refused (*why holds its
    // message; exitCode 65) or a fleet is running.
    bool StartWrite(const std::string& file, const cmcFleetPlan& plan, const indFleetOptions& options,
                    std::string* why);
    // Reads every radio and saves each into `folder` as <serial>.QCF (the port's name when the
    // serial is unknown; "-2", "-3", ... when taken), in port order once all have ended, just before
    // `finished` (no `changed` is told for the saving). A file that cannot be saved is outcome 73.
    // Reads are not logged. False when a fleet is running.
    bool StartRead(const std::string& folder, const indFleetOptions& options, std::string* why);

    bool Running() const;
    // Stops one radio (its clone manager's RequestCancel: an identification or read stops at once, a
    // write asks no question here and stops); a radio not started yet is not started.
    void Cancel(size_t i);
    void CancelAll();

    // 0 when every radio succeeded, else the highest Status().
    int ExitStatus() const;

private:
    class Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace qx
