// Edit > Undo and Redo: two entries the program puts at the top of the Edit menu, above whatever
// the current sheet's popup menu mirrors there, with Ctrl+Z, and Ctrl+Shift+Z or Ctrl+Y. They take
// the working image one step back or forward through the main object's undo history; their texts
// name the step ("Undo TX Frequency") and are brought up to date each time the menu opens.
#pragma once

#include <QObject>
#include <QPointer>

#include <functional>

class QAction;
class QMenu;
class QWidget;

namespace qx {

class indMain;
class cuiMenu;

class cuiUndoMenu : public QObject {
    Q_OBJECT
public:
    // Adds the entries to the Edit menu of `menu` (the entry labelled CL_Menu_Edit_Top) and their
    // shortcuts to `window`.
    cuiUndoMenu(indMain& main, cuiMenu& menu, QWidget* window);
    ~cuiUndoMenu() override;

    // Called after a step was taken: the views follow the image.
    std::function<void()> afterStep;

    QAction* UndoAction() const { return undo_; }
    QAction* RedoAction() const { return redo_; }
    // Texts and enabled states from the history.
    void Refresh();
    // The menu commands; false when there was no step to take.
    bool Undo();
    bool Redo();

private:
    bool Step(bool forward);

    indMain& main_;
    QPointer<QWidget> window_;
    QAction* undo_ = nullptr;
    QAction* redo_ = nullptr;
    QAction* separator_ = nullptr;
};

}  // namespace qx
