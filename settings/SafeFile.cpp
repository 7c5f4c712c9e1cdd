#include "SafeFile.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>

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

int lockExclusive(const QString &path, int timeoutMs)
{
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, S_IRUSR | S_IWUSR);
    if (fd < 0)
        return -1;
    // Poll briefly and often: a copy that saves in a tight loop must not starve the other.
    QDeadlineTimer deadline(timeoutMs);
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if ((errno != EWOULDBLOCK && errno != EINTR) || deadline.hasExpired()) {
            ::close(fd);
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
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {file.error() == QFileDevice::OpenError && !QFileInfo::exists(path)
                    ? ReadStatus::Missing
                    : ReadStatus::Failed,
                {}};
    }
    if (!file.isSequential() && file.size() > maxSize)
        return {ReadStatus::TooLarge, {}};
    QByteArray bytes = file.read(maxSize + 1);
    if (file.error() != QFileDevice::NoError)
        return {ReadStatus::Failed, {}};
    if (bytes.size() > maxSize)
        return {ReadStatus::TooLarge, {}};
    return {ReadStatus::Ok, bytes};
}

} // namespace SafeFile
