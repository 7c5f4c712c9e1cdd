#include "Hslutils.h"

#include <algorithm>
#include <cmath>

namespace {

// Rounds half to even and keeps the low 8 bits, as a colour channel built from a real does.
TColor channelByte(double value)
{
    double rounded = std::nearbyint(value);
    if (!std::isfinite(rounded))
        rounded = 0;
    rounded = std::fmod(rounded, 256.0);
    const auto whole = static_cast<long long>(rounded);
    return TColor(whole & 0xFF);
}

int nearestInt(double value)
{
    const double rounded = std::nearbyint(value);
    if (!std::isfinite(rounded))
        return 0;
    return static_cast<int>(std::clamp(rounded, -2147483648.0, 2147483647.0));
}

double hueChannel(double m1, double m2, double h)
{
    if (h < 0)
        h += 1;
    else if (h > 1)
        h -= 1;
    if (6 * h < 1)
        return m1 + (m2 - m1) * h * 6;
    if (2 * h < 1)
        return m2;
    if (3 * h < 2)
        return m1 + (m2 - m1) * (2.0 / 3.0 - h) * 6;
    return m1;
}

} // namespace

void RGBtoHSL(TColor rgb, double &H, double &S, double &L)
{
    const double R = double(rgb & 0xFF) / 255;
    const double G = double((rgb >> 8) & 0xFF) / 255;
    const double B = double((rgb >> 16) & 0xFF) / 255;
    const double max = std::max({R, G, B});
    const double min = std::min({R, G, B});
    L = (max + min) / 2;
    if (max == min) {
        H = 0;
        S = 0;
        return;
    }
    const double d = max - min;
    S = L < 0.5 ? d / (max + min) : d / (2 - max - min);
    if (R == max)
        H = (G - B) / d;
    else if (G == max)
        H = 2 + (B - R) / d;
    else
        H = 4 + (R - G) / d;
    H /= 6;
    if (H < 0)
        H += 1;
}

TColor HSLtoRGB(double H, double S, double L)
{
    if (S == 0) {
        const TColor grey = channelByte(L * 255);
        return grey | (grey << 8) | (grey << 16);
    }
    const double m2 = L <= 0.5 ? L * (1 + S) : L + S - L * S;
    const double m1 = 2 * L - m2;
    const TColor r = channelByte(hueChannel(m1, m2, H + 1.0 / 3.0) * 255);
    const TColor g = channelByte(hueChannel(m1, m2, H) * 255);
    const TColor b = channelByte(hueChannel(m1, m2, H - 1.0 / 3.0) * 255);
    return r | (g << 8) | (b << 16);
}

void RGBtoHSLRange(TColor rgb, int &H, int &S, int &L)
{
    double h = 0;
    double s = 0;
    double l = 0;
    RGBtoHSL(rgb, h, s, l);
    H = nearestInt(h * (HSLRange - 1));
    S = nearestInt(s * HSLRange);
    L = nearestInt(l * HSLRange);
}

TColor HSLRangeToRGB(int H, int S, int L)
{
    return HSLtoRGB(double(H) / (HSLRange - 1), double(S) / HSLRange, double(L) / HSLRange);
}
