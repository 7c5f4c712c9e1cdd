#include "HintMachinery.h"

#include "TFlatHintWindow.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace {

bool parentShowHint(const QWidget *w)
{
    const QVariant value = w->property("ParentShowHint");
    return !value.isValid() || value.toBool();
}

// Hints are on unless the first widget up the chain that stops following its parent (or the
// top-level) says ShowHint false.
bool hintsAllowed(const QWidget *widget)
{
    for (const QWidget *w = widget; w; w = w->parentWidget()) {
        if (!parentShowHint(w) || !w->parentWidget()) {
            const QVariant value = w->property("ShowHint");
            return !value.isValid() || value.toBool();
        }
    }
    return true;
}

QWidget *widgetUnder(QObject *window, const QPoint &globalPos)
{
    const QWidgetList tops = QApplication::topLevelWidgets();
    for (QWidget *top : tops) {
        if (top->windowHandle() != window || !top->isVisible())
            continue;
        const QPoint local = top->mapFromGlobal(globalPos);
        if (!top->rect().contains(local))
            return nullptr;
        QWidget *child = top->childAt(local);
        return child ? child : top;
    }
    // A widget with a native window of its own: ask the platform.
    return QApplication::widgetAt(globalPos);
}

} // namespace

HintMachinery::HintMachinery()
{
    m_showTimer.setSingleShot(true);
    m_hideTimer.setSingleShot(true);
    connect(&m_showTimer, &QTimer::timeout, this, [this] { showHint(); });
    connect(&m_hideTimer, &QTimer::timeout, this, [this] {
        if (m_window)
            m_window->hide();
    });
    qApp->installEventFilter(this);
}

HintMachinery::~HintMachinery()
{
    if (qApp)
        qApp->removeEventFilter(this);
}

void HintMachinery::attach(TFlatHint *hint)
{
    if (!s_instance)
        s_instance.reset(new HintMachinery);
    s_instance->m_hints.push_back(hint);
    s_instance->m_hooked = hint;
}

void HintMachinery::detach(TFlatHint *hint)
{
    HintMachinery *m = s_instance.get();
    if (!m)
        return;
    auto &hints = m->m_hints;
    hints.erase(std::remove(hints.begin(), hints.end(), hint), hints.end());
    // A destroyed component no longer answers the show-hint event.
    if (m->m_hooked == hint)
        m->m_hooked = hints.empty() ? nullptr : hints.back();
    if (hints.empty())
        s_instance.reset();
}

TFlatHint *HintMachinery::firstHint() const
{
    return m_hints.empty() ? nullptr : m_hints.front();
}

bool HintMachinery::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::ToolTip:
        return true; // the flat hint window replaces Qt's tool tips
    case QEvent::MouseMove:
        if (watched->isWindowType()) {
            const auto *me = static_cast<QMouseEvent *>(event);
            if (me->buttons() == Qt::NoButton)
                mouseMoved(watched, me->globalPosition().toPoint());
        }
        break;
    case QEvent::Leave:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::Wheel:
        if (watched->isWindowType() && !(m_window && watched == m_window->windowHandle()))
            cancelHint();
        break;
    case QEvent::ApplicationDeactivate:
        cancelHint();
        break;
    default:
        break;
    }
    return false;
}

void HintMachinery::mouseMoved(QObject *window, const QPoint &globalPos)
{
    if (m_window && window == m_window->windowHandle())
        return;
    QWidget *under = widgetUnder(window, globalPos);
    QWidget *control = under && hintsAllowed(under) ? under : nullptr;
    while (control && control->toolTip().isEmpty())
        control = control->isWindow() ? nullptr : control->parentWidget();
    if (!control) {
        cancelHint();
        return;
    }
    if (control == m_hintControl && m_cursorRect.contains(globalPos)) {
        if (m_showTimer.isActive())
            m_cursorPos = globalPos;
        return;
    }
    const bool wasActive = m_hintActive;
    cancelHint();
    m_hintControl = control;
    m_cursorPos = globalPos;
    m_cursorRect = QRect(control->mapToGlobal(QPoint(0, 0)), control->size());
    m_showTimer.start(wasActive ? s_hintShortPause : s_hintPause);
}

void HintMachinery::cancelHint()
{
    m_showTimer.stop();
    m_hideTimer.stop();
    if (m_window)
        m_window->hide();
    m_hintControl = nullptr;
    m_hintActive = false;
}

void HintMachinery::showHint()
{
    QWidget *control = m_hintControl;
    if (!control)
        return;
    QString text = control->toolTip();
    THintInfo info;
    info.HintControl = control;
    info.CursorPos = m_cursorPos;
    info.CursorRect = m_cursorRect;
    info.HideTimeout = s_hintHidePause;
    bool canShow = true;
    if (m_hooked)
        m_hooked->GetHintInfo(text, canShow, info);
    m_cursorRect = info.CursorRect;
    if (!canShow || text.isEmpty()) {
        if (m_window)
            m_window->hide();
        m_hintActive = false;
        return;
    }
    if (!m_window)
        m_window = std::make_unique<TFlatHintWindow>();
    m_window->ActivateHintAt(QRect(info.CursorPos, QSize()), text, info.CursorPos);
    m_hintActive = true;
    if (info.HideTimeout > 0)
        m_hideTimer.start(info.HideTimeout);
}
