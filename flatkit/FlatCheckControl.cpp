#include "FlatCheckControl.h"

#include "KitAccessible.h"
#include "KitControl.h"
#include "Legibility.h"

#include <QMouseEvent>
#include <QPainter>

FlatCheckControl::FlatCheckControl(QWidget *parent)
    : FlatColorControl(parent)
{
    setGeometry(0, 0, 121, 17);
    setMouseTracking(true);
}

FlatCheckControl::~FlatCheckControl() = default;

void FlatCheckControl::SetColors(int index, TColor color)
{
    switch (index) {
    case 0:
        FColorFocused = color;
        break;
    case 1:
        FColorDown = color;
        break;
    case 2:
        FColorMark = color;
        break;
    case 3:
        FColorBorder = color;
        break;
    default:
        break;
    }
    update();
}

void FlatCheckControl::notifyCheckedChanged()
{
    QAccessible::State changed;
    changed.checked = true;
    KitAccessible::notifyStateChanged(this, changed);
}

void FlatCheckControl::setLayoutRight(bool right)
{
    FRightLayout = right;
    update();
}

void FlatCheckControl::SetTransparent(bool value)
{
    FTransparent = value;
    update();
}

TColor FlatCheckControl::indicatorFill() const
{
    if (!FHasFocus && !FMouseInside)
        return FColor;
    return FMouseDown ? FColorDown : FColorFocused;
}

void FlatCheckControl::drawIndicatorNow()
{
    // Only the indicator changes with hover, focus and press; the caption stays as it is.
    repaint(indicatorRect());
}

void FlatCheckControl::DrawText(QPainter &painter)
{
    const int W = width();
    const int H = height();
    const QRect rect = FRightLayout ? KitRect(1, 1, W - 16, H - 1) : KitRect(16, 1, W - 1, H - 1);
    const uint flags = FRightLayout ? (DT_WORDBREAK | DT_RIGHT) : DT_WORDBREAK;
    const QFont captionFont = KitControl::paintFont(font());
    painter.setBrush(Qt::NoBrush);
    if (isEnabled()) {
        painter.setPen(
            legibleOn(this, palette().color(QPalette::WindowText), FColor, kCaptionContrast));
        KitDrawText(&painter, captionFont, FCaption, rect, flags);
    } else {
        painter.setPen(ColorToQColor(clBtnHighlight));
        KitDrawText(&painter, captionFont, FCaption, rect.translated(1, 1), flags);
        painter.setPen(ColorToQColor(clBtnShadow));
        KitDrawText(&painter, captionFont, FCaption, rect, flags);
    }
}

void FlatCheckControl::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    // Not opaque: the background is first erased with Color.
    FillRect(painter, rect(), FColor);
    if (FTransparent)
        DrawParentImage(this, painter);
    drawIndicator(painter);
    DrawText(painter);
}

void FlatCheckControl::mousePressEvent(QMouseEvent *event)
{
    // Other buttons, and presses while disabled, change nothing and go nowhere.
    event->accept();
    if (event->button() != Qt::LeftButton || !isEnabled())
        return;
    setFocus(Qt::MouseFocusReason);
    FMouseDown = true;
    drawIndicatorNow();
}

void FlatCheckControl::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    if (event->button() != Qt::LeftButton || !isEnabled())
        return;
    FMouseDown = false;
    leftRelease(event->position().toPoint());
}

void FlatCheckControl::mouseDoubleClickEvent(QMouseEvent *event)
{
    // Qt delivers the second press of a double click as this event only: it is a press.
    mousePressEvent(event);
}

void FlatCheckControl::mouseMoveEvent(QMouseEvent *event)
{
    tracking().hoverStep(this, event->globalPosition().toPoint());
}

void FlatCheckControl::MouseEnter()
{
    if (isEnabled() && !FMouseInside) {
        FMouseInside = true;
        drawIndicatorNow();
    }
}

void FlatCheckControl::MouseLeave()
{
    if (isEnabled() && FMouseInside && !FMouseDown) {
        FMouseInside = false;
        RemoveMouseTimer();
        drawIndicatorNow();
    }
}

void FlatCheckControl::MouseTimerHandler()
{
    tracking().timerStep(this);
}

void FlatCheckControl::RemoveMouseTimer()
{
    tracking().RemoveMouseTimer(this);
}

void FlatCheckControl::DoEnter()
{
    FHasFocus = true;
    drawIndicatorNow();
}

void FlatCheckControl::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    if (isEnabled()) {
        FHasFocus = true;
        drawIndicatorNow();
    }
    DoEnter();
}

void FlatCheckControl::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    if (isEnabled())
        FMouseInside = false;
    FHasFocus = false;
    drawIndicatorNow();
}

void FlatCheckControl::CMEnabledChanged()
{
    if (!isEnabled()) {
        FMouseInside = false;
        FMouseDown = false;
        RemoveMouseTimer();
    }
    update();
}
