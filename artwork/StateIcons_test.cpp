#include "StateIconCache.h"
#include "StateIcons.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

QImage render(StateIcon icon, int size)
{
    QImage img(size, size, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    paintStateIcon(p, QRectF(0, 0, size, size), icon);
    return img;
}

// Counts pixels whose colour is clearly dominated by one channel.
struct Tally {
    int blue = 0, red = 0, green = 0, opaque = 0;
};
Tally tally(const QImage &img)
{
    Tally t;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QColor c = img.pixelColor(x, y);
            if (c.alpha() < 200)
                continue;
            ++t.opaque;
            if (c.blue() > 150 && c.red() < 120 && c.green() < 150)
                ++t.blue;
            if (c.red() > 150 && c.green() < 90 && c.blue() < 90)
                ++t.red;
            if (c.green() > 120 && c.red() < 90 && c.blue() < 90)
                ++t.green;
        }
    return t;
}

} // namespace

TEST(StateIcons, LettersPickTheirIcons)
{
    const struct {
        char letter;
        StateIcon icon;
    } rows[] = {{'A', StateIcon::AC},   {'C', StateIcon::Charging}, {'F', StateIcon::Full},
                {'H', StateIcon::Half}, {'E', StateIcon::Empty},    {'W', StateIcon::EmptyWarn},
                {'N', StateIcon::None}, {'Q', StateIcon::None},     {'f', StateIcon::None}};
    for (const auto &r : rows) {
        SCOPED_TRACE(r.letter);
        EXPECT_EQ(stateIconFor(QChar(r.letter)), r.icon);
    }
}

// The battery icons must read as fuller or emptier at every size the strip shows.
TEST(StateIcons, BatteryLevelsOrderedAtEverySize)
{
    for (int size : {11, 16, 17, 44, 256}) {
        SCOPED_TRACE(size);
        const int full = tally(render(StateIcon::Full, size)).blue;
        const int half = tally(render(StateIcon::Half, size)).blue;
        const int empty = tally(render(StateIcon::Empty, size)).blue;
        EXPECT_GT(full, half);
        EXPECT_GT(half, empty);
        EXPECT_GT(empty, 0);
        EXPECT_EQ(tally(render(StateIcon::EmptyWarn, size)).blue, 0);
        EXPECT_GT(tally(render(StateIcon::EmptyWarn, size)).red, 0);
        EXPECT_GT(tally(render(StateIcon::Charging, size)).green, 0);
        EXPECT_EQ(tally(render(StateIcon::AC, size)).green, 0);
        EXPECT_GT(tally(render(StateIcon::None, size)).red, size); // a cross, not a dot
    }
}

TEST(StateIcons, StaysInsideItsRectangle)
{
    QImage img(40, 40, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    {
        QPainter p(&img);
        for (StateIcon icon :
             {StateIcon::AC, StateIcon::Charging, StateIcon::Full, StateIcon::None})
            paintStateIcon(p, QRectF(10, 10, 20, 20), icon);
        paintAppIcon(p, QRectF(10, 10, 20, 20));
    }
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 40; ++x) {
            if (x < 9 || x > 30 || y < 9 || y > 30) {
                ASSERT_EQ(qAlpha(img.pixel(x, y)), 0) << x << "," << y;
            }
        }
    }
}

TEST(StateIcons, QIconsRenderAtRequestedSizes)
{
    for (int size : {16, 22, 48, 256}) {
        SCOPED_TRACE(size);
        const QPixmap pm = stateQIcon(StateIcon::Full).pixmap(size, size);
        EXPECT_EQ(pm.size(), QSize(size, size));
        EXPECT_GT(tally(pm.toImage()).blue, 0);
        EXPECT_EQ(appQIcon().pixmap(size, size).size(), QSize(size, size));
    }
    EXPECT_FALSE(appQIcon().availableSizes().isEmpty());
}

// The copy is the icon drawn whole onto the plain background, pixel for pixel, at the strip's
// real icon places (heights 15, 20, 21, 48) and in both raster formats a backing store uses,
// also while the icon or its place changes between two seconds; a partial repaint takes its
// part of it, and whatever else lies under the drawing keeps it from being copied. (A live
// drawing's antialiased edges vary by a unit or two with the repainted region anyway, so only the
// unclipped drawing is a fixed reference.)
TEST(StateIconCache, CopiesTheWholeDrawing)
{
    const QColor face(212, 208, 200);
    const QRect places[] = {{77, 2, 11, 11}, {101, 2, 16, 16}, {108, 2, 17, 17}, {263, 2, 44, 44}};
    const StateIcon icons[] = {StateIcon::AC,   StateIcon::Charging, StateIcon::Full,
                               StateIcon::Half, StateIcon::Empty,    StateIcon::EmptyWarn,
                               StateIcon::None};
    StateIconCache cache;
    for (QImage::Format format : {QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied}) {
        for (const QRect &place : places) {
            for (StateIcon icon : icons) {
                SCOPED_TRACE(testing::Message()
                             << format << " " << place.width() << " " << int(icon));
                QImage direct(place.right() + 5, place.bottom() + 5, format);
                direct.fill(face);
                const QImage plain = direct;
                {
                    QPainter p(&direct);
                    paintStateIcon(p, QRectF(place), icon);
                }
                for (int second = 0; second < 2; ++second) { // drawn, then copied
                    QImage copied = plain;
                    QPainter p(&copied);
                    const bool fromCopy = cache.paint(p, place, icon, face);
                    p.end();
                    ASSERT_EQ(copied, direct) << second;
                    // At 48 px the plug's cord reaches the bevel row: drawn afresh there.
                    if (second == 1 && place.height() < 44) {
                        EXPECT_TRUE(fromCopy);
                    }
                }
                // A label running into the icon's square shows through a drawing, not a copy.
                QImage marked = plain;
                marked.setPixel(place.center(), 0xff000000);
                QImage markedDirect = marked;
                {
                    QPainter p(&markedDirect);
                    paintStateIcon(p, QRectF(place), icon);
                }
                {
                    QPainter p(&marked);
                    EXPECT_FALSE(cache.paint(p, place, icon, face));
                }
                ASSERT_EQ(marked, markedDirect);
                const QRect clip = place.adjusted(3, 3, 1, 1);
                QImage partial = plain;
                {
                    QPainter p(&partial);
                    p.setClipRect(clip);
                    cache.paint(p, place, icon, face);
                }
                for (int y = 0; y < partial.height(); ++y)
                    for (int x = 0; x < partial.width(); ++x)
                        ASSERT_EQ(partial.pixel(x, y),
                                  (clip.contains(x, y) ? direct : plain).pixel(x, y))
                            << x << "," << y;
            }
        }
    }
}
