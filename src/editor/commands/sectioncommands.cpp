#include "sectioncommands.h"

#include "dialogrun.h"
#include "document/kvdocument.h"
#include "editsteps.h"
#include "frmsection.h"
#include "kvmsgbox.h"
#include "lists/kvlists.h"
#include "sectionmodel.h"

#include <QItemSelectionModel>
#include <QTableView>

TKvIniSection *TSectionCommands::AddSection(int position, const QString &name, const QString &comment,
                                            std::vector<TKvIniVal *> vals, const QString &stepName)
{
    auto *section = new TKvIniSection(name);
    if (!comment.isEmpty())
        section->Comment = comment;
    for (TKvIniVal *val : vals)
        section->Vals.Add(val);
    section->AddVal(u"", u"", u"");
    auto *step = new TKvSectionsStep(m_doc, m_lists, stepName, nullptr, position, {section});
    m_doc.Push(step);
    m_lists.SelectRow(m_lists.LvSections, m_lists.SectionModel()->RowOfIndex(step->Position()));
    step->SelectionSettled();
    return section;
}

void TSectionCommands::ActAddSectionExecute()
{
    TFrmSection dialog(m_parent);
    dialog.setWindowTitle(QStringLiteral("Add Section"));
    if (ExecDialog(dialog) == QDialog::Accepted)
        AddSection(-1, dialog.Name(), dialog.Comment(), {}, QStringLiteral("Add Section"));
}

void TSectionCommands::ActInsertSectionExecute()
{
    // The filter may hide rows: the section goes before the selected one in the document.
    const int index = m_lists.SectionModel()->IndexAt(TKvLists::SelectedRow(m_lists.LvSections));
    if (index < 0)
        return;
    TFrmSection dialog(m_parent);
    dialog.setWindowTitle(QStringLiteral("Insert Section"));
    if (ExecDialog(dialog) == QDialog::Accepted)
        AddSection(index, dialog.Name(), dialog.Comment(), {}, QStringLiteral("Insert Section"));
}

void TSectionCommands::ActCopySectionExecute()
{
    TKvIniSection *source = m_lists.SelectedSection();
    if (!source)
        return;
    TFrmSection dialog(m_parent);
    dialog.SetName(source->Name);
    dialog.SetComment(source->Comment);
    dialog.setWindowTitle(QStringLiteral("Copy Section"));
    if (ExecDialog(dialog) != QDialog::Accepted)
        return;
    // The copy is made in the document and taken out again; the step puts it back.
    TKvMemIni &ini = m_doc.Ini();
    TKvIniSection *copy = ini.CopySection(source, dialog.Name());
    ini.Sections.RemoveAt(ini.Sections.Count() - 1);
    copy->Comment = dialog.Comment();
    auto *step = new TKvSectionsStep(m_doc, m_lists, QStringLiteral("Copy Section"), nullptr, -1, {copy});
    m_doc.Push(step);
    m_lists.SelectRow(m_lists.LvSections, m_lists.SectionModel()->rowCount() - 1);
    step->SelectionSettled();
}

void TSectionCommands::ActEditSectionExecute()
{
    TKvIniSection *section = m_lists.SelectedSection();
    if (!section)
        return;
    TFrmSection dialog(m_parent);
    dialog.SetName(section->Name);
    dialog.SetComment(section->Comment);
    dialog.setWindowTitle(QStringLiteral("Edit Section"));
    if (ExecDialog(dialog) != QDialog::Accepted)
        return;
    auto *step = new TKvSectionTextStep(m_doc, m_lists, QStringLiteral("Edit Section"), section,
                                        dialog.Name(), dialog.Comment());
    m_doc.Push(step);
    step->SelectionSettled();
}

void TSectionCommands::ActDeleteSectionExecute()
{
    TKvIniSection *section = m_lists.SelectedSection();
    if (!section)
        return;
    if (!(KeyModifiersNow() & Qt::ShiftModifier)) {
        const QString text = QStringLiteral("Are You sure You want to delete the section named:\r\n\"")
                             + section->Name + QStringLiteral("\"\r\nAnd all its Items ?");
        if (!YesNoBox(QStringLiteral("Delete Section ?"), text, m_parent))
            return;
    }
    ActSilentDeleteSectionExecute();
}

void TSectionCommands::ActSilentDeleteSectionExecute()
{
    TKvIniSection *section = m_lists.SelectedSection();
    int row = TKvLists::SelectedRow(m_lists.LvSections);
    const int index = m_lists.SectionModel()->IndexAt(row);
    if (!section || index < 0)
        return;
    auto *step = new TKvSectionsStep(m_doc, m_lists, QStringLiteral("Delete Section"), nullptr, index, 1);
    m_doc.Push(step);
    if (row >= m_lists.SectionModel()->rowCount())
        --row;
    if (row >= 0)
        m_lists.SelectRow(m_lists.LvSections, row);
    step->SelectionSettled();
}
