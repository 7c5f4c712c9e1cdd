#include "FlatColorControl.h"

#include "AcceleratorFilter.h"
#include "DialogCharEvent.h"
#include "KitAccessible.h"
#include "KitControl.h"

FlatColorControl::FlatColorControl(QWidget *parent)
    : QWidget(parent)
{
    FColor = ParentColorOf(this);
    PublishKitColor(this, FColor);
    AcceleratorFilter::attach(this);
}

void FlatColorControl::SetCaption(const QString &caption)
{
    const bool changed = caption != FCaption;
    FCaption = caption;
    if (changed)
        KitAccessible::notifyNameChanged(this);
    update();
}

void FlatColorControl::SetColor(TColor color)
{
    FParentColor = false;
    FColor = color;
    PublishKitColor(this, FColor);
    KitControl::notifyColorChanged(this);
    update();
}

void FlatColorControl::SetParentColor(bool value)
{
    if (FParentColor == value)
        return;
    FParentColor = value;
    if (value)
        takeParentColor();
    update();
}

void FlatColorControl::takeParentColor()
{
    FColor = ParentColorOf(this);
    PublishKitColor(this, FColor);
    KitControl::notifyColorChanged(this);
}

void FlatColorControl::SetAdvColors(int index, TAdvColors amount)
{
    storeAdvColor(advColorSlots(), index, amount);
    CalcAdvColors();
    update();
}

void FlatColorControl::SetUseAdvColors(bool value)
{
    if (FUseAdvColors == value)
        return;
    FUseAdvColors = value;
    SetParentColor(value);
    CalcAdvColors();
    update();
}

void FlatColorControl::CalcAdvColors()
{
    if (FUseAdvColors)
        calcAdvColors(advColorSlots(), FColor);
}

void FlatColorControl::CMSysColorChange()
{
    if (FUseAdvColors) {
        SetParentColor(true);
        CalcAdvColors();
    }
    update();
}

void FlatColorControl::CMParentColorChanged()
{
    if (FParentColor)
        takeParentColor();
    CMSysColorChange();
}

void FlatColorControl::SetShowHint(bool value)
{
    KitControl::setShowHint(this, value);
}

void FlatColorControl::SetParentShowHint(bool value)
{
    KitControl::setParentShowHint(this, value);
}

bool FlatColorControl::TabStop() const
{
    return (focusPolicy() & Qt::TabFocus) != 0;
}

void FlatColorControl::SetTabStop(bool value)
{
    // A left press focuses the control itself; Qt must not focus it on other buttons.
    setFocusPolicy(value ? Qt::TabFocus : Qt::NoFocus);
}

bool FlatColorControl::event(QEvent *event)
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
    // QWidget passes the activation on to the children, after its own handling.
    const bool result = QWidget::event(event);
    if (event->type() == QEvent::Show || event->type() == QEvent::WindowActivate)
        hoverIfUnderPointer();
    return result;
}

void FlatColorControl::changeEvent(QEvent *event)
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

void FlatColorControl::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    if (showsParent())
        update();
}

void FlatColorControl::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (showsParent())
        update();
}
