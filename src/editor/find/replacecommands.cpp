#include "replacecommands.h"

#include "dialogrun.h"
#include "document/kvdocument.h"
#include "document/kvselection.h"
#include "fieldcaption.h"
#include "formreplace.h"
#include "kvfunctions.h"
#include "kvmsgbox.h"
#include "kvprogressbar.h"
#include "kvreplace.h"
#include "kvsearch.h"
#include "replacestep.h"


namespace {

const QString ReplaceCaption = QStringLiteral("Quillon Replace");

// Where a change lies, for a message: "[PHP] memory_limit, Item Value".
QString Describe(const TKvMemIni &ini, const TKvReplacement &change)
{
    const TKvIniSection &section = *ini.Sections[change.Section];
    const TKvIniVal *val = change.Entry >= 0 ? section.Vals[change.Entry] : nullptr;
    QString place = u'[' + section.Name + u']';
    if (val && !val->NameView().isEmpty())
        place += u' ' + val->Name();
    return place + QStringLiteral(", ") + FieldCaption(change.Field, val);
}

QString Count(qsizetype n)
{
    return GroupThousands(QString::number(n));
}

} // namespace

TReplaceCommands::TReplaceCommands(TKvDocument &document, TKvSelection &selection, QWidget *dialogParent,
                                   TSearchStruct &options)
    : m_document(document)
    , m_selection(selection)
    , m_dialogParent(dialogParent)
    , m_options(options)
{}

TReplaceCommands::~TReplaceCommands() = default;

QWidget *TReplaceCommands::MessageOwner() const
{
    return m_dialog ? static_cast<QWidget *>(m_dialog.data()) : m_dialogParent;
}

void TReplaceCommands::ActReplaceExecute()
{
    TFormReplace dialog(m_dialogParent);
    const bool valuesOnly = ValuesOnly();
    dialog.LoadOptions(m_options, valuesOnly);
    dialog.SetReplaceHistory(m_replaceHistory);
    m_options.Backwards = false;
    m_dialog = &dialog;
    QObject::connect(&dialog, &TFormReplace::FindNextClicked, &dialog, [this, &dialog] {
        RunDialogCommand(dialog, [this](const QString &text, const QString &) { FindNext(text); });
    });
    QObject::connect(&dialog, &TFormReplace::ReplaceClicked, &dialog, [this, &dialog] {
        RunDialogCommand(dialog, [this](const QString &text, const QString &with) { Replace(text, with); });
    });
    QObject::connect(&dialog, &TFormReplace::ReplaceAllClicked, &dialog, [this, &dialog] {
        RunDialogCommand(dialog, [this](const QString &text, const QString &with) { ReplaceAll(text, with); });
    });
    ExecDialog(dialog);
    m_dialog = nullptr;
}

void TReplaceCommands::RunDialogCommand(TFormReplace &dialog,
                                        const std::function<void(const QString &, const QString &)> &command)
{
    const QString findText = dialog.FindText();
    const QString replacement = dialog.ReplaceText();
    // The choices count from the first button pressed, for Find too.
    dialog.StoreOptions(m_options, ValuesOnly());
    AddReplaceHistory(replacement);
    // The fields show the texts at the head of the histories again.
    dialog.LoadOptions(m_options, ValuesOnly());
    dialog.SetReplaceHistory(m_replaceHistory);
    command(findText, replacement);
}

void TReplaceCommands::AddReplaceHistory(const QString &text)
{
    m_replaceHistory.removeAll(text);
    m_replaceHistory.prepend(text);
    while (m_replaceHistory.size() > TSearchStruct::HistorySize)
        m_replaceHistory.removeLast();
}

void TReplaceCommands::SyncPosition()
{
    const TKvListSelection selected = m_selection.Current();
    if (!selected.Section)
        return;
    const qint32 section = m_document.IndexOfSection(selected.Section);
    if (section < 0)
        return;
    if (selected.Val && selected.Position >= 0)
        m_itemCursor = selected.Position;
    else if (section != m_sectionCursor)
        m_itemCursor = KvSearchCursor::Before; // at the section's own texts
    m_sectionCursor = section;
}

bool TReplaceCommands::FindNext(const QString &findText)
{
    SyncPosition();
    return FindAfterPosition(findText);
}

bool TReplaceCommands::FindAfterPosition(const QString &findText)
{
    const TKvMemIni &ini = m_document.Ini();
    TSearchStruct forward = m_options;
    forward.Backwards = false;
    StepForward(m_sectionCursor, m_itemCursor, forward, ini);
    TKvSearch search(findText, forward.CaseSensitive, forward.WholeWords);
    if (!Find(search, ini, m_sectionCursor, m_itemCursor, forward)) {
        // The next Find Next starts again at the top.
        m_sectionCursor = m_itemCursor = KvSearchCursor::After;
        TKvListSelection none = m_selection.Current(); // the sort arrows stay
        none.Section = nullptr;
        none.Val = nullptr;
        none.Position = -1;
        m_selection.Restore(none);
        InfoBox(QStringLiteral("Quillon Search"), QStringLiteral("No Mach Vere Found!"), MessageOwner());
        return false;
    }
    TKvListSelection found = m_selection.Current();
    found.Section = ini.Sections[m_sectionCursor];
    const bool atEntry = m_itemCursor >= 0 && m_itemCursor < found.Section->Vals.Count();
    found.Val = atEntry ? found.Section->Vals[m_itemCursor] : nullptr;
    found.Position = atEntry ? m_itemCursor : -1;
    if (!atEntry)
        m_itemCursor = KvSearchCursor::Before;
    m_selection.Restore(found);
    return true;
}

bool TReplaceCommands::CheckPlan(const TKvReplacePlan &plan)
{
    if (plan.CanApply())
        return true;
    QStringList problems;
    for (const TKvReplacement &change : plan.Changes) {
        if (!change.Problem.isEmpty())
            problems << Describe(m_document.Ini(), change) + QStringLiteral(": ") + change.Problem;
    }
    QString text = QStringLiteral("Nothing was replaced, the new text would not read back as written:\n")
                   + problems.first();
    if (problems.size() > 1)
        text += QStringLiteral("\n(and %1 more)").arg(Count(problems.size() - 1));
    InfoBox(ReplaceCaption, text, MessageOwner());
    return false;
}

qsizetype TReplaceCommands::Replace(const QString &findText, const QString &replacement)
{
    SyncPosition();
    const TKvListSelection selected = m_selection.Current();
    qsizetype replaced = 0;
    if (selected.Section && m_sectionCursor >= 0 && m_sectionCursor != KvSearchCursor::After) {
        // The selected place: an entry, or the section's own texts.
        const qint32 entry = selected.Val ? m_itemCursor : -1;
        const TKvReplacePlan plan =
            PlanReplaceAt(m_document.Ini(), m_sectionCursor, entry, findText, m_options, replacement);
        if (!CheckPlan(plan))
            return -1;
        if (!plan.Changes.isEmpty()) {
            m_document.Push(new TKvReplaceStep(m_document, m_selection, QStringLiteral("Replace"), plan));
            replaced = plan.Occurrences();
        }
    }
    FindAfterPosition(findText);
    return replaced;
}

qsizetype TReplaceCommands::ReplaceAll(const QString &findText, const QString &replacement)
{
    const TKvReplacePlan plan = [&] {
        const TKvProgress progress(QStringLiteral("Replace All: finding"));
        return PlanReplace(m_document.Ini(), findText, m_options, replacement);
    }();
    if (!CheckPlan(plan))
        return -1;
    const qsizetype replaced = plan.Occurrences();
    if (replaced > 0) {
        TKvProgress progress(QStringLiteral("Replace All: replacing"), 2);
        auto *step = new TKvReplaceStep(m_document, m_selection, QStringLiteral("Replace All"), plan);
        progress.NextPhase();
        m_document.Push(step);
    }
    const qsizetype texts = plan.Changes.size();
    InfoBox(ReplaceCaption,
            replaced == 0 ? QStringLiteral("Nothing was replaced: no match found.")
                          : QStringLiteral("%1 replaced in %2 text%3.")
                                .arg(Count(replaced), Count(texts), texts == 1 ? QString() : QStringLiteral("s")),
            MessageOwner());
    return replaced;
}
