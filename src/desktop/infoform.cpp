#include "infoform.h"

#include "kvbutton.h"
#include "kvconfig.h"
#include "kvdialogbuttons.h"
#include "kvimagelist.h"
#include "kvmsgbox.h"
#include "kvpngrc.h"
#include "kvshell.h"
#include "kvversioninfo.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>

namespace {
// Designed at 144 ppi.
constexpr int InnerBorder = 10;
constexpr int SpaceHeight = 12;
constexpr int RowHeight = 28;
constexpr int BottomHeight = 35;
constexpr int OkWidth = 92;
constexpr int NameFontHeight = 22;
} // namespace

const QString TInfoForm::Copyright = QStringLiteral("Copyright \u00A9 2026 Velmora Software");

// ---- TKvCentredRow ---------------------------------------------------------------

TKvCentredRow::TKvCentredRow(QWidget *parent) : QWidget(parent), m_inner(new QWidget(this))
{
    auto *layout = new QHBoxLayout(m_inner);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
}

void TKvCentredRow::Recentre()
{
    m_inner->resize(m_inner->sizeHint().width(), height());
    m_inner->move((width() - m_inner->width()) / 2, 0);
}

void TKvCentredRow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Recentre();
}

// ---- TInfoForm -------------------------------------------------------------------

TInfoForm::TInfoForm(QWidget *owner)
    : TKvGradientDialog(owner, Qt::Dialog | Qt::FramelessWindowHint)
    , ExecutablePath(QCoreApplication::applicationFilePath())
    , KeyboardState(&QGuiApplication::queryKeyboardModifiers)
    , m_owner(owner)
{
    setObjectName(QStringLiteral("InfoForm"));

    PnlSurface = new QWidget(this);
    PnlSurface->setObjectName(QStringLiteral("PnlSurface"));
    auto *rows = new QVBoxLayout(PnlSurface);
    rows->setSpacing(0);

    Logo = new TKvPngRC(this);
    Logo->SetAutoSize(true);
    Logo->LoadFromFile(QStringLiteral(":/logo.png"));
    ImgLogo = new QLabel(PnlSurface);
    ImgLogo->setObjectName(QStringLiteral("ImgLogo"));
    ImgLogo->setAlignment(Qt::AlignCenter);
    ImgLogo->setPixmap(QPixmap::fromImage(Logo->Image()));
    ImgLogo->setFixedHeight(Logo->Height());

    auto space = [this](const char *name) {
        auto *panel = new QWidget(PnlSurface);
        panel->setObjectName(QString::fromLatin1(name));
        return panel;
    };
    auto rowLabel = [this](const char *name) {
        auto *label = new QLabel(PnlSurface);
        label->setObjectName(QString::fromLatin1(name));
        label->setAlignment(Qt::AlignCenter);
        label->setTextFormat(Qt::PlainText);
        label->setFixedHeight(Scaled(RowHeight));
        return label;
    };
    PnlSpace1 = space("PnlSpace1");
    PnlSpace1->setFixedHeight(Scaled(SpaceHeight));

    PnlAppName = rowLabel("PnlAppName");
    QFont nameFont = font();
    nameFont.setBold(true);
    nameFont.setPixelSize(Scaled(NameFontHeight));
    PnlAppName->setFont(nameFont);
    PnlAppName->setCursor(Qt::PointingHandCursor);
    PnlAppName->setToolTip(QStringLiteral(" Click to copy to Clipboard "));
    PnlAppName->installEventFilter(this);

    PnlCopyright = rowLabel("PnlCopyright");

    auto linkRow = [this](const char *rowName, const char *before, const char *linkName, const char *link,
                          const char *after, const char *hint, QLabel **linkLabel) {
        auto *row = new TKvCentredRow(PnlSurface);
        row->setObjectName(QString::fromLatin1(rowName));
        row->setFixedHeight(Scaled(RowHeight));
        auto *layout = static_cast<QHBoxLayout *>(row->Inner()->layout());
        auto plain = [row](const char *text) {
            auto *label = new QLabel(QString::fromLatin1(text), row->Inner());
            label->setTextFormat(Qt::PlainText);
            return label;
        };
        *linkLabel = plain(link);
        (*linkLabel)->setObjectName(QString::fromLatin1(linkName));
        QFont underlined = (*linkLabel)->font();
        underlined.setUnderline(true);
        (*linkLabel)->setFont(underlined);
        QPalette palette = (*linkLabel)->palette();
        palette.setColor(QPalette::WindowText, palette.color(QPalette::Link));
        (*linkLabel)->setPalette(palette);
        (*linkLabel)->setCursor(Qt::PointingHandCursor);
        (*linkLabel)->setToolTip(QString::fromLatin1(hint));
        (*linkLabel)->installEventFilter(this);
        layout->addWidget(plain(before));
        layout->addWidget(*linkLabel);
        layout->addWidget(plain(after));
        return row;
    };
    PnlWeb = linkRow("PnlWeb", "Visit:  ", "LbWebSite", " Velmora software ", "  on the Web",
                     " Ctrl + Click to copy Web Address to clipboard ", &LbWebSite);
    PnlMail = linkRow("PnlMail", "Send a  ", "LbEmail", " Bug Report ", "  to Velmora Software",
                      " Ctrl + Click to copy Mail Address to clipboard ", &LbEmail);

    PnlSpace2 = space("PnlSpace2");

    PnlBottom = space("PnlBottom");
    PnlBottom->setFixedHeight(Scaled(BottomHeight));
    IlGlyph = new TKvImageList(16, 16, this);
    IlGlyph->AddStrip(QImage(QStringLiteral(":/ok.png")).convertToFormat(QImage::Format_ARGB32));
    ButOk = MakeDialogButton(PnlBottom, QStringLiteral("ButOk"), QStringLiteral("OK"), tmrOK);
    ButOk->SetImages(IlGlyph);
    ButOk->SetImageIndex(0);
    ButOk->SetDefault(true);
    auto *bottom = new QHBoxLayout(PnlBottom);
    bottom->setContentsMargins(0, 0, 0, 0);
    bottom->addStretch(1);
    ButOk->setFixedSize(Scaled(OkWidth), Scaled(BottomHeight));
    bottom->addWidget(ButOk);

    for (QWidget *row : {static_cast<QWidget *>(ImgLogo), PnlSpace1, static_cast<QWidget *>(PnlAppName),
                         static_cast<QWidget *>(PnlCopyright), static_cast<QWidget *>(PnlWeb),
                         static_cast<QWidget *>(PnlMail), PnlSpace2, PnlBottom})
        rows->addWidget(row);
    rows->setStretchFactor(PnlSpace2, 1);
    ButOk->setFocus();
}

TInfoForm::~TInfoForm() = default;

QString TInfoForm::AppNameText() const
{
    return KvConfig::AppName.toString() + u' ' + m_versionText;
}

QString TInfoForm::MailAddress() const
{
    // No space between the address and "?": it would become part of the address.
    return QStringLiteral("Mailto:") + KvConfig::BugReportAddress.toString() + QStringLiteral("?Subject=BugReport ")
           + KvConfig::AppName.toString() + QStringLiteral("  ") + m_versionText;
}

QString TInfoForm::MailCopyText() const
{
    return KvConfig::BugReportAddress.toString() + QStringLiteral("  ") + KvConfig::AppName.toString()
           + QStringLiteral("  ") + m_versionText;
}

void TInfoForm::FormShow()
{
    const int border = Scaled(InnerBorder);
    PnlSurface->layout()->setContentsMargins(border, border, border, border);

    const QString version = FileVersionString(ExecutablePath, QStringLiteral("FileVersion"));
    m_versionText = version.isEmpty() ? QString() : QStringLiteral("ver. ") + version;
    PnlAppName->setText(AppNameText());
    PnlCopyright->setText(Copyright);

    const int width = Logo->Width() + Scaled(40);
    const int height = Logo->Height() + 4 * Scaled(RowHeight) + Scaled(BottomHeight) + 2 * Scaled(SpaceHeight)
                       + 2 * border;
    SetClientSize(QSize(width, height));
    PnlSurface->setGeometry(0, 0, width, height);
    PnlWeb->Recentre();
    PnlMail->Recentre();

    // Centred on the main window, and wholly on the screen: the dialog cannot
    // be moved afterwards, so a part off the screen would stay out of reach.
    QPoint topLeft;
    QWidget *main = m_owner ? m_owner->window() : nullptr;
    if (main) {
        const QRect r = main->frameGeometry();
        topLeft = QPoint(r.left() + (r.width() - width) / 2, r.top() + (r.height() - height) / 2);
    } else if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect s = screen->geometry();
        topLeft = QPoint(s.left() + (s.width() - width) / 2, s.top() + (s.height() - height) / 2);
    }
    if (topLeft.x() < 0)
        topLeft.setX(0);
    m_fixedPos = TKvMsgBox::PlacedInWorkArea(QRect(topLeft, QSize(width, height))).topLeft();
    move(m_fixedPos);
    m_shown = true;
}

void TInfoForm::showEvent(QShowEvent *event)
{
    if (!m_shown)
        FormShow();
    TKvGradientDialog::showEvent(event);
}

void TInfoForm::moveEvent(QMoveEvent *event)
{
    TKvGradientDialog::moveEvent(event);
    // Whoever moves it, it goes back.
    if (m_shown && pos() != m_fixedPos)
        move(m_fixedPos);
}

void TInfoForm::paintEvent(QPaintEvent *event)
{
    TKvGradientDialog::paintEvent(event);
    // Without a title bar a thin edge keeps it apart from what lies behind.
    QPainter painter(this);
    painter.setPen(GradientBottom().darker(150));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

bool TInfoForm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        if (watched == PnlAppName)
            PnlAppNameClick();
        else if (watched == LbWebSite)
            LbWebSiteClick();
        else if (watched == LbEmail)
            LbEmailClick();
    }
    return TKvGradientDialog::eventFilter(watched, event);
}

void TInfoForm::PnlAppNameClick()
{
    QApplication::clipboard()->setText(PnlAppName->text());
}

void TInfoForm::LbWebSiteClick()
{
    if (KeyboardState() & Qt::ControlModifier)
        QApplication::clipboard()->setText(KvConfig::WebSiteUrl.toString());
    else
        OpenWithShell(KvConfig::WebSiteUrl.toString());
}

void TInfoForm::LbEmailClick()
{
    const Qt::KeyboardModifiers keys = KeyboardState();
    if (!(keys & Qt::ControlModifier))
        OpenWithShell(MailAddress());
    else if (keys & Qt::ShiftModifier)
        QApplication::clipboard()->setText(MailCopyText());
    else
        QApplication::clipboard()->setText(KvConfig::BugReportAddress.toString());
}

void TInfoForm::reject() {}
