#pragma once

#include <QAccessible>

class QString;
class QVariant;
class QWidget;

// The flat controls draw themselves, so Qt cannot tell a screen reader what they are. Here is
// one small interface per control family (button, check box and radio button, group box,
// gauge, hint window), made by a factory that the program, the kit's tests and its gallery
// install before they make controls. The edit is a QLineEdit and keeps Qt's own interface.
//
// A control's name is its caption without the '&', its description its hint, its shortcut the
// access key (Alt and the letter after the '&'); its press or toggle action does what a click
// does. Controls send the notify calls below only when their state or value really changes.
namespace KitAccessible {

void install();
QAccessibleInterface *factory(const QString &className, QObject *object);

void notifyStateChanged(QWidget *control, QAccessible::State changed);
void notifyValueChanged(QWidget *control, const QVariant &value);
void notifyNameChanged(QWidget *control);

} // namespace KitAccessible
