#include "AutostartEntry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

// How a desktop reads an Exec value: the value escapes first, then the quoting rules of the
// Exec key, then the %% field code.
std::optional<QStringList> parseExec(const QString &value)
{
    QString unescaped;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != QLatin1Char('\\')) {
            unescaped += value[i];
            continue;
        }
        if (++i >= value.size())
            return std::nullopt;
        switch (value[i].unicode()) {
        case 's':
            unescaped += QLatin1Char(' ');
            break;
        case 'n':
            unescaped += QLatin1Char('\n');
            break;
        case 't':
            unescaped += QLatin1Char('\t');
            break;
        case 'r':
            unescaped += QLatin1Char('\r');
            break;
        case '\\':
            unescaped += QLatin1Char('\\');
            break;
        default:
            return std::nullopt;
        }
    }
    QStringList args;
    QString current;
    bool inArg = false;
    for (qsizetype i = 0; i < unescaped.size(); ++i) {
        const QChar c = unescaped[i];
        if (c == QLatin1Char(' ')) {
            if (inArg)
                args << current;
            current.clear();
            inArg = false;
        } else if (c == QLatin1Char('"')) {
            inArg = true;
            for (++i; i < unescaped.size() && unescaped[i] != QLatin1Char('"'); ++i) {
                if (unescaped[i] == QLatin1Char('\\')) {
                    if (++i >= unescaped.size() || !QStringLiteral("\"`$\\").contains(unescaped[i]))
                        return std::nullopt;
                }
                current += unescaped[i];
            }
            if (i >= unescaped.size())
                return std::nullopt;
        } else {
            if (QStringLiteral("\t\n'\\><~|&;$*?#()`").contains(c))
                return std::nullopt; // reserved outside quotes
            inArg = true;
            current += c;
        }
    }
    if (inArg)
        args << current;
    for (QString &arg : args) {
        QString out;
        for (qsizetype i = 0; i < arg.size(); ++i) {
            if (arg[i] == QLatin1Char('%')) {
                if (i + 1 >= arg.size() || arg[i + 1] != QLatin1Char('%'))
                    return std::nullopt; // a field code would be expanded
                ++i;
            }
            out += arg[i];
        }
        arg = out;
    }
    return args;
}

const QString kPaths[] = {
    QStringLiteral("/usr/bin/voltline"),
    QStringLiteral("/opt/Voltline/Voltline"),
    QStringLiteral("/opt/My Apps/voltline"),
    QStringLiteral("/opt/say \"hi\"/voltline"),
    QStringLiteral("/opt/$HOME/`id`/voltline"),
    QStringLiteral("/opt/back\\slash/voltline"),
    QStringLiteral("/opt/100%/%f/voltline"),
    QStringLiteral("/opt/new\nline\ttab/voltline"),
    QStringLiteral("/opt/a;b&c|d>e<f*g?h#i(j)k~'l/voltline"),
    QStringLiteral("/opt/\u00dcnic\u00f8de/voltline"),
};

TEST(AutostartEntry, ExecStartsExactlyTheProgramFile)
{
    for (const QString &path : kPaths) {
        SCOPED_TRACE(path.toStdString());
        const QString exec = AutostartEntry::execValue(path);
        EXPECT_EQ(parseExec(exec), QStringList{path}) << exec.toStdString();
        EXPECT_FALSE(exec.contains(QLatin1Char('\n')));
    }
}

TEST(AutostartEntry, DesktopEntryPassesTheValidator)
{
    const QString validator =
        QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (validator.isEmpty())
        GTEST_SKIP() << "desktop-file-validate is not installed";
    QTemporaryDir tmp;
    for (const QString &path : kPaths) {
        for (const bool hidden : {false, true}) {
            SCOPED_TRACE(path.toStdString() + (hidden ? " hidden" : ""));
            const QString file = tmp.filePath(QStringLiteral("voltline.desktop"));
            QFile f(file);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(AutostartEntry::desktopEntry(path, hidden));
            f.close();
            QProcess p;
            p.start(validator, {file});
            ASSERT_TRUE(p.waitForFinished());
            const QByteArray said = p.readAllStandardOutput() + p.readAllStandardError();
            EXPECT_EQ(p.exitCode(), 0) << said.toStdString();
            EXPECT_FALSE(said.contains("error")) << said.toStdString();
        }
    }
}

TEST(AutostartEntry, WritesReadableEntryAndNeverFollowsALink)
{
    QTemporaryDir tmp;
    const QString folder = tmp.filePath(QStringLiteral("autostart"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString file = folder + QStringLiteral("/voltline.desktop");
    const QString victim = tmp.filePath(QStringLiteral("victim"));
    {
        QFile v(victim);
        ASSERT_TRUE(v.open(QIODevice::WriteOnly));
        v.write("precious");
    }
    ASSERT_TRUE(QFile::link(victim, file));

    const mode_t oldMask = ::umask(077);
    AutostartEntry entry(file, tmp.filePath(QStringLiteral("voltline")));
    const bool written = entry.write(QStringLiteral("/usr/bin/voltline"));
    ::umask(oldMask);
    ASSERT_TRUE(written);
    EXPECT_FALSE(QFileInfo(file).isSymLink());
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(file).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, mode_t(0644)) << "desktop entries are readable files";
    QFile v(victim);
    ASSERT_TRUE(v.open(QIODevice::ReadOnly));
    EXPECT_EQ(v.readAll(), "precious");

    // Removing a planted link removes the link only.
    QFile::remove(file);
    ASSERT_TRUE(QFile::link(victim, file));
    EXPECT_TRUE(entry.remove(QStringLiteral("/usr/bin/voltline")));
    EXPECT_TRUE(QFile::exists(victim));
    EXPECT_FALSE(QFileInfo(file).isSymLink());
}

QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A new user has no autostart folder; a machine-wide entry of the same name (an older
// installation wrote one) must be hidden, not merely left alone, when the user says no.
TEST(AutostartEntry, UserEntryFollowsTheChoiceOverMachineWideOnes)
{
    QTemporaryDir tmp;
    const QString config = tmp.filePath(QStringLiteral("home/.config"));
    const QString file = config + QStringLiteral("/autostart/voltline.desktop");
    const QString system = tmp.filePath(QStringLiteral("etc/xdg/autostart/voltline.desktop"));
    const QString program = QStringLiteral("/opt/My Apps/voltline");
    AutostartEntry entry(file, config + QStringLiteral("/voltline"), {system});
    ASSERT_TRUE(entry.isAvailable());

    ASSERT_TRUE(entry.write(program));
    const QByteArray written = contents(file);
    EXPECT_TRUE(written.contains("\nExec=\"/opt/My Apps/voltline\"\n")) << written.data();
    EXPECT_TRUE(written.contains("\nTryExec=/opt/My Apps/voltline\n")) << written.data();
    EXPECT_FALSE(written.contains("Hidden"));
    EXPECT_EQ(QDir(config + QStringLiteral("/autostart"))
                  .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("voltline.desktop")})
        << "the entry is written elsewhere and renamed into place";

    // No machine-wide entry: removing deletes the user's.
    ASSERT_TRUE(entry.remove(program));
    EXPECT_FALSE(QFileInfo::exists(file));
    EXPECT_TRUE(entry.remove(program)) << "removing what is not there is fine";

    ASSERT_TRUE(QDir().mkpath(QFileInfo(system).absolutePath()));
    {
        QFile f(system);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(AutostartEntry::desktopEntry(QStringLiteral("/usr/bin/voltline")));
    }
    ASSERT_TRUE(entry.remove(program));
    EXPECT_TRUE(contents(file).contains("\nHidden=true\n")) << contents(file).data();
    ASSERT_TRUE(entry.write(program));
    EXPECT_FALSE(contents(file).contains("Hidden")) << "ticked again, the user's entry starts it";
    EXPECT_TRUE(QFileInfo::exists(system)) << "machine-wide entries are never touched";

    // The demo has no place for an entry.
    AutostartEntry none({}, {}, {system});
    EXPECT_FALSE(none.isAvailable());
    EXPECT_FALSE(none.write(program));
    EXPECT_FALSE(none.remove(program));
}

} // namespace
