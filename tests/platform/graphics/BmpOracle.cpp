// Our BMP files read by ImageMagick, which nobody here wrote.
#include <gtest/gtest.h>

#include <sstream>

#include "tests/platform/graphics/TestImages.h"

namespace {

const char* const kIdentify = "identify-im6.q16";
const char* const kConvert = "convert-im6.q16";

struct OracleRow {
    const char* Name;
    TPixelFormat Format;
    int Bits;
};

class BmpOracle : public ::testing::TestWithParam<OracleRow> {};

// Every pixel as ImageMagick's text dump gives it: "x,y: (r,g,b...)".
std::vector<TColor> DumpPixels(const std::string& path, int w, int h) {
    std::vector<TColor> pixels(static_cast<size_t>(w) * h, -1);
    std::istringstream in(RunCommand(std::string(kConvert) + " '" + path + "' -depth 8 txt:-"));
    std::string line;
    while (std::getline(in, line)) {
        int x, y, r, g, b;
        if (line.empty() || line[0] == '#') continue;
        if (std::sscanf(line.c_str(), "%d,%d: (%d,%d,%d", &x, &y, &r, &g, &b) == 5 && x < w && y < h)
            pixels[static_cast<size_t>(y) * w + x] = RGB(r, g, b);
    }
    return pixels;
}

TEST_P(BmpOracle, ImageMagickReadsTheSamePixelsAndResolution) {
    if (!HaveTool(kIdentify) || !HaveTool(kConvert)) GTEST_SKIP() << "ImageMagick is not installed";
    const OracleRow& row = GetParam();
    const int w = 21, h = 5;
    TBitmap b(w, h);
    const TColor colors[] = {clBlack, clMaroon, clGreen, clOlive, clNavy, clPurple, clTeal,
                             clGray, clSilver, clRed, clLime, clYellow, clBlue, clWhite};
    for (int i = 0; i < 14; ++i) {
        b.Canvas()->Brush()->SetColor(row.Format == pf1bit ? (i % 2 ? clBlack : clWhite) : colors[i]);
        b.Canvas()->FillRect({i, 0, i + 1, h});
    }
    b.Canvas()->SetPixel(20, 4, clBlack);
    b.SetPixelFormat(row.Format);
    b.SetResolution(300, 300);
    std::string path = TestFolder() + "b.bmp";
    b.SaveToFile(path);

    std::string info = RunCommand(std::string(kIdentify) + " -format '%w %h %x %U' '" + path + "'");
    int iw = 0, ih = 0;
    double res = 0;
    char units[64] = {0};
    ASSERT_EQ(std::sscanf(info.c_str(), "%d %d %lf %63s", &iw, &ih, &res, units), 4) << info;
    EXPECT_EQ(iw, w);
    EXPECT_EQ(ih, h);
    EXPECT_STREQ(units, "PixelsPerCentimeter");
    EXPECT_NEAR(res, 300 / 2.54, 0.01);

    std::vector<TColor> seen = DumpPixels(path, w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            ASSERT_EQ(seen[static_cast<size_t>(y) * w + x], b.Canvas()->Pixel(x, y)) << x << "," << y;

    // ImageMagick's own BMP back into ours.
    std::string theirs = path + ".im.bmp";
    RunCommand(std::string(kConvert) + " '" + path + "' BMP3:'" + theirs + "'");
    TBitmap back;
    back.LoadFromFile(theirs);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) ASSERT_EQ(back.Canvas()->Pixel(x, y), b.Canvas()->Pixel(x, y)) << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(Graphics, BmpOracle,
                         ::testing::Values(OracleRow{"Mono", pf1bit, 1}, OracleRow{"Sixteen", pf4bit, 4},
                                           OracleRow{"Palette", pf8bit, 8}, OracleRow{"Rgb555", pf15bit, 16},
                                           OracleRow{"Rgb565", pf16bit, 16}, OracleRow{"True", pf24bit, 24},
                                           OracleRow{"Quad", pf32bit, 32}),
                         [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
