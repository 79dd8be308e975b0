// The custom control base: bitmap, paint cycle, parent background, hot state.
#include "kvcustomcontrol.h"

#include "kvbmp.h"

#include <QApplication>
#include <QEnterEvent>
#include <QPainter>

void KvSetBitmapFont(TKvBmp &bitmap, const QWidget &widget)
{
    const QFont &font = widget.font();
    const int ppi = widget.logicalDpiY();
    // A font given in pixels is turned into points at this density.
    const int points =
        font.pointSize() > 0 ? font.pointSize() : qMax(1, qRound(font.pixelSize() * 72.0 / ppi));
    const int style = (font.bold() ? KvFontStyle::Bold : 0) | (font.italic() ? KvFontStyle::Italic : 0)
                      | (font.underline() ? KvFontStyle::Underline : 0)
                      | (font.strikeOut() ? KvFontStyle::StrikeOut : 0);
    bitmap.SetFont(font.family(), points, 1, ppi, style);
}

TKvCustomControl::TKvCustomControl(QWidget *parent)
    : QWidget(parent)
{
    // The bitmap covers every pixel, so Qt need not clear the background
    // first (no flicker).
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    m_bitmap = std::make_unique<TKvBmp>(this, width(), height());
    m_bounds = TKvRect{0, 0, width(), height()};
    if (auto *app = qobject_cast<QApplication *>(QCoreApplication::instance()))
        connect(app, &QApplication::focusChanged, this, &TKvCustomControl::onApplicationFocusChanged);
}

TKvCustomControl::~TKvCustomControl()
{
    // A control that has the focus loses it in QWidget's destructor, when
    // this part of it is already gone: stop listening before that.
    if (QCoreApplication *app = QCoreApplication::instance())
        disconnect(app, nullptr, this, nullptr);
}

void TKvCustomControl::setAlive(bool alive)
{
    m_alive = alive;
}

void TKvCustomControl::PrepareBitmaps(int, int) {}

void TKvCustomControl::KvPaint(TKvBmp *, const TKvRect &)
{
    UdateBackground();
}

bool TKvCustomControl::MouseIsIn(int x, int y) const
{
    return x >= 0 && x < width() && y >= 0 && y < height();
}

void TKvCustomControl::FocusChanged() {}

void TKvCustomControl::TextChanged()
{
    update();
}

void TKvCustomControl::setIsHot(bool hot)
{
    if (m_isHot == hot)
        return;
    m_isHot = hot;
    update();
}

void TKvCustomControl::SetCaption(const QString &caption)
{
    if (m_caption == caption)
        return;
    m_caption = caption;
    TextChanged();
}

void TKvCustomControl::UdateBackground()
{
    if (m_bitmap && m_bitmap->HasPixels())
        getParentBackground(m_bitmap->Canvas());
}

void TKvCustomControl::UpdateBmpFont()
{
    if (!m_bitmap)
        return;
    KvSetBitmapFont(*m_bitmap, *this);
    m_bitmap->SetTransparentText(true);
}

void TKvCustomControl::getParentBackground(QPainter *surface) const
{
    QWidget *parent = parentWidget();
    if (!parent || !surface || !surface->isActive())
        return;
    // The parent's palette first, in case the parent paints nothing there;
    // then the parent's own painting of that area, without any of its
    // children (so neither this control nor its siblings).
    const QRect area = geometry();
    surface->save();
    surface->fillRect(QRect(QPoint(0, 0), area.size()), parent->palette().brush(parent->backgroundRole()));
    parent->render(surface, QPoint(0, 0), QRegion(area), QWidget::DrawWindowBackground);
    surface->restore();
}

void TKvCustomControl::sizeChanged()
{
    const int w = width();
    const int h = height();
    if (m_bitmap)
        m_bitmap->SetSize(w, h, false);
    m_bounds = TKvRect{0, 0, w, h};
    PrepareBitmaps(w, h);
}

void TKvCustomControl::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    sizeChanged();
}

void TKvCustomControl::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        sizeChanged();
}

void TKvCustomControl::paintEvent(QPaintEvent *)
{
    if (!m_bitmap || width() <= 0 || height() <= 0 || !parentWidget() || !isVisible())
        return;
    KvPaint(m_bitmap.get(), m_bounds);
    QPainter painter(this);
    m_bitmap->BlitTo(&painter, 0, 0);
}

void TKvCustomControl::enterEvent(QEnterEvent *event)
{
    QWidget::enterEvent(event);
    const QPoint at = event->position().toPoint();
    setIsHot(m_alive && MouseIsIn(at.x(), at.y()));
}

void TKvCustomControl::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    setIsHot(false);
}

void TKvCustomControl::onApplicationFocusChanged(QWidget *old, QWidget *now)
{
    QWidget *own = window();
    if ((old && old->window() == own) || (now && now->window() == own)) {
        FocusChanged();
        update();
    }
}
