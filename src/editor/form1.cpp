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
    FollowDocument();
    // No document and nothing selected yet: New and Open, and the program's own commands.
    EnableFileActions(false);
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
    m_hasDocument = enabled;
    UpdateActions();
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

void TForm1::DocumentSaved()
{
    m_document.MarkSaved();
}

// The save action follows the document's flag, the counters its changes; the
// lists let go of their selection before their rows start over.
void TForm1::FollowDocument()
{
    connect(&m_document, &TKvDocument::ModifiedChanged, this, &TForm1::UpdateActions);
    connect(m_document.UndoStack(), &QUndoStack::indexChanged, this, &TForm1::UpdateActions);
    connect(&m_document, &TKvDocument::CountsChanged, this, &TForm1::UpdateCounters);
    // Read-only files take no edits.
    connect(&m_document, &TKvDocument::FileStateChanged, this, &TForm1::UpdateActions);
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
