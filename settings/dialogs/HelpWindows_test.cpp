#include "DialogPlacement.h"
#include "HelpTexts.h"
#include "TFlatButton.h"
#include "TfrmConfigHelp.h"
#include "TfrmMainHelp.h"

#include <QCloseEvent>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextLayout>
#include <gtest/gtest.h>

namespace {

TEST(HelpWindows, QuickHelpWindow)
{
    TfrmMainHelp w;
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Voltline Quick Help"));
    EXPECT_EQ(w.size(), QSize(337, 302));
    EXPECT_EQ(w.minimumSize(), w.maximumSize()); // fixed frame
    EXPECT_TRUE(w.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(w.font().pixelSize(), 11);
    EXPECT_EQ(w.RichEdit1->geometry(), QRect(6, 8, 325, 257));
    EXPECT_TRUE(w.RichEdit1->isReadOnly());
    EXPECT_EQ(w.RichEdit1->toPlainText(), MainHelpLines().join(QLatin1Char('\n')));
    EXPECT_EQ(w.btnClose->geometry(), QRect(128, 272, 81, 25));
    EXPECT_EQ(w.btnClose->Caption(), QStringLiteral("&Close"));
    EXPECT_FALSE(w.isVisible());
}

TEST(HelpWindows, QuickHelpComesBackCentredButIsNotMovedWhileVisible)
{
    TfrmMainHelp w;
    w.showQuickHelp();
    ASSERT_TRUE(w.isVisible());
    // Centred with the frame included.
    const QPoint centre = CenteredTopLeft(PrimaryScreenSize(), w.frameGeometry().size());
    EXPECT_EQ(w.frameGeometry().topLeft(), centre);

    // Asking again while it is up only brings it to the front.
    w.move(10, 20);
    w.showQuickHelp();
    EXPECT_EQ(w.frameGeometry().topLeft(), QPoint(10, 20));

    // Closing hides (the same window is used again) and the next showing re-centres it.
    w.btnClose->Click();
    EXPECT_FALSE(w.isVisible());
    w.showQuickHelp();
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.frameGeometry().topLeft(), centre);

    w.move(30, 40);
    w.close(); // the close box
    EXPECT_FALSE(w.isVisible());
    w.showQuickHelp();
    EXPECT_EQ(w.frameGeometry().topLeft(), centre);
}

TEST(HelpWindows, ConfigurationHelpWindow)
{
    TfrmConfigHelp w;
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Voltline Configuration Help"));
    EXPECT_EQ(w.size(), QSize(336, 302));
    EXPECT_EQ(w.minimumSize(), w.maximumSize());
    EXPECT_TRUE(w.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(w.txtConfigHelp->geometry(), QRect(7, 8, 321, 257));
    EXPECT_TRUE(w.txtConfigHelp->isReadOnly());
    EXPECT_EQ(w.txtConfigHelp->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(w.txtConfigHelp->toPlainText(), ConfigHelpLines().join(QLatin1Char('\n')));
    EXPECT_EQ(w.btnClose->geometry(), QRect(120, 272, 81, 25));
    EXPECT_EQ(w.btnClose->Caption(), QStringLiteral("&Close"));
}

TEST(HelpWindows, ConfigurationHelpReportsEveryWayOfClosing)
{
    const std::function<void(TfrmConfigHelp &)> closers[] = {
        [](TfrmConfigHelp &w) { w.close(); }, // close box
        [](TfrmConfigHelp &w) { w.btnClose->Click(); },
    };
    for (const auto &closeIt : closers) {
        TfrmConfigHelp w;
        EXPECT_FALSE(w.HelpClosed);
        w.show();
        closeIt(w);
        EXPECT_TRUE(w.HelpClosed);
        EXPECT_FALSE(w.isVisible());
        w.HelpClosed = false; // the dialog clears it; the window can be shown again
        w.show();
        EXPECT_TRUE(w.isVisible());
        EXPECT_FALSE(w.HelpClosed);
    }
}

// "One row per line": with the fonts installed here, no row of either window wraps onto a
// second one (a lone last word such as "is" or "less" on the next line).
TEST(HelpWindows, NoRowWraps)
{
    TfrmMainHelp quick;
    TfrmConfigHelp config;
    const struct {
        QWidget *window;
        QTextEdit *box;
    } windows[] = {{&quick, quick.RichEdit1}, {&config, config.txtConfigHelp}};
    for (const auto &w : windows) {
        SCOPED_TRACE(w.window->windowTitle().toStdString());
        w.window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.window));
        QTextDocument *doc = w.box->document();
        int rows = 0;
        for (QTextBlock block = doc->begin(); block.isValid(); block = block.next(), ++rows) {
            ASSERT_NE(block.layout(), nullptr);
            EXPECT_EQ(block.layout()->lineCount(), 1) << block.text().toStdString();
        }
        EXPECT_EQ(rows, w.box->toPlainText().count(QLatin1Char('\n')) + 1);
        // Fitting by a font too small to read would be no fit.
        EXPECT_GE(w.box->font().pixelSize(), 9);
    }
}

} // namespace
