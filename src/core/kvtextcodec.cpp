// Placeholder conversions; replaced by the code page tables and the lossless UTF-8 codec.
#include "kvtextcodec.h"

namespace KvTextCodec {

quint32 SystemAnsiCodePage() { return 1252; }
quint32 AnsiCodePageForLocale(const QString &) { return 1252; }
void SetSystemAnsiCodePage(quint32) {}
QString DecodeAnsi(QByteArrayView bytes, quint32) { return QString::fromLatin1(bytes); }
QByteArray EncodeAnsi(QStringView text, quint32) { return text.toLatin1(); }
QString DecodeUtf8(QByteArrayView bytes) { return QString::fromUtf8(bytes); }
QByteArray EncodeUtf8(QStringView text) { return text.toUtf8(); }

} // namespace KvTextCodec
