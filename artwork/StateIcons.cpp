#include "StateIcons.h"

#include <QIconEngine>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <algorithm>
#include <functional>

// All artwork is laid out on a 16x16 grid (the state icons) or a 32x32 grid (application icon
// and logo) and scaled to the target rectangle, so it stays sharp from 11 px to 256 px.

namespace {

constexpr QColor kOutline(40, 44, 52);
constexpr QColor kBlue(30, 90, 220);
constexpr QColor kRed(215, 30, 30);
constexpr QColor kGreen(20, 170, 40);
constexpr QColor kPlugBody(70, 76, 88);
constexpr QColor kPlugMetal(170, 176, 186);

// Maps a size x size grid onto rect (aspect kept, centred) for the painter's lifetime.
class GridScope {
public:
    GridScope(QPainter &painter, const QRectF &rect, qreal size)
        : m_painter(painter)
    {
        m_painter.save();
        const qreal side = std::min(rect.width(), rect.height());
        m_painter.translate(rect.left() + (rect.width() - side) / 2,
                            rect.top() + (rect.height() - side) / 2);
        m_painter.scale(side / size, side / size);
        m_painter.setRenderHint(QPainter::Antialiasing, true);
    }
    ~GridScope() { m_painter.restore(); }
    GridScope(const GridScope &) = delete;
    GridScope &operator=(const GridScope &) = delete;

private:
    QPainter &m_painter;
};

// A horizontal battery filling x 1..15 of the 16 grid; level 0..1 of the inside in fill.
void drawBattery(QPainter &p, qreal level, const QColor &fill)
{
    const QRectF body(1.0, 4.0, 12.5, 8.0);
    p.setPen(Qt::NoPen);
    p.setBrush(kOutline);
    p.drawRoundedRect(QRectF(13.5, 6.2, 1.8, 3.6), 0.5, 0.5); // terminal
    p.drawRoundedRect(body, 1.3, 1.3);
    const QRectF inside = body.adjusted(1.2, 1.2, -1.2, -1.2);
    p.setBrush(Qt::white);
    p.drawRect(inside);
    if (level > 0) {
        QRectF filled = inside.adjusted(0.5, 0.5, -0.5, -0.5);
        filled.setWidth(filled.width() * level);
        QLinearGradient shade(filled.topLeft(), filled.bottomLeft());
        shade.setColorAt(0.0, fill.lighter(135));
        shade.setColorAt(1.0, fill);
        p.setBrush(shade);
        p.drawRect(filled);
    }
}

// A mains plug with its prongs up, in the box (x, y) .. (x + 8 * scale, y + 14 * scale).
void drawPlug(QPainter &p, qreal x, qreal y, qreal scale)
{
    p.save();
    p.translate(x, y);
    p.scale(scale, scale);
    p.setPen(Qt::NoPen);
    p.setBrush(kPlugMetal);
    p.drawRect(QRectF(1.6, 0.0, 1.4, 4.0)); // prongs
    p.drawRect(QRectF(5.0, 0.0, 1.4, 4.0));
    p.setBrush(kPlugBody);
    QPainterPath body;
    body.moveTo(0.0, 3.5);
    body.lineTo(8.0, 3.5);
    body.lineTo(8.0, 7.0);
    body.quadTo(8.0, 9.5, 5.5, 9.8);
    body.lineTo(2.5, 9.8);
    body.quadTo(0.0, 9.5, 0.0, 7.0);
    body.closeSubpath();
    p.drawPath(body);
    QPen cord(kPlugBody, 1.6, Qt::SolidLine, Qt::RoundCap);
    p.setPen(cord);
    p.setBrush(Qt::NoBrush);
    QPainterPath wire;
    wire.moveTo(4.0, 9.8);
    wire.cubicTo(4.0, 12.5, 1.5, 12.0, 1.0, 14.0);
    p.drawPath(wire);
    p.restore();
}

void drawBolt(QPainter &p, const QColor &color)
{
    QPainterPath bolt;
    bolt.moveTo(12.5, 1.0);
    bolt.lineTo(8.0, 8.6);
    bolt.lineTo(11.0, 8.6);
    bolt.lineTo(9.0, 15.0);
    bolt.lineTo(14.6, 6.6);
    bolt.lineTo(11.5, 6.6);
    bolt.lineTo(13.8, 1.0);
    bolt.closeSubpath();
    p.setPen(QPen(color.darker(160), 0.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(color);
    p.drawPath(bolt);
}

void drawCross(QPainter &p)
{
    QPen pen(kRed, 3.0, Qt::SolidLine, Qt::RoundCap);
    p.setPen(pen);
    p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
    p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
}

// The application motif on a 32 grid: a dark tile with a strip-style battery gauge.
void drawAppMotif(QPainter &p, bool withTicks)
{
    QLinearGradient tile(0, 0, 0, 32);
    tile.setColorAt(0.0, QColor(58, 96, 160));
    tile.setColorAt(1.0, QColor(24, 44, 88));
    p.setPen(Qt::NoPen);
    p.setBrush(tile);
    p.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);

    // battery body
    p.setBrush(QColor(240, 244, 250));
    p.drawRoundedRect(QRectF(4, 10, 21, 12), 2.2, 2.2);
    p.drawRoundedRect(QRectF(25, 13, 3, 6), 1, 1);
    p.setBrush(QColor(24, 44, 88));
    p.drawRect(QRectF(6, 12, 17, 8));

    // gauge fill: green to yellow, about three quarters
    QLinearGradient level(6, 0, 23, 0);
    level.setColorAt(0.0, QColor(40, 190, 70));
    level.setColorAt(1.0, QColor(170, 220, 40));
    p.setBrush(level);
    p.drawRect(QRectF(7, 13, 11.5, 6));

    if (withTicks) {
        p.setPen(QPen(QColor(240, 244, 250, 190), 0.6));
        for (int i = 0; i < 5; ++i)
            p.drawLine(QPointF(7 + i * 3.8, 24.5), QPointF(7 + i * 3.8, 26.5));
        p.setPen(Qt::NoPen);
    }

    // small bolt over the battery's right end
    QPainterPath bolt;
    bolt.moveTo(22.5, 4.0);
    bolt.lineTo(17.5, 16.5);
    bolt.lineTo(21.0, 16.5);
    bolt.lineTo(18.5, 28.0);
    bolt.lineTo(26.5, 13.5);
    bolt.lineTo(22.8, 13.5);
    bolt.lineTo(25.5, 4.0);
    bolt.closeSubpath();
    p.setPen(QPen(QColor(24, 44, 88), 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(255, 214, 40));
    p.drawPath(bolt);
}

// Paints on demand at whatever size the tray, the task list or a window asks for.
class VectorIconEngine final : public QIconEngine {
public:
    using Painter = std::function<void(QPainter &, const QRectF &)>;
    explicit VectorIconEngine(Painter paint, QString themeName = {})
        : m_paint(std::move(paint))
        , m_themeName(std::move(themeName))
    {
    }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State) override
    {
        if (mode == QIcon::Disabled)
            painter->setOpacity(0.45);
        m_paint(*painter, QRectF(rect));
    }
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        QPixmap pm(size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        paint(&p, QRect(QPoint(0, 0), size), mode, state);
        return pm;
    }
    QSize actualSize(const QSize &size, QIcon::Mode, QIcon::State) override { return size; }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        return {QSize(16, 16), QSize(22, 22), QSize(24, 24),   QSize(32, 32),
                QSize(48, 48), QSize(64, 64), QSize(128, 128), QSize(256, 256)};
    }
    QIconEngine *clone() const override { return new VectorIconEngine(m_paint, m_themeName); }
    QString key() const override { return QStringLiteral("voltline-vector"); }
    // Trays that load icons by name (StatusNotifierItem) take the installed theme's copy.
    QString iconName() override { return m_themeName; }

private:
    Painter m_paint;
    QString m_themeName;
};

} // namespace

StateIcon stateIconFor(QChar displayState)
{
    switch (displayState.unicode()) {
    case 'A':
        return StateIcon::AC;
    case 'C':
        return StateIcon::Charging;
    case 'F':
        return StateIcon::Full;
    case 'H':
        return StateIcon::Half;
    case 'E':
        return StateIcon::Empty;
    case 'W':
        return StateIcon::EmptyWarn;
    default:
        return StateIcon::None;
    }
}

void paintStateIcon(QPainter &painter, const QRectF &rect, StateIcon icon)
{
    GridScope grid(painter, rect, 16.0);
    switch (icon) {
    case StateIcon::AC:
        drawPlug(painter, 3.0, 0.5, 1.1);
        break;
    case StateIcon::Charging:
        drawPlug(painter, 0.3, 1.2, 0.9);
        drawBolt(painter, kGreen);
        break;
    case StateIcon::Full:
        drawBattery(painter, 1.0, kBlue);
        break;
    case StateIcon::Half:
        drawBattery(painter, 0.5, kBlue);
        break;
    case StateIcon::Empty:
        drawBattery(painter, 0.15, kBlue);
        break;
    case StateIcon::EmptyWarn:
        drawBattery(painter, 0.15, kRed);
        break;
    case StateIcon::None:
        drawCross(painter);
        break;
    }
}

void paintAppIcon(QPainter &painter, const QRectF &rect)
{
    GridScope grid(painter, rect, 32.0);
    drawAppMotif(painter, false);
}

void paintLogo(QPainter &painter, const QRectF &rect)
{
    GridScope grid(painter, rect, 32.0);
    drawAppMotif(painter, true);
}

QIcon stateQIcon(StateIcon icon)
{
    return QIcon(
        new VectorIconEngine([icon](QPainter &p, const QRectF &r) { paintStateIcon(p, r, icon); }));
}

QIcon appQIcon()
{
    // The package installs this drawing as "voltline" in the hicolor theme.
    const QString name = QStringLiteral("voltline");
    return QIcon(new VectorIconEngine([](QPainter &p, const QRectF &r) { paintAppIcon(p, r); },
                                      QIcon::hasThemeIcon(name) ? name : QString()));
}
