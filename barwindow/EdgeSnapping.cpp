#include "EdgeSnapping.h"

QPoint snappedPosition(const QRect &window, const QSize &workArea, const QPoint &screenOrigin)
{
    int left = window.left() - screenOrigin.x();
    int top = window.top() - screenOrigin.y();
    if (left < kSnapDistance)
        left = 0;
    if (top < kSnapDistance)
        top = 0;
    const int r = workArea.width() - window.width();
    if (r - left < kSnapDistance)
        left = r;
    const int b = workArea.height() - window.height();
    if (b - top < kSnapDistance)
        top = b;
    return QPoint(left, top) + screenOrigin;
}

int screenIndexFor(const QRect &window, std::span<const QRect> screens)
{
    const QPoint centre = window.center();
    for (size_t i = 0; i < screens.size(); ++i) {
        if (screens[i].contains(centre))
            return int(i);
    }
    int best = -1;
    qint64 bestArea = 0;
    for (size_t i = 0; i < screens.size(); ++i) {
        const QRect overlap = screens[i].intersected(window);
        const qint64 area = qint64(overlap.width()) * overlap.height();
        if (area > bestArea) {
            best = int(i);
            bestArea = area;
        }
    }
    return best;
}

std::optional<QPoint> snapOrigin(const QRect &window, const QRect &workArea,
                                 std::span<const QRect> screens)
{
    int areaScreen = -1;
    for (size_t i = 0; i < screens.size() && areaScreen < 0; ++i) {
        if (screens[i].contains(workArea.topLeft()))
            areaScreen = int(i);
    }
    if (areaScreen < 0)
        return QPoint();
    const int windowScreen = screenIndexFor(window, screens);
    // A window off every screen is pulled back onto the work area's.
    if (windowScreen >= 0 && windowScreen != areaScreen)
        return std::nullopt;
    return screens[size_t(areaScreen)].topLeft();
}
