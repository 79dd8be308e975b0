#include "lists/kvcolumnwidths.h"

#include "document/kvdocument.h"
#include "kvmemini.h"
#include "valuemodel.h"

TKvColumnWidths::TKvColumnWidths(const TKvDocument &document, const TKvValueModel &model, const QFont &font,
                                 QObject *parent, int keptFromRows)
    : QObject(parent)
    , m_document(document)
    , m_model(model)
    , m_measure(font)
    , m_keptFromRows(keptFromRows)
{
    connect(&model, &QAbstractItemModel::modelReset, this, &TKvColumnWidths::Show);
    // The rows a replacement shows or hides are counted by the replacement.
    connect(&model, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex &, int first, int last) {
                if (!m_replacing)
                    CountRows(first, last, 1);
            });
    connect(&model, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex &, int first, int last) {
                if (!m_replacing)
                    CountRows(first, last, -1);
            });
    connect(&document, &TKvDocument::ValAboutToBeReplaced, this,
            [this](TKvIniSection *section, int position, TKvIniVal *old) {
                if (TKept *kept = KeptHidden(section)) {
                    if (!kept->ValuesOnly || old->Kind() == ikValue)
                        Count(kept->Counts, *old, -1);
                    return;
                }
                if (section != m_model.Section())
                    return;
                m_replacing = true;
                if (m_model.RowAt(position) >= 0)
                    Count(*m_shown, *old, -1);
            });
    connect(&document, &TKvDocument::ValReplaced, this,
            [this](TKvIniSection *section, int position, TKvIniVal *, TKvIniVal *now) {
                if (TKept *kept = KeptHidden(section)) {
                    if (!kept->ValuesOnly || now->Kind() == ikValue)
                        Count(kept->Counts, *now, 1);
                    return;
                }
                if (section != m_model.Section())
                    return;
                m_replacing = false;
                if (m_model.RowAt(position) >= 0)
                    Count(*m_shown, *now, 1);
            });
    // The entries of a hidden section come and go without rows.
    connect(&document, &TKvDocument::ValsInserted, this,
            [this](TKvIniSection *section, int first, int count) { CountHidden(section, first, count, 1); });
    connect(&document, &TKvDocument::ValsAboutToBeRemoved, this,
            [this](TKvIniSection *section, int first, int count) { CountHidden(section, first, count, -1); });
    // A section out of the document may be destroyed and its address reused.
    connect(&document, &TKvDocument::SectionsAboutToBeRemoved, this, &TKvColumnWidths::ForgetSections);
    connect(&document, &TKvDocument::AboutToReset, this, [this] {
        m_kept.clear();
        m_small = {};
        m_shown = &m_small;
    });
}

// The value list shows a section (or nothing) from scratch.
void TKvColumnWidths::Show()
{
    const TKvIniSection *section = m_model.Section();
    const bool valuesOnly = m_model.ValuesOnly();
    if (section && m_model.Filtered()) {
        // Only some rows are shown: they are measured, and the counts of the
        // whole section, which would miss the changes made meanwhile, go.
        m_kept.erase(section);
        section = nullptr;
    }
    if (section) {
        const auto kept = m_kept.find(section);
        if (kept != m_kept.end() && kept->second.ValuesOnly == valuesOnly) {
            m_shown = &kept->second.Counts;
            return;
        }
    }
    m_small = {};
    m_shown = &m_small;
    CountRows(0, m_model.rowCount() - 1, 1);
    if (section && m_model.rowCount() >= m_keptFromRows) {
        TKept &kept = m_kept[section];
        kept.ValuesOnly = valuesOnly;
        kept.Counts = std::move(m_small);
        m_small = {};
        m_shown = &kept.Counts;
    }
}

void TKvColumnWidths::Count(TCounts &counts, const TKvIniVal &val, int delta)
{
    const std::array<QStringView, 3> texts{val.NameView(), val.ValueView(), val.CommentView()};
    for (size_t column = 0; column < texts.size(); ++column) {
        if (texts[column].isEmpty())
            continue;
        std::map<int, qint64> &rows = counts[column];
        const int width = m_measure.Width(texts[column]);
        auto it = rows.try_emplace(width, 0).first;
        it->second += delta;
        if (it->second <= 0)
            rows.erase(it);
    }
}

void TKvColumnWidths::CountRows(int first, int last, int delta)
{
    for (int row = first; row <= last; ++row) {
        if (const TKvIniVal *val = m_model.ValAt(row))
            Count(*m_shown, *val, delta);
    }
}

TKvColumnWidths::TKept *TKvColumnWidths::KeptHidden(const TKvIniSection *section)
{
    if (section == m_model.Section())
        return nullptr;
    const auto kept = m_kept.find(section);
    return kept == m_kept.end() ? nullptr : &kept->second;
}

void TKvColumnWidths::CountHidden(const TKvIniSection *section, int first, int count, int delta)
{
    TKept *kept = KeptHidden(section);
    if (!kept)
        return;
    for (int i = first; i < first + count; ++i) {
        const TKvIniVal *val = section->Vals[i];
        if (!kept->ValuesOnly || val->Kind() == ikValue)
            Count(kept->Counts, *val, delta);
    }
}

void TKvColumnWidths::ForgetSections(int first, int count)
{
    if (m_kept.empty())
        return;
    const TKvPtrVector<TKvIniSection> &sections = m_document.Ini().Sections;
    for (int i = first; i < first + count; ++i) {
        const auto kept = m_kept.find(sections[i]);
        if (kept == m_kept.end())
            continue;
        if (m_shown == &kept->second.Counts) {
            m_small = {};
            m_shown = &m_small;
        }
        m_kept.erase(kept);
    }
}

std::array<int, 3> TKvColumnWidths::Widest() const
{
    std::array<int, 3> widest{};
    for (size_t column = 0; column < widest.size(); ++column) {
        if (!(*m_shown)[column].empty())
            widest[column] = (*m_shown)[column].rbegin()->first;
    }
    return widest;
}
