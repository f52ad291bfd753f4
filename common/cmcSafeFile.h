// Reading a whole input file with a limit, and writing an output file so that nothing is lost: clone files, channel plans, PDF files, backups.
//
// A regular file (or a path where none exists yet) is written under a temporary name in the same
// folder, flushed to the disk and only then renamed over the destination, so the destination holds
// either its old contents or all of the new ones, never a file cut off by a full disk or a killed
// process. A symbolic link is followed: the file it points to is replaced, the link stays. A
// device or pipe (/dev/stdout, /dev/full, a FIFO) is written directly, every write checked.
//
// Temporary files are named ".<name>.qx-p2210.tmp-<process>-<serial>" and are locked while their
// writer lives. One that a killed save left behind is removed by the next save into that folder:
// only files of that pattern, owned by the user, not locked, and whose writer process is gone (or
// that are older than an hour, in case the process number was reused).
//
//     std::string error;
//     if (!cmcWriteFileSafely(path, text, &error)) show(error);  // "Cannot write 'x.csv': No space left on device"
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qx {

// Writes `data` to `path` as above. False on failure, with `error` (when given) set to
// "Cannot write '<path>': <the system's reason>"; the destination is then as it was.
bool cmcWriteFileSafely(const std::string& path, std::string_view data, std::string* error = nullptr);

// Reads the whole of `path` into *text: a regular file, a pipe or a device alike, by reading until
// its end rather than trusting a size it claims. CannotRead (with the system's reason in *reason
// when given) when it cannot be opened or a read fails; TooLarge, without reading further, once it
// holds more than maxBytes. *text is set only on Ok.
enum class cmcReadResult { Ok, CannotRead, TooLarge };
cmcReadResult cmcReadWholeFile(const std::string& path, size_t maxBytes, std::string* text,
                               std::string* reason = nullptr);

// Whether `name` (a file name without folder) has the pattern of the temporary files above.
bool cmcIsSafeFileTemporary(const std::string& name);

// Removes the temporary files that unfinished safe writes left in `folder` (see above); returns
// how many were removed.
int cmcRemoveStaleTemporaries(const std::string& folder);

}  // namespace qx
