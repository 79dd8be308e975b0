#pragma once

// Pairs the sections (or the value items) of several documents by name and
// occurrence, for the comparison and the merge.

#include "kvmemini.h"

#include <QChar>
#include <QHashFunctions>
#include <QVarLengthArray>

#include <algorithm>
#include <array>
#include <span>
#include <vector>

namespace KvNameMatch {

// One UTF-16 code unit in lower case, the mapping Find uses (QChar::toLower
// per code unit, so lengths never change); ASCII inline for speed.
inline char16_t FoldUnit(char16_t c)
{
    if (c < 128)
        return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
    return char16_t(QChar::toLower(c));
}

inline bool SameName(QStringView a, QStringView b, bool fold)
{
    if (!fold)
        return a == b;
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (a[i] != b[i] && FoldUnit(a[i].unicode()) != FoldUnit(b[i].unicode()))
            return false;
    }
    return true;
}

// The hash of a name, folded or not (equal for names SameName pairs).
inline size_t NameHash(QStringView name, bool fold)
{
    if (!fold)
        return qHash(name, 0);
    QVarLengthArray<char16_t, 64> folded(name.size());
    for (qsizetype i = 0; i < name.size(); ++i)
        folded[i] = FoldUnit(name[i].unicode());
    return qHash(QStringView(folded.data(), folded.size()), 0);
}

inline QStringView NameOf(const TKvIniSection *section)
{
    return section->Name;
}
inline QStringView NameOf(const TKvIniVal *val)
{
    return val->NameView();
}

// One identity: the object of each side that has it (null where a side
// lacks it) and the occurrence of its name.
template <typename T, int N> struct Row
{
    std::array<const T *, N> Side{};
    qint32 Occurrence = -1;

    QStringView Name() const
    {
        for (const T *object : Side) {
            if (object)
                return NameOf(object);
        }
        return {};
    }
};

template <typename T, int N> struct Matching
{
    // The identities in the order of side 0, then those new on side 1, and so on.
    std::vector<Row<T, N>> Rows;
    bool Fold = false;

    // The occurrences are counted only once a caller needs them: when every
    // side holds the same names in the same order (a file and its copy with
    // changed values), pairing is by position and needs no counting.
    void EnsureOccurrences();
};

// The rows of each distinct name, chained in occurrence order, found through
// an open-addressing table. Pairing a million items is bound by cache misses,
// so a table entry carries part of the name's hash (most probes end without
// touching a slot) and lookups are made in batches whose table entries are
// fetched ahead.
template <typename T, int N> class RowChains
{
public:
    struct Slot
    {
        QStringView Name;
        qint32 LastRow = -1;
        // The row of each side's next occurrence; NoRow once the side has
        // passed every row there is.
        std::array<qint32, N> Cursor;
    };
    static constexpr qint32 NoRow = -1;

    RowChains(std::vector<Row<T, N>> &rows, size_t names, bool fold)
        : m_rows(rows)
        , m_fold(fold)
    {
        size_t capacity = 16;
        while (capacity < names * 2)
            capacity *= 2;
        m_table.assign(capacity, Entry{});
        m_slots.reserve(names);
        m_nextRow.reserve(rows.capacity());
    }

    // Puts the objects of one side into the rows, side 0 first: the k-th
    // occurrence of a name joins the k-th row of that name, made by the first
    // side that had k + 1 of them.
    void AddSide(int side, std::span<const T *const> objects)
    {
        constexpr size_t Batch = 16;
        std::array<size_t, Batch> hashes;
        for (size_t first = 0; first < objects.size(); first += Batch) {
            const size_t count = std::min(Batch, objects.size() - first);
            for (size_t i = 0; i < count; ++i) {
                hashes[i] = NameHash(NameOf(objects[first + i]), m_fold);
                __builtin_prefetch(&m_table[hashes[i] & (m_table.size() - 1)]);
            }
            for (size_t i = 0; i < count; ++i)
                Add(side, objects[first + i], hashes[i]);
        }
    }

    // The occurrence of every row, counted in row order.
    void CountOccurrences()
    {
        for (Row<T, N> &row : m_rows) {
            Slot &slot = SlotOf(row.Name(), NameHash(row.Name(), m_fold));
            row.Occurrence = slot.LastRow == NoRow ? 0 : m_rows[size_t(slot.LastRow)].Occurrence + 1;
            slot.LastRow = qint32(&row - m_rows.data());
        }
    }

private:
    struct Entry
    {
        quint32 Tag = 0;
        qint32 Slot = -1;
    };

    void Add(int side, const T *object, size_t hash)
    {
        Slot &slot = SlotOf(NameOf(object), hash);
        qint32 &cursor = slot.Cursor[size_t(side)];
        if (cursor != NoRow) {
            m_rows[size_t(cursor)].Side[size_t(side)] = object;
            cursor = m_nextRow[size_t(cursor)];
            return;
        }
        const qint32 made = qint32(m_rows.size());
        Row<T, N> &row = m_rows.emplace_back();
        row.Side[size_t(side)] = object;
        row.Occurrence = slot.LastRow == NoRow ? 0 : m_rows[size_t(slot.LastRow)].Occurrence + 1;
        m_nextRow.push_back(NoRow);
        if (slot.LastRow != NoRow)
            m_nextRow[size_t(slot.LastRow)] = made;
        else
            Start(slot, side, made);
        slot.LastRow = made;
    }

    // A name first met on a side: the later sides will start at its first row.
    static void Start(Slot &slot, int side, qint32 firstRow)
    {
        for (int s = side + 1; s < N; ++s)
            slot.Cursor[size_t(s)] = firstRow;
    }

    // The slot of a name, made (with every cursor at NoRow) when it is new.
    Slot &SlotOf(QStringView name, size_t hash)
    {
        const size_t mask = m_table.size() - 1;
        const quint32 tag = quint32(hash >> 32) | 1; // never 0, the tag of an empty entry
        for (size_t i = hash & mask;; i = (i + 1) & mask) {
            Entry &entry = m_table[i];
            if (entry.Slot < 0) {
                entry = Entry{tag, qint32(m_slots.size())};
                Slot &slot = m_slots.emplace_back();
                slot.Name = name;
                slot.Cursor.fill(NoRow);
                return slot;
            }
            if (entry.Tag == tag) {
                Slot &slot = m_slots[size_t(entry.Slot)];
                if (SameName(slot.Name, name, m_fold))
                    return slot;
            }
        }
    }

    std::vector<Row<T, N>> &m_rows;
    bool m_fold;
    std::vector<Entry> m_table;
    std::vector<Slot> m_slots;
    std::vector<qint32> m_nextRow; // the row of the next occurrence of the same name
};

template <typename T, int N> void Matching<T, N>::EnsureOccurrences()
{
    if (Rows.empty() || Rows.front().Occurrence >= 0)
        return;
    RowChains<T, N>(Rows, Rows.size(), Fold).CountOccurrences();
}

template <typename T> using Side = std::span<const T *const>;

template <typename T, int N> Matching<T, N> Match(const std::array<Side<T>, N> &sides, bool fold)
{
    Matching<T, N> result;
    result.Fold = fold;

    bool inStep = true;
    for (int s = 1; s < N && inStep; ++s)
        inStep = sides[s].size() == sides[0].size();
    for (size_t i = 0; i < sides[0].size() && inStep; ++i) {
        for (int s = 1; s < N && inStep; ++s)
            inStep = SameName(NameOf(sides[0][i]), NameOf(sides[s][i]), fold);
    }
    if (inStep) {
        result.Rows.resize(sides[0].size());
        for (size_t i = 0; i < sides[0].size(); ++i) {
            for (int s = 0; s < N; ++s)
                result.Rows[i].Side[s] = sides[s][i];
        }
        return result;
    }

    size_t total = 0;
    for (int s = 0; s < N; ++s)
        total += sides[s].size();
    result.Rows.reserve(sides[0].size() + sides[0].size() / 8);
    RowChains<T, N> chains(result.Rows, total, fold);
    for (int s = 0; s < N; ++s)
        chains.AddSide(s, sides[s]);
    return result;
}

inline Side<TKvIniSection> SectionsOf(const TKvMemIni &ini)
{
    return {ini.Sections.Items(), size_t(ini.Sections.Count())};
}

// The value items of a section (none for a missing one), in order.
inline std::vector<const TKvIniVal *> ValueItems(const TKvIniSection *section)
{
    std::vector<const TKvIniVal *> items;
    if (!section)
        return items;
    items.reserve(size_t(section->Vals.Count()));
    for (const TKvIniVal *val : section->Vals) {
        if (val->Kind() == ikValue)
            items.push_back(val);
    }
    return items;
}

} // namespace KvNameMatch
