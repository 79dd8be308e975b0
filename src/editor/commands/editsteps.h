#pragma once

#include "document/kvselection.h"

#include <QString>
#include <QUndoCommand>

#include <functional>
#include <vector>

class TKvDocument;
class TKvIniSection;
class TKvIniVal;
class TKvMemIni;

// One change of the document made from the window, and its undo step.
//
// Apply() makes the change through the document's operations and Revert()
// takes it back exactly; each is written once and serves the command, its
// undo and its redo. The lists follow the document's signals, so no step
// touches a view. The command pushes the step (which applies it), then leaves
// the selection its rules ask for and calls SelectionSettled(). Undo returns
// to the selection the step started from, redo to the one it settled on.
//
// Steps keep the objects they take out of the document (a deleted section or
// entry) or have not yet put in (an undone addition) and destroy them with
// themselves; objects are never copied for the sake of undo.
class TKvEditStep : public QUndoCommand
{
public:
    TKvEditStep(TKvDocument &document, TKvSelection &selection, const QString &name);

    void redo() final;
    void undo() final;
    void SelectionSettled();

protected:
    virtual void Apply() = 0;
    virtual void Revert() = 0;

    TKvDocument &m_document;

private:
    TKvSelection &m_selection;
    TKvListSelection m_before;
    TKvListSelection m_after;
    bool m_pushed = false;
};

// Sections of the document (T = TKvIniSection) or entries of one section
// (T = TKvIniVal) put in at one place, or taken out there.
template <typename T> class TKvRangeStep : public TKvEditStep
{
public:
    // Puts items in at position (the end when negative or past the end).
    TKvRangeStep(TKvDocument &document, TKvSelection &selection, const QString &name, TKvIniSection *owner,
                 qint32 position, std::vector<T *> items);
    // Takes count items out at position.
    TKvRangeStep(TKvDocument &document, TKvSelection &selection, const QString &name, TKvIniSection *owner,
                 qint32 position, qint32 count);
    ~TKvRangeStep() override;

    const std::vector<T *> &Items() const { return m_items; }
    // Where the items are or were, once applied.
    qint32 Position() const { return m_position; }

protected:
    void Apply() override { m_inserting ? Put() : Take(); }
    void Revert() override { m_inserting ? Take() : Put(); }

private:
    void Put();
    void Take();

    TKvIniSection *m_owner; // the section of the entries; unused for sections
    qint32 m_position;
    qint32 m_count;
    std::vector<T *> m_items;
    bool m_inserting;
    bool m_owned; // the items are out of the document
};

using TKvSectionsStep = TKvRangeStep<TKvIniSection>;
using TKvValsStep = TKvRangeStep<TKvIniVal>;

// A section's name and comment replaced.
class TKvSectionTextStep : public TKvEditStep
{
public:
    TKvSectionTextStep(TKvDocument &document, TKvSelection &selection, const QString &name,
                       TKvIniSection *section, const QString &newName, const QString &newComment);

protected:
    void Apply() override { Swap(); }
    void Revert() override { Swap(); }

private:
    void Swap();
    TKvIniSection *m_section;
    QString m_name;
    QString m_comment;
};

// The entry at a position replaced by another (an edit, a comment toggle,
// a pasted field). The entry that is out of the document is kept by the step.
class TKvReplaceValStep : public TKvEditStep
{
public:
    TKvReplaceValStep(TKvDocument &document, TKvSelection &selection, const QString &name,
                      TKvIniSection *section, qint32 position, TKvIniVal *now);
    ~TKvReplaceValStep() override;

protected:
    void Apply() override { Swap(); }
    void Revert() override { Swap(); }

private:
    void Swap();
    TKvIniSection *m_section;
    qint32 m_position;
    TKvIniVal *m_out; // the entry that is not in the document
};

// A new order of sections and/or entries. The orders before and after are
// kept as pointers, so neither undo nor redo copies or compares a text.
class TKvOrderStep : public TKvEditStep
{
public:
    enum Scope {
        AllSections,        // the order of the sections and of every section's entries
        SectionOrder,       // the order of the sections only
        OneSectionsEntries, // the order of one section's entries
    };
    // sort() makes the new order the first time.
    TKvOrderStep(TKvDocument &document, TKvSelection &selection, const QString &name, Scope scope,
                 TKvIniSection *section, std::function<void(TKvMemIni &)> sort);

protected:
    void Apply() override;
    void Revert() override;

private:
    struct Order
    {
        std::vector<TKvIniSection *> sections;
        std::vector<TKvIniVal *> vals; // every listed section's entries, in the listed order
        // What a sort forgets of the lines as read, so that undoing it writes them as read again.
        std::vector<const char16_t *> headerLines; // per listed section
        std::vector<bool> changedMarks;            // per entry of vals
    };
    Order Take() const;
    void Put(const Order &order);
    TKvIniSection *ReorderedSection() const { return m_scope == OneSectionsEntries ? m_section : nullptr; }

    Scope m_scope;
    TKvIniSection *m_section;
    std::function<void(TKvMemIni &)> m_sort;
    Order m_beforeOrder;
    Order m_afterOrder;
    bool m_sorted = false;
};
