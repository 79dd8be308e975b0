#include "clipboardcommands.h"

#include "dialogrun.h"
#include "document/kvdocument.h"
#include "editsteps.h"
#include "frmsection.h"
#include "itemcommands.h"
#include "kvbusycursor.h"
#include "kvfunctions.h"
#include "lists/kvlists.h"
#include "sectioncommands.h"
#include "sectionmodel.h"
#include "valuemodel.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QTableView>
#include <QUndoStack>

#include <memory>
#include <utility>

namespace {

// The section dialog, given the parsed name and comment: Apply stays disabled
// until one of them changes.
bool AskWithSectionDialog(QWidget *owner, QString &name, QString &comment)
{
    TFrmSection dialog(owner);
    dialog.SetName(name);
    dialog.SetComment(comment);
    dialog.setWindowTitle(QStringLiteral("Paste Section - Need new Name"));
    if (ExecDialog(dialog) != QDialog::Accepted)
        return false;
    name = dialog.Name();
    comment = dialog.Comment();
    return true;
}

TClipboardCommands::TKvSectionNameAsker &SectionNameAsker()
{
    static TClipboardCommands::TKvSectionNameAsker asker = AskWithSectionDialog;
    return asker;
}

} // namespace

TClipboardCommands::TKvSectionNameAsker TClipboardCommands::SetSectionNameAsker(TKvSectionNameAsker asker)
{
    return std::exchange(SectionNameAsker(),
                         asker ? std::move(asker) : TKvSectionNameAsker(AskWithSectionDialog));
}

TClipboardCommands::TClipboardCommands(const TKvEditContext &context, TItemCommands &items,
                                       TSectionCommands &sections)
    : QObject(context.DialogParent)
    , m_doc(context.Document)
    , m_lists(context.Lists)
    , m_parent(context.DialogParent)
    , m_items(items)
    , m_sections(sections)
{
    if (QClipboard *clipboard = QGuiApplication::clipboard())
        connect(clipboard, &QClipboard::dataChanged, this, &TClipboardCommands::UpdateClipboardState);
}

// ---- State -------------------------------------------------------------------

TKvIniVal *TClipboardCommands::SelectedVal() const
{
    return m_lists.SelectedVal();
}

QString TClipboardCommands::ClipboardText() const
{
    const QClipboard *clipboard = QGuiApplication::clipboard();
    return clipboard ? clipboard->text() : QString();
}

QString TClipboardCommands::PastedLine() const
{
    return CollapseLineBreaks(ClipboardText());
}

void TClipboardCommands::PutOnClipboard(const QString &text, bool sectionFormat, bool itemFormat)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    std::unique_ptr<QMimeData> data = MakeClipData(text, sectionFormat, itemFormat);
    if (!clipboard || !data)
        return;
    clipboard->setMimeData(data.release());
}

void TClipboardCommands::UpdateClipboardState()
{
    const QClipboard *clipboard = QGuiApplication::clipboard();
    m_state = ClipStateOf(clipboard ? clipboard->mimeData() : nullptr);
    emit ClipboardStateChanged();
}

// ---- Copy commands -------------------------------------------------------------

void TClipboardCommands::MnuCopyItemClick()
{
    if (const TKvIniVal *val = SelectedVal())
        PutOnClipboard(EntryClipText(*val), false, true);
}

void TClipboardCommands::MnuCopyItemValueClick()
{
    if (const TKvIniVal *val = SelectedVal())
        PutOnClipboard(val->Value(), false, false);
}

void TClipboardCommands::MnuCopyItemNameClick()
{
    if (const TKvIniVal *val = SelectedVal())
        PutOnClipboard(val->Name(), false, false);
}

void TClipboardCommands::MnuCopyItemCommentClick()
{
    if (const TKvIniVal *val = SelectedVal())
        PutOnClipboard(val->Comment(), false, false);
}

void TClipboardCommands::MnuCopySectionClick()
{
    if (const TKvIniSection *section = m_lists.SelectedSection())
        PutOnClipboard(SectionHeaderText(*section, m_lists.ValuesOnly()), true, false);
}

void TClipboardCommands::MnuCopySectionAllItemsClick()
{
    if (const TKvIniSection *section = m_lists.SelectedSection())
        PutOnClipboard(SectionClipText(*section), true, true);
}

void TClipboardCommands::MnuCopySectionItemClick()
{
    const TKvIniSection *section = m_lists.SelectedSection();
    const TKvIniVal *val = SelectedVal();
    if (section && val)
        PutOnClipboard(SectionAndEntryClipText(*section, *val, m_lists.ValuesOnly()), true, true);
}

void TClipboardCommands::MnuCopySectionNameClick()
{
    if (const TKvIniSection *section = m_lists.SelectedSection())
        PutOnClipboard(section->Name, false, false);
}

void TClipboardCommands::MnuCopySectionCommentClick()
{
    if (const TKvIniSection *section = m_lists.SelectedSection())
        PutOnClipboard(section->Comment, false, false);
}

// ---- Field pastes --------------------------------------------------------------

// The selected entry with one text replaced by the pasted line: the changed
// entry takes its place as one undo step.
void TClipboardCommands::PasteItemField(void (TKvIniVal::*setter)(QStringView), const QString &stepName)
{
    const TKvListSelection selected = m_lists.Current();
    if (!selected.Section || !selected.Val || !ClipStateOf(QGuiApplication::clipboard()->mimeData()).HasText)
        return;
    TKvIniVal *pasted = selected.Val->Clone();
    (pasted->*setter)(PastedLine());
    auto *step = new TKvReplaceValStep(m_doc, m_lists, stepName, selected.Section, selected.Position, pasted);
    m_doc.Push(step);
    step->SelectionSettled();
}

// The selected section's name or comment replaced by the pasted line, stored
// as it is (no normalisation, no check for a name already taken).
void TClipboardCommands::PasteSectionField(bool name, const QString &stepName)
{
    TKvIniSection *section = m_lists.SelectedSection();
    if (!section || !ClipStateOf(QGuiApplication::clipboard()->mimeData()).HasText)
        return;
    const QString line = PastedLine();
    auto *step = new TKvSectionTextStep(m_doc, m_lists, stepName, section, name ? line : section->Name,
                                        name ? section->Comment : line);
    m_doc.Push(step);
    step->SelectionSettled();
}

void TClipboardCommands::MnuPasteItemValueClick()
{
    PasteItemField(&TKvIniVal::SetValue, QStringLiteral("Paste Item Value"));
}

void TClipboardCommands::MnuPasteItemNameClick()
{
    PasteItemField(&TKvIniVal::SetName, QStringLiteral("Paste Item Name"));
}

void TClipboardCommands::MnuPasteItemCommentClick()
{
    PasteItemField(&TKvIniVal::SetComment, QStringLiteral("Paste Item Comment"));
}

void TClipboardCommands::MnuPasteSectionNameClick()
{
    PasteSectionField(true, QStringLiteral("Paste Section Name"));
}

void TClipboardCommands::MnuPasteSectionCommentClick()
{
    PasteSectionField(false, QStringLiteral("Paste Section Comment"));
}

// ---- Item and section pastes -----------------------------------------------------

// Every paste is one undo step, however many entries it adds.

namespace {

// New entries for the pasted ones that are not empty (blank lines too, when keepBlanks).
std::vector<TKvIniVal *> PastedVals(const TKvIniSection &parsed, bool keepBlank)
{
    std::vector<TKvIniVal *> vals;
    vals.reserve(size_t(parsed.Vals.Count()));
    for (const TKvIniVal *val : parsed.Vals) {
        if (keepBlank ? val->Kind() != ikBlank : !val->IsEmpty())
            vals.push_back(new TKvIniVal(val->Name(), val->Value(), val->Comment()));
    }
    return vals;
}

} // namespace

void TClipboardCommands::MnuPasteItemClick()
{
    UpdateClipboardState();
    TKvIniSection *section = m_lists.SelectedSection();
    if (!m_state.HasText || !m_state.HasItem || !section)
        return;
    const std::unique_ptr<TKvIniVal> val = ParseClipItem(ClipboardText());
    m_items.AddVals(section, -1, {new TKvIniVal(val->Name(), val->Value(), val->Comment())},
                    QStringLiteral("Paste Item"));
}

void TClipboardCommands::MnuPasteAllItemsClick()
{
    UpdateClipboardState();
    TKvIniSection *section = m_lists.SelectedSection();
    if (!m_state.HasText || !m_state.HasItem || !section)
        return;
    const std::unique_ptr<TKvIniSection> parsed = ParseClipSection(ClipboardText());
    const TKvBusyCursor busy;
    m_items.AddVals(section, -1, PastedVals(*parsed, false), QStringLiteral("Paste All Items"));
}

void TClipboardCommands::MnuPasteSectionClick()
{
    UpdateClipboardState();
    if (!m_state.HasText || !m_state.HasSection || !m_lists.SelectedSection())
        return;
    const std::unique_ptr<TKvIniSection> parsed = ParseClipSection(ClipboardText());
    QString name = parsed->Name;
    QString comment = parsed->Comment;
    if (name.isEmpty() || m_doc.Ini().SectionExists(name)) {
        if (!SectionNameAsker()(m_parent, name, comment))
            return;
    }
    // The new section holds the pasted entries before its blank entry, which stays last.
    const TKvBusyCursor busy;
    m_sections.AddSection(-1, name, comment, PastedVals(*parsed, true), QStringLiteral("Paste Section"));
}
