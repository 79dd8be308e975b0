// The text matcher: case, whole words, delimiters and the work buffer.
#include "kvsearch.h"

#include <QTest>

class TstKvSearch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void find_data();
    void find();
    void delimiters_data();
    void delimiters();
    void delimiterSet();
    void preparedText_data();
    void preparedText();
    void workBuffer();
    void leavesTextAlone();
};

void TstKvSearch::find_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("findText");
    QTest::addColumn<bool>("caseSensitive");
    QTest::addColumn<bool>("wholeWords");
    QTest::addColumn<int>("expected");

    // Plain matching.
    QTest::addRow("empty find text") << QStringLiteral("abc") << QString() << false << false << -1;
    QTest::addRow("empty find text, case sensitive")
        << QStringLiteral("abc") << QString() << true << false << -1;
    QTest::addRow("empty text") << QString() << QStringLiteral("a") << false << false << -1;
    QTest::addRow("find text longer than text")
        << QStringLiteral("ab") << QStringLiteral("abc") << false << false << -1;
    QTest::addRow("whole text") << QStringLiteral("abc") << QStringLiteral("abc") << false << false << 0;
    QTest::addRow("first of several")
        << QStringLiteral("xabcabc") << QStringLiteral("abc") << false << false << 1;
    QTest::addRow("at the end") << QStringLiteral("xxab") << QStringLiteral("ab") << false << false << 2;
    QTest::addRow("first character alone is no match")
        << QStringLiteral("aaab") << QStringLiteral("ab") << false << false << 2;
    QTest::addRow("partial match at the end")
        << QStringLiteral("xxa") << QStringLiteral("ab") << false << false << -1;
    QTest::addRow("one character") << QStringLiteral("xyz") << QStringLiteral("z") << true << false << 2;

    // Case.
    QTest::addRow("upper find text finds lower")
        << QStringLiteral("a word") << QStringLiteral("WORD") << false << false << 2;
    QTest::addRow("lower find text finds mixed")
        << QStringLiteral("a WoRd") << QStringLiteral("word") << false << false << 2;
    QTest::addRow("case sensitive misses other case")
        << QStringLiteral("a Word") << QStringLiteral("word") << true << false << -1;
    QTest::addRow("case sensitive finds same case")
        << QStringLiteral("word Word") << QStringLiteral("Word") << true << false << 5;
    QTest::addRow("non-ASCII letters ignore case")
        << QStringLiteral("x \u00c6BLE") << QStringLiteral("\u00e6ble") << false << false << 2;
    QTest::addRow("Greek ignores case") << QStringLiteral("\u03a3\u039f\u03a6\u0399\u0391")
                                        << QStringLiteral("\u03c3\u03bf\u03c6") << false << false << 0;
    // Folding is one code unit to one, so positions after a letter whose full
    // lower case is longer stay where they were.
    QTest::addRow("positions stay aligned after dotted capital I")
        << QStringLiteral("\u0130\u0130 ab") << QStringLiteral("AB") << false << false << 3;
    QTest::addRow("positions count code units after a surrogate pair")
        << QStringLiteral("\U0001F600 ab") << QStringLiteral("ab") << false << false << 3;

    // Whole words.
    QTest::addRow("space before, full stop after")
        << QStringLiteral("the cat.") << QStringLiteral("cat") << false << true << 4;
    QTest::addRow("hyphen-minus before")
        << QStringLiteral("x-ray") << QStringLiteral("ray") << false << true << 2;
    QTest::addRow("letter after") << QStringLiteral("cats") << QStringLiteral("cat") << false << true << -1;
    QTest::addRow("letter before") << QStringLiteral("scat") << QStringLiteral("cat") << false << true << -1;
    QTest::addRow("underscore after")
        << QStringLiteral("cat_1") << QStringLiteral("cat") << false << true << -1;
    QTest::addRow("underscore before")
        << QStringLiteral("my_cat") << QStringLiteral("cat") << false << true << -1;
    QTest::addRow("digit after") << QStringLiteral("cat2") << QStringLiteral("cat") << false << true << -1;
    QTest::addRow("tab is no delimiter")
        << QStringLiteral("\tcat") << QStringLiteral("cat") << false << true << -1;
    QTest::addRow("start and end of text are boundaries")
        << QStringLiteral("cat") << QStringLiteral("cat") << false << true << 0;
    QTest::addRow("match ends the text")
        << QStringLiteral("a cat") << QStringLiteral("cat") << false << true << 2;
    QTest::addRow("match starts the text")
        << QStringLiteral("cat=1") << QStringLiteral("cat") << false << true << 0;
    QTest::addRow("later whole word after a part word")
        << QStringLiteral("cats cat") << QStringLiteral("cat") << false << true << 5;
    QTest::addRow("overlapping candidates")
        << QStringLiteral("aaa aa") << QStringLiteral("aa") << false << true << 4;
    QTest::addRow("whole word ignoring case")
        << QStringLiteral("(CAT)") << QStringLiteral("cat") << false << true << 1;
    QTest::addRow("whole word, case sensitive")
        << QStringLiteral("CAT cat") << QStringLiteral("cat") << true << true << 4;
    QTest::addRow("find text with delimiters inside")
        << QStringLiteral("a.b a b") << QStringLiteral("a b") << false << true << 4;
    QTest::addRow("part word without whole words")
        << QStringLiteral("concatenate") << QStringLiteral("cat") << false << false << 3;

    // Every ASCII letter, the first and the last of the alphabet included.
    for (char16_t upper = u'A'; upper <= u'Z'; ++upper) {
        const QString big(QChar{upper});
        const QString small(QChar(upper + 32));
        QTest::addRow("%s finds %s", qPrintable(big), qPrintable(small))
            << u'-' + small << big << false << false << 1;
        QTest::addRow("%s finds %s", qPrintable(small), qPrintable(big))
            << u'-' + big << small << false << false << 1;
        QTest::addRow("%s misses %s, case sensitive", qPrintable(big), qPrintable(small))
            << u'-' + small << big << true << false << -1;
    }
}

void TstKvSearch::find()
{
    QFETCH(QString, text);
    QFETCH(QString, findText);
    QFETCH(bool, caseSensitive);
    QFETCH(bool, wholeWords);
    QFETCH(int, expected);

    TKvSearch search(findText, caseSensitive, wholeWords);
    QCOMPARE(search.Find(text), qsizetype(expected));
    // The same search again gives the same answer (the work buffer is reused).
    QCOMPARE(search.Find(text), qsizetype(expected));
}

void TstKvSearch::delimiters_data()
{
    QTest::addColumn<QChar>("character");
    QTest::addColumn<bool>("delimiter");

    const QString delimiters = QStringLiteral(" .,\"':?!()&;[]{}/<>-+*=|");
    for (QChar c : delimiters)
        QTest::addRow("U+%04X", c.unicode()) << c << true;
    for (char16_t c : {u'\t', u'\n', u'\r', u'_', u'a', u'Z', u'0', u'#', u'@', u'$', u'%', u'~', u'\\', u'`',
                       u'^', u'\u00a0', u'\u2013'})
        QTest::addRow("U+%04X", unsigned(c)) << QChar(c) << false;
}

void TstKvSearch::delimiters()
{
    QFETCH(QChar, character);
    QFETCH(bool, delimiter);

    TKvSearch search(u"w", false, true);
    QCOMPARE(search.IsDelimiter(character.unicode()), delimiter);
    // Before, after and on both sides of the word.
    const QString before = QString(character) + QLatin1Char('w');
    const QString after = QStringLiteral("w") + character;
    const QString around =
        QStringLiteral("xw") + character + QStringLiteral("w") + character + QStringLiteral("wx");
    QCOMPARE(search.Find(before), delimiter ? qsizetype(1) : qsizetype(-1));
    QCOMPARE(search.Find(after), delimiter ? qsizetype(0) : qsizetype(-1));
    QCOMPARE(search.Find(around), delimiter ? qsizetype(3) : qsizetype(-1));
}

void TstKvSearch::delimiterSet()
{
    const QStringView set = TKvSearch::DefaultDelimiters();
    QCOMPARE(set.size(), qsizetype(25));
    QCOMPARE(set.count(u'-'), qsizetype(2));
    QCOMPARE(set, QStringView(u" .,\"':?!()&;[]{}/<>-+*=-|"));
}

void TstKvSearch::preparedText_data()
{
    QTest::addColumn<QString>("findText");
    QTest::addColumn<bool>("caseSensitive");
    QTest::addColumn<QString>("prepared");

    QTest::addRow("lower-cased") << QStringLiteral("AbC \u00c4") << false << QStringLiteral("abc \u00e4");
    QTest::addRow("kept as it is") << QStringLiteral("AbC \u00c4") << true << QStringLiteral("AbC \u00c4");
    QTest::addRow("same length after dotted capital I")
        << QStringLiteral("\u0130x") << false
        << QString(QChar(char16_t(QChar::toLower(u'\u0130')))) + QLatin1Char('x');
}

void TstKvSearch::preparedText()
{
    QFETCH(QString, findText);
    QFETCH(bool, caseSensitive);
    QFETCH(QString, prepared);

    const TKvSearch search(findText, caseSensitive, false);
    QCOMPARE(search.FindText(), QStringView(prepared));
    QCOMPARE(search.CaseSensitive(), caseSensitive);
    QVERIFY(!search.WholeWords());
}

void TstKvSearch::workBuffer()
{
    QCOMPARE(TKvSearch(u"x", true, false).BufferCapacity(), qsizetype(0));

    TKvSearch search(u"x", false, false);
    QCOMPARE(search.BufferCapacity(), qsizetype(200));
    QCOMPARE(search.Find(QString(200, QLatin1Char('a'))), qsizetype(-1));
    QCOMPARE(search.BufferCapacity(), qsizetype(200));

    // A longer text replaces the buffer with room for 100 more characters;
    // a match at the very end of it is still found.
    QString longText(250, QLatin1Char('a'));
    longText.append(QLatin1Char('X'));
    QCOMPARE(search.Find(longText), qsizetype(250));
    QCOMPARE(search.BufferCapacity(), qsizetype(351));
    QCOMPARE(search.Find(QString(351, QLatin1Char('a'))), qsizetype(-1));
    QCOMPARE(search.BufferCapacity(), qsizetype(351));
    // The buffer does not shrink, and a short text after a long one is not
    // confused by what the buffer held before.
    QCOMPARE(search.Find(u"ab"), qsizetype(-1));
    QCOMPARE(search.Find(u"Xb"), qsizetype(0));
    QCOMPARE(search.BufferCapacity(), qsizetype(351));
}

void TstKvSearch::leavesTextAlone()
{
    const QString original = QStringLiteral("Some MIXED Text");
    QString text = original;
    text.detach();
    TKvSearch search(u"mixed", false, true);
    QCOMPARE(search.Find(text), qsizetype(5));
    QCOMPARE(text, original);
}

QTEST_GUILESS_MAIN(TstKvSearch)
#include "tst_kvsearch.moc"
