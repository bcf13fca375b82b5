// The five tree images, the program icon and the link cursor. The tree images are drawn pixel
// by pixel: at 10 x 10 every pixel shows, and smoothing would only blur them into the mask
// colours around them.
#include <QPainter>

#include <cstring>

#include "tools/artwork/artwork.h"

namespace zavel::artwork {
namespace {

// 217: failed, a red cross on a white disc; green around it is the mask.
const char* const kFailed[] = {
    "mmmkkkkmmm", "mkkWWWWkkm", "mkrrWWrrkm", "kWWrrrrWWk", "kWWWrrWWWk",
    "kWWWrrWWWk", "kWWrrrrWWk", "mkrrWWrrkm", "mkkWWWWkkm", "mmmkkkkmmm",
};
// 218: pending, a dark green ring on a white disc; black around it is the mask.
const char* const kPending[] = {
    "mmmkkkkmmm", "mkkWWWWkkm", "mkWggggWkm", "kWggWWggWk", "kWgWWWWgWk",
    "kWgWWWWgWk", "kWggWWggWk", "mkWggggWkm", "mkkWWWWkkm", "mmmkkkkmmm",
};
// 219 and 220: fetched and not expanded, a blue rosette around a red or a yellow centre.
const char* const kRosette[] = {
    "mmBBmmBBmm", "mBlbBBbbBm", "BblbbbbbbB", "BbbbccbbbB", "mBbccccbBm",
    "mBbccccbBm", "BbbbccbbbB", "BbbbbbbbbB", "mBbbBBbbBm", "mmBBmmBBmm",
};
// 280: on hold, two red bars on a white disc; (1, 1, 1) around it is the mask.
const char* const kHeld[] = {
    "mmmkkkkmmm", "mkkWWWWkkm", "mkrrWWrrkm", "kWrrWWrrWk", "kWrrWWrrWk",
    "kWrrWWrrWk", "kWrrWWrrWk", "mkrrWWrrkm", "mkkWWWWkkm", "mmmkkkkmmm",
};

// The hand of the link cursor: black outline, white inside.
const char* const kHand[] = {
    ".....kk.........", "....kwwk........", "....kwwk........", "....kwwk........",
    "....kwwk........", "....kwwkkk......", "....kwwkwwkkk...", "....kwwkwwkwwkk.",
    ".kk.kwwkwwkwwkwk", "kwwkkwwwwwwwwkwk", "kwwwkwwwwwwwwwwk", ".kwwkwwwwwwwwwwk",
    "..kwwwwwwwwwwwwk", "..kwwwwwwwwwwwk.", "...kwwwwwwwwwwk.", "...kwwwwwwwwwk..",
    "....kwwwwwwwwk..", "....kwwwwwwwwk..", "....kkkkkkkkkk..",
};

const QRgb kOutline = qRgb(104, 104, 104);
const QRgb kDiscWhite = qRgb(255, 255, 255);
const QRgb kRed = qRgb(214, 22, 22);

}  // namespace

QImage PixelArt(const char* const rows[], int height, const char* keys, const QRgb* colours) {
    const int width = static_cast<int>(std::strlen(rows[0]));
    QImage picture(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const char* key = std::strchr(keys, rows[y][x]);
            picture.setPixel(x, y, key != nullptr ? colours[key - keys] : qRgba(0, 0, 0, 0));
        }
    }
    return picture;
}

QImage FlattenOnto(const QImage& argb, QRgb behind) {
    const QImage source = argb.convertToFormat(QImage::Format_ARGB32);
    QImage flat(source.size(), QImage::Format_RGB32);
    for (int y = 0; y < source.height(); ++y) {
        for (int x = 0; x < source.width(); ++x) {
            const QRgb c = source.pixel(x, y);
            const int a = qAlpha(c);
            if (a < 8) {
                flat.setPixel(x, y, qRgb(255, 255, 255));
                continue;
            }
            auto mix = [a](int front, int back) { return (front * a + back * (255 - a)) / 255; };
            QRgb mixed = qRgb(mix(qRed(c), qRed(behind)), mix(qGreen(c), qGreen(behind)),
                              mix(qBlue(c), qBlue(behind)));
            // Pure white is reserved for the transparent pixels.
            flat.setPixel(x, y, mixed == qRgb(255, 255, 255) ? qRgb(254, 254, 254) : mixed);
        }
    }
    return flat;
}

QImage DrawTreeImage(int index) {
    switch (index) {
        case 0: {
            const QRgb colours[] = {qRgb(0, 255, 0), kOutline, kDiscWhite, kRed};
            return PixelArt(kFailed, 10, "mkWr", colours).convertToFormat(QImage::Format_RGB32);
        }
        case 1: {
            const QRgb colours[] = {qRgb(0, 0, 0), kOutline, kDiscWhite, qRgb(0, 104, 36)};
            return PixelArt(kPending, 10, "mkWg", colours).convertToFormat(QImage::Format_RGB32);
        }
        case 2:
        case 3: {
            const QRgb centre = index == 2 ? qRgb(232, 28, 28) : qRgb(255, 212, 0);
            const QRgb colours[] = {qRgb(0, 0, 0), qRgb(18, 40, 150), qRgb(52, 98, 232),
                                    qRgb(132, 168, 255), centre};
            return PixelArt(kRosette, 10, "mBblc", colours).convertToFormat(QImage::Format_RGB32);
        }
        default: {
            const QRgb colours[] = {qRgb(1, 1, 1), kOutline, kDiscWhite, kRed};
            return PixelArt(kHeld, 10, "mkWr", colours).convertToFormat(QImage::Format_RGB32);
        }
    }
}

QImage DrawProgramIcon(int size) {
    QImage icon(size, size, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::transparent);
    QPainter p(&icon);
    p.setRenderHint(QPainter::Antialiasing);
    // The ring reaches 1.4 radii from the centre; leave it room.
    PaintGlobeEmblem(p, QPointF(size / 2.0, size / 2.0), size * 0.34);
    p.end();
    return icon.convertToFormat(QImage::Format_ARGB32);
}

QImage DrawLinkCursor() {
    const QRgb colours[] = {qRgb(0, 0, 0), qRgb(255, 255, 255)};
    const QImage hand = PixelArt(kHand, 19, "kw", colours);
    QImage cursor(32, 32, QImage::Format_ARGB32);
    cursor.fill(Qt::transparent);
    QPainter p(&cursor);
    p.drawImage(0, 0, hand);
    p.end();
    cursor.setText(QStringLiteral("hotspot"), QStringLiteral("5,0"));
    return cursor;
}

}  // namespace zavel::artwork
