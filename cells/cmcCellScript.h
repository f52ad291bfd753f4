// Scripted edits: a value typed into a cell, a key pressed on it or an item picked from the chooser it
// opens, delivered to the program's cell handler as the sheet's in-place editor and choosers deliver
// them. The edit is accepted or refused by the same editors that the sheets use; used by the CLI's
// "set", by the channel plan import and by the sheets' edits of many selected rows at once.
//
//     cmcCellScript script(env);          // env.main: the image model edited
//     std::vector<std::string> cells;
//     cmcCellScript::ExpandRange("%CT_Mch.CL_Mch_RfPo[0..7]", &cells, &why);  // eight cells
//     auto result = script.ApplyEach(targets, [](cmcCellScript& s, cmcCellObj& c, std::string* why) {
//         return s.Apply(c, "@pick:2", why);
//     });                                   // result.refused: the cells left unchanged, with why
#pragma once

#include "defs/cmcCellObj.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qx {

class indMain;
struct cmcCellEnv;

class cmcCellScript {
public:
    // Edits the image model of `env` (env.main, not null) through the cells of that environment.
    explicit cmcCellScript(const cmcCellEnv& env);
#ifndef QX_CELLS_SOURCE
    // The same with the program's environment on `main`. Defined with that environment
    // (env/cmcProgramEnv.cpp).
    explicit cmcCellScript(indMain& main);
#endif
    ~cmcCellScript();
    cmcCellScript(const cmcCellScript&) = delete;
    cmcCellScript& operator=(const cmcCellScript&) = delete;

    // Applies one value: "@key:space", "@key:backspace", "@pick:N[,M...]" or text typed into the
    // cell's in-place editor; a cell that takes no typed text but opens a chooser takes the text as
    // the item to pick (PickText). False, with the reason in *why, when the cell refuses it.
    bool Apply(cmcCellObj& cell, const std::string& text, std::string* why);
    // Types text into the cell's in-place editor.
    bool Type(cmcCellObj& cell, const std::string& text, std::string* why);
    // Picks, from the chooser the cell opens on Enter, the item whose text is `text` (case and
    // surrounding spaces ignored).
    bool PickText(cmcCellObj& cell, const std::string& text, std::string* why);
    // The texts of the items of the chooser the cell opens on Enter, in its order: the items
    // PickText matches against (a text that repeats is listed once). Empty when the cell opens
    // none here (a text cell, a command, an empty channel). *current (when given): the position
    // of the item the cell holds, or -1. Nothing is changed.
    std::vector<std::string> ChooserItems(cmcCellObj& cell, int* current = nullptr);

    // One edit made on many cells: each cell takes it through its own rules, as if it were the only
    // one edited. A cell that refuses it is left as it was (every byte the attempt changed is put
    // back) and listed with its reason, by its position in `cells`; the others keep the edit.
    using Edit = std::function<bool(cmcCellScript& script, cmcCellObj& cell, std::string* why)>;
    struct Refused {
        size_t at = 0;
        std::string why;
    };
    struct EachResult {
        int accepted = 0;
        std::vector<Refused> refused;
    };
    EachResult ApplyEach(const std::vector<cmcCellObj*>& cells, const Edit& edit);

    // The most cells one range may name.
    static constexpr int kMaxRangeCells = 65536;
    // Expands a cell argument whose index is a range "[first..last]" into one argument per index,
    // in order ("%CT_Mch.CL_Mch_RfPo[0..2]" gives "...[0]", "...[1]", "...[2]"). An argument without
    // a range is passed on as it is. False with the reason for a range that is not two whole
    // numbers, runs backwards, or is not the only range of the argument.
    static bool ExpandRange(const std::string& arg, std::vector<std::string>* out, std::string* why);

private:
    class Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace qx
