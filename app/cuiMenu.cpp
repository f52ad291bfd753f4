#include "app/cuiMenu.h"

#include "defs/cmcEvMan.h"
#include "defs/cmcGTex.h"
#include "defs/cmcKeyName.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include <algorithm>

namespace qx {

namespace {
const char* const kCellProp = "qxCell";
const char* const kOwnerProp = "qxOwner";   // the builder root the entry counts for
const char* const kTargetProp = "qxTarget"; // the builder whose click handler the entry uses
const char* const kYieldedProp = "qxYielded"; // the shortcut an own entry gave up to a mirrored one
}  // namespace

cuiMenu::cuiMenu(QWidget* owner, QWidget* root, cmcGTex& store, std::string key, ClickHandler click)
    : owner_(owner), root_(root), store_(store), key_(std::move(key)), click_(std::move(click)),
      handler_(cmcDefaultCellHandler()) {
    EvMan().Register<&cuiMenu::OnEvent>(this);
}

cuiMenu::~cuiMenu() {
    EvMan().UnregisterAll(this);
    if (root_) ClearItem(nullptr);
}

cmcCellObj* cuiMenu::CellOf(const QAction* item) {
    return item ? static_cast<cmcCellObj*>(item->property(kCellProp).value<void*>()) : nullptr;
}

std::vector<QAction*> cuiMenu::Items(QAction* item) const {
    std::vector<QAction*> out;
    QList<QAction*> level = item ? (item->menu() ? item->menu()->actions() : QList<QAction*>()) : root_->actions();
    for (QAction* a : level) {
        out.push_back(a);
        if (a->menu()) {
            auto sub = Items(a);
            out.insert(out.end(), sub.begin(), sub.end());
        }
    }
    return out;
}

QAction* cuiMenu::FindByLabel(int label) const {
    for (QAction* a : Items())
        if (const cmcCellObj* c = CellOf(a); c && c->label == label) return a;
    return nullptr;
}

void cuiMenu::Build() {
    ClearItem(nullptr);
    basic_ = cmcCellObj();
    ParseCell(store_.Line(key_ + "_BasicCell", 0), &basic_, nullptr, nullptr);
    FillItem(nullptr, key_ + "_Body", 0, nullptr);
}

QMenu* cuiMenu::SubMenuOf(QAction* item) {
    if (!item->menu()) {
        QWidget* parent = qobject_cast<QWidget*>(item->parent());
        if (!parent) parent = root_;
        auto* m = new QMenu(parent);
        m->setTitle(item->text());
        item->setMenu(m);
    }
    return item->menu();
}

int cuiMenu::FillItem(QAction* item, const std::string& key, int firstLine, cuiMenu* target) {
    return FillLevel(item ? SubMenuOf(item) : root_, key, firstLine, target);
}

int cuiMenu::FillLevel(QWidget* menu, const std::string& key, int firstLine, cuiMenu* target) {
    int indent = -1;
    int i = 0;
    QAction* last = nullptr;
    cuiMenu* owner = target ? target : this;
    while (true) {
        std::string line = store_.Line(key, firstLine + i);
        if (!line.empty() && line[0] == '#') break;
        size_t plus = line.find('+');
        int ind = plus == std::string::npos ? static_cast<int>(line.size()) : static_cast<int>(plus);
        if (indent < 0) indent = ind;
        if (ind > indent && last) {
            i += FillLevel(SubMenuOf(last), key, firstLine + i, target);
            continue;
        }
        if (ind < indent) break;
        auto cell = std::make_unique<cmcCellObj>();
        std::string desc = plus == std::string::npos ? std::string() : line.substr(plus + 1);
        // Entries filled in for another builder take that builder's basic cell, so that they are
        // the same cells as its own entries (a popup menu's basic cell gives its category).
        ParseCell(desc, cell.get(), nullptr, owner == this ? &basic_ : &owner->basic_);
        // A separator gets no text: some styles draw a separator's text as a section title.
        const bool separator = cell->Text() == "-";
        auto* a = new QAction(separator ? QString() : QString::fromStdString(cell->Text()), menu);
        if (separator) a->setSeparator(true);
        if (cell->name) {
            if (int keys = ParseKeyName(*cell->name)) {
                if (owner != this) YieldShortcut(QKeySequence(keys), a);
                a->setShortcut(QKeySequence(keys));
            }
        }
        if (images_ && cell->imageIndex >= 0 && cell->imageIndex < static_cast<int>(images_->size()))
            a->setIcon((*images_)[cell->imageIndex]);
        a->setProperty(kCellProp, QVariant::fromValue<void*>(cell.get()));
        a->setProperty(kOwnerProp, QVariant::fromValue<void*>(owner->root_));
        a->setProperty(kTargetProp, QVariant::fromValue<void*>(owner));
        QPointer<cuiMenu> targetGuard(owner);
        connect(a, &QAction::triggered, this, [this, a, targetGuard] {
            if (targetGuard) targetGuard->Clicked(a);
        });
        cells_.push_back(std::move(cell));
        menu->addAction(a);
        last = a;
        ++i;
    }
    return i;
}

void cuiMenu::YieldShortcut(const QKeySequence& keys, QAction* mirror) {
    for (QAction* a : Items()) {
        if (a == mirror || a->shortcut() != keys) continue;
        if (a->property(kTargetProp).value<void*>() != this) continue;  // another mirrored entry
        a->setProperty(kYieldedProp, QVariant::fromValue(keys));
        a->setShortcut(QKeySequence());
    }
}

void cuiMenu::RestoreShortcuts() {
    const std::vector<QAction*> items = Items();
    for (QAction* a : items) {
        const QVariant yielded = a->property(kYieldedProp);
        if (!yielded.isValid()) continue;
        const QKeySequence keys = yielded.value<QKeySequence>();
        const bool held = std::any_of(items.begin(), items.end(), [&](QAction* b) { return b->shortcut() == keys; });
        if (held) continue;
        a->setShortcut(keys);
        a->setProperty(kYieldedProp, QVariant());
    }
}

void cuiMenu::ForgetCell(const cmcCellObj* cell) {
    auto it = std::find_if(cells_.begin(), cells_.end(), [&](auto& c) { return c.get() == cell; });
    if (it != cells_.end()) cells_.erase(it);
}

void cuiMenu::ClearItem(QAction* item) {
    QWidget* menu = item ? item->menu() : root_;
    if (!menu) return;
    const QList<QAction*> actions = menu->actions();
    for (QAction* a : actions) {
        if (IsKept(a)) continue;
        if (a->menu()) ClearItem(a);
        // Entries filled in here for another builder keep their cells in this builder's ring.
        ForgetCell(CellOf(a));
        menu->removeAction(a);
        a->setShortcut(QKeySequence());  // deleted later; its key is free now
        if (QMenu* sub = a->menu()) sub->deleteLater();
        a->deleteLater();
    }
    if (item) RestoreShortcuts();
}

void cuiMenu::Clicked(QAction* item) {
    cmcCellObj* cell = CellOf(item);
    if (click_)
        click_(*this, item, cell);
    else
        DefaultClick(item, cell);
}

void cuiMenu::DefaultClick(QAction*, cmcCellObj* cell) {
    if (!cell || !handler_) return;
    cmcCellRequest req;
    req.owner = owner_;
    req.cell = cell;
    req.action = CA_Enter;
    handler_(req);
    Refresh();
}

void cuiMenu::Refresh() {
    fetchedOwner_ = nullptr;
    hasContext_ = false;
    bool first = true;
    for (QAction* a : Items()) {
        cmcCellObj* cell = CellOf(a);
        if (!cell) {
            a->setChecked(false);
            continue;
        }
        auto* itemOwner = static_cast<QObject*>(a->property(kOwnerProp).value<void*>());
        if (first || itemOwner != fetchedOwner_) {
            first = false;
            fetchedOwner_ = itemOwner;
            hasContext_ = false;
            if (auto ans = EvMan().Query(EVC_QueryCurrentCell, itemOwner, 0)) {
                if (const cmcCellObj* c = ans->Object<cmcCellObj>()) {
                    contextCell_ = *c;
                    hasContext_ = true;
                }
            }
        }
        if (!handler_) continue;
        cmcCellRequest req;
        req.owner = owner_;
        req.cell = cell;
        contextReq_ = cmcCellRequest();
        contextReq_.owner = owner_;
        contextReq_.cell = &contextCell_;
        req.parent = hasContext_ ? &contextReq_ : nullptr;
        cell->behaviour &= ~(BF_Flag0 | BF_Flag1 | BF_Flag2 | BF_Flag3);
        handler_(req);
        bool checked = cell->behaviour & BF_Flag0;
        a->setCheckable(checked || a->isCheckable());
        a->setChecked(checked);
        a->setVisible(!(cell->behaviour & BF_Flag1));
        a->setEnabled(!(cell->behaviour & BF_Flag2));
        if ((cell->behaviour & BF_Flag3) && !a->isSeparator() && a->text() != QString::fromStdString(cell->Text()))
            a->setText(QString::fromStdString(cell->Text()));
        if (images_ && cell->imageIndex >= 0 && cell->imageIndex < static_cast<int>(images_->size()))
            a->setIcon((*images_)[cell->imageIndex]);
    }
}

void cuiMenu::OnEvent(const cmcEvent& e) {
    switch (e.code) {
    case EVC_MenuRefresh:
        Refresh();
        break;
    case EVC_MenuItemClear:
        if (QAction* a = FindByLabel(e.second)) ClearItem(a);
        break;
    case EVC_MenuItemFill:
        if (QAction* a = FindByLabel(e.second)) FillItem(a, e.data.Text() + "_Body", 0, e.FirstAs<cuiMenu>());
        break;
    default:
        break;
    }
}

}  // namespace qx
