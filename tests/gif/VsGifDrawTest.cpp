// Frames from and to bitmaps, drawing checked pixel by pixel, the composed
// bitmap, palettes, the picture registry, the clipboard, progress and the
// painter seam.
#include <atomic>
#include <thread>

#include "gif/VsGifColor.h"
#include "platform/controls/Clipbrd.h"
#include "platform/graphics/Metafile.h"
#include "tests/gif/GifTestUtil.h"
#include "tests/gif/PhotoImage.h"
#include "tests/support/TempFolder.h"

using namespace giftest;

namespace {

TColor At(TBitmap& b, int x, int y) { return b.Canvas()->Pixel(x, y); }

// Index i shows as grey 40 i, green 7.
void Greys(TVsGifColorMap& map, int count) {
    for (int i = 0; i < count; ++i) map.InsertColor(RGB(static_cast<uint8_t>(40 * i), static_cast<uint8_t>(40 * i), 7));
}
TColor Grey(int i) { return RGB(static_cast<uint8_t>(40 * i), static_cast<uint8_t>(40 * i), 7); }

void MakeTransparent(TVsGifSubImage* frame, uint8_t index) {
    auto* control = new TVsGifGraphicControlExtension(frame);
    control->SetTransparentIndex(index);
    control->SetTransparentFlag(true);
    frame->Extensions().Add(control);
}

std::unique_ptr<TBitmap> Indexed(TPixelFormat format, int w, int h, const std::vector<TColor>& colors,
                                 const std::function<int(int, int)>& index) {
    auto b = std::make_unique<TBitmap>();
    if (format == pf8bit)
        SetBitmapPixelFormat(*b, pf8bit);
    else
        b->SetPixelFormat(format);
    b->SetSize(w, h);
    b->SetPalette(colors);
    const int bits = format == pf1bit ? 1 : format == pf4bit ? 4 : 8;
    for (int y = 0; y < h; ++y) {
        uint8_t* row = b->ScanLine(y);
        std::fill(row, row + BytesPerDIBRow(w, bits), 0);
        for (int x = 0; x < w; ++x) {
            const int v = index(x, y);
            if (bits == 8) row[x] = static_cast<uint8_t>(v);
            else if (bits == 4) row[x / 2] |= static_cast<uint8_t>(x % 2 ? v : v << 4);
            else row[x / 8] |= static_cast<uint8_t>(v << (7 - x % 8));
        }
    }
    return b;
}

struct TProgressLog {
    std::vector<std::tuple<TProgressStage, int, std::string>> Events;
    void Attach(TGraphic& graphic) {
        graphic.OnProgress = [this](TObject*, TProgressStage stage, uint8_t percent, bool, const TRect&,
                                    const std::string& msg) { Events.emplace_back(stage, percent, msg); };
    }
    bool Has(TProgressStage stage, const std::string& msg, int percent = -1) const {
        for (auto& [s, p, m] : Events)
            if (s == stage && m == msg && (percent < 0 || p == percent)) return true;
        return false;
    }
};

}  // namespace

// ---------------------------------------------------------------- bitmaps to frames

TEST(GifFrameAssign, OneFourAndEightBitBitmapsUnpackWithTheirColourTables) {
    struct Case {
        TPixelFormat Format;
        int Width;
        std::vector<TColor> Colors;
    };
    const Case cases[] = {
        {pf1bit, 10, {clBlack, clWhite}},                                              // 10 pixels a row
        {pf4bit, 3, {clRed, clLime, clBlue, clYellow, clAqua, clFuchsia, clGray, clNavy}},  // the high nibble first
        {pf8bit, 7, {clBlack, clRed, clWhite, RGB(1, 2, 3), RGB(200, 100, 50)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Width);
        const int count = static_cast<int>(c.Colors.size());
        auto index = [count](int x, int y) { return (x * 3 + y) % count; };
        auto bitmap = Indexed(c.Format, c.Width, 4, c.Colors, index);
        TVsGifImage image;
        TProgressLog progress;
        progress.Attach(image);
        image.AddFrame(bitmap.get());
        ASSERT_EQ(image.FrameCount(), 1);
        TVsGifSubImage* frame = image.SubImage(0);
        EXPECT_EQ(frame->Width(), c.Width);
        EXPECT_EQ(frame->Height(), 4);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < c.Width; ++x) ASSERT_EQ(frame->Pixels(x, y), index(x, y)) << x << "," << y;
        ASSERT_GE(frame->ColorMap().Count(), count);
        for (int i = 0; i < count; ++i) EXPECT_EQ(frame->ColorMap().EntryColor(i), c.Colors[size_t(i)]);
        EXPECT_TRUE(progress.Has(psStarting, GifMsg::SConverting));
        EXPECT_TRUE(progress.Has(psEnding, GifMsg::SConverting, 100));
        EXPECT_EQ(bitmap->PixelFormat(), c.Format);
    }
}

TEST(GifFrameAssign, DeviceBitmapKeepsEachColourUpTo256) {
    auto colours = [](int n) {
        auto b = std::make_unique<TBitmap>(n, 2);
        for (int x = 0; x < n; ++x) {
            b->Canvas()->SetPixel(x, 0, RGB(static_cast<uint8_t>(x), static_cast<uint8_t>(255 - x % 256), 9));
            b->Canvas()->SetPixel(x, 1, RGB(static_cast<uint8_t>(x), static_cast<uint8_t>(255 - x % 256), 9));
        }
        return b;
    };
    auto b256 = colours(256);
    ASSERT_EQ(b256->PixelFormat(), pfDevice);
    TVsGifSubImage frame(nullptr);
    frame.Assign(b256.get());
    ASSERT_EQ(frame.ColorMap().Count(), 256);
    for (int x = 0; x < 256; x += 17) EXPECT_EQ(frame.ColorMap().EntryColor(frame.Pixels(x, 1)), At(*b256, x, 1));
    auto b257 = colours(257);
    b257->Canvas()->SetPixel(256, 0, RGB(1, 1, 1));
    EXPECT_EQ(ErrorOf([&] { frame.Assign(b257.get()); }), GifMsg::SColorTableOverflow);
    EXPECT_TRUE(frame.IsEmpty());
}

TEST(GifFrameAssign, DeeperBitmapsAreReducedWithTheImagesMode) {
    auto rgb = phototest::ToBitmap(phototest::TRgbImage{3, 1, {255, 0, 0, 48, 48, 48, 47, 47, 47}});
    TVsGifImage web;  // the shipped default: the web palette, nearest colour
    web.AddFrame(rgb.get());
    EXPECT_EQ(PixelsOf(*web.SubImage(0)), (std::vector<uint8_t>{180, 43, 0}));
    EXPECT_EQ(web.SubImage(0)->ColorMap().Count(), 216);

    TVsGifImage octree;
    octree.SetReductionMode(ReduceOctree);
    octree.SetReductionBits(20);  // taken as 8: no table past 256
    auto photo = phototest::ToBitmap(phototest::PhotoLike(64, 48));
    photo->SetPixelFormat(pf32bit);
    octree.AddFrame(photo.get());
    EXPECT_EQ(octree.SubImage(0)->ColorMap().Count(), 256);
    EXPECT_EQ(photo->PixelFormat(), pf32bit);  // the caller's bitmap stays as it was
    EXPECT_EQ(ErrorOf([&] { Save(octree); }), "");

    TVsGifImage none;  // no reduction: the colours as they are
    none.SetReductionMode(ReduceNone);
    none.AddFrame(rgb.get());
    EXPECT_EQ(none.SubImage(0)->ColorMap().Count(), 3);
    EXPECT_EQ(none.SubImage(0)->ColorMap().EntryColor(none.SubImage(0)->Pixels(1, 0)), RGB(48, 48, 48));
}

TEST(GifFrameAssign, FrameToBitmapAndBack) {
    TVsGifImage image;
    TVsGifSubImage* frame = AddFrame(image, 5, 3, [](int x, int y) { return static_cast<uint8_t>((x + y) % 4); });
    Greys(frame->ColorMap(), 4);
    TBitmap bitmap;
    bitmap.Assign(frame);
    EXPECT_EQ(bitmap.PixelFormat(), pf8bit);
    EXPECT_EQ(At(bitmap, 3, 2), Grey(1));
    TVsGifSubImage copy(&image);
    copy.Assign(&bitmap);
    EXPECT_EQ(PixelsOf(copy), PixelsOf(*frame));
}

// ---------------------------------------------------------------- AddFrame and the screen

TEST(GifImageFrames, AddFrameGrowsTheScreenAndSetWidthRefusesToCut) {
    TVsGifImage image;
    Warnings w;
    w.Attach(image);
    auto bitmap = Indexed(pf8bit, 300, 200, {clBlack, clWhite}, [](int x, int) { return x % 2; });
    image.AddFrame(bitmap.get());
    EXPECT_EQ(image.Width(), 300);
    EXPECT_EQ(image.Height(), 200);
    EXPECT_EQ(w.messages, (std::vector<std::string>{GifMsg::SWidthTooSmall, GifMsg::SHeightTooSmall,
                                                    GifMsg::SExceedsScreen}));

    TVsGifImage shifted;
    AddFrame(shifted, 60, 10, [](int, int) { return uint8_t(0); }, false, 50, 0);
    EXPECT_EQ(ErrorOf([&] { shifted.SetWidth(100); }), GifMsg::SWidthTooSmall);
    EXPECT_EQ(shifted.Width(), 110);
    EXPECT_EQ(ErrorOf([&] { shifted.SetWidth(120); }), "");
    EXPECT_EQ(shifted.Width(), 120);

    TMetafile metafile;
    EXPECT_EQ(ErrorOf([&] { image.AddFrame(&metafile); }), GifMsg::SUnsupportedObject);
}

TEST(GifImageFrames, AssignFromAMetafileDrawsItThroughABitmap) {
    TMetafile metafile;
    metafile.SetWidth(20);
    metafile.SetHeight(10);
    {
        TMetafileCanvas canvas(metafile, 96);
        canvas.Brush()->SetColor(clRed);
        canvas.FillRect({0, 0, 10, 10});
        canvas.Brush()->SetColor(clBlue);
        canvas.FillRect({10, 0, 20, 10});
    }
    TVsGifImage image;
    image.Assign(&metafile);
    ASSERT_EQ(image.FrameCount(), 1);
    EXPECT_EQ(image.Width(), 20);
    TVsGifSubImage* frame = image.SubImage(0);
    EXPECT_EQ(frame->ColorMap().EntryColor(frame->Pixels(2, 5)), clRed);
    EXPECT_EQ(frame->ColorMap().EntryColor(frame->Pixels(15, 5)), clBlue);
}

// ---------------------------------------------------------------- drawing

TEST(GifDraw, OneFrameStretchedOverTheRectangle) {
    TVsGifImage image;
    Greys(image.GlobalColorMap(), 4);
    AddFrame(image, 2, 2, [](int x, int y) { return static_cast<uint8_t>(x + 2 * y); });
    auto target = Target(10, 10, clRed);
    target->Canvas()->StretchDraw({0, 0, 8, 8}, &image);
    EXPECT_EQ(At(*target, 1, 1), Grey(0));
    EXPECT_EQ(At(*target, 6, 1), Grey(1));
    EXPECT_EQ(At(*target, 1, 6), Grey(2));
    EXPECT_EQ(At(*target, 7, 7), Grey(3));
    EXPECT_EQ(At(*target, 8, 8), clRed);
}

TEST(GifDraw, MaskedDrawKeepsTheTargetUnderTransparentPixels) {
    TVsGifImage image;
    Greys(image.GlobalColorMap(), 3);
    // Transparent pixels only in the last, partial byte of each mask row.
    TVsGifSubImage* frame = AddFrame(image, 10, 2, [](int x, int) { return static_cast<uint8_t>(x >= 9 ? 1 : x % 2 * 2); });
    MakeTransparent(frame, 1);
    for (bool transparent : {true, false}) {
        SCOPED_TRACE(transparent);
        image.SetPaintOptions(transparent ? TGIFPaintOptions(DefaultPaintOptions)
                                          : TGIFPaintOptions(DefaultPaintOptions & ~goDrawTransparent));
        auto target = Target(12, 3, clRed);
        target->Canvas()->Draw(0, 0, &image);
        EXPECT_EQ(At(*target, 9, 1), transparent ? clRed : Grey(1));
        EXPECT_EQ(At(*target, 0, 0), Grey(0));
        EXPECT_EQ(At(*target, 1, 0), Grey(2));
        EXPECT_EQ(At(*target, 10, 0), clRed);
    }
    ASSERT_TRUE(frame->MaskReady());
    EXPECT_EQ(frame->Mask()->PixelFormat(), pf1bit);
}

TEST(GifDraw, TenByTenTiledOnTwentyFiveDrawsNineCopies) {
    TVsGifImage image;
    Greys(image.GlobalColorMap(), 2);
    AddFrame(image, 10, 10, [](int x, int y) { return static_cast<uint8_t>(x == 0 && y == 0 ? 0 : 1); });
    image.SetPaintOptions(DefaultPaintOptions | goTileDrawing);
    auto target = Target(40, 40, clRed);
    target->Canvas()->StretchDraw({0, 0, 25, 25}, &image);
    int corners = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) corners += At(*target, x, y) == Grey(0);
    EXPECT_EQ(corners, 9);
    for (int i : {0, 10, 20})
        for (int j : {0, 10, 20}) EXPECT_EQ(At(*target, i, j), Grey(0)) << i << "," << j;
    EXPECT_EQ(At(*target, 29, 29), Grey(1));  // the last copies are whole
    EXPECT_EQ(At(*target, 30, 5), clRed);
    EXPECT_EQ(At(*target, 5, 30), clRed);
}

TEST(GifDraw, AScreenOfNoSizeNeitherDividesByZeroNorTilesForEver) {
    // Read from a file, a screen of 0 x 0 takes the frames' extent.
    TVsGifImage loaded;
    Load(loaded, Header(0, 0, 1) + Descriptor(2, 1, 2, 1) + std::string(1, 2) +
                     SubBlocks(PackCodes({{4, 3}, {0, 3}, {1, 3}, {5, 3}})) + ";");
    EXPECT_EQ(loaded.Width(), 4);
    EXPECT_EQ(loaded.Height(), 2);
    // A screen set to 0 afterwards is drawn over the frame's extent.
    TVsGifImage image;
    Greys(image.GlobalColorMap(), 2);
    AddFrame(image, 3, 3, [](int, int) { return uint8_t(1); });
    image.Header().SetWidth(0);
    image.Header().SetHeight(0);
    for (TGIFPaintOptions options : {DefaultPaintOptions, TGIFPaintOptions(DefaultPaintOptions | goTileDrawing)}) {
        SCOPED_TRACE(options);
        image.SetPaintOptions(options);
        auto target = Target(10, 10, clRed);
        image.Draw(*target->Canvas(), {0, 0, 9, 9});
        EXPECT_EQ(At(*target, 1, 1), Grey(1));
    }
    EXPECT_EQ(image.SubImage(0)->MapFrameRect({0, 0, 9, 9}), (TRect{0, 0, 9, 9}));
}

TEST(GifDraw, ComposedBitmapPlacesFrameZeroOnTheScreen) {
    TVsGifImage image;
    Greys(image.GlobalColorMap(), 3);
    image.Header().SetWidth(6);
    image.Header().SetHeight(4);
    AddFrame(image, 2, 2, [](int, int) { return uint8_t(2); }, false, 3, 1);
    AddFrame(image, 6, 4, [](int, int) { return uint8_t(1); });
    TBitmap composed;
    composed.Assign(&image);
    ASSERT_EQ(composed.Width(), 6);
    EXPECT_EQ(At(composed, 3, 1), Grey(2));
    EXPECT_EQ(At(composed, 0, 0), clWhite);
    // Animated without a painter, the image shows its composed first frame.
    auto target = Target(6, 4, clRed);
    target->Canvas()->Draw(0, 0, &image);
    EXPECT_EQ(At(*target, 4, 2), Grey(2));
    EXPECT_EQ(At(*target, 0, 3), clWhite);
    // Without Animate, frame 0 straight on the canvas.
    image.SetPaintOptions(DefaultPaintOptions & ~goAnimate);
    auto direct = Target(6, 4, clRed);
    direct->Canvas()->Draw(0, 0, &image);
    EXPECT_EQ(At(*direct, 4, 2), Grey(2));
    EXPECT_EQ(At(*direct, 0, 3), clRed);
}

TEST(GifDraw, WebDitheredBitmapWalksRowOneFromTheRight) {
    PaletteDisplay = true;
    TVsGifImage image;
    TVsGifSubImage* frame = AddFrame(image, 3, 2, [](int x, int y) { return static_cast<uint8_t>(y == 0 ? 0 : x < 2 ? 1 : 2); });
    frame->ColorMap().InsertColor(RGB(0, 0, 0));
    frame->ColorMap().InsertColor(RGB(25, 25, 25));
    frame->ColorMap().InsertColor(RGB(40, 40, 40));
    ASSERT_TRUE(image.UsesWebPalette());
    TBitmap* bitmap = frame->FrameBitmap();
    PaletteDisplay = false;
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(PaletteEntryCount(bitmap->GetPalette()), 216);
    const uint8_t* row = bitmap->ScanLine(1);
    // From the right: 40 -> 51 (error -11), 25 - 4 -> 0 (error 21), 25 + 9 -> 51.
    EXPECT_EQ((std::vector<int>{row[0], row[1], row[2]}), (std::vector<int>{43, 0, 43}));
    EXPECT_EQ(image.SubImage(0)->GetPalette()->Count(), 216);
}

TEST(GifDraw, ImageWithoutAnyColourTable) {
    TVsGifImage image;
    AddFrame(image, 2, 1, [](int x, int) { return static_cast<uint8_t>(x); });
    EXPECT_EQ(ErrorOf([&] { image.GetPalette(); }), GifMsg::SNoColorTable);
    // Drawn as it is saved: black and white.
    auto target = Target(2, 1, clRed);
    EXPECT_EQ(ErrorOf([&] { target->Canvas()->Draw(0, 0, &image); }), "");
    EXPECT_EQ(At(*target, 0, 0), clBlack);
    EXPECT_EQ(At(*target, 1, 0), clWhite);
}

TEST(GifDraw, IndexesPastTheColourTableDrawAsColourZero) {
    TVsGifImage image;
    Greys(image.GlobalColorMap(), 2);
    AddFrame(image, 3, 1, [](int x, int) { return static_cast<uint8_t>(x == 0 ? 1 : x == 1 ? 21 : 255); });
    auto target = Target(3, 1, clRed);
    target->Canvas()->Draw(0, 0, &image);
    EXPECT_EQ(At(*target, 0, 0), Grey(1));
    EXPECT_EQ(At(*target, 1, 0), Grey(0));
    EXPECT_EQ(At(*target, 2, 0), Grey(0));
}

TEST(GifDraw, PaletteOfTheImageAndItsFrames) {
    TVsGifImage image;
    Greys(image.GlobalColorMap(), 3);
    TVsGifSubImage* frame = AddFrame(image, 2, 1, [](int x, int) { return static_cast<uint8_t>(x); });
    const HPALETTE global = image.GetPalette();
    ASSERT_EQ(PaletteEntryCount(global), 3);
    EXPECT_EQ(image.GetPalette(), global);  // cached
    EXPECT_EQ(frame->GetPalette(), global);  // an empty local map uses the image's
    image.GlobalColorMap().InsertColor(clRed);  // a change drops the cache
    EXPECT_EQ(PaletteEntryCount(image.GetPalette()), 4);
    Greys(frame->ColorMap(), 2);
    EXPECT_EQ(PaletteEntryCount(frame->GetPalette()), 2);
}

TEST(GifDraw, RenderingReportsProgress) {
    TVsGifImage image;
    Greys(image.GlobalColorMap(), 2);
    AddFrame(image, 4, 70, [](int, int y) { return static_cast<uint8_t>(y % 2); });
    TProgressLog progress;
    progress.Attach(image);
    ASSERT_NE(image.SubImage(0)->FrameBitmap(), nullptr);
    EXPECT_TRUE(progress.Has(psStarting, GifMsg::SRendering));
    EXPECT_TRUE(progress.Has(psRunning, GifMsg::SRendering, MulDiv(64, 100, 70)));
    EXPECT_TRUE(progress.Has(psEnding, GifMsg::SRendering, 100));
}

// ---------------------------------------------------------------- lazy fill from many threads

TEST(GifFrameThreads, FirstPixelReadFromManyThreadsWritesTheFillOnce) {
    // A frame whose data stops after two pixels; index 3 fills the rest.
    const std::string file = Header(300, 200, 2) + Bytes({0x21, 0xF9, 4, 1, 0, 0, 3, 0}) + Descriptor(0, 0, 300, 200) +
                             std::string(1, 2) + SubBlocks(PackCodes({{4, 3}, {1, 3}, {2, 3}}));
    TVsGifImage reference;
    Load(reference, file);
    const std::vector<uint8_t> expected = PixelsOf(*reference.SubImage(0));
    const auto fills = std::count(expected.begin(), expected.end(), 3);
    ASSERT_GT(fills, 300 * 200 - 10);
    for (int round = 0; round < 20; ++round) {
        TVsGifImage image;
        Load(image, file);
        const TVsGifSubImage* frame = image.SubImage(0);
        std::atomic<int> ready{0};
        std::vector<std::thread> threads;
        std::vector<int64_t> threes(8, 0);
        for (int t = 0; t < 8; ++t)
            threads.emplace_back([&, t] {
                ++ready;
                while (ready.load() < 8) {
                }
                const uint8_t* pixels = frame->Data();
                for (int64_t i = 0; i < frame->DataSize(); ++i) threes[size_t(t)] += pixels[i] == 3;
            });
        for (auto& t : threads) t.join();
        for (int64_t n : threes) ASSERT_EQ(n, fills);
        EXPECT_EQ(PixelsOf(*frame), expected);
    }
}

// ---------------------------------------------------------------- the picture registry and the clipboard

TEST(GifRegistry, APictureLoadsAGifFileAndDrawsIt) {
    InitVsGif();
    EXPECT_TRUE(TPicture::SupportsExtension(".GIF"));
    EXPECT_NE(TPicture::GraphicFilter().find("GIF Image (*.gif)|*.gif"), std::string::npos);
    EXPECT_TRUE(TPicture::SupportsClipboardFormat(GIFClipboardFormat()));
    EXPECT_EQ(GetClipboardFormatName(GIFClipboardFormat()), "GIF Image");

    TTempFolder folder("gif-registry");
    TVsGifImage image;
    Greys(image.GlobalColorMap(), 4);
    AddFrame(image, 4, 2, [](int x, int) { return static_cast<uint8_t>(x); });
    image.SaveToFile(folder.File("four.gif"));
    TPicture picture;
    TProgressLog progress;
    picture.OnProgress = [&](TObject*, TProgressStage stage, uint8_t percent, bool, const TRect&,
                             const std::string& msg) { progress.Events.emplace_back(stage, percent, msg); };
    picture.LoadFromFile(folder.File("four.gif"));
    auto* gif = dynamic_cast<TVsGifImage*>(picture.Graphic());
    ASSERT_NE(gif, nullptr);
    EXPECT_TRUE(progress.Has(psEnding, GifMsg::SLoading, 100));
    auto target = Target(4, 2, clRed);
    target->Canvas()->Draw(0, 0, picture.Graphic());
    for (int x = 0; x < 4; ++x) EXPECT_EQ(At(*target, x, 1), Grey(x));
    // A copy of the picture is another GIF.
    TPicture copy;
    copy.Assign(&picture);
    ASSERT_NE(dynamic_cast<TVsGifImage*>(copy.Graphic()), nullptr);
    EXPECT_FALSE(static_cast<TVsGifImage*>(copy.Graphic())->Equals(gif));
    EXPECT_EQ(Save(*static_cast<TVsGifImage*>(copy.Graphic())), Save(*gif));
}

TEST(GifClipboard, RoundTripThroughTheClipboard) {
    TVsGifImage image;
    Greys(image.GlobalColorMap(), 4);
    AddFrame(image, 5, 3, [](int x, int y) { return static_cast<uint8_t>((x + y) % 4); });
    AddFrame(image, 2, 2, [](int, int) { return uint8_t(3); }, false, 1, 1);
    Clipboard()->Assign(&image);
    EXPECT_TRUE(Clipboard()->HasFormat(GIFClipboardFormat()));
    EXPECT_TRUE(Clipboard()->HasFormat(CF_BITMAP));
    // The bitmap beside it is the composed first frame.
    TBitmap shown;
    ASSERT_TRUE(Clipboard()->GetBitmap(shown));
    EXPECT_EQ(At(shown, 4, 2), Grey(2));
    // A picture takes the GIF, not the bitmap.
    TPicture picture;
    picture.Assign(Clipboard());
    auto* pasted = dynamic_cast<TVsGifImage*>(picture.Graphic());
    ASSERT_NE(pasted, nullptr);
    ASSERT_EQ(pasted->FrameCount(), 2);
    EXPECT_EQ(Save(*pasted), Save(image));

    // The image's own clipboard calls: the GIF entry comes back whole.
    TClipboardFormat format = 0;
    std::string data;
    HPALETTE palette;
    image.SaveToClipboardFormat(format, data, palette);
    EXPECT_EQ(format, CF_BITMAP);
    TVsGifImage back;
    back.LoadFromClipboardFormat(format, data, palette);
    EXPECT_EQ(Save(back), Save(image));

    // With no GIF entry a bitmap entry becomes a one-frame image.
    auto bitmap = Target(3, 2, clBlue);
    Clipboard()->Assign(bitmap.get());
    ASSERT_FALSE(Clipboard()->HasFormat(GIFClipboardFormat()));
    TVsGifImage fromBitmap;
    fromBitmap.LoadFromClipboardFormat(CF_BITMAP, Clipboard()->GetFormatData(CF_BITMAP), nullptr);
    ASSERT_EQ(fromBitmap.FrameCount(), 1);
    EXPECT_EQ(fromBitmap.Width(), 3);
    EXPECT_EQ(fromBitmap.SubImage(0)->ColorMap().EntryColor(fromBitmap.SubImage(0)->Pixels(2, 1)), clBlue);
    Clipboard()->Clear();
}

// ---------------------------------------------------------------- the painter seam

namespace {

// A scripted painter: it paints frame 0 when resumed (on "its thread") or run.
struct TFakePainter final : TCustomVsGifPainter {
    TFakePainter(TVsGifImage& image, TCanvas& canvas, const TRect& rect, TGIFPaintOptions options,
                 TCustomVsGifPainter** reference)
        : Image(&image), Target(&canvas), Place(rect), Options(options), Reference(reference) {
        *Reference = this;
    }
    TCanvas* Canvas() const override { return Target; }
    TRect Rect() const override { return Place; }
    bool InThread() const override { return Options & goPaintInThread; }
    void Resume() override {
        ++Resumed;
        Paint();
    }
    void SetPriority(uint8_t priority) override { Priority = priority; }
    void Run() override {
        Paint();
        End();
    }
    void Stop() override { StopAsked = true; }
    bool Stopped() const override { return StopAsked; }
    bool Painted() const override { return DidPaint; }
    void Detach() override { Image = nullptr; }
    void Paint() {
        Image->SubImage(1)->DrawFrame(*Target, Place, false, false);
        DidPaint = true;
    }
    void End() {
        if (Image) Image->PainterEnded(this);
        delete this;
    }
    TVsGifImage* Image;
    TCanvas* Target;
    TRect Place;
    TGIFPaintOptions Options;
    TCustomVsGifPainter** Reference;
    int Resumed = 0;
    uint8_t Priority = 0;
    bool StopAsked = false;
    bool DidPaint = false;
};

struct TFactoryScope {
    std::vector<TFakePainter*> Made;
    TVsGifPainterFactory Previous;
    TFactoryScope() {
        Previous = SetVsGifPainterFactory([this](TVsGifImage& image, TCanvas& canvas, const TRect& rect, TGIFPaintOptions options,
                                      TCustomVsGifPainter** reference) {
            Made.push_back(new TFakePainter(image, canvas, rect, options, reference));
            return Made.back();
        });
    }
    ~TFactoryScope() { SetVsGifPainterFactory(Previous); }
};

}  // namespace

TEST(GifPainterSeam, AnimatedDrawHandsTheComposedBitmapToAPainter) {
    TFactoryScope factory;
    TVsGifImage image;
    Greys(image.GlobalColorMap(), 3);
    AddFrame(image, 4, 4, [](int, int) { return uint8_t(1); });
    AddFrame(image, 4, 4, [](int, int) { return uint8_t(2); });
    image.SetPainterPriority(5);
    auto target = Target(4, 4, clRed);
    image.Draw(*target->Canvas(), {0, 0, 4, 4});
    ASSERT_EQ(factory.Made.size(), 1u);
    TFakePainter* painter = factory.Made[0];
    EXPECT_EQ(painter->Canvas(), image.ComposedBitmap()->Canvas());
    EXPECT_EQ(painter->Rect(), (TRect{0, 0, 4, 4}));
    EXPECT_EQ(painter->Resumed, 1);
    EXPECT_EQ(painter->Priority, 5);
    EXPECT_EQ(image.OwnPainter(), painter);
    // Draw waited for the first frame, then showed the composed bitmap.
    EXPECT_EQ(At(*target, 2, 2), Grey(2));
    // The next draw shows the composed bitmap without another painter.
    image.Draw(*target->Canvas(), {0, 0, 4, 4});
    EXPECT_EQ(factory.Made.size(), 1u);
    // Clearing stops it; the fake ends itself.
    TCustomVsGifPainter* own = image.OwnPainter();
    image.ReleaseComposedBitmap();
    EXPECT_TRUE(own->Stopped());
    painter->End();
    EXPECT_EQ(image.OwnPainter(), nullptr);
    EXPECT_EQ(image.Painters().LockList()->Count(), 0);
    image.Painters().UnlockList();
}

TEST(GifPainterSeam, NoPainterForOneFrameOrAnEmptyRectangle) {
    TFactoryScope factory;
    TVsGifImage image;
    Greys(image.GlobalColorMap(), 3);
    AddFrame(image, 4, 4, [](int, int) { return uint8_t(1); });
    auto target = Target(4, 4, clRed);
    image.Draw(*target->Canvas(), {0, 0, 4, 4});
    EXPECT_TRUE(factory.Made.empty());
    AddFrame(image, 4, 4, [](int, int) { return uint8_t(2); });
    image.Draw(*target->Canvas(), {0, 0, 0, 4});
    EXPECT_TRUE(factory.Made.empty());
    // Without PaintInThread the painter runs to its end inside StartPainter.
    TCustomVsGifPainter* reference = nullptr;
    EXPECT_EQ(image.StartPainter(reference, *target->Canvas(), DefaultPaintOptions & ~goPaintInThread, {0, 0, 4, 4}),
              nullptr);
    EXPECT_EQ(reference, nullptr);
    ASSERT_EQ(factory.Made.size(), 1u);
    EXPECT_EQ(At(*target, 1, 1), Grey(2));
}
