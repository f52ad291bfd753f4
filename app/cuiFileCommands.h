// The file commands: New, Open, Save and Save As of the File menu, the recent files, and the
// unsaved-changes question (ConfirmDiscard) asked before the working image is replaced or the
// program closes. The image's file state itself lives in the main object (indMain): OpenCloneFile,
// GetDisplayName, SetFileName, NoteEdit, MarkSaved and MarkModified; this part adds the dialogs,
// the default directory and what the window does after a new image arrives.
//
//     cuiFileCommands files(main, [this] { AfterImageReplaced(); });
//     files.SetOwner(form);
//     if (files.ConfirmDiscard(false) == MB_Ok) ...
#pragma once

#include <functional>
#include <string>

class QWidget;

namespace qx {

class indMain;

class cuiFileCommands {
public:
    // `afterImageReplaced` runs after New and a successful open (the sheet and tree follow).
    cuiFileCommands(indMain& main, std::function<void()> afterImageReplaced);

    // The window that owns the dialogs.
    void SetOwner(QWidget* owner) { owner_ = owner; }

    // Asks before the working image is replaced or the program closes (only when modified):
    // "GI_Mess_Confirm_SaveChanges" with Save, Discard and Cancel. Save saves first (Save As for an
    // untitled image) and goes on only when the file was written. Returns MB_Ok or MB_Cancel.
    unsigned ConfirmDiscard(bool sameFile);

    bool New();       // a blank image of the model type, after the question
    bool Open();      // the file dialog, then OpenFile
    bool Save();      // Save As for an untitled image
    bool SaveAs();    // the file dialog (".QCF" added when no suffix is typed), then SaveFile
    bool OpenRecent(int index);
    // Opens a clone file after the question; the refusal's message is the loader's.
    bool OpenFile(const std::string& path);
    // Saves the working image; on success the file becomes the current one and heads the recent list.
    bool SaveFile(const std::string& path);

    // A clone file was opened or saved: its folder becomes the default and it heads the recent list.
    void NoteFileUsed(const std::string& path);

    // The display name without its folder ("Untitled" for a new image).
    std::string DisplayName() const;
    const std::string& DefaultDirectory() const { return defaultDir_; }

private:
    indMain& main_;
    std::function<void()> afterImageReplaced_;
    QWidget* owner_ = nullptr;
    std::string defaultDir_;
};

}  // namespace qx
