// The document's file as the window shows it: the lists emptied, the file
// name recorded, the first rows selected. The file commands themselves are in
// document/documentfile.cpp.
#include "form1.h"

#include "document/documentfile.h"
#include "kvgradilabel.h"
#include "sectionmodel.h"
#include "settings/kvstringrc.h"
#include "valuemodel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTableView>

void TForm1::OpenFile(const QString &path, int encodingIndex)
{
    m_documentFile->OpenFile(path, encodingIndex);
}

void TForm1::ClearDocument()
{
    m_document.Clear();
    UpdateTitle(true);
}

void TForm1::SetFileName(const QString &path)
{
    TKvFileState file = m_document.File();
    file.FileName = path;
    m_document.SetFile(file);
    if (MRUList)
        MRUList->AddRecentFile(path, file.EncodingIndex);
    UpdateTitle(false);
    UpdateActions();
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
