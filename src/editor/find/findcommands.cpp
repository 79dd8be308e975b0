#include "findcommands.h"

#include "dialogrun.h"
#include "document/kvdocument.h"
#include "findallpane.h"
#include "formsearch.h"
#include "kvmsgbox.h"
#include "kvsearch.h"
#include "lists/kvlists.h"
#include "sectionmodel.h"
#include "valuemodel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QTableView>

TFindCommands::TFindCommands(const TKvEditContext &context, TSearchStruct &options)
    : m_doc(context.Document)
    , m_lists(context.Lists)
    , m_parent(context.DialogParent)
    , m_options(options)
{}

TFindCommands::~TFindCommands() = default;

void TFindCommands::ActSearchExecute()
{
    TSearchStruct &options = m_options;
    TFormSearch dialog(m_parent);
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
    const bool valuesOnly = m_lists.ValuesOnly();
    dialog.CbxSectionComments->setEnabled(!valuesOnly);
    dialog.CbxItemComments->setEnabled(!valuesOnly);

    dialog.ShowFindAll(m_findAllPane != nullptr);
    const int result = ExecDialog(dialog);
    if (result == TFormSearch::FindAllResult && m_findAllPane) {
        dialog.StoreOptions(options, valuesOnly);
        m_findAllPane->Run(dialog.FindText(), options);
        return;
    }
    if (result != QDialog::Accepted)
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
    TSearchStruct &options = m_options;
    SyncSearchPosition();
    if (m_search) {
        if (backwards)
            StepBackward(m_sectionCursor, m_itemCursor, options, m_doc.Ini());
        else
            StepForward(m_sectionCursor, m_itemCursor, options, m_doc.Ini());
        options.Backwards = backwards;
    }
    if (m_search && m_sectionCursor != KvSearchCursor::After && m_sectionCursor != KvSearchCursor::Before)
        FindAndSelect();
    else
        ActSearchExecute();
}

void TFindCommands::SyncSearchPosition()
{
    // Rows and document indices differ where values-only mode or the filter hides rows.
    const int sectionRow = TKvLists::SelectedRow(m_lists.LvSections);
    const int index = m_lists.SectionModel()->IndexAt(sectionRow);
    if (!m_lists.SelectedSection() || index < 0)
        return;
    m_sectionCursor = index;
    const int position = m_lists.ValueModel()->PositionAt(TKvLists::SelectedRow(m_lists.LvValues));
    if (position >= 0)
        m_itemCursor = position;
}

void TFindCommands::FindAndSelect()
{
    const TSearchStruct &options = m_options;
    const bool backwards = options.Backwards;
    if (!Find(*m_search, m_doc.Ini(), m_sectionCursor, m_itemCursor, options)) {
        InfoBox(QStringLiteral("Quillon Search"), QStringLiteral("No Mach Vere Found!"), m_parent);
        m_lists.LvSections->selectionModel()->clearSelection();
        m_lists.LvValues->selectionModel()->clearSelection();
        m_sectionCursor = m_itemCursor = backwards ? KvSearchCursor::Before : KvSearchCursor::After;
        return;
    }

    // A match the filter hides is shown by showing every row again.
    const TKvMemIni &ini = m_doc.Ini();
    if (m_sectionCursor >= 0 && m_sectionCursor < ini.Sections.Count()) {
        TKvIniSection *section = ini.Sections[m_sectionCursor];
        const bool atEntry = m_itemCursor >= 0 && m_itemCursor < section->Vals.Count();
        m_lists.Reveal(section, atEntry ? section->Vals[m_itemCursor] : nullptr);
    }

    QTableView *sections = m_lists.LvSections;
    const int sectionRow = m_lists.SectionModel()->RowOfIndex(m_sectionCursor);
    if (sectionRow >= 0) {
        // A section already shown keeps its value list: it is not filled again.
        if (TKvLists::SelectedRow(sections) != sectionRow || m_lists.SelectedSection() == nullptr)
            m_lists.SelectRow(sections, sectionRow);
        else
            sections->scrollTo(m_lists.SectionModel()->index(sectionRow, 1));
    } else {
        m_sectionCursor = backwards ? KvSearchCursor::After : KvSearchCursor::Before;
    }

    const int row = m_lists.ValueModel()->RowAt(m_itemCursor);
    if (row >= 0 && row < m_lists.ValueModel()->rowCount()) {
        m_lists.SelectRow(m_lists.LvValues, row);
    } else {
        m_lists.LvValues->selectionModel()->clearSelection();
        // A match on the section's own texts; an entry the values-only view
        // hides keeps its index, so that the next find continues after it.
        if (m_itemCursor < 0 || m_itemCursor == KvSearchCursor::After || !m_lists.ValuesOnly())
            m_itemCursor = backwards ? KvSearchCursor::After : KvSearchCursor::Before;
    }
}
