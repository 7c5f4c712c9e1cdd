#pragma once

class QWindow;

// Keeps a top-level window in or out of the desktop's task list (_NET_WM_STATE_SKIP_TASKBAR on
// X11); does nothing on other platforms.
void setSkipTaskbar(QWindow *window, bool skip);
