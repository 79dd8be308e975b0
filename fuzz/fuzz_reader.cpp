// Reading arbitrary bytes, detected or in a forced encoding, then the stability
// of the written text: a document that was read writes a text that reads back,
// and writing that again gives the same bytes.
#include "fuzzcommon.h"
#include "kvfileerror.h"
#include "kvmemini.h"

#include <QBuffer>

namespace {

constexpr quint32 Encodings[] = {KvEncoding::Unknown, KvEncoding::Ansi, KvEncoding::Utf8, KvEncoding::Utf16LE,
                                 KvEncoding::Utf16BE};

int Read(TKvMemIni &ini, QByteArray bytes, quint32 encoding)
{
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

// The known normalising cases that change a text on its second save too; a
// document showing one must be stable from the second save on instead.
// - An empty value before a comment ('k=;c') is written 'k= ;c' and reads
//   back as a value of one space; so does a value of one character below 33
//   (what the trimming keeps of a value of such characters only).
const char *KnownNormalisation(const TKvMemIni &ini)
{
    for (const TKvIniSection *section : ini.Sections) {
        for (const TKvIniVal *val : section->Vals) {
            const QStringView value = val->ValueView();
            if (val->Kind() == ikValue && !val->CommentView().isEmpty()
                && (value.isEmpty() || (value.size() == 1 && value.front().unicode() < 33)))
                return "empty value before a comment";
        }
    }
    return nullptr;
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
    const quint32 requested = Encodings[input.Byte() % std::size(Encodings)];
    const QByteArray bytes = input.Rest();

    TKvMemIni ini;
    const int result = Read(ini, bytes, requested);
    if (result < 0)
        return 0;
    // The length the writer computes beforehand must be what it writes.
    if (ini.TextLength() != ini.GetText().size())
        FuzzFail("TextLength differs from the written text");

    const quint32 encoding = WriteEncoding(ini.Encoding);
    QByteArray first = ini.Encode(encoding);
    TKvMemIni again;
    if (Read(again, first, encoding) < 0)
        FuzzFail("a written document does not read back", first.toHex(' '));
    QByteArray second = again.Encode(encoding);
    if (KnownNormalisation(ini)) {
        TKvMemIni third;
        if (Read(third, second, encoding) < 0)
            FuzzFail("a document written twice does not read back", second.toHex(' '));
        first = std::move(second);
        second = third.Encode(encoding);
    }
    if (second != first)
        FuzzFail("the text changes from one save to the next", first.toHex(' ') + "\n" + second.toHex(' '));
    return 0;
}
