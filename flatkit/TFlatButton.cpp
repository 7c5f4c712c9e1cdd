#include "TFlatButton.h"

#include "KitAccessible.h"
#include "KitControl.h"
#include "Legibility.h"

#include <QDialog>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

HoverTracking<TFlatButton> TFlatButton::Tracking;

namespace {

QImage withoutColor(const QImage &image, QRgb transparent)
{
    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < result.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x) {
            if ((line[x] & 0x00FFFFFF) == (transparent & 0x00FFFFFF))
                line[x] = 0;
        }
    }
    return result;
}

} // namespace

TFlatButton::TFlatButton(QWidget *parent)
    : FlatColorControl(parent)
{
    Tracking.createTimer();
    setGeometry(0, 0, 25, 25);
    // The face covers every pixel, so Qt need not clear behind it.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    SetTabStop(false);
    Tracking.addInstance();
}

TFlatButton::~TFlatButton()
{
    RemoveMouseTimer();
    Tracking.removeInstance();
}

void TFlatButton::SetColors(int index, TColor color)
{
    switch (index) {
    case 0:
        FColorFocused = color;
        break;
    case 1:
        FColorDown = color;
        break;
    case 2:
        FColorBorder = color;
        break;
    case 3:
        FColorHighLight = color;
        break;
    case 4:
        FColorShadow = color;
        break;
    default:
        break;
    }
    update();
}

void TFlatButton::SetTransparent(TTransparentMode mode)
{
    FTransparentMode = mode;
    update();
}

void TFlatButton::SetDefault(bool value)
{
    FDefault = value;
    update();
}

void TFlatButton::SetAllowAllUp(bool value)
{
    if (FAllowAllUp == value)
        return;
    FAllowAllUp = value;
    UpdateExclusive();
}

void TFlatButton::SetGroupIndex(int value)
{
    if (FGroupIndex == value)
        return;
    FGroupIndex = value;
    UpdateExclusive();
}

void TFlatButton::SetDown(bool value)
{
    if (FGroupIndex == 0)
        value = false;
    if (value == FDown)
        return;
    // A latched button of a group cannot be released by itself.
    if (FDown && !FAllowAllUp)
        return;
    FDown = value;
    notifyDownChanged();
    if (value) {
        if (FState == stUp)
            update();
        FState = stLatched;
        UpdateExclusive();
    } else {
        FState = stUp;
        repaint();
    }
}

void TFlatButton::UpdateExclusive()
{
    if (FGroupIndex == 0 || !parentWidget())
        return;
    // Snapshot: a receiver may run code that changes the parent's children.
    const QObjectList children = parentWidget()->children();
    for (QObject *child : children) {
        if (auto *button = qobject_cast<TFlatButton *>(child))
            button->CMButtonPressed(FGroupIndex, this);
    }
}

void TFlatButton::CMButtonPressed(int groupIndex, TFlatButton *sender)
{
    if (groupIndex != FGroupIndex || !sender || sender == this)
        return;
    if (sender->Down() && FDown) {
        FDown = false;
        notifyDownChanged();
        FState = stUp;
        update();
    }
    FAllowAllUp = sender->AllowAllUp();
}

void TFlatButton::SetGlyph(const QImage &glyph)
{
    if (glyph.cacheKey() == FGlyph.cacheKey())
        return;
    FGlyph = glyph;
    if (!FGlyph.isNull() && FGlyph.width() % FGlyph.height() == 0) {
        const int count = FGlyph.width() / FGlyph.height();
        FNumGlyphs = static_cast<TNumGlyphs>(count > 4 ? 1 : count);
    }
    update();
}

void TFlatButton::SetNumGlyphs(TNumGlyphs value)
{
    value = qBound<TNumGlyphs>(1, value, 4);
    if (FNumGlyphs == value)
        return;
    FNumGlyphs = value;
    update();
}

void TFlatButton::SetLayout(TButtonLayout value)
{
    if (FLayout == value)
        return;
    FLayout = value;
    update();
}

void TFlatButton::SetMargin(int value)
{
    if (FMargin == value || value < -1)
        return;
    FMargin = value;
    update();
}

void TFlatButton::SetSpacing(int value)
{
    if (FSpacing == value)
        return;
    FSpacing = value;
    update();
}

void TFlatButton::Click()
{
    QPointer<TFlatButton> guard(this);
    QPointer<QDialog> dialog = parentWidget() ? qobject_cast<QDialog *>(window()) : nullptr;
    if (dialog)
        dialog->setResult(ModalResult);
    emit clicked();
    // Like a classic modal form: a non-zero result left after the click handlers closes it.
    if (dialog && dialog->isVisible() && dialog->result() != 0)
        dialog->done(dialog->result());
}

void TFlatButton::performClick()
{
    if (!isEnabled())
        return;
    if (FGroupIndex != 0)
        SetDown(!FDown);
    Click();
}

void TFlatButton::notifyDownChanged()
{
    QAccessible::State changed;
    changed.checked = true;
    KitAccessible::notifyStateChanged(this, changed);
}

bool TFlatButton::CMDialogChar(QChar character)
{
    if (!IsAccelerator(character, FCaption) || !isEnabled())
        return false;
    if (FGroupIndex != 0)
        SetDown(true);
    Click();
    return true;
}

QImage TFlatButton::Paint()
{
    QImage face(size(), QImage::Format_RGB32);
    QPainter painter(&face);
    const QFont captionFont = KitControl::paintFont(font());
    painter.setFont(captionFont);

    const QPoint offset = (FState == stPressed || FState == stLatched) ? QPoint(1, 1) : QPoint();
    CalcButtonLayout(font(), rect(), offset, FLayout, FSpacing, FMargin, FGlyph, FNumGlyphs,
                     FCaption, FTextBounds, FGlyphPos);

    if (isEnabled() && FState == stDisabled)
        FState = (FDown && FGroupIndex != 0) ? stLatched : stUp;
    if (!isEnabled()) {
        FState = stDisabled;
        FMouseDown = false;
    }

    TColor fill = Color();
    switch (FState) {
    case stUp:
        fill = FMouseInside ? FColorFocused : Color();
        break;
    case stDisabled:
        fill = Color();
        break;
    case stPressed:
        fill = FColorDown;
        break;
    case stLatched:
        fill = FMouseInside ? FColorFocused : FColorDown;
        break;
    }
    if (FTransparentMode == tmAlways || (FTransparentMode == tmNotFocused && !FMouseInside)) {
        face.fill(ColorToQColor(Color()));
        DrawParentImage(this, painter);
        fill = Color(); // what shows through is the parent's, whose colour Color follows
    } else {
        FillRect(painter, rect(), fill);
    }

    QRect frame = rect();
    const TColor border = legibleOn(this, FColorBorder, Color(), kMarkContrast);
    if (FState == stUp && FMouseInside)
        Frame3D(painter, frame, FColorHighLight, FColorShadow, 1);
    else if (FState == stUp && FDefault)
        Frame3D(painter, frame, border, border, 2);
    else if (FState == stUp || FState == stDisabled)
        Frame3D(painter, frame, border, border, 1);
    else
        Frame3D(painter, frame, FColorShadow, FColorHighLight, 1);

    if (!FGlyph.isNull()) {
        const int W = FGlyph.width();
        const int H = FGlyph.height();
        const int w = W / FNumGlyphs;
        // Image index per state: up, disabled, pressed, latched.
        static const int kImage[4][4] = {{0, 0, 0, 0}, {0, 1, 0, 0}, {0, 1, 2, 2}, {0, 1, 2, 3}};
        const int index = kImage[FNumGlyphs - 1][FState];
        const bool last = index == FNumGlyphs - 1;
        const QRect source(index * w, 0, last ? W - index * w : w, H);
        QImage image(w, H, QImage::Format_RGB32);
        {
            QPainter copy(&image);
            copy.drawImage(QRect(0, 0, w, H), FGlyph, source);
        }
        QRgb transparent = FGlyph.pixel(0, H - 1);
        if (FNumGlyphs == 1 && FState == stDisabled) {
            image =
                CreateDisabledBitmap(image, clBlack, clBtnFace, clBtnHighlight, clBtnShadow, true);
            transparent = image.pixel(0, H - 1);
        }
        painter.drawImage(FGlyphPos, withoutColor(image, transparent));
    }

    const uint flags = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    painter.setBrush(Qt::NoBrush);
    if (FState == stDisabled) {
        painter.setPen(ColorToQColor(clBtnHighlight));
        KitDrawText(&painter, captionFont, FCaption, FTextBounds.translated(1, 1), flags);
        painter.setPen(ColorToQColor(clBtnShadow));
        KitDrawText(&painter, captionFont, FCaption, FTextBounds, flags);
    } else {
        painter.setPen(
            legibleOn(this, palette().color(QPalette::WindowText), fill, kCaptionContrast));
        KitDrawText(&painter, captionFont, FCaption, FTextBounds, flags);
    }
    return face;
}

void TFlatButton::paintEvent(QPaintEvent *)
{
    if (width() <= 0 || height() <= 0)
        return;
    const QImage face = Paint();
    QPainter painter(this);
    painter.drawImage(0, 0, face);
}

bool TFlatButton::inside(const QPoint &pos) const
{
    // The row just below the client area still counts, as it always has for this button.
    return pos.x() >= 0 && pos.x() < width() && pos.y() >= 0 && pos.y() <= height();
}

void TFlatButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !isEnabled()) {
        QWidget::mousePressEvent(event);
        return;
    }
    if (!FDown) {
        FState = stPressed;
        update();
    }
    FMouseDown = true;
    setFocus(Qt::MouseFocusReason);
}

void TFlatButton::mouseMoveEvent(QMouseEvent *event)
{
    Tracking.hoverStep(this, event->globalPosition().toPoint());
    if (!FMouseDown)
        return;
    TFlatButtonState state = stUp;
    if (FDown)
        state = stLatched;
    else if (inside(event->position().toPoint()))
        state = stPressed;
    if (state != FState) {
        FState = state;
        update();
    }
}

void TFlatButton::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    if (!FMouseDown)
        return;
    FMouseDown = false;
    const bool in = inside(event->position().toPoint());
    if (FGroupIndex == 0) {
        FState = stUp;
        FMouseInside = false;
        if (in)
            update();
    } else if (in) {
        SetDown(!FDown);
        if (FDown)
            repaint();
    } else {
        if (FDown)
            FState = stLatched;
        repaint();
    }
    QPointer<TFlatButton> guard(this);
    if (in)
        Click();
    else
        MouseLeave();
    if (guard)
        UpdateTracking();
}

void TFlatButton::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The second press of a double click presses the button again.
    mousePressEvent(event);
    if (FDown)
        emit doubleClicked();
}

void TFlatButton::keyPressEvent(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Space || event->modifiers() != Qt::NoModifier) {
        // Unwanted keys go up to the window, where accelerators are looked up.
        event->ignore();
        return;
    }
    if (FGroupIndex == 0)
        FState = stPressed;
    else
        SetDown(true);
    update();
}

void TFlatButton::keyReleaseEvent(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Space) {
        event->ignore();
        return;
    }
    // Auto-repeat sends release/press pairs; only the real release clicks.
    if (event->isAutoRepeat())
        return;
    if (FGroupIndex == 0)
        FState = stUp;
    else
        SetDown(false);
    QPointer<TFlatButton> guard(this);
    Click();
    if (guard)
        update();
}

void TFlatButton::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    if (isEnabled()) {
        FMouseInside = true;
        update();
    }
}

void TFlatButton::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    MouseLeave();
}

void TFlatButton::MouseEnter()
{
    if (isEnabled() && !FMouseInside) {
        FMouseInside = true;
        update();
    }
}

void TFlatButton::MouseLeave()
{
    if (isEnabled() && FMouseInside && !FMouseDown) {
        FMouseInside = false;
        RemoveMouseTimer();
        update();
    }
}

void TFlatButton::MouseTimerHandler()
{
    Tracking.timerStep(this);
}

void TFlatButton::RemoveMouseTimer()
{
    Tracking.RemoveMouseTimer(this);
}

void TFlatButton::UpdateTracking()
{
    if (!isEnabled())
        return;
    if (Tracking.isUnder(this, QCursor::pos())) {
        FMouseInside = false;
        MouseEnter();
    } else {
        FMouseInside = true;
        MouseLeave();
    }
}

void TFlatButton::CMEnabledChanged()
{
    if (!isEnabled()) {
        FMouseInside = false;
        FState = stDisabled;
        RemoveMouseTimer();
    }
    UpdateTracking();
    update();
}
