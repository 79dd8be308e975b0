#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <QPointer>

#include "lists/kvrowmap.h"

class TCompareSession;
class TKvDocument;
class TKvFilter;
class TKvIniSection;

// The rows of the section list: one per section of the document, read from
// the document directly. Row r shows Sections[r]; nothing is copied. While a
// filter is active, an ascending list of the indices of the sections that
// pass maps rows to sections instead; sections added meanwhile are shown
// whatever their names, so a command sees what it added. The rows follow the
// document's change signals. While a comparison is shown, the rows carry its
// marks (CompareLook) and what the other file has there.
class TKvSectionModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { IconColumn, NameColumn, CountColumn, CommentColumn, ColumnCount };

    explicit TKvSectionModel(const TKvDocument &document, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Rebuilds the rows from the document in the mode given, through the
    // filter when one is set and active.
    void Fill(bool valuesOnly);
    void SetFilter(TKvFilter *filter) { m_filter = filter; }
    bool Filtered() const { return m_filtered; }
    TKvIniSection *SectionAt(int row) const;
    // The document index of the section in row, or -1.
    int IndexAt(int row) const;
    int RowOf(const TKvIniSection *section) const;
    // The row showing the section at a document index, or -1 when it is not shown.
    int RowOfIndex(int index) const;
    bool ValuesOnly() const { return m_valuesOnly; }
    // The count cell: entries, or value items only in values-only mode.
    QString CountText(const TKvIniSection &section) const;

    void SetSectionIcon(const QIcon &icon) { m_sectionIcon = icon; }
    // Shows the marks of a comparison; null: none, the usual look.
    void SetComparison(TCompareSession *session);

private:
    void Follow();
    void ShowRow(TKvIniSection *section);
    void ShowAllRows();
    // A comparison's part of a cell, or nothing where it has none.
    QVariant CompareData(int row, int column, int role) const;

    void Refill();

    const TKvDocument &m_document;
    int m_rows = 0;
    TKvFilter *m_filter = nullptr;
    bool m_filtered = false;
    TKvRowMap m_shown;              // filtered only: the indices of the sections shown
    std::pair<int, int> m_removing; // the rows a removal under way takes
    bool m_valuesOnly = false;
    QIcon m_sectionIcon;
    QPointer<TCompareSession> m_comparison;
};
