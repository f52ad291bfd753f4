// The checks of the warning check list that look across fields: the marks of the channel cells
// (power level against the "Power levels" setting, scrambler by key against the key functions,
// tones out of the tone table, dPMR446 fixed-bank frequencies), the bank checks that carry them to
// the topic tree and to a clone write, and the list of marked cells named by sheet, row and column.
#include "cells/cmcCellCapsule.h"
#include "cells/cmcReasons.h"
#include "cells/cmcWarningCheck.h"
#include "common/cmcClock.h"
#include "defs/cmcEvMan.h"
#include "defs/cmcGTex.h"
#include "image/cmcImageMap.h"
#include "image/datCh.h"
#include "image/indMain.h"
#include "support/cmcTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

using namespace qx;

namespace {

constexpr int kPowerLevels = 0x95A2;  // bit 2: high, middle and low
constexpr int kFirstKey = 0x8800;     // eight programmable keys

class WarningCheck : public ::testing::Test {
public:  // the cases of a table set the fixture up
    void SetUp() override {
        OpenDefinitionFiles();
        test::Messages().Clear();
    }
    void TearDown() override { clock_->Advance(kDeferredCheckMs); }

    // Model `model` with channels 0-3 in bank 1 and channel 4 in bank 5, all on `hz`.
    void UseModel(int model, uint32_t hz) {
        main_.LoadStartImage(model);
        datSetBankSize(Image(), 0, 4);
        datSetBankSize(Image(), 4, 1);
        for (int n = 0; n < 5; ++n) Edit(n, [&](datCh& c) {
            c.rxFreq = c.txFreq = hz;
            c.inUse = true;
        });
    }
    uint8_t* Image() { return main_.WorkingImage().Data(); }
    void Edit(int n, const std::function<void(datCh&)>& change) {
        datCh ch(Image());
        ch.Load(datChannelKind(main_.ModelType()), n);
        change(ch);
        ch.Store();
    }
    // The mark flags and reason of a channel cell.
    cmcCellRequest Refresh(int label, int index) {
        cmcCellObj cell;
        cell.category = CT_Mch;
        cell.label = label;
        cell.index = index;
        cmcCellRequest req;
        req.cell = &cell;
        cmcCellCapsule(&main_).Execute(req, false);
        req.cell = nullptr;
        return req;
    }
    static uint8_t Marks(const cmcCellRequest& r) { return r.resultFlags & (CRF_Warning | CRF_Error); }

    cmcScopedManualTime clock_;
    cmcScopedEvMan evman_;
    indMain main_;
};

TEST_F(WarningCheck, ChannelMarksAcrossFields) {
    const uint32_t kLmr = 150000000, kPmr = 446006250, kOffChannel = 446010000;
    const struct Case {
        const char* what;
        int model;
        uint32_t hz;
        std::function<void(WarningCheck&)> setUp;
        int label, channel;
        uint8_t mark;  // of the cell, and the bank check's on the tree
        int reason;
    } cases[] = {
        {"middle power under high and low", kModelLmr, kLmr,
         [](WarningCheck& t) { t.Edit(0, [](datCh& c) { c.rfPower = 1; }); }, CL_Mch_RfPo, 0, CRF_Warning,
         MR_PowerNotOffered},
        {"middle power under high, middle and low", kModelPmr, kPmr,
         [](WarningCheck& t) {
             t.Image()[kPowerLevels] |= 0x04;
             t.Edit(0, [](datCh& c) { c.rfPower = 1; });
         },
         CL_Mch_RfPo, 0, 0, 0},
        {"very low power is a level of its own", kModelLmr, kLmr,
         [](WarningCheck& t) { t.Edit(0, [](datCh& c) { c.rfPower = 3; }); }, CL_Mch_RfPo, 0, 0, 0},
        {"scrambler by key without a scrambler key", kModelPmr, kPmr,
         [](WarningCheck& t) { t.Edit(1, [](datCh& c) { c.scrambleOn = 2; }); }, CL_Mch_Scrm_On, 1, CRF_Warning,
         MR_ScramblerNoKey},
        {"scrambler by key with the key on P3", kModelPmr, kPmr,
         [](WarningCheck& t) {
             t.Image()[kFirstKey + 7] = 'I';
             t.Edit(1, [](datCh& c) { c.scrambleOn = 2; });
         },
         CL_Mch_Scrm_On, 1, 0, 0},
        {"scrambler always on needs no key", kModelPmr, kPmr,
         [](WarningCheck& t) { t.Edit(1, [](datCh& c) { c.scrambleOn = 1; }); }, CL_Mch_Scrm_On, 1, 0, 0},
        {"CTCSS number past the table", kModelLmr, kLmr,
         [](WarningCheck& t) { t.Edit(2, [](datCh& c) { c.rxTone = {true, false, false, 60, 0}; }); },
         CL_Mch_CTone_R, 2, CRF_Error, MR_ToneOutOfTable},
        {"the user tone", kModelLmr, kLmr,
         [](WarningCheck& t) { t.Edit(2, [](datCh& c) { c.txTone = {true, false, false, 51, 0}; }); },
         CL_Mch_CTone_T, 2, 0, 0},
        {"no user tone on dPMR446", kModelDPmr446, kPmr,
         [](WarningCheck& t) { t.Edit(2, [](datCh& c) { c.rxTone = {true, false, false, 51, 0}; }); },
         CL_Mch_CTone_R, 2, CRF_Error, MR_ToneOutOfTable},
        {"a digital channel does not use its tones", kModelDPmr446, kPmr,
         [](WarningCheck& t) {
             t.Edit(2, [](datCh& c) {
                 c.rxTone = {true, false, false, 51, 0};
                 c.digSignal = 3;
             });
         },
         CL_Mch_CTone_R, 2, 0, 0},
        {"DTCS code outside the dPMR446 list", kModelDPmr446, kPmr,
         [](WarningCheck& t) { t.Edit(2, [](datCh& c) { c.rxTone = {true, true, false, 0, 0}; }); },
         CL_Mch_CTone_R, 2, CRF_Error, MR_ToneOutOfTable},
        {"any DTCS code elsewhere", kModelPmr, kPmr,
         [](WarningCheck& t) { t.Edit(2, [](datCh& c) { c.rxTone = {true, true, false, 0, 0}; }); },
         CL_Mch_CTone_R, 2, 0, 0},
        {"receive off the dPMR446 channels in bank 1", kModelDPmr446, kPmr,
         [kOffChannel](WarningCheck& t) { t.Edit(3, [&](datCh& c) { c.rxFreq = kOffChannel; }); },
         CL_Mch_FreqR, 3, CRF_Error, MR_NotFixedChannel},
        {"transmit off the dPMR446 channels in bank 1", kModelDPmr446, kPmr,
         [kOffChannel](WarningCheck& t) { t.Edit(3, [&](datCh& c) { c.txFreq = kOffChannel; }); },
         CL_Mch_FreqT, 3, CRF_Error, MR_NotFixedChannel},
        {"an inhibited transmitter", kModelDPmr446, kPmr,
         [kOffChannel](WarningCheck& t) {
             t.Edit(3, [&](datCh& c) {
                 c.txFreq = kOffChannel;
                 c.txInhibit = true;
             });
         },
         CL_Mch_FreqT, 3, 0, 0},
        {"the free bank takes any frequency", kModelDPmr446, kPmr,
         [kOffChannel](WarningCheck& t) { t.Edit(4, [&](datCh& c) { c.rxFreq = c.txFreq = kOffChannel; }); },
         CL_Mch_FreqR, 4, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        UseModel(c.model, c.hz);
        c.setUp(*this);
        const cmcCellRequest r = Refresh(c.label, c.channel);
        EXPECT_EQ(Marks(r), c.mark);
        if (c.mark) {
            EXPECT_EQ(r.markReason, MarkReasonText(c.reason));
        }
        // The bank check carries the mark to the tree, naming the channel; an error refuses a write.
        const cmcWarningFindings found = cmcRunWarningCheck(main_);
        const bool inBank1 = c.channel < 4;
        EXPECT_EQ(found.errors.size(), c.mark == CRF_Error && inBank1 ? 1u : 0u);
        EXPECT_EQ(found.warnings.size(), c.mark == CRF_Warning && inBank1 ? 1u : 0u);
        if (c.mark && inBank1) {
            const std::string& text = c.mark == CRF_Error ? found.errorReasons[0] : found.warningReasons[0];
            EXPECT_NE(text.find(ChannelReason(c.channel, MarkReasonText(c.reason))), std::string::npos) << text;
        }
    }
}

// The marked cells of a bank sheet named as the user sees them, in row order; a sheet without a
// mark and a clean image list nothing.
TEST_F(WarningCheck, MarkedCellsNamedBySheetRowAndColumn) {
    UseModel(kModelLmr, 150000000);
    const std::vector<std::string> sheets = {"GI_Sheet_KeyDisp", "[St_ChBank]GI_Sheet_Mch_Lmr,Bank 0"};
    EXPECT_TRUE(cmcFindMarkedCells(main_, sheets).empty());
    Edit(2, [](datCh& c) { c.rxTone = {true, false, false, 60, 0}; });
    Edit(1, [](datCh& c) { c.rfPower = 1; });
    const std::vector<cmcCellFinding> found = cmcFindMarkedCells(main_, sheets);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].Text(), "Memory Channels, Bank 1 / 1-2 / Power: warning: " + MarkReasonText(MR_PowerNotOffered));
    EXPECT_EQ(found[1].Text(), "Memory Channels, Bank 1 / 1-3 / Tone RX: error: " + MarkReasonText(MR_ToneOutOfTable));
}

}  // namespace
