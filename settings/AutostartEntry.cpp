#include "AutostartEntry.h"

#include "SafeFile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
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

} // namespace

AutostartEntry::AutostartEntry(QString filePath)
    : m_filePath(std::move(filePath))
{
}

bool AutostartEntry::isAvailable() const
{
    const QByteArray folder = QFile::encodeName(QFileInfo(m_filePath).absolutePath());
    struct stat st {};
    return ::stat(folder.constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
           ::access(folder.constData(), W_OK | X_OK) == 0;
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

QByteArray AutostartEntry::desktopEntry(const QString &executable)
{
    QString text = QStringLiteral("[Desktop Entry]\n"
                                  "Type=Application\n"
                                  "Name=Voltline\n"
                                  "Comment=Battery monitor strip\n"
                                  "Icon=voltline\n");
    text += QStringLiteral("Exec=") + execValue(executable) + QLatin1Char('\n');
    text += QStringLiteral("Terminal=false\n"
                           "X-GNOME-Autostart-enabled=true\n");
    return text.toUtf8();
}

bool AutostartEntry::write(const QString &executable)
{
    if (executable.isEmpty() || !isAvailable())
        return false;
    const QFileInfo info(m_filePath);
    return SafeFile::writeAtomically(info.absolutePath(), info.fileName(), desktopEntry(executable),
                                     S_IRUSR | S_IWUSR | S_IRGRP | S_IROTH);
}

bool AutostartEntry::remove()
{
    if (!isAvailable())
        return false;
    // unlink removes a link itself, never what it points to.
    return ::unlink(QFile::encodeName(m_filePath).constData()) == 0 || errno == ENOENT;
}
