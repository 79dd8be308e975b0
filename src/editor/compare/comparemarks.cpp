#include "comparemarks.h"

#include <algorithm>
#include <unordered_map>

namespace {

// A difference as one side sees it: its own objects ("here") and the other
// document's ("there").
struct TSeen
{
    const TKvIniSection *Here = nullptr;
    const TKvIniSection *There = nullptr;
    const TKvIniVal *HereVal = nullptr;
    const TKvIniVal *ThereVal = nullptr;
    enum Kind { ItemChanged, ItemHere, ItemThere, SectionHere, SectionThere, SectionChanged } What;
};

TSeen Seen(const TKvDifference &d, bool onA)
{
    TSeen seen{onA ? d.SectionA : d.SectionB, onA ? d.SectionB : d.SectionA, onA ? d.ValA : d.ValB,
               onA ? d.ValB : d.ValA, TSeen::ItemChanged};
    switch (d.Change) {
    case TKvChange::ItemChanged:
        seen.What = TSeen::ItemChanged;
        break;
    case TKvChange::ItemRemoved:
        seen.What = onA ? TSeen::ItemHere : TSeen::ItemThere;
        break;
    case TKvChange::ItemAdded:
        seen.What = onA ? TSeen::ItemThere : TSeen::ItemHere;
        break;
    case TKvChange::SectionRemoved:
        seen.What = onA ? TSeen::SectionHere : TSeen::SectionThere;
        break;
    case TKvChange::SectionAdded:
        seen.What = onA ? TSeen::SectionThere : TSeen::SectionHere;
        break;
    case TKvChange::SectionChanged:
        seen.What = TSeen::SectionChanged;
        break;
    }
    return seen;
}

const std::vector<const TKvIniVal *> NoEntries;
const std::vector<const TKvDifference *> NoDifferences;

} // namespace

TCompareMarks::TCompareMarks(const TKvMemIni &shown, const std::vector<TKvDifference> &differences,
                             TCompareSide side)
    : m_equal(differences.empty())
{
    m_sections.resize(size_t(shown.Sections.Count()));
    if (differences.empty())
        return;
    std::unordered_map<const TKvIniSection *, qint32> indexOf;
    indexOf.reserve(size_t(shown.Sections.Count()));
    for (qint32 i = 0; i < shown.Sections.Count(); ++i)
        indexOf.emplace(shown.Sections[i], i);

    const bool onA = side == TCompareSide::A;
    const TCompareMark onlyHere = onA ? TCompareMark::Removed : TCompareMark::Added;
    // The marks of the differing entries of each section, by entry.
    std::unordered_map<qint32, std::unordered_map<const TKvIniVal *, TEntryMark>> entryMarks;
    for (const TKvDifference &difference : differences) {
        const TSeen seen = Seen(difference, onA);
        if (!seen.Here) {
            // Only the other document has the section (or the text before its
            // first header, whose items this document lacks).
            if (m_missingSections.empty() || m_missingSections.back() != seen.There)
                m_missingSections.push_back(seen.There);
            continue;
        }
        const qint32 index = indexOf.at(seen.Here);
        TSectionMarks &section = m_sections[size_t(index)];
        section.Differences.push_back(&difference);
        switch (seen.What) {
        case TSeen::SectionHere:
            section.Mark = onlyHere;
            section.Stop = true;
            continue;
        case TSeen::SectionThere:
            continue; // no own section
        case TSeen::SectionChanged:
            section.Stop = true;
            break;
        case TSeen::ItemThere:
            section.Stop = true;
            section.Missing.push_back(seen.ThereVal);
            break;
        case TSeen::ItemHere:
            entryMarks[index][seen.HereVal] = {onlyHere, nullptr, &difference};
            break;
        case TSeen::ItemChanged:
            entryMarks[index][seen.HereVal] = {TCompareMark::Changed, seen.ThereVal, &difference};
            break;
        }
        section.Mark = TCompareMark::Changed;
        section.Other = seen.There;
    }
    for (auto &[index, marks] : entryMarks) {
        const TKvIniSection *section = shown.Sections[index];
        std::vector<TEntryMark> &entries = m_sections[size_t(index)].Entries;
        entries.resize(size_t(section->Vals.Count()));
        for (qint32 j = 0; j < section->Vals.Count(); ++j) {
            const auto found = marks.find(section->Vals[j]);
            if (found != marks.end())
                entries[size_t(j)] = found->second;
        }
    }
    for (qint32 i = 0; i < qint32(m_sections.size()); ++i) {
        const TSectionMarks &section = m_sections[size_t(i)];
        if (section.Stop)
            m_stops.push_back({i, -1});
        for (qint32 j = 0; j < qint32(section.Entries.size()); ++j) {
            if (section.Entries[size_t(j)].Mark != TCompareMark::Same)
                m_stops.push_back({i, j});
        }
    }
}

const TCompareMarks::TSectionMarks *TCompareMarks::SectionAt(qint32 section) const
{
    return section >= 0 && size_t(section) < m_sections.size() ? &m_sections[size_t(section)] : nullptr;
}

TCompareMark TCompareMarks::SectionMark(qint32 section) const
{
    const TSectionMarks *marks = SectionAt(section);
    return marks ? marks->Mark : TCompareMark::Same;
}

const TCompareMarks::TEntryMark *TCompareMarks::EntryAt(qint32 section, qint32 entry) const
{
    const TSectionMarks *marks = SectionAt(section);
    if (!marks || entry < 0 || size_t(entry) >= marks->Entries.size())
        return nullptr;
    return &marks->Entries[size_t(entry)];
}

TCompareMark TCompareMarks::EntryMark(qint32 section, qint32 entry) const
{
    const TSectionMarks *marks = SectionAt(section);
    if (marks && entry >= 0 && (marks->Mark == TCompareMark::Added || marks->Mark == TCompareMark::Removed))
        return marks->Mark; // the whole section is only here
    const TEntryMark *mark = EntryAt(section, entry);
    return mark ? mark->Mark : TCompareMark::Same;
}

const TKvIniSection *TCompareMarks::OtherSection(qint32 section) const
{
    const TSectionMarks *marks = SectionAt(section);
    return marks ? marks->Other : nullptr;
}

const TKvIniVal *TCompareMarks::OtherEntry(qint32 section, qint32 entry) const
{
    const TEntryMark *mark = EntryAt(section, entry);
    return mark ? mark->Other : nullptr;
}

const TKvDifference *TCompareMarks::EntryDifference(qint32 section, qint32 entry) const
{
    const TEntryMark *mark = EntryAt(section, entry);
    return mark ? mark->Difference : nullptr;
}

const std::vector<const TKvDifference *> &TCompareMarks::SectionDifferences(qint32 section) const
{
    const TSectionMarks *marks = SectionAt(section);
    return marks ? marks->Differences : NoDifferences;
}

const std::vector<const TKvIniVal *> &TCompareMarks::MissingEntries(qint32 section) const
{
    const TSectionMarks *marks = SectionAt(section);
    return marks ? marks->Missing : NoEntries;
}

std::optional<TComparePosition> TCompareMarks::Next(TComparePosition from) const
{
    const auto found = std::upper_bound(m_stops.begin(), m_stops.end(), from);
    if (found == m_stops.end())
        return std::nullopt;
    return *found;
}

std::optional<TComparePosition> TCompareMarks::Previous(TComparePosition from) const
{
    const auto found = std::lower_bound(m_stops.begin(), m_stops.end(), from);
    if (found == m_stops.begin())
        return std::nullopt;
    return *(found - 1);
}
