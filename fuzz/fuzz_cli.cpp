// quillon-ini's argument handling: arbitrary command lines run in-process in
// a folder of its own holding a few files. Nothing may crash or escape as an
// exception, exit codes stay in the documented range, and a command that
// fails leaves the files it was given as they were.
#include "clicommon.h"
#include "fuzzcommon.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <unistd.h>

namespace {

QTemporaryDir *g_dir = nullptr;

// All bytes of a literal but its terminating NUL.
template <qsizetype N> QByteArray Literal(const char (&text)[N])
{
    return QByteArray(text, N - 1);
}

// The files a command line can name, written afresh before each run.
const std::pair<const char *, QByteArray> Files[] = {
    {"a.ini", QByteArray("\xEF\xBB\xBF;top\r\n[s] ;c\r\nk=v ;n\r\nx\r\n\r\n[t]\r\nk=1\r\n")},
    {"b.ini", Literal("\xFE\xFF\x00[\x00s\x00]\x00\r\x00\n\x00k\x00=\x00v")},
    {"c.ini", Literal("\xFF\xFE\x00\x00k\x00\x00\x00")},
    {"d.ini", QByteArray("[a\r\nb]")},
    {"p.txt", QByteArray("secret\n")},
    {"q.txt", QByteArray("abc\n")},
};

QByteArray ReadFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    FuzzSetUp();
    static QCoreApplication app(*argc, *argv);
    g_dir = new QTemporaryDir(FuzzTempPath() + QStringLiteral("/quillon-fuzz-cli-XXXXXX"));
    if (!g_dir->isValid() || !QDir::setCurrent(g_dir->path()))
        FuzzFail("no folder to run in");
    // A password is never waited for on a terminal.
    if (!std::freopen("/dev/null", "r", stdin))
        FuzzFail("cannot read stdin from /dev/null");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Clear the folder, then put the files back.
    QDir dir(g_dir->path());
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System))
        dir.remove(name);
    for (const auto &[name, bytes] : Files) {
        QFile file(dir.filePath(QString::fromLatin1(name)));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            FuzzFail("cannot write the files");
    }

    // Arguments separated by NUL bytes; a "/" becomes "_" so that only the
    // folder's own files can be named.
    QStringList args;
    for (const QByteArray &part :
         QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)).split('\0'))
        args << QString::fromUtf8(part).replace(u'/', u'_');
    if (args.size() > 12)
        return 0;

    const int code = RunQuillonIni(args);
    if (code < 0 || code > 6)
        FuzzFail("exit code out of range", QByteArray::number(code));
    if (code != 0) {
        for (const auto &[name, bytes] : Files) {
            if (ReadFile(dir.filePath(QString::fromLatin1(name))) != bytes)
                FuzzFail("a failed command changed a file", name);
        }
    }
    return 0;
}
