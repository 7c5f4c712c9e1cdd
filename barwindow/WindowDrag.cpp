#include "WindowDrag.h"

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
    // not skip the request). A few tries only, for managers that never agree.
    m_widthFix = new QTimer(this);
    m_widthFix->setSingleShot(true);
    m_widthFix->setInterval(kSystemDragSettleMs);
    connect(m_widthFix, &QTimer::timeout, this, [this] {
        if (!m_window.isVisible() || m_widthFixes >= kMaxWidthFixes)
            return;
        ++m_widthFixes;
        m_window.resize(m_window.width() - 1, m_window.height());
        m_relayout();
    });
}

bool WindowDrag::press(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return false;
    const bool sizing = m_window.height() - event->position().toPoint().y() <= kSizingBand;
    m_widthFixes = 0;
    QWindow *handle = m_window.windowHandle();
    const bool bySystem =
        handle && (sizing ? handle->startSystemResize(Qt::BottomEdge) : handle->startSystemMove());
    if (bySystem) {
        m_systemDrag = true;
        m_systemDragEnd->start();
        return true;
    }
    // No window manager to do it: follow the mouse ourselves.
    m_mode = sizing ? Mode::Resize : Mode::Move;
    m_startGlobal = event->globalPosition().toPoint();
    m_startPos = m_window.pos();
    m_startHeight = m_window.height();
    return true;
}

bool WindowDrag::move(QMouseEvent *event)
{
    const QPoint delta = event->globalPosition().toPoint() - m_startGlobal;
    switch (m_mode) {
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
