#include "install/installer_screen.h"

#include "ui/backdrop.h"
#include "ui/branding.h"
#include "ui/resources.h"

namespace zavel {
namespace {

constexpr QPoint kPictureAt{0, 20};
constexpr QSize kPictureShown{185, 210};  // of the 187 x 214 bitmap
constexpr QRgb kTitleBlue = 0xff0000ffu;
constexpr QRgb kCreditNavy = 0xff000080u;
constexpr QRgb kLabelOlive = 0xffc0c000u;

// One text and its shadow: black at `shadow`, then in its colour at `at`.
struct ShadowedText {
    QString text;
    int size;  // the font's character height and average width
    QPoint shadow;
    QRgb colour;
    QPoint at;
};

void CopyPicture(MemoryDC& dc) {
    const QImage picture = LoadPaletteBitmap(kStartPictureId);
    const int width = std::min(kPictureShown.width(), picture.width());
    const int height = std::min(kPictureShown.height(), picture.height());
    for (int x = 0; x < width; ++x) {
        for (int y = 0; y < height; ++y) {
            const QRgb colour = picture.pixel(x, y) | 0xff000000u;
            // Pure white is the picture's see-through colour; near-white is drawn.
            if (colour != kWhite) {
                dc.SetPixel(x + kPictureAt.x(), y + kPictureAt.y(), colour);
            }
        }
    }
}

}  // namespace

QRgb InstallerGradientColour(int x) {
    return qRgb(255 * x / kInstallerWidth, 0, 0);
}

QString InstallerCreditLine() {
    return ProductCopyright();
}

void DrawInstallerScreen(MemoryDC& dc) {
    for (int x = 0; x < kInstallerWidth; ++x) {
        dc.VerticalLine(x, 0, kInstallerHeight, InstallerGradientColour(x));
    }
    dc.SetTextColor(kBlack);
    CopyPicture(dc);
    dc.SetBkMode(BackgroundMode::kTransparent);

    const ShadowedText texts[] = {
        {QStringLiteral("ZAVEL"), 48, {50, 20}, kTitleBlue, {52, 22}},
        {QStringLiteral("Installing"), 20, {50, 0}, kTitleBlue, {52, 2}},
        {InstallerCreditLine(), 14, {50, 75}, kCreditNavy, {50, 77}},
        {QStringLiteral("Destination Directory"), 10, {150, 175}, kLabelOlive, {150, 177}},
    };
    for (const ShadowedText& t : texts) {
        const QFont previous =
            dc.SelectFont(CreateDrawingFont(QStringLiteral("Arial"), t.size, t.size, 900, false));
        dc.SetTextColor(kBlack);
        dc.TextOut(t.shadow.x(), t.shadow.y(), t.text);
        dc.SetTextColor(t.colour);
        dc.TextOut(t.at.x(), t.at.y(), t.text);
        dc.SelectFont(previous);
    }

    dc.SelectFont(ControlFont());
    const QRect frame = kDestinationFrameRect;
    dc.Rectangle(frame.left(), frame.top(), frame.right() + 1, frame.bottom() + 1, kBlack,
                 kLightGrey);
    dc.SetTextColor(kBlack);
}

}  // namespace zavel
