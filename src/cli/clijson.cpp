#include "clijson.h"

QString JsonString(QStringView text)
{
    static const char hex[] = "0123456789abcdef";
    QString out;
    out.reserve(text.size() + 2);
    out += u'"';
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c == u'"' || c == u'\\') {
            out += u'\\';
            out += ch;
        } else if (c >= 0x20 && c < 0x7F) {
            out += ch;
        } else {
            out += u"\\u";
            for (int shift = 12; shift >= 0; shift -= 4)
                out += QLatin1Char(hex[(c >> shift) & 0xF]);
        }
    }
    out += u'"';
    return out;
}
