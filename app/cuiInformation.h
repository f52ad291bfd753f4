// The information dialog: a read-only sheet in a panel with one button (the clone information
// after a read). The owner window is disabled while the dialog exists; the dialog deletes itself
// when closed and then enables and raises its owner again.
#pragma once

#include <QDialog>
#include <QPointer>

#include <memory>
#include <string>

class QFrame;
class QPushButton;

namespace qx {

class cmcGTex;
class cuiSheet;

// Centres a window of `size` over `owner` (halves rounded toward zero), then keeps it inside the
// work area: right edge first, then left, the same for bottom and top.
QPoint cuiCenterOver(const QRect& owner, const QSize& size, const QRect& workArea);

class cuiInformation : public QDialog {
    Q_OBJECT
public:
    // Creates and shows the dialog over `owner` with the sheet `key` of `store`.
    static cuiInformation* Open(QWidget* owner, const std::string& caption, cmcGTex& store, const std::string& key);
    ~cuiInformation() override;

    cuiSheet* Sheet() const { return sheet_.get(); }
    QPushButton* Button() const { return button_; }
    QFrame* Panel() const { return panel_; }

private:
    cuiInformation(QWidget* owner);

    QPointer<QWidget> owner_;
    QFrame* panel_ = nullptr;
    QWidget* sheetHost_ = nullptr;
    QPushButton* button_ = nullptr;
    std::unique_ptr<cuiSheet> sheet_;
};

}  // namespace qx
