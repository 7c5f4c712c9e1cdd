#include "LogindShutdownRequester.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>

#include <utility>

namespace {

// A polkit prompt waits for the user, so the interactive call gets far longer.
constexpr int kPlainTimeoutMs = 25'000;
constexpr int kInteractiveTimeoutMs = 120'000;

} // namespace

LogindShutdownRequester::LogindShutdownRequester(QDBusConnection connection)
    : m_connection(std::move(connection))
    , m_pending(std::make_unique<QObject>())
{
}

LogindShutdownRequester::~LogindShutdownRequester() = default;

ShutdownRequester::Result LogindShutdownRequester::classifyReply(const QDBusMessage &reply)
{
    if (reply.type() == QDBusMessage::ReplyMessage)
        return Result::Accepted;
    // Only a refusal for want of rights is worth asking again with interaction; polkit's own
    // "not authorized" is the answer of a user or an administrator.
    if (reply.type() == QDBusMessage::ErrorMessage) {
        const QString name = reply.errorName();
        if (name == QLatin1String("org.freedesktop.DBus.Error.AccessDenied") ||
            name == QLatin1String("org.freedesktop.DBus.Error.InteractiveAuthorizationRequired"))
            return Result::NeedsRights;
    }
    return Result::Failed;
}

void LogindShutdownRequester::requestPowerOff(bool withRights, Answer answer)
{
    if (!m_connection.isConnected()) {
        answer(Result::Failed);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PowerOff"));
    call << withRights;
    call.setInteractiveAuthorizationAllowed(withRights);
    const QDBusPendingCall pending =
        m_connection.asyncCall(call, withRights ? kInteractiveTimeoutMs : kPlainTimeoutMs);
    auto *watcher = new QDBusPendingCallWatcher(pending, m_pending.get());
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, m_pending.get(),
                     [answer = std::move(answer)](QDBusPendingCallWatcher *done) {
                         done->deleteLater();
                         answer(classifyReply(done->reply()));
                     });
}
