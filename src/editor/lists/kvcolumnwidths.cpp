#include "lists/kvcolumnwidths.h"

#include "document/kvdocument.h"
#include "kvmemini.h"
#include "valuemodel.h"

TKvColumnWidths::TKvColumnWidths(const TKvDocument &document, const TKvValueModel &model, const QFont &font,
                                 QObject *parent)
    : QObject(parent)
    , m_model(model)
    , m_measure(font)
{
    connect(&model, &QAbstractItemModel::modelReset, this, [this] {
        for (auto &column : m_rowsByWidth)
            column.clear();
        CountRows(0, m_model.rowCount() - 1, 1);
    });
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
                if (section != m_model.Section())
                    return;
                m_replacing = true;
                if (m_model.RowAt(position) >= 0)
                    Count(*old, -1);
            });
    connect(&document, &TKvDocument::ValReplaced, this,
            [this](TKvIniSection *section, int position, TKvIniVal *, TKvIniVal *now) {
                if (section != m_model.Section())
                    return;
                m_replacing = false;
                if (m_model.RowAt(position) >= 0)
                    Count(*now, 1);
            });
}

void TKvColumnWidths::Count(const TKvIniVal &val, int delta)
{
    const std::array<QStringView, 3> texts{val.NameView(), val.ValueView(), val.CommentView()};
    for (size_t column = 0; column < texts.size(); ++column) {
        if (texts[column].isEmpty())
            continue;
        std::map<int, qint64> &counts = m_rowsByWidth[column];
        const int width = m_measure.Width(texts[column]);
        auto it = counts.try_emplace(width, 0).first;
        it->second += delta;
        if (it->second <= 0)
            counts.erase(it);
    }
}

void TKvColumnWidths::CountRows(int first, int last, int delta)
{
    for (int row = first; row <= last; ++row) {
        if (const TKvIniVal *val = m_model.ValAt(row))
            Count(*val, delta);
    }
}

std::array<int, 3> TKvColumnWidths::Widest() const
{
    std::array<int, 3> widest{};
    for (size_t column = 0; column < widest.size(); ++column) {
        if (!m_rowsByWidth[column].empty())
            widest[column] = m_rowsByWidth[column].rbegin()->first;
    }
    return widest;
}
