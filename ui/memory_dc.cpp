#include "ui/memory_dc.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace zavel {

QFont MemoryDC::SelectFont(const QFont& font) {
    QFont previous = font_;
    font_ = font;
    return previous;
}

void MemoryDC::Rectangle(int left, int top, int right, int bottom, QColor pen, QColor brush) {
    if (right - left < 1 || bottom - top < 1) {
        return;
    }
    QPainter painter(&picture_);
    const int width = right - left;
    const int height = bottom - top;
    if (width > 2 && height > 2) {
        painter.fillRect(left + 1, top + 1, width - 2, height - 2, brush);
    }
    painter.fillRect(left, top, width, 1, pen);
    painter.fillRect(left, bottom - 1, width, 1, pen);
    painter.fillRect(left, top, 1, height, pen);
    painter.fillRect(right - 1, top, 1, height, pen);
}

void MemoryDC::VerticalLine(int x, int top, int bottom, QColor colour) {
    if (bottom <= top) {
        return;
    }
    QPainter painter(&picture_);
    painter.fillRect(x, top, 1, bottom - top, colour);
}

void MemoryDC::TextOut(int x, int y, const QString& text) {
    QPainter painter(&picture_);
    painter.setFont(font_);
    const QFontMetrics metrics(font_, &picture_);
    if (mode_ == BackgroundMode::kOpaque) {
        painter.fillRect(x, y, metrics.horizontalAdvance(text), metrics.height(),
                         backgroundColour_);
    }
    painter.setPen(textColour_);
    painter.drawText(x, y + metrics.ascent(), text);
}

QRgb MemoryDC::GetPixel(int x, int y) const {
    return picture_.valid(x, y) ? picture_.pixel(x, y) : qRgb(0, 0, 0);
}

void MemoryDC::SetPixel(int x, int y, QRgb colour) {
    if (picture_.valid(x, y)) {
        picture_.setPixel(x, y, colour);
    }
}

QFont CreateDrawingFont(const QString& face, int height, int averageWidth, int weight,
                        bool underline) {
    QFont font(face);
    font.setPixelSize(height);
    font.setWeight(static_cast<QFont::Weight>(std::clamp(weight, 100, 900)));
    font.setUnderline(underline);
    font.setItalic(false);
    font.setStrikeOut(false);
    if (averageWidth > 0) {
        const qreal natural = QFontMetricsF(font).averageCharWidth();
        if (natural > 0) {
            font.setStretch(
                std::clamp(static_cast<int>(std::lround(averageWidth * 100 / natural)), 1, 4000));
        }
    }
    return font;
}

}  // namespace zavel
