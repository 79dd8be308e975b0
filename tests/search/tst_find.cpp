// Finding in entries, sections and documents, and stepping the search position.
#include "kvfind.h"
#include "kvmemini.h"

#include <QTest>

#include <memory>

namespace {

constexpr qint32 Max = KvSearchCursor::After;

// Sections: 0 nameless (1 entry), 1 "alpha" with a comment (3 entries),
// 2 "beta" (1 entry), 3 "x-ray" (1 entry).
const QString MainDocument = QStringLiteral(";x top\r\n"
                                            "[alpha] ;x note\r\n"
                                            "a=x\r\n"
                                            "b=y\r\n"
                                            "c=1 ;x\r\n"
                                            "[beta]\r\n"
                                            "x=2\r\n"
                                            "[x-ray]\r\n"
                                            "e=3\r\n");

// A section whose name, comment and first entry all match "alpha".
const QString NamedDocument = QStringLiteral("[alpha] ;alpha comment\r\n"
                                             "k=alpha\r\n"
                                             "j=beta\r\n"
                                             "[alphabet]\r\n");

std::unique_ptr<TKvMemIni> Document(const QString &text)
{
    auto ini = std::make_unique<TKvMemIni>();
    if (!ini->Parse(text))
        qFatal("test document does not parse");
    return ini;
}

// "SN,SC,IN,IV,IC" or a part of it: the "where" flags to set, all others off.
TSearchStruct Options(const QString &where, bool backwards = false)
{
    const QStringList flags = where.split(QLatin1Char(','), Qt::SkipEmptyParts);
    TSearchStruct options;
    options.SectionNames = flags.contains(QLatin1String("SN"));
    options.SectionComments = flags.contains(QLatin1String("SC"));
    options.ItemNames = flags.contains(QLatin1String("IN"));
    options.ItemValues = flags.contains(QLatin1String("IV"));
    options.ItemComments = flags.contains(QLatin1String("IC"));
    options.Backwards = backwards;
    return options;
}

QString Position(qint32 section, qint32 item)
{
    auto text = [](qint32 cursor) { return cursor == Max ? QStringLiteral("max") : QString::number(cursor); };
    return text(section) + QLatin1Char(':') + text(item);
}

// Every position that Find Next (or Find Previous) visits when repeated from
// the start (or the end) of the document, stepping past each match first,
// until nothing is found or the search runs off the document.
QStringList Visits(const TKvMemIni &ini, const QString &findText, const TSearchStruct &options)
{
    TKvSearch search(findText, options.CaseSensitive, options.WholeWords);
    qint32 section = options.Backwards ? Max : -1;
    qint32 item = section;
    QStringList visits;
    while (Find(search, ini, section, item, options)) {
        visits.append(Position(section, item));
        if (visits.size() > 100) {
            visits.append(QStringLiteral("endless"));
            break;
        }
        if (options.Backwards)
            StepBackward(section, item, options, ini);
        else
            StepForward(section, item, options, ini);
        if (section == -1 || section == Max)
            break;
    }
    return visits;
}

} // namespace

class TstFind : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void findInEntry_data();
    void findInEntry();
    void findInSection_data();
    void findInSection();
    void visits_data();
    void visits();
    void emptyDocument();
    void findFromSentinels();
    void stepForward_data();
    void stepForward();
    void stepBackward_data();
    void stepBackward();
    void sectionTextsOnlyAfterAnItemWasSelected();
    void findNextAfterFindPreviousOnSectionTexts();
};

void TstFind::findInEntry_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("findText");
    QTest::addColumn<QString>("where");
    QTest::addColumn<bool>("expected");

    const QString item = QStringLiteral("key=value ;note");
    QTest::addRow("name in names") << item << QStringLiteral("key") << QStringLiteral("IN") << true;
    QTest::addRow("name in values") << item << QStringLiteral("key") << QStringLiteral("IV,IC") << false;
    QTest::addRow("value in values") << item << QStringLiteral("alu") << QStringLiteral("IV") << true;
    QTest::addRow("value in names and comments")
        << item << QStringLiteral("alu") << QStringLiteral("IN,IC") << false;
    QTest::addRow("comment in comments") << item << QStringLiteral("NOTE") << QStringLiteral("IC") << true;
    QTest::addRow("comment in names and values")
        << item << QStringLiteral("note") << QStringLiteral("IN,IV") << false;
    QTest::addRow("nothing selected") << item << QStringLiteral("key") << QString() << false;
    QTest::addRow("the equals sign is not text")
        << item << QStringLiteral("key=value") << QStringLiteral("IN,IV,IC") << false;
    QTest::addRow("comment line has only a comment")
        << QStringLiteral(";key") << QStringLiteral("key") << QStringLiteral("IN,IV") << false;
    QTest::addRow("comment line in comments")
        << QStringLiteral(";key") << QStringLiteral("key") << QStringLiteral("IC") << true;
    QTest::addRow("error line has only its value")
        << QStringLiteral("oops") << QStringLiteral("oops") << QStringLiteral("IN,IC") << false;
    QTest::addRow("error line in values")
        << QStringLiteral("oops") << QStringLiteral("oops") << QStringLiteral("IV") << true;
}

void TstFind::findInEntry()
{
    QFETCH(QString, line);
    QFETCH(QString, findText);
    QFETCH(QString, where);
    QFETCH(bool, expected);

    const auto ini = Document(QStringLiteral("[s]\r\n") + line + QStringLiteral("\r\n"));
    const TSearchStruct options = Options(where);
    TKvSearch search(findText, false, false);
    QCOMPARE(
        Find(search, *ini->Sections[0]->Vals[0], options.ItemNames, options.ItemValues, options.ItemComments),
        expected);
}

void TstFind::findInSection_data()
{
    QTest::addColumn<int>("section");
    QTest::addColumn<QString>("where");
    QTest::addColumn<bool>("backwards");
    QTest::addColumn<int>("cursor");
    QTest::addColumn<bool>("found");
    QTest::addColumn<int>("expectedCursor");

    const QString all = QStringLiteral("SN,SC,IN,IV,IC");
    // Section 1: name "alpha", comment "x note", entries a=x, b=y, c=1 ;x.
    QTest::addRow("forward, own comment first") << 1 << all << false << -1 << true << -1;
    QTest::addRow("forward, items only") << 1 << QStringLiteral("IN,IV,IC") << false << -1 << true << 0;
    QTest::addRow("forward from an entry skips own texts") << 1 << all << false << 1 << true << 2;
    QTest::addRow("forward past the last entry") << 1 << all << false << 3 << false << -1;
    QTest::addRow("forward, name only, no match") << 1 << QStringLiteral("SN") << false << -1 << false << -1;
    QTest::addRow("forward, own texts only, from an entry")
        << 1 << QStringLiteral("SN,SC") << false << 2 << false << 2;
    QTest::addRow("backward from the end") << 1 << all << true << Max << true << 2;
    QTest::addRow("backward from an entry") << 1 << all << true << 1 << true << 0;
    QTest::addRow("backward, cursor beyond the entries") << 1 << all << true << 7 << true << 2;
    QTest::addRow("backward, values only") << 1 << QStringLiteral("IV") << true << Max << true << 0;
    QTest::addRow("backward before the entries reaches own texts") << 1 << all << true << -1 << true << Max;
    QTest::addRow("backward, own texts only") << 1 << QStringLiteral("SN,SC") << true << 2 << true << Max;
    QTest::addRow("backward, name only, no match")
        << 1 << QStringLiteral("SN") << true << Max << false << Max;
    // Section 0: no name, no comment, one comment line "x top".
    QTest::addRow("nameless, own texts only") << 0 << QStringLiteral("SN,SC") << false << -1 << false << -1;
    QTest::addRow("nameless entered at its entries") << 0 << all << false << -1 << true << 0;
    QTest::addRow("nameless backward") << 0 << all << true << Max << true << 0;
    // Section 3: name "x-ray", one entry e=3.
    QTest::addRow("backward, entries fail, then name") << 3 << all << true << Max << true << Max;
}

void TstFind::findInSection()
{
    QFETCH(int, section);
    QFETCH(QString, where);
    QFETCH(bool, backwards);
    QFETCH(int, cursor);
    QFETCH(bool, found);
    QFETCH(int, expectedCursor);

    const auto ini = Document(MainDocument);
    const TSearchStruct o = Options(where);
    TKvSearch search(u"x", false, false);
    qint32 item = cursor;
    QCOMPARE(Find(search, *ini->Sections[section], item, o.SectionNames, o.SectionComments, o.ItemNames,
                  o.ItemValues, o.ItemComments, backwards),
             found);
    QCOMPARE(item, qint32(expectedCursor));
}

void TstFind::visits_data()
{
    QTest::addColumn<QString>("document");
    QTest::addColumn<QString>("findText");
    QTest::addColumn<QString>("where");
    QTest::addColumn<bool>("wholeWords");
    QTest::addColumn<bool>("caseSensitive");
    QTest::addColumn<bool>("backwards");
    QTest::addColumn<QStringList>("expected");

    const QString all = QStringLiteral("SN,SC,IN,IV,IC");
    const QString x = QStringLiteral("x");
    const QString &doc = MainDocument;
    using L = QStringList;

    QTest::addRow("everything, forward")
        << doc << x << all << false << false << false << L{"0:0", "1:-1", "1:0", "1:2", "2:0", "3:-1"};
    // Backward, a section's own texts come after its entries, also after a
    // match on its first entry.
    QTest::addRow("everything, backward")
        << doc << x << all << false << false << true << L{"3:max", "2:0", "1:2", "1:0", "1:max", "0:0"};
    QTest::addRow("section names") << doc << x << QStringLiteral("SN") << false << false << false
                                   << L{"3:-1"};
    QTest::addRow("section names, backward")
        << doc << x << QStringLiteral("SN") << false << false << true << L{"3:max"};
    QTest::addRow("section comments")
        << doc << x << QStringLiteral("SC") << false << false << false << L{"1:-1"};
    QTest::addRow("section comments, backward")
        << doc << x << QStringLiteral("SC") << false << false << true << L{"1:max"};
    QTest::addRow("item names") << doc << x << QStringLiteral("IN") << false << false << false << L{"2:0"};
    QTest::addRow("item values") << doc << x << QStringLiteral("IV") << false << false << false << L{"1:0"};
    QTest::addRow("item comments") << doc << x << QStringLiteral("IC") << false << false << false
                                   << L{"0:0", "1:2"};
    QTest::addRow("item comments, backward")
        << doc << x << QStringLiteral("IC") << false << false << true << L{"1:2", "0:0"};
    QTest::addRow("nothing selected") << doc << x << QString() << false << false << false << L{};
    QTest::addRow("case ignored") << doc << QStringLiteral("X") << all << false << false << false
                                  << L{"0:0", "1:-1", "1:0", "1:2", "2:0", "3:-1"};
    QTest::addRow("case sensitive") << doc << QStringLiteral("X") << all << false << true << false << L{};
    QTest::addRow("whole word after a hyphen-minus")
        << doc << QStringLiteral("ray") << all << true << false << false << L{"3:-1"};
    QTest::addRow("part word, whole words")
        << doc << QStringLiteral("ra") << all << true << false << false << L{};
    QTest::addRow("part word") << doc << QStringLiteral("ra") << all << false << false << false << L{"3:-1"};
    QTest::addRow("empty find text") << doc << QString() << all << false << false << false << L{};
    QTest::addRow("empty find text, backward") << doc << QString() << all << false << false << true << L{};

    // After a match on a section's name, Find Next goes on at its first entry
    // (the section's comment is not visited separately).
    QTest::addRow("name match, then first entry") << NamedDocument << QStringLiteral("alpha") << all << false
                                                  << false << false << L{"0:-1", "0:0", "1:-1"};
    QTest::addRow("name match, backward") << NamedDocument << QStringLiteral("alpha") << all << false << false
                                          << true << L{"1:max", "0:0", "0:max"};
    QTest::addRow("name match, whole words")
        << NamedDocument << QStringLiteral("alpha") << all << true << false << false << L{"0:-1", "0:0"};
    QTest::addRow("comment only") << NamedDocument << QStringLiteral("alpha") << QStringLiteral("SC") << false
                                  << false << false << L{"0:-1"};
}

void TstFind::visits()
{
    QFETCH(QString, document);
    QFETCH(QString, findText);
    QFETCH(QString, where);
    QFETCH(bool, wholeWords);
    QFETCH(bool, caseSensitive);
    QFETCH(bool, backwards);
    QFETCH(QStringList, expected);

    const auto ini = Document(document);
    TSearchStruct options = Options(where, backwards);
    options.WholeWords = wholeWords;
    options.CaseSensitive = caseSensitive;
    QCOMPARE(Visits(*ini, findText, options), expected);

    // The other direction visits the same places in reverse order (a match
    // on a section's own texts is -1 forward and max backward).
    options.Backwards = !backwards;
    QStringList reversed;
    for (const QString &visit : Visits(*ini, findText, options)) {
        QString same = visit;
        reversed.prepend(same.replace(backwards ? QStringLiteral(":-1") : QStringLiteral(":max"),
                                      backwards ? QStringLiteral(":max") : QStringLiteral(":-1")));
    }
    QCOMPARE(reversed, expected);
}

void TstFind::emptyDocument()
{
    TKvMemIni ini;
    const TSearchStruct options;
    TKvSearch search(u"x", false, false);

    qint32 section = -1;
    qint32 item = -1;
    QVERIFY(!Find(search, ini, section, item, options));
    QCOMPARE(section, 0);

    section = Max;
    item = Max;
    QVERIFY(!Find(search, ini, section, item, Options(QStringLiteral("SN,SC,IN,IV,IC"), true)));
    QCOMPARE(section, -1);

    // Stepping never leaves a usable index behind.
    StepForward(section, item, options, ini);
    QCOMPARE(Position(section, item), QStringLiteral("0:-1"));
    QVERIFY(!Find(search, ini, section, item, options));
}

void TstFind::findFromSentinels()
{
    const auto ini = Document(MainDocument);
    TKvSearch search(u"x", false, false);

    qint32 section = Max;
    qint32 item = -1;
    QVERIFY(!Find(search, *ini, section, item, Options(QStringLiteral("SN,SC,IN,IV,IC"))));
    QCOMPARE(section, Max);

    section = -1;
    item = Max;
    QVERIFY(!Find(search, *ini, section, item, Options(QStringLiteral("SN,SC,IN,IV,IC"), true)));
    QCOMPARE(section, -1);

    // A section cursor beyond the end of the document (left from a larger one)
    // is clamped to the last section backward.
    section = 9;
    item = Max;
    QVERIFY(Find(search, *ini, section, item, Options(QStringLiteral("SN,SC,IN,IV,IC"), true)));
    QCOMPARE(Position(section, item), QStringLiteral("3:max"));
}

void TstFind::stepForward_data()
{
    QTest::addColumn<int>("section");
    QTest::addColumn<int>("item");
    QTest::addColumn<bool>("items"); // item texts searched
    QTest::addColumn<QString>("expected");

    // Entry counts of the sections: 1, 3, 1, 1.
    QTest::addRow("from before the start") << -1 << -1 << true << QStringLiteral("0:-1");
    QTest::addRow("from after the end starts again at the top")
        << Max << Max << true << QStringLiteral("0:-1");
    QTest::addRow("from after the end, own texts only") << Max << 5 << false << QStringLiteral("0:-1");
    QTest::addRow("beyond the end of this document") << 7 << 0 << true << QStringLiteral("0:-1");
    QTest::addRow("from the section's own texts to its first entry")
        << 1 << -1 << true << QStringLiteral("1:0");
    QTest::addRow("next entry") << 1 << 0 << true << QStringLiteral("1:1");
    QTest::addRow("last entry to the next section") << 1 << 2 << true << QStringLiteral("2:-1");
    QTest::addRow("last entry of the last section") << 3 << 0 << true << QStringLiteral("max:-1");
    QTest::addRow("from after a section's entries") << 1 << Max << true << QStringLiteral("2:-1");
    QTest::addRow("own texts only, next section") << 1 << -1 << false << QStringLiteral("2:-1");
    QTest::addRow("own texts only, last section") << 3 << -1 << false << QStringLiteral("max:-1");
    // The next section is entered at its start even when the item cursor
    // was left at an entry or at the end of the entries.
    QTest::addRow("own texts only, from an entry") << 1 << 2 << false << QStringLiteral("2:-1");
    QTest::addRow("own texts only, from after the entries") << 1 << Max << false << QStringLiteral("2:-1");
}

void TstFind::stepForward()
{
    QFETCH(int, section);
    QFETCH(int, item);
    QFETCH(bool, items);
    QFETCH(QString, expected);

    const auto ini = Document(MainDocument);
    qint32 s = section;
    qint32 c = item;
    StepForward(s, c, Options(items ? QStringLiteral("SN,SC,IN,IV,IC") : QStringLiteral("SN,SC")), *ini);
    QCOMPARE(Position(s, c), expected);
}

void TstFind::stepBackward_data()
{
    QTest::addColumn<int>("section");
    QTest::addColumn<int>("item");
    QTest::addColumn<bool>("items");
    QTest::addColumn<QString>("expected");

    QTest::addRow("from own texts to the section before") << 2 << Max << true << QStringLiteral("1:max");
    QTest::addRow("from the first section's own texts") << 0 << Max << true << QStringLiteral("-1:max");
    QTest::addRow("from after the end") << Max << Max << true << QStringLiteral("2147483646:max");
    QTest::addRow("before the start stays there") << -1 << Max << true << QStringLiteral("-1:max");
    QTest::addRow("from a forward match on own texts") << 1 << -1 << true << QStringLiteral("1:max");
    QTest::addRow("after running off the start") << -1 << -1 << true << QStringLiteral("-1:max");
    QTest::addRow("previous entry") << 1 << 2 << true << QStringLiteral("1:1");
    // From the first entry the section's own texts are next, then the section before.
    QTest::addRow("first entry to own texts") << 1 << 0 << true << QStringLiteral("1:-1");
    QTest::addRow("first entry of the first section") << 0 << 0 << true << QStringLiteral("0:-1");
    QTest::addRow("second entry to the first") << 1 << 1 << true << QStringLiteral("1:0");
    QTest::addRow("own texts only, from an entry") << 1 << 2 << false << QStringLiteral("0:2");
    QTest::addRow("own texts only, from own texts") << 1 << Max << false << QStringLiteral("0:max");
}

void TstFind::stepBackward()
{
    QFETCH(int, section);
    QFETCH(int, item);
    QFETCH(bool, items);
    QFETCH(QString, expected);

    const auto ini = Document(MainDocument);
    qint32 s = section;
    qint32 c = item;
    StepBackward(s, c, Options(items ? QStringLiteral("SN,SC,IN,IV,IC") : QStringLiteral("SN,SC")), *ini);
    QCOMPARE(Position(s, c), expected);
}

// Searching section texts only, from a position where the user selected an
// item row: the search must go on with the following sections.
void TstFind::sectionTextsOnlyAfterAnItemWasSelected()
{
    const auto ini = Document(MainDocument);
    const TSearchStruct options = Options(QStringLiteral("SN"));
    TKvSearch search(u"x", false, false);

    qint32 section = 1;
    qint32 item = 2;
    StepForward(section, item, options, *ini);
    QVERIFY(Find(search, *ini, section, item, options));
    QCOMPARE(Position(section, item), QStringLiteral("3:-1"));

    // Also when the find starts there directly.
    section = 1;
    item = 2;
    QVERIFY(Find(search, *ini, section, item, options));
    QCOMPARE(Position(section, item), QStringLiteral("3:-1"));
}

// Find Previous leaves the item cursor after the section's entries; a
// following Find Next must still look at the next section's name.
void TstFind::findNextAfterFindPreviousOnSectionTexts()
{
    const auto ini = Document(MainDocument);
    TSearchStruct options = Options(QStringLiteral("SN"), true);
    TKvSearch search(u"a", false, false);

    qint32 section = Max;
    qint32 item = Max;
    QVERIFY(Find(search, *ini, section, item, options));
    QCOMPARE(Position(section, item), QStringLiteral("3:max"));
    StepBackward(section, item, options, *ini);
    QVERIFY(Find(search, *ini, section, item, options));
    QCOMPARE(Position(section, item), QStringLiteral("2:max"));

    options.Backwards = false;
    StepForward(section, item, options, *ini);
    QVERIFY(Find(search, *ini, section, item, options));
    QCOMPARE(Position(section, item), QStringLiteral("3:-1"));
}

QTEST_GUILESS_MAIN(TstFind)
#include "tst_find.moc"
