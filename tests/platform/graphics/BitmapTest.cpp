#include <gtest/gtest.h>

#include "platform/graphics/GraphicsConst.h"
#include "platform/graphics/RecordingDevice.h"
#include "platform/graphics/qt/GraphicsQt.h"
#include "tests/platform/graphics/TestImages.h"

namespace {

TEST(Bitmap, NewBitmapsAreWhiteAtNinetySixDpi) {
    TBitmap b(8, 4);
    EXPECT_EQ(b.Width(), 8);
    EXPECT_EQ(b.Height(), 4);
    EXPECT_EQ(b.ResolutionX(), 96);
    EXPECT_EQ(b.Canvas()->GetDeviceCaps(LOGPIXELSX), 96);
    EXPECT_EQ(b.Canvas()->GetDeviceCaps(HORZRES), 8);
    EXPECT_EQ(b.Canvas()->Pixel(7, 3), clWhite);
    TBitmap empty;
    EXPECT_TRUE(empty.Empty());
    empty.Canvas()->FillRect({0, 0, 5, 5});  // nothing to paint on
}

TEST(Bitmap, FillRectAtSeveralResolutions) {
    for (int dpi : {0, 96, 254, 300, 600}) {
        SCOPED_TRACE(dpi);
        auto b = WhiteBitmap(300, 300, dpi);
        TCanvas* c = b->Canvas();
        EXPECT_EQ(c->GetDeviceCaps(LOGPIXELSX), dpi);
        EXPECT_EQ(c->GetDeviceCaps(LOGPIXELSY), dpi);
        c->Brush()->SetColor(clBlack);
        c->FillRect({3, 4, 13, 24});  // device pixels in MM_TEXT, whatever the resolution
        EXPECT_EQ(InkBox(*b), (TRect{3, 4, 13, 24}));
        EXPECT_EQ(CountColor(*b, clBlack), 200);
        // One centimetre square in tenths of a millimetre.
        c->Brush()->SetColor(clWhite);
        c->FillRect({0, 0, 300, 300});
        c->SetMapMode(MM_LOMETRIC);
        c->Brush()->SetColor(clBlack);
        c->FillRect({0, 0, 100, -100});
        int side = static_cast<int>(std::nearbyint(100 * dpi / 254.0));
        EXPECT_EQ(CountColor(*b, clBlack), side * side);
    }
}

TEST(Bitmap, PaintingEndsBeforePixelsAreReadOrResized) {
    TBitmap b(10, 10);
    b.Canvas()->Brush()->SetColor(clRed);
    b.Canvas()->FillRect({0, 0, 10, 10});
    EXPECT_EQ(b.ScanLine(0)[2], 0xFF);  // B, G, R, X
    b.Canvas()->Brush()->SetColor(clBlue);
    b.Canvas()->FillRect({0, 0, 2, 2});
    b.SetSize(20, 5);
    EXPECT_EQ(b.Canvas()->Pixel(1, 1), clBlue);
    EXPECT_EQ(b.Canvas()->Pixel(5, 4), clRed);
    EXPECT_EQ(b.Canvas()->Pixel(15, 4), clWhite);
}

TEST(Bitmap, ScanLineIndexOutOfRange) {
    TBitmap b(4, 4);
    for (int y : {-1, 4}) {
        try {
            b.ScanLine(y);
            FAIL();
        } catch (const EInvalidGraphicOperation& e) {
            EXPECT_EQ(e.Message(), "Scan line index out of range");
            EXPECT_EQ(e.Message(), GraphicsConst::SScanLine);
        }
    }
}

// Row layouts: what a row holds after the canvas paints known pixels.
TEST(Bitmap, ScanLineLayouts) {
    TBitmap b(10, 2);
    b.Canvas()->SetPixel(0, 0, clRed);
    b.Canvas()->SetPixel(1, 0, RGB(1, 2, 3));

    b.SetPixelFormat(pf24bit);
    const uint8_t* row = b.ScanLine(0);
    EXPECT_EQ((std::vector<int>{row[0], row[1], row[2], row[3], row[4], row[5]}),
              (std::vector<int>{0, 0, 255, 3, 2, 1}));

    b.SetPixelFormat(pf32bit);
    row = b.ScanLine(0);
    EXPECT_EQ((std::vector<int>{row[0], row[1], row[2], row[4], row[5], row[6]}),
              (std::vector<int>{0, 0, 255, 3, 2, 1}));

    b.SetPixelFormat(pf8bit);
    b.SetPalette({clBlack, clRed, clWhite});
    uint8_t* r8 = b.ScanLine(1);
    r8[0] = 1;
    r8[1] = 2;
    r8[2] = 0;
    EXPECT_EQ(b.Canvas()->Pixel(0, 1), clRed);
    EXPECT_EQ(b.Canvas()->Pixel(1, 1), clWhite);
    EXPECT_EQ(b.Canvas()->Pixel(2, 1), clBlack);

    b.SetPixelFormat(pf4bit);
    b.SetPalette({clBlack, clRed, clLime, clBlue});
    uint8_t* r4 = b.ScanLine(1);
    r4[0] = 0x12;  // high nibble first
    r4[1] = 0x30;
    EXPECT_EQ(b.Canvas()->Pixel(0, 1), clRed);
    EXPECT_EQ(b.Canvas()->Pixel(1, 1), clLime);
    EXPECT_EQ(b.Canvas()->Pixel(2, 1), clBlue);
    EXPECT_EQ(b.Canvas()->Pixel(3, 1), clBlack);
    // Painting an indexed bitmap maps to the nearest palette entry.
    b.Canvas()->SetPixel(5, 1, RGB(250, 0, 10));
    EXPECT_EQ(b.ScanLine(1)[2] & 0x0F, 1);

    b.SetPixelFormat(pf1bit);
    EXPECT_TRUE(b.Monochrome());
    uint8_t* r1 = b.ScanLine(0);
    r1[0] = 0x80;  // most significant bit first
    r1[1] = 0x40;
    EXPECT_EQ(b.Canvas()->Pixel(0, 0), clWhite);
    EXPECT_EQ(b.Canvas()->Pixel(1, 0), clBlack);
    EXPECT_EQ(b.Canvas()->Pixel(9, 0), clWhite);
    EXPECT_EQ(b.Palette(), (std::vector<TColor>{clBlack, clWhite}));
}

struct FormatRow {
    const char* Name;
    TPixelFormat Format;
    int Bits;
};

class BmpRoundTrip : public ::testing::TestWithParam<FormatRow> {};

// Pixels that every format can hold exactly: the 16 standard colours.
void PaintTestPattern(TBitmap& b) {
    const TColor colors[] = {clBlack, clMaroon, clGreen, clOlive, clNavy, clPurple, clTeal, clGray,
                             clSilver, clRed, clLime, clYellow, clBlue, clFuchsia, clAqua, clWhite};
    for (int i = 0; i < 16; ++i) {
        b.Canvas()->Brush()->SetColor(colors[i]);
        b.Canvas()->FillRect({i * 2, 0, i * 2 + 2, 3});
    }
}

TEST_P(BmpRoundTrip, SaveAndLoadKeepFormatResolutionAndPixels) {
    const FormatRow& row = GetParam();
    TBitmap b(33, 3);
    PaintTestPattern(b);
    if (row.Format == pf1bit) {
        b.Canvas()->Brush()->SetColor(clWhite);
        b.Canvas()->FillRect({0, 0, 33, 3});
        b.Canvas()->Brush()->SetColor(clBlack);
        b.Canvas()->FillRect({3, 0, 9, 2});
    }
    b.SetPixelFormat(row.Format);
    b.SetResolution(300, 150);
    TMemoryStream stream;
    b.SaveToStream(stream);
    const uint8_t* bytes = stream.Memory();
    EXPECT_EQ(bytes[28], row.Bits);
    stream.SetPosition(0);
    TBitmap back;
    back.LoadFromStream(stream);
    EXPECT_EQ(back.PixelFormat(), row.Format == pfDevice ? pf24bit : row.Format);
    EXPECT_EQ(back.ResolutionX(), 300);
    EXPECT_EQ(back.ResolutionY(), 150);
    ASSERT_EQ(back.Width(), 33);
    ASSERT_EQ(back.Height(), 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 33; ++x) ASSERT_EQ(back.Canvas()->Pixel(x, y), b.Canvas()->Pixel(x, y)) << x << "," << y;
    EXPECT_EQ(back.Palette(), b.Palette());
}

INSTANTIATE_TEST_SUITE_P(Bitmap, BmpRoundTrip,
                         ::testing::Values(FormatRow{"Mono", pf1bit, 1}, FormatRow{"Sixteen", pf4bit, 4},
                                           FormatRow{"Palette", pf8bit, 8}, FormatRow{"Rgb555", pf15bit, 16},
                                           FormatRow{"Rgb565", pf16bit, 16}, FormatRow{"True", pf24bit, 24},
                                           FormatRow{"Quad", pf32bit, 32}, FormatRow{"Device", pfDevice, 24}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(Bitmap, ZeroResolutionSurvivesBmp) {
    TBitmap b(2, 2);
    b.SetResolution(0, 0);
    TMemoryStream s;
    b.SaveToStream(s);
    s.SetPosition(0);
    TBitmap back;
    back.LoadFromStream(s);
    EXPECT_EQ(back.ResolutionX(), 0);
    EXPECT_EQ(back.Canvas()->GetDeviceCaps(LOGPIXELSY), 0);
}

TEST(Bitmap, DamagedFilesRaise) {
    struct Case {
        const char* Name;
        std::string Bytes;
        const char* Message;
    };
    TBitmap good(4, 4);
    TMemoryStream s;
    good.SaveToStream(s);
    std::string whole(reinterpret_cast<const char*>(s.Memory()), static_cast<size_t>(s.Size()));
    std::string huge = whole;
    huge[18] = huge[19] = huge[20] = 0;
    huge[21] = 0x7F;  // width about 2 billion
    std::vector<Case> cases{{"Garbage", "not a picture", GraphicsConst::SInvalidBitmap},
                            {"Truncated", whole.substr(0, whole.size() - 10), GraphicsConst::SInvalidBitmap},
                            {"HeaderOnly", whole.substr(0, 20), GraphicsConst::SInvalidBitmap},
                            {"Huge", huge, GraphicsConst::SInvalidImageSize}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TStringStream in(c.Bytes);
        TBitmap b;
        try {
            b.LoadFromStream(in);
            FAIL();
        } catch (const EInvalidGraphic& e) {
            EXPECT_EQ(e.Message(), c.Message);
        }
    }
}

TEST(Bitmap, PngThroughQtKeepsPixelsAndResolution) {
    std::string dir = TestFolder();
    TBitmap b(6, 6);
    b.SetResolution(200, 200);
    b.Canvas()->Brush()->SetColor(clTeal);
    b.Canvas()->FillRect({1, 1, 4, 4});
    b.SaveToFile(dir + "p.png");
    std::string bytes = ReadFileBytes(dir + "p.png");
    EXPECT_EQ(bytes.substr(1, 3), "PNG");
    TBitmap back;
    back.LoadFromFile(dir + "p.png");
    EXPECT_EQ(back.ResolutionX(), 200);
    EXPECT_EQ(back.Canvas()->Pixel(2, 2), clTeal);
    EXPECT_EQ(back.Canvas()->Pixel(5, 5), clWhite);
}

TEST(Bitmap, TransparentDrawSkipsTheBottomLeftColour) {
    TBitmap sprite(4, 4);
    sprite.Canvas()->Brush()->SetColor(clLime);
    sprite.Canvas()->FillRect({0, 0, 4, 4});
    sprite.Canvas()->Brush()->SetColor(clRed);
    sprite.Canvas()->FillRect({1, 0, 3, 2});
    EXPECT_EQ(sprite.TransparentColor(), clLime);
    sprite.SetTransparent(true);
    auto dest = WhiteBitmap(10, 10);
    dest->Canvas()->Draw(2, 2, &sprite);
    EXPECT_EQ(CountColor(*dest, clLime), 0);
    EXPECT_EQ(CountColor(*dest, clRed), 4);
    EXPECT_EQ(InkBox(*dest), (TRect{3, 2, 5, 4}));
    sprite.SetTransparentColor(clRed);
    auto other = WhiteBitmap(10, 10);
    other->Canvas()->StretchDraw({0, 0, 8, 8}, &sprite);
    EXPECT_EQ(CountColor(*other, clRed), 0);
    EXPECT_EQ(CountColor(*other, clLime), 64 - 16);
}

TEST(Bitmap, DrawOntoItselfAndAssign) {
    TBitmap b(8, 8);
    b.Canvas()->Brush()->SetColor(clBlue);
    b.Canvas()->FillRect({0, 0, 4, 4});
    b.Canvas()->StretchDraw({4, 4, 8, 8}, &b);
    EXPECT_EQ(b.Canvas()->Pixel(5, 5), clBlue);
    TBitmap copy;
    b.SetResolution(123, 45);
    copy.Assign(&b);
    EXPECT_EQ(copy.Width(), 8);
    EXPECT_EQ(copy.ResolutionX(), 123);
    EXPECT_EQ(copy.Canvas()->Pixel(1, 1), clBlue);
    copy.Canvas()->SetPixel(1, 1, clRed);
    EXPECT_EQ(b.Canvas()->Pixel(1, 1), clBlue);
    copy.Assign(nullptr);
    EXPECT_TRUE(copy.Empty());
}

TEST(Bitmap, RecordingCanvasForwardsToItsBitmap) {
    TRecordingCanvas canvas(300, 300, {50, 40}, true);
    EXPECT_EQ(canvas.Bitmap()->ResolutionX(), 300);
    canvas.Brush()->SetColor(clBlack);
    canvas.FillRect({5, 5, 10, 20});
    canvas.Font()->SetHeight(12);
    canvas.TextOut(20, 5, "x");
    ASSERT_EQ(canvas.Calls().size(), 2u);
    EXPECT_EQ(canvas.Calls()[0].Kind, TRecordedKind::FillRect);
    EXPECT_EQ(canvas.Calls()[0].Brush.Color, clBlack);
    EXPECT_EQ(canvas.Calls()[1].Extent.cy, 12);
    EXPECT_EQ(CountColor(*canvas.Bitmap(), clBlack) >= 75, true);
    EXPECT_EQ(canvas.Pixel(6, 6), clBlack);
}

}  // namespace

#include <QPainter>
#include <random>

namespace {

// Bars are filled without QPainter's per-row cost; the pixels must be the ones
// QPainter's own fill gives, clip and edges included.
TEST(Bitmap, SolidFillsMatchQPainter) {
    std::mt19937 random(7);
    for (TPixelFormat format : {pfDevice, pf32bit, pf24bit, pf8bit}) {
        SCOPED_TRACE(format);
        TBitmap b(97, 61);
        b.SetPixelFormat(format);
        QImage expected = BitmapImage(b).convertToFormat(QImage::Format_RGB32);
        QPainter p(&expected);
        TCanvas* c = b.Canvas();
        for (int i = 0; i < 200; ++i) {
            int x1 = int(random() % 130) - 15, y1 = int(random() % 90) - 15;
            int x2 = int(random() % 130) - 15, y2 = int(random() % 90) - 15;
            TColor color = RGB(random() % 2 ? 255 : 0, random() % 2 ? 128 : 0, random() % 2 ? 255 : 0);
            if (i == 100) {
                c->IntersectClipRect({10, 5, 70, 50});
                p.setClipRect(QRect(10, 5, 60, 45));
            }
            c->Brush()->SetColor(color);
            c->FillRect({x1, y1, x2, y2});
            TRect n = TRect{x1, y1, x2, y2}.Normalized();
            p.fillRect(QRect(n.Left, n.Top, n.Width(), n.Height()), QColor(GetRValue(color), GetGValue(color), GetBValue(color)));
        }
        p.end();
        if (format == pf8bit) expected = expected.convertToFormat(QImage::Format_Indexed8, BitmapImage(b).colorTable()).convertToFormat(QImage::Format_RGB32);
        EXPECT_TRUE(BitmapImage(b).convertToFormat(QImage::Format_RGB32) == expected);
    }
}

}  // namespace
