#include "platform/graphics/qt/BmpCodec.h"

#include <cmath>
#include <cstring>

#include "platform/graphics/GraphicsConst.h"

namespace {

constexpr int64_t kPixelLimit = int64_t(1) << 28;
constexpr uint32_t BI_RGB = 0;
constexpr uint32_t BI_BITFIELDS = 3;
constexpr uint32_t BI_ALPHABITFIELDS = 6;

[[noreturn]] void Invalid() { throw EInvalidGraphic(GraphicsConst::SInvalidBitmap); }

struct Reader {
    const std::string& b;
    uint32_t U16(size_t o) const {
        if (o + 2 > b.size()) Invalid();
        return uint8_t(b[o]) | (uint8_t(b[o + 1]) << 8);
    }
    uint32_t U32(size_t o) const {
        if (o + 4 > b.size()) Invalid();
        return uint32_t(uint8_t(b[o])) | (uint32_t(uint8_t(b[o + 1])) << 8) | (uint32_t(uint8_t(b[o + 2])) << 16) |
               (uint32_t(uint8_t(b[o + 3])) << 24);
    }
    int32_t S32(size_t o) const { return static_cast<int32_t>(U32(o)); }
};

int DpiOf(int32_t pelsPerMeter) {
    return pelsPerMeter > 0 ? static_cast<int>(std::lround(pelsPerMeter * 0.0254)) : 0;
}

int32_t PelsPerMeter(int32_t dpi) { return dpi > 0 ? static_cast<int32_t>(std::lround(dpi / 0.0254)) : 0; }

// Channel value of a masked field scaled to 8 bits.
int Channel(uint32_t v, uint32_t mask) {
    if (!mask) return 0;
    int shift = 0;
    while (!((mask >> shift) & 1)) ++shift;
    uint32_t m = mask >> shift;
    int width = 0;
    while ((m >> width) & 1) ++width;
    uint32_t x = (v & mask) >> shift;
    if (width >= 8) return static_cast<int>(x >> (width - 8));
    uint32_t max = (1u << width) - 1;
    return static_cast<int>((x * 255 + max / 2) / max);
}

void Put16(std::string& s, uint32_t v) {
    s.push_back(char(v & 0xFF));
    s.push_back(char((v >> 8) & 0xFF));
}
void Put32(std::string& s, uint32_t v) {
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16);
}

}  // namespace

bool DecodeBmp(const std::string& bytes, TDecodedBmp& out) {
    Reader r{bytes};
    if (bytes.size() < 26 || bytes[0] != 'B' || bytes[1] != 'M') Invalid();
    uint32_t offBits = r.U32(10);
    uint32_t headerSize = r.U32(14);
    int64_t width, height;
    uint32_t bits, compression = BI_RGB, colorsUsed = 0;
    int32_t ppmX = 0, ppmY = 0;
    size_t entrySize = 4;
    if (headerSize == 12) {
        width = r.U16(18);
        height = static_cast<int16_t>(r.U16(20));
        bits = r.U16(24);
        entrySize = 3;
    } else if (headerSize >= 40) {
        width = r.S32(18);
        height = r.S32(22);
        bits = r.U16(28);
        compression = r.U32(30);
        ppmX = r.S32(38);
        ppmY = r.S32(42);
        colorsUsed = r.U32(46);
    } else {
        Invalid();
    }
    if (compression != BI_RGB && compression != BI_BITFIELDS && compression != BI_ALPHABITFIELDS) return false;
    bool topDown = height < 0;
    if (topDown) height = -height;
    if (width <= 0 || height <= 0) Invalid();
    if (width * height > kPixelLimit) throw EInvalidGraphic(GraphicsConst::SInvalidImageSize);
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) Invalid();

    uint32_t masks[4] = {0, 0, 0, 0};
    size_t after = 14 + headerSize;
    if (compression == BI_BITFIELDS || compression == BI_ALPHABITFIELDS) {
        int count = compression == BI_ALPHABITFIELDS ? 4 : 3;
        size_t at = 14 + 40;
        for (int i = 0; i < count; ++i) masks[i] = r.U32(at + 4 * i);
        if (headerSize >= 56) masks[3] = r.U32(at + 12);
        if (headerSize == 40) after += 4 * count;
    } else if (bits == 16) {
        masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
    } else if (bits == 32) {
        masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
    }

    QList<QRgb> table;
    if (bits <= 8) {
        uint32_t n = colorsUsed ? colorsUsed : (1u << bits);
        n = std::min(n, 1u << bits);
        for (uint32_t i = 0; i < n; ++i) {
            size_t at = after + i * entrySize;
            if (at + 3 > bytes.size() || at + 3 > offBits) Invalid();
            table.push_back(qRgb(uint8_t(bytes[at + 2]), uint8_t(bytes[at + 1]), uint8_t(bytes[at])));
        }
        if (table.isEmpty()) Invalid();
    }

    int64_t stride = ((width * bits + 31) / 32) * 4;
    if (offBits > bytes.size() || stride * height > static_cast<int64_t>(bytes.size() - offBits)) Invalid();
    int w = static_cast<int>(width), h = static_cast<int>(height);
    auto row = [&](int y) {
        int64_t fileRow = topDown ? y : (h - 1 - y);
        return reinterpret_cast<const uint8_t*>(bytes.data()) + offBits + fileRow * stride;
    };
    int n = static_cast<int>(table.size());
    auto index = [n](int i) { return i < n ? i : 0; };

    QImage image;
    TPixelFormat format;
    if (bits == 1) {
        format = pf1bit;
        image = QImage(w, h, QImage::Format_Mono);
        image.setColorTable(table);
        for (int y = 0; y < h; ++y) {
            std::memcpy(image.scanLine(y), row(y), static_cast<size_t>((w + 7) / 8));
            if (n < 2) {
                uchar* d = image.scanLine(y);
                for (int x = 0; x < (w + 7) / 8; ++x) d[x] = 0;
            }
        }
    } else if (bits == 4 || bits == 8) {
        format = bits == 4 ? pf4bit : pf8bit;
        image = QImage(w, h, QImage::Format_Indexed8);
        image.setColorTable(table);
        for (int y = 0; y < h; ++y) {
            const uint8_t* s = row(y);
            uchar* d = image.scanLine(y);
            for (int x = 0; x < w; ++x)
                d[x] = static_cast<uchar>(index(bits == 8 ? s[x] : (x % 2 == 0 ? s[x / 2] >> 4 : s[x / 2] & 0x0F)));
        }
    } else if (bits == 24) {
        format = pf24bit;
        image = QImage(w, h, QImage::Format_BGR888);
        for (int y = 0; y < h; ++y) std::memcpy(image.scanLine(y), row(y), static_cast<size_t>(w) * 3);
    } else if (bits == 16 && masks[0] == 0x7C00 && masks[1] == 0x03E0 && masks[2] == 0x001F && !masks[3]) {
        format = pf15bit;
        image = QImage(w, h, QImage::Format_RGB555);
        for (int y = 0; y < h; ++y) std::memcpy(image.scanLine(y), row(y), static_cast<size_t>(w) * 2);
    } else if (bits == 16 && masks[0] == 0xF800 && masks[1] == 0x07E0 && masks[2] == 0x001F && !masks[3]) {
        format = pf16bit;
        image = QImage(w, h, QImage::Format_RGB16);
        for (int y = 0; y < h; ++y) std::memcpy(image.scanLine(y), row(y), static_cast<size_t>(w) * 2);
    } else if (bits == 32 && masks[0] == 0xFF0000 && masks[1] == 0xFF00 && masks[2] == 0xFF &&
               (!masks[3] || masks[3] == 0xFF000000u)) {
        // The fourth byte is kept as it is; drawing ignores it, as the platform's blits do.
        format = pf32bit;
        image = QImage(w, h, masks[3] ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        for (int y = 0; y < h; ++y) std::memcpy(image.scanLine(y), row(y), static_cast<size_t>(w) * 4);
    } else {
        // Unusual masks: read channel by channel.
        if (!masks[0] && !masks[1] && !masks[2]) Invalid();
        bool alpha = masks[3] != 0;
        format = alpha ? pf32bit : pf24bit;
        image = QImage(w, h, alpha ? QImage::Format_ARGB32 : QImage::Format_BGR888);
        for (int y = 0; y < h; ++y) {
            const uint8_t* s = row(y);
            for (int x = 0; x < w; ++x) {
                uint32_t v = bits == 16 ? uint32_t(s[2 * x] | (s[2 * x + 1] << 8))
                                        : uint32_t(s[4 * x]) | (uint32_t(s[4 * x + 1]) << 8) |
                                              (uint32_t(s[4 * x + 2]) << 16) | (uint32_t(s[4 * x + 3]) << 24);
                image.setPixel(x, y, qRgba(Channel(v, masks[0]), Channel(v, masks[1]), Channel(v, masks[2]),
                                           alpha ? Channel(v, masks[3]) : 255));
            }
        }
    }
    out.Image = image;
    out.Format = format;
    out.DpiX = DpiOf(ppmX);
    out.DpiY = DpiOf(ppmY);
    return true;
}

std::string EncodeBmp(const QImage& source, TPixelFormat format, int32_t dpiX, int32_t dpiY) {
    int bits;
    uint32_t compression = BI_RGB;
    QImage image = source;
    switch (format) {
    case pf1bit:
        bits = 1;
        if (image.format() != QImage::Format_Mono) image = image.convertToFormat(QImage::Format_Mono);
        break;
    case pf4bit:
    case pf8bit:
        bits = format == pf4bit ? 4 : 8;
        if (image.format() != QImage::Format_Indexed8) image = image.convertToFormat(QImage::Format_Indexed8);
        break;
    case pf15bit:
        bits = 16;
        if (image.format() != QImage::Format_RGB555) image = image.convertToFormat(QImage::Format_RGB555);
        break;
    case pf16bit:
        bits = 16;
        compression = BI_BITFIELDS;
        if (image.format() != QImage::Format_RGB16) image = image.convertToFormat(QImage::Format_RGB16);
        break;
    case pf32bit:
        bits = 32;
        if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32)
            image = image.convertToFormat(QImage::Format_ARGB32);
        break;
    default:
        bits = 24;
        if (image.format() != QImage::Format_BGR888) image = image.convertToFormat(QImage::Format_BGR888);
        break;
    }
    int w = image.width(), h = image.height();
    QList<QRgb> table = bits <= 8 ? image.colorTable() : QList<QRgb>();
    if (bits <= 8 && table.size() > (1 << bits)) table.resize(1 << bits);
    uint32_t masksSize = compression == BI_BITFIELDS ? 12 : 0;
    uint32_t offBits = 14 + 40 + masksSize + 4 * static_cast<uint32_t>(table.size());
    uint32_t stride = ((static_cast<uint32_t>(w) * bits + 31) / 32) * 4;
    uint32_t imageSize = stride * static_cast<uint32_t>(h);

    std::string s;
    s.reserve(offBits + imageSize);
    s += "BM";
    Put32(s, offBits + imageSize);
    Put32(s, 0);
    Put32(s, offBits);
    Put32(s, 40);
    Put32(s, static_cast<uint32_t>(w));
    Put32(s, static_cast<uint32_t>(h));
    Put16(s, 1);
    Put16(s, static_cast<uint32_t>(bits));
    Put32(s, compression);
    Put32(s, imageSize);
    Put32(s, static_cast<uint32_t>(PelsPerMeter(dpiX)));
    Put32(s, static_cast<uint32_t>(PelsPerMeter(dpiY)));
    Put32(s, static_cast<uint32_t>(table.size()));
    Put32(s, 0);
    if (compression == BI_BITFIELDS) {
        Put32(s, 0xF800);
        Put32(s, 0x07E0);
        Put32(s, 0x001F);
    }
    for (QRgb c : table) {
        s.push_back(char(qBlue(c)));
        s.push_back(char(qGreen(c)));
        s.push_back(char(qRed(c)));
        s.push_back(0);
    }
    std::string line(stride, '\0');
    for (int y = h - 1; y >= 0; --y) {
        std::fill(line.begin(), line.end(), '\0');
        const uchar* src = image.constScanLine(y);
        if (bits == 4) {
            for (int x = 0; x < w; ++x)
                line[x / 2] = char(uint8_t(line[x / 2]) | ((x % 2 == 0) ? (src[x] & 0x0F) << 4 : (src[x] & 0x0F)));
        } else {
            std::memcpy(line.data(), src, (static_cast<size_t>(w) * bits + 7) / 8);
        }
        s += line;
    }
    return s;
}
