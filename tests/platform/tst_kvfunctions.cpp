// The small text helpers: trailing separator, digit grouping (also with the
// user's locale, in a child process), the option flag characters and making
// a text one line.
#include "kvfunctions.h"
#include "probe.h"

#include <QLocale>
#include <QTest>

class TstKvFunctions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void addTrailingBackslash_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::addRow("empty stays empty") << QString() << QString();
        QTest::addRow("folder") << QStringLiteral("/home/user") << QStringLiteral("/home/user/");
        QTest::addRow("already there") << QStringLiteral("/home/user/") << QStringLiteral("/home/user/");
        QTest::addRow("root") << QStringLiteral("/") << QStringLiteral("/");
        QTest::addRow("relative") << QStringLiteral("Quillon") << QStringLiteral("Quillon/");
        QTest::addRow("two slashes stay") << QStringLiteral("a//") << QStringLiteral("a//");
        QTest::addRow("backslash is no separator here") << QStringLiteral("a\\") << QStringLiteral("a\\/");
        QTest::addRow("non-ASCII") << QStringLiteral(u"/tmp/Skrivebord \u00E6\u00F8\u00E5")
                                   << QStringLiteral(u"/tmp/Skrivebord \u00E6\u00F8\u00E5/");
    }
    void addTrailingBackslash()
    {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(AddTrailingBackslash(path), expected);
    }

    void groupThousands_data()
    {
        QTest::addColumn<QString>("digits");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("expected");
        const QString comma = QStringLiteral(",");
        QTest::addRow("empty") << QString() << comma << QString();
        QTest::addRow("1") << QStringLiteral("1") << comma << QStringLiteral("1");
        QTest::addRow("12") << QStringLiteral("12") << comma << QStringLiteral("12");
        QTest::addRow("999") << QStringLiteral("999") << comma << QStringLiteral("999");
        QTest::addRow("1000") << QStringLiteral("1000") << comma << QStringLiteral("1,000");
        QTest::addRow("1234") << QStringLiteral("1234") << comma << QStringLiteral("1,234");
        QTest::addRow("12345") << QStringLiteral("12345") << comma << QStringLiteral("12,345");
        QTest::addRow("123456") << QStringLiteral("123456") << comma << QStringLiteral("123,456");
        QTest::addRow("1234567") << QStringLiteral("1234567") << comma << QStringLiteral("1,234,567");
        QTest::addRow("2147483647") << QStringLiteral("2147483647") << comma
                                    << QStringLiteral("2,147,483,647");
        QTest::addRow("dot") << QStringLiteral("1234567") << QStringLiteral(".")
                             << QStringLiteral("1.234.567");
        QTest::addRow("narrow no-break space") << QStringLiteral("1234567") << QStringLiteral(u"\u202F")
                                               << QStringLiteral(u"1\u202F234\u202F567");
        QTest::addRow("two-character separator")
            << QStringLiteral("12345") << QStringLiteral("'.") << QStringLiteral("12'.345");
        QTest::addRow("no separator") << QStringLiteral("12345") << QString() << QStringLiteral("12345");
    }
    void groupThousands()
    {
        QFETCH(QString, digits);
        QFETCH(QString, separator);
        QFETCH(QString, expected);
        QCOMPARE(GroupThousands(digits, separator), expected);
    }

    // The user's separator comes from the locale the process started with, so
    // each locale gets a process of its own.
    void groupThousandsWithUserSeparator_data()
    {
        QTest::addColumn<QString>("lang");
        QTest::addColumn<QString>("digits");
        QTest::addColumn<QString>("expected");
        QTest::addRow("Danish") << QStringLiteral("da_DK.UTF-8") << QStringLiteral("1234567")
                                << QStringLiteral("1.234.567");
        QTest::addRow("Danish, three digits")
            << QStringLiteral("da_DK.UTF-8") << QStringLiteral("999") << QStringLiteral("999");
        QTest::addRow("US English") << QStringLiteral("en_US.UTF-8") << QStringLiteral("1234567")
                                    << QStringLiteral("1,234,567");
        QTest::addRow("C") << QStringLiteral("C") << QStringLiteral("1234") << QStringLiteral("1,234");
        QTest::addRow("French") << QStringLiteral("fr_FR.UTF-8") << QStringLiteral("1234567")
                                << GroupThousands(QStringLiteral("1234567"),
                                                  QLocale(QStringLiteral("fr_FR")).groupSeparator());
    }
    void groupThousandsWithUserSeparator()
    {
        QFETCH(QString, lang);
        QFETCH(QString, digits);
        QFETCH(QString, expected);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("LC_ALL"));
        environment.remove(QStringLiteral("LC_NUMERIC"));
        environment.insert(QStringLiteral("LANG"), lang);
        const TProbeResult result = RunProbe({QStringLiteral("group"), digits}, environment);
        QCOMPARE(result.ExitCode, 0);
        QCOMPARE(result.Output, expected + u'\n');
    }

    void boolToChar()
    {
        QCOMPARE(BoolToChar(true), QChar(u'1'));
        QCOMPARE(BoolToChar(false), QChar(u'0'));
    }

    void charToBool_data()
    {
        QTest::addColumn<QChar>("c");
        QTest::addColumn<bool>("expected");
        QTest::addRow("0") << QChar(u'0') << false;
        QTest::addRow("1") << QChar(u'1') << true;
        QTest::addRow("2") << QChar(u'2') << true;
        QTest::addRow("letter") << QChar(u'x') << true;
        QTest::addRow("space") << QChar(u' ') << true;
        QTest::addRow("NUL") << QChar(u'\0') << true;
        QTest::addRow("fullwidth zero") << QChar(u'\uFF10') << true;
    }
    void charToBool()
    {
        QFETCH(QChar, c);
        QFETCH(bool, expected);
        QCOMPARE(CharToBool(c), expected);
    }

    void collapseLineBreaks_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::addRow("empty") << QString() << QString();
        QTest::addRow("one line unchanged") << QStringLiteral("a b  c\t") << QStringLiteral("a b  c\t");
        QTest::addRow("CR LF") << QStringLiteral("first\r\nsecond") << QStringLiteral("first second");
        QTest::addRow("LF") << QStringLiteral("first\nsecond") << QStringLiteral("first second");
        QTest::addRow("CR") << QStringLiteral("first\rsecond") << QStringLiteral("first second");
        QTest::addRow("LF CR") << QStringLiteral("first\n\rsecond") << QStringLiteral("first second");
        QTest::addRow("blank lines vanish") << QStringLiteral("a\r\n\r\n\r\nb") << QStringLiteral("a b");
        QTest::addRow("indentation after a break goes")
            << QStringLiteral("a\r\n    b") << QStringLiteral("a b");
        QTest::addRow("lines of spaces vanish") << QStringLiteral("a\n  \n \nb") << QStringLiteral("a b");
        QTest::addRow("spaces before a break stay") << QStringLiteral("a  \r\nb") << QStringLiteral("a   b");
        QTest::addRow("a tab after a break stays") << QStringLiteral("a\r\n\tb") << QStringLiteral("a \tb");
        QTest::addRow("leading break") << QStringLiteral("\r\nstart") << QStringLiteral(" start");
        QTest::addRow("trailing break") << QStringLiteral("end\r\n") << QStringLiteral("end ");
        QTest::addRow("only breaks") << QStringLiteral("\r\n\n\r ") << QStringLiteral(" ");
        QTest::addRow("three lines") << QStringLiteral("x=1\ny=2\nz=3") << QStringLiteral("x=1 y=2 z=3");
        QTest::addRow("other separators are kept")
            << QStringLiteral(u"a\u2028b\u0085c\vd") << QStringLiteral(u"a\u2028b\u0085c\vd");
    }
    void collapseLineBreaks()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        const QString line = CollapseLineBreaks(text);
        QCOMPARE(line, expected);
        QVERIFY(!line.contains(u'\r') && !line.contains(u'\n'));
    }
};

QTEST_GUILESS_MAIN(TstKvFunctions)
#include "tst_kvfunctions.moc"
