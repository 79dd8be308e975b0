// The window's actions: one table holds each action's name, caption, keys,
// hint, handler, enable rule and place (toolbar button, popup menu item);
// Enable() is the one place that enables them, from the document, the
// selection, the clipboard and the undo steps.
#include "form1.h"

#include "clipboardcommands.h"
#include "compare/comparesession.h"
#include "dialogs/preferencesdlg.h"
#include "document/documentfile.h"
#include "document/hashcomments.h"
#include "findallpane.h"
#include "findcommands.h"
#include "replacecommands.h"
#include "itemcommands.h"
#include "kvprogressbar.h"
#include "kvgradilabel.h"
#include "kvimagelist.h"
#include "kvpictures.h"
#include "lists/kvfilterbar.h"
#include "sectioncommands.h"

#include "lists/kvlists.h"
#include "valuemodel.h"

#include <QAction>
#include <QMenu>
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
    // What the clipboard holds.
    bool ClipText = false;
    bool ClipItem = false;
    bool ClipSection = false;
    bool ValuesFocused = false; // the value list has the keyboard focus
    // While the popup menu opens: the list it opens on, and the selected
    // objects' texts, which its copy items need.
    bool Popup = false;
    int PopupRows = 0;
    bool SectionHasName = false;
    bool SectionHasComment = false;
    bool SectionHasEntries = false;
    bool ValHasName = false;
    bool ValHasValue = false;
    bool ValHasComment = false;
    bool Comparing = false; // a comparison with another file is shown
};

bool HasDocument(const TActionState &s)
{
    return s.Document;
}
bool Editable(const TActionState &s)
{
    return s.Document && !s.ReadOnly;
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

// ---- The popup menu's rules; the copy items look closer while the menu opens ----
bool ValueSelected(const TActionState &s)
{
    return s.Value;
}
bool ValueWithValue(const TActionState &s)
{
    return s.Value && (!s.Popup || s.ValHasValue);
}
bool ValueWithName(const TActionState &s)
{
    return s.Value && (!s.Popup || s.ValHasName);
}
bool ValueWithComment(const TActionState &s)
{
    return s.Value && (!s.Popup || s.ValHasComment);
}
bool SectionWithEntries(const TActionState &s)
{
    return s.Section && (!s.Popup || s.SectionHasEntries);
}
bool SectionWithName(const TActionState &s)
{
    return s.Section && (!s.Popup || s.SectionHasName);
}
bool SectionWithComment(const TActionState &s)
{
    return s.Section && (!s.Popup || s.SectionHasComment);
}
bool SectionAndValue(const TActionState &s)
{
    return s.Section && (!s.Popup || s.Value);
}
bool TextForValue(const TActionState &s)
{
    return s.Value && s.ClipText;
}
bool ItemForSection(const TActionState &s)
{
    return s.Section && s.ClipItem;
}
bool SectionToPaste(const TActionState &s)
{
    return s.ClipSection && s.Named;
}
bool TextForSection(const TActionState &s)
{
    return s.Section && s.ClipText;
}
bool ValueInFocus(const TActionState &s)
{
    return s.Value && s.ValuesFocused;
}
bool ListToSort(const TActionState &s)
{
    return s.PopupRows > 1;
}

// ---- While a comparison is shown ----
bool Comparing(const TActionState &s)
{
    return s.Comparing;
}
bool ComparingValue(const TActionState &s)
{
    return s.Comparing && ValueEditable(s);
}
bool ComparingSection(const TActionState &s)
{
    return s.Comparing && SectionEditable(s);
}
bool ComparingWritable(const TActionState &s)
{
    return s.Comparing && s.Document && !s.ReadOnly;
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

// When a rule is applied: on every change of the document or the selection
// (State), after a selection or clipboard change (Selection), or as the popup
// menu opens (Popup).
enum class TForm1::TEnableMoment { State = 1, Selection = 2, Popup = 4 };

namespace {

constexpr unsigned OnState = 1;
constexpr unsigned OnSelection = 2;
constexpr unsigned OnPopup = 4;

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
    // ---- The popup menu ----
    int PopupGroup = 0;                // 0: not in the menu; a rule separates the groups
    unsigned When = OnState;           // the moments Enabled is applied at
    QAction *TForm1::*Fires = nullptr; // the window action the item fires; its key only shows
    // Off until first enabled: the pastes wait for the clipboard to be read,
    // comment / uncomment for the value list to take the focus.
    bool StartsOff = false;
};

// A popup item with its own command, its keys working while the menu is closed.
#define POPUP(member, caption, keys, handler, rule, group, when)                                             \
    {                                                                                                        \
        &TForm1::member, #member, "Popup", caption, "", {keys},                                              \
            [](TForm1 &f) { f.m_clipCommands->handler(); }, rule, {}, group, when                            \
    }
// A paste item: follows the clipboard and the selection.
#define PASTE(member, caption, keys, handler, rule, group)                                                   \
    {                                                                                                        \
        &TForm1::member, #member, "Popup", caption, "", {keys},                                              \
            [](TForm1 &f) { f.m_clipCommands->handler(); }, rule, {}, group, Sel | Pop, nullptr, true        \
    }
// A popup item that fires a window action and shows its first key.
#define FIRES(member, caption, action, rule, group, when)                                                    \
    {                                                                                                        \
        &TForm1::member, #member, "Popup", caption, "", {}, nullptr, rule, {}, group, when, &TForm1::action, \
            (when) == OnSelection                                                                            \
    }

const std::vector<TForm1::TActionRow> &TForm1::ActionRows()
{
    constexpr unsigned Sel = OnSelection;
    constexpr unsigned Pop = OnPopup;
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
        {&TForm1::ActReplace,
         "ActReplace",
         "File Actions",
         "Replace",
         " Replace Text in the Ini File ",
         {K(Qt::CTRL | Qt::Key_H)},
         [](TForm1 &f) { f.m_replaceCommands->ActReplaceExecute(); },
         Editable},
        {&TForm1::ActFindAll,
         "ActFindAll",
         "File Actions",
         "Find All",
         " List Every Match in the Ini File ",
         {K(Qt::CTRL | Qt::SHIFT | Qt::Key_F)},
         [](TForm1 &f) { ActFindAllExecute(*f.FindAllPane, f.m_search, f.Lists->ValuesOnly(), &f); },
         HasDocument},
        {&TForm1::ActFilter,
         "ActFilter",
         "File Actions",
         "Filter",
         " Show Only the Sections and Items that Contain a Text ",
         {K(Qt::CTRL | Qt::Key_L), K(Qt::Key_Slash)},
         [](TForm1 &f) { f.FilterBar->Focus(); },
         HasDocument},
        {&TForm1::ActHashComments,
         "ActHashComments",
         "File Actions",
         "# Comments",
         " Read the Lines Starting with # in this File as Comments (Remembered for this File) ",
         {K(Qt::CTRL | Qt::SHIFT | Qt::Key_H)},
         [](TForm1 &f) { f.m_hashComments->Toggle(); },
         IsNamed},
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
         [](TForm1 &f) { f.m_clipCommands->MnuCopyItemValueClick(); },
         nullptr},
        {&TForm1::ActPasteItemValue,
         "ActPasteItemValue",
         "Item Actions",
         "PasteItemValue",
         "",
         {K(Qt::SHIFT | Qt::Key_Insert)},
         [](TForm1 &f) { f.m_clipCommands->MnuPasteItemValueClick(); },
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
         [](TForm1 &f) {
             const TKvProgress progress(QStringLiteral("Undo")); // a step may change a million entries
             f.UndoStack()->undo();
         },
         CanUndo},
        {&TForm1::ActRedo,
         "ActRedo",
         "Edit Actions",
         "Redo",
         "",
         {K(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), K(Qt::CTRL | Qt::Key_Y)},
         [](TForm1 &f) {
             const TKvProgress progress(QStringLiteral("Redo"));
             f.UndoStack()->redo();
         },
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
         [](TForm1 &f) { ActPreferencesExecute(&f); },
         nullptr},
        // ---- Comparing with another file (form1_compare.cpp) ----
        {&TForm1::ActCompareWith,
         "ActCompareWith",
         "File Actions",
         "Compare with...",
         " Compare the Ini File with Another File ",
         {K(Qt::CTRL | Qt::Key_D)},
         [](TForm1 &f) { f.ActCompareWithExecute(); },
         HasDocument},
        {&TForm1::ActCloseCompare,
         "ActCloseCompare",
         "File Actions",
         "Close Comparison",
         " Close the Comparison ",
         {K(Qt::CTRL | Qt::SHIFT | Qt::Key_D)},
         [](TForm1 &f) { f.CloseComparison(); },
         Comparing},
        {&TForm1::ActNextDifference,
         "ActNextDifference",
         "File Actions",
         "Next Difference",
         " Select the Next Difference ",
         {K(Qt::Key_F7)},
         [](TForm1 &f) { f.ActNextDifferenceExecute(true); },
         Comparing},
        {&TForm1::ActPreviousDifference,
         "ActPreviousDifference",
         "File Actions",
         "Previous Difference",
         " Select the Previous Difference ",
         {K(Qt::SHIFT | Qt::Key_F7)},
         [](TForm1 &f) { f.ActNextDifferenceExecute(false); },
         Comparing},
        {&TForm1::ActTakeOtherValue,
         "ActTakeOtherValue",
         "Item Actions",
         "Take Other Value",
         " Take the Other File's Version of the Selected Item ",
         {K(Qt::CTRL | Qt::Key_T)},
         [](TForm1 &f) { f.TakeOther(f.m_comparison->TakeOtherEntry(*f.Lists)); },
         ComparingValue},
        {&TForm1::ActTakeOtherSection,
         "ActTakeOtherSection",
         "Section Actions",
         "Take Other Section",
         " Take the Other File's Version of the Selected Section ",
         {K(Qt::CTRL | Qt::SHIFT | Qt::Key_T)},
         [](TForm1 &f) { f.TakeOther(f.m_comparison->TakeOtherSection(*f.Lists)); },
         ComparingSection},
        {&TForm1::ActTakeAllOther,
         "ActTakeAllOther",
         "File Actions",
         "Take All Other Values",
         " Make the Ini File Like the Other File ",
         {K(Qt::CTRL | Qt::SHIFT | Qt::Key_F7)},
         [](TForm1 &f) {
             f.TakeOther(f.m_comparison->TakeAllOther(*f.Lists));
             f.FitValueColumns();
         },
         ComparingWritable},
        // ---- The popup menu both lists share, in its order ----
        POPUP(MnuCopyItem, "Copy Item", K(Qt::CTRL | Qt::Key_J), MnuCopyItemClick, ValueSelected, 1,
              Sel | Pop),
        POPUP(MnuCopyItemValue, "Copy Item Value", K(Qt::CTRL | Qt::Key_C), MnuCopyItemValueClick,
              ValueWithValue, 1, Sel | Pop),
        POPUP(MnuCopyItemName, "Copy Item Name", K(), MnuCopyItemNameClick, ValueWithName, 1, Sel | Pop),
        POPUP(MnuCopyItemComment, "Copy Item Comment", K(), MnuCopyItemCommentClick, ValueWithComment, 1,
              Sel | Pop),
        PASTE(MnuPasteItem, "Paste Item", K(Qt::CTRL | Qt::Key_I), MnuPasteItemClick, ItemForSection, 2),
        PASTE(MnuPasteAllItems, "Paste All Items", K(Qt::CTRL | Qt::Key_A), MnuPasteAllItemsClick,
              ItemForSection, 2),
        PASTE(MnuPasteItemValue, "Paste Item Value", K(Qt::CTRL | Qt::Key_V), MnuPasteItemValueClick,
              TextForValue, 2),
        PASTE(MnuPasteItemName, "Paste Item Name", K(), MnuPasteItemNameClick, TextForValue, 2),
        PASTE(MnuPasteItemComment, "Paste Item Comment", K(), MnuPasteItemCommentClick, TextForValue, 2),
        POPUP(MnuCopySection, "Copy Section", K(Qt::CTRL | Qt::SHIFT | Qt::Key_K), MnuCopySectionClick,
              SectionSelected, 3, Pop),
        POPUP(MnuCopySectionAllItems, "Copy Section && All Items", K(Qt::CTRL | Qt::SHIFT | Qt::Key_J),
              MnuCopySectionAllItemsClick, SectionWithEntries, 3, Sel | Pop),
        POPUP(MnuCopySectionItem, "Copy Section && Selected Item", K(Qt::CTRL | Qt::SHIFT | Qt::Key_E),
              MnuCopySectionItemClick, SectionAndValue, 3, Sel | Pop),
        POPUP(MnuCopySectionName, "Copy Section Name", K(), MnuCopySectionNameClick, SectionWithName, 3,
              Sel | Pop),
        POPUP(MnuCopySectionComment, "Copy Section Comment", K(), MnuCopySectionCommentClick,
              SectionWithComment, 3, Sel | Pop),
        PASTE(MnuPasteSection, "Paste Section", K(Qt::CTRL | Qt::SHIFT | Qt::Key_I), MnuPasteSectionClick,
              SectionToPaste, 4),
        PASTE(MnuPasteSectionName, "Paste Section Name", K(), MnuPasteSectionNameClick, TextForSection, 4),
        PASTE(MnuPasteSectionComment, "Paste Section Comment", K(), MnuPasteSectionCommentClick,
              TextForSection, 4),
        FIRES(MnuDeleteItem, "Delete Item", ActDeleteItem, ValueEditable, 5, OnState),
        FIRES(MnuSilentDeleteItem, "Silent Delete Item", ActSilentDeleteItem, ValueEditable, 5, OnState),
        FIRES(MnuDeleteSection, "Delete Section", ActDeleteSection, SectionEditable, 5, OnState),
        FIRES(MnuSilentDeleteSection, "Silent Delete Section", ActSilentDeleteSection, SectionEditable, 5,
              OnState),
        FIRES(MnuCommentUncommentItem, "Comment / Uncomment Item", ActCommentUncomment, ValueInFocus, 6,
              OnSelection),
        FIRES(MnuSortAllAlphabetically, "Sort All Alphabetically", ActSortAll, ListToSort, 7, OnPopup),
        FIRES(MnuUndo, "Undo", ActUndo, CanUndo, 8, OnState),
        FIRES(MnuRedo, "Redo", ActRedo, CanRedo, 8, OnState),
    };
    return rows;
}

namespace {

// Undo and Redo name the step they would take back or do again.
void ShowStepName(QAction *action, const QString &verb, const QString &step)
{
    const QString text = step.isEmpty() ? verb : verb + u' ' + step;
    action->setText(text);
    action->setToolTip(text);
    action->setStatusTip(text);
}

} // namespace

void TForm1::CreateActions()
{
    PopupClip = new QMenu(this);
    PopupClip->setObjectName(QStringLiteral("PopupClip"));
    int popupGroup = 0;
    for (const TActionRow &row : ActionRows()) {
        auto *action = new QAction(QString::fromLatin1(row.Caption),
                                   row.PopupGroup ? static_cast<QObject *>(PopupClip) : this);
        action->setEnabled(!row.StartsOff);
        action->setObjectName(QString::fromLatin1(row.Name));
        action->setProperty("category", QString::fromLatin1(row.Category));
        action->setToolTip(QString::fromLatin1(row.Hint));
        action->setStatusTip(QString::fromLatin1(row.Hint));
        this->*row.Member = action;
        if (row.Fires) {
            // The window's action owns the key; the item only shows it.
            QAction *fired = this->*row.Fires;
            if (!fired->shortcuts().isEmpty())
                action->setShortcut(fired->shortcuts().first());
            action->setShortcutContext(Qt::WidgetShortcut);
            connect(action, &QAction::triggered, fired, &QAction::trigger);
        } else {
            action->setShortcuts(row.Keys);
            // The keys work while the menu is closed; a disabled action ignores its key.
            action->setShortcutContext(Qt::WindowShortcut);
            if (row.PopupGroup == 0 || !row.Keys.first().isEmpty())
                addAction(action);
            connect(action, &QAction::triggered, this,
                    [this, handler = row.Handler] { RunCommand([&] { handler(*this); }); });
        }
        if (row.PopupGroup == 0) {
            ActionList << action;
            continue;
        }
        if (popupGroup != 0 && popupGroup != row.PopupGroup)
            PopupClip->addSeparator();
        popupGroup = row.PopupGroup;
        PopupClip->addAction(action);
    }

    QUndoStack *stack = m_document.UndoStack();
    connect(stack, &QUndoStack::undoTextChanged, this, [this](const QString &step) {
        ShowStepName(ActUndo, QStringLiteral("Undo"), step);
        ShowStepName(MnuUndo, QStringLiteral("Undo"), step);
    });
    connect(stack, &QUndoStack::redoTextChanged, this, [this](const QString &step) {
        ShowStepName(ActRedo, QStringLiteral("Redo"), step);
        ShowStepName(MnuRedo, QStringLiteral("Redo"), step);
    });

    for (QTableView *list : {LvSections, LvValues}) {
        connect(list, &QWidget::customContextMenuRequested, this, [this, list](const QPoint &pos) {
            PopupClipPopup(list);
            PopupClip->popup(list->viewport()->mapToGlobal(pos));
        });
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
    Enable(TEnableMoment::State);
}

void TForm1::UpdateSelectionMenus()
{
    Enable(TEnableMoment::Selection);
}

void TForm1::PopupClipPopup(QTableView *list)
{
    Enable(TEnableMoment::Popup, list);
}

void TForm1::Enable(TEnableMoment moment, const QTableView *popupList)
{
    const TKvFileState &file = m_document.File();
    const TKvIniSection *section = Lists->SelectedSection();
    const TKvIniVal *val = Lists->SelectedVal();
    const TKvClipState clip = m_clipCommands ? m_clipCommands->ClipState() : TKvClipState{};

    TActionState state;
    state.Document = file.Open;
    state.Modified = m_document.Modified();
    state.ReadOnly = file.ReadOnly;
    state.Named = !file.FileName.isEmpty();
    state.Section = section != nullptr;
    state.Value = val != nullptr;
    state.CanUndo = m_document.UndoStack()->canUndo();
    state.CanRedo = m_document.UndoStack()->canRedo();
    state.ClipText = clip.HasText;
    state.ClipItem = clip.HasItem;
    state.ClipSection = clip.HasSection;
    state.ValuesFocused = LvValues->hasFocus();
    state.Comparing = m_comparison != nullptr;
    if (moment == TEnableMoment::Popup) {
        state.Popup = true;
        state.PopupRows = popupList ? popupList->model()->rowCount() : 0;
        state.SectionHasName = section && !section->Name.isEmpty();
        state.SectionHasComment = section && !section->Comment.isEmpty();
        state.SectionHasEntries = section && section->Vals.Count() > 0;
        state.ValHasName = val && !val->NameView().isEmpty();
        state.ValHasValue = val && !val->ValueView().isEmpty();
        state.ValHasComment = val && !val->CommentView().isEmpty();
    }

    const unsigned when = unsigned(moment);
    for (const TActionRow &row : ActionRows()) {
        if (row.When & when)
            (this->*row.Member)->setEnabled(!row.Enabled || row.Enabled(state));
    }
    // The shortcut button makes a launcher for the open file; Ctrl+K also makes one for the program.
    if (moment == TEnableMoment::State && ButCreateShortcut)
        ButCreateShortcut->setEnabled(IsNamed(state));
}
