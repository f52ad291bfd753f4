// The flag window of flag set cells (scan list membership, receive code numbers, call list digits,
// GPS sentences): a drop-down with a row of headers naming the flags, a row of check cells and OK
// and Cancel. Flag index n is bit 26 - n of the value. Accepting hands the value to the opening
// cell as the decimal text of a chooser answer (parent cell of label Flex0).
//
//     cuiFlagWindow::Open(req, GTex(), value, 1, 11, 3, 1, "", handler, grid, cellRect, workArea);
//
// Without a sheet key the window writes its own sheet "GI_Sheet_FBitsR" into an in-memory store;
// its cell models come from the main store (CellModel_iChI, _eWh, _iQp, _Basic).
#pragma once

#include "defs/cmcCellRequest.h"
#include "defs/cmcGTex.h"

#include <QPointer>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

class QPushButton;

namespace qx {

class cuiSheet;
struct cmcEvent;

// Header kinds.
enum cuiFlagHeader : int {
    FH_Hex = 1,         // "%X"
    FH_Decimal0 = 2,    // "%d", 10 written 0
    FH_Decimal0Z = 3,   // as 2, 11 written Z
    FH_Letter = 4,      // the letter of code n + 64
    FH_GpsSentence = 5, // RMC, GGA, GLL, GSA, VTG; at most three may be set
    FH_BitNumber = 6,   // "B%d" of last - n
};

// The built-in definition lines of the window's sheet for flags first..last.
// With `headers` (one text per flag, "\n" between lines) those texts head the flags instead of the
// header kind's.
std::vector<std::string> FlagWindowLines(int first, int last, int headerKind,
                                         const std::vector<std::string>& headers = {});

class cuiFlagWindow : public QWidget {
    Q_OBJECT
public:
    static cuiFlagWindow* Open(const cmcCellRequest& req, cmcGTex& store, uint32_t value, int first, int last,
                               int headerKind, int checkStyle, const std::string& sheetKey, cmcCellHandler handler,
                               QWidget* owner, const QRect& cellOnScreen, const QRect& workArea,
                               const std::vector<std::string>& headers = {});
    ~cuiFlagWindow() override;

    uint32_t Value() const { return value_; }
    bool Flag(int n) const { return (value_ >> (26 - n)) & 1; }
    void Toggle(int n);
    cuiSheet* Sheet() const { return sheet_.get(); }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }
    void Accept();
    void Cancel();
    bool Accepted() const { return accepted_; }
    // Runs one cell of the window's sheet: check cells here, every other cell by the cell handler.
    uint8_t HandleCell(cmcCellRequest& req);
    bool Cancelled() const { return cancelled_; }

protected:
    bool event(QEvent* e) override;

private:
    cuiFlagWindow(QWidget* owner, const cmcCellRequest& req, uint32_t value, int first, int last, int headerKind,
                  int checkStyle, cmcCellHandler handler);
    int SetCount() const;
    bool TooMany() const { return header_ == FH_GpsSentence && SetCount() > 3; }
    void OnEvent(const cmcEvent& e);
    void Release();

    QPointer<QWidget> owner_;
    cmcCellRequest request_;
    cmcCellHandler handler_;
    uint32_t value_;
    int first_, last_, header_, checkStyle_;
    std::vector<std::string> lines_;
    cmcGTex ownStore_;
    std::unique_ptr<cuiSheet> sheet_;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    bool cancelled_ = false;
    bool accepted_ = false;
    bool released_ = false;
};

}  // namespace qx
