#pragma once

#include "kvmemini.h"

#include <QByteArrayView>
#include <QChar>
#include <QStringView>

#include <cstring>

// Copying texts into the writer's buffer, whose length was computed beforehand.
namespace KvWriteBuffer {

inline QChar *Put(QChar *out, QStringView text)
{
    if (!text.isEmpty()) // a null text has no characters to copy from
        std::memcpy(static_cast<void *>(out), text.utf16(), size_t(text.size()) * sizeof(QChar));
    return out + text.size();
}

inline QChar *Put(QChar *out, char16_t c)
{
    *out = QChar(c);
    return out + 1;
}

inline QChar *PutLineEnd(QChar *out)
{
    return Put(out, u"\r\n");
}

// A section's header line without its line end: "[", the name, "]", then
// " ;" and the comment when it has one. Both writers write fresh headers so.
inline qsizetype HeaderTextLength(const TKvIniSection &section)
{
    return section.Name.size() + 2 + (section.Comment.isEmpty() ? 0 : section.Comment.size() + 2);
}

inline QChar *PutHeaderText(QChar *out, const TKvIniSection &section)
{
    out = Put(out, u'[');
    out = Put(out, section.Name);
    out = Put(out, u']');
    if (!section.Comment.isEmpty()) {
        out = Put(out, u" ;");
        out = Put(out, section.Comment);
    }
    return out;
}

// The byte-order mark written before a text in this encoding (none for ANSI);
// both writers use it.
inline QByteArrayView ByteOrderMark(quint32 encoding)
{
    switch (encoding) {
    case KvEncoding::Utf8:
        return "\xEF\xBB\xBF";
    case KvEncoding::Utf16LE:
        return "\xFF\xFE";
    case KvEncoding::Utf16BE:
        return "\xFE\xFF";
    default:
        return {};
    }
}

} // namespace KvWriteBuffer
