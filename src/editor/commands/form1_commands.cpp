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

// An action of the window's action list, built like the others.
QAction *MakeAction(TForm1 *form, const char *name, const char *category, const QString &caption,
                    const QList<QKeySequence> &shortcuts)
{
    auto *action = new QAction(caption, form);
    action->setObjectName(QString::fromLatin1(name));
    action->setProperty("category", QString::fromLatin1(category));
    action->setShortcuts(shortcuts);
    action->setShortcutContext(Qt::WindowShortcut);
    form->addAction(action);
    form->ActionList << action;
    return action;
}

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

    auto connectCommand = [this](QAction *action, auto *commands,
                                 void (std::remove_pointer_t<decltype(commands)>::*handler)()) {
        connect(action, &QAction::triggered, this,
                [this, commands, handler] { RunCommand([&] { (commands->*handler)(); }); });
    };
    TSectionCommands *sections = m_sectionCommands.get();
    connectCommand(ActAddSection, sections, &TSectionCommands::ActAddSectionExecute);
    connectCommand(ActInsertSection, sections, &TSectionCommands::ActInsertSectionExecute);
    connectCommand(ActCopySection, sections, &TSectionCommands::ActCopySectionExecute);
    connectCommand(ActEditSection, sections, &TSectionCommands::ActEditSectionExecute);
    connectCommand(ActDeleteSection, sections, &TSectionCommands::ActDeleteSectionExecute);
    connectCommand(ActSilentDeleteSection, sections, &TSectionCommands::ActSilentDeleteSectionExecute);
    TItemCommands *items = m_itemCommands.get();
    connectCommand(ActAddItem, items, &TItemCommands::ActAddItemExecute);
    connectCommand(ActInsertItem, items, &TItemCommands::ActInsertItemExecute);
    connectCommand(ActEditItem, items, &TItemCommands::ActEditItemExecute);
    connectCommand(ActDeleteItem, items, &TItemCommands::ActDeleteItemExecute);
    connectCommand(ActSilentDeleteItem, items, &TItemCommands::ActSilentDeleteItemExecute);
    TFindCommands *find = m_findCommands.get();
    connectCommand(ActSearch, find, &TFindCommands::ActSearchExecute);
    connectCommand(ActFindNext, find, &TFindCommands::ActFindNextExecute);
    connectCommand(ActFindPrevious, find, &TFindCommands::ActFindPreviousExecute);

    ActCommentUncomment =
        MakeAction(this, "ActCommentUncomment", "Item Actions", QStringLiteral("Comment / Uncomment Item"),
                   {QKeySequence(Qt::CTRL | Qt::Key_Space)});
    connectCommand(ActCommentUncomment, items, &TItemCommands::MnuCommentUncommentItemClick);
    // Ctrl held while sorting gives the descending order, so Ctrl+Alt+S sorts descending.
    ActSortAll =
        MakeAction(this, "ActSortAll", "Item Actions", QStringLiteral("Sort All Alphabetically"),
                   {QKeySequence(Qt::ALT | Qt::Key_S), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_S)});
    connectCommand(ActSortAll, items, &TItemCommands::MnuSortAllAlphabeticallyClick);

    ActUndo = MakeAction(this, "ActUndo", "Edit Actions", QStringLiteral("Undo"),
                         {QKeySequence(Qt::CTRL | Qt::Key_Z)});
    ActRedo =
        MakeAction(this, "ActRedo", "Edit Actions", QStringLiteral("Redo"),
                   {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    QUndoStack *stack = m_document.UndoStack();
    connect(ActUndo, &QAction::triggered, this, [this, stack] { RunCommand([stack] { stack->undo(); }); });
    connect(ActRedo, &QAction::triggered, this, [this, stack] { RunCommand([stack] { stack->redo(); }); });
    connect(stack, &QUndoStack::canUndoChanged, ActUndo, &QAction::setEnabled);
    connect(stack, &QUndoStack::canRedoChanged, ActRedo, &QAction::setEnabled);
    connect(stack, &QUndoStack::undoTextChanged, ActUndo,
            [this](const QString &step) { ShowStepName(ActUndo, QStringLiteral("Undo"), step); });
    connect(stack, &QUndoStack::redoTextChanged, ActRedo,
            [this](const QString &step) { ShowStepName(ActRedo, QStringLiteral("Redo"), step); });
    ActUndo->setEnabled(false);
    ActRedo->setEnabled(false);
}
