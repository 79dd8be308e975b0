// The custom control base and the custom button: bitmap life, background,
// hot state, looks by state, groups, keys, modal results, colours, layout,
// line breaks, hints and the action link.

#include "kvbmp.h"
#include "kvbutton.h"
#include "kvhsl.h"
#include "kvpanel.h"
#include "kvwidgettest.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QEnterEvent>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

namespace {

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

// Counts the calls of the base's virtual operations.
class TCountingControl : public TKvCustomControl
{
public:
    using TKvCustomControl::TKvCustomControl;
    int Prepared = 0;
    int Painted = 0;

protected:
    void PrepareBitmaps(int, int) override { ++Prepared; }
    void KvPaint(TKvBmp *bitmap, const TKvRect &bounds) override
    {
        ++Painted;
        TKvCustomControl::KvPaint(bitmap, bounds);
    }
};

// The pixel in the middle of the button's picture.
TColor Middle(const TKvButton *button)
{
    return RowPixel(button->Bitmap()->ScanLine(button->height() / 2), button->width() / 2);
}

// Where calculateRects puts image (margins 1, 2, 3, 4 around 16 × 16) and
// caption (cw × ch) on a button of 140 × 60.
QPair<QPoint, QPoint> ExpectedLayout(TKvImageAlignment alignment, TKvLayoutStyle style, int cw, int ch)
{
    const bool both = style == tlsCenterTextAndImageClose;
    const bool follow = style == tlsTextFolowImage;
    QPoint image;   // top left of the image box (20 × 22)
    QPoint caption; // top left of the caption box
    switch (alignment) {
    case tiaLeft: {
        const int s = follow ? 0 : (140 - 20 - cw) / 2;
        image = QPoint(both ? s : 0, 19);
        caption = QPoint(20 + s, (60 - ch) / 2);
        break;
    }
    case tiaRight: {
        const int s = follow ? 0 : (120 - cw) / 2;
        image = QPoint(both ? 120 - s : 120, 19);
        caption = QPoint(120 - cw - s, (60 - ch) / 2);
        break;
    }
    case tiaTop: {
        const int s = follow ? 0 : (60 - 22 - ch) / 2;
        image = QPoint(60, both ? s : 0);
        caption = QPoint((140 - cw) / 2, 22 + s);
        break;
    }
    case tiaBottom: {
        const int s = follow ? 0 : (38 - ch) / 2;
        image = QPoint(60, both ? 38 - s : 38);
        caption = QPoint((140 - cw) / 2, 38 - ch - s);
        break;
    }
    case tiaCenter:
        image = QPoint(60, 19);
        caption = QPoint((140 - cw) / 2, 41);
        break;
    }
    return {image + QPoint(1, 2), caption};
}

} // namespace

class TestButton : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void bitmapFollowsSize();
    void zeroSizePaintsNothing();
    void hotTracking();
    void startsFromParentBackground();

    void defaults();
    void stateLooks_data();
    void stateLooks();
    void notAliveAndStyles();
    void pressAndDrag();
    void groupLatching();
    void keys_data();
    void keys();
    void focusFrame_data();
    void focusFrame();
    void modalResult_data();
    void modalResult();
    void autoColours_data();
    void autoColours();
    void layout_data();
    void layout();
    void lineBreaks_data();
    void lineBreaks();
    void hint();
    void actionLink();
};

// --- the base ---------------------------------------------------------------

// The bitmap is rebuilt, and PrepareBitmaps called, on a size change and on
// showing, not on a move.
void TestButton::bitmapFollowsSize()
{
    QWidget window;
    window.resize(200, 100);
    auto *control = new TCountingControl(&window);
    control->setGeometry(10, 10, 50, 20);
    QVERIFY(ShowWindow(&window));
    QCOMPARE(control->Bitmap()->Width(), 50);
    QCOMPARE(control->Bitmap()->Height(), 20);
    QVERIFY(control->Bounds() == (TKvRect{0, 0, 50, 20}));
    const int shown = control->Prepared;
    QVERIFY(shown >= 1);

    control->move(30, 30);
    QCoreApplication::processEvents();
    QCOMPARE(control->Prepared, shown);

    control->resize(70, 25);
    QCOMPARE(control->Prepared, shown + 1);
    QCOMPARE(control->Bitmap()->Width(), 70);
    QCOMPARE(control->Bitmap()->Height(), 25);

    control->hide();
    control->show();
    QCOMPARE(control->Prepared, shown + 2);
}

void TestButton::zeroSizePaintsNothing()
{
    QWidget window;
    auto *control = new TCountingControl(&window);
    control->setGeometry(10, 10, 0, 20);
    QVERIFY(ShowWindow(&window));
    control->repaint();
    QCOMPARE(control->Painted, 0);
}

void TestButton::hotTracking()
{
    QWidget window;
    auto *control = new TCountingControl(&window);
    control->setGeometry(10, 10, 50, 20);
    QVERIFY(ShowWindow(&window));
    SendLeave(control);
    QVERIFY(!control->IsHot());

    SendEnter(control);
    QVERIFY(control->IsHot());
    QCoreApplication::processEvents();
    const int paints = control->Painted;
    control->setIsHot(true); // the same value: no repaint
    QCoreApplication::processEvents();
    QCOMPARE(control->Painted, paints);

    SendLeave(control);
    QVERIFY(!control->IsHot());
    control->SetAlive(false);
    SendEnter(control);
    QVERIFY(!control->IsHot());
}

// The picture starts from what the parent paints behind the control: a
// button on a gradient panel shows the panel's pixels where the face leaves
// the corners.
void TestButton::startsFromParentBackground()
{
    QWidget window;
    window.resize(220, 120);
    auto *panel = new TKvPanel(&window);
    panel->setGeometry(0, 0, 220, 120);
    panel->SetBevelOuter(bvNone);
    panel->SetGradientFill(true);
    panel->SetClBegin(0x0000FF);
    panel->SetClEnd(0xFF0000);
    auto *button = new TKvButton(panel);
    button->move(60, 40);
    auto *cover = new QWidget(panel); // a sibling over the corner must not show
    cover->setGeometry(55, 35, 10, 10);
    cover->setAutoFillBackground(true);
    QVERIFY(ShowWindow(&window));
    button->repaint();

    cover->hide();
    button->hide();
    const QImage behind = Grabbed(panel);
    for (const QPoint corner : {QPoint(0, 0), QPoint(89, 0), QPoint(0, 31), QPoint(89, 31)})
        QCOMPARE_COLOUR(RowPixel(button->Bitmap()->ScanLine(corner.y()), corner.x()),
                        ImagePixel(behind, 60 + corner.x(), 40 + corner.y()));
}

// --- the button --------------------------------------------------------------

void TestButton::defaults()
{
    TKvButton button;
    QCOMPARE(button.size(), QSize(90, 32));
    QVERIFY(button.TabStop());
    QCOMPARE(button.ButtonStyle(), bstButton);
    QCOMPARE(button.FocusStyle(), tfsDottetRect);
    QCOMPARE(button.ImageAlignment(), tiaLeft);
    QCOMPARE(button.LayoutStyle(), tlsCenterTextAndImageClose);
    QCOMPARE(button.MarkShape(), tasStar);
    QCOMPARE(button.MarkSize(), ttsMedium);
    QCOMPARE(button.ModalResult(), tmrNone);
    QCOMPARE(button.ClAutoDark(), TColor(0xF5A997));
    QCOMPARE(button.ClAutoLight(), TColor(0xFDF6EA));
    QCOMPARE(button.ClDimmedLight(), TColor(0xDBD8BC));
    QCOMPARE(button.FontClDimmed(), TColor(0xFF000008));
    QCOMPARE(button.PipeShadow(), 40);
    QVERIFY(button.PipeGradient());
    QVERIFY(button.ShowCaption());
    QVERIFY(button.Alive());
    QVERIFY(!button.Default());
    QVERIFY(!button.Cancel());
}

void TestButton::stateLooks_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("state");
    QTest::addColumn<TColor>("face");

    // Faces are flat colours here: light = dark per state.
    QTest::addRow("normal") << QString() << int(tbsNormal) << TColor(0x202020);
    QTest::addRow("hot") << QStringLiteral("enter") << int(tbsHot) << TColor(0x404040);
    QTest::addRow("half hot: default") << QStringLiteral("halfhot") << int(tbsHalfHot)
                                       << TColor((0x404040 >> 1 & 0x7F7F7F) + (0x202020 >> 1 & 0x7F7F7F));
    QTest::addRow("disabled") << QStringLiteral("disable") << int(tbsDisabled) << TColor(0x606060);
    QTest::addRow("disabled parent") << QStringLiteral("disableparent") << int(tbsDisabled)
                                     << TColor(0x606060);
    QTest::addRow("pressed") << QStringLiteral("press") << int(tbsPressed) << TColor(0);
    QTest::addRow("down") << QStringLiteral("down") << int(tbsPressed) << TColor(0);
}

void TestButton::stateLooks()
{
    QFETCH(QString, how);
    QFETCH(int, state);
    QFETCH(TColor, face);

    QWidget window;
    auto *holder = new QWidget(&window);
    holder->resize(200, 100);
    auto *button = new TKvButton(holder);
    button->move(10, 10);
    button->SetPipeGradient(false);
    button->SetShowCaption(false);
    button->SetClDimmedLight(0x202020);
    button->SetClDimmedDark(0x202020);
    button->SetClHotLight(0x404040);
    button->SetClHotDark(0x404040);
    button->SetClDisabLight(0x606060);
    button->SetClDisabDark(0x606060);
    button->SetGroupIndex(1);
    QVERIFY(ShowWindow(&window));
    SendLeave(button);

    if (how == u"enter") {
        SendEnter(button);
    } else if (how == u"halfhot") {
        button->SetFocusStyle(tfsHalfHot);
        button->SetDefault(true);
    } else if (how == u"disable") {
        button->setEnabled(false);
    } else if (how == u"disableparent") {
        holder->setEnabled(false);
    } else if (how == u"press") {
        QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
    } else if (how == u"down") {
        button->SetDown(true);
    }
    QCOMPARE(int(button->getButtonState()), state);
    button->repaint();
    if (face != 0)
        QCOMPARE_COLOUR(Middle(button), face);
    if (how == u"press")
        QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(5, 5));
}

// Without Alive the normal look uses the hot colours and the button never
// becomes hot; a flat style turns Alive back on, and turning Alive off makes
// the button plain again.
void TestButton::notAliveAndStyles()
{
    QWidget window;
    auto *button = new TKvButton(&window);
    button->SetPipeGradient(false);
    button->SetShowCaption(false);
    button->SetClDimmedLight(0x202020);
    button->SetClDimmedDark(0x202020);
    button->SetClHotLight(0x404040);
    button->SetClHotDark(0x404040);
    button->SetAlive(false);
    QVERIFY(ShowWindow(&window));
    SendEnter(button);
    QVERIFY(!button->IsHot());
    QCOMPARE(int(button->getButtonState()), int(tbsNormal));
    button->repaint();
    QCOMPARE_COLOUR(Middle(button), 0x404040);

    button->SetButtonStyle(bstFlat);
    QVERIFY(button->Alive());
    button->SetAlive(false);
    QCOMPARE(button->ButtonStyle(), bstButton);
}

// Pressed and dragged out: hot look; back in: pressed; a release inside
// clicks, outside not.
void TestButton::pressAndDrag()
{
    QWidget window;
    window.resize(300, 100);
    auto *button = new TKvButton(&window);
    button->move(10, 10);
    QSignalSpy clicks(button, &TKvButton::clicked);
    QVERIFY(ShowWindow(&window));

    SendEnter(button);
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(int(button->getButtonState()), int(tbsPressed));
    QTest::mouseMove(button, QPoint(150, 5));
    QCOMPARE(int(button->getButtonState()), int(tbsHot));
    QTest::mouseMove(button, QPoint(6, 6));
    QCOMPARE(int(button->getButtonState()), int(tbsPressed));
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(6, 6));
    QCOMPARE(clicks.count(), 1);

    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseMove(button, QPoint(150, 5));
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(150, 5));
    QCOMPARE(clicks.count(), 1);
}

void TestButton::groupLatching()
{
    QWidget window;
    auto *first = new TKvButton(&window);
    auto *second = new TKvButton(&window);
    auto *other = new TKvButton(&window);
    auto *loose = new TKvButton(&window);
    first->SetGroupIndex(1);
    second->SetGroupIndex(1);
    other->SetGroupIndex(2);
    QAction firstAction(&window);
    firstAction.setCheckable(true);
    first->SetAction(&firstAction);

    // Without a group a button never stays down.
    loose->SetDown(true);
    QVERIFY(!loose->Down());
    loose->Click();
    QVERIFY(!loose->Down());

    other->Click();
    first->Click();
    firstAction.setChecked(true);
    QVERIFY(first->Down());
    second->Click();
    QVERIFY(second->Down());
    QVERIFY(!first->Down());
    QVERIFY(!firstAction.isChecked());
    QVERIFY(other->Down()); // another group

    // A latched button is not released by a second click ...
    second->Click();
    QVERIFY(second->Down());
    // ... unless the group allows all up (the setting spreads to the group).
    first->SetAllowAllUp(true);
    QVERIFY(second->AllowAllUp());
    second->Click();
    QVERIFY(!second->Down());
}

void TestButton::keys_data()
{
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("result");

    const int none = int(Qt::NoModifier);
    QTest::addRow("Enter in the edit: default") << QStringLiteral("edit") << int(Qt::Key_Return) << none << 6;
    QTest::addRow("keypad Enter: default")
        << QStringLiteral("edit") << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << 6;
    QTest::addRow("Enter on another button: that one")
        << QStringLiteral("no") << int(Qt::Key_Return) << none << 7;
    QTest::addRow("Enter on a third button") << QStringLiteral("all") << int(Qt::Key_Return) << none << 10;
    QTest::addRow("Escape: cancel button") << QStringLiteral("edit") << int(Qt::Key_Escape) << none << 7;
    QTest::addRow("Shift+Escape: nothing")
        << QStringLiteral("edit") << int(Qt::Key_Escape) << int(Qt::ShiftModifier) << 0;
    QTest::addRow("Ctrl+Enter: nothing")
        << QStringLiteral("edit") << int(Qt::Key_Return) << int(Qt::ControlModifier) << 0;
    QTest::addRow("Alt+Enter: nothing")
        << QStringLiteral("edit") << int(Qt::Key_Return) << int(Qt::AltModifier) << 0;
    QTest::addRow("accelerator on a button") << QStringLiteral("no") << int(Qt::Key_Y) << none << 6;
    QTest::addRow("Alt+accelerator in the edit")
        << QStringLiteral("edit") << int(Qt::Key_A) << int(Qt::AltModifier) << 10;
    QTest::addRow("a letter typed into the edit") << QStringLiteral("edit") << int(Qt::Key_A) << none << 0;
    QTest::addRow("Space clicks the focused button")
        << QStringLiteral("all") << int(Qt::Key_Space) << none << 10;
}

void TestButton::keys()
{
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, result);

    QDialog dialog;
    dialog.resize(400, 100);
    auto *edit = new QLineEdit(&dialog);
    edit->setGeometry(5, 5, 100, 25);
    auto *yes = new TKvButton(&dialog);
    yes->setGeometry(5, 50, 90, 32);
    yes->SetCaption(QStringLiteral("&Yes"));
    yes->SetModalResult(tmrYes);
    yes->SetDefault(true);
    auto *no = new TKvButton(&dialog);
    no->setGeometry(100, 50, 90, 32);
    no->SetCaption(QStringLiteral("&No"));
    no->SetModalResult(tmrNo);
    no->SetCancel(true);
    auto *all = new TKvButton(&dialog);
    all->setGeometry(200, 50, 90, 32);
    all->SetCaption(QStringLiteral("&All Yes"));
    all->SetModalResult(tmrYesToAll);
    QVERIFY(ShowActiveWindow(&dialog));

    QWidget *target = focus == u"edit" ? static_cast<QWidget *>(edit) : focus == u"no" ? no : all;
    target->setFocus();
    QTRY_VERIFY(target->hasFocus());
    QCOMPARE(yes->ActiveDefault(), focus == u"edit");
    QTest::keyClick(target, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(dialog.result(), result);
}

void TestButton::focusFrame_data()
{
    QTest::addColumn<QString>("focus");
    QTest::addColumn<bool>("yesFramed");
    QTest::addColumn<bool>("noFramed");
    QTest::addRow("in the edit: the default button, which Enter presses")
        << QStringLiteral("edit") << true << false;
    QTest::addRow("on the default button") << QStringLiteral("yes") << true << false;
    QTest::addRow("on another button: that one alone") << QStringLiteral("no") << false << true;
}

// The frame shows where the focus is; the default button gives it up while
// another button has the focus.
void TestButton::focusFrame()
{
    QFETCH(QString, focus);
    QFETCH(bool, yesFramed);
    QFETCH(bool, noFramed);

    constexpr TColor FocusColour = 0x00C000;
    QDialog dialog;
    dialog.resize(300, 100);
    auto *edit = new QLineEdit(&dialog);
    edit->setGeometry(5, 5, 100, 25);
    auto button = [&](const char *caption, int left) {
        auto *b = new TKvButton(&dialog);
        b->setGeometry(left, 50, 90, 32);
        b->SetCaption(QString::fromLatin1(caption));
        b->SetPipeGradient(false);
        b->SetFocusStyle(tfsColorRect);
        b->SetFocusColor(FocusColour);
        return b;
    };
    TKvButton *yes = button("&Yes", 5);
    yes->SetDefault(true);
    TKvButton *no = button("&No", 100);
    QVERIFY(ShowActiveWindow(&dialog));

    QWidget *target = focus == u"edit" ? static_cast<QWidget *>(edit) : focus == u"yes" ? yes : no;
    target->setFocus();
    QTRY_VERIFY(target->hasFocus());
    for (TKvButton *b : {yes, no})
        b->repaint();
    // The frame's top line lies two pixels inside the button.
    QCOMPARE(yes->ShowsFocus(), yesFramed);
    QCOMPARE(RowPixel(yes->Bitmap()->ScanLine(2), 45) == FocusColour, yesFramed);
    QCOMPARE(no->ShowsFocus(), noFramed);
    QCOMPARE(RowPixel(no->Bitmap()->ScanLine(2), 45) == FocusColour, noFramed);
}

void TestButton::modalResult_data()
{
    QTest::addColumn<int>("result");
    for (int r = tmrNone; r <= tmrClose; ++r)
        QTest::addRow("%d", r) << r;
}

// A click gives the dialog the result's number (Yes to all is 10).
void TestButton::modalResult()
{
    QFETCH(int, result);
    QDialog dialog;
    auto *button = new TKvButton(&dialog);
    button->SetModalResult(TKvModalResult(result));
    dialog.setResult(-1);
    QSignalSpy clicks(button, &TKvButton::clicked);
    button->Click();
    QCOMPARE(dialog.result(), result == tmrNone ? -1 : result);
    QCOMPARE(clicks.count(), 1);
}

void TestButton::autoColours_data()
{
    QTest::addColumn<TColor>("colour");
    QTest::addRow("blue") << TColor(0xF5A997);
    QTest::addRow("green") << TColor(0x30C040);
    QTest::addRow("grey") << TColor(0x808080);
    QTest::addRow("system colour") << TColor(0xFF00000F);
}

void TestButton::autoColours()
{
    QFETCH(TColor, colour);
    const quint32 g = GreyOf(colour);
    const TKvHsl hsl = ColorToHsl(colour);

    TKvButton button;
    const TColor selDownDark = button.ClSelDownDark();
    const TColor selDownLight = button.ClSelDownLight();
    button.SetClAutoDark(colour);
    QCOMPARE(button.ClAutoDark(), colour);
    QCOMPARE(button.ClHotDark(), colour);
    QCOMPARE(button.ClDisabDark(), KvRgb(g, g, g));
    TKvHsl dark = hsl;
    dark.Saturation = quint8(hsl.Saturation - hsl.Saturation / 3);
    QCOMPARE(button.ClDimmedDark(), HslToColor(dark));

    button.SetClAutoLight(colour);
    QCOMPARE(button.ClAutoLight(), colour);
    QCOMPARE(button.ClHotLight(), colour);
    QCOMPARE(button.ClDisabLight(), KvRgb(g, g, g));
    TKvHsl light = hsl;
    light.Saturation = quint8(hsl.Saturation / 3);
    light.Lightness = quint8(hsl.Lightness - hsl.Lightness / 15);
    QCOMPARE(button.ClDimmedLight(), HslToColor(light));

    QCOMPARE(button.ClSelDownDark(), selDownDark);
    QCOMPARE(button.ClSelDownLight(), selDownLight);
}

void TestButton::layout_data()
{
    QTest::addColumn<int>("alignment");
    QTest::addColumn<int>("style");
    const char *alignments[] = {"left", "right", "top", "bottom", "centre"};
    const char *styles[] = {"close", "text in rest", "text follows"};
    for (int a = tiaLeft; a <= tiaCenter; ++a)
        for (int s = tlsCenterTextAndImageClose; s <= tlsTextFolowImage; ++s)
            QTest::addRow("%s, %s", alignments[a], styles[s]) << a << s;
}

void TestButton::layout()
{
    QFETCH(int, alignment);
    QFETCH(int, style);

    QWidget window;
    auto *button = new TKvButton(&window);
    button->resize(140, 60);
    button->SetCaption(QStringLiteral("Go"));
    button->SetImages(SolidImageList(16, {0x0000FF}, &window));
    button->SetImageIndexHot(0); // any index makes room for the image
    button->SetImageMargins(QMargins(1, 2, 3, 4));
    button->SetImageAlignment(TKvImageAlignment(alignment));
    button->SetLayoutStyle(TKvLayoutStyle(style));
    QVERIFY(ShowWindow(&window));
    button->calculateRects();
    QVERIFY(!button->LayoutDirty());

    const TKvRect caption = button->CaptionRect();
    const TKvRect image = button->ImageRect();
    QCOMPARE(image.Width(), 16);
    QCOMPARE(image.Height(), 16);
    QVERIFY(!caption.IsEmpty());
    const auto [imageAt, captionAt] = ExpectedLayout(TKvImageAlignment(alignment), TKvLayoutStyle(style),
                                                     caption.Width(), caption.Height());
    QCOMPARE(QPoint(image.Left, image.Top), imageAt);
    QCOMPARE(QPoint(caption.Left, caption.Top), captionAt);

    // Without images the image box is empty and the caption alone is placed.
    button->SetImageIndexHot(-1);
    QVERIFY(button->LayoutDirty());
    button->calculateRects();
    QCOMPARE(button->CaptionRect().Width(), caption.Width());
}

void TestButton::lineBreaks_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("marker");
    QTest::addColumn<QString>("drawn");
    QTest::addColumn<int>("lines");
    QTest::addRow("bars") << QStringLiteral("One||Two") << 4 << QStringLiteral("One\r\nTwo") << 2;
    QTest::addRow("stars") << QStringLiteral("One**Two") << 4 << QStringLiteral("One\r\nTwo") << 2;
    QTest::addRow("currency signs first")
        << QStringLiteral("a||b\u00A4\u00A4c") << 5 << QStringLiteral("a||b\r\nc") << 2;
    QTest::addRow("bars before stars")
        << QStringLiteral("a**b||c**d") << 5 << QStringLiteral("a**b\r\nc\r\nd") << 3;
    QTest::addRow("one line") << QStringLiteral("&Cancel") << 0 << QStringLiteral("&Cancel") << 1;
}

void TestButton::lineBreaks()
{
    QFETCH(QString, caption);
    QFETCH(int, marker);
    QFETCH(QString, drawn);
    QFETCH(int, lines);

    QWidget window;
    auto *button = new TKvButton(&window);
    button->resize(120, 80);
    button->SetCaption(caption);
    QCOMPARE(button->MarkerPos(), marker);
    QCOMPARE(button->LayoutCaption(), drawn);
    QVERIFY(ShowWindow(&window));
    button->calculateRects();
    const int lineHeight = QFontMetrics(button->Bitmap()->Font()).height();
    QCOMPARE(button->CaptionRect().Height(), lines * lineHeight);
}

// The hint shows on green, with every pair as a line break.
void TestButton::hint()
{
    QWidget window;
    auto *button = new TKvButton(&window);
    button->SetHint(QStringLiteral("One||Two**Three\u00A4\u00A4Four"));
    QCOMPARE(button->HintText(), QStringLiteral("One\nTwo\nThree\nFour"));
    QVERIFY(ShowWindow(&window));

    QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), button->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(button, &help);
    QWidget *tip = nullptr;
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (widget->objectName() == u"qtooltip_label" && widget->isVisible())
            tip = widget;
    QVERIFY(tip);
    QCOMPARE(tip->palette().color(QPalette::ToolTipBase), QColor(0, 0xFF, 0));
    QCOMPARE(tip->property("text").toString(), button->HintText());
}

void TestButton::actionLink()
{
    QWidget window;
    auto *button = new TKvButton(&window);
    QAction action(QStringLiteral("&Save"), &window);
    action.setStatusTip(QStringLiteral("Saves||the file"));
    TKvButtonActionLink::SetActionImageIndex(&action, 3);
    QSignalSpy triggered(&action, &QAction::triggered);

    button->SetAction(&action);
    QCOMPARE(button->Caption(), QStringLiteral("&Save"));
    QCOMPARE(button->Hint(), QStringLiteral("Saves||the file"));
    QCOMPARE(button->ImageIndex(), 3);
    QVERIFY(button->ActionLink()->IsImageIndexLinked());

    // A linked button follows the action's image index ...
    TKvButtonActionLink::SetActionImageIndex(&action, 5);
    QCOMPARE(button->ImageIndex(), 5);
    // ... a button given its own index keeps it.
    button->SetImageIndex(7);
    QVERIFY(!button->ActionLink()->IsImageIndexLinked());
    TKvButtonActionLink::SetActionImageIndex(&action, 6);
    QCOMPARE(button->ImageIndex(), 7);

    action.setEnabled(false);
    QVERIFY(!button->isEnabled());
    action.setEnabled(true);
    button->Click();
    QCOMPARE(triggered.count(), 1);

    // With defaults checked only a button without an image takes the index.
    button->ActionLink()->ActionChange(true);
    QCOMPARE(button->ImageIndex(), 7);
    button->SetImageIndex(-1);
    button->ActionLink()->ActionChange(true);
    QCOMPARE(button->ImageIndex(), 6);
}

QTEST_MAIN(TestButton)
#include "tst_button.moc"
