#include "app/cuiTextEntry.h"

#include "app/cuiDropDown.h"
#include "app/cuiGrid.h"
#include "app/cuiOkCancel.h"
#include "cells/cmcDispText.h"
#include "cells/cmcCellViews.h"
#include "cells/cmcReasons.h"
#include "defs/cmcCellObj.h"
#include "defs/cmcEvMan.h"
#include "defs/cmcGTex.h"
#include "app/cuiSegPaint.h"
#include "app/cuiSheet.h"
#include "app/cuiSheetPaint.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QValidator>
#include <QVBoxLayout>

#include <algorithm>
#include <cstring>

namespace qx {

namespace {
constexpr int kMaxPerLine = 16;
constexpr int kMaxEditLength = 1024;
}  // namespace

// The preview strip: a black frame and the edit box's text as the radio shows it.
class cuiTextEntry::Preview : public QWidget {
public:
    Preview(cuiTextEntry* entry) : QWidget(entry), entry_(entry) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        p.setPen(Qt::black);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
        if (const std::string refusal = entry_->Refusal(); !refusal.empty()) {
            p.setPen(Qt::red);
            p.drawText(rect().adjusted(4, 0, -4, 0), Qt::AlignVCenter | Qt::AlignLeft, QString::fromStdString(refusal));
            return;
        }
        const std::vector<uint8_t> bytes = BytesOf(entry_->edit_->text().toStdString());
        const int perLine = std::clamp(entry_->length_, 1, kMaxPerLine);
        cuiDrawSegText(p, rect().adjusted(2, 2, -2, -2), bytes.data(), static_cast<int>(bytes.size()), perLine, 1,
                       entry_->user_.data(), Qt::black);
    }

private:
    cuiTextEntry* entry_;
};

// Keeps the edit box within the field: a text of more characters than the display holds is
// refused as typed. A "%" escape being typed at the end ("%1" of "%1F") may overflow for a moment.
class cuiTextEntry::LengthValidator : public QValidator {
public:
    LengthValidator(cuiTextEntry* entry) : QValidator(entry), entry_(entry) {}
    State validate(QString& input, int&) const override {
        const std::string text = input.toStdString();
        const size_t limit = static_cast<size_t>(std::max(entry_->length_, 0));
        if (BytesOf(text).size() <= limit) return Acceptable;
        const size_t escape = text.rfind('%');
        if (escape != std::string::npos && text.size() - escape <= 2 && BytesOf(text.substr(0, escape)).size() < limit)
            return Intermediate;
        entry_->blocked_ = RefusedTooLong(text, entry_->length_);
        entry_->preview_->update();
        return Invalid;
    }

private:
    cuiTextEntry* entry_;
};

cuiTextEntry::cuiTextEntry(QWidget* owner, const cmcCellRequest& req, int length, const uint8_t* userTable,
                           cmcCellHandler handler)
    : QWidget(owner ? owner->window() : nullptr, Qt::Tool | Qt::FramelessWindowHint), owner_(owner), request_(req),
      handler_(std::move(handler)), length_(length) {
    setAttribute(Qt::WA_DeleteOnClose);
    if (userTable) std::memcpy(user_.data(), userTable, user_.size());
    EvMan().Register<&cuiTextEntry::OnEvent>(this);
}

cuiTextEntry::~cuiTextEntry() {
    EvMan().UnregisterAll(this);
    sheet_.reset();
}

cuiTextEntry* cuiTextEntry::Open(const cmcCellRequest& req, const std::string& editable, int length,
                                 const uint8_t* userTable, bool byKey, cmcCellHandler handler, QWidget* owner,
                                 const QRect& cellOnScreen, const QRect& workArea) {
    auto* w = new cuiTextEntry(owner, req, length, userTable, std::move(handler));
    auto* v = new QVBoxLayout(w);
    v->setContentsMargins(2, 2, 2, 2);
    v->setSpacing(2);

    // The edit box, in the cell's font.
    w->edit_ = new QLineEdit(w);
    w->edit_->setMaxLength(kMaxEditLength);
    if (req.cell) {
        const cmcFont* font = req.cell->EffectiveFont();
        if (font) w->edit_->setFont(cuiFont(*font));
    }
    const int editHeight = QFontMetrics(w->edit_->font()).height() * 3 / 2 + 4;
    w->edit_->setFixedHeight(editHeight);
    v->addWidget(w->edit_);

    w->preview_ = new Preview(w);
    w->preview_->setFixedHeight(editHeight + 2);
    v->addWidget(w->preview_);

    // The character sheet: its character cells are handled here, every other cell by the handler.
    auto* host = new QWidget(w);
    v->addWidget(host, 1);
    w->sheet_ = std::make_unique<cuiSheet>(host, nullptr, kLabelNone, 0, GTex(), kSelText, owner);
    w->sheet_->SetCellHandler([w](cmcCellRequest& r) { return w->HandleSheetCell(r); });
    w->sheet_->Build();
    w->sheet_->Grid()->SetScrollBars(cuiGridScrollBars::Vertical);
    w->sheet_->onEscape = [w] { w->edit_->setFocus(); };
    w->sheet_->Grid()->viewport()->installEventFilter(w);

    auto* buttons = new QHBoxLayout();
    const cuiOkCancel okCancel = cuiAddOkCancel(buttons, w);
    w->ok_ = okCancel.ok;
    w->cancel_ = okCancel.cancel;
    v->addLayout(buttons);
    connect(w->ok_, &QPushButton::clicked, w, &cuiTextEntry::Accept);
    connect(w->cancel_, &QPushButton::clicked, w, &cuiTextEntry::Cancel);
    connect(w->edit_, &QLineEdit::textChanged, w, [w] {
        w->blocked_.clear();
        w->preview_->update();
    });
    w->edit_->installEventFilter(w);

    w->edit_->setText(QString::fromStdString(editable));
    w->edit_->setValidator(new LengthValidator(w));
    if (byKey)
        w->edit_->setCursorPosition(w->edit_->text().size());
    else
        w->edit_->selectAll();

    const int width = w->sheet_->FullWidth() + v->contentsMargins().left() + v->contentsMargins().right();
    // The entry stays inside the main window: it is sized and placed in the part of the work area
    // the window covers, unless the window is too small to hold it.
    constexpr int kMinHeight = 200;
    QRect area = workArea;
    if (owner) {
        const QRect inside = workArea.intersected(owner->window()->frameGeometry());
        if (inside.height() >= kMinHeight && inside.width() >= width) area = inside;
    }
    const int height = std::max(area.height() * 5 / 8, kMinHeight);
    w->resize(width, height);
    w->move(cuiDropDownPlace(cellOnScreen, QSize(width, height), area));
    w->show();
    w->activateWindow();
    w->edit_->setFocus();
    return w;
}

void cuiTextEntry::InsertCode(int code) {
    const std::string text = EditableOf({static_cast<uint8_t>(code)});
    edit_->insert(QString::fromStdString(text));
}

uint8_t cuiTextEntry::HandleSheetCell(cmcCellRequest& req) {
    cmcCellObj* cell = req.cell;
    if (!cell || cell->label != Flex0) {
        const cmcCellHandler& fallback = handler_ ? handler_ : cmcDefaultCellHandler();
        return fallback ? fallback(req) : 0;
    }
    req.display.clear();
    if (req.canvas && req.paint) {
        // The character, drawn as the display shows it.
        cmcCellPaint& paint = *req.paint;
        paint.segBytes[0] = static_cast<uint8_t>(cell->index);
        paint.segCount = 1;
        paint.segPerLine = 1;
        paint.segLines = 1;
        std::memcpy(paint.segUser, user_.data(), sizeof paint.segUser);
        return CER_None;
    }
    const int action = req.action;
    if (action == 32) {
        InsertCode(cell->index);
    } else if (action == 256) {
        InsertCode(cell->index);
        edit_->setFocus();
    } else if (action == 13) {
        Accept();
    } else if (action == 8) {
        edit_->setFocus();
    } else if (action > 32 && action < 127) {
        // A typed character goes into the text, and typing goes on in the edit box.
        edit_->insert(QString::fromStdString(EditableOf({static_cast<uint8_t>(action)})));
        edit_->setFocus();
    }
    return CER_None;
}

bool cuiTextEntry::eventFilter(QObject* watched, QEvent* e) {
    if (watched == edit_ && e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
            Accept();
            return true;
        }
        if (k->key() == Qt::Key_Escape) {
            Cancel();
            return true;
        }
    }
    if (sheet_ && watched == sheet_->Grid()->viewport() && e->type() == QEvent::MouseButtonRelease) {
        // A click inserts the clicked character (the press has made its cell current).
        auto* m = static_cast<QMouseEvent*>(e);
        int c, r;
        if (m->button() == Qt::LeftButton && sheet_->Grid()->MouseToCell(m->position().toPoint(), c, r) &&
            c == sheet_->Col() && r == sheet_->Row()) {
            const cmcCellObj& cell = sheet_->CellAt(c, r);
            if (cell.Selectable() && cell.label == Flex0) InsertCode(cell.index);
        }
    }
    return QWidget::eventFilter(watched, e);
}

std::string cuiTextEntry::Refusal() const {
    const std::string text = edit_->text().toStdString();
    if (std::string why = NoCharacterMessage(text); !why.empty()) return why;
    if (BytesOf(text).size() > static_cast<size_t>(std::max(length_, 0))) return RefusedTooLong(text, length_);
    return blocked_;
}

void cuiTextEntry::Accept() {
    if (done_) return;
    const std::string text = edit_->text().toStdString();
    const size_t at = MissingCharacterAt(text);
    if (at != std::string::npos) {
        // The preview names the character; select it so that it can be typed over.
        const QString typed = edit_->text();
        const int pos = static_cast<int>(QString::fromStdString(text.substr(0, at)).size());
        edit_->setFocus();
        edit_->setSelection(pos, pos < typed.size() && typed[pos].isHighSurrogate() ? 2 : 1);
        preview_->update();
        return;
    }
    if (BytesOf(text).size() > static_cast<size_t>(std::max(length_, 0))) {
        // An unfinished escape overflows the field: the preview says so, nothing is cut.
        edit_->setFocus();
        preview_->update();
        return;
    }
    Deliver();
}

void cuiTextEntry::Deliver() {
    if (done_) return;
    done_ = true;
    if (owner_) DeliverChooserAnswer(request_, handler_ ? handler_ : cmcDefaultCellHandler(),
                                     edit_->text().toStdString());
    Release();
}

void cuiTextEntry::Cancel() {
    escaped_ = true;
    done_ = true;
    Release();
}

void cuiTextEntry::Release() {
    hide();
    QTimer::singleShot(0, this, [this] { close(); });
}

bool cuiTextEntry::event(QEvent* e) {
    if (e->type() == QEvent::WindowDeactivate && isVisible() && !done_) {
        // Clicking elsewhere keeps what was typed, unless Esc was pressed (a text the display cannot
        // show goes to the cell all the same, which refuses it with its message).
        if (escaped_)
            Cancel();
        else
            Deliver();
    }
    return QWidget::event(e);
}

void cuiTextEntry::OnEvent(const cmcEvent& e) {
    if (e.code == EVC_CloseDropDowns && !done_) {
        if (escaped_)
            Cancel();
        else
            Deliver();
    }
    if (e.code == EVC_OwnerGone && owner_ && e.FirstAs<QWidget>() == owner_.data()) Cancel();
}

}  // namespace qx
