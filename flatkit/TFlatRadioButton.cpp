#include "TFlatRadioButton.h"

#include "KitControl.h"
#include "Legibility.h"

#include <QPainter>
#include <QPointer>

HoverTracking<FlatCheckControl> TFlatRadioButton::Tracking;

namespace {

// The 10 x 10 circle: '#' outline, 'o' inside.
constexpr const char *kCircle[10] = {
    "...####...", ".##oooo##.", ".#oooooo#.", "#oooooooo#", "#oooooooo#",
    "#oooooooo#", "#oooooooo#", ".#oooooo#.", ".##oooo##.", "...####...",
};
// The 4 x 4 dot.
constexpr const char *kDot[4] = {".##.", "####", "####", ".##."};

} // namespace

TFlatRadioButton::TFlatRadioButton(QWidget *parent)
    : FlatCheckControl(parent)
{
    Tracking.createTimer();
    SetTabStop(false);
    Tracking.addInstance();
}

TFlatRadioButton::~TFlatRadioButton()
{
    RemoveMouseTimer();
    Tracking.removeInstance();
}

void TFlatRadioButton::SetChecked(bool value)
{
    if (FChecked == value)
        return;
    // Of a group only the checked button is a tab stop.
    SetTabStop(value);
    FChecked = value;
    if (value) {
        if (QWidget *parent = parentWidget()) {
            const QObjectList children = parent->children();
            for (QObject *child : children) {
                auto *radio = qobject_cast<TFlatRadioButton *>(child);
                if (radio && radio != this && radio->GroupIndex == GroupIndex)
                    radio->SetChecked(false);
            }
        }
        QPointer<TFlatRadioButton> guard(this);
        emit clicked();
        if (!guard)
            return;
    }
    DrawRadio();
}

QRect TFlatRadioButton::indicatorRect() const
{
    const int W = width();
    return RightLayout() ? KitRect(W - 11, 3, W - 1, 13) : KitRect(1, 3, 11, 13);
}

void TFlatRadioButton::drawIndicator(QPainter &painter)
{
    const QRect bounds = indicatorRect();
    const TColor fill = indicatorFill();
    const QColor outline = ColorToQColor(legibleOn(this, ColorBorder(), FColor, kMarkContrast));
    const QColor inside = ColorToQColor(fill);
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 10; ++x) {
            const char c = kCircle[y][x];
            if (c == '.')
                continue;
            painter.setPen(c == '#' ? outline : inside);
            painter.drawPoint(bounds.left() + x, bounds.top() + y);
        }
    }
    if (!FChecked)
        return;
    painter.setPen(ColorToQColor(isEnabled() ? legibleOn(this, ColorDot(), fill, kMarkContrast)
                                             : clBtnShadow));
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            if (kDot[y][x] == '#')
                painter.drawPoint(bounds.left() + 3 + x, bounds.top() + 3 + y);
        }
    }
}

void TFlatRadioButton::leftRelease(const QPoint &pos)
{
    // Both far edges count as inside; the mouse only ever checks a radio button.
    const bool inside = pos.x() >= 0 && pos.x() <= width() && pos.y() >= 0 && pos.y() <= height();
    if (inside && !FChecked)
        SetChecked(true);
    DrawRadio();
}

void TFlatRadioButton::DoEnter()
{
    if (FMouseDown && FMouseInside)
        SetChecked(true);
    FlatCheckControl::DoEnter();
}

bool TFlatRadioButton::CMDialogChar(QChar character)
{
    if (IsAccelerator(character, Caption()) && KitControl::canFocus(this)) {
        setFocus(Qt::ShortcutFocusReason);
        return true;
    }
    return false;
}
