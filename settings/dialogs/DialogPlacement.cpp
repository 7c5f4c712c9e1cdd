#include "DialogPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

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

static QSize frameExtra(const QWidget *w)
{
    if (!w || !w->isWindow() || !w->testAttribute(Qt::WA_WState_Created))
        return {0, 0};
    return w->frameGeometry().size() - w->size();
}

QSize OuterSize(const QWidget *window, const QWidget *reference)
{
    QSize extra = frameExtra(window);
    if (extra == QSize(0, 0) && !window->isVisible())
        extra = frameExtra(reference);
    return window->size() + extra.expandedTo(QSize(0, 0));
}
