#include "app/cuiFileCommands.h"

#include "comm/indEnviron.h"
#include "common/cmcMessage.h"
#include "defs/cmcEvMan.h"
#include "defs/cmcGTex.h"
#include "image/indMain.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>

namespace qx {

namespace {

std::string AppTitle() { return GTex().Line("GI_Sys_AppTitle", 0); }

// Replaces the first "%s" of a format.
std::string FormatOne(std::string format, const std::string& value) {
    const size_t at = format.find("%s");
    if (at != std::string::npos) format.replace(at, 2, value);
    return format;
}

std::string BaseName(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

cuiFileCommands::cuiFileCommands(indMain& main, std::function<void()> afterImageReplaced)
    : main_(main), afterImageReplaced_(std::move(afterImageReplaced)) {
    // The default directory: the stored one, else the user's documents folder, else the current one.
    defaultDir_ = Environ().CurrentDirectory;
    if (defaultDir_.empty()) {
        const QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (!docs.isEmpty() && QDir(docs).exists()) defaultDir_ = docs.toStdString();
    }
    if (defaultDir_.empty()) defaultDir_ = QDir::currentPath().toStdString();
    main_.SetCurrentDirectory(defaultDir_);
}

std::string cuiFileCommands::DisplayName() const { return BaseName(main_.GetDisplayName()); }

unsigned cuiFileCommands::ConfirmDiscard([[maybe_unused]] bool sameFile) {
    // Drop-downs close and open in-place editors commit first, so that their edit counts.
    EvMan().Send(EVC_CloseDropDowns);
    if (!main_.IsModified()) return MB_Ok;
    // Save, Discard or Cancel. Save runs Save (Save As for an untitled image) and goes on only
    // when the file was written.
    const std::string text = FormatOne(GTex().SectionText("GI_Mess_Confirm_SaveChanges"), DisplayName());
    switch (cmcShowMessage(AppTitle(), text, cmcMsgIcon::Warning, MB_Save | MB_Discard | MB_Cancel)) {
    case MB_Save: return Save() ? MB_Ok : MB_Cancel;
    case MB_Discard: return MB_Ok;
    default: return MB_Cancel;
    }
}

void cuiFileCommands::NoteFileUsed(const std::string& path) {
    Environ().CurrentDirectory = main_.CurrentDirectory();
    Environ().Recent.AddToFront(path);
    defaultDir_ = main_.CurrentDirectory();
}

bool cuiFileCommands::OpenRecent(int index) {
    const std::string path = Environ().Recent.Entry(index);
    if (path.empty()) return false;
    return OpenFile(path);
}

bool cuiFileCommands::OpenFile(const std::string& path) {
    const bool sameFile = path == main_.GetDisplayName();
    if (ConfirmDiscard(sameFile) != MB_Ok) return false;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const int code = main_.OpenCloneFile(path);
    QApplication::restoreOverrideCursor();
    if (code != 0) return false;
    if (afterImageReplaced_) afterImageReplaced_();
    return true;
}

bool cuiFileCommands::SaveFile(const std::string& path) {
    EvMan().Send(EVC_CloseDropDowns);
    if (!main_.SaveCloneFile(path)) return false;
    main_.SetCurrentDirectory(QFileInfo(QString::fromStdString(path)).absolutePath().toStdString());
    main_.SetFileName(path);
    NoteFileUsed(path);
    main_.MarkSaved();
    return true;
}

bool cuiFileCommands::New() {
    if (ConfirmDiscard(false) != MB_Ok) return false;
    main_.LoadStartImage(main_.ModelType());
    if (afterImageReplaced_) afterImageReplaced_();
    return true;
}

bool cuiFileCommands::Open() {
    const QString path = QFileDialog::getOpenFileName(
        owner_, QString::fromStdString(GTex().Line("GI_AppInd_FileDialog", 0)), QString::fromStdString(defaultDir_),
        QString::fromStdString(GTex().Line("GI_AppInd_FileDialog", 2)));
    if (path.isEmpty()) return false;
    return OpenFile(path.toStdString());
}

bool cuiFileCommands::Save() {
    if (main_.FileName().empty()) return SaveAs();
    return SaveFile(main_.FileName());
}

bool cuiFileCommands::SaveAs() {
    const std::string suggested = main_.FileName().empty()
                                      ? defaultDir_ + "/" + indMain::ModelName(main_.ModelType()) + ".QCF"
                                      : main_.FileName();
    QString path = QFileDialog::getSaveFileName(
        owner_, QString::fromStdString(GTex().Line("GI_AppInd_FileDialog", 1)), QString::fromStdString(suggested),
        QString::fromStdString(GTex().Line("GI_AppInd_FileDialog", 2)));
    if (path.isEmpty()) return false;
    if (QFileInfo(path).suffix().isEmpty()) path += ".QCF";
    return SaveFile(path.toStdString());
}

}  // namespace qx
