#include "WindowDrag.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

struct Step {
    QEvent::Type type;
    QPoint global;
    Qt::MouseButtons buttons;
};

QMouseEvent mouse(const QWidget &window, const Step &s)
{
    const Qt::MouseButton button = s.type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    return QMouseEvent(s.type, QPointF(s.global - window.pos()), QPointF(s.global), button,
                       s.buttons, Qt::NoModifier);
}

} // namespace

// The offscreen platform has no window manager, so a drag that starts is followed by hand.
TEST(WindowDrag, StartsOnlyBeyondTheDragDistanceWithTheButtonDown)
{
    const int d = QApplication::startDragDistance();
    constexpr auto press = QEvent::MouseButtonPress;
    constexpr auto motion = QEvent::MouseMove;
    constexpr auto release = QEvent::MouseButtonRelease;
    const Qt::MouseButtons held = Qt::LeftButton;
    const Qt::MouseButtons none = Qt::NoButton;
    // The window is at 400,300, 20 high; 410,305 is on it, 410,318 in its sizing band.
    const struct {
        const char *name;
        std::vector<Step> steps;
        QPoint wantPos;
        int wantHeight;
        bool wantDragging;
    } rows[] = {
        {"a click moves nothing",
         {{press, {410, 305}, held}, {release, {410, 305}, none}},
         {400, 300},
         20,
         false},
        {"a tremble below the distance",
         {{press, {410, 305}, held}, {motion, {410 + d - 1, 305}, held}},
         {400, 300},
         20,
         false},
        {"beyond the distance: follows from the press",
         {{press, {410, 305}, held}, {motion, {410 + d, 305}, held}, {motion, {470, 345}, held}},
         {460, 340},
         20,
         true},
        {"released after the move",
         {{press, {410, 305}, held}, {motion, {470, 345}, held}, {release, {470, 345}, none}},
         {460, 340},
         20,
         false},
        {"motion with the button already up",
         {{press, {410, 305}, held}, {motion, {470, 345}, none}, {motion, {480, 355}, held}},
         {400, 300},
         20,
         false},
        {"the bottom rows size",
         {{press, {410, 318}, held}, {motion, {410, 318 + d + 2}, held}},
         {400, 300},
         20 + d + 2,
         true},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(r.name);
        QWidget window(nullptr, Qt::Window | Qt::FramelessWindowHint);
        window.setGeometry(400, 300, 155, 20);
        WindowDrag drag(
            window, [&](int h) { window.resize(window.width(), h); }, [] {});
        for (const Step &s : r.steps) {
            QMouseEvent e = mouse(window, s);
            if (s.type == press)
                drag.press(&e);
            else if (s.type == motion)
                drag.move(&e);
            else
                drag.release(&e);
        }
        EXPECT_EQ(window.pos(), r.wantPos);
        EXPECT_EQ(window.height(), r.wantHeight);
        EXPECT_EQ(drag.dragging(), r.wantDragging);
    }
}
