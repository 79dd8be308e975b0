#pragma once

#include "kvcolor.h"

#include <QtGlobal>

// Integer pixel arithmetic shared by the bitmap and the controls.
//
// A pixel is 4 bytes blue, green, red, alpha; read as a 32-bit word on this
// little-endian platform it is 0xAARRGGBB. Alpha is not premultiplied.

static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "pixel words are read as little-endian B, G, R, A bytes");

constexpr quint32 KvPixelBlue(quint32 p)
{
    return p & 0xFFu;
}
constexpr quint32 KvPixelGreen(quint32 p)
{
    return (p >> 8) & 0xFFu;
}
constexpr quint32 KvPixelRed(quint32 p)
{
    return (p >> 16) & 0xFFu;
}
constexpr quint32 KvPixelAlpha(quint32 p)
{
    return p >> 24;
}

constexpr quint32 KvMakePixel(quint32 red, quint32 green, quint32 blue, quint32 alpha)
{
    return alpha << 24 | red << 16 | green << 8 | blue;
}

// The pixel of a colour with the given alpha (the colour is used as it is;
// resolve system colours first).
constexpr quint32 KvPixelOf(TColor c, quint32 alpha)
{
    return KvMakePixel(KvRedOf(c), KvGreenOf(c), KvBlueOf(c), alpha & 0xFFu);
}

// The pixel a colour is "set to": its high byte becomes the alpha.
constexpr quint32 KvPixelOfColor(TColor c)
{
    return KvPixelOf(c, KvHighByteOf(c));
}

constexpr TColor KvColorOfPixel(quint32 p)
{
    return KvRgb(KvPixelRed(p), KvPixelGreen(p), KvPixelBlue(p));
}

// Writes `value` into n pixels: the first up to 32 one by one, then the
// filled part is doubled by block copies until n pixels are filled.
void KvFillPixels(quint32 *dst, qsizetype n, quint32 value);

// A linear run of n pixels from colour `start` to colour `end`, alpha 255.
// Each channel steps in 22 fractional bits: v = start << 22, step =
// (start - end) << 22 / (n - 1) truncated toward zero, pixel i takes v >> 22
// and then v -= step. The truncated step may leave the last pixel one unit
// short of `end`; a run of one pixel is `start`.
class TKvColorRun
{
public:
    TKvColorRun(TColor start, TColor end, int n);
    quint32 Next();

private:
    qint32 m_blue, m_green, m_red;
    qint32 m_blueStep = 0, m_greenStep = 0, m_redStep = 0;
};

// The whole run written into dst[0] … dst[n - 1].
void KvColorRun(quint32 *dst, int n, TColor start, TColor end);

// A ramp of n bytes from a down to b with the same 22-bit stepping: v = a << 22,
// step = (a - b) << 22 / (n - 1) truncated, entry k = v >> 22, then v -= step.
// A ramp of one entry is a. Both values are 0 … 255.
class TKvByteRamp
{
public:
    TKvByteRamp(int a, int b, int n);
    quint8 Next();

private:
    qint32 m_value;
    qint32 m_step;
};

void KvByteRamp(quint8 *dst, int n, int a, int b);

// Per-channel shading of blue, green and red; alpha is kept.
// darken: c * (255 - v) / 255
quint32 KvDarken(quint32 p, quint32 v);
// lighten: (c * (255 - v) + 255 * v) >> 8
quint32 KvLighten(quint32 p, quint32 v);
// blend towards colour pixel k with coverage m: (c * (255 - m) + k * m) >> 8
quint32 KvBlend(quint32 p, quint32 k, quint32 m);

// Coverage m of colour pixel k over pixel p: nothing for m <= 7, a blend for
// m <= 240, k itself above.
constexpr quint32 KvCoverThresholdLow = 7;
constexpr quint32 KvCoverThresholdHigh = 240;
quint32 KvCover(quint32 p, quint32 k, quint32 m);

// Every channel halved (alpha 0).
constexpr quint32 KvHalf(quint32 p)
{
    return (p >> 1) & 0x007F7F7Fu;
}

// Mixes of colour pixel k into pixel p; the result is opaque.
constexpr quint32 KvMix50(quint32 k, quint32 p)
{
    return 0xFF000000u | (KvHalf(k) + KvHalf(p));
}
constexpr quint32 KvMix75(quint32 k, quint32 p)
{
    return 0xFF000000u | (KvHalf(k) + KvHalf(KvHalf(k) + KvHalf(p)));
}
constexpr quint32 KvMix25(quint32 k, quint32 p)
{
    return 0xFF000000u | (KvHalf(KvHalf(k) + KvHalf(p)) + KvHalf(p));
}
