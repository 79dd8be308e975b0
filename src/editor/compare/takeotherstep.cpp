#include "takeotherstep.h"

#include "document/kvdocument.h"
#include "kvmemini.h"

#include <unordered_map>
#include <unordered_set>

namespace {

// The parts are steps of their own, run without a selection: the selection
// is the whole step's.
class TNoSelection final : public TKvSelection
{
public:
    TKvListSelection Current() const override { return {}; }
    void Restore(const TKvListSelection &) override {}
};
TNoSelection NoSelection;

// The A side of a difference is an object of the document, handed over for changing.
TKvIniSection *Mutable(const TKvIniSection *section)
{
    return const_cast<TKvIniSection *>(section);
}

// What one section of the document takes from the other document.
struct TSectionTakes
{
    TKvIniSection *Section = nullptr;
    std::unordered_map<const TKvIniVal *, const TKvIniVal *> Changed; // here -> there
    std::unordered_set<const TKvIniVal *> Removed;
    std::vector<const TKvIniVal *> Added; // there, in the differences' order
    const TKvIniSection *CommentFrom = nullptr;
};

// The entry here with the other entry's value (and comment), as a new entry.
TKvIniVal *TakenVersion(const TKvIniVal &here, const TKvIniVal &there, const TKvCompareOptions &options)
{
    TKvIniVal *val = here.Clone();
    val->SetValue(there.ValueView());
    if (options.WithComments)
        val->SetComment(there.CommentView());
    // The kind rule would make an item without a name ("=x") an unparsable
    // line; it stays the value item it is.
    val->SetKind(ikValue);
    return val;
}

std::vector<TKvIniVal *> Clones(const std::vector<const TKvIniVal *> &vals)
{
    std::vector<TKvIniVal *> clones;
    clones.reserve(vals.size());
    for (const TKvIniVal *val : vals)
        clones.push_back(val->Clone());
    return clones;
}

// A section of the other document copied line by line, with its comments and blank lines.
TKvIniSection *CopyOf(const TKvIniSection &source)
{
    auto *copy = new TKvIniSection(source.Name);
    copy->Comment = source.Comment;
    copy->Vals.Reserve(source.Vals.Count());
    for (const TKvIniVal *val : source.Vals)
        copy->Vals.Add(val->Clone());
    return copy;
}

// Calls take(start, count) for each run of consecutive positions, the last
// run first, so that the earlier positions stay where they are.
template <typename Take> void TakeRunsFromTheBack(const std::vector<qint32> &ascending, const Take &take)
{
    size_t end = ascending.size();
    while (end > 0) {
        size_t start = end - 1;
        while (start > 0 && ascending[start - 1] + 1 == ascending[start])
            --start;
        take(ascending[start], qint32(end - start));
        end = start;
    }
}

} // namespace

TKvTakeOtherStep::TKvTakeOtherStep(TKvDocument &document, TKvSelection &selection, const QString &name,
                                   const std::vector<const TKvDifference *> &differences,
                                   const TKvCompareOptions &options)
    : TKvEditStep(document, selection, name)
    , m_options(options)
{
    m_differences.reserve(differences.size());
    for (const TKvDifference *difference : differences)
        m_differences.push_back(*difference);
}

TKvTakeOtherStep::~TKvTakeOtherStep() = default;

void TKvTakeOtherStep::Apply()
{
    if (!m_run) {
        m_run = true;
        Run();
        return;
    }
    for (const std::unique_ptr<QUndoCommand> &part : m_parts)
        part->redo();
}

void TKvTakeOtherStep::Revert()
{
    for (auto part = m_parts.rbegin(); part != m_parts.rend(); ++part)
        (*part)->undo();
}

void TKvTakeOtherStep::Do(QUndoCommand *part)
{
    m_parts.emplace_back(part);
    part->redo();
}

void TKvTakeOtherStep::Run()
{
    TKvMemIni &ini = m_document.Ini();
    std::vector<TSectionTakes> sections;
    std::unordered_map<const TKvIniSection *, size_t> slotOf;
    auto takes = [&](const TKvIniSection *section) -> TSectionTakes & {
        const auto [slot, added] = slotOf.try_emplace(section, sections.size());
        if (added)
            sections.emplace_back().Section = Mutable(section);
        return sections[slot->second];
    };
    std::vector<const TKvIniVal *> namelessAdded; // for a nameless section the document lacks
    std::unordered_set<const TKvIniSection *> doomedSections;
    std::vector<const TKvIniSection *> addedSections;
    for (const TKvDifference &difference : m_differences) {
        switch (difference.Change) {
        case TKvChange::ItemChanged:
            takes(difference.SectionA).Changed.emplace(difference.ValA, difference.ValB);
            break;
        case TKvChange::ItemRemoved:
            takes(difference.SectionA).Removed.insert(difference.ValA);
            break;
        case TKvChange::ItemAdded:
            if (difference.SectionA)
                takes(difference.SectionA).Added.push_back(difference.ValB);
            else
                namelessAdded.push_back(difference.ValB);
            break;
        case TKvChange::SectionChanged:
            takes(difference.SectionA).CommentFrom = difference.SectionB;
            break;
        case TKvChange::SectionRemoved:
            doomedSections.insert(difference.SectionA);
            break;
        case TKvChange::SectionAdded:
            addedSections.push_back(difference.SectionB);
            break;
        }
    }
    // Items of a nameless section the document lacked when compared go into
    // the one it has at the front by now, if any.
    if (!namelessAdded.empty() && ini.Sections.Count() > 0 && ini.Sections[0]->Name.isEmpty()) {
        std::vector<const TKvIniVal *> &added = takes(ini.Sections[0]).Added;
        added.insert(added.end(), namelessAdded.begin(), namelessAdded.end());
        namelessAdded.clear();
    }

    for (const TSectionTakes &each : sections) {
        TKvIniSection *section = each.Section;
        // One pass finds the places of the entries that change or go.
        std::vector<qint32> removed;
        for (qint32 j = 0; j < section->Vals.Count() && !(each.Changed.empty() && each.Removed.empty()); ++j) {
            const TKvIniVal *val = section->Vals[j];
            if (const auto changed = each.Changed.find(val); changed != each.Changed.end())
                Do(new TKvReplaceValStep(m_document, NoSelection, {}, section, j,
                                         TakenVersion(*val, *changed->second, m_options)));
            else if (each.Removed.count(val))
                removed.push_back(j);
        }
        TakeRunsFromTheBack(removed, [&](qint32 start, qint32 count) {
            Do(new TKvValsStep(m_document, NoSelection, {}, section, start, count));
        });
        if (each.CommentFrom)
            Do(new TKvSectionTextStep(m_document, NoSelection, {}, section, section->Name,
                                      each.CommentFrom->Comment));
        // Where Add item puts a new item, once the entries that go are gone.
        if (!each.Added.empty())
            Do(new TKvValsStep(m_document, NoSelection, {}, section, section->NewItemIndex(),
                               Clones(each.Added)));
    }
    if (!namelessAdded.empty()) {
        auto *nameless = new TKvIniSection(QString());
        for (TKvIniVal *val : Clones(namelessAdded))
            nameless->Vals.Add(val);
        Do(new TKvSectionsStep(m_document, NoSelection, {}, nullptr, 0, {nameless}));
    }
    if (!doomedSections.empty()) {
        std::vector<qint32> doomed;
        for (qint32 i = 0; i < ini.Sections.Count(); ++i) {
            if (doomedSections.count(ini.Sections[i]))
                doomed.push_back(i);
        }
        TakeRunsFromTheBack(doomed, [&](qint32 start, qint32 count) {
            Do(new TKvSectionsStep(m_document, NoSelection, {}, nullptr, start, count));
        });
    }
    if (!addedSections.empty()) {
        std::vector<TKvIniSection *> copies;
        copies.reserve(addedSections.size());
        for (const TKvIniSection *section : addedSections)
            copies.push_back(CopyOf(*section));
        Do(new TKvSectionsStep(m_document, NoSelection, {}, nullptr, -1, std::move(copies)));
    }
}
