// The editor's message box and the wrappers through which the program shows
// every question, error and notice.
#include "kvmsgbox.h"

#include "kvbutton.h"
#include "kvdialogbuttons.h"
#include "kvpanel.h"
#include "kvpngrc.h"
#include "kvsharppicture.h"

#include <QAccessible>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QFontMetrics>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <limits>
#include <utility>

namespace {

// Designed at 144 ppi.
constexpr int ClientWidth = 391;
constexpr int ClientHeight = 184;
constexpr int PictureLeft = 15;
constexpr int PictureWidth = 70;
constexpr int ButtonRowHeight = 53;
constexpr int ButtonWidth = 83;
constexpr int ButtonMargin = 10; // top, right and bottom of every button
constexpr int TextPadWidth = 24;
constexpr int TextPadHeight = 60;
// The pointer snap starts at the latest this long after showing, when no
// window manager activates the box.
constexpr int SnapFallbackMs = 300;
// How many more timer periods the box waits for its frame (no window manager
// frames it under a bare X server).
constexpr int FrameWaits = 30;

TKvMsgBoxHook &Hook()
{
    static TKvMsgBoxHook hook;
    return hook;
}

void MovePointerOnX11(const QPoint &global)
{
    if (TKvMsgBox::CanMovePointer())
        QCursor::setPos(global);
}

TKvMsgBox::TKvPointerMover &PointerMover()
{
    static TKvMsgBox::TKvPointerMover mover = MovePointerOnX11;
    return mover;
}

// The paint box: draws the box's picture centred in itself.
class TKvPictureBox : public QWidget
{
public:
    explicit TKvPictureBox(TKvMsgBox *box, QWidget *parent)
        : QWidget(parent)
        , m_box(box)
    {}

protected:
    void paintEvent(QPaintEvent *) override
    {
        const TKvPngRC *picture = m_box->Picture();
        if (!picture || picture->IsEmpty())
            return;
        const qreal ratio = devicePixelRatioF();
        if (m_shown != picture || m_ratio != ratio) {
            m_pixmap = KvSharpPicture(picture->objectName(), picture->Image(), ratio);
            m_shown = picture;
            m_ratio = ratio;
        }
        QPainter painter(this);
        painter.drawPixmap((width() - picture->Width()) / 2, (height() - picture->Height()) / 2, m_pixmap);
    }

private:
    TKvMsgBox *m_box;
    const TKvPngRC *m_shown = nullptr;
    qreal m_ratio = 0;
    QPixmap m_pixmap;
};

// Lines break only at the text's own line breaks, whichever convention it uses.
QString DisplayText(const QString &text)
{
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(u'\r', u'\n');
    return shown;
}

// What the picture of a kind tells, for assistive technology.
QString PictureName(int kind)
{
    switch (kind) {
    case kvIconQuestion:
        return QStringLiteral("Question");
    case kvIconExclamation:
        return QStringLiteral("Warning");
    case kvIconError:
        return QStringLiteral("Error");
    default:
        return QStringLiteral("Information");
    }
}

} // namespace

// ---- TKvMsgBox ----------------------------------------------------------------

TKvMsgBox::TKvMsgBox(QWidget *owner)
    : TKvGradientDialog(owner, TitleOnlyFlags | Qt::WindowStaysOnTopHint)
    , m_owner(owner)
{
    SetGradient(QColor(222, 235, 255), QColor(222, 235, 255));

    KvPanel1 = new TKvPanel(this);
    KvPanel1->setObjectName(QStringLiteral("KvPanel1"));
    KvPanel1->SetGradientFill(true);
    KvPanel1->SetGradientDirection(gdVertical);
    KvPanel1->SetClBegin(KvRgb(244, 249, 255));
    KvPanel1->SetClEnd(KvRgb(222, 235, 255));
    KvPanel1->SetBevelOuter(bvNone);
    KvPanel1->SetShowCaption(false);

    PaintBox = new TKvPictureBox(this, KvPanel1);
    PaintBox->setObjectName(QStringLiteral("PaintBox"));

    LbMsg = new QLabel(KvPanel1);
    LbMsg->setObjectName(QStringLiteral("LbMsg"));
    // Messages carry file names and file contents: never read them as markup.
    LbMsg->setTextFormat(Qt::PlainText);
    LbMsg->setWordWrap(false);
    LbMsg->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    PnlButtons = new TKvPanel(this);
    PnlButtons->setObjectName(QStringLiteral("PnlButtons"));
    PnlButtons->SetGradientFill(true);
    PnlButtons->SetGradientDirection(gdVertical);
    PnlButtons->SetClBegin(KvRgb(217, 224, 238));
    PnlButtons->SetClEnd(KvRgb(192, 204, 228));
    PnlButtons->SetBevelOuter(bvNone);
    PnlButtons->SetShowCaption(false);
    PnlButtons->OnPainted = [](TKvPanel *panel, QPainter *canvas, const TKvRect &) {
        canvas->fillRect(0, 0, panel->width(), 1, QColor(0x33, 0x66, 0xCC));
    };

    const bool danish = DanishUser();
    auto button = [&](const char *name, TKvModalResult result, const char *english, const char *dansk) {
        TKvButton *b = MakeDialogButton(PnlButtons, QString::fromLatin1(name),
                                        QString::fromUtf8(danish ? dansk : english), result);
        b->hide();
        b->setEnabled(false);
        return b;
    };
    // Left to right as they appear.
    ButRetry = button("ButRetry", tmrRetry, "&Retry", "&Gentag");
    ButOk = button("ButOk", tmrOK, "&Ok", "&Ok");
    ButYes = button("ButYes", tmrYes, "&Yes", "&Ja");
    ButAll = button("ButAll", tmrYesToAll, "&All Yes", "&Alle Ja");
    ButNo = button("ButNo", tmrNo, "&No", "&Nej");
    ButNone = button("ButNone", tmrNoToAll, "A&ll No", "A&lle Nej");
    ButIgnore = button("ButIgnore", tmrIgnore, "&Ignore", "&Ignorer");
    ButAbort = button("ButAbort", tmrAbort, "A&bort", "Af&bryd");
    ButCancel = button("ButCancel", tmrCancel, "&Cancel", "An&uller");

    auto picture = [this](const char *file) {
        auto *holder = new TKvPngRC(this);
        holder->SetAutoSize(true);
        holder->setObjectName(QString::fromLatin1(file)); // where its sharper sibling lies
        holder->LoadFromFile(QString::fromLatin1(file));
        return holder;
    };
    RcQuestion = picture(":/msg-question.png");
    RcExclamation = picture(":/msg-exclamation.png");
    RcError = picture(":/msg-error.png");
    RcInfo = picture(":/msg-info.png");

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(30);
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, &TKvMsgBox::Timer1Timer);

    SetDesignedClientSize(ClientWidth, ClientHeight);
}

TKvMsgBox::~TKvMsgBox() = default;

bool TKvMsgBox::DanishUser()
{
    return QLocale::system().territory() == QLocale::Denmark;
}

bool TKvMsgBox::CanMovePointer()
{
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

TKvMsgBox::TKvPointerMover TKvMsgBox::SetPointerMover(TKvPointerMover mover)
{
    return std::exchange(PointerMover(), mover ? std::move(mover) : TKvPointerMover(MovePointerOnX11));
}

QList<TKvButton *> TKvMsgBox::Buttons() const
{
    return {ButRetry, ButOk, ButYes, ButAll, ButNo, ButNone, ButIgnore, ButAbort, ButCancel};
}

TKvButton *TKvMsgBox::ButtonFor(TKvModalResult result) const
{
    for (TKvButton *button : Buttons())
        if (button->ModalResult() == result)
            return button;
    return nullptr;
}

void TKvMsgBox::SetMessage(const QString &text)
{
    if (text == m_message)
        return;
    m_message = text;
    LbMsg->setText(DisplayText(text));
    if (isVisible())
        FitText();
}

void TKvMsgBox::AddButton(TKvButton *button)
{
    if (!button)
        return;
    button->setEnabled(true);
    button->show();
    ++m_buttonCount;
    ArrangeControls();
}

void TKvMsgBox::SetIcon(int kind)
{
    if (kind == m_pictureKind)
        return;
    m_pictureKind = kind;
    switch (kind) {
    case kvIconQuestion:
        m_picture = RcQuestion;
        break;
    case kvIconExclamation:
        m_picture = RcExclamation;
        break;
    case kvIconError:
        m_picture = RcError;
        break;
    default:
        m_picture = RcInfo;
        break;
    }
    m_picture->resizePng();
    PaintBox->setAccessibleName(PictureName(kind));
    PaintBox->update();
}

void TKvMsgBox::ChooseDefaultButton()
{
    m_defaultButton = nullptr;
    for (TKvButton *button : {ButOk, ButYes, ButAll, ButRetry, ButIgnore, ButNo, ButNone, ButAbort}) {
        if (!button->isHidden()) {
            m_defaultButton = button;
            break;
        }
    }
    if (!m_defaultButton && !ButCancel->isHidden())
        m_defaultButton = ButCancel;
    if (TKvButton *chosen = ButtonFor(m_defaultResult); chosen && !chosen->isHidden())
        m_defaultButton = chosen;
    // Escape answers Cancel when it is there, else No.
    ButCancel->SetCancel(!ButCancel->isHidden());
    ButNo->SetCancel(!ButNo->isHidden() && ButCancel->isHidden());
    if (!m_defaultButton)
        return;
    m_defaultButton->SetDefault(true);
    m_defaultButton->setFocus();
    const QList<TKvButton *> buttons = Buttons();
    const int visible = int(
        std::count_if(buttons.cbegin(), buttons.cend(), [](const TKvButton *b) { return !b->isHidden(); }));
    if (visible >= 5)
        SetClientSize(size() + QSize((visible - 4) * (Scaled(ButtonWidth) + Scaled(ButtonMargin)), 0));
}

void TKvMsgBox::FitText()
{
    const int freeWidth = width() - (PaintBox->x() + PaintBox->width());
    const int freeHeight = height() - Scaled(ButtonRowHeight);
    const QSize text =
        QFontMetrics(LbMsg->font()).boundingRect(QRect(), Qt::AlignLeft | Qt::AlignTop, LbMsg->text()).size();
    QSize grown = size();
    if (text.width() > freeWidth - Scaled(TextPadWidth))
        grown.rwidth() += text.width() - freeWidth + Scaled(TextPadWidth);
    if (text.height() > freeHeight - Scaled(TextPadHeight))
        grown.rheight() += text.height() - freeHeight + Scaled(TextPadHeight);
    // A text wider or taller than the screen (a long line from a file) is
    // cut off rather than pushing the buttons out of reach.
    const QScreen *screen =
        m_owner && m_owner->screen() ? m_owner->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        const QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
        const QSize room = screen->availableGeometry().size().shrunkBy(frame);
        grown = grown.boundedTo(room).expandedTo(size().boundedTo(room));
    }
    if (grown != size())
        SetClientSize(grown);
}

QRect TKvMsgBox::PlacedInWorkArea(const QRect &frame)
{
    // The screen that holds the corner, else the one closest to it.
    const QPoint corner = frame.topLeft();
    QScreen *nearest = QGuiApplication::screenAt(corner);
    if (!nearest) {
        qint64 best = std::numeric_limits<qint64>::max();
        for (QScreen *screen : QGuiApplication::screens()) {
            const QRect area = screen->geometry();
            const qint64 dx = qMax(0, qMax(area.left() - corner.x(), corner.x() - area.right()));
            const qint64 dy = qMax(0, qMax(area.top() - corner.y(), corner.y() - area.bottom()));
            if (dx * dx + dy * dy < best) {
                best = dx * dx + dy * dy;
                nearest = screen;
            }
        }
    }
    if (!nearest)
        return frame;
    const QRect work = nearest->availableGeometry();
    QRect placed = frame;
    if (placed.right() > work.right())
        placed.moveRight(work.right());
    if (placed.bottom() > work.bottom())
        placed.moveBottom(work.bottom());
    if (placed.left() < work.left())
        placed.moveLeft(work.left());
    if (placed.top() < work.top())
        placed.moveTop(work.top());
    return placed;
}

QMargins TKvMsgBox::FrameMargins() const
{
    // Until the window manager has framed the box its frame is unknown; the
    // owner's, drawn by the same manager, is the best guess meanwhile.
    const QMargins own = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    if (!own.isNull())
        return own;
    const QWidget *reference = m_owner ? m_owner->window() : nullptr;
    return reference && reference != this && reference->windowHandle()
               ? reference->windowHandle()->frameMargins()
               : QMargins();
}

void TKvMsgBox::PlaceBox()
{
    const QMargins frame = FrameMargins();
    const QSize outer = size().grownBy(frame);
    QWidget *reference = m_owner ? m_owner->window() : nullptr;
    if (reference == this)
        reference = nullptr;
    QPoint topLeft;
    if (reference) {
        const QRect r = reference->frameGeometry();
        topLeft =
            QPoint(r.left() + (r.width() - outer.width()) / 2, r.top() + (r.height() - outer.height()) / 2);
    } else if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect s = screen->geometry();
        topLeft =
            QPoint(s.left() + (s.width() - outer.width()) / 2, s.top() + (s.height() - outer.height()) / 2);
    }
    const QPoint placed = PlacedInWorkArea(QRect(topLeft, outer)).topLeft();
    // The corner is the frame's: the client area goes inside it.
    move(placed + QPoint(frame.left(), frame.top()) - (geometry().topLeft() - pos()));
}

bool TKvMsgBox::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate)
        StartPointerSnap();
    return TKvGradientDialog::event(event);
}

void TKvMsgBox::StartPointerSnap()
{
    if (m_snapState != SnapWaiting)
        return;
    m_snapState = SnapStarted;
    QTimer::singleShot(20, this, &TKvMsgBox::SnapPointer);
}

void TKvMsgBox::SnapPointer()
{
    // The timer belongs to the box, so a destroyed box never gets here; a
    // closed one that still exists must not move the pointer either.
    if (!isVisible() || !m_defaultButton || !m_defaultButton->isVisible())
        return;
    const QPoint centre(m_defaultButton->width() / 2, m_defaultButton->height() / 2);
    PointerMover()(m_defaultButton->mapToGlobal(centre));
}

void TKvMsgBox::Timer1Timer()
{
    Timer1->stop();
    // The window manager may take longer than the timer to frame the box: it
    // is placed again, by its real frame, once that is known.
    const bool framed = windowHandle() && !windowHandle()->frameMargins().isNull();
    if (!framed && m_frameWaits-- > 0) {
        Timer1->start();
        return;
    }
    PlaceBox();
    raise();
}

void TKvMsgBox::showEvent(QShowEvent *event)
{
    ChooseDefaultButton();
    FitText();
    PlaceBox();
    // The snap waits for the window manager: until it has framed and
    // activated the box, the box's place on the screen is not yet known.
    m_snapState = SnapWaiting;
    QTimer::singleShot(SnapFallbackMs, this, &TKvMsgBox::StartPointerSnap);
    m_frameWaits = FrameWaits;
    Timer1->start();
    TKvGradientDialog::showEvent(event);
    // A screen reader reads an alert's title and text as it opens.
    if (QAccessible::isActive()) {
        QAccessibleEvent alert(this, QAccessible::Alert);
        QAccessible::updateAccessibility(&alert);
    }
}

void TKvMsgBox::resizeEvent(QResizeEvent *event)
{
    TKvGradientDialog::resizeEvent(event);
    ArrangeControls();
}

void TKvMsgBox::ArrangeControls()
{
    const int buttonRow = Scaled(ButtonRowHeight);
    const int panelHeight = height() - buttonRow;
    KvPanel1->setGeometry(0, 0, width(), panelHeight);
    PaintBox->setGeometry(Scaled(PictureLeft), 0, Scaled(PictureWidth), panelHeight);
    const int textLeft = PaintBox->x() + PaintBox->width();
    LbMsg->setGeometry(textLeft, 0, width() - textLeft, panelHeight);
    PnlButtons->setGeometry(0, panelHeight, width(), buttonRow);

    // From the right: every button keeps a margin at its top, right and bottom.
    const int margin = Scaled(ButtonMargin);
    const int buttonWidth = Scaled(ButtonWidth);
    int right = width();
    const QList<TKvButton *> buttons = Buttons();
    for (auto it = buttons.crbegin(); it != buttons.crend(); ++it) {
        if ((*it)->isHidden())
            continue;
        right -= margin;
        (*it)->setGeometry(right - buttonWidth, margin, buttonWidth, buttonRow - 2 * margin);
        right -= buttonWidth;
    }
}

void TKvMsgBox::closeEvent(QCloseEvent *event)
{
    // Some window managers offer a close button whatever the box asks for:
    // there it answers as Escape does, and a box with OK alone closes with OK.
    if (ButCancel->isHidden() && ButNo->isHidden() && !ButOk->isHidden())
        done(tmrOK);
    else
        reject();
    event->setAccepted(!isVisible());
}

void TKvMsgBox::reject()
{
    if (!ButCancel->isHidden())
        done(tmrCancel);
    else if (!ButNo->isHidden())
        done(tmrNo);
}

// ---- The wrappers ---------------------------------------------------------------

namespace {

TKvModalResult Show(const TKvMsgBoxRequest &request, QWidget *owner)
{
    if (Hook())
        return Hook()(request);

    const QPointer<TKvMsgBox> box = new TKvMsgBox(owner);
    // The box frees itself when it closes.
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowTitle(request.caption);
    box->SetMessage(request.text);
    for (TKvModalResult result : request.buttons)
        box->AddButton(box->ButtonFor(result));
    box->SetIcon(request.pictureKind);
    box->SetDefaultResult(request.defaultButton);
    const int result = box->exec();
    if (result == tmrNone) // closed some other way
        return request.buttons.contains(tmrCancel) ? tmrCancel : request.buttons.last();
    return TKvModalResult(result);
}

} // namespace

TKvMsgBoxHook SetMsgBoxHook(TKvMsgBoxHook hook)
{
    return std::exchange(Hook(), std::move(hook));
}

void ShowMsgBox(const QString &caption, const QString &text, int pictureKind, QWidget *owner)
{
    Show({caption, text, pictureKind, {tmrOK}}, owner);
}

void InfoBox(const QString &caption, const QString &text, QWidget *owner)
{
    ShowMsgBox(caption, text, kvIconInfo, owner);
}

void ErrorBox(const QString &caption, const QString &text, QWidget *owner)
{
    ShowMsgBox(caption, text, kvIconError, owner);
}

bool YesNoBox(const QString &caption, const QString &text, QWidget *owner)
{
    return Show({caption, text, kvIconQuestion, {tmrYes, tmrNo}}, owner) == tmrYes;
}

bool YesNoBoxDefaultNo(const QString &caption, const QString &text, QWidget *owner)
{
    TKvMsgBoxRequest request{caption, text, kvIconQuestion, {tmrYes, tmrNo}};
    request.defaultButton = tmrNo;
    return Show(request, owner) == tmrYes;
}

TKvModalResult YesNoCancelBox(const QString &caption, const QString &text, QWidget *owner)
{
    return Show({caption, text, kvIconQuestion, {tmrYes, tmrNo, tmrCancel}}, owner);
}
