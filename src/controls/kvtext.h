#pragma once

#include "kvrect.h"

#include <QString>

class QFontMetrics;
class QPainter;

// Text formatting flags. The numbers are those of the usual desktop
// text-drawing call, so that callers can combine them as they are stored.
namespace KvTextFormat {
constexpr quint32 Left = 0x0;
constexpr quint32 Centre = 0x1;
constexpr quint32 Right = 0x2;
constexpr quint32 VerticalCentre = 0x4; // honoured for single-line text only
constexpr quint32 WordBreak = 0x10;
constexpr quint32 SingleLine = 0x20;
constexpr quint32 Calculate = 0x400; // measure only, draw nothing
} // namespace KvTextFormat

// Every text is drawn and measured with "&" as accelerator prefix: a single
// "&" is not drawn and underlines the next character, "&&" draws one "&".

// The extent of `text` laid out with `format`: Right and Bottom of `rect` are
// set so that the rectangle just holds the text; Left and Top stay. With word
// break the lines are broken at the rectangle's width (a longer word widens
// it); without single line, line breaks in the text start new lines. An empty
// text measures 0 × 0.
void KvMeasureText(const QFontMetrics &metrics, const QString &text, quint32 format, TKvRect &rect);

// Draws `text` with the painter's font, pen and background mode into `rect`,
// never outside it. With the calculate flag it only measures (as above) and
// returns true. Otherwise returns false when the rectangle or the text is
// empty.
bool KvDrawText(QPainter &painter, const QString &text, quint32 format, TKvRect &rect);
