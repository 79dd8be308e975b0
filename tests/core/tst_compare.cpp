// Comparing documents by meaning (KvCompare::Diff) and the three-way merge
// (KvMerge): sections and items identified by name and occurrence, order and
// layout ignored, MINE's untouched lines written back byte for byte.
#include "kvcompare.h"
#include "kvmerge.h"
#include "loadbytes.h"

#include <QTest>

#include <algorithm>
#include <iterator>

namespace {

void Load(TKvMemIni &ini, const QByteArray &bytes)
{
    QVERIFY(LoadBytes(ini, bytes) >= 0);
}

QString Identity(QStringView section, qint32 occurrence)
{
    return QStringLiteral("[%1]#%2").arg(section.toString()).arg(occurrence);
}

QString ItemText(const TKvIniVal *val, bool withComments)
{
    if (!val)
        return QStringLiteral("-");
    QString text = val->Value();
    if (withComments && !val->CommentView().isEmpty())
        text += u';' + val->Comment();
    return text;
}

// One difference as "change [section]#occurrence key#occurrence: old -> new".
QString Describe(const TKvDifference &d, bool withComments)
{
    static const char *const names[] = {"added",         "removed",         "changed",
                                        "section-added", "section-removed", "section-changed"};
    QString text =
        QLatin1String(names[int(d.Change)]) + u' ' + Identity(d.SectionName(), d.SectionOccurrence);
    if (d.Change == TKvChange::SectionChanged)
        return text + QStringLiteral(": %1 -> %2").arg(d.SectionA->Comment, d.SectionB->Comment);
    if (d.IsSectionChange())
        return text;
    return text
           + QStringLiteral(" %1#%2: %3 -> %4")
                 .arg(d.KeyName().toString())
                 .arg(d.KeyOccurrence)
                 .arg(ItemText(d.ValA, withComments), ItemText(d.ValB, withComments));
}

QStringList Describe(const std::vector<TKvDifference> &differences, bool withComments)
{
    QStringList out;
    for (const TKvDifference &d : differences)
        out << Describe(d, withComments);
    return out;
}

// A conflict as "kind [section]#occurrence key#occurrence" (no key for a section).
QString DescribeConflict(const TKvMergeStep &step)
{
    static const char *const kinds[] = {"none", "changed-on-both", "removed-by-mine", "removed-by-theirs",
                                        "added-on-both"};
    const TKvDifference &d = step.Change;
    QString text =
        QLatin1String(kinds[int(step.Conflict)]) + u' ' + Identity(d.SectionName(), d.SectionOccurrence);
    if (!d.IsSectionChange())
        text += u' ' + d.KeyName().toString() + u'#' + QString::number(d.KeyOccurrence);
    return text;
}

enum Prefer { Default, PreferMine, PreferTheirs };

} // namespace

Q_DECLARE_METATYPE(Prefer)

class TestCompare : public QObject
{
    Q_OBJECT

private slots:
    void diff_data();
    void diff();
    void diffIsOneWayTheReverse();
    void applyMakesEqual_data();
    void applyMakesEqual();
    void merge_data();
    void merge();
    void takeTheirsPerConflict();
    void planPointsIntoTheThreeDocuments();
};

void TestCompare::diff_data()
{
    QTest::addColumn<QByteArray>("a");
    QTest::addColumn<QByteArray>("b");
    QTest::addColumn<bool>("ignoreCase");
    QTest::addColumn<bool>("withComments");
    QTest::addColumn<QStringList>("expected");

    const QByteArray a = "[PHP]\nmemory_limit=128M\nx=1\nx=2\n[old]\na=1\n";
    QTest::addRow("equal") << a << a << false << false << QStringList();
    QTest::addRow("sorted copy with other spacing and line ends")
        << a << QByteArray("[old]\r\n  a = 1\r\n[PHP]\r\nx=1\r\nmemory_limit = 128M\r\nx=2\r\n") << false
        << false << QStringList();
    QTest::addRow("changed value") << a << QByteArray(a).replace("128M", "256M") << false << false
                                   << QStringList{
                                          QStringLiteral("changed [PHP]#0 memory_limit#0: 128M -> 256M")};
    QTest::addRow("added item") << a << a + "y=5\n"
                                << false << false << QStringList{QStringLiteral("added [old]#0 y#0: - -> 5")};
    QTest::addRow("removed item") << a << QByteArray(a).replace("memory_limit=128M\n", "") << false << false
                                  << QStringList{QStringLiteral("removed [PHP]#0 memory_limit#0: 128M -> -")};
    QTest::addRow("added item with an empty value")
        << a << a + "y=\n"
        << false << false << QStringList{QStringLiteral("added [old]#0 y#0: - -> ")};
    QTest::addRow("value emptied") << a << QByteArray(a).replace("a=1", "a=") << false << false
                                   << QStringList{QStringLiteral("changed [old]#0 a#0: 1 -> ")};
    QTest::addRow("second occurrence changed") << a << QByteArray(a).replace("x=2", "x=3") << false << false
                                               << QStringList{QStringLiteral("changed [PHP]#0 x#1: 2 -> 3")};
    // The k-th x matches the k-th x: taking out the first shifts the second.
    QTest::addRow("first occurrence removed") << a << QByteArray(a).replace("x=1\n", "") << false << false
                                              << QStringList{QStringLiteral("changed [PHP]#0 x#0: 1 -> 2"),
                                                             QStringLiteral("removed [PHP]#0 x#1: 2 -> -")};
    QTest::addRow("third occurrence added")
        << a << QByteArray(a).replace("x=2\n", "x=2\nx=9\n") << false << false
        << QStringList{QStringLiteral("added [PHP]#0 x#2: - -> 9")};
    QTest::addRow("duplicates swapped")
        << a << QByteArray(a).replace("x=1\nx=2", "x=2\nx=1") << false << false
        << QStringList{QStringLiteral("changed [PHP]#0 x#0: 1 -> 2"),
                       QStringLiteral("changed [PHP]#0 x#1: 2 -> 1")};
    const QByteArray twice = "[s]\nk=1\n[t]\nk=0\n[s]\nk=2\n";
    QTest::addRow("second of duplicate sections changed")
        << twice << QByteArray(twice).replace("k=2", "k=3") << false << false
        << QStringList{QStringLiteral("changed [s]#1 k#0: 2 -> 3")};
    QTest::addRow("duplicate sections in another order")
        << twice << QByteArray("[t]\nk=0\n[s]\nk=1\n[s]\nk=2\n") << false << false << QStringList();
    QTest::addRow("duplicate section added")
        << twice << twice + "[s]\nk=9\n"
        << false << false << QStringList{QStringLiteral("section-added [s]#2")};
    QTest::addRow("duplicate section removed")
        << twice << QByteArray("[s]\nk=1\n[t]\nk=0\n") << false << false
        << QStringList{QStringLiteral("section-removed [s]#1")};
    QTest::addRow("section added and removed")
        << a << QByteArray(a).replace("[old]", "[new]") << false << false
        << QStringList{QStringLiteral("section-removed [old]#0"), QStringLiteral("section-added [new]#0")};
    QTest::addRow("empty section added")
        << a << a + "[empty]\n"
        << false << false << QStringList{QStringLiteral("section-added [empty]#0")};
    QTest::addRow("names differ in case")
        << a << QByteArray(a).replace("memory_limit", "MEMORY_LIMIT").replace("[old]", "[OLD]") << false
        << false
        << QStringList{QStringLiteral("removed [PHP]#0 memory_limit#0: 128M -> -"),
                       QStringLiteral("added [PHP]#0 MEMORY_LIMIT#0: - -> 128M"),
                       QStringLiteral("section-removed [old]#0"), QStringLiteral("section-added [OLD]#0")};
    QTest::addRow("case folded")
        << a << QByteArray(a).replace("memory_limit", "MEMORY_LIMIT").replace("[old]", "[OLD]") << true
        << false << QStringList();
    QTest::addRow("case folded beyond ASCII")
        << QByteArray("\xEF\xBB\xBF[Ärger]\nÖl=1\n") << QByteArray("\xEF\xBB\xBF[äRGER]\nöL=1\n") << true
        << false << QStringList();
    QTest::addRow("case folded, values still exact")
        << a << QByteArray(a).replace("128M", "128m") << true << false
        << QStringList{QStringLiteral("changed [PHP]#0 memory_limit#0: 128M -> 128m")};
    QTest::addRow("case folded occurrences count both spellings")
        << QByteArray("[s]\nk=1\nK=2\n") << QByteArray("[s]\nK=1\nk=3\n") << true << false
        << QStringList{QStringLiteral("changed [s]#0 K#1: 2 -> 3")};
    QTest::addRow("comments, blank and bad lines ignored")
        << a
        << QByteArray("; top\n[PHP] ; header note\n\nmemory_limit=128M ; note\nnot an item\nx=1\n;x=5\nx=2\n"
                      "[old]\na=1\n")
        << false << false << QStringList();
    QTest::addRow("inline comment compared")
        << a << QByteArray(a).replace("a=1", "a=1 ; why") << false << true
        << QStringList{QStringLiteral("changed [old]#0 a#0: 1 -> 1;why")};
    QTest::addRow("section comment compared")
        << a << QByteArray(a).replace("[old]", "[old] ;gone soon") << false << true
        << QStringList{QStringLiteral("section-changed [old]#0:  -> gone soon")};
    QTest::addRow("comment lines not compared even with comments")
        << a << QByteArray(a).replace("[old]", "[old]\n;a note line") << false << true << QStringList();
    // A section exists even when it holds no item: an item moving out of a
    // section is two item changes.
    QTest::addRow("item moved to another section")
        << a << QByteArray("[PHP]\nx=1\nx=2\n[old]\na=1\nmemory_limit=128M\n") << false << false
        << QStringList{QStringLiteral("removed [PHP]#0 memory_limit#0: 128M -> -"),
                       QStringLiteral("added [old]#0 memory_limit#0: - -> 128M")};
    // The text before the first header is a section one side may lack.
    QTest::addRow("items before the first header added")
        << a << "top=1\n" + a << false << false << QStringList{QStringLiteral("added []#0 top#0: - -> 1")};
    QTest::addRow("items before the first header removed")
        << "top=1\n" + a << a << false << false << QStringList{QStringLiteral("removed []#0 top#0: 1 -> -")};
    QTest::addRow("item with an empty name") << QByteArray("=x\n") << QByteArray("=y\n") << false << false
                                             << QStringList{QStringLiteral("changed []#0 #0: x -> y")};
    // Sections mostly in step with their other side: the items pair by
    // position except for the names that stand elsewhere once.
    const QByteArray aligned = "[s]\nx=1\na=1\nb=1\nc=1\nd=1\ne=1\nx=2\nf=1\nx=3\n";
    QTest::addRow("a duplicate moved among aligned items")
        << aligned << QByteArray("[s]\nx=1\na=1\nb=1\nc=1\nd=1\ne=1\nf=1\nx=2\nx=4\n") << false << false
        << QStringList{QStringLiteral("changed [s]#0 x#2: 3 -> 4")};
    QTest::addRow("a key replaced among aligned duplicates")
        << aligned << QByteArray(aligned).replace("f=1", "g=1").replace("x=3", "x=9") << false << false
        << QStringList{QStringLiteral("removed [s]#0 f#0: 1 -> -"),
                       QStringLiteral("changed [s]#0 x#2: 3 -> 9"),
                       QStringLiteral("added [s]#0 g#0: - -> 1")};
    QTest::addRow("aligned items in other case, folded")
        << aligned << QByteArray(aligned).replace("x=", "X=").replace("X=3", "X=5") << true << false
        << QStringList{QStringLiteral("changed [s]#0 x#2: 3 -> 5")};
    QTest::addRow("both empty") << QByteArray() << QByteArray() << false << false << QStringList();
    QTest::addRow("everything added")
        << QByteArray() << QByteArray("k=1\n[s]\n") << false << false
        << QStringList{QStringLiteral("added []#0 k#0: - -> 1"), QStringLiteral("section-added [s]#0")};
}

void TestCompare::diff()
{
    QFETCH(QByteArray, a);
    QFETCH(QByteArray, b);
    QFETCH(bool, ignoreCase);
    QFETCH(bool, withComments);
    QFETCH(QStringList, expected);
    TKvMemIni first;
    TKvMemIni second;
    Load(first, a);
    Load(second, b);
    TKvCompareOptions options;
    options.IgnoreCase = ignoreCase;
    options.WithComments = withComments;
    const std::vector<TKvDifference> differences = KvCompare::Diff(first, second, options);
    QCOMPARE(Describe(differences, withComments), expected);

    // Compared pair by pair, A's sections give the same differences, paired
    // with the same sections of B: what a view that follows edits to A
    // compares again for one section.
    std::vector<TKvDifference> ofA;
    std::copy_if(differences.begin(), differences.end(), std::back_inserter(ofA),
                 [](const TKvDifference &d) { return d.SectionA != nullptr; });
    const std::vector<KvCompare::TKvSectionPair> pairs = KvCompare::PairSections(first, second, options);
    QCOMPARE(qsizetype(pairs.size()), qsizetype(first.Sections.Count()));
    std::vector<TKvDifference> byPair;
    for (qint32 i = 0; i < first.Sections.Count(); ++i) {
        const std::vector<TKvDifference> part = KvCompare::DiffSectionPair(
            first.Sections[i], pairs[size_t(i)].B, pairs[size_t(i)].Occurrence, options);
        byPair.insert(byPair.end(), part.begin(), part.end());
    }
    QCOMPARE(Describe(byPair, withComments), Describe(ofA, withComments));
    for (size_t i = 0; i < ofA.size(); ++i)
        QCOMPARE(byPair[i].SectionB, ofA[i].SectionB);
}

// The reverse comparison reports every difference the other way round.
void TestCompare::diffIsOneWayTheReverse()
{
    TKvMemIni a;
    TKvMemIni b;
    Load(a, "[s]\nk=1\nr=1\n[gone]\nz=0\n");
    Load(b, "[s]\nk=2\nn=1\n[new]\n");
    const std::vector<TKvDifference> forward = KvCompare::Diff(a, b);
    const std::vector<TKvDifference> backward = KvCompare::Diff(b, a);
    QCOMPARE(forward.size(), backward.size());
    QCOMPARE(
        Describe(backward, false),
        (QStringList{QStringLiteral("changed [s]#0 k#0: 2 -> 1"), QStringLiteral("removed [s]#0 n#0: 1 -> -"),
                     QStringLiteral("added [s]#0 r#0: - -> 1"), QStringLiteral("section-removed [new]#0"),
                     QStringLiteral("section-added [gone]#0")}));
}

// Taking every difference makes A equal to B, whatever kind of item.
void TestCompare::applyMakesEqual_data()
{
    QTest::addColumn<QByteArray>("a");
    QTest::addColumn<QByteArray>("b");
    QTest::addColumn<bool>("withComments");
    QTest::addColumn<QByteArray>("after");
    QTest::addRow("values, items and sections")
        << QByteArray("[s]\nk=1\nr=1\n\n[gone]\nz=0\n") << QByteArray("[s]\nk=2\nn=1\n[new] ;c\n;note\nq=1\n")
        << false << QByteArray("[s]\nk=2\nn=1\n\n[new] ;c\n;note\nq=1\n");
    QTest::addRow("items with an empty name")
        << QByteArray("=x\n[s]\nk=1\n") << QByteArray("=y\n=z\n[s]\nk=1\n=w\n") << false
        << QByteArray("=y\n=z\n[s]\nk=1\n=w\n");
    QTest::addRow("comments taken with the values")
        << QByteArray("[s] ;a\nk=1 ;old\n") << QByteArray("[s] ;b\nk=1 ;new\nn=2 ;added\n") << true
        << QByteArray("[s] ;b\nk=1 ;new\nn=2 ;added\n");
    QTest::addRow("nameless section made at the front")
        << QByteArray("[s]\nk=1\n") << QByteArray("top=1\n[s]\nk=1\n") << false
        << QByteArray("top=1\n[s]\nk=1\n");
}

void TestCompare::applyMakesEqual()
{
    QFETCH(QByteArray, a);
    QFETCH(QByteArray, b);
    QFETCH(bool, withComments);
    QFETCH(QByteArray, after);
    TKvMemIni first;
    TKvMemIni second;
    Load(first, a);
    Load(second, b);
    TKvCompareOptions options;
    options.WithComments = withComments;
    const std::vector<TKvDifference> differences = KvCompare::Diff(first, second, options);
    std::vector<const TKvDifference *> all;
    for (const TKvDifference &d : differences)
        all.push_back(&d);
    KvCompare::Apply(first, all, options);
    QCOMPARE(Describe(KvCompare::Diff(first, second, options), withComments), QStringList());
    first.KeepLayout = true;
    QCOMPARE(first.Encode(first.Encoding), after);
}

// BASE, MINE and THEIRS; the conflicts found (in plan order); how they are
// decided; MINE after the merge, saved keeping its layout.
void TestCompare::merge_data()
{
    QTest::addColumn<QByteArray>("base");
    QTest::addColumn<QByteArray>("mine");
    QTest::addColumn<QByteArray>("theirs");
    QTest::addColumn<bool>("withComments");
    QTest::addColumn<QStringList>("conflicts");
    QTest::addColumn<Prefer>("prefer");
    QTest::addColumn<QByteArray>("after");

    const QByteArray base = "[s]\nk=1\nj=1\n[t]\nz=0\n";
    // MINE changed j in a layout of its own: odd spacing, comments, LF ends.
    const QByteArray mine = ";head\n[s]   ; note\n  k = 1   ; keep\n\nj=2\n[t]\nz=0\n";
    QTest::addRow("disjoint edits both land, untouched lines byte-identical")
        << base << mine << QByteArray("[s]\nk=5\nj=1\nn=3\n[t]\nz=0\n[u]\nw=1\n") << false << QStringList()
        << Default << QByteArray(";head\n[s]   ; note\nk=5 ;keep\n\nj=2\nn=3\n[t]\nz=0\n[u]\nw=1\n");
    QTest::addRow("nothing from theirs") << base << mine << base << false << QStringList() << Default << mine;
    QTest::addRow("item removed by theirs")
        << base << mine << QByteArray("[s]\nj=1\n[t]\nz=0\n") << false << QStringList() << Default
        << QByteArray(";head\n[s]   ; note\n\nj=2\n[t]\nz=0\n");
    QTest::addRow("section removed by theirs")
        << base << mine << QByteArray("[s]\nk=1\nj=1\n") << false << QStringList() << Default
        << QByteArray(";head\n[s]   ; note\n  k = 1   ; keep\n\nj=2\n");
    QTest::addRow("the same change on both sides") << base << mine << QByteArray("[s]\nk=1\nj=2\n[t]\nz=0\n")
                                                   << false << QStringList() << Default << mine;
    QTest::addRow("the same removal on both sides")
        << base << QByteArray("[s]\nk=1\n[t]\nz=0\n") << QByteArray("[t]\nz=0\n[s]\nk=1\n") << false
        << QStringList() << Default << QByteArray("[s]\nk=1\n[t]\nz=0\n");
    QTest::addRow("the same addition on both sides")
        << base << QByteArray("[s]\nk=1\nj=1\nn=4\n[t]\nz=0\n")
        << QByteArray("[s]\nk=1\nj=1\nn=4\n[t]\nz=0\n") << false << QStringList() << Default
        << QByteArray("[s]\nk=1\nj=1\nn=4\n[t]\nz=0\n");
    QTest::addRow("the same section added on both sides")
        << base << base + "[u]\nw=1\n"
        << base + "[u]\nw=1\n"
        << false << QStringList() << Default << base + "[u]\nw=1\n";

    const QByteArray changedOnBoth = "[s]\nk=1\nj=3\n[t]\nz=0\n";
    QTest::addRow("changed on both, mine by default")
        << base << mine << changedOnBoth << false << QStringList{QStringLiteral("changed-on-both [s]#0 j#0")}
        << Default << mine;
    QTest::addRow("changed on both, theirs preferred")
        << base << mine << changedOnBoth << false << QStringList{QStringLiteral("changed-on-both [s]#0 j#0")}
        << PreferTheirs << QByteArray(";head\n[s]   ; note\n  k = 1   ; keep\n\nj=3\n[t]\nz=0\n");
    const QByteArray removedByMine = "[s]\nk=1\n[t]\nz=0\n";
    QTest::addRow("removed by mine, changed by theirs, mine kept")
        << base << removedByMine << changedOnBoth << false
        << QStringList{QStringLiteral("removed-by-mine [s]#0 j#0")} << PreferMine << removedByMine;
    QTest::addRow("removed by mine, changed by theirs, theirs preferred")
        << base << removedByMine << changedOnBoth << false
        << QStringList{QStringLiteral("removed-by-mine [s]#0 j#0")} << PreferTheirs
        << QByteArray("[s]\nk=1\nj=3\n[t]\nz=0\n");
    QTest::addRow("changed by mine, removed by theirs, mine kept")
        << base << mine << removedByMine << false
        << QStringList{QStringLiteral("removed-by-theirs [s]#0 j#0")} << PreferMine << mine;
    QTest::addRow("changed by mine, removed by theirs, theirs preferred")
        << base << mine << removedByMine << false
        << QStringList{QStringLiteral("removed-by-theirs [s]#0 j#0")} << PreferTheirs
        << QByteArray(";head\n[s]   ; note\n  k = 1   ; keep\n\n[t]\nz=0\n");
    QTest::addRow("added on both with different values")
        << base << QByteArray("[s]\nk=1\nj=1\nn=4\n[t]\nz=0\n")
        << QByteArray("[s]\nk=1\nj=1\nn=5\n[t]\nz=0\n") << false
        << QStringList{QStringLiteral("added-on-both [s]#0 n#0")} << PreferTheirs
        << QByteArray("[s]\nk=1\nj=1\nn=5\n[t]\nz=0\n");
    QTest::addRow("section added on both, its items merged")
        << base << base + "[u]\nw=1\nm=1\n"
        << base + "[u]\nw=2\nt=1\n"
        << false << QStringList{QStringLiteral("added-on-both [u]#0 w#0")} << PreferMine
        << base + "[u]\nw=1\nm=1\nt=1\n";
    QTest::addRow("section removed by theirs, changed by mine")
        << base << QByteArray("[s]\nk=1\nj=1\n[t]\nz=9\n") << QByteArray("[s]\nk=1\nj=1\n") << false
        << QStringList{QStringLiteral("removed-by-theirs [t]#0")} << PreferTheirs
        << QByteArray("[s]\nk=1\nj=1\n");
    QTest::addRow("section removed by mine, changed by theirs")
        << base << QByteArray("[s]\nk=1\nj=1\n") << QByteArray("[s]\nk=1\nj=1\n[t]\nz=9\n") << false
        << QStringList{QStringLiteral("removed-by-mine [t]#0")} << PreferTheirs
        << QByteArray("[s]\nk=1\nj=1\n[t]\nz=9\n");
    QTest::addRow("section removed by mine, untouched by theirs")
        << base << QByteArray("[s]\nk=1\nj=1\n") << base + "[u]\n"
        << false << QStringList() << Default << QByteArray("[s]\nk=1\nj=1\n[u]\n");
    QTest::addRow("comment changed by theirs")
        << base << mine << QByteArray("[s]\nk=1 ; keep\nj=1\n[t]\nz=0 ;why\n") << true << QStringList()
        << Default << QByteArray(";head\n[s]   ; note\n  k = 1   ; keep\n\nj=2\n[t]\nz=0 ;why\n");
    QTest::addRow("comments ignored without WithComments")
        << base << mine << QByteArray("[s]\nk=1 ;why\nj=1\n[t] ;c\nz=0\n") << false << QStringList()
        << Default << mine;
    QTest::addRow("section comment changed on both")
        << base << QByteArray("[s] ;a\nk=1\nj=1\n[t]\nz=0\n") << QByteArray("[s] ;b\nk=1\nj=1\n[t]\nz=0\n")
        << true << QStringList{QStringLiteral("changed-on-both [s]#0")} << PreferTheirs
        << QByteArray("[s] ;b\nk=1\nj=1\n[t]\nz=0\n");
    QTest::addRow("second occurrence changed by theirs")
        << QByteArray("[s]\nx=1\nx=2\n") << QByteArray("[s]\nx=1\r\nx=2 ;mine\n")
        << QByteArray("[s]\nx=1\nx=3\n") << false << QStringList() << Default
        << QByteArray("[s]\nx=1\r\nx=3 ;mine\n");
    QTest::addRow("items with an empty name")
        << QByteArray("=a\n[s]\n") << QByteArray("=a\n[s]\n") << QByteArray("=b\n[s]\n=c\n") << false
        << QStringList() << Default << QByteArray("=b\n[s]\n=c\n");
    QTest::addRow("item added before the first header of a mine without one")
        << base << QByteArray("[s]\nk=1\nj=1\n[t]\nz=0\n") << "top=1\n" + base << false << QStringList()
        << Default << "top=1\n" + base;
}

void TestCompare::merge()
{
    QFETCH(QByteArray, base);
    QFETCH(QByteArray, mine);
    QFETCH(QByteArray, theirs);
    QFETCH(bool, withComments);
    QFETCH(QStringList, conflicts);
    QFETCH(Prefer, prefer);
    QFETCH(QByteArray, after);
    TKvMemIni baseIni;
    TKvMemIni mineIni;
    TKvMemIni theirsIni;
    Load(baseIni, base);
    Load(mineIni, mine);
    Load(theirsIni, theirs);
    TKvCompareOptions options;
    options.WithComments = withComments;
    TKvMergePlan plan = KvMerge::Plan(baseIni, mineIni, theirsIni, options);
    QStringList found;
    for (const TKvMergeStep &step : plan.Steps) {
        QVERIFY(!step.TakeTheirs); // MINE wins every conflict until told otherwise
        if (step.IsConflict())
            found << DescribeConflict(step);
    }
    QCOMPARE(found, conflicts);
    QCOMPARE(plan.ConflictCount(), conflicts.size());
    if (prefer != Default)
        KvMerge::PreferTheirs(plan, prefer == PreferTheirs);
    KvMerge::Apply(mineIni, plan, options);
    mineIni.KeepLayout = true;
    QCOMPARE(mineIni.Encode(mineIni.Encoding), after);
}

// Each conflict is decided on its own: THEIRS wins the second one only.
void TestCompare::takeTheirsPerConflict()
{
    TKvMemIni base;
    TKvMemIni mine;
    TKvMemIni theirs;
    Load(base, "[s]\na=0\nb=0\nc=0\n");
    Load(mine, "[s]\na=1\nb=1\nc=0\n");
    Load(theirs, "[s]\na=2\nb=2\nc=2\n");
    TKvMergePlan plan = KvMerge::Plan(base, mine, theirs);
    QCOMPARE(plan.ConflictCount(), 2);
    int conflict = 0;
    for (TKvMergeStep &step : plan.Steps) {
        if (step.IsConflict())
            step.TakeTheirs = conflict++ == 1;
    }
    KvMerge::Apply(mine, plan);
    mine.KeepLayout = true;
    QCOMPARE(mine.Encode(mine.Encoding), QByteArray("[s]\na=1\nb=2\nc=2\n"));
}

// A conflict names the versions of all three documents, for showing them.
void TestCompare::planPointsIntoTheThreeDocuments()
{
    TKvMemIni base;
    TKvMemIni mine;
    TKvMemIni theirs;
    Load(base, "[s]\nk=0\n");
    Load(mine, "[s]\nk=1\n");
    Load(theirs, "[s]\nk=2\n");
    const TKvMergePlan plan = KvMerge::Plan(base, mine, theirs);
    QCOMPARE(plan.Steps.size(), size_t(1));
    const TKvMergeStep &step = plan.Steps.front();
    QCOMPARE(step.Conflict, TKvConflict::ChangedOnBoth);
    QCOMPARE(step.SectionBase, base.Sections[0]);
    QCOMPARE(step.Change.SectionA, mine.Sections[0]);
    QCOMPARE(step.Change.SectionB, theirs.Sections[0]);
    QCOMPARE(step.ValBase->Value(), QStringLiteral("0"));
    QCOMPARE(step.Change.ValA->Value(), QStringLiteral("1"));
    QCOMPARE(step.Change.ValB->Value(), QStringLiteral("2"));
}

QTEST_GUILESS_MAIN(TestCompare)
#include "tst_compare.moc"
