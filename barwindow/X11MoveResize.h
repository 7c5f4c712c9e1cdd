#pragma once

#include <QPoint>
#include <QPointF>

#include <optional>

class QWindow;

// A point of the window (in its own logical coordinates) on the X11 root window, in device
// pixels; nothing on other platforms.
std::optional<QPoint> x11RootPosition(const QWindow *window, QPointF local);

// Asks an X11 window manager to move the window, or to size it from its bottom edge, as if the
// left-button drag had begun at from (a root position from x11RootPosition), so the window
// keeps its place under the pointer however far the pointer went before this. False without
// X11 or without a window manager that offers it.
bool startWindowManagerDrag(QWindow *window, QPoint from, bool sizing);

// Whether the left mouse button is down anywhere on the X11 display (the window manager's
// move or size loop may hold the pointer meanwhile); false on other platforms.
bool x11LeftButtonDown(const QWindow *window);
