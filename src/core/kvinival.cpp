// The entry: its texts, the kind rule and the field normalisation.
#include "kvmemini.h"

#include "kvwritebuffer.h"

#include <cstring>
#include <limits>

#include "kvasan.h"

namespace {

bool IsSpaceOrTab(char16_t c)
{
    return c == u' ' || c == u'\t';
}

// A character the normalisation drops or rewrites: below 32 and not a tab.
bool IsControl(char16_t c)
{
    return c < 32 && c != u'\t';
}

} // namespace

// One per line of a document: the size is part of what a document costs.
static_assert(sizeof(void *) != 8 || sizeof(TKvIniVal) == 24);

TKvIniVal::TKvIniVal(QStringView name, QStringView value, QStringView comment)
{
    StoreTexts(NormaliseField(name), NormaliseField(value), NormaliseField(comment));
    UpdateKind();
}

void TKvIniVal::operator delete(TKvIniVal *val, std::destroying_delete_t)
{
    if (!val)
        return;
    const bool inStore = (val->m_flags & InStore) != 0;
    val->~TKvIniVal();
    if (!inStore) {
        // Unsized: clang only offers the sized form with -fsized-deallocation.
        ::operator delete(val);
        return;
    }
#if defined(KV_ASAN)
    // The store frees the memory later; until then nothing may use it.
    ASAN_POISON_MEMORY_REGION(val, sizeof(TKvIniVal));
#endif
}

QString TKvIniVal::NormaliseField(QStringView text)
{
    const QChar *first = text.begin();
    const QChar *end = text.end();
    while (first != end && IsSpaceOrTab(first->unicode()))
        ++first;

    bool hasControl = false;
    for (const QChar *p = first; p != end; ++p) {
        if (IsControl(p->unicode())) {
            hasControl = true;
            break;
        }
    }

    QString result;
    if (!hasControl) {
        result = QStringView(first, end).toString();
    } else {
        result.reserve(end - first);
        for (const QChar *p = first; p != end; ++p) {
            const char16_t c = p->unicode();
            if (c == u'\n')
                result += QLatin1Char(' ');
            else if (!IsControl(c))
                result += *p;
        }
    }
    qsizetype length = result.size();
    while (length > 0 && IsSpaceOrTab(result.at(length - 1).unicode()))
        --length;
    result.truncate(length);
    return result;
}

TKvIniVal *TKvIniVal::Clone() const
{
    auto *copy = new TKvIniVal(Kind());
    copy->StoreTexts(NameView(), ValueView(), CommentView());
    copy->m_flags |= m_flags & HashMarker;
    return copy;
}

void TKvIniVal::SetCommentMarker(char16_t marker)
{
    const quint8 flag = marker == u'#' ? HashMarker : 0;
    if ((m_flags & HashMarker) == flag)
        return;
    m_flags = quint8((m_flags & ~HashMarker) | flag | Changed);
}

void TKvIniVal::SetName(QStringView text)
{
    SetField(NameField, text);
}

void TKvIniVal::SetValue(QStringView text)
{
    SetField(ValueField, text);
}

void TKvIniVal::SetComment(QStringView text)
{
    SetField(CommentField, text);
}

void TKvIniVal::SetField(Field field, QStringView text)
{
    const QString normalised = NormaliseField(text);
    StoreTexts(field == NameField ? QStringView(normalised) : NameView(),
               field == ValueField ? QStringView(normalised) : ValueView(),
               field == CommentField ? QStringView(normalised) : CommentView());
    UpdateKind();
}

void TKvIniVal::UpdateKind()
{
    if (m_nameLen != 0)
        m_kind = ikValue;
    else if (m_valueLen != 0)
        m_kind = ikError;
    else if (m_commentLen != 0)
        m_kind = ikComment;
    else
        m_kind = ikBlank;
}

void TKvIniVal::StoreTexts(QStringView name, QStringView value, QStringView comment)
{
    StoreBlock(nullptr, name, value, comment);
    m_flags |= Changed;
}

void TKvIniVal::StoreAnchoredTexts(const char16_t *anchor, QStringView name, QStringView value,
                                   QStringView comment)
{
    StoreBlock(anchor, name, value, comment);
}

void TKvIniVal::StoreBlock(const char16_t *anchor, QStringView name, QStringView value, QStringView comment)
{
    const qsizetype total = name.size() + value.size() + comment.size();
    Q_ASSERT(total <= std::numeric_limits<qint32>::max());
    // The new block is filled before the old one goes: the texts may live in it.
    // An anchored block keeps the anchor in front of the texts.
    const qsizetype front = anchor ? AnchorUnits : 0;
    char16_t *block = nullptr;
    if (total + front > 0) {
        block = new char16_t[size_t(total + front)];
        if (anchor)
            std::memcpy(block, &anchor, sizeof anchor);
        char16_t *out = block + front;
        for (QStringView text : {name, value, comment}) {
            if (!text.isEmpty())
                std::memcpy(out, text.utf16(), size_t(text.size()) * sizeof(char16_t));
            out += text.size();
        }
    }
    FreeBlock();
    m_text = block ? block + front : u"";
    if (block)
        m_flags |= anchor ? (OwnsBlock | AnchorBlock) : OwnsBlock;
    m_nameLen = qint32(name.size());
    m_valueLen = qint32(value.size());
    m_commentLen = qint32(comment.size());
    m_valueGap = 0;
    m_commentGap = 0;
}

const char16_t *TKvIniVal::LineAnchor() const
{
    if ((m_flags & InStore) == 0 || (m_flags & Changed) != 0)
        return nullptr;
    if (m_flags & AnchorBlock) {
        const char16_t *anchor = nullptr;
        std::memcpy(&anchor, m_text - AnchorUnits, sizeof anchor);
        return anchor;
    }
    return (m_flags & OwnsBlock) ? nullptr : m_text;
}

namespace {

// An item whose name, or an error line whose text, starts with "[" or ";" was
// read from a line that began with a control character (which the trimming
// dropped); so was one whose name or text is a lone space or tab (what the
// trimming keeps of blanks and control characters only). Written as it
// stands, the line would read back as a header, a comment, a nameless item or
// a blank line; a form feed in front keeps it the item or error line it was.
constexpr char16_t LineLeadIn = u'\f';

bool NeedsLeadIn(QStringView first)
{
    if (first.isEmpty())
        return false;
    const QChar c = first.front();
    return c == u'[' || c == u';' || c == u' ' || c == u'\t';
}

} // namespace

bool TKvIniVal::WritesLeadIn() const
{
    return (Kind() == ikValue && NeedsLeadIn(NameView())) || (Kind() == ikError && NeedsLeadIn(ValueView()));
}

qsizetype TKvIniVal::TextLength() const
{
    switch (Kind()) {
    case ikValue:
        return (WritesLeadIn() ? 1 : 0) + m_nameLen + m_valueLen + 3
               + (m_commentLen != 0 ? m_commentLen + 2 : 0);
    case ikComment:
        return 2 + (m_commentLen != 0 ? m_commentLen + 1 : 0);
    case ikError:
        return (WritesLeadIn() ? 1 : 0) + m_valueLen + 2;
    case ikBlank:
        break;
    }
    return 2;
}

QChar *TKvIniVal::WriteText(QChar *out) const
{
    using KvWriteBuffer::Put;
    using KvWriteBuffer::PutLineEnd;
    if (WritesLeadIn())
        out = Put(out, LineLeadIn);
    switch (Kind()) {
    case ikValue:
        out = Put(out, NameView());
        out = Put(out, u'=');
        out = Put(out, ValueView());
        if (m_commentLen != 0) {
            out = Put(out, u' ');
            out = Put(out, u';');
            out = Put(out, CommentView());
        }
        break;
    case ikComment:
        if (m_commentLen != 0) {
            out = Put(out, CommentMarker());
            out = Put(out, CommentView());
        }
        break;
    case ikError:
        out = Put(out, ValueView());
        break;
    case ikBlank:
        break;
    }
    return PutLineEnd(out);
}

QString TKvIniVal::GetText(bool withComments) const
{
    QString text;
    if (m_nameLen != 0 && m_valueLen != 0)
        text.append(NameView()).append(u'=').append(ValueView());
    else if (m_nameLen != 0)
        text = Name();
    else if (m_valueLen != 0)
        text = Value();
    if (withComments && m_commentLen != 0)
        text.append(QStringView(text.isEmpty() ? u";" : u" ;")).append(CommentView());
    return text;
}
