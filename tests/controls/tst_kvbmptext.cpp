// Text on the bitmap: font selection, placement and flags, measuring,
// accelerators, clipping, background mode and the focus rectangle. These
// tests check where ink lands, not glyph shapes.

#include "kvbmp.h"
#include "kvtestpixels.h"

#include <QFontInfo>
#include <QTest>

namespace {

constexpr TColor White = 0xFFFFFFFF; // opaque white fill
constexpr TColor Black = 0x000000;

// A bitmap with a 20-pixel font, black transparent text on opaque white.
struct TextBitmap
{
    TKvBmp Bmp;
    TextBitmap(int width = 300, int height = 80, int style = 0)
        : Bmp(nullptr, width, height)
    {
        Bmp.SetFont(QStringLiteral("DejaVu Sans"), 15, Black, 96, style); // 15 × 96 / 72 = 20 pixels
        Bmp.SetTransparentText(true);
        Bmp.Fill(White);
    }

    // The box of the pixels that drawing changes.
    TKvRect Ink(const QString &text, quint32 format, const TKvRect &rect)
    {
        Bmp.Fill(White);
        const auto before = Snapshot(Bmp);
        Bmp.DrawText(text, format, rect);
        return ChangedBox(Bmp, before);
    }

    TKvRect Measure(const QString &text, bool singleLine)
    {
        TKvRect r{0, 0, 0, 0};
        Bmp.MeasureText(r, text, singleLine);
        return r;
    }
};

} // namespace

class TestKvBmpText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void setFontHeight_data();
    void setFontHeight();
    void setFontStyle_data();
    void setFontStyle();
    void setFontFace();
    void setFontWithoutSurface();
    void setFontColor();

    void drawsInsideTheClippedRect_data();
    void drawsInsideTheClippedRect();
    void horizontalPlacement_data();
    void horizontalPlacement();
    void verticalCentreOnlyForSingleLine();
    void wordBreak();
    void lineBreaks();
    void calculateMeasuresWithoutDrawing();
    void drawTextResult_data();
    void drawTextResult();
    void textOperationsNeedASurface();

    void ampersandMeasures_data();
    void ampersandMeasures();
    void accelaratorIsUnderlined();

    void transparentAndOpaque();
    void textBlendsWithColourWhateverTheAlpha();
    void drawCaptionRestoresColour();
    void ownStateAfterCanvasUse();
    void measureText();

    void focusRect_data();
    void focusRect();
};

void TestKvBmpText::setFontHeight_data()
{
    QTest::addColumn<int>("points");
    QTest::addColumn<int>("ppi");
    QTest::addColumn<int>("height");
    QTest::addRow("9 pt at 144 ppi") << 9 << 144 << -18;
    QTest::addRow("9 pt at 96 ppi") << 9 << 96 << -12;
    QTest::addRow("8 pt at 96 ppi (truncated)") << 8 << 96 << -10;
    QTest::addRow("10 pt at 120 ppi (truncated)") << 10 << 120 << -16;
    QTest::addRow("negative points") << -9 << 144 << 18;
    QTest::addRow("0 pt keeps the default size") << 0 << 96 << 0;
}

void TestKvBmpText::setFontHeight()
{
    QFETCH(int, points);
    QFETCH(int, ppi);
    QFETCH(int, height);
    TKvBmp bmp(nullptr, 10, 10);
    QVERIFY(bmp.SetFont(QString(), points, 1, ppi, 0));
    QCOMPARE(bmp.FontHeight(), height);
    if (height != 0)
        QCOMPARE(bmp.Font().pixelSize(), qAbs(height));
    QCOMPARE(bmp.Canvas()->font(), bmp.Font());
}

void TestKvBmpText::setFontStyle_data()
{
    QTest::addColumn<int>("style");
    QTest::addRow("plain") << 0;
    QTest::addRow("bold") << 1;
    QTest::addRow("italic") << 2;
    QTest::addRow("underline") << 4;
    QTest::addRow("strike-out") << 8;
    QTest::addRow("all") << 15;
}

void TestKvBmpText::setFontStyle()
{
    QFETCH(int, style);
    TKvBmp bmp(nullptr, 10, 10);
    QVERIFY(bmp.SetFont(QStringLiteral("DejaVu Sans"), 9, 1, 96, style));
    const QFont &font = bmp.Font();
    QCOMPARE(font.weight(), (style & 1) ? QFont::Bold : QFont::Normal);
    QCOMPARE(font.italic(), bool(style & 2));
    QCOMPARE(font.underline(), bool(style & 4));
    QCOMPARE(font.strikeOut(), bool(style & 8));
    QVERIFY(font.styleStrategy() & QFont::PreferOutline);
}

void TestKvBmpText::setFontFace()
{
    TKvBmp bmp(nullptr, 10, 10);
    QVERIFY(bmp.SetFont(QStringLiteral("DejaVu Sans"), 9, 1, 96, 0));
    QCOMPARE(QFontInfo(bmp.Font()).family(), QStringLiteral("DejaVu Sans"));
    const QString longFace(40, u'x');
    QVERIFY(bmp.SetFont(longFace, 9, 1, 96, 0));
    QCOMPARE(bmp.Font().family(), QString(32, u'x'));
    // An empty face is the default face.
    QVERIFY(bmp.SetFont(QString(), 9, 1, 96, 0));
    QCOMPARE(bmp.Font().family(), QFont().family());
}

void TestKvBmpText::setFontWithoutSurface()
{
    TKvBmp bmp;
    QVERIFY(!bmp.SetFont(QString(), 9, 1, 96, 0));
    QCOMPARE(bmp.FontHeight(), 0);
    // A surface without pixels still takes a font.
    TKvBmp freed(nullptr, 4, 4);
    freed.Free(false);
    QVERIFY(freed.SetFont(QString(), 9, 1, 144, 0));
    QCOMPARE(freed.FontHeight(), -18);
}

void TestKvBmpText::setFontColor()
{
    TKvBmp bmp(nullptr, 10, 10);
    QCOMPARE(bmp.FontColor(), 0u);
    QCOMPARE(bmp.SetFontColor(0x12345678), 0u);
    QCOMPARE(bmp.FontColor(), 0x345678u); // the low 24 bits
    QCOMPARE(bmp.SetFontColor(0xFF), 0x345678u);
    QCOMPARE(bmp.Canvas()->pen().color(), QColor(255, 0, 0));
    // SetFont with colour 1 keeps the colour; any other sets it.
    QVERIFY(bmp.SetFont(QString(), 9, 1, 96, 0));
    QCOMPARE(bmp.FontColor(), 0xFFu);
    QVERIFY(bmp.SetFont(QString(), 9, 0x00FF00, 96, 0));
    QCOMPARE(bmp.FontColor(), 0x00FF00u);
}

void TestKvBmpText::drawsInsideTheClippedRect_data()
{
    QTest::addColumn<quint32>("format");
    QTest::addColumn<TKvRect>("rect");
    const TKvRect narrow{20, 10, 60, 25}; // smaller than the text
    QTest::addRow("left, narrow") << quint32(0) << narrow;
    QTest::addRow("centre, single line, narrow") << quint32(0x21) << narrow;
    QTest::addRow("right, vertical centre, narrow") << quint32(0x26) << narrow;
    QTest::addRow("word break, narrow") << quint32(0x10) << narrow;
    QTest::addRow("partly left of the bitmap") << quint32(0x20) << TKvRect{-40, 5, 50, 40};
    QTest::addRow("partly below and right of the bitmap") << quint32(0x22) << TKvRect{250, 70, 400, 120};
}

void TestKvBmpText::drawsInsideTheClippedRect()
{
    QFETCH(quint32, format);
    QFETCH(TKvRect, rect);
    TextBitmap t;
    const TKvRect ink =
        t.Ink(QStringLiteral("Wide &text that does not fit\r\nand a second line"), format, rect);
    QVERIFY(!ink.IsEmpty());
    const TKvRect allowed = rect.Intersected(t.Bmp.Bounds());
    QCOMPARE(ink.Intersected(allowed), ink);
}

void TestKvBmpText::horizontalPlacement_data()
{
    QTest::addColumn<quint32>("format");
    QTest::addColumn<int>("fraction"); // of the free width that lies left of the text, in halves
    QTest::addRow("left") << quint32(0x20) << 0;
    QTest::addRow("centre") << quint32(0x21) << 1;
    QTest::addRow("right") << quint32(0x22) << 2;
    QTest::addRow("left, multi-line") << quint32(0x0) << 0;
    QTest::addRow("centre, multi-line") << quint32(0x1) << 1;
    QTest::addRow("right, multi-line") << quint32(0x2) << 2;
}

void TestKvBmpText::horizontalPlacement()
{
    QFETCH(quint32, format);
    QFETCH(int, fraction);
    TextBitmap t;
    const QString text = QStringLiteral("Placement");
    const TKvRect rect{30, 10, 270, 60};
    const int textWidth = t.Measure(text, true).Width();
    QVERIFY(textWidth > 40 && textWidth < rect.Width());

    const TKvRect leftInk = t.Ink(text, 0x20, rect);
    const TKvRect ink = t.Ink(text, format, rect);
    const int expectedShift = (rect.Width() - textWidth) * fraction / 2;
    QVERIFY2(
        qAbs(ink.Left - leftInk.Left - expectedShift) <= 1,
        qPrintable(QStringLiteral("shift %1, expected %2").arg(ink.Left - leftInk.Left).arg(expectedShift)));
    QCOMPARE(ink.Top, leftInk.Top);
    QVERIFY(leftInk.Left - rect.Left <= 3); // at most the glyph's side bearing
}

void TestKvBmpText::verticalCentreOnlyForSingleLine()
{
    TextBitmap t;
    const QString text = QStringLiteral("Middle");
    const TKvRect rect{10, 4, 200, 76};
    const int textHeight = t.Measure(text, true).Height();
    const TKvRect top = t.Ink(text, 0x20, rect);
    const TKvRect centred = t.Ink(text, 0x24, rect);
    QVERIFY(qAbs(centred.Top - top.Top - (rect.Height() - textHeight) / 2) <= 1);
    QCOMPARE(centred.Left, top.Left);
    // Without single line the flag is ignored: the text stays at the top.
    QCOMPARE(t.Ink(text, 0x04, rect), t.Ink(text, 0x00, rect));
}

void TestKvBmpText::wordBreak()
{
    TextBitmap t;
    const QString text = QStringLiteral("alpha beta gamma delta");
    const int lineHeight = t.Measure(QStringLiteral("alpha"), true).Height();
    const TKvRect rect{5, 0, 95, 80};
    const TKvRect broken = t.Ink(text, 0x10, rect);
    QVERIFY2(broken.Height() > 2 * lineHeight, qPrintable(QString::number(broken.Height())));
    const TKvRect unbroken = t.Ink(text, 0x00, rect);
    QVERIFY(unbroken.Height() < lineHeight);
    QCOMPARE(unbroken.Right, rect.Right); // cut at the rectangle

    // Measured: the lines fit the width, and the height holds all of them.
    TKvRect measured = rect;
    QVERIFY(t.Bmp.DrawText(text, 0x410, measured));
    QCOMPARE(measured.Left, rect.Left);
    QCOMPARE(measured.Top, rect.Top);
    QVERIFY(measured.Width() <= rect.Width());
    QVERIFY(measured.Height() >= 3 * lineHeight);
    // A word longer than the width widens the measured rectangle.
    TKvRect tight{0, 0, 10, 0};
    t.Bmp.DrawText(QStringLiteral("unbreakable"), 0x410, tight);
    QCOMPARE(tight.Width(), t.Measure(QStringLiteral("unbreakable"), true).Width());
}

void TestKvBmpText::lineBreaks()
{
    TextBitmap t;
    const TKvRect one = t.Measure(QStringLiteral("first"), true);
    for (const QString &text : {QStringLiteral("first\r\nsecond"), QStringLiteral("first\nsecond"),
                                QStringLiteral("first\rsecond")}) {
        const TKvRect multi = t.Measure(text, false);
        QCOMPARE(multi.Height(), 2 * one.Height());
        QCOMPARE(multi.Width(), t.Measure(QStringLiteral("second"), true).Width());
        // As one line the break counts as white space.
        const TKvRect single = t.Measure(text, true);
        QCOMPARE(single.Height(), one.Height());
        QVERIFY(single.Width() > multi.Width());
    }
    const TKvRect drawn = t.Ink(QStringLiteral("first\r\nsecond"), 0x0, t.Bmp.Bounds());
    QVERIFY(drawn.Height() > one.Height());
}

void TestKvBmpText::calculateMeasuresWithoutDrawing()
{
    TextBitmap t;
    const auto before = Snapshot(t.Bmp);
    TKvRect r{0, 0, 0, 0}; // the label measures its caption from an empty rectangle
    QVERIFY(t.Bmp.DrawText(QStringLiteral("Caption"), 0x400, r));
    QCOMPARE(Snapshot(t.Bmp), before);
    QCOMPARE(r, t.Measure(QStringLiteral("Caption"), false));
    QVERIFY(r.Width() > 0 && r.Height() > 0);
    // Also for a rectangle outside the bitmap: measuring is not clipped.
    TKvRect outside{1000, 1000, 1000, 1000};
    QVERIFY(t.Bmp.DrawText(QStringLiteral("Caption"), 0x420, outside));
    QCOMPARE(outside.Width(), r.Width());
    QCOMPARE(outside.Left, 1000);
}

void TestKvBmpText::drawTextResult_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<TKvRect>("rect");
    QTest::addColumn<bool>("drawn");
    QTest::addRow("text in the bitmap") << QStringLiteral("Text") << TKvRect{0, 0, 100, 40} << true;
    QTest::addRow("null text") << QString() << TKvRect{0, 0, 100, 40} << false;
    QTest::addRow("empty text") << QStringLiteral("") << TKvRect{0, 0, 100, 40} << false;
    QTest::addRow("empty rectangle") << QStringLiteral("Text") << TKvRect{10, 10, 10, 40} << false;
    QTest::addRow("inverted rectangle") << QStringLiteral("Text") << TKvRect{50, 10, 10, 40} << false;
    QTest::addRow("outside the bitmap") << QStringLiteral("Text") << TKvRect{300, 0, 400, 40} << false;
}

void TestKvBmpText::drawTextResult()
{
    QFETCH(QString, text);
    QFETCH(TKvRect, rect);
    QFETCH(bool, drawn);
    TextBitmap t;
    const auto before = Snapshot(t.Bmp);
    QCOMPARE(t.Bmp.DrawText(text, 0x20, rect), drawn);
    QCOMPARE(Snapshot(t.Bmp) != before, drawn);
}

void TestKvBmpText::textOperationsNeedASurface()
{
    TKvBmp bmp;
    TKvRect r{0, 0, 10, 10};
    QCOMPARE(ErrorOf([&] { bmp.DrawText(QStringLiteral("x"), 0, r); }), QStringLiteral("No Bitmap Created"));
    QCOMPARE(ErrorOf([&] { bmp.DrawCaption(QStringLiteral("x"), 0, r, 0); }),
             QStringLiteral("No Bitmap Created"));
    QCOMPARE(ErrorOf([&] { bmp.MeasureText(r, QStringLiteral("x"), true); }),
             QStringLiteral("No Bitmap Created"));
    QCOMPARE(ErrorOf([&] { bmp.DrawFocusRect(r); }), QStringLiteral("No Bitmap Created"));
    // A surface without pixels measures, and draws nothing.
    TKvBmp freed(nullptr, 40, 40);
    freed.Free(false);
    QVERIFY(freed.MeasureText(r, QStringLiteral("x"), true));
    QVERIFY(!freed.DrawText(QStringLiteral("x"), 0, TKvRect{0, 0, 10, 10}));
}

void TestKvBmpText::ampersandMeasures_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::addRow("accelerator") << QStringLiteral("&File") << QStringLiteral("File");
    QTest::addRow("accelerator inside") << QStringLiteral("Sa&ve as") << QStringLiteral("Save as");
    QTest::addRow("double ampersand is one") << QStringLiteral("A&&B") << QStringLiteral("A&B");
    QTest::addRow("trailing ampersand") << QStringLiteral("AB&&") << QStringLiteral("AB&");
}

void TestKvBmpText::ampersandMeasures()
{
    QFETCH(QString, text);
    QFETCH(QString, shown);
    TextBitmap t;
    // Measured without accelerator handling, "shown" is what is drawn.
    const QFontMetrics metrics(t.Bmp.Font());
    const int expected = metrics.boundingRect(QRect(), Qt::TextSingleLine, shown).width();
    QCOMPARE(t.Measure(text, true).Width(), expected);
}

void TestKvBmpText::accelaratorIsUnderlined()
{
    TextBitmap t;
    const TKvRect rect{10, 10, 200, 70};
    const TKvRect plain = t.Ink(QStringLiteral("W"), 0x20, rect);
    const TKvRect marked = t.Ink(QStringLiteral("&W"), 0x20, rect);
    // The underline lies below the glyph, along its width.
    QVERIFY2(marked.Bottom > plain.Bottom,
             qPrintable(QStringLiteral("%1 %2").arg(marked.Bottom).arg(plain.Bottom)));
    int dark = 0;
    for (int x = plain.Left; x < plain.Right; ++x)
        dark += KvPixelRed(t.Bmp.Pixel(x, marked.Bottom - 1)) < 128;
    QVERIFY(dark >= plain.Width() / 2);
    // The underline marks the character after the ampersand only.
    const TKvRect second = t.Ink(QStringLiteral("W&W"), 0x20, rect);
    int underlinedLeftHalf = 0;
    for (int x = second.Left; x < second.Left + plain.Width() / 2; ++x)
        underlinedLeftHalf += KvPixelRed(t.Bmp.Pixel(x, second.Bottom - 1)) < 128;
    QCOMPARE(underlinedLeftHalf, 0);
}

void TestKvBmpText::transparentAndOpaque()
{
    TextBitmap t;
    const TKvRect rect{10, 10, 200, 60};
    auto whitePixels = [&] {
        int n = 0;
        for (int y = 0; y < t.Bmp.Height(); ++y)
            for (int x = 0; x < t.Bmp.Width(); ++x)
                n += (t.Bmp.Pixel(x, y) & 0xFFFFFFu) == 0xFFFFFFu;
        return n;
    };
    t.Bmp.SetTransparentText(false);
    t.Bmp.Fill(0xFFFF0000); // blue
    t.Bmp.DrawText(QStringLiteral("Opaque"), 0x20, rect);
    QVERIFY(whitePixels() > 0); // the text cell is filled with the white background

    t.Bmp.SetTransparentText(true);
    t.Bmp.Fill(0xFFFF0000);
    t.Bmp.DrawText(QStringLiteral("Transparent"), 0x20, rect);
    QCOMPARE(whitePixels(), 0);
}

void TestKvBmpText::textBlendsWithColourWhateverTheAlpha()
{
    // A plain colour fill leaves alpha 0; the anti-aliased edges of text must
    // still mix with the red below them.
    TextBitmap t;
    t.Bmp.Fill(KvRgb(255, 0, 0));
    t.Bmp.SetFontColor(KvRgb(0, 0, 255));
    const auto before = Snapshot(t.Bmp);
    t.Bmp.DrawText(QStringLiteral("Smooth edges"), 0x20, TKvRect{5, 5, 290, 60});
    int mixed = 0, changed = 0;
    for (int y = 0; y < t.Bmp.Height(); ++y)
        for (int x = 0; x < t.Bmp.Width(); ++x) {
            const quint32 p = t.Bmp.Pixel(x, y);
            if (p == before[std::size_t(y) * 300 + x])
                continue;
            ++changed;
            const int red = int(KvPixelRed(p)), blue = int(KvPixelBlue(p));
            QVERIFY2(qAbs(red + blue - 255) <= 8, qPrintable(Hex(p)));
            mixed += red > 20 && blue > 20;
        }
    QVERIFY(changed > 0);
    QVERIFY(mixed > 0);
}

void TestKvBmpText::drawCaptionRestoresColour()
{
    TextBitmap t(300, 80, KvFontStyle::Bold);
    t.Bmp.SetFontColor(0x00FF00);
    QVERIFY(t.Bmp.DrawCaption(QStringLiteral("IIII"), 0x20, TKvRect{10, 10, 200, 60}, KvRgb(0, 0, 255)));
    QCOMPARE(t.Bmp.FontColor(), 0x00FF00u);
    int inCaptionColour = 0;
    for (int y = 0; y < t.Bmp.Height(); ++y)
        for (int x = 0; x < t.Bmp.Width(); ++x)
            inCaptionColour += (t.Bmp.Pixel(x, y) & 0xFFFFFFu) == 0x0000FFu;
    QVERIFY(inCaptionColour > 10);
}

void TestKvBmpText::ownStateAfterCanvasUse()
{
    TextBitmap t;
    const TKvRect rect{10, 10, 200, 60};
    const TKvRect expected = t.Ink(QStringLiteral("State"), 0x20, rect);
    QPainter *canvas = t.Bmp.Canvas();
    QVERIFY(canvas);
    canvas->setPen(Qt::green);
    canvas->setFont(QFont(QStringLiteral("DejaVu Serif"), 30));
    canvas->setClipRect(QRect(0, 0, 12, 12));
    const TKvRect after = t.Ink(QStringLiteral("State"), 0x20, rect);
    QCOMPARE(after, expected);
    for (int y = after.Top; y < after.Bottom; ++y)
        for (int x = after.Left; x < after.Right; ++x)
            QVERIFY(KvPixelGreen(t.Bmp.Pixel(x, y)) == KvPixelRed(t.Bmp.Pixel(x, y)));
}

void TestKvBmpText::measureText()
{
    TextBitmap t;
    TKvRect r{7, 9, 7, 9};
    QVERIFY(t.Bmp.MeasureText(r, QStringLiteral("Extent"), true));
    QCOMPARE(r.Left, 7);
    QCOMPARE(r.Top, 9);
    QVERIFY(r.Height() >= 20 && r.Height() <= 30);
    TKvRect empty{3, 4, 50, 60};
    QVERIFY(t.Bmp.MeasureText(empty, QString(), true));
    QCOMPARE(empty, (TKvRect{3, 4, 3, 4}));
    // The ink of the drawn text lies within the measured extent.
    const TKvRect at{20, 10, 20 + r.Width(), 10 + r.Height()};
    const TKvRect ink = t.Ink(QStringLiteral("Extent"), 0x20, at);
    QCOMPARE(ink.Intersected(at), ink);
    QVERIFY(ink.Width() >= r.Width() - 4);
}

void TestKvBmpText::focusRect_data()
{
    QTest::addColumn<TKvRect>("rect");
    QTest::addRow("inside") << TKvRect{2, 2, 28, 18};
    QTest::addRow("whole bitmap") << TKvRect{0, 0, 30, 20};
    QTest::addRow("partly outside") << TKvRect{-5, 10, 12, 30};
    QTest::addRow("one row") << TKvRect{3, 5, 20, 6};
    QTest::addRow("one column") << TKvRect{3, 5, 4, 15};
}

void TestKvBmpText::focusRect()
{
    QFETCH(TKvRect, rect);
    TKvBmp bmp(nullptr, 30, 20);
    bmp.Fill(0x40123456);
    const auto before = Snapshot(bmp);
    bmp.DrawFocusRect(rect);
    const TKvRect r = rect.Intersected(bmp.Bounds());
    QCOMPARE(ChangedOutside(bmp, before, r), 0);
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x) {
            const bool onFrame = y == r.Top || y == r.Bottom - 1 || x == r.Left || x == r.Right - 1;
            const bool dot = onFrame && (x + y) % 2 == 0;
            QCOMPARE(Hex(bmp.Pixel(x, y)), Hex(dot ? 0x40A9CBEDu : 0x40563412u));
        }
    bmp.DrawFocusRect(rect);
    QCOMPARE(Snapshot(bmp), before);
}

QTEST_MAIN(TestKvBmpText)
#include "tst_kvbmptext.moc"
