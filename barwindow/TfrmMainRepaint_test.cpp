// What one second costs on screen: the strip runs all day on battery, so a steady second may
// repaint the time label and the state icon, the percent label only when the percent moved,
// and never the whole strip.
#include "TfrmMain.h"

#include "FakeShutdownRequester.h"
#include "Monitor.h"
#include "ScriptedPowerSource.h"
#include "SettingsStore.h"
#include "TFlatProgressBar.h"
#include "TPowerInfo.h"
#include "TrayIcon.h"

#include <QApplication>
#include <QPaintEvent>
#include <QRegion>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class NoTray final : public TrayIcon {
public:
    bool available() const override { return true; }
    void add(const QIcon &, const QString &) override {}
    void modify(const QIcon &, const QString &) override {}
    void remove() override {}
    void setEventHandler(EventHandler) override {}
};

// Collects the regions of the strip's paint events.
class PaintRecorder final : public QObject {
public:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            painted += static_cast<QPaintEvent *>(event)->region();
            ++paints;
        }
        return false;
    }
    void clear()
    {
        painted = QRegion();
        paints = 0;
    }
    QRegion painted;
    int paints = 0;
};

PowerStatusReading onBattery(int percent)
{
    return {0, quint8(percent > 66 ? 1 : percent < 33 ? 2 : 0), quint8(percent), 3600};
}

struct Rig {
    Rig()
        : source({onBattery(57)}, {WorkAreaRect{0, 0, 1280, 800}})
        , store(StorePaths{dir.filePath(QStringLiteral("user.reg")),
                           dir.filePath(QStringLiteral("none/autostart/voltline.desktop")),
                           QStringLiteral("/usr/bin/voltline")})
        , frm(source, store, shutdown, std::make_unique<NoTray>())
    {
        // The test plays the seconds itself.
        frm.PowerInfo->timer()->stop();
        frm.tmrComputeInfo->stop();
        frm.tmrDisplayInfo->stop();
    }

    // One second as the three timers deliver it, and the repaint that follows.
    void second(int percent)
    {
        source.appendReading(onBattery(percent));
        frm.PowerInfo->Refresh();
        frm.tmrComputeInfoTimer();
        frm.tmrDisplayInfoTimer();
        for (int i = 0; i < 3; ++i)
            QApplication::processEvents();
    }

    QRect iconRect()
    {
        const Monitor &m = frm.monitor();
        return {m.IconLeft, 2, m.IconWidth, m.IconHeight};
    }

    QTemporaryDir dir;
    ScriptedPowerSource source;
    SettingsStore store;
    FakeShutdownRequester shutdown;
    TfrmMain frm;
};

} // namespace

TEST(TfrmMainRepaint, ASecondRepaintsOnlyWhatChanged)
{
    Rig rig;
    rig.frm.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&rig.frm));
    // The first tick changes the display state (a whole repaint); the second draws the icon.
    rig.second(57);
    rig.second(57);

    PaintRecorder recorder;
    rig.frm.installEventFilter(&recorder);
    // The gauge paints opaquely on its own, without a paint of the strip beneath.
    PaintRecorder gauge;
    rig.frm.ProgressBar->installEventFilter(&gauge);
    const QRect whole = rig.frm.rect();

    struct Step {
        const char *name;
        int percent;
        bool percentMoves;
    };
    const Step steps[] = {
        {"steady", 57, false},       {"steady again", 57, false},      {"percent drops", 56, true},
        {"steady after", 56, false}, {"two points at once", 54, true},
    };
    for (const Step &step : steps) {
        SCOPED_TRACE(step.name);
        const QRect timeBefore = rig.frm.lblTime.geometry();
        const QRect percentBefore = rig.frm.lblPercent.geometry();
        recorder.clear();
        gauge.clear();
        rig.second(step.percent);

        QRegion allowed = QRegion(timeBefore) + rig.frm.lblTime.geometry() + rig.iconRect();
        if (step.percentMoves)
            allowed += QRegion(percentBefore) + rig.frm.lblPercent.geometry() +
                       rig.frm.ProgressBar->geometry();
        EXPECT_GE(recorder.paints, 1) << "the time label changes every second";
        const QRect outside = (recorder.painted - allowed).boundingRect();
        EXPECT_TRUE(outside.isEmpty())
            << "painted outside the changed parts: " << outside.x() << "," << outside.y() << " "
            << outside.width() << "x" << outside.height();
        EXPECT_FALSE((QRegion(whole) - recorder.painted).isEmpty())
            << "the whole strip was repainted";
        if (!step.percentMoves) {
            EXPECT_FALSE(recorder.painted.intersects(percentBefore))
                << "an unchanged percent label was repainted";
            EXPECT_EQ(gauge.paints, 0) << "an unchanged gauge was repainted";
        }
    }
}
