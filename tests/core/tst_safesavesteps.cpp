// The steps that make a save durable and atomic, seen through the step hook:
// their order on each road, a failure at each step leaving the old file and no
// temporary file, and a save killed at any moment leaving no temporary file.
#include "kvfileerror.h"
#include "kvsafesave.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

Q_DECLARE_METATYPE(TKvSaveStep)

namespace {

using Steps = QList<TKvSaveStep>;

QByteArray ReadAll(const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<cannot open>");
}

void WriteFile(const QString &fileName, const QByteArray &content)
{
    QFile file(fileName);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(content), content.size());
}

std::function<void(QIODevice &)> Writes(const QByteArray &content)
{
    return [content](QIODevice &device) {
        if (device.write(content) != content.size())
            throw TKvFileError(QString(), device.errorString());
    };
}

// Installs a hook for the life of the object: it records every step and fails
// the chosen ones with their error.
class StepRecorder
{
public:
    explicit StepRecorder(QMap<TKvSaveStep, int> failures = {})
        : m_failures(std::move(failures))
    {
        m_previous = SetSafeSaveStepHook([this](TKvSaveStep step) {
            m_steps << step;
            return m_failures.value(step, 0);
        });
    }
    ~StepRecorder() { SetSafeSaveStepHook(m_previous); }

    const Steps &Recorded() const { return m_steps; }

private:
    QMap<TKvSaveStep, int> m_failures;
    Steps m_steps;
    TKvSaveStepHook m_previous;
};

using S = TKvSaveStep;

} // namespace

class TestSafeSaveSteps : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void stepsInOrder_data();
    void stepsInOrder();
    void failingStepKeepsOldFile_data();
    void failingStepKeepsOldFile();
    void newFileMode();
    void killedSaveLeavesNoTemporaryFile_data();
    void killedSaveLeavesNoTemporaryFile();
    void killedRewriteInPlaceLeavesOldBytes_data();
    void killedRewriteInPlaceLeavesOldBytes();

private:
    QStringList Entries() const
    {
        return QDir(m_dir->path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    }
    QString File(const QString &name) const { return m_dir->filePath(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestSafeSaveSteps::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestSafeSaveSteps::stepsInOrder_data()
{
    QTest::addColumn<bool>("exists");
    QTest::addColumn<bool>("unnamedFiles");
    QTest::addColumn<bool>("hardLinked");
    QTest::addColumn<Steps>("expected");

    const Steps unnamed{S::CreateUnnamed, S::SyncFile, S::LinkFile, S::Rename, S::SyncFolder};
    // Without unnamed files the named temporary file is synced before the rename too.
    const Steps named{S::CreateUnnamed, S::SyncFile, S::Rename, S::SyncFolder};
    QTest::addRow("replace") << true << true << false << unnamed;
    QTest::addRow("new file") << false << true << false << unnamed;
    QTest::addRow("replace, no unnamed files") << true << false << false << named;
    QTest::addRow("new file, no unnamed files") << false << false << false << named;
    QTest::addRow("in place") << true << true << true
                              << Steps{S::SyncBackup, S::SyncFolder, S::SyncFile, S::RemoveBackup};
}

// Every step runs, in order: dropping a sync, the link or the rename fails here.
void TestSafeSaveSteps::stepsInOrder()
{
    QFETCH(bool, exists);
    QFETCH(bool, unnamedFiles);
    QFETCH(bool, hardLinked);
    QFETCH(Steps, expected);

    const QString name = File(QStringLiteral("a.ini"));
    if (exists)
        WriteFile(name, "old");
    if (hardLinked)
        QCOMPARE(::link(QFile::encodeName(name).constData(),
                        QFile::encodeName(File(QStringLiteral("b.ini"))).constData()),
                 0);
    QMap<TKvSaveStep, int> failures;
    if (!unnamedFiles)
        failures[S::CreateUnnamed] = EOPNOTSUPP;
    const StepRecorder recorder(failures);
    SafeSaveFile(name, Writes("new"));
    QCOMPARE(recorder.Recorded(), expected);
    QCOMPARE(ReadAll(name), QByteArray("new"));
    QStringList files{QStringLiteral("a.ini")};
    if (hardLinked)
        files << QStringLiteral("b.ini");
    QCOMPARE(Entries(), files);
}

void TestSafeSaveSteps::failingStepKeepsOldFile_data()
{
    QTest::addColumn<TKvSaveStep>("step");
    QTest::addColumn<bool>("unnamedFiles");
    QTest::addColumn<int>("error");

    QTest::addRow("sync") << S::SyncFile << true << EIO;
    QTest::addRow("link") << S::LinkFile << true << ENOSPC;
    QTest::addRow("rename") << S::Rename << true << EIO;
    QTest::addRow("sync, named") << S::SyncFile << false << EIO;
    QTest::addRow("rename, named") << S::Rename << false << EXDEV;
    QTest::addRow("create") << S::CreateUnnamed << true << ENOSPC;
}

// The save fails with the step's error; the old file is whole and alone.
void TestSafeSaveSteps::failingStepKeepsOldFile()
{
    QFETCH(TKvSaveStep, step);
    QFETCH(bool, unnamedFiles);
    QFETCH(int, error);

    const QString name = File(QStringLiteral("a.ini"));
    WriteFile(name, "old content");
    QMap<TKvSaveStep, int> failures{{step, error}};
    if (!unnamedFiles)
        failures[S::CreateUnnamed] = EOPNOTSUPP;
    const StepRecorder recorder(failures);
    try {
        SafeSaveFile(name, Writes("new"));
        QFAIL("the save did not fail");
    } catch (const TKvFileError &failure) {
        QCOMPARE(failure.FileName(), name);
        QCOMPARE(failure.Message(), qt_error_string(error));
    }
    QCOMPARE(ReadAll(name), QByteArray("old content"));
    QCOMPARE(Entries(), QStringList{QStringLiteral("a.ini")});
}

// A new file gets the mode asked for, less the umask; a replaced one keeps its own.
void TestSafeSaveSteps::newFileMode()
{
    const mode_t oldMask = ::umask(022);
    const QString fresh = File(QStringLiteral("plain.ini"));
    SafeSaveFile(fresh, Writes("x"), 0600);
    const QString existing = File(QStringLiteral("old.ini"));
    WriteFile(existing, "y");
    QCOMPARE(::chmod(QFile::encodeName(existing).constData(), 0640), 0);
    SafeSaveFile(existing, Writes("x"), 0600);
    ::umask(oldMask);
    struct stat st;
    QCOMPARE(::stat(QFile::encodeName(fresh).constData(), &st), 0);
    QCOMPARE(st.st_mode & 07777, mode_t(0600));
    QCOMPARE(::stat(QFile::encodeName(existing).constData(), &st), 0);
    QCOMPARE(st.st_mode & 07777, mode_t(0640));
}

void TestSafeSaveSteps::killedSaveLeavesNoTemporaryFile_data()
{
    QTest::addColumn<int>("moment");
    // -1: while the content is written; otherwise at that step.
    QTest::addRow("while writing") << -1;
    QTest::addRow("at the sync") << int(S::SyncFile);
    QTest::addRow("at the link") << int(S::LinkFile);
}

// A child process saving a big file is killed while it writes or when it
// reaches a step: the target is still the old file and nothing else is there.
void TestSafeSaveSteps::killedSaveLeavesNoTemporaryFile()
{
    QFETCH(int, moment);
    const QString name = File(QStringLiteral("big.ini"));
    WriteFile(name, "old");
    int ready[2];
    QCOMPARE(::pipe(ready), 0);
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(ready[0]);
        // Tell the parent, then wait to be killed.
        const auto signalAndWait = [&] {
            const char byte = 1;
            if (::write(ready[1], &byte, 1) != 1)
                ::_exit(3);
            for (;;)
                ::pause();
        };
        SetSafeSaveStepHook([&](TKvSaveStep step) {
            if (int(step) == moment)
                signalAndWait();
            return 0;
        });
        const QByteArray chunk(1 << 20, 'x');
        SafeSaveFile(name, [&](QIODevice &device) {
            for (int i = 0; i < 8; ++i)
                device.write(chunk);
            if (moment == -1)
                signalAndWait();
        });
        ::_exit(0);
    }
    ::close(ready[1]);
    char byte = 0;
    QCOMPARE(::read(ready[0], &byte, 1), ssize_t(1));
    ::close(ready[0]);
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    QVERIFY(WIFSIGNALED(status));
    QCOMPARE(ReadAll(name), QByteArray("old"));
    QCOMPARE(Entries(), QStringList{QStringLiteral("big.ini")});
}

void TestSafeSaveSteps::killedRewriteInPlaceLeavesOldBytes_data()
{
    QTest::addColumn<int>("moment");
    QTest::addRow("backup written") << int(S::SyncBackup);
    QTest::addRow("file rewritten, before its sync") << int(S::SyncFile);
    QTest::addRow("before the backup goes") << int(S::RemoveBackup);
}

// A file with a second hard link is rewritten in place: killed at any step, the
// old bytes are in the file or in its backup, the backup is reported, the next
// save refuses to overwrite it, and the link stays.
void TestSafeSaveSteps::killedRewriteInPlaceLeavesOldBytes()
{
    QFETCH(int, moment);
    const QString name = File(QStringLiteral("a.ini"));
    const QByteArray old = "[s]\nk=a-long-old-value\n";
    WriteFile(name, old);
    QCOMPARE(::link(QFile::encodeName(name).constData(), QFile::encodeName(File(QStringLiteral("b.ini"))).constData()),
             0);
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        SetSafeSaveStepHook([&](TKvSaveStep step) {
            if (int(step) == moment)
                ::raise(SIGKILL);
            return 0;
        });
        SafeSaveFile(name, Writes("[s]\nk=new\n"));
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    QVERIFY(WIFSIGNALED(status));
    const QString backup = InterruptedSaveBackup(name);
    QCOMPARE(backup, InterruptedSaveBackupName(name));
    QCOMPARE(ReadAll(backup), old);
    QCOMPARE(ReadAll(File(QStringLiteral("b.ini"))), ReadAll(name));
    QVERIFY_THROWS_EXCEPTION(TKvFileError, SafeSaveFile(name, Writes("[s]\nk=other\n")));
    QCOMPARE(ReadAll(backup), old);
    // Once the backup is dealt with, saving works again and leaves none.
    QVERIFY(QFile::remove(backup));
    SafeSaveFile(name, Writes("[s]\nk=other\n"));
    QCOMPARE(ReadAll(File(QStringLiteral("b.ini"))), QByteArray("[s]\nk=other\n"));
    QCOMPARE(InterruptedSaveBackup(name), QString());
}

QTEST_GUILESS_MAIN(TestSafeSaveSteps)
#include "tst_safesavesteps.moc"
