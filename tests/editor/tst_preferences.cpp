// Preferences (system code page, keep-layout saving), their dialog and the
// question before a save that would turn characters into "?".
#include "commands/editsteps.h"
#include "dialogs/preferencesdlg.h"
#include "document/lossysave.h"
#include "formfixture.h"
#include "kvbutton.h"
#include "kvgradilabel.h"
#include "settings/preferences.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QProcess>

namespace {

// The child run of preferencesSurviveTheProcess prints what it reads.
constexpr char PrintPreferencesVariable[] = "QUILLON_PRINT_PREFERENCES";

// Answers the next modal dialog with a function once it is shown.
void WhenModal(std::function<void(QWidget *)> answer)
{
    QTimer::singleShot(0, [answer] {
        QWidget *dialog = QApplication::activeModalWidget();
        if (!dialog) {
            WhenModal(answer);
            return;
        }
        answer(dialog);
    });
}

} // namespace

class TestPreferences : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void defaults();
    void storeRoundTrip_data();
    void storeRoundTrip();
    void preferencesSurviveTheProcess();
    void printPreferences();
    void dialogShowsAndReturnsPreferences();
    void okStoresAndApplies();
    void cancelChangesNothing();
    void windowOpensPreferences();

    void lossyQuestion_data();
    void lossyQuestion();
    void noQuestionWithoutLoss();
    void windowSaveAsksAndSwitchesToUtf8();
    void windowSaveKeepsLayoutWhenChosen();

private:
    QTemporaryDir m_config;
    QTemporaryDir m_dir;
    TFormFixture m_fix;
};

bool IsChild()
{
    return qEnvironmentVariableIsSet(PrintPreferencesVariable);
}

void TestPreferences::initTestCase()
{
    // The child reads the store its parent wrote.
    if (!IsChild())
        IsolateSettings(m_config);
    m_fix.Install();
}

void TestPreferences::init()
{
    m_fix.Reset();
    if (IsChild()) {
        if (qstrcmp(QTest::currentTestFunction(), "printPreferences") != 0)
            QSKIP("the child only prints");
        return;
    }
    ClearSettings();
    ApplyPreferences({});
}

void TestPreferences::cleanup()
{
    ApplyPreferences({});
}

void TestPreferences::defaults()
{
    const TKvPreferences preferences = LoadPreferences();
    QCOMPARE(preferences.AnsiCodePage, 0u);
    QVERIFY(preferences.KeepLayout); // the normalising save is one click away
    QVERIFY(TKvPreferences().KeepLayout);
    QVERIFY(!preferences.HashComments); // "#" reads as other INI readers take it
    QCOMPARE(KvTextCodec::SystemAnsiCodePage(), KvTextCodec::LocaleCodePage());
}

void TestPreferences::storeRoundTrip_data()
{
    QTest::addColumn<QVariant>("storedCodePage");
    QTest::addColumn<QVariant>("storedKeepLayout");
    QTest::addColumn<QVariant>("storedHashComments");
    QTest::addColumn<quint32>("codePage");
    QTest::addColumn<bool>("keepLayout");
    QTest::addColumn<bool>("hashComments");
    QTest::addRow("chosen page") << QVariant(1250) << QVariant(true) << QVariant(true) << 1250u << true << true;
    QTest::addRow("UTF-8") << QVariant(65001) << QVariant(false) << QVariant(false) << 65001u << false << false;
    QTest::addRow("as strings") << QVariant(QStringLiteral("932")) << QVariant(QStringLiteral("true"))
                                << QVariant(QStringLiteral("true")) << 932u << true << true;
    QTest::addRow("not a code page, nothing else stored")
        << QVariant(437) << QVariant() << QVariant() << 0u << true << false;
    QTest::addRow("off as a string") << QVariant(1252) << QVariant(QStringLiteral("false"))
                                     << QVariant(QStringLiteral("false")) << 1252u << false << false;
    QTest::addRow("nonsense") << QVariant(QStringLiteral("x")) << QVariant(QStringLiteral("x"))
                              << QVariant(QStringLiteral("x")) << 0u << false << false;
}

void TestPreferences::storeRoundTrip()
{
    QFETCH(QVariant, storedCodePage);
    QFETCH(QVariant, storedKeepLayout);
    QFETCH(QVariant, storedHashComments);
    QFETCH(quint32, codePage);
    QFETCH(bool, keepLayout);
    QFETCH(bool, hashComments);
    {
        QSettings settings(QStringLiteral("Velmora"), QStringLiteral("Quillon"));
        settings.setValue(QStringLiteral("AnsiCodePage"), storedCodePage);
        if (storedKeepLayout.isValid())
            settings.setValue(QStringLiteral("KeepLayout"), storedKeepLayout);
        if (storedHashComments.isValid())
            settings.setValue(QStringLiteral("HashComments"), storedHashComments);
    }
    const TKvPreferences read = LoadPreferences();
    QCOMPARE(read.AnsiCodePage, codePage);
    QCOMPARE(read.KeepLayout, keepLayout);
    QCOMPARE(read.HashComments, hashComments);
    SavePreferences(read);
    QCOMPARE(LoadPreferences(), read);
}

// Written here, read in a new process, next to the values that were there.
void TestPreferences::preferencesSurviveTheProcess()
{
    {
        QSettings settings(QStringLiteral("Velmora"), QStringLiteral("Quillon"));
        settings.setValue(QStringLiteral("FindStr0"), QStringLiteral("kept"));
    }
    SavePreferences({1257, true, true});
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(PrintPreferencesVariable), QStringLiteral("1"));
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("printPreferences")});
    QVERIFY(child.waitForFinished(30000));
    const QByteArray output = child.readAllStandardOutput();
    QVERIFY2(output.contains("PREFERENCES=1257,1,1,kept;"), output.constData());
    QVERIFY(!output.contains("FAIL!"));
}

void TestPreferences::printPreferences()
{
    if (!IsChild())
        return;
    const TKvPreferences preferences = LoadPreferences();
    QSettings settings(QStringLiteral("Velmora"), QStringLiteral("Quillon"));
    printf("PREFERENCES=%u,%d,%d,%s;\n", preferences.AnsiCodePage, int(preferences.KeepLayout),
           int(preferences.HashComments), qPrintable(settings.value(QStringLiteral("FindStr0")).toString()));
    fflush(stdout);
}

void TestPreferences::dialogShowsAndReturnsPreferences()
{
    TFrmPreferences dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Preferences"));
    QCOMPARE(dialog.CbxKeepLayout->text(), QStringLiteral("Keep each file's layout when saving"));
    // The locale's first, then every page that can be chosen.
    QCOMPARE(dialog.CbxCodePage->count(), 1 + KvTextCodec::SelectableCodePages().size());
    QCOMPARE(dialog.CbxCodePage->itemData(0).toUInt(), 0u);
    QVERIFY(dialog.CbxCodePage->itemText(0).startsWith(QStringLiteral("The locale's: ")));
    QCOMPARE(dialog.Preferences(), TKvPreferences());
    for (const TKvPreferences &preferences :
         {TKvPreferences{936, true}, TKvPreferences{65001, false}, TKvPreferences{0, true}}) {
        dialog.SetPreferences(preferences);
        QCOMPARE(dialog.Preferences(), preferences);
    }
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    dialog.grab().save(m_dir.filePath(QStringLiteral("preferences.png")));
}

void TestPreferences::okStoresAndApplies()
{
    QWidget owner;
    WhenModal([](QWidget *dialog) {
        auto *preferences = qobject_cast<TFrmPreferences *>(dialog);
        QVERIFY(preferences);
        preferences->CbxCodePage->setCurrentIndex(preferences->CbxCodePage->findData(1250u));
        preferences->CbxKeepLayout->setChecked(true);
        QTest::mouseClick(preferences->ButOk, Qt::LeftButton);
    });
    auto form = ShowForm();
    QVERIFY(form);
    ActPreferencesExecute(form.get());
    QCOMPARE(CurrentPreferences(), (TKvPreferences{1250, true}));
    QCOMPARE(KvTextCodec::SystemAnsiCodePage(), 1250u);
    QCOMPARE(LoadPreferences(), (TKvPreferences{1250, true}));
}

void TestPreferences::cancelChangesNothing()
{
    auto form = ShowForm();
    QVERIFY(form);
    WhenModal([](QWidget *dialog) {
        auto *preferences = qobject_cast<TFrmPreferences *>(dialog);
        QVERIFY(preferences);
        preferences->CbxKeepLayout->setChecked(true);
        QTest::mouseClick(preferences->ButCancel, Qt::LeftButton);
    });
    ActPreferencesExecute(form.get());
    QCOMPARE(CurrentPreferences(), TKvPreferences());
    QCOMPARE(LoadPreferences(), TKvPreferences());
}

// Ctrl+, and the status-bar button beside "P", "?" and "i" open the dialog;
// the stored preferences are in force once the window is shown.
void TestPreferences::windowOpensPreferences()
{
    SavePreferences({1251, false});
    auto form = ShowForm();
    QVERIFY(form);
    QCOMPARE(KvTextCodec::SystemAnsiCodePage(), 1251u);
    QCOMPARE(form->ActPreferences->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Comma));
    QCOMPARE(form->ActPreferences->property("category").toString(), QStringLiteral("Program Actions"));
    QVERIFY(form->GlPreferences);
    QVERIFY(form->GlPreferences->isVisible());
    QCOMPARE(form->GlPreferences->parentWidget(), form->GlInfo->parentWidget());
    QVERIFY(form->GlPreferences->x() > form->GlInfo->x());

    int opened = 0;
    auto closeIt = [&opened](QWidget *dialog) {
        QVERIFY(qobject_cast<TFrmPreferences *>(dialog));
        ++opened;
        static_cast<QDialog *>(dialog)->reject();
    };
    WhenModal(closeIt);
    QTest::keyClick(form.get(), Qt::Key_Comma, Qt::ControlModifier);
    QTRY_COMPARE(opened, 1);
    WhenModal(closeIt);
    QTest::mouseClick(form->GlPreferences, Qt::LeftButton);
    QTRY_COMPARE(opened, 2);
}

void TestPreferences::lossyQuestion_data()
{
    QTest::addColumn<int>("reply");
    QTest::addColumn<std::optional<quint32>>("chosen");
    QTest::addRow("Yes saves as UTF-8") << int(tmrYes) << std::optional<quint32>(KvEncoding::Utf8);
    QTest::addRow("No saves with question marks") << int(tmrNo) << std::optional<quint32>(KvEncoding::Ansi);
    QTest::addRow("Cancel saves nothing") << int(tmrCancel) << std::optional<quint32>();
}

void TestPreferences::lossyQuestion()
{
    QFETCH(int, reply);
    QFETCH(std::optional<quint32>, chosen);
    KvTextCodec::SetSystemAnsiCodePage(1252);
    TKvMemIni ini;
    TKvIniSection *section = ini.AddSection(QStringLiteral("s"));
    section->AddVal(u"a", u"\u65E5\u672C\u8A9E caf\u00e9", u"");
    section->AddVal(u"b", u"\u0416\u0417\u0418\u0419", u"\U0001F600");
    m_fix.Replies = {TKvModalResult(reply)};
    QCOMPARE(ChooseSaveEncoding(ini, KvEncoding::Ansi), chosen);
    QCOMPARE(m_fix.Messages.size(), 1);
    QCOMPARE(m_fix.Messages[0],
             QStringLiteral(
                 "Save Question|8 characters cannot be written in the code page Windows-1252 and would be "
                 "saved as \"?\":\r\n\u65E5  \u672C  \u8A9E  \u0416  \u0417  ...\r\n\r\n"
                 "Save as UTF-8 instead ?\r\n(No saves with \"?\", Cancel saves nothing)"));
}

void TestPreferences::noQuestionWithoutLoss()
{
    KvTextCodec::SetSystemAnsiCodePage(1251);
    TKvMemIni ini;
    ini.AddSection(QStringLiteral("s"))->AddVal(u"k", u"\u0416 caf", u"");
    QCOMPARE(ChooseSaveEncoding(ini, KvEncoding::Ansi), std::optional<quint32>(KvEncoding::Ansi));
    ini.Sections[0]->AddVal(u"e", u"\u00e9", u"");
    QCOMPARE(ChooseSaveEncoding(ini, KvEncoding::Utf8), std::optional<quint32>(KvEncoding::Utf8));
    QCOMPARE(ChooseSaveEncoding(ini, KvEncoding::Utf16BE), std::optional<quint32>(KvEncoding::Utf16BE));
    QVERIFY(m_fix.Messages.isEmpty());
    QCOMPARE(LossySaveQuestion({1, {QStringLiteral("x")}}, 1251).left(38),
             QStringLiteral("1 character cannot be written in the c"));
}

// Save of an ANSI file holding characters its code page lacks: Cancel writes
// nothing and keeps the changes; Yes writes UTF-8 and the document is UTF-8 from then on.
void TestPreferences::windowSaveAsksAndSwitchesToUtf8()
{
    SavePreferences({1252, false});
    const QString path = WriteFile(m_dir.filePath(QStringLiteral("ansi.ini")), "[s]\r\nk=caf\xE9\r\n");
    auto form = ShowForm(path);
    QVERIFY(form);
    QCOMPARE(form->EncodingIdx(), int(TForm1::EncAnsi));
    form->PushStep(new TKvValsStep(form->Doc(), *form->Lists, QStringLiteral("Add Item"),
                                   form->Document().Sections[0], -1, {new TKvIniVal(u"j", u"\u65E5", u"")}));

    m_fix.Replies = {tmrCancel};
    form->ActSave->trigger();
    QCOMPARE(m_fix.Messages.size(), 1);
    QVERIFY(m_fix.Messages[0].startsWith(QStringLiteral("Save Question|1 character cannot be written")));
    QVERIFY(form->Modified());
    QCOMPARE(ReadFile(path), QByteArray("[s]\r\nk=caf\xE9\r\n"));

    m_fix.Replies = {tmrYes};
    form->ActSave->trigger();
    QVERIFY(!form->Modified());
    QCOMPARE(ReadFile(path), QByteArray("\xEF\xBB\xBF[s]\r\nk=caf\xC3\xA9\r\nj=\xE6\x97\xA5\r\n\r\n"));
    QCOMPARE(form->EncodingIdx(), int(TForm1::EncUtf8));
    QVERIFY(form->windowTitle().endsWith(QStringLiteral("[UTF-8]")));
}

void TestPreferences::windowSaveKeepsLayoutWhenChosen()
{
    SavePreferences({0, true});
    const QByteArray bytes = "; settings\n[s]\n  name = caf\xC3\xA9   ; who\n\tpath=/usr\n";
    const QString path = WriteFile(m_dir.filePath(QStringLiteral("linux.ini")), bytes);
    auto form = ShowForm(path);
    QVERIFY(form);
    TKvIniVal *edited = form->Document().Sections[1]->Vals[1]->Clone();
    edited->SetValue(u"/opt");
    form->PushStep(new TKvReplaceValStep(form->Doc(), *form->Lists, QStringLiteral("Edit Item"),
                                         form->Document().Sections[1], 1, edited));
    form->ActSave->trigger();
    QVERIFY(m_fix.Messages.isEmpty());
    QCOMPARE(ReadFile(path), QByteArray("; settings\n[s]\n  name = caf\xC3\xA9   ; who\npath=/opt\n"));
}

QTEST_MAIN(TestPreferences)
#include "tst_preferences.moc"
