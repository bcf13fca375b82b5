// Writing the program's pictures as 8-bit palette BMP files: the colours are reduced to a
// palette of at most 256 entries by median cut, and pure white is kept apart, because white is
// the transparent colour of the start-screen picture: a pixel becomes pure white only if it was
// pure white before.
#pragma once

#include <QImage>
#include <QString>

#include <vector>

namespace zavel::artwork {

// Reduces an RGB picture to at most 256 colours. Pixels that are exactly white stay white;
// every other pixel maps to a palette entry that is not white. The `kept` colours get entries
// of their own, so small areas of them (a glint, a sheet of paper) keep their exact colour.
QImage ReduceToPalette(const QImage& picture, const std::vector<QRgb>& kept = {});

// Writes an indexed picture as an uncompressed 8-bit BMP with a 40-byte header and a full
// 256-entry colour table. Returns false when the file cannot be written.
bool WritePaletteBmp(const QImage& indexed, const QString& path);

// ReduceToPalette followed by WritePaletteBmp.
bool SavePaletteBmp(const QImage& picture, const QString& path, const std::vector<QRgb>& kept = {});

}  // namespace zavel::artwork
