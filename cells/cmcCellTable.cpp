#include "cells/cmcCellTable.h"

#include "cells/cmcFieldCell.h"

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
    RegisterChannelCells(table);
    RegisterChannelFieldCells(table);
    RegisterSettingsCells(table);
    RegisterSettingsFieldCells(table);
    RegisterToneCells(table);
    RegisterMskCells(table);
    RegisterSignalFieldCells(table);
    RegisterUserCharCells(table);
    return table;
}

}  // namespace

const cmcCellTable& cmcCellTable::Instance() {
    static cmcCellTable table = BuildTable();
    return table;
}

void cmcCellTable::Claim(int label) {
    if (!Valid(label))
        cmcFatal("Cell table: label out of range (" + std::to_string(label) + ")", kExitInternalFault);
    if (Has(label)) cmcFatal("Cell table: two behaviours for " + LabelName(label), kExitInternalFault);
}

void cmcCellTable::Set(int label, cmcCellBehaviourFn behaviour) {
    Claim(label);
    rows_[label].behaviour = behaviour;
}

void cmcCellTable::Fields(const cmcFieldRow* rows, int count) {
    for (int i = 0; i < count; ++i) {
        Claim(rows[i].label);
        rows_[rows[i].label].field = &rows[i];
    }
}

bool cmcCellTable::Run(cmcCellCall& call) const {
    const int label = call.Label();
    if (cmcCellBehaviourFn behaviour = Find(label)) {
        behaviour(call);
        return true;
    }
    if (const cmcFieldRow* field = FindField(label)) {
        RunFieldCell(call, *field);
        return true;
    }
    return false;
}

void cmcCellTable::SetRange(int firstLabel, int lastLabel, cmcCellBehaviourFn behaviour) {
    for (int label = firstLabel; label <= lastLabel; ++label) Set(label, behaviour);
}

int cmcCellTable::RowCount() const {
    int n = 0;
    for (const Row& row : rows_) n += row.behaviour || row.field;
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
