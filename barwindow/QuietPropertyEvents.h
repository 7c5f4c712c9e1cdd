#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QRect>

#include <cstdint>

class QWidget;
struct xcb_connection_t;

// Keeps the X server from reporting the property changes of a top-level window back to us.
// The strip rewrites its title every second: two property writes, two more by the window
// manager answering them, and each notification wakes two threads. Qt only needs three of
// those properties (WM_STATE and _NET_WM_STATE for minimising and restoring, and
// _NET_FRAME_EXTENTS), and the window manager changes them only around a map, an unmap or
// a new size, so at those moments Qt is told to read them again instead. Does nothing
// outside X11.
class QuietPropertyEvents final : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    explicit QuietPropertyEvents(QWidget *window);
    ~QuietPropertyEvents() override;

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::uint32_t currentWindow() const;
    void mute(std::uint32_t window);
    void askQtToReread(std::uint32_t window, std::uint32_t atom);

    QWidget *m_window;
    xcb_connection_t *m_connection = nullptr;
    std::uint32_t m_wmState = 0;
    std::uint32_t m_netWmState = 0;
    std::uint32_t m_frameExtents = 0;
    QRect m_lastGeometry;
    bool m_remutePending = false;
};
