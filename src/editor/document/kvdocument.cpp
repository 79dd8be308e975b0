#include "kvdocument.h"

TKvDocument::TKvDocument(QObject *parent)
    : QObject(parent)
    , m_ini(std::make_unique<TKvMemIni>())
{
    // Undoing back to the loaded or saved state clears the flag; redoing past it sets it.
    connect(&m_undoStack, &QUndoStack::cleanChanged, this,
            [this](bool clean) { emit ModifiedChanged(!clean); });
}

TKvDocument::~TKvDocument()
{
    // The steps may hold entries placed in the memory of the document's sections.
    m_undoStack.clear();
}

QString TKvEncodingIndexes::EncodingName(int encodingIndex)
{
    switch (encodingIndex) {
    case EncUtf8:
        return QStringLiteral("UTF-8");
    case EncUtf16LE:
        return QStringLiteral("UTF-16LE");
    case EncUtf16BE:
        return QStringLiteral("UTF-16BE");
    default:
        return QStringLiteral("ANSI");
    }
}

quint32 TKvEncodingIndexes::CodePageOf(int encodingIndex)
{
    switch (encodingIndex) {
    case EncAnsi:
        return KvEncoding::Ansi;
    case EncUtf16LE:
        return KvEncoding::Utf16LE;
    case EncUtf16BE:
        return KvEncoding::Utf16BE;
    default:
        return KvEncoding::Utf8;
    }
}

void TKvDocument::SetFile(const TKvFileState &file)
{
    if (m_file == file)
        return;
    m_file = file;
    emit FileStateChanged();
}

void TKvDocument::Replace(std::unique_ptr<TKvMemIni> ini)
{
    const TKvIniCounts counts = ini->CountAll();
    Replace(std::move(ini), counts);
}

void TKvDocument::ReplaceWithRead(std::unique_ptr<TKvMemIni> ini)
{
    Q_ASSERT(ini->ReadCounts() == ini->CountAll());
    const TKvIniCounts counts = ini->ReadCounts();
    Replace(std::move(ini), counts);
}

void TKvDocument::Replace(std::unique_ptr<TKvMemIni> ini, const TKvIniCounts &counts)
{
    emit AboutToReset();
    // The steps go before the entries they may hold.
    m_undoStack.clear();
    m_ini = std::move(ini);
    m_counts = counts;
    emit DocumentReset();
    emit CountsChanged();
}

void TKvDocument::Count(const TKvIniSection &section, qint64 delta)
{
    for (const TKvIniVal *val : section.Vals)
        m_counts.AddKind(val->Kind(), delta);
    m_counts.Sections += delta;
}

void TKvDocument::InsertSections(qint32 index, const std::vector<TKvIniSection *> &sections)
{
    if (sections.empty())
        return;
    TKvPtrVector<TKvIniSection> &all = m_ini->Sections;
    if (index < 0 || index > all.Count())
        index = all.Count();
    const auto count = qint32(sections.size());
    emit SectionsAboutToBeInserted(index, count);
    all.InsertRange(index, sections.data(), count);
    for (const TKvIniSection *section : sections)
        Count(*section, 1);
    emit SectionsInserted(index, count);
    emit CountsChanged();
}

std::vector<TKvIniSection *> TKvDocument::TakeSections(qint32 index, qint32 count)
{
    TKvPtrVector<TKvIniSection> &all = m_ini->Sections;
    if (index < 0 || count <= 0 || index + count > all.Count())
        return {};
    emit SectionsAboutToBeRemoved(index, count);
    std::vector<TKvIniSection *> taken(all.begin() + index, all.begin() + index + count);
    all.TakeRange(index, count);
    for (const TKvIniSection *section : taken)
        Count(*section, -1);
    emit SectionsRemoved(index, count);
    emit CountsChanged();
    return taken;
}

void TKvDocument::SwapSectionText(TKvIniSection *section, QString &name, QString &comment)
{
    std::swap(section->Name, name);
    std::swap(section->Comment, comment);
    emit SectionChanged(section);
}

void TKvDocument::InsertVals(TKvIniSection *section, qint32 position, const std::vector<TKvIniVal *> &vals)
{
    if (vals.empty())
        return;
    TKvPtrVector<TKvIniVal> &all = section->Vals;
    if (position < 0 || position > all.Count())
        position = all.Count();
    emit ValsAboutToBeInserted(section, position, vals);
    all.InsertRange(position, vals.data(), qint32(vals.size()));
    for (const TKvIniVal *val : vals)
        m_counts.AddKind(val->Kind(), 1);
    emit ValsInserted(section, position, int(vals.size()));
    emit SectionChanged(section);
    emit CountsChanged();
}

std::vector<TKvIniVal *> TKvDocument::TakeVals(TKvIniSection *section, qint32 position, qint32 count)
{
    TKvPtrVector<TKvIniVal> &all = section->Vals;
    if (position < 0 || count <= 0 || position + count > all.Count())
        return {};
    emit ValsAboutToBeRemoved(section, position, count);
    std::vector<TKvIniVal *> taken(all.begin() + position, all.begin() + position + count);
    all.TakeRange(position, count);
    for (const TKvIniVal *val : taken)
        m_counts.AddKind(val->Kind(), -1);
    emit ValsRemoved(section, position, count);
    emit SectionChanged(section);
    emit CountsChanged();
    return taken;
}

TKvIniVal *TKvDocument::ReplaceVal(TKvIniSection *section, qint32 position, TKvIniVal *val)
{
    TKvIniVal *old = section->Vals[position];
    emit ValAboutToBeReplaced(section, position, old);
    section->Vals.Replace(position, val);
    m_counts.AddKind(old->Kind(), -1);
    m_counts.AddKind(val->Kind(), 1);
    emit ValReplaced(section, position, old, val);
    if (old->Kind() != val->Kind()) {
        // The section's count in values-only mode, and the counters.
        emit SectionChanged(section);
        emit CountsChanged();
    }
    return old;
}

void TKvDocument::Reorder(TKvIniSection *section, const std::function<void(TKvMemIni &)> &change)
{
    emit AboutToReorder(section);
    change(*m_ini);
    emit Reordered(section);
}
