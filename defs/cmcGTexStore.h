// The engine behind cmcGTex and cmcHelpGTex: a lazily indexed, keyed line store over a definition
// file or over a list of lines held in memory. Not thread-safe: every read moves the current
// position, a section's read cursor, the index order and the line cache.
#pragma once

#include <cstdint>
#include <cstdio>
#include <list>
#include <memory>
#include <string>
#include <vector>

namespace qx {

class cmcGTexStore {
public:
    // A line holds at most this many characters; longer physical lines come out as several lines.
    static constexpr int kMaxLine = 8191;
    // The most recently read lines of a file source kept in memory.
    static constexpr int kCacheEntries = 64;
    // Sections found at this place of the index or further back are moved to the front.
    static constexpr int kMoveToFrontPlace = 10;

    cmcGTexStore() = default;
    ~cmcGTexStore();
    cmcGTexStore(const cmcGTexStore&) = delete;
    cmcGTexStore& operator=(const cmcGTexStore&) = delete;

    bool SetFileName(const std::string& fileName);
    bool SetLineList(const std::vector<std::string>* lines);

    // Line n of the key's body without its line end; fatal when the key is missing, the source
    // cannot be opened, the read runs past the end of the source, or n is negative.
    std::string Line(const std::string& key, int n);
    // Lines 0, 1, ... joined by '\n', ending before the first line that starts with '#'.
    std::string SectionText(const std::string& key);
    bool HasKey(const std::string& key);

    // Inspection for tests and tools: keys in index order, whether the index is complete, lines cached.
    std::vector<std::string> IndexKeys() const;
    bool IndexComplete() const { return indexComplete_; }
    int CachedLines() const { return static_cast<int>(cache_.size()); }

private:
    enum class Source { None, File, List };

    struct Section {
        std::string key;
        int64_t bodyStart;
        int cursorLine;      // body lines already delivered
        int64_t cursorPos;   // position after the last delivered line
    };

    struct CacheEntry {
        int64_t start;
        int64_t bytes;      // position after the line minus position before it
        std::string text;   // including its line feed, when it had one
    };

    bool Open();
    void CompleteIndex() { indexComplete_ = true; }
    bool IndexStep();
    Section* Find(const std::string& key);
    [[noreturn]] void LookupFailure(const std::string& key);

    // Reads one line at the current position into `out` (with its '\n' when it had one) and
    // advances the position. False at the end of the source or on a read error.
    bool ReadRaw(std::string& out, bool* endedLine);
    bool ReadCached(std::string& out);
    bool ReadFileLine(std::string& out, bool* endedLine);
    bool ReadListLine(std::string& out, bool* endedLine);
    bool SeekFile();

    Source source_ = Source::None;
    std::string fileName_;
    const std::vector<std::string>* lines_ = nullptr;
    bool opened_ = false;      // an open was attempted
    bool isOpen_ = false;
    std::FILE* file_ = nullptr;
    int64_t pos_ = 0;          // logical position: byte offset, or list position (see ReadListLine)
    int64_t streamPos_ = -1;   // where the FILE stream really stands; -1 unknown

    int64_t scanPos_ = 0;
    bool scanAtLineStart_ = true;  // a continuation of an over-long line is never a head
    bool indexComplete_ = false;
    std::vector<std::unique_ptr<Section>> index_;

    std::list<CacheEntry> cache_;  // most recently used first
};

}  // namespace qx
