#include "SysfsPowerSource.h"

#include <QFile>
#include <QGuiApplication>
#include <QScreen>

#include <array>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

qint64 bootTimeMs()
{
    struct timespec now {};
    ::clock_gettime(CLOCK_BOOTTIME, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1'000'000;
}

// Sysfs attributes are a line of text; anything longer than this is not one we can use.
constexpr size_t kAttributeMax = 64;

// Reads "entry/attribute" below the open folder into buf; empty view when missing,
// unreadable or too long.
QByteArrayView readAttribute(int dirFd, const char *entry, const char *attribute,
                             std::array<char, kAttributeMax> &buf)
{
    std::array<char, 512> path;
    const size_t entryLen = std::strlen(entry);
    const size_t attrLen = std::strlen(attribute);
    if (entryLen + 1 + attrLen + 1 > path.size())
        return {};
    std::memcpy(path.data(), entry, entryLen);
    path[entryLen] = '/';
    std::memcpy(path.data() + entryLen + 1, attribute, attrLen + 1);

    const int fd = ::openat(dirFd, path.data(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return {};
    size_t total = 0;
    bool tooLong = false;
    for (;;) {
        if (total == buf.size()) {
            char probe;
            ssize_t more;
            do {
                more = ::read(fd, &probe, 1);
            } while (more < 0 && errno == EINTR);
            tooLong = more != 0;
            break;
        }
        const ssize_t n = ::read(fd, buf.data() + total, buf.size() - total);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            total = 0; // e.g. EIO from a battery that went away mid-read, or a directory
            break;
        }
        if (n == 0)
            break;
        total += size_t(n);
    }
    ::close(fd);
    if (tooLong)
        return {};
    return QByteArrayView(buf.data(), qsizetype(total));
}

} // namespace

SysfsPowerSource::SysfsPowerSource(QString root, Clock clock)
    : m_root(std::move(root))
    , m_clock(clock ? std::move(clock) : Clock(bootTimeMs))
    , m_rootPath(QFile::encodeName(m_root))
{
}

PowerStatusReading SysfsPowerSource::readPowerStatus()
{
    m_supplies.clear();
    const int dirFd = ::open(m_rootPath.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0)
        return bridgeUnreadableCharge(mapPowerSupplies(m_supplies));
    // The raw directory reads fill a buffer on the stack: opendir() would allocate one each
    // second, and the sampler runs all day.
    alignas(dirent64) char entries[2048];
    std::array<char, kAttributeMax> buf;
    for (;;) {
        const ssize_t n = ::getdents64(dirFd, entries, sizeof entries);
        if (n <= 0)
            break; // end, or the folder went away under us: what we have is the reading
        for (ssize_t at = 0; at < n;) {
            const auto *e = reinterpret_cast<const dirent64 *>(entries + at);
            at += e->d_reclen;
            if (e->d_name[0] == '.')
                continue;
            // Entries are usually symlinks to device folders. A stray file fails the
            // "type" read (ENOTDIR) and is skipped like any unknown supply.
            const PowerSupplyAttributes s = parseSupply([&](const char *attribute) {
                return readAttribute(dirFd, e->d_name, attribute, buf);
            });
            if (s.kind != SupplyKind::Other)
                m_supplies.push_back(s);
        }
    }
    ::close(dirFd);
    return bridgeUnreadableCharge(mapPowerSupplies(m_supplies));
}

// A battery that cannot be read for a moment (its folder gone while the kernel enumerates it
// again, "present" 0 during a driver reset, a charge file caught mid-update) would read as
// "no battery" or as 0 %, and on battery 0 % can reach the shutdown level. For a short grace
// the last charge stands in, marked as such, while what can still be read (mains, charging)
// stays live. With nothing read yet, or after the grace, the state is "cannot tell", which
// the monitor shows but never acts on. A battery seen once in this run keeps it at "cannot
// tell" while it is away, until it reads again.
PowerStatusReading SysfsPowerSource::bridgeUnreadableCharge(PowerStatusReading r)
{
    const bool batteryPresent = r.BatteryFlag != 128;
    if (!batteryPresent && !m_seenBattery)
        return r; // a machine without a battery: on mains
    const qint64 now = m_clock();
    if (batteryPresent && r.BatteryLifePercent != 255) {
        m_seenBattery = true;
        m_lastCharge = r;
        m_lastChargeAt = now;
        return r;
    }
    if (!m_lastCharge || now - m_lastChargeAt > kGraceMs || now < m_lastChargeAt) {
        PowerStatusReading unknown;
        unknown.ACLineStatus = 255;
        unknown.BatteryFlag = 255;
        unknown.BatteryLifePercent = 255;
        unknown.BatteryLifeTime = -1;
        return unknown;
    }
    const PowerStatusReading &last = *m_lastCharge;
    PowerStatusReading bridged = last;
    bridged.ChargeBridged = true;
    if (batteryPresent) {
        bridged.BatteryFlag = r.BatteryFlag == 255
                                  ? last.BatteryFlag
                                  : quint8((last.BatteryFlag & 0x07) | (r.BatteryFlag & 0x08));
        if (r.ACLineStatus != 255) {
            bridged.ACLineStatus = r.ACLineStatus;
            bridged.BatteryHeld = r.BatteryHeld;
        }
        if (r.BatteryLifeTime >= 0 || bridged.ACLineStatus != 0)
            bridged.BatteryLifeTime = r.BatteryLifeTime;
    }
    return bridged;
}

WorkAreaRect SysfsPowerSource::readWorkArea()
{
    WorkAreaRect area;
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return area;
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return area;
    const QRect r = screen->availableGeometry();
    area.Left = r.left();
    area.Top = r.top();
    area.Right = r.left() + r.width();
    area.Bottom = r.top() + r.height();
    return area;
}
