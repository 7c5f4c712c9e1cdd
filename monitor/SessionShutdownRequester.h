#pragma once

#include "ShutdownRequester.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QList>
#include <QObject>

#include <memory>

// Shuts down through the desktop session's manager, which asks every open program to end and
// lets it save first, as a plain shutdown request should. Where no manager takes the request
// (a bare window manager, a manager that refuses, errs or keeps silent), `fallback` gets it:
// logind, which ends the programs without asking.
class SessionShutdownRequester final : public ShutdownRequester {
public:
    // Time a manager has to answer; each answers as soon as it has started the logout.
    static constexpr int kAnswerTimeoutMs = 25'000;

    explicit SessionShutdownRequester(std::unique_ptr<ShutdownRequester> fallback,
                                      QDBusConnection sessionBus = QDBusConnection::sessionBus(),
                                      int answerTimeoutMs = kAnswerTimeoutMs);
    ~SessionShutdownRequester() override;

    void requestPowerOff(bool withRights, Answer answer) override;

    // The calls tried in turn, one per desktop's way of shutting down.
    static QList<QDBusMessage> sessionCalls();

private:
    void askManager(qsizetype index, Answer answer);

    const QList<QDBusMessage> m_calls = sessionCalls();
    std::unique_ptr<ShutdownRequester> m_fallback;
    QDBusConnection m_bus;
    int m_timeoutMs;
    // Parent of the calls in flight: going away drops their answers. Last, so it goes first.
    std::unique_ptr<QObject> m_pending;
};
