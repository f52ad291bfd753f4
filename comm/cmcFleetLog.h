// The fleet log: a record of every clone write, one CSV line per radio written.
//
// Each clone write (a single one from the program's menu or the command line, and every radio of a
// write to several radios) appends one line when it ends, whatever its outcome:
//
//     Date,Time,Port,Serial,Model type,File,Values,Backup,Result,Message,Duration (s)
//     2025-03-01,14:02:11,/dev/ttyUSB0,20241204660,PMR,/home/a/fleet.QCF,%CT_Null.CL_Msk_Presl_Own_Id=101,/home/a/.local/share/Vexa/QX-P2210/backups/2025-03-01_140211_20241204660.QCF,0,ok,41.3
//
// Date and Time are local (the write's start), Values the per-radio values applied to the file's
// data ("CELL=TEXT; CELL=TEXT", empty when none), Result the clone result code (1 for a write
// stopped before cloning), Message "ok" or the first line of the reason, Duration seconds with one
// decimal. Fields are quoted as RFC 4180 says (a field holding a comma, a quote or a line break is
// written in quotes, quotes doubled; the CSV helpers of cells/cmcChannelPlan.h). Reads are not logged.
//
// The log lives next to the backups folder: <data dir>/fleet-log.csv, the data dir being the
// parent of indWriteGuard::DefaultBackupDir(). Lines are appended in one write each, under an
// exclusive lock, so several programs writing at once do not mix their lines; the file is created
// with its header line. A line that cannot be appended is reported (false and the reason), never
// dropped in silence.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qx {

struct cmcFleetLogEntry {
    std::string date;       // YYYY-MM-DD (local)
    std::string time;       // HH:MM:SS (local)
    std::string port;       // the device written through
    std::string serial;     // the radio's serial number (empty when it never answered)
    std::string modelType;  // the radio's model type name ("PMR", ...; empty when unknown)
    std::string file;       // the clone file written (empty for data without a file)
    std::string values;     // "CELL=TEXT; CELL=TEXT", empty when none
    std::string backup;     // the backup file kept before the write (empty when none)
    int result = 0;         // the clone result code, 1 when stopped before cloning
    std::string message;    // "ok" or the first line of the reason
    double duration = 0;    // seconds

    // Sets date and time from seconds since 1970-01-01 UTC, in local time.
    void SetWhen(int64_t secondsSinceEpoch);
};

class cmcFleetLog {
public:
    // The header line, without its line feed.
    static const char* const kHeader;

    // <data dir>/fleet-log.csv next to indWriteGuard::DefaultBackupDir().
    static std::string DefaultPath();

    // The entry as one CSV line, without its line feed.
    static std::string Line(const cmcFleetLogEntry& entry);
    // A result's Message field from a message text: "ok" for result 0 without text, else its first
    // non-empty line.
    static std::string MessageOf(int result, const std::string& text);

    // A path as the log names it: absolute (made so from the working folder), so that a line
    // still finds its file later; empty stays empty.
    static std::string AbsolutePath(const std::string& path);

    // Appends the entries to the log at `path` (empty: DefaultPath()), creating the file and its
    // folder with the header line when missing. False with the reason (naming the file) when the
    // lines could not be written; nothing is half-written then beyond what the system kept.
    static bool Append(const std::string& path, const std::vector<cmcFleetLogEntry>& entries, std::string* why);
    static bool Append(const std::string& path, const cmcFleetLogEntry& entry, std::string* why) {
        return Append(path, std::vector<cmcFleetLogEntry>{entry}, why);
    }

    // Reads a log: every line after the header. False with the reason when the file cannot be read
    // or does not start with the header; a line that does not split into the eleven fields is
    // skipped and counted in *skipped (when given).
    static bool Read(const std::string& path, std::vector<cmcFleetLogEntry>* entries, std::string* why,
                     int* skipped = nullptr);
};

}  // namespace qx
