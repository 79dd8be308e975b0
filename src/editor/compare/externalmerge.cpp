#include "externalmerge.h"

#include "dialogrun.h"
#include "document/kvdocument.h"
#include "kvbusycursor.h"
#include "kvlayoutwriter.h"
#include "kvmerge.h"
#include "kvmsgbox.h"
#include "kvparsestore.h"
#include "mergeconflictsdialog.h"
#include "takeotherstep.h"

#include <QDialog>

void TKvMergeBase::Remember(const TKvMemIni &ini)
{
    Remember(ini.GetText(), ini.HashComments);
}

void TKvMergeBase::Remember(const QString &text, bool hashComments)
{
    m_text = text;
    m_read.reset();
    m_readLength = 0;
    m_hashComments = hashComments;
    m_known = true;
}

void TKvMergeBase::RememberRead(const TKvMemIni &ini)
{
    const TKvReadLayout *layout = ini.ReadLayout();
    if (!layout || !layout->Store) {
        Remember(ini);
        return;
    }
    m_text.clear();
    m_read = layout->Store;
    m_readLength = layout->LinesLength;
    m_hashComments = ini.HashComments;
    m_known = true;
}

void TKvMergeBase::Forget()
{
    m_text.clear();
    m_read.reset();
    m_readLength = 0;
    m_known = false;
}

std::unique_ptr<TKvMemIni> TKvMergeBase::Parsed() const
{
    auto ini = std::make_unique<TKvMemIni>();
    ini->HashComments = m_hashComments;
    // The text was written by the document itself or parsed into it, so it parses whole.
    if (m_read)
        ini->Parse(QString(reinterpret_cast<const QChar *>(m_read->Text()), m_readLength));
    else
        ini->Parse(m_text);
    return ini;
}

TExternalChangeAnswer AskAboutExternalChange(const QString &path, QWidget *owner)
{
    const QString text =
        path
        + QStringLiteral("\r\nhas been changed by another program while you have unsaved changes.\r\n\r\n"
                         "Yes: merge its changes into yours (you choose where both changed the same)\r\n"
                         "No: reload it; your changes are lost\r\n"
                         "Cancel: keep your version; Save will ask before it overwrites the file");
    switch (YesNoCancelBox(QStringLiteral("File Changed"), text, owner)) {
    case tmrYes:
        return TExternalChangeAnswer::Merge;
    case tmrNo:
        return TExternalChangeAnswer::Reload;
    default:
        return TExternalChangeAnswer::Keep;
    }
}

TExternalMergeResult MergeExternalChanges(TKvDocument &document, TKvSelection &selection,
                                          const TKvMemIni &base, const TKvMemIni &theirs, QWidget *owner,
                                          const TKvCompareOptions &options)
{
    TKvMergePlan plan = [&] {
        const TKvBusyCursor busy; // two big files take a moment
        return KvMerge::Plan(base, document.Ini(), theirs, options);
    }();
    if (plan.ConflictCount() > 0) {
        TMergeConflictsDialog dialog(owner, plan, options);
        if (ExecDialog(dialog) != QDialog::Accepted)
            return TExternalMergeResult::Cancelled;
        dialog.ApplyChoices(plan);
    }
    std::vector<const TKvDifference *> taken;
    for (const TKvMergeStep &step : plan.Steps) {
        if (!step.IsConflict() || step.TakeTheirs)
            taken.push_back(&step.Change);
    }
    if (taken.empty())
        return TExternalMergeResult::NothingNew;
    const TKvBusyCursor busy;
    auto *step =
        new TKvTakeOtherStep(document, selection, QStringLiteral("Merge Changes on Disk"), taken, options);
    document.Push(step);
    step->SelectionSettled();
    return TExternalMergeResult::Merged;
}
