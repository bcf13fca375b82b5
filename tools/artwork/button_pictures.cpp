// The command buttons: a rounded steel face on the grey band, a coloured mark for the command
// and its word. Pressed buttons sink (darker face, content one pixel down and right); disabled
// ones go flat grey with an embossed word, the way disabled controls look beside them.
#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "tools/artwork/artwork.h"

namespace zavel::artwork {
namespace {

constexpr int kWidth = 80;
constexpr int kHeight = 30;
const QColor kBand(192, 192, 192);

QColor MarkColour(Command command) {
    switch (command) {
        case Command::kAdd:
            return QColor(28, 92, 204);
        case Command::kRemove:
        case Command::kStop:
            return QColor(204, 28, 28);
        case Command::kExpand:
            return QColor(18, 140, 62);
        case Command::kSaveAs:
            return QColor(36, 58, 140);
        case Command::kBrowse:
            return QColor(214, 150, 28);
        case Command::kInstall:
            return QColor(22, 128, 96);
    }
    return Qt::black;
}

// The mark in a 12 x 12 square with its top-left at `at`.
void DrawMark(QPainter& p, Command command, QPointF at, QColor colour) {
    p.save();
    p.translate(at);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    switch (command) {
        case Command::kAdd:
            p.drawRect(QRectF(4.5, 0.5, 3, 11));
            p.drawRect(QRectF(0.5, 4.5, 11, 3));
            break;
        case Command::kRemove:
            p.drawRect(QRectF(0.5, 4.5, 11, 3));
            break;
        case Command::kExpand:
            p.drawPolygon(QPolygonF({QPointF(2, 0.5), QPointF(11.5, 6), QPointF(2, 11.5)}));
            break;
        case Command::kStop:
            p.drawRect(QRectF(1.5, 0.5, 3.5, 11));
            p.drawRect(QRectF(7, 0.5, 3.5, 11));
            break;
        case Command::kSaveAs:
            p.drawRoundedRect(QRectF(0.5, 0.5, 11, 11), 1.2, 1.2);
            p.setBrush(QColor(236, 238, 244, colour.alpha()));
            p.drawRect(QRectF(3, 1.5, 6, 3.5));
            p.drawRect(QRectF(2.5, 7, 7, 4.5));
            break;
        case Command::kBrowse: {
            QPainterPath folder;
            folder.moveTo(0.5, 2);
            folder.lineTo(4.5, 2);
            folder.lineTo(6, 3.5);
            folder.lineTo(11.5, 3.5);
            folder.lineTo(11.5, 11);
            folder.lineTo(0.5, 11);
            folder.closeSubpath();
            p.setPen(QPen(colour.darker(150), 1.0));
            p.drawPath(folder);
            p.setBrush(colour.lighter(130));
            p.drawRect(QRectF(0.5, 5.5, 11, 5.5));
            break;
        }
        case Command::kInstall: {
            // An arrow going down into a tray: the program going into its folder.
            p.drawRect(QRectF(4.75, 0.5, 2.5, 4.5));
            p.drawPolygon(QPolygonF({QPointF(1.5, 4.5), QPointF(10.5, 4.5), QPointF(6, 9)}));
            p.setPen(QPen(colour, 1.6, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
            p.setBrush(Qt::NoBrush);
            p.drawPolyline(
                QPolygonF({QPointF(1, 7.5), QPointF(1, 11), QPointF(11, 11), QPointF(11, 7.5)}));
            break;
        }
    }
    p.restore();
}

QFont WordFont(const QString& word, qreal room) {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setBold(true);
    for (int pixels = 12; pixels > 8; --pixels) {
        font.setPixelSize(pixels);
        if (QFontMetricsF(font).horizontalAdvance(word) <= room) {
            break;
        }
    }
    return font;
}

}  // namespace

QString ButtonWord(Command command) {
    switch (command) {
        case Command::kAdd:
            return QStringLiteral("add");
        case Command::kRemove:
            return QStringLiteral("remove");
        case Command::kExpand:
            return QStringLiteral("expand");
        case Command::kStop:
            return QStringLiteral("stop");
        case Command::kSaveAs:
            return QStringLiteral("save as...");
        case Command::kBrowse:
            return QStringLiteral("browse");
        case Command::kInstall:
            return QStringLiteral("install");
    }
    return {};
}

QImage DrawButton(Command command, ButtonFace face) {
    QImage picture(kWidth, kHeight, QImage::Format_RGB32);
    picture.fill(kBand);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    const QRectF outline(0.5, 0.5, kWidth - 1, kHeight - 1);
    QLinearGradient body(0, 0, 0, kHeight);
    QColor edge;
    switch (face) {
        case ButtonFace::kNormal:
            body.setColorAt(0.0, QColor(253, 253, 255));
            body.setColorAt(0.5, QColor(232, 236, 243));
            body.setColorAt(1.0, QColor(200, 207, 220));
            edge = QColor(62, 74, 100);
            break;
        case ButtonFace::kPressed:
            body.setColorAt(0.0, QColor(168, 178, 198));
            body.setColorAt(1.0, QColor(216, 221, 231));
            edge = QColor(36, 46, 72);
            break;
        case ButtonFace::kDisabled:
            body.setColorAt(0.0, QColor(218, 218, 218));
            body.setColorAt(1.0, QColor(204, 204, 204));
            edge = QColor(150, 150, 150);
            break;
    }
    p.setPen(QPen(edge, 1.0));
    p.setBrush(body);
    p.drawRoundedRect(outline, 4, 4);
    if (face == ButtonFace::kNormal) {
        p.setPen(QPen(QColor(255, 255, 255, 210), 1.0));
        p.drawLine(QPointF(4, 1.5), QPointF(kWidth - 4, 1.5));
    } else if (face == ButtonFace::kPressed) {
        p.setPen(QPen(QColor(110, 120, 142), 1.0));
        p.drawLine(QPointF(4, 1.5), QPointF(kWidth - 4, 1.5));
    }

    const QString word = ButtonWord(command);
    const QFont font = WordFont(word, kWidth - 12 - 5 - 8);
    const qreal wordWidth = QFontMetricsF(font).horizontalAdvance(word);
    const qreal shift = face == ButtonFace::kPressed ? 1.0 : 0.0;
    const qreal left = std::round((kWidth - (12 + 5 + wordWidth)) / 2) + shift;
    const qreal top = 9 + shift;
    const QRectF wordBox(left + 17, shift, wordWidth + 2, kHeight);
    p.setFont(font);
    if (face == ButtonFace::kDisabled) {
        DrawMark(p, command, QPointF(left + 1, top + 1), QColor(255, 255, 255));
        DrawMark(p, command, QPointF(left, top), QColor(156, 156, 156));
        p.setPen(QColor(255, 255, 255));
        p.drawText(wordBox.translated(1, 1), Qt::AlignLeft | Qt::AlignVCenter, word);
        p.setPen(QColor(128, 128, 128));
    } else {
        DrawMark(p, command, QPointF(left, top), MarkColour(command));
        p.setPen(QColor(20, 30, 62));
    }
    p.drawText(wordBox, Qt::AlignLeft | Qt::AlignVCenter, word);
    p.end();
    return picture;
}

}  // namespace zavel::artwork
