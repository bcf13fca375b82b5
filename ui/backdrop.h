// What the main window shows behind its controls, drawn once into the off-screen picture: the
// light grey band under the controls with the field labels, the black-to-yellow gradient below
// it, and on it the start screen's picture and title block.
#pragma once

#include <QColor>
#include <QRect>
#include <QSize>
#include <QString>

#include "ui/memory_dc.h"

namespace zavel {

inline constexpr QRgb kWhite = 0xffffffffu;
inline constexpr QRgb kLightGrey = 0xffc0c0c0u;
inline constexpr QRgb kBlack = 0xff000000u;
inline constexpr QRgb kRed = 0xffff0000u;
inline constexpr QRgb kBlue = 0xff0000ffu;
inline constexpr QRgb kNavy = 0xff000080u;

inline constexpr int kBandBottom = 100;   // the band covers y 0 to 99; a second line is at 100
inline constexpr int kGradientTop = 101;  // the gradient's first row
inline constexpr int kBackdropWidth = 3072;
inline constexpr int kBackdropHeight = 1800;

inline constexpr int kStartPictureId = 230;
inline constexpr QPoint kStartPictureAt{50, 150};
inline constexpr QSize kStartPictureShown{185, 210};  // of the 187 x 214 bitmap

// The clickable areas of the two link texts of the title block: the e-mail address and the
// web-site address.
inline constexpr QRect kMailLinkRect{610, 380, 245, 20};
inline constexpr QRect kWebLinkRect{150, 400, 170, 20};

// The size of a maximised window's client area on the primary screen, read afresh each time.
QSize FullScreenSize();

// The gradient colour at column x of a gradient `width` pixels wide: (c, c, 0) with
// c = x * 255 / width.
QRgb GradientColour(int x, int width);

// The font of the labels and of every control: a fixed-pitch face, 12 pixels high, 8 wide.
QFont ControlFont();

// Fills the picture: white everywhere, the grey band with its black outline, a second black line
// under it and the gradient from y 101 down to the full-screen height. Sets layoutWidth and
// layoutHeight to the full-screen size. Leaves black text on light grey, opaque.
void PaintBackdrop(MemoryDC& dc, int& layoutWidth, int& layoutHeight);

// The gradient alone: one column per x from 0 to width - 1, from y 101 down to height - 1.
void DrawGradient(MemoryDC& dc, int width, int height);

// One field label, in the context's current font, colours and mode.
void DrawLabel(MemoryDC& dc, const QString& text, int x, int y);

// The start screen: picture 230 at (50, 150) with white as its transparent colour, then the
// title block in the transparent mode, which stays set. Sets the two link areas.
void DrawStartScreen(MemoryDC& dc, QRect& mailLinkRect, QRect& webLinkRect);

// The subtitle of the title block; the rest of its branding is in ui/branding.h.
QString StartScreenSubtitle();

}  // namespace zavel
