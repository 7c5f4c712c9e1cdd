#include "DialogPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

QPoint CenteredTopLeft(QSize screen, QSize window)
{
    return {screen.width() / 2 - window.width() / 2, screen.height() / 2 - window.height() / 2};
}

SideBySidePlacement SideBySide(QSize screen, QSize dialog, int helpWidth)
{
    SideBySidePlacement p;
    p.dialog.setX(screen.width() / 2 - (dialog.width() + helpWidth) / 2);
    p.help.setX(p.dialog.x() + dialog.width());
    p.dialog.setY(screen.height() / 2 - dialog.height() / 2);
    p.help.setY(p.dialog.y());
    return p;
}

QSize PrimaryScreenSize()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize(0, 0);
}

QMargins FrameMargins(const QWidget *window)
{
    // Asked of the platform window: the widget's own copy of the frame is only refreshed when
    // the window moves or resizes, and the frame usually arrives without either.
    const QWindow *handle = window ? window->windowHandle() : nullptr;
    return handle ? handle->frameMargins() : QMargins();
}

QSize OuterSize(const QWidget *window, const QWidget *reference)
{
    QMargins m = FrameMargins(window);
    if (m.isNull() && !window->isVisible())
        m = FrameMargins(reference);
    return window->size().grownBy(m);
}

void MoveFrameTo(QWidget *window, QPoint pos)
{
    // QWidget::move() places the frame by the widget's own copy of it. When that copy is stale
    // (framed since the last move), go through the platform window, which knows the frame.
    QWindow *handle = window->windowHandle();
    const QMargins m = FrameMargins(window);
    if (handle && window->isVisible() && !m.isNull() &&
        window->frameGeometry().size() != window->size().grownBy(m)) {
        handle->setFramePosition(pos);
        return;
    }
    window->move(pos);
}
