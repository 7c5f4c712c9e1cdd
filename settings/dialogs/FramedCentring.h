#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

class QWidget;

// Before a top-level window's first showing its window-manager frame is unknown, so a centring
// done then can only use the bare window. This watches (a few seconds at most) until the frame
// is known and runs the centring again. Nothing is armed when the frame is already known.
class FramedCentring : public QObject {
    Q_OBJECT
public:
    // Returns the watcher (null when nothing was armed); delete it to call the centring off,
    // e.g. when the program places the window elsewhere meanwhile.
    static FramedCentring *armIfUnframed(QWidget *window, std::function<void()> centre);

private:
    FramedCentring(QWidget *window, std::function<void()> centre);
    void check();

    QWidget *m_window;
    std::function<void()> m_centre;
    QTimer m_poll;
    int m_checksLeft = 60;
};
