// The main window: composition, actions, caption, counters and colours.
#include "form1.h"

#include "clipboardcommands.h"
#include "commands/editcontext.h"
#include "compare/comparesession.h"
#include "dialogs/kvmemo.h"
#include "dialogs/preferencesdlg.h"
#include "document/documentfile.h"
#include "document/filewatcher.h"
#include "kvart.h"
#include "kvconfig.h"
#include "kvfirstrun.h"
#include "kvfunctions.h"
#include "kvgradilabel.h"
#include "kvimagelist.h"
#include "kvmanual.h"
#include "kvmsgbox.h"
#include "document/hashcomments.h"
#include "kvshell.h"
#include "lists/kvfilterbar.h"
#include "sectionmodel.h"
#include "settings/preferences.h"
#include "settings/recentfiles.h"
#include "settings/settingsstore.h"
#include "shortcutfrm.h"
#include "valuemodel.h"
// Complete types for the window's command members.
#include "findallpane.h"
#include "findcommands.h"
#include "replacecommands.h"
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

    LoadImageLists();
    CreateLists();
    CreateCommands();
    CreateActions();
    CreateToolbar();
    CreateStatusBar();
    m_recentFiles = new TKvRecentFiles(GlOpen, this);
    MRUList = &m_recentFiles->List();
    m_hashComments = new TKvHashComments(m_document, *m_documentFile, *MRUList, this);
    m_documentFile->SetHashCommentsRule(
        [this](const QString &path) { return m_hashComments->ReadsHashComments(path); });
    connect(m_hashComments, &TKvHashComments::OfferChanged, this, &TForm1::ShowHashCommentsOffer);
    PopupMRU = m_recentFiles->Menu();
    MruTimer = m_recentFiles->LongPressTimer();
    MruCheck = m_recentFiles->CheckTimer();
    connect(m_recentFiles, &TKvRecentFiles::OpenRequested, this,
            [this](const QString &path, int encodingIndex) {
                RunCommand([&] {
                    if (m_documentFile->AskSaveChanges() == TKvOutcome::Done)
                        m_documentFile->OpenFile(path, encodingIndex);
                });
            });

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(PnlTop);
    // The matches of Find All take a quarter of the height, and the person can drag it.
    auto *listsAndMatches = new QSplitter(Qt::Vertical, this);
    listsAndMatches->setObjectName(QStringLiteral("ListsAndMatches"));
    listsAndMatches->setChildrenCollapsible(false);
    auto *listsPane = new QWidget(this);
    listsPane->setObjectName(QStringLiteral("PnlLists"));
    auto *listsLayout = new QVBoxLayout(listsPane);
    listsLayout->setContentsMargins(0, 0, 0, 0);
    listsLayout->setSpacing(0);
    listsLayout->addWidget(FilterBar);
    listsLayout->addWidget(Splitter1, 1);
    listsAndMatches->addWidget(listsPane);
    listsAndMatches->addWidget(FindAllPane);
    listsAndMatches->setStretchFactor(0, 3);
    listsAndMatches->setStretchFactor(1, 1);
    layout->addWidget(listsAndMatches, 1);
    layout->addWidget(PnlBottom);

    LoadFileTimer = new QTimer(this);
    LoadFileTimer->setSingleShot(true);
    LoadFileTimer->setInterval(50);
    connect(LoadFileTimer, &QTimer::timeout, this, [this] {
        LoadFileTimer->stop();
        RunCommand([this] { m_documentFile->LoadFileTimerTimer(m_commandLine); });
        m_clipCommands->UpdateClipboardState();
    });

    resize(Scaled(1127), Scaled(757));
    FollowDocument();
    FollowDocumentForComparison();
    // No document and nothing selected yet: New and Open, and the program's own commands.
    UpdateActions();
}

void TForm1::CreateLists()
{
    FindAllPane = new TFindAllPane(m_document, this);
    FindAllPane->setObjectName(QStringLiteral("FindAllPane"));
    FindAllPane->hide();
    connect(FindAllPane, &TFindAllPane::SelectRequested, this,
            [this](TKvIniSection *section, TKvIniVal *val) { SelectResult(*Lists, section, val); });
    connect(FindAllPane, &TFindAllPane::Closed, this, [this] {
        FindAllPane->hide();
        LvValues->setFocus();
    });
    Lists = new TKvLists(m_document, QSize(IlItems->Width(), IlItems->Height()), this);
    Lists->SetIcons(m_sectionIcon, m_kindIcons);
    Splitter1 = Lists;
    LvSections = Lists->LvSections;
    LvValues = Lists->LvValues;
    FilterBar = new TKvFilterBar(*Lists, this);
    // Leaving the filter box goes on in the list that shows something.
    connect(FilterBar, &TKvFilterBar::Done, this, [this] {
        (LvValues->model()->rowCount() > 0 && LvValues->currentIndex().isValid() ? LvValues : LvSections)
            ->setFocus();
    });
    connect(Lists, &TKvLists::SelectionChanged, this, [this] {
        UpdateActions();
        UpdateSelectionMenus();
    });
    connect(Lists, &TKvLists::ShowTimeChanged, this, &TForm1::SetShowTime);
    connect(Lists, &TKvLists::SectionActivated, this, [this] {
        if (ActEditSection->isEnabled())
            ActEditSection->trigger();
    });
    connect(Lists, &TKvLists::ValueActivated, this, [this] {
        if (ActEditItem->isEnabled())
            ActEditItem->trigger();
    });
}

// The command units get the document, the lists and the window as their dialogs' parent.
void TForm1::CreateCommands()
{
    const TKvEditContext context{m_document, *Lists, this};
    m_sectionCommands = std::make_unique<TSectionCommands>(context);
    m_itemCommands = std::make_unique<TItemCommands>(context);
    m_findCommands = std::make_unique<TFindCommands>(context, m_search);
    m_findCommands->SetFindAllPane(FindAllPane);
    m_replaceCommands = std::make_unique<TReplaceCommands>(m_document, *Lists, this, m_search);
    m_replaceCommands->SetValuesOnlyQuery([this] { return Lists->ValuesOnly(); });
    m_clipCommands = std::make_unique<TClipboardCommands>(context, *m_itemCommands, *m_sectionCommands);
    connect(m_clipCommands.get(), &TClipboardCommands::ClipboardStateChanged, this,
            &TForm1::UpdateSelectionMenus);
    m_documentFile = new TKvDocumentFile(context, this);
    connect(m_documentFile, &TKvDocumentFile::LoadTimeMeasured, this, &TForm1::SetLoadTime);
    connect(m_documentFile, &TKvDocumentFile::FileNamed, this,
            [this](const QString &path, int encodingIndex) {
                if (MRUList)
                    MRUList->AddRecentFile(path, encodingIndex);
            });
}

TForm1::~TForm1()
{
    // The recent files go while the window is still whole: they watch the Open
    // button and clean up the window's menu, which a child destroyed after this
    // destructor would do on a half-gone window.
    delete m_recentFiles;
    m_recentFiles = nullptr;
    // The window stops following the document, and the lists let go of it, before it goes.
    m_document.disconnect(this);
    m_document.UndoStack()->disconnect(this);
    delete Lists;
    Lists = nullptr;
}

int TForm1::ScreenDpi() const
{
    return KvScaled(this, 144);
}

int TForm1::Scaled(int designed) const
{
    return KvScaled(this, designed);
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
    RunShowingFileErrors(command, this);
}

TKvSettingsTarget TForm1::SettingsTarget()
{
    TKvSettingsTarget target;
    target.Window = this;
    target.Lists = Lists;
    target.RecentFiles = MRUList;
    target.Search = &m_search;
    target.ValuesOnly = Lists->ValuesOnly();
    target.Colours = m_colourScheme;
    return target;
}

void TForm1::OpenFile(const QString &path, int encodingIndex)
{
    m_documentFile->OpenFile(path, encodingIndex);
}

void TForm1::ClearDocument()
{
    m_documentFile->Close();
}

// ---- Caption, counters, enabling ------------------------------------------------

// The bare caption while no document is open.
void TForm1::UpdateTitle()
{
    QString title = QStringLiteral("Velmora's Quillon");
    const TKvFileState &file = m_document.File();
    if (file.Open) {
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

void TForm1::ShowChecked(TKvGradiLabel *box, bool on)
{
    box->SetChecked(on);
    box->SetImageIndex(on ? 12 : 11);
    box->SetImageHotIndex(on ? 14 : 13);
}

// The status bar offers "#" comments for a file that looks written with them,
// checked while they are on; a file without such lines has no use for it.
void TForm1::ShowHashCommentsOffer()
{
    const bool on = m_hashComments->On();
    GlHashComments->setVisible(m_hashComments->Offered());
    ShowChecked(GlHashComments, on);
    GlHashComments->SetHint(on ? QStringLiteral(" Lines Starting with # are Comments in this File (Ctrl+Shift+H) ")
                               : QStringLiteral(" This File's Comment Lines Start with #: Click to Read Them as "
                                                "Comments (Remembered for this File, Ctrl+Shift+H) "));
}

void TForm1::SetLoadTime(quint64 ms)
{
    m_loadTimeMs = ms;
    LbLoadTime->SetCaption(QString::number(ms));
}

void TForm1::SetShowTime(quint64 ms)
{
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
    TKvSettingsTarget settings = SettingsTarget();
    LoadSettings(settings);
    m_colourScheme = settings.Colours;
    ApplyColourScheme();
    SetValuesOnly(settings.ValuesOnly);
    ApplyPreferences(LoadPreferences());
    Lists->SizeIconColumns();
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
    SaveSettings(SettingsTarget());
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

// ---- Following the document ----------------------------------------------------------

// The actions, the caption and the counters follow the document.
void TForm1::FollowDocument()
{
    connect(&m_document, &TKvDocument::ModifiedChanged, this, &TForm1::UpdateActions);
    connect(m_document.UndoStack(), &QUndoStack::indexChanged, this, &TForm1::UpdateActions);
    connect(&m_document, &TKvDocument::CountsChanged, this, &TForm1::UpdateCounters);
    // Read-only files take no edits; an open document shows its file in the caption.
    connect(&m_document, &TKvDocument::FileStateChanged, this, [this] {
        UpdateTitle();
        UpdateActions();
        UpdateSelectionMenus();
    });
}
