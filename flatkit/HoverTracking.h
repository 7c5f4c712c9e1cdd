#pragma once

#include <QApplication>
#include <QCursor>
#include <QPoint>
#include <QTimer>

#include <memory>

// The hover tracking of the flat button, check box and radio button: one 100 ms timer per
// control class, running only while one control of that class is hot. The timer exists from
// the first control of the class to the destruction of the last one. Control provides
// MouseEnter(), MouseLeave() and MouseTimerHandler().
template<class Control> class HoverTracking {
public:
    Control *MouseInControl = nullptr;
    std::unique_ptr<QTimer> MouseTimer;
    int InstanceCount = 0;

    // Constructor side: the timer first, the count last (as the controls construct).
    void createTimer()
    {
        if (!MouseTimer) {
            MouseTimer = std::make_unique<QTimer>();
            MouseTimer->setInterval(100);
        }
    }
    void addInstance() { ++InstanceCount; }

    // Destructor side: after RemoveMouseTimer.
    void removeInstance()
    {
        if (--InstanceCount == 0)
            MouseTimer.reset();
    }

    static bool isUnder(const Control *control, const QPoint &globalPos)
    {
        // widgetAt counts disabled widgets too, as the classic lookup does.
        return QApplication::widgetAt(globalPos) == control;
    }

    // The hover step of a mouse move over control, at globalPos.
    void hoverStep(Control *control, const QPoint &globalPos)
    {
        if (MouseInControl == control || !isUnder(control, globalPos))
            return;
        if (MouseInControl)
            MouseInControl->MouseLeave();
        if (!QApplication::activeWindow())
            return;
        createTimer(); // a control outliving the count's drop to zero never happens, but be safe
        MouseTimer->stop();
        MouseInControl = control;
        QObject::disconnect(MouseTimer.get(), &QTimer::timeout, nullptr, nullptr);
        QObject::connect(MouseTimer.get(), &QTimer::timeout, control,
                         [control] { control->MouseTimerHandler(); });
        MouseTimer->start();
        control->MouseEnter();
    }

    void timerStep(Control *control)
    {
        if (!isUnder(control, QCursor::pos()))
            control->MouseLeave();
        // A control that lost its hot look some other way (focus loss clears it without
        // stopping the timer) would keep the timer ticking for nothing.
        if (MouseInControl == control && !control->MouseInside() && !control->MouseDownFlag())
            RemoveMouseTimer(control);
    }

    void RemoveMouseTimer(Control *control)
    {
        if (MouseInControl != control)
            return;
        if (MouseTimer)
            MouseTimer->stop();
        MouseInControl = nullptr;
    }
};
