// The logind requester against a mock logind on a private bus that the test starts and stops
// itself. The real system bus is never touched.
#include "LogindShutdownRequester.h"
#include "MonitorRig.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace {

const QString kPython = QStringLiteral("/usr/bin/python3");
const QString kLogind = QStringLiteral("org.freedesktop.login1");
const QString kLogindPath = QStringLiteral("/org/freedesktop/login1");
const QString kManager = QStringLiteral("org.freedesktop.login1.Manager");
const QString kMock = QStringLiteral("org.freedesktop.DBus.Mock");

struct Call {
    QString method;
    QVariantList args;
};

class LogindMock : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_skipReason.clear();
        s_failReason.clear();
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (daemon.isEmpty()) {
            s_skipReason = "dbus-daemon is not installed";
            return;
        }
        if (!QFileInfo::exists(kPython) ||
            QProcess::execute(kPython, {"-c", "import dbusmock"}) != 0) {
            s_skipReason = "python3-dbusmock is not installed";
            return;
        }

        // Kept in the foreground as our child, so that it is stopped and reaped with the test.
        s_daemon = std::make_unique<QProcess>();
        s_daemon->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        s_daemon->start(daemon, {"--session", "--nofork", "--print-address=1"});
        QDeadlineTimer started(20000);
        while (!s_daemon->canReadLine() && s_daemon->state() != QProcess::NotRunning &&
               !started.hasExpired())
            s_daemon->waitForReadyRead(100);
        if (!s_daemon->canReadLine()) {
            s_failReason = "the private dbus-daemon did not start";
            return;
        }
        s_address = QString::fromUtf8(s_daemon->readLine().trimmed());

        s_mock = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DBUS_SYSTEM_BUS_ADDRESS", s_address);
        env.insert("DBUS_SESSION_BUS_ADDRESS", s_address);
        s_mock->setProcessEnvironment(env);
        s_mock->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        s_mock->start(kPython, {"-m", "dbusmock", "--template", "logind"});

        s_connection = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(s_address, QStringLiteral("voltline-logind-test")));
        QDeadlineTimer deadline(30000);
        while (!s_connection->interface()->isServiceRegistered(kLogind) && !deadline.hasExpired() &&
               s_mock->state() != QProcess::NotRunning)
            QTest::qWait(50);
        // Both tools are there, so a mock that does not come up is a failure, not a skip.
        if (!s_connection->interface()->isServiceRegistered(kLogind))
            s_failReason = "the logind mock did not come up on the private bus";
    }

    static void TearDownTestSuite()
    {
        s_connection.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("voltline-logind-test"));
        if (s_mock) {
            s_mock->terminate();
            if (!s_mock->waitForFinished(10000))
                s_mock->kill();
            s_mock->waitForFinished(10000);
            s_mock.reset();
        }
        if (s_daemon) {
            s_daemon->terminate();
            if (!s_daemon->waitForFinished(10000))
                s_daemon->kill();
            s_daemon->waitForFinished(10000);
            s_daemon.reset();
        }
    }

    void SetUp() override
    {
        if (!s_skipReason.isEmpty())
            GTEST_SKIP() << s_skipReason.toStdString();
        ASSERT_TRUE(s_failReason.isEmpty()) << s_failReason.toStdString();
        ASSERT_TRUE(mockCall("ClearCalls", {}).type() == QDBusMessage::ReplyMessage);
        overridePowerOff(QString()); // accept, as the template does
    }

    static QDBusMessage mockCall(const QString &method, const QVariantList &args)
    {
        QDBusMessage call = QDBusMessage::createMethodCall(kLogind, kLogindPath, kMock, method);
        call.setArguments(args);
        return s_connection->call(call, QDBus::Block, 10000);
    }

    // Replaces PowerOff on the mock; `code` is Python run with the call's `args`.
    static void overridePowerOff(const QString &code)
    {
        const QDBusMessage reply = mockCall("AddMethod", {kManager, QStringLiteral("PowerOff"),
                                                          QStringLiteral("b"), QString(), code});
        ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    }

    static QString refuse(const char *errorName, const char *condition = "True")
    {
        return QStringLiteral("if %1: raise dbus.exceptions.DBusException('refused', name='%2')")
            .arg(QLatin1String(condition), QLatin1String(errorName));
    }

    static QList<Call> calls()
    {
        QList<Call> result;
        const QDBusMessage reply = mockCall("GetCalls", {});
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return result;
        const QDBusArgument list = reply.arguments().at(0).value<QDBusArgument>();
        list.beginArray();
        while (!list.atEnd()) {
            Call call;
            qulonglong timestamp = 0;
            list.beginStructure();
            list >> timestamp >> call.method;
            list.beginArray();
            while (!list.atEnd()) {
                QDBusVariant arg;
                list >> arg;
                call.args << arg.variant();
            }
            list.endArray();
            list.endStructure();
            if (call.method == QLatin1String("PowerOff"))
                result << call;
        }
        list.endArray();
        return result;
    }

    // Waits for the requester's answer, as the event loop of the program would.
    static std::optional<ShutdownRequester::Result> ask(ShutdownRequester &requester,
                                                        bool withRights)
    {
        std::optional<ShutdownRequester::Result> got;
        requester.requestPowerOff(withRights, [&](ShutdownRequester::Result r) { got = r; });
        (void)QTest::qWaitFor([&] { return got.has_value(); }, 30000);
        return got;
    }

    static QList<bool> powerOffArgs()
    {
        QList<bool> result;
        for (const Call &call : calls())
            result << (call.args.size() == 1 && call.args[0].toBool());
        return result;
    }

    static inline QString s_skipReason;
    static inline QString s_failReason;
    static inline QString s_address;
    static inline std::unique_ptr<QProcess> s_daemon;
    static inline std::unique_ptr<QProcess> s_mock;
    static inline std::unique_ptr<QDBusConnection> s_connection;
};

TEST_F(LogindMock, AcceptedAtOnce)
{
    LogindShutdownRequester requester(*s_connection);
    EXPECT_EQ(ask(requester, false), ShutdownRequester::Result::Accepted);
    EXPECT_EQ(powerOffArgs(), QList<bool>{false});
}

TEST_F(LogindMock, ForceShutdownThroughLogind)
{
    struct Row {
        const char *name;
        QString code;
        bool result;
        QList<bool> calls;
    };
    const Row rows[] = {
        {"accepted", QString(), true, {false}},
        {"access denied, then allowed with rights",
         refuse("org.freedesktop.DBus.Error.AccessDenied", "not args[0]"),
         true,
         {false, true}},
        {"interactive authorisation required, then allowed",
         refuse("org.freedesktop.DBus.Error.InteractiveAuthorizationRequired", "not args[0]"),
         true,
         {false, true}},
        {"polkit says no: that is the answer",
         refuse("org.freedesktop.PolicyKit1.Error.NotAuthorized", "not args[0]"),
         false,
         {false}},
        {"refused both times",
         refuse("org.freedesktop.DBus.Error.AccessDenied"),
         false,
         {false, true}},
        {"other failure: no second try",
         refuse("org.freedesktop.login1.OperationInProgress"),
         false,
         {false}},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        ASSERT_EQ(mockCall("ClearCalls", {}).type(), QDBusMessage::ReplyMessage);
        overridePowerOff(r.code);
        LogindShutdownRequester requester(*s_connection);
        MonitorRig rig;
        // The rig's fake stands in for the window's requester; here the real one is wanted.
        Monitor monitor(rig.power, rig.settings, rig.stats, rig.host, requester);
        std::optional<bool> accepted;
        monitor.ForceShutdown([&](bool ok) { accepted = ok; });
        EXPECT_TRUE(QTest::qWaitFor([&] { return accepted.has_value(); }, 30000));
        EXPECT_EQ(accepted, r.result);
        EXPECT_EQ(powerOffArgs(), r.calls);
    }
}

TEST_F(LogindMock, ClassifiesEachAnswer)
{
    using R = ShutdownRequester::Result;
    struct Row {
        const char *name;
        QString code;
        R want;
    };
    const Row rows[] = {
        {"accepted", QString(), R::Accepted},
        {"access denied", refuse("org.freedesktop.DBus.Error.AccessDenied"), R::NeedsRights},
        {"interactive", refuse("org.freedesktop.DBus.Error.InteractiveAuthorizationRequired"),
         R::NeedsRights},
        {"polkit", refuse("org.freedesktop.PolicyKit1.Error.NotAuthorized"), R::Failed},
        {"busy", refuse("org.freedesktop.login1.OperationInProgress"), R::Failed},
        {"python error", QStringLiteral("raise ValueError('boom')"), R::Failed},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        overridePowerOff(r.code);
        LogindShutdownRequester requester(*s_connection);
        EXPECT_EQ(ask(requester, false), r.want);
    }
}

TEST_F(LogindMock, NoLogindOnTheBusFails)
{
    // Same private bus, a name nobody owns: the answer is an error, never success.
    QDBusMessage call =
        QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.login1.absent"), kLogindPath,
                                       kManager, QStringLiteral("PowerOff"));
    call << false;
    const QDBusMessage reply = s_connection->call(call, QDBus::Block, 10000);
    EXPECT_EQ(LogindShutdownRequester::classifyReply(reply), ShutdownRequester::Result::Failed);

    LogindShutdownRequester disconnected(QDBusConnection::connectToBus(
        QStringLiteral("unix:path=/nonexistent/voltline-bus"), QStringLiteral("voltline-nowhere")));
    EXPECT_EQ(ask(disconnected, false), ShutdownRequester::Result::Failed);
    QDBusConnection::disconnectFromBus(QStringLiteral("voltline-nowhere"));
}

} // namespace
