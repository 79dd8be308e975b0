#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

class QWidget;
class TForm1;
class TKvDocument;
class TKvFileError;
class TKvFileWatcher;
class TKvMemIni;

// Shows a file error: the file's name, then what went wrong.
void ShowFileError(const TKvFileError &error, QWidget *owner);

// The window's document and its file: New, Open, Reload, Save, Save As, the
// file named on the command line, recent and dropped files, the questions
// about unsaved changes (also on closing), encrypted files and changes made
// to the file by other programs. Connects the window's file actions.
class TKvDocumentFile : public QObject
{
    Q_OBJECT

public:
    explicit TKvDocumentFile(TForm1 &form);

    void LoadFileTimerTimer();
    // True when the caller must stop: the user cancelled, or the save failed.
    bool AskSaveChanges();
    void ActNewFileExecute();
    void ActOpenFileExecute();
    void OpenFile(const QString &path, int encodingIndex);
    void OpenPlainFile(const QString &path, int encodingIndex);
    // Reads a plain file in place of the document; false when it could not be
    // read (the window is then left without a document).
    bool LoadPlainFile(const QString &path, int encodingIndex);
    bool OpenEncryptedFile(const QString &path, const QString &password);
    bool ReportLoadError(int result, const QString &path);
    // Tells of the backup an interrupted save of the file left beside it.
    void ReportInterruptedSave(const QString &path);
    void ActReloadExecute();
    void ActSaveExecute();
    // False when nothing was written (the user cancelled).
    bool SavePlain();
    void ActSaveAsExecute();
    // Whether the window may close.
    bool FormCloseQuery();
    // The first local file of a drop is opened; anything else is ignored.
    void DropFilesMessage(const QList<QUrl> &urls);

    TKvFileWatcher &Watcher() const { return *m_watcher; }

private:
    void FileChangedOnDisk();
    // The file was removed by another program: told once.
    void FileRemovedOnDisk();
    // Whether Save may write over the file: asks when another program changed it.
    bool MayOverwrite();
    void LoadFailed();
    TKvDocument &Doc() const;
    // Runs read on a fresh document core; the core when it succeeded, nothing
    // (with the failure reported and the window emptied) when it did not.
    std::unique_ptr<TKvMemIni> ReadFresh(const QString &path, const std::function<int(TKvMemIni &)> &read);
    // Writes the document as a plain file, asking first when the encoding
    // would lose characters; the encoding index written in, or nothing when
    // the user cancelled.
    std::optional<int> WritePlain(const QString &path, int encodingIndex);

    TForm1 &m_form;
    TKvFileWatcher *m_watcher = nullptr;
};
