// Paints the editor's pictures and writes them as PNG files with alpha.
//
//   gen-pictures <output folder>
//
// Every picture is drawn in logical pixels and written twice: at its own
// size ("name.png") and at twice the size for high-density screens
// ("name@2x.png"). Image lists are one horizontal strip per list, image i at
// x = i × image width. Run through scripts/gen-pictures.sh.

#include <QColor>
#include <QDir>
#include <QFont>
#include <QFontInfo>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtMath>

#include <cstdio>
#include <functional>
#include <map>

namespace {

using PaintFn = std::function<void(QPainter &)>;

// The palette shared by all pictures, so that they read as one family.
namespace Pal {
const QColor Ink(0x2c, 0x3e, 0x5a); // outlines of paper and neutral shapes
const QColor PaperTop(0xff, 0xff, 0xff);
const QColor PaperBottom(0xe4, 0xec, 0xf7);
const QColor BlueLight(0x6f, 0xa8, 0xf0);
const QColor Blue(0x2f, 0x6f, 0xd0);
const QColor BlueDark(0x1c, 0x47, 0x8e);
const QColor GreenLight(0x7c, 0xd0, 0x6e);
const QColor Green(0x2f, 0x9e, 0x44);
const QColor GreenDark(0x1d, 0x6b, 0x2c);
const QColor RedLight(0xf2, 0x76, 0x6b);
const QColor Red(0xd3, 0x36, 0x2f);
const QColor RedDark(0x8f, 0x1d, 0x18);
const QColor AmberLight(0xff, 0xdc, 0x7a);
const QColor Amber(0xf0, 0xb2, 0x36);
const QColor AmberDark(0xa8, 0x6e, 0x0c);
const QColor Grey(0x6e, 0x7c, 0x92);
const QColor Hot(0xf0, 0x8c, 0x1e); // hot (mouse-over) accents
const QColor HotFill(0xff, 0xf1, 0xc9);
} // namespace Pal

QLinearGradient vertical(qreal top, qreal bottom, const QColor &a, const QColor &b)
{
    QLinearGradient g(0, top, 0, bottom);
    g.setColorAt(0, a);
    g.setColorAt(1, b);
    return g;
}

QPen pen(const QColor &c, qreal width, Qt::PenCapStyle cap = Qt::SquareCap,
         Qt::PenJoinStyle join = Qt::MiterJoin)
{
    QPen p(c, width);
    p.setCapStyle(cap);
    p.setJoinStyle(join);
    return p;
}

// ---------------------------------------------------------------- shapes

// A sheet of paper with a folded top-right corner, inside (x, y, w, h).
void paper(QPainter &p, qreal x, qreal y, qreal w, qreal h, qreal fold)
{
    QPainterPath sheet;
    sheet.moveTo(x, y);
    sheet.lineTo(x + w - fold, y);
    sheet.lineTo(x + w, y + fold);
    sheet.lineTo(x + w, y + h);
    sheet.lineTo(x, y + h);
    sheet.closeSubpath();
    p.setPen(pen(Pal::Ink, 1, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(vertical(y, y + h, Pal::PaperTop, Pal::PaperBottom));
    p.drawPath(sheet);

    QPainterPath corner;
    corner.moveTo(x + w - fold, y);
    corner.lineTo(x + w - fold, y + fold);
    corner.lineTo(x + w, y + fold);
    corner.closeSubpath();
    p.setBrush(QColor(0xc9, 0xd5, 0xe6));
    p.drawPath(corner);
}

// A folder seen from the front: back with a tab, and an open or closed front.
void folder(QPainter &p, qreal x, qreal y, qreal w, qreal h, bool open)
{
    const qreal tab = w * 0.42;
    QPainterPath back;
    back.moveTo(x, y + 1);
    back.quadTo(x, y, x + 1, y);
    back.lineTo(x + tab - 1.5, y);
    back.lineTo(x + tab, y + 1.5);
    back.lineTo(x + w - 1, y + 1.5);
    back.quadTo(x + w, y + 1.5, x + w, y + 2.5);
    back.lineTo(x + w, y + h);
    back.lineTo(x, y + h);
    back.closeSubpath();
    p.setPen(pen(Pal::AmberDark, 1, Qt::SquareCap, Qt::RoundJoin));
    p.setBrush(vertical(y, y + h, Pal::Amber, Pal::AmberDark.lighter(130)));
    p.drawPath(back);

    QPainterPath front;
    if (open) {
        const qreal top = y + h * 0.38;
        front.moveTo(x, y + h);
        front.lineTo(x + w * 0.2, top);
        front.lineTo(x + w + 1.5, top);
        front.lineTo(x + w - w * 0.12, y + h);
        front.closeSubpath();
    } else {
        const qreal top = y + 3;
        front.addRect(QRectF(x, top, w, y + h - top));
    }
    p.setBrush(vertical(y + 3, y + h, Pal::AmberLight, Pal::Amber));
    p.drawPath(front);
}

// A floppy disk filling the square (x, y, s, s).
void floppy(QPainter &p, qreal x, qreal y, qreal s)
{
    const qreal u = s / 13.0; // the shape is laid out on a 13-unit grid
    QPainterPath body;
    body.moveTo(x, y + 1 * u);
    body.quadTo(x, y, x + 1 * u, y);
    body.lineTo(x + s - 2 * u, y);
    body.lineTo(x + s, y + 2 * u);
    body.lineTo(x + s, y + s - 1 * u);
    body.quadTo(x + s, y + s, x + s - 1 * u, y + s);
    body.lineTo(x + 1 * u, y + s);
    body.quadTo(x, y + s, x, y + s - 1 * u);
    body.closeSubpath();
    p.setPen(pen(Pal::BlueDark, 1, Qt::SquareCap, Qt::RoundJoin));
    p.setBrush(vertical(y, y + s, Pal::BlueLight, Pal::Blue));
    p.drawPath(body);

    // Metal shutter at the top with its window.
    p.setPen(Qt::NoPen);
    p.setBrush(vertical(y, y + 5 * u, QColor(0xf4, 0xf6, 0xfa), QColor(0xb8, 0xc2, 0xd0)));
    p.drawRect(QRectF(x + 3 * u, y + 0.5, 6.5 * u, 4.5 * u - 0.5));
    p.setBrush(Pal::BlueDark);
    p.drawRect(QRectF(x + 7 * u, y + 1 * u, 1.5 * u, 3 * u));

    // Label at the bottom.
    p.setBrush(QColor(0xfb, 0xfc, 0xff));
    p.drawRect(QRectF(x + 2 * u, y + 7 * u, s - 4 * u, s - 7 * u - 0.5));
    p.setPen(pen(QColor(0x9d, 0xb4, 0xd6), 1 * u, Qt::FlatCap));
    p.drawLine(QPointF(x + 3 * u, y + 9 * u), QPointF(x + s - 3 * u, y + 9 * u));
    p.drawLine(QPointF(x + 3 * u, y + 11 * u), QPointF(x + s - 3 * u, y + 11 * u));
}

// A pencil from the tip (tx, ty) up and to the right over the given length.
void pencil(QPainter &p, qreal tx, qreal ty, qreal length, qreal width)
{
    p.save();
    p.translate(tx, ty);
    p.rotate(-45);
    const qreal half = width / 2;
    const qreal tip = width * 1.1;
    // Wood and graphite tip.
    QPainterPath cone;
    cone.moveTo(0, 0);
    cone.lineTo(tip, -half);
    cone.lineTo(tip, half);
    cone.closeSubpath();
    p.setPen(pen(QColor(0x5a, 0x3c, 0x1e), 0.8, Qt::FlatCap, Qt::RoundJoin));
    p.setBrush(QColor(0xf2, 0xd4, 0xa6));
    p.drawPath(cone);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x33, 0x33, 0x33));
    QPainterPath lead;
    lead.moveTo(0, 0);
    lead.lineTo(tip * 0.4, -half * 0.4);
    lead.lineTo(tip * 0.4, half * 0.4);
    lead.closeSubpath();
    p.drawPath(lead);
    // Body and eraser.
    QLinearGradient bodyGrad(0, -half, 0, half);
    bodyGrad.setColorAt(0, QColor(0xff, 0xc9, 0x4d));
    bodyGrad.setColorAt(1, QColor(0xe0, 0x8a, 0x10));
    p.setPen(pen(QColor(0x8a, 0x55, 0x0a), 0.8, Qt::FlatCap, Qt::MiterJoin));
    p.setBrush(bodyGrad);
    p.drawRect(QRectF(tip, -half, length - tip - width * 0.9, width));
    p.setBrush(QColor(0xe8, 0x6a, 0x78));
    p.drawRect(QRectF(length - width * 0.9, -half, width * 0.9, width));
    p.restore();
}

// A magnifying glass whose lens is centred at (cx, cy).
void magnifier(QPainter &p, qreal cx, qreal cy, qreal r, qreal handle)
{
    const qreal d = r * 0.7071 + 0.6;
    p.setPen(pen(QColor(0x4a, 0x35, 0x22), 3, Qt::RoundCap));
    p.drawLine(QPointF(cx + d + 0.6, cy + d + 0.6), QPointF(cx + d + handle, cy + d + handle));
    QRadialGradient lens(cx - r * 0.35, cy - r * 0.35, r * 1.4);
    lens.setColorAt(0, QColor(0xff, 0xff, 0xff, 235));
    lens.setColorAt(1, QColor(0xa8, 0xcd, 0xf5, 235));
    p.setPen(pen(Pal::Ink, 1.6));
    p.setBrush(lens);
    p.drawEllipse(QPointF(cx, cy), r, r);
    // A glint on the glass.
    p.setPen(pen(QColor(255, 255, 255, 230), 1, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(cx - r + 1.6, cy - r + 1.6, 2 * r - 3.2, 2 * r - 3.2), 100 * 16, 60 * 16);
}

// An arrow head pointing along `angle` (degrees, 0 = right, counter-clockwise) with its tip at `tip`.
void arrowHead(QPainter &p, QPointF tip, qreal angle, qreal size, const QColor &fill)
{
    p.save();
    p.translate(tip);
    p.rotate(-angle);
    QPainterPath head;
    head.moveTo(0, 0);
    head.lineTo(-size, -size * 0.8);
    head.lineTo(-size, size * 0.8);
    head.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawPath(head);
    p.restore();
}

// A rounded tile in a gradient from light to base, outlined in dark.
void tile(QPainter &p, QRectF r, const QColor &light, const QColor &base, const QColor &dark, qreal radius)
{
    p.setPen(pen(dark, 1, Qt::SquareCap, Qt::RoundJoin));
    p.setBrush(vertical(r.top(), r.bottom(), light, base));
    p.drawRoundedRect(r, radius, radius);
}

// A glossy disc with rim, for the error and message pictures.
void disc(QPainter &p, QPointF c, qreal r, const QColor &light, const QColor &base, const QColor &dark,
          qreal rim)
{
    QRadialGradient g(c.x() - r * 0.3, c.y() - r * 0.45, r * 1.5);
    g.setColorAt(0, light);
    g.setColorAt(0.55, base);
    g.setColorAt(1, dark);
    p.setPen(pen(dark, rim));
    p.setBrush(g);
    p.drawEllipse(c, r, r);
}

// ---------------------------------------------------------------- item images (12 × 12)

void itemBlank(QPainter &p)
{
    // The return symbol: an empty line that ends where it starts.
    p.setBrush(Qt::NoBrush);
    p.setPen(pen(Pal::Grey, 1.5, Qt::FlatCap, Qt::MiterJoin));
    QPainterPath hook;
    hook.moveTo(9.75, 1.75);
    hook.lineTo(9.75, 7.25);
    hook.lineTo(4.5, 7.25);
    p.drawPath(hook);
    arrowHead(p, QPointF(1.0, 7.25), 180, 3.5, Pal::Grey);
}

void itemValue(QPainter &p)
{
    // "name = value": a blue tile with an equals sign.
    tile(p, QRectF(0.5, 0.5, 11, 11), Pal::BlueLight, Pal::Blue, Pal::BlueDark, 2);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(3, 3.5, 6, 1.5));
    p.drawRect(QRectF(3, 7, 6, 1.5));
}

void itemComment(QPainter &p)
{
    // A speech bubble with two lines of text.
    QPainterPath bubble;
    bubble.addRoundedRect(QRectF(0.5, 0.5, 11, 8), 2, 2);
    QPainterPath tail;
    tail.moveTo(2.5, 8);
    tail.lineTo(2.5, 11.5);
    tail.lineTo(6, 8);
    tail.closeSubpath();
    bubble = bubble.united(tail);
    p.setPen(pen(Pal::GreenDark, 1, Qt::SquareCap, Qt::RoundJoin));
    p.setBrush(vertical(0.5, 9, Pal::GreenLight, Pal::Green));
    p.drawPath(bubble);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(2.5, 3, 7, 1));
    p.drawRect(QRectF(2.5, 5, 5, 1));
}

void itemError(QPainter &p)
{
    // A red disc with an exclamation mark.
    disc(p, QPointF(6, 6), 5.5, Pal::RedLight, Pal::Red, Pal::RedDark, 1);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(5.25, 2.5, 1.5, 4.5));
    p.drawRect(QRectF(5.25, 8, 1.5, 1.5));
}

void itemSection(QPainter &p)
{
    // A closed folder: the container of items.
    folder(p, 0.5, 1.5, 11, 9.5, false);
}

// The values-only switch: a check box, ticked when on, with an orange hot look.
void itemSwitch(QPainter &p, bool on, bool hot)
{
    const QRectF box(1.5, 1.5, 9, 9);
    if (hot) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(Pal::Hot.red(), Pal::Hot.green(), Pal::Hot.blue(), 70));
        p.drawRoundedRect(QRectF(0, 0, 12, 12), 2.5, 2.5);
    }
    p.setPen(pen(hot ? Pal::Hot.darker(115) : Pal::Ink, 1, Qt::SquareCap, Qt::RoundJoin));
    p.setBrush(hot ? vertical(box.top(), box.bottom(), Qt::white, Pal::HotFill)
                   : vertical(box.top(), box.bottom(), Pal::PaperTop, Pal::PaperBottom));
    p.drawRoundedRect(box, 1.5, 1.5);
    if (on) {
        QPainterPath tick;
        tick.moveTo(3.5, 6.25);
        tick.lineTo(5.25, 8.25);
        tick.lineTo(8.75, 3.75);
        p.setBrush(Qt::NoBrush);
        p.setPen(pen(Pal::Green, 1.75, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(tick);
    }
}

// ---------------------------------------------------------------- button images (16 × 16)

void buttonNew(QPainter &p)
{
    paper(p, 3.5, 1.5, 10, 13, 4);
    // A sparkle at the top-left corner: something new.
    QPainterPath star;
    const QPointF c(3.5, 3.5);
    const qreal r = 3.5, k = 0.9;
    star.moveTo(c.x(), c.y() - r);
    star.lineTo(c.x() + k, c.y() - k);
    star.lineTo(c.x() + r, c.y());
    star.lineTo(c.x() + k, c.y() + k);
    star.lineTo(c.x(), c.y() + r);
    star.lineTo(c.x() - k, c.y() + k);
    star.lineTo(c.x() - r, c.y());
    star.lineTo(c.x() - k, c.y() - k);
    star.closeSubpath();
    p.setPen(pen(Pal::AmberDark, 0.8, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(QColor(0xff, 0xd2, 0x3c));
    p.drawPath(star);
}

void buttonOpen(QPainter &p)
{
    folder(p, 0.5, 2.5, 14, 11.5, true);
}

void buttonReload(QPainter &p)
{
    // Two arrows chasing each other round a circle.
    const QRectF ring(2.5, 2.5, 11, 11);
    p.setBrush(Qt::NoBrush);
    p.setPen(pen(Pal::GreenDark, 3.6, Qt::FlatCap));
    p.drawArc(ring, 15 * 16, 140 * 16);
    p.drawArc(ring, 195 * 16, 140 * 16);
    p.setPen(pen(Pal::Green, 2, Qt::FlatCap));
    p.drawArc(ring, 15 * 16, 140 * 16);
    p.drawArc(ring, 195 * 16, 140 * 16);
    // Heads at the clockwise ends of the arcs (angles 15° and 195°).
    const QPointF c = ring.center();
    const qreal r = ring.width() / 2;
    auto at = [&](qreal deg) {
        const qreal rad = qDegreesToRadians(deg);
        return QPointF(c.x() + r * qCos(rad), c.y() - r * qSin(rad));
    };
    auto head = [&](qreal deg) {
        // The tangent pointing clockwise at angle deg is deg - 90.
        const QPointF base = at(deg);
        const qreal dir = deg - 90;
        const QPointF tip = base + QPointF(qCos(qDegreesToRadians(dir)), -qSin(qDegreesToRadians(dir))) * 2.2;
        arrowHead(p, tip + QPointF(qCos(qDegreesToRadians(dir)), -qSin(qDegreesToRadians(dir))) * 0.6, dir,
                  4.8, Pal::GreenDark);
        arrowHead(p, tip, dir, 3.4, Pal::Green);
    };
    head(15);
    head(195);
}

void buttonSave(QPainter &p)
{
    floppy(p, 1.5, 1.5, 13);
}

void buttonSaveAs(QPainter &p)
{
    floppy(p, 0.5, 0.5, 12);
    pencil(p, 7.5, 15.0, 11, 3.6);
}

void buttonFind(QPainter &p)
{
    magnifier(p, 6.5, 6.5, 4.7, 5.6);
}

void buttonShortcut(QPainter &p)
{
    // The shortcut mark: a box with a curved arrow leaving it.
    p.setPen(pen(Pal::Ink, 1, Qt::SquareCap, Qt::RoundJoin));
    p.setBrush(vertical(1.5, 14.5, Pal::PaperTop, Pal::PaperBottom));
    p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 2, 2);
    QPainterPath curve;
    curve.moveTo(4.5, 12.5);
    curve.cubicTo(4.5, 8.0, 6.5, 6.3, 9.3, 6.3);
    p.setBrush(Qt::NoBrush);
    p.setPen(pen(Pal::BlueDark, 3.4, Qt::RoundCap));
    p.drawPath(curve);
    p.setPen(pen(Pal::Blue, 2, Qt::RoundCap));
    p.drawPath(curve);
    QPainterPath head;
    head.moveTo(13.3, 6.3);
    head.lineTo(9.0, 2.6);
    head.lineTo(9.0, 10.0);
    head.closeSubpath();
    p.setPen(pen(Pal::BlueDark, 0.8, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(Pal::Blue);
    p.drawPath(head);
}

void buttonClipboard(QPainter &p)
{
    // A clipboard with a sheet of text.
    p.setPen(pen(QColor(0x6b, 0x45, 0x1e), 1, Qt::SquareCap, Qt::RoundJoin));
    p.setBrush(vertical(2, 15.5, QColor(0xd8, 0xa0, 0x60), QColor(0xa8, 0x6c, 0x30)));
    p.drawRoundedRect(QRectF(1.5, 2.5, 13, 13), 1.5, 1.5);
    p.setPen(pen(QColor(0x9a, 0xa8, 0xbc), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(3.5, 4.5, 9, 9.5));
    p.setPen(pen(QColor(0x8d, 0xa3, 0xc4), 1, Qt::FlatCap));
    for (qreal y : {7.5, 9.5, 11.5})
        p.drawLine(QPointF(5, y), QPointF(y == 11.5 ? 9 : 11, y));
    // The metal clip.
    p.setPen(pen(QColor(0x4c, 0x56, 0x66), 1, Qt::SquareCap, Qt::RoundJoin));
    p.setBrush(vertical(0.5, 5.5, QColor(0xf2, 0xf4, 0xf8), QColor(0xa2, 0xac, 0xbc)));
    p.drawRoundedRect(QRectF(5, 1, 6, 4), 1, 1);
}

// ---------------------------------------------------------------- message pictures (64 × 64)

void messageInfo(QPainter &p)
{
    disc(p, QPointF(32, 32), 28.5, QColor(0x9c, 0xc6, 0xff), Pal::Blue, Pal::BlueDark, 2);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(32, 18.5), 4.2, 4.2);
    p.drawRoundedRect(QRectF(28, 26, 8, 24), 2, 2);
}

void messageQuestion(QPainter &p)
{
    disc(p, QPointF(32, 32), 28.5, QColor(0x9c, 0xc6, 0xff), Pal::Blue, Pal::BlueDark, 2);
    QPainterPath mark;
    mark.moveTo(23.5, 24);
    mark.cubicTo(23.5, 17.5, 27.5, 14.5, 32, 14.5);
    mark.cubicTo(37, 14.5, 40.5, 18, 40.5, 22.5);
    mark.cubicTo(40.5, 27.5, 36.5, 29, 34, 31);
    mark.cubicTo(32.3, 32.4, 32, 34, 32, 37.5);
    p.setBrush(Qt::NoBrush);
    p.setPen(pen(Qt::white, 7, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(mark);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(32, 46.5), 4.3, 4.3);
}

void messageError(QPainter &p)
{
    disc(p, QPointF(32, 32), 28.5, QColor(0xff, 0x9e, 0x94), Pal::Red, Pal::RedDark, 2);
    p.setPen(pen(Qt::white, 7.5, Qt::RoundCap));
    p.drawLine(QPointF(22, 22), QPointF(42, 42));
    p.drawLine(QPointF(42, 22), QPointF(22, 42));
}

void messageExclamation(QPainter &p)
{
    // A rounded warning triangle.
    QPainterPath tri;
    const QPointF a(32, 6.5), b(58.5, 55.5), c(5.5, 55.5);
    tri.moveTo(a);
    tri.lineTo(b);
    tri.lineTo(c);
    tri.closeSubpath();
    QLinearGradient g(0, 5, 0, 58);
    g.setColorAt(0, QColor(0xff, 0xe2, 0x6e));
    g.setColorAt(1, QColor(0xf5, 0xb0, 0x14));
    // A wide round-joined outline gives the rounded corners.
    p.setPen(pen(QColor(0xa0, 0x68, 0x00), 9, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(g);
    p.drawPath(tri);
    p.setPen(pen(QColor(0xff, 0xd2, 0x4a), 5, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(tri);
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawPath(tri);
    p.setBrush(QColor(0x2a, 0x22, 0x10));
    QPainterPath bar;
    bar.moveTo(28.2, 21);
    bar.lineTo(35.8, 21);
    bar.lineTo(34.2, 41);
    bar.lineTo(29.8, 41);
    bar.closeSubpath();
    p.setPen(pen(QColor(0x2a, 0x22, 0x10), 1.5, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(bar);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(32, 48), 3.8, 3.8);
}

// ---------------------------------------------------------------- OK glyph (16 × 16)

void okGlyph(QPainter &p)
{
    QPainterPath tick;
    tick.moveTo(2.5, 8.5);
    tick.lineTo(6.5, 12.5);
    tick.lineTo(13.5, 3.5);
    p.setBrush(Qt::NoBrush);
    p.setPen(pen(Pal::GreenDark, 4, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(tick);
    p.setPen(pen(Pal::Green, 2.2, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(tick);
}

// ---------------------------------------------------------------- logo (500 × 200)

QFont logoFont(const QString &family, int pixelSize, int weight)
{
    QFont f(family);
    f.setPixelSize(pixelSize);
    f.setWeight(QFont::Weight(weight));
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setStyleStrategy(QFont::PreferAntialias);
    const QFontInfo info(f);
    if (info.family() != family)
        std::fprintf(stderr, "warning: font \"%s\" not found, using \"%s\"\n", qPrintable(family),
                     qPrintable(info.family()));
    return f;
}

void feather(QPainter &p)
{
    // A quill laid diagonally, nib at the bottom left, in the blues of the palette.
    p.save();
    p.translate(104, 100);
    p.rotate(-52);
    QPainterPath vane;
    vane.moveTo(-62, 0);
    vane.cubicTo(-40, -22, 20, -34, 70, -6);
    vane.cubicTo(74, -3, 74, 3, 70, 4);
    vane.cubicTo(30, 22, -30, 18, -62, 0);
    QLinearGradient g(-62, 0, 72, 0);
    g.setColorAt(0, Pal::BlueDark);
    g.setColorAt(0.55, Pal::Blue);
    g.setColorAt(1, QColor(0xa9, 0xcc, 0xf7));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawPath(vane);
    p.setClipPath(vane);
    // Notches in the vane.
    p.setPen(pen(QColor(255, 255, 255, 200), 2.2, Qt::RoundCap));
    p.drawLine(QPointF(20, -20), QPointF(32, -26));
    p.drawLine(QPointF(-12, -13), QPointF(-4, -19));
    p.drawLine(QPointF(8, 13), QPointF(18, 19));
    p.drawLine(QPointF(42, 8), QPointF(50, 13));
    // Barbs: fine lines from the shaft.
    p.setPen(pen(QColor(255, 255, 255, 70), 1, Qt::RoundCap));
    for (int i = -40; i <= 60; i += 7) {
        p.drawLine(QPointF(i, -0.5), QPointF(i + 9, -10));
        p.drawLine(QPointF(i, 0.5), QPointF(i + 8, 8));
    }
    p.setClipping(false);
    // The shaft, running past the vane into the nib.
    p.setPen(pen(QColor(0xf4, 0xf8, 0xff), 2.2, Qt::RoundCap));
    p.drawLine(QPointF(-74, 0.5), QPointF(66, -0.5));
    p.setPen(pen(Pal::Ink, 2.2, Qt::RoundCap));
    p.drawLine(QPointF(-86, 1), QPointF(-74, 0.5));
    p.restore();
}

void logo(QPainter &p)
{
    // The card.
    const QRectF card(3, 3, 494, 194);
    QLinearGradient bg(0, card.top(), 0, card.bottom());
    bg.setColorAt(0, QColor(0xff, 0xff, 0xff));
    bg.setColorAt(1, QColor(0xdc, 0xe7, 0xf8));
    p.setPen(pen(QColor(0x8f, 0xa6, 0xcf), 2));
    p.setBrush(bg);
    p.drawRoundedRect(card, 20, 20);

    feather(p);
    // The ink stroke the quill has just written.
    QPainterPath ink;
    ink.moveTo(40, 168);
    ink.cubicTo(80, 152, 130, 182, 180, 160);
    p.setBrush(Qt::NoBrush);
    p.setPen(pen(QColor(0x2c, 0x3e, 0x5a, 200), 3, Qt::RoundCap));
    p.drawPath(ink);

    // The product name.
    // The name is set as large as fits between the quill and the right edge.
    const qreal textLeft = 194, textRight = 470;
    QPainterPath name;
    for (int size = 84; size > 20; size -= 2) {
        name = QPainterPath();
        name.addText(0, 0, logoFont(QStringLiteral("DejaVu Serif"), size, 700), QStringLiteral("Quillon"));
        if (name.boundingRect().width() <= textRight - textLeft)
            break;
    }
    const QRectF nb = name.boundingRect();
    const qreal nx = textLeft - nb.left(), ny = 108;
    name.translate(nx, ny);
    QLinearGradient ng(0, ny + nb.top(), 0, ny + nb.bottom());
    ng.setColorAt(0, QColor(0x2a, 0x5c, 0xb8));
    ng.setColorAt(1, QColor(0x14, 0x2f, 0x63));
    p.setPen(Qt::NoPen);
    p.setBrush(ng);
    p.drawPath(name);

    // The line under it: what it is, and who made it.
    p.setPen(QColor(0x4a, 0x5d, 0x7e));
    p.setFont(logoFont(QStringLiteral("DejaVu Sans"), 20, 400));
    p.drawText(QPointF(textLeft + 2, 140), QStringLiteral("INI file editor"));
    p.setPen(pen(QColor(0x8f, 0xa6, 0xcf), 1.5));
    p.drawLine(QPointF(textLeft, 154.5), QPointF(textRight, 154.5));
    QFont maker = logoFont(QStringLiteral("DejaVu Sans"), 17, 700);
    maker.setLetterSpacing(QFont::AbsoluteSpacing, 4);
    p.setFont(maker);
    p.setPen(QColor(0x2f, 0x6f, 0xd0));
    p.drawText(QRectF(textLeft, 158, textRight - textLeft, 26), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("VELMORA"));
}

// ---------------------------------------------------------------- output

// Paints one picture of w × h logical pixels at the given scale, with alpha.
QImage render(int w, int h, int scale, const PaintFn &paint)
{
    QImage img(w * scale, h * scale, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.scale(scale, scale);
    paint(p);
    p.end();
    return img;
}

// The disabled form: grey, lighter and partly transparent.
QImage disabled(const QImage &src)
{
    QImage img = src.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < img.height(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const QRgb c = row[x];
            const int luma = (qRed(c) * 77 + qGreen(c) * 150 + qBlue(c) * 29) >> 8;
            const int grey = 120 + luma * 115 / 255;
            row[x] = qRgba(grey, grey, grey, qAlpha(c) * 150 / 255);
        }
    }
    return img;
}

bool save(const QImage &img, const QString &path)
{
    // Non-premultiplied ARGB so that the PNG holds the colours as painted.
    if (!img.convertToFormat(QImage::Format_ARGB32).save(path, "PNG")) {
        std::fprintf(stderr, "error: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s (%dx%d)\n", qPrintable(path), img.width(), img.height());
    return true;
}

QString scaledName(const QString &dir, const QString &name, int scale)
{
    return dir + u'/' + name + (scale == 1 ? QString() : QStringLiteral("@%1x").arg(scale))
           + QStringLiteral(".png");
}

// ---------------------------------------------------------------- application icon (48 × 48)

void appIcon(QPainter &p)
{
    // A sheet with a section header and value lines, and the quill of the logo over it.
    paper(p, 6.5, 3.5, 30, 41, 9);
    p.setPen(pen(Pal::Blue, 2.6, Qt::RoundCap));
    p.drawLine(QPointF(11, 12), QPointF(23, 12));
    const qreal ends[] = {30, 26, 31, 22};
    for (int i = 0; i < 4; ++i) {
        const qreal y = 19 + i * 5.5;
        p.setPen(pen(Pal::Grey, 2, Qt::RoundCap));
        p.drawLine(QPointF(11, y), QPointF(17, y));
        p.setPen(pen(Pal::Green, 2, Qt::RoundCap));
        p.drawLine(QPointF(20, y), QPointF(ends[i], y));
    }
    p.save();
    const qreal scale = 0.27;
    p.translate(31 - 104 * scale, 25 - 100 * scale);
    p.scale(scale, scale);
    feather(p);
    p.restore();
}

// The application icon in the sizes of the hicolor theme, as icons/quillon-<size>.png.
bool writeAppIcons(const QString &dir)
{
    const QString iconDir = dir + QStringLiteral("/icons");
    if (!QDir().mkpath(iconDir))
        return false;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QImage img = render(size, size, 1, [size](QPainter &p) {
            p.scale(size / 48.0, size / 48.0);
            appIcon(p);
        });
        if (!save(img, iconDir + QStringLiteral("/quillon-%1.png").arg(size)))
            return false;
    }
    return true;
}

// One image list: image i of `images` (or its disabled form) at x = i × size.
struct ListImage
{
    PaintFn paint;
    bool disabled = false;
};

bool writeStrip(const QString &dir, const QString &name, int size, int count,
                const std::map<int, ListImage> &images)
{
    for (int scale : {1, 2}) {
        QImage strip(size * count * scale, size * scale, QImage::Format_ARGB32_Premultiplied);
        strip.fill(Qt::transparent);
        QPainter p(&strip);
        for (const auto &[index, image] : images) {
            QImage cell = render(size, size, scale, image.paint);
            if (image.disabled)
                cell = disabled(cell);
            p.drawImage(index * size * scale, 0, cell);
        }
        p.end();
        if (!save(strip, scaledName(dir, name, scale)))
            return false;
    }
    return true;
}

bool writePicture(const QString &dir, const QString &name, int w, int h, const PaintFn &paint)
{
    for (int scale : {1, 2}) {
        if (!save(render(w, h, scale, paint), scaledName(dir, name, scale)))
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: gen-pictures <output folder>\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(dir)) {
        std::fprintf(stderr, "error: cannot create %s\n", argv[1]);
        return 1;
    }

    // Row icons, status-bar counters and the values-only switch.
    const std::map<int, ListImage> items = {
        {0, {itemBlank}},
        {1, {itemValue}},
        {2, {itemComment}},
        {3, {itemError}},
        {4, {itemSection}},
        {11, {[](QPainter &p) { itemSwitch(p, false, false); }}},
        {12, {[](QPainter &p) { itemSwitch(p, true, false); }}},
        {13, {[](QPainter &p) { itemSwitch(p, false, true); }}},
        {14, {[](QPainter &p) { itemSwitch(p, true, true); }}},
    };
    // Toolbar and dialog buttons; the disabled forms are derived from the normal ones.
    const std::map<int, ListImage> buttons = {
        {0, {buttonNew}},         {1, {buttonOpen}},
        {7, {buttonReload}},      {8, {buttonSave}},
        {9, {buttonSaveAs}},      {11, {buttonFind}},
        {13, {buttonSave, true}}, {17, {buttonSaveAs, true}},
        {18, {buttonFind, true}}, {19, {buttonReload, true}},
        {24, {buttonClipboard}},  {25, {buttonClipboard, true}},
        {26, {buttonShortcut}},   {27, {buttonShortcut, true}},
    };

    const bool ok = writeStrip(dir, QStringLiteral("ilitems"), 12, 15, items)
                    && writeStrip(dir, QStringLiteral("ilbuttons"), 16, 28, buttons)
                    && writePicture(dir, QStringLiteral("msg-question"), 64, 64, messageQuestion)
                    && writePicture(dir, QStringLiteral("msg-exclamation"), 64, 64, messageExclamation)
                    && writePicture(dir, QStringLiteral("msg-error"), 64, 64, messageError)
                    && writePicture(dir, QStringLiteral("msg-info"), 64, 64, messageInfo)
                    && writePicture(dir, QStringLiteral("logo"), 500, 200, logo)
                    && writePicture(dir, QStringLiteral("ok"), 16, 16, okGlyph) && writeAppIcons(dir);
    return ok ? 0 : 1;
}
