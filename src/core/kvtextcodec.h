#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Conversions between bytes and UTF-16 text for the file encodings.
namespace KvTextCodec {

// The system ANSI code page, chosen from the user's locale the way Windows
// chooses it from the language (1252 for the C/POSIX locale and every language
// without a code page of its own).
quint32 SystemAnsiCodePage();
// The ANSI code page for a locale name such as "cs_CZ", "zh_TW" or "C".
quint32 AnsiCodePageForLocale(const QString &localeName);
// Overrides the system ANSI code page (0 restores the locale's); for tests and tools.
void SetSystemAnsiCodePage(quint32 codePage);

// Decodes bytes of a Windows ANSI code page (874, 932, 936, 949, 950, 1250-1258;
// any other number is taken as 1252). Bytes a single-byte code page leaves
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

// Decodes UTF-8 losslessly: every byte that is not part of a valid sequence
// (overlong forms, encoded surrogates, code points above U+10FFFF, cut sequences,
// stray continuation bytes) becomes the lone surrogate U+DC00 + byte. A leading
// byte-order mark is kept as U+FEFF; skipping the file's mark is the caller's job.
QString DecodeUtf8(QByteArrayView bytes);
// Encodes UTF-8; a lone surrogate U+DC80..U+DCFF becomes its byte again, any
// other lone surrogate becomes "?".
QByteArray EncodeUtf8(QStringView text);

} // namespace KvTextCodec
