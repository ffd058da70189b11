// Checks against readers nobody here wrote: zbarimg reads the symbol on the
// screen, on the printed page and in every saved picture; pdftoppm rasterises
// the printed page, from our PDF-file printer and from a real CUPS queue;
// ImageMagick and emf2svg open the saved pictures.
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QImage>
#include <QPixmap>
#include <QPushButton>
#include <QTest>
#include <cstdio>
#include <regex>
#include <set>
#include <sstream>
#include <vector>

#include "designer/BarcodeImage.h"
#include "designer/SymbologyList.h"
#include "platform/controls/ComCtrls.h"
#include "platform/controls/PrinterSetup.h"
#include "platform/controls/qt/ControlsQt.h"
#include "tests/designer/DesignerFixture.h"
#include "tests/gif/GiflibOracle.h"
#include "tests/gif/PhotoImage.h"
#include "tests/support/CupsQueue.h"
#include "tests/support/Tools.h"

namespace {

// zbarimg with only the named symbologies enabled, so that a stray read of
// another cannot fake a result.
std::vector<std::string> Zbar(const std::string& file, const std::string& symbologies) {
    std::string command = "zbarimg --nodbus -q -Sdisable";
    std::istringstream names(symbologies);
    for (std::string name; names >> name;) command += " -S" + name + ".enable=1";
    std::vector<std::string> lines = OutputLines(command + " " + Quoted(file));
    std::sort(lines.begin(), lines.end());
    return lines;
}

// A grey raster as pdftoppm writes it (binary PGM).
struct TGreyImage {
    int Width = 0, Height = 0;
    std::vector<uint8_t> Pixels;
    bool Dark(int x, int y) const { return Pixels[static_cast<size_t>(y) * Width + x] < 128; }
};

TGreyImage ReadPgm(const std::string& path) {
    TGreyImage image;
    const std::string bytes = ReadFileBytes(path);
    std::istringstream in(bytes);
    std::string magic;
    int maxValue = 0;
    in >> magic >> image.Width >> image.Height >> maxValue;
    in.get();
    if (magic != "P5" || maxValue != 255) return {};
    const size_t offset = static_cast<size_t>(in.tellg());
    image.Pixels.assign(bytes.begin() + static_cast<std::ptrdiff_t>(offset), bytes.end());
    if (image.Pixels.size() != static_cast<size_t>(image.Width) * image.Height) return {};
    return image;
}

TRect DarkBounds(const TGreyImage& image) {
    TRect r{image.Width, image.Height, -1, -1};
    for (int y = 0; y < image.Height; ++y)
        for (int x = 0; x < image.Width; ++x)
            if (image.Dark(x, y)) {
                r.Left = std::min(r.Left, x);
                r.Top = std::min(r.Top, y);
                r.Right = std::max(r.Right, x);
                r.Bottom = std::max(r.Bottom, y);
            }
    return r;
}

// Lengths of the dark runs along row y from x.
std::vector<int> DarkRuns(const TGreyImage& image, int x, int y) {
    std::vector<int> runs;
    int run = 0;
    for (; x < image.Width; ++x) {
        if (image.Dark(x, y)) ++run;
        else if (run) {
            runs.push_back(run);
            run = 0;
        }
    }
    if (run) runs.push_back(run);
    return runs;
}

class OracleTest : public DesignerFixture {
protected:
    void SetUp() override {
        DesignerFixture::SetUp();
        MakeSettingsFolder();
        StartForms();
    }
    void Select(int32_t index, const std::string& data, const std::string& addon = "") {
        UserChoose(Form1->ComboBox1, index);
        Form1->Edit1->SetText(data);
        Form1->Edit2->SetText(addon);
    }
};

// ---------------------------------------------------------------- the screen

struct ScreenRow {
    const char* Name;
    int32_t Index;
    const char* Data;
    const char* Addon;
    const char* Symbologies;
    std::vector<std::string> Decoded;
};

class ScreenSymbol : public OracleTest, public ::testing::WithParamInterface<ScreenRow> {};

TEST_P(ScreenSymbol, GrabOfTheWindowDecodes) {
    SKIP_WITHOUT_TOOL("zbarimg");
    const ScreenRow& r = GetParam();
    Select(r.Index, r.Data, r.Addon);
    // A paint takes the symbol's size; the next one shows all of it.
    Form1->Barcode1->Repaint();
    Application->ProcessMessages();
    // The scroll box is the white area around the symbol: its quiet zone.
    QImage grab = NativeWidget(Form1->ScrollBox1)->grab().toImage();
    Application->ProcessMessages();
    // The first grab painted the symbol at its new size; this one shows it.
    grab = NativeWidget(Form1->ScrollBox1)->grab().toImage();
    ASSERT_FALSE(grab.isNull());
    // Screen modules are one pixel wide: enlarge without smoothing.
    grab = grab.scaled(grab.width() * 3, grab.height() * 3, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    const std::string file = Root + "/screen-" + r.Name + ".png";
    ASSERT_TRUE(grab.save(QString::fromStdString(file)));
    EXPECT_EQ(Zbar(file, r.Symbologies), r.Decoded) << file;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ScreenSymbol,
    ::testing::Values(ScreenRow{"UpcA", 2, "03600029145", "", "ean13 upca", {"UPC-A:036000291452"}},
                      ScreenRow{"Ean13Addon", 1, "400638133393", "12", "ean13 ean2",
                                {"EAN-13:4006381333931", "EAN-2:12"}},
                      ScreenRow{"Code39", 4, "VARSONA-39", "", "code39", {"CODE-39:VARSONA-39"}},
                      ScreenRow{"Code128B", 8, "Label 2.17", "", "code128", {"CODE-128:Label 2.17"}},
                      ScreenRow{"Bookland", BooklandIndex, "020137962", "", "ean13", {"EAN-13:9780201379624"}}),
    [](const auto& info) { return std::string(info.param.Name); });

// ---------------------------------------------------------------- printing

class PrintedPage : public OracleTest, public ::testing::WithParamInterface<TPageSetup> {
protected:
    void SetUp() override {
        OracleTest::SetUp();
        std::vector<std::unique_ptr<TPrinterBackend>> printers;
        auto pdf = std::make_unique<TPdfFilePrinter>();
        Pdf = pdf.get();
        Pdf->SetPageSetup(GetParam());
        Pdf->SetOutputFile(Root + "/page.pdf");
        printers.push_back(std::move(pdf));
        Previous = SetPrinter(std::make_unique<TPrinter>(std::move(printers), 0));
    }
    void TearDown() override {
        SetPrinter(std::move(Previous));
        OracleTest::TearDown();
    }
    // The page at 600 dpi, or an empty image.
    TGreyImage Rasterise() {
        RunCommand("pdftoppm -r 600 -gray -singlefile '" + Pdf->LastFile() + "' '" + Root + "/page' 2>&1");
        return ReadPgm(Root + "/page.pgm");
    }
    TPdfFilePrinter* Pdf = nullptr;
    std::unique_ptr<TPrinter> Previous;
};

// A printed page of HELLO in Code 39: the symbol's corner at 50 mm and 60 mm
// from the paper's corner (pixel 1181, 1417 at 600 dpi, within tolerance),
// and zbarimg reads it.
void ExpectHelloAtFiftyAndSixty(const std::string& pdf, const std::string& prefix, int tolerance) {
    RunCommand("pdftoppm -r 600 -gray -singlefile '" + pdf + "' '" + prefix + "' 2>&1");
    const TGreyImage page = ReadPgm(prefix + ".pgm");
    ASSERT_GT(page.Width, 0) << pdf;
    const TRect dark = DarkBounds(page);
    EXPECT_NEAR(dark.Left, 1181, tolerance);
    EXPECT_NEAR(dark.Top, 1417, tolerance);

    if (!HaveTool("zbarimg")) return;
    RunCommand("pdftoppm -r 300 -png -singlefile '" + pdf + "' '" + prefix + "300' 2>&1");
    EXPECT_EQ(Zbar(prefix + "300.png", "code39"), std::vector<std::string>{"CODE-39:HELLO"});
}

TEST_P(PrintedPage, SymbolStartsFiftyAndSixtyMillimetresFromThePaperCorner) {
    SKIP_WITHOUT_TOOL("pdftoppm");
    Select(4, "HELLO");
    Form1->Barcode1->SetBar_Rotation(rotate_000);
    Form1->Print1->Click();
    EXPECT_TRUE(Dialogs->Messages().empty());
    ASSERT_FALSE(Pdf->LastFile().empty());
    ExpectHelloAtFiftyAndSixty(Pdf->LastFile(), Root + "/page", 0);
}

TEST_P(PrintedPage, ZoomAndRatioTwoPrintAsTheNarrowModuleAndThreeToOne) {
    SKIP_WITHOUT_TOOL("pdftoppm");
    Select(4, "HELLO");
    Form1->Barcode1->SetBar_Rotation(rotate_000);
    Form1->Zoom1->Click();
    Form1->N3to11->Click();
    ASSERT_EQ(Form1->Barcode1->Bar_ModuleWidth(), SC9);
    Form1->Print1->Click();
    const TGreyImage page = Rasterise();
    ASSERT_GT(page.Width, 0);
    const std::vector<int> runs = DarkRuns(page, 1181, 1417 + 20);
    ASSERT_FALSE(runs.empty());
    // 0.33 mm at 600 dpi is 8 pixels; wide bars are three of them.
    EXPECT_EQ(*std::min_element(runs.begin(), runs.end()), 8);
    EXPECT_EQ(*std::max_element(runs.begin(), runs.end()), 24);
    // The window still shows its own settings.
    EXPECT_EQ(Form1->Barcode1->Bar_ModuleWidth(), SC9);
    EXPECT_EQ(Form1->Barcode1->Bar_Ratio(), Ratio_2);
}

TPageSetup WithMargins() {
    TPageSetup setup;
    setup.MarginLeft = 6.35;
    setup.MarginTop = 4.2;
    setup.MarginRight = 5;
    setup.MarginBottom = 5;
    return setup;
}

INSTANTIATE_TEST_SUITE_P(Printers, PrintedPage, ::testing::Values(TPageSetup{}, WithMargins()),
                         [](const auto& info) { return info.index == 0 ? "NoMargins" : "WithMargins"; });

// ---------------------------------------------------------------- through CUPS

// The process's printer as the program has it: the system's printers, here
// the cups-pdf queue of scripts/test.d/cups.sh, and the PDF-file printer.
class CupsPrint : public OracleTest {
protected:
    void SetUp() override {
        OracleTest::SetUp();
        Queue = CupsQueueFromEnvironment();
        if (!Queue.Present()) GTEST_SKIP() << "no CUPS queue: scripts/test.d/cups.sh sets one up";
        if (!HaveTool("pdftoppm")) GTEST_SKIP() << "pdftoppm not installed";
        Previous = SetPrinter(std::make_unique<TPrinter>());
        Printer()->PdfPrinter()->SetOutputFolder(Root);
        Select(4, "HELLO");
        Form1->Barcode1->SetBar_Rotation(rotate_000);
    }
    void TearDown() override {
        if (Queue.Present()) SetPrinter(std::move(Previous));
        OracleTest::TearDown();
    }
    // Prints the barcode and waits for the queue's file.
    std::string PrintToQueue() {
        const std::vector<std::string> before = CupsPdfFiles(Queue);
        Form1->Print1->Click();
        EXPECT_TRUE(Dialogs->Messages().empty()) << Dialogs->Messages().front();
        return WaitForCupsPdf(Queue, before);
    }
    // Runs the set-up dialog as the user does: picks a printer, OK.
    void ChooseInSetupDialog(const std::string& name) {
        TPrinterSetupForm form(*Printer());
        NativeDialog(form)->show();
        auto* printers = NativeDialog(form)->findChild<QComboBox*>("printers");
        ASSERT_NE(printers, nullptr);
        const int index = printers->findText(QString::fromStdString(name));
        ASSERT_GE(index, 0) << name;
        printers->setFocus();
        printers->setCurrentIndex(index);
        QTest::mouseClick(NativeDialog(form)->findChild<QDialogButtonBox*>("buttons")->button(QDialogButtonBox::Ok),
                          Qt::LeftButton);
        EXPECT_FALSE(NativeDialog(form)->isVisible());
    }
    TCupsQueue Queue;
    std::unique_ptr<TPrinter> Previous;
};

TEST_F(CupsPrint, OneBarcodeLandsAtFiftyAndSixtyMillimetresAndDecodes) {
    // The queue is the server's default: the printer object selects it.
    ASSERT_NE(Printer()->CurrentPrinter(), nullptr);
    EXPECT_EQ(Printer()->CurrentPrinter()->Name(), Queue.Name);
    const std::string pdf = PrintToQueue();
    ASSERT_FALSE(pdf.empty()) << "nothing came out of " << Queue.Name;
    ExpectHelloAtFiftyAndSixty(pdf, Root + "/cups", 1);
}

TEST_F(CupsPrint, SetupDialogListsTheQueueAndThePdfFilePrinterAndPrintsToTheChoice) {
    ChooseInSetupDialog(PrinterConst::SPdfPrinterName);
    EXPECT_EQ(Printer()->CurrentPrinter(), Printer()->PdfPrinter());
    const std::vector<std::string> before = CupsPdfFiles(Queue);
    Form1->Print1->Click();
    const std::string file = Printer()->PdfPrinter()->LastFile();
    ASSERT_FALSE(file.empty());
    EXPECT_EQ(ExtractFilePath(file), IncludeTrailingPathDelimiter(Root));
    ExpectHelloAtFiftyAndSixty(file, Root + "/file", 0);

    ChooseInSetupDialog(Queue.Name);
    EXPECT_EQ(Printer()->CurrentPrinter()->Name(), Queue.Name);
    const std::string pdf = PrintToQueue();
    ASSERT_FALSE(pdf.empty()) << "nothing came out of " << Queue.Name;
    // One job reached the queue: the one printed while it was chosen.
    EXPECT_EQ(CupsPdfFiles(Queue).size(), before.size() + 1);
    ExpectHelloAtFiftyAndSixty(pdf, Root + "/queue", 1);
}

// ---------------------------------------------------------------- saved pictures

struct SaveRow {
    const char* Name;
    int32_t FilterIndex;
    const char* Extension;
    const char* Magick;  // ImageMagick's name of the format
    bool Raster;
};

class SavedPicture : public OracleTest, public ::testing::WithParamInterface<SaveRow> {
protected:
    std::string Save(const std::string& base) {
        const SaveRow& r = GetParam();
        const std::string file = Root + "/" + base + "." + r.Extension;
        Dialogs->AnswerSave(file, r.FilterIndex);
        UserClick(Form1->SaveBarcode1);
        return file;
    }
};

TEST_P(SavedPicture, OpensInAStandardReaderWithItsCaptions) {
    const SaveRow& r = GetParam();
    Select(1, "590123412345");
    Form1->C21->Click();
    const std::string plain = Save("plain");
    SetIni("Captions", "CaptionT", "TOP CAPTION");
    SetIni("Captions", "CaptionB", "BOTTOM");
    SetIni("Captions", "FontSize", "12");
    const std::string captioned = Save("captioned");
    EXPECT_TRUE(Dialogs->Messages().empty());
    const TDialogRequest& q = Dialogs->Log().back();
    EXPECT_EQ(q.File.Title, "Save Varsona As Image File...");
    ASSERT_TRUE(FileExists(plain));
    ASSERT_TRUE(FileExists(captioned));

    // The layout the picture was drawn with, at twice 96 dpi.
    const TImageLayout withCaptions =
        LayoutBarcodeImage(*Form1->Barcode1, 2, {"TOP CAPTION", "BOTTOM", 12});
    const TImageLayout without = LayoutBarcodeImage(*Form1->Barcode1, 2, {});
    EXPECT_EQ(withCaptions.Dpi, 192);
    EXPECT_GT(withCaptions.Height, without.Height + 2 * withCaptions.FontHeight);

    if (std::string(r.Extension) == "emf") {
        SKIP_WITHOUT_TOOL("emf2svg-conv");
        RunCommand("emf2svg-conv -i '" + captioned + "' -o '" + captioned + ".svg' 2>&1");
        const std::string svg = ReadFileBytes(captioned + ".svg");
        EXPECT_NE(svg.find("TOP CAPTION"), std::string::npos);
        EXPECT_NE(svg.find("BOTTOM"), std::string::npos);
        const std::regex bar(R"re(<rect [^>]*fill="#000000")re");
        const auto bars = std::distance(std::sregex_iterator(svg.begin(), svg.end(), bar), std::sregex_iterator());
        EXPECT_GE(bars, 30);
        return;
    }
    SKIP_WITHOUT_TOOL("identify-im6.q16");
    const std::string seen = RunCommand("identify-im6.q16 -format '%m %w %h' '" + captioned + "' 2>&1");
    std::istringstream in(seen);
    std::string magick;
    int w = 0, h = 0;
    in >> magick >> w >> h;
    EXPECT_EQ(magick.substr(0, std::string(r.Magick).size()), r.Magick) << seen;
    if (r.Raster) {
        EXPECT_EQ(w, withCaptions.Width);
        EXPECT_EQ(h, withCaptions.Height);
    }

    // Rendered to PNG: dark pixels above and below the symbol (the captions),
    // and the symbol itself decodes.
    const std::string png = captioned + ".png";
    RunCommand("convert-im6.q16 -density 192 '" + captioned + "' -flatten -resize " + std::to_string(withCaptions.Width) + "x" +
               std::to_string(withCaptions.Height) + "! -colorspace Gray '" + png + "' 2>&1");
    QImage image(QString::fromStdString(png));
    ASSERT_FALSE(image.isNull()) << png;
    auto darkIn = [&image](int top, int bottom) {
        int n = 0;
        for (int y = std::max(0, top); y < std::min(bottom, image.height()); ++y)
            for (int x = 0; x < image.width(); ++x) n += qGray(image.pixel(x, y)) < 100;
        return n;
    };
    EXPECT_GT(darkIn(0, withCaptions.SymbolY), 20) << "caption above";
    EXPECT_GT(darkIn(withCaptions.BottomY, withCaptions.Height), 20) << "caption below";
    if (HaveTool("zbarimg")) {
        EXPECT_EQ(Zbar(r.Raster ? captioned : png, "ean13"), std::vector<std::string>{"EAN-13:5901234123457"});
    }
}

// A 24-bit barcode bitmap with anti-aliased captions saved as GIF: libgif
// and ImageMagick read back every pixel as the bitmap has it.
TEST_F(OracleTest, BarcodeBitmapSavedAsGifReadsBackIdentical) {
    if (!oracle::Available()) GTEST_SKIP() << "libgif not found at build time";
    SKIP_WITHOUT_TOOL("convert-im6.q16");
    Select(1, "590123412345");
    auto bitmap = BarcodeBitmap(*Form1->Barcode1, 2, {"TOP CAPTION", "bottom", 12});
    ASSERT_EQ(bitmap->PixelFormat(), pf24bit);
    const phototest::TRgbImage original = phototest::FromBitmap(*bitmap);
    std::set<std::tuple<int, int, int>> colors;
    for (size_t i = 0; i < original.Pixels.size(); i += 3)
        colors.insert({original.Pixels[i], original.Pixels[i + 1], original.Pixels[i + 2]});
    EXPECT_GT(colors.size(), 2u);  // greys at the edges of the letters
    const std::string file = Root + "/barcode.gif";
    SaveBitmapAsGif(*bitmap, file);

    const oracle::Image decoded = oracle::Decode(ReadFileBytes(file));
    ASSERT_TRUE(decoded.ok) << decoded.error;
    ASSERT_EQ(decoded.frames.size(), 1u);
    const oracle::Frame& frame = decoded.frames[0];
    ASSERT_EQ(frame.width, original.Width);
    ASSERT_EQ(frame.height, original.Height);
    const std::vector<oracle::Color>& map = frame.localMap.empty() ? decoded.globalMap : frame.localMap;
    phototest::TRgbImage giflib{frame.width, frame.height, {}};
    for (uint8_t index : frame.pixels) {
        ASSERT_LT(index, map.size());
        giflib.Pixels.insert(giflib.Pixels.end(), {map[index].r, map[index].g, map[index].b});
    }
    EXPECT_EQ(giflib.Pixels, original.Pixels);

    RunCommand("convert-im6.q16 " + Quoted(file) + " -depth 8 " + Quoted(Root + "/barcode.ppm"));
    const phototest::TRgbImage magick = phototest::FromPpm(ReadFileBytes(Root + "/barcode.ppm"));
    ASSERT_EQ(magick.Width, original.Width);
    EXPECT_EQ(magick.Pixels, original.Pixels);
}

INSTANTIATE_TEST_SUITE_P(EveryFormat, SavedPicture,
                         ::testing::Values(SaveRow{"Bmp", 1, "bmp", "BMP", true}, SaveRow{"Gif", 2, "gif", "GIF", true},
                                           SaveRow{"Tiff", 3, "tif", "TIFF", true},
                                           SaveRow{"Wmf", 4, "wmf", "WMF", false},
                                           SaveRow{"Emf", 5, "emf", "EMF", false},
                                           SaveRow{"Jpeg", 6, "jpg", "JPEG", true}),
                         [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
