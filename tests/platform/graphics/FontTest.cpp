#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QFontMetrics>
#include <QImage>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "platform/graphics/qt/FontCache.h"
#include "platform/graphics/RecordingDevice.h"

namespace {

TDeviceFont Arial(int32_t height, const char* name = "Arial") {
    TDeviceFont f;
    f.Name = name;
    f.Height = height;
    return f;
}

TEST(Font, DefaultsAndSizeInPoints) {
    TFont font;
    EXPECT_EQ(font.Name(), "Arial");
    EXPECT_EQ(font.PixelsPerInch(), 96);
    font.SetSize(10);
    EXPECT_EQ(font.Height(), -13);  // -MulDiv(10, 96, 72)
    EXPECT_EQ(font.Size(), 10);
    font.SetPixelsPerInch(600);
    font.SetSize(10);
    EXPECT_EQ(font.Height(), -83);
    EXPECT_EQ(font.Size(), 10);
}

TEST(Font, ChangeEventsFireOnRealChangesOnly) {
    TFont font;
    int changes = 0;
    font.OnChange = [&](TObject*) { ++changes; };
    font.SetHeight(20);
    font.SetHeight(20);
    font.SetName("Arial");
    font.SetStyle(fsBold | fsItalic);
    font.SetOrientation(900);
    font.SetColor(clRed);
    EXPECT_EQ(changes, 4);
    TFont other;
    other.Assign(&font);
    EXPECT_TRUE(other == font);
}

TEST(Font, AssignAcrossResolutionsKeepsThePointSize) {
    TFont screen;
    screen.SetSize(12);
    TFont printer;
    printer.SetPixelsPerInch(600);
    printer.Assign(&screen);
    EXPECT_EQ(printer.Size(), 12);
    EXPECT_EQ(printer.Height(), -100);
}

TEST(Font, PenAndBrushAssignAndNotify) {
    TPen pen;
    int changes = 0;
    pen.OnChange = [&](TObject*) { ++changes; };
    pen.SetWidth(3);
    pen.SetStyle(psDot);
    EXPECT_EQ(changes, 2);
    TPen copy;
    copy.Assign(&pen);
    EXPECT_EQ(copy.Width(), 3);
    EXPECT_EQ(copy.Style(), psDot);
    TBrush brush;
    brush.SetStyle(bsClear);
    brush.SetColor(clRed);  // a colour makes a clear brush solid again
    EXPECT_EQ(brush.Style(), bsSolid);
    EXPECT_THROW(brush.Assign(&pen), EConvertError);
}

class CellHeight : public ::testing::TestWithParam<int> {};

// A positive height is the cell height (ascent + descent) in pixels.
TEST_P(CellHeight, TextHeightIsTheRequestedHeight) {
    int height = GetParam();
    for (int dpi : {96, 300, 600, 0}) {
        SCOPED_TRACE(dpi);
        TRecordingCanvas canvas(dpi, dpi);
        canvas.Font()->SetName("Arial");
        canvas.Font()->SetHeight(height);
        EXPECT_EQ(canvas.TextHeight("Ay"), height);
    }
    // Qt's own metrics of the font behind it agree within a pixel.
    const TResolvedFont& resolved = ResolveFont(Arial(height));
    QImage device(1, 1, QImage::Format_RGB32);
    device.setDotsPerMeterX(2835);
    device.setDotsPerMeterY(2835);
    QFontMetricsF onDevice(resolved.Font, &device);
    EXPECT_NEAR(onDevice.ascent() + onDevice.descent(), height, 1.0);
}

INSTANTIATE_TEST_SUITE_P(Font, CellHeight, ::testing::Values(8, 13, 20, 37, 54, 120, 290));

TEST(Font, NegativeHeightIsTheCharacterHeight) {
    TRecordingCanvas canvas;
    canvas.Font()->SetHeight(-100);
    TTextMetric tm = canvas.Recorder().TextMetrics(Arial(-100));
    EXPECT_NEAR(tm.Height, 112, 2);  // Arial's cell is about 1.12 em
    EXPECT_EQ(tm.Height - tm.InternalLeading, 100);
    EXPECT_EQ(tm.Ascent + tm.Descent, tm.Height);
}

TEST(Font, ArialMapsOntoAMetricCompatibleFamily) {
    TDeviceFont f = Arial(100);
    QFontInfo info(ResolveFont(f).Font);
    EXPECT_EQ(info.family().toStdString(), "Liberation Sans");
    TDeviceFont d = Arial(100, "Default");
    EXPECT_FALSE(ResolveFont(d).Font.family().isEmpty());
    EXPECT_EQ(FontFamilyFor("Default").toStdString(), QGuiApplication::font().family().toStdString());
}

TEST(Font, WidthsScaleWithTheHeightAndStyleMatters) {
    TRecordingCanvas canvas;
    canvas.Font()->SetHeight(-20);
    int narrow = canvas.TextWidth("0123456789");
    canvas.Font()->SetHeight(-40);
    int wide = canvas.TextWidth("0123456789");
    EXPECT_NEAR(wide, 2 * narrow, 2);
    canvas.Font()->SetStyle(fsBold);
    int bold = canvas.TextWidth("Wide text");
    canvas.Font()->SetStyle(0);
    EXPECT_GT(bold, canvas.TextWidth("Wide text"));
    EXPECT_EQ(canvas.TextWidth(""), 0);
}

TEST(Font, ResolvedFontsAreCached) {
    TDeviceFont f = Arial(33);
    const TResolvedFont* a = &ResolveFont(f);
    const TResolvedFont* b = &ResolveFont(f);
    EXPECT_EQ(a, b);
    EXPECT_EQ(&a->FontFor(300), &a->FontFor(300));
    EXPECT_NEAR(a->FontFor(300).pointSizeF() * 300 / 72, a->EmPixels, 1e-6);
}

TEST(Font, InstalledFamiliesAreSorted) {
    std::vector<std::string> families = InstalledFontFamilies();
    ASSERT_FALSE(families.empty());
    for (size_t i = 1; i < families.size(); ++i) EXPECT_LE(CompareText(families[i - 1], families[i]), 0);
    EXPECT_NE(std::find(families.begin(), families.end(), "Liberation Sans"), families.end());
}

// A family that two foundries make is listed by Qt as "Family [Foundry]"
// twice; the font list holds the family name alone, once.
TEST(Font, InstalledFamiliesAreFamilyNamesOnly) {
    std::ifstream in("/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf", std::ios::binary);
    std::string font((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (font.size() < 12) GTEST_SKIP() << "fonts-liberation is not installed";
    // The same family from another foundry: the OS/2 table's vendor id changed.
    auto be16 = [&](size_t at) { return static_cast<size_t>(static_cast<uint8_t>(font[at]) << 8 | static_cast<uint8_t>(font[at + 1])); };
    auto be32 = [&](size_t at) { return be16(at) << 16 | be16(at + 2); };
    bool patched = false;
    for (size_t t = 0, tables = be16(4); t < tables; ++t) {
        const size_t entry = 12 + 16 * t;
        if (font.compare(entry, 4, "OS/2") != 0) continue;
        font.replace(be32(entry + 8) + 58, 4, "VTST");
        patched = true;
    }
    ASSERT_TRUE(patched);
    ASSERT_GE(QFontDatabase::addApplicationFontFromData(QByteArray(font.data(), static_cast<qsizetype>(font.size()))), 0);
    const std::vector<std::string> names = InstalledFontFamilies();
    EXPECT_EQ(std::count(names.begin(), names.end(), "Liberation Sans"), 1);
    for (const std::string& name : names) EXPECT_EQ(name.find('['), std::string::npos) << name;
    EXPECT_EQ(std::adjacent_find(names.begin(), names.end()), names.end());
}

}  // namespace

TEST(Font, SummedAdvancesEqualTheShapedWidth) {
    // Printable ASCII is measured from cached advances; the shaped width of
    // the same text is the reference, in several fonts, sizes and styles.
    const std::string alphabet = " !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`abcdeghijklmnopqrstuvwxyz{|}~";
    uint32_t seed = 7;
    auto next = [&] { return (seed = seed * 1664525u + 1013904223u) >> 8; };
    for (const char* name : {"Arial", "Default", "Courier New"})
        for (int32_t height : {-11, -16, 21})
            for (TFontStyles style : {TFontStyles(0), TFontStyles(fsBold | fsItalic)}) {
                TDeviceFont font;
                font.Name = name;
                font.Height = height;
                font.Style = style;
                const TResolvedFont& resolved = ResolveFont(font);
                for (int i = 0; i < 200; ++i) {
                    std::string s;
                    for (uint32_t n = 1 + next() % 20; n > 0; --n) s += alphabet[next() % alphabet.size()];
                    ASSERT_DOUBLE_EQ(TextAdvance(resolved, s), ShapeText(resolved, s).Width) << name << " [" << s << "]";
                }
                // Texts with ligature letters or beyond ASCII are shaped.
                for (const char* s : {"office fluff", "caf\xC3\xA9", "tab\there"})
                    EXPECT_DOUBLE_EQ(TextAdvance(resolved, s), ShapeText(resolved, s).Width) << s;
            }
}
