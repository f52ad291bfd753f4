#include "app/cuiOkCancel.h"

#include "defs/cmcGTex.h"

#include <QBoxLayout>
#include <QPushButton>

namespace qx {

cuiOkCancel cuiAddOkCancel(QBoxLayout* row, QWidget* parent) {
    cuiOkCancel b;
    b.ok = new QPushButton(QString::fromStdString(GTex().Line("GI_AppInd_Button_OkCancel", 0)), parent);
    b.cancel = new QPushButton(QString::fromStdString(GTex().Line("GI_AppInd_Button_OkCancel", 1)), parent);
    b.ok->setDefault(true);
    row->setSpacing(row->direction() == QBoxLayout::LeftToRight ? 8 : 4);
    row->addStretch(1);
    row->addWidget(b.ok);
    row->addWidget(b.cancel);
    return b;
}

}  // namespace qx
