// The bitmap's pixel format, lifecycle, fills, gradients, pipes and copy-out.

#include "kvbmp.h"
#include "kvbuffers.h"
#include "kvtestpixels.h"

#include <QImage>
#include <QPainter>
#include <QTest>

#include <cstring>

namespace {

constexpr quint32 Px(quint32 rgb) // 0xRRGGBB, opaque
{
    return 0xFF000000u | rgb;
}

QList<quint32> RowOf(const TKvBmp &bmp, int y, int x0, int x1)
{
    QList<quint32> row;
    for (int x = x0; x < x1; ++x)
        row.append(bmp.Pixel(x, y));
    return row;
}

QList<quint32> ColumnOf(const TKvBmp &bmp, int x, int y0, int y1)
{
    QList<quint32> column;
    for (int y = y0; y < y1; ++y)
        column.append(bmp.Pixel(x, y));
    return column;
}

} // namespace

class TestKvBmp : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void newBitmapIsWhiteOpaque_data();
    void newBitmapIsWhiteOpaque();
    void pixelByteOrder();
    void fillSetsAlphaFromHighByte_data();
    void fillSetsAlphaFromHighByte();
    void fillPixelsBlockDoubling_data();
    void fillPixelsBlockDoubling();
    void fillOnEmptyBitmapDoesNothing();

    void colourRun_data();
    void colourRun();
    void byteRamp_data();
    void byteRamp();
    void gradientVertical_data();
    void gradientVertical();
    void gradientHorizontalRowsAreCopies();
    void gradientClipsToBitmap();
    void gradientWithoutPixelsFails();

    void pipe_data();
    void pipe();
    void pipeHorizontalStaysInsideRect_data();
    void pipeHorizontalStaysInsideRect();
    void pipeWithoutSurfaceFails();
    void pipeShadowIsClamped();

    void scanLine_data();
    void scanLine();
    void scanLineAfterFree();

    void lifecycle();
    void createWithZeroSizeStaysEmpty_data();
    void createWithZeroSizeStaysEmpty();
    void createFailureIsShownAndLeavesBitmapEmpty();
    void setSizeSameSizeKeepsPixels();
    void setSizeNegativeIsAbsolute();
    void setSizeKeepContent_data();
    void setSizeKeepContent();
    void setSizeResetsTextStateButKeepsFont();
    void assign();

    void blitIgnoresAlpha();
    void blitRect();

    void scratchBuffers();
};

void TestKvBmp::newBitmapIsWhiteOpaque_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addRow("1 x 1") << 1 << 1;
    QTest::addRow("90 x 32") << 90 << 32;
    QTest::addRow("33 x 1") << 33 << 1;
    QTest::addRow("1 x 40") << 1 << 40;
}

void TestKvBmp::newBitmapIsWhiteOpaque()
{
    QFETCH(int, width);
    QFETCH(int, height);
    TKvBmp bmp(nullptr, width, height);
    QCOMPARE(bmp.Width(), width);
    QCOMPARE(bmp.Height(), height);
    QCOMPARE(bmp.Stride(), width * 4);
    QCOMPARE(bmp.Bounds(), (TKvRect{0, 0, width, height}));
    QVERIFY(bmp.HasPixels());
    QVERIFY(bmp.HasSurface());
    // Rows follow each other without gaps.
    if (height > 1)
        QCOMPARE(bmp.ScanLine(1) - bmp.ScanLine(0), qsizetype(width) * 4);
    const uchar *bytes = bmp.ScanLine(0);
    for (qsizetype i = 0; i < qsizetype(width) * height * 4; ++i)
        QCOMPARE(bytes[i], uchar(0xFF));
}

void TestKvBmp::pixelByteOrder()
{
    // Blue, green, red, alpha; pixel (x, y) at byte (y × width + x) × 4.
    TKvBmp bmp(nullptr, 5, 3);
    bmp.Fill(0x80112233); // alpha 0x80, blue 0x11, green 0x22, red 0x33
    const uchar *bytes = bmp.ScanLine(0);
    const qsizetype at = (2 * 5 + 3) * 4;
    QCOMPARE(bytes[at + 0], uchar(0x11));
    QCOMPARE(bytes[at + 1], uchar(0x22));
    QCOMPARE(bytes[at + 2], uchar(0x33));
    QCOMPARE(bytes[at + 3], uchar(0x80));
    QCOMPARE(bmp.Pixel(3, 2), 0x80332211u);
    QCOMPARE(bmp.ToImage().pixel(3, 2), QRgb(0x80332211u));
}

void TestKvBmp::fillSetsAlphaFromHighByte_data()
{
    QTest::addColumn<quint32>("colour");
    QTest::addColumn<quint32>("pixel");
    QTest::addRow("plain colour gives alpha 0") << 0x00FF8000u << 0x000080FFu;
    QTest::addRow("high byte is the alpha") << 0x7F010203u << 0x7F030201u;
    QTest::addRow("system colour number is not resolved") << 0xFF000014u << 0xFF140000u;
    QTest::addRow("black") << 0u << 0u;
}

void TestKvBmp::fillSetsAlphaFromHighByte()
{
    QFETCH(quint32, colour);
    QFETCH(quint32, pixel);
    TKvBmp bmp(nullptr, 37, 11);
    bmp.Fill(colour);
    for (int y = 0; y < bmp.Height(); ++y)
        for (int x = 0; x < bmp.Width(); ++x)
            QCOMPARE(Hex(bmp.Pixel(x, y)), Hex(pixel));
}

void TestKvBmp::fillPixelsBlockDoubling_data()
{
    QTest::addColumn<int>("count");
    for (int n : {0, 1, 2, 31, 32, 33, 63, 64, 65, 100, 1000, 4097})
        QTest::addRow("%d", n) << n;
}

void TestKvBmp::fillPixelsBlockDoubling()
{
    QFETCH(int, count);
    // One sentinel after the run must stay.
    std::vector<quint32> pixels(std::size_t(count) + 1, 0xDEADBEEFu);
    KvFillPixels(pixels.data(), count, 0x12345678u);
    for (int i = 0; i < count; ++i)
        QCOMPARE(pixels[std::size_t(i)], 0x12345678u);
    QCOMPARE(pixels[std::size_t(count)], 0xDEADBEEFu);
}

void TestKvBmp::fillOnEmptyBitmapDoesNothing()
{
    TKvBmp bmp;
    bmp.Fill(0x123456);
    QVERIFY(!bmp.HasPixels());
}

void TestKvBmp::colourRun_data()
{
    QTest::addColumn<quint32>("start");
    QTest::addColumn<quint32>("end");
    QTest::addColumn<QList<quint32>>("pixels");

    QTest::addRow("one pixel takes the start colour")
        << KvRgb(10, 20, 30) << KvRgb(200, 100, 0) << QList<quint32>{Px(0x0A141E)};
    QTest::addRow("black to white over 3")
        << 0x000000u << 0xFFFFFFu << QList<quint32>{Px(0x000000), Px(0x7F7F7F), Px(0xFFFFFF)};
    // Red 0 → 100 and blue 100 → 0 over 7: the truncated step leaves the
    // last red one short (99), and the two directions are not mirror images.
    QTest::addRow("channels independent, truncated last step")
        << KvRgb(0, 255, 100) << KvRgb(100, 0, 0)
        << QList<quint32>{Px(0x00FF64), Px(0x10D453), Px(0x21AA42), Px(0x317F32),
                          Px(0x425521), Px(0x532A10), Px(0x630000)};
    QTest::addRow("equal colours") << KvRgb(9, 9, 9) << KvRgb(9, 9, 9)
                                   << QList<quint32>{Px(0x090909), Px(0x090909), Px(0x090909)};
    QTest::addRow("high byte ignored, alpha 255")
        << 0x55000000u << 0xAA0000FFu << QList<quint32>{Px(0x000000), Px(0xFF0000)};
}

void TestKvBmp::colourRun()
{
    QFETCH(quint32, start);
    QFETCH(quint32, end);
    QFETCH(QList<quint32>, pixels);
    const int n = int(pixels.size());

    QList<quint32> run(n);
    KvColorRun(run.data(), n, start, end);
    QCOMPARE(run, pixels);

    // The same run makes the horizontal and the vertical gradient.
    TKvBmp bmp(nullptr, n + 2, n + 2);
    bmp.GradientRect(false, end, start, TKvRect{1, 1, n + 1, 2});
    QCOMPARE(RowOf(bmp, 1, 1, n + 1), pixels);
    bmp.GradientRect(true, end, start, TKvRect{0, 1, 1, n + 1});
    QCOMPARE(ColumnOf(bmp, 0, 1, n + 1), pixels);
}

void TestKvBmp::byteRamp_data()
{
    QTest::addColumn<int>("a");
    QTest::addColumn<int>("b");
    QTest::addColumn<QList<int>>("ramp");
    QTest::addRow("one entry is a") << 18 << 10 << QList<int>{18};
    QTest::addRow("20 to 1 over 18") << 20 << 1 << QList<int>{20, 18, 17, 16, 15, 14, 13, 12, 11,
                                                              9,  8,  7,  6,  5,  4,  3,  2,  1};
    QTest::addRow("18 to 10 over 19")
        << 18 << 10 << QList<int>{18, 17, 17, 16, 16, 15, 15, 14, 14, 14, 13, 13, 12, 12, 11, 11, 10, 10, 10};
}

void TestKvBmp::byteRamp()
{
    QFETCH(int, a);
    QFETCH(int, b);
    QFETCH(QList<int>, ramp);
    TKvByteBuf buf(int(ramp.size()));
    KvByteRamp(buf.Data(), buf.Count(), a, b);
    QList<int> got;
    for (int k = 0; k < buf.Count(); ++k)
        got.append(buf[k]);
    QCOMPARE(got, ramp);
}

void TestKvBmp::gradientVertical_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<QList<quint32>>("colours");
    QTest::addRow("one row is the start colour") << 1 << QList<quint32>{Px(0x000000)};
    QTest::addRow("three rows black to white")
        << 3 << QList<quint32>{Px(0x000000), Px(0x7F7F7F), Px(0xFFFFFF)};
}

void TestKvBmp::gradientVertical()
{
    QFETCH(int, rows);
    QFETCH(QList<quint32>, colours);
    TKvBmp bmp(nullptr, 12, 8);
    bmp.Fill(0x40102030);
    const auto before = Snapshot(bmp);
    const TKvRect r{2, 3, 10, 3 + rows};
    bmp.GradientRect(true, 0xFFFFFF, 0x000000, r);
    for (int k = 0; k < rows; ++k)
        QCOMPARE(RowOf(bmp, r.Top + k, r.Left, r.Right), QList<quint32>(r.Width(), colours[k]));
    QCOMPARE(ChangedOutside(bmp, before, r), 0);
}

void TestKvBmp::gradientHorizontalRowsAreCopies()
{
    TKvBmp bmp(nullptr, 20, 9);
    const TKvRect r{3, 2, 17, 8};
    bmp.GradientRect(false, KvRgb(0, 0, 255), KvRgb(255, 128, 0), r);
    const QList<quint32> top = RowOf(bmp, r.Top, r.Left, r.Right);
    QCOMPARE(top.first(), Px(0xFF8000));
    QCOMPARE(top.last(), Px(0x0000FE)); // the truncated step leaves blue one short
    for (int y = r.Top + 1; y < r.Bottom; ++y)
        QCOMPARE(RowOf(bmp, y, r.Left, r.Right), top);
    // A one-column gradient is the start colour.
    bmp.GradientRect(false, 0xFFFFFF, 0x123456, TKvRect{0, 0, 1, 9});
    QCOMPARE(ColumnOf(bmp, 0, 0, 9), QList<quint32>(9, Px(0x563412)));
}

void TestKvBmp::gradientClipsToBitmap()
{
    TKvBmp bmp(nullptr, 10, 10);
    const auto before = Snapshot(bmp);
    bmp.GradientRect(true, 0, 0, TKvRect{20, 20, 30, 30});
    bmp.GradientRect(true, 0, 0, TKvRect{5, 5, 5, 9});
    QCOMPARE(Snapshot(bmp), before);
    // Partly outside: the run covers the part inside.
    bmp.GradientRect(true, 0xFFFFFF, 0x000000, TKvRect{-4, 7, 40, 13});
    QCOMPARE(ColumnOf(bmp, 9, 7, 10), (QList<quint32>{Px(0x000000), Px(0x7F7F7F), Px(0xFFFFFF)}));
    QCOMPARE(ChangedOutside(bmp, before, TKvRect{0, 7, 10, 10}), 0);
}

void TestKvBmp::gradientWithoutPixelsFails()
{
    TKvBmp bmp;
    QCOMPARE(ErrorOf([&] {
                 bmp.GradientRect(true, 0, 0, TKvRect{0, 0, 5, 5});
             }),
             QStringLiteral("No Bitmap Created"));
}

void TestKvBmp::pipe_data()
{
    QTest::addColumn<bool>("vertical");
    QTest::addColumn<bool>("longFirst");
    QTest::addColumn<QList<quint32>>("colours");

    // Edge colour red 200, green 100, blue 0; highlight white; shadow 60, so
    // the far edge is the edge colour × 195 / 255 = (152, 76, 0).
    // Vertical, height 10: d = 4; rows 0–3 run to the highlight (row 3 one
    // short of it in red and green), rows 4–9 run from it to the far edge.
    QTest::addRow("vertical") << true << false
                              << QList<quint32>{Px(0xC86400), Px(0xDA9755), Px(0xECCBAA), Px(0xFEFEFF),
                                                Px(0xFFFFFF), Px(0xEADBCC), Px(0xD5B799), Px(0xC19366),
                                                Px(0xAC6F33), Px(0x984C00)};
    // With the long first part the shadow is on the first edge: d = 6.
    QTest::addRow("vertical, long first part")
        << true << true
        << QList<quint32>{Px(0x984C00), Px(0xAC6F33), Px(0xC19366), Px(0xD5B799), Px(0xEADBCC),
                          Px(0xFEFEFF), Px(0xFFFFFF), Px(0xECCBAA), Px(0xDA9755), Px(0xC86400)};
    // Horizontal: the highlight is on column d only; column d + 1 repeats
    // column d - 1.
    QTest::addRow("horizontal") << false << false
                                << QList<quint32>{Px(0xC86400), Px(0xD58A3F), Px(0xE3B17F), Px(0xF1D8BF),
                                                  Px(0xFFFFFF), Px(0xF1D8BF), Px(0xDAB58F), Px(0xC4925F),
                                                  Px(0xAE6F2F), Px(0x984C00)};
    QTest::addRow("horizontal, long first part")
        << false << true
        << QList<quint32>{Px(0x984C00), Px(0xA9692A), Px(0xBA8755), Px(0xCBA57F), Px(0xDCC3AA),
                          Px(0xEDE1D4), Px(0xFEFEFF), Px(0xEDE1D4), Px(0xDAA26A), Px(0xC86400)};
    // Extent 2: d = 0, the first part is empty.
    QTest::addRow("vertical, two rows") << true << false << QList<quint32>{Px(0xFFFFFF), Px(0x984C00)};
    QTest::addRow("horizontal, three columns")
        << false << false << QList<quint32>{Px(0xC86400), Px(0xFFFFFF), Px(0xC86400)};
    QTest::addRow("horizontal, one column") << false << false << QList<quint32>{Px(0xC86400)};
}

void TestKvBmp::pipe()
{
    QFETCH(bool, vertical);
    QFETCH(bool, longFirst);
    QFETCH(QList<quint32>, colours);
    const int extent = int(colours.size());
    const TKvRect r = vertical ? TKvRect{1, 1, 5, 1 + extent} : TKvRect{1, 1, 1 + extent, 4};
    TKvBmp bmp(nullptr, r.Right + 1, r.Bottom + 1);
    bmp.Fill(0x11223344);
    const auto before = Snapshot(bmp);
    bmp.PipeRect(vertical, 60, longFirst, KvRgb(200, 100, 0), 0xFFFFFF, r);
    if (vertical) {
        for (int x = r.Left; x < r.Right; ++x)
            QCOMPARE(ColumnOf(bmp, x, r.Top, r.Bottom), colours);
    } else {
        for (int y = r.Top; y < r.Bottom; ++y)
            QCOMPARE(RowOf(bmp, y, r.Left, r.Right), colours);
    }
    QCOMPARE(ChangedOutside(bmp, before, r), 0);
}

void TestKvBmp::pipeHorizontalStaysInsideRect_data()
{
    QTest::addColumn<bool>("longFirst");
    QTest::addColumn<int>("width");
    for (bool longFirst : {false, true})
        for (int width : {1, 2, 3, 4, 5, 10, 23}) {
            QTest::addRow("%s, %d wide", longFirst ? "long" : "short", width) << longFirst << width;
        }
}

void TestKvBmp::pipeHorizontalStaysInsideRect()
{
    QFETCH(bool, longFirst);
    QFETCH(int, width);
    // The rectangle touches the right edge of the bitmap, and a second one
    // lies in the middle of a row.
    TKvBmp bmp(nullptr, 30, 6);
    bmp.Fill(0x00ABCDEF);
    const auto before = Snapshot(bmp);
    const TKvRect atEdge{30 - width, 1, 30, 3};
    bmp.PipeRect(false, 60, longFirst, 0x0000FF, 0xFFFFFF, atEdge);
    QCOMPARE(ChangedOutside(bmp, before, atEdge), 0);
    for (int x = atEdge.Left; x < atEdge.Right; ++x)
        QCOMPARE(KvPixelAlpha(bmp.Pixel(x, 2)), 255u);

    const auto middleBefore = Snapshot(bmp);
    const TKvRect middle{5, 4, 5 + width, 5};
    bmp.PipeRect(false, 60, longFirst, 0x0000FF, 0xFFFFFF, middle);
    QCOMPARE(ChangedOutside(bmp, middleBefore, middle), 0);
    QCOMPARE(RowOf(bmp, 4, middle.Left, middle.Right), RowOf(bmp, 1, atEdge.Left, atEdge.Right));
}

void TestKvBmp::pipeWithoutSurfaceFails()
{
    TKvBmp bmp;
    QCOMPARE(ErrorOf([&] {
                 bmp.PipeRect(true, 60, false, 0, 0, TKvRect{0, 0, 4, 4});
             }),
             QStringLiteral("No Bitmap Created"));
    // A surface without pixels draws nothing and raises nothing.
    TKvBmp freed(nullptr, 4, 4);
    freed.Free(false);
    QCOMPARE(ErrorOf([&] { freed.PipeRect(true, 60, false, 0, 0, TKvRect{0, 0, 4, 4}); }), QString());
}

void TestKvBmp::pipeShadowIsClamped()
{
    TKvBmp bmp(nullptr, 1, 5);
    bmp.PipeRect(true, 300, false, KvRgb(200, 100, 50), 0xFFFFFF, bmp.Bounds());
    QCOMPARE(bmp.Pixel(0, 4), Px(0x000000)); // shadow 255: the far edge is black
    bmp.PipeRect(true, -5, false, KvRgb(200, 100, 50), 0xFFFFFF, bmp.Bounds());
    QCOMPARE(bmp.Pixel(0, 4), Px(0xC86432)); // shadow 0: the far edge is the edge colour
}

void TestKvBmp::scanLine_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("error");
    QTest::addRow("first row") << 10 << 5 << 0 << QString();
    QTest::addRow("last row") << 10 << 5 << 4 << QString();
    QTest::addRow("row = height") << 10 << 5 << 5 << QStringLiteral("Scanlines Out of Range");
    QTest::addRow("row -1") << 10 << 5 << -1 << QStringLiteral("Scanlines Out of Range");
    QTest::addRow("empty bitmap") << 0 << 0 << 0 << QStringLiteral("No DibSection");
    QTest::addRow("empty bitmap, negative row") << 0 << 0 << -1 << QStringLiteral("No DibSection");
}

void TestKvBmp::scanLine()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, row);
    QFETCH(QString, error);
    TKvBmp bmp(nullptr, width, height);
    const uchar *line = nullptr;
    QCOMPARE(ErrorOf([&] { line = bmp.ScanLine(row); }), error);
    if (error.isEmpty())
        QCOMPARE(line - bmp.ScanLine(0), qsizetype(row) * width * 4);
    const TKvBmp &constBmp = bmp;
    QCOMPARE(ErrorOf([&] { constBmp.ScanLine(row); }), error);
}

void TestKvBmp::scanLineAfterFree()
{
    TKvBmp bmp(nullptr, 8, 8);
    bmp.Free(false);
    QCOMPARE(bmp.Height(), 8);
    QCOMPARE(ErrorOf([&] { bmp.ScanLine(0); }), QStringLiteral("No DibSection"));
}

void TestKvBmp::lifecycle()
{
    TKvBmp empty;
    QCOMPARE(empty.Width(), 0);
    QCOMPARE(empty.Height(), 0);
    QVERIFY(!empty.HasPixels());
    QVERIFY(!empty.HasSurface());
    QVERIFY(empty.Bounds().IsEmpty());
    QVERIFY(!empty.Canvas());
    QVERIFY(empty.ToImage().isNull());

    TKvBmp bmp(nullptr, 7, 3);
    QVERIFY(bmp.Canvas());
    bmp.Free(false);
    QCOMPARE(bmp.Bounds(), TKvRect{});
    QCOMPARE(bmp.Width(), 7);
    QCOMPARE(bmp.Height(), 3);
    QVERIFY(!bmp.HasPixels());
    QVERIFY(bmp.HasSurface());
    QVERIFY(!bmp.Canvas());
    // Create rebuilds the pixels at the kept size on the kept surface.
    bmp.Create(nullptr);
    QCOMPARE(bmp.Bounds(), (TKvRect{0, 0, 7, 3}));
    QCOMPARE(bmp.Pixel(6, 2), 0xFFFFFFFFu);
    bmp.Free(true);
    QVERIFY(!bmp.HasSurface());
    QVERIFY(!bmp.HasPixels());
}

void TestKvBmp::createWithZeroSizeStaysEmpty_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addRow("0 x 0") << 0 << 0;
    QTest::addRow("0 x 5") << 0 << 5;
    QTest::addRow("5 x 0") << 5 << 0;
}

void TestKvBmp::createWithZeroSizeStaysEmpty()
{
    QFETCH(int, width);
    QFETCH(int, height);
    TKvBmp bmp(nullptr, width, height);
    QVERIFY(!bmp.HasPixels());
    QVERIFY(!bmp.HasSurface());
    QVERIFY(bmp.Bounds().IsEmpty());
    // A sized bitmap made empty by SetSize releases everything.
    TKvBmp sized(nullptr, 4, 4);
    sized.SetSize(width, height, false);
    QVERIFY(!sized.HasPixels());
    QVERIFY(!sized.HasSurface());
}

void TestKvBmp::createFailureIsShownAndLeavesBitmapEmpty()
{
    TKvMessageCatcher catcher;
    TKvBmp huge(nullptr, 100000, 100000);
    QCOMPARE(catcher.Messages.size(), 1);
    QVERIFY2(catcher.Messages.first().contains(u"100000 x 100000"), qPrintable(catcher.Messages.first()));
    QVERIFY(!huge.HasPixels());
    QVERIFY(!huge.HasSurface());
    QVERIFY(huge.Bounds().IsEmpty());

    // A width whose stride does not fit is refused the same way.
    TKvBmp wide(nullptr, 4, 4);
    wide.SetSize(0x7FFFFFFF, 1, true);
    QCOMPARE(catcher.Messages.size(), 2);
    QVERIFY(!wide.HasPixels());
    QCOMPARE(ErrorOf([&] { wide.ScanLine(0); }), QStringLiteral("No DibSection"));
}

void TestKvBmp::setSizeSameSizeKeepsPixels()
{
    TKvBmp bmp(nullptr, 6, 4);
    bmp.Fill(0x01020304);
    bmp.SetSize(6, 4, false);
    bmp.SetSize(-6, -4, false);
    QCOMPARE(bmp.Pixel(5, 3), 0x01040302u);
}

void TestKvBmp::setSizeNegativeIsAbsolute()
{
    TKvBmp bmp(nullptr, 3, 3);
    bmp.Fill(0);
    bmp.SetSize(-10, -5, false);
    QCOMPARE(bmp.Width(), 10);
    QCOMPARE(bmp.Height(), 5);
    QCOMPARE(bmp.Bounds(), (TKvRect{0, 0, 10, 5}));
    const uchar *bytes = bmp.ScanLine(0);
    for (int i = 0; i < 10 * 5 * 4; ++i)
        QCOMPARE(bytes[i], uchar(0xFF));
}

void TestKvBmp::setSizeKeepContent_data()
{
    QTest::addColumn<int>("newWidth");
    QTest::addColumn<int>("newHeight");
    QTest::addRow("grow") << 9 << 7;
    QTest::addRow("shrink") << 3 << 2;
    QTest::addRow("wider, lower") << 9 << 2;
    QTest::addRow("narrower, higher") << 2 << 8;
}

void TestKvBmp::setSizeKeepContent()
{
    QFETCH(int, newWidth);
    QFETCH(int, newHeight);
    TKvBmp bmp(nullptr, 5, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            reinterpret_cast<quint32 *>(bmp.ScanLine(y))[x] = quint32(y * 16 + x);
    bmp.SetSize(newWidth, newHeight, true);
    QCOMPARE(bmp.Width(), newWidth);
    QCOMPARE(bmp.Height(), newHeight);
    for (int y = 0; y < newHeight; ++y)
        for (int x = 0; x < newWidth; ++x) {
            const quint32 expected = (x < 5 && y < 4) ? quint32(y * 16 + x) : 0xFFFFFFFFu;
            QCOMPARE(bmp.Pixel(x, y), expected);
        }
}

void TestKvBmp::setSizeResetsTextStateButKeepsFont()
{
    TKvBmp bmp(nullptr, 20, 10);
    QVERIFY(bmp.SetFont(QString(), 9, 0x0000FF, 144, KvFontStyle::Bold));
    bmp.SetTransparentText(true);
    bmp.SetSize(30, 12, false);
    QCOMPARE(bmp.FontHeight(), -18);
    QCOMPARE(bmp.Font().pixelSize(), 18);
    QVERIFY(bmp.Font().bold());
    QCOMPARE(bmp.Canvas()->font(), bmp.Font());
    // The rebuilt surface starts with the default colour and mode.
    QCOMPARE(bmp.FontColor(), 0u);
    QVERIFY(!bmp.TransparentText());
}

void TestKvBmp::assign()
{
    TKvBmp source(nullptr, 6, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 6; ++x)
            reinterpret_cast<quint32 *>(source.ScanLine(y))[x] = quint32(0x01000000 * x + y);

    TKvBmp target(nullptr, 2, 2);
    QVERIFY(target.SetFont(QString(), 10, 1, 96, 0));
    target.Assign(&source);
    QCOMPARE(target.Width(), 6);
    QCOMPARE(target.Height(), 3);
    QCOMPARE(Snapshot(target), Snapshot(source));
    QVERIFY(target.HasSurface());
    QCOMPARE(target.FontHeight(), -13); // the target keeps its own surface and font

    target.Assign(nullptr);
    QCOMPARE(target.Width(), 6);
    target.Assign(&target);
    QCOMPARE(Snapshot(target), Snapshot(source));

    TKvBmp fresh;
    fresh.Assign(&source);
    QCOMPARE(Snapshot(fresh), Snapshot(source));
    QVERIFY(fresh.HasSurface());
}

void TestKvBmp::blitIgnoresAlpha()
{
    // A plain colour fill leaves alpha 0; the copy-out must still show it.
    TKvBmp bmp(nullptr, 4, 3);
    bmp.Fill(KvRgb(10, 20, 30));
    QImage screen(10, 8, QImage::Format_ARGB32);
    screen.fill(Qt::black);
    {
        QPainter painter(&screen);
        bmp.BlitTo(&painter, 5, 4);
        bmp.BlitTo(&painter, 8, 6); // only the part that fits
    }
    QCOMPARE(screen.pixel(5, 4), qRgb(10, 20, 30));
    QCOMPARE(screen.pixel(7, 5), qRgb(10, 20, 30));
    QCOMPARE(screen.pixel(9, 7), qRgb(10, 20, 30));
    QCOMPARE(screen.pixel(4, 4), qRgb(0, 0, 0));
    QCOMPARE(screen.pixel(5, 3), qRgb(0, 0, 0));

    TKvBmp empty;
    QPainter painter(&screen);
    empty.BlitTo(&painter, 0, 0);
    empty.BlitTo(nullptr, 0, 0);
}

void TestKvBmp::blitRect()
{
    TKvBmp bmp(nullptr, 6, 6);
    bmp.Fill(0xFF0000FF);
    bmp.GradientRect(true, 0x00FF00, 0x00FF00, TKvRect{2, 1, 4, 3});
    QImage screen(10, 10, QImage::Format_RGB32);
    screen.fill(Qt::white);
    {
        QPainter painter(&screen);
        bmp.BlitRectTo(&painter, 0, 0, TKvRect{2, 1, 5, 3});
    }
    QCOMPARE(screen.pixel(0, 0), qRgb(0, 255, 0));
    QCOMPARE(screen.pixel(1, 1), qRgb(0, 255, 0));
    QCOMPARE(screen.pixel(2, 1), qRgb(255, 0, 0));
    QCOMPARE(screen.pixel(3, 0), qRgb(255, 255, 255));
    QCOMPARE(screen.pixel(0, 2), qRgb(255, 255, 255));
}

void TestKvBmp::scratchBuffers()
{
    TKvColorBuf colours(5);
    QCOMPARE(colours.Count(), 5);
    for (int i = 0; i <= 5; ++i)
        QCOMPARE(colours[i], 0xFFFFFFFFu);
    KvColorRun(colours.Data(), colours.Count(), 0x000000, 0xFFFFFF);
    QCOMPARE(colours[4], Px(0xFFFFFF));
    QCOMPARE(colours[5], 0xFFFFFFFFu);

    TKvColorBuf none(-3);
    QCOMPARE(none.Count(), 0);
    QCOMPARE(none[0], 0xFFFFFFFFu);

    TKvByteBuf bytes(3);
    QCOMPARE(bytes.Count(), 3);
    bytes[3] = 7; // one entry more than the count
    QCOMPARE(bytes[3], quint8(7));
}

QTEST_MAIN(TestKvBmp)
#include "tst_kvbmp.moc"
