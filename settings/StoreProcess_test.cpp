// Several processes on one store file: killed writers, racing writers, failing file systems.
#include "RegistryDocument.h"
#include "RegistryStore.h"
#include "StoreTestChild.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>
#include <signal.h>

namespace {

const QString kConfig = QStringLiteral("\\Software\\Quorvex\\Voltline\\Configuration");
const QString kStats = QStringLiteral("\\Software\\Quorvex\\Voltline\\Stats");

// Every number one save writes; the child makes them all equal.
const char *const kConfigNumbers[] = {"Top", "Left", "Height", "WarnPercent", "ShutdownPercent"};
const char *const kStatsNumbers[] = {"DrainTime", "DrainTaken", "ChargeTime", "ChargeTaken"};

struct Snapshot {
    bool parsed = false;
    int n = 0;
    bool consistent = false;
    int bulk = 0;
};

Snapshot inspect(const QString &file)
{
    Snapshot s;
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return s;
    bool corrupt = true;
    const RegistryDocument doc = RegistryDocument::parse(f.readAll(), &corrupt);
    if (corrupt || doc.ignoredLineCount() != 0)
        return s;
    s.parsed = true;
    RegistryStore reg(file);
    if (!reg.openKey(kConfig, false))
        return s;
    s.n = reg.readInteger(QStringLiteral("Top")).value_or(-1);
    s.consistent = true;
    for (const char *name : kConfigNumbers)
        s.consistent = s.consistent && reg.readInteger(QLatin1String(name)) == s.n;
    reg.closeKey();
    s.consistent = s.consistent && reg.openKey(kStats, false);
    for (const char *name : kStatsNumbers)
        s.consistent = s.consistent && reg.readInteger(QLatin1String(name)) == s.n;
    reg.closeKey();
    if (reg.openKey(QStringLiteral("\\Software\\Bulk"), false)) {
        for (int i = 0; i < 300; ++i)
            s.bulk += reg.readInteger(QStringLiteral("Keep%1").arg(i)) == i ? 1 : 0;
    }
    return s;
}

QStringList leftovers(const QString &folder)
{
    return QDir(folder)
        .entryList(QDir::Files | QDir::Hidden | QDir::System)
        .filter(QStringLiteral(".tmp-"));
}

TEST(StoreProcess, KilledWriterLeavesOldOrNewValues)
{
    QTemporaryDir tmp;
    const QString folder = tmp.filePath(QStringLiteral("voltline"));
    const QString file = folder + QStringLiteral("/user.reg");
    {
        // Unrelated values make every save rewrite a larger file, widening the window for a
        // kill in the middle of it.
        RegistryStore reg(file);
        reg.openKey(QStringLiteral("\\Software\\Bulk"), true);
        for (int i = 0; i < 300; ++i)
            reg.writeInteger(QStringLiteral("Keep%1").arg(i), i);
        ASSERT_TRUE(reg.commit());
    }

#ifdef __SANITIZE_ADDRESS__
    constexpr int kKills = 50; // each sanitized child takes long to start
#else
    constexpr int kKills = 200;
#endif
    int last = 0;
    for (int round = 0; round < kKills; ++round) {
        SCOPED_TRACE(round);
        QProcess child;
        child.start(storeTestBinary(), {QStringLiteral("--child"), QStringLiteral("save-loop"),
                                        file, QString::number(last + 1)});
        ASSERT_TRUE(child.waitForStarted());
        // Let it finish one save, then kill it at a random point of the following ones.
        const QDeadlineTimer deadline(20000);
        while (inspect(file).n <= last && !deadline.hasExpired())
            QThread::yieldCurrentThread();
        ASSERT_FALSE(deadline.hasExpired()) << "the child never saved";
        QThread::usleep(QRandomGenerator::global()->bounded(3000));
        ::kill(pid_t(child.processId()), SIGKILL);
        child.waitForFinished();

        const Snapshot s = inspect(file);
        ASSERT_TRUE(s.parsed);
        ASSERT_TRUE(s.consistent) << "values of two saves mixed";
        ASSERT_GE(s.n, last);
        ASSERT_EQ(s.bulk, 300) << "unrelated values lost";
        last = s.n;
    }
    // A normal save afterwards gets the lock a killed writer held and tidies its leftovers.
    RegistryStore reg(file);
    reg.openKey(kConfig, true);
    reg.writeInteger(QStringLiteral("Top"), last + 1);
    ASSERT_TRUE(reg.commit());
    EXPECT_TRUE(leftovers(folder).isEmpty()) << leftovers(folder).join(u' ').toStdString();
    RecordProperty("saves_before_kill", last);
}

// Desktops read every file of the autostart folder; a writer killed at any moment must leave
// either no entry or a whole one there, and nothing else.
TEST(StoreProcess, KilledAutostartWriterLeavesOnlyWholeEntries)
{
    QTemporaryDir tmp;
    const QString config = tmp.filePath(QStringLiteral("config"));
    const QString folder = config + QStringLiteral("/autostart");
    QDir().mkpath(tmp.filePath(QStringLiteral("xdg/autostart")));
    QFile system(tmp.filePath(QStringLiteral("xdg/autostart/voltline.desktop")));
    ASSERT_TRUE(system.open(QIODevice::WriteOnly));
    system.close();
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE(round);
        QProcess child;
        child.start(storeTestBinary(),
                    {QStringLiteral("--child"), QStringLiteral("autostart-loop"), config});
        ASSERT_TRUE(child.waitForStarted());
        const QDeadlineTimer deadline(20000);
        while (!QFile::exists(folder + QStringLiteral("/voltline.desktop")) &&
               !deadline.hasExpired())
            QThread::yieldCurrentThread();
        QThread::usleep(QRandomGenerator::global()->bounded(3000));
        ::kill(pid_t(child.processId()), SIGKILL);
        child.waitForFinished();
        ASSERT_NE(child.exitCode(), 1) << child.readAllStandardError().toStdString();

        const QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden |
                                                         QDir::System | QDir::NoDotAndDotDot);
        ASSERT_EQ(names, QStringList{QStringLiteral("voltline.desktop")});
        QFile entry(folder + QStringLiteral("/voltline.desktop"));
        ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
        const QByteArray text = entry.readAll();
        ASSERT_TRUE(text.startsWith("[Desktop Entry]\n") &&
                    (text.endsWith("\nHidden=true\n") ||
                     text.endsWith("\nX-GNOME-Autostart-enabled=true\n")))
            << text.toStdString();
    }
}

TEST(StoreProcess, TwoWritersKeepEachOthersValues)
{
    QTemporaryDir tmp;
    const QString file = tmp.filePath(QStringLiteral("voltline/user.reg"));
    constexpr int kEach = 150;
    QProcess a;
    QProcess b;
    a.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    b.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    a.start(storeTestBinary(), {QStringLiteral("--child"), QStringLiteral("race"), file,
                                QStringLiteral("A"), QString::number(kEach)});
    b.start(storeTestBinary(), {QStringLiteral("--child"), QStringLiteral("race"), file,
                                QStringLiteral("B"), QString::number(kEach)});
    ASSERT_TRUE(a.waitForFinished(60000));
    ASSERT_TRUE(b.waitForFinished(60000));
    EXPECT_EQ(a.exitCode(), 0);
    EXPECT_EQ(b.exitCode(), 0);

    RegistryStore reg(file);
    ASSERT_TRUE(reg.openKey(QStringLiteral("\\Software\\Race"), false));
    int missing = 0;
    for (int i = 0; i < kEach; ++i) {
        missing += reg.readInteger(QStringLiteral("A%1").arg(i)) == i ? 0 : 1;
        missing += reg.readInteger(QStringLiteral("B%1").arg(i)) == i ? 0 : 1;
    }
    EXPECT_EQ(missing, 0);
}

TEST(StoreProcess, ReadOnlyAndFullFileSystems)
{
    QTemporaryDir tmp;
    QProcess child;
    child.start(storeTestBinary(),
                {QStringLiteral("--child"), QStringLiteral("faults"), tmp.path()});
    ASSERT_TRUE(child.waitForFinished(60000));
    const QString said = QString::fromLocal8Bit(child.readAllStandardError()).trimmed();
    if (child.exitCode() == kChildSkipped)
        GTEST_SKIP() << said.toStdString();
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(child.exitCode(), 0) << said.toStdString();
}

} // namespace
