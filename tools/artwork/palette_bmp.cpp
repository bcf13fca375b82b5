#include "tools/artwork/palette_bmp.h"

#include <QFile>

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <vector>

namespace zavel::artwork {
namespace {

constexpr QRgb kWhite = 0xffffffffu;

struct Box {
    std::vector<QRgb> colours;  // one entry per pixel, so big areas weigh more

    int Range(int channel) const {
        int low = 255;
        int high = 0;
        for (QRgb c : colours) {
            const int v = (c >> (16 - 8 * channel)) & 0xff;
            low = std::min(low, v);
            high = std::max(high, v);
        }
        return high - low;
    }
    int WidestChannel() const {
        const std::array<int, 3> ranges{Range(0), Range(1), Range(2)};
        return static_cast<int>(std::max_element(ranges.begin(), ranges.end()) - ranges.begin());
    }
    QRgb Mean() const {
        std::uint64_t r = 0, g = 0, b = 0;
        for (QRgb c : colours) {
            r += qRed(c);
            g += qGreen(c);
            b += qBlue(c);
        }
        const std::uint64_t n = colours.size();
        QRgb mean = qRgb(int(r / n), int(g / n), int(b / n));
        // White belongs to the transparent pixels alone.
        return mean == kWhite ? qRgb(254, 254, 254) : mean;
    }
};

std::vector<QRgb> MedianCut(std::vector<QRgb> colours, int wanted) {
    std::vector<Box> boxes{Box{std::move(colours)}};
    while (static_cast<int>(boxes.size()) < wanted) {
        auto widest = std::max_element(boxes.begin(), boxes.end(), [](const Box& a, const Box& b) {
            return a.Range(a.WidestChannel()) < b.Range(b.WidestChannel());
        });
        if (widest->colours.size() < 2 || widest->Range(widest->WidestChannel()) == 0) {
            break;
        }
        const int shift = 16 - 8 * widest->WidestChannel();
        std::sort(widest->colours.begin(), widest->colours.end(), [shift](QRgb a, QRgb b) {
            return ((a >> shift) & 0xff) < ((b >> shift) & 0xff);
        });
        const auto middle = widest->colours.begin() + widest->colours.size() / 2;
        Box upper{std::vector<QRgb>(middle, widest->colours.end())};
        widest->colours.erase(middle, widest->colours.end());
        boxes.push_back(std::move(upper));
    }
    std::vector<QRgb> palette;
    for (const Box& box : boxes) {
        palette.push_back(box.Mean());
    }
    return palette;
}

int Nearest(const std::vector<QRgb>& palette, QRgb c, int firstIndex) {
    int best = firstIndex;
    int bestDistance = INT32_MAX;
    for (int i = firstIndex; i < static_cast<int>(palette.size()); ++i) {
        const int dr = qRed(palette[i]) - qRed(c);
        const int dg = qGreen(palette[i]) - qGreen(c);
        const int db = qBlue(palette[i]) - qBlue(c);
        const int distance = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return best;
}

void Put16(QByteArray& out, int v) {
    out.append(char(v & 0xff)).append(char((v >> 8) & 0xff));
}

void Put32(QByteArray& out, std::int64_t v) {
    Put16(out, int(v & 0xffff));
    Put16(out, int((v >> 16) & 0xffff));
}

}  // namespace

QImage ReduceToPalette(const QImage& picture, const std::vector<QRgb>& kept) {
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    // Index 0 is white, whether or not it is used, so that every picture agrees on it.
    std::vector<QRgb> palette{kWhite};
    for (QRgb c : kept) {
        palette.push_back(c | 0xff000000u);
    }
    std::vector<QRgb> opaque;
    for (int y = 0; y < rgb.height(); ++y) {
        for (int x = 0; x < rgb.width(); ++x) {
            const QRgb c = rgb.pixel(x, y) | 0xff000000u;
            if (c != kWhite && std::find(palette.begin(), palette.end(), c) == palette.end()) {
                opaque.push_back(c);
            }
        }
    }
    if (!opaque.empty()) {
        const std::vector<QRgb> cut =
            MedianCut(std::move(opaque), 256 - static_cast<int>(palette.size()));
        palette.insert(palette.end(), cut.begin(), cut.end());
    }
    QImage indexed(rgb.size(), QImage::Format_Indexed8);
    QList<QRgb> table(palette.begin(), palette.end());
    while (table.size() < 256) {
        table.append(qRgb(0, 0, 0));
    }
    indexed.setColorTable(table);
    std::map<QRgb, int> memo;
    for (int y = 0; y < rgb.height(); ++y) {
        for (int x = 0; x < rgb.width(); ++x) {
            const QRgb c = rgb.pixel(x, y) | 0xff000000u;
            int index = 0;
            if (c != kWhite) {
                auto found = memo.find(c);
                index = found != memo.end() ? found->second : (memo[c] = Nearest(palette, c, 1));
            }
            indexed.setPixel(x, y, static_cast<uint>(index));
        }
    }
    return indexed;
}

bool WritePaletteBmp(const QImage& indexed, const QString& path) {
    const int width = indexed.width();
    const int height = indexed.height();
    const int stride = (width + 3) / 4 * 4;
    const int tableBytes = 256 * 4;
    const int offset = 14 + 40 + tableBytes;
    QByteArray out;
    out.append("BM");
    Put32(out, offset + std::int64_t(stride) * height);
    Put32(out, 0);
    Put32(out, offset);
    Put32(out, 40);  // the information header
    Put32(out, width);
    Put32(out, height);  // positive: rows bottom-up
    Put16(out, 1);
    Put16(out, 8);
    Put32(out, 0);  // no compression
    Put32(out, std::int64_t(stride) * height);
    Put32(out, 2835);  // 72 dots per inch
    Put32(out, 2835);
    Put32(out, 256);
    Put32(out, 0);
    const QList<QRgb> table = indexed.colorTable();
    for (int i = 0; i < 256; ++i) {
        const QRgb c = i < table.size() ? table[i] : qRgb(0, 0, 0);
        out.append(char(qBlue(c))).append(char(qGreen(c))).append(char(qRed(c))).append('\0');
    }
    for (int y = height - 1; y >= 0; --y) {
        const uchar* row = indexed.constScanLine(y);
        out.append(reinterpret_cast<const char*>(row), width);
        out.append(QByteArray(stride - width, '\0'));
    }
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(out) == out.size() &&
           file.flush();
}

bool SavePaletteBmp(const QImage& picture, const QString& path, const std::vector<QRgb>& kept) {
    return WritePaletteBmp(ReduceToPalette(picture, kept), path);
}

}  // namespace zavel::artwork
