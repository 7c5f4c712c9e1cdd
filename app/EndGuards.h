#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

#include <functional>

// Two ways the program can end that unwind nothing, so no destructor and no close handler
// runs: Qt's X11 plugin calls exit() when its display connection breaks (the server gone,
// xkill), and a platform that cannot start at all makes Qt abort.

// While alive, `save` runs if the process ends by exit() meanwhile, so nothing learned since
// the last save is lost. One at a time.
class SaveOnExit {
public:
    explicit SaveOnExit(std::function<void()> save);
    ~SaveOnExit();
    SaveOnExit(const SaveOnExit &) = delete;
    SaveOnExit &operator=(const SaveOnExit &) = delete;

private:
    std::function<void()> m_save;
};

// While alive (around the construction of the application object), Qt's messages are held
// back; if Qt gives up on the display, one line saying so goes to standard error and the
// process ends with status 1 instead of a core dump. Messages held back are passed on when
// the guard ends normally.
class DisplayStartGuard;
void holdStartMessage(QtMsgType type, const QMessageLogContext &context, const QString &text);

class DisplayStartGuard {
public:
    explicit DisplayStartGuard(QString program);
    ~DisplayStartGuard();
    DisplayStartGuard(const DisplayStartGuard &) = delete;
    DisplayStartGuard &operator=(const DisplayStartGuard &) = delete;

    // The line written when no display can be opened; `reason` is Qt's first complaint.
    static QString failureLine(const QString &program, const QString &reason);

    struct HeldMessage {
        QtMsgType type;
        QString text;
    };

private:
    QString m_program;
    QtMessageHandler m_previous = nullptr;
    QList<HeldMessage> m_held;
    friend void holdStartMessage(QtMsgType, const QMessageLogContext &, const QString &);
};
