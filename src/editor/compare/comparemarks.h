#pragma once

#include "kvcompare.h"

#include <optional>
#include <vector>

// What a section or entry of one document of a comparison shows against the
// other document.
enum class TCompareMark : quint8 {
    Same,    // the other document has it alike (or it is not compared)
    Added,   // only the B document has it (shown on the B side)
    Removed, // only the A document has it (shown on the A side)
    Changed, // both have it, differently: an item's value (or comment); for a
             // section its comment, any of its items, or items it lacks
};

// Which document of KvCompare::Diff(A, B) the marks are for. Taking the
// other document's versions (KvCompare::Apply) changes A, so a document
// that takes them is compared as A.
enum class TCompareSide : quint8 { A, B };

// A place in a document as the two lists show it: a section and an entry of
// it, entry -1 for the section's own row.
struct TComparePosition
{
    qint32 Section = -1;
    qint32 Entry = -1;

    friend bool operator==(const TComparePosition &, const TComparePosition &) = default;
    friend auto operator<=>(const TComparePosition &, const TComparePosition &) = default;
};

// The marks of one document of a comparison, by list position: what every
// section row and every entry row shows, the other document's version for a
// tooltip, what the other document has that this one lacks, and the way
// from one difference to the next.
//
// Built in one pass over the differences and the sections they touch; every
// lookup then costs O(1) and Next/Previous O(log d) for d differences.
// Positions are those of the document when the marks were built: after a
// change to it the marks are built again. The differences must outlive the
// marks (they are handed out for taking the other version).
class TCompareMarks
{
public:
    TCompareMarks() = default;
    // differences: KvCompare::Diff(A, B); shown: A or B, as side says.
    TCompareMarks(const TKvMemIni &shown, const std::vector<TKvDifference> &differences, TCompareSide side);

    // Same for positions beyond the document. The entries of a section that
    // only this document has carry the section's mark, whatever their kind.
    TCompareMark SectionMark(qint32 section) const;
    TCompareMark EntryMark(qint32 section, qint32 entry) const;

    // The other document's section of a changed section, and its item of a
    // changed entry; null everywhere else.
    const TKvIniSection *OtherSection(qint32 section) const;
    const TKvIniVal *OtherEntry(qint32 section, qint32 entry) const;

    // The difference behind an entry's mark (null for Same), and every
    // difference of a section: its own, its entries' and the items it lacks,
    // in the order of the differences. What "take the other version" of an
    // entry or a section hands to KvCompare::Apply.
    const TKvDifference *EntryDifference(qint32 section, qint32 entry) const;
    const std::vector<const TKvDifference *> &SectionDifferences(qint32 section) const;

    // The other document's items that this section lacks, in their order.
    const std::vector<const TKvIniVal *> &MissingEntries(qint32 section) const;
    // The other document's sections that this document lacks, in their
    // order (a section before the first header whose items this document
    // lacks among them).
    const std::vector<const TKvIniSection *> &MissingSections() const { return m_missingSections; }

    // Whether the two documents are equal in everything compared.
    bool Equal() const { return m_equal; }

    // The places a person steps through, in document order: every entry not
    // Same, and the row of a section that differs as a whole (only here, its
    // comment, or items it lacks). A section that differs only in entries is
    // reached through them.
    const std::vector<TComparePosition> &Stops() const { return m_stops; }
    // The first stop after / the last stop before a position; nothing at the
    // end / the start.
    std::optional<TComparePosition> Next(TComparePosition from) const;
    std::optional<TComparePosition> Previous(TComparePosition from) const;

private:
    struct TEntryMark
    {
        TCompareMark Mark = TCompareMark::Same;
        const TKvIniVal *Other = nullptr;
        const TKvDifference *Difference = nullptr;
    };
    struct TSectionMarks
    {
        TCompareMark Mark = TCompareMark::Same;
        bool Stop = false; // differs as a whole (see Stops)
        const TKvIniSection *Other = nullptr;
        // One per entry when some entry differs; empty when none does.
        std::vector<TEntryMark> Entries;
        std::vector<const TKvIniVal *> Missing;
        std::vector<const TKvDifference *> Differences;
    };

    const TSectionMarks *SectionAt(qint32 section) const;
    const TEntryMark *EntryAt(qint32 section, qint32 entry) const;

    std::vector<TSectionMarks> m_sections; // one per section of the document
    std::vector<const TKvIniSection *> m_missingSections;
    std::vector<TComparePosition> m_stops;
    bool m_equal = true;
};
