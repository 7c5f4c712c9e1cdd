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

QRect SelectionTrackBar::selectionRect() const
{
    // Values outside the range (a band end of -1 below a warning level of 0, or one past the
    // top) are drawn at the channel's ends; a band that ends before it starts is not drawn.
    const int start = std::clamp(m_selStart, minimum(), maximum());
    const int end = std::clamp(m_selEnd, minimum(), maximum());
    if (m_selEnd < m_selStart || m_selEnd < minimum() || m_selStart > maximum())
        return {};
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    const QRect groove =
        style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderGroove, this);
    const int mid = groove.center().y();
    return QRect(QPoint(valueToX(start), mid - 1), QPoint(valueToX(end), mid + 1));
}

void SelectionTrackBar::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    QStyleOptionSlider opt;
    initStyleOption(&opt);

    // Channel and ticks first, the band over the channel, the thumb on top of both.
    opt.subControls = QStyle::SC_SliderGroove | QStyle::SC_SliderTickmarks;
    style()->drawComplexControl(QStyle::CC_Slider, &opt, &p, this);

    const QRect band = selectionRect();
    if (!band.isNull()) {
        const QColor color = palette().color(QPalette::Highlight);
        p.fillRect(band, color);
        // Small markers under the channel at both ends of the band, as the classic control has.
        const QRect groove =
            style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderGroove, this);
        const int y = groove.bottom() + 1;
        p.setPen(palette().color(QPalette::WindowText));
        for (int x : {band.left(), band.right()})
            p.drawLine(x, y, x, y + 2);
    }

    initStyleOption(&opt);
    opt.subControls = QStyle::SC_SliderHandle;
    style()->drawComplexControl(QStyle::CC_Slider, &opt, &p, this);
}
