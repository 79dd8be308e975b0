// Reading: encoding detection, the four readers and the INI parser.
//
// The parser walks a NUL-terminated UTF-16 text once. A NUL anywhere ends the
// text. Entries made while parsing a section's text point into that text,
// which the section keeps alive; nothing is copied but the section headers.
#include "kvfileerror.h"
#include "kvmemini.h"
#include "kvplainmessage.h"
#include "kvtextcodec.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <cstring>
#include <limits>
#include <memory>

namespace {

bool IsSpaceOrTab(char16_t c)
{
    return c == u' ' || c == u'\t';
}

// A line ends at a line feed, a carriage return or the end of the text.
bool IsLineEnd(char16_t c)
{
    return c == u'\n' || c == u'\r' || c == 0;
}

const char16_t *SkipSpacesAndTabs(const char16_t *p)
{
    while (IsSpaceOrTab(*p))
        ++p;
    return p;
}

const char16_t *FindLineEnd(const char16_t *p)
{
    while (!IsLineEnd(*p))
        ++p;
    return p;
}

// After a carriage return the parser moves on two characters (taking the next
// one for its line feed), after a line feed one; it never passes the end.
const char16_t *StepOverLineEnd(const char16_t *p)
{
    if (*p == u'\r')
        return p[1] == 0 ? p + 1 : p + 2;
    if (*p == u'\n')
        return p + 1;
    return p;
}

// Scans from p to the line end or to the first ";" not preceded by a backslash.
const char16_t *FindCommentStart(const char16_t *p)
{
    while (!IsLineEnd(*p) && !(*p == u';' && p[-1] != u'\\'))
        ++p;
    return p;
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

// The comment text of a comment line after field normalisation, when that is
// a plain part of the line (no control characters in it).
bool NormalisedRange(Range &range)
{
    const char16_t *first = range.first;
    const char16_t *end = range.end;
    while (first != end && IsSpaceOrTab(*first))
        ++first;
    for (const char16_t *p = first; p != end; ++p) {
        if (*p < 32 && *p != u'\t')
            return false;
    }
    while (end != first && IsSpaceOrTab(end[-1]))
        --end;
    range = {first, end};
    return true;
}

QStringView View(Range range)
{
    return QStringView(range.first, range.end);
}

} // namespace

// Builds entries and sections from a text. With views set, entries point into
// the text instead of copying it.
class TKvIniParser
{
public:
    explicit TKvIniParser(bool views) : m_views(views) {}

    // Returns where the section parse stopped, or null for a malformed header.
    const char16_t *ParseSection(TKvIniSection &section, const char16_t *p) const
    {
        p = SkipSpacesAndTabs(p);
        if (*p == u'[') {
            p = ParseHeader(section, p + 1);
            if (!p)
                return nullptr;
        }
        TKvPtrVector<TKvIniVal> &vals = section.Vals;
        while (*p != 0 && *p != u'[') {
            p = SkipSpacesAndTabs(p);
            const char16_t c = *p;
            if (c == 0 || c == u'[')
                break;
            if (c == u'\r' || c == u'\n') {
                vals.Add(new TKvIniVal(ikBlank));
                p = StepOverLineEnd(p);
            } else if (c == u';') {
                const char16_t *end = FindLineEnd(p + 1);
                auto *val = new TKvIniVal(ikComment);
                vals.Add(val);
                StoreComment(*val, {p + 1, end});
                p = StepOverLineEnd(end);
            } else {
                auto *val = new TKvIniVal(ikValue);
                vals.Add(val);
                p = StepOverLineEnd(ParseValueLine(*val, p));
            }
        }
        return p;
    }

    // Parses the line that starts at p (its first non-blank character) into
    // val; returns the line's end.
    const char16_t *ParseValueLine(TKvIniVal &val, const char16_t *p) const
    {
        const char16_t *q = p;
        while (*q != u'=' && !IsLineEnd(*q))
            ++q;
        if (*q != u'=') {
            val.SetKind(ikError);
            StoreTexts(val, {p, p}, TrimRange(p, q), {q, q});
            return q;
        }
        const Range name = TrimRange(p, q);
        const char16_t *valueStart = q + 1;
        const char16_t *stop = FindCommentStart(valueStart);
        const Range value = TrimRange(valueStart, stop);
        if (*stop != u';') {
            StoreTexts(val, name, value, {stop, stop});
            return stop;
        }
        const char16_t *end = FindLineEnd(stop + 1);
        StoreTexts(val, name, value, TrimRange(stop + 1, end));
        return end;
    }

private:
    // Parses a header after its "["; returns the start of the next line, or
    // null when the header has no "]" on its line.
    const char16_t *ParseHeader(TKvIniSection &section, const char16_t *p) const
    {
        const char16_t *q = p;
        while (*q != u']' && *q > 13)
            ++q;
        if (*q != u']')
            return nullptr;
        section.Name = View(TrimRange(p, q)).toString();
        const char16_t *stop = FindCommentStart(q + 1);
        if (*stop == u';') {
            const char16_t *end = FindLineEnd(stop + 1);
            section.Comment = QStringView(stop + 1, end).toString();
            stop = end;
        }
        return StepOverLineEnd(stop);
    }

    void StoreComment(TKvIniVal &val, Range text) const
    {
        if (m_views && NormalisedRange(text)) {
            StoreTexts(val, {text.first, text.first}, {text.first, text.first}, text);
            val.UpdateKind();
        } else {
            val.SetComment(View(text));
        }
    }

    // The three ranges lie in this order on one line.
    void StoreTexts(TKvIniVal &val, Range name, Range value, Range comment) const
    {
        if (m_views) {
            const char16_t *base = name.first;
            val.SetViews(base, name.size(), qint32(value.first - base), value.size(),
                         qint32(comment.first - base), comment.size());
        } else {
            val.StoreTexts(View(name), View(value), View(comment));
        }
    }

    bool m_views;
};

namespace {

// A NUL-terminated buffer of the text that stays valid as long as `holder` lives.
const char16_t *TerminatedText(QString &holder)
{
    return reinterpret_cast<const char16_t *>(holder.utf16());
}

} // namespace

qsizetype TKvIniVal::ParseLine(QStringView text)
{
    QString copy = text.toString();
    const char16_t *base = TerminatedText(copy);
    const char16_t *start = SkipSpacesAndTabs(base);
    m_kind = ikValue;
    return TKvIniParser(false).ParseValueLine(*this, start) - base;
}

std::optional<qsizetype> TKvIniSection::Parse(const QString &text, qsizetype from)
{
    QString holder = text;
    const char16_t *base = TerminatedText(holder);
    const char16_t *stop = TKvIniParser(true).ParseSection(*this, base + from);
    // Entries may point into the text: keep it, unless the section already
    // holds the same buffer.
    if (m_textBuffer.constData() != holder.constData())
        m_textBuffer = holder;
    if (!stop)
        return std::nullopt;
    return stop - base;
}

std::optional<qsizetype> TKvMemIni::Parse(const QString &text)
{
    QString holder = text;
    const char16_t *base = TerminatedText(holder);
    const char16_t *p = base;
    const TKvIniParser parser(true);
    do {
        auto *section = new TKvIniSection;
        Sections.Add(section);
        section->m_textBuffer = holder;
        p = parser.ParseSection(*section, p);
        if (!p)
            return std::nullopt;
    } while (*p == u'[');
    return p - base;
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

// Reads the rest of the stream; a read error of a file throws.
QByteArray ReadRest(QIODevice &stream)
{
    QByteArray bytes = stream.readAll();
    if (auto *file = qobject_cast<QFileDevice *>(&stream); file && file->error() != QFileDevice::NoError)
        throw TKvFileError(file->fileName(), file->errorString());
    return bytes;
}

QByteArray ReadBytes(QIODevice &stream, qint64 count)
{
    QByteArray bytes = stream.read(count);
    if (auto *file = qobject_cast<QFileDevice *>(&stream); file && file->error() != QFileDevice::NoError)
        throw TKvFileError(file->fileName(), file->errorString());
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

// Opens a file for the readers: null when it does not exist (a folder counts
// as missing), the open file otherwise; a file that cannot be opened throws.
std::unique_ptr<QFile> OpenForReading(const QString &fileName)
{
    const QFileInfo info(fileName);
    if (!info.exists() || info.isDir())
        return nullptr;
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
    return file ? LoadFromStream(*file) : KvReadResult::FileMissing;
}

int TKvMemIni::LoadFromFile(const QString &fileName, quint32 encoding)
{
    Encoding = KvEncoding::Unknown;
    FileName = fileName;
    const std::unique_ptr<QFile> file = OpenForReading(fileName);
    return file ? LoadFromStream(*file, encoding) : KvReadResult::FileMissing;
}

int TKvMemIni::LoadFromStream(QIODevice &stream)
{
    return LoadFromStream(stream, DetectEncoding(stream));
}

int TKvMemIni::LoadFromStream(QIODevice &stream, quint32 encoding)
{
    switch (encoding) {
    case KvEncoding::Utf16LE:
        return ReadUtf16LE(stream);
    case KvEncoding::Utf16BE:
        return ReadUtf16BE(stream);
    case KvEncoding::Utf32LE:
    case KvEncoding::Utf32BE:
        ShowPlainMessage(Utf32Message);
        return 0;
    case KvEncoding::Utf8:
        return ReadUtf8(stream);
    default:
        return ReadAnsi(stream);
    }
}

int TKvMemIni::ReadAnsi(QIODevice &stream)
{
    Encoding = KvEncoding::Ansi;
    QByteArray bytes = ReadRest(stream);
    if (bytes.isEmpty())
        return 0;
    QString text = KvTextCodec::DecodeAnsi(bytes);
    bytes = QByteArray(); // the text is all that is needed from here on
    return ReadText(std::move(text), KvEncoding::Ansi);
}

int TKvMemIni::ReadUtf8(QIODevice &stream)
{
    const qint64 start = stream.pos();
    if (stream.atEnd())
        return KvEncoding::Utf8;
    const QByteArray mark = ReadBytes(stream, 3);
    if (mark != QByteArrayView("\xEF\xBB\xBF"))
        stream.seek(start);
    QByteArray bytes = ReadRest(stream);
    QString text = KvTextCodec::DecodeUtf8(bytes);
    bytes = QByteArray();
    const int result = ReadText(std::move(text), KvEncoding::Utf8);
    if (result == int(KvEncoding::Utf8))
        Encoding = KvEncoding::Utf8;
    return result;
}

int TKvMemIni::ReadUtf16LE(QIODevice &stream)
{
    Encoding = KvEncoding::Utf16LE;
    QByteArray bytes = ReadRest(stream);
    if (bytes.size() < 2)
        return KvEncoding::Utf16LE;
    const bool marked = quint8(bytes[0]) == 0xFF && quint8(bytes[1]) == 0xFE;
    QString text = DecodeUtf16(QByteArrayView(bytes).sliced(marked ? 2 : 0), false);
    bytes = QByteArray();
    return ReadText(std::move(text), KvEncoding::Utf16LE);
}

int TKvMemIni::ReadUtf16BE(QIODevice &stream)
{
    Encoding = KvEncoding::Utf16BE;
    QByteArray bytes = ReadRest(stream);
    if (bytes.size() < 2)
        return KvEncoding::Utf16BE;
    const bool marked = quint8(bytes[0]) == 0xFE && quint8(bytes[1]) == 0xFF;
    QString text = DecodeUtf16(QByteArrayView(bytes).sliced(marked ? 2 : 0), true);
    bytes = QByteArray();
    return ReadText(std::move(text), KvEncoding::Utf16BE);
}

// Trims and parses a decoded text, then checks that the parser reached its end:
// a NUL more than two characters before the end means the text is not INI text
// in this encoding.
int TKvMemIni::ReadText(QString text, quint32 encodingOnSuccess)
{
    TrimTextEnd(text);
    if (text.size() > std::numeric_limits<qint32>::max())
        throw TKvFileError(FileName, QStringLiteral("The file is too large."));
    const qsizetype length = text.size();
    const std::optional<qsizetype> stop = Parse(text);
    if (!stop || *stop < length - 2 || *stop > length + 2)
        return KvReadResult::Unparsable;
    return int(encodingOnSuccess);
}
