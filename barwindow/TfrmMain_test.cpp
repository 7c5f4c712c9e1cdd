#include "TfrmMain.h"

#include "FakeShutdownRequester.h"
#include "KitAccessible.h"
#include "Monitor.h"
#include "ScriptedPowerSource.h"
#include "SettingsStore.h"
#include "StateIcons.h"
#include "StripAccessible.h"
#include "TColor.h"
#include "TFlatHint.h"
#include "TFlatProgressBar.h"
#include "TrayIcon.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

QImage iconImage(const QIcon &icon)
{
    return icon.pixmap(16, 16).toImage();
}

QString iconName(const QIcon &icon)
{
    const QImage img = iconImage(icon);
    if (img == iconImage(appQIcon()))
        return QStringLiteral("AppIcon");
    const struct {
        StateIcon icon;
        const char *name;
    } names[] = {{StateIcon::AC, "AC"},       {StateIcon::Charging, "Charging"},
                 {StateIcon::Full, "Full"},   {StateIcon::Half, "Half"},
                 {StateIcon::Empty, "Empty"}, {StateIcon::EmptyWarn, "EmptyWarn"},
                 {StateIcon::None, "None"}};
    for (const auto &n : names)
        if (img == iconImage(stateQIcon(n.icon)))
            return QString::fromLatin1(n.name);
    return QStringLiteral("?");
}

// Records what the bar asks of the notification area.
class FakeTray final : public TrayIcon {
public:
    explicit FakeTray(const bool *available, QStringList *log, int *live)
        : m_available(available)
        , m_log(log)
        , m_live(live)
    {
    }
    bool available() const override { return *m_available; }
    void add(const QIcon &icon, const QString &tip) override
    {
        *m_log << QStringLiteral("add %1 %2").arg(iconName(icon), tip);
        if (*m_live == 0)
            *m_live = 1;
    }
    void modify(const QIcon &icon, const QString &tip) override
    {
        *m_log << QStringLiteral("modify %1 %2").arg(iconName(icon), tip);
    }
    void remove() override
    {
        *m_log << QStringLiteral("remove");
        *m_live = 0;
    }
    void setEventHandler(EventHandler handler) override { m_handler = std::move(handler); }
    EventHandler m_handler;

private:
    const bool *m_available;
    QStringList *m_log;
    int *m_live;
};

const QString kAddTip = QStringLiteral("Voltline 1.09\nLeft click: Restore\nRight click: Menu");
const QString kBatteryTip =
    QStringLiteral("Voltline 1.09\nStatus: Battery\nLeft: Restore\nRight: Menu");

PowerStatusReading onBattery(int percent)
{
    return {0, quint8(percent > 66 ? 1 : percent < 33 ? 2 : 0), quint8(percent), 3600};
}

struct Rig {
    explicit Rig(bool trayAvailable = true, QList<PowerStatusReading> readings = {onBattery(57)},
                 QList<WorkAreaRect> areas = {WorkAreaRect{0, 0, 1280, 800}})
        : trayAvailable(trayAvailable)
        , source(readings, areas)
        , store(StorePaths{dir.filePath(QStringLiteral("user.reg")),
                           dir.filePath(QStringLiteral("none/autostart/voltline.desktop")),
                           QStringLiteral("/usr/bin/voltline")})
        , frm(source, store, shutdown,
              std::make_unique<FakeTray>(&this->trayAvailable, &log, &live))
    {
    }
    bool trayAvailable; // a notification area may appear later
    QTemporaryDir dir;
    ScriptedPowerSource source;
    SettingsStore store;
    FakeShutdownRequester shutdown;
    QStringList log;
    int live = 0;
    TfrmMain frm;
};

// Waits for queued menu commands and window-system events.
void settle()
{
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

} // namespace

TEST(TfrmMain, StripAtSeveralHeights)
{
    for (int h : {15, 20, 21, 48}) {
        SCOPED_TRACE(h);
        Rig rig;
        TfrmMain &frm = rig.frm;
        frm.setWindowHeight(h);
        const BarLayout &l = frm.layout();
        ASSERT_EQ(frm.height(), h);
        ASSERT_EQ(frm.width(), l.windowWidth);
        EXPECT_EQ(frm.ProgressBar->geometry(), l.ProgressBar);
        EXPECT_EQ(frm.monitor().IconLeft, l.IconLeft);
        EXPECT_EQ(frm.monitor().IconWidth, h - 4);

        const QImage img = frm.grab().toImage();
        const QRgb light = ColorToQColor(clBtnHighlight).rgb();
        const QRgb dark = ColorToQColor(clBtnShadow).rgb();
        const QRgb face = ColorToQColor(clBtnFace).rgb();
        const int w = frm.width();
        EXPECT_EQ(img.pixel(0, 0), light);
        EXPECT_EQ(img.pixel(w / 2, 0), light);
        EXPECT_EQ(img.pixel(0, h - 1), light); // the corner belongs to the left edge
        EXPECT_EQ(img.pixel(w - 1, 0), dark);  // and this one to the right edge
        EXPECT_EQ(img.pixel(w / 2, h - 1), dark);
        EXPECT_EQ(img.pixel(w - 1, h / 2), dark);
        // The icon area stays empty until a tick draws into it.
        EXPECT_EQ(img.pixel(l.IconLeft + l.IconWidth / 2, 2 + l.IconHeight / 2), face);

        frm.applyBevelStyle(false);
        const QImage lowered = frm.grab().toImage();
        EXPECT_EQ(lowered.pixel(0, 0), dark);
        EXPECT_EQ(lowered.pixel(w - 1, h - 1), light);
    }
}

TEST(TfrmMain, HeightIsLimitedAndWidthFollows)
{
    Rig rig;
    const struct {
        int asked, got;
    } rows[] = {{100, 48}, {3, 15}, {-5, 15}, {30, 30}};
    rig.frm.show(); // a hidden window gets its resize events only when shown
    settle();
    for (const auto &r : rows) {
        SCOPED_TRACE(r.asked);
        rig.frm.setWindowHeight(r.asked);
        EXPECT_EQ(rig.frm.height(), r.got);
        EXPECT_EQ(rig.frm.width(), rig.frm.layout().windowWidth);
        EXPECT_EQ(rig.frm.layout().IconWidth, r.got - 4);
        // Another width (a window manager's, or the second pass of a resize) is laid out
        // back to the strip's own, the parts where they were.
        const QRect time = rig.frm.lblTime.geometry();
        rig.frm.resize(rig.frm.width() + 9, rig.frm.height());
        EXPECT_EQ(rig.frm.width(), rig.frm.layout().windowWidth);
        EXPECT_EQ(rig.frm.lblTime.geometry(), time);
    }
}

TEST(TfrmMain, IconPaintedOncePerTickRequest)
{
    Rig rig;
    TfrmMain &frm = rig.frm;
    const BarLayout &l = frm.layout();
    const QPoint centre(l.IconLeft + l.IconWidth / 2, 2 + l.IconHeight / 2);
    const QRgb face = ColorToQColor(clBtnFace).rgb();

    frm.tmrComputeInfoTimer(); // first tick: state change, no icon yet
    EXPECT_EQ(frm.grab().toImage().pixel(centre), face);
    frm.tmrComputeInfoTimer(); // second tick draws it
    const QImage drawn = frm.grab().toImage();
    bool blue = false;
    for (int x = l.IconLeft; x < l.IconLeft + l.IconWidth; ++x) {
        const QColor c = drawn.pixelColor(x, centre.y());
        blue = blue || (c.blue() > 150 && c.red() < 120);
    }
    EXPECT_TRUE(blue);
    // A repaint without a tick leaves the area empty again.
    EXPECT_EQ(frm.grab().toImage().pixel(centre), face);
}

TEST(TfrmMain, LabelsAndTitleFollowTheMonitor)
{
    Rig rig;
    rig.frm.tmrComputeInfoTimer();
    rig.frm.tmrDisplayInfoTimer();
    EXPECT_EQ(rig.frm.lblPercent.text(), QStringLiteral("57%"));
    EXPECT_TRUE(rig.frm.windowTitle().startsWith(QStringLiteral("57%, ")));
    EXPECT_TRUE(rig.frm.windowTitle().endsWith(QStringLiteral(" : Voltline")));
    EXPECT_EQ(rig.frm.lblTime.text(), rig.frm.monitor().TimeText);
    EXPECT_EQ(rig.frm.toolTip(), QStringLiteral("Battery Power - Right click for menu"));
    // Re-creating the window (stacking style) keeps the texts; a new height measures again.
    rig.frm.show();
    rig.frm.mnuAlwaysOnTop->trigger();
    settle();
    EXPECT_EQ(rig.frm.lblPercent.text(), QStringLiteral("57%"));
    rig.frm.setWindowHeight(30);
    EXPECT_EQ(rig.frm.lblPercent.text(), QStringLiteral("100%"));
    // The label keeps its left edge when its text gets shorter.
    EXPECT_EQ(rig.frm.lblPercent.geometry().left(), 3);
}

TEST(TfrmMain, ReadsAsAWindowOfTextsAGaugeAndAnIcon)
{
    KitAccessible::install();
    StripAccessible::install();
    Rig rig;
    rig.frm.show();
    rig.frm.tmrComputeInfoTimer();
    rig.frm.tmrDisplayInfoTimer();
    QAccessibleInterface *strip = QAccessible::queryAccessibleInterface(&rig.frm);
    ASSERT_NE(strip, nullptr);
    EXPECT_EQ(strip->role(), QAccessible::Window);
    EXPECT_EQ(strip->text(QAccessible::Name), rig.frm.windowTitle());
    EXPECT_EQ(strip->text(QAccessible::Description),
              QStringLiteral("Battery Power - Right click for menu"));

    struct Child {
        QAccessible::Role role;
        QString name;
        QRect local;
    };
    const BarLayout &l = rig.frm.layout();
    const Child want[] = {
        {QAccessible::StaticText, QStringLiteral("57%"), rig.frm.lblPercent.geometry()},
        {QAccessible::ProgressBar, QString(), rig.frm.ProgressBar->geometry()},
        {QAccessible::StaticText, rig.frm.lblTime.text(), rig.frm.lblTime.geometry()},
        {QAccessible::Graphic, QStringLiteral("Battery Power OK"),
         QRect(l.IconLeft, 2, l.IconWidth, l.IconHeight)}};
    ASSERT_EQ(strip->childCount(), int(std::size(want)));
    for (int i = 0; i < strip->childCount(); ++i) {
        SCOPED_TRACE(i);
        QAccessibleInterface *child = strip->child(i);
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(child->role(), want[i].role);
        EXPECT_EQ(child->text(QAccessible::Name), want[i].name);
        const QRect global(rig.frm.mapToGlobal(want[i].local.topLeft()), want[i].local.size());
        EXPECT_EQ(child->rect(), global);
        EXPECT_EQ(strip->indexOfChild(child), i);
        EXPECT_EQ(child->parent(), strip);
        EXPECT_EQ(strip->childAt(global.center().x(), global.center().y()), child);
    }
    EXPECT_EQ(strip->child(1)->valueInterface()->currentValue().toInt(), 57);

    // Below the warning level the icon turns to the warning, and says so.
    rig.frm.settings().WarnPercent = 60;
    rig.frm.tmrComputeInfoTimer();
    EXPECT_EQ(strip->child(3)->text(QAccessible::Name), QStringLiteral("Battery Power Critical"));
}

TEST(TfrmMain, NoHintOverTheTimeLabel)
{
    Rig rig;
    const struct {
        const char *name;
        QPoint at;
        bool shown;
    } rows[] = {{"time label", rig.frm.lblTime.geometry().center(), false},
                {"percent label", rig.frm.lblPercent.geometry().center(), true},
                {"gauge", rig.frm.ProgressBar->geometry().center(), true}};
    for (const auto &r : rows) {
        SCOPED_TRACE(r.name);
        QString text = rig.frm.toolTip();
        bool canShow = true;
        THintInfo info;
        info.HintControl = &rig.frm;
        info.CursorPos = rig.frm.mapToGlobal(r.at);
        rig.frm.FlatHint->GetHintInfo(text, canShow, info);
        EXPECT_EQ(canShow, r.shown);
    }
}

TEST(TfrmMain, MenuItems)
{
    Rig rig;
    const struct {
        QAction *action;
        const char *caption;
        const char *shortcut;
    } rows[] = {{rig.frm.mnuMinimize, "&Minimize", "Ctrl+M"},
                {rig.frm.mnuRestore, "&Restore", "Ctrl+R"},
                {rig.frm.mnuBatteryStatus, "Battery &Status", "Ctrl+S"},
                {rig.frm.mnuAlwaysOnTop, "&Always On Top", "Ctrl+A"},
                {rig.frm.mnuConfiguration, "&Configuration", "Ctrl+C"},
                {rig.frm.mnuFullHelp, "&Help", "Ctrl+H"},
                {rig.frm.mnuHelp, "&Quick Help", "Ctrl+Q"},
                {rig.frm.mnuAbout, "A&bout", "Ctrl+B"},
                {rig.frm.mnuExit, "E&xit", "Ctrl+X"}};
    QList<QAction *> inMenu;
    for (QAction *a : rig.frm.popMain->actions())
        if (!a->isSeparator())
            inMenu << a;
    ASSERT_EQ(inMenu.size(), 9);
    ASSERT_EQ(rig.frm.popMain->actions().size(), 11);
    EXPECT_TRUE(rig.frm.popMain->actions().at(3)->isSeparator());
    EXPECT_TRUE(rig.frm.popMain->actions().at(9)->isSeparator());
    for (int i = 0; i < 9; ++i) {
        SCOPED_TRACE(rows[i].caption);
        EXPECT_EQ(inMenu[i], rows[i].action);
        EXPECT_EQ(rows[i].action->text(), QString::fromLatin1(rows[i].caption));
        EXPECT_EQ(rows[i].action->shortcut(), QKeySequence(QString::fromLatin1(rows[i].shortcut)));
        EXPECT_EQ(rows[i].action->shortcutContext(), Qt::WindowShortcut);
        EXPECT_TRUE(rig.frm.actions().contains(rows[i].action));
    }
    EXPECT_TRUE(rig.frm.mnuAlwaysOnTop->isCheckable());
}

TEST(TfrmMain, TrayPresence)
{
    const QString appTip = QStringLiteral("add AppIcon ") + kAddTip;
    const QString halfTip = QStringLiteral("modify Half ") + kBatteryTip;
    {
        SCOPED_TRACE("start in tray mode");
        Rig rig;
        rig.frm.tmrComputeInfoTimer();
        rig.frm.show();
        settle();
        EXPECT_EQ(rig.log, QStringList({appTip, halfTip}));
        EXPECT_TRUE(rig.frm.presence().TrayIconShown);
        EXPECT_FALSE(rig.frm.presence().inTaskList());
    }
    {
        SCOPED_TRACE("Always On Top twice leaves one icon and the style");
        Rig rig;
        rig.frm.tmrComputeInfoTimer();
        rig.frm.show();
        settle();
        rig.log.clear();
        const bool onTop = rig.frm.alwaysOnTopChecked();
        rig.frm.mnuAlwaysOnTop->trigger(); // as the menu and Ctrl+A do
        settle();
        EXPECT_EQ(rig.frm.alwaysOnTopChecked(), !onTop);
        EXPECT_EQ(rig.frm.windowFlags().testFlag(Qt::WindowStaysOnTopHint), !onTop);
        rig.frm.mnuAlwaysOnTop->trigger();
        settle();
        EXPECT_EQ(rig.frm.alwaysOnTopChecked(), onTop);
        EXPECT_EQ(rig.frm.windowFlags().testFlag(Qt::WindowStaysOnTopHint), onTop);
        EXPECT_EQ(rig.log, QStringList({"remove", appTip, halfTip, "remove", appTip, halfTip}));
        EXPECT_EQ(rig.live, 1);
        EXPECT_TRUE(rig.frm.isVisible());
    }
    {
        SCOPED_TRACE("minimize to the tray, left click brings it back");
        Rig rig;
        rig.frm.show();
        settle();
        rig.frm.mnuMinimizeClick();
        EXPECT_FALSE(rig.frm.isVisible());
        EXPECT_EQ(rig.live, 1);
        rig.frm.TrayIconNotify(BarPresence::WM_LBUTTONUP);
        settle();
        EXPECT_TRUE(rig.frm.isVisible());
        rig.frm.mnuMinimizeClick();
        rig.frm.mnuRestoreClick();
        EXPECT_TRUE(rig.frm.isVisible());
    }
    {
        SCOPED_TRACE("style change while hidden in the tray keeps the icon");
        Rig rig;
        rig.frm.show();
        settle();
        rig.frm.mnuMinimizeClick();
        rig.frm.mnuAlwaysOnTopClick();
        settle();
        EXPECT_EQ(rig.live, 1);
        EXPECT_FALSE(rig.frm.isVisible());
    }
    {
        SCOPED_TRACE("no notification area: task list, quietly");
        Rig rig(false);
        rig.frm.tmrComputeInfoTimer();
        rig.frm.show();
        settle();
        EXPECT_TRUE(rig.log.isEmpty());
        EXPECT_FALSE(rig.frm.presence().TrayIconShown);
        EXPECT_TRUE(rig.frm.presence().inTaskList());
        rig.frm.UpdateTrayTip();
        EXPECT_EQ(iconName(rig.frm.windowIcon()), QStringLiteral("Half"));
    }
    {
        SCOPED_TRACE("undeterminable state shows the application icon");
        Rig rig(true, {{255, 1, 50, -1}});
        rig.frm.tmrComputeInfoTimer();
        rig.frm.show();
        settle();
        EXPECT_EQ(rig.log.last(),
                  QStringLiteral("modify AppIcon Voltline 1.09\nLeft: Restore\nRight: Menu"));
    }
    {
        SCOPED_TRACE("other tray events do nothing");
        Rig rig;
        rig.frm.show();
        settle();
        rig.frm.mnuMinimizeClick();
        rig.frm.TrayIconNotify(0x0203); // double click
        rig.frm.TrayIconNotify(0x0208); // middle button
        EXPECT_FALSE(rig.frm.isVisible());
    }
}

// The panel with the notification area started after the bar, as at a login.
TEST(TfrmMain, JoinsALateNotificationArea)
{
    const QString appTip = QStringLiteral("add AppIcon ") + kAddTip;
    const QString halfTip = QStringLiteral("modify Half ") + kBatteryTip;
    for (const bool wantsTray : {true, false}) {
        SCOPED_TRACE(wantsTray ? "tray mode" : "taskbar mode");
        Rig rig(false);
        rig.frm.settings().ShowInSysTray = wantsTray;
        rig.frm.tmrComputeInfoTimer();
        rig.frm.show();
        settle();
        EXPECT_TRUE(rig.log.isEmpty());
        EXPECT_TRUE(rig.frm.presence().inTaskList());
        rig.trayAvailable = true;
        rig.frm.tmrComputeInfoTimer();
        rig.frm.tmrComputeInfoTimer();
        EXPECT_EQ(rig.log, wantsTray ? QStringList({appTip, halfTip}) : QStringList());
        EXPECT_EQ(rig.frm.presence().TrayIconShown, wantsTray);
        EXPECT_EQ(rig.frm.presence().inTaskList(), !wantsTray);
        EXPECT_TRUE(rig.frm.isVisible());
    }
}

TEST(TfrmMain, ConfigurationSwitchesPresence)
{
    Rig rig;
    rig.frm.tmrComputeInfoTimer();
    rig.frm.show();
    settle();
    rig.log.clear();
    rig.frm.setConfigurationDialog([](ConfigExchange &x) {
        x.ShowInSysTray = false;
        x.Accepted = true;
        return true;
    });
    const bool onTop = rig.frm.alwaysOnTopChecked();
    rig.frm.mnuConfigurationClick();
    EXPECT_EQ(rig.log, QStringList({"remove"}));
    EXPECT_FALSE(rig.frm.presence().TrayIconShown);
    EXPECT_TRUE(rig.frm.presence().inTaskList());
    EXPECT_EQ(iconName(rig.frm.windowIcon()), QStringLiteral("Half"));
    EXPECT_EQ(rig.frm.alwaysOnTopChecked(), onTop);

    // A cancelled dialog applies nothing, a pressed "Reset!" included.
    rig.frm.stats().DrainTime = 999;
    rig.frm.setConfigurationDialog([](ConfigExchange &x) {
        x.ResetStatistics = true;
        x.ShowInSysTray = true;
        x.Accepted = false;
        return false;
    });
    rig.frm.mnuConfigurationClick();
    EXPECT_EQ(rig.frm.stats().DrainTime, 999);
    EXPECT_FALSE(rig.frm.presence().TrayIconShown);
}

// Leaving the tray while the bar is hidden there must leave a way back to it.
TEST(TfrmMain, LeavingTheTrayWhileHiddenKeepsATaskListEntry)
{
    Rig rig;
    rig.frm.show();
    settle();
    rig.frm.mnuMinimizeClick();
    ASSERT_FALSE(rig.frm.isVisible());
    rig.frm.setConfigurationDialog([](ConfigExchange &x) {
        x.ShowInSysTray = false;
        x.Accepted = true;
        return true;
    });
    rig.frm.mnuConfigurationClick();
    settle();
    EXPECT_EQ(rig.live, 0);
    EXPECT_TRUE(rig.frm.isVisible());
    EXPECT_TRUE(rig.frm.isMinimized());
    EXPECT_TRUE(rig.frm.presence().inTaskList());
    rig.frm.mnuRestoreClick();
    EXPECT_FALSE(rig.frm.isMinimized());
}

TEST(TfrmMain, HelpWithoutPathWarns)
{
    Rig rig;
    rig.frm.settings().HelpPath.clear();
    QString caption, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QTimer::singleShot(0, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        caption = box->windowTitle();
        text = box->text();
        icon = box->icon();
        box->accept();
    });
    rig.frm.mnuFullHelpClick();
    EXPECT_EQ(caption, QStringLiteral("Voltline Help"));
    EXPECT_EQ(text, QStringLiteral("Help file not found."));
    EXPECT_EQ(icon, QMessageBox::Warning);
}

TEST(TfrmMain, SnapsOnlyWhenAllowed)
{
    Rig rig;
    rig.frm.move(8, 300);
    rig.frm.SnapToEdges();
    EXPECT_EQ(rig.frm.pos(), QPoint(0, 300));
    rig.frm.move(1280 - rig.frm.width() - 10, 790 - rig.frm.height());
    rig.frm.SnapToEdges();
    EXPECT_EQ(rig.frm.pos(), QPoint(1280 - rig.frm.width(), 800 - rig.frm.height()));

    // Without a known work area the bar stays where it is.
    Rig blind(true, {onBattery(57)}, {WorkAreaRect{}});
    blind.frm.move(300, 200);
    blind.frm.SnapToEdges();
    EXPECT_EQ(blind.frm.pos(), QPoint(300, 200));

    // The tick pulls the bar only with Snap on and the bar neither minimised nor maximised.
    const struct {
        const char *name;
        bool snap;
        Qt::WindowState state;
        bool pulled;
    } rows[] = {{"snap on", true, Qt::WindowNoState, true},
                {"snap off", false, Qt::WindowNoState, false},
                {"minimised", true, Qt::WindowMinimized, false}};
    for (const auto &r : rows) {
        SCOPED_TRACE(r.name);
        Rig tick;
        tick.frm.settings().Snap = r.snap;
        tick.frm.move(8, 300);
        tick.frm.setWindowState(r.state);
        tick.frm.tmrComputeInfoTimer();
        EXPECT_EQ(tick.frm.pos(), r.pulled ? QPoint(0, 300) : QPoint(8, 300));
    }
}

TEST(TfrmMain, CloseSavesOnceAndRemovesTheIcon)
{
    Rig rig;
    rig.frm.show();
    settle();
    rig.frm.close();
    EXPECT_TRUE(rig.frm.formClosed());
    EXPECT_EQ(rig.live, 0);
    rig.log.clear();
    rig.frm.FormClose(); // the session's quit after a close: nothing more
    EXPECT_TRUE(rig.log.isEmpty());
}
