// Where the programs find their data: the definition files, the initial clone files and the help
// file. A program run from its build folder finds them beside itself; an installed program finds
// them in <prefix>/share/qx-p2210/, found from its own location first (so an installation can be
// moved or unpacked anywhere) and then at the prefix it was built for.
#pragma once

#include <string>
#include <vector>

namespace qx {

// The folders searched, in order, each ending with '/'.
std::vector<std::string> cmcDataDirCandidates();

// The first candidate holding the main definition file; the executable's folder when none does (so
// a missing file is reported there). Ends with '/'.
std::string cmcDataDir();

// A file of the data folder: cmcDataDir() + name.
std::string cmcDataFile(const std::string& name);

}  // namespace qx
