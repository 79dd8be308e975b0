#pragma once

#include <QString>
#include <QUndoCommand>

#include <functional>
#include <vector>

class QTableView;
class TForm1;
class TKvIniSection;
class TKvIniVal;

// The selection of the two lists, by the objects their rows carry, so that it
// survives a change of the values-only mode.
struct TKvListSelection
{
    TKvIniSection *Section = nullptr;
    TKvIniVal *Val = nullptr;
};

TKvListSelection CurrentSelection(const TForm1 &form);
// Selects the rows carrying the objects; a section already selected is not
// selected again, so its value list is not refilled.
void RestoreSelection(TForm1 &form, const TKvListSelection &selection);

// One change of the document made from the window, and its undo step.
//
// Apply() makes the change to the document and to the rows of the lists,
// Revert() takes it back exactly; each is written once and serves the command,
// its undo and its redo. The command pushes the step (which applies it), then
// leaves the selection its rules ask for and calls SelectionSettled(). Undo
// returns to the selection the step started from, redo to the one it settled on.
//
// Steps keep the objects they take out of the document (a deleted section or
// entry) or have not yet put in (an undone addition) and destroy them with
// themselves; objects are never copied for the sake of undo.
class TKvEditStep : public QUndoCommand
{
public:
    TKvEditStep(TForm1 &form, const QString &name);

    void redo() final;
    void undo() final;
    void SelectionSettled();

protected:
    virtual void Apply() = 0;
    virtual void Revert() = 0;
    // Brings the lists in step after a redo or undo where Apply and Revert
    // leave that to the window (the sorts refill them).
    virtual void AfterUndoRedo(bool undone) { Q_UNUSED(undone) }

    // How the rows of the value list follow a change to a section's entries:
    // outside values-only mode row r is entry r, so rows follow positions; in
    // values-only mode the command places rows by its own rules the first
    // time, and undo and redo refill the list.
    enum class RowMode { NotShown, Positions, CommandRows, Refill };
    RowMode RowModeFor(const TKvIniSection *section) const;

    TForm1 &m_form;

private:
    TKvListSelection m_before;
    TKvListSelection m_after;
    bool m_pushed = false;
};

// A new section put at an index (the end when the index is negative or past the end).
class TKvInsertSectionStep : public TKvEditStep
{
public:
    TKvInsertSectionStep(TForm1 &form, const QString &name, TKvIniSection *section, int index);
    ~TKvInsertSectionStep() override;
    TKvIniSection *Section() const { return m_section; }

protected:
    void Apply() override;
    void Revert() override;

private:
    TKvIniSection *m_section;
    int m_index;
    bool m_owned = true;
};

// A section taken out of the document with all its entries.
class TKvRemoveSectionStep : public TKvEditStep
{
public:
    TKvRemoveSectionStep(TForm1 &form, const QString &name, TKvIniSection *section);
    ~TKvRemoveSectionStep() override;

protected:
    void Apply() override;
    void Revert() override;

private:
    TKvIniSection *m_section;
    int m_index = -1;
    bool m_owned = false;
};

// A section's name and comment replaced.
class TKvSectionTextStep : public TKvEditStep
{
public:
    TKvSectionTextStep(TForm1 &form, const QString &name, TKvIniSection *section, const QString &newName,
                       const QString &newComment);

protected:
    void Apply() override { Swap(); }
    void Revert() override { Swap(); }

private:
    void Swap();
    TKvIniSection *m_section;
    QString m_name;
    QString m_comment;
};

// New entries put into a section one after the other at a position (the end
// when negative), with their rows at a row of the value list (the end when
// negative or past the last row).
class TKvInsertValsStep : public TKvEditStep
{
public:
    TKvInsertValsStep(TForm1 &form, const QString &name, TKvIniSection *section, int position, int row,
                      std::vector<TKvIniVal *> vals);
    ~TKvInsertValsStep() override;
    // The row of the last new entry after Apply, or -1 when it has none.
    int LastRow() const;

protected:
    void Apply() override;
    void Revert() override;

private:
    TKvIniSection *m_section;
    int m_position;
    int m_row;
    std::vector<TKvIniVal *> m_vals;
    bool m_owned = true;
};

// One entry taken out of its section.
class TKvRemoveValStep : public TKvEditStep
{
public:
    TKvRemoveValStep(TForm1 &form, const QString &name, TKvIniSection *section, TKvIniVal *val);
    ~TKvRemoveValStep() override;

protected:
    void Apply() override;
    void Revert() override;

private:
    TKvIniSection *m_section;
    TKvIniVal *m_val;
    int m_position = -1;
    bool m_owned = false;
};

// One entry replaced by another at the same place (an edit, a comment toggle).
// The entry that is out of the document is kept by the step.
class TKvReplaceValStep : public TKvEditStep
{
public:
    TKvReplaceValStep(TForm1 &form, const QString &name, TKvIniSection *section, TKvIniVal *old,
                      TKvIniVal *now);
    ~TKvReplaceValStep() override;

protected:
    void Apply() override { Swap(m_old, m_now); }
    void Revert() override { Swap(m_now, m_old); }

private:
    void Swap(TKvIniVal *out, TKvIniVal *in);
    TKvIniSection *m_section;
    TKvIniVal *m_old;
    TKvIniVal *m_now;
    bool m_applied = false;
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
    // sort() makes the new order the first time; refresh() brings the lists in
    // step after an undo or a redo.
    TKvOrderStep(TForm1 &form, const QString &name, Scope scope, TKvIniSection *section,
                 std::function<void()> sort, std::function<void(bool undone)> refresh);

protected:
    void Apply() override;
    void Revert() override;
    void AfterUndoRedo(bool undone) override { m_refresh(undone); }

private:
    struct Order
    {
        std::vector<TKvIniSection *> sections;
        std::vector<TKvIniVal *> vals; // every listed section's entries, in the listed order
    };
    Order Take() const;
    void Put(const Order &order);

    Scope m_scope;
    TKvIniSection *m_section;
    std::function<void()> m_sort;
    std::function<void(bool)> m_refresh;
    Order m_beforeOrder;
    Order m_afterOrder;
    bool m_sorted = false;
};

// The step of a click on a column header of a list: sort() sorts the sections
// (section list) or the selected section's entries (value list); undo and redo
// refill the list and put back its header arrow.
TKvEditStep *MakeHeaderSortStep(TForm1 &form, QTableView *list, int column, int state,
                                std::function<void()> sort);
