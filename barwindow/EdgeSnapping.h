#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>
#include <span>

inline constexpr int kSnapDistance = 15;

// The position the strip is pulled to when it is nearer than kSnapDistance to a screen edge.
// Left and top pull to the screen's origin; right and bottom to the work area's width and
// height, counted from that origin. Each test sees the result of the one before.
QPoint snappedPosition(const QRect &window, const QSize &workArea, const QPoint &screenOrigin = {});

// The screen a window is on, as an index into screens: the one holding its centre, else the
// one it overlaps most; -1 when it overlaps none.
int screenIndexFor(const QRect &window, std::span<const QRect> screens);

// The origin to snap against with this work area, or nothing while the window is on another
// screen than the work area (the next sample follows the window). A work area on no known
// screen counts from 0,0.
std::optional<QPoint> snapOrigin(const QRect &window, const QRect &workArea,
                                 std::span<const QRect> screens);
