#pragma once

#include <QWidget>

// A panel framed by two one-pixel bevels: the outer one lowered, the inner one raised, so the
// panel looks set into the window with a raised plate inside.
class BevelPanel : public QWidget {
    Q_OBJECT
public:
    explicit BevelPanel(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};
