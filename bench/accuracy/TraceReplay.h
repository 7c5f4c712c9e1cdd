#pragma once

#include "BarSettings.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <functional>
#include <optional>

// Replays a recorded battery log through the real sampler and monitor, one tick per second the
// machine was awake, and says at which minutes the shown time is measured against the time the
// log really took. The accuracy benchmark and its test share it.

enum class TraceStatus {
    Unrecorded, // the logger kept no status: these logs were taken on battery
    Discharging,
    Charging,
    Full,
    NotCharging, // on mains, neither charging nor full (a charge limit)
};

struct TraceSample {
    qint64 second = 0; // since the log's first row
    double percent = 0;
    TraceStatus status = TraceStatus::Unrecorded;
    std::optional<double> powerW;
};

struct Trace {
    QString name;
    // The device the log was taken on, as its header names it (up to the first comma or
    // parenthesis): logs of one device share what Voltline learns.
    QString device;
    // One row per second: where the log has several in a second, the sampler would only have
    // seen the last.
    QList<TraceSample> samples;
    // Percents with decimals: ratios of energy or charge, which the kernel gives as such.
    bool finePercent = false;
    bool hasPower = false;
};

// The tab-separated log format: "#" header lines, then "t_s percent status power_W" rows.
std::optional<Trace> parseTrace(const QByteArray &text, QString *error = nullptr);
std::optional<Trace> readTrace(const QString &path, QString *error = nullptr);

bool onBattery(TraceStatus status);

// How a trace is replayed and where it is measured.
struct ReplayPlan {
    // A minute at which the shown time is compared with what really followed.
    struct Checkpoint {
        qint64 awakeSecond = 0;
        int sample = 0;         // the row in force
        double percent = 0;     // its percent
        double endPercent = 0;  // where its discharge ends
        qint64 secondsLeft = 0; // awake seconds until then
    };
    // A stretch on battery, up to the first row at its lowest reading.
    struct Discharge {
        int first = 0;
        int last = 0;
        double endPercent = 0;
    };

    // Per row: the gap before it is a sleep or an off spell, in which no tick runs.
    QList<bool> sleepBefore;
    // Per row: the awake second at which the sampler first reads it (0 for the first row).
    QList<qint64> awakeAt;
    QList<Discharge> discharges;
    QList<Checkpoint> checkpoints;
};

// A gap counts as a sleep (or an off spell) when it is longer than three sampling intervals and
// ten minutes, unless it lies on battery on both sides and lost at least half of what the log
// loses awake in that time. Discharges end where the log leaves battery or the battery gained
// more than a point. Checkpoints fall on every awake minute on battery from 90 % down to 10 %
// and at least 10 points above where that discharge ends.
ReplayPlan planReplay(const Trace &trace);

// The error of an estimate of the time to empty, relative to the time really left. A discharge
// that ends above empty is measured to where it ends: the estimate less what the estimator
// itself would give the last points (its own seconds per percent). Showing nothing left while
// time is left is an error of 100 %.
double relativeError(double toEmptySeconds, double secondsPerPercent,
                     const ReplayPlan::Checkpoint &checkpoint);

struct ReplayTick {
    qint64 awakeSecond = 0;
    qint64 traceSecond = 0;
    int sample = 0;          // the row the sampler read
    bool afterSleep = false; // the first tick after a sleep or an off spell
    qint64 shownSeconds = 0; // the strip's time after this second
    qint32 drainTime = 0;    // the learned seconds per percent the time was counted from
};

// Runs the trace through the sampler and the monitor, one tick per awake second, starting with
// `stats` as stored and leaving in it what was learned. A sleep is reported to the monitor
// where it can tell one. The kernel's view of each row: capacity (or energy now and full for
// fine percents), the battery status, and the mains online while not on battery.
void replayTrace(const Trace &trace, const ReplayPlan &plan, DischargeStatistics &stats,
                 const std::function<void(const ReplayTick &)> &onTick = {});
