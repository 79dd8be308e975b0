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

void TItemCommands::AddVals(TKvIniSection *section, int position, std::vector<TKvIniVal *> vals,
                            const QString &stepName)
{
    if (!section || vals.empty())
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
    }
    const auto count = int(vals.size());
    auto *step = new TKvValsStep(m_form.Doc(), m_form, stepName, section, position, std::move(vals));
    m_form.PushStep(step);
    m_form.SelectRow(m_form.LvValues, m_form.ValueModel()->RowAt(step->Position() + count - 1));
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

void TItemCommands::AddFromDialog(const TFrmItem &dialog, int position, const QString &stepName)
{
    std::vector<TKvIniVal *> vals;
    if (IsMultiLineComment(dialog)) {
        // One comment entry per line (a blank entry for an empty line), in order.
        for (const QString &line : dialog.MemoComment->Text().split(u'\n'))
            vals.push_back(new TKvIniVal(u"", u"", line));
    } else {
        vals.push_back(new TKvIniVal(dialog.Name(), dialog.Value(), dialog.Comment()));
    }
    AddVals(m_form.SelectedSection(), position, std::move(vals), stepName);
}

void TItemCommands::ActAddItemExecute()
{
    if (!m_form.SelectedSection())
        return;
    TFrmItem dialog(&m_form);
    if (RunItemDialog(dialog, QStringLiteral("Add Value Item")))
        AddFromDialog(dialog, -1, QStringLiteral("Add Item"));
}

void TItemCommands::ActInsertItemExecute()
{
    const TKvListSelection selected = m_form.Current();
    if (!selected.Section || !selected.Val)
        return;
    TFrmItem dialog(&m_form);
    if (RunItemDialog(dialog, QStringLiteral("Insert Value Item")))
        AddFromDialog(dialog, selected.Position, QStringLiteral("Insert Item"));
}

void TItemCommands::ActEditItemExecute()
{
    const TKvListSelection selected = m_form.Current();
    const TKvIniVal *val = selected.Val;
    if (!selected.Section || !val)
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
    auto *step = new TKvReplaceValStep(m_form.Doc(), m_form, QStringLiteral("Edit Item"), selected.Section,
                                       selected.Position, edited);
    m_form.PushStep(step);
    step->SelectionSettled();
}

void TItemCommands::ActDeleteItemExecute()
{
    const TKvIniVal *val = m_form.Current().Val;
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
    const TKvListSelection selected = m_form.Current();
    if (!selected.Section || !selected.Val)
        return;
    int row = m_form.ValueModel()->RowAt(selected.Position);
    auto *step = new TKvValsStep(m_form.Doc(), m_form, QStringLiteral("Delete Item"), selected.Section,
                                 selected.Position, 1);
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
    const TKvListSelection selected = m_form.Current();
    const TKvIniVal *val = selected.Val;
    if (!selected.Section || !val)
        return;
    TKvIniVal *toggled = val->Clone();
    toggled->ToggleComment();
    const QString name =
        val->Kind() == ikComment ? QStringLiteral("Uncomment Item") : QStringLiteral("Comment Item");
    auto *step =
        new TKvReplaceValStep(m_form.Doc(), m_form, name, selected.Section, selected.Position, toggled);
    m_form.PushStep(step);
    step->SelectionSettled();
}

void TItemCommands::MnuSortAllAlphabeticallyClick()
{
    const bool ascending = !(KeyModifiersNow() & Qt::ControlModifier);
    const TKvListSelection selected = m_form.Current();
    auto *step = new TKvOrderStep(
        m_form.Doc(), m_form, ascending ? QStringLiteral("Sort All") : QStringLiteral("Sort All Descending"),
        TKvOrderStep::AllSections, nullptr, [ascending](TKvMemIni &ini) { ini.SortAll(skName, ascending); });
    m_form.PushStep(step);
    if (selected.Section) {
        m_form.SelectRowOfData(selected.Section);
        if (selected.Val) {
            QApplication::processEvents();
            const int row = m_form.ValueModel()->RowOf(selected.Val);
            if (row >= 0)
                m_form.SelectRow(m_form.LvValues, row);
        }
    }
    step->SelectionSettled();
}
