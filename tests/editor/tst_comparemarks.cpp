// The marks the two lists show in a comparison: what each section and entry
// is against the other document, the other document's version, what this
// one lacks, and the way from difference to difference.
#include "../core/loadbytes.h"
#include "compare/comparemarks.h"

#include <QTest>

namespace {

void Load(TKvMemIni &ini, const QByteArray &bytes)
{
    QVERIFY(LoadBytes(ini, bytes) >= 0);
}

QString MarkName(TCompareMark mark)
{
    static const char *const names[] = {"same", "added", "removed", "changed"};
    return QLatin1String(names[int(mark)]);
}

// Every section as "name=mark", then its entries that are not Same as
// " index:mark" with "(other value)" where the other document has one, then
// " lacks key=value" per item it lacks; sections joined by " | ", then
// " | lacks [name]" per section the document lacks.
QString Describe(const TKvMemIni &ini, const TCompareMarks &marks)
{
    QStringList sections;
    for (qint32 i = 0; i < ini.Sections.Count(); ++i) {
        const TKvIniSection *section = ini.Sections[i];
        QString text = section->Name + u'=' + MarkName(marks.SectionMark(i));
        for (qint32 j = 0; j < section->Vals.Count(); ++j) {
            if (marks.EntryMark(i, j) == TCompareMark::Same)
                continue;
            text += QStringLiteral(" %1:%2").arg(j).arg(MarkName(marks.EntryMark(i, j)));
            if (const TKvIniVal *other = marks.OtherEntry(i, j))
                text += u'(' + other->Value() + u')';
        }
        for (const TKvIniVal *missing : marks.MissingEntries(i))
            text += QStringLiteral(" lacks %1=%2").arg(missing->Name(), missing->Value());
        sections << text;
    }
    for (const TKvIniSection *missing : marks.MissingSections())
        sections << QStringLiteral("lacks [%1]").arg(missing->Name);
    return sections.join(QStringLiteral(" | "));
}

QString Describe(const std::vector<TComparePosition> &stops)
{
    QStringList out;
    for (const TComparePosition &stop : stops)
        out << QStringLiteral("%1/%2").arg(stop.Section).arg(stop.Entry);
    return out.join(u' ');
}

} // namespace

Q_DECLARE_METATYPE(TCompareSide)
Q_DECLARE_METATYPE(TComparePosition)

class TestCompareMarks : public QObject
{
    Q_OBJECT

private slots:
    void marks_data();
    void marks();
    void nextAndPrevious_data();
    void nextAndPrevious();
    void positionsBeyondTheDocument();
    void otherSectionOfAChangedSection();
    void takeTheOtherVersion_data();
    void takeTheOtherVersion();
};

void TestCompareMarks::marks_data()
{
    QTest::addColumn<QByteArray>("a");
    QTest::addColumn<QByteArray>("b");
    QTest::addColumn<bool>("withComments");
    QTest::addColumn<TCompareSide>("side");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("stops");

    const QByteArray a = "[s]\nk=1\nj=1\n[t]\nz=0\n";
    QTest::addRow("equal") << a << QByteArray("[t]\nz=0\n[s]\nj=1\nk=1\n") << false << TCompareSide::A
                           << QStringLiteral("s=same | t=same") << QString();
    const QByteArray changed = "[s]\nk=2\nj=1\n[t]\nz=0\n";
    QTest::addRow("changed value, side A")
        << a << changed << false << TCompareSide::A << QStringLiteral("s=changed 0:changed(2) | t=same")
        << QStringLiteral("0/0");
    QTest::addRow("changed value, side B")
        << a << changed << false << TCompareSide::B << QStringLiteral("s=changed 0:changed(1) | t=same")
        << QStringLiteral("0/0");
    const QByteArray added = "[s]\nk=1\nj=1\nn=3\n[t]\nz=0\n";
    QTest::addRow("item only in B, side A")
        << a << added << false << TCompareSide::A << QStringLiteral("s=changed lacks n=3 | t=same")
        << QStringLiteral("0/-1");
    QTest::addRow("item only in B, side B")
        << a << added << false << TCompareSide::B << QStringLiteral("s=changed 2:added | t=same")
        << QStringLiteral("0/2");
    QTest::addRow("item only in A, side A")
        << added << a << false << TCompareSide::A << QStringLiteral("s=changed 2:removed | t=same")
        << QStringLiteral("0/2");
    const QByteArray noT = "[s]\nk=1\nj=1\n";
    QTest::addRow("section only in A, side A")
        << a << noT << false << TCompareSide::A << QStringLiteral("s=same | t=removed 0:removed")
        << QStringLiteral("1/-1");
    QTest::addRow("section only in A, side B")
        << a << noT << false << TCompareSide::B << QStringLiteral("s=same | lacks [t]") << QString();
    QTest::addRow("section only in B, side B, every line marked")
        << noT << QByteArray("[s]\nk=1\nj=1\n[u]\n;note\nw=1\n") << false << TCompareSide::B
        << QStringLiteral("s=same | u=added 0:added 1:added") << QStringLiteral("1/-1");
    QTest::addRow("comment lines keep the entry positions")
        << QByteArray("[s]\n;c\nk=1\n\nj=1\n") << QByteArray("[s]\nk=1\nj=2\n") << false << TCompareSide::A
        << QStringLiteral("s=changed 3:changed(2)") << QStringLiteral("0/3");
    QTest::addRow("section comment compared")
        << a << QByteArray("[s] ;c\nk=1\nj=1\n[t]\nz=0\n") << true << TCompareSide::A
        << QStringLiteral("s=changed | t=same") << QStringLiteral("0/-1");
    QTest::addRow("section comment not compared")
        << a << QByteArray("[s] ;c\nk=1\nj=1\n[t]\nz=0\n") << false << TCompareSide::A
        << QStringLiteral("s=same | t=same") << QString();
    QTest::addRow("text before the first header only in B, side A")
        << a << "top=1\n" + a << false << TCompareSide::A << QStringLiteral("s=same | t=same | lacks []")
        << QString();
    QTest::addRow("text before the first header only in B, side B")
        << a << "top=1\n" + a << false << TCompareSide::B
        << QStringLiteral("=changed 0:added | s=same | t=same") << QStringLiteral("0/0");
    QTest::addRow("duplicate keys by occurrence")
        << QByteArray("[s]\nx=1\nx=2\n") << QByteArray("[s]\nx=1\nx=3\nx=4\n") << false << TCompareSide::A
        << QStringLiteral("s=changed 1:changed(3) lacks x=4") << QStringLiteral("0/-1 0/1");
    QTest::addRow("everything at once, side A")
        << QByteArray("[s]\nk=1\nr=1\n[gone]\nz=0\n[t]\nq=1\n")
        << QByteArray("[s]\nk=2\nn=1\n[t]\nq=1\n[new]\n") << false << TCompareSide::A
        << QStringLiteral(
               "s=changed 0:changed(2) 1:removed lacks n=1 | gone=removed 0:removed | t=same | lacks [new]")
        << QStringLiteral("0/-1 0/0 0/1 1/-1");
}

void TestCompareMarks::marks()
{
    QFETCH(QByteArray, a);
    QFETCH(QByteArray, b);
    QFETCH(bool, withComments);
    QFETCH(TCompareSide, side);
    QFETCH(QString, expected);
    QFETCH(QString, stops);
    TKvMemIni first;
    TKvMemIni second;
    Load(first, a);
    Load(second, b);
    TKvCompareOptions options;
    options.WithComments = withComments;
    const std::vector<TKvDifference> differences = KvCompare::Diff(first, second, options);
    const TKvMemIni &shown = side == TCompareSide::A ? first : second;
    const TCompareMarks marks(shown, differences, side);
    QCOMPARE(Describe(shown, marks), expected);
    QCOMPARE(Describe(marks.Stops()), stops);
    QCOMPARE(marks.Equal(), differences.empty());
}

// Stops at 0/-1, 0/1, 2/0 and 2/2 (section 1 is alike).
void TestCompareMarks::nextAndPrevious_data()
{
    QTest::addColumn<TComparePosition>("from");
    QTest::addColumn<QString>("next");
    QTest::addColumn<QString>("previous");
    QTest::addRow("before everything") << TComparePosition{-1, -1} << QStringLiteral("0/-1") << QString();
    QTest::addRow("on a section's own stop") << TComparePosition{0, -1} << QStringLiteral("0/1") << QString();
    QTest::addRow("between two stops")
        << TComparePosition{0, 0} << QStringLiteral("0/1") << QStringLiteral("0/-1");
    QTest::addRow("on the last stop of a section")
        << TComparePosition{0, 1} << QStringLiteral("2/0") << QStringLiteral("0/-1");
    QTest::addRow("on an alike section's row")
        << TComparePosition{1, -1} << QStringLiteral("2/0") << QStringLiteral("0/1");
    QTest::addRow("on an alike section's entry")
        << TComparePosition{1, 0} << QStringLiteral("2/0") << QStringLiteral("0/1");
    QTest::addRow("on the last stop") << TComparePosition{2, 2} << QString() << QStringLiteral("2/0");
    QTest::addRow("after everything") << TComparePosition{9, 9} << QString() << QStringLiteral("2/2");
}

void TestCompareMarks::nextAndPrevious()
{
    QFETCH(TComparePosition, from);
    QFETCH(QString, next);
    QFETCH(QString, previous);
    TKvMemIni a;
    TKvMemIni b;
    Load(a, "[s]\nk=1\nj=1\n[t]\nz=0\n[u]\nx=1\ny=1\nw=1\n");
    Load(b, "[s]\nk=1\nj=2\nn=1\n[t]\nz=0\n[u]\nx=2\ny=1\nw=2\n");
    const TCompareMarks marks(a, KvCompare::Diff(a, b), TCompareSide::A);
    QCOMPARE(Describe(marks.Stops()), QStringLiteral("0/-1 0/1 2/0 2/2"));
    const auto describe = [](const std::optional<TComparePosition> &position) {
        return position ? QStringLiteral("%1/%2").arg(position->Section).arg(position->Entry) : QString();
    };
    QCOMPARE(describe(marks.Next(from)), next);
    QCOMPARE(describe(marks.Previous(from)), previous);
}

// Positions the document does not have (a list row about to go, a stale
// selection) read as alike, with nothing in the other document.
void TestCompareMarks::positionsBeyondTheDocument()
{
    TKvMemIni a;
    TKvMemIni b;
    Load(a, "[s]\nk=1\n");
    Load(b, "[s]\nk=2\n");
    const TCompareMarks marks(a, KvCompare::Diff(a, b), TCompareSide::A);
    QCOMPARE(marks.EntryMark(0, 0), TCompareMark::Changed);
    for (const auto &[section, entry] : {std::pair{-1, 0}, {1, 0}, {0, -1}, {0, 1}, {0, 99}}) {
        QCOMPARE(marks.EntryMark(section, entry), TCompareMark::Same);
        QCOMPARE(marks.OtherEntry(section, entry), nullptr);
    }
    QCOMPARE(marks.SectionMark(5), TCompareMark::Same);
    QCOMPARE(marks.OtherSection(-1), nullptr);
    QVERIFY(marks.MissingEntries(7).empty());

    const TCompareMarks none;
    QVERIFY(none.Equal());
    QCOMPARE(none.SectionMark(0), TCompareMark::Same);
    QVERIFY(!none.Next({}).has_value());
}

// A changed section names the other document's section, for a tooltip of
// its comment; an alike one names nothing.
void TestCompareMarks::otherSectionOfAChangedSection()
{
    TKvMemIni a;
    TKvMemIni b;
    Load(a, "[s] ;old\nk=1\n[t]\nz=0\n");
    Load(b, "[t]\nz=0\n[s] ;new\nk=1\n");
    TKvCompareOptions options;
    options.WithComments = true;
    const TCompareMarks marks(a, KvCompare::Diff(a, b, options), TCompareSide::A);
    QCOMPARE(marks.OtherSection(0), b.Sections[1]);
    QCOMPARE(marks.OtherSection(1), nullptr);
}

// The differences behind an entry or a section, handed to KvCompare::Apply,
// make just that entry or section like the other document's.
void TestCompareMarks::takeTheOtherVersion_data()
{
    QTest::addColumn<TComparePosition>("at");
    QTest::addColumn<QByteArray>("after");
    QTest::addRow("a changed entry") << TComparePosition{0, 0}
                                     << QByteArray("[s]\nk=2\nr=1\n[t]\nq=1\nz=1\n");
    QTest::addRow("an entry only here") << TComparePosition{0, 1} << QByteArray("[s]\nk=1\n[t]\nq=1\nz=1\n");
    QTest::addRow("a whole section") << TComparePosition{0, -1}
                                     << QByteArray("[s]\nk=2\nn=1\n[t]\nq=1\nz=1\n");
    QTest::addRow("an alike entry") << TComparePosition{1, 0} << QByteArray("[s]\nk=1\nr=1\n[t]\nq=1\nz=1\n");
}

void TestCompareMarks::takeTheOtherVersion()
{
    QFETCH(TComparePosition, at);
    QFETCH(QByteArray, after);
    TKvMemIni a;
    TKvMemIni b;
    Load(a, "[s]\nk=1\nr=1\n[t]\nq=1\nz=1\n");
    Load(b, "[s]\nk=2\nn=1\n[t]\nq=1\nz=1\n");
    const std::vector<TKvDifference> differences = KvCompare::Diff(a, b);
    const TCompareMarks marks(a, differences, TCompareSide::A);
    std::vector<const TKvDifference *> taken;
    if (at.Entry < 0) {
        taken = marks.SectionDifferences(at.Section);
    } else if (const TKvDifference *difference = marks.EntryDifference(at.Section, at.Entry)) {
        QCOMPARE(marks.EntryMark(at.Section, at.Entry) == TCompareMark::Same, false);
        taken.push_back(difference);
    }
    KvCompare::Apply(a, taken, {});
    a.KeepLayout = true;
    QCOMPARE(a.Encode(a.Encoding), after);
}

QTEST_GUILESS_MAIN(TestCompareMarks)
#include "tst_comparemarks.moc"
