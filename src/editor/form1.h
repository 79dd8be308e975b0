#pragma once

#include "document/kvdocument.h"
#include "kvsearchoptions.h"
#include "lists/kvlists.h"
#include "settings/colourscheme.h"

#include <QElapsedTimer>
#include <QIcon>
#include <QList>
#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <vector>

class QAction;
class QMenu;
class QSplitter;
class QTableView;
class QTimer;
class TKvArt;
class TKvDocumentFile;
class TKvRecentFiles;
class TKvStringRC;
class TKvGradiLabel;
class TKvImageList;
class TKvSectionModel;
class TKvValueModel;
class QTableView;
class TClipboardCommands;
class QUndoStack;
class QUndoCommand;
class TSectionCommands;
class TItemCommands;
class TFindCommands;
class TReplaceCommands;
class TFindAllPane;
class TKvFilterBar;
class TKvHashComments;
class TCompareSession;
class TKvTakeOtherStep;

// The editor's main window. It owns one document for its whole life and
// composes the lists that show it (TKvLists), the toolbar and status bar, and
// the command units, which get the document, the lists and the window as the
// parent of their dialogs. Every command is a row of the action table.
//
// The window's own files: form1.cpp (composition, caption, counters),
// form1_actions.cpp (the action table, the popup menu and enabling),
// form1_bars.cpp (toolbar and status bar), form1_lists.cpp (the values-only
// mode and the lists' window operations).
class TForm1 : public QWidget, public TKvEncodingIndexes
{
    Q_OBJECT

public:
    using ColourScheme = TKvColourScheme;
    static constexpr const ColourScheme &DefaultColourScheme = KvDefaultColourScheme;

    // commandLine: the program's arguments after its name.
    explicit TForm1(const QStringList &commandLine = {}, QWidget *parent = nullptr);
    ~TForm1() override;

    // ---- State ----
    TKvMemIni &Document() { return m_document.Ini(); }
    TKvDocument &Doc() { return m_document; }
    const QString &FileName() const { return m_document.File().FileName; }
    bool Modified() const { return m_document.Modified(); }
    bool ReadOnly() const { return m_document.File().ReadOnly; }
    bool Encrypted() const { return m_document.File().Encrypted; }
    int EncodingIdx() const { return m_document.File().EncodingIndex; }
    bool ValuesOnly() const { return Lists->ValuesOnly(); }
    TKvIniSection *SelectedSection() const { return Lists->SelectedSection(); }
    const ColourScheme &Colours() const { return m_colourScheme; }

    // ---- Window operations ----
    // The counters and the caption follow the document; these bring them up to date.
    void UpdateCounters();
    void ShowHashCommentsOffer();
    // A status-bar check box's mark and picture.
    static void ShowChecked(TKvGradiLabel *box, bool on);
    void UpdateTitle();
    // Enables every action by its rule (form1_actions.cpp).
    void UpdateActions();
    // The copy and paste items of the popup menu follow the selection and the clipboard.
    void UpdateSelectionMenus();
    // Enables the popup menu's items for the list it opens on.
    void PopupClipPopup(QTableView *list);
    void ApplyColourScheme();

    // ---- The lists (lists/kvlists.h) ----
    TKvLists *Lists = nullptr;
    void FillSectionList() { Lists->FillSectionList(); }
    void FitSectionColumns() { Lists->FitSectionColumns(); }
    void FillValueList(TKvIniSection *section) { Lists->FillValueList(section); }
    void FitValueColumns() { Lists->FitValueColumns(); }
    void SelectRow(QTableView *list, int row) { Lists->SelectRow(list, row); }
    int SortState(QTableView *list, int column) const { return Lists->SortState(list, column); }
    void SetValuesOnly(bool on);

    // ---- The document's file ----
    void OpenFile(const QString &path, int encodingIndex);
    // Empties the document: no file, nothing open.
    void ClearDocument();
    TKvDocumentFile *DocumentFile() const { return m_documentFile; }

    // ---- Settings, search options and recent files ----
    TSearchStruct &SearchOptions() { return m_search; }
    void SetColours(const ColourScheme &colours) { m_colourScheme = colours; }
    TKvRecentFiles *RecentFiles() const { return m_recentFiles; }

    // ---- Components ----
    QWidget *PnlTop = nullptr;
    QWidget *PnlBottom = nullptr;
    // The matches of Find All, below the lists; hidden until a search fills it.
    TFindAllPane *FindAllPane = nullptr;
    // The filter box above the lists.
    TKvFilterBar *FilterBar = nullptr;
    QTableView *LvSections = nullptr; // the lists' own, under the window's names
    QTableView *LvValues = nullptr;
    QSplitter *Splitter1 = nullptr;
    TKvImageList *IlItems = nullptr;
    TKvImageList *IlButtons = nullptr;
    QTimer *LoadFileTimer = nullptr;
    QTimer *MruTimer = nullptr;
    QTimer *MruCheck = nullptr;
    QMenu *PopupMRU = nullptr;
    TKvStringRC *MRUList = nullptr;

    TKvGradiLabel *GlNew = nullptr;
    TKvGradiLabel *GlOpen = nullptr;
    TKvGradiLabel *GlReload = nullptr;
    TKvGradiLabel *GlSave = nullptr;
    TKvGradiLabel *GlSaveAs = nullptr;
    TKvGradiLabel *GlSearch = nullptr;
    TKvGradiLabel *GlSectionAdd = nullptr;
    TKvGradiLabel *GlSectionCopy = nullptr;
    TKvGradiLabel *GlSectionInsert = nullptr;
    TKvGradiLabel *GlSectionEdit = nullptr;
    TKvGradiLabel *GlSectionDdelete = nullptr;
    TKvGradiLabel *GlItemAdd = nullptr;
    TKvGradiLabel *GlItemInsert = nullptr;
    TKvGradiLabel *GlItemEdit = nullptr;
    TKvGradiLabel *GlItemDelete = nullptr;

    TKvGradiLabel *LbLoadTime = nullptr;
    TKvGradiLabel *LbShowTime = nullptr;
    TKvGradiLabel *LbSectionCount = nullptr;
    TKvGradiLabel *LbValueCount = nullptr;
    TKvGradiLabel *LbCommentCount = nullptr;
    TKvGradiLabel *LbErrorCount = nullptr;
    TKvGradiLabel *LbEmptyCount = nullptr;
    TKvGradiLabel *GlValuesOnly = nullptr;
    // Offers "#" comments for a file that looks written with them.
    TKvGradiLabel *GlHashComments = nullptr;
    TKvGradiLabel *ButCreateShortcut = nullptr;
    TKvGradiLabel *GlPassword = nullptr;
    TKvGradiLabel *GlHelp = nullptr;
    TKvGradiLabel *GlInfo = nullptr;
    TKvGradiLabel *GlPreferences = nullptr;
    // The last end piece of the toolbar; its right edge sets the minimum width.
    TKvArt *LastToolbarArt = nullptr;

    // ---- Actions ----
    QList<QAction *> ActionList;
    QAction *ActNewFile = nullptr;
    QAction *ActOpenFile = nullptr;
    QAction *ActReload = nullptr;
    QAction *ActSave = nullptr;
    QAction *ActSaveAs = nullptr;
    QAction *ActSearch = nullptr;
    QAction *ActFindNext = nullptr;
    QAction *ActFindPrevious = nullptr;
    QAction *ActReplace = nullptr;
    QAction *ActFindAll = nullptr;
    QAction *ActFilter = nullptr; // Ctrl+L, "/"
    QAction *ActHashComments = nullptr; // Ctrl+Shift+H
    QAction *ActValuesOnly = nullptr;
    QAction *ActAddSection = nullptr;
    QAction *ActCopySection = nullptr;
    QAction *ActInsertSection = nullptr;
    QAction *ActEditSection = nullptr;
    QAction *ActDeleteSection = nullptr;
    QAction *ActSilentDeleteSection = nullptr;
    QAction *ActAddItem = nullptr;
    QAction *ActInsertItem = nullptr;
    QAction *ActEditItem = nullptr;
    QAction *ActDeleteItem = nullptr;
    QAction *ActSilentDeleteItem = nullptr;
    QAction *ActCopyItemValue = nullptr;
    QAction *ActPasteItemValue = nullptr;
    QAction *ActAbout = nullptr;
    QAction *ActHelp = nullptr;
    QAction *ActGeneratePassword = nullptr;
    QAction *ActCreateShortcut = nullptr;
    QAction *ActPreferences = nullptr;

    // ---- The popup menu both lists share, in its order ----
    QMenu *PopupClip = nullptr;
    QAction *MnuCopyItem = nullptr;
    QAction *MnuCopyItemValue = nullptr;
    QAction *MnuCopyItemName = nullptr;
    QAction *MnuCopyItemComment = nullptr;
    QAction *MnuPasteItem = nullptr;
    QAction *MnuPasteAllItems = nullptr;
    QAction *MnuPasteItemValue = nullptr;
    QAction *MnuPasteItemName = nullptr;
    QAction *MnuPasteItemComment = nullptr;
    QAction *MnuCopySection = nullptr;
    QAction *MnuCopySectionAllItems = nullptr;
    QAction *MnuCopySectionItem = nullptr;
    QAction *MnuCopySectionName = nullptr;
    QAction *MnuCopySectionComment = nullptr;
    QAction *MnuPasteSection = nullptr;
    QAction *MnuPasteSectionName = nullptr;
    QAction *MnuPasteSectionComment = nullptr;
    QAction *MnuDeleteItem = nullptr;
    QAction *MnuSilentDeleteItem = nullptr;
    QAction *MnuDeleteSection = nullptr;
    QAction *MnuSilentDeleteSection = nullptr;
    QAction *MnuCommentUncommentItem = nullptr;
    QAction *MnuSortAllAlphabetically = nullptr;
    QAction *MnuUndo = nullptr;
    QAction *MnuRedo = nullptr;

    TKvSectionModel *SectionModel() const { return Lists->SectionModel(); }
    TKvValueModel *ValueModel() const { return Lists->ValueModel(); }
    // The numbers the status bar shows.
    quint64 LoadTimeMs() const { return m_loadTimeMs; }
    quint64 ShowTimeMs() const { return Lists->ShowTimeMs(); }

    // Runs a command; a file error it throws is shown.
    void RunCommand(const std::function<void()> &command);

    // ---- Section and item commands, find, undo (src/editor/commands, src/editor/find) ----
    QAction *ActUndo = nullptr;             // Ctrl+Z
    QAction *ActRedo = nullptr;             // Ctrl+Shift+Z, Ctrl+Y
    QAction *ActCommentUncomment = nullptr; // Ctrl+Space
    QAction *ActSortAll = nullptr;          // Alt+S (Ctrl held: descending)
    QUndoStack *UndoStack() { return m_document.UndoStack(); }
    // Pushes one change of the document; the stack applies it.
    void PushStep(QUndoCommand *step) { m_document.Push(step); }
    TSectionCommands &SectionCommands() { return *m_sectionCommands; }
    TItemCommands &ItemCommands() { return *m_itemCommands; }
    TFindCommands &FindCommands() { return *m_findCommands; }
    TClipboardCommands &ClipCommands() { return *m_clipCommands; }

    // A size designed at 144 pixels per inch, for this screen.
    int Scaled(int designed) const;
    int ScreenDpi() const;

    // ---- Comparing with another file (form1_compare.cpp) ----
    QAction *ActCompareWith = nullptr;         // Ctrl+D
    QAction *ActCloseCompare = nullptr;        // Ctrl+Shift+D
    QAction *ActNextDifference = nullptr;      // F7
    QAction *ActPreviousDifference = nullptr;  // Shift+F7
    QAction *ActTakeOtherValue = nullptr;      // Ctrl+T
    QAction *ActTakeOtherSection = nullptr;    // Ctrl+Shift+T
    QAction *ActTakeAllOther = nullptr;        // Ctrl+Shift+F7
    // The status bar's "Compare" button; the count of differences while comparing.
    TKvGradiLabel *GlCompare = nullptr;
    // The comparison shown, or null.
    TCompareSession *Comparison() const { return m_comparison.get(); }
    // Shows the document compared with the file (encodingIndex as the open
    // dialog gives it); false when the file could not be read (reported).
    bool CompareWith(const QString &path, int encodingIndex);
    // Back to the usual lists.
    void CloseComparison();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    struct TActionRow;
    enum class TEnableMoment;
    static const std::vector<TActionRow> &ActionRows();
    void CreateActions();
    void CreateToolbarButtons(const std::function<void(const QList<TKvGradiLabel *> &)> &addGroup);
    void CreateCommands();
    void CreateLists();
    void CreateToolbar();
    void CreateStatusBar();
    void LoadImageLists();
    void FormShow();
    void Enable(TEnableMoment moment, const QTableView *popupList = nullptr);

    void ActValuesOnlyExecute();
    void ActHelpExecute();
    // The program dialogs (dialogs/form1_dialogs.cpp).
    void ActGeneratePasswordExecute();
    void ActAboutExecute();
    void ActCreateShortcutExecute();
    void FollowDocument();
    struct TKvSettingsTarget SettingsTarget();
    void SetShowTime(quint64 ms);
    void SetLoadTime(quint64 ms);

    // The entries, their undo steps and the modified flag; declared first so that it goes last.
    TKvDocument m_document;
    QStringList m_commandLine;
    bool m_shown = false;
    ColourScheme m_colourScheme = DefaultColourScheme;
    quint64 m_loadTimeMs = 0;

    TSearchStruct m_search;
    TKvDocumentFile *m_documentFile = nullptr;
    TKvRecentFiles *m_recentFiles = nullptr;
    TKvHashComments *m_hashComments = nullptr;

    QIcon m_sectionIcon;
    std::array<QIcon, 4> m_kindIcons;

    std::unique_ptr<TSectionCommands> m_sectionCommands;
    std::unique_ptr<TItemCommands> m_itemCommands;
    std::unique_ptr<TFindCommands> m_findCommands;
    std::unique_ptr<TReplaceCommands> m_replaceCommands;
    std::unique_ptr<TClipboardCommands> m_clipCommands;

    // ---- Comparing with another file (form1_compare.cpp) ----
    void ActCompareWithExecute();
    void ActNextDifferenceExecute(bool forward);
    // Pushes a step that takes the other file's versions; null: nothing to take.
    void TakeOther(TKvTakeOtherStep *step);
    void CreateCompareLabels(const std::function<void(const QList<TKvGradiLabel *> &)> &addGroup);
    void ShowCompareSummary();
    // The comparison ends when another document takes the window's place.
    void FollowDocumentForComparison();
    std::unique_ptr<TCompareSession> m_comparison;
    QString m_comparedFileName; // the document's file name when the comparison opened
};
