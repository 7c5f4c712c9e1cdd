#include "TFlatRadioButton.h"

#include "KitTestUtil.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace kittest;

namespace {

struct Form {
    QWidget window;
    QWidget *group = new QWidget(&window);
    TFlatRadioButton *raised = new TFlatRadioButton(group);
    TFlatRadioButton *lowered = new TFlatRadioButton(group);
    Form()
    {
        window.resize(300, 200);
        window.setFont(testFont());
        group->setGeometry(0, 0, 300, 100);
        raised->move(16, 16);
        lowered->move(16, 40);
        raised->SetCaption(QStringLiteral("Show Window Bevel As &Raised"));
        lowered->SetCaption(QStringLiteral("Show Window Bevel As &Lowered"));
        parkCursor();
    }
};

} // namespace

TEST(TFlatRadioButton, CheckingUnchecksTheSameGroupOnTheSameParentOnly)
{
    Form form;
    auto *otherIndex = new TFlatRadioButton(form.group);
    otherIndex->GroupIndex = 1;
    auto *otherParent = new TFlatRadioButton(&form.window);
    otherIndex->SetChecked(true);
    otherParent->SetChecked(true);
    form.lowered->SetChecked(true);
    QSignalSpy raisedClicks(form.raised, &TFlatRadioButton::clicked);
    QSignalSpy loweredClicks(form.lowered, &TFlatRadioButton::clicked);

    form.raised->SetChecked(true);
    EXPECT_TRUE(form.raised->Checked());
    EXPECT_FALSE(form.lowered->Checked());
    EXPECT_EQ(raisedClicks.count(), 1);
    EXPECT_EQ(loweredClicks.count(), 0); // unchecking raises no click
    EXPECT_TRUE(otherIndex->Checked());
    EXPECT_TRUE(otherParent->Checked());
    // Only the checked button of a group is a tab stop.
    EXPECT_TRUE(form.raised->TabStop());
    EXPECT_FALSE(form.lowered->TabStop());

    form.raised->SetChecked(false);
    EXPECT_FALSE(form.raised->Checked());
    EXPECT_FALSE(form.lowered->Checked());
    EXPECT_FALSE(form.raised->TabStop());
    EXPECT_EQ(raisedClicks.count(), 1);
}

TEST(TFlatRadioButton, MouseChecksNeverUnchecks)
{
    struct Row {
        const char *name;
        QPoint release;
        bool checks;
    };
    const Row rows[] = {{"inside", {40, 8}, true},
                        {"x = Width", {121, 8}, true},
                        {"y = Height", {40, 17}, true},
                        {"beyond", {122, 8}, false}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Form form;
        ASSERT_TRUE(showActive(form.window));
        QTest::mousePress(form.raised, Qt::LeftButton, {}, QPoint(40, 8));
        dragTo(form.raised, row.release);
        QTest::mouseRelease(form.raised, Qt::LeftButton, {}, row.release);
        EXPECT_EQ(form.raised->Checked(), row.checks);
    }
    Form form;
    ASSERT_TRUE(showActive(form.window));
    form.raised->SetChecked(true);
    QSignalSpy clicked(form.raised, &TFlatRadioButton::clicked);
    QTest::mouseClick(form.raised, Qt::LeftButton, {}, QPoint(40, 8));
    EXPECT_TRUE(form.raised->Checked());
    EXPECT_FALSE(form.lowered->Checked());
    EXPECT_EQ(clicked.count(), 0);
    QTest::mouseClick(form.lowered, Qt::RightButton, {}, QPoint(40, 8));
    EXPECT_FALSE(form.lowered->Checked());
}

TEST(TFlatRadioButton, AcceleratorFocusesSpaceAndArrowsCheck)
{
    Form form;
    auto *otherIndex = new TFlatRadioButton(form.group);
    otherIndex->GroupIndex = 1;
    auto *disabled = new TFlatRadioButton(form.group);
    disabled->setEnabled(false);
    ASSERT_TRUE(showActive(form.window));
    form.raised->SetChecked(true);
    form.raised->setFocus();
    QTest::keyClick(form.raised, Qt::Key_L, Qt::AltModifier);
    EXPECT_TRUE(form.lowered->hasFocus());
    EXPECT_FALSE(form.lowered->Checked());
    // Space chooses the focused button, and never unchooses it.
    QTest::keyClick(form.lowered, Qt::Key_Space);
    EXPECT_TRUE(form.lowered->Checked());
    EXPECT_FALSE(form.raised->Checked());
    QTest::keyClick(form.lowered, Qt::Key_Space);
    EXPECT_TRUE(form.lowered->Checked());

    // The arrows go round the group (neither the other group nor a disabled button), checking.
    struct Step {
        Qt::Key key;
        TFlatRadioButton *lands;
    };
    const Step steps[] = {{Qt::Key_Up, form.raised},
                          {Qt::Key_Up, form.lowered},
                          {Qt::Key_Right, form.raised},
                          {Qt::Key_Down, form.lowered}};
    for (const Step &step : steps) {
        QTest::keyClick(QApplication::focusWidget(), step.key);
        EXPECT_TRUE(step.lands->hasFocus());
        EXPECT_TRUE(step.lands->Checked());
        EXPECT_EQ(form.raised->Checked(), step.lands == form.raised);
    }
    EXPECT_FALSE(otherIndex->Checked());
}

TEST(TFlatRadioButton, CircleAndDotPixels)
{
    struct Row {
        const char *name;
        TRadioButtonLayout layout;
        bool enabled;
        int left;
    };
    const Row rows[] = {{"left", radioLeft, true, 1},
                        {"right", radioRight, true, 110},
                        {"disabled", radioLeft, false, 1}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Form form;
        form.raised->SetLayout(row.layout);
        form.raised->SetColors(2, 0x000000FF);
        form.raised->SetChecked(true);
        form.raised->setEnabled(row.enabled);
        const QImage img = image(*form.raised);
        const TColor face = ColorToRGB(clBtnFace);
        const TColor border = 0x008396A0;
        const TColor dot = row.enabled ? 0x000000FFu : ColorToRGB(clBtnShadow);
        const int L = row.left;
        const int T = 3;
        // The bounding rectangle (L, 3, L + 10, 13): outline touches all four sides.
        EXPECT_EQ(pixel(img, L + 4, T), border);
        EXPECT_EQ(pixel(img, L + 4, T + 9), border);
        EXPECT_EQ(pixel(img, L, T + 4), border);
        EXPECT_EQ(pixel(img, L + 9, T + 4), border);
        EXPECT_EQ(pixel(img, L, T), face); // round corners
        EXPECT_EQ(pixel(img, L + 10, T + 4), face);
        EXPECT_EQ(pixel(img, L - 1, T + 4), face);
        EXPECT_EQ(pixel(img, L + 2, T + 4), face); // idle fill between outline and dot
        for (int y = 4; y <= 5; ++y)
            for (int x = 3; x <= 6; ++x)
                EXPECT_EQ(pixel(img, L + x, T + y), dot) << x << "," << y;
        EXPECT_EQ(pixel(img, L + 4, T + 3), dot);
        EXPECT_EQ(pixel(img, L + 3, T + 3), face);
        EXPECT_EQ(pixel(img, L + 7, T + 4), face);
    }
}
