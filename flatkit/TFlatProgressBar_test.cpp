#include "TFlatProgressBar.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QScreen>
#include <QTest>
#include <QWindow>

#include <functional>
#include <gtest/gtest.h>

namespace {

constexpr TColor kBack = 0x00C0C0C0;
constexpr TColor kElement = 0x00996633;
constexpr TColor kBorder = 0x008396A0;

struct Rect {
    int l, t, r, b;
};

// The picture a bar must show: background, one-pixel border, then the element rectangles.
QImage expected(int w, int h, std::initializer_list<Rect> elements)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(ColorToQColor(kBack));
    QPainter p(&img);
    FrameRect(p, KitRect(0, 0, w, h), kBorder);
    for (const Rect &e : elements)
        FillRect(p, KitRect(e.l, e.t, e.r, e.b), kElement);
    return img;
}

QImage shot(TFlatProgressBar &bar)
{
    return bar.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

struct PaintRow {
    const char *name;
    int w, h;
    TProgressBarOrientation orientation;
    int position;
    std::vector<Rect> elements;
};

TEST(TFlatProgressBar, SmoothFillGeometry)
{
    const PaintRow rows[] = {
        {"half", 57, 14, pbHorizontal, 50, {{2, 2, 29, 12}}},
        {"full covers the right border", 57, 14, pbHorizontal, 100, {{2, 2, 57, 12}}},
        {"zero draws the frame only", 57, 14, pbHorizontal, 0, {}},
        {"negative draws the frame only", 57, 14, pbHorizontal, -20, {}},
        {"beyond full is clipped", 57, 14, pbHorizontal, 250, {{2, 2, 57, 12}}},
        {"huge position does not overflow", 57, 14, pbHorizontal, 2000000000, {{2, 2, 57, 12}}},
        {"vertical half", 16, 100, pbVertical, 50, {{2, 50, 14, 98}}},
        {"vertical full reaches row 2", 16, 100, pbVertical, 100, {{2, 2, 14, 98}}},
        {"vertical negative", 16, 100, pbVertical, -10, {}},
        {"tiny bar", 3, 3, pbHorizontal, 100, {}},
    };
    for (const PaintRow &r : rows) {
        SCOPED_TRACE(r.name);
        TFlatProgressBar bar;
        bar.SetSmooth(true);
        bar.SetColor(kBack);
        if (r.orientation == pbVertical)
            bar.SetOrientation(pbVertical);
        bar.resize(r.w, r.h);
        bar.SetPosition(r.position);
        QImage want = expected(r.w, r.h, {});
        {
            QPainter p(&want);
            for (const Rect &e : r.elements)
                FillRect(p, KitRect(e.l, e.t, e.r, e.b), kElement);
        }
        EXPECT_EQ(shot(bar), want);
    }
}

// Block mode: counts the element-coloured runs across the bar's middle.
int blockCount(const QImage &img, TProgressBarOrientation o)
{
    const QRgb el = ColorToQColor(kElement).rgb();
    int runs = 0;
    bool in = false;
    const int len = o == pbHorizontal ? img.width() : img.height();
    for (int i = 0; i < len; ++i) {
        const QRgb p =
            o == pbHorizontal ? img.pixel(i, img.height() / 2) : img.pixel(img.width() / 2, i);
        const bool on = p == el;
        runs += on && !in ? 1 : 0;
        in = on;
    }
    return runs;
}

TEST(TFlatProgressBar, BlockCountsRoundHalfToEven)
{
    struct Row {
        int position;
        int blocks;
    };
    const Row rows[] = {{50, 8}, {100, 16}, {3, 0}, {9, 2}, {0, 0}, {-50, 0}, {1000, 16}};
    for (const Row &r : rows) {
        SCOPED_TRACE(r.position);
        TFlatProgressBar bar;
        bar.SetColor(kBack);
        bar.SetPosition(r.position);
        EXPECT_EQ(blockCount(shot(bar), pbHorizontal), r.blocks);
    }
}

TEST(TFlatProgressBar, BlockGeometry)
{
    TFlatProgressBar bar;
    bar.SetColor(kBack);
    bar.resize(30, 10); // three blocks fit, 33 percent each
    bar.SetPosition(67);
    EXPECT_EQ(shot(bar), expected(30, 10, {{2, 2, 10, 8}, {11, 2, 19, 8}}));

    TFlatProgressBar up;
    up.SetColor(kBack);
    up.SetOrientation(pbVertical);
    up.resize(10, 30);
    up.SetPosition(100);
    EXPECT_EQ(shot(up), expected(10, 30, {{2, 20, 8, 28}, {2, 11, 8, 19}, {2, 2, 8, 10}}));
}

TEST(TFlatProgressBar, BlockModeSnapsTheLength)
{
    struct Row {
        int set;
        int want;
    };
    for (const Row &r : {Row{147, 147}, Row{150, 147}, Row{11, 12}, Row{156, 156}}) {
        SCOPED_TRACE(r.set);
        TFlatProgressBar bar;
        bar.resize(r.set, 16);
        shot(bar);
        EXPECT_EQ(bar.width(), r.want);
        EXPECT_EQ(bar.height(), 16);
    }
    TFlatProgressBar smooth;
    smooth.SetSmooth(true);
    smooth.resize(150, 16);
    shot(smooth);
    EXPECT_EQ(smooth.width(), 150);

    TFlatProgressBar vertical;
    vertical.SetOrientation(pbVertical);
    vertical.resize(16, 150);
    shot(vertical);
    EXPECT_EQ(vertical.size(), QSize(16, 147));
}

TEST(TFlatProgressBar, ShownBlockBarSnapsAtItsNextPaint)
{
    QWidget form;
    form.resize(220, 50);
    QPalette pal = form.palette();
    pal.setColor(QPalette::Window, QColor(0, 255, 0));
    form.setPalette(pal);
    form.setAutoFillBackground(true);
    TFlatProgressBar bar(&form);
    bar.move(10, 10);
    bar.SetPosition(100);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    bar.resize(150, 16);
    ASSERT_TRUE(QTest::qWaitFor([&] { return bar.width() == 147; }));
    QApplication::processEvents();
    const QImage img = form.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(img.pixel(10 + 146, 15), ColorToQColor(kBorder).rgb());
    EXPECT_EQ(img.pixel(10 + 147, 15), qRgb(0, 255, 0));
    EXPECT_EQ(img.pixel(10 + 149, 15), qRgb(0, 255, 0));

    // The snap belongs to the paint: resized and made smooth before the next paint, a bar
    // keeps the size it was given.
    TFlatProgressBar sizedFirst(&form);
    sizedFirst.move(10, 30);
    sizedFirst.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return sizedFirst.visibleRegion().isEmpty() == false; }));
    sizedFirst.resize(150, 8);
    EXPECT_EQ(sizedFirst.width(), 150);
    sizedFirst.SetSmooth(true);
    form.grab();
    EXPECT_EQ(sizedFirst.width(), 150);
}

TEST(TFlatProgressBar, StepItIsCappedByMax)
{
    struct Row {
        const char *name;
        int position, step, max, delta;
        bool useDelta;
        int want;
    };
    const Row rows[] = {
        {"step to max", 95, 10, 100, 0, false, 100},
        {"max below position pulls it down", 95, 10, 90, 0, false, 90},
        {"plain step", 20, 10, 100, 0, false, 30},
        {"step by", 20, 10, 100, 5, true, 25},
        {"step by negative", 20, 10, 100, -30, true, -10},
        {"no overflow past the int range", 2147483600, 100, 2147483647, 0, false, 2147483647},
        {"no underflow", -2147483600, 10, 100, -100, true, -2147483647 - 1},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        TFlatProgressBar bar;
        bar.SetPosition(r.position);
        bar.SetStep(r.step);
        bar.SetMax(r.max);
        if (r.useDelta)
            bar.StepBy(r.delta);
        else
            bar.StepIt();
        EXPECT_EQ(bar.Position(), r.want);
    }
}

TEST(TFlatProgressBar, ColoursAndOrientation)
{
    TFlatProgressBar bar;
    EXPECT_EQ(bar.size(), QSize(147, 16));
    EXPECT_EQ(bar.Color(), clBtnFace);
    bar.SetSmooth(true);
    bar.SetColor(kBack);
    bar.SetPosition(50);
    const QImage before = shot(bar);
    bar.SetColors(2, 0x000000FF);
    EXPECT_EQ(shot(bar), before);
    bar.SetColors(0, 0x0000FF00);
    const QImage after = shot(bar);
    EXPECT_EQ(after.pixel(5, 5), qRgb(0, 255, 0));
    EXPECT_EQ(after.pixel(0, 0), before.pixel(0, 0));
    EXPECT_EQ(after.pixel(140, 5), before.pixel(140, 5));
    EXPECT_EQ(bar.ColorBorder(), kBorder);

    bar.move(3, 4);
    bar.SetOrientation(pbVertical);
    EXPECT_EQ(bar.geometry(), QRect(3, 4, 16, 147));
    bar.SetOrientation(pbVertical);
    EXPECT_EQ(bar.size(), QSize(16, 147));
}

TEST(TFlatProgressBar, AdvancedBorderFollowsTheParentColour)
{
    QWidget form;
    QPalette pal = form.palette();
    pal.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
    form.setPalette(pal);
    TFlatProgressBar bar(&form);
    EXPECT_EQ(bar.Color(), 0x00C0C0C0u);
    bar.SetUseAdvColors(true);
    EXPECT_EQ(bar.ColorBorder(), 0x00969696u);
    bar.SetColors(1, 0x00123456); // stored as given, not derived again
    EXPECT_EQ(bar.ColorBorder(), 0x00123456u);
    bar.SetAdvColors(0, 0); // amount 0 keeps the colour
    EXPECT_EQ(bar.ColorBorder(), 0x00123456u);
    bar.SetAdvColors(0, 50);
    EXPECT_EQ(bar.ColorBorder(), 0x00969696u);

    pal.setColor(QPalette::Window, QColor(0xEB, 0xEA, 0xE1));
    form.setPalette(pal);
    EXPECT_EQ(bar.Color(), 0x00E1EAEBu);
    EXPECT_EQ(bar.ColorBorder(), 0x00ADC6C9u);
}

// SetAdvColors derives the border again whatever it is given: a border set by hand since the
// last derivation gives way to the shade of Color.
TEST(TFlatProgressBar, SetAdvColorsAlwaysDerivesTheBorderAgain)
{
    struct Row {
        const char *name;
        int index;
        TAdvColors amount;
        TAdvColors wantAmount;
        TColor wantBorder;
    };
    const Row rows[] = {
        {"same amount", 0, 50, 50, 0x00969696},
        {"unknown index", 3, 20, 50, 0x00969696},
        {"amount 0 keeps the hand-set border", 0, 0, 0, 0x00123456},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        QWidget form;
        QPalette pal = form.palette();
        pal.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
        form.setPalette(pal);
        TFlatProgressBar bar(&form);
        bar.SetUseAdvColors(true);
        bar.SetColors(1, 0x00123456);
        bar.SetAdvColors(r.index, r.amount);
        EXPECT_EQ(bar.AdvColorBorder(), r.wantAmount);
        EXPECT_EQ(bar.ColorBorder(), r.wantBorder) << std::hex << bar.ColorBorder();
    }
}

TEST(TFlatProgressBar, TransparentShowsTheParent)
{
    QWidget form;
    form.resize(100, 40);
    QPalette pal = form.palette();
    pal.setColor(QPalette::Window, Qt::green);
    form.setPalette(pal);
    form.setAutoFillBackground(true);
    TFlatProgressBar bar(&form);
    bar.SetSmooth(true);
    bar.setGeometry(10, 10, 57, 14);
    bar.SetColor(kBack);
    bar.SetPosition(50);
    bar.SetTransparent(true);
    const QImage img = form.grab().toImage();
    EXPECT_EQ(img.pixel(10 + 40, 10 + 5), qRgb(0, 255, 0));
    EXPECT_EQ(img.pixel(10 + 5, 10 + 5), ColorToQColor(kElement).rgb());
    EXPECT_EQ(img.pixel(10, 10), ColorToQColor(kBorder).rgb());
    bar.SetTransparent(false);
    EXPECT_EQ(form.grab().toImage().pixel(10 + 40, 10 + 5), ColorToQColor(kBack).rgb());
}

// Counts paints to show which setters repaint.
class CountingBar : public TFlatProgressBar {
public:
    using TFlatProgressBar::TFlatProgressBar;
    int paints = 0;

protected:
    void paintEvent(QPaintEvent *e) override
    {
        ++paints;
        TFlatProgressBar::paintEvent(e);
    }
};

bool waitFor(const std::function<bool()> &done)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

TEST(TFlatProgressBar, UnchangedValuesDoNotRepaintButColorsAndTransparentAlways)
{
    QWidget form;
    form.resize(200, 50);
    CountingBar bar(&form);
    bar.SetSmooth(true);
    bar.SetPosition(40);
    form.show();
    ASSERT_TRUE(waitFor([&] { return bar.paints > 0; }));
    QApplication::processEvents();

    struct Row {
        const char *name;
        std::function<void(TFlatProgressBar &)> set;
        bool repaints;
    };
    const Row rows[] = {
        {"same position", [](auto &b) { b.SetPosition(40); }, false},
        {"same smooth", [](auto &b) { b.SetSmooth(true); }, false},
        {"same min", [](auto &b) { b.SetMin(0); }, false},
        {"same max", [](auto &b) { b.SetMax(100); }, false},
        {"same fill colour", [](auto &b) { b.SetColors(0, b.ColorElement()); }, true},
        {"unknown colour index", [](auto &b) { b.SetColors(5, 0x123456); }, true},
        {"same transparency", [](auto &b) { b.SetTransparent(false); }, true},
        {"new position", [](auto &b) { b.SetPosition(41); }, true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const int before = bar.paints;
        row.set(bar);
        if (row.repaints) {
            EXPECT_TRUE(waitFor([&] { return bar.paints > before; }));
        } else {
            QApplication::processEvents();
            EXPECT_EQ(bar.paints, before);
        }
    }
    EXPECT_EQ(bar.ColorElement(), 0x00996633u);
    EXPECT_EQ(bar.ColorBorder(), 0x008396A0u);
}

TEST(TFlatProgressBar, StepDrawsAtOnceOnTopOfWhatIsShown)
{
    QWidget form;
    form.resize(200, 50);
    CountingBar bar(&form);
    bar.SetSmooth(true);
    bar.SetColor(kBack);
    bar.setGeometry(0, 0, 57, 14);
    bar.SetPosition(50);
    form.show();
    ASSERT_TRUE(waitFor([&] { return bar.paints > 0; }));
    QApplication::processEvents();

    const int before = bar.paints;
    bar.StepBy(-30); // the shrunk fill stays visible until a full paint
    EXPECT_EQ(bar.paints, before + 1);
    EXPECT_EQ(bar.Position(), 20);

    QScreen *screen = form.windowHandle()->screen();
    const QImage shown = screen->grabWindow(form.winId(), 0, 0, 57, 14).toImage();
    ASSERT_EQ(shown.width(), 57);
    EXPECT_EQ(shown.pixel(20, 5), ColorToQColor(kElement).rgb());
    // a full paint shows the true position
    EXPECT_EQ(shot(bar).pixel(20, 5), ColorToQColor(kBack).rgb());
}

} // namespace
