#pragma once

#include "TColor.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>

class QPainter;
class QWidget;

enum TColorCalcType : quint8 { lighten, darken };
enum TCheckBoxLayout : quint8 { checkboxLeft, checkboxRight };
enum TRadioButtonLayout : quint8 { radioLeft, radioRight };
enum TArrowPos : quint8 { NE, NW, SE, SW };
enum TGroupBoxBorder : quint8 { brFull, brOnlyTopLine };
enum TTransparentMode : quint8 { tmAlways, tmNotFocused, tmNone };
enum TScrollType : quint8 { up, down };
enum TFlatTabPosition : quint8 { tpTop, tpBottom };
enum TButtonLayout : quint8 { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum TProgressBarOrientation : quint8 { pbHorizontal, pbVertical };

using TNumGlyphs = quint8; // 1..4
using TAdvColors = quint8; // 0..100

// Rectangles in the kit's drawing code are (left, top, right, bottom) with right and bottom
// exclusive; this builds the matching QRect.
constexpr QRect KitRect(int left, int top, int right, int bottom)
{
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

// Text drawing flags with the meaning of the classic DrawText call.
enum : uint {
    DT_LEFT = 0x0000,
    DT_CENTER = 0x0001,
    DT_RIGHT = 0x0002,
    DT_VCENTER = 0x0004,
    DT_WORDBREAK = 0x0010,
    DT_SINGLELINE = 0x0020,
    DT_CALCRECT = 0x0400,
    DT_NOPREFIX = 0x0800,
};

// Draws (or with DT_CALCRECT only measures) text in rect with the given flags and font. Without
// DT_NOPREFIX a single '&' marks the next character as the accelerator (underlined) and "&&"
// shows one ampersand. Returns the text's bounds (for DT_CALCRECT: the measured rectangle,
// anchored at rect's top-left). painter may be null when measuring.
QRect KitDrawText(QPainter *painter, const QFont &font, const QString &text, const QRect &rect,
                  uint flags);

// The accelerator character of a caption (the one after a single '&'), or a null QChar.
QChar AcceleratorChar(const QString &caption);
// The caption as it reads: without its '&' prefixes ("&&" is one ampersand).
QString shownCaption(const QString &caption);
bool IsAccelerator(QChar typed, const QString &caption); // case-insensitive

// Fills rect with color / frames it one pixel wide with color (kit rectangle semantics of
// QRect: the QRect's own edges).
void FillRect(QPainter &painter, const QRect &rect, TColor color);
void FrameRect(QPainter &painter, const QRect &rect, TColor color);
// The toolkit's bevel: n rings, top-left colour a, bottom-right colour b; rect shrinks by one
// on every side after each ring.
void Frame3D(QPainter &painter, QRect &rect, TColor a, TColor b, int width);

TColor CalcAdvancedColor(TColor base, TColor old, TAdvColors amount, TColorCalcType type);

// Paints the parent's background and own drawing behind control onto painter (whose origin is
// the control's top-left). The parent is rendered without its children, so a transparent
// control never paints itself (or its siblings) recursively.
void DrawParentImage(QWidget *control, QPainter &painter);

// The embossed disabled-look copy of a glyph: the outline-coloured pixels of source, in
// highlight (offset 1,1, when drawHighlight) and shadow on back. For a one-bit source the black
// pixels are taken instead (all of them when outline is white). Fully transparent pixels never
// count. The result is an RGB32 image of the source's size (null for an empty source).
QImage CreateDisabledBitmap(const QImage &source, TColor outline, TColor back, TColor highlight,
                            TColor shadow, bool drawHighlight);

// Places a glyph (null image = none) and a single-line caption inside client.
void CalcButtonLayout(const QFont &font, const QRect &client, const QPoint &offset,
                      TButtonLayout layout, int spacing, int margin, const QImage &glyph,
                      int numGlyphs, const QString &caption, QRect &textBounds, QPoint &glyphPos);

quint16 Min(quint16 a, quint16 b); // the first when equal
QFontMetrics GetFontMetrics(const QFont &font);
int GetFontHeight(const QFont &font);
// True when the two rectangles overlap in at least one pixel; sharing only an edge is no
// overlap, and an empty or inverted rectangle overlaps nothing.
bool RectInRect(const QRect &a, const QRect &b);

// Colour inheritance between kit controls. A kit control that has a Color publishes it to its
// children under this dynamic property (as uint); a plain Qt parent (a form) has the button face
// colour unless its palette was set explicitly. Kit controls map QEvent::PaletteChange to
// CMParentColorChanged and QEvent::ApplicationPaletteChange to CMSysColorChange.
inline constexpr char kKitColorProperty[] = "kitColor";
TColor ParentColorOf(const QWidget *control); // the colour control takes while ParentColor is set
void PublishKitColor(QWidget *control, TColor color);
