#include "TFlatEdit.h"

#include "KitControl.h"
#include "Legibility.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>

TFlatEdit::TFlatEdit(QWidget *parent)
    : QLineEdit(parent)
{
    // The kit draws its own border: Qt's frame goes, and the text keeps three pixels clear of
    // the edge (QLineEdit adds one pixel of its own above and below the text).
    setFrame(false);
    setContentsMargins(3, 2, 3, 2);
    setGeometry(0, 0, 121, 19);
    if (parent)
        CMParentColorChanged();
    else
        RedrawBorder();
    NewAdjustHeight();
}

void TFlatEdit::SetColors(int index, TColor color)
{
    switch (index) {
    case 0:
        FColorFocused = color;
        break;
    case 1:
        FColorBorder = color;
        break;
    case 2:
        FColorFlat = color;
        FParentColor = false;
        break;
    default:
        break;
    }
    RedrawBorder();
}

void TFlatEdit::SetParentColor(bool value)
{
    if (FParentColor == value)
        return;
    FParentColor = value;
    if (value && parentWidget()) {
        FColorFlat = ParentColorOf(this);
        RedrawBorder();
    }
}

void TFlatEdit::SetAdvColors(int index, TAdvColors amount)
{
    storeAdvColor(m_advColorSlots, index, amount);
    if (FUseAdvColors) {
        CalcAdvColors();
        RedrawBorder();
    }
}

void TFlatEdit::SetUseAdvColors(bool value)
{
    if (FUseAdvColors == value)
        return;
    FUseAdvColors = value;
    SetParentColor(value);
    CalcAdvColors();
    RedrawBorder();
}

void TFlatEdit::CalcAdvColors()
{
    if (!FUseAdvColors)
        return;
    // The edit shades from its own flat colour, not from Color.
    calcAdvColors(m_advColorSlots, FColorFlat);
}

void TFlatEdit::CMParentColorChanged()
{
    if (FUseAdvColors) {
        if (parentWidget())
            FColorFlat = ParentColorOf(this);
        CalcAdvColors();
    } else if (FParentColor && parentWidget()) {
        FColorFlat = ParentColorOf(this);
    }
    RedrawBorder();
}

bool TFlatEdit::Highlighted() const
{
    // While any flat edit has the focus, hovering another one does not light it up.
    return hasFocus() ||
           (FMouseInside && !qobject_cast<const TFlatEdit *>(QApplication::focusWidget()));
}

void TFlatEdit::RedrawBorder()
{
    FColor = Highlighted() ? FColorFocused : FColorFlat;
    const QColor fill = ColorToQColor(FColor);
    QPalette pal = palette();
    bool changed = false;
    // Only Base (and Text under a dark palette): Window stays inherited, so that the parent's
    // colour changes still arrive.
    if (pal.color(QPalette::Base) != fill) {
        pal.setColor(QPalette::Base, fill);
        changed = true;
    }
    // The palette's light text would vanish on the white of a focused edit.
    if (isDarkPalette(pal)) {
        const QPalette natural =
            parentWidget() ? parentWidget()->palette() : QApplication::palette(this);
        const QColor text =
            legibleOn(this, natural.color(QPalette::Text), FColor, kCaptionContrast);
        if (pal.color(QPalette::Text) != text) {
            pal.setColor(QPalette::Text, text);
            m_textSet = changed = true;
        }
    } else if (m_textSet) {
        // Back to the inherited text colour: a fresh palette with only Base set.
        pal = QPalette();
        pal.setColor(QPalette::Base, fill);
        m_textSet = false;
        changed = true;
    }
    if (changed) {
        // Our own palette change must not count as the parent's colour changing.
        m_inRedraw = true;
        setPalette(pal);
        m_inRedraw = false;
    }
    update();
}

void TFlatEdit::NewAdjustHeight()
{
    // One line of text and three pixels of border above and below, whatever was asked.
    setFixedHeight(GetFontMetrics(font()).height() + 6);
}

QSize TFlatEdit::sizeHint() const
{
    return {QLineEdit::sizeHint().width(), GetFontMetrics(font()).height() + 6};
}

QSize TFlatEdit::minimumSizeHint() const
{
    return {QLineEdit::minimumSizeHint().width(), GetFontMetrics(font()).height() + 6};
}

void TFlatEdit::SetShowHint(bool value)
{
    KitControl::setShowHint(this, value);
}

void TFlatEdit::SetParentShowHint(bool value)
{
    KitControl::setParentShowHint(this, value);
}

void TFlatEdit::paintEvent(QPaintEvent *event)
{
    QLineEdit::paintEvent(event);
    QPainter painter(this);
    QRect ring = rect();
    FrameRect(painter, ring, legibleOn(this, FColorBorder, FColorFlat, kMarkContrast));
    ring.adjust(1, 1, -1, -1);
    FrameRect(painter, ring, FColor);
    ring.adjust(1, 1, -1, -1);
    FrameRect(painter, ring, FColor);
}

void TFlatEdit::enterEvent(QEnterEvent *event)
{
    QLineEdit::enterEvent(event);
    if (QApplication::activeWindow()) {
        FMouseInside = true;
        RedrawBorder();
    }
}

void TFlatEdit::leaveEvent(QEvent *event)
{
    QLineEdit::leaveEvent(event);
    FMouseInside = false;
    RedrawBorder();
}

void TFlatEdit::keyPressEvent(QKeyEvent *event)
{
    // Alt+letter is an accelerator of the window, not text (QLineEdit would type it).
    const Qt::KeyboardModifiers mods = event->modifiers();
    if (mods.testFlag(Qt::AltModifier) && !mods.testFlag(Qt::ControlModifier) &&
        !event->text().isEmpty() && event->text().at(0).isPrint()) {
        event->ignore();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TFlatEdit::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    RedrawBorder();
}

void TFlatEdit::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    RedrawBorder();
}

bool TFlatEdit::event(QEvent *event)
{
    if (KitControl::suppressHint(this, event))
        return true;
    if (event->type() == QEvent::ParentChange)
        CMParentColorChanged();
    return QLineEdit::event(event);
}

void TFlatEdit::changeEvent(QEvent *event)
{
    QLineEdit::changeEvent(event);
    switch (event->type()) {
    case QEvent::EnabledChange:
        RedrawBorder();
        break;
    case QEvent::FontChange:
        NewAdjustHeight();
        break;
    case QEvent::PaletteChange:
        if (!m_inRedraw)
            CMParentColorChanged();
        break;
    case QEvent::ApplicationPaletteChange:
        CMParentColorChanged();
        break;
    default:
        break;
    }
}
