#include "image/cmcQcfWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>

namespace qx {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

void AppendHex(std::string& out, unsigned value, int digits) {
    for (int i = digits - 1; i >= 0; --i) out += kHexDigits[(value >> (4 * i)) & 0xF];
}

// Whether `value` prints as 4 hexadecimal digits that are all decimal digits.
bool IsDecimalDigitField(int value) {
    if (value < 0 || value > 0xFFFF) return false;
    for (int i = 0; i < 4; ++i)
        if (((value >> (4 * i)) & 0xF) > 9) return false;
    return true;
}

std::string SystemReason(int err) { return std::strerror(err); }

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

bool cmcQcfWriter::Format(const cmcEeprom& image, const cmcRange* ranges, std::string& text) {
    error_.clear();
    text.clear();
    if (!IsDecimalDigitField(model_) || !IsDecimalDigitField(extra_)) {
        error_ = "The clone file header values cannot be written as decimal digits.";
        return false;
    }
    AppendHex(text, static_cast<unsigned>(model_), 4);
    AppendHex(text, static_cast<unsigned>(extra_), 4);
    text += "\n#MapRev=" + std::to_string(mapRevision_) + "\n";
    if (ranges == nullptr) return true;

    const uint8_t* bytes = image.Data();
    for (const cmcRange* r = ranges; r->last >= r->first; ++r) {
        if (!image.IsValidAddress(r->first) || !image.IsValidAddress(r->last) || r->last > 0xFFFF) {
            error_ = "The address range " + std::to_string(r->first) + "-" + std::to_string(r->last) +
                     " lies outside the image or beyond the addresses a clone file can hold.";
            text.clear();
            return false;
        }
        text.reserve(text.size() + static_cast<size_t>(r->last - r->first + 1) * 2 +
                     static_cast<size_t>((r->last - r->first) / kBytesPerLine + 1) * 8);
        for (int address = r->first; address <= r->last; address += kBytesPerLine) {
            const int count = std::min(kBytesPerLine, r->last - address + 1);
            AppendHex(text, static_cast<unsigned>(address), 4);
            AppendHex(text, static_cast<unsigned>(count), 2);
            for (int i = 0; i < count; ++i) AppendHex(text, bytes[address + i], 2);
            text += '\n';
        }
    }
    return true;
}

bool cmcQcfWriter::Write(const std::string& path, const cmcEeprom& image, const cmcRange* ranges) {
    std::string text;
    if (!Format(image, ranges, text)) {
        error_ = "Cannot write '" + path + "': " + error_;
        return false;
    }
    auto fail = [&](int err) {
        error_ = "Cannot write '" + path + "': " + SystemReason(err);
        return false;
    };
    if (path.empty()) return fail(ENOENT);

    // The temporary file lives in the destination's folder so that the rename stays on one file system.
    const size_t slash = path.find_last_of('/');
    const std::string dir = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    if (base.empty()) return fail(EISDIR);

    static std::atomic<unsigned> serial{0};
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = dir + "." + base + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(serial++);
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) return fail(errno);
    }
    if (fd < 0) return fail(EEXIST);

    // A file that is replaced keeps its permissions.
    struct stat st;
    if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) ::fchmod(fd, st.st_mode & 07777);

    int err = 0;
    if (!WriteAll(fd, text.data(), text.size())) err = errno;
    if (err == 0 && ::fsync(fd) != 0) err = errno;
    if (::close(fd) != 0 && err == 0) err = errno;
    if (err == 0 && ::rename(temp.c_str(), path.c_str()) != 0) err = errno;
    if (err != 0) {
        ::unlink(temp.c_str());
        return fail(err);
    }
    return true;
}

}  // namespace qx
