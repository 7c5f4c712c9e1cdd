#include "BarLayout.h"

#include <QFont>
#include <QFontMetrics>
#include <gtest/gtest.h>

namespace {

QSize measureReal(int pointSize, const QString &text)
{
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPointSize(pointSize);
    const QFontMetrics fm(f);
    return {fm.horizontalAdvance(text), fm.height()};
}

} // namespace

TEST(BarLayout, TableRows)
{
    const struct {
        int h, pt, gaugeH, gaugeW, icon;
    } rows[] = {
        {15, 3, 9, 36, 11}, {20, 8, 14, 56, 16}, {21, 9, 15, 61, 17}, {48, 36, 42, 170, 44}};
    for (const auto &r : rows) {
        SCOPED_TRACE(r.h);
        const BarLayout l = computeBarLayout(r.h, measureReal);
        EXPECT_EQ(l.labelPointSize, r.pt);
        EXPECT_EQ(l.ProgressBar.height(), r.gaugeH);
        EXPECT_EQ(l.ProgressBar.width(), r.gaugeW);
        EXPECT_EQ(l.IconWidth, r.icon);
        EXPECT_EQ(l.IconHeight, r.icon);
    }
}

// Every height the window allows, with the fonts really measured.
TEST(BarLayout, EveryHeightChainsTheElements)
{
    for (int h = kMinBarHeight; h <= kMaxBarHeight; ++h) {
        SCOPED_TRACE(h);
        const BarLayout l = computeBarLayout(h, measureReal);
        const QSize percent = measureReal(h - 12, QStringLiteral("100%"));
        const QSize time = measureReal(h - 12, QStringLiteral("0:00:00"));
        EXPECT_EQ(l.lblPercent,
                  QRect(3, (h - percent.height()) / 2, percent.width(), percent.height()));
        EXPECT_EQ(l.ProgressBar.left(), 3 + percent.width() + 2);
        EXPECT_EQ(l.ProgressBar.top(), 3);
        EXPECT_EQ(l.ProgressBar.height(), h - 6);
        // truncated, never rounded: compare against the real product
        EXPECT_EQ(l.ProgressBar.width(), static_cast<int>((h - 6) * 4.07 + 1e-9));
        EXPECT_EQ(l.lblTime.left(), l.ProgressBar.left() + l.ProgressBar.width() + 6);
        EXPECT_EQ(l.lblTime.size(), time);
        EXPECT_EQ(l.lblTime.top(), (h - time.height()) / 2);
        EXPECT_EQ(l.IconLeft, l.lblTime.left() + time.width() + 4);
        EXPECT_EQ(l.windowWidth, l.IconLeft + h - 4 + 3);
        EXPECT_EQ(l.Bevel, QRect(0, 0, l.windowWidth, h));
    }
}

TEST(BarLayout, WidthGrowsWithHeight)
{
    int previous = 0;
    for (int h = kMinBarHeight; h <= kMaxBarHeight; ++h) {
        const int w = computeBarLayout(h, measureReal).windowWidth;
        EXPECT_GT(w, previous) << h;
        previous = w;
    }
}

// Labels taller than the strip (large fonts) sit centred with a negative top, as the division
// truncates toward zero.
TEST(BarLayout, OddHeightsTruncateTowardZero)
{
    const auto fixed = [](int, const QString &) { return QSize(10, 23); };
    EXPECT_EQ(computeBarLayout(20, fixed).lblPercent.top(), -1); // (20 - 23) / 2
    EXPECT_EQ(computeBarLayout(26, fixed).lblTime.top(), 1);     // (26 - 23) / 2
}
