#pragma once

#include <QObject>
#include <QPoint>

#include <functional>
#include <optional>

class QMouseEvent;
class QResizeEvent;
class QTimer;
class QWidget;

// Moving the bar with the left button and sizing it from its lowest rows: by the window
// manager where it offers to, else by following the mouse. Also asks again for the bar's own
// width after the window manager has sized it.
class WindowDrag final : public QObject {
    Q_OBJECT
public:
    // setHeight keeps the height within limits and lays the bar out; relayout lays it out for
    // its current size. Both are the window's.
    WindowDrag(QWidget &window, std::function<void(int)> setHeight, std::function<void()> relayout);

    // Whether a move or resize by the mouse is going on (a press alone moves nothing).
    bool dragging() const { return m_mode == Mode::Move || m_mode == Mode::Resize || m_systemDrag; }

    // Each returns whether it used the event.
    bool press(QMouseEvent *event);
    bool move(QMouseEvent *event);
    void release(QMouseEvent *event);
    void windowMoved();
    // After the window laid itself out for the new size; laidOutWidth is the width it wants.
    void windowResized(QResizeEvent *event, int laidOutWidth);

private:
    // Pending: pressed, not yet moved beyond the drag distance.
    enum class Mode { None, Pending, Move, Resize };

    void startDrag(const QPoint &delta);
    void noteSystemDrag();

    QWidget &m_window;
    std::function<void(int)> m_setHeight;
    std::function<void()> m_relayout;
    Mode m_mode = Mode::None;
    bool m_sizing = false;
    // Where the press was, in the X11 root window's device pixels.
    std::optional<QPoint> m_pressOnRoot;
    QPoint m_startGlobal;
    QPoint m_startPos;
    int m_startHeight = 0;
    // A move or resize run by the window manager: its end is seen as a pause in move events.
    bool m_systemDrag = false;
    QTimer *m_systemDragEnd = nullptr;
    QTimer *m_widthFix = nullptr;
    int m_widthFixes = 0;
};
