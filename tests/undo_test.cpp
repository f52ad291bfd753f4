// Undo and redo: the history of image differences on its own, and the main object's history over
// edits made through the cell handler and over changes made directly to the image (list
// operations and bank layout changes rewrite many records at once).
#include "cells/cmcCellCapsule.h"
#include "defs/cmcCellObj.h"
#include "defs/cmcEvMan.h"
#include "defs/cmcGTex.h"
#include "image/cmcUndoHistory.h"
#include "image/datCh.h"
#include "image/indMain.h"
#include "support/cmcTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace qx;

namespace {

cmcEeprom Image(std::initializer_list<uint8_t> bytes) {
    cmcEeprom img;
    img.Resize(static_cast<int>(bytes.size()));
    int a = 0;
    for (uint8_t b : bytes) img.SetByte(a++, b);
    return img;
}

TEST(UndoHistory, StepsRestoreExactBytesAndTrackTheSavedPosition) {
    cmcUndoHistory h;
    cmcEeprom img = Image({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    h.Reset(img, true);
    std::vector<cmcEeprom> states{img};
    EXPECT_FALSE(h.Record(img, "nothing")) << "no change, no step";

    // Changes far apart (two runs) and next to each other.
    img.SetByte(1, 7);
    img.SetByte(20, 9);
    ASSERT_TRUE(h.Record(img, "A"));
    states.push_back(img);
    img.SetByte(2, 1);
    img.SetByte(3, 2);
    ASSERT_TRUE(h.Record(img, "B"));
    states.push_back(img);
    EXPECT_EQ(h.UndoName(), "B");
    EXPECT_FALSE(h.AtSaved());

    ASSERT_TRUE(h.Undo(img));
    EXPECT_TRUE(img.Equals(states[1]));
    EXPECT_EQ(h.RedoName(), "B");
    ASSERT_TRUE(h.Undo(img));
    EXPECT_TRUE(img.Equals(states[0]));
    EXPECT_TRUE(h.AtSaved());
    EXPECT_FALSE(h.Undo(img));
    ASSERT_TRUE(h.Redo(img));
    ASSERT_TRUE(h.Redo(img));
    EXPECT_TRUE(img.Equals(states[2]));
    EXPECT_FALSE(h.Redo(img));

    // Saved at B; a new step after undoing to A drops B, and with it the saved position.
    h.MarkSaved();
    ASSERT_TRUE(h.Undo(img));
    img.SetByte(10, 5);
    ASSERT_TRUE(h.Record(img, "C"));
    EXPECT_FALSE(h.CanRedo());
    EXPECT_EQ(h.StepCount(), 2u);
    ASSERT_TRUE(h.Undo(img));
    ASSERT_TRUE(h.Undo(img));
    EXPECT_TRUE(img.Equals(states[0]));
    EXPECT_FALSE(h.AtSaved()) << "the saved image went with B";
}

TEST(UndoHistory, OldestStepsGoBeyondTheLimit) {
    cmcUndoHistory h;
    cmcEeprom img = Image({0, 0});
    h.Reset(img, true);
    for (size_t i = 0; i < cmcUndoHistory::kMaxSteps + 3; ++i) {
        img.SetByte(0, static_cast<uint8_t>(i + 1));
        ASSERT_TRUE(h.Record(img, std::to_string(i)));
    }
    EXPECT_EQ(h.StepCount(), cmcUndoHistory::kMaxSteps);
    while (h.Undo(img)) {
    }
    EXPECT_EQ(img.GetByte(0), 3) << "back to the oldest image kept";
    EXPECT_FALSE(h.AtSaved()) << "the saved start is no longer reachable";
}

class UndoMain : public ::testing::Test {
protected:
    void SetUp() override {
        OpenDefinitionFiles();
        test::Messages().Clear();
        main_.LoadStartImage(1);
    }

    // Types text into a channel cell as the in-place editor delivers it, from a sheet column named
    // `column`.
    void Type(int label, int index, const std::string& text, const std::string& column) {
        cmcCellObj cell;
        cell.category = CT_Mch;
        cell.label = label;
        cell.index = index;
        cell.behaviour = BF_Selectable;
        cmcCellCapsule capsule(&main_);
        cmcCellRequest probe;
        probe.grid = probe.owner = &grid_;
        probe.cell = &cell;
        probe.action = static_cast<unsigned char>(text[0]);
        probe.actionName = column;
        ASSERT_EQ(capsule.Execute(probe, false), CER_Editor) << text;
        cmcCellRequest req;
        req.grid = req.owner = &grid_;
        req.cell = &cell;
        req.resultKind = CRK_Input;
        req.input = text;
        req.actionName = column;
        capsule.Execute(req, false);
        ASSERT_TRUE(capsule.Wrote()) << text;
    }

    static std::string Plain(std::string menuText) {
        menuText.erase(std::remove(menuText.begin(), menuText.end(), '&'), menuText.end());
        return menuText;
    }

    cmcScopedEvMan events_;
    indMain main_;
    int grid_ = 0;
};

TEST_F(UndoMain, EditsAndListOperationsUndoToTheExactBytesAndTheSavedState) {
    std::vector<cmcEeprom> states{main_.WorkingImage()};
    EXPECT_FALSE(main_.CanUndo());
    EXPECT_EQ(Plain(main_.UndoText()), "Undo");

    Type(CL_Mch_FreqR, 0, "446.00625", "RX Frequency");
    main_.CommitAction();
    states.push_back(main_.WorkingImage());
    Type(CL_Mch_FreqR, 1, "446.01875", "RX Frequency (second channel)");
    // Not recorded yet: the pending change is what Undo would take, under its column's name.
    EXPECT_EQ(Plain(main_.UndoText()), "Undo RX Frequency (second channel)");
    states.push_back(main_.WorkingImage());

    // A list operation: many records rewritten by one action, recorded when the next one starts.
    main_.BeginAction("Insert");
    uint8_t* w = main_.WorkingImage().Data();
    datCh ch(w);
    const int kind = datChannelKind(main_.ModelType());
    for (int i = 3; i >= 1; --i) {
        ch.Load(kind, 0);
        ch.Store(kind, i);
    }
    datSetBankSize(w, 0, 4);
    states.push_back(main_.WorkingImage());
    main_.BeginAction("Name");
    EXPECT_TRUE(main_.IsModified());
    EXPECT_EQ(Plain(main_.UndoText()), "Undo Insert");

    for (int i = 3; i >= 1; --i) {
        ASSERT_TRUE(main_.Undo());
        EXPECT_TRUE(main_.WorkingImage().Equals(states[i - 1])) << "after undoing to state " << i - 1;
    }
    EXPECT_FALSE(main_.IsModified()) << "back at the saved image";
    EXPECT_FALSE(main_.Undo());
    EXPECT_EQ(Plain(main_.RedoText()), "Redo RX Frequency");
    for (int i = 1; i <= 3; ++i) {
        ASSERT_TRUE(main_.Redo());
        EXPECT_TRUE(main_.WorkingImage().Equals(states[i]));
    }
    EXPECT_TRUE(main_.IsModified());

    // Saving marks the present step; undoing from it is modified again, redoing back is not.
    main_.MarkSaved();
    ASSERT_TRUE(main_.Undo());
    EXPECT_TRUE(main_.IsModified());
    ASSERT_TRUE(main_.Redo());
    EXPECT_FALSE(main_.IsModified());

    // A new start drops the history.
    main_.LoadStartImage(0);
    EXPECT_FALSE(main_.CanUndo());
    EXPECT_FALSE(main_.CanRedo());
}

TEST_F(UndoMain, MenuEntriesNameTheirStep) {
    cmcCellObj entry;
    entry.text = "&Import...\tCtrl+I";
    cmcCellRequest req;
    req.cell = &entry;
    EXPECT_EQ(cmcCellCapsule::ActionName(req), "Import");
    req.actionName = "Delete";
    EXPECT_EQ(cmcCellCapsule::ActionName(req), "Delete");
}

}  // namespace
