#include "BarLayout.h"

BarLayout computeBarLayout(int height, const LabelMeasure &measure)
{
    const int h = height;
    BarLayout l;
    l.labelPointSize = h - 12;

    const QSize percent = measure(l.labelPointSize, QStringLiteral("100%"));
    l.lblPercent = QRect(3, (h - percent.height()) / 2, percent.width(), percent.height());

    const int gaugeHeight = h - 6;
    // Integer form of truncate(height * 4.07): no floating-point rounding at the edges.
    const int gaugeWidth = gaugeHeight * 407 / 100;
    l.ProgressBar =
        QRect(l.lblPercent.left() + l.lblPercent.width() + 2, 3, gaugeWidth, gaugeHeight);

    const QSize time = measure(l.labelPointSize, QStringLiteral("0:00:00"));
    l.lblTime = QRect(l.ProgressBar.left() + l.ProgressBar.width() + 6, (h - time.height()) / 2,
                      time.width(), time.height());

    l.IconLeft = l.lblTime.left() + l.lblTime.width() + 4;
    l.IconWidth = h - 4;
    l.IconHeight = h - 4;

    l.windowWidth = l.IconLeft + l.IconWidth + 3;
    l.Bevel = QRect(0, 0, l.windowWidth, h);
    return l;
}
