#include "valuemodel.h"

#include "kvmemini.h"

#include <algorithm>

TKvValueModel::TKvValueModel(QObject *parent) : QAbstractTableModel(parent) {}

int TKvValueModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int TKvValueModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

TKvIniVal *TKvValueModel::ValAt(int row) const
{
    if (!m_section || row < 0 || row >= m_rows)
        return nullptr;
    if (m_valuesOnly)
        return m_valueRows[size_t(row)];
    return row < m_section->Vals.Count ? m_section->Vals[row] : nullptr;
}

int TKvValueModel::RowOf(const TKvIniVal *val) const
{
    if (!m_section || !val)
        return -1;
    if (m_valuesOnly) {
        const auto it = std::find(m_valueRows.begin(), m_valueRows.end(), val);
        return it == m_valueRows.end() ? -1 : int(it - m_valueRows.begin());
    }
    const int row = m_section->IndexOfVal(val);
    return row < m_rows ? row : -1;
}

QVariant TKvValueModel::data(const QModelIndex &index, int role) const
{
    const TKvIniVal *val = ValAt(index.row());
    if (!val)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        switch (index.column()) {
        case NameColumn:
            return val->Name();
        case ValueColumn:
            return val->Value();
        case CommentColumn:
            return m_valuesOnly ? QString() : val->Comment();
        default:
            return {};
        }
    case Qt::DecorationRole:
        if (index.column() == IconColumn && val->Kind() <= ikError)
            return m_kindIcons[val->Kind()];
        return {};
    default:
        return {};
    }
}

QVariant TKvValueModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case NameColumn:
        return QStringLiteral("Name");
    case ValueColumn:
        return QStringLiteral("Value");
    case CommentColumn:
        return QStringLiteral("Comment");
    default:
        return QString();
    }
}

void TKvValueModel::Fill(TKvIniSection *section, bool valuesOnly)
{
    beginResetModel();
    m_section = section;
    m_valuesOnly = valuesOnly;
    m_valueRows.clear();
    m_valueRows.shrink_to_fit();
    m_rows = 0;
    if (section) {
        if (valuesOnly) {
            for (TKvIniVal *val : section->Vals) {
                const bool shown = val->Kind() == ikValue;
                val->Row = shown ? this : nullptr;
                if (shown)
                    m_valueRows.push_back(val);
            }
            m_rows = int(m_valueRows.size());
        } else {
            for (TKvIniVal *val : section->Vals)
                val->Row = this;
            m_rows = section->Vals.Count;
        }
    }
    endResetModel();
}

void TKvValueModel::ValChanged(const TKvIniVal *val)
{
    const int row = RowOf(val);
    if (row >= 0)
        emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

void TKvValueModel::InsertValRows(int row, const std::vector<TKvIniVal *> &vals, const std::function<void()> &change)
{
    const int count = int(vals.size());
    beginInsertRows({}, row, row + count - 1);
    change();
    if (m_valuesOnly)
        m_valueRows.insert(m_valueRows.begin() + row, vals.begin(), vals.end());
    for (TKvIniVal *val : vals)
        val->Row = this;
    m_rows += count;
    endInsertRows();
}

void TKvValueModel::RemoveValRows(int row, int count, const std::function<void()> &change)
{
    beginRemoveRows({}, row, row + count - 1);
    for (int i = row; i < row + count; ++i)
        ValAt(i)->Row = nullptr;
    change();
    if (m_valuesOnly)
        m_valueRows.erase(m_valueRows.begin() + row, m_valueRows.begin() + row + count);
    m_rows -= count;
    endRemoveRows();
}

void TKvValueModel::ReplaceVal(const TKvIniVal *old, TKvIniVal *now)
{
    if (m_valuesOnly) {
        const auto it = std::find(m_valueRows.begin(), m_valueRows.end(), old);
        if (it == m_valueRows.end())
            return;
        *it = now;
    }
    now->Row = old->Row;
    ValChanged(now);
}
