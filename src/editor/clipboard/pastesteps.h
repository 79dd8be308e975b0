#pragma once

#include "kvmemini.h"

#include <QString>
#include <QUndoCommand>

class TForm1;

// A field paste as one undo step: one text of an entry or of a section
// replaced by the pasted line, and back.
class TKvPasteFieldStep : public QUndoCommand
{
public:
    enum Field { ItemName, ItemValue, ItemComment, SectionName, SectionComment };

    TKvPasteFieldStep(TForm1 &form, TKvIniVal *val, Field field, const QString &text, const QString &stepName);
    TKvPasteFieldStep(TForm1 &form, TKvIniSection *section, Field field, const QString &text,
                      const QString &stepName);

    void redo() override;
    void undo() override;

private:
    QString FieldText() const;
    void SetFieldText(const QString &text);
    void Show();

    TForm1 &m_form;
    TKvIniVal *m_val = nullptr;
    TKvIniSection *m_section = nullptr;
    Field m_field;
    QString m_new;
    QString m_old;
    TKvIniValKind m_oldKind = ikBlank;
};
