#include "documentfile.h"

#include "dialogs/filedialogs.h"
#include "filewatcher.h"
#include "form1.h"
#include "kvcontainer.h"
#include "kvgradilabel.h"
#include "kvmsgbox.h"
#include "kvsafesave.h"
#include "passwordprompt.h"
#include "document/lossysave.h"
#include "settings/preferences.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTimer>

#include <exception>

namespace {

const QString FileErrorCaption = QStringLiteral("File Error");
const QString ChangedCaption = QStringLiteral("File Changed");

// The window's encoding index of a document's encoding after a read.
int EncodingIndexOf(quint32 encoding)
{
    switch (encoding) {
    case KvEncoding::Ansi:
        return TForm1::EncAnsi;
    case KvEncoding::Utf16LE:
        return TForm1::EncUtf16LE;
    case KvEncoding::Utf16BE:
        return TForm1::EncUtf16BE;
    default:
        return TForm1::EncUtf8;
    }
}

// A file counts as read-only when nobody may write it or this user cannot
// (root may write anything, so the permission bits decide for root too).
bool IsReadOnlyFile(const QString &path)
{
    QFileInfo info(path);
    info.refresh();
    if (!info.exists())
        return true;
    const QFileDevice::Permissions writeBits =
        QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    return !(info.permissions() & writeBits) || !info.isWritable();
}

bool IsEncryptedName(const QString &path)
{
    return path.toLower().endsWith(QStringLiteral(".inicry"));
}

// Marks a command that replaces the document, so that a file error thrown
// inside it leaves the window without a document: TForm1::RunCommand reads the
// mark when it catches the error, so it stays set while an error unwinds.
class TOpening
{
public:
    explicit TOpening(bool &flag)
        : m_flag(flag)
    {
        m_flag = true;
    }
    ~TOpening()
    {
        if (std::uncaught_exceptions() == m_exceptions)
            m_flag = false;
    }

private:
    bool &m_flag;
    int m_exceptions = std::uncaught_exceptions();
};

} // namespace

TKvDocumentFile::TKvDocumentFile(TForm1 &form)
    : QObject(&form)
    , m_form(form)
    , m_watcher(new TKvFileWatcher(this))
{
    auto connectCommand = [this](QAction *action, void (TKvDocumentFile::*handler)()) {
        connect(action, &QAction::triggered, this,
                [this, handler] { m_form.RunCommand([this, handler] { (this->*handler)(); }); });
    };
    connectCommand(form.ActNewFile, &TKvDocumentFile::ActNewFileExecute);
    connectCommand(form.ActOpenFile, &TKvDocumentFile::ActOpenFileExecute);
    connectCommand(form.ActReload, &TKvDocumentFile::ActReloadExecute);
    connectCommand(form.ActSave, &TKvDocumentFile::ActSaveExecute);
    connectCommand(form.ActSaveAs, &TKvDocumentFile::ActSaveAsExecute);
    connect(m_watcher, &TKvFileWatcher::Changed, this, &TKvDocumentFile::FileChangedOnDisk);
}

void TKvDocumentFile::LoadFileTimerTimer()
{
    m_form.LoadFileTimer->stop();
    if (!m_form.m_commandLine.isEmpty()) {
        const QString path = m_form.m_commandLine.first();
        if (QFileInfo(path).isFile())
            OpenFile(path, -1);
    }
    // Formats need no registration (they are MIME names); the first clipboard test.
    m_form.UpdateClipboardState();
}

bool TKvDocumentFile::AskSaveChanges()
{
    if (!m_form.m_document.Modified())
        return false;
    switch (YesNoCancelBox(QStringLiteral("Question"),
                           QStringLiteral("There is Unsaved Changes\r\nDoYou want to save ??"), &m_form)) {
    case tmrYes:
        ActSaveExecute();
        return m_form.m_document.Modified(); // the save failed or its Save As was cancelled
    case tmrNo:
        return false;
    default:
        return true;
    }
}

void TKvDocumentFile::ActNewFileExecute()
{
    if (AskSaveChanges())
        return;
    m_form.ClearDocument();
    m_form.m_encrypted = false;
    m_form.m_password.clear();
    m_form.m_encodingIndex = TForm1::EncUtf8;
    // A new document has no file that could be read-only.
    m_form.m_readOnly = false;
    m_form.SetFileName(QString());
    TKvIniSection *section = m_form.m_document.Ini().AddSection(QString());
    section->AddVal(u"", u"", u"");
    m_form.FillSectionList();
    m_form.FitSectionColumns();
    m_form.SelectFirstRows();
    m_form.EnableFileActions(true);
    m_form.SetModified(false);
    m_watcher->Unwatch();
    m_form.DocumentReplaced();
}

void TKvDocumentFile::ActOpenFileExecute()
{
    if (AskSaveChanges())
        return;
    if (const std::optional<TKvFileChoice> choice = OpenTextFileDialog(&m_form, m_form.m_fileName))
        OpenFile(choice->Path, choice->EncodingIndex);
}

void TKvDocumentFile::OpenFile(const QString &path, int encodingIndex)
{
    if (!IsEncryptedName(path)) {
        OpenPlainFile(path, encodingIndex);
        return;
    }
    // Cancel keeps the current document as it is.
    if (const std::optional<QString> password = AskFilePassword(&m_form, false))
        OpenEncryptedFile(path, *password);
}

void TKvDocumentFile::OpenPlainFile(const QString &path, int encodingIndex)
{
    TOpening opening(m_form.m_opening);
    m_form.ClearDocument();
    m_form.m_password.clear();
    m_form.m_encrypted = false;
    m_form.m_encodingIndex = encodingIndex;
    const int result = LoadPlainFile(path, encodingIndex);
    if (ReportLoadError(result, path)) {
        LoadFailed();
        return;
    }
    m_form.EnableFileActions(true);
    m_form.SetFileName(path);
    m_form.SelectFirstRows();
    m_watcher->Watch(path);
    m_form.DocumentReplaced();
    ReportInterruptedSave(path);
}

int TKvDocumentFile::LoadPlainFile(const QString &path, int encodingIndex)
{
    const QString fileName = path.isEmpty() ? m_form.m_fileName : path;
    QElapsedTimer clock;
    clock.start();
    TKvMemIni &ini = m_form.m_document.Ini();
    const int result = encodingIndex >= TForm1::EncUtf8 && encodingIndex <= TForm1::EncUtf16BE
                           ? ini.LoadFromFile(fileName, TForm1::CodePageOf(encodingIndex))
                           : ini.LoadFromFile(fileName);
    m_form.SetLoadTime(quint64(clock.elapsed()));
    m_form.m_readOnly = IsReadOnlyFile(fileName);
    m_form.m_encodingIndex = EncodingIndexOf(ini.Encoding);
    m_form.FillSectionList();
    m_form.FitSectionColumns();
    m_form.SetModified(false);
    return result;
}

namespace {

// Deriving a strong container's key takes a moment (and 64 MiB): the pointer says so.
template <typename Work> auto WithBusyCursor(Work work)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    struct Restore
    {
        ~Restore() { QApplication::restoreOverrideCursor(); }
    } restore;
    return work();
}

} // namespace

bool TKvDocumentFile::OpenEncryptedFile(const QString &path, const QString &password)
{
    TOpening opening(m_form.m_opening);
    m_form.ClearDocument();
    m_form.SetLoadTime(0);
    m_form.SetShowTime(0);
    QElapsedTimer clock;
    clock.start();
    TKvContainerFormat format = TKvContainerFormat::Strong;
    const int result = WithBusyCursor([&] { return LoadEncrypted(m_form.m_document.Ini(), path, password, &format); });
    m_form.m_containerFormat = format;
    if (result < 0) {
        if (result == lrNotContainer)
            ErrorBox(FileErrorCaption, path + QStringLiteral("\r\nIs not an Encrypted Quillon File"),
                     &m_form);
        else if (result == lrWrongPassword)
            ErrorBox(FileErrorCaption, QStringLiteral("Wrong password for:\r\n") + path, &m_form);
        else
            ReportLoadError(result, path);
        LoadFailed();
        return false;
    }
    m_form.m_password = password;
    m_form.SetLoadTime(quint64(clock.elapsed()));
    m_form.m_readOnly = IsReadOnlyFile(path);
    m_form.m_encodingIndex = EncodingIndexOf(m_form.m_document.Ini().Encoding);
    m_form.FillSectionList();
    m_form.FitSectionColumns();
    m_form.EnableFileActions(true);
    m_form.SetModified(false);
    m_form.m_encrypted = true;
    m_form.SetFileName(path);
    m_form.SelectFirstRows();
    m_watcher->Watch(path);
    m_form.DocumentReplaced();
    ReportInterruptedSave(path);
    return true;
}

void TKvDocumentFile::ReportInterruptedSave(const QString &path)
{
    const QString backup = InterruptedSaveBackup(path);
    if (backup.isEmpty())
        return;
    InfoBox(QStringLiteral("Interrupted Save"),
            QStringLiteral("An earlier save of this file was interrupted.\r\nIts old content is in:\r\n") + backup
                + QStringLiteral("\r\n\r\nCompare the two, keep the right one and remove the other."),
            &m_form);
}

bool TKvDocumentFile::ReportLoadError(int result, const QString &path)
{
    if (result == KvReadResult::Refused32Bit) {
        // Left without a document: an empty document under the file's name
        // would replace the whole file at the first Save.
    } else if (result >= 0) {
        return false;
    } else if (result == KvReadResult::FileMissing) {
        ErrorBox(FileErrorCaption, QStringLiteral("File Does not exist\r\n") + path, &m_form);
    } else {
        ErrorBox(FileErrorCaption, QStringLiteral("Error Reading File\r\n") + path, &m_form);
    }
    m_form.ClearDocument();
    m_form.m_fileName.clear();
    m_form.UpdateTitle(true);
    return true;
}

// The state after a failed open or reload: no document, no file name, not
// modified, not encrypted, bare caption, file actions off.
void TKvDocumentFile::LoadFailed()
{
    m_form.ResetAfterFailedOpen();
}

void TKvDocumentFile::ActReloadExecute()
{
    if (AskSaveChanges())
        return;
    TOpening opening(m_form.m_opening);
    const QString fileName = m_form.m_fileName;
    m_form.ClearDocument();
    if (m_form.m_encrypted) {
        const QString password = m_form.m_password;
        if (!OpenEncryptedFile(fileName, password))
            return;
        m_form.m_opening = true; // still reloading
    } else {
        const int result = LoadPlainFile(fileName, m_form.m_encodingIndex);
        if (ReportLoadError(result, fileName)) {
            LoadFailed();
            return;
        }
    }
    m_form.UpdateTitle(false);
    m_form.SelectFirstRows();
    m_watcher->Watch(fileName);
    m_form.DocumentReplaced();
}

void TKvDocumentFile::ActSaveExecute()
{
    const QString &fileName = m_form.m_fileName;
    // "NoName.Ini" is a placeholder name: it is saved under a name the user chooses.
    if (fileName.isEmpty() || fileName == QStringLiteral("NoName.Ini")) {
        ActSaveAsExecute();
        return;
    }
    if (!MayOverwrite())
        return;
    if (m_form.m_encrypted) {
        WithBusyCursor([&] {
            SaveEncrypted(m_form.m_document.Ini(), fileName, m_form.m_password, m_form.m_containerFormat);
            return 0;
        });
        m_form.SetModified(false);
    } else if (!SavePlain()) {
        return;
    }
    m_watcher->Watch(fileName);
    m_form.DocumentSaved();
}

bool TKvDocumentFile::SavePlain()
{
    std::optional<int> encodingIndex = WritePlain(m_form.m_fileName, m_form.m_encodingIndex);
    if (!encodingIndex)
        return false;
    const bool switched = *encodingIndex != m_form.m_encodingIndex;
    m_form.m_encodingIndex = *encodingIndex;
    m_form.SetModified(false);
    if (switched)
        m_form.UpdateTitle(false);
    return true;
}

std::optional<int> TKvDocumentFile::WritePlain(const QString &path, int encodingIndex)
{
    TKvMemIni &ini = m_form.m_document.Ini();
    ini.KeepLayout = CurrentPreferences().KeepLayout;
    const std::optional<quint32> codePage = ChooseSaveEncoding(ini, TForm1::CodePageOf(encodingIndex), &m_form);
    if (!codePage)
        return std::nullopt;
    ini.SaveToFile(path, *codePage);
    return *codePage == KvEncoding::Utf8 ? int(TForm1::EncUtf8) : encodingIndex;
}

void TKvDocumentFile::ActSaveAsExecute()
{
    const std::optional<TKvFileChoice> choice = SaveTextFileDialog(&m_form, m_form.m_fileName);
    if (!choice)
        return;
    const QString path = choice->Path;
    const bool encrypted = IsEncryptedName(path);
    QString password;
    // A new protected file gets the strong container; a protected document
    // keeps the one it has unless the person chooses the other.
    TKvContainerFormat format = m_form.m_encrypted ? m_form.m_containerFormat : TKvContainerFormat::Strong;
    int encodingIndex = choice->EncodingIndex;
    if (encrypted) {
        const std::optional<TKvSavePassword> typed = AskSavePassword(&m_form, format);
        if (!typed)
            return;
        password = typed->Password;
        format = typed->Format;
        WithBusyCursor([&] {
            SaveEncrypted(m_form.m_document.Ini(), path, password, format);
            return 0;
        });
    } else {
        const std::optional<int> written = WritePlain(path, encodingIndex);
        if (!written)
            return;
        encodingIndex = *written;
    }
    // Written over the watched file itself: this version is ours.
    if (QFileInfo(path).absoluteFilePath() == m_watcher->Path())
        m_watcher->Watch(path);
    // No keeps the document on its old file; the copy stays written.
    if (!m_form.m_fileName.isEmpty()
        && !YesNoBox(QStringLiteral("FileName Question:"), QStringLiteral("Use new FileName ?\r\n") + path,
                     &m_form))
        return;
    m_form.m_encrypted = encrypted;
    m_form.m_password = password;
    m_form.m_containerFormat = format;
    m_form.m_encodingIndex = encodingIndex;
    // The document now lives in the file just written, which decides read-only.
    m_form.m_readOnly = IsReadOnlyFile(path);
    m_form.ApplySectionRule();
    m_form.ApplyValueRule();
    m_form.SetFileName(path);
    m_form.SetModified(false);
    m_watcher->Watch(path);
    m_form.DocumentSaved();
}

bool TKvDocumentFile::FormCloseQuery()
{
    if (!m_form.m_document.Modified())
        return true;
    switch (YesNoCancelBox(QStringLiteral("Exit Quillon"),
                           QStringLiteral("There is unsaved changes!\r\nDo You want to Save ?"), &m_form)) {
    case tmrYes:
        ActSaveExecute();
        return !m_form.m_document.Modified();
    case tmrNo:
        return true;
    default:
        return false;
    }
}

void TKvDocumentFile::DropFilesMessage(const QList<QUrl> &urls)
{
    QString path;
    for (const QUrl &url : urls) {
        if (url.isLocalFile()) {
            path = url.toLocalFile();
            break;
        }
    }
    if (path.isEmpty() || AskSaveChanges())
        return;
    OpenFile(path, -1);
}

// ---- Changes made by other programs ------------------------------------------------

void TKvDocumentFile::FileChangedOnDisk()
{
    // Not on top of a dialog that is open: ask once it has closed.
    if (QApplication::activeModalWidget() || QApplication::activePopupWidget()) {
        QTimer::singleShot(1000, m_watcher, &TKvFileWatcher::Remind);
        return;
    }
    const QString path = m_watcher->Path();
    const QString changed = path + QStringLiteral("\r\nhas been changed by another program.");
    if (m_form.m_document.Modified()) {
        ShowMsgBox(
            ChangedCaption,
            changed
                + QStringLiteral("\r\nYour changes are kept; Save will ask before it overwrites the file."),
            kvIconExclamation, &m_form);
        return;
    }
    if (YesNoBox(ChangedCaption, changed + QStringLiteral("\r\nReload it ?"), &m_form))
        m_form.RunCommand([this] { ActReloadExecute(); });
}

bool TKvDocumentFile::MayOverwrite()
{
    if (!m_watcher->ChangedOnDisk() || m_watcher->Path() != QFileInfo(m_form.m_fileName).absoluteFilePath())
        return true;
    return YesNoBox(ChangedCaption,
                    m_watcher->Path()
                        + QStringLiteral(
                            "\r\nhas been changed by another program since it was loaded.\r\nOverwrite it ?"),
                    &m_form);
}
