#include "valuemodel.h"

#include "compare/comparelook.h"
#include "compare/comparesession.h"
#include "document/kvdocument.h"
#include "kvmemini.h"
#include "lists/kvfilter.h"

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
                if (!m_mapped) {
                    m_unfilteredRows += count;
                    beginInsertRows({}, first, first + count - 1);
                    return;
                }
                const int row = m_shown.RowFrom(first);
                m_shown.Shift(row, count);
                std::vector<int> added;
                for (int i = 0; i < count; ++i) {
                    if (ModeShows(*vals[size_t(i)]))
                        added.push_back(first + i);
                }
                m_unfilteredRows += int(added.size());
                if (added.empty())
                    return;
                beginInsertRows({}, row, row + int(added.size()) - 1);
                m_shown.Insert(row, added);
            });
    connect(document, &TKvDocument::ValsInserted, this, [this](TKvIniSection *section, int, int count) {
        if (section != m_section)
            return;
        const int rows = m_mapped ? m_shown.Count() : m_rows + count;
        if (rows == m_rows)
            return;
        m_rows = rows;
        endInsertRows();
    });
    connect(document, &TKvDocument::ValsAboutToBeRemoved, this,
            [this](TKvIniSection *section, int first, int count) {
                if (section != m_section)
                    return;
                m_unfilteredRows -= m_valuesOnly ? ModeShowsOf(first, count) : count;
                m_removing = {first, first + count};
                if (m_mapped)
                    m_removing = m_shown.RowsOf(first, first + count);
                if (m_removing.first < m_removing.second)
                    beginRemoveRows({}, m_removing.first, m_removing.second - 1);
            });
    connect(document, &TKvDocument::ValsRemoved, this, [this](TKvIniSection *section, int, int count) {
        if (section != m_section)
            return;
        const auto [firstRow, endRow] = m_removing;
        if (m_mapped) {
            m_shown.Erase(firstRow, endRow);
            m_shown.Shift(firstRow, -count);
            m_rows = m_shown.Count();
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
                m_unfilteredRows += int(ModeShows(*now)) - int(ModeShows(*old));
                const int row = m_mapped ? m_shown.RowFrom(position) : position;
                // Values-only mode follows the entry's kind; the filter neither
                // hides an entry changed in place nor shows one it hid.
                const bool wasShown = !m_mapped || m_shown.RowOf(position) >= 0;
                const bool isShown = ModeShows(*now) && (wasShown || !ModeShows(*old));
                if (wasShown && isShown) {
                    emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
                } else if (isShown) {
                    beginInsertRows({}, row, row);
                    m_shown.Insert(row, {position});
                    ++m_rows;
                    endInsertRows();
                } else if (wasShown) {
                    beginRemoveRows({}, row, row);
                    m_shown.Erase(row, row + 1);
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

bool TKvValueModel::ModeShows(const TKvIniVal &val) const
{
    return !m_valuesOnly || val.Kind() == ikValue;
}

int TKvValueModel::ModeShowsOf(int first, int count) const
{
    int shown = 0;
    for (int position = first; position < first + count; ++position)
        shown += ModeShows(*m_section->Vals[position]) ? 1 : 0;
    return shown;
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
    const int position = m_mapped ? m_shown.At(row) : row;
    return position < m_section->Vals.Count() ? position : -1;
}

int TKvValueModel::RowAt(int position) const
{
    if (!m_section || position < 0)
        return -1;
    if (!m_mapped)
        return position < m_rows ? position : -1;
    return m_shown.RowOf(position);
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
    m_shown.Clear();
    m_rows = m_unfilteredRows = 0;
    // Of a section whose name passes the filter every entry is shown, and so
    // of one shown although nothing in it passes (added while filtering).
    const bool filtered = section && m_filter && !m_filter->SectionNamePasses(*section)
                          && m_filter->SectionPasses(*section);
    m_mapped = section && (valuesOnly || filtered);
    m_filtered = filtered;
    if (section && !m_mapped) {
        m_rows = m_unfilteredRows = section->Vals.Count();
    } else if (section) {
        m_unfilteredRows = valuesOnly ? ModeShowsOf(0, section->Vals.Count()) : section->Vals.Count();
        if (filtered) {
            const std::vector<qint32> &passing = m_filter->Vals(*section);
            m_shown.Reserve(int(passing.size()));
            for (const qint32 position : passing) {
                if (ModeShows(*section->Vals[position]))
                    m_shown.Append(position);
            }
        } else {
            m_shown.Reserve(m_unfilteredRows);
            for (qint32 i = 0; i < section->Vals.Count(); ++i) {
                if (ModeShows(*section->Vals[i]))
                    m_shown.Append(i);
            }
        }
        m_rows = m_shown.Count();
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
