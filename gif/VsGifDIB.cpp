// The bridge between bitmaps and device-independent bitmaps.
#include <cmath>
#include <cstring>
#include <exception>
#include <new>

#include "gif/VsGifColor.h"

namespace {

bool Indexed(TPixelFormat format) { return format == pf1bit || format == pf4bit || format == pf8bit; }

int32_t PelsPerMeter(int32_t dpi) { return dpi > 0 ? static_cast<int32_t>(std::lround(dpi / 0.0254)) : 0; }

// Kept for the life of the program: every 8-bit conversion starts from it.
const TBitmap& Template8() {
    static const TBitmap* const bitmap = [] {
        auto* b = new TBitmap;
        b->SetPixelFormat(pf8bit);
        return b;
    }();
    return *bitmap;
}

void Put16(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
void Put32(uint8_t* p, uint32_t v) {
    Put16(p, v & 0xFFFF);
    Put16(p + 2, v >> 16);
}

}  // namespace

int32_t DIBBitsPerPixel(TPixelFormat format) {
    switch (format) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf24bit: return 24;
    default: RaiseGIFError(GifMsg::SUnsupportedPixelFormat);
    }
}

TPixelFormat GetBitmapPixelFormat(const TBitmap& bitmap) { return bitmap.PixelFormat(); }

void SetBitmapPixelFormat(TBitmap& bitmap, TPixelFormat format) {
    if (format == bitmap.PixelFormat()) return;
    if (format != pf8bit) {
        bitmap.SetPixelFormat(format);
        return;
    }
    const int32_t width = bitmap.Width(), height = bitmap.Height();
    const int32_t dpiX = bitmap.ResolutionX(), dpiY = bitmap.ResolutionY();
    bitmap.Assign(&Template8());
    bitmap.SetResolution(dpiX, dpiY);
    bitmap.SetSize(width, height);
}

HPALETTE BitmapPalette(TBitmap& bitmap) {
    if (!Indexed(bitmap.PixelFormat())) return nullptr;
    std::vector<TPaletteEntry> entries;
    for (TColor c : bitmap.Palette()) entries.push_back({GetRValue(c), GetGValue(c), GetBValue(c), 0});
    return CreatePalette(std::move(entries));
}

void SetBitmapPalette(TBitmap& bitmap, const HPALETTE& palette) {
    if (!palette || !Indexed(bitmap.PixelFormat())) return;
    std::vector<TColor> colors;
    for (const TPaletteEntry& e : palette->Entries()) colors.push_back(RGB(e.peRed, e.peGreen, e.peBlue));
    bitmap.SetPalette(colors);
}

void PaletteEntriesToRGBQuads(TPaletteEntry* entries, int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        // Same size, fields in another order: blue, green, red, 0.
        TPaletteEntry& e = entries[i];
        e = {e.peBlue, e.peGreen, e.peRed, 0};
    }
}

HPALETTE GDICheck(HPALETTE palette) {
    if (!palette) throw EOutOfMemory(GifMsg::SOutOfResources);
    return palette;
}

// ---------------------------------------------------------------- DIB header and pixels

void InitializeBitmapInfoHeader(TBitmap& bitmap, TPixelFormat format, TBitmapInfoHeader& header) {
    if (bitmap.Empty()) RaiseGIFError(GifMsg::SInvalidBitmap);
    // Every bitmap here is a DIB: its own header is the start.
    header = {};
    header.biWidth = bitmap.Width();
    header.biHeight = bitmap.Height();
    header.biXPelsPerMeter = PelsPerMeter(bitmap.ResolutionX());
    header.biYPelsPerMeter = PelsPerMeter(bitmap.ResolutionY());
    if (Indexed(bitmap.PixelFormat())) header.biClrUsed = static_cast<uint32_t>(bitmap.Palette().size());
    header.biBitCount = static_cast<uint16_t>(DIBBitsPerPixel(format));
    header.biPlanes = 1;
    header.biSizeImage =
        static_cast<uint32_t>(BytesPerDIBRow(header.biWidth, header.biBitCount)) * static_cast<uint32_t>(header.biHeight);
    // A table never holds more entries than the bits can index.
    if (header.biBitCount > 8 || header.biClrUsed > (1u << header.biBitCount)) header.biClrUsed = 0;
}

void GetDIBSizes(TBitmap& bitmap, TPixelFormat format, int32_t& infoHeaderSize, int32_t& imageSize) {
    TBitmapInfoHeader header;
    InitializeBitmapInfoHeader(bitmap, format, header);
    if (header.biBitCount <= 8)
        infoHeaderSize = 40 + 4 * (1 << header.biBitCount);
    else
        infoHeaderSize = (header.biCompression & 3) != 0 ? 52 : 40;
    imageSize = static_cast<int32_t>(header.biSizeImage);
}

bool GetDIB(TBitmap& bitmap, TPixelFormat format, TRGBQuad* colorTable, uint8_t* bits) {
    const int32_t bitsPerPixel = DIBBitsPerPixel(format);
    const int32_t width = bitmap.Width(), height = bitmap.Height();
    if (width <= 0 || height <= 0) return false;
    // Another format is read from a converted copy, so the bitmap stays.
    TBitmap converted;
    TBitmap* source = &bitmap;
    if (bitmap.PixelFormat() != format) {
        converted.Assign(&bitmap);
        converted.SetPixelFormat(format);
        source = &converted;
    }
    if (bitsPerPixel <= 8 && colorTable) {
        const std::vector<TColor> palette = source->Palette();
        const size_t n = std::min(palette.size(), size_t(1) << bitsPerPixel);
        for (size_t i = 0; i < n; ++i)
            colorTable[i] = {GetBValue(palette[i]), GetGValue(palette[i]), GetRValue(palette[i]), 0};
    }
    const size_t stride = static_cast<size_t>(BytesPerDIBRow(width, bitsPerPixel));
    const size_t used = (static_cast<size_t>(width) * static_cast<size_t>(bitsPerPixel) + 7) / 8;
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* row = bits + static_cast<size_t>(height - 1 - y) * stride;
        std::memcpy(row, source->ScanLine(y), used);
        std::memset(row + used, 0, stride - used);
    }
    return true;
}

// ---------------------------------------------------------------- reader and writer

TDIBReader::TDIBReader(TBitmap& bitmap, TPixelFormat format) : TDIB(bitmap, format) {
    DIBBitsPerPixel(format);
    SetBitmapPixelFormat(bitmap, format);
}

TDIBWriter::TDIBWriter(TBitmap& bitmap, TPixelFormat format)
    : TDIB(bitmap, format), FExceptions(std::uncaught_exceptions()) {}

TDIBWriter::~TDIBWriter() noexcept(false) {
    if (FInfo.empty() || FBits.empty() || std::uncaught_exceptions() > FExceptions) return;
    // As a BMP file: a 14-byte file header, the header block, the pixels.
    std::string file(14, '\0');
    auto* head = reinterpret_cast<uint8_t*>(file.data());
    head[0] = 'B';
    head[1] = 'M';
    Put32(head + 2, static_cast<uint32_t>(14 + FInfo.size() + FBits.size()));
    Put32(head + 10, static_cast<uint32_t>(14 + FInfo.size()));
    file.append(reinterpret_cast<const char*>(FInfo.data()), FInfo.size());
    file.append(reinterpret_cast<const char*>(FBits.data()), FBits.size());
    FreeDIB();
    TReadOnlyMemoryStream stream(file.data(), static_cast<int64_t>(file.size()));
    FBitmap.LoadFromStream(stream);
}

void TDIBWriter::FreeDIB() {
    FInfo = {};
    FBits = {};
}

void TDIBWriter::CreateDIB() {
    if (FBitmap.Empty()) RaiseGIFError(GifMsg::SInvalidBitmap);
    FreeDIB();
    try {
        int32_t infoSize = 0, imageSize = 0;
        GetDIBSizes(FBitmap, FPixelFormat, infoSize, imageSize);
        TBitmapInfoHeader header;
        InitializeBitmapInfoHeader(FBitmap, FPixelFormat, header);
        FInfo.assign(static_cast<size_t>(infoSize), 0);
        try {
            FBits.assign(static_cast<size_t>(imageSize), 0);
        } catch (const std::bad_alloc&) {
            throw EOutOfMemory(GifMsg::SDIBMemory);
        }
        // The colour table (the bitmap's palette when it has one) follows the header.
        auto* table = reinterpret_cast<TRGBQuad*>(FInfo.data() + 40);
        if (!GetDIB(FBitmap, FPixelFormat, header.biBitCount <= 8 ? table : nullptr, FBits.data()))
            RaiseGIFError(GifMsg::SDIBCreate);
        std::memcpy(FInfo.data(), &header, sizeof header);
        FHeader = header;
    } catch (...) {
        FreeDIB();
        throw;
    }
}

uint8_t* TDIBWriter::RowAddress(int32_t row) {
    if (FBits.empty()) CreateDIB();
    if (FBits.empty()) RaiseGIFError(GifMsg::SNoDIB);
    const TBitmapInfoHeader& header = FHeader;
    const int32_t height = header.biHeight < 0 ? -header.biHeight : header.biHeight;
    if (row < 0 || row >= FBitmap.Height() || row >= height)
        throw EInvalidGraphicOperation(GifMsg::SScanLine);
    const size_t stride = static_cast<size_t>(BytesPerDIBRow(header.biWidth, header.biBitCount));
    const int32_t stored = header.biHeight > 0 ? height - row - 1 : row;
    return FBits.data() + static_cast<size_t>(stored) * stride;
}
