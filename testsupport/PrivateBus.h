#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <memory>

// A dbus-daemon of the test's own, for fakes of the system's and the session's services.
// Nothing on it is activatable except what a test writes into serviceDir(), so a call can
// never start a real service of the machine. Stopped with the object.
class PrivateBus {
public:
    explicit PrivateBus(QString connectionName);
    ~PrivateBus();
    PrivateBus(const PrivateBus &) = delete;
    PrivateBus &operator=(const PrivateBus &) = delete;

    // Set when dbus-daemon is not installed: the test is skipped.
    QString skipReason;
    // Set when it is installed but did not come up: the test fails.
    QString failReason;

    QString address() const { return m_address; }
    QDBusConnection connection() const;
    QString serviceDir() const;
    // Waits, running the event loop, until `name` is owned or `process` has ended.
    bool waitForName(const QString &name, const QProcess &process, int timeoutMs = 30000) const;

private:
    QTemporaryDir m_dir;
    // Kept in the foreground as our child, so that it is stopped and reaped with the test.
    std::unique_ptr<QProcess> m_daemon;
    QString m_address;
    QString m_connectionName;
};
