#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QList>
#include <QStringList>
#include <QStringView>

// Conversions between bytes and UTF-16 text for the file encodings.
namespace KvTextCodec {

constexpr quint32 Utf8CodePage = 65001;

// The system ANSI code page: the one chosen with SetSystemAnsiCodePage, else the
// locale's (LocaleCodePage).
quint32 SystemAnsiCodePage();
// The code page of the user's locale: its character set (LC_ALL, LC_CTYPE, LANG)
// through CodePageForCharset. A locale that is not installed counts as the
// C locale unless its name states a character set.
quint32 LocaleCodePage();
// UTF-8 for a UTF-8 character set and for the C/POSIX locale's ASCII (which Qt
// reads as UTF-8); a legacy 8-bit character set gives the Windows code page of
// the locale's language (AnsiCodePageForLocale).
quint32 CodePageForCharset(const QString &charset, const QString &localeName);
// The Windows ANSI code page of a locale's language, for a name such as
// "cs_CZ", "zh_TW" or "C" (1252 for C/POSIX and every language without a code
// page of its own).
quint32 AnsiCodePageForLocale(const QString &localeName);
// Overrides the system ANSI code page (0 restores the locale's).
void SetSystemAnsiCodePage(quint32 codePage);
// The code pages that can be chosen as the system code page, in ascending order.
const QList<quint32> &SelectableCodePages();
// A short name for a code page: "UTF-8", "Windows-1252", "Windows-932".
QString CodePageName(quint32 codePage);

// The characters a text loses when encoded to a code page: how many turn into
// "?" and the first few of them (each listed once).
struct TKvEncodingLoss
{
    qsizetype Count = 0;
    QStringList Examples;
};
TKvEncodingLoss FindEncodingLoss(QStringView text, quint32 codePage, qsizetype maxExamples = 5);
// Adds the loss of one more text to a running total.
void AddEncodingLoss(TKvEncodingLoss &loss, QStringView text, quint32 codePage, qsizetype maxExamples = 5);

// Decodes bytes of a Windows ANSI code page (874, 932, 936, 949, 950, 1250-1258,
// and 65001 as DecodeUtf8; any other number is taken as 1252). Bytes a single-byte code page leaves
// undefined decode to U+0000 + byte; bytes a double-byte code page rejects decode
// to the lone surrogate U+DC00 + byte. NUL bytes decode to U+0000.
QString DecodeAnsi(QByteArrayView bytes, quint32 codePage);
// Encodes to an ANSI code page; a character the code page cannot hold gives one
// "?", and a lone surrogate U+DC80..U+DCFF gives its byte back.
QByteArray EncodeAnsi(QStringView text, quint32 codePage);
inline QString DecodeAnsi(QByteArrayView bytes)
{
    return DecodeAnsi(bytes, SystemAnsiCodePage());
}
inline QByteArray EncodeAnsi(QStringView text)
{
    return EncodeAnsi(text, SystemAnsiCodePage());
}

// Whether DecodeAnsiInto takes the code page: UTF-8 and the single-byte code
// pages, which never give more than one UTF-16 unit per byte and whose bytes
// up to a line feed decode the same whether or not the bytes after it follow
// (a line feed byte is never part of a longer sequence). Not the double-byte
// code pages.
bool DecodesPieceByPiece(quint32 codePage);
// Decodes bytes as DecodeAnsi does, into out, which has room for one unit per
// byte; returns the number of units written. A text cut into pieces after
// line feeds decodes piece by piece to the units the whole gives.
qsizetype DecodeAnsiInto(QByteArrayView bytes, quint32 codePage, char16_t *out);

// Decodes UTF-8 losslessly: every byte that is not part of a valid sequence
// (overlong forms, encoded surrogates, code points above U+10FFFF, cut sequences,
// stray continuation bytes) becomes the lone surrogate U+DC00 + byte. A leading
// byte-order mark is kept as U+FEFF; skipping the file's mark is the caller's job.
QString DecodeUtf8(QByteArrayView bytes);
// Encodes UTF-8; a lone surrogate U+DC80..U+DCFF becomes its byte again, any
// other lone surrogate becomes "?".
QByteArray EncodeUtf8(QStringView text);

} // namespace KvTextCodec
