#include "editsteps.h"

#include "form1.h"
#include "kvmemini.h"
#include "sectionmodel.h"
#include "valuemodel.h"

#include <QItemSelectionModel>
#include <QTableView>

#include <algorithm>
#include <cstring>

namespace {

// Puts items into v at index at, in order, with one move of the slots after it.
template <typename T> void InsertRange(TKvPtrVector<T> &v, qint32 at, const std::vector<T *> &items)
{
    const auto n = qint32(items.size());
    if (v.Count + n > v.Capacity)
        v.Reserve(std::max(v.Count + n, TKvPtrVector<T>::GrownCapacity(v.Count + n - 1)));
    std::memmove(v.Items + at + n, v.Items + at, sizeof(T *) * size_t(v.Count - at));
    std::copy(items.begin(), items.end(), v.Items + at);
    v.Count += n;
}

// Takes n slots out of v at index at (the elements are not destroyed).
template <typename T> void RemoveRange(TKvPtrVector<T> &v, qint32 at, qint32 n)
{
    std::memmove(v.Items + at, v.Items + at + n, sizeof(T *) * size_t(v.Count - at - n));
    v.Count -= n;
    std::fill(v.Items + v.Count, v.Items + v.Count + n, nullptr);
}

int SelectedRow(const QTableView *list)
{
    const QModelIndexList rows = list->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

} // namespace

TKvListSelection CurrentSelection(const TForm1 &form)
{
    TKvListSelection selection;
    selection.Section = form.SelectedSection();
    if (selection.Section)
        selection.Val = form.ValueModel()->ValAt(SelectedRow(form.LvValues));
    return selection;
}

void RestoreSelection(TForm1 &form, const TKvListSelection &selection)
{
    const int sectionRow = form.SectionModel()->RowOf(selection.Section);
    if (sectionRow < 0) {
        form.LvSections->selectionModel()->clearSelection();
        return;
    }
    if (form.SelectedSection() != selection.Section || form.ValueModel()->Section() != selection.Section)
        form.SelectRow(form.LvSections, sectionRow);
    const int valRow = form.ValueModel()->RowOf(selection.Val);
    if (valRow >= 0)
        form.SelectRow(form.LvValues, valRow);
    else
        form.LvValues->selectionModel()->clearSelection();
}

// ---- The step -------------------------------------------------------------------

TKvEditStep::TKvEditStep(TForm1 &form, const QString &name)
    : QUndoCommand(name)
    , m_form(form)
    , m_before(CurrentSelection(form))
{}

void TKvEditStep::redo()
{
    Apply();
    if (!m_pushed) {
        // The push: the command leaves its own selection afterwards.
        m_pushed = true;
        m_after = CurrentSelection(m_form);
        return;
    }
    AfterUndoRedo(false);
    RestoreSelection(m_form, m_after);
    m_form.UpdateCounters();
}

void TKvEditStep::undo()
{
    Revert();
    AfterUndoRedo(true);
    RestoreSelection(m_form, m_before);
    m_form.UpdateCounters();
}

void TKvEditStep::SelectionSettled()
{
    m_after = CurrentSelection(m_form);
}

TKvEditStep::RowMode TKvEditStep::RowModeFor(const TKvIniSection *section) const
{
    const TKvValueModel *model = m_form.ValueModel();
    if (model->Section() != section)
        return RowMode::NotShown;
    if (!model->ValuesOnly())
        return RowMode::Positions;
    return m_pushed ? RowMode::Refill : RowMode::CommandRows;
}

// ---- Sections ------------------------------------------------------------------

TKvInsertSectionStep::TKvInsertSectionStep(TForm1 &form, const QString &name, TKvIniSection *section,
                                           int index)
    : TKvEditStep(form, name)
    , m_section(section)
    , m_index(index)
{}

TKvInsertSectionStep::~TKvInsertSectionStep()
{
    if (m_owned)
        delete m_section;
}

void TKvInsertSectionStep::Apply()
{
    TKvMemIni &ini = m_form.Document();
    if (m_index < 0 || m_index > ini.Sections.Count)
        m_index = ini.Sections.Count;
    m_form.SectionModel()->InsertSectionRows(m_index, 1, [&] { ini.Sections.Insert(m_index, m_section); });
    m_owned = false;
}

void TKvInsertSectionStep::Revert()
{
    if (m_form.SelectedSection() == m_section)
        m_form.LvSections->selectionModel()->clearSelection();
    if (m_form.ValueModel()->Section() == m_section)
        m_form.FillValueList(nullptr);
    TKvMemIni &ini = m_form.Document();
    m_form.SectionModel()->RemoveSectionRows(m_index, 1, [&] { ini.Sections.RemoveAt(m_index); });
    m_owned = true;
}

TKvRemoveSectionStep::TKvRemoveSectionStep(TForm1 &form, const QString &name, TKvIniSection *section)
    : TKvEditStep(form, name)
    , m_section(section)
{}

TKvRemoveSectionStep::~TKvRemoveSectionStep()
{
    if (m_owned)
        delete m_section;
}

void TKvRemoveSectionStep::Apply()
{
    TKvMemIni &ini = m_form.Document();
    m_index = ini.IndexOfSection(m_section);
    if (m_form.SelectedSection() == m_section)
        m_form.LvSections->selectionModel()->clearSelection();
    if (m_form.ValueModel()->Section() == m_section)
        m_form.FillValueList(nullptr);
    m_form.SectionModel()->RemoveSectionRows(m_index, 1, [&] { ini.Sections.RemoveAt(m_index); });
    m_owned = true;
}

void TKvRemoveSectionStep::Revert()
{
    TKvMemIni &ini = m_form.Document();
    m_form.SectionModel()->InsertSectionRows(m_index, 1, [&] { ini.Sections.Insert(m_index, m_section); });
    m_owned = false;
}

TKvSectionTextStep::TKvSectionTextStep(TForm1 &form, const QString &name, TKvIniSection *section,
                                       const QString &newName, const QString &newComment)
    : TKvEditStep(form, name)
    , m_section(section)
    , m_name(newName)
    , m_comment(newComment)
{}

void TKvSectionTextStep::Swap()
{
    std::swap(m_section->Name, m_name);
    std::swap(m_section->Comment, m_comment);
    m_form.ShowSectionRow(m_section);
}

// ---- Entries -------------------------------------------------------------------

TKvInsertValsStep::TKvInsertValsStep(TForm1 &form, const QString &name, TKvIniSection *section, int position,
                                     int row, std::vector<TKvIniVal *> vals)
    : TKvEditStep(form, name)
    , m_section(section)
    , m_position(position)
    , m_row(row)
    , m_vals(std::move(vals))
{}

TKvInsertValsStep::~TKvInsertValsStep()
{
    if (m_owned)
        qDeleteAll(m_vals);
}

int TKvInsertValsStep::LastRow() const
{
    return m_vals.empty() ? -1 : m_form.ValueModel()->RowOf(m_vals.back());
}

void TKvInsertValsStep::Apply()
{
    TKvPtrVector<TKvIniVal> &vals = m_section->Vals;
    if (m_position < 0 || m_position > vals.Count)
        m_position = vals.Count;
    auto change = [&] { InsertRange(vals, m_position, m_vals); };
    TKvValueModel *model = m_form.ValueModel();
    switch (RowModeFor(m_section)) {
    case RowMode::Positions:
        model->InsertValRows(m_position, m_vals, change);
        break;
    case RowMode::CommandRows:
        if (m_row < 0 || m_row > model->rowCount())
            m_row = model->rowCount();
        model->InsertValRows(m_row, m_vals, change);
        break;
    case RowMode::Refill:
        change();
        m_form.FillValueList(m_section);
        break;
    case RowMode::NotShown:
        change();
        break;
    }
    m_owned = false;
    m_form.ShowSectionRow(m_section);
}

void TKvInsertValsStep::Revert()
{
    const auto count = qint32(m_vals.size());
    auto change = [&] { RemoveRange(m_section->Vals, m_position, count); };
    switch (RowModeFor(m_section)) {
    case RowMode::Positions: {
        const int selected = SelectedRow(m_form.LvValues);
        if (selected >= m_position && selected < m_position + count)
            m_form.LvValues->selectionModel()->clearSelection();
        m_form.ValueModel()->RemoveValRows(m_position, count, change);
        break;
    }
    case RowMode::CommandRows:
    case RowMode::Refill:
        change();
        m_form.FillValueList(m_section);
        break;
    case RowMode::NotShown:
        change();
        break;
    }
    m_owned = true;
    m_form.ShowSectionRow(m_section);
}

TKvRemoveValStep::TKvRemoveValStep(TForm1 &form, const QString &name, TKvIniSection *section, TKvIniVal *val)
    : TKvEditStep(form, name)
    , m_section(section)
    , m_val(val)
{}

TKvRemoveValStep::~TKvRemoveValStep()
{
    if (m_owned)
        delete m_val;
}

void TKvRemoveValStep::Apply()
{
    m_position = m_section->IndexOfVal(m_val);
    auto change = [&] { m_section->Vals.RemoveAt(m_position); };
    TKvValueModel *model = m_form.ValueModel();
    const RowMode mode = RowModeFor(m_section);
    const int row = mode == RowMode::Positions     ? m_position
                    : mode == RowMode::CommandRows ? model->RowOf(m_val)
                                                   : -1;
    if (row >= 0) {
        if (SelectedRow(m_form.LvValues) == row)
            m_form.LvValues->selectionModel()->clearSelection();
        model->RemoveValRows(row, 1, change);
    } else {
        change();
        if (mode == RowMode::Refill)
            m_form.FillValueList(m_section);
    }
    m_val->Row = nullptr;
    m_owned = true;
    m_form.ShowSectionRow(m_section);
}

void TKvRemoveValStep::Revert()
{
    auto change = [&] { m_section->Vals.Insert(m_position, m_val); };
    switch (RowModeFor(m_section)) {
    case RowMode::Positions:
        m_form.ValueModel()->InsertValRows(m_position, {m_val}, change);
        break;
    case RowMode::CommandRows:
    case RowMode::Refill:
        change();
        m_form.FillValueList(m_section);
        break;
    case RowMode::NotShown:
        change();
        break;
    }
    m_owned = false;
    m_form.ShowSectionRow(m_section);
}

TKvReplaceValStep::TKvReplaceValStep(TForm1 &form, const QString &name, TKvIniSection *section,
                                     TKvIniVal *old, TKvIniVal *now)
    : TKvEditStep(form, name)
    , m_section(section)
    , m_old(old)
    , m_now(now)
{}

TKvReplaceValStep::~TKvReplaceValStep()
{
    delete (m_applied ? m_old : m_now);
}

void TKvReplaceValStep::Swap(TKvIniVal *out, TKvIniVal *in)
{
    const qint32 position = m_section->IndexOfVal(out);
    m_section->Vals.Items[position] = in;
    in->Row = nullptr;
    switch (RowModeFor(m_section)) {
    case RowMode::Positions:
    case RowMode::CommandRows:
        m_form.ValueModel()->ReplaceVal(out, in);
        break;
    case RowMode::Refill:
        m_form.FillValueList(m_section);
        break;
    case RowMode::NotShown:
        break;
    }
    out->Row = nullptr;
    m_applied = in == m_now;
    m_form.ShowSectionRow(m_section);
}

// ---- Orders --------------------------------------------------------------------

TKvOrderStep::TKvOrderStep(TForm1 &form, const QString &name, Scope scope, TKvIniSection *section,
                           std::function<void()> sort, std::function<void(bool)> refresh)
    : TKvEditStep(form, name)
    , m_scope(scope)
    , m_section(section)
    , m_sort(std::move(sort))
    , m_refresh(std::move(refresh))
{}

TKvOrderStep::Order TKvOrderStep::Take() const
{
    Order order;
    const TKvMemIni &ini = m_form.Document();
    if (m_scope == OneSectionsEntries) {
        order.sections = {m_section};
    } else {
        order.sections.assign(ini.Sections.begin(), ini.Sections.end());
    }
    if (m_scope != SectionOrder) {
        size_t total = 0;
        for (const TKvIniSection *section : order.sections)
            total += size_t(section->Vals.Count);
        order.vals.reserve(total);
        for (const TKvIniSection *section : order.sections)
            order.vals.insert(order.vals.end(), section->Vals.begin(), section->Vals.end());
    }
    return order;
}

void TKvOrderStep::Put(const Order &order)
{
    TKvMemIni &ini = m_form.Document();
    if (m_scope != OneSectionsEntries)
        std::copy(order.sections.begin(), order.sections.end(), ini.Sections.Items);
    if (m_scope != SectionOrder) {
        TKvIniVal *const *from = order.vals.data();
        for (TKvIniSection *section : order.sections) {
            std::copy(from, from + section->Vals.Count, section->Vals.Items);
            from += section->Vals.Count;
        }
    }
}

void TKvOrderStep::Apply()
{
    if (m_sorted) {
        Put(m_afterOrder);
        return;
    }
    m_beforeOrder = Take();
    m_sort();
    m_afterOrder = Take();
    m_sorted = true;
}

void TKvOrderStep::Revert()
{
    Put(m_beforeOrder);
}

TKvEditStep *MakeHeaderSortStep(TForm1 &form, QTableView *list, int column, int state,
                                std::function<void()> sort)
{
    int previousColumn = 0;
    int previousState = 0;
    for (int c = 1; c < 4; ++c) {
        if (form.SortState(list, c) != 0) {
            previousColumn = c;
            previousState = form.SortState(list, c);
        }
    }
    const bool sections = list == form.LvSections;
    TKvIniSection *section = sections ? nullptr : form.SelectedSection();
    auto refresh = [&form, list, section, column, state, previousColumn, previousState](bool undone) {
        if (!section)
            form.FillSectionList();
        else if (form.ValueModel()->Section() == section)
            form.FillValueList(section);
        else
            return;
        form.SetSortArrows(list, undone ? previousColumn : column, undone ? previousState : state);
    };
    return new TKvOrderStep(form, sections ? QStringLiteral("Sort Sections") : QStringLiteral("Sort Items"),
                            sections ? TKvOrderStep::SectionOrder : TKvOrderStep::OneSectionsEntries, section,
                            std::move(sort), refresh);
}
