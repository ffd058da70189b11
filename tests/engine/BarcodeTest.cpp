// The barcode controls: Bar_ properties and their checks, painting and
// sizing, printing in metric map modes.
#include "engine/Barcode.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <limits>

#include "engine/BarMessages.h"
#include "platform/controls/Forms.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/RecordingDevice.h"

namespace {

void ProcessEvents() {
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

template <class F>
void ExpectOverflow(F&& f, const char* message) {
    try {
        f();
        ADD_FAILURE() << "no exception, expected " << message;
    } catch (const EOverflow& e) {
        EXPECT_EQ(e.Message(), message);
    }
}

class BarcodeControl : public ::testing::Test {
protected:
    void SetUp() override {
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(0, 0, 600, 400);
        barcode = new TBarcode(form.get());
        barcode->SetParent(form.get());
    }
    void Show() {
        form->Show();
        ProcessEvents();
    }
    std::unique_ptr<TForm> form;
    TBarcode* barcode = nullptr;
};

TEST_F(BarcodeControl, InitialValues) {
    EXPECT_EQ(barcode->Width(), 69);
    EXPECT_EQ(barcode->Height(), 66);
    EXPECT_EQ(barcode->Bar_Caption(), "4711");
    EXPECT_EQ(barcode->Bar_CodeAddon(), "");
    EXPECT_EQ(barcode->Bar_CodeType(), EAN_8);
    EXPECT_EQ(barcode->Bar_ModuleWidth(), SC2);
    EXPECT_EQ(barcode->Bar_Rotation(), rotate_000);
    EXPECT_EQ(barcode->Bar_Ratio(), Ratio_3);
    EXPECT_EQ(barcode->Bar_HeightPercent(), 100);
    EXPECT_EQ(barcode->Bar_Fontname(), "Arial");
    EXPECT_EQ(barcode->Bar_Fontscaling(), 100);
    EXPECT_FALSE(barcode->Bar_WidthReduce());
    EXPECT_FALSE(barcode->Bar_HighDensity());
    EXPECT_TRUE(barcode->Bar_HumanReadable());
    EXPECT_FALSE(barcode->Bar_ZoomSize());
    EXPECT_TRUE(barcode->AutoSize());
    EXPECT_EQ(TCustomBarcode::DefaultModuleWidth, SC0);
}

TEST_F(BarcodeControl, FirstPaintTakesTheSymbolsSize) {
    TRecordingCanvas rc(96, 96);
    TSize expected;
    barcode->DrawOnCanvas(rc, 0, 0, &expected);
    EXPECT_EQ(expected.cx, 68);  // EAN-8 of "4711" at 96 dpi: 67 modules + 1
    Show();
    ASSERT_GT(barcode->PaintCount(), 0);
    EXPECT_EQ(barcode->Width(), expected.cx);
    EXPECT_EQ(barcode->Height(), expected.cy);
}

TEST_F(BarcodeControl, EverySetterRepaintsEvenWithTheSameValue) {
    Show();
    struct {
        const char* name;
        std::function<void()> set;
    } setters[] = {
        {"CodeType", [&] { barcode->SetBar_CodeType(barcode->Bar_CodeType()); }},
        {"Caption", [&] { barcode->SetBar_Caption(barcode->Bar_Caption()); }},
        {"Addon", [&] { barcode->SetBar_CodeAddon(barcode->Bar_CodeAddon()); }},
        {"ModuleWidth", [&] { barcode->SetBar_ModuleWidth(barcode->Bar_ModuleWidth()); }},
        {"Rotation", [&] { barcode->SetBar_Rotation(barcode->Bar_Rotation()); }},
        {"Ratio", [&] { barcode->SetBar_Ratio(barcode->Bar_Ratio()); }},
        {"HeightPercent", [&] { barcode->SetBar_HeightPercent(barcode->Bar_HeightPercent()); }},
        {"Fontname", [&] { barcode->SetBar_Fontname(barcode->Bar_Fontname()); }},
        {"Fontscaling", [&] { barcode->SetBar_Fontscaling(barcode->Bar_Fontscaling()); }},
        {"WidthReduce", [&] { barcode->SetBar_WidthReduce(barcode->Bar_WidthReduce()); }},
        {"HighDensity", [&] { barcode->SetBar_HighDensity(barcode->Bar_HighDensity()); }},
        {"HumanReadable", [&] { barcode->SetBar_HumanReadable(barcode->Bar_HumanReadable()); }},
        {"ZoomSize", [&] { barcode->SetBar_ZoomSize(barcode->Bar_ZoomSize()); }},
    };
    for (auto& s : setters) {
        SCOPED_TRACE(s.name);
        const int32_t before = barcode->PaintCount();
        s.set();
        ProcessEvents();
        EXPECT_GT(barcode->PaintCount(), before);
    }
}

TEST_F(BarcodeControl, AutoSizeRepaintsOnlyOnChange) {
    Show();
    int32_t before = barcode->PaintCount();
    barcode->SetAutoSize(true);
    ProcessEvents();
    EXPECT_EQ(barcode->PaintCount(), before);
    barcode->SetAutoSize(false);
    ProcessEvents();
    EXPECT_GT(barcode->PaintCount(), before);
    // Without AutoSize a bigger symbol keeps the control's size.
    const int32_t w = barcode->Width(), h = barcode->Height();
    barcode->SetBar_CodeType(EAN_13);
    ProcessEvents();
    EXPECT_EQ(barcode->Width(), w);
    EXPECT_EQ(barcode->Height(), h);
    barcode->SetAutoSize(true);
    ProcessEvents();
    EXPECT_GT(barcode->Width(), w);
}

TEST_F(BarcodeControl, RotationExchangesTheControlsSize) {
    Show();
    const int32_t w = barcode->Width(), h = barcode->Height();
    barcode->SetBar_Rotation(rotate_090);
    ProcessEvents();
    EXPECT_EQ(barcode->Width(), h);
    EXPECT_EQ(barcode->Height(), w);
}

TEST(CustomBarcode, PaintAlwaysTakesTheSymbolsSize) {
    TForm form(nullptr);
    form.SetBounds(0, 0, 600, 400);
    auto* custom = new TCustomBarcode(&form);
    custom->SetParent(&form);
    custom->SetBar_CodeType(UPC_A);
    form.Show();
    ProcessEvents();
    TRecordingCanvas rc(96, 96);
    TSize expected;
    custom->DrawOnCanvas(rc, 0, 0, &expected);
    EXPECT_EQ(custom->Width(), expected.cx);
    EXPECT_EQ(custom->Height(), expected.cy);
}

TEST_F(BarcodeControl, RangeChecksKeepThePreviousValue) {
    barcode->SetBar_HeightPercent(150);
    barcode->SetBar_Fontscaling(60);
    for (int32_t bad : {19, 201, -5}) {
        SCOPED_TRACE(bad);
        ExpectOverflow([&] { barcode->SetBar_HeightPercent(bad); }, BarMessages::SHeightPercentRange);
        ExpectOverflow([&] { barcode->SetBar_Fontscaling(bad); }, BarMessages::SFontscalingRange);
    }
    EXPECT_EQ(barcode->Bar_HeightPercent(), 150);
    EXPECT_EQ(barcode->Bar_Fontscaling(), 60);
    for (int32_t good : {20, 200}) {
        barcode->SetBar_HeightPercent(good);
        barcode->SetBar_Fontscaling(good);
        EXPECT_EQ(barcode->Bar_HeightPercent(), good);
        EXPECT_EQ(barcode->Bar_Fontscaling(), good);
    }
    barcode->SetBar_ModuleWidth(SC9);
    EXPECT_EQ(barcode->Bar_ModuleWidth(), SC9);
    ExpectOverflow([&] { barcode->SetBar_ModuleWidth(static_cast<btCodeSizes>(10)); }, BarMessages::SModuleWidthRange);
    EXPECT_EQ(barcode->Bar_ModuleWidth(), SC9);
    barcode->SetBar_Rotation(rotate_270);
    ExpectOverflow([&] { barcode->SetBar_Rotation(static_cast<btCodeRotate>(4)); }, BarMessages::SRotationRange);
    EXPECT_EQ(barcode->Bar_Rotation(), rotate_270);
    barcode->SetBar_Ratio(Ratio_2);
    ExpectOverflow([&] { barcode->SetBar_Ratio(static_cast<btCodeRatio>(2)); }, BarMessages::SRatioRange);
    EXPECT_EQ(barcode->Bar_Ratio(), Ratio_2);
}

TEST_F(BarcodeControl, CaptionLimitCountsWindows1252Characters) {
    barcode->SetBar_Caption(std::string(50, 'x'));
    EXPECT_EQ(barcode->Bar_Caption(), std::string(50, 'x'));
    ExpectOverflow([&] { barcode->SetBar_Caption(std::string(51, 'y')); }, BarMessages::SCaptionTooLong);
    EXPECT_EQ(barcode->Bar_Caption(), std::string(50, 'x'));
    // Fifty two-byte characters of Windows-1252 fit.
    std::string umlauts;
    for (int i = 0; i < 50; ++i) umlauts += "\xC3\x84";  // U+00C4
    barcode->SetBar_Caption(umlauts);
    EXPECT_EQ(barcode->Bar_Caption(), umlauts);
    EXPECT_EQ(barcode->LLBarcode().Params->Caption.Length(), 50u);
    ExpectOverflow([&] { barcode->SetBar_Caption(umlauts + "\xC3\x84"); }, BarMessages::SCaptionTooLong);
    // The euro sign is byte 128; a character outside the code page becomes '?'.
    barcode->SetBar_Caption("\xE2\x82\xAC\xCE\xA9");  // U+20AC U+03A9
    EXPECT_EQ(barcode->LLBarcode().Params->Caption.Str(), "\x80?");
    EXPECT_EQ(barcode->Bar_Caption(), "\xE2\x82\xAC?");
}

TEST_F(BarcodeControl, AddonIsNormalised) {
    struct {
        const char* in;
        const char* stored;
    } rows[] = {{"12345678", "12345"}, {"1a2", "12"}, {"123", "12"}, {"1234", "12"}, {"7", ""},
                {"", ""},              {"abc", ""}, {"52495", "52495"}, {" 0 7 ", "07"}};
    for (auto row : rows) {
        SCOPED_TRACE(row.in);
        barcode->SetBar_CodeAddon(row.in);
        EXPECT_EQ(barcode->Bar_CodeAddon(), row.stored);
    }
}

TEST_F(BarcodeControl, Code128SwitchCharactersComeThroughUtf8) {
    // Windows-1252 byte 131 (CODE C) is U+0192 in UTF-8.
    barcode->SetBar_CodeType(CODE128_B);
    barcode->SetBar_Caption("a\xC6\x92" "1234");
    TRecordingCanvas rc(96, 96);
    barcode->DrawOnCanvas(rc, 0, 0, nullptr);
    const std::string prepared = barcode->LLBarcode().TextBuffer.Str();
    ASSERT_GE(prepared.size(), 3u);
    EXPECT_EQ(static_cast<uint8_t>(prepared[2]), Code128Char::CodeC);
    ASSERT_EQ(rc.Calls(TRecordedKind::TextOut).size(), 1u);
    EXPECT_EQ(rc.Calls(TRecordedKind::TextOut)[0].Text, "a1234");
}

TEST_F(BarcodeControl, CodabarCaptionReadsBackInUpperCase) {
    barcode->SetBar_CodeType(Codabar);
    barcode->SetBar_Caption("a1b2");
    TRecordingCanvas rc(96, 96);
    barcode->DrawOnCanvas(rc, 0, 0, nullptr);
    EXPECT_EQ(barcode->Bar_Caption(), "A1B2");
}

TEST_F(BarcodeControl, DrawOnCanvasErrorsReachTheCaller) {
    barcode->SetBar_CodeType(CODE128_A);
    barcode->SetBar_Caption("a\tb");
    TRecordingCanvas rc(96, 96);
    ExpectOverflow([&] { barcode->DrawOnCanvas(rc, 0, 0, nullptr); }, BarMessages::SCode128Error);
    EXPECT_EQ(barcode->Bar_Caption(), "a\tb");
}

// ---------------------------------------------------------------- LoMetricPrint

TEST_F(BarcodeControl, LoMetricPrintInTextModeDrawsInPixels) {
    TRecordingCanvas rc(600, 600);
    TSize size;
    barcode->LoMetricPrint(rc, 100, 50, &size);
    TRecordingCanvas direct(600, 600);
    TSize expected;
    barcode->DrawOnCanvas(direct, 100, 50, &expected);
    EXPECT_EQ(size, expected);
    EXPECT_EQ(rc.Calls(TRecordedKind::FillRect)[0].Rect, direct.Calls(TRecordedKind::FillRect)[0].Rect);
}

TEST_F(BarcodeControl, LoMetricPrintInMetricModes) {
    TRecordingCanvas direct(600, 600);
    TSize pixels;
    barcode->DrawOnCanvas(direct, 236, 236, &pixels);
    struct {
        int mode;
        int32_t x, y;
        long double unitsPerInch;
    } rows[] = {{MM_LOMETRIC, 100, -100, 254}, {MM_HIMETRIC, 1000, -1000, 2540}};
    for (auto row : rows) {
        SCOPED_TRACE(row.mode);
        TRecordingCanvas rc(600, 600);
        rc.SetMapMode(row.mode);
        TSize size;
        barcode->LoMetricPrint(rc, row.x, row.y, &size);
        // 1 cm right and down: round(100 * 600 / 254) = 236 pixels.
        ASSERT_FALSE(rc.Calls(TRecordedKind::FillRect).empty());
        EXPECT_EQ(rc.Calls(TRecordedKind::FillRect)[0].Rect.Left, 236);
        EXPECT_EQ(rc.Calls(TRecordedKind::FillRect)[0].Rect.Top, 236);
        EXPECT_EQ(rc.Calls(TRecordedKind::FillRect)[0].Rect, direct.Calls(TRecordedKind::FillRect)[0].Rect);
        EXPECT_EQ(size.cx, static_cast<int32_t>(Round(pixels.cx / (600 / row.unitsPerInch))));
        EXPECT_EQ(size.cy, static_cast<int32_t>(Round(pixels.cy / (600 / row.unitsPerInch))));
        EXPECT_EQ(rc.GetMapMode(), row.mode);
    }
}

TEST_F(BarcodeControl, LoMetricPrintRejectsOtherMapModes) {
    for (int mode : {MM_ANISOTROPIC, MM_ISOTROPIC, MM_TWIPS, MM_LOENGLISH}) {
        SCOPED_TRACE(mode);
        TRecordingCanvas rc(600, 600);
        rc.SetMapMode(mode);
        TSize size{-1, -1};
        ExpectOverflow([&] { barcode->LoMetricPrint(rc, 10, 10, &size); }, BarMessages::SWrongMapMode);
        EXPECT_TRUE(rc.Calls(TRecordedKind::FillRect).empty());
        EXPECT_EQ(size, (TSize{-1, -1}));
        EXPECT_EQ(rc.GetMapMode(), mode);
    }
}

TEST_F(BarcodeControl, LoMetricPrintWithoutResolutionUsesTheScreen) {
    for (int32_t dpi : {0, -600}) {
        SCOPED_TRACE(dpi);
        TRecordingCanvas rc(dpi, dpi);
        rc.SetMapMode(MM_LOMETRIC);
        TSize size;
        barcode->LoMetricPrint(rc, 254, -254, &size);
        ASSERT_FALSE(rc.Calls(TRecordedKind::FillRect).empty());
        EXPECT_EQ(rc.Calls(TRecordedKind::FillRect)[0].Rect.Left, ScreenPixelsPerInch());
        EXPECT_GT(size.cx, 0);
    }
}

TEST_F(BarcodeControl, LoMetricPrintRefusesPositionsBeyondTheDevice) {
    constexpr int32_t Min = std::numeric_limits<int32_t>::min(), Max = std::numeric_limits<int32_t>::max();
    // At 600 dpi a tenth of a millimetre is 2.36 pixels: the far ends of the
    // metric coordinates lie beyond the device's; a hundredth is 0.236.
    struct {
        int mode;
        int32_t x, y;
        bool drawn;
    } rows[] = {{MM_LOMETRIC, Max, 0, false},    {MM_LOMETRIC, Min, 0, false}, {MM_LOMETRIC, 0, Min, false},
                {MM_LOMETRIC, 0, Max, false},    {MM_HIMETRIC, Min, Max, true}, {MM_HIMETRIC, Min + 1, Min + 1, true},
                {MM_HIMETRIC, Max - 10000, -(Max - 10000), true}};
    for (auto row : rows) {
        SCOPED_TRACE(testing::Message() << row.mode << " " << row.x << "," << row.y);
        TRecordingCanvas rc(600, 600);
        rc.SetMapMode(row.mode);
        TSize size{-1, -1};
        if (row.drawn) {
            barcode->LoMetricPrint(rc, row.x, row.y, &size);
            ASSERT_FALSE(rc.Calls(TRecordedKind::FillRect).empty());
            EXPECT_EQ(rc.Calls(TRecordedKind::FillRect)[0].Rect.Left, Round(row.x * 600.0L / 2540));
            EXPECT_GT(size.cx, 0);
        } else {
            ExpectOverflow([&] { barcode->LoMetricPrint(rc, row.x, row.y, &size); }, BarMessages::SOutOfRange);
            EXPECT_TRUE(rc.Calls().empty());
            EXPECT_EQ(size, (TSize{-1, -1}));
        }
        EXPECT_EQ(rc.GetMapMode(), row.mode);
    }
}

}  // namespace
