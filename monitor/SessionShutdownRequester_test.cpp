// The session's manager before logind: fake managers of each desktop on a private session bus
// (tests/fake_session_manager.py), a recording fake in logind's place. Nothing real is asked.
#include "FakeShutdownRequester.h"
#include "MonitorRig.h"
#include "PrivateBus.h"
#include "SessionShutdownRequester.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace {

using R = ShutdownRequester::Result;

const QString kPython = QStringLiteral("/usr/bin/python3");
// A fake answers in milliseconds, even on a busy machine; the silent ones are waited for.
constexpr int kTimeoutMs = 20'000;
constexpr int kSilentTimeoutMs = 1000;

// One desktop's session manager, recording its calls into a file; stopped with the object.
class FakeManager {
public:
    FakeManager(const PrivateBus &bus, const char *kind, const char *mode)
    {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(kPython, {QStringLiteral(VOLTLINE_FAKE_SESSION_MANAGER), bus.address(),
                                  m_calls, QLatin1String(kind), QLatin1String(mode)});
        QDeadlineTimer deadline(30000);
        while (!QFileInfo::exists(m_calls) && m_process.state() != QProcess::NotRunning &&
               !deadline.hasExpired())
            QTest::qWait(20);
    }
    ~FakeManager()
    {
        m_process.kill();
        m_process.waitForFinished(10000);
    }
    bool ready() const { return QFileInfo::exists(m_calls); }
    QStringList calls() const
    {
        QFile file(m_calls);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

private:
    QTemporaryDir m_dir;
    QString m_calls = m_dir.filePath(QStringLiteral("calls"));
    QProcess m_process;
};

class SessionManagers : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_bus = std::make_unique<PrivateBus>(QStringLiteral("voltline-session-test"));
        if (s_bus->skipReason.isEmpty() &&
            (!QFileInfo::exists(kPython) ||
             QProcess::execute(kPython, {"-c", "import dbus, gi"}) != 0))
            s_bus->skipReason = QStringLiteral("python3-dbus and python3-gi are not installed");
    }
    static void TearDownTestSuite() { s_bus.reset(); }

    void SetUp() override
    {
        if (!s_bus->skipReason.isEmpty())
            GTEST_SKIP() << s_bus->skipReason.toStdString();
        ASSERT_TRUE(s_bus->failReason.isEmpty()) << s_bus->failReason.toStdString();
    }

    // The requester as the program builds it, with a recording fake in logind's place.
    static std::unique_ptr<SessionShutdownRequester>
    requester(FakeShutdownRequester *&logind, QList<R> logindAnswers = {R::Accepted},
              int timeoutMs = kTimeoutMs, const PrivateBus *bus = s_bus.get())
    {
        auto fake = std::make_unique<FakeShutdownRequester>(std::move(logindAnswers));
        logind = fake.get();
        return std::make_unique<SessionShutdownRequester>(std::move(fake), bus->connection(),
                                                          timeoutMs);
    }

    static inline std::unique_ptr<PrivateBus> s_bus;
};

TEST_F(SessionManagers, EachDesktopAskedOnceBeforeLogind)
{
    struct Row {
        const char *name;
        const char *kind; // none: a bare window manager
        const char *mode;
        QStringList managerCalls;
        QList<R> logindAnswers;
        QList<bool> logindCalls;
        bool accepted;
    };
    const Row rows[] = {
        {"gnome", "gnome", "accept", {"Shutdown"}, {R::Accepted}, {}, true},
        {"mate, without its dialog",
         "mate",
         "accept",
         {"RequestShutdown"},
         {R::Accepted},
         {},
         true},
        {"plasma", "plasma", "accept", {"logout 0 2 -1"}, {R::Accepted}, {}, true},
        {"plasma, shutdown service running",
         "plasma-shutdown",
         "accept",
         {"logoutAndShutdown"},
         {R::Accepted},
         {},
         true},
        {"xfce, saving allowed", "xfce", "accept", {"Shutdown true"}, {R::Accepted}, {}, true},
        {"lxqt", "lxqt", "accept", {"powerOff"}, {R::Accepted}, {}, true},
        {"no manager: logind", nullptr, "", {}, {R::Accepted}, {false}, true},
        {"gnome refuses: logind", "gnome", "error", {"Shutdown"}, {R::Accepted}, {false}, true},
        {"mate refuses both ways: logind",
         "mate",
         "error",
         {"RequestShutdown", "Shutdown"},
         {R::Accepted},
         {false},
         true},
        // The monitor's second attempt with rights goes to logind alone.
        {"xfce refuses, logind wants rights",
         "xfce",
         "error",
         {"Shutdown true"},
         {R::NeedsRights, R::Accepted},
         {false, true},
         true},
        {"plasma refuses, logind too",
         "plasma",
         "error",
         {"logout 0 2 -1"},
         {R::Failed},
         {false},
         false},
        {"silent gnome: logind after the timeout",
         "gnome",
         "silent",
         {"Shutdown"},
         {R::Accepted},
         {false},
         true},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        std::unique_ptr<FakeManager> manager;
        if (r.kind) {
            manager = std::make_unique<FakeManager>(*s_bus, r.kind, r.mode);
            ASSERT_TRUE(manager->ready());
        }
        FakeShutdownRequester *logind = nullptr;
        const int timeoutMs = qstrcmp(r.mode, "silent") == 0 ? kSilentTimeoutMs : kTimeoutMs;
        const auto shutdown = requester(logind, r.logindAnswers, timeoutMs);
        MonitorRig rig;
        Monitor monitor(rig.power, rig.settings, rig.stats, rig.host, *shutdown);

        std::optional<bool> accepted;
        monitor.ForceShutdown([&](bool ok) { accepted = ok; });
        // Every call is asynchronous: nothing is known before the event loop runs.
        EXPECT_FALSE(accepted.has_value());
        EXPECT_TRUE(QTest::qWaitFor([&] { return accepted.has_value(); }, 2 * timeoutMs));
        EXPECT_EQ(accepted, r.accepted);
        EXPECT_EQ(logind->requests, r.logindCalls);
        if (manager) {
            EXPECT_EQ(manager->calls(), r.managerCalls);
        }
    }
}

TEST_F(SessionManagers, NoAnswerAfterTheRequesterIsGone)
{
    FakeManager manager(*s_bus, "xfce", "silent");
    ASSERT_TRUE(manager.ready());
    FakeShutdownRequester *logind = nullptr;
    auto shutdown = requester(logind, {R::Accepted}, 3 * kSilentTimeoutMs);
    bool logindAsked = false;
    logind->onRequest = [&](bool) { logindAsked = true; };
    bool answered = false;
    shutdown->requestPowerOff(false, [&](R) { answered = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return !manager.calls().isEmpty(); }, 10000));
    shutdown.reset();
    QTest::qWait(4 * kSilentTimeoutMs); // past the time-out that would have handed on to logind
    EXPECT_FALSE(answered);
    EXPECT_FALSE(logindAsked);
}

TEST_F(SessionManagers, StartsNoManagerOfAnotherDesktop)
{
    // Every name is activatable on this bus, as Plasma's shutdown service is wherever Plasma
    // is installed; starting one would only leave a mark.
    const PrivateBus bus(QStringLiteral("voltline-session-activation-test"));
    ASSERT_TRUE(bus.failReason.isEmpty()) << bus.failReason.toStdString();
    QTemporaryDir marks;
    for (const QDBusMessage &call : SessionShutdownRequester::sessionCalls()) {
        QFile service(bus.serviceDir() + QLatin1Char('/') + call.service() +
                      QStringLiteral(".service"));
        ASSERT_TRUE(service.open(QIODevice::WriteOnly));
        service.write(QStringLiteral("[D-BUS Service]\nName=%1\nExec=/usr/bin/touch %2\n")
                          .arg(call.service(), marks.filePath(call.service()))
                          .toUtf8());
    }
    FakeShutdownRequester *logind = nullptr;
    const auto shutdown = requester(logind, {R::Accepted}, kTimeoutMs, &bus);
    std::optional<R> answer;
    shutdown->requestPowerOff(false, [&](R r) { answer = r; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return answer.has_value(); }, kTimeoutMs));
    EXPECT_EQ(logind->requests, QList<bool>{false});
    EXPECT_TRUE(QDir(marks.path()).isEmpty()) << "a session manager was started";
}

} // namespace
