#pragma once

#include "kvmemini.h"
#include "kvtextcodec.h"

#include <QByteArrayView>
#include <QString>

#include <functional>
#include <memory>

// What a read leaves behind for writing the file back as it was: the parsed
// text (whose lines the untouched entries point into), what the reader trimmed
// from its end, and the file's edges.
struct TKvReadLayout
{
    std::shared_ptr<TKvParseStore> Store; // holds the parsed text
    qsizetype LinesLength = 0;            // the part of the text the parser split into lines
    QString Tail;                         // what follows: text after a NUL, what the reader trimmed
    QByteArray Unread;                    // the byte of a one-byte file read as UTF-16
    quint32 Encoding = KvEncoding::Utf8;  // the reader that ran
    bool Mark = false;                    // the file started with a byte-order mark
    bool OddByte = false;                 // a UTF-16 file ended with half a code unit
};

// The keep-layout writer: lines that were read and not changed since go out
// as they were read, found again in the parsed text at save time.
namespace KvLayoutWriter {

// The whole text a keep-layout save writes, before encoding.
QString Text(const TKvMemIni &ini);
// Hands the encoded keep-layout file to sink in parts: the byte-order mark as
// the file had it (when saved in the encoding it was read with; otherwise as
// WriteBom says), then the text.
void Encode(const TKvMemIni &ini, quint32 encoding, const std::function<void(QByteArrayView)> &sink);
// Whether Encode starts with the byte-order mark.
bool WritesMark(const TKvMemIni &ini, quint32 encoding);
// The line end new and changed lines get: the one the file read mostly uses
// (a lone carriage return counts as CR LF, since the reader takes the
// character after it for its line feed), LF when nothing was read.
QStringView FreshLineEnd(const TKvMemIni &ini);

} // namespace KvLayoutWriter

// The characters a save of the document in this encoding would turn into "?":
// nothing for UTF-8 and UTF-16, the text's loss in the system code page for
// ANSI. Counts over the text the save would write (KeepLayout or not).
KvTextCodec::TKvEncodingLoss SaveEncodingLoss(const TKvMemIni &ini, quint32 encoding);
