#pragma once

#include "lists/kvtextwidth.h"

#include <QObject>

#include <array>
#include <map>
#include <vector>

class TKvDocument;
class TKvIniSection;
class TKvIniVal;
class TKvValueModel;

// The widest text of the value list's name, value and comment columns, kept
// up to date as rows come and go: each column holds how many rows have each
// width, so a change of k rows measures k rows, and removing the widest row
// still leaves the exact next width. A section is measured row by row when it
// is first shown; the counts of a big one are kept after it is left and
// follow its changes, so showing it again measures nothing.
class TKvColumnWidths : public QObject
{
public:
    // Sections of this many rows or more keep their counts once shown.
    static constexpr int KeptFromRows = 10'000;

    TKvColumnWidths(const TKvDocument &document, const TKvValueModel &model, const QFont &font,
                    QObject *parent = nullptr, int keptFromRows = KeptFromRows);

    // The widest text of the name, value and comment column; 0 for an empty column.
    std::array<int, 3> Widest() const;
    // How the value list's font measures a text.
    const TKvTextWidth &Measure() const { return m_measure; }

private:
    using TCounts = std::array<std::map<int, qint64>, 3>; // per column: rows by width
    struct TKept
    {
        bool ValuesOnly = false; // the rows counted: every entry, or the value items only
        TCounts Counts;
    };

    void Show();
    // The filter shows some of the section's rows: the counts are those of
    // the rows shown before (the last filter's, or the whole section's) with
    // the rows that came and went counted, so a key stroke measures only
    // them, or the rows shown where they are fewer.
    void ShowFiltered(const TKvIniSection &section, bool valuesOnly);
    void Count(TCounts &counts, const TKvIniVal &val, int delta);
    // Counts the entries valAt(0) .. valAt(n - 1) (nulls skipped): many rows
    // at once are tallied by width first and added to the maps in one go.
    template <typename ValAt> void CountMany(TCounts &counts, qsizetype n, ValAt valAt, int delta);
    void CountRows(int first, int last, int delta);
    // The kept counts of a section, when they are not the ones shown (a
    // hidden section, or one the filter shows only part of): they follow its
    // changes by themselves.
    TKept *KeptHidden(const TKvIniSection *section);
    void CountHidden(const TKvIniSection *section, int first, int count, int delta);
    void ForgetSections(int first, int count);

    const TKvDocument &m_document;
    const TKvValueModel &m_model;
    TKvTextWidth m_measure;
    int m_keptFromRows;
    std::map<const TKvIniSection *, TKept> m_kept;
    TCounts m_small;            // the counts of a shown section too small to keep
    TCounts *m_shown = &m_small; // the counts of the rows shown
    bool m_replacing = false;   // between the two signals of a replaced entry
    // What the filter showed last and its counts (the shown ones while it
    // is shown), as long as no change of the document has moved its rows.
    struct TFilteredRows
    {
        const TKvIniSection *Section = nullptr;
        bool ValuesOnly = false;
        std::vector<int> Positions;
        TCounts Counts;
    } m_filtered;
};
