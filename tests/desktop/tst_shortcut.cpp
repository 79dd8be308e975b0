// Launchers: their text, their names, the known folders and the dialog that
// writes them, all inside a home folder of the test's own.
#include "kvknownfolders.h"
#include "kvmsgbox.h"
#include "kvshelllink.h"
#include "shortcutfrm.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// The keys of a desktop entry's main group, string escapes undone.
QMap<QString, QString> ParseEntry(const QString &text)
{
    QMap<QString, QString> keys;
    const QStringList lines = text.split(u'\n');
    if (lines.value(0) != QStringLiteral("[Desktop Entry]"))
        return keys;
    for (const QString &line : lines.mid(1)) {
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0)
            continue;
        QString value;
        const QString raw = line.mid(eq + 1);
        for (qsizetype i = 0; i < raw.size(); ++i) {
            if (raw[i] == u'\\' && i + 1 < raw.size()) {
                const QChar next = raw[++i];
                value += next == u'n'   ? u'\n'
                         : next == u't' ? u'\t'
                         : next == u'r' ? u'\r'
                         : next == u's' ? u' '
                                        : next;
            } else {
                value += raw[i];
            }
        }
        keys.insert(line.left(eq), value);
    }
    return keys;
}

// The arguments of an Exec value (string escapes already undone), as a
// launcher hands them to the program.
QStringList SplitExec(const QString &exec)
{
    QStringList arguments;
    QString current;
    bool inQuotes = false;
    bool any = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec[i];
        if (c == u'%' && i + 1 < exec.size() && exec[i + 1] == u'%') {
            current += u'%';
            ++i;
            any = true;
        } else if (inQuotes && c == u'\\' && i + 1 < exec.size()) {
            current += exec[++i];
        } else if (c == u'"') {
            inQuotes = !inQuotes;
            any = true;
        } else if (c == u' ' && !inQuotes) {
            if (any)
                arguments << current;
            current.clear();
            any = false;
        } else {
            current += c;
            any = true;
        }
    }
    if (any)
        arguments << current;
    return arguments;
}

} // namespace

class TestShortcut : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void execArgument_data();
    void execArgument();
    void entryTextParsesBack_data();
    void entryTextParsesBack();
    void launchedArgumentArrivesWhole();
    void uniqueLinkName();
    void knownFolders();

    void nameFromDocumentPath_data();
    void nameFromDocumentPath();
    void createEnabling();
    void createTwiceNumbersTheName();
    void startMenuFolderCreatedOnceAndReused();
    void onePlaceFailing();
    void bothPlacesFailing();
    void menuFolderThatCannotBeMade();
    void browseForFileSplitsThePath();
    void browseForFolderCancelled();

private:
    // Points the user dirs at the given desktop and documents folders.
    void SetUserDirs(const QString &desktop, const QString &documents);

    QTemporaryDir m_home;
    QString m_desktop;
    QString m_documents;
    QString m_applications;
    QStringList m_messages;
};

void TestShortcut::initTestCase()
{
    QVERIFY(m_home.isValid());
    qputenv("HOME", QFile::encodeName(m_home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.filePath(QStringLiteral(".config"))));
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_home.filePath(QStringLiteral(".local/share"))));
    QDir(m_home.path()).mkpath(QStringLiteral(".config"));
    m_desktop = m_home.filePath(QStringLiteral("Desk top"));
    m_documents = m_home.filePath(QStringLiteral("Documents"));
    m_applications = m_home.filePath(QStringLiteral(".local/share/applications"));
    SetMsgBoxHook([this](const TKvMsgBoxRequest &request) {
        m_messages << request.caption + u'|' + request.text;
        return request.buttons.first();
    });
}

void TestShortcut::SetUserDirs(const QString &desktop, const QString &documents)
{
    WriteAll(m_home.filePath(QStringLiteral(".config/user-dirs.dirs")),
             "XDG_DESKTOP_DIR=\"" + QFile::encodeName(desktop) + "\"\nXDG_DOCUMENTS_DIR=\""
                 + QFile::encodeName(documents) + "\"\n");
}

void TestShortcut::init()
{
    m_messages.clear();
    for (const QString &folder : {m_desktop, m_documents, m_applications}) {
        QDir(folder).removeRecursively();
        QVERIFY(QDir().mkpath(folder));
    }
    SetUserDirs(m_desktop, m_documents);
}

void TestShortcut::cleanup()
{
    TFrmShortcut::SetSaveFileChooser({});
    TFrmShortcut::SetFolderChooser({});
}

void TestShortcut::execArgument_data()
{
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QString>("quoted");
    QTest::addRow("plain") << "/home/u/a.ini"
                           << "/home/u/a.ini";
    QTest::addRow("space") << "/home/u/my file.ini"
                           << "\"/home/u/my file.ini\"";
    QTest::addRow("double quote") << "a\"b"
                                  << "\"a\\\"b\"";
    QTest::addRow("single quote") << "it's"
                                  << "\"it's\"";
    QTest::addRow("backslash") << "a\\b"
                               << "\"a\\\\b\"";
    QTest::addRow("dollar and backtick") << "$x`y`"
                                         << "\"\\$x\\`y\\`\"";
    QTest::addRow("percent unquoted") << "100%.ini"
                                      << "100%%.ini";
    QTest::addRow("percent quoted") << "100 %.ini"
                                    << "\"100 %%.ini\"";
    QTest::addRow("shell characters") << "a;b&c|d"
                                      << "\"a;b&c|d\"";
    QTest::addRow("empty") << ""
                           << "\"\"";
    QTest::addRow("non-ASCII") << "/home/ü/ø.ini"
                               << "/home/ü/ø.ini";
}

void TestShortcut::execArgument()
{
    QFETCH(QString, argument);
    QFETCH(QString, quoted);
    QCOMPARE(DesktopExecArgument(argument), quoted);
}

void TestShortcut::entryTextParsesBack_data()
{
    QTest::addColumn<QString>("document");
    QTest::addColumn<QString>("name");
    QTest::addRow("plain") << "/home/u/a.ini"
                           << "a";
    QTest::addRow("space and quote") << "/home/u/my \"best\" file.ini"
                                     << "my \"best\" file";
    QTest::addRow("backslash, dollar, percent") << "/tmp/a\\b $HOME 100%.ini"
                                                << "a\\b";
    QTest::addRow("line break in name") << "/tmp/x.ini"
                                        << "two\nlines";
    QTest::addRow("leading space") << "/tmp/ x.ini"
                                   << " x";
}

void TestShortcut::entryTextParsesBack()
{
    QFETCH(QString, document);
    QFETCH(QString, name);
    TKvShellLink link;
    link.Target = QStringLiteral("/opt/Quillon 1/bin/quillon");
    link.Arguments = document;
    link.Name = name;
    link.Description = QStringLiteral("Shortcut to ") + name;
    link.IconPath = QStringLiteral("quillon");
    const QString text = DesktopEntryText(link);
    QCOMPARE(text.count(u'\n'), 8); // one line per key, nothing split by the name
    const QMap<QString, QString> keys = ParseEntry(text);
    QCOMPARE(keys.value(QStringLiteral("Type")), QStringLiteral("Application"));
    QCOMPARE(keys.value(QStringLiteral("Name")), name);
    QCOMPARE(keys.value(QStringLiteral("Comment")), QStringLiteral("Shortcut to ") + name);
    QCOMPARE(keys.value(QStringLiteral("Icon")), QStringLiteral("quillon"));
    QCOMPARE(keys.value(QStringLiteral("Terminal")), QStringLiteral("false"));
    QCOMPARE(SplitExec(keys.value(QStringLiteral("Exec"))), QStringList({link.Target, document}));

    link.Arguments.clear();
    QCOMPARE(SplitExec(ParseEntry(DesktopEntryText(link)).value(QStringLiteral("Exec"))),
             QStringList{link.Target});
}

// The launcher of the desktop itself (gio) hands the document path over whole.
void TestShortcut::launchedArgumentArrivesWhole()
{
    const QString gio = QStandardPaths::findExecutable(QStringLiteral("gio"));
    if (gio.isEmpty())
        QSKIP("gio is not installed");
    const QString recorder = m_home.filePath(QStringLiteral("rec ord.sh"));
    const QString record = m_home.filePath(QStringLiteral("argv.txt"));
    WriteAll(recorder, "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \""
                           + QFile::encodeName(record) + ".tmp\"\nmv \"" + QFile::encodeName(record)
                           + ".tmp\" \"" + QFile::encodeName(record) + "\"\n");
    QFile::setPermissions(recorder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString document = QStringLiteral("/tmp/it's a \"quoted\" $HOME\\dir 100%.ini");
    TKvShellLink link;
    link.Target = recorder;
    link.Arguments = document;
    link.Name = QStringLiteral("rec");
    const QString file = CreateShellLink(link, m_desktop + QStringLiteral("/rec.desktop"));
    QVERIFY(!file.isEmpty());
    QCOMPARE(QProcess::execute(gio, {QStringLiteral("launch"), file}), 0);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(record), 10000);
    QCOMPARE(QString::fromUtf8(ReadAll(record)), document + u'\n');
}

void TestShortcut::uniqueLinkName()
{
    const QString base = m_desktop + QStringLiteral("/name");
    QCOMPARE(UniqueLinkName(base, QStringLiteral(".desktop")), base + QStringLiteral(".desktop"));
    WriteAll(base + QStringLiteral(".desktop"), "x");
    QCOMPARE(UniqueLinkName(base, QStringLiteral(".desktop")), base + QStringLiteral("(1).desktop"));
    WriteAll(base + QStringLiteral("(1).desktop"), "x");
    QCOMPARE(UniqueLinkName(base, QStringLiteral(".desktop")), base + QStringLiteral("(2).desktop"));
    // A gap is filled first.
    WriteAll(base + QStringLiteral("(3).desktop"), "x");
    QCOMPARE(UniqueLinkName(base, QStringLiteral(".desktop")), base + QStringLiteral("(2).desktop"));
    // A dangling symbolic link still takes the name.
    QVERIFY(QFile::link(m_home.filePath(QStringLiteral("nowhere")), base + QStringLiteral("(2).desktop")));
    QCOMPARE(UniqueLinkName(base, QStringLiteral(".desktop")), base + QStringLiteral("(4).desktop"));
}

void TestShortcut::knownFolders()
{
    QCOMPARE(KnownFolderPath(TKvKnownFolder::Desktop), m_desktop + u'/');
    QCOMPARE(KnownFolderPath(TKvKnownFolder::Documents), m_documents + u'/');
    QCOMPARE(KnownFolderPath(TKvKnownFolder::StartMenu), m_applications + u'/');
    QCOMPARE(KnownFolderPath(TKvKnownFolder::QuickLaunch), m_applications + u'/');
}

void TestShortcut::nameFromDocumentPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("name");
    QTest::addRow("extension dropped") << "/home/u/my file.ini"
                                       << "my file";
    QTest::addRow("last full stop only") << "/home/u/a.b.ini"
                                         << "a.b";
    QTest::addRow("no extension") << "/home/u/config"
                                  << "config";
    QTest::addRow("dot in folder only") << "/home/u.x/config"
                                        << "config";
    QTest::addRow("empty path") << ""
                                << "";
}

void TestShortcut::nameFromDocumentPath()
{
    QFETCH(QString, path);
    QFETCH(QString, name);
    TFrmShortcut form(path);
    QCOMPARE(form.EdShortcutName->text(), name);
    QCOMPARE(form.DocumentPath(), path);
    QCOMPARE(form.windowTitle(), QStringLiteral("Create Shortcut"));
    for (QCheckBox *box : {form.CbxDocuments, form.CbxDesktop, form.CbxStartMenuQuillon, form.CbxQuickLaunch})
        QVERIFY(!box->isChecked());
    QVERIFY(!form.ButCreate->isEnabled());
}

void TestShortcut::createEnabling()
{
    TFrmShortcut form(QStringLiteral("/tmp/a.ini"));
    QVERIFY(!form.ButCreate->isEnabled());
    form.EdCustomShortcut->setText(m_home.filePath(QStringLiteral("missing")));
    QVERIFY(!form.ButCreate->isEnabled());
    form.EdCustomShortcut->setText(m_documents);
    QVERIFY(form.ButCreate->isEnabled());
    form.EdShortcutName->clear();
    QVERIFY(!form.ButCreate->isEnabled());
    form.EdShortcutName->setText(QStringLiteral("a"));
    form.EdCustomShortcut->clear();
    QVERIFY(!form.ButCreate->isEnabled());
    for (QCheckBox *box :
         {form.CbxDocuments, form.CbxDesktop, form.CbxStartMenuQuillon, form.CbxQuickLaunch}) {
        box->click();
        QVERIFY2(form.ButCreate->isEnabled(), qPrintable(box->objectName()));
        box->click();
        QVERIFY(!form.ButCreate->isEnabled());
    }
}

void TestShortcut::createTwiceNumbersTheName()
{
    const QString document = m_home.filePath(QStringLiteral("my settings.ini"));
    for (const QString &expected :
         {QStringLiteral("my settings.desktop"), QStringLiteral("my settings(1).desktop"),
          QStringLiteral("my settings(2).desktop")}) {
        TFrmShortcut form(document);
        form.CbxDesktop->click();
        form.ButCreateClick();
        QCOMPARE(form.result(), int(QDialog::Accepted));
        const QString file = m_desktop + u'/' + expected;
        QCOMPARE(form.CreatedFiles(), QStringList{file});
        QVERIFY(QFileInfo(file).isExecutable());
        QCOMPARE(QFile::permissions(file) & (QFile::WriteGroup | QFile::WriteOther), QFile::Permissions());
        const QMap<QString, QString> keys = ParseEntry(QString::fromUtf8(ReadAll(file)));
        QCOMPARE(keys.value(QStringLiteral("Name")), QStringLiteral("my settings"));
        QCOMPARE(keys.value(QStringLiteral("Comment")), QStringLiteral("Shortcut to my settings"));
        QCOMPARE(SplitExec(keys.value(QStringLiteral("Exec"))),
                 QStringList({QCoreApplication::applicationFilePath(), document}));
    }
    QVERIFY(m_messages.isEmpty());
}

void TestShortcut::startMenuFolderCreatedOnceAndReused()
{
    QDir(m_home.filePath(QStringLiteral(".local"))).removeRecursively(); // a fresh home has no menu folder
    const QString menu = m_applications + QStringLiteral("/Quillon");
    for (const QString &expected : {QStringLiteral("/a.desktop"), QStringLiteral("/a(1).desktop")}) {
        TFrmShortcut form(QStringLiteral("/tmp/a.ini"));
        form.CbxStartMenuQuillon->click();
        form.ButCreateClick();
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QCOMPARE(form.CreatedFiles(), QStringList{menu + expected});
    }
    // Quick launch goes to the menu folder itself.
    TFrmShortcut form(QStringLiteral("/tmp/a.ini"));
    form.CbxQuickLaunch->click();
    form.ButCreateClick();
    QCOMPARE(form.CreatedFiles(), QStringList{m_applications + QStringLiteral("/a.desktop")});
    QVERIFY(m_messages.isEmpty());
}

// A folder below a plain file cannot be written to, even by root.
void TestShortcut::onePlaceFailing()
{
    WriteAll(m_home.filePath(QStringLiteral("blocker")), "x");
    const QString broken = m_home.filePath(QStringLiteral("blocker/Desktop"));
    SetUserDirs(broken, m_documents);
    TFrmShortcut form(QStringLiteral("/tmp/a.ini"));
    form.CbxDesktop->click();
    form.CbxDocuments->click();
    form.ButCreateClick();
    QCOMPARE(m_messages, QStringList{QStringLiteral("File Error|Could Not Create this ShortcutFile\r\n\r\n")
                                     + broken + QStringLiteral("/a.desktop")});
    QCOMPARE(form.CreatedFiles(), QStringList{m_documents + QStringLiteral("/a.desktop")});
    QCOMPARE(form.result(), int(QDialog::Accepted));
}

void TestShortcut::bothPlacesFailing()
{
    WriteAll(m_home.filePath(QStringLiteral("blocker")), "x");
    const QString desktop = m_home.filePath(QStringLiteral("blocker/Desktop"));
    const QString documents = m_home.filePath(QStringLiteral("blocker/Documents"));
    SetUserDirs(desktop, documents);
    TFrmShortcut form(QStringLiteral("/tmp/a.ini"));
    form.CbxDesktop->click();
    form.CbxDocuments->click();
    form.ButCreateClick();
    QCOMPARE(m_messages,
             QStringList{QStringLiteral("File Error|Could Not Create these ShortcutFiles\r\n\r\n") + desktop
                         + QStringLiteral("/a.desktop\r\n") + documents + QStringLiteral("/a.desktop")});
    QVERIFY(form.CreatedFiles().isEmpty());
    QCOMPARE(form.result(), int(QDialog::Rejected));
}

void TestShortcut::menuFolderThatCannotBeMade()
{
    const QByteArray oldData = qgetenv("XDG_DATA_HOME");
    WriteAll(m_home.filePath(QStringLiteral("blocker")), "x");
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_home.filePath(QStringLiteral("blocker/share"))));
    TFrmShortcut form(QStringLiteral("/tmp/a.ini"));
    form.CbxStartMenuQuillon->click();
    form.ButCreateClick();
    qputenv("XDG_DATA_HOME", oldData);
    QCOMPARE(m_messages,
             QStringList{QStringLiteral("File Error|Could Not Create this ShortcutFile\r\n\r\n")
                         + m_home.filePath(QStringLiteral("blocker/share/applications/Quillon"))});
    QCOMPARE(form.result(), int(QDialog::Rejected));
}

void TestShortcut::browseForFileSplitsThePath()
{
    const QString folder = m_home.filePath(QStringLiteral("chosen place"));
    QVERIFY(QDir().mkpath(folder));
    QString preset;
    TFrmShortcut::SetSaveFileChooser([&](QWidget *, const QString &name) {
        preset = name;
        return folder + QStringLiteral("/Other Name.desktop");
    });
    TFrmShortcut form(QStringLiteral("/tmp/a.ini"));
    form.ButBrowseForFileClick();
    QCOMPARE(preset, QStringLiteral("a"));
    QCOMPARE(form.EdCustomShortcut->text(), folder + u'/');
    QCOMPARE(form.EdShortcutName->text(), QStringLiteral("Other Name"));
    QVERIFY(form.ButCreate->isEnabled()); // the custom folder is a place of its own
    form.CbxDesktop->click();
    form.ButCreateClick();
    QCOMPARE(form.CreatedFiles(), QStringList({m_desktop + QStringLiteral("/Other Name.desktop"),
                                               folder + QStringLiteral("/Other Name.desktop")}));
    QCOMPARE(form.result(), int(QDialog::Accepted));
}

void TestShortcut::browseForFolderCancelled()
{
    TFrmShortcut::SetFolderChooser([](QWidget *, const QString &) { return QString(); });
    TFrmShortcut form{QString()};
    form.EdCustomShortcut->setText(QStringLiteral("/tm"));
    form.EdCustomShortcut->setCursorPosition(0);
    form.ButBrowseFolderClick();
    QCOMPARE(form.EdCustomShortcut->text(), QStringLiteral("/tm"));
    QCOMPARE(form.EdCustomShortcut->cursorPosition(), 3);

    TFrmShortcut::SetFolderChooser([this](QWidget *, const QString &) { return m_documents; });
    form.ButBrowseFolderClick();
    QCOMPARE(form.EdCustomShortcut->text(), m_documents);
    QVERIFY(!form.ButCreate->isEnabled()); // no name yet
    form.EdShortcutName->setText(QStringLiteral("typed"));
    QVERIFY(form.ButCreate->isEnabled());
    form.ButCreateClick();
    const QString file = m_documents + QStringLiteral("/typed.desktop");
    QCOMPARE(form.CreatedFiles(), QStringList{file});
    // No document yet: the launcher starts the editor alone.
    QCOMPARE(SplitExec(ParseEntry(QString::fromUtf8(ReadAll(file))).value(QStringLiteral("Exec"))),
             QStringList{QCoreApplication::applicationFilePath()});
}

QTEST_MAIN(TestShortcut)
#include "tst_shortcut.moc"
