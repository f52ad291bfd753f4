// Scripted edits: a value typed into a cell, a key pressed on it or an item picked from the chooser it
// opens, delivered to the program's cell handler as the sheet's in-place editor and choosers deliver
// them. The edit is accepted or refused by the same editors that the sheets use; used by the CLI's
// "set" and by the channel plan import.
#pragma once

#include "defs/cmcCellObj.h"

#include <memory>
#include <string>

namespace qx {

class indMain;

class cmcCellScript {
public:
    explicit cmcCellScript(indMain& main);
    ~cmcCellScript();
    cmcCellScript(const cmcCellScript&) = delete;
    cmcCellScript& operator=(const cmcCellScript&) = delete;

    // Applies one value: "@key:space", "@key:backspace", "@pick:N[,M...]" or text typed into the
    // cell's in-place editor. False, with the reason in *why, when the cell refuses it.
    bool Apply(cmcCellObj& cell, const std::string& text, std::string* why);
    // Types text into the cell's in-place editor.
    bool Type(cmcCellObj& cell, const std::string& text, std::string* why);
    // Picks, from the chooser the cell opens on Enter, the item whose text is `text` (case and
    // surrounding spaces ignored).
    bool PickText(cmcCellObj& cell, const std::string& text, std::string* why);

private:
    class Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace qx
