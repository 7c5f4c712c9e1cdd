#pragma once

#include "Flatutilitys.h"

#include <QPointer>
#include <QWidget>

class TFlatHint;

// The flat hint: a boxed text with a 14-pixel strip on the side facing the pointer, carrying
// an arrow that points into the corner nearest the pointer. It never takes the focus.
class TFlatHintWindow : public QWidget {
    Q_OBJECT
public:
    explicit TFlatHintWindow(QWidget *parent = nullptr);

    // The first TFlatHint of the main form (see TFlatHint), or null.
    static TFlatHint *FindFlatHint();

    // Sizes the window for text and shows it by the pointer. Only rect's top-left matters.
    void ActivateHint(const QRect &rect, const QString &text);
    // The same with the pointer position given (screen coordinates).
    void ActivateHintAt(const QRect &rect, const QString &text, const QPoint &pointer);

    // The corner facing the pointer: by the quarter of screen the pointer is in.
    static TArrowPos ArrowCorner(const QPoint &pointer, const QRect &screen);
    // The window's screen rectangle for a window of size placed by pointer.
    static QRect HintRect(TArrowPos corner, const QPoint &pointer, const QSize &size);
    // The window size for text with the current settings.
    QSize CalcHintSize(const QRect &rect, const QString &text) const;

    TArrowPos ArrowPos() const { return FArrowPos; }
    QString Caption() const { return m_caption; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void Paint(QPainter &painter);

    TArrowPos FArrowPos = NW;
    QPointer<TFlatHint> FSource;
    QString m_caption;
};
