// Our JPEG, TIFF, WMF and EMF files opened by readers nobody here wrote:
// ImageMagick for the first three, emf2svg for enhanced metafiles.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "platform/graphics/Jpeg.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/Tiff.h"
#include "tests/platform/graphics/TestImages.h"

namespace {

const std::string kIdentify = "identify-im6.q16";
const std::string kConvert = "convert-im6.q16";

bool HaveImageMagick() { return HaveTool(kIdentify) && HaveTool(kConvert); }

std::unique_ptr<TBitmap> Sample(int dpi) {
    auto b = WhiteBitmap(64, 40, dpi);
    b->Canvas()->Brush()->SetColor(clBlack);
    b->Canvas()->FillRect({4, 4, 12, 36});
    b->Canvas()->Brush()->SetColor(clRed);
    b->Canvas()->FillRect({30, 4, 60, 20});
    b->Canvas()->Brush()->SetColor(clBlue);
    b->Canvas()->FillRect({30, 24, 60, 36});
    return b;
}

// Pixels as ImageMagick decodes them.
std::vector<TColor> Decode(const std::string& path, int w, int h) {
    std::vector<TColor> pixels(static_cast<size_t>(w) * h, -1);
    std::istringstream in(RunCommand(kConvert + " '" + path + "' -colorspace sRGB -type TrueColor -depth 8 txt:-"));
    std::string line;
    while (std::getline(in, line)) {
        int x, y, r, g, b;
        if (!line.empty() && line[0] != '#' && std::sscanf(line.c_str(), "%d,%d: (%d,%d,%d", &x, &y, &r, &g, &b) == 5 &&
            x < w && y < h)
            pixels[static_cast<size_t>(y) * w + x] = RGB(r, g, b);
    }
    return pixels;
}

int Distance(TColor a, TColor b) {
    return std::abs(GetRValue(a) - GetRValue(b)) + std::abs(GetGValue(a) - GetGValue(b)) +
           std::abs(GetBValue(a) - GetBValue(b));
}

TEST(PictureOracle, JpegOpensWithItsSizeResolutionAndQuality) {
    if (!HaveImageMagick()) GTEST_SKIP() << "ImageMagick is not installed";
    std::string dir = TestFolder();
    auto b = Sample(300);
    TJPEGImage jpeg;
    jpeg.Assign(b.get());
    jpeg.SetCompressionQuality(92);
    jpeg.SaveToFile(dir + "a.jpg");
    std::string info = RunCommand(kIdentify + " -format '%m %w %h %x %U %Q' '" + dir + "a.jpg'");
    EXPECT_EQ(info, "JPEG 64 40 300 PixelsPerInch 92");
    std::vector<TColor> seen = Decode(dir + "a.jpg", 64, 40);
    for (TPoint p : {TPoint{8, 20}, TPoint{45, 12}, TPoint{45, 30}, TPoint{20, 20}})
        EXPECT_LT(Distance(seen[p.Y * 64 + p.X], b->Canvas()->Pixel(p.X, p.Y)), 60) << p.X << "," << p.Y;

    // And one of ImageMagick's, read by ours.
    RunCommand(kConvert + " -size 30x20 xc:'rgb(0,128,255)' -density 150 -units PixelsPerInch -quality 90 '" + dir + "im.jpg'");
    TJPEGImage theirs;
    theirs.LoadFromFile(dir + "im.jpg");
    EXPECT_EQ(theirs.Width(), 30);
    EXPECT_EQ(theirs.ResolutionX(), 150);
    EXPECT_LT(Distance(theirs.Bitmap()->Canvas()->Pixel(15, 10), RGB(0, 128, 255)), 12);
}

TEST(PictureOracle, TiffOpensUncompressedWithResolutionAndExactPixels) {
    if (!HaveImageMagick()) GTEST_SKIP() << "ImageMagick is not installed";
    std::string dir = TestFolder();
    auto b = Sample(600);
    TTiffImage tiff;
    tiff.Assign(b.get());
    tiff.SaveToFile(dir + "a.tif");
    std::string info = RunCommand(kIdentify + " -format '%m %w %h %x %U %C %[channels]' '" + dir + "a.tif'");
    EXPECT_EQ(info, "TIFF 64 40 600 PixelsPerInch None srgb");
    std::vector<TColor> seen = Decode(dir + "a.tif", 64, 40);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 64; ++x) ASSERT_EQ(seen[y * 64 + x], b->Canvas()->Pixel(x, y)) << x << "," << y;

    // ImageMagick's uncompressed colour and grey files, read by ours.
    struct Case {
        const char* Name;
        const char* Options;
    } cases[] = {{"rgb", "-type TrueColor"}, {"grey", "-colorspace Gray -type Grayscale"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::string path = dir + c.Name + ".tif";
        RunCommand(kConvert + " '" + dir + "a.tif' " + c.Options + " -compress none -density 200 '" + path + "'");
        TTiffImage theirs;
        theirs.LoadFromFile(path);
        ASSERT_EQ(theirs.Width(), 64);
        EXPECT_EQ(theirs.Bitmap()->ResolutionX(), 200);
        std::vector<TColor> expect = Decode(path, 64, 40);
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 64; ++x) ASSERT_EQ(theirs.Bitmap()->Canvas()->Pixel(x, y), expect[y * 64 + x]) << x << "," << y;
    }
}

// A barcode as the save-as-image command draws it: white ground, bars, text.
void DrawSymbol(TCanvas& c, int escapement) {
    c.Brush()->SetColor(clWhite);
    c.FillRect({0, 0, 100, 120});
    c.Brush()->SetColor(clBlack);
    c.FillRect({10, 10, 14, 90});
    c.FillRect({20, 10, 28, 90});
    c.Brush()->SetStyle(bsClear);
    c.SetBkMode(TRANSPARENT);
    c.Font()->SetName("Arial");
    c.Font()->SetHeight(18);
    c.Font()->SetOrientation(escapement);
    c.Font()->SetColor(clBlue);
    c.SetTextAlign(TA_CENTER | TA_TOP);
    c.TextOut(60, 95, "4711");
}

std::string SaveSymbol(const std::string& path, int escapement = 0) {
    TMetafile m;
    m.SetWidth(100);
    m.SetHeight(120);
    {
        TMetafileCanvas canvas(m, 300);
        DrawSymbol(canvas, escapement);
    }
    m.SaveToFile(path);
    return path;
}

TEST(PictureOracle, WmfRendersItsBarsAndTextInPlace) {
    if (!HaveImageMagick()) GTEST_SKIP() << "ImageMagick is not installed";
    if (RunCommand(kConvert + " -list format").find(" WMF") == std::string::npos) GTEST_SKIP() << "no WMF coder";
    std::string dir = TestFolder();
    std::string wmf = SaveSymbol(dir + "a.wmf");
    // 100 x 120 pixels at 300 units per inch: 24 x 29 at ImageMagick's 72 dpi.
    EXPECT_EQ(RunCommand(kIdentify + " -format '%m %w %h' '" + wmf + "'"), "WMF 24 29");
    RunCommand(kConvert + " -density 300 '" + wmf + "' '" + dir + "a.png'");
    EXPECT_EQ(RunCommand(kIdentify + " -format '%w %h' '" + dir + "a.png'"), "100 120");
    std::vector<TColor> seen = Decode(dir + "a.png", 100, 120);
    auto dark = [&](int x, int y) { return Distance(seen[y * 100 + x], clBlack) < 100; };
    auto light = [&](int x, int y) { return Distance(seen[y * 100 + x], clWhite) < 100; };
    // Inside the bars dark, between and beside them light, within a pixel of each edge.
    for (int y : {15, 50, 85}) {
        SCOPED_TRACE(y);
        for (int x : {12, 22, 25}) EXPECT_TRUE(dark(x, y)) << x;
        for (int x : {5, 8, 17, 31, 40}) EXPECT_TRUE(light(x, y)) << x;
    }
    EXPECT_TRUE(light(12, 7));
    EXPECT_TRUE(light(12, 93));
    int blue = 0;
    for (int y = 95; y < 120; ++y)
        for (int x = 40; x < 80; ++x) blue += Distance(seen[y * 100 + x], clBlue) < 150;
    EXPECT_GT(blue, 20);
}

TEST(PictureOracle, EmfConvertsToTheSameDrawing) {
    if (!HaveTool("emf2svg-conv")) GTEST_SKIP() << "emf2svg is not installed";
    std::string dir = TestFolder();
    for (int escapement : {0, 900}) {
        SCOPED_TRACE(escapement);
        std::string emf = SaveSymbol(dir + "a" + std::to_string(escapement) + ".emf", escapement);
        std::string svgPath = emf + ".svg";
        RunCommand("emf2svg-conv -i '" + emf + "' -o '" + svgPath + "'");
        std::string svg = ReadFileBytes(svgPath);
        ASSERT_FALSE(svg.empty());
        std::regex rect(R"re(<rect x="([0-9.]+)" y="([0-9.]+)" width="([0-9.]+)" height="([0-9.]+)"\s+fill="#([0-9A-F]{6})")re");
        std::vector<std::vector<double>> bars;
        for (auto it = std::sregex_iterator(svg.begin(), svg.end(), rect); it != std::sregex_iterator(); ++it)
            if ((*it)[5] == "000000")
                bars.push_back({std::stod((*it)[1]), std::stod((*it)[2]), std::stod((*it)[3]), std::stod((*it)[4])});
        ASSERT_EQ(bars.size(), 2u) << svg;
        // A rectangle without a pen reaches one unit past the filled pixels.
        EXPECT_EQ(bars[0], (std::vector<double>{10, 10, 5, 81}));
        EXPECT_EQ(bars[1], (std::vector<double>{20, 10, 9, 81}));
        std::smatch text;
        ASSERT_TRUE(std::regex_search(svg, text, std::regex(R"re(<text font-family="Arial" fill="#0000FF"[^>]*text-anchor="middle"[^>]*font-size="18\.0+"[^>]*><!\[CDATA\[4711\]\]>)re"))) << svg;
        if (escapement == 0) EXPECT_NE(text.str().find("x=\"60.0000\""), std::string::npos) << text.str();
        else EXPECT_NE(text.str().find("rotate(-90"), std::string::npos) << text.str();
    }
}

}  // namespace
