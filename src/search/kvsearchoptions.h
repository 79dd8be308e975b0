#pragma once

#include <QString>
#include <QStringList>

#include <array>

// The user's search options and the history of find texts. The eight flags
// keep this order: the settings store them as one text of eight "0"/"1"
// characters in this order.
struct TSearchStruct
{
    static constexpr int HistorySize = 10;

    // Most recent first; the first empty slot ends the list.
    std::array<QString, HistorySize> FindStr;
    bool SectionNames = true;
    bool SectionComments = true;
    bool ItemNames = true;
    bool ItemValues = true;
    bool ItemComments = true;
    bool WholeWords = false;
    bool CaseSensitive = false;
    bool Backwards = false; // direction of the current find

    // Whether any of the three item texts is searched.
    bool AnyItemField() const { return ItemNames || ItemValues || ItemComments; }
};

// Puts text at the head of the history: a text already there moves to the
// front (compared case-sensitively), the others keep their order, and at most
// ten texts remain. The text is stored unchanged, also when it is empty.
void AddToHistory(TSearchStruct &options, const QString &text);

// Replaces the contents of list with the history, most recent first, up to
// the first empty slot.
void HistoryToList(const TSearchStruct &options, QStringList &list);
