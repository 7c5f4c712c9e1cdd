#pragma once

#include "TColor.h"

// Size of the integer HSL scale: hue 0..HSLRange-1, saturation and lightness 0..HSLRange.
inline int HSLRange = 240;

void RGBtoHSL(TColor rgb, double &H, double &S, double &L);
TColor HSLtoRGB(double H, double S, double L);
void RGBtoHSLRange(TColor rgb, int &H, int &S, int &L);
TColor HSLRangeToRGB(int H, int S, int L);
