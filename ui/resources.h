// The program's pictures, found by their resource ids: bitmaps (resources/bitmaps/NNN-name.bmp),
// the program icon 317 and the link cursor 215, all compiled in through resources/zavel.qrc.
#pragma once

#include <QCursor>
#include <QIcon>
#include <QImage>

namespace zavel {

// The bitmap with the given id, its palette applied (every pixel holds its literal colour), or
// a null picture when there is no such bitmap.
QImage LoadPaletteBitmap(int id);

// The bitmap as a pixmap whose pixels of `maskColour` are transparent.
QPixmap LoadMaskedBitmap(int id, QRgb maskColour);

QIcon ProgramIcon();   // 317
QCursor LinkCursor();  // 215: the pointing hand, hot spot at its finger tip

}  // namespace zavel
