// The OK and Cancel buttons of the windows that edit a cell's value (the text entry drop-down, the
// flag window, the user character editor): texts from "GI_AppInd_Button_OkCancel", OK the default.
#pragma once

class QBoxLayout;
class QPushButton;
class QWidget;

namespace qx {

struct cuiOkCancel {
    QPushButton* ok = nullptr;
    QPushButton* cancel = nullptr;
};

// Adds OK and Cancel to `row`: side by side, 8 pixels apart, pushed to the right end of a
// horizontal row; one above the other in a vertical one.
cuiOkCancel cuiAddOkCancel(QBoxLayout* row, QWidget* parent);

}  // namespace qx
