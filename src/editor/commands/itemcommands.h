#pragma once

#include <QString>
#include <QStringList>

class TForm1;
class TFrmItem;

// The item commands of the window: add, insert, edit, delete and silent
// delete of value items, comment / uncomment, and sort all. Each changes the
// document through one undo step.
class TItemCommands
{
public:
    explicit TItemCommands(TForm1 &form)
        : m_form(form)
    {}

    void ActAddItemExecute();
    void ActInsertItemExecute();
    void ActEditItemExecute();
    void ActDeleteItemExecute();
    void ActSilentDeleteItemExecute();
    void MnuCommentUncommentItemClick();
    void MnuSortAllAlphabeticallyClick();

    // A new entry at position of the section shown by sectionRow (negative:
    // the end, or after the last value item in values-only mode), its row at
    // row (appended when negative or past the last row).
    void AddItemRow(int position, int row, const QString &name, const QString &value, const QString &comment,
                    int sectionRow);
    // One comment entry per line (a blank entry for an empty line), in order.
    void AddCommentLines(int position, int row, const QStringList &lines, int sectionRow);
    bool RunItemDialog(TFrmItem &dialog, const QString &caption);
    static bool IsMultiLineComment(const TFrmItem &dialog);

private:
    // Adds what the dialog holds before position / row.
    void AddFromDialog(const TFrmItem &dialog, int position, int row, const QString &stepName);
    int SelectedSectionRow() const;
    int SelectedValueRow() const;
    TForm1 &m_form;
    QString m_stepName; // the name of the step AddItemRow / AddCommentLines push
};
