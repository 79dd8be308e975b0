// The section and value lists: filling, fitting, selecting, sorting and the
// values-only mode.
#include "form1.h"

#include "editsteps.h"

#include "kvgradilabel.h"
#include "kvimagelist.h"
#include "lists/kvcolumnwidths.h"
#include "lists/kvreportview.h"
#include "lists/kvtextwidth.h"
#include "sectionmodel.h"
#include "valuemodel.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTableView>

#include <algorithm>
#include <vector>

namespace {

enum ListIndex { SectionList = 0, ValueList = 1 };

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

int ListIndexOf(const TForm1 *form, const QTableView *list)
{
    return list == form->LvSections ? SectionList : ValueList;
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

} // namespace

void TForm1::CreateLists()
{
    Splitter1 = new QSplitter(Qt::Horizontal, this);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setHandleWidth(Scaled(6));
    Splitter1->setOpaqueResize(true);
    Splitter1->setChildrenCollapsible(false);
    Splitter1->setStyleSheet(QStringLiteral("QSplitter::handle { background-color: #A3B4D8; }"));

    const QSize iconSize(IlItems->Width(), IlItems->Height());
    LvSections = MakeList(Splitter1, m_sectionModel, TKvSectionModel::IconColumn, iconSize);
    LvSections->setObjectName(QStringLiteral("LvSections"));
    LvSections->setAccessibleName(QStringLiteral("Sections"));
    LvValues = MakeList(Splitter1, m_valueModel, TKvValueModel::IconColumn, iconSize);
    LvValues->setObjectName(QStringLiteral("LvValues"));
    LvValues->setAccessibleName(QStringLiteral("Items"));
    m_valueWidths = new TKvColumnWidths(m_document, *m_valueModel, LvValues->font(), this);
    Splitter1->addWidget(LvSections);
    Splitter1->addWidget(LvValues);
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setSizes({Scaled(377), Scaled(1127 - 377 - 6)});

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
    auto selectionHandler = [this](QTableView *list, void (TForm1::*handler)(int, bool)) {
        connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                [this, handler](const QItemSelection &selected, const QItemSelection &deselected) {
                    RunCommand([&] {
                        if (!deselected.isEmpty())
                            (this->*handler)(deselected.indexes().first().row(), false);
                        if (!selected.isEmpty())
                            (this->*handler)(selected.indexes().first().row(), true);
                    });
                });
    };
    selectionHandler(LvSections, &TForm1::LvSectionsSelectItem);
    selectionHandler(LvValues, &TForm1::LvValuesSelectItem);

    connect(sectionHeader, &QHeaderView::sectionClicked, this,
            [this](int column) { RunCommand([&] { LvSectionsColumnClick(column); }); });
    connect(valueHeader, &QHeaderView::sectionClicked, this,
            [this](int column) { RunCommand([&] { LvValuesColumnClick(column); }); });
    connect(LvSections, &QTableView::doubleClicked, this, [this] { LvSectionsDblClick(); });
    connect(LvValues, &QTableView::doubleClicked, this, [this] { LvValuesDblClick(); });
}

// Removing the rows deselects the selected one, as a click elsewhere would.
void TForm1::DeselectBeforeRefill(QTableView *list)
{
    const QModelIndexList selected = list->selectionModel()->selectedRows();
    if (selected.isEmpty())
        return;
    const QSignalBlocker blocker(list->selectionModel());
    list->selectionModel()->clearSelection();
    if (list == LvSections)
        LvSectionsSelectItem(selected.first().row(), false);
    else
        LvValuesSelectItem(selected.first().row(), false);
}

void TForm1::FillSectionList()
{
    QElapsedTimer clock;
    clock.start();
    DeselectBeforeRefill(LvSections);
    m_sectionModel->Fill(m_valuesOnly);
    SetShowTime(quint64(clock.elapsed()));
}

TKvListSelection TForm1::Current() const
{
    TKvListSelection selection;
    selection.Section = m_selectedSection;
    if (selection.Section) {
        const QModelIndexList rows = LvValues->selectionModel()->selectedRows();
        const int row = rows.isEmpty() ? -1 : rows.first().row();
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

void TForm1::Restore(const TKvListSelection &selection)
{
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
    const bool inPlace = selection.Position >= 0 && selection.Position < vals.Count
                         && vals[selection.Position] == selection.Val;
    const int valRow = inPlace ? m_valueModel->RowAt(selection.Position) : m_valueModel->RowOf(selection.Val);
    if (valRow >= 0)
        SelectRow(LvValues, valRow);
    else
        LvValues->selectionModel()->clearSelection();
}

// The designed width, or more where the icon would not show whole.
void TForm1::SizeIconColumns()
{
    for (QTableView *list : {LvSections, LvValues}) {
        const int width = std::max(Scaled(22), ReportView(list)->IconColumnMinimum());
        list->horizontalHeader()->resizeSection(0, width);
    }
}

void TForm1::FitSectionColumns()
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

    const int padding = 24 * ScreenDpi() / 144;
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

void TForm1::FillValueList(TKvIniSection *section)
{
    DeselectBeforeRefill(LvValues);
    m_valueModel->Fill(section, m_valuesOnly);
}

void TForm1::FitValueColumns()
{
    QHeaderView *header = LvValues->horizontalHeader();
    const int padding = 20 * ScreenDpi() / 144;
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

void TForm1::SelectRow(QTableView *list, int row)
{
    if (row < 0 || row >= list->model()->rowCount())
        return;
    const QModelIndex index = list->model()->index(row, 1);
    list->selectionModel()->clearSelection();
    list->selectionModel()->setCurrentIndex(index,
                                            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    list->scrollTo(index, QAbstractItemView::EnsureVisible);
}

void TForm1::SelectRowOfData(TKvIniSection *section)
{
    const int row = m_sectionModel->RowOf(section);
    if (row < 0)
        return;
    const QModelIndex index = m_sectionModel->index(row, 1);
    LvSections->selectionModel()->select(index,
                                         QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void TForm1::SetSortArrows(QTableView *list, int column, int state)
{
    std::array<int, 4> &states = m_sortStates[size_t(ListIndexOf(this, list))];
    states.fill(0);
    if (column >= 0 && column < 4)
        states[size_t(column)] = state;
    ShowSortArrows(list->horizontalHeader(), states);
}

int TForm1::SortState(QTableView *list, int column) const
{
    if (column < 0 || column >= 4)
        return 0;
    return m_sortStates[size_t(ListIndexOf(this, list))][size_t(column)];
}

void TForm1::LvSectionsSelectItem(int row, bool selected)
{
    SetSortArrows(LvValues, 0, 0);
    if (selected) {
        m_selectedSection = m_sectionModel->SectionAt(row);
        FillValueList(m_selectedSection);
        FitValueColumns();
    } else {
        m_selectedSection = nullptr;
    }
    UpdateActions();
    if (!selected)
        FillValueList(nullptr);
    UpdateSelectionMenus();
}

void TForm1::LvValuesSelectItem(int, bool)
{
    UpdateActions();
    UpdateSelectionMenus();
}

namespace {

// The next sort state of a clicked column: ascending first, then flipping.
int NextSortState(int current)
{
    return current == 1 ? 2 : 1;
}

} // namespace

void TForm1::LvValuesColumnClick(int column)
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
    PushStep(step);
    SetSortArrows(LvValues, column, state);
    step->SelectionSettled();
}

void TForm1::LvSectionsColumnClick(int column)
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
    PushStep(step);
    SetSortArrows(LvSections, column, state);
    if (remembered)
        SelectRowOfData(remembered);
    step->SelectionSettled();
}

void TForm1::LvSectionsDblClick()
{
    if (ActEditSection->isEnabled())
        ActEditSection->trigger();
}

void TForm1::LvValuesDblClick()
{
    if (ActEditItem->isEnabled())
        ActEditItem->trigger();
}

void TForm1::SetValuesOnly(bool on)
{
    if (m_shown && m_valuesOnly == on)
        return;
    m_valuesOnly = on;
    if (GlValuesOnly) {
        GlValuesOnly->SetChecked(on);
        GlValuesOnly->SetImageIndex(on ? 12 : 11);
        GlValuesOnly->SetImageHotIndex(on ? 14 : 13);
    }
    if (m_shown && !FileName().isEmpty()) {
        FillSectionList();
        FitSectionColumns();
    }
}

void TForm1::ActValuesOnlyExecute()
{
    const QModelIndexList sectionRows = LvSections->selectionModel()->selectedRows();
    const int sectionRow = sectionRows.isEmpty() ? -1 : sectionRows.first().row();
    const QModelIndexList valueRows = LvValues->selectionModel()->selectedRows();
    const TKvIniVal *remembered =
        valueRows.isEmpty() ? nullptr : m_valueModel->ValAt(valueRows.first().row());

    SetValuesOnly(!m_valuesOnly);
    SelectRow(LvSections, sectionRow);
    QApplication::processEvents();
    if (remembered) {
        const int row = m_valueModel->RowOf(remembered);
        if (row >= 0)
            SelectRow(LvValues, row);
    }
}
