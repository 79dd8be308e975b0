// The document model: the pointer vector, entries, sections and the document.
#include "kvmemini.h"

#include <QTest>

namespace {

// An element that records its destruction.
struct Tracked
{
    explicit Tracked(int *destroyed) : m_destroyed(destroyed) {}
    ~Tracked() { ++*m_destroyed; }
    int *m_destroyed;
};

} // namespace

class TestModel : public QObject
{
    Q_OBJECT

private slots:
    void growthRule();
    void insertIndexes_data();
    void insertIndexes();
    void removeAt_data();
    void removeAt();
    void deleteAndClear();
    void replaceTakesOutWithoutDestroying();
    void reverse_data();
    void reverse();
    void reserveKeepsElements();

    void fieldNormalisation_data();
    void fieldNormalisation();
    void kindRule_data();
    void kindRule();
    void settersOnParsedEntry();
    void handedOutTextsOutliveTheDocument();

    void countAll();
    void indexOfSectionName();
    void sectionsOwnEntries();
};

void TestModel::growthRule()
{
    int destroyed = 0;
    TKvPtrVector<Tracked> vector;
    QCOMPARE(vector.Capacity(), 0);
    QList<int> capacities;
    QList<int> growAt;
    for (int i = 1; i <= 70; ++i) {
        const int before = vector.Capacity();
        vector.Add(new Tracked(&destroyed));
        if (vector.Capacity() != before) {
            capacities << vector.Capacity();
            growAt << i;
        }
    }
    QCOMPARE(capacities, (QList<int>{5, 10, 20, 30, 45, 67, 88}));
    QCOMPARE(growAt, (QList<int>{1, 6, 11, 21, 31, 46, 68}));
    for (int i = vector.Count(); i < vector.Capacity(); ++i)
        QVERIFY(vector.Items()[i] == nullptr);
    vector.Clear();
    QCOMPARE(destroyed, 70);
    QCOMPARE(vector.Capacity(), 88);
}

void TestModel::insertIndexes_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("order");
    QTest::addRow("below zero puts first") << -3 << "xabc";
    QTest::addRow("zero") << 0 << "xabc";
    QTest::addRow("middle") << 2 << "abxc";
    QTest::addRow("at count appends") << 3 << "abcx";
    QTest::addRow("beyond count appends") << 99 << "abcx";
}

void TestModel::insertIndexes()
{
    QFETCH(int, index);
    QFETCH(QString, order);
    TKvIniSection section;
    for (const char *name : {"a", "b", "c"})
        section.AddVal(QString::fromLatin1(name), u"", u"");
    section.InsertVal(index, u"x", u"", u"");
    QString names;
    for (const TKvIniVal *val : section.Vals)
        names += val->Name();
    QCOMPARE(names, order);
}

void TestModel::removeAt_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("order");
    QTest::addRow("minus one ignored") << -1 << "abc";
    QTest::addRow("count ignored") << 3 << "abc";
    QTest::addRow("first") << 0 << "bc";
    QTest::addRow("last") << 2 << "ab";
}

void TestModel::removeAt()
{
    QFETCH(int, index);
    QFETCH(QString, order);
    TKvIniSection section;
    QList<TKvIniVal *> made;
    for (const char *name : {"a", "b", "c"})
        made << section.AddVal(QString::fromLatin1(name), u"", u"");
    section.Vals.RemoveAt(index);
    QString names;
    for (const TKvIniVal *val : section.Vals)
        names += val->Name();
    QCOMPARE(names, order);
    QVERIFY(section.Vals.Items()[section.Vals.Count()] == nullptr);
    // RemoveAt does not destroy: the caller owns what was taken out.
    for (TKvIniVal *val : made) {
        if (section.IndexOfVal(val) < 0)
            delete val;
    }
}

void TestModel::deleteAndClear()
{
    int destroyed = 0;
    TKvPtrVector<Tracked> vector;
    auto *a = new Tracked(&destroyed);
    vector.Add(a);
    vector.Add(new Tracked(&destroyed));
    Tracked stranger(&destroyed);
    vector.Delete(&stranger);
    QCOMPARE(destroyed, 0);
    QCOMPARE(vector.Count(), 2);
    vector.Delete(a);
    QCOMPARE(destroyed, 1);
    QCOMPARE(vector.Count(), 1);
    QCOMPARE(vector.IndexOf(a), -1);
    vector.Clear();
    QCOMPARE(destroyed, 2);
    QCOMPARE(vector.Count(), 0);
    QCOMPARE(vector.Capacity(), 5);
    QCOMPARE(vector.IndexOf(nullptr, -1), -1);
}

void TestModel::replaceTakesOutWithoutDestroying()
{
    int destroyed = 0;
    TKvPtrVector<Tracked> vector;
    auto *a = new Tracked(&destroyed);
    auto *b = new Tracked(&destroyed);
    vector.Add(a);
    vector.Add(b);
    auto *c = new Tracked(&destroyed);
    QCOMPARE(vector.Replace(0, c), a);
    QCOMPARE(destroyed, 0);
    QCOMPARE(vector.Count(), 2);
    QCOMPARE(vector[0], c);
    QCOMPARE(vector[1], b);
    delete a;
    vector.Clear();
    QCOMPARE(destroyed, 3);
}

void TestModel::reverse_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addColumn<QString>("order");
    QTest::addRow("whole") << 0 << 5 << "edcba";
    QTest::addRow("last clipped") << 2 << 50 << "abedc";
    QTest::addRow("first raised") << -4 << 2 << "bacde";
    QTest::addRow("single slot") << 1 << 2 << "abcde";
    QTest::addRow("empty range") << 3 << 1 << "abcde";
}

void TestModel::reverse()
{
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(QString, order);
    TKvIniSection section;
    for (const char *name : {"a", "b", "c", "d", "e"})
        section.AddVal(QString::fromLatin1(name), u"", u"");
    section.Vals.Reverse(first, last);
    QString names;
    for (const TKvIniVal *val : section.Vals)
        names += val->Name();
    QCOMPARE(names, order);
}

void TestModel::reserveKeepsElements()
{
    TKvIniSection section;
    for (int i = 0; i < 100; ++i)
        section.AddVal(QString::number(i), u"", u"");
    section.Vals.Reserve(50); // smaller: nothing happens
    QCOMPARE(section.Vals.Capacity(), 115);
    section.Vals.Reserve(1000);
    QCOMPARE(section.Vals.Capacity(), 1000);
    QCOMPARE(section.Vals.Count(), 100);
    QCOMPARE(section.Vals[99]->Name(), QStringLiteral("99"));
    QVERIFY(section.Vals.Items()[100] == nullptr && section.Vals.Items()[999] == nullptr);
    // Inserting into a long run moves the block as a whole.
    TKvIniVal *inserted = section.InsertVal(1, u"x", u"", u"");
    QCOMPARE(section.Vals[1]->Name(), QStringLiteral("x"));
    QCOMPARE(section.Vals[2]->Name(), QStringLiteral("1"));
    QCOMPARE(section.Vals[100]->Name(), QStringLiteral("99"));
    section.Vals.RemoveAt(1);
    delete inserted; // taken out, so no longer owned by the section
    QCOMPARE(section.Vals[1]->Name(), QStringLiteral("1"));
    QCOMPARE(section.Vals[99]->Name(), QStringLiteral("99"));
}

void TestModel::fieldNormalisation_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("stored");
    QTest::addRow("spaces and tabs around") << " \t  x  \t" << "x";
    QTest::addRow("line feed becomes a space") << "\tline1\nline2\r" << "line1 line2";
    QTest::addRow("crlf") << "a\r\nb" << "a b";
    QTest::addRow("inner tab kept") << "a\tb" << "a\tb";
    QTest::addRow("control dropped") << QStringLiteral("a\x01\x1f") + QChar(0) + QLatin1Char('b') << "ab";
    QTest::addRow("only blanks") << " \t " << "";
    QTest::addRow("trailing after line feed") << "a\n" << "a";
    QTest::addRow("leading line feed stays as a space") << "\nx" << " x";
    QTest::addRow("non-breaking space kept") << QStringLiteral("\u00a0x\u00a0") << QStringLiteral("\u00a0x\u00a0");
}

void TestModel::fieldNormalisation()
{
    QFETCH(QString, input);
    QFETCH(QString, stored);
    TKvIniVal val;
    val.SetValue(input);
    QCOMPARE(val.Value(), stored);
    val.SetName(input);
    QCOMPARE(val.Name(), stored);
    val.SetComment(input);
    QCOMPARE(val.Comment(), stored);
    QCOMPARE(val.Value(), stored);
}

void TestModel::kindRule_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("comment");
    QTest::addColumn<int>("kind");
    QTest::addRow("nothing") << "" << "" << "" << int(ikBlank);
    QTest::addRow("comment only") << "" << "" << "c" << int(ikComment);
    QTest::addRow("value only") << "" << "v" << "" << int(ikError);
    QTest::addRow("value and comment") << "" << "v" << "c" << int(ikError);
    QTest::addRow("name only") << "n" << "" << "" << int(ikValue);
    QTest::addRow("all") << "n" << "v" << "c" << int(ikValue);
    QTest::addRow("blanks count as empty") << " " << "\t" << "\r\n" << int(ikBlank);
}

void TestModel::kindRule()
{
    QFETCH(QString, name);
    QFETCH(QString, value);
    QFETCH(QString, comment);
    QFETCH(int, kind);
    const TKvIniVal made(name, value, comment);
    QCOMPARE(int(made.Kind()), kind);
    QCOMPARE(made.IsEmpty(), kind == ikBlank);

    TKvIniVal set(ikValue);
    set.SetName(name);
    set.SetValue(value);
    set.SetComment(comment);
    QCOMPARE(int(set.Kind()), kind);
}

void TestModel::settersOnParsedEntry()
{
    TKvMemIni ini;
    QVERIFY(ini.Parse(QStringLiteral("[s]\r\nkey = value ; note\r\n")));
    TKvIniVal *val = ini.Sections[0]->Vals[0];
    QCOMPARE(int(val->Kind()), int(ikValue));
    val->SetName(u"");
    QCOMPARE(int(val->Kind()), int(ikError));
    QCOMPARE(val->Value(), QStringLiteral("value"));
    QCOMPARE(val->Comment(), QStringLiteral("note"));
    val->SetValue(u"");
    QCOMPARE(int(val->Kind()), int(ikComment));
    val->SetComment(u"");
    QCOMPARE(int(val->Kind()), int(ikBlank));
    QVERIFY(val->IsEmpty());
    val->SetName(u"a much longer name than before");
    QCOMPARE(val->Name(), QStringLiteral("a much longer name than before"));
    QCOMPARE(int(val->Kind()), int(ikValue));
}

void TestModel::handedOutTextsOutliveTheDocument()
{
    QString name;
    QString comment;
    {
        TKvMemIni ini;
        QVERIFY(ini.Parse(QStringLiteral("[s] ;head\nk=v ;c\n")));
        name = ini.Sections[0]->Vals[0]->Name();
        comment = ini.Sections[0]->Comment;
        ini.Sections[0]->Vals[0]->SetName(u"changed");
        ini.Clear();
    }
    QCOMPARE(name, QStringLiteral("k"));
    QCOMPARE(comment, QStringLiteral("head"));
}

void TestModel::countAll()
{
    TKvMemIni ini;
    TKvIniCounts counts = ini.CountAll();
    QCOMPARE(counts.Sections + counts.Values + counts.Comments + counts.Errors + counts.Blanks, 0);

    ini.AddSection(QString())->AddVal(u"", u"", u"");
    counts = ini.CountAll();
    QCOMPARE(counts.Sections, 1);
    QCOMPARE(counts.Blanks, 1);
    QCOMPARE(counts.Values + counts.Comments + counts.Errors, 0);

    QVERIFY(ini.Parse(QStringLiteral("[a]\nk=v\n;c\nbad\n\n[b]\nx=1\ny=2\n")));
    counts = ini.CountAll();
    QCOMPARE(counts.Sections, 3);
    QCOMPARE(counts.Values, 3);
    QCOMPARE(counts.Comments, 1);
    QCOMPARE(counts.Errors, 1);
    QCOMPARE(counts.Blanks, 2);

    // CountKinds adds to what the counters hold.
    TKvIniCounts running;
    running.Values = 10;
    QCOMPARE(ini.Sections[2]->CountKinds(running), 2);
    QCOMPARE(running.Values, 12);
}

void TestModel::indexOfSectionName()
{
    TKvMemIni ini;
    ini.AddSection(QStringLiteral("main"));
    ini.AddSection(QStringLiteral("Main "));
    ini.AddSection(QStringLiteral("Main"));
    QCOMPARE(ini.IndexOfSectionName(u"Main"), 2);
    QCOMPARE(ini.IndexOfSectionName(u"main"), 0);
    QCOMPARE(ini.IndexOfSectionName(u"MAIN"), -1);
    QVERIFY(!ini.SectionExists(u"mai"));
    TKvIniSection *inserted = ini.InsertSection(1, QStringLiteral("x"));
    QCOMPARE(ini.IndexOfSection(inserted), 1);
    QCOMPARE(ini.IndexOfSection(inserted, 2), -1);
    ini.DeleteSection(inserted);
    QCOMPARE(ini.Sections.Count(), 3);
}

void TestModel::sectionsOwnEntries()
{
    // The sanitizer build reports a leak or a double free if ownership is wrong.
    TKvMemIni ini;
    QVERIFY(ini.Parse(QStringLiteral("a=1\n[s]\nb=2\n;c\n")));
    TKvIniSection *section = ini.Sections[1];
    TKvIniVal *val = section->AddVal(u"k", u"v", u"c");
    section->DeleteVal(val);
    section->DeleteVal(val); // no longer there: nothing happens
    QCOMPARE(section->Vals.Count(), 2);
    ini.DeleteSection(ini.Sections[0]);
    QCOMPARE(ini.Sections.Count(), 1);
    QCOMPARE(ini.Sections[0]->Vals[0]->Name(), QStringLiteral("b"));
}

QTEST_GUILESS_MAIN(TestModel)
#include "tst_model.moc"
