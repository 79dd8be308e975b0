#pragma once

#include "document/kvselection.h"

#include <QIcon>
#include <QSplitter>

#include <array>

class QTableView;
class TKvColumnWidths;
class TKvDocument;
class TKvFilter;
class TKvIniSection;
class TKvIniVal;
class TKvSectionModel;
class TKvValueModel;

// The two lists side by side: the sections and the lines of the selected
// section. They fill, fit their columns, keep their sort arrows and the
// values-only mode, and follow the document through their models. The
// commands read and restore the selection through TKvSelection.
class TKvLists : public QSplitter, public TKvSelection
{
    Q_OBJECT

public:
    TKvLists(TKvDocument &document, QSize iconSize, QWidget *parent);
    ~TKvLists() override;

    // ---- The lists and their models ----
    QTableView *LvSections = nullptr;
    QTableView *LvValues = nullptr;
    TKvSectionModel *SectionModel() const { return m_sectionModel; }
    TKvValueModel *ValueModel() const { return m_valueModel; }
    void SetIcons(const QIcon &section, const std::array<QIcon, 4> &kinds);

    // ---- Selection ----
    TKvListSelection Current() const override;
    void Restore(const TKvListSelection &selection) override;
    TKvIniSection *SelectedSection() const { return m_selectedSection; }
    // The selected row of a list, or -1.
    static int SelectedRow(const QTableView *list);
    // The entry of the value list's selected row, or null.
    TKvIniVal *SelectedVal() const;
    void SelectRow(QTableView *list, int row);
    // Selects the section's row without scrolling to it.
    void SelectRowOfData(TKvIniSection *section);
    // The first section and its first line, as after reading a file.
    void SelectFirstRows();

    // ---- Filling and fitting ----
    void FillSectionList();
    void FitSectionColumns();
    void SizeIconColumns();
    void FillValueList(TKvIniSection *section);
    void FitValueColumns();
    bool ValuesOnly() const { return m_valuesOnly; }
    // refill: the lists are shown with a document, and show the mode at once.
    void SetValuesOnly(bool on, bool refill);

    // ---- The filter ----
    // Shows only the sections and entries that pass text (empty: all of
    // them); the selection stays where it is still shown.
    void SetFilterText(const QString &text);
    QString FilterText() const;
    bool Filtered() const;
    // Shows every row again when the filter hides the section or the entry.
    void Reveal(TKvIniSection *section, TKvIniVal *val);
    // The rows each list shows, and how many it would show without the filter.
    std::pair<int, int> SectionRowsShown() const;
    std::pair<int, int> ValueRowsShown() const;

    // ---- Sorting by a column ----
    void SetSortArrows(QTableView *list, int column, int state);
    int SortState(QTableView *list, int column) const;

    // How long the last filling took, with the first rows' selection after it.
    quint64 ShowTimeMs() const { return m_showTimeMs; }

signals:
    // A row of either list was selected or deselected.
    void SelectionChanged();
    // A row was double-clicked.
    void SectionActivated();
    void ValueActivated();
    void ShowTimeChanged(quint64 ms);
    // The filter text changed, also when the lists cleared it themselves.
    void FilterTextChanged(const QString &text);
    // A list gained or lost rows, or the filter changed.
    void RowsShownChanged();

private:
    enum ListIndex { SectionList = 0, ValueList = 1 };
    int ListIndexOf(const QTableView *list) const { return list == LvSections ? SectionList : ValueList; }
    int Scaled(int designed) const;
    void SetShowTime(quint64 ms);
    void DeselectBeforeRefill(QTableView *list);
    void SectionSelected(int row, bool selected);
    void SectionColumnClicked(int column);
    void ValueColumnClicked(int column);
    void FollowDocument();
    // Whether the filter hides what the selection names (values-only mode may hide it too).
    bool FilterHides(const TKvListSelection &selection) const;

    TKvDocument &m_document;
    TKvSectionModel *m_sectionModel = nullptr;
    TKvValueModel *m_valueModel = nullptr;
    TKvColumnWidths *m_valueWidths = nullptr; // the widest texts of the value list
    TKvFilter *m_filter = nullptr;
    TKvIniSection *m_selectedSection = nullptr;
    bool m_valuesOnly = false;
    quint64 m_showTimeMs = 0;
    std::array<std::array<int, 4>, 2> m_sortStates{}; // [list][column]
};
