#pragma once

#include "TColor.h"

#include <QFont>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QString>

#include <functional>

class QWidget;
class TFlatHintWindow;

// What the application knows about a hint that is about to show; a show-hint handler may
// change it.
struct THintInfo {
    QWidget *HintControl = nullptr;
    QPoint CursorPos;    // the pointer, screen coordinates
    QRect CursorRect;    // the hint stays while the pointer stays inside (screen coordinates)
    int HideTimeout = 0; // milliseconds until the hint hides; 0 keeps it
};
using TShowHintEvent = std::function<void(QString &HintStr, bool &CanShow, THintInfo &HintInfo)>;

// Placed on a form, replaces the application's tool tips with the flat hint window and sets
// the hint timing (500 ms before the first hint, 25 ms from one control to the next while a
// hint shows, hidden after 5 s). It holds the hint window's colours, font and width.
//
// A control's hint is its toolTip(); a control without one shows its parent's. Hints are off
// for a control whose dynamic property "ParentShowHint" is false and "ShowHint" false (and for
// its children that keep ParentShowHint); the first widget up the chain with ParentShowHint
// false decides, and when none does, hints are on.
//
// The hint window takes its settings from the first TFlatHint (in child order) of the main
// form: the form named with SetMainForm, or, while none is named, the form of the first
// TFlatHint created that still lives. The show-hint event belongs to the last one created.
// When the last TFlatHint goes, Qt's own tool tips come back.
class TFlatHint : public QObject {
    Q_OBJECT
public:
    explicit TFlatHint(QObject *owner);
    ~TFlatHint() override;

    TColor ColorBackground() const { return FColorBackground; }
    TColor ColorBorder() const { return FColorBorder; }
    TColor ColorArrowBackground() const { return FColorArrowBackground; }
    TColor ColorArrow() const { return FColorArrow; }
    // 0: ColorBackground, 1: ColorBorder, 2: ColorArrowBackground, 3: ColorArrow. A hint shown
    // later uses the new colour.
    void SetColors(int index, TColor value);

    int MaxHintWidth() const { return FMaxHintWidth; }
    void SetMaxHintWidth(int value) { FMaxHintWidth = value; }

    const QFont &Font() const { return FFont; }
    TColor FontColor() const { return FFontColor; }
    void SetHintFont(const QFont &font) { FFont = font; }
    void SetFontColor(TColor value) { FFontColor = value; }

    TShowHintEvent OnShowHint;
    // The application's show-hint event while this component is hooked: calls OnShowHint.
    void GetHintInfo(QString &HintStr, bool &CanShow, THintInfo &HintInfo);

    // Application-wide hint settings.
    static void SetMainForm(QWidget *form);
    static QWidget *MainForm();
    static int HintPause();
    static int HintShortPause();
    static int HintHidePause();
    static void SetHintPause(int ms);
    static void SetHintShortPause(int ms);
    static void SetHintHidePause(int ms);
    // The hint window in use, or null before the first hint.
    static TFlatHintWindow *HintWindow();

private:
    TColor FColorBackground = 0x00FFFFFF;
    TColor FColorBorder = 0x00000000;
    TColor FColorArrowBackground = 0x0053D2FF;
    TColor FColorArrow = 0x00000000;
    int FMaxHintWidth = 200;
    QFont FFont;
    TColor FFontColor = clWindowText;
};
