// The main application object with its window: the model profile and images of indMain, plus the
// main window's panes, menu bar, tool bar, topic tree, current sheet with its position history,
// status bar, the 50 ms tick that drives deferred work, the application events, the clone
// commands with their cloning window, and the application commands that menus, the tool bar and
// sheets run through the cell handler.
//
// Start-up order (app/main.cpp): the settings object, the two definition stores, the event
// manager, then this object (which opens the definition files), then the main form, which calls
// BuildWindow. One instance exists; Instance() finds it.
#pragma once

#include "app/cuiCloneWindow.h"
#include "cells/cmcAppCommands.h"
#include "comm/cmcTask.h"
#include "comm/cmcTick.h"
#include "comm/indCloneMan.h"
#include "defs/cmcCellRequest.h"
#include "defs/cuiSheet.h"
#include "image/indMain.h"

#include <QIcon>
#include <QString>
#include <QPointer>

#include <list>
#include <memory>
#include <string>
#include <vector>

class QDialog;
class QFrame;
class QSplitter;
class QStatusBar;
class QToolBar;
class QWidget;

namespace qx {

class Frmmain;
class cuiMenu;
class cuiToolBar;
class cuiUndoMenu;
class cuiTree;
class cuiStatusPanel;
class cuiPrintJob;
struct cmcEvent;

// One entry of the sheet position history.
struct cuiSheetHistoryEntry {
    std::string name;
    cuiSheetPos pos;
};

class cuiMain : public indMain, public cmcAppCommands {
public:
    static constexpr int kTickMs = 50;
    static constexpr int kDeferredCheckMs = 250;
    static constexpr int kMinWidth = 400;
    static constexpr int kMinHeight = 200;
    static constexpr int kSplitterMin = 8;
    static constexpr uint32_t kDefaultSplitterV = 200;  // the settings' default tree width

    // Opens the definition files of `defsDir` (empty: the data folder), determines the
    // default directory, creates the clone manager with its checks and the tick task, registers
    // for events and becomes the application commands. `dataDir` is where the initial clone files
    // are (empty: the data folder); `port` replaces the serial port (tests).
    explicit cuiMain(const std::string& defsDir = "", const std::string& dataDir = "",
                     std::unique_ptr<cmcSerialPort> port = nullptr, int imageSize = kImageSize);
    ~cuiMain() override;

    static cuiMain* Instance();

    // Builds the main window inside `form` (slot 2) and starts the tick; shows the form.
    virtual void BuildWindow(Frmmain* form, const std::vector<QIcon>* treeImages,
                             const std::vector<QIcon>* toolImages);

    // ---- indMain hooks ----
    // Slot 3: rebuilds the topic tree and appends the model name to its root.
    void RefreshModelText() override;
    // The window caption: the program title and the file's name, marked when modified.
    void RefreshTitle() override;
    // A clone file was opened: its folder becomes the default and it heads the recent list.
    void OnCloneFileOpened(const std::string& path) override;

    // ---- warning check ----
    // Slot 9: runs the check list and the five bank checks, marks the tree, then posts events 32
    // and 29. Without a tree nothing is checked (both counts 0).
    virtual void CountWarnings(int* errors = nullptr, int* warnings = nullptr);
    // (Re)starts the 250 ms wait before the next warning check; the tick runs it.
    void ScheduleWarningCheck();
    bool WarningCheckPending() const { return deferredCheck_ != nullptr; }

    // ---- sheets ----
    // Opens the sheet named by a sheet reference in the right pane, remembering the current one.
    void OpenSheet(const std::string& reference);
    // Closes the current sheet; `remember` keeps its position in the history first.
    void CloseSheet(bool remember = true);
    // Slot 10: the sheet object for a reference's style, in `host` (not built yet).
    virtual std::unique_ptr<cuiSheet> CreateSheet(QWidget* host, const std::string& reference);
    cuiSheet* CurrentSheet() const { return sheet_.get(); }
    const std::list<cuiSheetHistoryEntry>& History() const { return history_; }
    // Activates a tree node's cell (Enter through the cell handler): opens the node's sheet.
    void ActivateNodeCell(cmcCellObj* cell);

    // ---- the unsaved-changes question ----
    // Asks before the working image is replaced (only when modified): "GI_Mess_Confirm_ReadFile"
    // when the same file is read again, else "GI_Mess_Confirm_WriteFile". Returns MB_Ok or
    // MB_Cancel.
    unsigned ConfirmDiscard(bool sameFile);

    // ---- closing ----
    // The close request: the unsaved-changes question (false: stay open), then the window
    // position and the splitter go into the settings.
    bool CloseQuery();
    // The form is closing: stop the tick, delete the sheet and the tree, forget the window.
    void FormClosed();

    // ---- status bar ----
    void SetStatus(uint32_t textColour, uint32_t backColour, const std::string& text);
    const std::string& StatusText() const { return statusText_; }

    // ---- the tick ----
    void Tick();
    cmcTask* TickTask() const { return tick_.get(); }

    // ---- application commands (the menu, tool bar and sheet commands) ----
    bool OpenRecentFile(int index) override;
    bool CloseMainWindow() override;
    void RebuildEditMenu(const std::string& fillerKey) override;
    bool ApplyFontSize(int percent) override;
    bool ShowToolBar(bool visible) override;
    bool OpenPortDialog() override;
    bool CloneRead() override;
    bool CloneWrite() override;
    bool CloneInformation() override;
    bool ShowSheet(const std::string& reference) override;
    int CurrentPopupItemCount() override;
    void RefreshAllViews() override;

    // ---- printing, PDF export and help (cuiMainPrinting.cpp) ----
    bool CanPrintCurrentSheet() override;
    bool PrintCurrentSheet() override;
    bool PrintAllSheets() override;
    // Asks for the PDF file's name, then exports as StartPrinting does.
    bool ExportPdf(bool allSheets) override;
    // Starts a print job of the current sheet or all sheets, to a printer or (`pdfPath` set) to a
    // PDF file; the tick prints one sheet at a time. False when nothing is printed.
    bool StartPrinting(bool allSheets, const std::string& pdfPath = "");
    cuiPrintJob* PrintJob() const { return printJob_.get(); }
    bool OpenHelp(const std::string& path, int context) override;

    // ---- channel plans (cuiChannelPlan.cpp) ----
    // 0 exports the channels as a CSV plan, 1 imports a plan after its preview, 2 compares the
    // image with a clone file.
    bool ChannelPlan(int command);
    bool ImportChannelPlanFile(const QString& path);
    bool CompareWithFile(const QString& path);
    std::vector<std::string> TreeSheetReferences() const;
    // The preview or comparison window while one is open.
    QDialog* PlanWindow() const { return planWindow_; }

    // File commands of the menu that need dialogs (new image, open, save, save as).
    bool FileNew();
    bool FileOpen();
    bool FileSave();
    bool FileSaveAs();
    bool OpenFile(const std::string& path);
    bool SaveFile(const std::string& path);

    // The cell handler of the main menu and the tool bar: the program's handler, plus the file
    // commands above and the device names on the numbered port entries.
    uint8_t MenuCellHandler(cmcCellRequest& req);
    // The port entries read the device list again at their next refresh.
    static void ForgetPortDevices();

    // ---- access ----
    Frmmain* Form() const { return form_; }
    cuiTree* Tree() const { return tree_.get(); }
    cuiMenu* Menu() const { return menu_.get(); }
    cuiUndoMenu* UndoMenu() const { return undoMenu_.get(); }
    cuiToolBar* ToolBar() const { return toolBar_; }
    QToolBar* ToolBarHost() const { return toolBarHost_; }
    QWidget* LeftPanel() const { return leftPanel_; }
    QWidget* RightPanel() const { return rightPanel_; }
    QSplitter* Splitter() const { return splitter_; }
    cuiStatusPanel* StatusPanel() const { return statusPanel_; }
    indCloneMan& CloneManager() { return *cloneMan_; }
    indCloneCommands& CloneCommands() { return *cloneCommands_; }
    cuiCloneView& CloneView() { return *cloneView_; }
    bool ApplicationInactive() const { return inactive_; }
    void SetApplicationInactive(bool inactive) { inactive_ = inactive; }
    const std::string& DefaultDirectory() const { return defaultDir_; }
    const std::vector<QIcon>* TreeImages() const { return treeImages_; }

    // Event 26 and 27 on an image: channel `pos` joins or leaves bank `bank`, the channel table of
    // the model's record kind shifting by one record (each slot keeps its own bank flag) and the
    // freed slot taking the blank record of `initial`. False when the values are out of range.
    static bool ChannelJoinsBank(cmcEeprom& working, const cmcEeprom& initial, int modelType, int bank, int pos);
    static bool ChannelLeavesBank(cmcEeprom& working, const cmcEeprom& initial, int modelType, int bank, int pos);

private:
    void OnEvent(const cmcEvent& e);
    void PrintTick();
    void OnTreeChange();
    void RememberSheet();
    void ShowAboutBox();
    int TreeWidthNeeded() const;
    void AfterImageReplaced();
    std::string DisplayFileName() const;

    Frmmain* form_ = nullptr;
    const std::vector<QIcon>* treeImages_ = nullptr;
    const std::vector<QIcon>* toolImages_ = nullptr;
    QWidget* leftPanel_ = nullptr;
    QWidget* rightPanel_ = nullptr;
    QSplitter* splitter_ = nullptr;
    QStatusBar* statusBar_ = nullptr;
    cuiStatusPanel* statusPanel_ = nullptr;
    std::unique_ptr<cuiMenu> menu_;
    std::unique_ptr<cuiUndoMenu> undoMenu_;
    cuiToolBar* toolBar_ = nullptr;
    QToolBar* toolBarHost_ = nullptr;
    std::unique_ptr<cuiTree> tree_;
    std::unique_ptr<cuiSheet> sheet_;
    std::list<cuiSheetHistoryEntry> history_;
    bool sheetHadFocus_ = false;
    bool activatingNode_ = false;  // a tree node's cell is being activated
    std::unique_ptr<cmcTick> deferredCheck_;
    std::unique_ptr<cuiCloneView> cloneView_;
    std::unique_ptr<indCloneMan> cloneMan_;
    std::unique_ptr<indCloneCommands> cloneCommands_;
    bool inactive_ = false;
    std::string defaultDir_;
    cmcTaskPtr tick_;
    uint32_t statusTextColour_;
    uint32_t statusBackColour_;
    std::string statusText_;
    cmcAppCommands* previousCommands_ = nullptr;
    std::unique_ptr<cuiPrintJob> printJob_;
    QDialog* planWindow_ = nullptr;
};

}  // namespace qx
