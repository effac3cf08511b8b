// SPDX-License-Identifier: GPL-2.0-or-later

#include "icons.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <cmath>
#include <numbers>

// Everything is drawn with paths rather than text so the output does not
// depend on which fonts a machine happens to have.
//
// The 32 px icons are drawn in pixel units: 1 px outlines sit on half-pixel
// coordinates and fills on whole ones, so edges land on the pixel grid and
// stay sharp at the size they are actually shown.

namespace {

// A single palette keeps the set looking like one family.
namespace pal {
const QColor ink(0x2e, 0x34, 0x40);
const QColor paper(0xff, 0xff, 0xff);
const QColor paperLow(0xf1, 0xf4, 0xf8);
const QColor paperShade(0xd5, 0xdc, 0xe5);
const QColor rule(0x8c, 0x98, 0xa6);
const QColor blueLight(0x62, 0xa0, 0xea);
const QColor blue(0x35, 0x84, 0xe4);
const QColor blueDark(0x1a, 0x5f, 0xb4);
const QColor redLight(0xf0, 0x6a, 0x6e);
const QColor red(0xe0, 0x35, 0x3b);
const QColor redDark(0xa5, 0x1d, 0x2d);
const QColor greenLight(0x57, 0xe3, 0x89);
const QColor green(0x2e, 0xb0, 0x68);
const QColor greenDark(0x1c, 0x7a, 0x44);
const QColor yellowLight(0xfd, 0xe8, 0x7a);
const QColor yellow(0xf8, 0xd3, 0x3a);
const QColor yellowDark(0xc8, 0x98, 0x0c);
const QColor woodLight(0xe0, 0xa8, 0x6c);
const QColor wood(0xc0, 0x80, 0x42);
const QColor woodDark(0x3a, 0x24, 0x10);
const QColor metalLight(0xee, 0xf1, 0xf5);
const QColor metal(0xa9, 0xb3, 0xbf);
const QColor metalDark(0x5d, 0x68, 0x75);
const QColor skyTop(0x7c, 0xbc, 0xf2);
const QColor skyBottom(0xd8, 0xec, 0xfc);
} // namespace pal

QLinearGradient vertical(const QRectF &r, const QColor &top, const QColor &bottom)
{
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0.0, top);
    g.setColorAt(1.0, bottom);
    return g;
}

QPen outline(const QColor &color = pal::ink, qreal width = 1.0)
{
    QPen pen(color, width);
    pen.setJoinStyle(Qt::MiterJoin);
    pen.setCapStyle(Qt::SquareCap);
    return pen;
}

QPen roundPen(const QColor &color, qreal width)
{
    QPen pen(color, width);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);
    return pen;
}

// The sheet every document-like icon starts from, with a dog-eared top right
// corner so it reads as paper rather than as a plain box.
constexpr QRectF pageRect(6.5, 2.5, 19, 27);
constexpr qreal pageFold = 7;

void drawPage(QPainter &p, const QRectF &r = pageRect, qreal fold = pageFold)
{
    QPainterPath sheet;
    sheet.moveTo(r.left(), r.top());
    sheet.lineTo(r.right() - fold, r.top());
    sheet.lineTo(r.right(), r.top() + fold);
    sheet.lineTo(r.right(), r.bottom());
    sheet.lineTo(r.left(), r.bottom());
    sheet.closeSubpath();
    p.setPen(outline());
    p.setBrush(vertical(r, pal::paper, pal::paperLow));
    p.drawPath(sheet);

    QPainterPath ear;
    ear.moveTo(r.right() - fold, r.top());
    ear.lineTo(r.right() - fold, r.top() + fold);
    ear.lineTo(r.right(), r.top() + fold);
    ear.closeSubpath();
    p.setBrush(pal::paperShade);
    p.drawPath(ear);
}

// Text lines on a page: whole-pixel rectangles, so they never blur.
void drawRule(QPainter &p, int x, int y, int length, const QColor &color = pal::rule, int thickness = 1)
{
    p.fillRect(QRect(x, y, length, thickness), color);
}

// Round badge used by the "about" and "cancel" icons.
void drawDisc(QPainter &p, const QColor &light, const QColor &base, const QColor &edge)
{
    const QRectF r(2.5, 2.5, 27, 27);
    p.setPen(outline(edge));
    p.setBrush(vertical(r, light, base));
    p.drawEllipse(r);
}

QPointF polar(const QPointF &c, qreal radius, qreal degrees)
{
    const qreal a = degrees * std::numbers::pi / 180.0;
    return {c.x() + radius * std::cos(a), c.y() + radius * std::sin(a)};
}

// ---------------------------------------------------------------------------
// Application icon (128 px). It mostly lives in a 22-24 px tray slot, so the
// shapes are big and bold: a dark rim that holds up on light panels, a white
// sheet that holds up on dark ones, and only three thick text lines.

void paintAppIcon(QPainter &p)
{

    // Board.
    const QRectF board(16, 14, 96, 110);
    p.setPen(outline(pal::woodDark, 6));
    p.setBrush(vertical(board, pal::woodLight, pal::wood));
    p.drawRoundedRect(board, 12, 12);

    // An older sheet tucked under the front one, fanned out to the right:
    // the hint that this clipboard keeps a history.
    p.save();
    p.translate(64, 30);
    p.rotate(-8);
    p.translate(-64, -30);
    const QRectF back(30, 30, 66, 80);
    p.setPen(outline(pal::ink, 3));
    p.setBrush(vertical(back, QColor(0xd6, 0xe6, 0xf8), QColor(0xb4, 0xcd, 0xec)));
    p.drawRect(back);
    p.restore();

    // Front sheet with three chunky lines of "text".
    const QRectF sheet(28, 32, 64, 80);
    p.setPen(outline(pal::ink, 3));
    p.setBrush(vertical(sheet, pal::paper, pal::paperLow));
    p.drawRect(sheet);
    p.setPen(roundPen(pal::blue, 8));
    p.drawLine(QPointF(40, 60), QPointF(80, 60));
    p.setPen(roundPen(pal::rule, 8));
    p.drawLine(QPointF(40, 78), QPointF(80, 78));
    p.drawLine(QPointF(40, 96), QPointF(66, 96));

    // Clip: a wide jaw across the board's top edge with a rounded handle.
    QPainterPath clip;
    clip.addRoundedRect(QRectF(38, 26, 52, 18), 6, 6);
    QPainterPath handle;
    handle.addRoundedRect(QRectF(48, 6, 32, 30), 12, 12);
    clip = clip.united(handle);
    QPainterPath hole;
    hole.addRoundedRect(QRectF(57, 14, 14, 9), 4.5, 4.5);
    clip = clip.subtracted(hole);
    p.setPen(outline(pal::ink, 5));
    p.setBrush(vertical(QRectF(0, 6, 1, 38), pal::metalLight, pal::metal));
    p.drawPath(clip);
}

// ---------------------------------------------------------------------------
// 32 px action and content icons.

void paintClearHistory(QPainter &p)
{
    // A broom leaning to the left, drawn upright and then tilted and shrunk
    // a little so the flared bristles stay inside the canvas.
    p.save();
    p.translate(18.5, 14.5);
    p.rotate(38);
    p.scale(0.9, 0.9);
    p.translate(-16, -15);

    // Handle.
    p.setPen(outline(pal::ink));
    p.setBrush(vertical(QRectF(14, 0, 4, 16), pal::woodLight, pal::wood));
    p.drawRoundedRect(QRectF(14.5, -1.5, 3, 17), 1.5, 1.5);

    // Bristles: a flared fan with a few strands.
    QPainterPath head;
    head.moveTo(11, 18);
    head.lineTo(21, 18);
    head.lineTo(25, 31);
    head.quadTo(16, 33, 7, 31);
    head.closeSubpath();
    p.setBrush(vertical(QRectF(0, 18, 1, 14), pal::yellowLight, pal::yellowDark));
    p.drawPath(head);
    p.setPen(roundPen(pal::yellowDark.darker(130), 1));
    p.drawLine(QPointF(14, 21), QPointF(12, 30));
    p.drawLine(QPointF(16, 21), QPointF(16, 31));
    p.drawLine(QPointF(18, 21), QPointF(20, 30));

    // Binding that ties the bristles to the handle.
    p.setPen(outline(pal::ink));
    p.setBrush(vertical(QRectF(0, 14, 1, 6), pal::redLight, pal::red));
    p.drawRoundedRect(QRectF(10.5, 14.5, 11, 4), 1, 1);
    p.restore();

    // Swept-away dust.
    p.setPen(Qt::NoPen);
    p.setBrush(pal::metalDark);
    p.drawEllipse(QPointF(3.5, 28.5), 1.5, 1.5);
    p.drawEllipse(QPointF(8, 30.5), 1, 1);
    p.drawEllipse(QPointF(2.5, 24), 1, 1);
}

void paintConfigure(QPainter &p)
{
    const QPointF c(16, 16);
    const int teeth = 8;
    const qreal tip = 14.5;
    const qreal root = 11;

    QPainterPath gear;
    gear.addEllipse(c, root, root);
    for (int i = 0; i < teeth; ++i) {
        // Tooth 0 points straight right, so four teeth face the canvas edges
        // with their flat tops on a half-pixel line and stay crisp.
        const qreal a = i * 360.0 / teeth;
        QPolygonF tooth;
        tooth << polar(c, root - 2, a - 17) << polar(c, tip, a - 11) << polar(c, tip, a + 11)
              << polar(c, root - 2, a + 17);
        QPainterPath t;
        t.addPolygon(tooth);
        t.closeSubpath();
        gear = gear.united(t);
    }
    QPainterPath hole;
    hole.addEllipse(c, 4.5, 4.5);
    gear = gear.subtracted(hole);

    p.setPen(outline(pal::ink));
    p.setBrush(vertical(QRectF(0, 1, 1, 30), QColor(0xb8, 0xc2, 0xcd), QColor(0x6b, 0x77, 0x85)));
    p.drawPath(gear);

    // A lighter hub ring gives the gear some depth without extra lines.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 70));
    QPainterPath hub;
    hub.addEllipse(c, 8, 8);
    QPainterPath hubHole;
    hubHole.addEllipse(c, 5, 5);
    p.drawPath(hub.subtracted(hubHole));
}

void paintHelpAbout(QPainter &p)
{
    drawDisc(p, pal::blueLight, pal::blue, pal::blueDark);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(16, 9.5), 2.5, 2.5);
    p.drawRoundedRect(QRectF(14, 14, 4, 11), 1, 1);
}

void paintApplicationExit(QPainter &p)
{
    // Dark doorway.
    const QRectF frame(4.5, 3.5, 15, 25);
    p.setPen(outline(pal::ink));
    p.setBrush(vertical(frame, QColor(0x4a, 0x55, 0x62), QColor(0x2e, 0x34, 0x40)));
    p.drawRect(frame);

    // The door leaf swung open towards the viewer, hinged on the left.
    QPolygonF leaf;
    leaf << QPointF(4.5, 3.5) << QPointF(11.5, 6.5) << QPointF(11.5, 31.5) << QPointF(4.5, 28.5);
    p.setBrush(vertical(frame, pal::woodLight, pal::wood));
    p.drawPolygon(leaf);
    p.setPen(Qt::NoPen);
    p.setBrush(pal::ink);
    p.drawEllipse(QPointF(9.5, 18.5), 1, 1);

    // Arrow leaving through the doorway.
    QPolygonF arrow;
    arrow << QPointF(14.5, 13.5) << QPointF(22.5, 13.5) << QPointF(22.5, 8.5) << QPointF(30.5, 16)
          << QPointF(22.5, 23.5) << QPointF(22.5, 18.5) << QPointF(14.5, 18.5);
    p.setPen(outline(pal::redDark));
    p.setBrush(vertical(QRectF(0, 8, 1, 16), pal::redLight, pal::red));
    p.drawPolygon(arrow);
}

void paintDialogCancel(QPainter &p)
{
    drawDisc(p, pal::redLight, pal::red, pal::redDark);
    p.setPen(roundPen(Qt::white, 3.5));
    p.drawLine(QPointF(11, 11), QPointF(21, 21));
    p.drawLine(QPointF(21, 11), QPointF(11, 21));
}

void paintTextPlain(QPainter &p)
{
    drawPage(p);
    drawRule(p, 10, 8, 7);
    drawRule(p, 10, 12, 12);
    drawRule(p, 10, 15, 12);
    drawRule(p, 10, 18, 9);
    drawRule(p, 10, 21, 12);
    drawRule(p, 10, 24, 7);
}

// A capital A built from strokes, so it looks the same on every machine.
void drawLetterA(QPainter &p, const QRectF &box, const QColor &color, qreal weight)
{
    p.setPen(roundPen(color, weight));
    const QPointF apex(box.center().x(), box.top());
    p.drawLine(QPointF(box.left(), box.bottom()), apex);
    p.drawLine(apex, QPointF(box.right(), box.bottom()));
    const qreal barY = box.top() + box.height() * 0.62;
    const qreal inset = box.width() * 0.5 * 0.62;
    p.drawLine(QPointF(box.left() + inset, barY), QPointF(box.right() - inset, barY));
}

void paintTextEnriched(QPainter &p)
{
    drawPage(p);
    drawLetterA(p, QRectF(10.5, 7.5, 7, 9), pal::blue, 2.2);
    drawRule(p, 19, 12, 3, pal::rule);
    drawRule(p, 19, 15, 3, pal::rule);
    drawRule(p, 10, 19, 12, pal::ink, 2);
    drawRule(p, 10, 23, 9, pal::red, 2);
    drawRule(p, 10, 26, 12, pal::green, 1);
}

void paintImageGeneric(QPainter &p)
{
    const QRectF frame(2.5, 5.5, 27, 21);
    p.setPen(outline(pal::ink));
    p.setBrush(pal::paper);
    p.drawRect(frame);

    const QRect view(5, 8, 22, 16);
    p.save();
    p.setClipRect(view);
    p.fillRect(view, vertical(view, pal::skyTop, pal::skyBottom));

    p.setPen(Qt::NoPen);
    p.setBrush(pal::yellow);
    p.drawEllipse(QPointF(21.5, 12.5), 2.5, 2.5);

    // A far hill in the back, a big mountain in front.
    QPolygonF far;
    far << QPointF(12, 24) << QPointF(20, 15) << QPointF(29, 24);
    p.setBrush(pal::greenDark);
    p.drawPolygon(far);
    QPolygonF near;
    near << QPointF(3, 24) << QPointF(11, 12) << QPointF(21, 24);
    p.setBrush(vertical(QRectF(0, 12, 1, 12), pal::greenLight, pal::green));
    p.drawPolygon(near);
    p.restore();

    p.setPen(outline(pal::paperShade.darker(115)));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(view).adjusted(-0.5, -0.5, 0.5, 0.5));
}

void paintNote(QPainter &p)
{
    // Sticky note with its bottom right corner curling up.
    const QRectF note(4.5, 6.5, 23, 23);
    QPainterPath sheet;
    sheet.moveTo(note.topLeft());
    sheet.lineTo(note.topRight());
    sheet.lineTo(note.right(), note.bottom() - 6);
    sheet.lineTo(note.right() - 6, note.bottom());
    sheet.lineTo(note.bottomLeft());
    sheet.closeSubpath();
    p.setPen(outline(pal::ink));
    p.setBrush(vertical(note, pal::yellowLight, pal::yellow));
    p.drawPath(sheet);

    QPainterPath curl;
    curl.moveTo(note.right(), note.bottom() - 6);
    curl.lineTo(note.right() - 6, note.bottom() - 6);
    curl.lineTo(note.right() - 6, note.bottom());
    curl.closeSubpath();
    p.setBrush(pal::yellowDark);
    p.drawPath(curl);

    drawRule(p, 8, 15, 16, pal::yellowDark);
    drawRule(p, 8, 19, 16, pal::yellowDark);
    drawRule(p, 8, 23, 11, pal::yellowDark);

    // Push pin: a short needle and a red head with a highlight.
    p.setPen(roundPen(pal::metalDark, 1.5));
    p.drawLine(QPointF(16, 8), QPointF(14, 12));
    p.setPen(outline(pal::redDark));
    p.setBrush(vertical(QRectF(0, 1, 1, 9), pal::redLight, pal::red));
    p.drawEllipse(QPointF(17.5, 5.5), 4, 4);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 190));
    p.drawEllipse(QPointF(16.3, 4.3), 1.2, 1.2);
}

// One oval chain link centred on the origin; the caller rotates and places it.
QPainterPath chainLink(qreal length, qreal width)
{
    QPainterPath link;
    link.addRoundedRect(QRectF(-length / 2, -width / 2, length, width), width / 2, width / 2);
    return link;
}

void paintQuickopenFile(QPainter &p)
{
    drawPage(p);
    drawRule(p, 10, 8, 7);
    drawRule(p, 10, 11, 12);

    // Two interlocking links at the usual 45 degrees. Each one gets a halo in
    // the paper colour so the crossings read as one link passing over the
    // other; the second pass over a corner of the first link interlocks them.
    const QPainterPath link = chainLink(11, 6);
    const QPointF centre(16, 20);
    auto placeLink = [&](qreal dx) {
        // Keep the halo from biting into the page outline.
        p.setClipRect(QRectF(7, 10, 18, 19));
        p.translate(centre);
        p.rotate(-45);
        p.translate(dx, 0);
    };
    auto drawLink = [&](qreal dx, const QRectF &clip) {
        p.save();
        placeLink(dx);
        if (!clip.isNull())
            p.setClipRect(clip, Qt::IntersectClip);
        p.setBrush(Qt::NoBrush);
        p.setPen(roundPen(pal::paper, 4.5));
        p.drawPath(link);
        p.setPen(roundPen(pal::blue, 2.2));
        p.drawPath(link);
        p.restore();
    };
    drawLink(-3, {});
    drawLink(3, {});
    // Bring the lower half of the first link's far end back on top.
    drawLink(-3, QRectF(1, 0, 6, 4));
}

} // namespace

QList<IconEntry> allIcons()
{
    return {
        {QStringLiteral("morv-clip.png"), 128, paintAppIcon},
        {QStringLiteral("edit-clear-history.png"), 32, paintClearHistory},
        {QStringLiteral("configure.png"), 32, paintConfigure},
        {QStringLiteral("help-about.png"), 32, paintHelpAbout},
        {QStringLiteral("application-exit.png"), 32, paintApplicationExit},
        {QStringLiteral("dialog-cancel.png"), 32, paintDialogCancel},
        {QStringLiteral("text-plain.png"), 32, paintTextPlain},
        {QStringLiteral("text-enriched.png"), 32, paintTextEnriched},
        {QStringLiteral("image-x-generic.png"), 32, paintImageGeneric},
        {QStringLiteral("knotes.png"), 32, paintNote},
        {QStringLiteral("quickopen-file.png"), 32, paintQuickopenFile},
    };
}
