// The gradient panel: bevels, border, gradient or pipe background, soft inner
// corners and the caption.
#include "kvpanel.h"

#include "kvbmp.h"
#include "kvpixels.h"
#include "kvtext.h"

#include <QPainter>

#include <vector>

namespace {

// One colour of a linear run of n steps from a to b: step 0 is a, step n - 1
// is b exactly, the steps between are rounded to the nearest value.
TColor LinearColour(TColor a, TColor b, int k, int n)
{
    if (n <= 1)
        return a;
    const auto channel = [&](quint32 from, quint32 to) {
        const qint64 span = n - 1;
        return quint32((qint64(from) * (span - k) + qint64(to) * k + span / 2) / span);
    };
    return KvRgb(channel(KvRedOf(a), KvRedOf(b)), channel(KvGreenOf(a), KvGreenOf(b)),
                 channel(KvBlueOf(a), KvBlueOf(b)));
}

QColor ToQColor(TColor c)
{
    return QColor(int(KvRedOf(c)), int(KvGreenOf(c)), int(KvBlueOf(c)));
}

// The platform's two-colour linear gradient over r: colour a at the left
// (horizontal) or top (vertical) edge, colour b at the opposite edge.
void LinearGradient(QPainter &painter, const TKvRect &r, bool vertical, TColor a, TColor b)
{
    if (r.IsEmpty())
        return;
    const int n = vertical ? r.Height() : r.Width();
    for (int k = 0; k < n; ++k) {
        const QColor colour = ToQColor(LinearColour(a, b, k, n));
        if (vertical)
            painter.fillRect(QRect(r.Left, r.Top + k, r.Width(), 1), colour);
        else
            painter.fillRect(QRect(r.Left + k, r.Top, 1, r.Height()), colour);
    }
}

// `width` one-pixel frames around r, top and left in `top`, bottom and right
// in `bottom` (the bottom-left and top-right corner pixels are `bottom`); r
// shrinks by one pixel after each.
void Frame3D(QPainter &painter, TKvRect &r, TColor top, TColor bottom, int width)
{
    const QColor topColour = ToQColor(top);
    const QColor bottomColour = ToQColor(bottom);
    for (int i = 0; i < width && !r.IsEmpty(); ++i) {
        painter.fillRect(QRect(r.Left, r.Top, r.Width() - 1, 1), topColour);
        painter.fillRect(QRect(r.Left, r.Top, 1, r.Height() - 1), topColour);
        painter.fillRect(QRect(r.Right - 1, r.Top, 1, r.Height()), bottomColour);
        painter.fillRect(QRect(r.Left, r.Bottom - 1, r.Width(), 1), bottomColour);
        r = r.Shrunk(1);
    }
}

void Bevel(QPainter &painter, TKvRect &r, TKvBevelCut bevel, int width)
{
    if (bevel == bvNone)
        return;
    const TColor light = ResolveColor(KvSysColor(scBtnHighlight));
    const TColor shadow = ResolveColor(KvSysColor(scBtnShadow));
    if (bevel == bvLowered)
        Frame3D(painter, r, shadow, light, width);
    else
        Frame3D(painter, r, light, shadow, width);
}

// Coverage of the pixels of a rounded corner, row by row from the corner,
// each row from the corner inwards.
constexpr int CornerCoverage[4][4] = {
    {255, 255, 168, 64},
    {255, 120, 15, 0},
    {168, 15, 0, 0},
    {64, 0, 0, 0},
};

} // namespace

TKvPanel::TKvPanel(QWidget *parent)
    : QWidget(parent)
{
    resize(185, 41);
}

TKvPanel::~TKvPanel() = default;

template <typename T> void TKvPanel::store(T &field, T value)
{
    if (field != value) {
        field = value;
        update();
    }
}

void TKvPanel::SetAlignmentVertical(TKvVerticalAlignment alignment)
{
    store(m_alignmentVertical, alignment);
}

void TKvPanel::SetBkgdefaultPaint(bool on)
{
    m_bkgdefaultPaint = on;
    if (on)
        m_gradientFill = false;
    update();
}

void TKvPanel::SetBorderSoftInner(bool on)
{
    store(m_borderSoftInner, on);
}

void TKvPanel::SetClBegin(TColor colour)
{
    store(m_clBegin, colour);
}

void TKvPanel::SetClEnd(TColor colour)
{
    store(m_clEnd, colour);
}

void TKvPanel::SetClBorder(TColor colour)
{
    store(m_clBorder, colour);
}

void TKvPanel::SetDontEraceBkg(bool on)
{
    m_dontEraceBkg = on;
    setAttribute(Qt::WA_OpaquePaintEvent, on);
}

void TKvPanel::SetGradientDarkerEnd(int amount)
{
    if (amount == m_gradientDarkerEnd)
        return;
    m_gradientDarkerEnd = qBound(0, amount, 255);
    update();
}

void TKvPanel::SetGradientDirection(TKvGradientDirection direction)
{
    m_gradientDirection = direction;
    if (m_gradientFill)
        update();
}

void TKvPanel::SetGradientFill(bool on)
{
    m_gradientFill = on;
    if (on)
        m_bkgdefaultPaint = false;
    update();
}

void TKvPanel::SetGradientPipe(bool on)
{
    store(m_gradientPipe, on);
}

void TKvPanel::SetNoPaint(bool on)
{
    store(m_noPaint, on);
}

void TKvPanel::SetTextPadBottom(int pad)
{
    store(m_textPadBottom, pad);
}

void TKvPanel::SetTextPadLeft(int pad)
{
    store(m_textPadLeft, pad);
}

void TKvPanel::SetTextPadRight(int pad)
{
    store(m_textPadRight, pad);
}

void TKvPanel::SetTextPadTop(int pad)
{
    store(m_textPadTop, pad);
}

void TKvPanel::SetAlignment(TKvAlignment alignment)
{
    store(m_alignment, alignment);
}

void TKvPanel::SetBevelOuter(TKvBevelCut bevel)
{
    store(m_bevelOuter, bevel);
}

void TKvPanel::SetBevelInner(TKvBevelCut bevel)
{
    store(m_bevelInner, bevel);
}

void TKvPanel::SetBevelWidth(int width)
{
    store(m_bevelWidth, qMax(0, width));
}

void TKvPanel::SetBorderWidth(int width)
{
    store(m_borderWidth, qMax(0, width));
}

void TKvPanel::SetCaption(const QString &caption)
{
    store(m_caption, caption);
}

void TKvPanel::SetShowCaption(bool on)
{
    store(m_showCaption, on);
}

void TKvPanel::SetColor(TColor colour)
{
    store(m_color, colour);
}

void TKvPanel::SetFontColor(TColor colour)
{
    store(m_fontColor, colour);
}

void TKvPanel::SetPadding(const QMargins &padding)
{
    if (contentsMargins() == padding)
        return;
    setContentsMargins(padding);
    update();
}

QString TKvPanel::BrokenCaption(const QString &caption)
{
    const qsizetype first = caption.indexOf(QStringLiteral("||"));
    if (first < 0)
        return caption;
    QString text = caption;
    // Each pair is overwritten in place by CR LF, so the length stays.
    for (qsizetype i = first; i + 1 < text.size();) {
        const QChar a = text.at(i);
        if (a == text.at(i + 1) && (a == u'|' || a == u'*' || a == u'\u00A4')) {
            text[i] = u'\r';
            text[i + 1] = u'\n';
            i += 2;
        } else {
            ++i;
        }
    }
    return text;
}

void TKvPanel::paintEvent(QPaintEvent *)
{
    if (m_noPaint)
        return;
    QPainter painter(this);
    TKvRect r{0, 0, width(), height()};
    if (OnPaintBegin) {
        bool handled = false;
        OnPaintBegin(this, &painter, r, handled);
        if (handled)
            return;
    }

    Bevel(painter, r, m_bevelOuter, m_bevelWidth);
    Frame3D(painter, r, ResolveColor(m_clBorder), ResolveColor(m_clBorder), m_borderWidth);
    Bevel(painter, r, m_bevelInner, m_bevelWidth);

    if (m_gradientFill)
        paintGradient(painter, r);
    else if (!m_bkgdefaultPaint)
        painter.fillRect(r.ToQRect(), KvToQColor(m_color));
    if (m_bkgdefaultPaint)
        painter.fillRect(r.ToQRect(), KvToQColor(m_color));
    else if (m_borderSoftInner && m_borderWidth > 0)
        drawSoftInnerCorners(painter, r);

    if (m_showCaption && !m_caption.isEmpty()) {
        painter.setFont(font());
        drawCaption(&painter, r);
    }
    if (OnPainted)
        OnPainted(this, &painter, r);
}

void TKvPanel::paintGradient(QPainter &painter, const TKvRect &r)
{
    const bool vertical = m_gradientDirection == gdVertical;
    const TColor begin = ResolveColor(m_clBegin);
    const TColor end = ResolveColor(m_clEnd);
    if (!m_gradientPipe) {
        LinearGradient(painter, r, vertical, begin, end);
        return;
    }
    const quint32 keep = quint32(255 - m_gradientDarkerEnd);
    const TColor darker =
        KvRgb(KvRedOf(end) * keep / 255, KvGreenOf(end) * keep / 255, KvBlueOf(end) * keep / 255);
    // The split lies at four tenths of the rectangle's far coordinate.
    if (vertical) {
        const int split = qBound(r.Top, 4 * r.Bottom / 10, r.Bottom);
        LinearGradient(painter, TKvRect{r.Left, r.Top, r.Right, split}, true, end, begin);
        LinearGradient(painter, TKvRect{r.Left, split, r.Right, r.Bottom}, true, begin, darker);
    } else {
        const int split = qBound(r.Left, 4 * r.Right / 10, r.Right);
        LinearGradient(painter, TKvRect{r.Left, r.Top, split, r.Bottom}, false, end, begin);
        LinearGradient(painter, TKvRect{split, r.Top, r.Right, r.Bottom}, false, begin, darker);
    }
}

void TKvPanel::drawCaption(QPainter *surface, const TKvRect &rect)
{
    quint32 flags = m_alignment == taRightJustify ? KvTextFormat::Right
                    : m_alignment == taCenter     ? KvTextFormat::Centre
                                                  : KvTextFormat::Left;
    const bool breaks = m_caption.contains(QStringLiteral("||"));
    const QString text = breaks ? BrokenCaption(m_caption) : m_caption;
    flags |= breaks ? KvTextFormat::WordBreak : KvTextFormat::SingleLine;

    const QMargins pad = contentsMargins();
    const TKvRect r{rect.Left + pad.left() + m_textPadLeft, rect.Top + pad.top() + m_textPadTop,
                    rect.Right - pad.right() - m_textPadRight, rect.Bottom - pad.bottom() - m_textPadBottom};
    TKvRect t = r;
    KvMeasureText(surface->fontMetrics(), text, flags | KvTextFormat::Calculate, t);

    const int dy = (r.Height() - t.Height()) / 2;
    const int dx = (r.Width() - t.Width()) / 2;
    if (dy > 0) {
        const int h = t.Height();
        switch (m_alignmentVertical) {
        case tvaTop:
            t.Top = r.Top;
            t.Bottom = r.Top + h;
            break;
        case tvaCenter:
            t.Top = r.Top + dy;
            t.Bottom = r.Bottom - dy;
            break;
        case tvaBottom:
            t.Top = r.Bottom - h;
            t.Bottom = r.Bottom;
            break;
        }
    }
    if (dx >= 1) {
        const int w = t.Width();
        switch (m_alignment) {
        case taLeftJustify:
            t.Left = r.Left;
            t.Right = r.Left + w;
            break;
        case taCenter:
            t.Left = r.Left + dx;
            t.Right = r.Right - dx;
            break;
        case taRightJustify:
            t.Left = r.Right - w;
            t.Right = r.Right;
            break;
        }
    }
    surface->save();
    surface->setBackgroundMode(Qt::TransparentMode);
    surface->setPen(KvToQColor(m_fontColor));
    KvDrawText(*surface, text, flags, t);
    surface->restore();
}

void TKvPanel::drawSoftInnerCorners(QPainter &painter, const TKvRect &r)
{
    if (r.Width() < 10 || r.Height() < 10)
        return;
    TKvBmp scratch(this, 10, 10);
    if (!scratch.HasPixels())
        return;
    auto pixel = [&scratch](int x, int y) -> quint32 & {
        return reinterpret_cast<quint32 *>(scratch.ScanLine(y))[x];
    };

    // The outermost frame stands for the border around the corners.
    const quint32 border = KvPixelOf(ResolveColor(m_clBorder), 255);
    for (int i = 0; i < 10; ++i) {
        pixel(i, 0) = border;
        pixel(i, 9) = border;
        pixel(0, i) = border;
        pixel(9, i) = border;
    }

    // The inner 8 × 8 takes the background's first four and last four steps.
    const bool vertical = m_gradientDirection == gdVertical;
    const int n = vertical ? r.Height() : r.Width();
    const TColor from = ResolveColor(m_gradientFill ? m_clBegin : m_color);
    const TColor to = ResolveColor(m_gradientFill ? m_clEnd : m_color);
    std::vector<quint32> line(static_cast<std::size_t>(n));
    KvColorRun(line.data(), n, from, to);
    quint32 strip[8];
    for (int k = 0; k < 4; ++k) {
        strip[k] = line[std::size_t(k)];
        strip[4 + k] = line[std::size_t(n - 4 + k)];
    }
    for (int y = 1; y <= 8; ++y)
        for (int x = 1; x <= 8; ++x)
            pixel(x, y) = strip[vertical ? y - 1 : x - 1];

    // Each corner is blended towards the mean of the two border pixels
    // beside it.
    struct Corner
    {
        int x, y;   // the corner pixel of the inner area
        int dx, dy; // towards the inside
    };
    const Corner corners[4] = {{1, 1, 1, 1}, {8, 1, -1, 1}, {1, 8, 1, -1}, {8, 8, -1, -1}};
    for (const Corner &c : corners) {
        const quint32 k = 0xFF000000u | (KvHalf(pixel(c.x - c.dx, c.y)) + KvHalf(pixel(c.x, c.y - c.dy)));
        for (int row = 0; row < 4; ++row)
            for (int j = 0; j < 4; ++j) {
                const int coverage = CornerCoverage[row][j];
                if (coverage == 0)
                    continue;
                quint32 &p = pixel(c.x + j * c.dx, c.y + row * c.dy);
                p = KvCover(p, k, quint32(coverage));
            }
    }

    scratch.BlitRectTo(&painter, r.Left, r.Top, TKvRect{1, 1, 5, 5});
    scratch.BlitRectTo(&painter, r.Left, r.Bottom - 4, TKvRect{1, 5, 5, 9});
    scratch.BlitRectTo(&painter, r.Right - 4, r.Top, TKvRect{5, 1, 9, 5});
    scratch.BlitRectTo(&painter, r.Right - 4, r.Bottom - 4, TKvRect{5, 5, 9, 9});
}
