#pragma once

#include <QObject>

class QKeyEvent;
class QWidget;

// Classic dialog accelerators without QShortcut. One filter sits on each top-level window
// that holds kit controls (created on demand, owned by that window). It sees the key presses
// that no widget accepted on their way up to the window, and offers the typed character to the
// window's controls as a DialogCharEvent. So Alt+letter and the plain letter both work while
// the focused widget does not take the letter itself; a TFlatEdit keeps plain letters but
// passes Alt+letter on.
class AcceleratorFilter : public QObject {
    Q_OBJECT
public:
    // Makes sure control's current top-level window has a filter. Kit controls call it when
    // created, reparented and shown; other widgets may call it too.
    static void attach(QWidget *control);

    // The character a key press offers, or a null QChar (control keys, Ctrl combinations).
    static QChar typedCharacter(const QKeyEvent &event);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit AcceleratorFilter(QWidget *window);
};
