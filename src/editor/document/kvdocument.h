#pragma once

#include "kvcontainer.h"
#include "kvmemini.h"

#include <QObject>
#include <QUndoStack>

#include <functional>
#include <memory>
#include <vector>

// The encoding indexes of the file dialogs, the caption and the recent files.
struct TKvEncodingIndexes
{
    enum EncodingIndex { EncUtf8 = 0, EncAnsi = 1, EncUtf16LE = 2, EncUtf16BE = 3, EncAuto = 4 };
    // "UTF-8", "ANSI", "UTF-16LE" or "UTF-16BE"; any other index is "ANSI".
    static QString EncodingName(int encodingIndex);
    static quint32 CodePageOf(int encodingIndex);
};

// Where the document's file stands.
struct TKvFileState
{
    QString FileName;       // empty: a new document without a file
    int EncodingIndex = 0;  // the window's encoding index (UTF-8, ANSI, UTF-16 LE/BE)
    QString Password;       // a protected file's password, kept while the document needs it
    bool Encrypted = false; // the file is protected by a password
    bool ReadOnly = false;  // the file cannot be written
    // The container a protected file is saved in: the one it was read in (a
    // legacy file stays legacy), strong for a new one.
    TKvContainerFormat ContainerFormat = TKvContainerFormat::Strong;
    bool Open = false; // a document is open: a new one, or one read from its file
    bool operator==(const TKvFileState &) const = default;
};

// The open document: its entries, its file state and the undo steps that
// changed it. Every change the window makes goes through the operations
// below, which emit precise signals (the list models and the counters follow
// them) and keep the counters up to date, so nothing ever rescans the
// document. The document is modified exactly when the undo stack is not at
// its clean index.
class TKvDocument : public QObject
{
    Q_OBJECT

public:
    explicit TKvDocument(QObject *parent = nullptr);
    ~TKvDocument() override;

    const TKvMemIni &Ini() const { return *m_ini; }
    // For reading and writing the whole document (a save, the search); its
    // entries change only through the operations below.
    TKvMemIni &Ini() { return *m_ini; }
    QUndoStack *UndoStack() { return &m_undoStack; }
    bool Modified() const { return !m_undoStack.isClean(); }
    const TKvIniCounts &Counts() const { return m_counts; }

    const TKvFileState &File() const { return m_file; }
    void SetFile(const TKvFileState &file);

    // ---- Whole document ----
    // Puts a document that was read in place of this one: the undo steps go,
    // the views start over, the document is not modified.
    void Replace(std::unique_ptr<TKvMemIni> ini);
    // The same for a document just read and not changed since: the counters
    // are those the read made (a big file is not counted again).
    void ReplaceWithRead(std::unique_ptr<TKvMemIni> ini);
    // Empties the document (no undo steps; not modified).
    void Clear() { Replace(std::make_unique<TKvMemIni>()); }

    // ---- Undo ----
    // Does the step and keeps it for undo.
    void Push(QUndoCommand *step) { m_undoStack.push(step); }
    // The document now equals its file: undoing back to here clears the flag again.
    void MarkSaved() { m_undoStack.setClean(); }

    // ---- Changes (used by the undo steps; each is O(entries changed)) ----
    // Puts sections at index (the end when out of range); the document owns them afterwards.
    void InsertSections(qint32 index, const std::vector<TKvIniSection *> &sections);
    // Takes count sections out at index and hands them to the caller.
    std::vector<TKvIniSection *> TakeSections(qint32 index, qint32 count);
    // Swaps the section's name and comment with the texts given.
    void SwapSectionText(TKvIniSection *section, QString &name, QString &comment);
    // Puts entries into a section at position (the end when out of range).
    void InsertVals(TKvIniSection *section, qint32 position, const std::vector<TKvIniVal *> &vals);
    // Takes count entries of a section out at position and hands them to the caller.
    std::vector<TKvIniVal *> TakeVals(TKvIniSection *section, qint32 position, qint32 count);
    // Puts val in the place of the entry at position and hands that one back.
    TKvIniVal *ReplaceVal(TKvIniSection *section, qint32 position, TKvIniVal *val);
    // Runs change(), which only reorders sections (section null) or the
    // entries of one section, and tells the views.
    void Reorder(TKvIniSection *section, const std::function<void(TKvMemIni &)> &change);

    qint32 IndexOfSection(const TKvIniSection *section) const { return m_ini->IndexOfSection(section); }

signals:
    void ModifiedChanged(bool modified);
    void FileStateChanged();
    void CountsChanged();
    // The whole document is about to be replaced, or was.
    void AboutToReset();
    void DocumentReset();
    void SectionsAboutToBeInserted(int first, int count);
    void SectionsInserted(int first, int count);
    void SectionsAboutToBeRemoved(int first, int count);
    void SectionsRemoved(int first, int count);
    // A section's name, comment or number of entries changed.
    void SectionChanged(TKvIniSection *section);
    void ValsAboutToBeInserted(TKvIniSection *section, int first, const std::vector<TKvIniVal *> &vals);
    void ValsInserted(TKvIniSection *section, int first, int count);
    void ValsAboutToBeRemoved(TKvIniSection *section, int first, int count);
    void ValsRemoved(TKvIniSection *section, int first, int count);
    // The entry old at position is about to be replaced; now it was, by now.
    void ValAboutToBeReplaced(TKvIniSection *section, int position, TKvIniVal *old);
    void ValReplaced(TKvIniSection *section, int position, TKvIniVal *old, TKvIniVal *now);
    // The order of the sections (section null) or of one section's entries is
    // about to change, or did.
    void AboutToReorder(TKvIniSection *section);
    void Reordered(TKvIniSection *section);

private:
    void Replace(std::unique_ptr<TKvMemIni> ini, const TKvIniCounts &counts);
    void Count(const TKvIniSection &section, qint64 delta);

    std::unique_ptr<TKvMemIni> m_ini;
    // Declared after the entries so that it goes first: undo steps may hold
    // entries that live in the memory of the document's sections.
    QUndoStack m_undoStack;
    TKvFileState m_file;
    TKvIniCounts m_counts;
};
