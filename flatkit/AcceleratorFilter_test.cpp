#include "AcceleratorFilter.h"

#include "DialogCharEvent.h"
#include "KitControl.h"
#include "KitTestUtil.h"
#include "TFlatButton.h"
#include "TFlatCheckBox.h"
#include "TFlatEdit.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace kittest;

TEST(AcceleratorFilter, TypedCharacter)
{
    struct Row {
        const char *name;
        int key;
        Qt::KeyboardModifiers modifiers;
        QString text;
        QChar want;
    };
    const Row rows[] = {
        {"plain", Qt::Key_S, Qt::NoModifier, QStringLiteral("s"), u's'},
        {"shifted", Qt::Key_S, Qt::ShiftModifier, QStringLiteral("S"), u'S'},
        {"alt without text", Qt::Key_S, Qt::AltModifier, QString(), u's'},
        {"alt digit", Qt::Key_3, Qt::AltModifier, QString(), u'3'},
        {"control", Qt::Key_S, Qt::ControlModifier, QStringLiteral("\x13"), QChar()},
        {"control+alt", Qt::Key_S, Qt::ControlModifier | Qt::AltModifier, QString(), QChar()},
        {"space", Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), u' '},
        {"return", Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"), QChar()},
        {"arrow", Qt::Key_Left, Qt::NoModifier, QString(), QChar()},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const QKeyEvent event(QEvent::KeyPress, row.key, row.modifiers, row.text);
        EXPECT_EQ(AcceleratorFilter::typedCharacter(event), row.want);
    }
}

TEST(AcceleratorFilter, EditKeepsPlainLettersButNotAltLetters)
{
    QWidget window;
    window.resize(200, 100);
    auto *edit = new TFlatEdit(&window);
    auto *button = new TFlatButton(&window);
    button->move(0, 40);
    button->SetCaption(QStringLiteral("&Ok"));
    ASSERT_TRUE(showActive(window));
    edit->setFocus();
    QSignalSpy clicked(button, &TFlatButton::clicked);
    QTest::keyClick(edit, Qt::Key_O);
    EXPECT_EQ(edit->text(), QStringLiteral("o"));
    EXPECT_EQ(clicked.count(), 0);
    QTest::keyClick(edit, Qt::Key_O, Qt::AltModifier);
    EXPECT_EQ(edit->text(), QStringLiteral("o"));
    EXPECT_EQ(clicked.count(), 1);
}

TEST(AcceleratorFilter, FirstVisibleMatchInChildOrderWins)
{
    QWidget window;
    window.resize(200, 200);
    auto *hidden = new TFlatButton(&window);
    auto *panel = new QWidget(&window);
    auto *nested = new TFlatButton(panel);
    auto *later = new TFlatButton(&window);
    for (TFlatButton *b : {hidden, nested, later})
        b->SetCaption(QStringLiteral("&Go"));
    ASSERT_TRUE(showActive(window));
    hidden->hide();
    QSignalSpy hiddenClicks(hidden, &TFlatButton::clicked);
    QSignalSpy nestedClicks(nested, &TFlatButton::clicked);
    QSignalSpy laterClicks(later, &TFlatButton::clicked);
    EXPECT_TRUE(DialogCharEvent::offer(&window, u'g'));
    EXPECT_EQ(hiddenClicks.count(), 0);
    EXPECT_EQ(nestedClicks.count(), 1);
    EXPECT_EQ(laterClicks.count(), 0);
    EXPECT_FALSE(DialogCharEvent::offer(&window, u'x'));
    EXPECT_FALSE(DialogCharEvent::offer(nullptr, u'g'));
}

TEST(AcceleratorFilter, SurvivesAHandlerThatDeletesWidgets)
{
    QWidget window;
    window.resize(200, 200);
    auto *first = new TFlatCheckBox(&window);
    first->SetCaption(QStringLiteral("&Delete the others"));
    auto *panel = new QWidget(&window);
    auto *victim = new TFlatButton(panel);
    victim->SetCaption(QStringLiteral("&Delete"));
    ASSERT_TRUE(showActive(window));
    // Space toggles the focused box without handling the character, so the offer walks on
    // into the widgets that the click handler has just deleted.
    first->setFocus();
    QObject::connect(first, &TFlatCheckBox::clicked, [panel] { delete panel; });
    EXPECT_FALSE(DialogCharEvent::offer(&window, u' '));
    EXPECT_TRUE(first->Checked());
}

TEST(AcceleratorFilter, ControlMadeWithoutParentStillGetsItsWindowsAccelerators)
{
    QWidget window;
    window.resize(200, 100);
    auto *button = new TFlatButton;
    button->SetCaption(QStringLiteral("&Later"));
    button->setParent(&window);
    ASSERT_TRUE(showActive(window));
    QSignalSpy clicked(button, &TFlatButton::clicked);
    QTest::keyClick(&window, Qt::Key_L, Qt::AltModifier);
    EXPECT_EQ(clicked.count(), 1);
}

TEST(KitHints, ShowHintFollowsTheParentsUnlessSetOwn)
{
    QWidget window;
    auto *box = new QWidget(&window);
    auto *inherit = new TFlatCheckBox(box);
    auto *own = new TFlatCheckBox(box);
    own->SetShowHint(true);
    inherit->SetHint(QStringLiteral("tip"));
    EXPECT_TRUE(KitControl::showHint(inherit));
    KitControl::setShowHint(box, false);
    EXPECT_FALSE(KitControl::showHint(inherit));
    EXPECT_TRUE(KitControl::showHint(own));
    QHelpEvent tip(QEvent::ToolTip, QPoint(1, 1), QPoint(1, 1));
    EXPECT_TRUE(KitControl::suppressHint(inherit, &tip));
    EXPECT_FALSE(KitControl::suppressHint(own, &tip));
    window.setProperty("ShowHint", false);
    inherit->SetParentShowHint(false);
    EXPECT_TRUE(KitControl::showHint(inherit)); // nobody set its own ShowHint: on
}
