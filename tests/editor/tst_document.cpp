// New, Open, Reload, Save, Save As, encrypted files, drops and closing,
// driven through the window's actions with the dialogs answered by hooks.
#include "commands/editsteps.h"
#include "dialogs/formpassword.h"
#include "document/documentfile.h"
#include "document/filewatcher.h"
#include "formfixture.h"
#include "kvcontainer.h"
#include "kvgradilabel.h"
#include "settings/kvstringrc.h"

#include <QAction>
#include <QDir>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QTableView>

namespace {

const QByteArray Sample = "[beta]\r\nb=2\r\n[alpha]\r\na=1\r\n";
const QByteArray Other = "[other]\r\no=1\r\n";

QString Caption(const QString &rest)
{
    return QStringLiteral("Velmora's Quillon") + rest;
}

// Plain ASCII without a byte-order mark is detected as the ANSI code page.
constexpr int Detected = TForm1::EncAnsi;

bool HasEdit(TForm1 &form)
{
    for (const TKvIniSection *section : form.Document().Sections) {
        for (const TKvIniVal *val : section->Vals) {
            if (val->Name() == u"edited")
                return true;
        }
    }
    return false;
}

// One more entry at the end of the first section, as one undo step.
void AddEntry(TForm1 &form, QStringView name, QStringView value)
{
    form.PushStep(new TKvValsStep(form.Doc(), *form.Lists, QStringLiteral("Add Item"),
                                  form.Document().Sections[0], -1, {new TKvIniVal(name, value, u"")}));
}

// An edit as a command makes it: one more entry, modified on.
void Edit(TForm1 &form)
{
    AddEntry(form, u"edited", u"yes");
}

} // namespace

Q_DECLARE_METATYPE(TKvContainerFormat)

class TestDocument : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void newThenReloadLeavesNoDocument();
    void newDocumentState();
    void encryptedNamesAskForPassword_data();
    void encryptedNamesAskForPassword();
    void cancelledPasswordKeepsDocument();
    void placeholderNameSavesThroughSaveAs_data();
    void placeholderNameSavesThroughSaveAs();
    void saveAsEncryptedThenPlain();
    void saveAsAnsweredNoKeepsState();
    void containerChoiceOfSaveAs_data();
    void containerChoiceOfSaveAs();
    void unsavedChangesQuestion_data();
    void unsavedChangesQuestion();
    void yesThenCancelledSaveAsStopsOpen();
    void droppedFiles_data();
    void droppedFiles();
    void closing_data();
    void closing();
    void readOnlyFileAndSaveAsElsewhere();
    void saveOntoReadOnlyTarget();
    void brokenEncryptedFiles_data();
    void brokenEncryptedFiles();
    void encryptedReloadAfterOutsideChange();
    void passwordDialogOfAnOpen();
    void utf32FileLeavesNoDocument();
    void saveAsEncodingAndReopen();
    void openedFilesBecomeRecent();

    void outsideChangeOfUnmodifiedFile_data();
    void outsideChangeOfUnmodifiedFile();
    void outsideChangeWhileModified();
    void removedByAnotherProgram();
    void pathsBecomeAbsolute_data();
    void pathsBecomeAbsolute();
    void ownSaveRaisesNoQuestion();
    void renamedReplacementIsWatchedAgain();

private:
    QString Path(const QString &name) const { return m_dir.filePath(name); }
    TForm1 *Show(const QString &path = QString());
    void Trigger(QAction *action);

    TFormFixture m_fix;
    QTemporaryDir m_config;
    QTemporaryDir m_dir;
    std::unique_ptr<TForm1> m_form;
    QString m_sample;
};

void TestDocument::initTestCase()
{
    IsolateSettings(m_config);
    m_fix.Install();
}

void TestDocument::init()
{
    m_fix.Reset();
    ClearSettings();
    m_sample = WriteFile(Path(QStringLiteral("sample.ini")), Sample);
}

void TestDocument::cleanup()
{
    m_form.reset();
    QDir::setCurrent(QDir::tempPath());
}

TForm1 *TestDocument::Show(const QString &path)
{
    m_form = ShowForm(path);
    m_fix.Messages.clear();
    return m_form.get();
}

void TestDocument::Trigger(QAction *action)
{
    QVERIFY(action->isEnabled());
    action->trigger();
}

void TestDocument::newThenReloadLeavesNoDocument()
{
    TForm1 *form = Show();
    QVERIFY(form);
    Trigger(form->ActNewFile);
    QCOMPARE(form->Document().Sections.Count(), 1);
    Trigger(form->ActReload);
    QCOMPARE(m_fix.Messages, QStringList{QStringLiteral("File Error|File Does not exist\r\n")});
    QCOMPARE(form->Document().Sections.Count(), 0);
    QCOMPARE(form->windowTitle(), Caption(QString()));
    QVERIFY(!form->ActReload->isEnabled());
    QVERIFY(!form->ActSaveAs->isEnabled());
    QVERIFY(!form->ActSave->isEnabled());
    // Nothing to edit without a document: only New, Open and the program's commands.
    for (QAction *action : {form->ActAddSection, form->ActAddItem, form->ActSearch, form->ActUndo})
        QVERIFY2(!action->isEnabled(), qPrintable(action->objectName()));
    QVERIFY(!form->ButCreateShortcut->isEnabled());
    QVERIFY(form->ActNewFile->isEnabled());
    QVERIFY(form->ActOpenFile->isEnabled());
}

void TestDocument::newDocumentState()
{
    TForm1 *form = Show(m_sample);
    QVERIFY(form);
    Trigger(form->ActNewFile);
    QCOMPARE(form->windowTitle(), Caption(QStringLiteral("   [UnNamed.Ini] [UTF-8]")));
    QCOMPARE(form->Document().Sections.Count(), 1);
    QCOMPARE(form->Document().Sections[0]->Name, QString());
    QCOMPARE(form->Document().Sections[0]->Vals.Count(), 1);
    QVERIFY(!form->Modified());
    QVERIFY(form->FileName().isEmpty());
    QVERIFY(!form->ButCreateShortcut->isEnabled());
    QVERIFY(form->ActSaveAs->isEnabled());
    QVERIFY(form->SelectedSection());
}

void TestDocument::encryptedNamesAskForPassword_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("asks");
    QTest::addRow("upper") << "data.INICRY" << true;
    QTest::addRow("mixed") << "data.IniCry" << true;
    QTest::addRow("lower") << "data.inicry" << true;
    QTest::addRow("longer") << "data.inicryx" << false;
    QTest::addRow("plain") << "data.ini" << false;
}

void TestDocument::encryptedNamesAskForPassword()
{
    QFETCH(QString, name);
    QFETCH(bool, asks);
    TForm1 *form = Show();
    QVERIFY(form);
    const QString path = WriteFile(Path(name), Sample);
    form->OpenFile(path, -1);
    QCOMPARE(m_fix.Prompts, asks ? QStringList{QStringLiteral("plain")} : QStringList());
    QCOMPARE(form->FileName(), asks ? QString() : path);
}

void TestDocument::cancelledPasswordKeepsDocument()
{
    TForm1 *form = Show(m_sample);
    QVERIFY(form);
    Edit(*form);
    const QString title = form->windowTitle();
    const QString path = WriteFile(Path(QStringLiteral("data.INICRY")), Sample);
    m_fix.Replies = {tmrNo}; // do not save the edit
    m_fix.Choices = {TKvFileChoice{path, 4}};
    Trigger(form->ActOpenFile);
    QCOMPARE(m_fix.Prompts.size(), 1);
    QCOMPARE(form->FileName(), m_sample);
    QCOMPARE(form->windowTitle(), title);
    QCOMPARE(form->Document().Sections.Count(), 2);
    QVERIFY(form->Modified());
    QVERIFY(!form->Encrypted());
}

void TestDocument::placeholderNameSavesThroughSaveAs_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("throughSaveAs");
    QTest::addRow("placeholder") << "NoName.Ini" << true;
    QTest::addRow("other case") << "noname.ini" << false;
}

void TestDocument::placeholderNameSavesThroughSaveAs()
{
    QFETCH(QString, name);
    QFETCH(bool, throughSaveAs);
    WriteFile(Path(name), Sample);
    QDir::setCurrent(m_dir.path());
    TForm1 *form = Show(name); // the relative name, as given on a command line
    QVERIFY(form);
    QCOMPARE(form->FileName(), Path(name)); // kept absolute
    Edit(*form);
    Trigger(form->ActSave);
    QCOMPARE(m_fix.Dialogs,
             throughSaveAs ? QStringList{QStringLiteral("save:") + Path(name)} : QStringList());
    QCOMPARE(form->Modified(), throughSaveAs); // the dialog was cancelled
    QCOMPARE(ReadFile(Path(name)).contains("edited=yes"), !throughSaveAs);
}

void TestDocument::saveAsEncryptedThenPlain()
{
    TForm1 *form = Show(m_sample);
    QVERIFY(form);
    const QString secret = Path(QStringLiteral("secret.IniCry"));
    m_fix.Choices = {TKvFileChoice{secret, 0}};
    m_fix.Passwords = {QStringLiteral("pw")};
    m_fix.Replies = {tmrYes};
    Trigger(form->ActSaveAs);
    QCOMPARE(m_fix.Prompts, QStringList{QStringLiteral("warning")});
    QCOMPARE(m_fix.Messages,
             QStringList{QStringLiteral("FileName Question:|Use new FileName ?\r\n") + secret});
    QVERIFY(form->Encrypted());
    QCOMPARE(form->windowTitle(), Caption(QStringLiteral("   [") + secret + QStringLiteral("] [Encrypted]")));
    QVERIFY(!ReadFile(secret).contains("[beta]"));
    QVERIFY(ReadFile(secret).startsWith("\x89KVCRY\r\n")); // a new protected file is strong
    TKvMemIni check;
    QCOMPARE(LoadEncrypted(check, secret, QStringLiteral("pw")), int(KvEncoding::Utf8));
    QCOMPARE(check.Sections.Count(), 2);

    // Save As of the encrypted document to a plain name, answering Yes.
    const QString copy = Path(QStringLiteral("copy.ini"));
    m_fix.Reset();
    m_fix.Choices = {TKvFileChoice{copy, 0}};
    m_fix.Replies = {tmrYes};
    Trigger(form->ActSaveAs);
    QVERIFY(m_fix.Prompts.isEmpty());
    QVERIFY(!form->Encrypted());
    QCOMPARE(form->windowTitle(), Caption(QStringLiteral("   [") + copy + QStringLiteral("] [UTF-8]")));
    Edit(*form);
    Trigger(form->ActSave);
    QVERIFY(ReadFile(copy).startsWith("\xEF\xBB\xBF[beta]"));
    QVERIFY(ReadFile(copy).contains("edited=yes"));
    QVERIFY(!form->Modified());
}

void TestDocument::saveAsAnsweredNoKeepsState()
{
    TForm1 *form = Show(m_sample);
    QVERIFY(form);
    Edit(*form);
    const QString title = form->windowTitle();
    const QString copy = Path(QStringLiteral("copy2.ini"));
    m_fix.Choices = {TKvFileChoice{copy, 2}};
    m_fix.Replies = {tmrNo};
    Trigger(form->ActSaveAs);
    QCOMPARE(m_fix.Dialogs, QStringList{QStringLiteral("save:") + m_sample});
    QVERIFY(QFile::exists(copy)); // the copy is written all the same
    QVERIFY(ReadFile(copy).startsWith("\xFF\xFE"));
    QCOMPARE(form->FileName(), m_sample);
    QCOMPARE(form->windowTitle(), title);
    QCOMPARE(form->EncodingIdx(), Detected);
    QVERIFY(form->Modified());
}

// Save As to a protected name offers the document's container (strong for a
// document that had none), writes the one chosen, and the document keeps it
// for the next Save, unless it stays on its old file.
void TestDocument::containerChoiceOfSaveAs_data()
{
    using F = TKvContainerFormat;
    QTest::addColumn<bool>("fromLegacy");
    QTest::addColumn<F>("chosen");
    QTest::addColumn<int>("reply");
    QTest::addColumn<F>("offered");
    QTest::addColumn<F>("nextSave");
    QTest::addRow("plain document, strong") << false << F::Strong << int(tmrYes) << F::Strong << F::Strong;
    QTest::addRow("plain document, compatible")
        << false << F::Legacy << int(tmrYes) << F::Strong << F::Legacy;
    QTest::addRow("legacy document, kept") << true << F::Legacy << int(tmrYes) << F::Legacy << F::Legacy;
    QTest::addRow("legacy document, upgraded") << true << F::Strong << int(tmrYes) << F::Legacy << F::Strong;
    QTest::addRow("legacy document, strong copy, name kept")
        << true << F::Strong << int(tmrNo) << F::Legacy << F::Legacy;
}

void TestDocument::containerChoiceOfSaveAs()
{
    QFETCH(bool, fromLegacy);
    QFETCH(TKvContainerFormat, chosen);
    QFETCH(int, reply);
    QFETCH(TKvContainerFormat, offered);
    QFETCH(TKvContainerFormat, nextSave);
    const QString password = QStringLiteral("pw123");
    QString original = m_sample;
    if (fromLegacy) {
        TKvMemIni ini;
        ini.AddSection(QStringLiteral("old"))->AddVal(u"k", u"v", u"");
        original = Path(QStringLiteral("old.IniCry"));
        SaveEncrypted(ini, original, password, TKvContainerFormat::Legacy);
        m_fix.Passwords = {password};
    }
    TForm1 *form = Show(original);
    QVERIFY(form);
    QCOMPARE(form->FileName(), original);
    QList<TKvContainerFormat> offers;
    const TKvFormatHook formatHook = SetFormatHook([&](TKvContainerFormat format) {
        offers << format;
        return chosen;
    });
    const QString copy = Path(QStringLiteral("copy.IniCry"));
    QFile::remove(copy);
    m_fix.Reset();
    m_fix.Choices = {TKvFileChoice{copy, 0}};
    m_fix.Passwords = {password};
    m_fix.Replies = {TKvModalResult(reply)};
    Trigger(form->ActSaveAs);
    SetFormatHook(formatHook);
    QCOMPARE(m_fix.Prompts, QStringList{QStringLiteral("warning")});
    QCOMPARE(offers, QList<TKvContainerFormat>{offered});
    QCOMPARE(ContainerFormatOf(ReadFile(copy)), chosen);
    TKvMemIni check;
    QCOMPARE(LoadEncrypted(check, copy, password), int(KvEncoding::Utf8));

    const QString saved = reply == tmrYes ? copy : original;
    QCOMPARE(form->FileName(), saved);
    Edit(*form);
    Trigger(form->ActSave);
    QVERIFY(!form->Modified());
    QCOMPARE(ContainerFormatOf(ReadFile(saved)), nextSave);
    TKvMemIni back;
    QCOMPARE(LoadEncrypted(back, saved, password), int(KvEncoding::Utf8));
    QVERIFY(back.GetText().contains(QStringLiteral("edited=yes")));
}

// The question before New, Open and Reload, with each answer.
void TestDocument::unsavedChangesQuestion_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("reply");
    QTest::addColumn<bool>("proceeds");
    QTest::addColumn<bool>("saved");
    for (const char *command : {"new", "open", "reload"}) {
        QTest::addRow("%s cancel", command) << command << int(tmrCancel) << false << false;
        QTest::addRow("%s no", command) << command << int(tmrNo) << true << false;
        QTest::addRow("%s yes", command) << command << int(tmrYes) << true << true;
    }
}

void TestDocument::unsavedChangesQuestion()
{
    QFETCH(QString, command);
    QFETCH(int, reply);
    QFETCH(bool, proceeds);
    QFETCH(bool, saved);
    TForm1 *form = Show(m_sample);
    QVERIFY(form);
    Edit(*form);
    m_fix.Replies = {TKvModalResult(reply)};
    const QString other = WriteFile(Path(QStringLiteral("other.ini")), Other);
    m_fix.Choices = {TKvFileChoice{other, 4}};
    Trigger(command == u"new" ? form->ActNewFile : command == u"open" ? form->ActOpenFile : form->ActReload);
    QCOMPARE(m_fix.Messages.value(0),
             QStringLiteral("Question|There is Unsaved Changes\r\nDoYou want to save ??"));
    QCOMPARE(ReadFile(m_sample).contains("edited=yes"), saved);
    QCOMPARE(form->Modified(), !proceeds);
    if (!proceeds) {
        QCOMPARE(form->Document().Sections[0]->Vals.Count(), 2);
        QVERIFY(m_fix.Dialogs.isEmpty());
    } else if (command == u"open") {
        QCOMPARE(form->FileName(), other);
    } else if (command == u"reload") {
        QCOMPARE(HasEdit(*form), saved);
    }
}

void TestDocument::yesThenCancelledSaveAsStopsOpen()
{
    TForm1 *form = Show();
    QVERIFY(form);
    Trigger(form->ActNewFile);
    Edit(*form);
    m_fix.Replies = {tmrYes};
    m_fix.Choices = {std::nullopt};
    Trigger(form->ActOpenFile);
    QCOMPARE(m_fix.Dialogs, QStringList{QStringLiteral("save:")}); // the open dialog never came
    QVERIFY(form->Modified());
    QCOMPARE(form->Document().Sections[0]->Vals.Count(), 2);
}

void TestDocument::droppedFiles_data()
{
    QTest::addColumn<bool>("modified");
    QTest::addColumn<bool>("remoteFirst");
    QTest::addRow("unmodified") << false << false;
    QTest::addRow("modified") << true << false;
    QTest::addRow("remote first") << false << true;
}

void TestDocument::droppedFiles()
{
    QFETCH(bool, modified);
    QFETCH(bool, remoteFirst);
    TForm1 *form = Show(m_sample);
    QVERIFY(form);
    if (modified)
        Edit(*form);
    m_fix.Replies = {tmrNo};
    const QString first = WriteFile(Path(QStringLiteral("first file.ini")), Other);
    const QString second = WriteFile(Path(QStringLiteral("second.ini")), Sample);
    QList<QUrl> urls = {QUrl::fromLocalFile(first), QUrl::fromLocalFile(second)};
    if (remoteFirst)
        urls.prepend(QUrl(QStringLiteral("https://example.org/x.ini")));
    QMimeData mime;
    mime.setUrls(urls);
    QDragEnterEvent enter(QPoint(20, 60), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(20, 60), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form, &drop);
    QTRY_COMPARE(form->FileName(), first);
    QCOMPARE(m_fix.Messages.size(), modified ? 1 : 0);
    QCOMPARE(form->Document().Sections[0]->Name, QStringLiteral("other"));
    QCOMPARE(form->EncodingIdx(), Detected); // dropped files detect their encoding
}

void TestDocument::closing_data()
{
    QTest::addColumn<bool>("named");
    QTest::addColumn<int>("reply");
    QTest::addColumn<bool>("closes");
    QTest::addRow("cancel") << true << int(tmrCancel) << false;
    QTest::addRow("no") << true << int(tmrNo) << true;
    QTest::addRow("yes saves") << true << int(tmrYes) << true;
    QTest::addRow("yes, save as cancelled") << false << int(tmrYes) << false;
}

void TestDocument::closing()
{
    QFETCH(bool, named);
    QFETCH(int, reply);
    QFETCH(bool, closes);
    TForm1 *form = Show(named ? m_sample : QString());
    QVERIFY(form);
    if (!named)
        Trigger(form->ActNewFile);
    Edit(*form);
    m_fix.Replies = {TKvModalResult(reply)};
    m_fix.Choices = {std::nullopt};
    QCOMPARE(form->close(), closes);
    QCOMPARE(m_fix.Messages.value(0),
             QStringLiteral("Exit Quillon|There is unsaved changes!\r\nDo You want to Save ?"));
    QCOMPARE(form->isVisible(), !closes);
    QCOMPARE(ReadFile(m_sample).contains("edited=yes"), reply == tmrYes && named);
    // The settings are written only when the window closes.
    QCOMPARE(QSettings(QStringLiteral("Velmora"), QStringLiteral("Quillon"))
                 .contains(QStringLiteral("FormSettings")),
             closes);
}

void TestDocument::readOnlyFileAndSaveAsElsewhere()
{
    const QString path = WriteFile(Path(QStringLiteral("locked.ini")), Sample);
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    TForm1 *form = Show(path);
    QVERIFY(form);
    QVERIFY(form->ReadOnly());
    QVERIFY(form->windowTitle().endsWith(QStringLiteral("] [ANSI] [Read Only]")));
    QVERIFY(!form->ActEditSection->isEnabled());
    QVERIFY(form->ActAddSection->isEnabled());

    // The document moves to a writable file: it is no longer read-only.
    const QString copy = Path(QStringLiteral("unlocked.ini"));
    m_fix.Choices = {TKvFileChoice{copy, 0}};
    m_fix.Replies = {tmrYes};
    Trigger(form->ActSaveAs);
    QVERIFY(!form->ReadOnly());
    QVERIFY(!form->windowTitle().contains(QStringLiteral("[Read Only]")));
    QVERIFY(form->ActEditSection->isEnabled());
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

void TestDocument::saveOntoReadOnlyTarget()
{
    TForm1 *form = Show(m_sample);
    QVERIFY(form);
    Edit(*form);
    QFile::setPermissions(m_sample, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    Trigger(form->ActSave);
    QFile::setPermissions(m_sample, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QCOMPARE(m_fix.Messages.size(), 1);
    QVERIFY2(m_fix.Messages[0].startsWith(QStringLiteral("File Error|") + m_sample),
             qPrintable(m_fix.Messages[0]));
    QVERIFY(form->Modified());
    QVERIFY(form->ActSave->isEnabled());
    QCOMPARE(ReadFile(m_sample), Sample);
    QCOMPARE(form->FileName(), m_sample);
    QCOMPARE(form->Document().Sections.Count(), 2);
}

void TestDocument::brokenEncryptedFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");
    TKvMemIni ini;
    ini.AddSection(QStringLiteral("s"))->AddVal(u"k", u"v", u"");
    const QString made = m_dir.filePath(QStringLiteral("made.IniCry"));
    SaveEncrypted(ini, made, QStringLiteral("right"));
    QTest::addRow("wrong password") << ReadFile(made)
                                    << QStringLiteral("File Error|Wrong password for:\r\n%1");
    QTest::addRow("too short") << QByteArray("Encrypted")
                               << QStringLiteral("File Error|%1\r\nIs not an Encrypted Quillon File");
}

void TestDocument::brokenEncryptedFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    TForm1 *form = Show(m_sample);
    QVERIFY(form);
    const QString path = WriteFile(Path(QStringLiteral("broken.IniCry")), bytes);
    m_fix.Passwords = {QStringLiteral("wrong")};
    form->RunCommand([&] { form->OpenFile(path, -1); });
    QCOMPARE(m_fix.Messages, QStringList{message.arg(path)});
    QCOMPARE(form->Document().Sections.Count(), 0);
    QVERIFY(form->FileName().isEmpty());
    QVERIFY(!form->Encrypted());
    QVERIFY(!form->Modified());
    QCOMPARE(form->windowTitle(), Caption(QString()));
    QVERIFY(!form->ActReload->isEnabled());
}

void TestDocument::encryptedReloadAfterOutsideChange()
{
    TKvMemIni ini;
    ini.AddSection(QStringLiteral("one"))->AddVal(u"k", u"v", u"");
    const QString path = Path(QStringLiteral("reload.IniCry"));
    SaveEncrypted(ini, path, QStringLiteral("pw"));
    TForm1 *form = Show();
    QVERIFY(form);
    m_fix.Passwords = {QStringLiteral("pw")};
    form->OpenFile(path, -1);
    QVERIFY(form->Encrypted());
    QCOMPARE(form->Document().Sections.Count(), 1);
    ini.AddSection(QStringLiteral("two"));
    SaveEncrypted(ini, path, QStringLiteral("pw"));
    form->DocumentFile()->Watcher().Watch(path); // no question in this test
    Trigger(form->ActReload);
    QVERIFY(m_fix.Messages.isEmpty());
    QCOMPARE(form->Document().Sections.Count(), 2);
    QVERIFY(form->Encrypted());
    QCOMPARE(m_fix.Prompts.size(), 1); // the reload uses the known password
    // A file read in the legacy container is saved in it again.
    Edit(*form);
    form->DocumentFile()->Watcher().Watch(path);
    Trigger(form->ActSave);
    TKvMemIni check;
    TKvContainerFormat format = TKvContainerFormat::Strong;
    QCOMPARE(LoadEncrypted(check, path, QStringLiteral("pw"), &format), int(KvEncoding::Utf8));
    QVERIFY(format == TKvContainerFormat::Legacy);
    const TKvIniSection &saved = *check.Sections[0];
    QVERIFY(std::any_of(saved.Vals.begin(), saved.Vals.end(),
                        [](const TKvIniVal *val) { return val->Name() == u"edited"; }));
}

// The real password dialog, answered as a user would.
void TestDocument::passwordDialogOfAnOpen()
{
    TKvMemIni ini;
    ini.AddSection(QStringLiteral("inside"));
    const QString path = Path(QStringLiteral("dialog.IniCry"));
    SaveEncrypted(ini, path, QStringLiteral("secret1"));
    TForm1 *form = Show();
    QVERIFY(form);
    const TKvPasswordHook hook = SetPasswordHook({});
    bool warningShown = true;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<TFormPassword *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        warningShown = dialog->LbWarning->isVisible();
        dialog->EdPassword->setText(QStringLiteral("secret1"));
        dialog->accept();
    });
    form->OpenFile(path, -1);
    SetPasswordHook(hook);
    QVERIFY(!warningShown);
    QVERIFY(form->Encrypted());
    QCOMPARE(form->Document().Sections[0]->Name, QStringLiteral("inside"));
}

void TestDocument::utf32FileLeavesNoDocument()
{
    TForm1 *form = Show(m_sample);
    QVERIFY(form);
    const QString path =
        WriteFile(Path(QStringLiteral("wide.ini")), QByteArray("\xFF\xFE\0\0[\0\0\0a\0\0\0]\0\0\0", 16));
    form->OpenFile(path, -1);
    QCOMPARE(m_fix.Messages, QStringList{QStringLiteral("plain|32bit File Types are not supported.")});
    QVERIFY(form->FileName().isEmpty());
    QCOMPARE(form->Document().Sections.Count(), 0);
    QCOMPARE(form->windowTitle(), Caption(QString()));
    QVERIFY(!form->ActSaveAs->isEnabled());
    QVERIFY(!form->ActReload->isEnabled());
}

void TestDocument::saveAsEncodingAndReopen()
{
    TForm1 *form = Show();
    QVERIFY(form);
    Trigger(form->ActNewFile);
    AddEntry(*form, u"key", u"välue");
    const QString path = Path(QStringLiteral("new.ini"));
    m_fix.Choices = {TKvFileChoice{path, TForm1::EncUtf16BE}};
    Trigger(form->ActSave); // no name yet: Save As, without the file-name question
    QVERIFY(m_fix.Messages.isEmpty());
    QCOMPARE(form->FileName(), path);
    QVERIFY(ReadFile(path).startsWith("\xFE\xFF"));
    QCOMPARE(form->windowTitle(), Caption(QStringLiteral("   [") + path + QStringLiteral("] [UTF-16BE]")));

    m_fix.Choices = {TKvFileChoice{path, TForm1::EncAuto}};
    Trigger(form->ActOpenFile);
    QCOMPARE(form->EncodingIdx(), int(TForm1::EncUtf16BE));
    QCOMPARE(form->Document().Sections[0]->Vals[1]->Value(), QStringLiteral("välue"));
}

void TestDocument::openedFilesBecomeRecent()
{
    TForm1 *form = Show(m_sample);
    QVERIFY(form);
    const QString other = WriteFile(Path(QStringLiteral("other.ini")), Other);
    form->OpenFile(other, TForm1::EncAnsi);
    QCOMPARE(form->MRUList->Count(), 2);
    QCOMPARE(form->MRUList->Strings[0], (TKvStringRC::Entry{other, TForm1::EncAnsi, {}}));
    QCOMPARE(form->MRUList->Strings[1], (TKvStringRC::Entry{m_sample, Detected, {}}));
}

// ---- Changes made by other programs ----

void TestDocument::outsideChangeOfUnmodifiedFile_data()
{
    QTest::addColumn<bool>("byRename");
    QTest::addColumn<int>("reply");
    QTest::addRow("in place, reload") << false << int(tmrYes);
    QTest::addRow("in place, keep") << false << int(tmrNo);
    QTest::addRow("renamed over, reload") << true << int(tmrYes);
}

void TestDocument::outsideChangeOfUnmodifiedFile()
{
    QFETCH(bool, byRename);
    QFETCH(int, reply);
    TForm1 *form = Show(m_sample);
    QVERIFY(form);
    m_fix.Replies = {TKvModalResult(reply)};
    const QByteArray changed = Sample + "[gamma]\r\n";
    if (byRename) {
        const QString temp = WriteFile(Path(QStringLiteral(".sample.tmp")), changed);
        QVERIFY(::rename(QFile::encodeName(temp).constData(), QFile::encodeName(m_sample).constData()) == 0);
    } else {
        WriteFile(m_sample, changed);
    }
    QTRY_COMPARE(m_fix.Messages.size(), 1);
    QCOMPARE(m_fix.Messages[0],
             QStringLiteral("File Changed|") + m_sample
                 + QStringLiteral("\r\nhas been changed by another program.\r\nReload it ?"));
    QCOMPARE(form->Document().Sections.Count(), reply == tmrYes ? 3 : 2);
    QTest::qWait(3 * TKvFileWatcher::SettleMs);
    QCOMPARE(m_fix.Messages.size(), 1); // asked once per change

    if (reply == tmrNo) {
        // The edit made afterwards would overwrite the other program's version: Save asks.
        Edit(*form);
        // Enter answers No: the other program's version is not lost by a key pressed in a hurry.
        m_fix.Replies.clear();
        Trigger(form->ActSave);
        QCOMPARE(m_fix.Messages.size(), 2);
        QVERIFY(m_fix.Messages[1].endsWith(QStringLiteral("since it was loaded.\r\nOverwrite it ?")));
        QCOMPARE(ReadFile(m_sample), changed);
        QVERIFY(form->Modified());
    }
}

void TestDocument::removedByAnotherProgram()
{
    TForm1 *form = Show(m_sample);
    QVERIFY(form);
    Edit(*form);
    QVERIFY(QFile::remove(m_sample));
    QTRY_COMPARE(m_fix.Messages.size(), 1);
    QCOMPARE(m_fix.Messages[0],
             QStringLiteral("File Changed|") + m_sample
                 + QStringLiteral("\r\nhas been removed by another program.\r\nThe document "
                                  "stays open; Save writes the file again."));
    QTest::qWait(3 * TKvFileWatcher::SettleMs);
    QCOMPARE(m_fix.Messages.size(), 1); // told once
    QCOMPARE(form->Document().Sections.Count(), 2);
    Trigger(form->ActSave);
    QVERIFY(ReadFile(m_sample).contains("edited=yes"));
}

// How the file is named on the command line or in a dialog, and the absolute
// path the window keeps (symbolic links stay as named).
void TestDocument::pathsBecomeAbsolute_data()
{
    QTest::addColumn<QString>("given");
    QTest::addColumn<QString>("kept");
    QTest::newRow("relative") << "sub/a.ini"
                              << "sub/a.ini";
    QTest::newRow("dot") << "./sub/a.ini"
                         << "sub/a.ini";
    QTest::newRow("dot dot") << "sub/../sub/a.ini"
                             << "sub/a.ini";
    QTest::newRow("symlinked folder") << "link/a.ini"
                                      << "link/a.ini";
}

void TestDocument::pathsBecomeAbsolute()
{
    QFETCH(QString, given);
    QFETCH(QString, kept);
    QDir(m_dir.path()).mkpath(QStringLiteral("sub"));
    WriteFile(Path(QStringLiteral("sub/a.ini")), Sample);
    QFile::link(Path(QStringLiteral("sub")), Path(QStringLiteral("link")));
    const QString before = QDir::currentPath();
    QDir::setCurrent(m_dir.path());
    TForm1 *form = Show();
    QVERIFY(form);
    form->OpenFile(given, -1);
    QDir::setCurrent(before);
    QCOMPARE(form->FileName(), Path(kept));
    QVERIFY(form->windowTitle().contains(u'[' + Path(kept) + u']'));
}

void TestDocument::outsideChangeWhileModified()
{
    TForm1 *form = Show(m_sample);
    QVERIFY(form);
    Edit(*form);
    // Cancel keeps the document as it is (merging and reloading: tst_comparewindow).
    m_fix.Replies = {tmrCancel};
    WriteFile(m_sample, Other + "[more]\r\n");
    QTRY_COMPARE(m_fix.Messages.size(), 1);
    QVERIFY(m_fix.Messages[0].startsWith(QStringLiteral("File Changed|") + m_sample));
    QVERIFY(m_fix.Messages[0].endsWith(QStringLiteral("Save will ask before it overwrites the file")));
    QCOMPARE(form->Document().Sections.Count(), 2); // the edits stay
    QVERIFY(HasEdit(*form));

    m_fix.Replies = {tmrYes};
    Trigger(form->ActSave);
    QCOMPARE(m_fix.Messages.size(), 2);
    QVERIFY(m_fix.Messages[1].startsWith(QStringLiteral("File Changed|")));
    QVERIFY(ReadFile(m_sample).contains("edited=yes"));
    QVERIFY(!form->Modified());
    QTest::qWait(3 * TKvFileWatcher::SettleMs);
    QCOMPARE(m_fix.Messages.size(), 2);
}

void TestDocument::ownSaveRaisesNoQuestion()
{
    TForm1 *form = Show(m_sample);
    QVERIFY(form);
    for (int i = 0; i < 3; ++i) {
        Edit(*form);
        Trigger(form->ActSave);
    }
    // Save As over the same file, keeping the name: still our own version.
    m_fix.Choices = {TKvFileChoice{m_sample, TForm1::EncUtf16LE}};
    m_fix.Replies = {tmrNo};
    Trigger(form->ActSaveAs);
    QTest::qWait(4 * TKvFileWatcher::SettleMs);
    QCOMPARE(m_fix.Messages.size(), 1);
    QVERIFY(m_fix.Messages[0].startsWith(QStringLiteral("FileName Question:|")));
    QVERIFY(!form->DocumentFile()->Watcher().ChangedOnDisk());
}

void TestDocument::renamedReplacementIsWatchedAgain()
{
    TForm1 *form = Show(m_sample);
    QVERIFY(form);
    m_fix.Replies = {tmrNo, tmrNo};
    for (int round = 1; round <= 2; ++round) {
        const QString temp = WriteFile(Path(QStringLiteral(".next.tmp")), Sample + QByteArray(round, ';'));
        QVERIFY(::rename(QFile::encodeName(temp).constData(), QFile::encodeName(m_sample).constData()) == 0);
        QTRY_COMPARE(m_fix.Messages.size(), round);
    }
}

QTEST_MAIN(TestDocument)
#include "tst_document.moc"
