#pragma once

#include "document/kvdocument.h"
#include "document/kvselection.h"
#include "kvcolor.h"
#include "kvcontainer.h"
#include "kvmemini.h"
#include "kvsearchoptions.h"

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
class TClipboardCommands;
class QUndoStack;
class QUndoCommand;
class TSectionCommands;
class TItemCommands;
class TFindCommands;

// The editor's main window. It owns one document for its whole life, shows
// it in the section and value lists, and offers every command as an action.
//
// The window's handlers are spread over several files by concern:
// form1.cpp (composition, actions, caption, counters), form1_bars.cpp (toolbar
// and status bar), form1_lists.cpp (the two lists), form1_file.cpp (the file
// state). The file commands live in document/, the settings and the recent
// files in settings/, the file dialogs in dialogs/.
class TForm1 : public QWidget, public TKvSelection
{
    Q_OBJECT

public:
    // The encoding index of the file dialogs, the caption and the recent files.
    enum EncodingIndex { EncUtf8 = 0, EncAnsi = 1, EncUtf16LE = 2, EncUtf16BE = 3, EncAuto = 4 };
    // The colour scheme's eight entries.
    using ColourScheme = std::array<TColor, 8>;
    static const ColourScheme DefaultColourScheme;

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
    bool ValuesOnly() const { return m_valuesOnly; }
    TKvIniSection *SelectedSection() const { return m_selectedSection; }
    const ColourScheme &Colours() const { return m_colourScheme; }

    // ---- The lists' selection, for the commands and the undo steps ----
    TKvListSelection Current() const override;
    void Restore(const TKvListSelection &selection) override;

    // ---- Window operations shared by the commands ----
    void UpdateCounters();
    void UpdateTitle(bool bare);
    static QString EncodingName(int encodingIndex);
    static quint32 CodePageOf(int encodingIndex);
    // A document is open (or not): the file actions follow.
    void EnableFileActions(bool enabled);
    // Enables every action by its rule (form1_actions.cpp).
    void UpdateActions();
    void UpdateSelectionMenus();
    // ---- Clipboard (src/editor/clipboard) ----
    TClipboardCommands *ClipCommands = nullptr; // the popup menu PopupClip and its commands
    void PutOnClipboard(const QString &text, bool sectionFormat, bool itemFormat);
    void UpdateClipboardState();
    void ApplyColourScheme();

    // ---- The lists ----
    void FillSectionList();
    void FitSectionColumns();
    void SizeIconColumns();
    void FillValueList(TKvIniSection *section);
    void FitValueColumns();
    void SelectRow(QTableView *list, int row);
    void SelectRowOfData(TKvIniSection *section);
    void SetSortArrows(QTableView *list, int column, int state);
    int SortState(QTableView *list, int column) const;
    void SetValuesOnly(bool on);

    // ---- The document's file ----
    void OpenFile(const QString &path, int encodingIndex);
    void ClearDocument();
    void SetFileName(const QString &path);
    void SelectFirstRows();
    // The document was written to its file.
    void DocumentSaved();
    TKvDocumentFile *DocumentFile() const { return m_documentFile; }

    // ---- Settings, search options and recent files ----
    TSearchStruct &SearchOptions() { return m_search; }
    void SetColours(const ColourScheme &colours) { m_colourScheme = colours; }
    TKvRecentFiles *RecentFiles() const { return m_recentFiles; }

    // ---- Components ----
    QWidget *PnlTop = nullptr;
    QWidget *PnlBottom = nullptr;
    QTableView *LvSections = nullptr;
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

    TKvSectionModel *SectionModel() const { return m_sectionModel; }
    TKvValueModel *ValueModel() const { return m_valueModel; }
    // The numbers the status bar shows.
    quint64 LoadTimeMs() const { return m_loadTimeMs; }
    quint64 ShowTimeMs() const { return m_showTimeMs; }

    // Runs a command; a file error it throws is shown.
    void RunCommand(const std::function<void()> &command);
    // No document, no file name, bare caption, file actions off.
    void ResetAfterFailedOpen();

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

    // A size designed at 144 pixels per inch, for this screen.
    int Scaled(int designed) const;
    int ScreenDpi() const;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    struct TActionRow;
    static const std::vector<TActionRow> &ActionRows();
    void CreateActions();
    void CreateToolbarButtons(const std::function<void(const QList<TKvGradiLabel *> &)> &addGroup);
    void CreateEditCommands();
    void CreateLists();
    void CreateToolbar();
    void CreateStatusBar();
    void LoadImageLists();
    void FormShow();

    void LvSectionsSelectItem(int row, bool selected);
    void LvValuesSelectItem(int row, bool selected);
    void LvSectionsColumnClick(int column);
    void LvValuesColumnClick(int column);
    void LvSectionsDblClick();
    void LvValuesDblClick();
    void ActValuesOnlyExecute();
    void ActHelpExecute();
    // The program dialogs (dialogs/form1_dialogs.cpp).
    void ActGeneratePasswordExecute();
    void ActAboutExecute();
    void ActCreateShortcutExecute();
    void DeselectBeforeRefill(QTableView *list);
    void FollowDocument();

public:
    // The load and show times of the status bar.
    void SetShowTime(quint64 ms);
    void SetLoadTime(quint64 ms);
    const QStringList &CommandLine() const { return m_commandLine; }

private:
    // The entries, their undo steps and the modified flag; declared first so that it goes last.
    TKvDocument m_document;
    QStringList m_commandLine;
    bool m_shown = false;
    bool m_hasDocument = false; // a document is open, new or read
    bool m_valuesOnly = false;
    TKvIniSection *m_selectedSection = nullptr;
    ColourScheme m_colourScheme = DefaultColourScheme;
    quint64 m_loadTimeMs = 0;
    quint64 m_showTimeMs = 0;
    std::array<std::array<int, 4>, 2> m_sortStates{}; // [list][column]

    TSearchStruct m_search;
    TKvDocumentFile *m_documentFile = nullptr;
    TKvRecentFiles *m_recentFiles = nullptr;

    TKvSectionModel *m_sectionModel = nullptr;
    TKvValueModel *m_valueModel = nullptr;
    class TKvColumnWidths *m_valueWidths = nullptr; // the widest texts of the value list
    QIcon m_sectionIcon;
    std::array<QIcon, 4> m_kindIcons;

    std::unique_ptr<TSectionCommands> m_sectionCommands;
    std::unique_ptr<TItemCommands> m_itemCommands;
    std::unique_ptr<TFindCommands> m_findCommands;
};
