#include "app/cuiToolBar.h"

#include "defs/cmcEvMan.h"
#include "defs/cmcGTex.h"

#include <QHBoxLayout>
#include <QToolButton>
#include <QVBoxLayout>

namespace qx {

cuiToolBar::cuiToolBar(QWidget* owner, cmcGTex& store, std::string key, const std::vector<QIcon>* images,
                       QWidget* parent)
    : QWidget(parent), owner_(owner), store_(store), key_(std::move(key)), images_(images),
      handler_(cmcDefaultCellHandler()) {
    rows_ = new QVBoxLayout(this);
    rows_->setContentsMargins(4, 2, 2, 2);
    rows_->setSpacing(2);
    EvMan().Register<&cuiToolBar::OnEvent>(this);
}

cuiToolBar::~cuiToolBar() { EvMan().UnregisterAll(this); }

bool cuiToolBar::IsSeparator(int i) const { return cells_[i]->Text() == "-"; }
bool cuiToolBar::IsRowBreak(int i) const { return cells_[i]->Text() == "/"; }

void cuiToolBar::Build(ClickHandler click) {
    click_ = std::move(click);
    while (QLayoutItem* item = rows_->takeAt(0)) {
        if (QLayout* l = item->layout()) {
            while (QLayoutItem* b = l->takeAt(0)) {
                delete b->widget();
                delete b;
            }
        }
        delete item->layout();
        delete item;
    }
    cells_.clear();
    buttons_.clear();
    rowOf_.clear();

    const std::string body = key_ + "_Body";
    int count = 0;
    while (true) {
        std::string line = store_.Line(body, count);
        if (!line.empty() && line[0] == '#') break;
        ++count;
    }
    basic_ = cmcCellObj();
    ParseCell(store_.Line(key_ + "_BasicCell", 0), &basic_, nullptr, nullptr);

    auto* row = new QHBoxLayout();
    row->setSpacing(0);
    rows_->addLayout(row);
    int rowIndex = 0;
    for (int i = 0; i < count; ++i) {
        auto cell = std::make_unique<cmcCellObj>();
        ParseCell(store_.Line(body, i), cell.get(), nullptr, &basic_);
        QToolButton* button = nullptr;
        rowOf_.push_back(rowIndex);
        if (cell->Text() == "-") {
            row->addSpacing(8);
        } else if (cell->Text() == "/") {
            row->addStretch(1);
            row = new QHBoxLayout();
            row->setSpacing(0);
            rows_->addLayout(row);
            ++rowIndex;
        } else {
            button = new QToolButton(this);
            button->setAutoRaise(false);
            button->setToolTip(QString::fromStdString(cell->Text()));
            if (images_ && cell->imageIndex >= 0 && cell->imageIndex < static_cast<int>(images_->size()))
                button->setIcon((*images_)[cell->imageIndex]);
            else
                button->setText(QString::fromStdString(cell->Text()));
            connect(button, &QToolButton::clicked, this, [this, i] { Clicked(i); });
            row->addWidget(button);
        }
        cells_.push_back(std::move(cell));
        buttons_.push_back(button);
    }
    row->addStretch(1);
}

void cuiToolBar::Clicked(int i) {
    cmcCellObj* cell = cells_[i].get();
    if (click_) {
        click_(*this, i, cell);
        return;
    }
    if (!handler_) return;
    cmcCellRequest req;
    req.owner = owner_;
    req.cell = cell;
    req.action = CA_Enter;
    handler_(req);
}

void cuiToolBar::Refresh() {
    for (int i = 0; i < ButtonCount(); ++i) {
        QToolButton* b = buttons_[i];
        if (!b) continue;
        cmcCellObj* cell = cells_[i].get();
        if (handler_) {
            cmcCellRequest req;
            req.owner = owner_;
            req.cell = cell;
            handler_(req);
        }
        bool pressed = cell->behaviour & BF_Flag0;
        b->setCheckable(pressed);
        b->setChecked(pressed);
        b->setEnabled(!(cell->behaviour & BF_Flag2));
        if (images_ && cell->imageIndex >= 0 && cell->imageIndex < static_cast<int>(images_->size()))
            b->setIcon((*images_)[cell->imageIndex]);
    }
}

void cuiToolBar::OnEvent(const cmcEvent& e) {
    if (e.code == EVC_ToolBarRefresh) Refresh();
}

}  // namespace qx
