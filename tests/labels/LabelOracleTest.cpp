// Label sheets printed to our PDF printer, and through a real CUPS queue, read
// back by tools nobody here wrote: pdftoppm rasterises the page at 600 dpi,
// zbarimg decodes every symbol, pdftotext -bbox finds the captions.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

#include "engine/Barcode.h"
#include "platform/graphics/RecordingDevice.h"
#include "tests/labels/LabelsFixture.h"
#include "tests/support/CupsQueue.h"
#include "tests/support/Tools.h"

namespace {

constexpr int kDpi = 600;

// An 8-bit grey raster.
struct TGrey {
    int Width = 0, Height = 0;
    std::vector<uint8_t> Pixels;
    uint8_t At(int x, int y) const { return Pixels[static_cast<size_t>(y) * Width + x]; }
    // Bounding box of the pixels darker than mid-grey inside r.
    TRect DarkBox(const TRect& r) const {
        int l = INT32_MAX, t = INT32_MAX, rt = -1, b = -1;
        for (int y = std::max(0, r.Top); y < std::min(Height, r.Bottom); ++y)
            for (int x = std::max(0, r.Left); x < std::min(Width, r.Right); ++x)
                if (At(x, y) < 128) l = std::min(l, x), t = std::min(t, y), rt = std::max(rt, x), b = std::max(b, y);
        return rt < 0 ? TRect{} : TRect{l, t, rt + 1, b + 1};
    }
    void SaveCrop(const TRect& r, const std::string& path) const {
        std::ofstream out(path, std::ios::binary);
        out << "P5\n" << r.Width() << " " << r.Height() << "\n255\n";
        for (int y = r.Top; y < r.Bottom; ++y)
            out.write(reinterpret_cast<const char*>(&Pixels[static_cast<size_t>(y) * Width + r.Left]), r.Width());
    }
};

TGrey RasterizePage(const std::string& pdf, const std::string& prefix) {
    RunCommand("pdftoppm -r " + std::to_string(kDpi) + " -gray -aa no -aaVector no -singlefile '" + pdf + "' '" + prefix +
          "'");
    TGrey g;
    std::ifstream in(prefix + ".pgm", std::ios::binary);
    std::string magic;
    int maxval = 0;
    in >> magic >> g.Width >> g.Height >> maxval;
    in.get();
    if (magic != "P5" || maxval != 255) return {};
    g.Pixels.resize(static_cast<size_t>(g.Width) * g.Height);
    in.read(reinterpret_cast<char*>(g.Pixels.data()), static_cast<std::streamsize>(g.Pixels.size()));
    return in ? g : TGrey{};
}

struct TWord {
    std::string Text;
    double XMin = 0, YMin = 0;
};

// The words of page 1 with their top left corners in points.
std::map<std::string, TWord> PdfWords(const std::string& pdf) {
    const std::string html = RunCommand("pdftotext -bbox -f 1 -l 1 '" + pdf + "' -");
    std::map<std::string, TWord> words;
    for (size_t at = 0; (at = html.find("<word ", at)) != std::string::npos;) {
        const size_t close = html.find('>', at), end = html.find("</word>", close);
        if (close == std::string::npos || end == std::string::npos) break;
        const std::string attrs = html.substr(at, close - at);
        auto attr = [&](const char* name) {
            const size_t p = attrs.find(std::string(name) + "=\"");
            return p == std::string::npos ? -1.0 : std::atof(attrs.c_str() + p + std::strlen(name) + 2);
        };
        TWord w{html.substr(close + 1, end - close - 1), attr("xMin"), attr("yMin")};
        words[w.Text] = w;
        at = end;
    }
    return words;
}

// EAN-13 check digit of twelve digits, by the standard's weights 1 and 3.
char Ean13Check(const std::string& digits) {
    int sum = 0;
    for (size_t i = 0; i < 12; ++i) sum += (digits[i] - '0') * (i % 2 ? 3 : 1);
    return static_cast<char>('0' + (10 - sum % 10) % 10);
}

// A4 with 3 x 7 labels of 70 x 42.3 mm.
constexpr double kPitchX = 70, kPitchY = 42.3, kPageTop = 0.45, kLabelLeft = 5, kLabelTop = 3;

class LabelOracleTest : public LabelsFixture {
protected:
    void SetUp() override {
        LabelsFixture::SetUp();
        if (!HaveTool("pdftoppm") || !HaveTool("pdftotext") || !HaveTool("zbarimg"))
            GTEST_SKIP() << "poppler-utils or zbar-tools missing";
        Out = Root + "/out/";
        std::filesystem::create_directories(Out);
        StartForms();
        W = frmLabels;
        SetSymbol("Code EAN-13", "400638133393");
        Form1->Barcode1->SetBar_Rotation(rotate_000);
        TLabelTemplate t{"70", "42.3", "5", "3", "7", "3", "0", "0.45", "70", "42.3", "Top%d", "Bot%d", "8", "8"};
        WriteTemplate("A4 3x7", t);
        Activate(W);
        Dialogs->Clear();
    }

    void UsePdf(double marginLeft, double marginTop) {
        auto pdf = std::make_unique<TPdfFilePrinter>();
        TPageSetup setup;
        setup.MarginLeft = marginLeft;
        setup.MarginTop = marginTop;
        setup.MarginRight = 3;
        setup.MarginBottom = 3;
        pdf->SetPageSetup(setup);
        pdf->SetOutputFolder(Out);
        Pdf = pdf.get();
        std::vector<std::unique_ptr<TPrinterBackend>> list;
        list.push_back(std::move(pdf));
        SetPrinter(std::make_unique<TPrinter>(std::move(list), 0));
        Recorder = nullptr;
    }

    // Where label (c, r) starts on the paper, in pixels at dpi.
    static TPoint Origin(int c, int r, int dpi = kDpi) {
        const long double k = dpi / 25.4L;
        return {static_cast<int32_t>(Round(kLabelLeft * k + c * kPitchX * k)),
                static_cast<int32_t>(Round((kPageTop + kLabelTop) * k + r * kPitchY * k))};
    }

    // The bars of the main window's symbol drawn at (0, 0) at dpi, and the
    // size of the whole symbol.
    static TRect ReferenceBars(TSize* size, int dpi = kDpi) {
        TBarcode reference(nullptr);
        reference.SetBar_CodeType(Form1->Barcode1->Bar_CodeType());
        reference.SetBar_Caption(Form1->Barcode1->Bar_Caption());
        reference.SetBar_Fontname(Form1->Barcode1->Bar_Fontname());
        reference.SetBar_ModuleWidth(Form1->Barcode1->Bar_ModuleWidth());
        TRecordingCanvas canvas(dpi, dpi, {6000, 6000});
        reference.LoMetricPrint(canvas, 0, 0, size);
        TRect box{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
        for (const TRecordedCall& c : canvas.Calls(TRecordedKind::FillRect)) {
            if (c.Brush.Color != clBlack) continue;
            box = {std::min(box.Left, c.Rect.Left), std::min(box.Top, c.Rect.Top), std::max(box.Right, c.Rect.Right),
                   std::max(box.Bottom, c.Rect.Bottom)};
        }
        return box;
    }
    // The height the printer gives a caption line of 8 points.
    static int32_t CaptionHeight(const std::string& text) {
        TCanvas& canvas = *Printer()->Canvas();
        canvas.Font()->SetName("Arial");
        canvas.Font()->SetSize(8);
        return canvas.TextHeight(text);
    }

    // A printed 3 x 7 sheet of the main window's symbol with the captions
    // Top%d and Bot%d: every symbol's bars where its label starts below the
    // top caption, the captions above and below it (pdftotext), every label
    // decoded in order. The page is measured at 600 dpi, whatever the
    // printer's resolution, each bar edge within a pixel; the paper may
    // differ from ours by another PDF writer's rounding (paperTolerance, in
    // pixels).
    void ExpectSheet(const std::string& pdf, const std::string& name, int paperTolerance) {
        const int dpi = Printer()->Canvas()->GetDeviceCaps(LOGPIXELSX);
        const double scale = static_cast<double>(kDpi) / dpi;
        auto onPage = [scale](int32_t v) { return static_cast<int32_t>(std::lround(v * scale)); };
        const TGrey page = RasterizePage(pdf, Out + name);
        ASSERT_NEAR(page.Width, 4961, paperTolerance);  // A4 at 600 dpi
        ASSERT_NEAR(page.Height, 7016, paperTolerance);

        TSize size;
        const TRect bars = ReferenceBars(&size, dpi);
        const int32_t topLine = CaptionHeight("Top%d");
        const auto words = PdfWords(pdf);
        for (int r = 0; r < 7; ++r)
            for (int c = 0; c < 3; ++c) {
                const int n = r * 3 + c + 1;
                SCOPED_TRACE("label " + std::to_string(n));
                const TPoint o = Origin(c, r, dpi);
                const TPoint symbol{o.X, o.Y + topLine};
                const int32_t left = onPage(symbol.X + bars.Left), right = onPage(symbol.X + bars.Right);
                const int32_t top = onPage(symbol.Y + bars.Top), height = onPage(bars.Bottom - bars.Top);
                // Across: a band of bars alone, below the top caption and above the digits.
                const TRect dark = page.DarkBox({left - 30, top + 10, right + 30, top + height * 8 / 10});
                EXPECT_NEAR(dark.Left, left, 1);
                EXPECT_NEAR(dark.Right, right, 1);
                // Down: the right half of the bars, clear of the top caption's text.
                EXPECT_NEAR(page.DarkBox({(left + right) / 2, onPage(symbol.Y) - 40, right + 30, top + 200}).Top, top, 1);

                // Captions: the top one at the label origin, the bottom one under the symbol.
                const auto topCaption = words.find("Top" + std::to_string(n));
                const auto bottomCaption = words.find("Bot" + std::to_string(n));
                ASSERT_NE(topCaption, words.end());
                ASSERT_NE(bottomCaption, words.end());
                const double pt = 72.0 / dpi;
                EXPECT_NEAR(topCaption->second.XMin, o.X * pt, 1.5);
                EXPECT_GE(topCaption->second.YMin, o.Y * pt - 0.5);
                EXPECT_LE(topCaption->second.YMin, (o.Y + topLine) * pt);
                EXPECT_NEAR(bottomCaption->second.XMin, o.X * pt, 1.5);
                EXPECT_GE(bottomCaption->second.YMin, (symbol.Y + size.cy) * pt - 0.5);
                EXPECT_LE(bottomCaption->second.YMin, (symbol.Y + size.cy + topLine) * pt);
            }
        EXPECT_EQ(DecodeLabels(page), std::vector<std::string>(21, "4006381333931"));
    }

    // Decodes each label's crop of the page (reaching Extent past its
    // origin), in label order.
    std::vector<std::string> DecodeLabels(const TGrey& page, const std::string& name = "label",
                                          TPoint extent = {1500, 900},
                                          const std::string& symbologies = "-Sdisable -Sean13.enable") {
        std::string files;
        for (int r = 0; r < 7; ++r)
            for (int c = 0; c < 3; ++c) {
                const TPoint o = Origin(c, r);
                const TRect crop{std::max(0, o.X - 100), std::max(0, o.Y - 50), std::min(page.Width, o.X + extent.X),
                                 std::min(page.Height, o.Y + extent.Y)};
                const std::string path = Out + name + std::to_string(r * 3 + c + 1) + ".pgm";
                page.SaveCrop(crop, path);
                files += " '" + path + "'";
            }
        return OutputLines("zbarimg -q --raw " + symbologies + files);
    }

    std::string Out;
    TfrmLabels* W = nullptr;
    TPdfFilePrinter* Pdf = nullptr;
};

struct MarginRow {
    const char* Name;
    double Left, Top;  // the printer's unprintable margins, mm
};

class LabelSheetOracle : public LabelOracleTest, public ::testing::WithParamInterface<MarginRow> {};

TEST_P(LabelSheetOracle, EverySymbolAtItsOriginDecodedWithItsCaptions) {
    UsePdf(GetParam().Left, GetParam().Top);
    UserClick(W->btnDoPrint);
    ASSERT_TRUE(Dialogs->Messages().empty()) << Dialogs->Messages().front();
    const std::string pdf = Pdf->LastFile();
    ASSERT_FALSE(pdf.empty());
    EXPECT_EQ(ExtractFileName(pdf), "Application.pdf");
    ExpectSheet(pdf, "page", 0);
}

INSTANTIATE_TEST_SUITE_P(Rows, LabelSheetOracle,
                         ::testing::Values(MarginRow{"NoPrinterMargins", 0, 0}, MarginRow{"PrinterMargins", 4.2, 6.35}),
                         [](const auto& info) { return std::string(info.param.Name); });

// The same sheet through the cups-pdf queue of scripts/test.d/cups.sh, drawn
// by the Qt printer backend.
class CupsSheet : public LabelOracleTest {};

TEST_F(CupsSheet, EverySymbolAtItsOriginDecodedWithItsCaptions) {
    const TCupsQueue queue = CupsQueueFromEnvironment();
    if (!queue.Present()) GTEST_SKIP() << "no CUPS queue: scripts/test.d/cups.sh sets one up";
    SetPrinter(std::make_unique<TPrinter>());
    Recorder = nullptr;
    const int32_t index = Printer()->Printers()->IndexOf(queue.Name);
    ASSERT_GE(index, 0) << queue.Name << " is not among the printers";
    Printer()->SetPrinterIndex(index);
    const std::vector<std::string> before = CupsPdfFiles(queue);
    UserClick(W->btnDoPrint);
    ASSERT_TRUE(Dialogs->Messages().empty()) << Dialogs->Messages().front();
    const std::string pdf = WaitForCupsPdf(queue, before);
    ASSERT_FALSE(pdf.empty()) << "nothing came out of " << queue.Name;
    ExpectSheet(pdf, "cups", 3);
}

TEST_F(LabelOracleTest, CountingNumbersDecodeInLabelOrder) {
    UsePdf(3, 3);
    W->PrefixBox->SetChecked(true);
    W->Prefix->SetText("400638");
    W->seqBegininput->SetText("100001");
    W->seqEnd->SetText("100021");
    UserClick(W->btnPrintSeq);
    ASSERT_TRUE(Dialogs->Messages().empty()) << Dialogs->Messages().front();
    const TGrey page = RasterizePage(Pdf->LastFile(), Out + "counting");
    ASSERT_GT(page.Width, 0);
    std::vector<std::string> expected;
    for (int n = 1; n <= 21; ++n) {
        std::string digits = "4006381000" + std::string(n < 10 ? "0" : "") + std::to_string(n);
        expected.push_back(digits + Ean13Check(digits));
    }
    EXPECT_EQ(DecodeLabels(page), expected);
    EXPECT_EQ(W->seqBegin->Text(), "100001");
}

// A label data table of seven symbologies, one row per label of the 3 x 7
// sheet: every label decodes to its row's data, in label order.
TEST_F(LabelOracleTest, DataTableRowsDecodeInLabelOrder) {
    UsePdf(3, 3);
    struct Kind {
        const char* Type;
        const char* Data;
        const char* Decoded;  // zbar's raw text (check characters where the symbology adds them)
    };
    const Kind kinds[] = {{"EAN_13", "400638133393", "4006381333931"}, {"EAN_8", "4006381", "40063812"},
                          {"UPC_A", "01234567890", "0012345678905"},   {"CODE39", "VARSONA-1", "VARSONA-1"},
                          {"CODE25i", "123456", "123456"},             {"CODE128_B", "Label 7b", "Label 7b"},
                          {"Codabar", "A40156B", "A40156B"}};
    std::string text;
    std::vector<std::string> expected;
    for (int n = 0; n < 21; ++n) {
        const Kind& k = kinds[n % 7];
        text += std::string(k.Type) + ",\"" + k.Data +
                "\",\" \",Arial,SC2,100,100,3:1,TRUE,FALSE,000,Top%d,8,Bot%d,8\r\n";
        expected.push_back(k.Decoded);
    }
    const std::string file = Root + "/sheet.csv";
    std::ofstream(file, std::ios::binary) << text;
    Dialogs->AnswerOpen(file);
    UserClick(W->Button6);
    UserClick(W->Button5);
    ASSERT_TRUE(Dialogs->Messages().empty()) << Dialogs->Messages().front();
    const TGrey page = RasterizePage(Pdf->LastFile(), Out + "data");
    ASSERT_GT(page.Width, 0);
    EXPECT_EQ(DecodeLabels(page, "data", {1600, 950}, "-Si25.min=4"), expected);
}

}  // namespace
