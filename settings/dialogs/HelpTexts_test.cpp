#include "HelpTextBox.h"
#include "HelpTexts.h"

#include <QTextEdit>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

TEST(HelpTexts, KeepLeadingAndTrailingSpaces)
{
    const QStringList &main = MainHelpLines();
    ASSERT_EQ(main.size(), 12);
    EXPECT_EQ(main.first(), QStringLiteral("General Information..."));
    EXPECT_EQ(main[1],
              QStringLiteral("    Voltline calculates the amount of time your battery will last "));
    EXPECT_EQ(main.last(), QStringLiteral("    battery warning."));

    const QStringList &config = ConfigHelpLines();
    ASSERT_EQ(config.size(), 45);
    EXPECT_EQ(config[20], QStringLiteral("    instead of appearing in the Taskbar.  "));
    EXPECT_EQ(config[34], QStringLiteral("    consistantly incorrect."));
    EXPECT_EQ(config.last(), QStringLiteral("    Voltline will not shutdown the computer."));
    // Paragraphs are separated by exactly one empty line.
    int empty = 0;
    for (int i = 0; i < config.size(); ++i) {
        if (config[i].isEmpty()) {
            ++empty;
            EXPECT_FALSE(config[i + 1].startsWith(QLatin1Char(' '))) << "line " << i + 2;
            EXPECT_TRUE(config[i + 1].endsWith(QLatin1String("..."))) << "line " << i + 2;
        }
    }
    EXPECT_EQ(empty, 9);
}

TEST(HelpTexts, TextBoxHoldsTheLinesUnchanged)
{
    for (const QStringList *lines : {&MainHelpLines(), &ConfigHelpLines()}) {
        QWidget parent;
        QTextEdit *box = CreateHelpTextBox(&parent, *lines, QRect(7, 8, 321, 257));
        EXPECT_EQ(box->parent(), &parent);
        EXPECT_TRUE(box->isReadOnly());
        EXPECT_EQ(box->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        EXPECT_EQ(box->toPlainText().split(QLatin1Char('\n')), *lines);
    }
}

} // namespace
