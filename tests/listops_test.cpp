// List operations of record lists, run as the cell handler runs popup commands 75-81 on real
// images: row ranges clamped to the list, questions only where they belong, designations kept
// with their rows on paste and clear and moved with their records on carry, priority channels
// refusing delete, overflow on insert, channels never shifted into another bank.
#include "cells/cmcCellCapsule.h"
#include "cells/cmcCellTable.h"
#include "cells/cmcListOps.h"
#include "common/cmcClock.h"
#include "defs/cmcCellObj.h"
#include "defs/cmcEvMan.h"
#include "defs/cmcFCache.h"
#include "defs/cmcGTex.h"
#include "defs/cmcSheetBuilder.h"
#include "env/cmcProgramEnv.h"
#include "image/cmcImageMap.h"
#include "image/datCh.h"
#include "image/datChannelShift.h"
#include "image/indMain.h"
#include "support/cmcTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace qx;

namespace {

int g_grid = 0;

struct FixedMeasure : cmcTextMeasure {
    int TextWidth(const cmcFont&, const std::string& line) override { return 6 * static_cast<int>(line.size()); }
    int LineHeight(const cmcFont&) override { return 10; }
};

// Stands for the main window: moves channels on the bank bookkeeping events, answers the bank of
// the sheet shown, and keeps the status texts and redraws.
struct Window {
    indMain* main = nullptr;
    int bank = 0;
    std::vector<std::string> status;
    std::vector<int> codes;
    static void OnEvent(void* user, const cmcEvent& e) {
        auto* w = static_cast<Window*>(user);
        indMain& m = *w->main;
        w->codes.push_back(e.code);
        switch (e.code) {
        case EVC_StatusText: w->status.push_back(e.data.Text()); break;
        case EVC_QueryBank:
            if (e.IsQuery()) e.manager->Answer(w->bank, datBankFirst(m.WorkingImage().Data(), w->bank));
            break;
        case EVC_ChannelJoinsBank:
            datChannelJoinsBank(m.WorkingImage(), m.InitialImage(), m.ModelType(), static_cast<int>(e.first), e.second);
            break;
        case EVC_ChannelLeavesBank:
            datChannelLeavesBank(m.WorkingImage(), m.InitialImage(), m.ModelType(), static_cast<int>(e.first), e.second);
            break;
        default: break;
        }
    }
};

class ListOps : public ::testing::Test {
protected:
    void SetUp() override {
        OpenDefinitionFiles();
        test::Messages().Clear();
        ProgramClipboard().Clear();
        Model(kModelPmr);
        EvMan().Register(&Window::OnEvent, &window_);
    }
    void TearDown() override {
        EvMan().Unregister(&Window::OnEvent, &window_);
        clock_->Advance(kDeferredCheckMs);
        EvMan().Tick();
    }

    // Model type with banks 0: channels 0-6 and 1: channels 7-11; in use: 1, 2, 3, 4, 5, 8.
    void Model(int type) {
        main_.LoadStartImage(type);
        window_.main = &main_;
        datSetBankSize(Image(), 0, 7);
        datSetBankSize(Image(), 1, 5);
        for (int b = 2; b < map::kBankCount; ++b) datSetBankSize(Image(), b, 0);
        for (int n : {1, 2, 3, 4, 5, 8}) SetChannel(n, 446000000 + 12500 * static_cast<uint32_t>(n));
    }
    uint8_t* Image() { return main_.WorkingImage().Data(); }
    int Kind() const { return datChannelKind(main_.ModelType()); }
    datCh Ch(int n) {
        datCh ch(Image());
        ch.Load(Kind(), n);
        return ch;
    }
    uint32_t Rx(int n) { return Ch(n).rxFreq; }
    void SetChannel(int n, uint32_t rx) {
        datCh ch = Ch(n);
        ch.rxFreq = ch.txFreq = rx;
        ch.inUse = rx != 0;
        ch.Store();
    }
    std::vector<uint32_t> Rxs(int a, int b) {
        std::vector<uint32_t> v;
        for (int i = a; i <= b; ++i) v.push_back(Rx(i));
        return v;
    }

    // Runs popup command `command` on row `row` of `category`, with rows a..b selected when a >= 0.
    cmcCellRequest Run(int command, int row, int a = -1, int b = -1, int category = CT_Mch) {
        cell_.category = category;
        cell_.label = category == CT_Mch ? CL_Mch_FreqR : CL_Null;
        cell_.index = row;
        cmcCellRequest req;
        req.cell = &cell_;
        req.grid = &g_grid;
        req.popupCommand = command;
        if (a >= 0) {
            req.selFlags = 1;
            req.selFirst = a;
            req.selLast = b;
        }
        cmcCellCapsule(&main_).Execute(req, false);
        EvMan().Tick();  // posted status texts and redraws
        return req;
    }
    std::vector<std::string> Questions() {
        std::vector<std::string> keys;
        for (const auto& m : test::Messages().messages()) keys.push_back(m.text);
        return keys;
    }
    static std::string Text(const char* key) { return GTex().SectionText(key); }

    cmcScopedManualTime clock_;
    indMain main_;
    Window window_;
    cmcCellObj cell_;
};

TEST_F(ListOps, CopyAndPasteClampToTheBank) {
    // Copy of rows 3..9 on a bank whose last channel is 6 copies 3..6 and selects them.
    cmcCellRequest req = Run(CL_PMenu_Copy, 3, 3, 9);
    EXPECT_EQ(ProgramClipboard().First(), 3);
    EXPECT_EQ(ProgramClipboard().Count(), 4);
    EXPECT_EQ(req.selFlags & 2, 2);
    EXPECT_EQ(req.selFirst, 3);
    EXPECT_EQ(req.selLast, 6);
    EXPECT_EQ(window_.status, std::vector<std::string>{GTex().FirstLine("GI_AppMess_S_Copy")});
    EXPECT_TRUE(Questions().empty());

    // Copying on a row outside the bank does nothing.
    window_.bank = 1;
    Run(CL_PMenu_Copy, 3);
    EXPECT_EQ(ProgramClipboard().First(), 3);

    // A 5-record clipboard pasted on bank 1's second-to-last row pastes 2 records; rows 10 and 11
    // are empty, so nothing is asked.
    window_.bank = 0;
    Run(CL_PMenu_Copy, 1, 1, 5);
    window_.bank = 1;
    const uint32_t r1 = Rx(1), r2 = Rx(2);
    req = Run(CL_PMenu_Paste, 10);
    EXPECT_EQ(Rxs(10, 11), (std::vector<uint32_t>{r1, r2}));
    EXPECT_EQ(Rx(12), 0u);  // beyond the bank
    EXPECT_EQ(req.selFirst, 10);
    EXPECT_EQ(req.selLast, 11);
    EXPECT_TRUE(Questions().empty());
    EXPECT_EQ(datBankSize(Image(), 1), 5);
}

TEST_F(ListOps, PasteOverUsedRowsAsksFirst) {
    Run(CL_PMenu_Copy, 1);
    window_.bank = 1;
    const std::vector<uint32_t> before = Rxs(0, 11);
    test::Messages().QueueAnswer(MB_Cancel);
    Run(CL_PMenu_Paste, 8);
    EXPECT_EQ(Questions(), std::vector<std::string>{Text("GI_AppMess_Conv_Overwrite")});
    EXPECT_EQ(Rxs(0, 11), before);  // cancelled: unchanged

    test::Messages().Clear();
    Run(CL_PMenu_Paste, 8);
    EXPECT_EQ(Questions().size(), 1u);
    EXPECT_EQ(Rx(8), Rx(1));
}

TEST_F(ListOps, PasteAndClearKeepTheRowsDesignations) {
    // Row 2 is designated channel 1, row 4 designated channel 2.
    datCh a = Ch(2);
    a.desig1 = true;
    a.Store();
    datCh b = Ch(4);
    b.desig2 = true;
    b.Store();
    Run(CL_PMenu_Copy, 4);
    Run(CL_PMenu_Paste, 2);  // a designated record lands on a designated row
    EXPECT_EQ(Rx(2), Rx(4));
    EXPECT_TRUE(Ch(2).desig1);
    EXPECT_FALSE(Ch(2).desig2);
    EXPECT_TRUE(Ch(4).desig2);
    EXPECT_EQ(Image()[map::kDesig1], 2);
    EXPECT_EQ(Image()[map::kDesig2], 4);

    // Clear always asks, even for an empty row, and keeps the designation.
    Run(CL_PMenu_Clear, 0);
    EXPECT_EQ(Questions().size(), 2u);  // the overwrite question above, then this one
    EXPECT_EQ(Questions().back(), Text("GI_AppMess_Conv_Clear"));
    test::Messages().QueueAnswer(MB_Cancel);
    Run(CL_PMenu_Clear, 1, 1, 2);
    EXPECT_NE(Rx(2), 0u);
    Run(CL_PMenu_Clear, 1, 1, 2);
    EXPECT_EQ(Rxs(1, 3), (std::vector<uint32_t>{0, 0, Rx(3)}));
    EXPECT_TRUE(Ch(2).desig1);
    EXPECT_EQ(window_.status.back(), GTex().FirstLine("GI_AppMess_S_Clear"));
}

TEST_F(ListOps, CarryMovesRecordsWithTheirDesignations) {
    datCh d = Ch(3);
    d.desig1 = true;  // the neighbour row 3 carries designation 1
    d.Store();
    const std::vector<uint32_t> before = Rxs(0, 6);

    // Carry down of the bank's last row, and carry up of its first, do nothing.
    Run(CL_PMenu_CarryDown, 6);
    Run(CL_PMenu_CarryUp, 0);
    EXPECT_EQ(Rxs(0, 6), before);

    // Carry up of rows 4..6 swaps row 3 to row 6, selects 3..5, the cursor on row 3.
    cmcCellRequest req = Run(CL_PMenu_CarryUp, 5, 4, 6);
    EXPECT_EQ(Rxs(3, 6), (std::vector<uint32_t>{before[4], before[5], before[6], before[3]}));
    EXPECT_EQ(req.selFirst, 3);
    EXPECT_EQ(req.selLast, 5);
    EXPECT_EQ(req.redirect, 1);
    EXPECT_EQ(req.index, 3);
    EXPECT_TRUE(Ch(6).desig1);  // the designation went with its record
    EXPECT_FALSE(Ch(3).desig1);

    // Carry down ends with the cursor on the moved block's last row.
    req = Run(CL_PMenu_CarryDown, 1, 1, 2);
    EXPECT_EQ(req.index, 3);
    EXPECT_EQ(Rxs(1, 3), (std::vector<uint32_t>{before[4], before[1], before[2]}));
}

TEST_F(ListOps, DeleteRefusesPriorityChannelsExceptOnDPmr446) {
    const struct {
        int model;
        bool deleted;
    } cases[] = {{kModelLmr, false}, {kModelPmr, false}, {kModelKorvPmr, false}, {kModelDPmr446, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.model);
        Model(c.model);
        test::Messages().Clear();
        window_.status.clear();
        datCh p = Ch(3);
        p.desig2 = true;
        p.Store();
        const uint32_t r5 = Rx(5), r8 = Rx(8);
        cmcCellRequest req = Run(CL_PMenu_Delete, 2, 2, 3);
        ASSERT_GE(Questions().size(), 1u);
        EXPECT_EQ(Questions()[0], Text("GI_AppMess_Conv_Delete"));
        EXPECT_EQ(req.index, 2);
        EXPECT_EQ(req.redirect, 1);
        if (c.deleted) {
            EXPECT_EQ(Questions().size(), 1u);
            EXPECT_EQ(datBankSize(Image(), 0), 5);
            EXPECT_EQ(Rx(3), r5);
            EXPECT_EQ(Rx(6), r8);  // bank 1 moved up with its channels
            EXPECT_EQ(window_.status, std::vector<std::string>{GTex().FirstLine("GI_AppMess_S_Delete")});
        } else {
            EXPECT_EQ(Questions().back(), Text("GI_AppMess_ChErr_DelPrio"));
            EXPECT_EQ(datBankSize(Image(), 0), 7);
            EXPECT_EQ(Rx(5), r5);
            EXPECT_TRUE(window_.status.empty());
        }
    }
}

TEST_F(ListOps, DeleteStaysInsideTheBankAndCancelKeepsAll) {
    const std::vector<uint32_t> before = Rxs(0, 11);
    test::Messages().QueueAnswer(MB_Cancel);
    Run(CL_PMenu_Delete, 5, 5, 9);
    EXPECT_EQ(Rxs(0, 11), before);

    // Rows past the bank's last are not taken from the next bank.
    Run(CL_PMenu_Delete, 5, 5, 9);
    EXPECT_EQ(datBankSize(Image(), 0), 5);
    EXPECT_EQ(datBankSize(Image(), 1), 5);
    EXPECT_EQ(Rx(6), before[8]);
    EXPECT_FALSE(cmcBulkEditActive());
}

TEST_F(ListOps, InsertJoinsTheBankUntilTheMemoryIsFull) {
    // Into an empty bank: bank 2 starts at 12.
    window_.bank = 2;
    cmcCellRequest req = Run(CL_PMenu_Insert, 12, 12, 13);
    EXPECT_EQ(datBankSize(Image(), 2), 2);
    EXPECT_EQ(req.selFirst, 12);
    EXPECT_EQ(req.selLast, 13);
    EXPECT_EQ(window_.status.back(), GTex().FirstLine("GI_AppMess_S_Insert"));

    // In the middle of bank 0, the channels after the position move down with the banks.
    window_.bank = 0;
    const uint32_t r3 = Rx(3), r8 = Rx(8);
    Run(CL_PMenu_Insert, 3);
    EXPECT_EQ(Rx(3), 0u);
    EXPECT_EQ(Rx(4), r3);
    EXPECT_EQ(Rx(9), r8);
    EXPECT_EQ(datBankSize(Image(), 0), 8);

    // With 63 channels one more row goes in; the second reports overflow, as the bank's last row
    // is in use (no row within the bank to give).
    SetChannel(datBankLast(Image(), 0), 446900000);
    datSetBankSize(Image(), 3, 63 - datChannelTotal(Image()));
    test::Messages().Clear();
    Run(CL_PMenu_Insert, 0, 0, 1);
    EXPECT_EQ(datChannelTotal(Image()), 64);
    EXPECT_EQ(Questions(), std::vector<std::string>{Text("GI_AppMess_ChErr_Overflow")});
}

// A runner that knows the bank it shows (a bank sheet) puts it into the environment: the channels
// go there without asking the windows, whatever bank another window would answer.
TEST_F(ListOps, TheEnvironmentsShownBankStandsWithoutAQuery) {
    window_.bank = 0;
    cmcCellEnv env = cmcProgramCellEnv(&main_);
    env.shownBank = 2;
    cell_.category = CT_Mch;
    cell_.label = CL_Mch_FreqR;
    cell_.index = 12;
    cmcCellRequest req;
    req.cell = &cell_;
    req.grid = &g_grid;
    req.popupCommand = CL_PMenu_Insert;
    cmcCellCapsule(env).Execute(req, false);
    EvMan().Tick();
    EXPECT_EQ(datBankSize(Image(), 2), 1);
    EXPECT_EQ(datBankSize(Image(), 0), 7);
    EXPECT_EQ(std::count(window_.codes.begin(), window_.codes.end(), EVC_QueryBank), 0);
}

// The one bank of 64 channels keeps its rows: insert shifts the channels from the position down
// within the bank while its last row is free, delete brings blank rows in at its end.
TEST_F(ListOps, OneBankLayoutKeepsItsSixtyFourRows) {
    for (int b = 0; b < map::kBankCount; ++b) datSetBankSize(Image(), b, b == 0 ? 64 : 0);
    for (int n = 0; n < 9; ++n) SetChannel(n, 446000000 + 12500 * static_cast<uint32_t>(n));
    ASSERT_TRUE(OneBankLayout(Image()));
    const std::vector<uint32_t> before = Rxs(0, 63);

    cmcCellRequest req = Run(CL_PMenu_Insert, 2, 2, 3);
    EXPECT_TRUE(Questions().empty());
    EXPECT_EQ(datBankSize(Image(), 0), 64);
    EXPECT_EQ(Rxs(0, 5), (std::vector<uint32_t>{before[0], before[1], 0, 0, before[2], before[3]}));
    EXPECT_EQ(Rx(10), before[8]);
    EXPECT_EQ(datBanksInUse(Image()), 9);
    EXPECT_EQ(req.index, 2);  // the cursor stays on the position
    EXPECT_EQ(req.selFirst, 2);
    EXPECT_EQ(req.selLast, 3);

    Run(CL_PMenu_Delete, 2, 2, 3);
    EXPECT_TRUE(OneBankLayout(Image()));
    EXPECT_EQ(Rxs(0, 63), before);

    Run(CL_PMenu_Delete, 0);
    EXPECT_TRUE(OneBankLayout(Image()));
    EXPECT_EQ(Rx(0), before[1]);
    EXPECT_EQ(Rx(63), 0u);

    // With the last row in use there is no room left: overflow, nothing moves.
    SetChannel(63, 446900000);
    const std::vector<uint32_t> full = Rxs(0, 63);
    test::Messages().Clear();
    Run(CL_PMenu_Insert, 0);
    EXPECT_EQ(Questions(), std::vector<std::string>{Text("GI_AppMess_ChErr_Overflow")});
    EXPECT_EQ(Rxs(0, 63), full);
}

// dPMR446: the Bank Operation sheet lists the five banks the tree shows, the fifth named as the
// free bank; the one bank of 64 channels leaves it no room, free bank sizes let a channel join it,
// and that channel takes a frequency no fixed channel has.
TEST_F(ListOps, TheDPmr446FreeBankIsListedAndTakesAChannelAfterTheLayout) {
    auto bankRows = [this](int model) {
        cmcSheetContext ctx;
        ctx.modelType = model;
        ctx.image = &main_.WorkingImage();
        cmcSheetBuilder sheet(GTex(), "GI_Sheet_Mch_BankOp", ctx);
        FixedMeasure measure;
        sheet.Build(measure);
        std::vector<std::pair<int, std::string>> rows;  // bank of the Channels cell, row caption
        for (int r = 0; r < sheet.RowCount(); ++r)
            for (int c = 0; c < sheet.ColCount(); ++c)
                if (sheet.Cell(c, r).label == CL_Mch_Bank) rows.emplace_back(sheet.Cell(c, r).index, sheet.Cell(0, r).Text());
        return rows;
    };
    using Rows = std::vector<std::pair<int, std::string>>;
    EXPECT_EQ(bankRows(kModelPmr), (Rows{{0, "1"}, {1, "2"}, {2, "3"}, {3, "4"}, {4, "5"}}));
    main_.LoadStartImage(kModelDPmr446);
    EXPECT_EQ(bankRows(kModelDPmr446), (Rows{{0, "1"}, {1, "2"}, {2, "3"}, {3, "4"}, {4, "5 (free)"}}));

    auto run = [this](int label, int index, int resultKind, int item, const std::string& input = "") {
        cmcCellObj cell = test::CellOf(label == CL_Bank_SelBankFree || label == CL_Mch_Bank ? CT_Null : CT_Mch, label, index);
        cmcCellObj picked = test::CellOf(CT_Null, Flex0, item);
        cmcCellRequest opener;
        opener.cell = &picked;
        cmcCellRequest req;
        req.cell = &cell;
        req.grid = &g_grid;
        req.resultKind = static_cast<uint8_t>(resultKind);
        if (resultKind == CRK_Chooser) req.parent = &opener;
        req.input = input;
        cmcCellCapsule(&main_).Execute(req, true);
        return req.display;
    };
    // The blank image holds one bank of 64 channels: the free bank has no room.
    ASSERT_EQ(datBankSize(Image(), 0), 64);
    window_.bank = map::kFreeBank;
    test::Messages().Clear();
    Run(CL_PMenu_Insert, 64);
    EXPECT_EQ(Questions(), std::vector<std::string>{Text("GI_AppMess_ChErr_Overflow")});
    EXPECT_EQ(datBankSize(Image(), map::kFreeBank), 0);

    // Free bank sizes (4 and 4 channels): a channel joins the free bank at its first position, 8.
    run(CL_Bank_SelBankFree, 0, CRK_Chooser, 1);
    ASSERT_EQ(datChannelTotal(Image()), 8);
    test::Messages().Clear();
    Run(CL_PMenu_Insert, 8);
    EXPECT_TRUE(Questions().empty());
    EXPECT_EQ(datBankOfChannel(Image(), 8), map::kFreeBank);
    EXPECT_EQ(run(CL_Mch_Bank, map::kFreeBank, CRK_Plain, 0), "1");

    // A free frequency: taken in the free bank, refused on a fixed channel of bank 1.
    EXPECT_EQ(run(CL_Mch_FreqR, 8, CRK_Input, 0, "446.5"), "446.500000");
    EXPECT_EQ(Rx(8), 446500000u);
    run(CL_Mch_FreqR, 0, CRK_Input, 0, "446.5");
    EXPECT_EQ(Rx(0), 0u);
}

TEST_F(ListOps, OtherListsCopyPasteAndCarry) {
    // DTMF codes: named records without banks.
    datCh r(Image());
    for (int i = 0; i < 3; ++i) {
        r.Load(KIND_Dtmf, i);
        r.text[0] = static_cast<uint8_t>('A' + i);
        r.Store();
    }
    auto name = [&](int i) {
        r.Load(KIND_Dtmf, i);
        return static_cast<char>(r.text[0]);
    };
    Run(CL_PMenu_Copy, 0, 0, 1, CT_DTMF);
    // Records of other lists count as in use: pasting over them asks. 2 records, clamped to row 7,
    // the list's last.
    Run(CL_PMenu_Paste, 6, -1, -1, CT_DTMF);
    EXPECT_EQ(Questions(), std::vector<std::string>{Text("GI_AppMess_Conv_Overwrite")});
    EXPECT_EQ(name(6), 'A');
    EXPECT_EQ(name(7), 'B');
    Run(CL_PMenu_CarryDown, 0, -1, -1, CT_DTMF);
    EXPECT_EQ(name(0), 'B');
    EXPECT_EQ(name(1), 'A');
    // Clear, Delete and Insert belong to channel-like lists.
    const cmcEeprom before(main_.WorkingImage());
    for (int cmd : {CL_PMenu_Clear, CL_PMenu_Delete, CL_PMenu_Insert}) Run(cmd, 2, -1, -1, CT_DTMF);
    EXPECT_FALSE(main_.WorkingImage().Differs(before));
    EXPECT_EQ(Questions().size(), 1u);
}

TEST_F(ListOps, ClipboardKeepsItsKindAcrossModelChanges) {
    Run(CL_PMenu_Copy, 1);
    Model(kModelLmr);
    EXPECT_TRUE(ProgramClipboard().Has(KIND_ChPmr));
    // The Paste entry of an LMR channel row is disabled; a paste does nothing.
    cmcCellObj row;
    row.category = CT_Mch;
    row.label = CL_Mch_FreqR;
    row.index = 0;
    cmcCellRequest owner;
    owner.cell = &row;
    cmcCellObj entry;
    entry.category = CT_PopupMenu;
    entry.label = CL_PMenu_Paste;
    cmcCellRequest probe;
    probe.cell = &entry;
    probe.parent = &owner;
    cmcCellCapsule(&main_).Execute(probe, false);
    EXPECT_TRUE(entry.behaviour & CS_Disabled);
    const uint32_t r0 = Rx(0);
    Run(CL_PMenu_Paste, 0);
    EXPECT_EQ(Rx(0), r0);
}

}  // namespace
