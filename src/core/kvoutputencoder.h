#pragma once

#include "kvtextcodec.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>

#include <functional>

// Turns the text a writer produces, part by part, into the bytes of the file,
// for both writers: the byte-order mark, the text in the encoding asked for,
// and the guarantees that the bytes read back, with detection, as the text
// that was written:
// - a mark-less file whose first bytes look like a byte-order mark gets a form
//   feed in front (the reader drops it before the first line);
// - a mark-less UTF-16 file whose first bytes do not look like UTF-16 gets its
//   mark;
// - a lone surrogate, which no UTF-16 file may hold, goes out as U+FFFD;
// - a file in a legacy code page that detection would take for UTF-8 (it
//   says "utf-8" near its start) and holds bytes above 127 is refused.
// A surrogate pair split between two parts stays a pair.
class TKvOutputEncoder
{
public:
    using Sink = std::function<void(QByteArrayView)>;

    TKvOutputEncoder(quint32 encoding, bool mark, Sink sink);

    // The start of the text as it was read: when the file starts with it
    // again, the start is kept as it is (it read as it reads now).
    void KeepStartOf(QStringView readStart);

    void Put(QStringView text);
    // Bytes that go out as they are (a byte that was never a character).
    void PutBytes(QByteArrayView bytes);
    // Passes on what is held back; throws TKvFileError when the file would
    // read back as another text.
    void Finish();

private:
    QByteArrayView Encoded(QStringView text);
    void Pass(QByteArrayView bytes);
    void ReleaseHead();

    quint32 m_encoding;
    bool m_mark;
    Sink m_sink;
    QByteArray m_bytes; // the last part's bytes, reused
    bool m_readInThisEncoding = false;
    QByteArray m_readStart; // the start as it was read, encoded
    QByteArray m_head;      // the first bytes, held until detection can look at them
    bool m_headReleased = false;
    bool m_readsAsUtf8 = false; // detection will read a legacy code page as UTF-8
    bool m_highByte = false;    // a byte above 127 was written
    char16_t m_pendingHigh = 0; // a high surrogate waiting for the next part
};

namespace KvOutput {

// The characters a save in this encoding cannot write as they are: for UTF-16
// the lone surrogates (written as U+FFFD); nothing for UTF-8 (it writes a kept
// byte back as the byte). Adds to a running total.
void AddUtf16Loss(KvTextCodec::TKvEncodingLoss &loss, QStringView text, qsizetype maxExamples = 5);

} // namespace KvOutput
