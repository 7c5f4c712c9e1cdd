#include "Legibility.h"

#include "Hslutils.h"

#include <QPalette>
#include <QWidget>

#include <cmath>
#include <initializer_list>

namespace {

double linear(quint32 channel)
{
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

} // namespace

double relativeLuminance(TColor color)
{
    const TColor rgb = ColorToRGB(color);
    return 0.2126 * linear(rgb & 0xFF) + 0.7152 * linear((rgb >> 8) & 0xFF) +
           0.0722 * linear((rgb >> 16) & 0xFF);
}

double contrastRatio(TColor a, TColor b)
{
    const double la = relativeLuminance(a);
    const double lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

bool isDarkPalette(const QPalette &palette)
{
    return relativeLuminance(QColorToColor(palette.color(QPalette::Window))) <
           relativeLuminance(QColorToColor(palette.color(QPalette::WindowText)));
}

TColor legibleColor(TColor color, TColor background, double ratio)
{
    color = ColorToRGB(color);
    background = ColorToRGB(background);
    if (contrastRatio(color, background) >= ratio)
        return color;
    double h = 0;
    double s = 0;
    double l = 0;
    RGBtoHSL(color, h, s, l);
    // Away from the background first: a light mark on a dark face stays light.
    const bool lighterFirst = relativeLuminance(color) >= relativeLuminance(background);
    for (const bool lighter : {lighterFirst, !lighterFirst}) {
        double far = lighter ? 1.0 : 0.0; // white or black: legible if anything is
        if (contrastRatio(HSLtoRGB(h, s, far), background) < ratio)
            continue;
        // Every channel grows with the lightness, and so does the luminance: halve the way.
        double near = l;
        for (int i = 0; i < 24; ++i) {
            const double middle = (near + far) / 2;
            if (contrastRatio(HSLtoRGB(h, s, middle), background) >= ratio)
                far = middle;
            else
                near = middle;
        }
        return HSLtoRGB(h, s, far);
    }
    return contrastRatio(clBlack, background) >= contrastRatio(clWhite, background) ? clBlack
                                                                                    : clWhite;
}

QColor legibleOn(const QWidget *control, const QColor &color, TColor background, double ratio)
{
    if (!isDarkPalette(control->palette()))
        return color;
    return ColorToQColor(legibleColor(QColorToColor(color), background, ratio));
}

TColor legibleOn(const QWidget *control, TColor color, TColor background, double ratio)
{
    if (!isDarkPalette(control->palette()))
        return color;
    return legibleColor(color, background, ratio);
}
