// Fonts in our PDF files as poppler sees them: text in a chosen font,
// rasterised by pdftoppm, has the ink of the same text drawn through the
// screen canvas; pdffonts lists each face once, embedded; pdftotext reads the
// text back.
#include <gtest/gtest.h>

#include <QImage>

#include "platform/controls/Printers.h"
#include "tests/platform/printing/PrintTestSupport.h"

namespace {

constexpr int kDpi = 600;

// Families of two foundries are listed as "Z003 [urw]" and "Z003 [UKWN]".
bool Installed(const std::string& family) {
    for (const std::string& f : InstalledFontFamilies())
        if (f == family || f.rfind(family + " [", 0) == 0) return true;
    return false;
}

// A small printable area keeps the bitmaps of the recording printer small.
TPageSetup SmallArea() {
    TPageSetup setup;
    setup.MarginRight = 90;
    setup.MarginBottom = 200;
    return setup;
}

// The same drawing on the PDF-file printer and on a recording printer whose
// pages are bitmaps drawn by the screen canvas.
struct TwinPrint {
    explicit TwinPrint(const std::function<void(TCanvas&)>& draw) {
        auto pdf = std::make_unique<TPdfFilePrinter>();
        pdf->SetPageSetup(SmallArea());
        pdf->SetOutputFolder(TestFolder());
        Pdf = pdf.get();
        auto recorder = std::make_unique<TRecordingPrinter>("Screen", SmallArea());
        recorder->SetWithBitmaps(true);
        Recorder = recorder.get();
        std::vector<std::unique_ptr<TPrinterBackend>> list;
        list.push_back(std::move(pdf));
        list.push_back(std::move(recorder));
        Printer = std::make_unique<TPrinter>(std::move(list));
        for (int32_t i : {0, 1}) {
            Printer->SetPrinterIndex(i);
            Printer->SetTitle("Fonts");
            Printer->BeginDoc();
            draw(*Printer->Canvas());
            Printer->EndDoc();
        }
    }
    std::string File() const { return Pdf->LastFile(); }
    std::vector<TRecordedCall> Texts() const {
        std::vector<TRecordedCall> texts;
        for (const TRecordedCall& c : Recorder->Jobs().back().Pages[0])
            if (c.Kind == TRecordedKind::TextOut) texts.push_back(c);
        return texts;
    }
    std::unique_ptr<TPrinter> Printer;
    TPdfFilePrinter* Pdf = nullptr;
    TRecordingPrinter* Recorder = nullptr;
};

// Ink of a grey raster in region: its box, and which columns have ink.
struct TInk {
    TRect Box;
    int Left = 0;
    std::vector<bool> Columns;
    bool At(int x) const { return x >= Left && x < Left + static_cast<int>(Columns.size()) && Columns[x - Left]; }
};

template <class Dark>
TInk InkOf(const TRect& region, int offsetX, int offsetY, Dark dark) {
    TInk ink;
    ink.Left = region.Left + offsetX;
    ink.Columns.assign(static_cast<size_t>(region.Width()), false);
    int l = INT32_MAX, t = INT32_MAX, r = -1, b = -1;
    for (int x = region.Left; x < region.Right; ++x)
        for (int y = region.Top; y < region.Bottom; ++y)
            if (dark(x, y)) {
                ink.Columns[static_cast<size_t>(x - region.Left)] = true;
                l = std::min(l, x), r = std::max(r, x), t = std::min(t, y), b = std::max(b, y);
            }
    if (r >= 0) ink.Box = {l + offsetX, t + offsetY, r + 1 + offsetX, b + 1 + offsetY};
    return ink;
}

TInk ScreenInk(TBitmap& bitmap, const TRect& region) {
    const QImage& image = bitmap.Image();
    return InkOf(region, 0, 0, [&](int x, int y) { return image.valid(x, y) && qGray(image.pixel(x, y)) < 128; });
}

TInk PdfInk(const std::string& pdf, const TRect& region) {
    TRaster raster = RasterizePdf(pdf, 1, kDpi, region);
    EXPECT_EQ(raster.Width, region.Width()) << "pdftoppm gave no raster";
    return InkOf({0, 0, raster.Width, raster.Height}, region.Left, region.Top,
                 [&](int x, int y) { return raster.Grey(x, y) < 128; });
}

// The letters of a text: runs of ink columns between gaps of six pixels or
// more (0.25 mm at 600 dpi).
std::vector<std::pair<int, int>> Letters(const TInk& ink) {
    std::vector<std::pair<int, int>> letters;
    for (int i = 0; i < static_cast<int>(ink.Columns.size()); ++i) {
        if (!ink.Columns[static_cast<size_t>(i)]) continue;
        const int x = ink.Left + i;
        if (!letters.empty() && x - letters.back().second < 6) letters.back().second = x + 1;
        else letters.emplace_back(x, x + 1);
    }
    return letters;
}

// Every letter of one has its ink in the other within three pixels of its
// edges, and the gaps around it stay clear there.
void ExpectLettersIn(const TInk& from, const TInk& in) {
    const auto letters = Letters(from);
    for (size_t i = 0; i < letters.size(); ++i) {
        SCOPED_TRACE("letter " + std::to_string(i) + " at " + std::to_string(letters[i].first));
        const auto [left, right] = letters[i];
        int first = INT32_MAX, last = -1;
        for (int x = left - 3; x < right + 3; ++x)
            if (in.At(x)) first = std::min(first, x), last = x;
        EXPECT_NEAR(first, left, 3);
        EXPECT_NEAR(last + 1, right, 3);
        if (i + 1 < letters.size()) {
            for (int x = right + 3; x < letters[i + 1].first - 3; ++x) EXPECT_FALSE(in.At(x)) << "ink in the gap at " << x;
        }
    }
}

// Glyph ink boxes: the whole box within two pixels at 600 dpi, every letter
// within three (the screen's antialiased edges and poppler's sampled ones
// differ on thin strokes). A glyph at another advance or in another face
// misses by far more.
void ExpectSameInk(const TInk& pdf, const TInk& screen) {
    ASSERT_GT(screen.Box.Width(), 0);
    EXPECT_NEAR(pdf.Box.Left, screen.Box.Left, 2);
    EXPECT_NEAR(pdf.Box.Top, screen.Box.Top, 2);
    EXPECT_NEAR(pdf.Box.Right, screen.Box.Right, 2);
    EXPECT_NEAR(pdf.Box.Bottom, screen.Box.Bottom, 2);
    ExpectLettersIn(screen, pdf);
    ExpectLettersIn(pdf, screen);
}

// The text cell of a recorded text (left, top aligned), with room around.
TRect CellOf(const TRecordedCall& c, int room) {
    return {c.Anchor.X - room, c.Anchor.Y - room, c.Anchor.X + c.Extent.cx + room, c.Anchor.Y + c.Extent.cy + room};
}

std::string WordsOf(const std::string& pdf) {
    std::string all;
    for (const TPdfWord& w : PdfWords(pdf)) all += (all.empty() ? "" : " ") + w.Text;
    return all;
}

// ---------------------------------------------------------------- chosen fonts

struct FontRow {
    const char* Name;
    const char* Family;
    const char* PdfName;  // pdffonts's name after the subset tag
};

class ChosenFont : public ::testing::TestWithParam<FontRow> {};

TEST_P(ChosenFont, InkMatchesTheScreenAndTheFaceIsEmbeddedOnce) {
    if (!HavePoppler() || !HaveTool("pdffonts")) GTEST_SKIP() << "poppler-utils are not installed";
    if (!Installed(GetParam().Family)) GTEST_SKIP() << GetParam().Family << " is not installed";
    // Windows Latin from the engine and UTF-8 beyond it from a caption.
    const std::vector<std::string> texts = {"HELLO-123", "Gr\xC3\xB6\xC3\x9F" "e 5 \xE2\x82\xAC",
                                            "\xCE\xA9 \xE2\x89\xA5 \xC5\x81\xC3\xB3" "d\xC5\xBA"};
    TwinPrint print([&](TCanvas& c) {
        c.Font()->SetName(GetParam().Family);
        c.Brush()->SetStyle(bsClear);
        c.Font()->SetHeight(-110);
        c.TextOut(300, 200, texts[0]);
        c.Font()->SetSize(14);
        c.TextOut(300, 500, texts[1]);
        c.TextOut(300, 800, texts[2]);
    });
    const std::vector<TRecordedCall> drawn = print.Texts();
    ASSERT_EQ(drawn.size(), texts.size());
    for (const TRecordedCall& c : drawn) {
        SCOPED_TRACE(c.Text);
        const TRect cell = CellOf(c, 30);
        ExpectSameInk(PdfInk(print.File(), cell), ScreenInk(*print.Recorder->PageBitmap(0), cell));
    }
    EXPECT_EQ(WordsOf(print.File()), texts[0] + " " + texts[1] + " " + texts[2]);

    const std::vector<TPdfFont> fonts = PdfFonts(print.File());
    ASSERT_FALSE(fonts.empty());
    const TPdfFont& chosen = fonts[0];
    EXPECT_EQ(chosen.Name.substr(chosen.Name.find('+') + 1), GetParam().PdfName);
    EXPECT_EQ(chosen.Name.find('+'), 6u) << "a subset is tagged";
    EXPECT_EQ(chosen.Type, "Type 3");
    EXPECT_TRUE(chosen.Embedded);
    EXPECT_TRUE(chosen.Unicode);
    // Every text draws in the chosen face, embedded once; a character the
    // face lacks may come from one other face, as on the screen.
    EXPECT_EQ(std::count_if(fonts.begin(), fonts.end(), [&](const TPdfFont& f) { return f.Name == chosen.Name; }), 1);
    EXPECT_LE(fonts.size(), 2u);
    for (const TPdfFont& f : fonts) EXPECT_TRUE(f.Embedded) << f.Name;
}

INSTANTIATE_TEST_SUITE_P(Fonts, ChosenFont,
                         ::testing::Values(FontRow{"Serif", "DejaVu Serif", "DejaVuSerif-Book"},
                                           FontRow{"Script", "Z003", "Z003-MediumItalic"}),
                         [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
