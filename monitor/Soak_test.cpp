// A simulated week of one-second ticks through the real sampler and monitor: plugging and
// unplugging, steps of one or more percent, dips through the warning and shutdown levels,
// stretches at 100 % and at a charge limit, suspends. Everything the monitor learns and shows is
// checked against a small model of the rules written independently of Monitor, and the process must
// not grow once the first day has passed.
//
// VOLTLINE_SOAK_SECONDS shortens the run (the sanitizer build uses it).
#include "BarSettings.h"
#include "CountingMalloc.h"
#include "FakeMonitorClock.h"
#include "FakeShutdownRequester.h"
#include "Monitor.h"
#include "MonitorHost.h"
#include "PowerSource.h"
#include "TPowerInfo.h"

#include <QString>
#include <QtGlobal>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <malloc.h>
#include <random>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define VOLTLINE_SOAK_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VOLTLINE_SOAK_SANITIZED 1
#endif
#endif

namespace {

constexpr qint64 kDay = 24 * 3600;
constexpr qint64 kWeek = 7 * kDay;

// The source the sampler reads: whatever the scenario set for this second. No history, so
// a week of readings costs nothing.
class GeneratedSource final : public PowerSource {
public:
    PowerStatusReading reading{0, 0, 57, 3 * 3600};
    PowerStatusReading readPowerStatus() override { return reading; }
    WorkAreaRect readWorkArea() override { return {0, 24, 1280, 800}; }
};

// Keeps the latest of everything and counts the rest; never grows, unlike a call log.
class CountingHost final : public MonitorHost {
public:
    void setGaugeColor(quint32 color) override { gaugeColor = color; }
    void setGaugePosition(int position) override { gaugePosition = position; }
    void setPercentText(const QString &text) override { percentText = text; }
    void setTimeText(const QString &text) override { timeText = text; }
    void setApplicationTitle(const QString &text) override { title = text; }
    void setHintText(const QString &text) override { hint = text; }
    void showStatusBox(const QString &, const QString &text, bool warning) override
    {
        ++boxes;
        lastBox = text;
        lastBoxWarning = warning;
    }
    void invalidateWindow() override { ++invalidations; }
    bool isWindowNormal() const override { return true; }
    void drawStateIcon(QChar, int, int, int, int) override { ++iconDraws; }
    void SnapToEdges() override { ++snaps; }
    void UpdateTrayTip() override { ++trayTips; }
    void SaveSettings() override { ++saves; }

    quint32 gaugeColor = 0;
    int gaugePosition = -1;
    QString percentText, timeText, title, hint, lastBox;
    bool lastBoxWarning = false;
    qint64 boxes = 0, invalidations = 0, iconDraws = 0, snaps = 0, trayTips = 0, saves = 0;
};

// A laptop through a week: drains in uneven steps, gets plugged in now and then (always when
// empty), charges to full (or to a limit of 80 %) and sits there, sometimes cannot tell its
// mains state, on mains now and then reports a percent it cannot read, and now and then
// sleeps for minutes or hours.
class Laptop {
public:
    explicit Laptop(quint64 seed)
        : m_rng(seed)
    {
    }

    // How long the machine slept before the reading next() returned; 0 mostly.
    qint64 sleptMs = 0;

    PowerStatusReading next()
    {
        sleptMs = 0;
        if (chance(30000)) {
            sleptMs = qint64(roll(60, 10 * 3600)) * 1000;
            if (!m_mains)
                m_percent = std::max(0, m_percent - roll(0, 8));
        }
        if (!m_mains) {
            if (m_percent == 0 || chance(7200)) {
                m_mains = true;
                m_limit = chance(3) ? 80 : 100;
                m_untilStep = roll(20, 200);
            }
        } else if (chance(m_percent >= m_limit ? 3600 : 10800)) {
            m_mains = false;
            m_held = false;
            m_untilStep = roll(3, 300);
        }
        if (m_unknownAc > 0)
            --m_unknownAc;
        else if (chance(20000))
            m_unknownAc = roll(5, 60);
        if (m_stillCharging > 0)
            --m_stillCharging;

        if (--m_untilStep <= 0) {
            if (m_held) {
                if (chance(60)) // the adapter's idle draw, now and then
                    --m_percent;
                m_untilStep = roll(20, 200);
            } else if (m_mains) {
                if (m_percent < 100 && ++m_percent == 100)
                    m_stillCharging = roll(0, 300); // some batteries report charging at 100 %
                m_held = m_percent >= m_limit && m_limit < 100;
                m_untilStep = roll(20, 200);
            } else {
                const int r = roll(1, 100);
                const int step = r <= 80 ? 1 : r <= 95 ? 2 : roll(3, 5);
                m_percent = std::max(0, m_percent - step);
                // Some steps come faster than the 15 s the monitor accepts.
                m_untilStep = roll(3, 300);
            }
        }

        PowerStatusReading r;
        r.ACLineStatus = m_unknownAc > 0 ? 255 : m_mains ? 1 : 0;
        const bool charging = m_mains && !m_held && (m_percent < 100 || m_stillCharging > 0);
        const int level = m_percent > 66 ? 1 : m_percent < 5 ? 4 : m_percent < 33 ? 2 : 0;
        r.BatteryFlag = quint8(level + (charging ? 8 : 0));
        r.BatteryLifePercent = quint8(m_mains && chance(50000) ? 255 : m_percent);
        r.BatteryLifeTime = m_mains ? -1 : m_percent * 144;
        r.BatteryHeld = m_held && r.ACLineStatus == 1;
        return r;
    }

private:
    int roll(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(m_rng); }
    bool chance(int oneIn) { return roll(1, oneIn) == 1; }

    std::mt19937_64 m_rng;
    bool m_mains = false;
    bool m_held = false;
    int m_limit = 100;
    int m_percent = 57;
    int m_untilStep = 60;
    int m_unknownAc = 0;
    int m_stillCharging = 0;
};

// The monitor's rules restated from scratch: sampler normalisation, classification, interval
// learning, the countdown and the once-only shutdown after ten seconds in the band, with
// nothing learned at a charge limit or across a sleep. Only what the checks need.
struct Model {
    int warn = 25;
    int shutdownAt = 10;
    bool popups = true;

    // A learned mean is the truncated quotient of the exact total of its intervals.
    qint64 drainTotal = 120 * 3, drainTaken = 3, chargeTotal = 120 * 3, chargeTaken = 3;
    qint64 drainTime() const { return drainTotal / drainTaken; }
    qint64 chargeTime() const { return chargeTotal / chargeTaken; }

    int ac = 0, flag = 0, sampled = 0; // the sampler's view of the last reading
    bool heldReading = false, wasHeld = false;
    qint64 bandSinceMs = -1;
    int percent = 0, since = 30, reference = 0, code = 0, lastCode = 130;
    char state = 'F', lastState = 'Q';
    bool firstChange = true, shutdownDone = false;
    quint32 color = 0;
    int hint = -1; // index into kHints
    int hours = 0, minutes = 0, seconds = 0;

    qint64 saves = 0, boxes = 0, requests = 0, invalidations = 0;
    // What the scenario went through, so that a dull week cannot pass unnoticed.
    qint64 warnTicks = 0, bandTicks = 0, fullOnMainsTicks = 0, unknownTicks = 0, heldTicks = 0;
    qint64 sleeps = 0;
    qint64 discarded = 0, drainsLearned = 0, chargesLearned = 0;

    static constexpr const char *kHints[] = {
        "Battery Power - Right click for menu", "Battery Charging - Right click for menu",
        "AC Power - Right click for menu", "Right click for menu"};

    void sample(const PowerStatusReading &r)
    {
        ac = r.ACLineStatus;
        flag = r.BatteryFlag;
        sampled = r.BatteryLifePercent <= 100 ? r.BatteryLifePercent : 0;
        heldReading = r.BatteryHeld;
    }

    void start()
    {
        code = flag;
        lastCode = 130;
        percent = sampled;
        wasHeld = ac == 1 && heldReading && (flag & 8) == 0;
        if (wasHeld)
            restart();
        else
            learn();
        reference = sampled;
    }

    void split(qint64 estimate)
    {
        hours = int(estimate / 3600 % 256);
        minutes = int(estimate % 3600 / 60);
        seconds = int(estimate % 60);
    }

    void restart()
    {
        since = 0;
        reference = sampled;
        split(code <= 4 ? drainTime() * reference : (100 - reference) * chargeTime());
    }

    void learn()
    {
        if (since < 15) {
            since = 0;
            reference = sampled;
            ++discarded;
            return;
        }
        qint64 estimate = 0;
        if (code <= 4) {
            drainTotal += since;
            ++drainTaken;
            ++drainsLearned;
            reference = sampled;
            estimate = drainTime() * reference;
        } else {
            chargeTotal += since;
            ++chargeTaken;
            ++chargesLearned;
            reference = sampled;
            estimate = (100 - reference) * chargeTime();
        }
        since = 0;
        split(estimate);
        if (percent % 2 == 0)
            ++saves;
    }

    void show(int newCode, char newState, quint32 newColor, int newHint)
    {
        code = newCode;
        state = newState;
        color = newColor;
        hint = newHint;
    }

    void computeTick(qint64 awakeMs, bool slept)
    {
        if (slept) {
            ++sleeps;
            bandSinceMs = -1;
        }
        percent = sampled;
        ++since;
        bool inBand = false, held = false;
        if (ac == 0) {
            if (percent > warn) {
                show(2, percent >= 67 ? 'F' : percent >= 34 ? 'H' : 'E', 0x00FF0000, 0);
            } else if (shutdownAt != 0 && percent <= shutdownAt) {
                ++bandTicks;
                inBand = true;
                if (bandSinceMs < 0)
                    bandSinceMs = awakeMs;
                if (!shutdownDone && awakeMs - bandSinceMs >= 10'000) {
                    ++saves;
                    shutdownDone = true;
                    ++requests;
                }
            } else {
                ++warnTicks;
                show(4, 'W', 0x000000FF, 0);
            }
        } else if (flag == 8 || flag == 9 || flag == 10) {
            show(8, 'C', 0x00008000, 1);
        } else if (ac == 1) {
            held = heldReading;
            if (percent == 100 || held) {
                ++(held ? heldTicks : fullOnMainsTicks);
                show(23, 'A', 0x00800080, 2);
            } else {
                show(8, 'C', 0x00008000, 1);
            }
        } else {
            ++unknownTicks;
            show(129, 'N', 0x0000FFFF, 3);
        }
        if (!inBand)
            bandSinceMs = -1;
        if (percent == 100 && !held)
            since = 200;
        if (held || slept) {
            since = 0;
            reference = percent;
        }
        if ((slept || wasHeld) && !held)
            restart();
        wasHeld = held;
        if (percent != reference)
            learn();
        if (code != lastCode) {
            lastCode = code;
            if (popups && !firstChange)
                ++boxes;
            firstChange = false;
            learn();
        }
        if (state != lastState) {
            lastState = state;
            ++invalidations;
        }
    }

    void displayTick()
    {
        if (--seconds >= 0)
            return;
        if (--minutes >= 0) {
            seconds = 59;
        } else if (hours > 0) {
            --hours;
            minutes = 59;
            seconds = 59;
        } else {
            hours = minutes = seconds = 0;
        }
    }

    QString timeText() const { return QString::asprintf("%d:%02d:%02d", hours, minutes, seconds); }
    bool full() const { return code == 23 && (percent == 100 || wasHeld); }
    QString shownTime() const { return full() ? QStringLiteral("0:00:00") : timeText(); }
    QString title() const
    {
        if (full())
            return QStringLiteral("%1%, FULL : Voltline").arg(percent);
        return QStringLiteral("%1%, %2 : Voltline").arg(percent).arg(timeText());
    }
};

struct Footprint {
    qint64 heapInUse = 0; // bytes malloc has handed out and not got back
    qint64 resident = 0;  // bytes
};

Footprint footprint()
{
    Footprint f;
    f.heapInUse = qint64(mallinfo2().uordblks);
    long pages = 0, resident = 0;
    if (FILE *statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    f.resident = qint64(resident) * sysconf(_SC_PAGESIZE);
    return f;
}

qint64 soakSeconds()
{
    bool ok = false;
    const qint64 n = qEnvironmentVariableIntValue("VOLTLINE_SOAK_SECONDS", &ok);
    return ok && n > 0 ? n : kWeek;
}

// Differences between the monitor and the model, empty when they agree.
QString compareState(const Monitor &monitor, const DischargeStatistics &stats,
                     const FakeShutdownRequester &shutdown, const CountingHost &host,
                     const Model &model)
{
    QString out;
    const auto check = [&out](const char *what, auto got, auto want) {
        if (got != want)
            out += QStringLiteral("%1: got %2, want %3\n").arg(what).arg(got).arg(want);
    };
    check("DrainTime", qint64(stats.DrainTime), model.drainTime());
    check("DrainTaken", qint64(stats.DrainTaken), model.drainTaken);
    check("ChargeTime", qint64(stats.ChargeTime), model.chargeTime());
    check("ChargeTaken", qint64(stats.ChargeTaken), model.chargeTaken);
    check("StatusCode", monitor.StatusCode, model.code);
    check("DisplayState", monitor.DisplayState, QChar::fromLatin1(model.state));
    check("CountdownHours", monitor.CountdownHours, model.hours);
    check("CountdownMinutes", monitor.CountdownMinutes, model.minutes);
    check("CountdownSeconds", monitor.CountdownSeconds, model.seconds);
    check("saves", host.saves, model.saves);
    check("status boxes", host.boxes, model.boxes);
    check("invalidations", host.invalidations, model.invalidations);
    check("shutdown requests", qint64(shutdown.requests.size()), model.requests);
    return out;
}

QString compareTexts(const CountingHost &host, const Model &model)
{
    QString out;
    const auto check = [&out](const char *what, const QString &got, const QString &want) {
        if (got != want)
            out += QStringLiteral("%1: got \"%2\", want \"%3\"\n").arg(what, got, want);
    };
    check("percent label", host.percentText, QStringLiteral("%1%").arg(model.percent));
    check("time label", host.timeText, model.shownTime());
    check("title", host.title, model.title());
    if (model.hint >= 0) {
        check("hint", host.hint, QString::fromLatin1(Model::kHints[model.hint]));
        if (host.gaugeColor != model.color)
            out += QStringLiteral("gauge colour: got %1, want %2\n")
                       .arg(host.gaugeColor, 8, 16, QLatin1Char('0'))
                       .arg(model.color, 8, 16, QLatin1Char('0'));
    }
    if (host.gaugePosition != model.percent)
        out +=
            QStringLiteral("gauge: got %1, want %2\n").arg(host.gaugePosition).arg(model.percent);
    return out;
}

TEST(MonitorSoak, AWeekOfSecondsMatchesTheRulesAndDoesNotGrow)
{
    const qint64 total = soakSeconds();
    const qint64 firstDay = std::min(kDay, total / 7);

    Laptop laptop(20260101);
    GeneratedSource source;
    Model model;
    source.reading = laptop.next();
    model.sample(source.reading);

    BarSettings settings;
    settings.WarnPercent = model.warn;
    settings.ShutdownPercent = model.shutdownAt;
    settings.PopupBoxStatus = model.popups;
    settings.Snap = true;
    DischargeStatistics stats;
    CountingHost host;
    // A refused request: the monitor must still never ask twice.
    FakeShutdownRequester shutdown({ShutdownRequester::Result::Failed});
    shutdown.requests.reserve(4); // so that the one request of the week allocates nothing

    TPowerInfo power(source, nullptr);
    FakeMonitorClock clock;
    Monitor monitor(power, settings, stats, host, shutdown, clock);
    monitor.StartMonitor();
    model.start();

    footprint(); // the C library allocates for its first read of /proc; not ours
    Footprint afterFirstDay;
    for (qint64 t = 1; t <= total; ++t) {
        source.reading = laptop.next();
        clock.sleep(laptop.sleptMs);
        clock.advance(1000);
        power.Refresh();
        model.sample(source.reading);
        monitor.tmrComputeInfoTimer();
        model.computeTick(clock.awakeMs(), laptop.sleptMs > 0);
        monitor.tmrDisplayInfoTimer();
        model.displayTick();

        // Counters and numbers every second, texts every simulated minute.
        QString diff = compareState(monitor, stats, shutdown, host, model);
        if (t % 60 == 0 || t == total)
            diff += compareTexts(host, model);
        ASSERT_TRUE(diff.isEmpty()) << "second " << t << " (day " << t / kDay + 1 << "):\n"
                                    << qPrintable(diff);
        if (t == firstDay)
            afterFirstDay = footprint();
    }
    const Footprint atEnd = footprint();

    RecordProperty("seconds", int(total));
    std::printf("soak: %lld s simulated; drain %lld s/%% over %lld, charge %lld s/%% over %lld; "
                "%lld short intervals dropped; %lld saves, %lld boxes, %lld shutdown requests\n"
                "soak: heap in use %lld -> %lld bytes, resident %lld -> %lld kB\n",
                total, model.drainTime(), model.drainTaken, model.chargeTime(), model.chargeTaken,
                model.discarded, model.saves, model.boxes, model.requests, afterFirstDay.heapInUse,
                atEnd.heapInUse, afterFirstDay.resident / 1024, atEnd.resident / 1024);

    EXPECT_LE(shutdown.requests.size(), 1);
    if (total < kWeek)
        return; // a shortened run only checks agreement
    // The week must have gone through every kind of stretch, or it proved little.
    EXPECT_EQ(model.requests, 1);
    EXPECT_GT(model.warnTicks, 0);
    EXPECT_GT(model.bandTicks, 0);
    EXPECT_GT(model.fullOnMainsTicks, 0);
    EXPECT_GT(model.unknownTicks, 0);
    EXPECT_GT(model.heldTicks, 0);
    EXPECT_GT(model.sleeps, 0);
    EXPECT_GT(model.discarded, 100);
    EXPECT_GT(model.drainsLearned, 1000);
    EXPECT_GT(model.chargesLearned, 1000);

#ifndef VOLTLINE_SOAK_SANITIZED
    // Per-second strings come and go; nothing may pile up. The resident size also counts
    // code pages that rare branches touch for the first time, hence the small allowance.
    EXPECT_LE(atEnd.heapInUse - afterFirstDay.heapInUse, 1024);
    EXPECT_LE(atEnd.resident - afterFirstDay.resident, 256 * 1024);
#endif
}

// Thousands of folds into one mean: it must stay the mean of what was folded, not sink
// towards the shortest intervals through the truncation of each step.
TEST(MonitorSoak, LearnedMeanFollowsThousandsOfIntervals)
{
    struct Row {
        const char *name;
        qint32 statusCode; // 2 drains, 8 charges
        std::function<qint32(int)> interval;
    };
    std::mt19937 rng(7);
    std::normal_distribution<double> spread(120, 30);
    const Row rows[] = {
        {"steady drain", 2, [](int) { return 100; }},
        {"alternating drain", 2, [](int i) { return i % 2 ? 90 : 150; }},
        {"scattered drain", 2, [&](int) { return std::max(15, int(spread(rng))); }},
        {"alternating charge", 8, [](int i) { return i % 3 ? 40 : 100; }},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        GeneratedSource source;
        source.reading = {quint8(row.statusCode == 2 ? 0 : 1), 0, 50, -1};
        TPowerInfo power(source, nullptr);
        BarSettings settings;
        DischargeStatistics stats;
        CountingHost host;
        FakeShutdownRequester shutdown;
        Monitor monitor(power, settings, stats, host, shutdown);
        monitor.StatusCode = row.statusCode;

        qint64 total = 120 * 3;
        qint64 taken = 3;
        for (int i = 0; i < 5000; ++i) {
            const qint32 interval = row.interval(i);
            total += interval;
            ++taken;
            monitor.SecondsSinceChange = interval;
            monitor.LearnAndEstimate();
        }
        const qint32 mean = row.statusCode == 2 ? stats.DrainTime : stats.ChargeTime;
        const qint32 count = row.statusCode == 2 ? stats.DrainTaken : stats.ChargeTaken;
        EXPECT_EQ(count, taken);
        EXPECT_EQ(mean, total / taken);
    }
}

// A steady second builds two new texts, the time and the title, and nothing else.
TEST(MonitorSoak, SteadySecondsAllocateOnlyTheirTwoTexts)
{
    if (!countingMallocActive())
        GTEST_SKIP() << "the sanitizer owns malloc in this build";
    GeneratedSource source;
    source.reading = {0, 0, 57, 3 * 3600};
    TPowerInfo power(source, nullptr);
    BarSettings settings;
    DischargeStatistics stats;
    CountingHost host;
    FakeShutdownRequester shutdown;
    Monitor monitor(power, settings, stats, host, shutdown);
    monitor.StartMonitor();
    const auto second = [&] {
        power.Refresh();
        monitor.tmrComputeInfoTimer();
        monitor.tmrDisplayInfoTimer();
    };
    for (int i = 0; i < 3; ++i)
        second();

    const long before = mallocCount();
    for (int i = 0; i < 100; ++i)
        second();
    EXPECT_LE(mallocCount() - before, 2 * 100);
    EXPECT_EQ(host.percentText, "57%");
    EXPECT_TRUE(host.title.startsWith("57%, "));
}

} // namespace
