#include "dialogs/passwordfrm.h"
#include "form1.h"
#include "infoform.h"
#include "kvbutton.h"
#include "kvconfig.h"
#include "kvgradilabel.h"
#include "kvshell.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

// The window's program commands: the password generator, help and about.
class TstForm1Dialogs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void commandsOpenTheirDialog_data();
    void commandsOpenTheirDialog();
    void helpOpensTheHelpPage_data();
    void helpOpensTheHelpPage();

private:
    QTemporaryDir m_config;
    QList<QUrl> m_opened;
    TForm1 *m_form = nullptr;
};

void TstForm1Dialogs::initTestCase()
{
    // Settings and the first-run page stay inside the test.
    qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
    SetShellOpener([this](const QUrl &url) { m_opened << url; });
}

void TstForm1Dialogs::init()
{
    m_form = new TForm1;
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
    m_form->activateWindow();
    QTRY_VERIFY(m_form->isActiveWindow());
    m_opened.clear();
}

void TstForm1Dialogs::cleanup()
{
    delete m_form;
    m_form = nullptr;
}

void TstForm1Dialogs::commandsOpenTheirDialog_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("dialog");
    QTest::addRow("Ctrl+G") << "Ctrl+G"
                            << "TPasswordFrm";
    QTest::addRow("P button") << "GlPassword"
                              << "TPasswordFrm";
    QTest::addRow("F2") << "F2"
                        << "TInfoForm";
    QTest::addRow("i button") << "GlInfo"
                              << "TInfoForm";
}

void TstForm1Dialogs::commandsOpenTheirDialog()
{
    QFETCH(QString, how);
    QFETCH(QString, dialog);
    QString seen;
    bool applyHidden = false;
    QTimer::singleShot(0, m_form, [&] {
        QWidget *modal = nullptr;
        QTRY_VERIFY((modal = QApplication::activeModalWidget()) != nullptr);
        seen = QString::fromLatin1(modal->metaObject()->className());
        if (auto *generator = qobject_cast<TPasswordFrm *>(modal)) {
            applyHidden = generator->ButApply->isHidden();
            QTest::mouseClick(generator->ButGenerate, Qt::LeftButton);
            QCOMPARE(generator->EdResult->text().size(), 8);
            QTest::mouseClick(generator->ButCancel, Qt::LeftButton);
        } else if (auto *about = qobject_cast<TInfoForm *>(modal)) {
            // The window's own colours.
            QCOMPARE(about->GradientTop(), KvToQColor(m_form->Colours()[0]));
            QCOMPARE(about->GradientBottom(), KvToQColor(m_form->Colours()[1]));
            QTest::mouseClick(about->ButOk, Qt::LeftButton);
        }
        if (QApplication::activeModalWidget() == modal)
            static_cast<QDialog *>(modal)->done(0);
    });
    if (how.startsWith(u"Gl"))
        QTest::mouseClick(m_form->findChild<TKvGradiLabel *>(how), Qt::LeftButton);
    else
        QTest::keySequence(m_form, QKeySequence(how));
    QTRY_COMPARE(seen, dialog);
    if (dialog == u"TPasswordFrm")
        QVERIFY(applyHidden);
    QTRY_VERIFY(!QApplication::activeModalWidget());
}

void TstForm1Dialogs::helpOpensTheHelpPage_data()
{
    QTest::addColumn<QString>("how");
    QTest::addRow("F1") << "F1";
    QTest::addRow("? button") << "GlHelp";
}

void TstForm1Dialogs::helpOpensTheHelpPage()
{
    QFETCH(QString, how);
    if (how.startsWith(u"Gl"))
        QTest::mouseClick(m_form->findChild<TKvGradiLabel *>(how), Qt::LeftButton);
    else
        QTest::keySequence(m_form, QKeySequence(how));
    QCOMPARE(m_opened, QList<QUrl>{QUrl(KvConfig::HelpUrl.toString())});
}

QTEST_MAIN(TstForm1Dialogs)
#include "tst_form1dialogs.moc"
