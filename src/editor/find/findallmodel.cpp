#include "findallmodel.h"

#include "document/kvdocument.h"
#include "fieldcaption.h"
#include "kvmemini.h"
#include "kvsearch.h"

#include <QColor>
#include <QPalette>

namespace {

// Characters shown before the first match of a text that is cut.
constexpr qsizetype CutContext = 40;
const QChar Ellipsis(0x2026);

struct TShown
{
    QString text;
    QList<int> marks; // start, length pairs
};

// The text as a cell shows it: whole, or cut to MaxShownLength characters
// around the first match with an ellipsis where it was cut.
TShown Excerpt(QStringView text, const QList<qsizetype> &starts, qsizetype length)
{
    const qsizetype limit = TKvFindAllModel::MaxShownLength;
    qsizetype from = 0;
    if (text.size() > limit && !starts.isEmpty())
        from = qBound<qsizetype>(0, starts.first() - CutContext, text.size() - limit);
    const qsizetype to = qMin(text.size(), from + limit);
    TShown shown;
    const qsizetype offset = from > 0 ? 1 - from : 0;
    if (from > 0)
        shown.text += Ellipsis;
    shown.text += text.sliced(from, to - from);
    if (to < text.size())
        shown.text += Ellipsis;
    for (const qsizetype start : starts) {
        if (start >= from && start + length <= to)
            shown.marks << int(start + offset) << int(length);
    }
    return shown;
}

} // namespace

TKvFindAllModel::TKvFindAllModel(const TKvDocument &document, QObject *parent)
    : QAbstractTableModel(parent)
    , m_document(document)
{
    Follow();
}

TKvFindAllModel::~TKvFindAllModel() = default;

void TKvFindAllModel::Follow()
{
    const TKvDocument *document = &m_document;
    // The entries of the old document are about to go: nothing of them may stay.
    connect(document, &TKvDocument::AboutToReset, this, &TKvFindAllModel::Clear);
    connect(document, &TKvDocument::ValReplaced, this,
            [this](TKvIniSection *, int, TKvIniVal *old, TKvIniVal *now) { ValReplaced(old, now); });
    connect(document, &TKvDocument::ValsAboutToBeRemoved, this, &TKvFindAllModel::ValsRemoved);
    connect(document, &TKvDocument::ValsInserted, this, &TKvFindAllModel::ValsInserted);
    connect(document, &TKvDocument::SectionsAboutToBeRemoved, this, [this](int first, int count) {
        for (int i = first; i < first + count; ++i)
            SectionRemoved(m_document.Ini().Sections[i]);
    });
    connect(document, &TKvDocument::SectionsInserted, this, [this](int first, int count) {
        for (int i = first; i < first + count; ++i)
            SectionInserted(m_document.Ini().Sections[i]);
    });
    connect(document, &TKvDocument::SectionChanged, this, &TKvFindAllModel::SectionChanged);
    // A new order moves no result: the rows keep the order they were found in.
}

void TKvFindAllModel::Run(const QString &findText, const TSearchStruct &options)
{
    beginResetModel();
    m_rows.clear();
    m_valRows.clear();
    m_sectionRows.clear();
    m_snapshots.clear();
    m_findText = findText;
    m_search = std::make_unique<TKvSearch>(findText, options.CaseSensitive, options.WholeWords);
    const auto add = [this](TKvIniSection *section, TKvIniVal *val, TKvField field, QStringView text) {
        if (Matches(text))
            m_rows.push_back({section, val, field, State::Live, false});
    };
    // The order of Find Next: a section's name, its comment, then its entries.
    for (TKvIniSection *section : m_document.Ini().Sections) {
        const auto first = int(m_rows.size());
        if (options.SectionNames)
            add(section, nullptr, TKvField::SectionName, section->Name);
        if (options.SectionComments)
            add(section, nullptr, TKvField::SectionComment, section->Comment);
        if (options.AnyItemField()) {
            for (TKvIniVal *val : section->Vals) {
                const auto valFirst = int(m_rows.size());
                if (options.ItemNames)
                    add(section, val, TKvField::ItemName, val->NameView());
                if (options.ItemValues)
                    add(section, val, TKvField::ItemValue, val->ValueView());
                if (options.ItemComments)
                    add(section, val, TKvField::ItemComment, val->CommentView());
                if (int(m_rows.size()) > valFirst)
                    m_valRows.insert(val, valFirst);
            }
        }
        if (int(m_rows.size()) > first)
            m_sectionRows.insert(section, {first, int(m_rows.size())});
    }
    m_live = qsizetype(m_rows.size());
    endResetModel();
    emit LiveCountChanged(m_live);
}

void TKvFindAllModel::Clear()
{
    beginResetModel();
    m_rows.clear();
    m_rows.shrink_to_fit();
    m_valRows.clear();
    m_sectionRows.clear();
    m_snapshots.clear();
    m_live = 0;
    endResetModel();
    emit LiveCountChanged(m_live);
}

bool TKvFindAllModel::Matches(QStringView text) const
{
    // An empty text is never examined, as in Find.
    return m_search && !text.isEmpty() && m_search->Find(text) >= 0;
}

QStringView TKvFindAllModel::TextOf(const Row &row) const
{
    switch (row.field) {
    case TKvField::SectionName:
        return row.section->Name;
    case TKvField::SectionComment:
        return row.section->Comment;
    case TKvField::ItemName:
        return row.val->NameView();
    case TKvField::ItemComment:
        return row.val->CommentView();
    case TKvField::ItemValue:
    case TKvField::LineText:
        break;
    }
    return row.val->ValueView();
}

void TKvFindAllModel::SetState(Row &row, State state)
{
    if (row.state == state)
        return;
    m_live += (state == State::Live) - (row.state == State::Live);
    row.state = state;
}

void TKvFindAllModel::Recheck(Row &row)
{
    SetState(row, Matches(TextOf(row)) ? State::Live : State::NoMatch);
}

void TKvFindAllModel::SetGone(int r, bool withSection)
{
    Row &row = m_rows[size_t(r)];
    // The row keeps what it showed; its objects may be destroyed from now on.
    m_snapshots.insert(r, {data(index(r, SectionColumn)).toString(), data(index(r, ItemColumn)).toString(),
                           data(index(r, TextColumn)).toString()});
    SetState(row, State::Gone);
    row.goneWithSection = withSection;
}

void TKvFindAllModel::Revive(int r)
{
    Row &row = m_rows[size_t(r)];
    m_snapshots.remove(r);
    row.state = State::NoMatch; // counted as not live until rechecked
    row.goneWithSection = false;
    Recheck(row);
}

void TKvFindAllModel::RowsChanged(int first, int last)
{
    emit dataChanged(index(first, 0), index(last, ColumnCount - 1));
}

void TKvFindAllModel::ValReplaced(TKvIniVal *old, TKvIniVal *now)
{
    const auto it = m_valRows.constFind(old);
    if (it == m_valRows.cend())
        return;
    const int first = it.value();
    if (m_rows[size_t(first)].state == State::Gone)
        return; // rows of a removed entry whose place the replaced one took
    const qsizetype live = m_live;
    m_valRows.erase(it);
    m_valRows.insert(now, first);
    int r = first;
    for (; r < int(m_rows.size()) && m_rows[size_t(r)].val == old; ++r) {
        m_rows[size_t(r)].val = now;
        Recheck(m_rows[size_t(r)]);
    }
    RowsChanged(first, r - 1);
    if (m_live != live)
        emit LiveCountChanged(m_live);
}

void TKvFindAllModel::UpdateRowsOfVals(TKvIniSection *section, int first, int count,
                                       const std::function<void(int)> &update)
{
    const qsizetype live = m_live;
    for (int i = first; i < first + count; ++i) {
        const TKvIniVal *val = section->Vals[i];
        const auto it = m_valRows.constFind(val);
        if (it == m_valRows.cend())
            continue;
        int r = it.value();
        const int begin = r;
        for (; r < int(m_rows.size()) && m_rows[size_t(r)].val == val; ++r)
            update(r);
        RowsChanged(begin, r - 1);
    }
    if (m_live != live)
        emit LiveCountChanged(m_live);
}

void TKvFindAllModel::ValsRemoved(TKvIniSection *section, int first, int count)
{
    UpdateRowsOfVals(section, first, count, [this](int r) {
        if (m_rows[size_t(r)].state != State::Gone)
            SetGone(r, false);
    });
}

void TKvFindAllModel::ValsInserted(TKvIniSection *section, int first, int count)
{
    // The same entry put back where it was removed from (an undo).
    UpdateRowsOfVals(section, first, count, [this, section](int r) {
        const Row &row = m_rows[size_t(r)];
        if (row.state == State::Gone && !row.goneWithSection && row.section == section)
            Revive(r);
    });
}

void TKvFindAllModel::SectionRemoved(TKvIniSection *section)
{
    const auto it = m_sectionRows.constFind(section);
    if (it == m_sectionRows.cend())
        return;
    const qsizetype live = m_live;
    const auto [first, end] = it.value();
    for (int r = first; r < end; ++r) {
        if (m_rows[size_t(r)].state != State::Gone)
            SetGone(r, true);
    }
    RowsChanged(first, end - 1);
    if (m_live != live)
        emit LiveCountChanged(m_live);
}

void TKvFindAllModel::SectionInserted(TKvIniSection *section)
{
    const auto it = m_sectionRows.constFind(section);
    if (it == m_sectionRows.cend())
        return;
    const qsizetype live = m_live;
    const auto [first, end] = it.value();
    auto revive = [this, section](int r) {
        const Row &row = m_rows[size_t(r)];
        if (row.state == State::Gone && row.goneWithSection && row.section == section)
            Revive(r);
    };
    // The section's own rows come first; an entry's rows are revived only
    // through the entry now in the section, so no row refers to an entry
    // that is no longer there.
    for (int r = first; r < end && m_rows[size_t(r)].val == nullptr; ++r)
        revive(r);
    for (const TKvIniVal *val : section->Vals) {
        const auto valIt = m_valRows.constFind(val);
        if (valIt == m_valRows.cend())
            continue;
        for (int r = valIt.value(); r < end && m_rows[size_t(r)].val == val; ++r)
            revive(r);
    }
    RowsChanged(first, end - 1);
    if (m_live != live)
        emit LiveCountChanged(m_live);
}

void TKvFindAllModel::SectionChanged(TKvIniSection *section)
{
    const auto it = m_sectionRows.constFind(section);
    if (it == m_sectionRows.cend())
        return;
    const qsizetype live = m_live;
    const auto [first, end] = it.value();
    for (int r = first; r < end && m_rows[size_t(r)].val == nullptr; ++r) {
        Row &row = m_rows[size_t(r)];
        if (row.state != State::Gone && row.section == section)
            Recheck(row);
    }
    // Every row shows the section's name.
    RowsChanged(first, end - 1);
    if (m_live != live)
        emit LiveCountChanged(m_live);
}

int TKvFindAllModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int TKvFindAllModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

TKvFindAllModel::State TKvFindAllModel::StateAt(int row) const
{
    return row >= 0 && row < int(m_rows.size()) ? m_rows[size_t(row)].state : State::Gone;
}

TKvField TKvFindAllModel::FieldAt(int row) const
{
    return row >= 0 && row < int(m_rows.size()) ? m_rows[size_t(row)].field : TKvField::ItemValue;
}

TKvIniSection *TKvFindAllModel::SectionAt(int row) const
{
    return StateAt(row) != State::Gone ? m_rows[size_t(row)].section : nullptr;
}

TKvIniVal *TKvFindAllModel::ValAt(int row) const
{
    return StateAt(row) != State::Gone ? m_rows[size_t(row)].val : nullptr;
}

QVariant TKvFindAllModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_rows.size()))
        return {};
    const Row &row = m_rows[size_t(index.row())];
    const int column = index.column();
    if (role == Qt::ForegroundRole)
        return row.state == State::Live ? QVariant() : QVariant(QPalette().color(QPalette::Disabled, QPalette::Text));
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole && role != MatchesRole)
        return {};
    if (row.state == State::Gone) {
        const Snapshot snapshot = m_snapshots.value(index.row());
        switch (column) {
        case SectionColumn:
            return role == MatchesRole ? QVariant() : snapshot.section;
        case ItemColumn:
            return role == MatchesRole ? QVariant() : snapshot.item;
        case FieldColumn:
            return role == MatchesRole ? QVariant() : FieldCaption(row.field, nullptr);
        default:
            return role == MatchesRole ? QVariant::fromValue(QList<int>()) : QVariant(snapshot.text);
        }
    }
    if (role == MatchesRole && column != TextColumn)
        return {};
    switch (column) {
    case SectionColumn:
        return row.section->Name;
    case ItemColumn:
        return row.val ? row.val->Name() : QString();
    case FieldColumn:
        return FieldCaption(row.field, row.val);
    default:
        break;
    }
    const QStringView text = TextOf(row);
    if (role == Qt::ToolTipRole)
        return text.toString();
    const QList<qsizetype> starts = row.state == State::Live ? m_search->FindAll(text) : QList<qsizetype>();
    TShown shown = Excerpt(text, starts, m_search->FindText().size());
    if (role == MatchesRole)
        return QVariant::fromValue(shown.marks);
    return shown.text;
}

QVariant TKvFindAllModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case SectionColumn:
        return QStringLiteral("Section");
    case ItemColumn:
        return QStringLiteral("Item");
    case FieldColumn:
        return QStringLiteral("Field");
    case TextColumn:
        return QStringLiteral("Text");
    default:
        return {};
    }
}

Qt::ItemFlags TKvFindAllModel::flags(const QModelIndex &index) const
{
    // A gone row has nothing left to select.
    if (!index.isValid())
        return Qt::NoItemFlags;
    if (StateAt(index.row()) == State::Gone)
        return Qt::ItemNeverHasChildren;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}
