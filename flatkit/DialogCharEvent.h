#pragma once

#include <QChar>
#include <QEvent>

class QWidget;

// A typed character offered to the kit controls of a window as a possible accelerator (the
// classic dialog-character message). A control that acts on it calls setHandled(); the offer
// then stops.
class DialogCharEvent : public QEvent {
public:
    explicit DialogCharEvent(QChar character);

    static QEvent::Type eventType();

    QChar character() const { return m_character; }
    bool handled() const { return m_handled; }
    void setHandled() { m_handled = true; }

    // Offers character to every visible widget under window (window included), depth first in
    // child order, until one handles it. Returns whether one did.
    static bool offer(QWidget *window, QChar character);

private:
    QChar m_character;
    bool m_handled = false;
};
