// The strong container's loader. A real key derivation costs tens of
// milliseconds, so the key of one fixed password, salt and limits is derived
// once and the loader's other steps run on every input:
// - mode 0: the input as a file. A header the loader refuses must give
//   lrNotContainer through LoadEncrypted with nothing in the document; an
//   accepted one is opened with the fixed key.
// - mode 1: the input sealed as the plain body: it must authenticate, reach
//   the reader, and a loaded document sealed twice must read back the same.
// - mode 2: the input sealed, then one byte changed or the container cut
//   short: refused (header, or authentication), with nothing in the document.
#include "fuzzcommon.h"
#include "kvcontainer.h"
#include "kvmemini.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>

#include <optional>

namespace {

QTemporaryDir *g_dir = nullptr;
const TKvStrongKey *g_key = nullptr;

// The header fields every sealed input gets (the smallest limits the reader
// accepts, so that the one derivation is quick).
TKvStrongParams FixedParams()
{
    TKvStrongParams params;
    params.OpsLimit = KvStrong::MinOpsLimit;
    params.MemLimitKiB = KvStrong::MinMemLimitKiB;
    for (size_t i = 0; i < params.Salt.size(); ++i)
        params.Salt[i] = static_cast<unsigned char>(i);
    for (size_t i = 0; i < params.Nonce.size(); ++i)
        params.Nonce[i] = static_cast<unsigned char>(0x20 + i);
    return params;
}

QByteArray Seal(QByteArrayView plain)
{
    return SealStrongContainer(plain, FixedParams(), *g_key);
}

// The body the writer gives a document: EF BB BF and the UTF-8 text.
QByteArray BodyOf(const TKvMemIni &ini)
{
    QByteArray bytes;
    QBuffer stream(&bytes);
    stream.open(QIODevice::WriteOnly);
    if (!ini.WritesMark(KvEncoding::Utf8))
        stream.write("\xEF\xBB\xBF", 3);
    ini.SaveToStream(stream, KvEncoding::Utf8);
    return bytes;
}

void CheckRefused(const TKvMemIni &ini, int result, int expected, const char *what)
{
    if (result != expected)
        FuzzFail(what, QByteArray::number(result));
    if (ini.Sections.Count() != 0)
        FuzzFail("a refused container reached the document");
}

// A container as a file through the whole loader; only for headers that need
// no derivation (refused ones) or legacy files.
int LoadFromFile(TKvMemIni &ini, const QByteArray &bytes)
{
    const QString path = g_dir->filePath(QStringLiteral("in.IniCry"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        FuzzFail("cannot write the input file");
    file.close();
    return LoadEncrypted(ini, path, QStringLiteral("fuzz-password"));
}

// Bytes that start with the strong magic: refused at the header through the
// loader itself, or opened with the fixed key.
int OpenStrong(TKvMemIni &ini, const QByteArray &bytes)
{
    if (!ReadStrongHeader(bytes)) {
        const int result = LoadFromFile(ini, bytes);
        CheckRefused(ini, result, lrNotContainer, "a refused header gives another result");
        return result;
    }
    return OpenStrongContainer(ini, bytes, *g_key);
}

void CheckReaderResult(int result)
{
    if (result != KvEncoding::Utf8 && result != lrUnparsable)
        FuzzFail("a sealed body gives no reader result", QByteArray::number(result));
}

void RawInput(const QByteArray &bytes)
{
    TKvMemIni ini;
    if (ContainerFormatOf(bytes) != TKvContainerFormat::Strong) {
        LoadFromFile(ini, bytes); // the legacy path; fuzz_container covers it
        return;
    }
    const int result = OpenStrong(ini, bytes);
    if (result == lrWrongPassword)
        CheckRefused(ini, result, lrWrongPassword, "");
    else if (result != lrNotContainer)
        CheckReaderResult(result);
}

void SealedInput(const QByteArray &plain)
{
    TKvMemIni ini;
    const int result = OpenStrong(ini, Seal(plain));
    CheckReaderResult(result);
    if (result != KvEncoding::Utf8)
        return;
    TKvMemIni again;
    if (OpenStrong(again, Seal(BodyOf(ini))) != KvEncoding::Utf8)
        FuzzFail("a sealed document does not open");
    TKvMemIni third;
    if (OpenStrong(third, Seal(BodyOf(again))) != KvEncoding::Utf8)
        FuzzFail("a document sealed twice does not open");
    if (!KnownNormalisation(ini) && third.GetText() != again.GetText())
        FuzzFail("a sealed document's text changes from the second seal on");
}

void TamperedInput(TFuzzInput &input)
{
    const uint8_t how = input.Byte();
    const unsigned low = input.Byte();
    const unsigned where = low | unsigned(input.Byte()) << 8;
    QByteArray bytes = Seal(input.Rest());
    const qsizetype at = qsizetype(where % unsigned(bytes.size()));
    if (how & 1) {
        bytes.truncate(at);
    } else {
        const char mask = char(how >> 1 | 1); // never zero: the byte changes
        bytes[at] = char(bytes[at] ^ mask);
    }
    TKvMemIni ini;
    if (ContainerFormatOf(bytes) != TKvContainerFormat::Strong) {
        // A changed magic makes it a legacy file: nothing of it may read.
        const int result = LoadFromFile(ini, bytes);
        if (result != lrNotContainer && result != lrWrongPassword)
            FuzzFail("a container with a changed magic reads as legacy", QByteArray::number(result));
        return;
    }
    const int result = OpenStrong(ini, bytes);
    if (result != lrNotContainer)
        CheckRefused(ini, result, lrWrongPassword, "a changed container authenticates");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    FuzzSetUp();
    g_dir = new QTemporaryDir(FuzzTempPath() + QStringLiteral("/quillon-fuzz-XXXXXX"));
    g_key = new TKvStrongKey(DeriveStrongKey(QStringLiteral("fuzz-password"), FixedParams()));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    TFuzzInput input(data, size);
    switch (input.Byte() % 3) {
    case 0:
        RawInput(input.Rest());
        break;
    case 1:
        SealedInput(input.Rest());
        break;
    default:
        TamperedInput(input);
        break;
    }
    return 0;
}
