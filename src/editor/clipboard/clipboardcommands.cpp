#include "clipboardcommands.h"

#include "dialogrun.h"
#include "editsteps.h"
#include "form1.h"
#include "frmsection.h"
#include "itemcommands.h"
#include "kvfunctions.h"
#include "sectioncommands.h"
#include "sectionmodel.h"
#include "valuemodel.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
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

TClipboardCommands::TClipboardCommands(TForm1 &form)
    : QObject(&form)
    , m_form(form)
{
    PopupClip = new QMenu(&form);
    PopupClip->setObjectName(QStringLiteral("PopupClip"));

    using K = QKeySequence;
    AddMenuItem(&TClipboardCommands::MnuCopyItem, "MnuCopyItem", "Copy Item", K(Qt::CTRL | Qt::Key_J),
                &TClipboardCommands::MnuCopyItemClick);
    AddMenuItem(&TClipboardCommands::MnuCopyItemValue, "MnuCopyItemValue", "Copy Item Value",
                K(Qt::CTRL | Qt::Key_C), &TClipboardCommands::MnuCopyItemValueClick);
    AddMenuItem(&TClipboardCommands::MnuCopyItemName, "MnuCopyItemName", "Copy Item Name", K(),
                &TClipboardCommands::MnuCopyItemNameClick);
    AddMenuItem(&TClipboardCommands::MnuCopyItemComment, "MnuCopyItemComment", "Copy Item Comment", K(),
                &TClipboardCommands::MnuCopyItemCommentClick);
    PopupClip->addSeparator();
    AddMenuItem(&TClipboardCommands::MnuPasteItem, "MnuPasteItem", "Paste Item", K(Qt::CTRL | Qt::Key_I),
                &TClipboardCommands::MnuPasteItemClick);
    AddMenuItem(&TClipboardCommands::MnuPasteAllItems, "MnuPasteAllItems", "Paste All Items",
                K(Qt::CTRL | Qt::Key_A), &TClipboardCommands::MnuPasteAllItemsClick);
    AddMenuItem(&TClipboardCommands::MnuPasteItemValue, "MnuPasteItemValue", "Paste Item Value",
                K(Qt::CTRL | Qt::Key_V), &TClipboardCommands::MnuPasteItemValueClick);
    AddMenuItem(&TClipboardCommands::MnuPasteItemName, "MnuPasteItemName", "Paste Item Name", K(),
                &TClipboardCommands::MnuPasteItemNameClick);
    AddMenuItem(&TClipboardCommands::MnuPasteItemComment, "MnuPasteItemComment", "Paste Item Comment", K(),
                &TClipboardCommands::MnuPasteItemCommentClick);
    PopupClip->addSeparator();
    AddMenuItem(&TClipboardCommands::MnuCopySection, "MnuCopySection", "Copy Section",
                K(Qt::CTRL | Qt::SHIFT | Qt::Key_K), &TClipboardCommands::MnuCopySectionClick);
    AddMenuItem(&TClipboardCommands::MnuCopySectionAllItems, "MnuCopySectionAllItems",
                "Copy Section && All Items", K(Qt::CTRL | Qt::SHIFT | Qt::Key_J),
                &TClipboardCommands::MnuCopySectionAllItemsClick);
    AddMenuItem(&TClipboardCommands::MnuCopySectionItem, "MnuCopySectionItem",
                "Copy Section && Selected Item", K(Qt::CTRL | Qt::SHIFT | Qt::Key_E),
                &TClipboardCommands::MnuCopySectionItemClick);
    AddMenuItem(&TClipboardCommands::MnuCopySectionName, "MnuCopySectionName", "Copy Section Name", K(),
                &TClipboardCommands::MnuCopySectionNameClick);
    AddMenuItem(&TClipboardCommands::MnuCopySectionComment, "MnuCopySectionComment", "Copy Section Comment",
                K(), &TClipboardCommands::MnuCopySectionCommentClick);
    PopupClip->addSeparator();
    AddMenuItem(&TClipboardCommands::MnuPasteSection, "MnuPasteSection", "Paste Section",
                K(Qt::CTRL | Qt::SHIFT | Qt::Key_I), &TClipboardCommands::MnuPasteSectionClick);
    AddMenuItem(&TClipboardCommands::MnuPasteSectionName, "MnuPasteSectionName", "Paste Section Name", K(),
                &TClipboardCommands::MnuPasteSectionNameClick);
    AddMenuItem(&TClipboardCommands::MnuPasteSectionComment, "MnuPasteSectionComment",
                "Paste Section Comment", K(), &TClipboardCommands::MnuPasteSectionCommentClick);
    PopupClip->addSeparator();
    // The delete items show the delete actions' shortcuts; the actions themselves fire them.
    auto mirror = [this](QAction *TClipboardCommands::*member, const char *name, const char *caption,
                         QAction *action) {
        QAction *item = PopupClip->addAction(QString::fromLatin1(caption));
        item->setObjectName(QString::fromLatin1(name));
        item->setShortcut(action->shortcut());
        item->setShortcutContext(Qt::WidgetShortcut); // the window's action owns the key
        item->setEnabled(action->isEnabled());
        connect(item, &QAction::triggered, action, &QAction::trigger);
        connect(action, &QAction::changed, item, [item, action] { item->setEnabled(action->isEnabled()); });
        this->*member = item;
    };
    mirror(&TClipboardCommands::MnuDeleteItem, "MnuDeleteItem", "Delete Item", m_form.ActDeleteItem);
    mirror(&TClipboardCommands::MnuSilentDeleteItem, "MnuSilentDeleteItem", "Silent Delete Item",
           m_form.ActSilentDeleteItem);
    mirror(&TClipboardCommands::MnuDeleteSection, "MnuDeleteSection", "Delete Section",
           m_form.ActDeleteSection);
    mirror(&TClipboardCommands::MnuSilentDeleteSection, "MnuSilentDeleteSection", "Silent Delete Section",
           m_form.ActSilentDeleteSection);
    PopupClip->addSeparator();
    MnuCommentUncommentItem = PopupClip->addAction(QStringLiteral("Comment / Uncomment Item"));
    MnuCommentUncommentItem->setObjectName(QStringLiteral("MnuCommentUncommentItem"));
    MnuCommentUncommentItem->setShortcut(K(Qt::CTRL | Qt::Key_Space));
    MnuCommentUncommentItem->setShortcutContext(Qt::WidgetShortcut);
    MnuCommentUncommentItem->setEnabled(false);
    connect(MnuCommentUncommentItem, &QAction::triggered, m_form.ActCommentUncomment, &QAction::trigger);
    PopupClip->addSeparator();
    MnuSortAllAlphabetically = PopupClip->addAction(QStringLiteral("Sort All Alphabetically"));
    MnuSortAllAlphabetically->setObjectName(QStringLiteral("MnuSortAllAlphabetically"));
    MnuSortAllAlphabetically->setShortcut(m_form.ActSortAll->shortcut());
    MnuSortAllAlphabetically->setShortcutContext(Qt::WidgetShortcut); // the window's action owns the key
    connect(MnuSortAllAlphabetically, &QAction::triggered, m_form.ActSortAll, &QAction::trigger);
    // Undo and redo, named after the step they would take back or do again.
    PopupClip->addSeparator();
    auto follow = [this](QAction *TClipboardCommands::*member, const char *name, QAction *action) {
        QAction *item = PopupClip->addAction(action->text());
        item->setObjectName(QString::fromLatin1(name));
        item->setShortcut(action->shortcut());
        item->setShortcutContext(Qt::WidgetShortcut); // the window's action owns the key
        item->setEnabled(action->isEnabled());
        connect(item, &QAction::triggered, action, &QAction::trigger);
        connect(action, &QAction::changed, item, [item, action] {
            item->setEnabled(action->isEnabled());
            item->setText(action->text());
        });
        this->*member = item;
    };
    follow(&TClipboardCommands::MnuUndo, "MnuUndo", m_form.ActUndo);
    follow(&TClipboardCommands::MnuRedo, "MnuRedo", m_form.ActRedo);

    // At start the pastes wait for the clipboard.
    for (QAction *paste : {MnuPasteItem, MnuPasteAllItems, MnuPasteItemValue, MnuPasteItemName,
                           MnuPasteItemComment, MnuPasteSection, MnuPasteSectionName, MnuPasteSectionComment})
        paste->setEnabled(false);

    for (QTableView *list : {m_form.LvSections, m_form.LvValues})
        connect(list, &QWidget::customContextMenuRequested, this,
                [this, list](const QPoint &pos) { ShowPopup(list, pos); });
    if (QClipboard *clipboard = QGuiApplication::clipboard())
        connect(clipboard, &QClipboard::dataChanged, this, &TClipboardCommands::UpdateClipboardState);
}

QAction *TClipboardCommands::AddMenuItem(QAction *TClipboardCommands::*member, const char *name,
                                         const char *caption, const QKeySequence &shortcut,
                                         void (TClipboardCommands::*handler)())
{
    QAction *item = PopupClip->addAction(QString::fromLatin1(caption));
    item->setObjectName(QString::fromLatin1(name));
    item->setShortcut(shortcut);
    // The keys work while the menu is closed; a disabled item ignores its key.
    item->setShortcutContext(Qt::WindowShortcut);
    if (!shortcut.isEmpty())
        m_form.addAction(item);
    connect(item, &QAction::triggered, this,
            [this, handler] { m_form.RunCommand([&] { (this->*handler)(); }); });
    this->*member = item;
    return item;
}

void TClipboardCommands::ShowPopup(QTableView *list, const QPoint &pos)
{
    PopupClipPopup(list);
    PopupClip->popup(list->viewport()->mapToGlobal(pos));
}

// ---- State -------------------------------------------------------------------

TKvIniVal *TClipboardCommands::SelectedVal() const
{
    const QModelIndexList rows = m_form.LvValues->selectionModel()->selectedRows();
    return rows.isEmpty() ? nullptr : m_form.ValueModel()->ValAt(rows.first().row());
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
    UpdatePasteMenus();
}

// The pastes follow the clipboard and the selection at once, not only when the
// menu opens: a disabled item ignores its key, and a paste's key should work
// as soon as there is something to paste.
void TClipboardCommands::UpdatePasteMenus()
{
    const bool value = SelectedVal() != nullptr;
    const bool section = m_form.SelectedSection() != nullptr;
    for (QAction *item : {MnuPasteItemValue, MnuPasteItemName, MnuPasteItemComment})
        item->setEnabled(value && m_state.HasText);
    MnuPasteItem->setEnabled(section && m_state.HasItem);
    MnuPasteAllItems->setEnabled(section && m_state.HasItem);
    MnuPasteSection->setEnabled(m_state.HasSection && !m_form.FileName().isEmpty());
    MnuPasteSectionName->setEnabled(section && m_state.HasText);
    MnuPasteSectionComment->setEnabled(section && m_state.HasText);
}

void TClipboardCommands::UpdateSelectionMenus()
{
    const bool value = SelectedVal() != nullptr;
    const bool section = m_form.SelectedSection() != nullptr;
    for (QAction *item : {MnuCopyItem, MnuCopyItemValue, MnuCopyItemName, MnuCopyItemComment})
        item->setEnabled(value);
    for (QAction *item :
         {MnuCopySectionName, MnuCopySectionComment, MnuCopySectionItem, MnuCopySectionAllItems})
        item->setEnabled(section);
    MnuCommentUncommentItem->setEnabled(value && m_form.LvValues->hasFocus());
    UpdatePasteMenus();
}

void TClipboardCommands::PopupClipPopup(QTableView *list)
{
    const TKvIniVal *val = SelectedVal();
    const TKvIniSection *section = m_form.SelectedSection();

    MnuCopyItem->setEnabled(val);
    MnuCopyItemValue->setEnabled(val && !val->ValueView().isEmpty());
    MnuCopyItemName->setEnabled(val && !val->NameView().isEmpty());
    MnuCopyItemComment->setEnabled(val && !val->CommentView().isEmpty());
    MnuCopySection->setEnabled(section);
    MnuCopySectionAllItems->setEnabled(section && section->Vals.Count > 0);
    MnuCopySectionName->setEnabled(section && !section->Name.isEmpty());
    MnuCopySectionComment->setEnabled(section && !section->Comment.isEmpty());
    MnuCopySectionItem->setEnabled(section && val);
    UpdatePasteMenus();
    MnuSortAllAlphabetically->setEnabled(list && list->model()->rowCount() > 1);
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
    if (const TKvIniSection *section = m_form.SelectedSection())
        PutOnClipboard(SectionHeaderText(*section, m_form.ValuesOnly()), true, false);
}

void TClipboardCommands::MnuCopySectionAllItemsClick()
{
    if (const TKvIniSection *section = m_form.SelectedSection())
        PutOnClipboard(SectionClipText(*section), true, true);
}

void TClipboardCommands::MnuCopySectionItemClick()
{
    const TKvIniSection *section = m_form.SelectedSection();
    const TKvIniVal *val = SelectedVal();
    if (section && val)
        PutOnClipboard(SectionAndEntryClipText(*section, *val, m_form.ValuesOnly()), true, true);
}

void TClipboardCommands::MnuCopySectionNameClick()
{
    if (const TKvIniSection *section = m_form.SelectedSection())
        PutOnClipboard(section->Name, false, false);
}

void TClipboardCommands::MnuCopySectionCommentClick()
{
    if (const TKvIniSection *section = m_form.SelectedSection())
        PutOnClipboard(section->Comment, false, false);
}

// ---- Field pastes --------------------------------------------------------------

// The selected entry with one text replaced by the pasted line: the changed
// entry takes its place as one undo step.
void TClipboardCommands::PasteItemField(void (TKvIniVal::*setter)(QStringView), const QString &stepName)
{
    const TKvListSelection selected = m_form.Current();
    if (!selected.Section || !selected.Val || !ClipStateOf(QGuiApplication::clipboard()->mimeData()).HasText)
        return;
    TKvIniVal *pasted = selected.Val->Clone();
    (pasted->*setter)(PastedLine());
    auto *step =
        new TKvReplaceValStep(m_form.Doc(), m_form, stepName, selected.Section, selected.Position, pasted);
    m_form.PushStep(step);
    step->SelectionSettled();
}

// The selected section's name or comment replaced by the pasted line, stored
// as it is (no normalisation, no check for a name already taken).
void TClipboardCommands::PasteSectionField(bool name, const QString &stepName)
{
    TKvIniSection *section = m_form.SelectedSection();
    if (!section || !ClipStateOf(QGuiApplication::clipboard()->mimeData()).HasText)
        return;
    const QString line = PastedLine();
    auto *step = new TKvSectionTextStep(m_form.Doc(), m_form, stepName, section, name ? line : section->Name,
                                        name ? section->Comment : line);
    m_form.PushStep(step);
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
    vals.reserve(size_t(parsed.Vals.Count));
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
    TKvIniSection *section = m_form.SelectedSection();
    if (!m_state.HasText || !m_state.HasItem || !section)
        return;
    const std::unique_ptr<TKvIniVal> val = ParseClipItem(ClipboardText());
    m_form.ItemCommands().AddVals(section, -1, {new TKvIniVal(val->Name(), val->Value(), val->Comment())},
                                  QStringLiteral("Paste Item"));
}

void TClipboardCommands::MnuPasteAllItemsClick()
{
    UpdateClipboardState();
    TKvIniSection *section = m_form.SelectedSection();
    if (!m_state.HasText || !m_state.HasItem || !section)
        return;
    const std::unique_ptr<TKvIniSection> parsed = ParseClipSection(ClipboardText());
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_form.ItemCommands().AddVals(section, -1, PastedVals(*parsed, false), QStringLiteral("Paste All Items"));
    QApplication::restoreOverrideCursor();
}

void TClipboardCommands::MnuPasteSectionClick()
{
    UpdateClipboardState();
    if (!m_state.HasText || !m_state.HasSection || !m_form.SelectedSection())
        return;
    const std::unique_ptr<TKvIniSection> parsed = ParseClipSection(ClipboardText());
    QString name = parsed->Name;
    QString comment = parsed->Comment;
    if (name.isEmpty() || m_form.Doc().Ini().SectionExists(name)) {
        if (!SectionNameAsker()(&m_form, name, comment))
            return;
    }
    // The new section holds the pasted entries before its blank entry, which stays last.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_form.SectionCommands().AddSection(-1, name, comment, PastedVals(*parsed, true),
                                        QStringLiteral("Paste Section"));
    QApplication::restoreOverrideCursor();
}
