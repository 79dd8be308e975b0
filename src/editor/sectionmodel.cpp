#include "sectionmodel.h"

#include "compare/comparelook.h"
#include "compare/comparesession.h"
#include "document/kvdocument.h"
#include "kvmemini.h"
#include "lists/kvfilter.h"

#include <numeric>

TKvSectionModel::TKvSectionModel(const TKvDocument &document, QObject *parent)
    : QAbstractTableModel(parent)
    , m_document(document)
{
    Follow();
}

void TKvSectionModel::Follow()
{
    const TKvDocument *document = &m_document;
    connect(document, &TKvDocument::AboutToReset, this, [this] { beginResetModel(); });
    connect(document, &TKvDocument::DocumentReset, this, [this] {
        Refill();
        endResetModel();
    });
    connect(document, &TKvDocument::SectionsAboutToBeInserted, this, [this](int first, int count) {
        if (!m_filtered) {
            beginInsertRows({}, first, first + count - 1);
            return;
        }
        const int row = m_shown.RowFrom(first);
        m_shown.Shift(row, count);
        beginInsertRows({}, row, row + count - 1);
        std::vector<int> added(static_cast<size_t>(count));
        std::iota(added.begin(), added.end(), first);
        m_shown.Insert(row, added);
    });
    connect(document, &TKvDocument::SectionsInserted, this, [this](int, int count) {
        m_rows += count;
        endInsertRows();
    });
    connect(document, &TKvDocument::SectionsAboutToBeRemoved, this, [this](int first, int count) {
        m_removing = {first, first + count};
        if (m_filtered)
            m_removing = m_shown.RowsOf(first, first + count);
        if (m_removing.first < m_removing.second)
            beginRemoveRows({}, m_removing.first, m_removing.second - 1);
    });
    connect(document, &TKvDocument::SectionsRemoved, this, [this](int, int count) {
        const auto [firstRow, endRow] = m_removing;
        if (m_filtered) {
            m_shown.Erase(firstRow, endRow);
            m_shown.Shift(firstRow, -count);
        }
        m_rows -= endRow - firstRow;
        if (firstRow < endRow)
            endRemoveRows();
    });
    connect(document, &TKvDocument::SectionChanged, this, &TKvSectionModel::ShowRow);
    // Sorting the sections, or everything, gives new rows; the steps restore the selection.
    connect(document, &TKvDocument::AboutToReorder, this, [this](TKvIniSection *section) {
        if (!section)
            beginResetModel();
    });
    connect(document, &TKvDocument::Reordered, this, [this](TKvIniSection *section) {
        if (section)
            return;
        Refill();
        endResetModel();
    });
}

// The rows of the whole document, or of the sections the filter lets through.
void TKvSectionModel::Refill()
{
    m_filtered = m_filter && m_filter->IsActive();
    m_shown.Clear();
    if (m_filtered) {
        const std::vector<qint32> &passing = m_filter->Sections(m_document.Ini());
        m_shown.Reserve(int(passing.size()));
        for (const qint32 index : passing)
            m_shown.Append(index);
        m_rows = m_shown.Count();
    } else {
        m_rows = m_document.Ini().Sections.Count();
    }
}

int TKvSectionModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int TKvSectionModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

int TKvSectionModel::IndexAt(int row) const
{
    if (row < 0 || row >= m_rows)
        return -1;
    const int index = m_filtered ? m_shown.At(row) : row;
    return index < m_document.Ini().Sections.Count() ? index : -1;
}

TKvIniSection *TKvSectionModel::SectionAt(int row) const
{
    const int index = IndexAt(row);
    return index >= 0 ? m_document.Ini().Sections[index] : nullptr;
}

int TKvSectionModel::RowOfIndex(int index) const
{
    if (index < 0)
        return -1;
    if (!m_filtered)
        return index < m_rows ? index : -1;
    return m_shown.RowOf(index);
}

int TKvSectionModel::RowOf(const TKvIniSection *section) const
{
    return section ? RowOfIndex(m_document.IndexOfSection(section)) : -1;
}

QString TKvSectionModel::CountText(const TKvIniSection &section) const
{
    if (!m_valuesOnly)
        return QString::number(section.Vals.Count());
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
    case Qt::AccessibleTextRole:
        // The picture says it to the eye; this says it to a screen reader.
        return index.column() == IconColumn ? QVariant(QStringLiteral("section")) : QVariant();
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
    Refill();
    endResetModel();
}

void TKvSectionModel::ShowRow(TKvIniSection *section)
{
    const int row = RowOf(section);
    if (row >= 0)
        emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

void TKvSectionModel::SetComparison(TCompareSession *session)
{
    if (m_comparison)
        disconnect(m_comparison, nullptr, this, nullptr);
    m_comparison = session;
    if (session) {
        connect(session, &TCompareSession::MarksChanged, this, &TKvSectionModel::ShowAllRows);
        // A comparison closed without telling: the usual look again.
        connect(session, &QObject::destroyed, this, &TKvSectionModel::ShowAllRows);
    }
    ShowAllRows();
}

void TKvSectionModel::ShowAllRows()
{
    if (m_rows > 0)
        emit dataChanged(index(0, 0), index(m_rows - 1, ColumnCount - 1));
}

// The comparison counts sections by their document indices.
QVariant TKvSectionModel::CompareData(int row, int column, int role) const
{
    const int index = IndexAt(row);
    switch (role) {
    case Qt::BackgroundRole:
    case CompareLook::StripRole: {
        const TCompareMark mark = m_comparison->Marks().SectionMark(index);
        if (mark == TCompareMark::Same || (role == CompareLook::StripRole && column != IconColumn))
            return {};
        return role == Qt::BackgroundRole ? CompareLook::Tint(mark) : CompareLook::Strip(mark);
    }
    case CompareLook::OtherToolTipRole:
        return m_comparison->SectionToolTip(index);
    case Qt::AccessibleDescriptionRole: {
        const QString words = CompareLook::Words(m_comparison->Marks().SectionMark(index));
        return words.isEmpty() ? QVariant() : QVariant(words);
    }
    default:
        return {};
    }
}
