#include "kvbutton.h"
#include "kvmsgbox.h"
#include "kvpanel.h"
#include "kvpngrc.h"

#include <QApplication>
#include <QLabel>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

using Wrapper = std::function<int(QWidget *owner)>;

// Every wrapper as a call that gives the box's answer (tmrOK for the
// wrappers that return nothing, tmrYes / tmrNo for YesNoBox).
Wrapper WrapperNamed(const QString &name, const QString &text = QStringLiteral("Question?"))
{
    const QString caption = QStringLiteral("Caption");
    if (name == u"ShowMsgBox")
        return [=](QWidget *owner) {
            ShowMsgBox(caption, text, kvIconExclamation, owner);
            return int(tmrOK);
        };
    if (name == u"InfoBox")
        return [=](QWidget *owner) {
            InfoBox(caption, text, owner);
            return int(tmrOK);
        };
    if (name == u"ErrorBox")
        return [=](QWidget *owner) {
            ErrorBox(caption, text, owner);
            return int(tmrOK);
        };
    if (name == u"YesNoBox")
        return [=](QWidget *owner) { return int(YesNoBox(caption, text, owner) ? tmrYes : tmrNo); };
    return [=](QWidget *owner) { return int(YesNoCancelBox(caption, text, owner)); };
}

// Runs the wrapper; `inspect` sees the box while it is up and must close it.
int RunBox(const Wrapper &wrapper, const std::function<void(TKvMsgBox *)> &inspect, QWidget *owner = nullptr)
{
    bool seen = false;
    QTimer::singleShot(0, [&] {
        QPointer<TKvMsgBox> box;
        auto look = [&] {
            QTRY_VERIFY((box = qobject_cast<TKvMsgBox *>(QApplication::activeModalWidget())) != nullptr);
            seen = true;
            inspect(box);
        };
        look();
        // A failed check returns early: close the box so that the test ends.
        if (box && box->isVisible())
            box->done(tmrNone);
    });
    const int result = wrapper(owner);
    if (!seen)
        qWarning("the box was never seen");
    return result;
}

void PressKey(TKvMsgBox *box, Qt::Key key)
{
    QWidget *target = box->focusWidget() ? box->focusWidget() : box;
    QTest::keyClick(target, key);
}

QStringList VisibleCaptions(const TKvMsgBox *box)
{
    QStringList captions;
    for (TKvButton *button : box->findChildren<TKvButton *>())
        if (!button->isHidden())
            captions << button->Caption();
    return captions;
}

} // namespace

class TstMsgBox : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void wrappersAnswerEnterAndEscape_data();
    void wrappersAnswerEnterAndEscape();
    void buttonsLeftToRightWithPictures_data();
    void buttonsLeftToRightWithPictures();
    void textIsPlainAndUnwrapped();
    void captionsFollowTheLocale_data();
    void captionsFollowTheLocale();
    void captionsInThisProcess();
    void sizeFitsTheText_data();
    void sizeFitsTheText();
    void hugeTextStaysOnTheScreen_data();
    void hugeTextStaysOnTheScreen();
    void fiveButtonsWidenTheBox();
    void boxLandsInsideTheWorkArea_data();
    void boxLandsInsideTheWorkArea();
    void pointerSnapsToTheDefaultButton();
    void pointerStaysWhenTheBoxClosedFirst();
    void hookAnswersInsteadOfTheBox();
    void closingTheWindowAnswers_data();
    void closingTheWindowAnswers();

private:
    QList<QPoint> m_pointerMoves;
};

void TstMsgBox::init()
{
    m_pointerMoves.clear();
    TKvMsgBox::SetPointerMover([this](const QPoint &p) { m_pointerMoves << p; });
}

void TstMsgBox::cleanup()
{
    TKvMsgBox::SetPointerMover(nullptr);
}

void TstMsgBox::wrappersAnswerEnterAndEscape_data()
{
    QTest::addColumn<QString>("wrapper");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<int>("answer");
    for (const char *name : {"ShowMsgBox", "InfoBox", "ErrorBox"}) {
        QTest::addRow("%s enter", name) << name << int(Qt::Key_Return) << true << int(tmrOK);
        // No button answers Escape: the box stays until OK.
        QTest::addRow("%s escape", name) << name << int(Qt::Key_Escape) << false << int(tmrOK);
    }
    QTest::addRow("YesNoBox enter") << "YesNoBox" << int(Qt::Key_Return) << true << int(tmrYes);
    QTest::addRow("YesNoBox keypad enter") << "YesNoBox" << int(Qt::Key_Enter) << true << int(tmrYes);
    QTest::addRow("YesNoBox escape") << "YesNoBox" << int(Qt::Key_Escape) << true << int(tmrNo);
    QTest::addRow("YesNoCancelBox enter") << "YesNoCancelBox" << int(Qt::Key_Return) << true << int(tmrYes);
    QTest::addRow("YesNoCancelBox escape")
        << "YesNoCancelBox" << int(Qt::Key_Escape) << true << int(tmrCancel);
}

void TstMsgBox::wrappersAnswerEnterAndEscape()
{
    QFETCH(QString, wrapper);
    QFETCH(int, key);
    QFETCH(bool, closes);
    QFETCH(int, answer);
    bool closed = false;
    const int result = RunBox(WrapperNamed(wrapper), [&](TKvMsgBox *box) {
        const QPointer<TKvMsgBox> guard(box);
        PressKey(box, Qt::Key(key));
        closed = !guard || !guard->isVisible();
        if (!closed)
            PressKey(box, Qt::Key_Return);
    });
    QCOMPARE(closed, closes);
    QCOMPARE(result, answer);
}

void TstMsgBox::buttonsLeftToRightWithPictures_data()
{
    QTest::addColumn<QString>("wrapper");
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<int>("picture");
    QTest::addColumn<int>("defaultResult");
    QTest::addRow("ShowMsgBox") << "ShowMsgBox" << QStringList{"&Ok"} << int(kvIconExclamation) << int(tmrOK);
    QTest::addRow("InfoBox") << "InfoBox" << QStringList{"&Ok"} << int(kvIconInfo) << int(tmrOK);
    QTest::addRow("ErrorBox") << "ErrorBox" << QStringList{"&Ok"} << int(kvIconError) << int(tmrOK);
    QTest::addRow("YesNoBox") << "YesNoBox" << QStringList{"&Yes", "&No"} << int(kvIconQuestion)
                              << int(tmrYes);
    QTest::addRow("YesNoCancelBox") << "YesNoCancelBox" << QStringList{"&Yes", "&No", "&Cancel"}
                                    << int(kvIconQuestion) << int(tmrYes);
}

void TstMsgBox::buttonsLeftToRightWithPictures()
{
    if (TKvMsgBox::DanishUser())
        QSKIP("English captions expected");
    QFETCH(QString, wrapper);
    QFETCH(QStringList, captions);
    QFETCH(int, picture);
    QFETCH(int, defaultResult);
    RunBox(WrapperNamed(wrapper), [&](TKvMsgBox *box) {
        QCOMPARE(box->windowTitle(), QStringLiteral("Caption"));
        QCOMPARE(VisibleCaptions(box), captions);
        QCOMPARE(box->ButtonCount(), captions.size());
        // Left to right, all inside the box, right-aligned.
        int lastRight = -1;
        for (TKvButton *button : box->findChildren<TKvButton *>()) {
            if (button->isHidden())
                continue;
            QVERIFY(button->isEnabled());
            QVERIFY(button->x() > lastRight);
            lastRight = button->geometry().right();
        }
        QCOMPARE(lastRight, box->width() - box->Scaled(10) - 1);
        QCOMPARE(box->PictureKind(), picture);
        QVERIFY(box->Picture() && !box->Picture()->IsEmpty());
        QCOMPARE(box->DefaultButton()->ModalResult(), TKvModalResult(defaultResult));
        QCOMPARE(box->focusWidget(), box->DefaultButton());
        // Fixed size, title bar without close button, on top.
        QCOMPARE(box->minimumSize(), box->maximumSize());
        QVERIFY(!box->windowFlags().testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(box->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QTest::mouseClick(box->DefaultButton(), Qt::LeftButton);
    });
}

void TstMsgBox::textIsPlainAndUnwrapped()
{
    const QString text =
        QStringLiteral("<b>not bold</b> and a rather long line that must not be wrapped at all\r\nline 2");
    RunBox(WrapperNamed(QStringLiteral("InfoBox"), text), [&](TKvMsgBox *box) {
        QCOMPARE(box->Message(), text);
        QCOMPARE(box->LbMsg->textFormat(), Qt::PlainText);
        QVERIFY(!box->LbMsg->wordWrap());
        QCOMPARE(box->LbMsg->text().count(u'\n'), 1);
        QVERIFY(!box->LbMsg->text().contains(u'\r'));
        PressKey(box, Qt::Key_Return);
    });
}

void TstMsgBox::captionsFollowTheLocale_data()
{
    QTest::addColumn<QString>("lang");
    QTest::addColumn<QString>("captions");
    QTest::addRow("Danish") << "da_DK.UTF-8"
                            << "&Ja|&Nej|An&uller|&Ok|&Gentag|&Alle Ja|A&lle Nej|&Ignorer|Af&bryd";
    QTest::addRow("English US") << "en_US.UTF-8"
                                << "&Yes|&No|&Cancel|&Ok|&Retry|&All Yes|A&ll No|&Ignore|A&bort";
    QTest::addRow("German") << "de_DE.UTF-8"
                            << "&Yes|&No|&Cancel|&Ok|&Retry|&All Yes|A&ll No|&Ignore|A&bort";
    // Greenland and the Faroe Islands have country codes of their own.
    QTest::addRow("Greenland") << "kl_GL.UTF-8"
                               << "&Yes|&No|&Cancel|&Ok|&Retry|&All Yes|A&ll No|&Ignore|A&bort";
    QTest::addRow("Faroe Islands") << "fo_FO.UTF-8"
                                   << "&Yes|&No|&Cancel|&Ok|&Retry|&All Yes|A&ll No|&Ignore|A&bort";
}

// The locale is read once per process: each row runs in a child process.
void TstMsgBox::captionsFollowTheLocale()
{
    QFETCH(QString, lang);
    QFETCH(QString, captions);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("LC_ALL"));
    env.remove(QStringLiteral("LC_MESSAGES"));
    env.remove(QStringLiteral("LANGUAGE"));
    env.insert(QStringLiteral("LANG"), lang);
    env.insert(QStringLiteral("KV_EXPECTED_CAPTIONS"), captions);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess child;
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("captionsInThisProcess")});
    QVERIFY(child.waitForFinished(60000));
    QVERIFY2(child.exitCode() == 0, child.readAllStandardOutput().constData());
}

void TstMsgBox::captionsInThisProcess()
{
    const QString expected = qEnvironmentVariable("KV_EXPECTED_CAPTIONS");
    if (expected.isEmpty())
        QSKIP("run by captionsFollowTheLocale in a child process");
    TKvMsgBox box;
    QStringList captions;
    for (TKvButton *button : {box.ButYes, box.ButNo, box.ButCancel, box.ButOk, box.ButRetry, box.ButAll,
                              box.ButNone, box.ButIgnore, box.ButAbort})
        captions << button->Caption();
    QCOMPARE(captions.join(u'|'), expected);
}

void TstMsgBox::sizeFitsTheText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("wider");
    QTest::addColumn<bool>("taller");
    QTest::addRow("short") << "Saved." << false << false;
    QTest::addRow("several lines") << "one\r\ntwo\r\nthree\r\nfour\r\nfive\r\nsix\r\nseven" << false << true;
    QTest::addRow("one long line") << QString(QStringLiteral("a long line ")).repeated(6) << true << false;
    QTest::addRow("long and many") << QString(QStringLiteral("a long line ")).repeated(6)
                                          + "\n2\n3\n4\n5\n6\n7"
                                   << true << true;
}

void TstMsgBox::sizeFitsTheText()
{
    QFETCH(QString, text);
    QFETCH(bool, wider);
    QFETCH(bool, taller);
    RunBox(WrapperNamed(QStringLiteral("YesNoBox"), text), [&](TKvMsgBox *box) {
        const QSize designed(box->Scaled(391), box->Scaled(184));
        QCOMPARE(box->width() > designed.width(), wider);
        QCOMPARE(box->height() > designed.height(), taller);
        if (!wider)
            QCOMPARE(box->width(), designed.width());
        if (!taller)
            QCOMPARE(box->height(), designed.height());
        // The text fits beside the picture with the designed pads.
        const QSize needed = box->LbMsg->fontMetrics().boundingRect(QRect(), 0, box->LbMsg->text()).size();
        QVERIFY(needed.width() <= box->LbMsg->width() - box->Scaled(24));
        QVERIFY(needed.height() <= box->LbMsg->height() - box->Scaled(60));
        QCOMPARE(box->minimumSize(), box->size());
        QCOMPARE(box->maximumSize(), box->size());
        PressKey(box, Qt::Key_Escape);
    });
}

void TstMsgBox::hugeTextStaysOnTheScreen_data()
{
    QTest::addColumn<QString>("text");
    QTest::addRow("very long line") << QString(QStringLiteral("0123456789")).repeated(1000);
    QTest::addRow("very many lines") << QString(QStringLiteral("line\r\n")).repeated(500);
}

void TstMsgBox::hugeTextStaysOnTheScreen()
{
    QFETCH(QString, text);
    const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
    RunBox(WrapperNamed(QStringLiteral("YesNoBox"), text), [&](TKvMsgBox *box) {
        const QRect frame = box->frameGeometry();
        QVERIFY2(work.contains(frame), qPrintable(QStringLiteral("%1,%2 %3x%4 in %5x%6")
                                                      .arg(frame.x())
                                                      .arg(frame.y())
                                                      .arg(frame.width())
                                                      .arg(frame.height())
                                                      .arg(work.width())
                                                      .arg(work.height())));
        QVERIFY(box->rect().contains(box->ButNo->geometry().translated(box->PnlButtons->pos())));
        PressKey(box, Qt::Key_Escape);
    });
}

void TstMsgBox::fiveButtonsWidenTheBox()
{
    TKvMsgBox box;
    for (TKvButton *button : {box.ButOk, box.ButYes, box.ButNo, box.ButAbort, box.ButCancel, box.ButIgnore})
        box.AddButton(button);
    box.SetMessage(QStringLiteral("x"));
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QCOMPARE(box.width(), box.Scaled(391) + 2 * (box.Scaled(83) + box.Scaled(10)));
    QCOMPARE(box.DefaultButton(), box.ButOk);
    // Every button lies inside the box.
    for (TKvButton *button : box.findChildren<TKvButton *>())
        if (!button->isHidden())
            QVERIFY(button->x() >= 0);
}

void TstMsgBox::boxLandsInsideTheWorkArea_data()
{
    QTest::addColumn<QRect>("ownerFrame");
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QTest::addRow("centred") << QRect(screen.center() - QPoint(300, 200), QSize(600, 400));
    QTest::addRow("off the left and top") << QRect(-500, -400, 600, 450);
    QTest::addRow("off the right and bottom") << QRect(screen.right() - 100, screen.bottom() - 50, 600, 400);
    QTest::addRow("wholly off to the right") << QRect(screen.right() + 2000, 100, 400, 300);
    QTest::addRow("tiny owner") << QRect(10, 10, 20, 20);
    // Centred over it, a box's title bar would fit but its buttons not.
    QTest::addRow("owner low on the screen") << QRect(screen.topLeft() + QPoint(1000, 500), QSize(960, 504));
    QTest::addRow("owner at the bottom edge") << QRect(100, screen.bottom() - 120, 600, 200);
}

// Measured by the frame: under a window manager (this test also runs under
// openbox) the box's title bar counts.
void TstMsgBox::boxLandsInsideTheWorkArea()
{
    QFETCH(QRect, ownerFrame);
    QWidget owner;
    owner.setGeometry(ownerFrame);
    const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
    const bool managed = QGuiApplication::platformName() == u"xcb";
    RunBox(
        WrapperNamed(QStringLiteral("InfoBox")),
        [&](TKvMsgBox *box) {
            auto frame = [box] { return box->geometry().marginsAdded(box->windowHandle()->frameMargins()); };
            auto text = [&] {
                const QRect f = frame();
                return QStringLiteral("%1,%2 %3x%4").arg(f.x()).arg(f.y()).arg(f.width()).arg(f.height());
            };
            if (managed)
                QTRY_VERIFY2(box->windowHandle()->frameMargins().top() > 0, "the box was never framed");
            QTRY_VERIFY2(work.contains(frame()), qPrintable(text()));
            // Centred over the owner where the screen allows it.
            const QRect centred(ownerFrame.x() + (ownerFrame.width() - frame().width()) / 2,
                                ownerFrame.y() + (ownerFrame.height() - frame().height()) / 2,
                                frame().width(), frame().height());
            if (work.contains(centred))
                QTRY_COMPARE(frame(), centred);
            // It stays there.
            QTest::qWait(managed ? 300 : 0);
            QVERIFY2(work.contains(frame()), qPrintable(text()));
            PressKey(box, Qt::Key_Return);
        },
        &owner);
}

void TstMsgBox::pointerSnapsToTheDefaultButton()
{
    QPoint centre;
    RunBox(WrapperNamed(QStringLiteral("YesNoCancelBox")), [&](TKvMsgBox *box) {
        QTRY_COMPARE(m_pointerMoves.size(), 1);
        TKvButton *button = box->DefaultButton();
        centre = button->mapToGlobal(QPoint(button->width() / 2, button->height() / 2));
        PressKey(box, Qt::Key_Escape);
    });
    QCOMPARE(m_pointerMoves.value(0), centre);
}

void TstMsgBox::pointerStaysWhenTheBoxClosedFirst()
{
    RunBox(WrapperNamed(QStringLiteral("YesNoBox")), [&](TKvMsgBox *box) { PressKey(box, Qt::Key_Return); });
    QTest::qWait(80);
    QVERIFY(m_pointerMoves.isEmpty());

    // A closed box that still exists moves nothing either.
    TKvMsgBox box;
    box.AddButton(box.ButOk);
    box.show();
    box.hide();
    QTest::qWait(80);
    QVERIFY(m_pointerMoves.isEmpty());
}

void TstMsgBox::hookAnswersInsteadOfTheBox()
{
    TKvMsgBoxRequest seen;
    const TKvMsgBoxHook previous = SetMsgBoxHook([&](const TKvMsgBoxRequest &request) {
        seen = request;
        return tmrCancel;
    });
    QCOMPARE(YesNoCancelBox(QStringLiteral("C"), QStringLiteral("T")), tmrCancel);
    SetMsgBoxHook(previous);
    QCOMPARE(seen.caption, QStringLiteral("C"));
    QCOMPARE(seen.text, QStringLiteral("T"));
    QCOMPARE(seen.pictureKind, int(kvIconQuestion));
    QCOMPARE(seen.buttons, (QList<TKvModalResult>{tmrYes, tmrNo, tmrCancel}));
    QVERIFY(!QApplication::activeModalWidget());
}

void TstMsgBox::closingTheWindowAnswers_data()
{
    QTest::addColumn<QString>("wrapper");
    QTest::addColumn<int>("answer");
    QTest::addRow("OK box") << "InfoBox" << int(tmrOK);
    QTest::addRow("Yes/No box") << "YesNoBox" << int(tmrNo);
    QTest::addRow("Yes/No/Cancel box") << "YesNoCancelBox" << int(tmrCancel);
}

// Some window managers offer a close button anyway.
void TstMsgBox::closingTheWindowAnswers()
{
    QFETCH(QString, wrapper);
    QFETCH(int, answer);
    bool closed = false;
    const int result = RunBox(WrapperNamed(wrapper), [&](TKvMsgBox *box) { closed = box->close(); });
    QVERIFY(closed);
    QCOMPARE(result, answer);
}

QTEST_MAIN(TstMsgBox)
#include "tst_msgbox.moc"
