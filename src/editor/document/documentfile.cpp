#include "documentfile.h"

#include "dialogs/filedialogs.h"
#include "document/lossysave.h"
#include "filewatcher.h"
#include "kvbusycursor.h"
#include "kvcontainer.h"
#include "kvdocument.h"
#include "kvmsgbox.h"
#include "kvreadresult.h"
#include "kvsafesave.h"
#include "lists/kvlists.h"
#include "passwordprompt.h"
#include "settings/preferences.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTimer>

#include "kvfileerror.h"

#include <functional>
#include <memory>

namespace {

const QString FileErrorCaption = QStringLiteral("File Error");
const QString ChangedCaption = QStringLiteral("File Changed");
// A read result of the editor's own: the failure has been told already.
constexpr int FailureShown = -100;

// The window's encoding index of a document's encoding after a read.
int EncodingIndexOf(quint32 encoding)
{
    switch (encoding) {
    case KvEncoding::Ansi:
        return TKvEncodingIndexes::EncAnsi;
    case KvEncoding::Utf16LE:
        return TKvEncodingIndexes::EncUtf16LE;
    case KvEncoding::Utf16BE:
        return TKvEncodingIndexes::EncUtf16BE;
    default:
        return TKvEncodingIndexes::EncUtf8;
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

} // namespace

TKvDocumentFile::TKvDocumentFile(const TKvEditContext &context, QObject *parent)
    : QObject(parent)
    , m_doc(context.Document)
    , m_lists(context.Lists)
    , m_parent(context.DialogParent)
    , m_watcher(new TKvFileWatcher(this))
{
    connect(m_watcher, &TKvFileWatcher::Changed, this, &TKvDocumentFile::FileChangedOnDisk);
    connect(m_watcher, &TKvFileWatcher::Removed, this, &TKvDocumentFile::FileRemovedOnDisk);
}

void ShowFileError(const TKvFileError &error, QWidget *owner)
{
    QString text = error.Message();
    if (!error.FileName().isEmpty())
        text = error.FileName() + QStringLiteral("\r\n") + text;
    ErrorBox(FileErrorCaption, text, owner);
}

TKvDocument &TKvDocumentFile::Doc() const
{
    return m_doc;
}

void RunShowingFileErrors(const std::function<void()> &command, QWidget *owner)
{
    try {
        command();
    } catch (const TKvFileError &error) {
        ShowFileError(error, owner);
    }
}

void TKvDocumentFile::LoadFileTimerTimer(const QStringList &commandLine)
{
    if (!commandLine.isEmpty()) {
        const QString path = commandLine.first();
        if (QFileInfo(path).isFile())
            OpenFile(path, -1);
    }
}

void TKvDocumentFile::ShowOpened(const QString &path)
{
    TKvFileState file = Doc().File();
    file.FileName = path;
    file.Open = true;
    Doc().SetFile(file);
    if (!path.isEmpty())
        emit FileNamed(path, file.EncodingIndex);
    m_lists.SelectFirstRows();
}

void TKvDocumentFile::Close()
{
    Doc().Clear();
    Doc().SetFile({});
    m_watcher->Unwatch();
    m_mergeBase.Forget();
}

TKvOutcome TKvDocumentFile::AskSaveChanges()
{
    if (!Doc().Modified())
        return TKvOutcome::Done;
    switch (YesNoCancelBox(QStringLiteral("Question"),
                           QStringLiteral("There is Unsaved Changes\r\nDoYou want to save ??"), m_parent)) {
    case tmrYes:
        return ActSaveExecute();
    case tmrNo:
        return TKvOutcome::Done;
    default:
        return TKvOutcome::Cancelled;
    }
}

void TKvDocumentFile::ActNewFileExecute()
{
    if (AskSaveChanges() == TKvOutcome::Cancelled)
        return;
    auto ini = std::make_unique<TKvMemIni>();
    ini->AddSection(QString())->AddVal(u"", u"", u"");
    Doc().Replace(std::move(ini));
    // A new document: no file (that could be read-only), UTF-8, not protected.
    Doc().SetFile({});
    m_lists.FillSectionList();
    m_lists.FitSectionColumns();
    ShowOpened(QString());
    m_watcher->Unwatch();
    m_mergeBase.Forget();
}

void TKvDocumentFile::ActOpenFileExecute()
{
    if (AskSaveChanges() == TKvOutcome::Cancelled)
        return;
    if (const std::optional<TKvFileChoice> choice = OpenTextFileDialog(m_parent, Doc().File().FileName))
        OpenFile(choice->Path, choice->EncodingIndex);
}

void TKvDocumentFile::OpenFile(const QString &given, int encodingIndex)
{
    // Every path the window keeps is absolute (symbolic links stay as named).
    const QString path = QDir::cleanPath(QFileInfo(given).absoluteFilePath());
    if (!IsEncryptedName(path)) {
        OpenPlainFile(path, encodingIndex);
        return;
    }
    // Cancel keeps the current document as it is.
    if (const std::optional<QString> password = AskFilePassword(m_parent, false))
        OpenEncryptedFile(path, *password);
}

void TKvDocumentFile::OpenPlainFile(const QString &path, int encodingIndex)
{
    if (!LoadPlainFile(path, encodingIndex))
        return;
    ShowOpened(path);
    m_watcher->Watch(path);
    ReportInterruptedSave(path);
}

std::unique_ptr<TKvMemIni> TKvDocumentFile::ReadShowingErrors(const QString &path, bool hashComments,
                                                              const std::function<int(TKvMemIni &)> &read)
{
    auto ini = std::make_unique<TKvMemIni>();
    ini->HashComments = hashComments;
    int result = lrFileMissing;
    try {
        result = read(*ini);
    } catch (const TKvFileError &error) {
        ShowFileError(error, m_parent);
        return nullptr;
    }
    if (ReportLoadError(result, path))
        return nullptr;
    return ini;
}

std::unique_ptr<TKvMemIni> TKvDocumentFile::ReadFresh(const QString &path,
                                                      const std::function<int(TKvMemIni &)> &read)
{
    const bool hashComments =
        m_hashCommentsRule ? m_hashCommentsRule(path) : CurrentPreferences().HashComments;
    std::unique_ptr<TKvMemIni> ini = ReadShowingErrors(path, hashComments, read);
    if (!ini)
        LoadFailed();
    return ini;
}

namespace {

int ReadPlain(TKvMemIni &ini, const QString &path, int encodingIndex)
{
    return encodingIndex >= TKvEncodingIndexes::EncUtf8 && encodingIndex <= TKvEncodingIndexes::EncUtf16BE
               ? ini.LoadFromFile(path, TKvEncodingIndexes::CodePageOf(encodingIndex))
               : ini.LoadFromFile(path);
}

} // namespace

std::unique_ptr<TKvMemIni> TKvDocumentFile::ReadOther(const QString &given, int encodingIndex)
{
    const QString path = QDir::cleanPath(QFileInfo(given).absoluteFilePath());
    // Both sides read with one comment rule, or every "#" line would differ.
    const bool hashComments = Doc().Ini().HashComments;
    if (!IsEncryptedName(path))
        return ReadShowingErrors(path, hashComments,
                                 [&](TKvMemIni &ini) { return ReadPlain(ini, path, encodingIndex); });
    const std::optional<QString> password = AskFilePassword(m_parent, false);
    if (!password)
        return nullptr;
    return ReadShowingErrors(path, hashComments,
                             [&](TKvMemIni &ini) { return ReadEncrypted(ini, path, *password); });
}

bool TKvDocumentFile::LoadPlainFile(const QString &path, int encodingIndex)
{
    QElapsedTimer clock;
    clock.start();
    std::unique_ptr<TKvMemIni> ini =
        ReadFresh(path, [&](TKvMemIni &fresh) { return ReadPlain(fresh, path, encodingIndex); });
    if (!ini)
        return false;
    emit LoadTimeMeasured(quint64(clock.elapsed()));
    TKvFileState file;
    file.FileName = path;
    file.EncodingIndex = EncodingIndexOf(ini->Encoding);
    file.ReadOnly = IsReadOnlyFile(path);
    file.Open = true;
    Doc().ReplaceWithRead(std::move(ini));
    m_mergeBase.RememberRead(Doc().Ini());
    Doc().SetFile(file);
    m_lists.FillSectionList();
    m_lists.FitSectionColumns();
    return true;
}

namespace {

// Deriving a strong container's key takes a moment (and 64 MiB): the pointer says so.
template <typename Work> auto WithBusyCursor(Work work)
{
    const TKvBusyCursor busy;
    return work();
}

} // namespace

int TKvDocumentFile::ReadEncrypted(TKvMemIni &ini, const QString &path, const QString &password,
                                  TKvContainerFormat *format)
{
    const int result = WithBusyCursor([&] { return LoadEncrypted(ini, path, password, format); });
    if (result == lrNotContainer) {
        ErrorBox(FileErrorCaption, path + QStringLiteral("\r\nIs not an Encrypted Quillon File"), m_parent);
        return FailureShown;
    }
    if (result == lrWrongPassword) {
        ErrorBox(FileErrorCaption, QStringLiteral("Wrong password for:\r\n") + path, m_parent);
        return FailureShown;
    }
    return result;
}

bool TKvDocumentFile::OpenEncryptedFile(const QString &path, const QString &password)
{
    QElapsedTimer clock;
    clock.start();
    TKvContainerFormat format = TKvContainerFormat::Strong;
    std::unique_ptr<TKvMemIni> ini =
        ReadFresh(path, [&](TKvMemIni &fresh) { return ReadEncrypted(fresh, path, password, &format); });
    if (!ini)
        return false;
    emit LoadTimeMeasured(quint64(clock.elapsed()));
    TKvFileState file;
    file.FileName = path;
    file.Password = password;
    file.Encrypted = true;
    file.ContainerFormat = format;
    file.EncodingIndex = EncodingIndexOf(ini->Encoding);
    file.ReadOnly = IsReadOnlyFile(path);
    file.Open = true;
    Doc().ReplaceWithRead(std::move(ini));
    m_mergeBase.RememberRead(Doc().Ini());
    Doc().SetFile(file);
    m_lists.FillSectionList();
    m_lists.FitSectionColumns();
    ShowOpened(path);
    m_watcher->Watch(path);
    ReportInterruptedSave(path);
    return true;
}

void TKvDocumentFile::ReportInterruptedSave(const QString &path)
{
    const QString backup = InterruptedSaveBackup(path);
    if (backup.isEmpty())
        return;
    InfoBox(QStringLiteral("Interrupted Save"),
            QStringLiteral("An earlier save of this file was interrupted.\r\nIts old content is in:\r\n")
                + backup
                + QStringLiteral("\r\n\r\nCompare the two, keep the right one and remove the other."),
            m_parent);
}

bool TKvDocumentFile::ReportLoadError(int result, const QString &path)
{
    if (result == lrRefused32Bit || result == FailureShown) {
        // Refused32Bit: left without a document: an empty document under the
        // file's name would replace the whole file at the first Save.
    } else if (result >= 0) {
        return false;
    } else if (result == lrFileMissing) {
        ErrorBox(FileErrorCaption, QStringLiteral("File Does not exist\r\n") + path, m_parent);
    } else {
        ErrorBox(FileErrorCaption, QStringLiteral("Error Reading File\r\n") + path, m_parent);
    }
    return true;
}

// The state after a failed open or reload: no document, no file name, not
// modified, not encrypted, bare caption, file actions off.
void TKvDocumentFile::LoadFailed()
{
    Close();
}

void TKvDocumentFile::ActReloadExecute()
{
    if (AskSaveChanges() == TKvOutcome::Cancelled)
        return;
    ReloadFile();
}

void TKvDocumentFile::ReloadFile()
{
    const TKvFileState file = Doc().File();
    if (file.Encrypted) {
        if (!OpenEncryptedFile(file.FileName, file.Password))
            return;
    } else if (!LoadPlainFile(file.FileName, file.EncodingIndex)) {
        return;
    }
    m_lists.SelectFirstRows();
    m_watcher->Watch(file.FileName);
}

TKvOutcome TKvDocumentFile::ActSaveExecute()
{
    const TKvFileState file = Doc().File();
    // "NoName.Ini" is a placeholder name (given on a command line, made
    // absolute like every path): it is saved under a name the user chooses.
    if (file.FileName.isEmpty() || QFileInfo(file.FileName).fileName() == QStringLiteral("NoName.Ini")) {
        return ActSaveAsExecute();
    }
    if (!MayOverwrite())
        return TKvOutcome::Cancelled;
    if (file.Encrypted) {
        WithBusyCursor([&] {
            SaveEncrypted(Doc().Ini(), file.FileName, file.Password, file.ContainerFormat);
            return 0;
        });
    } else if (SavePlain() == TKvOutcome::Cancelled) {
        return TKvOutcome::Cancelled;
    }
    m_watcher->Watch(file.FileName);
    m_mergeBase.Remember(Doc().Ini());
    Doc().MarkSaved();
    return TKvOutcome::Done;
}

TKvOutcome TKvDocumentFile::SavePlain()
{
    TKvFileState file = Doc().File();
    std::optional<int> encodingIndex = WritePlain(file.FileName, file.EncodingIndex);
    if (!encodingIndex)
        return TKvOutcome::Cancelled;
    file.EncodingIndex = *encodingIndex;
    Doc().SetFile(file);
    return TKvOutcome::Done;
}

std::optional<int> TKvDocumentFile::WritePlain(const QString &path, int encodingIndex)
{
    TKvMemIni &ini = Doc().Ini();
    ini.KeepLayout = CurrentPreferences().KeepLayout;
    const std::optional<quint32> codePage =
        ChooseSaveEncoding(ini, TKvEncodingIndexes::CodePageOf(encodingIndex), m_parent);
    if (!codePage)
        return std::nullopt;
    ini.SaveToFile(path, *codePage);
    return *codePage == KvEncoding::Utf8 ? int(TKvEncodingIndexes::EncUtf8) : encodingIndex;
}

TKvOutcome TKvDocumentFile::ActSaveAsExecute()
{
    const std::optional<TKvFileChoice> choice = SaveTextFileDialog(m_parent, Doc().File().FileName);
    if (!choice)
        return TKvOutcome::Cancelled;
    const QString path = QDir::cleanPath(QFileInfo(choice->Path).absoluteFilePath());
    TKvFileState file = Doc().File();
    // A new protected file gets the strong container; a protected document
    // keeps the one it has unless the person chooses the other.
    const TKvContainerFormat offered = file.Encrypted ? file.ContainerFormat : TKvContainerFormat::Strong;
    file.Encrypted = IsEncryptedName(path);
    file.EncodingIndex = choice->EncodingIndex;
    file.Password.clear();
    if (file.Encrypted) {
        const std::optional<TKvSavePassword> typed = AskSavePassword(m_parent, offered);
        if (!typed)
            return TKvOutcome::Cancelled;
        file.Password = typed->Password;
        file.ContainerFormat = typed->Format;
        WithBusyCursor([&] {
            SaveEncrypted(Doc().Ini(), path, file.Password, file.ContainerFormat);
            return 0;
        });
    } else {
        const std::optional<int> written = WritePlain(path, file.EncodingIndex);
        if (!written)
            return TKvOutcome::Cancelled;
        file.EncodingIndex = *written;
    }
    // Written over the watched file itself: this version is ours.
    if (QFileInfo(path).absoluteFilePath() == m_watcher->Path())
        m_watcher->Watch(path);
    // No keeps the document on its old file, unsaved; the copy stays written.
    if (!Doc().File().FileName.isEmpty()
        && !YesNoBox(QStringLiteral("FileName Question:"), QStringLiteral("Use new FileName ?\r\n") + path,
                     m_parent))
        return TKvOutcome::Cancelled;
    // The document now lives in the file just written, which decides read-only.
    file.FileName = path;
    file.ReadOnly = IsReadOnlyFile(path);
    Doc().SetFile(file);
    emit FileNamed(path, file.EncodingIndex);
    m_watcher->Watch(path);
    m_mergeBase.Remember(Doc().Ini());
    Doc().MarkSaved();
    return TKvOutcome::Done;
}

bool TKvDocumentFile::FormCloseQuery()
{
    if (!Doc().Modified())
        return true;
    switch (YesNoCancelBox(QStringLiteral("Exit Quillon"),
                           QStringLiteral("There is unsaved changes!\r\nDo You want to Save ?"), m_parent)) {
    case tmrYes:
        return ActSaveExecute() == TKvOutcome::Done;
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
    if (path.isEmpty() || AskSaveChanges() == TKvOutcome::Cancelled)
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
    if (Doc().Modified()) {
        switch (AskAboutExternalChange(path, m_parent)) {
        case TExternalChangeAnswer::Merge:
            RunShowingFileErrors([this] { MergeChangesOnDisk(); }, m_parent);
            break;
        case TExternalChangeAnswer::Reload:
            RunShowingFileErrors([this] { ReloadFile(); }, m_parent);
            break;
        case TExternalChangeAnswer::Keep: // Save asks before it overwrites the file
            break;
        }
        return;
    }
    if (YesNoBox(ChangedCaption, changed + QStringLiteral("\r\nReload it ?"), m_parent))
        RunShowingFileErrors([this] { ActReloadExecute(); }, m_parent);
}

void TKvDocumentFile::FileRemovedOnDisk()
{
    if (QApplication::activeModalWidget() || QApplication::activePopupWidget()) {
        QTimer::singleShot(1000, this, &TKvDocumentFile::FileRemovedOnDisk);
        return;
    }
    ShowMsgBox(
        ChangedCaption,
        m_watcher->Path()
            + QStringLiteral("\r\nhas been removed by another program.\r\nThe document stays open; Save "
                             "writes the file again."),
        kvIconExclamation, m_parent);
}

bool TKvDocumentFile::MayOverwrite()
{
    if (!m_watcher->ChangedOnDisk()
        || m_watcher->Path() != QFileInfo(Doc().File().FileName).absoluteFilePath())
        return true;
    return YesNoBoxDefaultNo(
        ChangedCaption,
        m_watcher->Path()
            + QStringLiteral(
                "\r\nhas been changed by another program since it was loaded.\r\nOverwrite it ?"),
        m_parent);
}

// Theirs is read as the document was (its code page, its password), not
// through ReadFresh: a file that cannot be read leaves the document as it is.
void TKvDocumentFile::MergeChangesOnDisk()
{
    const TKvFileState file = Doc().File();
    const QString path = m_watcher->Path();
    auto theirs = std::make_unique<TKvMemIni>();
    theirs->HashComments = Doc().Ini().HashComments;
    int result = lrFileMissing;
    try {
        result = file.Encrypted
                     ? WithBusyCursor([&] { return LoadEncrypted(*theirs, path, file.Password); })
                     : theirs->LoadFromFile(path, TKvEncodingIndexes::CodePageOf(file.EncodingIndex));
    } catch (const TKvFileError &error) {
        ShowFileError(error, m_parent);
        return;
    }
    if (result < 0 || !m_mergeBase.Known()) {
        ErrorBox(FileErrorCaption, QStringLiteral("Error Reading File\r\n") + path, m_parent);
        return;
    }
    const std::unique_ptr<TKvMemIni> base = m_mergeBase.Parsed();
    if (MergeExternalChanges(Doc(), m_lists, *base, *theirs, m_parent) == TExternalMergeResult::Cancelled)
        return;
    // The file on disk is now the known version: Save writes over it without asking.
    m_mergeBase.RememberRead(*theirs);
    m_watcher->Watch(path);
    m_lists.FitValueColumns();
}
