#include "StoreTestChild.h"

#include "AutostartEntry.h"
#include "FakeSettingsWindow.h"
#include "RegistryDocument.h"
#include "RegistryStore.h"
#include "SettingsStore.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

namespace {

int fail(const char *what)
{
    std::fprintf(stderr, "child: %s\n", what);
    return 1;
}

StorePaths pathsFor(const QString &file)
{
    StorePaths paths;
    paths.registryFile = file;
    paths.autostartFile = QFileInfo(file).absolutePath() + QStringLiteral("/no-autostart/x");
    return paths;
}

// One save in which every number is n, so a reader can tell whether a file holds one whole
// save or pieces of two.
bool saveAll(const QString &file, int n)
{
    FakeSettingsWindow window;
    window.top = n;
    window.left = n;
    window.height = n;
    BarSettings settings;
    settings.WarnPercent = n;
    settings.ShutdownPercent = n;
    DischargeStatistics stats{n, n, n, n};
    return SettingsStore(pathsFor(file)).SaveSettings(window, settings, stats);
}

int saveLoop(const QString &file, int first)
{
    for (int n = first;; ++n)
        saveAll(file, n);
}

// Ticks and unticks start at login for ever, the way the configuration dialog would.
int autostartLoop(const QString &configHome)
{
    AutostartEntry entry(configHome + QStringLiteral("/autostart/voltline.desktop"),
                         configHome + QStringLiteral("/voltline"),
                         {configHome + QStringLiteral("/../xdg/autostart/voltline.desktop")});
    for (int n = 0;; ++n) {
        const QString program = QStringLiteral("/opt/voltline-%1/voltline").arg(n);
        if (!(n % 2 ? entry.remove(program) : entry.write(program)))
            return fail("an autostart change failed");
    }
}

int race(const QString &file, const QString &prefix, int count)
{
    for (int i = 0; i < count; ++i) {
        RegistryStore reg(file);
        reg.openKey(QStringLiteral("\\Software\\Race"), true);
        reg.writeInteger(prefix + QString::number(i), i);
        if (!reg.commit())
            return fail("a commit failed");
    }
    return 0;
}

std::optional<int> storedTop(const QString &file)
{
    RegistryStore reg(file);
    if (!reg.openKey(QStringLiteral("\\Software\\Quorvex\\Voltline\\Configuration"), false))
        return std::nullopt;
    return reg.readInteger(QStringLiteral("Top"));
}

bool fillDisk(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0)
        return false;
    const QByteArray block(4096, 'x');
    while (::write(fd, block.constData(), size_t(block.size())) > 0) {
    }
    const QByteArray byte(1, 'x');
    while (::write(fd, byte.constData(), 1) > 0) {
    }
    ::close(fd);
    return true;
}

// Write faults on a small file system of our own, mounted where no one else sees it.
int faults(const QString &mountPoint)
{
    if (::unshare(CLONE_NEWNS) != 0) {
        std::fprintf(stderr, "no private mount namespace (%s)\n", std::strerror(errno));
        return kChildSkipped;
    }
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("tmpfs", QFile::encodeName(mountPoint).constData(), "tmpfs", 0,
                "size=128k,mode=0700") != 0) {
        std::fprintf(stderr, "cannot mount a tmpfs (%s)\n", std::strerror(errno));
        return kChildSkipped;
    }
    const QByteArray mp = QFile::encodeName(mountPoint);
    const QString file = mountPoint + QStringLiteral("/voltline/user.reg");

    // Read-only file system: the save fails, the file stays, the next chance succeeds.
    if (!saveAll(file, 1) || storedTop(file) != 1)
        return fail("first save on the tmpfs");
    if (::mount(nullptr, mp.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0)
        return fail("remount read-only");
    if (saveAll(file, 2))
        return fail("a save on a read-only file system reported success");
    if (storedTop(file) != 1)
        return fail("the read-only file system lost the stored values");
    if (::mount(nullptr, mp.constData(), nullptr, MS_REMOUNT, nullptr) != 0)
        return fail("remount read-write");
    if (!saveAll(file, 3) || storedTop(file) != 3)
        return fail("no save after the file system became writable again");

    // Full disk: the new file cannot be written whole, so the old one must stay.
    const QString filler = mountPoint + QStringLiteral("/filler");
    {
        // Make the next save larger than what is left, so the write fails part-way.
        RegistryStore reg(file);
        reg.openKey(QStringLiteral("\\Software\\Bulk"), true);
        if (!reg.commit())
            return fail("bulk key");
    }
    if (!fillDisk(filler))
        return fail("fill the disk");
    {
        RegistryStore reg(file);
        reg.openKey(QStringLiteral("\\Software\\Bulk"), true);
        for (int i = 0; i < 500; ++i)
            reg.writeString(QStringLiteral("Value%1").arg(i), QString(40, QLatin1Char('v')));
        if (reg.commit())
            return fail("a save on a full disk reported success");
    }
    if (saveAll(file, 4))
        return fail("a save on a full disk reported success");
    if (storedTop(file) != 3)
        return fail("the full disk damaged the stored values");
    const QStringList leftovers = QDir(mountPoint + QStringLiteral("/voltline"))
                                      .entryList(QDir::Files | QDir::Hidden | QDir::System)
                                      .filter(QStringLiteral(".tmp-"));
    if (!leftovers.isEmpty())
        return fail("a failed write left its temporary file behind");
    QFile::remove(filler);
    if (!saveAll(file, 5) || storedTop(file) != 5)
        return fail("no save after space was freed");
    return 0;
}

} // namespace

QString storeTestBinary()
{
    return QCoreApplication::applicationFilePath();
}

int runStoreTestChild(int argc, char **argv)
{
    const QString mode = QString::fromLocal8Bit(argv[0]);
    if (mode == QLatin1String("save-loop") && argc == 3)
        return saveLoop(QString::fromLocal8Bit(argv[1]), std::atoi(argv[2]));
    if (mode == QLatin1String("race") && argc == 4)
        return race(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]),
                    std::atoi(argv[3]));
    if (mode == QLatin1String("autostart-loop") && argc == 2)
        return autostartLoop(QString::fromLocal8Bit(argv[1]));
    if (mode == QLatin1String("faults") && argc == 2)
        return faults(QString::fromLocal8Bit(argv[1]));
    return fail("unknown mode");
}
