#pragma once

#include "editcontext.h"

#include <QString>
#include <QStringList>

#include <vector>

class TFrmItem;
class TKvIniSection;
class TKvIniVal;

// The item commands of the window: add, insert, edit, delete and silent
// delete of value items, comment / uncomment, and sort all. Each changes the
// document through one undo step.
class TItemCommands
{
public:
    explicit TItemCommands(const TKvEditContext &context)
        : m_doc(context.Document)
        , m_lists(context.Lists)
        , m_parent(context.DialogParent)
    {}

    void ActAddItemExecute();
    void ActInsertItemExecute();
    void ActEditItemExecute();
    void ActDeleteItemExecute();
    void ActSilentDeleteItemExecute();
    void MnuCommentUncommentItemClick();
    void MnuSortAllAlphabeticallyClick();

    // New entries put into a section at position (negative: the end, or after
    // the last value item in values-only mode) as one undo step named stepName;
    // the last of them is selected.
    void AddVals(TKvIniSection *section, int position, std::vector<TKvIniVal *> vals,
                 const QString &stepName);
    bool RunItemDialog(TFrmItem &dialog, const QString &caption);
    static bool IsMultiLineComment(const TFrmItem &dialog);

private:
    // Adds what the dialog holds at position.
    void AddFromDialog(const TFrmItem &dialog, int position, const QString &stepName);
    TKvDocument &m_doc;
    TKvLists &m_lists;
    QWidget *m_parent;
};
