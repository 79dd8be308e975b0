// The end and corner pieces of the label rows.
#include "kvart.h"

#include "kvbmp.h"
#include "kvbuffers.h"
#include "kvpixels.h"

#include <QPainter>

#include <vector>

namespace {

// A label's row colour: the first pixel of its bitmap row.
TColor RowColour(const TKvGradiLabel *label, int row)
{
    const uchar *line = label->getScanLine(row);
    return KvColorOfPixel(reinterpret_cast<const quint32 *>(line)[0]);
}

// A label's column colour: pixel x of its bitmap row 0.
TColor ColumnColour(const TKvGradiLabel *label, int x)
{
    const uchar *line = label->getScanLine(0);
    return KvColorOfPixel(reinterpret_cast<const quint32 *>(line)[x]);
}

quint32 *Row(TKvBmp &bitmap, int y)
{
    return reinterpret_cast<quint32 *>(bitmap.ScanLine(y));
}

// Fades one row over `width` pixels from r (next to the label) to e (the
// outer end); the change accelerates outwards. `step` is +1 when the label
// lies to the left, -1 when it lies to the right.
void FadeRow(quint32 *row, int start, int step, int width, TColor r, TColor e)
{
    const qint64 total = qint64(width) * (width + 19) / 2;
    if (total <= 0)
        return;
    const qint64 scale = qint64(1) << 22;
    const qint64 from[3] = {KvBlueOf(r), KvGreenOf(r), KvRedOf(r)};
    const qint64 to[3] = {KvBlueOf(e), KvGreenOf(e), KvRedOf(e)};
    qint64 value[3];
    qint64 delta[3];
    for (int c = 0; c < 3; ++c) {
        value[c] = from[c] * scale;
        delta[c] = (from[c] - to[c]) * scale / total;
    }
    for (int i = 0; i < width; ++i) {
        const auto channel = [&](int c) { return quint32(value[c] / scale) & 0xFFu; };
        row[start + i * step] = KvMakePixel(channel(2), channel(1), channel(0), 255);
        for (int c = 0; c < 3; ++c)
            value[c] -= delta[c] * (10 + i);
    }
}

} // namespace

TKvArt::TKvArt(QWidget *parent)
    : QWidget(parent)
    , m_bitmap(std::make_unique<TKvBmp>())
{
    resize(23, 23);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

TKvArt::~TKvArt() = default;

QSize TKvArt::sizeHint() const
{
    return size();
}

void TKvArt::setDirty()
{
    m_dirty = true;
    update();
}

void TKvArt::SetClGradiDark(TColor colour)
{
    if (m_clGradiDark != colour) {
        m_clGradiDark = colour;
        setDirty();
    }
}

void TKvArt::SetClGradiLight(TColor colour)
{
    if (m_clGradiLight != colour) {
        m_clGradiLight = colour;
        setDirty();
    }
}

void TKvArt::SetArtStyle(TKvGradyStyle style)
{
    if (m_artStyle != style) {
        m_artStyle = style;
        setDirty();
    }
}

void TKvArt::SetArtType(TKvArtType type)
{
    if (m_artType != type) {
        m_artType = type;
        setDirty();
    }
}

void TKvArt::SetPipeShadow(int shadow)
{
    shadow = qBound(0, shadow, 255);
    if (m_pipeShadow != shadow) {
        m_pipeShadow = shadow;
        setDirty();
    }
}

void TKvArt::SetLabelBefore(TKvGradiLabel *label)
{
    if (m_labelBefore != label) {
        TKvGradiLabel *old = m_labelBefore;
        m_labelBefore = label;
        watchLabel(old, label);
        setDirty();
    }
}

void TKvArt::SetLabelAfter(TKvGradiLabel *label)
{
    if (m_labelAfter != label) {
        TKvGradiLabel *old = m_labelAfter;
        m_labelAfter = label;
        watchLabel(old, label);
        setDirty();
    }
}

void TKvArt::watchLabel(TKvGradiLabel *old, TKvGradiLabel *label)
{
    if (old && old != m_labelBefore && old != m_labelAfter)
        disconnect(old, nullptr, this, nullptr);
    if (!label)
        return;
    connect(label, &TKvGradiLabel::Painted, this, &TKvArt::labelPainted, Qt::UniqueConnection);
    // A label that changed its look (enabled, hot, colours) has new colours to continue.
    connect(label, &TKvGradiLabel::PictureChanged, this, &TKvArt::setDirty, Qt::UniqueConnection);
    connect(label, &QObject::destroyed, this, &TKvArt::setDirty, Qt::UniqueConnection);
}

void TKvArt::labelPainted()
{
    if (m_dirty)
        update();
}

const uchar *TKvArt::getScanLine(int row) const
{
    return m_bitmap->ScanLine(row);
}

void TKvArt::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_dirty = true;
}

void TKvArt::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    setDirty();
}

void TKvArt::paintEvent(QPaintEvent *)
{
    if (width() <= 0 || height() <= 0)
        return;
    // When the picture is not done the piece either took a label's size (the
    // resize paints again) or waits for a label to paint (Painted).
    if (m_dirty)
        paintBitmap();
    QPainter painter(this);
    m_bitmap->BlitTo(&painter, 0, 0);
    if (OnPaint)
        OnPaint(this, &painter);
}

// The own colour line of n entries: a pipe (dark, light at two fifths, then
// the dark colour shadowed) or one run from light to dark.
static std::vector<quint32> OwnColourLine(int n, bool pipe, TColor light, TColor dark, int pipeShadow)
{
    std::vector<quint32> line(size_t(qMax(n, 0)));
    if (n <= 0)
        return line;
    if (pipe) {
        const int d = 2 * n / 5;
        const auto shade = [&](quint32 channel) { return channel * quint32(255 - pipeShadow) / 255; };
        const TColor shadow = KvRgb(shade(KvRedOf(dark)), shade(KvGreenOf(dark)), shade(KvBlueOf(dark)));
        if (d > 0)
            KvColorRun(line.data(), d, dark, light);
        KvColorRun(line.data() + d, n - d, light, shadow);
    } else {
        KvColorRun(line.data(), n, light, dark);
    }
    return line;
}

bool TKvArt::paintBitmap()
{
    TKvBmp &bmp = *m_bitmap;
    if (!bmp.HasPixels())
        bmp.Create(this);
    if (bmp.Width() != width() || bmp.Height() != height())
        bmp.SetSize(width(), height(), false);
    const int w = width();
    const int h = height();
    const TColor light = ResolveColor(m_clGradiLight);
    const TColor dark = ResolveColor(m_clGradiDark);

    const bool ownBackground = m_artType == aatSpace
                               || ((m_artType == aatCornerNW || m_artType == aatCornerSE) && !m_labelAfter)
                               || ((m_artType == aatCornerNE || m_artType == aatCornerSW) && !m_labelBefore);
    if (ownBackground) {
        const TKvRect all{0, 0, w, h};
        switch (m_artStyle) {
        case agsVertGradi:
        case agsHorzGradi:
            bmp.GradientRect(m_artStyle == agsVertGradi, dark, light, all);
            break;
        case agsVertPipe:
        case agsHorzPipe:
            bmp.PipeRect(m_artStyle == agsVertPipe, 60, false, dark, light, all);
            break;
        case agsSolid:
            bmp.Fill(dark);
            break;
        }
    }
    if (m_artType == aatSpace) {
        m_dirty = false;
        return true;
    }
    if ((m_labelAfter && !m_labelAfter->GetFullyLoaded())
        || (m_labelBefore && !m_labelBefore->GetFullyLoaded()))
        return false;

    const bool endPipe = m_artStyle == agsVertPipe;
    const bool cornerPipe = m_artStyle == agsHorzPipe;
    bool done = true;
    switch (m_artType) {
    case aatEndLeft:
    case aatEndRight: {
        TKvGradiLabel *label = m_artType == aatEndLeft ? m_labelAfter.data() : m_labelBefore.data();
        if (label && label->height() != h) {
            resize(w, label->height());
            done = false;
            break;
        }
        const TColor edge = label ? ResolveColor(label->ClGradiDark()) : dark;
        const std::vector<quint32> own =
            label ? std::vector<quint32>() : OwnColourLine(h, endPipe, light, dark, m_pipeShadow);
        for (int y = 0; y < h; ++y) {
            const TColor rowColour = label ? RowColour(label, y) : KvColorOfPixel(own[size_t(y)]);
            if (m_artType == aatEndLeft)
                FadeRow(Row(bmp, y), w - 1, -1, w, rowColour, edge);
            else
                FadeRow(Row(bmp, y), 0, +1, w, rowColour, edge);
        }
        break;
    }
    case aatEndUp:
    case aatEndDown: {
        TKvGradiLabel *label = m_artType == aatEndUp ? m_labelAfter.data() : m_labelBefore.data();
        if (label && label->width() != w) {
            resize(label->width(), h);
            done = false;
            break;
        }
        const TColor edge = label ? ResolveColor(label->ClGradiDark()) : dark;
        const std::vector<quint32> own =
            label ? std::vector<quint32>() : OwnColourLine(w, endPipe, light, dark, m_pipeShadow);
        std::vector<quint32> column(static_cast<size_t>(h));
        for (int x = 0; x < w; ++x) {
            const TColor c = label ? ColumnColour(label, x) : KvColorOfPixel(own[size_t(x)]);
            if (m_artType == aatEndUp)
                KvColorRun(column.data(), h, edge, c);
            else
                KvColorRun(column.data(), h, c, edge);
            for (int y = 0; y < h; ++y)
                Row(bmp, y)[x] = column[size_t(y)];
        }
        break;
    }
    default: {
        // Corners: the row label supplies row colours, the column label column colours.
        const bool after = m_artType == aatCornerNW || m_artType == aatCornerSE;
        TKvGradiLabel *rowLabel = after ? m_labelAfter.data() : m_labelBefore.data();
        TKvGradiLabel *columnLabel = after ? m_labelBefore.data() : m_labelAfter.data();
        if (rowLabel && rowLabel->height() != h) {
            resize(w, rowLabel->height());
            done = false;
            break;
        }
        if (columnLabel && columnLabel->width() != w) {
            resize(columnLabel->width(), h);
            done = false;
            break;
        }
        const auto split = [&](int y) { return (10 * y * w + 5) / (10 * h); };
        if (rowLabel) {
            for (int y = 0; y < h; ++y) {
                const quint32 pixel = KvPixelOf(RowColour(rowLabel, y), 255);
                const int s = split(y);
                int from = 0;
                int to = -1;
                switch (m_artType) {
                case aatCornerNW:
                    from = s;
                    to = w - 1;
                    break;
                case aatCornerNE:
                    from = 0;
                    to = w - s - 1;
                    break;
                case aatCornerSE:
                    if (y >= 1) {
                        from = 0;
                        to = s - 1;
                    }
                    break;
                default:
                    if (y >= 1) {
                        from = w - s - 1;
                        to = w - 1;
                    }
                    break;
                }
                for (int x = qMax(from, 0); x <= qMin(to, w - 1); ++x)
                    Row(bmp, y)[x] = pixel;
            }
        }
        const std::vector<quint32> own =
            columnLabel ? std::vector<quint32>() : OwnColourLine(w, cornerPipe, light, dark, m_pipeShadow);
        for (int y = 0; y < h; ++y) {
            const int s = split(y);
            int from = 0;
            int to = -1;
            switch (m_artType) {
            case aatCornerNW:
                if (y >= 1) {
                    from = 0;
                    to = s - 1;
                }
                break;
            case aatCornerNE:
                if (y >= 1) {
                    from = w - s - 1;
                    to = w - 1;
                }
                break;
            case aatCornerSE:
                from = s;
                to = w - 1;
                break;
            default:
                from = 0;
                to = w - s - 1;
                break;
            }
            for (int x = qMax(from, 0); x <= qMin(to, w - 1); ++x) {
                const quint32 c = columnLabel ? KvPixelOf(ColumnColour(columnLabel, x), 255) : own[size_t(x)];
                Row(bmp, y)[x] = c;
            }
        }
        break;
    }
    }
    if (done)
        m_dirty = false;
    return done;
}
