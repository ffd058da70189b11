// Bitmaps to palettes and indices: the bridge between the platform's bitmaps
// and device-independent bitmaps (DIBs), colour lookups, dither engines, the
// octree quantiser and ReduceBitmapColors, which turns any bitmap into an
// 8-bit one with a palette.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "gif/VsGif.h"
#include "platform/graphics/Graphics.h"
#include "platform/runtime/Palette.h"

// Reduction modes.
inline constexpr uint8_t ReduceNone = 0;          // a 24-bit copy
inline constexpr uint8_t ReduceSystem20 = 1;      // the stock default palette
inline constexpr uint8_t ReduceHalftone = 2;      // the screen's halftone palette
inline constexpr uint8_t ReduceFourGreys = 3;     // 0x00, 0x80, 0xC0, 0xFF
inline constexpr uint8_t ReduceMonochrome = 4;    // black and white
inline constexpr uint8_t ReduceGreys256 = 5;      // entry i = (i, i, i)
inline constexpr uint8_t ReduceWeb216 = 6;        // the 216-colour web palette
inline constexpr uint8_t ReduceOctree = 7;        // 2^bits colours of the picture
inline constexpr uint8_t ReduceOctreeSystem = 8;  // 20 static colours and 236 of the picture

// Dither methods.
inline constexpr uint8_t DitherNearest = 0;
inline constexpr uint8_t DitherFloydSteinberg = 1;

// ---------------------------------------------------------------- DIB bridge

// The 40-byte header of a DIB, as in a file.
struct TBitmapInfoHeader {
    uint32_t biSize = 40;
    int32_t biWidth = 0;
    int32_t biHeight = 0;  // > 0: rows stored bottom-up
    uint16_t biPlanes = 1;
    uint16_t biBitCount = 0;
    uint32_t biCompression = 0;
    uint32_t biSizeImage = 0;
    int32_t biXPelsPerMeter = 0;
    int32_t biYPelsPerMeter = 0;
    uint32_t biClrUsed = 0;
    uint32_t biClrImportant = 0;
};
static_assert(sizeof(TBitmapInfoHeader) == 40);

struct TRGBQuad {
    uint8_t rgbBlue = 0;
    uint8_t rgbGreen = 0;
    uint8_t rgbRed = 0;
    uint8_t rgbReserved = 0;
};

// 1, 4, 8 or 24; any other format raises "Unsupported PixelFormat".
int32_t DIBBitsPerPixel(TPixelFormat format);
TPixelFormat GetBitmapPixelFormat(const TBitmap& bitmap);
// pf8bit goes through one shared empty 8-bit bitmap: the target takes its
// format and then its own size again, so its pixels are not converted (a
// bitmap of 8 bits already stays as it is).
void SetBitmapPixelFormat(TBitmap& bitmap, TPixelFormat format);

// The palette of a bitmap's colour table; none for a bitmap without one.
HPALETTE BitmapPalette(TBitmap& bitmap);
// An indexed bitmap's colour table becomes the palette's entries; other
// bitmaps ignore it.
void SetBitmapPalette(TBitmap& bitmap, const HPALETTE& palette);

// Palette entries (red, green, blue, flags) turned in place into colour
// table entries (blue, green, red, 0).
void PaletteEntriesToRGBQuads(TPaletteEntry* entries, int32_t count);
// Entry 36r + 6g + b is (51r, 51g, 51b).
HPALETTE BuildWebPalette();
// The palette, or EOutOfResources when a palette call gave none.
HPALETTE GDICheck(HPALETTE palette);

// The header a DIB of bitmap in format starts from: the bitmap's own (size,
// resolution, colours used), with the format's bits and the image size.
// "Bitmap image is not valid" for a bitmap without pixels.
void InitializeBitmapInfoHeader(TBitmap& bitmap, TPixelFormat format, TBitmapInfoHeader& header);
// Header block (40 bytes and the colour table) and pixel block sizes.
void GetDIBSizes(TBitmap& bitmap, TPixelFormat format, int32_t& infoHeaderSize, int32_t& imageSize);
// The bitmap's pixels in format, bottom-up rows padded to 32 bits, and the
// colour table they index (2^bits entries for indexed formats). False when
// no row could be had.
bool GetDIB(TBitmap& bitmap, TPixelFormat format, TRGBQuad* colorTable, uint8_t* bits);

// Not a TObject: a writer's destructor loads its pixels back and may raise.
class TDIB {
public:
    TDIB(TBitmap& bitmap, TPixelFormat format) : FBitmap(bitmap), FPixelFormat(format) {}
    TDIB(const TDIB&) = delete;
    TDIB& operator=(const TDIB&) = delete;
    virtual ~TDIB() noexcept(false) = default;
    virtual uint8_t* RowAddress(int32_t row) = 0;
    TBitmap& Bitmap() const { return FBitmap; }
    TPixelFormat PixelFormat() const { return FPixelFormat; }

protected:
    TBitmap& FBitmap;
    TPixelFormat FPixelFormat;
};

// Rows straight from the bitmap, which is first converted to the format.
class TDIBReader final : public TDIB {
public:
    TDIBReader(TBitmap& bitmap, TPixelFormat format);
    uint8_t* RowAddress(int32_t row) override { return FBitmap.ScanLine(row); }
};

// Rows of a private DIB copy of the bitmap, made at the first RowAddress
// and loaded back into the bitmap (as a BMP file) when the writer goes.
class TDIBWriter final : public TDIB {
public:
    TDIBWriter(TBitmap& bitmap, TPixelFormat format);
    // Writes back, unless an exception is passing.
    ~TDIBWriter() noexcept(false) override;
    // Row 0 is the top row; the DIB stores it last.
    uint8_t* RowAddress(int32_t row) override;
    bool HasDIB() const { return !FBits.empty(); }
    // The header block (header and colour table) and the pixel block.
    const std::vector<uint8_t>& InfoBlock() const { return FInfo; }
    const std::vector<uint8_t>& PixelBlock() const { return FBits; }

private:
    void CreateDIB();
    void FreeDIB();
    TBitmapInfoHeader FHeader;
    std::vector<uint8_t> FInfo;
    std::vector<uint8_t> FBits;
    int FExceptions;
};

// ---------------------------------------------------------------- lookups

// Maps a colour to a palette index and gives the palette's colour.
class TColorLookup {
public:
    virtual ~TColorLookup() = default;
    virtual int32_t MatchColor(uint8_t red, uint8_t green, uint8_t blue, uint8_t& outRed, uint8_t& outGreen,
                               uint8_t& outBlue) = 0;
    // 0: the lookup cannot be used.
    int32_t Colors() const { return FColors; }

protected:
    int32_t FColors = 0;
};

// Nearest colour of a palette of up to 256 entries (the least sum of the
// channel differences; the first such entry on a tie), through an inverse
// table of one cell per 5-bit red, green and blue. A cell is worked out when
// a colour first falls into it: either one entry is nearest to every colour
// of the cell, and the cell holds its index, or the cell keeps the few
// entries that can be nearest to one of its colours, and each of its 512
// colours is searched among them once.
class TFastColorLookup final : public TColorLookup {
public:
    explicit TFastColorLookup(const HPALETTE& palette);
    int32_t MatchColor(uint8_t red, uint8_t green, uint8_t blue, uint8_t& outRed, uint8_t& outGreen,
                       uint8_t& outBlue) override {
        const int32_t cell = ((blue >> 3) << 10) | ((green >> 3) << 5) | (red >> 3);
        int32_t index = FInverse[static_cast<size_t>(cell)];
        if (index < 0) index = Resolve(cell, red, green, blue);
        const TPaletteEntry& e = FEntries[static_cast<size_t>(index)];
        outRed = e.peRed;
        outGreen = e.peGreen;
        outBlue = e.peBlue;
        return index;
    }

private:
    static constexpr int16_t Empty = -1;
    static constexpr int16_t Shared = -2;  // several entries are nearest to some of the cell's colours
    struct TSharedCell {
        uint32_t Candidates = 0;  // offset into FCandidates
        uint16_t Count = 0;
        uint32_t Colors = 0;      // offset of the cell's 512 colours into FColorIndex
    };
    int32_t Resolve(int32_t cell, uint8_t red, uint8_t green, uint8_t blue);
    void WorkOutCell(int32_t cell);

    std::vector<TPaletteEntry> FEntries;
    std::vector<int16_t> FInverse;
    std::vector<int32_t> FSharedOf;  // by cell: its TSharedCell, or -1
    std::vector<TSharedCell> FShared;
    std::vector<uint8_t> FCandidates;
    std::vector<int16_t> FColorIndex;  // -1 until searched
};

// The web palette: (c + 3) div 51 per channel.
class TNetscapeColorLookup final : public TColorLookup {
public:
    TNetscapeColorLookup() { FColors = 216; }
    int32_t MatchColor(uint8_t red, uint8_t green, uint8_t blue, uint8_t& outRed, uint8_t& outGreen,
                       uint8_t& outBlue) override {
        const int qr = (red + 3) / 51, qg = (green + 3) / 51, qb = (blue + 3) / 51;
        outRed = static_cast<uint8_t>(51 * qr);
        outGreen = static_cast<uint8_t>(51 * qg);
        outBlue = static_cast<uint8_t>(51 * qb);
        return 36 * qr + 6 * qg + qb;
    }
};

// 256 greys by luminance (77 red + 150 green + 29 blue) shr 8.
class TGrayScaleLookup final : public TColorLookup {
public:
    TGrayScaleLookup() { FColors = 256; }
    int32_t MatchColor(uint8_t red, uint8_t green, uint8_t blue, uint8_t& outRed, uint8_t& outGreen,
                       uint8_t& outBlue) override {
        const auto y = static_cast<uint8_t>((77 * red + 150 * green + 29 * blue) >> 8);
        outRed = outGreen = outBlue = y;
        return y;
    }
};

// Black below a weighted sum of 32513, white from there.
class TMonochromeLookup final : public TColorLookup {
public:
    TMonochromeLookup() { FColors = 2; }
    int32_t MatchColor(uint8_t red, uint8_t green, uint8_t blue, uint8_t& outRed, uint8_t& outGreen,
                       uint8_t& outBlue) override {
        const bool white = 77 * red + 150 * green + 29 * blue >= 32513;
        outRed = outGreen = outBlue = white ? 255 : 0;
        return white ? 1 : 0;
    }
};

// ---------------------------------------------------------------- dither engines

// Nearest colour, rows in alternating directions: even rows left to right,
// odd rows right to left.
class TDitherEngine {
public:
    TDitherEngine(int32_t width, TColorLookup& lookup) : FWidth(width), FLookup(lookup) {}
    virtual ~TDitherEngine() = default;
    // The index of the pixel at Column(); the column then moves on.
    virtual int32_t DitherPixel(uint8_t red, uint8_t green, uint8_t blue, uint8_t& outRed, uint8_t& outGreen,
                                uint8_t& outBlue);
    virtual void NextRow();
    int32_t Direction() const { return FDirection; }
    int32_t Column() const { return FColumn; }
    int32_t Width() const { return FWidth; }

protected:
    int32_t FDirection = 1;
    int32_t FColumn = 0;
    int32_t FWidth;
    TColorLookup& FLookup;
};

// Floyd-Steinberg error diffusion on the serpentine rows: 7/16 ahead, 3/16
// below-behind, 5/16 below, 1/16 below-ahead.
class TFloydSteinbergEngine final : public TDitherEngine {
public:
    TFloydSteinbergEngine(int32_t width, TColorLookup& lookup);
    int32_t DitherPixel(uint8_t red, uint8_t green, uint8_t blue, uint8_t& outRed, uint8_t& outGreen,
                        uint8_t& outBlue) override;
    void NextRow() override;

private:
    struct Channel {
        std::vector<int32_t> Errors;  // width + 2 cells: this row's incoming, the next row's outgoing
        int32_t Wanted = 0;           // on entry: the error pushed ahead
        int32_t Below = 0;
        int32_t BelowBehind = 0;
    };
    int32_t Spread(Channel& c, int32_t input) const;
    Channel FChannels[3];  // red, green, blue
    int32_t FPosition = 0;  // the cell behind the current pixel
};

// ---------------------------------------------------------------- octree

// Colours of a picture gathered in a tree of depth colourBits; whenever it
// holds more leaves than the maximum, the newest node of the deepest level
// that has children becomes a leaf of their sum.
class TColorQuantizer {
public:
    TColorQuantizer(int32_t maxColors, int32_t colorBits);
    void ProcessBitmap(TDIBReader& reader);
    void AddColor(uint8_t red, uint8_t green, uint8_t blue);
    // One colour per leaf, depth first, children in index order.
    std::vector<TPaletteEntry> CollectColors() const;
    int32_t LeafCount() const { return FLeafCount; }

private:
    struct Node {
        bool Leaf = false;
        uint32_t Pixels = 0;
        uint64_t Red = 0, Green = 0, Blue = 0;
        int32_t Children[8] = {-1, -1, -1, -1, -1, -1, -1, -1};
        int32_t NextReducible = -1;
    };
    int32_t NewNode(int32_t level);
    void FreeNode(int32_t node);
    // False when no node is left to reduce.
    bool ReduceTree();
    void Collect(int32_t node, std::vector<TPaletteEntry>& out) const;

    std::vector<Node> FNodes;  // the root first
    std::vector<int32_t> FFree;
    int32_t FReducible[8] = {-1, -1, -1, -1, -1, -1, -1, -1};
    int32_t FLeafCount = 0;
    int32_t FMaxColors;
    int32_t FColorBits;
    // The leaf the last colour went to, until the tree changes shape.
    uint32_t FLastColor = 0xFFFFFFFF;
    int32_t FLastLeaf = -1;
};

// A palette of maxColors entries from the picture; with system colours 256
// entries, the first and last ten the stock default palette's and 236 from
// the picture between them. Entries the picture does not fill are black.
// fitToPixels moves each of the picture's entries to the mean of the pixels
// nearest to it (one pass more over the pixels).
HPALETTE BuildOctreePalette(TDIBReader& reader, int32_t maxColors, int32_t colorBits, bool systemColors,
                            bool fitToPixels = false);
// The same over a bitmap, which becomes 24-bit.
HPALETTE OptimizedPaletteOf(TBitmap& bitmap, int32_t maxColors, int32_t colorBits, bool systemColors,
                            bool fitToPixels = false);

HPALETTE GreyPalette256();
HPALETTE MonochromePalette();
HPALETTE FourGreyPalette();
HPALETTE HalftonePalette();

// A new 8-bit bitmap with a palette, or for ReduceNone a 24-bit copy. The
// source becomes 24-bit. A mode, dither method or lookup that cannot be used
// gives the result sized but without pixels. reductionBits is clamped to 1..8.
std::unique_ptr<TBitmap> ReduceBitmapColors(TBitmap& source, uint8_t mode, uint8_t ditherMethod,
                                            int32_t reductionBits);
