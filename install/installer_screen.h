// What the installer window shows behind its three controls, drawn once into its off-screen
// picture: the black-to-red gradient, the start picture with white as its transparent colour,
// the four texts over their black shadows and the grey frame of the destination field.
#pragma once

#include <QColor>
#include <QRect>
#include <QString>

#include "ui/memory_dc.h"

namespace zavel {

inline constexpr int kInstallerWidth = 500;
inline constexpr int kInstallerHeight = 300;
inline constexpr QRgb kInstallerBackground = 0xff800000u;  // the window's dark red

// Where the controls stand, (left, top) to (right, bottom) exclusive.
inline constexpr QRect kDestinationEditRect{QPoint(162, 202), QPoint(469, 216)};
inline constexpr QRect kBrowseButtonRect{162, 225, 80, 30};
inline constexpr QRect kInstallButtonRect{390, 225, 80, 30};
inline constexpr QRect kDestinationFrameRect{QPoint(150, 190), QPoint(479, 259)};

// The gradient's colour at column x: red 255 * x / 500, no green or blue.
QRgb InstallerGradientColour(int x);

// The copyright notice under the title.
QString InstallerCreditLine();

// Draws the screen into `dc` in its order: gradient, picture, texts, frame. Leaves the control
// font selected and black text in the transparent mode.
void DrawInstallerScreen(MemoryDC& dc);

}  // namespace zavel
