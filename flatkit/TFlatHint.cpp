#include "TFlatHint.h"

#include "HintMachinery.h"

#include <QApplication>

TFlatHint::TFlatHint(QObject *owner)
    : QObject(owner)
    , FFont(QApplication::font())
{
    HintMachinery::attach(this);
    HintMachinery::s_hintShortPause = 25;
    HintMachinery::s_hintPause = 500;
    HintMachinery::s_hintHidePause = 5000;
}

TFlatHint::~TFlatHint()
{
    HintMachinery::detach(this);
}

void TFlatHint::SetColors(int index, TColor value)
{
    switch (index) {
    case 0:
        FColorBackground = value;
        break;
    case 1:
        FColorBorder = value;
        break;
    case 2:
        FColorArrowBackground = value;
        break;
    case 3:
        FColorArrow = value;
        break;
    default:
        break;
    }
}

void TFlatHint::GetHintInfo(QString &HintStr, bool &CanShow, THintInfo &HintInfo)
{
    if (OnShowHint)
        OnShowHint(HintStr, CanShow, HintInfo);
}

void TFlatHint::SetMainForm(QWidget *form)
{
    HintMachinery::s_mainForm = form;
}

QWidget *TFlatHint::MainForm()
{
    return HintMachinery::s_mainForm;
}

int TFlatHint::HintPause()
{
    return HintMachinery::s_hintPause;
}

int TFlatHint::HintShortPause()
{
    return HintMachinery::s_hintShortPause;
}

int TFlatHint::HintHidePause()
{
    return HintMachinery::s_hintHidePause;
}

void TFlatHint::SetHintPause(int ms)
{
    HintMachinery::s_hintPause = ms;
}

void TFlatHint::SetHintShortPause(int ms)
{
    HintMachinery::s_hintShortPause = ms;
}

void TFlatHint::SetHintHidePause(int ms)
{
    HintMachinery::s_hintHidePause = ms;
}

TFlatHintWindow *TFlatHint::HintWindow()
{
    HintMachinery *m = HintMachinery::instance();
    return m ? m->window() : nullptr;
}
