// The document alone, without a window: the undo steps change it through its
// operations, and every change shows as exactly the signals the views follow,
// with the counters kept and the modified flag true exactly off the clean state.
#include "commands/editsteps.h"
#include "document/kvdocument.h"

#include <QBuffer>
#include <QSignalSpy>
#include <QTest>

#include <functional>

// The counters as "sections/values/comments/errors/blanks" in failure messages.
char *toString(const TKvIniCounts &counts)
{
    return qstrdup(QStringLiteral("%1/%2/%3/%4/%5")
                       .arg(counts.Sections)
                       .arg(counts.Values)
                       .arg(counts.Comments)
                       .arg(counts.Errors)
                       .arg(counts.Blanks)
                       .toLatin1()
                       .constData());
}

namespace {

// A selection that stays empty: the steps record and restore it.
class TNoSelection : public TKvSelection
{
public:
    TKvListSelection Current() const override { return {}; }
    void Restore(const TKvListSelection &) override {}
};

std::unique_ptr<TKvMemIni> Parsed(const QByteArray &text)
{
    auto ini = std::make_unique<TKvMemIni>();
    QBuffer buffer;
    buffer.setData(text);
    buffer.open(QIODevice::ReadOnly);
    ini->LoadFromStream(buffer, KvEncoding::Utf8);
    return ini;
}

// Every signal of the document as a short token, in order.
class TSignalLog : public QObject
{
public:
    explicit TSignalLog(TKvDocument &document)
    {
        auto add = [this](const QString &token) { m_tokens << token; };
        auto range = [add](const char *what) {
            return [add, what](int first, int count) {
                add(QStringLiteral("%1%2:%3").arg(what).arg(first).arg(count));
            };
        };
        auto valRange = [add, &document](const char *what) {
            return [add, what, &document](TKvIniSection *section, int first, int count) {
                add(QStringLiteral("%1%2/%3:%4")
                        .arg(what)
                        .arg(document.IndexOfSection(section))
                        .arg(first)
                        .arg(count));
            };
        };
        connect(&document, &TKvDocument::SectionsAboutToBeInserted, this, range("s+"));
        connect(&document, &TKvDocument::SectionsInserted, this, range("S+"));
        connect(&document, &TKvDocument::SectionsAboutToBeRemoved, this, range("s-"));
        connect(&document, &TKvDocument::SectionsRemoved, this, range("S-"));
        connect(&document, &TKvDocument::ValsAboutToBeInserted, this,
                [valRange](TKvIniSection *section, int first, const std::vector<TKvIniVal *> &vals) {
                    valRange("v+")(section, first, int(vals.size()));
                });
        connect(&document, &TKvDocument::ValsInserted, this, valRange("V+"));
        connect(&document, &TKvDocument::ValsAboutToBeRemoved, this, valRange("v-"));
        connect(&document, &TKvDocument::ValsRemoved, this, valRange("V-"));
        connect(&document, &TKvDocument::ValReplaced, this,
                [add, &document](TKvIniSection *section, int position) {
                    add(QStringLiteral("V=%1/%2").arg(document.IndexOfSection(section)).arg(position));
                });
        connect(&document, &TKvDocument::SectionChanged, this, [add, &document](TKvIniSection *section) {
            add(QStringLiteral("C%1").arg(document.IndexOfSection(section)));
        });
        connect(&document, &TKvDocument::AboutToReorder, this, [add](TKvIniSection *section) {
            add(section ? QStringLiteral("o1") : QStringLiteral("o*"));
        });
        connect(&document, &TKvDocument::Reordered, this, [add](TKvIniSection *section) {
            add(section ? QStringLiteral("O1") : QStringLiteral("O*"));
        });
        connect(&document, &TKvDocument::ModifiedChanged, this,
                [add](bool modified) { add(modified ? QStringLiteral("M1") : QStringLiteral("M0")); });
        connect(&document, &TKvDocument::CountsChanged, this, [add] { add(QStringLiteral("N")); });
    }
    QString Take()
    {
        const QString text = m_tokens.join(u' ');
        m_tokens.clear();
        return text;
    }

private:
    QStringList m_tokens;
};

QString Text(const TKvDocument &document)
{
    QString text;
    for (const TKvIniSection *section : document.Ini().Sections) {
        text += u'[' + section->Name + u']';
        for (const TKvIniVal *val : section->Vals)
            text +=
                u' ' + (val->Kind() == ikValue ? val->Name() + u'=' + val->Value() : u';' + val->Comment());
        text += u' ';
    }
    return text.trimmed();
}

// A new entry of the kind; n tells the value items apart.
TKvIniVal *NewEntry(TKvIniValKind kind, int n = 0)
{
    switch (kind) {
    case ikValue:
        return new TKvIniVal(u"k"_qs + QString::number(n), u"v", u"");
    case ikComment:
        return new TKvIniVal(u"", u"", u"note");
    case ikError: // a value without a name: a line that parses as nothing
        return new TKvIniVal(u"", u"junk", u"");
    case ikBlank:
        break;
    }
    return new TKvIniVal(u"", u"", u"");
}

// Count new entries, of every kind in turn.
std::vector<TKvIniVal *> MixedEntries(int count)
{
    static const TKvIniValKind kinds[] = {ikValue, ikComment, ikBlank, ikError, ikValue};
    std::vector<TKvIniVal *> vals;
    for (int n = 0; n < count; ++n)
        vals.push_back(NewEntry(kinds[n % 5], n));
    return vals;
}

std::vector<TKvIniSection *> MixedSections(int count, int entries)
{
    std::vector<TKvIniSection *> sections;
    for (int n = 0; n < count; ++n) {
        auto *section = new TKvIniSection(u"new"_qs + QString::number(n));
        for (TKvIniVal *val : MixedEntries(entries))
            section->Vals.Add(val);
        sections.push_back(section);
    }
    return sections;
}

// Makes one change of the document as an undo step, given the document read
// from the counting fixture.
using TStepMaker = std::function<QUndoCommand *(TKvDocument &, TKvSelection &)>;

} // namespace

Q_DECLARE_METATYPE(TStepMaker)

class TestKvDocument : public QObject
{
    Q_OBJECT

private slots:
    void stepsShowAsSignals_data();
    void stepsShowAsSignals();
    void countersFollowBulkChanges_data();
    void countersFollowBulkChanges();
    void undoneSortWritesTheFileAsRead_data();
    void undoneSortWritesTheFileAsRead();
    void replaceStartsOver();
    void fileStateSignalsOnlyChanges();
};

// The document starts as "[a] x=1 ;c [b] y=2". Each op is one of:
// A add section "n" at the end; D delete section 0; I insert "k=v" and
// ";note" into section 1 at 0; R remove entry 0 of section 0; E edit entry 0
// of section 0 into a comment; T rename section 1; O sort all descending;
// u undo; r redo; s save. signals: every signal of the last op; text: the
// document after the last op; modified: the flag after each op.
void TestKvDocument::stepsShowAsSignals_data()
{
    QTest::addColumn<QString>("ops");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("modified");

    QTest::newRow("add section") << "A"
                                 << "s+2:1 S+2:1 N M1"
                                 << "[a] x=1 ;c [b] y=2 [n]"
                                 << "1";
    QTest::newRow("delete section") << "D"
                                    << "s-0:1 S-0:1 N M1"
                                    << "[b] y=2"
                                    << "1";
    QTest::newRow("undo delete puts it back in place") << "Du"
                                                       << "s+0:1 S+0:1 N M0"
                                                       << "[a] x=1 ;c [b] y=2"
                                                       << "10";
    QTest::newRow("insert entries") << "I"
                                    << "v+1/0:2 V+1/0:2 C1 N M1"
                                    << "[a] x=1 ;c [b] k=v ;note y=2"
                                    << "1";
    QTest::newRow("undo insert") << "Iu"
                                 << "v-1/0:2 V-1/0:2 C1 N M0"
                                 << "[a] x=1 ;c [b] y=2"
                                 << "10";
    QTest::newRow("redo insert") << "Iur"
                                 << "v+1/0:2 V+1/0:2 C1 N M1"
                                 << "[a] x=1 ;c [b] k=v ;note y=2"
                                 << "101";
    QTest::newRow("remove entry") << "R"
                                  << "v-0/0:1 V-0/0:1 C0 N M1"
                                  << "[a] ;c [b] y=2"
                                  << "1";
    QTest::newRow("edit into another kind") << "E"
                                            << "V=0/0 C0 N M1"
                                            << "[a] ;x=1 ;c [b] y=2"
                                            << "1";
    QTest::newRow("undo edit") << "Eu"
                               << "V=0/0 C0 N M0"
                               << "[a] x=1 ;c [b] y=2"
                               << "10";
    QTest::newRow("rename section") << "T"
                                    << "C1 M1"
                                    << "[a] x=1 ;c [renamed] y=2"
                                    << "1";
    QTest::newRow("sort all") << "O"
                              << "o* O* M1"
                              << "[b] y=2 [a] x=1 ;c"
                              << "1";
    QTest::newRow("undo sort all") << "Ou"
                                   << "o* O* M0"
                                   << "[a] x=1 ;c [b] y=2"
                                   << "10";
    QTest::newRow("save clears the flag") << "As"
                                          << "M0"
                                          << "[a] x=1 ;c [b] y=2 [n]"
                                          << "10";
    QTest::newRow("undo below the save") << "Asu"
                                         << "s-2:1 S-2:1 N M1"
                                         << "[a] x=1 ;c [b] y=2"
                                         << "101";
    QTest::newRow("back to the save") << "Asur"
                                      << "s+2:1 S+2:1 N M0"
                                      << "[a] x=1 ;c [b] y=2 [n]"
                                      << "1010";
    QTest::newRow("two steps flip the flag once") << "AI"
                                                  << "v+1/0:2 V+1/0:2 C1 N"
                                                  << "[a] x=1 ;c [b] k=v ;note y=2 [n]"
                                                  << "11";
    QTest::newRow("undo with nothing to undo") << "u"
                                               << ""
                                               << "[a] x=1 ;c [b] y=2"
                                               << "0";
}

void TestKvDocument::stepsShowAsSignals()
{
    QFETCH(QString, ops);
    QFETCH(QString, expected);
    QFETCH(QString, text);
    QFETCH(QString, modified);

    TKvDocument document;
    document.Replace(Parsed("[a]\nx=1\n;c\n[b]\ny=2\n"));
    TNoSelection selection;
    TSignalLog log(document);
    for (qsizetype i = 0; i < ops.size(); ++i) {
        log.Take();
        TKvMemIni &ini = document.Ini();
        switch (ops[i].toLatin1()) {
        case 'A':
            document.Push(
                new TKvSectionsStep(document, selection, {}, nullptr, -1, {new TKvIniSection(u"n"_qs)}));
            break;
        case 'D':
            document.Push(new TKvSectionsStep(document, selection, {}, nullptr, 0, 1));
            break;
        case 'I':
            document.Push(
                new TKvValsStep(document, selection, {}, ini.Sections[1], 0,
                                {new TKvIniVal(u"k", u"v", u""), new TKvIniVal(u"", u"", u"note")}));
            break;
        case 'R':
            document.Push(new TKvValsStep(document, selection, {}, ini.Sections[0], 0, 1));
            break;
        case 'E': {
            TKvIniVal *edited = ini.Sections[0]->Vals[0]->Clone();
            edited->ToggleComment();
            document.Push(new TKvReplaceValStep(document, selection, {}, ini.Sections[0], 0, edited));
            break;
        }
        case 'T':
            document.Push(
                new TKvSectionTextStep(document, selection, {}, ini.Sections[1], u"renamed"_qs, {}));
            break;
        case 'O':
            document.Push(new TKvOrderStep(document, selection, {}, TKvOrderStep::AllSections, nullptr,
                                           [](TKvMemIni &all) { all.SortAll(skName, false); }));
            break;
        case 'u':
            document.UndoStack()->undo();
            break;
        case 'r':
            document.UndoStack()->redo();
            break;
        case 's':
            document.MarkSaved();
            break;
        }
        QCOMPARE(document.Modified(), modified[i] == u'1');
        // The counters kept from the changes equal a fresh count.
        QCOMPARE(document.Counts(), document.Ini().CountAll());
    }
    QCOMPARE(log.Take(), expected);
    QCOMPARE(Text(document), text);
}

// The counters are kept from the changes, never recounted: after every kind
// of change, its undo and its redo they equal a fresh count of the whole
// document, already when the one CountsChanged of the step is emitted. A
// change of many entries is one signal, not one per entry; a change that
// cannot alter the counts (a rename, a new order, an edit within a kind)
// emits none. Undoing a bulk insert is a bulk take.
void TestKvDocument::countersFollowBulkChanges_data()
{
    QTest::addColumn<TStepMaker>("change");
    QTest::addColumn<int>("countsChanged"); // signals of the step, of its undo and of its redo each

    // The fixture: a nameless head, [a] with one entry of every kind, [b] with
    // two value items, [empty] with none.
    auto sections = [](qint32 at, int count, int entries) {
        return [=](TKvDocument &doc, TKvSelection &sel) -> QUndoCommand * {
            return new TKvSectionsStep(doc, sel, {}, nullptr, at, MixedSections(count, entries));
        };
    };
    auto takeSections = [](qint32 at, qint32 count) {
        return [=](TKvDocument &doc, TKvSelection &sel) -> QUndoCommand * {
            return new TKvSectionsStep(doc, sel, {}, nullptr, at, count);
        };
    };
    auto vals = [](int section, qint32 at, int count) {
        return [=](TKvDocument &doc, TKvSelection &sel) -> QUndoCommand * {
            return new TKvValsStep(doc, sel, {}, doc.Ini().Sections[section], at, MixedEntries(count));
        };
    };
    auto takeVals = [](int section, qint32 at, qint32 count) {
        return [=](TKvDocument &doc, TKvSelection &sel) -> QUndoCommand * {
            return new TKvValsStep(doc, sel, {}, doc.Ini().Sections[section], at, count);
        };
    };
    // Entry 0 of [a] is x=1, 1 the comment, 2 the blank line, 3 the unparsable line.
    auto replace = [](qint32 at, TKvIniValKind kind) {
        return [=](TKvDocument &doc, TKvSelection &sel) -> QUndoCommand * {
            return new TKvReplaceValStep(doc, sel, {}, doc.Ini().Sections[1], at, NewEntry(kind, 99));
        };
    };
    auto order = [](TKvOrderStep::Scope scope) {
        return [=](TKvDocument &doc, TKvSelection &sel) -> QUndoCommand * {
            TKvIniSection *a = doc.Ini().Sections[1];
            return new TKvOrderStep(doc, sel, {}, scope, a, [scope, a](TKvMemIni &ini) {
                if (scope == TKvOrderStep::AllSections)
                    ini.SortAll(skName, false);
                else if (scope == TKvOrderStep::SectionOrder)
                    ini.SortSections(skName, false);
                else
                    a->SortVals(skName, false);
            });
        };
    };

    QTest::newRow("insert a section of every kind") << TStepMaker(sections(1, 1, 5)) << 1;
    QTest::newRow("insert an empty section") << TStepMaker(sections(-1, 1, 0)) << 1;
    QTest::newRow("insert 2,000 sections") << TStepMaker(sections(2, 2000, 7)) << 1;
    QTest::newRow("take a section of every kind") << TStepMaker(takeSections(1, 1)) << 1;
    QTest::newRow("take the nameless head") << TStepMaker(takeSections(0, 1)) << 1;
    QTest::newRow("take an empty section") << TStepMaker(takeSections(3, 1)) << 1;
    QTest::newRow("take every section") << TStepMaker(takeSections(0, 4)) << 1;
    QTest::newRow("insert entries of every kind") << TStepMaker(vals(2, 1, 5)) << 1;
    QTest::newRow("insert 20,000 entries at the end") << TStepMaker(vals(1, -1, 20000)) << 1;
    QTest::newRow("insert 20,000 entries at the top") << TStepMaker(vals(1, 0, 20000)) << 1;
    QTest::newRow("insert entries into an empty section") << TStepMaker(vals(3, 0, 3)) << 1;
    QTest::newRow("take entries of every kind") << TStepMaker(takeVals(1, 0, 4)) << 1;
    QTest::newRow("take a comment") << TStepMaker(takeVals(1, 1, 1)) << 1;
    QTest::newRow("take an unparsable line") << TStepMaker(takeVals(1, 3, 1)) << 1;
    QTest::newRow("value item into a comment") << TStepMaker(replace(0, ikComment)) << 1;
    QTest::newRow("comment into a value item") << TStepMaker(replace(1, ikValue)) << 1;
    QTest::newRow("blank line into an unparsable line") << TStepMaker(replace(2, ikError)) << 1;
    QTest::newRow("unparsable line into a blank line") << TStepMaker(replace(3, ikBlank)) << 1;
    QTest::newRow("value item edited") << TStepMaker(replace(0, ikValue)) << 0;
    QTest::newRow("comment edited") << TStepMaker(replace(1, ikComment)) << 0;
    QTest::newRow("section renamed") << TStepMaker([](TKvDocument &doc, TKvSelection &sel) -> QUndoCommand * {
        return new TKvSectionTextStep(doc, sel, {}, doc.Ini().Sections[1], u"renamed"_qs, u"; now"_qs);
    }) << 0;
    QTest::newRow("sort all") << TStepMaker(order(TKvOrderStep::AllSections)) << 0;
    QTest::newRow("sort the sections") << TStepMaker(order(TKvOrderStep::SectionOrder)) << 0;
    QTest::newRow("sort one section's entries") << TStepMaker(order(TKvOrderStep::OneSectionsEntries)) << 0;
}

void TestKvDocument::countersFollowBulkChanges()
{
    QFETCH(TStepMaker, change);
    QFETCH(int, countsChanged);

    TKvDocument document;
    document.Replace(Parsed("; head\n[a] ; first\nx=1\n;c\n\nnot a setting\n[b]\ny=2\nz=3\n[empty]\n"));
    const TKvIniCounts read = document.Counts();
    QCOMPARE(read, (TKvIniCounts{4, 3, 2, 1, 1}));
    TNoSelection selection;
    int emitted = 0;
    bool keptWhenEmitted = true;
    connect(&document, &TKvDocument::CountsChanged, this, [&] {
        ++emitted;
        keptWhenEmitted = keptWhenEmitted && document.Counts() == document.Ini().CountAll();
    });

    TKvIniCounts changed;
    struct Step
    {
        const char *what;
        std::function<void()> run;
        bool undone;
    };
    const Step steps[] = {
        {"done",
         [&] {
             document.Push(change(document, selection));
             changed = document.Counts();
         },
         false},
        {"undone", [&] { document.UndoStack()->undo(); }, true},
        {"redone", [&] { document.UndoStack()->redo(); }, false},
        {"undone again", [&] { document.UndoStack()->undo(); }, true},
        {"redone again", [&] { document.UndoStack()->redo(); }, false},
    };
    for (const Step &step : steps) {
        emitted = 0;
        step.run();
        QVERIFY2(document.Counts() == document.Ini().CountAll(), step.what);
        QVERIFY2(keptWhenEmitted, step.what);
        QVERIFY2(emitted == countsChanged,
                 qPrintable(QStringLiteral("%1: %2 CountsChanged").arg(step.what).arg(emitted)));
        QCOMPARE(document.Counts(), step.undone ? read : changed);
    }
    // The row's change is one the counters see, or one they cannot.
    QCOMPARE(changed != read, countsChanged == 1);
}

// A sort writes the lines it moved afresh; undoing it must give back every
// line as read, so that saving writes the file unchanged.
void TestKvDocument::undoneSortWritesTheFileAsRead_data()
{
    QTest::addColumn<int>("scope");
    QTest::newRow("all") << int(TKvOrderStep::AllSections);
    QTest::newRow("sections") << int(TKvOrderStep::SectionOrder);
    QTest::newRow("one section's entries") << int(TKvOrderStep::OneSectionsEntries);
}

void TestKvDocument::undoneSortWritesTheFileAsRead()
{
    QFETCH(int, scope);
    const QByteArray text = "; head\n[zeta]  ; z\n  z = 1   ; one\n\ty=2\n\n[alpha]\nx =  3\n";
    TKvDocument document;
    document.Replace(Parsed(text));
    document.Ini().KeepLayout = true;
    TNoSelection selection;
    TKvIniSection *zeta = document.Ini().Sections[1];
    document.Push(new TKvOrderStep(document, selection, {}, TKvOrderStep::Scope(scope), zeta,
                                   [zeta, scope](TKvMemIni &ini) {
                                       if (scope == TKvOrderStep::AllSections)
                                           ini.SortAll(skName, true);
                                       else if (scope == TKvOrderStep::SectionOrder)
                                           ini.SortSections(skName, true);
                                       else
                                           zeta->SortVals(skName, true);
                                   }));
    document.UndoStack()->undo();
    QBuffer saved;
    saved.open(QIODevice::WriteOnly);
    document.Ini().SaveToStream(saved, KvEncoding::Utf8);
    QCOMPARE(saved.data(), text);
    // Redone, the moved lines are written afresh again, and undone once more, as read.
    document.UndoStack()->redo();
    document.UndoStack()->undo();
    QBuffer again;
    again.open(QIODevice::WriteOnly);
    document.Ini().SaveToStream(again, KvEncoding::Utf8);
    QCOMPARE(again.data(), text);
}

void TestKvDocument::replaceStartsOver()
{
    TKvDocument document;
    TNoSelection selection;
    document.Push(new TKvSectionsStep(document, selection, {}, nullptr, -1, {new TKvIniSection(u"n"_qs)}));
    QVERIFY(document.Modified());
    TSignalLog log(document);
    QSignalSpy reset(&document, &TKvDocument::DocumentReset);
    document.Replace(Parsed("[x]\na=1\n\n"));
    // A new document has nothing to undo and is not modified.
    QCOMPARE(reset.count(), 1);
    QVERIFY(!document.Modified());
    QVERIFY(!document.UndoStack()->canUndo());
    QCOMPARE(document.Counts().Sections, 1);
    QCOMPARE(document.Counts().Values, 1);
    QCOMPARE(document.Counts().Blanks, 1);
    QCOMPARE(log.Take(), u"M0 N"_qs);
}

void TestKvDocument::fileStateSignalsOnlyChanges()
{
    TKvDocument document;
    QSignalSpy changed(&document, &TKvDocument::FileStateChanged);
    TKvFileState file;
    file.FileName = u"/tmp/a.ini"_qs;
    document.SetFile(file);
    document.SetFile(file);
    QCOMPARE(changed.count(), 1);
    file.ReadOnly = true;
    document.SetFile(file);
    QCOMPARE(changed.count(), 2);
    QVERIFY(document.File().ReadOnly);
}

QTEST_GUILESS_MAIN(TestKvDocument)
#include "tst_kvdocument.moc"
