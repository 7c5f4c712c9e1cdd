#include "FramedCentring.h"

#include "DialogPlacement.h"

#include <QWidget>

namespace {

bool framed(const QWidget *window)
{
    return !FrameMargins(window).isNull();
}

} // namespace

FramedCentring *FramedCentring::armIfUnframed(QWidget *window, std::function<void()> centre)
{
    if (framed(window))
        return nullptr;
    // Owned by the window; removes itself once done.
    return new FramedCentring(window, std::move(centre));
}

FramedCentring::FramedCentring(QWidget *window, std::function<void()> centre)
    : QObject(window)
    , m_window(window)
    , m_centre(std::move(centre))
{
    // The frame arrives with the window manager's reparenting, which Qt learns about without
    // any move or resize of the window itself; so look for it.
    m_poll.setInterval(50);
    connect(&m_poll, &QTimer::timeout, this, &FramedCentring::check);
    m_poll.start();
}

void FramedCentring::check()
{
    // A desktop without a window manager never frames the window: give up after a while.
    if (!m_window->isVisible() || --m_checksLeft <= 0) {
        m_poll.stop();
        deleteLater();
        return;
    }
    if (framed(m_window)) {
        m_poll.stop();
        deleteLater();
        m_centre();
    }
}
