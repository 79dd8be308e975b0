#pragma once

#include "kvsearch.h"
#include "kvsearchoptions.h"

#include <QtGlobal>

#include <limits>

class TKvIniVal;
class TKvIniSection;
class TKvMemIni;

// The search position is a section cursor (index into the document's
// sections) and an item cursor (index into that section's entries). Besides
// indices both take two sentinels:
// - item cursor Before: before the section's own texts (its name and comment);
//   item cursor After: after the section's last entry;
// - section cursor Before or After after a find that found nothing: the search
//   ran off the start or the end of the document.
// Forward, a section yields its name, its comment, then its entries first to
// last; backward, its entries last to first, then its name and its comment.
namespace KvSearchCursor {
constexpr qint32 Before = -1;
constexpr qint32 After = std::numeric_limits<qint32>::max();
} // namespace KvSearchCursor

// Whether any of the selected texts of the entry contains the find text.
bool Find(TKvSearch &search, const TKvIniVal &val, bool itemNames, bool itemValues, bool itemComments);

// Examines one section from the item cursor on, in the given direction. On a
// match the item cursor points at the matching entry, or is Before (forward)
// or After (backward) for a match on the section's own texts.
bool Find(TKvSearch &search, const TKvIniSection &section, qint32 &itemCursor, bool sectionNames,
          bool sectionComments, bool itemNames, bool itemValues, bool itemComments, bool backwards);

// Finds the next match from the position in the given direction, the
// position included. On a match both cursors point at it; otherwise the
// section cursor keeps its (clamped) start value.
bool Find(TKvSearch &search, const TKvMemIni &ini, qint32 &sectionCursor, qint32 &itemCursor,
          bool sectionNames, bool sectionComments, bool itemNames, bool itemValues, bool itemComments,
          bool backwards);

// The same with the five "where" flags and the direction (Backwards) of options.
bool Find(TKvSearch &search, const TKvMemIni &ini, qint32 &sectionCursor, qint32 &itemCursor,
          const TSearchStruct &options);

// Move the position one step past the current match, before a Find Next
// (forward) or Find Previous (backward).
void StepForward(qint32 &sectionCursor, qint32 &itemCursor, const TSearchStruct &options,
                 const TKvMemIni &ini);
void StepBackward(qint32 &sectionCursor, qint32 &itemCursor, const TSearchStruct &options,
                  const TKvMemIni &ini);
