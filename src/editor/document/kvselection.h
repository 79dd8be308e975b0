#pragma once

#include <array>

class TKvIniSection;
class TKvIniVal;

// What the lists show selected, by the objects their rows carry (so that it
// survives a change of the values-only mode), with the sort arrows of both
// lists' headers.
struct TKvListSelection
{
    TKvIniSection *Section = nullptr;
    TKvIniVal *Val = nullptr;
    int Position = -1; // Val's position in Section, or -1
    // (column, state) of each list's sorted column; state 0 shows no arrow.
    std::array<int, 2> SectionSort{0, 0};
    std::array<int, 2> ValueSort{0, 0};
};

// The lists' selection as the commands and the undo steps see it: commands
// read the current section and entry from it, and a step returns to the
// selection it started from (undo) or settled on (redo).
class TKvSelection
{
public:
    virtual ~TKvSelection() = default;
    virtual TKvListSelection Current() const = 0;
    // Selects the rows carrying the objects; a section already selected is not
    // selected again, so its value list is not refilled.
    virtual void Restore(const TKvListSelection &selection) = 0;
};
