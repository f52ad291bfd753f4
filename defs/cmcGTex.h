// The definition stores: keyed sections of the definition files (ZT5531K.OVL, ZT5531KH.OVL),
// indexed lazily and served line by line. A failed lookup is fatal (exit status 3).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qx {

// The text a failed lookup would have delivered.
inline constexpr const char* kGTexErrorText = "**** ERROR !!! ****";

class cmcGTexStore;  // shared implementation of both stores

// The main store. Reads a file, or a list of lines held in memory (whose last line must be "#End_Of_Ovl").
class cmcGTex {
public:
    cmcGTex();
    ~cmcGTex();
    cmcGTex(const cmcGTex&) = delete;
    cmcGTex& operator=(const cmcGTex&) = delete;

    bool SetFileName(const std::string& fileName);            // false if a source is already set
    bool SetLineList(const std::vector<std::string>* lines);  // not owned; false if a source is already set

    // Line n (from 0) of the section's body, without its line end. Fatal when the key is missing.
    std::string Line(const std::string& key, int n);
    std::string FirstLine(const std::string& key) { return Line(key, 0); }
    // Lines 0, 1, ... joined by '\n', ending before the first line that starts with '#'.
    std::string SectionText(const std::string& key);
    // Whether the key exists, without the fatal error (for tools that check definition files).
    bool HasKey(const std::string& key);

private:
    cmcGTexStore* store_;
};

// The help store: the same design over a file only.
class cmcHelpGTex {
public:
    cmcHelpGTex();
    ~cmcHelpGTex();
    cmcHelpGTex(const cmcHelpGTex&) = delete;
    cmcHelpGTex& operator=(const cmcHelpGTex&) = delete;

    bool SetFileName(const std::string& fileName);
    std::string Line(const std::string& key, int n);
    std::string SectionText(const std::string& key);
    bool HasKey(const std::string& key);

private:
    cmcGTexStore* store_;
};

// The program-wide stores. Created empty; the main object (or a tool, or a test) gives them their files.
// A test may install its own instances; null restores the process-wide ones.
cmcGTex& GTex();
cmcHelpGTex& HelpGTex();
void SetGTex(cmcGTex* store);
void SetHelpGTex(cmcHelpGTex* store);

// Gives the program-wide stores the definition files in `dir` (ending with '/'), default the
// data folder (common/cmcDataDir.h): "<dir>ZT5531K.OVL" and "<dir>ZT5531KH.OVL".
void OpenDefinitionFiles(const std::string& dir = "");

// The name table: fixed buckets of chained entries. Inserting a key twice is fatal.
class cmcHash {
public:
    struct Entry {
        std::string key;
        int value;
        Entry* next;
    };
    explicit cmcHash(int buckets = 0);  // 0 means 1031
    ~cmcHash();
    cmcHash(const cmcHash&) = delete;
    cmcHash& operator=(const cmcHash&) = delete;

    void Insert(const std::string& key, int value);
    const Entry* Find(const std::string& key) const;
    int BucketOf(const std::string& key) const;  // the exact bucket hash
    int BucketCount() const { return static_cast<int>(buckets_.size()); }

private:
    std::vector<Entry*> buckets_;
};

}  // namespace qx
