#pragma once

#include "AdvColors.h"
#include "Flatutilitys.h"

#include <QString>
#include <QWidget>

// What the flat button, check controls and group box share: the caption, the Color and
// ParentColor pair, the colours shaded from Color (UseAdvColors), the reaction to system and
// parent colour changes, hints, the accelerator, and the repaint of a transparent control
// that moved. Setting Color publishes it for the children and tells them it changed.
class FlatColorControl : public QWidget {
    Q_OBJECT
public:
    QString Caption() const { return FCaption; }
    void SetCaption(const QString &caption);

    TColor Color() const { return FColor; }
    void SetColor(TColor color); // clears ParentColor
    bool ParentColor() const { return FParentColor; }
    void SetParentColor(bool value);

    void SetAdvColors(int index, TAdvColors amount);
    bool UseAdvColors() const { return FUseAdvColors; }
    void SetUseAdvColors(bool value);

    QString Hint() const { return toolTip(); }
    void SetHint(const QString &hint) { setToolTip(hint); }
    void SetShowHint(bool value);
    void SetParentShowHint(bool value);

    // The caption's accelerator: true when handled.
    virtual bool CMDialogChar(QChar character) = 0;

protected:
    explicit FlatColorControl(QWidget *parent);

    // The colour properties shaded from Color, by their SetAdvColors index.
    virtual std::span<const AdvColorSlot> advColorSlots() = 0;
    // Whether the control shows its parent through, and so must repaint when it moves.
    virtual bool showsParent() const = 0;
    virtual void CMEnabledChanged() { update(); }
    // Hovered controls: takes the hot look when the pointer is over the control. Hover is
    // otherwise learnt from mouse moves, and a window that appears under a resting pointer
    // gets none, so its first click would find the control cold.
    virtual void hoverIfUnderPointer() {}

    void CalcAdvColors();
    void CMSysColorChange();
    void CMParentColorChanged();
    void takeParentColor();

    // Tab reaches the control only when TabStop is set; a left click always focuses it.
    bool TabStop() const;
    void SetTabStop(bool value);

    bool event(QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

    QString FCaption;
    TColor FColor = clBtnFace;
    bool FParentColor = true;
    bool FUseAdvColors = false;
};
