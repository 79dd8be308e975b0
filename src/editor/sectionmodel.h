#pragma once

#include <QAbstractTableModel>
#include <QIcon>

#include <functional>

class TKvIniSection;
class TKvMemIni;

// The rows of the section list: one per section of the document, read from
// the document directly. Row r shows Sections[r]; nothing is copied.
class TKvSectionModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { IconColumn, NameColumn, CountColumn, CommentColumn, ColumnCount };

    explicit TKvSectionModel(const TKvMemIni &ini, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Rebuilds the rows from the document; sets every section's row reference.
    void Fill(bool valuesOnly);
    // Empties the list (the document may be cleared afterwards).
    void Clear();
    // Tells the views that the cells of one section changed.
    void SectionChanged(const TKvIniSection *section);
    // Rows for count sections that change() puts into the document at row;
    // change() runs between the model's begin and end notifications.
    void InsertSectionRows(int row, int count, const std::function<void()> &change);
    // Removes count rows at row while change() takes their sections out.
    void RemoveSectionRows(int row, int count, const std::function<void()> &change);

    TKvIniSection *SectionAt(int row) const;
    int RowOf(const TKvIniSection *section) const;
    bool ValuesOnly() const { return m_valuesOnly; }
    // The count cell: entries, or value items only in values-only mode.
    QString CountText(const TKvIniSection &section) const;

    void SetSectionIcon(const QIcon &icon) { m_sectionIcon = icon; }

private:
    const TKvMemIni &m_ini;
    int m_rows = 0;
    bool m_valuesOnly = false;
    QIcon m_sectionIcon;
};
