#pragma once

#include "editcontext.h"

#include <vector>

#include <QString>

class TKvIniSection;
class TKvIniVal;
class TKvIniVal;

// The section commands of the window: add, insert, copy, edit, delete and
// silent delete. Each changes the document through one undo step.
class TSectionCommands
{
public:
    explicit TSectionCommands(const TKvEditContext &context)
        : m_doc(context.Document)
        , m_lists(context.Lists)
        , m_parent(context.DialogParent)
    {}

    void ActAddSectionExecute();
    void ActInsertSectionExecute();
    void ActCopySectionExecute();
    void ActEditSectionExecute();
    void ActDeleteSectionExecute();
    void ActSilentDeleteSectionExecute();

    // A new section holding vals and one blank entry after them, at position
    // (the end when negative or past the last section), selected.
    TKvIniSection *AddSection(int position, const QString &name, const QString &comment,
                              std::vector<TKvIniVal *> vals, const QString &stepName);

private:
    TKvDocument &m_doc;
    TKvLists &m_lists;
    QWidget *m_parent;
};
