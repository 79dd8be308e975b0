#pragma once

#include <QByteArray>
#include <QImage>
#include <QObject>
#include <QString>

#include <memory>

class TKvBmp;
class TKvImageList;

// Decodes a PNG file held in memory with libpng. The result is Format_ARGB32
// (not premultiplied) when the file carries transparency (an alpha channel or
// a transparency chunk) and Format_RGB32 otherwise; both store a pixel as the
// bytes blue, green, red, alpha like a TKvBmp. On failure the result is a null
// image and `error` (when given) says why.
QImage KvDecodePng(const QByteArray &data, QString *error = nullptr);

// Holds one PNG picture and scales it down to the screen's pixel density.
//
// Pictures are made for SourceDPI pixels per inch (144 unless told); on a
// screen of lower density resizePng resamples colour and alpha once to the
// screen's density with an area average (a 64 × 64 picture becomes 42 × 42 at
// 96 ppi and stays 64 × 64 at 144 or 192 ppi). The holder can draw the picture
// over a background captured once from a bitmap, and add it to an image list.
//
// The picture is a QImage: Format_ARGB32 when it has alpha, Format_RGB32 when
// it is opaque (an opaque picture never gains an alpha channel).
class TKvPngRC : public QObject
{
    Q_OBJECT

public:
    explicit TKvPngRC(QObject *parent = nullptr);
    ~TKvPngRC() override;

    // The held picture.
    const QImage &Image() const { return FImage; }
    // Takes a copy of `image` (any format; it keeps alpha only when the image
    // has an alpha channel) and scales it when AutoSize is on.
    void SetImage(const QImage &image);

    // Loads a PNG file; a path starting with ":/" names a Qt resource. Scales
    // when AutoSize is on. On failure the picture becomes empty, the result is
    // false and LastError() says why.
    bool LoadFromFile(const QString &path);
    // The same for the bytes of a PNG file.
    bool LoadFromData(const QByteArray &data);
    const QString &LastError() const { return FLastError; }

    bool IsEmpty() const { return FImage.isNull(); }
    int Width() const { return FImage.width(); }
    int Height() const { return FImage.height(); }
    bool HasAlpha() const { return FHasAlpha; }

    // Scale on every change of the picture and before drawing.
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool on) { FAutoSize = on; }

    // The pixels per inch the picture was made for; set to the screen's
    // density once the picture has been scaled.
    int SourceDPI() const { return FSourceDPI; }
    void SetSourceDPI(int dpi) { FSourceDPI = dpi; }

    // Scales the picture to SysDPI() when that is lower than SourceDPI():
    // new size = size × SysDPI / SourceDPI (truncated, at least 1), then
    // SourceDPI becomes SysDPI, so a second call does nothing.
    void resizePng();

    // Draws the picture at (x, y) of `canvas`. The first call (and every call
    // with `refresh`) captures the canvas pixels under the picture and blends
    // the picture onto that copy; every call copies the composite to the
    // canvas, so a later change of the background under the picture is not
    // picked up without `refresh`. Returns false when there is nothing to draw
    // or the canvas has no pixels.
    bool Draw(TKvBmp *canvas, int x, int y, bool refresh);

    // Adds the picture to `list` as an opaque image (its alpha ignored) and
    // returns the new index; -1 for an empty picture, no list or a list of
    // another image size.
    int AddToImageList(TKvImageList *list);

    // The screen's pixels per inch, shared by all holders: the primary
    // screen's logical density, read on first use (96 without a screen).
    static int SysDPI();
    // Replaces the screen's density (tests); 0 reads it from the screen again.
    static void SetSysDPI(int dpi);

private:
    void PictureChanged();

    QImage FImage;
    bool FHasAlpha = false;
    bool FAutoSize = false;
    int FSourceDPI = 144;
    QString FLastError;
    // The background under the picture with the picture blended onto it.
    std::unique_ptr<TKvBmp> FBackground;

    static int FSysDPI;
};
