#include "image/indMain.h"

#include "common/cmcDataDir.h"
#include "common/cmcMessage.h"
#include "defs/cmcEvMan.h"
#include "defs/cmcGTex.h"
#include "image/cmcImageMap.h"
#include "image/cmcPackedMap.h"
#include "image/cmcQcfWriter.h"
#include "image/datCh.h"
#include "image/indFileChecks.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace qx {

namespace {

indMain* gInstance = nullptr;

int Be16(const uint8_t* p) { return (p[0] << 8) | p[1]; }

std::string AppTitle() { return GTex().FirstLine("GI_Sys_AppTitle"); }

std::string DirectoryOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// Replaces the first "%s" of a format with the text.
std::string FormatText(const std::string& format, const std::string& text) {
    size_t at = format.find("%s");
    if (at == std::string::npos) return format;
    return format.substr(0, at) + text + format.substr(at + 2);
}

}  // namespace

indMain::indMain(const std::string& dataDir, int imageSize) : dataDir_(dataDir), imageSize_(imageSize) {
    working_.Resize(imageSize_);
    working_.Fill(0);
    initial_.Assign(working_);
    InitProfile();
    // The first object is the program's; a second one (the other file of a comparison, a check
    // read) must not take its place, nor leave the program without one when it goes.
    if (!gInstance) gInstance = this;
}

indMain::~indMain() {
    if (gInstance == this) gInstance = nullptr;
}

indMain* indMain::Instance() { return gInstance; }

void indMain::NotifyModelTypeChanged() {
    if (listener_) listener_->ModelTypeChanged();
}

void indMain::NotifyTitleChanged() {
    if (listener_) listener_->TitleChanged();
}

void indMain::InitProfile() {
    lastEepromAddress_ = kEepromAreaEnd;
    headerModel_ = kQcfHeaderModel;
    headerExtra_ = kQcfHeaderExtra;
}

// ---------------- checks ----------------

bool indMain::IsImageInvalid(const cmcEeprom& image, int level) {
    if (image.GetSize() < map::kPackedStart || working_.GetSize() <= map::kMapRevision) return true;
    const uint8_t* d = image.Data();
    bool valid = Be16(d + map::kModelId) == map::kModelIdValue && d[map::kModelIdByte2] == 1 &&
                 working_.Data()[map::kMapRevision] == map::kMapRevisionValue;
    if (valid && level != 0) {
        const int end = Be16(d + map::kPackedEnd);
        valid = std::memcmp(d + map::kSignature, map::kMakerSignature, 8) == 0 &&
                Be16(d + map::kModelCode) == map::kModelCodeValue && end >= 8 && end <= image.GetSize() &&
                std::memcmp(d + end - 8, map::kMakerSignature, 8) == 0;
    }
    return !valid;
}

bool indMain::IsDataNewer(const cmcEeprom& image) {
    if (std::atoi(GTex().FirstLine("GI_Sys_LockoutNewerData").c_str()) == 0) return false;
    if (image.GetSize() < kImageSize) return false;
    if (image.Data()[map::kDataVersion] > 1) return true;
    // The data version as the packed area holds it.
    cmcEeprom unpacked(image);
    cmcPackedMap::Unpack(unpacked);
    return unpacked.Data()[map::kDataVersion] > 1;
}

bool indMain::CheckHeader(int model, int extra, int& errorCode) { return indCheckHeader(model, extra, errorCode); }

std::vector<cmcRange> indMain::GetRangeList(int kind) { return indRangeList(kind); }

// ---------------- model type ----------------

int indMain::ReadModelType(const cmcEeprom& image) const {
    if (!image.IsValidAddress(map::kModelFlags)) return kModelLmr;
    return ModelTypeOfFlags(image.Data()[map::kModelFlags]);
}

int indMain::ModelTypeOfFlags(uint8_t f) {
    if (f & 0x20) return kModelKorvPmr;
    if (f & 0x80) return kModelLmr;
    if (f & 0x40) return kModelPmr;
    if (f & 0x04) return kModelDPmr446;
    return kModelLmr;
}

std::string indMain::ModelName(int modelType) { return GTex().Line("GI_AppInd_Model", modelType); }

bool indMain::ChangeModel(int modelType, bool ask) {
    if (modelType == modelType_) return false;
    // The question is only worth asking when the image holds changes that would be lost.
    if (ask && modified_) {
        unsigned answer = cmcShowMessage(AppTitle(), GTex().SectionText("GI_AppMess_ChangeModel"), cmcMsgIcon::Warning,
                                         MB_Ok | MB_Cancel);
        if (answer != MB_Ok) return false;
    }
    modelType_ = modelType;
    ReloadInitialFile(modelType);
    ExpandTemplate(initial_);
    if (ask) {
        working_.Assign(initial_);
        PackImage(working_, false);
        saved_.Assign(working_);
        modified_ = false;
        NewHistory();
        SetFileName("");
    }
    NotifyModelTypeChanged();
    return true;
}

std::string indMain::InitialFilePath(int modelType) const {
    std::string dir = dataDir_.empty() ? cmcDataDir() : dataDir_;
    return dir + GTex().Line("GI_App_InitialFile", modelType);
}

void indMain::ReloadInitialFile(int modelType) {
    const std::string path = InitialFilePath(modelType);
    // The initial image comes from its file alone, whatever the previous model type left in it.
    initial_.Resize(imageSize_);
    cmcQcfFile file;
    indPrepareCloneFileReader(file, initial_);
    std::vector<cmcRange> ranges = GetRangeList(3);
    if (file.Load(path, ranges.data()) != 0) cmcFatal(FormatText("Cannot open '%s'.", path), kExitDefinitionFault);
}

void indMain::LoadStartImage(int modelType) {
    if (modelType < 0 || modelType >= kModelTypeCount) modelType = kModelLmr;
    modelType_ = modelType;
    ReloadInitialFile(modelType);
    ExpandTemplate(initial_);
    working_.Assign(initial_);
    PackImage(working_, false);
    saved_.Assign(working_);
    modified_ = false;
    NewHistory();
    fileName_.clear();
    NotifyTitleChanged();
}

// ---------------- packed map ----------------

void indMain::UnpackImage(cmcEeprom& image) { cmcPackedMap::Unpack(image); }
void indMain::ExpandTemplate(cmcEeprom& initial) { cmcPackedMap::Expand(initial); }
bool indMain::PackImage(cmcEeprom& image, bool withParams) { return cmcPackedMap::Pack(image, modelType_, withParams); }

bool indMain::NormaliseImage(cmcEeprom& image, int mode) {
    return cmcPackedMap::Normalise(image, initial_, modelType_, mode);
}

void indMain::AfterImageLoaded(cmcEeprom& image) {
    UnpackImage(image);
    ChangeModel(ReadModelType(image), false);
    NormaliseImage(image, 0);
    EvMan().Post(EVC_TreeBuilt);
}

int indMain::ChannelsInUse() const {
    if (working_.GetSize() < kImageSize) return 0;
    return datChannelsInUse(working_.Data());
}

// ---------------- file state ----------------

std::string indMain::GetDisplayName() const {
    if (!fileName_.empty()) return fileName_;
    return currentDir_ + "/Untitled";
}

void indMain::SetFileName(const std::string& path) {
    fileName_ = path;
    readFromRadio_ = false;
    readSerial_.clear();
    readTime_ = 0;
    NotifyTitleChanged();
}

void indMain::NoteRadioRead(const std::string& serial, int64_t when) {
    readFromRadio_ = true;
    readSerial_ = serial;
    readTime_ = when;
}

void indMain::NoteEdit() {
    if (!modified_ && working_.Differs(saved_)) MarkModified();
}

void indMain::MarkSaved() {
    saved_.Assign(working_);
    modified_ = false;
    // The saved image is the one of the history's position once the last action is recorded.
    CommitAction();
    history_.MarkSaved();
    NotifyTitleChanged();
}

void indMain::RestoreModifiedMark(bool modified) {
    modified_ = modified;
    NotifyTitleChanged();
}

void indMain::MarkModified() {
    modified_ = true;
    NotifyTitleChanged();
}

std::string indMain::SerialNumber() const {
    constexpr int kSerial = 37, kLength = 12;
    long groups[3] = {};
    const int widths[3] = {4, 2, 6};
    const uint8_t* at = ident_ + kSerial;
    for (int g = 0, i = 0; g < 3; ++g)
        for (int k = 0; k < widths[g]; ++k, ++i) {
            if (i >= kLength || !std::isxdigit(at[i])) return {};
            const int c = std::toupper(at[i]);
            groups[g] = groups[g] * 16 + (c <= '9' ? c - '0' : c - 'A' + 10);
        }
    char text[48];
    std::snprintf(text, sizeof text, "%04ld%02ld%05ld", groups[0], groups[1], groups[2]);
    return text;
}

// ---------------- undo history ----------------

void indMain::NewHistory() {
    history_.Reset(working_, !modified_);
    actionName_.clear();
}

void indMain::BeginAction(const std::string& name) {
    if (actionGroups_ > 0) return;
    if (history_.Pending(working_)) CommitAction();
    if (!name.empty()) actionName_ = name;
}

indMain::ActionGroup::ActionGroup(indMain& main, const std::string& name) : main_(main) {
    main_.BeginAction(name);
    ++main_.actionGroups_;
}

indMain::ActionGroup::~ActionGroup() {
    // A group that changed nothing in the end (a preview, a refused import) leaves no name behind
    // for the next action to inherit.
    if (--main_.actionGroups_ == 0 && !main_.history_.Pending(main_.working_)) main_.actionName_.clear();
}

bool indMain::CommitAction() {
    if (!history_.Pending(working_)) return false;
    const std::string name = actionName_.empty() ? GTex().Line("GI_AppInd_Undo", 4) : actionName_;
    if (!history_.Record(working_, name)) return false;
    actionName_.clear();
    return true;
}

bool indMain::Undo() {
    CommitAction();
    if (!history_.Undo(working_)) return false;
    modified_ = !history_.AtSaved();
    NotifyTitleChanged();
    return true;
}

bool indMain::Redo() {
    CommitAction();
    if (!history_.Redo(working_)) return false;
    modified_ = !history_.AtSaved();
    NotifyTitleChanged();
    return true;
}

bool indMain::CanUndo() const { return history_.CanUndo() || history_.Pending(working_); }
bool indMain::CanRedo() const { return !history_.Pending(working_) && history_.CanRedo(); }

std::string indMain::UndoText() const {
    if (!CanUndo()) return GTex().Line("GI_AppInd_Undo", 2);
    std::string name = history_.Pending(working_) ? actionName_ : history_.UndoName();
    if (name.empty()) name = GTex().Line("GI_AppInd_Undo", 4);
    return FormatText(GTex().Line("GI_AppInd_Undo", 0), name);
}

std::string indMain::RedoText() const {
    if (!CanRedo()) return GTex().Line("GI_AppInd_Undo", 3);
    return FormatText(GTex().Line("GI_AppInd_Undo", 1), history_.RedoName());
}

// ---------------- clone files ----------------

int indMain::LoadCloneFile(const std::string& path, cmcEeprom& scratch) {
    scratch.Assign(working_);
    scratch.Fill(0);
    cmcQcfFile file;
    indPrepareCloneFileReader(file, scratch);
    std::vector<cmcRange> ranges = GetRangeList(3);
    int code = file.Load(path);  // shows its own message
    if (code != 0) return code;
    if (IsImageInvalid(scratch, 0))
        code = QCF_Data;
    else if (IsDataNewer(scratch))
        code = QCF_Newer;
    else
        code = file.CheckCoverage(ranges.data());
    if (code != 0) cmcQcfFile::ShowError(code);
    return code;
}

int indMain::OpenCloneFile(const std::string& path) {
    cmcEeprom scratch;
    int code = LoadCloneFile(path, scratch);
    if (code != 0) return code;
    currentDir_ = DirectoryOf(path);
    SetFileName(path);
    if (listener_) listener_->CloneFileOpened(path);
    working_.Assign(scratch);
    AfterImageLoaded(working_);
    MarkSaved();
    NewHistory();
    EvMan().Post(EVC_TreeBuilt);
    return 0;
}

bool indMain::SaveCloneFile(const std::string& path) {
    cmcEeprom scratch(working_);
    BeforeCloneWrite(scratch);
    if (NormaliseImage(scratch, 2)) {
        cmcShowMessage(AppTitle(), GTex().SectionText("GI_AppMess_SaveErr_Overflow"), cmcMsgIcon::Error);
        return false;
    }
    cmcQcfWriter writer;
    writer.SetHeader(headerModel_, headerExtra_);
    writer.SetMapRevision(map::kMapRevisionValue);
    std::vector<cmcRange> ranges = GetRangeList(3);
    if (!writer.Write(path, scratch, ranges.data())) {
        cmcShowMessage(AppTitle(), FormatText(GTex().SectionText("GI_AppMess_SaveErr_Write"), writer.ErrorText()),
                       cmcMsgIcon::Error);
        return false;
    }
    return true;
}

// ---------------- clone communication ----------------

int indMain::CheckIdentification(int code, uint16_t word1, uint16_t word2, const uint8_t* data, int length) {
    if (code != 0) return code;
    if (word1 != IdentCode()) return 11;
    identWord1_ = word1;
    identWord2_ = word2;
    if (data == nullptr || length != kIdentSize || data[0] != kIdentSize) return 11;
    std::memcpy(ident_, data, kIdentSize);
    if (ident_[35] >= 7) return 14;
    return 0;
}

int indMain::IdentReadEnd() const {
    int value = 0;
    for (int i = 58; i <= 61; ++i) {
        int c = std::toupper(ident_[i]);
        int digit = (c >= '0' && c <= '9') ? c - '0' : (c >= 'A' && c <= 'F') ? c - 'A' + 10 : 0;
        value = value * 16 + digit;
    }
    return std::min(value | 0x0F, lastEepromAddress_);
}

std::vector<cmcRange> indMain::ReadRanges() {
    std::vector<cmcRange> ranges = GetRangeList(1);
    ranges[0].last = IdentReadEnd();
    return ranges;
}

int indMain::CheckReadImage(int code, const cmcEeprom& image) {
    if (code != 0) return code;
    if (IsImageInvalid(image, 1)) return 15;
    if (IsDataNewer(image)) return 16;
    return 0;
}

bool indMain::PrepareCloneWrite(cmcEeprom& scratch, std::vector<cmcRange>& ranges) {
    scratch.Assign(working_);
    ranges = GetRangeList(0);
    BeforeCloneWrite(scratch);
    if (NormaliseImage(scratch, 2)) return false;
    // The end of the 128-byte page that holds the end of the packed area, never past the EEPROM area.
    ranges[0].last = std::min(Be16(scratch.Data() + map::kPackedEnd) | 0x7F, lastEepromAddress_);
    scratch.SetByte(map::kMapRevision, ident_[35]);
    return true;
}

}  // namespace qx
