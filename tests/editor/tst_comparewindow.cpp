// The window's comparison commands through their keys: Compare with opens
// the other file beside the document and both lists show the marks, F7 and
// Shift+F7 walk the differences, the Take Other commands are one undo step
// each, Close Comparison and another document end it. And another program's
// change to the open file while the document has unsaved edits: merged,
// reloaded or kept, then saved.
#include "compare/comparelook.h"
#include "compare/comparesession.h"
#include "document/documentfile.h"
#include "document/filewatcher.h"
#include "editortesting.h"
#include "editsteps.h"
#include "formfixture.h"
#include "kvcontainer.h"
#include "kvgradilabel.h"
#include "settings/preferences.h"
#include "sectionmodel.h"
#include "valuemodel.h"

#include <QAction>
#include <QRegularExpression>
#include <QTest>
#include <QUndoStack>

namespace {

const QByteArray Mine = "[Database]\nhost=localhost\nport=5432\nuser=admin\n;note\ntimeout=30\n"
                        "[Cache]\nsize=64\n[Legacy]\nmode=old\n";
const QByteArray Other = "[Database]\nhost=db.example.org\nport=5432\npool=8\ntimeout=60\n"
                         "[Cache]\nsize=64\n[Logging]\nlevel=info\n";

using EditorTesting::Selection;
using EditorTesting::SelectionOf;
using EditorTesting::ValueRows;

// Whether the value list shows row as marked (a tint behind it).
bool ValueMarked(TForm1 &form, int row)
{
    return form.ValueModel()->index(row, TKvValueModel::NameColumn).data(Qt::BackgroundRole).isValid();
}
bool SectionMarked(TForm1 &form, int row)
{
    return form.SectionModel()->index(row, TKvSectionModel::NameColumn).data(Qt::BackgroundRole).isValid();
}

// The document's text, as the comparison of two documents sees it.
QString Text(TForm1 &form)
{
    return form.Document().GetText();
}

// A file's lines joined by "|", blank lines left out: plain, or the
// protected file opened with its password.
QString FileLines(const QString &path, bool encrypted)
{
    TKvMemIni ini;
    if (encrypted)
        LoadEncrypted(ini, path, QStringLiteral("pw"));
    else
        ini.LoadFromFile(path);
    return ini.GetText().split(QRegularExpression(QStringLiteral("[\r\n]+")), Qt::SkipEmptyParts).join(u'|');
}

void WriteIni(const QString &path, bool encrypted, const QByteArray &text)
{
    if (!encrypted) {
        WriteFile(path, text);
        return;
    }
    TKvMemIni ini;
    ini.Parse(QString::fromUtf8(text));
    SaveEncrypted(ini, path, QStringLiteral("pw"));
}

} // namespace

Q_DECLARE_METATYPE(TKvModalResult)
Q_DECLARE_METATYPE(std::optional<QString>)

class TestCompareWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void compareThroughTheKeys();
    void takeOtherSectionAndAll();
    void comparisonEnds_data();
    void comparisonEnds();
    void unreadableOtherFile();
    void protectedOtherFile_data();
    void protectedOtherFile();
    void otherFileTakesTheDocumentsCommentRule();
    void pictureOfTheWindow();
    void changedOnDiskWhileModified_data();
    void changedOnDiskWhileModified();

private:
    QString Path(const QString &name) const { return m_dir.filePath(name); }
    // The window on mine, compared with other through Ctrl+D and the open dialog.
    TForm1 *Compared();
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

    TFormFixture m_fix;
    QTemporaryDir m_config;
    QTemporaryDir m_dir;
    std::unique_ptr<TForm1> m_form;
    QString m_mine;
    QString m_other;
};

void TestCompareWindow::initTestCase()
{
    IsolateSettings(m_config);
    m_fix.Install();
}

void TestCompareWindow::init()
{
    m_fix.Reset();
    ClearSettings();
    m_mine = WriteFile(Path(QStringLiteral("mine.ini")), Mine);
    m_other = WriteFile(Path(QStringLiteral("other.ini")), Other);
}

void TestCompareWindow::cleanup()
{
    if (m_form)
        m_form->Doc().MarkSaved(); // no question about unsaved changes on closing
    m_form.reset();
}

// Keys go to the value list, as a person's would with the window active.
void TestCompareWindow::Key(int key, Qt::KeyboardModifiers modifiers)
{
    QTest::keyClick(m_form->LvValues, Qt::Key(key), modifiers);
}

TForm1 *TestCompareWindow::Compared()
{
    m_form = ShowForm(m_mine);
    if (!m_form)
        return nullptr;
    m_form->activateWindow();
    if (!QTest::qWaitForWindowActive(m_form.get()))
        return nullptr;
    m_fix.Choices = {TKvFileChoice{m_other, TForm1::EncAuto}};
    Key(Qt::Key_D, Qt::ControlModifier);
    return m_form->Comparison() ? m_form.get() : nullptr;
}

void TestCompareWindow::compareThroughTheKeys()
{
    m_form = ShowForm(m_mine);
    QVERIFY(m_form);
    for (QAction *action : {m_form->ActCloseCompare, m_form->ActNextDifference, m_form->ActPreviousDifference,
                            m_form->ActTakeOtherValue, m_form->ActTakeOtherSection, m_form->ActTakeAllOther})
        QVERIFY2(!action->isEnabled(), qPrintable(action->objectName()));
    QVERIFY(!ValueMarked(*m_form, 0));
    m_form.reset();

    TForm1 *form = Compared();
    QVERIFY(form);
    QCOMPARE(m_fix.Dialogs, QStringList{QStringLiteral("open")});
    QCOMPARE(form->Comparison()->OtherPath(), m_other);
    for (QAction *action : {form->ActCloseCompare, form->ActNextDifference, form->ActPreviousDifference,
                            form->ActTakeOtherValue, form->ActTakeOtherSection, form->ActTakeAllOther})
        QVERIFY2(action->isEnabled(), qPrintable(action->objectName()));
    // Both lists are marked: host changed, port alike; [Database] changed, [Cache] alike, [Legacy] only here.
    QVERIFY(ValueMarked(*form, 0));
    QVERIFY(!ValueMarked(*form, 1));
    QVERIFY(SectionMarked(*form, 0));
    QVERIFY(!SectionMarked(*form, 1));
    QVERIFY(SectionMarked(*form, 2));
    QCOMPARE(form->ValueModel()->index(0, TKvValueModel::ValueColumn).data(CompareLook::OtherToolTipRole),
             QVariant(QStringLiteral("Other file: db.example.org")));
    // The status bar's button counts the differences; its hint has the whole summary.
    QCOMPARE(form->GlCompare->Caption(), QStringLiteral("6 differences"));
    const QString hint = form->GlCompare->Hint();
    QVERIFY2(hint.contains(QStringLiteral("only in the other file: [Logging]")), qPrintable(hint));
    QVERIFY2(hint.contains(m_other), qPrintable(hint));

    // F7 from host: user (only here), timeout (changed), then [Legacy]; no further.
    QCOMPARE(SelectionOf(form), Selection(0, 0));
    QStringList visited;
    for (int i = 0; i < 4; ++i) {
        Key(Qt::Key_F7);
        visited << QStringLiteral("%1/%2").arg(SelectionOf(form).first).arg(SelectionOf(form).second);
    }
    QCOMPARE(visited.join(u' '), QStringLiteral("0/2 0/4 2/-1 2/-1"));
    Key(Qt::Key_F7, Qt::ShiftModifier);
    QCOMPARE(SelectionOf(form), Selection(0, 4));

    // Ctrl+T takes timeout=60; the row is alike then. One Ctrl+Z takes it back.
    const int steps = form->UndoStack()->count();
    Key(Qt::Key_T, Qt::ControlModifier);
    QCOMPARE(ValueRows(form),
             (QStringList{"host=localhost", "port=5432", "user=admin", ";note", "timeout=60"}));
    QCOMPARE(form->UndoStack()->count(), steps + 1);
    QVERIFY(form->Modified());
    QTRY_VERIFY(!ValueMarked(*form, 4));
    Key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(ValueRows(form),
             (QStringList{"host=localhost", "port=5432", "user=admin", ";note", "timeout=30"}));
    QVERIFY(!form->Modified());
    QCOMPARE(SelectionOf(form), Selection(0, 4));
    QTRY_VERIFY(ValueMarked(*form, 4));
    // An alike row has nothing to take: no step.
    EditorTesting::Select(form, 0, 1);
    Key(Qt::Key_T, Qt::ControlModifier);
    QCOMPARE(form->UndoStack()->count(), steps + 1);
    QCOMPARE(form->UndoStack()->index(), steps);

    // Ctrl+Shift+D: the usual lists again, the commands off.
    Key(Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(!form->Comparison());
    QVERIFY(!ValueMarked(*form, 0));
    QVERIFY(!SectionMarked(*form, 0));
    QVERIFY(!form->ActNextDifference->isEnabled());
    QVERIFY(!form->ActTakeOtherValue->isEnabled());
    QCOMPARE(form->GlCompare->Caption(), QStringLiteral("Compare"));
    QCOMPARE(form->GlCompare->Hint(), QStringLiteral(" Compare the Ini File with Another File "));
    QVERIFY(form->ActCompareWith->isEnabled());
}

void TestCompareWindow::takeOtherSectionAndAll()
{
    TForm1 *form = Compared();
    QVERIFY(form);
    const QString before = Text(*form);
    // Ctrl+Shift+T on [Database]: its items become the other file's.
    EditorTesting::Select(form, 0, 0);
    Key(Qt::Key_T, Qt::ControlModifier | Qt::ShiftModifier);
    EditorTesting::Select(form, 0, 0);
    QCOMPARE(ValueRows(form),
             (QStringList{"host=db.example.org", "port=5432", ";note", "timeout=60", "pool=8"}));
    QTRY_VERIFY(!SectionMarked(*form, 0));
    Key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(Text(*form), before);

    // Ctrl+Shift+F7: like the other file, as one step; the summary says so.
    const int steps = form->UndoStack()->index();
    Key(Qt::Key_F7, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(form->UndoStack()->index(), steps + 1);
    QCOMPARE(form->Comparison()->DifferenceCount(), 0);
    QTRY_COMPARE(form->GlCompare->Caption(), QStringLiteral("no differences"));
    Key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(Text(*form), before);
    QVERIFY(!form->Modified());
    QTRY_COMPARE(form->GlCompare->Caption(), QStringLiteral("6 differences"));
}

void TestCompareWindow::comparisonEnds_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("ends");
    QTest::addRow("Close Comparison") << QStringLiteral("close") << true;
    QTest::addRow("New") << QStringLiteral("new") << true;
    QTest::addRow("another file opened") << QStringLiteral("open") << true;
    QTest::addRow("a failed reload") << QStringLiteral("failed reload") << true;
    QTest::addRow("a reload of the same file") << QStringLiteral("reload") << false;
    QTest::addRow("a save") << QStringLiteral("save") << false;
}

void TestCompareWindow::comparisonEnds()
{
    QFETCH(QString, how);
    QFETCH(bool, ends);
    TForm1 *form = Compared();
    QVERIFY(form);
    if (how == u"close") {
        form->ActCloseCompare->trigger();
    } else if (how == u"new") {
        form->ActNewFile->trigger();
    } else if (how == u"open") {
        m_fix.Choices = {TKvFileChoice{m_other, TForm1::EncAuto}};
        form->ActOpenFile->trigger();
        QCOMPARE(form->FileName(), m_other);
    } else if (how == u"failed reload") {
        QVERIFY(QFile::remove(m_mine));
        form->ActReload->trigger();
        QVERIFY(!form->Doc().File().Open);
    } else if (how == u"reload") {
        WriteFile(m_mine, Other);
        form->ActReload->trigger();
        QCOMPARE(form->Document().Sections.Count(), 3);
    } else if (how == u"save") {
        form->ActTakeAllOther->trigger();
        form->ActSave->trigger();
        QVERIFY(!form->Modified());
    }
    QCOMPARE(form->Comparison() == nullptr, ends);
    QCOMPARE(form->ActNextDifference->isEnabled(), !ends);
    if (ends) {
        QCOMPARE(form->GlCompare->Caption(), QStringLiteral("Compare"));
        for (int row = 0; row < form->SectionModel()->rowCount(); ++row)
            QVERIFY(!SectionMarked(*form, row));
    } else {
        // The comparison follows the document read again: it is like the other file now.
        QCOMPARE(form->Comparison()->DifferenceCount(), 0);
    }
}

void TestCompareWindow::unreadableOtherFile()
{
    m_form = ShowForm(m_mine);
    QVERIFY(m_form);
    m_fix.Messages.clear();
    const QString missing = Path(QStringLiteral("missing.ini"));
    m_fix.Choices = {TKvFileChoice{missing, TForm1::EncAuto}};
    m_form->ActCompareWith->trigger();
    QCOMPARE(m_fix.Messages, QStringList{QStringLiteral("File Error|File Does not exist\r\n") + missing});
    QVERIFY(!m_form->Comparison());
    QVERIFY(!m_form->ActCloseCompare->isEnabled());
    // Cancelled: nothing happens.
    m_form->ActCompareWith->trigger();
    QVERIFY(!m_form->Comparison());
    QCOMPARE(m_fix.Messages.size(), 1);
}

// A protected other file asks its password as opening one does.
void TestCompareWindow::protectedOtherFile_data()
{
    QTest::addColumn<std::optional<QString>>("password");
    QTest::addColumn<QString>("message"); // empty: none
    QTest::addColumn<int>("differences"); // -1: no comparison

    QTest::addRow("right password") << std::optional<QString>(QStringLiteral("pw")) << QString() << 6;
    QTest::addRow("wrong password") << std::optional<QString>(QStringLiteral("nope"))
                                    << QStringLiteral("File Error|Wrong password for:\r\n") << -1;
    QTest::addRow("cancelled") << std::optional<QString>() << QString() << -1;
}

void TestCompareWindow::protectedOtherFile()
{
    QFETCH(std::optional<QString>, password);
    QFETCH(QString, message);
    QFETCH(int, differences);
    const QString other = Path(QStringLiteral("other.IniCry"));
    WriteIni(other, true, Other);
    m_form = ShowForm(m_mine);
    QVERIFY(m_form);
    m_fix.Messages.clear();
    m_fix.Choices = {TKvFileChoice{other, TForm1::EncAuto}};
    m_fix.Passwords = {password};
    m_form->ActCompareWith->trigger();
    QVERIFY(m_fix.Passwords.empty()); // the password was asked for
    QCOMPARE(m_fix.Messages, message.isEmpty() ? QStringList() : QStringList{message + other});
    QCOMPARE(m_form->Comparison() ? m_form->Comparison()->DifferenceCount() : -1, differences);
    // The document is untouched either way.
    QCOMPARE(m_form->FileName(), m_mine);
    QVERIFY(!m_form->Modified());
}

// With "#" lines read as comments, the other file is read so too: its "#"
// lines are no entries that differ.
void TestCompareWindow::otherFileTakesTheDocumentsCommentRule()
{
    const QString mine = WriteFile(Path(QStringLiteral("hash-mine.ini")), "[a]\n# port = 1\nk=v\n");
    const QString other = WriteFile(Path(QStringLiteral("hash-other.ini")), "[a]\nk=v\n# host = 2\n");
    m_form = ShowForm();
    QVERIFY(m_form);
    TKvPreferences preferences = CurrentPreferences();
    preferences.HashComments = true;
    ApplyPreferences(preferences);
    m_form->OpenFile(mine, TForm1::EncAuto);
    preferences.HashComments = false;
    ApplyPreferences(preferences);
    QVERIFY(m_form->CompareWith(other, TForm1::EncAuto));
    QCOMPARE(m_form->Comparison()->DifferenceCount(), 0);
}

// The window with a comparison open; with QUILLON_SHOTS set the picture is saved there.
void TestCompareWindow::pictureOfTheWindow()
{
    TForm1 *form = Compared();
    QVERIFY(form);
    Key(Qt::Key_F7);
    QVERIFY(form->GlCompare->isVisible());
    // Once the status bar has taken the summary's width: it fits its label,
    // and no piece of the bar (labels, end pieces) covers another.
    const QList<QWidget *> pieces = form->PnlBottom->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    const auto covered = [&]() -> QString {
        for (const QWidget *a : pieces) {
            for (const QWidget *b : pieces) {
                if (a != b && a->isVisible() && b->isVisible() && a->geometry().intersects(b->geometry()))
                    return a->objectName() + u'/' + a->metaObject()->className() + QStringLiteral(" covers ")
                           + b->objectName() + u'/' + b->metaObject()->className();
            }
        }
        return QString();
    };
    QTRY_COMPARE(covered(), QString());
    const TKvGradiLabel &summary = *form->GlCompare;
    QVERIFY(summary.width() > summary.fontMetrics().horizontalAdvance(summary.Caption()));
    const QImage picture = form->grab().toImage();
    if (const QByteArray dir = qgetenv("QUILLON_SHOTS"); !dir.isEmpty())
        picture.save(QDir(QString::fromLocal8Bit(dir)).filePath(QStringLiteral("compare-window.png")));
}

// Another program changes beta while the document has an unsaved change of
// alpha; the question's answer decides what the file holds after Ctrl+S.
void TestCompareWindow::changedOnDiskWhileModified_data()
{
    QTest::addColumn<bool>("encrypted");
    QTest::addColumn<TKvModalResult>("answer");
    QTest::addColumn<QString>("afterSave");
    QTest::addColumn<bool>("overwriteAsked");
    const QString both = QStringLiteral("[main]|alpha=2|beta=9");
    QTest::addRow("merge") << false << tmrYes << both << false;
    QTest::addRow("merge, protected file") << true << tmrYes << both << false;
    QTest::addRow("reload") << false << tmrNo << QStringLiteral("[main]|alpha=1|beta=9") << false;
    QTest::addRow("keep, then overwrite")
        << false << tmrCancel << QStringLiteral("[main]|alpha=2|beta=1") << true;
}

void TestCompareWindow::changedOnDiskWhileModified()
{
    QFETCH(bool, encrypted);
    QFETCH(TKvModalResult, answer);
    QFETCH(QString, afterSave);
    QFETCH(bool, overwriteAsked);
    const QString path = Path(encrypted ? QStringLiteral("merge.IniCry") : QStringLiteral("merge.ini"));
    WriteIni(path, encrypted, "[main]\r\nalpha=1\r\nbeta=1\r\n");
    m_fix.Passwords = {QStringLiteral("pw")};
    m_form = ShowForm(path);
    QVERIFY(m_form);
    TForm1 &form = *m_form;
    QCOMPARE(form.FileName(), path);
    m_fix.Messages.clear();

    // alpha=2, unsaved.
    TKvIniSection *main = form.Document().Sections[0];
    form.PushStep(new TKvReplaceValStep(form.Doc(), *form.Lists, QStringLiteral("Edit Item"), main, 0,
                                        new TKvIniVal(u"alpha", u"2", u"")));
    QVERIFY(form.Modified());
    const int steps = form.UndoStack()->count();

    m_fix.Replies = {answer};
    WriteIni(path, encrypted, "[main]\r\nalpha=1\r\nbeta=9\r\n");
    QTRY_COMPARE(m_fix.Messages.size(), 1);
    QVERIFY2(
        m_fix.Messages[0].startsWith(QStringLiteral("File Changed|") + path
                                     + QStringLiteral("\r\nhas been changed by another program while you "
                                                      "have unsaved changes.")),
        qPrintable(m_fix.Messages[0]));
    if (answer == tmrYes) {
        // Their change came in as one step: Undo takes back beta only.
        QCOMPARE(form.UndoStack()->count(), steps + 1);
        QCOMPARE(form.Document().Sections[0]->Vals[1]->Value(), QStringLiteral("9"));
        form.ActUndo->trigger();
        QCOMPARE(form.Document().Sections[0]->Vals[1]->Value(), QStringLiteral("1"));
        QCOMPARE(form.Document().Sections[0]->Vals[0]->Value(), QStringLiteral("2"));
        form.ActRedo->trigger();
    }

    m_fix.Replies = {tmrYes}; // overwrite, when asked
    if (form.ActSave->isEnabled())
        form.ActSave->trigger();
    QCOMPARE(m_fix.Messages.size(), overwriteAsked ? 2 : 1);
    if (overwriteAsked)
        QVERIFY(m_fix.Messages[1].endsWith(QStringLiteral("Overwrite it ?")));
    QVERIFY(!form.Modified());
    QCOMPARE(FileLines(path, encrypted), afterSave);
    // Our own save raises no question.
    QTest::qWait(3 * TKvFileWatcher::SettleMs);
    QCOMPARE(m_fix.Messages.size(), overwriteAsked ? 2 : 1);
}

QTEST_MAIN(TestCompareWindow)
#include "tst_comparewindow.moc"
