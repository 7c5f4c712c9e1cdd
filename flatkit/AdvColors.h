#pragma once

#include "Flatutilitys.h"

#include <span>

// One colour property that UseAdvColors derives from a base colour, with the amount property
// behind the same SetAdvColors index. Every kit control with shaded colours lists its own.
struct AdvColorSlot {
    TColor *color;
    TAdvColors *amount;
    TColorCalcType type;
};

// SetAdvColors' store step: an index that selects no slot stores nothing.
inline void storeAdvColor(std::span<const AdvColorSlot> table, int index, TAdvColors amount)
{
    if (index >= 0 && index < int(table.size()))
        *table[std::size_t(index)].amount = amount;
}

// CalcAdvColors' replacement step: each slot's colour becomes its shade of base.
inline void calcAdvColors(std::span<const AdvColorSlot> table, TColor base)
{
    for (const AdvColorSlot &entry : table)
        *entry.color = CalcAdvancedColor(base, *entry.color, *entry.amount, entry.type);
}
