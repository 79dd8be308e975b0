// The section and value lists: filling, fitting, selecting, sorting and the
// values-only mode.
#include "kvlists.h"

#include "commands/editsteps.h"
#include "dialogs/kvmemo.h"
#include "document/kvdocument.h"
#include "lists/kvcolumnwidths.h"
#include "lists/kvfilter.h"
#include "lists/kvreportview.h"
#include "lists/kvtextwidth.h"
#include "sectionmodel.h"
#include "valuemodel.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QScreen>
#include <QSignalBlocker>
#include <QTableView>

#include <algorithm>

namespace {

QTableView *MakeList(QWidget *parent, QAbstractItemModel *model, int iconColumn, QSize iconSize)
{
    auto *list = new TKvReportView(iconColumn, parent);
    list->setModel(model);
    list->setIconSize(iconSize);
    // Without kerning and ligatures a line of Latin text is as wide as its
    // characters' advances, which lets the column fitting measure a million
    // cells exactly and cheaply.
    QFont font = list->font();
    font.setKerning(false);
    font.setStyleStrategy(QFont::PreferNoShaping);
    list->setFont(font);
    list->setShowGrid(true);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setWordWrap(false);
    list->setTextElideMode(Qt::ElideRight);
    list->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    // Uniform row heights keep a million rows cheap.
    QHeaderView *rows = list->verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(list->fontMetrics().height() + 4);
    QHeaderView *columns = list->horizontalHeader();
    columns->setSectionsClickable(true);
    columns->setHighlightSections(false);
    columns->setSortIndicatorShown(false);
    columns->setMinimumSectionSize(0);
    columns->setStretchLastSection(false);
    // The selection stays visible when the list loses the focus.
    QPalette palette = list->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight,
                     palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Active, QPalette::HighlightedText));
    list->setPalette(palette);
    return list;
}

TKvReportView *ReportView(QTableView *list)
{
    return static_cast<TKvReportView *>(list);
}

// Shows the arrow of the column whose sort state is not 0, if any.
void ShowSortArrows(QHeaderView *header, const std::array<int, 4> &states)
{
    const auto sorted = std::find_if(states.begin(), states.end(), [](int state) { return state != 0; });
    header->setSortIndicatorShown(sorted != states.end());
    if (sorted != states.end())
        header->setSortIndicator(int(sorted - states.begin()),
                                 *sorted == 1 ? Qt::AscendingOrder : Qt::DescendingOrder);
}

// The next sort state of a clicked column: ascending first, then flipping.
int NextSortState(int current)
{
    return current == 1 ? 2 : 1;
}

} // namespace

TKvLists::TKvLists(TKvDocument &document, QSize iconSize, QWidget *parent)
    : QSplitter(Qt::Horizontal, parent)
    , m_document(document)
{
    setObjectName(QStringLiteral("Splitter1"));
    setHandleWidth(Scaled(6));
    setOpaqueResize(true);
    setChildrenCollapsible(false);
    setStyleSheet(QStringLiteral("QSplitter::handle { background-color: #A3B4D8; }"));

    m_sectionModel = new TKvSectionModel(m_document, this);
    m_valueModel = new TKvValueModel(m_document, this);
    m_filter = new TKvFilter(&m_document, this);
    m_sectionModel->SetFilter(m_filter);
    m_valueModel->SetFilter(m_filter);
    LvSections = MakeList(this, m_sectionModel, TKvSectionModel::IconColumn, iconSize);
    LvSections->setObjectName(QStringLiteral("LvSections"));
    LvSections->setAccessibleName(QStringLiteral("Sections"));
    LvValues = MakeList(this, m_valueModel, TKvValueModel::IconColumn, iconSize);
    LvValues->setObjectName(QStringLiteral("LvValues"));
    LvValues->setAccessibleName(QStringLiteral("Items"));
    m_valueWidths = new TKvColumnWidths(m_document, *m_valueModel, LvValues->font(), this);
    addWidget(LvSections);
    addWidget(LvValues);
    setStretchFactor(0, 0);
    setStretchFactor(1, 1);
    setSizes({Scaled(377), Scaled(1127 - 377 - 6)});

    QHeaderView *sectionHeader = LvSections->horizontalHeader();
    sectionHeader->resizeSection(TKvSectionModel::NameColumn, Scaled(180));
    sectionHeader->resizeSection(TKvSectionModel::CountColumn, Scaled(60));
    // The comment column fills the rest from the start, as after every fitting.
    sectionHeader->setSectionResizeMode(TKvSectionModel::CommentColumn, QHeaderView::Stretch);
    QHeaderView *valueHeader = LvValues->horizontalHeader();
    valueHeader->resizeSection(TKvValueModel::NameColumn, Scaled(282));
    valueHeader->resizeSection(TKvValueModel::ValueColumn, Scaled(280));
    valueHeader->resizeSection(TKvValueModel::CommentColumn, Scaled(100));
    SizeIconColumns();

    // Every change of selection deselects the old row first, then selects the new one.
    connect(LvSections->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection &selected, const QItemSelection &deselected) {
                if (!deselected.isEmpty())
                    SectionSelected(deselected.indexes().first().row(), false);
                if (!selected.isEmpty())
                    SectionSelected(selected.indexes().first().row(), true);
            });
    connect(LvValues->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TKvLists::SelectionChanged);

    connect(sectionHeader, &QHeaderView::sectionClicked, this, &TKvLists::SectionColumnClicked);
    connect(valueHeader, &QHeaderView::sectionClicked, this, &TKvLists::ValueColumnClicked);
    connect(LvSections, &QTableView::doubleClicked, this, &TKvLists::SectionActivated);
    connect(LvValues, &QTableView::doubleClicked, this, &TKvLists::ValueActivated);
    for (QAbstractItemModel *model : {static_cast<QAbstractItemModel *>(m_sectionModel),
                                      static_cast<QAbstractItemModel *>(m_valueModel)}) {
        connect(model, &QAbstractItemModel::rowsInserted, this, &TKvLists::RowsShownChanged);
        connect(model, &QAbstractItemModel::rowsRemoved, this, &TKvLists::RowsShownChanged);
        connect(model, &QAbstractItemModel::modelReset, this, &TKvLists::RowsShownChanged);
    }
    FollowDocument();
}

TKvLists::~TKvLists()
{
    // The value list lets go of its section before the document goes.
    m_valueModel->Clear();
}

int TKvLists::Scaled(int designed) const
{
    return KvScaled(this, designed);
}

void TKvLists::SetIcons(const QIcon &section, const std::array<QIcon, 4> &kinds)
{
    m_sectionModel->SetSectionIcon(section);
    m_valueModel->SetKindIcons(kinds);
}

// The lists let go of their selection before their rows start over.
void TKvLists::FollowDocument()
{
    connect(&m_document, &TKvDocument::AboutToReset, this, [this] {
        DeselectBeforeRefill(LvValues);
        DeselectBeforeRefill(LvSections);
    });
    connect(&m_document, &TKvDocument::AboutToReorder, this, [this](TKvIniSection *section) {
        if (!section)
            DeselectBeforeRefill(LvSections);
        else if (section == m_valueModel->Section())
            DeselectBeforeRefill(LvValues);
    });
}

void TKvLists::SetShowTime(quint64 ms)
{
    m_showTimeMs = ms;
    emit ShowTimeChanged(ms);
}

// Removing the rows deselects the selected one, as a click elsewhere would.
void TKvLists::DeselectBeforeRefill(QTableView *list)
{
    const QModelIndexList selected = list->selectionModel()->selectedRows();
    if (selected.isEmpty())
        return;
    const QSignalBlocker blocker(list->selectionModel());
    list->selectionModel()->clearSelection();
    if (list == LvSections)
        SectionSelected(selected.first().row(), false);
    else
        emit SelectionChanged();
}

void TKvLists::FillSectionList()
{
    QElapsedTimer clock;
    clock.start();
    DeselectBeforeRefill(LvSections);
    m_sectionModel->Fill(m_valuesOnly);
    SetShowTime(quint64(clock.elapsed()));
}

void TKvLists::SelectFirstRows()
{
    QElapsedTimer clock;
    clock.start();
    if (m_sectionModel->rowCount() > 0)
        SelectRow(LvSections, 0);
    if (m_valueModel->rowCount() > 0)
        SelectRow(LvValues, 0);
    QCoreApplication::processEvents();
    SetShowTime(m_showTimeMs + quint64(clock.elapsed()));
}

TKvListSelection TKvLists::Current() const
{
    TKvListSelection selection;
    selection.Section = m_selectedSection;
    if (selection.Section) {
        const int row = SelectedRow(LvValues);
        selection.Position = m_valueModel->PositionAt(row);
        selection.Val = m_valueModel->ValAt(row);
    }
    for (int column = 0; column < 4; ++column) {
        if (const int state = m_sortStates[SectionList][size_t(column)])
            selection.SectionSort = {column, state};
        if (const int state = m_sortStates[ValueList][size_t(column)])
            selection.ValueSort = {column, state};
    }
    return selection;
}

void TKvLists::Restore(const TKvListSelection &selection)
{
    // A row the filter hides is shown by showing everything again.
    if (FilterHides(selection))
        SetFilterText(QString());
    SetSortArrows(LvSections, selection.SectionSort[0], selection.SectionSort[1]);
    const int sectionRow = m_sectionModel->RowOf(selection.Section);
    if (sectionRow < 0) {
        LvSections->selectionModel()->clearSelection();
        return;
    }
    if (m_selectedSection != selection.Section || m_valueModel->Section() != selection.Section)
        SelectRow(LvSections, sectionRow);
    SetSortArrows(LvValues, selection.ValueSort[0], selection.ValueSort[1]);
    // The entry is looked for where it was first, which spares a search through a long section.
    const TKvPtrVector<TKvIniVal> &vals = selection.Section->Vals;
    const bool inPlace = selection.Position >= 0 && selection.Position < vals.Count()
                         && vals[selection.Position] == selection.Val;
    const int valRow = inPlace ? m_valueModel->RowAt(selection.Position) : m_valueModel->RowOf(selection.Val);
    if (valRow >= 0)
        SelectRow(LvValues, valRow);
    else
        LvValues->selectionModel()->clearSelection();
}

int TKvLists::SelectedRow(const QTableView *list)
{
    const QModelIndexList rows = list->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

TKvIniVal *TKvLists::SelectedVal() const
{
    const int row = SelectedRow(LvValues);
    return row >= 0 ? m_valueModel->ValAt(row) : nullptr;
}

// The designed width, or more where the icon would not show whole.
void TKvLists::SizeIconColumns()
{
    for (QTableView *list : {LvSections, LvValues}) {
        const int width = std::max(Scaled(22), ReportView(list)->IconColumnMinimum());
        list->horizontalHeader()->resizeSection(0, width);
    }
}

void TKvLists::FitSectionColumns()
{
    QHeaderView *header = LvSections->horizontalHeader();
    const int rows = m_sectionModel->rowCount();

    const TKvTextWidth measure(LvSections->font());
    int nameWidth = measure.Width(u"Section Name");
    int countWidth = measure.Width(u"C");
    for (int row = 0; row < rows; ++row) {
        const TKvIniSection *section = m_sectionModel->SectionAt(row);
        nameWidth = std::max(nameWidth, measure.Width(section->Name));
        // In values-only mode the count is of the value items shown.
        countWidth = std::max(countWidth, measure.Width(m_sectionModel->CountText(*section)));
    }

    const int padding = Scaled(24);
    if (m_valuesOnly) {
        header->setSectionResizeMode(TKvSectionModel::CommentColumn, QHeaderView::Interactive);
        header->resizeSection(TKvSectionModel::CommentColumn, 0);
        header->setSectionResizeMode(TKvSectionModel::NameColumn, QHeaderView::Stretch);
    } else {
        header->setSectionResizeMode(TKvSectionModel::NameColumn, QHeaderView::Interactive);
        header->resizeSection(TKvSectionModel::NameColumn, nameWidth + padding);
        header->setSectionResizeMode(TKvSectionModel::CommentColumn, QHeaderView::Stretch);
    }
    header->resizeSection(TKvSectionModel::CountColumn, countWidth + padding);
}

void TKvLists::FillValueList(TKvIniSection *section)
{
    DeselectBeforeRefill(LvValues);
    m_valueModel->Fill(section, m_valuesOnly);
}

void TKvLists::FitValueColumns()
{
    QHeaderView *header = LvValues->horizontalHeader();
    const int padding = Scaled(20);
    const int rows = m_valueModel->rowCount();
    const int measured = m_valuesOnly ? 2 : 3;

    // The widest texts are kept as rows come and go: a short text can be the widest.
    const TKvTextWidth &measure = m_valueWidths->Measure();
    const std::array<int, 3> widest = m_valueWidths->Widest();
    std::array<int, 3> widths{};
    for (int i = 0; i < measured; ++i) {
        const QString caption =
            m_valueModel->headerData(TKvValueModel::NameColumn + i, Qt::Horizontal).toString();
        widths[size_t(i)] = measure.Width(caption) + 10;
        if (widest[size_t(i)] > 0)
            widths[size_t(i)] = std::max(widths[size_t(i)], widest[size_t(i)] + padding);
    }

    // The width left once the vertical scroll bar has taken its place.
    const int free =
        ReportView(LvValues)->ClientWidthFor(rows) - header->sectionSize(TKvValueModel::IconColumn);
    int total = 0;
    for (int i = 0; i < measured; ++i)
        total += widths[size_t(i)];
    if (total < free) {
        const int extra = (free - total) / measured;
        for (int i = 0; i < measured; ++i)
            widths[size_t(i)] += extra;
    }
    if (m_valuesOnly)
        widths[2] = 0;
    for (int i = 0; i < 3; ++i)
        header->resizeSection(TKvValueModel::NameColumn + i, widths[size_t(i)]);
}

void TKvLists::SetValuesOnly(bool on, bool refill)
{
    m_valuesOnly = on;
    if (refill) {
        FillSectionList();
        FitSectionColumns();
    }
}

void TKvLists::SelectRow(QTableView *list, int row)
{
    if (row < 0 || row >= list->model()->rowCount())
        return;
    const QModelIndex index = list->model()->index(row, 1);
    list->selectionModel()->clearSelection();
    list->selectionModel()->setCurrentIndex(index,
                                            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    list->scrollTo(index, QAbstractItemView::EnsureVisible);
}

void TKvLists::SelectRowOfData(TKvIniSection *section)
{
    const int row = m_sectionModel->RowOf(section);
    if (row < 0)
        return;
    const QModelIndex index = m_sectionModel->index(row, 1);
    LvSections->selectionModel()->select(index,
                                         QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

// ---- The filter ---------------------------------------------------------------

void TKvLists::SetFilterText(const QString &text)
{
    if (text == m_filter->Text())
        return;
    const TKvListSelection selection = Current();
    m_filter->SetText(text);
    FillSectionList();
    const int row = m_sectionModel->RowOf(selection.Section);
    if (row >= 0) {
        SelectRow(LvSections, row);
        const int valRow = m_valueModel->RowOf(selection.Val);
        if (valRow >= 0)
            SelectRow(LvValues, valRow);
    } else if (m_sectionModel->rowCount() > 0) {
        SelectRow(LvSections, 0);
    }
    emit FilterTextChanged(text);
    emit RowsShownChanged();
}

QString TKvLists::FilterText() const
{
    return m_filter->Text();
}

bool TKvLists::Filtered() const
{
    return m_filter->IsActive();
}

std::pair<int, int> TKvLists::SectionRowsShown() const
{
    return {m_sectionModel->rowCount(), m_document.Ini().Sections.Count()};
}

std::pair<int, int> TKvLists::ValueRowsShown() const
{
    return {m_valueModel->rowCount(), m_valueModel->UnfilteredRows()};
}

void TKvLists::Reveal(TKvIniSection *section, TKvIniVal *val)
{
    TKvListSelection selection;
    selection.Section = section;
    selection.Val = val;
    if (FilterHides(selection))
        SetFilterText(QString());
}

bool TKvLists::FilterHides(const TKvListSelection &selection) const
{
    if (!m_filter->IsActive() || !selection.Section)
        return false;
    if (m_sectionModel->RowOf(selection.Section) < 0)
        return true;
    const TKvIniVal *val = selection.Val;
    if (!val || (m_valuesOnly && val->Kind() != ikValue))
        return false;
    if (m_valueModel->Section() == selection.Section)
        return m_valueModel->RowOf(val) < 0;
    return !m_filter->SectionNamePasses(*selection.Section) && !m_filter->ValPasses(*val);
}

void TKvLists::SetSortArrows(QTableView *list, int column, int state)
{
    std::array<int, 4> &states = m_sortStates[size_t(ListIndexOf(list))];
    states.fill(0);
    if (column >= 0 && column < 4)
        states[size_t(column)] = state;
    ShowSortArrows(list->horizontalHeader(), states);
}

int TKvLists::SortState(QTableView *list, int column) const
{
    if (column < 0 || column >= 4)
        return 0;
    return m_sortStates[size_t(ListIndexOf(list))][size_t(column)];
}

void TKvLists::SectionSelected(int row, bool selected)
{
    SetSortArrows(LvValues, 0, 0);
    if (selected) {
        m_selectedSection = m_sectionModel->SectionAt(row);
        FillValueList(m_selectedSection);
        FitValueColumns();
    } else {
        m_selectedSection = nullptr;
        FillValueList(nullptr);
    }
    emit SelectionChanged();
}

void TKvLists::ValueColumnClicked(int column)
{
    // The header moves its arrow to any clicked column; it stays where the sort is.
    ShowSortArrows(LvValues->horizontalHeader(), m_sortStates[ValueList]);
    if (column == TKvValueModel::IconColumn || !m_selectedSection)
        return;
    const int state = NextSortState(SortState(LvValues, column));
    const TKvSortKey key = column == TKvValueModel::NameColumn    ? skName
                           : column == TKvValueModel::ValueColumn ? skValue
                                                                  : skComment;
    auto *step = new TKvOrderStep(
        m_document, *this, QStringLiteral("Sort Items"), TKvOrderStep::OneSectionsEntries, m_selectedSection,
        [section = m_selectedSection, key, state](TKvMemIni &) { section->SortVals(key, state == 1); });
    m_document.Push(step);
    SetSortArrows(LvValues, column, state);
    step->SelectionSettled();
}

void TKvLists::SectionColumnClicked(int column)
{
    ShowSortArrows(LvSections->horizontalHeader(), m_sortStates[SectionList]);
    if (column == TKvSectionModel::IconColumn)
        return;
    const int state = NextSortState(SortState(LvSections, column));
    const TKvSortKey key = column == TKvSectionModel::NameColumn    ? skName
                           : column == TKvSectionModel::CountColumn ? skCount
                                                                    : skComment;
    auto *step =
        new TKvOrderStep(m_document, *this, QStringLiteral("Sort Sections"), TKvOrderStep::SectionOrder,
                         nullptr, [key, state](TKvMemIni &ini) { ini.SortSections(key, state == 1); });
    TKvIniSection *remembered = m_selectedSection;
    m_document.Push(step);
    SetSortArrows(LvSections, column, state);
    if (remembered)
        SelectRowOfData(remembered);
    step->SelectionSettled();
}
