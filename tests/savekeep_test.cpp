// Nothing an edit accepts is lost by saving: on every model type's initial file, the space key on
// every settings and signalling cell is either refused or shows the same value after the file is
// saved and opened again. A cell whose field the model type's save does not store (a block packed
// only for another model type) or that normalisation puts back refuses the edit.
#include "cells/cmcCellCapsule.h"
#include "cells/cmcCellScript.h"
#include "common/cmcClock.h"
#include "defs/cmcCellObj.h"
#include "defs/cmcEvMan.h"
#include "defs/cmcGTex.h"
#include "image/cmcImageMap.h"
#include "image/cmcPackedMap.h"
#include "image/indMain.h"
#include "support/cmcTestSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

using namespace qx;

namespace {

std::vector<std::string> SweepCells() {
    std::vector<std::string> cells;
    std::ifstream in(test::SourceDir() + "/tests/fixtures/settings_cells.txt");
    std::string line;
    while (std::getline(in, line))
        if (!line.empty() && line[0] != '#') cells.push_back(line);
    return cells;
}

cmcCellObj Parse(const std::string& identity) {
    cmcCellObj cell;
    cmcCellCounters counters;
    cell.category = CT_Null;
    ParseCell("{(" + identity + ")}", &cell, &counters, nullptr);
    return cell;
}

std::string Shown(indMain& main, const cmcCellObj& cell) { return cmcCellCapsule(&main).Shown(cell); }

const char* const kInitialFiles[kModelTypeCount] = {"ZT5531K_LMR.QCF", "ZT5531K_PMR.QCF", "ZT5531K_KPMR.QCF",
                                                    "ZT5531K_D446.QCF"};

class SaveKeeps : public ::testing::Test {
protected:
    void SetUp() override { OpenDefinitionFiles(); }
    void TearDown() override { clock_->Advance(kDeferredCheckMs); }
    cmcScopedManualTime clock_;
    cmcScopedEvMan evman_;
};

TEST_F(SaveKeeps, SpaceOnEverySettingsCellOfEveryModelTypeIsKeptOrRefused) {
    const std::vector<std::string> cells = SweepCells();
    ASSERT_GT(cells.size(), 200u);
    const std::string saved = test::TempDir() + "/sweep.qcf";
    std::vector<std::string> lost;
    int accepted = 0;
    for (int model = 0; model < kModelTypeCount; ++model) {
        indMain main;
        main.LoadStartImage(kModelDPmr446);
        ASSERT_EQ(main.OpenCloneFile(test::BinDir() + "/" + kInitialFiles[model]), 0);
        ASSERT_EQ(main.ModelType(), model);
        const cmcEeprom start(main.WorkingImage());
        cmcCellScript script(main);
        for (const std::string& identity : cells) {
            main.WorkingImage().Assign(start);
            cmcCellObj cell = Parse(identity);
            std::string why;
            if (!script.Apply(cell, "@key:space", &why)) continue;
            ++accepted;
            const std::string before = Shown(main, cell);
            ASSERT_TRUE(main.SaveCloneFile(saved));
            indMain reopened;
            reopened.LoadStartImage(model);
            ASSERT_EQ(reopened.OpenCloneFile(saved), 0);
            const std::string after = Shown(reopened, cell);
            if (before != after)
                lost.push_back(std::string(kInitialFiles[model]) + " " + identity + ": " + before + " -> " + after);
        }
    }
    EXPECT_GT(accepted, 400);  // the sweep edits something on every model type
    std::string list;
    for (const auto& l : lost) list += l + "\n";
    EXPECT_TRUE(lost.empty()) << lost.size() << " edits lost by saving:\n" << list;
}

// The blocks packed for one model type only: their fields are kept for it and for no other.
TEST(SaveKeepsMap, FieldsOfModelBlocksAreKeptOnlyForTheirModelType) {
    struct Case {
        int address;
        uint8_t keptFor;  // bit per model type
    } cases[] = {
        {0x9C0D, 0x04},   // scroll timer, block 24: digital PMR
        {0x9BF2, 0x04},   // man-down timers, block 25
        {0xA375, 0x08},   // PTT side tone, block 37: dPMR446
        {0xA3F9, 0x08},   // set mode titles, block 38
        {0x95BD, 0x0F},   // common settings, block 6: every type
        {0x0131, 0x0F},   // before the packed area
        {0x0200, 0x00},   // inside the packed area: rewritten by packing
        {35300, 0x00},    // between the work-area tables
    };
    for (const Case& c : cases)
        for (int model = 0; model < kModelTypeCount; ++model)
            EXPECT_EQ(cmcPackedMap::KeptFor(c.address, model), ((c.keptFor >> model) & 1) != 0)
                << "address " << c.address << " model " << model;
    // Normalisation puts back the hang-up action flags on every type, the RS-232C bits except on
    // the digital PMR type.
    for (int model = 0; model < kModelTypeCount; ++model) EXPECT_EQ(cmcPackedMap::NormalisedBits(0x95A4, model), 0xF8);
    EXPECT_EQ(cmcPackedMap::NormalisedBits(0x959D, kModelPmr), 0x3F);
    EXPECT_EQ(cmcPackedMap::NormalisedBits(0x959D, kModelKorvPmr), 0x00);
}

}  // namespace
