// The drawing helpers of VsUtil and VsObj.
#include <cstdio>
#include <filesystem>

#include <gtest/gtest.h>

#include "grid/VsObj.h"
#include "grid/VsUtil.h"
#include "platform/graphics/Graphics.h"

namespace {

std::string TempPath(const std::string& name) {
    return (std::filesystem::temp_directory_path() / ("vsdraw_" + std::to_string(::getpid()) + "_" + name)).string();
}

void Fill(TCanvas& c, TColor color, const TRect& r) {
    c.Brush()->SetColor(color);
    c.FillRect(r);
}

TColor Rgb(TCanvas& c, int32_t x, int32_t y) { return c.Pixel(x, y) & 0xFFFFFF; }

}  // namespace

TEST(DrawTransparentBitmap, TopLeftColourShowsTheGivenColour) {
    TBitmap glyph(8, 8);
    Fill(*glyph.Canvas(), clRed, Bounds(0, 0, 8, 8));
    Fill(*glyph.Canvas(), clBlue, Bounds(3, 3, 2, 2));
    TBitmap target(20, 20);
    Fill(*target.Canvas(), clWhite, Bounds(0, 0, 20, 20));
    DrawTransparentBitmap(*target.Canvas(), glyph, clLime, Bounds(5, 6, 100, 100));
    TCanvas& c = *target.Canvas();
    EXPECT_EQ(Rgb(c, 5, 6), clLime);
    EXPECT_EQ(Rgb(c, 12, 13), clLime);
    EXPECT_EQ(Rgb(c, 8, 9), clBlue);
    EXPECT_EQ(Rgb(c, 13, 14), clWhite) << "only the bitmap's size is copied";
    EXPECT_EQ(Rgb(c, 4, 6), clWhite);
    EXPECT_EQ(Rgb(glyph.Canvas()[0], 0, 0), clRed) << "the source is left alone";
}

TEST(DrawPictureFile, StretchesTheFileIntoTheRectangle) {
    TBitmap blue(4, 4);
    Fill(*blue.Canvas(), clBlue, Bounds(0, 0, 4, 4));
    std::string path = TempPath("blue.bmp");
    blue.SaveToFile(path);

    TBitmap target(30, 30);
    Fill(*target.Canvas(), clWhite, Bounds(0, 0, 30, 30));
    TFilePicture picture(path, 4, 4);
    picture.DrawPictureFile(*target.Canvas(), Bounds(10, 10, 12, 8));
    TCanvas& c = *target.Canvas();
    EXPECT_EQ(Rgb(c, 10, 10), clBlue);
    EXPECT_EQ(Rgb(c, 21, 17), clBlue);
    EXPECT_EQ(Rgb(c, 22, 17), clWhite);
    EXPECT_EQ(Rgb(c, 9, 10), clWhite);
    std::remove(path.c_str());
}

TEST(DrawPictureFile, UnreadableOrMissingFilesDrawNothing) {
    std::string garbage = TempPath("garbage.bmp");
    {
        FILE* f = std::fopen(garbage.c_str(), "wb");
        std::fputs("not a picture", f);
        std::fclose(f);
    }
    TBitmap target(10, 10);
    Fill(*target.Canvas(), clWhite, Bounds(0, 0, 10, 10));
    for (const std::string& name : {std::string(), garbage, TempPath("missing.bmp"), TempPath("unknown.xyz")}) {
        SCOPED_TRACE(name);
        TFilePicture picture(name, 10, 10);
        EXPECT_NO_THROW(picture.DrawPictureFile(*target.Canvas(), Bounds(0, 0, 10, 10)));
        EXPECT_EQ(Rgb(*target.Canvas(), 5, 5), clWhite);
    }
    std::remove(garbage.c_str());
}
