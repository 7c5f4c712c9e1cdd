#pragma once

#include "FlatColorControl.h"
#include "Flatutilitys.h"

#include <QImage>
#include <QString>
#include <QWidget>

// The kit's group box: a one-pixel frame (or only its top line) with the caption set into the
// top line. Children are placed in it as in any QWidget. Its accelerator focuses the box.
class TFlatGroupBox : public FlatColorControl {
    Q_OBJECT
public:
    explicit TFlatGroupBox(QWidget *parent = nullptr);

    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool value);
    TGroupBoxBorder Border() const { return FBorder; }
    void SetBorder(TGroupBoxBorder value);

    // 0 ColorBorder.
    void SetColors(int index, TColor color);
    TColor ColorBorder() const { return FColorBorder; }
    // 0 AdvColorBorder (darken).
    void SetAdvColors(int index, TAdvColors amount);
    TAdvColors AdvColorBorder() const { return FAdvColorBorder; }
    bool UseAdvColors() const { return FUseAdvColors; }
    void SetUseAdvColors(bool value);

    QString Hint() const { return toolTip(); }
    void SetHint(const QString &hint) { setToolTip(hint); }
    void SetShowHint(bool value);
    void SetParentShowHint(bool value);

    bool CMDialogChar(QChar character);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QImage Paint();
    void CalcAdvColors();
    void CMSysColorChange();
    void CMParentColorChanged();

    bool FTransparent = false;
    TColor FColorBorder = 0x008396A0;
    TGroupBoxBorder FBorder = brFull;
    TAdvColors FAdvColorBorder = 50;
    bool FUseAdvColors = false;
};
