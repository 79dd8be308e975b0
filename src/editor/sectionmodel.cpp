#include "sectionmodel.h"

#include "kvmemini.h"

TKvSectionModel::TKvSectionModel(const TKvMemIni &ini, QObject *parent) : QAbstractTableModel(parent), m_ini(ini)
{
}

int TKvSectionModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int TKvSectionModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

TKvIniSection *TKvSectionModel::SectionAt(int row) const
{
    if (row < 0 || row >= m_rows || row >= m_ini.Sections.Count)
        return nullptr;
    return m_ini.Sections[row];
}

int TKvSectionModel::RowOf(const TKvIniSection *section) const
{
    const int row = section ? m_ini.IndexOfSection(section) : -1;
    return row < m_rows ? row : -1;
}

QString TKvSectionModel::CountText(const TKvIniSection &section) const
{
    if (!m_valuesOnly)
        return QString::number(section.Vals.Count);
    int values = 0;
    for (const TKvIniVal *val : section.Vals)
        values += val->Kind() == ikValue ? 1 : 0;
    return QString::number(values);
}

QVariant TKvSectionModel::data(const QModelIndex &index, int role) const
{
    const TKvIniSection *section = SectionAt(index.row());
    if (!section)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        switch (index.column()) {
        case NameColumn:
            return section->Name;
        case CountColumn:
            return CountText(*section);
        case CommentColumn:
            return m_valuesOnly ? QString() : section->Comment;
        default:
            return {};
        }
    case Qt::DecorationRole:
        return index.column() == IconColumn ? QVariant(m_sectionIcon) : QVariant();
    case Qt::TextAlignmentRole:
        return index.column() == CountColumn ? QVariant(Qt::AlignCenter) : QVariant();
    default:
        return {};
    }
}

QVariant TKvSectionModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::DisplayRole) {
        switch (section) {
        case NameColumn:
            return QStringLiteral("Section Name");
        case CountColumn:
            return QStringLiteral("C");
        case CommentColumn:
            return QStringLiteral("Comment");
        default:
            return QString();
        }
    }
    if (role == Qt::TextAlignmentRole && section == CountColumn)
        return QVariant(Qt::AlignCenter);
    return {};
}

void TKvSectionModel::Fill(bool valuesOnly)
{
    beginResetModel();
    m_valuesOnly = valuesOnly;
    m_rows = m_ini.Sections.Count;
    for (TKvIniSection *section : m_ini.Sections)
        section->Row = this;
    endResetModel();
}

void TKvSectionModel::Clear()
{
    beginResetModel();
    for (qint32 i = 0; i < qMin(m_rows, m_ini.Sections.Count); ++i)
        m_ini.Sections[i]->Row = nullptr;
    m_rows = 0;
    endResetModel();
}

void TKvSectionModel::SectionChanged(const TKvIniSection *section)
{
    const int row = RowOf(section);
    if (row >= 0)
        emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

void TKvSectionModel::InsertSectionRows(int row, int count, const std::function<void()> &change)
{
    beginInsertRows({}, row, row + count - 1);
    change();
    m_rows += count;
    for (int i = row; i < row + count; ++i)
        m_ini.Sections[i]->Row = this;
    endInsertRows();
}

void TKvSectionModel::RemoveSectionRows(int row, int count, const std::function<void()> &change)
{
    beginRemoveRows({}, row, row + count - 1);
    for (int i = row; i < row + count; ++i)
        m_ini.Sections[i]->Row = nullptr;
    change();
    m_rows -= count;
    endRemoveRows();
}
