// Symbol drawing through a recording canvas: bar rectangles, sizes and the
// texts the canvas was asked to draw.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <memory>

#include "engine/BarLL.h"
#include "engine/BarMessages.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/RecordingDevice.h"
#include "platform/runtime/SysUtils.h"

namespace {

struct TDraw {
    TLLBarcode bc;
    TRecordingCanvas canvas;
    TSize size;
    std::vector<TRecordedCall> rects;
    std::vector<TRecordedCall> texts;
    explicit TDraw(btCodeTypes type, std::string_view caption, int32_t dpi = 96) : canvas(dpi, dpi) {
        bc.Params->CodeType = type;
        bc.Params->Caption.Assign(caption);
    }
    void Draw(int32_t x = 0, int32_t y = 0) {
        canvas.Recorder().Clear();
        rects.clear();
        texts.clear();
        bc.DrawBarcode(canvas, x, y, &size);
        Collect();
    }
    void Collect() {
        rects = canvas.Calls(TRecordedKind::FillRect);
        texts = canvas.Calls(TRecordedKind::TextOut);
    }
    // Text height of the font the draw left on the canvas.
    int32_t T() { return canvas.TextHeight("Ay"); }
};

int DarkRuns(const std::string& modules) {
    int runs = 0;
    for (std::size_t i = 0; i < modules.size(); ++i)
        if (modules[i] == '1' && (i == 0 || modules[i - 1] == '0')) ++runs;
    return runs;
}

TEST(DrawBarcode, Ean13At96Dpi) {
    TDraw d(EAN_13, "400638133393");
    d.Draw();
    const int32_t T = d.T();
    EXPECT_NEAR(T, 13, 1);  // the font of height round(74 * 0.18)
    // W = x(95) + margin + px - X + 1 with x(i) = i - 1 + 10.
    EXPECT_EQ(d.size.cx, 116);
    EXPECT_EQ(d.size.cy, T + 70);  // T + round(74 * 0.9336) + 1

    const auto& rects = d.rects;
    ASSERT_EQ(rects.size(), 30u);
    EXPECT_EQ(rects[0].Rect, Rect(10, 0, 11, 74));  // guard bars reach H - cut
    EXPECT_EQ(rects[1].Rect, Rect(12, 0, 13, 74));
    EXPECT_EQ(rects[2].Rect, Rect(16, 0, 18, 68));  // '0' of set A at 4-10: data bars stop at round(74 * 0.917)
    EXPECT_EQ(rects[0].Brush.Color, clBlack);

    const auto& texts = d.texts;
    ASSERT_EQ(texts.size(), 3u);
    struct {
        const char* text;
        int32_t x;
    } expected[] = {{"4", 5}, {"006381", 34}, {"333931", 81}};
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(texts[i].Text, expected[i].text);
        EXPECT_EQ(texts[i].Anchor.X, expected[i].x);
        EXPECT_EQ(texts[i].Anchor.Y, 68);
        EXPECT_EQ(texts[i].Align, TA_CENTER | TA_TOP);
        EXPECT_EQ(texts[i].Font.Height, 13);
        EXPECT_EQ(texts[i].Font.Escapement, 0);
        EXPECT_EQ(texts[i].Font.Name, "Arial");
        EXPECT_FALSE(texts[i].Opaque);
    }
}

TEST(DrawBarcode, EveryDarkRunIsOneRectangle) {
    struct {
        btCodeTypes type;
        const char* caption;
    } rows[] = {{EAN_8, "9638507"}, {UPC_A, "03600029145"}, {UPC_E, "042100"}, {CODE39, "ABC"},
                {CODE25i, "1234"},  {CODE128_B, "Hi"},      {MSI_Plessey, "12"}, {Codabar, "1234"}};
    for (auto row : rows) {
        SCOPED_TRACE(row.caption);
        TDraw d(row.type, row.caption, 300);
        d.Draw(3, 4);
        EXPECT_EQ(static_cast<int>(d.rects.size()), DarkRuns(d.bc.ModuleString()));
    }
}

TEST(DrawBarcode, HeightPercentMovesTheBottom) {
    struct {
        int32_t percent, bottom;
    } rows[] = {{100, 74}, {200, 148}, {20, 15}};
    for (auto row : rows) {
        SCOPED_TRACE(row.percent);
        TDraw d(EAN_13, "400638133393");
        d.bc.Params->HeightPercent = row.percent;
        d.Draw();
        EXPECT_EQ(d.rects[0].Rect.Bottom, row.bottom);
        EXPECT_EQ(d.size.cy, d.T() + static_cast<int32_t>(Round(74 * 0.9336L - (74 - row.bottom))) + 1);
    }
}

TEST(DrawBarcode, WithoutTextHeightIsBarsOnly) {
    for (btCodeTypes type : {EAN_13, CODE39, Postnet}) {
        SCOPED_TRACE(static_cast<int>(type));
        TDraw d(type, "12345");
        d.bc.Params->HumanReadable = false;
        d.bc.Params->HeightPercent = 150;
        d.Draw();
        EXPECT_TRUE(d.texts.empty());
        const TBarMetrics m = d.bc.ComputeMetrics(96, 96);
        if (type == Postnet) EXPECT_EQ(d.size.cy, d.bc.ComputePostnetMetrics(96, 96).Tall + 1);
        else EXPECT_EQ(d.size.cy, m.H - m.Cut + 1);
    }
}

TEST(DrawBarcode, AddonBarsStartBelowItsText) {
    for (auto [addon, centre] : {std::pair{"52495", 128}, {"12", 115}}) {
        SCOPED_TRACE(addon);
        TDraw d(EAN_13, "400638133393");
        d.bc.Params->Addon.Assign(addon);
        d.Draw(20, 30);
        const int32_t T = d.T();
        const int32_t firstAddonX = d.bc.ModuleX[105];
        const auto it = std::find_if(d.rects.begin(), d.rects.end(),
                                     [&](const TRecordedCall& r) { return r.Rect.Left == firstAddonX; });
        ASSERT_NE(it, d.rects.end());
        EXPECT_EQ(it->Rect.Top, 30 + T + 1);
        EXPECT_EQ(it->Rect.Bottom, 30 + 74);
        const TRecordedCall& text = d.texts.back();
        EXPECT_EQ(text.Text, addon);
        EXPECT_EQ(text.Anchor.X, d.bc.ModuleX[static_cast<std::size_t>(centre)]);
        EXPECT_EQ(text.Anchor.Y, 30);
    }
}

TEST(DrawBarcode, AddonIgnoredOutsideEan13AndUpcA) {
    TDraw d(EAN_8, "9638507");
    d.bc.Params->Addon.Assign("12");
    d.Draw();
    EXPECT_EQ(d.bc.ModuleCount, 67);
    EXPECT_EQ(d.texts.size(), 2u);
}

TEST(DrawBarcode, WidthReduceAndZoomSize) {
    TDraw d(CODE39, "1", 300);
    d.bc.Params->WidthReduce = true;
    d.Draw();
    // At 300 dpi px = 4: the narrow first bar of '*' is 4 wide, one less.
    EXPECT_EQ(d.rects[0].Rect, Rect(0, 0, 3, 225));  // H = round(56.24 * 4)
    d.bc.Params->WidthReduce = false;
    d.bc.Params->ZoomSize = true;
    d.Draw();
    // Modules at round(0.33 * (i - 1) * 11.811): the wide bar at module 7
    // spans 3 modules, round(0.33 * 3 * 11.811) = 12 pixels.
    EXPECT_EQ(d.rects[1].Rect.Left, 16);
    EXPECT_EQ(d.rects[2].Rect.Left, 23);
    EXPECT_EQ(d.rects[2].Rect.Width(), 12);
    EXPECT_EQ(d.rects[2].Rect.Bottom, 219);
}

struct TTextCase {
    const char* name;
    btCodeTypes type;
    std::string caption;
    std::vector<std::string> texts;
};

void PrintTo(const TTextCase& c, std::ostream* os) { *os << c.name; }

class DrawBarcodeText : public ::testing::TestWithParam<TTextCase> {};

TEST_P(DrawBarcodeText, PiecesAsPrepared) {
    const TTextCase& c = GetParam();
    TDraw d(c.type, c.caption);
    d.Draw();
    std::vector<std::string> texts;
    for (const auto& t : d.texts) texts.push_back(t.Text);
    EXPECT_EQ(texts, c.texts);
    if (c.type != EAN_13 && c.type != UPC_A && !d.texts.empty()) {
        const TBarMetrics m = d.bc.ComputeMetrics(96, 96);
        const TRecordedCall& t = d.texts.front();
        EXPECT_EQ(t.Font.Height, static_cast<int32_t>(Round(m.H * 74.24L / 56.24L * 0.18L)));
        if (c.type != EAN_8 && c.type != UPC_E) {
            EXPECT_EQ(t.Anchor.X, d.bc.ModuleX[static_cast<std::size_t>(d.bc.ModuleCount / 2)]);
            EXPECT_EQ(t.Anchor.Y, m.H - m.Cut);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DrawBarcodeText,
    ::testing::Values(
        TTextCase{"Ean8", EAN_8, "9638507", {"9638", "5074"}},
        TTextCase{"UpcA", UPC_A, "03600029145", {"0", "36000", "29145", "2"}},
        TTextCase{"UpcEWithoutCheck", UPC_E, "042100", {"042100"}},
        TTextCase{"Code39WithoutStars", CODE39, "abc", {"ABC"}},
        TTextCase{"CodabarWithoutStartStop", Codabar, "a1b2", {"102"}},
        TTextCase{"Code25iWithCheck", CODE25i, "123", {"1236"}},
        TTextCase{"Code25iPGrouped", CODE25iP, "12345678901", {"12.34567   8901   6"}},
        TTextCase{"MsiWithCheck", MSI_Plessey, "1234567", {"12345674"}},
        TTextCase{"Code128C", CODE128_C, "12345", {"12345"}},
        TTextCase{"Code39StarInDataAsZero", CODE39, "A*B", {"A0B"}},
        // A switch to the set in use shows nothing, as it encodes nothing.
        TTextCase{"Code128CSwitchToCurrentSet", CODE128_C, "12\x83" "34", {"1234"}},
        TTextCase{"Code128ASwitchToCurrentSet", CODE128_A, "A\x85" "B", {"AB"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DrawBarcode, UpcALastDigitBesideTheSymbol) {
    TDraw d(UPC_A, "03600029145");
    d.Draw(5, 0);
    // x(95) + px + margin div 2 = 5 + 10 + 94 + 1 + 5.
    EXPECT_EQ(d.texts.back().Anchor.X, 115);
    EXPECT_EQ(d.texts.front().Anchor.X, 10);
}

// Rotation of a point of the unrotated box, counter-clockwise like the text.
TPoint Rotated(btCodeRotate r, int32_t X, int32_t Y, int32_t W, int32_t H2, int32_t u, int32_t v) {
    switch (r) {
        case rotate_090: return {X + v, Y + W - u};
        case rotate_180: return {X + W - u, Y + H2 - v};
        case rotate_270: return {X + H2 - v, Y + u};
        default: return {X + u, Y + v};
    }
}

TEST(DrawBarcode, RotationTurnsBarsTextAndSize) {
    const int32_t X = 7, Y = 11;
    TDraw base(EAN_13, "400638133393");
    base.bc.Params->Addon.Assign("12");
    base.Draw(X, Y);
    const TSize size0 = base.size;
    const auto rects0 = base.rects;
    const auto texts0 = base.texts;
    for (btCodeRotate r : {rotate_090, rotate_180, rotate_270}) {
        SCOPED_TRACE(r);
        TDraw d(EAN_13, "400638133393");
        d.bc.Params->Addon.Assign("12");
        d.bc.Params->Rotation = r;
        d.Draw(X, Y);
        const bool turned = r != rotate_180;
        EXPECT_EQ(d.size.cx, turned ? size0.cy : size0.cx);
        EXPECT_EQ(d.size.cy, turned ? size0.cx : size0.cy);
        ASSERT_EQ(d.rects.size(), rects0.size());
        for (std::size_t i = 0; i < rects0.size(); ++i) {
            const TRect& a = rects0[i].Rect;
            const TPoint p = Rotated(r, X, Y, size0.cx, size0.cy, a.Left - X, a.Top - Y);
            const TPoint q = Rotated(r, X, Y, size0.cx, size0.cy, a.Right - X, a.Bottom - Y);
            EXPECT_EQ(d.rects[i].Rect, Rect(p.X, p.Y, q.X, q.Y).Normalized()) << i;
        }
        ASSERT_EQ(d.texts.size(), texts0.size());
        for (std::size_t i = 0; i < texts0.size(); ++i) {
            const TRecordedCall& t = d.texts[i];
            EXPECT_EQ(t.Font.Escapement, 900 * static_cast<int32_t>(r));
            EXPECT_EQ(t.Text, texts0[i].Text);
            EXPECT_EQ(t.Anchor, Rotated(r, X, Y, size0.cx, size0.cy, texts0[i].Anchor.X - X, texts0[i].Anchor.Y - Y));
        }
    }
}

TEST(DrawBarcode, CanvasStateAfterTheDraw) {
    TDraw d(EAN_13, "400638133393");
    TCanvas& c = d.canvas;
    c.Brush()->SetColor(clRed);
    c.Brush()->SetStyle(bsSolid);
    c.SetTextAlign(TA_RIGHT | TA_BASELINE);
    c.SetBkMode(OPAQUE);
    c.SetBkColor(clBlue);
    c.Font()->SetName("Liberation Serif");
    c.Font()->SetHeight(40);
    c.Font()->SetColor(clGreen);
    d.bc.Params->FontName = "Liberation Mono";
    d.Draw();
    EXPECT_EQ(c.Brush()->Color(), clRed);
    EXPECT_EQ(c.Brush()->Style(), bsSolid);
    EXPECT_EQ(c.GetTextAlign(), TA_RIGHT | TA_BASELINE);
    EXPECT_FALSE(d.texts[0].Opaque);  // texts go on transparently
    EXPECT_EQ(c.Font()->Name(), "Liberation Mono");
    EXPECT_EQ(c.Font()->Height(), 13);
    EXPECT_EQ(c.Font()->Orientation(), 0);
    EXPECT_EQ(d.texts[0].Font.Name, "Liberation Mono");
    EXPECT_EQ(d.texts[0].Font.Color, clGreen);  // the text keeps the canvas's colour
}

TEST(DrawBarcode, ZeroResolutionUsesTheScreen) {
    // A negative resolution is no resolution either.
    for (int32_t dpi : {0, -96}) {
        SCOPED_TRACE(dpi);
        TDraw zero(EAN_13, "400638133393", dpi);
        zero.Draw();
        TDraw screen(EAN_13, "400638133393", ScreenPixelsPerInch());
        screen.Draw();
        EXPECT_EQ(zero.size, screen.size);
        ASSERT_EQ(zero.rects.size(), screen.rects.size());
        EXPECT_EQ(zero.rects[5].Rect, screen.rects[5].Rect);
    }
}

// ---------------------------------------------------------------- positions and resolutions

constexpr int32_t MinPos = std::numeric_limits<int32_t>::min();
constexpr int32_t MaxPos = std::numeric_limits<int32_t>::max();

TRect Moved(TRect r, int32_t dx, int32_t dy) {
    OffsetRect(r, dx, dy);
    return r;
}

void ExpectOutOfRange(TDraw& d, int32_t x, int32_t y) {
    d.canvas.Brush()->SetColor(clRed);
    d.canvas.SetTextAlign(TA_RIGHT);
    d.size = {-1, -1};
    try {
        d.Draw(x, y);
        ADD_FAILURE() << "no exception";
    } catch (const EOverflow& e) {
        EXPECT_EQ(e.Message(), BarMessages::SOutOfRange);
    }
    // Refused before the first bar, and the canvas as it was.
    EXPECT_TRUE(d.canvas.Calls().empty());
    EXPECT_EQ(d.size, (TSize{-1, -1}));
    EXPECT_EQ(d.canvas.Brush()->Color(), clRed);
    EXPECT_EQ(d.canvas.GetTextAlign(), static_cast<uint32_t>(TA_RIGHT));
}

// At both ends of the canvas's coordinates a symbol is the one drawn at the
// origin, moved; one pixel further it is refused.
TEST(DrawBarcode, PositionsAtTheEndsOfTheCoordinates) {
    struct {
        btCodeTypes type;
        const char* caption;
        const char* addon;
    } rows[] = {{EAN_13, "400638133393", "52495"}, {CODE128_B, "Hi", ""}, {Postnet, "12345", ""}, {Postnet_FIM, "a", ""}};
    for (auto row : rows) {
        for (btCodeRotate r : {rotate_000, rotate_090, rotate_180, rotate_270}) {
            for (bool zoom : {false, true}) {
                SCOPED_TRACE(testing::Message() << row.caption << " " << static_cast<int>(r) << " " << zoom);
                TDraw d(row.type, row.caption, 300);
                d.bc.Params->Addon.Assign(row.addon);
                d.bc.Params->Rotation = r;
                d.bc.Params->ZoomSize = zoom;
                d.Draw();
                const TSize size0 = d.size;
                const auto rects0 = d.rects;
                const auto texts0 = d.texts;
                // The pixels farthest from the origin on either side (FIM's
                // last bar passes the drawn width by a pixel or two).
                int32_t lo = 0, hi = std::max(size0.cx, size0.cy);
                for (const auto& c : rects0) {
                    lo = std::min({lo, c.Rect.Left, c.Rect.Top});
                    hi = std::max({hi, c.Rect.Right, c.Rect.Bottom});
                }
                for (const auto& c : texts0) {
                    lo = std::min({lo, c.Anchor.X, c.Anchor.Y});
                    hi = std::max({hi, c.Anchor.X, c.Anchor.Y});
                }
                const int32_t first = MinPos - lo, last = MaxPos - hi;
                for (TPoint at : {TPoint{first, first}, TPoint{last, last}, TPoint{first, last}}) {
                    SCOPED_TRACE(testing::Message() << at.X << "," << at.Y);
                    ASSERT_NO_THROW(d.Draw(at.X, at.Y));
                    EXPECT_EQ(d.size, size0);
                    ASSERT_EQ(d.rects.size(), rects0.size());
                    for (std::size_t i = 0; i < rects0.size(); ++i)
                        EXPECT_EQ(d.rects[i].Rect, Moved(rects0[i].Rect, at.X, at.Y)) << i;
                    ASSERT_EQ(d.texts.size(), texts0.size());
                    for (std::size_t i = 0; i < texts0.size(); ++i)
                        EXPECT_EQ(d.texts[i].Anchor, (TPoint{texts0[i].Anchor.X + at.X, texts0[i].Anchor.Y + at.Y}));
                }
                ExpectOutOfRange(d, last + 1, 0);
                ExpectOutOfRange(d, 0, last + 1);
                if (lo < 0) ExpectOutOfRange(d, first - 1, first - 1);
            }
        }
    }
}

TEST(DrawBarcode, ExtremeResolutions) {
    struct {
        btCodeTypes type;
        int32_t dpiX, dpiY;
        bool drawn;
    } rows[] = {
        {EAN_13, 1, 1, true},              // modules never narrower than a pixel
        {EAN_13, 1, 600, true},            // 1-pixel modules, bars as tall as at 600 dpi
        {EAN_13, 100000, 100000, true},    // about 4 metres wide, still in range
        {EAN_13, MaxPos, MaxPos, false},   // 3.2 * 10^9 pixels wide
        {EAN_13, 1, MaxPos, false},        // bars taller than the coordinates
        {EAN_13, MaxPos, 1, false},
        {CODE39, 1, 1, true},
        {CODE39, MaxPos, MaxPos, false},
        {Postnet, 1, 1, true},
        {Postnet, MaxPos, MaxPos, false},
        {Postnet_FIM, 1, 1, true},
        {Postnet_FIM, MaxPos, MaxPos, true},  // nine positions, 1.1 * 10^9 pixels wide
    };
    for (auto row : rows) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(row.type) << " at " << row.dpiX << "x" << row.dpiY);
        TDraw d(row.type, "1234567");
        d.canvas.Recorder().SetResolution(row.dpiX, row.dpiY);
        if (row.drawn) {
            d.Draw(MinPos, MinPos);
            EXPECT_GT(d.size.cx, 0);
            EXPECT_GT(d.size.cy, 0);
            // Postnet's bars are 0 pixels wide below 1 pixel per 0.5 mm.
            EXPECT_EQ(d.rects.empty(), row.dpiX < 2 && (row.type == Postnet || row.type == Postnet_FIM));
        } else {
            ExpectOutOfRange(d, 0, 0);
        }
    }
}

TEST(DrawBarcode, ErrorsReachTheCallerAndSettingsStay) {
    TDraw d(CODE128_B, std::string("A\nB"));
    try {
        d.Draw();
        FAIL() << "no exception";
    } catch (const EOverflow& e) {
        EXPECT_EQ(e.Message(), BarMessages::SCode128Error);
    }
    EXPECT_EQ(d.bc.Params->Caption.Str(), "A\nB");
    EXPECT_TRUE(d.rects.empty());
    d.bc.Params->CodeType = static_cast<btCodeTypes>(20);
    EXPECT_THROW(d.Draw(), EOverflow);
}

TEST(DrawBarcode, NullSizeDrawsAndReturnsNothing) {
    TDraw d(CODE39, "X");
    d.bc.DrawBarcode(d.canvas, 0, 0, nullptr);
    d.Collect();
    EXPECT_FALSE(d.rects.empty());
}

TEST(DrawPostnet, LayoutAt600Dpi) {
    TDraw d(Postnet, "12345", 600);
    d.Draw(10, 20);
    const auto& rects = d.rects;
    ASSERT_EQ(rects.size(), 32u);
    const std::string modules = d.bc.ModuleString();
    for (std::size_t i = 0; i < rects.size(); ++i) {
        SCOPED_TRACE(i);
        const int32_t left = 10 + static_cast<int32_t>(Round(i * 600.0L / 22));
        EXPECT_EQ(rects[i].Rect, Rect(left, modules[i] == '1' ? 20 : 20 + 75 - 30, left + 12, 20 + 75));
    }
    ASSERT_EQ(d.texts.size(), 1u);
    const TRecordedCall& t = d.texts[0];
    EXPECT_EQ(t.Text, "123455");
    EXPECT_EQ(t.Anchor.X, (rects.front().Rect.Left + rects.back().Rect.Left) / 2);
    EXPECT_EQ(t.Anchor.Y, 20 + 75);
    EXPECT_EQ(t.Font.Height, 89);  // round(375 * 74.24 / 56.24 * 0.18)
    EXPECT_EQ(d.size.cx, rects.back().Rect.Left + 12 - 10 + 1);
    EXPECT_EQ(d.size.cy, d.T() + 75 + 1);
}

TEST(DrawPostnet, FimDrawsOnlyItsBars) {
    TDraw d(Postnet_FIM, "b", 600);
    d.Draw();
    const auto& rects = d.rects;
    ASSERT_EQ(rects.size(), 6u);  // 101101101
    const int32_t pitch = static_cast<int32_t>(Round(600 / 25.4L * 1.5875L));
    EXPECT_EQ(rects[0].Rect, Rect(0, 0, 19, 375));
    EXPECT_EQ(rects[1].Rect.Left, 2 * pitch);
    ASSERT_EQ(d.texts.size(), 1u);
    EXPECT_EQ(d.texts[0].Text, "FIM-B");
    EXPECT_EQ(d.texts[0].Font.Height, static_cast<int32_t>(Round(375 * 74.24L / 56.24L * 0.18L)));
}

TEST(DrawPostnet, IgnoresTheBarSettings) {
    TDraw a(Postnet, "12345", 300);
    a.Draw();
    TDraw b(Postnet, "12345", 300);
    b.bc.Params->ModuleSize = SC9;
    b.bc.Params->HighDensity = true;
    b.bc.Params->ZoomSize = true;
    b.bc.Params->WidthReduce = true;
    b.bc.Params->HeightPercent = 20;
    b.bc.Params->Ratio = Ratio_2;
    b.Draw();
    EXPECT_EQ(a.size, b.size);
    ASSERT_EQ(a.rects.size(), b.rects.size());
    for (std::size_t i = 0; i < a.rects.size(); ++i) EXPECT_EQ(a.rects[i].Rect, b.rects[i].Rect);
}

TEST(DrawPostnet, RotatedSizeIsExchanged) {
    TDraw a(Postnet, "12345", 300);
    a.Draw();
    TDraw b(Postnet, "12345", 300);
    b.bc.Params->Rotation = rotate_270;
    b.Draw();
    EXPECT_EQ(b.size.cx, a.size.cy);
    EXPECT_EQ(b.size.cy, a.size.cx);
    EXPECT_EQ(b.texts[0].Font.Escapement, 2700);
}

// ---------------------------------------------------------------- pixels

bool Dark(TBitmap& bitmap, int32_t x, int32_t y) { return (bitmap.Canvas()->Pixel(x, y) & 0xFFFFFF) == 0; }

std::unique_ptr<TBitmap> WhiteBitmap(int32_t w, int32_t h, int32_t dpi) {
    auto bitmap = std::make_unique<TBitmap>(w, h);
    bitmap->SetResolution(dpi, dpi);
    bitmap->Canvas()->Brush()->SetColor(clWhite);
    bitmap->Canvas()->FillRect(Rect(0, 0, w, h));
    return bitmap;
}

TEST(DrawPostnet, MeetsThePostalTolerancesAt600Dpi) {
    constexpr double dpi = 600;
    for (const char* caption : {"12345", "123456789", "12345678901"}) {
        SCOPED_TRACE(caption);
        TLLBarcode bc;
        bc.Params->CodeType = Postnet;
        bc.Params->Caption.Assign(caption);
        bc.Params->HumanReadable = false;
        auto bitmap = WhiteBitmap(1800, 140, 600);
        TSize size;
        bc.DrawBarcode(*bitmap->Canvas(), 20, 20, &size);
        // Every bar reaches the bottom line: widths and pitch from there.
        int32_t bottom = 20;
        while (Dark(*bitmap, 20, bottom + 1)) ++bottom;
        std::vector<int32_t> starts, widths;
        for (int32_t x = 0; x < bitmap->Width(); ++x) {
            if (!Dark(*bitmap, x, bottom)) continue;
            int32_t e = x;
            while (Dark(*bitmap, e + 1, bottom)) ++e;
            starts.push_back(x);
            widths.push_back(e - x + 1);
            x = e;
        }
        ASSERT_EQ(static_cast<int32_t>(starts.size()), bc.ModuleCount);
        for (int32_t w : widths) {
            EXPECT_GE(w / dpi, 0.015);
            EXPECT_LE(w / dpi, 0.025);
        }
        const double perInch = (starts.size() - 1) / ((starts.back() - starts.front()) / dpi);
        EXPECT_GE(perInch, 20);
        EXPECT_LE(perInch, 24);
        for (std::size_t i = 0; i < starts.size(); ++i) {
            const int32_t x = starts[i] + widths[i] / 2;
            int32_t height = 0;
            for (int32_t y = 0; y <= bottom; ++y) height += Dark(*bitmap, x, y) ? 1 : 0;
            const double inches = height / dpi;
            if (bc.Modules[i + 1]) {
                EXPECT_GE(inches, 0.115) << i;
                EXPECT_LE(inches, 0.135) << i;
            } else {
                EXPECT_GE(inches, 0.040) << i;
                EXPECT_LE(inches, 0.060) << i;
            }
        }
    }
}

// Each rotation turns the bar pixels of the unrotated symbol counter-clockwise.
TEST(DrawBarcode, RotatedPixelsAreTheTurnedSymbol) {
    for (btCodeTypes type : {EAN_13, CODE39, Postnet}) {
        SCOPED_TRACE(static_cast<int>(type));
        TLLBarcode bc;
        bc.Params->CodeType = type;
        bc.Params->Caption.Assign(type == CODE39 ? "AZ" : "400638133393");
        bc.Params->Addon.Assign("12");
        bc.Params->HumanReadable = false;
        auto upright = WhiteBitmap(500, 500, 150);
        TSize size0;
        bc.DrawBarcode(*upright->Canvas(), 0, 0, &size0);
        for (btCodeRotate r : {rotate_090, rotate_180, rotate_270}) {
            SCOPED_TRACE(static_cast<int>(r));
            bc.Params->Rotation = r;
            auto turned = WhiteBitmap(500, 500, 150);
            TSize size;
            bc.DrawBarcode(*turned->Canvas(), 0, 0, &size);
            const int32_t W = size0.cx, H2 = size0.cy;
            int mismatches = 0, dark = 0;
            for (int32_t v = 0; v < H2; ++v)
                for (int32_t u = 0; u < W; ++u) {
                    int32_t x = u, y = v;
                    if (r == rotate_090) x = v, y = W - 1 - u;
                    if (r == rotate_180) x = W - 1 - u, y = H2 - 1 - v;
                    if (r == rotate_270) x = H2 - 1 - v, y = u;
                    const bool d = Dark(*upright, u, v);
                    dark += d;
                    mismatches += d != Dark(*turned, x, y);
                }
            EXPECT_GT(dark, 100);
            EXPECT_EQ(mismatches, 0) << W << "x" << H2;
        }
        bc.Params->Rotation = rotate_000;
    }
}

}  // namespace
