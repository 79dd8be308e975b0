// Reading what is not a plain INI file, and both sides of every limit: streams
// that cannot seek, the input size limit, memory running out, the completeness
// check, headers cut by a line end, detection's windows, UTF-32 refusal; and
// lines begun by a control character written so that they read back the same.
#include "describedocument.h"
#include "kvfileerror.h"
#include "kvmemini.h"
#include "kvplainmessage.h"
#include "kvtextcodec.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <new>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

// A stream that cannot seek, like a pipe: it gives its bytes in small pieces.
class PipeDevice : public QIODevice
{
public:
    explicit PipeDevice(QByteArray bytes)
        : m_bytes(std::move(bytes))
    {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *data, qint64 size) override
    {
        const qint64 n = qMin<qint64>(qMin<qint64>(size, 7), m_bytes.size() - m_pos);
        if (n <= 0)
            return m_pos >= m_bytes.size() ? -1 : 0;
        std::memcpy(data, m_bytes.constData() + m_pos, size_t(n));
        m_pos += n;
        return n;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArray m_bytes;
    qint64 m_pos = 0;
};

// A stream whose reading runs out of memory.
class ExhaustedDevice : public QIODevice
{
public:
    ExhaustedDevice() { open(QIODevice::ReadOnly | QIODevice::Unbuffered); }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *, qint64) override { throw std::bad_alloc(); }
    qint64 writeData(const char *, qint64) override { return -1; }
};

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

int ReadBytes(TKvMemIni &ini, QByteArray bytes, int encoding = -1)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return encoding < 0 ? ini.LoadFromStream(buffer) : ini.LoadFromStream(buffer, quint32(encoding));
}

// Sets the input limit for the life of the object.
class InputLimit
{
public:
    explicit InputLimit(qint64 bytes)
        : m_old(KvInputLimit::SetMaxBytes(bytes))
    {}
    ~InputLimit() { KvInputLimit::SetMaxBytes(m_old); }

private:
    qint64 m_old;
};

} // namespace

class TestBadInput : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void sequentialStream_data();
    void sequentialStream();
    void fifo();
    void inputLimit_data();
    void inputLimit();
    void hugeSparseFileRefusedUnread();
    void memoryExhaustedIsFileError();
    void completeness_data();
    void completeness();
    void headerCutByLineEnd_data();
    void headerCutByLineEnd();
    void detectionWindows_data();
    void detectionWindows();
    void utf32Refused_data();
    void utf32Refused();
    void controlCharacterLines_data();
    void controlCharacterLines();

private:
    TKvPlainMessageHandler m_previousHandler;
    QStringList m_messages;
};

void TestBadInput::initTestCase()
{
    KvTextCodec::SetSystemAnsiCodePage(1252);
    m_previousHandler = SetPlainMessageHandler([this](const QString &text) { m_messages << text; });
}

void TestBadInput::cleanupTestCase()
{
    SetPlainMessageHandler(m_previousHandler);
    KvTextCodec::SetSystemAnsiCodePage(0);
}

void TestBadInput::sequentialStream_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("encoding");
    QTest::addColumn<int>("result");

    // Long enough that detection's 200 bytes are only the start.
    const QString text = QStringLiteral("[s]\r\n") + QStringLiteral("key=value\r\n").repeated(40);
    QTest::addRow("ansi") << text.toLatin1() << -1 << 0;
    QTest::addRow("utf-8 by mark") << QByteArray("\xEF\xBB\xBF") + text.toUtf8() << -1 << 65001;
    QTest::addRow("utf-8 by name") << QByteArray("; utf-8\r\n") + text.toUtf8() << -1 << 65001;
    QTest::addRow("utf-16 le by mark") << QByteArray("\xFF\xFE") + Utf16(text, false) << -1 << 1200;
    QTest::addRow("utf-16 be by zeros") << Utf16(text, true) << -1 << 1201;
    QTest::addRow("utf-8 given, no mark") << text.toUtf8() << 65001 << 65001;
    QTest::addRow("utf-8 given, mark") << QByteArray("\xEF\xBB\xBF") + text.toUtf8() << 65001 << 65001;
    QTest::addRow("utf-16 be given") << QByteArray("\xFE\xFF") + Utf16(text, true) << 1201 << 1201;
}

// A pipe is read once, whole: the same document as from a file.
void TestBadInput::sequentialStream()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, encoding);
    QFETCH(int, result);

    TKvMemIni fromBuffer;
    QCOMPARE(ReadBytes(fromBuffer, bytes, encoding), result);
    TKvMemIni fromPipe;
    PipeDevice pipe(bytes);
    QCOMPARE(encoding < 0 ? fromPipe.LoadFromStream(pipe) : fromPipe.LoadFromStream(pipe, quint32(encoding)),
             result);
    QVERIFY(fromPipe.Sections.Count() > 0);
    QCOMPARE(fromPipe.Sections[fromPipe.Sections.Count() - 1]->Vals.Count(), 40);
    QCOMPARE(Describe(fromPipe), Describe(fromBuffer));
}

// A named pipe given as the file name.
void TestBadInput::fifo()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pipe"));
    QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    const QByteArray bytes =
        QByteArray("\xFF\xFE") + Utf16(QStringLiteral("[s]\r\nk=v\r\n").repeated(30), false);
    std::thread writer([&] {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
    });
    TKvMemIni ini;
    const int result = ini.LoadFromFile(path);
    writer.join();
    QCOMPARE(result, 1200);
    QCOMPARE(ini.Sections.Count(), 30);
    QCOMPARE(Describe(ini).left(12), QStringLiteral("{s;} 1:k=v; "));
}

void TestBadInput::inputLimit_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("accepted");
    QTest::addRow("at the limit") << 100 << true;
    QTest::addRow("one byte over") << 101 << false;
}

// The limit holds for memory streams, pipes and files alike.
void TestBadInput::inputLimit()
{
    QFETCH(int, size);
    QFETCH(bool, accepted);
    QCOMPARE(KvInputLimit::MaxBytes(), qint64(1) << 30);
    const InputLimit limit(100);
    const QByteArray bytes = QByteArray("k=") + QByteArray(size - 2, 'v');

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("f.ini"));
    QFile out(path);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(bytes);
    out.close();

    const auto check = [&](const std::function<int(TKvMemIni &)> &read) {
        TKvMemIni ini;
        if (accepted) {
            QCOMPARE(read(ini), 0);
            QCOMPARE(ini.Sections[0]->Vals[0]->Value().size(), size - 2);
        } else {
            QVERIFY_THROWS_EXCEPTION(TKvFileError, read(ini));
        }
    };
    check([&](TKvMemIni &ini) { return ReadBytes(ini, bytes); });
    check([&](TKvMemIni &ini) {
        PipeDevice pipe(bytes);
        return ini.LoadFromStream(pipe);
    });
    check([&](TKvMemIni &ini) { return ini.LoadFromFile(path); });
    check([&](TKvMemIni &ini) { return ini.LoadFromFile(path, KvEncoding::Ansi); });
}

// A file larger than the limit is refused from its size, before a byte is read.
void TestBadInput::hugeSparseFileRefusedUnread()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("huge.ini"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.resize((qint64(1) << 30) + 1));
    file.close();
    TKvMemIni ini;
    try {
        ini.LoadFromFile(path);
        QFAIL("a file beyond the limit was read");
    } catch (const TKvFileError &error) {
        QCOMPARE(error.FileName(), path);
        QVERIFY2(error.Message().contains(QStringLiteral("1073741824")), qPrintable(error.Message()));
    }
    QCOMPARE(ini.Sections.Count(), 0);
}

void TestBadInput::memoryExhaustedIsFileError()
{
    TKvMemIni ini;
    ini.FileName = QStringLiteral("x.ini");
    ExhaustedDevice device;
    try {
        ini.LoadFromStream(device);
        QFAIL("no error");
    } catch (const TKvFileError &error) {
        QCOMPARE(error.FileName(), QStringLiteral("x.ini"));
        QCOMPARE(error.Message(), QStringLiteral("Not enough memory to read the file."));
    }
}

void TestBadInput::completeness_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("result");
    // The text after trimming is 'k=abcdef' (8 characters) with a NUL put in.
    const auto withNul = [](int index) {
        QString text = QStringLiteral("k=abcdef");
        text[index] = QChar(0);
        return text;
    };
    QTest::addRow("NUL three before the end") << withNul(5) << lrUnparsable;
    QTest::addRow("NUL two before the end") << withNul(6) << 1200;
    QTest::addRow("NUL last") << withNul(7) << 1200;
    QTest::addRow("NUL in the middle") << withNul(3) << lrUnparsable;
    QTest::addRow("trailing NULs trimmed first") << QStringLiteral("k=ab") + QString(5, QChar(0)) << 1200;
}

// The parser stops at a NUL; more than two characters before the end it fails the read.
void TestBadInput::completeness()
{
    QFETCH(QString, text);
    QFETCH(int, result);
    TKvMemIni ini;
    QCOMPARE(ReadBytes(ini, Utf16(text, false), 1200), result);
    TKvMemIni ansi;
    QCOMPARE(ReadBytes(ansi, text.toLatin1(), 0), result == lrUnparsable ? lrUnparsable : 0);
}

void TestBadInput::headerCutByLineEnd_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("document");
    QTest::addRow("line feed") << QByteArray("[a\nb]\r\nk=v") << QString();
    QTest::addRow("carriage return") << QByteArray("[a\rb]") << QString();
    QTest::addRow("tab") << QByteArray("[a\tb]") << QString();
    QTest::addRow("code 13") << QByteArray("[a\x0d"
                                           "b]")
                             << QString();
    QTest::addRow("code 14 is kept") << QByteArray("[a\x0e"
                                                   "b]\r\nk=v")
                                     << QStringLiteral("{a\x0e"
                                                       "b;} 1:k=v;");
    QTest::addRow("later header cut") << QByteArray("[a]\r\nk=v\r\n[b\nc]\r\n") << QString();
}

// A header whose "]" lies beyond a character up to 13 fails the whole read.
void TestBadInput::headerCutByLineEnd()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, document);
    TKvMemIni ini;
    const int result = ReadBytes(ini, bytes, 65001);
    if (document.isEmpty()) {
        QCOMPARE(result, -2);
    } else {
        QCOMPARE(result, 65001);
        QCOMPARE(Describe(ini), document);
    }
}

void TestBadInput::detectionWindows_data()
{
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<quint32>("encoding");
    const QByteArray pad(195, 'x');
    QTest::addRow("utf-8 ending at byte 200") << pad + "utf-8" << KvEncoding::Utf8;
    QTest::addRow("utf-8 crossing byte 200") << pad + "xutf-8" << KvEncoding::Unknown;
    QTest::addRow("UTF-8 in capitals") << QByteArray("UTF-8") << KvEncoding::Utf8;
    QTest::addRow("utf_8 is not the name") << QByteArray("utf_8") << KvEncoding::Unknown;
    QTest::addRow("two odd zeros within 20 bytes")
        << QByteArray("abcdefghijklmnopq\0s\0", 20) << KvEncoding::Utf16LE;
    QTest::addRow("second odd zero at byte 21")
        << QByteArray("abcdefghijklmnopq\0stu\0", 22) << KvEncoding::Unknown;
    QTest::addRow("two even zeros within 20 bytes")
        << QByteArray("abcdefghijklmnop\0r\0t", 20) << KvEncoding::Utf16BE;
    QTest::addRow("utf-32 mark needs all four bytes") << QByteArray("\xFF\xFE\x00", 3) << KvEncoding::Utf16LE;
}

void TestBadInput::detectionWindows()
{
    QFETCH(QByteArray, head);
    QFETCH(quint32, encoding);
    QBuffer buffer(&head);
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    QCOMPARE(TKvMemIni::DetectEncoding(buffer), encoding);
    QCOMPARE(buffer.pos(), qint64(0));
    PipeDevice pipe(head);
    TKvMemIni ini;
    ini.LoadFromStream(pipe);
    QCOMPARE(ini.Encoding, encoding == KvEncoding::Unknown ? KvEncoding::Ansi : encoding);
}

void TestBadInput::utf32Refused_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("encoding");
    QTest::addRow("le mark") << QByteArray("\xFF\xFE\x00\x00k\x00\x00\x00", 8) << -1;
    QTest::addRow("be mark") << QByteArray("\x00\x00\xFE\xFF\x00\x00\x00k", 8) << -1;
    QTest::addRow("le given") << QByteArray("k=v") << 12000;
    QTest::addRow("be given") << QByteArray("k=v") << 12001;
}

// A failed read with its own result and the message, never an empty document.
void TestBadInput::utf32Refused()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, encoding);
    m_messages.clear();
    TKvMemIni ini;
    ini.Encoding = KvEncoding::Utf16BE;
    QCOMPARE(ReadBytes(ini, bytes, encoding), lrRefused32Bit);
    QCOMPARE(ini.Sections.Count(), 0);
    QCOMPARE(ini.Encoding, KvEncoding::Utf16BE);
    QCOMPARE(m_messages, QStringList{QStringLiteral("32bit File Types are not supported.")});
}

void TestBadInput::controlCharacterLines_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QByteArray>("written");

    QTest::addRow("form feed, bracket")
        << QByteArray("\x0c[a") << QStringLiteral("3:=[a;") << QByteArray("\x0c[a\r\n");
    QTest::addRow("vertical tab, semicolon item")
        << QByteArray("\x0b;x=1") << QStringLiteral("1:;x=1;") << QByteArray("\x0c;x=1\r\n");
    QTest::addRow("control, bracket item")
        << QByteArray("\x01[a]=2 ;c") << QStringLiteral("1:[a]=2;c") << QByteArray("\x0c[a]=2 ;c\r\n");
    QTest::addRow("control, semicolon error")
        << QByteArray("\x1f;note") << QStringLiteral("3:=;note;") << QByteArray("\x0c;note\r\n");
    QTest::addRow("control and space before equals")
        << QByteArray("\x04 =1") << QStringLiteral("1: =1;") << QByteArray("\x0c =1\r\n");
    QTest::addRow("control and tab, error")
        << QByteArray("\x04\t") << QStringLiteral("3:=\t;") << QByteArray("\x0c\t\r\n");
    // Lines the reader keeps as they are need nothing in front.
    QTest::addRow("control alone before equals")
        << QByteArray("\x04=1") << QStringLiteral("1:\x04=1;") << QByteArray("\x04=1\r\n");
    QTest::addRow("control, plain error") << QByteArray("\x0c"
                                                        "abc")
                                          << QStringLiteral("3:=abc;") << QByteArray("abc\r\n");
    QTest::addRow("bracket inside a name")
        << QByteArray("a[0]=1") << QStringLiteral("1:a[0]=1;") << QByteArray("a[0]=1\r\n");
    QTest::addRow("semicolon inside an error line")
        << QByteArray("a;b") << QStringLiteral("3:=a;b;") << QByteArray("a;b\r\n");
}

// A line begun by a control character reads as an item or an error line; it is
// written with a form feed in front when its text starts with "[" or ";", so it
// reads back the same, and the text is stable from the first save on.
void TestBadInput::controlCharacterLines()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, entry);
    QFETCH(QByteArray, written);

    m_messages.clear();
    TKvMemIni ini;
    QCOMPARE(ReadBytes(ini, QByteArray("[s]\r\n") + line + "\r\n", 65001), 65001);
    QCOMPARE(Describe(ini), QStringLiteral("{s;} ") + entry);
    const QByteArray first = ini.Encode(KvEncoding::Utf8);
    QCOMPARE(first, QByteArray("\xEF\xBB\xBF[s]\r\n") + written + "\r\n");

    TKvMemIni again;
    QCOMPARE(ReadBytes(again, first, -1), 65001);
    QCOMPARE(Describe(again), Describe(ini) + QStringLiteral(" 0:=;"));
    QCOMPARE(again.Encode(KvEncoding::Utf8), first);
    QCOMPARE(m_messages, QStringList()); // the lengths computed beforehand match
}

QTEST_GUILESS_MAIN(TestBadInput)
#include "tst_badinput.moc"
