// The program's icons, drawn in code with QPainter at whatever size and screen scale they are asked
// for, so they stay sharp on every display. Two image lists in a fixed order: the tree's and the
// tool bar's (the definition files refer to the images by these positions). Overlay marks (warning,
// error) are composed onto a tree image by cuiOverlaid.
#pragma once

#include <QIcon>

#include <vector>

class QPainter;
class QRectF;

namespace qx {

// Positions in the tree image list.
enum cuiTreeImage : int {
    TI_Radio = 0,
    TI_Folder = 1,
    TI_Note1 = 2,
    TI_Note2 = 3,
    TI_Bank0 = 4,  // bank without channels, flag clear
    TI_Bank1 = 5,  // channels present
    TI_Bank2 = 6,  // flag set
    TI_Bank3 = 7,  // channels present and flag set
    TI_Warning = 8,
    TI_Error = 9,
    TI_Count = 10,
};

// Positions in the tool bar image list.
enum cuiToolImage : int {
    BI_NewFile = 0,
    BI_OpenFile = 1,
    BI_SaveFile = 2,
    BI_Port1 = 3,
    BI_Port2 = 4,
    BI_Port3 = 5,
    BI_Port4 = 6,
    BI_CloneRead = 7,
    BI_CloneWrite = 8,
    BI_CloneInfo = 9,
    BI_Pen = 10,
    BI_Fill = 11,
    BI_Slider = 12,
    BI_Print = 13,
    BI_PrintAll = 14,
    BI_Count = 15,
};

// The image lists, in the order above.
std::vector<QIcon> cuiTreeImages();
std::vector<QIcon> cuiToolBarImages();

// Draws one image into a rectangle (the icons use these; the tests and pictures may too).
void cuiPaintTreeImage(QPainter& p, const QRectF& r, int index);
void cuiPaintToolImage(QPainter& p, const QRectF& r, int index);

// `base` with `overlay` drawn smaller over its lower left corner; a null overlay gives `base`.
QIcon cuiOverlaid(const QIcon& base, const QIcon& overlay);

// The window icon of the program.
QIcon cuiAppIcon();

}  // namespace qx
