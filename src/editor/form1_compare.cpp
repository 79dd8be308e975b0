// The window's side of a comparison: the other file is read beside the
// document, both lists show the marks, F7 / Shift+F7 walk the differences
// and the Take Other commands change the document as one undo step each.
#include "form1.h"

#include "compare/comparesession.h"
#include "compare/takeotherstep.h"
#include "dialogs/filedialogs.h"
#include "document/documentfile.h"
#include "kvgradilabel.h"
#include "sectionmodel.h"
#include "valuemodel.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>

void TForm1::ActCompareWithExecute()
{
    // The dialog starts beside the compared file, or else the open one.
    const QString start = m_comparison ? m_comparison->OtherPath() : FileName();
    if (const std::optional<TKvFileChoice> choice = OpenTextFileDialog(this, start))
        CompareWith(choice->Path, choice->EncodingIndex);
}

bool TForm1::CompareWith(const QString &given, int encodingIndex)
{
    std::unique_ptr<TKvMemIni> other = m_documentFile->ReadOther(given, encodingIndex);
    if (!other)
        return false;
    const QString path = QDir::cleanPath(QFileInfo(given).absoluteFilePath());
    CloseComparison();
    m_comparison = std::make_unique<TCompareSession>(m_document, std::move(other), path);
    m_comparedFileName = FileName();
    SectionModel()->SetComparison(m_comparison.get());
    ValueModel()->SetComparison(m_comparison.get());
    connect(m_comparison.get(), &TCompareSession::MarksChanged, this, &TForm1::ShowCompareSummary);
    ShowCompareSummary();
    UpdateActions();
    return true;
}

void TForm1::CloseComparison()
{
    if (!m_comparison)
        return;
    SectionModel()->SetComparison(nullptr);
    ValueModel()->SetComparison(nullptr);
    m_comparison.reset();
    m_comparedFileName.clear();
    ShowCompareSummary();
    UpdateActions();
}

void TForm1::ActNextDifferenceExecute(bool forward)
{
    const TKvListSelection from = Lists->Current();
    const std::optional<TKvListSelection> to =
        forward ? m_comparison->NextDifference(from) : m_comparison->PreviousDifference(from);
    if (to)
        Lists->Restore(*to);
    else
        QApplication::beep(); // no difference further on
}

void TForm1::TakeOther(TKvTakeOtherStep *step)
{
    if (!step) {
        QApplication::beep(); // the row is alike, or goes with its section
        return;
    }
    PushStep(step);
    step->SelectionSettled();
}

// One status-bar button, to stay within the bar's width at the window's
// least width: "Compare" opens a comparison; while one is shown it counts the
// differences, and its hint (the action's) has the whole summary, which names
// the sections only the other file has, and the other file's path.
void TForm1::ShowCompareSummary()
{
    if (!GlCompare)
        return;
    static const QString idleHint = ActCompareWith->statusTip();
    if (!m_comparison) {
        GlCompare->SetCaption(QStringLiteral("Compare"));
        ActCompareWith->setStatusTip(idleHint);
        return;
    }
    const qsizetype count = m_comparison->DifferenceCount();
    GlCompare->SetCaption(count == 0   ? QStringLiteral("no differences")
                          : count == 1 ? QStringLiteral("1 difference")
                                       : QStringLiteral("%1 differences").arg(count));
    ActCompareWith->setStatusTip(u' ' + m_comparison->Summary() + QStringLiteral(" \n ")
                                 + QDir::toNativeSeparators(m_comparison->OtherPath())
                                 + QStringLiteral(" \n F7, Shift+F7: next, previous; Ctrl+Shift+D: close "));
}

void TForm1::CreateCompareLabels(const std::function<void(const QList<TKvGradiLabel *> &)> &addGroup)
{
    GlCompare = new TKvGradiLabel(PnlBottom);
    GlCompare->setObjectName(QStringLiteral("GlCompare"));
    GlCompare->SetLabelType(altButton);
    GlCompare->SetAlign(alLeft);
    GlCompare->SetAction(ActCompareWith);
    GlCompare->SetCaption(QStringLiteral("Compare"));
    addGroup({GlCompare});
}

void TForm1::FollowDocumentForComparison()
{
    // New, Open, Close and a failed reload put another document (or none) in
    // the window, and Save As gives it another name; a reload of the same
    // file keeps the comparison, which follows the document's reset itself.
    connect(&m_document, &TKvDocument::FileStateChanged, this, [this] {
        const TKvFileState &file = m_document.File();
        if (m_comparison && (!file.Open || file.FileName != m_comparedFileName))
            CloseComparison();
    });
}
