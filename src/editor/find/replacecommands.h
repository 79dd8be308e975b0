#pragma once

#include "kvfind.h"

#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>

class QWidget;
class TFormReplace;
class TKvDocument;
class TKvSelection;
struct TKvReplacePlan;
struct TSearchStruct;

// Replace (Ctrl+H) and its dialog's three commands. The find text, where to
// look and how are the search options shared with Find; the search position
// is taken from the selection before every command, as Find Next does.
//
// A command changes the document through one undo step, or not at all: a
// replacement that would not read back as written (the field rule's hint)
// is refused whole with a message and nothing changes.
class TReplaceCommands
{
public:
    // options: the search options and find history, kept by the window.
    // dialogParent: the window the dialog and the messages are placed over.
    TReplaceCommands(TKvDocument &document, TKvSelection &selection, QWidget *dialogParent,
                     TSearchStruct &options);
    ~TReplaceCommands();

    // Whether the lists show values only: comments are then neither searched
    // nor replaced (as in Find). Off unless set.
    void SetValuesOnlyQuery(std::function<bool()> valuesOnly) { m_valuesOnly = std::move(valuesOnly); }

    // Ctrl+H: shows the Replace dialog; its buttons run the commands below
    // with the dialog's texts and options until Close or Escape.
    void ActReplaceExecute();

    // Find Next: selects the next match after the selection (from the top
    // after the last one). Returns whether one was found; tells when not.
    bool FindNext(const QString &findText);
    // Replace: replaces the matches of the selected place (a section's own
    // texts, or an entry) as one step, then selects the next match. A place
    // without a match is not changed: the command only finds the next.
    // Returns how many were replaced, or -1 when refused.
    qsizetype Replace(const QString &findText, const QString &replacement);
    // Replace All: replaces every match as one step and tells how many.
    // Returns how many were replaced, or -1 when refused.
    qsizetype ReplaceAll(const QString &findText, const QString &replacement);

    // The replacement texts used in this session, most recent first.
    const QStringList &ReplaceHistory() const { return m_replaceHistory; }

private:
    bool ValuesOnly() const { return m_valuesOnly && m_valuesOnly(); }
    // The search position from the selection.
    void SyncPosition();
    // Finds from the position, after stepping past it; selects the match.
    bool FindAfterPosition(const QString &findText);
    // Shows why a plan cannot be made; true when it can.
    bool CheckPlan(const TKvReplacePlan &plan);
    void AddReplaceHistory(const QString &text);
    void RunDialogCommand(TFormReplace &dialog, const std::function<void(const QString &, const QString &)> &command);
    QWidget *MessageOwner() const;

    TKvDocument &m_document;
    TKvSelection &m_selection;
    QWidget *m_dialogParent;
    TSearchStruct &m_options;
    std::function<bool()> m_valuesOnly;
    QStringList m_replaceHistory;
    QPointer<TFormReplace> m_dialog; // while it is open
    qint32 m_sectionCursor = KvSearchCursor::Before;
    qint32 m_itemCursor = KvSearchCursor::Before;
};
