#pragma once

// Qt writes every window title's WM_NAME through Xlib while XCB reads the X connection. Xlib
// then keeps a record of each request it sent, and XCB one of each time it lent Xlib the
// socket, until Xlib next waits for a reply, which Qt never asks of it. A title that changes
// every second so leaves two records a second, until Xlib's own guard against the wrap-around
// of sequence numbers syncs after some 64000 requests of the whole connection: hours later
// and hundreds of kilobytes on. One round trip every so many titles settles them all.
class XlibSettler {
public:
    // After each title change: every kTitlesPerSettle-th call waits for one round trip, on
    // X11 only.
    void titleChanged();

    static constexpr int kTitlesPerSettle = 64;

private:
    int m_unsettled = 0;
};
