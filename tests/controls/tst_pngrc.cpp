#include "kvbmp.h"
#include "kvimagelist.h"
#include "kvpngrc.h"

#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <png.h>

#include <cstring>

namespace {

QImage filled(int w, int h, QImage::Format format, QRgb colour)
{
    QImage img(w, h, format);
    img.fill(colour);
    return img;
}

// A checker of single pixels: a at (0, 0), b beside it.
QImage checker(int w, int h, QImage::Format format, QRgb a, QRgb b)
{
    QImage img(w, h, format);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, (x + y) % 2 ? b : a);
    return img;
}

QByteArray pngBytes(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// Encodes 2 × 2 pixels, given as RGBA bytes, in the PNG layout `format`
// (libpng's simplified formats: grey, grey + alpha, RGB, RGBA, colour-mapped).
QByteArray encodeWithLibpng(png_uint_32 format, const quint8 (&rgba)[4][4])
{
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    png.width = 2;
    png.height = 2;
    png.format = format;
    // The samples of each colour in the layout's channel order (grey layouts
    // take the green sample).
    const int channels = PNG_IMAGE_SAMPLE_CHANNELS(format);
    quint8 samples[16];
    for (int i = 0; i < 4; ++i) {
        const quint8 grey[4] = {rgba[i][1], rgba[i][3], 0, 0};
        std::memcpy(samples + i * channels, channels <= 2 ? grey : rgba[i], std::size_t(channels));
    }
    quint8 pixels[16];
    const bool mapped = (format & PNG_FORMAT_FLAG_COLORMAP) != 0;
    if (mapped) {
        // Pixel i uses entry i of a map that holds the colours.
        png.colormap_entries = 4;
        for (int i = 0; i < 4; ++i)
            pixels[i] = quint8(i);
    } else {
        std::memcpy(pixels, samples, sizeof samples);
    }
    quint8 *colormap = mapped ? samples : nullptr;
    png_alloc_size_t size = 0;
    png_image_write_to_memory(&png, nullptr, &size, 0, pixels, 0, colormap);
    QByteArray out(qsizetype(size), '\0');
    if (!png_image_write_to_memory(&png, out.data(), &size, 0, pixels, 0, colormap))
        return QByteArray();
    out.resize(qsizetype(size));
    return out;
}

// The CRC of a PNG chunk (type and data), for building corrupt files that
// still pass the checksum.
quint32 pngCrc(const char *data, qsizetype length)
{
    quint32 crc = 0xFFFFFFFFu;
    for (qsizetype i = 0; i < length; ++i) {
        crc ^= quint8(data[i]);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void putBigEndian(char *at, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = char(value >> (24 - 8 * i));
}

quint32 bigEndian(const char *at)
{
    return quint32(quint8(at[0])) << 24 | quint32(quint8(at[1])) << 16 | quint32(quint8(at[2])) << 8
           | quint8(at[3]);
}

// Rewrites the CRC of the chunk that starts at `chunk` (its length field).
void fixCrc(QByteArray &png, qsizetype chunk)
{
    const quint32 length = bigEndian(png.constData() + chunk);
    const qsizetype crcAt = chunk + 8 + qsizetype(length);
    putBigEndian(png.data() + crcAt, pngCrc(png.constData() + chunk + 4, 4 + qsizetype(length)));
}

int channelDistance(QRgb a, QRgb b)
{
    return std::max({qAbs(qRed(a) - qRed(b)), qAbs(qGreen(a) - qGreen(b)), qAbs(qBlue(a) - qBlue(b)),
                     qAbs(qAlpha(a) - qAlpha(b))});
}

// Whether any pixel of the w × h cell at x of `strip` is not fully transparent.
bool cellHasContent(const QImage &strip, int x, int w)
{
    for (int y = 0; y < strip.height(); ++y)
        for (int i = x; i < x + w; ++i)
            if (qAlpha(strip.pixel(i, y)) != 0)
                return true;
    return false;
}

} // namespace

class TestPngRC : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { TKvPngRC::SetSysDPI(96); }
    void cleanupTestCase() { TKvPngRC::SetSysDPI(0); }

    void screenDensity();
    void scaling_data();
    void scaling();
    void areaAverage_data();
    void areaAverage();
    void autoSize();
    void resources_data();
    void resources();
    void imageListStrips_data();
    void imageListStrips();
    void decodeLayouts_data();
    void decodeLayouts();
    void sixteenBitSamples();
    void loadFromFile();
    void corrupt_data();
    void corrupt();
    void draw_data();
    void draw();
    void drawKeepsCompositeUntilRefresh();
    void drawClipsToCanvas();
    void addToImageList();
};

void TestPngRC::screenDensity()
{
    TKvPngRC::SetSysDPI(0);
    const QScreen *screen = QGuiApplication::primaryScreen();
    QVERIFY(screen);
    QCOMPARE(TKvPngRC::SysDPI(), qRound(screen->logicalDotsPerInch()));
    TKvPngRC::SetSysDPI(120);
    QCOMPARE(TKvPngRC::SysDPI(), 120);
}

void TestPngRC::scaling_data()
{
    QTest::addColumn<int>("screenDpi");
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("alpha");
    QTest::addColumn<int>("expectedSize");
    QTest::addColumn<int>("expectedSourceDpi");

    for (const bool alpha : {false, true}) {
        const char *kind = alpha ? "alpha" : "opaque";
        QTest::addRow("%s 64 at 96 ppi", kind) << 96 << 64 << alpha << 42 << 96;
        QTest::addRow("%s 64 at 120 ppi", kind) << 120 << 64 << alpha << 53 << 120;
        QTest::addRow("%s 64 at 144 ppi", kind) << 144 << 64 << alpha << 64 << 144;
        QTest::addRow("%s 64 at 192 ppi", kind) << 192 << 64 << alpha << 64 << 144;
        QTest::addRow("%s 1 at 96 ppi keeps a pixel", kind) << 96 << 1 << alpha << 1 << 96;
    }
}

void TestPngRC::scaling()
{
    QFETCH(int, screenDpi);
    QFETCH(int, size);
    QFETCH(bool, alpha);
    QFETCH(int, expectedSize);
    QFETCH(int, expectedSourceDpi);

    TKvPngRC::SetSysDPI(screenDpi);
    TKvPngRC rc;
    rc.SetImage(alpha ? filled(size, size, QImage::Format_ARGB32, qRgba(10, 20, 30, 128))
                      : filled(size, size, QImage::Format_RGB32, qRgb(10, 20, 30)));
    QCOMPARE(rc.SourceDPI(), 144);
    QCOMPARE(rc.Width(), size); // not scaled without AutoSize

    rc.resizePng();
    QCOMPARE(rc.Width(), expectedSize);
    QCOMPARE(rc.Height(), expectedSize);
    QCOMPARE(rc.SourceDPI(), expectedSourceDpi);
    // An opaque picture gets no alpha channel; a transparent one keeps it.
    QCOMPARE(rc.HasAlpha(), alpha);
    QCOMPARE(rc.Image().hasAlphaChannel(), alpha);
    QCOMPARE(rc.Image().pixel(0, 0), alpha ? qRgba(10, 20, 30, 128) : qRgb(10, 20, 30));

    // A second call does nothing.
    rc.resizePng();
    QCOMPARE(rc.Width(), expectedSize);
}

void TestPngRC::areaAverage_data()
{
    QTest::addColumn<int>("screenDpi");
    QTest::addColumn<QImage>("source");
    QTest::addColumn<QImage>("expected");

    const QRgb black = qRgb(0, 0, 0), white = qRgb(255, 255, 255);
    const QRgb grey = qRgb(128, 128, 128); // 127.5 rounded
    QTest::addRow("2x2 checker gives the mean") << 72 << checker(2, 2, QImage::Format_RGB32, black, white)
                                                << filled(1, 1, QImage::Format_RGB32, grey);
    QTest::addRow("4x4 checker gives the mean everywhere")
        << 72 << checker(4, 4, QImage::Format_RGB32, white, black)
        << filled(2, 2, QImage::Format_RGB32, grey);
    QTest::addRow("uniform colour survives a fractional ratio")
        << 96 << filled(64, 64, QImage::Format_RGB32, qRgb(10, 200, 90))
        << filled(42, 42, QImage::Format_RGB32, qRgb(10, 200, 90));

    // Three columns 0, 90, 180 into two: each output pixel covers one and a
    // half source pixels, (0 + 90 / 2) / 1.5 = 30 and (90 / 2 + 180) / 1.5 = 150.
    QImage ramp(3, 3, QImage::Format_RGB32);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x)
            ramp.setPixel(x, y, qRgb(90 * x, 90 * x, 90 * x));
    QImage rampExpected(2, 2, QImage::Format_RGB32);
    for (int y = 0; y < 2; ++y) {
        rampExpected.setPixel(0, y, qRgb(30, 30, 30));
        rampExpected.setPixel(1, y, qRgb(150, 150, 150));
    }
    QTest::addRow("fractional coverage is weighted") << 96 << ramp << rampExpected;

    // Alpha is averaged; the colour of a fully transparent pixel does not
    // leak into its neighbours.
    QTest::addRow("alpha checker") << 72
                                   << checker(2, 2, QImage::Format_ARGB32, qRgba(255, 0, 0, 255),
                                              qRgba(0, 255, 0, 0))
                                   << filled(1, 1, QImage::Format_ARGB32, qRgba(255, 0, 0, 128));
    QTest::addRow("fully transparent stays transparent")
        << 72 << filled(4, 4, QImage::Format_ARGB32, qRgba(50, 60, 70, 0))
        << filled(2, 2, QImage::Format_ARGB32, qRgba(0, 0, 0, 0));
}

void TestPngRC::areaAverage()
{
    QFETCH(int, screenDpi);
    QFETCH(QImage, source);
    QFETCH(QImage, expected);

    TKvPngRC::SetSysDPI(screenDpi);
    TKvPngRC rc;
    rc.SetImage(source);
    rc.resizePng();
    QCOMPARE(rc.Image().size(), expected.size());
    QCOMPARE(rc.Image().format(), expected.format());
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x) {
            const QRgb got = rc.Image().pixel(x, y), want = expected.pixel(x, y);
            if (qAlpha(want) == 0)
                QVERIFY2(qAlpha(got) == 0,
                         qPrintable(QStringLiteral("(%1, %2) not transparent").arg(x).arg(y)));
            else
                QVERIFY2(channelDistance(got, want) <= 1, qPrintable(QStringLiteral("(%1, %2) is %3, not %4")
                                                                         .arg(x)
                                                                         .arg(y)
                                                                         .arg(got, 8, 16)
                                                                         .arg(want, 8, 16)));
        }
}

void TestPngRC::autoSize()
{
    TKvPngRC rc;
    rc.SetAutoSize(true);
    QVERIFY2(rc.LoadFromFile(QStringLiteral(":/msg-info.png")), qPrintable(rc.LastError()));
    QCOMPARE(rc.Width(), 42);
    QCOMPARE(rc.SourceDPI(), 96);

    TKvPngRC manual;
    QVERIFY(manual.LoadFromFile(QStringLiteral(":/msg-info.png")));
    QCOMPARE(manual.Width(), 64);
    QCOMPARE(manual.SourceDPI(), 144);
}

void TestPngRC::resources_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");

    QTest::addRow("item images") << "ilitems" << QSize(12 * 15, 12);
    QTest::addRow("button images") << "ilbuttons" << QSize(16 * 28, 16);
    QTest::addRow("question") << "msg-question" << QSize(64, 64);
    QTest::addRow("exclamation") << "msg-exclamation" << QSize(64, 64);
    QTest::addRow("error") << "msg-error" << QSize(64, 64);
    QTest::addRow("information") << "msg-info" << QSize(64, 64);
    QTest::addRow("logo") << "logo" << QSize(500, 200);
    QTest::addRow("ok glyph") << "ok" << QSize(16, 16);
}

void TestPngRC::resources()
{
    QFETCH(QString, name);
    QFETCH(QSize, size);

    for (const int scale : {1, 2}) {
        const QString path =
            QStringLiteral(":/%1%2.png").arg(name, scale == 1 ? QString() : QStringLiteral("@2x"));
        TKvPngRC rc;
        QVERIFY2(rc.LoadFromFile(path), qPrintable(rc.LastError()));
        QCOMPARE(rc.Image().size(), size * scale);
        QVERIFY(rc.HasAlpha());
        QCOMPARE(rc.Image().format(), QImage::Format_ARGB32);
        // Decoded as Qt decodes it (same colours, not premultiplied).
        QImage reference(path);
        reference.setDevicePixelRatio(1); // Qt's reader takes 2 from the "@2x" name
        QCOMPARE(rc.Image(), reference.convertToFormat(QImage::Format_ARGB32));
    }
}

void TestPngRC::imageListStrips_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("size");
    QTest::addColumn<QList<int>>("used");

    QTest::addRow("items") << "ilitems" << 12 << QList<int>{0, 1, 2, 3, 4, 11, 12, 13, 14};
    QTest::addRow("buttons") << "ilbuttons" << 16
                             << QList<int>{0, 1, 7, 8, 9, 11, 13, 17, 18, 19, 24, 25, 26, 27};
}

void TestPngRC::imageListStrips()
{
    QFETCH(QString, name);
    QFETCH(int, size);
    QFETCH(QList<int>, used);

    for (const int scale : {1, 2}) {
        const QImage strip(
            QStringLiteral(":/%1%2.png").arg(name, scale == 1 ? QString() : QStringLiteral("@2x")));
        QCOMPARE(strip.height(), size * scale);
        TKvImageList list(size * scale, size * scale);
        QCOMPARE(list.AddStrip(strip), 0);
        QCOMPARE(list.Count(), strip.width() / (size * scale));
        for (int i = 0; i < list.Count(); ++i)
            QVERIFY2(cellHasContent(list.Image(i), 0, size * scale) == used.contains(i),
                     qPrintable(QStringLiteral("image %1 at scale %2").arg(i).arg(scale)));
    }
}

void TestPngRC::decodeLayouts_data()
{
    QTest::addColumn<uint>("format");
    QTest::addColumn<bool>("alpha");

    QTest::addRow("grey") << uint(PNG_FORMAT_GRAY) << false;
    QTest::addRow("grey with alpha") << uint(PNG_FORMAT_GA) << true;
    QTest::addRow("colour") << uint(PNG_FORMAT_RGB) << false;
    QTest::addRow("colour with alpha") << uint(PNG_FORMAT_RGBA) << true;
    QTest::addRow("palette") << uint(PNG_FORMAT_RGB_COLORMAP) << false;
    QTest::addRow("palette with transparency") << uint(PNG_FORMAT_RGBA_COLORMAP) << true;
}

void TestPngRC::decodeLayouts()
{
    QFETCH(uint, format);
    QFETCH(bool, alpha);

    // Grey layouts keep only the green sample, so use greys throughout.
    const quint8 rgba[4][4] = {{0, 0, 0, 255}, {200, 200, 200, 255}, {90, 90, 90, 0}, {40, 40, 40, 128}};
    const QByteArray png = encodeWithLibpng(format, rgba);
    QVERIFY(!png.isEmpty());

    TKvPngRC rc;
    QVERIFY2(rc.LoadFromData(png), qPrintable(rc.LastError()));
    QCOMPARE(rc.Image().size(), QSize(2, 2));
    QCOMPARE(rc.HasAlpha(), alpha);
    QCOMPARE(rc.Image().format(), alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    QCOMPARE(rc.Image().pixel(1, 0), qRgb(200, 200, 200));
    if (alpha) {
        QCOMPARE(qAlpha(rc.Image().pixel(0, 1)), 0);
        QCOMPARE(rc.Image().pixel(1, 1), qRgba(40, 40, 40, 128));
    } else {
        QCOMPARE(rc.Image().pixel(0, 1), qRgb(90, 90, 90));
    }
}

void TestPngRC::sixteenBitSamples()
{
    // Qt writes 16-bit samples without gamma information; they are sRGB.
    QImage deep(2, 1, QImage::Format_RGBA64);
    deep.setPixelColor(0, 0, QColor(64, 128, 200));
    deep.setPixelColor(1, 0, QColor(10, 20, 30, 128));
    TKvPngRC rc;
    QVERIFY2(rc.LoadFromData(pngBytes(deep)), qPrintable(rc.LastError()));
    QVERIFY(rc.HasAlpha());
    QCOMPARE(rc.Image().pixel(0, 0), qRgb(64, 128, 200));
    QCOMPARE(rc.Image().pixel(1, 0), qRgba(10, 20, 30, 128));
}

void TestPngRC::loadFromFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("opaque.png"));
    const QImage opaque = checker(6, 4, QImage::Format_RGB32, qRgb(1, 2, 3), qRgb(250, 128, 7));
    QVERIFY(opaque.save(path, "PNG"));

    TKvPngRC rc;
    QVERIFY2(rc.LoadFromFile(path), qPrintable(rc.LastError()));
    QVERIFY(!rc.HasAlpha());
    QCOMPARE(rc.Image().format(), QImage::Format_RGB32);
    QCOMPARE(rc.Image(), opaque);
    QVERIFY(rc.LastError().isEmpty());

    // A missing file fails cleanly, names the file and empties the holder.
    const QString missing = dir.filePath(QStringLiteral("missing.png"));
    QVERIFY(!rc.LoadFromFile(missing));
    QVERIFY(rc.IsEmpty());
    QVERIFY(!rc.HasAlpha());
    QVERIFY2(rc.LastError().contains(missing), qPrintable(rc.LastError()));
}

void TestPngRC::corrupt_data()
{
    QTest::addColumn<QByteArray>("data");

    const QByteArray good =
        pngBytes(checker(8, 8, QImage::Format_ARGB32, qRgba(1, 2, 3, 4), qRgba(9, 8, 7, 255)));
    QVERIFY(good.size() > 50);
    // The header chunk starts right after the 8-byte signature: length,
    // "IHDR", width, height, ...
    const qsizetype ihdr = 8;
    QCOMPARE(good.mid(ihdr + 4, 4), QByteArray("IHDR"));
    const qsizetype idat = good.indexOf("IDAT") - 4;
    QVERIFY(idat > ihdr);

    QTest::addRow("empty") << QByteArray();
    QTest::addRow("not a PNG") << QByteArray("[Section]\r\nkey=value\r\n");
    QTest::addRow("signature only") << good.left(8);
    QTest::addRow("truncated") << good.left(good.size() / 2);

    QByteArray badCrc = good;
    badCrc[ihdr + 8] = char(badCrc[ihdr + 8] ^ 0x40); // width changed, checksum not
    QTest::addRow("header checksum wrong") << badCrc;

    QByteArray huge = good;
    putBigEndian(huge.data() + ihdr + 8, 100000);
    putBigEndian(huge.data() + ihdr + 12, 100000);
    fixCrc(huge, ihdr);
    QTest::addRow("huge dimensions") << huge;

    QByteArray zero = good;
    putBigEndian(zero.data() + ihdr + 8, 0);
    fixCrc(zero, ihdr);
    QTest::addRow("zero width") << zero;

    QByteArray garbage = good;
    const quint32 length = bigEndian(garbage.constData() + idat);
    for (quint32 i = 0; i < length; ++i)
        garbage[idat + 8 + qsizetype(i)] = char(0xA5 ^ i);
    fixCrc(garbage, idat);
    QTest::addRow("compressed data garbage") << garbage;
}

void TestPngRC::corrupt()
{
    QFETCH(QByteArray, data);

    TKvPngRC rc;
    QVERIFY(rc.LoadFromFile(QStringLiteral(":/ok.png")));
    QVERIFY(!rc.LoadFromData(data));
    QVERIFY(rc.IsEmpty());
    QVERIFY(!rc.HasAlpha());
    QVERIFY(rc.LastError().startsWith(QStringLiteral("The PNG picture cannot be read: ")));

    QString error;
    QVERIFY(KvDecodePng(data, &error).isNull());
    QVERIFY(!error.isEmpty());

    // An empty holder draws nothing and adds nothing.
    TKvBmp canvas(nullptr, 4, 4);
    QVERIFY(!rc.Draw(&canvas, 0, 0, false));
    TKvImageList list(0, 0);
    QCOMPARE(rc.AddToImageList(&list), -1);
}

void TestPngRC::draw_data()
{
    QTest::addColumn<int>("alpha");
    QTest::addColumn<QRgb>("expected");

    // Background (200, 100, 0), picture (0, 50, 255).
    const auto blend = [](int a) {
        return qRgb((200 * (255 - a)) >> 8, (100 * (255 - a) + 50 * a) >> 8, (255 * a) >> 8);
    };
    QTest::addRow("alpha 0 leaves the background") << 0 << qRgb(200, 100, 0);
    QTest::addRow("alpha 7 leaves the background") << 7 << qRgb(200, 100, 0);
    QTest::addRow("alpha 8 blends") << 8 << blend(8);
    QTest::addRow("alpha 128 blends") << 128 << blend(128);
    QTest::addRow("alpha 240 blends") << 240 << blend(240);
    QTest::addRow("alpha 241 takes the picture") << 241 << qRgb(0, 50, 255);
}

void TestPngRC::draw()
{
    QFETCH(int, alpha);
    QFETCH(QRgb, expected);

    TKvBmp canvas(nullptr, 10, 10);
    canvas.Fill(KvRgb(200, 100, 0) | 0xFF000000u);
    TKvPngRC rc;
    rc.SetImage(filled(3, 2, QImage::Format_ARGB32, qRgba(0, 50, 255, alpha)));
    QVERIFY(rc.Draw(&canvas, 4, 5, false));

    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) {
            const bool inside = x >= 4 && x < 7 && y >= 5 && y < 7;
            const quint32 want = inside ? (expected | 0xFF000000u) : 0xFFC86400u;
            QCOMPARE(canvas.Pixel(x, y), want);
        }
}

void TestPngRC::drawKeepsCompositeUntilRefresh()
{
    TKvBmp canvas(nullptr, 8, 8);
    canvas.Fill(KvRgb(255, 0, 0) | 0xFF000000u);
    TKvPngRC rc;
    rc.SetImage(filled(4, 4, QImage::Format_ARGB32, qRgba(0, 0, 255, 0))); // invisible: shows the background
    QVERIFY(rc.Draw(&canvas, 2, 2, false));
    QCOMPARE(canvas.Pixel(3, 3), 0xFFFF0000u);

    // The background changes; without refresh the first composite comes back.
    canvas.Fill(KvRgb(0, 255, 0) | 0xFF000000u);
    QVERIFY(rc.Draw(&canvas, 2, 2, false));
    QCOMPARE(canvas.Pixel(3, 3), 0xFFFF0000u);
    QCOMPARE(canvas.Pixel(0, 0), 0xFF00FF00u);

    // Repainted with refresh, the new background is captured.
    canvas.Fill(KvRgb(0, 255, 0) | 0xFF000000u);
    QVERIFY(rc.Draw(&canvas, 2, 2, true));
    QCOMPARE(canvas.Pixel(3, 3), 0xFF00FF00u);

    // A new picture is never drawn from the old composite.
    rc.SetImage(filled(4, 4, QImage::Format_RGB32, qRgb(1, 2, 3)));
    QVERIFY(rc.Draw(&canvas, 2, 2, false));
    QCOMPARE(canvas.Pixel(3, 3), 0xFF010203u);
}

void TestPngRC::drawClipsToCanvas()
{
    TKvBmp canvas(nullptr, 5, 5);
    canvas.Fill(KvRgb(9, 9, 9) | 0xFF000000u);
    TKvPngRC rc;
    rc.SetImage(filled(4, 4, QImage::Format_RGB32, qRgb(100, 110, 120)));
    QVERIFY(rc.Draw(&canvas, -2, 3, false));
    QCOMPARE(canvas.Pixel(0, 3), 0xFF646E78u);
    QCOMPARE(canvas.Pixel(1, 4), 0xFF646E78u);
    QCOMPARE(canvas.Pixel(2, 4), 0xFF090909u);
    QCOMPARE(canvas.Pixel(0, 2), 0xFF090909u);
    // Wholly outside: nothing to copy, no harm.
    QVERIFY(rc.Draw(&canvas, 50, 50, true));
    QVERIFY(!rc.Draw(nullptr, 0, 0, false));
}

void TestPngRC::addToImageList()
{
    TKvImageList list(4, 4);
    TKvPngRC rc;
    rc.SetImage(filled(4, 4, QImage::Format_ARGB32, qRgba(10, 20, 30, 60)));
    QCOMPARE(rc.AddToImageList(&list), 0);
    QCOMPARE(rc.AddToImageList(&list), 1);
    // Added as a plain bitmap: the colour as stored, alpha ignored.
    QCOMPARE(list.Image(0).pixel(2, 2), qRgba(10, 20, 30, 255));
    QVERIFY(rc.HasAlpha()); // the held picture keeps its alpha

    TKvImageList other(16, 16);
    QCOMPARE(rc.AddToImageList(&other), -1);
    QCOMPARE(rc.AddToImageList(nullptr), -1);

    // With AutoSize the picture is scaled first: 6 × 6 at 144 ppi is 4 × 4 at 96.
    TKvPngRC scaled;
    scaled.SetImage(filled(6, 6, QImage::Format_RGB32, qRgb(1, 2, 3)));
    QCOMPARE(scaled.AddToImageList(&list), -1);
    scaled.SetAutoSize(true);
    QCOMPARE(scaled.AddToImageList(&list), 2);
}

QTEST_MAIN(TestPngRC)
#include "tst_pngrc.moc"
