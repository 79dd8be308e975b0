// Copying sections, the comment toggle and sorting.
//
// Sorting moves pointers only. Texts are ordered by the collation of the
// user's locale, ignoring case. Instead of calling the collator for every
// comparison (far too slow for sections of a million entries), collation sort
// keys are built once per text (texts that repeat share one) and compared.
#include "kvmemini.h"

#include <QCollator>
#include <QHashFunctions>
#include <QLocale>

#include <algorithm>
#include <array>
#include <numeric>
#include <optional>
#include <vector>

TKvIniSection *TKvMemIni::CopySection(const TKvIniSection *source, const QString &newName)
{
    TKvIniSection *copy = AddSection(newName);
    // The copies go through the three-text constructor, so their texts are
    // normalised and their kinds follow the kind rule; comment lines keep
    // their marker.
    for (const TKvIniVal *val : source->Vals)
        copy->AddVal(val->NameView(), val->ValueView(), val->CommentView())
            ->SetCommentMarker(val->CommentMarker());
    return copy;
}

char16_t TKvMemIni::NewCommentMarker() const
{
    return m_commentLines.Hash > m_commentLines.Semicolon ? u'#' : u';';
}

qint32 TKvIniSection::NewItemIndex() const
{
    for (qint32 i = Vals.Count() - 1; i >= 0; --i) {
        if (Vals[i]->Kind() == ikValue)
            return i + 1;
    }
    qint32 index = Vals.Count();
    while (index > 0 && Vals[index - 1]->Kind() == ikBlank)
        --index;
    return index;
}

namespace {

// An empty text that still points somewhere (StoreTexts copies from it).
constexpr QStringView NoText = u"";

} // namespace

void TKvIniVal::ToggleComment()
{
    ToggleComment(CommentMarker());
}

void TKvIniVal::ToggleComment(char16_t marker)
{
    if (Kind() == ikComment) {
        if (m_commentLen == 0) {
            SetKind(ikBlank);
        } else if (CommentView().contains(u'=')) {
            // The comment is an item that was commented out: read it back as a
            // value line (ParseLine copies the text before it changes the entry).
            ParseLine(CommentView());
            UpdateKind();
        } else {
            StoreTexts(NameView(), CommentView(), NoText);
            SetKind(ikError);
        }
        return;
    }

    QString text;
    if (m_nameLen != 0 && m_valueLen != 0)
        text.append(NameView()).append(u'=').append(ValueView());
    else if (m_valueLen != 0)
        text = Value();
    else if (Kind() == ikValue)
        text.append(NameView()).append(u'=');
    else
        text = Name();
    if (m_commentLen != 0) {
        if (text.isEmpty())
            text = Comment();
        else
            text.append(u" ;").append(CommentView());
    }
    // Stored as it is, and the kind set directly: a blank entry commented out
    // is a comment entry with an empty comment, which toggles back to blank.
    StoreTexts(NoText, NoText, text);
    SetKind(ikComment);
    SetCommentMarker(marker);
}

namespace {

enum class SortField { Name, Value, Comment, Count };
using SortFields = std::array<SortField, 3>;

SortFields EntryFields(TKvSortKey key)
{
    switch (key) {
    case skValue:
        return {SortField::Value, SortField::Name, SortField::Comment};
    case skComment:
        return {SortField::Comment, SortField::Name, SortField::Value};
    case skName:
    case skCount:
        break;
    }
    return {SortField::Name, SortField::Value, SortField::Comment};
}

// Sections are not reordered by value.
std::optional<SortFields> SectionFields(TKvSortKey key)
{
    switch (key) {
    case skName:
        return SortFields{SortField::Name, SortField::Count, SortField::Comment};
    case skCount:
        return SortFields{SortField::Count, SortField::Name, SortField::Comment};
    case skComment:
        return SortFields{SortField::Comment, SortField::Name, SortField::Count};
    case skValue:
        break;
    }
    return std::nullopt;
}

QStringView FieldText(const TKvIniVal *val, SortField field)
{
    switch (field) {
    case SortField::Name:
        return val->NameView();
    case SortField::Value:
        return val->ValueView();
    case SortField::Comment:
        return val->CommentView();
    case SortField::Count:
        break;
    }
    return {};
}

QStringView FieldText(const TKvIniSection *section, SortField field)
{
    return field == SortField::Name ? QStringView(section->Name) : QStringView(section->Comment);
}

qint32 FieldCount(const TKvIniVal *)
{
    return 0;
}

qint32 FieldCount(const TKvIniSection *section)
{
    return section->Vals.Count();
}

// The user's locale's collation, ignoring case. In the C (POSIX) locale Qt has
// no collator and its sort keys would respect case, so the root collation
// (which English uses) stands in.
//
// Building a sort key costs far more than comparing two, and documents repeat
// their texts (the same key names in every section, the same comment on many
// lines), so texts seen recently share one key (a shared copy). The texts seen
// are remembered in a table of fixed size, one per slot of their hash, the
// later of two in one slot winning: what repeats is found, and a million
// distinct texts cost no more than a hash each and no growing table. The
// texts are remembered by view: they must stay unchanged while the collation
// lives, as they do during a sort.
class TextCollation
{
public:
    TextCollation()
        : m_collator(CollationLocale())
    {
        m_collator.setCaseSensitivity(Qt::CaseInsensitive);
    }

    // The text's sort key; equal texts seen recently share one. Tells
    // whether it was seen.
    const QCollatorSortKey &Key(QStringView text, bool *wasSeen = nullptr) const
    {
        if (m_seen.empty())
            m_seen.resize(SeenSlots);
        const size_t hash = qHash(text);
        Seen &seen = m_seen[hash & (SeenSlots - 1)];
        const bool found = seen.Key && seen.Hash == hash && seen.Text == text;
        if (!found) {
            seen.Key.emplace(NewKey(text));
            seen.Text = text;
            seen.Hash = hash;
        }
        if (wasSeen)
            *wasSeen = found;
        return *seen.Key;
    }

    // A key of the text's own, for texts that are not expected to repeat.
    QCollatorSortKey NewKey(QStringView text) const
    {
        // A view of the text, not a copy.
        return m_collator.sortKey(QString::fromRawData(text.data(), text.size()));
    }

private:
    static QLocale CollationLocale()
    {
        const QLocale locale;
        if (locale.language() == QLocale::C)
            return QLocale(QLocale::English, QLocale::UnitedStates);
        return locale;
    }

    static constexpr size_t SeenSlots = size_t(1) << 15; // a power of two

    struct Seen
    {
        QStringView Text;
        size_t Hash = 0;
        std::optional<QCollatorSortKey> Key;
    };

    QCollator m_collator;
    mutable std::vector<Seen> m_seen;
};

// The order of elements by up to three fields in turn, for a stable sort of
// their indices. The first field's keys are taken up front; the keys of the
// later fields only for elements that tie on the earlier ones.
template <typename T> class FieldOrder
{
public:
    FieldOrder(T *const *items, qsizetype count, const SortFields &fields, const TextCollation &collation)
        : m_items(items)
        , m_count(count)
        , m_fields(fields)
        , m_collation(collation)
    {
        if (m_fields[0] == SortField::Count)
            return;
        m_firstKeys.reserve(size_t(count));
        QStringView previous;
        // Where texts hardly repeat (a key name per line), looking for them
        // only costs: after a sample that finds few, keys are just built.
        qsizetype looked = 0;
        qsizetype found = 0;
        for (qsizetype i = 0; i < count; ++i) {
            // Runs of one text (the same comment on every line) need no lookup.
            const QStringView text = FieldText(items[i], m_fields[0]);
            if (i > 0 && text == previous) {
                m_firstKeys.push_back(m_firstKeys.back());
            } else if (looked < RepeatSample || found * 16 >= looked) {
                bool seen = false;
                m_firstKeys.push_back(m_collation.Key(text, &seen));
                ++looked;
                found += seen ? 1 : 0;
            } else {
                m_firstKeys.push_back(m_collation.NewKey(text));
            }
            previous = text;
        }
    }

    int Compare(quint32 a, quint32 b) const
    {
        for (size_t level = 0; level < m_fields.size(); ++level) {
            if (const int order = CompareField(level, a, b); order != 0)
                return order;
        }
        return 0;
    }

private:
    static constexpr qsizetype RepeatSample = 1024;

    int CompareField(size_t level, quint32 a, quint32 b) const
    {
        if (m_fields[level] == SortField::Count) {
            const qint32 countA = FieldCount(m_items[a]);
            const qint32 countB = FieldCount(m_items[b]);
            return countA < countB ? -1 : countA > countB ? 1 : 0;
        }
        if (level == 0)
            return m_firstKeys[a].compare(m_firstKeys[b]);
        return LaterKey(level, a).compare(LaterKey(level, b));
    }

    const QCollatorSortKey &LaterKey(size_t level, quint32 index) const
    {
        std::vector<std::optional<QCollatorSortKey>> &keys = m_laterKeys[level - 1];
        if (keys.empty())
            keys.resize(size_t(m_count));
        std::optional<QCollatorSortKey> &key = keys[index];
        if (!key)
            key.emplace(m_collation.Key(FieldText(m_items[index], m_fields[level])));
        return *key;
    }

    T *const *m_items;
    qsizetype m_count;
    SortFields m_fields;
    const TextCollation &m_collation;
    std::vector<QCollatorSortKey> m_firstKeys;
    mutable std::array<std::vector<std::optional<QCollatorSortKey>>, 2> m_laterKeys;
};

// Stable-sorts items[0, count) by the fields in turn.
template <typename T>
void SortByFields(T **items, qsizetype count, const SortFields &fields, const TextCollation &collation)
{
    if (count < 2)
        return;
    std::vector<quint32> order(static_cast<size_t>(count));
    std::iota(order.begin(), order.end(), 0u);
    {
        const FieldOrder<T> fieldOrder(items, count, fields, collation);
        auto less = [&fieldOrder](quint32 a, quint32 b) { return fieldOrder.Compare(a, b) < 0; };
        auto notGreater = [&fieldOrder](quint32 a, quint32 b) { return fieldOrder.Compare(a, b) <= 0; };
        // Lists are often sorted already, or sorted the other way round (a
        // column clicked twice); a strictly falling order reversed is the
        // stable ascending one.
        if (std::is_sorted(order.begin(), order.end(), less))
            return;
        if (std::adjacent_find(order.begin(), order.end(), notGreater) == order.end())
            std::reverse(order.begin(), order.end());
        else
            std::stable_sort(order.begin(), order.end(), less);
    }
    std::vector<T *> sorted(static_cast<size_t>(count));
    for (size_t i = 0; i < order.size(); ++i)
        sorted[i] = items[order[i]];
    std::copy(sorted.begin(), sorted.end(), items);
}

void SortEntries(TKvPtrVector<TKvIniVal> &vals, TKvSortKey key, bool ascending,
                 const TextCollation &collation)
{
    if (vals.Count() >= 2) {
        // Empty entries go to the end, in their order.
        TKvIniVal **emptyStart = std::stable_partition(vals.begin(), vals.end(),
                                                       [](const TKvIniVal *val) { return !val->IsEmpty(); });
        SortByFields(vals.begin(), emptyStart - vals.begin(), EntryFields(key), collation);
    }
    if (!ascending) {
        // Reverse everything up to the last entry that is not empty.
        qint32 last = vals.Count() - 1;
        while (last > 0 && vals[last]->IsEmpty())
            --last;
        vals.Reverse(0, last + 1);
    }
}

void SortSectionList(TKvPtrVector<TKvIniSection> &sections, TKvSortKey key, bool ascending,
                     const TextCollation &collation)
{
    const std::optional<SortFields> fields = SectionFields(key);
    if (sections.Count() >= 2 && fields) {
        // Nameless sections stay in front, in their order.
        TKvIniSection **namedStart =
            std::stable_partition(sections.begin(), sections.end(),
                                  [](const TKvIniSection *section) { return section->Name.isEmpty(); });
        SortByFields(namedStart, sections.end() - namedStart, *fields, collation);
    }
    if (!ascending) {
        qint32 first = 0;
        while (first < sections.Count() && sections[first]->Name.isEmpty())
            ++first;
        sections.Reverse(first, sections.Count());
    }
}

} // namespace

namespace {

// What a sort moved counts as changed: its line is written afresh.
void SortEntriesMarkingMoves(TKvPtrVector<TKvIniVal> &vals, TKvSortKey key, bool ascending,
                             const TextCollation &collation)
{
    const std::vector<TKvIniVal *> before(vals.begin(), vals.end());
    SortEntries(vals, key, ascending, collation);
    for (qint32 i = 0; i < vals.Count(); ++i) {
        if (vals[i] != before[size_t(i)])
            vals[i]->MarkChanged();
    }
}

void SortSectionsMarkingMoves(TKvPtrVector<TKvIniSection> &sections, TKvSortKey key, bool ascending,
                              const TextCollation &collation)
{
    const std::vector<TKvIniSection *> before(sections.begin(), sections.end());
    SortSectionList(sections, key, ascending, collation);
    for (qint32 i = 0; i < sections.Count(); ++i) {
        if (sections[i] != before[size_t(i)])
            sections[i]->ForgetHeaderLine();
    }
}

} // namespace

void TKvIniSection::SortVals(TKvSortKey key, bool ascending)
{
    SortEntriesMarkingMoves(Vals, key, ascending, TextCollation());
}

void TKvMemIni::SortSections(TKvSortKey key, bool ascending)
{
    SortSectionsMarkingMoves(Sections, key, ascending, TextCollation());
}

void TKvMemIni::SortAll(TKvSortKey key, bool ascending)
{
    // One collator for the whole document.
    const TextCollation collation;
    SortSectionsMarkingMoves(Sections, key, ascending, collation);
    for (TKvIniSection *section : Sections)
        SortEntriesMarkingMoves(section->Vals, key, ascending, collation);
}
