#pragma once

#include <QColor>
#include <QtGlobal>

// A kit colour: 0x00BBGGRR for an explicit colour, or 0x80000000 + a system colour index,
// resolved from the application palette when drawn.
using TColor = quint32;

inline constexpr TColor clBtnFace = 0x8000000F;
inline constexpr TColor clBtnShadow = 0x80000010;
inline constexpr TColor clBtnHighlight = 0x80000014;
inline constexpr TColor clWindow = 0x80000005;
inline constexpr TColor clWindowText = 0x80000008;

inline constexpr TColor clBlack = 0x00000000;
inline constexpr TColor clWhite = 0x00FFFFFF;

constexpr bool IsSystemColor(TColor color)
{
    return (color & 0x80000000u) != 0;
}

// Resolves a system colour to its current RGB value (0x00BBGGRR); explicit colours pass.
TColor ColorToRGB(TColor color);
QColor ColorToQColor(TColor color);
TColor QColorToColor(const QColor &color);
