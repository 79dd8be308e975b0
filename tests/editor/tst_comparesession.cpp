// A comparison held open beside the document: its marks follow the edits,
// Next/Previous walk the differences in list order, taking the other
// versions is one undo step, and another program's changes merge into
// unsaved work.
#include "../core/loadbytes.h"
#include "compare/comparelook.h"
#include "compare/comparesession.h"
#include "compare/externalmerge.h"
#include "compare/mergeconflictsdialog.h"
#include "compare/takeotherstep.h"
#include "dialogrun.h"
#include "document/kvdocument.h"
#include "editortesting.h"
#include "editsteps.h"
#include "form1.h"
#include "kvmsgbox.h"
#include "lists/kvlistdelegate.h"
#include "sectionmodel.h"
#include "valuemodel.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHelpEvent>
#include <QImage>
#include <QItemSelectionModel>
#include <QPixmap>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocumentFragment>
#include <QToolTip>

namespace {

std::unique_ptr<TKvMemIni> Read(const QByteArray &bytes)
{
    auto ini = std::make_unique<TKvMemIni>();
    if (LoadBytes(*ini, bytes) < 0)
        qFatal("unreadable test text");
    return ini;
}

// The bytes a keep-layout save writes.
QByteArray Bytes(TKvMemIni &ini)
{
    ini.KeepLayout = true;
    return ini.Encode(ini.Encoding);
}

// The lists' selection as the window keeps it, without a window.
class TTestSelection final : public TKvSelection
{
public:
    TKvListSelection Now;
    TKvListSelection Current() const override { return Now; }
    void Restore(const TKvListSelection &selection) override { Now = selection; }
};

// Every section as "name=mark", its entries not Same as " index:mark", then
// " | lacks [name]" per section only the other file has; with the stops.
QString Describe(const TKvMemIni &ini, const TCompareMarks &marks)
{
    static const char *const names[] = {"same", "added", "removed", "changed"};
    QStringList sections;
    for (qint32 i = 0; i < ini.Sections.Count(); ++i) {
        QString text = ini.Sections[i]->Name + u'=' + QLatin1String(names[int(marks.SectionMark(i))]);
        for (qint32 j = 0; j < ini.Sections[i]->Vals.Count(); ++j) {
            if (marks.EntryMark(i, j) != TCompareMark::Same)
                text += QStringLiteral(" %1:%2").arg(j).arg(QLatin1String(names[int(marks.EntryMark(i, j))]));
        }
        sections << text;
    }
    for (const TKvIniSection *missing : marks.MissingSections())
        sections << QStringLiteral("lacks [%1]").arg(missing->Name);
    QStringList stops;
    for (const TComparePosition &stop : marks.Stops())
        stops << QStringLiteral("%1/%2").arg(stop.Section).arg(stop.Entry);
    return sections.join(QStringLiteral(" | ")) + QStringLiteral(" @ ") + stops.join(u' ');
}

// The tool tip a person gets when resting the mouse on a cell ("" for none),
// its lines joined by " / ".
QString ToolTipAt(QTableView &list, int row, int column)
{
    QToolTip::hideText(); // hides after a moment
    if (!QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 3000))
        return QStringLiteral("<the previous tool tip stays>");
    const QPoint at = list.visualRect(list.model()->index(row, column)).center();
    QHelpEvent event(QEvent::ToolTip, at, list.viewport()->mapToGlobal(at));
    QApplication::sendEvent(list.viewport(), &event);
    if (!QToolTip::isVisible())
        return QString();
    return QTextDocumentFragment::fromHtml(QToolTip::text())
        .toPlainText()
        .replace(u'\n', QStringLiteral(" / "));
}

// A document with a comparison open on it.
struct TCompared
{
    TKvDocument Document;
    TTestSelection Selection;
    std::unique_ptr<TCompareSession> Session;

    TCompared(const QByteArray &mine, const QByteArray &other, const TKvCompareOptions &options = {})
    {
        Document.Replace(Read(mine));
        Session = std::make_unique<TCompareSession>(Document, Read(other), QStringLiteral("/tmp/other.ini"),
                                                    options);
    }
    TKvIniSection *Section(qint32 i) { return Document.Ini().Sections[i]; }
    // The marks as a comparison made from scratch would show them.
    QString Fresh()
    {
        const std::vector<TKvDifference> differences =
            KvCompare::Diff(Document.Ini(), Session->Other(), Session->Options());
        return Describe(Document.Ini(), TCompareMarks(Document.Ini(), differences, TCompareSide::A));
    }
    QString Shown() { return Describe(Document.Ini(), Session->Marks()); }
};

enum class TEdit {
    ChangeValue,        // [s] k=1 becomes k=2, as the other file has it
    ChangeAlikeValue,   // [t] z=0 becomes z=5
    InsertEntry,        // n=1 put into [s] before k
    RemoveEntry,        // [s] r=1 taken out
    RenameSection,      // [gone] renamed [new]
    RenameKeepsPairing, // [t] gets a comment only
    AddSection,         // [new] added at the end
    RemoveSection,      // [gone] taken out
    SortEntries,        // [s] sorted by value, descending: duplicate keys pair anew
    ReplaceDocument,    // another document read in place
};

} // namespace

Q_DECLARE_METATYPE(TEdit)

class TestCompareSession : public QObject
{
    Q_OBJECT

private slots:
    void marksFollowEdits_data();
    void marksFollowEdits();
    void aStepOfManyChangesTellsOnce();
    void navigation_data();
    void navigation();
    void tooltips();
    void takeOther_data();
    void takeOther();
    void nothingToTake();
    void externalMerge_data();
    void externalMerge();
    void externalMergeCancelled();
    void mergeBaseReadsBack_data();
    void mergeBaseReadsBack();
    void theQuestionsThreeAnswers_data();
    void theQuestionsThreeAnswers();
    void listsShowMarks();
    void listsPicture();
    void inTheWindow();
};

// Mine: [s] k=1 r=1 x=a x=b, [gone] z=0, [t] z=0.
// Other: [s] k=2 n=1 x=b x=a, [t] z=0, [new] q=1.
const QByteArray Mine = "[s]\nk=1\nr=1\nx=a\nx=b\n[gone]\nz=0\n[t]\nz=0\n";
const QByteArray Other = "[s]\nk=2\nn=1\nx=b\nx=a\n[t]\nz=0\n[new]\nq=1\n";

void TestCompareSession::marksFollowEdits_data()
{
    QTest::addColumn<TEdit>("edit");
    QTest::addColumn<QString>("marks");
    QTest::addColumn<bool>("local"); // compared again for the one section only

    QTest::addRow("a value made like the other")
        << TEdit::ChangeValue
        << QStringLiteral("s=changed 1:removed 2:changed 3:changed | gone=removed 0:removed | t=same | "
                          "lacks [new] @ 0/-1 0/1 0/2 0/3 1/-1")
        << true;
    QTest::addRow("an alike value changed")
        << TEdit::ChangeAlikeValue
        << QStringLiteral("s=changed 0:changed 1:removed 2:changed 3:changed | gone=removed 0:removed | "
                          "t=changed 0:changed | lacks [new] @ 0/-1 0/0 0/1 0/2 0/3 1/-1 2/0")
        << true;
    QTest::addRow("an entry put in")
        << TEdit::InsertEntry
        << QStringLiteral("s=changed 1:changed 2:removed 3:changed 4:changed | gone=removed 0:removed | "
                          "t=same | lacks [new] @ 0/1 0/2 0/3 0/4 1/-1")
        << true;
    QTest::addRow("an entry taken out")
        << TEdit::RemoveEntry
        << QStringLiteral("s=changed 0:changed 1:changed 2:changed | gone=removed 0:removed | t=same | "
                          "lacks [new] @ 0/-1 0/0 0/1 0/2 1/-1")
        << true;
    QTest::addRow("a section renamed")
        << TEdit::RenameSection
        << QStringLiteral("s=changed 0:changed 1:removed 2:changed 3:changed | new=changed 0:removed | "
                          "t=same @ 0/-1 0/0 0/1 0/2 0/3 1/-1 1/0")
        << false;
    QTest::addRow("a section's comment")
        << TEdit::RenameKeepsPairing
        << QStringLiteral("s=changed 0:changed 1:removed 2:changed 3:changed | gone=removed 0:removed | "
                          "t=same | lacks [new] @ 0/-1 0/0 0/1 0/2 0/3 1/-1")
        << true;
    QTest::addRow("a section added")
        << TEdit::AddSection
        << QStringLiteral("s=changed 0:changed 1:removed 2:changed 3:changed | gone=removed 0:removed | "
                          "t=same | new=same @ 0/-1 0/0 0/1 0/2 0/3 1/-1")
        << false;
    QTest::addRow("a section taken out")
        << TEdit::RemoveSection
        << QStringLiteral("s=changed 0:changed 1:removed 2:changed 3:changed | t=same | lacks [new] @ "
                          "0/-1 0/0 0/1 0/2 0/3")
        << false;
    QTest::addRow("entries sorted")
        << TEdit::SortEntries
        << QStringLiteral("s=changed 2:removed 3:changed | gone=removed 0:removed | t=same | lacks [new] @ "
                          "0/-1 0/2 0/3 1/-1")
        << true;
    QTest::addRow("another document")
        << TEdit::ReplaceDocument << QStringLiteral("t=same | lacks [s] | lacks [new] @ ") << false;
}

// After each kind of change the marks equal those of a comparison made from
// scratch; a change inside one section compares only that section again.
void TestCompareSession::marksFollowEdits()
{
    QFETCH(TEdit, edit);
    QFETCH(QString, marks);
    QFETCH(bool, local);
    TCompared c(Mine, Other);
    QCOMPARE(c.Shown(),
             QStringLiteral(
                 "s=changed 0:changed 1:removed 2:changed 3:changed | gone=removed 0:removed | t=same | "
                 "lacks [new] @ 0/-1 0/0 0/1 0/2 0/3 1/-1"));
    const int wholeBefore = c.Session->WholeComparisons();
    TKvDocument &doc = c.Document;
    TTestSelection &sel = c.Selection;
    switch (edit) {
    case TEdit::ChangeValue:
    case TEdit::ChangeAlikeValue: {
        TKvIniSection *section = c.Section(edit == TEdit::ChangeValue ? 0 : 2);
        TKvIniVal *now = section->Vals[0]->Clone();
        now->SetValue(edit == TEdit::ChangeValue ? u"2" : u"5");
        doc.Push(new TKvReplaceValStep(doc, sel, {}, section, 0, now));
        break;
    }
    case TEdit::InsertEntry:
        doc.Push(new TKvValsStep(doc, sel, {}, c.Section(0), 0, {new TKvIniVal(u"n", u"1", u"")}));
        break;
    case TEdit::RemoveEntry:
        doc.Push(new TKvValsStep(doc, sel, {}, c.Section(0), 1, 1));
        break;
    case TEdit::RenameSection:
        doc.Push(new TKvSectionTextStep(doc, sel, {}, c.Section(1), QStringLiteral("new"), QString()));
        break;
    case TEdit::RenameKeepsPairing:
        doc.Push(
            new TKvSectionTextStep(doc, sel, {}, c.Section(2), QStringLiteral("t"), QStringLiteral("c")));
        break;
    case TEdit::AddSection: {
        auto *added = new TKvIniSection(QStringLiteral("new"));
        added->AddVal(u"q", u"1", u"");
        doc.Push(new TKvSectionsStep(doc, sel, {}, nullptr, -1, {added}));
        break;
    }
    case TEdit::RemoveSection:
        doc.Push(new TKvSectionsStep(doc, sel, {}, nullptr, 1, 1));
        break;
    case TEdit::SortEntries: {
        TKvIniSection *section = c.Section(0);
        doc.Push(new TKvOrderStep(doc, sel, {}, TKvOrderStep::OneSectionsEntries, section,
                                  [section](TKvMemIni &) { section->SortVals(skValue, false); }));
        break;
    }
    case TEdit::ReplaceDocument:
        doc.Replace(Read("[t]\nz=0\n"));
        break;
    }
    QCOMPARE(c.Shown(), c.Fresh());
    QCOMPARE(c.Shown(), marks);
    QCOMPARE(c.Session->WholeComparisons() == wholeBefore, local);

    // Undone, the marks are those of the start again.
    if (doc.UndoStack()->canUndo()) {
        doc.UndoStack()->undo();
        QCOMPARE(c.Shown(), c.Fresh());
    }
}

// Views repaint once a step of many changes has settled, not per change.
void TestCompareSession::aStepOfManyChangesTellsOnce()
{
    TCompared c(Mine, Other);
    QSignalSpy told(c.Session.get(), &TCompareSession::MarksChanged);
    TKvTakeOtherStep *step = c.Session->TakeAllOther(c.Selection);
    QVERIFY(step);
    c.Document.Push(step);
    QCOMPARE(told.count(), 0);
    QTRY_COMPARE(told.count(), 1);
    QVERIFY(c.Session->Marks().Equal());
}

void TestCompareSession::navigation_data()
{
    QTest::addColumn<QString>("from"); // "section/entry", entry -1: the section's row; "" none
    QTest::addColumn<QString>("nexts");
    QTest::addColumn<QString>("previouses");
    // Stops: 0/-1 (lacks n), 0/0, 0/1, 0/2, 0/3, 1/-1 ([gone] only here).
    QTest::addRow("nothing selected") << QString() << QStringLiteral("0/-1 0/0 0/1 0/2 0/3 1/-1")
                                      << QStringLiteral("1/-1 0/3 0/2 0/1 0/0 0/-1");
    QTest::addRow("from the first section's row")
        << QStringLiteral("0/-1") << QStringLiteral("0/0 0/1 0/2 0/3 1/-1") << QString();
    QTest::addRow("from an alike section at the end")
        << QStringLiteral("2/0") << QString() << QStringLiteral("1/-1 0/3 0/2 0/1 0/0 0/-1");
    QTest::addRow("from between two stops")
        << QStringLiteral("1/0") << QString() << QStringLiteral("1/-1 0/3 0/2 0/1 0/0 0/-1");
}

// Next and Previous walk every difference once, in list order, and stop at the ends.
void TestCompareSession::navigation()
{
    QFETCH(QString, from);
    QFETCH(QString, nexts);
    QFETCH(QString, previouses);
    TCompared c(Mine, Other);
    TKvListSelection start;
    start.SectionSort = {1, 1}; // kept through every move
    if (!from.isEmpty()) {
        const qint32 section = from.section(u'/', 0, 0).toInt();
        const qint32 entry = from.section(u'/', 1, 1).toInt();
        start.Section = c.Section(section);
        start.Position = entry;
        start.Val = entry >= 0 ? start.Section->Vals[entry] : nullptr;
    }
    const auto walk = [&](bool forward) {
        QStringList visited;
        std::optional<TKvListSelection> at = start;
        while ((at = forward ? c.Session->NextDifference(*at) : c.Session->PreviousDifference(*at))) {
            const qint32 section = c.Document.Ini().IndexOfSection(at->Section);
            // The entry is the one at the position, and the sort arrows stay.
            const bool consistent =
                (at->Val ? at->Section->Vals[at->Position] : nullptr) == at->Val && at->SectionSort[1] == 1;
            visited << QStringLiteral("%1/%2%3")
                           .arg(section)
                           .arg(at->Val ? at->Position : -1)
                           .arg(consistent ? QString() : QStringLiteral("(inconsistent)"));
            if (visited.size() > 20)
                break;
        }
        return visited.join(u' ');
    };
    QCOMPARE(walk(true), nexts);
    QCOMPARE(walk(false), previouses);
}

// The other file's value of a changed item, the items a section lacks, and
// "only in this file"; nothing for what is alike.
void TestCompareSession::tooltips()
{
    TKvCompareOptions options;
    options.WithComments = true;
    TCompared c("[s]\nk=1 ;mine\nr=1\n[t]\nz=0\n", "[s]\nk=2 ;theirs\nn=1\n[t]\nz=0\n", options);
    QCOMPARE(c.Session->EntryToolTip(0, 0), QStringLiteral("Other file: 2 ;theirs"));
    QCOMPARE(c.Session->EntryToolTip(0, 1), QStringLiteral("Only in this file"));
    QCOMPARE(c.Session->EntryToolTip(1, 0), QString());
    QCOMPARE(c.Session->SectionToolTip(0),
             QStringLiteral("Differs from the other file\nOnly in the other file: n=1"));
    QCOMPARE(c.Session->SectionToolTip(1), QString());
    QCOMPARE(c.Session->Summary(), QStringLiteral("Compared with other.ini: 3 differences"));

    // The other file's marks, as a view of it would show them; equal once everything is taken.
    QCOMPARE(c.Session->OtherMarks().EntryMark(0, 0), TCompareMark::Changed);
    QCOMPARE(c.Session->OtherMarks().EntryMark(0, 1), TCompareMark::Added);
    QCOMPARE(c.Session->OtherMarks().SectionMark(1), TCompareMark::Same);
    c.Document.Push(c.Session->TakeAllOther(c.Selection));
    QVERIFY(c.Session->OtherMarks().Equal());
    QCOMPARE(c.Session->OtherMarks().EntryMark(0, 1), TCompareMark::Same);
    QCOMPARE(c.Session->Summary(), QStringLiteral("Compared with other.ini: no differences"));
}

void TestCompareSession::takeOther_data()
{
    QTest::addColumn<QString>("what"); // entry, section, all
    QTest::addColumn<QString>("at");   // the selection: "section/entry"
    QTest::addColumn<QByteArray>("after");
    QTest::addRow("a changed value") << QStringLiteral("entry") << QStringLiteral("0/0")
                                     << QByteArray("[s]\nk=2\nr=1\nx=a\nx=b\n[gone]\nz=0\n[t]\nz=0\n");
    QTest::addRow("an item only here") << QStringLiteral("entry") << QStringLiteral("0/1")
                                       << QByteArray("[s]\nk=1\nx=a\nx=b\n[gone]\nz=0\n[t]\nz=0\n");
    QTest::addRow("a whole section") << QStringLiteral("section") << QStringLiteral("0/-1")
                                     << QByteArray("[s]\nk=2\nx=b\nx=a\nn=1\n[gone]\nz=0\n[t]\nz=0\n");
    QTest::addRow("a section only here") << QStringLiteral("section") << QStringLiteral("1/-1")
                                         << QByteArray("[s]\nk=1\nr=1\nx=a\nx=b\n[t]\nz=0\n");
    QTest::addRow("every difference") << QStringLiteral("all") << QStringLiteral("2/0")
                                      << QByteArray("[s]\nk=2\nx=b\nx=a\nn=1\n[t]\nz=0\n[new]\nq=1\n");
}

// Taking the other versions gives what KvCompare::Apply gives, as one undo
// step: undo brings back the bytes as read, redo the taken ones, and the
// marks follow each.
void TestCompareSession::takeOther()
{
    QFETCH(QString, what);
    QFETCH(QString, at);
    QFETCH(QByteArray, after);
    TCompared c(Mine, Other);
    const qint32 section = at.section(u'/', 0, 0).toInt();
    const qint32 entry = at.section(u'/', 1, 1).toInt();
    c.Selection.Now.Section = c.Section(section);
    c.Selection.Now.Position = entry;
    c.Selection.Now.Val = entry >= 0 ? c.Section(section)->Vals[entry] : nullptr;
    const QString marksBefore = c.Shown();

    // What the core makes of the same differences, on a copy.
    const std::unique_ptr<TKvMemIni> copy = Read(Mine);
    const std::unique_ptr<TKvMemIni> other = Read(Other);
    {
        const std::vector<TKvDifference> differences = KvCompare::Diff(*copy, *other);
        const TCompareMarks marks(*copy, differences, TCompareSide::A);
        std::vector<const TKvDifference *> taken;
        if (what == u"entry")
            taken = {marks.EntryDifference(section, entry)};
        else if (what == u"section")
            taken = marks.SectionDifferences(section);
        else
            for (const TKvDifference &difference : differences)
                taken.push_back(&difference);
        KvCompare::Apply(*copy, taken, {});
    }
    QCOMPARE(Bytes(*copy), after);

    TKvTakeOtherStep *step = what == u"entry"     ? c.Session->TakeOtherEntry(c.Selection)
                             : what == u"section" ? c.Session->TakeOtherSection(c.Selection)
                                                  : c.Session->TakeAllOther(c.Selection);
    QVERIFY(step);
    const int steps = c.Document.UndoStack()->count();
    c.Document.Push(step);
    QCOMPARE(c.Document.UndoStack()->count(), steps + 1);
    QCOMPARE(Bytes(c.Document.Ini()), after);
    QCOMPARE(c.Document.Counts(), c.Document.Ini().CountAll());
    QCOMPARE(c.Shown(), c.Fresh());
    if (what == u"all")
        QVERIFY(c.Session->Marks().Equal());

    c.Document.UndoStack()->undo();
    QCOMPARE(Bytes(c.Document.Ini()), Mine);
    QCOMPARE(c.Document.Counts(), c.Document.Ini().CountAll());
    QCOMPARE(c.Shown(), marksBefore);
    QCOMPARE(c.Selection.Now.Section, c.Section(section));

    c.Document.UndoStack()->redo();
    QCOMPARE(Bytes(c.Document.Ini()), after);
    QCOMPARE(c.Shown(), c.Fresh());
}

// Where nothing differs there is no step to push.
void TestCompareSession::nothingToTake()
{
    TCompared c(Mine, Other);
    c.Selection.Now.Section = c.Section(2);
    c.Selection.Now.Position = 0;
    c.Selection.Now.Val = c.Section(2)->Vals[0];
    QCOMPARE(c.Session->TakeOtherEntry(c.Selection), nullptr);
    QCOMPARE(c.Session->TakeOtherSection(c.Selection), nullptr);
    TCompared equal("[a]\nk=1\n", "[a]\nk=1\n");
    QCOMPARE(equal.Session->TakeAllOther(equal.Selection), nullptr);
}

void TestCompareSession::externalMerge_data()
{
    QTest::addColumn<QByteArray>("theirs");
    QTest::addColumn<bool>("pickTheirs"); // the choice in the conflicts dialog
    QTest::addColumn<int>("conflicts");
    QTest::addColumn<QByteArray>("after");
    // Base: [a] k=0 j=0; mine (unsaved) sets k=1.
    QTest::addRow("disjoint edits both land")
        << QByteArray("[a]\nk=0\nj=2\n[b]\nq=1\n") << false << 0 << QByteArray("[a]\nk=1\nj=2\n[b]\nq=1\n");
    QTest::addRow("theirs removes another item")
        << QByteArray("[a]\nk=0\n") << false << 0 << QByteArray("[a]\nk=1\n");
    QTest::addRow("the same change on both sides")
        << QByteArray("[a]\nk=1\nj=0\n") << false << 0 << QByteArray("[a]\nk=1\nj=0\n");
    QTest::addRow("a conflict, mine kept")
        << QByteArray("[a]\nk=3\nj=2\n") << false << 1 << QByteArray("[a]\nk=1\nj=2\n");
    QTest::addRow("a conflict, theirs picked")
        << QByteArray("[a]\nk=3\nj=2\n") << true << 1 << QByteArray("[a]\nk=3\nj=2\n");
}

// Another program's version merges into the unsaved document as one undo
// step; a conflict goes to the dialog, whose choice decides it.
void TestCompareSession::externalMerge()
{
    QFETCH(QByteArray, theirs);
    QFETCH(bool, pickTheirs);
    QFETCH(int, conflicts);
    QFETCH(QByteArray, after);
    TKvDocument doc;
    doc.Replace(Read("[a]\nk=0\nj=0\n"));
    TKvMergeBase base;
    base.Remember(doc.Ini()); // as loaded
    TTestSelection selection;
    TKvIniVal *mine = doc.Ini().Sections[0]->Vals[0]->Clone();
    mine->SetValue(u"1");
    doc.Push(new TKvReplaceValStep(doc, selection, {}, doc.Ini().Sections[0], 0, mine));
    const QByteArray mineBytes = Bytes(doc.Ini());

    int asked = 0;
    const TKvDialogHook previous = SetDialogHook([&](QDialog &dialog) {
        auto *conflictsDialog = qobject_cast<TMergeConflictsDialog *>(&dialog);
        if (!conflictsDialog)
            return int(QDialog::Rejected);
        ++asked;
        // Mine by default.
        for (const bool taken : conflictsDialog->TakeTheirs())
            if (taken)
                return int(QDialog::Rejected);
        conflictsDialog->SetTakeTheirs(0, pickTheirs);
        return int(QDialog::Accepted);
    });
    const std::unique_ptr<TKvMemIni> disk = Read(theirs);
    const TExternalMergeResult result = MergeExternalChanges(doc, selection, *base.Parsed(), *disk, nullptr);
    SetDialogHook(previous);
    QCOMPARE(asked, conflicts > 0 ? 1 : 0);
    QCOMPARE(Bytes(doc.Ini()), after);
    QVERIFY(doc.Modified());
    if (after == mineBytes) {
        QCOMPARE(result, TExternalMergeResult::NothingNew);
        QCOMPARE(doc.UndoStack()->count(), 1);
        return;
    }
    QCOMPARE(result, TExternalMergeResult::Merged);
    QCOMPARE(doc.UndoStack()->count(), 2);
    doc.UndoStack()->undo();
    QCOMPARE(Bytes(doc.Ini()), mineBytes);
    doc.UndoStack()->redo();
    QCOMPARE(Bytes(doc.Ini()), after);
}

// Cancel in the conflicts dialog leaves the document as it was.
void TestCompareSession::externalMergeCancelled()
{
    TKvDocument doc;
    doc.Replace(Read("[a]\nk=0\nj=0\n"));
    TKvMergeBase base;
    base.Remember(doc.Ini());
    TTestSelection selection;
    TKvIniVal *mine = doc.Ini().Sections[0]->Vals[0]->Clone();
    mine->SetValue(u"1");
    doc.Push(new TKvReplaceValStep(doc, selection, {}, doc.Ini().Sections[0], 0, mine));
    const TKvDialogHook previous = SetDialogHook([](QDialog &) { return int(QDialog::Rejected); });
    const std::unique_ptr<TKvMemIni> disk = Read("[a]\nk=3\nj=2\n");
    QCOMPARE(MergeExternalChanges(doc, selection, *base.Parsed(), *disk, nullptr),
             TExternalMergeResult::Cancelled);
    SetDialogHook(previous);
    QCOMPARE(Bytes(doc.Ini()), QByteArray("[a]\nk=1\nj=0\n"));
    QCOMPARE(doc.UndoStack()->count(), 1);
}

void TestCompareSession::mergeBaseReadsBack_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("fromFile");
    QTest::addColumn<bool>("asRead");
    const QByteArray mixed = "top=1\n[a] ;c\nk = v ;note\n;comment\n\nbad line\n[a]\nk=2\n";
    // CR LF, blanks the reader trims and a NUL that stops the parser near the end.
    const QByteArray edges = "[s]\r\nk = v \r\n\r\n[t] ; x\r\n;c\r\nz=1\r\n\0q  \t";
    // Over the 1 MiB from which a file is read in pieces.
    QByteArray big = "[big]\n";
    for (int i = 0; i < 60'000; ++i)
        big += "key" + QByteArray::number(i) + " = value " + QByteArray::number(i) + (i % 7 ? "\n" : " ;n\n\n");
    for (const bool asRead : {false, true}) {
        const char *how = asRead ? "as read" : "as saved";
        QTest::addRow("mixed lines, %s", how) << mixed << false << asRead;
        QTest::addRow("line ends, trimmed end and NUL, %s", how) << edges << false << asRead;
        QTest::addRow("a file read in pieces, %s", how) << big << true << asRead;
        QTest::addRow("a small file with a NUL, %s", how) << edges << true << asRead;
        QTest::addRow("a file with # comments, %s", how) << QByteArray("[a]\n#c\nk=1\n# d = e\n") << true
                                                          << asRead;
    }
}

// The kept base reads back as the document it was taken from: a merge
// against it finds nothing that either side changed. Kept as read, it is the
// text the document was parsed from, not a copy.
void TestCompareSession::mergeBaseReadsBack()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, fromFile);
    QFETCH(bool, asRead);
    std::unique_ptr<TKvMemIni> ini;
    if (fromFile) {
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("base.ini")));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
        file.close();
        ini = std::make_unique<TKvMemIni>();
        ini->HashComments = text.contains('#');
        QVERIFY(ini->LoadFromFile(file.fileName()) >= 0);
    } else {
        ini = Read(text);
    }
    TKvMergeBase base;
    QVERIFY(!base.Known());
    if (asRead)
        base.RememberRead(*ini);
    else
        base.Remember(*ini);
    QVERIFY(base.Known());
    TKvCompareOptions options;
    options.WithComments = true;
    const std::unique_ptr<TKvMemIni> parsed = base.Parsed();
    QVERIFY(KvCompare::Diff(*parsed, *ini, options).empty());
    QCOMPARE(parsed->GetText(), ini->GetText());
    base.Forget();
    QVERIFY(!base.Known());
}

Q_DECLARE_METATYPE(TKvModalResult)
Q_DECLARE_METATYPE(TExternalChangeAnswer)

void TestCompareSession::theQuestionsThreeAnswers_data()
{
    QTest::addColumn<TKvModalResult>("button");
    QTest::addColumn<TExternalChangeAnswer>("answer");
    QTest::addRow("yes merges") << tmrYes << TExternalChangeAnswer::Merge;
    QTest::addRow("no reloads") << tmrNo << TExternalChangeAnswer::Reload;
    QTest::addRow("cancel keeps") << tmrCancel << TExternalChangeAnswer::Keep;
}

// The question about another program's change names the file and offers
// merge (the default), reload and keep.
void TestCompareSession::theQuestionsThreeAnswers()
{
    QFETCH(TKvModalResult, button);
    QFETCH(TExternalChangeAnswer, answer);
    TKvMsgBoxRequest asked;
    const TKvMsgBoxHook previous = SetMsgBoxHook([&](const TKvMsgBoxRequest &request) {
        asked = request;
        return button;
    });
    const TExternalChangeAnswer given = AskAboutExternalChange(QStringLiteral("/etc/app.ini"), nullptr);
    SetMsgBoxHook(previous);
    QCOMPARE(given, answer);
    QCOMPARE(asked.caption, QStringLiteral("File Changed"));
    QVERIFY(asked.text.startsWith(QStringLiteral("/etc/app.ini\r\n")));
    QCOMPARE(asked.buttons, (QList<TKvModalResult>{tmrYes, tmrNo, tmrCancel}));
    QVERIFY(asked.defaultButton == tmrNone || asked.defaultButton == tmrYes);
}

// The models carry the marks while a comparison is shown, follow its
// changes, and look as usual without one.
void TestCompareSession::listsShowMarks()
{
    TCompared c(Mine, Other);
    TKvSectionModel sections(c.Document);
    sections.Fill(false);
    TKvValueModel values(c.Document);
    values.Fill(c.Section(0), false);
    QAbstractItemModelTester sectionsTester(&sections);
    QAbstractItemModelTester valuesTester(&values);
    const auto role = [](const QAbstractItemModel &model, int row, int column, int which) {
        return model.index(row, column).data(which);
    };
    const auto unmarked = [&] {
        for (const QAbstractItemModel *model :
             {static_cast<QAbstractItemModel *>(&sections), static_cast<QAbstractItemModel *>(&values)}) {
            for (int row = 0; row < model->rowCount(); ++row) {
                for (int column = 0; column < model->columnCount(); ++column) {
                    for (int r : {int(Qt::BackgroundRole), int(CompareLook::StripRole),
                                  int(CompareLook::OtherToolTipRole), int(Qt::AccessibleDescriptionRole)})
                        if (role(*model, row, column, r).isValid())
                            return false;
                }
            }
        }
        return true;
    };
    QVERIFY(unmarked());

    QSignalSpy sectionsRepainted(&sections, &QAbstractItemModel::dataChanged);
    sections.SetComparison(c.Session.get());
    values.SetComparison(c.Session.get());
    QCOMPARE(sectionsRepainted.count(), 1);
    const int name = TKvSectionModel::NameColumn;
    QCOMPARE(role(sections, 0, name, Qt::BackgroundRole).value<QColor>(),
             CompareLook::Tint(TCompareMark::Changed));
    QCOMPARE(role(sections, 1, name, Qt::BackgroundRole).value<QColor>(),
             CompareLook::Tint(TCompareMark::Removed));
    QVERIFY(!role(sections, 2, name, Qt::BackgroundRole).isValid());
    QCOMPARE(role(sections, 1, TKvSectionModel::IconColumn, CompareLook::StripRole).value<QColor>(),
             CompareLook::Strip(TCompareMark::Removed));
    QVERIFY(!role(sections, 1, name, CompareLook::StripRole).isValid());
    QCOMPARE(role(sections, 0, TKvSectionModel::CommentColumn, CompareLook::OtherToolTipRole).toString(),
             QStringLiteral("Differs from the other file\nOnly in the other file: n=1"));
    QCOMPARE(role(sections, 1, name, Qt::AccessibleDescriptionRole).toString(),
             QStringLiteral("only in this file"));
    // The usual cells stay as they are.
    QCOMPARE(role(sections, 0, name, Qt::DisplayRole).toString(), QStringLiteral("s"));

    const int value = TKvValueModel::ValueColumn;
    QCOMPARE(role(values, 0, value, Qt::BackgroundRole).value<QColor>(),
             CompareLook::Tint(TCompareMark::Changed));
    QCOMPARE(role(values, 0, value, CompareLook::OtherToolTipRole).toString(),
             QStringLiteral("Other file: 2"));
    QCOMPARE(role(values, 1, value, Qt::BackgroundRole).value<QColor>(),
             CompareLook::Tint(TCompareMark::Removed));
    QCOMPARE(role(values, 0, value, Qt::DisplayRole).toString(), QStringLiteral("1"));

    // Taking the other value: once settled, the row is alike and the lists repaint.
    c.Selection.Now.Section = c.Section(0);
    c.Selection.Now.Position = 0;
    c.Selection.Now.Val = c.Section(0)->Vals[0];
    QSignalSpy valuesRepainted(&values, &QAbstractItemModel::dataChanged);
    c.Document.Push(c.Session->TakeOtherEntry(c.Selection));
    QTRY_VERIFY(valuesRepainted.count() >= 2); // the replaced row, then every row
    QVERIFY(!role(values, 0, value, Qt::BackgroundRole).isValid());
    QCOMPARE(role(values, 0, value, Qt::DisplayRole).toString(), QStringLiteral("2"));

    // Closing the comparison: the usual look.
    sections.SetComparison(nullptr);
    values.SetComparison(nullptr);
    QVERIFY(unmarked());

    // A comparison that goes away leaves the usual look too, and says so.
    sections.SetComparison(c.Session.get());
    QVERIFY(!unmarked());
    sectionsRepainted.clear();
    c.Session.reset();
    QCOMPARE(sectionsRepainted.count(), 1);
    QVERIFY(unmarked());
}

// The two lists side by side with marks, one row selected: the tints and
// strips are drawn. With QUILLON_SHOTS set the picture is saved there.
void TestCompareSession::listsPicture()
{
    TCompared c("[Database]\nhost=localhost\nport=5432\nuser=admin\n;note\ntimeout=30\n"
                "[Cache]\nsize=64\n[Legacy]\nmode=old\n[Paths]\nroot=/srv\n",
                "[Database]\nhost=db.example.org\nport=5432\npool=8\ntimeout=60\n"
                "[Cache]\nsize=64\n[Paths]\nroot=/srv\n[Logging]\nlevel=info\n");
    TKvSectionModel sections(c.Document);
    sections.Fill(false);
    TKvValueModel values(c.Document);
    values.Fill(c.Section(0), false);
    sections.SetComparison(c.Session.get());
    values.SetComparison(c.Session.get());
    // A stand-in for the lists' pictures: the strip goes beside it.
    QPixmap square(12, 12);
    square.fill(QColor(90, 110, 160));
    const QIcon icon(square);
    sections.SetSectionIcon(icon);
    values.SetKindIcons({icon, icon, icon, icon});

    QWidget window;
    auto *layout = new QHBoxLayout(&window);
    QTableView sectionList;
    QTableView valueList;
    const auto setUp = [&](QTableView &list, QAbstractItemModel &model, int iconColumn) {
        list.setModel(&model);
        list.setItemDelegate(new TKvListDelegate(iconColumn, &list));
        list.setSelectionBehavior(QAbstractItemView::SelectRows);
        list.verticalHeader()->hide();
        list.setShowGrid(false);
        list.horizontalHeader()->resizeSection(iconColumn, 22);
        layout->addWidget(&list);
    };
    setUp(sectionList, sections, TKvSectionModel::IconColumn);
    setUp(valueList, values, TKvValueModel::IconColumn);
    sectionList.selectRow(0);
    valueList.selectRow(0);
    window.resize(900, 260);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QImage picture = window.grab().toImage();
    if (const QByteArray dir = qgetenv("QUILLON_SHOTS"); !dir.isEmpty())
        picture.save(QDir(QString::fromLocal8Bit(dir)).filePath(QStringLiteral("compare-lists.png")));

    // A marked row's comment cell shows the tint; the selected changed row's
    // icon cell the strip.
    const auto pixelAt = [&](QTableView &list, int row, int column, int dx) {
        const QRect cell = list.visualRect(list.model()->index(row, column));
        const QPoint at = list.viewport()->mapTo(&window, QPoint(cell.left() + dx, cell.center().y()));
        return picture.pixelColor(at * picture.devicePixelRatio());
    };
    QCOMPARE(pixelAt(valueList, 4, TKvValueModel::CommentColumn, 20),
             CompareLook::Tint(TCompareMark::Changed));
    QCOMPARE(pixelAt(valueList, 2, TKvValueModel::CommentColumn, 20),
             CompareLook::Tint(TCompareMark::Removed));
    QCOMPARE(pixelAt(valueList, 0, TKvValueModel::IconColumn, 1), CompareLook::Strip(TCompareMark::Changed));
    QVERIFY(pixelAt(valueList, 3, TKvValueModel::CommentColumn, 60)
            != CompareLook::Tint(TCompareMark::Changed));
    QCOMPARE(pixelAt(sectionList, 2, TKvSectionModel::CommentColumn, 20),
             CompareLook::Tint(TCompareMark::Removed));

    // Resting on any cell of a marked row tells what the other file has there.
    QCOMPARE(ToolTipAt(valueList, 0, TKvValueModel::NameColumn),
             QStringLiteral("Other file: db.example.org"));
    QCOMPARE(ToolTipAt(valueList, 2, TKvValueModel::IconColumn), QStringLiteral("Only in this file"));
    QCOMPARE(ToolTipAt(valueList, 1, TKvValueModel::ValueColumn), QString());
    QCOMPARE(ToolTipAt(sectionList, 0, TKvSectionModel::NameColumn),
             QStringLiteral("Differs from the other file / Only in the other file: pool=8"));
}

// The session wired to the window as its commands will be: the window's
// lists show the marks, Next moves the selection through them, taking the
// other value is one step that Undo takes back.
void TestCompareSession::inTheWindow()
{
    using namespace EditorTesting;
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")).toLocal8Bit());
    const QString mine = WriteFile(dir, QStringLiteral("mine.ini"),
                                   "[Database]\nhost=localhost\nport=5432\nuser=admin\n;note\ntimeout=30\n"
                                   "[Cache]\nsize=64\n[Legacy]\nmode=old\n");
    const QString other = WriteFile(dir, QStringLiteral("other.ini"),
                                    "[Database]\nhost=db.example.org\nport=5432\npool=8\ntimeout=60\n"
                                    "[Cache]\nsize=64\n[Logging]\nlevel=info\n");
    std::unique_ptr<TForm1> form(OpenForm(mine));
    QVERIFY(form);
    auto otherIni = std::make_unique<TKvMemIni>();
    QVERIFY(otherIni->LoadFromFile(other) >= 0);
    TCompareSession session(form->Doc(), std::move(otherIni), other);
    form->SectionModel()->SetComparison(&session);
    form->ValueModel()->SetComparison(&session);
    QCOMPARE(SelectionOf(form.get()), Selection(0, 0));

    // Next: [Database] lacks pool, then timeout changed; user only here.
    QStringList visited;
    while (const std::optional<TKvListSelection> next = session.NextDifference(form->Lists->Current())) {
        form->Lists->Restore(*next);
        visited
            << QStringLiteral("%1/%2").arg(SelectionOf(form.get()).first).arg(SelectionOf(form.get()).second);
        if (visited.size() > 10)
            break;
    }
    QCOMPARE(visited.join(u' '), QStringLiteral("0/2 0/4 2/-1"));
    form->Lists->Restore(*session.PreviousDifference(form->Lists->Current()));
    QCOMPARE(SelectionOf(form.get()), Selection(0, 4));
    if (const QByteArray shots = qgetenv("QUILLON_SHOTS"); !shots.isEmpty())
        form->grab().save(QDir(QString::fromLocal8Bit(shots)).filePath(QStringLiteral("compare-window.png")));

    // Take the other value of timeout, then undo it.
    TKvTakeOtherStep *step = session.TakeOtherEntry(*form->Lists);
    QVERIFY(step);
    form->PushStep(step);
    step->SelectionSettled();
    QCOMPARE(ValueRows(form.get()),
             (QStringList{"host=localhost", "port=5432", "user=admin", ";note", "timeout=60"}));
    QVERIFY(form->Doc().Modified());
    QTRY_VERIFY(!form->ValueModel()->index(4, TKvValueModel::NameColumn).data(Qt::BackgroundRole).isValid());
    form->Doc().UndoStack()->undo();
    QCOMPARE(ValueRows(form.get()),
             (QStringList{"host=localhost", "port=5432", "user=admin", ";note", "timeout=30"}));
    QVERIFY(!form->Doc().Modified());
    QCOMPARE(SelectionOf(form.get()), Selection(0, 4));
    QVERIFY(form->ValueModel()->index(4, TKvValueModel::NameColumn).data(Qt::BackgroundRole).isValid());

    // Closing the comparison: the usual look.
    form->SectionModel()->SetComparison(nullptr);
    form->ValueModel()->SetComparison(nullptr);
    QVERIFY(!form->ValueModel()->index(4, TKvValueModel::NameColumn).data(Qt::BackgroundRole).isValid());
    form->Doc().UndoStack()->clear(); // no question about unsaved changes on closing
}

QTEST_MAIN(TestCompareSession)
#include "tst_comparesession.moc"
