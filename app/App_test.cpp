#include "SignalCloser.h"
#include "VoltlineApplication.h"

#include <QMessageBox>
#include <QSignalSpy>
#include <QTimer>
#include <gtest/gtest.h>

#include <csignal>
#include <stdexcept>

namespace {

class Thrower final : public QObject {
public:
    bool event(QEvent *e) override
    {
        if (e->type() == QEvent::User)
            throw std::runtime_error("the handler failed");
        return QObject::event(e);
    }
};

} // namespace

// An exception out of an event handler becomes a message box, and the program goes on.
TEST(VoltlineApplication, ShowsEscapedExceptions)
{
    QString shown;
    QTimer::singleShot(0, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            shown = box->text();
            box->accept();
        }
    });
    Thrower thrower;
    QEvent event(QEvent::User);
    EXPECT_FALSE(QCoreApplication::sendEvent(&thrower, &event));
    EXPECT_EQ(shown, QStringLiteral("the handler failed"));
    // still dispatching afterwards
    QEvent other(QEvent::None);
    QCoreApplication::sendEvent(&thrower, &other);
}

TEST(SignalCloser, TerminationSignalsArriveOnTheEventLoop)
{
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(sig);
        SignalCloser closer;
        QSignalSpy spy(&closer, &SignalCloser::terminationRequested);
        ASSERT_EQ(::raise(sig), 0);
        EXPECT_TRUE(spy.wait(5000));
        EXPECT_EQ(spy.count(), 1);
    }
}

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    VoltlineApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
