#pragma once

#include "StateIcons.h"

#include <QImage>
#include <QRect>
#include <QRgb>

class QColor;
class QPainter;

// The strip draws its state icon every second at the same place; the vector drawing costs
// more than the rest of the second together. This keeps the last drawing and copies it.
class StateIconCache {
public:
    // Draws icon into rect as paintStateIcon() would. Where everything the drawing touches is
    // still plain background of that colour on a 32-bit raster image at device scale, the
    // pixels of an earlier drawing are copied (and true returned); anywhere else the icon is
    // drawn afresh.
    bool paint(QPainter &painter, const QRect &rect, StateIcon icon, const QColor &background);

private:
    bool prepare(const QRect &rect, StateIcon icon, const QColor &background,
                 QImage::Format format);

    QImage m_image;  // the drawing over its background, as large as what it touches
    QRect m_touched; // where m_image goes
    QRect m_rect;
    StateIcon m_icon = StateIcon::None;
    QRgb m_background = 0;
    quint32 m_plainPixel = 0; // the background as stored in the image format
};
