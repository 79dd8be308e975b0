#include "infoform.h"
#include "kvbutton.h"
#include "kvconfig.h"
#include "kvpngrc.h"
#include "kvshell.h"
#include "kvversioninfo.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QTemporaryFile>
#include <QTest>
#include <QTimer>

class TstInfoForm : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void nameRowWithAndWithoutVersion_data();
    void nameRowWithAndWithoutVersion();
    void clickingTheNameCopiesIt();
    void linkClicks_data();
    void linkClicks();
    void sizedFromTheLogo();
    void placedOnTheScreenAndNotMovable_data();
    void placedOnTheScreenAndNotMovable();
    void enterClosesEscapeDoesNot();

private:
    QList<QUrl> m_opened;
};

void TstInfoForm::init()
{
    m_opened.clear();
    SetShellOpener([this](const QUrl &url) { m_opened << url; });
    QApplication::clipboard()->setText(QStringLiteral("untouched"));
}

void TstInfoForm::cleanup()
{
    SetShellOpener(nullptr);
}

void TstInfoForm::nameRowWithAndWithoutVersion_data()
{
    QTest::addColumn<bool>("withVersion");
    QTest::addRow("with a version") << true;
    QTest::addRow("without a version") << false;
}

void TstInfoForm::nameRowWithAndWithoutVersion()
{
    QFETCH(bool, withVersion);
    QTemporaryFile bare;
    QVERIFY(bare.open());
    bare.write("no version block here");
    bare.flush();
    // This test program carries the version block; the temporary file does not.
    const QString executable = withVersion ? QCoreApplication::applicationFilePath() : bare.fileName();
    const QString version = FileVersionString(executable, QStringLiteral("FileVersion"));
    QCOMPARE(version.isEmpty(), !withVersion);

    TInfoForm form;
    form.ExecutablePath = executable;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QString versionText = withVersion ? QStringLiteral("ver. ") + version : QString();
    QCOMPARE(form.VersionText(), versionText);
    QCOMPARE(form.PnlAppName->text(), QStringLiteral("Quillon ") + versionText);
    QCOMPARE(form.PnlCopyright->text(), TInfoForm::Copyright);
    // The mail subject carries name and version; without a version it ends in two spaces.
    QCOMPARE(form.MailAddress(), QStringLiteral("Mailto:") + KvConfig::BugReportAddress.toString()
                                     + QStringLiteral("?Subject=BugReport Quillon  ") + versionText);
    QCOMPARE(form.MailCopyText(),
             KvConfig::BugReportAddress.toString() + QStringLiteral("  Quillon  ") + versionText);
}

void TstInfoForm::clickingTheNameCopiesIt()
{
    TInfoForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(form.PnlAppName->toolTip(), QStringLiteral(" Click to copy to Clipboard "));
    QTest::mouseClick(form.PnlAppName, Qt::LeftButton);
    QCOMPARE(QApplication::clipboard()->text(), form.PnlAppName->text());
    QVERIFY(m_opened.isEmpty());
}

void TstInfoForm::linkClicks_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<int>("keys");
    QTest::addColumn<QString>("copied");   // empty: nothing copied
    QTest::addColumn<QString>("opened");   // empty: nothing opened
    const QString site = KvConfig::WebSiteUrl.toString();
    const QString mail = KvConfig::BugReportAddress.toString();
    QTest::addRow("web") << "web" << 0 << QString() << site;
    QTest::addRow("web ctrl") << "web" << int(Qt::ControlModifier) << site << QString();
    QTest::addRow("web ctrl shift") << "web" << int(Qt::ControlModifier | Qt::ShiftModifier) << site << QString();
    QTest::addRow("web shift") << "web" << int(Qt::ShiftModifier) << QString() << site;
    QTest::addRow("mail") << "mail" << 0 << QString() << "mailto:" + mail;
    QTest::addRow("mail ctrl") << "mail" << int(Qt::ControlModifier) << mail << QString();
    QTest::addRow("mail ctrl shift") << "mail" << int(Qt::ControlModifier | Qt::ShiftModifier)
                                     << "<copy text>" << QString();
    QTest::addRow("mail shift") << "mail" << int(Qt::ShiftModifier) << QString() << "mailto:" + mail;
}

void TstInfoForm::linkClicks()
{
    QFETCH(QString, link);
    QFETCH(int, keys);
    QFETCH(QString, copied);
    QFETCH(QString, opened);
    TInfoForm form;
    form.KeyboardState = [keys] { return Qt::KeyboardModifiers(keys); };
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QLabel *label = link == u"web" ? form.LbWebSite : form.LbEmail;
    QCOMPARE(label->cursor().shape(), Qt::PointingHandCursor);
    QVERIFY(label->font().underline());
    // The click message says nothing about the keys: they are read from the keyboard.
    QTest::mouseClick(label, Qt::LeftButton);
    if (copied == u"<copy text>")
        copied = form.MailCopyText();
    QCOMPARE(QApplication::clipboard()->text(), copied.isEmpty() ? QStringLiteral("untouched") : copied);
    QCOMPARE(m_opened.size(), opened.isEmpty() ? 0 : 1);
    if (!opened.isEmpty()) {
        const QString url = m_opened.first().toString();
        QVERIFY2(url.startsWith(opened), qPrintable(url));
        if (link == u"mail")
            QVERIFY2(url.contains(QStringLiteral("?Subject=BugReport")), qPrintable(url));
    }
}

void TstInfoForm::sizedFromTheLogo()
{
    TInfoForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QVERIFY(!form.Logo->IsEmpty());
    QCOMPARE(form.width(), form.Logo->Width() + form.Scaled(40));
    QCOMPARE(form.height(), form.Logo->Height() + 4 * form.Scaled(28) + form.Scaled(35) + 2 * form.Scaled(12)
                                + 2 * form.Scaled(10));
    QCOMPARE(form.minimumSize(), form.maximumSize());
    QVERIFY(form.windowFlags().testFlag(Qt::FramelessWindowHint));
    // Every row lies inside, the OK button at the bottom right.
    QVERIFY(form.rect().contains(form.ButOk->geometry().translated(form.ButOk->parentWidget()->pos())));
    QCOMPARE(form.ButOk->width(), form.Scaled(92));
    // The link rows keep their texts centred.
    const QWidget *inner = form.LbWebSite->parentWidget();
    QCOMPARE(inner->x(), (form.PnlWeb->width() - inner->width()) / 2);
}

void TstInfoForm::placedOnTheScreenAndNotMovable_data()
{
    QTest::addColumn<QRect>("mainFrame");
    QTest::addColumn<bool>("atLeftEdge");
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QTest::addRow("on screen") << QRect(screen.center() - QPoint(350, 280), QSize(700, 560)) << false;
    QTest::addRow("partly off the left") << QRect(-600, 50, 700, 560) << true;
    QTest::addRow("off the bottom right") << QRect(screen.right() - 50, screen.bottom() - 50, 700, 560) << false;
}

void TstInfoForm::placedOnTheScreenAndNotMovable()
{
    QFETCH(QRect, mainFrame);
    QFETCH(bool, atLeftEdge);
    QWidget main;
    main.setGeometry(mainFrame);
    TInfoForm form(&main);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY(work.contains(form.frameGeometry()));
    if (atLeftEdge)
        QCOMPARE(form.x(), 0);
    if (work.contains(mainFrame))
        QCOMPARE(form.geometry().center().x() / 2, mainFrame.center().x() / 2);
    const QPoint fixed = form.pos();
    form.move(fixed + QPoint(40, 30));
    QCOMPARE(form.pos(), fixed);
}

void TstInfoForm::enterClosesEscapeDoesNot()
{
    TInfoForm form;
    bool stayedOnEscape = false;
    QTimer::singleShot(0, &form, [&] {
        QTRY_VERIFY(QApplication::activeModalWidget() == &form);
        QTest::keyClick(&form, Qt::Key_Escape);
        stayedOnEscape = form.isVisible();
        QTest::keyClick(&form, Qt::Key_Return);
        if (form.isVisible())
            form.done(-1);
    });
    QCOMPARE(form.exec(), int(QDialog::Accepted));
    QVERIFY(stayedOnEscape);
}

QTEST_MAIN(TstInfoForm)
#include "tst_infoform.moc"
