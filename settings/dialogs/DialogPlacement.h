#pragma once

#include <QMargins>
#include <QPoint>
#include <QSize>

class QWidget;

// Where the dialogs put themselves. Every half is taken on its own and truncates toward zero,
// so odd sizes land exactly where the classic forms put them.
QPoint CenteredTopLeft(QSize screen, QSize window);

struct SideBySidePlacement {
    QPoint dialog;
    QPoint help;
};
// The dialog and its help window next to each other, the pair centred horizontally and both
// at the dialog's centred height.
SideBySidePlacement SideBySide(QSize screen, QSize dialog, int helpWidth);

// Size of the primary screen in pixels (0 x 0 without one).
QSize PrimaryScreenSize();

// The window manager's frame around a top-level window, as the platform knows it now (none
// before the window has been framed).
QMargins FrameMargins(const QWidget *window);

// A top-level window's size including the window manager's frame. Before the first show the
// frame is unknown; reference (a window already on screen, or null) lends its frame then.
QSize OuterSize(const QWidget *window, const QWidget *reference = nullptr);

// Moves a top-level window so that its frame's top-left corner lands on pos.
void MoveFrameTo(QWidget *window, QPoint pos);
