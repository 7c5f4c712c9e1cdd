#include "TFlatCheckBox.h"

#include "KitControl.h"
#include "Legibility.h"

#include <QPainter>

HoverTracking<FlatCheckControl> TFlatCheckBox::Tracking;

namespace {

// The tick, relative to the box's top-left corner: six one-pixel diagonal strokes.
constexpr QPoint kTick[] = {{8, 2}, {7, 3}, {8, 3}, {2, 4}, {6, 4}, {7, 4}, {8, 4},
                            {2, 5}, {3, 5}, {5, 5}, {6, 5}, {7, 5}, {2, 6}, {3, 6},
                            {4, 6}, {5, 6}, {6, 6}, {3, 7}, {4, 7}, {5, 7}, {4, 8}};

} // namespace

TFlatCheckBox::TFlatCheckBox(QWidget *parent)
    : FlatCheckControl(parent)
{
    Tracking.createTimer();
    SetTabStop(true);
    Tracking.addInstance();
}

TFlatCheckBox::~TFlatCheckBox()
{
    RemoveMouseTimer();
    Tracking.removeInstance();
}

void TFlatCheckBox::SetChecked(bool value)
{
    if (FChecked == value)
        return;
    FChecked = value;
    notifyCheckedChanged();
    emit clicked();
    DrawCheckRect();
}

QRect TFlatCheckBox::indicatorRect() const
{
    const int W = width();
    return RightLayout() ? KitRect(W - 12, 3, W - 1, 14) : KitRect(1, 3, 12, 14);
}

void TFlatCheckBox::drawIndicator(QPainter &painter)
{
    const QRect box = indicatorRect();
    const TColor fill = indicatorFill();
    FillRect(painter, box, fill);
    if (FChecked) {
        painter.setPen(ColorToQColor(
            isEnabled() ? legibleOn(this, ColorCheck(), fill, kMarkContrast) : clBtnShadow));
        for (const QPoint &p : kTick)
            painter.drawPoint(box.topLeft() + p);
    }
    FrameRect(painter, box, legibleOn(this, ColorBorder(), FColor, kMarkContrast));
}

void TFlatCheckBox::leftRelease(const QPoint &)
{
    // The hover flag decides, not the release point: a press dragged off still toggles.
    if (FMouseInside)
        performClick();
    DrawCheckRect();
}

void TFlatCheckBox::performClick()
{
    if (isEnabled())
        SetChecked(!FChecked);
}

bool TFlatCheckBox::CMDialogChar(QChar character)
{
    if (IsAccelerator(character, Caption()) && KitControl::canFocus(this)) {
        setFocus(Qt::ShortcutFocusReason);
        SetChecked(!FChecked);
        return true;
    }
    if (character == u' ' && FHasFocus)
        SetChecked(!FChecked);
    return false;
}
