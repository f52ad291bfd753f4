// The cell handler: entry and exit rules (record kinds, empty channel redirect, popup commands,
// notification, deferred check, modified mark), the label table, command cells with their state
// bits, the clone information cells, and the bank and count cells on a real image.
#include "cells/cmcAppCommands.h"
#include "cells/cmcCellCapsule.h"
#include "cells/cmcCellTable.h"
#include "cells/cmcCellViews.h"
#include "cells/cmcEditors.h"
#include "comm/indEnviron.h"
#include "common/cmcClock.h"
#include "defs/cmcDefLint.h"
#include "defs/cmcEvMan.h"
#include "defs/cmcFCache.h"
#include "defs/cmcGTex.h"
#include "defs/cmcHelpContext.h"
#include "image/cmcImageMap.h"
#include "image/datCh.h"
#include "image/indMain.h"
#include "support/cmcRecordingViews.h"
#include "support/cmcTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace qx;

namespace {

// Records what the handler asks of the application.
struct FakeCommands : cmcAppCommands {
    std::vector<std::string> calls;
    int refreshes = 0;
    bool canPrint = false;
    int popupCount = 1;
    bool clipboard = false;

    bool CanPrintCurrentSheet() override { return canPrint; }
    bool FileNew() override { return Log("new"); }
    bool FileOpen() override { return Log("open"); }
    bool FileSave() override { return Log("save"); }
    bool FileSaveAs() override { return Log("save as"); }
    std::string PortEntryText(int port) override { return port == 2 ? "&2 /dev/ttyUSB1" : ""; }
    bool PrintCurrentSheet() override { return Log("print"); }
    bool OpenRecentFile(int index) override { return Log("recent " + std::to_string(index)); }
    bool ApplyFontSize(int percent) override { return Log("font " + std::to_string(percent)); }
    bool ShowToolBar(bool visible) override { return Log(visible ? "toolbar on" : "toolbar off"); }
    bool OpenHelp(const std::string& path, int context) override {
        return Log("help " + path.substr(path.find_last_of('/') + 1) + " " + std::to_string(context));
    }
    bool ShowSheet(const std::string& reference) override { return Log("sheet " + reference); }
    int CurrentPopupItemCount() override { return popupCount; }
    bool RunListCommand(const cmcCellEnv&, int command, cmcCellRequest&, datCh& record, int first, int last) override {
        return Log("list " + std::to_string(command) + " kind " + std::to_string(record.Kind()) + " rows " +
                   std::to_string(first) + ".." + std::to_string(last));
    }
    bool ClipboardHas(int) override { return clipboard; }
    void RefreshAllViews() override { ++refreshes; }

    bool Log(const std::string& s) {
        calls.push_back(s);
        return true;
    }
};

using test::RecordingViews;

struct EventLog {
    std::vector<cmcEvent> events;
    static void Handler(void* user, const cmcEvent& e) { static_cast<EventLog*>(user)->events.push_back(e); }
    bool Has(int code) const {
        for (const auto& e : events)
            if (e.code == code) return true;
        return false;
    }
    const cmcEvent* Find(int code) const {
        for (const auto& e : events)
            if (e.code == code) return &e;
        return nullptr;
    }
};

int g_grid = 0;  // stands for the grid of grid requests

class CellCapsule : public ::testing::Test {
protected:
    void SetUp() override {
        OpenDefinitionFiles();
        test::Messages().Clear();
        main_.LoadStartImage(kModelPmr);
        EvMan().Register(&EventLog::Handler, &log_);
    }
    void TearDown() override {
        // Let a pending deferred check run on this test's clock.
        clock_->Advance(kDeferredCheckMs);
    }

    uint8_t* Image() { return main_.WorkingImage().Data(); }

    static cmcCellObj Cell(int category, int label, int index = 0) { return test::CellOf(category, label, index); }
    // Runs a request on `cell` (from a grid unless told otherwise).
    cmcCellRequest Run(cmcCellObj& cell, int action = 0, bool fromGrid = true, uint8_t* opened = nullptr) {
        cmcCellRequest req;
        req.cell = &cell;
        req.action = action;
        if (fromGrid) req.grid = &g_grid;
        const uint8_t r = capsule_.Execute(req, true);
        if (opened) *opened = r;
        return req;
    }
    std::string Show(int category, int label, int index = 0) {
        cmcCellObj cell = Cell(category, label, index);
        return Run(cell).display;
    }
    // Delivers a chooser pick as a chooser does: the parent request's cell carries the item.
    cmcCellRequest Pick(cmcCellObj& cell, int itemKind, int item) {
        cmcCellObj picked = Cell(CT_Null, itemKind, item);
        cmcCellRequest opener;
        opener.cell = &picked;
        opener.grid = &g_grid;
        cmcCellRequest req;
        req.cell = &cell;
        req.grid = &g_grid;
        req.parent = &opener;
        req.resultKind = CRK_Chooser;
        capsule_.Execute(req, true);
        return req;
    }
    cmcCellRequest Type(cmcCellObj& cell, const std::string& text) {
        cmcCellRequest req;
        req.cell = &cell;
        req.grid = &g_grid;
        req.resultKind = CRK_Input;
        req.input = text;
        capsule_.Execute(req, true);
        return req;
    }
    void SetChannel(int n, uint32_t rx) {
        datCh ch(Image());
        ch.Load(datChannelKind(main_.ModelType()), n);
        ch.rxFreq = rx;
        ch.txFreq = rx;
        ch.inUse = rx != 0;
        ch.Store();
    }
    void SetBanks(std::initializer_list<int> sizes) {
        int b = 0;
        for (int s : sizes) datSetBankSize(Image(), b++, s);
        for (; b < map::kBankCount; ++b) datSetBankSize(Image(), b, 0);
    }
    void Deliver() { EvMan().Tick(); }

    cmcScopedManualTime clock_;
    cmcScopedEvMan evman_;
    cmcScopedEditorLists lists_{nullptr};
    FakeCommands commands_;
    cmcScopedAppCommands useCommands_{&commands_};
    indMain main_;
    cmcCellCapsule capsule_{&main_};
    EventLog log_;
};

// ---- entry -----------------------------------------------------------------------------------

TEST_F(CellCapsule, RecordKindFollowsCategoryAndModelType) {
    struct Case {
        int category, model, kind;
    } cases[] = {
        {CT_Mch, kModelLmr, 1},           {CT_Mch, kModelPmr, 2},          {CT_Mch_Check, kModelKorvPmr, 3},
        {CT_Mch, kModelDPmr446, 4},       {CT_CEdit, 0, 5},                {CT_DTMF, 0, 6},
        {CT_Scan, 0, 7},                  {CT_CTone, 0, 8},                {CT_RX_Code, 0, 9},
        {CT_TX_Code, 0, 10},              {CT_UserTone, 0, 11},            {CT_2Tone_Code, 0, 12},
        {CT_2ToneTX_Common, 0, 13},       {CT_BankOp, 0, 14},              {CT_MSK_IdGroup, 0, 15},
        {CT_MSK_CallList, 0, 16},         {CT_MSK_Msg_Status, 0, 17},      {CT_MSK_Msg_ShortTxt, 0, 18},
        {CT_Dig_Msg_Status, 0, 19},       {CT_Null, 0, 0},                 {CT_PopupMenu, 0, 0},
        {CT_MSK_AdrRange, 0, 0},          {CT_MSK_TimingErr, 0, 0},        {CT_MSK_Cfg, 0, 0},
        {kCategoryNone, 0, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(cmcCellCapsule::RecordKindOf(c.category, c.model), c.kind) << c.category << " model " << c.model;
}

TEST_F(CellCapsule, UnknownCategoryIsADefinitionFault) {
    cmcCellObj cell = Cell(23, CL_Mch_Bank);
    EXPECT_FATAL(Run(cell), "Unknown Cell Category. (23)", kExitDefinitionFault);
    cell.category = -1;
    EXPECT_FATAL(Run(cell), "Unknown Cell Category. (-1)", kExitDefinitionFault);
}

TEST_F(CellCapsule, UnlistedQuietAndMakerLabels) {
    EXPECT_EQ(Show(CT_Null, CL_Menu_Debug_Compare), std::to_string(CL_Menu_Debug_Compare) + " *Yet*");
    EXPECT_EQ(Show(CT_Null, CL_Null), "");
    EXPECT_EQ(Show(CT_Mch, CL_Mch_Dig_CC_T, 0), "");
    const cmcEeprom before(main_.WorkingImage());
    for (int label = 571; label <= CL_Maker_mRSSISL; ++label) {
        for (int action : {0, 13, 32, 8, int('5')}) {
            cmcCellObj cell = Cell(CT_Null, label);
            uint8_t opened = 9;
            cmcCellRequest req = Run(cell, action, true, &opened);
            ASSERT_EQ(req.display, "") << LabelName(label);
            ASSERT_EQ(opened, CER_None) << LabelName(label);
        }
    }
    EXPECT_TRUE(main_.WorkingImage().Equals(before));
    EXPECT_TRUE(cmcCellTable::Instance().Find(CL_Maker_SqlDelay_Op) != nullptr);
    EXPECT_TRUE(cmcCellTable::Instance().Find(CL_Maker_mRSSISL) != nullptr);
}

TEST_F(CellCapsule, ALabelClaimedTwiceIsFatal) {
    cmcCellTable table;
    table.Set(CL_Bank_UsedTotal, [](cmcCellCall&) {});
    EXPECT_FATAL(table.Set(CL_Bank_UsedTotal, [](cmcCellCall&) {}), "CL_Bank_UsedTotal", kExitInternalFault);
    EXPECT_FATAL(table.Set(kLabelCount, [](cmcCellCall&) {}), "out of range", kExitInternalFault);
}

TEST_F(CellCapsule, EmptyChannelRedirectsKeysToTheReceiveFrequency) {
    SetBanks({8});
    SetChannel(3, 0);
    SetChannel(4, 446100000);
    // Every cell of the empty row shows nothing; a key goes back to the grid for CL_Mch_FreqR.
    cmcCellObj narrow = Cell(CT_Mch, CL_Mch_Nar, 3);
    cmcCellRequest req = Run(narrow, CA_Space);
    EXPECT_EQ(req.display, "");
    EXPECT_EQ(req.redirect, 1);
    EXPECT_EQ(req.label, CL_Mch_FreqR);
    EXPECT_EQ(req.deferredAction, 32);
    EXPECT_EQ(req.category, CT_Mch);
    EXPECT_EQ(req.index, 3);
    // Action 256 is Enter by the time it is redirected.
    req = Run(narrow, CA_Commit);
    EXPECT_EQ(req.deferredAction, 13);
    // The attribute cell and the receive frequency itself are dispatched.
    cmcCellObj attr = Cell(CT_Mch, CL_Mch_Atr, 3);
    EXPECT_EQ(Run(attr, CA_Space).redirect, 0);
    // The bank-channel number heading the row is shown; a key on it still goes to the frequency.
    cmcCellObj number = Cell(CT_Mch, CL_Mch_No, 3);
    req = Run(number, CA_Refresh);
    EXPECT_EQ(req.display, "1-  4");
    EXPECT_EQ(req.redirect, 0);
    EXPECT_EQ(Run(number, CA_Space).redirect, 1);
    cmcCellObj freq = Cell(CT_Mch, CL_Mch_FreqR, 3);
    uint8_t opened = 0;
    req = Run(freq, '4', true, &opened);
    EXPECT_EQ(req.redirect, 0);
    EXPECT_EQ(opened, CER_Editor);
    EXPECT_EQ(req.display, "4");
    // A used channel is not redirected.
    cmcCellObj used = Cell(CT_Mch, CL_Mch_Nar, 4);
    EXPECT_EQ(Run(used, CA_Space).redirect, 0);
}

TEST_F(CellCapsule, ReceiveFrequencyBringsAChannelIntoUse) {
    SetBanks({8});
    SetChannel(2, 0);
    cmcCellObj freq = Cell(CT_Mch, CL_Mch_FreqR, 2);
    EXPECT_EQ(Type(freq, "446.1").display, "446.100000");
    datCh ch(Image());
    ch.Load(KIND_ChPmr, 2);
    EXPECT_TRUE(ch.inUse);
    EXPECT_EQ(ch.rxFreq, 446100000u);
    EXPECT_EQ(ch.txFreq, 446100000u);
    EXPECT_TRUE(capsule_.Wrote());
    // A frequency off the raster is refused and writes nothing.
    const cmcEeprom before(main_.WorkingImage());
    EXPECT_EQ(Type(freq, "446.10001").display, "446.100000");
    EXPECT_FALSE(capsule_.Wrote());
    EXPECT_TRUE(main_.WorkingImage().Equals(before));
}

TEST_F(CellCapsule, PopupCommands) {
    SetBanks({6, 4});
    SetChannel(7, 446100000);
    cmcCellObj cell = Cell(CT_Mch, CL_Mch_FreqR, 7);
    // Edit: the same as Enter.
    cmcCellRequest req;
    req.cell = &cell;
    req.grid = &g_grid;
    req.popupCommand = CL_PMenu_Edit;
    EXPECT_EQ(capsule_.Execute(req, true), CER_Editor);
    EXPECT_EQ(req.popupCommand, 0);
    // List commands run on the current bank's rows (bank 1: channels 6..9).
    for (int command = CL_PMenu_Copy; command <= CL_PMenu_Insert; ++command) {
        cmcCellRequest r;
        r.cell = &cell;
        r.grid = &g_grid;
        r.popupCommand = command;
        EXPECT_EQ(capsule_.Execute(r, true), CER_None);
        EXPECT_EQ(r.display, "");  // handled: no dispatch
    }
    ASSERT_EQ(commands_.calls.size(), 7u);
    EXPECT_EQ(commands_.calls[0], "list 75 kind 2 rows 6..9");
    EXPECT_EQ(commands_.calls[6], "list 81 kind 2 rows 6..9");
    // Bank-less lists use the kind's index range.
    cmcCellObj dtmf = Cell(CT_DTMF, CL_Dtmf_Code, 3);
    cmcCellRequest r;
    r.cell = &dtmf;
    r.popupCommand = CL_PMenu_Copy;
    capsule_.Execute(r, true);
    EXPECT_EQ(commands_.calls.back(), "list 75 kind 6 rows 0..7");
    // Help opens the help file at the cell's context.
    r = cmcCellRequest();
    r.cell = &cell;
    r.popupCommand = CL_PMenu_Help;
    capsule_.Execute(r, true);
    const int context = HelpContextOf(cell, main_.WorkingImage(), main_.ModelType(), EditorLists());
    EXPECT_EQ(commands_.calls.back(),
              "help " + GTex().FirstLine("GI_Sys_MyHelpFile") + " " + std::to_string(context));
}

// ---- exit ------------------------------------------------------------------------------------

TEST_F(CellCapsule, NotificationFlags) {
    SetBanks({8});
    SetChannel(1, 446100000);
    std::vector<uint32_t> flags;
    auto run = [&](cmcCellObj& cell, bool notify, int resultKind = 0, std::string input = "") {
        cmcCellRequest req;
        req.cell = &cell;
        req.grid = &g_grid;
        req.resultKind = static_cast<uint8_t>(resultKind);
        req.input = input;
        req.notify = [&](cmcCellRequest&, uint32_t f) { flags.push_back(f); };
        capsule_.Execute(req, notify);
    };
    cmcCellObj total = Cell(CT_Null, CL_Mch_Bank_Total);
    run(total, true);
    cmcCellObj freq = Cell(CT_Mch, CL_Mch_FreqR, 1);
    run(freq, true);
    run(freq, false);
    run(freq, true, CRK_Input, "446.2");
    ASSERT_EQ(flags.size(), 3u);
    EXPECT_EQ(flags[0], uint32_t(CN_SameLabelIndex));
    EXPECT_EQ(flags[1], uint32_t(CN_SameLabelIndex | CN_SameIndex));
    EXPECT_EQ(flags[2], uint32_t(CN_SameLabelIndex | CN_SameIndex | CN_All));
}

TEST_F(CellCapsule, EditsScheduleTheDeferredCheckAndSetTheModifiedMark) {
    SetBanks({8});
    SetChannel(1, 446100000);
    main_.SavedImage().Assign(main_.WorkingImage());
    main_.MarkSaved();
    cmcCellObj freq = Cell(CT_Mch, CL_Mch_FreqR, 1);
    Run(freq);  // a refresh is no edit
    clock_->Advance(kDeferredCheckMs);
    EXPECT_EQ(commands_.refreshes, 0);
    EXPECT_FALSE(main_.IsModified());

    Type(freq, "446.1");  // the same value: no change to the image
    EXPECT_TRUE(DeferredCheckPending());
    EXPECT_FALSE(main_.IsModified());
    clock_->Advance(kDeferredCheckMs - 1);
    EXPECT_EQ(commands_.refreshes, 0);
    Type(freq, "446.2");  // a second edit restarts the wait
    EXPECT_TRUE(main_.IsModified());
    clock_->Advance(kDeferredCheckMs - 1);
    EXPECT_EQ(commands_.refreshes, 0);
    clock_->Advance(1);
    EXPECT_EQ(commands_.refreshes, 1);
    EXPECT_FALSE(DeferredCheckPending());
    clock_->Advance(1000);
    EXPECT_EQ(commands_.refreshes, 1);
}

TEST_F(CellCapsule, ActionsFromOutsideAGridEditNothing) {
    SetBanks({8});
    cmcCellObj sel = Cell(CT_Null, CL_Bank_SelBankFree);
    const cmcEeprom before(main_.WorkingImage());
    for (int action : {13, 32, 8}) {
        uint8_t opened = 9;
        Run(sel, action, false, &opened);
        EXPECT_EQ(opened, CER_None);
    }
    EXPECT_TRUE(main_.WorkingImage().Equals(before));
}

// ---- command cells -----------------------------------------------------------------------------

TEST_F(CellCapsule, ModelCellsAreCheckedAndChangeTheModelWithConfirmation) {
    const int labels[] = {CL_Model_Lmr, CL_Model_Pmr, CL_Model_KorvPmr, CL_Model_DPmr446};
    for (int t = 0; t < 4; ++t) {
        cmcCellObj cell = Cell(kCategoryNone, labels[t]);
        capsule_.RunCell(cell, 0);
        EXPECT_EQ((cell.behaviour & CS_Checked) != 0, t == kModelPmr) << t;
    }
    cmcCellObj korv = Cell(kCategoryNone, CL_Model_KorvPmr);
    // The confirmation is asked over unsaved changes.
    main_.WorkingImage().Data()[map::kCloneComment1] ^= 0x01;
    main_.NoteEdit();
    test::Messages().QueueAnswer(MB_Cancel);
    capsule_.RunCell(korv, CA_Enter);
    EXPECT_EQ(main_.ModelType(), kModelPmr);
    EXPECT_FALSE(korv.behaviour & CS_Checked);
    test::Messages().QueueAnswer(MB_Ok);
    capsule_.RunCell(korv, CA_Enter);
    EXPECT_EQ(main_.ModelType(), kModelKorvPmr);
    EXPECT_TRUE(korv.behaviour & CS_Checked);
}

TEST_F(CellCapsule, SettingsCommands) {
    indEnviron& env = Environ();
    const int port = env.ComPort;
    const uint32_t speed = env.ComSpeedHigh, font = env.FontSizePercentage;
    const int toolbar = env.ToolbarVisible;

    cmcCellObj com3 = Cell(kCategoryNone, CL_Menu_Port_Com, 3);
    capsule_.RunCell(com3, CA_Enter);
    EXPECT_EQ(env.ComPort, 3);
    EXPECT_TRUE(com3.behaviour & CS_Checked);
    EXPECT_TRUE(log_.Has(EVC_MenusBuilt));
    cmcCellObj usb = Cell(kCategoryNone, CL_Menu_Port_Usb);
    capsule_.RunCell(usb, 0);
    EXPECT_FALSE(usb.behaviour & CS_Checked);
    env.ComPort = 7;
    capsule_.RunCell(usb, 0);
    capsule_.RunCell(com3, 0);
    EXPECT_TRUE(usb.behaviour & CS_Checked);
    EXPECT_FALSE(com3.behaviour & CS_Checked);

    cmcCellObj high = Cell(kCategoryNone, CL_Menu_Port_SpeedHigh, 1);
    capsule_.RunCell(high, CA_Enter);
    EXPECT_EQ(env.ComSpeedHigh, 1u);
    EXPECT_TRUE(high.behaviour & CS_Checked);

    cmcCellObj f150 = Cell(kCategoryNone, CL_Menu_View_FontSize, 150);
    capsule_.RunCell(f150, CA_Enter);
    EXPECT_EQ(env.FontSizePercentage, 150u);
    EXPECT_TRUE(f150.behaviour & CS_Checked);

    cmcCellObj bar = Cell(kCategoryNone, CL_Menu_View_ToolBar);
    env.ToolbarVisible = 1;
    capsule_.RunCell(bar, CA_Enter);
    EXPECT_EQ(env.ToolbarVisible, 0);
    EXPECT_FALSE(bar.behaviour & CS_Checked);  // the tool bar does not clear the bits before asking
    EXPECT_EQ(commands_.calls, (std::vector<std::string>{"font 150", "toolbar off"}));

    env.ComPort = port;
    env.ComSpeedHigh = speed;
    env.FontSizePercentage = font;
    env.ToolbarVisible = toolbar;
}

TEST_F(CellCapsule, FileCommandsAndPortCaptionsGoThroughTheApplication) {
    for (int label : {CL_Menu_File_New, CL_Menu_File_Open, CL_Menu_File_Save, CL_Menu_File_SaveAs}) {
        cmcCellObj cell = Cell(kCategoryNone, label);
        capsule_.RunCell(cell, CA_Refresh);  // state only
        capsule_.RunCell(cell, CA_Enter);
    }
    EXPECT_EQ(commands_.calls, (std::vector<std::string>{"new", "open", "save", "save as"}));
    // A numbered port entry the application names is relabelled; one it does not keeps its caption.
    cmcCellObj two = Cell(kCategoryNone, CL_Menu_Port_Com, 2);
    capsule_.RunCell(two, CA_Refresh);
    EXPECT_EQ(two.text.value_or(""), "&2 /dev/ttyUSB1");
    EXPECT_TRUE(two.behaviour & CS_Relabelled);
    cmcCellObj three = Cell(kCategoryNone, CL_Menu_Port_Com, 3);
    three.text = "COM&3";
    capsule_.RunCell(three, CA_Refresh);
    EXPECT_EQ(three.text.value_or(""), "COM&3");
    EXPECT_FALSE(three.behaviour & CS_Relabelled);

    // The entry for other ports names the port or device chosen through it.
    indEnviron& env = Environ();
    const int port = env.ComPort;
    const std::string device = env.ComDevice;
    struct Case {
        int port;
        std::string device, caption;
        bool checked;
    } cases[] = {{2, "/dev/ttyACM0", "&Other Port or Device:  /dev/ttyACM0...", true},
                 {7, "", "&Other Port or Device:  port 7...", true},
                 {2, "", "", false}};
    for (const auto& c : cases) {
        env.ComPort = c.port;
        env.ComDevice = c.device;
        cmcCellObj other = Cell(kCategoryNone, CL_Menu_Port_Usb);
        capsule_.RunCell(other, CA_Refresh);
        EXPECT_EQ((other.behaviour & CS_Checked) != 0, c.checked) << c.port;
        EXPECT_EQ((other.behaviour & CS_Relabelled) != 0, c.checked) << c.port;
        if (c.checked) {
            EXPECT_EQ(other.text.value_or(""), c.caption);
        }
    }
    env.ComPort = port;
    env.ComDevice = device;
}

TEST_F(CellCapsule, RecentFileEntries) {
    indEnviron& env = Environ();
    const cmcRecent saved = env.Recent;
    env.Recent.Clear();
    env.Recent.Append("/radios/fleet.qcf");
    struct Case {
        int index;
        std::string caption;
        bool disabled, hidden;
    } cases[] = {{0, "&1 /radios/fleet.qcf", false, false}, {1, "&2 ", true, true}};
    for (const auto& c : cases) {
        cmcCellObj cell = Cell(kCategoryNone, CL_Menu_File_Recent, c.index);
        capsule_.RunCell(cell, 0);
        EXPECT_EQ(cell.Text(), c.caption);
        EXPECT_TRUE(cell.behaviour & CS_Relabelled);
        EXPECT_EQ((cell.behaviour & CS_Disabled) != 0, c.disabled) << c.index;
        EXPECT_EQ((cell.behaviour & CS_Hidden) != 0, c.hidden) << c.index;
        capsule_.RunCell(cell, CA_Enter);
    }
    EXPECT_EQ(commands_.calls, std::vector<std::string>{"recent 0"});
    env.Recent.Clear();
    cmcCellObj first = Cell(kCategoryNone, CL_Menu_File_Recent, 0);
    capsule_.RunCell(first, 0);
    EXPECT_TRUE(first.behaviour & CS_Disabled);
    EXPECT_FALSE(first.behaviour & CS_Hidden);  // entry 0 stays as a disabled placeholder
    env.Recent = saved;
}

TEST_F(CellCapsule, CommandsWithoutAnImplementationSayNotAvailable) {
    cmcScopedAppCommands none(nullptr);
    capsule_.Env().commands = &AppCommands();  // the program's default commands
    cmcCellObj print = Cell(kCategoryNone, CL_Menu_File_Print_All);
    capsule_.RunCell(print, 0);
    EXPECT_TRUE(test::Messages().messages().empty());  // state only
    for (int label : {CL_Menu_File_Print_All, CL_Menu_Clone_Read, CL_Menu_Clone_Write, CL_Menu_Clone_Info,
                      CL_Menu_File_Exit, CL_Help_Contents, CL_Menu_File_New, CL_Menu_File_Open,
                      CL_Menu_File_Save, CL_Menu_File_SaveAs}) {
        test::Messages().Clear();
        cmcCellObj cell = Cell(kCategoryNone, label);
        capsule_.RunCell(cell, CA_Enter);
        ASSERT_EQ(test::Messages().messages().size(), 1u) << LabelName(label);
        EXPECT_NE(test::Messages().messages()[0].text.find("is not available"), std::string::npos);
        EXPECT_EQ(test::Messages().messages()[0].icon, cmcMsgIcon::Error);
    }
    cmcCellObj current = Cell(kCategoryNone, CL_Menu_File_Print_Current);
    capsule_.RunCell(current, 0);
    EXPECT_TRUE(current.behaviour & CS_Disabled);
}

TEST_F(CellCapsule, HelpSheetAndAboutCommands) {
    cmcCellObj about = Cell(kCategoryNone, CL_Help_About);
    capsule_.RunCell(about, CA_Enter);
    EXPECT_FALSE(log_.Has(EVC_AboutBox));  // posted
    Deliver();
    EXPECT_TRUE(log_.Has(EVC_AboutBox));
    cmcCellObj contents = Cell(kCategoryNone, CL_Help_Contents);
    capsule_.RunCell(contents, CA_Enter);
    cmcCellObj sheet = Cell(kCategoryNone, CallSheet);
    sheet.name = "[St_Common]GI_Sheet_SetMode";
    capsule_.RunCell(sheet, 0);  // refresh runs nothing
    capsule_.RunCell(sheet, CA_Enter);
    EXPECT_EQ(commands_.calls, (std::vector<std::string>{"help " + GTex().FirstLine("GI_Sys_MyHelpFile") + " 0",
                                                         "sheet [St_Common]GI_Sheet_SetMode"}));
    commands_.canPrint = true;
    cmcCellObj print = Cell(kCategoryNone, CL_Menu_File_Print_Current);
    capsule_.RunCell(print, CA_Enter);
    EXPECT_FALSE(print.behaviour & CS_Disabled);
    EXPECT_EQ(commands_.calls.back(), "print");
}

// Popup entries are refreshed with the sheet's current cell as parent.
TEST_F(CellCapsule, PopupEntryStates) {
    SetBanks({6, 4});  // bank 0: channels 0-5, bank 1: 6-9
    auto disabled = [&](int label, int category, int index, int bank = -1) {
        cmcCellObj current = Cell(category, CL_Mch_FreqR, index);
        cmcCellRequest parent;
        parent.cell = &current;
        cmcCellObj entry = Cell(CT_PopupMenu, label);
        cmcCellRequest req;
        req.cell = &entry;
        req.parent = &parent;
        cmcEvMan* man = &EvMan();
        static int answer;
        answer = bank;
        auto bankHandler = [](void*, const cmcEvent& e) {
            if (e.code == EVC_QueryBank && answer >= 0) e.manager->Answer(answer);
        };
        man->Register(bankHandler, &answer);
        capsule_.Execute(req, false);
        man->Unregister(bankHandler, &answer);
        return (entry.behaviour & CS_Disabled) != 0;
    };
    // Copy rule on channels: the row must lie in the current bank.
    EXPECT_FALSE(disabled(CL_PMenu_Copy, CT_Mch, 3));
    EXPECT_FALSE(disabled(CL_PMenu_Copy, CT_Mch, 9, 1));
    EXPECT_TRUE(disabled(CL_PMenu_Copy, CT_Mch, 10, 1));
    EXPECT_TRUE(disabled(CL_PMenu_Delete, CT_Mch, 0, 2));  // an empty bank
    EXPECT_TRUE(disabled(CL_PMenu_Clear, CT_RX_Code, 0));
    EXPECT_FALSE(disabled(CL_PMenu_Clear, CT_RX_Code, 1));
    EXPECT_TRUE(disabled(CL_PMenu_Copy, CT_MSK_Msg_Status, 23));
    // Paste needs a clipboard of the kind.
    EXPECT_TRUE(disabled(CL_PMenu_Paste, CT_Mch, 3));
    commands_.clipboard = true;
    EXPECT_FALSE(disabled(CL_PMenu_Paste, CT_Mch, 3));
    EXPECT_TRUE(disabled(CL_PMenu_Paste, CT_2Tone_Code, 0));
    // Carrying needs a neighbour in the list.
    EXPECT_TRUE(disabled(CL_PMenu_CarryUp, CT_Mch, 6, 1));
    EXPECT_FALSE(disabled(CL_PMenu_CarryUp, CT_Mch, 7, 1));
    EXPECT_TRUE(disabled(CL_PMenu_CarryDown, CT_Mch, 9, 1));
    EXPECT_FALSE(disabled(CL_PMenu_CarryDown, CT_Mch, 8, 1));
    EXPECT_TRUE(disabled(CL_PMenu_CarryDown, CT_DTMF, 7));
    EXPECT_FALSE(disabled(CL_PMenu_CarryUp, CT_DTMF, 7));
    EXPECT_TRUE(disabled(CL_PMenu_CarryUp, CT_2Tone_Code, 1));  // at the list's first index

    cmcCellObj none = Cell(CT_PopupMenu, CL_PMenu_NoItem);
    capsule_.RunCell(none, 0);
    EXPECT_TRUE(none.behaviour & CS_Disabled);
    EXPECT_FALSE(none.behaviour & CS_Hidden);
    commands_.popupCount = 3;
    capsule_.RunCell(none, 0);
    EXPECT_TRUE(none.behaviour & CS_Hidden);
}

// Chooser items of a digital PMR channel with MSK signalling carry the mark of the value.
TEST_F(CellCapsule, MarkedChooserItemsOfADigitalChannel) {
    main_.ChangeModel(kModelKorvPmr, true);  // an image without changes: no question
    SetBanks({8});
    SetChannel(2, 446100000);
    datCh ch(Image());
    ch.Load(KIND_ChKorvPmr, 2);
    ch.mskSignal = true;
    ch.Store();
    struct Case {
        int label, item;
        uint8_t marks;
    } cases[] = {
        {CL_Mch_Moni, 5, CRF_Warning}, {CL_Mch_Moni, 6, 0},     {CL_Mch_CH_Mute, 0, CRF_Warning},
        {CL_Mch_CH_Mute, 1, 0},        {CL_Mch_Sel, 0, CRF_Error}, {CL_Mch_Sel, 1, 0},
        {CL_Mch_Call, 1, CRF_Error},   {CL_Mch_PTT, 1, CRF_Error}, {CL_Mch_PTT, 0, 0},
    };
    for (bool msk : {true, false}) {
        ch.Load(KIND_ChKorvPmr, 2);
        ch.mskSignal = msk;
        ch.Store();
        for (const auto& c : cases) {
            cmcCellObj owner = Cell(CT_Mch, c.label, 2);
            cmcCellRequest opener;
            opener.cell = &owner;
            cmcCellObj item = Cell(CT_Null, FlexMark, c.item);
            item.text = "Item";
            cmcCellRequest req;
            req.cell = &item;
            req.parent = &opener;
            capsule_.Execute(req, false);
            EXPECT_EQ(req.display, "Item");
            EXPECT_EQ(req.resultFlags & (CRF_Warning | CRF_Error), msk ? c.marks : 0)
                << LabelName(c.label) << " item " << c.item;
        }
    }
}

// ---- clone information -------------------------------------------------------------------------

TEST_F(CellCapsule, CloneInformationCells) {
    uint8_t id[80] = {};
    id[0] = 80;
    std::memcpy(id + 2, "Fleet one       ", 16);
    std::memcpy(id + 18, "Depot\x01         ", 16);
    id[34] = 0x23;
    std::memcpy(id + 37, "00120A000123", 12);
    id[53] = 0x20;
    std::memcpy(id + 62, "1a2B", 4);
    auto identify = [&] { ASSERT_EQ(main_.CheckIdentification(0, 0x6153, 0, id, 80), 0); };
    identify();
    EXPECT_EQ(Show(CT_Null, CL_CloneInfo_Revision), "2.3");
    EXPECT_EQ(Show(CT_Null, CL_CloneInfo_Esn), "00181000291");
    EXPECT_EQ(Show(CT_Null, CL_CloneInfo_CheckSum), "$1A2B");
    EXPECT_EQ(Show(CT_Null, CL_CloneInfo_OverVolt), GTex().Line("GI_Mess_CloneInfo_OverVolt", 0));
    EXPECT_EQ(Show(CT_Null, CL_CloneInfo_Comment1), "Fleet one");
    EXPECT_EQ(Show(CT_Null, CL_CloneInfo_Comment2), "Depot");
    cmcCellObj comment = Cell(CT_Null, CL_CloneInfo_Comment1);
    uint8_t opened = 9;
    Run(comment, CA_Enter, true, &opened);
    EXPECT_EQ(opened, CER_None);  // shown, never edited
    EXPECT_EQ(Show(CT_Null, CL_CloneInfo_Option), "");

    // Serial numbers with a character that is not a hexadecimal digit show a single space.
    id[40] = 'G';
    id[53] = 0;
    identify();
    EXPECT_EQ(Show(CT_Null, CL_CloneInfo_Esn), " ");
    EXPECT_EQ(Show(CT_Null, CL_CloneInfo_OverVolt), "");

    // The model: type letters 0 (LMR), 2 and 1 (digital PMR), 1 (PMR), 5 (dPMR446); ten-key bit.
    struct ModelCase {
        uint8_t flags, option2;
        int model, tenKey;
    } models[] = {{0x80, 0, 0, 0}, {0xE0, 0, 0, 0}, {0x60, 0x40, 2, 1}, {0x40, 0, 1, 0},
                  {0x20, 0, 0, 0}, {0x04, 0x40, 3, 1}, {0x00, 0, 0, 0}};
    for (const auto& m : models) {
        id[54] = m.flags;
        id[50] = m.option2;
        identify();
        EXPECT_EQ(Show(CT_Null, CL_CloneInfo_Model),
                  GTex().Line("GI_AppInd_Model", m.model) + "\n" + GTex().Line("GI_Mess_CloneInfo_TenKey", m.tenKey))
            << int(m.flags);
    }

    // Option units, in their order, and the unit revision line.
    auto opt = [](int n) { return GTex().Line("GI_Mess_CloneInfo_Opt_Kx" + std::to_string(n), 0) + "\n"; };
    struct OptionCase {
        uint8_t o1, o2, o3;
        std::string text;
    } options[] = {
        {0, 0x20, 0x01, opt(5)},
        {0, 0x30, 0x01, opt(6)},
        {2, 0x01, 0x01, opt(7)},
        {2, 0x02, 0x01, opt(9)},
        {2, 0x00, 0x01, opt(3)},
        {1, 0x0C, 0x41, opt(2) + opt(4) + opt(8) + opt(1)},
        {0, 0x00, 0x10, "Rev:1.2:$00AB\n"},
        {0, 0x00, 0x20, "Rev:1.2:$00AB\n"},
        {0, 0x00, 0x30, ""},
        {0, 0x00, 0x00, ""},
    };
    id[74] = 0x12;
    std::memcpy(id + 76, "00ab", 4);
    for (const auto& o : options) {
        id[49] = o.o1;
        id[50] = o.o2;
        id[51] = o.o3;
        identify();
        EXPECT_EQ(Show(CT_Null, CL_CloneInfo_Option), o.text) << int(o.o1) << " " << int(o.o2) << " " << int(o.o3);
    }
}

// ---- bank and count cells ------------------------------------------------------------------------

TEST_F(CellCapsule, FreeBankSelection) {
    SetBanks({64});
    cmcCellObj sel = Cell(CT_Null, CL_Bank_SelBankFree);
    EXPECT_EQ(Run(sel).display, EditorLists().Text("GI_Sheet_Sel_Bank_SelBankFree", Flex0, 0));
    EXPECT_EQ(Show(CT_Null, CL_Bank_UsedQty, 0), "---");

    uint32_t flags = 0;
    cmcCellObj picked = Cell(CT_Null, Flex0, 1);
    cmcCellRequest opener;
    opener.cell = &picked;
    cmcCellRequest req;
    req.cell = &sel;
    req.grid = &g_grid;
    req.parent = &opener;
    req.resultKind = CRK_Chooser;
    req.notify = [&](cmcCellRequest&, uint32_t f) { flags = f; };
    capsule_.Execute(req, true);
    for (int b = 0; b < 5; ++b) EXPECT_EQ(datBankSize(Image(), b), b < 2 ? 4 : 0) << b;
    EXPECT_EQ(req.display, EditorLists().Text("GI_Sheet_Sel_Bank_SelBankFree", Flex0, 1));
    EXPECT_TRUE(flags & CN_All);
    EXPECT_TRUE(log_.Has(EVC_TreeBuilt));

    // Space steps to the other layout: one bank of 64.
    Run(sel, CA_Space);
    EXPECT_EQ(datBankSize(Image(), 0), 64);
    for (int b = 1; b < 5; ++b) EXPECT_EQ(datBankSize(Image(), b), 0);

    // Enter opens the list's chooser on the current value.
    RecordingViews views;
    capsule_.Env().views = &views;
    uint8_t opened = 0;
    Run(sel, CA_Enter, true, &opened);
    EXPECT_EQ(opened, CER_Opened);
    EXPECT_EQ(views.opened, std::vector<std::string>{"GI_Sheet_Sel_Bank_SelBankFree 1 0"});
}

// The layout cell names "one bank of 64 channels" only for the sizes 64, 0, 0, 0, 0; any other sizes
// are free bank sizes. Picking one bank from sizes like 63, 0, 0, 0, 0 makes it hold 64.
TEST_F(CellCapsule, BankLayoutCellNamesTheLayoutTheBanksHave) {
    struct Case {
        std::vector<int> sizes;
        int layout;
    };
    const Case cases[] = {{{64}, 0}, {{63}, 1}, {{4, 4}, 1}, {{60, 4}, 1}, {{10, 0, 5}, 1}, {{0}, 1}};
    cmcCellObj sel = Cell(CT_Null, CL_Bank_SelBankFree);
    for (const Case& c : cases) {
        for (int b = 0; b < map::kBankCount; ++b)
            datSetBankSize(Image(), b, b < static_cast<int>(c.sizes.size()) ? c.sizes[static_cast<size_t>(b)] : 0);
        EXPECT_EQ(Run(sel).display, EditorLists().Text("GI_Sheet_Sel_Bank_SelBankFree", Flex0, c.layout))
            << c.sizes[0];
    }
    SetBanks({63});
    Pick(sel, Flex0, 0);
    EXPECT_EQ(datBankSize(Image(), 0), 64);
    EXPECT_EQ(Run(sel).display, EditorLists().Text("GI_Sheet_Sel_Bank_SelBankFree", Flex0, 0));
}

TEST_F(CellCapsule, BankLayoutThatWouldRemoveChannelsAsksFirst) {
    SetBanks({64});
    for (int n = 0; n < 64; ++n) SetChannel(n, 0);
    for (int n : {2, 8, 30}) SetChannel(n, 446100000 + n * 12500);
    cmcCellObj sel = Cell(CT_Null, CL_Bank_SelBankFree);
    const cmcEeprom before(main_.WorkingImage());

    // Picking the layout in use changes nothing and asks nothing.
    Pick(sel, Flex0, 0);
    EXPECT_TRUE(main_.WorkingImage().Equals(before));
    EXPECT_TRUE(test::Messages().messages().empty());

    // Free banks keep the first 8 channels: channels 8 and 30 would go. Cancel keeps the image.
    test::Messages().QueueAnswer(MB_Cancel);
    cmcCellRequest req = Pick(sel, Flex0, 1);
    ASSERT_EQ(test::Messages().messages().size(), 1u);
    const auto& m = test::Messages().messages()[0];
    EXPECT_EQ(m.icon, cmcMsgIcon::Warning);
    EXPECT_EQ(m.buttons, unsigned(MB_Ok | MB_Cancel));
    EXPECT_EQ(m.caption, GTex().FirstLine("GI_Sys_AppTitle"));
    EXPECT_NE(m.text.find("removed: 2 "), std::string::npos) << m.text;
    EXPECT_TRUE(main_.WorkingImage().Equals(before));
    EXPECT_EQ(req.display, EditorLists().Text("GI_Sheet_Sel_Bank_SelBankFree", Flex0, 0));

    // OK switches.
    test::Messages().QueueAnswer(MB_Ok);
    Pick(sel, Flex0, 1);
    EXPECT_EQ(datBankSize(Image(), 0), 4);
    EXPECT_EQ(datBankSize(Image(), 1), 4);
    // Back to one bank loses nothing and asks nothing.
    test::Messages().Clear();
    Pick(sel, Flex0, 0);
    EXPECT_EQ(datBankSize(Image(), 0), 64);
    EXPECT_TRUE(test::Messages().messages().empty());
}

TEST_F(CellCapsule, BankCountsOnARealImage) {
    SetBanks({4, 4, 2});
    for (int n = 0; n < 64; ++n) SetChannel(n, 0);
    for (int n : {0, 1, 5, 9, 20}) SetChannel(n, 446100000 + n * 12500);
    // Plenty of room in both zones: 64 - 10 more channels fit.
    uint8_t* w = Image();
    auto setWord = [w](int at, int v) {
        w[at] = static_cast<uint8_t>(v >> 8);
        w[at + 1] = static_cast<uint8_t>(v);
    };
    setWord(map::kZone1End, 0x0200);
    setWord(map::kPackedEnd, 0x1000);
    struct Case {
        int label, index;
        std::string text;
    } cases[] = {
        {CL_Mch_Bank, 0, "4"},        {CL_Mch_Bank, 2, "2"},          {CL_Mch_Bank, 3, "0"},
        {CL_Mch_Bank_Total, 0, "10"}, {CL_Mch_Bank_Left, 0, "54"},    {CL_Mch_UsedCHs, 0, "2"},
        {CL_Mch_UsedCHs, 1, "1"},     {CL_Mch_UsedCHs, 2, "1"},       {CL_Mch_UsedCHs_Total, 0, "4"},
        {CL_Mch_UsedCHs_Left, 0, "60"}, {CL_Bank_UsedQty, 1, "1"},    {CL_Bank_UsedTotal, 0, "10"},
        {CL_Bank_UsedLeft, 0, "54"},  {CL_Bank_SmarTrunk, 0, "Non"},  {CL_Misc_ChNo_0Base, 7, "7"},
        {CL_Misc_ChNo_1Base, 7, "8"},
    };
    for (const auto& c : cases) EXPECT_EQ(Show(CT_Null, c.label, c.index), c.text) << LabelName(c.label);

    // The capacity rule: 34 bytes per record below 0x1D80, and 46 bytes per channel below 0x7D80.
    setWord(map::kZone1End, map::kZone1Limit - 103);  // room for 3 records (102 < 103)
    EXPECT_EQ(Show(CT_Null, CL_Mch_Bank_Left), "3");
    EXPECT_EQ(Show(CT_Null, CL_Mch_UsedCHs_Left), "9");  // 3 + 10 - 4
    setWord(map::kZone1End, 0x0200);
    setWord(map::kPackedEnd, map::kZone2Limit - 46 * 5);  // exactly 5 channels with names
    EXPECT_EQ(Show(CT_Null, CL_Mch_Bank_Left), "5");
    setWord(map::kPackedEnd, map::kZone2Limit + 10);  // past its limit: nothing fits
    EXPECT_EQ(Show(CT_Null, CL_Mch_Bank_Left), "0");
    setWord(map::kZone1End, map::kZone1Limit + 2);
    setWord(map::kPackedEnd, 0x1000);
    EXPECT_EQ(Show(CT_Null, CL_Mch_Bank_Left), "0");
}

TEST_F(CellCapsule, SmarTrunkFlagsOfTheBanks) {
    Image()[map::kBankFlags] = 0x00;
    cmcCellObj bank2 = Cell(CT_Null, CL_Mch_SmarTrunk, 2);
    EXPECT_EQ(Run(bank2).display, EditorLists().Text("GI_Sheet_Sel_Misc_OnOff2", Flex0, 0));
    Run(bank2, CA_Space);
    EXPECT_EQ(Image()[map::kBankFlags], 0x20);
    EXPECT_FALSE(log_.Has(EVC_BankIcons));
    Deliver();
    EXPECT_TRUE(log_.Has(EVC_BankIcons));
    Run(bank2, CA_Backspace);
    EXPECT_EQ(Image()[map::kBankFlags], 0x00);
    cmcCellObj none = Cell(CT_Null, CL_Mch_SmarTrunk, 5);
    EXPECT_EQ(Run(none, CA_Space).display, "----");
    EXPECT_EQ(Image()[map::kBankFlags], 0x00);
}

TEST_F(CellCapsule, BankNamesAreEditedAndAnnouncedToTheTree) {
    cmcCellObj name = Cell(CT_BankOp, CL_Mch_BankText, 3);
    uint8_t opened = 0;
    Run(name, CA_Enter, true, &opened);
    EXPECT_EQ(opened, CER_Editor);
    // A name longer than the display is refused whole, never cut to another name.
    EXPECT_EQ(Type(name, "Depot North").refusal, "'Depot North' is longer than the 8 characters the display shows");
    EXPECT_EQ(std::string(reinterpret_cast<char*>(Image()) + 38557 + 8 * 3, 8), "        ");
    Type(name, "Depot No");
    EXPECT_EQ(std::string(reinterpret_cast<char*>(Image()) + 38557 + 8 * 3, 8), "Depot No");
    Deliver();
    const cmcEvent* e = log_.Find(EVC_BankRename);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->second, 3);
    EXPECT_EQ(e->data.Length(), 26);
    EXPECT_EQ(e->data.Text(), "Depot No");
    // Other banks' names are untouched.
    EXPECT_EQ(Show(CT_BankOp, CL_Mch_BankText, 3), "Depot No");
    // Cells of other sheets name the bank by their index too; a channel record is no bank name.
    EXPECT_EQ(Show(CT_Null, CL_Mch_BankText, 3), "Depot No");
    EXPECT_EQ(Show(CT_BankOp, CL_Mch_BankText, 5), "----");
    EXPECT_EQ(Show(CT_DTMF, CL_Mch_BankText, 3), "----");
    cmcCellObj other = Cell(CT_Null, CL_Mch_BankText, 0);
    Type(other, "Yard");
    EXPECT_EQ(Show(CT_BankOp, CL_Mch_BankText, 0), "Yard");
}

TEST_F(CellCapsule, QuarterPillarFillsTheLowestThreeTenths) {
    cmcCellObj cell = Cell(CT_Null, CL_Misc_QuarterPillar);
    cmcCellPaint paint;
    paint.left = 10;
    paint.top = 20;
    paint.right = 60;
    paint.bottom = 57;  // height 37: 11.1 rows are filled, truncated to 11
    cmcCellRequest req;
    req.cell = &cell;
    req.paint = &paint;
    capsule_.Execute(req, false);
    ASSERT_TRUE(paint.fillSet);
    EXPECT_EQ(paint.fillTop, 46);
    EXPECT_EQ(paint.fillBottom, 57);
    EXPECT_EQ(paint.fillLeft, 10);
    EXPECT_EQ(paint.fillRight, 60);
    EXPECT_EQ(paint.fillColor, 0x00808080u);
}

// ---- probes ----------------------------------------------------------------------------------------

// Probes run a cell with the bank of the probed index as row number and report its marks; the
// check cells collect them only for the digital PMR model.
TEST_F(CellCapsule, ProbesReportMarksAndUseTheBankOfTheIndex) {
    SetBanks({4, 4});
    static int seenRow;
    // A debugging label that no group claims stands for a probed cell.
    cmcCellTable& table = const_cast<cmcCellTable&>(cmcCellTable::Instance());
    ASSERT_EQ(table.Find(CL_EeDebugWin_F), nullptr);
    table.Set(CL_EeDebugWin_F, [](cmcCellCall& c) {
        seenRow = c.req.rowNumber;
        if (c.Index() == 6) c.Warn();
        if (c.Index() == 7) c.Fail();
    });
    EXPECT_EQ(capsule_.WarningOf(CT_Null, CL_EeDebugWin_F, 6), CRF_Warning);
    EXPECT_EQ(seenRow, 1);
    EXPECT_EQ(capsule_.ErrorOf(CT_Null, CL_EeDebugWin_F, 6), 0);
    EXPECT_EQ(capsule_.ErrorOf(CT_Null, CL_EeDebugWin_F, 7), CRF_Error);
    EXPECT_EQ(capsule_.WarningOf(CT_Null, CL_EeDebugWin_F, 2), 0);
    EXPECT_EQ(seenRow, 0);
    capsule_.WarningOf(CT_Null, CL_EeDebugWin_F, 30);
    EXPECT_EQ(seenRow, 5);  // beyond the channel total: no bank

    for (int label : {CL_Check_Mch, CL_Check_Msk_IdRange, CL_Check_Msk_OwnIdGroup, CL_Check_Msk_Config}) {
        cmcCellObj check = Cell(CT_Null, label);
        cmcCellRequest req;
        req.cell = &check;
        req.rowNumber = 0;
        capsule_.Execute(req, false);
        EXPECT_EQ(req.resultFlags & (CRF_Warning | CRF_Error), 0) << LabelName(label);  // not a digital PMR
    }
}

TEST_F(CellCapsule, InstalledAsTheDefaultHandler) {
    cmcInstallCellHandler();
    SetBanks({4, 4});
    cmcCellObj cell = Cell(CT_Null, CL_Mch_Bank_Total);
    cmcCellRequest req;
    req.cell = &cell;
    ASSERT_TRUE(cmcDefaultCellHandler());
    cmcDefaultCellHandler()(req);
    EXPECT_EQ(req.display, "8");
    cmcSetDefaultCellHandler(nullptr);
}

// ---- definitions -------------------------------------------------------------------------------------

TEST_F(CellCapsule, EveryKeyTheHandlerNamesIsInTheDefinitionFiles) {
    RegisterCellHandlerKeys();
    bool bankSheet = false;
    for (const auto& k : RequiredDefKeys()) bankSheet = bankSheet || k.key == "GI_Sheet_Mch_BankOp";
    EXPECT_TRUE(bankSheet);
    const auto problems = LintDefinitionFiles();
    for (const auto& p : problems) ADD_FAILURE() << FormatLintProblem(p);
}

}  // namespace
