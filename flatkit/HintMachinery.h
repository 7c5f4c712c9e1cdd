#pragma once

#include "TFlatHint.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <memory>
#include <vector>

class TFlatHintWindow;

// The application's hint machinery while TFlatHint components live: watches the pointer
// through an application event filter, swallows Qt's tool tip requests and shows the flat hint
// window with the application's timing. Exists from the first TFlatHint to the last.
class HintMachinery : public QObject {
public:
    static HintMachinery *instance() { return s_instance.get(); }
    static void attach(TFlatHint *hint);
    static void detach(TFlatHint *hint);

    ~HintMachinery() override;

    TFlatHint *firstHint() const;
    TFlatHintWindow *window() const { return m_window.get(); }
    QWidget *hintControl() const { return m_hintControl; }

    static inline int s_hintPause = 500;
    static inline int s_hintShortPause = 25;
    static inline int s_hintHidePause = 5000;
    static inline QPointer<QWidget> s_mainForm;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    HintMachinery();
    void mouseMoved(QObject *window, const QPoint &globalPos);
    void cancelHint();
    void showHint();

    static inline std::unique_ptr<HintMachinery> s_instance;

    std::vector<TFlatHint *> m_hints; // live components, in order of creation
    TFlatHint *m_hooked = nullptr;
    QPointer<QWidget> m_hintControl;
    QRect m_cursorRect;
    QPoint m_cursorPos;
    bool m_hintActive = false;
    QTimer m_showTimer;
    QTimer m_hideTimer;
    std::unique_ptr<TFlatHintWindow> m_window;
};
