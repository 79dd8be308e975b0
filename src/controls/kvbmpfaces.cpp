// The bitmap operations of the custom button: shaded rounded faces, frames
// with anti-aliased corners, focus frames, marker masks and image operations.
// In the rectangle routines w and h are the clipped rectangle's width and
// height and (x, y) are offsets from its top-left pixel.

#include "kvbmp.h"

#include "kvimagelist.h"
#include "kvplainmessage.h"

#include <algorithm>
#include <cstring>

namespace {

// Lightening of rows 1 to 11 of a hot flat face.
constexpr quint8 HotLightenTable[11] = {130, 120, 105, 85, 65, 45, 25, 10, 10, 10, 10};
// Darkening of rows 1 to 11 of a pressed face.
constexpr quint8 PressedDarkenTable[11] = {76, 56, 39, 29, 22, 17, 13, 10, 10, 14, 18};

quint32 ClampedAmount(int amount)
{
    return quint32(std::clamp(amount, 0, 255));
}

// Pixel access relative to a rectangle that already lies inside the bitmap;
// offsets outside the rectangle are ignored, so tiny rectangles are safe.
class TKvRectPixels
{
public:
    TKvRectPixels(uchar *bits, int stride, const TKvRect &r)
        : m_bits(bits)
        , m_stride(stride)
        , m_r(r)
    {}

    int W() const { return m_r.Width(); }
    int H() const { return m_r.Height(); }

    template <typename Op> void At(int x, int y, Op op)
    {
        if (x < 0 || y < 0 || x >= W() || y >= H())
            return;
        quint32 &p = reinterpret_cast<quint32 *>(m_bits + qsizetype(m_r.Top + y) * m_stride)[m_r.Left + x];
        p = op(p);
    }

    // Pixels x0 … x1 of row y (inclusive).
    template <typename Op> void RowSpan(int y, int x0, int x1, Op op)
    {
        for (int x = std::max(x0, 0); x <= std::min(x1, W() - 1); ++x)
            At(x, y, op);
    }

    // Pixels y0 … y1 of column x (inclusive).
    template <typename Op> void ColumnSpan(int x, int y0, int y1, Op op)
    {
        for (int y = std::max(y0, 0); y <= std::min(y1, H() - 1); ++y)
            At(x, y, op);
    }

    // The top and bottom rows over x = inset … w - 1 - inset and the left and
    // right columns over y = inset … h - 1 - inset; a row or column that
    // coincides with its opposite is done once.
    template <typename Op> void Outline(int inset, Op op)
    {
        RowSpan(0, inset, W() - 1 - inset, op);
        if (H() > 1)
            RowSpan(H() - 1, inset, W() - 1 - inset, op);
        ColumnSpan(0, inset, H() - 1 - inset, op);
        if (W() > 1)
            ColumnSpan(W() - 1, inset, H() - 1 - inset, op);
    }

    // The pixel at offset (dx, dy) from each of the four corners, counted
    // towards the inside; positions that coincide are done once.
    template <typename Op> void MirroredCorners(int dx, int dy, Op op)
    {
        const int right = W() - 1 - dx;
        const int bottom = H() - 1 - dy;
        At(dx, dy, op);
        if (right != dx)
            At(right, dy, op);
        if (bottom != dy) {
            At(dx, bottom, op);
            if (right != dx)
                At(right, bottom, op);
        }
    }

private:
    uchar *m_bits;
    int m_stride;
    TKvRect m_r;
};

auto Darken(quint32 v)
{
    return [v](quint32 p) { return KvDarken(p, v); };
}

auto Lighten(quint32 v)
{
    return [v](quint32 p) { return KvLighten(p, v); };
}

auto SetTo(quint32 pixel)
{
    return [pixel](quint32) { return pixel; };
}

} // namespace

void TKvBmp::ButtonFace(int shadow, bool pipe, TColor dark, TColor light, const TKvRect &rect)
{
    RequireSurface();
    const TKvRect r = rect.Intersected(FBounds);
    if (r.IsEmpty())
        return;
    const TKvRect inner = r.Shrunk(1);
    if (pipe)
        PipeRect(true, shadow, false, dark, light, inner);
    else
        GradientRect(true, dark, light, inner);
    const TColor frame =
        (dark & 0xFF000000u)
        | KvRgb(KvRedOf(dark) * 175 / 255, KvGreenOf(dark) * 175 / 255, KvBlueOf(dark) * 175 / 255);
    RoundFrame(r, frame);
    LightInnerFrame(inner, 130);
}

void TKvBmp::ButtonFacePressed(int shadow, bool pipe, TColor dark, TColor light, const TKvRect &rect)
{
    RequireSurface();
    const TKvRect r = rect.Intersected(FBounds);
    if (r.IsEmpty())
        return;
    const TKvRect inner = r.Shrunk(1);
    if (pipe)
        PipeRect(true, shadow, false, dark, light, inner);
    else
        GradientRect(true, dark, light, inner);
    FlatFacePressed(r);
}

void TKvBmp::FlatFaceHot(const TKvRect &rect)
{
    RequireSurface();
    const TKvRect r = rect.Intersected(FBounds);
    if (r.IsEmpty())
        return;
    TKvRectPixels px(FBits.get(), FStride, r);
    const int w = px.W();
    const int h = px.H();

    // Only rows above the last row are shaded.
    for (int y = 1; y <= 11 && y <= h - 2; ++y)
        px.RowSpan(y, 1, w - 2, Lighten(HotLightenTable[y - 1]));
    const int n = h - 14;
    TKvByteRamp ramp(20, 1, n);
    for (int y = 12; y < 12 + n; ++y)
        px.RowSpan(y, 1, w - 2, Darken(ramp.Next()));

    DarkRoundFrame(r, 80);
    LightInnerFrame(r.Shrunk(1), 130);
}

void TKvBmp::FlatFacePressed(const TKvRect &rect)
{
    RequireSurface();
    const TKvRect r = rect.Intersected(FBounds);
    if (r.IsEmpty())
        return;
    TKvRectPixels px(FBits.get(), FStride, r);
    const int w = px.W();
    const int h = px.H();

    for (int y = 1; y <= 11 && y <= h - 2; ++y)
        px.RowSpan(y, 1, w - 2, Darken(PressedDarkenTable[y - 1]));
    // Below the table a ramp from 18 towards 10, then a darker bottom edge.
    TKvByteRamp ramp(18, 10, h - 13);
    for (int y = 12; y <= h - 2; ++y) {
        quint32 amount = ramp.Next();
        if (y == h - 4)
            amount = 10;
        else if (y == h - 3)
            amount = 25;
        else if (y == h - 2)
            amount = 56;
        px.RowSpan(y, 1, w - 2, Darken(amount));
    }
    // The sides are shaded too.
    for (int y = 1; y <= h - 2; ++y) {
        px.At(1, y, Darken(39));
        px.At(2, y, Darken(17));
        px.At(w - 3, y, Darken(17));
        px.At(w - 2, y, Darken(39));
    }

    DarkRoundFrame(r, 170);
}

void TKvBmp::DarkRoundFrame(const TKvRect &rect, int amount)
{
    const TKvRect r = rect.Intersected(FBounds);
    if (r.IsEmpty())
        return;
    TKvRectPixels px(FBits.get(), FStride, r);
    const quint32 a = ClampedAmount(amount);

    px.Outline(3, Darken(a));
    // The corner pixel itself stays; its neighbours are shaded less and less
    // towards it, which rounds the corner.
    px.MirroredCorners(1, 0, Darken(4 * a / 9));
    px.MirroredCorners(0, 1, Darken(4 * a / 9));
    px.MirroredCorners(2, 0, Darken(6 * a / 7));
    px.MirroredCorners(1, 1, Darken(6 * a / 7));
    px.MirroredCorners(0, 2, Darken(6 * a / 7));
    px.MirroredCorners(2, 1, Darken(a >> 2));
    px.MirroredCorners(1, 2, Darken(a >> 2));
}

void TKvBmp::LightInnerFrame(const TKvRect &rect, int amount)
{
    const TKvRect r = rect.Intersected(FBounds);
    if (r.IsEmpty())
        return;
    TKvRectPixels px(FBits.get(), FStride, r);
    const quint32 v = ClampedAmount(amount);

    px.Outline(1, Lighten(v));
    px.MirroredCorners(1, 1, Lighten(5 * v / 7));
}

void TKvBmp::RoundFrame(const TKvRect &rect, TColor colour)
{
    const TKvRect r = rect.Intersected(FBounds);
    if (r.IsEmpty())
        return;
    TKvRectPixels px(FBits.get(), FStride, r);
    const quint32 k = KvPixelOfColor(colour);

    px.Outline(3, SetTo(k));
    auto mix50 = [k](quint32 p) { return KvMix50(k, p); };
    auto mix75 = [k](quint32 p) { return KvMix75(k, p); };
    auto mix25 = [k](quint32 p) { return KvMix25(k, p); };
    px.MirroredCorners(1, 0, mix50);
    px.MirroredCorners(0, 1, mix50);
    px.MirroredCorners(2, 0, mix75);
    px.MirroredCorners(1, 1, mix75);
    px.MirroredCorners(0, 2, mix75);
    px.MirroredCorners(2, 1, mix25);
    px.MirroredCorners(1, 2, mix25);
}

void TKvBmp::FocusFrame(const TKvRect &rect, TColor colour)
{
    RequireSurface();
    const TKvRect r = rect.Intersected(FBounds);
    if (r.IsEmpty())
        return;
    TKvRectPixels px(FBits.get(), FStride, r);
    const quint32 k = KvPixelOfColor(colour);

    px.Outline(1, SetTo(k));
    px.MirroredCorners(1, 1, [k](quint32 p) { return KvMix50(k, p); });
}

void TKvBmp::FillSoftRect(const TKvRect &rect, TColor colour)
{
    const TKvRect r = rect.Intersected(FBounds);
    if (r.IsEmpty())
        return;
    const quint32 k = KvPixelOfColor(colour);
    const int w = r.Width();
    for (int y = r.Top; y < r.Bottom; ++y) {
        const bool edgeRow = y == r.Top || y == r.Bottom - 1;
        // The corner pixels of the first and the last row stay.
        if (edgeRow)
            KvFillPixels(Row(y) + r.Left + 1, w - 2, k);
        else
            KvFillPixels(Row(y) + r.Left, w, k);
    }
}

void TKvBmp::DrawMask(int x, int y, TKvMask mask, TColor colour)
{
    RequireSurface();
    const TKvMaskData data = KvMaskData(mask);
    const quint32 k = KvPixelOfColor(colour);
    for (int j = 0; j < data.Size; ++j) {
        const int py = y + j;
        if (py < 0 || py >= FBounds.Bottom)
            continue;
        quint32 *row = Row(py);
        for (int i = 0; i < data.Size; ++i) {
            const int px = x + i;
            if (px < 0 || px >= FBounds.Right)
                continue;
            row[px] = KvCover(row[px], k, data.Values[j * data.Size + i]);
        }
    }
}

bool TKvBmp::CopyImageFromImageList(const TKvImageList *list, int index)
{
    if (!list || !FBits)
        return false;
    if (list->Width() != FWidth || list->Height() != FHeight)
        return false;
    if (index < 0 || index >= list->Count()) {
        ShowPlainMessage(KvGraphicMessage::ImageListInvalidParameter);
        return false;
    }
    const QImage &image = list->Image(index);
    for (int y = 0; y < FHeight; ++y)
        std::memcpy(Row(y), image.constScanLine(y), std::size_t(FWidth) * sizeof(quint32));
    return true;
}

void TKvBmp::GreyScale()
{
    if (!FBits)
        return;
    quint32 *p = Row(0);
    const qsizetype count = qsizetype(FWidth) * FHeight;
    for (qsizetype i = 0; i < count; ++i) {
        const quint32 grey =
            (320 * KvPixelRed(p[i]) + 576 * KvPixelGreen(p[i]) + 128 * KvPixelBlue(p[i])) >> 10;
        p[i] = (p[i] & 0xFF000000u) | grey << 16 | grey << 8 | grey;
    }
}

void TKvBmp::DrawAlpha(const TKvBmp *source, int x, int y)
{
    if (!source || !source->FHasSurface || !source->FBits || !FBits)
        return;
    const int sw = source->FWidth;
    const int sh = source->FHeight;
    // Moved inside this bitmap; a source larger than it is not drawn.
    x = std::max(x, 0);
    if (qint64(x) + sw > FWidth)
        x = FWidth - sw;
    y = std::max(y, 0);
    if (qint64(y) + sh > FHeight)
        y = FHeight - sh;
    if (x < 0 || y < 0)
        return;

    for (int j = 0; j < sh; ++j) {
        const quint32 *from = source->Row(j);
        quint32 *to = Row(y + j) + x;
        for (int i = 0; i < sw; ++i) {
            // The source's alpha is the coverage; the destination keeps its own.
            const quint32 colour = (to[i] & 0xFF000000u) | (from[i] & 0x00FFFFFFu);
            to[i] = KvCover(to[i], colour, KvPixelAlpha(from[i]));
        }
    }
}
