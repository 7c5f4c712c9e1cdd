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
    // SetAdvColors: 0 AdvColorBorder (darken).
    TAdvColors AdvColorBorder() const { return FAdvColorBorder; }

    bool CMDialogChar(QChar character) override;

protected:
    std::span<const AdvColorSlot> advColorSlots() override { return m_advColorSlots; }
    bool showsParent() const override { return FTransparent; }
    void paintEvent(QPaintEvent *event) override;

private:
    QImage Paint();

    bool FTransparent = false;
    TColor FColorBorder = 0x008396A0;
    TGroupBoxBorder FBorder = brFull;
    TAdvColors FAdvColorBorder = 50;
    const AdvColorSlot m_advColorSlots[1] = {{&FColorBorder, &FAdvColorBorder, darken}};
};
