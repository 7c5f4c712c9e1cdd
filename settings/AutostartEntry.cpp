#include "AutostartEntry.h"

#include "SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Characters that make the desktop entry format require a quoted argument.
bool isReserved(QChar c)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    return reserved.contains(c);
}

// The general escapes of a desktop entry value, applied after the Exec quoting.
QString escapeValue(const QString &text)
{
    QString out;
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '\\':
            out += QLatin1String("\\\\");
            break;
        case '\n':
            out += QLatin1String("\\n");
            break;
        case '\t':
            out += QLatin1String("\\t");
            break;
        case '\r':
            out += QLatin1String("\\r");
            break;
        default:
            out += c;
        }
    }
    return out;
}

// Written in the staging folder first; it never appears in the autostart folder.
const QString kStagedName = QStringLiteral("autostart-entry.desktop");

bool exists(const QString &path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

} // namespace

AutostartEntry::AutostartEntry(QString filePath, QString stagingFolder, QStringList systemFiles)
    : m_filePath(std::move(filePath))
    , m_stagingFolder(std::move(stagingFolder))
    , m_systemFiles(std::move(systemFiles))
{
}

bool AutostartEntry::isAvailable() const
{
    return !m_filePath.isEmpty();
}

QString AutostartEntry::execValue(const QString &executable)
{
    QString argument;
    bool needsQuotes = executable.isEmpty();
    for (const QChar c : executable) {
        if (isReserved(c))
            needsQuotes = true;
        if (c == QLatin1Char('%')) {
            argument += QLatin1String("%%");
            continue;
        }
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
            c == QLatin1Char('\\'))
            argument += QLatin1Char('\\');
        argument += c;
    }
    // Unquoted arguments allow no escapes, but then none of the escaped characters occur.
    if (needsQuotes)
        argument = QLatin1Char('"') + argument + QLatin1Char('"');
    return escapeValue(argument);
}

QByteArray AutostartEntry::desktopEntry(const QString &executable, bool hidden)
{
    QString text = QStringLiteral("[Desktop Entry]\n"
                                  "Type=Application\n"
                                  "Name=Voltline\n"
                                  "Comment=Battery monitor strip\n"
                                  "Icon=voltline\n");
    text += QStringLiteral("Exec=") + execValue(executable) + QLatin1Char('\n');
    // Once the program is removed, desktops skip the entry instead of failing to start it.
    text += QStringLiteral("TryExec=") + escapeValue(executable) + QLatin1Char('\n');
    text += QStringLiteral("Terminal=false\n");
    text += hidden ? QStringLiteral("Hidden=true\n")
                   : QStringLiteral("X-GNOME-Autostart-enabled=true\n");
    return text.toUtf8();
}

bool AutostartEntry::replace(const QByteArray &content)
{
    const QFileInfo info(m_filePath);
    const QString folder = info.absolutePath();
    if (!SafeFile::ensurePrivateFolder(folder))
        return false;
    const mode_t mode = S_IRUSR | S_IWUSR | S_IRGRP | S_IROTH;
    if (!m_stagingFolder.isEmpty() && SafeFile::ensurePrivateFolder(m_stagingFolder) &&
        SafeFile::writeAtomically(m_stagingFolder, kStagedName, content, mode)) {
        const QByteArray staged = QFile::encodeName(QDir(m_stagingFolder).filePath(kStagedName));
        const QByteArray target = QFile::encodeName(info.absoluteFilePath());
        if (::rename(staged.constData(), target.constData()) == 0) {
            const int dir =
                ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (dir >= 0) {
                ::fsync(dir);
                ::close(dir);
            }
            return true;
        }
        const int error = errno;
        ::unlink(staged.constData());
        // Only another file system (an autostart folder linked elsewhere) needs the fallback.
        if (error != EXDEV)
            return false;
    }
    return SafeFile::writeAtomically(folder, info.fileName(), content, mode);
}

bool AutostartEntry::write(const QString &executable)
{
    if (executable.isEmpty() || !isAvailable())
        return false;
    return replace(desktopEntry(executable));
}

bool AutostartEntry::remove(const QString &executable)
{
    if (!isAvailable())
        return false;
    for (const QString &system : m_systemFiles) {
        if (exists(system))
            return replace(
                desktopEntry(executable.isEmpty() ? QStringLiteral("voltline") : executable, true));
    }
    // unlink removes a link itself, never what it points to.
    return ::unlink(QFile::encodeName(m_filePath).constData()) == 0 || errno == ENOENT;
}
