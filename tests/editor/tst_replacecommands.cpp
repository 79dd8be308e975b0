// Replace and Replace All on a document and a selection, without a window:
// what they change, what they refuse, the one undo step, and the dialog.
#include "dialogrun.h"
#include "documenttesting.h"
#include "formreplace.h"
#include "kvreplace.h"
#include "replacecommands.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTest>

using namespace DocumentTesting;

namespace {

// The five "where" flags from codes such as "SN,IV"; empty: all five.
TSearchStruct Options(const QString &where, bool wholeWords = false, bool caseSensitive = false)
{
    TSearchStruct options;
    if (!where.isEmpty()) {
        const QStringList codes = where.split(u',');
        options.SectionNames = codes.contains(u"SN");
        options.SectionComments = codes.contains(u"SC");
        options.ItemNames = codes.contains(u"IN");
        options.ItemValues = codes.contains(u"IV");
        options.ItemComments = codes.contains(u"IC");
    }
    options.WholeWords = wholeWords;
    options.CaseSensitive = caseSensitive;
    return options;
}

// Every line as the usual form writes it.
QString Text(const TKvMemIni &ini)
{
    return ini.GetText();
}

struct TFixture
{
    explicit TFixture(const QByteArray &text, const TSearchStruct &searchOptions = {}, bool keepLayout = false)
        : options(searchOptions)
        , commands(document, selection, nullptr, options)
    {
        document.Replace(Parsed(text, keepLayout));
    }
    TKvDocument document;
    TTestSelection selection;
    TSearchStruct options;
    TReplaceCommands commands;
    TMessageLog messages;
};

} // namespace

class TestReplaceCommands : public QObject
{
    Q_OBJECT

private slots:
    void replaceAll_data();
    void replaceAll();
    void replaceAllIsOneUndoStep();
    void replaceStepsThroughTheMatches();
    void replaceRefusedAtThePlaceChangesNothing();
    void replaceOnASectionsOwnText();
    void findNextWrapsAround();
    void dialogRunsTheCommands();
    void dialogInValuesOnlyView();
    void screenshot();
};

// ini: the document; find, with, where (codes, empty for all), whole words,
// case: the command; count: what Replace All returns (-1 refused);
// expected: the document afterwards (as read from this text); message: a part
// of the message shown.
void TestReplaceCommands::replaceAll_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QString>("find");
    QTest::addColumn<QString>("with");
    QTest::addColumn<QString>("where");
    QTest::addColumn<bool>("wholeWords");
    QTest::addColumn<bool>("caseSensitive");
    QTest::addColumn<int>("count");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<QString>("message");

    const QByteArray every = "[sec x] ;c x\nx=x ;x\n;note x\n";
    QTest::addRow("value") << QByteArray("[s]\na=hello world\n") << "world" << "there" << "" << false << false
                           << 1 << QByteArray("[s]\na=hello there\n") << "1 replaced in 1 text.";
    QTest::addRow("every field") << every << "x" << "y" << "" << false << false << 6
                                 << QByteArray("[sec y] ;c y\ny=y ;y\n;note y\n") << "6 replaced in 6 texts.";
    QTest::addRow("section names only") << every << "x" << "y" << "SN" << false << false << 1
                                        << QByteArray("[sec y] ;c x\nx=x ;x\n;note x\n") << "1 replaced";
    QTest::addRow("section comments only") << every << "x" << "y" << "SC" << false << false << 1
                                           << QByteArray("[sec x] ;c y\nx=x ;x\n;note x\n") << "1 replaced";
    QTest::addRow("item names only") << every << "x" << "y" << "IN" << false << false << 1
                                     << QByteArray("[sec x] ;c x\ny=x ;x\n;note x\n") << "1 replaced";
    QTest::addRow("item values only") << every << "x" << "y" << "IV" << false << false << 1
                                      << QByteArray("[sec x] ;c x\nx=y ;x\n;note x\n") << "1 replaced";
    QTest::addRow("item comments, comment lines too")
        << every << "x" << "y" << "IC" << false << false << 2 << QByteArray("[sec x] ;c x\nx=x ;y\n;note y\n")
        << "2 replaced in 2 texts.";
    QTest::addRow("several in one text") << QByteArray("[s]\na=ab ab ab\n") << "ab" << "c" << "" << false
                                         << false << 3 << QByteArray("[s]\na=c c c\n") << "3 replaced in 1 text.";
    QTest::addRow("whole words") << QByteArray("[s]\na=cat catalog cat.\n") << "cat" << "dog" << "" << true
                                 << false << 2 << QByteArray("[s]\na=dog catalog dog.\n") << "2 replaced";
    QTest::addRow("case ignored") << QByteArray("[s]\na=Cat cat\n") << "cat" << "dog" << "" << false << false
                                  << 2 << QByteArray("[s]\na=dog dog\n") << "2 replaced";
    QTest::addRow("case sensitive") << QByteArray("[s]\na=Cat cat\n") << "Cat" << "Dog" << "" << false << true
                                    << 1 << QByteArray("[s]\na=Dog cat\n") << "1 replaced";
    QTest::addRow("unparsable line") << QByteArray("[s]\nnot an item\n") << "not" << "no" << "" << false
                                     << false << 1 << QByteArray("[s]\nno an item\n") << "1 replaced";
    QTest::addRow("in every section") << QByteArray("[a]\nk=1\n[b]\nk=2\n[c]\nj=3\n") << "k" << "key" << ""
                                      << false << false << 2 << QByteArray("[a]\nkey=1\n[b]\nkey=2\n[c]\nj=3\n")
                                      << "2 replaced in 2 texts.";
    QTest::addRow("nothing matches") << QByteArray("[s]\na=b\n") << "zzz" << "y" << "" << false << false << 0
                                     << QByteArray("[s]\na=b\n") << "Nothing was replaced: no match found.";
    QTest::addRow("escaped semicolon") << QByteArray("[s]\na=x\n") << "x" << "1\\;2" << "" << false << false
                                       << 1 << QByteArray("[s]\na=1\\;2\n") << "1 replaced";

    // Refused whole: the field rule's hint, nothing changed.
    QTest::addRow("';' in a value") << QByteArray("[s]\na=x\nb=x\n") << "x" << "1;2" << "" << false << false
                                    << -1 << QByteArray("[s]\na=x\nb=x\n")
                                    << "[s] a, Item Value: ';' starts a comment";
    QTest::addRow("'=' in a name") << QByteArray("[s]\nkey=v\n") << "key" << "k=v" << "IN" << false << false
                                   << -1 << QByteArray("[s]\nkey=v\n") << "'=' ends the name";
    QTest::addRow("a line break") << QByteArray("[s]\na=one two\n") << " " << "\n" << "" << false << false
                                  << -1 << QByteArray("[s]\na=one two\n") << "A line break cannot be kept";
    QTest::addRow("']' in a section name") << QByteArray("[sec]\n") << "sec" << "a]b" << "" << false << false
                                           << -1 << QByteArray("[sec]\n") << "']' ends the section name";
    QTest::addRow("a name emptied") << QByteArray("[s]\nkey=v\n") << "key" << "" << "IN" << false << false
                                    << -1 << QByteArray("[s]\nkey=v\n") << "An item needs a name";
    QTest::addRow("'=' into an unparsable line") << QByteArray("[s]\nnot an item\n") << "not" << "x=" << ""
                                                 << false << false << -1 << QByteArray("[s]\nnot an item\n")
                                                 << "'=' makes the line an item";
    QTest::addRow("one refusal among many") << QByteArray("[s]\na=x\nb=x\nc=x ;x\n") << "x" << "y;" << ""
                                            << false << false << -1
                                            << QByteArray("[s]\na=x\nb=x\nc=x ;x\n") << "(and 2 more)";
}

void TestReplaceCommands::replaceAll()
{
    QFETCH(QByteArray, ini);
    QFETCH(QString, find);
    QFETCH(QString, with);
    QFETCH(QString, where);
    QFETCH(bool, wholeWords);
    QFETCH(bool, caseSensitive);
    QFETCH(int, count);
    QFETCH(QByteArray, expected);
    QFETCH(QString, message);

    TFixture f(ini, Options(where, wholeWords, caseSensitive));
    const QString before = Text(f.document.Ini());
    QCOMPARE(f.commands.ReplaceAll(find, with), qsizetype(count));
    QCOMPARE(Text(f.document.Ini()), Text(*Parsed(expected)));
    QVERIFY2(f.messages.Messages.size() == 1 && f.messages.Messages.first().contains(message),
             qPrintable(f.messages.Messages.join(u'\n')));
    QCOMPARE(f.document.UndoStack()->count(), count > 0 ? 1 : 0);
    QCOMPARE(f.document.Modified(), count > 0);
    // The counters follow (a replaced text never changes a line's kind here).
    QCOMPARE(f.document.Counts(), f.document.Ini().CountAll());

    // The same as the command line's replace makes of the same file.
    auto core = Parsed(ini);
    const TKvReplacePlan plan = PlanReplace(*core, find, f.options, with);
    QCOMPARE(ApplyReplace(*core, plan), count >= 0);
    QCOMPARE(Text(f.document.Ini()), Text(*core));

    if (count > 0) {
        f.document.UndoStack()->undo();
        QCOMPARE(Text(f.document.Ini()), before);
        QVERIFY(!f.document.Modified());
        f.document.UndoStack()->redo();
        QCOMPARE(Text(f.document.Ini()), Text(*Parsed(expected)));
    }
}

// Many places in several sections: one step; its undo gives back the bytes
// the file was read from, under keep-layout.
void TestReplaceCommands::replaceAllIsOneUndoStep()
{
    QByteArray file = "; top\r\n[main] ; the port\r\n  port = 80   ; old\r\nhost=port.example\r\n\r\n";
    for (int i = 0; i < 50; ++i)
        file += "[s" + QByteArray::number(i) + "]\r\nport=" + QByteArray::number(i) + "\r\nother = 1\r\n";
    TFixture f(file, Options({}), true);
    f.selection.Select(f.document, 1, 1);
    const QByteArray read = f.document.Ini().Encode(KvEncoding::Utf8);
    QCOMPARE(read, file);

    // The section's comment, a name, a value and 50 names.
    QCOMPARE(f.commands.ReplaceAll(QStringLiteral("port"), QStringLiteral("gate")), qsizetype(53));
    QCOMPARE(f.document.UndoStack()->count(), 1);
    QCOMPARE(f.document.UndoStack()->undoText(), QStringLiteral("Replace All"));
    const QByteArray replaced = f.document.Ini().Encode(KvEncoding::Utf8);
    // Unchanged lines are written as read; the command line would write the same.
    auto core = Parsed(file, true);
    QVERIFY(ApplyReplace(*core, PlanReplace(*core, u"port", f.options, u"gate")));
    QCOMPARE(replaced, core->Encode(KvEncoding::Utf8));
    QVERIFY(replaced.startsWith("; top\r\n[main] ; the gate\r\n"));
    QVERIFY(replaced.contains("\r\nother = 1\r\n"));
    // The selection stays on the row it was on.
    QCOMPARE(f.selection.Where(f.document), QStringLiteral("1/1"));

    f.document.UndoStack()->undo();
    QCOMPARE(f.document.Ini().Encode(KvEncoding::Utf8), file);
    QVERIFY(!f.document.Modified());
    QCOMPARE(f.selection.Where(f.document), QStringLiteral("1/1"));
    f.document.UndoStack()->redo();
    QCOMPARE(f.document.Ini().Encode(KvEncoding::Utf8), replaced);
}

// Replace with nothing selected finds the first match; then each Replace
// replaces the selected place and selects the next, one step each.
void TestReplaceCommands::replaceStepsThroughTheMatches()
{
    TFixture f("[a]\nk=x\nj=y\n[b]\nm=x x\n", Options({}));
    QCOMPARE(f.commands.Replace(QStringLiteral("x"), QStringLiteral("z")), qsizetype(0));
    QCOMPARE(f.selection.Where(f.document), QStringLiteral("0/0"));
    QCOMPARE(f.document.UndoStack()->count(), 0);

    QCOMPARE(f.commands.Replace(QStringLiteral("x"), QStringLiteral("z")), qsizetype(1));
    QCOMPARE(f.document.Ini().Sections[0]->Vals[0]->Value(), QStringLiteral("z"));
    QCOMPARE(f.selection.Where(f.document), QStringLiteral("1/0"));

    QCOMPARE(f.commands.Replace(QStringLiteral("x"), QStringLiteral("z")), qsizetype(2));
    QCOMPARE(f.document.Ini().Sections[1]->Vals[0]->Value(), QStringLiteral("z z"));
    QCOMPARE(f.document.UndoStack()->count(), 2);
    QCOMPARE(f.document.UndoStack()->undoText(), QStringLiteral("Replace"));
    // No match is left: told so, nothing selected.
    QCOMPARE(f.messages.TakeLast(), QStringLiteral("Quillon Search|No Mach Vere Found!"));
    QCOMPARE(f.selection.Where(f.document), QStringLiteral("-"));

    // Undo goes back one place at a time, to the place it changed.
    f.document.UndoStack()->undo();
    QCOMPARE(f.document.Ini().Sections[1]->Vals[0]->Value(), QStringLiteral("x x"));
    QCOMPARE(f.selection.Where(f.document), QStringLiteral("1/0"));
    QCOMPARE(f.document.Ini().Sections[0]->Vals[0]->Value(), QStringLiteral("z"));
}

void TestReplaceCommands::replaceRefusedAtThePlaceChangesNothing()
{
    TFixture f("[a]\nk=x\nj=x\n", Options({}));
    f.selection.Select(f.document, 0, 1);
    QCOMPARE(f.commands.Replace(QStringLiteral("x"), QStringLiteral("a;b")), qsizetype(-1));
    QCOMPARE(f.document.Ini().Sections[0]->Vals[1]->Value(), QStringLiteral("x"));
    QCOMPARE(f.document.UndoStack()->count(), 0);
    QCOMPARE(f.selection.Where(f.document), QStringLiteral("0/1"));
    const QString message = f.messages.TakeLast();
    QVERIFY2(message.startsWith(QStringLiteral("Quillon Replace|Nothing was replaced")), qPrintable(message));
    QVERIFY(message.contains(QStringLiteral("[a] j, Item Value: ';' starts a comment")));
}

// A section row selected without an entry: the section's own texts.
void TestReplaceCommands::replaceOnASectionsOwnText()
{
    TFixture f("[old] ; old one\nold=1\n", Options({}));
    f.selection.Select(f.document, 0);
    QCOMPARE(f.commands.Replace(QStringLiteral("old"), QStringLiteral("new")), qsizetype(2));
    QCOMPARE(f.document.Ini().Sections[0]->Name, QStringLiteral("new"));
    QVERIFY(f.document.Ini().Sections[0]->Comment.contains(QStringLiteral("new one")));
    QCOMPARE(f.document.Ini().Sections[0]->Vals[0]->Name(), QStringLiteral("old"));
    // The next match is the section's first entry.
    QCOMPARE(f.selection.Where(f.document), QStringLiteral("0/0"));
    f.document.UndoStack()->undo();
    QCOMPARE(f.document.Ini().Sections[0]->Name, QStringLiteral("old"));
    QCOMPARE(f.selection.Where(f.document), QStringLiteral("0/-1"));
}

void TestReplaceCommands::findNextWrapsAround()
{
    TFixture f("[a]\nk=x\n[x]\nj=y\nm=x\n", Options({}));
    QStringList seen;
    for (int i = 0; i < 5; ++i) {
        const bool found = f.commands.FindNext(QStringLiteral("x"));
        seen << (found ? f.selection.Where(f.document) : QStringLiteral("none"));
    }
    QCOMPARE(seen, QStringList({"0/0", "1/-1", "1/1", "none", "0/0"}));
    QCOMPARE(f.messages.Messages, QStringList{QStringLiteral("Quillon Search|No Mach Vere Found!")});
    // From a place the user selected.
    f.selection.Select(f.document, 1, 0);
    QVERIFY(f.commands.FindNext(QStringLiteral("x")));
    QCOMPARE(f.selection.Where(f.document), QStringLiteral("1/1"));
}

// The buttons run the commands with the dialog's texts and options, which
// are kept for the next search.
void TestReplaceCommands::dialogRunsTheCommands()
{
    TFixture f("[a]\nk=Cat\nj=cat ;cat\n", Options({}));
    AddToHistory(f.options, QStringLiteral("old text"));
    QStringList shown;
    const TKvDialogHook old = SetDialogHook([&](QDialog &dialog) {
        auto &form = static_cast<TFormReplace &>(dialog);
        shown << form.windowTitle() << form.FindText() << (form.ButFindNext->isDefault() ? "default" : "");
        form.CmbFindStr->setEditText(QStringLiteral("cat"));
        form.CmbReplaceStr->setEditText(QStringLiteral("dog"));
        form.CbxCaseSensitive->setChecked(true);
        form.CbxItemComments->setChecked(false);
        QTest::mouseClick(form.ButReplaceAll, Qt::LeftButton);
        shown << form.FindText() << form.ReplaceText();
        return int(QDialog::Rejected);
    });
    f.commands.ActReplaceExecute();
    SetDialogHook(old);
    QCOMPARE(shown, QStringList({"Replace", "old text", "default", "cat", "dog"}));
    QCOMPARE(f.messages.TakeLast(), QStringLiteral("Quillon Replace|1 replaced in 1 text."));
    QCOMPARE(f.document.Ini().Sections[0]->Vals[0]->Value(), QStringLiteral("Cat"));
    QCOMPARE(f.document.Ini().Sections[0]->Vals[1]->Value(), QStringLiteral("dog"));
    QCOMPARE(f.document.Ini().Sections[0]->Vals[1]->Comment(), QStringLiteral("cat"));
    QCOMPARE(f.options.FindStr[0], QStringLiteral("cat"));
    QCOMPARE(f.options.FindStr[1], QStringLiteral("old text"));
    QVERIFY(f.options.CaseSensitive);
    QVERIFY(!f.options.ItemComments);
    QCOMPARE(f.commands.ReplaceHistory(), QStringList{QStringLiteral("dog")});

    // Next time both fields show the last texts; Find Next then Replace.
    const TKvDialogHook old2 = SetDialogHook([&](QDialog &dialog) {
        auto &form = static_cast<TFormReplace &>(dialog);
        shown = {form.FindText(), form.ReplaceText()};
        form.CmbReplaceStr->setEditText(QStringLiteral("lion"));
        form.CmbFindStr->setEditText(QStringLiteral("Cat"));
        QTest::mouseClick(form.ButFindNext, Qt::LeftButton);
        QTest::mouseClick(form.ButReplace, Qt::LeftButton);
        return int(QDialog::Rejected);
    });
    f.commands.ActReplaceExecute();
    SetDialogHook(old2);
    QCOMPARE(shown, QStringList({"cat", "dog"}));
    QCOMPARE(f.document.Ini().Sections[0]->Vals[0]->Value(), QStringLiteral("lion"));
    QCOMPARE(f.commands.ReplaceHistory(), QStringList({"lion", "dog"}));
}

// As in Find: no comments are looked at in the values-only view, and their
// flags stay off.
void TestReplaceCommands::dialogInValuesOnlyView()
{
    TFixture f("[a]\nk=x ;x\n", Options({}));
    f.commands.SetValuesOnlyQuery([] { return true; });
    bool commentBoxesEnabled = true;
    const TKvDialogHook old = SetDialogHook([&](QDialog &dialog) {
        auto &form = static_cast<TFormReplace &>(dialog);
        commentBoxesEnabled = form.CbxItemComments->isEnabled() || form.CbxSectionComments->isEnabled();
        form.CmbFindStr->setEditText(QStringLiteral("x"));
        form.CmbReplaceStr->setEditText(QStringLiteral("y"));
        QTest::mouseClick(form.ButReplaceAll, Qt::LeftButton);
        return int(QDialog::Rejected);
    });
    f.commands.ActReplaceExecute();
    SetDialogHook(old);
    QVERIFY(!commentBoxesEnabled);
    QCOMPARE(f.document.Ini().Sections[0]->Vals[0]->Value(), QStringLiteral("y"));
    QCOMPARE(f.document.Ini().Sections[0]->Vals[0]->Comment(), QStringLiteral("x"));
    QVERIFY(!f.options.ItemComments && !f.options.SectionComments);
}

// With QUILLON_SHOTS set to a folder: the dialog as it looks, for a person to check.
void TestReplaceCommands::screenshot()
{
    const QString folder = qEnvironmentVariable("QUILLON_SHOTS");
    if (folder.isEmpty())
        QSKIP("QUILLON_SHOTS not set");
    TFormReplace dialog(nullptr);
    TSearchStruct options;
    AddToHistory(options, QStringLiteral("memory_limit"));
    dialog.LoadOptions(options, false);
    dialog.SetReplaceHistory({QStringLiteral("memory_cap")});
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QVERIFY(dialog.grab().save(folder + QStringLiteral("/replace-dialog.png")));
    TFormSearch find(nullptr);
    find.show();
    QVERIFY(QTest::qWaitForWindowExposed(&find));
    QVERIFY(find.grab().save(folder + QStringLiteral("/find-dialog.png")));
}

QTEST_MAIN(TestReplaceCommands)
#include "tst_replacecommands.moc"
