#pragma once

#include "compare/externalmerge.h"
#include "editcontext.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

class QWidget;
class TKvDocument;
class TKvFileError;
class TKvFileWatcher;
class TKvMemIni;
enum class TKvContainerFormat;

// What a file command that asks the person came to. Failures to read or write
// are thrown as TKvFileError and shown by the caller.
enum class TKvOutcome {
    Done,      // done as asked (for a question about unsaved changes: the caller may go on)
    Cancelled, // the person cancelled: nothing was changed, the caller stops
};

// Shows a file error: the file's name, then what went wrong.
void ShowFileError(const TKvFileError &error, QWidget *owner);
// Runs a command; a file error it throws is shown.
void RunShowingFileErrors(const std::function<void()> &command, QWidget *owner);

// The window's document and its file: New, Open, Reload, Save, Save As, the
// file named on the command line, recent and dropped files, the questions
// about unsaved changes (also on closing), encrypted files and changes made
// to the file by other programs. The document's file state says whether a
// document is open and under which name.
class TKvDocumentFile : public QObject
{
    Q_OBJECT

public:
    TKvDocumentFile(const TKvEditContext &context, QObject *parent);

    // Opens the file named first on the command line, when it is a file.
    void LoadFileTimerTimer(const QStringList &commandLine);
    // No document: no file, nothing open, not watched.
    void Close();
    // Asks to save unsaved changes: Done when there were none, the person
    // said No, or they were saved; Cancelled when the caller must stop.
    TKvOutcome AskSaveChanges();
    void ActNewFileExecute();
    void ActOpenFileExecute();
    void OpenFile(const QString &path, int encodingIndex);
    void OpenPlainFile(const QString &path, int encodingIndex);
    // Reads a plain file in place of the document; false when it could not be
    // read (the window is then left without a document).
    bool LoadPlainFile(const QString &path, int encodingIndex);
    bool OpenEncryptedFile(const QString &path, const QString &password);
    // Reads another file beside the document (the one a comparison shows) as
    // a file is opened: a protected file asks its password, the document's
    // comment rule applies. Nothing when it could not be read (the failure
    // shown); the document stays as it is either way.
    std::unique_ptr<TKvMemIni> ReadOther(const QString &path, int encodingIndex);
    bool ReportLoadError(int result, const QString &path);
    // Tells of the backup an interrupted save of the file left beside it.
    void ReportInterruptedSave(const QString &path);
    void ActReloadExecute();
    // Done when the document now equals its file.
    TKvOutcome ActSaveExecute();
    TKvOutcome SavePlain();
    // Done when the document now lives in the file written.
    TKvOutcome ActSaveAsExecute();
    // Whether the window may close.
    bool FormCloseQuery();
    // The first local file of a drop is opened; anything else is ignored.
    void DropFilesMessage(const QList<QUrl> &urls);

    TKvFileWatcher &Watcher() const { return *m_watcher; }
    // Whether a file's "#" lines are comments; without one the preference decides.
    void SetHashCommentsRule(std::function<bool(const QString &path)> rule) { m_hashCommentsRule = std::move(rule); }

signals:
    // How long the last read took.
    void LoadTimeMeasured(quint64 ms);
    // The document now lives in the file (opened, or saved under a new name).
    void FileNamed(const QString &path, int encodingIndex);

private:
    // A document was read from path (empty: a new one): it is open, named and its first rows selected.
    void ShowOpened(const QString &path);
    void FileChangedOnDisk();
    // The file was removed by another program: told once.
    void FileRemovedOnDisk();
    // Whether Save may write over the file: asks when another program changed it.
    bool MayOverwrite();
    // Reads the file again in place of the document, without asking.
    void ReloadFile();
    // Brings another program's changes to the file into the unsaved document.
    void MergeChangesOnDisk();
    void LoadFailed();
    TKvDocument &Doc() const;
    // Runs read on a fresh document core; the core when it succeeded, nothing
    // (with the failure reported and the window emptied) when it did not.
    std::unique_ptr<TKvMemIni> ReadFresh(const QString &path, const std::function<int(TKvMemIni &)> &read);
    // Runs read on a new document core under the comment rule given; nothing
    // when it failed (the failure shown).
    std::unique_ptr<TKvMemIni> ReadShowingErrors(const QString &path, bool hashComments,
                                                 const std::function<int(TKvMemIni &)> &read);
    // Reads a protected file; a wrong password or a file that is no container is shown here.
    int ReadEncrypted(TKvMemIni &ini, const QString &path, const QString &password,
                      TKvContainerFormat *format = nullptr);
    // Writes the document as a plain file, asking first when the encoding
    // would lose characters; the encoding index written in, or nothing when
    // the user cancelled.
    std::optional<int> WritePlain(const QString &path, int encodingIndex);

    TKvDocument &m_doc;
    TKvLists &m_lists;
    QWidget *m_parent;
    TKvFileWatcher *m_watcher = nullptr;
    // The file's text as last loaded or saved: the base of a merge.
    TKvMergeBase m_mergeBase;
    std::function<bool(const QString &path)> m_hashCommentsRule;
};
