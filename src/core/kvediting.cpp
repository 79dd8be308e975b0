// Copying sections, the comment toggle and sorting.
#include "kvmemini.h"

TKvIniSection *TKvMemIni::CopySection(const TKvIniSection *source, const QString &newName)
{
    TKvIniSection *copy = AddSection(newName);
    for (const TKvIniVal *val : source->Vals)
        copy->AddVal(val->NameView(), val->ValueView(), val->CommentView());
    return copy;
}

void TKvIniVal::ToggleComment() {}
void TKvIniSection::SortVals(TKvSortKey, bool) {}
void TKvMemIni::SortSections(TKvSortKey, bool) {}
void TKvMemIni::SortAll(TKvSortKey key, bool ascending)
{
    SortSections(key, ascending);
    for (TKvIniSection *section : Sections)
        section->SortVals(key, ascending);
}
