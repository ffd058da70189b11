// Palettes, the bitmap bridge, colour lookups, dither engines, the octree and
// ReduceBitmapColors.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <set>

#include "gif/VsGifColor.h"
#include "tests/gif/PhotoImage.h"

namespace {

using phototest::TRgbImage;

std::string ErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const Exception& e) {
        return e.Message();
    }
    return {};
}

// A 24-bit bitmap of width x height, every pixel from f(x, y) as red, green, blue.
std::unique_ptr<TBitmap> Rgb(int w, int h, const std::function<TPaletteEntry(int, int)>& f) {
    TRgbImage image{w, h, std::vector<uint8_t>(static_cast<size_t>(w) * h * 3)};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const TPaletteEntry c = f(x, y);
            uint8_t* p = &image.Pixels[(static_cast<size_t>(y) * w + x) * 3];
            p[0] = c.peRed;
            p[1] = c.peGreen;
            p[2] = c.peBlue;
        }
    return phototest::ToBitmap(image);
}

std::unique_ptr<TBitmap> Solid(int w, int h, TPaletteEntry c) {
    return Rgb(w, h, [c](int, int) { return c; });
}

uint8_t IndexAt(TBitmap& bitmap, int x, int y) { return bitmap.ScanLine(y)[x]; }

TPaletteEntry EntryOf(const HPALETTE& palette, int index) { return palette->Entries().at(static_cast<size_t>(index)); }

TPaletteEntry RGBEntry(int r, int g, int b) {
    return {static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b), 0};
}

}  // namespace

// ---------------------------------------------------------------- palettes

TEST(GifPalettes, StockHalftoneWebAndGreys) {
    const HPALETTE stock = StockDefaultPalette();
    ASSERT_EQ(PaletteEntryCount(stock), 20);
    EXPECT_EQ(EntryOf(stock, 0), RGBEntry(0, 0, 0));
    EXPECT_EQ(EntryOf(stock, 1), RGBEntry(128, 0, 0));
    EXPECT_EQ(EntryOf(stock, 7), RGBEntry(192, 192, 192));
    EXPECT_EQ(EntryOf(stock, 9), RGBEntry(166, 202, 240));
    EXPECT_EQ(EntryOf(stock, 10), RGBEntry(255, 251, 240));
    EXPECT_EQ(EntryOf(stock, 13), RGBEntry(255, 0, 0));
    EXPECT_EQ(EntryOf(stock, 19), RGBEntry(255, 255, 255));
    EXPECT_EQ(StockDefaultPalette(), stock);  // a stock object

    const HPALETTE halftone = HalftonePalette();
    ASSERT_EQ(PaletteEntryCount(halftone), 256);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(EntryOf(halftone, i), EntryOf(stock, i));
        EXPECT_EQ(EntryOf(halftone, 246 + i), EntryOf(stock, 10 + i));
    }
    EXPECT_EQ(CreateHalftonePalette()->Entries(), halftone->Entries());

    const HPALETTE web = BuildWebPalette();
    ASSERT_EQ(PaletteEntryCount(web), 216);
    EXPECT_EQ(EntryOf(web, 36 * 5 + 6 * 2 + 1), RGBEntry(255, 102, 51));

    EXPECT_EQ(PaletteEntryCount(MonochromePalette()), 2);
    EXPECT_EQ(EntryOf(FourGreyPalette(), 1), (TPaletteEntry{0x80, 0x80, 0x80, PC_NOCOLLAPSE}));
    EXPECT_EQ(EntryOf(GreyPalette256(), 200), (TPaletteEntry{200, 200, 200, PC_NOCOLLAPSE}));

    const HPALETTE copy = CopyPalette(web);
    EXPECT_NE(copy, web);
    EXPECT_EQ(copy->Entries(), web->Entries());
    TPaletteEntry two[2];
    EXPECT_EQ(GetPaletteEntries(web, 214, 5, two), 2);
    EXPECT_EQ(two[1], RGBEntry(255, 255, 255));
    EXPECT_EQ(CreatePalette({}), nullptr);
}

TEST(GifPalettes, EntriesBecomeColorTableQuads) {
    TPaletteEntry entries[2] = {{1, 2, 3, PC_NOCOLLAPSE}, {10, 20, 30, 0}};
    PaletteEntriesToRGBQuads(entries, 2);
    // Blue, green, red, 0: the order of a DIB's colour table.
    EXPECT_EQ(entries[0], (TPaletteEntry{3, 2, 1, 0}));
    EXPECT_EQ(entries[1], (TPaletteEntry{30, 20, 10, 0}));
}

// ---------------------------------------------------------------- DIB bridge

TEST(GifDIB, RowsPaddedTo32BitsAndFormats) {
    EXPECT_EQ(BytesPerDIBRow(10, 1), 4);
    EXPECT_EQ(BytesPerDIBRow(10, 4), 8);
    EXPECT_EQ(BytesPerDIBRow(10, 8), 12);
    EXPECT_EQ(BytesPerDIBRow(10, 24), 32);
    EXPECT_EQ(DIBBitsPerPixel(pf4bit), 4);
    for (TPixelFormat unsupported : {pfDevice, pf15bit, pf16bit, pf32bit}) {
        TBitmap b(4, 4);
        EXPECT_EQ(ErrorOf([&] { DIBBitsPerPixel(unsupported); }), GifMsg::SUnsupportedPixelFormat);
        EXPECT_EQ(ErrorOf([&] { TDIBReader r(b, unsupported); }), GifMsg::SUnsupportedPixelFormat);
        EXPECT_EQ(ErrorOf([&] { TDIBWriter w(b, unsupported); w.RowAddress(0); }), GifMsg::SUnsupportedPixelFormat);
    }
    TBitmap empty;
    EXPECT_EQ(ErrorOf([&] { TDIBWriter w(empty, pf8bit); w.RowAddress(0); }), GifMsg::SInvalidBitmap);
}

TEST(GifDIB, HeaderOfAnIndexedBitmap) {
    TBitmap b;
    SetBitmapPixelFormat(b, pf8bit);
    b.SetSize(10, 3);
    b.SetResolution(254, 127);
    SetBitmapPalette(b, BuildWebPalette());
    TBitmapInfoHeader h;
    InitializeBitmapInfoHeader(b, pf8bit, h);
    EXPECT_EQ(h.biSize, 40u);
    EXPECT_EQ(h.biWidth, 10);
    EXPECT_EQ(h.biHeight, 3);  // bottom-up
    EXPECT_EQ(h.biBitCount, 8);
    EXPECT_EQ(h.biPlanes, 1);
    EXPECT_EQ(h.biSizeImage, 36u);
    EXPECT_EQ(h.biClrUsed, 216u);
    EXPECT_EQ(h.biXPelsPerMeter, 10000);
    EXPECT_EQ(h.biYPelsPerMeter, 5000);
    int32_t info = 0, image = 0;
    GetDIBSizes(b, pf8bit, info, image);
    EXPECT_EQ(info, 40 + 4 * 256);
    EXPECT_EQ(image, 36);
    GetDIBSizes(b, pf24bit, info, image);
    EXPECT_EQ(info, 40);
    EXPECT_EQ(image, 32 * 3);
}

TEST(GifDIB, WriterStoresBottomUpAndRefusesRowsOutside) {
    TBitmap b;
    SetBitmapPixelFormat(b, pf8bit);
    b.SetSize(5, 10);
    TDIBWriter w(b, pf8bit);
    EXPECT_FALSE(w.HasDIB());
    uint8_t* row0 = w.RowAddress(0);
    ASSERT_TRUE(w.HasDIB());
    const uint8_t* block = w.PixelBlock().data();
    EXPECT_EQ(row0, block + 9 * 8);  // row 0 is the last stored row
    EXPECT_EQ(w.RowAddress(9), block);
    for (int outside : {-1, 10}) {
        try {
            w.RowAddress(outside);
            ADD_FAILURE() << outside;
        } catch (const EInvalidGraphicOperation& e) {
            EXPECT_EQ(e.Message(), GifMsg::SScanLine);
        }
    }
}

TEST(GifDIB, WriterLoadsItsPixelsBackInEveryFormat) {
    struct Case {
        TPixelFormat Format;
        int Bits;
    };
    for (const Case& c : {Case{pf1bit, 1}, Case{pf4bit, 4}, Case{pf8bit, 8}, Case{pf24bit, 24}}) {
        SCOPED_TRACE(c.Bits);
        TBitmap b(11, 3);
        if (c.Format == pf8bit)
            SetBitmapPixelFormat(b, pf8bit);
        else
            b.SetPixelFormat(c.Format);
        b.SetResolution(300, 300);
        std::vector<TPaletteEntry> entries;
        for (int i = 0; i < (c.Bits <= 8 ? 1 << c.Bits : 0); ++i) entries.push_back(RGBEntry(i, 255 - i, i / 2));
        if (c.Bits <= 8) SetBitmapPalette(b, CreatePalette(entries));
        const int stride = BytesPerDIBRow(11, c.Bits);
        {
            TDIBWriter w(b, c.Format);
            for (int y = 0; y < 3; ++y) {
                uint8_t* row = w.RowAddress(y);
                for (int i = 0; i < stride; ++i) row[i] = static_cast<uint8_t>(y * 37 + i * 11);
            }
        }
        EXPECT_EQ(b.PixelFormat(), c.Format);
        EXPECT_EQ(b.ResolutionX(), 300);
        // Bits past the last pixel of a row carry nothing.
        const int bits = 11 * c.Bits, used = (bits + 7) / 8;
        const auto last = static_cast<uint8_t>(bits % 8 ? 0xFF << (8 - bits % 8) : 0xFF);
        for (int y = 0; y < 3; ++y) {
            const uint8_t* row = b.ScanLine(y);
            for (int i = 0; i < used; ++i) {
                const uint8_t mask = i == used - 1 ? last : 0xFF;
                ASSERT_EQ(row[i] & mask, static_cast<uint8_t>(y * 37 + i * 11) & mask) << "row " << y << " byte " << i;
            }
        }
        if (c.Bits <= 8) {
            const HPALETTE back = BitmapPalette(b);
            ASSERT_EQ(PaletteEntryCount(back), 1 << c.Bits);
            EXPECT_EQ(EntryOf(back, (1 << c.Bits) - 1), entries.back());
        }
    }
}

TEST(GifDIB, ReaderConvertsTheBitmapInPlaceAndTemplateKeepsTheSize) {
    auto b = Solid(7, 2, RGBEntry(10, 20, 30));
    b->SetPixelFormat(pfDevice);
    TDIBReader r(*b, pf24bit);
    EXPECT_EQ(b->PixelFormat(), pf24bit);
    EXPECT_EQ(r.RowAddress(1)[0], 30);  // blue first
    EXPECT_EQ(r.RowAddress(1)[2], 10);

    TBitmap big(300, 200);
    big.SetResolution(150, 150);
    SetBitmapPixelFormat(big, pf8bit);
    EXPECT_EQ(big.PixelFormat(), pf8bit);
    EXPECT_EQ(big.Width(), 300);
    EXPECT_EQ(big.Height(), 200);
    EXPECT_EQ(big.ResolutionX(), 150);
}

// ---------------------------------------------------------------- lookups

TEST(GifLookups, FixedPalettesMapAsTheyShould) {
    struct Case {
        uint8_t Mode;
        TPaletteEntry Color;
        int Index;
        TPaletteEntry Shown;
    };
    const Case cases[] = {
        {ReduceWeb216, RGBEntry(255, 0, 0), 180, RGBEntry(255, 0, 0)},
        {ReduceWeb216, RGBEntry(48, 48, 48), 43, RGBEntry(51, 51, 51)},  // (48 + 3) div 51 = 1
        {ReduceWeb216, RGBEntry(47, 47, 47), 0, RGBEntry(0, 0, 0)},
        {ReduceMonochrome, RGBEntry(127, 127, 127), 0, RGBEntry(0, 0, 0)},        // 32512
        {ReduceMonochrome, RGBEntry(121, 121, 174), 1, RGBEntry(255, 255, 255)},  // 32513
        {ReduceGreys256, RGBEntry(255, 255, 255), 255, RGBEntry(255, 255, 255)},
        {ReduceGreys256, RGBEntry(100, 100, 100), 100, RGBEntry(100, 100, 100)},
        {ReduceFourGreys, RGBEntry(0x70, 0x70, 0x70), 1, RGBEntry(0x80, 0x80, 0x80)},
        {ReduceSystem20, RGBEntry(250, 5, 5), 13, RGBEntry(255, 0, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.Mode) << " " << int(c.Color.peRed) << "," << int(c.Color.peGreen)
                                        << "," << int(c.Color.peBlue));
        auto source = Solid(3, 2, c.Color);
        auto result = ReduceBitmapColors(*source, c.Mode, DitherNearest, 8);
        ASSERT_EQ(result->PixelFormat(), pf8bit);
        EXPECT_EQ(IndexAt(*result, 2, 1), c.Index);
        EXPECT_EQ(EntryOf(BitmapPalette(*result), c.Index), c.Shown);
    }
}

// The inverse table gives the nearest entry (least sum of channel
// differences, the first on a tie) for every colour, also for colours that
// share a 5-bit cell with another of the palette's colours.
TEST(GifLookups, FastLookupIsTheNearestEntry) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> channel(0, 255);
    for (int round = 0; round < 4; ++round) {
        std::vector<TPaletteEntry> entries;
        const int count = round == 0 ? 256 : 20 + 70 * round;
        for (int i = 0; i < count; ++i) {
            // Clustered, so that entries share cells.
            const int base = channel(random) / 4 * 4;
            entries.push_back(RGBEntry(base, std::min(255, base + channel(random) % 9), channel(random)));
        }
        const HPALETTE palette = CreatePalette(entries);
        TFastColorLookup lookup(palette);
        ASSERT_EQ(lookup.Colors(), count);
        for (int n = 0; n < 20000; ++n) {
            const int r = channel(random), g = n % 2 ? std::min(255, r + channel(random) % 9) : channel(random),
                      b = channel(random);
            int best = 0, bestDistance = 1 << 30;
            for (int i = 0; i < count; ++i) {
                const int d = std::abs(entries[i].peRed - r) + std::abs(entries[i].peGreen - g) +
                              std::abs(entries[i].peBlue - b);
                if (d < bestDistance) bestDistance = d, best = i;
            }
            uint8_t outR, outG, outB;
            ASSERT_EQ(lookup.MatchColor(static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b),
                                        outR, outG, outB),
                      best)
                << r << "," << g << "," << b;
            EXPECT_EQ(outR, entries[best].peRed);
        }
    }
    TFastColorLookup none(nullptr);
    EXPECT_EQ(none.Colors(), 0);
}

// ---------------------------------------------------------------- dither engines

TEST(GifDither, RowsAlternateDirection) {
    TMonochromeLookup lookup;
    for (bool floyd : {false, true}) {
        SCOPED_TRACE(floyd);
        std::unique_ptr<TDitherEngine> engine = floyd ? std::make_unique<TFloydSteinbergEngine>(4, lookup)
                                                       : std::make_unique<TDitherEngine>(4, lookup);
        uint8_t r, g, b;
        std::vector<int> columns;
        for (int row = 0; row < 3; ++row) {
            while (engine->Column() >= 0 && engine->Column() < 4) {
                columns.push_back(engine->Column());
                engine->DitherPixel(128, 128, 128, r, g, b);
            }
            engine->NextRow();
        }
        EXPECT_EQ(columns, (std::vector<int>{0, 1, 2, 3, 3, 2, 1, 0, 0, 1, 2, 3}));
    }
}

TEST(GifDither, FloydSteinbergOnMidGreyIsHalfBlackHalfWhite) {
    auto grey = Solid(64, 32, RGBEntry(128, 128, 128));
    auto result = ReduceBitmapColors(*grey, ReduceMonochrome, DitherFloydSteinberg, 8);
    int white = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x) white += IndexAt(*result, x, y);
    EXPECT_NEAR(white, 64 * 32 / 2, 64 * 32 / 50);
    // Row 0 runs from the left: its first pixel (128 is past the threshold)
    // is white; row 1 starts at its right end with the error row 0 left there.
    EXPECT_EQ(IndexAt(*result, 0, 0), 1);
    EXPECT_EQ(IndexAt(*result, 1, 0), 0);
    // Without dithering every pixel is the same.
    auto plain = ReduceBitmapColors(*grey, ReduceMonochrome, DitherNearest, 8);
    for (int x = 0; x < 64; ++x) EXPECT_EQ(IndexAt(*plain, x, 31), 1);
}

TEST(GifDither, ErrorDiffusionKeepsTheMeanOfAGradient) {
    auto ramp = Rgb(256, 32, [](int x, int) { return RGBEntry(x, x, x); });
    auto result = ReduceBitmapColors(*ramp, ReduceFourGreys, DitherFloydSteinberg, 8);
    const HPALETTE palette = BitmapPalette(*result);
    for (int band = 0; band < 256; band += 32) {
        double sum = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = band; x < band + 32; ++x) sum += EntryOf(palette, IndexAt(*result, x, y)).peRed;
        EXPECT_NEAR(sum / (32 * 32), band + 15.5, 2.0) << band;
    }
}

// ---------------------------------------------------------------- octree and modes

TEST(GifOctree, PictureOfFewColoursKeepsEveryColour) {
    // 60 colours, two of them in the same 5-bit cell.
    std::vector<TPaletteEntry> colors;
    for (int i = 0; i < 58; ++i) colors.push_back(RGBEntry(i * 4, 255 - i * 3, (i * 47) % 256));
    colors.push_back(RGBEntry(201, 9, 17));
    colors.push_back(RGBEntry(202, 10, 18));
    auto source = Rgb(60, 5, [&](int x, int) { return colors[static_cast<size_t>(x)]; });
    for (uint8_t dither : {DitherNearest, DitherFloydSteinberg}) {
        SCOPED_TRACE(int(dither));
        auto result = ReduceBitmapColors(*source, ReduceOctree, dither, 8);
        const HPALETTE palette = BitmapPalette(*result);
        ASSERT_EQ(PaletteEntryCount(palette), 256);
        std::set<std::tuple<int, int, int>> entries;
        for (const TPaletteEntry& e : palette->Entries()) entries.insert({e.peRed, e.peGreen, e.peBlue});
        for (const TPaletteEntry& c : colors) EXPECT_TRUE(entries.count({c.peRed, c.peGreen, c.peBlue}));
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 60; ++x) ASSERT_EQ(EntryOf(palette, IndexAt(*result, x, y)), colors[size_t(x)]) << x;
    }
    // 2^bits colours; bits past 8 are taken as 8, below 1 as 1.
    EXPECT_EQ(PaletteEntryCount(BitmapPalette(*ReduceBitmapColors(*source, ReduceOctree, DitherNearest, 4))), 16);
    EXPECT_EQ(PaletteEntryCount(BitmapPalette(*ReduceBitmapColors(*source, ReduceOctree, DitherNearest, 12))), 256);
    EXPECT_EQ(PaletteEntryCount(BitmapPalette(*ReduceBitmapColors(*source, ReduceOctree, DitherNearest, 0))), 2);
}

TEST(GifOctree, QuantiserReducesTheNewestDeepestNode) {
    TColorQuantizer q(2, 8);
    q.AddColor(0, 0, 0);
    q.AddColor(0, 0, 2);
    EXPECT_EQ(q.LeafCount(), 2);
    // A third leaf: nodes become leaves from the deepest level up, the
    // newest of a level first, until two leaves merge. (0,0,0) and (0,0,2)
    // part at level 6, so they become their mean.
    q.AddColor(255, 255, 255);
    EXPECT_EQ(q.LeafCount(), 2);
    const std::vector<TPaletteEntry> colors = q.CollectColors();
    ASSERT_EQ(colors.size(), 2u);
    EXPECT_EQ(colors[0], RGBEntry(0, 0, 1));
    EXPECT_EQ(colors[1], RGBEntry(255, 255, 255));
}

TEST(GifOctree, SystemColoursAtBothEnds) {
    const TRgbImage photo = phototest::PhotoLike(96, 64);
    auto source = phototest::ToBitmap(photo);
    auto result = ReduceBitmapColors(*source, ReduceOctreeSystem, DitherNearest, 8);
    const HPALETTE palette = BitmapPalette(*result);
    ASSERT_EQ(PaletteEntryCount(palette), 256);
    const HPALETTE stock = StockDefaultPalette();
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(EntryOf(palette, i), EntryOf(stock, i)) << i;
        EXPECT_EQ(EntryOf(palette, 246 + i), EntryOf(stock, 10 + i)) << i;
    }
    // The picture's own colours lie between them.
    EXPECT_NE(EntryOf(palette, 10), RGBEntry(0, 0, 0));
}

TEST(GifReduce, ModeNoneIsA24BitCopy) {
    auto source = Rgb(9, 4, [](int x, int y) { return RGBEntry(x * 20, y * 50, 7); });
    source->SetPixelFormat(pfDevice);
    auto copy = ReduceBitmapColors(*source, ReduceNone, DitherFloydSteinberg, 8);
    EXPECT_EQ(copy->PixelFormat(), pf24bit);
    EXPECT_EQ(source->PixelFormat(), pfDevice);
    EXPECT_EQ(phototest::FromBitmap(*copy).Pixels, phototest::FromBitmap(*source).Pixels);
}

TEST(GifReduce, ModesAndDithersOutsideTheTablesGiveAnUnfilledResult) {
    auto source = Solid(6, 3, RGBEntry(1, 2, 3));
    for (auto [mode, dither] : {std::pair<uint8_t, uint8_t>{9, DitherNearest}, {ReduceWeb216, 2}}) {
        auto result = ReduceBitmapColors(*source, mode, dither, 8);
        EXPECT_EQ(result->PixelFormat(), pf8bit);
        EXPECT_EQ(result->Width(), 6);
        EXPECT_EQ(result->Height(), 3);
    }
    EXPECT_EQ(source->PixelFormat(), pf24bit);
}
