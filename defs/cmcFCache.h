// The selection list cache: display names and order of the values of a selection sheet
// ("GI_Sheet_Sel_..."), read once per (sheet, label) pair without building the sheet.
//
// In a selection sheet every value is a cell of one label (usually Flex0 or Flex1) whose index is
// the value and whose name, or else text, is the value's display name:
//     #GI_Sheet_Sel_Misc_OnOff_Cells
//     {($eWh)(%Flex0[0])}Off|{($eWh)(%Flex0[1])}On
// Tables are built on first use from the main store and kept for the rest of the run.
#pragma once

#include "defs/cmcGTex.h"

#include <memory>
#include <string>
#include <vector>

namespace qx {

// One selection table: the cells of one label in one sheet.
struct cmcSelTable {
    struct Entry {
        int line = 0;    // line of the rows section
        int column = 0;  // position of the cell in its line, from 0
        int index = 0;   // the cell's index: the value
        std::string text;
    };
    int linesScanned = 0;
    int maxCellsPerLine = 0;
    std::vector<Entry> byIndex;  // sorted by index, ascending (stable)
    std::vector<Entry> inSheetOrder;  // column by column, and within a column line by line
};

// The cache's name table: "sheet#label" -> table, with the chaining and exact hash of cmcHash.
// Registering a key twice is fatal ("Overlapped Hash2 table.").
class cmcHash2 {
public:
    explicit cmcHash2(int buckets = 1031) : slots_(buckets) {}
    void Insert(const std::string& key, cmcSelTable* table);
    cmcSelTable* Find(const std::string& key) const;

private:
    cmcHash slots_;                     // key -> position in tables_
    std::vector<cmcSelTable*> tables_;  // not owned
};

class cmcFCache {
public:
    cmcFCache() = default;
    cmcFCache(const cmcFCache&) = delete;
    cmcFCache& operator=(const cmcFCache&) = delete;

    // The display name of the value `index` in the list of `label` cells of sheet `sheetKey`;
    // "error" when the list has no such value. Builds the table on first use.
    std::string Text(const std::string& sheetKey, int label, int index);
    // The value `delta` places after (negative: before) `index` in sheet order, wrapping to the
    // first entry past the end and to the last before the start; an index not in the list steps
    // to the first entry; an empty list leaves it unchanged. False (and `*index` unchanged) when
    // the table has not been built yet: ask Text first.
    bool Step(const std::string& sheetKey, int label, int* index, int delta);

    // The table of (sheet, label), built if absent.
    const cmcSelTable& Table(const std::string& sheetKey, int label);
    int TableCount() const { return static_cast<int>(tables_.size()); }

private:
    cmcSelTable* Build(const std::string& key, const std::string& sheetKey, int label);

    cmcHash2 names_;
    std::vector<std::unique_ptr<cmcSelTable>> tables_;  // oldest first
};

// The text a lookup of a value that is not in the list gives.
inline constexpr const char* kFCacheMissingText = "error";

}  // namespace qx
