#include "BevelPanel.h"

#include "Flatutilitys.h"

#include <QPainter>

BevelPanel::BevelPanel(QWidget *parent)
    : QWidget(parent)
{
}

void BevelPanel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    QRect r = rect();
    FillRect(p, r, clBtnFace);
    Frame3D(p, r, clBtnShadow, clBtnHighlight, 1); // outer, lowered
    Frame3D(p, r, clBtnHighlight, clBtnShadow, 1); // inner, raised
}
