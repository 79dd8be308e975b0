#pragma once

#include <QString>

class TForm1;
class TKvIniSection;

// The section commands of the window: add, insert, copy, edit, delete and
// silent delete. Each changes the document through one undo step.
class TSectionCommands
{
public:
    explicit TSectionCommands(TForm1 &form)
        : m_form(form)
    {}

    void ActAddSectionExecute();
    void ActInsertSectionExecute();
    void ActCopySectionExecute();
    void ActEditSectionExecute();
    void ActDeleteSectionExecute();
    void ActSilentDeleteSectionExecute();

    // A new section with one blank entry at position (the end when negative
    // or past the last section), selected.
    TKvIniSection *AddSectionRow(int position, const QString &name, const QString &comment,
                                 const QString &stepName);

private:
    int SelectedRow() const;
    TForm1 &m_form;
};
