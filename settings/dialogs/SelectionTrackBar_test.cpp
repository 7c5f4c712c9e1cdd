#include "SelectionTrackBar.h"

#include <QImage>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

TEST(SelectionTrackBar, ClassicRangeAndTicks)
{
    SelectionTrackBar bar;
    EXPECT_EQ(bar.orientation(), Qt::Horizontal);
    EXPECT_EQ(bar.minimum(), 0);
    EXPECT_EQ(bar.maximum(), 100);
    EXPECT_EQ(bar.tickInterval(), 10);
    EXPECT_EQ(bar.tickPosition(), QSlider::TicksBelow);
}

struct SetRow {
    const char *name;
    int start;
    int value;
    int want;
    int changes;
};
const SetRow kSetRows[] = {
    {"inside", 0, 25, 25, 1},
    {"above range", 0, 150, 100, 1},
    {"below range", 10, -1, 0, 1},
    {"unchanged", 40, 40, 40, 0},
    {"clamped to where it is", 100, 150, 100, 0},
};

TEST(SelectionTrackBar, LimitsPositionAndReportsOnlyRealChanges)
{
    for (const SetRow &r : kSetRows) {
        SCOPED_TRACE(r.name);
        SelectionTrackBar bar;
        bar.setValue(r.start);
        QSignalSpy spy(&bar, &QSlider::valueChanged);
        bar.setValue(r.value);
        EXPECT_EQ(bar.value(), r.want);
        EXPECT_EQ(spy.count(), r.changes);
    }
}

struct BandRow {
    const char *name;
    int start;
    int end;
    bool shown;
};
const BandRow kBandRows[] = {
    {"normal", 1, 24, true},
    {"single value", 1, 1, true},
    {"end below start", 1, 0, false},
    {"end below the range", 1, -1, false},
    {"end past the range", 1, 149, true},
};

TEST(SelectionTrackBar, BandFollowsStartAndEnd)
{
    for (const BandRow &r : kBandRows) {
        SCOPED_TRACE(r.name);
        SelectionTrackBar bar;
        bar.resize(145, 25);
        bar.setSelEnd(r.end);
        bar.setSelStart(r.start);
        EXPECT_EQ(bar.selStart(), r.start);
        EXPECT_EQ(bar.selEnd(), r.end);
        const QRect band = bar.selectionRect();
        EXPECT_EQ(!band.isNull(), r.shown);
        if (r.shown) {
            EXPECT_GE(band.left(), 0);
            EXPECT_LT(band.right(), bar.width());
            EXPECT_LE(band.left(), band.right());
        }
    }
}

TEST(SelectionTrackBar, NoBandUntilOneIsSet)
{
    SelectionTrackBar bar;
    bar.resize(145, 25);
    EXPECT_TRUE(bar.selectionRect().isNull());
    bar.setSelStart(0);
    bar.setSelEnd(0);
    EXPECT_FALSE(bar.selectionRect().isNull());
}

TEST(SelectionTrackBar, BandGrowsWithItsEnd)
{
    SelectionTrackBar bar;
    bar.resize(145, 25);
    bar.setSelStart(1);
    bar.setSelEnd(24);
    const QRect narrow = bar.selectionRect();
    bar.setSelEnd(100);
    const QRect wide = bar.selectionRect();
    bar.setSelEnd(149); // drawn up to the end of the channel
    EXPECT_EQ(narrow.left(), wide.left());
    EXPECT_LT(narrow.right(), wide.right());
    EXPECT_EQ(bar.selectionRect(), wide);
}

TEST(SelectionTrackBar, PaintsTheBandInTheHighlightColour)
{
    SelectionTrackBar bar;
    bar.resize(145, 25);
    bar.setValue(0); // thumb at the far left, clear of the band
    bar.setSelStart(50);
    bar.setSelEnd(90);
    const QRect band = bar.selectionRect();
    const QColor highlight = bar.palette().color(QPalette::Highlight);
    const QImage image = bar.grab().toImage();
    EXPECT_EQ(QColor(image.pixel(band.center())), highlight);

    // The channel outside the band is not highlighted, not even where the thumb has passed.
    bar.setValue(100);
    const QImage passed = bar.grab().toImage();
    const int y = band.center().y();
    EXPECT_EQ(QColor(passed.pixel(band.center())), highlight);
    EXPECT_NE(QColor(passed.pixel(band.left() - 4, y)), highlight);

    bar.setSelEnd(0); // no band any more
    const QImage cleared = bar.grab().toImage();
    EXPECT_NE(QColor(cleared.pixel(band.center())), highlight);
}

} // namespace
