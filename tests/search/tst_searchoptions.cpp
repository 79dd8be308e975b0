// The search options: defaults and the history of find texts.
#include "kvsearchoptions.h"

#include <QTest>

namespace {

QStringList History(const TSearchStruct &options)
{
    QStringList list{QStringLiteral("left over")};
    HistoryToList(options, list);
    return list;
}

} // namespace

class TstSearchOptions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void defaults();
    void addToHistory_data();
    void addToHistory();
    void historyToListStopsAtFirstEmptySlot();
};

void TstSearchOptions::defaults()
{
    const TSearchStruct options;
    QVERIFY(options.SectionNames);
    QVERIFY(options.SectionComments);
    QVERIFY(options.ItemNames);
    QVERIFY(options.ItemValues);
    QVERIFY(options.ItemComments);
    QVERIFY(!options.WholeWords);
    QVERIFY(!options.CaseSensitive);
    QVERIFY(!options.Backwards);
    QCOMPARE(options.FindStr.size(), size_t(10));
    QVERIFY(History(options).isEmpty());
}

void TstSearchOptions::addToHistory_data()
{
    QTest::addColumn<QStringList>("added");
    QTest::addColumn<QStringList>("expected");

    QTest::addRow("one") << QStringList{"a"} << QStringList{"a"};
    QTest::addRow("most recent first") << QStringList{"a", "b", "c"} << QStringList{"c", "b", "a"};
    QTest::addRow("eleven keep the ten most recent")
        << QStringList{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11"}
        << QStringList{"11", "10", "9", "8", "7", "6", "5", "4", "3", "2"};
    QTest::addRow("repeat moves to the front without a duplicate")
        << QStringList{"a", "b", "c", "a"} << QStringList{"a", "c", "b"};
    QTest::addRow("repeat of the most recent") << QStringList{"a", "b", "b"} << QStringList{"b", "a"};
    QTest::addRow("repeat of the oldest in a full history")
        << QStringList{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "1"}
        << QStringList{"1", "10", "9", "8", "7", "6", "5", "4", "3", "2"};
    QTest::addRow("texts differing in case take two slots")
        << QStringList{"Word", "word"} << QStringList{"word", "Word"};
    QTest::addRow("text kept as it is") << QStringList{" a b "} << QStringList{" a b "};
    // An empty text goes to the head too; the list then ends there, and the
    // older texts come back with the next search.
    QTest::addRow("empty text hides the older ones") << QStringList{"a", "b", ""} << QStringList{};
    QTest::addRow("older texts return after an empty one")
        << QStringList{"a", "b", "", "c"} << QStringList{"c", "b", "a"};
}

void TstSearchOptions::addToHistory()
{
    QFETCH(QStringList, added);
    QFETCH(QStringList, expected);

    TSearchStruct options;
    for (const QString &text : added)
        AddToHistory(options, text);
    QCOMPARE(History(options), expected);
}

void TstSearchOptions::historyToListStopsAtFirstEmptySlot()
{
    TSearchStruct options;
    options.FindStr[0] = QStringLiteral("a");
    options.FindStr[1] = QStringLiteral("b");
    options.FindStr[3] = QStringLiteral("d");
    QCOMPARE(History(options), (QStringList{"a", "b"}));

    for (int i = 0; i < TSearchStruct::HistorySize; ++i)
        options.FindStr[size_t(i)] = QString::number(i);
    QCOMPARE(History(options).size(), 10);
}

QTEST_GUILESS_MAIN(TstSearchOptions)
#include "tst_searchoptions.moc"
