#pragma once

#include "FlatCheckControl.h"

// The kit's check box: an 11 x 11 box with a tick, the caption beside it. A click toggles it
// on release (also when released off the control after pressing on it); the space bar toggles
// the focused box; the caption's accelerator focuses and toggles it. Every change of Checked,
// from the user or the program, emits clicked().
class TFlatCheckBox : public FlatCheckControl {
    Q_OBJECT
public:
    explicit TFlatCheckBox(QWidget *parent = nullptr);
    ~TFlatCheckBox() override;

    void SetChecked(bool value) override;
    void performClick() override; // toggles

    TColor ColorCheck() const { return markColor(); }
    TCheckBoxLayout Layout() const { return RightLayout() ? checkboxRight : checkboxLeft; }
    void SetLayout(TCheckBoxLayout value) { setLayoutRight(value == checkboxRight); }

    QRect indicatorRect() const override;
    bool CMDialogChar(QChar character) override;

    static FlatCheckControl *mouseInControl() { return Tracking.MouseInControl; }
    static QTimer *mouseTimer() { return Tracking.MouseTimer.get(); }
    static int instanceCount() { return Tracking.InstanceCount; }

protected:
    HoverTracking<FlatCheckControl> &tracking() const override { return Tracking; }
    void drawIndicator(QPainter &painter) override;
    void leftRelease(const QPoint &pos) override;

private:
    void DrawCheckRect() { drawIndicatorNow(); }

    static HoverTracking<FlatCheckControl> Tracking;
};
