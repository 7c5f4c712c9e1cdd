#pragma once

#include <QChar>
#include <QString>
#include <QtGlobal>

#include <functional>
#include <memory>

class QObject;
class TPowerInfo;
class MonitorClock;
class MonitorHost;
class ShutdownRequester;
struct BarSettings;
struct DischargeStatistics;

// The battery monitor: classifies each sample, learns the drain and charge rates, runs the
// countdown and writes every text the strip shows. It reaches the window only through
// MonitorHost; the window owns the timers and calls the two ticks.
class Monitor {
public:
    Monitor(TPowerInfo &power, BarSettings &settings, DischargeStatistics &stats, MonitorHost &host,
            ShutdownRequester &shutdown, const MonitorClock &clock);
    // On the machine's own clocks.
    Monitor(TPowerInfo &power, BarSettings &settings, DischargeStatistics &stats, MonitorHost &host,
            ShutdownRequester &shutdown);

    // How long a reading in the shutdown band must hold before the machine is switched off.
    static constexpr qint64 kShutdownHoldMs = 10'000;

    // Gauge colours, 0x00BBGGRR.
    static constexpr quint32 kBlue = 0x00FF0000;
    static constexpr quint32 kRed = 0x000000FF;
    static constexpr quint32 kGreen = 0x00008000;
    static constexpr quint32 kPurple = 0x00800080;
    static constexpr quint32 kYellow = 0x0000FFFF;

    Monitor(const Monitor &) = delete;
    Monitor &operator=(const Monitor &) = delete;

    // Seeds the monitor from the sampler; once, after the settings are loaded.
    void StartMonitor();
    // The compute tick (tmrComputeInfo).
    void tmrComputeInfoTimer(QObject *sender = nullptr);
    // The display tick (tmrDisplayInfo).
    void tmrDisplayInfoTimer(QObject *sender = nullptr);
    // Builds the status message and shows the status box; also the menu's "Battery Status".
    void mnuBatteryStatusClick(QObject *sender = nullptr);

    void BuildStatusMessage();
    void LearnAndEstimate();
    void SplitEstimate();
    void StepCountdown();
    // Asks for a normal power-off, asking once more with rights when refused for lack of
    // them. Returns at once; `accepted` (may be empty) gets the outcome when the system answers.
    void ForceShutdown(std::function<void(bool accepted)> accepted = {});

    // Monitor state, read (and for the icon box, written) by the window.
    qint32 Percent = 0;
    // The start-up texts, until the first ticks replace them.
    QString PercentText = QStringLiteral("0");
    qint32 StatusCode = 0;
    qint32 PreviousStatusCode = 130;
    QChar DisplayState = QLatin1Char('F');
    QChar PreviousDisplayState = QLatin1Char('Q');
    bool SuppressNextPopup = true;
    QString StatusMessage = QStringLiteral("Battery OK");
    qint32 IconLeft = 136;
    qint32 IconWidth = 16;
    qint32 IconHeight = 16;

    qint32 SecondsSinceChange = 30;
    qint32 ReferencePercent = 0;
    // 64 bits: a large learned mean times 100 % does not fit in 32.
    qint64 EstimateSeconds = 0;
    qint32 CountdownHours = 0;
    qint32 CountdownMinutes = 0;
    qint32 CountdownSeconds = 0;
    QString TimeText = QStringLiteral("0:00:00");

    bool ShutdownDone = false;

    // What the last fold left over of a mean's division, and the pair it belongs to.
    struct MeanCarry {
        qint32 mean = 0;
        qint32 taken = 0;
        qint64 remainder = 0;
    };

private:
    // Each returns what the tick needs to know beyond the state it shows.
    bool classifyOnBattery();                                       // in the shutdown band
    bool classifyOnMains(qint32 powerSupply, qint32 batteryStatus); // battery held on mains
    void showState(qint32 statusCode, QChar state, quint32 color, const QString &hint);
    void shutdownBranch();
    bool sleptSinceLastTick();
    // The countdown from the matching mean and the percent, with nothing learned.
    void restartEstimate();
    qint64 estimateFromMeans() const;

    TPowerInfo &m_power;
    BarSettings &m_settings;
    DischargeStatistics &m_stats;
    MonitorHost &m_host;
    ShutdownRequester &m_shutdown;
    const MonitorClock &m_clock;
    MeanCarry m_drainCarry;
    MeanCarry m_chargeCarry;
    // The percent label's text and the percent it was built for.
    QString m_percentLabel;
    qint32 m_textPercent = -1;
    // The battery was held on mains at the last tick: no countdown runs and nothing is learned.
    bool m_held = false;
    // Time asleep since boot at the last tick; a jump is a suspend or hibernation.
    qint64 m_asleepMs = 0;
    // When the band reading began to hold (awake time), -1 when not in the band.
    qint64 m_bandSinceMs = -1;
    // Answers to a power-off request may come after the monitor is gone.
    std::shared_ptr<const bool> m_alive = std::make_shared<const bool>(true);
};
