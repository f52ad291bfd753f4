#include "common/cmcSafeFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace qx {
namespace {

constexpr const char kTempMark[] = ".qx-p2210.tmp-";
// A temporary file this old is stale even when a process of its number runs (the number was reused).
constexpr time_t kStaleAfterSeconds = 60 * 60;
constexpr int kMaxLinks = 40;

void Fail(const std::string& path, int err, std::string* error) {
    if (error) *error = "Cannot write '" + path + "': " + std::strerror(err);
}

bool WriteAll(int fd, const char* data, size_t size, int* err) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            *err = errno;
            return false;
        }
        if (n == 0) {
            *err = EIO;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return std::string();
    return path.substr(0, slash + 1);
}

std::string NameOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file a path stands for once symbolic links in its last part are followed; the path itself
// when it is no link (or names nothing yet). False with `err` on a loop or an unreadable link.
bool FollowLinks(std::string path, std::string* out, int* err) {
    for (int hop = 0; hop <= kMaxLinks; ++hop) {
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            *out = path;
            return true;
        }
        std::vector<char> buf(static_cast<size_t>(st.st_size > 0 ? st.st_size : PATH_MAX) + 1);
        const ssize_t n = ::readlink(path.c_str(), buf.data(), buf.size());
        if (n < 0) {
            *err = errno;
            return false;
        }
        std::string target(buf.data(), static_cast<size_t>(n));
        path = (!target.empty() && target[0] == '/') ? target : FolderOf(path) + target;
    }
    *err = ELOOP;
    return false;
}

// Writes straight into a device or pipe: there is nothing to rename over.
bool WriteDirect(const std::string& path, std::string_view data, std::string* error) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        Fail(path, errno, error);
        return false;
    }
    int err = 0;
    WriteAll(fd, data.data(), data.size(), &err);
    if (::close(fd) != 0 && err == 0 && errno != EINTR) err = errno;
    if (err != 0) {
        Fail(path, err, error);
        return false;
    }
    return true;
}

// Whether the process that wrote a temporary file (its number is in the name) may still run.
bool WriterMayLive(const std::string& name) {
    const size_t at = name.rfind(kTempMark);
    if (at == std::string::npos) return false;
    const long pid = std::strtol(name.c_str() + at + sizeof kTempMark - 1, nullptr, 10);
    if (pid <= 0) return false;
    if (pid == ::getpid()) return true;
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

}  // namespace

bool cmcIsSafeFileTemporary(const std::string& name) {
    // ".<name>" + mark + "<digits>-<digits>"
    if (name.size() < 2 || name[0] != '.') return false;
    const size_t at = name.rfind(kTempMark);
    if (at == std::string::npos || at < 2) return false;
    size_t i = at + sizeof kTempMark - 1;
    auto digits = [&] {
        const size_t from = i;
        while (i < name.size() && name[i] >= '0' && name[i] <= '9') ++i;
        return i > from;
    };
    if (!digits() || i >= name.size() || name[i] != '-') return false;
    ++i;
    return digits() && i == name.size();
}

int cmcRemoveStaleTemporaries(const std::string& folder) {
    const std::string dir = folder.empty() ? std::string("./") : (folder.back() == '/' ? folder : folder + "/");
    DIR* d = ::opendir(dir.c_str());
    if (!d) return 0;
    std::vector<std::string> names;
    while (const dirent* e = ::readdir(d))
        if (cmcIsSafeFileTemporary(e->d_name)) names.emplace_back(e->d_name);
    ::closedir(d);

    int removed = 0;
    const time_t now = ::time(nullptr);
    for (const std::string& name : names) {
        const std::string path = dir + name;
        const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (fd < 0) continue;
        struct stat st, again;
        // Ours only: a regular file of this user that no live writer holds locked.
        const bool candidate = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
                               ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
                               (!WriterMayLive(name) || now - st.st_mtime > kStaleAfterSeconds);
        // The name still stands for the file just locked.
        if (candidate && ::lstat(path.c_str(), &again) == 0 && again.st_dev == st.st_dev &&
            again.st_ino == st.st_ino && ::unlink(path.c_str()) == 0)
            ++removed;
        ::close(fd);
    }
    return removed;
}

bool cmcWriteFileSafely(const std::string& path, std::string_view data, std::string* error) {
    if (path.empty()) {
        Fail(path, ENOENT, error);
        return false;
    }
    struct stat st;
    const bool exists = ::stat(path.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) {
        Fail(path, EISDIR, error);
        return false;
    }
    if (exists && !S_ISREG(st.st_mode)) return WriteDirect(path, data, error);

    std::string target;
    int err = 0;
    if (!FollowLinks(path, &target, &err)) {
        Fail(path, err, error);
        return false;
    }
    // The temporary file lives in the destination's folder so that the rename stays on one file system.
    const std::string dir = FolderOf(target);
    const std::string base = NameOf(target);
    if (base.empty()) {
        Fail(path, EISDIR, error);
        return false;
    }
    cmcRemoveStaleTemporaries(dir);

    static std::atomic<unsigned> serial{0};
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = dir + "." + base + kTempMark + std::to_string(::getpid()) + "-" + std::to_string(serial++);
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd < 0 && errno != EEXIST) {
            Fail(path, errno, error);
            return false;
        }
    }
    if (fd < 0) {
        Fail(path, EEXIST, error);
        return false;
    }
    // Locked while it is written, so that another save does not take it for a stale one.
    ::flock(fd, LOCK_EX | LOCK_NB);

    // A file that is replaced keeps its permissions.
    if (exists) ::fchmod(fd, st.st_mode & 07777);

    // A second descriptor holds the lock until the rename is done; closing the first reports the
    // last write errors (some network file systems report them only then).
    const int lock = ::dup(fd);
    WriteAll(fd, data.data(), data.size(), &err);
    if (err == 0 && ::fsync(fd) != 0) err = errno;
    if (::close(fd) != 0 && err == 0 && errno != EINTR) err = errno;
    if (err == 0 && ::rename(temp.c_str(), target.c_str()) != 0) err = errno;
    if (err != 0) ::unlink(temp.c_str());
    if (lock >= 0) ::close(lock);
    if (err != 0) {
        Fail(path, err, error);
        return false;
    }
    // The rename itself reaches the disk with the folder.
    const int dfd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return true;
}

cmcReadResult cmcReadWholeFile(const std::string& path, size_t maxBytes, std::string* text, std::string* reason) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        if (reason) *reason = std::strerror(errno);
        return cmcReadResult::CannotRead;
    }
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> closer(f, &std::fclose);
    std::string out;
    char buffer[65536];
    for (;;) {
        const size_t n = std::fread(buffer, 1, sizeof buffer, f);
        if (out.size() + n > maxBytes) return cmcReadResult::TooLarge;
        out.append(buffer, n);
        if (n < sizeof buffer) break;
    }
    if (std::ferror(f)) {
        if (reason) *reason = std::strerror(errno ? errno : EIO);
        return cmcReadResult::CannotRead;
    }
    *text = std::move(out);
    return cmcReadResult::Ok;
}

}  // namespace qx
