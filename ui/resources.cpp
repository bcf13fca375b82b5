#include "ui/resources.h"

#include <QBitmap>
#include <QFile>
#include <QPixmap>
#include <QStringList>

#include <mutex>

#include "ui/branding.h"

// Outside any namespace, as the resource system wants it.
static void InitProgramResources() {
    Q_INIT_RESOURCE(zavel);
}

namespace zavel {
namespace {

// The resources live in a static library; they must be registered before the first use.
void EnsureResources() {
    static std::once_flag once;
    std::call_once(once, InitProgramResources);
}

}  // namespace

QImage LoadPaletteBitmap(int id) {
    EnsureResources();
    QImage bitmap(QStringLiteral(":/bitmap/%1").arg(id), "BMP");
    if (bitmap.isNull()) {
        return {};
    }
    return bitmap.convertToFormat(QImage::Format_RGB32);
}

QPixmap LoadMaskedBitmap(int id, QRgb maskColour) {
    const QImage bitmap = LoadPaletteBitmap(id);
    if (bitmap.isNull()) {
        return {};
    }
    QPixmap pixmap = QPixmap::fromImage(bitmap);
    pixmap.setMask(QBitmap::fromImage(bitmap.createMaskFromColor(maskColour, Qt::MaskInColor)));
    return pixmap;
}

QIcon ProgramIcon() {
    EnsureResources();
    return QIcon(QStringLiteral(":/icon/317"));
}

QCursor LinkCursor() {
    EnsureResources();
    const QImage hand(QStringLiteral(":/cursor/215"), "PNG");
    if (hand.isNull()) {
        return QCursor(Qt::PointingHandCursor);
    }
    // The generator stores the hot spot with the picture.
    const QStringList spot = hand.text(QStringLiteral("hotspot")).split(QLatin1Char(','));
    const int x = spot.size() == 2 ? spot[0].toInt() : 0;
    const int y = spot.size() == 2 ? spot[1].toInt() : 0;
    return QCursor(QPixmap::fromImage(hand), x, y);
}

QString LoadString(int id) {
    if (std::optional<QString> branded = BrandingString(id)) {
        return *branded;
    }
    EnsureResources();
    QFile file(QStringLiteral(":/string/%1").arg(id));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(file.readAll());
}

}  // namespace zavel
