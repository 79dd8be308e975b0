// The gradient label: painting into its bitmap, sizing, states and actions.
#include "kvgradilabel.h"

#include "kvbmp.h"
#include "kvcustomcontrol.h"
#include "kvimagelist.h"

#include <QAccessible>
#include <QAction>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {

// Only while assistive technology listens: an event makes the object's
// accessible interface, which a label under construction should not have yet.
void NotifyStateChange(QObject *object, QAccessible::State changed)
{
    if (!QAccessible::isActive())
        return;
    QAccessibleStateChangeEvent event(object, changed);
    QAccessible::updateAccessibility(&event);
}

} // namespace

TKvGradiLabel::TKvGradiLabel(QWidget *parent)
    : QWidget(parent)
{
    resize(81, 23);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

TKvGradiLabel::~TKvGradiLabel() = default;

void TKvGradiLabel::setDirty()
{
    m_dirty = true;
    update();
}

void TKvGradiLabel::SetClGradiDark(TColor colour)
{
    if (m_clGradiDark != colour) {
        m_clGradiDark = colour;
        setDirty();
    }
}

void TKvGradiLabel::SetClGradiLight(TColor colour)
{
    if (m_clGradiLight != colour) {
        m_clGradiLight = colour;
        setDirty();
    }
}

void TKvGradiLabel::SetFontColor(TColor colour)
{
    if (m_fontColor != colour) {
        m_fontColor = colour;
        setDirty();
    }
}

void TKvGradiLabel::SetGradiStyle(TKvGradyStyle style)
{
    if (m_gradiStyle != style) {
        m_gradiStyle = style;
        setDirty();
    }
}

void TKvGradiLabel::SetAlignment(TKvAlignment alignment)
{
    if (m_alignment != alignment) {
        m_alignment = alignment;
        setDirty();
    }
}

void TKvGradiLabel::SetAlign(TKvAlign align)
{
    if (m_align == align)
        return;
    m_align = align;
    // In a row the label takes the row's height, in a column its width.
    const bool row = align == alLeft || align == alRight;
    const bool column = align == alTop || align == alBottom;
    setSizePolicy(column || align == alClient ? QSizePolicy::Preferred : QSizePolicy::Fixed,
                  row || align == alClient ? QSizePolicy::Preferred : QSizePolicy::Fixed);
    adjustBounds();
}

void TKvGradiLabel::SetAutoSize(bool autoSize)
{
    if (m_autoSize != autoSize) {
        m_autoSize = autoSize;
        adjustBounds();
    }
}

void TKvGradiLabel::SetMarginTextHorz(int margin)
{
    if (m_marginTextHorz != margin) {
        m_marginTextHorz = margin;
        adjustBounds();
    }
}

void TKvGradiLabel::SetMarginTextVert(int margin)
{
    if (m_marginTextVert != margin) {
        m_marginTextVert = margin;
        adjustBounds();
    }
}

void TKvGradiLabel::SetMarginImage(int margin)
{
    if (m_marginImage != margin) {
        m_marginImage = margin;
        setDirty();
    }
}

TKvImageList *TKvGradiLabel::Images() const
{
    return static_cast<TKvImageList *>(m_images.data());
}

void TKvGradiLabel::SetImages(TKvImageList *images)
{
    if (Images() == images)
        return;
    if (TKvImageList *old = Images())
        disconnect(old, nullptr, this, nullptr);
    m_images = images;
    if (images) {
        connect(images, &TKvImageList::Changed, this, [this] {
            setDirty();
            adjustBounds();
        });
        connect(images, &QObject::destroyed, this, [this] { setDirty(); });
    }
    adjustBounds();
}

void TKvGradiLabel::SetImageIndex(int index)
{
    if (m_imageIndex != index) {
        m_imageIndex = index;
        setDirty();
    }
}

void TKvGradiLabel::SetImageDisabledIndex(int index)
{
    if (m_imageDisabledIndex != index) {
        m_imageDisabledIndex = index;
        setDirty();
    }
}

void TKvGradiLabel::SetImagePos(TKvImagePos pos)
{
    if (m_imagePos != pos) {
        m_imagePos = pos;
        setDirty();
    }
}

void TKvGradiLabel::SetAlive(bool alive)
{
    if (m_alive == alive)
        return;
    m_alive = alive;
    if (!alive)
        m_state = StateNormal;
    setDirty();
}

void TKvGradiLabel::SetPipeShadow(int shadow)
{
    shadow = qBound(0, shadow, 255);
    if (m_pipeShadow != shadow) {
        m_pipeShadow = shadow;
        setDirty();
    }
}

void TKvGradiLabel::SetLabelBefore(TKvGradiLabel *label)
{
    if (m_labelBefore != label) {
        m_labelBefore = label;
        setDirty();
    }
}

void TKvGradiLabel::SetLabelAfter(TKvGradiLabel *label)
{
    if (m_labelAfter != label) {
        m_labelAfter = label;
        setDirty();
    }
}

void TKvGradiLabel::SetCaption(const QString &caption)
{
    if (m_caption == caption)
        return;
    m_caption = caption;
    m_dirty = true;
    adjustBounds();
    update();
    notifyAccessibleName();
}

// Assistive technology reads the caption (a counter's number) as the name.
void TKvGradiLabel::notifyAccessibleName()
{
    if (!QAccessible::isActive())
        return;
    QAccessibleEvent event(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
}

bool TKvGradiLabel::Checkable() const
{
    return m_checkable || (m_action && m_action->isCheckable());
}

void TKvGradiLabel::SetCheckable(bool checkable)
{
    if (m_checkable == checkable)
        return;
    m_checkable = checkable;
    QAccessible::State changed;
    changed.checkable = true;
    NotifyStateChange(this, changed);
}

bool TKvGradiLabel::Checked() const
{
    return m_action && m_action->isCheckable() ? m_action->isChecked() : m_checked;
}

void TKvGradiLabel::SetChecked(bool checked)
{
    if (m_action && m_action->isCheckable()) {
        m_action->setChecked(checked);
        return;
    }
    if (m_checked == checked)
        return;
    m_checked = checked;
    QAccessible::State changed;
    changed.checked = true;
    NotifyStateChange(this, changed);
}

void TKvGradiLabel::SetCountNouns(const QString &one, const QString &many)
{
    if (m_countNounOne == one && m_countNounMany == many)
        return;
    m_countNounOne = one;
    m_countNounMany = many;
    notifyAccessibleName();
}

void TKvGradiLabel::SetAction(QAction *action)
{
    if (m_action == action)
        return;
    if (m_action)
        disconnect(m_action, nullptr, this, nullptr);
    m_action = action;
    if (!action)
        return;
    m_actionText = action->text();
    m_actionChecked = action->isChecked();
    if (!m_actionText.isEmpty())
        SetCaption(m_actionText);
    syncFromAction();
    connect(action, &QAction::changed, this, &TKvGradiLabel::syncFromAction);
}

// The hint is the action's status tip (its tool tip falls back to the caption).
void TKvGradiLabel::syncFromAction()
{
    if (!m_action)
        return;
    SetHint(m_action->statusTip());
    setEnabled(m_action->isEnabled());
    if (m_action->text() != m_actionText) {
        m_actionText = m_action->text();
        if (!m_actionText.isEmpty())
            SetCaption(m_actionText);
    }
    if (m_action->isChecked() != m_actionChecked) {
        m_actionChecked = m_action->isChecked();
        QAccessible::State changed;
        changed.checked = true;
        NotifyStateChange(this, changed);
    }
}

void TKvGradiLabel::Click()
{
    const QPointer<TKvGradiLabel> self(this);
    emit clicked();
    if (self && m_action && m_action->isEnabled())
        m_action->trigger();
}

const uchar *TKvGradiLabel::getScanLine(int row) const
{
    return m_bitmap ? m_bitmap->ScanLine(row) : nullptr;
}

void TKvGradiLabel::applyFont()
{
    KvSetBitmapFont(*m_bitmap, *this);
}

void TKvGradiLabel::adjustBounds()
{
    if (!m_loaded)
        return;
    if (!m_bitmap) {
        m_bitmap = std::make_unique<TKvBmp>(this, qMax(1, width()), qMax(1, height()));
        applyFont();
    }
    TKvRect measured;
    if (!m_caption.isEmpty())
        m_bitmap->DrawText(m_caption, KvTextFormat::Calculate, measured);
    m_captionSize = QSize(measured.Width(), measured.Height());

    if (m_autoSize && m_align != alTop && m_align != alBottom && m_align != alClient) {
        const TKvImageList *images = Images();
        int imageWidth = images ? images->Width() : 0;
        const int imageHeight = images ? images->Height() : 0;
        m_captionSize.setHeight(qMax(m_captionSize.height(), imageHeight));
        if (imageWidth != 0)
            imageWidth += m_marginImage;
        const int newWidth = imageWidth + m_captionSize.width() + 2 * m_marginTextHorz;
        const int newHeight = 2 * m_marginTextVert + m_captionSize.height();
        const QRect bounds = geometry();
        if (m_alignment == taRightJustify)
            setGeometry(bounds.left() + bounds.width() - newWidth, bounds.top(), newWidth, newHeight);
        else
            setGeometry(bounds.left(), bounds.top(), newWidth, newHeight);
        updateGeometry();
    } else {
        update();
    }
}

QSize TKvGradiLabel::sizeHint() const
{
    // Before the first show the size is not measured yet: measure now, so a
    // layout places the label at its final size.
    if (!m_loaded)
        const_cast<TKvGradiLabel *>(this)->Loaded();
    return size();
}

void TKvGradiLabel::Loaded()
{
    if (m_loaded)
        return;
    m_loaded = true;
    adjustBounds();
}

void TKvGradiLabel::resizeBitmap()
{
    m_bitmap->SetSize(width(), height(), false);
    applyFont();
}

void TKvGradiLabel::paintBitmap()
{
    if (m_bitmap->Width() != width() || m_bitmap->Height() != height())
        resizeBitmap();

    TColor light = m_clGradiLight;
    TColor dark = m_clGradiDark;
    TColor fontColour = m_fontColor;
    int image = m_imageIndex;
    switch (m_state) {
    case StateHot:
        light = m_clHotLight;
        dark = m_clHotDark;
        fontColour = m_clFontHot;
        if (m_imageHotIndex >= 0)
            image = m_imageHotIndex;
        break;
    case StatePressed:
        light = m_clPressLight;
        dark = m_clPressDark;
        fontColour = m_clFontPressed;
        if (m_imagePressedIndex >= 0)
            image = m_imagePressedIndex;
        break;
    case StateDisabled:
        light = m_clDisableLight;
        dark = m_clDisableDark;
        fontColour = m_clFontDisable;
        if (m_imageDisabledIndex >= 0)
            image = m_imageDisabledIndex;
        break;
    case StateNormal:
        break;
    }
    light = ResolveColor(light);
    dark = ResolveColor(dark);
    m_bitmap->SetFontColor(ResolveColor(fontColour));

    const TKvRect all{0, 0, width(), height()};
    switch (m_gradiStyle) {
    case agsVertGradi:
        m_bitmap->GradientRect(true, dark, light, all);
        break;
    case agsHorzGradi:
        m_bitmap->GradientRect(false, dark, light, all);
        break;
    case agsVertPipe:
        m_bitmap->PipeRect(true, m_pipeShadow, false, dark, light, all);
        break;
    case agsHorzPipe:
        m_bitmap->PipeRect(false, m_pipeShadow, false, dark, light, all);
        break;
    case agsSolid:
        m_bitmap->Fill(dark);
        break;
    }
    m_dirty = false;

    TKvRect r{m_marginTextHorz, m_marginTextVert, width() - m_marginTextHorz, height() - m_marginTextVert};
    const TKvImageList *images = Images();
    if (images && image >= 0) {
        const int imageWidth = images->Width();
        const int contentWidth =
            (m_captionSize.width() != 0 ? m_captionSize.width() + m_marginImage : 0) + imageWidth;
        if (m_alignment == taRightJustify) {
            r.Left = r.Right - contentWidth;
        } else if (m_alignment == taCenter) {
            r.Left = r.Left + (r.Width() - contentWidth) / 2;
            r.Right = r.Left + contentWidth;
        } else {
            r.Right = r.Left + contentWidth;
        }
        int imageLeft;
        if (m_imagePos == aipRight) {
            imageLeft = r.Right - imageWidth;
            r.Right = imageLeft - m_marginImage;
        } else {
            imageLeft = r.Left;
            r.Left = imageLeft + imageWidth + m_marginImage;
        }
        const int imageTop = r.Top + (r.Height() - images->Height()) / 2;
        if (QPainter *canvas = m_bitmap->Canvas())
            images->Draw(canvas, imageLeft, imageTop, image);
    }

    if (!m_caption.isEmpty() && m_labelType != altSpace) {
        const quint32 horizontal = m_alignment == taRightJustify ? KvTextFormat::Right
                                   : m_alignment == taCenter     ? KvTextFormat::Centre
                                                                 : KvTextFormat::Left;
        m_bitmap->SetTransparentText(true);
        m_bitmap->DrawText(m_caption, horizontal | KvTextFormat::VerticalCentre | KvTextFormat::SingleLine,
                           r);
    }
}

void TKvGradiLabel::paintEvent(QPaintEvent *)
{
    if (width() <= 0 || height() <= 0)
        return;
    if (!m_loaded) {
        Loaded();
        return;
    }
    if (!m_bitmap) {
        m_bitmap = std::make_unique<TKvBmp>(this, width(), height());
        applyFont();
    }
    const bool repainted = m_dirty || m_state != m_paintedState;
    if (repainted)
        paintBitmap();
    m_paintedState = m_state;

    QPainter painter(this);
    if (m_pressed && m_labelType == altButton && m_mouseInside) {
        m_bitmap->BlitTo(&painter, 0, 1);
        const int w = width();
        const int h = height();
        painter.setPen(KvToQColor(m_clButtonShadow));
        painter.drawLine(0, h - 1, 0, 1);
        painter.drawLine(0, 0, w - 2, 0);
        painter.setPen(KvToQColor(m_clButtonLight));
        painter.drawLine(w - 1, 0, w - 1, h - 2);
        painter.drawLine(w - 1, h - 1, 1, h - 1);
    } else {
        m_bitmap->BlitTo(&painter, 0, 0);
    }
    if (OnPaint)
        OnPaint(this, &painter);
    if (repainted)
        emit PictureChanged();
    emit Painted();
}

void TKvGradiLabel::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_dirty = true;
}

// The picture is made again after a move too (and the end pieces that wait
// for it hear of it).
void TKvGradiLabel::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    setDirty();
}

void TKvGradiLabel::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    switch (event->type()) {
    case QEvent::EnabledChange:
        // A label that is not Alive keeps its normal look when disabled.
        // Painted with the next update: enabling follows actions, often many at once.
        m_state = isEnabled() || !m_alive ? StateNormal : StateDisabled;
        update();
        break;
    case QEvent::FontChange:
        if (m_bitmap)
            applyFont();
        m_dirty = true;
        adjustBounds();
        break;
    default:
        break;
    }
}

void TKvGradiLabel::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    Loaded();
}

void TKvGradiLabel::setVisualState(VisualState state)
{
    m_state = state;
    repaint();
}

void TKvGradiLabel::enterEvent(QEnterEvent *event)
{
    QWidget::enterEvent(event);
    m_mouseInside = true;
    if (isEnabled() && m_labelType != altSpace)
        setVisualState(m_alive ? StateHot : StateNormal);
}

void TKvGradiLabel::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    m_mouseInside = false;
    if (isEnabled() && m_labelType != altSpace)
        setVisualState(StateNormal);
}

void TKvGradiLabel::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    m_clickStarted = true;
    m_mouseInside = rect().contains(event->position().toPoint());
    if (m_labelType == altButton) {
        m_pressed = true;
        setVisualState(m_alive ? StatePressed : StateNormal);
    }
}

void TKvGradiLabel::mouseMoveEvent(QMouseEvent *event)
{
    QWidget::mouseMoveEvent(event);
    if (!isEnabled() || m_labelType == altSpace)
        return;
    const bool inside = rect().contains(event->position().toPoint());
    if (inside != m_mouseInside) {
        m_mouseInside = inside;
        if (m_pressed)
            setVisualState(inside && m_alive ? StatePressed : StateNormal);
    }
}

void TKvGradiLabel::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mouseReleaseEvent(event);
    const bool click = m_clickStarted && rect().contains(event->position().toPoint());
    m_clickStarted = false;
    if (m_labelType == altButton) {
        m_pressed = false;
        setVisualState(m_alive ? StateHot : StateNormal);
    }
    if (click)
        Click();
}
