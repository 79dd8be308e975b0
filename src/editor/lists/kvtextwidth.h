#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QStringView>

#include <array>
#include <cstdint>

// Measures how wide a font draws a line of text, cheaply enough for every
// cell of a million rows. Text made only of characters that are laid out one
// by one (Latin, Greek, Cyrillic, digits, punctuation; no marks, no controls)
// is measured by summing the advances of a per-character table, which is
// exact when the font is drawn without kerning and without shaping of simple
// scripts (no ligatures): QFont::setKerning(false) and
// QFont::PreferNoShaping. Any other text is measured by the font itself.
class TKvTextWidth
{
public:
    explicit TKvTextWidth(const QFont &font);

    // The width in whole pixels that holds the whole text on one line.
    int Width(QStringView text) const;

private:
    // Advances in 1/64 pixel, as the font engine keeps them.
    using Fixed = std::int32_t;
    static constexpr char16_t TableEnd = 0x0530; // up to the end of Cyrillic
    static constexpr Fixed NotSimple = -1;

    QFontMetricsF m_metrics;
    std::array<Fixed, TableEnd + 1> m_advances;
};
