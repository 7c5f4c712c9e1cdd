#include "TFlatGroupBox.h"

#include "KitControl.h"
#include "Legibility.h"

#include <QPainter>

namespace {

// A classic LineTo along a row or a column: from a up to, but not including, b.
void lineTo(QPainter &painter, QPoint a, QPoint b, const QColor &color)
{
    const int dx = (b.x() > a.x()) - (b.x() < a.x());
    const int dy = (b.y() > a.y()) - (b.y() < a.y());
    for (QPoint p = a; p != b; p += QPoint(dx, dy))
        painter.fillRect(p.x(), p.y(), 1, 1, color);
}

} // namespace

TFlatGroupBox::TFlatGroupBox(QWidget *parent)
    : FlatColorControl(parent)
{
    // Paint covers the whole box.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setGeometry(0, 0, 185, 105);
}

void TFlatGroupBox::SetTransparent(bool value)
{
    FTransparent = value;
    update();
}

void TFlatGroupBox::SetBorder(TGroupBoxBorder value)
{
    FBorder = value;
    update();
}

void TFlatGroupBox::SetColors(int index, TColor color)
{
    if (index == 0)
        FColorBorder = color;
    update();
}

bool TFlatGroupBox::CMDialogChar(QChar character)
{
    if (!IsAccelerator(character, FCaption) || !KitControl::canFocus(this))
        return false;
    setFocus(Qt::ShortcutFocusReason);
    return true;
}

QImage TFlatGroupBox::Paint()
{
    const int W = width();
    const int H = height();
    QImage image(W, H, QImage::Format_RGB32);
    QPainter painter(&image);
    const QFont captionFont = KitControl::paintFont(font());
    painter.setFont(captionFont);

    // The gap is measured on the raw caption, ampersands included.
    const QFontMetrics metrics(font());
    const int TW = metrics.horizontalAdvance(FCaption);
    const int TH = metrics.height();
    const QRect captionRect = KitRect(10, 0, 10 + TW, TH);

    image.fill(ColorToQColor(FColor));
    if (FTransparent)
        DrawParentImage(this, painter);

    const QColor pen = ColorToQColor(legibleOn(this, FColorBorder, FColor, kMarkContrast));
    const int m = TH / 2;
    if (FBorder == brFull) {
        const QPoint points[] = {{5, m},         {0, m},     {0, H - 1},
                                 {W - 1, H - 1}, {W - 1, m}, {12 + TW, m}};
        for (int i = 0; i + 1 < int(std::size(points)); ++i)
            lineTo(painter, points[i], points[i + 1], pen);
    } else {
        lineTo(painter, {5, m}, {0, m}, pen);
        lineTo(painter, {W - 1, m}, {12 + TW, m}, pen);
    }

    painter.setBrush(Qt::NoBrush);
    if (isEnabled()) {
        painter.setPen(
            legibleOn(this, palette().color(QPalette::WindowText), FColor, kCaptionContrast));
        KitDrawText(&painter, captionFont, FCaption, captionRect, DT_SINGLELINE);
    } else {
        painter.setPen(ColorToQColor(clBtnHighlight));
        KitDrawText(&painter, captionFont, FCaption, captionRect.translated(1, 1), DT_SINGLELINE);
        painter.setPen(ColorToQColor(clBtnShadow));
        KitDrawText(&painter, captionFont, FCaption, captionRect, DT_SINGLELINE);
    }
    return image;
}

void TFlatGroupBox::paintEvent(QPaintEvent *)
{
    if (width() <= 0 || height() <= 0)
        return;
    const QImage image = Paint();
    QPainter painter(this);
    painter.drawImage(0, 0, image);
}
