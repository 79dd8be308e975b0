// Replacing: which texts change and how, which replacements are refused, and
// that a plan is made whole or not at all.
#include "../core/describedocument.h"
#include "kvlayoutwriter.h"
#include "kvmemini.h"
#include "kvreplace.h"
#include "kvsearch.h"

#include <QBuffer>
#include <QTest>

#include <memory>

Q_DECLARE_METATYPE(TSearchStruct)

namespace {

std::unique_ptr<TKvMemIni> Document(const QString &text, bool hashComments = false)
{
    auto ini = std::make_unique<TKvMemIni>();
    ini->HashComments = hashComments;
    if (!ini->Parse(text))
        qFatal("test document does not parse");
    return ini;
}

// "SN,SC,IN,IV,IC" or a part of it, and the two matching flags.
TSearchStruct Options(const QString &where, bool wholeWords = false, bool caseSensitive = false)
{
    TSearchStruct options;
    options.SectionNames = where.contains(QStringLiteral("SN"));
    options.SectionComments = where.contains(QStringLiteral("SC"));
    options.ItemNames = where.contains(QStringLiteral("IN"));
    options.ItemValues = where.contains(QStringLiteral("IV"));
    options.ItemComments = where.contains(QStringLiteral("IC"));
    options.WholeWords = wholeWords;
    options.CaseSensitive = caseSensitive;
    return options;
}

// One change as "section,entry FIELD old->new (count)", with "! problem" when refused.
QStringList Describe(const TKvReplacePlan &plan)
{
    QStringList changes;
    for (const TKvReplacement &change : plan.Changes) {
        QString text = QStringLiteral("%1,%2 %3 %4->%5 (%6)")
                           .arg(change.Section)
                           .arg(change.Entry)
                           .arg(PlaceCode(change.Field), change.Old, change.New)
                           .arg(change.Count);
        if (!change.Problem.isEmpty())
            text += QStringLiteral(" ! ") + change.Problem;
        changes << text;
    }
    return changes;
}

const QString All = QStringLiteral("SN,SC,IN,IV,IC");

// Whether back, read from what ini writes, holds the same sections and entries
// (the writer's empty line after a section reads back as one more blank entry).
bool SameDocument(const TKvMemIni &ini, const TKvMemIni &back)
{
    if (back.Sections.Count() != ini.Sections.Count())
        return false;
    for (qint32 s = 0; s < ini.Sections.Count(); ++s) {
        const TKvIniSection &a = *ini.Sections[s];
        const TKvIniSection &b = *back.Sections[s];
        if (a.Name != b.Name || a.Comment != b.Comment || b.Vals.Count() < a.Vals.Count())
            return false;
        for (qint32 e = 0; e < b.Vals.Count(); ++e) {
            const TKvIniVal &y = *b.Vals[e];
            if (e >= a.Vals.Count()) {
                if (y.Kind() != ikBlank)
                    return false;
                continue;
            }
            const TKvIniVal &x = *a.Vals[e];
            if (x.Kind() != y.Kind() || x.NameView() != y.NameView() || x.ValueView() != y.ValueView()
                || x.CommentView() != y.CommentView())
                return false;
        }
    }
    return true;
}

} // namespace

class TestReplace : public QObject
{
    Q_OBJECT

private slots:
    void replaceAll_data();
    void replaceAll();
    void onePlace_data();
    void onePlace();
    void stalePlanChangesNothing();
    void keepLayoutRewritesOnlyChangedLines();
    void findAll_data();
    void findAll();
};

void TestReplace::replaceAll_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("hashComments");
    QTest::addColumn<QString>("find");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<TSearchStruct>("options");
    QTest::addColumn<QStringList>("changes");
    QTest::addColumn<int>("occurrences");
    // The document after applying; empty when the plan is refused (and the
    // document must stay as it was).
    QTest::addColumn<QString>("after");

    QTest::addRow("every occurrence in a value")
        << "[a]\nk=foo foo\n"
        << false << "foo"
        << "bar" << Options(All) << QStringList{"0,0 IV foo foo->bar bar (2)"} << 2 << "{a;} 1:k=bar bar;";
    QTest::addRow("case ignored, the replacement put in as given")
        << "[a]\nk=Foo FOO fOo\n"
        << false << "foo"
        << "Bar" << Options(All) << QStringList{"0,0 IV Foo FOO fOo->Bar Bar Bar (3)"} << 3
        << "{a;} 1:k=Bar Bar Bar;";
    QTest::addRow("case-sensitive") << "[a]\nk=Foo foo\n"
                                    << false << "foo"
                                    << "x" << Options(All, false, true)
                                    << QStringList{"0,0 IV Foo foo->Foo x (1)"} << 1 << "{a;} 1:k=Foo x;";
    QTest::addRow("whole words") << "[a]\nk=foo food foo.bar xfoo\n"
                                 << false << "foo"
                                 << "x" << Options(All, true)
                                 << QStringList{"0,0 IV foo food foo.bar xfoo->x food x.bar xfoo (2)"} << 2
                                 << "{a;} 1:k=x food x.bar xfoo;";
    QTest::addRow("matches do not overlap")
        << "[a]\nk=aaaaa\n"
        << false << "aa"
        << "b" << Options(All) << QStringList{"0,0 IV aaaaa->bba (2)"} << 2 << "{a;} 1:k=bba;";
    QTest::addRow("the replacement is not searched again")
        << "[a]\nk=ab\n"
        << false << "a"
        << "aa" << Options("IV") << QStringList{"0,0 IV ab->aab (1)"} << 1 << "{a;} 1:k=aab;";
    QTest::addRow("all five places, in Find Next's order")
        << "[foo] ;foo\nfoo=foo ;foo\n;foo\n"
        << false << "foo"
        << "x" << Options(All) << QStringList{"0,-1 SN foo->x (1)", "0,-1 SC foo->x (1)", "0,0 IN foo->x (1)",
                                              "0,0 IV foo->x (1)",  "0,0 IC foo->x (1)",  "0,1 IC foo->x (1)"}
        << 6 << "{x;x} 1:x=x;x 2:=;x";
    QTest::addRow("only the places asked for")
        << "[foo] ;foo\nfoo=foo ;foo\n;foo\n"
        << false << "foo"
        << "x" << Options("SC,IV") << QStringList{"0,-1 SC foo->x (1)", "0,0 IV foo->x (1)"} << 2
        << "{foo;x} 1:foo=x;foo 2:=;foo";
    QTest::addRow("a section comment keeps its blanks")
        << "[a] ; old \nk=1\n"
        << false << "old"
        << "new" << Options("SC") << QStringList{"0,-1 SC  old -> new  (1)"} << 1 << "{a; new } 1:k=1;";
    QTest::addRow("blanks left at a value's ends are not kept")
        << "[a]\nk=foo bar\n"
        << false << "foo"
        << "" << Options(All) << QStringList{"0,0 IV foo bar->bar (1)"} << 1 << "{a;} 1:k=bar;";
    QTest::addRow("the text of an error line")
        << "[a]\nabc\n"
        << false << "b"
        << ";" << Options(All) << QStringList{"0,0 IV abc->a;c (1)"} << 1 << "{a;} 3:=a;c;";
    QTest::addRow("an error line emptied is a blank line")
        << "[a]\nabc\n"
        << false << "abc"
        << "" << Options(All) << QStringList{"0,0 IV abc-> (1)"} << 1 << "{a;} 0:=;";
    QTest::addRow("a # comment line, read with hash comments")
        << "[a]\n# note\n"
        << true << "note"
        << "memo" << Options(All) << QStringList{"0,0 IC note->memo (1)"} << 1 << "{a;} 2:=;memo";
    QTest::addRow("nothing matches") << "[a]\nk=1\n"
                                     << false << "x"
                                     << "y" << Options(All) << QStringList{} << 0 << "{a;} 1:k=1;";
    QTest::addRow("an empty find text matches nothing")
        << "[a]\nk=1\n"
        << false << ""
        << "y" << Options(All) << QStringList{} << 0 << "{a;} 1:k=1;";
    QTest::addRow("nothing selected to look in") << "[a]\nk=1\n"
                                                 << false << "1"
                                                 << "2" << Options("") << QStringList{} << 0 << "{a;} 1:k=1;";

    // Refusals: the field rule's hint, nothing changed.
    QTest::addRow("refused: ; in a value")
        << "[a]\nk=v\n"
        << false << "v"
        << "a;b" << Options(All)
        << QStringList{"0,0 IV v->a;b (1) ! ';' starts a comment; write '\\;' to keep it in the value"} << 1
        << "";
    QTest::addRow("an escaped ; in a value")
        << "[a]\nk=v\n"
        << false << "v"
        << "a\\;b" << Options(All) << QStringList{"0,0 IV v->a\\;b (1)"} << 1 << "{a;} 1:k=a\\;b;";
    QTest::addRow("refused: = in a name")
        << "[a]\nkey=1\n"
        << false << "e"
        << "=" << Options("IN")
        << QStringList{"0,0 IN key->k=y (1) ! '=' ends the name; it cannot be part of it"} << 1 << "";
    QTest::addRow("refused: a line break")
        << "[a]\nk=v\n"
        << false << "v"
        << "a\nb" << Options(All)
        << QStringList{"0,0 IV v->a\nb (1) ! A line break cannot be kept; write the text on one line"} << 1
        << "";
    QTest::addRow("refused: ] in a section name")
        << "[a]\nk=v\n"
        << false << "a"
        << "a]" << Options("SN") << QStringList{"0,-1 SN a->a] (1) ! ']' ends the section name"} << 1 << "";
    QTest::addRow("refused: a name emptied")
        << "[a]\nk=v\n"
        << false << "k"
        << "" << Options("IN") << QStringList{"0,0 IN k-> (1) ! An item needs a name"} << 1 << "";
    QTest::addRow("refused: the value of an item without a name")
        << "[a]\n=v\n"
        << false << "v"
        << "w" << Options(All) << QStringList{"0,0 IV v->w (1) ! An item needs a name"} << 1 << "";
    QTest::addRow("refused: the comment of an item without a name")
        << "[a]\n=v ;c\n"
        << false << "c"
        << "d" << Options("IC") << QStringList{"0,0 IC c->d (1) ! An item needs a name"} << 1 << "";
    QTest::addRow("refused: = in an error line")
        << "[a]\nabc\n"
        << false << "b"
        << "=" << Options(All) << QStringList{"0,0 IV abc->a=c (1) ! '=' makes the line an item"} << 1 << "";
    QTest::addRow("refused: # starting a name, with hash comments")
        << "[a]\nk=v\n"
        << true << "k"
        << "#k" << Options("IN")
        << QStringList{"0,0 IN k->#k (1) ! A name starting with '#' makes the line a comment"} << 1 << "";
    QTest::addRow("# starting a name, without hash comments")
        << "[a]\nk=v\n"
        << false << "k"
        << "#k" << Options("IN") << QStringList{"0,0 IN k->#k (1)"} << 1 << "{a;} 1:#k=v;";
    QTest::addRow("refused: # starting an error line, with hash comments")
        << "[a]\nabc\n"
        << true << "a"
        << "#" << Options("IV") << QStringList{"0,0 IV abc->#bc (1) ! A line starting with '#' is a comment"}
        << 1 << "";
    QTest::addRow("one refusal refuses every change")
        << "[a]\nx=foo\nfoo=1\n"
        << false << "foo"
        << "a=b" << Options(All)
        << QStringList{"0,0 IV foo->a=b (1)",
                       "0,1 IN foo->a=b (1) ! '=' ends the name; it cannot be part of it"}
        << 2 << "";
}

void TestReplace::replaceAll()
{
    QFETCH(QString, text);
    QFETCH(bool, hashComments);
    QFETCH(QString, find);
    QFETCH(QString, replacement);
    QFETCH(TSearchStruct, options);
    QFETCH(QStringList, changes);
    QFETCH(int, occurrences);
    QFETCH(QString, after);

    const auto ini = Document(text, hashComments);
    const QString before = ::Describe(*ini);
    const TKvReplacePlan plan = PlanReplace(*ini, find, options, replacement);
    QCOMPARE(Describe(plan), changes);
    QCOMPARE(plan.Occurrences(), qsizetype(occurrences));
    // Planning changes nothing.
    QCOMPARE(::Describe(*ini), before);

    QCOMPARE(ApplyReplace(*ini, plan), !after.isEmpty());
    QCOMPARE(plan.CanApply(), !after.isEmpty());
    QCOMPARE(::Describe(*ini), after.isEmpty() ? before : after);
    if (after.isEmpty())
        return;
    // What was applied reads back as it was written.
    QVERIFY(SameDocument(*ini, *Document(ini->GetText(), hashComments)));
}

void TestReplace::onePlace_data()
{
    QTest::addColumn<qint32>("section");
    QTest::addColumn<qint32>("entry");
    QTest::addColumn<QStringList>("changes");

    QTest::addRow("the section's own texts")
        << 1 << -1 << QStringList{"1,-1 SN foo->x (1)", "1,-1 SC foo->x (1)"};
    QTest::addRow("one entry") << 1 << 1 << QStringList{"1,1 IN foo->x (1)", "1,1 IV foo foo->x x (2)"};
    QTest::addRow("an entry without a match") << 1 << 0 << QStringList{};
    QTest::addRow("no such entry") << 1 << 5 << QStringList{};
    QTest::addRow("no such section") << 7 << -1 << QStringList{};
}

// Replace at the match a Find stopped at: only that place changes.
void TestReplace::onePlace()
{
    QFETCH(qint32, section);
    QFETCH(qint32, entry);
    QFETCH(QStringList, changes);

    const auto ini = Document(QStringLiteral("k=foo\n[foo] ;foo\nk=1\nfoo=foo foo\n"));
    const TKvReplacePlan plan = PlanReplaceAt(*ini, section, entry, u"foo", Options(All), u"x");
    QCOMPARE(Describe(plan), changes);
    QVERIFY(ApplyReplace(*ini, plan));
    QCOMPARE(PlanReplace(*ini, u"foo", Options(All), u"x").Changes.size(), 5 - changes.size());
}

// A plan made before the document changed is not applied.
void TestReplace::stalePlanChangesNothing()
{
    const auto ini = Document(QStringLiteral("[a]\nk=foo\nj=foo\n"));
    const TKvReplacePlan plan = PlanReplace(*ini, u"foo", Options(All), u"bar");
    QCOMPARE(plan.Changes.size(), qsizetype(2));
    ini->Sections[0]->Vals[1]->SetValue(u"other");
    QVERIFY(!ApplyReplace(*ini, plan));
    QCOMPARE(::Describe(*ini), QStringLiteral("{a;} 1:k=foo; 1:j=other;"));
    ini->Sections[0]->DeleteVal(ini->Sections[0]->Vals[1]);
    QVERIFY(!ApplyReplace(*ini, plan));
    QCOMPARE(::Describe(*ini), QStringLiteral("{a;} 1:k=foo;"));
}

void TestReplace::keepLayoutRewritesOnlyChangedLines()
{
    TKvMemIni ini;
    ini.HashComments = true;
    QBuffer file;
    file.setData("# path settings\n[share]\n   path = /srv/old\n   # old comment\n"
                 "   read only = yes\n[other] ; old\n");
    file.open(QIODevice::ReadOnly);
    QCOMPARE(ini.LoadFromStream(file, KvEncoding::Utf8), int(KvEncoding::Utf8));
    const TKvReplacePlan plan = PlanReplace(ini, u"old", Options("IV,IC"), u"new");
    QCOMPARE(plan.Occurrences(), qsizetype(2));
    QVERIFY(ApplyReplace(ini, plan));
    QCOMPARE(KvLayoutWriter::Text(ini),
             QStringLiteral("# path settings\n[share]\npath=/srv/new\n#new comment\n"
                            "   read only = yes\n[other] ; old\n"));
}

void TestReplace::findAll_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("find");
    QTest::addColumn<bool>("wholeWords");
    QTest::addColumn<QList<qsizetype>>("starts");

    QTest::addRow("each one") << "a-a-a"
                              << "a" << false << QList<qsizetype>{0, 2, 4};
    QTest::addRow("not overlapping") << "aaaa"
                                     << "aa" << false << QList<qsizetype>{0, 2};
    QTest::addRow("case folded") << "Ab aB"
                                 << "ab" << false << QList<qsizetype>{0, 3};
    QTest::addRow("whole words look at the text before the match") << "xab ab,ab"
                                                                   << "ab" << true << QList<qsizetype>{4, 7};
    QTest::addRow("none") << "abc"
                          << "d" << false << QList<qsizetype>{};
    QTest::addRow("empty find text") << "abc"
                                     << "" << false << QList<qsizetype>{};
}

void TestReplace::findAll()
{
    QFETCH(QString, text);
    QFETCH(QString, find);
    QFETCH(bool, wholeWords);
    QFETCH(QList<qsizetype>, starts);

    TKvSearch search(find, false, wholeWords);
    QCOMPARE(search.FindAll(text), starts);
    // The first of them is what Find gives.
    QCOMPARE(search.Find(text), starts.isEmpty() ? qsizetype(-1) : starts.first());
}

QTEST_GUILESS_MAIN(TestReplace)
#include "tst_replace.moc"
