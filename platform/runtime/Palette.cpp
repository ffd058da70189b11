#include "platform/runtime/Palette.h"

#include <algorithm>

namespace {

// The static colours in the order of the system palette: ten at its start,
// ten at its end.
constexpr TPaletteEntry kStaticColors[20] = {
    {0, 0, 0, 0},       {128, 0, 0, 0},     {0, 128, 0, 0},     {128, 128, 0, 0},   {0, 0, 128, 0},
    {128, 0, 128, 0},   {0, 128, 128, 0},   {192, 192, 192, 0}, {192, 220, 192, 0}, {166, 202, 240, 0},
    {255, 251, 240, 0}, {160, 160, 164, 0}, {128, 128, 128, 0}, {255, 0, 0, 0},     {0, 255, 0, 0},
    {255, 255, 0, 0},   {0, 0, 255, 0},     {255, 0, 255, 0},   {0, 255, 255, 0},   {255, 255, 255, 0},
};

}  // namespace

HPALETTE CreatePalette(std::vector<TPaletteEntry> entries, uint16_t version) {
    if (entries.empty()) return nullptr;
    if (entries.size() > 256) entries.resize(256);
    return std::make_shared<const TPaletteObject>(std::move(entries), version);
}

int32_t GetPaletteEntries(const HPALETTE& palette, int32_t start, int32_t count, TPaletteEntry* out) {
    if (!palette) return 0;
    if (!out) return palette->Count();
    if (start < 0 || count <= 0 || start >= palette->Count()) return 0;
    const int32_t n = std::min(count, palette->Count() - start);
    std::copy_n(palette->Entries().begin() + start, n, out);
    return n;
}

int32_t PaletteEntryCount(const HPALETTE& palette) { return palette ? palette->Count() : 0; }

HPALETTE CopyPalette(const HPALETTE& palette) {
    if (!palette) return nullptr;
    return std::make_shared<const TPaletteObject>(palette->Entries(), palette->Version());
}

HPALETTE StockDefaultPalette() {
    static const HPALETTE stock =
        std::make_shared<const TPaletteObject>(std::vector<TPaletteEntry>(std::begin(kStaticColors), std::end(kStaticColors)));
    return stock;
}

HPALETTE CreateHalftonePalette() {
    std::vector<TPaletteEntry> entries(kStaticColors, kStaticColors + 10);
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                entries.push_back({static_cast<uint8_t>(51 * r), static_cast<uint8_t>(51 * g), static_cast<uint8_t>(51 * b), 0});
    // Greys between those of the cube.
    for (int i = 1; i <= 20; ++i) {
        const auto v = static_cast<uint8_t>((i * 255 + 10) / 21);
        entries.push_back({v, v, v, 0});
    }
    entries.insert(entries.end(), kStaticColors + 10, kStaticColors + 20);
    return CreatePalette(std::move(entries));
}
