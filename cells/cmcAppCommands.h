// The application seam of the cell handler: the commands of menu, tool bar and popup cells whose
// real work belongs to the main window or to later parts of the program (printing, opening files,
// cloning, help viewer, sheet switching, channel list operations). The core calls them through this
// interface; the main window installs its own implementation.
//
// Nothing here pretends to succeed: until an implementation is installed, every command (except the
// list operations, which are core) shows the
// message "GI_AppMess_NotAvailable" (with the command's name) through the message seam and returns
// false, and every state question answers "not possible".
//
//     class cuiMainCommands : public cmcAppCommands { bool PrintAllSheets() override {...} ... };
//     cuiMainCommands commands;
//     cmcScopedAppCommands use(&commands);     // or SetAppCommands(&commands) for the whole run
#pragma once

#include <string>

namespace qx {

struct cmcCellRequest;
struct cmcCellEnv;
class datCh;

class cmcAppCommands {
public:
    virtual ~cmcAppCommands() = default;

    // ---- file ----
    // New (a blank image of the model type), Open, Save and Save As, each after the questions the
    // main window asks (unsaved changes, file name).
    virtual bool FileNew() { return NotAvailable("New"); }
    virtual bool FileOpen() { return NotAvailable("Open"); }
    virtual bool FileSave() { return NotAvailable("Save"); }
    virtual bool FileSaveAs() { return NotAvailable("Save as"); }
    // Channel plans: 0 exports the channels as a CSV plan, 1 imports a plan after its preview,
    // 2 compares the image with a clone file.
    virtual bool ChannelPlan(int command) { return NotAvailable("Channel plan"); }
    virtual bool CanPrintCurrentSheet() { return false; }  // a sheet is shown and can be printed
    virtual bool PrintCurrentSheet() { return NotAvailable("Print"); }
    virtual bool PrintAllSheets() { return NotAvailable("Print all"); }
    // Exports the current sheet (or every sheet of the topic tree) as a PDF file, paged as printed.
    virtual bool ExportPdf(bool allSheets) { return NotAvailable("Export as PDF"); }
    // Opens entry `index` of the recent file list (after the unsaved-changes confirmation).
    virtual bool OpenRecentFile(int index) { return NotAvailable("Open recent file"); }
    virtual bool CloseMainWindow() { return NotAvailable("Exit"); }
    // Rebuilds the Edit menu from the current sheet cell's popup menu; `fillerKey` is the popup
    // menu shown when there is none. The default has no menu to rebuild and does nothing.
    virtual void RebuildEditMenu(const std::string& fillerKey) {}

    // ---- view ----
    // Applies the font size percentage already stored in the settings.
    virtual bool ApplyFontSize(int percent) { return NotAvailable("Font size"); }
    // Shows or hides the tool bar (the settings already hold the new state).
    virtual bool ShowToolBar(bool visible) { return NotAvailable("Tool bar"); }

    // ---- port and clone ----
    // The caption of numbered port entry `port` naming the device it stands for; empty keeps the
    // entry's own caption.
    virtual std::string PortEntryText(int port) { return {}; }
    virtual bool OpenPortDialog() { return NotAvailable("Port selection"); }
    virtual bool CloneRead() { return NotAvailable("Clone read"); }
    virtual bool CloneWrite() { return NotAvailable("Clone write"); }
    virtual bool CloneInformation() { return NotAvailable("Clone information"); }
    // The fleet windows: 0 writes several radios, 1 reads several radios, 2 shows the fleet log.
    virtual bool CloneFleet(int command) { return NotAvailable("Several radios"); }

    // ---- help ----
    // Opens the help file `path` at a context number (0: its contents).
    virtual bool OpenHelp(const std::string& path, int context) { return NotAvailable("Help"); }

    // ---- sheets ----
    // Shows the sheet named by a sheet reference ("[St_Style]Key,Parameter").
    virtual bool ShowSheet(const std::string& reference) { return NotAvailable("Show sheet"); }
    // The number of entries of the popup menu currently shown (for the "No item" filler).
    virtual int CurrentPopupItemCount() { return 1; }

    // ---- channel list operations (popup commands 75-81) ----
    // Runs popup command `command` on the rows of `req` within the list bounds first..last, with the
    // decoded record of the row; reloads the record before returning. Returns whether it ran. The
    // default runs the list operations (cmcListOps) in the cell call's environment `env` (its image
    // model's working image, texts, event manager and shown bank).
    virtual bool RunListCommand(const cmcCellEnv& env, int command, cmcCellRequest& req, datCh& record, int first,
                                int last);
    // Whether the clipboard holds records of this kind (the program-wide clipboard by default).
    virtual bool ClipboardHas(int kind);

    // ---- after edits ----
    // The deferred check 250 ms after an edit: repaint all views and run the warning check.
    virtual void RefreshAllViews() {}

protected:
    // Shows "GI_AppMess_NotAvailable" for the command `what` (error icon, caption "GI_Sys_AppTitle")
    // and returns false.
    static bool NotAvailable(const std::string& what);
};

// The commands in use: the installed implementation, or the default that refuses every command.
cmcAppCommands& AppCommands();
// Installs an implementation (not owned); null restores the default.
void SetAppCommands(cmcAppCommands* commands);

class cmcScopedAppCommands {
public:
    explicit cmcScopedAppCommands(cmcAppCommands* commands);
    ~cmcScopedAppCommands();
    cmcScopedAppCommands(const cmcScopedAppCommands&) = delete;
    cmcScopedAppCommands& operator=(const cmcScopedAppCommands&) = delete;

private:
    cmcAppCommands* previous_;
};

inline constexpr const char* kNotAvailableKey = "GI_AppMess_NotAvailable";

}  // namespace qx
