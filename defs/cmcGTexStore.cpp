#include "defs/cmcGTexStore.h"

#include "common/cmcMessage.h"

#include <algorithm>

namespace qx {

namespace {

// A position in a line list: the string's index in the high half, the offset inside the string in
// the low half (non-zero only while an over-long string is being delivered in pieces).
constexpr int64_t ListPos(size_t index, size_t offset) {
    return (static_cast<int64_t>(index) << 32) | static_cast<int64_t>(offset);
}

}  // namespace

cmcGTexStore::~cmcGTexStore() {
    if (file_) std::fclose(file_);
}

bool cmcGTexStore::SetFileName(const std::string& fileName) {
    if (source_ != Source::None) return false;
    source_ = Source::File;
    fileName_ = fileName;
    return true;
}

bool cmcGTexStore::SetLineList(const std::vector<std::string>* lines) {
    if (source_ != Source::None || !lines) return false;
    source_ = Source::List;
    lines_ = lines;
    return true;
}

bool cmcGTexStore::Open() {
    opened_ = true;
    if (source_ == Source::File && !fileName_.empty()) {
        // Binary mode: the reader drops a '\r' before '\n' itself, so positions are true byte offsets.
        file_ = std::fopen(fileName_.c_str(), "rb");
        isOpen_ = file_ != nullptr;
        streamPos_ = 0;
    } else if (source_ == Source::List) {
        isOpen_ = lines_ != nullptr;
    }
    pos_ = 0;
    if (!isOpen_) CompleteIndex();
    return isOpen_;
}

bool cmcGTexStore::SeekFile() {
    if (pos_ == streamPos_) return true;
    if (std::fseek(file_, static_cast<long>(pos_), SEEK_SET) != 0) {
        streamPos_ = -1;
        return false;
    }
    streamPos_ = pos_;
    return true;
}

bool cmcGTexStore::ReadFileLine(std::string& out, bool* endedLine) {
    out.clear();
    *endedLine = false;
    if (!SeekFile()) return false;
    std::FILE* f = file_;
    int64_t consumed = 0;
    // Takes the line end at the current stream position, if there is one ("\n" or "\r\n").
    auto takeLineEnd = [&](int c) -> bool {
        if (c == '\n') {
            ++consumed;
            return true;
        }
        if (c == '\r') {
            int c2 = getc_unlocked(f);
            if (c2 == '\n') {
                consumed += 2;
                return true;
            }
            if (c2 != EOF) ungetc(c2, f);
        }
        return false;
    };
    for (;;) {
        int c = getc_unlocked(f);
        if (c == EOF) break;
        if (takeLineEnd(c)) {
            out.push_back('\n');
            *endedLine = true;
            break;
        }
        out.push_back(static_cast<char>(c));
        ++consumed;
        if (static_cast<int>(out.size()) == kMaxLine) {
            // A line of exactly the maximum length still owns its line end; a longer one goes on
            // in the next line.
            int next = getc_unlocked(f);
            if (next != EOF) {
                if (takeLineEnd(next)) {
                    out.push_back('\n');
                    *endedLine = true;
                } else {
                    ungetc(next, f);
                }
            }
            break;
        }
    }
    if (consumed == 0) {
        if (std::ferror(f)) {
            std::clearerr(f);
            streamPos_ = -1;
        }
        return false;  // end of file or read error
    }
    pos_ += consumed;
    streamPos_ = pos_;
    return true;
}

bool cmcGTexStore::ReadListLine(std::string& out, bool* endedLine) {
    size_t index = static_cast<size_t>(pos_ >> 32);
    size_t offset = static_cast<size_t>(pos_ & 0xFFFFFFFF);
    // The list has no end mark of its own; reading past its last string ends like a file does.
    if (!lines_ || index >= lines_->size()) return false;
    const std::string& s = (*lines_)[index];
    size_t rest = s.size() > offset ? s.size() - offset : 0;
    if (rest <= static_cast<size_t>(kMaxLine)) {
        out.assign(s, std::min(offset, s.size()), rest);
        out.push_back('\n');
        *endedLine = true;
        pos_ = ListPos(index + 1, 0);
    } else {
        out.assign(s, offset, kMaxLine);
        *endedLine = false;
        pos_ = ListPos(index, offset + kMaxLine);
    }
    return true;
}

bool cmcGTexStore::ReadRaw(std::string& out, bool* endedLine) {
    if (!isOpen_) return false;
    return source_ == Source::File ? ReadFileLine(out, endedLine) : ReadListLine(out, endedLine);
}

bool cmcGTexStore::ReadCached(std::string& out) {
    bool ended = false;
    if (source_ != Source::File) return ReadRaw(out, &ended);
    for (auto it = cache_.begin(); it != cache_.end(); ++it) {
        if (it->start != pos_) continue;
        out = it->text;
        pos_ += it->bytes;
        cache_.splice(cache_.begin(), cache_, it);
        return true;
    }
    int64_t start = pos_;
    if (!ReadRaw(out, &ended)) return false;
    if (static_cast<int>(cache_.size()) >= kCacheEntries) cache_.pop_back();
    cache_.push_front(CacheEntry{start, pos_ - start, out});
    return true;
}

bool cmcGTexStore::IndexStep() {
    if (!opened_) Open();
    if (!isOpen_ || indexComplete_) {
        CompleteIndex();
        return false;
    }
    pos_ = scanPos_;
    std::string line;
    bool ended = false;
    if (!ReadRaw(line, &ended)) {  // a failed seek or read (end of the source) completes the index
        CompleteIndex();
        return false;
    }
    bool atLineStart = scanAtLineStart_;
    scanAtLineStart_ = ended;
    if (atLineStart && line.size() >= 2 && line[0] == '#' && line[1] != '\n') {
        size_t end = line.back() == '\n' ? line.size() - 1 : line.size();
        auto section = std::make_unique<Section>();
        section->key.assign(line, 1, end - 1);
        section->bodyStart = pos_;
        section->cursorLine = 0;
        section->cursorPos = pos_;
        if (section->key == "End_Of_Ovl") CompleteIndex();
        index_.push_back(std::move(section));
    }
    scanPos_ = pos_;
    return true;
}

cmcGTexStore::Section* cmcGTexStore::Find(const std::string& key) {
    for (size_t i = 0; i < index_.size(); ++i) {
        if (index_[i]->key != key) continue;
        if (i > static_cast<size_t>(kMoveToFrontPlace)) {
            std::rotate(index_.begin(), index_.begin() + static_cast<std::ptrdiff_t>(i),
                        index_.begin() + static_cast<std::ptrdiff_t>(i) + 1);
            return index_.front().get();
        }
        return index_[i].get();
    }
    while (!indexComplete_) {
        size_t before = index_.size();
        if (!IndexStep()) break;
        if (index_.size() > before && index_.back()->key == key) return index_.back().get();
    }
    return nullptr;
}

void cmcGTexStore::LookupFailure(const std::string& key) {
    cmcFatal("GTEX Error !\nThe index '" + key + "' was not found.", kExitDefinitionFault);
}

std::string cmcGTexStore::Line(const std::string& key, int n) {
    Section* s = Find(key);
    if (!s || !isOpen_ || n < 0) LookupFailure(key);
    int line = 0;
    if (n < s->cursorLine) {
        pos_ = s->bodyStart;
    } else {
        pos_ = s->cursorPos;
        line = s->cursorLine;
    }
    std::string text;
    for (;;) {
        if (!ReadCached(text)) LookupFailure(key);
        if (line == n) break;
        ++line;
    }
    size_t lf = text.find('\n');
    if (lf != std::string::npos) text.resize(lf);
    s->cursorLine = n + 1;
    s->cursorPos = pos_;
    return text;
}

std::string cmcGTexStore::SectionText(const std::string& key) {
    std::string result;
    for (int n = 0;; ++n) {
        std::string line = Line(key, n);
        if (!line.empty() && line[0] == '#') break;
        if (n > 0) result.push_back('\n');
        result += line;
    }
    return result;
}

bool cmcGTexStore::HasKey(const std::string& key) { return Find(key) != nullptr && isOpen_; }

std::vector<std::string> cmcGTexStore::IndexKeys() const {
    std::vector<std::string> keys;
    keys.reserve(index_.size());
    for (auto& s : index_) keys.push_back(s->key);
    return keys;
}

}  // namespace qx
