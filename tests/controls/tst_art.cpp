// The end pieces: own colours, following a label's size and colours,
// waiting for labels that have not painted, corners.

#include "kvart.h"
#include "kvwidgettest.h"

#include <QTest>

#include <vector>

namespace {

constexpr TColor Light = 0x40F0E0;
constexpr TColor Dark = 0x602010;

// The row fade over w pixels from r (next to the label) outwards to e; the
// step grows by one tenth-unit per pixel.
std::vector<TColor> Fade(int w, TColor r, TColor e)
{
    const qint64 total = qint64(w) * (w + 19) / 2;
    std::vector<TColor> row;
    qint64 v[3] = {qint64(KvRedOf(r)) << 22, qint64(KvGreenOf(r)) << 22, qint64(KvBlueOf(r)) << 22};
    const qint64 step[3] = {((qint64(KvRedOf(r)) - KvRedOf(e)) << 22) / total,
                            ((qint64(KvGreenOf(r)) - KvGreenOf(e)) << 22) / total,
                            ((qint64(KvBlueOf(r)) - KvBlueOf(e)) << 22) / total};
    for (int i = 0; i < w; ++i) {
        row.push_back(KvRgb(quint32(v[0] >> 22), quint32(v[1] >> 22), quint32(v[2] >> 22)));
        for (int c = 0; c < 3; ++c)
            v[c] -= step[c] * (10 + i);
    }
    return row;
}

// The piece's own colour line: a pipe (dark, light at two fifths, dark
// shadowed) or one run from light to dark.
std::vector<TColor> OwnLine(int n, bool pipe, int shadow)
{
    std::vector<quint32> pixels(static_cast<std::size_t>(n));
    if (pipe) {
        const int d = 2 * n / 5;
        const quint32 keep = quint32(255 - shadow);
        const TColor sh =
            KvRgb(KvRedOf(Dark) * keep / 255, KvGreenOf(Dark) * keep / 255, KvBlueOf(Dark) * keep / 255);
        KvColorRun(pixels.data(), d, Dark, Light);
        KvColorRun(pixels.data() + d, n - d, Light, sh);
    } else {
        KvColorRun(pixels.data(), n, Light, Dark);
    }
    std::vector<TColor> line;
    for (quint32 p : pixels)
        line.push_back(KvColorOfPixel(p));
    return line;
}

TColor ArtPixel(const TKvArt *art, int x, int y)
{
    return RowPixel(art->getScanLine(y), x);
}

TKvGradiLabel *SolidLabel(QWidget *parent, TColor colour, QSize size, QPoint at)
{
    auto *label = new TKvGradiLabel(parent);
    label->SetAutoSize(false);
    label->SetGradiStyle(agsSolid);
    label->SetClGradiDark(colour);
    label->resize(size);
    label->move(at);
    return label;
}

} // namespace

class TestArt : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void endPieceAlone_data();
    void endPieceAlone();
    void endPieceFollowsLabel_data();
    void endPieceFollowsLabel();
    void waitsForUnpaintedLabel();
    void followsLabelStateChange_data();
    void followsLabelStateChange();
    void spaceNeverReadsLabel();
    void pipeShadowIsClamped();
    void corners_data();
    void corners();
};

void TestArt::endPieceAlone_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("style");
    QTest::addRow("left, pipe") << int(aatEndLeft) << int(agsVertPipe);
    QTest::addRow("right, pipe") << int(aatEndRight) << int(agsVertPipe);
    QTest::addRow("left, gradient") << int(aatEndLeft) << int(agsVertGradi);
}

// Without a label every row starts with the own colour line and fades to
// the own dark colour.
void TestArt::endPieceAlone()
{
    QFETCH(int, type);
    QFETCH(int, style);

    QWidget window;
    auto *art = new TKvArt(&window);
    art->SetArtType(TKvArtType(type));
    art->SetArtStyle(TKvGradyStyle(style));
    art->SetClGradiLight(Light);
    art->SetClGradiDark(Dark);
    art->SetPipeShadow(100);
    QVERIFY(ShowWindow(&window));
    QTRY_VERIFY(!art->IsDirty());

    const int w = art->width();
    const int h = art->height();
    QCOMPARE(QSize(w, h), QSize(23, 23));
    const std::vector<TColor> line = OwnLine(h, style == agsVertPipe, 100);
    const bool left = type == aatEndLeft;
    for (int y = 0; y < h; ++y) {
        const std::vector<TColor> fade = Fade(w, line[std::size_t(y)], Dark);
        for (int i = 0; i < w; ++i)
            QCOMPARE_COLOUR(ArtPixel(art, left ? w - 1 - i : i, y), fade[std::size_t(i)]);
    }
}

void TestArt::endPieceFollowsLabel_data()
{
    QTest::addColumn<int>("type");
    QTest::addRow("left") << int(aatEndLeft);
    QTest::addRow("right") << int(aatEndRight);
}

// A piece 23 × 23 next to a label 26 high grows to 26 and starts each row
// with the label's colour of that row.
void TestArt::endPieceFollowsLabel()
{
    QFETCH(int, type);

    QWidget window;
    window.resize(200, 60);
    auto *label = new TKvGradiLabel(&window);
    label->SetAutoSize(false);
    label->resize(80, 26);
    label->move(50, 5);
    label->SetClGradiDark(Dark);
    label->SetClGradiLight(Light);
    auto *art = new TKvArt(&window);
    art->move(type == aatEndLeft ? 27 : 130, 5);
    art->SetArtType(TKvArtType(type));
    if (type == aatEndLeft)
        art->SetLabelAfter(label);
    else
        art->SetLabelBefore(label);
    QVERIFY(ShowWindow(&window));
    QTRY_VERIFY(!art->IsDirty());

    QCOMPARE(art->size(), QSize(23, 26));
    const int inner = type == aatEndLeft ? 22 : 0;
    const int outer = 22 - inner;
    for (int y = 0; y < 26; ++y) {
        const TColor row = RowPixel(label->getScanLine(y), 0);
        QCOMPARE_COLOUR(ArtPixel(art, inner, y), row);
        QCOMPARE_COLOUR(ArtPixel(art, outer, y), Fade(23, row, Dark).back());
    }
}

// A piece whose label has not painted paints none of its shape and tries
// again once the label has painted, without repainting itself meanwhile.
void TestArt::waitsForUnpaintedLabel()
{
    QWidget window;
    window.resize(200, 60);
    auto *label = SolidLabel(&window, 0x3366CC, QSize(60, 23), QPoint(40, 5));
    label->hide();
    auto *art = new TKvArt(&window);
    art->SetArtType(aatEndLeft);
    art->SetLabelAfter(label);
    int paints = 0;
    art->OnPaint = [&paints](TKvArt *, QPainter *) { ++paints; };
    QVERIFY(ShowWindow(&window));
    for (int i = 0; i < 10; ++i)
        QCoreApplication::processEvents();
    QVERIFY(art->IsDirty());
    QVERIFY2(paints <= 2, qPrintable(QStringLiteral("%1 paints while waiting").arg(paints)));

    label->show();
    QTRY_VERIFY(!art->IsDirty());
    QCOMPARE_COLOUR(ArtPixel(art, 22, 0), 0x3366CC);
}

void TestArt::followsLabelStateChange_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("enabledFirst");
    QTest::addRow("left, enabled") << int(aatEndLeft) << false;
    QTest::addRow("right, enabled") << int(aatEndRight) << false;
    QTest::addRow("left, disabled") << int(aatEndLeft) << true;
    QTest::addRow("right, disabled") << int(aatEndRight) << true;
}

// A label that is enabled or disabled repaints in other colours; the piece
// next to it continues the new colours, not the old ones.
void TestArt::followsLabelStateChange()
{
    QFETCH(int, type);
    QFETCH(bool, enabledFirst);

    QWidget window;
    window.resize(200, 60);
    auto *label = new TKvGradiLabel(&window);
    label->SetAutoSize(false);
    label->resize(80, 23);
    label->move(50, 5);
    label->SetClGradiDark(Dark);
    label->SetClGradiLight(Light);
    label->setEnabled(enabledFirst);
    auto *art = new TKvArt(&window);
    art->move(type == aatEndLeft ? 27 : 130, 5);
    art->SetArtType(TKvArtType(type));
    if (type == aatEndLeft)
        art->SetLabelAfter(label);
    else
        art->SetLabelBefore(label);
    QVERIFY(ShowWindow(&window));
    QTRY_VERIFY(!art->IsDirty());
    const int inner = type == aatEndLeft ? 22 : 0;
    const TColor before = RowPixel(label->getScanLine(10), 0);
    QCOMPARE_COLOUR(ArtPixel(art, inner, 10), before);

    label->setEnabled(!enabledFirst);
    QTRY_VERIFY(RowPixel(label->getScanLine(10), 0) != before);
    QTRY_VERIFY(!art->IsDirty());
    for (int y = 0; y < 23; ++y)
        QCOMPARE_COLOUR(ArtPixel(art, inner, y), RowPixel(label->getScanLine(y), 0));
    // And on the screen.
    const QImage screen = Grabbed(&window);
    QCOMPARE_COLOUR(ImagePixel(screen, art->x() + inner, art->y() + 10), RowPixel(label->getScanLine(10), 0));
}

void TestArt::spaceNeverReadsLabel()
{
    QWidget window;
    auto *label = SolidLabel(&window, 0x3366CC, QSize(60, 23), QPoint(40, 5));
    label->hide();
    auto *art = new TKvArt(&window);
    art->SetArtType(aatSpace);
    art->SetArtStyle(agsSolid);
    art->SetClGradiDark(Dark);
    art->SetLabelAfter(label);
    QVERIFY(ShowWindow(&window));
    QTRY_VERIFY(!art->IsDirty());
    QCOMPARE_COLOUR(ArtPixel(art, 22, 0), Dark);
}

void TestArt::pipeShadowIsClamped()
{
    TKvArt art;
    art.SetPipeShadow(300);
    QCOMPARE(art.PipeShadow(), 255);
    art.SetPipeShadow(-5);
    QCOMPARE(art.PipeShadow(), 0);
}

void TestArt::corners_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QPoint>("rowPoint");    // in the row label's part
    QTest::addColumn<QPoint>("columnPoint"); // in the column label's part
    // The corner takes the row label's height (20) and the column label's
    // width (30).
    QTest::addRow("north-west") << int(aatCornerNW) << QPoint(29, 0) << QPoint(0, 19);
    QTest::addRow("north-east") << int(aatCornerNE) << QPoint(0, 0) << QPoint(29, 19);
    QTest::addRow("south-east") << int(aatCornerSE) << QPoint(0, 19) << QPoint(29, 0);
    QTest::addRow("south-west") << int(aatCornerSW) << QPoint(29, 19) << QPoint(0, 0);
}

void TestArt::corners()
{
    QFETCH(int, type);
    QFETCH(QPoint, rowPoint);
    QFETCH(QPoint, columnPoint);

    constexpr TColor RowColour = 0x0000C0;
    constexpr TColor ColumnColour = 0xC00000;
    QWidget window;
    window.resize(200, 120);
    TKvGradiLabel *rowLabel = SolidLabel(&window, RowColour, QSize(40, 20), QPoint(60, 5));
    TKvGradiLabel *columnLabel = SolidLabel(&window, ColumnColour, QSize(30, 40), QPoint(10, 60));
    auto *art = new TKvArt(&window);
    art->move(10, 5);
    art->SetArtType(TKvArtType(type));
    // North-west and south-east read rows from LabelAfter, the others from
    // LabelBefore; the other label gives the columns.
    const bool rowsAfter = type == aatCornerNW || type == aatCornerSE;
    art->SetLabelAfter(rowsAfter ? rowLabel : columnLabel);
    art->SetLabelBefore(rowsAfter ? columnLabel : rowLabel);
    QVERIFY(ShowWindow(&window));
    QTRY_VERIFY(!art->IsDirty());

    QCOMPARE(art->size(), QSize(30, 20));
    QCOMPARE_COLOUR(ArtPixel(art, rowPoint.x(), rowPoint.y()), RowColour);
    QCOMPARE_COLOUR(ArtPixel(art, columnPoint.x(), columnPoint.y()), ColumnColour);
}

QTEST_MAIN(TestArt)
#include "tst_art.moc"
