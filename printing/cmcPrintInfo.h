// What a printout says about the data printed: the page footer ("Page 2 of 5" and "radio.qcf, LMR,
// printed 2026-03-04 14:05") and the PDF document's title. The texts come from the
// "GI_Sys_Printer_Footer" lines of the definition file:
//   0 the page ("Page %d of %d"), 1 the footer (origin, model type, print date),
//   2 data read from a radio (serial number, date read), 3 data without file or radio,
//   4 the PDF title (program, origin, model type), 5 a radio whose serial number is unknown.
#pragma once

#include <cstdint>
#include <string>

namespace qx {

class indMain;

struct cmcPrintInfo {
    std::string origin;   // the file's name, or the radio read and when
    std::string model;    // the model type's name
    std::string printed;  // the print date
};

// The data of `main` printed at `when` (seconds since 1970, cmcWallSeconds): the clone file's name
// without its folder; else, after a clone read, the radio's serial number and the date read; else
// the untitled text.
cmcPrintInfo cmcPrintInfoOf(const indMain& main, int64_t when);
// A date and time as printed: "2026-03-04 14:05", local time.
std::string cmcPrintDate(int64_t when);
std::string cmcPageText(int page, int pages);  // page counted from 1
std::string cmcFooterText(const cmcPrintInfo& info);
std::string cmcPdfTitle(const cmcPrintInfo& info);

}  // namespace qx
