#pragma once

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

} // namespace KvWriteBuffer
