#include "WindowDrag.h"

#include "X11MoveResize.h"

#include <QApplication>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace {

constexpr int kSizingBand = 4; // lowest rows that resize instead of move
// Under a window manager the release comes before the move; a pause this long ends a drag.
constexpr int kSystemDragSettleMs = 400;
constexpr int kMaxWidthFixes = 3;

} // namespace

WindowDrag::WindowDrag(QWidget &window, std::function<void(int)> setHeight,
                       std::function<void()> relayout)
    : QObject(&window)
    , m_window(window)
    , m_setHeight(std::move(setHeight))
    , m_relayout(std::move(relayout))
{
    m_systemDragEnd = new QTimer(this);
    m_systemDragEnd->setSingleShot(true);
    m_systemDragEnd->setInterval(kSystemDragSettleMs);
    connect(m_systemDragEnd, &QTimer::timeout, this, [this] { m_systemDrag = false; });

    // A window manager sizing the bar drops the widths we ask for meanwhile, while Qt keeps
    // believing them; once it is quiet, ask again (with a different width first, so Qt does
    // not skip the request). A few tries only, for managers that never agree, and none while
    // the button is still down: a busy manager may still be sizing after a pause.
    m_widthFix = new QTimer(this);
    m_widthFix->setSingleShot(true);
    m_widthFix->setInterval(kSystemDragSettleMs);
    connect(m_widthFix, &QTimer::timeout, this, [this] {
        if (!m_window.isVisible() || m_widthFixes >= kMaxWidthFixes)
            return;
        if (x11LeftButtonDown(m_window.windowHandle())) {
            m_widthFix->start();
            return;
        }
        ++m_widthFixes;
        m_window.resize(m_window.width() - 1, m_window.height());
        m_relayout();
    });
}

bool WindowDrag::press(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return false;
    // Nothing moves yet: a press and release that arrive together (a tap on a touchpad, a
    // tool's click) must not start a window-manager move that nothing would end.
    m_mode = Mode::Pending;
    m_sizing = m_window.height() - event->position().toPoint().y() <= kSizingBand;
    m_widthFixes = 0;
    m_startGlobal = event->globalPosition().toPoint();
    m_startPos = m_window.pos();
    m_startHeight = m_window.height();
    // From the event, not the pointer: on a busy machine the pointer has gone on by now.
    m_pressOnRoot = x11RootPosition(m_window.windowHandle(), event->position());
    return true;
}

bool WindowDrag::move(QMouseEvent *event)
{
    if (m_mode != Mode::None && !(event->buttons() & Qt::LeftButton)) {
        // The release went elsewhere (a grab): the drag is over.
        m_mode = Mode::None;
        return false;
    }
    const QPoint delta = event->globalPosition().toPoint() - m_startGlobal;
    switch (m_mode) {
    case Mode::Pending:
        if (delta.manhattanLength() < QApplication::startDragDistance())
            return true;
        startDrag(delta);
        return true;
    case Mode::Move:
        m_window.move(m_startPos + delta);
        return true;
    case Mode::Resize:
        m_setHeight(m_startHeight + delta.y());
        return true;
    case Mode::None:
        break;
    }
    return false;
}

void WindowDrag::startDrag(const QPoint &delta)
{
    QWindow *handle = m_window.windowHandle();
    bool bySystem = false;
    if (m_pressOnRoot) {
        // X11: from the press, so the window keeps its place under the pointer.
        bySystem = startWindowManagerDrag(handle, *m_pressOnRoot, m_sizing);
    } else if (handle) {
        bySystem = m_sizing ? handle->startSystemResize(Qt::BottomEdge) : handle->startSystemMove();
    }
    if (bySystem) {
        m_mode = Mode::None;
        m_systemDrag = true;
        m_systemDragEnd->start();
        return;
    }
    // No window manager to do it: follow the mouse ourselves, from the press on.
    m_mode = m_sizing ? Mode::Resize : Mode::Move;
    if (m_sizing)
        m_setHeight(m_startHeight + delta.y());
    else
        m_window.move(m_startPos + delta);
}

void WindowDrag::release(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_mode = Mode::None;
}

void WindowDrag::windowMoved()
{
    noteSystemDrag();
}

void WindowDrag::windowResized(QResizeEvent *event, int laidOutWidth)
{
    noteSystemDrag();
    if (event->spontaneous() && event->size().width() != laidOutWidth)
        m_widthFix->start();
}

void WindowDrag::noteSystemDrag()
{
    if (m_systemDrag)
        m_systemDragEnd->start();
}
