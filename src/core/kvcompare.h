#pragma once

#include "kvmemini.h"

#include <QStringView>

#include <vector>

// Comparing two documents by meaning rather than by lines.
//
// A section is identified by its name and occurrence: the k-th section named
// N in one document matches the k-th section named N in the other (k counts
// from 0). A value item is identified inside its section by its name and
// occurrence in the same way. Only value items are compared; blank lines,
// comment lines and unparsable lines are not. Order does not matter, so a
// document and its sorted copy are equal. A nameless section (the text before
// the first header) that one side lacks counts as present and empty there,
// so its items are reported one by one rather than as a whole section.

struct TKvCompareOptions
{
    // Section and item names match regardless of letter case, folded one
    // UTF-16 code unit at a time as Find folds them. Values and comments
    // still compare exactly.
    bool IgnoreCase = false;
    // The items' inline comments and the sections' comments are compared too.
    bool WithComments = false;
};

enum class TKvChange : quint8 {
    ItemAdded,      // only in B
    ItemRemoved,    // only in A
    ItemChanged,    // in both, with a different value (or comment)
    SectionAdded,   // only in B; its items are not listed again
    SectionRemoved, // only in A; its items are not listed again
    SectionChanged, // in both, with a different comment (WithComments only)
};

// One difference between a document A (the old one) and a document B (the
// new one). The pointers point into the two documents and stay valid while
// neither is changed; a side where the section or item does not exist holds
// null. Item differences carry their section on both sides where it exists.
struct TKvDifference
{
    TKvChange Change = TKvChange::ItemChanged;
    const TKvIniSection *SectionA = nullptr;
    const TKvIniSection *SectionB = nullptr;
    qint32 SectionOccurrence = 0;
    const TKvIniVal *ValA = nullptr;
    const TKvIniVal *ValB = nullptr;
    qint32 KeyOccurrence = 0;

    bool IsSectionChange() const
    {
        return Change == TKvChange::SectionAdded || Change == TKvChange::SectionRemoved
               || Change == TKvChange::SectionChanged;
    }
    // The names as A spells them, or as B does when A lacks the object.
    QStringView SectionName() const
    {
        return SectionA ? QStringView(SectionA->Name) : QStringView(SectionB->Name);
    }
    QStringView KeyName() const { return ValA ? ValA->NameView() : ValB->NameView(); }
};

namespace KvCompare {

// The differences that turn A into B: section by section in A's order (a
// section's own change first, then its changed and removed items in A's
// order, then its added items in B's order), then the sections only B has.
std::vector<TKvDifference> Diff(const TKvMemIni &a, const TKvMemIni &b,
                                const TKvCompareOptions &options = {});

// The section of B that each section of A is paired with (null where B
// lacks it) and the occurrence of its name: one per section of A, in A's
// order. What a caller that follows changes to A keeps, so that a change
// inside one section is compared again for that section alone.
struct TKvSectionPair
{
    const TKvIniSection *B = nullptr;
    qint32 Occurrence = 0;
};
std::vector<TKvSectionPair> PairSections(const TKvMemIni &a, const TKvMemIni &b,
                                         const TKvCompareOptions &options = {});

// The differences Diff lists for one section a of A and its pair b (null
// where B lacks it): the section removed, or its own change and its items'.
std::vector<TKvDifference> DiffSectionPair(const TKvIniSection *a, const TKvIniSection *b, qint32 occurrence,
                                           const TKvCompareOptions &options = {});

// Whether two names identify the same section or item.
bool SameName(QStringView a, QStringView b, bool ignoreCase);
// Whether two value items differ in the compared fields.
bool ItemsDiffer(const TKvIniVal &a, const TKvIniVal &b, const TKvCompareOptions &options);

// Makes document a like B at the given differences, whose A side must be
// objects of a (the B side may be any document that outlives the call):
// changed items take B's value (and comment, with WithComments); added items
// go where Add item puts them (TKvIniSection::NewItemIndex), into a nameless
// section made at the front when a has none; removed items and sections are
// deleted; added sections are copied, line by line with their comments and
// blank lines, to the end; a changed section takes B's comment. Untouched
// entries stay as they are, so a keep-layout save writes them as read.
// Deletions are gathered per section, so k of them cost one pass over each
// section they touch rather than k.
void Apply(TKvMemIni &a, const std::vector<const TKvDifference *> &differences,
           const TKvCompareOptions &options);

} // namespace KvCompare
