#pragma once

#include "kvfieldrule.h"
#include "kvsearchoptions.h"

#include <QList>
#include <QString>
#include <QStringView>

class TKvMemIni;

// One text that a replacement changes.
struct TKvReplacement
{
    qint32 Section = 0; // index of the section in the document
    qint32 Entry = -1;  // index of the entry in the section; -1 for the section's own texts
    // Which text: SectionName or SectionComment of the section, ItemName,
    // ItemValue or ItemComment of the entry (the text of an error line is its
    // value, that of a comment line its comment).
    TKvField Field = TKvField::ItemValue;
    QString Old;         // the whole text before
    QString New;         // the whole text after, as the field keeps it
    qsizetype Count = 0; // how many times the find text was replaced in it
    // Why the new text would not read back as written once saved (the field
    // rule's hint), or empty.
    QString Problem;
};
// A list of a million changes grows by moving its memory, not each change.
Q_DECLARE_TYPEINFO(TKvReplacement, Q_RELOCATABLE_TYPE);

// What replacing the matches would do, worked out without changing anything,
// so that it can be shown first and applied as one step.
struct TKvReplacePlan
{
    QList<TKvReplacement> Changes; // in the order Find Next visits them

    // The number of matches replaced over all changes.
    qsizetype Occurrences() const;
    // Whether no change has a Problem.
    bool CanApply() const;
};

// Replaces every match of the find text, in the texts the five "where" flags
// of options select, with WholeWords and CaseSensitive as Find matches
// (matches do not overlap; the replacement is put in as given). A change whose
// result would not read back as written has a Problem: the field rule of the
// document (with its HashComments), and an item must keep its name.
TKvReplacePlan PlanReplace(const TKvMemIni &ini, QStringView findText, const TSearchStruct &options,
                           QStringView replacement);
// The same for one place: a section's own texts (entry -1) or one entry, as a
// Find stops at it. A place that does not exist gives no changes.
TKvReplacePlan PlanReplaceAt(const TKvMemIni &ini, qint32 section, qint32 entry, QStringView findText,
                             const TSearchStruct &options, QStringView replacement);

// The code of the place a field lies in, as the "where" options name them:
// SN, SC, IN, IV or IC (an error line's text is its value, IV).
QString PlaceCode(TKvField field);

// Makes the changes of a plan made on this document as it still is. A plan
// with a Problem is refused whole: returns false and changes nothing.
bool ApplyReplace(TKvMemIni &ini, const TKvReplacePlan &plan);
