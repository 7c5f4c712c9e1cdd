#pragma once

#include "AdvColors.h"
#include "Flatutilitys.h"

#include <QLineEdit>

// The kit's single-line edit: a QLineEdit without its own frame, inside a three-pixel ring
// drawn by the kit (one pixel ColorBorder, two pixels of the fill colour). The fill, also the
// text background, is ColorFlat while idle and ColorFocused while focused or hovered (hover
// only while no other flat edit has the focus). Its height follows its font: metrics height
// + 6.
class TFlatEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TFlatEdit(QWidget *parent = nullptr);

    // 0 ColorFocused, 1 ColorBorder, 2 ColorFlat (also clears ParentColor).
    void SetColors(int index, TColor color);
    TColor ColorFocused() const { return FColorFocused; }
    TColor ColorBorder() const { return FColorBorder; }
    TColor ColorFlat() const { return FColorFlat; }

    // The kit's own flag: when set, ColorFlat is the parent's colour.
    bool ParentColor() const { return FParentColor; }
    void SetParentColor(bool value);

    // 0 AdvColorFocused (lighten), 1 AdvColorBorder (darken).
    void SetAdvColors(int index, TAdvColors amount);
    TAdvColors AdvColorFocused() const { return FAdvColorFocused; }
    TAdvColors AdvColorBorder() const { return FAdvColorBorder; }
    bool UseAdvColors() const { return FUseAdvColors; }
    void SetUseAdvColors(bool value);

    // The fill colour now in use (ColorFlat or ColorFocused).
    TColor Color() const { return FColor; }
    bool Highlighted() const;
    bool MouseInside() const { return FMouseInside; }

    void SetShowHint(bool value);
    void SetParentShowHint(bool value);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void RedrawBorder();
    void NewAdjustHeight();
    void CalcAdvColors();
    void CMParentColorChanged();

    TColor FColorFocused = 0x00FFFFFF;
    TColor FColorBorder = 0x008396A0;
    TColor FColorFlat = 0x00E1EAEB;
    bool FParentColor = true;
    TAdvColors FAdvColorFocused = 10;
    TAdvColors FAdvColorBorder = 50;
    bool FUseAdvColors = false;
    const AdvColorSlot m_advColorSlots[2] = {{&FColorFocused, &FAdvColorFocused, lighten},
                                             {&FColorBorder, &FAdvColorBorder, darken}};
    TColor FColor = 0x00E1EAEB;
    bool FMouseInside = false;
    bool m_inRedraw = false;
    bool m_textSet = false; // Text set for a dark palette
};
