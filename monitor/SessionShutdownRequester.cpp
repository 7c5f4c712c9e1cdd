#include "SessionShutdownRequester.h"

#include <QDBusPendingCallWatcher>

#include <utility>

namespace {

QDBusMessage managerCall(const char *service, const char *path, const char *interface,
                         const char *method, const QVariantList &arguments = {})
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(QLatin1String(service), QLatin1String(path),
                                       QLatin1String(interface), QLatin1String(method));
    call.setArguments(arguments);
    // Only the manager of the running session: the bus must not start one of another
    // desktop that happens to be installed (Plasma's shutdown service is activatable).
    call.setAutoStartService(false);
    return call;
}

} // namespace

SessionShutdownRequester::SessionShutdownRequester(std::unique_ptr<ShutdownRequester> fallback,
                                                   QDBusConnection sessionBus, int answerTimeoutMs)
    : m_fallback(std::move(fallback))
    , m_bus(std::move(sessionBus))
    , m_timeoutMs(answerTimeoutMs)
    , m_pending(std::make_unique<QObject>())
{
}

SessionShutdownRequester::~SessionShutdownRequester() = default;

QList<QDBusMessage> SessionShutdownRequester::sessionCalls()
{
    return {
        // MATE: a shutdown without its dialog. GNOME has no such method and says so.
        managerCall("org.gnome.SessionManager", "/org/gnome/SessionManager",
                    "org.gnome.SessionManager", "RequestShutdown"),
        // GNOME: its dialog counts down to the shutdown; the user may cancel it.
        managerCall("org.gnome.SessionManager", "/org/gnome/SessionManager",
                    "org.gnome.SessionManager", "Shutdown"),
        // Plasma's shutdown service, when a logout has already started it.
        managerCall("org.kde.Shutdown", "/Shutdown", "org.kde.Shutdown", "logoutAndShutdown"),
        // Plasma's session server, which starts that service: no confirmation, halt, default
        // mode.
        managerCall("org.kde.ksmserver", "/KSMServer", "org.kde.KSMServerInterface", "logout",
                    {0, 2, -1}),
        // Xfce, letting the programs save.
        managerCall("org.xfce.SessionManager", "/org/xfce/SessionManager",
                    "org.xfce.Session.Manager", "Shutdown", {true}),
        managerCall("org.lxqt.session", "/LXQtSession", "org.lxqt.session", "powerOff"),
    };
}

void SessionShutdownRequester::requestPowerOff(bool withRights, Answer answer)
{
    // Only logind refuses for want of rights, so the attempt with rights is logind's alone:
    // the session's manager is asked once per request.
    if (withRights || !m_bus.isConnected()) {
        m_fallback->requestPowerOff(withRights, std::move(answer));
        return;
    }
    askManager(0, std::move(answer));
}

void SessionShutdownRequester::askManager(qsizetype index, Answer answer)
{
    if (index == m_calls.size()) {
        m_fallback->requestPowerOff(false, std::move(answer));
        return;
    }
    // A manager that is absent, refuses or keeps silent hands on to the next way. Silence
    // counts as a stuck manager: each answers as soon as its logout has begun, long before the
    // programs have saved, and a stuck one would leave the laptop running until the battery
    // dies.
    const QDBusPendingCall pending = m_bus.asyncCall(m_calls.at(index), m_timeoutMs);
    auto *watcher = new QDBusPendingCallWatcher(pending, m_pending.get());
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, m_pending.get(),
                     [this, index, answer = std::move(answer)](QDBusPendingCallWatcher *done) {
                         done->deleteLater();
                         if (done->isError())
                             askManager(index + 1, answer);
                         else
                             answer(Result::Accepted);
                     });
}
