#include "TFlatRadioButton.h"

#include "KitControl.h"
#include "Legibility.h"

#include <QKeyEvent>
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
    notifyCheckedChanged();
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
    if (inside)
        performClick();
    DrawRadio();
}

void TFlatRadioButton::performClick()
{
    if (isEnabled() && !FChecked)
        SetChecked(true);
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
    // Without this a keyboard could reach a button of the group but never choose it.
    if (character == u' ' && FHasFocus)
        performClick();
    return false;
}

void TFlatRadioButton::keyPressEvent(QKeyEvent *event)
{
    int step = 0;
    if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Left)
        step = -1;
    else if (event->key() == Qt::Key_Down || event->key() == Qt::Key_Right)
        step = 1;
    QList<TFlatRadioButton *> group;
    if (step != 0 && (event->modifiers() & ~Qt::KeypadModifier) == 0 && parentWidget()) {
        const QObjectList children = parentWidget()->children();
        for (QObject *child : children) {
            auto *radio = qobject_cast<TFlatRadioButton *>(child);
            if (radio && radio->GroupIndex == GroupIndex &&
                (radio == this || KitControl::canFocus(radio)))
                group.append(radio);
        }
    }
    if (group.size() < 2) {
        FlatCheckControl::keyPressEvent(event); // up to the window
        return;
    }
    // Tab reaches only the checked button of a group; the arrows go round within it.
    const qsizetype next = (group.indexOf(this) + step + group.size()) % group.size();
    TFlatRadioButton *radio = group.at(next);
    radio->setFocus(Qt::OtherFocusReason);
    radio->performClick();
    event->accept();
}
