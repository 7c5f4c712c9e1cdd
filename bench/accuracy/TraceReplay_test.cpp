// The replay behind the accuracy benchmark, on logs made up here: if it ever stopped feeding
// the monitor, or measured against the wrong clock, the benchmark would go on printing figures.
#include "TraceReplay.h"

#include <QByteArray>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

constexpr qint64 kSecondsPerPercent = 180;
constexpr qint64 kSleepSeconds = 7200;

// A laptop losing one percent every 3 minutes from 100 % to 0 %, logged every minute as an
// integer gauge with no status, as the run-down loggers write it. With `sleepAt`, the machine
// sleeps two hours right after that row, losing nothing meanwhile.
QByteArray constantDrain(int sleepAt = -1)
{
    QByteArray text = "# trace: constant\n# device: Test Laptop, made up\n"
                      "# columns: t_s\tpercent\tstatus\tpower_W\n";
    qint64 shift = 0;
    for (int row = 0; row * 60 <= 100 * kSecondsPerPercent; ++row) {
        const qint64 t = row * 60;
        text += QByteArray::number(t + shift) + '\t' +
                QByteArray::number(100 - t / kSecondsPerPercent) + "\t\t\n";
        if (row == sleepAt)
            shift += kSleepSeconds;
    }
    return text;
}

// The relative error of the strip's time at each checkpoint.
std::vector<double> measure(const Trace &trace, const ReplayPlan &plan, DischargeStatistics &stats)
{
    std::vector<double> errors;
    qsizetype next = 0;
    replayTrace(trace, plan, stats, [&](const ReplayTick &tick) {
        if (next < plan.checkpoints.size() &&
            plan.checkpoints[next].awakeSecond == tick.awakeSecond)
            errors.push_back(
                relativeError(double(tick.shownSeconds), tick.drainTime, plan.checkpoints[next++]));
    });
    return errors;
}

TEST(TraceReplay, LearnedTimeConvergesOnAConstantDrain)
{
    // Rows 0..2 are 100 %; a sleep after the last row at 60 % steps to 59 % across it.
    for (const int sleepAt : {-1, 3 * 40 + 2}) {
        SCOPED_TRACE(sleepAt);
        QString error;
        const auto trace = parseTrace(constantDrain(sleepAt), &error);
        ASSERT_TRUE(trace) << qPrintable(error);
        const ReplayPlan plan = planReplay(*trace);

        // Every minute from 90 % to 10 %, in awake time: the sleep takes the place of one
        // minute's row and counts one second.
        const qint64 lost = sleepAt < 0 ? 0 : 59;
        ASSERT_EQ(plan.checkpoints.size(), 243);
        EXPECT_EQ(plan.checkpoints.first().awakeSecond, 10 * kSecondsPerPercent);
        EXPECT_EQ(plan.checkpoints.first().secondsLeft, 90 * kSecondsPerPercent - lost);
        EXPECT_EQ(plan.checkpoints.first().endPercent, 0);

        // A first start: the built-in 120 s per percent is far from the truth at 90 %.
        DischargeStatistics stats;
        const std::vector<double> fresh = measure(*trace, plan, stats);
        ASSERT_EQ(fresh.size(), 243u);
        EXPECT_GT(fresh.front(), 0.10);

        // The same discharge once more, with what the first taught.
        EXPECT_NEAR(stats.DrainTime, kSecondsPerPercent, 0.02 * kSecondsPerPercent);
        const std::vector<double> learned = measure(*trace, plan, stats);
        ASSERT_EQ(learned.size(), 243u);
        EXPECT_LT(*std::max_element(learned.begin(), learned.end()), 0.03);
    }
}

TEST(TraceReplay, DischargeEndingAboveEmptyIsMeasuredToItsEnd)
{
    // 80 % to 40 % at 3 minutes a point, then plugged in.
    QByteArray text;
    for (int row = 0; row <= 40 * 3; ++row)
        text += QByteArray::number(row * 60) + '\t' + QByteArray::number(80 - row / 3) +
                "\tDischarging\t\n";
    text += QByteArray::number(121 * 60) + "\t40\tCharging\t\n";
    const auto trace = parseTrace(text);
    ASSERT_TRUE(trace);
    const ReplayPlan plan = planReplay(*trace);
    ASSERT_EQ(plan.discharges.size(), 1);
    EXPECT_EQ(plan.discharges.first().endPercent, 40);
    // From 80 % down to 50 %: ten points above the end.
    ASSERT_FALSE(plan.checkpoints.isEmpty());
    EXPECT_EQ(plan.checkpoints.first().percent, 80);
    EXPECT_EQ(plan.checkpoints.last().percent, 50);
    // A strip that knows the rate (3 minutes a point) counts to 0 % and is right to 40 %.
    for (const ReplayPlan::Checkpoint &c : plan.checkpoints) {
        const double toEmpty = c.percent * kSecondsPerPercent - double(c.awakeSecond % 180);
        EXPECT_EQ(relativeError(toEmpty, kSecondsPerPercent, c), 0) << c.awakeSecond;
    }
    // One that shows 0:00:00 with time left is wholly wrong, not more.
    EXPECT_EQ(relativeError(0, kSecondsPerPercent, plan.checkpoints.first()), 1);
}

TEST(TraceReplay, ReadsTheLogFormat)
{
    const auto trace = parseTrace("# device: same Acme Book 3 (model x, 2020)\n"
                                  "0\t55.25\tDischarging\t7.5\n"
                                  "0\t55.20\tDischarging\t7.4\n"
                                  "1\t55.10\tUnknown\t\n");
    ASSERT_TRUE(trace);
    EXPECT_EQ(trace->device, QStringLiteral("Acme Book 3"));
    ASSERT_EQ(trace->samples.size(), 2); // one row a second, the last of it
    EXPECT_EQ(trace->samples[0].percent, 55.20);
    EXPECT_EQ(trace->samples[1].status, TraceStatus::NotCharging);
    EXPECT_TRUE(trace->finePercent);
    EXPECT_TRUE(trace->hasPower);

    for (const char *bad : {"5\t50\t\t\n4\t49\t\t\n", "0\t50\tDischarging\n", "0\t150\t\t\n",
                            "0\t50\tSleeping\t\n", "0\t50\t\t-3\n", "# only a header\n"}) {
        SCOPED_TRACE(bad);
        QString error;
        EXPECT_FALSE(parseTrace(bad, &error));
        EXPECT_FALSE(error.isEmpty());
    }
}

} // namespace
