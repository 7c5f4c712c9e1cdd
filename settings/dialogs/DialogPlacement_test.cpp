#include "DialogPlacement.h"

#include <gtest/gtest.h>

namespace {

struct CenterRow {
    const char *name;
    QSize screen;
    QSize window;
    QPoint want;
};
// Each half truncates on its own: 1023/2 - 283/2 = 511 - 141, not (1023 - 283)/2.
const CenterRow kCenterRows[] = {
    {"even", {1024, 768}, {283, 410}, {371, 179}},
    {"odd screen and window", {1023, 767}, {283, 411}, {370, 178}},
    {"window larger than screen", {800, 600}, {1001, 700}, {-100, -50}},
    {"empty screen", {0, 0}, {337, 302}, {-168, -151}},
};

TEST(DialogPlacement, CentresWithSeparateTruncatedHalves)
{
    for (const CenterRow &r : kCenterRows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(CenteredTopLeft(r.screen, r.window), r.want);
    }
}

struct PairRow {
    const char *name;
    QSize screen;
    QSize dialog;
    int helpWidth;
    QPoint dialogPos;
    QPoint helpPos;
};
const PairRow kPairRows[] = {
    // (283 + 344) / 2 = 313 once, over the sum of both widths.
    {"pair of odd sum", {1024, 768}, {283, 410}, 344, {199, 179}, {482, 179}},
    {"help wider than screen half", {640, 480}, {283, 410}, 700, {-171, 35}, {112, 35}},
};

TEST(DialogPlacement, PlacesDialogAndHelpSideBySide)
{
    for (const PairRow &r : kPairRows) {
        SCOPED_TRACE(r.name);
        const SideBySidePlacement p = SideBySide(r.screen, r.dialog, r.helpWidth);
        EXPECT_EQ(p.dialog, r.dialogPos);
        EXPECT_EQ(p.help, r.helpPos);
        EXPECT_EQ(p.help.x(), p.dialog.x() + r.dialog.width()); // touching, never overlapping
    }
}

} // namespace
