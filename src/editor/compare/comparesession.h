#pragma once

#include "comparemarks.h"
#include "document/kvselection.h"

#include <QObject>
#include <QString>

#include <memory>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class TKvDocument;
class TKvTakeOtherStep;

// A comparison of the open document with another file, held while the
// window shows it.
//
// The open document is compared as A (taking the other versions changes
// it), the other file as B; the other file is read-only and never changes.
// The session follows the document's signals: a change inside one section
// (entries put in, taken out, replaced or reordered, its comment) compares
// that section again; a change of the sections themselves (added, removed,
// renamed, sorted, the whole document replaced) compares everything again.
// The work waits until the marks are next asked for, so a step of many
// changes costs one comparison; MarksChanged tells the views once the
// changes have settled.
class TCompareSession : public QObject
{
    Q_OBJECT

public:
    TCompareSession(TKvDocument &document, std::unique_ptr<TKvMemIni> other, const QString &otherPath,
                    const TKvCompareOptions &options = {}, QObject *parent = nullptr);
    ~TCompareSession() override;

    const QString &OtherPath() const { return m_otherPath; }
    const TKvMemIni &Other() const { return *m_other; }
    const TKvCompareOptions &Options() const { return m_options; }

    // The marks of the open document and of the other file, up to date.
    const TCompareMarks &Marks();
    const TCompareMarks &OtherMarks();
    // KvCompare::Diff(document, other), up to date.
    const std::vector<TKvDifference> &Differences();
    qsizetype DifferenceCount() { return qsizetype(Differences().size()); }
    // A section's index in the document, in O(1); -1 for none.
    qint32 SectionIndex(const TKvIniSection *section);
    // How often the whole documents were compared (a change inside one
    // section compares that section only).
    int WholeComparisons() const { return m_wholeComparisons; }

    // ---- Moving between differences ----
    // The list position of a selection (the section's row: entry -1).
    TComparePosition PositionOf(const TKvListSelection &selection);
    // The selection of the next / previous difference after / before the
    // one given (its sort arrows kept); nothing at the end / the start.
    std::optional<TKvListSelection> NextDifference(const TKvListSelection &from);
    std::optional<TKvListSelection> PreviousDifference(const TKvListSelection &from);

    // ---- Tooltips: what the other file has there ----
    // Empty where the row is alike.
    QString SectionToolTip(qint32 section);
    QString EntryToolTip(qint32 section, qint32 entry);
    // What the other file has that the document lacks entirely, for a status line.
    QString Summary();

    // ---- Taking the other versions ----
    // The undo step that makes the selected entry, the selected section or
    // the whole document like the other file; null when there is nothing to
    // take (an alike row; an entry of a section only this document has,
    // which goes with its section). The caller pushes it (TKvDocument::Push),
    // selects what it likes and calls SelectionSettled().
    TKvTakeOtherStep *TakeOtherEntry(TKvSelection &selection);
    TKvTakeOtherStep *TakeOtherSection(TKvSelection &selection);
    TKvTakeOtherStep *TakeAllOther(TKvSelection &selection);

signals:
    // The marks changed: the lists repaint.
    void MarksChanged();

private:
    void Follow();
    void TellLater();
    void ChangedAll();
    void ChangedSection(const TKvIniSection *section);
    void RenamedOrChanged(const TKvIniSection *section);
    // Brings the differences and marks up to date.
    void Update();
    void CompareAll();
    void CompareSection(qint32 index);
    void BuildMarks();
    TKvTakeOtherStep *MakeStep(TKvSelection &selection, const QString &name,
                               const std::vector<const TKvDifference *> &differences);

    TKvDocument &m_document;
    std::unique_ptr<TKvMemIni> m_other;
    QString m_otherPath;
    TKvCompareOptions m_options;

    // Section by section in the document's order, then the sections only
    // the other file has: section i's differences start at m_sectionStart[i].
    std::vector<TKvDifference> m_differences;
    std::vector<qsizetype> m_sectionStart;
    // Per section of the document: its pair in the other file, and its name
    // when paired (a new name pairs it anew).
    std::vector<KvCompare::TKvSectionPair> m_pairs;
    std::vector<QString> m_names;
    std::unordered_map<const TKvIniSection *, qint32> m_indexOf;

    TCompareMarks m_marks;
    std::optional<TCompareMarks> m_otherMarks;

    bool m_allStale = true;
    std::unordered_set<qint32> m_staleSections;
    bool m_tellPending = false;
    int m_wholeComparisons = 0;
};
