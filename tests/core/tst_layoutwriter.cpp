// Keep-layout saving: what was read and not changed comes back byte for byte;
// changed and new lines are written afresh, one line each.
#include "describedocument.h"
#include "kvlayoutwriter.h"
#include "kvmemini.h"
#include "kvtextcodec.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

namespace {

constexpr quint32 Auto = KvEncoding::Unknown;

QByteArray ReadFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Reads bytes as a file would be read (detection for Auto).
int Load(TKvMemIni &ini, const QByteArray &bytes, quint32 encoding = Auto)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return encoding == Auto ? ini.LoadFromStream(buffer) : ini.LoadFromStream(buffer, encoding);
}

QByteArray KeepLayoutSave(TKvMemIni &ini, quint32 encoding)
{
    ini.KeepLayout = true;
    return ini.Encode(encoding);
}

// Text in an encoding, with or without its byte-order mark.
QByteArray EncodeAs(const QString &text, quint32 encoding, bool mark)
{
    switch (encoding) {
    case KvEncoding::Utf8:
        return (mark ? QByteArray("\xEF\xBB\xBF") : QByteArray()) + text.toUtf8();
    case KvEncoding::Utf16LE:
    case KvEncoding::Utf16BE: {
        const bool little = encoding == KvEncoding::Utf16LE;
        QByteArray bytes = mark ? (little ? QByteArray("\xFF\xFE") : QByteArray("\xFE\xFF")) : QByteArray();
        for (QChar c : text) {
            const char low = char(c.unicode() & 0xFF);
            const char high = char(c.unicode() >> 8);
            bytes.append(little ? low : high).append(little ? high : low);
        }
        return bytes;
    }
    default:
        return KvTextCodec::EncodeAnsi(text);
    }
}

TKvIniVal *FindKey(TKvMemIni &ini, const QString &section, const QString &key)
{
    const qint32 index = ini.IndexOfSectionName(section);
    if (index < 0)
        return nullptr;
    for (TKvIniVal *val : ini.Sections[index]->Vals) {
        if (val->Kind() == ikValue && val->NameView() == key)
            return val;
    }
    return nullptr;
}

} // namespace

class TestLayoutWriter : public QObject
{
    Q_OBJECT

private slots:
    void surrogatePairAtPartBoundary_data();
    void surrogatePairAtPartBoundary();
    void namelessSectionKeptWhenSorted();
    void initTestCase();
    void cleanupTestCase();

    void identity_data();
    void identity();
    void identityOfRoundTripFiles_data();
    void identityOfRoundTripFiles();
    void identityThroughFile();
    void identityOfRandomFiles_data();
    void identityOfRandomFiles();

    void oneEditOneLine_data();
    void oneEditOneLine();
    void freshLineEnds_data();
    void freshLineEnds();
    void changes_data();
    void changes();
    void sortedSectionsKeepTheirLines();
    void otherEncodingFollowsWriteBom();
    void normalisingSaveUnchanged();
    void containerKeepsItsMark();
    void encodingLoss();
    void utf8LocaleReadsUtf8AsAnsi();
};

void TestLayoutWriter::initTestCase()
{
    KvTextCodec::SetSystemAnsiCodePage(1252);
}

void TestLayoutWriter::cleanupTestCase()
{
    KvTextCodec::SetSystemAnsiCodePage(0);
}

void TestLayoutWriter::identity_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<quint32>("encoding");
    const QByteArray text = "; top\n[a] ;c\n  key = value ; note\n\nx=1\n";
    QTest::addRow("LF") << text << Auto;
    QTest::addRow("CR LF") << QByteArray(text).replace("\n", "\r\n") << Auto;
    QTest::addRow("mixed line ends") << QByteArray("a=1\r\nb=2\nc=3\r\n\n[s]\r\nd=4\n") << Auto;
    QTest::addRow("lone CR") << QByteArray("a=1\rXb=2\r\n[s]\rc=3\n") << Auto;
    QTest::addRow("lone CR before a header") << QByteArray("[s]\rk=1\r[t]\r") << Auto;
    QTest::addRow("CR only, no final line end") << QByteArray("[s]\rk=1\r;c\r\rx") << Auto;
    QTest::addRow("lone CR at the end") << QByteArray("a=1\r") << Auto;
    QTest::addRow("CR CR LF") << QByteArray("a=1\r\r\nb=2\r\r\r\n") << Auto;
    QTest::addRow("trailing spaces") << QByteArray("[s]\na=1\n   \t ") << Auto;
    QTest::addRow("trailing NULs") << QByteArray("[s]\na=1\n\0\0", 10) << Auto;
    QTest::addRow("trailing spaces on the last line") << QByteArray("[s]\na=1  \t") << Auto;
    QTest::addRow("no final line end") << QByteArray("[s]\na=1") << Auto;
    QTest::addRow("spaces only") << QByteArray("    ") << Auto;
    QTest::addRow("empty") << QByteArray() << Auto;
    QTest::addRow("header junk and comments")
        << QByteArray("[ sec ] junk ; note\n\tk\t=\tv\t;\tc\n;\n ;  \n") << Auto;
    QTest::addRow("nameless header first") << QByteArray("[]\na=1\n[]\nb=2\n") << Auto;
    QTest::addRow("error lines") << QByteArray("[s]\nabc\n  #hash\n=x\nk=a\\;b\n") << Auto;
    QTest::addRow("comment with control characters") << QByteArray("; a\x01"
                                                                   "b\x1b\n;\x02\n")
                                                     << Auto;
    QTest::addRow("far-apart texts") << (QByteArray("k") + QByteArray(300, ' ') + "=" + QByteArray(300, ' ')
                                         + "v ;" + QByteArray(300, ' ') + "c\n")
                                     << Auto;
    QTest::addRow("UTF-8 with mark") << QByteArray("\xEF\xBB\xBF[s]\nk=caf\xC3\xA9\n") << Auto;
    QTest::addRow("UTF-8 named, no mark") << QByteArray("; utf-8\nk=caf\xC3\xA9\n") << Auto;
    QTest::addRow("invalid UTF-8") << QByteArray("\xEF\xBB\xBFk=caf\xE9\xFF\x80\nz=\xC0\xAF\n") << Auto;
    QTest::addRow("invalid UTF-8, no mark") << QByteArray("k=caf\xE9\n\xED\xA0\x80=1") << KvEncoding::Utf8;
    QTest::addRow("ANSI 1252") << QByteArray("k=caf\xE9 \x80\x81\n") << Auto;
    QTest::addRow("UTF-16 LE with mark")
        << EncodeAs(u"[s]\r\nk=\u65E5\u672C\n"_qs, KvEncoding::Utf16LE, true) << Auto;
    QTest::addRow("UTF-16 BE without mark")
        << EncodeAs(u"[s]\nk=v\nx=1"_qs, KvEncoding::Utf16BE, false) << Auto;
    QTest::addRow("UTF-16 LE odd final byte")
        << EncodeAs(u"[s]\nk=v"_qs, KvEncoding::Utf16LE, true) + QByteArray("w") << Auto;
    QTest::addRow("UTF-16 BE odd final byte after line end")
        << EncodeAs(u"[s]\nk=v\n"_qs, KvEncoding::Utf16BE, true) + QByteArray(" ") << Auto;
    QTest::addRow("UTF-16 LE odd NUL byte")
        << EncodeAs(u"k=v\n"_qs, KvEncoding::Utf16LE, true) + QByteArray(1, '\0') << Auto;
}

// Load, then a keep-layout save in the encoding read gives the bytes read.
void TestLayoutWriter::identity()
{
    QFETCH(QByteArray, bytes);
    QFETCH(quint32, encoding);
    TKvMemIni ini;
    const int read = Load(ini, bytes, encoding);
    QVERIFY2(read >= 0, qPrintable(QString::number(read)));
    QCOMPARE(KeepLayoutSave(ini, ini.Encoding), bytes);
}

void TestLayoutWriter::identityOfRoundTripFiles_data()
{
    QTest::addColumn<QString>("path");
    const QDir dir(QStringLiteral(QUILLON_TEST_DATA "/roundtrip"));
    const QStringList names = dir.entryList({QStringLiteral("*.ini")}, QDir::Files, QDir::Name);
    QVERIFY(!names.isEmpty());
    for (const QString &name : names)
        QTest::newRow(qPrintable(name)) << dir.filePath(name);
}

void TestLayoutWriter::identityOfRoundTripFiles()
{
    QFETCH(QString, path);
    TKvMemIni ini;
    QVERIFY(ini.LoadFromFile(path) >= 0);
    QCOMPARE(KeepLayoutSave(ini, ini.Encoding), ReadFile(path));
    // Unchanged after one edit elsewhere and its undoing by a delete.
    TKvIniSection *last = ini.Sections.Last();
    TKvIniVal *added = last->AddVal(u"added", u"1", u"");
    last->DeleteVal(added);
    QCOMPARE(ini.Encode(ini.Encoding), ReadFile(path));
}

void TestLayoutWriter::identityThroughFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.ini"));
    const QByteArray bytes("[s]\n  a = 1\r\nb=2   \0", 20);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    TKvMemIni ini;
    QCOMPARE(ini.LoadFromFile(path), 0);
    ini.KeepLayout = true;
    ini.SaveToFile(path, ini.Encoding);
    QCOMPARE(ReadFile(path), bytes);
}

void TestLayoutWriter::identityOfRandomFiles_data()
{
    QTest::addColumn<quint32>("encoding");
    QTest::addRow("detected") << Auto;
    QTest::addRow("ANSI") << KvEncoding::Ansi;
    QTest::addRow("UTF-8") << KvEncoding::Utf8;
    QTest::addRow("UTF-16 LE") << KvEncoding::Utf16LE;
    QTest::addRow("UTF-16 BE") << KvEncoding::Utf16BE;
}

// Every file that reads without error comes back byte for byte: short files
// made of the characters that matter to the reader.
void TestLayoutWriter::identityOfRandomFiles()
{
    QFETCH(quint32, encoding);
    static const char alphabet[] = {'a',    '=',    ';',    '[',    ']',    ' ',    '\t',   '\r',
                                    '\n',   '\0',   '\\',   'u',    't',    'f',    '-',    '8',
                                    '\xC3', '\xA9', '\xFF', '\xFE', '\xEF', '\xBB', '\xBF', '\x80'};
    QRandomGenerator random(13);
    int readable = 0;
    for (int round = 0; round < 20000; ++round) {
        QByteArray bytes;
        const int length = random.bounded(32);
        for (int i = 0; i < length; ++i)
            bytes.append(alphabet[random.bounded(int(sizeof alphabet))]);
        TKvMemIni ini;
        if (Load(ini, bytes, encoding) < 0)
            continue;
        ++readable;
        const QByteArray saved = KeepLayoutSave(ini, ini.Encoding);
        if (saved != bytes)
            QFAIL(qPrintable(
                QStringLiteral("%1 came back as %2")
                    .arg(QString::fromLatin1(bytes.toHex(' ')), QString::fromLatin1(saved.toHex(' ')))));
    }
    QVERIFY(readable > 500);
}

void TestLayoutWriter::oneEditOneLine_data()
{
    QTest::addColumn<quint32>("encoding");
    QTest::addColumn<bool>("mark");
    QTest::addColumn<QString>("lineEnd");
    for (const QString &lineEnd : {QStringLiteral("\n"), QStringLiteral("\r\n")}) {
        const char *end = lineEnd.size() == 1 ? "LF" : "CRLF";
        QTest::addRow("UTF-8 %s", end) << KvEncoding::Utf8 << false << lineEnd;
        QTest::addRow("UTF-8 mark %s", end) << KvEncoding::Utf8 << true << lineEnd;
        QTest::addRow("ANSI %s", end) << KvEncoding::Ansi << false << lineEnd;
        QTest::addRow("UTF-16 LE %s", end) << KvEncoding::Utf16LE << true << lineEnd;
        QTest::addRow("UTF-16 BE %s", end) << KvEncoding::Utf16BE << true << lineEnd;
        QTest::addRow("UTF-16 LE no mark %s", end) << KvEncoding::Utf16LE << false << lineEnd;
    }
}

// An edit of one value changes exactly that line, in every encoding.
void TestLayoutWriter::oneEditOneLine()
{
    QFETCH(quint32, encoding);
    QFETCH(bool, mark);
    QFETCH(QString, lineEnd);
    QString before = QStringLiteral("; caf\u00e9 settings\n[main] ; the main one\n  name = Quillon ; app\n"
                                    "\tpath=/usr/bin\n\n[other]\nk = v\nlast = 1");
    QString after = before;
    after.replace(QStringLiteral("\tpath=/usr/bin"), QStringLiteral("path=/opt/bin"));
    before.replace(u'\n', lineEnd);
    after.replace(u'\n', lineEnd);
    const QByteArray bytes = EncodeAs(before, encoding, mark);

    TKvMemIni ini;
    QCOMPARE(Load(ini, bytes, encoding), int(encoding));
    TKvIniVal *path = FindKey(ini, QStringLiteral("main"), QStringLiteral("path"));
    QVERIFY(path);
    path->SetValue(u"/opt/bin");
    QCOMPARE(KeepLayoutSave(ini, encoding), EncodeAs(after, encoding, mark));
}

void TestLayoutWriter::freshLineEnds_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("expected");
    QTest::addRow("LF") << QByteArray("[a]\nx=1\n") << QByteArray("[a]\nx=1\ny=2\n[b]\nz=3\n");
    QTest::addRow("CR LF") << QByteArray("[a]\r\nx=1\r\n")
                           << QByteArray("[a]\r\nx=1\r\ny=2\r\n[b]\r\nz=3\r\n");
    QTest::addRow("mostly LF") << QByteArray("[a]\r\nx=1\n\n") << QByteArray("[a]\r\nx=1\ny=2\n\n[b]\nz=3\n");
    QTest::addRow("lone CR") << QByteArray("[a]\rx=1\r") << QByteArray("[a]\rx=1\ry=2\r[b]\rz=3\r");
    QTest::addRow("as many LF as CR LF")
        << QByteArray("[a]\r\nx=1\n") << QByteArray("[a]\r\nx=1\ny=2\n[b]\nz=3\n");
    QTest::addRow("mostly CR LF beside a lone CR")
        << QByteArray("[a]\r\nx=1\r\n\r") << QByteArray("[a]\r\nx=1\r\ny=2\r\n\r[b]\r\nz=3\r\n");
    QTest::addRow("no line end at all") << QByteArray("[a]") << QByteArray("[a]\ny=2\n[b]\nz=3\n");
    QTest::addRow("no final line end")
        << QByteArray("[a]\r\nx=1  ") << QByteArray("[a]\r\nx=1  \r\ny=2\r\n[b]\r\nz=3\r\n");
    QTest::addRow("trailing NULs stay last")
        << QByteArray("[a]\nx=1\n\0\0", 10) << QByteArray("[a]\nx=1\ny=2\n[b]\nz=3\n\0\0", 22);
}

// New lines take the line end the file mostly uses; no empty line follows a section.
void TestLayoutWriter::freshLineEnds()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, expected);
    TKvMemIni ini;
    QCOMPARE(Load(ini, bytes), 0);
    TKvIniSection *a = ini.Sections[ini.IndexOfSectionName(u"a")];
    qint32 index = a->Vals.Count();
    while (index > 0 && a->Vals[index - 1]->Kind() == ikBlank)
        --index;
    a->InsertVal(index, u"y", u"2", u"");
    ini.AddSection(QStringLiteral("b"))->AddVal(u"z", u"3", u"");
    QCOMPARE(KeepLayoutSave(ini, ini.Encoding), expected);
}

void TestLayoutWriter::changes_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QByteArray>("expected");
    // From: "; top\n[s] ;c\n  a = 1 ; x\n b=2\n\n[t]\nc = 3\n"
    QTest::addRow("setting the same value rewrites the line")
        << "same value" << QByteArray("; top\n[s] ;c\na=1 ;x\n b=2\n\n[t]\nc = 3\n");
    QTest::addRow("comment toggle") << "toggle"
                                    << QByteArray("; top\n[s] ;c\n  a = 1 ; x\n;b=2\n\n[t]\nc = 3\n");
    QTest::addRow("delete a line") << "delete" << QByteArray("; top\n[s] ;c\n b=2\n\n[t]\nc = 3\n");
    QTest::addRow("delete a section") << "delete section" << QByteArray("; top\n[t]\nc = 3\n");
    QTest::addRow("rename a section")
        << "rename" << QByteArray("; top\n[S2] ;c\n  a = 1 ; x\n b=2\n\n[t]\nc = 3\n");
    QTest::addRow("section comment") << "section comment"
                                     << QByteArray("; top\n[s] ;new\n  a = 1 ; x\n b=2\n\n[t]\nc = 3\n");
    QTest::addRow("sort moves two lines")
        << "sort descending" << QByteArray("; top\n[s] ;c\nb=2\na=1 ;x\n\n[t]\nc = 3\n");
    QTest::addRow("sort already in order")
        << "sort" << QByteArray("; top\n[s] ;c\n  a = 1 ; x\n b=2\n\n[t]\nc = 3\n");
    QTest::addRow("copied section") << "copy"
                                    << QByteArray(
                                           "; top\n[s] ;c\n  a = 1 ; x\n b=2\n\n[t]\nc = 3\n[u]\nc=3\n");
    QTest::addRow("pasted section") << "paste"
                                    << QByteArray(
                                           "; top\n[s] ;c\n  a = 1 ; x\n b=2\n\n[t]\nc = 3\n[p]\nq=1\n");
    QTest::addRow("entry moved by delete and insert")
        << "insert first" << QByteArray("; top\n[s] ;c\nnew=0\n  a = 1 ; x\n b=2\n\n[t]\nc = 3\n");
}

void TestLayoutWriter::changes()
{
    QFETCH(QString, change);
    QFETCH(QByteArray, expected);
    TKvMemIni ini;
    QCOMPARE(Load(ini, "; top\n[s] ;c\n  a = 1 ; x\n b=2\n\n[t]\nc = 3\n"), 0);
    TKvIniSection *s = ini.Sections[1];
    if (change == u"same value") {
        s->Vals[0]->SetValue(u"1");
    } else if (change == u"toggle") {
        s->Vals[1]->ToggleComment();
    } else if (change == u"delete") {
        s->DeleteVal(s->Vals[0]);
    } else if (change == u"delete section") {
        ini.DeleteSection(s);
    } else if (change == u"rename") {
        s->Name = QStringLiteral("S2");
    } else if (change == u"section comment") {
        s->Comment = QStringLiteral("new");
    } else if (change == u"sort descending") {
        s->SortVals(skName, false);
    } else if (change == u"sort") {
        s->SortVals(skName, true);
    } else if (change == u"copy") {
        ini.CopySection(ini.Sections[2], QStringLiteral("u"));
    } else if (change == u"paste") {
        auto *pasted = new TKvIniSection;
        QVERIFY(pasted->Parse(QStringLiteral("[p]\r\nq=1\r\n")));
        ini.Sections.Add(pasted);
    } else if (change == u"insert first") {
        s->InsertVal(0, u"new", u"0", u"");
    }
    QCOMPARE(KeepLayoutSave(ini, ini.Encoding), expected);
}

// Sections put in another order keep their entries' lines; the moved headers
// are written afresh.
void TestLayoutWriter::sortedSectionsKeepTheirLines()
{
    TKvMemIni ini;
    QCOMPARE(Load(ini, "top = 1\n[c]\n  x = 1\n[b] ;cb\n y = 2\n[a]\n z = 3"), 0);
    ini.SortSections(skName, true);
    QCOMPARE(KeepLayoutSave(ini, ini.Encoding),
             QByteArray("top = 1\n[a]\n z = 3\n[b] ;cb\n y = 2\n[c]\n  x = 1\n"));
}

// Saved in another encoding the lines stay, and the mark follows WriteBom.
void TestLayoutWriter::otherEncodingFollowsWriteBom()
{
    TKvMemIni ini;
    QCOMPARE(Load(ini, "[s]\n k = v\n"), 0);
    QCOMPARE(KeepLayoutSave(ini, KvEncoding::Utf8), QByteArray("\xEF\xBB\xBF[s]\n k = v\n"));
    QVERIFY(ini.WritesMark(KvEncoding::Utf8));
    QVERIFY(!ini.WritesMark(KvEncoding::Ansi));
    ini.WriteBom = false;
    QCOMPARE(ini.Encode(KvEncoding::Utf16LE), EncodeAs(u"[s]\n k = v\n"_qs, KvEncoding::Utf16LE, false));
}

void TestLayoutWriter::normalisingSaveUnchanged()
{
    TKvMemIni ini;
    QCOMPARE(Load(ini, "[s]\n k = v ; c\n"), 0);
    QVERIFY(!ini.KeepLayout);
    QCOMPARE(ini.Encode(ini.Encoding), QByteArray("[s]\r\nk=v ;c\r\n\r\n"));
    TKvMemIni fresh;
    fresh.KeepLayout = true;
    fresh.AddSection(QString())->AddVal(u"", u"", u"");
    fresh.AddSection(QStringLiteral("n"))->AddVal(u"k", u"v", u"");
    // Never read, a document has no layout to keep: the usual form, with LF.
    QCOMPARE(fresh.Encode(KvEncoding::Utf8), QByteArray("\xEF\xBB\xBF\n[n]\nk=v\n\n"));
    fresh.KeepLayout = false;
    QCOMPARE(fresh.Encode(KvEncoding::Utf8), QByteArray("\xEF\xBB\xBF\r\n[n]\r\nk=v\r\n\r\n"));
}

// The encrypted file always holds a byte-order mark after its header.
void TestLayoutWriter::containerKeepsItsMark()
{
    TKvMemIni ini;
    QCOMPARE(Load(ini, "k=v\n", KvEncoding::Utf8), int(KvEncoding::Utf8));
    ini.KeepLayout = true;
    QVERIFY(!ini.WritesMark(KvEncoding::Utf8));
    QCOMPARE(ini.Encode(KvEncoding::Utf8), QByteArray("k=v\n"));
}

void TestLayoutWriter::encodingLoss()
{
    TKvMemIni ini;
    TKvIniSection *section = ini.AddSection(QStringLiteral("s"));
    section->AddVal(u"k", u"caf\u00e9 \u65E5\u672C\u65E5", u"");
    section->AddVal(u"e", u"\U0001F600", u"");
    KvTextCodec::TKvEncodingLoss loss = SaveEncodingLoss(ini, KvEncoding::Ansi);
    QCOMPARE(loss.Count, 4);
    QCOMPARE(loss.Examples, QStringList({u"\u65E5"_qs, u"\u672C"_qs, u"\U0001F600"_qs}));
    QCOMPARE(SaveEncodingLoss(ini, KvEncoding::Utf8).Count, 0);
    QCOMPARE(SaveEncodingLoss(ini, KvEncoding::Utf16BE).Count, 0);
    ini.KeepLayout = true;
    QCOMPARE(SaveEncodingLoss(ini, KvEncoding::Ansi).Count, 4);
    KvTextCodec::SetSystemAnsiCodePage(KvTextCodec::Utf8CodePage);
    QCOMPARE(SaveEncodingLoss(ini, KvEncoding::Ansi).Count, 0);
    KvTextCodec::SetSystemAnsiCodePage(1252);
}

// On a UTF-8 system a UTF-8 file without a mark, read as ANSI, shows its
// characters and goes back unchanged, without a mark.
void TestLayoutWriter::utf8LocaleReadsUtf8AsAnsi()
{
    KvTextCodec::SetSystemAnsiCodePage(KvTextCodec::Utf8CodePage);
    const QByteArray bytes("[s]\nname=caf\xC3\xA9\n");
    TKvMemIni ini;
    QCOMPARE(Load(ini, bytes), 0);
    QCOMPARE(ini.Sections[0]->Vals[0]->Value(), u"caf\u00e9"_qs);
    QCOMPARE(ini.Encode(ini.Encoding), QByteArray("[s]\r\nname=caf\xC3\xA9\r\n\r\n"));
    QCOMPARE(KeepLayoutSave(ini, ini.Encoding), bytes);
    ini.Sections[0]->Vals[0]->SetValue(u"na\u00efve");
    QCOMPARE(ini.Encode(ini.Encoding), QByteArray("[s]\nname=na\xC3\xAFve\n"));
    KvTextCodec::SetSystemAnsiCodePage(1252);
}

// The writer hands its text on in parts of 65,536 units: a pair split between
// two parts still goes out as its four bytes, untouched lines byte-identical.
void TestLayoutWriter::surrogatePairAtPartBoundary_data()
{
    QTest::addColumn<int>("offset");
    QTest::addColumn<quint32>("encoding");
    for (const int offset : {65533, 65534, 65535, 65536}) {
        QTest::addRow("UTF-8, pair at %d", offset) << offset << quint32(KvEncoding::Utf8);
        QTest::addRow("ANSI as UTF-8, pair at %d", offset) << offset << quint32(KvEncoding::Ansi);
        QTest::addRow("UTF-16 LE, pair at %d", offset) << offset << quint32(KvEncoding::Utf16LE);
    }
}

void TestLayoutWriter::surrogatePairAtPartBoundary()
{
    QFETCH(int, offset);
    QFETCH(quint32, encoding);
    KvTextCodec::SetSystemAnsiCodePage(KvTextCodec::Utf8CodePage);
    // "[s]\n" and "k=" come first; the pair starts at offset (in units).
    QString text = QStringLiteral("[s]\nk=") + QString(offset - 6, u'x')
                   + QString::fromUtf8("\xF0\x9F\x98\x80") + QStringLiteral("\nz=1\n");
    QByteArray bytes;
    if (encoding == KvEncoding::Utf16LE) {
        bytes = QByteArray("\xFF\xFE")
                + QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    } else {
        bytes = text.toUtf8();
    }
    TKvMemIni ini;
    QCOMPARE(Load(ini, bytes, encoding), int(encoding));
    QCOMPARE(KeepLayoutSave(ini, encoding), bytes);
    ini.Sections[0]->Vals[1]->SetValue(u"2"); // a changed line after the pair
    QByteArray changed = bytes;
    changed.chop(encoding == KvEncoding::Utf16LE ? 4 : 2);
    changed.append(encoding == KvEncoding::Utf16LE ? QByteArray("2\0\n\0", 4) : QByteArray("2\n"));
    QCOMPARE(KeepLayoutSave(ini, encoding), changed);
    KvTextCodec::SetSystemAnsiCodePage(1252);
}

// A nameless "[]" section that is not the first gets a header line of its own
// when sorting moves it: it stays a section.
void TestLayoutWriter::namelessSectionKeptWhenSorted()
{
    TKvMemIni ini;
    QCOMPARE(Load(ini, "top=1\n[b]\nx=1\n[]\ny=2\n"), 0);
    QCOMPARE(ini.Sections.Count(), 3);
    ini.SortSections(skName, true);
    TKvMemIni again;
    QCOMPARE(Load(again, KeepLayoutSave(ini, ini.Encoding)), 0);
    QCOMPARE(again.Sections.Count(), 3);
    QCOMPARE(Describe(again), Describe(ini));
}

QTEST_GUILESS_MAIN(TestLayoutWriter)
#include "tst_layoutwriter.moc"
