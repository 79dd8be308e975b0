#pragma once

#include <QtGlobal>

// The coverage masks of the marker shapes: square, one byte per pixel row by
// row, 0 = not covered, 255 = fully covered.
enum TKvMask : quint32 {
    kmCircle7,
    kmCircle9,
    kmCircle11,
    kmDiamond9,
    kmDiamond11,
    kmDiamond13,
    kmStar9,
    kmStar11,
    kmStar13,
};

struct TKvMaskData
{
    int Size; // the mask is Size × Size
    const quint8 *Values;
};

TKvMaskData KvMaskData(TKvMask mask);
