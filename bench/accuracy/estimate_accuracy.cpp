// How right is the time next to the gauge? Replays recorded discharges through the real sampler
// and monitor and, at every awake minute from 90 % to 10 % on battery, compares the time the strip
// shows with the time the log really took, beside the estimates a user would otherwise see.
//
//   estimate_accuracy [--minutes FILE] TRACE_OR_FOLDER...
//
// Prints a Markdown table: per log, the median and the 90th percentile of the relative error
// of Voltline from a first start, from the means the same log taught it once before, and from
// the means the other logs of the same device taught it; then the kernel's energy over its
// present power, as is and averaged over about 200 s. --minutes writes every measured minute
// for plot_accuracy.py. What the replay found (sleeps, discharges) goes to standard error.
#include "TraceReplay.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTextStream>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <vector>

namespace {

// The estimates a user would otherwise see, built from the log's own figures: the energy left
// (percent times the watt-hours a percent took in this log) over the present power, as is and
// as an exponential moving average. On logs without power, the averaged rate is the fall of the
// percent since it last moved over the time that took, as a tool must do without the kernel's
// rate.
class ReferenceModels {
public:
    static constexpr double kTimeConstant = 200;

    ReferenceModels(const Trace &trace, const ReplayPlan &plan)
        : m_trace(trace)
    {
        if (!trace.hasPower)
            return;
        // Watt-hours per percent over the log's awake time on battery: what the kernel's energy
        // figures would say, fitted after the fact.
        double energyWh = 0;
        double lost = 0;
        const QList<TraceSample> &s = trace.samples;
        for (qsizetype i = 1; i < s.size(); ++i) {
            if (plan.sleepBefore[i] || !onBattery(s[i - 1].status) || !onBattery(s[i].status))
                continue;
            energyWh += s[i - 1].powerW.value_or(0) * double(s[i].second - s[i - 1].second) / 3600;
            lost += s[i - 1].percent - s[i].percent;
        }
        if (lost > 0 && energyWh > 0)
            m_whPerPercent = energyWh / lost;
    }

    std::optional<double> whPerPercent() const { return m_whPerPercent; }

    void second(const ReplayTick &tick)
    {
        const TraceSample &s = m_trace.samples[tick.sample];
        m_percent = s.percent;
        m_power = s.powerW;
        if (!onBattery(s.status)) {
            // Each unplugging starts afresh, as a tool that says "estimating" for a while.
            m_average.reset();
            m_rate.reset();
            m_since.reset();
            return;
        }
        std::optional<double> input;
        if (m_whPerPercent) {
            input = s.powerW;
        } else {
            if (!m_since || tick.afterSleep || s.percent > m_since->percent) {
                m_since = Since{s.percent, tick.awakeSecond};
            } else if (s.percent < m_since->percent) {
                m_rate = (m_since->percent - s.percent) / double(tick.awakeSecond - m_since->awake);
                m_since = Since{s.percent, tick.awakeSecond};
            }
            input = m_rate;
        }
        if (!input)
            return;
        const double alpha = -std::expm1(-1 / kTimeConstant);
        m_average = m_average ? *m_average + alpha * (*input - *m_average) : *input;
    }

    // Seconds per percent now, or nothing where the model shows no time.
    std::optional<double> instantaneous() const
    {
        if (!m_whPerPercent || !m_power || *m_power <= 0)
            return std::nullopt;
        return *m_whPerPercent * 3600 / *m_power;
    }
    std::optional<double> smoothed() const
    {
        if (!m_average || *m_average <= 0)
            return std::nullopt;
        if (m_whPerPercent)
            return *m_whPerPercent * 3600 / *m_average;
        return 1 / *m_average;
    }
    double percent() const { return m_percent; }

private:
    struct Since {
        double percent = 0;
        qint64 awake = 0;
    };
    const Trace &m_trace;
    std::optional<double> m_whPerPercent;
    double m_percent = 0;
    std::optional<double> m_power;
    std::optional<double> m_average; // watts, or percent per second
    std::optional<double> m_rate;    // percent per second, logs without power
    std::optional<Since> m_since;
};

enum Estimator { Fresh, Learned, Device, Instantaneous, Smoothed, EstimatorCount };
const char *const kEstimatorNames[EstimatorCount] = {
    "Voltline fresh", "Voltline learned", "Voltline, same device", "instantaneous", "smoothed"};

// One measured minute: the time really left to the end of the discharge and what each
// estimator said about the same, in seconds.
struct Minute {
    ReplayPlan::Checkpoint checkpoint;
    std::optional<double> toEnd[EstimatorCount];
    std::optional<double> error[EstimatorCount];
};

struct LoadedTrace {
    QString file;
    Trace trace;
    ReplayPlan plan;
    std::vector<Minute> minutes;
    bool hasDevicePeers = false;
    std::optional<double> whPerPercent;
};

void record(Minute &minute, Estimator which, double toEmpty, double secondsPerPercent)
{
    const ReplayPlan::Checkpoint &c = minute.checkpoint;
    minute.error[which] = relativeError(toEmpty, secondsPerPercent, c);
    minute.toEnd[which] = std::max(toEmpty - c.endPercent * secondsPerPercent, 0.0);
}

// Replays a log and has `measure` look at each checkpoint's tick.
template<typename Measure>
void replayCheckpoints(LoadedTrace &t, DischargeStatistics &stats, Measure &&measure,
                       ReferenceModels *models = nullptr)
{
    std::size_t next = 0;
    replayTrace(t.trace, t.plan, stats, [&](const ReplayTick &tick) {
        if (models)
            models->second(tick);
        if (next < t.minutes.size() && t.minutes[next].checkpoint.awakeSecond == tick.awakeSecond)
            measure(t.minutes[next++], tick);
    });
}

struct Summary {
    std::size_t count = 0;
    double median = 0;
    double p90 = 0;
};

Summary summarize(std::vector<double> errors)
{
    Summary s;
    s.count = errors.size();
    if (errors.empty())
        return s;
    std::sort(errors.begin(), errors.end());
    auto rank = [&](double q) {
        return errors[std::size_t(std::ceil(q * double(errors.size()))) - 1];
    };
    s.median = rank(0.5);
    s.p90 = rank(0.9);
    return s;
}

QString cell(const Summary &s)
{
    if (s.count == 0)
        return QStringLiteral("—");
    return QStringLiteral("%1 / %2").arg(std::lround(100 * s.median)).arg(std::lround(100 * s.p90));
}

QStringList traceFiles(const QStringList &arguments)
{
    QStringList files;
    for (const QString &argument : arguments) {
        const QFileInfo info(argument);
        if (info.isDir()) {
            const QDir dir(argument);
            for (const QString &name :
                 dir.entryList({QStringLiteral("*.tsv")}, QDir::Files, QDir::Name))
                files.append(dir.filePath(name));
        } else {
            files.append(argument);
        }
    }
    return files;
}

int usage()
{
    std::fputs("usage: estimate_accuracy [--minutes FILE] TRACE_OR_FOLDER...\n", stderr);
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    // The sampler owns a timer, which needs an application object; it is never started here.
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    QString minutesPath;
    if (arguments.size() >= 2 && arguments.first() == QLatin1String("--minutes")) {
        arguments.removeFirst();
        minutesPath = arguments.takeFirst();
    }
    const QStringList files = traceFiles(arguments);
    if (files.isEmpty())
        return usage();

    QTextStream err(stderr);
    std::vector<LoadedTrace> traces;
    for (const QString &file : files) {
        QString error;
        auto trace = readTrace(file, &error);
        if (!trace) {
            err << file << ": " << error << Qt::endl;
            return 1;
        }
        LoadedTrace t;
        t.file = QFileInfo(file).completeBaseName();
        t.trace = std::move(*trace);
        t.plan = planReplay(t.trace);
        for (const ReplayPlan::Checkpoint &c : t.plan.checkpoints)
            t.minutes.push_back({c, {}, {}});
        traces.push_back(std::move(t));
    }

    for (LoadedTrace &t : traces) {
        // A first start; what it learned is the start of the second pass.
        DischargeStatistics stats;
        ReferenceModels models(t.trace, t.plan);
        t.whPerPercent = models.whPerPercent();
        replayCheckpoints(
            t, stats,
            [&](Minute &m, const ReplayTick &tick) {
                record(m, Fresh, double(tick.shownSeconds), tick.drainTime);
                if (const auto spp = models.instantaneous())
                    record(m, Instantaneous, models.percent() * *spp, *spp);
                if (const auto spp = models.smoothed())
                    record(m, Smoothed, models.percent() * *spp, *spp);
            },
            &models);
        const DischargeStatistics taught = stats;
        replayCheckpoints(t, stats, [](Minute &m, const ReplayTick &tick) {
            record(m, Learned, double(tick.shownSeconds), tick.drainTime);
        });

        // What the other logs of the device taught, in file order, one run after another.
        DischargeStatistics deviceStats;
        for (const LoadedTrace &other : traces) {
            if (&other == &t || other.trace.device != t.trace.device)
                continue;
            t.hasDevicePeers = true;
            replayTrace(other.trace, other.plan, deviceStats);
        }
        if (t.hasDevicePeers) {
            replayCheckpoints(t, deviceStats, [](Minute &m, const ReplayTick &tick) {
                record(m, Device, double(tick.shownSeconds), tick.drainTime);
            });
        }

        const int sleeps =
            int(std::count(t.plan.sleepBefore.begin(), t.plan.sleepBefore.end(), true));
        err << t.file << ": device \"" << t.trace.device << "\", " << t.trace.samples.size()
            << " rows, " << sleeps << " sleeps or off spells, " << t.plan.discharges.size()
            << " discharges ending at";
        for (const ReplayPlan::Discharge &d : t.plan.discharges)
            err << ' ' << d.endPercent;
        err << ", " << t.minutes.size() << " minutes measured";
        if (t.whPerPercent)
            err << ", " << QString::number(*t.whPerPercent * 100, 'f', 1) << " Wh per 100 %";
        err << "; one pass taught " << taught.DrainTime << " s/% draining (" << taught.DrainTaken
            << " intervals), " << taught.ChargeTime << " s/% charging (" << taught.ChargeTaken
            << ")" << Qt::endl;
    }

    QTextStream out(stdout);
    out << "| log | minutes |";
    for (const char *name : kEstimatorNames)
        out << ' ' << name << " |";
    out << "\n|---|---:|";
    for (int e = 0; e < EstimatorCount; ++e)
        out << "---:|";
    out << '\n';

    std::vector<double> all[EstimatorCount];
    std::vector<double> traceMedians[EstimatorCount];
    std::vector<double> traceP90s[EstimatorCount];
    QStringList gaps;
    for (const LoadedTrace &t : traces) {
        out << "| " << (t.trace.name.isEmpty() ? t.file : t.trace.name) << " | " << t.minutes.size()
            << " |";
        for (int e = 0; e < EstimatorCount; ++e) {
            std::vector<double> errors;
            for (const Minute &m : t.minutes) {
                if (m.error[e])
                    errors.push_back(*m.error[e]);
            }
            all[e].insert(all[e].end(), errors.begin(), errors.end());
            const Summary s = summarize(errors);
            if (s.count > 0) {
                traceMedians[e].push_back(s.median);
                traceP90s[e].push_back(s.p90);
            }
            const bool applies =
                (e != Device || t.hasDevicePeers) && (e != Instantaneous || t.whPerPercent);
            if (applies && s.count < t.minutes.size())
                gaps.append(QStringLiteral("%1 %2: %3 of %4")
                                .arg(t.file.section(QLatin1Char('-'), 0, 0),
                                     QLatin1String(kEstimatorNames[e]))
                                .arg(t.minutes.size() - s.count)
                                .arg(t.minutes.size()));
            out << ' ' << cell(s) << " |";
        }
        out << '\n';
    }
    std::size_t total = 0;
    for (const LoadedTrace &t : traces)
        total += t.minutes.size();
    out << "| all minutes | " << total << " |";
    for (int e = 0; e < EstimatorCount; ++e)
        out << ' ' << cell(summarize(all[e])) << " |";
    out << "\n| median log | |";
    for (int e = 0; e < EstimatorCount; ++e) {
        const Summary m = summarize(traceMedians[e]);
        const Summary p = summarize(traceP90s[e]);
        out << ' '
            << (m.count ? QStringLiteral("%1 / %2")
                              .arg(std::lround(100 * m.median))
                              .arg(std::lround(100 * p.median))
                        : QStringLiteral("—"))
            << " |";
    }
    out << '\n';
    if (!gaps.isEmpty())
        out << "\nMinutes without an estimate (no power, 0 W, or no fall of the percent yet): "
            << gaps.join(QStringLiteral("; ")) << ".\n";
    out.flush();

    if (!minutesPath.isEmpty()) {
        QFile file(minutesPath);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            err << minutesPath << ": " << file.errorString() << Qt::endl;
            return 1;
        }
        QTextStream m(&file);
        m << "log\tawake_s\tpercent\tleft_s\tfresh_s\tlearned_s\tdevice_s\tinstantaneous_s\t"
             "smoothed_s\n";
        for (const LoadedTrace &t : traces) {
            for (const Minute &minute : t.minutes) {
                m << t.file << '\t' << minute.checkpoint.awakeSecond << '\t'
                  << minute.checkpoint.percent << '\t' << minute.checkpoint.secondsLeft;
                for (const auto &value : minute.toEnd) {
                    m << '\t';
                    if (value)
                        m << qint64(std::llround(*value));
                }
                m << '\n';
            }
        }
    }
    return 0;
}
