#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>

class TForm1;
class TKvFileWatcher;

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
    int LoadPlainFile(const QString &path, int encodingIndex);
    bool OpenEncryptedFile(const QString &path, const QString &password);
    bool ReportLoadError(int result, const QString &path);
    void ActReloadExecute();
    void ActSaveExecute();
    void SavePlain();
    void ActSaveAsExecute();
    // Whether the window may close.
    bool FormCloseQuery();
    // The first local file of a drop is opened; anything else is ignored.
    void DropFilesMessage(const QList<QUrl> &urls);

    TKvFileWatcher &Watcher() const { return *m_watcher; }

private:
    void FileChangedOnDisk();
    // Whether Save may write over the file: asks when another program changed it.
    bool MayOverwrite();
    void LoadFailed();

    TForm1 &m_form;
    TKvFileWatcher *m_watcher = nullptr;
};
