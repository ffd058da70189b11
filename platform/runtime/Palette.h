// Logical palettes. A palette handle is a shared, never-changing set of
// entries; copies of a handle are the same palette, CopyPalette makes another
// one. There are no palette displays here: selecting and realising a palette
// change nothing, so the layer has no calls for them.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

struct TPaletteEntry {
    uint8_t peRed = 0;
    uint8_t peGreen = 0;
    uint8_t peBlue = 0;
    uint8_t peFlags = 0;
    bool operator==(const TPaletteEntry&) const = default;
};

// Entry flags.
inline constexpr uint8_t PC_RESERVED = 0x01;
inline constexpr uint8_t PC_EXPLICIT = 0x02;
inline constexpr uint8_t PC_NOCOLLAPSE = 0x04;

class TPaletteObject {
public:
    explicit TPaletteObject(std::vector<TPaletteEntry> entries, uint16_t version = 0x300)
        : FEntries(std::move(entries)), FVersion(version) {}
    const std::vector<TPaletteEntry>& Entries() const { return FEntries; }
    int32_t Count() const { return static_cast<int32_t>(FEntries.size()); }
    uint16_t Version() const { return FVersion; }

private:
    std::vector<TPaletteEntry> FEntries;
    uint16_t FVersion;
};

// Null is "no palette".
using HPALETTE = std::shared_ptr<const TPaletteObject>;

// A palette of at most 256 entries (more are dropped); null for none.
HPALETTE CreatePalette(std::vector<TPaletteEntry> entries, uint16_t version = 0x300);
// Copies up to count entries from start into out; the number copied. With a
// null out, the palette's entry count.
int32_t GetPaletteEntries(const HPALETTE& palette, int32_t start, int32_t count, TPaletteEntry* out);
int32_t PaletteEntryCount(const HPALETTE& palette);
// Another palette with the same entries; null for null.
HPALETTE CopyPalette(const HPALETTE& palette);

// The stock default palette: the 20 static colours, the first ten then the
// last ten of the system palette.
HPALETTE StockDefaultPalette();
// The halftone palette of the screen: the 20 static colours around a
// 6 x 6 x 6 colour cube and 20 greys, 256 entries.
HPALETTE CreateHalftonePalette();
