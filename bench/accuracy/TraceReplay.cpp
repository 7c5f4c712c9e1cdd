#include "TraceReplay.h"

#include "Monitor.h"
#include "MonitorHost.h"
#include "PowerSource.h"
#include "ShutdownRequester.h"
#include "SysfsPowerMapping.h"
#include "TPowerInfo.h"

#include <QFile>
#include <QTimer>

#include <algorithm>
#include <array>
#include <cmath>

// Programs built before the monitor could tell a sleep ticked on their own clock and were told
// nothing: the replay then does exactly what such a program met.
#if __has_include("MonitorClock.h")
#include "FakeMonitorClock.h"
#define VOLTLINE_REPLAY_TELLS_SLEEPS 1
#endif

namespace {

constexpr qint64 kMinuteSeconds = 60;
constexpr double kWindowTop = 90;
constexpr double kWindowBottom = 10;
// The last stretch of a discharge says little: any error is large against a time that tends
// to nothing.
constexpr double kPointsAboveEnd = 10;
constexpr qint64 kShortestSleep = 600;

std::optional<TraceStatus> parseStatus(QByteArrayView text)
{
    if (text.isEmpty())
        return TraceStatus::Unrecorded;
    if (text == "Discharging")
        return TraceStatus::Discharging;
    if (text == "Charging")
        return TraceStatus::Charging;
    if (text == "Full")
        return TraceStatus::Full;
    // The logs write "Unknown" for an adapter that is connected while the battery neither
    // charges nor is full (a charge hold), where a Linux kernel says "Not charging".
    if (text == "Not charging" || text == "Unknown")
        return TraceStatus::NotCharging;
    return std::nullopt;
}

// "Lenovo ThinkPad X1 Carbon Gen 9, Intel ..." and "same Lenovo ThinkPad X1 Carbon Gen 9
// (i7-1185G7, ...)" name one device.
QString deviceName(QString text)
{
    text = text.trimmed();
    if (text.startsWith(QLatin1String("same ")))
        text = text.mid(5);
    qsizetype end = text.size();
    for (const QLatin1String stop : {QLatin1String(","), QLatin1String(";"), QLatin1String(" (")}) {
        const qsizetype at = text.indexOf(stop);
        if (at >= 0)
            end = std::min(end, at);
    }
    return text.left(end).trimmed();
}

qint64 median(QList<qint64> values)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

PowerStatusReading kernelReading(const TraceSample &sample, bool finePercent)
{
    PowerSupplyAttributes battery;
    battery.kind = SupplyKind::Battery;
    battery.present = 1;
    switch (sample.status) {
    case TraceStatus::Unrecorded:
    case TraceStatus::Discharging:
        battery.status = ChargeState::Discharging;
        break;
    case TraceStatus::Charging:
        battery.status = ChargeState::Charging;
        break;
    case TraceStatus::Full:
        battery.status = ChargeState::Full;
        break;
    case TraceStatus::NotCharging:
        battery.status = ChargeState::NotCharging;
        break;
    }
    if (finePercent) {
        battery.energyNow = std::llround(sample.percent * 10'000);
        battery.energyFull = 1'000'000;
    } else {
        battery.capacity = std::llround(sample.percent);
    }
    if (sample.powerW)
        battery.powerNow = std::llround(*sample.powerW * 1e6);

    PowerSupplyAttributes mains;
    mains.kind = SupplyKind::Mains;
    mains.online = onBattery(sample.status) ? 0 : 1;
    const std::array supplies{battery, mains};
    return mapPowerSupplies(supplies);
}

class TraceSource final : public PowerSource {
public:
    PowerStatusReading reading;
    PowerStatusReading readPowerStatus() override { return reading; }
    WorkAreaRect readWorkArea() override { return {0, 0, 1280, 800}; }
};

class SilentHost final : public MonitorHost {
public:
    void setGaugeColor(quint32) override {}
    void setGaugePosition(int) override {}
    void setPercentText(const QString &) override {}
    void setTimeText(const QString &) override {}
    void setApplicationTitle(const QString &) override {}
    void setHintText(const QString &) override {}
    void showStatusBox(const QString &, const QString &, bool) override {}
    void invalidateWindow() override {}
    bool isWindowNormal() const override { return true; }
    void drawStateIcon(QChar, int, int, int, int) override {}
    void SnapToEdges() override {}
    void UpdateTrayTip() override {}
    void SaveSettings() override {}
};

class NoShutdown final : public ShutdownRequester {
public:
    void requestPowerOff(bool, Answer answer) override { answer(Result::Failed); }
};

} // namespace

bool onBattery(TraceStatus status)
{
    return status == TraceStatus::Unrecorded || status == TraceStatus::Discharging;
}

std::optional<Trace> parseTrace(const QByteArray &text, QString *error)
{
    auto fail = [error](int line, const QString &what) -> std::optional<Trace> {
        if (error)
            *error = QStringLiteral("line %1: %2").arg(line).arg(what);
        return std::nullopt;
    };
    Trace trace;
    int lineNumber = 0;
    for (QByteArray line : text.split('\n')) {
        ++lineNumber;
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty())
            continue;
        if (line.startsWith('#')) {
            const QString header = QString::fromUtf8(line.mid(1)).trimmed();
            if (header.startsWith(QLatin1String("trace:")))
                trace.name = header.mid(6).trimmed();
            else if (header.startsWith(QLatin1String("device:")))
                trace.device = deviceName(header.mid(7));
            continue;
        }
        const QList<QByteArray> fields = line.split('\t');
        if (fields.size() != 4)
            return fail(lineNumber, QStringLiteral("expected 4 tab-separated fields"));
        bool ok = false;
        TraceSample sample;
        sample.second = fields[0].toLongLong(&ok);
        if (!ok || sample.second < 0)
            return fail(lineNumber, QStringLiteral("bad time"));
        sample.percent = fields[1].toDouble(&ok);
        if (!ok || !std::isfinite(sample.percent) || sample.percent < 0 || sample.percent > 100)
            return fail(lineNumber, QStringLiteral("bad percent"));
        const auto status = parseStatus(fields[2]);
        if (!status)
            return fail(lineNumber, QStringLiteral("unknown status"));
        sample.status = *status;
        if (!fields[3].isEmpty()) {
            const double power = fields[3].toDouble(&ok);
            if (!ok || !std::isfinite(power) || power < 0)
                return fail(lineNumber, QStringLiteral("bad power"));
            sample.powerW = power;
            trace.hasPower = true;
        }
        trace.finePercent = trace.finePercent || sample.percent != std::round(sample.percent);
        if (!trace.samples.isEmpty()) {
            const qint64 last = trace.samples.constLast().second;
            if (sample.second < last)
                return fail(lineNumber, QStringLiteral("time goes backwards"));
            if (sample.second == last)
                trace.samples.removeLast();
        }
        trace.samples.append(sample);
    }
    if (trace.samples.isEmpty())
        return fail(lineNumber, QStringLiteral("no rows"));
    return trace;
}

std::optional<Trace> readTrace(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    return parseTrace(file.readAll(), error);
}

ReplayPlan planReplay(const Trace &trace)
{
    const QList<TraceSample> &s = trace.samples;
    const qsizetype n = s.size();
    ReplayPlan plan;
    plan.sleepBefore.fill(false, n);
    plan.awakeAt.fill(0, n);

    QList<qint64> intervals;
    for (qsizetype i = 1; i < n; ++i)
        intervals.append(s[i].second - s[i - 1].second);
    const qint64 longGap = std::max(3 * median(intervals), kShortestSleep);

    // What the log loses per second while it is clearly awake on battery.
    double lost = 0;
    double seconds = 0;
    for (qsizetype i = 1; i < n; ++i) {
        const qint64 gap = s[i].second - s[i - 1].second;
        if (gap <= longGap && onBattery(s[i - 1].status) && onBattery(s[i].status)) {
            lost += s[i - 1].percent - s[i].percent;
            seconds += double(gap);
        }
    }
    const double awakeRate = seconds > 0 ? std::max(lost / seconds, 0.0) : 0;

    for (qsizetype i = 1; i < n; ++i) {
        const qint64 gap = s[i].second - s[i - 1].second;
        const bool drained = onBattery(s[i - 1].status) && onBattery(s[i].status) &&
                             s[i - 1].percent - s[i].percent >= 0.5 * awakeRate * double(gap);
        plan.sleepBefore[i] = gap > longGap && !drained;
        // Across a sleep the sampler reads the row at the first tick after it.
        plan.awakeAt[i] = plan.awakeAt[i - 1] + (plan.sleepBefore[i] ? 1 : gap);
    }

    // Discharges: rows on battery, split where the battery gained more than a point (charged
    // while nothing was logged).
    for (qsizetype i = 0; i < n;) {
        if (!onBattery(s[i].status)) {
            ++i;
            continue;
        }
        qsizetype end = i + 1;
        while (end < n && onBattery(s[end].status) && s[end].percent <= s[end - 1].percent + 1)
            ++end;
        ReplayPlan::Discharge d{int(i), int(i), s[i].percent};
        for (qsizetype k = i; k < end; ++k) {
            if (s[k].percent < d.endPercent) {
                d.endPercent = s[k].percent;
                d.last = int(k);
            }
        }
        plan.discharges.append(d);
        i = end;
    }

    for (const ReplayPlan::Discharge &d : plan.discharges) {
        const double bottom = std::max(kWindowBottom, d.endPercent + kPointsAboveEnd);
        const qint64 endAwake = plan.awakeAt[d.last];
        // Row k is in force from its own awake second until the next row's.
        for (int k = d.first; k < d.last; ++k) {
            if (s[k].percent > kWindowTop || s[k].percent < bottom)
                continue;
            const qint64 from = plan.awakeAt[k];
            const qint64 to = plan.awakeAt[k + 1];
            for (qint64 a = (from + kMinuteSeconds - 1) / kMinuteSeconds * kMinuteSeconds; a < to;
                 a += kMinuteSeconds) {
                if (a == 0)
                    continue; // the start itself: the monitor has not ticked yet
                plan.checkpoints.append({a, k, s[k].percent, d.endPercent, endAwake - a});
            }
        }
    }
    std::sort(plan.checkpoints.begin(), plan.checkpoints.end(),
              [](const auto &a, const auto &b) { return a.awakeSecond < b.awakeSecond; });
    return plan;
}

double relativeError(double toEmptySeconds, double secondsPerPercent,
                     const ReplayPlan::Checkpoint &checkpoint)
{
    const double toEnd = std::max(toEmptySeconds - checkpoint.endPercent * secondsPerPercent, 0.0);
    return std::abs(toEnd - double(checkpoint.secondsLeft)) / double(checkpoint.secondsLeft);
}

void replayTrace(const Trace &trace, const ReplayPlan &plan, DischargeStatistics &stats,
                 const std::function<void(const ReplayTick &)> &onTick)
{
    const QList<TraceSample> &s = trace.samples;
    TraceSource source;
    source.reading = kernelReading(s.first(), trace.finePercent);
    TPowerInfo power(source, nullptr);
    // The replay reads the sampler itself, once per tick.
    power.timer()->stop();
    // A first start: no forced shutdown.
    BarSettings settings;
    settings.ShutdownPercent = 0;
    SilentHost host;
    NoShutdown shutdown;
#ifdef VOLTLINE_REPLAY_TELLS_SLEEPS
    FakeMonitorClock clock;
    Monitor monitor(power, settings, stats, host, shutdown, clock);
#else
    Monitor monitor(power, settings, stats, host, shutdown);
#endif
    monitor.StartMonitor();

    ReplayTick tick;
    auto second = [&](int sample, bool afterSleep) {
#ifdef VOLTLINE_REPLAY_TELLS_SLEEPS
        clock.advance(1000);
#endif
        power.Refresh();
        monitor.tmrComputeInfoTimer();
        monitor.tmrDisplayInfoTimer();
        ++tick.awakeSecond;
        tick.sample = sample;
        tick.afterSleep = afterSleep;
        tick.shownSeconds = qint64(monitor.CountdownHours) * 3600 +
                            qint64(monitor.CountdownMinutes) * 60 + monitor.CountdownSeconds;
        tick.drainTime = stats.DrainTime;
        if (onTick)
            onTick(tick);
    };

    for (qsizetype k = 1; k < s.size(); ++k) {
        if (plan.sleepBefore[k]) {
#ifdef VOLTLINE_REPLAY_TELLS_SLEEPS
            clock.sleep((s[k].second - s[k - 1].second - 1) * 1000);
#endif
            source.reading = kernelReading(s[k], trace.finePercent);
            tick.traceSecond = s[k].second;
            second(int(k), true);
            continue;
        }
        for (qint64 at = s[k - 1].second + 1; at < s[k].second; ++at) {
            tick.traceSecond = at;
            second(int(k - 1), false);
        }
        source.reading = kernelReading(s[k], trace.finePercent);
        tick.traceSecond = s[k].second;
        second(int(k), false);
    }
}
