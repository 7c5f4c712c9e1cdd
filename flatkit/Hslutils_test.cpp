#include "Flatutilitys.h"
#include "Hslutils.h"

#include <QApplication>
#include <QPalette>

#include <gtest/gtest.h>

namespace {

struct HslRow {
    const char *name;
    TColor rgb;
    int h, s, l;
};

const HslRow kHslRows[] = {
    {"warm grey", 0x00E1EAEB, 36, 48, 216},
    {"silver", 0x00C0C0C0, 0, 0, 181},
    {"white", 0x00FFFFFF, 0, 0, 240},
    {"black", 0x00000000, 0, 0, 0},
    {"pure red", 0x000000FF, 0, 240, 120},
    {"pure green", 0x0000FF00, 80, 240, 120},
    {"pure blue", 0x00FF0000, 159, 240, 120},
    // red and green tie for the maximum: the red branch wins, hue 1/6
    {"yellow", 0x0000FFFF, 40, 240, 120},
    // magenta: hue 5/6 comes from the red branch's negative wrap
    {"magenta", 0x00FF00FF, 199, 240, 120},
    {"system bits ignored", 0x80C0C0C0, 0, 0, 181},
};

TEST(Hslutils, RGBtoHSLRangeKnownColours)
{
    for (const HslRow &r : kHslRows) {
        SCOPED_TRACE(r.name);
        int h = -1, s = -1, l = -1;
        RGBtoHSLRange(r.rgb, h, s, l);
        EXPECT_EQ(h, r.h);
        EXPECT_EQ(s, r.s);
        EXPECT_EQ(l, r.l);
    }
}

TEST(Hslutils, RealScaleRoundTripsEveryChannelStep)
{
    // A coarse walk over the cube; each colour must survive RGB -> HSL -> RGB unchanged.
    for (int r = 0; r < 256; r += 15) {
        for (int g = 0; g < 256; g += 17) {
            for (int b = 0; b < 256; b += 5) {
                const TColor c = TColor(r) | TColor(g) << 8 | TColor(b) << 16;
                double H = 0, S = 0, L = 0;
                RGBtoHSL(c, H, S, L);
                ASSERT_GE(H, 0.0);
                ASSERT_LT(H, 1.0);
                ASSERT_EQ(HSLtoRGB(H, S, L), c) << std::hex << c;
            }
        }
    }
}

struct GreyRow {
    const char *name;
    double h, l;
    TColor want;
};

TEST(Hslutils, ZeroSaturationIsGreyWhateverTheHue)
{
    const GreyRow rows[] = {
        {"half", 0.7, 0.5, 0x00808080},         // 127.5 rounds to even 128
        {"tie down", 0.2, 0.5 / 255.0, 0x0},    // 0.5 rounds to even 0
        {"tie up", 0.9, 1.5 / 255.0, 0x020202}, // 1.5 rounds to even 2
        {"white", 0.3, 1.0, 0x00FFFFFF},
    };
    for (const GreyRow &r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(HSLtoRGB(r.h, 0.0, r.l), r.want);
    }
}

TEST(Hslutils, IntegerScaleUses239ForHueAnd240ForTheRest)
{
    EXPECT_EQ(HSLRangeToRGB(0, 240, 120), 0x000000FFu);
    // 80/239 is a hair past a third of a turn, enough to lift blue to 2
    EXPECT_EQ(HSLRangeToRGB(80, 240, 120), 0x0002FF00u);
    EXPECT_EQ(HSLRangeToRGB(0, 0, 240), 0x00FFFFFFu);
    // hue 239 is one step short of a full turn: nearly red, not exactly
    EXPECT_EQ(HSLRangeToRGB(239, 240, 120), 0x000000FFu);
}

TEST(Hslutils, OutOfRangeInputsKeepTheLowByteAndNeverCrash)
{
    // Lightness above the scale (as the advanced colours produce) wraps in the channel.
    const TColor c = HSLRangeToRGB(0, 0, 250);
    EXPECT_EQ(c & 0xFF, (c >> 8) & 0xFF);
    EXPECT_EQ(c & 0xFF, TColor(266 & 0xFF)); // 250/240*255 = 265.6 -> 266
    // A NaN hue fails every test of the channel rule and takes its last branch, m1 (0.25).
    EXPECT_EQ(HSLtoRGB(std::numeric_limits<double>::quiet_NaN(), 0.5, 0.5), 0x00404040u);
    // An infinite lightness makes m1 and m2 NaN; a channel that is no number is 0.
    EXPECT_EQ(HSLtoRGB(0.5, 0.5, std::numeric_limits<double>::infinity()), 0x00000000u);
    EXPECT_EQ(HSLtoRGB(0.5, 0, std::numeric_limits<double>::infinity()), 0x00000000u);
}

struct AdvRow {
    const char *name;
    TColor base, old;
    TAdvColors amount;
    TColorCalcType type;
    TColor want;
};

TEST(CalcAdvancedColor, DerivesShades)
{
    const AdvRow rows[] = {
        {"silver darken 50", 0x00C0C0C0, 0x123456, 50, darken, 0x00969696},
        {"warm grey darken 50", 0x00E1EAEB, 0x0, 50, darken, 0x00ADC6C9},
        {"lighten is capped at 100", 0x00C0C0C0, 0x0, 10, lighten, 0x006A6A6A},
        {"zero amount keeps old (darken)", 0x00C0C0C0, 0x00123456, 0, darken, 0x00123456},
        {"zero amount keeps old (lighten)", 0x00FFFFFF, 0x80000010, 0, lighten, 0x80000010},
        {"darken floors at 0", 0x00000000, 0x0, 100, darken, 0x00000000},
        {"dark base lightens", 0x00000000, 0x0, 20, lighten, 0x00202020}, // L = 30 of 240
    };
    for (const AdvRow &r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(CalcAdvancedColor(r.base, r.old, r.amount, r.type), r.want)
            << std::hex << CalcAdvancedColor(r.base, r.old, r.amount, r.type);
    }
}

TEST(CalcAdvancedColor, ResolvesSystemBaseColours)
{
    const TColor face = ColorToRGB(clBtnFace);
    EXPECT_EQ(CalcAdvancedColor(clBtnFace, 0, 50, darken), CalcAdvancedColor(face, 0, 50, darken));
}

TEST(TColor, SystemColoursFollowTheApplicationPalette)
{
    const QPalette pal = QGuiApplication::palette();
    EXPECT_EQ(ColorToQColor(clBtnFace).rgb(), pal.color(QPalette::Active, QPalette::Button).rgb());
    EXPECT_EQ(ColorToQColor(clBtnShadow).rgb(), pal.color(QPalette::Active, QPalette::Dark).rgb());
    EXPECT_EQ(ColorToQColor(clBtnHighlight).rgb(),
              pal.color(QPalette::Active, QPalette::Light).rgb());
    EXPECT_EQ(ColorToQColor(clWindow).rgb(), pal.color(QPalette::Active, QPalette::Base).rgb());
    EXPECT_EQ(ColorToQColor(clWindowText).rgb(),
              pal.color(QPalette::Active, QPalette::WindowText).rgb());

    QPalette changed = pal;
    changed.setColor(QPalette::Button, QColor(1, 2, 3));
    QApplication::setPalette(changed);
    EXPECT_EQ(ColorToRGB(clBtnFace), 0x00030201u);
    QApplication::setPalette(pal);
}

TEST(TColor, ExplicitColoursConvertByteOrder)
{
    EXPECT_EQ(ColorToQColor(0x00996633), QColor(0x33, 0x66, 0x99));
    EXPECT_EQ(QColorToColor(QColor(0x33, 0x66, 0x99)), 0x00996633u);
    EXPECT_EQ(ColorToRGB(0x00996633), 0x00996633u);
    EXPECT_FALSE(IsSystemColor(0x00FFFFFF));
    EXPECT_TRUE(IsSystemColor(clWindow));
}

} // namespace
