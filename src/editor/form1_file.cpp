// The document's file: the file named on the command line, opening a plain
// file, load errors and the file state shown in the caption.
#include "form1.h"

#include "kvgradilabel.h"
#include "kvmsgbox.h"
#include "sectionmodel.h"
#include "valuemodel.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QTableView>
#include <QTimer>

namespace {

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
    const QFileDevice::Permissions writeBits = QFileDevice::WriteOwner | QFileDevice::WriteGroup
                                               | QFileDevice::WriteOther;
    return !(info.permissions() & writeBits) || !info.isWritable();
}

bool IsEncryptedName(const QString &path)
{
    return path.toLower().endsWith(QStringLiteral(".inicry"));
}

} // namespace

void TForm1::LoadFileTimerTimer()
{
    LoadFileTimer->stop();
    if (!m_commandLine.isEmpty()) {
        const QString path = m_commandLine.first();
        if (QFileInfo(path).isFile())
            OpenFile(path, -1);
    }
    // Formats need no registration here (they are MIME names); the first clipboard test.
    UpdateClipboardState();
}

void TForm1::OpenFile(const QString &path, int encodingIndex)
{
    if (IsEncryptedName(path)) {
        // Encrypted files open through the password dialog, which arrives with
        // the password commands; until then they are not opened.
        return;
    }
    OpenPlainFile(path, encodingIndex);
}

void TForm1::OpenPlainFile(const QString &path, int encodingIndex)
{
    m_opening = true;
    ClearDocument();
    m_password.clear();
    m_encrypted = false;
    m_encodingIndex = encodingIndex;
    const int result = LoadPlainFile(path, encodingIndex);
    if (ReportLoadError(result, path)) {
        EnableFileActions(false);
    } else {
        EnableFileActions(true);
        SetFileName(path);
        SelectFirstRows();
    }
    m_opening = false;
}

int TForm1::LoadPlainFile(const QString &path, int encodingIndex)
{
    const QString fileName = path.isEmpty() ? m_fileName : path;
    QElapsedTimer clock;
    clock.start();
    const int result = encodingIndex >= EncUtf8 && encodingIndex <= EncUtf16BE
                           ? m_ini.LoadFromFile(fileName, CodePageOf(encodingIndex))
                           : m_ini.LoadFromFile(fileName);
    SetLoadTime(quint64(clock.elapsed()));
    m_readOnly = IsReadOnlyFile(fileName);
    m_encodingIndex = EncodingIndexOf(m_ini.Encoding);
    FillSectionList();
    FitSectionColumns();
    SetModified(false);
    return result;
}

bool TForm1::ReportLoadError(int result, const QString &path)
{
    if (result >= 0)
        return false;
    if (result == KvReadResult::FileMissing)
        ErrorBox(QStringLiteral("File Error"), QStringLiteral("File Does not exist\r\n") + path, this);
    else
        ErrorBox(QStringLiteral("File Error"), QStringLiteral("Error Reading File\r\n") + path, this);
    ClearDocument();
    m_fileName.clear();
    UpdateTitle(true);
    return true;
}

void TForm1::ClearDocument()
{
    ResetUndo();
    DeselectBeforeRefill(LvValues);
    DeselectBeforeRefill(LvSections);
    m_valueModel->Clear();
    m_sectionModel->Clear();
    m_ini.Clear();
    UpdateTitle(true);
}

void TForm1::SetFileName(const QString &path)
{
    m_fileName = path;
    // The recent-file list records the name here once it exists.
    UpdateTitle(false);
    if (ButCreateShortcut)
        ButCreateShortcut->setEnabled(!path.isEmpty());
}

void TForm1::SelectFirstRows()
{
    QElapsedTimer clock;
    clock.start();
    if (m_sectionModel->rowCount() > 0)
        SelectRow(LvSections, 0);
    if (m_valueModel->rowCount() > 0)
        SelectRow(LvValues, 0);
    QApplication::processEvents();
    SetShowTime(m_showTimeMs + quint64(clock.elapsed()));
}
