#include "HintMachinery.h"
#include "TFlatHint.h"
#include "TFlatHintWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHelpEvent>
#include <QTest>
#include <QToolTip>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

QFont hintFont()
{
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPixelSize(11);
    return f;
}

bool waitFor(const std::function<bool()> &done)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

TEST(TFlatHintWindow, ArrowCornerByScreenQuarter)
{
    const QRect screen(0, 0, 1024, 768);
    struct Row {
        QPoint pointer;
        TArrowPos want;
    };
    const Row rows[] = {
        {{10, 10}, NW},  {{1000, 700}, SE}, {{512, 10}, NE},  {{511, 383}, NW},
        {{10, 384}, SW}, {{511, 767}, SW},  {{512, 384}, SE}, {{1023, 0}, NE},
        {{-5, 10}, SE},  {{2000, 10}, SE},  {{10, 900}, SE},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(testing::Message() << r.pointer.x() << "," << r.pointer.y());
        EXPECT_EQ(TFlatHintWindow::ArrowCorner(r.pointer, screen), r.want);
    }
    // a second screen to the right counts from its own origin
    EXPECT_EQ(TFlatHintWindow::ArrowCorner({1034, 10}, QRect(1024, 0, 800, 600)), NW);
}

TEST(TFlatHintWindow, PlacedSoTheArrowCornerFacesThePointer)
{
    const QSize size(122, 19);
    EXPECT_EQ(TFlatHintWindow::HintRect(NW, {10, 10}, size), QRect(22, 22, 122, 19));
    EXPECT_EQ(TFlatHintWindow::HintRect(NE, {500, 10}, size), QRect(500 - 5 - 122, 15, 122, 19));
    EXPECT_EQ(TFlatHintWindow::HintRect(SW, {10, 700}, size), QRect(15, 700 - 5 - 19, 122, 19));
    const QRect se = TFlatHintWindow::HintRect(SE, {1000, 700}, size);
    EXPECT_EQ(se.right() + 1, 995);
    EXPECT_EQ(se.bottom() + 1, 695);
    EXPECT_EQ(se.size(), size);
}

TEST(TFlatHintWindow, SizeFollowsTheMeasuredText)
{
    QWidget form;
    TFlatHint hint(&form);
    hint.SetHintFont(hintFont());
    const QFontMetrics fm(hintFont());
    TFlatHintWindow window;

    const QString line = QStringLiteral("Battery at 50 %");
    EXPECT_EQ(window.CalcHintSize(QRect(), line),
              QSize(fm.horizontalAdvance(line) + 22, fm.height() + 6));
    // ampersands are shown, not accelerators
    EXPECT_EQ(window.CalcHintSize(QRect(), QStringLiteral("A&B")).width(),
              fm.horizontalAdvance(QStringLiteral("A&B")) + 22);

    const QString longText = QStringLiteral(
        "The strip counts down to empty on battery and to full while charging, from the "
        "measured rates");
    const QSize wrapped = window.CalcHintSize(QRect(), longText);
    EXPECT_LE(wrapped.width(), 200);
    EXPECT_GT(wrapped.height(), 2 * fm.height());
    EXPECT_EQ((wrapped.height() - 6) % fm.height(), 0);

    const QString word = QStringLiteral("Supercalifragilisticexpialidocious_and_more_and_more");
    ASSERT_GT(fm.horizontalAdvance(word), 178);
    EXPECT_EQ(window.CalcHintSize(QRect(), word),
              QSize(fm.horizontalAdvance(word) + 22, fm.height() + 6));

    hint.SetMaxHintWidth(400);
    EXPECT_LT(window.CalcHintSize(QRect(), longText).height(), wrapped.height());
}

// The arrow for the top-left corner, 8 x 8 from its anchor; other corners mirror it.
const char *const kArrowNW[] = {
    "#######.", "#######.", "#####...", "######..", "#######.", "##.#####", "##..####", ".....##.",
};

TEST(TFlatHintWindow, PaintsStripArrowAndFrameForEveryCorner)
{
    QWidget form;
    TFlatHint hint(&form);
    hint.SetHintFont(hintFont());
    hint.SetColors(0, 0x00FFFFFF);
    hint.SetColors(1, 0x000000FF); // red border
    hint.SetColors(2, 0x0053D2FF);
    hint.SetColors(3, 0x00FF0000); // blue arrow
    const QRgb border = qRgb(255, 0, 0);
    const QRgb arrow = qRgb(0, 0, 255);
    const QRgb strip = qRgb(0xFF, 0xD2, 0x53);
    const QRgb back = qRgb(255, 255, 255);

    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const int r = screen.right() - 10;
    const int b = screen.bottom() - 10;
    struct Row {
        const char *name;
        QPoint pointer;
        TArrowPos corner;
    };
    const Row rows[] = {
        {"NW", {10, 10}, NW}, {"NE", {r, 10}, NE}, {"SW", {10, b}, SW}, {"SE", {r, b}, SE}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        TFlatHintWindow window;
        window.ActivateHintAt(QRect(), QStringLiteral("Hint text"), row.pointer);
        EXPECT_EQ(window.ArrowPos(), row.corner);
        EXPECT_FALSE(window.isActiveWindow());
        const QImage img = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
        const int W = img.width();
        const int H = img.height();
        ASSERT_EQ(H, QFontMetrics(hintFont()).height() + 6);

        for (int x = 0; x < W; ++x) {
            ASSERT_EQ(img.pixel(x, 0), border);
            ASSERT_EQ(img.pixel(x, H - 1), border);
        }
        const bool left = row.corner == NW || row.corner == SW;
        const int stripX = left ? 1 : W - 15;
        const int textX = left ? 15 : 1;
        // the strip is 14 wide: its far column and the column beyond
        const int farCol = left ? 14 : W - 15;
        EXPECT_EQ(img.pixel(farCol, H / 2 + (row.corner == NW || row.corner == NE ? 6 : -6)),
                  strip);
        EXPECT_EQ(img.pixel(left ? 15 : W - 16, 1), back);
        EXPECT_EQ(img.pixel(textX + 1, 1), back);

        const bool mirrorX = !left;
        const bool mirrorY = row.corner == SW || row.corner == SE;
        const int ax = left ? stripX + 2 : W - 1 - 3;
        const int ay = mirrorY ? H - 1 - 3 : 3;
        for (int dy = 0; dy < 8; ++dy) {
            for (int dx = 0; dx < 8; ++dx) {
                const int x = ax + (mirrorX ? -dx : dx);
                const int y = ay + (mirrorY ? -dy : dy);
                const QRgb want = kArrowNW[dy][dx] == '#' ? arrow : strip;
                ASSERT_EQ(img.pixel(x, y), want) << dx << "," << dy;
            }
        }
        window.hide();
    }
}

TEST(TFlatHintWindow, FindFlatHintLooksAtTheMainForm)
{
    QWidget main;
    QObject other;
    TFlatHint first(&main);
    TFlatHint second(&main);
    TFlatHint elsewhere(&other);
    EXPECT_EQ(TFlatHintWindow::FindFlatHint(), &first);

    QWidget dialog;
    TFlatHint dialogHint(&dialog);
    TFlatHint::SetMainForm(&dialog);
    EXPECT_EQ(TFlatHintWindow::FindFlatHint(), &dialogHint);
    QWidget bare;
    TFlatHint::SetMainForm(&bare);
    EXPECT_EQ(TFlatHintWindow::FindFlatHint(), nullptr);
    TFlatHint::SetMainForm(nullptr);
}

TEST(TFlatHint, SetsTheApplicationTimingAndHooksTheLastOne)
{
    {
        QWidget form;
        TFlatHint::SetHintPause(1);
        TFlatHint hint(&form);
        EXPECT_EQ(TFlatHint::HintPause(), 500);
        EXPECT_EQ(TFlatHint::HintShortPause(), 25);
        EXPECT_EQ(TFlatHint::HintHidePause(), 5000);
        EXPECT_EQ(hint.ColorArrowBackground(), 0x0053D2FFu);
        EXPECT_EQ(hint.MaxHintWidth(), 200);
        ASSERT_NE(HintMachinery::instance(), nullptr);

        // Qt's own tool tip request is swallowed
        QWidget tipped(&form);
        tipped.setToolTip(QStringLiteral("tip"));
        QHelpEvent help(QEvent::ToolTip, QPoint(1, 1), QPoint(1, 1));
        QApplication::sendEvent(&tipped, &help);
        EXPECT_FALSE(QToolTip::isVisible());
    }
    EXPECT_EQ(HintMachinery::instance(), nullptr);
}

class HintedForm : public testing::Test {
protected:
    void SetUp() override
    {
        form.resize(300, 200);
        form.move(50, 50);
        first.setGeometry(10, 10, 100, 30);
        first.setToolTip(QStringLiteral("First hint"));
        second.setGeometry(150, 10, 100, 30);
        second.setToolTip(QStringLiteral("Second hint"));
        inner.setGeometry(5, 5, 10, 10);
        quiet.setGeometry(10, 100, 100, 30);
        quiet.setToolTip(QStringLiteral("Quiet"));
        quiet.setProperty("ShowHint", false);
        quiet.setProperty("ParentShowHint", false);
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        hint.SetHintFont(hintFont());
        TFlatHint::SetHintPause(50);
        TFlatHint::SetHintShortPause(5);
    }

    void moveTo(QWidget &w, QPoint at = QPoint(5, 5))
    {
        QTest::mouseMove(form.windowHandle(), w.mapTo(&form, at));
    }

    bool hintShowing(const QString &text)
    {
        TFlatHintWindow *window = TFlatHint::HintWindow();
        return window && window->isVisible() && window->Caption() == text;
    }

    QWidget form;
    TFlatHint hint{&form};
    QWidget first{&form};
    QWidget inner{&first};
    QWidget second{&form};
    QWidget quiet{&form};
};

TEST_F(HintedForm, ShowsByThePointerWithoutTakingFocus)
{
    QWidget *focusBefore = QApplication::focusWidget();
    moveTo(inner); // no tool tip of its own: the parent's hint shows
    ASSERT_TRUE(waitFor([&] { return hintShowing(QStringLiteral("First hint")); }));
    TFlatHintWindow *window = TFlatHint::HintWindow();
    const QPoint pointer = inner.mapToGlobal(QPoint(5, 5));
    EXPECT_EQ(window->geometry().topLeft(), pointer + QPoint(12, 12));
    EXPECT_EQ(window->ArrowPos(), NW);
    EXPECT_FALSE(window->isActiveWindow());
    EXPECT_EQ(QApplication::focusWidget(), focusBefore);

    moveTo(second);
    ASSERT_TRUE(waitFor([&] { return hintShowing(QStringLiteral("Second hint")); }));

    QTest::mousePress(form.windowHandle(), Qt::LeftButton, {}, second.mapTo(&form, QPoint(6, 6)));
    EXPECT_FALSE(window->isVisible());
    QTest::mouseRelease(form.windowHandle(), Qt::LeftButton, {}, second.mapTo(&form, QPoint(6, 6)));
}

TEST_F(HintedForm, HidesAfterTheHidePause)
{
    TFlatHint::SetHintHidePause(30);
    moveTo(first);
    ASSERT_TRUE(waitFor([&] { return hintShowing(QStringLiteral("First hint")); }));
    EXPECT_TRUE(waitFor([&] { return !TFlatHint::HintWindow()->isVisible(); }));
    // moving inside the same control does not bring it back
    moveTo(first, QPoint(20, 10));
    EXPECT_EQ(HintMachinery::instance()->hintControl(), &first);
}

TEST_F(HintedForm, ControlsWithHintsOffShowNone)
{
    moveTo(quiet);
    EXPECT_EQ(HintMachinery::instance()->hintControl(), nullptr);
    moveTo(first);
    EXPECT_EQ(HintMachinery::instance()->hintControl(), &first);
    first.setProperty("ShowHint", false);
    first.setProperty("ParentShowHint", false);
    moveTo(first, QPoint(30, 10));
    EXPECT_EQ(HintMachinery::instance()->hintControl(), nullptr);
}

TEST_F(HintedForm, ShowHintHandlerChangesOrSuppressesTheHint)
{
    QWidget *seen = nullptr;
    hint.OnShowHint = [&](QString &text, bool &canShow, THintInfo &info) {
        seen = info.HintControl;
        if (info.HintControl == &second)
            canShow = false;
        text = text.toUpper();
    };
    moveTo(first);
    ASSERT_TRUE(waitFor([&] { return hintShowing(QStringLiteral("FIRST HINT")); }));
    EXPECT_EQ(seen, &first);

    seen = nullptr;
    moveTo(second);
    ASSERT_TRUE(waitFor([&] { return seen == &second; }));
    EXPECT_FALSE(TFlatHint::HintWindow()->isVisible());
}

} // namespace
