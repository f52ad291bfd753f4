#include "defs/cmcFCache.h"

#include "common/cmcMessage.h"
#include "defs/cmcCellObj.h"

#include <algorithm>

namespace qx {

void cmcHash2::Insert(const std::string& key, cmcSelTable* table) {
    if (slots_.Find(key)) cmcFatal("Overlapped Hash2 table.", kExitDefinitionFault);
    slots_.Insert(key, static_cast<int>(tables_.size()));
    tables_.push_back(table);
}

cmcSelTable* cmcHash2::Find(const std::string& key) const {
    const cmcHash::Entry* e = slots_.Find(key);
    return e ? tables_[e->value] : nullptr;
}

namespace {

std::string TableKey(const std::string& sheetKey, int label) { return sheetKey + "#" + std::to_string(label); }

}  // namespace

cmcSelTable* cmcFCache::Build(const std::string& key, const std::string& sheetKey, int label) {
    tables_.push_back(std::make_unique<cmcSelTable>());
    cmcSelTable* table = tables_.back().get();
    names_.Insert(key, table);

    const std::string cellsKey = sheetKey + "_Cells";
    cmcGTex& store = GTex();

    // Two passes over the rows: the first counts the cells of the label, the second records them.
    // Both start from zeroed counters and a fresh cell, so that the values agree with the sheet
    // the list is picked from, which numbers its cells in one pass from zeroed counters.
    int count = 0;
    for (int pass = 0; pass < 2; ++pass) {
        cmcCellCounters counters;
        cmcCellObj cell;
        int line = 0;
        for (;; ++line) {
            std::string row = store.Line(cellsKey, line);
            if (!row.empty() && row[0] == '#') break;
            std::string_view rest = row;
            int column = 0;
            while (!rest.empty()) {
                rest = ParseCell(rest, &cell, &counters, nullptr);
                if (cell.label == label) {
                    if (pass == 0) {
                        ++count;
                    } else {
                        table->byIndex.push_back({line, column, cell.index, cell.name ? *cell.name : cell.Text()});
                    }
                }
                ++column;
            }
            if (pass == 1) table->maxCellsPerLine = std::max(table->maxCellsPerLine, column);
        }
        table->linesScanned = line;
        if (pass == 0) table->byIndex.reserve(count);
    }

    std::stable_sort(table->byIndex.begin(), table->byIndex.end(),
                     [](const auto& a, const auto& b) { return a.index < b.index; });
    table->inSheetOrder = table->byIndex;
    const long long lines = table->linesScanned;
    std::stable_sort(table->inSheetOrder.begin(), table->inSheetOrder.end(), [lines](const auto& a, const auto& b) {
        return a.line + lines * a.column < b.line + lines * b.column;
    });
    return table;
}

const cmcSelTable& cmcFCache::Table(const std::string& sheetKey, int label) {
    const std::string key = TableKey(sheetKey, label);
    if (cmcSelTable* t = names_.Find(key)) return *t;
    return *Build(key, sheetKey, label);
}

std::string cmcFCache::Text(const std::string& sheetKey, int label, int index) {
    const cmcSelTable& t = Table(sheetKey, label);
    auto it = std::lower_bound(t.byIndex.begin(), t.byIndex.end(), index,
                               [](const cmcSelTable::Entry& e, int v) { return e.index < v; });
    if (it == t.byIndex.end() || it->index != index) return kFCacheMissingText;
    return it->text;
}

bool cmcFCache::Step(const std::string& sheetKey, int label, int* index, int delta) {
    const cmcSelTable* t = names_.Find(TableKey(sheetKey, label));
    if (!t) return false;
    const int n = static_cast<int>(t->inSheetOrder.size());
    if (n == 0) return true;
    long long p = n + 1;  // an index not in the list steps to the first entry
    for (int i = 0; i < n; ++i)
        if (t->inSheetOrder[i].index == *index) {
            p = i;
            break;
        }
    long long q = p + delta;
    if (q >= n)
        q = 0;
    else if (q < 0)
        q = n - 1;
    *index = t->inSheetOrder[q].index;
    return true;
}

}  // namespace qx
