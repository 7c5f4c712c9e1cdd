#pragma once

#include <QRect>
#include <QSize>
#include <QString>

#include <functional>

// Where every element of the strip goes for one window height. Everything follows from the
// height; the labels' sizes come from measuring their widest captions.
struct BarLayout {
    int labelPointSize = 0;
    QRect lblPercent; // measured with "100%"
    QRect ProgressBar;
    QRect lblTime; // measured with "0:00:00"
    int IconLeft = 0;
    int IconWidth = 0;
    int IconHeight = 0;
    QRect Bevel;
    int windowWidth = 0;
};

inline constexpr int kMinBarHeight = 15;
inline constexpr int kMaxBarHeight = 48;

// Size of `text` in the label font at `pointSize` points.
using LabelMeasure = std::function<QSize(int pointSize, const QString &text)>;

BarLayout computeBarLayout(int height, const LabelMeasure &measure);
