#include "kvhsl.h"

#include <algorithm>

TKvHsl ColorToHsl(TColor c)
{
    const TColor rgb = ResolveColor(c);
    TKvHsl result;
    result.Extra = quint8(KvHighByteOf(rgb));

    // Channels scaled to 0 … 65025, so that lightness and saturation keep 16
    // fractional bits.
    const quint32 r = 255 * KvRedOf(rgb);
    const quint32 g = 255 * KvGreenOf(rgb);
    const quint32 b = 255 * KvBlueOf(rgb);
    const quint32 mx = std::max({r, g, b});
    const quint32 mn = std::min({r, g, b});
    const quint32 l = (mx + mn) >> 1;
    result.Lightness = quint8((l * 100) >> 16);
    if (l == 0 || mx == mn)
        return result;

    const quint32 diff = mx - mn;
    const quint32 d = l < 32768 ? mx + mn : 131072 - mx - mn;
    const quint32 s = (diff * 65536) / d;
    result.Saturation = quint8((s * 100) >> 16);

    // The distance of a channel from the maximum, in degrees 0 … 60.
    auto offset = [mx, diff](quint32 x) { return (((mx - x) * 65536) / diff * 60) >> 16; };
    quint32 hue;
    if (r == mx)
        hue = g == mn ? 300 + offset(b) : 60 - offset(g);
    else if (g == mx)
        hue = b == mn ? 60 + offset(r) : 180 - offset(b);
    else
        hue = r == mn ? 180 + offset(g) : 300 - offset(r);
    result.Hue = quint16(hue == 360 ? 0 : hue);
    return result;
}

TColor HslToColor(const TKvHsl &v)
{
    const int h = v.Hue;
    const int s = v.Saturation;
    const int l = v.Lightness;
    const TColor extra = TColor(v.Extra) << 24;

    const int m2 = l < 50 ? (s + 100) * l / 100 : l + s - l * s / 100;
    if (m2 <= 0)
        return extra;
    const int m1 = 2 * l - m2;
    const int t = (m2 - m1) * 100 / m2;
    const int frac = (h % 60) * 100 / 60;
    const int e = m2 * t * frac / 10000;
    const int up = m1 + e;
    const int down = m2 - e;

    int red = 0, green = 0, blue = 0;
    switch (h / 60) {
    case 0:
        red = m2, green = up, blue = m1;
        break;
    case 1:
        red = down, green = m2, blue = m1;
        break;
    case 2:
        red = m1, green = m2, blue = up;
        break;
    case 3:
        red = m1, green = down, blue = m2;
        break;
    case 4:
        red = up, green = m1, blue = m2;
        break;
    case 5:
        red = m2, green = m1, blue = down;
        break;
    default:
        break;
    }
    // Out-of-range input (saturation above 100) can push a channel below 0;
    // it is held at 0 so that it cannot spill into the other bytes.
    auto toByte = [](int value) { return TColor(std::clamp(value * 255 / 100, 0, 255)); };
    return toByte(red) | toByte(green) << 8 | toByte(blue) << 16 | extra;
}

quint32 GreyOf(TColor c)
{
    const TColor rgb = ResolveColor(c);
    return (320 * KvRedOf(rgb) + 576 * KvGreenOf(rgb) + 128 * KvBlueOf(rgb)) >> 10;
}
