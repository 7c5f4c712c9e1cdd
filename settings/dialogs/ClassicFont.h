#pragma once

#include <QFont>

// The dialogs' font: "MS Sans Serif", 11 pixels high. That font is rarely installed, and the
// sans font fontconfig substitutes is too wide for the dialogs' fixed layouts, so Tahoma (its
// metric twin, shipped in Debian's fonts-wine outside fontconfig's folders) stands in next.
// Only the dialogs ask for Tahoma; other windows' "MS Sans Serif" is left alone.
QFont ClassicDialogFont();
