// quillon-ini, run as a separate process on small files.
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/file.h>

namespace {

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Run RunTool(const QStringList &arguments, const QByteArray &input = {}, const QString &lcAll = QString())
{
    QProcess process;
    if (!lcAll.isEmpty()) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("LC_ALL"), lcAll);
        process.setProcessEnvironment(environment);
    }
    process.start(QStringLiteral(QUILLON_INI_PATH), arguments);
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(30000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput(),
            process.readAllStandardError()};
}

QByteArray ReadFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

const QByteArray Sample = "; top\r\n[b] ;c\r\nk=1\r\n;note\r\n\r\n[a]\r\nx=hello world\r\nName=Hello\r\n";

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void dump();
    void dumpKeepsStrayBytesAsSurrogates();
    void edits_data();
    void edits();
    void failures_data();
    void failures();
    void find_data();
    void find();
    void encryptAndDecrypt();
    void decryptRefusesChangedContainers_data();
    void decryptRefusesChangedContainers();
    void diff_data();
    void diff();
    void merge_data();
    void merge();
    void containerFormats_data();
    void containerFormats();
    void helpNamesTheCodePage_data();
    void helpNamesTheCodePage();
    void utf8FileOnUtf8Locale();
    void keepLayoutEdits_data();
    void keepLayoutEdits();
    void lossySaveRefused_data();
    void lossySaveRefused();
    void replace_data();
    void replace();
    void replaceWaitsForTheEditLock();
    void hashComments_data();
    void hashComments();

private:
    QTemporaryDir m_dir;
    QString m_file;
};

void TestCli::init()
{
    m_file = m_dir.filePath(QStringLiteral("sample.ini"));
    WriteFile(m_file, Sample);
}

void TestCli::dump()
{
    const Run run = RunTool({QStringLiteral("dump"), m_file});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.out.startsWith(R"({"result": 0, "encoding": 0, "sections": [{"name": "", "comment": "", "entries": )"
                               R"([{"kind": 2, "name": "", "value": "", "comment": "top"}]}, {"name": "b", "comment": "c")"));
    QVERIFY(run.out.endsWith(R"("counts": {"sections": 3, "values": 3, "comments": 2, "errors": 0, "blanks": 1}})" "\n"));
    const Run stats = RunTool({QStringLiteral("stats"), m_file});
    QCOMPARE(stats.out, QByteArray(R"({"sections": 3, "values": 3, "comments": 2, "errors": 0, "blanks": 1})" "\n"));
}

void TestCli::dumpKeepsStrayBytesAsSurrogates()
{
    WriteFile(m_file, "k=caf\xe9");
    const Run run = RunTool({QStringLiteral("dump"), m_file, QStringLiteral("--encoding"), QStringLiteral("65001")});
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.out.contains(R"("value": "caf\udce9")"), run.out.constData());
    const QString out = m_dir.filePath(QStringLiteral("out.ini"));
    QCOMPARE(RunTool({QStringLiteral("save"), m_file, out, QStringLiteral("--encoding"), QStringLiteral("65001")})
                 .exitCode,
             0);
    QCOMPARE(ReadFile(out), QByteArray("\xEF\xBB\xBFk=caf\xe9\r\n\r\n"));
}

void TestCli::edits_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("written");
    QTest::addRow("set existing key keeps its comment")
        << QStringList{"set", "FILE", "b", "k", "2"}
        << QByteArray(";top\r\n\r\n[b] ;c\r\nk=2\r\n;note\r\n\r\n[a]\r\nx=hello world\r\nName=Hello\r\n\r\n");
    QTest::addRow("set new key goes after the last value item")
        << QStringList{"set", "FILE", "b", "new", "v", "--comment", "added"}
        << QByteArray(";top\r\n\r\n[b] ;c\r\nk=1\r\nnew=v ;added\r\n;note\r\n\r\n[a]\r\nx=hello world\r\n"
                      "Name=Hello\r\n\r\n");
    QTest::addRow("set in a new section appends it")
        << QStringList{"set", "FILE", "c", "z", "9"}
        << QByteArray(";top\r\n\r\n[b] ;c\r\nk=1\r\n;note\r\n\r\n[a]\r\nx=hello world\r\nName=Hello\r\n\r\n"
                      "[c]\r\nz=9\r\n\r\n");
    QTest::addRow("del key") << QStringList{"del", "FILE", "a", "x"}
                             << QByteArray(";top\r\n\r\n[b] ;c\r\nk=1\r\n;note\r\n\r\n[a]\r\nName=Hello\r\n\r\n");
    QTest::addRow("del section") << QStringList{"del", "FILE", "b"}
                                 << QByteArray(";top\r\n\r\n[a]\r\nx=hello world\r\nName=Hello\r\n\r\n");
    QTest::addRow("sort sections only")
        << QStringList{"sort", "FILE", "--by", "name", "--sections-only"}
        << QByteArray(";top\r\n\r\n[a]\r\nx=hello world\r\nName=Hello\r\n\r\n[b] ;c\r\nk=1\r\n;note\r\n\r\n");
    QTest::addRow("sort items descending")
        << QStringList{"sort", "FILE", "--by", "name", "--items-only", "--descending"}
        << QByteArray(";top\r\n\r\n[b] ;c\r\nk=1\r\n;note\r\n\r\n[a]\r\nx=hello world\r\nName=Hello\r\n\r\n");
}

// The usual form throughout, as --normalise asks.
void TestCli::edits()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, written);
    arguments.replace(1, m_file);
    arguments << QStringLiteral("--normalise");
    const Run run = RunTool(arguments);
    QVERIFY2(run.exitCode == 0, run.err.constData());
    QCOMPARE(ReadFile(m_file), written);
}

void TestCli::failures_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addRow("missing section") << QStringList{"get", "FILE", "zz"} << 1;
    QTest::addRow("missing key") << QStringList{"del", "FILE", "a", "nope"} << 1;
    QTest::addRow("missing file") << QStringList{"get", "MISSING", "a"} << 3;
    QTest::addRow("unknown command") << QStringList{"frobnicate"} << 2;
    QTest::addRow("bad sort key") << QStringList{"sort", "FILE", "--by", "colour"} << 2;
    QTest::addRow("bad encoding") << QStringList{"dump", "FILE", "--encoding", "437"} << 2;
    QTest::addRow("too many arguments") << QStringList{"stats", "FILE", "FILE"} << 2;
}

void TestCli::failures()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    arguments.replaceInStrings(QStringLiteral("FILE"), m_file);
    arguments.replaceInStrings(QStringLiteral("MISSING"), m_dir.filePath(QStringLiteral("missing.ini")));
    const Run run = RunTool(arguments);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY(!run.err.isEmpty());
    QCOMPARE(ReadFile(m_file), Sample); // nothing written
}

void TestCli::find_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("output");
    QTest::addRow("forward, any case") << QStringList{"hello"}
                                       << QByteArray(R"({"result": true, "matches": [[2, 0], [2, 1]]})");
    QTest::addRow("backward") << QStringList{"hello", "--backward"}
                              << QByteArray(R"({"result": true, "matches": [[2, 1], [2, 0]]})");
    QTest::addRow("case-sensitive") << QStringList{"Hello", "--case-sensitive"}
                                    << QByteArray(R"({"result": true, "matches": [[2, 1]]})");
    QTest::addRow("section names only") << QStringList{"a", "--where", "SN"}
                                        << QByteArray(R"({"result": true, "matches": [[2, -1]]})");
    QTest::addRow("section names backward") << QStringList{"a", "--where", "SN", "--backward"}
                                            << QByteArray(R"({"result": true, "matches": [[2, 2147483647]]})");
    QTest::addRow("whole words") << QStringList{"hell", "--whole-words"}
                                 << QByteArray(R"({"result": false, "matches": []})");
    QTest::addRow("comments") << QStringList{"note", "--where", "IC"}
                              << QByteArray(R"({"result": true, "matches": [[1, 1]]})");
}

void TestCli::find()
{
    QFETCH(QStringList, options);
    QFETCH(QByteArray, output);
    const Run run = RunTool(QStringList{QStringLiteral("find"), m_file} + options);
    QVERIFY2(run.exitCode == 0, run.err.constData());
    QCOMPARE(run.out, output + '\n');
}

void TestCli::encryptAndDecrypt()
{
    const QString sealed = m_dir.filePath(QStringLiteral("sealed.IniCry"));
    const QString opened = m_dir.filePath(QStringLiteral("opened.ini"));
    Run run = RunTool({QStringLiteral("encrypt"), m_file, sealed}, "s3cret\n");
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, QByteArray("{\"result\": 0, \"format\": \"strong\"}\n"));
    QVERIFY(ReadFile(sealed).startsWith("\x89KVCRY\r\n"));

    run = RunTool({QStringLiteral("decrypt"), sealed, opened}, "wrong\n");
    QCOMPARE(run.exitCode, 5);
    QCOMPARE(run.out, QByteArray("{\"result\": \"lrWrongPassword\"}\n"));
    QCOMPARE(ReadFile(opened), QByteArray("<missing>"));

    run = RunTool({QStringLiteral("decrypt"), m_file, opened}, "s3cret\n");
    QCOMPARE(run.exitCode, 5);
    QCOMPARE(run.out, QByteArray("{\"result\": \"lrWrongPassword\"}\n"));

    const QString passwordFile = m_dir.filePath(QStringLiteral("password.txt"));
    WriteFile(passwordFile, "s3cret\r\nignored\n");
    run = RunTool({QStringLiteral("decrypt"), sealed, opened, QStringLiteral("--password-file"), passwordFile});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, QByteArray("{\"result\": 65001, \"format\": \"strong\"}\n"));
    QCOMPARE(ReadFile(opened),
             QByteArray("\xEF\xBB\xBF;top\r\n\r\n[b] ;c\r\nk=1\r\n;note\r\n\r\n[a]\r\nx=hello world\r\nName=Hello\r\n\r\n"));
}

// A strong container with a changed byte or cut short, or asking for 4 GiB of
// memory: decrypt refuses it, with the right password, and writes nothing.
void TestCli::decryptRefusesChangedContainers_data()
{
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("replacement");
    QTest::addColumn<int>("truncateTo");
    QTest::addColumn<QByteArray>("result");
    const QByteArray zero(1, '\0');
    QTest::addRow("ciphertext") << 60 << zero << -1 << QByteArray("\"lrWrongPassword\"");
    QTest::addRow("tag") << -1 << zero << -1 << QByteArray("\"lrWrongPassword\"");
    QTest::addRow("salt") << 20 << zero << -1 << QByteArray("\"lrWrongPassword\"");
    QTest::addRow("cut short") << 0 << QByteArray() << 80 << QByteArray("\"lrWrongPassword\"");
    QTest::addRow("memlimit 4 GiB") << 14 << QByteArray("\x00\x00\x40\x00", 4) << -1
                                    << QByteArray("\"lrNotContainer\"");
}

void TestCli::decryptRefusesChangedContainers()
{
    QFETCH(int, offset);
    QFETCH(QByteArray, replacement);
    QFETCH(int, truncateTo);
    QFETCH(QByteArray, result);
    const QString sealed = m_dir.filePath(QStringLiteral("changed.IniCry"));
    const QString opened = m_dir.filePath(QStringLiteral("changed.ini"));
    QFile::remove(opened);
    QCOMPARE(RunTool({QStringLiteral("encrypt"), m_file, sealed}, "s3cret\n").exitCode, 0);
    QByteArray bytes = ReadFile(sealed);
    if (offset < 0)
        offset = int(bytes.size()) - 1;
    // A single byte replaced always changes.
    if (replacement.size() == 1 && bytes[offset] == replacement[0])
        replacement[0] = char(replacement[0] ^ 0x01);
    bytes.replace(offset, replacement.size(), replacement);
    if (truncateTo >= 0)
        bytes.truncate(truncateTo);
    WriteFile(sealed, bytes);
    QCOMPARE(ReadFile(sealed), bytes);
    const Run run = RunTool({QStringLiteral("decrypt"), sealed, opened}, "s3cret\n");
    QCOMPARE(run.exitCode, 5);
    QCOMPARE(run.out, "{\"result\": " + result + "}\n");
    QCOMPARE(ReadFile(opened), QByteArray("<missing>"));
}

// diff compares by meaning: sections and items by name and occurrence, values
// as read, order and layout ignored.
void TestCli::diff_data()
{
    QTest::addColumn<QByteArray>("a");
    QTest::addColumn<QByteArray>("b");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("json");
    const QByteArray a = "[PHP]\nmemory_limit=128M\nx=1\nx=2\n[old]\na=1\n";
    QTest::addRow("equal") << a << a << QStringList() << 0 << QByteArray("{\"equal\": true, \"changes\": []}");
    QTest::addRow("sorted copy, other spacing")
        << a << QByteArray("[old]\r\na = 1\r\n[PHP]\r\nx=1\r\nmemory_limit = 128M ; c\r\nx=2\r\n") << QStringList() << 0
        << QByteArray("\"equal\": true");
    QTest::addRow("changed value")
        << a << QByteArray(a).replace("128M", "256M") << QStringList() << 1
        << QByteArray("{\"change\": \"changed\", \"section\": \"PHP\", \"occurrence\": 0, \"key\": \"memory_limit\", "
                      "\"key_occurrence\": 0, \"old\": \"128M\", \"new\": \"256M\"}");
    QTest::addRow("second occurrence changed")
        << a << QByteArray(a).replace("x=2", "x=3") << QStringList() << 1
        << QByteArray("\"key\": \"x\", \"key_occurrence\": 1, \"old\": \"2\", \"new\": \"3\"");
    QTest::addRow("item added") << a << a + "y=5\n" << QStringList() << 1
                                << QByteArray("{\"change\": \"added\", \"section\": \"old\", \"occurrence\": 0, "
                                              "\"key\": \"y\", \"key_occurrence\": 0, \"old\": null, \"new\": \"5\"}");
    QTest::addRow("section removed") << a << QByteArray("[PHP]\nmemory_limit=128M\nx=1\nx=2\n") << QStringList() << 1
                                     << QByteArray("{\"change\": \"section-removed\", \"section\": \"old\", "
                                                   "\"occurrence\": 0}");
    QTest::addRow("names differ in case") << a << QByteArray(a).replace("memory_limit", "MEMORY_LIMIT")
                                          << QStringList() << 1 << QByteArray("\"change\": \"removed\"");
    QTest::addRow("case folded") << a << QByteArray(a).replace("memory_limit", "MEMORY_LIMIT")
                                 << QStringList{QStringLiteral("--ignore-case")} << 0 << QByteArray("\"equal\": true");
    QTest::addRow("comments ignored") << a << QByteArray(a).replace("x=1", "x=1 ;new note") << QStringList() << 0
                                      << QByteArray("\"equal\": true");
    QTest::addRow("comments compared") << a << QByteArray(a).replace("x=1", "x=1 ;new note")
                                       << QStringList{QStringLiteral("--with-comments")} << 1
                                       << QByteArray("\"equal\": false");
}

void TestCli::diff()
{
    QFETCH(QByteArray, a);
    QFETCH(QByteArray, b);
    QFETCH(QStringList, options);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, json);
    const QString first = m_dir.filePath(QStringLiteral("a.ini"));
    const QString second = m_dir.filePath(QStringLiteral("b.ini"));
    WriteFile(first, a);
    WriteFile(second, b);
    const Run run = RunTool(QStringList{QStringLiteral("diff"), first, second, QStringLiteral("--json")} + options);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(run.out.contains(json), run.out.constData());
    QCOMPARE(RunTool(QStringList{QStringLiteral("diff"), first, second} + options).exitCode, exitCode);
}

// merge brings THEIRS' changes since BASE into MINE, MINE's untouched lines
// byte-identical; a conflict writes nothing unless --prefer decides it.
void TestCli::merge_data()
{
    QTest::addColumn<QByteArray>("theirs");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("after");
    // BASE is "[s]\nk=1\nj=1\n"; MINE changed j to 2 in its own layout.
    const QByteArray mine = "[s]\r\nk=1   ; keep\r\nj=2\r\n";
    QTest::addRow("disjoint edits both land")
        << QByteArray("[s]\nk=1\nj=1\nn=3\n[t]\nz=9\n") << QStringList() << 0
        << QByteArray("[s]\r\nk=1   ; keep\r\nj=2\r\nn=3\r\n[t]\r\nz=9\r\n");
    QTest::addRow("the same change on both sides") << QByteArray("[s]\nk=1\nj=2\n") << QStringList() << 0 << mine;
    QTest::addRow("changed on both: refused") << QByteArray("[s]\nk=1\nj=3\n") << QStringList() << 1 << mine;
    QTest::addRow("changed on both: theirs preferred")
        << QByteArray("[s]\nk=1\nj=3\n") << QStringList{QStringLiteral("--prefer"), QStringLiteral("theirs")} << 0
        << QByteArray("[s]\r\nk=1   ; keep\r\nj=3\r\n");
    QTest::addRow("changed on both: mine preferred")
        << QByteArray("[s]\nk=1\nj=3\n") << QStringList{QStringLiteral("--prefer"), QStringLiteral("mine")} << 0 << mine;
    QTest::addRow("removed by theirs, changed by mine: refused") << QByteArray("[s]\nk=1\n") << QStringList() << 1
                                                                  << mine;
    QTest::addRow("removed by theirs, untouched by mine") << QByteArray("[s]\nj=1\n") << QStringList() << 0
                                                          << QByteArray("[s]\r\nj=2\r\n");
}

void TestCli::merge()
{
    QFETCH(QByteArray, theirs);
    QFETCH(QStringList, options);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, after);
    const QString base = m_dir.filePath(QStringLiteral("base.ini"));
    const QString mine = m_dir.filePath(QStringLiteral("mine.ini"));
    const QString their = m_dir.filePath(QStringLiteral("theirs.ini"));
    WriteFile(base, "[s]\nk=1\nj=1\n");
    WriteFile(mine, "[s]\r\nk=1   ; keep\r\nj=2\r\n");
    WriteFile(their, theirs);
    const Run run = RunTool(QStringList{QStringLiteral("merge"), base, mine, their} + options);
    QVERIFY2(run.exitCode == exitCode, run.err.constData());
    QCOMPARE(ReadFile(mine), after);
}

// Both containers are written on request, read back alike and told apart by info.
void TestCli::containerFormats_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("info");
    QTest::addColumn<int>("exitCode");
    QTest::addRow("default") << QStringList() << QByteArray("{\"container\": \"strong\"}\n") << 0;
    QTest::addRow("strong") << QStringList{QStringLiteral("--format"), QStringLiteral("strong")}
                            << QByteArray("{\"container\": \"strong\"}\n") << 0;
    QTest::addRow("legacy") << QStringList{QStringLiteral("--format"), QStringLiteral("legacy")}
                            << QByteArray("{\"container\": \"legacy\"}\n") << 0;
    QTest::addRow("unknown") << QStringList{QStringLiteral("--format"), QStringLiteral("rot13")} << QByteArray()
                             << 2;
}

void TestCli::containerFormats()
{
    QFETCH(QStringList, options);
    QFETCH(QByteArray, info);
    QFETCH(int, exitCode);
    const QString sealed = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()) + QStringLiteral(".IniCry"));
    Run run = RunTool(QStringList{QStringLiteral("encrypt"), m_file, sealed} + options, "s3cret\n");
    QCOMPARE(run.exitCode, exitCode);
    if (exitCode != 0) {
        QCOMPARE(ReadFile(sealed), QByteArray("<missing>"));
        return;
    }
    QCOMPARE(RunTool({QStringLiteral("info"), sealed}).out, info);
    run = RunTool({QStringLiteral("decrypt"), sealed, m_dir.filePath(QStringLiteral("o.ini"))}, "s3cret\n");
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.out.contains(info.contains("legacy") ? "\"legacy\"" : "\"strong\""));
    QCOMPARE(RunTool({QStringLiteral("info"), m_file}).out, QByteArray("{\"container\": null}\n"));
}

void TestCli::helpNamesTheCodePage_data()
{
    QTest::addColumn<QString>("lcAll");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("line");
    QTest::addRow("C locale") << "C" << QStringList() << QByteArray("In use now: 65001 (UTF-8), from the locale.");
    QTest::addRow("UTF-8 locale") << "C.UTF-8" << QStringList()
                                  << QByteArray("In use now: 65001 (UTF-8), from the locale.");
    QTest::addRow("chosen") << "C" << QStringList{"--ansi-codepage", "1250"}
                            << QByteArray("In use now: 1250 (Windows-1250), chosen with --ansi-codepage.");
    QTest::addRow("legacy locale by name") << "pl_PL.ISO-8859-2" << QStringList()
                                           << QByteArray("In use now: 1250 (Windows-1250), from the locale.");
}

void TestCli::helpNamesTheCodePage()
{
    QFETCH(QString, lcAll);
    QFETCH(QStringList, options);
    QFETCH(QByteArray, line);
    const Run run = RunTool(options << QStringLiteral("--help"), {}, lcAll);
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.out.contains(line), run.out.constData());
}

// The usual Linux file: UTF-8 without a mark. Read as ANSI on a UTF-8 locale
// it shows its characters, and what is written stays UTF-8 without a mark,
// also through the password-protected file.
void TestCli::utf8FileOnUtf8Locale()
{
    const QString locale = QStringLiteral("C.UTF-8");
    WriteFile(m_file, "[s]\nname=caf\xC3\xA9\n");
    Run run = RunTool({QStringLiteral("get"), m_file, QStringLiteral("s"), QStringLiteral("name")}, {}, locale);
    QCOMPARE(run.out, QByteArray("caf\xC3\xA9\n"));
    run = RunTool({QStringLiteral("set"), m_file, QStringLiteral("s"), QStringLiteral("new"),
                   QString::fromUtf8("na\xC3\xAFve")},
                  {}, locale);
    QVERIFY2(run.exitCode == 0, run.err.constData());
    QCOMPARE(ReadFile(m_file), QByteArray("[s]\nname=caf\xC3\xA9\nnew=na\xC3\xAFve\n"));

    const QString sealed = m_dir.filePath(QStringLiteral("sealed.IniCry"));
    const QString opened = m_dir.filePath(QStringLiteral("opened.ini"));
    QCOMPARE(RunTool({QStringLiteral("encrypt"), m_file, sealed}, "pw-secret\n", locale).exitCode, 0);
    QCOMPARE(RunTool({QStringLiteral("decrypt"), sealed, opened}, "pw-secret\n", locale).exitCode, 0);
    QVERIFY(ReadFile(opened).contains("name=caf\xC3\xA9\r\n"));

    // The same bytes read as Windows-1252 are two characters each.
    run = RunTool({QStringLiteral("get"), m_file, QStringLiteral("s"), QStringLiteral("name"),
                   QStringLiteral("--ansi-codepage"), QStringLiteral("1252")},
                  {}, locale);
    QCOMPARE(run.out, QByteArray("caf\xC3\x83\xC2\xA9\n"));
}

void TestCli::keepLayoutEdits_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("written");
    const QByteArray file = "; top\n[b] ; c\n  k = 1   ; one\n;note\n\n[a]\nx = hello\nName=Hello\n";
    QTest::addRow("set changes one line") << QStringList{"set", "FILE", "b", "k", "2"}
                                          << QByteArray("; top\n[b] ; c\nk=2 ;one\n;note\n\n[a]\nx = hello\nName=Hello\n");
    QTest::addRow("set a new key adds one line")
        << QStringList{"set", "FILE", "a", "y", "9"}
        << QByteArray("; top\n[b] ; c\n  k = 1   ; one\n;note\n\n[a]\nx = hello\nName=Hello\ny=9\n");
    QTest::addRow("set in a new section")
        << QStringList{"set", "FILE", "c", "z", "9"}
        << QByteArray("; top\n[b] ; c\n  k = 1   ; one\n;note\n\n[a]\nx = hello\nName=Hello\n[c]\nz=9\n\n");
    QTest::addRow("del a key removes one line")
        << QStringList{"del", "FILE", "a", "x"} << QByteArray("; top\n[b] ; c\n  k = 1   ; one\n;note\n\n[a]\nName=Hello\n");
    QTest::addRow("del a section") << QStringList{"del", "FILE", "b"} << QByteArray("; top\n[a]\nx = hello\nName=Hello\n");
    QTest::addRow("sort moves lines")
        << QStringList{"sort", "FILE", "--by", "name", "--items-only"}
        << QByteArray("; top\n[b] ; c\n;note\nk=1 ;one\n\n[a]\nName=Hello\nx=hello\n");
    QTest::addRow("save keeps the layout when asked")
        << QStringList{"save", "FILE", "FILE", "--keep-layout"} << file;
    QTest::addRow("save normalises by default")
        << QStringList{"save", "FILE", "FILE"}
        << QByteArray(";top\r\n\r\n[b] ; c\r\nk=1 ;one\r\n;note\r\n\r\n[a]\r\nx=hello\r\nName=Hello\r\n\r\n");
}

void TestCli::keepLayoutEdits()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, written);
    WriteFile(m_file, "; top\n[b] ; c\n  k = 1   ; one\n;note\n\n[a]\nx = hello\nName=Hello\n");
    arguments.replaceInStrings(QStringLiteral("FILE"), m_file);
    const Run run = RunTool(arguments);
    QVERIFY2(run.exitCode == 0, run.err.constData());
    QCOMPARE(ReadFile(m_file), written);
}

void TestCli::lossySaveRefused_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("lossyResult");
    QTest::addRow("set") << QStringList{"set", "FILE", "s", "k", QString::fromUtf8("\xE6\x97\xA5\xE6\x9C\xAC!")}
                         << QByteArray("[s]\nk=?" "?!\n");
    QTest::addRow("set, normalised") << QStringList{"set", "FILE", "s", "k", QString::fromUtf8("\xE6\x97\xA5"), "--normalise"}
                                     << QByteArray("[s]\r\nk=?\r\n\r\n");
    QTest::addRow("save to ANSI") << QStringList{"save", "UTF8", "FILE", "--out", "0"} << QByteArray("[s]\r\nk=??\r\n\r\n");
}

// A save in a legacy code page that would turn characters into "?" is refused
// (exit code 7, nothing written) unless --lossy is given.
void TestCli::lossySaveRefused()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, lossyResult);
    const QByteArray original = "[s]\nk=caf\xE9\n";
    WriteFile(m_file, original);
    const QString utf8File = m_dir.filePath(QStringLiteral("utf8.ini"));
    WriteFile(utf8File, "\xEF\xBB\xBF[s]\nk=\xE6\x97\xA5\xE6\x9C\xAC\n");
    arguments.replaceInStrings(QStringLiteral("UTF8"), utf8File);
    arguments.replaceInStrings(QStringLiteral("FILE"), m_file);
    arguments << QStringLiteral("--ansi-codepage") << QStringLiteral("1252");
    Run run = RunTool(arguments);
    QCOMPARE(run.exitCode, 7);
    QVERIFY2(run.err.contains("cannot be written in the code page Windows-1252") && run.err.contains("--lossy"),
             run.err.constData());
    QCOMPARE(ReadFile(m_file), original);

    run = RunTool(arguments << QStringLiteral("--lossy"));
    QVERIFY2(run.exitCode == 0, run.err.constData());
    QCOMPARE(ReadFile(m_file), lossyResult);
}

namespace {

// A Samba-style file: "#" and ";" comment lines, indented items.
const QByteArray SambaStyle = "# Samba\n"
                              "[global]\n"
                              "   workgroup = WORKGROUP\n"
                              "   # server string = old\n"
                              "   server string = %h server\n"
                              "; old style\n"
                              "[homes]\n"
                              "   comment = Home Directories\n"
                              "   browseable = no\n";

} // namespace

void TestCli::replace_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QByteArray>("written");

    QByteArray one = SambaStyle;
    one.replace("   workgroup = WORKGROUP\n", "workgroup=HOME\n");
    QTest::addRow("values only: one line rewritten, the rest as read")
        << QStringList{"WORKGROUP", "HOME", "--where", "IV"} << 0 << QByteArray("1 replaced in 1 text\n")
        << one;
    QTest::addRow("names and values, any case")
        << QStringList{"workgroup", "group"} << 0 << QByteArray("2 replaced in 2 texts\n")
        << QByteArray(SambaStyle).replace("   workgroup = WORKGROUP\n", "group=group\n");
    QTest::addRow("dry run lists every change and writes nothing")
        << QStringList{"server", "host", "--dry-run"} << 0
        << QByteArray("[1, 1] [global] IN: \"# server string\" -> \"# host string\"\n"
                      "[1, 2] [global] IN: \"server string\" -> \"host string\"\n"
                      "[1, 2] [global] IV: \"%h server\" -> \"%h host\"\n"
                      "3 to replace in 3 texts; nothing written (--dry-run)\n")
        << SambaStyle;
    QTest::addRow("dry run with hash comments: the comment line's text")
        << QStringList{"server", "host", "--dry-run", "--hash-comments"} << 0
        << QByteArray("[1, 1] [global] IC: \"server string = old\" -> \"host string = old\"\n"
                      "[1, 2] [global] IN: \"server string\" -> \"host string\"\n"
                      "[1, 2] [global] IV: \"%h server\" -> \"%h host\"\n"
                      "3 to replace in 3 texts; nothing written (--dry-run)\n")
        << SambaStyle;
    QTest::addRow("a # comment line is written with #")
        << QStringList{"Samba", "SMB", "--hash-comments"} << 0 << QByteArray("1 replaced in 1 text\n")
        << QByteArray(SambaStyle).replace("# Samba\n", "#SMB\n");
    QTest::addRow("whole words")
        << QStringList{"Home", "House", "--whole-words"} << 0 << QByteArray("1 replaced in 1 text\n")
        << QByteArray(SambaStyle).replace("   comment = Home Directories\n", "comment=House Directories\n");
    QTest::addRow("nothing matched: exit 1")
        << QStringList{"nowhere", "x"} << 1 << QByteArray("0 replaced\n") << SambaStyle;
    QTest::addRow("case-sensitive, nothing matched") << QStringList{"directories", "x", "--case-sensitive"}
                                                     << 1 << QByteArray("0 replaced\n") << SambaStyle;
    QTest::addRow("dry run, nothing matched")
        << QStringList{"nowhere", "x", "--dry-run"} << 1
        << QByteArray("0 to replace in 0 texts; nothing written (--dry-run)\n") << SambaStyle;
    QTest::addRow("refused: ; in a value, exit 2")
        << QStringList{"Home", "a;b", "--where", "IV"} << 2 << QByteArray() << SambaStyle;
    QTest::addRow("refused: a name starting with # under --hash-comments")
        << QStringList{"browseable", "#browseable", "--hash-comments"} << 2 << QByteArray() << SambaStyle;
    QTest::addRow("refused in a dry run too")
        << QStringList{"no", "a\nb", "--dry-run"} << 2 << QByteArray() << SambaStyle;
    QTest::addRow("--normalise writes the usual form")
        << QStringList{"no", "yes", "--where", "IV", "--normalise", "--hash-comments"} << 0
        << QByteArray("1 replaced in 1 text\n")
        << QByteArray("#Samba\r\n\r\n[global]\r\nworkgroup=WORKGROUP\r\n#server string = old\r\n"
                      "server string=%h server\r\n;old style\r\n\r\n[homes]\r\ncomment=Home Directories\r\n"
                      "browseable=yes\r\n\r\n");
    QTest::addRow("usage: a missing argument") << QStringList{"x"} << 2 << QByteArray() << SambaStyle;
    QTest::addRow("usage: a bad --where")
        << QStringList{"x", "y", "--where", "XX"} << 2 << QByteArray() << SambaStyle;
}

// replace: exit 0 replaced, 1 nothing matched, 2 refused or a usage error;
// written keep-layout unless --normalise, nothing written otherwise.
void TestCli::replace()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, written);
    WriteFile(m_file, SambaStyle);
    const Run run = RunTool(QStringList{QStringLiteral("replace"), m_file} + arguments);
    QVERIFY2(run.exitCode == exitCode, run.err.constData());
    QCOMPARE(run.out, out);
    QCOMPARE(ReadFile(m_file), written);
    if (exitCode == 2)
        QVERIFY(!run.err.isEmpty());
}

// replace edits under the edit lock: while another holds the file's lock it
// waits, and writes once the lock is free. A dry run only reads and does not wait.
void TestCli::replaceWaitsForTheEditLock()
{
    WriteFile(m_file, "[s]\na=1\n");
    QFile held(m_file);
    QVERIFY(held.open(QIODevice::ReadOnly));
    QCOMPARE(::flock(held.handle(), LOCK_EX), 0);

    QCOMPARE(RunTool({QStringLiteral("replace"), m_file, QStringLiteral("1"), QStringLiteral("2"),
                      QStringLiteral("--dry-run")})
                 .exitCode,
             0);
    QProcess edit;
    edit.start(QStringLiteral(QUILLON_INI_PATH),
               {QStringLiteral("replace"), m_file, QStringLiteral("1"), QStringLiteral("one")});
    QVERIFY(edit.waitForStarted());
    QVERIFY(!edit.waitForFinished(500));
    QCOMPARE(ReadFile(m_file), QByteArray("[s]\na=1\n"));

    held.close(); // releases the lock
    QVERIFY(edit.waitForFinished(30000));
    QCOMPARE(edit.exitCode(), 0);
    QCOMPARE(ReadFile(m_file), QByteArray("[s]\na=one\n"));
}

void TestCli::hashComments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("out");     // compared when not empty
    QTest::addColumn<QByteArray>("written"); // FILE afterwards, or OUT when the command writes it

    const QByteArray file = "# top\n[s]\n# note = x\nk = 1\n";
    QTest::addRow("stats") << QStringList{"stats", "FILE"} << 0
                           << QByteArray(
                                  R"({"sections": 2, "values": 2, "comments": 0, "errors": 1, "blanks": 0})"
                                  "\n")
                           << file;
    QTest::addRow("stats, hash comments")
        << QStringList{"stats", "FILE", "--hash-comments"} << 0
        << QByteArray(R"({"sections": 2, "values": 1, "comments": 2, "errors": 0, "blanks": 0})"
                      "\n")
        << file;
    QTest::addRow("dump, hash comments")
        << QStringList{"--hash-comments", "dump", "FILE"} << 0
        << QByteArray(
               R"({"result": 0, "encoding": 0, "sections": [{"name": "", "comment": "", "entries": )"
               R"([{"kind": 2, "name": "", "value": "", "comment": "top"}]}, {"name": "s", "comment": "", )"
               R"("entries": [{"kind": 2, "name": "", "value": "", "comment": "note = x"}, )"
               R"({"kind": 1, "name": "k", "value": "1", "comment": ""}]}], "counts": {"sections": 2, )"
               R"("values": 1, "comments": 2, "errors": 0, "blanks": 0}})"
               "\n")
        << file;
    QTest::addRow("find, hash comments")
        << QStringList{"find", "FILE", "note", "--where", "IC", "--hash-comments"} << 0
        << QByteArray(R"({"result": true, "matches": [[1, 0]]})"
                      "\n")
        << file;
    QTest::addRow("find") << QStringList{"find", "FILE", "note", "--where", "IC"} << 0
                          << QByteArray(R"({"result": false, "matches": []})"
                                        "\n")
                          << file;
    QTest::addRow("set a key starting with #") << QStringList{"set", "FILE", "s", "# note", "y"} << 0
                                               << QByteArray() << QByteArray("# top\n[s]\n# note=y\nk = 1\n");
    QTest::addRow("set a key starting with #, hash comments: refused")
        << QStringList{"set", "FILE", "s", "# note", "y", "--hash-comments"} << 2 << QByteArray() << file;
    QTest::addRow("set, hash comments: # lines stay as read")
        << QStringList{"set", "FILE", "s", "k", "2", "--hash-comments"} << 0 << QByteArray()
        << QByteArray("# top\n[s]\n# note = x\nk=2\n");
    QTest::addRow("del, hash comments: a comment is not a key")
        << QStringList{"del", "FILE", "s", "# note", "--hash-comments"} << 1 << QByteArray() << file;
    QTest::addRow("sort, hash comments")
        << QStringList{"sort", "FILE", "--by", "name", "--descending", "--hash-comments"} << 0 << QByteArray()
        << QByteArray("# top\n[s]\nk=1\n#note = x\n");
    QTest::addRow("save, hash comments: written with #")
        << QStringList{"save", "FILE", "OUT", "--hash-comments"} << 0 << QByteArray()
        << QByteArray("#top\r\n\r\n[s]\r\n#note = x\r\nk=1\r\n\r\n");
    QTest::addRow("save, keep layout, hash comments")
        << QStringList{"save", "FILE", "OUT", "--keep-layout", "--hash-comments"} << 0 << QByteArray()
        << file;
    QTest::addRow("diff: the # line differs")
        << QStringList{"diff", "FILE", "OTHER"} << 1 << QByteArray() << file;
    QTest::addRow("diff, hash comments: comment lines are not compared")
        << QStringList{"diff", "FILE", "OTHER", "--hash-comments"} << 0 << QByteArray() << file;
    QTest::addRow("info takes it too") << QStringList{"info", "FILE", "--hash-comments"} << 0
                                       << QByteArray(R"({"container": null})"
                                                     "\n")
                                       << file;
}

// --hash-comments on every command: "#" lines are read as comment lines.
void TestCli::hashComments()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, written);
    WriteFile(m_file, "# top\n[s]\n# note = x\nk = 1\n");
    const QString other = m_dir.filePath(QStringLiteral("other.ini"));
    WriteFile(other, "# top\n[s]\n# note = y\nk = 1\n");
    const QString outFile = m_dir.filePath(QStringLiteral("out.ini"));
    QFile::remove(outFile);
    const bool writesOut = arguments.contains(QStringLiteral("OUT"));
    arguments.replaceInStrings(QStringLiteral("FILE"), m_file);
    arguments.replaceInStrings(QStringLiteral("OTHER"), other);
    arguments.replaceInStrings(QStringLiteral("OUT"), outFile);
    const Run run = RunTool(arguments);
    QVERIFY2(run.exitCode == exitCode, run.err.constData());
    if (!out.isEmpty())
        QCOMPARE(run.out, out);
    QCOMPARE(ReadFile(writesOut ? outFile : m_file), written);
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
