#include "TFlatEdit.h"

#include "KitTestUtil.h"
#include "TFlatButton.h"

#include <gtest/gtest.h>

using namespace kittest;

namespace {

constexpr TColor kBorder = 0x008396A0;

struct Form {
    QWidget window;
    TFlatEdit *edit = nullptr;
    TFlatEdit *second = nullptr;
    TFlatButton *button = nullptr;
    Form()
    {
        window.resize(300, 200);
        window.setFont(testFont());
        edit = new TFlatEdit(&window);
        second = new TFlatEdit(&window);
        button = new TFlatButton(&window);
        edit->setGeometry(10, 10, 121, 21);
        second->move(10, 60);
        button->move(10, 120);
        parkCursor();
    }
};

void expectRing(TFlatEdit &edit, TColor fill)
{
    const QImage img = image(edit);
    const int r = img.width() - 1;
    const int b = img.height() - 1;
    for (const QPoint p :
         {QPoint(0, 0), QPoint(r, 0), QPoint(0, b), QPoint(r, b), QPoint(50, 0), QPoint(0, 8)})
        EXPECT_EQ(pixel(img, p.x(), p.y()), kBorder) << p.x() << "," << p.y();
    for (const QPoint p : {QPoint(1, 1), QPoint(2, 2), QPoint(r - 1, b - 1), QPoint(r - 2, b - 2),
                           QPoint(50, 1), QPoint(50, 2), QPoint(50, b - 2)})
        EXPECT_EQ(pixel(img, p.x(), p.y()), fill) << p.x() << "," << p.y();
    // Behind the (empty) text the same fill.
    EXPECT_EQ(pixel(img, 60, b / 2), fill);
}

} // namespace

TEST(TFlatEdit, HeightFollowsTheFont)
{
    Form form;
    const int lineHeight = QFontMetrics(testFont()).height();
    EXPECT_EQ(form.edit->height(), lineHeight + 6);
    QFont big = testFont();
    big.setPointSize(16);
    form.edit->setFont(big);
    EXPECT_EQ(form.edit->height(), QFontMetrics(big).height() + 6);
}

TEST(TFlatEdit, RingAndFillFollowFocus)
{
    Form form;
    ASSERT_TRUE(showActive(form.window));
    form.button->setFocus();
    expectRing(*form.edit, ColorToRGB(clBtnFace));
    EXPECT_EQ(form.edit->Color(), clBtnFace);
    form.edit->setFocus();
    expectRing(*form.edit, 0x00FFFFFF);
    form.edit->setText(QStringLiteral("MMMM"));
    bool ink = false;
    const QImage img = image(*form.edit);
    for (int y = 3; y < img.height() - 3; ++y)
        for (int x = 3; x < 40; ++x)
            ink = ink || pixel(img, x, y) != 0x00FFFFFFu;
    EXPECT_TRUE(ink);
}

TEST(TFlatEdit, HoverHighlightsOnlyWhileNoOtherEditHasTheFocus)
{
    struct Row {
        const char *name;
        bool focusFirstEdit;
        bool active;
        bool highlighted;
    };
    const Row rows[] = {{"focus on a button", false, true, true},
                        {"focus on another edit", true, true, false},
                        {"application inactive", false, false, false}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Form form;
        ASSERT_TRUE(showActive(form.window));
        (row.focusFirstEdit ? static_cast<QWidget *>(form.edit) : form.button)->setFocus();
        if (!row.active)
            QApplication::setActiveWindow(nullptr);
        QTest::mouseMove(form.second, QPoint(20, 5));
        EXPECT_EQ(form.second->Highlighted(), row.highlighted);
        expectRing(*form.second, row.highlighted ? 0x00FFFFFFu : ColorToRGB(clBtnFace));
        QTest::mouseMove(&form.window, QPoint(250, 180));
        EXPECT_FALSE(form.second->Highlighted());
    }
}

TEST(TFlatEdit, ParentColorRules)
{
    Form form;
    EXPECT_TRUE(form.edit->ParentColor());
    EXPECT_EQ(form.edit->ColorFlat(), clBtnFace);
    form.edit->SetColors(2, 0x00AABBCC);
    EXPECT_FALSE(form.edit->ParentColor());
    expectRing(*form.edit, 0x00AABBCC);

    // A parent colour change no longer reaches it...
    QPalette palette = form.window.palette();
    palette.setColor(QPalette::Window, QColor(0x10, 0x20, 0x30));
    form.window.setPalette(palette);
    EXPECT_EQ(form.edit->ColorFlat(), 0x00AABBCCu);
    EXPECT_EQ(form.second->ColorFlat(), 0x00302010u);
    // ...until ParentColor is set again, which copies the parent's colour at once.
    form.edit->SetParentColor(true);
    EXPECT_EQ(form.edit->ColorFlat(), 0x00302010u);
    expectRing(*form.edit, 0x00302010);

    // Shading from the flat colour; amounts of 0 keep the colours.
    form.second->SetAdvColors(0, 0);
    form.second->SetAdvColors(1, 0);
    form.second->SetUseAdvColors(true);
    EXPECT_EQ(form.second->ColorFocused(), 0x00FFFFFFu);
    EXPECT_EQ(form.second->ColorBorder(), kBorder);
    form.second->SetAdvColors(1, 50);
    EXPECT_EQ(form.second->ColorBorder(), CalcAdvancedColor(0x00302010, 0, 50, darken));
}
