#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

inline constexpr int kSnapDistance = 15;

// The position the strip is pulled to when it is nearer than kSnapDistance to a screen edge.
// Left and top pull to the screen origin; right and bottom to the work area's width and height.
// Each test sees the result of the one before.
QPoint snappedPosition(const QRect &window, const QSize &workArea);
