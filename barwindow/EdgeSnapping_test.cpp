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
