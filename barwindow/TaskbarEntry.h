#pragma once

class QWindow;

// Keeps a top-level window in or out of the desktop's task list (_NET_WM_STATE_SKIP_TASKBAR on
// X11); does nothing on other platforms.
void setSkipTaskbar(QWindow *window, bool skip);

// Puts a top-level window on every virtual desktop, so it stays in sight when the user
// switches; does nothing on other platforms. Call it before each mapping (a show after a hide)
// and once more after it: window managers read the wish from the window's properties at the
// map and from messages after it. A native window that Qt makes anew while showing it (after
// a change of its flags) exists only after the first call, so it has only the messages.
void setOnAllDesktops(QWindow *window);
