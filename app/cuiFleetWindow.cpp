#include "app/cuiFleetWindow.h"

#include "app/Frmmain.h"
#include "app/cuiMain.h"
#include "app/cuiSheet.h"
#include "cells/cmcCellScript.h"
#include "cells/cmcSheetText.h"
#include "comm/cmcPortList.h"
#include "comm/indEnviron.h"
#include "comm/indWriteGuard.h"
#include "common/cmcMessage.h"
#include "defs/cmcCellNames.h"
#include "defs/cmcCellObj.h"
#include "defs/cmcGTex.h"
#include "defs/cmcSheetBuilder.h"
#include "image/cmcImageMap.h"
#include "image/indMain.h"

#pragma push_macro("slots")
#undef slots
#include "image/datCh.h"
#pragma pop_macro("slots")

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QFormLayout>
#include <QKeyEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace qx {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

const QColor kRefusedBack(0xFF, 0xD0, 0xD0);
const QColor kFailedText(0xB0, 0x00, 0x00);

std::string Caption() { return GTex().Line("GI_Sys_AppTitle", 0); }

// A value column's title without a caption: the cell without its category ("CL_Mch_Id_C[0..63]");
// the header's tooltip names it in full.
QString ColumnTitle(const std::string& cell) {
    const QString arg = Q(cell);
    const int dot = arg.indexOf('.');
    return dot > 0 ? arg.mid(dot + 1) : arg;
}

// The index part of a cell argument ("[0..63]", "[5]"), or empty.
QString IndexPart(const std::string& cell) {
    const QString arg = Q(cell);
    const int open = arg.lastIndexOf('[');
    return open > 0 && arg.endsWith(']') ? arg.mid(open) : QString();
}

// The cell a cell argument names (the first of a range).
bool ParsedCell(const std::string& name, cmcCellObj* cell) {
    cmcCellCounters counters;
    cell->category = CT_Null;
    cell->index = 0;
    ParseCell("{(" + name + ")}", cell, &counters, nullptr);
    return cell->label > 0 && cell->label < kLabelCount;
}

// What a value column is called: for a channel cell its column's heading ("Power"); for another
// cell the caption to its left in its row ("Own ID"), where a settings sheet names its values,
// else its column's heading.
std::string ValueCaption(cmcSheetBuilder& b, int col, int row) {
    const cmcCellObj* cell = b.Id(col, row).cell.get();
    const bool channel = cell && (cell->category == CT_Mch || cell->category == CT_Mch_Check);
    for (int c = col - 1; c >= 0 && !channel; --c) {
        const cmcCellObj* left = b.Id(c, row).cell.get();
        if (!left || (left->label != kLabelNone && left->label != CL_Null)) continue;
        if (std::string text = cmcSheetTitle(left->Text()); !text.empty()) return text;
    }
    return cmcSheetTitle(b.CaptionOf(col, row));
}

// Value columns whose cell opens a chooser are edited with a drop-down of its items: the first
// entry leaves the radio's value as the file has it, a pick is taken at once. The other columns
// are typed into.
class cuiFleetValueDelegate final : public QStyledItemDelegate {
public:
    explicit cuiFleetValueDelegate(cuiFleetWindow* window) : QStyledItemDelegate(window), window_(window) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const int k = index.column() - window_->ValueColumn(0);
        int current = -1;
        const QStringList items =
            k >= 0 && k < window_->ValueColumnCount() ? window_->ColumnChoices(k, &current) : QStringList();
        if (items.isEmpty()) return QStyledItemDelegate::createEditor(parent, option, index);
        auto* box = new QComboBox(parent);
        box->setFrame(false);
        box->setMaxVisibleItems(20);
        box->addItem(current >= 0 ? cuiFleetWindow::tr("(as in the file: %1)").arg(items[current])
                                  : cuiFleetWindow::tr("(as in the file)"),
                     QString());
        for (const QString& text : items) box->addItem(text, text);
        auto* self = const_cast<cuiFleetValueDelegate*>(this);
        connect(box, &QComboBox::activated, self, [self, box] {
            emit self->commitData(box);
            emit self->closeEditor(box);
        });
        // The list opens with the editor, as a sheet's chooser does on Enter.
        QTimer::singleShot(0, box, [box] {
            if (box->isVisible()) box->showPopup();
        });
        return box;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        auto* box = qobject_cast<QComboBox*>(editor);
        if (!box) return QStyledItemDelegate::setEditorData(editor, index);
        const QString text = index.data(Qt::EditRole).toString().trimmed();
        int at = 0;
        if (!text.isEmpty()) {
            at = -1;
            for (int i = 1; i < box->count() && at < 0; ++i)
                if (box->itemData(i).toString().trimmed().compare(text, Qt::CaseInsensitive) == 0) at = i;
            if (at < 0) {
                // A value typed or filled before that is no item stays what it is (and stays marked).
                box->addItem(text, text);
                at = box->count() - 1;
            }
        }
        box->setCurrentIndex(at);
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
        auto* box = qobject_cast<QComboBox*>(editor);
        if (!box) return QStyledItemDelegate::setModelData(editor, model, index);
        model->setData(index, box->currentData().toString());
    }

private:
    cuiFleetWindow* window_;
};

}  // namespace

cuiFleetWindow::cuiFleetWindow(cuiMain& main, Mode mode, QWidget* parent)
    : QDialog(parent), main_(main), mode_(mode) {
    setWindowTitle(mode == FM_Write ? tr("Write to Several Radios") : tr("Read from Several Radios"));
    setSizeGripEnabled(true);
    setModal(false);
    auto* layout = new QVBoxLayout(this);

    // What is written, or where the radios are read to.
    auto* top = new QHBoxLayout;
    if (mode == FM_Write) {
        source_ = new QLabel(this);
        source_->setWordWrap(true);
        source_->setTextInteractionFlags(Qt::TextSelectableByMouse);
        top->addWidget(source_, 1);
        save_ = new QPushButton(tr("&Save..."), this);
        save_->setToolTip(tr("Saves the data (File ▸ Save): the radios get the saved clone file"));
        top->addWidget(save_);
        connect(save_, &QPushButton::clicked, this, [this] {
            main_.FileSave();
            UpdateSource();
        });
    } else {
        top->addWidget(new QLabel(tr("Save into folder:"), this));
        folder_ = new QLineEdit(this);
        const std::string dir = Environ().CurrentDirectory;
        folder_->setText(dir.empty() ? QDir::homePath() : Q(dir));
        folder_->setToolTip(tr("Each radio is saved as <serial number>.QCF in this folder"));
        top->addWidget(folder_, 1);
        auto* choose = new QPushButton(tr("C&hoose..."), this);
        top->addWidget(choose);
        connect(choose, &QPushButton::clicked, this, [this] {
            const QString dir = QFileDialog::getExistingDirectory(this, tr("Folder for the radios read"), folder_->text());
            if (!dir.isEmpty()) folder_->setText(dir);
        });
        connect(folder_, &QLineEdit::textChanged, this, [this] { UpdateButtons(); });
    }
    layout->addLayout(top);
    options_ = new QLabel(this);
    layout->addWidget(options_);

    // The ports and their radios.
    table_ = new QTableWidget(0, 1 + FS_Count, this);
    table_->verticalHeader()->hide();
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setSelectionBehavior(QAbstractItemView::SelectItems);
    table_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                            QAbstractItemView::AnyKeyPressed);
    table_->setWordWrap(false);
    table_->setItemDelegate(new cuiFleetValueDelegate(this));
    table_->horizontalHeader()->setStretchLastSection(true);  // the result
    layout->addWidget(table_, 1);
    connect(table_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (checking_) return;
        if (item->column() == FC_Port || (item->column() > FC_Port && item->column() <= ValueColumnCount())) {
            CheckValues();
            UpdateButtons();
        }
    });

    // Ports added by hand (a device path), the list read again.
    auto* ports = new QHBoxLayout;
    refresh_ = new QPushButton(tr("&Refresh"), this);
    refresh_->setToolTip(tr("Reads the list of serial ports again (after a cable was plugged in)"));
    ports->addWidget(refresh_);
    ports->addSpacing(12);
    ports->addWidget(new QLabel(tr("Other device:"), this));
    deviceEdit_ = new QLineEdit(this);
    deviceEdit_->setPlaceholderText(tr("/dev/serial/by-id/usb-... or /dev/pts/3"));
    ports->addWidget(deviceEdit_, 1);
    addDevice_ = new QPushButton(tr("A&dd"), this);
    ports->addWidget(addDevice_);
    layout->addLayout(ports);
    connect(refresh_, &QPushButton::clicked, this, &cuiFleetWindow::RefreshPorts);
    auto addTyped = [this] {
        QString why;
        if (AddDevice(deviceEdit_->text().trimmed(), &why))
            deviceEdit_->clear();
        else
            summary_->setText(why);
    };
    connect(addDevice_, &QPushButton::clicked, this, addTyped);
    connect(deviceEdit_, &QLineEdit::returnPressed, this, addTyped);

    if (mode == FM_Write) {
        auto* values = new QHBoxLayout;
        addColumn_ = new QPushButton(tr("Add &Column..."), this);
        addColumn_->setToolTip(tr("A value of its own for each radio: the cell selected in the main window, or "
                                  "any cell named as the command-line tool's set names it"));
        removeColumn_ = new QPushButton(tr("Remo&ve Column"), this);
        fill_ = new QPushButton(tr("&Fill..."), this);
        fill_->setToolTip(tr("Fills a column over the ticked radios: start at, step"));
        changeModel_ = new QCheckBox(tr("Also &write radios of another model type"), this);
        values->addWidget(addColumn_);
        values->addWidget(removeColumn_);
        values->addWidget(fill_);
        values->addStretch(1);
        values->addWidget(changeModel_);
        layout->addLayout(values);
        connect(addColumn_, &QPushButton::clicked, this, &cuiFleetWindow::AskAddColumn);
        connect(fill_, &QPushButton::clicked, this, &cuiFleetWindow::AskFill);
        connect(removeColumn_, &QPushButton::clicked, this, [this] {
            const int col = table_->currentColumn();
            const int k = col - ValueColumn(0);
            if (k < 0 || k >= ValueColumnCount()) return;
            cells_.erase(cells_.begin() + k);
            table_->removeColumn(col);
            CheckValues();
            UpdateButtons();
        });
        connect(table_, &QTableWidget::currentCellChanged, this, [this] { UpdateButtons(); });
    }

    summary_ = new QLabel(this);
    summary_->setWordWrap(true);
    layout->addWidget(summary_);

    auto* buttons = new QDialogButtonBox(this);
    start_ = buttons->addButton(mode == FM_Write ? tr("&Write") : tr("R&ead"), QDialogButtonBox::AcceptRole);
    cancelAll_ = buttons->addButton(tr("Cancel &All"), QDialogButtonBox::ActionRole);
    close_ = buttons->addButton(QDialogButtonBox::Close);
    start_->setDefault(false);
    start_->setAutoDefault(false);
    layout->addWidget(buttons);
    connect(start_, &QPushButton::clicked, this, [this] { Start(); });
    connect(cancelAll_, &QPushButton::clicked, this, &cuiFleetWindow::CancelEverything);
    connect(close_, &QPushButton::clicked, this, &QDialog::close);

    const indEnviron& env = Environ();
    if (env.FleetWidth > 0 && env.FleetHeight > 0)
        resize(env.FleetWidth, env.FleetHeight);
    else
        resize(mode == FM_Write ? 1180 : 1000, 420);
    RefreshPorts();
    UpdateSource();
}

cuiFleetWindow::~cuiFleetWindow() {
    // A window going with radios still running stops them; nothing waits on its callbacks then.
    if (fleet_) {
        fleet_->changed = nullptr;
        fleet_->finished = nullptr;
        if (fleet_->Running()) fleet_->CancelAll();
    }
}

// ---- ports --------------------------------------------------------------------------------------

void cuiFleetWindow::RefreshPorts() {
    if (Running()) return;
    std::vector<Port> ports;
    for (const cmcPortInfo& p : cmcPortList().Enumerate()) ports.push_back({Q(p.path), Q(p.description), false});
    for (const Port& p : added_)
        if (std::none_of(ports.begin(), ports.end(), [&](const Port& q) { return q.path == p.path; })) ports.push_back(p);
    BuildRows(ports);
}

bool cuiFleetWindow::AddDevice(const QString& path, QString* why) {
    if (!path.startsWith('/')) {
        if (why) *why = tr("A device is named by its full path, such as /dev/ttyUSB0.");
        return false;
    }
    if (Running()) return false;
    if (RowOf(path) < 0) {
        added_.push_back({QDir::cleanPath(path), {}, true});
        RefreshPorts();
    }
    SetTicked(RowOf(QDir::cleanPath(path)), true);
    return true;
}

void cuiFleetWindow::BuildRows(const std::vector<Port>& ports) {
    // Ticks and values stay with their port.
    struct Kept {
        bool ticked = false;
        std::vector<QString> values;
    };
    std::map<QString, Kept> kept;
    for (int r = 0; r < table_->rowCount(); ++r) {
        Kept k;
        k.ticked = table_->item(r, FC_Port)->checkState() == Qt::Checked;
        for (int v = 0; v < ValueColumnCount(); ++v) {
            QTableWidgetItem* item = table_->item(r, ValueColumn(v));
            k.values.push_back(item ? item->text() : QString());
        }
        kept[RowPort(r)] = k;
    }
    checking_ = true;
    table_->clearContents();
    table_->setRowCount(static_cast<int>(ports.size()));
    table_->setColumnCount(StatusColumn(FS_Count));
    QStringList heads = {tr("Port")};
    for (const std::string& c : cells_) heads << ColumnTitle(c);
    heads << tr("Serial") << tr("Model type") << tr("Phase") << tr("Progress") << QString() << tr("Result");
    table_->setHorizontalHeaderLabels(heads);
    for (int v = 0; v < ValueColumnCount(); ++v)
        table_->horizontalHeaderItem(ValueColumn(v))->setToolTip(tr("Each radio's value of %1").arg(Q(cells_[v])));
    for (int r = 0; r < static_cast<int>(ports.size()); ++r) {
        const Port& p = ports[r];
        auto* port = new QTableWidgetItem(p.description.isEmpty() ? p.path : p.path + " (" + p.description + ")");
        port->setData(Qt::UserRole, p.path);
        port->setToolTip(p.path);
        port->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        const auto k = kept.find(p.path);
        port->setCheckState(k != kept.end() && k->second.ticked ? Qt::Checked : Qt::Unchecked);
        table_->setItem(r, FC_Port, port);
        for (int v = 0; v < ValueColumnCount(); ++v) {
            const QString text = k != kept.end() && v < static_cast<int>(k->second.values.size()) ? k->second.values[v]
                                                                                                  : QString();
            table_->setItem(r, ValueColumn(v), new QTableWidgetItem(text));
        }
        for (int s = 0; s < FS_Count; ++s) {
            if (s == FS_Progress || s == FS_Cancel) continue;
            auto* item = new QTableWidgetItem;
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            table_->setItem(r, StatusColumn(s), item);
        }
        auto* bar = new QProgressBar(table_);
        bar->setRange(0, 100);
        bar->setValue(0);
        bar->setTextVisible(true);
        table_->setCellWidget(r, StatusColumn(FS_Progress), bar);
        auto* cancel = new QPushButton(tr("Cancel"), table_);
        cancel->setEnabled(false);
        cancel->setToolTip(tr("Stops this radio"));
        table_->setCellWidget(r, StatusColumn(FS_Cancel), cancel);
        connect(cancel, &QPushButton::clicked, this, [this, r] {
            for (size_t i = 0; i < radioRows_.size(); ++i)
                if (radioRows_[i] == r) CancelRadio(i);
        });
    }
    checking_ = false;
    LayoutColumns();
    radioRows_.clear();
    if (ports.empty())
        summary_->setText(tr("No serial port found. Plug in a programming cable and choose Refresh, or add a "
                             "device path."));
    else
        summary_->clear();
    CheckValues();
    UpdateButtons();
}

void cuiFleetWindow::LayoutColumns() {
    // Ports show in full up to a long /dev/serial/by-id/... path (the tooltip has the rest);
    // serial numbers, model names and phase texts fit before the radios answer.
    const QFontMetrics fm(table_->font());
    int port = fm.horizontalAdvance(QStringLiteral("/dev/ttyUSB0 (serial adapter)"));
    for (int r = 0; r < table_->rowCount(); ++r) port = std::max(port, fm.horizontalAdvance(table_->item(r, FC_Port)->text()));
    table_->setColumnWidth(FC_Port, std::min(port + 48, 560));
    for (int v = 0; v < ValueColumnCount(); ++v)
        table_->setColumnWidth(ValueColumn(v),
                               std::clamp(table_->horizontalHeader()->sectionSizeHint(ValueColumn(v)), 120, 300));
    table_->setColumnWidth(StatusColumn(FS_Serial), fm.horizontalAdvance(QStringLiteral("00000000000")) + 24);
    table_->setColumnWidth(StatusColumn(FS_Model), fm.horizontalAdvance(QStringLiteral("Korv PMR")) + 32);
    int phase = fm.horizontalAdvance(tr("Identifying the radio"));
    for (int p : {CPH_Backup, CPH_GuardedWrite, CPH_Verify, CPH_Read}) phase = std::max(phase, fm.horizontalAdvance(Q(indClonePhaseText(p))));
    table_->setColumnWidth(StatusColumn(FS_Phase), phase + 24);
    table_->setColumnWidth(StatusColumn(FS_Progress), 130);
    table_->setColumnWidth(StatusColumn(FS_Result), 220);
    table_->setColumnWidth(StatusColumn(FS_Cancel), fm.horizontalAdvance(tr("Cancel")) + 40);
}

QString cuiFleetWindow::RowPort(int row) const {
    QTableWidgetItem* item = table_->item(row, FC_Port);
    return item ? item->data(Qt::UserRole).toString() : QString();
}

int cuiFleetWindow::RowOf(const QString& path) const {
    for (int r = 0; r < table_->rowCount(); ++r)
        if (RowPort(r) == path) return r;
    return -1;
}

void cuiFleetWindow::SetTicked(int row, bool ticked) {
    if (QTableWidgetItem* item = table_->item(row, FC_Port)) item->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
}

QStringList cuiFleetWindow::TickedPorts() const {
    QStringList ports;
    for (int r = 0; r < table_->rowCount(); ++r)
        if (table_->item(r, FC_Port)->checkState() == Qt::Checked) ports << RowPort(r);
    return ports;
}

// ---- per-radio values ---------------------------------------------------------------------------

QString cuiFleetWindow::CellArgument(cuiMain& main, QString* bankRange, QString* caption) {
    if (bankRange) bankRange->clear();
    cuiSheet* sheet = main.Sheets().Current();
    if (!sheet || sheet->RowCount() == 0) return {};
    const cmcCellObj& cell = sheet->CurrentCell();
    if (cell.label <= 0 || cell.label >= kLabelCount || !cell.Selectable()) return {};
    QString arg = "%" + Q(CategoryName(cell.category)) + "." + Q(LabelName(cell.label));
    const bool indexed = cell.index != 0 || cell.category == CT_Mch;
    const QString bare = arg;
    if (indexed) arg += QStringLiteral("[%1]").arg(cell.index);
    if (caption) {
        // What the sheet calls the value.
        *caption = Q(ValueCaption(sheet->Builder(), sheet->Col(), sheet->Row()));
        if (caption->isEmpty()) *caption = Q(cmcSheetTitle(cell.Text()));
    }
    if (bankRange && cell.category == CT_Mch) {
        // The channels in use of the bank the channel belongs to.
        const uint8_t* image = main.Model().WorkingImage().Data();
        const int bank = datBankOfChannel(image, cell.index);
        if (bank >= 0 && bank < 5 && datBankSize(image, bank) > 0) {
            const int first = datBankFirst(image, bank);
            *bankRange = bare + QStringLiteral("[%1..%2]").arg(first).arg(first + datBankSize(image, bank) - 1);
        }
    }
    std::string why;
    return cmcFleetPlan::CheckCell(arg.toStdString(), &why) ? arg : QString();
}

QString cuiFleetWindow::FindCaption(const std::string& arg) const {
    std::vector<std::string> names;
    std::string why;
    cmcCellObj wanted;
    if (!cmcCellScript::ExpandRange(arg, &names, &why) || names.empty() || !ParsedCell(names.front(), &wanted))
        return {};
    // Every channel of a channel sheet's column has that column's heading; another cell with an
    // index (a key, a list entry) is found by its index. A label that edits no record (an own ID)
    // may be named with another category than the sheet's: it is found by its label, the sheet's
    // category first.
    const bool anyIndex = names.size() > 1 || wanted.category == CT_Mch || wanted.category == CT_Mch_Check;
    QString byLabel;
    for (const std::string& reference : main_.TreeSheetReferences()) {
        if (reference.empty()) continue;
        std::unique_ptr<cmcSheetBuilder> b = cmcBuildSheetAsText(GTex(), reference, main_.Model());
        if (!b) continue;
        for (int r = 0; r < b->RowCount(); ++r)
            for (int c = 0; c < b->ColCount(); ++c) {
                const cmcCellObj* cell = b->Id(c, r).cell.get();
                if (!cell || cell->label != wanted.label) continue;
                if (!anyIndex && cell->index != wanted.index) continue;
                const bool sameCategory = cell->category == wanted.category;
                if (!sameCategory && !byLabel.isEmpty()) continue;
                const std::string caption = ValueCaption(*b, c, r);
                if (caption.empty()) continue;
                if (sameCategory) return Q(caption);
                byLabel = Q(caption);
            }
    }
    return byLabel;
}

QStringList cuiFleetWindow::ColumnChoices(int k, int* current) const {
    if (current) *current = -1;
    if (k < 0 || k >= ValueColumnCount()) return {};
    std::vector<std::string> names;
    std::string why;
    if (!cmcCellScript::ExpandRange(cells_[k], &names, &why)) return {};
    // The items on a copy of the data, which the chooser of a cell may read.
    indMain scratch;
    scratch.LoadStartImage(main_.Model().ModelType());
    scratch.WorkingImage().Assign(main_.Model().WorkingImage());
    cmcCellScript script(scratch);
    const uint8_t* image = scratch.WorkingImage().Data();
    for (const std::string& name : names) {
        cmcCellObj cell;
        if (!ParsedCell(name, &cell)) return {};
        // A range of channels stands for the channels in use (the write passes over the empty
        // ones): the first of them tells the items.
        const bool channel = cell.category == CT_Mch || cell.category == CT_Mch_Check;
        if (names.size() > 1 && channel &&
            (cell.index < 0 || cell.index >= map::kChannelCount || !datChannelInUse(image, cell.index)))
            continue;
        QStringList items;
        for (const std::string& text : script.ChooserItems(cell, current)) items << Q(text);
        return items;
    }
    return {};
}

bool cuiFleetWindow::AddValueColumn(const QString& cell, QString* why, const QString& caption) {
    const std::string arg = cell.trimmed().toStdString();
    std::string reason;
    if (!cmcFleetPlan::CheckCell(arg, &reason)) {
        if (why) *why = Q(reason);
        return false;
    }
    if (std::find(cells_.begin(), cells_.end(), arg) != cells_.end()) {
        if (why) *why = tr("%1 has a column already.").arg(Q(arg));
        return false;
    }
    if (Running()) return false;
    const int col = ValueColumn(ValueColumnCount());
    cells_.push_back(arg);
    checking_ = true;
    table_->insertColumn(col);
    // The header says what the sheets call the value; two columns of one cell differ by their index.
    QString title = caption.trimmed();
    if (title.isEmpty()) title = FindCaption(arg);
    title = title.isEmpty() ? ColumnTitle(arg) : (IndexPart(arg).isEmpty() ? title : title + " " + IndexPart(arg));
    auto* head = new QTableWidgetItem(title);
    head->setToolTip(tr("Each radio's value of %1").arg(Q(arg)));
    table_->setHorizontalHeaderItem(col, head);
    for (int r = 0; r < table_->rowCount(); ++r) table_->setItem(r, col, new QTableWidgetItem);
    checking_ = false;
    LayoutColumns();
    CheckValues();
    UpdateButtons();
    return true;
}

bool cuiFleetWindow::Fill(int k, const QString& start, long long step, QString* why) {
    if (k < 0 || k >= ValueColumnCount() || Running()) return false;
    std::vector<int> rows;
    for (int r = 0; r < table_->rowCount(); ++r)
        if (table_->item(r, FC_Port)->checkState() == Qt::Checked) rows.push_back(r);
    if (rows.empty())
        for (int r = 0; r < table_->rowCount(); ++r) rows.push_back(r);
    std::vector<std::string> texts;
    std::string reason;
    const QStringList items = ColumnChoices(k);
    if (!items.isEmpty()) {
        // A column with choices steps through its list: start is an item, step counts items.
        const QString wanted = start.trimmed();
        int first = -1;
        for (int i = 0; i < items.size() && first < 0; ++i)
            if (items[i].trimmed().compare(wanted, Qt::CaseInsensitive) == 0) first = i;
        const QString column = table_->horizontalHeaderItem(ValueColumn(k))->text();
        if (first < 0) {
            if (why) *why = tr("'%1' is not one of the choices of %2.").arg(wanted, column);
            return false;
        }
        size_t fit = 0;
        while (fit < rows.size() && first + static_cast<long long>(fit) * step >= 0 &&
               first + static_cast<long long>(fit) * step < items.size())
            ++fit;
        if (fit < rows.size()) {
            if (why)
                *why = tr("From '%1' in steps of %2 the list of %3 runs out after %4 of the %5 radios: choose "
                          "another start or step.")
                           .arg(items[first])
                           .arg(step)
                           .arg(column)
                           .arg(fit)
                           .arg(rows.size());
            return false;
        }
        for (size_t i = 0; i < rows.size(); ++i)
            texts.push_back(items[static_cast<int>(first + static_cast<long long>(i) * step)].toStdString());
    } else if (!cmcFleetPlan::Series(start.trimmed().toStdString(), step, rows.size(), &texts, &reason)) {
        if (why) *why = Q(reason);
        return false;
    }
    checking_ = true;
    for (size_t i = 0; i < rows.size(); ++i) table_->item(rows[i], ValueColumn(k))->setText(Q(texts[i]));
    checking_ = false;
    CheckValues();
    UpdateButtons();
    return true;
}

void cuiFleetWindow::CheckValues() {
    const int rows = table_->rowCount();
    refusals_.assign(rows, std::vector<QString>(cells_.size()));
    if (cells_.empty()) return;
    // Each radio's values go through the cells' own editors on a copy of the data, as the write
    // applies them to that radio's copy.
    indMain scratch;
    scratch.LoadStartImage(main_.Model().ModelType());
    checking_ = true;
    for (int r = 0; r < rows; ++r) {
        std::vector<cmcFleetValue> values;
        std::vector<int> columnOf;
        for (size_t k = 0; k < cells_.size(); ++k) {
            const QString text = table_->item(r, ValueColumn(static_cast<int>(k)))->text();
            if (text.isEmpty()) continue;
            values.push_back({cells_[k], text.toStdString()});
            columnOf.push_back(static_cast<int>(k));
        }
        if (!values.empty()) {
            scratch.WorkingImage().Assign(main_.Model().WorkingImage());
            for (const cmcFleetRefusal& refusal : cmcFleetPlan::Apply(scratch, values)) {
                if (refusal.column >= columnOf.size()) continue;
                QString& reason = refusals_[r][columnOf[refusal.column]];
                if (reason.isEmpty()) reason = Q(refusal.Message());
            }
        }
        for (size_t k = 0; k < cells_.size(); ++k) {
            QTableWidgetItem* item = table_->item(r, ValueColumn(static_cast<int>(k)));
            const QString& reason = refusals_[r][k];
            item->setBackground(reason.isEmpty() ? QBrush() : QBrush(kRefusedBack));
            item->setToolTip(reason);
        }
    }
    checking_ = false;
}

QString cuiFleetWindow::Refusal(int row, int k) const {
    if (row < 0 || row >= static_cast<int>(refusals_.size()) || k < 0 || k >= static_cast<int>(refusals_[row].size()))
        return {};
    return refusals_[row][k];
}

int cuiFleetWindow::RefusedCount() const {
    int n = 0;
    for (int r = 0; r < static_cast<int>(refusals_.size()); ++r) {
        if (table_->item(r, FC_Port)->checkState() != Qt::Checked) continue;
        for (const QString& reason : refusals_[r]) n += reason.isEmpty() ? 0 : 1;
    }
    return n;
}

void cuiFleetWindow::AskAddColumn() {
    QDialog dialog(this);
    dialog.setWindowTitle(tr("Add Column"));
    auto* form = new QFormLayout(&dialog);
    QString range, caption;
    const QString selected = CellArgument(main_, &range, &caption);
    auto* edit = new QLineEdit(selected, &dialog);
    edit->setPlaceholderText(QStringLiteral("%CT_Null.CL_Msk_Presl_Own_Id"));
    edit->setMinimumWidth(360);
    auto* note = new QLabel(&dialog);
    note->setWordWrap(true);
    note->setText(selected.isEmpty()
                      ? tr("Select a cell in the main window's sheet first, or type a cell as the command-line "
                           "tool's set names it.")
                      : tr("The cell selected in the main window: %1").arg(caption.isEmpty() ? selected : caption));
    form->addRow(note);
    form->addRow(tr("&Cell:"), edit);
    auto* wholeBank = new QCheckBox(tr("All channels in use of this &bank"), &dialog);
    wholeBank->setVisible(!range.isEmpty());
    if (!range.isEmpty()) wholeBank->setToolTip(range);
    form->addRow(wholeBank);
    connect(wholeBank, &QCheckBox::toggled, &dialog, [=](bool on) { edit->setText(on ? range : selected); });
    RunForm(dialog, form, [&](QString* why) {
        const QString text = edit->text().trimmed();
        return AddValueColumn(text, why, !text.isEmpty() && (text == selected || text == range) ? caption : QString());
    });
}

void cuiFleetWindow::AskFill() {
    if (cells_.empty()) return;
    QDialog dialog(this);
    dialog.setWindowTitle(tr("Fill Column"));
    auto* form = new QFormLayout(&dialog);
    auto* column = new QComboBox(&dialog);
    for (int k = 0; k < ValueColumnCount(); ++k) {
        column->addItem(table_->horizontalHeaderItem(ValueColumn(k))->text());
        column->setItemData(k, Q(cells_[k]), Qt::ToolTipRole);
    }
    const int current = table_->currentColumn() - ValueColumn(0);
    if (current >= 0 && current < ValueColumnCount()) column->setCurrentIndex(current);
    // A number to count from, or for a column with choices the item to start at.
    auto* start = new QLineEdit(QStringLiteral("1"), &dialog);
    start->setToolTip(tr("The first radio's value; leading zeros keep the width (007, 008, ...)"));
    auto* startChoice = new QComboBox(&dialog);
    startChoice->setToolTip(tr("The first radio's value; each next radio gets the item that many places further "
                               "down the list"));
    auto* startRow = new QWidget(&dialog);
    auto* startLayout = new QHBoxLayout(startRow);
    startLayout->setContentsMargins(0, 0, 0, 0);
    startLayout->addWidget(start);
    startLayout->addWidget(startChoice);
    auto* startLabel = new QLabel(tr("&Start at:"), &dialog);
    auto* step = new QSpinBox(&dialog);
    step->setRange(-99999, 99999);
    step->setValue(1);
    form->addRow(tr("C&olumn:"), column);
    form->addRow(startLabel, startRow);
    form->addRow(tr("S&tep:"), step);
    auto showStart = [this, start, startChoice, startLabel](int k) {
        int held = -1;
        const QStringList items = ColumnChoices(k, &held);
        startChoice->clear();
        startChoice->addItems(items);
        startChoice->setCurrentIndex(std::max(held, 0));
        startChoice->setHidden(items.isEmpty());
        start->setHidden(!items.isEmpty());
        startLabel->setBuddy(items.isEmpty() ? static_cast<QWidget*>(start) : startChoice);
    };
    showStart(column->currentIndex());
    connect(column, &QComboBox::currentIndexChanged, &dialog, showStart);
    form->addRow(new QLabel(tr("Fills the ticked radios in their order (every radio when none is ticked)."), &dialog));
    RunForm(dialog, form, [&](QString* why) {
        return Fill(column->currentIndex(), startChoice->isHidden() ? start->text() : startChoice->currentText(),
                    step->value(), why);
    });
}

void cuiFleetWindow::RunForm(QDialog& dialog, QFormLayout* form, const std::function<bool(QString* why)>& accept) {
    // The reason an OK was refused, shown in the dialog, which stays open.
    auto* problem = new QLabel(&dialog);
    problem->setStyleSheet(QStringLiteral("color: #b00000"));
    problem->setWordWrap(true);
    form->addRow(problem);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        QString why;
        if (accept(&why))
            dialog.accept();
        else
            problem->setText(why);
    });
    dialog_ = &dialog;
    dialog.exec();
    dialog_ = nullptr;
}

// ---- what the window says ---------------------------------------------------------------------

void cuiFleetWindow::UpdateSource() {
    const indEnviron& env = Environ();
    QString opts = tr("Cable speed: %1 bit/s").arg(env.ComSpeedHigh ? 38400 : 9600);
    if (mode_ == FM_Write)
        opts += tr(" · backup before write: %1 · the written data is read back and compared")
                    .arg(env.BackupBeforeWrite ? tr("on") : tr("off"));
    opts += tr(" (Setup menu)");
    options_->setText(opts);
    if (mode_ != FM_Write) return;
    const indMain& model = main_.Model();
    if (model.FileName().empty())
        source_->setText(tr("The data has not been saved: save it first, so that every radio gets the same clone "
                            "file and the fleet log can name it."));
    else if (model.IsModified())
        source_->setText(tr("Writes %1, which has unsaved changes: save them first.").arg(Q(model.FileName())));
    else
        source_->setText(tr("Writes %1 (%2)").arg(Q(model.FileName()), Q(indMain::ModelName(model.ModelType()))));
    UpdateButtons();
}

void cuiFleetWindow::UpdateButtons() {
    if (!start_) return;
    const bool running = Running();
    const bool saved = mode_ != FM_Write || (!main_.Model().FileName().empty() && !main_.Model().IsModified());
    const bool folder = mode_ != FM_Read || !folder_->text().trimmed().isEmpty();
    const int refused = RefusedCount();
    start_->setEnabled(!running && saved && folder && !TickedPorts().isEmpty() && refused == 0);
    if (refused > 0)
        start_->setToolTip(tr("%n value(s) refused: see the marked cells", nullptr, refused));
    else
        start_->setToolTip(QString());
    if (save_) save_->setEnabled(!running && !saved);
    cancelAll_->setEnabled(running);
    refresh_->setEnabled(!running);
    addDevice_->setEnabled(!running);
    if (addColumn_) {
        addColumn_->setEnabled(!running);
        fill_->setEnabled(!running && !cells_.empty());
        const int k = table_->currentColumn() - ValueColumn(0);
        removeColumn_->setEnabled(!running && k >= 0 && k < ValueColumnCount());
        changeModel_->setEnabled(!running);
    }
    if (folder_) folder_->setEnabled(!running);
}

// ---- running ------------------------------------------------------------------------------------

bool cuiFleetWindow::Running() const { return fleet_ && fleet_->Running(); }

cmcFleetPlan cuiFleetWindow::Plan() const {
    cmcFleetPlan plan;
    plan.key = cmcFleetKey::Port;
    plan.columns = cells_;
    for (const QString& p : TickedPorts()) {
        cmcFleetPlan::Row row;
        row.key = p.toStdString();
        const int r = RowOf(p);
        for (int k = 0; k < ValueColumnCount(); ++k) row.texts.push_back(table_->item(r, ValueColumn(k))->text().toStdString());
        plan.rows.push_back(std::move(row));
    }
    return plan;
}

bool cuiFleetWindow::CheckData() {
    // The same refusals as a write to one radio, before anything is asked.
    indMain& model = main_.Model();
    if (model.ChannelsInUse() == 0) {
        cmcShowMessage(Caption(), GTex().SectionText("GI_AppMess_CloneErr_NoActualCh"), cmcMsgIcon::Error);
        return false;
    }
    int errors = 0;
    main_.CountWarnings(&errors);
    if (errors > 0) {
        cmcShowMessage(Caption(), GTex().SectionText("GI_Mess_DataError"), cmcMsgIcon::Error);
        return false;
    }
    return true;
}

bool cuiFleetWindow::Start() {
    UpdateSource();
    if (Running() || !start_->isEnabled()) return false;
    const QStringList ports = TickedPorts();
    std::vector<std::string> devices;
    for (const QString& p : ports) devices.push_back(p.toStdString());

    cmcFleetPlan plan;
    if (mode_ == FM_Write) {
        if (!CheckData()) return false;
        // The one question for all the radios.
        const std::string question = GTex().SectionText("GI_Mess_Confirm_CloneWrite") + "\n(" +
                                     std::to_string(devices.size()) + (devices.size() == 1 ? " radio)" : " radios)");
        if (cmcShowMessage(Caption(), question, cmcMsgIcon::Warning, MB_Ok | MB_Cancel) != MB_Ok) return false;
        plan = Plan();
    }

    indFleetOptions options;
    const indEnviron& env = Environ();
    options.highSpeed = env.ComSpeedHigh != 0;
    options.backup = env.BackupBeforeWrite ? 1 : 0;
    options.verify = true;
    options.changeModel = changeModel_ && changeModel_->isChecked() ? 1 : 0;

    // Each run starts from clean rows.
    for (int r = 0; r < table_->rowCount(); ++r) {
        for (int s : {FS_Serial, FS_Model, FS_Phase, FS_Result}) {
            table_->item(r, StatusColumn(s))->setText({});
            table_->item(r, StatusColumn(s))->setToolTip({});
        }
        static_cast<QProgressBar*>(table_->cellWidget(r, StatusColumn(FS_Progress)))->setValue(0);
    }
    radioRows_.clear();
    for (const QString& p : ports) radioRows_.push_back(RowOf(p));
    if (fleet_) {
        fleet_->changed = nullptr;
        fleet_->finished = nullptr;
    }
    fleet_ = std::make_unique<indFleet>(devices);
    fleet_->changed = [this](size_t i, bool phaseChanged) { ShowRadio(i, phaseChanged); };
    bool ended = false;
    fleet_->finished = [this, &ended] {
        ended = true;
        Finished();
    };
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int r = 0; r < table_->rowCount(); ++r) table_->item(r, FC_Port)->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    summary_->setText(mode_ == FM_Write ? tr("Writing %n radio(s)...", nullptr, static_cast<int>(devices.size()))
                                        : tr("Reading %n radio(s)...", nullptr, static_cast<int>(devices.size())));
    std::string why;
    bool started;
    if (mode_ == FM_Write) {
        started = fleet_->StartWrite(main_.Model().FileName(), plan, options, &why);
    } else {
        const std::string folder = folder_->text().trimmed().toStdString();
        if (!QDir().mkpath(Q(folder))) {
            why = "cannot create the folder '" + folder + "'";
            started = false;
        } else {
            started = fleet_->StartRead(folder, options, &why);
        }
    }
    if (!started) {
        fleet_->finished = nullptr;
        if (!ended) Finished();
        if (!why.empty()) cmcShowMessage(Caption(), why, cmcMsgIcon::Error);
        return false;
    }
    fleet_->finished = [this] { Finished(); };
    for (size_t i = 0; i < fleet_->Count(); ++i) ShowRadio(i, true);
    UpdateButtons();
    return true;
}

void cuiFleetWindow::ShowRadio(size_t i, bool phaseChanged) {
    const int r = RowOfRadio(i);
    if (r < 0 || !fleet_) return;
    const indFleet::Radio& radio = fleet_->At(i);
    auto* bar = static_cast<QProgressBar*>(table_->cellWidget(r, StatusColumn(FS_Progress)));
    const int percent = radio.total > 0 ? static_cast<int>(static_cast<long long>(radio.done) * 100 / radio.total) : 0;
    bar->setValue(radio.ended && radio.outcome == 0 ? 100 : percent);
    if (!phaseChanged) return;
    table_->item(r, StatusColumn(FS_Serial))->setText(Q(radio.serial));
    table_->item(r, StatusColumn(FS_Model))->setText(radio.modelType >= 0 ? Q(indMain::ModelName(radio.modelType)) : QString());
    QString phase;
    if (radio.ended)
        phase = radio.outcome == 0 ? tr("done") : tr("stopped");
    else if (radio.phase >= 0)
        phase = Q(indClonePhaseText(radio.phase));
    else
        phase = radio.startTime ? tr("Identifying the radio") : tr("waiting");
    table_->item(r, StatusColumn(FS_Phase))->setText(phase);
    QTableWidgetItem* result = table_->item(r, StatusColumn(FS_Result));
    if (radio.ended) {
        QString text;
        if (radio.outcome == 0)
            text = radio.saved.empty() ? tr("0 ok") : tr("0 ok %1").arg(QFileInfo(Q(radio.saved)).fileName());
        else
            text = QString::number(radio.Status()) + " " +
                   (radio.error.empty() ? (radio.Status() == 1 ? tr("stopped before cloning") : tr("failed"))
                                        : Q(radio.error));
        result->setText(text);
        result->setForeground(radio.outcome == 0 ? QBrush() : QBrush(kFailedText));
        QString tip = Q(radio.errorText.empty() ? radio.error : radio.errorText);
        if (!radio.backup.empty()) tip += (tip.isEmpty() ? "" : "\n\n") + tr("Backup: %1").arg(Q(radio.backup));
        if (!radio.saved.empty()) tip += (tip.isEmpty() ? "" : "\n") + Q(radio.saved);
        result->setToolTip(tip);
    }
    if (auto* cancel = qobject_cast<QPushButton*>(table_->cellWidget(r, StatusColumn(FS_Cancel))))
        cancel->setEnabled(!radio.ended);
}

void cuiFleetWindow::CancelRadio(size_t i) {
    if (!fleet_ || i >= fleet_->Count() || fleet_->At(i).ended) return;
    // Stopping in the middle of a write leaves the radio unusable until it is written again: asked first.
    const int phase = fleet_->At(i).phase;
    if ((phase == CPH_GuardedWrite || phase == CPH_Write) &&
        cmcShowMessage(Caption(), GTex().SectionText("GI_Mess_Confirm_CloneCancel"), cmcMsgIcon::Warning,
                       MB_Ok | MB_Cancel) != MB_Ok)
        return;
    fleet_->Cancel(i);
}

void cuiFleetWindow::CancelEverything() {
    if (!Running()) return;
    bool writing = false;
    for (size_t i = 0; i < fleet_->Count(); ++i) {
        const indFleet::Radio& r = fleet_->At(i);
        writing = writing || (!r.ended && (r.phase == CPH_GuardedWrite || r.phase == CPH_Write));
    }
    if (writing && cmcShowMessage(Caption(), GTex().SectionText("GI_Mess_Confirm_CloneCancel"), cmcMsgIcon::Warning,
                                  MB_Ok | MB_Cancel) != MB_Ok)
        return;
    fleet_->CancelAll();
}

void cuiFleetWindow::Finished() {
    table_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                            QAbstractItemView::AnyKeyPressed);
    for (int r = 0; r < table_->rowCount(); ++r)
        table_->item(r, FC_Port)->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
    int good = 0, total = 0;
    QStringList logProblems;
    if (fleet_) {
        total = static_cast<int>(fleet_->Count());
        for (size_t i = 0; i < fleet_->Count(); ++i) {
            ShowRadio(i, true);
            const indFleet::Radio& r = fleet_->At(i);
            good += r.outcome == 0 ? 1 : 0;
            if (!r.logProblem.empty()) logProblems << Q(r.logProblem);
        }
    }
    QString text = mode_ == FM_Write ? tr("%1 of %2 radios written.").arg(good).arg(total)
                                     : tr("%1 of %2 radios read.").arg(good).arg(total);
    if (mode_ == FM_Read && folder_) text += " " + tr("Files in %1").arg(folder_->text());
    summary_->setText(text);
    UpdateButtons();
    // A write that could not be logged is said, never dropped.
    logProblems.removeDuplicates();
    if (!logProblems.isEmpty())
        cmcShowMessage(Caption(), logProblems.join('\n').toStdString(), cmcMsgIcon::Warning);
    emit fleetFinished();
}

// ---- window -------------------------------------------------------------------------------------

void cuiFleetWindow::reject() {
    if (Running()) {
        summary_->setText(tr("Radios are still running: wait for them, or choose Cancel All."));
        return;
    }
    QDialog::reject();
}

void cuiFleetWindow::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

void cuiFleetWindow::closeEvent(QCloseEvent* e) {
    if (Running()) {
        // Radios are not left half-written by closing a window: Cancel All first.
        summary_->setText(tr("Radios are still running: wait for them, or choose Cancel All."));
        e->ignore();
        return;
    }
    QDialog::closeEvent(e);
}

void cuiFleetWindow::resizeEvent(QResizeEvent* e) {
    QDialog::resizeEvent(e);
    if (isVisible()) {
        Environ().FleetWidth = width();
        Environ().FleetHeight = height();
    }
}

}  // namespace qx
