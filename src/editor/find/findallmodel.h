#pragma once

#include "kvfieldrule.h"
#include "kvsearchoptions.h"

#include <QAbstractTableModel>
#include <QHash>

#include <functional>
#include <memory>
#include <vector>

class TKvDocument;
class TKvIniSection;
class TKvIniVal;
class TKvSearch;

// The results of Find All: one row per text that contains the find text, in
// the order Find Next visits them (a section's name, its comment, then its
// entries' names, values and comments), so the places of the rows, taken
// once each, are the places Find Next stops at.
//
// Rows refer to the sections and entries themselves and read their texts only
// when shown, so a million results cost a few machine words each. The rows
// follow the document's signals without ever moving: a text changed so that it
// no longer matches is greyed (and comes back when an undo restores it); a
// removed entry or section leaves its row greyed with the texts it had, and an
// undo that puts the same entry back revives it. Each change costs the rows of
// the changed entries only. A new match made by a change is not added: the
// list is the answer to one Find All.
class TKvFindAllModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { SectionColumn, ItemColumn, FieldColumn, TextColumn, ColumnCount };
    // The matches in the text cell's display text: a QList<int> of start and
    // length pairs. Empty for a greyed row.
    static constexpr int MatchesRole = Qt::UserRole + 1;
    enum class State : quint8 {
        Live,    // the text still contains the find text
        NoMatch, // the text was changed and no longer does
        Gone,    // the entry or section was removed
    };

    explicit TKvFindAllModel(const TKvDocument &document, QObject *parent = nullptr);
    ~TKvFindAllModel() override;

    // Lists every match of the find text in the texts the options select,
    // with their whole-words and case choices.
    void Run(const QString &findText, const TSearchStruct &options);
    void Clear();

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    const QString &FindText() const { return m_findText; }
    // The rows still matching.
    qsizetype LiveCount() const { return m_live; }
    State StateAt(int row) const;
    TKvField FieldAt(int row) const;
    // The section and the entry of a row that is not gone (entry null: the
    // section's own text); both null for a gone row.
    TKvIniSection *SectionAt(int row) const;
    TKvIniVal *ValAt(int row) const;

    // The longest text a cell shows; a longer one is cut around its first match.
    static constexpr int MaxShownLength = 200;

signals:
    void LiveCountChanged(qsizetype live);

private:
    struct Row
    {
        TKvIniSection *section;
        TKvIniVal *val; // null: the section's name or comment
        TKvField field;
        State state;
        bool goneWithSection; // removed with its section rather than alone
    };
    // What a gone row still shows.
    struct Snapshot
    {
        QString section;
        QString item;
        QString text;
    };

    void Follow();
    QStringView TextOf(const Row &row) const;
    bool Matches(QStringView text) const;
    // Sets a row that is not gone to Live or NoMatch by its text now.
    void Recheck(Row &row);
    void SetGone(int row, bool withSection);
    void Revive(int row);
    void SetState(Row &row, State state);
    void RowsChanged(int first, int last);
    void ValReplaced(TKvIniVal *old, TKvIniVal *now);
    // Runs update on each result row of the entries at first..first+count-1
    // of section, then tells the views which rows it looked at.
    void UpdateRowsOfVals(TKvIniSection *section, int first, int count, const std::function<void(int)> &update);
    void ValsRemoved(TKvIniSection *section, int first, int count);
    void ValsInserted(TKvIniSection *section, int first, int count);
    void SectionRemoved(TKvIniSection *section);
    void SectionInserted(TKvIniSection *section);
    void SectionChanged(TKvIniSection *section);

    const TKvDocument &m_document;
    QString m_findText;
    std::unique_ptr<TKvSearch> m_search;
    std::vector<Row> m_rows;
    qsizetype m_live = 0;
    // The first row of each entry with results (an entry's rows follow one
    // another), and each section's rows [first, end).
    QHash<const TKvIniVal *, int> m_valRows;
    QHash<const TKvIniSection *, std::pair<int, int>> m_sectionRows;
    QHash<int, Snapshot> m_snapshots;
};
