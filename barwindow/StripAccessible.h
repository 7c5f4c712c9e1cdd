#pragma once

class QAccessibleInterface;
class QObject;
class QString;
class TfrmMain;

// The strip as a screen reader reads it: a window named by its title and described by its
// hint, holding the percent (text), the gauge (a progress bar, from the kit), the time (text)
// and the state icon (an image named by what it means, in the words of the status box). The
// labels and the icon are painted by the strip itself, so they are parts of the strip's
// interface rather than widgets.
namespace StripAccessible {

void install();
QAccessibleInterface *factory(const QString &className, QObject *object);

// The strip calls these when the percent or the icon changes (a few times an hour). The time,
// which changes every second, sends nothing: a reader asks for it when it wants it.
void notifyPercentChanged(TfrmMain *strip);
void notifyIconChanged(TfrmMain *strip);

} // namespace StripAccessible
