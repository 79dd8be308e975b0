// Walking the document for a find, and stepping the search position.
#include "kvfind.h"

#include "kvmemini.h"

namespace {

// An empty text is never examined.
bool Matches(TKvSearch &search, QStringView text)
{
    return !text.isEmpty() && search.Find(text) >= 0;
}

bool FindForward(TKvSearch &search, const TKvIniSection &section, qint32 &c, bool sectionNames,
                 bool sectionComments, bool itemNames, bool itemValues, bool itemComments)
{
    if (c < 0) {
        if ((sectionNames && Matches(search, section.Name))
            || (sectionComments && Matches(search, section.Comment))) {
            c = KvSearchCursor::Before;
            return true;
        }
    }
    if (!itemNames && !itemValues && !itemComments)
        return false;
    if (c < 0)
        c = 0;
    for (qint32 i = c; i < section.Vals.Count(); ++i) {
        if (Find(search, *section.Vals[i], itemNames, itemValues, itemComments)) {
            c = i;
            return true;
        }
    }
    c = KvSearchCursor::Before;
    return false;
}

bool FindBackward(TKvSearch &search, const TKvIniSection &section, qint32 &c, bool sectionNames,
                  bool sectionComments, bool itemNames, bool itemValues, bool itemComments)
{
    if (itemNames || itemValues || itemComments) {
        if (c >= section.Vals.Count())
            c = section.Vals.Count() - 1;
        for (qint32 i = c; i >= 0; --i) {
            if (Find(search, *section.Vals[i], itemNames, itemValues, itemComments)) {
                c = i;
                return true;
            }
        }
    }
    c = KvSearchCursor::After;
    return (sectionNames && Matches(search, section.Name))
           || (sectionComments && Matches(search, section.Comment));
}

} // namespace

bool Find(TKvSearch &search, const TKvIniVal &val, bool itemNames, bool itemValues, bool itemComments)
{
    return (itemNames && Matches(search, val.NameView())) || (itemValues && Matches(search, val.ValueView()))
           || (itemComments && Matches(search, val.CommentView()));
}

bool Find(TKvSearch &search, const TKvIniSection &section, qint32 &itemCursor, bool sectionNames,
          bool sectionComments, bool itemNames, bool itemValues, bool itemComments, bool backwards)
{
    if (backwards)
        return FindBackward(search, section, itemCursor, sectionNames, sectionComments, itemNames, itemValues,
                            itemComments);
    return FindForward(search, section, itemCursor, sectionNames, sectionComments, itemNames, itemValues,
                       itemComments);
}

bool Find(TKvSearch &search, const TKvMemIni &ini, qint32 &sectionCursor, qint32 &itemCursor,
          bool sectionNames, bool sectionComments, bool itemNames, bool itemValues, bool itemComments,
          bool backwards)
{
    const qint32 count = ini.Sections.Count();
    if (!backwards) {
        if (sectionCursor < 0)
            sectionCursor = 0;
        for (qint32 k = sectionCursor; k < count; ++k) {
            // Every later section is entered at its start. (A failed examination
            // leaves the item cursor there only when item texts are searched.)
            if (k > sectionCursor)
                itemCursor = KvSearchCursor::Before;
            if (FindForward(search, *ini.Sections[k], itemCursor, sectionNames, sectionComments, itemNames,
                            itemValues, itemComments)) {
                sectionCursor = k;
                return true;
            }
        }
        return false;
    }
    if (sectionCursor >= count)
        sectionCursor = count - 1;
    for (qint32 k = sectionCursor; k >= 0; --k) {
        if (FindBackward(search, *ini.Sections[k], itemCursor, sectionNames, sectionComments, itemNames,
                         itemValues, itemComments)) {
            sectionCursor = k;
            return true;
        }
    }
    return false;
}

bool Find(TKvSearch &search, const TKvMemIni &ini, qint32 &sectionCursor, qint32 &itemCursor,
          const TSearchStruct &options)
{
    return Find(search, ini, sectionCursor, itemCursor, options.SectionNames, options.SectionComments,
                options.ItemNames, options.ItemValues, options.ItemComments, options.Backwards);
}

void StepForward(qint32 &sectionCursor, qint32 &itemCursor, const TSearchStruct &options,
                 const TKvMemIni &ini)
{
    const qint32 count = ini.Sections.Count();
    // Off either end (or beyond the end of a document opened since): start
    // again at the top.
    if (sectionCursor < 0 || sectionCursor >= count) {
        sectionCursor = 0;
        itemCursor = KvSearchCursor::Before;
        return;
    }
    if (options.AnyItemField() && itemCursor < ini.Sections[sectionCursor]->Vals.Count() - 1) {
        // From the section's own texts (Before) this is its first entry.
        ++itemCursor;
        return;
    }
    // The next section is entered at its start, also when only section texts
    // are searched and the item cursor was left at an entry or at After.
    itemCursor = KvSearchCursor::Before;
    ++sectionCursor;
    if (sectionCursor >= count)
        sectionCursor = KvSearchCursor::After;
}

void StepBackward(qint32 &sectionCursor, qint32 &itemCursor, const TSearchStruct &options, const TKvMemIni &)
{
    // The section before; at the start it stays at the Before sentinel.
    auto previousSection = [&sectionCursor] {
        sectionCursor = sectionCursor > 0 ? sectionCursor - 1 : KvSearchCursor::Before;
    };
    if (itemCursor == KvSearchCursor::After) {
        previousSection();
        return;
    }
    if (itemCursor == KvSearchCursor::Before) {
        itemCursor = KvSearchCursor::After;
        return;
    }
    if (options.AnyItemField()) {
        if (itemCursor > 0) {
            --itemCursor;
            return;
        }
        // Backward, a section's own texts come after its first entry: from
        // there the step stays in the section, before its entries, so the
        // backward examination looks at its name and comment next.
        itemCursor = KvSearchCursor::Before;
        return;
    }
    previousSection();
}
