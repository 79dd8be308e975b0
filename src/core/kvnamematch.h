#pragma once

// Pairs the sections (or the value items) of several documents by name and
// occurrence, for the comparison and the merge.

#include "kvhugepages.h"
#include "kvmemini.h"

#include <QChar>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <optional>
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

// The hash of a name, folded or not (equal for names SameName pairs): a
// multiply-rotate round per four code units and a final mix. Qt's string
// hash is SipHash, several times slower on names of a few units, and
// pairing hashes every name of both sides.
inline size_t NameHash(QStringView name, bool fold)
{
    constexpr quint64 Prime1 = 0x9E3779B185EBCA87ULL;
    constexpr quint64 Prime2 = 0xC2B2AE3D27D4EB4FULL;
    const char16_t *units = name.utf16();
    const qsizetype size = name.size();
    auto unit = [&](qsizetype i) -> quint64 { return fold ? FoldUnit(units[i]) : units[i]; };
    quint64 hash = quint64(size) * Prime1;
    auto round = [&hash](quint64 lane) { hash = std::rotl(hash ^ (lane * Prime2), 31) * Prime1; };
    qsizetype i = 0;
    for (; i + 4 <= size; i += 4)
        round(unit(i) | unit(i + 1) << 16 | unit(i + 2) << 32 | unit(i + 3) << 48);
    quint64 tail = 0;
    for (; i < size; ++i)
        tail = tail << 16 | unit(i);
    round(tail);
    hash ^= hash >> 33;
    hash *= 0xFF51AFD7ED558CCDULL;
    hash ^= hash >> 33;
    hash *= 0xC4CEB9FE1A85EC53ULL;
    hash ^= hash >> 33;
    return size_t(hash);
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

// The rows of a matching: filled right after they are made, a million rows
// would otherwise fault in page by page.
template <typename T, int N> using RowList = std::vector<Row<T, N>, KvHugePageAllocator<Row<T, N>>>;

template <typename T, int N> struct Matching
{
    // The identities in the order of side 0, then those new on side 1, and so on.
    RowList<T, N> Rows;
    bool Fold = false;
    // Every row's Occurrence is counted. Rows paired by position are not
    // counted until a caller needs them (a row with Occurrence < 0).
    bool AllCounted = false;

    void EnsureOccurrences();
    // Counts at least the given rows (indices into Rows): a comparison needs
    // the occurrences of the few rows that differ, not of a million equal ones.
    void EnsureOccurrences(std::span<const size_t> rows);
};

// A set of distinct names, each with an index in the order added, in an
// open-addressing table. Pairing a million items is bound by cache misses,
// so a table entry carries part of the name's hash (most probes end without
// touching the names).
class NameTable
{
public:
    static constexpr qint32 Absent = -1;

    NameTable(size_t names, bool fold)
        : m_fold(fold)
    {
        size_t capacity = 16;
        while (capacity < names * 2)
            capacity *= 2;
        m_table.assign(capacity, Entry{});
        m_names.reserve(names);
    }

    size_t Size() const { return m_names.size(); }

    // Fetches the table entry of a hash ahead of a lookup.
    void Prefetch(size_t hash) const { __builtin_prefetch(&m_table[hash & (m_table.size() - 1)]); }

    qint32 Find(QStringView name, size_t hash) const
    {
        const size_t mask = m_table.size() - 1;
        const quint32 tag = TagOf(hash);
        for (size_t i = hash & mask;; i = (i + 1) & mask) {
            const Entry &entry = m_table[i];
            if (entry.Index < 0)
                return Absent;
            if (entry.Tag == tag && SameName(m_names[size_t(entry.Index)], name, m_fold))
                return entry.Index;
        }
    }

    // The index of a name, added (as index Size() - 1) when new.
    qint32 Insert(QStringView name, size_t hash)
    {
        const size_t mask = m_table.size() - 1;
        const quint32 tag = TagOf(hash);
        for (size_t i = hash & mask;; i = (i + 1) & mask) {
            Entry &entry = m_table[i];
            if (entry.Index < 0) {
                entry = Entry{tag, qint32(m_names.size())};
                m_names.push_back(name);
                return entry.Index;
            }
            if (entry.Tag == tag && SameName(m_names[size_t(entry.Index)], name, m_fold))
                return entry.Index;
        }
    }

private:
    struct Entry
    {
        quint32 Tag = 0;
        qint32 Index = -1;
    };
    static quint32 TagOf(size_t hash) { return quint32(hash >> 32) | 1; }

    bool m_fold;
    std::vector<Entry> m_table;
    std::vector<QStringView> m_names;
};

// The rows of each distinct name, chained in occurrence order. Lookups are
// made in batches whose table entries are fetched ahead.
template <typename T, int N> class RowChains
{
public:
    static constexpr qint32 NoRow = -1;

    RowChains(RowList<T, N> &rows, size_t names, bool fold)
        : m_rows(rows)
        , m_fold(fold)
        , m_names(names, fold)
    {
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
                m_names.Prefetch(hashes[i]);
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
    struct Slot
    {
        qint32 LastRow = NoRow;
        // The row of each side's next occurrence; NoRow once the side has
        // passed every row there is.
        std::array<qint32, N> Cursor;
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
        const size_t index = size_t(m_names.Insert(name, hash));
        if (index == m_slots.size())
            m_slots.emplace_back().Cursor.fill(NoRow);
        return m_slots[index];
    }

    RowList<T, N> &m_rows;
    bool m_fold;
    NameTable m_names;
    std::vector<Slot> m_slots;
    std::vector<qint32> m_nextRow; // the row of the next occurrence of the same name
};

template <typename T, int N> void Matching<T, N>::EnsureOccurrences()
{
    if (AllCounted)
        return;
    RowChains<T, N>(Rows, Rows.size(), Fold).CountOccurrences();
    AllCounted = true;
}

template <typename T, int N> void Matching<T, N>::EnsureOccurrences(std::span<const size_t> rows)
{
    if (AllCounted)
        return;
    // The uncounted rows are rows paired by position, and every row of their
    // name is one (MatchByPosition), so they count among the rows before the
    // last of them.
    NameTable names(rows.size(), Fold);
    size_t end = 0;
    for (size_t index : rows) {
        const Row<T, N> &row = Rows[index];
        if (row.Occurrence < 0) {
            names.Insert(row.Name(), NameHash(row.Name(), Fold));
            end = std::max(end, index + 1);
        }
    }
    if (names.Size() == 0)
        return;
    std::vector<qint32> next(names.Size(), 0); // the next occurrence of each name
    for (size_t i = 0; i < end; ++i) {
        Row<T, N> &row = Rows[i];
        const qint32 name = names.Find(row.Name(), NameHash(row.Name(), Fold));
        if (name == NameTable::Absent)
            continue;
        qint32 &occurrence = next[size_t(name)];
        if (row.Occurrence < 0)
            row.Occurrence = occurrence;
        occurrence = row.Occurrence + 1;
    }
}

template <typename T> using Side = std::span<const T *const>;

// Pairs every object through the chains.
template <typename T, int N> Matching<T, N> MatchInChains(const std::array<Side<T>, N> &sides, bool fold)
{
    Matching<T, N> result;
    result.Fold = fold;
    size_t total = 0;
    for (int s = 0; s < N; ++s)
        total += sides[s].size();
    result.Rows.reserve(sides[0].size() + sides[0].size() / 8);
    RowChains<T, N> chains(result.Rows, total, fold);
    for (int s = 0; s < N; ++s)
        chains.AddSide(s, sides[s]);
    result.AllCounted = true;
    return result;
}

// Pairs through the chains only the names that need them. A position where
// every side has the same name is aligned; a name met anywhere else (on any
// side, or beyond the shortest side) is unsettled. A name that is never
// unsettled stands only at aligned positions, so its k-th occurrences share
// a position and pair by it: a file and its copy with some values changed
// and a few keys replaced pair almost wholly by position, with a small table
// for the few unsettled names. Gives up (an empty result) when more than
// mostUnaligned objects stand at unaligned positions.
template <typename T, int N>
std::optional<Matching<T, N>> MatchByPosition(const std::array<Side<T>, N> &sides, bool fold,
                                              size_t mostUnaligned = SIZE_MAX)
{
    size_t shortest = sides[0].size();
    size_t total = 0;
    for (int s = 0; s < N; ++s) {
        shortest = std::min(shortest, sides[s].size());
        total += sides[s].size();
    }
    size_t unaligned = total - shortest * N;
    std::vector<bool> aligned(shortest, true);
    for (size_t i = 0; i < shortest && unaligned <= mostUnaligned; ++i) {
        for (int s = 1; s < N; ++s) {
            if (!SameName(NameOf(sides[0][i]), NameOf(sides[s][i]), fold)) {
                aligned[i] = false;
                unaligned += N;
                break;
            }
        }
    }
    if (unaligned > mostUnaligned)
        return std::nullopt;

    NameTable unsettled(unaligned, fold);
    for (int s = 0; s < N; ++s) {
        for (size_t i = 0; i < sides[s].size(); ++i) {
            if (i >= shortest || !aligned[i])
                unsettled.Insert(NameOf(sides[s][i]), NameHash(NameOf(sides[s][i]), fold));
        }
    }
    // From here on aligned[i] means paired by position: aligned, name settled.
    if (unsettled.Size() > 0) {
        for (size_t i = 0; i < shortest; ++i) {
            if (aligned[i]) {
                const QStringView name = NameOf(sides[0][i]);
                aligned[i] = unsettled.Find(name, NameHash(name, fold)) == NameTable::Absent;
            }
        }
    }

    Matching<T, N> result;
    result.Fold = fold;
    result.Rows.resize(sides[0].size());
    std::array<std::vector<const T *>, N> chained;
    std::vector<size_t> chainedPositions; // of side 0's chained objects
    for (size_t i = 0; i < sides[0].size(); ++i) {
        Row<T, N> &row = result.Rows[i];
        if (i < shortest && aligned[i]) {
            for (int s = 0; s < N; ++s)
                row.Side[s] = sides[s][i];
        } else {
            row.Side[0] = sides[0][i];
            chained[0].push_back(sides[0][i]);
            chainedPositions.push_back(i);
        }
    }
    for (int s = 1; s < N; ++s) {
        for (size_t i = 0; i < sides[s].size(); ++i) {
            if (i >= shortest || !aligned[i])
                chained[s].push_back(sides[s][i]);
        }
    }
    if (unsettled.Size() == 0)
        return result;

    RowList<T, N> chainRows;
    RowChains<T, N> chains(chainRows, unsettled.Size(), fold);
    for (int s = 0; s < N; ++s)
        chains.AddSide(s, chained[s]);
    // Side 0's chained objects made the first chain rows, in side 0's order;
    // the rows after them are new on the later sides.
    for (size_t k = 0; k < chainedPositions.size(); ++k)
        result.Rows[chainedPositions[k]] = chainRows[k];
    result.Rows.insert(result.Rows.end(), chainRows.begin() + qsizetype(chainedPositions.size()),
                       chainRows.end());
    return result;
}

// Pairs by position where it can (most objects at aligned positions), else
// through the chains, so a line inserted near the start (which shifts every
// position) costs no more than the chains alone.
template <typename T, int N> Matching<T, N> Match(const std::array<Side<T>, N> &sides, bool fold)
{
    size_t total = 0;
    for (int s = 0; s < N; ++s)
        total += sides[s].size();
    std::optional<Matching<T, N>> byPosition = MatchByPosition<T, N>(sides, fold, total / 4);
    return byPosition ? std::move(*byPosition) : MatchInChains<T, N>(sides, fold);
}

inline Side<TKvIniSection> SectionsOf(const TKvMemIni &ini)
{
    return {ini.Sections.Items(), size_t(ini.Sections.Count())};
}

// The value items of a section (none for a missing one), in order: the
// section's own list when it holds nothing else, else a copy.
class ValueItems
{
public:
    explicit ValueItems(const TKvIniSection *section)
    {
        if (!section)
            return;
        const Side<TKvIniVal> all(section->Vals.Items(), size_t(section->Vals.Count()));
        if (std::all_of(all.begin(), all.end(),
                        [](const TKvIniVal *val) { return val->Kind() == ikValue; })) {
            m_items = all;
            return;
        }
        for (const TKvIniVal *val : all) {
            if (val->Kind() == ikValue)
                m_copy.push_back(val);
        }
        m_items = m_copy;
    }
    ValueItems(const ValueItems &) = delete;
    ValueItems &operator=(const ValueItems &) = delete;

    operator Side<TKvIniVal>() const { return m_items; }

private:
    std::vector<const TKvIniVal *> m_copy;
    Side<TKvIniVal> m_items;
};

} // namespace KvNameMatch
