// Saving files safely: replacement through a temporary file, links, ownership,
// read-only targets and every kind of failure leaving the old file intact.
#include "kvfileerror.h"
#include "kvsafesave.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <grp.h>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

constexpr uid_t NobodyId = 65534;

QByteArray Path(const QString &fileName)
{
    return QFile::encodeName(fileName);
}

QByteArray ReadAll(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return "<cannot open>";
    return file.readAll();
}

void WriteFile(const QString &fileName, const QByteArray &content, mode_t mode = 0644)
{
    QFile file(fileName);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(content), content.size());
    file.close();
    QCOMPARE(::chmod(Path(fileName).constData(), mode), 0);
}

struct stat StatOf(const QString &fileName)
{
    struct stat st = {};
    ::stat(Path(fileName).constData(), &st);
    return st;
}

// A callback that writes the content and fails on a short write, as the document's
// writer does.
std::function<void(QIODevice &)> Writes(const QByteArray &content)
{
    return [content](QIODevice &device) {
        if (device.write(content) != content.size())
            throw TKvFileError(QString(), device.errorString());
    };
}

// A callback that writes and ignores what the write returned.
std::function<void(QIODevice &)> WritesCarelessly(const QByteArray &content)
{
    return [content](QIODevice &device) { device.write(content); };
}

// Runs check in a child process as the unprivileged user nobody and returns its
// exit code (0 for success).
int RunAsNobody(const std::function<int()> &check)
{
    fflush(stdout);
    fflush(stderr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(NobodyId) != 0 || ::setuid(NobodyId) != 0)
            ::_exit(90);
        int code = 91;
        try {
            code = check();
        } catch (...) {
            code = 92;
        }
        ::_exit(code);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Limits the size of files this process may write for as long as it lives.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN); // a write beyond the limit then fails with EFBIG
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old = {};
    void (*m_oldHandler)(int) = nullptr;
};

} // namespace

class TestSafeSave : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void newFileGetsDefaultMode();
    void replaceKeepsMode_data();
    void replaceKeepsMode();
    void replaceKeepsOwner();
    void replaceKeepsExtendedAttributes();
    void symbolicLinkFollowed_data();
    void symbolicLinkFollowed();
    void hardLinkWrittenInPlace();
    void readOnlyRefused_data();
    void readOnlyRefused();
    void notWritableByUserRefused();
    void ownerCannotBeKeptWritesInPlace();
    void writableFileInUnwritableFolder();
    void callbackThrowsLeavesOldFile_data();
    void callbackThrowsLeavesOldFile();
    void callbackFileErrorGetsName();
    void failingWriteLeavesOldFile_data();
    void failingWriteLeavesOldFile();
    void unwritableFolder_data();
    void unwritableFolder();
    void folderAsTarget();

private:
    // The names in the test folder, to prove no temporary file stays behind.
    QStringList Entries() const
    {
        return QDir(m_dir->path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    }
    QString File(const QString &name) const { return m_dir->filePath(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestSafeSave::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestSafeSave::newFileGetsDefaultMode()
{
    const mode_t oldMask = ::umask(027);
    const QString name = File(QStringLiteral("new.ini"));
    SafeSaveFile(name, Writes("[a]\r\nk=v\r\n"));
    ::umask(oldMask);
    QCOMPARE(ReadAll(name), QByteArray("[a]\r\nk=v\r\n"));
    QCOMPARE(StatOf(name).st_mode & 07777, mode_t(0640));
    QCOMPARE(Entries(), QStringList{QStringLiteral("new.ini")});
}

void TestSafeSave::replaceKeepsMode_data()
{
    QTest::addColumn<uint>("mode");
    QTest::addRow("0600") << 0600u;
    QTest::addRow("0640") << 0640u;
    QTest::addRow("0755") << 0755u;
    QTest::addRow("0604") << 0604u;
    QTest::addRow("0200") << 0200u;
    QTest::addRow("set-user-ID 04755") << 04755u;
    QTest::addRow("set-group-ID 02755") << 02755u;
    QTest::addRow("sticky 01644") << 01644u;
    QTest::addRow("all three 07750") << 07750u;
}

// A replacement is a new file renamed over the old one, with the old one's mode.
void TestSafeSave::replaceKeepsMode()
{
    QFETCH(uint, mode);
    const QString name = File(QStringLiteral("a.ini"));
    WriteFile(name, "old content that is longer than the new one", mode);
    const ino_t oldInode = StatOf(name).st_ino;
    SafeSaveFile(name, Writes("new"));
    const struct stat st = StatOf(name);
    QCOMPARE(st.st_mode & 07777, mode_t(mode));
    QVERIFY(st.st_ino != oldInode);
    QCOMPARE(Entries(), QStringList{QStringLiteral("a.ini")});
    QCOMPARE(::chmod(Path(name).constData(), mode | 0400), 0); // so that this user can read it back
    QCOMPARE(ReadAll(name), QByteArray("new"));
}

void TestSafeSave::replaceKeepsOwner()
{
    if (::geteuid() != 0)
        QSKIP("giving a file another owner needs root");
    const QString name = File(QStringLiteral("owned.ini"));
    WriteFile(name, "old", 0660);
    QCOMPARE(::chown(Path(name).constData(), 12345, 23456), 0);
    SafeSaveFile(name, Writes("new"));
    QCOMPARE(ReadAll(name), QByteArray("new"));
    const struct stat st = StatOf(name);
    QCOMPARE(st.st_uid, uid_t(12345));
    QCOMPARE(st.st_gid, gid_t(23456));
    QCOMPARE(st.st_mode & 07777, mode_t(0660));
}

void TestSafeSave::replaceKeepsExtendedAttributes()
{
    const QString name = File(QStringLiteral("tagged.ini"));
    WriteFile(name, "old");
    if (::setxattr(Path(name).constData(), "user.quillon", "kept", 4, 0) != 0)
        QSKIP("the file system takes no user attributes");
    SafeSaveFile(name, Writes("new"));
    QCOMPARE(ReadAll(name), QByteArray("new"));
    char value[16] = {};
    QCOMPARE(::getxattr(Path(name).constData(), "user.quillon", value, sizeof value), ssize_t(4));
    QCOMPARE(QByteArray(value), QByteArray("kept"));
}

void TestSafeSave::symbolicLinkFollowed_data()
{
    QTest::addColumn<QString>("linkTarget"); // as written in the link; %1 is the test folder
    QTest::addColumn<QString>("realFile");   // the file that ends up written, in the test folder
    QTest::addColumn<bool>("targetExists");
    QTest::addRow("relative") << "real.ini"
                              << "real.ini" << true;
    QTest::addRow("into a subfolder") << "sub/real.ini"
                                      << "sub/real.ini" << true;
    QTest::addRow("absolute") << "%1/sub/real.ini"
                              << "sub/real.ini" << true;
    QTest::addRow("chain of links") << "middle.lnk"
                                    << "real.ini" << true;
    QTest::addRow("dangling") << "sub/created.ini"
                              << "sub/created.ini" << false;
}

// The link stays a link and the file it names gets the new content and keeps its mode.
void TestSafeSave::symbolicLinkFollowed()
{
    QFETCH(QString, linkTarget);
    QFETCH(QString, realFile);
    QFETCH(bool, targetExists);
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("sub")));
    linkTarget.replace(QStringLiteral("%1"), m_dir->path());
    QVERIFY(QFile::link(QStringLiteral("real.ini"), File(QStringLiteral("middle.lnk"))));
    if (targetExists)
        WriteFile(File(realFile), "old", 0640);
    const QString link = File(QStringLiteral("name.ini"));
    QVERIFY(::symlink(Path(linkTarget).constData(), Path(link).constData()) == 0);

    SafeSaveFile(link, Writes("new"));

    QByteArray stored(4096, '\0');
    stored.truncate(::readlink(Path(link).constData(), stored.data(), size_t(stored.size())));
    QCOMPARE(stored, Path(linkTarget));
    struct stat linkStat;
    QCOMPARE(::lstat(Path(link).constData(), &linkStat), 0);
    QVERIFY(S_ISLNK(linkStat.st_mode));
    QCOMPARE(ReadAll(File(realFile)), QByteArray("new"));
    if (targetExists)
        QCOMPARE(StatOf(File(realFile)).st_mode & 07777, mode_t(0640));
    QCOMPARE(QDir(File(QStringLiteral("sub"))).entryList(QDir::Files | QDir::Hidden).size(),
             realFile.startsWith(u"sub/") ? 1 : 0);
    QCOMPARE(Entries().size(), 3 + (realFile.startsWith(u"sub/") ? 0 : 1)); // sub, middle.lnk, name.ini
}

// Replacing one name of a file with several would split it; it is written in place.
void TestSafeSave::hardLinkWrittenInPlace()
{
    const QString name = File(QStringLiteral("a.ini"));
    const QString other = File(QStringLiteral("b.ini"));
    WriteFile(name, "old content, longer than the new", 0640);
    QCOMPARE(::link(Path(name).constData(), Path(other).constData()), 0);
    const ino_t inode = StatOf(name).st_ino;
    SafeSaveFile(name, Writes("new"));
    QCOMPARE(ReadAll(name), QByteArray("new"));
    QCOMPARE(ReadAll(other), QByteArray("new"));
    const struct stat st = StatOf(name);
    QCOMPARE(st.st_ino, inode);
    QCOMPARE(st.st_nlink, nlink_t(2));
    QCOMPARE(st.st_mode & 07777, mode_t(0640));
    QCOMPARE(Entries(), (QStringList{QStringLiteral("a.ini"), QStringLiteral("b.ini")}));
}

void TestSafeSave::readOnlyRefused_data()
{
    QTest::addColumn<uint>("mode");
    QTest::addColumn<bool>("throughLink");
    QTest::addColumn<bool>("hardLinked");
    QTest::addRow("0444") << 0444u << false << false;
    QTest::addRow("0400") << 0400u << false << false;
    QTest::addRow("0000") << 0000u << false << false;
    QTest::addRow("0555") << 0555u << false << false;
    QTest::addRow("0444 through a link") << 0444u << true << false;
    QTest::addRow("0444 hard-linked") << 0444u << false << true;
}

// A file nobody may write is refused, also for root, whom the kernel would let write.
void TestSafeSave::readOnlyRefused()
{
    QFETCH(uint, mode);
    QFETCH(bool, throughLink);
    QFETCH(bool, hardLinked);
    const QString real = File(QStringLiteral("ro.ini"));
    WriteFile(real, "protected", mode);
    if (hardLinked)
        QCOMPARE(::link(Path(real).constData(), Path(File(QStringLiteral("ro2.ini"))).constData()), 0);
    QString name = real;
    if (throughLink) {
        name = File(QStringLiteral("link.ini"));
        QVERIFY(QFile::link(QStringLiteral("ro.ini"), name));
    }
    const QStringList before = Entries();
    try {
        SafeSaveFile(name, Writes("new"));
        QFAIL("the save did not fail");
    } catch (const TKvFileError &error) {
        QCOMPARE(error.FileName(), name);
        QCOMPARE(error.Message(), QStringLiteral("Permission denied"));
    }
    QCOMPARE(StatOf(real).st_mode & 07777, mode_t(mode));
    QVERIFY(::chmod(Path(real).constData(), 0600) == 0);
    QCOMPARE(ReadAll(real), QByteArray("protected"));
    QCOMPARE(Entries(), before);
}

// A file that has write bits, but none for this user.
void TestSafeSave::notWritableByUserRefused()
{
    if (::geteuid() != 0)
        QSKIP("needs root to act as another user");
    QVERIFY(::chmod(Path(m_dir->path()).constData(), 0777) == 0);
    const QString name = File(QStringLiteral("root.ini"));
    WriteFile(name, "root's", 0644);
    const int code = RunAsNobody([&] {
        try {
            SafeSaveFile(name, Writes("new"));
            return 1;
        } catch (const TKvFileError &error) {
            return error.Message() == QStringLiteral("Permission denied") ? 0 : 2;
        }
    });
    QCOMPARE(code, 0);
    QCOMPARE(ReadAll(name), QByteArray("root's"));
    QCOMPARE(Entries(), QStringList{QStringLiteral("root.ini")});
}

// This user may write the file but cannot give a new file its owner: in place.
void TestSafeSave::ownerCannotBeKeptWritesInPlace()
{
    if (::geteuid() != 0)
        QSKIP("needs root to act as another user");
    QVERIFY(::chmod(Path(m_dir->path()).constData(), 0777) == 0);
    const QString name = File(QStringLiteral("shared.ini"));
    WriteFile(name, "old content, longer than the new", 0666);
    const struct stat old = StatOf(name);
    const int code = RunAsNobody([&] {
        SafeSaveFile(name, Writes("new"));
        return 0;
    });
    QCOMPARE(code, 0);
    QCOMPARE(ReadAll(name), QByteArray("new"));
    const struct stat now = StatOf(name);
    QCOMPARE(now.st_ino, old.st_ino);
    QCOMPARE(now.st_uid, uid_t(0));
    QCOMPARE(now.st_mode & 07777, mode_t(0666));
    QCOMPARE(Entries(), QStringList{QStringLiteral("shared.ini")});
}

// A file this user may write in a folder where it may not create one: in place.
void TestSafeSave::writableFileInUnwritableFolder()
{
    if (::geteuid() != 0)
        QSKIP("needs root to act as another user");
    QVERIFY(::chmod(Path(m_dir->path()).constData(), 0755) == 0);
    const QString name = File(QStringLiteral("mine.ini"));
    WriteFile(name, "old", 0644);
    QCOMPARE(::chown(Path(name).constData(), NobodyId, NobodyId), 0);
    const int code = RunAsNobody([&] {
        SafeSaveFile(name, Writes("new and longer"));
        return 0;
    });
    QCOMPARE(code, 0);
    QCOMPARE(ReadAll(name), QByteArray("new and longer"));
    QCOMPARE(StatOf(name).st_uid, NobodyId);
    QCOMPARE(Entries(), QStringList{QStringLiteral("mine.ini")});
}

void TestSafeSave::callbackThrowsLeavesOldFile_data()
{
    QTest::addColumn<bool>("hardLinked"); // written in place rather than replaced
    QTest::addRow("replaced") << false;
    QTest::addRow("in place") << true;
}

void TestSafeSave::callbackThrowsLeavesOldFile()
{
    QFETCH(bool, hardLinked);
    const QString name = File(QStringLiteral("a.ini"));
    WriteFile(name, "old content");
    if (hardLinked)
        QCOMPARE(::link(Path(name).constData(), Path(File(QStringLiteral("b.ini"))).constData()), 0);
    const QStringList before = Entries();
    try {
        SafeSaveFile(name, [](QIODevice &device) {
            device.write(QByteArray(100000, 'x')); // more than any buffer
            throw std::runtime_error("writer failed");
        });
        QFAIL("the exception did not come through");
    } catch (const std::runtime_error &error) {
        QCOMPARE(error.what(), "writer failed");
    }
    QCOMPARE(ReadAll(name), QByteArray("old content"));
    QCOMPARE(Entries(), before);
}

// A file error from the writer, which only knows its device, names the file saved.
void TestSafeSave::callbackFileErrorGetsName()
{
    const QString name = File(QStringLiteral("a.ini"));
    WriteFile(name, "old content");
    try {
        SafeSaveFile(name,
                     [](QIODevice &) { throw TKvFileError(QString(), QStringLiteral("Disk on fire")); });
        QFAIL("the exception did not come through");
    } catch (const TKvFileError &error) {
        QCOMPARE(error.FileName(), name);
        QCOMPARE(error.Message(), QStringLiteral("Disk on fire"));
    }
    QCOMPARE(ReadAll(name), QByteArray("old content"));
    QCOMPARE(Entries(), QStringList{QStringLiteral("a.ini")});
}

void TestSafeSave::failingWriteLeavesOldFile_data()
{
    QTest::addColumn<bool>("hardLinked");
    QTest::addColumn<bool>("careless"); // the writer ignores what write() returned
    QTest::addColumn<int>("size");
    QTest::addRow("replaced, writer checks") << false << false << 200000;
    QTest::addRow("replaced, writer careless") << false << true << 200000;
    QTest::addRow("replaced, careless, cut write") << false << true << 5000;
    QTest::addRow("in place, writer checks") << true << false << 200000;
    QTest::addRow("in place, writer careless") << true << true << 5000;
}

// A write that fails part-way (here: beyond the process's file size limit, as a
// full disk would) fails the save and leaves the old file as it was.
void TestSafeSave::failingWriteLeavesOldFile()
{
    QFETCH(bool, hardLinked);
    QFETCH(bool, careless);
    QFETCH(int, size);
    const QString name = File(QStringLiteral("a.ini"));
    const QByteArray old = "old content\r\n";
    WriteFile(name, old);
    if (hardLinked)
        QCOMPARE(::link(Path(name).constData(), Path(File(QStringLiteral("b.ini"))).constData()), 0);
    const QStringList before = Entries();
    const QByteArray content(size, 'n');
    bool failed = false;
    {
        FileSizeLimit limit(4096);
        try {
            SafeSaveFile(name, careless ? WritesCarelessly(content) : Writes(content));
        } catch (const TKvFileError &error) {
            failed = true;
            QCOMPARE(error.FileName(), name);
            QCOMPARE(error.Message(), QStringLiteral("File too large"));
        }
    }
    QVERIFY(failed);
    QCOMPARE(ReadAll(name), old);
    QCOMPARE(Entries(), before);
}

void TestSafeSave::unwritableFolder_data()
{
    QTest::addColumn<QString>("name"); // in the test folder
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("readOnlyFolder");
    QTest::addRow("missing folder") << "missing/a.ini"
                                    << "No such file or directory" << false;
    QTest::addRow("folder is a file") << "file.txt/a.ini"
                                      << "Not a directory" << false;
    QTest::addRow("read-only folder") << "ro/a.ini"
                                      << "Permission denied" << true;
}

void TestSafeSave::unwritableFolder()
{
    QFETCH(QString, name);
    QFETCH(QString, message);
    QFETCH(bool, readOnlyFolder);
    WriteFile(File(QStringLiteral("file.txt")), "x");
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("ro")));
    QVERIFY(::chmod(Path(File(QStringLiteral("ro"))).constData(), 0555) == 0);
    QVERIFY(::chmod(Path(m_dir->path()).constData(), 0755) == 0);
    const QString fileName = File(name);
    auto save = [&] {
        try {
            SafeSaveFile(fileName, Writes("new"));
            return 1;
        } catch (const TKvFileError &error) {
            if (error.FileName() != fileName || error.Message() != message) {
                qWarning("%s: %s", qPrintable(error.FileName()), qPrintable(error.Message()));
                return 2;
            }
            return 0;
        }
    };
    // Root may create files in any folder, so a read-only folder is tried as nobody.
    const int code = readOnlyFolder && ::geteuid() == 0 ? RunAsNobody(save) : save();
    QCOMPARE(code, 0);
    QVERIFY(!QFileInfo::exists(fileName));
    QVERIFY(QDir(File(QStringLiteral("ro"))).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    QCOMPARE(Entries(), (QStringList{QStringLiteral("file.txt"), QStringLiteral("ro")}));
}

void TestSafeSave::folderAsTarget()
{
    try {
        SafeSaveFile(m_dir->path(), Writes("new"));
        QFAIL("the save did not fail");
    } catch (const TKvFileError &error) {
        QCOMPARE(error.Message(), QStringLiteral("Is a directory"));
    }
    QVERIFY(Entries().isEmpty());
}

QTEST_GUILESS_MAIN(TestSafeSave)
#include "tst_safesave.moc"
