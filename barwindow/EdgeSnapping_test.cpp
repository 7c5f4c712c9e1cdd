#include "EdgeSnapping.h"

#include <gtest/gtest.h>

TEST(SnapToEdges, Cases)
{
    const QSize work(1280, 776);
    const struct {
        const char *name;
        QRect window;
        QSize work;
        QPoint want;
    } rows[] = {
        {"left 14 pulls", QRect(14, 300, 200, 20), work, {0, 300}},
        {"left 15 stays", QRect(15, 300, 200, 20), work, {15, 300}},
        {"top 14 pulls", QRect(400, 14, 200, 20), work, {400, 0}},
        {"top 15 stays", QRect(400, 15, 200, 20), work, {400, 15}},
        {"right 1066 pulls", QRect(1066, 300, 200, 20), work, {1080, 300}},
        {"right 1065 stays", QRect(1065, 300, 200, 20), work, {1065, 300}},
        {"beyond right", QRect(1500, 300, 200, 20), work, {1080, 300}},
        {"beyond left", QRect(-30, 300, 200, 20), work, {0, 300}},
        {"bottom pulls", QRect(400, 745, 200, 20), work, {400, 756}},
        {"bottom 15 away stays", QRect(400, 741, 200, 20), work, {400, 741}},
        {"corner", QRect(3, 760, 200, 20), work, {0, 756}},
        // wider than the work area: the right test wins over the left one
        {"too wide", QRect(5, 300, 1270, 20), work, {10, 300}},
        {"wider than screen", QRect(0, 300, 1400, 20), work, {-120, 300}},
        // a work area that does not start at 0: targets ignore its origin
        {"narrow work area", QRect(1170, 300, 200, 20), QSize(1180, 800), {980, 300}},
        {"empty work area", QRect(400, 300, 200, 20), QSize(0, 0), {-200, -20}},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(snappedPosition(r.window, r.work), r.want);
    }
}

// Monitors as xrandr lays them out; the work area is that of the screen the sample came from.
TEST(SnapToEdges, OnTheScreenOfTheStrip)
{
    const QRect laptop(0, 0, 1366, 768);
    const QRect rightPrimary(1366, 0, 1920, 1080);
    const QRect besideLeft[] = {laptop, rightPrimary};
    // a 1920x1080 left of a laptop whose bottom lines up with it
    const QRect tallLeft(0, 0, 1920, 1080);
    const QRect lowLaptop(1920, 312, 1366, 768);
    const QRect bottomsAligned[] = {tallLeft, lowLaptop};
    // a laptop below a 2560x1440, centred under it
    const QRect top(0, 0, 2560, 1440);
    const QRect below(597, 1440, 1366, 768);
    const QRect stacked[] = {top, below};
    const struct {
        const char *name;
        std::span<const QRect> screens;
        QRect workArea;
        QRect window;
        QPoint want;
    } rows[] = {
        {"middle of the right primary stays",
         besideLeft,
         rightPrimary,
         {1766, 600, 155, 20},
         {1766, 600}},
        {"left edge of the right primary",
         besideLeft,
         rightPrimary,
         {1376, 600, 155, 20},
         {1366, 600}},
        {"right edge of the right primary",
         besideLeft,
         rightPrimary,
         {3120, 600, 155, 20},
         {3131, 600}},
        {"bottom of the right primary",
         besideLeft,
         rightPrimary,
         {2000, 1055, 155, 20},
         {2000, 1060}},
        // the top target is the screen's top even under a panel, as on a single screen
        {"top under a panel",
         besideLeft,
         QRect(1366, 27, 1920, 1053),
         {2000, 10, 155, 20},
         {2000, 0}},
        {"bottom above a top panel",
         besideLeft,
         QRect(1366, 27, 1920, 1053),
         {2000, 1025, 155, 20},
         {2000, 1033}},
        {"straddling, centre on the primary",
         besideLeft,
         rightPrimary,
         {1300, 300, 155, 20},
         {1366, 300}},
        {"other screen than the sample: left alone",
         besideLeft,
         rightPrimary,
         {5, 300, 155, 20},
         {5, 300}},
        {"other screen, its own sample", besideLeft, laptop, {5, 300, 155, 20}, {0, 300}},
        {"right edge of the laptop", besideLeft, laptop, {1200, 300, 155, 20}, {1211, 300}},
        {"off every screen: back onto the sample's",
         besideLeft,
         rightPrimary,
         {4000, 600, 155, 20},
         {3131, 600}},
        {"lower screen, near its bottom",
         bottomsAligned,
         lowLaptop,
         {2400, 1050, 155, 20},
         {2400, 1060}},
        {"lower screen, near its top",
         bottomsAligned,
         lowLaptop,
         {2400, 320, 155, 20},
         {2400, 312}},
        {"lower screen, middle stays",
         bottomsAligned,
         lowLaptop,
         {2400, 700, 155, 20},
         {2400, 700}},
        {"screen below, near its bottom", stacked, below, {1000, 2190, 155, 20}, {1000, 2188}},
        {"screen below, near its left", stacked, below, {600, 1800, 155, 20}, {597, 1800}},
        // a sample from no known screen counts from 0,0
        {"unknown screen",
         besideLeft,
         QRect(5000, 0, 1280, 800),
         {1066, 300, 200, 20},
         {1080, 300}},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(r.name);
        const std::optional<QPoint> origin = snapOrigin(r.window, r.workArea, r.screens);
        const QPoint got =
            origin ? snappedPosition(r.window, r.workArea.size(), *origin) : r.window.topLeft();
        EXPECT_EQ(got, r.want);
    }
}
