// The button-face operations of the bitmap: shading arithmetic, frames,
// faces, masks and the image operations.

#include "kvbmp.h"
#include "kvimagelist.h"
#include "kvtestpixels.h"

#include <QSignalSpy>
#include <QTest>

namespace {

constexpr quint32 Grey(quint32 v, quint32 alpha = 255)
{
    return KvMakePixel(v, v, v, alpha);
}

// A background with distinct channels and alpha, so that a wrong channel
// order or a touched alpha shows.
constexpr quint32 Background = KvMakePixel(200, 120, 40, 0x5A);
constexpr TColor BackgroundColour = 0x5A2878C8; // the same as a colour

// Offsets of a rectangle's corner neighbourhood, mirrored into all four
// corners of a w × h rectangle.
QList<QPoint> Mirrored(int dx, int dy, int w, int h)
{
    return {QPoint(dx, dy), QPoint(w - 1 - dx, dy), QPoint(dx, h - 1 - dy), QPoint(w - 1 - dx, h - 1 - dy)};
}

} // namespace

class TestKvBmpFaces : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shading_data();
    void shading();
    void mixes();
    void cover_data();
    void cover();

    void roundFrame();
    void darkRoundFrame();
    void lightInnerFrame();
    void focusFrame();
    void fillSoftRect();
    void framesOnTinyRects_data();
    void framesOnTinyRects();

    void flatFaceHot();
    void flatFaceHotLowRect();
    void flatFacePressed();
    void buttonFace_data();
    void buttonFace();
    void buttonFacePressed();
    void surfaceOperationsNeedASurface_data();
    void surfaceOperationsNeedASurface();

    void givenMasks();
    void masksAreSymmetric_data();
    void masksAreSymmetric();
    void drawMask_data();
    void drawMask();

    void imageList();
    void copyImageFromImageList();
    void greyScale_data();
    void greyScale();
    void drawAlphaPlacement_data();
    void drawAlphaPlacement();
    void drawAlphaCoverage();
};

void TestKvBmpFaces::shading_data()
{
    QTest::addColumn<quint32>("channel");
    QTest::addColumn<quint32>("amount");
    QTest::addColumn<quint32>("darkened");
    QTest::addColumn<quint32>("lightened");
    // darken c × (255 − v) / 255; lighten (c × (255 − v) + 255 × v) >> 8
    QTest::addRow("128 by 80") << 128u << 80u << 87u << 167u;
    QTest::addRow("128 by 130") << 128u << 130u << 62u << 191u;
    QTest::addRow("255 by 0") << 255u << 0u << 255u << 254u;
    QTest::addRow("0 by 255") << 0u << 255u << 0u << 254u;
    QTest::addRow("200 by 39") << 200u << 39u << 169u << 207u;
}

void TestKvBmpFaces::shading()
{
    QFETCH(quint32, channel);
    QFETCH(quint32, amount);
    QFETCH(quint32, darkened);
    QFETCH(quint32, lightened);
    // Every channel alike, alpha kept.
    QCOMPARE(Hex(KvDarken(KvMakePixel(channel, channel, channel, 0x33), amount)),
             Hex(KvMakePixel(darkened, darkened, darkened, 0x33)));
    QCOMPARE(Hex(KvLighten(KvMakePixel(channel, 0, channel, 0x44), amount)),
             Hex(KvMakePixel(lightened, KvLighten(0, amount) & 0xFF, lightened, 0x44)));
}

void TestKvBmpFaces::mixes()
{
    const quint32 k = KvMakePixel(255, 101, 0, 0x10);
    const quint32 p = KvMakePixel(0, 201, 255, 0x20);
    // half(k) + half(p), per channel, opaque
    QCOMPARE(Hex(KvMix50(k, p)), Hex(KvMakePixel(127, 150, 127, 255)));
    // half(k) + half(half(k) + half(p))
    QCOMPARE(Hex(KvMix75(k, p)), Hex(KvMakePixel(190, 125, 63, 255)));
    // half(half(k) + half(p)) + half(p)
    QCOMPARE(Hex(KvMix25(k, p)), Hex(KvMakePixel(63, 175, 190, 255)));
    // blend (c × (255 − m) + k × m) >> 8, alpha of the pixel kept
    QCOMPARE(Hex(KvBlend(p, k, 128)), Hex(KvMakePixel(127, 150, 126, 0x20)));
}

void TestKvBmpFaces::cover_data()
{
    QTest::addColumn<quint32>("coverage");
    QTest::addColumn<quint32>("result");
    const quint32 p = Grey(100, 0x11);
    const quint32 k = KvMakePixel(255, 0, 50, 0x77);
    QTest::addRow("0 leaves the pixel") << 0u << p;
    QTest::addRow("7 leaves the pixel") << 7u << p;
    QTest::addRow("8 blends") << 8u << KvBlend(p, k, 8);
    QTest::addRow("240 blends") << 240u << KvBlend(p, k, 240);
    QTest::addRow("241 sets the colour") << 241u << k;
    QTest::addRow("255 sets the colour") << 255u << k;
}

void TestKvBmpFaces::cover()
{
    QFETCH(quint32, coverage);
    QFETCH(quint32, result);
    QCOMPARE(Hex(KvCover(Grey(100, 0x11), KvMakePixel(255, 0, 50, 0x77), coverage)), Hex(result));
    QCOMPARE(Hex(KvBlend(Grey(100, 0x11), KvMakePixel(255, 0, 50, 0x77), 8)),
             Hex(KvMakePixel(104, 96, 98, 0x11)));
}

void TestKvBmpFaces::roundFrame()
{
    // The button's own size: 90 × 32.
    TKvBmp bmp(nullptr, 90, 32);
    bmp.Fill(BackgroundColour);
    QCOMPARE(Hex(bmp.Pixel(0, 0)), Hex(Background));
    const TColor colour = 0x00336699; // alpha 0 when set
    const quint32 k = KvPixelOfColor(colour);
    bmp.RoundFrame(bmp.Bounds(), colour);

    int topRowSet = 0;
    for (int x = 0; x < 90; ++x)
        topRowSet += bmp.Pixel(x, 0) == k;
    QCOMPARE(topRowSet, 84);
    for (int x = 3; x <= 86; ++x) {
        QCOMPARE(bmp.Pixel(x, 0), k);
        QCOMPARE(bmp.Pixel(x, 31), k);
    }
    for (int y = 3; y <= 28; ++y) {
        QCOMPARE(bmp.Pixel(0, y), k);
        QCOMPARE(bmp.Pixel(89, y), k);
    }
    for (const QPoint &c : Mirrored(0, 0, 90, 32))
        QCOMPARE(Hex(bmp.Pixel(c.x(), c.y())), Hex(Background));
    for (const QPoint &c : Mirrored(1, 0, 90, 32) + Mirrored(0, 1, 90, 32))
        QCOMPARE(Hex(bmp.Pixel(c.x(), c.y())), Hex(KvMix50(k, Background)));
    for (const QPoint &c : Mirrored(2, 0, 90, 32) + Mirrored(1, 1, 90, 32) + Mirrored(0, 2, 90, 32))
        QCOMPARE(Hex(bmp.Pixel(c.x(), c.y())), Hex(KvMix75(k, Background)));
    for (const QPoint &c : Mirrored(2, 1, 90, 32) + Mirrored(1, 2, 90, 32))
        QCOMPARE(Hex(bmp.Pixel(c.x(), c.y())), Hex(KvMix25(k, Background)));
    QCOMPARE(Hex(bmp.Pixel(2, 2)), Hex(Background));
    QCOMPARE(Hex(bmp.Pixel(45, 1)), Hex(Background));
}

void TestKvBmpFaces::darkRoundFrame()
{
    TKvBmp bmp(nullptr, 90, 32);
    bmp.Fill(0x40808080);
    const quint32 bg = Grey(128, 0x40);
    bmp.DarkRoundFrame(bmp.Bounds(), 80);
    // 80 on the straight parts; 4·80/9 = 35, 6·80/7 = 68 and 80 >> 2 = 20 at the corners.
    const quint32 by80 = Grey(87, 0x40), by35 = Grey(110, 0x40), by68 = Grey(93, 0x40),
                  by20 = Grey(117, 0x40);
    for (int x = 3; x <= 86; ++x) {
        QCOMPARE(Hex(bmp.Pixel(x, 0)), Hex(by80));
        QCOMPARE(Hex(bmp.Pixel(x, 31)), Hex(by80));
    }
    for (int y = 3; y <= 28; ++y) {
        QCOMPARE(Hex(bmp.Pixel(0, y)), Hex(by80));
        QCOMPARE(Hex(bmp.Pixel(89, y)), Hex(by80));
    }
    for (const QPoint &c : Mirrored(0, 0, 90, 32))
        QCOMPARE(Hex(bmp.Pixel(c.x(), c.y())), Hex(bg));
    for (const QPoint &c : Mirrored(1, 0, 90, 32) + Mirrored(0, 1, 90, 32))
        QCOMPARE(Hex(bmp.Pixel(c.x(), c.y())), Hex(by35));
    for (const QPoint &c : Mirrored(2, 0, 90, 32) + Mirrored(1, 1, 90, 32) + Mirrored(0, 2, 90, 32))
        QCOMPARE(Hex(bmp.Pixel(c.x(), c.y())), Hex(by68));
    for (const QPoint &c : Mirrored(2, 1, 90, 32) + Mirrored(1, 2, 90, 32))
        QCOMPARE(Hex(bmp.Pixel(c.x(), c.y())), Hex(by20));
    QCOMPARE(Hex(bmp.Pixel(45, 16)), Hex(bg));
}

void TestKvBmpFaces::lightInnerFrame()
{
    TKvBmp bmp(nullptr, 40, 20);
    bmp.Fill(0x40808080);
    const auto before = Snapshot(bmp);
    const TKvRect r{5, 3, 35, 17}; // 30 × 14
    bmp.LightInnerFrame(r, 130);
    // 130 on the edges without their corner pixels; 5·130/7 = 92 on the
    // pixels diagonally inside the corners.
    const quint32 edge = Grey(191, 0x40), inner = Grey(173, 0x40), bg = Grey(128, 0x40);
    for (int x = 6; x <= 33; ++x) {
        QCOMPARE(Hex(bmp.Pixel(x, 3)), Hex(edge));
        QCOMPARE(Hex(bmp.Pixel(x, 16)), Hex(edge));
    }
    for (int y = 4; y <= 15; ++y) {
        QCOMPARE(Hex(bmp.Pixel(5, y)), Hex(edge));
        QCOMPARE(Hex(bmp.Pixel(34, y)), Hex(edge));
    }
    for (const QPoint &c : {QPoint(5, 3), QPoint(34, 3), QPoint(5, 16), QPoint(34, 16)})
        QCOMPARE(Hex(bmp.Pixel(c.x(), c.y())), Hex(bg));
    for (const QPoint &c : {QPoint(6, 4), QPoint(33, 4), QPoint(6, 15), QPoint(33, 15)})
        QCOMPARE(Hex(bmp.Pixel(c.x(), c.y())), Hex(inner));
    QCOMPARE(Hex(bmp.Pixel(7, 4)), Hex(bg));
    QCOMPARE(ChangedOutside(bmp, before, r), 0);
}

void TestKvBmpFaces::focusFrame()
{
    TKvBmp bmp(nullptr, 90, 32);
    bmp.Fill(0x40808080);
    const auto before = Snapshot(bmp);
    const TKvRect r = bmp.Bounds().Shrunk(2);
    const TColor colour = 0x000000FF; // red
    const quint32 k = KvPixelOfColor(colour);
    bmp.FocusFrame(r, colour);
    for (int x = 3; x <= 86; ++x) {
        QCOMPARE(Hex(bmp.Pixel(x, 2)), Hex(k));
        QCOMPARE(Hex(bmp.Pixel(x, 29)), Hex(k));
    }
    for (int y = 3; y <= 28; ++y) {
        QCOMPARE(Hex(bmp.Pixel(2, y)), Hex(k));
        QCOMPARE(Hex(bmp.Pixel(87, y)), Hex(k));
    }
    for (const QPoint &c : {QPoint(2, 2), QPoint(87, 2), QPoint(2, 29), QPoint(87, 29)})
        QCOMPARE(Hex(bmp.Pixel(c.x(), c.y())), Hex(Grey(128, 0x40)));
    for (const QPoint &c : {QPoint(3, 3), QPoint(86, 3), QPoint(3, 28), QPoint(86, 28)})
        QCOMPARE(Hex(bmp.Pixel(c.x(), c.y())), Hex(KvMix50(k, Grey(128, 0x40))));
    QCOMPARE(Hex(bmp.Pixel(4, 3)), Hex(Grey(128, 0x40)));
    QCOMPARE(ChangedOutside(bmp, before, r), 0);
}

void TestKvBmpFaces::fillSoftRect()
{
    TKvBmp bmp(nullptr, 20, 20);
    bmp.Fill(0x40808080);
    const auto before = Snapshot(bmp);
    const TKvRect r{6, 5, 13, 12}; // 7 × 7
    bmp.FillSoftRect(r, 0x80FF0000);
    int set = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x)
            set += bmp.Pixel(x, y) == 0x800000FFu;
    QCOMPARE(set, 49 - 4);
    for (const QPoint &c : {QPoint(6, 5), QPoint(12, 5), QPoint(6, 11), QPoint(12, 11)})
        QCOMPARE(Hex(bmp.Pixel(c.x(), c.y())), Hex(Grey(128, 0x40)));
    QCOMPARE(ChangedOutside(bmp, before, r), 0);
}

void TestKvBmpFaces::framesOnTinyRects_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    for (int w : {1, 2, 3, 5})
        for (int h : {1, 2, 4})
            QTest::addRow("%d x %d", w, h) << w << h;
}

void TestKvBmpFaces::framesOnTinyRects()
{
    QFETCH(int, width);
    QFETCH(int, height);
    // Nothing may be written outside a rectangle however small it is, also
    // where it touches the bitmap's edge.
    for (const TKvRect &r :
         {TKvRect{4, 4, 4 + width, 4 + height}, TKvRect{12 - width, 10 - height, 12, 10}}) {
        TKvBmp bmp(nullptr, 12, 10);
        bmp.Fill(0x40808080);
        const auto before = Snapshot(bmp);
        bmp.RoundFrame(r, 0);
        bmp.DarkRoundFrame(r, 200);
        bmp.LightInnerFrame(r, 130);
        bmp.FocusFrame(r, 0xFF);
        bmp.FillSoftRect(r, 0xFF00);
        bmp.FlatFaceHot(r);
        bmp.FlatFacePressed(r);
        bmp.ButtonFace(40, true, 0xF5A997, 0xFDF6BA, r);
        bmp.ButtonFacePressed(40, false, 0xF5A997, 0xFDF6BA, r);
        bmp.DrawFocusRect(r);
        QCOMPARE(ChangedOutside(bmp, before, r), 0);
    }
}

void TestKvBmpFaces::flatFaceHot()
{
    TKvBmp bmp(nullptr, 90, 32);
    bmp.Fill(0xFF646464);
    bmp.FlatFaceHot(bmp.Bounds());
    const quint32 table[11] = {130, 120, 105, 85, 65, 45, 25, 10, 10, 10, 10};
    for (int y = 1; y <= 11; ++y) {
        // Row 1 also gets the inner frame's 130.
        const quint32 shaded = KvLighten(Grey(100), table[y - 1]);
        QCOMPARE(Hex(bmp.Pixel(45, y)), Hex(y == 1 ? KvLighten(shaded, 130) : shaded));
        if (y >= 3) // rows 1 and 2 of column 2 belong to the rounded corner
            QCOMPARE(Hex(bmp.Pixel(2, y)), Hex(shaded));
    }
    // Rows 12 … 29: the ramp of 18 entries from 20 to 1.
    const quint32 ramp[18] = {20, 18, 17, 16, 15, 14, 13, 12, 11, 9, 8, 7, 6, 5, 4, 3, 2, 1};
    for (int y = 12; y <= 29; ++y)
        QCOMPARE(Hex(bmp.Pixel(45, y)), Hex(KvDarken(Grey(100), ramp[y - 12])));
    // Row 30 is only lightened by the inner frame, row 31 darkened by the outer one.
    QCOMPARE(Hex(bmp.Pixel(45, 30)), Hex(KvLighten(Grey(100), 130)));
    QCOMPARE(Hex(bmp.Pixel(45, 31)), Hex(KvDarken(Grey(100), 80)));
    QCOMPARE(Hex(bmp.Pixel(0, 0)), Hex(Grey(100)));
}

void TestKvBmpFaces::flatFaceHotLowRect()
{
    // Only rows above the last row are shaded.
    TKvBmp bmp(nullptr, 20, 8);
    bmp.Fill(0xFF646464);
    bmp.FlatFaceHot(bmp.Bounds());
    const quint32 table[6] = {130, 120, 105, 85, 65, 45};
    for (int y = 2; y <= 5; ++y)
        QCOMPARE(Hex(bmp.Pixel(10, y)), Hex(KvLighten(Grey(100), table[y - 1])));
    QCOMPARE(Hex(bmp.Pixel(10, 6)), Hex(KvLighten(KvLighten(Grey(100), table[5]), 130)));
    QCOMPARE(Hex(bmp.Pixel(10, 7)), Hex(KvDarken(Grey(100), 80)));
}

void TestKvBmpFaces::flatFacePressed()
{
    TKvBmp bmp(nullptr, 90, 32);
    bmp.Fill(0xFFC8C8C8);
    bmp.FlatFacePressed(bmp.Bounds());
    // Rows 1 … 11 from the table, rows 12 … 30 from the ramp of 19 entries
    // from 18 towards 10, except that the three rows above the bottom edge
    // (h − 4, h − 3, h − 2 = 28, 29, 30) take 10, 25 and 56.
    const quint32 expected[31] = {0,  76, 56, 39, 29, 22, 17, 13, 10, 10, 14, 18, 18, 17, 17, 16,
                                  16, 15, 15, 14, 14, 14, 13, 13, 12, 12, 11, 11, 10, 25, 56};
    for (int y = 1; y <= 30; ++y) {
        QCOMPARE(Hex(bmp.Pixel(45, y)), Hex(KvDarken(Grey(200), expected[y])));
        // The sides: columns 1 and 88 by 39 more, 2 and 87 by 17 more.
        const quint32 row = KvDarken(Grey(200), expected[y]);
        const bool frameRow = y <= 2 || y >= 29; // the outer frame's rounded corners
        if (!frameRow) {
            QCOMPARE(Hex(bmp.Pixel(1, y)), Hex(KvDarken(row, 39)));
            QCOMPARE(Hex(bmp.Pixel(2, y)), Hex(KvDarken(row, 17)));
            QCOMPARE(Hex(bmp.Pixel(87, y)), Hex(KvDarken(row, 17)));
            QCOMPARE(Hex(bmp.Pixel(88, y)), Hex(KvDarken(row, 39)));
        }
    }
    QCOMPARE(Hex(bmp.Pixel(45, 0)), Hex(KvDarken(Grey(200), 170)));
    QCOMPARE(Hex(bmp.Pixel(45, 31)), Hex(KvDarken(Grey(200), 170)));
    QCOMPARE(Hex(bmp.Pixel(0, 0)), Hex(Grey(200)));
}

void TestKvBmpFaces::buttonFace_data()
{
    QTest::addColumn<bool>("pipe");
    QTest::addRow("linear") << false;
    QTest::addRow("pipe") << true;
}

void TestKvBmpFaces::buttonFace()
{
    QFETCH(bool, pipe);
    const TColor dark = 0xF5A997, light = 0xFDF6BA;
    TKvBmp bmp(nullptr, 90, 32);
    bmp.Fill(0xFF808080);
    bmp.ButtonFace(40, pipe, dark, light, bmp.Bounds());

    // The inner 88 × 30: a pipe or a linear gradient from light to dark.
    TKvBmp inner(nullptr, 88, 30);
    if (pipe)
        inner.PipeRect(true, 40, false, dark, light, inner.Bounds());
    else
        inner.GradientRect(true, dark, light, inner.Bounds());
    for (int y = 2; y <= 29; ++y)
        QCOMPARE(Hex(bmp.Pixel(45, y)), Hex(inner.Pixel(44, y - 1)));
    // Its edge is lightened by 130.
    QCOMPARE(Hex(bmp.Pixel(45, 1)), Hex(KvLighten(inner.Pixel(44, 0), 130)));
    QCOMPARE(Hex(bmp.Pixel(45, 30)), Hex(KvLighten(inner.Pixel(44, 29), 130)));
    QCOMPARE(Hex(bmp.Pixel(1, 15)), Hex(KvLighten(inner.Pixel(0, 14), 130)));
    QCOMPARE(Hex(bmp.Pixel(2, 2)), Hex(KvLighten(inner.Pixel(1, 1), 5 * 130 / 7)));
    // The outer frame is dark × 175 / 255.
    const quint32 frame = KvPixelOfColor(KvRgb(0x97 * 175 / 255, 0xA9 * 175 / 255, 0xF5 * 175 / 255));
    QCOMPARE(Hex(bmp.Pixel(45, 0)), Hex(frame));
    QCOMPARE(Hex(bmp.Pixel(0, 15)), Hex(frame));
    QCOMPARE(Hex(bmp.Pixel(0, 0)), Hex(Grey(128)));
}

void TestKvBmpFaces::buttonFacePressed()
{
    const TColor dark = 0xF5A997, light = 0xFDF6BA;
    TKvBmp bmp(nullptr, 90, 32);
    bmp.Fill(0xFF808080);
    bmp.ButtonFacePressed(40, false, dark, light, bmp.Bounds());
    TKvBmp expected(nullptr, 90, 32);
    expected.Fill(0xFF808080);
    expected.GradientRect(true, dark, light, expected.Bounds().Shrunk(1));
    expected.FlatFacePressed(expected.Bounds());
    QCOMPARE(Snapshot(bmp), Snapshot(expected));
}

void TestKvBmpFaces::surfaceOperationsNeedASurface_data()
{
    QTest::addColumn<int>("operation");
    QTest::addColumn<bool>("raises");
    QTest::addRow("ButtonFace") << 0 << true;
    QTest::addRow("ButtonFacePressed") << 1 << true;
    QTest::addRow("FlatFaceHot") << 2 << true;
    QTest::addRow("FlatFacePressed") << 3 << true;
    QTest::addRow("FocusFrame") << 4 << true;
    QTest::addRow("DrawMask") << 5 << true;
    QTest::addRow("DarkRoundFrame") << 6 << false;
    QTest::addRow("LightInnerFrame") << 7 << false;
    QTest::addRow("RoundFrame") << 8 << false;
    QTest::addRow("FillSoftRect") << 9 << false;
    QTest::addRow("GreyScale") << 10 << false;
    QTest::addRow("DrawAlpha") << 11 << false;
    QTest::addRow("CopyImageFromImageList") << 12 << false;
}

void TestKvBmpFaces::surfaceOperationsNeedASurface()
{
    QFETCH(int, operation);
    QFETCH(bool, raises);
    TKvBmp bmp;
    TKvBmp source(nullptr, 4, 4);
    TKvImageList list(4, 4);
    const TKvRect r{0, 0, 10, 10};
    auto run = [&] {
        switch (operation) {
        case 0:
            bmp.ButtonFace(40, true, 0, 0, r);
            break;
        case 1:
            bmp.ButtonFacePressed(40, true, 0, 0, r);
            break;
        case 2:
            bmp.FlatFaceHot(r);
            break;
        case 3:
            bmp.FlatFacePressed(r);
            break;
        case 4:
            bmp.FocusFrame(r, 0);
            break;
        case 5:
            bmp.DrawMask(0, 0, kmStar9, 0);
            break;
        case 6:
            bmp.DarkRoundFrame(r, 80);
            break;
        case 7:
            bmp.LightInnerFrame(r, 80);
            break;
        case 8:
            bmp.RoundFrame(r, 0);
            break;
        case 9:
            bmp.FillSoftRect(r, 0);
            break;
        case 10:
            bmp.GreyScale();
            break;
        case 11:
            bmp.DrawAlpha(&source, 0, 0);
            break;
        case 12:
            QVERIFY(!bmp.CopyImageFromImageList(&list, 0));
            break;
        }
    };
    QCOMPARE(ErrorOf(run), raises ? QStringLiteral("No Bitmap Created") : QString());
}

void TestKvBmpFaces::givenMasks()
{
    const TKvMaskData circle = KvMaskData(kmCircle7);
    QCOMPARE(circle.Size, 7);
    const QList<quint8> circleRow0(circle.Values, circle.Values + 7);
    QCOMPARE(circleRow0, (QList<quint8>{0, 91, 219, 255, 215, 91, 0}));
    const QList<quint8> circleRow6(circle.Values + 42, circle.Values + 49);
    QCOMPARE(circleRow6, (QList<quint8>{0, 91, 219, 255, 219, 91, 0}));

    const TKvMaskData star = KvMaskData(kmStar9);
    QCOMPARE(star.Size, 9);
    const QList<quint8> starRow1(star.Values + 9, star.Values + 18);
    QCOMPARE(starRow1, (QList<quint8>{0, 255, 19, 0, 176, 0, 19, 255, 0}));
    const QList<quint8> starRow4(star.Values + 36, star.Values + 45);
    QCOMPARE(starRow4, (QList<quint8>{121, 176, 255, 255, 255, 255, 255, 176, 121}));
    for (int j = 5; j < 9; ++j)
        for (int i = 0; i < 9; ++i)
            QCOMPARE(star.Values[j * 9 + i], star.Values[(8 - j) * 9 + i]);
}

void TestKvBmpFaces::masksAreSymmetric_data()
{
    QTest::addColumn<int>("mask");
    QTest::addColumn<int>("size");
    QTest::addRow("circle 9") << int(kmCircle9) << 9;
    QTest::addRow("circle 11") << int(kmCircle11) << 11;
    QTest::addRow("diamond 9") << int(kmDiamond9) << 9;
    QTest::addRow("diamond 11") << int(kmDiamond11) << 11;
    QTest::addRow("diamond 13") << int(kmDiamond13) << 13;
    QTest::addRow("star 9") << int(kmStar9) << 9;
    QTest::addRow("star 11") << int(kmStar11) << 11;
    QTest::addRow("star 13") << int(kmStar13) << 13;
}

void TestKvBmpFaces::masksAreSymmetric()
{
    QFETCH(int, mask);
    QFETCH(int, size);
    const TKvMaskData data = KvMaskData(TKvMask(mask));
    QCOMPARE(data.Size, size);
    auto at = [&](int i, int j) { return data.Values[j * size + i]; };
    const int c = size / 2;
    for (int j = 0; j < size; ++j)
        for (int i = 0; i < size; ++i) {
            QCOMPARE(at(i, j), at(size - 1 - i, j));
            QCOMPARE(at(i, j), at(i, size - 1 - j));
            QCOMPARE(at(i, j), at(j, i));
        }
    // Centred and filled in the middle; the middle of each side is touched
    // (circles and diamonds) or reached by an arm (stars).
    QCOMPARE(at(c, c), quint8(255));
    QVERIFY(at(c, 0) > 7);
    // The corners of circles and diamonds are empty.
    if (mask != kmStar9 && mask != kmStar11 && mask != kmStar13)
        QCOMPARE(at(0, 0), quint8(0));
    else
        QVERIFY(at(1, 1) > 7); // a diagonal arm
}

void TestKvBmpFaces::drawMask_data()
{
    QTest::addColumn<int>("mask");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addRow("star 9 inside") << int(kmStar9) << 3 << 2;
    QTest::addRow("circle 7 at the top left, partly outside") << int(kmCircle7) << -3 << -2;
    QTest::addRow("diamond 13 at the bottom right, partly outside") << int(kmDiamond13) << 14 << 9;
    QTest::addRow("star 13 wholly outside") << int(kmStar13) << 30 << 0;
    QTest::addRow("circle 11") << int(kmCircle11) << 5 << 5;
}

void TestKvBmpFaces::drawMask()
{
    QFETCH(int, mask);
    QFETCH(int, x);
    QFETCH(int, y);
    TKvBmp bmp(nullptr, 20, 16);
    bmp.Fill(BackgroundColour);
    const TColor colour = 0x7700FF33;
    bmp.DrawMask(x, y, TKvMask(mask), colour);
    const TKvMaskData data = KvMaskData(TKvMask(mask));
    for (int py = 0; py < 16; ++py)
        for (int px = 0; px < 20; ++px) {
            const int i = px - x, j = py - y;
            const bool covered = i >= 0 && j >= 0 && i < data.Size && j < data.Size;
            const quint32 expected =
                covered ? KvCover(Background, KvPixelOfColor(colour), data.Values[j * data.Size + i])
                        : Background;
            QCOMPARE(Hex(bmp.Pixel(px, py)), Hex(expected));
        }
}

void TestKvBmpFaces::imageList()
{
    TKvImageList list(4, 3);
    QSignalSpy changed(&list, &TKvImageList::Changed);
    QImage red(4, 3, QImage::Format_RGB32);
    red.fill(Qt::red);
    QCOMPARE(list.Add(red), 0);
    QCOMPARE(list.Image(0).format(), QImage::Format_ARGB32);
    QCOMPARE(list.Add(QImage(3, 3, QImage::Format_ARGB32)), -1);
    QCOMPARE(list.Add(QImage()), -1);

    // A strip of two and a half images gives two.
    QImage strip(10, 3, QImage::Format_ARGB32);
    strip.fill(Qt::transparent);
    for (int y = 0; y < 3; ++y)
        strip.setPixel(4, y, qRgba(0, 0, 255, 128)); // column 0 of the second image
    QCOMPARE(list.AddStrip(strip), 1);
    QCOMPARE(list.Count(), 3);
    QCOMPARE(list.Image(2).pixel(0, 1), qRgba(0, 0, 255, 128));
    QCOMPARE(list.AddStrip(QImage(3, 3, QImage::Format_ARGB32)), -1);
    QCOMPARE(changed.count(), 2);

    // Drawn onto a bitmap with its alpha; a bad index draws nothing.
    TKvBmp bmp(nullptr, 8, 8);
    bmp.Fill(0xFFFFFFFF);
    list.Draw(bmp.Canvas(), 2, 2, 0);
    list.Draw(bmp.Canvas(), 0, 0, 2);
    list.Draw(bmp.Canvas(), 0, 0, 7);
    list.Draw(nullptr, 0, 0, 0);
    QCOMPARE(bmp.Pixel(2, 2) & 0xFFFFFFu, 0xFF0000u);
    QCOMPARE(bmp.Pixel(5, 4) & 0xFFFFFFu, 0xFF0000u);
    const quint32 half = bmp.Pixel(0, 1);
    QVERIFY(KvPixelBlue(half) == 255 && KvPixelRed(half) > 100 && KvPixelRed(half) < 155);
    QCOMPARE(bmp.Pixel(1, 1), 0xFFFFFFFFu);

    list.Clear();
    QCOMPARE(list.Count(), 0);
    QCOMPARE(changed.count(), 3);
}

void TestKvBmpFaces::copyImageFromImageList()
{
    QImage image(16, 16, QImage::Format_ARGB32);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            image.setPixel(x, y, qRgba(x * 16, y * 16, 7, (x + y) * 8));
    TKvImageList list(16, 16);
    QCOMPARE(list.Add(image), 0);
    QCOMPARE(list.Add(QImage(8, 8, QImage::Format_ARGB32)), -1);

    TKvBmp bmp(nullptr, 16, 16);
    QVERIFY(bmp.CopyImageFromImageList(&list, 0));
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            QCOMPARE(Hex(bmp.Pixel(x, y)), Hex(quint32(qRgba(x * 16, y * 16, 7, (x + y) * 8))));

    // Another size: false, nothing copied.
    TKvBmp other(nullptr, 16, 15);
    const auto before = Snapshot(other);
    QVERIFY(!other.CopyImageFromImageList(&list, 0));
    QCOMPARE(Snapshot(other), before);
    QVERIFY(!bmp.CopyImageFromImageList(nullptr, 0));

    // An index the list does not have is refused and shown.
    TKvMessageCatcher catcher;
    QVERIFY(!bmp.CopyImageFromImageList(&list, 1));
    QVERIFY(!bmp.CopyImageFromImageList(&list, -1));
    QCOMPARE(catcher.Messages,
             QStringList(2, QStringLiteral("CopyImageFromImageList\r\nERROR_INVALID_PARAMETER")));
}

void TestKvBmpFaces::greyScale_data()
{
    QTest::addColumn<quint32>("pixel");
    QTest::addColumn<quint32>("grey");
    QTest::addRow("white") << 0xFFFFFFFFu << 255u;
    QTest::addRow("black") << 0x80000000u << 0u;
    QTest::addRow("red") << 0x12FF0000u << 79u;    // 320 × 255 >> 10
    QTest::addRow("green") << 0x0000FF00u << 143u; // 576 × 255 >> 10
    QTest::addRow("blue") << 0xFF0000FFu << 31u;   // 128 × 255 >> 10
    QTest::addRow("mixed") << 0x40643219u << 62u;  // (320·100 + 576·50 + 128·25) >> 10
}

void TestKvBmpFaces::greyScale()
{
    QFETCH(quint32, pixel);
    QFETCH(quint32, grey);
    TKvBmp bmp(nullptr, 3, 2);
    KvFillPixels(reinterpret_cast<quint32 *>(bmp.ScanLine(0)), 6, pixel);
    bmp.GreyScale();
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            QCOMPARE(Hex(bmp.Pixel(x, y)), Hex(Grey(grey, KvPixelAlpha(pixel))));
    TKvBmp empty;
    empty.GreyScale();
}

void TestKvBmpFaces::drawAlphaPlacement_data()
{
    QTest::addColumn<QSize>("source");
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<QPoint>("drawnAt"); // (-1, -1): nothing drawn
    QTest::addRow("moved inside from the left and below")
        << QSize(16, 16) << QPoint(-3, 100) << QPoint(0, 16);
    QTest::addRow("inside") << QSize(16, 16) << QPoint(5, 7) << QPoint(5, 7);
    QTest::addRow("past the right edge") << QSize(16, 16) << QPoint(80, 0) << QPoint(74, 0);
    QTest::addRow("negative top") << QSize(16, 16) << QPoint(10, -9) << QPoint(10, 0);
    QTest::addRow("same size") << QSize(90, 32) << QPoint(4, 4) << QPoint(0, 0);
    QTest::addRow("wider than the bitmap") << QSize(91, 10) << QPoint(0, 0) << QPoint(-1, -1);
    QTest::addRow("higher than the bitmap") << QSize(10, 33) << QPoint(0, 0) << QPoint(-1, -1);
}

void TestKvBmpFaces::drawAlphaPlacement()
{
    QFETCH(QSize, source);
    QFETCH(QPoint, at);
    QFETCH(QPoint, drawnAt);
    TKvBmp src(nullptr, source.width(), source.height());
    src.Fill(0xFF0000FF); // red, opaque
    TKvBmp bmp(nullptr, 90, 32);
    bmp.Fill(0x40808080);
    const auto before = Snapshot(bmp);
    bmp.DrawAlpha(&src, at.x(), at.y());
    if (drawnAt == QPoint(-1, -1)) {
        QCOMPARE(Snapshot(bmp), before);
        return;
    }
    const TKvRect r{drawnAt.x(), drawnAt.y(), drawnAt.x() + source.width(), drawnAt.y() + source.height()};
    QCOMPARE(ChangedBox(bmp, before), r);
    // The destination keeps its alpha.
    QCOMPARE(Hex(bmp.Pixel(r.Left, r.Top)), Hex(0x40FF0000u));
}

void TestKvBmpFaces::drawAlphaCoverage()
{
    // One source row holds the alpha thresholds.
    const quint32 alphas[6] = {0, 7, 8, 240, 241, 255};
    TKvBmp src(nullptr, 6, 1);
    for (int i = 0; i < 6; ++i)
        reinterpret_cast<quint32 *>(src.ScanLine(0))[i] = KvMakePixel(250, 10, 130, alphas[i]);
    TKvBmp bmp(nullptr, 6, 1);
    bmp.Fill(0x33C87828);
    bmp.DrawAlpha(&src, 0, 0);
    const quint32 bg = KvMakePixel(0x28, 0x78, 0xC8, 0x33);
    const quint32 colour = KvMakePixel(250, 10, 130, 0x33);
    QCOMPARE(Hex(bmp.Pixel(0, 0)), Hex(bg));
    QCOMPARE(Hex(bmp.Pixel(1, 0)), Hex(bg));
    QCOMPARE(Hex(bmp.Pixel(2, 0)), Hex(KvBlend(bg, colour, 8)));
    QCOMPARE(Hex(bmp.Pixel(3, 0)), Hex(KvBlend(bg, colour, 240)));
    QCOMPARE(Hex(bmp.Pixel(4, 0)), Hex(colour));
    QCOMPARE(Hex(bmp.Pixel(5, 0)), Hex(colour));

    // A source without pixels or surface draws nothing.
    TKvBmp empty;
    const auto before = Snapshot(bmp);
    bmp.DrawAlpha(&empty, 0, 0);
    bmp.DrawAlpha(nullptr, 0, 0);
    TKvBmp freed(nullptr, 2, 1);
    freed.Free(false);
    bmp.DrawAlpha(&freed, 0, 0);
    QCOMPARE(Snapshot(bmp), before);
}

QTEST_MAIN(TestKvBmpFaces)
#include "tst_kvbmpfaces.moc"
