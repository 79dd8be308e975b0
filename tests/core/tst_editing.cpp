// Editing operations: copying a section, the comment toggle and sorting.
#include "kvmemini.h"

#include <QCollator>
#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <vector>

namespace {

// An entry as one readable string: kind letter, then name|value|comment.
QString Describe(const TKvIniVal &val)
{
    static const char kinds[] = "BVCE";
    return QStringLiteral("%1:%2|%3|%4")
        .arg(QString(QLatin1Char(kinds[val.Kind() & 3])), val.Name(), val.Value(), val.Comment());
}

QStringList Describe(const TKvIniSection &section)
{
    QStringList result;
    for (const TKvIniVal *val : section.Vals)
        result.append(Describe(*val));
    return result;
}

// The line the writer produces for an entry, without its line end.
QString WrittenLine(const TKvIniVal &val)
{
    QString text(val.TextLength(), Qt::Uninitialized);
    QChar *end = val.WriteText(text.data());
    text.truncate(end - text.constData());
    if (text.endsWith(QLatin1String("\r\n")))
        text.chop(2);
    return text;
}

QStringList WrittenLines(const TKvIniSection &section)
{
    QStringList result;
    for (const TKvIniVal *val : section.Vals)
        result.append(WrittenLine(*val));
    return result;
}

// A document of one section "[s]" holding the given lines as the parser reads them.
void ParseSection(TKvMemIni &ini, const QStringList &lines)
{
    QString text = QStringLiteral("[s]\r\n");
    for (const QString &line : lines)
        text.append(line).append(QLatin1String("\r\n"));
    QVERIFY(ini.Parse(text).has_value());
    QCOMPARE(ini.Sections.Count(), 1);
    QCOMPARE(ini.Sections[0]->Vals.Count(), lines.size());
}

// Sections described as "name|entry count|comment"; the entries are value
// items numbered through the document so that every section can be told apart.
void BuildSections(TKvMemIni &ini, const QStringList &descriptions)
{
    int serial = 0;
    for (const QString &description : descriptions) {
        const QStringList parts = description.split(QLatin1Char('|'));
        QCOMPARE(parts.size(), 3);
        TKvIniSection *section = ini.AddSection(parts[0]);
        section->Comment = parts[2];
        for (int i = 0; i < parts[1].toInt(); ++i)
            section->AddVal(QString::number(serial++), QStringLiteral("v"), u"");
    }
}

QStringList DescribeSections(const TKvMemIni &ini)
{
    QStringList result;
    for (const TKvIniSection *section : ini.Sections)
        result.append(
            QStringLiteral("%1|%2|%3").arg(section->Name).arg(section->Vals.Count()).arg(section->Comment));
    return result;
}

} // namespace

class TstEditing : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The collation of the tests is fixed unless a test chooses another.
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void cleanupTestCase() { QLocale::setDefault(QLocale::system()); }

    void copySection_data();
    void copySection();
    void copySectionOfCommentedBlank();
    void copySectionFromAnotherDocument();

    void toggleComment_data();
    void toggleComment();

    void sortVals_data();
    void sortVals();
    void sortValsKeepsEqualEntriesInOrder_data();
    void sortValsKeepsEqualEntriesInOrder();
    void sortValsMatchesCollator_data();
    void sortValsMatchesCollator();
    void sortFollowsLocale_data();
    void sortFollowsLocale();

    void sortSections_data();
    void sortSections();
    void sortSectionsKeepsEqualSectionsInOrder();
    void sortAll_data();
    void sortAll();
    void sortAllEqualsSortingEachSection();
};

void TstEditing::copySection_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("expected");

    QTest::addRow("empty key, bare semicolon, inline comment")
        << QStringList{QStringLiteral("=x"), QStringLiteral(";"), QStringLiteral("k=v ;c")}
        << QStringList{QStringLiteral("E:|x|"), QStringLiteral("B:||"), QStringLiteral("V:k|v|c")};
    QTest::addRow("comments, errors and blanks keep their kinds")
        << QStringList{QStringLiteral(";note"), QStringLiteral("oops"), QString(), QStringLiteral("a=1")}
        << QStringList{QStringLiteral("C:||note"), QStringLiteral("E:|oops|"), QStringLiteral("B:||"),
                       QStringLiteral("V:a|1|")};
    QTest::addRow("control characters dropped, tabs kept")
        << QStringList{QStringLiteral("k=a\x01"
                                      "b"),
                       QStringLiteral("t\tab=1")}
        << QStringList{QStringLiteral("V:k|ab|"), QStringLiteral("V:t\tab|1|")};
    QTest::addRow("empty value") << QStringList{QStringLiteral("k=")} << QStringList{QStringLiteral("V:k||")};
    QTest::addRow("no entries") << QStringList{} << QStringList{};
}

void TstEditing::copySection()
{
    QFETCH(QStringList, lines);
    QFETCH(QStringList, expected);

    TKvMemIni ini;
    ParseSection(ini, lines);
    TKvIniSection *source = ini.Sections[0];
    source->Comment = QStringLiteral("section note");
    const QStringList sourceBefore = Describe(*source);
    ini.AddSection(QStringLiteral("after"));

    TKvIniSection *copy = ini.CopySection(source, QStringLiteral("copy"));

    QCOMPARE(ini.Sections.Count(), 3);
    QCOMPARE(ini.Sections.Last(), copy);
    QCOMPARE(copy->Name, QStringLiteral("copy"));
    QVERIFY(copy->Comment.isEmpty());
    QCOMPARE(Describe(*copy), expected);
    QCOMPARE(Describe(*source), sourceBefore);
    for (const TKvIniVal *val : copy->Vals)
        QVERIFY(source->IndexOfVal(val) < 0);

    // The copy owns its texts: changing or dropping the source leaves it alone.
    ini.DeleteSection(source);
    QCOMPARE(Describe(*copy), expected);
}

void TstEditing::copySectionOfCommentedBlank()
{
    TKvMemIni ini;
    TKvIniSection *source = ini.AddSection(QStringLiteral("s"));
    source->AddVal(QString(), QString(), QString())->ToggleComment();
    QCOMPARE(Describe(*source), QStringList{QStringLiteral("C:||")});

    const TKvIniSection *copy = ini.CopySection(source, QStringLiteral("t"));
    QCOMPARE(Describe(*copy), QStringList{QStringLiteral("B:||")});
}

void TstEditing::copySectionFromAnotherDocument()
{
    TKvMemIni from;
    ParseSection(from, {QStringLiteral("a=1 ;x")});
    TKvMemIni to;
    to.AddSection(QString());
    const TKvIniSection *copy = to.CopySection(from.Sections[0], QStringLiteral("s"));
    from.Clear();
    QCOMPARE(to.Sections.Count(), 2);
    QCOMPARE(to.IndexOfSection(copy), 1);
    QCOMPARE(Describe(*copy), QStringList{QStringLiteral("V:a|1|x")});
}

void TstEditing::toggleComment_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("editComment"); // given by an edit after reading, when not empty
    QTest::addColumn<QString>("once");
    QTest::addColumn<QString>("onceWritten");
    QTest::addColumn<QString>("twice");

    // Commenting out, then back.
    QTest::addRow("item with comment round trip")
        << QStringLiteral("key=value ;note") << QString() << QStringLiteral("C:||key=value ;note")
        << QStringLiteral(";key=value ;note") << QStringLiteral("V:key|value|note");
    QTest::addRow("item round trip") << QStringLiteral("key=value") << QString()
                                     << QStringLiteral("C:||key=value") << QStringLiteral(";key=value")
                                     << QStringLiteral("V:key|value|");
    QTest::addRow("item without value") << QStringLiteral("key=") << QString() << QStringLiteral("C:||key=")
                                        << QStringLiteral(";key=") << QStringLiteral("V:key||");
    QTest::addRow("item with empty key keeps only its value")
        << QStringLiteral("=x") << QString() << QStringLiteral("C:||x") << QStringLiteral(";x")
        << QStringLiteral("E:|x|");
    QTest::addRow("error line") << QStringLiteral("abc") << QString() << QStringLiteral("C:||abc")
                                << QStringLiteral(";abc") << QStringLiteral("E:|abc|");
    QTest::addRow("error line that an edit gave a comment")
        << QStringLiteral("abc") << QStringLiteral("n") << QStringLiteral("C:||abc ;n")
        << QStringLiteral(";abc ;n") << QStringLiteral("E:|abc ;n|");
    QTest::addRow("blank line") << QString() << QString() << QStringLiteral("C:||") << QString()
                                << QStringLiteral("B:||");
    QTest::addRow("bare semicolon reads as blank")
        << QStringLiteral(";") << QString() << QStringLiteral("C:||") << QString() << QStringLiteral("B:||");

    // Uncommenting, then back.
    QTest::addRow("comment without equals sign")
        << QStringLiteral(";abc") << QString() << QStringLiteral("E:|abc|") << QStringLiteral("abc")
        << QStringLiteral("C:||abc");
    QTest::addRow("comment with empty key") << QStringLiteral(";=5") << QString() << QStringLiteral("E:|5|")
                                            << QStringLiteral("5") << QStringLiteral("C:||5");
    QTest::addRow("commented item with inline comment")
        << QStringLiteral(";k=v ;c") << QString() << QStringLiteral("V:k|v|c") << QStringLiteral("k=v ;c")
        << QStringLiteral("C:||k=v ;c");
    QTest::addRow("commented item") << QStringLiteral("; k = v ") << QString() << QStringLiteral("V:k|v|")
                                    << QStringLiteral("k=v") << QStringLiteral("C:||k=v");
    QTest::addRow("second equals sign stays in the value")
        << QStringLiteral(";a=b=c") << QString() << QStringLiteral("V:a|b=c|") << QStringLiteral("a=b=c")
        << QStringLiteral("C:||a=b=c");
    QTest::addRow("lone equals sign gives a blank entry")
        << QStringLiteral(";=") << QString() << QStringLiteral("B:||") << QString() << QStringLiteral("C:||");
    QTest::addRow("semicolon but no equals sign")
        << QStringLiteral(";x ;y") << QString() << QStringLiteral("E:|x ;y|") << QStringLiteral("x ;y")
        << QStringLiteral("C:||x ;y");
}

void TstEditing::toggleComment()
{
    QFETCH(QString, line);
    QFETCH(QString, editComment);
    QFETCH(QString, once);
    QFETCH(QString, onceWritten);
    QFETCH(QString, twice);

    TKvMemIni ini;
    ParseSection(ini, {line});
    TKvIniVal *val = ini.Sections[0]->Vals[0];
    if (!editComment.isEmpty())
        val->SetComment(editComment);

    val->ToggleComment();
    QCOMPARE(Describe(*val), once);
    QCOMPARE(WrittenLine(*val), onceWritten);
    val->ToggleComment();
    QCOMPARE(Describe(*val), twice);
}

void TstEditing::sortVals_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("ascending");
    QTest::addColumn<QStringList>("expected");

    const QStringList mixed{QStringLiteral("b=1"), QString(), QStringLiteral("A=2"), QStringLiteral(";x")};
    QTest::addRow("by name, empty name first, blank last")
        << mixed << int(skName) << true
        << QStringList{QStringLiteral(";x"), QStringLiteral("A=2"), QStringLiteral("b=1"), QString()};
    QTest::addRow("by name descending, blank still last")
        << mixed << int(skName) << false
        << QStringList{QStringLiteral("b=1"), QStringLiteral("A=2"), QStringLiteral(";x"), QString()};

    const QStringList cases{QStringLiteral("k=1"), QStringLiteral("K=1")};
    QTest::addRow("equal in all but case keep order") << cases << int(skName) << true << cases;
    QTest::addRow("equal in all but case swap when descending")
        << cases << int(skName) << false << QStringList{QStringLiteral("K=1"), QStringLiteral("k=1")};

    QTest::addRow("by name, then value, then comment")
        << QStringList{QStringLiteral("a=2"), QStringLiteral("a=1 ;y"), QStringLiteral("a=1 ;x"),
                       QStringLiteral("A=1")}
        << int(skName) << true
        << QStringList{QStringLiteral("A=1"), QStringLiteral("a=1 ;x"), QStringLiteral("a=1 ;y"),
                       QStringLiteral("a=2")};
    QTest::addRow("by count sorts as by name")
        << QStringList{QStringLiteral("b=1"), QStringLiteral("a=2"), QStringLiteral("a=1")} << int(skCount)
        << true << QStringList{QStringLiteral("a=1"), QStringLiteral("a=2"), QStringLiteral("b=1")};
    QTest::addRow("by value, then name") << QStringList{QStringLiteral("c=3"), QStringLiteral("b=1"),
                                                        QStringLiteral("a=1"), QStringLiteral("d=2")}
                                         << int(skValue) << true
                                         << QStringList{QStringLiteral("a=1"), QStringLiteral("b=1"),
                                                        QStringLiteral("d=2"), QStringLiteral("c=3")};
    QTest::addRow("by value descending") << QStringList{QStringLiteral("c=3"), QStringLiteral("b=1"),
                                                        QStringLiteral("a=1"), QStringLiteral("d=2")}
                                         << int(skValue) << false
                                         << QStringList{QStringLiteral("c=3"), QStringLiteral("d=2"),
                                                        QStringLiteral("b=1"), QStringLiteral("a=1")};
    QTest::addRow("by comment, empty comment first, then name, then value")
        << QStringList{QStringLiteral("a=1 ;z"), QStringLiteral("b=2 ;y"), QStringLiteral("c=1"),
                       QStringLiteral("b=1 ;y"), QStringLiteral(";Y")}
        << int(skComment) << true
        << QStringList{QStringLiteral("c=1"), QStringLiteral(";Y"), QStringLiteral("b=1 ;y"),
                       QStringLiteral("b=2 ;y"), QStringLiteral("a=1 ;z")};
    QTest::addRow("error lines sort by their value after comments")
        << QStringList{QStringLiteral("abc=1"), QStringLiteral("xyz"), QStringLiteral(";c"),
                       QStringLiteral("mno")}
        << int(skName) << true
        << QStringList{QStringLiteral(";c"), QStringLiteral("mno"), QStringLiteral("xyz"),
                       QStringLiteral("abc=1")};
    QTest::addRow("several blanks stay at the end in both directions")
        << QStringList{QString(), QStringLiteral("b=1"), QString(), QStringLiteral("a=1"), QString()}
        << int(skName) << false
        << QStringList{QStringLiteral("b=1"), QStringLiteral("a=1"), QString(), QString(), QString()};
    QTest::addRow("locale order, not code units")
        << QStringList{QStringLiteral("b=1"), QStringLiteral("\u00e1=1"), QStringLiteral("_=1"),
                       QStringLiteral("a=1"), QStringLiteral("B=1")}
        << int(skName) << true
        << QStringList{QStringLiteral("_=1"), QStringLiteral("a=1"), QStringLiteral("\u00e1=1"),
                       QStringLiteral("b=1"), QStringLiteral("B=1")};
    QTest::addRow("falling order turns round")
        << QStringList{QStringLiteral("c=1"), QStringLiteral("B=1"), QStringLiteral("a=1")} << int(skName)
        << true << QStringList{QStringLiteral("a=1"), QStringLiteral("B=1"), QStringLiteral("c=1")};
    QTest::addRow("falling order with a tie keeps the tie in order")
        << QStringList{QStringLiteral("b=1"), QStringLiteral("a=1"), QStringLiteral("A=1")} << int(skName)
        << true << QStringList{QStringLiteral("a=1"), QStringLiteral("A=1"), QStringLiteral("b=1")};
    QTest::addRow("sorted order with a tie stays")
        << QStringList{QStringLiteral("A=1"), QStringLiteral("a=1"), QStringLiteral("b=1")} << int(skName)
        << true << QStringList{QStringLiteral("A=1"), QStringLiteral("a=1"), QStringLiteral("b=1")};
    QTest::addRow("one entry, descending")
        << QStringList{QStringLiteral("a=1")} << int(skName) << false << QStringList{QStringLiteral("a=1")};
    QTest::addRow("no entries") << QStringList{} << int(skName) << false << QStringList{};
    QTest::addRow("blanks only, descending")
        << QStringList{QString(), QString()} << int(skName) << false << QStringList{QString(), QString()};
}

void TstEditing::sortVals()
{
    QFETCH(QStringList, lines);
    QFETCH(int, key);
    QFETCH(bool, ascending);
    QFETCH(QStringList, expected);

    TKvMemIni ini;
    ParseSection(ini, lines);
    ini.Sections[0]->SortVals(TKvSortKey(key), ascending);
    QCOMPARE(WrittenLines(*ini.Sections[0]), expected);
}

void TstEditing::sortValsKeepsEqualEntriesInOrder_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("ascending");
    for (int key : {skName, skValue, skCount, skComment}) {
        QTest::addRow("key %d ascending", key) << key << true;
        QTest::addRow("key %d descending", key) << key << false;
    }
}

void TstEditing::sortValsKeepsEqualEntriesInOrder()
{
    QFETCH(int, key);
    QFETCH(bool, ascending);

    // Two groups of entries that are equal apart from case ("a" and "b"), with
    // blanks between them; identity tells the equal ones apart. Every key
    // orders these by name in the end (the values and comments all tie).
    TKvMemIni ini;
    TKvIniSection *section = ini.AddSection(QStringLiteral("s"));
    const QStringList names{QStringLiteral("b"), QStringLiteral("A"), QStringLiteral("B"),
                            QStringLiteral("a")};
    std::vector<TKvIniVal *> groupA;
    std::vector<TKvIniVal *> groupB;
    std::vector<TKvIniVal *> blanks;
    for (int i = 0; i < 40; ++i) {
        if (i % 7 == 3) {
            blanks.push_back(section->AddVal(QString(), QString(), QString()));
            continue;
        }
        TKvIniVal *val = section->AddVal(names[i % 4], i % 2 ? QStringLiteral("V") : QStringLiteral("v"),
                                         i % 3 ? QStringLiteral("c") : QStringLiteral("C"));
        (i % 2 ? groupA : groupB).push_back(val);
    }
    std::vector<TKvIniVal *> expected = groupA;
    expected.insert(expected.end(), groupB.begin(), groupB.end());
    if (!ascending)
        std::reverse(expected.begin(), expected.end());
    expected.insert(expected.end(), blanks.begin(), blanks.end());

    section->SortVals(TKvSortKey(key), ascending);
    QCOMPARE(std::vector<TKvIniVal *>(section->Vals.begin(), section->Vals.end()), expected);
}

void TstEditing::sortValsMatchesCollator_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("distinct"); // 0: ten short texts that repeat and tie
    for (int key : {skName, skValue, skComment}) {
        QTest::addRow("key %d, texts repeat", key) << key << 0;
        // Texts that seldom repeat (the sort stops looking for repeats), some
        // differing in case only.
        QTest::addRow("key %d, texts seldom repeat", key) << key << 40000;
    }
}

// Many entries with ties on every field: the order must be the stable order
// of the collator's comparison, field by field.
void TstEditing::sortValsMatchesCollator()
{
    QFETCH(int, key);
    QFETCH(int, distinct);

    QRandomGenerator random(1234);
    QStringList pieces{QStringLiteral(""),    QStringLiteral("a"),      QStringLiteral("A"),
                       QStringLiteral("b"),   QStringLiteral("\u00e9"), QStringLiteral("E"),
                       QStringLiteral("a-b"), QStringLiteral("ab"),     QStringLiteral("10"),
                       QStringLiteral("9")};
    for (int i = 0; i < distinct; ++i)
        pieces.append((i % 3 == 0 ? QStringLiteral("Key%1") : QStringLiteral("key%1")).arg(i / 2));
    auto pick = [&] { return pieces[random.bounded(int(pieces.size()))]; };
    TKvMemIni ini;
    TKvIniSection *section = ini.AddSection(QStringLiteral("s"));
    for (int i = 0; i < 3000; ++i) {
        if (i % 500 == 7)
            section->AddVal(QString(), QString(), QString());
        else
            section->AddVal(pick(), pick(), pick());
    }

    std::vector<TKvIniVal *> expected(section->Vals.begin(), section->Vals.end());
    QCollator collator(QLocale(QLocale::English, QLocale::UnitedStates));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    auto fields = [key](const TKvIniVal *val) -> std::array<QString, 3> {
        if (key == skValue)
            return {val->Value(), val->Name(), val->Comment()};
        if (key == skComment)
            return {val->Comment(), val->Name(), val->Value()};
        return {val->Name(), val->Value(), val->Comment()};
    };
    std::stable_sort(expected.begin(), expected.end(), [&](const TKvIniVal *a, const TKvIniVal *b) {
        if (a->IsEmpty() || b->IsEmpty())
            return !a->IsEmpty() && b->IsEmpty();
        const auto fa = fields(a);
        const auto fb = fields(b);
        for (size_t i = 0; i < 3; ++i) {
            if (const int order = collator.compare(fa[i], fb[i]); order != 0)
                return order < 0;
        }
        return false;
    });

    section->SortVals(TKvSortKey(key), true);
    QVERIFY(std::equal(expected.begin(), expected.end(), section->Vals.begin(), section->Vals.end()));

    // Descending is ascending reversed, with the empty entries left at the end.
    const auto firstEmpty =
        std::find_if(expected.begin(), expected.end(), [](const TKvIniVal *val) { return val->IsEmpty(); });
    QVERIFY(firstEmpty != expected.end());
    std::reverse(expected.begin(), firstEmpty);
    section->SortVals(TKvSortKey(key), false);
    QVERIFY(std::equal(expected.begin(), expected.end(), section->Vals.begin(), section->Vals.end()));
}

void TstEditing::sortFollowsLocale_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("expected");

    const QStringList aaZ{QStringLiteral("z=1"), QStringLiteral("aa=1"), QStringLiteral("Ab=1")};
    QTest::addRow("English") << QLocale(QLocale::English, QLocale::UnitedStates) << aaZ
                             << QStringList{QStringLiteral("aa=1"), QStringLiteral("Ab=1"),
                                            QStringLiteral("z=1")};
    QTest::addRow("Danish sorts aa as \u00e5, after z")
        << QLocale(QLocale::Danish, QLocale::Denmark) << aaZ
        << QStringList{QStringLiteral("Ab=1"), QStringLiteral("z=1"), QStringLiteral("aa=1")};
    QTest::addRow("C locale still ignores case") << QLocale::c()
                                                 << QStringList{QStringLiteral("b=1"), QStringLiteral("k=1"),
                                                                QStringLiteral("A=1"), QStringLiteral("K=1")}
                                                 << QStringList{QStringLiteral("A=1"), QStringLiteral("b=1"),
                                                                QStringLiteral("k=1"), QStringLiteral("K=1")};
}

void TstEditing::sortFollowsLocale()
{
    QFETCH(QLocale, locale);
    QFETCH(QStringList, lines);
    QFETCH(QStringList, expected);

    QLocale::setDefault(locale);
    TKvMemIni ini;
    ParseSection(ini, lines);
    ini.Sections[0]->SortVals(skName, true);
    QCOMPARE(WrittenLines(*ini.Sections[0]), expected);
}

void TstEditing::sortSections_data()
{
    QTest::addColumn<QStringList>("sections"); // name|entry count|comment
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("ascending");
    QTest::addColumn<QStringList>("expected");

    const QStringList counted{QStringLiteral("|2|"), QStringLiteral("a|3|"), QStringLiteral("b|1|")};
    QTest::addRow("by count, nameless first")
        << counted << int(skCount) << true
        << QStringList{QStringLiteral("|2|"), QStringLiteral("b|1|"), QStringLiteral("a|3|")};
    QTest::addRow("by count descending, nameless still first")
        << counted << int(skCount) << false
        << QStringList{QStringLiteral("|2|"), QStringLiteral("a|3|"), QStringLiteral("b|1|")};
    QTest::addRow("by count, then name, then comment")
        << QStringList{QStringLiteral("b|1|"), QStringLiteral("A|1|y"), QStringLiteral("a|1|x"),
                       QStringLiteral("c|0|")}
        << int(skCount) << true
        << QStringList{QStringLiteral("c|0|"), QStringLiteral("a|1|x"), QStringLiteral("A|1|y"),
                       QStringLiteral("b|1|")};
    QTest::addRow("by name, then count, then comment")
        << QStringList{QStringLiteral("x|2|"), QStringLiteral("b|0|"), QStringLiteral("X|1|b"),
                       QStringLiteral("x|1|a")}
        << int(skName) << true
        << QStringList{QStringLiteral("b|0|"), QStringLiteral("x|1|a"), QStringLiteral("X|1|b"),
                       QStringLiteral("x|2|")};
    QTest::addRow("by name descending") << QStringList{QStringLiteral("|0|"), QStringLiteral("b|0|"),
                                                       QStringLiteral("a|0|"), QStringLiteral("c|0|")}
                                        << int(skName) << false
                                        << QStringList{QStringLiteral("|0|"), QStringLiteral("c|0|"),
                                                       QStringLiteral("b|0|"), QStringLiteral("a|0|")};
    QTest::addRow("by comment, then name, then count")
        << QStringList{QStringLiteral("a|0|z"), QStringLiteral("c|0|"), QStringLiteral("b|2|Y"),
                       QStringLiteral("b|1|y")}
        << int(skComment) << true
        << QStringList{QStringLiteral("c|0|"), QStringLiteral("b|1|y"), QStringLiteral("b|2|Y"),
                       QStringLiteral("a|0|z")};
    QTest::addRow("nameless sections move to the front in their order")
        << QStringList{QStringLiteral("b|0|"), QStringLiteral("|1|first"), QStringLiteral("a|0|"),
                       QStringLiteral("|2|second")}
        << int(skName) << true
        << QStringList{QStringLiteral("|1|first"), QStringLiteral("|2|second"), QStringLiteral("a|0|"),
                       QStringLiteral("b|0|")};
    QTest::addRow("nameless sections stay in front when descending")
        << QStringList{QStringLiteral("b|0|"), QStringLiteral("|1|first"), QStringLiteral("a|0|"),
                       QStringLiteral("|2|second")}
        << int(skName) << false
        << QStringList{QStringLiteral("|1|first"), QStringLiteral("|2|second"), QStringLiteral("b|0|"),
                       QStringLiteral("a|0|")};

    const QStringList unsorted{QStringLiteral("|1|"), QStringLiteral("b|0|"), QStringLiteral("c|0|"),
                               QStringLiteral("a|0|")};
    QTest::addRow("by value leaves the order") << unsorted << int(skValue) << true << unsorted;
    QTest::addRow("by value descending reverses the named sections")
        << unsorted << int(skValue) << false
        << QStringList{QStringLiteral("|1|"), QStringLiteral("a|0|"), QStringLiteral("c|0|"),
                       QStringLiteral("b|0|")};
    QTest::addRow("one section") << QStringList{QStringLiteral("a|1|")} << int(skName) << false
                                 << QStringList{QStringLiteral("a|1|")};
    QTest::addRow("no sections") << QStringList{} << int(skName) << false << QStringList{};
}

void TstEditing::sortSections()
{
    QFETCH(QStringList, sections);
    QFETCH(int, key);
    QFETCH(bool, ascending);
    QFETCH(QStringList, expected);

    TKvMemIni ini;
    BuildSections(ini, sections);
    ini.SortSections(TKvSortKey(key), ascending);
    QCOMPARE(DescribeSections(ini), expected);
}

void TstEditing::sortSectionsKeepsEqualSectionsInOrder()
{
    TKvMemIni ini;
    BuildSections(ini, {QStringLiteral("s|1|c"), QStringLiteral("a|0|"), QStringLiteral("S|1|C"),
                        QStringLiteral("s|1|c")});
    const std::vector<TKvIniSection *> before(ini.Sections.begin(), ini.Sections.end());

    ini.SortSections(skName, true);
    QCOMPARE(std::vector<TKvIniSection *>(ini.Sections.begin(), ini.Sections.end()),
             (std::vector<TKvIniSection *>{before[1], before[0], before[2], before[3]}));
    ini.SortSections(skName, false);
    QCOMPARE(std::vector<TKvIniSection *>(ini.Sections.begin(), ini.Sections.end()),
             (std::vector<TKvIniSection *>{before[3], before[2], before[0], before[1]}));
}

void TstEditing::sortAll_data()
{
    QTest::addColumn<bool>("ascending");
    QTest::addColumn<QString>("expected");

    QTest::addRow("ascending") << true
                               << QStringLiteral(";top\r\n"
                                                 "a=0\r\n"
                                                 "\r\n"
                                                 "[Apple] ;fruit\r\n"
                                                 "x=1\r\n"
                                                 "y=2\r\n"
                                                 "\r\n" // the writer ends every section with an empty line
                                                 "[pear]\r\n"
                                                 ";c\r\n"
                                                 "B=2\r\n"
                                                 "c=3\r\n"
                                                 "\r\n");
    QTest::addRow("descending") << false
                                << QStringLiteral("a=0\r\n"
                                                  ";top\r\n"
                                                  "\r\n"
                                                  "[pear]\r\n"
                                                  "c=3\r\n"
                                                  "B=2\r\n"
                                                  ";c\r\n"
                                                  "\r\n"
                                                  "[Apple] ;fruit\r\n"
                                                  "y=2\r\n"
                                                  "x=1\r\n"
                                                  "\r\n");
}

void TstEditing::sortAll()
{
    QFETCH(bool, ascending);
    QFETCH(QString, expected);

    TKvMemIni ini;
    QVERIFY(ini.Parse(QStringLiteral("a=0\r\n"
                                     "\r\n"
                                     ";top\r\n"
                                     "[pear]\r\n"
                                     "c=3\r\n"
                                     "\r\n"
                                     ";c\r\n"
                                     "B=2\r\n"
                                     "[Apple] ;fruit\r\n"
                                     "y=2\r\n"
                                     "x=1\r\n"))
                .has_value());
    ini.SortAll(skName, ascending);
    QCOMPARE(ini.GetText(), expected);
}

// Sort All shares the sort keys of repeated texts across sections: its result
// must be that of sorting the sections and then each section on its own.
void TstEditing::sortAllEqualsSortingEachSection()
{
    QRandomGenerator random(77);
    const QStringList names{QStringLiteral("path"), QStringLiteral("Path"), QStringLiteral("PATH"),
                            QStringLiteral("name"), QStringLiteral("z"),    QStringLiteral("")};
    QString text;
    for (int section = 0; section < 300; ++section) {
        text += QStringLiteral("[s%1]\n").arg(random.bounded(40));
        for (int line = 0; line < 20; ++line) {
            const QString &name = names[random.bounded(int(names.size()))];
            if (name.isEmpty())
                text += QStringLiteral(";note %1\n").arg(random.bounded(5));
            else
                text += QStringLiteral("%1=%2\n").arg(name).arg(random.bounded(4));
        }
    }
    for (bool ascending : {true, false}) {
        TKvMemIni all;
        TKvMemIni each;
        QVERIFY(all.Parse(text) && each.Parse(text));
        all.SortAll(skName, ascending);
        each.SortSections(skName, ascending);
        for (TKvIniSection *section : each.Sections)
            section->SortVals(skName, ascending);
        QCOMPARE(all.GetText(), each.GetText());
    }
}

QTEST_GUILESS_MAIN(TstEditing)
#include "tst_editing.moc"
