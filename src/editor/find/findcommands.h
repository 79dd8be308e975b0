#pragma once

#include "editcontext.h"
#include "kvfind.h"

#include <memory>

struct TSearchStruct;
class TFindAllPane;
class TKvSearch;

// Find, Find Next and Find Previous of the window: the current search, the
// search position, and showing a found place by selecting its rows.
class TFindCommands
{
public:
    // options: the search options the window keeps for its whole life.
    TFindCommands(const TKvEditContext &context, TSearchStruct &options);
    ~TFindCommands();

    // The Find dialog's Find All button fills this pane.
    void SetFindAllPane(TFindAllPane *pane) { m_findAllPane = pane; }
    void ActSearchExecute();
    void ActFindNextExecute();
    void ActFindPreviousExecute();
    // Takes the search position from the selection of the two lists.
    void SyncSearchPosition();
    // Runs one find from the search position and shows the result.
    void FindAndSelect();

    TKvSearch *Search() const { return m_search.get(); }
    qint32 SectionCursor() const { return m_sectionCursor; }
    qint32 ItemCursor() const { return m_itemCursor; }

private:
    void FindNextOrPrevious(bool backwards);
    TKvDocument &m_doc;
    TKvLists &m_lists;
    QWidget *m_parent;
    TSearchStruct &m_options;
    TFindAllPane *m_findAllPane = nullptr;
    std::unique_ptr<TKvSearch> m_search;
    qint32 m_sectionCursor = KvSearchCursor::Before;
    qint32 m_itemCursor = KvSearchCursor::Before;
};
