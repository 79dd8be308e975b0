#include "kvpngrc.h"

#include "kvbmp.h"
#include "kvimagelist.h"

#include <QFile>
#include <QGuiApplication>
#include <QScreen>

#include <png.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// Bounds on the size of a decoded picture, so that a hostile header cannot
// make the decoder ask for gigabytes.
constexpr quint32 MaxSide = 16384;
constexpr qint64 MaxPixels = qint64(1) << 26;

constexpr int DefaultDPI = 96;

// One source row or column contributing to an output pixel, and how much of
// the output pixel it covers.
struct Tap
{
    int index;
    qint64 weight;
};

// For each of `to` output pixels along one axis, the source pixels it covers.
// Coordinates are counted in units of 1/to of a source pixel: source pixel i
// spans [i × to, (i + 1) × to) and output pixel j spans [j × from, (j + 1) ×
// from), so every overlap is a whole number and the weights of one output
// pixel add up to `from`.
std::vector<std::vector<Tap>> AreaTaps(int from, int to)
{
    std::vector<std::vector<Tap>> taps(static_cast<std::size_t>(to));
    for (int j = 0; j < to; ++j) {
        const qint64 start = qint64(j) * from;
        const qint64 end = start + from;
        for (qint64 i = start / to; i * to < end; ++i) {
            const qint64 overlap = std::min(end, (i + 1) * to) - std::max(start, i * to);
            if (overlap > 0)
                taps[std::size_t(j)].push_back(Tap{int(i), overlap});
        }
    }
    return taps;
}

// Shrinks `src` (Format_ARGB32 or Format_RGB32) to w × h by averaging every
// source pixel over the area it covers. Colour is weighted by alpha, so the
// colour of fully transparent pixels does not bleed into the edges; alpha is
// averaged on its own. An opaque picture stays opaque in the same format.
QImage AreaAverage(const QImage &src, int w, int h, bool hasAlpha)
{
    QImage dst(w, h, src.format());
    if (dst.isNull())
        return dst;
    const auto xTaps = AreaTaps(src.width(), w);
    const auto yTaps = AreaTaps(src.height(), h);
    const qint64 area = qint64(src.width()) * src.height();

    for (int y = 0; y < h; ++y) {
        auto *out = reinterpret_cast<QRgb *>(dst.scanLine(y));
        for (int x = 0; x < w; ++x) {
            qint64 sumA = 0, sumR = 0, sumG = 0, sumB = 0;
            for (const Tap &ty : yTaps[std::size_t(y)]) {
                const auto *in = reinterpret_cast<const QRgb *>(src.constScanLine(ty.index));
                for (const Tap &tx : xTaps[std::size_t(x)]) {
                    const QRgb p = in[tx.index];
                    const qint64 weight = tx.weight * ty.weight;
                    const qint64 a = hasAlpha ? qAlpha(p) * weight : 255 * weight;
                    sumA += a;
                    sumR += qRed(p) * a;
                    sumG += qGreen(p) * a;
                    sumB += qBlue(p) * a;
                }
            }
            if (sumA == 0) {
                out[x] = qRgba(0, 0, 0, 0);
                continue;
            }
            const auto channel = [sumA](qint64 sum) { return int((sum + sumA / 2) / sumA); };
            const int alpha = hasAlpha ? int((sumA + area / 2) / area) : 255;
            out[x] = qRgba(channel(sumR), channel(sumG), channel(sumB), alpha);
        }
    }
    return dst;
}

quint32 BlendChannel(quint32 background, quint32 picture, quint32 alpha)
{
    return (background * (255 - alpha) + picture * alpha) >> 8;
}

} // namespace

QImage KvDecodePng(const QByteArray &data, QString *error)
{
    const auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return QImage();
    };
    if (data.isEmpty())
        return fail(QStringLiteral("no data"));

    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    // png_image_free may be called at any time and more than once.
    struct Release
    {
        png_image *image;
        ~Release() { png_image_free(image); }
    } release{&png};

    if (!png_image_begin_read_from_memory(&png, data.constData(), std::size_t(data.size())))
        return fail(QString::fromLatin1(png.message));
    if (png.width == 0 || png.height == 0 || png.width > MaxSide || png.height > MaxSide
        || qint64(png.width) * png.height > MaxPixels)
        return fail(
            QStringLiteral("the picture is too large (%1 x %2 pixels)").arg(png.width).arg(png.height));

    // 16-bit samples without gamma information are sRGB like everything else
    // (libpng would take them as linear and brighten them).
    png.flags |= PNG_IMAGE_FLAG_16BIT_sRGB;
    // Transparency may come from an alpha channel or from a transparency chunk.
    const bool hasAlpha = (png.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    png.format = PNG_FORMAT_BGRA; // 8-bit sRGB, not premultiplied: the byte order of QImage::Format_ARGB32
    QImage image(int(png.width), int(png.height), QImage::Format_ARGB32);
    if (image.isNull())
        return fail(QStringLiteral("not enough memory for the picture"));
    if (!png_image_finish_read(&png, nullptr, image.bits(), png_int_32(image.bytesPerLine()), nullptr))
        return fail(QString::fromLatin1(png.message));
    if (!hasAlpha)
        image.reinterpretAsFormat(QImage::Format_RGB32); // every alpha byte is already 255
    return image;
}

int TKvPngRC::FSysDPI = 0;

TKvPngRC::TKvPngRC(QObject *parent)
    : QObject(parent)
{}

TKvPngRC::~TKvPngRC() = default;

void TKvPngRC::SetImage(const QImage &image)
{
    FLastError.clear();
    if (image.isNull()) {
        FImage = QImage();
        FHasAlpha = false;
    } else {
        FHasAlpha = image.hasAlphaChannel();
        FImage = image.convertToFormat(FHasAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        FImage.setDevicePixelRatio(1); // the holder counts pixels; density is SourceDPI's business
    }
    PictureChanged();
}

bool TKvPngRC::LoadFromFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        SetImage(QImage());
        FLastError = QStringLiteral("Cannot open the picture \"%1\": %2").arg(path, file.errorString());
        return false;
    }
    const QByteArray data = file.readAll();
    if (LoadFromData(data))
        return true;
    FLastError = QStringLiteral("\"%1\": %2").arg(path, FLastError);
    return false;
}

bool TKvPngRC::LoadFromData(const QByteArray &data)
{
    QString error;
    const QImage image = KvDecodePng(data, &error);
    SetImage(image);
    if (image.isNull()) {
        FLastError = QStringLiteral("The PNG picture cannot be read: %1").arg(error);
        return false;
    }
    return true;
}

void TKvPngRC::PictureChanged()
{
    // A composite of the old picture must not be shown for the new one.
    FBackground.reset();
    if (FAutoSize)
        resizePng();
}

void TKvPngRC::resizePng()
{
    const int screen = SysDPI();
    if (FImage.isNull() || FSourceDPI <= 0 || screen >= FSourceDPI)
        return;
    const int w = std::max(1, int(qint64(FImage.width()) * screen / FSourceDPI));
    const int h = std::max(1, int(qint64(FImage.height()) * screen / FSourceDPI));
    const QImage scaled = AreaAverage(FImage, w, h, FHasAlpha);
    if (scaled.isNull())
        return; // out of memory: keep the picture at its size
    FImage = scaled;
    FSourceDPI = screen;
    FBackground.reset();
}

bool TKvPngRC::Draw(TKvBmp *canvas, int x, int y, bool refresh)
{
    if (!canvas || !canvas->HasPixels())
        return false;
    if (FAutoSize)
        resizePng();
    if (FImage.isNull())
        return false;
    const int w = FImage.width();
    const int h = FImage.height();
    const TKvRect area = TKvRect{x, y, x + w, y + h}.Intersected(canvas->Bounds());

    if (!FBackground || refresh || FBackground->Width() != w || FBackground->Height() != h) {
        auto background = std::make_unique<TKvBmp>(nullptr, w, h);
        if (!background->HasPixels())
            return false;
        for (int row = area.Top; row < area.Bottom; ++row)
            std::memcpy(background->ScanLine(row - y) + (area.Left - x) * 4,
                        canvas->ScanLine(row) + area.Left * 4, std::size_t(area.Width()) * 4);
        // Blend the picture onto the captured pixels; their alpha stays.
        for (int row = 0; row < h; ++row) {
            const auto *src = reinterpret_cast<const quint32 *>(FImage.constScanLine(row));
            auto *dst = reinterpret_cast<quint32 *>(background->ScanLine(row));
            for (int col = 0; col < w; ++col) {
                const quint32 p = src[col];
                const quint32 a = FHasAlpha ? KvPixelAlpha(p) : 255;
                if (a < 8)
                    continue;
                const quint32 b = dst[col];
                if (a > 240) {
                    dst[col] = (b & 0xFF000000u) | (p & 0x00FFFFFFu);
                    continue;
                }
                dst[col] = KvMakePixel(BlendChannel(KvPixelRed(b), KvPixelRed(p), a),
                                       BlendChannel(KvPixelGreen(b), KvPixelGreen(p), a),
                                       BlendChannel(KvPixelBlue(b), KvPixelBlue(p), a), KvPixelAlpha(b));
            }
        }
        FBackground = std::move(background);
    }

    for (int row = area.Top; row < area.Bottom; ++row)
        std::memcpy(canvas->ScanLine(row) + area.Left * 4,
                    FBackground->ScanLine(row - y) + (area.Left - x) * 4, std::size_t(area.Width()) * 4);
    return true;
}

int TKvPngRC::AddToImageList(TKvImageList *list)
{
    if (!list)
        return -1;
    if (FAutoSize)
        resizePng();
    if (FImage.isNull())
        return -1;
    // A plain bitmap: the colour as stored, alpha ignored.
    QImage opaque = FImage.convertToFormat(QImage::Format_ARGB32);
    for (int row = 0; row < opaque.height(); ++row) {
        auto *pixels = reinterpret_cast<quint32 *>(opaque.scanLine(row));
        for (int col = 0; col < opaque.width(); ++col)
            pixels[col] |= 0xFF000000u;
    }
    return list->Add(opaque);
}

int TKvPngRC::SysDPI()
{
    if (FSysDPI > 0)
        return FSysDPI;
    int dpi = 0;
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        if (const QScreen *screen = QGuiApplication::primaryScreen())
            dpi = qRound(screen->logicalDotsPerInch());
    }
    if (dpi <= 0)
        return DefaultDPI; // no screen yet: ask again next time
    FSysDPI = dpi;
    return FSysDPI;
}

void TKvPngRC::SetSysDPI(int dpi)
{
    FSysDPI = std::max(dpi, 0);
}
