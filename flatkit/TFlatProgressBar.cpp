#include "TFlatProgressBar.h"

#include "KitAccessible.h"
#include "Legibility.h"

#include <QEvent>
#include <QPainter>

#include <algorithm>
#include <climits>
#include <cmath>

TFlatProgressBar::TFlatProgressBar(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(147, 16);
    FColor = ParentColorOf(this);
}

void TFlatProgressBar::invalidate()
{
    m_fullPaintPending = true;
    update();
}

void TFlatProgressBar::SetMin(int value)
{
    if (FMin == value)
        return;
    FMin = value;
    invalidate();
}

void TFlatProgressBar::SetMax(int value)
{
    if (FMax == value)
        return;
    FMax = value;
    invalidate();
}

void TFlatProgressBar::SetPosition(int value)
{
    if (FPosition == value)
        return;
    FPosition = value;
    KitAccessible::notifyValueChanged(this, FPosition);
    invalidate();
}

void TFlatProgressBar::SetStep(int value)
{
    if (FStep == value)
        return;
    FStep = value;
    invalidate();
}

void TFlatProgressBar::SetSmooth(bool value)
{
    if (FSmooth == value)
        return;
    FSmooth = value;
    invalidate();
}

void TFlatProgressBar::SetTransparent(bool value)
{
    // Invalidates also when unchanged, unlike the value setters: a caller may use it to have
    // the parent's new drawing show through.
    FTransparent = value;
    // Opaque, Qt skips painting what lies behind; transparent, the parent shows through.
    setAttribute(Qt::WA_OpaquePaintEvent, !FTransparent);
    invalidate();
}

void TFlatProgressBar::SetOrientation(TProgressBarOrientation value)
{
    if (FOrientation == value)
        return;
    FOrientation = value;
    setGeometry(x(), y(), height(), width());
    invalidate();
}

void TFlatProgressBar::SetColors(int index, TColor value)
{
    // Always invalidates, for an unknown index too; the strip, which sets the gauge colour
    // every second, skips the call when the colour is the same.
    if (index == 0)
        FColorElement = value;
    else if (index == 1)
        FColorBorder = value;
    invalidate();
}

void TFlatProgressBar::SetAdvColors(int index, TAdvColors value)
{
    // Derives the border again even for the same amount: a border set by SetColors since then
    // is replaced by the shade of Color.
    storeAdvColor(m_advColorSlots, index, value);
    CalcAdvColors();
    invalidate();
}

void TFlatProgressBar::SetUseAdvColors(bool value)
{
    if (FUseAdvColors == value)
        return;
    FUseAdvColors = value;
    SetParentColor(value);
    CalcAdvColors();
    invalidate();
}

void TFlatProgressBar::SetColor(TColor value)
{
    FParentColor = false;
    if (FColor == value)
        return;
    FColor = value;
    invalidate();
}

void TFlatProgressBar::SetParentColor(bool value)
{
    if (FParentColor == value)
        return;
    FParentColor = value;
    if (FParentColor)
        CMParentColorChanged();
}

void TFlatProgressBar::CalcAdvColors()
{
    if (FUseAdvColors)
        calcAdvColors(m_advColorSlots, FColor);
}

void TFlatProgressBar::CMSysColorChange()
{
    if (FUseAdvColors) {
        FParentColor = true;
        FColor = ParentColorOf(this);
        CalcAdvColors();
    }
    invalidate();
}

void TFlatProgressBar::CMParentColorChanged()
{
    if (FParentColor)
        FColor = ParentColorOf(this);
    CMSysColorChange();
}

void TFlatProgressBar::StepIt()
{
    StepBy(FStep);
}

void TFlatProgressBar::StepBy(int delta)
{
    // In 64 bits: no value is clamped, so the sum may leave the int range.
    const qint64 sum = qint64(FPosition) + delta;
    stepTo(int(std::clamp<qint64>(std::min<qint64>(sum, FMax), INT_MIN, INT_MAX)));
}

void TFlatProgressBar::stepTo(int value)
{
    const bool changed = FPosition != value;
    FPosition = value;
    if (changed)
        KitAccessible::notifyValueChanged(this, FPosition);
    // Only an opaque, shown bar keeps its old pixels for the elements to be drawn on; otherwise
    // (or with a full paint due anyway) the next paint draws everything.
    if (m_fullPaintPending || FTransparent || !isVisible()) {
        invalidate();
        return;
    }
    m_elementsOnly = true;
    repaint();
    m_elementsOnly = false;
}

void TFlatProgressBar::CheckBounds()
{
    const int step = FElementWidth + 1;
    auto adjusted = [step](int length) {
        return length < 12 ? 12 : (length - 3) / step * step + 3;
    };
    if (FOrientation == pbHorizontal) {
        const int w = adjusted(width());
        if (w != width())
            resize(w, height());
    } else {
        const int h = adjusted(height());
        if (h != height())
            resize(width(), h);
    }
}

void TFlatProgressBar::resizeEvent(QResizeEvent *event)
{
    // The length snaps to whole blocks at the next paint, not here: a bar sized before it is
    // made smooth keeps the size it was given.
    QWidget::resizeEvent(event);
    m_fullPaintPending = true;
}

void TFlatProgressBar::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        CMParentColorChanged();
}

bool TFlatProgressBar::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::ApplicationPaletteChange:
        CMSysColorChange();
        break;
    case QEvent::ParentChange:
        if (FParentColor)
            FColor = ParentColorOf(this);
        break;
    case QEvent::Show:
        m_fullPaintPending = true; // nothing of ours is on screen yet to draw on top of
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

void TFlatProgressBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (m_elementsOnly)
        DrawElements(painter);
    else
        Paint(painter);
}

void TFlatProgressBar::Paint(QPainter &painter)
{
    if (!FSmooth)
        CheckBounds();
    const QRect client = rect();
    if (!FTransparent)
        FillRect(painter, client, FColor);
    FrameRect(painter, client, legibleOn(this, FColorBorder, FColor, kMarkContrast));
    DrawElements(painter);
    m_fullPaintPending = false;
}

namespace {

// Fill extents in 64 bits: Position is not clamped and may be anything.
int scaled(int length, int position)
{
    const qint64 v = qint64(length) * position / 100;
    return int(std::clamp<qint64>(v, -1000000, 1000000));
}

} // namespace

void TFlatProgressBar::DrawElements(QPainter &painter)
{
    const int W = width();
    const int H = height();
    const int P = FPosition;
    const int E = FElementWidth;
    const TColor element = legibleOn(this, FColorElement, FColor, kMarkContrast);
    if (FSmooth) {
        if (FOrientation == pbHorizontal) {
            if (P > 0)
                FillRect(painter, KitRect(2, 2, 2 + scaled(W - 2, P), H - 2), element);
        } else {
            FillRect(painter, KitRect(2, H - 2 - scaled(H - 4, P), W - 2, H - 2), element);
        }
        return;
    }

    const int length = FOrientation == pbHorizontal ? W : H;
    const int n = (length - 3) / (E + 1);
    if (n <= 0)
        return;
    const int unit = 100 / n;
    // With more than 100 blocks a block is worth less than one percent: scale exactly instead.
    const double blocks = unit > 0 ? double(P) / unit : double(P) * n / 100.0;
    const double rounded = std::nearbyint(std::clamp(blocks, -1.0, double(n)));
    const int count = std::min(int(rounded), n);
    if (count <= 0)
        return;
    const QColor color = ColorToQColor(element);
    for (int i = 0; i < count; ++i) {
        const int offset = i * (E + 1);
        const QRect block = FOrientation == pbHorizontal
                                ? KitRect(2 + offset, 2, 2 + offset + E, H - 2)
                                : KitRect(2, H - 2 - E - offset, W - 2, H - 2 - offset);
        if (!block.isEmpty())
            painter.fillRect(block, color);
    }
}
