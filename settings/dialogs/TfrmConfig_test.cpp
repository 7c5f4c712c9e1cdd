#include "DialogPlacement.h"
#include "KitControl.h"
#include "SelectionTrackBar.h"
#include "TFlatButton.h"
#include "TFlatCheckBox.h"
#include "TFlatGroupBox.h"
#include "TFlatRadioButton.h"
#include "TfrmConfig.h"
#include "TfrmConfigHelp.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <climits>
#include <functional>

namespace {

bool waitFor(const std::function<bool()> &condition, int deadlineMs = 5000)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > deadlineMs)
            return false;
        QTest::qWait(20);
    }
    return true;
}

// A dialog filled as the configuration command fills it, shown (which runs its show handler).
struct OpenDialog {
    explicit OpenDialog(const ConfigExchange &fields)
    {
        static_cast<ConfigExchange &>(dlg) = fields;
        dlg.show();
    }
    TfrmConfig dlg;
};

ConfigExchange levels(int warn, int shutdown)
{
    ConfigExchange f;
    f.WarnPercent = warn;
    f.ShutdownPercent = shutdown;
    return f;
}

struct OpenRow {
    const char *name;
    int warn, shutdown;
    int wantWarn, wantShutdown;
    int wantSelEnd;
};
const OpenRow kOpenRows[] = {
    {"shutdown off", 25, 0, 25, 0, 24},
    {"warning above the range", 150, 10, 100, 10, 149},
    {"shutdown above warning", 25, 30, 25, 24, 24},
    {"shutdown equal to warning", 40, 40, 40, 39, 39},
    {"both at the top", 100, 100, 100, 99, 99},
    {"warning off", 0, 5, 0, 0, -1},
    {"negative levels", -20, -5, 0, 0, -21},
    {"extreme stored values", INT_MIN, INT_MAX, 0, 0, INT_MIN},
    {"warning just above shutdown", 1, 0, 1, 0, 0},
};

TEST(TfrmConfig, OpeningLimitsTheLevelsAndLabelsThem)
{
    for (const OpenRow &r : kOpenRows) {
        SCOPED_TRACE(r.name);
        OpenDialog o(levels(r.warn, r.shutdown));
        EXPECT_EQ(o.dlg.TrackBarWarn->value(), r.wantWarn);
        EXPECT_EQ(o.dlg.TrackBarShutdown->value(), r.wantShutdown);
        EXPECT_EQ(o.dlg.lblWarn->text(), QStringLiteral("Warn @ %1%").arg(r.wantWarn));
        EXPECT_EQ(o.dlg.lblShutdown->text(), QStringLiteral("Shutdown @ %1%").arg(r.wantShutdown));
        EXPECT_EQ(o.dlg.TrackBarShutdown->selStart(), 1);
        EXPECT_EQ(o.dlg.TrackBarShutdown->selEnd(), r.wantSelEnd);
        // The exchange fields are not touched until OK.
        EXPECT_EQ(o.dlg.WarnPercent, r.warn);
        EXPECT_EQ(o.dlg.ShutdownPercent, r.shutdown);
        o.dlg.btnOKClick();
        EXPECT_TRUE(o.dlg.Accepted);
        EXPECT_EQ(o.dlg.WarnPercent, r.wantWarn);
        EXPECT_EQ(o.dlg.ShutdownPercent, r.wantShutdown);
    }
}

struct MoveRow {
    const char *name;
    int warn, shutdown; // when opened
    int moveWarn;       // -1: leave
    int moveShutdown;   // -1: leave; applied after the warning slider
    int wantShutdown;
};
const MoveRow kMoveRows[] = {
    {"warning down past shutdown", 25, 20, 10, -1, 9},
    {"warning up leaves shutdown", 25, 20, 60, -1, 20},
    {"warning to zero", 25, 20, 0, -1, 0},
    {"shutdown cannot be raised at warning zero", 25, 20, 0, 5, 0},
    {"shutdown raised to warning", 50, 10, -1, 50, 49},
    {"shutdown raised past warning", 50, 10, -1, 100, 49},
    {"shutdown lowered freely", 50, 30, -1, 3, 3},
    {"warning to one", 50, 30, 1, -1, 0},
};

TEST(TfrmConfig, ShutdownStaysBelowWarning)
{
    for (const MoveRow &r : kMoveRows) {
        SCOPED_TRACE(r.name);
        OpenDialog o(levels(r.warn, r.shutdown));
        if (r.moveWarn >= 0)
            o.dlg.TrackBarWarn->setValue(r.moveWarn);
        if (r.moveShutdown >= 0)
            o.dlg.TrackBarShutdown->setValue(r.moveShutdown);
        const int warn = o.dlg.TrackBarWarn->value();
        EXPECT_EQ(o.dlg.TrackBarShutdown->value(), r.wantShutdown);
        EXPECT_EQ(o.dlg.lblShutdown->text(), QStringLiteral("Shutdown @ %1%").arg(r.wantShutdown));
        EXPECT_EQ(o.dlg.lblWarn->text(), QStringLiteral("Warn @ %1%").arg(warn));
        if (r.moveWarn >= 0) {
            EXPECT_EQ(o.dlg.TrackBarShutdown->selEnd(), warn - 1);
        }
        EXPECT_TRUE(warn == 0 ? o.dlg.TrackBarShutdown->value() == 0
                              : o.dlg.TrackBarShutdown->value() < warn);
    }
}

TEST(TfrmConfig, KeyboardCannotPushShutdownUpToWarning)
{
    OpenDialog o(levels(25, 24));
    o.dlg.TrackBarShutdown->setFocus();
    QTest::keyClick(o.dlg.TrackBarShutdown, Qt::Key_Right);
    QTest::keyClick(o.dlg.TrackBarShutdown, Qt::Key_PageUp);
    QTest::keyClick(o.dlg.TrackBarShutdown, Qt::Key_End);
    EXPECT_EQ(o.dlg.TrackBarShutdown->value(), 24);
    EXPECT_EQ(o.dlg.lblShutdown->text(), QStringLiteral("Shutdown @ 24%"));
    QTest::keyClick(o.dlg.TrackBarShutdown, Qt::Key_Left);
    EXPECT_EQ(o.dlg.TrackBarShutdown->value(), 23);
}

TEST(TfrmConfig, DraggingShutdownPastWarningStopsBelowIt)
{
    OpenDialog o(levels(25, 5));
    SelectionTrackBar *bar = o.dlg.TrackBarShutdown;
    QStyleOptionSlider opt;
    opt.initFrom(bar);
    opt.orientation = Qt::Horizontal;
    opt.minimum = bar->minimum();
    opt.maximum = bar->maximum();
    opt.sliderPosition = opt.sliderValue = bar->value();
    opt.tickPosition = bar->tickPosition();
    opt.tickInterval = bar->tickInterval();
    const QPoint thumb = bar->style()
                             ->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, bar)
                             .center();
    QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, thumb);
    for (int x = thumb.x(); x < bar->width(); x += 5) {
        QMouseEvent move(QEvent::MouseMove, QPointF(x, thumb.y()),
                         bar->mapToGlobal(QPointF(x, thumb.y())), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(bar, &move);
        EXPECT_LT(bar->value(), 25) << "at x " << x;
    }
    QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, QPoint(bar->width() - 1, thumb.y()));
    EXPECT_EQ(bar->value(), 24);
    EXPECT_EQ(o.dlg.lblShutdown->text(), QStringLiteral("Shutdown @ 24%"));
}

TEST(TfrmConfig, ShowsTheFieldsAndOkReturnsTheControls)
{
    ConfigExchange in;
    in.Snap = true;
    in.AlwaysOnTop = false;
    in.PopupBoxStatus = true;
    in.RunAtWindowsStartUp = false;
    in.RunAtStartupChanged = true; // stale from the caller: cleared when shown
    in.ShowRaised = true;
    in.ShowInSysTray = false;
    in.WarnPercent = 30;
    in.ShutdownPercent = 5;
    OpenDialog o(in);
    TfrmConfig &d = o.dlg;
    EXPECT_TRUE(d.chkSnapToEdge->Checked());
    EXPECT_FALSE(d.chkAlwaysOnTop->Checked());
    EXPECT_TRUE(d.chkPopupBoxStatus->Checked());
    EXPECT_FALSE(d.chkRunAtWindowStartUp->Checked());
    EXPECT_FALSE(d.chkShowInSysTray->Checked());
    EXPECT_TRUE(d.radioShowRaised->Checked());
    EXPECT_FALSE(d.radioShowLowered->Checked());
    EXPECT_FALSE(d.RunAtStartupChanged);

    // Every control to the other state.
    d.chkSnapToEdge->SetChecked(false);
    d.chkAlwaysOnTop->SetChecked(true);
    d.chkPopupBoxStatus->SetChecked(false);
    d.chkRunAtWindowStartUp->SetChecked(true);
    d.chkShowInSysTray->SetChecked(true);
    d.radioShowLowered->SetChecked(true);
    d.TrackBarWarn->setValue(60);
    d.TrackBarShutdown->setValue(12);
    d.btnOK->Click();

    EXPECT_TRUE(d.Accepted);
    EXPECT_FALSE(d.isVisible());
    EXPECT_FALSE(d.Snap);
    EXPECT_TRUE(d.AlwaysOnTop);
    EXPECT_FALSE(d.PopupBoxStatus);
    EXPECT_FALSE(d.RunAtWindowsStartUp); // stays what the caller gave
    EXPECT_TRUE(d.RunAtStartupChanged);
    EXPECT_TRUE(d.ShowInSysTray);
    EXPECT_FALSE(d.ShowRaised);
    EXPECT_EQ(d.WarnPercent, 60);
    EXPECT_EQ(d.ShutdownPercent, 12);
    EXPECT_FALSE(d.ResetStatistics);
}

TEST(TfrmConfig, RunAtStartupChangedComparesWithTheCallersValue)
{
    struct Row {
        const char *name;
        bool stored;
        int toggles;
        bool want;
    };
    const Row rows[] = {
        {"untouched", true, 0, false},
        {"toggled once", true, 1, true},
        {"toggled twice", false, 2, false},
        {"toggled three times", false, 3, true},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        ConfigExchange in;
        in.RunAtWindowsStartUp = r.stored;
        OpenDialog o(in);
        for (int i = 0; i < r.toggles; ++i)
            o.dlg.chkRunAtWindowStartUp->SetChecked(!o.dlg.chkRunAtWindowStartUp->Checked());
        o.dlg.btnOKClick();
        EXPECT_EQ(o.dlg.RunAtStartupChanged, r.want);
        EXPECT_EQ(o.dlg.RunAtWindowsStartUp, r.stored);
    }
}

TEST(TfrmConfig, CancelKeepsTheCallersFields)
{
    // Cancel by the button, by Escape and by the window manager's close.
    const std::function<void(TfrmConfig &)> cancels[] = {
        [](TfrmConfig &d) { d.btnCancel->Click(); },
        [](TfrmConfig &d) { QTest::keyClick(&d, Qt::Key_Escape); },
        [](TfrmConfig &d) { d.close(); },
    };
    for (const auto &cancel : cancels) {
        ConfigExchange in = levels(25, 10);
        in.Snap = true;
        in.ShowRaised = true;
        OpenDialog o(in);
        o.dlg.chkSnapToEdge->SetChecked(false);
        o.dlg.chkRunAtWindowStartUp->SetChecked(true);
        o.dlg.radioShowLowered->SetChecked(true);
        o.dlg.TrackBarWarn->setValue(5);
        o.dlg.bntReset->Click();
        EXPECT_TRUE(o.dlg.ResetStatistics);
        EXPECT_TRUE(o.dlg.isVisible());
        cancel(o.dlg);
        EXPECT_FALSE(o.dlg.isVisible());
        EXPECT_EQ(o.dlg.result(), QDialog::Rejected);
        EXPECT_FALSE(o.dlg.Accepted);
        EXPECT_FALSE(o.dlg.RunAtStartupChanged);
        EXPECT_TRUE(o.dlg.Snap);
        EXPECT_TRUE(o.dlg.ShowRaised);
        EXPECT_EQ(o.dlg.WarnPercent, 25);
        EXPECT_EQ(o.dlg.ShutdownPercent, 10);
        EXPECT_EQ(o.dlg.frmConfigHelp(), nullptr);
    }
}

TEST(TfrmConfig, ModalRunEndsWithOk)
{
    TfrmConfig d;
    static_cast<ConfigExchange &>(d) = levels(150, 0);
    QTimer::singleShot(0, [] {
        auto *active = qobject_cast<TfrmConfig *>(QApplication::activeModalWidget());
        ASSERT_NE(active, nullptr);
        active->btnOK->Click();
    });
    EXPECT_EQ(d.exec(), QDialog::Accepted);
    EXPECT_TRUE(d.Accepted);
    EXPECT_EQ(d.WarnPercent, 100);
}

TEST(TfrmConfig, WindowAndControls)
{
    TfrmConfig d;
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Voltline Configuration"));
    const Qt::WindowFlags flags = d.windowFlags();
    EXPECT_FALSE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowSystemMenuHint);
    EXPECT_TRUE(flags & Qt::WindowTitleHint);
    EXPECT_NE(d.minimumSize(), d.maximumSize()); // the frame can be resized
    EXPECT_EQ(d.font().family(), QStringLiteral("MS Sans Serif"));
    EXPECT_EQ(d.font().pixelSize(), 11);
    EXPECT_EQ(d.tmrCenterForms->interval(), 1000);
    EXPECT_TRUE(d.tmrCenterForms->isActive());

    struct Place {
        QWidget *control;
        QWidget *parent;
        QRect geometry;
    };
    const Place places[] = {
        {d.Box, &d, {10, 8, 257, 137}},
        {d.chkSnapToEdge, d.Box, {16, 16, 217, 17}},
        {d.chkAlwaysOnTop, d.Box, {16, 40, 201, 17}},
        {d.chkPopupBoxStatus, d.Box, {16, 64, 225, 17}},
        {d.chkRunAtWindowStartUp, d.Box, {16, 88, 233, 17}},
        {d.chkShowInSysTray, d.Box, {16, 112, 233, 17}},
        {d.FlatGroupBox1, &d, {8, 152, 257, 65}},
        {d.radioShowRaised, d.FlatGroupBox1, {16, 16, 201, 17}},
        {d.radioShowLowered, d.FlatGroupBox1, {16, 40, 209, 17}},
        {d.FlatGroupBox2, &d, {8, 224, 257, 113}},
        {d.bntReset, d.FlatGroupBox2, {168, 16, 81, 25}},
        {d.TrackBarWarn, d.FlatGroupBox2, {104, 48, 145, 25}},
        {d.TrackBarShutdown, d.FlatGroupBox2, {104, 80, 145, 25}},
        {d.btnOK, &d, {8, 344, 81, 25}},
        {d.btnCancel, &d, {96, 344, 81, 25}},
        {d.btnHelp, &d, {184, 344, 81, 25}},
    };
    for (const Place &p : places) {
        SCOPED_TRACE(p.control->objectName().toStdString());
        EXPECT_EQ(p.control->parentWidget(), p.parent);
        EXPECT_EQ(p.control->geometry(), p.geometry);
    }
    EXPECT_EQ(d.Label1->pos(), QPoint(14, 20));
    EXPECT_EQ(d.lblWarn->pos(), QPoint(16, 56));
    EXPECT_EQ(d.lblShutdown->pos(), QPoint(16, 88));
    EXPECT_EQ(d.Label1->text(), QStringLiteral("Reset stored battery statistics ->"));
    // Its arrow ends before the button it points at.
    EXPECT_LT(d.Label1->x() + d.Label1->fontMetrics().horizontalAdvance(d.Label1->text()),
              d.bntReset->x());
    EXPECT_EQ(d.Box->Caption(), QStringLiteral("Configuration"));
    EXPECT_EQ(d.FlatGroupBox1->Caption(), QStringLiteral("Appearance"));
    EXPECT_EQ(d.FlatGroupBox2->Caption(), QStringLiteral("Advanced Options"));
    EXPECT_EQ(d.chkRunAtWindowStartUp->Caption(),
              QStringLiteral("Automatically &Run At Windows Startup"));
    EXPECT_EQ(d.bntReset->Caption(), QStringLiteral("Reset!"));
    EXPECT_EQ(d.btnOK->Caption(), QStringLiteral("&Ok"));

    // The fixed layout only works with a font as narrow as the classic one: every caption
    // fits on one line beside its box.
    for (FlatCheckControl *c : std::initializer_list<FlatCheckControl *>{
             d.chkSnapToEdge, d.chkAlwaysOnTop, d.chkPopupBoxStatus, d.chkRunAtWindowStartUp,
             d.chkShowInSysTray, d.radioShowRaised, d.radioShowLowered}) {
        SCOPED_TRACE(c->objectName().toStdString());
        const QString shown = QString(c->Caption()).remove(QLatin1Char('&'));
        EXPECT_LE(c->fontMetrics().horizontalAdvance(shown), c->width() - 17);
    }
}

TEST(TfrmConfig, HintsAndTheirRules)
{
    TfrmConfig d;
    struct Row {
        QWidget *control;
        const char *hint;
        bool shown;
    };
    const Row rows[] = {
        {d.Box, "", false},
        {d.chkSnapToEdge, "Voltline will be pulled to the nearest edge of the screen", true},
        {d.chkAlwaysOnTop, "Voltline will run ontop of all the other windows", true},
        {d.chkPopupBoxStatus, "Voltline will display battery message from the system", true},
        {d.chkRunAtWindowStartUp, "Voltline will start when Windows starts", false},
        {d.chkShowInSysTray, "Voltline will run in the system tray, i.e. by the clock", true},
        {d.radioShowRaised, "Voltline will appear raised 3D", true},
        {d.radioShowLowered, "Voltline will appear sunken into the screen in 3D", true},
        {d.lblWarn, "Percentage level that Voltline's display will become red", true},
        {d.TrackBarWarn, "Percentage level that Voltline's display will become red", true},
        {d.lblShutdown, "Voltline will force the computer to shutdown at this percentage", true},
        {d.TrackBarShutdown,
         "0% will disable, Voltline will force the computer to shutdown at this percentage", true},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.control->objectName().toStdString());
        EXPECT_EQ(r.control->toolTip(), QString::fromUtf8(r.hint));
        EXPECT_EQ(KitControl::showHint(r.control), r.shown);
    }
}

TEST(TfrmConfig, TabOrderFollowsTheGroups)
{
    OpenDialog o(levels(25, 10));
    TfrmConfig &d = o.dlg;
    const QList<QWidget *> want = {d.chkSnapToEdge,
                                   d.chkAlwaysOnTop,
                                   d.chkPopupBoxStatus,
                                   d.chkRunAtWindowStartUp,
                                   d.chkShowInSysTray,
                                   d.radioShowRaised,
                                   d.radioShowLowered,
                                   d.bntReset,
                                   d.TrackBarWarn,
                                   d.TrackBarShutdown,
                                   d.btnOK,
                                   d.btnCancel,
                                   d.btnHelp};
    QList<QWidget *> chain;
    QWidget *w = d.chkSnapToEdge;
    do {
        if (want.contains(w))
            chain << w;
        w = w->nextInFocusChain();
    } while (w != d.chkSnapToEdge);
    EXPECT_EQ(chain, want);
    // Of the two radio buttons only the checked one is a tab stop.
    EXPECT_TRUE(d.radioShowLowered->TabStop());
    EXPECT_FALSE(d.radioShowRaised->TabStop());
}

TEST(TfrmConfig, HelpWindowLivesWithTheDialogOpening)
{
    OpenDialog o(levels(25, 10));
    TfrmConfig &d = o.dlg;
    QPointer<TfrmConfigHelp> help = d.frmConfigHelp();
    ASSERT_FALSE(help.isNull());
    EXPECT_FALSE(help->isVisible());
    EXPECT_FALSE(help->HelpClosed);
    EXPECT_TRUE(help->isWindow());

    const QSize screen = PrimaryScreenSize();
    EXPECT_EQ(d.frameGeometry().topLeft(), CenteredTopLeft(screen, d.frameGeometry().size()));

    d.btnHelp->Click();
    ASSERT_TRUE(help->isVisible());
    const SideBySidePlacement want =
        SideBySide(screen, d.frameGeometry().size(), help->frameGeometry().width());
    EXPECT_EQ(d.frameGeometry().topLeft(), want.dialog);
    EXPECT_EQ(help->frameGeometry().topLeft(), want.help);

    // Closing the help window brings the dialog back to the middle within a second or so.
    help->close();
    EXPECT_FALSE(help->isVisible());
    EXPECT_TRUE(help->HelpClosed);
    EXPECT_TRUE(waitFor([&] { return !help->HelpClosed; }));
    EXPECT_EQ(d.frameGeometry().topLeft(), CenteredTopLeft(screen, d.frameGeometry().size()));

    // Shown again and then OK: it goes with the dialog.
    d.btnHelp->Click();
    EXPECT_TRUE(help->isVisible());
    d.btnOK->Click();
    EXPECT_TRUE(help.isNull());
    EXPECT_EQ(d.frmConfigHelp(), nullptr);
    d.btnHelpClick(); // nothing left to show; must not crash
    d.tmrCenterFormsTimer();
}

TEST(TfrmConfig, HelpWindowStaysUsableWhileTheDialogIsModal)
{
    TfrmConfig d;
    bool closedByClick = false;
    QTimer::singleShot(0, [&] {
        d.btnHelp->Click();
        TfrmConfigHelp *help = d.frmConfigHelp();
        ASSERT_NE(help, nullptr);
        ASSERT_TRUE(
            waitFor([&] { return help->windowHandle() && help->windowHandle()->isExposed(); }));
        // Input through the window system, where a modal dialog blocks other windows.
        QWindow *window = help->windowHandle();
        const QPoint at = help->btnClose->mapTo(help, help->btnClose->rect().center());
        QTest::mouseMove(window, at);
        QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, at);
        closedByClick = help->HelpClosed && !help->isVisible();
        d.btnCancel->Click();
    });
    EXPECT_EQ(d.exec(), QDialog::Rejected);
    EXPECT_TRUE(closedByClick);
}

} // namespace
