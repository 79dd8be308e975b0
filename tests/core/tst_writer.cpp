// Writing: lines, lengths, encodings, clipboard text forms and round trips.
#include "describedocument.h"
#include "kvfileerror.h"
#include "kvlayoutwriter.h"
#include "kvmemini.h"
#include "kvplainmessage.h"
#include "kvtextcodec.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A device that accepts a few bytes and then fails, like a full disk.
class FailingDevice : public QIODevice
{
public:
    explicit FailingDevice(qint64 capacity) : m_capacity(capacity) {}

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *, qint64 size) override
    {
        if (m_written + size > m_capacity) {
            setErrorString(QStringLiteral("No space left on device"));
            return -1;
        }
        m_written += size;
        return size;
    }

private:
    qint64 m_capacity;
    qint64 m_written = 0;
};

QByteArray SaveBytes(const TKvMemIni &ini, quint32 encoding)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    ini.SaveToStream(buffer, encoding);
    return buffer.data();
}

QByteArray ReadFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// The encoding a file read in `read` is written back in.
quint32 WriteBackEncoding(quint32 read)
{
    return read == KvEncoding::Ansi || read == KvEncoding::Utf16LE || read == KvEncoding::Utf16BE ? read
                                                                                                   : KvEncoding::Utf8;
}

} // namespace

class TestWriter : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void lines_data();
    void lines();
    void lengthsMatchWhatIsWritten();
    void emptyDocument_data();
    void emptyDocument();
    void encodings_data();
    void encodings();
    void secondWriteIsStable();
    void entryTextForm_data();
    void entryTextForm();
    void sectionTextForm_data();
    void sectionTextForm();

    void roundTrip_data();
    void roundTrip();
    void normalisedFixture();

    void readsBackWithDetection_data();
    void readsBackWithDetection();
    void utf8HintInLegacyCodePageIsRefused();
    void utf16WritesNoLoneSurrogate();
    void failingStreamThrows();
    void saveToFileWritesAndSetsName();
    void readOnlyTargetIsRefusedAndKept();

private:
    TKvPlainMessageHandler m_previousHandler;
    QStringList m_messages;
};

void TestWriter::initTestCase()
{
    KvTextCodec::SetSystemAnsiCodePage(1252);
    m_previousHandler = SetPlainMessageHandler([this](const QString &text) { m_messages << text; });
}

void TestWriter::cleanupTestCase()
{
    SetPlainMessageHandler(m_previousHandler);
    KvTextCodec::SetSystemAnsiCodePage(0);
}

void TestWriter::lines_data()
{
    QTest::addColumn<QString>("read");
    QTest::addColumn<QString>("written");

    QTest::addRow("value item") << "[s]\nkey = v ; c" << "[s]\r\nkey=v ;c\r\n\r\n";
    QTest::addRow("empty name") << "=x\n" << "=x\r\n\r\n";
    QTest::addRow("value without text") << "k=\n\n" << "k=\r\n\r\n";
    QTest::addRow("error lines unchanged") << "abc\na ; b\n" << "abc\r\na ; b\r\n\r\n";
    QTest::addRow("comment line") << ";  note  \n" << ";note\r\n\r\n";
    QTest::addRow("blank lines") << "\n  \n;\n" << "\r\n\r\n\r\n";
    QTest::addRow("no extra line after a blank last entry") << "[a]\nx=1\n\n[b]\ny=2\n\n"
                                                             << "[a]\r\nx=1\r\n\r\n[b]\r\ny=2\r\n\r\n";
    QTest::addRow("section without entries") << "[a]\n[b]" << "[a]\r\n[b]\r\n";
    QTest::addRow("section comment exactly as read") << "[a] ;  c \n" << "[a] ;  c \r\n";
    QTest::addRow("escaped semicolon kept") << "k=a\\;b ;c\n" << "k=a\\;b ;c\r\n\r\n";
    QTest::addRow("blank value keeps one space") << "k=  \nz=1" << "k= \r\nz=1\r\n\r\n";
    QTest::addRow("nameless middle section keeps its header")
        << "[a]\nx=1\n[] ;c\ny=2" << "[a]\r\nx=1\r\n\r\n[] ;c\r\ny=2\r\n\r\n";
    QTest::addRow("leading lines without header") << "k=1\n[a]" << "k=1\r\n\r\n[a]\r\n";
}

void TestWriter::lines()
{
    QFETCH(QString, read);
    QFETCH(QString, written);
    TKvMemIni ini;
    QVERIFY(ini.Parse(read));
    QCOMPARE(ini.GetText(), written);
}

void TestWriter::lengthsMatchWhatIsWritten()
{
    TKvMemIni ini;
    TKvIniSection *first = ini.AddSection(QString());
    first->Comment = QStringLiteral("not written");
    first->AddVal(u"k", u"v", u"c");
    TKvIniSection *named = ini.AddSection(QStringLiteral("named"));
    named->Comment = QStringLiteral("c");
    named->AddVal(u"", u"error", u"dropped comment");
    named->AddVal(u"", u"", u"comment");
    named->AddVal(u"", u"", u"");
    TKvIniVal *emptyComment = named->AddVal(u"x", u"", u"");
    emptyComment->ToggleComment();
    TKvIniSection *nameless = ini.AddSection(QString());
    nameless->AddVal(u"n", u"", u"");
    ini.AddSection(QStringLiteral("empty"));

    m_messages.clear();
    const QString text = ini.GetText();
    QCOMPARE(text.size(), ini.TextLength());
    QVERIFY(m_messages.isEmpty());
    qsizetype sum = 0;
    for (const TKvIniSection *section : ini.Sections) {
        QChar buffer[256];
        const qsizetype length = section->TextLength();
        QCOMPARE(section->WriteText(buffer) - buffer, length);
        sum += length;
        for (const TKvIniVal *val : section->Vals)
            QCOMPARE(val->WriteText(buffer) - buffer, val->TextLength());
    }
    // A nameless section past the first writes "[]" the standalone form leaves out.
    QCOMPARE(ini.TextLength(), sum + 4);
    QCOMPARE(text, QStringLiteral("k=v ;c\r\n\r\n[named] ;c\r\nerror\r\n;comment\r\n\r\n;x=\r\n\r\n[]\r\nn=\r\n\r\n"
                                  "[empty]\r\n"));
}

void TestWriter::emptyDocument_data()
{
    QTest::addColumn<bool>("newDocument");
    QTest::addColumn<bool>("writeBom");
    QTest::addColumn<quint32>("encoding");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addRow("new, utf-8") << true << true << KvEncoding::Utf8 << QByteArray("\xEF\xBB\xBF\r\n");
    QTest::addRow("new, ansi") << true << true << KvEncoding::Ansi << QByteArray("\r\n");
    QTest::addRow("new, utf-16 le") << true << true << KvEncoding::Utf16LE << QByteArray("\xFF\xFE\r\0\n\0", 6);
    QTest::addRow("no sections, utf-16 be") << false << true << KvEncoding::Utf16BE << QByteArray("\xFE\xFF");
    QTest::addRow("no sections, utf-8") << false << true << KvEncoding::Utf8 << QByteArray("\xEF\xBB\xBF");
    QTest::addRow("no sections, ansi") << false << true << KvEncoding::Ansi << QByteArray();
    QTest::addRow("no sections, no mark") << false << false << KvEncoding::Utf16LE << QByteArray();
    QTest::addRow("new, no mark") << true << false << KvEncoding::Utf8 << QByteArray("\r\n");
}

void TestWriter::emptyDocument()
{
    QFETCH(bool, newDocument);
    QFETCH(bool, writeBom);
    QFETCH(quint32, encoding);
    QFETCH(QByteArray, bytes);
    TKvMemIni ini;
    ini.WriteBom = writeBom;
    if (newDocument)
        ini.AddSection(QString())->AddVal(u"", u"", u"");
    QCOMPARE(SaveBytes(ini, encoding), bytes);
}

void TestWriter::encodings_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<quint32>("encoding");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addRow("utf-8") << QStringLiteral("æ€") << KvEncoding::Utf8
                           << QByteArray("\xEF\xBB\xBFk=\xC3\xA6\xE2\x82\xAC\r\n\r\n");
    QTest::addRow("utf-16 le") << QStringLiteral("€") << KvEncoding::Utf16LE
                               << QByteArray("\xFF\xFEk\0=\0\xAC\x20\r\0\n\0\r\0\n\0", 16);
    QTest::addRow("utf-16 be") << QStringLiteral("€") << KvEncoding::Utf16BE
                               << QByteArray("\xFE\xFF\0k\0=\x20\xAC\0\r\0\n\0\r\0\n", 16);
    QTest::addRow("ansi") << QStringLiteral("€æ") << KvEncoding::Ansi << QByteArray("k=\x80\xE6\r\n\r\n");
    QTest::addRow("ansi cannot hold it") << QStringLiteral("ζ") << KvEncoding::Ansi << QByteArray("k=?\r\n\r\n");
    QTest::addRow("other codes write ansi") << QStringLiteral("æ") << quint32(437) << QByteArray("k=\xE6\r\n\r\n");
}

void TestWriter::encodings()
{
    QFETCH(QString, value);
    QFETCH(quint32, encoding);
    QFETCH(QByteArray, bytes);
    TKvMemIni ini;
    ini.AddSection(QString())->AddVal(u"k", value, u"");
    QCOMPARE(SaveBytes(ini, encoding), bytes);
}

void TestWriter::secondWriteIsStable()
{
    TKvMemIni ini;
    QVERIFY(ini.Parse(QStringLiteral("[a]\r\nx=1")));
    const QByteArray first = SaveBytes(ini, KvEncoding::Utf8);
    QCOMPARE(first, QByteArray("\xEF\xBB\xBF[a]\r\nx=1\r\n\r\n"));
    QByteArray copy = first;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    TKvMemIni again;
    QCOMPARE(again.LoadFromStream(buffer), 65001);
    QCOMPARE(SaveBytes(again, KvEncoding::Utf8), first);
}

void TestWriter::entryTextForm_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("comment");
    QTest::addColumn<QString>("withComments");
    QTest::addColumn<QString>("withoutComments");
    QTest::addRow("name and value") << "k" << "v" << "c" << "k=v ;c" << "k=v";
    QTest::addRow("name only has no equals sign") << "k" << "" << "" << "k" << "k";
    QTest::addRow("value only") << "" << "v" << "c" << "v ;c" << "v";
    QTest::addRow("comment only") << "" << "" << "c" << ";c" << "";
    QTest::addRow("nothing") << "" << "" << "" << "" << "";
}

void TestWriter::entryTextForm()
{
    QFETCH(QString, name);
    QFETCH(QString, value);
    QFETCH(QString, comment);
    QFETCH(QString, withComments);
    QFETCH(QString, withoutComments);
    const TKvIniVal val(name, value, comment);
    QCOMPARE(val.GetText(true), withComments);
    QCOMPARE(val.GetText(false), withoutComments);
}

void TestWriter::sectionTextForm_data()
{
    QTest::addColumn<QString>("read");
    QTest::addColumn<bool>("withComments");
    QTest::addColumn<QString>("text");
    const QString section = QStringLiteral("[s] ;sc\na=1\n;note\n\nb=2 ;bc\n");
    QTest::addRow("without comments") << section << false << "[s]\r\na=1\r\nb=2\r\n";
    QTest::addRow("with comments") << section << true << "[s] ;sc\r\na=1\r\n;note\r\n\r\nb=2 ;bc\r\n";
    QTest::addRow("nameless with comment") << "k=v" << true << "k=v\r\n";
    QTest::addRow("empty section") << "" << true << "";
}

void TestWriter::sectionTextForm()
{
    QFETCH(QString, read);
    QFETCH(bool, withComments);
    QFETCH(QString, text);
    TKvIniSection section;
    QVERIFY(section.Parse(read));
    QCOMPARE(section.GetText(withComments), text);

    TKvIniSection nameless;
    nameless.Comment = QStringLiteral("only a comment");
    QCOMPARE(nameless.GetText(true), QStringLiteral(";only a comment\r\n"));
    QCOMPARE(nameless.GetText(false), QString());
}

void TestWriter::roundTrip_data()
{
    QTest::addColumn<QString>("path");
    const QDir dir(QStringLiteral(QUILLON_TEST_DATA "/roundtrip"));
    const QStringList names = dir.entryList({QStringLiteral("*.ini")}, QDir::Files, QDir::Name);
    QVERIFY(!names.isEmpty());
    for (const QString &name : names)
        QTest::newRow(qPrintable(name)) << dir.filePath(name);
}

// Read, write, read again, write again: the second write equals the first and
// both reads give the same document.
void TestWriter::roundTrip()
{
    QFETCH(QString, path);
    QTemporaryDir dir;
    const QString firstPath = dir.filePath(QStringLiteral("first.ini"));
    const QString secondPath = dir.filePath(QStringLiteral("second.ini"));

    TKvMemIni original;
    const int read = original.LoadFromFile(path);
    QVERIFY2(read >= 0, qPrintable(QString::number(read)));
    original.SaveToFile(firstPath, WriteBackEncoding(original.Encoding));

    TKvMemIni reread;
    QCOMPARE(reread.LoadFromFile(firstPath), read == 0 ? 0 : read);
    QCOMPARE(reread.Encoding, WriteBackEncoding(original.Encoding));
    reread.SaveToFile(secondPath, reread.Encoding);
    QCOMPARE(ReadFile(secondPath), ReadFile(firstPath));

    // The texts survive exactly (the written form only adds line ends and marks).
    QCOMPARE(reread.Sections.Count(), original.Sections.Count());
    for (qint32 s = 0; s < original.Sections.Count(); ++s) {
        const TKvIniSection *a = original.Sections[s];
        const TKvIniSection *b = reread.Sections[s];
        QCOMPARE(b->Name, a->Name);
        QCOMPARE(b->Comment, s == 0 && a->Name.isEmpty() ? QString() : a->Comment);
        for (qint32 v = 0; v < a->Vals.Count(); ++v) {
            QCOMPARE(int(b->Vals[v]->Kind()), int(a->Vals[v]->Kind()));
            QCOMPARE(b->Vals[v]->Name(), a->Vals[v]->Name());
            QCOMPARE(b->Vals[v]->Value(), a->Vals[v]->Value());
            QCOMPARE(b->Vals[v]->Comment(), a->Vals[v]->Comment());
        }
    }
}

// What an unchanged document writes compared with what was read, on one file.
void TestWriter::normalisedFixture()
{
    TKvMemIni ini;
    QCOMPARE(ini.LoadFromFile(QStringLiteral(QUILLON_TEST_DATA "/roundtrip/desktop-app.ini")), 0);
    const QString expected = QStringLiteral(
        ";Settings for the desktop client\r\n"
        ";written by hand, edited by the app\r\n"
        "\r\n"
        "[General]\r\n"
        "Language=en_GB\r\n"
        "Theme=dark ;follows the system when empty\r\n"
        "StartMinimised=false\r\n"
        "\r\n"
        "[Window]\r\n"
        "Geometry=@Rect(0 0 1280 800)\r\n"
        "Splitter=300,700\r\n"
        "\r\n"
        "[Recent Files]\r\n"
        "File1=/home/anna/notes.ini\r\n"
        "File2=C:\\Users\\anna\\My Documents\\x.ini\r\n"
        "Path=C:\\Temp\\a\\;b ;escaped semicolon stays\r\n"
        "this line has no equals sign\r\n"
        "#not=a comment\r\n"
        "\r\n"
        "[Spaces Around] ;  comment kept as is  \r\n"
        "key with spaces=value with spaces\r\n"
        "=orphan value\r\n"
        "\r\n"
        "[]\r\n"
        "after=empty header\r\n"
        "\r\n");
    QCOMPARE(ini.GetText(), expected);
}

void TestWriter::failingStreamThrows()
{
    TKvMemIni ini;
    QVERIFY(ini.Parse(QStringLiteral("[a]\nk=v\n")));
    FailingDevice device(10);
    QVERIFY(device.open(QIODevice::WriteOnly));
    QVERIFY_THROWS_EXCEPTION(TKvFileError, ini.SaveToStream(device, KvEncoding::Utf8));
}

void TestWriter::saveToFileWritesAndSetsName()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.ini"));
    TKvMemIni ini;
    ini.Encoding = KvEncoding::Utf16BE;
    QVERIFY(ini.Parse(QStringLiteral("k=v")));
    ini.SaveToFile(path, KvEncoding::Utf8);
    QCOMPARE(ini.FileName, path);
    QCOMPARE(ini.Encoding, KvEncoding::Utf16BE); // saving does not change it
    QCOMPARE(ReadFile(path), QByteArray("\xEF\xBB\xBFk=v\r\n\r\n"));
}

void TestWriter::readOnlyTargetIsRefusedAndKept()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("locked.ini"));
    WriteFile(path, "old=1\n");
    QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    TKvMemIni ini;
    QVERIFY(ini.Parse(QStringLiteral("new=2")));
    QVERIFY_THROWS_EXCEPTION(TKvFileError, ini.SaveToFile(path, KvEncoding::Utf8));
    QCOMPARE(ini.FileName, path);
    QCOMPARE(ReadFile(path), QByteArray("old=1\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("locked.ini")});
}

// Whatever a file started with, what a save writes reads back, with
// detection, as the document that was written.
void TestWriter::readsBackWithDetection_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<quint32>("readAs");
    QTest::addColumn<quint32>("saveAs");
    const QList<QPair<const char *, QByteArray>> starts = {
        {"utf-16 be mark", QByteArray("\x01\xFE\xFFk=v\n[s]\na=1\n")},
        {"utf-16 le mark", QByteArray("\x01\xFF\xFEk=v\n[s]\na=1\n")},
        {"utf-8 mark", QByteArray("\x01\xEF\xBB\xBFk=v\n[s]\na=1\n")},
        {"blank before mark", QByteArray(" \t\xFE\xFFk=v\n")},
        {"mark bytes as an error line", QByteArray("\x02\xFF\xFEjunk\n")},
        {"plain", QByteArray("k=v\n[s]\na=1\n")},
    };
    for (const auto &[name, bytes] : starts) {
        QTest::addRow("%s, ansi", name) << bytes << KvEncoding::Ansi << KvEncoding::Ansi;
    }
}

void TestWriter::readsBackWithDetection()
{
    QFETCH(QByteArray, bytes);
    QFETCH(quint32, readAs);
    QFETCH(quint32, saveAs);
    for (const bool keepLayout : {false, true}) {
        TKvMemIni ini;
        QBuffer in(&bytes);
        in.open(QIODevice::ReadOnly);
        QVERIFY(ini.LoadFromStream(in, readAs) >= 0);
        ini.WriteBom = false;
        ini.KeepLayout = keepLayout;
        if (keepLayout && ini.Sections.Count() > 0 && ini.Sections[0]->Vals.Count() > 0
            && ini.Sections[0]->Vals[0]->Kind() == ikValue)
            ini.Sections[0]->Vals[0]->SetValue(u"changed"); // the first line is written anew
        QByteArray saved = SaveBytes(ini, saveAs);
        TKvMemIni detected;
        TKvMemIni named;
        QBuffer out(&saved);
        out.open(QIODevice::ReadOnly);
        QVERIFY2(detected.LoadFromStream(out, KvEncoding::Unknown) == int(saveAs), saved.toHex(' ').constData());
        out.seek(0);
        QCOMPARE(named.LoadFromStream(out, saveAs), int(saveAs));
        QCOMPARE(Describe(detected), Describe(named));
    }
}

// A legacy code page's bytes above 127 would read as other characters once
// detection takes the file for UTF-8: the save is refused, nothing written.
void TestWriter::utf8HintInLegacyCodePageIsRefused()
{
    TKvMemIni ini;
    ini.AddSection(QStringLiteral("s"))->AddVal(u"charset", u"utf-8", u"");
    QVERIFY(!SaveBytes(ini, KvEncoding::Ansi).isEmpty()); // plain ASCII reads the same either way
    ini.Sections[0]->AddVal(u"name", u"caf\u00E9", u"");
    QVERIFY_THROWS_EXCEPTION(TKvFileError, SaveBytes(ini, KvEncoding::Ansi));
    QCOMPARE(SaveBytes(ini, KvEncoding::Utf8).right(9), QByteArray("caf\xC3\xA9\r\n\r\n"));
}

// A byte kept from the file (a lone surrogate) cannot be UTF-16: U+FFFD, and
// the save counts it as a loss; a pair split anywhere stays a pair.
void TestWriter::utf16WritesNoLoneSurrogate()
{
    QByteArray bytes("[s]\nj=\xFF\nk=\xF0\x9F\x98\x80\n");
    TKvMemIni ini;
    QBuffer in(&bytes);
    in.open(QIODevice::ReadOnly);
    QCOMPARE(ini.LoadFromStream(in, KvEncoding::Utf8), int(KvEncoding::Utf8));
    for (const bool keepLayout : {false, true}) {
        ini.KeepLayout = keepLayout;
        QCOMPARE(SaveEncodingLoss(ini, KvEncoding::Utf16LE).Count, 1);
        QCOMPARE(SaveEncodingLoss(ini, KvEncoding::Utf8).Count, 0);
        const QByteArray saved = SaveBytes(ini, KvEncoding::Utf16LE);
        QVERIFY(saved.contains(QByteArray("=\x00\xFD\xFF", 4)));
        QVERIFY(saved.contains(QByteArray("=\x00\x3D\xD8\x00\xDE", 6)));
    }
}

QTEST_GUILESS_MAIN(TestWriter)
#include "tst_writer.moc"
