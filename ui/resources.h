// The program's pictures, found by their resource ids: bitmaps (resources/bitmaps/NNN-name.bmp),
// the program icon 317, the link cursor 215 and the string table, all compiled in through
// resources/zavel.qrc.
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

// The string with the given id from the string table: the branding's entries (ui/branding.h)
// and the files resources/strings/NNN-name.txt, byte for byte as UTF-8; empty when there is
// none.
QString LoadString(int id);

inline constexpr int kIdleBannerString = 11;  // the status pane's text while the table is empty

}  // namespace zavel
