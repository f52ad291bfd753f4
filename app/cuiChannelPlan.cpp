// File ▸ Export Channels…, Import Channels… and Compare with File…: thin windows over the channel
// plan functions of the core (cmcChannelPlan.h).
#include "app/cuiChannelPlan.h"

#include "app/Frmmain.h"
#include "app/cuiMain.h"
#include "app/cuiTree.h"
#include "defs/cmcEvMan.h"
#include "defs/cuiSheetPaint.h"
#include "image/indMain.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace qx {

namespace {

constexpr const char* kCsvFilter = "Channel plans (*.csv);;All files (*)";

// The columns of the preview: where the channel goes, then the plan fields that matter.
const int kShownFields[] = {1, 2, 3, 4, 5, 12, 14, 15};

}  // namespace

cuiPlanPreview::cuiPlanPreview(QWidget* parent, const QString& planFile, const cmcPlanImport& preview)
    : QDialog(parent) {
    setWindowTitle(tr("Import Channels"));
    resize(860, 520);
    auto* layout = new QVBoxLayout(this);
    const int changes = static_cast<int>(preview.changes.size());
    const int problems = static_cast<int>(preview.problems.size());
    auto* summary = new QLabel(tr("%1: %n channel(s) to set", nullptr, changes).arg(QFileInfo(planFile).fileName()) +
                               (problems ? tr(", %n problem(s)", nullptr, problems) : QString()));
    layout->addWidget(summary);

    const auto& columns = ChannelPlanColumns();
    table_ = new QTableWidget(changes, 3 + static_cast<int>(std::size(kShownFields)), this);
    QStringList heads = {tr("Line"), tr("Channel"), tr("Bank")};
    for (int f : kShownFields) heads << QString::fromStdString(columns[f]);
    table_->setHorizontalHeaderLabels(heads);
    table_->verticalHeader()->hide();
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    for (int r = 0; r < changes; ++r) {
        const cmcPlanChange& c = preview.changes[r];
        table_->setItem(r, 0, new QTableWidgetItem(QString::number(c.line)));
        table_->setItem(r, 1, new QTableWidgetItem(QString::number(c.channel + 1) + (c.added ? tr(" (new)") : "")));
        table_->setItem(r, 2, new QTableWidgetItem(QString::number(c.bank + 1)));
        int col = 3;
        for (int f : kShownFields) {
            const QString after = QString::fromStdString(c.after[f]);
            const QString before = c.before.empty() ? QString() : QString::fromStdString(c.before[f]);
            auto* item = new QTableWidgetItem(c.before.empty() || before == after ? after : before + " → " + after);
            if (!c.before.empty() && before != after) {
                QFont bold = item->font();
                bold.setBold(true);
                item->setFont(bold);
            }
            table_->setItem(r, col++, item);
        }
    }
    table_->resizeColumnsToContents();
    layout->addWidget(table_, 3);

    if (problems) {
        layout->addWidget(new QLabel(tr("Problems (nothing is imported unless these lines are skipped):")));
        problems_ = new QListWidget(this);
        for (const cmcPlanProblem& p : preview.problems) problems_->addItem(QString::fromStdString(p.Text()));
        layout->addWidget(problems_, 1);
    }

    auto* buttons = new QDialogButtonBox(this);
    import_ = buttons->addButton(problems ? tr("Import, Skipping Lines with Problems") : tr("Import"),
                                 QDialogButtonBox::AcceptRole);
    import_->setEnabled(changes > 0);
    buttons->addButton(QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, [this, problems] {
        skipBad_ = problems > 0;
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

cuiPlanCompare::cuiPlanCompare(QWidget* parent, const QString& otherFile, std::vector<cmcDiffLine> lines,
                               std::function<void(const cmcDiffLine&)> open)
    : QDialog(parent), lines_(std::move(lines)) {
    setWindowTitle(tr("Compare with %1").arg(QFileInfo(otherFile).fileName()));
    resize(760, 460);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(lines_.empty() ? tr("The two images show the same values in every cell.")
                                                : tr("%n cell(s) differ (this image -> %1). Select a line to "
                                                     "open its sheet at the cell.",
                                                     nullptr, static_cast<int>(lines_.size()))
                                                      .arg(QFileInfo(otherFile).fileName())));
    list_ = new QListWidget(this);
    for (const cmcDiffLine& d : lines_) list_->addItem(QString::fromStdString(d.Text()));
    layout->addWidget(list_);
    connect(list_, &QListWidget::currentRowChanged, this, [this, open](int row) {
        if (row >= 0 && row < static_cast<int>(lines_.size()) && open) open(lines_[row]);
    });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

// ---- the commands of the main window ----

std::vector<std::string> cuiMain::TreeSheetReferences() const {
    std::vector<std::string> out;
    for (int i = 0; tree_ && i < tree_->NodeCount(); ++i) {
        const cmcCellObj* cell = cuiTree::CellOf(tree_->NodeAt(i));
        if (cell && cell->name) out.push_back(*cell->name);
    }
    return out;
}

bool cuiMain::ChannelPlan(int command) {
    EvMan().Send(EVC_CloseDropDowns);
    const QString dir = QString::fromStdString(files_.DefaultDirectory()) + "/";
    const QString base = FileName().empty() ? QString::fromStdString(ModelName(ModelType()))
                                            : QFileInfo(QString::fromStdString(FileName())).completeBaseName();
    if (command == 0) {
        QString path = QFileDialog::getSaveFileName(form_, QObject::tr("Export Channels"), dir + base + ".csv", kCsvFilter);
        if (path.isEmpty()) return false;
        if (QFileInfo(path).suffix().isEmpty()) path += ".csv";
        QFile f(path);
        const QByteArray csv = QByteArray::fromStdString(ExportChannelPlan(*this));
        if (!f.open(QIODevice::WriteOnly) || f.write(csv) != csv.size()) {
            QMessageBox::warning(form_, QObject::tr("Export Channels"), QObject::tr("Cannot write %1.").arg(path));
            return false;
        }
        SetStatus(clWindowText, clBtnFace, QObject::tr("Channels exported to %1.").arg(path).toStdString());
        return true;
    }
    if (command == 1) {
        const QString path = QFileDialog::getOpenFileName(form_, QObject::tr("Import Channels"), dir, kCsvFilter);
        return path.isEmpty() ? false : ImportChannelPlanFile(path);
    }
    const QString path = QFileDialog::getOpenFileName(form_, QObject::tr("Compare with File"), dir,
                                                      "Clone files (*.qcf *.QCF);;All files (*)");
    return path.isEmpty() ? false : CompareWithFile(path);
}

bool cuiMain::ImportChannelPlanFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        QMessageBox::warning(form_, QObject::tr("Import Channels"), QObject::tr("Cannot read %1.").arg(path));
        return false;
    }
    const std::string csv = f.readAll().toStdString();
    const cmcPlanImport preview = qx::ImportChannelPlan(*this, csv, {.apply = false});
    cuiPlanPreview dialog(form_, path, preview);
    planWindow_ = &dialog;
    const int answer = dialog.exec();
    planWindow_ = nullptr;
    if (answer != QDialog::Accepted) return false;
    const indMain::ActionGroup action(*this, QObject::tr("Import Channels").toStdString());
    const cmcPlanImport done = qx::ImportChannelPlan(*this, csv, {.skipBad = dialog.SkipBad()});
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
    SetStatus(clWindowText, clBtnFace,
              QObject::tr("%n channel(s) imported from %1.", nullptr, static_cast<int>(done.changes.size()))
                  .arg(QFileInfo(path).fileName())
                  .toStdString());
    return true;
}

bool cuiMain::CompareWithFile(const QString& path) {
    indMain other;
    other.LoadStartImage(ModelType());
    if (other.OpenCloneFile(path.toStdString()) != 0) return false;  // the reader has said why
    if (other.ModelType() != ModelType()) {
        QMessageBox::information(form_, QObject::tr("Compare with File"),
                                 QObject::tr("%1 holds another model type (%2); there is nothing to compare.")
                                     .arg(QFileInfo(path).fileName(), QString::fromStdString(ModelName(other.ModelType()))));
        return false;
    }
    std::vector<cmcDiffLine> lines = DiffImages(*this, other, TreeSheetReferences());
    auto* dialog = new cuiPlanCompare(form_, path, std::move(lines), [this](const cmcDiffLine& d) {
        ShowSheet(d.sheetReference);
        // ShowSheet opens the sheet once the caller has returned; the cell is selected after that.
        QTimer::singleShot(0, form_, [this, d] {
            if (cuiSheet* sh = sheets_.Current(); sh && sh->Name() == d.sheetReference) sh->SelectCell(d.col, d.gridRow);
        });
    });
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    planWindow_ = dialog;
    QObject::connect(dialog, &QObject::destroyed, form_, [this] { planWindow_ = nullptr; });
    dialog->show();
    return true;
}

}  // namespace qx
