// Tool bar builder: one button per line of "<key>_Body" (cell descriptions), the line "-" a gap,
// "/" the end of a row of buttons. A click hands the button's cell to the cell handler (Enter);
// Refresh (EVC_ToolBarRefresh) asks the handler which buttons are pressed or disabled.
#pragma once

#include "defs/cmcCellObj.h"
#include "defs/cmcCellRequest.h"

#include <QIcon>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QToolButton;
class QVBoxLayout;

namespace qx {

class cmcGTex;
struct cmcEvent;

class cuiToolBar : public QWidget {
    Q_OBJECT
public:
    using ClickHandler = std::function<void(cuiToolBar& bar, int button, cmcCellObj* cell)>;

    cuiToolBar(QWidget* owner, cmcGTex& store, std::string key, const std::vector<QIcon>* images,
               QWidget* parent = nullptr);
    ~cuiToolBar() override;

    // Reads the definitions and creates the buttons; `click` replaces the default (Enter on the cell).
    void Build(ClickHandler click = {});
    // Asks the cell handler for every button's state.
    void Refresh();
    void SetCellHandler(cmcCellHandler handler) { handler_ = std::move(handler); }

    int ButtonCount() const { return static_cast<int>(buttons_.size()); }
    // The button of body line i (null for separators and row breaks).
    QToolButton* Button(int i) const { return buttons_[i]; }
    cmcCellObj* CellOf(int i) const { return cells_[i].get(); }
    // Body line i is a separator ("-") or a row break ("/").
    bool IsSeparator(int i) const;
    bool IsRowBreak(int i) const;
    // The row of buttons a body line stands in (0 first).
    int RowOf(int i) const { return rowOf_[i]; }

private:
    void OnEvent(const cmcEvent& e);
    void Clicked(int i);

    QWidget* owner_;
    cmcGTex& store_;
    std::string key_;
    const std::vector<QIcon>* images_;
    cmcCellHandler handler_;
    ClickHandler click_;
    cmcCellObj basic_;
    std::vector<std::unique_ptr<cmcCellObj>> cells_;
    std::vector<QToolButton*> buttons_;
    std::vector<int> rowOf_;
    QVBoxLayout* rows_ = nullptr;
};

}  // namespace qx
