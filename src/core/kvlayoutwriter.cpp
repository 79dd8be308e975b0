// The keep-layout writer.
//
// Nothing is stored per line for it: an entry the parser made and nothing has
// changed since points into its line of the parsed text (LineAnchor), and a
// parsed section remembers its header's "[". At save time a walker goes
// through the parsed text line by line, finding the line of each untouched
// entry; runs of such lines go out as they are, without copying. Lines are
// found the way the parser split them (kvlineend.h).
#include "kvlayoutwriter.h"

#include "kvlineend.h"
#include "kvoutputencoder.h"
#include "kvparsestore.h"
#include "kvwritebuffer.h"

#include <QtEndian>

#include <functional>
#include <optional>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

// The first line feed, carriage return or NUL at or after p (the text ends
// with a NUL at end).
const char16_t *FindLineEnd(const char16_t *p, const char16_t *end)
{
#ifdef __SSE2__
    const __m128i nul = _mm_setzero_si128();
    const __m128i lf = _mm_set1_epi16(short(u'\n'));
    const __m128i cr = _mm_set1_epi16(short(u'\r'));
    for (; end - p >= 8; p += 8) {
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        const __m128i hits = _mm_or_si128(_mm_cmpeq_epi16(c, nul),
                                          _mm_or_si128(_mm_cmpeq_epi16(c, lf), _mm_cmpeq_epi16(c, cr)));
        if (const int mask = _mm_movemask_epi8(hits))
            return p + (__builtin_ctz(unsigned(mask)) >> 1);
    }
#endif
    while (!IsLineEndChar(*p))
        ++p;
    return p;
}

struct Line
{
    const char16_t *Start;
    const char16_t *End;  // its line end character (or the end of the text)
    const char16_t *Next; // where the next line starts
};

// Trims characters below 33 from both ends, keeping one of a range made of
// them only (the reader's rule for names).
QStringView TrimRange(const char16_t *first, const char16_t *end)
{
    if (first == end)
        return {};
    const char16_t *last = end - 1;
    while (first < last && *first < 33)
        ++first;
    while (last > first && *last < 33)
        --last;
    return QStringView(first, last + 1);
}

// The first ";" not preceded by a backslash, or the line end.
const char16_t *FindCommentStart(const char16_t *p)
{
    while (!IsLineEndChar(*p)) {
        if (*p == u';' && p[-1] != u'\\')
            return p;
        ++p;
    }
    return p;
}

// Whether the header line at bracket still reads as the section's name and comment.
bool HeaderMatches(const TKvIniSection &section, const char16_t *bracket)
{
    const char16_t *p = bracket + 1;
    const char16_t *q = p;
    while (*q != u']' && *q > 13)
        ++q;
    if (*q != u']' || TrimRange(p, q) != QStringView(section.Name))
        return false;
    const char16_t *stop = FindCommentStart(q + 1);
    QStringView comment;
    if (*stop == u';') {
        const char16_t *end = stop + 1;
        while (!IsLineEndChar(*end))
            ++end;
        comment = QStringView(stop + 1, end);
    }
    return comment == QStringView(section.Comment);
}

QStringView DominantLineEnd(QStringView text)
{
    const qsizetype crLf = text.count(u"\r\n");
    const qsizetype lfOnly = text.count(u'\n') - crLf;
    const qsizetype crOnly = text.count(u'\r') - crLf;
    if (crOnly > crLf && crOnly > lfOnly)
        return u"\r";
    return lfOnly > 0 && lfOnly >= crLf ? QStringView(u"\n")
           : crLf > 0                   ? QStringView(u"\r\n")
                                        : QStringView(u"\n");
}

// Parts handed on at a time: small enough to stay in the cache while they are encoded.
constexpr qsizetype PartSize = 64 * 1024;

// Produces the keep-layout text in parts, passed to pass in order.
class TLayoutProducer
{
public:
    using Pass = std::function<void(QStringView)>;

    TLayoutProducer(const TKvMemIni &ini, Pass pass)
        : m_ini(ini)
        , m_pass(std::move(pass))
    {
        if (const TKvReadLayout *layout = ini.ReadLayout(); layout && layout->Store) {
            m_text = layout->Store->Text();
            m_textEnd = m_text + layout->LinesLength;
            m_tail = layout->Tail;
            // The trailing text belongs to the last line when that line has no
            // line end; otherwise, and always when it holds a NUL (which must
            // stay within the last two characters), it follows whatever the
            // document ends with.
            m_tailOnLastLine =
                m_textEnd != m_text && !IsLineEndChar(m_textEnd[-1]) && !m_tail.contains(QChar(u'\0'));
        }
        m_pos = m_text;
    }

    // Produces everything. With holdBackLast, when the text ends exactly as the
    // file read did, its last unit is not passed on but returned.
    std::optional<char16_t> Produce(bool holdBackLast)
    {
        for (qint32 i = 0; i < m_ini.Sections.Count(); ++i) {
            const TKvIniSection &section = *m_ini.Sections[i];
            const char16_t *header = section.HeaderLine();
            if (IsInText(header) && HeaderMatches(section, header))
                Verbatim(header);
            else if (!section.Name.isEmpty() || i > 0)
                FreshHeader(section);
            for (const TKvIniVal *val : section.Vals) {
                if (const char16_t *anchor = val->LineAnchor(); IsInText(anchor))
                    Verbatim(anchor);
                else
                    FreshEntry(*val);
            }
        }
        if (!m_tailOnLastLine && !m_tail.isEmpty()) {
            // The trailing text after the last line end stays last.
            FlushFresh();
            FlushRun();
            m_runStart = m_tail.utf16();
            m_runEnd = m_runStart + m_tail.size();
            m_runEndsAsRead = true;
        }
        return Finish(holdBackLast);
    }

private:
    bool IsInText(const char16_t *p) const
    {
        // Compared as numbers: p may point into another text altogether.
        const auto at = reinterpret_cast<quintptr>(p);
        return p && m_text && at >= reinterpret_cast<quintptr>(m_text)
               && at <= reinterpret_cast<quintptr>(m_textEnd);
    }

    Line LineAt(const char16_t *start) const
    {
        const char16_t *end = FindLineEnd(start, m_textEnd);
        return {start, end, StepOverLineEnd(end)};
    }

    // Writes the line of the parsed text that holds anchor as it was read.
    void Verbatim(const char16_t *anchor)
    {
        if (anchor < m_pos) {
            // Out of order (a sorted section list): the line after the last
            // line end before the anchor starts a line.
            m_pos = LineStartBefore(m_text, anchor);
        }
        Line line = LineAt(m_pos);
        while (line.End < anchor)
            line = LineAt(line.Next);
        m_pos = line.Next;
        const bool lastLine = line.Next == m_textEnd;
        WriteNeededLineEnd();
        FlushFresh();
        if (m_runStart && m_runEnd == line.Start && !m_runHasTail) {
            m_runEnd = line.Next;
        } else {
            FlushRun();
            m_runStart = line.Start;
            m_runEnd = line.Next;
        }
        m_runHasTail = lastLine && m_tailOnLastLine;
        m_runEndsAsRead = lastLine && (m_tailOnLastLine || m_tail.isEmpty());
        // A last line without a line end needs one before anything follows it.
        m_needLineEnd = lastLine && line.End == m_textEnd;
    }

    void FreshHeader(const TKvIniSection &section)
    {
        QChar *out = FreshRoom(KvWriteBuffer::HeaderTextLength(section));
        FreshDone(KvWriteBuffer::PutHeaderText(out, section));
    }

    void FreshEntry(const TKvIniVal &val)
    {
        // The entry's line without the CR LF the usual writer ends it with.
        QChar *out = FreshRoom(val.TextLength());
        FreshDone(val.WriteText(out) - 2);
    }

    // Room for a fresh line of this length and its line end, after what must come first.
    QChar *FreshRoom(qsizetype length)
    {
        WriteNeededLineEnd();
        FlushRun();
        const qsizetype needed = length + 2;
        if (m_fresh.size() - m_freshUsed < needed) {
            FlushFresh();
            if (m_fresh.size() < needed)
                m_fresh = QString(qMax(needed, PartSize), Qt::Uninitialized);
        }
        return m_fresh.data() + m_freshUsed;
    }

    void FreshDone(QChar *out)
    {
        if (m_lineEnd.isEmpty())
            m_lineEnd = KvLayoutWriter::FreshLineEnd(m_ini);
        out = KvWriteBuffer::Put(out, m_lineEnd);
        m_freshUsed = out - m_fresh.data();
    }

    void WriteNeededLineEnd()
    {
        if (!m_needLineEnd)
            return;
        m_needLineEnd = false;
        FreshDone(FreshRoom(0));
    }

    void FlushFresh()
    {
        if (m_freshUsed == 0)
            return;
        m_pass(QStringView(m_fresh.data(), m_freshUsed));
        m_freshUsed = 0;
    }

    // Passes a stretch of read text on in parts that never split a surrogate pair.
    void PassInParts(const char16_t *p, const char16_t *end)
    {
        while (end - p > PartSize) {
            const char16_t *cut = p + PartSize;
            if ((cut[-1] & 0xFC00) == 0xD800)
                --cut;
            m_pass(QStringView(p, cut));
            p = cut;
        }
        if (p != end)
            m_pass(QStringView(p, end));
    }

    void FlushRun()
    {
        if (!m_runStart)
            return;
        PassInParts(m_runStart, m_runEnd);
        if (m_runHasTail)
            PassInParts(m_tail.utf16(), m_tail.utf16() + m_tail.size());
        m_runStart = m_runEnd = nullptr;
        m_runHasTail = false;
        m_runEndsAsRead = false;
    }

    std::optional<char16_t> Finish(bool holdBackLast)
    {
        FlushFresh();
        if (!m_runStart || !holdBackLast || !m_runEndsAsRead) {
            FlushRun();
            return std::nullopt;
        }
        // Everything but the last unit read.
        char16_t last;
        if (m_runHasTail && !m_tail.isEmpty()) {
            PassInParts(m_runStart, m_runEnd);
            PassInParts(m_tail.utf16(), m_tail.utf16() + m_tail.size() - 1);
            last = m_tail.back().unicode();
        } else {
            if (m_runEnd == m_runStart)
                return std::nullopt;
            PassInParts(m_runStart, m_runEnd - 1);
            last = m_runEnd[-1];
        }
        m_runStart = m_runEnd = nullptr;
        return last;
    }

    const TKvMemIni &m_ini;
    Pass m_pass;
    const char16_t *m_text = nullptr;
    const char16_t *m_textEnd = nullptr;
    QStringView m_tail;
    bool m_tailOnLastLine = false;
    const char16_t *m_pos = nullptr; // the walker: a line start at or before the next untouched line

    // Read text not yet passed on: [m_runStart, m_runEnd), then the tail when m_runHasTail.
    const char16_t *m_runStart = nullptr;
    const char16_t *m_runEnd = nullptr;
    bool m_runHasTail = false;
    bool m_runEndsAsRead = false; // the run reaches the end of what was read
    bool m_needLineEnd = false;

    // Fresh lines not yet passed on.
    QString m_fresh;
    qsizetype m_freshUsed = 0;
    QStringView m_lineEnd;
};

} // namespace

namespace {

// ANSI is every code other than UTF-8 and UTF-16.
quint32 EncodingFamily(quint32 encoding)
{
    switch (encoding) {
    case KvEncoding::Utf8:
    case KvEncoding::Utf16LE:
    case KvEncoding::Utf16BE:
        return encoding;
    default:
        return KvEncoding::Ansi;
    }
}

// The layout of the last read when the save is in the same encoding.
const TKvReadLayout *SameEncodingLayout(const TKvMemIni &ini, quint32 encoding)
{
    const TKvReadLayout *layout = ini.ReadLayout();
    return layout && EncodingFamily(layout->Encoding) == EncodingFamily(encoding) ? layout : nullptr;
}

} // namespace

namespace KvLayoutWriter {

QString Text(const TKvMemIni &ini)
{
    QString text;
    TLayoutProducer(ini, [&](QStringView part) { text.append(part); }).Produce(false);
    return text;
}

bool WritesMark(const TKvMemIni &ini, quint32 encoding)
{
    const TKvReadLayout *layout = SameEncodingLayout(ini, encoding);
    return layout ? layout->Mark : ini.WriteBom;
}

QStringView FreshLineEnd(const TKvMemIni &ini)
{
    const TKvReadLayout *layout = ini.ReadLayout();
    if (!layout || !layout->Store)
        return u"\n";
    return DominantLineEnd(QStringView(layout->Store->Text(), layout->Store->TextLength()));
}

void Encode(const TKvMemIni &ini, quint32 encoding, const std::function<void(QByteArrayView)> &sink)
{
    const TKvReadLayout *layout = SameEncodingLayout(ini, encoding);
    TKvOutputEncoder out(encoding, layout ? layout->Mark : ini.WriteBom, sink);
    if (layout) {
        // A file that started this way when it was read stays as it was.
        out.KeepStartOf(layout->Store ? QStringView(layout->Store->Text(),
                                                    qMin<qsizetype>(layout->Store->TextLength(), 200))
                                      : QStringView());
    }
    if (ini.Sections.Count() == 0) {
        if (layout)
            out.PutBytes(layout->Unread);
        out.Finish();
        return;
    }
    const bool utf16 = encoding == KvEncoding::Utf16LE || encoding == KvEncoding::Utf16BE;
    TLayoutProducer producer(ini, [&](QStringView text) { out.Put(text); });
    // A UTF-16 file that ended with half a code unit was read with that byte as
    // a unit of its own; it goes back as the one byte.
    const std::optional<char16_t> last = producer.Produce(utf16 && layout && layout->OddByte);
    if (last) {
        const char byte = char(*last & 0xFF);
        out.PutBytes(QByteArrayView(&byte, 1));
    }
    out.Finish();
}

} // namespace KvLayoutWriter

KvTextCodec::TKvEncodingLoss SaveEncodingLoss(const TKvMemIni &ini, quint32 encoding)
{
    KvTextCodec::TKvEncodingLoss loss;
    const quint32 family = EncodingFamily(encoding);
    if (family == KvEncoding::Utf8 || ini.Sections.Count() == 0)
        return loss;
    const quint32 codePage = KvTextCodec::SystemAnsiCodePage();
    QString carried; // a high surrogate that ended the last part, with the next part
    const auto add = [&](QStringView text) {
        QString joined;
        if (!carried.isEmpty()) {
            joined = carried + text.toString();
            text = joined;
            carried.clear();
        }
        if (!text.isEmpty() && QChar::isHighSurrogate(text.back().unicode())) {
            carried = text.back();
            text.chop(1);
        }
        if (family == KvEncoding::Ansi)
            KvTextCodec::AddEncodingLoss(loss, text, codePage);
        else
            KvOutput::AddUtf16Loss(loss, text);
    };
    if (ini.KeepLayout)
        TLayoutProducer(ini, add).Produce(false);
    else
        add(ini.GetText());
    if (!carried.isEmpty()) {
        const QString last = carried; // the lambda clears what it carried
        carried.clear();
        family == KvEncoding::Ansi ? KvTextCodec::AddEncodingLoss(loss, last, codePage)
                                   : KvOutput::AddUtf16Loss(loss, last);
    }
    return loss;
}
