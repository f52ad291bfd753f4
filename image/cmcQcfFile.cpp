#include "image/cmcQcfFile.h"

#include "common/cmcMessage.h"
#include "defs/cmcGTex.h"

#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>

namespace qx {
namespace {

// Longest data line: address, count and 255 bytes, without its line break.
constexpr int kMaxDataLine = 6 + 2 * 255;
// How much of a line is kept for parsing; anything longer is only counted (a data line that long
// is malformed, a comment line that long is skipped whole).
constexpr int kKeptLine = 768;
constexpr const char kMapRevTag[] = "#MapRev=";
constexpr int kMapRevTagLength = sizeof(kMapRevTag) - 1;

// Reads a file line by line. A line is delivered with its line feed (when it has one); a carriage
// return just before the line feed is dropped. Lines of any length are read whole so that a long
// line never splits into pieces that would be taken for lines of their own. Reading stops with
// TooLarge past kMaxCloneFileBytes, so that an endless file (a device, a pipe) ends too.
class cmcLineReader {
public:
    enum Result { Line, End, Error, TooLarge };

    explicit cmcLineReader(std::FILE* file) : file_(file) {}

    Result Next() {
        kept_ = 0;
        length_ = 0;
        for (;;) {
            if (pos_ == end_) {
                if (failed_) return Error;
                if (eof_) return length_ > 0 ? Line : End;
                size_t n = std::fread(buffer_, 1, sizeof buffer_, file_);
                total_ += n;
                if (total_ > static_cast<size_t>(kMaxCloneFileBytes)) return TooLarge;
                if (n < sizeof buffer_) {
                    if (std::ferror(file_)) failed_ = true;
                    else eof_ = true;
                }
                pos_ = 0;
                end_ = n;
                if (n == 0) continue;
            }
            const char* start = buffer_ + pos_;
            const void* nl = std::memchr(start, '\n', end_ - pos_);
            size_t n = nl ? static_cast<const char*>(nl) - start + 1 : end_ - pos_;
            Append(start, n);
            pos_ += n;
            if (nl) {
                DropCarriageReturn();
                return Line;
            }
        }
    }

    const char* Text() const { return line_; }
    // Characters of the line held in Text() (at most kKeptLine).
    int Kept() const { return kept_; }
    // The full length of the line including its line feed.
    size_t Length() const { return length_; }

private:
    void Append(const char* s, size_t n) {
        if (kept_ < kKeptLine) {
            size_t take = std::min(n, static_cast<size_t>(kKeptLine - kept_));
            std::memcpy(line_ + kept_, s, take);
            kept_ += static_cast<int>(take);
        }
        length_ += n;
    }
    void DropCarriageReturn() {
        if (length_ < 2) return;
        if (length_ <= static_cast<size_t>(kKeptLine)) {
            if (line_[length_ - 2] != '\r') return;
            line_[length_ - 2] = '\n';
            --kept_;
            --length_;
        } else {
            // Too long to matter: only the length is used, and it stays far above any limit.
            --length_;
        }
    }

    std::FILE* file_;
    size_t total_ = 0;  // bytes read from the file
    char buffer_[65536];
    size_t pos_ = 0;
    size_t end_ = 0;
    bool eof_ = false;
    bool failed_ = false;
    char line_[kKeptLine];
    int kept_ = 0;
    size_t length_ = 0;
};

struct cmcFileCloser {
    std::FILE* f;
    ~cmcFileCloser() {
        if (f) std::fclose(f);
    }
};

// Value of a hexadecimal digit (either case), -1 for any other character.
struct cmcHexTable {
    int8_t value[256];
    constexpr cmcHexTable() : value() {
        for (int i = 0; i < 256; ++i) value[i] = -1;
        for (int i = 0; i < 10; ++i) value['0' + i] = static_cast<int8_t>(i);
        for (int i = 0; i < 6; ++i) {
            value['A' + i] = static_cast<int8_t>(10 + i);
            value['a' + i] = static_cast<int8_t>(10 + i);
        }
    }
};
constexpr cmcHexTable kHex;

int HexValue(char c) { return kHex.value[static_cast<unsigned char>(c)]; }

int HexField(const char* s, int digits) {
    int v = 0;
    for (int i = 0; i < digits; ++i) v = v * 16 + HexValue(s[i]);
    return v;
}

// The leading decimal integer of s[0..n): leading white space, an optional sign, digits.
// No digits give 0; values beyond the int range saturate.
int LeadingDecimal(const char* s, int n) {
    int i = 0;
    while (i < n && (s[i] == ' ' || (s[i] >= '\t' && s[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < n && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    long long v = 0;
    for (; i < n && s[i] >= '0' && s[i] <= '9'; ++i) {
        v = v * 10 + (s[i] - '0');
        if (v > static_cast<long long>(INT_MAX) + 1) v = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) return static_cast<int>(-v);
    return static_cast<int>(std::min(v, static_cast<long long>(INT_MAX)));
}

}  // namespace

void cmcQcfFile::AttachImage(cmcEeprom& image) {
    image_ = &image;
    const size_t bytes = (static_cast<size_t>(image.GetSize()) + 7) / 8;
    expected_.assign(bytes, 0);
    loaded_.assign(bytes, 0);
    MarkBits(expected_, 0, image.GetSize());
}

void cmcQcfFile::MarkBits(std::vector<uint8_t>& bitmap, int first, int count) {
    int i = first;
    const int end = first + count;
    for (; i < end && (i & 7) != 0; ++i) bitmap[i >> 3] |= static_cast<uint8_t>(1u << (i & 7));
    for (; i + 8 <= end; i += 8) bitmap[i >> 3] = 0xFF;
    for (; i < end; ++i) bitmap[i >> 3] |= static_cast<uint8_t>(1u << (i & 7));
}

bool cmcQcfFile::WasLoaded(int address) const {
    if (address < 0 || static_cast<size_t>(address >> 3) >= loaded_.size()) return false;
    return (loaded_[address >> 3] >> (address & 7)) & 1;
}

int cmcQcfFile::Load(const std::string& path, const cmcRange* ranges) {
    if (image_ == nullptr) cmcFatal("No image attached to the clone file reader.", kExitInternalFault);
    cmcEeprom backup;
    backup.Assign(*image_);
    std::fill(loaded_.begin(), loaded_.end(), 0);
    mapRevision_ = -1;  // a revision read by an earlier load must not vouch for this file

    const int result = LoadFile(path, ranges);
    if (result != QCF_Ok) {
        image_->Assign(backup);
        ShowError(result);
    }
    return result;
}

int cmcQcfFile::LoadFile(const std::string& path, const cmcRange* ranges) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return QCF_FileOpen;
    cmcFileCloser closer{f};
    struct stat st;
    if (fstat(fileno(f), &st) != 0 || S_ISDIR(st.st_mode)) return QCF_FileOpen;
    // A file that says its size is refused before any of it is read.
    if (S_ISREG(st.st_mode) && st.st_size > kMaxCloneFileBytes) return QCF_TooLarge;

    cmcLineReader reader(f);

    // Header: exactly 8 decimal digits and the line break; two 4-digit fields read as hexadecimal.
    switch (reader.Next()) {
    case cmcLineReader::End: return QCF_Format;
    case cmcLineReader::Error: return QCF_FileAccess;
    case cmcLineReader::TooLarge: return QCF_TooLarge;
    case cmcLineReader::Line: break;
    }
    if (reader.Length() != 9 || reader.Text()[8] != '\n') return QCF_Format;
    for (int i = 0; i < 8; ++i)
        if (reader.Text()[i] < '0' || reader.Text()[i] > '9') return QCF_Format;
    const int model = HexField(reader.Text(), 4);
    const int extra = HexField(reader.Text() + 4, 4);

    if (headerCheck_) {
        int code = QCF_Model;
        if (!headerCheck_(model, extra, code)) {
            // A refusal must never read as success, whatever the check wrote.
            return (code >= QCF_FileOpen && code <= QCF_TooLarge) ? code : QCF_Model;
        }
    } else if (model != expectedModel_) {
        return QCF_Model;
    } else if (extra != expectedExtra_) {
        return QCF_Extra;
    }

    bool firstData = true;
    for (;;) {
        const cmcLineReader::Result r = reader.Next();
        if (r == cmcLineReader::End) break;
        if (r == cmcLineReader::Error) return QCF_FileAccess;
        if (r == cmcLineReader::TooLarge) return QCF_TooLarge;
        if (reader.Length() == 0) continue;
        const char* text = reader.Text();
        if (text[0] == '#') {
            if (reader.Kept() >= kMapRevTagLength && std::memcmp(text, kMapRevTag, kMapRevTagLength) == 0)
                mapRevision_ = LeadingDecimal(text + kMapRevTagLength, reader.Kept() - kMapRevTagLength);
            continue;
        }
        if (firstData) {
            firstData = false;
            if (checkMapRevision_ && (!mapRevisionCheck_ || !mapRevisionCheck_(mapRevision_))) return QCF_MapRev;
        }
        // The last character is the line break (a line without one loses its last character).
        const size_t length = reader.Length() - 1;
        if (length < 8 || length > static_cast<size_t>(kMaxDataLine)) return QCF_Format;
        const int rc = ParseDataLine(text, static_cast<int>(length));
        if (rc != QCF_Ok) return rc;
    }
    return ranges ? CheckCoverage(ranges) : QCF_Ok;
}

int cmcQcfFile::ParseDataLine(const char* line, int length) {
    for (int i = 0; i < length; ++i)
        if (HexValue(line[i]) < 0) return QCF_Format;
    const int address = HexField(line, 4);
    const int count = HexField(line + 4, 2);
    if (length != 2 * count + 6) return QCF_Format;
    // Every address is checked before any byte is stored.
    if (!image_->IsValidAddress(address) || !image_->IsValidAddress(address + count - 1)) return QCF_Data;
    uint8_t bytes[255];
    for (int i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>(HexField(line + 6 + 2 * i, 2));
    image_->Write(address, bytes, count);
    MarkBits(loaded_, address, count);
    return QCF_Ok;
}

int cmcQcfFile::CheckCoverage(const cmcRange* ranges) {
    if (ranges == nullptr || loaded_.empty() || image_ == nullptr) return QCF_Coverage;
    std::fill(expected_.begin(), expected_.end(), 0);
    for (const cmcRange* r = ranges; r->last >= r->first; ++r) {
        if (!image_->IsValidAddress(r->first) || !image_->IsValidAddress(r->last)) break;
        MarkBits(expected_, r->first, r->last - r->first + 1);
    }
    if (loaded_ == expected_) return QCF_Ok;
    for (size_t i = 0; i < loaded_.size(); ++i)
        if (loaded_[i] & ~expected_[i]) return QCF_Data;
    return QCF_Coverage;
}

const char* cmcQcfFile::ErrorKey(int code) {
    static const char* const keys[] = {
        "GI_Mess_FileErr_FileOpen", "GI_Mess_FileErr_FileAccess", "GI_Mess_FileErr_Model",
        "GI_Mess_FileErr_Extra",    "GI_Mess_FileErr_MapRev",     "GI_Mess_FileErr_Format",
        "GI_Mess_FileErr_Coverage", "GI_Mess_FileErr_Data",       "GI_Mess_FileErr_Newer",
        "GI_Mess_FileErr_TooLarge",
    };
    if (code < QCF_FileOpen || code > QCF_TooLarge) return "";
    return keys[code - 1];
}

std::string cmcQcfFile::ErrorText(int code) {
    if (code < QCF_FileOpen || code > QCF_TooLarge) return {};
    return GTex().SectionText("GI_Mess_FileErr_Headline") + "\n\n" + GTex().SectionText(ErrorKey(code));
}

void cmcQcfFile::ShowError(int code) {
    if (code < QCF_FileOpen || code > QCF_TooLarge) return;
    const std::string text = ErrorText(code);
    cmcShowMessage(GTex().FirstLine("GI_Sys_AppTitle"), text, cmcMsgIcon::Warning, MB_Ok);
}

}  // namespace qx
