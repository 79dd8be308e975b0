// Reading: detection, the four readers, the parser and the read results.
#include "kvfileerror.h"
#include "describedocument.h"
#include "kvmemini.h"
#include "kvplainmessage.h"
#include "kvtextcodec.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray Utf16(const QString &text, bool bigEndian)
{
    QByteArray bytes;
    for (const QChar c : text) {
        const char hi = char(c.unicode() >> 8);
        const char lo = char(c.unicode() & 0xFF);
        bytes.append(bigEndian ? hi : lo).append(bigEndian ? lo : hi);
    }
    return bytes;
}

constexpr int Detect = -1;

} // namespace

class TestReader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void detectEncoding_data();
    void detectEncoding();
    void parse_data();
    void parse();
    void readers_data();
    void readers();
    void utf32IsRefused();
    void readUtf8FromOffset();
    void sectionParseStopsAtNextHeader();
    void parseLine_data();
    void parseLine();
    void valueLinesSplitAsTheRuleSays();

    void missingFile();
    void folderIsRefused();
    void unreadableFileThrows();
    void explicitUnknownEncodingReadsAnsi();

private:
    TKvPlainMessageHandler m_previousHandler;
    QStringList m_messages;
};

void TestReader::initTestCase()
{
    KvTextCodec::SetSystemAnsiCodePage(1252);
    m_previousHandler = SetPlainMessageHandler([this](const QString &text) { m_messages << text; });
}

void TestReader::cleanupTestCase()
{
    SetPlainMessageHandler(m_previousHandler);
    KvTextCodec::SetSystemAnsiCodePage(0);
}

void TestReader::detectEncoding_data()
{
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<quint32>("encoding");
    QTest::addRow("utf-8 mark") << QByteArray("\xEF\xBB\xBF[a]") << KvEncoding::Utf8;
    QTest::addRow("utf-32 be mark") << QByteArray("\x00\x00\xFE\xFF", 4) << KvEncoding::Utf32BE;
    QTest::addRow("utf-32 le mark") << QByteArray("\xFF\xFE\x00\x00", 4) << KvEncoding::Utf32LE;
    QTest::addRow("utf-16 be mark") << QByteArray("\xFE\xFF\x00[") << KvEncoding::Utf16BE;
    QTest::addRow("utf-16 le mark") << QByteArray("\xFF\xFE[\x00", 4) << KvEncoding::Utf16LE;
    QTest::addRow("three-byte ff fe 00 is utf-16 le") << QByteArray("\xFF\xFE\x00", 3) << KvEncoding::Utf16LE;
    QTest::addRow("truncated utf-8 mark") << QByteArray("\xEF\xBB") << KvEncoding::Unknown;
    QTest::addRow("zeros at odd offsets") << Utf16(QStringLiteral("[a]\r\nk=v"), false) << KvEncoding::Utf16LE;
    QTest::addRow("zeros at even offsets") << Utf16(QStringLiteral("[a]\r\nk=v"), true) << KvEncoding::Utf16BE;
    QTest::addRow("one zero is not enough") << QByteArray("ab\0cdefgh", 9) << KvEncoding::Unknown;
    QTest::addRow("zeros beyond byte 20 do not count")
        << QByteArray("abcdefghijklmnopqrstu\0v\0w\0", 27) << KvEncoding::Unknown;
    QTest::addRow("utf-8 named") << QByteArray("; charset=UTF-8\n[a]") << KvEncoding::Utf8;
    QTest::addRow("utf-8 mixed case") << QByteArray("; uTf-8") << KvEncoding::Utf8;
    QTest::addRow("utf_8 is not utf-8") << QByteArray("; utf_8") << KvEncoding::Unknown;
    QTest::addRow("utf-8 at byte 195") << QByteArray(195, 'x') + "utf-8" << KvEncoding::Utf8;
    QTest::addRow("utf-8 past byte 200") << QByteArray(196, 'x') + "utf-8" << KvEncoding::Unknown;
    QTest::addRow("plain ascii") << QByteArray("[a]\nk=v") << KvEncoding::Unknown;
    QTest::addRow("empty") << QByteArray() << KvEncoding::Unknown;
}

void TestReader::detectEncoding()
{
    QFETCH(QByteArray, head);
    QFETCH(quint32, encoding);
    QBuffer buffer(&head);
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    QCOMPARE(TKvMemIni::DetectEncoding(buffer), encoding);
    QCOMPARE(buffer.pos(), qint64(0));
}

void TestReader::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("document");
    QTest::addColumn<bool>("complete");

    QTest::addRow("spaces only") << "   " << "{;}" << true;
    QTest::addRow("lines before any header")
        << "a=1\r\n\r\nb=2" << "{;} 1:a=1; 0:=; 1:b=2;" << true;
    QTest::addRow("text starting with a header has no nameless section")
        << "  [s]\nk=v" << "{s;} 1:k=v;" << true;
    QTest::addRow("error line and blank line") << "[s]\nabc\n\n" << "{s;} 3:=abc; 0:=;" << true;
    QTest::addRow("header junk dropped, comment kept exactly")
        << "[ sec ] junk ; note \n" << "{sec; note }" << true;
    QTest::addRow("escaped semicolon in header") << "[s] a\\;b;c\n" << "{s;c}" << true;
    QTest::addRow("value with inline comment") << "[s]\nkey = value ; note" << "{s;} 1:key=value;note" << true;
    QTest::addRow("semicolon right after the equals sign") << "key=;note" << "{;} 1:key=;note" << true;
    QTest::addRow("escaped semicolon stays in the value") << "key=a\\;b" << "{;} 1:key=a\\;b;" << true;
    QTest::addRow("empty key") << "=x" << "{;} 1:=x;" << true;
    QTest::addRow("further equals signs belong to the value") << "a=b=c" << "{;} 1:a=b=c;" << true;
    QTest::addRow("semicolon before the equals sign belongs to the name")
        << "a;b=c" << "{;} 1:a;b=c;" << true;
    QTest::addRow("hash is no comment") << "#x=1\n#y" << "{;} 1:#x=1; 3:=#y;" << true;
    QTest::addRow("lone semicolon is blank") << ";\n;  \t\nk=1" << "{;} 0:=; 0:=; 1:k=1;" << true;
    QTest::addRow("comment line trimmed") << "  ;  a comment \t\n" << "{;} 2:=;a comment" << true;
    QTest::addRow("comment line control characters dropped")
        << QStringLiteral(";a\x01" "b\x0b" "c") << "{;} 2:=;abc" << true;
    QTest::addRow("indented lines") << "\t[s]\n\t  k = v\n  \tbad  \n" << "{s;} 1:k=v; 3:=bad;" << true;
    QTest::addRow("blank value keeps one character") << "k=  \nx=1" << "{;} 1:k= ; 1:x=1;" << true;
    QTest::addRow("blank name keeps one character") << "[   ]\n" << "{ ;}" << true;
    QTest::addRow("empty header makes a nameless section")
        << "[a]\nx=1\n[]\ny=2" << "{a;} 1:x=1; | {;} 1:y=2;" << true;
    QTest::addRow("lf only") << "[a]\nx=1\n[b]\ny=2\n" << "{a;} 1:x=1; | {b;} 1:y=2;" << true;
    QTest::addRow("lone carriage return ends a line")
        << "a=1\rb=2\r\nc=3" << "{;} 1:a=1; 1:b=2; 1:c=3;" << true;
    QTest::addRow("carriage return at the end") << "a=1\r" << "{;} 1:a=1;" << true;
    QTest::addRow("lone carriage returns between sections")
        << "[sec]\rkey=value\rname=other\r[t]\rx=1" << "{sec;} 1:key=value; 1:name=other; | {t;} 1:x=1;" << true;
    QTest::addRow("carriage return before a header") << "[s]\rk=1\r[t]\r" << "{s;} 1:k=1; | {t;}" << true;
    QTest::addRow("carriage return before a comment line")
        << "[s]\nk=x\r; k=old\n" << "{s;} 1:k=x; 2:=;k=old" << true;
    QTest::addRow("cr cr lf is a blank line between") << "a=1\r\r\nb=2" << "{;} 1:a=1; 0:=; 1:b=2;" << true;
    QTest::addRow("two lone carriage returns") << "a=1\r\rb=2" << "{;} 1:a=1; 0:=; 1:b=2;" << true;
    QTest::addRow("header without bracket fails") << "[a\nk=v" << "{;}" << false;
    QTest::addRow("tab inside a header fails") << "[a\tb]\n" << "{;}" << false;
    QTest::addRow("malformed header later keeps what was parsed")
        << "[a]\nk=v\n[b\n" << "{a;} 1:k=v; | {;}" << false;
    // Lines long enough to be scanned sixteen characters at a time, the marks
    // on either side of the blocks' edges.
    QTest::addRow("long line, marks in later blocks")
        << "name_of_sixteen_=value of more than sixteen ; comment of more than sixteen\nk=v\n"
        << "{;} 1:name_of_sixteen_=value of more than sixteen;comment of more than sixteen 1:k=v;" << true;
    QTest::addRow("long line, semicolons before the equals sign and escaped ones after")
        << "a;b;c;d;e;f;g;h;i=0123456789abcde\\;x\\;0123456789abcdef;c;d\nk=v\n"
        << "{;} 1:a;b;c;d;e;f;g;h;i=0123456789abcde\\;x\\;0123456789abcdef;c;d 1:k=v;" << true;
    QTest::addRow("long line, the escaping backslash ends a block")
        << "key=0123456789\\;b;comment comment comment\nk=v\n"
        << "{;} 1:key=0123456789\\;b;comment comment comment 1:k=v;" << true;
    QTest::addRow("long line without an equals sign, tabs and a NUL-free end")
        << "a long\tline without the sign; but ; semicolons\r\nk=v\n"
        << "{;} 3:=a long\tline without the sign; but ; semicolons; 1:k=v;" << true;
    QTest::addRow("long line, control characters are no marks")
        << QStringLiteral("key\x01\x0e\x1f_with_controls=v\x0b\x0c alue of it ; c\x07omment\nk=v\n")
        << QStringLiteral("{;} 1:key\x01\x0e\x1f_with_controls=v\x0b\x0c alue of it;c\x07omment 1:k=v;") << true;
    QTest::addRow("unicode texts") << QStringLiteral("[Größe]\nnavn=Ærø ;ø") << QStringLiteral("{Größe;} 1:navn=Ærø;ø") << true;
}

void TestReader::parse()
{
    QFETCH(QString, text);
    QFETCH(QString, document);
    QFETCH(bool, complete);
    TKvMemIni ini;
    const std::optional<qsizetype> stop = ini.Parse(text);
    QCOMPARE(stop.has_value(), complete);
    if (complete)
        QCOMPARE(*stop, text.size());
    QCOMPARE(Describe(ini), document);
    // What the parse counted is what a count of the document finds.
    QVERIFY(ini.ReadCounts() == ini.CountAll());
}

void TestReader::readers_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("requested");
    QTest::addColumn<int>("result");
    QTest::addColumn<quint32>("encoding");
    QTest::addColumn<QString>("document");

    const QString sample = QStringLiteral("[s]\r\nk=v\r\n");
    const QString sampleDoc = QStringLiteral("{s;} 1:k=v;");

    QTest::addRow("empty utf-8") << QByteArray() << int(KvEncoding::Utf8) << 65001 << KvEncoding::Unknown << "";
    QTest::addRow("empty ansi") << QByteArray() << int(KvEncoding::Ansi) << 0 << KvEncoding::Ansi << "";
    QTest::addRow("empty detected") << QByteArray() << Detect << 0 << KvEncoding::Ansi << "";
    QTest::addRow("one byte as utf-16") << QByteArray("a") << int(KvEncoding::Utf16LE) << 1200 << KvEncoding::Utf16LE << "";
    QTest::addRow("spaces only") << QByteArray("   ") << Detect << 0 << KvEncoding::Ansi << "{;}";
    QTest::addRow("utf-8 mark only") << QByteArray("\xEF\xBB\xBF") << Detect << 65001 << KvEncoding::Utf8 << "{;}";
    QTest::addRow("utf-8 with mark") << QByteArray("\xEF\xBB\xBF") + sample.toUtf8() << Detect << 65001
                                     << KvEncoding::Utf8 << sampleDoc;
    QTest::addRow("utf-8 named in the text")
        << QByteArray("; utf-8\n[s]\nk=\xC3\xA6") << Detect << 65001 << KvEncoding::Utf8
        << QStringLiteral("{;} 2:=;utf-8 | {s;} 1:k=æ;");
    QTest::addRow("same bytes without the name are ansi")
        << QByteArray("[s]\nk=\xC3\xA6") << Detect << 0 << KvEncoding::Ansi << QStringLiteral("{s;} 1:k=Ã¦;");
    QTest::addRow("only the mark is skipped")
        << QByteArray("a\xC2\xBF=1") << int(KvEncoding::Utf8) << 65001 << KvEncoding::Utf8
        << QStringLiteral("{;} 1:a¿=1;");
    QTest::addRow("utf-16 le with mark") << QByteArray("\xFF\xFE") + Utf16(sample, false) << Detect << 1200
                                         << KvEncoding::Utf16LE << sampleDoc;
    QTest::addRow("utf-16 le without mark") << Utf16(sample, false) << Detect << 1200 << KvEncoding::Utf16LE
                                            << sampleDoc;
    QTest::addRow("utf-16 be with mark") << QByteArray("\xFE\xFF") + Utf16(sample, true) << Detect << 1201
                                         << KvEncoding::Utf16BE << sampleDoc;
    QTest::addRow("utf-16 be without mark") << Utf16(sample, true) << Detect << 1201 << KvEncoding::Utf16BE
                                            << sampleDoc;
    QTest::addRow("utf-16 odd final byte") << Utf16(QStringLiteral("k=v"), false) + "x"
                                           << int(KvEncoding::Utf16LE) << 1200 << KvEncoding::Utf16LE
                                           << "{;} 1:k=vx;";
    QTest::addRow("utf-16 text read as ansi fails") << Utf16(sample, false) << int(KvEncoding::Ansi) << lrUnparsable
                                                    << KvEncoding::Ansi << "{;}";
    QTest::addRow("utf-16 text read as utf-8 fails") << Utf16(sample, false) << int(KvEncoding::Utf8) << lrUnparsable
                                                     << KvEncoding::Unknown << "{;}";
    QTest::addRow("nul in the middle fails") << QByteArray("[s]\nk=v\0\nx=1\n", 12) << Detect << lrUnparsable
                                             << KvEncoding::Ansi << "{s;} 1:k=v;";
    QTest::addRow("nul within the last two characters ends the text")
        << QByteArray("k=v\0x", 5) << Detect << 0 << KvEncoding::Ansi << "{;} 1:k=v;";
    QTest::addRow("nul right after a carriage return ends the text")
        << QByteArray("k=v\r\0abc", 8) << int(KvEncoding::Ansi) << lrUnparsable << KvEncoding::Ansi << "{;} 1:k=v;";
    QTest::addRow("trailing nul tab and space trimmed")
        << QByteArray("k=v\r\n \t\0\0 ", 10) << Detect << 0 << KvEncoding::Ansi << "{;} 1:k=v;";
    QTest::addRow("unparsable utf-8 keeps encoding unknown")
        << QByteArray("[s\nk=v") << int(KvEncoding::Utf8) << lrUnparsable << KvEncoding::Unknown << "{;}";
    QTest::addRow("ansi 1252") << QByteArray("[s]\nk=\x80\xE6") << int(KvEncoding::Ansi) << 0 << KvEncoding::Ansi
                               << QStringLiteral("{s;} 1:k=€æ;");
    QTest::addRow("unknown code reads ansi") << QByteArray("k=v") << 4242 << 0 << KvEncoding::Ansi << "{;} 1:k=v;";
}

void TestReader::readers()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, requested);
    QFETCH(int, result);
    QFETCH(quint32, encoding);
    QFETCH(QString, document);

    QBuffer buffer(&bytes);
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    TKvMemIni ini;
    ini.Encoding = KvEncoding::Unknown; // as LoadFromFile leaves it
    const int read = requested == Detect ? ini.LoadFromStream(buffer)
                                         : ini.LoadFromStream(buffer, quint32(requested));
    QCOMPARE(read, result);
    QCOMPARE(ini.Encoding, encoding);
    QCOMPARE(Describe(ini), document);
    QVERIFY(ini.ReadCounts() == ini.CountAll());
}

void TestReader::utf32IsRefused()
{
    for (QByteArray bytes : {QByteArray("\xFF\xFE\x00\x00k\x00\x00\x00", 8), QByteArray("\x00\x00\xFE\xFF", 4)}) {
        m_messages.clear();
        QBuffer buffer(&bytes);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        TKvMemIni ini;
        ini.Encoding = 1200;
        QCOMPARE(ini.LoadFromStream(buffer), lrRefused32Bit);
        QCOMPARE(ini.Sections.Count(), 0);
        QCOMPARE(ini.Encoding, quint32(1200));
        QCOMPARE(m_messages, QStringList{QStringLiteral("32bit File Types are not supported.")});
    }
}

void TestReader::readUtf8FromOffset()
{
    QByteArray bytes = QByteArray(22, 'H') + "\xEF\xBB\xBF[s]\r\nk=v\r\n";
    QBuffer buffer(&bytes);
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    QVERIFY(buffer.seek(22));
    TKvMemIni ini;
    QCOMPARE(ini.ReadUtf8(buffer), 65001);
    QCOMPARE(Describe(ini), QStringLiteral("{s;} 1:k=v;"));

    QByteArray headerOnly(22, 'H');
    QBuffer empty(&headerOnly);
    QVERIFY(empty.open(QIODevice::ReadOnly));
    QVERIFY(empty.seek(22));
    TKvMemIni none;
    QCOMPARE(none.ReadUtf8(empty), 65001);
    QCOMPARE(none.Sections.Count(), 0);
}

void TestReader::sectionParseStopsAtNextHeader()
{
    const QString text = QStringLiteral("[copied] ;c\r\nk=v\r\n;note\r\n\r\n  [next]\r\nx=1");
    TKvIniSection section;
    const std::optional<qsizetype> stop = section.Parse(text);
    QVERIFY(stop);
    QCOMPARE(text.mid(*stop, 6), QStringLiteral("[next]"));
    QCOMPARE(section.Name, QStringLiteral("copied"));
    QCOMPARE(section.Comment, QStringLiteral("c"));
    QCOMPARE(section.Vals.Count(), 3);

    TKvIniSection broken;
    QVERIFY(!broken.Parse(QStringLiteral("[oops\nk=v")));
}

void TestReader::parseLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("lineEnd");
    QTest::addRow("value") << " key = v ; c \r\nnext" << "1:key=v;c" << 13;
    QTest::addRow("no equals sign") << ";hello" << "3:=;hello;" << 6;
    QTest::addRow("header text is an error line") << "[s] ;c\r\n" << "3:=[s] ;c;" << 6;
    QTest::addRow("empty") << "" << "3:=;" << 0;
}

void TestReader::parseLine()
{
    QFETCH(QString, line);
    QFETCH(QString, entry);
    QFETCH(int, lineEnd);
    TKvIniVal val;
    QCOMPARE(val.ParseLine(line), qsizetype(lineEnd));
    line.fill(u'#'); // the entry holds copies
    QCOMPARE(QStringLiteral("%1:%2=%3;%4").arg(int(val.Kind())).arg(val.Name(), val.Value(), val.Comment()),
             entry);
}

namespace {

// Characters below 33 trimmed from both ends; a text of nothing else keeps its last.
QString TrimBelow33(QStringView text)
{
    if (text.isEmpty())
        return {};
    qsizetype first = 0;
    qsizetype last = text.size() - 1;
    while (first < last && text[first].unicode() < 33)
        ++first;
    while (last > first && text[last].unicode() < 33)
        --last;
    return text.mid(first, last - first + 1).toString();
}

} // namespace

// Random value lines, read where the scan goes sixteen characters at a time
// and where it goes one by one, split as the rule says: the name before the
// first "=", the comment after the first ";" behind it that no backslash
// precedes, the value between; a line without "=" is unparsable.
void TestReader::valueLinesSplitAsTheRuleSays()
{
    QRandomGenerator random(20261211);
    const QString alphabet = QStringLiteral("ab =;\\\t\x01\u00e9\u65e5;=  \\;");
    for (int round = 0; round < 3000; ++round) {
        QString line = QStringLiteral("k");
        const int length = int(random.bounded(70));
        for (int i = 0; i < length; ++i)
            line += alphabet[qsizetype(random.bounded(quint32(alphabet.size())))];
        QString name, value, comment;
        TKvIniValKind kind = ikValue;
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0) {
            kind = ikError;
            value = TrimBelow33(line);
        } else {
            name = TrimBelow33(QStringView(line).first(equals));
            qsizetype semicolon = equals;
            do
                semicolon = line.indexOf(u';', semicolon + 1);
            while (semicolon > 0 && line[semicolon - 1] == u'\\');
            if (semicolon < 0) {
                value = TrimBelow33(QStringView(line).sliced(equals + 1));
            } else {
                value = TrimBelow33(QStringView(line).sliced(equals + 1, semicolon - equals - 1));
                comment = TrimBelow33(QStringView(line).sliced(semicolon + 1));
            }
        }
        // Shifted by up to fifteen blanks, and followed by more lines or
        // ending the text.
        const QString indent(int(random.bounded(16)), u' ');
        for (const QString &after : {QStringLiteral("\nnext = line of some length\n"), QString()}) {
            TKvMemIni ini;
            QVERIFY(ini.Parse(QStringLiteral("[s]\n") + indent + line + after));
            const TKvIniVal *val = ini.Sections[0]->Vals[0];
            const QByteArray where =
                QStringLiteral("line \"%1\" followed by %2 characters").arg(line).arg(after.size()).toUtf8();
            QVERIFY2(val->Kind() == kind, where.constData());
            QVERIFY2(val->Name() == name, where.constData());
            QVERIFY2(val->Value() == value, where.constData());
            QVERIFY2(val->Comment() == comment, where.constData());
        }
    }
}

void TestReader::missingFile()
{
    TKvMemIni ini;
    QCOMPARE(ini.LoadFromFile(QStringLiteral("/nonexistent/quillon/file.ini")), -1);
    QCOMPARE(ini.FileName, QStringLiteral("/nonexistent/quillon/file.ini"));
    QCOMPARE(ini.Encoding, KvEncoding::Unknown);
    QCOMPARE(ini.LoadFromFile(QStringLiteral("/nonexistent/x.ini"), KvEncoding::Utf8), -1);
}

// A folder exists: it is refused as a file that cannot be read, not reported missing.
void TestReader::folderIsRefused()
{
    QTemporaryDir dir;
    TKvMemIni ini;
    QVERIFY_THROWS_EXCEPTION(TKvFileError, ini.LoadFromFile(dir.path()));
    QVERIFY_THROWS_EXCEPTION(TKvFileError, ini.LoadFromFile(dir.path(), KvEncoding::Utf8));
}

void TestReader::unreadableFileThrows()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("secret.ini"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("k=v");
    file.close();
    QVERIFY(file.setPermissions(QFileDevice::Permissions()));
    if (QFile(path).open(QIODevice::ReadOnly))
        QSKIP("this user can read files without permission (root)");
    TKvMemIni ini;
    QVERIFY_THROWS_EXCEPTION(TKvFileError, ini.LoadFromFile(path));
}

void TestReader::explicitUnknownEncodingReadsAnsi()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.ini"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("\xEF\xBB\xBFk=v");
    file.close();
    TKvMemIni ini;
    // No detection when a code is given, even the "not yet known" one.
    QCOMPARE(ini.LoadFromFile(path, KvEncoding::Unknown), 0);
    QCOMPARE(ini.Encoding, KvEncoding::Ansi);
    QCOMPARE(ini.Sections[0]->Vals[0]->Name(), QStringLiteral("ï»¿k"));
    QCOMPARE(ini.LoadFromFile(path), 65001);
}

QTEST_GUILESS_MAIN(TestReader)
#include "tst_reader.moc"
