#pragma once

#include <QSlider>

// The classic horizontal track bar: range 0..100, a tick every 10 below the channel, and a
// highlighted selection band in the channel between selStart and selEnd. The band is only a
// marker; it never limits the position.
class SelectionTrackBar : public QSlider {
    Q_OBJECT
public:
    explicit SelectionTrackBar(QWidget *parent = nullptr);

    int selStart() const { return m_selStart; }
    int selEnd() const { return m_selEnd; }
    void setSelStart(int value);
    void setSelEnd(int value);

    // The band in widget pixels (left and right edge of the highlighted part of the channel);
    // empty when there is nothing to show.
    QRect selectionRect() const;
    // The sunken channel the thumb runs in.
    QRect channelRect() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int valueToX(int value) const;

    int m_selStart = 0;
    int m_selEnd = -1; // no band until one is set
};
