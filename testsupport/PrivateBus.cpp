#include "PrivateBus.h"

#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTest>

#include <utility>

PrivateBus::PrivateBus(QString connectionName)
    : m_connectionName(std::move(connectionName))
{
    const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (daemon.isEmpty()) {
        skipReason = QStringLiteral("dbus-daemon is not installed");
        return;
    }
    QDir(m_dir.path()).mkdir(QStringLiteral("services"));
    // The session bus's own configuration would add the machine's service folders.
    const QString config = m_dir.filePath(QStringLiteral("bus.conf"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly)) {
        failReason = QStringLiteral("cannot write the bus configuration");
        return;
    }
    file.write(QStringLiteral("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus "
                              "Configuration 1.0//EN\" "
                              "\"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                              "<busconfig><type>session</type><listen>unix:dir=%1</listen>"
                              "<servicedir>%2</servicedir><policy context=\"default\">"
                              "<allow send_destination=\"*\" eavesdrop=\"true\"/>"
                              "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy>"
                              "</busconfig>\n")
                   .arg(m_dir.path(), serviceDir())
                   .toUtf8());
    file.close();

    m_daemon = std::make_unique<QProcess>();
    m_daemon->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_daemon->start(daemon, {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
                             QStringLiteral("--print-address=1")});
    QDeadlineTimer started(20000);
    while (!m_daemon->canReadLine() && m_daemon->state() != QProcess::NotRunning &&
           !started.hasExpired())
        m_daemon->waitForReadyRead(100);
    if (!m_daemon->canReadLine()) {
        failReason = QStringLiteral("the private dbus-daemon did not start");
        return;
    }
    m_address = QString::fromUtf8(m_daemon->readLine().trimmed());
    QDBusConnection::connectToBus(m_address, m_connectionName);
}

PrivateBus::~PrivateBus()
{
    QDBusConnection::disconnectFromBus(m_connectionName);
    if (m_daemon) {
        m_daemon->terminate();
        if (!m_daemon->waitForFinished(10000))
            m_daemon->kill();
        m_daemon->waitForFinished(10000);
    }
}

QDBusConnection PrivateBus::connection() const
{
    return QDBusConnection(m_connectionName);
}

QString PrivateBus::serviceDir() const
{
    return m_dir.filePath(QStringLiteral("services"));
}

bool PrivateBus::waitForName(const QString &name, const QProcess &process, int timeoutMs) const
{
    const QDBusConnection bus = connection();
    QDeadlineTimer deadline(timeoutMs);
    while (!bus.interface()->isServiceRegistered(name) && !deadline.hasExpired() &&
           process.state() != QProcess::NotRunning)
        QTest::qWait(50);
    return bus.interface()->isServiceRegistered(name);
}
