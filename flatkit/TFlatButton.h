#pragma once

#include "FlatColorControl.h"
#include "Flatutilitys.h"
#include "HoverTracking.h"

#include <QImage>
#include <QRect>
#include <QString>
#include <QWidget>

enum TFlatButtonState : quint8 { stUp, stDisabled, stPressed, stLatched };

// The kit's flat push button. Hot (pointer over it or focused): ColorFocused fill and a raised
// one-pixel bevel; pressed: ColorDown, reversed bevel, contents one pixel right and down.
// Buttons with a GroupIndex latch (Down) and release the other buttons of their group on the
// same parent.
//
// Clicking sets the modal result of the containing QDialog: the dialog's result() becomes
// ModalResult, clicked() is emitted, and if the dialog's result is then non-zero the dialog is
// closed with done(result). A handler of clicked() can thus veto the close with setResult(0).
// The space bar presses the button; the accelerator of the caption ("&Ok": Alt+O or O while
// the focused widget does not take letters) clicks it without moving the focus. Enter and
// Escape are not handled.
class TFlatButton : public FlatColorControl {
    Q_OBJECT
public:
    explicit TFlatButton(QWidget *parent = nullptr);
    ~TFlatButton() override;

    // 0 ColorFocused, 1 ColorDown, 2 ColorBorder, 3 ColorHighLight, 4 ColorShadow.
    void SetColors(int index, TColor color);
    TColor ColorFocused() const { return FColorFocused; }
    TColor ColorDown() const { return FColorDown; }
    TColor ColorBorder() const { return FColorBorder; }
    TColor ColorHighLight() const { return FColorHighLight; }
    TColor ColorShadow() const { return FColorShadow; }

    // SetAdvColors: 0 AdvColorFocused (lighten), 1 AdvColorDown (darken), 2 AdvColorBorder
    // (darken).
    TAdvColors AdvColorFocused() const { return FAdvColorFocused; }
    TAdvColors AdvColorDown() const { return FAdvColorDown; }
    TAdvColors AdvColorBorder() const { return FAdvColorBorder; }

    TTransparentMode TransparentMode() const { return FTransparentMode; }
    void SetTransparent(TTransparentMode mode);

    bool Default() const { return FDefault; }
    void SetDefault(bool value);
    bool AllowAllUp() const { return FAllowAllUp; }
    void SetAllowAllUp(bool value);
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int value);
    bool Down() const { return FDown; }
    void SetDown(bool value);

    const QImage &Glyph() const { return FGlyph; }
    void SetGlyph(const QImage &glyph);
    TNumGlyphs NumGlyphs() const { return FNumGlyphs; }
    void SetNumGlyphs(TNumGlyphs value);
    TButtonLayout Layout() const { return FLayout; }
    void SetLayout(TButtonLayout value);
    int Margin() const { return FMargin; }
    void SetMargin(int value); // below -1 is ignored
    int Spacing() const { return FSpacing; }
    void SetSpacing(int value);

    int ModalResult = 0;

    using FlatColorControl::SetTabStop;
    using FlatColorControl::TabStop;

    // Sets the dialog's modal result, then emits clicked(); see the class comment.
    void Click();
    // What a left click does, without the pointer: a button of a group toggles Down (as far as
    // AllowAllUp lets it), then Click(). A screen reader's press.
    void performClick();

    // Accelerator: true when handled.
    bool CMDialogChar(QChar character) override;
    void CMButtonPressed(int groupIndex, TFlatButton *sender);

    TFlatButtonState State() const { return FState; }
    bool MouseInside() const { return FMouseInside; }
    bool MouseDownFlag() const { return FMouseDown; }
    QRect TextBounds() const { return FTextBounds; }
    QPoint GlyphPos() const { return FGlyphPos; }

    // The unit's shared hover tracking, for inspection.
    static TFlatButton *mouseInControl() { return Tracking.MouseInControl; }
    static QTimer *mouseTimer() { return Tracking.MouseTimer.get(); }
    static int instanceCount() { return Tracking.InstanceCount; }

signals:
    void clicked();
    void doubleClicked();

protected:
    std::span<const AdvColorSlot> advColorSlots() override { return m_advColorSlots; }
    bool showsParent() const override { return FTransparentMode != tmNone; }
    void CMEnabledChanged() override;
    void hoverIfUnderPointer() override { Tracking.hoverStep(this, QCursor::pos()); }
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    friend class HoverTracking<TFlatButton>;

    // Builds the whole face; paintEvent copies it to the screen.
    QImage Paint();
    void MouseEnter();
    void MouseLeave();
    void MouseTimerHandler();
    void RemoveMouseTimer();
    void UpdateTracking();
    void UpdateExclusive();
    bool inside(const QPoint &pos) const;
    void notifyDownChanged();

    static HoverTracking<TFlatButton> Tracking;

    TColor FColorFocused = 0x00E1EAEB;
    TColor FColorDown = 0x00C5D6D9;
    TColor FColorBorder = 0x008396A0;
    TColor FColorHighLight = 0x00FFFFFF;
    TColor FColorShadow = 0x00000000;
    TAdvColors FAdvColorFocused = 10;
    TAdvColors FAdvColorDown = 10;
    TAdvColors FAdvColorBorder = 50;
    const AdvColorSlot m_advColorSlots[3] = {{&FColorFocused, &FAdvColorFocused, lighten},
                                             {&FColorDown, &FAdvColorDown, darken},
                                             {&FColorBorder, &FAdvColorBorder, darken}};
    TTransparentMode FTransparentMode = tmNone;
    bool FDefault = false;
    bool FAllowAllUp = false;
    int FGroupIndex = 0;
    bool FDown = false;
    QImage FGlyph;
    TNumGlyphs FNumGlyphs = 1;
    TButtonLayout FLayout = blGlyphTop;
    int FMargin = -1;
    int FSpacing = 4;

    TFlatButtonState FState = stUp;
    bool FMouseInside = false;
    bool FMouseDown = false;
    QRect FTextBounds;
    QPoint FGlyphPos;
};
