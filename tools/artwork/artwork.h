// The program's pictures, drawn by program so that they share one look: the start-screen
// picture, the command button pictures, the five tree images, the program icon and the link
// cursor. Each function returns the finished picture at its resource size.
#pragma once

#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QString>

namespace zavel::artwork {

// Resource 230: 187 x 214, pure white is transparent. It lands on the dark left end of the
// backdrop's gradient, so its soft edges are blended towards that darkness.
QImage DrawStartPicture();
// Its near-white colours, which must reach the screen as they are (they are not white).
QRgb StartPicturePaper();
QRgb StartPictureGlint();

enum class ButtonFace { kNormal, kPressed, kDisabled };
enum class Command { kAdd, kRemove, kExpand, kStop, kSaveAs, kBrowse, kInstall };

// 80 x 30 pictures of the six command buttons and the installer's install button.
QImage DrawButton(Command command, ButtonFace face);
QString ButtonWord(Command command);

// 10 x 10 tree images 0 to 4, each on its own mask colour (see the resource table).
QImage DrawTreeImage(int index);

// The program icon, square, `size` pixels, with an alpha channel.
QImage DrawProgramIcon(int size);

// The pointing-hand cursor of the start screen's links, 32 x 32 with an alpha channel. Its hot
// spot is stored in the picture's text "hotspot" as "x,y".
QImage DrawLinkCursor();

// Shared helpers.
// The globe with its ring of links, as on the start screen, centred at `centre`.
void PaintGlobeEmblem(QPainter& p, QPointF centre, double radius);
QImage FlattenOnto(const QImage& argb, QRgb behind);  // transparent pixels become pure white
// A picture from rows of characters, one pixel each, with a colour for every character used.
QImage PixelArt(const char* const rows[], int height, const char* keys, const QRgb* colours);

}  // namespace zavel::artwork
