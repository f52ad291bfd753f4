// What the program says about itself: the command line (help, version, a clone file to open) and
// the About box text.
#pragma once

#include <optional>
#include <string>

namespace qx {

// The desktop entry's name without ".desktop" (the window system links windows to it).
inline constexpr const char* kDesktopId = "org.vexa.qxp2210";

// The text of "qx-p2210 --help".
std::string cuiUsageText();

// Handles the options that need no window system: --help/-h (usage on stdout) and --version/-v
// ("qx-p2210 VERSION"). Returns the exit status when one of them was given, else nothing. Runs
// before the GUI application object exists.
std::optional<int> cuiInfoOptions(int argc, char** argv);

// The arguments left after the GUI application object took its own options: at most one FILE.
// An unknown option or a second file is reported on stderr and gives status 64 (`file` untouched).
int cuiFileArgument(int argc, char** argv, std::string* file);

// The About box text: the about text of the definition file, then the version, the build date and
// the data folder in use. The rich text version shows the first line as a bold title.
std::string cuiAboutText();
std::string cuiAboutRichText();

}  // namespace qx
