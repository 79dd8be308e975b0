// The gradient label: looks by state, sizing, mouse handling, images,
// actions and neighbours.

#include "kvgradilabel.h"
#include "kvwidgettest.h"

#include <QAction>
#include <QApplication>
#include <QEnterEvent>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

// Distinct colours for every state, so that a wrong choice shows.
constexpr TColor NormalDark = 0x102030;
constexpr TColor HotDark = 0x405060;
constexpr TColor PressDark = 0x708090;
constexpr TColor DisableDark = 0xA0B0C0;
constexpr TColor NormalFont = 0x0000C0;
constexpr TColor HotFont = 0x00C000;
constexpr TColor PressedFont = 0xC00000;
constexpr TColor DisabledFont = 0xC0C000;

enum class Action { None, Enter, Press, Disable };

void SendEnter(QWidget *widget)
{
    const QPointF at(3, 3);
    QEnterEvent event(at, at, widget->mapToGlobal(at));
    QApplication::sendEvent(widget, &event);
}

void SendLeave(QWidget *widget)
{
    QEvent event(QEvent::Leave);
    QApplication::sendEvent(widget, &event);
}

// A window holding labels at fixed places (no layout).
struct TWindow
{
    QWidget window;
    TWindow() { window.resize(400, 120); }

    TKvGradiLabel *Label(const QString &caption = QStringLiteral("IIII"))
    {
        auto *label = new TKvGradiLabel(&window);
        label->move(10, 10);
        label->SetCaption(caption);
        return label;
    }
};

bool BitmapHasColour(const TKvGradiLabel *label, TColor colour)
{
    for (int y = 0; y < label->height(); ++y)
        for (int x = 0; x < label->width(); ++x)
            if (RowPixel(label->getScanLine(y), x) == colour)
                return true;
    return false;
}

} // namespace

class TestGradiLabel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void defaults();
    void stateColours_data();
    void stateColours();
    void pipeShadowIsClamped_data();
    void pipeShadowIsClamped();
    void autoSize_data();
    void autoSize();
    void autoSizeKeepsRightEdge();
    void autoSizeLeavesAlignedLabels();
    void dirtyFlag();
    void altSpaceDrawsNoCaption();
    void pressedEdge();
    void pressDragAndRelease();
    void hotImageFallsBack_data();
    void hotImageFallsBack();
    void action();
    void neighbourDestroyed();
};

void TestGradiLabel::defaults()
{
    TKvGradiLabel label;
    QCOMPARE(label.size(), QSize(81, 23));
    QCOMPARE(label.GradiStyle(), agsVertPipe);
    QCOMPARE(label.LabelType(), altLabel);
    QCOMPARE(label.ClGradiDark(), TColor(0xE97A01));
    QCOMPARE(label.ClButtonLight(), TColor(0xFF000014));
    QCOMPARE(label.ClFontPressed(), TColor(0xFF000008));
    QCOMPARE(label.MarginTextHorz(), 6);
    QCOMPARE(label.MarginTextVert(), 3);
    QCOMPARE(label.MarginImage(), 3);
    QCOMPARE(label.PipeShadow(), 60);
    QVERIFY(label.AutoSize());
    QVERIFY(label.Alive());
    QCOMPARE(label.ImageIndex(), -1);
    QVERIFY(!label.GetFullyLoaded());
}

void TestGradiLabel::stateColours_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("alive");
    QTest::addColumn<Action>("action");
    QTest::addColumn<int>("state");
    QTest::addColumn<TColor>("background");
    QTest::addColumn<TColor>("font");

    QTest::addRow("normal") << int(altButton) << true << Action::None << 0 << NormalDark << NormalFont;
    QTest::addRow("hot") << int(altButton) << true << Action::Enter << 1 << HotDark << HotFont;
    QTest::addRow("pressed") << int(altButton) << true << Action::Press << 2 << PressDark << PressedFont;
    QTest::addRow("disabled") << int(altButton) << true << Action::Disable << 3 << DisableDark
                              << DisabledFont;
    QTest::addRow("not alive: no hot")
        << int(altButton) << false << Action::Enter << 0 << NormalDark << NormalFont;
    QTest::addRow("not alive: no pressed")
        << int(altButton) << false << Action::Press << 0 << NormalDark << NormalFont;
    QTest::addRow("not alive: normal when disabled")
        << int(altButton) << false << Action::Disable << 0 << NormalDark << NormalFont;
    QTest::addRow("caption field: hot") << int(altLabel) << true << Action::Enter << 1 << HotDark << HotFont;
    QTest::addRow("caption field: never pressed")
        << int(altLabel) << true << Action::Press << 1 << HotDark << HotFont;
    QTest::addRow("spacer: no hot") << int(altSpace) << true << Action::Enter << 0 << NormalDark << TColor(0);
}

void TestGradiLabel::stateColours()
{
    QFETCH(int, type);
    QFETCH(bool, alive);
    QFETCH(Action, action);
    QFETCH(int, state);
    QFETCH(TColor, background);
    QFETCH(TColor, font);

    TWindow w;
    TKvGradiLabel *label = w.Label();
    QFont bigger = label->font();
    bigger.setPixelSize(20);
    label->setFont(bigger);
    label->SetLabelType(TKvLabelType(type));
    label->SetAlive(alive);
    label->SetGradiStyle(agsSolid);
    label->SetClGradiDark(NormalDark);
    label->SetClHotDark(HotDark);
    label->SetClPressDark(PressDark);
    label->SetClDisableDark(DisableDark);
    label->SetFontColor(NormalFont);
    label->SetClFontHot(HotFont);
    label->SetClFontPressed(PressedFont);
    label->SetClFontDisable(DisabledFont);
    QVERIFY(ShowWindow(&w.window));
    SendLeave(label); // the test's mouse may rest where the window opened

    switch (action) {
    case Action::None:
        break;
    case Action::Enter:
        SendEnter(label);
        break;
    case Action::Press:
        SendEnter(label);
        QTest::mousePress(label, Qt::LeftButton, {}, QPoint(5, 5));
        break;
    case Action::Disable:
        label->setEnabled(false);
        break;
    }
    label->repaint();
    QCOMPARE(int(label->State()), state);
    QCOMPARE_COLOUR(RowPixel(label->getScanLine(0), 0), background);
    if (font != 0)
        QVERIFY2(BitmapHasColour(label, font), "the caption is drawn in the state's colour");
    else
        QVERIFY2(!BitmapHasColour(label, NormalFont), "no caption");
    if (action == Action::Press)
        QTest::mouseRelease(label, Qt::LeftButton, {}, QPoint(5, 5));
}

void TestGradiLabel::pipeShadowIsClamped_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("stored");
    QTest::addRow("above") << 300 << 255;
    QTest::addRow("below") << -5 << 0;
    QTest::addRow("inside") << 100 << 100;
}

void TestGradiLabel::pipeShadowIsClamped()
{
    QFETCH(int, value);
    QFETCH(int, stored);
    TKvGradiLabel label;
    label.SetPipeShadow(value);
    QCOMPARE(label.PipeShadow(), stored);
}

void TestGradiLabel::autoSize_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("pixelSize");
    QTest::addColumn<bool>("images");

    QTest::addRow("caption and image") << QStringLiteral("Open file") << 15 << true;
    QTest::addRow("caption lower than the image") << QStringLiteral("Open") << 6 << true;
    QTest::addRow("caption only") << QStringLiteral("Open file") << 15 << false;
    QTest::addRow("image only") << QString() << 15 << true;
    QTest::addRow("nothing") << QString() << 15 << false;
}

// Width = image + MarginImage (with an image) + caption + 2 × MarginTextHorz;
// height = 2 × MarginTextVert + the higher of caption and image. With a 16 ×
// 16 image and a caption of 40 × 18 that is 71 × 24.
void TestGradiLabel::autoSize()
{
    QFETCH(QString, caption);
    QFETCH(int, pixelSize);
    QFETCH(bool, images);

    TWindow w;
    TKvGradiLabel *label = w.Label(caption);
    QFont font = label->font();
    font.setPixelSize(pixelSize);
    label->setFont(font);
    if (images)
        label->SetImages(SolidImageList(16, {0x0000FF}, &w.window));
    label->Loaded();

    const QSize text = label->CaptionSize();
    QCOMPARE(text.isEmpty(), caption.isEmpty());
    const int imageWidth = images ? 16 + 3 : 0;
    const int contentHeight = qMax(text.height(), images ? 16 : 0);
    QCOMPARE(label->width(), imageWidth + text.width() + 12);
    QCOMPARE(label->height(), contentHeight + 6);
    QCOMPARE(label->sizeHint(), label->size());
}

void TestGradiLabel::autoSizeKeepsRightEdge()
{
    TWindow w;
    TKvGradiLabel *label = w.Label(QStringLiteral("Short"));
    label->move(300, 20);
    label->SetAlignment(taRightJustify);
    label->Loaded();
    const int right = label->geometry().x() + label->width();
    const int width = label->width();

    label->SetCaption(QStringLiteral("A much longer caption"));
    QVERIFY(label->width() > width);
    QCOMPARE(label->geometry().x() + label->width(), right);

    label->SetAlignment(taLeftJustify);
    const int left = label->x();
    label->SetCaption(QStringLiteral("Short"));
    QCOMPARE(label->x(), left);
}

void TestGradiLabel::autoSizeLeavesAlignedLabels()
{
    for (TKvAlign align : {alTop, alBottom, alClient}) {
        TWindow w;
        TKvGradiLabel *label = w.Label(QStringLiteral("Short"));
        label->SetAlign(align);
        label->resize(150, 40);
        label->Loaded();
        label->SetCaption(QStringLiteral("A much longer caption"));
        QCOMPARE(label->size(), QSize(150, 40));
    }
}

void TestGradiLabel::dirtyFlag()
{
    TWindow w;
    TKvGradiLabel *label = w.Label();
    QVERIFY(ShowWindow(&w.window));
    label->repaint();
    QVERIFY(label->GetFullyLoaded());
    label->SetClGradiDark(0x123456);
    QVERIFY(!label->GetFullyLoaded());
    label->repaint();
    QVERIFY(label->GetFullyLoaded());
    // Colours of the other states take effect at the next picture only.
    label->SetClHotDark(0x654321);
    QVERIFY(label->GetFullyLoaded());
}

void TestGradiLabel::altSpaceDrawsNoCaption()
{
    TWindow w;
    TKvGradiLabel *spacer = w.Label(QStringLiteral("IIII"));
    TKvGradiLabel *empty = w.Label(QString());
    empty->move(10, 60);
    for (TKvGradiLabel *label : {spacer, empty}) {
        label->SetLabelType(altSpace);
        label->SetAutoSize(false);
        label->resize(60, 20);
    }
    QVERIFY(ShowWindow(&w.window));
    spacer->repaint();
    empty->repaint();
    QCOMPARE(spacer->size(), empty->size());
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 60; ++x)
            QCOMPARE_COLOUR(RowPixel(spacer->getScanLine(y), x), RowPixel(empty->getScanLine(y), x));

    // Mouse enter, move and leave change nothing.
    SendEnter(spacer);
    QTest::mouseMove(spacer, QPoint(5, 5));
    QCOMPARE(int(spacer->State()), 0);
}

// A pressed button is shown one pixel lower with a sunken edge.
void TestGradiLabel::pressedEdge()
{
    TWindow w;
    TKvGradiLabel *label = w.Label();
    label->SetLabelType(altButton);
    label->SetGradiStyle(agsVertGradi);
    label->SetClButtonShadow(0x0000FF);
    label->SetClButtonLight(0x00FF00);
    QVERIFY(ShowWindow(&w.window));

    SendEnter(label);
    QTest::mousePress(label, Qt::LeftButton, {}, QPoint(5, 5));
    const QImage shown = Grabbed(label);
    const int w1 = label->width() - 1;
    const int h1 = label->height() - 1;
    QCOMPARE_COLOUR(ImagePixel(shown, 0, h1), 0x0000FF);
    QCOMPARE_COLOUR(ImagePixel(shown, 0, 0), 0x0000FF);
    QCOMPARE_COLOUR(ImagePixel(shown, w1 - 1, 0), 0x0000FF);
    QCOMPARE_COLOUR(ImagePixel(shown, w1, 0), 0x00FF00);
    QCOMPARE_COLOUR(ImagePixel(shown, w1, h1), 0x00FF00);
    QCOMPARE_COLOUR(ImagePixel(shown, 1, h1), 0x00FF00);
    for (int y = 1; y < h1; ++y)
        QCOMPARE_COLOUR(ImagePixel(shown, 3, y), RowPixel(label->getScanLine(y - 1), 3));

    // A caption field is never shown pressed.
    QTest::mouseRelease(label, Qt::LeftButton, {}, QPoint(5, 5));
    label->SetLabelType(altLabel);
    QTest::mousePress(label, Qt::LeftButton, {}, QPoint(5, 5));
    const QImage field = Grabbed(label);
    for (int y = 0; y <= h1; ++y)
        QCOMPARE_COLOUR(ImagePixel(field, 0, y), RowPixel(label->getScanLine(y), 0));
    QTest::mouseRelease(label, Qt::LeftButton, {}, QPoint(5, 5));
}

// Pressed and dragged out: normal; back in: pressed; released outside: hot.
void TestGradiLabel::pressDragAndRelease()
{
    TWindow w;
    TKvGradiLabel *label = w.Label();
    label->SetLabelType(altButton);
    QVERIFY(ShowWindow(&w.window));
    QSignalSpy clicks(label, &TKvGradiLabel::clicked);

    SendEnter(label);
    QTest::mousePress(label, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(int(label->State()), 2);
    QTest::mouseMove(label, QPoint(label->width() + 20, 5));
    QCOMPARE(int(label->State()), 0);
    QTest::mouseMove(label, QPoint(6, 6));
    QCOMPARE(int(label->State()), 2);
    QTest::mouseMove(label, QPoint(label->width() + 20, 5));
    QTest::mouseRelease(label, Qt::LeftButton, {}, QPoint(label->width() + 20, 5));
    // Hot although outside until the leave arrives; no click.
    QCOMPARE(clicks.count(), 0);
    SendLeave(label);
    QCOMPARE(int(label->State()), 0);

    SendEnter(label);
    QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(int(label->State()), 1);
}

void TestGradiLabel::hotImageFallsBack_data()
{
    QTest::addColumn<int>("hotIndex");
    QTest::addColumn<TColor>("shown");
    QTest::addRow("own hot image") << 1 << TColor(0xFF0000);
    QTest::addRow("no hot image: the normal one") << -1 << TColor(0x0000FF);
}

void TestGradiLabel::hotImageFallsBack()
{
    QFETCH(int, hotIndex);
    QFETCH(TColor, shown);

    TWindow w;
    TKvGradiLabel *label = w.Label(QString());
    label->SetImages(SolidImageList(16, {0x0000FF, 0xFF0000}, &w.window));
    label->SetImageIndex(0);
    label->SetImageHotIndex(hotIndex);
    QVERIFY(ShowWindow(&w.window));
    SendLeave(label); // the test's mouse may rest where the window opened
    label->repaint();
    // The image sits at the left margin, centred vertically.
    const int x = label->MarginTextHorz() + 8;
    const int y = label->height() / 2;
    QCOMPARE_COLOUR(RowPixel(label->getScanLine(y), x), 0x0000FF);
    SendEnter(label);
    QCOMPARE_COLOUR(RowPixel(label->getScanLine(y), x), shown);
}

void TestGradiLabel::action()
{
    TWindow w;
    TKvGradiLabel *label = w.Label(QStringLiteral("Before"));
    QAction action(QStringLiteral("&Open"), &w.window);
    action.setStatusTip(QStringLiteral(" Opens a file "));
    QSignalSpy triggered(&action, &QAction::triggered);
    label->SetLabelType(altButton);
    label->SetAction(&action);
    QCOMPARE(label->Caption(), QStringLiteral("&Open"));
    QCOMPARE(label->Hint(), QStringLiteral(" Opens a file "));
    QVERIFY(ShowWindow(&w.window));

    QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(triggered.count(), 1);

    action.setEnabled(false);
    QVERIFY(!label->isEnabled());
    QCOMPARE(int(label->State()), 3);
    action.setEnabled(true);
    QCOMPARE(int(label->State()), 0);

    action.setText(QStringLiteral("&Reopen"));
    QCOMPARE(label->Caption(), QStringLiteral("&Reopen"));
    // An action without a text leaves the caption.
    action.setText(QString());
    QCOMPARE(label->Caption(), QStringLiteral("&Reopen"));
}

void TestGradiLabel::neighbourDestroyed()
{
    TKvGradiLabel label;
    auto before = std::make_unique<TKvGradiLabel>();
    auto after = std::make_unique<TKvGradiLabel>();
    label.SetLabelBefore(before.get());
    label.SetLabelAfter(after.get());
    before.reset();
    QCOMPARE(label.LabelBefore(), nullptr);
    QCOMPARE(label.LabelAfter(), after.get());
    after.reset();
    QCOMPARE(label.LabelAfter(), nullptr);
}

QTEST_MAIN(TestGradiLabel)
#include "tst_gradilabel.moc"
