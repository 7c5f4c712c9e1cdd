// What a screen reader learns of the kit's controls, through Qt's accessibility interfaces.
#include "KitAccessible.h"

#include "KitTestUtil.h"
#include "TFlatButton.h"
#include "TFlatCheckBox.h"
#include "TFlatEdit.h"
#include "TFlatGroupBox.h"
#include "TFlatHintWindow.h"
#include "TFlatProgressBar.h"
#include "TFlatRadioButton.h"

#include <QAccessibleWidget>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using namespace kittest;

namespace {

struct Form {
    QWidget window;
    Form()
    {
        KitAccessible::install();
        window.resize(300, 200);
        window.setFont(testFont());
        parkCursor();
    }
};

template<class Control> Control *captioned(Form &f, const char *caption, const char *hint = "")
{
    auto *c = new Control(&f.window);
    c->SetCaption(QString::fromUtf8(caption));
    c->SetHint(QString::fromUtf8(hint));
    return c;
}

QAccessibleInterface *of(QObject *object)
{
    return QAccessible::queryAccessibleInterface(object);
}

QStringList actions(QAccessibleInterface *iface)
{
    QAccessibleActionInterface *a = iface->actionInterface();
    return a ? a->actionNames() : QStringList();
}

// The one action a click stands for, or empty.
QString clickAction(QAccessibleInterface *iface)
{
    for (const QString &name : actions(iface)) {
        if (name == QAccessibleActionInterface::pressAction() ||
            name == QAccessibleActionInterface::toggleAction())
            return name;
    }
    return {};
}

} // namespace

TEST(KitAccessible, RolesNamesStatesAndActionsOfEachControl)
{
    using Make = std::function<QWidget *(Form &)>;
    struct Row {
        const char *name;
        Make make;
        QAccessible::Role role;
        QString accessibleName, description, shortcut;
        bool checkable, checked;
        QString action; // what a click is called; empty: none
    };
    const QString press = QAccessibleActionInterface::pressAction();
    const QString toggle = QAccessibleActionInterface::toggleAction();
    const Row rows[] = {
        {"button", [](Form &f) { return captioned<TFlatButton>(f, "&Ok", "Closes the box"); },
         QAccessible::Button, "Ok", "Closes the box", "Alt+O", false, false, press},
        {"button of a group, down",
         [](Form &f) {
             auto *b = captioned<TFlatButton>(f, "&Left");
             b->SetGroupIndex(1);
             b->SetDown(true);
             return b;
         },
         QAccessible::Button, "Left", "", "Alt+L", true, true, toggle},
        {"button, ampersand shown",
         [](Form &f) { return captioned<TFlatButton>(f, "Salt && Pepper"); }, QAccessible::Button,
         "Salt & Pepper", "", "", false, false, press},
        {"check box",
         [](Form &f) {
             return captioned<TFlatCheckBox>(
                 f, "&Snap Window To Screen Edge",
                 "Voltline will be pulled to the nearest edge of the screen");
         },
         QAccessible::CheckBox, "Snap Window To Screen Edge",
         "Voltline will be pulled to the nearest edge of the screen", "Alt+S", true, false, toggle},
        {"check box, checked",
         [](Form &f) {
             auto *c = captioned<TFlatCheckBox>(f, "&Always On Top");
             c->SetChecked(true);
             return c;
         },
         QAccessible::CheckBox, "Always On Top", "", "Alt+A", true, true, toggle},
        {"check box, disabled",
         [](Form &f) {
             auto *c = captioned<TFlatCheckBox>(f, "&Always On Top");
             c->setEnabled(false);
             return c;
         },
         QAccessible::CheckBox, "Always On Top", "", "Alt+A", true, false, ""},
        {"radio button",
         [](Form &f) {
             return captioned<TFlatRadioButton>(
                 f, "Show Window Bevel As &Lowered",
                 "Voltline will appear sunken into the screen in 3D");
         },
         QAccessible::RadioButton, "Show Window Bevel As Lowered",
         "Voltline will appear sunken into the screen in 3D", "Alt+L", true, false, toggle},
        {"group box", [](Form &f) { return captioned<TFlatGroupBox>(f, "Configuration"); },
         QAccessible::Grouping, "Configuration", "", "", false, false, ""},
        {"gauge",
         [](Form &f) {
             auto *g = new TFlatProgressBar(&f.window);
             g->setToolTip(QStringLiteral("Battery"));
             return g;
         },
         QAccessible::ProgressBar, "", "Battery", "", false, false, ""},
        {"hint window",
         [](Form &f) {
             auto *w = new TFlatHintWindow(&f.window);
             w->ActivateHintAt(QRect(), QStringLiteral("Right click for menu"), {10, 10});
             return w;
         },
         QAccessible::ToolTip, "Right click for menu", "", "", false, false, ""},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Form form;
        QWidget *control = row.make(form);
        QAccessibleInterface *iface = of(control);
        ASSERT_NE(iface, nullptr);
        EXPECT_EQ(iface->role(), row.role);
        EXPECT_EQ(iface->text(QAccessible::Name), row.accessibleName);
        EXPECT_EQ(iface->text(QAccessible::Description), row.description);
        EXPECT_EQ(iface->text(QAccessible::Accelerator), row.shortcut);
        const QAccessible::State state = iface->state();
        EXPECT_EQ(bool(state.checkable), row.checkable);
        EXPECT_EQ(bool(state.checked), row.checked);
        EXPECT_EQ(bool(state.disabled), !control->isEnabled());
        EXPECT_EQ(clickAction(iface), row.action);
        if (!row.action.isEmpty() && !row.shortcut.isEmpty()) {
            EXPECT_EQ(iface->actionInterface()->keyBindingsForAction(row.action),
                      QStringList{row.shortcut});
        }
    }
}

TEST(KitAccessible, FocusableAndFocusedFollowTheControl)
{
    Form form;
    auto *button = captioned<TFlatButton>(form, "&Ok"); // no tab stop: a click still focuses it
    auto *box = captioned<TFlatCheckBox>(form, "&Snap");
    auto *group = captioned<TFlatGroupBox>(form, "Configuration");
    ASSERT_TRUE(showActive(form.window));
    button->setFocus();
    EXPECT_TRUE(of(button)->state().focusable);
    EXPECT_TRUE(of(button)->state().focused);
    EXPECT_FALSE(of(box)->state().focused);
    box->setFocus();
    EXPECT_FALSE(of(button)->state().focused);
    EXPECT_TRUE(of(box)->state().focused);
    EXPECT_FALSE(of(group)->state().focusable);
}

TEST(KitAccessible, ActionsDoWhatAClickDoes)
{
    Form form;
    auto *box = captioned<TFlatCheckBox>(form, "&Snap");
    auto *raised = captioned<TFlatRadioButton>(form, "&Raised");
    auto *lowered = captioned<TFlatRadioButton>(form, "&Lowered");
    auto *button = captioned<TFlatButton>(form, "&Ok");
    raised->SetChecked(true);
    QSignalSpy boxClicks(box, &TFlatCheckBox::clicked);
    QSignalSpy buttonClicks(button, &TFlatButton::clicked);
    const QString toggle = QAccessibleActionInterface::toggleAction();

    of(box)->actionInterface()->doAction(toggle);
    ASSERT_TRUE(waitFor([&] { return box->Checked(); }));
    EXPECT_EQ(boxClicks.count(), 1);
    EXPECT_TRUE(of(box)->state().checked);
    of(box)->actionInterface()->doAction(toggle);
    ASSERT_TRUE(waitFor([&] { return !box->Checked(); }));

    // A radio button is checked, never unchecked, by a click.
    of(lowered)->actionInterface()->doAction(toggle);
    ASSERT_TRUE(waitFor([&] { return lowered->Checked(); }));
    EXPECT_FALSE(raised->Checked());
    of(lowered)->actionInterface()->doAction(toggle);
    QTest::qWait(20);
    EXPECT_TRUE(lowered->Checked());

    of(button)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    ASSERT_TRUE(waitFor([&] { return buttonClicks.count() == 1; }));

    // Disabled, the action is not offered and does nothing.
    box->setEnabled(false);
    of(box)->actionInterface()->doAction(toggle);
    QTest::qWait(20);
    EXPECT_FALSE(box->Checked());
}

TEST(KitAccessible, TheEditsTextReadsAndWrites)
{
    Form form;
    auto *edit = new TFlatEdit(&form.window);
    edit->setText(QStringLiteral("57"));
    QAccessibleInterface *iface = of(edit);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->role(), QAccessible::EditableText);
    ASSERT_NE(iface->textInterface(), nullptr);
    EXPECT_EQ(iface->textInterface()->text(0, 2), QStringLiteral("57"));
    ASSERT_NE(iface->editableTextInterface(), nullptr);
    iface->editableTextInterface()->replaceText(0, 2, QStringLiteral("42"));
    EXPECT_EQ(edit->text(), QStringLiteral("42"));
}
