#include "sectioncommands.h"

#include "dialogrun.h"
#include "editsteps.h"
#include "form1.h"
#include "frmsection.h"
#include "kvmsgbox.h"
#include "sectionmodel.h"

#include <QItemSelectionModel>
#include <QTableView>

int TSectionCommands::SelectedRow() const
{
    const QModelIndexList rows = m_form.LvSections->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

TKvIniSection *TSectionCommands::AddSection(int position, const QString &name, const QString &comment,
                                            std::vector<TKvIniVal *> vals, const QString &stepName)
{
    auto *section = new TKvIniSection(name);
    if (!comment.isEmpty())
        section->Comment = comment;
    for (TKvIniVal *val : vals)
        section->Vals.Add(val);
    section->AddVal(u"", u"", u"");
    auto *step = new TKvSectionsStep(m_form.Doc(), m_form, stepName, nullptr, position, {section});
    m_form.PushStep(step);
    m_form.SelectRow(m_form.LvSections, step->Position());
    step->SelectionSettled();
    return section;
}

void TSectionCommands::ActAddSectionExecute()
{
    TFrmSection dialog(&m_form);
    dialog.setWindowTitle(QStringLiteral("Add Section"));
    if (ExecDialog(dialog) == QDialog::Accepted)
        AddSection(-1, dialog.Name(), dialog.Comment(), {}, QStringLiteral("Add Section"));
}

void TSectionCommands::ActInsertSectionExecute()
{
    const int row = SelectedRow();
    if (row < 0)
        return;
    TFrmSection dialog(&m_form);
    dialog.setWindowTitle(QStringLiteral("Insert Section"));
    if (ExecDialog(dialog) == QDialog::Accepted)
        AddSection(row, dialog.Name(), dialog.Comment(), {}, QStringLiteral("Insert Section"));
}

void TSectionCommands::ActCopySectionExecute()
{
    TKvIniSection *source = m_form.SelectedSection();
    if (!source)
        return;
    TFrmSection dialog(&m_form);
    dialog.SetName(source->Name);
    dialog.SetComment(source->Comment);
    dialog.setWindowTitle(QStringLiteral("Copy Section"));
    if (ExecDialog(dialog) != QDialog::Accepted)
        return;
    // The copy is made in the document and taken out again; the step puts it back.
    TKvMemIni &ini = m_form.Doc().Ini();
    TKvIniSection *copy = ini.CopySection(source, dialog.Name());
    ini.Sections.RemoveAt(ini.Sections.Count - 1);
    copy->Comment = dialog.Comment();
    auto *step =
        new TKvSectionsStep(m_form.Doc(), m_form, QStringLiteral("Copy Section"), nullptr, -1, {copy});
    m_form.PushStep(step);
    m_form.SelectRow(m_form.LvSections, m_form.SectionModel()->rowCount() - 1);
    step->SelectionSettled();
}

void TSectionCommands::ActEditSectionExecute()
{
    TKvIniSection *section = m_form.SelectedSection();
    if (!section)
        return;
    TFrmSection dialog(&m_form);
    dialog.SetName(section->Name);
    dialog.SetComment(section->Comment);
    dialog.setWindowTitle(QStringLiteral("Edit Section"));
    if (ExecDialog(dialog) != QDialog::Accepted)
        return;
    auto *step = new TKvSectionTextStep(m_form.Doc(), m_form, QStringLiteral("Edit Section"), section,
                                        dialog.Name(), dialog.Comment());
    m_form.PushStep(step);
    step->SelectionSettled();
}

void TSectionCommands::ActDeleteSectionExecute()
{
    TKvIniSection *section = m_form.SelectedSection();
    if (!section)
        return;
    if (!(KeyModifiersNow() & Qt::ShiftModifier)) {
        const QString text = QStringLiteral("Are You sure You want to delete the section named:\r\n\"")
                             + section->Name + QStringLiteral("\"\r\nAnd all its Items ?");
        if (!YesNoBox(QStringLiteral("Delete Section ?"), text, &m_form))
            return;
    }
    ActSilentDeleteSectionExecute();
}

void TSectionCommands::ActSilentDeleteSectionExecute()
{
    TKvIniSection *section = m_form.SelectedSection();
    int row = SelectedRow();
    if (!section || row < 0)
        return;
    auto *step = new TKvSectionsStep(m_form.Doc(), m_form, QStringLiteral("Delete Section"), nullptr, row, 1);
    m_form.PushStep(step);
    if (row >= m_form.SectionModel()->rowCount())
        --row;
    if (row >= 0)
        m_form.SelectRow(m_form.LvSections, row);
    step->SelectionSettled();
}
