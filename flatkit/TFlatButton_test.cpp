#include "TFlatButton.h"

#include "KitTestUtil.h"

#include <QDialog>
#include <QPainter>
#include <QSignalSpy>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

using namespace kittest;

namespace {

struct Form {
    QWidget window;
    TFlatButton *button = new TFlatButton(&window);
    TFlatButton *other = new TFlatButton(&window);
    Form()
    {
        window.resize(300, 200);
        window.setFont(testFont());
        button->setGeometry(10, 10, 81, 25);
        other->setGeometry(10, 100, 81, 25);
        button->SetCaption(QStringLiteral("&Ok"));
        other->SetCaption(QStringLiteral("&Cancel"));
        parkCursor();
    }
};

} // namespace

TEST(TFlatButton, FaceOfEachState)
{
    const TColor face = ColorToRGB(clBtnFace);
    struct Row {
        const char *name;
        std::function<void(Form &)> setup;
        TColor fill, topLeft, bottomRight, ring2;
    };
    const Row rows[] = {
        {"up", [](Form &) {}, face, 0x008396A0, 0x008396A0, face},
        {"default", [](Form &f) { f.button->SetDefault(true); }, face, 0x008396A0, 0x008396A0,
         0x008396A0},
        {"hot from focus", [](Form &f) { f.button->setFocus(); }, 0x00E1EAEB, 0x00FFFFFF,
         0x00000000, 0x00E1EAEB},
        {"pressed",
         [](Form &f) { QTest::mousePress(f.button, Qt::LeftButton, {}, QPoint(40, 12)); },
         0x00C5D6D9, 0x00000000, 0x00FFFFFF, 0x00C5D6D9},
        {"latched, not hot",
         [](Form &f) {
             f.button->SetGroupIndex(1);
             f.button->SetDown(true);
         },
         0x00C5D6D9, 0x00000000, 0x00FFFFFF, 0x00C5D6D9},
        {"latched and hot",
         [](Form &f) {
             f.button->SetGroupIndex(1);
             f.button->SetDown(true);
             f.button->setFocus();
         },
         0x00E1EAEB, 0x00000000, 0x00FFFFFF, 0x00E1EAEB},
        {"disabled default",
         [](Form &f) {
             f.button->SetDefault(true);
             f.button->setEnabled(false);
         },
         face, 0x008396A0, 0x008396A0, face},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Form form;
        ASSERT_TRUE(showActive(form.window));
        row.setup(form);
        const QImage img = image(*form.button);
        const int r = img.width() - 1;
        const int b = img.height() - 1;
        EXPECT_EQ(pixel(img, 0, 0), row.topLeft);
        EXPECT_EQ(pixel(img, 0, b - 1), row.topLeft);
        EXPECT_EQ(pixel(img, r - 1, 0), row.topLeft);
        // The bottom-right colour owns both far corners.
        EXPECT_EQ(pixel(img, r, 0), row.bottomRight);
        EXPECT_EQ(pixel(img, 0, b), row.bottomRight);
        EXPECT_EQ(pixel(img, r, b), row.bottomRight);
        EXPECT_EQ(pixel(img, 1, 1), row.ring2);
        EXPECT_EQ(pixel(img, r - 1, b - 1), row.ring2);
        EXPECT_EQ(pixel(img, 3, 3), row.fill);
    }
}

TEST(TFlatButton, GlyphSetsNumGlyphsFromItsShape)
{
    struct Row {
        int width, height, before, want;
    };
    const Row rows[] = {
        {64, 16, 1, 4}, {80, 16, 2, 1}, {40, 16, 3, 3}, {16, 16, 4, 1}, {32, 16, 1, 2}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.width);
        TFlatButton button;
        button.SetNumGlyphs(row.before);
        QImage glyph(row.width, row.height, QImage::Format_RGB32);
        glyph.fill(Qt::red);
        button.SetGlyph(glyph);
        EXPECT_EQ(button.NumGlyphs(), row.want);
    }
    TFlatButton button;
    button.SetNumGlyphs(0); // would divide by zero when painting
    EXPECT_EQ(button.NumGlyphs(), 1);
    button.SetMargin(-5);
    EXPECT_EQ(button.Margin(), -1);
}

TEST(TFlatButton, GlyphImageOfTheStateWithTransparentColourLeftOut)
{
    // A strip of two 8x8 images: image 0 blue, image 1 green; the bottom-left pixel (the
    // transparent colour) is red and so are a few more pixels of each image.
    QImage strip(16, 8, QImage::Format_RGB32);
    strip.fill(QColor(0, 0, 255));
    strip.fill(QColor(0, 0, 255));
    for (int x = 8; x < 16; ++x)
        for (int y = 0; y < 8; ++y)
            strip.setPixel(x, y, qRgb(0, 255, 0));
    for (int y = 0; y < 8; ++y) {
        strip.setPixel(0, y, qRgb(255, 0, 0));
        strip.setPixel(8, y, qRgb(255, 0, 0));
    }
    Form form;
    form.button->SetCaption(QString());
    form.button->SetGlyph(strip);
    ASSERT_EQ(form.button->NumGlyphs(), 2);
    const TColor face = ColorToRGB(clBtnFace);
    QImage img = image(*form.button);
    QPoint at = form.button->GlyphPos();
    // No caption: no spacing, and the automatic margin centres the glyph.
    EXPECT_EQ(at, QPoint((81 - 8 + 1) / 2, (25 - 8 + 1) / 2));
    EXPECT_EQ(pixel(img, at.x(), at.y()), face); // left out
    EXPECT_EQ(pixel(img, at.x() + 1, at.y()), 0x00FF0000u);
    form.button->setEnabled(false);
    img = image(*form.button);
    EXPECT_EQ(pixel(img, at.x(), at.y()), face);
    EXPECT_EQ(pixel(img, at.x() + 1, at.y()), 0x0000FF00u);

    // One image: the disabled look is the embossed copy of its black pixels.
    QImage single(8, 8, QImage::Format_RGB32);
    single.fill(Qt::white);
    single.setPixel(3, 3, qRgb(0, 0, 0));
    form.button->SetGlyph(single);
    img = image(*form.button);
    at = form.button->GlyphPos();
    EXPECT_EQ(pixel(img, at.x() + 3, at.y() + 3), ColorToRGB(clBtnShadow));
    EXPECT_EQ(pixel(img, at.x() + 4, at.y() + 4), ColorToRGB(clBtnHighlight));
}

TEST(TFlatButton, DisabledCaptionIsEmbossed)
{
    Form form;
    form.button->SetCaption(QStringLiteral("MMM"));
    form.button->setEnabled(false);
    const QImage img = image(*form.button);
    const TColor shadow = ColorToRGB(clBtnShadow);
    const TColor light = ColorToRGB(clBtnHighlight);
    int shadows = 0;
    for (int y = 2; y < img.height() - 2; ++y) {
        for (int x = 2; x < img.width() - 2; ++x) {
            const TColor c = pixel(img, x, y);
            EXPECT_NE(c, 0u) << x << "," << y; // no text in the normal colour
            if (c != shadow)
                continue;
            ++shadows;
            // The highlight copy lies one pixel right and down, under the shadow copy.
            const TColor below = pixel(img, x + 1, y + 1);
            EXPECT_TRUE(below == light || below == shadow) << x << "," << y;
        }
    }
    EXPECT_GT(shadows, 10);
}

TEST(TFlatButton, MouseReleaseInsideClicksOutsideDoesNot)
{
    struct Row {
        const char *name;
        QPoint release;
        int clicks;
    };
    const Row rows[] = {{"inside", {40, 12}, 1},
                        {"row below the client area", {40, 25}, 1},
                        {"column right of it", {81, 12}, 0},
                        {"far away", {200, 150}, 0}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Form form;
        ASSERT_TRUE(showActive(form.window));
        QSignalSpy clicked(form.button, &TFlatButton::clicked);
        QTest::mouseMove(form.button, QPoint(40, 12));
        QTest::mousePress(form.button, Qt::LeftButton, {}, QPoint(40, 12));
        EXPECT_EQ(form.button->State(), stPressed);
        dragTo(form.button, row.release);
        EXPECT_EQ(form.button->State(), row.clicks ? stPressed : stUp);
        QTest::mouseRelease(form.button, Qt::LeftButton, {}, row.release);
        EXPECT_EQ(clicked.count(), row.clicks);
        EXPECT_EQ(form.button->State(), stUp);
        if (!row.clicks) {
            EXPECT_FALSE(form.button->MouseInside());
            EXPECT_EQ(TFlatButton::mouseInControl(), nullptr);
        }
    }
}

TEST(TFlatButton, RightClickDoesNothing)
{
    Form form;
    ASSERT_TRUE(showActive(form.window));
    QSignalSpy clicked(form.button, &TFlatButton::clicked);
    QTest::mouseClick(form.button, Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicked.count(), 0);
    EXPECT_EQ(form.button->State(), stUp);
}

TEST(TFlatButton, GroupedButtonsReleaseEachOther)
{
    Form form;
    ASSERT_TRUE(showActive(form.window));
    auto *elsewhere = new QWidget(&form.window);
    auto *stranger = new TFlatButton(elsewhere);
    stranger->SetGroupIndex(1);
    stranger->SetDown(true);
    form.button->SetGroupIndex(1);
    form.other->SetGroupIndex(1);
    QSignalSpy clicked(form.other, &TFlatButton::clicked);

    QTest::mouseClick(form.button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(form.button->Down());
    EXPECT_EQ(form.button->State(), stLatched);
    QTest::mouseClick(form.other, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(form.other->Down());
    EXPECT_FALSE(form.button->Down());
    EXPECT_EQ(form.button->State(), stUp);
    // A latched button cannot release itself, yet still clicks.
    QTest::mouseClick(form.other, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(form.other->Down());
    EXPECT_EQ(clicked.count(), 2);
    // Other parents and other groups are left alone.
    EXPECT_TRUE(stranger->Down());

    // AllowAllUp spreads over the group at the next broadcast, and then allows all up.
    form.button->SetAllowAllUp(true);
    EXPECT_TRUE(form.other->AllowAllUp());
    QTest::mouseClick(form.other, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_FALSE(form.other->Down());
    EXPECT_EQ(form.other->State(), stUp);

    // Without a group a button never stays down.
    TFlatButton loose(&form.window);
    loose.SetDown(true);
    EXPECT_FALSE(loose.Down());
}

TEST(TFlatButton, SpaceBarPressesAndClicks)
{
    Form form;
    ASSERT_TRUE(showActive(form.window));
    form.button->setFocus();
    QSignalSpy clicked(form.button, &TFlatButton::clicked);
    QTest::keyPress(form.button, Qt::Key_Space);
    EXPECT_EQ(form.button->State(), stPressed);
    EXPECT_EQ(clicked.count(), 0);
    QTest::keyRelease(form.button, Qt::Key_Space);
    EXPECT_EQ(form.button->State(), stUp);
    EXPECT_EQ(clicked.count(), 1);
    // Enter is no click.
    QTest::keyClick(form.button, Qt::Key_Return);
    EXPECT_EQ(clicked.count(), 1);

    form.button->SetGroupIndex(2);
    form.button->SetAllowAllUp(true);
    QTest::keyPress(form.button, Qt::Key_Space);
    EXPECT_TRUE(form.button->Down());
    QTest::keyRelease(form.button, Qt::Key_Space);
    EXPECT_FALSE(form.button->Down());
    EXPECT_EQ(clicked.count(), 2);
}

TEST(TFlatButton, AcceleratorClicksWithoutMovingTheFocus)
{
    struct Row {
        const char *name;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        bool enabled;
        int clicks;
    };
    const Row rows[] = {{"alt+letter", Qt::Key_O, Qt::AltModifier, true, 1},
                        {"plain letter", Qt::Key_O, Qt::NoModifier, true, 1},
                        {"upper case", Qt::Key_O, Qt::ShiftModifier, true, 1},
                        {"ctrl+letter", Qt::Key_O, Qt::ControlModifier, true, 0},
                        {"other letter", Qt::Key_X, Qt::AltModifier, true, 0},
                        {"disabled", Qt::Key_O, Qt::AltModifier, false, 0}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Form form;
        ASSERT_TRUE(showActive(form.window));
        form.other->setFocus();
        form.button->setEnabled(row.enabled);
        QSignalSpy clicked(form.button, &TFlatButton::clicked);
        QTest::keyClick(form.other, row.key, row.modifiers);
        EXPECT_EQ(clicked.count(), row.clicks);
        EXPECT_TRUE(form.other->hasFocus());
    }
}

TEST(TFlatButton, AcceleratorLatchesAGroupedButton)
{
    Form form;
    ASSERT_TRUE(showActive(form.window));
    form.button->SetGroupIndex(3);
    QTest::keyClick(&form.window, Qt::Key_O, Qt::AltModifier);
    EXPECT_TRUE(form.button->Down());
}

TEST(TFlatButton, DoubleClickPressesTwiceAndReportsOnlyWhenDown)
{
    for (const bool grouped : {false, true}) {
        SCOPED_TRACE(grouped);
        Form form;
        ASSERT_TRUE(showActive(form.window));
        if (grouped) {
            form.button->SetGroupIndex(1);
            form.button->SetAllowAllUp(true);
        }
        QSignalSpy clicked(form.button, &TFlatButton::clicked);
        QSignalSpy doubled(form.button, &TFlatButton::doubleClicked);
        // What a double click delivers: press, release, press, double click, release.
        QTest::mouseClick(form.button, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mousePress(form.button, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseDClick(form.button, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseRelease(form.button, Qt::LeftButton, {}, QPoint(5, 5));
        EXPECT_EQ(clicked.count(), 2);
        // Grouped: the first click latched it, so the second press sees it down.
        EXPECT_EQ(doubled.count(), grouped ? 1 : 0);
    }
}

TEST(TFlatButton, ClickHandsTheModalResultToTheDialog)
{
    QDialog dialog;
    dialog.resize(200, 100);
    auto *ok = new TFlatButton(&dialog);
    ok->ModalResult = 1;
    auto *reset = new TFlatButton(&dialog);
    reset->move(30, 0);
    int resetClicks = 0;
    QObject::connect(reset, &TFlatButton::clicked, [&] { ++resetClicks; });
    QTimer::singleShot(0, [&] {
        // A button without a modal result leaves the dialog open.
        reset->Click();
        EXPECT_TRUE(dialog.isVisible());
        ok->Click();
    });
    EXPECT_EQ(dialog.exec(), 1);
    EXPECT_EQ(resetClicks, 1);

    // A click handler can veto the close.
    QObject::connect(ok, &TFlatButton::clicked, &dialog, [&] { dialog.setResult(0); });
    QTimer::singleShot(0, [&] {
        ok->Click();
        EXPECT_TRUE(dialog.isVisible());
        dialog.done(7);
    });
    EXPECT_EQ(dialog.exec(), 7);

    // Not on a dialog: only clicked().
    TFlatButton alone;
    alone.ModalResult = 2;
    QSignalSpy clicked(&alone, &TFlatButton::clicked);
    alone.Click();
    EXPECT_EQ(clicked.count(), 1);
}

TEST(TFlatButton, HoverTimerFollowsThePointerAndDiesWithTheLastButton)
{
    {
        Form form;
        ASSERT_TRUE(showActive(form.window));
        ASSERT_NE(TFlatButton::mouseTimer(), nullptr);
        EXPECT_FALSE(TFlatButton::mouseTimer()->isActive());
        QTest::mouseMove(form.button, QPoint(5, 5));
        EXPECT_EQ(TFlatButton::mouseInControl(), form.button);
        EXPECT_TRUE(TFlatButton::mouseTimer()->isActive());
        EXPECT_TRUE(form.button->MouseInside());
        // Moving straight onto another button hands the timer over.
        QTest::mouseMove(form.other, QPoint(5, 5));
        EXPECT_EQ(TFlatButton::mouseInControl(), form.other);
        EXPECT_FALSE(form.button->MouseInside());
        // The pointer leaves without a move over the window: the timer notices.
        QCursor::setPos(form.window.mapToGlobal(QPoint(250, 180)));
        EXPECT_TRUE(waitFor([] { return !TFlatButton::mouseTimer()->isActive(); }));
        EXPECT_EQ(TFlatButton::mouseInControl(), nullptr);
        EXPECT_FALSE(form.other->MouseInside());
    }
    EXPECT_EQ(TFlatButton::instanceCount(), 0);
    EXPECT_EQ(TFlatButton::mouseTimer(), nullptr);
    TFlatButton later;
    EXPECT_NE(TFlatButton::mouseTimer(), nullptr);
    EXPECT_EQ(TFlatButton::instanceCount(), 1);
}

TEST(TFlatButton, NoHoverWhileTheApplicationIsInactive)
{
    Form form;
    ASSERT_TRUE(showActive(form.window));
    QApplication::setActiveWindow(nullptr);
    ASSERT_EQ(QApplication::activeWindow(), nullptr);
    QTest::mouseMove(form.button, QPoint(5, 5));
    EXPECT_FALSE(form.button->MouseInside());
    EXPECT_EQ(TFlatButton::mouseInControl(), nullptr);
}

TEST(TFlatButton, FocusedButtonLosesHotLookWhenThePointerLeaves)
{
    Form form;
    ASSERT_TRUE(showActive(form.window));
    form.button->setFocus();
    EXPECT_TRUE(form.button->MouseInside());
    QTest::mouseMove(form.button, QPoint(5, 5));
    QTest::mouseMove(&form.window, QPoint(250, 180));
    EXPECT_TRUE(waitFor([&] { return !form.button->MouseInside(); }));
    EXPECT_TRUE(form.button->hasFocus());
}

TEST(TFlatButton, TransparentModesShowTheParent)
{
    QWidget parent;
    parent.resize(100, 60);
    QPalette palette = parent.palette();
    palette.setColor(QPalette::Window, QColor(0x10, 0x20, 0x30));
    parent.setPalette(palette);
    parent.setAutoFillBackground(true);
    auto *button = new TFlatButton(&parent);
    button->setGeometry(10, 10, 40, 30);
    const TColor behind = 0x00302010;
    struct Row {
        TTransparentMode mode;
        bool hot;
        TColor fill;
    };
    const Row rows[] = {{tmAlways, false, behind},
                        {tmAlways, true, behind},
                        {tmNotFocused, false, behind},
                        {tmNotFocused, true, 0x00E1EAEB},
                        {tmNone, false, behind}};
    ASSERT_TRUE(showActive(parent));
    for (const Row &row : rows) {
        SCOPED_TRACE(int(row.mode) * 2 + row.hot);
        button->SetTransparent(row.mode);
        if (row.hot)
            button->setFocus();
        else
            button->clearFocus();
        // tmNone fills with Color, which is the parent's colour here.
        EXPECT_EQ(pixelAt(*button, 5, 5), row.fill);
        EXPECT_EQ(pixelAt(*button, 0, 0), row.hot ? 0x00FFFFFFu : 0x008396A0u);
    }
}

TEST(TFlatButton, AdvancedColoursDeriveFromColor)
{
    TFlatButton button;
    button.SetColor(0x00C0C0C0);
    button.SetAdvColors(2, 50); // stored, but nothing derived while UseAdvColors is off
    EXPECT_EQ(button.ColorBorder(), 0x008396A0u);
    button.SetUseAdvColors(true);
    EXPECT_TRUE(button.ParentColor());
    button.SetUseAdvColors(false);
    button.SetColor(0x00C0C0C0);
    button.SetUseAdvColors(true);
    // ParentColor came back with UseAdvColors: Color is the (plain) parent's face again.
    EXPECT_EQ(button.Color(), clBtnFace);
    EXPECT_EQ(button.ColorBorder(), CalcAdvancedColor(clBtnFace, 0, 50, darken));
    EXPECT_EQ(button.ColorFocused(), CalcAdvancedColor(clBtnFace, 0, 10, lighten));
    EXPECT_EQ(button.ColorDown(), CalcAdvancedColor(clBtnFace, 0, 10, darken));
}

TEST(TFlatButton, DestroyingTheWatchedButtonLeavesNoDanglingWatch)
{
    Form form;
    ASSERT_TRUE(showActive(form.window));
    QTest::mouseMove(form.button, QPoint(5, 5));
    ASSERT_EQ(TFlatButton::mouseInControl(), form.button);
    delete form.button;
    EXPECT_EQ(TFlatButton::mouseInControl(), nullptr);
    EXPECT_FALSE(TFlatButton::mouseTimer()->isActive());
    QTest::mouseMove(form.other, QPoint(5, 5));
    EXPECT_EQ(TFlatButton::mouseInControl(), form.other);
    form.button = nullptr;
}

TEST(TFlatButton, EmptyButtonPaintsNothingAndDoesNotCrash)
{
    TFlatButton button;
    button.resize(0, 0);
    EXPECT_TRUE(button.grab().isNull());
    button.resize(3, 2);
    button.SetGlyph(QImage(16, 16, QImage::Format_RGB32));
    button.SetCaption(QStringLiteral("&Too long for the button"));
    EXPECT_EQ(button.grab().size(), QSize(3, 2));
}
