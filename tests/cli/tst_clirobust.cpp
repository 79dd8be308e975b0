// quillon-ini on bad input: standard input, UTF-32 files, texts that would not
// read back, concurrent edits, short passwords, folders, huge files and a file
// size limit. A refused command writes nothing.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Run RunTool(const QStringList &arguments, const QByteArray &input = {})
{
    QProcess process;
    process.start(QStringLiteral(QUILLON_INI_PATH), arguments);
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(60000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(), process.readAllStandardError()};
}

QByteArray ReadFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

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

const QByteArray Sample = "[s]\r\nk=v\r\n";

} // namespace

class TestCliRobust : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void standardInput();
    void utf32RefusedByEveryCommand_data();
    void utf32RefusedByEveryCommand();
    void textsThatWouldNotReadBack_data();
    void textsThatWouldNotReadBack();
    void concurrentSetsAllLand();
    void passwordLength_data();
    void passwordLength();
    void decryptedFileIsPrivate();
    void folderAsFile();
    void encodingKeptBySet_data();
    void encodingKeptBySet();
    void hugeFileRefused();
    void fileSizeLimitReported();
    void notARegularFile_data();
    void notARegularFile();
    void blanksAroundTextsAreTakenOff_data();
    void blanksAroundTextsAreTakenOff();
    void passwordLineIsCapped_data();
    void passwordLineIsCapped();
    void wrongPasswordIsSaid();
    void lineEndsLoseNothing_data();
    void lineEndsLoseNothing();

private:
    QString Path(const QString &name) const { return m_dir->filePath(name); }
    QStringList Entries() const
    {
        return QDir(m_dir->path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_file;
};

void TestCliRobust::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_file = Path(QStringLiteral("f.ini"));
    WriteFile(m_file, Sample);
}

// Standard input cannot seek: it is read once and detected from its bytes.
void TestCliRobust::standardInput()
{
    const QByteArray input =
        QByteArray("\xFF\xFE") + Utf16(QStringLiteral("[s]\r\nkey=value\r\n").repeated(20), false);
    const Run run =
        RunTool({QStringLiteral("save"), QStringLiteral("/dev/stdin"), Path(QStringLiteral("o.ini"))}, input);
    QCOMPARE(run.exitCode, 0);
    // The same as from a file.
    WriteFile(m_file, input);
    QCOMPARE(RunTool({QStringLiteral("save"), m_file, Path(QStringLiteral("p.ini"))}).exitCode, 0);
    const QByteArray written = ReadFile(Path(QStringLiteral("o.ini")));
    QCOMPARE(written, ReadFile(Path(QStringLiteral("p.ini"))));
    QCOMPARE(written.count(Utf16(QStringLiteral("key=value"), false)), 20);
}

void TestCliRobust::utf32RefusedByEveryCommand_data()
{
    QTest::addColumn<QStringList>("arguments");
    const QString f = QStringLiteral("F");
    const QString out = QStringLiteral("OUT");
    QTest::addRow("set") << QStringList{QStringLiteral("set"), f, QStringLiteral("s"), QStringLiteral("k"),
                                        QStringLiteral("v")};
    QTest::addRow("del") << QStringList{QStringLiteral("del"), f, QStringLiteral("s")};
    QTest::addRow("sort") << QStringList{QStringLiteral("sort"), f, QStringLiteral("--by"),
                                         QStringLiteral("name")};
    QTest::addRow("save") << QStringList{QStringLiteral("save"), f, out};
    QTest::addRow("encrypt") << QStringList{QStringLiteral("encrypt"), f, out};
    QTest::addRow("dump") << QStringList{QStringLiteral("dump"), f};
    QTest::addRow("stats") << QStringList{QStringLiteral("stats"), f};
    QTest::addRow("get") << QStringList{QStringLiteral("get"), f, QStringLiteral("s")};
    QTest::addRow("find") << QStringList{QStringLiteral("find"), f, QStringLiteral("k")};
}

// Exit code 6 with the message; the file stays and nothing is written.
void TestCliRobust::utf32RefusedByEveryCommand()
{
    QFETCH(QStringList, arguments);
    const QByteArray utf32("\xFF\xFE\x00\x00[\x00\x00\x00s\x00\x00\x00]\x00\x00\x00", 16);
    WriteFile(m_file, utf32);
    arguments.replaceInStrings(QStringLiteral("OUT"), Path(QStringLiteral("out.ini")));
    arguments.replaceInStrings(QStringLiteral("F"), m_file);
    const Run run = RunTool(arguments, "password\n");
    QCOMPARE(run.exitCode, 6);
    QVERIFY2(run.err.contains("32bit File Types are not supported."), run.err.constData());
    QCOMPARE(ReadFile(m_file), utf32);
    QCOMPARE(Entries(), QStringList{QStringLiteral("f.ini")});
}

void TestCliRobust::textsThatWouldNotReadBack_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("hint");
    const auto set = [](const QString &section, const QString &key, const QString &value) {
        return QStringList{QStringLiteral("set"), QStringLiteral("F"), section, key, value};
    };
    const QString s = QStringLiteral("s");
    QTest::addRow("key starting with [")
        << set(s, QStringLiteral("[k"), QStringLiteral("v")) << QByteArray("section header");
    QTest::addRow("key starting with ;")
        << set(s, QStringLiteral(";k"), QStringLiteral("v")) << QByteArray("comment");
    QTest::addRow("key with =") << set(s, QStringLiteral("a=b"), QStringLiteral("v")) << QByteArray("'='");
    QTest::addRow("value with ;") << set(s, QStringLiteral("k"), QStringLiteral("v;c"))
                                  << QByteArray("write '\\;'");
    QTest::addRow("section with ]") << set(QStringLiteral("a]b"), QStringLiteral("k"), QStringLiteral("v"))
                                    << QByteArray("']'");
    QTest::addRow("section with a line break")
        << set(QStringLiteral("a\nb"), QStringLiteral("k"), QStringLiteral("v")) << QByteArray("line break");
    QTest::addRow("comment with a line break") << (set(s, QStringLiteral("k"), QStringLiteral("v"))
                                                   << QStringLiteral("--comment") << QStringLiteral("a\nb"))
                                               << QByteArray("line break");
}

// Refused with the rule's hint and exit code 2 before the file is touched.
void TestCliRobust::textsThatWouldNotReadBack()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, hint);
    arguments.replaceInStrings(QStringLiteral("F"), m_file);
    const Run run = RunTool(arguments);
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.err.contains(hint), run.err.constData());
    QCOMPARE(ReadFile(m_file), Sample);

    // The escaped form is taken and reads back as given.
    const Run escaped = RunTool(
        {QStringLiteral("set"), m_file, QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("a\\;b")});
    QCOMPARE(escaped.exitCode, 0);
    QCOMPARE(RunTool({QStringLiteral("get"), m_file, QStringLiteral("s"), QStringLiteral("k")}).out,
             QByteArray("a\\;b\n"));
}

// Edits of one file wait for each other: none is lost.
void TestCliRobust::concurrentSetsAllLand()
{
    constexpr int Count = 12;
    std::vector<std::unique_ptr<QProcess>> processes;
    for (int i = 0; i < Count; ++i) {
        auto process = std::make_unique<QProcess>();
        process->start(QStringLiteral(QUILLON_INI_PATH),
                       {QStringLiteral("set"), m_file, QStringLiteral("s"), QStringLiteral("key%1").arg(i),
                        QString::number(i)});
        processes.push_back(std::move(process));
    }
    for (auto &process : processes) {
        QVERIFY(process->waitForFinished(60000));
        QCOMPARE(process->exitCode(), 0);
    }
    for (int i = 0; i < Count; ++i) {
        const Run get =
            RunTool({QStringLiteral("get"), m_file, QStringLiteral("s"), QStringLiteral("key%1").arg(i)});
        QCOMPARE(get.out, QByteArray::number(i) + '\n');
    }
    QCOMPARE(Entries(), QStringList{QStringLiteral("f.ini")});
}

void TestCliRobust::passwordLength_data()
{
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<int>("exitCode");
    QTest::addRow("empty") << QByteArray("\n") << 2;
    QTest::addRow("four characters") << QByteArray("abcd\n") << 2;
    QTest::addRow("five characters") << QByteArray("abcde\n") << 0;
    QTest::addRow("five non-ASCII characters")
        << QByteArray("\xC3\xA6\xC3\xB8\xC3\xA5\xC3\xA6\xC3\xB8\n") << 0;
}

void TestCliRobust::passwordLength()
{
    QFETCH(QByteArray, password);
    QFETCH(int, exitCode);
    const QString out = Path(QStringLiteral("f.IniCry"));
    const Run run = RunTool({QStringLiteral("encrypt"), m_file, out}, password);
    QCOMPARE(run.exitCode, exitCode);
    QCOMPARE(QFile::exists(out), exitCode == 0);
    if (exitCode != 0)
        QVERIFY2(run.err.contains("at least 5 characters"), run.err.constData());
}

void TestCliRobust::decryptedFileIsPrivate()
{
    const mode_t oldMask = ::umask(022);
    const QString crypt = Path(QStringLiteral("f.IniCry"));
    const QString plain = Path(QStringLiteral("plain.ini"));
    QCOMPARE(RunTool({QStringLiteral("encrypt"), m_file, crypt}, "secret\n").exitCode, 0);
    QCOMPARE(RunTool({QStringLiteral("decrypt"), crypt, plain}, "secret\n").exitCode, 0);
    ::umask(oldMask);
    struct stat st;
    QCOMPARE(::stat(QFile::encodeName(plain).constData(), &st), 0);
    QCOMPARE(st.st_mode & 0777, mode_t(0600));
    QCOMPARE(ReadFile(plain), QByteArray("\xEF\xBB\xBF") + Sample + "\r\n");
}

void TestCliRobust::folderAsFile()
{
    for (const QString &command : {QStringLiteral("dump"), QStringLiteral("stats")}) {
        const Run run = RunTool({command, m_dir->path()});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains("Is a folder"), run.err.constData());
    }
}

void TestCliRobust::encodingKeptBySet_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("mark");
    const QString text = QStringLiteral("[s]\r\nk=v\r\n");
    QTest::addRow("utf-16 be with mark")
        << QByteArray("\xFE\xFF") + Utf16(text, true) << QByteArray("\xFE\xFF");
    // set keeps the file's layout, and with it the absence of a mark.
    QTest::addRow("utf-16 be without mark") << Utf16(text, true) << QByteArray("\0[\0s\0]", 6);
    QTest::addRow("utf-16 le with mark")
        << QByteArray("\xFF\xFE") + Utf16(text, false) << QByteArray("\xFF\xFE");
    QTest::addRow("ansi") << text.toLatin1() << QByteArray("[s]");
    QTest::addRow("utf-8") << QByteArray("\xEF\xBB\xBF") + text.toUtf8() << QByteArray("\xEF\xBB\xBF[s]");
}

void TestCliRobust::encodingKeptBySet()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, mark);
    WriteFile(m_file, bytes);
    QCOMPARE(RunTool({QStringLiteral("set"), m_file, QStringLiteral("s"), QStringLiteral("x"),
                      QStringLiteral("1")})
                 .exitCode,
             0);
    const QByteArray written = ReadFile(m_file);
    QVERIFY2(written.startsWith(mark), written.toHex(' ').constData());
    QCOMPARE(RunTool({QStringLiteral("get"), m_file, QStringLiteral("s"), QStringLiteral("x")}).out,
             QByteArray("1\n"));
}

// A sparse file of 3 GB is refused from its size, fast and without the memory.
void TestCliRobust::hugeFileRefused()
{
    QFile file(m_file);
    QVERIFY(file.resize(qint64(3) << 30));
    for (const QStringList &arguments : {QStringList{QStringLiteral("dump"), m_file},
                                         QStringList{QStringLiteral("set"), m_file, QStringLiteral("s"),
                                                     QStringLiteral("k"), QStringLiteral("v")}}) {
        const Run run = RunTool(arguments);
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains("larger than 1073741824 bytes"), run.err.constData());
        QCOMPARE(QFileInfo(m_file).size(), qint64(3) << 30);
    }
}

// A write beyond the file size limit is reported, not a death by signal, and
// leaves neither the output nor a temporary file.
void TestCliRobust::fileSizeLimitReported()
{
    WriteFile(m_file, "[s]\r\n" + QByteArray("k=").append(QByteArray(20000, 'v')) + "\r\n");
    QProcess process;
    process.start(QStringLiteral("/bin/sh"),
                  {QStringLiteral("-c"), QStringLiteral("ulimit -f 8; exec \"$0\" save \"$1\" \"$2\""),
                   QStringLiteral(QUILLON_INI_PATH), m_file, Path(QStringLiteral("o.ini"))});
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 1);
    QVERIFY2(process.readAllStandardError().contains("File too large"), "no message");
    QCOMPARE(Entries(), QStringList{QStringLiteral("f.ini")});
}

// Editing commands edit regular files only: a FIFO would block the second open
// or take the edit into a pipe nobody reads. A loop of symbolic links says so.
void TestCliRobust::notARegularFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QStringList>("command");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("message");
    const QStringList set = {QStringLiteral("set"), QStringLiteral("P"), QStringLiteral("s"), QStringLiteral("k"),
                             QStringLiteral("v")};
    const QStringList del = {QStringLiteral("del"), QStringLiteral("P"), QStringLiteral("s")};
    const QStringList sort = {QStringLiteral("sort"), QStringLiteral("P"), QStringLiteral("--by"),
                              QStringLiteral("name")};
    const QStringList dump = {QStringLiteral("dump"), QStringLiteral("P")};
    QTest::addRow("set on a fifo") << "fifo" << set << 1 << QByteArray("not a regular file");
    QTest::addRow("del on a fifo") << "fifo" << del << 1 << QByteArray("not a regular file");
    QTest::addRow("sort on a fifo") << "fifo" << sort << 1 << QByteArray("not a regular file");
    QTest::addRow("set on a symlink loop") << "loop" << set << 1 << QByteArray("Too many levels of symbolic links");
    QTest::addRow("dump of a symlink loop") << "loop" << dump << 1
                                            << QByteArray("Too many levels of symbolic links");
    QTest::addRow("set on a symlink to a file") << "link" << set << 0 << QByteArray();
}

void TestCliRobust::notARegularFile()
{
    QFETCH(QString, kind);
    QFETCH(QStringList, command);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, message);
    const QString path = Path(QStringLiteral("p.ini"));
    if (kind == u"fifo") {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (kind == u"loop") {
        QVERIFY(QFile::link(Path(QStringLiteral("q.ini")), path));
        QVERIFY(QFile::link(path, Path(QStringLiteral("q.ini"))));
    } else {
        QVERIFY(QFile::link(m_file, path));
    }
    command.replace(1, path);
    const Run run = RunTool(command);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(run.err.contains(message), run.err.constData());
    if (kind == u"link")
        QVERIFY(QFileInfo(path).isSymLink());
}

// Spaces and tabs around a name or a value are not kept in a file: a text
// given with them is taken without, for finding as for storing, and said so.
void TestCliRobust::blanksAroundTextsAreTakenOff_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("after");
    QTest::addRow("key") << QStringList{QStringLiteral("s"), QStringLiteral(" k"), QStringLiteral("X")}
                         << QByteArray("[s]\r\nk=X\r\n");
    QTest::addRow("section") << QStringList{QStringLiteral(" s "), QStringLiteral("k"), QStringLiteral("Y")}
                             << QByteArray("[s]\r\nk=Y\r\n");
    QTest::addRow("value") << QStringList{QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("\t v ")}
                           << QByteArray("[s]\r\nk=v\r\n");
}

void TestCliRobust::blanksAroundTextsAreTakenOff()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, after);
    for (int run = 0; run < 2; ++run) { // a second run changes nothing
        const Run set = RunTool(QStringList{QStringLiteral("set"), m_file} + arguments);
        QCOMPARE(set.exitCode, 0);
        QVERIFY2(set.err.contains("is taken as"), set.err.constData());
        QCOMPARE(ReadFile(m_file), after);
    }
    const Run get = RunTool({QStringLiteral("get"), m_file, arguments[0], arguments[1]});
    QCOMPARE(get.exitCode, 0);
    QCOMPARE(get.out.trimmed(), after.mid(after.indexOf('=') + 1).trimmed());
}

// A password line is read no further than a password can be long.
void TestCliRobust::passwordLineIsCapped_data()
{
    QTest::addColumn<bool>("fromFile");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("exitCode");
    QTest::addRow("file of zeros") << true << QByteArray(100000, '\0') << 1;
    QTest::addRow("standard input of zeros") << false << QByteArray(100000, '\0') << 1;
    QTest::addRow("4096 bytes and CR LF") << true << QByteArray(4096, 'p') + "\r\n" << 0;
    QTest::addRow("4097 bytes") << false << QByteArray(4097, 'p') + "\n" << 1;
}

void TestCliRobust::passwordLineIsCapped()
{
    QFETCH(bool, fromFile);
    QFETCH(QByteArray, line);
    QFETCH(int, exitCode);
    const QString out = Path(QStringLiteral("o.IniCry"));
    QStringList arguments = {QStringLiteral("encrypt"), m_file, out};
    if (fromFile) {
        WriteFile(Path(QStringLiteral("pw")), line);
        arguments << QStringLiteral("--password-file") << Path(QStringLiteral("pw"));
    }
    const Run run = RunTool(arguments, fromFile ? QByteArray() : line);
    QCOMPARE(run.exitCode, exitCode);
    if (exitCode != 0) {
        QVERIFY2(run.err.contains("longer than 4096 bytes"), run.err.constData());
        QVERIFY(!QFile::exists(out));
    }
}

void TestCliRobust::wrongPasswordIsSaid()
{
    const QString sealed = Path(QStringLiteral("s.IniCry"));
    QCOMPARE(RunTool({QStringLiteral("encrypt"), m_file, sealed}, "right-one\n").exitCode, 0);
    const Run run = RunTool({QStringLiteral("decrypt"), sealed, Path(QStringLiteral("o.ini"))}, "wrong-one\n");
    QCOMPARE(run.exitCode, 5);
    QVERIFY(run.out.contains("lrWrongPassword"));
    QVERIFY2(run.err.contains("wrong password"), run.err.constData());
    QVERIFY(!QFile::exists(Path(QStringLiteral("o.ini"))));
}

// A lone carriage return ends a line and takes nothing with it.
void TestCliRobust::lineEndsLoseNothing_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QStringList>("edit");
    QTest::addColumn<QByteArray>("after");
    const auto set = [](const char *section, const char *key, const char *value) {
        return QStringList{QString::fromLatin1(section), QString::fromLatin1(key), QString::fromLatin1(value)};
    };
    QTest::addRow("set keeps the next section")
        << QByteArray("[s]\rk=1\r[t]\r") << set("s", "k", "2") << QByteArray("[s]\rk=2\r[t]\r");
    QTest::addRow("a commented-out key stays a comment")
        << QByteArray("[s]\nk=x\r; k=old\n") << set("s", "k", "y") << QByteArray("[s]\nk=y\n; k=old\n");
    QTest::addRow("new item after lone CR lines")
        << QByteArray("[a]\rx=1\r") << set("a", "y", "2") << QByteArray("[a]\rx=1\ry=2\r");
    QTest::addRow("first characters of lines kept")
        << QByteArray("[sec]\rkey=value\rname=other\r") << set("sec", "key", "v2")
        << QByteArray("[sec]\rkey=v2\rname=other\r");
}

void TestCliRobust::lineEndsLoseNothing()
{
    QFETCH(QByteArray, before);
    QFETCH(QStringList, edit);
    QFETCH(QByteArray, after);
    WriteFile(m_file, before);
    QCOMPARE(RunTool(QStringList{QStringLiteral("set"), m_file} + edit).exitCode, 0);
    QCOMPARE(ReadFile(m_file), after);
}

QTEST_GUILESS_MAIN(TestCliRobust)
#include "tst_clirobust.moc"
