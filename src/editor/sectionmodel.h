#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <QPointer>

class TCompareSession;
class TKvDocument;
class TKvIniSection;

// The rows of the section list: one per section of the document, read from
// the document directly. Row r shows Sections[r]; nothing is copied. The rows
// follow the document's change signals. While a comparison is shown, the
// rows carry its marks (CompareLook) and what the other file has there.
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

    // Rebuilds the rows from the document in the mode given.
    void Fill(bool valuesOnly);
    TKvIniSection *SectionAt(int row) const;
    int RowOf(const TKvIniSection *section) const;
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

    const TKvDocument &m_document;
    int m_rows = 0;
    bool m_valuesOnly = false;
    QIcon m_sectionIcon;
    QPointer<TCompareSession> m_comparison;
};
