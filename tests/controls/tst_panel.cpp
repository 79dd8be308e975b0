// The gradient panel: switches, gradient ends, caption lines and placement,
// soft inner corners, NoPaint and the paint events.

#include "kvpanel.h"
#include "kvwidgettest.h"

#include <QPainter>
#include <QTest>

namespace {

constexpr TColor Back = 0xFFFFFF;
constexpr TColor Ink = 0x000000;

// A panel in a window, at (10, 10).
struct TWindow
{
    QWidget window;
    TKvPanel *panel;

    explicit TWindow(QSize size = QSize(160, 80))
    {
        window.resize(size.width() + 40, size.height() + 40);
        panel = new TKvPanel(&window);
        panel->move(10, 10);
        panel->resize(size);
    }
};

// The rows (top, bottom + 1) that hold dark pixels (the text's ink on white).
QPair<int, int> InkRows(const QImage &image)
{
    int top = image.height();
    int bottom = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (KvRedOf(ImagePixel(image, x, y)) < 128) {
                top = qMin(top, y);
                bottom = qMax(bottom, y + 1);
            }
    return {top, bottom};
}

} // namespace

class TestPanel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void defaults();
    void fillSwitchesExcludeEachOther();
    void darkerEndIsClamped();
    void brokenCaption_data();
    void brokenCaption();
    void captionLines_data();
    void captionLines();
    void captionVerticalAlignment_data();
    void captionVerticalAlignment();
    void pipeEnds_data();
    void pipeEnds();
    void softInnerCorners_data();
    void softInnerCorners();
    void noPaint();
    void paintEvents();
};

void TestPanel::defaults()
{
    TKvPanel panel;
    QCOMPARE(panel.AlignmentVertical(), tvaCenter);
    QCOMPARE(panel.Alignment(), taCenter);
    QCOMPARE(panel.ClBegin(), TColor(0xFDF5E5));
    QCOMPARE(panel.ClEnd(), TColor(0xBEB6AC));
    QCOMPARE(panel.ClBorder(), TColor(0));
    QCOMPARE(panel.GradientDarkerEnd(), 20);
    QCOMPARE(panel.GradientDirection(), gdVertical);
    QCOMPARE(panel.BevelOuter(), bvRaised);
    QCOMPARE(panel.BevelInner(), bvNone);
    QCOMPARE(panel.BevelWidth(), 1);
    QCOMPARE(panel.BorderWidth(), 0);
    QVERIFY(panel.BorderSoftInner());
    QVERIFY(panel.ShowCaption());
    QVERIFY(!panel.GradientFill());
    QVERIFY(!panel.GradientPipe());
    QVERIFY(!panel.BkgdefaultPaint());
    QVERIFY(!panel.NoPaint());
}

void TestPanel::fillSwitchesExcludeEachOther()
{
    TKvPanel panel;
    panel.SetBkgdefaultPaint(true);
    panel.SetGradientFill(true);
    QVERIFY(panel.GradientFill());
    QVERIFY(!panel.BkgdefaultPaint());
    panel.SetBkgdefaultPaint(true);
    QVERIFY(panel.BkgdefaultPaint());
    QVERIFY(!panel.GradientFill());
    // Turning one off leaves the other off.
    panel.SetBkgdefaultPaint(false);
    QVERIFY(!panel.GradientFill());
}

void TestPanel::darkerEndIsClamped()
{
    TKvPanel panel;
    panel.SetGradientDarkerEnd(300);
    QCOMPARE(panel.GradientDarkerEnd(), 255);
    panel.SetGradientDarkerEnd(-1);
    QCOMPARE(panel.GradientDarkerEnd(), 0);
}

void TestPanel::brokenCaption_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("drawn");
    QTest::addRow("two words") << QStringLiteral("One||Two") << QStringLiteral("One\r\nTwo");
    QTest::addRow("all pairs after the first bar pair")
        << QStringLiteral("a**b||c**d\u00A4\u00A4e") << QStringLiteral("a**b\r\nc\r\nd\r\ne");
    QTest::addRow("no bar pair: unchanged") << QStringLiteral("One**Two") << QStringLiteral("One**Two");
    QTest::addRow("three bars") << QStringLiteral("a|||b") << QStringLiteral("a\r\n|b");
}

void TestPanel::brokenCaption()
{
    QFETCH(QString, caption);
    QFETCH(QString, drawn);
    QCOMPARE(TKvPanel::BrokenCaption(caption), drawn);
}

void TestPanel::captionLines_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("lines");
    QTest::addRow("bars: two lines") << QStringLiteral("Alpha||Beta") << 2;
    QTest::addRow("stars alone: one line") << QStringLiteral("Alpha**Beta") << 1;
    QTest::addRow("plain") << QStringLiteral("Alpha Beta") << 1;
}

void TestPanel::captionLines()
{
    QFETCH(QString, caption);
    QFETCH(int, lines);

    TWindow w(QSize(200, 120));
    w.panel->SetBevelOuter(bvNone);
    w.panel->SetColor(Back);
    w.panel->SetFontColor(Ink);
    w.panel->SetCaption(caption);
    QVERIFY(ShowWindow(&w.window));
    const auto [top, bottom] = InkRows(Grabbed(w.panel));
    const int lineHeight = w.panel->fontMetrics().height();
    QVERIFY(bottom > top);
    QCOMPARE((bottom - top + lineHeight / 2) / lineHeight, lines);
}

void TestPanel::captionVerticalAlignment_data()
{
    QTest::addColumn<int>("alignment");
    QTest::addRow("top") << int(tvaTop);
    QTest::addRow("centre") << int(tvaCenter);
    QTest::addRow("bottom") << int(tvaBottom);
}

// The caption box sits at the top, in the middle or at the bottom of the
// client area less padding and pads.
void TestPanel::captionVerticalAlignment()
{
    QFETCH(int, alignment);

    TWindow w(QSize(200, 120));
    w.panel->SetBevelOuter(bvNone);
    w.panel->SetColor(Back);
    w.panel->SetFontColor(Ink);
    w.panel->SetCaption(QStringLiteral("Ag"));
    w.panel->SetAlignmentVertical(TKvVerticalAlignment(alignment));
    w.panel->SetPadding(QMargins(0, 10, 0, 4));
    w.panel->SetTextPadTop(6);
    w.panel->SetTextPadBottom(2);
    QVERIFY(ShowWindow(&w.window));
    const auto [top, bottom] = InkRows(Grabbed(w.panel));
    const int lineHeight = w.panel->fontMetrics().height();
    // The text area is rows 16 … 114.
    const int boxTop = alignment == tvaTop      ? 16
                       : alignment == tvaBottom ? 114 - lineHeight
                                                : 16 + (98 - lineHeight) / 2;
    QVERIFY2(top >= boxTop && bottom <= boxTop + lineHeight,
             qPrintable(QStringLiteral("ink %1 … %2, box from %3").arg(top).arg(bottom).arg(boxTop)));
}

void TestPanel::pipeEnds_data()
{
    QTest::addColumn<int>("darker");
    QTest::addColumn<TColor>("far");
    // ClEnd 0xC8A064: each channel × (255 - darker) / 255.
    QTest::addRow("not darker") << 0 << TColor(0xC8A064);
    QTest::addRow("darker by 20") << 20 << KvRgb(0x64 * 235 / 255, 0xA0 * 235 / 255, 0xC8 * 235 / 255);
}

// A pipe runs from ClEnd at the top to ClBegin at four tenths and on to the
// darkened ClEnd at the bottom.
void TestPanel::pipeEnds()
{
    QFETCH(int, darker);
    QFETCH(TColor, far);

    TWindow w(QSize(50, 100));
    w.panel->SetBevelOuter(bvNone);
    w.panel->SetGradientFill(true);
    w.panel->SetGradientPipe(true);
    w.panel->SetClBegin(0xF0F0F0);
    w.panel->SetClEnd(0xC8A064);
    w.panel->SetGradientDarkerEnd(darker);
    QVERIFY(ShowWindow(&w.window));
    const QImage shown = Grabbed(w.panel);
    QCOMPARE_COLOUR(ImagePixel(shown, 25, 0), 0xC8A064);
    QCOMPARE_COLOUR(ImagePixel(shown, 25, 40), 0xF0F0F0);
    QCOMPARE_COLOUR(ImagePixel(shown, 25, 99), far);
}

void TestPanel::softInnerCorners_data()
{
    QTest::addColumn<int>("border");
    QTest::addColumn<bool>("soft");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("rounded");
    QTest::addRow("border, soft") << 2 << true << QSize(60, 40) << true;
    QTest::addRow("border, square") << 2 << false << QSize(60, 40) << false;
    QTest::addRow("no border") << 0 << true << QSize(60, 40) << false;
    QTest::addRow("inside lower than 10") << 2 << true << QSize(60, 13) << false;
}

// Inside a black border on white, the inner corner pixels are blended
// towards black by the coverage 255, 255, 168, 64 along the first row.
void TestPanel::softInnerCorners()
{
    QFETCH(int, border);
    QFETCH(bool, soft);
    QFETCH(QSize, size);
    QFETCH(bool, rounded);

    TWindow w(size);
    w.panel->SetBevelOuter(bvNone);
    w.panel->SetColor(Back);
    w.panel->SetClBorder(Ink);
    w.panel->SetBorderWidth(border);
    w.panel->SetBorderSoftInner(soft);
    QVERIFY(ShowWindow(&w.window));
    const QImage shown = Grabbed(w.panel);

    const int b = border;
    const int right = size.width() - 1 - b;
    const int bottom = size.height() - 1 - b;
    const quint32 c168 = (255 * (255 - 168)) >> 8;
    const quint32 c64 = (255 * (255 - 64)) >> 8;
    const QList<TColor> expected =
        rounded ? QList<TColor>{Ink, Ink, KvRgb(c168, c168, c168), KvRgb(c64, c64, c64)}
                : QList<TColor>{Back, Back, Back, Back};
    for (int j = 0; j < 4; ++j) {
        QCOMPARE_COLOUR(ImagePixel(shown, b + j, b), expected[j]);
        QCOMPARE_COLOUR(ImagePixel(shown, right - j, b), expected[j]);
        QCOMPARE_COLOUR(ImagePixel(shown, b, bottom - j), expected[j]);
        QCOMPARE_COLOUR(ImagePixel(shown, right - j, bottom), expected[j]);
    }
    QCOMPARE_COLOUR(ImagePixel(shown, b + 4, b), Back);
    if (b > 0)
        QCOMPARE_COLOUR(ImagePixel(shown, 0, 0), Ink);
}

// A panel with NoPaint shows its parent through; its children still paint.
void TestPanel::noPaint()
{
    TWindow w;
    QPalette palette = w.window.palette();
    palette.setColor(QPalette::Window, QColor(0x20, 0x40, 0x60));
    w.window.setPalette(palette);
    w.window.setAutoFillBackground(true);
    w.panel->SetColor(Back);
    w.panel->SetCaption(QStringLiteral("Hidden"));
    w.panel->SetNoPaint(true);
    auto *child = new QWidget(w.panel);
    child->setGeometry(40, 20, 10, 10);
    QPalette childPalette = child->palette();
    childPalette.setColor(QPalette::Window, QColor(0xFF, 0, 0));
    child->setPalette(childPalette);
    child->setAutoFillBackground(true);
    QVERIFY(ShowWindow(&w.window));

    const QImage shown = Grabbed(&w.window);
    for (const QPoint at : {QPoint(11, 11), QPoint(90, 50), QPoint(168, 88)})
        QCOMPARE_COLOUR(ImagePixel(shown, at.x(), at.y()), KvRgb(0x20, 0x40, 0x60));
    QCOMPARE_COLOUR(ImagePixel(shown, 55, 35), KvRgb(0xFF, 0, 0));
}

void TestPanel::paintEvents()
{
    TWindow w;
    w.panel->SetBevelOuter(bvNone);
    w.panel->SetColor(Back);
    bool painted = false;
    TKvRect paintedRect;
    w.panel->OnPainted = [&](TKvPanel *, QPainter *, const TKvRect &r) {
        painted = true;
        paintedRect = r;
    };
    QVERIFY(ShowWindow(&w.window));
    w.panel->repaint();
    QVERIFY(painted);
    QVERIFY(paintedRect == (TKvRect{0, 0, 160, 80}));
    QCOMPARE_COLOUR(ImagePixel(Grabbed(w.panel), 5, 5), Back);

    // Handled: the panel paints nothing of its own and OnPainted is skipped.
    painted = false;
    w.panel->OnPaintBegin = [](TKvPanel *, QPainter *canvas, const TKvRect &r, bool &handled) {
        canvas->fillRect(r.ToQRect(), QColor(0, 0, 0xFF));
        handled = true;
    };
    const QImage shown = Grabbed(w.panel);
    QVERIFY(!painted);
    QCOMPARE_COLOUR(ImagePixel(shown, 5, 5), 0xFF0000);
}

QTEST_MAIN(TestPanel)
#include "tst_panel.moc"
