#include "BevelPanel.h"
#include "TAboutBox.h"
#include "TColor.h"
#include "TFlatButton.h"

#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

TEST(TAboutBox, TextsAreSetWhenShown)
{
    TAboutBox box;
    EXPECT_EQ(box.size(), QSize(298, 274));
    EXPECT_EQ(box.minimumSize(), box.maximumSize());
    EXPECT_EQ(box.Label1->text(), QStringLiteral("Compatible with Windows 95/98/2000"));
    box.show();
    EXPECT_EQ(box.windowTitle(), QStringLiteral("Voltline 1.10"));
    EXPECT_EQ(box.ProductName->text(), QStringLiteral("Quorvex Voltline"));
    // Four spaces between the version and the build.
    EXPECT_EQ(box.Version->text(), QStringLiteral("Version: 1.10    Build: 145"));
    // Labels size themselves to their text: nothing is cut off.
    for (QLabel *label : {box.ProductName, box.Version, box.Label1})
        EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text()));
}

TEST(TAboutBox, Layout)
{
    TAboutBox box;
    EXPECT_EQ(box.Panel1->geometry(), QRect(8, 8, 281, 225));
    EXPECT_EQ(box.Image1->parentWidget(), box.Panel1);
    EXPECT_EQ(box.Image1->geometry(), QRect(8, 8, 73, 73));
    EXPECT_EQ(box.ProductName->pos(), QPoint(88, 8));
    EXPECT_EQ(box.Version->pos(), QPoint(88, 24));
    EXPECT_EQ(box.Label1->pos(), QPoint(88, 40));
    EXPECT_EQ(box.btnOK->geometry(), QRect(111, 244, 75, 25));
    EXPECT_EQ(box.btnOK->Caption(), QStringLiteral("OK"));
}

TEST(TAboutBox, PanelBevelsAndLogoArePainted)
{
    TAboutBox box;
    const QImage panel = box.Panel1->grab().toImage();
    const int w = panel.width(), h = panel.height();
    // Outer ring lowered (shadow top-left, highlight bottom-right), inner ring raised.
    EXPECT_EQ(QColor(panel.pixel(0, h / 2)), ColorToQColor(clBtnShadow));
    EXPECT_EQ(QColor(panel.pixel(w - 1, h / 2)), ColorToQColor(clBtnHighlight));
    EXPECT_EQ(QColor(panel.pixel(1, h / 2)), ColorToQColor(clBtnHighlight));
    EXPECT_EQ(QColor(panel.pixel(w - 2, h / 2)), ColorToQColor(clBtnShadow));

    // The logo fills its box: some of it is drawn, in more than one colour.
    const QImage logo = box.Image1->grab().toImage();
    QSet<QRgb> colours;
    for (int y = 0; y < logo.height(); y += 4)
        for (int x = 0; x < logo.width(); x += 4)
            colours.insert(logo.pixel(x, y));
    EXPECT_GT(colours.size(), 2);
}

TEST(TAboutBox, OkEndsTheModalShowing)
{
    TAboutBox box;
    QString titleWhileShown;
    QTimer::singleShot(0, [&] {
        auto *active = qobject_cast<TAboutBox *>(QApplication::activeModalWidget());
        ASSERT_NE(active, nullptr);
        titleWhileShown = active->windowTitle();
        active->btnOK->Click();
    });
    box.exec();
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(titleWhileShown, QStringLiteral("Voltline 1.10"));
}

} // namespace
