#include "EndGuards.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace {

// An exit handler and a message handler reach nothing but what is stored for the process:
// each guard points its slot at itself for its lifetime.
std::function<void()> *s_saveOnExit = nullptr;
DisplayStartGuard *s_startGuard = nullptr;

void runSaveOnExit()
{
    std::function<void()> *save = std::exchange(s_saveOnExit, nullptr);
    if (save) // once, even if saving ends the process again
        (*save)();
}

} // namespace

void holdStartMessage(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    DisplayStartGuard &guard = *s_startGuard;
    if (type != QtFatalMsg) {
        guard.m_held.append({type, text});
        return;
    }
    QString reason;
    for (const DisplayStartGuard::HeldMessage &m : std::as_const(guard.m_held)) {
        if (m.type != QtDebugMsg && m.type != QtInfoMsg) {
            reason = m.text;
            break;
        }
    }
    if (reason.isEmpty())
        reason = text.section(QLatin1Char('\n'), 0, 0);
    const QByteArray line =
        DisplayStartGuard::failureLine(guard.m_program, reason).toLocal8Bit() + '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    std::fflush(stderr);
    std::_Exit(1);
}

SaveOnExit::SaveOnExit(std::function<void()> save)
    : m_save(std::move(save))
{
    static const bool registered = std::atexit(runSaveOnExit) == 0;
    Q_UNUSED(registered);
    Q_ASSERT(!s_saveOnExit);
    s_saveOnExit = &m_save;
}

SaveOnExit::~SaveOnExit()
{
    s_saveOnExit = nullptr;
}

DisplayStartGuard::DisplayStartGuard(QString program)
    : m_program(std::move(program))
{
    Q_ASSERT(!s_startGuard);
    s_startGuard = this;
    m_previous = qInstallMessageHandler(holdStartMessage);
}

DisplayStartGuard::~DisplayStartGuard()
{
    qInstallMessageHandler(m_previous);
    s_startGuard = nullptr;
    const QMessageLogContext context;
    for (const HeldMessage &m : std::as_const(m_held))
        qt_message_output(m.type, context, m.text);
}

QString DisplayStartGuard::failureLine(const QString &program, const QString &reason)
{
    const auto shown = [](const char *name) {
        const QString value = qEnvironmentVariable(name);
        return value.isEmpty() ? QStringLiteral("%1 unset").arg(QLatin1String(name))
                               : QStringLiteral("%1=%2").arg(QLatin1String(name), value);
    };
    QString why = reason.simplified();
    if (why.isEmpty())
        why = QStringLiteral("no platform could be started");
    return QStringLiteral("%1: cannot open a display (%2, %3): %4")
        .arg(program, shown("DISPLAY"), shown("WAYLAND_DISPLAY"), why);
}
