#pragma once

#include "kvcompare.h"

#include <QString>

#include <memory>

class QWidget;
class TKvParseStore;
class TKvDocument;
class TKvSelection;

// The text of the open file as it was last loaded or saved: the common
// ancestor ("base") when another program changes the file while the
// document has unsaved changes.
class TKvMergeBase
{
public:
    // The document as it now equals its file (just saved): its text is kept.
    void Remember(const TKvMemIni &ini);
    void Remember(const QString &text, bool hashComments = false);
    // A document just read from its file: the text it was parsed from is
    // kept, shared with the document, so an open neither writes the document
    // out nor holds a second copy of it.
    void RememberRead(const TKvMemIni &ini);
    void Forget();
    bool Known() const { return m_known; }
    // The text read again as a document.
    std::unique_ptr<TKvMemIni> Parsed() const;

private:
    QString m_text;
    std::shared_ptr<const TKvParseStore> m_read; // instead of m_text: the parsed text of a read
    qsizetype m_readLength = 0;                  // the part of it the read parsed
    bool m_hashComments = false;
    bool m_known = false;
};

// What to do about a file another program changed while the document has
// unsaved changes.
enum class TExternalChangeAnswer {
    Merge,  // bring its changes into the document (MergeExternalChanges)
    Reload, // read it again; the unsaved changes are lost
    Keep,   // keep the document as it is; Save asks before it overwrites the file
};
// Asks with the message box (Yes merges, No reloads, Cancel keeps; Enter
// merges, Escape keeps).
TExternalChangeAnswer AskAboutExternalChange(const QString &path, QWidget *owner);

enum class TExternalMergeResult {
    Merged,     // their changes came in as one undo step
    NothingNew, // the document already has every change of theirs it takes
    Cancelled,  // the person cancelled the conflicts dialog: nothing changed
};

// Brings into the document (mine) the changes that the file on disk
// (theirs) made relative to base: items added, removed or changed, sections
// added or removed, each where KvMerge puts it, as one undo step. Where both
// sides changed the same thing differently, the merge conflicts dialog asks
// which to keep, mine unless the person picks theirs; its Cancel changes
// nothing. Afterwards the caller treats theirs as the file's known version
// (the new base, the watcher's state) unless the result is Cancelled.
TExternalMergeResult MergeExternalChanges(TKvDocument &document, TKvSelection &selection,
                                          const TKvMemIni &base, const TKvMemIni &theirs, QWidget *owner,
                                          const TKvCompareOptions &options = {});
