#pragma once

// Makes the classic bitmap "MS Sans Serif" available to the program. Debian's fonts-wine ships
// it where fontconfig does not look; without it "MS Sans Serif" falls back to a wider sans font
// and the captions no longer fit the dialogs' fixed layouts. Safe to call more than once;
// returns whether the font is available afterwards.
bool LoadClassicFont();
