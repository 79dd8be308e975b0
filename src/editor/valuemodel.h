#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <QPointer>

#include "lists/kvrowmap.h"

#include <array>
#include <vector>

class TCompareSession;
class TKvDocument;
class TKvFilter;
class TKvIniSection;
class TKvIniVal;

// The rows of the value list: the entries of one section, read from the
// document directly. Row r shows Vals[r], unless values-only mode or a filter
// hides some: then an ascending list of the shown entries' positions maps
// rows to entries. Entries added meanwhile are shown whether the filter
// would let them through or not, so a command sees what it added; an entry
// changed in place stays shown. The rows follow the document's change
// signals, one range at a time. While a comparison is shown, the rows carry its marks (CompareLook)
// and the other file's value.
class TKvValueModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { IconColumn, NameColumn, ValueColumn, CommentColumn, ColumnCount };

    explicit TKvValueModel(const TKvDocument &document, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Shows the entries of a section (none: an empty list), through the
    // filter when one is set and active.
    void Fill(TKvIniSection *section, bool valuesOnly);
    void SetFilter(TKvFilter *filter) { m_filter = filter; }
    // How many rows the list would have without the filter.
    int UnfilteredRows() const { return m_unfilteredRows; }
    // Whether the filter hides some of the section's entries.
    bool Filtered() const { return m_filtered; }
    // The positions of the entries shown, ascending, while values-only mode
    // or the filter hides some (empty otherwise).
    const std::vector<int> &ShownPositions() const { return m_shown.Indices(); }
    void Clear() { Fill(nullptr, m_valuesOnly); }

    TKvIniSection *Section() const { return m_section; }
    TKvIniVal *ValAt(int row) const;
    int RowOf(const TKvIniVal *val) const;
    // The position in the section of the entry shown in row, or -1.
    int PositionAt(int row) const;
    // The row showing the entry at position, or -1 when it is not shown.
    int RowAt(int position) const;
    bool ValuesOnly() const { return m_valuesOnly; }

    // Kind icons, indexed by the entry kind.
    void SetKindIcons(const std::array<QIcon, 4> &icons) { m_kindIcons = icons; }
    // Shows the marks of a comparison; null: none, the usual look.
    void SetComparison(TCompareSession *session);

private:
    void Follow();
    // Whether values-only mode shows an entry.
    bool ModeShows(const TKvIniVal &val) const;
    // How many of count entries from first values-only mode shows.
    int ModeShowsOf(int first, int count) const;
    void ShowAllRows();
    // A comparison's part of a cell, or nothing where it has none.
    QVariant CompareData(int row, int column, int role) const;

    const TKvDocument &m_document;
    TKvIniSection *m_section = nullptr;
    int m_rows = 0;
    bool m_valuesOnly = false;
    TKvFilter *m_filter = nullptr;
    bool m_mapped = false; // rows map through m_shown
    bool m_filtered = false;
    TKvRowMap m_shown;     // mapped only: the positions of the entries shown
    int m_unfilteredRows = 0;
    std::pair<int, int> m_removing;    // the rows a removal under way takes
    std::array<QIcon, 4> m_kindIcons;
    QPointer<TCompareSession> m_comparison;
};
