#include <gtest/gtest.h>

#include "platform/graphics/RecordingDevice.h"
#include "tests/platform/graphics/TestImages.h"

namespace {

// ---------------------------------------------------------------- map modes

struct MappingRow {
    const char* Name;
    int MapMode;
    int Dpi;
    TPoint Viewport;
    TPoint Window;
    TPoint Logical;
    TPoint Device;
};

class Mapping : public ::testing::TestWithParam<MappingRow> {};

TEST_P(Mapping, LogicalPointsBecomeDevicePixels) {
    const MappingRow& row = GetParam();
    TRecordingCanvas canvas(row.Dpi, row.Dpi);
    canvas.SetMapMode(row.MapMode);
    canvas.SetViewportOrgEx(row.Viewport.X, row.Viewport.Y);
    canvas.SetWindowOrgEx(row.Window.X, row.Window.Y);
    EXPECT_EQ(canvas.LPtoDP(row.Logical), row.Device);
    canvas.Brush()->SetColor(clBlack);
    canvas.FillRect({row.Logical.X, row.Logical.Y, row.Logical.X + 100, row.Logical.Y + 100});
    auto fills = canvas.Calls(TRecordedKind::FillRect);
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_TRUE(fills[0].Rect.Left == row.Device.X || fills[0].Rect.Right == row.Device.X);
}

INSTANTIATE_TEST_SUITE_P(
    Canvas, Mapping,
    ::testing::Values(
        MappingRow{"Text", MM_TEXT, 96, {}, {}, {10, 20}, {10, 20}},
        MappingRow{"TextViewport", MM_TEXT, 96, {-30, -40}, {}, {10, 20}, {-20, -20}},
        MappingRow{"TextWindow", MM_TEXT, 96, {5, 5}, {10, 10}, {10, 20}, {5, 15}},
        // 1 cm at 600 dpi: round(100 x 600 / 254) = 236; y grows upwards.
        MappingRow{"LoMetric600", MM_LOMETRIC, 600, {}, {}, {100, -100}, {236, 236}},
        MappingRow{"LoMetricViewport", MM_LOMETRIC, 600, {-50, -60}, {}, {100, -100}, {186, 176}},
        MappingRow{"HiMetric2540", MM_HIMETRIC, 2540, {}, {}, {1000, -2000}, {1000, 2000}},
        MappingRow{"HiMetric300", MM_HIMETRIC, 300, {}, {}, {2540, 0}, {300, 0}},
        // Modes other than the metric two are stored but draw as MM_TEXT.
        MappingRow{"Anisotropic", MM_ANISOTROPIC, 600, {}, {}, {100, 100}, {100, 100}},
        MappingRow{"Twips", MM_TWIPS, 600, {}, {}, {7, 9}, {7, 9}}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(Canvas, MapModeIsStoredAndReported) {
    TRecordingCanvas canvas(600, 600);
    EXPECT_EQ(canvas.GetMapMode(), MM_TEXT);
    EXPECT_EQ(canvas.SetMapMode(MM_ANISOTROPIC), MM_TEXT);
    EXPECT_EQ(canvas.GetMapMode(), MM_ANISOTROPIC);
    EXPECT_EQ(canvas.SetMapMode(MM_LOMETRIC), MM_ANISOTROPIC);
    EXPECT_EQ(canvas.DPtoLP(TPoint{236, 236}), (TPoint{100, -100}));
}

TEST(Canvas, MetricRectangleFillsTheSamePixelsAsItsDeviceRectangle) {
    TRecordingCanvas canvas(254, 254, {200, 200}, true);
    canvas.SetMapMode(MM_LOMETRIC);
    canvas.Brush()->SetColor(clBlack);
    canvas.FillRect({10, -10, 30, -50});  // 1 unit = 1 pixel at 254 dpi
    auto fills = canvas.Calls(TRecordedKind::FillRect);
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_EQ(fills[0].Rect, (TRect{10, 10, 30, 50}));
    EXPECT_EQ(InkBox(*canvas.Bitmap()), (TRect{10, 10, 30, 50}));
}

TEST(Canvas, ReversedCornersFillTheSamePixels) {
    auto straight = WhiteBitmap(40, 40);
    auto reversed = WhiteBitmap(40, 40);
    straight->Canvas()->Brush()->SetColor(clBlue);
    reversed->Canvas()->Brush()->SetColor(clBlue);
    straight->Canvas()->FillRect({5, 7, 20, 30});
    reversed->Canvas()->FillRect({20, 30, 5, 7});
    EXPECT_EQ(InkBox(*straight, clWhite), (TRect{5, 7, 20, 30}));
    EXPECT_EQ(InkBox(*reversed, clWhite), (TRect{5, 7, 20, 30}));
    EXPECT_EQ(CountColor(*reversed, clBlue), 15 * 23);
}

// ---------------------------------------------------------------- text anchors

TEST(Canvas, TextOutHandsTheAnchorAndAlignmentToTheDevice) {
    TRecordingCanvas canvas(600, 600);
    canvas.Font()->SetName("Arial");
    canvas.Font()->SetHeight(50);
    canvas.Font()->SetColor(clRed);
    canvas.Font()->SetStyle(fsBold);
    canvas.Font()->SetOrientation(900);
    canvas.SetTextAlign(TA_CENTER | TA_TOP);
    canvas.SetViewportOrgEx(-10, -20);
    canvas.TextOut(100, 200, "123");
    auto texts = canvas.Calls(TRecordedKind::TextOut);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].Anchor, (TPoint{90, 180}));
    EXPECT_EQ(texts[0].Align, TA_CENTER | TA_TOP);
    EXPECT_EQ(texts[0].Font.Name, "Arial");
    EXPECT_EQ(texts[0].Font.Height, 50);
    EXPECT_EQ(texts[0].Font.Escapement, 900);
    EXPECT_EQ(texts[0].Font.Style, fsBold);
    EXPECT_EQ(texts[0].Font.Color, clRed);
    EXPECT_EQ(texts[0].Text, "123");
}

TEST(Canvas, MetricFontHeightsAreConvertedToPixels) {
    TRecordingCanvas canvas(600, 600);
    canvas.SetMapMode(MM_LOMETRIC);
    canvas.Font()->SetHeight(-50);  // 5 mm em height
    canvas.TextOut(0, 0, "x");
    EXPECT_EQ(canvas.Calls(TRecordedKind::TextOut)[0].Font.Height, -118);  // round(50 x 600 / 254)
    // Text extent comes back in map units.
    EXPECT_NEAR(canvas.TextHeight("Ay"), -canvas.Font()->Height() * 1.117, 2);
}

struct AnchorRow {
    const char* Name;
    uint32_t Align;
    int Escapement;
    // Where the ink lies relative to the anchor (100, 100), in units of the
    // text width W and cell height H: box = anchor + (l*W + lh*H, t*W + th*H) .. (r*W + rh*H, b*W + bh*H)
    double L, LH, T, TH, R, RH, B, BH;
};

class TextAnchor : public ::testing::TestWithParam<AnchorRow> {};

TEST_P(TextAnchor, InkLiesWhereTheAlignmentAndRotationPutIt) {
    const AnchorRow& row = GetParam();
    auto bitmap = WhiteBitmap(200, 200);
    TCanvas* c = bitmap->Canvas();
    c->Font()->SetName("Arial");
    c->Font()->SetHeight(24);
    c->Font()->SetColor(clBlack);
    c->Font()->SetOrientation(row.Escapement);
    c->Brush()->SetStyle(bsClear);
    c->SetTextAlign(row.Align);
    const std::string text = "HHHH";
    double w = c->TextWidth(text), h = c->TextHeight(text);
    c->TextOut(100, 100, text);
    TRect ink = InkBox(*bitmap);
    ASSERT_FALSE(IsRectEmpty(ink));
    TRect expect{static_cast<int>(100 + row.L * w + row.LH * h), static_cast<int>(100 + row.T * w + row.TH * h),
                 static_cast<int>(100 + row.R * w + row.RH * h), static_cast<int>(100 + row.B * w + row.BH * h)};
    // Glyphs sit inside their cell: ink is within the cell box, touching it
    // within a few pixels of side bearing and internal leading.
    const int slack = 6;
    EXPECT_GE(ink.Left, expect.Left - 1) << "ink " << ink.Left << "," << ink.Top << "," << ink.Right << "," << ink.Bottom;
    EXPECT_LE(ink.Left, expect.Left + slack);
    EXPECT_GE(ink.Top, expect.Top - 1);
    EXPECT_LE(ink.Top, expect.Top + slack);
    EXPECT_LE(ink.Right, expect.Right + 1);
    EXPECT_GE(ink.Right, expect.Right - slack);
    EXPECT_LE(ink.Bottom, expect.Bottom + 1);
    EXPECT_GE(ink.Bottom, expect.Bottom - slack);
}

// Capital H has no descender: the ink ends at the baseline, about 0.8 H.
constexpr double kBase = 0.81;
INSTANTIATE_TEST_SUITE_P(
    Canvas, TextAnchor,
    ::testing::Values(AnchorRow{"LeftTop", TA_LEFT | TA_TOP, 0, 0, 0, 0, 0.2, 1, 0, 0, kBase},
                      AnchorRow{"CenterTop", TA_CENTER | TA_TOP, 0, -0.5, 0, 0, 0.2, 0.5, 0, 0, kBase},
                      AnchorRow{"RightTop", TA_RIGHT | TA_TOP, 0, -1, 0, 0, 0.2, 0, 0, 0, kBase},
                      AnchorRow{"LeftBaseline", TA_LEFT | TA_BASELINE, 0, 0, 0, 0, 0.2 - kBase, 1, 0, 0, 0},
                      AnchorRow{"LeftBottom", TA_LEFT | TA_BOTTOM, 0, 0, 0, 0, 0.2 - 1, 1, 0, 0, kBase - 1},
                      // Turned counter-clockwise: the line runs upwards, the glyphs' tops face left.
                      AnchorRow{"CenterTop90", TA_CENTER | TA_TOP, 900, 0, 0.2, -0.5, 0, 0, kBase, 0.5, 0},
                      AnchorRow{"LeftTop180", TA_LEFT | TA_TOP, 1800, -1, 0, 0, -kBase, 0, 0, 0, -0.2},
                      AnchorRow{"CenterTop270", TA_CENTER | TA_TOP, 2700, 0, -kBase, -0.5, 0, 0, -0.2, 0.5, 0}),
    [](const auto& info) { return std::string(info.param.Name); });

// ---------------------------------------------------------------- background mode

TEST(Canvas, BrushDecidesTheBackgroundModeAtTheNextDraw) {
    TRecordingCanvas canvas;
    auto last = [&] { return canvas.Calls(TRecordedKind::TextOut).back(); };
    canvas.TextOut(0, 0, "a");
    EXPECT_TRUE(last().Opaque);
    EXPECT_EQ(last().Background, clWhite);

    canvas.Brush()->SetColor(clRed);
    canvas.TextOut(0, 0, "b");
    EXPECT_TRUE(last().Opaque);
    EXPECT_EQ(last().Background, clRed);

    canvas.Brush()->SetStyle(bsClear);
    canvas.TextOut(0, 0, "c");
    EXPECT_FALSE(last().Opaque);

    // An explicit mode after the brush change wins.
    canvas.Brush()->SetColor(clYellow);
    canvas.SetBkMode(TRANSPARENT);
    canvas.TextOut(0, 0, "d");
    EXPECT_FALSE(last().Opaque);

    // A brush change after an explicit mode decides again.
    canvas.Brush()->SetColor(clLime);
    canvas.TextOut(0, 0, "e");
    EXPECT_TRUE(last().Opaque);
    EXPECT_EQ(last().Background, clLime);

    canvas.SetBkColor(clBlue);
    canvas.TextOut(0, 0, "f");
    EXPECT_EQ(last().Background, clBlue);
    EXPECT_EQ(canvas.GetBkColor(), clBlue);
}

TEST(Canvas, EngineTextSequenceDrawsTransparentText) {
    // Brush white and clear, background white and transparent, as the barcode draw leaves it.
    TRecordingCanvas canvas;
    canvas.Brush()->SetColor(clWhite);
    canvas.Brush()->SetStyle(bsClear);
    canvas.SetBkColor(clWhite);
    canvas.SetBkMode(TRANSPARENT);
    canvas.TextOut(0, 0, "1");
    EXPECT_FALSE(canvas.Calls(TRecordedKind::TextOut)[0].Opaque);
    EXPECT_EQ(canvas.GetBkMode(), TRANSPARENT);
}

TEST(Canvas, NoneColourMakesTheBrushClear) {
    TRecordingCanvas canvas;
    canvas.Brush()->SetColor(clNone);
    EXPECT_EQ(canvas.Brush()->Style(), bsClear);
    canvas.FillRect({0, 0, 5, 5});
    EXPECT_TRUE(canvas.Calls(TRecordedKind::FillRect).empty());
    canvas.Brush()->SetColor(clGreen);
    EXPECT_EQ(canvas.Brush()->Style(), bsSolid);
}

TEST(Canvas, OpaqueTextFillsItsCellWithTheBackground) {
    auto bitmap = WhiteBitmap(100, 60);
    TCanvas* c = bitmap->Canvas();
    c->Font()->SetHeight(20);
    c->Brush()->SetColor(clYellow);
    c->TextOut(10, 10, "ab");
    TSize extent = c->TextExtent("ab");
    EXPECT_EQ(InkBox(*bitmap), (TRect{10, 10, 10 + extent.cx, 30}));
}

// ---------------------------------------------------------------- clip and saved state

TEST(Canvas, ClipIntersectsAndRestores) {
    auto bitmap = WhiteBitmap(50, 50);
    TCanvas* c = bitmap->Canvas();
    c->Brush()->SetColor(clBlack);
    int saved = c->SaveDC();
    c->IntersectClipRect({10, 10, 40, 40});
    c->IntersectClipRect({20, 0, 50, 30});
    EXPECT_EQ(c->ClipRect(), (TRect{20, 10, 40, 30}));
    c->FillRect({0, 0, 50, 50});
    EXPECT_EQ(InkBox(*bitmap), (TRect{20, 10, 40, 30}));
    c->RestoreDC(saved);
    EXPECT_EQ(c->ClipRect(), (TRect{0, 0, 50, 50}));
    c->Brush()->SetColor(clRed);
    c->FillRect({0, 45, 50, 50});
    EXPECT_EQ(CountColor(*bitmap, clRed), 250);
}

TEST(Canvas, RestoreDCBringsBackEveryState) {
    TRecordingCanvas canvas(300, 300);
    canvas.Font()->SetName("Arial");
    canvas.Brush()->SetColor(clRed);
    int saved = canvas.SaveDC();
    canvas.SetMapMode(MM_LOMETRIC);
    canvas.SetViewportOrgEx(5, 6);
    canvas.SetTextAlign(TA_RIGHT | TA_BASELINE);
    canvas.Font()->SetName("Courier New");
    canvas.Brush()->SetStyle(bsClear);
    canvas.SetBkMode(TRANSPARENT);
    canvas.SaveDC();
    canvas.RestoreDC(saved);
    EXPECT_EQ(canvas.GetMapMode(), MM_TEXT);
    EXPECT_EQ(canvas.GetViewportOrg(), (TPoint{0, 0}));
    EXPECT_EQ(canvas.GetTextAlign(), TA_LEFT | TA_TOP);
    EXPECT_EQ(canvas.Font()->Name(), "Arial");
    EXPECT_EQ(canvas.Brush()->Color(), clRed);
    EXPECT_EQ(canvas.GetBkMode(), OPAQUE);
    EXPECT_EQ(canvas.GetBkColor(), clRed);
}

TEST(Canvas, DeviceCaps) {
    TRecordingCanvas canvas(600, 300, {4800, 3000});
    canvas.Recorder().SetPhysical({5100, 3300}, {150, 120});
    EXPECT_EQ(canvas.GetDeviceCaps(LOGPIXELSX), 600);
    EXPECT_EQ(canvas.GetDeviceCaps(LOGPIXELSY), 300);
    EXPECT_EQ(canvas.GetDeviceCaps(HORZRES), 4800);
    EXPECT_EQ(canvas.GetDeviceCaps(VERTRES), 3000);
    EXPECT_EQ(canvas.GetDeviceCaps(BITSPIXEL), 32);
    EXPECT_EQ(canvas.GetDeviceCaps(PLANES), 1);
    EXPECT_EQ(canvas.GetDeviceCaps(PHYSICALWIDTH), 5100);
    EXPECT_EQ(canvas.GetDeviceCaps(PHYSICALHEIGHT), 3300);
    EXPECT_EQ(canvas.GetDeviceCaps(PHYSICALOFFSETX), 150);
    EXPECT_EQ(canvas.GetDeviceCaps(PHYSICALOFFSETY), 120);
    EXPECT_EQ(canvas.GetDeviceCaps(HORZSIZE), 203);
    TRecordingCanvas zero(0, 0);
    EXPECT_EQ(zero.GetDeviceCaps(LOGPIXELSX), 0);
    EXPECT_EQ(zero.GetDeviceCaps(LOGPIXELSY), 0);
    EXPECT_GT(zero.TextHeight("Ay"), 0);  // measuring needs no resolution
    TCanvas none;
    EXPECT_EQ(none.GetDeviceCaps(LOGPIXELSY), 96);
    none.FillRect({0, 0, 10, 10});  // draws nothing, raises nothing
}

// ---------------------------------------------------------------- shapes

TEST(Canvas, LinesLeaveOutTheirLastPoint) {
    auto bitmap = WhiteBitmap(30, 30);
    TCanvas* c = bitmap->Canvas();
    c->Pen()->SetColor(clBlack);
    c->MoveTo(2, 5);
    c->LineTo(12, 5);
    EXPECT_EQ(InkBox(*bitmap), (TRect{2, 5, 12, 6}));
    EXPECT_EQ(c->PenPos(), (TPoint{12, 5}));
}

TEST(Canvas, RectangleOutlinesWithThePenAndFillsWithTheBrush) {
    auto bitmap = WhiteBitmap(30, 30);
    TCanvas* c = bitmap->Canvas();
    c->Pen()->SetColor(clBlack);
    c->Brush()->SetColor(clRed);
    c->Rectangle(2, 3, 12, 10);
    EXPECT_EQ(InkBox(*bitmap), (TRect{2, 3, 12, 10}));
    EXPECT_EQ(CountColor(*bitmap, clRed), 8 * 5);
    EXPECT_EQ(CountColor(*bitmap, clBlack), 10 * 7 - 8 * 5);
    // Without a pen the fill is one pixel smaller each way.
    auto bare = WhiteBitmap(30, 30);
    bare->Canvas()->Pen()->SetStyle(psClear);
    bare->Canvas()->Brush()->SetColor(clRed);
    bare->Canvas()->Rectangle(2, 3, 12, 10);
    EXPECT_EQ(InkBox(*bare), (TRect{2, 3, 11, 9}));
}

TEST(Canvas, FrameRectUsesTheBrush) {
    auto bitmap = WhiteBitmap(30, 30);
    TCanvas* c = bitmap->Canvas();
    c->Brush()->SetColor(clBlue);
    c->FrameRect({5, 5, 15, 12});
    EXPECT_EQ(InkBox(*bitmap), (TRect{5, 5, 15, 12}));
    EXPECT_EQ(CountColor(*bitmap, clBlue), 2 * 10 + 2 * 5);
}

TEST(Canvas, FocusRectDrawnTwiceLeavesNoTrace) {
    auto bitmap = WhiteBitmap(40, 40);
    TCanvas* c = bitmap->Canvas();
    c->Brush()->SetColor(clSilver);
    c->FillRect({0, 0, 40, 40});
    c->DrawFocusRect({5, 5, 30, 20});
    EXPECT_EQ(InkBox(*bitmap, clSilver), (TRect{5, 5, 30, 20}));
    c->DrawFocusRect({5, 5, 30, 20});
    EXPECT_TRUE(IsRectEmpty(InkBox(*bitmap, clSilver)));
}

TEST(Canvas, EllipsePolygonAndPolylineStayInsideTheirBounds) {
    auto bitmap = WhiteBitmap(60, 60);
    TCanvas* c = bitmap->Canvas();
    c->Brush()->SetColor(clRed);
    c->Ellipse(10, 10, 30, 20);
    EXPECT_EQ(InkBox(*bitmap), (TRect{10, 10, 30, 20}));
    auto poly = WhiteBitmap(60, 60);
    poly->Canvas()->Brush()->SetColor(clYellow);
    poly->Canvas()->Polygon({{5, 5}, {25, 5}, {15, 25}});
    EXPECT_EQ(InkBox(*poly), (TRect{5, 5, 26, 26}));
    EXPECT_GT(CountColor(*poly, clYellow), 100);
}

TEST(Canvas, PixelsReadAndWrite) {
    auto bitmap = WhiteBitmap(10, 10);
    TCanvas* c = bitmap->Canvas();
    c->SetPixel(3, 4, clRed);
    EXPECT_EQ(c->Pixel(3, 4), clRed);
    EXPECT_EQ(c->Pixel(4, 4), clWhite);
    EXPECT_EQ(c->Pixel(40, 4), -1);
}

TEST(Canvas, CopyRectAndBrushCopy) {
    auto source = WhiteBitmap(20, 20);
    source->Canvas()->Brush()->SetColor(clRed);
    source->Canvas()->FillRect({0, 0, 5, 5});
    auto dest = WhiteBitmap(20, 20);
    dest->Canvas()->CopyRect({10, 10, 15, 15}, *source->Canvas(), {0, 0, 5, 5});
    EXPECT_EQ(InkBox(*dest), (TRect{10, 10, 15, 15}));
    EXPECT_EQ(CountColor(*dest, clRed), 25);
    auto swapped = WhiteBitmap(20, 20);
    swapped->Canvas()->Brush()->SetColor(clBlue);
    swapped->Canvas()->BrushCopy({0, 0, 10, 10}, *source, {0, 0, 10, 10}, clRed);
    EXPECT_EQ(CountColor(*swapped, clBlue), 25);
}

TEST(Canvas, ChangeEventsSurroundEachDraw) {
    TRecordingCanvas canvas;
    std::vector<std::string> events;
    canvas.OnChanging = [&](TObject*) { events.push_back("changing"); };
    canvas.OnChange = [&](TObject*) { events.push_back("change"); };
    canvas.FillRect({0, 0, 1, 1});
    EXPECT_EQ(events, (std::vector<std::string>{"changing", "change"}));
}

TEST(Canvas, TextAlignUpdateCPMovesThePen) {
    TRecordingCanvas canvas;
    canvas.SetTextAlign(TA_UPDATECP);
    canvas.MoveTo(10, 20);
    canvas.TextOut(0, 0, "abc");
    auto texts = canvas.Calls(TRecordedKind::TextOut);
    EXPECT_EQ(texts[0].Anchor, (TPoint{10, 20}));
    EXPECT_EQ(canvas.PenPos().X, 10 + canvas.TextWidth("abc"));
}

}  // namespace
