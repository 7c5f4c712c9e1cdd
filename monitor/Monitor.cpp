#include "Monitor.h"

#include "BarSettings.h"
#include "MonitorClock.h"
#include "MonitorHost.h"
#include "PowerSource.h"
#include "ShutdownRequester.h"
#include "TPowerInfo.h"

#include <QStringBuilder>

#include <algorithm>
#include <charconv>
#include <limits>

namespace {

const QString kBatteryHint = QStringLiteral("Battery Power - Right click for menu");
const QString kChargingHint = QStringLiteral("Battery Charging - Right click for menu");
const QString kACHint = QStringLiteral("AC Power - Right click for menu");
const QString kNoneHint = QStringLiteral("Right click for menu");

constexpr qint32 kMinimumInterval = 15;
// While at 100 % every learned interval counts as this long.
constexpr qint32 kFullInterval = 200;
// More asleep than this between two ticks is a suspend or hibernation. The two clocks are
// read a few microseconds apart; a sleep shorter than this spans no percent step anyway.
constexpr qint64 kSleepNoticeMs = 1000;

// Folds one interval into a stored mean. The stored pair may come from an old or hand-edited
// file: a count of 0 or less means there is no history to weigh (the interval becomes the
// mean), a negative mean counts as 0, and the arithmetic is 64-bit with the results saturated
// to 32 bits.
//
// The stored mean is a truncated quotient. Truncating afresh at every fold would lose up to a
// second each time, and once the count is in the hundreds an interval can no longer win that
// back: over weeks the mean sinks towards the shortest intervals (intervals of 60..240 s end at
// 60 after a thousand folds instead of 150). So the remainder of the division is carried to the
// next fold, as long as the pair is still the one we wrote (a load or a reset starts afresh);
// the store keeps its two values as before. docs/learned-means.md has the numbers.
void foldInterval(qint32 &mean, qint32 &taken, qint32 interval, Monitor::MeanCarry &carry)
{
    if (carry.mean != mean || carry.taken != taken)
        carry.remainder = 0;
    if (taken <= 0) {
        mean = std::max(interval, 0);
        taken = 1;
        carry = {mean, taken, 0};
        return;
    }
    const qint64 oldMean = std::max<qint64>(mean, 0);
    const qint64 sum = oldMean * taken + carry.remainder + interval;
    const qint64 newMean = sum / (qint64(taken) + 1);
    mean = qint32(std::clamp<qint64>(newMean, 0, std::numeric_limits<qint32>::max()));
    carry.remainder = mean == newMean ? sum % (qint64(taken) + 1) : 0;
    if (taken < std::numeric_limits<qint32>::max())
        ++taken;
    else
        carry.remainder = 0; // the count no longer grows, so the sum no longer adds up
    carry.mean = mean;
    carry.taken = taken;
}

// H:MM:SS (minutes and seconds padded to two digits) in a single allocation: it is rebuilt
// every second all day.
QString clockText(qint32 hours, qint32 minutes, qint32 seconds)
{
    char text[40];
    char *at = std::to_chars(text, text + 12, hours).ptr;
    for (const qint32 value : {minutes, seconds}) {
        *at++ = ':';
        if (value >= 0 && value <= 9)
            *at++ = '0';
        at = std::to_chars(at, at + 12, value).ptr;
    }
    return QString::fromLatin1(text, at - text);
}

} // namespace

Monitor::Monitor(TPowerInfo &power, BarSettings &settings, DischargeStatistics &stats,
                 MonitorHost &host, ShutdownRequester &shutdown, const MonitorClock &clock)
    : m_power(power)
    , m_settings(settings)
    , m_stats(stats)
    , m_host(host)
    , m_shutdown(shutdown)
    , m_clock(clock)
    , m_asleepMs(clock.sinceBootMs() - clock.awakeMs())
{
}

Monitor::Monitor(TPowerInfo &power, BarSettings &settings, DischargeStatistics &stats,
                 MonitorHost &host, ShutdownRequester &shutdown)
    : Monitor(power, settings, stats, host, shutdown, MonitorClock::system())
{
}

void Monitor::StartMonitor()
{
    StatusCode = m_power.BatteryStatus();
    PreviousStatusCode = 130;
    Percent = m_power.BatteryPercent();
    // Started while the battery is held: the start-up interval is part of the held spell.
    m_held = m_power.PowerSupply() == 1 && m_power.BatteryHeld() && (StatusCode & 8) == 0;
    if (m_held)
        restartEstimate();
    else
        LearnAndEstimate();
    ReferencePercent = m_power.BatteryPercent();
}

void Monitor::showState(qint32 statusCode, QChar state, quint32 color, const QString &hint)
{
    StatusCode = statusCode;
    m_host.setHintText(hint);
    DisplayState = state;
    m_host.setGaugeColor(color);
}

bool Monitor::classifyOnBattery()
{
    if (Percent > m_settings.WarnPercent) {
        const QChar state = Percent > kBatteryHighAbove  ? QLatin1Char('F')
                            : Percent > kBatteryLowBelow ? QLatin1Char('H')
                                                         : QLatin1Char('E');
        showState(2, state, kBlue, kBatteryHint);
    } else if (m_settings.ShutdownPercent != 0 && Percent <= m_settings.ShutdownPercent) {
        // Status, hint, colour and state stay as the previous tick left them.
        shutdownBranch();
        return true;
    } else {
        showState(4, QLatin1Char('W'), kRed, kBatteryHint);
    }
    return false;
}

bool Monitor::classifyOnMains(qint32 powerSupply, qint32 batteryStatus)
{
    // Charging wins whatever the mains state, even one that cannot be determined.
    const bool held = powerSupply == 1 && m_power.BatteryHeld();
    if (batteryStatus == 8 || batteryStatus == 9 || batteryStatus == 10) {
        showState(8, QLatin1Char('C'), kGreen, kChargingHint);
        return false;
    }
    // Held at a charge limit is on mains and not charging, as a full battery is, whatever
    // the percent.
    if (powerSupply == 1 && (Percent == 100 || held))
        showState(23, QLatin1Char('A'), kPurple, kACHint);
    else if (powerSupply == 1)
        showState(8, QLatin1Char('C'), kGreen, kChargingHint);
    else
        showState(129, QLatin1Char('N'), kYellow, kNoneHint);
    return held;
}

void Monitor::shutdownBranch()
{
    // Only a charge really read may switch the machine off: never "cannot tell", never the
    // last reading standing in for a battery that is away for a moment.
    if (ShutdownDone)
        return;
    if (!m_power.ChargeRead()) {
        m_bandSinceMs = -1;
        return;
    }
    // Gauges read 0 % for a second or two after a resume or under a load spike: only a
    // reading that held in the band for a while counts.
    const qint64 now = m_clock.awakeMs();
    if (m_bandSinceMs < 0)
        m_bandSinceMs = now;
    if (now - m_bandSinceMs < kShutdownHoldMs)
        return;
    m_host.SaveSettings();
    // Set before asking, so that a tick while the system closes programs does not ask again.
    ShutdownDone = true;
    ForceShutdown();
}

bool Monitor::sleptSinceLastTick()
{
    const qint64 asleep = m_clock.sinceBootMs() - m_clock.awakeMs();
    const bool slept = asleep - m_asleepMs > kSleepNoticeMs;
    m_asleepMs = asleep;
    return slept;
}

void Monitor::tmrComputeInfoTimer(QObject *)
{
    const bool slept = sleptSinceLastTick();
    if (slept) {
        // The sampler may not have run since the resume: its reading is from before the sleep.
        m_power.Refresh();
        m_bandSinceMs = -1;
    }
    Percent = m_power.BatteryPercent();
    // Rebuilt only when the percent moved: the tick runs every second all day.
    if (Percent != m_textPercent || PercentText.isEmpty()) {
        PercentText = QString::number(Percent);
        m_percentLabel = PercentText % QLatin1Char('%');
        m_textPercent = Percent;
    }
    if (SecondsSinceChange < std::numeric_limits<qint32>::max())
        ++SecondsSinceChange;

    const qint32 powerSupply = m_power.PowerSupply();
    bool inBand = false;
    bool held = false;
    if (powerSupply == 0)
        inBand = classifyOnBattery();
    else
        held = classifyOnMains(powerSupply, m_power.BatteryStatus());
    if (!inBand)
        m_bandSinceMs = -1;

    if (Percent == 100 && !held)
        SecondsSinceChange = kFullInterval;
    // Neither a held spell nor a sleep is time the battery was watched moving: the reference
    // follows the percent, and when either ends the countdown starts again from what was
    // learned before.
    if (held || slept) {
        SecondsSinceChange = 0;
        ReferencePercent = Percent;
    }
    if ((slept || m_held) && !held)
        restartEstimate();
    m_held = held;

    if (Percent != ReferencePercent)
        LearnAndEstimate();

    if (StatusCode != PreviousStatusCode) {
        // Recorded before the box opens: a nested tick with the same status opens no other.
        PreviousStatusCode = StatusCode;
        if (m_settings.PopupBoxStatus && !SuppressNextPopup)
            mnuBatteryStatusClick();
        SuppressNextPopup = false;
        LearnAndEstimate();
    }

    // The box above may have let nested ticks run: from here on only the current state counts.
    if (Percent > 100) {
        m_host.setGaugePosition(0);
        m_host.setPercentText(QStringLiteral("0%"));
    } else {
        m_host.setGaugePosition(Percent);
        m_host.setPercentText(m_percentLabel);
    }

    if (m_settings.Snap && m_host.isWindowNormal())
        m_host.SnapToEdges();

    if (DisplayState != PreviousDisplayState) {
        // The repaint erases the old icon; the next tick draws the new one.
        m_host.invalidateWindow();
        PreviousDisplayState = DisplayState;
        m_host.UpdateTrayTip();
        return;
    }
    m_host.drawStateIcon(DisplayState, IconLeft, 2, IconWidth, IconHeight);
}

void Monitor::mnuBatteryStatusClick(QObject *)
{
    BuildStatusMessage();
    m_host.showStatusBox(QStringLiteral("Battery Status"), StatusMessage, StatusCode == 4);
}

void Monitor::BuildStatusMessage()
{
    switch (StatusCode) {
    case 1:
        StatusMessage = QStringLiteral("Battery Power Full");
        return;
    case 2:
        StatusMessage = QStringLiteral("Battery Power OK");
        return;
    case 4:
        StatusMessage = QStringLiteral("Battery Power Critical");
        return;
    case 8:
    case 9:
    case 10:
        StatusMessage = QStringLiteral("Battery Charging");
        return;
    case 23:
        StatusMessage = QStringLiteral("Battery Power Full - AC Power");
        return;
    case 128:
        StatusMessage = QStringLiteral("No System Battery");
        return;
    case 129:
        StatusMessage = QStringLiteral("Error! Cannot Determine Battery Status");
        return;
    default:
        break;
    }
    switch (m_power.PowerSupply()) {
    case 0:
        StatusMessage = QStringLiteral("Battery Power OK");
        break;
    case 1:
        StatusMessage = QStringLiteral("Battery Charging");
        break;
    default:
        StatusMessage = QStringLiteral("Error! Cannot Determine Battery Status");
        break;
    }
}

void Monitor::LearnAndEstimate()
{
    if (SecondsSinceChange < kMinimumInterval) {
        SecondsSinceChange = 0;
        ReferencePercent = m_power.BatteryPercent();
        return;
    }
    if (StatusCode <= 4)
        foldInterval(m_stats.DrainTime, m_stats.DrainTaken, SecondsSinceChange, m_drainCarry);
    else
        foldInterval(m_stats.ChargeTime, m_stats.ChargeTaken, SecondsSinceChange, m_chargeCarry);
    SecondsSinceChange = 0;
    ReferencePercent = m_power.BatteryPercent();
    EstimateSeconds = estimateFromMeans();
    SplitEstimate();
    if (Percent % 2 == 0)
        m_host.SaveSettings();
}

// Discharging codes (4 and below) count down to empty, the rest to full.
qint64 Monitor::estimateFromMeans() const
{
    if (StatusCode <= 4)
        return qint64(m_stats.DrainTime) * ReferencePercent;
    return qint64(100 - ReferencePercent) * m_stats.ChargeTime;
}

void Monitor::restartEstimate()
{
    SecondsSinceChange = 0;
    ReferencePercent = m_power.BatteryPercent();
    // A hand-edited store may hold a negative mean, which a fold would have clamped.
    EstimateSeconds = std::max<qint64>(estimateFromMeans(), 0);
    SplitEstimate();
}

void Monitor::SplitEstimate()
{
    if (EstimateSeconds >= 3600) {
        CountdownHours = qint32((EstimateSeconds / 3600) % 256);
        EstimateSeconds %= 3600;
    } else {
        CountdownHours = 0;
    }
    if (EstimateSeconds >= 60) {
        CountdownMinutes = qint32(EstimateSeconds / 60);
        EstimateSeconds %= 60;
    } else {
        CountdownMinutes = 0;
    }
    CountdownSeconds = qint32(EstimateSeconds);
}

void Monitor::StepCountdown()
{
    --CountdownSeconds;
    if (CountdownSeconds < 0) {
        --CountdownMinutes;
        if (CountdownMinutes >= 0) {
            CountdownSeconds = 59;
        } else if (CountdownHours > 0) {
            CountdownSeconds = 59;
            CountdownMinutes = 59;
            --CountdownHours;
        } else {
            // Stops at 0:00:00 and stays there until the next accepted change.
            CountdownHours = 0;
            CountdownMinutes = 0;
            CountdownSeconds = 0;
        }
    }
    TimeText = clockText(CountdownHours, CountdownMinutes, CountdownSeconds);
}

void Monitor::tmrDisplayInfoTimer(QObject *)
{
    StepCountdown();
    if (Percent > 100) {
        m_host.setTimeText(QStringLiteral("0:00:00"));
        m_host.setApplicationTitle(QStringLiteral("0%, Error! : Voltline"));
    } else if (StatusCode == 23 && (Percent == 100 || m_held)) {
        // Full, or held where it is: no time to wait for.
        m_host.setTimeText(QStringLiteral("0:00:00"));
        m_host.setApplicationTitle(PercentText % QLatin1String("%, FULL : Voltline"));
    } else {
        m_host.setTimeText(TimeText);
        m_host.setApplicationTitle(PercentText % QLatin1String("%, ") % TimeText %
                                   QStringLiteral(" : Voltline"));
    }
}

void Monitor::ForceShutdown(std::function<void(bool accepted)> accepted)
{
    using Result = ShutdownRequester::Result;
    const std::weak_ptr<const bool> alive = m_alive;
    auto report = [accepted](bool ok) {
        if (accepted)
            accepted(ok);
    };
    m_shutdown.requestPowerOff(false, [this, alive, report](Result first) {
        if (alive.expired())
            return;
        if (first != Result::NeedsRights) {
            report(first == Result::Accepted);
            return;
        }
        m_shutdown.requestPowerOff(true, [alive, report](Result second) {
            if (!alive.expired())
                report(second == Result::Accepted);
        });
    });
}
