#pragma once

#include "kvcompare.h"

#include <vector>

// The three-way merge: the changes that THEIRS made relative to BASE (items
// added, removed or changed; sections added or removed; with WithComments
// also comments) applied to MINE, which keeps everything else, its layout
// included. Sections and items are identified as the comparison identifies
// them (KvCompare).
//
// A conflict is an item or section that both sides changed to different
// results: changed to different values, removed on one side and changed on
// the other, added on both with different values. The same change on both
// sides is no conflict.

enum class TKvConflict : quint8 {
    None,
    ChangedOnBoth,   // both changed it, to different results
    RemovedByMine,   // MINE removed it, THEIRS changed it
    RemovedByTheirs, // THEIRS removed it, MINE changed it
    AddedOnBoth,     // both added it, with different values
};

// One change of THEIRS that MINE has not made, as what taking it does to
// MINE: a difference whose A side is MINE and whose B side is THEIRS.
struct TKvMergeStep
{
    TKvDifference Change;
    TKvConflict Conflict = TKvConflict::None;
    // BASE's section and item, null where BASE lacks them.
    const TKvIniSection *SectionBase = nullptr;
    const TKvIniVal *ValBase = nullptr;
    // For a conflict: THEIRS wins it; otherwise MINE stays as it is.
    bool TakeTheirs = false;

    bool IsConflict() const { return Conflict != TKvConflict::None; }
};

struct TKvMergePlan
{
    // Section by section in BASE's order, then the sections BASE lacks.
    std::vector<TKvMergeStep> Steps;
    qsizetype ConflictCount() const;
};

namespace KvMerge {

// What merging THEIRS into MINE would do. The steps point into the three
// documents, which must stay unchanged until the plan is applied.
TKvMergePlan Plan(const TKvMemIni &base, const TKvMemIni &mine, const TKvMemIni &theirs,
                  const TKvCompareOptions &options = {});
// Decides every conflict for one side.
void PreferTheirs(TKvMergePlan &plan, bool theirs);
// Applies to mine (the MINE of the plan) every step that is no conflict and
// every conflict that THEIRS wins (KvCompare::Apply).
void Apply(TKvMemIni &mine, const TKvMergePlan &plan, const TKvCompareOptions &options = {});

} // namespace KvMerge
