#include "valuemodel.h"

#include "compare/comparelook.h"
#include "compare/comparesession.h"
#include "document/kvdocument.h"
#include "kvmemini.h"

#include <algorithm>

TKvValueModel::TKvValueModel(const TKvDocument &document, QObject *parent)
    : QAbstractTableModel(parent)
    , m_document(document)
{
    Follow();
}

void TKvValueModel::Follow()
{
    const TKvDocument *document = &m_document;
    // A new document: nothing of the old one may be shown.
    connect(document, &TKvDocument::AboutToReset, this, [this] { Clear(); });
    connect(document, &TKvDocument::ValsAboutToBeInserted, this,
            [this](TKvIniSection *section, int first, const std::vector<TKvIniVal *> &vals) {
                if (section != m_section)
                    return;
                const int count = int(vals.size());
                if (!m_valuesOnly) {
                    beginInsertRows({}, first, first + count - 1);
                    return;
                }
                const auto at = std::lower_bound(m_valuePositions.begin(), m_valuePositions.end(), first);
                const int row = int(at - m_valuePositions.begin());
                Shift(m_valuePositions.begin() + row, count);
                std::vector<int> added;
                for (int i = 0; i < count; ++i) {
                    if (vals[size_t(i)]->Kind() == ikValue)
                        added.push_back(first + i);
                }
                if (added.empty())
                    return;
                beginInsertRows({}, row, row + int(added.size()) - 1);
                m_valuePositions.insert(m_valuePositions.begin() + row, added.begin(), added.end());
            });
    connect(document, &TKvDocument::ValsInserted, this, [this](TKvIniSection *section, int, int count) {
        if (section != m_section)
            return;
        const int rows = m_valuesOnly ? int(m_valuePositions.size()) : m_rows + count;
        if (rows == m_rows)
            return;
        m_rows = rows;
        endInsertRows();
    });
    connect(document, &TKvDocument::ValsAboutToBeRemoved, this,
            [this](TKvIniSection *section, int first, int count) {
                if (section != m_section)
                    return;
                m_removing = {first, first + count};
                if (m_valuesOnly) {
                    const auto begin =
                        std::lower_bound(m_valuePositions.begin(), m_valuePositions.end(), first);
                    const auto end = std::lower_bound(begin, m_valuePositions.end(), first + count);
                    m_removing = {int(begin - m_valuePositions.begin()), int(end - m_valuePositions.begin())};
                }
                if (m_removing.first < m_removing.second)
                    beginRemoveRows({}, m_removing.first, m_removing.second - 1);
            });
    connect(document, &TKvDocument::ValsRemoved, this, [this](TKvIniSection *section, int, int count) {
        if (section != m_section)
            return;
        const auto [firstRow, endRow] = m_removing;
        if (m_valuesOnly) {
            const auto at = m_valuePositions.erase(m_valuePositions.begin() + firstRow,
                                                   m_valuePositions.begin() + endRow);
            Shift(at, -count);
            m_rows = int(m_valuePositions.size());
        } else {
            m_rows -= endRow - firstRow;
        }
        if (firstRow < endRow)
            endRemoveRows();
    });
    connect(document, &TKvDocument::ValReplaced, this,
            [this](TKvIniSection *section, int position, TKvIniVal *old, TKvIniVal *now) {
                if (section != m_section)
                    return;
                const bool wasShown = !m_valuesOnly || old->Kind() == ikValue;
                const bool isShown = !m_valuesOnly || now->Kind() == ikValue;
                const auto at = std::lower_bound(m_valuePositions.begin(), m_valuePositions.end(), position);
                const int row = m_valuesOnly ? int(at - m_valuePositions.begin()) : position;
                if (wasShown && isShown) {
                    emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
                } else if (isShown) {
                    beginInsertRows({}, row, row);
                    m_valuePositions.insert(at, position);
                    ++m_rows;
                    endInsertRows();
                } else if (wasShown) {
                    beginRemoveRows({}, row, row);
                    m_valuePositions.erase(at);
                    --m_rows;
                    endRemoveRows();
                }
            });
    // Another order gives other rows; the steps restore the selection.
    connect(document, &TKvDocument::Reordered, this, [this](TKvIniSection *section) {
        if (m_section && (!section || section == m_section))
            Fill(m_section, m_valuesOnly);
    });
    connect(document, &TKvDocument::SectionsAboutToBeRemoved, this, [this](int first, int count) {
        const int index = m_section ? m_document.IndexOfSection(m_section) : -1;
        if (index >= first && index < first + count)
            Clear();
    });
}

void TKvValueModel::Shift(std::vector<int>::iterator from, int delta)
{
    for (auto it = from; it != m_valuePositions.end(); ++it)
        *it += delta;
}

int TKvValueModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int TKvValueModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

int TKvValueModel::PositionAt(int row) const
{
    if (!m_section || row < 0 || row >= m_rows)
        return -1;
    const int position = m_valuesOnly ? m_valuePositions[size_t(row)] : row;
    return position < m_section->Vals.Count() ? position : -1;
}

int TKvValueModel::RowAt(int position) const
{
    if (!m_section || position < 0)
        return -1;
    if (!m_valuesOnly)
        return position < m_rows ? position : -1;
    const auto at = std::lower_bound(m_valuePositions.begin(), m_valuePositions.end(), position);
    return at != m_valuePositions.end() && *at == position ? int(at - m_valuePositions.begin()) : -1;
}

TKvIniVal *TKvValueModel::ValAt(int row) const
{
    const int position = PositionAt(row);
    return position >= 0 ? m_section->Vals[position] : nullptr;
}

int TKvValueModel::RowOf(const TKvIniVal *val) const
{
    return m_section && val ? RowAt(m_section->IndexOfVal(val)) : -1;
}

QVariant TKvValueModel::data(const QModelIndex &index, int role) const
{
    const TKvIniVal *val = ValAt(index.row());
    if (!val)
        return {};
    if (m_comparison) {
        const QVariant marked = CompareData(index.row(), index.column(), role);
        if (marked.isValid())
            return marked;
    }
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
    case Qt::AccessibleTextRole:
        // The picture tells the kind of line to the eye; this tells it to a screen reader.
        if (index.column() != IconColumn)
            return {};
        switch (val->Kind()) {
        case ikValue:
            return QStringLiteral("item");
        case ikComment:
            return QStringLiteral("comment");
        case ikBlank:
            return QStringLiteral("blank line");
        default:
            return QStringLiteral("unparsable line");
        }
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
    m_valuePositions.clear();
    m_valuePositions.shrink_to_fit();
    m_rows = 0;
    if (section) {
        if (valuesOnly) {
            for (qint32 i = 0; i < section->Vals.Count(); ++i) {
                if (section->Vals[i]->Kind() == ikValue)
                    m_valuePositions.push_back(i);
            }
            m_rows = int(m_valuePositions.size());
        } else {
            m_rows = section->Vals.Count();
        }
    }
    endResetModel();
}

void TKvValueModel::SetComparison(TCompareSession *session)
{
    if (m_comparison)
        disconnect(m_comparison, nullptr, this, nullptr);
    m_comparison = session;
    if (session) {
        connect(session, &TCompareSession::MarksChanged, this, &TKvValueModel::ShowAllRows);
        // A comparison closed without telling: the usual look again.
        connect(session, &QObject::destroyed, this, &TKvValueModel::ShowAllRows);
    }
    ShowAllRows();
}

void TKvValueModel::ShowAllRows()
{
    if (m_rows > 0)
        emit dataChanged(index(0, 0), index(m_rows - 1, ColumnCount - 1));
}

QVariant TKvValueModel::CompareData(int row, int column, int role) const
{
    if (role != Qt::BackgroundRole && role != CompareLook::StripRole && role != CompareLook::OtherToolTipRole
        && role != Qt::AccessibleDescriptionRole)
        return {};
    const qint32 section = m_comparison->SectionIndex(m_section);
    const qint32 entry = PositionAt(row);
    switch (role) {
    case Qt::BackgroundRole:
    case CompareLook::StripRole: {
        const TCompareMark mark = m_comparison->Marks().EntryMark(section, entry);
        if (mark == TCompareMark::Same || (role == CompareLook::StripRole && column != IconColumn))
            return {};
        return role == Qt::BackgroundRole ? CompareLook::Tint(mark) : CompareLook::Strip(mark);
    }
    case CompareLook::OtherToolTipRole:
        return m_comparison->EntryToolTip(section, entry);
    default: {
        const QString words = CompareLook::Words(m_comparison->Marks().EntryMark(section, entry));
        return words.isEmpty() ? QVariant() : QVariant(words);
    }
    }
}
