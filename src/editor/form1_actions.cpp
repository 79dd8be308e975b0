// The window's actions: one table holds each action's name, caption, keys,
// hint, handler, enable rule and toolbar button; UpdateActions() is the one
// place that enables them, from the document, the selection and the undo steps.
#include "form1.h"

#include "clipboardcommands.h"
#include "dialogs/preferencesdlg.h"
#include "document/documentfile.h"
#include "findcommands.h"
#include "itemcommands.h"
#include "kvgradilabel.h"
#include "kvimagelist.h"
#include "kvpictures.h"
#include "sectioncommands.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QTableView>
#include <QUndoStack>

namespace {

using K = QKeySequence;

// Every rule below is a function of this state only.
struct TActionState
{
    bool Document = false; // a document is open (new or read)
    bool Modified = false;
    bool ReadOnly = false;
    bool Named = false;   // the document has a file name
    bool Section = false; // a section is selected
    bool Value = false;   // a row of the value list is selected
    bool CanUndo = false;
    bool CanRedo = false;
};

bool HasDocument(const TActionState &s)
{
    return s.Document;
}
bool IsModified(const TActionState &s)
{
    return s.Modified;
}
bool IsNamed(const TActionState &s)
{
    return s.Document && s.Named;
}
bool SectionEditable(const TActionState &s)
{
    return s.Section && !s.ReadOnly;
}
bool SectionSelected(const TActionState &s)
{
    return s.Section;
}
bool ValueEditable(const TActionState &s)
{
    return s.Value && !s.ReadOnly;
}
// A named document takes a new section even when it has none to select.
bool SectionAddable(const TActionState &s)
{
    return s.Document && (SectionEditable(s) || s.Named);
}
bool CanUndo(const TActionState &s)
{
    return s.CanUndo;
}
bool CanRedo(const TActionState &s)
{
    return s.CanRedo;
}

// A toolbar button of an action: its control, its picture list (the buttons'
// or the items') and its pictures.
struct TToolbarButton
{
    TKvGradiLabel *TForm1::*Control = nullptr;
    const char *Name = nullptr;
    bool ButtonPictures = true;
    int Picture = -1;
    int DisabledPicture = -1;
};

} // namespace

struct TForm1::TActionRow
{
    QAction *TForm1::*Member;
    const char *Name;
    const char *Category; // also the toolbar group
    const char *Caption;
    const char *Hint;
    QList<QKeySequence> Keys;
    void (*Handler)(TForm1 &);             // run through RunCommand
    bool (*Enabled)(const TActionState &); // null: always enabled
    TToolbarButton Button{};
};

const std::vector<TForm1::TActionRow> &TForm1::ActionRows()
{
    static const std::vector<TActionRow> rows = {
        // ---- File ----
        {&TForm1::ActNewFile,
         "ActNewFile",
         "File Actions",
         "New",
         " Create a New Ini File ",
         {K(Qt::CTRL | Qt::Key_N)},
         [](TForm1 &f) { f.m_documentFile->ActNewFileExecute(); },
         nullptr,
         {&TForm1::GlNew, "GlNew", true, PicNew, -1}},
        {&TForm1::ActOpenFile,
         "ActOpenFile",
         "File Actions",
         "Open",
         " Open an Existing Ini File ",
         {K(Qt::CTRL | Qt::Key_O)},
         [](TForm1 &f) { f.m_documentFile->ActOpenFileExecute(); },
         nullptr,
         {&TForm1::GlOpen, "GlOpen", true, PicOpen, -1}},
        {&TForm1::ActReload,
         "ActReload",
         "File Actions",
         "Reload",
         " Reload The Open Ini File From Disk ",
         {K(Qt::Key_F5)},
         [](TForm1 &f) { f.m_documentFile->ActReloadExecute(); },
         HasDocument,
         {&TForm1::GlReload, "GlReload", true, PicReload, PicReloadDisabled}},
        {&TForm1::ActSave,
         "ActSave",
         "File Actions",
         "Save",
         " Save Ini File to Disk ",
         {K(Qt::CTRL | Qt::Key_S)},
         [](TForm1 &f) { f.m_documentFile->ActSaveExecute(); },
         IsModified,
         {&TForm1::GlSave, "GlSave", true, PicSave, PicSaveDisabled}},
        {&TForm1::ActSaveAs,
         "ActSaveAs",
         "File Actions",
         "Save As",
         " Save the Ini File to a New File Name ",
         {K(Qt::Key_F12)},
         [](TForm1 &f) { f.m_documentFile->ActSaveAsExecute(); },
         HasDocument,
         {&TForm1::GlSaveAs, "GlSaveAs", true, PicSaveAs, PicSaveAsDisabled}},
        {&TForm1::ActSearch,
         "ActSearch",
         "File Actions",
         "Find",
         " Search the Ini File (F3=Find Next) (Shift+F3=Find Previous)",
         {K(Qt::CTRL | Qt::Key_F)},
         [](TForm1 &f) { f.m_findCommands->ActSearchExecute(); },
         HasDocument,
         {&TForm1::GlSearch, "GlSearch", true, PicFind, PicFindDisabled}},
        {&TForm1::ActFindNext,
         "ActFindNext",
         "File Actions",
         "Find Next",
         "",
         {K(Qt::Key_F3)},
         [](TForm1 &f) { f.m_findCommands->ActFindNextExecute(); },
         HasDocument},
        {&TForm1::ActFindPrevious,
         "ActFindPrevious",
         "File Actions",
         "Find Previous",
         "",
         {K(Qt::SHIFT | Qt::Key_F3)},
         [](TForm1 &f) { f.m_findCommands->ActFindPreviousExecute(); },
         HasDocument},
        {&TForm1::ActValuesOnly,
         "ActValuesOnly",
         "File Actions",
         "Values Only",
         "Hide Comment, Empty Items and Error Items. ",
         {K(Qt::Key_F4)},
         [](TForm1 &f) { f.ActValuesOnlyExecute(); },
         nullptr},
        // ---- Sections ----
        {&TForm1::ActAddSection,
         "ActAddSection",
         "Section Actions",
         "Add",
         " Add a New Section ",
         {K(Qt::CTRL | Qt::Key_F8)},
         [](TForm1 &f) { f.m_sectionCommands->ActAddSectionExecute(); },
         SectionAddable,
         {&TForm1::GlSectionAdd, "GlSectionAdd", false, IconSection, IconNone}},
        {&TForm1::ActCopySection,
         "ActCopySection",
         "Section Actions",
         "Copy",
         " Copy Selected Section ",
         {K(Qt::CTRL | Qt::Key_F10)},
         [](TForm1 &f) { f.m_sectionCommands->ActCopySectionExecute(); },
         SectionEditable,
         {&TForm1::GlSectionCopy, "GlSectionCopy", false, IconSection, IconNone}},
        {&TForm1::ActInsertSection,
         "ActInsertSection",
         "Section Actions",
         "Insert",
         " Insert a New Section Before the Selected Section ",
         {K(Qt::CTRL | Qt::Key_F9)},
         [](TForm1 &f) { f.m_sectionCommands->ActInsertSectionExecute(); },
         SectionEditable,
         {&TForm1::GlSectionInsert, "GlSectionInsert", false, IconSection, IconNone}},
        {&TForm1::ActEditSection,
         "ActEditSection",
         "Section Actions",
         "Edit",
         " Edit the Selected Section ",
         {K(Qt::CTRL | Qt::Key_Return), K(Qt::CTRL | Qt::Key_Enter)},
         [](TForm1 &f) { f.m_sectionCommands->ActEditSectionExecute(); },
         SectionEditable,
         {&TForm1::GlSectionEdit, "GlSectionEdit", false, IconSection, IconNone}},
        {&TForm1::ActDeleteSection,
         "ActDeleteSection",
         "Section Actions",
         "Del",
         " Delete the Selected Section ",
         {K(Qt::CTRL | Qt::Key_Delete)},
         [](TForm1 &f) { f.m_sectionCommands->ActDeleteSectionExecute(); },
         SectionEditable,
         {&TForm1::GlSectionDdelete, "GlSectionDdelete", false, IconSection, IconNone}},
        {&TForm1::ActSilentDeleteSection,
         "ActSilentDeleteSection",
         "Section Actions",
         "Silent Delete Section",
         "",
         {K(Qt::CTRL | Qt::SHIFT | Qt::Key_Delete)},
         [](TForm1 &f) { f.m_sectionCommands->ActSilentDeleteSectionExecute(); },
         SectionEditable},
        // ---- Items ----
        {&TForm1::ActAddItem,
         "ActAddItem",
         "Item Actions",
         "Add",
         " Add a New Value Item ",
         {K(Qt::Key_F8)},
         [](TForm1 &f) { f.m_itemCommands->ActAddItemExecute(); },
         SectionSelected,
         {&TForm1::GlItemAdd, "GlItemAdd", false, IconValue, IconNone}},
        {&TForm1::ActInsertItem,
         "ActInsertItem",
         "Item Actions",
         "Insert",
         " Insert a New Value Item ",
         {K(Qt::Key_F9)},
         [](TForm1 &f) { f.m_itemCommands->ActInsertItemExecute(); },
         ValueEditable,
         {&TForm1::GlItemInsert, "GlItemInsert", false, IconValue, IconNone}},
        {&TForm1::ActEditItem,
         "ActEditItem",
         "Item Actions",
         "Edit",
         " Edit Selected Value Item ",
         {K(Qt::Key_Return), K(Qt::Key_Enter)},
         [](TForm1 &f) { f.m_itemCommands->ActEditItemExecute(); },
         ValueEditable,
         {&TForm1::GlItemEdit, "GlItemEdit", false, IconValue, IconNone}},
        {&TForm1::ActDeleteItem,
         "ActDeleteItem",
         "Item Actions",
         "Del",
         " Delete Selected Value Item ",
         {K(Qt::Key_Delete)},
         [](TForm1 &f) { f.m_itemCommands->ActDeleteItemExecute(); },
         ValueEditable,
         {&TForm1::GlItemDelete, "GlItemDelete", false, IconValue, IconNone}},
        {&TForm1::ActSilentDeleteItem,
         "ActSilentDeleteItem",
         "Item Actions",
         "Silent Delete Item",
         "",
         {K(Qt::SHIFT | Qt::Key_Delete)},
         [](TForm1 &f) { f.m_itemCommands->ActSilentDeleteItemExecute(); },
         ValueEditable},
        {&TForm1::ActCopyItemValue,
         "ActCopyItemValue",
         "Item Actions",
         "CopyItemValue",
         "",
         {K(Qt::CTRL | Qt::Key_Insert)},
         [](TForm1 &f) { f.ClipCommands->MnuCopyItemValueClick(); },
         nullptr},
        {&TForm1::ActPasteItemValue,
         "ActPasteItemValue",
         "Item Actions",
         "PasteItemValue",
         "",
         {K(Qt::SHIFT | Qt::Key_Insert)},
         [](TForm1 &f) { f.ClipCommands->MnuPasteItemValueClick(); },
         nullptr},
        {&TForm1::ActCommentUncomment,
         "ActCommentUncomment",
         "Item Actions",
         "Comment / Uncomment Item",
         "",
         {K(Qt::CTRL | Qt::Key_Space)},
         [](TForm1 &f) { f.m_itemCommands->MnuCommentUncommentItemClick(); },
         nullptr},
        // Ctrl held while sorting gives the descending order, so Ctrl+Alt+S sorts descending.
        {&TForm1::ActSortAll,
         "ActSortAll",
         "Item Actions",
         "Sort All Alphabetically",
         "",
         {K(Qt::ALT | Qt::Key_S), K(Qt::CTRL | Qt::ALT | Qt::Key_S)},
         [](TForm1 &f) { f.m_itemCommands->MnuSortAllAlphabeticallyClick(); },
         nullptr},
        // ---- Undo ----
        {&TForm1::ActUndo,
         "ActUndo",
         "Edit Actions",
         "Undo",
         "",
         {K(Qt::CTRL | Qt::Key_Z)},
         [](TForm1 &f) { f.UndoStack()->undo(); },
         CanUndo},
        {&TForm1::ActRedo,
         "ActRedo",
         "Edit Actions",
         "Redo",
         "",
         {K(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), K(Qt::CTRL | Qt::Key_Y)},
         [](TForm1 &f) { f.UndoStack()->redo(); },
         CanRedo},
        // ---- Program ----
        {&TForm1::ActAbout,
         "ActAbout",
         "Program Actions",
         "",
         "Opens the about dialog",
         {K(Qt::Key_F2)},
         [](TForm1 &f) { f.ActAboutExecute(); },
         nullptr},
        {&TForm1::ActHelp,
         "ActHelp",
         "Program Actions",
         "",
         "Opens the help on the internet in Your browser ",
         {K(Qt::Key_F1)},
         [](TForm1 &f) { f.ActHelpExecute(); },
         nullptr},
        {&TForm1::ActGeneratePassword,
         "ActGeneratePassword",
         "Program Actions",
         "GeneratePassword",
         " Opens the Password Generator ",
         {K(Qt::CTRL | Qt::Key_G)},
         [](TForm1 &f) { f.ActGeneratePasswordExecute(); },
         nullptr},
        {&TForm1::ActCreateShortcut,
         "ActCreateShortcut",
         "Program Actions",
         "",
         "",
         {K(Qt::CTRL | Qt::Key_K)},
         [](TForm1 &f) { f.ActCreateShortcutExecute(); },
         nullptr},
        {&TForm1::ActPreferences,
         "ActPreferences",
         "Program Actions",
         "Preferences",
         " Opens the Preferences ",
         {K(Qt::CTRL | Qt::Key_Comma)},
         [](TForm1 &f) { ActPreferencesExecute(f); },
         nullptr},
    };
    return rows;
}

void TForm1::CreateActions()
{
    for (const TActionRow &row : ActionRows()) {
        auto *action = new QAction(QString::fromLatin1(row.Caption), this);
        action->setObjectName(QString::fromLatin1(row.Name));
        action->setProperty("category", QString::fromLatin1(row.Category));
        action->setToolTip(QString::fromLatin1(row.Hint));
        action->setStatusTip(QString::fromLatin1(row.Hint));
        action->setShortcuts(row.Keys);
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
        this->*row.Member = action;
        ActionList << action;
        connect(action, &QAction::triggered, this,
                [this, handler = row.Handler] { RunCommand([&] { handler(*this); }); });
    }
}

void TForm1::CreateToolbarButtons(const std::function<void(const QList<TKvGradiLabel *> &)> &addGroup)
{
    QList<TKvGradiLabel *> group;
    const char *category = nullptr;
    for (const TActionRow &row : ActionRows()) {
        const TToolbarButton &button = row.Button;
        if (!button.Control)
            continue;
        if (category && qstrcmp(category, row.Category) != 0) {
            addGroup(group);
            group.clear();
        }
        category = row.Category;
        auto *label = new TKvGradiLabel(PnlTop);
        label->setObjectName(QString::fromLatin1(button.Name));
        label->SetLabelType(altButton);
        label->SetAlign(alLeft);
        label->SetImages(button.ButtonPictures ? IlButtons : IlItems);
        label->SetImageIndex(button.Picture);
        label->SetImageDisabledIndex(button.DisabledPicture);
        label->SetAction(this->*row.Member);
        this->*button.Control = label;
        group << label;
    }
    if (!group.isEmpty())
        addGroup(group);
}

void TForm1::UpdateActions()
{
    TActionState state;
    state.Document = m_hasDocument;
    state.Modified = m_document.Modified();
    state.ReadOnly = ReadOnly();
    state.Named = !FileName().isEmpty();
    state.Section = m_selectedSection != nullptr;
    state.Value = LvValues && LvValues->selectionModel()->hasSelection();
    state.CanUndo = m_document.UndoStack()->canUndo();
    state.CanRedo = m_document.UndoStack()->canRedo();
    for (const TActionRow &row : ActionRows())
        (this->*row.Member)->setEnabled(!row.Enabled || row.Enabled(state));
    // The shortcut button makes a launcher for the open file; Ctrl+K also makes one for the program.
    if (ButCreateShortcut)
        ButCreateShortcut->setEnabled(IsNamed(state));
}
