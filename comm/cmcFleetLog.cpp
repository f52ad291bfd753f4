// The fleet log; see cmcFleetLog.h.
#include "comm/cmcFleetLog.h"

#include "cells/cmcChannelPlan.h"
#include "comm/indWriteGuard.h"
#include "common/cmcSafeFile.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qx {

const char* const cmcFleetLog::kHeader =
    "Date,Time,Port,Serial,Model type,File,Values,Backup,Result,Message,Duration (s)";

namespace {

constexpr size_t kFields = 11;

std::string Reason(const std::string& path, int error) {
    return "Cannot write '" + path + "': " + std::strerror(error);
}

// Writes all of `data` at the end of the open file; false with errno set otherwise.
bool WriteAll(int fd, const std::string& data) {
    size_t at = 0;
    while (at < data.size()) {
        const ssize_t n = ::write(fd, data.data() + at, data.size() - at);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        at += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

void cmcFleetLogEntry::SetWhen(int64_t secondsSinceEpoch) {
    const std::time_t t = static_cast<std::time_t>(secondsSinceEpoch);
    std::tm local{};
    localtime_r(&t, &local);
    char d[16], h[16];
    std::strftime(d, sizeof d, "%Y-%m-%d", &local);
    std::strftime(h, sizeof h, "%H:%M:%S", &local);
    date = d;
    time = h;
}

std::string cmcFleetLog::DefaultPath() {
    const std::string backups = indWriteGuard::DefaultBackupDir();
    const size_t slash = backups.find_last_of('/');
    return (slash == std::string::npos ? std::string(".") : backups.substr(0, slash)) + "/fleet-log.csv";
}

std::string cmcFleetLog::AbsolutePath(const std::string& path) {
    if (path.empty()) return path;
    return QFileInfo(QString::fromStdString(path)).absoluteFilePath().toStdString();
}

std::string cmcFleetLog::Line(const cmcFleetLogEntry& e) {
    char duration[32];
    std::snprintf(duration, sizeof duration, "%.1f", e.duration < 0 ? 0.0 : e.duration);
    const std::string fields[kFields] = {e.date,   e.time,   e.port,    e.serial,  e.modelType,        e.file,
                                         e.values, e.backup, std::to_string(e.result), e.message, duration};
    std::string line;
    for (size_t i = 0; i < kFields; ++i) {
        if (i) line += ',';
        line += CsvField(fields[i]);
    }
    return line;
}

std::string cmcFleetLog::MessageOf(int result, const std::string& text) {
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        if (!line.empty()) return line;
        start = end + 1;
    }
    return result == 0 ? "ok" : "failed";
}

bool cmcFleetLog::Append(const std::string& pathIn, const std::vector<cmcFleetLogEntry>& entries, std::string* why) {
    const std::string path = pathIn.empty() ? DefaultPath() : pathIn;
    const QString folder = QFileInfo(QString::fromStdString(path)).absolutePath();
    if (!QDir().mkpath(folder)) {
        if (why) *why = "Cannot write '" + path + "': the folder '" + folder.toStdString() + "' cannot be made";
        return false;
    }
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) {
        if (why) *why = Reason(path, errno);
        return false;
    }
    // One writer at a time: the header of a new file and the lines of one call stay together.
    while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
    }
    std::string text;
    struct stat st{};
    if (::fstat(fd, &st) == 0 && st.st_size == 0) {
        text = std::string(kHeader) + "\n";
    } else if (st.st_size > 0) {
        // A line cut off by a crash is ended, so the new lines start on their own.
        char last = '\n';
        if (::pread(fd, &last, 1, st.st_size - 1) == 1 && last != '\n') text = "\n";
    }
    for (const auto& e : entries) text += Line(e) + "\n";
    bool ok = WriteAll(fd, text) && ::fsync(fd) == 0;
    const int error = errno;
    ok = (::close(fd) == 0) && ok;
    if (!ok && why) *why = Reason(path, error ? error : EIO);
    return ok;
}

bool cmcFleetLog::Read(const std::string& path, std::vector<cmcFleetLogEntry>* entries, std::string* why,
                       int* skipped) {
    // A log of a million writes is a few hundred megabytes; anything larger is not a log.
    constexpr size_t kMaxLogBytes = size_t{1} << 30;
    std::string text, reason;
    switch (cmcReadWholeFile(path, kMaxLogBytes, &text, &reason)) {
        case cmcReadResult::Ok: break;
        case cmcReadResult::TooLarge:
            if (why) *why = "'" + path + "' is larger than 1 GiB: not a fleet log";
            return false;
        case cmcReadResult::CannotRead:
            if (why) *why = "Cannot read '" + path + "': " + reason;
            return false;
    }
    const std::vector<cmcCsvRecord> records = ParseCsv(text, ',');
    std::string header;
    if (!records.empty())
        for (size_t i = 0; i < records.front().fields.size(); ++i) header += (i ? "," : "") + records.front().fields[i];
    if (header != kHeader) {
        if (why) *why = "'" + path + "' is not a fleet log: its first line is not the header " + kHeader;
        return false;
    }
    int bad = 0;
    for (size_t r = 1; r < records.size(); ++r) {
        const auto& f = records[r].fields;
        if (f.size() != kFields) {
            ++bad;
            continue;
        }
        cmcFleetLogEntry e;
        e.date = f[0];
        e.time = f[1];
        e.port = f[2];
        e.serial = f[3];
        e.modelType = f[4];
        e.file = f[5];
        e.values = f[6];
        e.backup = f[7];
        char* end = nullptr;
        e.result = static_cast<int>(std::strtol(f[8].c_str(), &end, 10));
        e.message = f[9];
        e.duration = std::strtod(f[10].c_str(), nullptr);
        entries->push_back(std::move(e));
    }
    if (skipped) *skipped = bad;
    return true;
}

}  // namespace qx
