// The custom button: states, layout, painting, keys, groups, modal results.
#include "kvbutton.h"

#include "kvbmp.h"
#include "kvhsl.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDynamicPropertyChangeEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QShortcutEvent>
#include <QToolTip>

namespace {

constexpr QChar Currency = u'\u00A4';

bool IsBreakPair(const QString &text, qsizetype i)
{
    const QChar a = text.at(i);
    return i + 1 < text.size() && text.at(i + 1) == a && (a == u'|' || a == u'*' || a == Currency);
}

// Every pair "||", "**" and "¤¤" from `from` on is replaced by `lineBreak`.
QString ReplaceBreakPairs(const QString &text, qsizetype from, const QString &lineBreak)
{
    QString result = text.left(from);
    for (qsizetype i = from; i < text.size();) {
        if (IsBreakPair(text, i)) {
            result.append(lineBreak);
            i += 2;
        } else {
            result.append(text.at(i));
            ++i;
        }
    }
    return result;
}

TColor HalfColour(TColor c)
{
    return (ResolveColor(c) >> 1) & 0x7F7F7Fu;
}

TColor GreyColour(TColor c)
{
    const quint32 g = GreyOf(c);
    return KvRgb(g, g, g);
}

// One per window: Escape, Enter and characters that the focused control did
// not take reach the window, and this offers them to the window's buttons in
// their order in the window (the first button that answers wins).
class TKvDialogKeys : public QObject
{
public:
    explicit TKvDialogKeys(QWidget *window)
        : QObject(window)
        , m_window(window)
    {
        window->installEventFilter(this);
    }

    static void Attach(QWidget *window)
    {
        if (!window)
            return;
        for (QObject *child : window->children())
            if (dynamic_cast<TKvDialogKeys *>(child))
                return;
        new TKvDialogKeys(window);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_window || event->type() != QEvent::KeyPress)
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        const QList<TKvButton *> buttons = m_window->findChildren<TKvButton *>();
        for (TKvButton *button : buttons)
            if (button->window() == m_window && button->DialogKey(key->key(), key->modifiers()))
                return true;
        if (key->modifiers() & (Qt::ControlModifier | Qt::MetaModifier))
            return false;
        QString text = key->text();
        if (text.isEmpty() && key->key() >= Qt::Key_Space && key->key() <= Qt::Key_AsciiTilde)
            text = QChar(key->key());
        if (text.isEmpty() || !text.at(0).isPrint())
            return false;
        for (TKvButton *button : buttons)
            if (button->window() == m_window && button->DialogChar(text))
                return true;
        return false;
    }

private:
    QWidget *m_window;
};

} // namespace

// --- TKvButtonActionLink ---------------------------------------------------

TKvButtonActionLink::TKvButtonActionLink(TKvButton *client, QAction *action)
    : QObject(client)
    , m_client(client)
    , m_action(action)
{
    m_actionImageIndex = ActionImageIndex(action);
    connect(action, &QAction::changed, this, &TKvButtonActionLink::ActionChanged);
    action->installEventFilter(this);
}

TKvButtonActionLink::~TKvButtonActionLink()
{
    if (m_action)
        m_action->removeEventFilter(this);
}

int TKvButtonActionLink::ActionImageIndex(const QAction *action)
{
    if (!action)
        return -1;
    const QVariant value = action->property(ImageIndexProperty);
    bool ok = false;
    const int index = value.toInt(&ok);
    return ok ? index : -1;
}

void TKvButtonActionLink::SetActionImageIndex(QAction *action, int index)
{
    if (action)
        action->setProperty(ImageIndexProperty, index);
}

bool TKvButtonActionLink::IsImageIndexLinked() const
{
    return m_action && m_client->ImageIndex() == m_actionImageIndex;
}

void TKvButtonActionLink::SetImageIndex(int value)
{
    if (IsImageIndexLinked())
        m_client->SetImageIndex(value);
}

void TKvButtonActionLink::ActionChange(bool checkDefaults)
{
    if (!m_action)
        return;
    m_actionText = m_action->text();
    if (!m_actionText.isEmpty() && (!checkDefaults || m_client->Caption().isEmpty()))
        m_client->SetCaption(m_actionText);
    if (!checkDefaults || m_client->Hint().isEmpty())
        m_client->SetHint(m_action->statusTip());
    m_client->setEnabled(m_action->isEnabled());
    m_actionImageIndex = ActionImageIndex(m_action);
    if (!checkDefaults || m_client->ImageIndex() == -1)
        m_client->SetImageIndex(m_actionImageIndex);
}

void TKvButtonActionLink::ActionChanged()
{
    if (!m_action)
        return;
    if (m_action->text() != m_actionText) {
        m_actionText = m_action->text();
        if (!m_actionText.isEmpty())
            m_client->SetCaption(m_actionText);
    }
    m_client->SetHint(m_action->statusTip());
    m_client->setEnabled(m_action->isEnabled());
}

bool TKvButtonActionLink::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_action && event->type() == QEvent::DynamicPropertyChange
        && static_cast<QDynamicPropertyChangeEvent *>(event)->propertyName() == ImageIndexProperty) {
        const int index = ActionImageIndex(m_action);
        SetImageIndex(index);
        m_actionImageIndex = index;
    }
    return false;
}

// --- TKvButton: properties -------------------------------------------------

TKvButton::TKvButton(QWidget *parent)
    : TKvCustomControl(parent)
{
    resize(90, 32);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    UpdateBmpFont();
    attachDialogKeys();
}

TKvButton::~TKvButton() = default;

void TKvButton::setColour(TColor &field, TColor value)
{
    if (field != value) {
        field = value;
        update();
    }
}

void TKvButton::setImageIndex(int &field, int value)
{
    if (field == value)
        return;
    if (field == -1 || value == -1)
        m_layoutDirty = true;
    field = value;
    update();
}

void TKvButton::setLayoutDirty()
{
    m_layoutDirty = true;
    update();
}

void TKvButton::SetAllowAllUp(bool allow)
{
    if (m_allowAllUp == allow)
        return;
    m_allowAllUp = allow;
    updateExclusiveDown();
    update();
}

void TKvButton::SetButtonStyle(TKvButtonStyle style)
{
    if (m_buttonStyle == style)
        return;
    m_buttonStyle = style;
    // Only the plain button may live without hot tracking.
    if (style != bstButton)
        TKvCustomControl::setAlive(true);
    update();
}

void TKvButton::setAlive(bool alive)
{
    TKvCustomControl::setAlive(alive);
    if (!alive)
        m_buttonStyle = bstButton;
    update();
}

// The dark set: hot is the colour itself, disabled its grey, dimmed the
// colour with a third of its saturation taken away.
void TKvButton::SetClAutoDark(TColor colour)
{
    m_clAutoDark = colour;
    m_clHotDark = colour;
    m_clDisabDark = GreyColour(colour);
    TKvHsl hsl = ColorToHsl(colour);
    hsl.Saturation = quint8(hsl.Saturation - hsl.Saturation / 3);
    m_clDimmedDark = HslToColor(hsl);
    update();
}

// The light set: hot is the colour itself, disabled its grey, dimmed the
// colour with a third of its saturation and a fifteenth less lightness.
void TKvButton::SetClAutoLight(TColor colour)
{
    m_clAutoLight = colour;
    m_clHotLight = colour;
    m_clDisabLight = GreyColour(colour);
    TKvHsl hsl = ColorToHsl(colour);
    hsl.Saturation = quint8(hsl.Saturation / 3);
    hsl.Lightness = quint8(hsl.Lightness - hsl.Lightness / 15);
    m_clDimmedLight = HslToColor(hsl);
    update();
}

void TKvButton::SetDefault(bool on)
{
    if (m_default == on)
        return;
    m_default = on;
    m_activeDefault = on;
    update();
}

void TKvButton::SetDown(bool down)
{
    if (m_down == down)
        return;
    // A latched button comes up only where the group allows all up.
    if (m_down && !m_allowAllUp)
        return;
    m_down = m_groupIndex != 0 && down;
    update();
    if (m_down)
        updateExclusiveDown();
}

void TKvButton::SetFocusStyle(TKvFocusStyle style)
{
    if (m_focusStyle != style) {
        m_focusStyle = style;
        update();
    }
}

void TKvButton::SetGroupIndex(int index)
{
    if (m_groupIndex == index)
        return;
    m_groupIndex = index;
    updateExclusiveDown();
    update();
}

void TKvButton::SetImageAlignment(TKvImageAlignment alignment)
{
    if (m_imageAlignment != alignment) {
        m_imageAlignment = alignment;
        setLayoutDirty();
    }
}

void TKvButton::SetImageMargins(const QMargins &margins)
{
    if (m_imageMargins != margins) {
        m_imageMargins = margins;
        setLayoutDirty();
    }
}

void TKvButton::SetImages(TKvImageList *images)
{
    if (m_images == images)
        return;
    if (m_images)
        disconnect(m_images, nullptr, this, nullptr);
    m_images = images;
    if (images) {
        connect(images, &TKvImageList::Changed, this, qOverload<>(&QWidget::update));
        connect(images, &QObject::destroyed, this, [this] { setLayoutDirty(); });
    }
    setLayoutDirty();
}

void TKvButton::SetLayoutStyle(TKvLayoutStyle style)
{
    if (m_layoutStyle != style) {
        m_layoutStyle = style;
        setLayoutDirty();
    }
}

void TKvButton::SetMarkPos(TKvPosInRect pos)
{
    if (m_markPos != pos) {
        m_markPos = pos;
        update();
    }
}

void TKvButton::SetMarkShape(TKvShape shape)
{
    if (m_markShape != shape) {
        m_markShape = shape;
        update();
    }
}

void TKvButton::SetMarkShow(bool show)
{
    if (m_markShow != show) {
        m_markShow = show;
        update();
    }
}

void TKvButton::SetMarkSize(TKvThreeSizes size)
{
    if (m_markSize != size) {
        m_markSize = size;
        update();
    }
}

void TKvButton::SetPipeGradient(bool pipe)
{
    if (m_pipeGradient != pipe) {
        m_pipeGradient = pipe;
        update();
    }
}

void TKvButton::SetPipeShadow(int shadow)
{
    if (m_pipeShadow != shadow) {
        m_pipeShadow = shadow;
        update();
    }
}

void TKvButton::SetShowCaption(bool show)
{
    if (m_showCaption != show) {
        m_showCaption = show;
        setLayoutDirty();
    }
}

void TKvButton::SetTabStop(bool on)
{
    setFocusPolicy(on ? Qt::StrongFocus : Qt::NoFocus);
}

QString TKvButton::HintText() const
{
    return ReplaceBreakPairs(Hint(), 0, QStringLiteral("\n"));
}

QAction *TKvButton::Action() const
{
    return m_actionLink ? m_actionLink->Action() : nullptr;
}

void TKvButton::SetAction(QAction *action)
{
    if (Action() == action)
        return;
    delete m_actionLink;
    m_actionLink = nullptr;
    if (!action)
        return;
    m_actionLink = new TKvButtonActionLink(this, action);
    connect(action, &QObject::destroyed, m_actionLink, [this] {
        m_actionLink->deleteLater();
        m_actionLink = nullptr;
    });
    m_actionLink->ActionChange(false);
}

// --- Groups, clicks, keys --------------------------------------------------

void TKvButton::updateExclusiveDown()
{
    if (m_groupIndex == 0 || !parentWidget())
        return;
    for (QObject *child : parentWidget()->children()) {
        auto *button = qobject_cast<TKvButton *>(child);
        if (button && button != this)
            button->ExternButtenIsDown(this);
    }
}

// Another button of the parent went down or changed its group settings.
void TKvButton::ExternButtenIsDown(TKvButton *sender)
{
    if (sender->m_groupIndex != m_groupIndex)
        return;
    m_allowAllUp = sender->m_allowAllUp;
    if (sender->m_down && m_down) {
        m_down = false;
        if (QAction *action = Action(); action && action->isCheckable())
            action->setChecked(false);
        update();
    }
}

void TKvButton::Click()
{
    const QPointer<TKvButton> self(this);
    if (m_groupIndex != 0)
        SetDown(!m_down);
    if (m_modalResult != tmrNone)
        if (auto *dialog = qobject_cast<QDialog *>(window()))
            dialog->done(int(m_modalResult));
    if (!self)
        return;
    Q_EMIT clicked();
    if (!self)
        return;
    if (QAction *action = Action(); action && action->isEnabled())
        action->trigger();
}

bool TKvButton::canFocus() const
{
    return isEnabled() && isVisible();
}

bool TKvButton::DialogKey(int key, Qt::KeyboardModifiers modifiers)
{
    if (modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    if (!canFocus())
        return false;
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if ((key == Qt::Key_Escape && m_cancel) || (enter && m_activeDefault)) {
        Click();
        return true;
    }
    return false;
}

QChar TKvButton::AcceleratorOf(const QString &caption)
{
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption.at(i) != u'&')
            continue;
        if (caption.at(i + 1) != u'&')
            return caption.at(i + 1);
        ++i; // "&&" is a plain ampersand
    }
    return QChar();
}

bool TKvButton::DialogChar(const QString &text)
{
    const QChar accelerator = AcceleratorOf(Caption());
    if (text.isEmpty() || accelerator.isNull() || !canFocus())
        return false;
    if (accelerator.toUpper() != text.at(0).toUpper())
        return false;
    Click();
    return true;
}

void TKvButton::attachDialogKeys()
{
    TKvDialogKeys::Attach(window());
}

// --- Notifications ---------------------------------------------------------

void TKvButton::FocusChanged()
{
    // Enter answers the focused button; while no button has the focus, the
    // default button.
    auto *focused = qobject_cast<TKvButton *>(QApplication::focusWidget());
    if (focused && focused->window() == window())
        m_activeDefault = focused == this;
    else
        m_activeDefault = m_default;
}

void TKvButton::TextChanged()
{
    const QString caption = Caption();
    qsizetype at = caption.indexOf(QStringLiteral("\u00A4\u00A4"));
    if (at < 0)
        at = caption.indexOf(QStringLiteral("||"));
    if (at < 0)
        at = caption.indexOf(QStringLiteral("**"));
    m_markerPos = int(at + 1);
    // Alt + the accelerator works also where the focused control takes
    // characters (an edit field); the plain character reaches DialogChar.
    if (m_shortcutId != 0)
        releaseShortcut(m_shortcutId);
    const QKeySequence mnemonic = QKeySequence::mnemonic(caption);
    m_shortcutId = mnemonic.isEmpty() ? 0 : grabShortcut(mnemonic);
    setLayoutDirty();
}

QString TKvButton::LayoutCaption() const
{
    if (m_markerPos <= 0)
        return Caption();
    return ReplaceBreakPairs(Caption(), m_markerPos - 1, QStringLiteral("\r\n"));
}

bool TKvButton::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::ToolTip: {
        const QString text = HintText();
        if (text.isEmpty()) {
            QToolTip::hideText();
            event->ignore();
            return true;
        }
        QToolTip::showText(static_cast<QHelpEvent *>(event)->globalPos(), text, this, rect());
        // The tip window is the toolkit's; the button's hints show on green.
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (widget->objectName() == QLatin1String("qtooltip_label")) {
                QPalette palette = widget->palette();
                palette.setColor(QPalette::ToolTipBase, KvToQColor(HintColor));
                palette.setColor(QPalette::Window, KvToQColor(HintColor));
                widget->setPalette(palette);
            }
        }
        return true;
    }
    case QEvent::Shortcut: {
        const auto *shortcut = static_cast<QShortcutEvent *>(event);
        if (shortcut->shortcutId() != m_shortcutId)
            break;
        // Two buttons with one accelerator: the focus moves between them.
        if (shortcut->isAmbiguous())
            setFocus(Qt::ShortcutFocusReason);
        else if (canFocus())
            Click();
        return true;
    }
    case QEvent::ParentChange:
        attachDialogKeys();
        break;
    default:
        break;
    }
    return TKvCustomControl::event(event);
}

void TKvButton::changeEvent(QEvent *event)
{
    TKvCustomControl::changeEvent(event);
    switch (event->type()) {
    case QEvent::EnabledChange:
        update();
        break;
    case QEvent::FontChange:
        UpdateBmpFont();
        setLayoutDirty();
        break;
    default:
        break;
    }
}

void TKvButton::showEvent(QShowEvent *event)
{
    TKvCustomControl::showEvent(event);
    attachDialogKeys();
}

void TKvButton::resizeEvent(QResizeEvent *event)
{
    TKvCustomControl::resizeEvent(event);
    updateGeometry();
}

void TKvButton::PrepareBitmaps(int, int)
{
    UpdateBmpFont();
    m_layoutDirty = true;
}

void TKvButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return TKvCustomControl::mousePressEvent(event);
    m_mouseHeld = true;
    m_heldOutside = false;
    if (TabStop())
        setFocus(Qt::MouseFocusReason);
    update();
}

void TKvButton::mouseMoveEvent(QMouseEvent *event)
{
    TKvCustomControl::mouseMoveEvent(event);
    if (!m_mouseHeld)
        return;
    const QPoint at = event->position().toPoint();
    const bool outside = !MouseIsIn(at.x(), at.y());
    if (outside != m_heldOutside) {
        m_heldOutside = outside;
        update();
    }
}

void TKvButton::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return TKvCustomControl::mouseReleaseEvent(event);
    const QPoint at = event->position().toPoint();
    const bool click = m_mouseHeld && MouseIsIn(at.x(), at.y());
    m_mouseHeld = false;
    m_heldOutside = false;
    update();
    if (click)
        Click();
}

// Space clicks the focused button when it is released, as on every Qt button.
void TKvButton::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat() && event->modifiers() == Qt::NoModifier) {
        m_spaceHeld = true;
        return;
    }
    TKvCustomControl::keyPressEvent(event);
}

void TKvButton::keyReleaseEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat() && m_spaceHeld) {
        m_spaceHeld = false;
        Click();
        return;
    }
    TKvCustomControl::keyReleaseEvent(event);
}

// --- State and layout ------------------------------------------------------

TKvButtonState TKvButton::getButtonState() const
{
    if (!canFocus())
        return tbsDisabled;
    if (m_down)
        return tbsPressed;
    if (IsHot())
        return !m_mouseHeld || m_heldOutside ? tbsHot : tbsPressed;
    if (m_mouseHeld)
        return m_heldOutside ? tbsHot : tbsPressed;
    if (ShowsFocus() && m_focusStyle == tfsHalfHot)
        return tbsHalfHot;
    return tbsNormal;
}

bool TKvButton::hasAnyImageIndex() const
{
    return m_imageIndex >= 0 || m_imageIndexHot >= 0 || m_imageIndexPressed >= 0 || m_imageIndexDisabled >= 0;
}

void TKvButton::calculateRects()
{
    const int w = width();
    const int h = height();
    const QMargins &margins = m_imageMargins;

    TKvRect ib;
    if (m_images && hasAnyImageIndex())
        ib = TKvRect{0, 0, m_images->Width() + margins.left() + margins.right(),
                     m_images->Height() + margins.top() + margins.bottom()};

    TKvRect cb;
    TKvBmp *bitmap = Bitmap();
    if (m_showCaption && !Caption().isEmpty() && bitmap && bitmap->HasSurface()) {
        const bool wholeWidth =
            m_imageAlignment == tiaTop || m_imageAlignment == tiaBottom || m_imageAlignment == tiaCenter;
        cb = TKvRect{0, 0, wholeWidth ? w : w - ib.Width(), 0};
        bitmap->MeasureText(cb, LayoutCaption(), m_markerPos == 0);
    }

    const auto centreVertically = [h](TKvRect &box) { box = box.Translated(0, (h - box.Height()) / 2); };
    const auto centreHorizontally = [w](TKvRect &box) { box = box.Translated((w - box.Width()) / 2, 0); };
    const bool follow = m_layoutStyle == tlsTextFolowImage;
    const bool both = m_layoutStyle == tlsCenterTextAndImageClose;
    // Shifts the caption, or caption and image, by (dx, dy).
    const auto shift = [&](int dx, int dy) {
        cb = cb.Translated(dx, dy);
        if (both)
            ib = ib.Translated(dx, dy);
    };

    switch (m_imageAlignment) {
    case tiaLeft: {
        cb = cb.Translated(ib.Right - cb.Left, 0);
        centreVertically(ib);
        centreVertically(cb);
        const int s = (w - cb.Right) / 2;
        if (!follow && s > 0)
            shift(s, 0);
        break;
    }
    case tiaRight: {
        ib = ib.Translated(w - ib.Width() - ib.Left, 0);
        cb = cb.Translated(ib.Left - cb.Right, 0);
        centreVertically(ib);
        centreVertically(cb);
        const int s = cb.Left / 2;
        if (!follow && s > 0)
            shift(-s, 0);
        break;
    }
    case tiaTop: {
        cb = cb.Translated(0, ib.Bottom - cb.Top);
        centreHorizontally(ib);
        centreHorizontally(cb);
        const int s = (h - cb.Bottom) / 2;
        if (!follow && s > 0)
            shift(0, s);
        break;
    }
    case tiaBottom: {
        ib = ib.Translated(0, h - ib.Height() - ib.Top);
        cb = cb.Translated(0, ib.Top - cb.Bottom);
        centreHorizontally(ib);
        centreHorizontally(cb);
        const int s = cb.Top / 2;
        if (!follow && s > 0)
            shift(0, -s);
        break;
    }
    case tiaCenter:
        centreHorizontally(cb);
        if (!ib.IsEmpty()) {
            centreHorizontally(ib);
            centreVertically(ib);
            cb = cb.Translated(0, ib.Bottom - cb.Top);
        } else {
            centreVertically(cb);
        }
        break;
    }

    m_captionRect = cb;
    m_imageRect = TKvRect{ib.Left + margins.left(), ib.Top + margins.top(), ib.Right - margins.right(),
                          ib.Bottom - margins.bottom()};
    m_layoutDirty = false;
}

// --- Painting --------------------------------------------------------------

void TKvButton::KvPaint(TKvBmp *bitmap, const TKvRect &bounds)
{
    TKvCustomControl::KvPaint(bitmap, bounds);
    if (m_layoutDirty)
        calculateRects();
    const TKvButtonState state = getButtonState();
    switch (m_buttonStyle) {
    case bstButton:
        paintButton(state);
        break;
    case bstFlat:
        paintButtonFlat(state);
        break;
    case bstFlatAndButton:
        if (state == tbsNormal)
            paintButtonFlat(state);
        else
            paintButton(state);
        break;
    case bstNone:
        paintImage(state);
        break;
    }
    if (m_showCaption && !Caption().isEmpty())
        paintCaption(state);
    paintFocus(state);
    paintMarker(state);
}

void TKvButton::paintButton(TKvButtonState state)
{
    TColor light = m_clDimmedLight;
    TColor dark = m_clDimmedDark;
    bool pressed = false;
    switch (state) {
    case tbsNormal:
        if (!Alive()) {
            light = m_clHotLight;
            dark = m_clHotDark;
        }
        break;
    case tbsHot:
        light = m_clHotLight;
        dark = m_clHotDark;
        break;
    case tbsHalfHot:
        light = HalfColour(m_clHotLight) + HalfColour(m_clDimmedLight);
        dark = HalfColour(m_clHotDark) + HalfColour(m_clDimmedDark);
        break;
    case tbsPressed:
        light = m_down ? m_clSelDownLight : m_clHotLight;
        dark = m_down ? m_clSelDownDark : m_clHotDark;
        pressed = true;
        break;
    case tbsDisabled:
        light = m_clDisabLight;
        dark = m_clDisabDark;
        break;
    }
    TKvBmp *bitmap = Bitmap();
    light = ResolveColor(light);
    dark = ResolveColor(dark);
    if (pressed)
        bitmap->ButtonFacePressed(m_pipeShadow, m_pipeGradient, dark, light, Bounds());
    else
        bitmap->ButtonFace(m_pipeShadow, m_pipeGradient, dark, light, Bounds());
    paintImage(state);
}

void TKvButton::paintButtonFlat(TKvButtonState state)
{
    paintImage(state);
    if (state == tbsHot)
        Bitmap()->FlatFaceHot(Bounds());
    else if (state == tbsPressed)
        Bitmap()->FlatFacePressed(Bounds());
}

void TKvButton::paintImage(TKvButtonState state)
{
    TKvImageList *images = m_images;
    if (!images || !hasAnyImageIndex())
        return;
    int index = m_imageIndex;
    if (state == tbsHot)
        index = m_imageIndexHot;
    else if (state == tbsPressed)
        index = m_imageIndexPressed;
    else if (state == tbsDisabled)
        index = m_imageIndexDisabled;
    if (index < 0) {
        for (int candidate : {m_imageIndex, m_imageIndexHot, m_imageIndexPressed, m_imageIndexDisabled})
            if (candidate >= 0) {
                index = candidate;
                break;
            }
    }
    // An index the list does not have draws nothing (and asks nothing).
    if (!images->IsValidIndex(index))
        return;

    TKvBmp *bitmap = Bitmap();
    if (m_autoGrayDisabled || state == tbsDisabled) {
        TKvBmp grey(this, images->Width(), images->Height());
        if (grey.CopyImageFromImageList(images, index)) {
            grey.GreyScale();
            bitmap->DrawAlpha(&grey, m_imageRect.Left, m_imageRect.Top);
        }
        return;
    }
    const int drop = state == tbsPressed && !m_down ? 1 : 0;
    images->Draw(bitmap->Canvas(), m_imageRect.Left, m_imageRect.Top + drop, index);
}

void TKvButton::paintCaption(TKvButtonState state)
{
    TKvRect r = m_captionRect;
    TColor colour = m_fontClDimmed;
    switch (state) {
    case tbsHot:
        colour = m_fontClHot;
        break;
    case tbsHalfHot:
        colour = m_fontClDimmed;
        break;
    case tbsPressed:
        colour = m_fontClDown;
        r.Top += 1;
        break;
    case tbsDisabled:
        colour = m_fontClDisabled;
        break;
    case tbsNormal:
        colour = Alive() ? m_fontClDimmed : m_fontClHot;
        break;
    }
    const quint32 flags = KvTextFormat::Centre | (m_markerPos == 0 ? KvTextFormat::SingleLine : 0);
    Bitmap()->DrawCaption(LayoutCaption(), flags, r, ResolveColor(colour));
}

// The default button shows the focus indicator only while no other button of
// its window has the focus: two framed buttons would hide where the focus is.
bool TKvButton::ShowsFocus() const
{
    return hasFocus() || (m_default && m_activeDefault);
}

void TKvButton::paintFocus(TKvButtonState state)
{
    if (!ShowsFocus())
        return;
    TKvBmp *bitmap = Bitmap();
    const TKvRect &r = Bounds();
    const int o = state == tbsPressed ? 6 : 5;
    const TColor colour = ResolveColor(m_focusColor);
    switch (m_focusStyle) {
    case tfsDottetRect:
        bitmap->DrawFocusRect(r.Shrunk(2));
        break;
    case tfsColorRect:
        bitmap->FocusFrame(r.Shrunk(2), colour);
        break;
    case tfsColorMark:
        bitmap->DrawMask(r.Right - 14, r.Top + o, kmCircle9, colour);
        break;
    case tfsStar:
        bitmap->DrawMask(r.Right - 17, r.Top + o - 1, kmStar13, colour);
        break;
    case tfsNone:
    case tfsHalfHot:
        break;
    }
}

void TKvButton::paintMarker(TKvButtonState state)
{
    if (!m_markShow)
        return;
    const int size = int(m_markSize); // 0 small, 1 medium, 2 large
    const int n = 7 + 2 * size;
    const bool round = m_markShape == tasCircle || m_markShape == tasSquare;
    const int margin = round ? 6 : 5;
    const int extent = round ? n : n + 2;
    const TKvRect &r = Bounds();
    int x = r.Left + margin;
    int y = r.Top + margin;
    if (m_markPos == pirUpRight || m_markPos == pirDownRight)
        x = r.Right - extent - margin;
    if (m_markPos == pirDownRight || m_markPos == pirDownLeft)
        y = r.Bottom - extent - margin;
    if (state == tbsPressed)
        ++y;

    TKvBmp *bitmap = Bitmap();
    const TColor colour = ResolveColor(m_markColor);
    switch (m_markShape) {
    case tasCircle:
        bitmap->DrawMask(x, y, TKvMask(kmCircle7 + size), colour);
        break;
    case tasSquare:
        bitmap->FillSoftRect(TKvRect{x, y, x + n, y + n}, colour);
        break;
    case tasDiamond:
        bitmap->DrawMask(x, y, TKvMask(kmDiamond9 + size), colour);
        break;
    case tasStar:
        bitmap->DrawMask(x, y, TKvMask(kmStar9 + size), colour);
        break;
    }
}
