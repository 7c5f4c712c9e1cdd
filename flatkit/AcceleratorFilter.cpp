#include "AcceleratorFilter.h"

#include "DialogCharEvent.h"

#include <QKeyEvent>
#include <QWidget>

AcceleratorFilter::AcceleratorFilter(QWidget *window)
    : QObject(window)
{
    setObjectName(QStringLiteral("AcceleratorFilter"));
    window->installEventFilter(this);
}

void AcceleratorFilter::attach(QWidget *control)
{
    if (!control)
        return;
    QWidget *window = control->window();
    if (window->findChild<AcceleratorFilter *>(QString(), Qt::FindDirectChildrenOnly))
        return;
    new AcceleratorFilter(window); // owned by window
}

QChar AcceleratorFilter::typedCharacter(const QKeyEvent &event)
{
    const Qt::KeyboardModifiers mods =
        event.modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier | Qt::AltModifier);
    if (mods != Qt::NoModifier)
        return {};
    const QString text = event.text();
    if (!text.isEmpty() && text.at(0).isPrint())
        return text.at(0);
    // With Alt held some platforms deliver no text: take the key itself.
    const int key = event.key();
    if ((key >= Qt::Key_0 && key <= Qt::Key_9) || (key >= Qt::Key_A && key <= Qt::Key_Z))
        return QChar(key).toLower();
    return {};
}

bool AcceleratorFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return false;
    auto *window = static_cast<QWidget *>(watched);
    if (!window->isWindow())
        return false;
    const QChar character = typedCharacter(*static_cast<QKeyEvent *>(event));
    if (character.isNull() || !DialogCharEvent::offer(window, character))
        return false;
    event->accept();
    return true;
}
