// The floor of the toolkit: a frameless label whose countdown text one 1 s timer rewrites,
// drawn without X shared memory as the strip is. Voltline's own cost is measured against it.
//
//   voltline-baseline            the floor
//   voltline-baseline --title    the floor, also rewriting its window title every second
//   voltline-baseline --quiet    the same, with property notifications of its window turned
//                                off after show(): what the title costs beyond the X writes
#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace {

void dropPropertyNotifications(QWindow *window)
{
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !window)
        return;
    xcb_connection_t *c = x11->connection();
    const auto id = xcb_window_t(window->winId());
    xcb_get_window_attributes_reply_t *a =
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, id), nullptr);
    if (!a)
        return;
    const uint32_t mask = a->your_event_mask & ~uint32_t(XCB_EVENT_MASK_PROPERTY_CHANGE);
    std::free(a);
    xcb_change_window_attributes(c, id, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(c);
}

} // namespace

int main(int argc, char **argv)
{
    const bool title =
        argc > 1 && (!std::strcmp(argv[1], "--title") || !std::strcmp(argv[1], "--quiet"));
    const bool quiet = argc > 1 && !std::strcmp(argv[1], "--quiet");
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", "1");
    QApplication app(argc, argv);

    QLabel label;
    label.setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    label.setWindowTitle(QStringLiteral("voltline-baseline"));
    label.setMinimumWidth(180);

    // A countdown like the strip's time, so each tick changes the text and repaints.
    int seconds = 2 * 3600;
    const auto show = [&] {
        const QString text = QStringLiteral("57%, %1:%2:%3")
                                 .arg(seconds / 3600)
                                 .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
                                 .arg(seconds % 60, 2, 10, QLatin1Char('0'));
        label.setText(text);
        if (title)
            label.setWindowTitle(text + QStringLiteral(" : Voltline"));
    };
    show();

    QTimer timer;
    timer.setInterval(1000);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (seconds > 0)
            --seconds;
        show();
    });
    timer.start();

    label.show();
    if (quiet && QGuiApplication::platformName() == QLatin1String("xcb"))
        dropPropertyNotifications(label.windowHandle());
    return app.exec();
}
