// The help windows and the about box as a screen reader reads them.
#include "HelpTexts.h"
#include "KitAccessible.h"
#include "SelectionTrackBar.h"
#include "TAboutBox.h"
#include "TfrmConfig.h"
#include "TfrmConfigHelp.h"
#include "TfrmMainHelp.h"

#include <QAccessible>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

// Every (role, text) below iface: the name, or the whole text of a text box.
void collect(QAccessibleInterface *iface, QList<QPair<QAccessible::Role, QString>> &out)
{
    for (int i = 0; i < iface->childCount(); ++i) {
        QAccessibleInterface *child = iface->child(i);
        if (!child)
            continue;
        QAccessibleTextInterface *text = child->textInterface();
        out.append({child->role(),
                    text ? text->text(0, text->characterCount()) : child->text(QAccessible::Name)});
        collect(child, out);
    }
}

} // namespace

TEST(DialogsAccessible, HelpWindowsAndAboutBoxReadAsDialogsWithTheirTexts)
{
    KitAccessible::install();
    const QString help = MainHelpLines().join(QLatin1Char('\n'));
    const QString configHelp = ConfigHelpLines().join(QLatin1Char('\n'));
    struct Row {
        const char *name;
        std::function<std::unique_ptr<QWidget>()> make;
        QString title;
        QList<QPair<QAccessible::Role, QString>> holds;
    };
    const Row rows[] = {
        {"quick help",
         [] { return std::make_unique<TfrmMainHelp>(); },
         QStringLiteral("Voltline Quick Help"),
         {{QAccessible::EditableText, help}, {QAccessible::Button, QStringLiteral("Close")}}},
        {"configuration help",
         [] { return std::make_unique<TfrmConfigHelp>(); },
         QStringLiteral("Voltline Configuration Help"),
         {{QAccessible::EditableText, configHelp}, {QAccessible::Button, QStringLiteral("Close")}}},
        {"about box",
         [] { return std::make_unique<TAboutBox>(); },
         QStringLiteral("Voltline 1.10"),
         {{QAccessible::StaticText, QStringLiteral("Quorvex Voltline")},
          {QAccessible::StaticText, QStringLiteral("Version: 1.10    Build: 145")},
          {QAccessible::StaticText, QStringLiteral("Compatible with Windows 95/98/2000")},
          {QAccessible::Button, QStringLiteral("OK")}}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        std::unique_ptr<QWidget> window = row.make();
        window->show();
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(window.get());
        ASSERT_NE(iface, nullptr);
        EXPECT_EQ(iface->role(), QAccessible::Dialog);
        EXPECT_EQ(iface->text(QAccessible::Name), row.title);
        QList<QPair<QAccessible::Role, QString>> found;
        collect(iface, found);
        for (const auto &want : row.holds)
            EXPECT_TRUE(found.contains(want)) << want.first << " " << want.second.toStdString();
    }
}

TEST(DialogsAccessible, EachSliderIsNamedByItsLabel)
{
    TfrmConfig dialog;
    dialog.WarnPercent = 25;
    dialog.ShutdownPercent = 10;
    dialog.show();
    const auto name = [](QWidget *w) {
        return QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name);
    };
    EXPECT_EQ(name(dialog.TrackBarWarn), QStringLiteral("Warn @ 25%"));
    EXPECT_EQ(name(dialog.TrackBarShutdown), QStringLiteral("Shutdown @ 10%"));
    dialog.TrackBarWarn->setValue(30);
    EXPECT_EQ(name(dialog.TrackBarWarn), QStringLiteral("Warn @ 30%"));
}
