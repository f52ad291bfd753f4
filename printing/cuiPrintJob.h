// A print job: the current sheet or every sheet of the topic tree, to a printer or to a PDF file.
// The job is stepped by the main window's tick, one sheet per tick, while a small dialog offers a
// Cancel button; the main window is disabled meanwhile. The job first counts the pages of every
// sheet (one sheet per tick, for the footer's "Page n of m"), then prints them. Cancel stops after
// the sheet being printed: the remaining sheets are passed over one per tick, then the document
// is closed. A PDF export gets a title and an outline entry per sheet printed.
//
//     auto job = cuiPrintJob::Start(form, sheets, /*all*/ true, "");   // asks for the printer
//     ... every tick: if (job) { job->Tick(); if (job->Done()) job.reset(); }
#pragma once

#include "defs/cmcSheetBuilder.h"
#include "printing/cmcPrintInfo.h"

#include <QPointer>

#include <functional>
#include <memory>
#include <optional>
#include <string>

class QDialog;
class QLabel;
class QPagedPaintDevice;
class QPainter;
class QPrinter;
class QPushButton;
class QWidget;
class QByteArray;

namespace qx {

class cuiPdfDocument;
class cuiSheetPrinter;
struct cuiPrintedSheet;

// The sheets a job may print: the topic tree's nodes and the sheet shown.
struct cuiPrintSheets {
    std::function<int()> count;                 // number of tree nodes
    std::function<std::string(int)> reference;  // the sheet reference of node i ("" for none)
    std::string current;                        // the sheet shown
};

// The printing dialog: caption, label and button from "GI_Sys_Printer_PrintingDialog".
class cuiPrintingDialog;

class cuiPrintJob {
public:
    // Chooses and sets up the printer; false when there is none or the user cancels. The default
    // shows "GI_Sys_Printer_NoPrinter" when the system has no printer, else the print dialog.
    using PrinterChooser = std::function<bool(QPrinter& printer, QWidget* parent)>;
    static void SetPrinterChooser(PrinterChooser chooser);  // null restores the default

    // Starts a job over `sheets` (`all`: every node, else the current sheet), to a printer or,
    // when `pdfPath` is set, to that PDF file. Returns null when nothing is to be printed (no sheet
    // shown, no printer, dialog cancelled).
    static std::unique_ptr<cuiPrintJob> Start(QWidget* form, cuiPrintSheets sheets, bool all,
                                              const std::string& pdfPath = "");
    ~cuiPrintJob();

    // Prints the next sheet; ends the job after the last one (or after a cancel).
    void Tick();
    bool Done() const { return done_; }
    void Cancel() { cancel_ = true; }
    bool Cancelled() const { return cancel_; }
    // Pages printed so far; whether the output could not be opened or written (a message was shown).
    int Pages() const;
    bool Failed() const { return failed_; }
    // A PDF export writes its file when the job ends: whole, and only when the job was not
    // cancelled and printed pages. Whether it did.
    bool Written() const { return written_; }
    const std::string& PdfPath() const { return pdfPath_; }
    QDialog* Dialog() const;
    QPushButton* CancelButton() const;
    // The model type and image printed (default: the program's).
    void SetContext(const cmcSheetContext& ctx) { ctx_ = ctx; }
    // What the footer and the PDF title say about the data (default: the program's data, printed now).
    void SetInfo(const cmcPrintInfo& info) { info_ = info; }
    // Called once when the job has ended.
    std::function<void(cuiPrintJob&)> finished;

private:
    cuiPrintJob() = default;
    void Finish();

    QPointer<QWidget> form_;
    cuiPrintSheets sheets_;
    bool all_ = false;
    std::string pdfPath_;
    std::unique_ptr<QPrinter> printer_;       // to a printer
    std::unique_ptr<cuiPdfDocument> pdf_;      // to the PDF file pdfPath_
    std::unique_ptr<QPainter> painter_;
    std::unique_ptr<cuiSheetPrinter> out_;
    QPointer<cuiPrintingDialog> dialog_;  // a child of the form: gone with it
    std::optional<cmcSheetContext> ctx_;
    std::optional<cmcPrintInfo> info_;
    int counted_ = 0;      // sheets whose pages are counted
    int totalPages_ = 0;
    int counter_ = 0;
    bool started_ = false;
    bool cancel_ = false;
    bool done_ = false;
    bool failed_ = false;
    bool written_ = false;
};

// A PDF printer: A4 landscape, high resolution, the whole paper (the margins are the program's).
void cuiSetUpPdfPrinter(QPrinter& printer, const std::string& path);

// A PDF document built in memory with the same page set-up; PDF files are written from it only
// once it is complete (cmcWriteFileSafely), so a full disk never leaves half a PDF behind.
class cuiPdfDocument {
public:
    cuiPdfDocument();
    ~cuiPdfDocument();
    QPagedPaintDevice& Device();
    // The document's title (before painting starts).
    void SetTitle(const std::string& title);
    // The document's bytes; complete once the painter on Device() has ended.
    const QByteArray& Bytes() const;

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

// The document's bytes with an outline entry per sheet that gave pages (its heading, else its
// reference); the bytes as they are when the outline cannot be added.
std::string cuiPdfWithOutline(const QByteArray& bytes, const std::vector<cuiPrintedSheet>& sheets);

// Prints the sheets given by their references into `device` at once (no dialog, no tick): the
// command-line tool's print. The pages are counted first for the footer, which names `info`.
// Returns the pages printed, or -1 when the output cannot be opened; `perSheet` receives the pages
// of each reference, `printed` the sheets that gave pages.
int cuiPrintSheetsNow(QPagedPaintDevice& device, const std::vector<std::string>& references, const cmcSheetContext& ctx,
                      const cmcPrintInfo& info, std::vector<int>* perSheet = nullptr,
                      std::vector<cuiPrintedSheet>* printed = nullptr);

}  // namespace qx
