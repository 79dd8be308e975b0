#include "kvdocument.h"

TKvDocument::TKvDocument(QObject *parent)
    : QObject(parent)
{
    // Undoing back to the loaded or saved state clears the flag; redoing past it sets it.
    connect(&m_undoStack, &QUndoStack::cleanChanged, this, [this](bool clean) { SetModified(!clean); });
    connect(&m_undoStack, &QUndoStack::indexChanged, this, &TKvDocument::Edited);
}

void TKvDocument::SetModified(bool modified)
{
    if (m_modified == modified)
        return;
    m_modified = modified;
    emit ModifiedChanged(modified);
}

void TKvDocument::Push(QUndoCommand *step)
{
    m_undoStack.push(step);
    SetModified(true);
}

void TKvDocument::ResetUndo()
{
    m_undoStack.clear();
}

void TKvDocument::MarkSaved()
{
    m_undoStack.setClean();
    SetModified(false);
}
