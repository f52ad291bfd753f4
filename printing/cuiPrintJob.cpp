#include "printing/cuiPrintJob.h"

#include "app/cuiInformation.h"
#include "app/cuiTree.h"
#include "common/cmcMessage.h"
#include "common/cmcSafeFile.h"
#include "defs/cmcEvMan.h"
#include "common/cmcClock.h"
#include "defs/cmcGTex.h"
#include "image/indMain.h"
#include "printing/cmcPdfOutline.h"
#include "printing/cuiSheetPrinter.h"

#include <QBuffer>
#include <QCloseEvent>
#include <QDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QScreen>

#include <cmath>

namespace qx {

namespace {

std::string AppTitle() { return GTex().FirstLine("GI_Sys_AppTitle"); }

std::string FormatOne(std::string format, const std::string& value) {
    const size_t at = format.find("%s");
    if (at != std::string::npos) format.replace(at, 2, value);
    return format;
}

bool DefaultChooser(QPrinter& printer, QWidget* parent) {
    if (QPrinterInfo::availablePrinters().isEmpty()) {
        cmcShowMessage(AppTitle(), GTex().SectionText("GI_Sys_Printer_NoPrinter"), cmcMsgIcon::Error, MB_Ok);
        return false;
    }
    QPrintDialog dialog(&printer, parent);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
    return dialog.exec() == QDialog::Accepted;
}

cuiPrintJob::PrinterChooser& Chooser() {
    static cuiPrintJob::PrinterChooser chooser;
    return chooser;
}

}  // namespace

// ---- the printing dialog ----------------------------------------------------------------------

class cuiPrintingDialog : public QDialog {
public:
    cuiPrintingDialog(QWidget* owner, std::function<void()> cancel) : QDialog(owner), cancel_(std::move(cancel)) {
        setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
        setWindowTitle(QString::fromStdString(GTex().Line("GI_Sys_Printer_PrintingDialog", 0)));
        label_ = new QLabel(QString::fromStdString(GTex().Line("GI_Sys_Printer_PrintingDialog", 1)), this);
        label_->setTextFormat(Qt::PlainText);
        label_->adjustSize();
        button_ = new QPushButton(QString::fromStdString(GTex().Line("GI_Sys_Printer_PrintingDialog", 2)), this);
        button_->setDefault(true);
        button_->setAutoDefault(true);
        connect(button_, &QPushButton::clicked, this, [this] { reject(); });

        // The button is 1.2 label widths wide; the client area two label widths wide and three
        // times a label and a button high; the label sits two label heights down, the button one
        // and a half button heights above the bottom.
        const int lw = label_->width(), lh = label_->height();
        const int bw = std::max(static_cast<int>(std::lround(1.2 * lw)), button_->sizeHint().width());
        const int bh = button_->sizeHint().height();
        const int cw = 2 * lw, ch = 3 * (lh + bh);
        setFixedSize(cw, ch);
        label_->move((cw - lw) / 2, 2 * lh);
        button_->setGeometry((cw - bw) / 2, ch - static_cast<int>(std::lround(1.5 * bh)), bw, bh);

        QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
        const QRect wa = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
        move(cuiCenterOver(owner ? owner->frameGeometry() : wa, QSize(cw, ch), wa));
    }
    QPushButton* Button() const { return button_; }
    void reject() override {
        // Esc or the button: the job stops after the sheet being printed; the dialog stays until then.
        button_->setEnabled(false);
        if (cancel_) cancel_();
    }

protected:
    void closeEvent(QCloseEvent* e) override {
        e->ignore();
        reject();
    }

private:
    std::function<void()> cancel_;
    QLabel* label_ = nullptr;
    QPushButton* button_ = nullptr;
};

// ---- the job ----------------------------------------------------------------------------------

void cuiPrintJob::SetPrinterChooser(PrinterChooser chooser) { Chooser() = std::move(chooser); }

void cuiSetUpPdfPrinter(QPrinter& printer, const std::string& path) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(path));
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setFullPage(true);
    printer.setCreator(QString::fromStdString(AppTitle()));
}

struct cuiPdfDocument::Parts {
    QByteArray bytes;
    QBuffer buffer{&bytes};
    QPdfWriter writer{&buffer};
};

cuiPdfDocument::cuiPdfDocument() : parts_(std::make_unique<Parts>()) {
    parts_->buffer.open(QIODevice::WriteOnly);
    QPdfWriter& w = parts_->writer;
    // As cuiSetUpPdfPrinter: the resolution of a high-resolution printer, the whole paper.
    w.setResolution(QPrinter(QPrinter::HighResolution).resolution());
    w.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(0, 0, 0, 0)));
    w.setCreator(QString::fromStdString(AppTitle()));
}

cuiPdfDocument::~cuiPdfDocument() = default;
QPagedPaintDevice& cuiPdfDocument::Device() { return parts_->writer; }
void cuiPdfDocument::SetTitle(const std::string& title) { parts_->writer.setTitle(QString::fromStdString(title)); }
const QByteArray& cuiPdfDocument::Bytes() const { return parts_->bytes; }

std::unique_ptr<cuiPrintJob> cuiPrintJob::Start(QWidget* form, cuiPrintSheets sheets, bool all,
                                                const std::string& pdfPath) {
    // Drop-downs close and open editors commit, so that what is printed is what was typed.
    EvMan().Send(EVC_CloseDropDowns);
    if (sheets.current.empty()) return nullptr;

    std::unique_ptr<cuiPrintJob> job(new cuiPrintJob);
    if (!pdfPath.empty()) {
        job->pdf_ = std::make_unique<cuiPdfDocument>();
    } else {
        job->printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        const PrinterChooser& chooser = Chooser() ? Chooser() : PrinterChooser(DefaultChooser);
        if (!chooser(*job->printer_, form)) return nullptr;
        job->printer_->setCopyCount(1);
    }
    job->form_ = form;
    if (indMain* main = indMain::Instance()) job->info_ = cmcPrintInfoOf(*main, cmcWallSeconds());
    else job->info_ = cmcPrintInfo{};
    job->sheets_ = std::move(sheets);
    job->all_ = all;
    job->pdfPath_ = pdfPath;
    cuiPrintJob* self = job.get();
    job->dialog_ = new cuiPrintingDialog(form, [self] { self->Cancel(); });
    if (form) form->setEnabled(false);
    job->dialog_->setEnabled(true);
    job->dialog_->show();
    return job;
}

cuiPrintJob::~cuiPrintJob() {
    // A job ended before its last sheet (the program closes) is a cancelled one: no half PDF file.
    if (!done_) {
        cancel_ = true;
        Finish();
    }
}

int cuiPrintJob::Pages() const { return out_ ? out_->Pages() : 0; }
QDialog* cuiPrintJob::Dialog() const { return dialog_.data(); }
QPushButton* cuiPrintJob::CancelButton() const { return dialog_ ? dialog_->Button() : nullptr; }

void cuiPrintJob::Tick() {
    if (done_) return;
    if (!started_) {
        started_ = true;
        const std::string title = cmcPdfTitle(*info_);
        if (pdf_) pdf_->SetTitle(title);
        else printer_->setDocName(QString::fromStdString(title));
        painter_ = std::make_unique<QPainter>();
        QPagedPaintDevice& device = pdf_ ? pdf_->Device() : static_cast<QPagedPaintDevice&>(*printer_);
        if (!painter_->begin(&device)) {
            failed_ = true;
            const std::string name = pdf_ ? pdfPath_ : printer_->printerName().toStdString();
            cmcShowMessage(AppTitle(), FormatOne(GTex().SectionText("GI_AppMess_PrintOutputError"), name),
                           cmcMsgIcon::Error, MB_Ok);
            Finish();
            return;
        }
        out_ = std::make_unique<cuiSheetPrinter>(device, *painter_);
        if (ctx_) out_->SetContext(*ctx_);
        out_->cancelled = [this] { return cancel_; };
    }
    // The current sheet is one sheet, with or without a tree.
    const int count = all_ ? (sheets_.count ? sheets_.count() : 0) : 1;
    // First the pages are counted, one sheet per tick; the tick that counts the last sheet prints
    // the first one.
    if (counted_ < count && !cancel_) {
        const std::string reference = all_ ? sheets_.reference(counted_) : sheets_.current;
        if (!reference.empty()) totalPages_ += out_->CountPages(reference);
        if (++counted_ < count) return;
        out_->SetDocument(*info_, totalPages_);
    }
    if (counter_ < count && !cancel_) {
        const std::string reference = all_ ? sheets_.reference(counter_) : sheets_.current;
        if (!reference.empty()) out_->PrintSheet(reference);
    }
    ++counter_;
    if (all_ && counter_ < count) return;
    Finish();
}

void cuiPrintJob::Finish() {
    done_ = true;
    if (painter_ && painter_->isActive()) painter_->end();
    // The PDF file is written now, whole or not at all; a cancelled export or one without pages
    // leaves any file of that name as it was.
    if (pdf_ && !failed_ && !cancel_) {
        std::string error;
        if (Pages() == 0) {
            failed_ = true;
            cmcShowMessage(AppTitle(), GTex().SectionText("GI_AppMess_PrintNothing"), cmcMsgIcon::Error, MB_Ok);
        } else if (!cmcWriteFileSafely(pdfPath_, cuiPdfWithOutline(pdf_->Bytes(), out_->Sheets()), &error)) {
            failed_ = true;
            cmcShowMessage(AppTitle(),
                           FormatOne(GTex().SectionText("GI_AppMess_PrintOutputError"), pdfPath_) + "\n\n" + error,
                           cmcMsgIcon::Error, MB_Ok);
        } else {
            written_ = true;
        }
    }
    delete dialog_.data();
    if (form_) {
        form_->setEnabled(true);
        form_->raise();
        form_->activateWindow();
    }
    if (finished) {
        auto callback = std::move(finished);
        finished = nullptr;
        callback(*this);
    }
}

std::string cuiPdfWithOutline(const QByteArray& bytes, const std::vector<cuiPrintedSheet>& sheets) {
    std::string pdf(bytes.constData(), static_cast<size_t>(bytes.size()));
    std::vector<cmcPdfOutlineEntry> entries;
    for (const cuiPrintedSheet& sheet : sheets) {
        std::string title = cuiOutlineTitle(sheet.heading);
        if (title.empty()) title = cuiSheetRef::Split(sheet.reference).key;
        entries.push_back({title, sheet.firstPage});
    }
    // Without an outline the document is still whole: it is written as it is.
    cmcAddPdfOutline(pdf, entries);
    return pdf;
}

int cuiPrintSheetsNow(QPagedPaintDevice& device, const std::vector<std::string>& references, const cmcSheetContext& ctx,
                      const cmcPrintInfo& info, std::vector<int>* perSheet, std::vector<cuiPrintedSheet>* printed) {
    QPainter painter;
    if (!painter.begin(&device)) return -1;
    cuiSheetPrinter out(device, painter);
    out.SetContext(ctx);
    int total = 0;
    for (const std::string& reference : references)
        if (!reference.empty()) total += out.CountPages(reference);
    out.SetDocument(info, total);
    for (const std::string& reference : references) {
        const int pages = reference.empty() ? 0 : out.PrintSheet(reference);
        if (perSheet) perSheet->push_back(pages);
    }
    painter.end();
    if (printed) *printed = out.Sheets();
    return out.Pages();
}

}  // namespace qx
