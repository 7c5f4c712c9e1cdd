#pragma once

#include "ShutdownRequester.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <memory>

class QDBusMessage;

// Powers off through logind on the system bus. The first call asks without interaction; when
// logind refuses for lack of rights, the second may let polkit ask the user.
class LogindShutdownRequester final : public ShutdownRequester {
public:
    // Tests hand in a connection to a private bus; the program uses the system bus.
    explicit LogindShutdownRequester(QDBusConnection connection = QDBusConnection::systemBus());
    ~LogindShutdownRequester() override;

    void requestPowerOff(bool withRights, Answer answer) override;

    // How logind's answer maps onto a result.
    static Result classifyReply(const QDBusMessage &reply);

private:
    QDBusConnection m_connection;
    // Parent of the calls in flight: going away drops their answers.
    std::unique_ptr<QObject> m_pending;
};
