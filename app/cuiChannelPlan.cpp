// File ▸ Export Channels…, Import Channels… and Compare with File…: thin windows over the channel
// plan functions of the core (cmcChannelPlan.h).
#include "app/cuiChannelPlan.h"

#include "app/Frmmain.h"
#include "app/cuiMain.h"
#include "app/cuiTree.h"
#include "common/cmcMessage.h"
#include "common/cmcSafeFile.h"
#include "defs/cmcEvMan.h"
#include "app/cuiSheet.h"
#include "app/cuiSheetPaint.h"
#include "image/indMain.h"

#include <QCheckBox>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace qx {

namespace {

constexpr const char* kCsvFilter = "Channel plans (*.csv);;All files (*)";

// The columns of the preview after Line, Channel and Bank: a plan field, or -1 for the tones
// written as one text.
const int kShownFields[] = {PC_Name, PC_Frequency, PC_Duplex, PC_Offset, -1, PC_Mode, PC_Skip, PC_Power};

// One preview cell of plan fields: the offset only where there is a shift.
QString Shown(const std::vector<std::string>& f, int field) {
    if (field < 0) return QString::fromStdString(PlanToneText(f));
    if (field == PC_Offset && (f[PC_Duplex].empty() || f[PC_Duplex] == "off")) return {};
    return QString::fromStdString(f[field]);
}

// An empty value in a before -> after pair.
QString OrNone(const QString& text) { return text.isEmpty() ? QStringLiteral("–") : text; }

}  // namespace

cuiPlanPreview::cuiPlanPreview(QWidget* parent, const QString& planFile, Check check)
    : QDialog(parent), planFile_(planFile), check_(std::move(check)) {
    setWindowTitle(tr("Import Channels"));
    resize(860, 520);
    auto* layout = new QVBoxLayout(this);
    summary_ = new QLabel(this);
    layout->addWidget(summary_);
    table_ = new QTableWidget(0, 3 + static_cast<int>(std::size(kShownFields)), this);
    const auto& columns = ChannelPlanColumns();
    QStringList heads = {tr("Line"), tr("Channel"), tr("Bank")};
    for (int f : kShownFields) heads << (f < 0 ? tr("Tones") : QString::fromStdString(columns[f]));
    table_->setHorizontalHeaderLabels(heads);
    table_->verticalHeader()->hide();
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    layout->addWidget(table_, 3);
    problemsLabel_ = new QLabel(this);
    layout->addWidget(problemsLabel_);
    problems_ = new QListWidget(this);
    layout->addWidget(problems_, 1);
    // Names longer than the display or with characters it lacks: shortened on request, each one
    // listed as a note.
    fitNames_ = new QCheckBox(tr("&Fit names to the display (upper case, 8 characters)"), this);
    layout->addWidget(fitNames_);
    connect(fitNames_, &QCheckBox::toggled, this, [this](bool on) { Show(check_(on)); });

    auto* buttons = new QDialogButtonBox(this);
    import_ = buttons->addButton(tr("Import"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        skipBad_ = problemsFound_;
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    Show(check_(false));
}

bool cuiPlanPreview::FitNames() const { return fitNames_->isChecked(); }

QListWidget* cuiPlanPreview::Problems() const { return problems_->count() ? problems_ : nullptr; }

void cuiPlanPreview::Show(const cmcPlanImport& preview) {
    const int changes = static_cast<int>(preview.changes.size());
    // Lines refused, not problems: a line may have several, and past the first hundred problems
    // are only counted. A refused header has problems but no refused line.
    const int lines = preview.refusedLines;
    problemsFound_ = preview.ProblemCount() > 0;
    const bool problems = problemsFound_;
    QString text = QFileInfo(planFile_).fileName() + ": " +
                   (changes == 1 ? tr("1 channel to set") : tr("%1 channels to set").arg(changes));
    if (lines) text += ", " + (lines == 1 ? tr("1 line with a problem") : tr("%1 lines with problems").arg(lines));
    else if (problems) text += ", " + tr("the header has a problem");
    summary_->setText(text);

    table_->setRowCount(changes);
    for (int r = 0; r < changes; ++r) {
        const cmcPlanChange& c = preview.changes[r];
        table_->setItem(r, 0, new QTableWidgetItem(QString::number(c.line)));
        // A channel that held nothing before is new, whether it joined its bank or filled a free place.
        const bool fresh = c.added || c.before.empty();
        table_->setItem(r, 1, new QTableWidgetItem(QString::number(c.channel + 1) + (fresh ? tr(" (new)") : "")));
        table_->setItem(r, 2, new QTableWidgetItem(QString::number(c.bank + 1)));
        int col = 3;
        for (int f : kShownFields) {
            const QString after = Shown(c.after, f);
            const QString before = c.before.empty() ? QString() : Shown(c.before, f);
            auto* item = new QTableWidgetItem(c.before.empty() || before == after ? after
                                                                                  : OrNone(before) + " → " + OrNone(after));
            if (!c.before.empty() && before != after) {
                QFont bold = item->font();
                bold.setBold(true);
                item->setFont(bold);
            }
            table_->setItem(r, col++, item);
        }
    }
    table_->resizeColumnsToContents();
    table_->horizontalHeader()->setStretchLastSection(true);

    problems_->clear();
    for (const cmcPlanProblem& n : preview.notes) problems_->addItem(tr("Note: ") + QString::fromStdString(n.Text()));
    for (const cmcPlanProblem& p : preview.problems) problems_->addItem(QString::fromStdString(p.Text()));
    if (preview.moreProblems) problems_->addItem(QString::fromStdString(preview.MoreProblemsText()));
    const bool any = problems_->count() > 0;
    problemsLabel_->setText(problems ? tr("Problems (nothing is imported unless these lines are skipped):")
                                     : tr("Notes:"));
    problemsLabel_->setVisible(any);
    problems_->setVisible(any);
    import_->setText(problems ? tr("Import, Skipping Lines with Problems") : tr("Import"));
    import_->setEnabled(changes > 0);
}

namespace {

// A line below its sheet's item: the line without the sheet's name ("1-2 / Name: GATE -> YARD").
QString LineInSheet(const cmcDiffLine& d) {
    const std::string text = d.Text();
    const std::string prefix = d.sheet + " / ";
    return QString::fromStdString(text.compare(0, prefix.size(), prefix) == 0 ? text.substr(prefix.size()) : text);
}

// What a changed cell's mark says in its tooltip.
QString MarkText(const cmcDiffLine& d, const QString& file) {
    switch (d.kind) {
    case cmcDiffKind::NewChannel:
        return QObject::tr("Compared with %1: a channel only %1 has (%2)").arg(file, QString::fromStdString(d.valueB));
    case cmcDiffKind::RemovedChannel:
        return QObject::tr("Compared with %1: a channel %1 does not have").arg(file);
    case cmcDiffKind::Cell: break;
    }
    return QObject::tr("Compared with %1: %2 -> %3")
        .arg(file, QString::fromStdString(d.valueA), QString::fromStdString(d.valueB));
}

constexpr int kLineRole = Qt::UserRole;  // the index of an item's line in Lines(), -1 for a sheet

}  // namespace

cuiPlanCompare::cuiPlanCompare(QWidget* parent, const QString& otherFile, Compute compute,
                               std::function<void(const cmcDiffLine&)> open, std::function<cuiSheet*()> currentSheet)
    : QDialog(parent), otherFile_(otherFile), compute_(std::move(compute)), currentSheet_(std::move(currentSheet)) {
    setWindowTitle(tr("Compare with %1").arg(QFileInfo(otherFile).fileName()));
    resize(820, 460);
    auto* layout = new QVBoxLayout(this);
    summary_ = new QLabel(this);
    summary_->setWordWrap(true);
    layout->addWidget(summary_);
    tree_ = new QTreeWidget(this);
    tree_->setHeaderHidden(true);
    tree_->setColumnCount(1);
    tree_->setUniformRowHeights(true);
    layout->addWidget(tree_);
    // A line opens its sheet at the cell; a sheet's item opens the sheet at its first line.
    connect(tree_, &QTreeWidget::currentItemChanged, this, [this, open](QTreeWidgetItem* item) {
        if (!item || !open) return;
        const cmcDiffLine* d = LineOf(item);
        if (!d && item->childCount() > 0) d = LineOf(item->child(0));
        if (d) open(*d);
    });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    // The list does not follow edits by itself: the user compares again after changing cells.
    again_ = buttons->addButton(tr("Compare &Again"), QDialogButtonBox::ActionRole);
    connect(again_, &QPushButton::clicked, this, [this] { Refresh(); });
    // The list as text, for a report or a message to a colleague.
    copy_ = buttons->addButton(tr("&Copy List"), QDialogButtonBox::ActionRole);
    connect(copy_, &QPushButton::clicked, this, [this] {
        QStringList text;
        for (const cmcDiffLine& d : lines_) text << QString::fromStdString(d.Text());
        QGuiApplication::clipboard()->setText(text.join('\n') + (text.isEmpty() ? "" : "\n"));
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

cuiPlanCompare::~cuiPlanCompare() { ClearMarks(); }

const cmcDiffLine* cuiPlanCompare::LineOf(const QTreeWidgetItem* item) const {
    if (!item) return nullptr;
    const int i = item->data(0, kLineRole).toInt();
    return i >= 0 && i < static_cast<int>(lines_.size()) ? &lines_[i] : nullptr;
}

bool cuiPlanCompare::Refresh() {
    std::vector<cmcDiffLine> lines;
    if (!compute_ || !compute_(&lines)) return false;  // the file could not be read: the list stays
    lines_ = std::move(lines);
    const QString file = QFileInfo(otherFile_).fileName();
    const std::vector<cmcDiffSheet> sheets = GroupDiffBySheet(lines_);
    const int n = static_cast<int>(lines_.size());
    const int s = static_cast<int>(sheets.size());
    const QString changes = n == 1 ? tr("1 change") : tr("%1 changes").arg(n);
    const QString where = s == 1 ? tr("on 1 sheet") : tr("on %1 sheets").arg(s);
    summary_->setText(n == 0 ? tr("This image and %1 show the same values in every cell.").arg(file)
                             : tr("%1 %2 (this image -> %3). Select a line to open its sheet at the cell; the "
                                  "changed cells of the sheet shown are marked while this window is open.")
                                   .arg(changes, where, file));
    copy_->setEnabled(!lines_.empty());
    const QSignalBlocker quiet(tree_);
    tree_->clear();
    for (const cmcDiffSheet& sheet : sheets) {
        const int count = static_cast<int>(sheet.lines.size());
        auto* top = new QTreeWidgetItem(tree_, {count == 1 ? tr("%1: 1 change").arg(QString::fromStdString(sheet.sheet))
                                                           : tr("%1: %2 changes").arg(QString::fromStdString(sheet.sheet)).arg(count)});
        top->setData(0, kLineRole, -1);
        QFont bold = top->font(0);
        bold.setBold(true);
        top->setFont(0, bold);
        for (const cmcDiffLine* d : sheet.lines) {
            auto* item = new QTreeWidgetItem(top, {LineInSheet(*d)});
            item->setData(0, kLineRole, static_cast<int>(d - lines_.data()));
            item->setToolTip(0, QString::fromStdString(d->Text()));
        }
    }
    tree_->expandAll();
    if (cuiSheet* sheet = currentSheet_ ? currentSheet_() : nullptr)
        MarkSheet(*sheet);
    else
        ClearMarks();
    return true;
}

void cuiPlanCompare::MarkSheet(cuiSheet& sheet) {
    if (marked_ && marked_ != &sheet) ClearMarks();
    const QString file = QFileInfo(otherFile_).fileName();
    cuiSheet::ChangeMarks marks;
    for (const cmcDiffLine& d : lines_) {
        if (d.sheetReference != sheet.Name()) continue;
        const std::string text = MarkText(d, file).toStdString();
        for (int col : d.cols) marks[{col, d.gridRow}] = text;
    }
    sheet.SetChangeMarks(std::move(marks));
    marked_ = &sheet;
}

void cuiPlanCompare::ClearMarks() {
    if (marked_) marked_->SetChangeMarks({});
    marked_ = nullptr;
}

void cuiPlanCompare::hideEvent(QHideEvent* e) {
    ClearMarks();
    QDialog::hideEvent(e);
}

// ---- the commands of the main window ----

std::vector<std::string> cuiMain::TreeSheetReferences() const {
    return tree_ ? tree_->SheetReferences() : std::vector<std::string>{};
}

bool cuiMain::ChannelPlan(int command) {
    EvMan().Send(EVC_CloseDropDowns);
    const QString dir = QString::fromStdString(files_.DefaultDirectory()) + "/";
    const QString base = model_->FileName().empty() ? QString::fromStdString(indMain::ModelName(model_->ModelType()))
                                                    : QFileInfo(QString::fromStdString(model_->FileName())).completeBaseName();
    if (command == 0) {
        QString path = QFileDialog::getSaveFileName(form_, QObject::tr("Export Channels"), dir + base + ".csv", kCsvFilter);
        if (path.isEmpty()) return false;
        if (QFileInfo(path).suffix().isEmpty()) path += ".csv";
        return ExportChannelPlanFile(path);
    }
    if (command == 1) {
        const QString path = QFileDialog::getOpenFileName(form_, QObject::tr("Import Channels"), dir, kCsvFilter);
        return path.isEmpty() ? false : ImportChannelPlanFile(path);
    }
    const QString path = QFileDialog::getOpenFileName(form_, QObject::tr("Compare with File"), dir,
                                                      "Clone files (*.qcf *.QCF);;All files (*)");
    return path.isEmpty() ? false : CompareWithFile(path);
}

bool cuiMain::ExportChannelPlanFile(const QString& path) {
    // Written whole or not at all; a failure keeps the old plan and says why.
    std::string error;
    if (!cmcWriteFileSafely(path.toStdString(), ExportChannelPlan(*model_), &error)) {
        cmcShowMessage(QObject::tr("Export Channels").toStdString(), error, cmcMsgIcon::Error);
        return false;
    }
    SetStatus(clWindowText, clBtnFace, QObject::tr("Channels exported to %1.").arg(path).toStdString());
    return true;
}

bool cuiMain::ImportChannelPlanFile(const QString& path) {
    std::string csv, why;
    if (!ReadChannelPlanFile(path.toStdString(), &csv, &why)) {
        QMessageBox::warning(form_, QObject::tr("Import Channels"), QString::fromStdString(why) + ".");
        return false;
    }
    cuiPlanPreview dialog(form_, path, [this, &csv](bool fitNames) {
        return qx::ImportChannelPlan(*model_, csv, {.apply = false, .fitNames = fitNames});
    });
    planWindow_ = &dialog;
    const int answer = dialog.exec();
    planWindow_ = nullptr;
    if (answer != QDialog::Accepted) return false;
    const indMain::ActionGroup action(*model_, QObject::tr("Import Channels").toStdString());
    const cmcPlanImport done =
        qx::ImportChannelPlan(*model_, csv, {.skipBad = dialog.SkipBad(), .fitNames = dialog.FitNames()});
    if (!done.applied) return false;
    // Bank counts may have changed: the tree's bank nodes and the open sheet follow.
    EvMan().Post(EVC_BankIcons);
    const std::string shown = sheets_.Current() ? sheets_.Current()->Name() : std::string();
    if (!shown.empty()) {
        sheets_.CloseSheet(false);
        sheets_.OpenSheet(shown);
    }
    RefreshAllViews();
    RefreshTitle();
    const int n = static_cast<int>(done.changes.size());
    const QString file = QFileInfo(path).fileName();
    SetStatus(clWindowText, clBtnFace,
              (n == 1 ? QObject::tr("1 channel imported from %1.").arg(file)
                      : QObject::tr("%1 channels imported from %2.").arg(n).arg(file))
                  .toStdString());
    return true;
}

bool cuiMain::CompareWithFile(const QString& path) {
    // Reads the file and compares it with the image; false (the reader or a message has said why)
    // when it cannot be read or holds another model type.
    auto compute = [this, path](std::vector<cmcDiffLine>* lines) {
        indMain other;
        other.LoadStartImage(model_->ModelType());
        if (other.OpenCloneFile(path.toStdString()) != 0) return false;
        if (other.ModelType() != model_->ModelType()) {
            QMessageBox::information(form_, QObject::tr("Compare with File"),
                                     QObject::tr("%1 holds another model type (%2); there is nothing to compare.")
                                         .arg(QFileInfo(path).fileName(),
                                              QString::fromStdString(indMain::ModelName(other.ModelType()))));
            return false;
        }
        *lines = DiffImages(*model_, other, TreeSheetReferences());
        return true;
    };
    auto* dialog = new cuiPlanCompare(
        form_, path, compute,
        [this](const cmcDiffLine& d) {
            ShowSheet(d.sheetReference);
            // ShowSheet opens the sheet once the caller has returned; the cell is selected after that.
            QTimer::singleShot(0, form_, [this, d] {
                if (cuiSheet* sh = sheets_.Current(); sh && sh->Name() == d.sheetReference) sh->SelectCell(d.col, d.gridRow);
            });
        },
        [this] { return sheets_.Current(); });
    if (!dialog->Refresh()) {
        delete dialog;
        return false;
    }
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    planWindow_ = dialog;
    QObject::connect(dialog, &QObject::destroyed, form_, [this] { planWindow_ = nullptr; });
    dialog->show();
    return true;
}

}  // namespace qx
