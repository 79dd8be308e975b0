#pragma once

#include <QColor>
#include <QtGlobal>

// A colour as the controls store it: 0x00BBGGRR, red in the low byte. A value
// whose high byte is 0xFF names a system colour (0xFF0000nn = system colour nn)
// and is turned into RGB with ResolveColor before anything is painted with it.
using TColor = quint32;

constexpr quint32 KvRedOf(TColor c)
{
    return c & 0xFFu;
}
constexpr quint32 KvGreenOf(TColor c)
{
    return (c >> 8) & 0xFFu;
}
constexpr quint32 KvBlueOf(TColor c)
{
    return (c >> 16) & 0xFFu;
}
constexpr quint32 KvHighByteOf(TColor c)
{
    return c >> 24;
}

constexpr TColor KvRgb(quint32 red, quint32 green, quint32 blue)
{
    return (red & 0xFFu) | (green & 0xFFu) << 8 | (blue & 0xFFu) << 16;
}

// The classic system colour numbers; the palette role each one is read from
// is listed in kvcolor.cpp.
enum TKvSysColorIndex : quint32 {
    scScrollBar = 0,
    scBackground = 1,
    scActiveCaption = 2,
    scInactiveCaption = 3,
    scMenu = 4,
    scWindow = 5,
    scWindowFrame = 6,
    scMenuText = 7,
    scWindowText = 8,
    scCaptionText = 9,
    scActiveBorder = 10,
    scInactiveBorder = 11,
    scAppWorkspace = 12,
    scHighlight = 13,
    scHighlightText = 14,
    scBtnFace = 15,
    scBtnShadow = 16,
    scGrayText = 17,
    scBtnText = 18,
    scInactiveCaptionText = 19,
    scBtnHighlight = 20,
    sc3DDkShadow = 21,
    sc3DLight = 22,
    scInfoText = 23,
    scInfoBk = 24,
    scHotLight = 26,
    scGradientActiveCaption = 27,
    scGradientInactiveCaption = 28,
    scMenuHilight = 29,
    scMenuBar = 30,
};

constexpr TColor KvSysColor(quint32 index)
{
    return 0xFF000000u | (index & 0xFFu);
}

constexpr TColor clKvBtnHighlight = KvSysColor(scBtnHighlight); // 0xFF000014
constexpr TColor clKvGrayText = KvSysColor(scGrayText);         // 0xFF000011
constexpr TColor clKvWindowText = KvSysColor(scWindowText);     // 0xFF000008
constexpr TColor clKvHotLight = KvSysColor(scHotLight);         // 0xFF00001A

constexpr bool KvIsSysColor(TColor c)
{
    return KvHighByteOf(c) == 0xFFu;
}

// The RGB value of system colour `index` in the running application's palette
// (high byte 0). An unknown number gives black.
TColor KvSysColorValue(quint32 index);

// A system colour becomes its RGB value (high byte 0); any other value is
// returned unchanged, its high byte included.
TColor ResolveColor(TColor c);

// For painting with Qt: the resolved colour, opaque.
QColor KvToQColor(TColor c);
TColor KvFromQColor(const QColor &colour);
