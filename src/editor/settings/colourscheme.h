#pragma once

#include "kvcolor.h"

#include <array>

// The window's eight colours: the toolbar and status bar gradients, their hot
// and pressed looks, and the fonts.
using TKvColourScheme = std::array<TColor, 8>;

inline constexpr TKvColourScheme KvDefaultColourScheme = {
    KvRgb(0xDE, 0xEB, 0xFF), KvRgb(0xA3, 0xB4, 0xD8), KvRgb(0xEA, 0xF2, 0xFB), KvRgb(0xA3, 0xB4, 0xD8),
    KvRgb(0xFF, 0xEF, 0xCF), KvRgb(0xD1, 0x88, 0x3B), KvRgb(0x00, 0x00, 0xD5), KvRgb(0x12, 0x0C, 0x8D),
};
