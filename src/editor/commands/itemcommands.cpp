#include "itemcommands.h"

#include "dialogrun.h"
#include "document/kvdocument.h"
#include "editsteps.h"
#include "frmitem.h"
#include "kvbusycursor.h"
#include "kvmemo.h"
#include "kvmsgbox.h"
#include "lists/kvlists.h"
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
    if (position < 0 && m_lists.ValuesOnly()) {
        // Just after the last value item; at the top when there is none.
        position = 0;
        for (qint32 i = section->Vals.Count() - 1; i >= 0; --i) {
            if (section->Vals[i]->Kind() == ikValue) {
                position = i + 1;
                break;
            }
        }
    }
    const auto count = int(vals.size());
    auto *step = new TKvValsStep(m_doc, m_lists, stepName, section, position, std::move(vals));
    m_doc.Push(step);
    m_lists.SelectRow(m_lists.LvValues, m_lists.ValueModel()->RowAt(step->Position() + count - 1));
    m_lists.FitValueColumns();
    step->SelectionSettled();
}

bool TItemCommands::RunItemDialog(TFrmItem &dialog, const QString &caption)
{
    dialog.setWindowTitle(caption);
    dialog.CbxMultiLineComment->setVisible(!m_lists.ValuesOnly());
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
    AddVals(m_lists.SelectedSection(), position, std::move(vals), stepName);
}

void TItemCommands::ActAddItemExecute()
{
    if (!m_lists.SelectedSection())
        return;
    TFrmItem dialog(m_parent);
    if (RunItemDialog(dialog, QStringLiteral("Add Value Item")))
        AddFromDialog(dialog, -1, QStringLiteral("Add Item"));
}

void TItemCommands::ActInsertItemExecute()
{
    const TKvListSelection selected = m_lists.Current();
    if (!selected.Section || !selected.Val)
        return;
    TFrmItem dialog(m_parent);
    if (RunItemDialog(dialog, QStringLiteral("Insert Value Item")))
        AddFromDialog(dialog, selected.Position, QStringLiteral("Insert Item"));
}

void TItemCommands::ActEditItemExecute()
{
    const TKvListSelection selected = m_lists.Current();
    const TKvIniVal *val = selected.Val;
    if (!selected.Section || !val)
        return;
    TFrmItem dialog(m_parent);
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
    auto *step = new TKvReplaceValStep(m_doc, m_lists, QStringLiteral("Edit Item"), selected.Section,
                                       selected.Position, edited);
    m_doc.Push(step);
    step->SelectionSettled();
}

void TItemCommands::ActDeleteItemExecute()
{
    const TKvIniVal *val = m_lists.Current().Val;
    if (!val)
        return;
    if (!(KeyModifiersNow() & Qt::ShiftModifier)) {
        const QString text = QStringLiteral("Are You sure You want to delete the Item named:\r\n\"")
                             + val->Name() + QStringLiteral("\" ?");
        if (!YesNoBox(QStringLiteral("Delete Value Item ?"), text, m_parent))
            return;
    }
    ActSilentDeleteItemExecute();
}

void TItemCommands::ActSilentDeleteItemExecute()
{
    const TKvListSelection selected = m_lists.Current();
    if (!selected.Section || !selected.Val)
        return;
    int row = m_lists.ValueModel()->RowAt(selected.Position);
    auto *step = new TKvValsStep(m_doc, m_lists, QStringLiteral("Delete Item"), selected.Section,
                                 selected.Position, 1);
    m_doc.Push(step);
    if (row >= m_lists.ValueModel()->rowCount())
        --row;
    if (row >= 0)
        m_lists.SelectRow(m_lists.LvValues, row);
    step->SelectionSettled();
}

void TItemCommands::MnuCommentUncommentItemClick()
{
    if (m_lists.LvSections->hasFocus())
        return;
    const TKvListSelection selected = m_lists.Current();
    const TKvIniVal *val = selected.Val;
    if (!selected.Section || !val)
        return;
    TKvIniVal *toggled = val->Clone();
    // Commenting out uses the marker most of the file's comment lines have.
    if (val->Kind() == ikComment)
        toggled->ToggleComment();
    else
        toggled->ToggleComment(m_doc.Ini().NewCommentMarker());
    const QString name =
        val->Kind() == ikComment ? QStringLiteral("Uncomment Item") : QStringLiteral("Comment Item");
    auto *step = new TKvReplaceValStep(m_doc, m_lists, name, selected.Section, selected.Position, toggled);
    m_doc.Push(step);
    step->SelectionSettled();
}

void TItemCommands::MnuSortAllAlphabeticallyClick()
{
    const bool ascending = !(KeyModifiersNow() & Qt::ControlModifier);
    const TKvListSelection selected = m_lists.Current();
    auto *step = new TKvOrderStep(
        m_doc, m_lists, ascending ? QStringLiteral("Sort All") : QStringLiteral("Sort All Descending"),
        TKvOrderStep::AllSections, nullptr, [ascending](TKvMemIni &ini) { ini.SortAll(skName, ascending); });
    const TKvBusyCursor busy;
    m_doc.Push(step);
    if (selected.Section) {
        m_lists.SelectRowOfData(selected.Section);
        if (selected.Val) {
            QApplication::processEvents();
            const int row = m_lists.ValueModel()->RowOf(selected.Val);
            if (row >= 0)
                m_lists.SelectRow(m_lists.LvValues, row);
        }
    }
    step->SelectionSettled();
}
