#include "comparesession.h"

#include "document/kvdocument.h"
#include "takeotherstep.h"

#include <QFileInfo>

#include <limits>

namespace {

// How many items a section's tooltip names that the document lacks.
constexpr size_t MissingNamed = 8;

QString ItemText(const TKvIniVal &val, const TKvCompareOptions &options)
{
    QString text = val.Name() + u'=' + val.Value();
    if (options.WithComments && !val.CommentView().isEmpty())
        text += QStringLiteral(" ;") + val.Comment();
    return text;
}

} // namespace

TCompareSession::TCompareSession(TKvDocument &document, std::unique_ptr<TKvMemIni> other,
                                 const QString &otherPath, const TKvCompareOptions &options, QObject *parent)
    : QObject(parent)
    , m_document(document)
    , m_other(std::move(other))
    , m_otherPath(otherPath)
    , m_options(options)
{
    Follow();
}

TCompareSession::~TCompareSession() = default;

// ---- Following the document -----------------------------------------------------

void TCompareSession::Follow()
{
    const TKvDocument *document = &m_document;
    connect(document, &TKvDocument::AboutToReset, this, &TCompareSession::ChangedAll);
    connect(document, &TKvDocument::DocumentReset, this, &TCompareSession::ChangedAll);
    connect(document, &TKvDocument::SectionsInserted, this, &TCompareSession::ChangedAll);
    connect(document, &TKvDocument::SectionsRemoved, this, &TCompareSession::ChangedAll);
    connect(document, &TKvDocument::SectionChanged, this, &TCompareSession::RenamedOrChanged);
    connect(document, &TKvDocument::ValsInserted, this,
            [this](TKvIniSection *section) { ChangedSection(section); });
    connect(document, &TKvDocument::ValsRemoved, this,
            [this](TKvIniSection *section) { ChangedSection(section); });
    connect(document, &TKvDocument::ValReplaced, this,
            [this](TKvIniSection *section) { ChangedSection(section); });
    connect(document, &TKvDocument::Reordered, this, [this](TKvIniSection *section) {
        // Another order of a section's entries can pair its duplicate keys anew.
        section ? ChangedSection(section) : ChangedAll();
    });
}

// Once the changes under way have settled: one signal for a step of many.
void TCompareSession::TellLater()
{
    if (m_tellPending)
        return;
    m_tellPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_tellPending = false;
            emit MarksChanged();
        },
        Qt::QueuedConnection);
}

void TCompareSession::ChangedAll()
{
    m_allStale = true;
    m_staleSections.clear();
    TellLater();
}

void TCompareSession::ChangedSection(const TKvIniSection *section)
{
    if (!m_allStale) {
        const auto found = m_indexOf.find(section);
        if (found == m_indexOf.end()) {
            ChangedAll();
            return;
        }
        m_staleSections.insert(found->second);
    }
    TellLater();
}

// The signal does not say what changed: a section with another name may
// pair with another section of the other file, and so may the sections of
// that name after it.
void TCompareSession::RenamedOrChanged(const TKvIniSection *section)
{
    if (!m_allStale) {
        const auto found = m_indexOf.find(section);
        if (found == m_indexOf.end()
            || !KvCompare::SameName(section->Name, m_names[size_t(found->second)], m_options.IgnoreCase)) {
            ChangedAll();
            return;
        }
    }
    ChangedSection(section);
}

// ---- Comparing ----------------------------------------------------------------------

void TCompareSession::Update()
{
    if (m_allStale) {
        CompareAll();
    } else if (!m_staleSections.empty()) {
        for (const qint32 index : m_staleSections)
            CompareSection(index);
    } else {
        return;
    }
    m_allStale = false;
    m_staleSections.clear();
    BuildMarks();
}

void TCompareSession::CompareAll()
{
    ++m_wholeComparisons;
    const TKvMemIni &ini = m_document.Ini();
    m_pairs = KvCompare::PairSections(ini, *m_other, m_options);
    m_differences = KvCompare::Diff(ini, *m_other, m_options);
    const auto count = size_t(ini.Sections.Count());
    m_names.resize(count);
    m_indexOf.clear();
    m_indexOf.reserve(count);
    for (qint32 i = 0; i < ini.Sections.Count(); ++i) {
        m_names[size_t(i)] = ini.Sections[i]->Name;
        m_indexOf.emplace(ini.Sections[i], i);
    }
    // The differences come section by section in the document's order, then
    // those of the sections only the other file has.
    m_sectionStart.assign(count + 1, 0);
    for (const TKvDifference &difference : m_differences) {
        if (difference.SectionA)
            ++m_sectionStart[size_t(m_indexOf.at(difference.SectionA)) + 1];
    }
    for (size_t i = 0; i < count; ++i)
        m_sectionStart[i + 1] += m_sectionStart[i];
}

void TCompareSession::CompareSection(qint32 index)
{
    const KvCompare::TKvSectionPair &pair = m_pairs[size_t(index)];
    std::vector<TKvDifference> fresh =
        KvCompare::DiffSectionPair(m_document.Ini().Sections[index], pair.B, pair.Occurrence, m_options);
    const auto begin = m_differences.begin() + m_sectionStart[size_t(index)];
    const auto end = m_differences.begin() + m_sectionStart[size_t(index) + 1];
    const qsizetype delta = qsizetype(fresh.size()) - qsizetype(end - begin);
    const auto at = m_differences.erase(begin, end);
    m_differences.insert(at, fresh.begin(), fresh.end());
    for (size_t i = size_t(index) + 1; i < m_sectionStart.size(); ++i)
        m_sectionStart[i] += delta;
}

void TCompareSession::BuildMarks()
{
    m_marks = TCompareMarks(m_document.Ini(), m_differences, TCompareSide::A);
    m_otherMarks.reset();
}

const TCompareMarks &TCompareSession::Marks()
{
    Update();
    return m_marks;
}

const TCompareMarks &TCompareSession::OtherMarks()
{
    Update();
    if (!m_otherMarks)
        m_otherMarks.emplace(*m_other, m_differences, TCompareSide::B);
    return *m_otherMarks;
}

const std::vector<TKvDifference> &TCompareSession::Differences()
{
    Update();
    return m_differences;
}

qint32 TCompareSession::SectionIndex(const TKvIniSection *section)
{
    Update();
    const auto found = m_indexOf.find(section);
    return found != m_indexOf.end() ? found->second : -1;
}

// ---- Moving between differences ---------------------------------------------------

TComparePosition TCompareSession::PositionOf(const TKvListSelection &selection)
{
    const qint32 section = SectionIndex(selection.Section);
    if (section < 0)
        return {};
    return {section, selection.Val ? qint32(selection.Position) : -1};
}

namespace {

std::optional<TKvListSelection> SelectionAt(const TKvMemIni &ini, TKvListSelection selection,
                                            std::optional<TComparePosition> position)
{
    if (!position)
        return std::nullopt;
    TKvIniSection *section = ini.Sections[position->Section];
    selection.Section = section;
    selection.Position = position->Entry;
    selection.Val = position->Entry >= 0 ? section->Vals[position->Entry] : nullptr;
    return selection;
}

} // namespace

std::optional<TKvListSelection> TCompareSession::NextDifference(const TKvListSelection &from)
{
    const TComparePosition position = PositionOf(from);
    return SelectionAt(m_document.Ini(), from, m_marks.Next(position));
}

std::optional<TKvListSelection> TCompareSession::PreviousDifference(const TKvListSelection &from)
{
    TComparePosition position = PositionOf(from);
    // Without a selection, Previous starts from the end.
    if (position.Section < 0)
        position = {std::numeric_limits<qint32>::max(), -1};
    return SelectionAt(m_document.Ini(), from, m_marks.Previous(position));
}

// ---- Tooltips -------------------------------------------------------------------------

QString TCompareSession::EntryToolTip(qint32 section, qint32 entry)
{
    const TCompareMarks &marks = Marks();
    switch (marks.EntryMark(section, entry)) {
    case TCompareMark::Same:
        return {};
    case TCompareMark::Changed: {
        const TKvIniVal *other = marks.OtherEntry(section, entry);
        if (!other)
            return {};
        QString text = QStringLiteral("Other file: ") + other->Value();
        if (m_options.WithComments && !other->CommentView().isEmpty())
            text += QStringLiteral(" ;") + other->Comment();
        return text;
    }
    default:
        return QStringLiteral("Only in this file");
    }
}

QString TCompareSession::SectionToolTip(qint32 section)
{
    const TCompareMarks &marks = Marks();
    switch (marks.SectionMark(section)) {
    case TCompareMark::Same:
        return {};
    case TCompareMark::Changed:
        break;
    default:
        return QStringLiteral("Only in this file");
    }
    QStringList lines{QStringLiteral("Differs from the other file")};
    const TKvIniSection *other = marks.OtherSection(section);
    const TKvIniSection *here = m_document.Ini().Sections[section];
    if (m_options.WithComments && other && other->Comment != here->Comment)
        lines << QStringLiteral("Other file's comment: ") + other->Comment;
    const std::vector<const TKvIniVal *> &missing = marks.MissingEntries(section);
    for (size_t i = 0; i < missing.size() && i < MissingNamed; ++i)
        lines << QStringLiteral("Only in the other file: ") + ItemText(*missing[i], m_options);
    if (missing.size() > MissingNamed)
        lines << QStringLiteral("and %1 more only in the other file").arg(missing.size() - MissingNamed);
    return lines.join(u'\n');
}

QString TCompareSession::Summary()
{
    const TCompareMarks &marks = Marks();
    const QString name = QFileInfo(m_otherPath).fileName();
    if (marks.Equal())
        return QStringLiteral("Compared with %1: no differences").arg(name);
    QString text = QStringLiteral("Compared with %1: %2 differences").arg(name).arg(m_differences.size());
    QStringList only;
    for (const TKvIniSection *section : marks.MissingSections())
        only << u'[' + section->Name + u']';
    if (!only.isEmpty())
        text += QStringLiteral("; only in the other file: ") + only.join(QStringLiteral(", "));
    return text;
}

// ---- Taking the other versions ------------------------------------------------------

TKvTakeOtherStep *TCompareSession::MakeStep(TKvSelection &selection, const QString &name,
                                            const std::vector<const TKvDifference *> &differences)
{
    if (differences.empty())
        return nullptr;
    return new TKvTakeOtherStep(m_document, selection, name, differences, m_options);
}

TKvTakeOtherStep *TCompareSession::TakeOtherEntry(TKvSelection &selection)
{
    const TComparePosition at = PositionOf(selection.Current());
    if (at.Entry < 0)
        return nullptr;
    const TKvDifference *difference = Marks().EntryDifference(at.Section, at.Entry);
    if (!difference)
        return nullptr;
    return MakeStep(selection, QStringLiteral("Take Other Value"), {difference});
}

TKvTakeOtherStep *TCompareSession::TakeOtherSection(TKvSelection &selection)
{
    const TComparePosition at = PositionOf(selection.Current());
    if (at.Section < 0)
        return nullptr;
    return MakeStep(selection, QStringLiteral("Take Other Section"), Marks().SectionDifferences(at.Section));
}

TKvTakeOtherStep *TCompareSession::TakeAllOther(TKvSelection &selection)
{
    std::vector<const TKvDifference *> all;
    all.reserve(Differences().size());
    for (const TKvDifference &difference : m_differences)
        all.push_back(&difference);
    return MakeStep(selection, QStringLiteral("Take All Other Values"), all);
}
