#pragma once

#include "AdvColors.h"
#include "Flatutilitys.h"

#include <QWidget>

// A flat gauge: a one-pixel frame around a fill (smooth) or a row of 8-pixel blocks. Position is
// read as a percentage whatever Min and Max say; Max only caps StepIt and StepBy. A light widget
// without a native window, repainted often: the value setters return early when nothing
// changes (SetColors and SetTransparent always repaint) and painting allocates nothing.
class TFlatProgressBar : public QWidget {
    Q_OBJECT
public:
    explicit TFlatProgressBar(QWidget *parent = nullptr);

    int Min() const { return FMin; }
    int Max() const { return FMax; }
    int Position() const { return FPosition; }
    int Step() const { return FStep; }
    bool Smooth() const { return FSmooth; }
    bool Transparent() const { return FTransparent; }
    TProgressBarOrientation Orientation() const { return FOrientation; }
    TColor ColorElement() const { return FColorElement; }
    TColor ColorBorder() const { return FColorBorder; }
    TAdvColors AdvColorBorder() const { return FAdvColorBorder; }
    bool UseAdvColors() const { return FUseAdvColors; }
    // The background; follows the parent (see ParentColorOf) while ParentColor is set.
    TColor Color() const { return FColor; }
    bool ParentColor() const { return FParentColor; }

    void SetMin(int value);
    void SetMax(int value);
    void SetPosition(int value);
    void SetStep(int value);
    void SetSmooth(bool value);
    void SetTransparent(bool value);
    // Swaps width and height when the orientation changes.
    void SetOrientation(TProgressBarOrientation value);
    // 0: ColorElement (the fill), 1: ColorBorder; other indices store nothing. Repaints always.
    void SetColors(int index, TColor value);
    // 0: AdvColorBorder. Runs CalcAdvColors whatever the index and the amount.
    void SetAdvColors(int index, TAdvColors value);
    void SetUseAdvColors(bool value);
    void SetColor(TColor value); // clears ParentColor
    void SetParentColor(bool value);

    // Advance by Step (or delta), capped at Max, and draw the new elements on top of what is
    // shown at once; a fill that shrank stays until the next full paint.
    void StepIt();
    void StepBy(int delta);

    void CalcAdvColors();
    void CMSysColorChange();
    void CMParentColorChanged();

    QSize sizeHint() const override { return QSize(147, 16); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool event(QEvent *event) override;

private:
    void Paint(QPainter &painter);
    void DrawElements(QPainter &painter);
    void CheckBounds();
    void invalidate();
    void stepTo(int value);

    static constexpr int FElementWidth = 8;

    TColor FColor = clBtnFace;
    bool FParentColor = true;
    bool FTransparent = false;
    TColor FColorElement = 0x00996633;
    TColor FColorBorder = 0x008396A0;
    TAdvColors FAdvColorBorder = 50;
    bool FUseAdvColors = false;
    const AdvColorSlot m_advColorSlots[1] = {{&FColorBorder, &FAdvColorBorder, darken}};
    TProgressBarOrientation FOrientation = pbHorizontal;
    int FMin = 0;
    int FMax = 100;
    int FPosition = 0;
    int FStep = 10;
    bool FSmooth = false;

    bool m_fullPaintPending = true; // an update() asks for frame and background too
    bool m_elementsOnly = false;    // the next paint adds the elements on top (StepIt)
};
