// Colour reduction against ImageMagick's on the same photograph-like
// picture: the mean squared error against the original, without and with
// Floyd-Steinberg dithering, stays within a quarter of ImageMagick's.
#include <gtest/gtest.h>

#include "gif/VsGifColor.h"
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
