// The text entry drop-down of a display text cell: an edit box with the text in its editable form
// ("AB.C", "%1F"), a preview strip drawing it as the radio's display shows it, and the character
// sheet "GI_Sheet_Sel_Text" whose cells insert their character. OK, Enter in the edit box and
// leaving the window hand the text to the cell; Cancel and Esc leave the cell as it was.
// A character the display has no code for ("é") is named in the preview strip in place of the
// drawing; OK and Enter then keep the window open with that character selected, and leaving the
// window hands the text over for the cell to refuse with the same message. The edit box takes no
// more characters than the field holds: a key that would overflow it is refused, and the preview
// strip says so.
#pragma once

#include "defs/cmcCellRequest.h"

#include <QPointer>
#include <QWidget>

#include <array>
#include <memory>
#include <string>

class QLineEdit;
class QPushButton;

namespace qx {

class cmcGTex;
class cuiSheet;
struct cmcEvent;

class cuiTextEntry : public QWidget {
    Q_OBJECT
public:
    // Opens the drop-down for the request's cell (req.grid is the owner, a cuiGrid). `editable`
    // is the start text; `byKey`: opened by a typed key, the caret goes after the text instead of
    // selecting it all. The answer goes to `handler` (by default the program's cell handler).
    static cuiTextEntry* Open(const cmcCellRequest& req, const std::string& editable, int length,
                              const uint8_t* userTable, bool byKey, cmcCellHandler handler, QWidget* owner,
                              const QRect& cellOnScreen, const QRect& workArea);
    ~cuiTextEntry() override;

    QLineEdit* Edit() const { return edit_; }
    cuiSheet* Sheet() const { return sheet_.get(); }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }
    // Inserts a character code at the caret, replacing the selection (as a click on its cell does).
    void InsertCode(int code);
    // OK: hands the text to the cell, unless it holds a character the display lacks.
    void Accept();
    void Cancel();
    // Why the text cannot be taken as it stands (the preview shows it), or empty.
    std::string Refusal() const;

protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    cuiTextEntry(QWidget* owner, const cmcCellRequest& req, int length, const uint8_t* userTable,
                 cmcCellHandler handler);
    uint8_t HandleSheetCell(cmcCellRequest& req);
    void OnEvent(const cmcEvent& e);
    void Deliver();
    void Release();

    class Preview;
    class LengthValidator;
    std::string blocked_;  // why the last key was not taken (the field is full), until the next change
    QPointer<QWidget> owner_;
    cmcCellRequest request_;
    cmcCellHandler handler_;
    int length_;
    std::array<uint8_t, 32> user_{};
    QLineEdit* edit_ = nullptr;
    Preview* preview_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    std::unique_ptr<cuiSheet> sheet_;
    bool escaped_ = false;
    bool done_ = false;
};

}  // namespace qx
