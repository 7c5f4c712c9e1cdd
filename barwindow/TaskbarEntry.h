#pragma once

class QWindow;

// Keeps a top-level window in or out of the desktop's task list (_NET_WM_STATE_SKIP_TASKBAR on
// X11); does nothing on other platforms.
void setSkipTaskbar(QWindow *window, bool skip);

// Puts a top-level window on every virtual desktop (_NET_WM_DESKTOP 0xFFFFFFFF on X11), so it
// stays in sight when the user switches; does nothing on other platforms.
void setOnAllDesktops(QWindow *window);
