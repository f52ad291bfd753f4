#include "cells/cmcCellTable.h"

#include "common/cmcMessage.h"

#include <string>

namespace qx {

namespace {

cmcCellTable BuildTable() {
    cmcCellTable table;
    // One line per group of labels. The cell tables of later groups add theirs here.
    RegisterQuietCells(table);
    RegisterCommandCells(table);
    RegisterProbeCells(table);
    RegisterCloneInfoCells(table);
    RegisterBankCells(table);
    RegisterReceiveFrequencyCell(table);
    RegisterSettingsCells(table);
    RegisterSettingsFieldCells(table);
    return table;
}

}  // namespace

const cmcCellTable& cmcCellTable::Instance() {
    static cmcCellTable table = BuildTable();
    return table;
}

void cmcCellTable::Set(int label, cmcCellBehaviourFn behaviour) {
    if (label < 0 || label >= kLabelCount)
        cmcFatal("Cell table: label out of range (" + std::to_string(label) + ")", kExitInternalFault);
    if (rows_[label])
        cmcFatal("Cell table: two behaviours for " + LabelName(label), kExitInternalFault);
    rows_[label] = behaviour;
}

void cmcCellTable::SetRange(int firstLabel, int lastLabel, cmcCellBehaviourFn behaviour) {
    for (int label = firstLabel; label <= lastLabel; ++label) Set(label, behaviour);
}

int cmcCellTable::RowCount() const {
    int n = 0;
    for (auto* row : rows_) n += row != nullptr;
    return n;
}

// Labels that show nothing and accept nothing: the null label, the transmit colour code (edited
// together with the receive one) and the factory adjustment values of the maker's tools.
void RegisterQuietCells(cmcCellTable& table) {
    auto quiet = [](cmcCellCall&) {};
    table.Set(CL_Null, quiet);
    table.Set(CL_Mch_Dig_CC_T, quiet);
    table.SetRange(CL_Maker_SqlDelay_Op, CL_Maker_mRSSISL, quiet);  // labels 571-708
    static_assert(CL_Maker_SqlDelay_Op == 571, "the maker group starts at 571");
}

}  // namespace qx
