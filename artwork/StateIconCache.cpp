#include "StateIconCache.h"

#include <QColor>
#include <QPaintEngine>
#include <QPainter>

namespace {

// Antialiased edges and strokes reach a little past the icon's square.
constexpr int kReach = 2;

QImage drawnOver(const QRect &area, const QRect &rect, StateIcon icon, const QColor &background,
                 QImage::Format format)
{
    // Drawn at its place on the window, so every coordinate and every blend is the one a
    // direct drawing makes.
    QImage canvas(area.right() + 1, area.bottom() + 1, format);
    QPainter p(&canvas);
    p.fillRect(area, background);
    paintStateIcon(p, QRectF(rect), icon);
    return canvas;
}

} // namespace

bool StateIconCache::prepare(const QRect &rect, StateIcon icon, const QColor &background,
                             QImage::Format format)
{
    if (!m_image.isNull() && m_image.format() == format && m_rect == rect && m_icon == icon &&
        m_background == background.rgba())
        return true;
    m_image = QImage();
    const QRect area = rect.adjusted(-kReach, -kReach, kReach, kReach) &
                       QRect(0, 0, rect.right() + 1 + kReach, rect.bottom() + 1 + kReach);
    const QImage drawn = drawnOver(area, rect, icon, background, format);
    // A second drawing over another colour tells which pixels the icon touches at all.
    const QColor other =
        QColor(background.red() ^ 0xff, background.green() ^ 0xff, background.blue() ^ 0xff);
    const QImage probe = drawnOver(area, rect, icon, other, format);
    const quint32 plain =
        reinterpret_cast<const quint32 *>(drawn.constScanLine(area.top()))[area.left()];
    const quint32 otherPlain =
        reinterpret_cast<const quint32 *>(probe.constScanLine(area.top()))[area.left()];
    QRect touched;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const auto *a = reinterpret_cast<const quint32 *>(drawn.constScanLine(y));
        const auto *b = reinterpret_cast<const quint32 *>(probe.constScanLine(y));
        for (int x = area.left(); x <= area.right(); ++x) {
            if (a[x] != plain || b[x] != otherPlain)
                touched |= QRect(x, y, 1, 1);
        }
    }
    // Past the window's own edge nothing is drawn; anywhere else the drawing must end
    // before the edge of what we looked at.
    const QRect inner = area.adjusted(area.left() > 0, area.top() > 0, -1, -1);
    if (touched.isEmpty() || !inner.contains(touched))
        return false;
    m_image = drawn.copy(touched);
    m_touched = touched;
    m_rect = rect;
    m_icon = icon;
    m_background = background.rgba();
    m_plainPixel = plain;
    return true;
}

bool StateIconCache::paint(QPainter &painter, const QRect &rect, StateIcon icon,
                           const QColor &background)
{
    // A widget's painter paints on its backing store: the engine knows that image.
    const QPaintDevice *device =
        painter.paintEngine() ? painter.paintEngine()->paintDevice() : nullptr;
    const auto *target = device && device->devType() == QInternal::Image
                             ? static_cast<const QImage *>(device)
                             : nullptr;
    bool copy = target && target->depth() == 32 && target->devicePixelRatio() == 1 &&
                painter.deviceTransform().type() == QTransform::TxNone && !rect.isEmpty() &&
                prepare(rect, icon, background, target->format()) &&
                target->rect().contains(m_touched);
    // Labels or the bevel under the drawing would show through it: only plain ground will do.
    for (int y = m_touched.top(); copy && y <= m_touched.bottom(); ++y) {
        const auto *row = reinterpret_cast<const quint32 *>(target->constScanLine(y));
        for (int x = m_touched.left(); copy && x <= m_touched.right(); ++x)
            copy = row[x] == m_plainPixel;
    }
    if (!copy) {
        paintStateIcon(painter, QRectF(rect), icon);
        return false;
    }
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(m_touched.topLeft(), m_image);
    painter.restore();
    return true;
}
