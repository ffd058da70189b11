#include "platform/graphics/Tiff.h"

#include <QImage>
#include <cstring>
#include <string>
#include <vector>

#include "platform/graphics/GraphicsConst.h"
#include "platform/graphics/qt/GraphicsQt.h"

namespace {

constexpr int64_t kPixelLimit = int64_t(1) << 28;

enum : uint16_t { kShort = 3, kLong = 4, kRational = 5, kAscii = 2 };

[[noreturn]] void Invalid() { throw EInvalidGraphic(GraphicsConst::SInvalidTiff); }

struct Entry {
    uint16_t Tag, Type;
    uint32_t Count;
    std::vector<uint32_t> Values;  // shorts and longs; rationals as pairs
    std::string Text;
};

void Put16(std::string& s, uint32_t v) {
    s.push_back(char(v & 0xFF));
    s.push_back(char((v >> 8) & 0xFF));
}
void Put32(std::string& s, uint32_t v) {
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16);
}
void Set32(std::string& s, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) s[at + i] = char((v >> (8 * i)) & 0xFF);
}

// Little-endian baseline RGB: header, strips, then the directory and the
// values that do not fit in it.
std::string Encode(const QImage& source, int32_t dpiX, int32_t dpiY) {
    QImage image = source.convertToFormat(QImage::Format_RGB888);
    const uint32_t w = static_cast<uint32_t>(image.width()), h = static_cast<uint32_t>(image.height());
    const uint32_t rowBytes = w * 3;
    const uint32_t rowsPerStrip = std::max<uint32_t>(1, 65536 / std::max<uint32_t>(rowBytes, 1));
    const uint32_t strips = (h + rowsPerStrip - 1) / rowsPerStrip;

    std::string s = "II";
    Put16(s, 42);
    Put32(s, 0);  // directory offset, set below
    std::vector<uint32_t> offsets, counts;
    for (uint32_t strip = 0; strip < strips; ++strip) {
        offsets.push_back(static_cast<uint32_t>(s.size()));
        uint32_t first = strip * rowsPerStrip, last = std::min(h, first + rowsPerStrip);
        for (uint32_t y = first; y < last; ++y)
            s.append(reinterpret_cast<const char*>(image.constScanLine(static_cast<int>(y))), rowBytes);
        counts.push_back((last - first) * rowBytes);
        if (s.size() % 2) s.push_back('\0');
    }
    bool hasDpi = dpiX > 0 && dpiY > 0;
    std::vector<Entry> entries{
        {254, kLong, 1, {0}, {}},
        {256, kLong, 1, {w}, {}},
        {257, kLong, 1, {h}, {}},
        {258, kShort, 3, {8, 8, 8}, {}},
        {259, kShort, 1, {1}, {}},
        {262, kShort, 1, {2}, {}},
        {273, kLong, strips, offsets, {}},
        {277, kShort, 1, {3}, {}},
        {278, kLong, 1, {rowsPerStrip}, {}},
        {279, kLong, strips, counts, {}},
        {282, kRational, 1, {hasDpi ? uint32_t(dpiX) : 1u, 1}, {}},
        {283, kRational, 1, {hasDpi ? uint32_t(dpiY) : 1u, 1}, {}},
        {284, kShort, 1, {1}, {}},
        {296, kShort, 1, {hasDpi ? 2u : 1u}, {}},
        {305, kAscii, 8, {}, std::string("Varsona", 8)},
    };
    Set32(s, 4, static_cast<uint32_t>(s.size()));
    size_t dir = s.size();
    size_t extra = dir + 2 + 12 * entries.size() + 4;
    std::string tail;
    Put16(s, static_cast<uint32_t>(entries.size()));
    for (const Entry& e : entries) {
        Put16(s, e.Tag);
        Put16(s, e.Type);
        Put32(s, e.Count);
        std::string value;
        if (e.Type == kAscii) value = e.Text;
        for (uint32_t v : e.Values) e.Type == kShort ? Put16(value, v) : Put32(value, v);
        if (value.size() <= 4) {
            value.resize(4, '\0');
            s += value;
        } else {
            Put32(s, static_cast<uint32_t>(extra + tail.size()));
            tail += value;
            if (tail.size() % 2) tail.push_back('\0');
        }
    }
    Put32(s, 0);  // no next directory
    return s + tail;
}

struct Reader {
    const std::string& b;
    bool Big;
    uint32_t U16(size_t o) const {
        if (o + 2 > b.size() || o + 2 < o) Invalid();
        uint32_t a = uint8_t(b[o]), c = uint8_t(b[o + 1]);
        return Big ? (a << 8) | c : a | (c << 8);
    }
    uint32_t U32(size_t o) const {
        uint32_t lo = U16(o), hi = U16(o + 2);
        return Big ? (lo << 16) | hi : lo | (hi << 16);
    }
    // Value i of a directory entry.
    uint32_t Value(size_t entry, uint32_t i) const {
        uint32_t type = U16(entry + 2), count = U32(entry + 4);
        if (i >= count) Invalid();
        size_t size = type == kShort ? 2 : type == kLong ? 4 : type == kRational ? 8 : 1;
        size_t at = size * count <= 4 ? entry + 8 : U32(entry + 8);
        at += size * i;
        if (type == kShort) return U16(at);
        if (type == kLong) return U32(at);
        if (type == kRational) {
            uint32_t num = U32(at), den = U32(at + 4);
            return den ? (num + den / 2) / den : 0;
        }
        if (at >= b.size()) Invalid();
        return uint8_t(b[at]);
    }
};

}  // namespace

TTiffImage::TTiffImage() : FBitmap(std::make_unique<TBitmap>()) {}
TTiffImage::~TTiffImage() = default;

void TTiffImage::SaveToStream(TStream& stream) {
    if (FBitmap->Empty()) Invalid();
    std::string bytes = Encode(BitmapImage(*FBitmap), FBitmap->ResolutionX(), FBitmap->ResolutionY());
    stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
}

void TTiffImage::LoadFromStream(TStream& stream) {
    std::string b;
    char chunk[65536];
    int64_t n;
    while ((n = stream.Read(chunk, sizeof chunk)) > 0) b.append(chunk, static_cast<size_t>(n));
    if (b.size() < 8 || !((b[0] == 'I' && b[1] == 'I') || (b[0] == 'M' && b[1] == 'M'))) Invalid();
    Reader r{b, b[0] == 'M'};
    if (r.U16(2) != 42) Invalid();
    size_t dir = r.U32(4);
    uint32_t count = r.U16(dir);
    std::vector<size_t> at(65536, 0);
    for (uint32_t i = 0; i < count; ++i) {
        size_t e = dir + 2 + 12 * i;
        uint32_t tag = r.U16(e);
        at[tag] = e;
    }
    auto get = [&](uint16_t tag, uint32_t def, uint32_t i = 0) { return at[tag] ? r.Value(at[tag], i) : def; };
    int64_t w = get(256, 0), h = get(257, 0);
    uint32_t bits = get(258, 1), compression = get(259, 1), photometric = get(262, 9), samples = get(277, 1);
    uint32_t planar = get(284, 1), rowsPerStrip = get(278, 0xFFFFFFFFu);
    if (w <= 0 || h <= 0 || !at[273]) Invalid();
    if (w * h > kPixelLimit) throw EInvalidGraphic(GraphicsConst::SInvalidImageSize);
    if (compression != 1 || planar != 1 || samples == 0 || samples > 4) Invalid();
    if (!(bits == 8 || (bits == 1 && samples == 1) || (bits == 4 && photometric == 3))) Invalid();
    if (rowsPerStrip == 0) Invalid();
    int64_t rowBytes = (w * samples * bits + 7) / 8;
    uint32_t strips = r.U32(at[273] + 4);
    std::string data;
    data.reserve(static_cast<size_t>(rowBytes * h));
    for (uint32_t i = 0; i < strips && static_cast<int64_t>(data.size()) < rowBytes * h; ++i) {
        uint64_t off = r.Value(at[273], i);
        uint64_t len = at[279] ? r.Value(at[279], i) : static_cast<uint64_t>(rowBytes * h);
        if (off > b.size() || len > b.size() - off) Invalid();
        data.append(b, off, len);
    }
    if (static_cast<int64_t>(data.size()) < rowBytes * h) Invalid();
    auto row = [&](int y) { return reinterpret_cast<const uint8_t*>(data.data()) + rowBytes * y; };

    QImage image;
    int iw = static_cast<int>(w), ih = static_cast<int>(h);
    if ((photometric == 2) && samples >= 3) {
        image = QImage(iw, ih, QImage::Format_BGR888);
        for (int y = 0; y < ih; ++y) {
            const uint8_t* s = row(y);
            uchar* d = image.scanLine(y);
            for (int x = 0; x < iw; ++x) {
                d[3 * x] = s[samples * x + 2];
                d[3 * x + 1] = s[samples * x + 1];
                d[3 * x + 2] = s[samples * x];
            }
        }
    } else if ((photometric == 0 || photometric == 1) && bits == 8) {
        image = QImage(iw, ih, QImage::Format_Indexed8);
        QList<QRgb> grey;
        for (int i = 0; i < 256; ++i) grey.push_back(photometric == 1 ? qRgb(i, i, i) : qRgb(255 - i, 255 - i, 255 - i));
        image.setColorTable(grey);
        for (int y = 0; y < ih; ++y)
            for (int x = 0; x < iw; ++x) image.scanLine(y)[x] = row(y)[samples * x];
    } else if ((photometric == 0 || photometric == 1) && bits == 1) {
        image = QImage(iw, ih, QImage::Format_Mono);
        image.setColorTable(photometric == 1 ? QList<QRgb>{qRgb(0, 0, 0), qRgb(255, 255, 255)}
                                             : QList<QRgb>{qRgb(255, 255, 255), qRgb(0, 0, 0)});
        for (int y = 0; y < ih; ++y) std::memcpy(image.scanLine(y), row(y), static_cast<size_t>(rowBytes));
    } else if (photometric == 3 && samples == 1 && at[320]) {
        uint32_t entries = 1u << bits;
        if (r.U32(at[320] + 4) < 3 * entries) Invalid();
        QList<QRgb> table;
        for (uint32_t i = 0; i < entries; ++i)
            table.push_back(qRgb(r.Value(at[320], i) >> 8, r.Value(at[320], entries + i) >> 8,
                                 r.Value(at[320], 2 * entries + i) >> 8));
        image = QImage(iw, ih, QImage::Format_Indexed8);
        image.setColorTable(table);
        for (int y = 0; y < ih; ++y)
            for (int x = 0; x < iw; ++x)
                image.scanLine(y)[x] = bits == 8 ? row(y)[x] : (x % 2 == 0 ? row(y)[x / 2] >> 4 : row(y)[x / 2] & 0x0F);
    } else {
        Invalid();
    }
    uint32_t unit = get(296, 2);
    int32_t dpiX = static_cast<int32_t>(get(282, 96)), dpiY = static_cast<int32_t>(get(283, 96));
    if (unit == 3) dpiX = static_cast<int32_t>(dpiX * 2.54 + 0.5), dpiY = static_cast<int32_t>(dpiY * 2.54 + 0.5);
    else if (unit == 1) dpiX = dpiY = 96;
    SetBitmapImage(*FBitmap, image);
    FBitmap->SetResolution(dpiX, dpiY);
    Changed();
}

void TTiffImage::Assign(const TPersistent* source) {
    if (auto* tiff = dynamic_cast<const TTiffImage*>(source)) {
        if (tiff != this) FBitmap->Assign(tiff->FBitmap.get());
        Changed();
        return;
    }
    if (!source || dynamic_cast<const TGraphic*>(source)) {
        FBitmap->Assign(source);
        Changed();
        return;
    }
    TGraphic::Assign(source);
}

void TTiffImage::AssignTo(TPersistent* dest) const {
    if (auto* bitmap = dynamic_cast<TBitmap*>(dest)) {
        bitmap->Assign(FBitmap.get());
        return;
    }
    TGraphic::AssignTo(dest);
}
