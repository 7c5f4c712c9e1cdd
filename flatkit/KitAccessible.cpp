#include "KitAccessible.h"

#include "TFlatButton.h"
#include "TFlatCheckBox.h"
#include "TFlatGroupBox.h"
#include "TFlatHintWindow.h"
#include "TFlatProgressBar.h"
#include "TFlatRadioButton.h"

#include <QAccessibleWidget>
#include <QKeySequence>

namespace {

// "Alt+O" for "&Ok"; empty without an access key.
QString accessKey(const QString &caption)
{
    const QChar key = AcceleratorChar(caption);
    if (key.isNull())
        return {};
    return QKeySequence(QStringLiteral("Alt+") + key.toUpper()).toString(QKeySequence::NativeText);
}

// A screen reader's action returns at once and the click follows from the event loop, so a
// click that opens a modal window does not hold the reader's request up.
template<class Control> void clickLater(Control *control)
{
    QMetaObject::invokeMethod(
        control, [control] { control->performClick(); }, Qt::QueuedConnection);
}

// A control with a caption: the caption names it, its access key is its shortcut.
class CaptionedAccessible : public QAccessibleWidget {
public:
    CaptionedAccessible(FlatColorControl *control, QAccessible::Role role)
        : QAccessibleWidget(control, role)
    {
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return shownCaption(control()->Caption());
        if (t == QAccessible::Accelerator)
            return accessKey(control()->Caption());
        return QAccessibleWidget::text(t);
    }

    // The action that clicks (a press or a toggle), under the access key.
    QStringList actionNames() const override
    {
        QStringList names;
        if (!clickAction().isEmpty() && widget()->isEnabled())
            names << clickAction();
        return names + QAccessibleWidget::actionNames();
    }
    QStringList keyBindingsForAction(const QString &action) const override
    {
        const QString key = accessKey(control()->Caption());
        if (action == clickAction() && !key.isEmpty())
            return {key};
        return QAccessibleWidget::keyBindingsForAction(action);
    }
    void doAction(const QString &action) override
    {
        if (action == clickAction() && !action.isEmpty() && widget()->isEnabled())
            click();
        else
            QAccessibleWidget::doAction(action);
    }

protected:
    const FlatColorControl *control() const
    {
        return static_cast<const FlatColorControl *>(widget());
    }
    // The name of the clicking action; none for a control that a click does nothing to.
    virtual QString clickAction() const { return {}; }
    virtual void click() {}

    // A left click focuses the control whatever its tab stop, so it can always have the focus.
    static void clickFocus(QAccessible::State &state, const QWidget *w)
    {
        state.focusable = true;
        state.focused = w->hasFocus();
    }
};

class ButtonAccessible final : public CaptionedAccessible {
public:
    explicit ButtonAccessible(TFlatButton *button)
        : CaptionedAccessible(button, QAccessible::Button)
    {
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        clickFocus(s, widget());
        s.pressed = button()->State() == stPressed;
        s.defaultButton = button()->Default();
        if (button()->GroupIndex() != 0) {
            s.checkable = true;
            s.checked = button()->Down();
        }
        return s;
    }

protected:
    // A button of a group latches: a click toggles it.
    QString clickAction() const override
    {
        return button()->GroupIndex() != 0 ? toggleAction() : pressAction();
    }
    void click() override { clickLater(button()); }

private:
    TFlatButton *button() const { return static_cast<TFlatButton *>(widget()); }
};

class CheckAccessible final : public CaptionedAccessible {
public:
    CheckAccessible(FlatCheckControl *check, QAccessible::Role role)
        : CaptionedAccessible(check, role)
    {
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        clickFocus(s, widget());
        s.checkable = true;
        s.checked = check()->Checked();
        s.pressed = check()->MouseDownFlag();
        return s;
    }

protected:
    QString clickAction() const override { return toggleAction(); }
    void click() override { clickLater(check()); }

private:
    FlatCheckControl *check() const { return static_cast<FlatCheckControl *>(widget()); }
};

class GaugeAccessible final : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit GaugeAccessible(TFlatProgressBar *gauge)
        : QAccessibleWidget(gauge, QAccessible::ProgressBar)
    {
    }

    void *interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface *>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    // The gauge reads its position as a percentage.
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return QString::number(gauge()->Position()) + QLatin1Char('%');
        return QAccessibleWidget::text(t);
    }

    QVariant currentValue() const override { return gauge()->Position(); }
    void setCurrentValue(const QVariant &) override {} // a gauge only shows
    QVariant maximumValue() const override { return gauge()->Max(); }
    QVariant minimumValue() const override { return gauge()->Min(); }
    QVariant minimumStepSize() const override { return 1; }

private:
    TFlatProgressBar *gauge() const { return static_cast<TFlatProgressBar *>(widget()); }
};

class HintAccessible final : public QAccessibleWidget {
public:
    explicit HintAccessible(TFlatHintWindow *hint)
        : QAccessibleWidget(hint, QAccessible::ToolTip)
    {
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return static_cast<const TFlatHintWindow *>(widget())->Caption();
        return QAccessibleWidget::text(t);
    }
};

} // namespace

namespace KitAccessible {

void install()
{
    // Qt keeps one entry per factory, and asks the last installed first.
    QAccessible::installFactory(&factory);
}

QAccessibleInterface *factory(const QString &className, QObject *object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    auto *widget = static_cast<QWidget *>(object);
    if (className == QLatin1String("TFlatButton"))
        return new ButtonAccessible(static_cast<TFlatButton *>(widget));
    if (className == QLatin1String("TFlatCheckBox"))
        return new CheckAccessible(static_cast<TFlatCheckBox *>(widget), QAccessible::CheckBox);
    if (className == QLatin1String("TFlatRadioButton"))
        return new CheckAccessible(static_cast<TFlatRadioButton *>(widget),
                                   QAccessible::RadioButton);
    if (className == QLatin1String("TFlatGroupBox"))
        return new CaptionedAccessible(static_cast<TFlatGroupBox *>(widget), QAccessible::Grouping);
    if (className == QLatin1String("TFlatProgressBar"))
        return new GaugeAccessible(static_cast<TFlatProgressBar *>(widget));
    if (className == QLatin1String("TFlatHintWindow"))
        return new HintAccessible(static_cast<TFlatHintWindow *>(widget));
    // The program's own windows made from a plain QWidget (the help windows) read as windows
    // or dialogs, not as fillers. A widget whose most derived class is QWidget itself is left
    // to Qt: that is also what a window in its QWidget destructor looks like.
    if (className == QLatin1String("QWidget") && widget->isWindow() &&
        qstrcmp(widget->metaObject()->className(), "QWidget") != 0) {
        if (widget->windowType() == Qt::Dialog)
            return new QAccessibleWidget(widget, QAccessible::Dialog);
        if (widget->windowType() == Qt::Window)
            return new QAccessibleWidget(widget, QAccessible::Window);
    }
    return nullptr;
}

void notifyStateChanged(QWidget *control, QAccessible::State changed)
{
    if (!QAccessible::isActive())
        return;
    QAccessibleStateChangeEvent event(control, changed);
    QAccessible::updateAccessibility(&event);
}

void notifyValueChanged(QWidget *control, const QVariant &value)
{
    if (!QAccessible::isActive())
        return;
    QAccessibleValueChangeEvent event(control, value);
    QAccessible::updateAccessibility(&event);
}

void notifyNameChanged(QWidget *control)
{
    if (!QAccessible::isActive())
        return;
    QAccessibleEvent event(control, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
}

} // namespace KitAccessible
