// The main window's object: it owns the image model (indMain, Model()) and hands it to its parts,
// and it holds the main window's panes, menu bar, tool bar, topic tree, status bar, the 50 ms tick,
// the application events, the clone commands with their cloning window, and the application
// commands that menus, the tool bar and sheets run through the cell handler. Its work is done by
// named parts:
//   - Sheets()    the sheet navigator (cuiSheetNavigator): the sheet shown, its history, the tree;
//   - Warnings()  the warning checker (cuiWarningChecker): check list, tree marks, one deferred timer;
//   - Files()     the file commands (cuiFileCommands): New, Open, Save, Save As, ConfirmDiscard;
//   - channel shifts of a bank join or leave go to datChannelJoinsBank / datChannelLeavesBank.
// The model tells the window what changed through an indMainListener (tree and model name, title,
// recent files); the cell handler reaches the commands through cmcAppCommands. Both are small
// adapters this object owns, so it derives from neither.
//
// Start-up order (app/main.cpp): the settings object, the two definition stores, the event
// manager, then this object (which creates its model, the program's indMain::Instance(), and opens
// the definition files), then the main form, which calls BuildWindow. One instance exists;
// Instance() finds it.
#pragma once

#include "app/cuiCloneWindow.h"
#include "app/cuiFileCommands.h"
#include "app/cuiSheetNavigator.h"
#include "app/cuiWarningChecker.h"
#include "cells/cmcAppCommands.h"
#include "comm/cmcTask.h"
#include "comm/cmcTick.h"
#include "comm/indCloneMan.h"
#include "defs/cmcCellRequest.h"
#include "app/cuiSheet.h"
#include "image/indMain.h"

#include <QIcon>
#include <QString>
#include <QPointer>

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

class cuiMain {
public:
    static constexpr int kTickMs = 50;
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
    virtual ~cuiMain();
    cuiMain(const cuiMain&) = delete;
    cuiMain& operator=(const cuiMain&) = delete;

    static cuiMain* Instance();

    // Builds the main window inside `form` and starts the tick; shows the form.
    virtual void BuildWindow(Frmmain* form, const std::vector<QIcon>* treeImages,
                             const std::vector<QIcon>* toolImages);

    // ---- the model and the parts ----
    // The image model: the images, model type, file state and undo history the window shows.
    indMain& Model() { return *model_; }
    const indMain& Model() const { return *model_; }
    cuiSheetNavigator& Sheets() { return sheets_; }
    cuiWarningChecker& Warnings() { return warnings_; }
    cuiFileCommands& Files() { return files_; }

    // ---- what the model's changes show ----
    // Rebuilds the topic tree and appends the model name to its root.
    void RefreshModelText();
    // The window caption: the program title and the file's name, marked when modified.
    void RefreshTitle();

    // The warning check (a model-specific main object may check more): see cuiWarningChecker.
    virtual void CountWarnings(int* errors = nullptr, int* warnings = nullptr);
    // The sheet object for a reference's style, in `host` (not built yet).
    virtual std::unique_ptr<cuiSheet> CreateSheet(QWidget* host, const std::string& reference);

    // ---- closing ----
    // The close request: the unsaved-changes question (false: stay open), then the window
    // position and the splitter go into the settings.
    bool CloseQuery();
    // The form is closing: stop the tick, delete the sheet and the tree, forget the window.
    void FormClosed();

    // ---- status bar ----
    void SetStatus(uint32_t textColour, uint32_t backColour, const std::string& text);
    const std::string& StatusText() const { return statusText_; }

    // ---- the tick: a closed sheet reappears ----
    void Tick();
    cmcTask* TickTask() const { return tick_.get(); }

    // ---- application commands (the menu, tool bar and sheet commands; see cmcAppCommands) ----
    bool FileNew() { return files_.New(); }
    bool FileOpen() { return files_.Open(); }
    bool FileSave() { return files_.Save(); }
    bool FileSaveAs() { return files_.SaveAs(); }
    bool OpenRecentFile(int index) { return files_.OpenRecent(index); }
    bool CloseMainWindow();
    void RebuildEditMenu(const std::string& fillerKey);
    bool ApplyFontSize(int percent);
    bool ShowToolBar(bool visible);
    std::string PortEntryText(int port);
    bool OpenPortDialog();
    bool CloneRead();
    bool CloneWrite();
    bool CloneInformation();
    // Clone ▸ Write to Several Radios (0), Read from Several Radios (1), Fleet Log (2): opens the
    // window, or raises it when it is open.
    bool CloneFleet(int command);
    QDialog* FleetWindow(int command) const;
    bool ShowSheet(const std::string& reference) { return sheets_.ShowSheet(reference); }
    int CurrentPopupItemCount() { return sheets_.CurrentPopupItemCount(); }
    void RefreshAllViews() { warnings_.RefreshAll(); }

    // ---- printing, PDF export and help (cuiMainPrinting.cpp) ----
    bool CanPrintCurrentSheet();
    bool PrintCurrentSheet();
    bool PrintAllSheets();
    // Asks for the PDF file's name, then exports as StartPrinting does.
    bool ExportPdf(bool allSheets);
    // Starts a print job of the current sheet or all sheets, to a printer or (`pdfPath` set) to a
    // PDF file; the tick prints one sheet at a time. False when nothing is printed.
    bool StartPrinting(bool allSheets, const std::string& pdfPath = "");
    cuiPrintJob* PrintJob() const { return printJob_.get(); }
    bool OpenHelp(const std::string& path, int context);

    // ---- channel plans (cuiChannelPlan.cpp) ----
    // 0 exports the channels as a CSV plan, 1 imports a plan after its preview, 2 compares the
    // image with a clone file.
    bool ChannelPlan(int command);
    // Writes the plan of the working image (false, with a message saying why, when it cannot).
    bool ExportChannelPlanFile(const QString& path);
    bool ImportChannelPlanFile(const QString& path);
    bool CompareWithFile(const QString& path);
    std::vector<std::string> TreeSheetReferences() const;
    // The preview or comparison window while one is open.
    QDialog* PlanWindow() const { return planWindow_; }

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
    const std::vector<QIcon>* TreeImages() const { return treeImages_; }

private:
    class ModelListener;
    class Commands;

    void OnEvent(const cmcEvent& e);
    void PrintTick();
    void ShowAboutBox();
    int TreeWidthNeeded() const;
    void AfterImageReplaced();

    // The model first: the parts below refer to it, and it goes last.
    std::unique_ptr<indMain> model_;
    std::unique_ptr<ModelListener> listener_;
    std::unique_ptr<Commands> commands_;
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
    std::unique_ptr<cuiCloneView> cloneView_;
    std::unique_ptr<indCloneMan> cloneMan_;
    std::unique_ptr<indCloneCommands> cloneCommands_;
    bool inactive_ = false;
    cmcTaskPtr tick_;
    uint32_t statusTextColour_;
    uint32_t statusBackColour_;
    std::string statusText_;
    std::unique_ptr<cuiPrintJob> printJob_;
    // The parts (after the members they refer to).
    cuiFileCommands files_;
    cuiWarningChecker warnings_;
    cuiSheetNavigator sheets_;
    QDialog* planWindow_ = nullptr;
    QPointer<QDialog> fleetWindows_[3];
};

}  // namespace qx
