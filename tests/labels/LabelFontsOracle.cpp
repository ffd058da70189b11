// Captions and the symbol's human-readable text in the font the user chose,
// printed by the label sheet window to our PDF printer and rasterised by
// pdftoppm, have the ink of the same label drawn through the screen canvas
// (the recording printer's page bitmaps); pdffonts lists the chosen face,
// embedded; pdftotext reads every text back.
#include "tests/labels/LabelsFixture.h"
#include "tests/platform/printing/PrintTestSupport.h"

namespace {

struct FontRow {
    const char* Name;
    const char* Family;
    const char* PdfName;  // pdffonts's name after the subset tag
};

class LabelFonts : public LabelsFixture, public ::testing::WithParamInterface<FontRow> {
protected:
    // The PDF-file printer and a recording printer with page bitmaps, on the
    // same small page.
    void UsePdfAndScreen() {
        TPageSetup setup;
        setup.MarginRight = 90;
        setup.MarginBottom = 200;
        auto pdf = std::make_unique<TPdfFilePrinter>();
        pdf->SetPageSetup(setup);
        pdf->SetOutputFolder(TestFolder());
        Pdf = pdf.get();
        auto screen = std::make_unique<TRecordingPrinter>("Screen", setup);
        screen->SetWithBitmaps(true);
        Recorder = screen.get();
        std::vector<std::unique_ptr<TPrinterBackend>> list;
        list.push_back(std::move(pdf));
        list.push_back(std::move(screen));
        SetPrinter(std::make_unique<TPrinter>(std::move(list), 0));
    }
    TPdfFilePrinter* Pdf = nullptr;
};

TEST_P(LabelFonts, CaptionsAndSymbolTextPrintInTheChosenFont) {
    if (!HavePoppler() || !HaveTool("pdffonts")) GTEST_SKIP() << "poppler-utils are not installed";
    if (!InstalledFamily(GetParam().Family)) GTEST_SKIP() << GetParam().Family << " is not installed";
    StartForms();
    SetSymbol("Code 128 - Table B", "Label 2.17");
    Form1->Barcode1->SetBar_Rotation(rotate_000);
    Form1->Barcode1->SetBar_Fontname(GetParam().Family);
    // UTF-8 captions, beyond Windows Latin too.
    WriteTemplate("Fonts", {"70", "42.3", "5", "3", "7", "3", "0", "0.45", "70", "42.3", "Gr\xC3\xB6\xC3\x9F" "e %d",
                            "\xCE\xA9 \xE2\x89\xA5 %d", "14", "12"});
    Activate(frmLabels);
    frmLabels->RadioGroup1->SetItemIndex(1);
    frmLabels->txtPcol->SetText("1");
    frmLabels->txtProw->SetText("1");
    UsePdfAndScreen();
    for (int32_t printer : {0, 1}) {
        Printer()->SetPrinterIndex(printer);
        UserClick(frmLabels->btnPrint1);
        ASSERT_TRUE(Dialogs->Messages().empty()) << Dialogs->Messages().front();
    }

    const std::string pdf = Pdf->LastFile();
    ASSERT_FALSE(pdf.empty());
    ASSERT_EQ(Recorder->Jobs().size(), 1u);
    std::vector<TRecordedCall> texts;
    for (const TRecordedCall& c : Recorder->Jobs()[0].Pages.at(0))
        if (c.Kind == TRecordedKind::TextOut && !c.Text.empty()) texts.push_back(c);
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0].Text, "Gr\xC3\xB6\xC3\x9F" "e 1");
    EXPECT_EQ(texts[1].Text, "Label 2.17");
    EXPECT_EQ(texts[2].Text, "\xCE\xA9 \xE2\x89\xA5 1");
    const std::string words = WordsOf(pdf);
    for (const TRecordedCall& c : texts) {
        SCOPED_TRACE(c.Text);
        EXPECT_NE(words.find(c.Text), std::string::npos) << words;
        EXPECT_EQ(c.Font.Name, GetParam().Family);
        const TRect cell = CellOf(c, 20);
        ExpectSameInk(PdfInk(pdf, cell), ScreenInk(*Recorder->PageBitmap(0), cell));
    }

    const std::vector<TPdfFont> fonts = PdfFonts(pdf);
    ASSERT_FALSE(fonts.empty());
    EXPECT_EQ(fonts[0].Name.substr(fonts[0].Name.find('+') + 1), GetParam().PdfName);
    for (const TPdfFont& f : fonts) EXPECT_TRUE(f.Embedded) << f.Name;
}

INSTANTIATE_TEST_SUITE_P(Fonts, LabelFonts,
                         ::testing::Values(FontRow{"Serif", "DejaVu Serif", "DejaVuSerif-Book"},
                                           FontRow{"Script", "Z003", "Z003-MediumItalic"}),
                         [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
