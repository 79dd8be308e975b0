// The main window: composition, actions, caption, counters and colours.
#include "form1.h"

#include "clipboardcommands.h"
#include "dialogs/preferencesdlg.h"
#include "document/documentfile.h"
#include "document/filewatcher.h"
#include "kvart.h"
#include "kvconfig.h"
#include "kvfileerror.h"
#include "kvfirstrun.h"
#include "kvfunctions.h"
#include "kvgradilabel.h"
#include "kvmanual.h"
#include "kvmsgbox.h"
#include "kvshell.h"
#include "sectionmodel.h"
#include "settings/preferences.h"
#include "settings/recentfiles.h"
#include "settings/settingsstore.h"
#include "shortcutfrm.h"
#include "valuemodel.h"
// Complete types for the window's command members.
#include "findcommands.h"
#include "itemcommands.h"
#include "sectioncommands.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QScreen>
#include <QSplitter>
#include <QTableView>
#include <QTimer>
#include <QUndoStack>
#include <QVBoxLayout>

const TForm1::ColourScheme TForm1::DefaultColourScheme = {
    KvRgb(0xDE, 0xEB, 0xFF), KvRgb(0xA3, 0xB4, 0xD8), KvRgb(0xEA, 0xF2, 0xFB), KvRgb(0xA3, 0xB4, 0xD8),
    KvRgb(0xFF, 0xEF, 0xCF), KvRgb(0xD1, 0x88, 0x3B), KvRgb(0x00, 0x00, 0xD5), KvRgb(0x12, 0x0C, 0x8D),
};

TForm1::TForm1(const QStringList &commandLine, QWidget *parent)
    : QWidget(parent)
    , m_commandLine(commandLine)
{
    setWindowTitle(QStringLiteral("Velmora's Quillon"));
    setAcceptDrops(true);

    QFont font = QApplication::font();
    font.setPixelSize(Scaled(18));
    setFont(font);

    TKvFirstRun firstRun;
    firstRun.AppName = KvConfig::AppName.toString();
    firstRun.CompanyName = KvConfig::CompanyName.toString();
    firstRun.ThankYouUrl = KvConfig::ThankYouUrl.toString();
    firstRun.Run();

    m_sectionModel = new TKvSectionModel(m_document, this);
    m_valueModel = new TKvValueModel(m_document, this);

    CreateActions();
    LoadImageLists();
    m_sectionModel->SetSectionIcon(m_sectionIcon);
    m_valueModel->SetKindIcons(m_kindIcons);
    CreateToolbar();
    CreateLists();
    CreateStatusBar();
    CreateEditCommands();
    // The file commands and the recent files connect themselves to the actions and the Open button.
    m_documentFile = new TKvDocumentFile(*this);
    m_recentFiles = new TKvRecentFiles(*this);
    ClipCommands = new TClipboardCommands(*this);
    connect(ActCopyItemValue, &QAction::triggered, this,
            [this] { RunCommand([this] { ClipCommands->MnuCopyItemValueClick(); }); });
    connect(ActPasteItemValue, &QAction::triggered, this,
            [this] { RunCommand([this] { ClipCommands->MnuPasteItemValueClick(); }); });

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(PnlTop);
    layout->addWidget(Splitter1, 1);
    layout->addWidget(PnlBottom);

    LoadFileTimer = new QTimer(this);
    LoadFileTimer->setSingleShot(true);
    LoadFileTimer->setInterval(50);
    connect(LoadFileTimer, &QTimer::timeout, this,
            [this] { RunCommand([this] { m_documentFile->LoadFileTimerTimer(); }); });

    resize(Scaled(1127), Scaled(757));
    EnableFileActions(false);
    // Nothing is selected yet: the section and item commands wait for a selection.
    ApplySectionRule();
    ApplyValueRule();
    FollowDocument();
    ActSave->setEnabled(false);
}

TForm1::~TForm1()
{
    // The recent files go while the window is still whole: they watch the Open
    // button and clean up the window's menu, which a child destroyed after this
    // destructor would do on a half-gone window.
    delete m_recentFiles;
    m_recentFiles = nullptr;
    // The lists let go of the document before it goes.
    m_valueModel->Clear();
}

int TForm1::ScreenDpi() const
{
    const QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    return screen ? qRound(screen->logicalDotsPerInch()) : 96;
}

int TForm1::Scaled(int designed) const
{
    return designed * ScreenDpi() / 144;
}

// ---- Actions -----------------------------------------------------------------

namespace {

struct ActionRow
{
    QAction *TForm1::*member;
    const char *name;
    const char *category;
    const char *caption;
    const char *hint;
    QKeySequence shortcut;
};

} // namespace

void TForm1::CreateActions()
{
    const ActionRow rows[] = {
        {&TForm1::ActNewFile, "ActNewFile", "File Actions", "New", " Create a New Ini File ",
         QKeySequence(Qt::CTRL | Qt::Key_N)},
        {&TForm1::ActOpenFile, "ActOpenFile", "File Actions", "Open", " Open an Existing Ini File ",
         QKeySequence(Qt::CTRL | Qt::Key_O)},
        {&TForm1::ActReload, "ActReload", "File Actions", "Reload", " Reload The Open Ini File From Disk ",
         QKeySequence(Qt::Key_F5)},
        {&TForm1::ActSave, "ActSave", "File Actions", "Save", " Save Ini File to Disk ",
         QKeySequence(Qt::CTRL | Qt::Key_S)},
        {&TForm1::ActSaveAs, "ActSaveAs", "File Actions", "Save As", " Save the Ini File to a New File Name ",
         QKeySequence(Qt::Key_F12)},
        {&TForm1::ActSearch, "ActSearch", "File Actions", "Find",
         " Search the Ini File (F3=Find Next) (Shift+F3=Find Previous)", QKeySequence(Qt::CTRL | Qt::Key_F)},
        {&TForm1::ActFindNext, "ActFindNext", "File Actions", "Find Next", "", QKeySequence(Qt::Key_F3)},
        {&TForm1::ActFindPrevious, "ActFindPrevious", "File Actions", "Find Previous", "",
         QKeySequence(Qt::SHIFT | Qt::Key_F3)},
        {&TForm1::ActValuesOnly, "ActValuesOnly", "File Actions", "Values Only",
         "Hide Comment, Empty Items and Error Items. ", QKeySequence(Qt::Key_F4)},
        {&TForm1::ActAddSection, "ActAddSection", "Section Actions", "Add", " Add a New Section ",
         QKeySequence(Qt::CTRL | Qt::Key_F8)},
        {&TForm1::ActCopySection, "ActCopySection", "Section Actions", "Copy", " Copy Selected Section ",
         QKeySequence(Qt::CTRL | Qt::Key_F10)},
        {&TForm1::ActInsertSection, "ActInsertSection", "Section Actions", "Insert",
         " Insert a New Section Before the Selected Section ", QKeySequence(Qt::CTRL | Qt::Key_F9)},
        {&TForm1::ActEditSection, "ActEditSection", "Section Actions", "Edit", " Edit the Selected Section ",
         QKeySequence(Qt::CTRL | Qt::Key_Return)},
        {&TForm1::ActDeleteSection, "ActDeleteSection", "Section Actions", "Del",
         " Delete the Selected Section ", QKeySequence(Qt::CTRL | Qt::Key_Delete)},
        {&TForm1::ActSilentDeleteSection, "ActSilentDeleteSection", "Section Actions",
         "Silent Delete Section", "", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Delete)},
        {&TForm1::ActAddItem, "ActAddItem", "Item Actions", "Add", " Add a New Value Item ",
         QKeySequence(Qt::Key_F8)},
        {&TForm1::ActInsertItem, "ActInsertItem", "Item Actions", "Insert", " Insert a New Value Item ",
         QKeySequence(Qt::Key_F9)},
        {&TForm1::ActEditItem, "ActEditItem", "Item Actions", "Edit", " Edit Selected Value Item ",
         QKeySequence(Qt::Key_Return)},
        {&TForm1::ActDeleteItem, "ActDeleteItem", "Item Actions", "Del", " Delete Selected Value Item ",
         QKeySequence(Qt::Key_Delete)},
        {&TForm1::ActSilentDeleteItem, "ActSilentDeleteItem", "Item Actions", "Silent Delete Item", "",
         QKeySequence(Qt::SHIFT | Qt::Key_Delete)},
        {&TForm1::ActCopyItemValue, "ActCopyItemValue", "Item Actions", "CopyItemValue", "",
         QKeySequence(Qt::CTRL | Qt::Key_Insert)},
        {&TForm1::ActPasteItemValue, "ActPasteItemValue", "Item Actions", "PasteItemValue", "",
         QKeySequence(Qt::SHIFT | Qt::Key_Insert)},
        {&TForm1::ActAbout, "ActAbout", "Program Actions", "", "Opens the about dialog",
         QKeySequence(Qt::Key_F2)},
        {&TForm1::ActHelp, "ActHelp", "Program Actions", "",
         "Opens the help on the internet in Your browser ", QKeySequence(Qt::Key_F1)},
        {&TForm1::ActGeneratePassword, "ActGeneratePassword", "Program Actions", "GeneratePassword",
         " Opens the Password Generator ", QKeySequence(Qt::CTRL | Qt::Key_G)},
        {&TForm1::ActCreateShortcut, "ActCreateShortcut", "Program Actions", "", "",
         QKeySequence(Qt::CTRL | Qt::Key_K)},
        {&TForm1::ActPreferences, "ActPreferences", "Program Actions", "Preferences",
         " Opens the Preferences ", QKeySequence(Qt::CTRL | Qt::Key_Comma)},
    };
    for (const ActionRow &row : rows) {
        auto *action = new QAction(QString::fromLatin1(row.caption), this);
        action->setObjectName(QString::fromLatin1(row.name));
        action->setProperty("category", QString::fromLatin1(row.category));
        action->setToolTip(QString::fromLatin1(row.hint));
        action->setStatusTip(QString::fromLatin1(row.hint));
        action->setShortcut(row.shortcut);
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
        this->*row.member = action;
        ActionList << action;
    }
    // Enter on the keypad too.
    ActEditItem->setShortcuts({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
    ActEditSection->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)});

    connect(ActValuesOnly, &QAction::triggered, this,
            [this] { RunCommand([this] { ActValuesOnlyExecute(); }); });
    connect(ActHelp, &QAction::triggered, this, [this] { RunCommand([this] { ActHelpExecute(); }); });
    ConnectProgramDialogs();
    connect(ActPreferences, &QAction::triggered, this,
            [this] { RunCommand([this] { ActPreferencesExecute(*this); }); });
    connect(ActCreateShortcut, &QAction::triggered, this,
            [this] { RunCommand([this] { ActCreateShortcutExecute(); }); });
    // The commands of the other actions are connected where they are built.
}

// The installed user's guide, or the maker's help page when there is none.
void TForm1::ActHelpExecute()
{
    OpenWithShell(HelpTarget());
}

void TForm1::ActCreateShortcutExecute()
{
    TFrmShortcut form(FileName(), IlButtons, this);
    form.exec();
}

// ---- Commands and file errors ---------------------------------------------------

void TForm1::RunCommand(const std::function<void()> &command)
{
    try {
        command();
    } catch (const TKvFileError &error) {
        ShowFileError(error, this);
    }
}

// No document, no file name, not modified, not encrypted, bare caption, file actions off.
void TForm1::ResetAfterFailedOpen()
{
    ClearDocument();
    m_document.SetFile({});
    EnableFileActions(false);
    UpdateTitle(true);
    m_documentFile->Watcher().Unwatch();
    DocumentReplaced();
}

// ---- Caption, counters, enabling ------------------------------------------------

QString TForm1::EncodingName(int encodingIndex)
{
    switch (encodingIndex) {
    case EncUtf8:
        return QStringLiteral("UTF-8");
    case EncUtf16LE:
        return QStringLiteral("UTF-16LE");
    case EncUtf16BE:
        return QStringLiteral("UTF-16BE");
    default:
        return QStringLiteral("ANSI");
    }
}

quint32 TForm1::CodePageOf(int encodingIndex)
{
    switch (encodingIndex) {
    case EncAnsi:
        return KvEncoding::Ansi;
    case EncUtf16LE:
        return KvEncoding::Utf16LE;
    case EncUtf16BE:
        return KvEncoding::Utf16BE;
    default:
        return KvEncoding::Utf8;
    }
}

void TForm1::UpdateTitle(bool bare)
{
    QString title = QStringLiteral("Velmora's Quillon");
    if (!bare) {
        const TKvFileState &file = m_document.File();
        title += QStringLiteral("   [")
                 + (file.FileName.isEmpty() ? QStringLiteral("UnNamed.Ini") : file.FileName)
                 + QStringLiteral("] [")
                 + (file.Encrypted ? QStringLiteral("Encrypted") : EncodingName(file.EncodingIndex)) + u']';
        if (file.ReadOnly)
            title += QStringLiteral(" [Read Only]");
    }
    setWindowTitle(title);
}

void TForm1::UpdateCounters()
{
    const TKvIniCounts &counts = m_document.Counts();
    LbSectionCount->SetCaption(GroupThousands(QString::number(counts.Sections)));
    LbValueCount->SetCaption(GroupThousands(QString::number(counts.Values)));
    LbCommentCount->SetCaption(GroupThousands(QString::number(counts.Comments)));
    LbErrorCount->SetCaption(GroupThousands(QString::number(counts.Errors)));
    LbEmptyCount->SetCaption(GroupThousands(QString::number(counts.Blanks)));
}

void TForm1::EnableFileActions(bool enabled)
{
    for (QAction *action : {ActReload, ActSaveAs, ActSearch, ActFindNext, ActFindPrevious})
        action->setEnabled(enabled);
}

void TForm1::UpdateSelectionMenus()
{
    if (ClipCommands)
        ClipCommands->UpdateSelectionMenus();
}

void TForm1::PutOnClipboard(const QString &text, bool sectionFormat, bool itemFormat)
{
    ClipCommands->PutOnClipboard(text, sectionFormat, itemFormat);
}

void TForm1::UpdateClipboardState()
{
    ClipCommands->UpdateClipboardState();
}

void TForm1::SetLoadTime(quint64 ms)
{
    m_loadTimeMs = ms;
    LbLoadTime->SetCaption(QString::number(ms));
}

void TForm1::SetShowTime(quint64 ms)
{
    m_showTimeMs = ms;
    LbShowTime->SetCaption(QString::number(ms));
}

// ---- Start-up and shut-down ---------------------------------------------------

void TForm1::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_shown)
        FormShow();
}

void TForm1::FormShow()
{
    if (LastToolbarArt)
        setMinimumWidth(LastToolbarArt->geometry().right() + 1);
    LoadSettings(*this);
    ApplyPreferences(LoadPreferences());
    SizeIconColumns();
    LoadFileTimer->start();
    m_shown = true;

    // Lower densities get lower bars.
    const int dpi = ScreenDpi();
    const int barHeight = dpi < 100 ? 22 : dpi <= 124 ? 24 : Scaled(26);
    PnlTop->setFixedHeight(barHeight);
    PnlBottom->setFixedHeight(barHeight);
}

void TForm1::closeEvent(QCloseEvent *event)
{
    bool mayClose = false;
    RunCommand([&] { mayClose = m_documentFile->FormCloseQuery(); });
    if (!mayClose) {
        event->ignore();
        return;
    }
    SaveSettings(*this);
    event->accept();
}

// ---- Dropped files ----------------------------------------------------------------

void TForm1::dragEnterEvent(QDragEnterEvent *event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (std::any_of(urls.begin(), urls.end(), [](const QUrl &url) { return url.isLocalFile(); }))
        event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent *event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    event->acceptProposedAction();
    // Opened once the drop is over, so that the program the file came from is not kept waiting.
    QTimer::singleShot(0, this,
                       [this, urls] { RunCommand([&] { m_documentFile->DropFilesMessage(urls); }); });
}

// ---- Document hooks ---------------------------------------------------------------

void TForm1::DocumentReplaced() {}

void TForm1::DocumentSaved()
{
    m_document.MarkSaved();
}

// The save action follows the document's flag, the counters its changes; the
// lists let go of their selection before their rows start over.
void TForm1::FollowDocument()
{
    connect(&m_document, &TKvDocument::ModifiedChanged, ActSave, &QAction::setEnabled);
    connect(&m_document, &TKvDocument::CountsChanged, this, &TForm1::UpdateCounters);
    // Read-only files take no edits.
    connect(&m_document, &TKvDocument::FileStateChanged, this, [this] {
        ApplySectionRule();
        ApplyValueRule();
    });
    connect(&m_document, &TKvDocument::AboutToReset, this, [this] {
        DeselectBeforeRefill(LvValues);
        DeselectBeforeRefill(LvSections);
    });
    connect(&m_document, &TKvDocument::AboutToReorder, this, [this](TKvIniSection *section) {
        if (!section)
            DeselectBeforeRefill(LvSections);
        else if (section == m_valueModel->Section())
            DeselectBeforeRefill(LvValues);
    });
}
