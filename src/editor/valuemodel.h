#pragma once

#include <QAbstractTableModel>
#include <QIcon>

#include <array>
#include <functional>
#include <vector>

class TKvIniSection;
class TKvIniVal;

// The rows of the value list: the entries of one section, read from the
// document directly. Outside values-only mode row r shows Vals[r]; in
// values-only mode a list of the value items maps rows to entries.
class TKvValueModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { IconColumn, NameColumn, ValueColumn, CommentColumn, ColumnCount };

    explicit TKvValueModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Shows the entries of a section (none: an empty list). Sets the row
    // reference of every entry shown and clears it for every entry hidden.
    void Fill(TKvIniSection *section, bool valuesOnly);
    void Clear() { Fill(nullptr, m_valuesOnly); }
    // Tells the views that the cells of one entry changed.
    void ValChanged(const TKvIniVal *val);
    // Rows at row for vals, which change() puts into the shown section;
    // change() runs between the model's begin and end notifications.
    void InsertValRows(int row, const std::vector<TKvIniVal *> &vals, const std::function<void()> &change);
    // Removes count rows at row while change() takes their entries out.
    void RemoveValRows(int row, int count, const std::function<void()> &change);
    // The row showing old shows now instead (the entry was replaced in place).
    void ReplaceVal(const TKvIniVal *old, TKvIniVal *now);

    TKvIniSection *Section() const { return m_section; }
    TKvIniVal *ValAt(int row) const;
    int RowOf(const TKvIniVal *val) const;
    bool ValuesOnly() const { return m_valuesOnly; }

    // Kind icons, indexed by the entry kind.
    void SetKindIcons(const std::array<QIcon, 4> &icons) { m_kindIcons = icons; }

private:
    TKvIniSection *m_section = nullptr;
    int m_rows = 0;
    bool m_valuesOnly = false;
    std::vector<TKvIniVal *> m_valueRows; // values-only mode only
    std::array<QIcon, 4> m_kindIcons;
};
