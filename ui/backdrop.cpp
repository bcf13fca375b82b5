#include "ui/backdrop.h"

#include <QGuiApplication>
#include <QImage>
#include <QScreen>

#include "ui/branding.h"
#include "ui/resources.h"

namespace zavel {
namespace {

// One text of the title block: drawn in black at the shadow position, then in its colour one
// or two pixels to the right and below.
struct TitleText {
    QString text;
    int font;  // index into the fonts below
    QPoint shadow;
    QRgb colour;
    QPoint at;
};

enum TitleFont { kTitle, kLine, kLink, kSmall };

QFont TitleBlockFont(int which) {
    const QString arial = QStringLiteral("Arial");
    switch (which) {
        case kTitle:
            return CreateDrawingFont(arial, 48, 48, 900, false);
        case kLine:
            return CreateDrawingFont(arial, 14, 14, 900, false);
        case kLink:
            return CreateDrawingFont(arial, 14, 14, 900, true);
        default:
            return CreateDrawingFont(arial, 10, 10, 900, false);
    }
}

void CopyStartPicture(MemoryDC& dc) {
    const QImage picture = LoadPaletteBitmap(kStartPictureId);
    if (picture.isNull()) {
        return;
    }
    const int width = std::min(kStartPictureShown.width(), picture.width());
    const int height = std::min(kStartPictureShown.height(), picture.height());
    for (int x = 0; x < width; ++x) {
        for (int y = 0; y < height; ++y) {
            const QRgb colour = picture.pixel(x, y) | 0xff000000u;
            if (colour != kWhite) {
                dc.SetPixel(x + kStartPictureAt.x(), y + kStartPictureAt.y(), colour);
            }
        }
    }
}

}  // namespace

QSize FullScreenSize() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->availableGeometry().size() : QSize(1024, 768);
}

QRgb GradientColour(int x, int width) {
    const int c = width > 0 ? x * 255 / width : 0;
    return qRgb(c, c, 0);
}

QFont ControlFont() {
    QFont font = CreateDrawingFont(QStringLiteral("Courier"), 12, 8, 100, false);
    // Thin strokes at this size turn grey when smoothed; unsmoothed they stay black and crisp.
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

void PaintBackdrop(MemoryDC& dc, int& layoutWidth, int& layoutHeight) {
    dc.Rectangle(0, 0, kBackdropWidth, kBackdropHeight, kBlack, kWhite);
    dc.Rectangle(0, 0, kBackdropWidth, kBandBottom, kBlack, kLightGrey);
    dc.Rectangle(0, kBandBottom, kBackdropWidth, kBackdropHeight, kBlack, kWhite);
    const QSize fullScreen = FullScreenSize();
    layoutWidth = fullScreen.width();
    layoutHeight = fullScreen.height();
    DrawGradient(dc, layoutWidth, layoutHeight);
    dc.SetTextColor(kBlack);
    dc.SetBkColor(kLightGrey);
}

void DrawGradient(MemoryDC& dc, int width, int height) {
    for (int x = 0; x < width; ++x) {
        dc.VerticalLine(x, kGradientTop, height, GradientColour(x, width));
    }
}

void DrawLabel(MemoryDC& dc, const QString& text, int x, int y) {
    dc.TextOut(x, y, text);
}

QString StartScreenSubtitle() {
    return QStringLiteral("The web-site explorer and copier");
}

void DrawStartScreen(MemoryDC& dc, QRect& mailLinkRect, QRect& webLinkRect) {
    CopyStartPicture(dc);

    const QFont fonts[] = {TitleBlockFont(kTitle), TitleBlockFont(kLine), TitleBlockFont(kLink),
                           TitleBlockFont(kSmall)};
    dc.SetBkMode(BackgroundMode::kTransparent);
    const TitleText texts[] = {
        {QStringLiteral("ZAVEL"), kTitle, {200, 200}, kRed, {202, 202}},
        {StartScreenSubtitle(), kSmall, {200, 255}, kRed, {201, 256}},
        {ProductCopyright(), kLine, {200, 275}, kBlue, {201, 276}},
        {QStringLiteral("All rights reserved. Version ") + ProductVersion(),
         kLine,
         {200, 295},
         kBlue,
         {201, 296}},
        {QStringLiteral("For additional information, please contact:"),
         kLine,
         {50, 380},
         kNavy,
         {51, 381}},
        {MakerMailAddress(), kLink, {610, 380}, kBlue, {611, 381}},
        {QStringLiteral("Or visit"), kLine, {50, 400}, kNavy, {51, 401}},
        {ProductWebAddress(), kLink, {155, 400}, kBlue, {156, 401}},
        {QStringLiteral(". Check for newer versions of ZAVEL to download."),
         kLine,
         {330, 400},
         kNavy,
         {331, 401}},
    };
    for (const TitleText& t : texts) {
        const QFont previous = dc.SelectFont(fonts[t.font]);
        dc.SetTextColor(kBlack);
        dc.TextOut(t.shadow.x(), t.shadow.y(), t.text);
        dc.SetTextColor(t.colour);
        dc.TextOut(t.at.x(), t.at.y(), t.text);
        dc.SelectFont(previous);
    }
    mailLinkRect = kMailLinkRect;
    webLinkRect = kWebLinkRect;
}

}  // namespace zavel
