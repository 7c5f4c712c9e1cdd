#include "KitControl.h"

#include <QCoreApplication>
#include <QEvent>
#include <QVariant>
#include <QWidget>

namespace KitControl {

void notifyColorChanged(QWidget *widget)
{
    const QObjectList children = widget->children();
    for (QObject *child : children) {
        if (child->isWidgetType() && !static_cast<QWidget *>(child)->isWindow()) {
            QEvent event(QEvent::PaletteChange);
            QCoreApplication::sendEvent(child, &event);
        }
    }
}

bool showHint(const QWidget *widget)
{
    for (const QWidget *w = widget; w; w = w->parentWidget()) {
        if (!parentShowHint(w) || !w->parentWidget()) {
            const QVariant value = w->property("ShowHint");
            return !value.isValid() || value.toBool();
        }
    }
    return true;
}

void setShowHint(QWidget *widget, bool value)
{
    widget->setProperty("ShowHint", value);
    widget->setProperty("ParentShowHint", false);
}

void setParentShowHint(QWidget *widget, bool value)
{
    widget->setProperty("ParentShowHint", value);
}

bool parentShowHint(const QWidget *widget)
{
    const QVariant value = widget->property("ParentShowHint");
    return !value.isValid() || value.toBool();
}

bool suppressHint(const QWidget *widget, const QEvent *event)
{
    return event->type() == QEvent::ToolTip && !showHint(widget);
}

QFont paintFont(const QFont &font)
{
    QFont result = font;
    result.setStyleStrategy(QFont::NoAntialias);
    return result;
}

bool canFocus(const QWidget *widget)
{
    return widget->isVisible() && widget->isEnabled();
}

} // namespace KitControl
