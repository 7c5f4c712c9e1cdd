#include "FlatCheckControl.h"

#include "AcceleratorFilter.h"
#include "DialogCharEvent.h"
#include "KitControl.h"

#include <QMouseEvent>
#include <QPainter>

FlatCheckControl::FlatCheckControl(QWidget *parent)
    : FlatColorControl(parent)
{
    setGeometry(0, 0, 121, 17);
    setMouseTracking(true);
    FColor = ParentColorOf(this);
    PublishKitColor(this, FColor);
    AcceleratorFilter::attach(this);
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

void FlatCheckControl::SetAdvColors(int index, TAdvColors amount)
{
    switch (index) {
    case 0:
        FAdvColorFocused = amount;
        break;
    case 1:
        FAdvColorDown = amount;
        break;
    case 2:
        FAdvColorBorder = amount;
        break;
    default:
        break;
    }
    CalcAdvColors();
    update();
}

void FlatCheckControl::SetUseAdvColors(bool value)
{
    if (FUseAdvColors == value)
        return;
    FUseAdvColors = value;
    SetParentColor(value);
    CalcAdvColors();
    update();
}

void FlatCheckControl::CalcAdvColors()
{
    if (!FUseAdvColors)
        return;
    FColorFocused = CalcAdvancedColor(FColor, FColorFocused, FAdvColorFocused, lighten);
    FColorDown = CalcAdvancedColor(FColor, FColorDown, FAdvColorDown, darken);
    FColorBorder = CalcAdvancedColor(FColor, FColorBorder, FAdvColorBorder, darken);
}

void FlatCheckControl::CMSysColorChange()
{
    if (FUseAdvColors) {
        SetParentColor(true);
        CalcAdvColors();
    }
    update();
}

void FlatCheckControl::CMParentColorChanged()
{
    if (FParentColor)
        takeParentColor();
    CMSysColorChange();
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

bool FlatCheckControl::TabStop() const
{
    return (focusPolicy() & Qt::TabFocus) != 0;
}

void FlatCheckControl::SetTabStop(bool value)
{
    // A left press focuses the control itself; Qt must not focus it on other buttons.
    setFocusPolicy(value ? Qt::TabFocus : Qt::NoFocus);
}

void FlatCheckControl::SetShowHint(bool value)
{
    KitControl::setShowHint(this, value);
}

void FlatCheckControl::SetParentShowHint(bool value)
{
    KitControl::setParentShowHint(this, value);
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
        painter.setPen(palette().color(QPalette::WindowText));
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

bool FlatCheckControl::event(QEvent *event)
{
    if (event->type() == DialogCharEvent::eventType()) {
        auto *dialogChar = static_cast<DialogCharEvent *>(event);
        if (CMDialogChar(dialogChar->character()))
            dialogChar->setHandled();
        return true;
    }
    if (KitControl::suppressHint(this, event))
        return true;
    if (event->type() == QEvent::ParentChange)
        CMParentColorChanged();
    if (event->type() == QEvent::ParentChange || event->type() == QEvent::Show)
        AcceleratorFilter::attach(this);
    return QWidget::event(event);
}

void FlatCheckControl::changeEvent(QEvent *event)
{
    switch (event->type()) {
    case QEvent::EnabledChange:
        CMEnabledChanged();
        break;
    case QEvent::FontChange:
        update();
        break;
    case QEvent::PaletteChange:
        CMParentColorChanged();
        break;
    case QEvent::ApplicationPaletteChange:
        CMSysColorChange();
        break;
    default:
        break;
    }
    QWidget::changeEvent(event);
}

void FlatCheckControl::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    if (FTransparent)
        update();
}

void FlatCheckControl::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (FTransparent)
        update();
}
