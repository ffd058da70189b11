// Colour reduction: palettes, lookups, dither engines and the octree.
#include <algorithm>
#include <cstdlib>

#include "gif/VsGifColor.h"

// ---------------------------------------------------------------- palettes

namespace {

HPALETTE GreyRamp(std::initializer_list<int> levels) {
    std::vector<TPaletteEntry> entries;
    for (int v : levels) {
        const auto c = static_cast<uint8_t>(v);
        entries.push_back({c, c, c, PC_NOCOLLAPSE});
    }
    return CreatePalette(std::move(entries));
}

}  // namespace

HPALETTE GreyPalette256() {
    std::vector<TPaletteEntry> entries(256);
    for (int i = 0; i < 256; ++i) {
        const auto c = static_cast<uint8_t>(i);
        entries[static_cast<size_t>(i)] = {c, c, c, PC_NOCOLLAPSE};
    }
    return CreatePalette(std::move(entries));
}

HPALETTE MonochromePalette() { return GreyRamp({0x00, 0xFF}); }
HPALETTE FourGreyPalette() { return GreyRamp({0x00, 0x80, 0xC0, 0xFF}); }
HPALETTE HalftonePalette() { return GDICheck(CreateHalftonePalette()); }

// ---------------------------------------------------------------- lookups

TFastColorLookup::TFastColorLookup(const HPALETTE& palette) : FInverse(32768, Empty) {
    if (palette) FEntries.assign(palette->Entries().begin(), palette->Entries().begin() + std::min(palette->Count(), 256));
    FColors = static_cast<int32_t>(FEntries.size());
}

// Distances are sums of channel differences. An entry can be nearest to a
// colour of the cell only when its distance to the cell's box is not above
// the farthest distance of the entry that is nearest at worst.
void TFastColorLookup::WorkOutCell(int32_t cell) {
    const int lo[3] = {(cell & 31) << 3, ((cell >> 5) & 31) << 3, (cell >> 10) << 3};
    int nearest[256];
    int bound = 0x7FFFFFFF;
    for (size_t i = 0; i < FEntries.size(); ++i) {
        const int c[3] = {FEntries[i].peRed, FEntries[i].peGreen, FEntries[i].peBlue};
        int dmin = 0, dmax = 0;
        for (int k = 0; k < 3; ++k) {
            const int hi = lo[k] + 7;
            dmin += c[k] < lo[k] ? lo[k] - c[k] : c[k] > hi ? c[k] - hi : 0;
            dmax += std::max(std::abs(c[k] - lo[k]), std::abs(c[k] - hi));
        }
        nearest[i] = dmin;
        bound = std::min(bound, dmax);
    }
    TSharedCell shared{static_cast<uint32_t>(FCandidates.size()), 0, static_cast<uint32_t>(FColorIndex.size())};
    for (size_t i = 0; i < FEntries.size(); ++i) {
        if (nearest[i] > bound) continue;
        FCandidates.push_back(static_cast<uint8_t>(i));
        ++shared.Count;
    }
    if (shared.Count == 1) {
        FInverse[static_cast<size_t>(cell)] = FCandidates.back();
        FCandidates.pop_back();
        return;
    }
    if (FSharedOf.empty()) FSharedOf.assign(32768, -1);
    FSharedOf[static_cast<size_t>(cell)] = static_cast<int32_t>(FShared.size());
    FShared.push_back(shared);
    FColorIndex.resize(FColorIndex.size() + 512, Empty);
    FInverse[static_cast<size_t>(cell)] = Shared;
}

int32_t TFastColorLookup::Resolve(int32_t cell, uint8_t red, uint8_t green, uint8_t blue) {
    if (FInverse[static_cast<size_t>(cell)] == Empty) {
        WorkOutCell(cell);
        if (FInverse[static_cast<size_t>(cell)] >= 0) return FInverse[static_cast<size_t>(cell)];
    }
    const TSharedCell& shared = FShared[static_cast<size_t>(FSharedOf[static_cast<size_t>(cell)])];
    int16_t& known = FColorIndex[shared.Colors + (((blue & 7) << 6) | ((green & 7) << 3) | (red & 7))];
    if (known >= 0) return known;
    int best = 0, bestDistance = 0x7FFFFFFF;
    for (uint32_t k = shared.Candidates; k < shared.Candidates + shared.Count; ++k) {
        const TPaletteEntry& e = FEntries[FCandidates[k]];
        const int d = std::abs(e.peRed - red) + std::abs(e.peGreen - green) + std::abs(e.peBlue - blue);
        if (d < bestDistance) {
            bestDistance = d;
            best = FCandidates[k];
        }
    }
    known = static_cast<int16_t>(best);
    return best;
}

// ---------------------------------------------------------------- dither engines

int32_t TDitherEngine::DitherPixel(uint8_t red, uint8_t green, uint8_t blue, uint8_t& outRed, uint8_t& outGreen,
                                   uint8_t& outBlue) {
    const int32_t index = FLookup.MatchColor(red, green, blue, outRed, outGreen, outBlue);
    FColumn += FDirection;
    return index;
}

void TDitherEngine::NextRow() {
    FDirection = -FDirection;
    FColumn = FDirection > 0 ? 0 : FWidth - 1;
}

TFloydSteinbergEngine::TFloydSteinbergEngine(int32_t width, TColorLookup& lookup) : TDitherEngine(width, lookup) {
    for (Channel& c : FChannels) c.Errors.assign(static_cast<size_t>(std::max(width, 0)) + 2, 0);
}

int32_t TFloydSteinbergEngine::Spread(Channel& c, int32_t input) const {
    // The incoming error of this pixel, in sixteenths, with the share pushed ahead.
    const int32_t wanted = input + (c.Errors[static_cast<size_t>(FPosition + FDirection)] + c.Wanted + 8) / 16;
    return std::clamp(wanted, 0, 255);
}

int32_t TFloydSteinbergEngine::DitherPixel(uint8_t red, uint8_t green, uint8_t blue, uint8_t& outRed,
                                           uint8_t& outGreen, uint8_t& outBlue) {
    const int32_t wanted[3] = {Spread(FChannels[0], red), Spread(FChannels[1], green), Spread(FChannels[2], blue)};
    const int32_t index =
        TDitherEngine::DitherPixel(static_cast<uint8_t>(wanted[0]), static_cast<uint8_t>(wanted[1]),
                                   static_cast<uint8_t>(wanted[2]), outRed, outGreen, outBlue);
    const uint8_t got[3] = {outRed, outGreen, outBlue};
    for (int i = 0; i < 3; ++i) {
        Channel& c = FChannels[i];
        const int32_t e = wanted[i] - got[i];
        c.Errors[static_cast<size_t>(FPosition)] = c.BelowBehind + 3 * e;
        c.BelowBehind = c.Below + 5 * e;
        c.Below = e;
        c.Wanted = 7 * e;
    }
    FPosition += FDirection;
    return index;
}

void TFloydSteinbergEngine::NextRow() {
    for (Channel& c : FChannels) {
        c.Errors[static_cast<size_t>(FPosition)] = c.BelowBehind;
        c.Wanted = c.Below = c.BelowBehind = 0;
    }
    TDitherEngine::NextRow();
    FPosition = FDirection > 0 ? 0 : FWidth + 1;
}

// ---------------------------------------------------------------- octree

TColorQuantizer::TColorQuantizer(int32_t maxColors, int32_t colorBits)
    : FMaxColors(std::max(maxColors, 1)), FColorBits(std::clamp(colorBits, 1, 8)) {
    NewNode(0);  // the root, reducible like any other node
}

int32_t TColorQuantizer::NewNode(int32_t level) {
    int32_t node;
    if (!FFree.empty()) {
        node = FFree.back();
        FFree.pop_back();
        FNodes[static_cast<size_t>(node)] = Node{};
    } else {
        node = static_cast<int32_t>(FNodes.size());
        FNodes.emplace_back();
    }
    Node& n = FNodes[static_cast<size_t>(node)];
    if (level == FColorBits) {
        n.Leaf = true;
        ++FLeafCount;
    } else {
        n.NextReducible = FReducible[level];
        FReducible[level] = node;
    }
    return node;
}

void TColorQuantizer::FreeNode(int32_t node) { FFree.push_back(node); }

void TColorQuantizer::AddColor(uint8_t red, uint8_t green, uint8_t blue) {
    const uint32_t color = static_cast<uint32_t>(red) | (static_cast<uint32_t>(green) << 8) |
                           (static_cast<uint32_t>(blue) << 16);
    int32_t node = 0;
    if (color == FLastColor) {
        node = FLastLeaf;
    } else {
        for (int32_t level = 0; !FNodes[static_cast<size_t>(node)].Leaf; ++level) {
            const int shift = 7 - level;
            const int child = (((red >> shift) & 1) << 2) | (((green >> shift) & 1) << 1) | ((blue >> shift) & 1);
            int32_t next = FNodes[static_cast<size_t>(node)].Children[child];
            if (next < 0) {
                next = NewNode(level + 1);
                FNodes[static_cast<size_t>(node)].Children[child] = next;
            }
            node = next;
        }
        FLastColor = color;
        FLastLeaf = node;
    }
    Node& leaf = FNodes[static_cast<size_t>(node)];
    ++leaf.Pixels;
    leaf.Red += red;
    leaf.Green += green;
    leaf.Blue += blue;
    while (FLeafCount > FMaxColors && ReduceTree()) {
    }
}

bool TColorQuantizer::ReduceTree() {
    int32_t level = FColorBits - 1;
    while (level > 0 && FReducible[level] < 0) --level;
    const int32_t node = FReducible[level];
    if (node < 0) return false;
    Node& n = FNodes[static_cast<size_t>(node)];
    FReducible[level] = n.NextReducible;
    int32_t children = 0;
    uint32_t pixels = 0;
    uint64_t red = 0, green = 0, blue = 0;
    for (int32_t& child : n.Children) {
        if (child < 0) continue;
        const Node& c = FNodes[static_cast<size_t>(child)];
        pixels += c.Pixels;
        red += c.Red;
        green += c.Green;
        blue += c.Blue;
        FreeNode(child);
        child = -1;
        ++children;
    }
    n.Pixels += pixels;
    n.Red = red;
    n.Green = green;
    n.Blue = blue;
    n.Leaf = true;
    FLeafCount -= children - 1;
    // A freed leaf may be the one the last colour went to.
    FLastColor = 0xFFFFFFFF;
    return true;
}

void TColorQuantizer::ProcessBitmap(TDIBReader& reader) {
    TBitmap& bitmap = reader.Bitmap();
    const int32_t width = bitmap.Width(), height = bitmap.Height();
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* row = reader.RowAddress(y);
        for (int32_t x = 0; x < width; ++x, row += 3) AddColor(row[2], row[1], row[0]);
    }
}

void TColorQuantizer::Collect(int32_t node, std::vector<TPaletteEntry>& out) const {
    const Node& n = FNodes[static_cast<size_t>(node)];
    if (n.Leaf) {
        if (n.Pixels == 0) {
            out.push_back({});
        } else {
            out.push_back({static_cast<uint8_t>(n.Red / n.Pixels), static_cast<uint8_t>(n.Green / n.Pixels),
                           static_cast<uint8_t>(n.Blue / n.Pixels), 0});
        }
        return;
    }
    for (int32_t child : n.Children)
        if (child >= 0) Collect(child, out);
}

std::vector<TPaletteEntry> TColorQuantizer::CollectColors() const {
    std::vector<TPaletteEntry> out;
    out.reserve(static_cast<size_t>(FLeafCount));
    Collect(0, out);
    return out;
}

namespace {

// The tree's leaves are the means of boxes of colour space, not of the
// pixels nearest to them: each of the picture's entries moves to the mean of
// the pixels that map to it, which takes a sixth or more off the error of
// the mapping on photographs. Exact colours (a picture of fewer colours than
// entries) stay as they are.
void FitToPixels(TDIBReader& reader, std::vector<TPaletteEntry>& entries, int32_t first, int32_t count) {
    if (count <= 0) return;
    TFastColorLookup lookup(CreatePalette(entries));
    struct TSum {
        uint64_t Red = 0, Green = 0, Blue = 0, Pixels = 0;
    };
    std::vector<TSum> sums(entries.size());
    TBitmap& bitmap = reader.Bitmap();
    const int32_t width = bitmap.Width(), height = bitmap.Height();
    uint8_t r, g, b;
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* row = reader.RowAddress(y);
        for (int32_t x = 0; x < width; ++x, row += 3) {
            TSum& sum = sums[static_cast<size_t>(lookup.MatchColor(row[2], row[1], row[0], r, g, b))];
            sum.Red += row[2];
            sum.Green += row[1];
            sum.Blue += row[0];
            ++sum.Pixels;
        }
    }
    for (int32_t i = first; i < first + count; ++i) {
        const TSum& sum = sums[static_cast<size_t>(i)];
        if (sum.Pixels == 0) continue;
        const uint64_t half = sum.Pixels / 2;
        entries[static_cast<size_t>(i)] = {static_cast<uint8_t>((sum.Red + half) / sum.Pixels),
                                           static_cast<uint8_t>((sum.Green + half) / sum.Pixels),
                                           static_cast<uint8_t>((sum.Blue + half) / sum.Pixels), 0};
    }
}

}  // namespace

HPALETTE BuildOctreePalette(TDIBReader& reader, int32_t maxColors, int32_t colorBits, bool systemColors,
                            bool fitToPixels) {
    std::vector<TPaletteEntry> entries;
    int32_t first = 0;
    if (systemColors) {
        entries.assign(256, {});
        const std::vector<TPaletteEntry>& stock = StockDefaultPalette()->Entries();
        std::copy_n(stock.begin(), 10, entries.begin());
        std::copy_n(stock.begin() + 10, 10, entries.begin() + 246);
        maxColors = 236;
        first = 10;
    } else {
        maxColors = std::clamp(maxColors, 1, 256);
        entries.assign(static_cast<size_t>(maxColors), {});
    }
    TColorQuantizer quantizer(maxColors, colorBits);
    quantizer.ProcessBitmap(reader);
    const std::vector<TPaletteEntry> colors = quantizer.CollectColors();
    const auto count = static_cast<int32_t>(std::min<size_t>(colors.size(), static_cast<size_t>(maxColors)));
    std::copy_n(colors.begin(), count, entries.begin() + first);
    if (fitToPixels) FitToPixels(reader, entries, first, count);
    return CreatePalette(std::move(entries));
}

HPALETTE OptimizedPaletteOf(TBitmap& bitmap, int32_t maxColors, int32_t colorBits, bool systemColors,
                            bool fitToPixels) {
    TDIBReader reader(bitmap, pf24bit);
    return BuildOctreePalette(reader, maxColors, colorBits, systemColors, fitToPixels);
}

// ---------------------------------------------------------------- ReduceBitmapColors

namespace {

std::unique_ptr<TColorLookup> LookupFor(uint8_t mode, const HPALETTE& palette) {
    switch (mode) {
    case ReduceMonochrome: return std::make_unique<TMonochromeLookup>();
    case ReduceGreys256: return std::make_unique<TGrayScaleLookup>();
    case ReduceWeb216: return std::make_unique<TNetscapeColorLookup>();
    default: return std::make_unique<TFastColorLookup>(palette);
    }
}

// The row loop of one engine class, its calls bound at compile time.
template <class Engine>
void MapRows(TDIBReader& reader, TDIBWriter& writer, int32_t width, int32_t height, TColorLookup& lookup) {
    Engine engine(width, lookup);
    uint8_t r, g, b;
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* source = reader.RowAddress(y);
        uint8_t* target = writer.RowAddress(y);
        for (int32_t x = engine.Column(); x >= 0 && x < width; x = engine.Column()) {
            const uint8_t* p = source + 3 * x;
            target[x] = static_cast<uint8_t>(engine.Engine::DitherPixel(p[2], p[1], p[0], r, g, b));
        }
        engine.Engine::NextRow();
    }
}

}  // namespace

std::unique_ptr<TBitmap> ReduceBitmapColors(TBitmap& source, uint8_t mode, uint8_t ditherMethod,
                                            int32_t reductionBits) {
    auto result = std::make_unique<TBitmap>();
    if (mode == ReduceNone) {
        result->Assign(&source);
        result->SetPixelFormat(pf24bit);
        return result;
    }
    const int32_t width = source.Width(), height = source.Height();
    // 8 bits before the size, so that no pixels of another format are made.
    SetBitmapPixelFormat(*result, pf8bit);
    result->SetSize(width, height);
    TDIBReader reader(source, pf24bit);
    HPALETTE palette;
    switch (mode) {
    case ReduceSystem20: palette = StockDefaultPalette(); break;
    case ReduceHalftone: palette = HalftonePalette(); break;
    case ReduceFourGreys: palette = FourGreyPalette(); break;
    case ReduceMonochrome: palette = MonochromePalette(); break;
    case ReduceGreys256: palette = GreyPalette256(); break;
    case ReduceWeb216: palette = BuildWebPalette(); break;
    // Fitted entries sit inside the picture's colours, and error diffusion
    // needs colours beyond them to make up the ends: dithering keeps the
    // tree's entries.
    case ReduceOctree:
        // More than 8 bits would ask for a palette past 256 entries.
        palette = BuildOctreePalette(reader, 1 << std::clamp(reductionBits, 1, 8), 8, false,
                                     ditherMethod == DitherNearest);
        break;
    case ReduceOctreeSystem:
        palette = OptimizedPaletteOf(source, 256, 8, true, ditherMethod == DitherNearest);
        break;
    default: return result;
    }
    SetBitmapPalette(*result, palette);
    std::unique_ptr<TColorLookup> lookup = LookupFor(mode, palette);
    if (lookup->Colors() == 0 || (ditherMethod != DitherNearest && ditherMethod != DitherFloydSteinberg))
        return result;
    if (width <= 0 || height <= 0) return result;
    TDIBWriter writer(*result, pf8bit);
    if (ditherMethod == DitherNearest)
        MapRows<TDitherEngine>(reader, writer, width, height, *lookup);
    else
        MapRows<TFloydSteinbergEngine>(reader, writer, width, height, *lookup);
    return result;
}
