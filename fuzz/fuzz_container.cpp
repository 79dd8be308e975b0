// The password-protected file loader on arbitrary files, and on containers
// made with the right password around arbitrary text: loading never fails
// badly, and a loaded document saves and loads again to the same text.
#include "fuzzcommon.h"
#include "kvcontainer.h"
#include "kvmemini.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

QTemporaryDir *g_dir = nullptr;

QString PathOf(const char *name)
{
    return g_dir->filePath(QString::fromLatin1(name));
}

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        FuzzFail("cannot write the input file");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    FuzzSetUp();
    g_dir = new QTemporaryDir(FuzzTempPath() + QStringLiteral("/quillon-fuzz-XXXXXX"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    TFuzzInput input(data, size);
    const uint8_t mode = input.Byte();
    const QString password = QString::fromUtf8(input.Bytes(mode >> 4));
    QByteArray bytes = input.Rest();
    if (mode & 1) {
        // A container made with this password: the text reaches the reader.
        bytes.prepend(KvContainer::Header.data(), KvContainer::HeaderLength);
        XorWithKey(bytes.data(), bytes.size(), MakeFileKey(password));
    }
    const QString path = PathOf("in.IniCry");
    WriteFile(path, bytes);

    TKvMemIni ini;
    const int result = LoadEncrypted(ini, path, password);
    if (result != KvEncoding::Utf8 && result != lrUnparsable && result != lrNotContainer
        && result != lrWrongPassword)
        FuzzFail("unexpected load result", QByteArray::number(result));
    if (result != KvEncoding::Utf8)
        return 0;

    const QString copy = PathOf("copy.IniCry");
    SaveEncrypted(ini, copy, password);
    TKvMemIni again;
    if (LoadEncrypted(again, copy, password) != KvEncoding::Utf8)
        FuzzFail("a saved container does not load");
    TKvMemIni third;
    SaveEncrypted(again, copy, password);
    if (LoadEncrypted(third, copy, password) != KvEncoding::Utf8)
        FuzzFail("a container saved twice does not load");
    if (!KnownNormalisation(ini) && third.GetText() != again.GetText())
        FuzzFail("a container's text changes from the second save on");
    return 0;
}
