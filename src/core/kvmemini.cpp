// The document and section operations, counting and writing.
#include "kvmemini.h"

#include "kvasan.h"
#include "kvfileerror.h"
#include "kvlayoutwriter.h"
#include "kvoutputencoder.h"
#include "kvplainmessage.h"
#include "kvsafesave.h"
#include "kvtextcodec.h"
#include "kvwritebuffer.h"

#include <QFileDevice>
#include <QtEndian>

#include <cstring>

TKvIniSection::~TKvIniSection()
{
    Vals.Clear();
}

void TKvIniSection::operator delete(TKvIniSection *section, std::destroying_delete_t)
{
    if (!section)
        return;
    if (!section->m_inStore) {
        section->~TKvIniSection();
        // Unsized: clang only offers the sized form with -fsized-deallocation.
        ::operator delete(section);
        return;
    }
    // The section's memory is its store's: the store must outlive the
    // destructor, which would otherwise release it half way through.
    const std::shared_ptr<TKvParseStore> store = std::move(section->m_store);
    section->~TKvIniSection();
#if defined(KV_ASAN)
    // The store frees the memory later; until then nothing may use it.
    ASAN_POISON_MEMORY_REGION(section, sizeof(TKvIniSection));
#endif
}

TKvIniVal *TKvIniSection::AddVal(QStringView name, QStringView value, QStringView comment)
{
    auto *val = new TKvIniVal(name, value, comment);
    Vals.Add(val);
    return val;
}

TKvIniVal *TKvIniSection::InsertVal(qint32 index, QStringView name, QStringView value, QStringView comment)
{
    auto *val = new TKvIniVal(name, value, comment);
    Vals.Insert(index, val);
    return val;
}

void TKvIniCounts::AddKind(int kind, qint64 delta)
{
    switch (kind) {
    case ikValue:
        Values += delta;
        break;
    case ikComment:
        Comments += delta;
        break;
    case ikBlank:
        Blanks += delta;
        break;
    default:
        Errors += delta;
        break;
    }
}

qint32 TKvIniSection::CountKinds(TKvIniCounts &counts) const
{
    for (const TKvIniVal *val : Vals) {
        counts.AddKind(val->Kind(), 1);
    }
    return Vals.Count();
}

TKvMemIni::~TKvMemIni()
{
    Sections.Clear();
}

TKvIniSection *TKvMemIni::AddSection(const QString &name)
{
    auto *section = new TKvIniSection(name);
    Sections.Add(section);
    return section;
}

TKvIniSection *TKvMemIni::InsertSection(qint32 index, const QString &name)
{
    auto *section = new TKvIniSection(name);
    Sections.Insert(index, section);
    return section;
}

qint32 TKvMemIni::IndexOfSectionName(QStringView name) const
{
    for (qint32 i = 0; i < Sections.Count(); ++i) {
        if (QStringView(Sections[i]->Name) == name)
            return i;
    }
    return -1;
}

TKvIniCounts TKvMemIni::CountAll() const
{
    TKvIniCounts counts;
    for (const TKvIniSection *section : Sections) {
        section->CountKinds(counts);
        ++counts.Sections;
    }
    return counts;
}

// ---- Writing ---------------------------------------------------------------

namespace {

// A nameless section is written without a header when it opens the document
// (the lines before the first header). Anywhere else it came from a "[]" line,
// which is written back so its entries stay apart from the section before.
bool WritesHeader(const TKvIniSection &section, bool first)
{
    return !section.Name.isEmpty() || !first;
}

qsizetype HeaderLength(const TKvIniSection &section, bool first)
{
    if (!WritesHeader(section, first))
        return 0;
    return KvWriteBuffer::HeaderTextLength(section) + 2;
}

QChar *WriteHeader(const TKvIniSection &section, QChar *out, bool first)
{
    if (!WritesHeader(section, first))
        return out;
    return KvWriteBuffer::PutLineEnd(KvWriteBuffer::PutHeaderText(out, section));
}

// A section with entries ends with an empty line: one more line end unless
// its last entry is blank.
bool NeedsClosingLineEnd(const TKvIniSection &section)
{
    return section.Vals.Count() > 0 && section.Vals.Last()->Kind() != ikBlank;
}

qsizetype SectionLength(const TKvIniSection &section, bool first)
{
    qsizetype length = HeaderLength(section, first);
    for (const TKvIniVal *val : section.Vals)
        length += val->TextLength();
    if (NeedsClosingLineEnd(section))
        length += 2;
    return length;
}

QChar *WriteSection(const TKvIniSection &section, QChar *out, bool first)
{
    out = WriteHeader(section, out, first);
    for (const TKvIniVal *val : section.Vals)
        out = val->WriteText(out);
    if (NeedsClosingLineEnd(section))
        out = KvWriteBuffer::PutLineEnd(out);
    return out;
}

// The length check of the whole text: the characters written against the
// length computed beforehand. It only reports.
void CheckWrittenLength(qsizetype written, qsizetype length)
{
    if (written != length) {
        ShowPlainMessage(QStringLiteral("Memory Error!\r\nNumber of :") + QString::number(written - length)
                         + QStringLiteral(" Bytes"));
    }
}

// Room a buffer keeps beyond the length computed for what is written into it.
constexpr qsizetype BufferSlack = 100;

// Produces the document's text as GetText does, but a piece at a time (a
// header, an entry's line, a section's closing line end) into a buffer of
// bounded size, which goes to pass whenever the next piece would not fit, and
// at the end. Each text passed on ends with a line end, so no surrogate pair
// is ever split between two of them. The length check covers the whole text.
template <typename Pass> void ProduceText(const TKvMemIni &ini, Pass &&pass)
{
    // Small enough to stay in the cache while it is encoded and written.
    qsizetype capacity = 64 * 1024;
    QString buffer(capacity + BufferSlack, Qt::Uninitialized);
    QChar *start = buffer.data();
    QChar *out = start;
    qsizetype length = 0;
    qsizetype written = 0;
    auto flush = [&] {
        if (out == start)
            return;
        written += out - start;
        pass(QStringView(start, out));
        out = start;
    };
    // Counts a piece of the given length in and makes room for it.
    auto makeRoom = [&](qsizetype pieceLength) {
        length += pieceLength;
        if (start + capacity - out >= pieceLength)
            return;
        flush();
        if (pieceLength > capacity) {
            capacity = pieceLength;
            buffer = QString(capacity + BufferSlack, Qt::Uninitialized);
            start = out = buffer.data();
        }
    };

    for (qint32 i = 0; i < ini.Sections.Count(); ++i) {
        const TKvIniSection &section = *ini.Sections[i];
        const bool first = i == 0;
        makeRoom(HeaderLength(section, first));
        out = WriteHeader(section, out, first);
        for (const TKvIniVal *val : section.Vals) {
            makeRoom(val->TextLength());
            out = val->WriteText(out);
        }
        if (NeedsClosingLineEnd(section)) {
            makeRoom(2);
            out = KvWriteBuffer::PutLineEnd(out);
        }
    }
    flush();
    CheckWrittenLength(written, length);
}

// Hands the encoded document to sink: the byte-order mark (when the document
// writes one), then the encoded text in parts. With lfOnly every CR LF the
// usual form ends a line with becomes LF (a part never ends between the two).
void EncodeDocument(const TKvMemIni &ini, quint32 encoding, const TKvOutputEncoder::Sink &sink,
                    bool lfOnly = false)
{
    TKvOutputEncoder out(encoding, ini.WriteBom, sink);
    QString lf;
    ProduceText(ini, [&](QStringView text) {
        if (!lfOnly) {
            out.Put(text);
            return;
        }
        lf.resize(text.size());
        QChar *to = lf.data();
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (!(text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n'))
                *to++ = text[i];
        }
        out.Put(QStringView(lf.constData(), to - lf.constData()));
    });
    out.Finish();
}

// A keep-layout save of a document that was never read (a new one) has no
// layout to keep: it gets the usual form, with the line end of the platform.
bool WritesUsualFormWithLf(const TKvMemIni &ini)
{
    return ini.KeepLayout && !ini.ReadLayout();
}

void WriteAll(QIODevice &stream, QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return;
    if (stream.write(bytes.data(), bytes.size()) != bytes.size()) {
        QString name;
        if (auto *file = qobject_cast<QFileDevice *>(&stream))
            name = file->fileName();
        throw TKvFileError(name, stream.errorString());
    }
}

} // namespace

qsizetype TKvIniSection::TextLength() const
{
    return SectionLength(*this, true);
}

QChar *TKvIniSection::WriteText(QChar *out) const
{
    return WriteSection(*this, out, true);
}

QString TKvIniSection::GetText(bool withComments) const
{
    QString header;
    if (!Name.isEmpty())
        header.append(u'[').append(Name).append(u']');
    if (withComments && !Comment.isEmpty())
        header.append(QStringView(header.isEmpty() ? u";" : u" ;")).append(Comment);

    QString text;
    if (!header.isEmpty())
        text.append(header).append(u"\r\n");
    for (const TKvIniVal *val : Vals) {
        const QString line = val->GetText(withComments);
        if (withComments || !line.isEmpty())
            text.append(line).append(u"\r\n");
    }
    return text;
}

qsizetype TKvMemIni::TextLength() const
{
    qsizetype length = 0;
    for (qint32 i = 0; i < Sections.Count(); ++i)
        length += SectionLength(*Sections[i], i == 0);
    return length;
}

QString TKvMemIni::GetText() const
{
    const qsizetype length = TextLength();
    QString text(length + BufferSlack, Qt::Uninitialized);
    QChar *start = text.data();
    std::memset(static_cast<void *>(start + length), 0, BufferSlack * sizeof(QChar));
    QChar *out = start;
    for (qint32 i = 0; i < Sections.Count(); ++i)
        out = WriteSection(*Sections[i], out, i == 0);
    const qsizetype written = out - start;
    CheckWrittenLength(written, length);
    text.truncate(written);
    return text;
}

QByteArray TKvMemIni::Encode(quint32 encoding) const
{
    QByteArray bytes;
    const auto append = [&](QByteArrayView part) { bytes.append(part); };
    if (KeepLayout && ReadLayout())
        KvLayoutWriter::Encode(*this, encoding, append);
    else
        EncodeDocument(*this, encoding, append, WritesUsualFormWithLf(*this));
    return bytes;
}

bool TKvMemIni::WritesMark(quint32 encoding) const
{
    return KeepLayout ? KvLayoutWriter::WritesMark(*this, encoding) : WriteBom;
}

// The text goes out in parts as it is produced: the whole text is never held,
// neither as characters nor as bytes.
void TKvMemIni::SaveToStream(QIODevice &stream, quint32 encoding) const
{
    const auto write = [&](QByteArrayView part) { WriteAll(stream, part); };
    if (KeepLayout && ReadLayout())
        KvLayoutWriter::Encode(*this, encoding, write);
    else
        EncodeDocument(*this, encoding, write, WritesUsualFormWithLf(*this));
}

void TKvMemIni::SaveToFile(const QString &fileName, quint32 encoding)
{
    FileName = fileName;
    SafeSaveFile(fileName, [&](QIODevice &file) { SaveToStream(file, encoding); });
}
