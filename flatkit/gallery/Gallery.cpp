#include "Gallery.h"

#include "Flatutilitys.h"
#include "TFlatHint.h"
#include "TFlatHintWindow.h"
#include "TFlatProgressBar.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

Gallery::Gallery(QWidget *parent)
    : QWidget(parent)
    , m_grid(new QGridLayout(this))
{
    m_grid->setSpacing(12);
}

QWidget *Gallery::addSection(const QString &title, const QSize &size)
{
    auto *box = new QWidget(this);
    auto *column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    auto *caption = new QLabel(title, box);
    QFont bold = caption->font();
    bold.setBold(true);
    caption->setFont(bold);
    column->addWidget(caption);
    auto *canvas = new QWidget(box);
    canvas->setFixedSize(size);
    column->addWidget(canvas);
    column->addStretch();
    m_grid->addWidget(box, m_count / 2, m_count % 2, Qt::AlignTop | Qt::AlignLeft);
    ++m_count;
    return canvas;
}

namespace {

// Text, frames, shades and the disabled glyph, drawn straight with the kit's helpers.
class DrawingSample : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        const QFont f = font();
        p.setPen(ColorToQColor(clWindowText));
        const QString captions[] = {QStringLiteral("&File"), QStringLiteral("E&xit"),
                                    QStringLiteral("A&&B"), QStringLiteral("&&&Close")};
        int x = 4;
        for (const QString &caption : captions) {
            x = KitDrawText(&p, f, caption, KitRect(x, 4, 300, 20), DT_SINGLELINE).right() + 16;
        }
        KitDrawText(&p, f, QStringLiteral("&No prefix here"), KitRect(4, 22, 300, 40),
                    DT_SINGLELINE | DT_NOPREFIX);

        QRect wrap = KitRect(4, 44, 134, 120);
        FrameRect(p, wrap, 0x008396A0);
        KitDrawText(&p, f,
                    QStringLiteral("Wrapped at word boundaries within the box; "
                                   "averyveryverylongwordstayswhole here."),
                    wrap.adjusted(2, 2, -2, -2), DT_WORDBREAK);

        QRect right = KitRect(144, 44, 300, 64);
        FrameRect(p, right, 0x008396A0);
        KitDrawText(&p, f, QStringLiteral("Right &aligned"), right.adjusted(2, 2, -2, -2),
                    DT_RIGHT | DT_SINGLELINE);
        QRect centred = KitRect(144, 70, 300, 100);
        FrameRect(p, centred, 0x008396A0);
        KitDrawText(&p, f, QStringLiteral("&Centred"), centred,
                    DT_CENTER | DT_VCENTER | DT_SINGLELINE);

        QRect raised = KitRect(4, 126, 60, 156);
        FillRect(p, raised, 0x00E1EAEB);
        Frame3D(p, raised, clWhite, clBlack, 1);
        QRect sunken = KitRect(70, 126, 126, 156);
        FillRect(p, sunken, 0x00C5D6D9);
        Frame3D(p, sunken, clBlack, clWhite, 1);
        QRect twoRings = KitRect(132, 126, 188, 156);
        Frame3D(p, twoRings, 0x008396A0, 0x008396A0, 2);

        const QImage glyph = sampleGlyph();
        p.drawImage(200, 126, glyph);
        p.drawImage(
            224, 126,
            CreateDisabledBitmap(glyph, clBlack, clBtnFace, clBtnHighlight, clBtnShadow, true));

        const TColor bases[] = {0x00E1EAEB, 0x00C0C0C0, 0x00996633};
        int y = 164;
        for (TColor base : bases) {
            const TColor shades[] = {base, CalcAdvancedColor(base, base, 50, darken),
                                     CalcAdvancedColor(base, base, 10, darken),
                                     CalcAdvancedColor(base, base, 10, lighten)};
            int x = 4;
            for (TColor c : shades) {
                FillRect(p, KitRect(x, y, x + 40, y + 14), c);
                x += 44;
            }
            KitDrawText(&p, f, QStringLiteral("base, darken 50, darken 10, lighten 10"),
                        KitRect(x + 4, y, 400, y + 14), DT_SINGLELINE | DT_VCENTER);
            y += 18;
        }
    }

private:
    static QImage sampleGlyph()
    {
        QImage img(16, 16, QImage::Format_RGB32);
        img.fill(ColorToQColor(clBtnFace));
        QPainter p(&img);
        FrameRect(p, KitRect(1, 4, 13, 12), clBlack);
        FillRect(p, KitRect(13, 6, 15, 10), clBlack);
        FillRect(p, KitRect(3, 6, 9, 10), clBlack);
        return img;
    }
};

// A control that copies its parent's picture behind itself, then frames it.
class SeeThrough : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        DrawParentImage(this, p);
        FrameRect(p, rect(), 0x000000FF);
        p.setPen(ColorToQColor(clWindowText));
        KitDrawText(&p, font(), QStringLiteral("parent image"), rect(),
                    DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
};

QPixmap stripes(QSize size)
{
    QPixmap pattern(size);
    pattern.fill(Qt::white);
    QPainter p(&pattern);
    for (int x = 0; x < size.width(); x += 6)
        p.fillRect(x, 0, 3, size.height(), QColor(0xC0, 0xD0, 0xF0));
    return pattern;
}

TFlatProgressBar *addBar(QWidget *canvas, QRect geometry, int position, bool smooth,
                         const QString &hint = QString())
{
    auto *bar = new TFlatProgressBar(canvas);
    bar->SetSmooth(smooth);
    bar->setGeometry(geometry);
    bar->SetPosition(position);
    bar->setToolTip(hint);
    return bar;
}

QLabel *addLabel(QWidget *canvas, const QString &text, QPoint at)
{
    auto *label = new QLabel(text, canvas);
    label->move(at);
    return label;
}

} // namespace

void drawingSection(Gallery &gallery)
{
    QWidget *canvas = gallery.addSection(QStringLiteral("Drawing helpers"), QSize(420, 220));
    auto *sample = new DrawingSample(canvas);
    sample->setGeometry(canvas->rect());
    auto *striped = new QLabel(sample);
    striped->setPixmap(stripes(QSize(110, 30)));
    striped->setGeometry(300, 126, 110, 30);
    auto *glass = new SeeThrough(striped);
    glass->setGeometry(10, 5, 90, 20);
}

void progressBarSection(Gallery &gallery)
{
    QWidget *canvas = gallery.addSection(QStringLiteral("Flat progress bar"), QSize(420, 220));
    const int positions[] = {0, 3, 50, 100};
    int y = 4;
    for (int p : positions) {
        addLabel(canvas, QStringLiteral("%1 %").arg(p), {4, y});
        addBar(canvas, QRect(44, y, 147, 16), p, true,
               QStringLiteral("Smooth gauge at %1 percent").arg(p));
        addBar(canvas, QRect(200, y, 150, 16), p, false,
               QStringLiteral("Block gauge at %1 percent").arg(p));
        y += 22;
    }

    auto *warn = addBar(canvas, QRect(44, y, 147, 16), 12, true);
    warn->SetColors(0, 0x000000FF);
    warn->setToolTip(QStringLiteral("Warning level: the fill turns red"));
    auto *adv = addBar(canvas, QRect(200, y, 147, 16), 70, true);
    adv->SetUseAdvColors(true);
    adv->setToolTip(QStringLiteral("Border derived from the face colour"));
    adv->setProperty("ShowHint", false);
    adv->setProperty("ParentShowHint", false);
    y += 24;

    // transparent bar over a striped parent
    auto *striped = new QLabel(canvas);
    striped->setPixmap(stripes(QSize(147, 16)));
    striped->setGeometry(44, y, 147, 16);
    auto *glass = addBar(striped, QRect(0, 0, 147, 16), 40, true);
    glass->SetTransparent(true);

    // a stepping bar: StepIt draws on top, a wrap starts a full paint
    auto *stepping = addBar(canvas, QRect(200, y, 147, 16), 0, false);
    auto *timer = new QTimer(stepping);
    QObject::connect(timer, &QTimer::timeout, stepping, [stepping] {
        if (stepping->Position() >= stepping->Max())
            stepping->SetPosition(0);
        else
            stepping->StepIt();
    });
    timer->start(400);

    const int vertical[] = {25, 60, 100};
    int x = 360;
    for (int p : vertical) {
        auto *bar = addBar(canvas, QRect(0, 0, 147, 16), p, p != 60);
        bar->SetOrientation(pbVertical);
        bar->move(x, 4);
        x += 20;
    }
}

void hintSection(Gallery &gallery)
{
    QWidget *canvas = gallery.addSection(QStringLiteral("Flat hint window"), QSize(420, 150));
    // Each corner rendered once into a picture; the live hint shows on hovering any gauge.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QPoint pointers[] = {
        screen.topLeft() + QPoint(10, 10), screen.topRight() + QPoint(-10, 10),
        screen.bottomLeft() + QPoint(10, -10), screen.bottomRight() + QPoint(-10, -10)};
    const QString texts[] = {QStringLiteral("Arrow NW: the pointer is above left"),
                             QStringLiteral("Arrow NE"),
                             QStringLiteral("Arrow SW: a longer hint that wraps at word "
                                            "boundaries within the maximum width"),
                             QStringLiteral("Arrow SE")};
    TFlatHintWindow window;
    int x = 4;
    int y = 4;
    for (int i = 0; i < 4; ++i) {
        window.ActivateHintAt(QRect(), texts[i], pointers[i]);
        const QPixmap shot = window.grab();
        window.hide();
        auto *label = new QLabel(canvas);
        label->setPixmap(shot);
        label->setGeometry(x, y, shot.width(), shot.height());
        if (i % 2 == 0) {
            x = 220;
        } else {
            x = 4;
            y += 64;
        }
    }
}
