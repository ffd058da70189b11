// Our PDF files read by poppler: rasterised with pdftoppm at the printer's
// 600 dpi, the text found with pdftotext -bbox, the pages counted by pdfinfo.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/controls/QtPrinter.h"
#include "tests/platform/printing/PrintTestSupport.h"

namespace {

constexpr int kDpi = 600;

// A printer object with our PDF printer alone, writing into the test's folder.
struct PdfJob {
    explicit PdfJob(const TPageSetup& setup = {}, TPrinterOrientation orientation = poPortrait) {
        auto pdf = std::make_unique<TPdfFilePrinter>();
        pdf->SetPageSetup(setup);
        pdf->SetOutputFolder(TestFolder());
        std::vector<std::unique_ptr<TPrinterBackend>> list;
        list.push_back(std::move(pdf));
        printer = std::make_unique<TPrinter>(std::move(list));
        printer->SetOrientation(orientation);
        printer->SetTitle("Oracle");
    }
    TCanvas& Canvas() { return *printer->Canvas(); }
    // Moves logical (0, 0) to the paper corner, as the print routines do.
    void OriginAtPaperCorner() {
        TPoint offset;
        ASSERT_GT(Escape(Canvas(), GETPRINTINGOFFSET, 0, nullptr, &offset), 0);
        Canvas().SetViewportOrgEx(-offset.X, -offset.Y);
    }
    std::string File() const { return printer->PdfPrinter()->LastFile(); }
    std::unique_ptr<TPrinter> printer;
};

void FillBlack(TCanvas& canvas, const TRect& r) {
    canvas.Brush()->SetColor(clBlack);
    canvas.FillRect(r);
}

// The dark pixels of a region around expect, in paper pixels.
TRect DarkBoxNear(const std::string& pdf, int page, const TRect& expect, int margin = 60) {
    TRect region{std::max(0, expect.Left - margin), std::max(0, expect.Top - margin), expect.Right + margin,
                 expect.Bottom + margin};
    TRaster r = RasterizePdf(pdf, page, kDpi, region);
    EXPECT_GT(r.Width, 0) << "pdftoppm gave no raster for " << pdf;
    TRect box = r.DarkBox();
    if (box.Right == 0) return box;
    return {box.Left + region.Left, box.Top + region.Top, box.Right + region.Left, box.Bottom + region.Top};
}

void ExpectNear(const TRect& got, const TRect& want, int tolerance) {
    EXPECT_NEAR(got.Left, want.Left, tolerance);
    EXPECT_NEAR(got.Top, want.Top, tolerance);
    EXPECT_NEAR(got.Right, want.Right, tolerance);
    EXPECT_NEAR(got.Bottom, want.Bottom, tolerance);
}

// ---------------------------------------------------------------- where rectangles land

struct PlacementRow {
    const char* Name;
    TPaperSize Paper;
    TPrinterOrientation Orientation;
    double Left, Top, Right, Bottom;  // margins, mm
    TRect Drawn;                      // logical pixels
    bool FromPaperCorner;             // origin moved by the printing offset
    TRect OnPaper;                    // where it must land
    const char* PageSize;             // pdfinfo's "Page size" up to the units
};

class PdfPlacement : public ::testing::TestWithParam<PlacementRow> {};

TEST_P(PdfPlacement, FilledRectangleLandsOnItsPrinterPixels) {
    if (!HavePoppler()) GTEST_SKIP() << "poppler-utils are not installed";
    const PlacementRow& row = GetParam();
    TPageSetup setup;
    setup.Paper = row.Paper;
    setup.MarginLeft = row.Left, setup.MarginTop = row.Top, setup.MarginRight = row.Right,
    setup.MarginBottom = row.Bottom;
    PdfJob job(setup, row.Orientation);
    job.printer->BeginDoc();
    if (row.FromPaperCorner) job.OriginAtPaperCorner();
    FillBlack(job.Canvas(), row.Drawn);
    job.printer->EndDoc();

    EXPECT_EQ(PdfInfo(job.File(), "Page size").rfind(row.PageSize, 0), 0u) << PdfInfo(job.File(), "Page size");
    ExpectNear(DarkBoxNear(job.File(), 1, row.OnPaper), row.OnPaper, 1);
}

// 50 mm and 60 mm at 600 dpi are 1181 and 1417 pixels; 10 mm is 236, 15 mm 354.
INSTANTIATE_TEST_SUITE_P(
    Pages, PdfPlacement,
    ::testing::Values(
        PlacementRow{"A4NoMargins", TPaperSize::A4, poPortrait, 0, 0, 0, 0, {1181, 1417, 1300, 1600}, true,
                     {1181, 1417, 1300, 1600}, "595.32 x 841.92"},
        PlacementRow{"A4MarginsCompensated", TPaperSize::A4, poPortrait, 10, 15, 5, 5, {1181, 1417, 1300, 1600},
                     true, {1181, 1417, 1300, 1600}, "595.32 x 841.92"},
        PlacementRow{"A4MarginsDeviceOrigin", TPaperSize::A4, poPortrait, 10, 15, 5, 5, {0, 0, 100, 50}, false,
                     {236, 354, 336, 404}, "595.32 x 841.92"},
        PlacementRow{"LetterLandscapeMargins", TPaperSize::Letter, poLandscape, 6.35, 6.35, 6.35, 6.35,
                     {6000, 4000, 6090, 4200}, true, {6000, 4000, 6090, 4200}, "792 x 612"},
        PlacementRow{"OnePixel", TPaperSize::A4, poPortrait, 3, 3, 3, 3, {2001, 3001, 2002, 3002}, true,
                     {2001, 3001, 2002, 3002}, "595.32 x 841.92"}),
    [](const auto& info) { return std::string(info.param.Name); });

// ---------------------------------------------------------------- shapes

struct ShapeRow {
    const char* Name;
    std::function<void(TCanvas&)> Draw;
    TRect Ink;
    int Tolerance;
};

class PdfShapes : public ::testing::TestWithParam<ShapeRow> {};

TEST_P(PdfShapes, InkCoversTheShape) {
    if (!HavePoppler()) GTEST_SKIP() << "poppler-utils are not installed";
    PdfJob job;
    job.printer->BeginDoc();
    job.Canvas().Pen()->SetColor(clBlack);
    job.Canvas().Brush()->SetColor(clBlack);
    GetParam().Draw(job.Canvas());
    job.printer->EndDoc();
    ExpectNear(DarkBoxNear(job.File(), 1, GetParam().Ink), GetParam().Ink, GetParam().Tolerance);
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, PdfShapes,
    ::testing::Values(
        ShapeRow{"HorizontalLine", [](TCanvas& c) { c.MoveTo(1000, 1000), c.LineTo(1500, 1000); },
                 {1000, 1000, 1501, 1001}, 1},
        ShapeRow{"ThickLine",
                 [](TCanvas& c) {
                     c.Pen()->SetWidth(9);
                     c.MoveTo(1000, 1000), c.LineTo(1000, 1400);
                 },
                 {995, 995, 1005, 1405}, 2},
        ShapeRow{"Triangle", [](TCanvas& c) { c.Polygon({{1000, 1000}, {1400, 1000}, {1000, 1300}}); },
                 {1000, 1000, 1401, 1301}, 2},
        ShapeRow{"Ellipse", [](TCanvas& c) { c.Ellipse(1000, 1000, 1301, 1201); }, {1000, 1000, 1301, 1201}, 2},
        ShapeRow{"Frame", [](TCanvas& c) { c.FrameRect({1200, 1200, 1300, 1260}); }, {1200, 1200, 1300, 1260},
                 1},
        ShapeRow{"Pixel", [](TCanvas& c) { c.SetPixel(1111, 2222, clBlack); }, {1111, 2222, 1112, 2223}, 0},
        ShapeRow{"Clipped",
                 [](TCanvas& c) {
                     c.IntersectClipRect({1000, 1000, 1100, 1050});
                     c.FillRect({900, 900, 1300, 1300});
                     c.SelectClipRect(nullptr);
                     c.FillRect({1200, 1200, 1210, 1210});
                 },
                 {1000, 1000, 1210, 1210}, 0},
        ShapeRow{"CrossHatch",
                 [](TCanvas& c) {
                     c.Brush()->SetStyle(bsCross);
                     c.FillRect({1000, 1000, 1200, 1100});
                 },
                 {1000, 1000, 1200, 1100}, 8}),
    [](const auto& info) { return std::string(info.param.Name); });

// ---------------------------------------------------------------- pages and copies

TEST(PdfPages, EveryPageHoldsItsOwnDrawingAndCopiesRepeatTheJob) {
    if (!HavePoppler()) GTEST_SKIP() << "poppler-utils are not installed";
    PdfJob job;
    job.printer->SetCopies(2);
    job.printer->BeginDoc();
    for (int page = 0; page < 3; ++page) {
        if (page > 0) job.printer->NewPage();
        EXPECT_EQ(job.printer->PageNumber(), page + 1);
        FillBlack(job.Canvas(), {500 + page * 300, 800, 600 + page * 300, 900});
    }
    job.printer->EndDoc();
    EXPECT_EQ(PdfInfo(job.File(), "Pages"), "6");
    for (int page = 1; page <= 6; ++page) {
        SCOPED_TRACE(page);
        int k = (page - 1) % 3;
        TRect want{500 + k * 300, 800, 600 + k * 300, 900};
        ExpectNear(DarkBoxNear(job.File(), page, {400, 700, 1300, 1000}, 0), want, 1);
    }
}

// ---------------------------------------------------------------- text

struct TextRow {
    const char* Name;
    int32_t Escapement;  // tenths of a degree
};

class PdfRotatedText : public ::testing::TestWithParam<TextRow> {};

// The text cell turns about its anchor: the ink lies inside the turned cell
// and runs along the turned base line; pdftotext reads the word back.
TEST_P(PdfRotatedText, InkLiesInTheTurnedCellAndTheWordReadsBack) {
    if (!HavePoppler()) GTEST_SKIP() << "poppler-utils are not installed";
    const int x = 2400, y = 3500;
    PdfJob job;
    job.printer->BeginDoc();
    TCanvas& c = job.Canvas();
    c.Font()->SetName("Arial");
    c.Font()->SetHeight(-200);
    c.Font()->SetOrientation(GetParam().Escapement);
    c.Brush()->SetStyle(bsClear);
    const int w = c.TextWidth("HELLO"), h = c.TextHeight("HELLO");
    c.TextOut(x, y, "HELLO");
    job.printer->EndDoc();

    double a = GetParam().Escapement * M_PI / 1800.0, cs = std::cos(a), sn = std::sin(a);
    auto at = [&](double u, double v) { return std::pair<double, double>(x + u * cs + v * sn, y - u * sn + v * cs); };
    double l = 1e9, t = 1e9, r = -1e9, b = -1e9;
    for (auto [u, v] : {std::pair<double, double>{0, 0}, {double(w), 0}, {0, double(h)}, {double(w), double(h)}}) {
        auto [px, py] = at(u, v);
        l = std::min(l, px), r = std::max(r, px), t = std::min(t, py), b = std::max(b, py);
    }
    TRect cell{int(std::floor(l)), int(std::floor(t)), int(std::ceil(r)), int(std::ceil(b))};
    TRect ink = DarkBoxNear(job.File(), 1, cell, 40);
    EXPECT_GE(ink.Left, cell.Left - 3);
    EXPECT_GE(ink.Top, cell.Top - 3);
    EXPECT_LE(ink.Right, cell.Right + 3);
    EXPECT_LE(ink.Bottom, cell.Bottom + 3);
    // Along the base line the ink spans nearly the whole advance.
    double along = std::fabs(cs) > 0.5 ? ink.Width() / std::fabs(cs) : ink.Height() / std::fabs(sn);
    if (GetParam().Escapement % 900 == 0) {
        EXPECT_GT(along, 0.85 * w);
    }

    // pdftotext reads words along the four right angles; a slanted line
    // comes out letter by letter.
    std::vector<TPdfWord> words = PdfWords(job.File());
    ASSERT_FALSE(words.empty());
    TPdfWord all = words[0];
    all.Text.clear();
    for (const TPdfWord& w : words) {
        all.Text += w.Text;
        all.XMin = std::min(all.XMin, w.XMin), all.YMin = std::min(all.YMin, w.YMin);
        all.XMax = std::max(all.XMax, w.XMax), all.YMax = std::max(all.YMax, w.YMax);
    }
    if (GetParam().Escapement % 900 != 0) {
        std::sort(all.Text.begin(), all.Text.end());
        EXPECT_EQ(all.Text, "EHLLO");
        return;
    }
    EXPECT_EQ(all.Text, "HELLO");
    EXPECT_EQ(words.size(), 1u);
    // pdftotext's box (points) holds the ink.
    const double k = 72.0 / kDpi;
    EXPECT_LE(all.XMin, ink.Left * k + 2);
    EXPECT_GE(all.XMax, ink.Right * k - 2);
    EXPECT_LE(all.YMin, ink.Top * k + 2);
    EXPECT_GE(all.YMax, ink.Bottom * k - 2);
}

INSTANTIATE_TEST_SUITE_P(Escapements, PdfRotatedText,
                         ::testing::Values(TextRow{"Upright", 0}, TextRow{"Turned90", 900},
                                           TextRow{"Turned180", 1800}, TextRow{"Turned270", 2700},
                                           TextRow{"Turned30", 300}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(PdfText, CentredOnTheBaseLineAsMeasured) {
    if (!HavePoppler()) GTEST_SKIP() << "poppler-utils are not installed";
    const int x = 2500, y = 2000;
    PdfJob job;
    job.printer->BeginDoc();
    TCanvas& c = job.Canvas();
    c.Font()->SetName("Arial");
    c.Font()->SetHeight(-150);
    c.Brush()->SetStyle(bsClear);
    c.SetTextAlign(TA_CENTER | TA_BASELINE);
    const int w = c.TextWidth("MINIM");
    c.TextOut(x, y, "MINIM");
    job.printer->EndDoc();
    TRect ink = DarkBoxNear(job.File(), 1, {x - w / 2, y - 150, x + w / 2, y}, 40);
    EXPECT_NEAR((ink.Left + ink.Right) / 2.0, x, 3);
    EXPECT_NEAR(ink.Bottom, y, 2);
    // The straight sides of M leave little side bearing: ink spans the advance.
    EXPECT_NEAR(ink.Width(), w, 0.1 * w);
}

TEST(PdfText, WindowsLatinCharactersReadBack) {
    if (!HavePoppler()) GTEST_SKIP() << "poppler-utils are not installed";
    PdfJob job;
    job.printer->BeginDoc();
    TCanvas& c = job.Canvas();
    c.Font()->SetSize(12);
    c.TextOut(600, 600, "Gr\xC3\xB6\xC3\x9F" "e 5 \xE2\x82\xAC (x) \\");
    c.Font()->SetName("Times New Roman");
    c.Font()->SetStyle(fsBold | fsItalic);
    c.TextOut(600, 900, "Caf\xC3\xA9");
    c.Font()->SetName("Courier New");
    c.Font()->SetStyle(0);
    c.TextOut(600, 1200, "mono");
    job.printer->EndDoc();
    std::vector<std::string> texts;
    for (const TPdfWord& w : PdfWords(job.File())) texts.push_back(w.Text);
    EXPECT_EQ(texts, (std::vector<std::string>{"Gr\xC3\xB6\xC3\x9F" "e", "5", "\xE2\x82\xAC", "(x)", "\\",
                                              "Caf\xC3\xA9", "mono"}));
    std::string pdf = ReadFile(job.File());
    EXPECT_NE(pdf.find("/BaseFont /Helvetica "), std::string::npos);
    EXPECT_NE(pdf.find("/BaseFont /Times-BoldItalic "), std::string::npos);
    // Courier New's faces are taller than Courier's: embedded, not replaced.
    EXPECT_EQ(pdf.find("/BaseFont /Courier "), std::string::npos);
    EXPECT_NE(pdf.find("+LiberationMono-Regular "), std::string::npos);
}

TEST(PdfText, OpaqueTextFillsItsCellWithTheBackground) {
    if (!HavePoppler()) GTEST_SKIP() << "poppler-utils are not installed";
    PdfJob job;
    job.printer->BeginDoc();
    TCanvas& c = job.Canvas();
    c.Font()->SetHeight(-100);
    c.Font()->SetColor(clBlue);
    c.Brush()->SetColor(clYellow);
    const TSize size = c.TextExtent("Box 7");
    c.TextOut(1000, 1000, "Box 7");
    job.printer->EndDoc();
    TRaster r = RasterizePdf(job.File(), 1, kDpi, {990, 990, 1010 + size.cx, 1010 + size.cy}, true);
    EXPECT_EQ(r.Color(12, 12), clYellow);                    // the cell's corners
    EXPECT_EQ(r.Color(10 + size.cx - 2, 10 + size.cy - 2), clYellow);
    EXPECT_EQ(r.Color(5, 5), clWhite);                       // outside it
    int blue = 0;
    for (int y = 0; y < r.Height; ++y)
        for (int x = 0; x < r.Width; ++x) blue += r.Color(x, y) == clBlue;
    EXPECT_GT(blue, 500);
}

// ---------------------------------------------------------------- images

TEST(PdfImages, BitmapIsStretchedOntoItsRectangle) {
    if (!HavePoppler()) GTEST_SKIP() << "poppler-utils are not installed";
    TBitmap bitmap(2, 2);
    bitmap.Canvas()->SetPixel(0, 0, clRed);
    bitmap.Canvas()->SetPixel(1, 0, clLime);
    bitmap.Canvas()->SetPixel(0, 1, clBlue);
    bitmap.Canvas()->SetPixel(1, 1, clBlack);
    PdfJob job;
    job.printer->BeginDoc();
    job.Canvas().StretchDraw({1000, 1000, 1200, 1200}, &bitmap);
    job.printer->EndDoc();
    TRaster r = RasterizePdf(job.File(), 1, kDpi, {1000, 1000, 1200, 1200}, true);
    ASSERT_EQ(r.Width, 200);
    EXPECT_EQ(r.Color(50, 50), clRed);
    EXPECT_EQ(r.Color(150, 50), clLime);
    EXPECT_EQ(r.Color(50, 150), clBlue);
    EXPECT_EQ(r.Color(150, 150), clBlack);
    EXPECT_EQ(r.Color(1, 1), clRed);
    EXPECT_EQ(r.Color(198, 198), clBlack);
}

// ---------------------------------------------------------------- Qt's engine

// The system printers draw through Qt's print engine with the QPainter
// device; its PDF output shows the same geometry.
TEST(QtPrintPath, RectangleLandsOnItsPixelsWithMargins) {
    if (!HavePoppler()) GTEST_SKIP() << "poppler-utils are not installed";
    std::string file = TestFolder() + "qt.pdf";
    TPageSetup setup;
    setup.MarginLeft = 10, setup.MarginTop = 15, setup.MarginRight = 5, setup.MarginBottom = 5;
    std::vector<std::unique_ptr<TPrinterBackend>> list;
    list.push_back(CreateQtPdfPrinter("Qt PDF", file, setup));
    TPrinter printer(std::move(list));
    EXPECT_EQ(printer.Canvas()->GetDeviceCaps(LOGPIXELSX), kDpi);
    printer.BeginDoc();
    TPoint offset;
    Escape(*printer.Canvas(), GETPRINTINGOFFSET, 0, nullptr, &offset);
    // Qt keeps margins in whole points: 10 mm and 15 mm become 28 and 43 pt.
    EXPECT_NEAR(offset.X, 236, 4);
    EXPECT_NEAR(offset.Y, 354, 5);
    printer.Canvas()->SetViewportOrgEx(-offset.X, -offset.Y);
    FillBlack(*printer.Canvas(), {1181, 1417, 1300, 1600});
    printer.EndDoc();
    ExpectNear(DarkBoxNear(file, 1, {1181, 1417, 1300, 1600}), {1181, 1417, 1300, 1600}, 1);
}

}  // namespace
