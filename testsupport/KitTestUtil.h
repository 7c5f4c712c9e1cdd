#pragma once

// Helpers for the flat controls' widget tests.

#include "TColor.h"

#include <QApplication>
#include <QCursor>
#include <QDeadlineTimer>
#include <QFont>
#include <QImage>
#include <QTest>
#include <QWidget>

#include <functional>

namespace kittest {

// The colour of one pixel of the widget as it paints now.
inline TColor pixelAt(QWidget &widget, int x, int y)
{
    const QImage image = widget.grab().toImage();
    return QColorToColor(QColor::fromRgb(image.pixel(x, y)));
}

inline QImage image(QWidget &widget)
{
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

inline TColor pixel(const QImage &image, int x, int y)
{
    return QColorToColor(QColor::fromRgb(image.pixel(x, y)));
}

inline bool waitFor(const std::function<bool()> &condition, int ms = 5000)
{
    QDeadlineTimer deadline(ms);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(10);
    }
    return true;
}

// Shows window and makes it the active one, so that hover and focus behave as on a desktop.
inline bool showActive(QWidget &window)
{
    window.show();
    window.activateWindow();
    QApplication::setActiveWindow(&window);
    return QTest::qWaitForWindowActive(&window);
}

// Puts the pointer somewhere no test widget is.
inline void parkCursor()
{
    QCursor::setPos(790, 790);
    QApplication::processEvents();
}

// A move with a mouse button held: QTest does not move the pointer itself then.
inline void dragTo(QWidget *widget, const QPoint &pos)
{
    QCursor::setPos(widget->mapToGlobal(pos));
    QTest::mouseMove(widget, pos);
}

inline QFont testFont()
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSize(8);
    return font;
}

} // namespace kittest
