#pragma once

#include "kvmemini.h"

#include <QObject>
#include <QUndoStack>

// The open document: its entries and the undo steps that changed them. The
// modified flag lives here, so that every change (a step done, undone or
// redone, a save, a reload) reaches the window through one pair of signals:
// ModifiedChanged when the flag flips, Edited after every step so that the
// counters follow each change.
class TKvDocument : public QObject
{
    Q_OBJECT

public:
    explicit TKvDocument(QObject *parent = nullptr);

    TKvMemIni &Ini() { return m_ini; }
    const TKvMemIni &Ini() const { return m_ini; }
    QUndoStack *UndoStack() { return &m_undoStack; }
    bool Modified() const { return m_modified; }

    // Sets the flag outside the undo steps (a sort, a dropped file, a new document).
    void SetModified(bool modified);
    // Does the step and keeps it for undo; the document is modified afterwards.
    void Push(QUndoCommand *step);
    // Forgets every undo step (the document was replaced).
    void ResetUndo();
    // The document now equals its file: undoing back to here clears the flag again.
    void MarkSaved();

signals:
    void ModifiedChanged(bool modified);
    void Edited();

private:
    TKvMemIni m_ini;
    // Declared after the entries so that it goes first: undo steps may hold
    // entries that live in the memory of the document's sections.
    QUndoStack m_undoStack;
    bool m_modified = false;
};
