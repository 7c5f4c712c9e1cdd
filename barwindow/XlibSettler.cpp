#include "XlibSettler.h"

#include <QGuiApplication>

// After Qt: Xlib's macros (None, Bool, Status) would rename Qt's own names.
#include <X11/Xlib.h>

void XlibSettler::titleChanged()
{
    if (++m_unsettled < kTitlesPerSettle)
        return;
    m_unsettled = 0;
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    // The queue Xlib could discard is empty: XCB owns the events.
    if (Display *display = x11 ? x11->display() : nullptr)
        XSync(display, False);
}
