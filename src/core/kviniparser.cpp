// Reading: encoding detection, the four readers and the INI parser.
//
// The parser walks a NUL-terminated UTF-16 text once. A NUL anywhere ends the
// text. Entries made while parsing a section's text point into that text, and
// are placed one after another in the memory of a parse store that the section
// keeps alive along with the text; nothing is copied but the section headers.
#include "kvfileerror.h"
#include "kvhugepages.h"
#include "kvlayoutwriter.h"
#include "kvlineend.h"
#include "kvmemini.h"
#include "kvparsestore.h"
#include "kvplainmessage.h"
#include "kvtextcodec.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <limits>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <typeinfo>
#include <utility>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

bool IsSpaceOrTab(char16_t c)
{
    return c == u' ' || c == u'\t';
}

const char16_t *SkipSpacesAndTabs(const char16_t *p)
{
    while (IsSpaceOrTab(*p))
        ++p;
    return p;
}

// The scans below take the end of the text, where its terminating NUL lies:
// they look at sixteen (then eight) units at a time while that many remain
// before it, then at one at a time up to a unit they stop at (every scan stops
// at a NUL).

#ifdef __SSE2__
// Sixteen units (or eight, twice) as sixteen bytes: a unit below 128 keeps
// its value, every other one becomes 0x7F or 0x80 (signed saturation). The
// scans look for ASCII characters other than those two only, so they can
// compare sixteen characters at a time.
inline __m128i AsciiBytes(const char16_t *p)
{
    return _mm_packs_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p)),
                           _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 8)));
}

// The first unit from p on whose byte (AsciiBytes) hits sets, among the blocks
// of sixteen, then of eight, before end; null when there is none, with p moved
// past the blocks looked at.
template <typename Hits> const char16_t *ScanBlocks(const char16_t *&p, const char16_t *end, Hits hits)
{
    for (; end - p >= 16; p += 16) {
        const int mask = _mm_movemask_epi8(hits(AsciiBytes(p)));
        if (mask != 0)
            return p + __builtin_ctz(unsigned(mask));
    }
    if (end - p >= 8) {
        const __m128i eight = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        const int mask = _mm_movemask_epi8(hits(_mm_packs_epi16(eight, eight))) & 0xFF;
        if (mask != 0)
            return p + __builtin_ctz(unsigned(mask));
        p += 8;
    }
    return nullptr;
}
#endif

// The first line end at or after p, or the first `also` before it (0 for
// none; otherwise an ASCII character other than DEL).
const char16_t *FindLineEndOr(const char16_t *p, const char16_t *end, char16_t also)
{
    Q_ASSERT(also < 0x7F);
#ifdef __SSE2__
    const __m128i nul = _mm_setzero_si128();
    const __m128i lf = _mm_set1_epi8(char(u'\n'));
    const __m128i cr = _mm_set1_epi8(char(u'\r'));
    const __m128i other = _mm_set1_epi8(char(also));
    const auto hits = [&](__m128i c) {
        return _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(c, nul), _mm_cmpeq_epi8(c, lf)),
                            _mm_or_si128(_mm_cmpeq_epi8(c, cr), _mm_cmpeq_epi8(c, other)));
    };
    if (const char16_t *hit = ScanBlocks(p, end, hits))
        return hit;
#endif
    while (!IsLineEndChar(*p) && *p != also)
        ++p;
    return p;
}

const char16_t *FindLineEnd(const char16_t *p, const char16_t *end)
{
    return FindLineEndOr(p, end, 0);
}

// The first character below 32 other than a tab: a line end, or a character
// the field normalisation drops or rewrites.
const char16_t *FindControl(const char16_t *p, const char16_t *end)
{
#ifdef __SSE2__
    const __m128i nul = _mm_setzero_si128();
    const __m128i highestControl = _mm_set1_epi8(31);
    const __m128i tab = _mm_set1_epi8(char(u'\t'));
    const auto hits = [&](__m128i c) {
        // c - 31, saturated at 0 (unsigned), is 0 exactly for c <= 31.
        const __m128i control = _mm_cmpeq_epi8(_mm_subs_epu8(c, highestControl), nul);
        return _mm_andnot_si128(_mm_cmpeq_epi8(c, tab), control);
    };
    if (const char16_t *hit = ScanBlocks(p, end, hits))
        return hit;
#endif
    while (*p >= 32 || *p == u'\t')
        ++p;
    return p;
}

// The "#" that starts a "#" comment line at p: the first character other than
// spaces and tabs (skipped already) and other characters below 33. A line
// such as ESC "#x" is a comment line too: the trimming of names and error
// lines would drop the ESC, and the line could not be written so that it
// reads back as an item. Null when the line does not start with "#".
const char16_t *HashCommentStart(const char16_t *p)
{
    while (*p < 33 && !IsLineEndChar(*p))
        ++p;
    return *p == u'#' ? p : nullptr;
}

// Scans from p to the line end or to the first ";" not preceded by a backslash.
const char16_t *FindCommentStart(const char16_t *p, const char16_t *end)
{
    for (;;) {
        p = FindLineEndOr(p, end, u';');
        if (*p != u';' || p[-1] != u'\\')
            return p;
        ++p;
    }
}

// What one pass over a value line finds: where it ends, its first "=" and the
// first ";" after that "=" that no backslash precedes (where the comment
// starts); null for a mark the line does not have.
struct ValueLineMarks
{
    const char16_t *End = nullptr;
    const char16_t *Equals = nullptr;
    const char16_t *Semicolon = nullptr;
};

// Notes c, at p, in the marks of a value line; true at the line end.
inline bool NoteValueLineUnit(ValueLineMarks &marks, const char16_t *p)
{
    const char16_t c = *p;
    if (IsLineEndChar(c)) {
        marks.End = p;
        return true;
    }
    if (c == u'=' && !marks.Equals)
        marks.Equals = p;
    else if (c == u';' && marks.Equals && !marks.Semicolon && p[-1] != u'\\')
        marks.Semicolon = p;
    return false;
}

// One pass from p, the first character of a value line, to its end: the
// three scans the line needs (to the "=", to the ";", to the line end) in one.
// Sixteen units at a time while that many remain before end, the candidates
// (characters below 14, "=" and ";") are picked out together and then looked
// at one by one: a value line has few of them.
ValueLineMarks ScanValueLine(const char16_t *p, const char16_t *end)
{
    ValueLineMarks marks;
#ifdef __SSE2__
    const __m128i nul = _mm_setzero_si128();
    const __m128i highestLineEnd = _mm_set1_epi8(13);
    const __m128i equals = _mm_set1_epi8('=');
    const __m128i semicolon = _mm_set1_epi8(';');
    const auto candidates = [&](__m128i c) {
        // c - 13, saturated at 0 (unsigned), is 0 exactly for c <= 13.
        const __m128i low = _mm_cmpeq_epi8(_mm_subs_epu8(c, highestLineEnd), nul);
        return _mm_or_si128(low, _mm_or_si128(_mm_cmpeq_epi8(c, equals), _mm_cmpeq_epi8(c, semicolon)));
    };
    for (; end - p >= 16; p += 16) {
        // One bit per unit.
        for (auto hits = unsigned(_mm_movemask_epi8(candidates(AsciiBytes(p)))); hits; hits &= hits - 1) {
            if (NoteValueLineUnit(marks, p + __builtin_ctz(hits)))
                return marks;
        }
    }
#endif
    while (!NoteValueLineUnit(marks, p))
        ++p;
    return marks;
}

struct Range
{
    const char16_t *first;
    const char16_t *end;
    qint32 size() const { return qint32(end - first); }
};

// Trims characters below 33 from both ends of [first, end). A non-empty range
// of such characters keeps its last one.
Range TrimRange(const char16_t *first, const char16_t *end)
{
    if (first == end)
        return {first, first};
    const char16_t *last = end - 1;
    while (first < last && *first < 33)
        ++first;
    while (last > first && *last < 33)
        --last;
    return {first, last + 1};
}

// Trims spaces and tabs from both ends of [first, end).
Range TrimSpacesAndTabs(const char16_t *first, const char16_t *end)
{
    while (first != end && IsSpaceOrTab(*first))
        ++first;
    while (end != first && IsSpaceOrTab(end[-1]))
        --end;
    return {first, end};
}

QStringView View(Range range)
{
    return QStringView(range.first, range.end);
}

// The section names of one parse, copied one after another into blocks of
// text (an allocation per section costs more than parsing its header). Each
// name is a QString that shares its block and keeps it alive, its text ends
// in a NUL as every QString's does, and changing it copies it as usual.
class TNameBlocks
{
public:
    // textLeft: the units of text from the name on, which the names still to
    // come lie in (a block need not be bigger: a section parsed from a
    // clipboard text takes a small one).
    QString Add(QStringView name, qsizetype textLeft)
    {
        if (name.isEmpty())
            return name.toString();
        const qsizetype units = name.size() + 1; // and its NUL
        if (m_free < units) {
            m_block = QString();
            m_block.reserve(std::max(std::min(BlockUnits, textLeft + 1), units));
            m_next = reinterpret_cast<char16_t *>(m_block.data()); // not shared yet: no copy
            m_free = m_block.capacity();
        }
        std::copy(name.utf16(), name.utf16() + name.size(), m_next);
        m_next[name.size()] = 0;
        QString::DataPointer shared = m_block.data_ptr(); // one more reference to the block
        shared.ptr = m_next;
        shared.size = name.size();
        m_next += units;
        m_free -= units;
        return QString(std::move(shared));
    }

private:
    static constexpr qsizetype BlockUnits = 16 * 1024;

    QString m_block;
    char16_t *m_next = nullptr; // where the next name goes (the block is written while shared)
    qsizetype m_free = 0;
};

} // namespace

// Builds entries and sections from a text. With a store, entries are placed in
// it and point into its text; without one (ParseLine on an existing entry) the
// texts are copied.
class TKvIniParser
{
public:
    // end: the end of the text, where its terminating NUL lies.
    // hashComments: a line starting with "#" is a comment line.
    TKvIniParser(TKvParseStore *store, const char16_t *end, bool hashComments = false)
        : m_store(store)
        , m_end(end)
        , m_hashComments(hashComments)
    {}

    // The comment lines parsed so far.
    const TKvCommentLines &CommentLines() const { return m_commentLines; }
    // The sections a document's parse made and the entries of every parse so
    // far, by kind.
    TKvIniCounts Counts() const
    {
        TKvIniCounts counts;
        counts.Sections = m_sections;
        for (int kind = 0; kind < int(m_kinds.size()); ++kind)
            counts.AddKind(kind, m_kinds[size_t(kind)]);
        return counts;
    }

    // Returns where the section parse stopped, or null for a malformed header.
    const char16_t *ParseSection(TKvIniSection &section, const char16_t *p)
    {
        p = BeginSection(section, p);
        if (!p)
            return nullptr;
        p = ParseEntries(p);
        EndSection(section);
        return p;
    }

    // A document's text may be parsed while it grows (the reader decodes a
    // big file piece by piece while the lines decoded before are parsed):
    // each call parses the whole lines before end into new sections added to
    // the document, going on where the last call stopped, and looks at
    // nothing from end on; a NUL before end ends the parse for good. The last
    // call's end is the text's, where a NUL lies. The sections keep the
    // store alive.
    void ParseDocumentTo(TKvPtrVector<TKvIniSection> &sections, const std::shared_ptr<TKvParseStore> &store,
                         const char16_t *end)
    {
        if (m_documentDone)
            return;
        m_end = end;
        if (!m_section && !BeginDocumentSection(sections, store, store->Text()))
            return;
        for (;;) {
            m_next = ParseEntries(m_next);
            if (m_next == end || *m_next != u'[')
                break;
            EndSection(*m_section);
            if (!BeginDocumentSection(sections, store, m_next))
                return;
        }
        if (m_next != end) // a NUL inside the text
            FinishDocument(store->Text());
    }

    // After the last ParseDocumentTo: where the parse stopped, or nothing when
    // a header was malformed.
    std::optional<qsizetype> FinishDocument(const char16_t *base)
    {
        if (!m_documentDone) {
            EndSection(*m_section);
            m_documentDone = true;
        }
        if (m_malformed)
            return std::nullopt;
        return m_next - base;
    }

    // Parses the line that starts at p (its first non-blank character) into
    // val; returns the line's end.
    const char16_t *ParseValueLine(TKvIniVal &val, const char16_t *p) const
    {
        const ValueLineMarks marks = ScanValueLine(p, m_end);
        const char16_t *end = marks.End;
        if (!marks.Equals) {
            val.m_kind = ikError; // as parsed: not a change
            StoreTexts(val, {p, p}, TrimRange(p, end), {end, end});
            return end;
        }
        const Range name = TrimRange(p, marks.Equals);
        const char16_t *valueStart = marks.Equals + 1;
        if (!marks.Semicolon) {
            StoreTexts(val, name, TrimRange(valueStart, end), {end, end});
            return end;
        }
        StoreTexts(val, name, TrimRange(valueStart, marks.Semicolon), TrimRange(marks.Semicolon + 1, end));
        return end;
    }

private:
    // One spare slot in a parsed section's array per this many entries.
    static constexpr qint32 SpareSlotsPer = 64;
    // The fewest slots the document's section vector grows to while reading.
    static constexpr qint32 MinSectionSlots = 64;

    // Starts a section at p, the start of a line, with its header when the
    // line is one. Returns the start of the next line to parse, or null for a
    // malformed header.
    const char16_t *BeginSection(TKvIniSection &section, const char16_t *p)
    {
        p = SkipSpacesAndTabs(p);
        if (*p == u'[') {
            p = ParseHeader(section, p + 1);
            if (!p)
                return nullptr;
        }
        // The entries lie one after another in the store; the section's vector
        // takes them all at once at the end (EndSection).
        m_first = m_store->NextEntry();
        m_count = 0;
        return p;
    }

    // Parses the entry lines of the section begun last from p on, up to the
    // next header, a NUL or the end; returns where it stopped. What lies at the
    // end is not looked at: a reader may be writing it (ReadInPieces).
    const char16_t *ParseEntries(const char16_t *p)
    {
        while (p != m_end && *p != 0 && *p != u'[') {
            p = SkipSpacesAndTabs(p);
            const char16_t c = *p;
            if (c == 0 || c == u'[')
                break;
            TKvIniVal *val;
            if (c == u'\r' || c == u'\n') {
                // The blank entry points at its line end: the line can be found again.
                val = NewEntry(ikBlank);
                val->SetViews(p, 0, 0, 0, 0, 0);
                p = StepOverLineEnd(p);
            } else if (c == u';') {
                ++m_commentLines.Semicolon;
                val = NewEntry(ikComment);
                p = StepOverLineEnd(ParseCommentLine(*val, p + 1));
            } else if (const char16_t *hash = m_hashComments ? HashCommentStart(p) : nullptr) {
                val = NewEntry(ikComment);
                val->m_flags |= TKvIniVal::HashMarker; // as read: not a change
                ++m_commentLines.Hash;
                p = StepOverLineEnd(ParseCommentLine(*val, hash + 1));
            } else {
                // With "#" comments on, such a line was a comment line above.
                if (c == u'#' || (c < 33 && HashCommentStart(p)))
                    ++m_commentLines.HashLedItems;
                val = NewEntry(ikValue);
                p = StepOverLineEnd(ParseValueLine(*val, p));
            }
            ++m_kinds[val->m_kind];
            ++m_count;
        }
        return p;
    }

    // Gives the section the entries parsed since BeginSection: in an array
    // from the store, or appended to its own array when it has entries.
    void EndSection(TKvIniSection &section)
    {
        const qint32 count = m_count;
        m_count = 0;
        if (count == 0)
            return;
        TKvPtrVector<TKvIniVal> &vals = section.Vals;
        if (vals.Items() == nullptr) {
            // A big section gets a few spare slots, so that the first
            // entries added to it do not copy its whole array. The null
            // spare slots are the vector's too: an insertion fills them
            // in place, and only outgrowing them moves it.
            const qint32 capacity = count + count / SpareSlotsPer;
            TKvIniVal **array = m_store->AllocateArray(capacity);
            m_store->CollectEntries(m_first, count, array);
            std::fill(array + count, array + capacity, nullptr);
            vals.UseArray(array, count, capacity);
        } else {
            m_store->CollectEntries(m_first, count, vals.AppendSlots(count));
        }
    }

    // Adds a new section to the document and begins it at p; false for a
    // malformed header, which ends the parse.
    bool BeginDocumentSection(TKvPtrVector<TKvIniSection> &sections, const std::shared_ptr<TKvParseStore> &store,
                              const char16_t *p)
    {
        // A read adds sections one at a time, possibly a great many: the
        // vector doubles, so that its array is copied (and its new pages
        // touched) a few times rather than at every step of the usual growth.
        if (sections.Count() == sections.Capacity())
            sections.Reserve(std::max(2 * sections.Capacity(), MinSectionSlots));
        auto *section = new (store->AllocateSection()) TKvIniSection(TKvIniSection::InStoreTag{});
        sections.Add(section);
        ++m_sections;
        section->m_store = store;
        m_section = section;
        m_next = BeginSection(*section, p);
        if (!m_next) {
            m_malformed = true;
            m_documentDone = true;
            return false;
        }
        return true;
    }

    TKvIniVal *NewEntry(TKvIniValKind kind) const
    {
        return new (m_store->AllocateEntry()) TKvIniVal(kind, TKvIniVal::InStore);
    }

    // Parses a header after its "["; returns the start of the next line, or
    // null when the header has no "]" on its line.
    const char16_t *ParseHeader(TKvIniSection &section, const char16_t *p) const
    {
        const char16_t *q = p;
        while (*q != u']' && *q > 13)
            ++q;
        if (*q != u']')
            return nullptr;
        section.m_headerLine = p - 1;
        const Range name = TrimRange(p, q);
        section.Name = m_names.Add(View(name), m_end - name.first);
        const char16_t *stop = FindCommentStart(q + 1, m_end);
        if (*stop == u';') {
            const char16_t *end = FindLineEnd(stop + 1, m_end);
            section.Comment = QStringView(stop + 1, end).toString();
            stop = end;
        }
        return StepOverLineEnd(stop);
    }

    // Parses a comment line after its ";" into val, storing the comment with
    // the field normalisation (an empty one makes the entry blank); returns
    // the line's end.
    // Kept inline: most lines of a commented file are such lines.
    Q_ALWAYS_INLINE const char16_t *ParseCommentLine(TKvIniVal &val, const char16_t *p) const
    {
        const char16_t *stop = FindControl(p, m_end);
        if (Q_UNLIKELY(!IsLineEndChar(*stop)))
            return ParseNormalisedComment(val, p, stop);
        // No character the normalisation drops or rewrites: the comment is
        // the line without its outer spaces and tabs.
        const Range comment = TrimSpacesAndTabs(p, stop);
        StoreTexts(val, {comment.first, comment.first}, {comment.first, comment.first}, comment);
        // The kind rule, with the name and the value empty.
        val.m_kind = comment.size() != 0 ? ikComment : ikBlank;
        return stop;
    }

    // The same for a comment line with a character at stop that the field
    // normalisation drops or rewrites.
    Q_NEVER_INLINE const char16_t *ParseNormalisedComment(TKvIniVal &val, const char16_t *p,
                                                          const char16_t *stop) const
    {
        const char16_t *end = FindLineEnd(stop, m_end);
        if (m_store) {
            val.StoreAnchoredTexts(p, {}, {}, TKvIniVal::NormaliseField(QStringView(p, end)));
            val.UpdateKind();
        } else {
            val.SetComment(QStringView(p, end));
        }
        return end;
    }

    // The three ranges lie in this order on one line.
    void StoreTexts(TKvIniVal &val, Range name, Range value, Range comment) const
    {
        if (m_store) {
            const char16_t *base = name.first;
            val.SetViews(base, name.size(), qint32(value.first - base), value.size(),
                         qint32(comment.first - base), comment.size());
        } else {
            val.StoreTexts(View(name), View(value), View(comment));
        }
    }

    TKvParseStore *m_store;
    const char16_t *m_end;
    bool m_hashComments;
    mutable TKvCommentLines m_commentLines;
    mutable TNameBlocks m_names;
    qint64 m_sections = 0;
    std::array<qint64, 4> m_kinds{}; // by TKvIniValKind
    // The section being parsed: where its entries begin and how many so far.
    TKvParseStore::Mark m_first{-1, nullptr};
    qint32 m_count = 0;
    // A document's parse (ParseDocumentTo): its current section, where it
    // goes on, whether it has ended and why.
    TKvIniSection *m_section = nullptr;
    const char16_t *m_next = nullptr;
    bool m_documentDone = false;
    bool m_malformed = false;
};

namespace {

// The number of entries a text of this length is taken to hold when the
// store's first block is sized (lines of about 32 characters; a wrong guess
// only costs another block or untouched address space).
qsizetype ExpectedEntries(qsizetype length)
{
    return length / 32 + 1;
}

} // namespace

qsizetype TKvIniVal::ParseLine(QStringView text)
{
    QString copy = text.toString();
    const char16_t *base = reinterpret_cast<const char16_t *>(copy.utf16());
    const char16_t *start = SkipSpacesAndTabs(base);
    m_kind = ikValue;
    return TKvIniParser(nullptr, base + copy.size()).ParseValueLine(*this, start) - base;
}

std::optional<qsizetype> TKvIniSection::Parse(const QString &text, qsizetype from, bool hashComments)
{
    // A store the section already has stays alive with the new one: entries
    // of an earlier parse point into it.
    auto store = std::make_shared<TKvParseStore>(text, std::move(m_store));
    store->ExpectEntries(ExpectedEntries(text.size() - from));
    m_store = store;
    const char16_t *base = store->Text();
    const char16_t *stop =
        TKvIniParser(store.get(), base + store->TextLength(), hashComments).ParseSection(*this, base + from);
    if (!stop)
        return std::nullopt;
    return stop - base;
}

std::optional<qsizetype> TKvMemIni::Parse(const QString &text)
{
    return ParseInto(std::make_shared<TKvParseStore>(text, nullptr));
}

std::optional<qsizetype> TKvMemIni::ParseInto(const std::shared_ptr<TKvParseStore> &store)
{
    store->ExpectEntries(ExpectedEntries(store->TextLength()));
    const char16_t *base = store->Text();
    const char16_t *end = base + store->TextLength();
    TKvIniParser parser(store.get(), end, HashComments);
    parser.ParseDocumentTo(Sections, store, end);
    const std::optional<qsizetype> stop = parser.FinishDocument(base);
    m_commentLines += parser.CommentLines();
    m_readCounts += parser.Counts();
    return stop;
}

namespace {
qint64 g_maxInputBytes = KvInputLimit::DefaultMaxBytes;
} // namespace

qint64 KvInputLimit::MaxBytes()
{
    return g_maxInputBytes;
}

qint64 KvInputLimit::SetMaxBytes(qint64 bytes)
{
    return std::exchange(g_maxInputBytes, bytes);
}

void TrimTextEnd(QString &text)
{
    qsizetype length = text.size();
    const QChar *data = text.constData();
    while (length > 0) {
        const char16_t c = data[length - 1].unicode();
        if (c != 0 && c != u'\t' && c != u' ')
            break;
        --length;
    }
    text.truncate(length);
}

namespace {

[[noreturn]] void ThrowTooLarge(QIODevice &stream)
{
    auto *file = qobject_cast<QFileDevice *>(&stream);
    throw TKvFileError(file ? file->fileName() : QString(),
                       QStringLiteral("The file is larger than %1 bytes, the most Quillon reads.")
                           .arg(KvInputLimit::MaxBytes()));
}

// A read error of a file throws.
void ThrowOnFileError(QIODevice &stream)
{
    if (auto *file = qobject_cast<QFileDevice *>(&stream); file && file->error() != QFileDevice::NoError)
        throw TKvFileError(file->fileName(), file->errorString());
}

QByteArray ReadAllLimited(QIODevice &stream);

// Files from this size on are read into memory of the reader's own, which the
// parse store then takes over for the entries (memory already paged in costs
// nothing more to fill); below it the saving is not worth a block.
constexpr qint64 OwnBlockSize = qint64(1) << 20;

// The rest of a stream, read with one read of the whole: the bytes to decode
// and whatever holds them.
class TStreamRest
{
public:
    explicit TStreamRest(QIODevice &stream);

    QByteArrayView Bytes() const { return m_bytes; }
    // Once the bytes are decoded: the memory that held them when it is the
    // reader's own (null otherwise), and nothing is held any more.
    TKvMemoryBlock Spare()
    {
        m_bytes = {};
        m_array = QByteArray();
        return std::move(m_block);
    }

private:
    bool TakeFromBuffer(QIODevice &stream);
    bool ReadIntoBlock(QIODevice &stream);

    QByteArray m_array;
    TKvMemoryBlock m_block;
    QByteArrayView m_bytes;
};

TStreamRest::TStreamRest(QIODevice &stream)
{
    // A stream whose size is known is refused before anything is read; a
    // sequential one is read up to one byte beyond the limit.
    if (!stream.isSequential() && stream.size() - stream.pos() > KvInputLimit::MaxBytes())
        ThrowTooLarge(stream);
    if (!TakeFromBuffer(stream) && !ReadIntoBlock(stream)) {
        m_array = stream.isSequential() ? ReadAllLimited(stream) : stream.readAll();
        ThrowOnFileError(stream);
        m_bytes = m_array;
    }
    // A file that grew while it was read.
    if (m_bytes.size() > KvInputLimit::MaxBytes())
        ThrowTooLarge(stream);
}

// A memory stream's bytes are there already: they are shared, not copied, and
// the stream is left at its end as a read of the rest leaves it.
bool TStreamRest::TakeFromBuffer(QIODevice &stream)
{
    // A class derived from QBuffer may read differently: only QBuffer itself.
    if (typeid(stream) != typeid(QBuffer))
        return false;
    auto *buffer = static_cast<QBuffer *>(&stream);
    if (!buffer->isReadable() || buffer->isTransactionStarted()
        || buffer->openMode().testFlag(QIODevice::Text))
        return false;
    const qint64 pos = buffer->pos();
    const qint64 size = buffer->size();
    // Nothing pushed back into the device (ungetChar) lies before the bytes.
    if (pos > size || buffer->bytesAvailable() != size - pos)
        return false;
    m_array = buffer->data();
    m_bytes = QByteArrayView(m_array).sliced(pos);
    buffer->seek(size);
    return true;
}

// A big file is read into a block of our own, which outlives the bytes.
bool TStreamRest::ReadIntoBlock(QIODevice &stream)
{
    auto *file = qobject_cast<QFileDevice *>(&stream);
    if (!file || file->isSequential())
        return false;
    const qint64 expected = file->size() - file->pos();
    if (expected < OwnBlockSize || expected > std::numeric_limits<qsizetype>::max())
        return false;
    TKvMemoryBlock block{qsizetype(expected)};
    KvAdviseHugePages(block.Data(), size_t(block.Size()));
    qint64 got = 0;
    while (got < expected) {
        const qint64 read = stream.read(block.Data() + got, expected - got);
        if (read <= 0)
            break;
        got += read;
    }
    if (got == expected) {
        // The file has grown since its size was taken: read on to its end.
        const QByteArray more = stream.readAll();
        if (!more.isEmpty()) {
            ThrowOnFileError(stream);
            m_array = QByteArrayView(block.Data(), got).toByteArray() + more;
            m_bytes = m_array;
            return true;
        }
    }
    ThrowOnFileError(stream);
    m_block = std::move(block);
    m_bytes = QByteArrayView(m_block.Data(), got);
    return true;
}

// Everything a sequential stream (a pipe, a FIFO, a character device) still
// gives, read until its end; throws once it gives more than the limit.
QByteArray ReadAllLimited(QIODevice &stream)
{
    QByteArray bytes;
    constexpr qint64 Chunk = qint64(1) << 16;
    for (;;) {
        const qint64 room = KvInputLimit::MaxBytes() + 1 - bytes.size();
        if (room <= 0)
            ThrowTooLarge(stream);
        const qsizetype old = bytes.size();
        bytes.resize(old + qsizetype(qMin(Chunk, room)));
        qint64 read = stream.read(bytes.data() + old, bytes.size() - old);
        if (read == 0 && stream.waitForReadyRead(-1))
            read = stream.read(bytes.data() + old, bytes.size() - old);
        bytes.resize(old + qsizetype(qMax<qint64>(read, 0)));
        if (read <= 0)
            break;
    }
    ThrowOnFileError(stream);
    return bytes;
}

QByteArray ReadBytes(QIODevice &stream, qint64 count)
{
    QByteArray bytes = stream.read(count);
    ThrowOnFileError(stream);
    return bytes;
}

// UTF-16 code units from bytes; a final odd byte becomes one more unit whose
// low byte is that byte.
QString DecodeUtf16(QByteArrayView bytes, bool bigEndian)
{
    const qsizetype units = bytes.size() / 2;
    const bool oddByte = bytes.size() % 2 != 0;
    QString text(units + (oddByte ? 1 : 0), Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    if (bigEndian)
        qFromBigEndian<char16_t>(bytes.data(), units, out);
    else
        qFromLittleEndian<char16_t>(bytes.data(), units, out);
    if (oddByte)
        out[units] = char16_t(quint8(bytes.back()));
    return text;
}

const QString Utf32Message = QStringLiteral("32bit File Types are not supported.");

// Where the text the parser made no line of begins, given where it stopped (a
// NUL): at the stop, or at the start of the stop's line when that line holds
// only spaces and tabs before it (the parser skipped them and made no entry).
// Lines are found from the last line end before the stop on.
qsizetype UnparsedStart(const char16_t *text, qsizetype stop)
{
    qsizetype lineStart = LineStartBefore(text, text + stop) - text;
    for (;;) {
        const char16_t *end = FindLineEnd(text + lineStart, text + stop);
        const qsizetype next = StepOverLineEnd(end) - text;
        if (end - text >= stop || next > stop)
            break;
        lineStart = next;
    }
    for (qsizetype i = lineStart; i < stop; ++i) {
        if (!IsSpaceOrTab(text[i]))
            return stop;
    }
    return lineStart;
}

} // namespace

quint32 TKvMemIni::DetectEncoding(QIODevice &stream)
{
    unsigned char head[200] = {};
    const QByteArray read = ReadBytes(stream, sizeof head);
    std::memcpy(head, read.constData(), size_t(read.size()));
    const qsizetype n = read.size();
    stream.seek(0);

    auto starts = [&](std::initializer_list<unsigned char> mark) {
        if (qsizetype(mark.size()) > n)
            return false;
        return std::equal(mark.begin(), mark.end(), head);
    };
    if (starts({0xEF, 0xBB, 0xBF}))
        return KvEncoding::Utf8;
    if (starts({0x00, 0x00, 0xFE, 0xFF}))
        return KvEncoding::Utf32BE;
    if (starts({0xFF, 0xFE, 0x00, 0x00}))
        return KvEncoding::Utf32LE;
    if (starts({0xFE, 0xFF}))
        return KvEncoding::Utf16BE;
    if (starts({0xFF, 0xFE}))
        return KvEncoding::Utf16LE;

    int evenZeros = 0;
    int oddZeros = 0;
    for (qsizetype i = 0; i < qMin<qsizetype>(n, 20); ++i) {
        if (head[i] == 0)
            ++(i % 2 == 0 ? evenZeros : oddZeros);
    }
    if (evenZeros > 1)
        return KvEncoding::Utf16BE;
    if (oddZeros > 1)
        return KvEncoding::Utf16LE;

    for (qsizetype i = 0; i + 5 <= n; ++i) {
        if ((head[i] | 0x20) == 'u' && (head[i + 1] | 0x20) == 't' && (head[i + 2] | 0x20) == 'f'
            && head[i + 3] == '-' && head[i + 4] == '8')
            return KvEncoding::Utf8;
    }
    return KvEncoding::Unknown;
}

namespace {

// Opens a file for the readers: null when it does not exist, the open file
// otherwise; a folder, or a file that cannot be opened, throws.
std::unique_ptr<QFile> OpenForReading(const QString &fileName)
{
    const QFileInfo info(fileName);
    if (!info.exists()) {
        // A name that does not lead to a file for another reason than its
        // absence (a loop of symbolic links, a folder without access) says why.
        struct stat named;
        if (::stat(QFile::encodeName(fileName).constData(), &named) != 0 && errno != ENOENT
            && errno != ENOTDIR)
            throw TKvFileError(fileName, qt_error_string(errno));
        return nullptr;
    }
    if (info.isDir())
        throw TKvFileError(fileName, QStringLiteral("Is a folder, not a file"));
    auto file = std::make_unique<QFile>(fileName);
    if (!file->open(QIODevice::ReadOnly))
        throw TKvFileError(fileName, file->errorString());
    return file;
}

} // namespace

int TKvMemIni::LoadFromFile(const QString &fileName)
{
    Encoding = KvEncoding::Unknown;
    FileName = fileName;
    const std::unique_ptr<QFile> file = OpenForReading(fileName);
    return file ? LoadFromStream(*file) : lrFileMissing;
}

int TKvMemIni::LoadFromFile(const QString &fileName, quint32 encoding)
{
    Encoding = KvEncoding::Unknown;
    FileName = fileName;
    const std::unique_ptr<QFile> file = OpenForReading(fileName);
    return file ? LoadFromStream(*file, encoding) : lrFileMissing;
}

namespace {

// Runs a read; running out of memory becomes an error of the file, never an abort.
template <typename Read> int GuardMemory(const QString &fileName, Read read)
{
    try {
        return read();
    } catch (const std::bad_alloc &) {
        throw TKvFileError(fileName, QStringLiteral("Not enough memory to read the file."));
    }
}

// Detection and the readers seek: a stream that cannot (a pipe, a FIFO) is
// read whole once, and they work on those bytes in memory.
template <typename Read> int OnSeekableStream(QIODevice &stream, Read read)
{
    if (!stream.isSequential())
        return read(stream);
    QByteArray bytes = ReadAllLimited(stream);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return read(buffer);
}

} // namespace

int TKvMemIni::LoadFromStream(QIODevice &stream)
{
    return GuardMemory(FileName, [&] {
        return OnSeekableStream(
            stream, [&](QIODevice &seekable) { return ReadWith(seekable, DetectEncoding(seekable)); });
    });
}

int TKvMemIni::LoadFromStream(QIODevice &stream, quint32 encoding)
{
    m_readLayout.reset();
    return GuardMemory(FileName, [&] {
        return OnSeekableStream(stream, [&](QIODevice &seekable) { return ReadWith(seekable, encoding); });
    });
}

int TKvMemIni::ReadWith(QIODevice &stream, quint32 encoding)
{
    switch (encoding) {
    case KvEncoding::Utf16LE:
        return ReadUtf16LE(stream);
    case KvEncoding::Utf16BE:
        return ReadUtf16BE(stream);
    case KvEncoding::Utf32LE:
    case KvEncoding::Utf32BE:
        ShowPlainMessage(Utf32Message);
        return lrRefused32Bit;
    case KvEncoding::Utf8:
        return ReadUtf8(stream);
    default:
        return ReadAnsi(stream);
    }
}

int TKvMemIni::ReadAnsi(QIODevice &stream)
{
    Encoding = KvEncoding::Ansi;
    if (const std::optional<int> result = ReadInPieces(stream, KvTextCodec::SystemAnsiCodePage(), KvEncoding::Ansi))
        return *result;
    TStreamRest rest(stream);
    if (rest.Bytes().isEmpty()) {
        NoteNothingParsed(KvEncoding::Ansi, {});
        return 0;
    }
    QString text = KvTextCodec::DecodeAnsi(rest.Bytes());
    return ReadText(std::move(text), KvEncoding::Ansi, rest.Spare());
}

int TKvMemIni::ReadUtf8(QIODevice &stream)
{
    const qint64 start = stream.pos();
    if (stream.atEnd()) {
        NoteNothingParsed(KvEncoding::Utf8, {});
        return KvEncoding::Utf8;
    }
    const QByteArray mark = ReadBytes(stream, 3);
    if (mark != QByteArrayView("\xEF\xBB\xBF"))
        stream.seek(start);
    std::optional<int> inPieces = ReadInPieces(stream, KvTextCodec::Utf8CodePage, KvEncoding::Utf8);
    const int result = inPieces ? *inPieces : [&] {
        TStreamRest rest(stream);
        QString text = KvTextCodec::DecodeUtf8(rest.Bytes());
        return ReadText(std::move(text), KvEncoding::Utf8, rest.Spare());
    }();
    NoteFileEdges(stream.pos() > start && mark == QByteArrayView("\xEF\xBB\xBF"), false);
    if (result == int(KvEncoding::Utf8))
        Encoding = KvEncoding::Utf8;
    return result;
}

int TKvMemIni::ReadUtf16LE(QIODevice &stream)
{
    Encoding = KvEncoding::Utf16LE;
    TStreamRest rest(stream);
    const QByteArrayView bytes = rest.Bytes();
    if (bytes.size() < 2) {
        NoteNothingParsed(KvEncoding::Utf16LE, bytes);
        return KvEncoding::Utf16LE;
    }
    const bool marked = quint8(bytes[0]) == 0xFF && quint8(bytes[1]) == 0xFE;
    QString text = DecodeUtf16(bytes.sliced(marked ? 2 : 0), false);
    const bool oddByte = bytes.size() % 2 != 0;
    const int result = ReadText(std::move(text), KvEncoding::Utf16LE, rest.Spare());
    NoteFileEdges(marked, oddByte);
    return result;
}

int TKvMemIni::ReadUtf16BE(QIODevice &stream)
{
    Encoding = KvEncoding::Utf16BE;
    TStreamRest rest(stream);
    const QByteArrayView bytes = rest.Bytes();
    if (bytes.size() < 2) {
        NoteNothingParsed(KvEncoding::Utf16BE, bytes);
        return KvEncoding::Utf16BE;
    }
    const bool marked = quint8(bytes[0]) == 0xFE && quint8(bytes[1]) == 0xFF;
    QString text = DecodeUtf16(bytes.sliced(marked ? 2 : 0), true);
    const bool oddByte = bytes.size() % 2 != 0;
    const int result = ReadText(std::move(text), KvEncoding::Utf16BE, rest.Spare());
    NoteFileEdges(marked, oddByte);
    return result;
}

// Trims and parses a decoded text, then checks that the parser reached its end:
// a NUL more than two characters before the end means the text is not INI text
// in this encoding. The memory the text was decoded from, when it is ours,
// takes the entries.
int TKvMemIni::ReadText(QString text, quint32 encodingOnSuccess, TKvMemoryBlock spare)
{
    // What the trim removes stays for a keep-layout save (usually nothing).
    auto layout = std::make_shared<TKvReadLayout>();
    layout->Encoding = encodingOnSuccess;
    qsizetype kept = text.size();
    while (kept > 0 && (text[kept - 1] == u'\0' || text[kept - 1] == u'\t' || text[kept - 1] == u' '))
        --kept;
    if (kept < text.size())
        layout->Tail = text.sliced(kept);
    TrimTextEnd(text);
    if (text.size() > std::numeric_limits<qint32>::max())
        throw TKvFileError(FileName, QStringLiteral("The file is too large."));
    const auto store = std::make_shared<TKvParseStore>(std::move(text), nullptr);
    if (!spare.IsNull())
        store->AdoptBlock(std::move(spare));
    const std::optional<qsizetype> stop = ParseInto(store);
    return FinishRead(std::move(layout), store, stop, encodingOnSuccess);
}

int TKvMemIni::FinishRead(std::shared_ptr<TKvReadLayout> layout, const std::shared_ptr<TKvParseStore> &store,
                          std::optional<qsizetype> stop, quint32 encodingOnSuccess)
{
    const qsizetype length = store->TextLength();
    store->ReleaseUnused();
    layout->Store = store;
    // A NUL near the end stops the parser; what follows it is kept like the
    // trimmed text (it is at most two characters).
    if (stop && *stop < length) {
        const qsizetype unparsed = UnparsedStart(store->Text(), *stop);
        layout->Tail.prepend(QStringView(store->Text() + unparsed, store->Text() + length));
        layout->LinesLength = unparsed;
    } else {
        layout->LinesLength = length;
    }
    m_readLayout = std::move(layout);
    if (!stop || *stop < length - 2 || *stop > length + 2)
        return lrUnparsable;
    return int(encodingOnSuccess);
}

namespace {

// The piece of a big file ReadInPieces reads at a time: small enough that its
// bytes and their text are still in the cache when the parser reaches them.
constexpr qsizetype PieceBytes = qsizetype(1) << 16;

// The last line feed among the bytes, or null.
const char *LastLineFeed(const char *bytes, qsizetype size)
{
#if defined(__GLIBC__)
    return static_cast<const char *>(::memrchr(bytes, '\n', size_t(size)));
#else
    for (const char *p = bytes + size; p != bytes; --p) {
        if (p[-1] == '\n')
            return p - 1;
    }
    return nullptr;
#endif
}

// How far the thread that reads and decodes a file has come: the units of
// whole lines decoded (the parser may look at those), and whether it is done.
class TDecodedLines
{
public:
    void Publish(qsizetype lines, bool done)
    {
        {
            const std::lock_guard<std::mutex> lock(m_lock);
            m_lines = lines;
            m_done = done;
        }
        m_changed.notify_one();
    }
    // Waits until there are more lines than parsed or the decoder is done.
    std::pair<qsizetype, bool> WaitBeyond(qsizetype parsed)
    {
        std::unique_lock<std::mutex> lock(m_lock);
        m_changed.wait(lock, [&] { return m_lines > parsed || m_done; });
        return {m_lines, m_done};
    }

private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    qsizetype m_lines = 0;
    bool m_done = false;
};

// What the decoding thread leaves once it is done.
struct TDecodedFile
{
    qsizetype Written = 0; // the units decoded, those after the last line feed too
    bool Grew = false;     // more than the expected bytes came
    std::exception_ptr Failure;
};

// Reads the rest of file a piece at a time, each cut after its last line
// feed, decodes the pieces one after another into text and publishes the
// whole lines decoded; the bytes after the last line feed are decoded at
// the end, unpublished (the reader trims them first). Stops when the file
// turns out longer than expected.
void DecodePieces(QFileDevice &file, qint64 expected, quint32 codePage, char16_t *text, TDecodedLines &decoded,
                  TDecodedFile &result)
{
    qsizetype lines = 0;
    try {
        std::vector<char> piece(static_cast<size_t>(PieceBytes));
        qsizetype held = 0; // the bytes of a line not read whole yet
        qint64 total = 0;
        for (;;) {
            if (held == qsizetype(piece.size()))
                piece.resize(piece.size() * 2); // a line longer than a piece
            const qint64 got = file.read(piece.data() + held, qint64(piece.size()) - held);
            if (got <= 0)
                break;
            total += got;
            if (total > expected) {
                result.Grew = true;
                break;
            }
            held += qsizetype(got);
            const char *lastLineFeed = LastLineFeed(piece.data(), held);
            if (!lastLineFeed)
                continue;
            const qsizetype lineBytes = lastLineFeed + 1 - piece.data();
            lines += KvTextCodec::DecodeAnsiInto(QByteArrayView(piece.data(), lineBytes), codePage, text + lines);
            decoded.Publish(lines, false);
            held -= lineBytes;
            std::memmove(piece.data(), piece.data() + lineBytes, size_t(held));
        }
        result.Written = lines;
        if (!result.Grew && file.error() == QFileDevice::NoError)
            result.Written += KvTextCodec::DecodeAnsiInto(QByteArrayView(piece.data(), held), codePage, text + lines);
    } catch (...) {
        result.Failure = std::current_exception();
    }
    decoded.Publish(lines, true);
}

} // namespace

// A big file in a code page that decodes piece by piece is read and decoded
// a piece at a time by a second thread while this one parses the whole
// lines decoded before (the parser looks at nothing beyond them), and the
// file's bytes are never held whole. The document, the layout and the result are those
// ReadText gives for the whole text. Nothing when the stream is not such a
// file, or when the file grows while it is read: then nothing is left of the
// attempt and the stream is back where it was.
std::optional<int> TKvMemIni::ReadInPieces(QIODevice &stream, quint32 codePage, quint32 encodingOnSuccess)
{
    auto *file = qobject_cast<QFileDevice *>(&stream);
    if (!file || file->isSequential() || !KvTextCodec::DecodesPieceByPiece(codePage))
        return std::nullopt;
    const qint64 start = file->pos();
    const qint64 expected = file->size() - start;
    // Too big a file is refused (and the limits checked) by the usual read.
    if (expected < OwnBlockSize || expected > KvInputLimit::MaxBytes()
        || expected > std::numeric_limits<qint32>::max())
        return std::nullopt;

    // Never more units than bytes; only the units written are paged in.
    const auto store = std::make_shared<TKvParseStore>(qsizetype(expected));
    store->ExpectEntries(ExpectedEntries(expected));
    char16_t *const text = store->WritableText();
    TKvIniParser parser(store.get(), text, HashComments);
    const qint32 sectionsBefore = Sections.Count();
    const auto forget = [&] {
        while (Sections.Count() > sectionsBefore) {
            TKvIniSection *section = Sections[Sections.Count() - 1];
            Sections.RemoveAt(Sections.Count() - 1);
            delete section;
        }
    };

    TDecodedLines decoded;
    TDecodedFile decodedFile; // the decoder's until it is joined
    {
        const std::jthread decoder([&] { DecodePieces(*file, expected, codePage, text, decoded, decodedFile); });
        for (qsizetype parsed = 0;;) {
            const auto [lines, done] = decoded.WaitBeyond(parsed);
            if (lines > parsed) {
                parser.ParseDocumentTo(Sections, store, text + lines);
                parsed = lines;
            }
            if (done)
                break;
        }
    }
    if (decodedFile.Failure)
        std::rethrow_exception(decodedFile.Failure);
    if (decodedFile.Grew) {
        forget();
        file->seek(start);
        return std::nullopt;
    }
    if (file->error() != QFileDevice::NoError) {
        forget();
        ThrowOnFileError(*file);
    }

    // As ReadText trims: spaces, tabs and NULs at the end (they follow the
    // last line feed, so the lines parsed already keep what they have) stay
    // for a keep-layout save.
    auto layout = std::make_shared<TKvReadLayout>();
    layout->Encoding = encodingOnSuccess;
    const qsizetype written = decodedFile.Written;
    qsizetype kept = written;
    while (kept > 0 && (text[kept - 1] == u'\0' || text[kept - 1] == u'\t' || text[kept - 1] == u' '))
        --kept;
    if (kept < written)
        layout->Tail = QStringView(text + kept, text + written).toString();
    store->TruncateText(kept);
    parser.ParseDocumentTo(Sections, store, text + kept);
    const std::optional<qsizetype> stop = parser.FinishDocument(text);
    m_commentLines += parser.CommentLines();
    m_readCounts += parser.Counts();
    return FinishRead(std::move(layout), store, stop, encodingOnSuccess);
}

void TKvMemIni::NoteNothingParsed(quint32 encoding, QByteArrayView bytes)
{
    m_readLayout = std::make_shared<TKvReadLayout>();
    m_readLayout->Encoding = encoding;
    m_readLayout->Unread = bytes.toByteArray();
}

void TKvMemIni::NoteFileEdges(bool mark, bool oddByte)
{
    if (m_readLayout) {
        m_readLayout->Mark = mark;
        m_readLayout->OddByte = oddByte;
    }
}
