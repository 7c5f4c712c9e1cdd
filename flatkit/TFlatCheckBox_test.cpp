#include "TFlatCheckBox.h"

#include "KitTestUtil.h"
#include "TFlatButton.h"
#include "TFlatRadioButton.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <set>

using namespace kittest;

namespace {

constexpr TColor kBorder = 0x008396A0;

struct Form {
    QWidget window;
    TFlatCheckBox *box = new TFlatCheckBox(&window);
    TFlatCheckBox *other = new TFlatCheckBox(&window);
    Form()
    {
        window.resize(300, 200);
        window.setFont(testFont());
        box->move(10, 10);
        other->move(10, 100);
        box->SetCaption(QStringLiteral("&Snap Window To Screen Edge"));
        other->SetCaption(QStringLiteral("&Always On Top"));
        parkCursor();
    }
};

// Leftmost and rightmost columns of rect that hold a pixel other than background.
std::pair<int, int> inkColumns(const QImage &img, const QRect &rect, TColor background)
{
    int first = -1;
    int last = -1;
    for (int x = rect.left(); x <= rect.right(); ++x) {
        for (int y = rect.top(); y <= rect.bottom(); ++y) {
            if (pixel(img, x, y) != background) {
                if (first < 0)
                    first = x;
                last = x;
                break;
            }
        }
    }
    return {first, last};
}

} // namespace

TEST(TFlatCheckBox, BoxFrameAndCaptionPlaceForBothLayouts)
{
    struct Row {
        const char *name;
        TCheckBoxLayout layout;
        int boxLeft, boxRight, textFrom, textTo;
    };
    const Row rows[] = {{"left", checkboxLeft, 1, 11, 16, 119},
                        {"right", checkboxRight, 109, 119, 1, 104}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Form form;
        form.box->SetLayout(row.layout);
        const QImage img = image(*form.box);
        const TColor face = ColorToRGB(clBtnFace);
        ASSERT_EQ(img.size(), QSize(121, 17));
        for (int y = 3; y <= 13; ++y) {
            EXPECT_EQ(pixel(img, row.boxLeft, y), kBorder) << y;
            EXPECT_EQ(pixel(img, row.boxRight, y), kBorder) << y;
        }
        for (int x = row.boxLeft; x <= row.boxRight; ++x) {
            EXPECT_EQ(pixel(img, x, 3), kBorder) << x;
            EXPECT_EQ(pixel(img, x, 13), kBorder) << x;
            EXPECT_EQ(pixel(img, x, 2), face) << x;
            EXPECT_EQ(pixel(img, x, 14), face) << x;
        }
        EXPECT_EQ(pixel(img, row.boxLeft - 1, 8), face);
        EXPECT_EQ(pixel(img, row.boxRight + 1, 8), face);
        EXPECT_EQ(pixel(img, row.boxLeft + 5, 8), face); // idle fill is Color
        const QRect text = KitRect(row.textFrom, 1, row.textTo + 1, 16);
        const auto [first, last] = inkColumns(img, text, face);
        ASSERT_GE(first, 0);
        if (row.layout == checkboxLeft) {
            EXPECT_LE(first, row.textFrom + 2); // 'S' starts at the left edge
        } else {
            EXPECT_GE(first, row.textFrom);
            EXPECT_GE(last, row.textTo - 3); // right-aligned
            EXPECT_LE(last, row.textTo);
        }
    }
}

TEST(TFlatCheckBox, TickPixelsInCheckColourOrShadowWhenDisabled)
{
    const std::set<std::pair<int, int>> tick = {
        {8, 2}, {7, 3}, {8, 3}, {2, 4}, {6, 4}, {7, 4}, {8, 4}, {2, 5}, {3, 5}, {5, 5}, {6, 5},
        {7, 5}, {2, 6}, {3, 6}, {4, 6}, {5, 6}, {6, 6}, {3, 7}, {4, 7}, {5, 7}, {4, 8}};
    for (const bool enabled : {true, false}) {
        SCOPED_TRACE(enabled);
        Form form;
        form.box->SetColors(2, 0x000000FF);
        form.box->SetChecked(true);
        form.box->setEnabled(enabled);
        const QImage img = image(*form.box);
        const TColor mark = enabled ? 0x000000FFu : ColorToRGB(clBtnShadow);
        for (int y = 1; y < 10; ++y) {
            for (int x = 1; x < 10; ++x) {
                const bool inTick = tick.count({x, y}) != 0;
                EXPECT_EQ(pixel(img, 1 + x, 3 + y) == mark, inTick) << x << "," << y;
            }
        }
    }
}

TEST(TFlatCheckBox, DisabledCaptionIsEmbossed)
{
    Form form;
    form.box->setEnabled(false);
    const QImage img = image(*form.box);
    const TColor shadow = ColorToRGB(clBtnShadow);
    const TColor light = ColorToRGB(clBtnHighlight);
    int shadows = 0;
    int lights = 0;
    for (int y = 0; y < 17; ++y) {
        for (int x = 16; x < 121; ++x) {
            const TColor c = pixel(img, x, y);
            shadows += c == shadow;
            lights += c == light;
            EXPECT_NE(c, 0u);
        }
    }
    EXPECT_GT(shadows, 20);
    EXPECT_GT(lights, 10);
}

TEST(TFlatCheckBox, LongCaptionWrapsAndIsClippedAtTheBottom)
{
    Form form;
    form.box->SetCaption(QStringLiteral("Automatically Run At Windows Startup"));
    form.box->resize(100, 17);
    const TColor face = ColorToRGB(clBtnFace);
    QImage img = image(*form.box);
    // Nothing drawn on the last row: the text rectangle stops at H - 1.
    for (int x = 16; x < 100; ++x)
        EXPECT_EQ(pixel(img, x, 16), face) << x;
    form.box->resize(100, 40);
    img = image(*form.box);
    const int lineHeight = QFontMetrics(testFont()).height();
    const auto [first, last] = inkColumns(img, QRect(16, 1 + lineHeight, 84, lineHeight), face);
    EXPECT_GE(first, 16); // a second line exists
    EXPECT_LE(last, 98);
}

TEST(TFlatCheckBox, FillFollowsHoverFocusAndPress)
{
    Form form;
    ASSERT_TRUE(showActive(form.window));
    form.other->setFocus();
    const TColor face = ColorToRGB(clBtnFace);
    EXPECT_EQ(pixelAt(*form.box, 4, 5), face);
    QTest::mouseMove(form.box, QPoint(50, 8));
    EXPECT_TRUE(form.box->MouseInside());
    EXPECT_EQ(pixelAt(*form.box, 4, 5), 0x00FFFFFFu);
    QTest::mousePress(form.box, Qt::LeftButton, {}, QPoint(50, 8));
    EXPECT_EQ(pixelAt(*form.box, 4, 5), 0x00C5D6D9u);
    QTest::mouseRelease(form.box, Qt::LeftButton, {}, QPoint(50, 8));
    EXPECT_EQ(pixelAt(*form.box, 4, 5), 0x00FFFFFFu);
    EXPECT_TRUE(form.box->hasFocus());
    // Focused without the pointer: still the focus colour.
    QTest::mouseMove(&form.window, QPoint(250, 180));
    EXPECT_TRUE(waitFor([&] { return !form.box->MouseInside(); }));
    EXPECT_EQ(pixelAt(*form.box, 4, 5), 0x00FFFFFFu);
    form.other->setFocus();
    EXPECT_EQ(pixelAt(*form.box, 4, 5), face);
}

TEST(TFlatCheckBox, MouseToggling)
{
    struct Row {
        const char *name;
        bool hoverFirst;
        Qt::MouseButton button;
        QPoint release;
        bool toggles;
    };
    const Row rows[] = {
        {"click", true, Qt::LeftButton, {50, 8}, true},
        {"dragged off before release", true, Qt::LeftButton, {150, 150}, true},
        {"right button", true, Qt::RightButton, {50, 8}, false},
        {"no move over it first", false, Qt::LeftButton, {50, 8}, false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Form form;
        ASSERT_TRUE(showActive(form.window));
        form.other->setFocus();
        QSignalSpy clicked(form.box, &TFlatCheckBox::clicked);
        if (row.hoverFirst)
            QTest::mouseMove(form.box, QPoint(50, 8));
        QTest::mousePress(form.box, row.button, {}, QPoint(50, 8));
        if (row.release.x() > 121)
            dragTo(form.box, row.release);
        QTest::mouseRelease(form.box, row.button, {}, row.release);
        EXPECT_EQ(form.box->Checked(), row.toggles);
        EXPECT_EQ(clicked.count(), row.toggles ? 1 : 0);
        if (row.button == Qt::RightButton) {
            EXPECT_FALSE(form.box->hasFocus());
        }
    }
}

// Widgets get press, release, double click, release: the double click is the second press and
// holds the indicator down until its release.
TEST(TFlatCheckBox, SecondPressOfADoubleClickHoldsTheIndicatorDown)
{
    struct Row {
        const char *name;
        bool radio;
        QPoint inside; // a pixel of the indicator's fill, clear of the mark
        bool checkedAfter;
        int clicks;
    };
    const Row rows[] = {
        {"check box toggles twice", false, {4, 5}, false, 2},
        {"radio button stays checked", true, {2, 7}, true, 1},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Form form;
        FlatCheckControl *control = form.box;
        if (row.radio) {
            control = new TFlatRadioButton(&form.window);
            control->move(150, 10);
        }
        ASSERT_TRUE(showActive(form.window));
        QSignalSpy clicked(control, &FlatCheckControl::clicked);
        const QPoint at(50, 8);
        QTest::mouseMove(control, at);
        QTest::mouseClick(control, Qt::LeftButton, {}, at);
        QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(at), control->mapToGlobal(QPointF(at)),
                        Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(control, &dbl);
        EXPECT_TRUE(control->MouseDownFlag());
        EXPECT_EQ(pixelAt(*control, row.inside.x(), row.inside.y()), 0x00C5D6D9u);
        QTest::mouseRelease(control, Qt::LeftButton, {}, at);
        EXPECT_FALSE(control->MouseDownFlag());
        EXPECT_EQ(control->Checked(), row.checkedAfter);
        EXPECT_EQ(clicked.count(), row.clicks);
    }
}

TEST(TFlatCheckBox, PointerRestingOnItWhenTheWindowIsActivated)
{
    // A dialog opened from a menu or a key with the pointer already where the box appears: on X
    // the pointer's entry comes before the activation, while hover is still refused. The first
    // click must toggle the box all the same, without a move before it.
    Form form;
    ASSERT_TRUE(showActive(form.window));
    QApplication::setActiveWindow(nullptr);
    QCursor::setPos(form.box->mapToGlobal(QPoint(50, 8)));
    QTest::mouseMove(form.box, QPoint(50, 8));
    ASSERT_FALSE(form.box->MouseInside());
    ASSERT_TRUE(showActive(form.window));
    EXPECT_TRUE(form.box->MouseInside());
    EXPECT_FALSE(form.other->MouseInside());
    QSignalSpy clicked(form.box, &TFlatCheckBox::clicked);
    QTest::mousePress(form.box, Qt::LeftButton, {}, QPoint(50, 8));
    QTest::mouseRelease(form.box, Qt::LeftButton, {}, QPoint(50, 8));
    EXPECT_TRUE(form.box->Checked());
    EXPECT_EQ(clicked.count(), 1);
}

TEST(TFlatCheckBox, NoHoverFlagWhileTheApplicationIsInactive)
{
    Form form;
    ASSERT_TRUE(showActive(form.window));
    QApplication::setActiveWindow(nullptr);
    QTest::mouseMove(form.box, QPoint(50, 8));
    EXPECT_FALSE(form.box->MouseInside());
}

TEST(TFlatCheckBox, KeysToggle)
{
    struct Row {
        const char *name;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        bool focusBoxFirst;
        bool checked;
        bool focused;
    };
    const Row rows[] = {
        {"space on the focused box", Qt::Key_Space, Qt::NoModifier, true, true, true},
        {"space elsewhere", Qt::Key_Space, Qt::NoModifier, false, false, false},
        {"alt+accelerator", Qt::Key_S, Qt::AltModifier, false, true, true},
        {"plain accelerator", Qt::Key_S, Qt::NoModifier, false, true, true},
        {"other letter", Qt::Key_X, Qt::AltModifier, false, false, false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Form form;
        ASSERT_TRUE(showActive(form.window));
        (row.focusBoxFirst ? form.box : form.other)->setFocus();
        QSignalSpy clicked(form.box, &TFlatCheckBox::clicked);
        QTest::keyClick(QApplication::focusWidget(), row.key, row.modifiers);
        EXPECT_EQ(form.box->Checked(), row.checked);
        EXPECT_EQ(clicked.count(), row.checked ? 1 : 0);
        EXPECT_EQ(form.box->hasFocus(), row.focused);
        // Space toggles whichever box has the focus.
        EXPECT_EQ(form.other->Checked(), !row.focusBoxFirst && row.key == Qt::Key_Space);
    }
}

TEST(TFlatCheckBox, HiddenOrDisabledBoxIgnoresItsAccelerator)
{
    Form form;
    ASSERT_TRUE(showActive(form.window));
    form.other->setFocus();
    form.box->setEnabled(false);
    QTest::keyClick(form.other, Qt::Key_S, Qt::AltModifier);
    EXPECT_FALSE(form.box->Checked());
    form.box->setEnabled(true);
    form.box->hide();
    QTest::keyClick(form.other, Qt::Key_S, Qt::AltModifier);
    EXPECT_FALSE(form.box->Checked());
}

TEST(TFlatCheckBox, ProgramChangesRaiseClickedOnlyWhenTheyChangeSomething)
{
    TFlatCheckBox box;
    QSignalSpy clicked(&box, &TFlatCheckBox::clicked);
    box.SetChecked(false);
    EXPECT_EQ(clicked.count(), 0);
    box.SetChecked(true);
    box.SetChecked(true);
    EXPECT_EQ(clicked.count(), 1);
    EXPECT_TRUE(box.TabStop());
}

TEST(TFlatCheckBox, OwnHoverTimerSeparateFromTheButtons)
{
    {
        Form form;
        TFlatButton button(&form.window);
        button.move(200, 10);
        ASSERT_TRUE(showActive(form.window));
        QTest::mouseMove(form.box, QPoint(50, 8));
        QTest::mouseMove(&button, QPoint(5, 5));
        // Both units watch their own control at once.
        EXPECT_EQ(TFlatCheckBox::mouseInControl(), form.box);
        EXPECT_EQ(TFlatButton::mouseInControl(), &button);
        QCursor::setPos(form.window.mapToGlobal(QPoint(250, 180)));
        EXPECT_TRUE(waitFor([] {
            return !TFlatCheckBox::mouseTimer()->isActive() &&
                   !TFlatButton::mouseTimer()->isActive();
        }));
        EXPECT_FALSE(form.box->MouseInside());

        // Focus loss clears the hot look; the timer does not tick on for nothing.
        QTest::mouseMove(form.box, QPoint(50, 8));
        form.box->setFocus();
        form.other->setFocus();
        EXPECT_FALSE(form.box->MouseInside());
        EXPECT_TRUE(waitFor([] { return !TFlatCheckBox::mouseTimer()->isActive(); }));
    }
    EXPECT_EQ(TFlatCheckBox::mouseTimer(), nullptr);
    EXPECT_EQ(TFlatCheckBox::instanceCount(), 0);
}
