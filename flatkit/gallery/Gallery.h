#pragma once

#include <QWidget>

class QGridLayout;

// The gallery window: titled sections, each a canvas on which controls sit at fixed places, as
// on the program's own forms.
class Gallery : public QWidget {
    Q_OBJECT
public:
    explicit Gallery(QWidget *parent = nullptr);

    // A new section of the given canvas size; place controls on the returned widget.
    QWidget *addSection(const QString &title, const QSize &size);

private:
    QGridLayout *m_grid = nullptr;
    int m_count = 0;
};

// One function per control; each adds its own section.
void drawingSection(Gallery &gallery);
void progressBarSection(Gallery &gallery);
void hintSection(Gallery &gallery);
void buttonSection(Gallery &gallery);
void checkSection(Gallery &gallery);
void groupBoxSection(Gallery &gallery);
void editSection(Gallery &gallery);
