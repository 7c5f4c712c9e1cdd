#include "EdgeSnapping.h"

QPoint snappedPosition(const QRect &window, const QSize &workArea)
{
    int left = window.left();
    int top = window.top();
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
    return {left, top};
}
