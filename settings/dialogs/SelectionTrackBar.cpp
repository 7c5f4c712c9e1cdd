#include "SelectionTrackBar.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionSlider>

#include <algorithm>

SelectionTrackBar::SelectionTrackBar(QWidget *parent)
    : QSlider(Qt::Horizontal, parent)
{
    setRange(0, 100);
    setTickPosition(QSlider::TicksBelow);
    setTickInterval(10);
    setPageStep(10);
}

void SelectionTrackBar::setSelStart(int value)
{
    if (m_selStart == value)
        return;
    m_selStart = value;
    update();
}

void SelectionTrackBar::setSelEnd(int value)
{
    if (m_selEnd == value)
        return;
    m_selEnd = value;
    update();
}

int SelectionTrackBar::valueToX(int value) const
{
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    const QRect groove =
        style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderGroove, this);
    const QRect handle =
        style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, this);
    const int span = groove.width() - handle.width();
    return groove.left() + handle.width() / 2 +
           QStyle::sliderPositionFromValue(minimum(), maximum(), value, std::max(span, 0));
}

QRect SelectionTrackBar::channelRect() const
{
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    const QRect groove =
        style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderGroove, this);
    const int mid = groove.center().y();
    return QRect(QPoint(valueToX(minimum()) - 2, mid - 2),
                 QPoint(valueToX(maximum()) + 2, mid + 2));
}

QRect SelectionTrackBar::selectionRect() const
{
    // Values outside the range (a band end of -1 below a warning level of 0, or one past the
    // top) are drawn at the channel's ends; a band that ends before it starts is not drawn.
    if (m_selEnd < m_selStart || m_selEnd < minimum() || m_selStart > maximum())
        return {};
    const int start = std::clamp(m_selStart, minimum(), maximum());
    const int end = std::clamp(m_selEnd, minimum(), maximum());
    const QRect channel = channelRect().adjusted(1, 1, -1, -1);
    return QRect(QPoint(valueToX(start), channel.top()), QPoint(valueToX(end), channel.bottom()));
}

void SelectionTrackBar::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    QStyleOptionSlider opt;
    initStyleOption(&opt);

    // The classic sunken channel instead of the style's groove, which some styles fill up to
    // the thumb and which would then look like a second band.
    const QRect channel = channelRect();
    const QPalette &pal = palette();
    p.fillRect(channel, pal.color(QPalette::Base));
    p.setPen(pal.color(QPalette::Dark));
    p.drawLine(channel.topLeft(), channel.topRight());
    p.drawLine(channel.topLeft(), channel.bottomLeft());
    p.setPen(pal.color(QPalette::Light));
    p.drawLine(channel.bottomLeft(), channel.bottomRight());
    p.drawLine(channel.topRight(), channel.bottomRight());

    const QRect band = selectionRect();
    if (!band.isNull()) {
        p.fillRect(band, pal.color(QPalette::Highlight));
        // Small markers under the channel at both ends of the band, as the classic control has.
        const int y = channel.bottom() + 2;
        p.setPen(pal.color(QPalette::WindowText));
        for (int x : {band.left(), band.right()})
            p.drawLine(x, y, x, y + 1);
    }

    opt.subControls = QStyle::SC_SliderTickmarks | QStyle::SC_SliderHandle;
    style()->drawComplexControl(QStyle::CC_Slider, &opt, &p, this);
}
