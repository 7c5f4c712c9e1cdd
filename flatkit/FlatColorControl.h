#pragma once

#include "Flatutilitys.h"

#include <QString>
#include <QWidget>

// The caption and the Color/ParentColor pair the flat button, check controls and group box
// share. Setting Color publishes it for the children and tells them it changed.
class FlatColorControl : public QWidget {
    Q_OBJECT
public:
    QString Caption() const { return FCaption; }
    void SetCaption(const QString &caption);

    TColor Color() const { return FColor; }
    void SetColor(TColor color); // clears ParentColor
    bool ParentColor() const { return FParentColor; }
    void SetParentColor(bool value);

protected:
    explicit FlatColorControl(QWidget *parent);

    void takeParentColor();

    QString FCaption;
    TColor FColor = clBtnFace;
    bool FParentColor = true;
};
