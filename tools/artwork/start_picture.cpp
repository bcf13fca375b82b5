// The start-screen picture: the web as a globe with a ring of links around it, the tree that
// the crawl grows out of it (its nodes are the tree images, drawn large) and the stack of pages
// that copy mode leaves behind. The right part is left clear where the title block overlaps it.
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>

#include "tools/artwork/artwork.h"

namespace zavel::artwork {
namespace {

const QColor kGold(232, 196, 64);
const QColor kGoldDeep(168, 128, 24);
const QColor kPaper(StartPicturePaper());
const QColor kGlint(StartPictureGlint());

void DrawRingHalf(QPainter& p, QPointF centre, double r, bool front) {
    const double s = r / 47.0;
    p.save();
    p.translate(centre);
    p.rotate(-18);
    p.setPen(QPen(front ? kGold : kGoldDeep, (front ? 3.0 : 2.0) * s));
    p.setBrush(Qt::NoBrush);
    const QRectF orbit(-66 * s, -17 * s, 132 * s, 34 * s);
    p.drawArc(orbit, front ? 180 * 16 : 0, 180 * 16);
    if (front) {
        // Two links riding on the ring.
        for (double angle : {200.0, 320.0}) {
            const double a = angle * M_PI / 180.0;
            const QPointF at(66 * s * std::cos(a), -17 * s * std::sin(a));
            p.setPen(QPen(QColor(90, 60, 0), 1.2 * s));
            p.setBrush(QColor(255, 226, 120));
            p.drawEllipse(at, 4.2 * s, 4.2 * s);
        }
    }
    p.restore();
}

void DrawGlobe(QPainter& p, QPointF c, double r) {
    QRadialGradient body(c + QPointF(-r * 0.35, -r * 0.4), r * 1.45);
    body.setColorAt(0.0, QColor(132, 206, 255));
    body.setColorAt(0.45, QColor(38, 112, 214));
    body.setColorAt(1.0, QColor(8, 28, 92));
    p.setPen(Qt::NoPen);
    p.setBrush(body);
    p.drawEllipse(c, r, r);

    QPainterPath sphere;
    sphere.addEllipse(c, r, r);
    p.save();
    p.setClipPath(sphere);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(170, 230, 255, 150), 1.1));
    for (double w : {0.34, 0.7}) {
        p.drawEllipse(c, r * w, r);
    }
    p.drawLine(QPointF(c.x(), c.y() - r), QPointF(c.x(), c.y() + r));
    for (double lat : {-0.62, -0.3, 0.0, 0.3, 0.62}) {
        const double y = c.y() + r * lat;
        const double half = r * std::sqrt(1 - lat * lat);
        p.drawArc(QRectF(c.x() - half, y - half * 0.16, 2 * half, half * 0.32), 180 * 16, 180 * 16);
    }
    p.restore();

    p.setPen(QPen(QColor(4, 18, 60), 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, r, r);

    // The glint: soft, bright, never pure white.
    QRadialGradient glint(c + QPointF(-r * 0.42, -r * 0.48), r * 0.26);
    glint.setColorAt(0.0, kGlint);
    glint.setColorAt(0.55, QColor(235, 246, 255, 200));
    glint.setColorAt(1.0, QColor(200, 230, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glint);
    p.drawEllipse(c + QPointF(-r * 0.42, -r * 0.48), r * 0.3, r * 0.2);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setBrush(kGlint);
    p.drawEllipse(c + QPointF(-r * 0.42, -r * 0.48), r * 0.09, r * 0.06);
    p.setRenderHint(QPainter::Antialiasing, true);
}

// The tree images, drawn large: a white disc with a mark, or a rosette.
void DrawDisc(QPainter& p, QPointF c, double r) {
    p.setPen(QPen(QColor(40, 40, 40), 1.2));
    p.setBrush(QColor(250, 250, 250));
    p.drawEllipse(c, r, r);
}

void DrawRosette(QPainter& p, QPointF c, double r, QColor middle) {
    p.setPen(QPen(QColor(10, 30, 110), 1.0));
    p.setBrush(QColor(52, 98, 230));
    for (int i = 0; i < 8; ++i) {
        const double a = i * M_PI / 4;
        p.drawEllipse(c + QPointF(r * 0.62 * std::cos(a), r * 0.62 * std::sin(a)), r * 0.4,
                      r * 0.4);
    }
    p.setPen(Qt::NoPen);
    p.drawEllipse(c, r * 0.66, r * 0.66);
    p.setPen(QPen(middle.darker(160), 1.0));
    p.setBrush(middle);
    p.drawEllipse(c, r * 0.36, r * 0.36);
}

void DrawNode(QPainter& p, QPointF c, int image) {
    const double r = 7.5;
    switch (image) {
        case 0:  // failed: red cross
            DrawDisc(p, c, r);
            p.setPen(QPen(QColor(212, 20, 20), 2.6, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(c + QPointF(-3.6, -3.6), c + QPointF(3.6, 3.6));
            p.drawLine(c + QPointF(-3.6, 3.6), c + QPointF(3.6, -3.6));
            break;
        case 1:  // pending: dark green ring
            DrawDisc(p, c, r);
            p.setPen(QPen(QColor(0, 110, 40), 2.6));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(c, 3.6, 3.6);
            break;
        case 2:
            DrawRosette(p, c, r + 0.5, QColor(228, 32, 32));
            break;
        case 3:
            DrawRosette(p, c, r + 0.5, QColor(255, 214, 0));
            break;
        default:  // on hold: two red bars
            DrawDisc(p, c, r);
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(212, 20, 20));
            p.drawRect(QRectF(c.x() - 3.4, c.y() - 3.8, 2.4, 7.6));
            p.drawRect(QRectF(c.x() + 1.0, c.y() - 3.8, 2.4, 7.6));
            break;
    }
}

void DrawLinkTree(QPainter& p) {
    p.setPen(QPen(kGold, 2.0, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(62, 111), QPointF(62, 198));
    for (double y : {130.0, 198.0}) {
        p.drawLine(QPointF(62, y), QPointF(80, y));
    }
    p.drawLine(QPointF(88, 138), QPointF(88, 181));
    for (double y : {148.0, 164.5, 181.0}) {
        p.drawLine(QPointF(88, y), QPointF(104, y));
    }
    DrawNode(p, {88, 130}, 2);
    DrawNode(p, {112, 148}, 2);
    DrawNode(p, {112, 164.5}, 0);
    DrawNode(p, {112, 181}, 1);
    DrawNode(p, {88, 198}, 3);
}

void DrawPageStack(QPainter& p) {
    const double tilts[] = {-14, -6, 3};
    for (int i = 0; i < 3; ++i) {
        p.save();
        p.translate(27 + i * 2.0, 172 + i * 4.0);
        p.rotate(tilts[i]);
        QPainterPath sheet;
        sheet.moveTo(-13, -17);
        sheet.lineTo(6, -17);
        sheet.lineTo(13, -10);
        sheet.lineTo(13, 17);
        sheet.lineTo(-13, 17);
        sheet.closeSubpath();
        p.setPen(QPen(QColor(70, 70, 60), 1.0));
        p.setBrush(kPaper);
        p.drawPath(sheet);
        p.setBrush(QColor(214, 210, 196));
        p.drawPolygon(QPolygonF({QPointF(6, -17), QPointF(6, -10), QPointF(13, -10)}));
        if (i == 2) {
            p.setPen(QPen(QColor(120, 130, 150), 1.4));
            for (double y = -6; y <= 12; y += 4.5) {
                p.drawLine(QPointF(-9, y), QPointF(y > 8 ? 2 : 9, y));
            }
            p.setPen(QPen(QColor(40, 90, 210), 1.6));
            p.drawLine(QPointF(-9, -11), QPointF(1, -11));
        }
        p.restore();
    }
    // Copies flow from the tree to the pages.
    p.setPen(QPen(kGold, 1.6, Qt::DotLine));
    p.drawLine(QPointF(58, 186), QPointF(46, 186));
    p.setBrush(kGold);
    p.setPen(Qt::NoPen);
    p.drawPolygon(QPolygonF({QPointF(41, 186), QPointF(47, 182.5), QPointF(47, 189.5)}));
}

}  // namespace

QRgb StartPicturePaper() {
    return qRgb(248, 247, 242);
}

QRgb StartPictureGlint() {
    return qRgb(252, 252, 248);
}

void PaintGlobeEmblem(QPainter& p, QPointF centre, double radius) {
    DrawRingHalf(p, centre, radius, false);
    DrawGlobe(p, centre, radius);
    DrawRingHalf(p, centre, radius, true);
}

QImage DrawStartPicture() {
    QImage art(187, 214, QImage::Format_ARGB32_Premultiplied);
    art.fill(Qt::transparent);
    QPainter p(&art);
    p.setRenderHint(QPainter::Antialiasing);
    // Everything sits 7 pixels in, so that the ring's left end stays inside the picture.
    p.translate(7, 0);
    PaintGlobeEmblem(p, QPointF(62, 62), 47);
    DrawLinkTree(p);
    DrawPageStack(p);
    p.end();
    // The resource's last two columns and four rows are never shown; keep them clear.
    QImage flat = FlattenOnto(art, qRgb(14, 14, 0));
    for (int y = 0; y < flat.height(); ++y) {
        for (int x = 0; x < flat.width(); ++x) {
            if (x >= 185 || y >= 210) {
                flat.setPixel(x, y, qRgb(255, 255, 255));
            }
        }
    }
    return flat;
}

}  // namespace zavel::artwork
