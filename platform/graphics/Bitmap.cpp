#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <cstring>

#include "platform/graphics/qt/BmpCodec.h"
#include "platform/graphics/GraphicsConst.h"
#include "platform/graphics/qt/GraphicsQt.h"
#include "platform/graphics/qt/QtCanvasDevice.h"

namespace {

constexpr int kPixelLimit = 1 << 28;

bool IsIndexed(TPixelFormat f) { return f == pf1bit || f == pf4bit || f == pf8bit; }

QImage::Format QtFormatFor(TPixelFormat f) {
    switch (f) {
    case pf1bit: return QImage::Format_Mono;
    case pf4bit:
    case pf8bit: return QImage::Format_Indexed8;
    case pf15bit: return QImage::Format_RGB555;
    case pf16bit: return QImage::Format_RGB16;
    case pf24bit: return QImage::Format_BGR888;
    // pf32bit keeps its fourth byte but draws opaque, as the platform's blits
    // do; one that came with real alpha (a PNG) is kept as ARGB32.
    default: return QImage::Format_RGB32;
    }
}

int BitsFor(TPixelFormat f) {
    switch (f) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf15bit:
    case pf16bit: return 16;
    case pf24bit: return 24;
    default: return 32;
    }
}

QList<QRgb> DefaultPalette(TPixelFormat f) {
    QList<QRgb> table;
    if (f == pf1bit) {
        table = {qRgb(0, 0, 0), qRgb(255, 255, 255)};
    } else if (f == pf4bit) {
        // The sixteen colours of the platform's standard palette.
        static const QRgb vga[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0x808080,
                                     0xC0C0C0, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
        for (QRgb c : vga) table.push_back(0xFF000000u | c);
    } else {
        // A 6 x 6 x 6 colour cube and 40 greys.
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b) table.push_back(qRgb(r * 51, g * 51, b * 51));
        for (int i = 0; i < 40; ++i) {
            int v = (i + 1) * 255 / 41;
            table.push_back(qRgb(v, v, v));
        }
    }
    return table;
}

}  // namespace

// ---------------------------------------------------------------- pixels

struct TBitmap::Impl {
    QImage image;  // in QtFormatFor(format); pf4bit keeps one index per byte
    QImage work;   // what an indexed bitmap is painted on while painting
    std::unique_ptr<QPainter> painter;
    std::vector<uint8_t> packed;  // pf4bit rows as ScanLine hands them out
    bool packedLive = false;      // packed holds the newest pixels
    TPixelFormat format = pfDevice;

    bool Painting() const { return painter && painter->isActive(); }

    void EndPaint() {
        if (!Painting()) return;
        painter->end();
        if (IsIndexed(format)) {
            QImage back = work.convertToFormat(QtFormatFor(format), image.colorTable(), Qt::ThresholdDither);
            back.setDotsPerMeterX(image.dotsPerMeterX());
            back.setDotsPerMeterY(image.dotsPerMeterY());
            image = back;
            work = QImage();
        }
    }

    int PackedStride() const { return ((image.width() * 4 + 31) / 32) * 4; }

    void Pack() {
        int stride = PackedStride();
        packed.assign(static_cast<size_t>(stride) * image.height(), 0);
        for (int y = 0; y < image.height(); ++y) {
            const uchar* src = image.constScanLine(y);
            uint8_t* dst = packed.data() + static_cast<size_t>(y) * stride;
            for (int x = 0; x < image.width(); ++x)
                dst[x / 2] |= (x % 2 == 0) ? uint8_t((src[x] & 0x0F) << 4) : uint8_t(src[x] & 0x0F);
        }
        packedLive = true;
    }

    void Unpack() {
        if (!packedLive) return;
        packedLive = false;
        int stride = PackedStride();
        for (int y = 0; y < image.height(); ++y) {
            uchar* dst = image.scanLine(y);
            const uint8_t* src = packed.data() + static_cast<size_t>(y) * stride;
            for (int x = 0; x < image.width(); ++x) dst[x] = (x % 2 == 0) ? (src[x / 2] >> 4) : (src[x / 2] & 0x0F);
        }
    }

    // The pixels, current and not being painted.
    QImage& Pixels() {
        EndPaint();
        Unpack();
        return image;
    }

    QPainter* Begin(bool& fresh) {
        fresh = false;
        if (Painting()) return painter.get();
        Unpack();
        if (image.isNull()) return nullptr;
        if (!painter) painter = std::make_unique<QPainter>();
        QPaintDevice* target = &image;
        if (IsIndexed(format)) {
            work = image.convertToFormat(QImage::Format_RGB32);
            target = &work;
        }
        if (!painter->begin(target)) return nullptr;
        fresh = true;
        return painter.get();
    }

    QImage* Target() {
        if (Painting()) return IsIndexed(format) ? &work : &image;
        return &Pixels();
    }
};

// The device behind a bitmap's canvas: a QPainter begun on the bitmap at the
// first draw and ended whenever the pixels are read.
class TBitmapDevice : public TQtCanvasDevice {
public:
    explicit TBitmapDevice(TBitmap* bitmap) : TQtCanvasDevice(nullptr, 96, 96, {}), FBitmap(bitmap) {}
    int32_t LogPixelsX() const override { return FBitmap->FDpiX; }
    int32_t LogPixelsY() const override { return FBitmap->FDpiY; }
    TSize PixelSize() const override { return {FBitmap->Width(), FBitmap->Height()}; }
    TSize PhysicalSize() const override { return PixelSize(); }
    int32_t BitsPerPixel() const override { return BitsFor(FBitmap->FPixelFormat); }

protected:
    QPainter* ActivePainter() override {
        bool fresh;
        QPainter* p = FBitmap->FImpl->Begin(fresh);
        if (fresh) PainterChanged();
        return p;
    }
    QImage* TargetImage() override { return FBitmap->FImpl->Target(); }

private:
    TBitmap* FBitmap;
};

TBitmap::TBitmap() : FImpl(std::make_unique<Impl>()) {}

TBitmap::TBitmap(int32_t width, int32_t height) : TBitmap() { SetSize(width, height); }

TBitmap::~TBitmap() {
    // The canvas's device refers to the pixels: it goes first.
    FCanvas.reset();
    FImpl->EndPaint();
}

void TBitmap::EndPaint() { FImpl->EndPaint(); }

void TBitmap::SyncIndexed() {
    FImpl->EndPaint();
    FImpl->Unpack();
}

bool TBitmap::Empty() const { return FImpl->image.isNull() || FImpl->image.width() == 0 || FImpl->image.height() == 0; }
int32_t TBitmap::Width() const { return FImpl->image.width(); }
int32_t TBitmap::Height() const { return FImpl->image.height(); }
void TBitmap::SetWidth(int32_t width) { SetSize(width, Height()); }
void TBitmap::SetHeight(int32_t height) { SetSize(Width(), height); }

// The old pixels stay at the top left; new ones are white.
void TBitmap::SetSize(int32_t width, int32_t height) {
    width = std::max(0, width);
    height = std::max(0, height);
    if (width == Width() && height == Height() && !FImpl->image.isNull()) return;
    if (static_cast<int64_t>(width) * height > kPixelLimit) throw EInvalidGraphic(GraphicsConst::SInvalidImageSize);
    QImage& old = FImpl->Pixels();
    if (width == 0 || height == 0) {
        QList<QRgb> table = old.colorTable();
        FImpl->image = QImage();
        Changed();
        return;
    }
    QImage fresh(width, height, QtFormatFor(FPixelFormat));
    if (IsIndexed(FPixelFormat)) {
        QList<QRgb> table = old.isNull() ? DefaultPalette(FPixelFormat) : old.colorTable();
        if (table.isEmpty()) table = DefaultPalette(FPixelFormat);
        fresh.setColorTable(table);
        int white = 0;
        int best = INT32_MAX;
        for (int i = 0; i < table.size(); ++i) {
            int d = (255 - qRed(table[i])) + (255 - qGreen(table[i])) + (255 - qBlue(table[i]));
            if (d < best) best = d, white = i;
        }
        fresh.fill(white);
        if (!old.isNull()) {
            int w = std::min(width, old.width()), h = std::min(height, old.height());
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) fresh.setPixel(x, y, old.pixelIndex(x, y));
        }
    } else {
        fresh.fill(Qt::white);
        if (!old.isNull()) {
            QPainter p(&fresh);
            p.setCompositionMode(QPainter::CompositionMode_Source);
            p.drawImage(0, 0, old);
        }
    }
    FImpl->image = fresh;
    FImpl->packedLive = false;
    Changed();
}

void TBitmap::SetPixelFormat(TPixelFormat format) {
    if (format == pfCustom) throw EInvalidGraphic(GraphicsConst::SInvalidPixelFormat);
    if (format == FPixelFormat) return;
    QImage& img = FImpl->Pixels();
    if (!img.isNull()) {
        QImage converted;
        if (IsIndexed(format)) {
            QList<QRgb> table = DefaultPalette(format);
            QImage rgb = img.convertToFormat(QImage::Format_RGB32);
            converted = rgb.convertToFormat(QtFormatFor(format), table, Qt::ThresholdDither);
        } else {
            converted = img.convertToFormat(QtFormatFor(format));
        }
        converted.setDotsPerMeterX(img.dotsPerMeterX());
        converted.setDotsPerMeterY(img.dotsPerMeterY());
        FImpl->image = converted;
    }
    FPixelFormat = format;
    FImpl->format = format;
    FImpl->packedLive = false;
    FPaletteHandle = nullptr;
    Changed();
}

void TBitmap::SetMonochrome(bool mono) {
    if (mono) SetPixelFormat(pf1bit);
    else if (FPixelFormat == pf1bit) SetPixelFormat(pfDevice);
}

void TBitmap::SetResolution(int32_t dpiX, int32_t dpiY) {
    FDpiX = dpiX;
    FDpiY = dpiY;
}

uint8_t* TBitmap::ScanLine(int32_t y) {
    if (y < 0 || y >= Height()) throw EInvalidGraphicOperation(GraphicsConst::SScanLine);
    FImpl->EndPaint();
    if (FPixelFormat == pf4bit) {
        if (!FImpl->packedLive) FImpl->Pack();
        return FImpl->packed.data() + static_cast<size_t>(y) * FImpl->PackedStride();
    }
    return FImpl->image.scanLine(y);
}

std::vector<TColor> TBitmap::Palette() const {
    std::vector<TColor> colors;
    if (!IsIndexed(FPixelFormat)) return colors;
    QList<QRgb> table = FImpl->image.isNull() ? DefaultPalette(FPixelFormat) : FImpl->image.colorTable();
    for (QRgb c : table) colors.push_back(FromQRgb(c));
    return colors;
}

void TBitmap::SetPalette(const std::vector<TColor>& colors) {
    if (!IsIndexed(FPixelFormat) || FImpl->image.isNull()) return;
    QImage& img = FImpl->Pixels();
    size_t limit = size_t(1) << BitsFor(FPixelFormat);
    QList<QRgb> table;
    for (size_t i = 0; i < colors.size() && i < limit; ++i) {
        TColor c = ColorToRGB(colors[i]);
        table.push_back(qRgb(GetRValue(c), GetGValue(c), GetBValue(c)));
    }
    while (table.size() < 2) table.push_back(qRgb(0, 0, 0));
    img.setColorTable(table);
    FPaletteHandle = nullptr;
    Changed();
}

HPALETTE TBitmap::GetPalette() {
    if (!FPaletteHandle && IsIndexed(FPixelFormat)) {
        std::vector<TPaletteEntry> entries;
        for (TColor c : Palette()) entries.push_back({GetRValue(c), GetGValue(c), GetBValue(c), 0});
        FPaletteHandle = CreatePalette(std::move(entries));
    }
    return FPaletteHandle;
}

void TBitmap::SetPalette(HPALETTE palette) {
    if (palette == FPaletteHandle) return;
    if (palette && IsIndexed(FPixelFormat) && !FImpl->image.isNull()) {
        std::vector<TColor> colors;
        for (const TPaletteEntry& e : palette->Entries()) colors.push_back(RGB(e.peRed, e.peGreen, e.peBlue));
        SetPalette(colors);
    }
    FPaletteHandle = std::move(palette);
    SetPaletteModified(true);
}

TColor TBitmap::TransparentColor() const {
    if (FTransparentColor != clDefault) return FTransparentColor;
    if (Empty()) return clBlack;
    auto* self = const_cast<TBitmap*>(this);
    QImage& img = self->FImpl->Pixels();
    return FromQRgb(img.pixel(0, img.height() - 1));
}

TCanvas* TBitmap::Canvas() {
    if (!FCanvas) FCanvas = std::make_unique<TCanvas>(std::make_unique<TBitmapDevice>(this));
    return FCanvas.get();
}

void TBitmap::Draw(TCanvas& canvas, const TRect& rect) {
    if (Empty() || !canvas.Device()) return;
    QImage own;
    const QImage* pixels = &FImpl->Pixels();
    if (FCanvas && &canvas == FCanvas.get()) {
        own = pixels->copy();
        pixels = &own;
    }
    TRect dest = canvas.LPtoDP(rect).Normalized();
    canvas.Device()->DrawImage(dest, *pixels, {0, 0, Width(), Height()}, Transparent(),
                               ColorToRGB(TransparentColor()));
}

const QImage& TBitmap::Image() { return FImpl->Pixels(); }

const QImage& TGraphicsQt::Image(TBitmap& bitmap) { return bitmap.Image(); }
void TGraphicsQt::SetImage(TBitmap& bitmap, const QImage& image) { bitmap.SetImage(image); }
const QImage& BitmapImage(TBitmap& bitmap) { return TGraphicsQt::Image(bitmap); }
void SetBitmapImage(TBitmap& bitmap, const QImage& image) { TGraphicsQt::SetImage(bitmap, image); }

void TBitmap::SetImage(const QImage& image) {
    FImpl->EndPaint();
    FImpl->packedLive = false;
    TPixelFormat format;
    QImage img = image;
    switch (image.format()) {
    case QImage::Format_Mono: format = pf1bit; break;
    case QImage::Format_MonoLSB:
        img = image.convertToFormat(QImage::Format_Mono);
        format = pf1bit;
        break;
    case QImage::Format_Indexed8: format = image.colorCount() <= 16 && FPixelFormat == pf4bit ? pf4bit : pf8bit; break;
    case QImage::Format_RGB555: format = pf15bit; break;
    case QImage::Format_RGB16: format = pf16bit; break;
    case QImage::Format_BGR888: format = pf24bit; break;
    case QImage::Format_RGB888:
        img = image.convertToFormat(QImage::Format_BGR888);
        format = pf24bit;
        break;
    case QImage::Format_ARGB32: format = pf32bit; break;
    case QImage::Format_RGB32: format = pfDevice; break;
    default:
        if (image.hasAlphaChannel()) {
            img = image.convertToFormat(QImage::Format_ARGB32);
            format = pf32bit;
        } else {
            img = image.convertToFormat(QImage::Format_RGB32);
            format = pfDevice;
        }
    }
    FImpl->image = img;
    FImpl->format = format;
    FPixelFormat = format;
    FPaletteHandle = nullptr;
    Changed();
}

void TBitmap::Assign(const TPersistent* source) {
    if (!source) {
        FImpl->EndPaint();
        FImpl->image = QImage();
        FImpl->packedLive = false;
        FPaletteHandle = nullptr;
        Changed();
        return;
    }
    if (auto* bitmap = dynamic_cast<const TBitmap*>(source)) {
        if (bitmap == this) return;
        auto* src = const_cast<TBitmap*>(bitmap);
        QImage copy = src->FImpl->Pixels().copy();
        FImpl->EndPaint();
        FImpl->image = copy;
        FImpl->packedLive = false;
        FImpl->format = src->FPixelFormat;
        FPixelFormat = src->FPixelFormat;
        FPaletteHandle = src->FPaletteHandle;
        FDpiX = src->FDpiX;
        FDpiY = src->FDpiY;
        FTransparentColor = src->FTransparentColor;
        SetTransparent(src->Transparent());
        Changed();
        return;
    }
    if (auto* graphic = dynamic_cast<const TGraphic*>(source)) {
        auto* g = const_cast<TGraphic*>(graphic);
        SetSize(0, 0);
        SetSize(g->Width(), g->Height());
        if (!Empty()) {
            Canvas()->Brush()->SetColor(clWhite);
            Canvas()->FillRect({0, 0, Width(), Height()});
            g->Draw(*Canvas(), {0, 0, Width(), Height()});
        }
        SetTransparent(g->Transparent());
        Changed();
        return;
    }
    TGraphic::Assign(source);
}

// ---------------------------------------------------------------- files

void TBitmap::LoadFromStream(TStream& stream) {
    std::string bytes;
    char chunk[65536];
    while (true) {
        int64_t n = stream.Read(chunk, sizeof chunk);
        if (n <= 0) break;
        bytes.append(chunk, static_cast<size_t>(n));
    }
    TDecodedBmp decoded;
    if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M' && DecodeBmp(bytes, decoded)) {
        FImpl->EndPaint();
        FImpl->packedLive = false;
        FPixelFormat = decoded.Format;
        FImpl->format = decoded.Format;
        FImpl->image = decoded.Image;
        FPaletteHandle = nullptr;
        FDpiX = decoded.DpiX;
        FDpiY = decoded.DpiY;
        Changed();
        return;
    }
    QImage image = QImage::fromData(reinterpret_cast<const uchar*>(bytes.data()), static_cast<int>(bytes.size()));
    if (image.isNull()) throw EInvalidGraphic(GraphicsConst::SInvalidBitmap);
    if (static_cast<int64_t>(image.width()) * image.height() > kPixelLimit)
        throw EInvalidGraphic(GraphicsConst::SInvalidImageSize);
    FPixelFormat = pfDevice;
    SetImage(image);
    if (image.dotsPerMeterX() > 0) FDpiX = static_cast<int32_t>(std::lround(image.dotsPerMeterX() * 0.0254));
    if (image.dotsPerMeterY() > 0) FDpiY = static_cast<int32_t>(std::lround(image.dotsPerMeterY() * 0.0254));
}

void TBitmap::SaveToStream(TStream& stream) {
    std::string bytes = EncodeBmp(FImpl->Pixels(), FPixelFormat, FDpiX, FDpiY);
    stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
}

void TBitmap::SaveToFile(const std::string& path) {
    if (!SameText(ExtractFileExt(path), ".png")) {
        TGraphic::SaveToFile(path);
        return;
    }
    QImage image = FImpl->Pixels();
    if (FDpiX > 0) image.setDotsPerMeterX(static_cast<int>(std::lround(FDpiX / 0.0254)));
    if (FDpiY > 0) image.setDotsPerMeterY(static_cast<int>(std::lround(FDpiY / 0.0254)));
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) throw EInvalidGraphic(GraphicsConst::SInvalidBitmap);
    if (!WriteFileAtomically(path, std::string_view(data.constData(), static_cast<size_t>(data.size()))))
        throw EFCreateError(FmtMsg(SysConst::SFCreateError, path, std::strerror(errno)));
}

// ---------------------------------------------------------------- clipboard

void TBitmap::SaveToClipboardFormat(TClipboardFormat& format, std::string& data, HPALETTE& palette) {
    std::string bytes = EncodeBmp(FImpl->Pixels(), FPixelFormat, FDpiX, FDpiY);
    format = CF_BITMAP;
    data = std::move(bytes);
    palette = GetPalette();
}

void TBitmap::LoadFromClipboardFormat(TClipboardFormat format, const std::string& data, const HPALETTE& palette) {
    if (format != CF_BITMAP && format != CF_DIB) TGraphic::LoadFromClipboardFormat(format, data, palette);
    TReadOnlyMemoryStream stream(data.data(), static_cast<int64_t>(data.size()));
    LoadFromStream(stream);
}
