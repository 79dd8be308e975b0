#include "pastesteps.h"

#include "form1.h"
#include "valuemodel.h"

TKvPasteFieldStep::TKvPasteFieldStep(TForm1 &form, TKvIniVal *val, Field field, const QString &text,
                                     const QString &stepName)
    : QUndoCommand(stepName)
    , m_form(form)
    , m_val(val)
    , m_field(field)
    , m_new(text)
{
    m_old = FieldText();
    m_oldKind = val->Kind();
}

TKvPasteFieldStep::TKvPasteFieldStep(TForm1 &form, TKvIniSection *section, Field field, const QString &text,
                                     const QString &stepName)
    : QUndoCommand(stepName)
    , m_form(form)
    , m_section(section)
    , m_field(field)
    , m_new(text)
{
    m_old = FieldText();
}

QString TKvPasteFieldStep::FieldText() const
{
    switch (m_field) {
    case ItemName:
        return m_val->Name();
    case ItemValue:
        return m_val->Value();
    case ItemComment:
        return m_val->Comment();
    case SectionName:
        return m_section->Name;
    case SectionComment:
        return m_section->Comment;
    }
    return {};
}

void TKvPasteFieldStep::SetFieldText(const QString &text)
{
    switch (m_field) {
    case ItemName:
        m_val->SetName(text);
        break;
    case ItemValue:
        m_val->SetValue(text);
        break;
    case ItemComment:
        m_val->SetComment(text);
        break;
    case SectionName:
        // Section texts are stored as pasted: no normalisation, no check for a taken name.
        m_section->Name = text;
        break;
    case SectionComment:
        m_section->Comment = text;
        break;
    }
}

void TKvPasteFieldStep::Show()
{
    if (m_val)
        m_form.ValueModel()->ValChanged(m_val);
    else
        m_form.ShowSectionRow(m_section);
    m_form.UpdateCounters();
    m_form.SetModified(true);
}

void TKvPasteFieldStep::redo()
{
    SetFieldText(m_new);
    Show();
}

void TKvPasteFieldStep::undo()
{
    SetFieldText(m_old);
    if (m_val)
        m_val->SetKind(m_oldKind); // the setter's kind rule may differ from the kind read from the file
    Show();
}
