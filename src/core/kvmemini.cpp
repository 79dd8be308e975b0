// The document and section operations, counting and writing.
#include "kvmemini.h"

#include "kvfileerror.h"
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

qint32 TKvIniSection::CountKinds(TKvIniCounts &counts) const
{
    for (const TKvIniVal *val : Vals) {
        switch (val->Kind()) {
        case ikValue:
            ++counts.Values;
            break;
        case ikComment:
            ++counts.Comments;
            break;
        case ikBlank:
            ++counts.Blanks;
            break;
        default:
            ++counts.Errors;
            break;
        }
    }
    return Vals.Count;
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
    for (qint32 i = 0; i < Sections.Count; ++i) {
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

qsizetype SectionLength(const TKvIniSection &section, bool first)
{
    qsizetype length = 0;
    if (WritesHeader(section, first)) {
        length += section.Name.size() + 4;
        if (!section.Comment.isEmpty())
            length += section.Comment.size() + 2;
    }
    for (const TKvIniVal *val : section.Vals)
        length += val->TextLength();
    if (section.Vals.Count > 0 && section.Vals.Last()->Kind() != ikBlank)
        length += 2;
    return length;
}

QChar *WriteSection(const TKvIniSection &section, QChar *out, bool first)
{
    using KvWriteBuffer::Put;
    using KvWriteBuffer::PutLineEnd;
    if (WritesHeader(section, first)) {
        out = Put(out, u"[");
        out = Put(out, section.Name);
        out = Put(out, u"]");
        if (!section.Comment.isEmpty()) {
            out = Put(out, u" ;");
            out = Put(out, section.Comment);
        }
        out = PutLineEnd(out);
    }
    for (const TKvIniVal *val : section.Vals)
        out = val->WriteText(out);
    if (section.Vals.Count > 0 && section.Vals.Last()->Kind() != ikBlank)
        out = PutLineEnd(out);
    return out;
}

struct EncodedText
{
    QByteArrayView mark;
    QByteArray body;
};

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
    for (qint32 i = 0; i < Sections.Count; ++i)
        length += SectionLength(*Sections[i], i == 0);
    return length;
}

QString TKvMemIni::GetText() const
{
    const qsizetype length = TextLength();
    QString text(length + 100, Qt::Uninitialized);
    QChar *start = text.data();
    std::memset(static_cast<void *>(start + length), 0, 100 * sizeof(QChar));
    QChar *out = start;
    for (qint32 i = 0; i < Sections.Count; ++i)
        out = WriteSection(*Sections[i], out, i == 0);
    const qsizetype written = out - start;
    if (written != length) {
        ShowPlainMessage(QStringLiteral("Memory Error!\r\nNumber of :") + QString::number(written - length)
                         + QStringLiteral(" Bytes"));
    }
    text.truncate(written);
    return text;
}

namespace {

EncodedText EncodeDocument(const TKvMemIni &ini, quint32 encoding)
{
    EncodedText encoded;
    switch (encoding) {
    case KvEncoding::Utf8:
        encoded.mark = "\xEF\xBB\xBF";
        break;
    case KvEncoding::Utf16LE:
        encoded.mark = "\xFF\xFE";
        break;
    case KvEncoding::Utf16BE:
        encoded.mark = "\xFE\xFF";
        break;
    default:
        break;
    }
    if (!ini.WriteBom)
        encoded.mark = {};
    if (ini.Sections.Count == 0)
        return encoded;

    const QString text = ini.GetText();
    switch (encoding) {
    case KvEncoding::Utf8:
        encoded.body = KvTextCodec::EncodeUtf8(text);
        break;
    case KvEncoding::Utf16LE:
    case KvEncoding::Utf16BE:
        encoded.body.resize(text.size() * 2);
        if (encoding == KvEncoding::Utf16LE)
            qToLittleEndian<char16_t>(text.utf16(), text.size(), encoded.body.data());
        else
            qToBigEndian<char16_t>(text.utf16(), text.size(), encoded.body.data());
        break;
    default:
        encoded.body = KvTextCodec::EncodeAnsi(text);
        break;
    }
    return encoded;
}

} // namespace

QByteArray TKvMemIni::Encode(quint32 encoding) const
{
    const EncodedText encoded = EncodeDocument(*this, encoding);
    return encoded.mark.toByteArray() + encoded.body;
}

void TKvMemIni::SaveToStream(QIODevice &stream, quint32 encoding) const
{
    const EncodedText encoded = EncodeDocument(*this, encoding);
    WriteAll(stream, encoded.mark);
    WriteAll(stream, encoded.body);
}

void TKvMemIni::SaveToFile(const QString &fileName, quint32 encoding)
{
    FileName = fileName;
    SafeSaveFile(fileName, [&](QIODevice &file) { SaveToStream(file, encoding); });
}
