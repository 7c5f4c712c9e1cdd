#pragma once

#include "FlatCheckControl.h"

// The kit's radio button: a 10 x 10 circle with a 4 x 4 dot, the caption beside it. Checking
// it unchecks the other flat radio buttons of the same parent and GroupIndex. It is checked by
// a click (a release on it or on the row/column just past its edge), by the space bar while it
// has the focus, or by the program, never unchecked by the mouse or the keyboard; the
// accelerator only focuses it. Only the checked button of a group is a tab stop; the arrow
// keys move the focus to the previous or next button of the group and check it. clicked()
// comes when it becomes checked.
class TFlatRadioButton : public FlatCheckControl {
    Q_OBJECT
public:
    explicit TFlatRadioButton(QWidget *parent = nullptr);
    ~TFlatRadioButton() override;

    void SetChecked(bool value) override;
    void performClick() override; // checks it; never unchecks

    TColor ColorDot() const { return markColor(); }
    TRadioButtonLayout Layout() const { return RightLayout() ? radioRight : radioLeft; }
    void SetLayout(TRadioButtonLayout value) { setLayoutRight(value == radioRight); }

    int GroupIndex = 0;

    QRect indicatorRect() const override;
    bool CMDialogChar(QChar character) override;

    static FlatCheckControl *mouseInControl() { return Tracking.MouseInControl; }
    static QTimer *mouseTimer() { return Tracking.MouseTimer.get(); }
    static int instanceCount() { return Tracking.InstanceCount; }

protected:
    HoverTracking<FlatCheckControl> &tracking() const override { return Tracking; }
    void drawIndicator(QPainter &painter) override;
    void leftRelease(const QPoint &pos) override;
    void DoEnter() override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void DrawRadio() { drawIndicatorNow(); }

    static HoverTracking<FlatCheckControl> Tracking;
};
