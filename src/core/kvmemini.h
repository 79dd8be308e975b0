#pragma once

#include "kvptrvector.h"
#include "kvreadresult.h"

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <memory>
#include <new>
#include <optional>

class QIODevice;
class TKvMemoryBlock;
class TKvParseStore;
struct TKvReadLayout;

// What one line below a section header is. The numbers are stored, compared
// and used as the icon index of the entry's row.
enum TKvIniValKind : quint32 {
    ikBlank = 0,
    ikValue = 1,
    ikComment = 2,
    ikError = 3,
};

// Sort keys; the numbers are the codes the window passes.
enum TKvSortKey : quint32 {
    skName = 0,
    skValue = 1,
    skCount = 2,
    skComment = 3,
};

// Code pages used as encoding codes throughout.
namespace KvEncoding {
constexpr quint32 Ansi = 0;
constexpr quint32 Utf8 = 65001;
constexpr quint32 Utf16LE = 1200;
constexpr quint32 Utf16BE = 1201;
constexpr quint32 Utf32LE = 12000;
constexpr quint32 Utf32BE = 12001;
constexpr quint32 Unknown = 100000;
} // namespace KvEncoding

// The largest input the readers take, in bytes: 1 GiB, far beyond any
// configuration file. A larger file or stream is refused with a TKvFileError
// before its bytes are read, so neither /dev/zero nor a huge sparse file can
// exhaust the memory.
namespace KvInputLimit {
constexpr qint64 DefaultMaxBytes = qint64(1) << 30;
qint64 MaxBytes();
// For tests: a smaller limit, so both sides of it can be tried; returns the old one.
qint64 SetMaxBytes(qint64 bytes);
} // namespace KvInputLimit

// Counters of CountKinds and CountAll.
struct TKvIniCounts
{
    qint64 Sections = 0;
    qint64 Values = 0;
    qint64 Comments = 0;
    qint64 Errors = 0;
    qint64 Blanks = 0;

    // Counts an entry of the kind in (delta 1) or out (delta -1).
    void AddKind(int kind, qint64 delta);
    TKvIniCounts &operator+=(const TKvIniCounts &other)
    {
        Sections += other.Sections;
        Values += other.Values;
        Comments += other.Comments;
        Errors += other.Errors;
        Blanks += other.Blanks;
        return *this;
    }
    bool operator==(const TKvIniCounts &) const = default;
};

// One entry: one line of a section.
//
// The three texts are stored together: either as views into the text buffer
// the section was parsed from (the section keeps that buffer alive), or, once
// an entry is built or edited, in one block of its own. Name(), Value() and
// Comment() hand out copies that stay valid whatever happens to the document;
// the *View() accessors are valid until this entry is changed or destroyed.
//
// Entries made by the parser are placed in the memory of the section's parse
// store (TKvParseStore), the others on the heap; `delete` destroys either kind
// and frees only what came from the heap. Both the views and the placement
// rely on an entry staying in the section that made it: entries never move
// between sections (pastes and copies make new ones), and an entry taken out
// with RemoveAt is destroyed before its section is.
class TKvIniVal
{
public:
    explicit TKvIniVal(TKvIniValKind kind = ikBlank)
        : m_kind(quint8(kind))
    {}
    TKvIniVal(QStringView name, QStringView value, QStringView comment);
    ~TKvIniVal() { FreeBlock(); }
    TKvIniVal(const TKvIniVal &) = delete;
    TKvIniVal &operator=(const TKvIniVal &) = delete;
    // Runs the destructor; gives the memory back only when it came from the heap.
    static void operator delete(TKvIniVal *val, std::destroying_delete_t);

    TKvIniValKind Kind() const { return TKvIniValKind(m_kind); }
    // Sets the kind directly, without the kind rule (the comment toggle does).
    void SetKind(TKvIniValKind kind)
    {
        m_kind = quint8(kind);
        m_flags |= Changed;
    }

    // While the entry is as the parser made it: a position inside the line of
    // the parsed text it came from (its first text, or its line end), so that
    // the line can be written back as it was read. Null for an entry made any
    // other way, and from the first change on (a setter, the kind, a sort that
    // moved it).
    const char16_t *LineAnchor() const;
    // Makes the entry count as changed (a sort that moves it).
    void MarkChanged() { m_flags |= Changed; }
    bool IsMarkedChanged() const { return m_flags & Changed; }
    // Puts back the mark as it was before a sort moved the entry, when the
    // move is undone; the texts are then still those the mark was taken with.
    void RestoreChangedMark(bool marked) { m_flags = marked ? (m_flags | Changed) : (m_flags & ~Changed); }

    QStringView NameView() const { return {m_text, m_nameLen}; }
    QStringView ValueView() const { return {ValueStart(), m_valueLen}; }
    QStringView CommentView() const { return {ValueStart() + m_valueLen + m_commentGap, m_commentLen}; }
    QString Name() const { return NameView().toString(); }
    QString Value() const { return ValueView().toString(); }
    QString Comment() const { return CommentView().toString(); }

    // Store the normalised text into the field, then apply the kind rule.
    void SetName(QStringView text);
    void SetValue(QStringView text);
    void SetComment(QStringView text);
    void UpdateKind();
    bool IsEmpty() const { return m_nameLen == 0 && m_valueLen == 0 && m_commentLen == 0; }

    // Parses one value line from the start of text into this entry (kind
    // ikValue, or ikError when the line has no "="); returns the index of the
    // line's end. The texts are copied.
    qsizetype ParseLine(QStringView text);

    // Writing (length computed beforehand, then the characters into a buffer).
    qsizetype TextLength() const;
    QChar *WriteText(QChar *out) const;
    // Whether the line is written with a form feed in front, so that it reads
    // back as the item or error line it is rather than a header or a comment.
    bool WritesLeadIn() const;
    // The clipboard text form of the entry.
    QString GetText(bool withComments) const;

    // The character a comment line is written with: "#" for a line read as a
    // "#" comment (TKvMemIni::HashComments) or given that marker, ";" otherwise.
    char16_t CommentMarker() const { return (m_flags & HashMarker) ? u'#' : u';'; }
    // Sets the marker (";" or "#", anything else counts as ";"); a new marker
    // is a change of the line.
    void SetCommentMarker(char16_t marker);

    // The comment toggle. Commenting out writes the line with the entry's own
    // marker, or with the one given (TKvMemIni::NewCommentMarker).
    void ToggleComment();
    void ToggleComment(char16_t marker);
    // A new heap entry with the same texts and kind, taken as they are (no
    // normalisation, no kind rule).
    TKvIniVal *Clone() const;

    // Texts with the field normalisation of the setters applied.
    static QString NormaliseField(QStringView text);

private:
    friend class TKvIniParser;
    enum Field { NameField, ValueField, CommentField };
    enum Flag : quint8 {
        OwnsBlock = 1,   // m_text is a block of this entry's own
        InStore = 2,     // placed in a parse store's memory, not on the heap
        Changed = 4,     // changed since the parser made it
        AnchorBlock = 8, // the owned block starts with the line anchor, before m_text
        HashMarker = 16, // a comment line written with "#" rather than ";"
    };
    // The char16_t units in front of an anchored block that hold the anchor.
    static constexpr qint32 AnchorUnits = qint32(sizeof(const char16_t *) / sizeof(char16_t));

    // An entry the parser places in a parse store.
    TKvIniVal(TKvIniValKind kind, Flag flags)
        : m_kind(quint8(kind))
        , m_flags(flags)
    {}

    // The most characters between two texts that a parsed entry can point
    // across; an entry whose texts lie further apart gets copies of them.
    static constexpr qint32 MaxGap = 255;

    // Makes the entry point at three texts that live elsewhere (the parser's
    // buffer), in this order, at these offsets from base.
    void SetViews(const char16_t *base, qint32 nameLen, qint32 valueOffset, qint32 valueLen,
                  qint32 commentOffset, qint32 commentLen)
    {
        const qint32 valueGap = valueOffset - nameLen;
        const qint32 commentGap = commentOffset - valueOffset - valueLen;
        if (valueGap > MaxGap || commentGap > MaxGap) {
            StoreAnchoredTexts(base, QStringView(base, nameLen), QStringView(base + valueOffset, valueLen),
                               QStringView(base + commentOffset, commentLen));
            return;
        }
        FreeBlock();
        m_text = base;
        m_nameLen = nameLen;
        m_valueLen = valueLen;
        m_commentLen = commentLen;
        m_valueGap = quint8(valueGap);
        m_commentGap = quint8(commentGap);
    }
    const char16_t *ValueStart() const { return m_text + m_nameLen + m_valueGap; }
    // Stores the three texts into one block owned by the entry.
    void StoreTexts(QStringView name, QStringView value, QStringView comment);
    // The same for the parser, keeping the anchor of the line they came from.
    void StoreAnchoredTexts(const char16_t *anchor, QStringView name, QStringView value, QStringView comment);
    void StoreBlock(const char16_t *anchor, QStringView name, QStringView value, QStringView comment);
    void SetField(Field field, QStringView text);
    void FreeBlock()
    {
        if (m_flags & OwnsBlock) {
            delete[](m_flags & AnchorBlock ? m_text - AnchorUnits : m_text);
            m_flags &= ~(OwnsBlock | AnchorBlock);
        }
        m_text = u"";
    }

    // The texts lie in this order at m_text: the name, m_valueGap characters
    // that belong to none of them (the "=" and the blanks around it in a
    // parsed line, none in an owned block), the value, m_commentGap such
    // characters, the comment. Kept small: a document holds one per line.
    const char16_t *m_text = u"";
    qint32 m_nameLen = 0;
    qint32 m_valueLen = 0;
    qint32 m_commentLen = 0;
    quint8 m_valueGap = 0;
    quint8 m_commentGap = 0;
    quint8 m_kind = ikBlank;
    quint8 m_flags = 0;
};

// One section: an optional header and its entries in file order.
class TKvIniSection
{
public:
    QString Name;    // the text between "[" and "]"; empty for a nameless section
    QString Comment; // the comment after the header, exactly as read
    TKvPtrVector<TKvIniVal> Vals;

    TKvIniSection() = default;
    explicit TKvIniSection(const QString &name)
        : Name(name)
    {}
    ~TKvIniSection();
    TKvIniSection(const TKvIniSection &) = delete;
    TKvIniSection &operator=(const TKvIniSection &) = delete;
    // Runs the destructor; gives the memory back only when it came from the
    // heap (a section a document read is placed in its parse store).
    static void operator delete(TKvIniSection *section, std::destroying_delete_t);

    TKvIniVal *AddVal(QStringView name, QStringView value, QStringView comment);
    TKvIniVal *InsertVal(qint32 index, QStringView name, QStringView value, QStringView comment);
    void DeleteVal(TKvIniVal *val) { Vals.Delete(val); }
    // Where a new value item goes when no place is chosen: after the section's
    // last value item, or, without one, after its last line that is not blank
    // (so trailing blank lines stay last).
    qint32 NewItemIndex() const;
    qint32 IndexOfVal(const TKvIniVal *val, qint32 start = 0) const { return Vals.IndexOf(val, start); }
    // Adds one to the counter of each entry's kind; returns the number of entries.
    qint32 CountKinds(TKvIniCounts &counts) const;

    // Parses one section (optional header, then entry lines up to the next
    // header or the end) from position `from` of text into this section.
    // Returns where it stopped, or nothing when the header was malformed.
    // hashComments: lines starting with "#" are comment lines too.
    std::optional<qsizetype> Parse(const QString &text, qsizetype from = 0, bool hashComments = false);

    qsizetype TextLength() const;
    QChar *WriteText(QChar *out) const;
    // The clipboard text form of the section.
    QString GetText(bool withComments) const;

    void SortVals(TKvSortKey key, bool ascending);

    // The "[" of the header line this section was parsed from, in the parsed
    // text; null for a section made otherwise or moved by a sort. Whether the
    // name and comment still match that line is the writer's to check.
    const char16_t *HeaderLine() const { return m_headerLine; }
    void ForgetHeaderLine() { m_headerLine = nullptr; }
    // Puts back the header line a sort forgot, when the move is undone.
    void RestoreHeaderLine(const char16_t *line) { m_headerLine = line; }

private:
    friend class TKvMemIni;
    friend class TKvIniParser;
    struct InStoreTag
    {};
    // A section the parser places in its store.
    explicit TKvIniSection(InStoreTag)
        : m_inStore(true)
    {}

    const char16_t *m_headerLine = nullptr;
    // Keeps alive the parsed text the entries point into and the memory they
    // are placed in (the section's own too, when m_inStore); shared with the
    // other sections of the same parse.
    std::shared_ptr<TKvParseStore> m_store;
    bool m_inStore = false; // placed in m_store's memory, not on the heap
};

// The comment lines reading found, by the character they start with, and
// the lines starting with "#" it read as items or unparsable lines ("#"
// comments off): a file with such lines and no ";" comments may well be one
// whose comments start with "#".
struct TKvCommentLines
{
    qint64 Semicolon = 0;
    qint64 Hash = 0;
    qint64 HashLedItems = 0;

    TKvCommentLines &operator+=(const TKvCommentLines &other)
    {
        Semicolon += other.Semicolon;
        Hash += other.Hash;
        HashLedItems += other.HashLedItems;
        return *this;
    }
};

// The document: the sections of one INI file.
class TKvMemIni
{
public:
    TKvPtrVector<TKvIniSection> Sections;
    bool WriteBom = true;
    QString FileName;
    quint32 Encoding = KvEncoding::Utf8;
    // Saving writes every line read and not changed since exactly as it was
    // read (bytes, line end, spacing, byte-order mark or none, trailing text);
    // changed and new lines are written in the usual form with the line end
    // the file mostly uses, and no empty line is added after a section. A
    // document that was never read (a new one) has no layout to keep: it is
    // written in the usual form with LF line ends.
    bool KeepLayout = false;
    // Reading: a line whose first character other than spaces and tabs (and
    // other characters below 33) is "#" is a comment line, as one starting
    // with ";" is; its comment is the text after the "#", and the line is
    // written with "#" again. Off (the usual reading of INI files), such a
    // line is an item or an error line.
    bool HashComments = false;

    TKvMemIni() = default;
    ~TKvMemIni();
    TKvMemIni(const TKvMemIni &) = delete;
    TKvMemIni &operator=(const TKvMemIni &) = delete;

    void Clear()
    {
        Sections.Clear();
        m_readLayout.reset();
        m_commentLines = {};
        m_readCounts = {};
    }
    TKvIniSection *AddSection(const QString &name);
    TKvIniSection *InsertSection(qint32 index, const QString &name);
    TKvIniSection *CopySection(const TKvIniSection *source, const QString &newName);
    void DeleteSection(TKvIniSection *section) { Sections.Delete(section); }
    qint32 IndexOfSection(const TKvIniSection *section, qint32 start = 0) const
    {
        return Sections.IndexOf(section, start);
    }
    qint32 IndexOfSectionName(QStringView name) const;
    bool SectionExists(QStringView name) const { return IndexOfSectionName(name) >= 0; }
    TKvIniCounts CountAll() const;

    // Reading. Results: the code page of the reader that ran, or
    // lrFileMissing, lrUnparsable or lrRefused32Bit (kvreadresult.h). Errors
    // of the file itself throw TKvFileError.
    int LoadFromFile(const QString &fileName);
    int LoadFromFile(const QString &fileName, quint32 encoding);
    int LoadFromStream(QIODevice &stream);
    int LoadFromStream(QIODevice &stream, quint32 encoding);
    static quint32 DetectEncoding(QIODevice &stream);
    int ReadAnsi(QIODevice &stream);
    int ReadUtf8(QIODevice &stream);
    int ReadUtf16LE(QIODevice &stream);
    int ReadUtf16BE(QIODevice &stream);
    // Parses a whole text into new sections appended to the document. Returns
    // where it stopped, or nothing when a header was malformed.
    std::optional<qsizetype> Parse(const QString &text);

    // Writing. SaveToFile replaces the file only once the new one is complete.
    void SaveToFile(const QString &fileName, quint32 encoding);
    void SaveToStream(QIODevice &stream, quint32 encoding) const;
    QString GetText() const;
    qsizetype TextLength() const;
    // The bytes SaveToStream writes.
    QByteArray Encode(quint32 encoding) const;
    // Whether SaveToStream starts with the encoding's byte-order mark.
    bool WritesMark(quint32 encoding) const;
    // What the last read left for a keep-layout save; null when nothing was read.
    const TKvReadLayout *ReadLayout() const { return m_readLayout.get(); }

    // The comment lines the reads since the last Clear found.
    const TKvCommentLines &ReadCommentLines() const { return m_commentLines; }
    // The sections and entries the reads since the last Clear made, counted
    // while parsing: CountAll() without a pass over the document, for as long
    // as nothing else has changed it.
    const TKvIniCounts &ReadCounts() const { return m_readCounts; }
    // The marker of the comment lines the user makes in this document (the
    // comment toggle, new comment lines): "#" when the lines read as comments
    // mostly start with "#", ";" otherwise. Decided by what was read, so it
    // costs nothing per edit.
    char16_t NewCommentMarker() const;

    // Editing and sorting.
    void SortSections(TKvSortKey key, bool ascending);
    void SortAll(TKvSortKey key, bool ascending);

private:
    int ReadWith(QIODevice &stream, quint32 encoding);
    int ReadText(QString text, quint32 encodingOnSuccess, TKvMemoryBlock spare);
    std::optional<int> ReadInPieces(QIODevice &stream, quint32 codePage, quint32 encodingOnSuccess);
    // The end of every read: keeps what the parse left for a keep-layout save
    // and gives the read's result.
    int FinishRead(std::shared_ptr<TKvReadLayout> layout, const std::shared_ptr<TKvParseStore> &store,
                   std::optional<qsizetype> stop, quint32 encodingOnSuccess);
    // Notes what a reader saw of the file's edges (after ReadText).
    void NoteFileEdges(bool mark, bool oddByte);
    void NoteNothingParsed(quint32 encoding, QByteArrayView bytes);
    std::shared_ptr<TKvReadLayout> m_readLayout;
    TKvCommentLines m_commentLines;
    TKvIniCounts m_readCounts;
    std::optional<qsizetype> ParseInto(const std::shared_ptr<TKvParseStore> &store);
};

// Removes trailing NUL, tab and space characters (line ends stay).
void TrimTextEnd(QString &text);
