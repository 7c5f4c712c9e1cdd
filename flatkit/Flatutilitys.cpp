#include "Flatutilitys.h"

#include "Hslutils.h"

#include <QPainter>
#include <QVarLengthArray>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace {

struct Line {
    int start = 0;
    int length = 0;
    int width = 0;
};
using Lines = QVarLengthArray<Line, 8>;

// Removes the '&' prefixes: "&&" shows one ampersand, "&x" underlines x, a lone trailing '&'
// is dropped. accel receives the index of the underlined character in the result, or -1.
QString stripPrefixes(const QString &text, int &accel)
{
    accel = -1;
    QString shown;
    shown.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != u'&') {
            shown.append(c);
            continue;
        }
        if (i + 1 >= text.size())
            break;
        ++i;
        if (text.at(i) != u'&' && accel < 0)
            accel = int(shown.size());
        shown.append(text.at(i));
    }
    return shown;
}

int advance(const QFontMetrics &fm, const QString &text, int start, int length)
{
    return length <= 0 ? 0 : fm.horizontalAdvance(text.mid(start, length));
}

// Breaks one paragraph [begin, end) at spaces so that each line fits width; a word wider than
// width stays whole on a line of its own. The spaces at a break belong to no line.
void wrapParagraph(const QFontMetrics &fm, const QString &text, int begin, int end, int width,
                   Lines &lines)
{
    int pos = begin;
    for (;;) {
        const int lineStart = pos;
        int lineEnd = pos;
        int lineWidth = 0;
        int i = pos;
        bool first = true;
        for (;;) {
            int wordStart = i;
            while (wordStart < end && text.at(wordStart) == u' ')
                ++wordStart;
            if (wordStart >= end)
                break;
            int wordEnd = wordStart;
            while (wordEnd < end && text.at(wordEnd) != u' ')
                ++wordEnd;
            const int candidate = advance(fm, text, lineStart, wordEnd - lineStart);
            if (!first && candidate > width)
                break;
            lineEnd = wordEnd;
            lineWidth = candidate;
            i = wordEnd;
            first = false;
        }
        lines.append({lineStart, lineEnd - lineStart, lineWidth});
        pos = lineEnd;
        while (pos < end && text.at(pos) == u' ')
            ++pos;
        if (pos >= end)
            return;
    }
}

void splitLines(const QFontMetrics &fm, QString &text, const QRect &rect, uint flags, Lines &lines)
{
    if (flags & DT_SINGLELINE) {
        // Line breaks do not break a single line.
        text.remove(u'\r');
        text.replace(u'\n', u' ');
        lines.append({0, int(text.size()), advance(fm, text, 0, int(text.size()))});
        return;
    }
    int begin = 0;
    const int size = int(text.size());
    while (begin <= size) {
        int end = begin;
        while (end < size && text.at(end) != u'\n')
            ++end;
        int paraEnd = end;
        if (paraEnd > begin && text.at(paraEnd - 1) == u'\r')
            --paraEnd;
        if (flags & DT_WORDBREAK)
            wrapParagraph(fm, text, begin, paraEnd, rect.width(), lines);
        else
            lines.append({begin, paraEnd - begin, advance(fm, text, begin, paraEnd - begin)});
        if (end >= size)
            break;
        begin = end + 1;
    }
}

} // namespace

QRect KitDrawText(QPainter *painter, const QFont &font, const QString &text, const QRect &rect,
                  uint flags)
{
    const QFontMetrics fm =
        painter && painter->device() ? QFontMetrics(font, painter->device()) : QFontMetrics(font);
    int accel = -1;
    QString shown = (flags & DT_NOPREFIX) ? text : stripPrefixes(text, accel);
    Lines lines;
    splitLines(fm, shown, rect, flags, lines);

    const int lineHeight = fm.height();
    int maxWidth = 0;
    for (const Line &line : lines)
        maxWidth = std::max(maxWidth, line.width);
    const int textHeight = int(lines.size()) * lineHeight;

    if ((flags & DT_CALCRECT) || !painter)
        return KitRect(rect.left(), rect.top(), rect.left() + maxWidth, rect.top() + textHeight);

    int y = rect.top();
    if ((flags & DT_SINGLELINE) && (flags & DT_VCENTER))
        y += (rect.height() - lineHeight) / 2;

    painter->save();
    painter->setFont(font);
    painter->setClipRect(rect, Qt::IntersectClip);
    const QColor textColor = painter->pen().color();
    QRect bounds;
    for (const Line &line : lines) {
        int x = rect.left();
        if (flags & DT_CENTER)
            x += (rect.width() - line.width) / 2;
        else if (flags & DT_RIGHT)
            x = rect.left() + rect.width() - line.width;
        painter->drawText(QPoint(x, y + fm.ascent()), shown.mid(line.start, line.length));
        if (accel >= line.start && accel < line.start + line.length) {
            const int ux = x + advance(fm, shown, line.start, accel - line.start);
            const int uw = fm.horizontalAdvance(shown.at(accel));
            const int uy = y + fm.ascent() + std::max(0, fm.underlinePos());
            painter->fillRect(QRect(ux, uy, uw, std::max(1, fm.lineWidth())), textColor);
        }
        bounds |= QRect(x, y, line.width, lineHeight);
        y += lineHeight;
    }
    painter->restore();
    return bounds;
}

QChar AcceleratorChar(const QString &caption)
{
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption.at(i) != u'&')
            continue;
        if (caption.at(i + 1) != u'&')
            return caption.at(i + 1);
        ++i;
    }
    return QChar();
}

QString shownCaption(const QString &caption)
{
    int accel = -1;
    return stripPrefixes(caption, accel);
}

bool IsAccelerator(QChar typed, const QString &caption)
{
    const QChar accel = AcceleratorChar(caption);
    return !accel.isNull() && !typed.isNull() && accel.toCaseFolded() == typed.toCaseFolded();
}

void FillRect(QPainter &painter, const QRect &rect, TColor color)
{
    if (rect.isEmpty())
        return;
    painter.fillRect(rect, ColorToQColor(color));
}

void FrameRect(QPainter &painter, const QRect &rect, TColor color)
{
    if (rect.isEmpty())
        return;
    const QColor c = ColorToQColor(color);
    const int l = rect.left();
    const int t = rect.top();
    const int r = rect.right() + 1;
    const int b = rect.bottom() + 1;
    painter.fillRect(KitRect(l, t, r, t + 1), c);
    painter.fillRect(KitRect(l, b - 1, r, b), c);
    painter.fillRect(KitRect(l, t, l + 1, b), c);
    painter.fillRect(KitRect(r - 1, t, r, b), c);
}

void Frame3D(QPainter &painter, QRect &rect, TColor a, TColor b, int width)
{
    const QColor topLeft = ColorToQColor(a);
    const QColor bottomRight = ColorToQColor(b);
    for (int ring = 0; ring < width; ++ring) {
        const int l = rect.left();
        const int t = rect.top();
        const int r = rect.right() + 1;
        const int bt = rect.bottom() + 1;
        if (r > l && bt > t) {
            // The classic bevel polylines stop one pixel short of their end points, so the
            // bottom-right colour owns both far corners.
            if (r - 1 > l)
                painter.fillRect(KitRect(l, t, r - 1, t + 1), topLeft);
            if (bt - 1 > t)
                painter.fillRect(KitRect(l, t, l + 1, bt - 1), topLeft);
            painter.fillRect(KitRect(r - 1, t, r, bt), bottomRight);
            painter.fillRect(KitRect(l, bt - 1, r, bt), bottomRight);
        }
        rect.adjust(1, 1, -1, -1);
    }
}

TColor CalcAdvancedColor(TColor base, TColor old, TAdvColors amount, TColorCalcType type)
{
    if (amount == 0)
        return old;
    int H = 0;
    int S = 0;
    int L = 0;
    RGBtoHSLRange(ColorToRGB(base), H, S, L);
    L += 10;
    // The lightening ceiling is 100 on the 0..240 scale, so a light base gets darker; kept as
    // the kit's colours have always looked.
    if (type == lighten)
        L = L + amount > 100 ? 100 : L + amount;
    else
        L = L - amount < 0 ? 0 : L - amount;
    return HSLRangeToRGB(H, S, L);
}

void DrawParentImage(QWidget *control, QPainter &painter)
{
    QWidget *parent = control ? control->parentWidget() : nullptr;
    if (!parent)
        return;
    const QRect source = control->geometry().intersected(parent->rect());
    if (source.isEmpty())
        return;
    // Rendered into an image first, so the parent's painting cannot disturb the state of the
    // painter in use (a control's own paint, often in the middle of a window's paint pass).
    const qreal ratio = control->devicePixelRatioF();
    QImage image(source.size() * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    parent->render(&image, QPoint(), QRegion(source), QWidget::DrawWindowBackground);
    painter.drawImage(source.topLeft() - control->pos(), image);
}

QImage CreateDisabledBitmap(const QImage &source, TColor outline, TColor back, TColor highlight,
                            TColor shadow, bool drawHighlight)
{
    const int w = source.width();
    const int h = source.height();
    if (w <= 0 || h <= 0)
        return QImage();
    QImage result(w, h, QImage::Format_RGB32);
    if (result.isNull())
        return result;
    result.fill(ColorToQColor(back));

    const TColor outlineRgb = ColorToRGB(outline);
    const bool mono = source.depth() == 1;
    // A one-bit glyph is first made colour (black to white, white to the outline colour) and
    // then masked on white, so the mask is its black pixels, or every pixel for white outline.
    auto inMask = [&](int x, int y) {
        const QRgb p = source.pixel(x, y);
        if (mono)
            return outlineRgb == 0x00FFFFFF || (p & 0x00FFFFFF) == 0;
        return qAlpha(p) != 0 && QColorToColor(QColor::fromRgb(p)) == outlineRgb;
    };

    auto paint = [&](int dx, int dy, TColor color) {
        const QRgb c = ColorToQColor(color).rgb();
        for (int y = 0; y < h; ++y) {
            const int ty = y + dy;
            if (ty >= h)
                break;
            auto *row = reinterpret_cast<QRgb *>(result.scanLine(ty));
            for (int x = 0; x + dx < w; ++x) {
                if (inMask(x, y))
                    row[x + dx] = c;
            }
        }
    };
    if (drawHighlight)
        paint(1, 1, highlight);
    paint(0, 0, shadow);
    return result;
}

void CalcButtonLayout(const QFont &font, const QRect &client, const QPoint &offset,
                      TButtonLayout layout, int spacing, int margin, const QImage &glyph,
                      int numGlyphs, const QString &caption, QRect &textBounds, QPoint &glyphPos)
{
    const int CW = client.width();
    const int CH = client.height();
    int GW = 0;
    int GH = 0;
    if (!glyph.isNull()) {
        GW = glyph.width() / std::max(1, numGlyphs);
        GH = glyph.height();
    }
    int TW = 0;
    int TH = 0;
    if (!caption.isEmpty()) {
        textBounds =
            KitDrawText(nullptr, font, caption, KitRect(0, 0, CW, 0), DT_CALCRECT | DT_SINGLELINE);
        TW = textBounds.width();
        TH = textBounds.height();
    } else {
        textBounds = KitRect(0, 0, 0, 0);
    }

    QPoint glyphAt;
    QPoint textAt;
    const bool horizontal = layout == blGlyphLeft || layout == blGlyphRight;
    if (horizontal) {
        glyphAt.setY((CH - GH + 1) / 2);
        textAt.setY((CH - TH + 1) / 2);
    } else {
        glyphAt.setX((CW - GW + 1) / 2);
        textAt.setX((CW - TW + 1) / 2);
    }
    if (TW == 0 || GW == 0)
        spacing = 0;

    const int clientLen = horizontal ? CW : CH;
    const int glyphLen = horizontal ? GW : GH;
    const int textLen = horizontal ? TW : TH;
    if (margin == -1 && spacing == -1) {
        margin = (clientLen - (glyphLen + textLen)) / 3;
        spacing = margin;
    } else if (margin == -1) {
        margin = (clientLen - (glyphLen + spacing + textLen) + 1) / 2;
    } else if (spacing == -1) {
        spacing = (clientLen - (margin + glyphLen) - textLen) / 2;
    }

    switch (layout) {
    case blGlyphLeft:
        glyphAt.setX(margin);
        textAt.setX(glyphAt.x() + GW + spacing);
        break;
    case blGlyphRight:
        glyphAt.setX(CW - margin - GW);
        textAt.setX(glyphAt.x() - spacing - TW);
        break;
    case blGlyphTop:
        glyphAt.setY(margin);
        textAt.setY(glyphAt.y() + GH + spacing);
        break;
    case blGlyphBottom:
        glyphAt.setY(CH - margin - GH);
        textAt.setY(glyphAt.y() - spacing - TH);
        break;
    }

    glyphPos = client.topLeft() + offset + glyphAt;
    textBounds.translate(client.topLeft() + textAt + offset);
}

quint16 Min(quint16 a, quint16 b)
{
    return b < a ? b : a;
}

QFontMetrics GetFontMetrics(const QFont &font)
{
    return QFontMetrics(font);
}

int GetFontHeight(const QFont &font)
{
    const int h = GetFontMetrics(font).height();
    return int(std::nearbyint(h + h / 8.0));
}

bool RectInRect(const QRect &a, const QRect &b)
{
    // QRect::intersects normalises an inverted rectangle and lets a zero-width one through;
    // the classic intersection of the edges, right and bottom exclusive, does neither.
    const int left = std::max(a.left(), b.left());
    const int top = std::max(a.top(), b.top());
    const int right = std::min(a.right() + 1, b.right() + 1);
    const int bottom = std::min(a.bottom() + 1, b.bottom() + 1);
    return left < right && top < bottom;
}

TColor ParentColorOf(const QWidget *control)
{
    const QWidget *parent = control ? control->parentWidget() : nullptr;
    if (!parent)
        return clBtnFace;
    const QVariant published = parent->property(kKitColorProperty);
    if (published.isValid())
        return TColor(published.toUInt());
    // A form keeps the system face colour (so it follows palette changes) unless its palette
    // was set explicitly.
    if (!parent->testAttribute(Qt::WA_SetPalette))
        return clBtnFace;
    return QColorToColor(parent->palette().color(parent->backgroundRole()));
}

void PublishKitColor(QWidget *control, TColor color)
{
    if (control)
        control->setProperty(kKitColorProperty, QVariant::fromValue<uint>(color));
}
