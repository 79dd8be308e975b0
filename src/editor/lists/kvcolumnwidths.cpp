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
                }
                if (section != m_model.Section())
                    return;
                m_replacing = false;
                if (m_model.RowAt(position) >= 0)
                    Count(*m_shown, *now, 1);
            });
    // The entries of a hidden section come and go without rows.
    // Entries put in or taken out move the positions the last filter showed.
    connect(&document, &TKvDocument::ValsInserted, this, [this](TKvIniSection *section, int first, int count) {
        CountHidden(section, first, count, 1);
        m_filtered.Section = nullptr;
    });
    connect(&document, &TKvDocument::ValsAboutToBeRemoved, this,
            [this](TKvIniSection *section, int first, int count) {
                CountHidden(section, first, count, -1);
                m_filtered.Section = nullptr;
            });
    // Sorting moves them too, and a replacement may show or hide its row; the
    // list is filled again after a sort, so this comes before.
    connect(&document, &TKvDocument::AboutToReorder, this, [this] { m_filtered.Section = nullptr; });
    connect(&document, &TKvDocument::ValAboutToBeReplaced, this, [this] { m_filtered.Section = nullptr; });
    // A section out of the document may be destroyed and its address reused.
    connect(&document, &TKvDocument::SectionsAboutToBeRemoved, this, &TKvColumnWidths::ForgetSections);
    connect(&document, &TKvDocument::AboutToReset, this, [this] {
        m_filtered.Section = nullptr;
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
        ShowFiltered(*section, valuesOnly);
        return;
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

namespace {

// How many positions are in one of two ascending lists only.
size_t ChangedPositions(const std::vector<int> &before, const std::vector<int> &now)
{
    size_t common = 0;
    for (auto was = before.begin(), is = now.begin(); was != before.end() && is != now.end();) {
        if (*was < *is) {
            ++was;
        } else if (*is < *was) {
            ++is;
        } else {
            ++common;
            ++was;
            ++is;
        }
    }
    return before.size() + now.size() - 2 * common;
}

} // namespace

void TKvColumnWidths::ShowFiltered(const TKvIniSection &section, bool valuesOnly)
{
    const std::vector<int> &now = m_model.ShownPositions();
    std::vector<int> every; // the rows of the whole section in this mode
    const std::vector<int> *before = nullptr;
    TCounts counts;
    if (m_filtered.Section == &section && m_filtered.ValuesOnly == valuesOnly) {
        counts = std::move(m_filtered.Counts);
        before = &m_filtered.Positions;
    } else if (const auto kept = m_kept.find(&section);
               kept != m_kept.end() && kept->second.ValuesOnly == valuesOnly) {
        counts = kept->second.Counts;
        every.reserve(size_t(valuesOnly ? 0 : section.Vals.Count()));
        for (qint32 i = 0; i < section.Vals.Count(); ++i) {
            if (!valuesOnly || section.Vals[i]->Kind() == ikValue)
                every.push_back(i);
        }
        before = &every;
    }
    if (!before || ChangedPositions(*before, now) > now.size()) {
        // Measuring the rows shown costs less than the rows that came and went.
        counts = {};
        CountMany(counts, qsizetype(now.size()), [&](qsizetype i) { return section.Vals[now[size_t(i)]]; }, 1);
    } else {
        auto was = before->begin();
        auto is = now.begin();
        while (was != before->end() || is != now.end()) {
            if (is == now.end() || (was != before->end() && *was < *is)) {
                Count(counts, *section.Vals[*was++], -1);
            } else if (was == before->end() || *is < *was) {
                Count(counts, *section.Vals[*is++], 1);
            } else {
                ++was;
                ++is;
            }
        }
    }
    m_filtered.Section = &section;
    m_filtered.ValuesOnly = valuesOnly;
    m_filtered.Positions = now;
    m_filtered.Counts = std::move(counts);
    m_shown = &m_filtered.Counts;
}

namespace {

void AddRows(std::map<int, qint64> &rows, int width, qint64 delta)
{
    auto it = rows.try_emplace(width, 0).first;
    it->second += delta;
    if (it->second <= 0)
        rows.erase(it);
}

std::array<QStringView, 3> ColumnTexts(const TKvIniVal &val)
{
    return {val.NameView(), val.ValueView(), val.CommentView()};
}

// From this many rows on, counting tallies widths in arrays first: a step in
// a map per cell costs more than measuring the cell.
constexpr qsizetype TallyFromRows = 256;
// The widths tallied in the arrays; wider ones go to the maps directly.
constexpr int TalliedWidths = 2048;

} // namespace

void TKvColumnWidths::Count(TCounts &counts, const TKvIniVal &val, int delta)
{
    const std::array<QStringView, 3> texts = ColumnTexts(val);
    for (size_t column = 0; column < texts.size(); ++column) {
        if (!texts[column].isEmpty())
            AddRows(counts[column], m_measure.Width(texts[column]), delta);
    }
}

template <typename ValAt> void TKvColumnWidths::CountMany(TCounts &counts, qsizetype n, ValAt valAt, int delta)
{
    if (n < TallyFromRows) {
        for (qsizetype i = 0; i < n; ++i) {
            if (const TKvIniVal *val = valAt(i))
                Count(counts, *val, delta);
        }
        return;
    }
    std::vector<qint64> tally(counts.size() * TalliedWidths, 0); // rows by column and width
    for (qsizetype i = 0; i < n; ++i) {
        const TKvIniVal *val = valAt(i);
        if (!val)
            continue;
        const std::array<QStringView, 3> texts = ColumnTexts(*val);
        for (size_t column = 0; column < texts.size(); ++column) {
            if (texts[column].isEmpty())
                continue;
            const int width = m_measure.Width(texts[column]);
            if (width < TalliedWidths)
                tally[column * TalliedWidths + size_t(width)] += delta;
            else
                AddRows(counts[column], width, delta);
        }
    }
    for (size_t column = 0; column < counts.size(); ++column) {
        for (int width = 0; width < TalliedWidths; ++width) {
            if (const qint64 rows = tally[column * TalliedWidths + size_t(width)])
                AddRows(counts[column], width, rows);
        }
    }
}

void TKvColumnWidths::CountRows(int first, int last, int delta)
{
    CountMany(*m_shown, qsizetype(last) - first + 1, [&](qsizetype i) { return m_model.ValAt(first + int(i)); },
              delta);
}

TKvColumnWidths::TKept *TKvColumnWidths::KeptHidden(const TKvIniSection *section)
{
    const auto kept = m_kept.find(section);
    return kept == m_kept.end() || m_shown == &kept->second.Counts ? nullptr : &kept->second;
}

void TKvColumnWidths::CountHidden(const TKvIniSection *section, int first, int count, int delta)
{
    TKept *kept = KeptHidden(section);
    if (!kept)
        return;
    const bool valuesOnly = kept->ValuesOnly;
    CountMany(kept->Counts, count,
              [&](qsizetype i) -> const TKvIniVal * {
                  const TKvIniVal *val = section->Vals[first + qint32(i)];
                  return !valuesOnly || val->Kind() == ikValue ? val : nullptr;
              },
              delta);
}

void TKvColumnWidths::ForgetSections(int first, int count)
{
    m_filtered.Section = nullptr; // its address may be reused
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
