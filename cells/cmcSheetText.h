#pragma once
// Sheets built outside any window, read as text: the compare and the check listing name cells by
// sheet, row caption and column heading, as the user sees them.

#include <memory>
#include <string>

namespace qx {

class cmcCellCapsule;
class cmcSheetBuilder;
class indMain;
class cmcGTex;

// Builds the sheet "[style]key,parameter" of the store `texts` over `main`'s image as the sheet
// windows build it; nullptr when the definition file has no cells for the key.
std::unique_ptr<cmcSheetBuilder> cmcBuildSheetAsText(cmcGTex& texts, const std::string& reference, indMain& main);

// The key of a sheet reference ("[St_ChBank]CT_Mch,1" is "CT_Mch").
std::string cmcSheetKey(const std::string& reference);

// Line breaks and tabs become spaces; no spaces at the end.
std::string cmcOneLine(std::string text);

// Headings and captions are padded for the sheet's columns ("  Width", "1-  2"); as text they lose
// the padding: one line, no spaces at the ends, one between words, none after the dash of a number
// pair ("1-2").
std::string cmcCompactText(const std::string& text);

// A heading or caption as a line names it: compact, without an ending colon ("Memory Channels,
// Bank 1: " when the bank has no name).
std::string cmcSheetTitle(const std::string& heading);

// What the cell at (col, row) of a built sheet shows, on one line; "" where the sheet has no cell
// and on the placeholder row of an empty bank (its cells would name the next bank's first channel).
std::string cmcShownAt(cmcSheetBuilder& b, cmcCellCapsule& capsule, int col, int row);

}  // namespace qx
