// Voltline runs for weeks: whatever the strip keeps per second, percent step, save or state
// change adds up. Hours of the real strip on a cycling battery, played in seconds; once every
// state, icon and text has been shown, the heap must hold still.
#include "TfrmMain.h"

#include "CountingMalloc.h"
#include "FakeShutdownRequester.h"
#include "PowerSource.h"
#include "SettingsStore.h"
#include "TPowerInfo.h"
#include "TrayIcon.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

// A laptop's day in fast motion: a percent step every kStepSeconds (long enough to be learned,
// so every even percent saves) from 70 % down past the warning level to 20 %, plugged in and
// charged to full four points at a time, held full on mains, unplugged again.
class CyclingBattery final : public PowerSource {
public:
    static constexpr int kStepSeconds = 16;
    static constexpr int kHighest = 70;
    static constexpr int kLowest = 20;
    static constexpr int kChargeStep = 4;
    static constexpr int kFullSeconds = 120;
    static constexpr int kDrainSeconds = (kHighest - kLowest) * kStepSeconds;
    static constexpr int kChargeSeconds = (100 - kLowest) / kChargeStep * kStepSeconds;
    static constexpr int kCycleSeconds = kDrainSeconds + kChargeSeconds + kFullSeconds;

    PowerStatusReading readPowerStatus() override
    {
        const int t = m_second % kCycleSeconds;
        if (t < kDrainSeconds) {
            const int percent = kHighest - t / kStepSeconds;
            return {0, batteryLevelFlag(percent), quint8(percent), percent * 90};
        }
        if (t < kDrainSeconds + kChargeSeconds) {
            const int percent = kLowest + (t - kDrainSeconds) / kStepSeconds * kChargeStep;
            return {1, quint8(batteryLevelFlag(percent) | 8), quint8(percent), -1};
        }
        return {1, 1, 100, -1};
    }
    WorkAreaRect readWorkArea() override { return {0, 0, 1280, 800}; }

    void advance() { ++m_second; }

private:
    int m_second = 0;
};

class QuietTray final : public TrayIcon {
public:
    explicit QuietTray(bool available)
        : m_available(available)
    {
    }
    bool available() const override { return m_available; }
    void add(const QIcon &, const QString &) override {}
    void modify(const QIcon &, const QString &) override {}
    void remove() override {}
    void setEventHandler(EventHandler) override {}

private:
    bool m_available;
};

struct Rig {
    explicit Rig(bool tray)
        : store(StorePaths{dir.filePath(QStringLiteral("user.reg")),
                           dir.filePath(QStringLiteral("none/autostart/voltline.desktop")),
                           QStringLiteral("/usr/bin/voltline")})
        , frm(battery, store, shutdown, std::make_unique<QuietTray>(tray))
    {
        // The test plays the seconds itself, as fast as they go.
        frm.PowerInfo->timer()->stop();
        frm.tmrComputeInfo->stop();
        frm.tmrDisplayInfo->stop();
        frm.show();
    }

    // One second as the three timers deliver it, and the repaint that follows.
    void second()
    {
        battery.advance();
        frm.PowerInfo->Refresh();
        frm.tmrComputeInfoTimer();
        frm.tmrDisplayInfoTimer();
        QApplication::processEvents();
    }

    QTemporaryDir dir;
    CyclingBattery battery;
    SettingsStore store;
    FakeShutdownRequester shutdown;
    TfrmMain frm;
};

constexpr long kFlatBytes = 16 * 1024;

// A cycle to warm up, then the live heap every simulated five minutes of `cycles` more.
void expectFlatHeap(bool tray, int cycles)
{
    Rig rig(tray);
    for (int s = 0; s < CyclingBattery::kCycleSeconds; ++s)
        rig.second();
    const int seconds = cycles * CyclingBattery::kCycleSeconds;
    std::vector<long> samples;
    samples.reserve(std::size_t(seconds / 300 + 1)); // not to count its own growth
    for (int s = 0; s < seconds; ++s) {
        rig.second();
        if (s % 300 == 0)
            samples.push_back(liveHeapBytes());
    }
    const auto [low, high] = std::minmax_element(samples.begin(), samples.end());
    EXPECT_LE(*high - *low, kFlatBytes)
        << "the live heap moved between " << *low << " and " << *high << " bytes after the "
        << "warm-up; first " << samples.front() << ", last " << samples.back();
}

// This test again, in a copy of this binary on a private Xvfb. Empty when it ran; otherwise
// why not.
QString runOnPrivateXvfb(const QString &testName)
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (program.isEmpty())
        return QStringLiteral("Xvfb is not installed");
    QTemporaryDir runtime;
    if (!runtime.isValid())
        return QStringLiteral("no temporary folder");
    QProcess xvfb;
    // The display's number on stdout once it takes connections.
    xvfb.start(program,
               {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                QStringLiteral("0"), QStringLiteral("1280x800x24"), QStringLiteral("-nolisten"),
                QStringLiteral("tcp")});
    QByteArray display;
    const QDeadlineTimer started(60 * 1000);
    while (!display.endsWith('\n') && !started.hasExpired() &&
           xvfb.state() != QProcess::NotRunning) {
        xvfb.waitForReadyRead(100);
        display += xvfb.readAllStandardOutput();
    }
    if (!display.endsWith('\n'))
        return QStringLiteral("Xvfb did not start");

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"),
               QLatin1Char(':') + QString::fromLatin1(display.trimmed()));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    // No session bus: nothing may start one on the user's behalf.
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
               QStringLiteral("unix:path=") + runtime.filePath(QStringLiteral("no-bus")));
    QProcess child;
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=") + testName});
    const bool finished = child.waitForFinished(10 * 60 * 1000);
    const QByteArray output = child.readAll();
    xvfb.terminate();
    xvfb.waitForFinished();
    EXPECT_TRUE(finished && child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0 &&
                output.contains("[  PASSED  ] 1 test"))
        << "on X11:\n"
        << output.constData();
    return {};
}

} // namespace

TEST(StripEndurance, HeapHoldsStillThroughHoursOfCycles)
{
    if (!countingMallocActive())
        GTEST_SKIP() << "the sanitizer owns malloc in this build";
    for (const bool tray : {true, false}) {
        SCOPED_TRACE(tray ? "in the tray" : "in the task list");
        expectFlatHeap(tray, 3);
    }
    // On X11 the window system keeps books of its own.
    if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
        const QString notRun =
            runOnPrivateXvfb(QStringLiteral("StripEndurance.HeapHoldsStillThroughHoursOfCycles"));
        if (!notRun.isEmpty())
            GTEST_SKIP() << "offscreen only: " << notRun.toStdString();
    }
}
