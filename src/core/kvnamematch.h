#pragma once

// Pairs the sections (or the value items) of several documents by name and
// occurrence, for the comparison and the merge.

#include "kvmemini.h"

#include <QChar>
#include <QHash>
#include <QVarLengthArray>

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

// A name as a hash key, folded or not.
struct Key
{
    QStringView Name;
    bool Fold = false;
    friend bool operator==(const Key &a, const Key &b) { return SameName(a.Name, b.Name, a.Fold); }
    friend size_t qHash(const Key &key, size_t seed)
    {
        if (!key.Fold)
            return qHash(key.Name, seed);
        QVarLengthArray<char16_t, 64> folded(key.Name.size());
        for (qsizetype i = 0; i < key.Name.size(); ++i)
            folded[i] = FoldUnit(key.Name[i].unicode());
        return qHash(QStringView(folded.data(), folded.size()), seed);
    }
};

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
    void EnsureOccurrences()
    {
        if (Rows.empty() || Rows.front().Occurrence >= 0)
            return;
        QHash<Key, qint32> counts;
        counts.reserve(qsizetype(Rows.size()));
        for (Row<T, N> &row : Rows)
            row.Occurrence = counts[Key{row.Name(), Fold}]++;
    }
};

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

    // Per name: the rows holding it, by occurrence, and how many times each
    // side has had it so far.
    struct Slot
    {
        QVarLengthArray<qint32, 1> Rows;
        std::array<qint32, N> Seen{};
    };
    QHash<Key, Slot> byName;
    byName.reserve(qsizetype(sides[0].size()));
    for (int s = 0; s < N; ++s) {
        for (const T *object : sides[s]) {
            Slot &slot = byName[Key{NameOf(object), fold}];
            const qint32 occurrence = slot.Seen[s]++;
            if (occurrence < slot.Rows.size()) {
                result.Rows[size_t(slot.Rows[occurrence])].Side[s] = object;
            } else {
                slot.Rows.append(qint32(result.Rows.size()));
                Row<T, N> &row = result.Rows.emplace_back();
                row.Side[s] = object;
                row.Occurrence = occurrence;
            }
        }
    }
    return result;
}

inline Side<TKvIniSection> SectionsOf(const TKvMemIni &ini)
{
    return {ini.Sections.Items, size_t(ini.Sections.Count)};
}

// The value items of a section (none for a missing one), in order.
inline std::vector<const TKvIniVal *> ValueItems(const TKvIniSection *section)
{
    std::vector<const TKvIniVal *> items;
    if (!section)
        return items;
    items.reserve(size_t(section->Vals.Count));
    for (const TKvIniVal *val : section->Vals) {
        if (val->Kind() == ikValue)
            items.push_back(val);
    }
    return items;
}

} // namespace KvNameMatch
