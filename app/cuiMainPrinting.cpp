// The main window's printing, PDF export and help commands: print jobs over the topic tree's
// sheets, stepped by the tick, and the help window.
#include "app/Frmmain.h"
#include "app/cuiHelpWindow.h"
#include "app/cuiMain.h"
#include "app/cuiTree.h"
#include "common/cmcClock.h"
#include "defs/cmcEvMan.h"
#include "defs/cmcGTex.h"
#include "app/cuiSheetPaint.h"
#include "printing/cmcPrintInfo.h"
#include "printing/cuiPrintJob.h"

#include <QFileDialog>
#include <QFileInfo>

namespace qx {

bool cuiMain::CanPrintCurrentSheet() {
    cuiSheet* sheet = sheets_.Current();
    return sheet && !printJob_ && sheet->Printable();
}

bool cuiMain::PrintCurrentSheet() { return StartPrinting(false); }

bool cuiMain::PrintAllSheets() { return StartPrinting(true); }

bool cuiMain::ExportPdf(bool allSheets) {
    if (!sheets_.Current() || printJob_) return false;
    EvMan().Send(EVC_CloseDropDowns);
    QString suggested = QString::fromStdString(files_.DefaultDirectory()) + "/";
    suggested += model_->FileName().empty() ? QString::fromStdString(indMain::ModelName(model_->ModelType()))
                                            : QFileInfo(QString::fromStdString(model_->FileName())).completeBaseName();
    suggested += ".pdf";
    QString path = QFileDialog::getSaveFileName(form_, QString::fromStdString(GTex().Line("GI_AppInd_PdfDialog", 0)),
                                                suggested, QString::fromStdString(GTex().Line("GI_AppInd_PdfDialog", 1)));
    if (path.isEmpty()) return false;
    if (QFileInfo(path).suffix().isEmpty()) path += ".pdf";
    return StartPrinting(allSheets, path.toStdString());
}

bool cuiMain::StartPrinting(bool allSheets, const std::string& pdfPath) {
    if (printJob_) return false;
    cuiPrintSheets sheets;
    sheets.current = sheets_.Current() ? sheets_.Current()->Name() : std::string();
    sheets.count = [this] { return tree_ ? tree_->NodeCount() : 0; };
    sheets.reference = [this](int i) -> std::string {
        const cmcCellObj* cell = tree_ ? cuiTree::CellOf(tree_->NodeAt(i)) : nullptr;
        return cell && cell->name ? *cell->name : std::string();
    };
    printJob_ = cuiPrintJob::Start(form_, std::move(sheets), allSheets, pdfPath);
    if (!printJob_) return false;
    // The footers name this window's data: its file, or the radio it was read from.
    const indMain& data = *model_;
    printJob_->SetInfo(cmcPrintInfoOf(data, cmcWallSeconds()));
    printJob_->finished = [this](cuiPrintJob& job) {
        if (job.PdfPath().empty() || !job.Written()) return;
        // "Exported %d pages to %s."
        std::string text = GTex().Line("GI_AppInd_PdfDialog", 2);
        size_t at = text.find("%d");
        if (at != std::string::npos) text.replace(at, 2, std::to_string(job.Pages()));
        at = text.find("%s");
        if (at != std::string::npos) text.replace(at, 2, job.PdfPath());
        SetStatus(clWindowText, clBtnFace, text);
    };
    return true;
}

void cuiMain::PrintTick() {
    if (!printJob_) return;
    printJob_->Tick();
    if (printJob_->Done()) printJob_.reset();
}

bool cuiMain::OpenHelp(const std::string& path, int context) {
    return cuiHelpWindow::Open(form_, path, context) != nullptr;
}

}  // namespace qx
