// The clone file writer: writes the bytes of an image, over given address ranges, as a clone file
// that the clone file reader accepts. The file is written as every output file is
// (cmcWriteFileSafely): under a temporary name beside its destination, renamed over it only when
// complete, so a failed write never leaves a half-written file.
#pragma once

#include "image/cmcEeprom.h"
#include "image/cmcQcfFile.h"

#include <string>

namespace qx {

class cmcQcfWriter {
public:
    static constexpr int kBytesPerLine = 32;

    // Header 61530000 and map revision 6 unless set otherwise.
    cmcQcfWriter() = default;

    // The header values; each of their hexadecimal digits must be 0-9 (the header is decimal digits).
    void SetHeader(int model, int extra) {
        model_ = model;
        extra_ = extra;
    }
    void SetMapRevision(int mapRevision) { mapRevision_ = mapRevision; }

    // The file text: the header line, "#MapRev=<n>", then data lines of up to 32 bytes in uppercase
    // hexadecimal covering each range of the list in order, every line ended by a line feed.
    // False (with ErrorText) when a value cannot be written.
    bool Format(const cmcEeprom& image, const cmcRange* ranges, std::string& text);
    // Writes the file at `path`, replacing any file there only once the new one is complete.
    // False on failure, with ErrorText naming the path and the system's reason.
    bool Write(const std::string& path, const cmcEeprom& image, const cmcRange* ranges);

    const std::string& ErrorText() const { return error_; }

private:
    int model_ = 0x6153;
    int extra_ = 0x0000;
    int mapRevision_ = 6;
    std::string error_;
};

}  // namespace qx
