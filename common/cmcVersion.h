// The program's version and the date it was built, shown by --version and the About box.
#pragma once

#include <string>

namespace qx {

// "0.1"
std::string cmcVersion();
// The build date as YYYY-MM-DD.
std::string cmcBuildDate();

}  // namespace qx
