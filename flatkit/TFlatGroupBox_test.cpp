#include "TFlatGroupBox.h"

#include "KitTestUtil.h"
#include "TFlatButton.h"

#include <QPainter>

#include <gtest/gtest.h>

using namespace kittest;

namespace {

constexpr TColor kBorder = 0x008396A0;

struct Form {
    QWidget window;
    TFlatGroupBox *box = new TFlatGroupBox(&window);
    Form()
    {
        window.resize(300, 200);
        window.setFont(testFont());
        box->setGeometry(10, 8, 257, 137);
        box->SetCaption(QStringLiteral("Configuration"));
    }
};

// A parent painting a different colour in each 20-pixel column band.
class Stripes : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        for (int x = 0; x < width(); x += 20)
            p.fillRect(x, 0, 20, height(), QColor(x % 256, 0, 0));
    }
};

} // namespace

TEST(TFlatGroupBox, BordersAndCaptionGap)
{
    struct Row {
        const char *name;
        QString caption;
        TGroupBoxBorder border;
    };
    const Row rows[] = {{"full", QStringLiteral("Configuration"), brFull},
                        {"top line only", QStringLiteral("Configuration"), brOnlyTopLine},
                        {"empty caption", QString(), brFull},
                        {"accelerator widens the gap", QStringLiteral("&Advanced"), brFull}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Form form;
        form.box->SetCaption(row.caption);
        form.box->SetBorder(row.border);
        const QImage img = image(*form.box);
        const QFontMetrics fm(testFont());
        const int w = fm.horizontalAdvance(row.caption);
        const int m = fm.height() / 2;
        const TColor face = ColorToRGB(clBtnFace);
        const bool full = row.border == brFull;
        // Top line pieces; the line-to of the top-line border leaves out its end point.
        EXPECT_EQ(pixel(img, 0, m) == kBorder, full);
        for (int x = 1; x <= 5; ++x)
            EXPECT_EQ(pixel(img, x, m), kBorder) << x;
        for (int x = 6; x <= 9; ++x)
            EXPECT_EQ(pixel(img, x, m), face) << x;
        for (int x = 10 + w; x <= 12 + w; ++x)
            EXPECT_EQ(pixel(img, x, m), face) << x;
        for (int x = 13 + w; x <= 256; ++x)
            EXPECT_EQ(pixel(img, x, m), kBorder) << x;
        EXPECT_EQ(pixel(img, 5, m - 1), face);
        EXPECT_EQ(pixel(img, 5, m + 1), face);
        // Sides and bottom.
        for (int y = m + 1; y <= 136; ++y) {
            EXPECT_EQ(pixel(img, 0, y) == kBorder, full) << y;
            EXPECT_EQ(pixel(img, 256, y) == kBorder, full) << y;
            if (y < 136) {
                EXPECT_EQ(pixel(img, 1, y), face) << y;
            }
        }
        for (int x = 0; x <= 256; ++x)
            EXPECT_EQ(pixel(img, x, 136) == kBorder, full) << x;
        EXPECT_EQ(pixel(img, 128, 135), face);
    }
}

TEST(TFlatGroupBox, DisabledCaptionIsEmbossed)
{
    Form form;
    const QImage before = image(*form.box);
    form.box->setEnabled(false);
    const QImage img = image(*form.box);
    EXPECT_NE(img, before);
    const TColor shadow = ColorToRGB(clBtnShadow);
    const TColor light = ColorToRGB(clBtnHighlight);
    int shadows = 0;
    int lights = 0;
    for (int y = 0; y < 15; ++y) {
        for (int x = 10; x < 100; ++x) {
            const TColor c = pixel(img, x, y);
            shadows += c == shadow;
            lights += c == light;
            EXPECT_NE(c, 0u) << x << "," << y;
            if (c == shadow) {
                const TColor below = pixel(img, x + 1, y + 1);
                EXPECT_TRUE(below == light || below == shadow) << x << "," << y;
            }
        }
    }
    EXPECT_GT(shadows, 20);
    EXPECT_GT(lights, 10);
}

TEST(TFlatGroupBox, TransparentBoxShowsTheParentFromItsNewPlace)
{
    Stripes parent;
    parent.resize(300, 200);
    auto *box = new TFlatGroupBox(&parent);
    box->setGeometry(0, 40, 100, 60);
    box->SetTransparent(true);
    // Inside the frame at x = 30: the band of x 20..39 in place, 40..59 after a move by 20.
    EXPECT_EQ(pixelAt(*box, 30, 30), 0x00000014u);
    box->move(20, 40);
    EXPECT_EQ(pixelAt(*box, 30, 30), 0x00000028u);
    box->SetTransparent(false);
    EXPECT_EQ(pixelAt(*box, 30, 30), ColorToRGB(clBtnFace));
}

TEST(TFlatGroupBox, AcceleratorFocusesTheBox)
{
    Form form;
    form.box->SetCaption(QStringLiteral("&Appearance"));
    auto *button = new TFlatButton(&form.window);
    button->move(10, 160);
    ASSERT_TRUE(showActive(form.window));
    button->setFocus();
    QTest::keyClick(button, Qt::Key_X, Qt::AltModifier);
    EXPECT_TRUE(button->hasFocus());
    QTest::keyClick(button, Qt::Key_A, Qt::AltModifier);
    EXPECT_TRUE(form.box->hasFocus());
}

TEST(TFlatGroupBox, ChildrenFollowTheBoxColour)
{
    Form form;
    auto *inner = new TFlatButton(form.box);
    EXPECT_EQ(inner->Color(), clBtnFace);
    form.box->SetColor(0x00112233);
    EXPECT_EQ(inner->Color(), 0x00112233u);
    form.box->SetUseAdvColors(true);
    EXPECT_EQ(form.box->ColorBorder(), CalcAdvancedColor(clBtnFace, 0, 50, darken));
    EXPECT_EQ(inner->Color(), clBtnFace);
}
