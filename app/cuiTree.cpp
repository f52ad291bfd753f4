#include "app/cuiTree.h"

#include "app/cuiIcons.h"
#include "cells/cmcReasons.h"
#include "defs/cmcEvMan.h"
#include "defs/cmcGTex.h"
#include "app/cuiSheetPaint.h"
#include "image/datCh.h"
#include "image/indMain.h"

#include <QHeaderView>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace qx {

namespace {

constexpr int kCellRole = Qt::UserRole;
constexpr int kOverlayRole = Qt::UserRole + 1;

constexpr int kDigitalOptionByte = 11;   // image byte 11, bit 4: the radio has the digital timers
constexpr uint8_t kDigitalTimerBit = 0x10;
constexpr int kBankNameLength = 8;

int Indentation(const std::string& line) {
    const size_t plus = line.find('+');
    return static_cast<int>(plus == std::string::npos ? line.size() : plus);
}

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string TrimRight(std::string s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0' || s.back() == '\t')) s.pop_back();
    return s;
}

// A bank name as the image holds it (single-byte characters) as caption text.
std::string BankNameText(const uint8_t* bytes, int length) {
    QString text;
    for (int i = 0; i < length && bytes[i]; ++i) text += bytes[i] < 0x20 ? QChar(' ') : QChar(QLatin1Char(static_cast<char>(bytes[i])));
    return TrimRight(text.toStdString());
}

bool IsBankRef(const cuiSheetRef& ref) {
    return ref.style == "St_ChBank" && ref.parameter.compare(0, 4, "Bank") == 0;
}

}  // namespace

// ---- sheet references ----------------------------------------------------------------------------

cuiSheetRef cuiSheetRef::Split(const std::string& reference) {
    cuiSheetRef r;
    const size_t comma = reference.find(',');
    std::string head = reference.substr(0, comma);
    if (comma != std::string::npos) r.parameter = reference.substr(comma + 1);
    if (!head.empty() && head[0] == '[') {
        const size_t close = head.find(']');
        if (close == std::string::npos) {
            r.style = head.substr(1);
            head.clear();
        } else {
            r.style = head.substr(1, close - 1);
            head = head.substr(close + 1);
        }
    }
    r.key = head;
    return r;
}

// ---- construction ----------------------------------------------------------------------------

cuiTree::cuiTree(QWidget* host, cmcGTex& store, std::string name, const std::vector<QIcon>* images, indMain* main)
    : host_(host), store_(store), name_(std::move(name)), images_(images), main_(main) {
    control_ = new QTreeWidget(host_);
    control_->setHeaderHidden(true);
    control_->setColumnCount(1);
    control_->setUniformRowHeights(true);
    control_->setSelectionMode(QAbstractItemView::SingleSelection);
    control_->setExpandsOnDoubleClick(true);
    control_->hide();
    // The selection stays visible when the tree loses the focus.
    QPalette pal = control_->palette();
    pal.setColor(QPalette::Inactive, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Highlight));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText, pal.color(QPalette::Active, QPalette::HighlightedText));
    control_->setPalette(pal);
    if (host_) {
        if (!host_->layout()) {
            auto* l = new QVBoxLayout(host_);
            l->setContentsMargins(0, 0, 0, 0);
        }
        host_->layout()->addWidget(control_);
    }
    connect(control_, &QTreeWidget::currentItemChanged, this, [this] { OnCurrentChanged(); });
    connect(control_, &QTreeWidget::itemExpanded, this, [this] {
        if (onExpandCollapse) onExpandCollapse();
    });
    connect(control_, &QTreeWidget::itemCollapsed, this, [this] {
        if (onExpandCollapse) onExpandCollapse();
    });
    delay_ = cmcMakeTask();
    delay_->SetCallback([this](cmcTask& t) {
        t.SetInterval(-1);
        FlushChange();
    });
    EvMan().Register<&cuiTree::OnEvent>(this);
}

cuiTree::~cuiTree() {
    EvMan().UnregisterAll(this);
    delay_.reset();
    if (control_) {
        control_->blockSignals(true);
        delete control_;
    }
}

indMain* cuiTree::Main() const { return main_ ? main_ : indMain::Instance(); }

// ---- building --------------------------------------------------------------------------------

void cuiTree::Build() {
    QSignalBlocker block(control_);
    control_->clear();
    cells_.clear();
    iconCache_.clear();
    ParseCell(store_.Line(name_ + "_BasicCell", 0), &basic_, nullptr, nullptr);
    if (const cmcFont* font = basic_.EffectiveFont()) {
        control_->setFont(cuiFont(*font));
        QPalette pal = control_->palette();
        pal.setColor(QPalette::Text, cuiColour(font->colour));
        control_->setPalette(pal);
    }
    QPalette pal = control_->palette();
    pal.setColor(QPalette::Base, cuiColour(basic_.colour));
    control_->setPalette(pal);
    const int iconSize = QFontMetrics(control_->font()).height();
    control_->setIconSize(QSize(iconSize, iconSize));

    ReadLevel(nullptr, 0);
    if (QTreeWidgetItem* root = NodeAt(0)) root->setExpanded(false);
}

// Reads the node lines of one level from `firstLine` on; returns how many lines it used.
int cuiTree::ReadLevel(QTreeWidgetItem* parent, int firstLine) {
    const std::string key = name_ + "_Body";
    int i = firstLine;
    int level = -1;
    QTreeWidgetItem* last = nullptr;
    while (true) {
        const std::string line = store_.Line(key, i);
        if (!line.empty() && line[0] == '#') break;
        const int indent = Indentation(line);
        if (level < 0) level = indent;
        if (indent == level) {
            last = AddNode(parent, line);
            ++i;
        } else if (indent > level && last) {
            i += ReadLevel(last, i);
        } else {
            break;
        }
    }
    return i - firstLine;
}

QTreeWidgetItem* cuiTree::MakeNode(const std::string& line) {
    auto cell = std::make_unique<cmcCellObj>();
    const size_t plus = line.find('+');
    const std::string description = plus == std::string::npos ? std::string() : line.substr(plus + 1);
    ParseCell(description, cell.get(), nullptr, &basic_);
    auto* node = new QTreeWidgetItem();
    node->setText(0, QString::fromStdString(cell->Text()));
    node->setData(0, kCellRole, QVariant::fromValue<quintptr>(reinterpret_cast<quintptr>(cell.get())));
    node->setData(0, kOverlayRole, static_cast<int>(TO_None));
    const cmcCellObj* key = cell.get();
    cells_[key] = std::move(cell);
    UpdateIcon(node);
    return node;
}

QTreeWidgetItem* cuiTree::AddNode(QTreeWidgetItem* parent, const std::string& line) {
    QTreeWidgetItem* node = MakeNode(line);
    if (parent)
        parent->addChild(node);
    else
        control_->addTopLevelItem(node);
    return node;
}

// ---- nodes -------------------------------------------------------------------------------------

cmcCellObj* cuiTree::CellOf(const QTreeWidgetItem* node) {
    if (!node) return nullptr;
    return reinterpret_cast<cmcCellObj*>(node->data(0, kCellRole).value<quintptr>());
}

QTreeWidgetItem* cuiTree::Selected() const { return control_ ? control_->currentItem() : nullptr; }
cmcCellObj* cuiTree::SelectedCell() const { return CellOf(Selected()); }

void cuiTree::Select(QTreeWidgetItem* node) {
    if (!control_ || !node) return;
    control_->setCurrentItem(node);
    node->setSelected(true);
}

int cuiTree::NodeCount() const {
    int n = 0;
    if (!control_) return 0;
    for (QTreeWidgetItemIterator it(control_); *it; ++it) ++n;
    return n;
}

QTreeWidgetItem* cuiTree::NodeAt(int index) const {
    if (!control_ || index < 0) return nullptr;
    int n = 0;
    for (QTreeWidgetItemIterator it(control_); *it; ++it, ++n)
        if (n == index) return *it;
    return nullptr;
}

std::vector<std::string> cuiTree::SheetReferences() const {
    std::vector<std::string> out;
    if (!control_) return out;
    for (QTreeWidgetItemIterator it(control_); *it; ++it) {
        const cmcCellObj* cell = CellOf(*it);
        out.push_back(cell && cell->name ? *cell->name : std::string());
    }
    return out;
}

std::vector<std::string> cuiTree::ExpandedReferences() const {
    std::vector<std::string> out;
    if (!control_) return out;
    for (QTreeWidgetItemIterator it(control_); *it; ++it) {
        const cmcCellObj* cell = CellOf(*it);
        if ((*it)->isExpanded() && cell && cell->name && !cell->name->empty()) out.push_back(*cell->name);
    }
    return out;
}

void cuiTree::ExpandReferences(const std::vector<std::string>& references) {
    if (!control_) return;
    for (QTreeWidgetItemIterator it(control_); *it; ++it) {
        const cmcCellObj* cell = CellOf(*it);
        if (cell && cell->name && std::find(references.begin(), references.end(), *cell->name) != references.end())
            (*it)->setExpanded(true);
    }
}

std::vector<std::string> cuiTree::MainTreeSheets(cmcGTex& store, indMain& main) {
    QWidget host;
    host.setAttribute(Qt::WA_DontShowOnScreen);
    cuiTree tree(&host, store, "GI_Tree_Main", nullptr, &main);
    tree.Build();
    tree.AdjustToModel();
    return tree.SheetReferences();
}

int cuiTree::IndexOf(const QTreeWidgetItem* node) const {
    if (!control_ || !node) return -1;
    int n = 0;
    for (QTreeWidgetItemIterator it(control_); *it; ++it, ++n)
        if (*it == node) return n;
    return -1;
}

QTreeWidgetItem* cuiTree::FindNode(const std::string& name) const {
    if (!control_) return nullptr;
    for (QTreeWidgetItemIterator it(control_); *it; ++it) {
        const cmcCellObj* cell = CellOf(*it);
        if (cell && cell->name && *cell->name == name) return *it;
    }
    return nullptr;
}

std::string cuiTree::Caption(const QTreeWidgetItem* node) { return node ? node->text(0).toStdString() : ""; }

void cuiTree::SetCaption(QTreeWidgetItem* node, const std::string& caption) {
    if (!node) return;
    node->setText(0, QString::fromStdString(caption));
    if (cmcCellObj* cell = CellOf(node)) cell->text = caption;
}

void cuiTree::RemoveNode(QTreeWidgetItem* node) {
    // The tree control points to the cell: the node goes first, then its cells.
    std::vector<const cmcCellObj*> owned;
    std::function<void(QTreeWidgetItem*)> collect = [&](QTreeWidgetItem* n) {
        owned.push_back(CellOf(n));
        for (int i = 0; i < n->childCount(); ++i) collect(n->child(i));
    };
    collect(node);
    delete node;
    for (const cmcCellObj* c : owned) cells_.erase(c);
}

void cuiTree::DeleteChildren(QTreeWidgetItem* node) {
    if (!node) return;
    while (node->childCount() > 0) RemoveNode(node->child(node->childCount() - 1));
}

void cuiTree::RemoveByFlagType(int t) {
    if (t < 0 || t > 5) return;
    const uint8_t bit = static_cast<uint8_t>(BF_Flag0 << t);
    RemoveWhere([bit](const cmcCellObj& cell) { return (cell.behaviour & bit) != 0; });
}

void cuiTree::RemoveOtherModels(int type) {
    if (type < 0 || type > 3) return;
    RemoveWhere([type](const cmcCellObj& cell) { return cell.index != 0 && !(cell.index & (1 << type)); });
}

void cuiTree::RemoveWhere(const std::function<bool(const cmcCellObj&)>& doomedCell) {
    if (!control_) return;
    // Collect first: removing a node also removes the nodes below it.
    std::vector<QTreeWidgetItem*> doomed;
    for (QTreeWidgetItemIterator it(control_); *it; ++it) {
        const cmcCellObj* cell = CellOf(*it);
        if (!cell || !doomedCell(*cell)) continue;
        bool underDoomed = false;
        for (QTreeWidgetItem* p = (*it)->parent(); p && !underDoomed; p = p->parent())
            underDoomed = std::find(doomed.begin(), doomed.end(), p) != doomed.end();
        if (!underDoomed) doomed.push_back(*it);
    }
    for (QTreeWidgetItem* node : doomed) RemoveNode(node);
}

QTreeWidgetItem* cuiTree::InsertByName(const std::string& name, int index, bool asChild) {
    const std::string key = name_ + "_Body";
    std::string line;
    for (int i = 0;; ++i) {
        std::string l = store_.Line(key, i);
        if (!l.empty() && l[0] == '#') return nullptr;
        if (l.find(name) != std::string::npos) {
            line = l;
            break;
        }
    }
    QTreeWidgetItem* at = NodeAt(index);
    if (!at) return nullptr;
    QTreeWidgetItem* node = MakeNode(line);
    const cmcCellObj* cell = CellOf(node);
    if (cell && cell->name && FindNode(*cell->name)) {
        cells_.erase(cell);
        delete node;
        return nullptr;
    }
    if (asChild) {
        at->addChild(node);
    } else if (QTreeWidgetItem* parent = at->parent()) {
        parent->insertChild(parent->indexOfChild(at), node);
    } else {
        control_->insertTopLevelItem(control_->indexOfTopLevelItem(at), node);
    }
    return node;
}

// ---- model adjustment ----------------------------------------------------------------------

std::string cuiTree::ModelWord(int modelType) {
    switch (modelType) {
    case 2: return "PmrK";
    case 3: return "DPmr446";
    case 1: return "Pmr";
    default: return "Lmr";
    }
}

std::string cuiTree::FormatLine(const std::string& format, const std::string& word, int number) {
    std::string out;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size()) {
            const char c = format[i + 1];
            if (c == 's' || c == 'd' || c == '%') {
                out += c == 's' ? word : c == 'd' ? std::to_string(number) : std::string("%");
                ++i;
                continue;
            }
        }
        out += format[i];
    }
    return out;
}

void cuiTree::AdjustToModel() {
    indMain* main = Main();
    if (!control_ || !main) return;
    bool changed = false;
    std::string remembered;
    {
        QSignalBlocker block(control_);
        const cmcCellObj* selected = SelectedCell();
        remembered = selected && selected->name ? *selected->name : std::string();
        const int selectedIndex = IndexOf(Selected());

        RemoveByFlagType(0);
        const cmcEeprom& image = main->WorkingImage();
        if (image.GetSize() > kDigitalOptionByte && (image.Data()[kDigitalOptionByte] & kDigitalTimerBit)) {
            if (QTreeWidgetItem* progMes = FindNode("GI_Sheet_Dig_ProgMes")) {
                const int before = IndexOf(progMes) - 1;
                if (before >= 0) InsertByName("GI_Sheet_Dig_Tim", before, true);
            }
        } else {
            RemoveByFlagType(5);
        }
        const int type = main->ModelType();
        if (type != 1 && type != 2) RemoveByFlagType(2);
        if (type != 0) RemoveByFlagType(1);
        if (type != 2) RemoveByFlagType(3);
        if (type == 3) RemoveByFlagType(4);
        RemoveOtherModels(type);

        // The memory channel branch: the bank operation node and one node per bank.
        if (QTreeWidgetItem* top = FindNode("GI_Sheet_Memory_CH_Top")) {
            DeleteChildren(top);
            AddNode(top, store_.Line("GI_Tree_Branch_Mch_BankOperation", 0));
            const std::string word = ModelWord(type);
            const std::string format = store_.Line("GI_Tree_Branch_Mch_Bank", 0);
            // Every model type has five banks; on dPMR446 the fifth is the free bank, the only one
            // whose channels take any frequency and colour code, so it is offered like the others.
            for (int i = 0; i < map::kBankCount; ++i) {
                AddNode(top, FormatLine(format, word, i));
                uint8_t name[kBankNameLength] = {};
                if (image.GetSize() >= kImageSize) {
                    datCh record(const_cast<uint8_t*>(image.Data()));
                    record.Load(KIND_BankName, i);
                    std::copy(record.text, record.text + kBankNameLength, name);
                }
                EvMan().Send(EVC_BankRename, 0, i, name, kBankNameLength);
            }
        }

        // Where the selection went. A node of the remembered name is chosen again (a bank node is
        // rebuilt under the same name); otherwise the node after the one that now holds the place.
        QTreeWidgetItem* now = Selected();
        const cmcCellObj* nowCell = CellOf(now);
        const std::string nowName = nowCell && nowCell->name ? *nowCell->name : std::string();
        if ((now || selectedIndex >= 0) && nowName != remembered) {
            QTreeWidgetItem* target = remembered.empty() ? nullptr : FindNode(remembered);
            if (!target) {
                const int base = now ? IndexOf(now) : std::max(0, selectedIndex - 1);
                target = NodeAt(base + 1);
                if (!target) target = now ? now : NodeAt(std::min(base, NodeCount() - 1));
            }
            if (target) {
                for (QTreeWidgetItem* p = target->parent(); p; p = p->parent()) p->setExpanded(true);
                control_->setCurrentItem(target);
                target->setSelected(true);
            }
            changed = true;
        }
    }
    if (changed) OnCurrentChanged();
    EvMan().Send(EVC_BankChanged);
}

void cuiTree::RefreshBankIcons() {
    indMain* main = Main();
    if (!control_ || !main || main->WorkingImage().GetSize() < kImageSize) return;
    const uint8_t* image = main->WorkingImage().Data();
    for (QTreeWidgetItemIterator it(control_); *it; ++it) {
        cmcCellObj* cell = CellOf(*it);
        if (!cell || !cell->name) continue;
        const cuiSheetRef ref = cuiSheetRef::Split(*cell->name);
        if (!IsBankRef(ref)) continue;
        const int bank = std::atoi(ref.parameter.substr(4).c_str());
        if (bank < 0 || bank >= map::kBankCount) continue;
        const int icon = TI_Bank0 + 2 * (datBankFlag(image, bank) ? 1 : 0) + (datBankSize(image, bank) != 0 ? 1 : 0);
        if (cell->imageIndex != icon) {
            cell->imageIndex = icon;
            UpdateIcon(*it);
        }
    }
}

void cuiTree::RenameBank(int bank, const std::string& name) {
    if (!control_) return;
    for (QTreeWidgetItemIterator it(control_); *it; ++it) {
        cmcCellObj* cell = CellOf(*it);
        if (!cell || !cell->name) continue;
        const cuiSheetRef ref = cuiSheetRef::Split(*cell->name);
        if (ref.style != "St_ChBank" || ref.parameter.size() < 6) continue;
        if (std::atoi(ref.parameter.c_str() + 5) != bank) continue;
        // A bank without a name is shown by its number, counted from 1 as everywhere else; the
        // dPMR446 free bank also says what it is for.
        std::string caption = name;
        if (caption.empty()) {
            const indMain* main = Main();
            const bool free = bank == map::kFreeBank && main && main->ModelType() == kModelDPmr446;
            caption = store_.Line(free ? "GI_AppInd_BankFreeUnnamed" : "GI_AppInd_BankUnnamed", 0);
            const size_t at = caption.find("%d");
            if (at != std::string::npos) caption.replace(at, 2, std::to_string(bank + 1));
        }
        SetCaption(*it, caption);
    }
}

// ---- overlays ----------------------------------------------------------------------------------

int cuiTree::OverlayOf(const QTreeWidgetItem* node) const {
    return node ? node->data(0, kOverlayRole).toInt() : TO_None;
}

void cuiTree::SetOverlay(QTreeWidgetItem* node, int overlay) {
    if (!node || OverlayOf(node) == overlay) return;
    node->setData(0, kOverlayRole, overlay);
    UpdateIcon(node);
}

void cuiTree::ClearOverlays(QTreeWidgetItem* node) {
    if (!node) return;
    SetOverlay(node, TO_None);
    node->setToolTip(0, QString());
    for (int i = 0; i < node->childCount(); ++i) ClearOverlays(node->child(i));
}

int cuiTree::MarkSubtree(QTreeWidgetItem* node, const std::vector<std::string>& names, int overlay,
                         const std::vector<std::string>* reasons) {
    std::vector<std::string> found;
    return MarkWith(node, names, overlay, reasons, found);
}

int cuiTree::MarkWith(QTreeWidgetItem* node, const std::vector<std::string>& names, int overlay,
                      const std::vector<std::string>* reasons, std::vector<std::string>& found) {
    if (!node) return 0;
    int below = 0;
    std::vector<std::string> under;  // the reasons of the listed nodes below
    for (int i = 0; i < node->childCount(); ++i) below += MarkWith(node->child(i), names, overlay, reasons, under);
    std::vector<std::string> own;  // the reasons of this node's own listing
    const cmcCellObj* cell = CellOf(node);
    bool listed = false;
    if (cell) {
        const std::string name = Lower(cell->name ? *cell->name : std::string());
        for (size_t k = 0; k < names.size(); ++k)
            if (Lower(names[k]) == name && !names[k].empty()) {
                listed = true;
                if (reasons && k < reasons->size() && !(*reasons)[k].empty()) own.push_back((*reasons)[k]);
            }
    }
    const bool marked = listed || (!node->isExpanded() && below > 0);
    if (marked) {
        SetOverlay(node, overlay);
        if (reasons) {
            // Errors are marked after warnings: their lines go first.
            // A collapsed node stands for the nodes below it as well.
            QStringList lines;
            for (const std::string& r : own) lines << QString::fromStdString(r);
            if (!node->isExpanded())
                for (const std::string& r : under) lines << QString::fromStdString(r);
            lines.removeDuplicates();
            const QString before = node->toolTip(0);
            if (!before.isEmpty()) lines << before;
            node->setToolTip(0, lines.join('\n'));
        }
    }
    found.insert(found.end(), own.begin(), own.end());
    found.insert(found.end(), under.begin(), under.end());
    return below + (listed ? 1 : 0);
}

std::string cuiTree::MarkTextOf(const QTreeWidgetItem* node) const {
    return node ? node->toolTip(0).toStdString() : std::string();
}

void cuiTree::ShowMarkStatus() {
    QTreeWidgetItem* node = control_ ? control_->currentItem() : nullptr;
    const QString tip = node ? node->toolTip(0) : QString();
    if (tip.isEmpty()) {
        if (markStatusShown_) ShowStatusText("", false);
        markStatusShown_ = false;
        return;
    }
    // The status bar has one line: the reasons side by side.
    const std::string text = tip.split('\n').join("; ").toStdString();
    const bool error = OverlayOf(node) == TO_Error;
    ShowStatusText(text, error);
    markStatusShown_ = true;
}

QIcon cuiTree::IconFor(int image, int overlay) {
    const auto key = std::make_pair(image, overlay);
    auto found = iconCache_.find(key);
    if (found != iconCache_.end()) return found->second;
    QIcon base, mark;
    const int count = images_ ? static_cast<int>(images_->size()) : 0;
    if (image >= 0 && image < count) base = (*images_)[image];
    const int markImage = overlay == TO_Error ? TI_Error : overlay == TO_Warning ? TI_Warning : -1;
    if (markImage >= 0 && markImage < count) mark = (*images_)[markImage];
    QIcon icon = mark.isNull() ? base : cuiOverlaid(base, mark);
    iconCache_[key] = icon;
    return icon;
}

void cuiTree::UpdateIcon(QTreeWidgetItem* node) {
    const cmcCellObj* cell = CellOf(node);
    node->setIcon(0, IconFor(cell ? cell->imageIndex : -1, OverlayOf(node)));
}

// ---- events and selection ----------------------------------------------------------------------

void cuiTree::OnCurrentChanged() {
    if (changeDelay_ <= 0) {
        changePending_ = true;
        FlushChange();
        return;
    }
    changePending_ = true;
    delay_->SetInterval(-1);
    delay_->SetInterval(changeDelay_);
}

void cuiTree::FlushChange() {
    if (!changePending_) return;
    changePending_ = false;
    delay_->SetInterval(-1);
    if (onChange) onChange();
    ShowMarkStatus();
}

void cuiTree::OnEvent(const cmcEvent& e) {
    switch (e.code) {
    case EVC_OwnerGone:
        // The host panel is going away: the tree control goes with it; the object stays inert.
        if (host_ && e.FirstAs<QWidget>() == host_) {
            EvMan().UnregisterAll(this);
            if (control_) {
                control_->blockSignals(true);
                delete control_;
            }
            host_ = nullptr;
        }
        break;
    case EVC_TreeBuilt: AdjustToModel(); break;
    case EVC_BankIcons: RefreshBankIcons(); break;
    case EVC_BankRename:
        // The data block starts with the name as the image holds it.
        RenameBank(e.second, BankNameText(e.data.Bytes(), std::min(e.data.Length(), kBankNameLength)));
        break;
    default: break;
    }
}

}  // namespace qx
