#pragma once

#include "kvcolor.h"

// A colour as hue, saturation and lightness, in integer steps.
struct TKvHsl
{
    quint16 Hue = 0;       // degrees 0 … 359; 0 for greys
    quint8 Saturation = 0; // percent 0 … 100
    quint8 Lightness = 0;  // percent 0 … 99 from a conversion, 0 … 100 accepted back
    quint8 Extra = 0;      // the high byte of the converted colour, given back unchanged

    friend constexpr bool operator==(const TKvHsl &, const TKvHsl &) = default;
};

// System colours are resolved first. Integer arithmetic throughout; the
// results decide stored colours, so they are exact, not approximate.
TKvHsl ColorToHsl(TColor c);
TColor HslToColor(const TKvHsl &v);

// The grey value 0 … 255 of a colour: (320 × red + 576 × green + 128 × blue) >> 10.
quint32 GreyOf(TColor c);
