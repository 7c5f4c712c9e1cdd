#include "LogindShutdownRequester.h"

#include <QDBusMessage>

#include <utility>

namespace {

// A polkit prompt waits for the user, so the interactive call gets far longer.
constexpr int kPlainTimeoutMs = 25'000;
constexpr int kInteractiveTimeoutMs = 120'000;

} // namespace

LogindShutdownRequester::LogindShutdownRequester(QDBusConnection connection)
    : m_connection(std::move(connection))
{
}

ShutdownRequester::Result LogindShutdownRequester::classifyReply(const QDBusMessage &reply)
{
    if (reply.type() == QDBusMessage::ReplyMessage)
        return Result::Accepted;
    if (reply.type() == QDBusMessage::ErrorMessage) {
        const QString name = reply.errorName();
        if (name == QLatin1String("org.freedesktop.DBus.Error.AccessDenied") ||
            name == QLatin1String("org.freedesktop.DBus.Error.InteractiveAuthorizationRequired") ||
            name == QLatin1String("org.freedesktop.PolicyKit1.Error.NotAuthorized"))
            return Result::NeedsRights;
    }
    return Result::Failed;
}

ShutdownRequester::Result LogindShutdownRequester::requestPowerOff(bool withRights)
{
    if (!m_connection.isConnected())
        return Result::Failed;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PowerOff"));
    call << withRights;
    call.setInteractiveAuthorizationAllowed(withRights);
    const QDBusMessage reply =
        m_connection.call(call, QDBus::Block, withRights ? kInteractiveTimeoutMs : kPlainTimeoutMs);
    return classifyReply(reply);
}
