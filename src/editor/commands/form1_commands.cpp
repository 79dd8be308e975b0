// The window's section and item commands, find commands and undo: the
// actions are wired here; the commands live in their own units.
#include "form1.h"

#include "editsteps.h"
#include "findcommands.h"
#include "itemcommands.h"
#include "sectioncommands.h"

#include <QAction>
#include <QUndoStack>

namespace {

// Undo and Redo name the step they would take back or do again.
void ShowStepName(QAction *action, const QString &verb, const QString &step)
{
    const QString text = step.isEmpty() ? verb : verb + u' ' + step;
    action->setText(text);
    action->setToolTip(text);
    action->setStatusTip(text);
}

} // namespace

void TForm1::CreateEditCommands()
{
    m_sectionCommands = std::make_unique<TSectionCommands>(*this);
    m_itemCommands = std::make_unique<TItemCommands>(*this);
    m_findCommands = std::make_unique<TFindCommands>(*this);

    QUndoStack *stack = m_document.UndoStack();
    connect(stack, &QUndoStack::undoTextChanged, ActUndo,
            [this](const QString &step) { ShowStepName(ActUndo, QStringLiteral("Undo"), step); });
    connect(stack, &QUndoStack::redoTextChanged, ActRedo,
            [this](const QString &step) { ShowStepName(ActRedo, QStringLiteral("Redo"), step); });
}
