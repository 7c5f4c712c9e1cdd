#pragma once

#include "TColor.h"

#include <QColor>

class QPalette;
class QWidget;

// Dark themes. The kit's fixed colours were chosen for light palettes: the light faces of hot
// and pressed controls, the black marks, the gauge colours, the hint's white box. Under a dark
// palette what the kit draws in or on such a colour is moved to the nearest shade that stays
// legible; under a light palette nothing changes, pixel for pixel.
inline constexpr double kCaptionContrast = 4.5; // text
inline constexpr double kMarkContrast = 3.0;    // ticks, dots, gauge fills, borders

// Relative luminance, 0 (black) to 1 (white), and the contrast ratio of two colours, 1 to 21,
// as the Web Content Accessibility Guidelines define them. System colours are resolved.
double relativeLuminance(TColor color);
double contrastRatio(TColor a, TColor b);

// A dark palette: its window colour is darker than its text.
bool isDarkPalette(const QPalette &palette);

// color when it reaches ratio against background; otherwise the shade of it (same hue and
// saturation) nearest in lightness that does, lighter or darker; black or white when no shade
// does.
TColor legibleColor(TColor color, TColor background, double ratio);

// What control draws color with on background: legibleColor under a dark palette, color
// itself (unresolved, for a system colour) otherwise.
TColor legibleOn(const QWidget *control, TColor color, TColor background, double ratio);
QColor legibleOn(const QWidget *control, const QColor &color, TColor background, double ratio);
