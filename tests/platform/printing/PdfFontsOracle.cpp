// Fonts in our PDF files as poppler sees them: text in a chosen font,
// rasterised by pdftoppm, has the ink of the same text drawn through the
// screen canvas; pdffonts lists each face once, embedded; pdftotext reads the
// text back.
#include <gtest/gtest.h>

#include <QFont>
#include <QRawFont>

#include "platform/controls/QtPrinter.h"
#include "tests/platform/printing/PrintTestSupport.h"

namespace {

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

std::vector<std::string> SortedWords(const std::string& text) {
    std::vector<std::string> words;
    std::istringstream in(text);
    for (std::string w; in >> w;) words.push_back(w);
    std::sort(words.begin(), words.end());
    return words;
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
    if (!InstalledFamily(GetParam().Family)) GTEST_SKIP() << GetParam().Family << " is not installed";
    // Windows Latin from the engine and UTF-8 beyond it from a caption.
    const std::vector<std::string> texts = {"HELLO-123", "Gr\xC3\xB6\xC3\x9F" "e 5 \xE2\x82\xAC",
                                            "\xCE\xA9 \xE2\x89\xA5 \xC5\x81\xC3\xB3" "d\xC5\xBA"};
    TwinPrint print([&](TCanvas& c) {
        c.Font()->SetName(GetParam().Family);
        c.Font()->SetOrientation(0);
        c.Brush()->SetStyle(bsClear);
        c.Font()->SetHeight(-110);
        c.TextOut(300, 200, texts[0]);
        c.Font()->SetSize(14);
        c.TextOut(300, 500, texts[1]);
        c.TextOut(300, 800, texts[2]);
        // Turned a quarter: the text runs up the page from its anchor.
        c.Font()->SetOrientation(900);
        c.TextOut(1500, 1200, texts[0]);
    });
    const std::vector<TRecordedCall> drawn = print.Texts();
    ASSERT_EQ(drawn.size(), texts.size() + 1);
    TBitmap& screen = *print.Recorder->PageBitmap(0);
    for (size_t i = 0; i < texts.size(); ++i) {
        SCOPED_TRACE(drawn[i].Text);
        const TRect cell = CellOf(drawn[i], 30);
        ExpectSameInk(PdfInk(print.File(), cell), ScreenInk(screen, cell));
    }
    const TRecordedCall& turned = drawn.back();
    const TRect upwards{turned.Anchor.X - 30, turned.Anchor.Y - turned.Extent.cx - 30,
                        turned.Anchor.X + turned.Extent.cy + 30, turned.Anchor.Y + 30};
    const TRect pdfBox = PdfInk(print.File(), upwards).Box, screenBox = ScreenInk(screen, upwards).Box;
    ASSERT_GT(screenBox.Height(), turned.Extent.cx / 2);
    EXPECT_NEAR(pdfBox.Left, screenBox.Left, 2);
    EXPECT_NEAR(pdfBox.Top, screenBox.Top, 2);
    EXPECT_NEAR(pdfBox.Right, screenBox.Right, 2);
    EXPECT_NEAR(pdfBox.Bottom, screenBox.Bottom, 2);
    // pdftotext puts the turned text where it likes.
    EXPECT_EQ(SortedWords(WordsOf(print.File())),
              SortedWords(texts[0] + " " + texts[1] + " " + texts[2] + " " + texts[0]));

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

// ---------------------------------------------------------------- standard fonts

struct StandardRow {
    const char* Name;
    const char* Family;
    TFontStyles Style;
    const char* Standard;
    const char* Resolved;  // the installed face it needs
};

class MetricCompatible : public ::testing::TestWithParam<StandardRow> {};

// A face metric-compatible with a standard font that looks like it keeps the
// standard font, unembedded.
TEST_P(MetricCompatible, KeepsTheStandardFont) {
    if (!HavePoppler() || !HaveTool("pdffonts")) GTEST_SKIP() << "poppler-utils are not installed";
    if (!InstalledFamily(GetParam().Resolved)) GTEST_SKIP() << GetParam().Resolved << " is not installed";
    const std::string text = "Hamburg 1942 \xC3\xA9t\xC3\xA9";
    TwinPrint print([&](TCanvas& c) {
        c.Font()->SetName(GetParam().Family);
        c.Font()->SetStyle(GetParam().Style);
        c.Font()->SetHeight(-110);
        c.Brush()->SetStyle(bsClear);
        c.TextOut(300, 300, text);
    });
    const std::vector<TPdfFont> fonts = PdfFonts(print.File());
    ASSERT_EQ(fonts.size(), 1u);
    EXPECT_EQ(fonts[0].Name, GetParam().Standard);
    EXPECT_FALSE(fonts[0].Embedded);
    EXPECT_EQ(WordsOf(print.File()), text);
    // A viewer draws the standard font's own letters (a "1" with a flag
    // where Arial has none), at the same advances: the text's ink ends where
    // the screen's does.
    const TRect cell = CellOf(print.Texts().at(0), 30);
    const TRect pdf = PdfInk(print.File(), cell).Box, screen = ScreenInk(*print.Recorder->PageBitmap(0), cell).Box;
    ASSERT_GT(screen.Width(), 0);
    EXPECT_NEAR(pdf.Left, screen.Left, 4);
    EXPECT_NEAR(pdf.Top, screen.Top, 4);
    EXPECT_NEAR(pdf.Right, screen.Right, 4);
    EXPECT_NEAR(pdf.Bottom, screen.Bottom, 4);
}

INSTANTIATE_TEST_SUITE_P(Faces, MetricCompatible,
                         ::testing::Values(StandardRow{"Arial", "Arial", 0, "Helvetica", "Liberation Sans"},
                                           StandardRow{"ArialBold", "Arial", fsBold, "Helvetica-Bold",
                                                       "Liberation Sans"},
                                           StandardRow{"TimesItalic", "Times New Roman", fsItalic, "Times-Italic",
                                                       "Liberation Serif"},
                                           StandardRow{"Courier", "Courier", 0, "Courier", "Nimbus Mono PS"}),
                         [](const auto& info) { return std::string(info.param.Name); });

// Beyond Windows Latin the standard fonts have no glyphs: the resolved face
// is embedded instead.
TEST(EmbeddedText, TextBeyondWindowsLatinEmbedsEvenAMetricCompatibleFace) {
    if (!HavePoppler() || !HaveTool("pdffonts")) GTEST_SKIP() << "poppler-utils are not installed";
    if (!InstalledFamily("Liberation Sans")) GTEST_SKIP() << "fonts-liberation is not installed";
    const std::string latin = "Price 5", beyond = "\xCE\xA9" "mega \xE2\x89\xA0 5";
    TwinPrint print([&](TCanvas& c) {
        c.Font()->SetName("Arial");
        c.Font()->SetHeight(-110);
        c.Brush()->SetStyle(bsClear);
        c.TextOut(300, 300, latin);
        c.TextOut(300, 600, beyond);
    });
    std::vector<std::string> names;
    for (const TPdfFont& f : PdfFonts(print.File())) names.push_back(f.Name.substr(f.Name.find('+') + 1));
    EXPECT_EQ(names, (std::vector<std::string>{"Helvetica", "LiberationSans-Regular"}));
    EXPECT_EQ(WordsOf(print.File()), latin + " " + beyond);
    const TRect cell = CellOf(print.Texts().at(1), 30);
    ExpectSameInk(PdfInk(print.File(), cell), ScreenInk(*print.Recorder->PageBitmap(0), cell));
}

// Every glyph of a file is embedded once, whatever page uses it; a face with
// more glyphs than one font object holds (255 codes) takes a second.
TEST(EmbeddedText, EachGlyphOnceInAFileOfManyPagesAndGlyphs) {
    if (!HavePoppler() || !HaveTool("pdffonts")) GTEST_SKIP() << "poppler-utils are not installed";
    if (!InstalledFamily("DejaVu Serif")) GTEST_SKIP() << "fonts-dejavu-core is not installed";
    // Latin, Latin Extended-A, Greek and Cyrillic letters: 306 characters.
    std::vector<std::string> lines;
    std::string line;
    auto add = [&](uint32_t from, uint32_t to) {
        for (uint32_t cp = from; cp <= to; ++cp) {
            if (cp == 0x3A2) continue;  // no capital final sigma
            AppendUtf8(line, cp);
            if (line.size() >= 60) lines.push_back(line), line.clear();
        }
    };
    add('A', 'Z'), add('a', 'z'), add(0x100, 0x17F), add(0x391, 0x3A9), add(0x3B1, 0x3C9), add(0x410, 0x44F);
    lines.push_back(line);
    auto pdf = std::make_unique<TPdfFilePrinter>();
    pdf->SetOutputFolder(TestFolder());
    TPdfFilePrinter* file = pdf.get();
    std::vector<std::unique_ptr<TPrinterBackend>> list;
    list.push_back(std::move(pdf));
    TPrinter printer(std::move(list));
    printer.BeginDoc();
    TCanvas& c = *printer.Canvas();
    c.Font()->SetName("DejaVu Serif");
    c.Font()->SetSize(10);
    for (size_t i = 0; i < lines.size(); ++i) c.TextOut(300, 300 + static_cast<int32_t>(i) * 150, lines[i]);
    printer.NewPage();
    c.TextOut(300, 300, lines[0]);
    printer.EndDoc();

    const std::vector<TPdfFont> fonts = PdfFonts(file->LastFile());
    ASSERT_EQ(fonts.size(), 2u);
    for (const TPdfFont& f : fonts) {
        EXPECT_EQ(f.Name.substr(f.Name.find('+') + 1), "DejaVuSerif-Book");
        EXPECT_TRUE(f.Embedded);
    }
    // The face draws some letters of the three alphabets with one glyph.
    std::string drawn;
    for (const std::string& l : lines) drawn += l;
    QList<quint32> glyphs = QRawFont::fromFont(QFont(QStringLiteral("DejaVu Serif")))
                                .glyphIndexesForString(QString::fromStdString(drawn));
    std::sort(glyphs.begin(), glyphs.end());
    const auto distinct = std::unique(glyphs.begin(), glyphs.end()) - glyphs.begin();
    EXPECT_LT(distinct, 306);
    const std::string bytes = ReadFile(file->LastFile());
    int procedures = 0;
    for (size_t at = 0; (at = bytes.find(" d1\n", at)) != std::string::npos; ++at) ++procedures;
    EXPECT_EQ(procedures, distinct);
    std::string read;
    for (const TPdfWord& w : PdfWords(file->LastFile())) read += w.Text;
    EXPECT_EQ(read, drawn);
    std::string second;
    for (const TPdfWord& w : PdfWords(file->LastFile(), 2)) second += w.Text;
    EXPECT_EQ(second, lines[0]);
}

}  // namespace
