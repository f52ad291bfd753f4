// The cell table: which labels have a row. Labels without one show "N *Yet*"; the list of them
// lives in tests/fixtures/labels_without_row.txt, one name a line, so that the work left is in
// plain sight. A label that loses its row fails here; a listed label that gained one is reported
// and its line can go.
#include "cells/cmcCellTable.h"
#include "cells/cmcFieldCell.h"
#include "support/cmcTestSupport.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>

using namespace qx;

namespace {

std::set<std::string> ListedWithoutRow() {
    std::istringstream in(test::ReadFile(test::SourceDir() + "/tests/fixtures/labels_without_row.txt"));
    std::set<std::string> names;
    for (std::string line; std::getline(in, line);)
        if (!line.empty() && line[0] != '#') names.insert(line);
    return names;
}

TEST(CellTable, LabelsWithoutARow) {
    const cmcCellTable& table = cmcCellTable::Instance();
    const std::set<std::string> listed = ListedWithoutRow();
    ASSERT_FALSE(listed.empty());
    int open = 0;
    std::string gained;
    for (int label = 0; label < kLabelCount; ++label) {
        const std::string name = LabelName(label);
        if (!table.Has(label)) {
            ++open;
            EXPECT_TRUE(listed.count(name)) << name << " has no row (any more) and is not listed";
        } else if (listed.count(name)) {
            gained += " " + name;
        }
    }
    std::printf("%d of %d labels have no row yet\n", open, kLabelCount);
    if (!gained.empty()) std::printf("labels that now have a row (remove them from the list):%s\n", gained.c_str());
}

// Field rows and functions share the table: one owner per label, found by either lookup.
TEST(CellTable, FieldRowsAndFunctionsShareTheTable) {
    using namespace qx::field;
    static const cmcFieldRow rows[] = {
        {CL_KDisp_HangAct_Moni, Bits(0x95A4, 7), List("GI_Sheet_Sel_Misc_OnOff")},
    };
    cmcCellTable table;
    table.Fields(rows);
    table.Set(CL_Bank_UsedTotal, [](cmcCellCall&) {});
    EXPECT_EQ(table.FindField(CL_KDisp_HangAct_Moni), &rows[0]);
    EXPECT_EQ(table.Find(CL_KDisp_HangAct_Moni), nullptr);
    EXPECT_TRUE(table.Has(CL_Bank_UsedTotal));
    EXPECT_EQ(table.RowCount(), 2);
    EXPECT_FATAL(table.Set(CL_KDisp_HangAct_Moni, [](cmcCellCall&) {}), "CL_KDisp_HangAct_Moni", kExitInternalFault);
    EXPECT_FATAL(table.Fields(rows), "CL_KDisp_HangAct_Moni", kExitInternalFault);
}

}  // namespace
