#pragma once

#include "kvcolor.h"
#include "kvgraphicerror.h"
#include "kvmasks.h"
#include "kvpixels.h"
#include "kvrect.h"
#include "kvtext.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QString>

#include <memory>

class QPaintDevice;
class TKvImageList;

// Style bits of SetFont.
namespace KvFontStyle {
constexpr int Bold = 1;
constexpr int Italic = 2;
constexpr int Underline = 4;
constexpr int StrikeOut = 8;
} // namespace KvFontStyle

// The off-screen 32-bit bitmap every custom-painted control draws on before
// the finished picture is copied to the screen in one piece.
//
// Pixels: 4 bytes each in the order blue, green, red, alpha (a little-endian
// word 0xAARRGGBB), rows top-down, stride exactly width × 4, alpha not
// premultiplied; a new bitmap is all 0xFF bytes. The pixel routines are
// integer-only and take TColor values as they are (resolve system colours
// first); rectangles are clipped to the bitmap before use.
//
// The text surface is a QPainter kept open on a QImage that wraps the pixel
// buffer without copying. The image is Format_RGB32 (same bytes; the alpha
// byte is ignored when read), so text is blended against the colour of the
// pixels whatever their alpha. BlitTo copies the picture out without its
// alpha (through an opaque twin made once per size), as the controls need.
// The painter stays open from Create to Free, so nothing is allocated per
// paint once the bitmap has its size.
//
// Errors are raised as EKvInvalidGraphicOperation.
class TKvBmp
{
public:
    TKvBmp();
    // `surfaceHint` is the surface the bitmap is drawn for (may be null);
    // the pixels are always the 32-bit format above.
    TKvBmp(const QPaintDevice *surfaceHint, int width, int height);

    // Builds the pixel buffer (all 0xFF) and surface for the current size;
    // a width or height of 0 leaves the bitmap empty. A buffer that cannot be
    // had is reported through the plain-message function and leaves the
    // bitmap empty.
    virtual void Create(const QPaintDevice *surfaceHint);

protected:
    // Forgets everything without releasing it; for the constructors only.
    virtual void ResetHandles();

public:
    virtual ~TKvBmp();
    // Takes the size and a copy of the pixels of `other`; null does nothing.
    virtual void Assign(const TKvBmp *other);

    TKvBmp(const TKvBmp &) = delete;
    TKvBmp &operator=(const TKvBmp &) = delete;

    // Releases the pixels and, when asked, the surface. The bounds become
    // empty; Width() and Height() keep their values.
    void Free(bool releaseSurface);
    // Negative sizes count as their absolute value; the current size does
    // nothing. Otherwise rebuilds pixels (0xFF) and surface and selects the
    // font again; text colour and background mode return to black and opaque.
    // With keepContent the overlapping top-left part of the old pixels stays.
    void SetSize(int width, int height, bool keepContent);

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    int Stride() const { return FStride; }
    const TKvRect &Bounds() const { return FBounds; }
    bool HasPixels() const { return FBits != nullptr; }
    bool HasSurface() const { return FHasSurface; }

    // The first byte of row `row`.
    uchar *ScanLine(int row);
    const uchar *ScanLine(int row) const;
    // The pixel word at (x, y) (ScanLine's checks apply; x is not checked).
    quint32 Pixel(int x, int y) const { return reinterpret_cast<const quint32 *>(ScanLine(y))[x]; }

    // A copy of the pixels as a QImage of Format_ARGB32 (null when empty).
    QImage ToImage() const;
    // The text surface, for drawing with Qt onto the pixels (an image list
    // image, a background). Null while there is no surface or no pixels.
    // The bitmap's own text sets its font, colour, mode and clip again.
    QPainter *Canvas();

    // Pixel routines.
    void Fill(TColor colour);
    void GradientRect(bool vertical, TColor endColour, TColor startColour, const TKvRect &rect);
    void PipeRect(bool vertical, int shadow, bool longFirstPart, TColor edgeColour, TColor highlightColour,
                  const TKvRect &rect);

    // Copy out, alpha ignored, no clipping: the target takes what fits.
    void BlitTo(QPainter *target, int x, int y) const;
    void BlitRectTo(QPainter *target, int x, int y, const TKvRect &source) const;

    // Text.
    bool SetFont(const QString &face, int pointSize, TColor colour, int pixelsPerInch, int style);
    // The character height last asked for: -(points × ppi / 72), 0 without font.
    int FontHeight() const { return FFontHeight; }
    const QFont &Font() const { return FFont; }
    TColor SetFontColor(TColor colour);
    TColor FontColor() const { return FTextColor; }
    void SetTransparentText(bool transparent);
    bool TransparentText() const { return FTransparentText; }
    // Draws into `rect` clipped to the bitmap; with the calculate flag only
    // measures, writing the extent back into `rect`.
    bool DrawText(const QString &text, quint32 format, TKvRect &rect);
    bool DrawText(const QString &text, quint32 format, const TKvRect &rect);
    bool DrawCaption(const QString &text, quint32 format, const TKvRect &rect, TColor colour);
    bool MeasureText(TKvRect &rect, const QString &text, bool singleLine);
    // Inverts every other pixel along the inside of `rect` (the dotted focus
    // rectangle); drawing it twice restores the pixels.
    void DrawFocusRect(const TKvRect &rect);

    // Button faces (used by the custom button).
    void ButtonFace(int shadow, bool pipe, TColor dark, TColor light, const TKvRect &rect);
    void ButtonFacePressed(int shadow, bool pipe, TColor dark, TColor light, const TKvRect &rect);
    void FlatFaceHot(const TKvRect &rect);
    void FlatFacePressed(const TKvRect &rect);
    void DarkRoundFrame(const TKvRect &rect, int amount);
    void LightInnerFrame(const TKvRect &rect, int amount);
    void RoundFrame(const TKvRect &rect, TColor colour);
    void FocusFrame(const TKvRect &rect, TColor colour);
    void FillSoftRect(const TKvRect &rect, TColor colour);
    void DrawMask(int x, int y, TKvMask mask, TColor colour);
    bool CopyImageFromImageList(const TKvImageList *list, int index);
    void GreyScale();
    void DrawAlpha(const TKvBmp *source, int x, int y);

private:
    quint32 *Row(int y) { return reinterpret_cast<quint32 *>(FBits.get()) + qsizetype(y) * FWidth; }
    const quint32 *Row(int y) const
    {
        return reinterpret_cast<const quint32 *>(FBits.get()) + qsizetype(y) * FWidth;
    }
    void RequireSurface() const;
    void RequirePixels() const;
    void BindSurface();
    void ReleaseSurface();
    void ApplyTextState();
    void CopyRowDown(int left, int width, int fromRow, int toRow);

    int FWidth = 0;
    int FHeight = 0;
    int FStride = 0;
    std::unique_ptr<uchar[]> FBits;
    TKvRect FBounds;

    // The surface: the painter on FSurfaceImage (only while there are pixels)
    // and the text state that belongs to it.
    bool FHasSurface = false;
    QImage FSurfaceImage;
    QPainter FPainter;
    TColor FTextColor = 0;
    bool FTransparentText = false;

    // The opaque twin of the pixels that BlitTo copies out.
    mutable QImage FScreenImage;

    // The font outlives the surface: it is selected again after a rebuild.
    bool FHasFont = false;
    QFont FFont;
    int FFontHeight = 0;
};
