#pragma once

#include "TColor.h"

#include <QFont>
#include <QString>

class QEvent;
class QWidget;

// Helpers the kit's widgets share for the classic control properties that Qt lacks.
namespace KitControl {

// Tells the child widgets of a kit control that its Color changed (the classic parent colour
// notification), as a PaletteChange event, which kit controls map to CMParentColorChanged.
void notifyColorChanged(QWidget *widget);

// Hints: "ShowHint" and "ParentShowHint" are dynamic properties that any widget may carry
// (a dialog sets them on itself too). A widget shows its hint when, walking up while
// ParentShowHint is true (the default), the first widget that decides has ShowHint true.
// Nobody deciding means hints on.
bool showHint(const QWidget *widget);
void setShowHint(QWidget *widget, bool value); // also sets ParentShowHint false
void setParentShowHint(QWidget *widget, bool value);
bool parentShowHint(const QWidget *widget);
// For a control's event(): swallows tool tip requests while its hints are off.
bool suppressHint(const QWidget *widget, const QEvent *event);

// The font to draw captions with: the control's font without antialiasing, so that the
// captions have the crisp one-colour pixels of the classic look (and the embossed disabled
// caption is two clean colours).
QFont paintFont(const QFont &font);

// Whether the control could take the focus now (it and its parents visible and enabled).
bool canFocus(const QWidget *widget);

} // namespace KitControl
