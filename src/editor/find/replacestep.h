#pragma once

#include "editsteps.h"

#include <QString>

#include <vector>

class TKvIniSection;
class TKvIniVal;
struct TKvReplacePlan;

// Replaced texts of sections and entries as one step: a Replace at one place
// or a Replace All over the whole document. Each changed entry is replaced by
// an edited copy (the step keeps the other), each changed section swaps its
// name and comment, so undo and redo cost one swap per changed place.
class TKvReplaceStep : public TKvEditStep
{
public:
    // The changes of a plan worked out on the document as it is now, one
    // place (a section's own texts or an entry) after another as the plan
    // lists them. The plan must be free of problems.
    TKvReplaceStep(TKvDocument &document, TKvSelection &selection, const QString &name,
                   const TKvReplacePlan &plan);
    ~TKvReplaceStep() override;

    // The number of places the step changes.
    qsizetype Places() const { return qsizetype(m_sections.size() + m_entries.size()); }

protected:
    void Apply() override { Swap(); }
    void Revert() override { Swap(); }

private:
    struct SectionText
    {
        TKvIniSection *section;
        QString name;
        QString comment;
    };
    struct Entry
    {
        TKvIniSection *section;
        qint32 position;
        TKvIniVal *out; // the entry that is not in the document
    };
    void Swap();

    std::vector<SectionText> m_sections;
    std::vector<Entry> m_entries;
};
