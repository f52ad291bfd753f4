#include "app/cuiCharEditor.h"

#include "app/cuiDropDown.h"
#include "defs/cmcCellObj.h"
#include "defs/cmcGTex.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace qx {

namespace {
constexpr int kAreaSize = 200;
constexpr int kBorder = 5;
constexpr int kButtonWidth = 84;
}  // namespace

// The drawing area: the clickable segments, black when on and white when off.
class cuiCharEditor::AreaView : public QWidget {
public:
    explicit AreaView(cuiCharEditor* editor) : QWidget(editor), editor_(editor) {
        setFixedSize(kAreaSize, kAreaSize);
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), QColor(0xD4, 0xD0, 0xC8));
        const cmcSegEditorMap map(editor_->geometry_);
        for (const cmcSegment& seg : editor_->geometry_.Segments()) {
            if (!seg.clickable) continue;
            const QColor colour = seg.on ? Qt::black : Qt::white;
            p.setBrush(colour);
            p.setPen(QPen(colour, 1));
            for (const cmcSegTriangle& tri : seg.triangles) {
                QPoint q[3];
                for (int v = 0; v < 3; ++v) {
                    const cmcSegPoint a = map.ToArea(tri.p[v]);
                    q[v] = QPoint(a.x, a.y);
                }
                p.drawPolygon(q, 3);
            }
        }
    }
    void mousePressEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton) editor_->ClickAt(e->position().toPoint().x(), e->position().toPoint().y());
    }

private:
    cuiCharEditor* editor_;
};

cuiCharEditor::cuiCharEditor(QWidget* owner, const cmcCellRequest& req, uint16_t pattern, cmcCellHandler handler)
    : QWidget(owner ? owner->window() : nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                                     Qt::WindowCloseButtonHint),
      owner_(owner), request_(req), handler_(std::move(handler)), geometry_(DisplayGeometry()) {
    setAttribute(Qt::WA_DeleteOnClose);
    // The main window waits while the editor is open.
    setWindowModality(Qt::WindowModal);
    geometry_.SetPattern(pattern);
}

cuiCharEditor* cuiCharEditor::Open(const cmcCellRequest& req, uint16_t pattern, cmcCellHandler handler,
                                   QWidget* owner, const QRect& cellOnScreen, const QRect& workArea) {
    auto* w = new cuiCharEditor(owner, req, pattern, std::move(handler));
    w->setWindowTitle(QString::fromStdString(GTex().FirstLine("GI_AppInd_CharacterEditorCaption")));
    auto* h = new QHBoxLayout(w);
    h->setContentsMargins(kBorder, kBorder, kBorder, kBorder);
    w->area_ = new AreaView(w);
    h->addWidget(w->area_);
    auto* panel = new QVBoxLayout();
    panel->setContentsMargins(kBorder, 0, 0, 0);
    panel->setSpacing(4);
    panel->addStretch(1);
    w->ok_ = new QPushButton(QString::fromStdString(GTex().Line("GI_AppInd_Button_OkCancel", 0)), w);
    w->cancel_ = new QPushButton(QString::fromStdString(GTex().Line("GI_AppInd_Button_OkCancel", 1)), w);
    w->ok_->setFixedWidth(kButtonWidth);
    w->cancel_->setFixedWidth(kButtonWidth);
    w->ok_->setDefault(true);
    panel->addWidget(w->ok_);
    panel->addWidget(w->cancel_);
    h->addLayout(panel);
    connect(w->ok_, &QPushButton::clicked, w, &cuiCharEditor::Accept);
    connect(w->cancel_, &QPushButton::clicked, w, &QWidget::close);
    w->adjustSize();
    w->move(cuiDropDownPlace(cellOnScreen, w->size(), workArea));
    w->show();
    w->activateWindow();
    w->ok_->setFocus();
    return w;
}

bool cuiCharEditor::ClickAt(int x, int y) {
    const cmcSegEditorMap map(geometry_);
    const int i = SegmentAt(geometry_, map.FromArea(x, y));
    if (i < 0) return false;
    auto& seg = geometry_.Segments()[static_cast<size_t>(i)];
    seg.on = !seg.on;
    area_->update();
    return true;
}

void cuiCharEditor::Accept() {
    if (done_) return;
    done_ = true;
    cmcCellObj picked;
    picked.label = Flex0;
    cmcCellRequest parent = request_;
    parent.cell = &picked;
    cmcCellRequest answer = request_;
    answer.parent = &parent;
    answer.resultKind = CRK_Chooser;
    answer.action = 0;
    answer.input = std::to_string(Pattern());
    const cmcCellHandler& handler = handler_ ? handler_ : cmcDefaultCellHandler();
    if (handler && owner_) handler(answer);
    close();
}

void cuiCharEditor::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape) {
        close();
        return;
    }
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        Accept();
        return;
    }
    QWidget::keyPressEvent(e);
}

}  // namespace qx
