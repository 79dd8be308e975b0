// Pairing items of several sides by name and occurrence (KvNameMatch):
// pairing by position where the names are aligned must give the very rows,
// in the very order, that the chains give.
#include "kvnamematch.h"

#include <QRandomGenerator>
#include <QTest>

#include <map>
#include <memory>

using namespace KvNameMatch;

namespace {

// The items of one side, made from their names.
struct Items
{
    std::vector<std::unique_ptr<TKvIniVal>> Owned;
    std::vector<const TKvIniVal *> Vals;

    explicit Items(const QStringList &names)
    {
        for (const QString &name : names) {
            Owned.emplace_back(new TKvIniVal(name, u"v", {}));
            Vals.push_back(Owned.back().get());
        }
    }
    Side<TKvIniVal> View() const { return {Vals.data(), Vals.size()}; }
};

// Each row as "name#occurrence p|q|…", p the position on side 0 ("-" where
// the side lacks the name).
template <int N>
QStringList Describe(const Matching<TKvIniVal, N> &matching, const std::array<const Items *, N> &sides)
{
    std::array<std::map<const TKvIniVal *, int>, N> positions;
    for (int s = 0; s < N; ++s) {
        for (size_t i = 0; i < sides[s]->Vals.size(); ++i)
            positions[s][sides[s]->Vals[i]] = int(i);
    }
    QStringList out;
    for (const Row<TKvIniVal, N> &row : matching.Rows) {
        QStringList places;
        for (int s = 0; s < N; ++s)
            places << (row.Side[s] ? QString::number(positions[s].at(row.Side[s])) : QStringLiteral("-"));
        out << QStringLiteral("%1#%2 %3")
                   .arg(row.Name().toString())
                   .arg(row.Occurrence)
                   .arg(places.join(u'|'));
    }
    return out;
}

template <int N> std::array<Side<TKvIniVal>, N> Views(const std::array<const Items *, N> &sides)
{
    std::array<Side<TKvIniVal>, N> views;
    for (int s = 0; s < N; ++s)
        views[s] = sides[s]->View();
    return views;
}

// Both ways of pairing, occurrences counted: the rows must be the same.
template <int N>
void CheckBothWays(const std::array<const Items *, N> &sides, bool fold, const QStringList &expected)
{
    std::optional<Matching<TKvIniVal, N>> byPosition = MatchByPosition<TKvIniVal, N>(Views<N>(sides), fold);
    QVERIFY(byPosition);
    byPosition->EnsureOccurrences();
    Matching<TKvIniVal, N> inChains = MatchInChains<TKvIniVal, N>(Views<N>(sides), fold);
    QCOMPARE(Describe<N>(*byPosition, sides), expected);
    QCOMPARE(Describe<N>(inChains, sides), expected);
}

QStringList Names(const char *spaced)
{
    return QString::fromLatin1(spaced).split(u' ', Qt::SkipEmptyParts);
}

} // namespace

class TestNameMatch : public QObject
{
    Q_OBJECT

private slots:
    void twoSides_data();
    void twoSides();
    void threeSides_data();
    void threeSides();
    void occurrencesOfSomeRows();
    void givesUpWhenFewAreAligned();
    void randomSidesPairAsTheChainsDo();
};

void TestNameMatch::twoSides_data()
{
    QTest::addColumn<QStringList>("a");
    QTest::addColumn<QStringList>("b");
    QTest::addColumn<bool>("fold");
    QTest::addColumn<QStringList>("expected");

    QTest::addRow("in step") << Names("a x x b") << Names("a x x b") << false
                             << Names("a#0_0|0 x#0_1|1 x#1_2|2 b#0_3|3");
    // x stands at an unaligned position once, so all its occurrences pair in
    // the chains: the one at position 0 still pairs with the first x.
    QTest::addRow("duplicate at an unaligned position") << Names("x a b x c") << Names("x a x b c") << false
                                                        << Names("x#0_0|0 a#0_1|1 b#0_2|3 x#1_3|2 c#0_4|4");
    QTest::addRow("replaced key amid aligned duplicates")
        << Names("x x k x y") << Names("x x j x y") << false
        << Names("x#0_0|0 x#1_1|1 k#0_2|- x#2_3|3 y#0_4|4 j#0_-|2");
    QTest::addRow("second side longer")
        << Names("a b c") << Names("a b c c d") << false << Names("a#0_0|0 b#0_1|1 c#0_2|2 c#1_-|3 d#0_-|4");
    QTest::addRow("first side longer")
        << Names("a b c c d") << Names("a b c") << false << Names("a#0_0|0 b#0_1|1 c#0_2|2 c#1_3|- d#0_4|-");
    QTest::addRow("an empty side") << Names("a b") << QStringList() << false << Names("a#0_0|- b#0_1|-");
    QTest::addRow("aligned by folding")
        << Names("Key x KEY") << Names("key y key") << true << Names("Key#0_0|0 x#0_1|- KEY#1_2|2 y#0_-|1");
    // KEY at an unaligned position unsettles "Key" at the aligned position 0.
    QTest::addRow("unsettled by another spelling")
        << Names("Key a KEY") << Names("key KEY b") << true << Names("Key#0_0|0 a#0_1|- KEY#1_2|1 b#0_-|2");
    // k at the aligned position 2 is the second of its name on one side and
    // the first on the other.
    QTest::addRow("an aligned name counted with other spellings")
        << Names("K a k") << Names("b c k") << true << Names("K#0_0|2 a#0_1|- k#1_2|- b#0_-|0 c#0_-|1");
    QTest::addRow("spellings differ without folding")
        << Names("Key a") << Names("key a") << false << Names("Key#0_0|- a#0_1|1 key#0_-|0");
}

void TestNameMatch::twoSides()
{
    QFETCH(QStringList, a);
    QFETCH(QStringList, b);
    QFETCH(bool, fold);
    QFETCH(QStringList, expected);
    expected.replaceInStrings(QStringLiteral("_"), QStringLiteral(" "));
    const Items first(a);
    const Items second(b);
    CheckBothWays<2>({&first, &second}, fold, expected);
}

void TestNameMatch::threeSides_data()
{
    QTest::addColumn<QStringList>("base");
    QTest::addColumn<QStringList>("mine");
    QTest::addColumn<QStringList>("theirs");
    QTest::addColumn<QStringList>("expected");

    QTest::addRow("one side unaligned") << Names("a b c d") << Names("a b c d") << Names("a c b d")
                                        << Names("a#0_0|0|0 b#0_1|1|2 c#0_2|2|1 d#0_3|3|3");
    // Rows new on mine come before rows new on theirs.
    QTest::addRow("added on the later sides") << Names("a b") << Names("a b m") << Names("a b t")
                                              << Names("a#0_0|0|0 b#0_1|1|1 m#0_-|2|- t#0_-|-|2");
    QTest::addRow("removed on one, aligned duplicates")
        << Names("x a x b") << Names("x a x") << Names("x a x b")
        << Names("x#0_0|0|0 a#0_1|1|1 x#1_2|2|2 b#0_3|-|3");
    QTest::addRow("a duplicate added on two sides") << Names("x y") << Names("x y x") << Names("x y z x")
                                                    << Names("x#0_0|0|0 y#0_1|1|1 x#1_-|2|3 z#0_-|-|2");
}

void TestNameMatch::threeSides()
{
    QFETCH(QStringList, base);
    QFETCH(QStringList, mine);
    QFETCH(QStringList, theirs);
    QFETCH(QStringList, expected);
    expected.replaceInStrings(QStringLiteral("_"), QStringLiteral(" "));
    const Items first(base);
    const Items second(mine);
    const Items third(theirs);
    CheckBothWays<3>({&first, &second, &third}, false, expected);
}

// Counting a few rows counts them as counting all does, also when a later
// call asks for rows between and beyond those counted before.
void TestNameMatch::occurrencesOfSomeRows()
{
    const Items a(Names("x y x z x y x k"));
    const Items b(Names("x y x z x y x j"));
    Matching<TKvIniVal, 2> some = Match<TKvIniVal, 2>({a.View(), b.View()}, false);
    Matching<TKvIniVal, 2> all = Match<TKvIniVal, 2>({a.View(), b.View()}, false);
    all.EnsureOccurrences();
    const std::vector<size_t> fourth = {4};
    some.EnsureOccurrences(fourth);
    QCOMPARE(some.Rows[4].Occurrence, 2);
    const std::vector<size_t> more = {6, 2, 5, 8};
    some.EnsureOccurrences(more);
    for (size_t row : {2, 4, 5, 6, 8})
        QCOMPARE(some.Rows[row].Occurrence, all.Rows[row].Occurrence);
    QCOMPARE(all.Rows[6].Occurrence, 3);
    QCOMPARE(all.Rows[8].Name().toString(), QStringLiteral("j"));
}

// A line inserted at the front shifts every position: nothing is aligned.
void TestNameMatch::givesUpWhenFewAreAligned()
{
    const Items a(Names("a b c d"));
    const Items b(Names("n a b c d"));
    QVERIFY(!(MatchByPosition<TKvIniVal, 2>({a.View(), b.View()}, false, 4)));
    QVERIFY((MatchByPosition<TKvIniVal, 2>({a.View(), b.View()}, false, 9)));
    const std::array<const Items *, 2> sides = {&a, &b};
    QCOMPARE(Describe<2>(Match<TKvIniVal, 2>({a.View(), b.View()}, false), sides),
             Names("a#0_0|1 b#0_1|2 c#0_2|3 d#0_3|4 n#0_-|0")
                 .replaceInStrings(QStringLiteral("_"), QStringLiteral(" ")));
}

// Sides made from one list by a few random edits (a name replaced, inserted,
// removed, two swapped), with duplicates and two spellings: both ways pair
// alike, and counting a random few rows agrees with counting all.
void TestNameMatch::randomSidesPairAsTheChainsDo()
{
    QRandomGenerator random(2022);
    const QStringList alphabet = Names("a b c d e f g h A B");
    auto randomName = [&] { return alphabet[int(random.bounded(alphabet.size()))]; };
    auto edited = [&](QStringList names) {
        const int edits = int(random.bounded(4));
        for (int e = 0; e < edits; ++e) {
            const int at = int(random.bounded(names.size() + 1));
            switch (random.bounded(4)) {
            case 0:
                if (at < names.size())
                    names[at] = randomName();
                break;
            case 1:
                names.insert(at, randomName());
                break;
            case 2:
                if (at < names.size())
                    names.removeAt(at);
                break;
            default:
                if (at + 1 < names.size())
                    names.swapItemsAt(at, at + 1);
                break;
            }
        }
        return names;
    };
    for (int round = 0; round < 400; ++round) {
        QStringList base;
        const int size = int(random.bounded(30));
        for (int i = 0; i < size; ++i)
            base << randomName();
        const bool fold = random.bounded(2) == 1;
        const Items first(base);
        const Items second(edited(base));
        const Items third(edited(base));
        const std::array<const Items *, 2> two = {&first, &second};
        const std::array<const Items *, 3> three = {&first, &second, &third};

        Matching<TKvIniVal, 2> twoInChains = MatchInChains<TKvIniVal, 2>(Views<2>(two), fold);
        Matching<TKvIniVal, 2> twoByPosition = *MatchByPosition<TKvIniVal, 2>(Views<2>(two), fold);
        std::vector<size_t> few;
        for (size_t row = 0; row < twoByPosition.Rows.size(); ++row) {
            if (random.bounded(4) == 0)
                few.push_back(row);
        }
        twoByPosition.EnsureOccurrences(few);
        for (size_t row : few)
            QCOMPARE(twoByPosition.Rows[row].Occurrence, twoInChains.Rows[row].Occurrence);
        twoByPosition.EnsureOccurrences();
        QCOMPARE(Describe<2>(twoByPosition, two), Describe<2>(twoInChains, two));

        Matching<TKvIniVal, 3> threeByPosition = *MatchByPosition<TKvIniVal, 3>(Views<3>(three), fold);
        threeByPosition.EnsureOccurrences();
        QCOMPARE(Describe<3>(threeByPosition, three),
                 Describe<3>(MatchInChains<TKvIniVal, 3>(Views<3>(three), fold), three));
    }
}

QTEST_GUILESS_MAIN(TestNameMatch)
#include "tst_namematch.moc"
