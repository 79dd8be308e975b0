#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <memory>

// Finds a find text inside one string, optionally as a whole word and
// optionally ignoring case. The find text is prepared once; a search that
// ignores case lower-cases each examined text into a work buffer that is
// reused by every later call, so matching allocates only when a text longer
// than the buffer arrives.
//
// Case is folded one UTF-16 code unit at a time (QChar::toLower), never with a
// mapping that can change lengths, so positions in the lower-cased copy are
// positions in the original text.
class TKvSearch
{
public:
    TKvSearch(QStringView findText, bool caseSensitive, bool wholeWords);
    TKvSearch(const TKvSearch &) = delete;
    TKvSearch &operator=(const TKvSearch &) = delete;

    // The index in text where the find text starts, or -1. An empty find text
    // matches nothing. The caller's text is never modified.
    qsizetype Find(QStringView text);
    // Every place in text where the find text starts, left to right, each
    // after the end of the one before (so none overlap); what replacing works on.
    QList<qsizetype> FindAll(QStringView text);

    bool CaseSensitive() const { return m_caseSensitive; }
    bool WholeWords() const { return m_wholeWords; }
    // The prepared find text (lower-cased when the search ignores case).
    QStringView FindText() const { return m_findText; }
    // Capacity of the work buffer in characters; 0 when the search respects case.
    qsizetype BufferCapacity() const { return m_bufferCapacity; }

    // The characters that separate whole words.
    static QStringView DefaultDelimiters();
    bool IsDelimiter(char16_t c) const { return c < 128 && (m_delimiterBits[c >> 6] >> (c & 63) & 1) != 0; }

private:
    static constexpr qsizetype InitialBufferCapacity = 200;
    static constexpr qsizetype BufferHeadroom = 100;

    const char16_t *LowerCaseCopy(QStringView text);
    // The first match in the examined characters t (n of them) at or after from.
    qsizetype FindIn(const char16_t *t, qsizetype n, qsizetype from) const;

    bool m_caseSensitive;
    bool m_wholeWords;
    QString m_findText;
    quint64 m_delimiterBits[2] = {};
    std::unique_ptr<char16_t[]> m_buffer;
    qsizetype m_bufferCapacity = 0;
};
