#include "kvmerge.h"

#include "kvnamematch.h"

#include <algorithm>
#include <optional>

using namespace KvNameMatch;

qsizetype TKvMergePlan::ConflictCount() const
{
    return std::count_if(Steps.begin(), Steps.end(),
                         [](const TKvMergeStep &step) { return step.IsConflict(); });
}

namespace {

using Sections = Matching<TKvIniSection, 3>;
using SectionRow = Row<TKvIniSection, 3>;
enum { Base = 0, Mine = 1, Theirs = 2 };

// How the three versions of one field or object relate, given whether two
// versions are the same.
enum class Outcome { Keep, TakeTheirs, Conflict };
template <typename T, typename Same>
Outcome ThreeWay(const T &base, const T &mine, const T &theirs, Same same)
{
    if (same(theirs, base) || same(mine, theirs))
        return Outcome::Keep;
    return same(mine, base) ? Outcome::TakeTheirs : Outcome::Conflict;
}

// The kind of a conflict, from which versions exist.
TKvConflict ConflictKind(bool inBase, bool inMine, bool inTheirs)
{
    if (!inBase)
        return TKvConflict::AddedOnBoth;
    if (!inMine)
        return TKvConflict::RemovedByMine;
    if (!inTheirs)
        return TKvConflict::RemovedByTheirs;
    return TKvConflict::ChangedOnBoth;
}

// Whether two versions of a section differ in anything compared.
bool SectionsDiffer(const TKvIniSection *a, const TKvIniSection *b, const TKvCompareOptions &options)
{
    if (options.WithComments && a->Comment != b->Comment)
        return true;
    const ValueItems itemsA(a);
    const ValueItems itemsB(b);
    const Matching<TKvIniVal, 2> items =
        Match<TKvIniVal, 2>({Side<TKvIniVal>(itemsA), Side<TKvIniVal>(itemsB)}, options.IgnoreCase);
    return std::any_of(items.Rows.begin(), items.Rows.end(), [&](const Row<TKvIniVal, 2> &row) {
        return !row.Side[0] || !row.Side[1] || KvCompare::ItemsDiffer(*row.Side[0], *row.Side[1], options);
    });
}

class Planner
{
public:
    Planner(const TKvCompareOptions &options, TKvMergePlan &plan)
        : m_options(options)
        , m_plan(plan)
    {}

    void PlanSections(Sections &sections)
    {
        for (const SectionRow &row : sections.Rows) {
            auto step = [&](TKvChange change, TKvConflict conflict) -> TKvMergeStep & {
                sections.EnsureOccurrences();
                TKvMergeStep &added = m_plan.Steps.emplace_back();
                added.Change.Change = change;
                added.Change.SectionA = row.Side[Mine];
                added.Change.SectionB = row.Side[Theirs];
                added.Change.SectionOccurrence = row.Occurrence;
                added.SectionBase = row.Side[Base];
                added.Conflict = conflict;
                return added;
            };
            PlanSection(row, step);
        }
    }

private:
    const TKvCompareOptions &m_options;
    TKvMergePlan &m_plan;

    template <typename Step> void PlanSection(const SectionRow &row, const Step &step)
    {
        const TKvIniSection *base = row.Side[Base];
        const TKvIniSection *mine = row.Side[Mine];
        const TKvIniSection *theirs = row.Side[Theirs];
        // A nameless section one side lacks is an empty one there: only its
        // items are merged.
        if (!row.Name().isEmpty() && !(mine && theirs)) {
            const auto same = [&](const TKvIniSection *a, const TKvIniSection *b) {
                return a == b || (a && b && !SectionsDiffer(a, b, m_options));
            };
            switch (ThreeWay(base, mine, theirs, same)) {
            case Outcome::Keep:
                break;
            case Outcome::TakeTheirs:
                step(theirs ? TKvChange::SectionAdded : TKvChange::SectionRemoved, TKvConflict::None);
                break;
            case Outcome::Conflict:
                step(theirs ? TKvChange::SectionAdded : TKvChange::SectionRemoved,
                     ConflictKind(base, mine, theirs));
                break;
            }
            return;
        }
        if (m_options.WithComments && mine && theirs) {
            using Comment = std::optional<QStringView>;
            const Comment baseComment = base ? Comment(base->Comment) : std::nullopt;
            const Outcome outcome = ThreeWay(baseComment, Comment(mine->Comment), Comment(theirs->Comment),
                                             [](const Comment &a, const Comment &b) { return a == b; });
            if (outcome != Outcome::Keep)
                step(TKvChange::SectionChanged,
                     outcome == Outcome::Conflict ? ConflictKind(base, true, true) : TKvConflict::None);
        }
        PlanItems(base, mine, theirs, step);
    }

    template <typename Step>
    void PlanItems(const TKvIniSection *base, const TKvIniSection *mine, const TKvIniSection *theirs,
                   const Step &sectionStep)
    {
        const ValueItems itemsBase(base);
        const ValueItems itemsMine(mine);
        const ValueItems itemsTheirs(theirs);
        Matching<TKvIniVal, 3> items = Match<TKvIniVal, 3>(
            {Side<TKvIniVal>(itemsBase), Side<TKvIniVal>(itemsMine), Side<TKvIniVal>(itemsTheirs)},
            m_options.IgnoreCase);
        const auto same = [&](const TKvIniVal *a, const TKvIniVal *b) {
            return a == b || (a && b && !KvCompare::ItemsDiffer(*a, *b, m_options));
        };
        for (const Row<TKvIniVal, 3> &row : items.Rows) {
            const TKvIniVal *inBase = row.Side[Base];
            const TKvIniVal *inMine = row.Side[Mine];
            const TKvIniVal *inTheirs = row.Side[Theirs];
            const Outcome outcome = ThreeWay(inBase, inMine, inTheirs, same);
            if (outcome == Outcome::Keep)
                continue;
            const TKvChange change = !inTheirs ? TKvChange::ItemRemoved
                                     : !inMine ? TKvChange::ItemAdded
                                               : TKvChange::ItemChanged;
            items.EnsureOccurrences();
            TKvMergeStep &step =
                sectionStep(change, outcome == Outcome::Conflict ? ConflictKind(inBase, inMine, inTheirs)
                                                                 : TKvConflict::None);
            step.Change.ValA = inMine;
            step.Change.ValB = inTheirs;
            step.Change.KeyOccurrence = row.Occurrence;
            step.ValBase = inBase;
        }
    }
};

} // namespace

namespace KvMerge {

TKvMergePlan Plan(const TKvMemIni &base, const TKvMemIni &mine, const TKvMemIni &theirs,
                  const TKvCompareOptions &options)
{
    TKvMergePlan plan;
    Sections sections =
        Match<TKvIniSection, 3>({SectionsOf(base), SectionsOf(mine), SectionsOf(theirs)}, options.IgnoreCase);
    Planner(options, plan).PlanSections(sections);
    return plan;
}

void PreferTheirs(TKvMergePlan &plan, bool theirs)
{
    for (TKvMergeStep &step : plan.Steps)
        step.TakeTheirs = step.IsConflict() && theirs;
}

void Apply(TKvMemIni &mine, const TKvMergePlan &plan, const TKvCompareOptions &options)
{
    std::vector<const TKvDifference *> taken;
    for (const TKvMergeStep &step : plan.Steps) {
        if (!step.IsConflict() || step.TakeTheirs)
            taken.push_back(&step.Change);
    }
    KvCompare::Apply(mine, taken, options);
}

} // namespace KvMerge
