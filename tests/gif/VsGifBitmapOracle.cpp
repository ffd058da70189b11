// Frames made from bitmaps, checked by readers nobody here wrote: libgif
// decodes them to the same indices and palette; and colour reduction against
// ImageMagick's on the same photograph-like picture: the mean squared error
// against the original, without and with Floyd-Steinberg dithering, stays
// within a quarter of ImageMagick's.
#include <gtest/gtest.h>

#include "gif/VsGifColor.h"
#include "tests/gif/GifTestUtil.h"
#include "tests/gif/GiflibOracle.h"
#include "tests/gif/PhotoImage.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Tools.h"

namespace {

constexpr const char* kMagick = "convert-im6.q16";

// ImageMagick's reduction of image to 256 colours with options.
phototest::TRgbImage MagickReduced(const phototest::TRgbImage& image, const std::string& options) {
    TTempFolder folder("gif-reduce");
    WriteFile(folder.File("in.ppm"), phototest::Ppm(image));
    RunCommand(std::string(kMagick) + " " + Quoted(folder.File("in.ppm")) + " " + options + " -colors 256 -depth 8 " +
               Quoted(folder.File("out.ppm")));
    return phototest::FromPpm(ReadFile(folder.File("out.ppm")));
}

}  // namespace

TEST(GifReduceOracle, OctreeWithin125PercentOfImageMagick) {
    SKIP_WITHOUT_TOOL(kMagick);
    const phototest::TRgbImage photo = phototest::PhotoLike(512, 384);
    struct Case {
        const char* Options;
        uint8_t Dither;
    };
    for (const Case& c : {Case{"+dither", DitherNearest}, Case{"-dither FloydSteinberg", DitherFloydSteinberg}}) {
        SCOPED_TRACE(c.Options);
        const phototest::TRgbImage theirs = MagickReduced(photo, c.Options);
        ASSERT_EQ(theirs.Width, photo.Width);
        auto source = phototest::ToBitmap(photo);
        auto reduced = ReduceBitmapColors(*source, ReduceOctree, c.Dither, 8);
        ASSERT_EQ(reduced->PixelFormat(), pf8bit);
        const double ours = phototest::MeanSquaredError(photo, phototest::FromBitmap(*reduced));
        const double reference = phototest::MeanSquaredError(photo, theirs);
        RecordProperty("ours", std::to_string(ours));
        RecordProperty("imagemagick", std::to_string(reference));
        EXPECT_GT(reference, 0);
        EXPECT_LE(ours, 1.25 * reference) << "ours " << ours << ", ImageMagick " << reference;
    }
}

TEST(GifBitmapOracle, FramesFromBitmapsDecodeInGiflibToTheSameIndicesAndPalette) {
    if (!oracle::Available()) GTEST_SKIP() << "libgif not found at build time";
    struct Case {
        const char* Name;
        std::function<std::unique_ptr<TBitmap>()> Make;
        uint8_t Mode;
        uint8_t Dither;
        bool ExactColours;
    };
    auto indexed = [](TPixelFormat format, int colors) {
        auto b = std::make_unique<TBitmap>();
        if (format == pf8bit)
            SetBitmapPixelFormat(*b, pf8bit);
        else
            b->SetPixelFormat(format);
        b->SetSize(37, 11);
        std::vector<TColor> table;
        for (int i = 0; i < colors; ++i) table.push_back(RGB(static_cast<uint8_t>(i * 7), static_cast<uint8_t>(255 - i), 99));
        b->SetPalette(table);
        for (int y = 0; y < 11; ++y) {
            TCanvas& c = *b->Canvas();
            for (int x = 0; x < 37; ++x) c.SetPixel(x, y, table[static_cast<size_t>((x * 5 + y * 3) % colors)]);
        }
        return b;
    };
    const phototest::TRgbImage photo = phototest::PhotoLike(120, 80);
    const Case cases[] = {
        {"1 bit", [&] { return indexed(pf1bit, 2); }, DefaultReductionMode, DitherNearest, true},
        {"4 bits", [&] { return indexed(pf4bit, 16); }, DefaultReductionMode, DitherNearest, true},
        {"8 bits", [&] { return indexed(pf8bit, 200); }, DefaultReductionMode, DitherNearest, true},
        {"device", [&] {
             auto b = indexed(pf8bit, 120);
             b->SetPixelFormat(pfDevice);
             return b;
         }, DefaultReductionMode, DitherNearest, true},
        {"24 bits, web", [&] { return phototest::ToBitmap(photo); }, ReduceWeb216, DitherFloydSteinberg, false},
        {"24 bits, octree", [&] { return phototest::ToBitmap(photo); }, ReduceOctree, DitherNearest, false},
        {"24 bits, octree dithered", [&] { return phototest::ToBitmap(photo); }, ReduceOctree, DitherFloydSteinberg, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        auto bitmap = c.Make();
        const phototest::TRgbImage shown = phototest::FromBitmap(*bitmap);
        TVsGifImage image;
        image.SetReductionMode(c.Mode);
        image.SetDitherMethod(c.Dither);
        image.AddFrame(bitmap.get());
        const TVsGifSubImage& frame = *image.SubImage(0);
        const oracle::Image decoded = oracle::Decode(giftest::Save(image));
        ASSERT_TRUE(decoded.ok) << decoded.error;
        ASSERT_EQ(decoded.frames.size(), 1u);
        EXPECT_EQ(decoded.frames[0].pixels, giftest::PixelsOf(frame));
        const std::vector<oracle::Color>& map =
            decoded.frames[0].localMap.empty() ? decoded.globalMap : decoded.frames[0].localMap;
        ASSERT_GE(map.size(), static_cast<size_t>(frame.ColorMap().Count()));
        for (int32_t i = 0; i < frame.ColorMap().Count(); ++i) {
            const TGIFColor e = frame.ColorMap().Entry(i);
            ASSERT_EQ(map[size_t(i)], (oracle::Color{e.Red, e.Green, e.Blue})) << i;
        }
        if (!c.ExactColours) continue;
        // The colours libgif shows are the bitmap's.
        std::vector<uint8_t> rgb;
        for (uint8_t index : decoded.frames[0].pixels) rgb.insert(rgb.end(), {map[index].r, map[index].g, map[index].b});
        EXPECT_EQ(rgb, shown.Pixels);
    }
}
