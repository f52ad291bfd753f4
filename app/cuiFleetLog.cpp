#include "app/cuiFleetLog.h"

#include "app/cuiMain.h"
#include "comm/cmcFleetLog.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

namespace qx {

namespace {

constexpr int kSortRole = Qt::UserRole + 1;
constexpr int kBackupRole = Qt::UserRole + 2;

QString Q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

cuiFleetLogWindow::cuiFleetLogWindow(cuiMain& main, QWidget* parent, const QString& path)
    : QDialog(parent), main_(main), path_(path.isEmpty() ? Q(cmcFleetLog::DefaultPath()) : path) {
    setWindowTitle(tr("Fleet Log"));
    setAttribute(Qt::WA_DeleteOnClose);
    setSizeGripEnabled(true);
    resize(1000, 440);
    auto* layout = new QVBoxLayout(this);

    auto* top = new QHBoxLayout;
    where_ = new QLabel(this);
    where_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    top->addWidget(where_, 1);
    filter_ = new QLineEdit(this);
    filter_->setPlaceholderText(tr("Filter (serial, port, file...)"));
    filter_->setClearButtonEnabled(true);
    filter_->setMinimumWidth(220);
    top->addWidget(filter_);
    layout->addLayout(top);

    pages_ = new QStackedWidget(this);
    empty_ = new QLabel(this);
    empty_->setAlignment(Qt::AlignCenter);
    empty_->setWordWrap(true);
    empty_->setMargin(24);
    pages_->addWidget(empty_);

    model_ = new QStandardItemModel(0, LC_Count, this);
    model_->setHorizontalHeaderLabels({tr("Date"), tr("Time"), tr("Port"), tr("Serial"), tr("Model type"), tr("File"),
                                       tr("Values"), tr("Backup"), tr("Result"), tr("Message"), tr("Duration (s)")});
    proxy_ = new QSortFilterProxyModel(this);
    proxy_->setSourceModel(model_);
    proxy_->setSortRole(kSortRole);
    proxy_->setFilterKeyColumn(-1);
    proxy_->setFilterCaseSensitivity(Qt::CaseInsensitive);
    table_ = new QTableView(this);
    table_->setModel(proxy_);
    table_->setSortingEnabled(true);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setAlternatingRowColors(true);
    table_->setWordWrap(false);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(false);
    table_->sortByColumn(LC_Date, Qt::DescendingOrder);
    pages_->addWidget(table_);
    layout->addWidget(pages_, 1);

    auto* buttons = new QDialogButtonBox(this);
    refresh_ = buttons->addButton(tr("&Refresh"), QDialogButtonBox::ActionRole);
    openBackup_ = buttons->addButton(tr("&Open Backup"), QDialogButtonBox::ActionRole);
    openBackup_->setToolTip(tr("Opens the backup kept before this write in the program; writing it puts the "
                               "radio back as it was"));
    buttons->addButton(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    layout->addWidget(buttons);

    connect(refresh_, &QPushButton::clicked, this, &cuiFleetLogWindow::Refresh);
    connect(openBackup_, &QPushButton::clicked, this, [this] {
        const QModelIndex at = table_->currentIndex();
        if (at.isValid()) OpenBackup(at.row());
    });
    connect(table_, &QTableView::doubleClicked, this, [this](const QModelIndex& at) { OpenBackup(at.row()); });
    connect(filter_, &QLineEdit::textChanged, this, [this](const QString& text) {
        proxy_->setFilterFixedString(text);
        UpdateButtons();
    });
    connect(table_->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] { UpdateButtons(); });
    Refresh();
}

bool cuiFleetLogWindow::ShowsTable() const { return pages_->currentWidget() == table_; }

void cuiFleetLogWindow::Refresh() {
    // The entry selected is found again by its sort key, which is unique.
    const QModelIndex current = table_->currentIndex();
    const QString selectedKey = current.isValid() ? proxy_->index(current.row(), LC_Date).data(kSortRole).toString()
                                                  : QString();
    std::vector<cmcFleetLogEntry> entries;
    std::string why;
    int skipped = 0;
    const bool exists = QFileInfo::exists(path_);
    const bool read = exists && cmcFleetLog::Read(path_.toStdString(), &entries, &why, &skipped);

    model_->removeRows(0, model_->rowCount());
    for (size_t i = 0; i < entries.size(); ++i) {
        const cmcFleetLogEntry& e = entries[i];
        // Same-second lines keep the file's order: the later line is the newer.
        const QString when = Q(e.date + " " + e.time) + QStringLiteral(" %1").arg(i, 8, 10, QLatin1Char('0'));
        const QString texts[LC_Count] = {Q(e.date), Q(e.time), Q(e.port), Q(e.serial), Q(e.modelType),
                                         QFileInfo(Q(e.file)).fileName(), Q(e.values),
                                         QFileInfo(Q(e.backup)).fileName(), QString::number(e.result), Q(e.message),
                                         QString::number(e.duration, 'f', 1)};
        QList<QStandardItem*> row;
        for (int c = 0; c < LC_Count; ++c) {
            auto* item = new QStandardItem(texts[c]);
            switch (c) {
            case LC_Date:
            case LC_Time: item->setData(when, kSortRole); break;
            case LC_Result: item->setData(e.result, kSortRole); break;
            case LC_Duration: item->setData(e.duration, kSortRole); break;
            default: item->setData(texts[c], kSortRole); break;
            }
            row << item;
        }
        // Files show by name; the full path is the tooltip (and what Open Backup opens).
        row[LC_File]->setToolTip(Q(e.file));
        row[LC_Backup]->setToolTip(Q(e.backup));
        row[LC_Message]->setToolTip(Q(e.message));
        row[LC_Date]->setData(Q(e.backup), kBackupRole);
        if (e.result != 0) row[LC_Result]->setForeground(QColor(0xB0, 0x00, 0x00));
        model_->appendRow(row);
    }
    table_->resizeColumnsToContents();
    for (int c : {LC_Values, LC_Message})
        table_->setColumnWidth(c, std::min(table_->columnWidth(c), 320));

    QString place = tr("Log: %1").arg(path_);
    if (skipped > 0) place += tr(" (%n line(s) could not be read)", nullptr, skipped);
    where_->setText(place);
    if (!exists || (read && entries.empty())) {
        empty_->setText(tr("No clone write has been logged yet.\n\nEvery write to a radio (Clone ▸ Write to Radio, "
                           "Clone ▸ Write to Several Radios, the command-line write) adds a line here: when, "
                           "which port and radio, the file and per-radio values written, the backup kept "
                           "and the result."));
        pages_->setCurrentWidget(empty_);
    } else if (!read) {
        empty_->setText(tr("The fleet log could not be read:\n%1").arg(Q(why)));
        pages_->setCurrentWidget(empty_);
    } else {
        pages_->setCurrentWidget(table_);
    }
    if (!selectedKey.isEmpty()) {
        const QModelIndexList found =
            proxy_->match(proxy_->index(0, LC_Date), kSortRole, selectedKey, 1, Qt::MatchExactly);
        if (!found.isEmpty()) table_->selectRow(found.front().row());
    }
    UpdateButtons();
}

QString cuiFleetLogWindow::BackupOf(int row) const {
    if (row < 0 || row >= proxy_->rowCount()) return {};
    return proxy_->index(row, LC_Date).data(kBackupRole).toString();
}

void cuiFleetLogWindow::UpdateButtons() {
    const QModelIndex at = table_->currentIndex();
    const QString backup = at.isValid() ? BackupOf(at.row()) : QString();
    openBackup_->setEnabled(ShowsTable() && !backup.isEmpty());
    if (at.isValid() && !backup.isEmpty() && !QFileInfo::exists(backup))
        openBackup_->setToolTip(tr("The backup file is no longer there: %1").arg(backup));
    else
        openBackup_->setToolTip(tr("Opens the backup kept before this write in the program; writing it puts the "
                                   "radio back as it was"));
}

bool cuiFleetLogWindow::OpenBackup(int row) {
    const QString backup = BackupOf(row);
    if (backup.isEmpty()) return false;
    // The loader says why a file that is gone or damaged cannot be opened.
    return main_.Files().OpenFile(backup.toStdString());
}

}  // namespace qx
