#include "kvsearch.h"

#include <cstring>

namespace {

// The lower case of one UTF-16 code unit. ASCII is done inline (the same
// mapping as QChar::toLower), which keeps the scan of long texts fast.
inline char16_t LowerUnit(char16_t c)
{
    if (c < 128)
        return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
    return char16_t(QChar::toLower(c));
}

// Spaces, punctuation and brackets; tab, line breaks and the underscore are
// not delimiters. The hyphen-minus stands twice; that is harmless.
constexpr char16_t Delimiters[] = u" .,\"':?!()&;[]{}/<>-+*=-|";

// The delimiter test is a bit set over ASCII.
constexpr bool AllAscii(const char16_t *text)
{
    for (; *text != 0; ++text) {
        if (*text >= 128)
            return false;
    }
    return true;
}
static_assert(AllAscii(Delimiters));

} // namespace

TKvSearch::TKvSearch(QStringView findText, bool caseSensitive, bool wholeWords)
    : m_caseSensitive(caseSensitive)
    , m_wholeWords(wholeWords)
    , m_findText(findText.toString())
{
    for (QChar delimiter : DefaultDelimiters()) {
        const char16_t c = delimiter.unicode();
        m_delimiterBits[c >> 6] |= quint64(1) << (c & 63);
    }
    if (!m_caseSensitive) {
        char16_t *p = reinterpret_cast<char16_t *>(m_findText.data());
        for (qsizetype i = 0; i < m_findText.size(); ++i)
            p[i] = LowerUnit(p[i]);
        m_bufferCapacity = InitialBufferCapacity;
        m_buffer.reset(new char16_t[size_t(m_bufferCapacity) + 1]);
    }
}

QStringView TKvSearch::DefaultDelimiters()
{
    return QStringView(Delimiters);
}

const char16_t *TKvSearch::LowerCaseCopy(QStringView text)
{
    const qsizetype n = text.size();
    if (n > m_bufferCapacity) {
        // The old contents are not needed: replace, do not copy.
        m_bufferCapacity = n + BufferHeadroom;
        m_buffer.reset(new char16_t[size_t(m_bufferCapacity) + 1]);
    }
    const char16_t *in = text.utf16();
    char16_t *out = m_buffer.get();
    for (qsizetype i = 0; i < n; ++i)
        out[i] = LowerUnit(in[i]);
    out[n] = 0;
    return out;
}

qsizetype TKvSearch::Find(QStringView text)
{
    const qsizetype m = m_findText.size();
    const qsizetype n = text.size();
    // No candidate positions: an empty find text, or one longer than the text.
    if (m == 0 || m > n)
        return -1;
    return FindIn(m_caseSensitive ? text.utf16() : LowerCaseCopy(text), n, 0);
}

QList<qsizetype> TKvSearch::FindAll(QStringView text)
{
    QList<qsizetype> starts;
    const qsizetype m = m_findText.size();
    const qsizetype n = text.size();
    if (m == 0 || m > n)
        return starts;
    const char16_t *t = m_caseSensitive ? text.utf16() : LowerCaseCopy(text);
    for (qsizetype i = FindIn(t, n, 0); i >= 0; i = FindIn(t, n, i + m))
        starts << i;
    return starts;
}

qsizetype TKvSearch::FindIn(const char16_t *t, qsizetype n, qsizetype from) const
{
    const qsizetype m = m_findText.size();
    const char16_t *p = reinterpret_cast<const char16_t *>(m_findText.utf16());
    const char16_t first = p[0];
    const size_t restBytes = size_t(m - 1) * sizeof(char16_t);
    const qsizetype lastStart = n - m;
    for (qsizetype i = from; i <= lastStart; ++i) {
        if (t[i] != first)
            continue;
        if (std::memcmp(t + i + 1, p + 1, restBytes) != 0)
            continue;
        if (m_wholeWords) {
            // The start and end of the text count as boundaries.
            if (i > 0 && !IsDelimiter(t[i - 1]))
                continue;
            if (i + m < n && !IsDelimiter(t[i + m]))
                continue;
        }
        return i;
    }
    return -1;
}
