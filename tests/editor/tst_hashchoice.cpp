// "#" comments chosen for one file: which files look written with them, the
// status-bar offer, the file read again with the choice, and the choice
// remembered beside the file in the recent files.
#include "document/hashcomments.h"
#include "editortesting.h"
#include "kvgradilabel.h"
#include "kvmemini.h"
#include "settings/kvstringrc.h"
#include "settings/preferences.h"

#include <QAction>
#include <QLineEdit>

using namespace EditorTesting;

class TestHashComments : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void looksHashCommented_data();
    void looksHashCommented();
    void offerTurnsThemOnForTheFile();
    void cancelledQuestionKeepsTheChoice();

private:
    QTemporaryDir m_dir;
    QTemporaryDir m_config;
};

void TestHashComments::initTestCase()
{
    qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
}

void TestHashComments::looksHashCommented_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("hashComments"); // read with "#" comments
    QTest::addColumn<bool>("looks");

    QTest::addRow("hash item") << QByteArray("[a]\n# port = 80\nk=v\n") << false << true;
    QTest::addRow("hash text line") << QByteArray("[a]\nk=v\n   # just words\n") << false << true;
    QTest::addRow("before the first section") << QByteArray("#!/bin/conf\n[a]\nk=v\n") << false << true;
    QTest::addRow("semicolon comments too") << QByteArray("[a]\n;note\n# port = 80\n") << false << false;
    QTest::addRow("no hash lines") << QByteArray("[a]\nk=v\ncolour=#ff0000\n") << false << false;
    QTest::addRow("read with them already") << QByteArray("[a]\n# port = 80\n") << true << false;
    QTest::addRow("empty") << QByteArray() << false << false;
    QTest::addRow("tab before the hash") << QByteArray("[a]\n\t#x=1\n") << false << true;
    // The item's name drops the ESC; read with "#" comments it is a comment line.
    QTest::addRow("control character before the hash") << QByteArray("\x1b#a=1\n") << false << true;
    QTest::addRow("hash in a header or a value only")
        << QByteArray("[#a]\nk=#v\n[b] # c\n") << false << false;
    QTest::addRow("empty ; line is a comment line") << QByteArray(";\n#x\n") << false << false;
}

void TestHashComments::looksHashCommented()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, hashComments);
    QFETCH(bool, looks);
    TKvMemIni ini;
    ini.HashComments = hashComments;
    ini.Parse(QString::fromUtf8(text));
    QCOMPARE(LooksHashCommented(ini), looks);
}

void TestHashComments::offerTurnsThemOnForTheFile()
{
    const QString smb = WriteFile(m_dir, QStringLiteral("smb.conf"),
                                  "[global]\n# workgroup = OLD\nworkgroup = HOME\n#   a note\n");
    const QString php = WriteFile(m_dir, QStringLiteral("php.ini"), "[PHP]\n;note\nk=v\n# odd = 1\n");
    std::unique_ptr<TForm1> form(OpenForm(php));
    QVERIFY(form);
    // A file with ";" comments has no use for the offer.
    QVERIFY(!form->GlHashComments->isVisible());

    form->OpenFile(smb, TForm1::EncAuto);
    QVERIFY(form->GlHashComments->isVisible());
    QVERIFY(!form->GlHashComments->Checked());
    QCOMPARE(form->Document().Sections[0]->Vals.Count(), 3);
    QCOMPARE(form->Document().Sections[0]->Vals[0]->Kind(), ikValue); // "# workgroup" as an item

    // One click: the file is read again with "#" comments, and that is remembered for it.
    form->ActHashComments->trigger();
    QCOMPARE(form->Document().Sections[0]->Vals[0]->Kind(), ikComment);
    QCOMPARE(form->Document().Sections[0]->Vals[2]->Kind(), ikComment);
    QVERIFY(form->GlHashComments->isVisible());
    QVERIFY(form->GlHashComments->Checked());
    QCOMPARE(form->MRUList->HashCommentsOf(smb), std::optional<bool>(true));
    // The other file is read as the preference says; this one as chosen.
    QVERIFY(!CurrentPreferences().HashComments);
    form->OpenFile(php, TForm1::EncAuto);
    QVERIFY(!form->Document().HashComments);
    form->OpenFile(smb, TForm1::EncAuto);
    QVERIFY(form->Document().HashComments);
    // And back: the choice "off" is remembered too, and the button stays to undo it.
    form->ActHashComments->trigger();
    QVERIFY(!form->Document().HashComments);
    QCOMPARE(form->MRUList->HashCommentsOf(smb), std::optional<bool>(false));
    QVERIFY(form->GlHashComments->isVisible());
}

// Unsaved changes and Cancel at the question: nothing is read, nothing remembered.
void TestHashComments::cancelledQuestionKeepsTheChoice()
{
    const QString conf = WriteFile(m_dir, QStringLiteral("my.cnf"), "[mysqld]\n# port = 3306\nuser=mysql\n");
    std::unique_ptr<TForm1> form(OpenForm(conf));
    QVERIFY(form);
    TDialogScript script;
    script.Then([](QDialog &dialog) {
        dialog.findChild<QLineEdit *>(QStringLiteral("EdName"))->setText(QStringLiteral("added"));
        return int(QDialog::Accepted);
    });
    Select(form.get(), 0, 0);
    form->ActAddItem->trigger();
    QVERIFY(form->Modified());
    script.AnswerBoxes(tmrCancel);
    form->ActHashComments->trigger();
    QCOMPARE(script.Messages.size(), 1); // the question about the unsaved changes
    QVERIFY(form->Modified());
    QVERIFY(!form->Document().HashComments);
    QCOMPARE(form->MRUList->HashCommentsOf(conf), std::optional<bool>());
    form->Doc().MarkSaved();
}

QTEST_MAIN(TestHashComments)
#include "tst_hashchoice.moc"
