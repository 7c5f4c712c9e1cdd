// The sampler runs every second all day: once warm, a refresh from the kernel's folder must
// not allocate.
#include "CountingMalloc.h"
#include "SysfsPowerSource.h"
#include "TPowerInfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

void put(const QString &path, const QByteArray &value)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(value);
}

// A laptop's folder: a battery with energy figures, a mains adapter, a mouse.
void makeFolder(const QString &root)
{
    QDir(root).mkpath(QStringLiteral("BAT0"));
    QDir(root).mkpath(QStringLiteral("AC"));
    QDir(root).mkpath(QStringLiteral("hidpp_battery_0"));
    put(root + QStringLiteral("/BAT0/type"), "Battery\n");
    put(root + QStringLiteral("/BAT0/present"), "1\n");
    put(root + QStringLiteral("/BAT0/status"), "Discharging\n");
    put(root + QStringLiteral("/BAT0/capacity"), "57\n");
    put(root + QStringLiteral("/BAT0/energy_now"), "28500000\n");
    put(root + QStringLiteral("/BAT0/energy_full"), "50000000\n");
    put(root + QStringLiteral("/BAT0/power_now"), "9500000\n");
    put(root + QStringLiteral("/AC/type"), "Mains\n");
    put(root + QStringLiteral("/AC/online"), "0\n");
    put(root + QStringLiteral("/hidpp_battery_0/type"), "Battery\n");
    put(root + QStringLiteral("/hidpp_battery_0/scope"), "Device\n");
    put(root + QStringLiteral("/hidpp_battery_0/capacity"), "12\n");
}

TEST(SamplerAllocation, SteadyRefreshesAllocateNothing)
{
    if (!countingMallocActive())
        GTEST_SKIP() << "the sanitizer owns malloc in this build";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    makeFolder(dir.path());

    SysfsPowerSource source(dir.path());
    TPowerInfo power(source, nullptr);
    power.Refresh(); // warm: the list of supplies has its room now
    ASSERT_EQ(power.BatteryPercent(), 57);
    ASSERT_EQ(power.PowerSupply(), 0);

    const long before = mallocCount();
    for (int i = 0; i < 100; ++i) {
        source.readPowerStatus();
        power.Refresh();
    }
    EXPECT_EQ(mallocCount() - before, 0);
    EXPECT_EQ(power.BatteryPercent(), 57);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
