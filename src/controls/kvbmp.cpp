#include "kvbmp.h"

#include "kvplainmessage.h"

#include <QFontMetrics>
#include <QPaintDevice>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

// The largest pixel buffer a bitmap takes; anything larger is refused like a
// failed allocation (no control comes near it).
constexpr qint64 MaxBufferBytes = qint64(INT_MAX);

int AbsoluteSize(int value)
{
    if (value == INT_MIN)
        return INT_MAX;
    return std::abs(value);
}

} // namespace

TKvBmp::TKvBmp()
{
    ResetHandles();
}

TKvBmp::TKvBmp(const QPaintDevice *surfaceHint, int width, int height)
{
    ResetHandles();
    FWidth = AbsoluteSize(width);
    FHeight = AbsoluteSize(height);
    Create(surfaceHint);
}

void TKvBmp::ResetHandles()
{
    // Called before anything is held, so nothing is released here.
    FStride = 0;
    FBounds = TKvRect{};
    FHasSurface = false;
    FTextColor = 0;
    FTransparentText = false;
    FHasFont = false;
    FFontHeight = 0;
}

TKvBmp::~TKvBmp()
{
    FHasFont = false;
    Free(true);
}

void TKvBmp::Create(const QPaintDevice *surfaceHint)
{
    // The pixels are always 32-bit; the surface the bitmap is drawn for does
    // not change how they are stored.
    Q_UNUSED(surfaceHint);

    if (FWidth <= 0 || FHeight <= 0) {
        Free(true);
        return;
    }
    Free(false);

    const qint64 bytes = qint64(FWidth) * FHeight * 4;
    uchar *bits = nullptr;
    if (FWidth <= INT_MAX / 4 && bytes <= MaxBufferBytes)
        bits = new (std::nothrow) uchar[std::size_t(bytes)];
    if (!bits) {
        const QString text =
            QStringLiteral("The bitmap of %1 x %2 pixels cannot be created: not enough memory.")
                .arg(FWidth)
                .arg(FHeight);
        Free(true);
        ShowPlainMessage(text);
        return;
    }
    FBits.reset(bits);
    std::memset(bits, 0xFF, std::size_t(bytes));
    FStride = FWidth * 4;
    FBounds = TKvRect{0, 0, FWidth, FHeight};

    if (!FHasSurface) {
        FHasSurface = true;
        FTextColor = 0;
        FTransparentText = false;
    }
    BindSurface();
}

void TKvBmp::BindSurface()
{
    FSurfaceImage = QImage(FBits.get(), FWidth, FHeight, FStride, QImage::Format_RGB32);
    if (FSurfaceImage.isNull() || !FPainter.begin(&FSurfaceImage)) {
        const QString text =
            QStringLiteral("The pixels of a bitmap of %1 x %2 cannot be bound to a drawing surface.")
                .arg(FWidth)
                .arg(FHeight);
        Free(true);
        ShowPlainMessage(text);
        return;
    }
    ApplyTextState();
}

void TKvBmp::ApplyTextState()
{
    FPainter.setFont(FHasFont ? FFont : QFont());
    FPainter.setPen(QColor(int(KvRedOf(FTextColor)), int(KvGreenOf(FTextColor)), int(KvBlueOf(FTextColor))));
    FPainter.setBackground(Qt::white);
    FPainter.setBackgroundMode(FTransparentText ? Qt::TransparentMode : Qt::OpaqueMode);
    FPainter.setClipping(false);
}

void TKvBmp::ReleaseSurface()
{
    if (FPainter.isActive())
        FPainter.end();
    FSurfaceImage = QImage();
}

void TKvBmp::Free(bool releaseSurface)
{
    ReleaseSurface();
    FScreenImage = QImage();
    FBits.reset();
    FStride = 0;
    FBounds = TKvRect{};
    if (releaseSurface) {
        FHasSurface = false;
        FTextColor = 0;
        FTransparentText = false;
    }
}

void TKvBmp::Assign(const TKvBmp *other)
{
    if (!other || other == this)
        return;
    Free(false);
    FWidth = other->FWidth;
    FHeight = other->FHeight;
    Create(nullptr);
    if (FBits && other->FBits)
        std::memcpy(FBits.get(), other->FBits.get(), std::size_t(qint64(FStride) * FHeight));
}

void TKvBmp::SetSize(int width, int height, bool keepContent)
{
    width = AbsoluteSize(width);
    height = AbsoluteSize(height);
    if (width == FWidth && height == FHeight)
        return;

    std::unique_ptr<uchar[]> oldBits;
    const int oldWidth = FWidth;
    const int oldHeight = FHeight;
    if (keepContent && FBits) {
        ReleaseSurface();
        oldBits = std::move(FBits);
    }
    Free(true);
    FWidth = width;
    FHeight = height;
    Create(nullptr);

    if (oldBits && FBits) {
        const int rows = std::min(oldHeight, FHeight);
        const std::size_t rowBytes = std::size_t(std::min(oldWidth, FWidth)) * 4;
        for (int y = 0; y < rows; ++y)
            std::memcpy(FBits.get() + qsizetype(y) * FStride, oldBits.get() + qsizetype(y) * oldWidth * 4,
                        rowBytes);
    }
}

uchar *TKvBmp::ScanLine(int row)
{
    return const_cast<uchar *>(std::as_const(*this).ScanLine(row));
}

const uchar *TKvBmp::ScanLine(int row) const
{
    if (!FBits)
        throw EKvInvalidGraphicOperation(KvGraphicMessage::NoDibSection);
    if (row > FHeight - 1 || row < 0)
        throw EKvInvalidGraphicOperation(KvGraphicMessage::ScanlinesOutOfRange);
    return FBits.get() + qsizetype(row) * FStride;
}

QImage TKvBmp::ToImage() const
{
    if (!FBits)
        return QImage();
    const uchar *bits = FBits.get();
    return QImage(bits, FWidth, FHeight, FStride, QImage::Format_ARGB32).copy();
}

QPainter *TKvBmp::Canvas()
{
    return FHasSurface && FPainter.isActive() ? &FPainter : nullptr;
}

void TKvBmp::RequireSurface() const
{
    if (!FHasSurface)
        throw EKvInvalidGraphicOperation(KvGraphicMessage::NoBitmapCreated);
}

void TKvBmp::RequirePixels() const
{
    if (!FBits)
        throw EKvInvalidGraphicOperation(KvGraphicMessage::NoBitmapCreated);
}

void TKvBmp::CopyRowDown(int left, int width, int fromRow, int toRow)
{
    const quint32 *source = Row(fromRow) + left;
    for (int y = fromRow + 1; y < toRow; ++y)
        std::memcpy(Row(y) + left, source, std::size_t(width) * sizeof(quint32));
}

void TKvBmp::Fill(TColor colour)
{
    if (!FBits)
        return;
    KvFillPixels(Row(0), qsizetype(FWidth) * FHeight, KvPixelOf(colour, KvHighByteOf(colour)));
}

void TKvBmp::GradientRect(bool vertical, TColor endColour, TColor startColour, const TKvRect &rect)
{
    RequirePixels();
    const TKvRect r = rect.Intersected(FBounds);
    if (r.IsEmpty())
        return;
    if (vertical) {
        TKvColorRun run(startColour, endColour, r.Height());
        for (int y = r.Top; y < r.Bottom; ++y)
            KvFillPixels(Row(y) + r.Left, r.Width(), run.Next());
    } else {
        KvColorRun(Row(r.Top) + r.Left, r.Width(), startColour, endColour);
        CopyRowDown(r.Left, r.Width(), r.Top, r.Bottom);
    }
}

void TKvBmp::PipeRect(bool vertical, int shadow, bool longFirstPart, TColor edgeColour,
                      TColor highlightColour, const TKvRect &rect)
{
    RequireSurface();
    const TKvRect r = rect.Intersected(FBounds);
    if (r.IsEmpty())
        return;

    const int extent = vertical ? r.Height() : r.Width();
    const int d = longFirstPart ? (3 * extent) / 5 : (2 * extent) / 5;
    const quint32 keep = 255 - quint32(std::clamp(shadow, 0, 255));
    const TColor shadowColour = KvRgb(KvRedOf(edgeColour) * keep / 255, KvGreenOf(edgeColour) * keep / 255,
                                      KvBlueOf(edgeColour) * keep / 255);
    // The shadowed edge is the one farther from the highlight.
    const TColor first = longFirstPart ? shadowColour : edgeColour;
    const TColor farColour = longFirstPart ? edgeColour : shadowColour;

    if (vertical) {
        TKvColorRun toHighlight(first, highlightColour, d);
        for (int y = r.Top; y < r.Top + d; ++y)
            KvFillPixels(Row(y) + r.Left, r.Width(), toHighlight.Next());
        TKvColorRun fromHighlight(highlightColour, farColour, extent - d);
        for (int y = r.Top + d; y < r.Bottom; ++y)
            KvFillPixels(Row(y) + r.Left, r.Width(), fromHighlight.Next());
    } else {
        // The highlight sits on column d only; the far part starts with the
        // colour of column d - 1, so its neighbours mirror each other. With
        // d = 0 there is no column d - 1 and the far part starts with the
        // highlight.
        quint32 *row = Row(r.Top) + r.Left;
        KvColorRun(row, d + 1, first, highlightColour);
        const TColor farStart = d >= 1 ? KvColorOfPixel(row[d - 1]) : highlightColour;
        KvColorRun(row + d + 1, extent - d - 1, farStart, farColour);
        CopyRowDown(r.Left, r.Width(), r.Top, r.Bottom);
    }
}

void TKvBmp::BlitTo(QPainter *target, int x, int y) const
{
    BlitRectTo(target, x, y, FBounds);
}

void TKvBmp::BlitRectTo(QPainter *target, int x, int y, const TKvRect &source) const
{
    if (!target || !FBits)
        return;
    const TKvRect r = source.Intersected(FBounds);
    if (r.IsEmpty())
        return;
    // The alpha bytes are no part of the picture (a plain fill leaves 0), but
    // Qt takes an RGB32 image's alpha byte for 0xFF and may copy it as it is
    // into an image or a window with alpha. So the pixels go out through an
    // opaque twin, made once per size.
    if (FScreenImage.width() != FWidth || FScreenImage.height() != FHeight) {
        FScreenImage = QImage(FWidth, FHeight, QImage::Format_RGB32);
        if (FScreenImage.isNull())
            return;
    }
    for (int row = r.Top; row < r.Bottom; ++row) {
        const quint32 *from = Row(row);
        quint32 *to = reinterpret_cast<quint32 *>(FScreenImage.scanLine(row));
        for (int col = r.Left; col < r.Right; ++col)
            to[col] = from[col] | 0xFF000000u;
    }
    target->drawImage(QPoint(x + r.Left - source.Left, y + r.Top - source.Top), FScreenImage, r.ToQRect());
}

bool TKvBmp::SetFont(const QString &face, int pointSize, TColor colour, int pixelsPerInch, int style)
{
    if (!FHasSurface)
        return false;
    FHasFont = false;
    FFontHeight = 0;

    // A negative height asks for the character height without internal
    // leading, which is Qt's pixel size.
    const qint64 height = -(qint64(pointSize) * pixelsPerInch / 72);
    const int pixelSize = int(std::min<qint64>(height < 0 ? -height : height, 0x7FFF));

    QFont font;
    if (!face.isEmpty())
        font.setFamily(face.left(32));
    if (pixelSize > 0)
        font.setPixelSize(pixelSize);
    font.setWeight((style & KvFontStyle::Bold) ? QFont::Bold : QFont::Normal);
    font.setItalic(style & KvFontStyle::Italic);
    font.setUnderline(style & KvFontStyle::Underline);
    font.setStrikeOut(style & KvFontStyle::StrikeOut);
    font.setStyleStrategy(QFont::PreferOutline);

    FFont = font;
    FHasFont = true;
    FFontHeight = int(std::clamp<qint64>(height, -0x7FFF, 0x7FFF));
    if (FPainter.isActive())
        FPainter.setFont(FFont);
    if (colour != 1)
        SetFontColor(colour);
    return true;
}

TColor TKvBmp::SetFontColor(TColor colour)
{
    const TColor previous = FTextColor;
    FTextColor = colour & 0x00FFFFFFu;
    if (FPainter.isActive())
        FPainter.setPen(
            QColor(int(KvRedOf(FTextColor)), int(KvGreenOf(FTextColor)), int(KvBlueOf(FTextColor))));
    return previous;
}

void TKvBmp::SetTransparentText(bool transparent)
{
    FTransparentText = transparent;
    if (FPainter.isActive())
        FPainter.setBackgroundMode(transparent ? Qt::TransparentMode : Qt::OpaqueMode);
}

bool TKvBmp::DrawText(const QString &text, quint32 format, TKvRect &rect)
{
    RequireSurface();
    if (format & KvTextFormat::Calculate) {
        // Measuring draws nothing, so the rectangle is not clipped.
        if (FPainter.isActive())
            KvMeasureText(FPainter.fontMetrics(), text, format, rect);
        else
            KvMeasureText(QFontMetrics(FHasFont ? FFont : QFont()), text, format, rect);
        return true;
    }
    TKvRect clipped = rect.Intersected(FBounds);
    if (clipped.IsEmpty() || text.isEmpty() || !FPainter.isActive())
        return false;
    // Whoever drew on Canvas() may have changed the pen, the font or the clip.
    ApplyTextState();
    return KvDrawText(FPainter, text, format, clipped);
}

bool TKvBmp::DrawText(const QString &text, quint32 format, const TKvRect &rect)
{
    TKvRect copy = rect;
    return DrawText(text, format, copy);
}

bool TKvBmp::DrawCaption(const QString &text, quint32 format, const TKvRect &rect, TColor colour)
{
    const TColor previous = SetFontColor(colour);
    const bool drawn = DrawText(text, format & ~KvTextFormat::Calculate, rect);
    SetFontColor(previous);
    return drawn;
}

bool TKvBmp::MeasureText(TKvRect &rect, const QString &text, bool singleLine)
{
    RequireSurface();
    const quint32 format = singleLine ? KvTextFormat::SingleLine : 0;
    if (FPainter.isActive())
        KvMeasureText(FPainter.fontMetrics(), text, format, rect);
    else
        KvMeasureText(QFontMetrics(FHasFont ? FFont : QFont()), text, format, rect);
    return true;
}

void TKvBmp::DrawFocusRect(const TKvRect &rect)
{
    RequireSurface();
    const TKvRect r = rect.Intersected(FBounds);
    if (r.IsEmpty())
        return;
    // Every other pixel of the frame is inverted; each frame pixel is visited
    // once, so drawing the rectangle twice restores the picture.
    auto invert = [this](int x, int y) {
        if (((x + y) & 1) == 0)
            Row(y)[x] ^= 0x00FFFFFFu;
    };
    const int lastRow = r.Bottom - 1;
    const int lastColumn = r.Right - 1;
    for (int x = r.Left; x < r.Right; ++x) {
        invert(x, r.Top);
        if (lastRow != r.Top)
            invert(x, lastRow);
    }
    for (int y = r.Top + 1; y < lastRow; ++y) {
        invert(r.Left, y);
        if (lastColumn != r.Left)
            invert(lastColumn, y);
    }
}
