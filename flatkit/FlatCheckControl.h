#pragma once

#include "FlatColorControl.h"
#include "Flatutilitys.h"
#include "HoverTracking.h"

#include <QString>
#include <QWidget>

// What the flat check box and the flat radio button share: the indicator beside a wrapped
// caption at the left or right edge, its fills for idle, hot/focused and pressed, the
// embossed disabled caption, hover tracking and the colour properties. Each subclass keeps its
// own hover timer, draws its own indicator and decides what a click and a key do.
class FlatCheckControl : public FlatColorControl {
    Q_OBJECT
public:
    ~FlatCheckControl() override;

    bool Checked() const { return FChecked; }
    virtual void SetChecked(bool value) = 0;
    // What a left click does, without the pointer (a screen reader's toggle).
    virtual void performClick() = 0;

    // 0 ColorFocused, 1 ColorDown, 2 the mark (ColorCheck or ColorDot), 3 ColorBorder.
    void SetColors(int index, TColor color);
    TColor ColorFocused() const { return FColorFocused; }
    TColor ColorDown() const { return FColorDown; }
    TColor ColorBorder() const { return FColorBorder; }

    // SetAdvColors: 0 AdvColorFocused (lighten), 1 AdvColorDown (darken), 2 AdvColorBorder
    // (darken).
    TAdvColors AdvColorFocused() const { return FAdvColorFocused; }
    TAdvColors AdvColorDown() const { return FAdvColorDown; }
    TAdvColors AdvColorBorder() const { return FAdvColorBorder; }

    // Right side: the indicator at the right edge and the caption right-aligned.
    bool RightLayout() const { return FRightLayout; }
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool value);

    using FlatColorControl::SetTabStop;
    using FlatColorControl::TabStop;

    // The indicator's rectangle (the box or the circle's bounds).
    virtual QRect indicatorRect() const = 0;

    bool MouseInside() const { return FMouseInside; }
    bool MouseDownFlag() const { return FMouseDown; }
    bool HasFocus() const { return FHasFocus; }

    void MouseEnter();
    void MouseLeave();
    void MouseTimerHandler();

signals:
    void clicked();

protected:
    explicit FlatCheckControl(QWidget *parent);

    virtual HoverTracking<FlatCheckControl> &tracking() const = 0;
    // Draws the indicator (within indicatorRect()) with the current fill.
    virtual void drawIndicator(QPainter &painter) = 0;
    virtual void DoEnter();
    // The left button went up on the control (enabled).
    virtual void leftRelease(const QPoint &pos) = 0;

    // Redraws the indicator at once.
    void drawIndicatorNow();
    void DrawText(QPainter &painter);
    TColor indicatorFill() const;
    void setLayoutRight(bool right);
    void setMarkColor(TColor color) { FColorMark = color; }
    void notifyCheckedChanged();
    TColor markColor() const { return FColorMark; }
    void RemoveMouseTimer();

    std::span<const AdvColorSlot> advColorSlots() override { return m_advColorSlots; }
    bool showsParent() const override { return FTransparent; }
    void CMEnabledChanged() override;
    void hoverIfUnderPointer() override { tracking().hoverStep(this, QCursor::pos()); }
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

    bool FChecked = false;
    bool FMouseInside = false;
    bool FMouseDown = false;
    bool FHasFocus = false;

private:
    TColor FColorFocused = 0x00FFFFFF;
    TColor FColorDown = 0x00C5D6D9;
    TColor FColorMark = 0x00000000;
    TColor FColorBorder = 0x008396A0;
    TAdvColors FAdvColorFocused = 10;
    TAdvColors FAdvColorDown = 10;
    TAdvColors FAdvColorBorder = 50;
    const AdvColorSlot m_advColorSlots[3] = {{&FColorFocused, &FAdvColorFocused, lighten},
                                             {&FColorDown, &FAdvColorDown, darken},
                                             {&FColorBorder, &FAdvColorBorder, darken}};
    bool FRightLayout = false;
    bool FTransparent = false;
};
