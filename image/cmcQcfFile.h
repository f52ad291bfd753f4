// The clone file reader: loads a line-oriented hexadecimal clone file into an image, checks it line
// by line and as a whole, and reports the first fault with a message from the definition store.
// A refused file leaves the target image exactly as it was.
#pragma once

#include "image/cmcEeprom.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qx {

// An inclusive address range. A range list is an array of ranges ended by the first pair whose
// last address is below its first, e.g. {{0, 0x7D7F}, {1, 0}}.
struct cmcRange {
    int first;
    int last;
};

// Result codes of a load and of the coverage check. 0 is success.
enum cmcQcfError : int {
    QCF_Ok = 0,
    QCF_FileOpen = 1,    // the file cannot be opened for reading
    QCF_FileAccess = 2,  // reading the file failed part-way
    QCF_Model = 3,       // the header's model value is refused
    QCF_Extra = 4,       // the header's extra value is refused
    QCF_MapRev = 5,      // the map revision in force at the first data line is refused
    QCF_Format = 6,      // malformed header or data line
    QCF_Coverage = 7,    // a required byte is missing
    QCF_Data = 8,        // a byte outside the image or the required ranges; content refused
    QCF_Newer = 9,       // the image holds data newer than the program accepts
    QCF_TooLarge = 10,   // the file is larger than any clone file can be; it is not read
};

// The largest clone file read. A clone file holds 0x7D80 bytes in data lines of 1 to 255 bytes
// plus a header and comments: some 72 KB in the lines of 32 bytes the writer makes, some 320 KB
// in lines of one byte each; the limit leaves room for long comments.
inline constexpr long kMaxCloneFileBytes = 1024 * 1024;

class cmcQcfFile {
public:
    // Called with the map revision in force at the first data line (-1 when none was read).
    using MapRevisionCheck = std::function<bool(int mapRevision)>;
    // Called with the header's model and extra values; on refusal returns false and writes the code.
    using HeaderCheck = std::function<bool(int model, int extra, int& errorCode)>;

    cmcQcfFile() = default;
    ~cmcQcfFile() = default;
    cmcQcfFile(const cmcQcfFile&) = delete;
    cmcQcfFile& operator=(const cmcQcfFile&) = delete;

    // Stores the target image (not owned) and sizes both bitmaps for it; the whole image is expected.
    void AttachImage(cmcEeprom& image);
    void SetExpectedModel(int value) { expectedModel_ = value; }
    void SetExpectedExtra(int value) { expectedExtra_ = value; }
    // Whether the map revision check runs at the first data line (on by default).
    void SetCheckMapRevision(bool on) { checkMapRevision_ = on; }
    void SetMapRevisionCheck(MapRevisionCheck check) { mapRevisionCheck_ = std::move(check); }
    void SetHeaderCheck(HeaderCheck check) { headerCheck_ = std::move(check); }

    // Loads the file into the target image. With a range list the loaded bytes must cover exactly
    // those ranges. Returns 0 or an error code 1-10; a refusal restores the target image and shows
    // its message (ShowError).
    int Load(const std::string& path, const cmcRange* ranges = nullptr);
    // Compares the bytes stored by the last load with the range list: 0, 7 (a byte missing) or
    // 8 (a byte outside the ranges). Shows nothing.
    int CheckCoverage(const cmcRange* ranges);

    // The value of the last "#MapRev=" line read by the last load; -1 when none was read.
    int MapRevision() const { return mapRevision_; }
    // Bit i set when the last load stored image byte i.
    bool WasLoaded(int address) const;

    // The message key of a code 1-10 ("GI_Mess_FileErr_..."); empty for any other code.
    static const char* ErrorKey(int code);
    // The composed message: "GI_Mess_FileErr_Headline", a blank line, the code's text.
    // Empty for a code outside 1-10.
    static std::string ErrorText(int code);
    // Shows the composed message (warning icon, OK, captioned "GI_Sys_AppTitle");
    // a code outside 1-10 shows nothing.
    static void ShowError(int code);

private:
    int LoadFile(const std::string& path, const cmcRange* ranges);
    int ParseDataLine(const char* line, int length);
    static void MarkBits(std::vector<uint8_t>& bitmap, int first, int count);

    bool checkMapRevision_ = true;
    cmcEeprom* image_ = nullptr;
    int expectedModel_ = 0;
    int expectedExtra_ = 0;
    int mapRevision_ = -1;
    std::vector<uint8_t> expected_;  // one bit per image byte: the bytes a complete file contains
    std::vector<uint8_t> loaded_;    // one bit per image byte: the bytes the current load stored
    MapRevisionCheck mapRevisionCheck_;
    HeaderCheck headerCheck_;
};

}  // namespace qx
