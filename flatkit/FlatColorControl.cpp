#include "FlatColorControl.h"

#include "KitControl.h"

FlatColorControl::FlatColorControl(QWidget *parent)
    : QWidget(parent)
{
}

void FlatColorControl::SetCaption(const QString &caption)
{
    FCaption = caption;
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
