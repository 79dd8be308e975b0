#include "kvcompare.h"

#include "kvnamematch.h"

#include <unordered_map>
#include <unordered_set>

using namespace KvNameMatch;

namespace KvCompare {

bool SameName(QStringView a, QStringView b, bool ignoreCase)
{
    return KvNameMatch::SameName(a, b, ignoreCase);
}

bool ItemsDiffer(const TKvIniVal &a, const TKvIniVal &b, const TKvCompareOptions &options)
{
    return a.ValueView() != b.ValueView() || (options.WithComments && a.CommentView() != b.CommentView());
}

namespace {

// Compares the value items of two matched sections (either may be null: a
// nameless section one side lacks) and appends their differences.
// sectionDifference makes a difference that names the section.
template <typename SectionDifference>
void DiffItems(const TKvIniSection *a, const TKvIniSection *b, const TKvCompareOptions &options,
               const SectionDifference &sectionDifference, std::vector<TKvDifference> &out)
{
    const ValueItems itemsA(a);
    const ValueItems itemsB(b);
    Matching<TKvIniVal, 2> items =
        Match<TKvIniVal, 2>({Side<TKvIniVal>(itemsA), Side<TKvIniVal>(itemsB)}, options.IgnoreCase);
    // The occurrences are counted at the end, for the rows that differ only.
    const size_t first = out.size();
    std::vector<size_t> differingRows;
    auto add = [&](TKvChange change, size_t index) {
        const Row<TKvIniVal, 2> &row = items.Rows[index];
        TKvDifference difference = sectionDifference();
        difference.Change = change;
        difference.ValA = row.Side[0];
        difference.ValB = row.Side[1];
        out.push_back(difference);
        differingRows.push_back(index);
    };
    // Changed and removed items in A's order first, then the added ones in B's.
    for (size_t i = 0; i < items.Rows.size(); ++i) {
        const Row<TKvIniVal, 2> &row = items.Rows[i];
        if (row.Side[0] && row.Side[1] && ItemsDiffer(*row.Side[0], *row.Side[1], options))
            add(TKvChange::ItemChanged, i);
        else if (!row.Side[1])
            add(TKvChange::ItemRemoved, i);
    }
    for (size_t i = 0; i < items.Rows.size(); ++i) {
        if (!items.Rows[i].Side[0])
            add(TKvChange::ItemAdded, i);
    }
    items.EnsureOccurrences(differingRows);
    for (size_t k = 0; k < differingRows.size(); ++k)
        out[first + k].KeyOccurrence = items.Rows[differingRows[k]].Occurrence;
}

// The differences of one row of the section matching: sectionA and sectionB
// have the same identity (either may be null). sectionDifference makes a
// difference that names the section.
template <typename SectionDifference>
void DiffRow(const TKvIniSection *sectionA, const TKvIniSection *sectionB, bool nameless,
             const TKvCompareOptions &options, const SectionDifference &sectionDifference,
             std::vector<TKvDifference> &out)
{
    if (!sectionB && !nameless) {
        TKvDifference difference = sectionDifference();
        difference.Change = TKvChange::SectionRemoved;
        out.push_back(difference);
        return;
    }
    if (!sectionA && !nameless) {
        TKvDifference difference = sectionDifference();
        difference.Change = TKvChange::SectionAdded;
        out.push_back(difference);
        return;
    }
    if (options.WithComments && sectionA && sectionB && sectionA->Comment != sectionB->Comment) {
        TKvDifference difference = sectionDifference();
        difference.Change = TKvChange::SectionChanged;
        out.push_back(difference);
    }
    DiffItems(sectionA, sectionB, options, sectionDifference, out);
}

} // namespace

std::vector<TKvSectionPair> PairSections(const TKvMemIni &a, const TKvMemIni &b,
                                         const TKvCompareOptions &options)
{
    Matching<TKvIniSection, 2> sections =
        Match<TKvIniSection, 2>({SectionsOf(a), SectionsOf(b)}, options.IgnoreCase);
    sections.EnsureOccurrences();
    // The rows start with A's sections in A's order.
    std::vector<TKvSectionPair> pairs(size_t(a.Sections.Count()));
    for (size_t i = 0; i < pairs.size(); ++i)
        pairs[i] = {sections.Rows[i].Side[1], sections.Rows[i].Occurrence};
    return pairs;
}

std::vector<TKvDifference> DiffSectionPair(const TKvIniSection *a, const TKvIniSection *b, qint32 occurrence,
                                           const TKvCompareOptions &options)
{
    std::vector<TKvDifference> out;
    auto sectionDifference = [&] {
        TKvDifference difference;
        difference.SectionA = a;
        difference.SectionB = b;
        difference.SectionOccurrence = occurrence;
        return difference;
    };
    DiffRow(a, b, a->Name.isEmpty(), options, sectionDifference, out);
    return out;
}

std::vector<TKvDifference> Diff(const TKvMemIni &a, const TKvMemIni &b, const TKvCompareOptions &options)
{
    std::vector<TKvDifference> out;
    Matching<TKvIniSection, 2> sections =
        Match<TKvIniSection, 2>({SectionsOf(a), SectionsOf(b)}, options.IgnoreCase);
    for (const Row<TKvIniSection, 2> &row : sections.Rows) {
        const TKvIniSection *sectionA = row.Side[0];
        const TKvIniSection *sectionB = row.Side[1];
        auto sectionDifference = [&] {
            sections.EnsureOccurrences();
            TKvDifference difference;
            difference.SectionA = sectionA;
            difference.SectionB = sectionB;
            difference.SectionOccurrence = row.Occurrence;
            return difference;
        };
        DiffRow(sectionA, sectionB, row.Name().isEmpty(), options, sectionDifference, out);
    }
    return out;
}

void Apply(TKvMemIni &a, const std::vector<const TKvDifference *> &differences,
           const TKvCompareOptions &options)
{
    // The A side of a difference is an object of a, which the caller hands
    // over for changing.
    auto mutableSection = [](const TKvIniSection *section) { return const_cast<TKvIniSection *>(section); };
    auto mutableVal = [](const TKvIniVal *val) { return const_cast<TKvIniVal *>(val); };

    std::unordered_map<TKvIniSection *, std::unordered_set<const TKvIniVal *>> doomedItems;
    std::unordered_set<const TKvIniSection *> doomedSections;
    std::vector<const TKvDifference *> additions;
    for (const TKvDifference *difference : differences) {
        switch (difference->Change) {
        case TKvChange::ItemChanged: {
            TKvIniVal *val = mutableVal(difference->ValA);
            val->SetValue(difference->ValB->ValueView());
            if (options.WithComments)
                val->SetComment(difference->ValB->CommentView());
            // The kind rule would make an item without a name ("=x") an
            // unparsable line; it stays the value item it is.
            val->SetKind(ikValue);
            break;
        }
        case TKvChange::SectionChanged:
            mutableSection(difference->SectionA)->Comment = difference->SectionB->Comment;
            break;
        case TKvChange::ItemRemoved:
            doomedItems[mutableSection(difference->SectionA)].insert(difference->ValA);
            break;
        case TKvChange::SectionRemoved:
            doomedSections.insert(difference->SectionA);
            break;
        case TKvChange::ItemAdded:
        case TKvChange::SectionAdded:
            additions.push_back(difference);
            break;
        }
    }
    for (auto &doomed : doomedItems) {
        const auto &vals = doomed.second; // a named copy: clang 14 captures no structured binding
        doomed.first->Vals.DeleteIf([&vals](const TKvIniVal *val) { return vals.count(val) != 0; });
    }

    // Added items of one section go in one after another at the place found once.
    std::unordered_map<TKvIniSection *, qint32> nextIndex;
    TKvIniSection *madeNameless = nullptr;
    for (const TKvDifference *difference : additions) {
        const TKvIniSection *source = difference->SectionB;
        if (difference->Change == TKvChange::SectionAdded) {
            TKvIniSection *copy = a.AddSection(source->Name);
            copy->Comment = source->Comment;
            copy->Vals.Reserve(source->Vals.Count());
            for (const TKvIniVal *val : source->Vals)
                copy->Vals.Add(val->Clone());
            continue;
        }
        TKvIniSection *target = mutableSection(difference->SectionA);
        if (!target) {
            // Items of a nameless section that a lacked when compared: it
            // gets one at the front (unless an earlier call made it).
            if (!madeNameless) {
                const bool hasNameless = a.Sections.Count() > 0 && a.Sections[0]->Name.isEmpty();
                madeNameless = hasNameless ? a.Sections[0] : a.InsertSection(0, QString());
            }
            target = madeNameless;
        }
        auto place = nextIndex.try_emplace(target, 0);
        if (place.second)
            place.first->second = target->NewItemIndex();
        // A copy as it is: through the kind rule an item without a name would
        // become an unparsable line.
        target->Vals.Insert(place.first->second++, difference->ValB->Clone());
    }
    if (!doomedSections.empty())
        a.Sections.DeleteIf([&](const TKvIniSection *section) { return doomedSections.count(section) != 0; });
}

} // namespace KvCompare
