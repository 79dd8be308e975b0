#include "itemcommands.h"

#include "dialogrun.h"
#include "editsteps.h"
#include "form1.h"
#include "frmitem.h"
#include "kvmemo.h"
#include "kvmsgbox.h"
#include "sectionmodel.h"
#include "valuemodel.h"

#include <QApplication>
#include <QCheckBox>
#include <QItemSelectionModel>
#include <QTableView>

#include <utility>

namespace {

int SelectedRowOf(const QTableView *list)
{
    const QModelIndexList rows = list->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

} // namespace

int TItemCommands::SelectedSectionRow() const
{
    return m_form.SelectedSection() ? SelectedRowOf(m_form.LvSections) : -1;
}

int TItemCommands::SelectedValueRow() const
{
    return SelectedRowOf(m_form.LvValues);
}

void TItemCommands::AddItemRow(int position, int row, const QString &name, const QString &value,
                               const QString &comment, int sectionRow)
{
    TKvIniSection *section = m_form.SectionModel()->SectionAt(sectionRow);
    if (!section)
        return;
    if (position < 0 && m_form.ValuesOnly()) {
        // Just after the last value item; at the top when there is none.
        position = 0;
        for (qint32 i = section->Vals.Count - 1; i >= 0; --i) {
            if (section->Vals[i]->Kind() == ikValue) {
                position = i + 1;
                break;
            }
        }
        row = -1;
    }
    auto *step = new TKvInsertValsStep(m_form, m_stepName, section, position, row,
                                       {new TKvIniVal(name, value, comment)});
    m_form.PushStep(step);
    m_form.ShowSectionRow(section);
    m_form.SelectRow(m_form.LvValues, step->LastRow());
    m_form.FitValueColumns();
    step->SelectionSettled();
}

void TItemCommands::AddCommentLines(int position, int row, const QStringList &lines, int sectionRow)
{
    TKvIniSection *section = m_form.SectionModel()->SectionAt(sectionRow);
    if (!section || lines.isEmpty())
        return;
    std::vector<TKvIniVal *> vals;
    vals.reserve(size_t(lines.size()));
    for (const QString &line : lines)
        vals.push_back(new TKvIniVal(u"", u"", line));
    auto *step = new TKvInsertValsStep(m_form, m_stepName, section, position, row, std::move(vals));
    m_form.PushStep(step);
    m_form.ShowSectionRow(section);
    m_form.SelectRow(m_form.LvValues, step->LastRow());
    m_form.FitValueColumns();
    step->SelectionSettled();
}

bool TItemCommands::RunItemDialog(TFrmItem &dialog, const QString &caption)
{
    dialog.setWindowTitle(caption);
    dialog.CbxMultiLineComment->setVisible(!m_form.ValuesOnly());
    return ExecDialog(dialog) == QDialog::Accepted;
}

bool TItemCommands::IsMultiLineComment(const TFrmItem &dialog)
{
    return dialog.CbxMultiLineComment->isEnabled() && dialog.CbxMultiLineComment->isChecked()
           && dialog.MemoComment->Text().split(u'\n').size() > 1;
}

void TItemCommands::AddFromDialog(const TFrmItem &dialog, int position, int row, const QString &stepName)
{
    m_stepName = stepName;
    const int sectionRow = SelectedSectionRow();
    if (IsMultiLineComment(dialog))
        AddCommentLines(position, row, dialog.MemoComment->Text().split(u'\n'), sectionRow);
    else
        AddItemRow(position, row, dialog.Name(), dialog.Value(), dialog.Comment(), sectionRow);
}

void TItemCommands::ActAddItemExecute()
{
    if (SelectedSectionRow() < 0)
        return;
    TFrmItem dialog(&m_form);
    if (RunItemDialog(dialog, QStringLiteral("Add Value Item")))
        AddFromDialog(dialog, -1, -1, QStringLiteral("Add Item"));
}

void TItemCommands::ActInsertItemExecute()
{
    TKvIniSection *section = m_form.SelectedSection();
    const int row = SelectedValueRow();
    const TKvIniVal *val = m_form.ValueModel()->ValAt(row);
    if (!section || !val)
        return;
    TFrmItem dialog(&m_form);
    if (RunItemDialog(dialog, QStringLiteral("Insert Value Item")))
        AddFromDialog(dialog, section->IndexOfVal(val), row, QStringLiteral("Insert Item"));
}

void TItemCommands::ActEditItemExecute()
{
    TKvIniSection *section = m_form.SelectedSection();
    TKvIniVal *val = m_form.ValueModel()->ValAt(SelectedValueRow());
    if (!section || !val)
        return;
    TFrmItem dialog(&m_form);
    dialog.SetName(val->Name());
    dialog.SetValue(val->Value());
    dialog.SetComment(val->Comment());
    if (!RunItemDialog(dialog, QStringLiteral("Edit Value Item")))
        return;
    // The entry is edited as a whole: the edited one takes its place and the
    // step keeps the original for undo.
    TKvIniVal *edited = val->Clone();
    edited->SetName(dialog.Name());
    edited->SetValue(dialog.Value());
    edited->SetComment(dialog.Comment());
    auto *step = new TKvReplaceValStep(m_form, QStringLiteral("Edit Item"), section, val, edited);
    m_form.PushStep(step);
    step->SelectionSettled();
}

void TItemCommands::ActDeleteItemExecute()
{
    const TKvIniVal *val =
        m_form.SelectedSection() ? m_form.ValueModel()->ValAt(SelectedValueRow()) : nullptr;
    if (!val)
        return;
    if (!(KeyModifiersNow() & Qt::ShiftModifier)) {
        const QString text = QStringLiteral("Are You sure You want to delete the Item named:\r\n\"")
                             + val->Name() + QStringLiteral("\" ?");
        if (!YesNoBox(QStringLiteral("Delete Value Item ?"), text, &m_form))
            return;
    }
    ActSilentDeleteItemExecute();
}

void TItemCommands::ActSilentDeleteItemExecute()
{
    TKvIniSection *section = m_form.SelectedSection();
    int row = SelectedValueRow();
    TKvIniVal *val = m_form.ValueModel()->ValAt(row);
    if (!section || !val)
        return;
    auto *step = new TKvRemoveValStep(m_form, QStringLiteral("Delete Item"), section, val);
    m_form.PushStep(step);
    if (row >= m_form.ValueModel()->rowCount())
        --row;
    if (row >= 0)
        m_form.SelectRow(m_form.LvValues, row);
    step->SelectionSettled();
}

void TItemCommands::MnuCommentUncommentItemClick()
{
    if (m_form.LvSections->hasFocus())
        return;
    TKvIniSection *section = m_form.SelectedSection();
    TKvIniVal *val = m_form.ValueModel()->ValAt(SelectedValueRow());
    if (!section || !val)
        return;
    TKvIniVal *toggled = val->Clone();
    toggled->ToggleComment();
    const QString name =
        val->Kind() == ikComment ? QStringLiteral("Uncomment Item") : QStringLiteral("Comment Item");
    auto *step = new TKvReplaceValStep(m_form, name, section, val, toggled);
    m_form.PushStep(step);
    step->SelectionSettled();
}

void TItemCommands::MnuSortAllAlphabeticallyClick()
{
    const bool ascending = !(KeyModifiersNow() & Qt::ControlModifier);
    TKvIniSection *section = m_form.SelectedSection();
    const TKvIniVal *val = section ? m_form.ValueModel()->ValAt(SelectedValueRow()) : nullptr;
    TKvMemIni &ini = m_form.Document();
    TForm1 &form = m_form;
    auto *step = new TKvOrderStep(
        m_form, ascending ? QStringLiteral("Sort All") : QStringLiteral("Sort All Descending"),
        TKvOrderStep::AllSections, nullptr, [&ini, ascending] { ini.SortAll(skName, ascending); },
        [&form](bool) { form.FillSectionList(); });
    m_form.PushStep(step);
    m_form.FillSectionList();
    if (section) {
        m_form.SelectRowOfData(section);
        if (val) {
            QApplication::processEvents();
            const int row = m_form.ValueModel()->RowOf(val);
            if (row >= 0)
                m_form.SelectRow(m_form.LvValues, row);
        }
    }
    step->SelectionSettled();
}
