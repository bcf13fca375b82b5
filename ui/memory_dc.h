// A drawing context over a picture: the window's background is drawn once into a picture as
// large as the display and only copied to the screen afterwards. The context keeps the state
// that drawing calls share: the selected font, the text colour, the text background colour and
// whether text is drawn on its background colour (opaque) or straight onto the picture
// (transparent).
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QString>

namespace zavel {

enum class BackgroundMode { kOpaque, kTransparent };

class MemoryDC {
  public:
    // Draws into `picture`, which must outlive the context.
    explicit MemoryDC(QImage& picture) : picture_(picture) {}

    QImage& picture() { return picture_; }
    const QImage& picture() const { return picture_; }

    // Selects a font and returns the one selected before.
    QFont SelectFont(const QFont& font);
    const QFont& font() const { return font_; }
    void SetTextColor(QColor colour) { textColour_ = colour; }
    QColor textColor() const { return textColour_; }
    void SetBkColor(QColor colour) { backgroundColour_ = colour; }
    QColor bkColor() const { return backgroundColour_; }
    void SetBkMode(BackgroundMode mode) { mode_ = mode; }
    BackgroundMode bkMode() const { return mode_; }

    // A filled rectangle from (left, top) up to, not including, (right, bottom): a one-pixel
    // outline of `pen` on its outermost pixels, the inside filled with `brush`.
    void Rectangle(int left, int top, int right, int bottom, QColor pen, QColor brush);
    // A one-pixel line from (x, top) down to (x, bottom), the end point not drawn.
    void VerticalLine(int x, int top, int bottom, QColor colour);
    // Writes text with the top-left corner of its character cell at (x, y), in the selected
    // font and text colour, on the text background colour in the opaque mode.
    void TextOut(int x, int y, const QString& text);

    QRgb GetPixel(int x, int y) const;
    void SetPixel(int x, int y, QRgb colour);

  private:
    QImage& picture_;
    QFont font_;
    QColor textColour_{Qt::black};
    QColor backgroundColour_{Qt::white};
    BackgroundMode mode_ = BackgroundMode::kOpaque;
};

// A font asked for by the measures the drawing code uses: its character height in pixels, its
// average character width in pixels (0: the face's own proportions), its weight (100 thin to
// 900 black) and underlining. The face resolves through the system's font configuration;
// the width is met by stretching the face horizontally.
QFont CreateDrawingFont(const QString& face, int height, int averageWidth, int weight,
                        bool underline);

}  // namespace zavel
