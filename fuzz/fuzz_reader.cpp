// Reading arbitrary bytes, detected or in a forced encoding, with or without
// "#" comment lines, then the stability of the written text: a document that
// was read writes a text that reads back, with detection as in its encoding,
// and writing that again gives the same bytes.
#include "fuzzcommon.h"
#include "kvfileerror.h"
#include "kvmemini.h"

#include <QBuffer>

namespace {

constexpr quint32 Encodings[] = {KvEncoding::Unknown, KvEncoding::Ansi, KvEncoding::Utf8, KvEncoding::Utf16LE,
                                 KvEncoding::Utf16BE};

int Read(TKvMemIni &ini, QByteArray bytes, quint32 encoding, bool hashComments)
{
    ini.HashComments = hashComments;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return encoding == KvEncoding::Unknown ? ini.LoadFromStream(buffer)
                                           : ini.LoadFromStream(buffer, encoding);
}

// The encoding a read document is written back in (the CLI's choice).
quint32 WriteEncoding(quint32 read)
{
    return read == KvEncoding::Ansi || read == KvEncoding::Utf16LE || read == KvEncoding::Utf16BE
               ? read
               : KvEncoding::Utf8;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    FuzzSetUp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    TFuzzInput input(data, size);
    const uint8_t mode = input.Byte();
    const quint32 requested = Encodings[(mode & 0x7F) % std::size(Encodings)];
    const bool hash = (mode & 0x80) != 0;
    const QByteArray bytes = input.Rest();

    TKvMemIni ini;
    const int result = Read(ini, bytes, requested, hash);
    if (result < 0)
        return 0;
    // What the parse counted is what a count of the document finds.
    if (!(ini.ReadCounts() == ini.CountAll()))
        FuzzFail("the counts made while reading differ from a count of the document");
    // The length the writer computes beforehand must be what it writes.
    if (ini.TextLength() != ini.GetText().size())
        FuzzFail("TextLength differs from the written text");

    const quint32 encoding = WriteEncoding(ini.Encoding);
    QByteArray first;
    try {
        first = ini.Encode(encoding);
    } catch (const TKvFileError &) {
        return 0; // refused: the bytes would read back as another text
    }
    TKvMemIni again;
    if (Read(again, first, encoding, hash) < 0)
        FuzzFail("a written document does not read back", first.toHex(' '));
    // Read with detection, the save is the same document (UTF-8 without its
    // mark excepted: nothing tells it from the ANSI code page).
    if (encoding != KvEncoding::Utf8 || ini.WritesMark(encoding)) {
        TKvMemIni detected;
        // ANSI text that says "utf-8" near its start reads as UTF-8: it is
        // the same text when it is ASCII (the save refuses it otherwise).
        const int read = Read(detected, first, KvEncoding::Unknown, hash);
        if (read != int(encoding) && !(encoding == KvEncoding::Ansi && read == int(KvEncoding::Utf8)))
            FuzzFail("a written document is detected as another encoding", first.toHex(' '));
        if (detected.GetText() != again.GetText())
            FuzzFail("a written document reads as another text when detected", first.toHex(' '));
    }
    // A known normalisation may change the text (and move "utf-8" into the
    // first bytes, so that the next save is refused): no stability to check.
    if (KnownNormalisation(ini))
        return 0;
    const QByteArray second = again.Encode(encoding);
    if (second != first)
        FuzzFail("the text changes from one save to the next", first.toHex(' ') + "\n" + second.toHex(' '));
    return 0;
}
