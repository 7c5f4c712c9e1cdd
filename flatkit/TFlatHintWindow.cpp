#include "TFlatHintWindow.h"

#include "HintMachinery.h"
#include "KitAccessible.h"
#include "Legibility.h"
#include "TFlatHint.h"

#include <QApplication>
#include <QCursor>
#include <QPainter>
#include <QScreen>

#include <array>
#include <cstdlib>

namespace {

// The arrow for the top-left corner; the other corners mirror it.
constexpr std::array<QPoint, 18> kArrow = {{{0, 0},
                                            {0, 6},
                                            {1, 6},
                                            {1, 0},
                                            {6, 0},
                                            {6, 1},
                                            {2, 1},
                                            {2, 4},
                                            {5, 7},
                                            {6, 7},
                                            {3, 4},
                                            {3, 3},
                                            {6, 6},
                                            {7, 6},
                                            {3, 2},
                                            {4, 2},
                                            {7, 5},
                                            {7, 6}}};

// One-pixel polyline that leaves out its final point, on exact pixels (Bresenham).
void polylineExact(QPainter &painter, const QPoint *points, int count, const QColor &color)
{
    for (int i = 0; i + 1 < count; ++i) {
        int x = points[i].x();
        int y = points[i].y();
        const int x1 = points[i + 1].x();
        const int y1 = points[i + 1].y();
        const int dx = std::abs(x1 - x);
        const int dy = -std::abs(y1 - y);
        const int sx = x < x1 ? 1 : -1;
        const int sy = y < y1 ? 1 : -1;
        int err = dx + dy;
        while (x != x1 || y != y1) {
            painter.fillRect(x, y, 1, 1, color);
            const int e2 = 2 * err;
            if (e2 >= dy) {
                err += dy;
                x += sx;
            }
            if (e2 <= dx) {
                err += dx;
                y += sy;
            }
        }
    }
}

struct HintLook {
    TColor background = 0x00FFFFFF;
    TColor border = 0x00000000;
    TColor arrowBackground = 0x0053D2FF;
    TColor arrow = 0x00000000;
    int maxWidth = 200;
    QFont font;
    TColor fontColor = clWindowText;
};

// Without a TFlatHint on the main form the window keeps the component's defaults.
HintLook lookOf(const TFlatHint *source)
{
    HintLook look;
    if (!source) {
        look.font = QApplication::font();
        return look;
    }
    look.background = source->ColorBackground();
    look.border = source->ColorBorder();
    look.arrowBackground = source->ColorArrowBackground();
    look.arrow = source->ColorArrow();
    look.maxWidth = source->MaxHintWidth();
    look.font = source->Font();
    look.fontColor = source->FontColor();
    return look;
}

} // namespace

TFlatHintWindow::TFlatHintWindow(QWidget *parent)
    : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowDoesNotAcceptFocus)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
}

TFlatHint *TFlatHintWindow::FindFlatHint()
{
    if (QWidget *form = TFlatHint::MainForm()) {
        for (QObject *child : form->children()) {
            if (auto *hint = qobject_cast<TFlatHint *>(child))
                return hint;
        }
        return nullptr;
    }
    HintMachinery *m = HintMachinery::instance();
    TFlatHint *first = m ? m->firstHint() : nullptr;
    if (!first || !first->parent())
        return first;
    // The first hint's owner is taken as the main form; its first hint in child order serves.
    for (QObject *child : first->parent()->children()) {
        if (auto *hint = qobject_cast<TFlatHint *>(child))
            return hint;
    }
    return first;
}

TArrowPos TFlatHintWindow::ArrowCorner(const QPoint &pointer, const QRect &screen)
{
    const int x = pointer.x() - screen.left();
    const int y = pointer.y() - screen.top();
    const int halfW = screen.width() / 2;
    const int halfH = screen.height() / 2;
    const bool left = x >= 0 && x < halfW;
    const bool right = x >= halfW && x < screen.width();
    const bool top = y >= 0 && y < halfH;
    const bool bottom = y >= halfH && y < screen.height();
    if (left && top)
        return NW;
    if (right && top)
        return NE;
    if (left && bottom)
        return SW;
    return SE;
}

QRect TFlatHintWindow::HintRect(TArrowPos corner, const QPoint &pointer, const QSize &size)
{
    // The pointer image hangs below and right of its hot spot: more room on that side.
    const int g = corner == NW ? 12 : 5;
    const int x = pointer.x();
    const int y = pointer.y();
    const int w = size.width();
    const int h = size.height();
    switch (corner) {
    case NW:
        return KitRect(x + g, y + g, x + g + w, y + g + h);
    case NE:
        return KitRect(x - g - w, y + g, x - g, y + g + h);
    case SW:
        return KitRect(x + g, y - g - h, x + g + w, y - g);
    case SE:
        break;
    }
    return KitRect(x - g - w, y - g - h, x - g, y - g);
}

QSize TFlatHintWindow::CalcHintSize(const QRect &rect, const QString &text) const
{
    const HintLook look = lookOf(FSource ? FSource.data() : FindFlatHint());
    const QRect measure =
        KitRect(rect.left(), rect.top(), rect.left() + look.maxWidth - 22, rect.top());
    const QRect bounds =
        KitDrawText(nullptr, look.font, text, measure, DT_NOPREFIX | DT_CALCRECT | DT_WORDBREAK);
    return QSize(bounds.width() + 22, bounds.height() + 6);
}

void TFlatHintWindow::ActivateHint(const QRect &rect, const QString &text)
{
    ActivateHintAt(rect, text, QCursor::pos());
}

void TFlatHintWindow::ActivateHintAt(const QRect &rect, const QString &text, const QPoint &pointer)
{
    const bool renamed = text != m_caption;
    m_caption = text;
    if (renamed)
        KitAccessible::notifyNameChanged(this);
    FSource = FindFlatHint();
    const QSize size = CalcHintSize(rect, text);
    QScreen *screen = QGuiApplication::screenAt(pointer);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect screenRect = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    FArrowPos = ArrowCorner(pointer, screenRect);
    const bool wasVisible = isVisible();
    setGeometry(HintRect(FArrowPos, pointer, size));
    if (wasVisible)
        raise(); // a fresh show maps it on top anyway
    show();
    update();
}

void TFlatHintWindow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    Paint(painter);
}

void TFlatHintWindow::Paint(QPainter &painter)
{
    const HintLook look = lookOf(FSource);
    const int W = width();
    const int H = height();
    const bool stripLeft = FArrowPos == NW || FArrowPos == SW;
    const QRect strip = stripLeft ? KitRect(1, 1, 15, H - 1) : KitRect(W - 15, 1, W - 1, H - 1);
    QRect text = stripLeft ? KitRect(15, 1, W - 1, H - 1) : KitRect(1, 1, W - 15, H - 1);

    FillRect(painter, strip, look.arrowBackground);
    FillRect(painter, text, look.background);
    FrameRect(painter, rect(), look.border);

    const int sl = strip.left();
    const int st = strip.top();
    const int sr = strip.right() + 1;
    const int sb = strip.bottom() + 1;
    QPoint anchor;
    int fx = 1;
    int fy = 1;
    switch (FArrowPos) {
    case NW:
        anchor = QPoint(sl + 2, st + 2);
        break;
    case NE:
        anchor = QPoint(sr - 3, st + 2);
        fx = -1;
        break;
    case SW:
        anchor = QPoint(sl + 2, sb - 3);
        fy = -1;
        break;
    case SE:
        anchor = QPoint(sr - 3, sb - 3);
        fx = -1;
        fy = -1;
        break;
    }
    std::array<QPoint, kArrow.size()> points;
    for (size_t i = 0; i < kArrow.size(); ++i)
        points[i] = anchor + QPoint(fx * kArrow[i].x(), fy * kArrow[i].y());
    polylineExact(painter, points.data(), int(points.size()), ColorToQColor(look.arrow));

    text.adjust(3, 1, -3, -1);
    painter.setPen(
        ColorToQColor(legibleOn(this, look.fontColor, look.background, kCaptionContrast)));
    KitDrawText(&painter, look.font, m_caption, text, DT_NOPREFIX | DT_WORDBREAK);
}
