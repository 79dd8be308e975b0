#include "findcommands.h"

#include "dialogrun.h"
#include "form1.h"
#include "formsearch.h"
#include "kvmsgbox.h"
#include "kvsearch.h"
#include "sectionmodel.h"
#include "valuemodel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QTableView>

namespace {

int SelectedRowOf(const QTableView *list)
{
    const QModelIndexList rows = list->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

} // namespace

TFindCommands::TFindCommands(TForm1 &form)
    : m_form(form)
{}

TFindCommands::~TFindCommands() = default;

void TFindCommands::ActSearchExecute()
{
    TSearchStruct &options = m_form.SearchOptions();
    TFormSearch dialog(&m_form);
    const std::pair<QCheckBox *, bool *> flags[] = {
        {dialog.CbxSectionNames, &options.SectionNames},
        {dialog.CbxSectionComments, &options.SectionComments},
        {dialog.CbxItemNames, &options.ItemNames},
        {dialog.CbxItemValues, &options.ItemValues},
        {dialog.CbxItemComments, &options.ItemComments},
        {dialog.CbxWholeWords, &options.WholeWords},
        {dialog.CbxCaseSensitive, &options.CaseSensitive},
    };
    for (const auto &[box, flag] : flags)
        box->setChecked(*flag);
    options.Backwards = false;
    QStringList history;
    HistoryToList(options, history);
    dialog.CmbFindStr->addItems(history);
    if (!history.isEmpty())
        dialog.CmbFindStr->setCurrentIndex(0);
    else
        dialog.CmbFindStr->setEditText(QString());
    const bool valuesOnly = m_form.ValuesOnly();
    dialog.CbxSectionComments->setEnabled(!valuesOnly);
    dialog.CbxItemComments->setEnabled(!valuesOnly);

    if (ExecDialog(dialog) != QDialog::Accepted)
        return;
    for (const auto &[box, flag] : flags)
        *flag = box->isChecked();
    if (valuesOnly) {
        // Comments are not searched in the values-only view, and stay off.
        options.SectionComments = false;
        options.ItemComments = false;
    }
    const QString text = dialog.FindText();
    AddToHistory(options, text);
    m_search = std::make_unique<TKvSearch>(text, options.CaseSensitive, options.WholeWords);
    m_sectionCursor = m_itemCursor = options.Backwards ? KvSearchCursor::After : KvSearchCursor::Before;
    FindAndSelect();
}

void TFindCommands::ActFindNextExecute()
{
    FindNextOrPrevious(false);
}

void TFindCommands::ActFindPreviousExecute()
{
    FindNextOrPrevious(true);
}

void TFindCommands::FindNextOrPrevious(bool backwards)
{
    TSearchStruct &options = m_form.SearchOptions();
    SyncSearchPosition();
    if (m_search) {
        if (backwards)
            StepBackward(m_sectionCursor, m_itemCursor, options, m_form.Document());
        else
            StepForward(m_sectionCursor, m_itemCursor, options, m_form.Document());
        options.Backwards = backwards;
    }
    if (m_search && m_sectionCursor != KvSearchCursor::After && m_sectionCursor != KvSearchCursor::Before)
        FindAndSelect();
    else
        ActSearchExecute();
}

void TFindCommands::SyncSearchPosition()
{
    const TKvIniSection *section = m_form.SelectedSection();
    const int sectionRow = SelectedRowOf(m_form.LvSections);
    if (!section || sectionRow < 0)
        return;
    const int valueRow = SelectedRowOf(m_form.LvValues);
    if (!m_form.ValuesOnly()) {
        m_sectionCursor = sectionRow;
        if (valueRow >= 0)
            m_itemCursor = valueRow;
        return;
    }
    const qint32 index = m_form.Document().IndexOfSection(section);
    if (index < 0)
        return;
    m_sectionCursor = index;
    if (const TKvIniVal *val = m_form.ValueModel()->ValAt(valueRow)) {
        const qint32 item = section->IndexOfVal(val);
        if (item >= 0)
            m_itemCursor = item;
    }
}

void TFindCommands::FindAndSelect()
{
    const TSearchStruct &options = m_form.SearchOptions();
    const bool backwards = options.Backwards;
    if (!Find(*m_search, m_form.Document(), m_sectionCursor, m_itemCursor, options)) {
        InfoBox(QStringLiteral("Quillon Search"), QStringLiteral("No Mach Vere Found!"), &m_form);
        m_form.LvSections->selectionModel()->clearSelection();
        m_form.LvValues->selectionModel()->clearSelection();
        m_sectionCursor = m_itemCursor = backwards ? KvSearchCursor::Before : KvSearchCursor::After;
        return;
    }

    QTableView *sections = m_form.LvSections;
    if (m_sectionCursor >= 0 && m_sectionCursor < m_form.SectionModel()->rowCount()) {
        // A section already shown keeps its value list: it is not filled again.
        if (SelectedRowOf(sections) != m_sectionCursor || m_form.SelectedSection() == nullptr)
            m_form.SelectRow(sections, m_sectionCursor);
        else
            sections->scrollTo(m_form.SectionModel()->index(m_sectionCursor, 1));
    } else {
        m_sectionCursor = backwards ? KvSearchCursor::After : KvSearchCursor::Before;
    }

    int row = m_itemCursor;
    if (m_form.ValuesOnly() && m_itemCursor >= 0) {
        const TKvIniSection *section = m_form.SelectedSection();
        row = section && m_itemCursor < section->Vals.Count
                  ? m_form.ValueModel()->RowOf(section->Vals[m_itemCursor])
                  : -1;
    }
    if (row >= 0 && row < m_form.ValueModel()->rowCount()) {
        m_form.SelectRow(m_form.LvValues, row);
    } else {
        m_form.LvValues->selectionModel()->clearSelection();
        // A match on the section's own texts; an entry the values-only view
        // hides keeps its index, so that the next find continues after it.
        if (m_itemCursor < 0 || m_itemCursor == KvSearchCursor::After || !m_form.ValuesOnly())
            m_itemCursor = backwards ? KvSearchCursor::After : KvSearchCursor::Before;
    }
}
