#include "SafeFile.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char kTempMarker[] = ".tmp-";

QByteArray temporaryPrefix(const QString &fileName)
{
    return "." + QFile::encodeName(fileName) + kTempMarker;
}

class FdCloser {
public:
    explicit FdCloser(int fd)
        : m_fd(fd)
    {
    }
    ~FdCloser()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FdCloser(const FdCloser &) = delete;
    FdCloser &operator=(const FdCloser &) = delete;
    int get() const { return m_fd; }
    int release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }

private:
    int m_fd;
};

bool writeAll(int fd, const QByteArray &data)
{
    const char *p = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

} // namespace

namespace SafeFile {

bool isTrustedFolder(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat link {};
    if (::lstat(native.constData(), &link) != 0)
        return false;
    // A link of our own (a dotfiles checkout, say) is fine; one planted by another user is not.
    if (S_ISLNK(link.st_mode) && link.st_uid != ::geteuid())
        return false;
    struct stat st {};
    if (::stat(native.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
        return false;
    return true;
}

bool ensurePrivateFolder(const QString &path)
{
    const QString clean = QDir::cleanPath(QDir(path).absolutePath());
    QStringList missing;
    QString probe = clean;
    while (!probe.isEmpty() && probe != QLatin1String("/")) {
        struct stat st {};
        if (::lstat(QFile::encodeName(probe).constData(), &st) == 0)
            break;
        missing.prepend(probe);
        probe = QFileInfo(probe).path();
    }
    for (const QString &folder : missing) {
        if (::mkdir(QFile::encodeName(folder).constData(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    if (!isTrustedFolder(clean))
        return false;
    // Nobody else may put a file of their own (or a link) beside ours.
    const QByteArray native = QFile::encodeName(clean);
    struct stat st {};
    return ::stat(native.constData(), &st) == 0 &&
           ((st.st_mode & (S_IWGRP | S_IWOTH)) == 0 ||
            ::chmod(native.constData(), st.st_mode & ~mode_t(S_IWGRP | S_IWOTH) & 07777) == 0);
}

bool writeAtomically(const QString &folder, const QString &fileName, const QByteArray &data,
                     mode_t mode)
{
    FdCloser dir(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() < 0)
        return false;

    const QByteArray target = QFile::encodeName(fileName);
    QByteArray temp;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        temp = temporaryPrefix(fileName) +
               QByteArray::number(QRandomGenerator::global()->generate64(), 36);
        fd = ::openat(dir.get(), temp.constData(),
                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd < 0 && errno != EEXIST)
            return false;
    }
    if (fd < 0)
        return false;
    FdCloser file(fd);

    // The umask may have taken bits we want (0644 for the machine-wide entry).
    bool ok =
        ::fchmod(file.get(), mode) == 0 && writeAll(file.get(), data) && ::fsync(file.get()) == 0;
    ok = (::close(file.release()) == 0) && ok;
    if (ok)
        ok = ::renameat(dir.get(), temp.constData(), dir.get(), target.constData()) == 0;
    if (!ok) {
        ::unlinkat(dir.get(), temp.constData(), 0);
        return false;
    }
    ::fsync(dir.get()); // makes the rename itself durable; not every file system supports it
    return true;
}

bool moveAside(const QString &folder, const QString &fileName, const QString &suffix)
{
    const QDir dir(folder);
    const QByteArray from = QFile::encodeName(dir.filePath(fileName));
    for (int n = 0; n < 100; ++n) {
        QString name = fileName + suffix;
        if (n > 0)
            name += QLatin1Char('-') + QString::number(n);
        const QByteArray to = QFile::encodeName(dir.filePath(name));
        struct stat st {};
        if (::lstat(to.constData(), &st) == 0)
            continue;
        return ::rename(from.constData(), to.constData()) == 0;
    }
    return false;
}

void removeLeftovers(const QString &folder, const QString &fileName)
{
    const QString prefix = QFile::decodeName(temporaryPrefix(fileName));
    const QDir dir(folder);
    const QStringList names =
        dir.entryList({prefix + QLatin1Char('*')}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names)
        ::unlink(QFile::encodeName(dir.filePath(name)).constData());
}

namespace {

// Opens the lock file, never blocking on a FIFO or a device and never through a link. Our own
// copies only ever lock a regular file reached without a link, so anything else standing in
// its place (in a folder that is ours) holds no lock of theirs and is replaced.
int openLockFile(const QByteArray &path)
{
    constexpr int kFlags = O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int fd = ::open(path.constData(), kFlags, S_IRUSR | S_IWUSR);
        struct stat st {};
        if (fd >= 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode))
            return fd;
        const int error = fd < 0 ? errno : S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        if (fd >= 0)
            ::close(fd);
        // A folder may hold someone's files: it stays, and saving fails until it is gone.
        if ((error != ELOOP && error != EINVAL && error != ENXIO) ||
            ::unlink(path.constData()) != 0)
            break;
    }
    return -1;
}

} // namespace

int lockExclusive(const QString &path, int timeoutMs)
{
    const int fd = openLockFile(QFile::encodeName(path));
    if (fd < 0)
        return -1;
    // Poll briefly and often: a copy that saves in a tight loop must not starve the other.
    QDeadlineTimer deadline(timeoutMs);
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if ((errno != EWOULDBLOCK && errno != EINTR) || deadline.hasExpired()) {
            const int error = errno;
            ::close(fd);
            errno = error;
            return -1;
        }
        const struct timespec pause {
            0, 2 * 1000 * 1000
        };
        ::nanosleep(&pause, nullptr);
    }
    return fd;
}

ReadResult readFile(const QString &path, qint64 maxSize)
{
    // Never blocks: a FIFO or a device in the file's place is not a store.
    FdCloser fd(
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0)
        return {errno == ENOENT ? ReadStatus::Missing : ReadStatus::Failed, {}};
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0)
        return {ReadStatus::Failed, {}};
    if (S_ISDIR(st.st_mode))
        return {ReadStatus::Failed, {}}; // a folder holds more than we could set aside
    if (!S_ISREG(st.st_mode))
        return {ReadStatus::NotRegular, {}};
    if (st.st_size > maxSize)
        return {ReadStatus::TooLarge, {}};
    QByteArray bytes;
    bytes.resize(qsizetype(std::min<qint64>(maxSize + 1, qint64(st.st_size) + 1)));
    qsizetype total = 0;
    for (;;) {
        if (total == bytes.size()) {
            if (bytes.size() > maxSize)
                break;
            bytes.resize(qsizetype(std::min<qint64>(maxSize + 1, qint64(bytes.size()) * 2)));
        }
        const ssize_t n = ::read(fd.get(), bytes.data() + total, size_t(bytes.size() - total));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return {ReadStatus::Failed, {}};
        if (n == 0)
            break;
        total += n;
    }
    bytes.truncate(total);
    if (bytes.size() > maxSize)
        return {ReadStatus::TooLarge, {}};
    return {ReadStatus::Ok, bytes};
}

} // namespace SafeFile
