#pragma once

#include "editsteps.h"
#include "kvcompare.h"

#include <memory>
#include <vector>

// Takes the other document's versions at some differences of a comparison
// (an item, a section, every difference, or the changes of a merge) as one
// undo step. The document ends up as KvCompare::Apply would leave it: a
// changed item takes the other value (and comment, with WithComments);
// an item only here goes; an item only there goes where Add item puts it;
// a section only here goes; a section only there is copied to the end.
//
// The change is made through the document's operations, as the steps of the
// single commands make theirs (an entry replaced, a run of entries or
// sections taken out or put in), so the lists follow and undo puts back the
// very objects taken out. The differences are copied: their A side must be
// objects of the document and their B side must outlive the step's first
// run (its copies are made then).
class TKvTakeOtherStep : public TKvEditStep
{
public:
    TKvTakeOtherStep(TKvDocument &document, TKvSelection &selection, const QString &name,
                     const std::vector<const TKvDifference *> &differences, const TKvCompareOptions &options);
    ~TKvTakeOtherStep() override;

protected:
    void Apply() override;
    void Revert() override;

private:
    // Makes the change the first time, as a list of parts that redo and undo
    // replay.
    void Run();
    // Runs one part and keeps it.
    void Do(QUndoCommand *part);

    std::vector<TKvDifference> m_differences;
    TKvCompareOptions m_options;
    std::vector<std::unique_ptr<QUndoCommand>> m_parts;
    bool m_run = false;
};
