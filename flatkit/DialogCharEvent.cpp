#include "DialogCharEvent.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>

DialogCharEvent::DialogCharEvent(QChar character)
    : QEvent(eventType())
    , m_character(character)
{
}

QEvent::Type DialogCharEvent::eventType()
{
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

namespace {

bool offerTo(QWidget *widget, DialogCharEvent &event)
{
    QPointer<QWidget> guard(widget);
    QApplication::sendEvent(widget, &event);
    if (event.handled() || !guard)
        return event.handled();
    // A handler may reparent or delete children: walk a snapshot, skipping the dead.
    const QObjectList children = widget->children();
    QList<QPointer<QWidget>> widgets;
    for (QObject *child : children) {
        if (auto *w = qobject_cast<QWidget *>(child); w && !w->isWindow())
            widgets.append(w);
    }
    for (const QPointer<QWidget> &child : widgets) {
        if (child && child->isVisible() && offerTo(child, event))
            return true;
    }
    return false;
}

} // namespace

bool DialogCharEvent::offer(QWidget *window, QChar character)
{
    if (!window || character.isNull())
        return false;
    DialogCharEvent event(character);
    return offerTo(window, event);
}
