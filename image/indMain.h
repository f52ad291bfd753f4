// The main application object of this radio model: the model profile, the three images, the
// image checks, the adoption of loaded images, the change of model type, opening and saving clone
// files, and the preparation of a clone write. It holds no widgets: the program's main window,
// the command-line tool and the tests all use this same object. The main window owns one and hands
// it to its parts; it hears of changes that show on screen through an indMainListener.
//
// The definition stores (GTex) must be open before the object is used: it reads the initial file
// names, the model names, messages and "GI_Sys_LockoutNewerData" from them.
//
// Hooks for the clone communication (clone manager and clone commands):
//   IdentCode()              the identification word 1 a radio of this model answers with (0x6153);
//                            give it to the driver's SetIdent and the header model value.
//   CheckIdentification()    the identification hook: checks word 1 and the 80 bytes of
//                            identification data, stores them (Identification()); codes 0, 11, 14.
//   ReadRanges()             the ranges of a clone read: kind 1, ending at the read end address the
//                            identification data names.
//   CheckReadImage()         the read hook: IsImageInvalid at level 1, then IsDataNewer; codes 0,
//                            15, 16. On 0 the caller copies the image into WorkingImage(), calls
//                            AfterImageLoaded(WorkingImage()), MarkModified() and SetFileName("").
//   PrepareCloneWrite()      a normalised, packed scratch copy of the working image and the ranges
//                            to send: 0x0100 to the end of the 128-byte page holding the end of the
//                            packed area, byte 264 from the identification data.
//   GetRangeList()           range lists by kind (0 write, 1 read, other: the whole EEPROM area).
//   ChannelsInUse()          the count of channels 0-63 in use (clone write refuses at 0).
#pragma once

#include "image/cmcEeprom.h"
#include "image/cmcQcfFile.h"
#include "image/cmcUndoHistory.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qx {

// What a window showing the main object hears about: the changes that alter what it shows. The
// main object calls these after the change is made; without a listener nothing is called.
class indMainListener {
public:
    virtual ~indMainListener() = default;
    // The model type changed (or was set again at start): the tree and the model name follow it.
    virtual void ModelTypeChanged() = 0;
    // The file name or the modified state changed: the window caption follows it.
    virtual void TitleChanged() = 0;
    // A clone file was opened (its folder and the recent-file list belong to the settings).
    virtual void CloneFileOpened(const std::string& path) = 0;
};

class indMain {
public:
    static constexpr const char* kModelCode = "ZT5531K";
    static constexpr int kIdentSize = 80;
    static constexpr int kIdentModelFlags = 54;  // the radio's model flags in the identification data

    // Creates the working image (imageSize bytes, all 0), the initial image as its copy and an
    // empty saved image, then InitProfile. `dataDir` is the folder of the initial clone files,
    // ending with '/'; empty means the data folder (cmcDataDir). The first object made is the
    // program's, Instance(), until it goes; later ones (another file's image) are not.
    explicit indMain(const std::string& dataDir = "", int imageSize = kImageSize);
    virtual ~indMain();
    indMain(const indMain&) = delete;
    indMain& operator=(const indMain&) = delete;

    static indMain* Instance();

    // The listener told about changes that show (not owned; null: nobody is told).
    void SetListener(indMainListener* listener) { listener_ = listener; }
    indMainListener* Listener() const { return listener_; }

    // ---- virtual operations of the model profile (a model-specific main object overrides them) ----
    // The profile: last EEPROM address 0x7D7F, header model value 0x6153, header extra value 0.
    virtual void InitProfile();
    // The content check. Level 0: bytes 0-1 hold 0x6152, byte 2 is 1 and byte 264 of the
    // working image is 6. Other levels also: the maker signature at 256-263, 0x6153 at 266-267 and
    // the signature in the 8 bytes before the address at 274-275.
    virtual bool IsImageInvalid(const cmcEeprom& image, int level);
    // The newer-data check. While "GI_Sys_LockoutNewerData" is not 0: true when the data
    // version byte (39429) is above 1, either as the image holds it or as its packed data version
    // block unpacks (a clone file or a read image carries it in the packed area).
    virtual bool IsDataNewer(const cmcEeprom& image);
    // After an image was loaded: unpack, adopt the image's model type (without asking), normalise
    // (mode 0), and post EVC_TreeBuilt (the image was replaced: the tree and sheets rebuild).
    virtual void AfterImageLoaded(cmcEeprom& image);
    // Normalisation against the initial image of the current model type; modes 0, 1, 2.
    // Returns true when the packing of mode 1 or 2 overflowed.
    virtual bool NormaliseImage(cmcEeprom& image, int mode);
    // Before a clone write: a hook for model-specific preparation; does nothing here.
    virtual void BeforeCloneWrite(cmcEeprom& image) {}
    // Loads the initial clone file of the model type into the initial image (cleared
    // first). A refused or missing file ends the program after the loader's message and
    // "Cannot open '<path>'.".
    virtual void ReloadInitialFile(int modelType);
    // The clone file header check (0x6153 with extra value 0x0000 or 0x0100).
    virtual bool CheckHeader(int model, int extra, int& errorCode);
    // A new range list, terminated by a pair whose last is below its first.
    virtual std::vector<cmcRange> GetRangeList(int kind);

    // ---- model type ----
    int ModelType() const { return modelType_; }
    // The model flags byte (0x95D7): 0x20 gives 2, else 0x80 gives 0, else 0x40 gives 1, else 0x04
    // gives 3, else 0.
    int ReadModelType(const cmcEeprom& image) const;
    // The model type a model flags byte names (0x20 Korv PMR, else 0x80 LMR, else 0x40 PMR, else
    // 0x04 dPMR446, else LMR): the image's byte, or byte 54 of the radio's identification data.
    static int ModelTypeOfFlags(uint8_t flags);
    // Changes the model type. Asking shows "GI_AppMess_ChangeModel" (OK and Cancel) when the image
    // holds unsaved changes; anything but OK changes nothing. Then the initial file of the type is loaded and expanded; when asking, the
    // working image becomes the packed initial image, not modified and untitled. Returns whether
    // the model type changed.
    bool ChangeModel(int modelType, bool ask);
    // The name of a model type: line t of "GI_AppInd_Model".
    static std::string ModelName(int modelType);

    // The start image (the window-free steps of building the main window): model type t (outside
    // 0-3: 0), its initial file loaded and expanded, the working image a packed copy of it,
    // saved = working, not modified, untitled.
    void LoadStartImage(int modelType);

    // ---- packed map (on the current model type) ----
    void UnpackImage(cmcEeprom& image);
    void ExpandTemplate(cmcEeprom& initial);
    bool PackImage(cmcEeprom& image, bool withParams);

    // ---- images ----
    cmcEeprom& WorkingImage() { return working_; }
    cmcEeprom& InitialImage() { return initial_; }
    cmcEeprom& SavedImage() { return saved_; }
    const cmcEeprom& WorkingImage() const { return working_; }
    const cmcEeprom& InitialImage() const { return initial_; }
    int ImageSize() const { return imageSize_; }
    // Channels 0-63 of the working image in use.
    int ChannelsInUse() const;

    // ---- profile ----
    int LastEepromAddress() const { return lastEepromAddress_; }
    int HeaderModel() const { return headerModel_; }
    int HeaderExtra() const { return headerExtra_; }
    int IdentCode() const { return headerModel_; }

    // ---- file state ----
    const std::string& FileName() const { return fileName_; }
    const std::string& CurrentDirectory() const { return currentDir_; }
    void SetCurrentDirectory(const std::string& dir) { currentDir_ = dir; }
    // The file name, or the current directory followed by "/Untitled".
    std::string GetDisplayName() const;
    // Sets the file name; the data then comes from that file (or from nothing), no longer from a
    // radio read.
    void SetFileName(const std::string& path);
    // The data was read from a radio (after SetFileName("")): its serial number and when, in
    // seconds since 1970 (cmcWallSeconds). Printouts name it while the data has no file name.
    void NoteRadioRead(const std::string& serial, int64_t when);
    bool ReadFromRadio() const { return readFromRadio_; }
    const std::string& ReadSerial() const { return readSerial_; }
    int64_t ReadTime() const { return readTime_; }
    bool IsModified() const { return modified_; }
    // Marks the image modified when the working image differs from the saved image; once set, the
    // mark stays until MarkSaved.
    void NoteEdit();
    void MarkSaved();
    void MarkModified();
    // Puts the modified mark back to `modified` after edits that were undone (the image restored).
    void RestoreModifiedMark(bool modified);

    // ---- undo history ----
    // A new history starting at the working image (opening a file, a clone read, a new image, a
    // model change); the start counts as saved when the image is not modified.
    void NewHistory();
    // A user action begins: what the previous one changed becomes its step, and the changes from
    // now on are named `name` (the column or menu entry the action is on; empty keeps the name
    // already given, or the general one).
    void BeginAction(const std::string& name);
    // Records the changes since the last step as one step under the pending name; false when the
    // image has not changed.
    bool CommitAction();
    // Renames the user action in progress (an ActionGroup whose name depends on what it achieved,
    // such as "Power (6 channels)"); its step takes this name when it is recorded.
    void NameAction(const std::string& name) { actionName_ = name; }
    // Makes every edit until it ends one user action named `name`, whatever requests the edits
    // go through (an import sets many cells; each cell request would otherwise begin an action of
    // its own). Groups nest; the outermost one names the action.
    class ActionGroup {
    public:
        ActionGroup(indMain& main, const std::string& name);
        ~ActionGroup();
        ActionGroup(const ActionGroup&) = delete;
        ActionGroup& operator=(const ActionGroup&) = delete;

    private:
        indMain& main_;
    };
    // Undo and Redo record pending changes first, take one step and set the modified state from
    // the saved position (undoing back to the saved image makes it unmodified). False when there
    // was no step to take.
    bool Undo();
    bool Redo();
    // The menu texts of the next undo and redo ("Undo TX Frequency"); pending changes count as
    // the step Undo would take.
    std::string UndoText() const;
    std::string RedoText() const;
    bool CanUndo() const;
    bool CanRedo() const;
    const cmcUndoHistory& History() const { return history_; }

    // ---- clone files ----
    // Reads a clone file as the open command does, into `scratch` (a zero-filled image of the
    // working image's size): load without range list, then the content check (level 0, code 8),
    // the newer-data check (code 9) and the coverage of range list kind 3 (codes 7, 8). Every
    // refusal shows its one message. Returns 0 or the code 1-10.
    int LoadCloneFile(const std::string& path, cmcEeprom& scratch);
    // Opens a clone file into the working image (no confirmation asked): LoadCloneFile, then the
    // current directory and file name, the listener's CloneFileOpened, working := scratch, AfterImageLoaded,
    // MarkSaved and EVC_TreeBuilt. Returns 0, or the refusal's code with nothing changed.
    int OpenCloneFile(const std::string& path);
    // Saves the working image as a clone file: a copy is prepared as for a clone write
    // (BeforeCloneWrite, NormaliseImage mode 2) and the whole EEPROM area 0x0000-0x7D7F is written.
    // The working image is not changed. A failure shows its message; returns false then.
    bool SaveCloneFile(const std::string& path);

    // ---- clone communication ----
    // The identification hook. Keeps a nonzero code; word 1 other than IdentCode(), or data that is
    // not 80 bytes beginning with 80: 11; stores words and data; data byte 35 of 7 or more: 14.
    int CheckIdentification(int code, uint16_t word1, uint16_t word2, const uint8_t* data, int length);
    // The 80 bytes of identification data last stored (all 0 before any identification).
    const uint8_t* Identification() const { return ident_; }
    // The radio's serial number as the clone information shows it: the 12 hexadecimal characters
    // at offset 37 of the identification data in groups of 4, 2 and 6, as decimal numbers of 4, 2
    // and 5 digits. Empty when any of those characters is not hexadecimal.
    std::string SerialNumber() const;
    uint16_t IdentWord1() const { return identWord1_; }
    uint16_t IdentWord2() const { return identWord2_; }
    // The read end address: characters 58-61 of the identification data as hexadecimal digits
    // (upper-cased; any other character counts 0) with the low four bits set, held to the EEPROM area.
    int IdentReadEnd() const;
    std::vector<cmcRange> ReadRanges();
    // The read hook. Keeps a nonzero code; IsImageInvalid at level 1: 15; IsDataNewer: 16.
    int CheckReadImage(int code, const cmcEeprom& image);
    // Fills `scratch` and `ranges` for a clone write. False when the packing overflowed (nothing
    // must be sent then).
    bool PrepareCloneWrite(cmcEeprom& scratch, std::vector<cmcRange>& ranges);

protected:
    std::string InitialFilePath(int modelType) const;
    // Tell the listener, when there is one.
    void NotifyModelTypeChanged();
    void NotifyTitleChanged();

    indMainListener* listener_ = nullptr;

    std::string dataDir_;
    int imageSize_;
    int modelType_ = 0;
    int lastEepromAddress_ = 0;
    int headerModel_ = 0;
    int headerExtra_ = 0;
    cmcEeprom working_;
    cmcEeprom initial_;
    cmcEeprom saved_;
    std::string fileName_;
    std::string currentDir_;
    bool readFromRadio_ = false;
    std::string readSerial_;
    int64_t readTime_ = 0;
    bool modified_ = false;
    cmcUndoHistory history_;
    std::string actionName_;
    int actionGroups_ = 0;  // open ActionGroups: BeginAction does not split them
    uint16_t identWord1_ = 0;
    uint16_t identWord2_ = 0;
    uint8_t ident_[kIdentSize] = {};
};

}  // namespace qx
