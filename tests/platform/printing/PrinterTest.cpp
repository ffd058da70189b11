// The printer object: the printer list and selection, job states and their
// errors, the canvas at the printer's resolution and the printing offset,
// the recording printer, and where the PDF-file printer puts its files.
#include <gtest/gtest.h>

#include <QFontMetricsF>
#include <regex>

#include "platform/printing/Printers.h"
#include "platform/graphics/CanvasDevice.h"
#include "tests/platform/printing/PrintTestSupport.h"

namespace {

template <class F>
void ExpectPrinterError(F&& f, const std::string& message) {
    try {
        f();
        ADD_FAILURE() << "no exception, expected " << message;
    } catch (const EPrinter& e) {
        EXPECT_EQ(e.Message(), message);
    }
}

// A printer object over recording printers only.
struct Recorded {
    explicit Recorded(const TPageSetup& setup = {}, int count = 1) {
        std::vector<std::unique_ptr<TPrinterBackend>> list;
        for (int i = 0; i < count; ++i) {
            auto r = std::make_unique<TRecordingPrinter>("Recorder " + std::to_string(i + 1), setup);
            recorders.push_back(r.get());
            list.push_back(std::move(r));
        }
        printer = std::make_unique<TPrinter>(std::move(list));
    }
    TRecordingPrinter& Rec(int i = 0) { return *recorders[static_cast<size_t>(i)]; }
    TCanvas& Canvas() { return *printer->Canvas(); }
    std::vector<TRecordingPrinter*> recorders;
    std::unique_ptr<TPrinter> printer;
};

TPageSetup Margins(double l, double t, double r, double b, int dpi = 600) {
    TPageSetup s;
    s.Dpi = dpi;
    s.MarginLeft = l, s.MarginTop = t, s.MarginRight = r, s.MarginBottom = b;
    return s;
}

// ---------------------------------------------------------------- the list

TEST(PrinterList, TheProcessPrinterAlwaysHasThePdfFilePrinter) {
    // Without a source of system printers ours is the only one, the default
    // and selected.
    SetSystemPrinterSource({});
    std::unique_ptr<TPrinter> previous = SetPrinter(nullptr);
    TPrinter* p = Printer();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p, Printer());
    ASSERT_NE(p->PdfPrinter(), nullptr);
    EXPECT_EQ(p->Printers()->IndexOf(PrinterConst::SPdfPrinterName), 0);
    EXPECT_EQ(p->Printers()->Count(), 1);
    EXPECT_EQ(p->CurrentPrinter(), p->PdfPrinter());
    EXPECT_EQ(p->PrinterIndex(), p->DefaultIndex());
    SetPrinter(std::move(previous));
}

TEST(PrinterList, SystemPrintersComeFirstAndTheirDefaultIsSelected) {
    for (int32_t systemDefault : {1, -1}) {
        SCOPED_TRACE(systemDefault);
        SetSystemPrinterSource([systemDefault](int32_t& defaultIndex) {
            std::vector<std::unique_ptr<TPrinterBackend>> list;
            list.push_back(std::make_unique<TRecordingPrinter>("Office"));
            list.push_back(std::make_unique<TRecordingPrinter>("Labels"));
            defaultIndex = systemDefault;
            return list;
        });
        TPrinter p;
        SetSystemPrinterSource({});
        ASSERT_EQ(p.Printers()->Count(), 3);
        EXPECT_EQ(p.Printers()->Strings(0), "Office");
        EXPECT_EQ(p.Printers()->Strings(1), "Labels");
        EXPECT_EQ(p.Printers()->Strings(2), PrinterConst::SPdfPrinterName);
        // No system default: the first system printer.
        EXPECT_EQ(p.PrinterIndex(), systemDefault < 0 ? 0 : systemDefault);
        EXPECT_EQ(p.DefaultIndex(), p.PrinterIndex());
    }
}

TEST(PrinterList, SelectionByIndexAndDefault) {
    Recorded r({}, 3);
    EXPECT_EQ(r.printer->PrinterIndex(), 0);
    EXPECT_EQ(r.printer->Printers()->Strings(2), "Recorder 3");
    r.printer->SetPrinterIndex(2);
    EXPECT_EQ(r.printer->CurrentPrinter(), &r.Rec(2));
    r.printer->SetPrinterIndex(-1);
    EXPECT_EQ(r.printer->PrinterIndex(), 0);
    ExpectPrinterError([&] { r.printer->SetPrinterIndex(3); }, PrinterConst::SPrinterIndexError);
    ExpectPrinterError([&] { r.printer->SetPrinterIndex(-2); }, PrinterConst::SPrinterIndexError);
    EXPECT_EQ(r.printer->PrinterIndex(), 0);

    r.printer->SetPrinterIndex(2);
    r.printer->BeginDoc();
    ExpectPrinterError([&] { r.printer->SetPrinterIndex(1); }, PrinterConst::SPrinting);
    ExpectPrinterError([&] { r.printer->RemovePrinter(1); }, PrinterConst::SPrinting);
    r.printer->EndDoc();
    EXPECT_EQ(r.Rec(2).Jobs().size(), 1u);
    EXPECT_TRUE(r.Rec(0).Jobs().empty());
}

TEST(PrinterList, RemovingTheSelectedPrinterFallsBackToTheDefault) {
    Recorded r({}, 3);
    r.printer->SetPrinterIndex(2);
    auto removed = r.printer->RemovePrinter(2);
    EXPECT_EQ(removed.get(), &r.Rec(2));
    EXPECT_EQ(r.printer->PrinterIndex(), 0);
    r.printer->RemovePrinter(0);
    EXPECT_EQ(r.printer->CurrentPrinter(), &r.Rec(1));
    EXPECT_EQ(r.printer->Printers()->Count(), 1);
}

TEST(PrinterList, InstalledRecordingPrinterIsTheCurrentPrinterUntilUninstalled) {
    TPrinter* p = Printer();
    TPrinterBackend* before = p->CurrentPrinter();
    int32_t count = p->Printers()->Count();
    TRecordingPrinter* rec = InstallRecordingPrinter(Margins(5, 5, 5, 5));
    EXPECT_EQ(p->CurrentPrinter(), rec);
    p->SetTitle("Installed");
    p->BeginDoc();
    p->Canvas()->TextOut(10, 10, "x");
    p->EndDoc();
    ASSERT_EQ(rec->Jobs().size(), 1u);
    EXPECT_EQ(rec->Jobs()[0].Title, "Installed");
    UninstallRecordingPrinter(rec);
    EXPECT_EQ(p->Printers()->Count(), count);
    EXPECT_EQ(p->CurrentPrinter(), before);
}

// ---------------------------------------------------------------- job states

TEST(PrinterJobs, StateErrorsCarryTheirMessages) {
    Recorded r;
    ExpectPrinterError([&] { r.printer->NewPage(); }, PrinterConst::SNotPrinting);
    ExpectPrinterError([&] { r.printer->EndDoc(); }, PrinterConst::SNotPrinting);
    r.printer->Abort();  // nothing open: nothing to do
    EXPECT_FALSE(r.printer->Aborted());

    r.printer->BeginDoc();
    EXPECT_TRUE(r.printer->Printing());
    EXPECT_EQ(r.printer->PageNumber(), 1);
    ExpectPrinterError([&] { r.printer->BeginDoc(); }, PrinterConst::SPrinting);
    ExpectPrinterError([&] { r.printer->SetOrientation(poLandscape); }, PrinterConst::SPrinting);
    EXPECT_TRUE(r.printer->Printing());
    r.printer->NewPage();
    EXPECT_EQ(r.printer->PageNumber(), 2);
    r.printer->EndDoc();
    EXPECT_FALSE(r.printer->Printing());
    EXPECT_EQ(r.Rec().Events(), (std::vector<std::string>{"BeginDoc ", "NewPage 2", "EndDoc"}));
}

TEST(PrinterJobs, WithoutAnyPrinterNothingStarts) {
    TPrinter none(std::vector<std::unique_ptr<TPrinterBackend>>{});
    EXPECT_EQ(none.CurrentPrinter(), nullptr);
    EXPECT_EQ(none.PrinterIndex(), -1);
    EXPECT_EQ(none.PageWidth(), 0);
    ExpectPrinterError([&] { none.BeginDoc(); }, PrinterConst::SNoDefaultPrinter);
    EXPECT_FALSE(none.Printing());
    // Drawing and measuring outside a job are harmless.
    none.Canvas()->TextOut(0, 0, "nowhere");
    EXPECT_GT(none.Canvas()->TextWidth("nowhere"), 0);
}

TEST(PrinterJobs, AJobLeftOpenByAnErrorIsAbortedAndTheNextOneStarts) {
    Recorded r;
    r.printer->SetTitle("Application");
    auto failingPrint = [&] {
        TPrintJobGuard guard(r.printer.get());
        r.printer->BeginDoc();
        r.Canvas().TextOut(0, 0, "first label");
        throw EConvertError("'x' is not a valid integer value");
    };
    EXPECT_THROW(failingPrint(), EConvertError);
    EXPECT_FALSE(r.printer->Printing());
    EXPECT_TRUE(r.printer->Aborted());
    r.printer->BeginDoc();
    EXPECT_FALSE(r.printer->Aborted());
    r.printer->EndDoc();
    ASSERT_EQ(r.Rec().Jobs().size(), 2u);
    EXPECT_TRUE(r.Rec().Jobs()[0].Aborted);
    EXPECT_FALSE(r.Rec().Jobs()[0].Ended);
    EXPECT_EQ(r.Rec().Jobs()[0].Pages.at(0).size(), 1u);
    EXPECT_TRUE(r.Rec().Jobs()[1].Ended);

    // Without a guard a caller ends the failed job with Abort.
    r.printer->BeginDoc();
    ExpectPrinterError([&] { r.printer->BeginDoc(); }, PrinterConst::SPrinting);
    r.printer->Abort();
    r.printer->BeginDoc();
    r.printer->EndDoc();
    EXPECT_EQ(r.Rec().Jobs().size(), 4u);
}

TEST(PrinterJobs, APrinterThatCannotStartLeavesNoJobOpen) {
    Recorded r;
    r.Rec().FailNextBeginDoc("The printer is out of paper");
    ExpectPrinterError([&] { r.printer->BeginDoc(); }, "The printer is out of paper");
    EXPECT_FALSE(r.printer->Printing());
    r.printer->BeginDoc();
    r.printer->EndDoc();
    EXPECT_EQ(r.Rec().Jobs().size(), 1u);
}

TEST(PrinterJobs, TitleCopiesAndOrientationGoWithTheJob) {
    Recorded r;
    r.printer->SetTitle("Application");
    r.printer->SetCopies(3);
    r.printer->SetOrientation(poLandscape);
    r.printer->BeginDoc();
    EXPECT_GT(r.printer->PageWidth(), r.printer->PageHeight());
    r.printer->EndDoc();
    r.printer->SetCopies(0);
    EXPECT_EQ(r.printer->Copies(), 1);
    const TRecordedJob& job = r.Rec().Jobs().at(0);
    EXPECT_EQ(job.Title, "Application");
    EXPECT_EQ(job.Copies, 3);
    EXPECT_EQ(job.Orientation, poLandscape);
}

// ---------------------------------------------------------------- the canvas

struct CapsRow {
    const char* Name;
    TPageSetup Setup;
    TPrinterOrientation Orientation;
    int Dpi, HorzRes, VertRes, PhysWidth, PhysHeight, OffsetX, OffsetY;
};

class PrinterCaps : public ::testing::TestWithParam<CapsRow> {};

// The canvas answers for the selected printer before and during a job.
TEST_P(PrinterCaps, DeviceCapsAndPrintingOffset) {
    const CapsRow& row = GetParam();
    Recorded r(row.Setup);
    r.printer->SetOrientation(row.Orientation);
    for (bool printing : {false, true}) {
        SCOPED_TRACE(printing ? "printing" : "idle");
        if (printing) r.printer->BeginDoc();
        TCanvas& c = r.Canvas();
        EXPECT_EQ(c.GetDeviceCaps(LOGPIXELSX), row.Dpi);
        EXPECT_EQ(c.GetDeviceCaps(LOGPIXELSY), row.Dpi);
        EXPECT_EQ(c.GetDeviceCaps(HORZRES), row.HorzRes);
        EXPECT_EQ(c.GetDeviceCaps(VERTRES), row.VertRes);
        EXPECT_EQ(c.GetDeviceCaps(PHYSICALWIDTH), row.PhysWidth);
        EXPECT_EQ(c.GetDeviceCaps(PHYSICALHEIGHT), row.PhysHeight);
        EXPECT_EQ(c.GetDeviceCaps(PHYSICALOFFSETX), row.OffsetX);
        EXPECT_EQ(c.GetDeviceCaps(PHYSICALOFFSETY), row.OffsetY);
        EXPECT_EQ(r.printer->PageWidth(), row.HorzRes);
        EXPECT_EQ(r.printer->PageHeight(), row.VertRes);
        TPoint offset{-1, -1};
        EXPECT_GT(Escape(c, GETPRINTINGOFFSET, 0, nullptr, &offset), 0);
        EXPECT_EQ(offset, (TPoint{row.OffsetX, row.OffsetY}));
        EXPECT_EQ(r.printer->PrintingOffset(), offset);
        TPoint paper;
        EXPECT_GT(Escape(c, GETPHYSPAGESIZE, 0, nullptr, &paper), 0);
        EXPECT_EQ(paper, (TPoint{row.PhysWidth, row.PhysHeight}));
    }
    r.printer->EndDoc();
}

// A4 is 210 x 297 mm, Letter 8.5 x 11 in; 1 mm at 600 dpi is 23.622 pixels.
INSTANTIATE_TEST_SUITE_P(
    Pages, PrinterCaps,
    ::testing::Values(CapsRow{"A4At600", {}, poPortrait, 600, 4961, 7016, 4961, 7016, 0, 0},
                      CapsRow{"A4Margins", Margins(10, 15, 5, 20), poPortrait, 600, 4961 - 236 - 118,
                              7016 - 354 - 472, 4961, 7016, 236, 354},
                      CapsRow{"A4Landscape", Margins(10, 15, 5, 20), poLandscape, 600, 7016 - 236 - 118,
                              4961 - 354 - 472, 7016, 4961, 236, 354},
                      CapsRow{"LetterAt300", [] {
                                  TPageSetup s = Margins(6.35, 6.35, 6.35, 6.35, 300);
                                  s.Paper = TPaperSize::Letter;
                                  return s;
                              }(),
                              poPortrait, 300, 2550 - 150, 3300 - 150, 2550, 3300, 75, 75}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(PrinterCanvas, EscapeAnswersOnlyWhatItKnows) {
    Recorded r;
    int32_t code = GETPRINTINGOFFSET;
    EXPECT_EQ(Escape(r.Canvas(), QUERYESCSUPPORT, sizeof code, &code, nullptr), 1);
    code = 4711;
    EXPECT_EQ(Escape(r.Canvas(), QUERYESCSUPPORT, sizeof code, &code, nullptr), 0);
    TPoint p;
    EXPECT_EQ(Escape(r.Canvas(), 4711, 0, nullptr, &p), 0);
    EXPECT_EQ(Escape(r.Canvas(), GETPRINTINGOFFSET, 0, nullptr, nullptr), 0);
}

// After SetViewportOrgEx(-offset) logical (0, 0) is the paper corner: a
// rectangle at paper pixels reaches the device shifted by the offset.
TEST(PrinterCanvas, ViewportOriginMovesDrawingToThePaperCorner) {
    Recorded r(Margins(10, 15, 0, 0));
    r.printer->BeginDoc();
    TPoint offset = r.printer->PrintingOffset();
    r.Canvas().SetViewportOrgEx(-offset.X, -offset.Y);
    r.Canvas().Brush()->SetColor(clBlack);
    r.Canvas().FillRect({1181, 1417, 1200, 1500});
    r.printer->EndDoc();
    std::vector<TRecordedCall> fills;
    for (const auto& call : r.Rec().Jobs()[0].Pages[0])
        if (call.Kind == TRecordedKind::FillRect) fills.push_back(call);
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_EQ(fills[0].Rect, (TRect{1181 - 236, 1417 - 354, 1200 - 236, 1500 - 354}));
}

TEST(PrinterCanvas, EachJobStartsWithAFreshDeviceContextAndTheFontKeepsItsPoints) {
    Recorded r;
    TCanvas& c = r.Canvas();
    c.Font()->SetSize(8);
    EXPECT_EQ(c.Font()->PixelsPerInch(), 600);
    EXPECT_EQ(c.Font()->Height(), -67);  // 8 pt at 600 dpi
    r.printer->BeginDoc();
    c.SetViewportOrgEx(-100, -100);
    c.SetMapMode(MM_LOMETRIC);
    c.SetTextAlign(TA_CENTER | TA_BASELINE);
    c.IntersectClipRect({0, 0, 10, 10});
    c.Font()->SetName("Courier New");
    r.printer->EndDoc();

    r.printer->BeginDoc();
    EXPECT_EQ(c.GetViewportOrg(), (TPoint{0, 0}));
    EXPECT_EQ(c.GetMapMode(), MM_TEXT);
    EXPECT_EQ(c.GetTextAlign(), TA_LEFT | TA_TOP);
    EXPECT_EQ(c.ClipRect(), (TRect{0, 0, 4961, 7016}));
    EXPECT_EQ(c.Font()->Name(), "Courier New");
    EXPECT_EQ(c.Font()->Size(), 8);
    r.printer->EndDoc();

    // Another resolution keeps the size in points.
    Recorded low(Margins(0, 0, 0, 0, 300), 1);
    low.Canvas().Font()->SetSize(12);
    EXPECT_EQ(low.Canvas().Font()->Height(), -50);
}

TEST(PrinterCanvas, TextIsMeasuredAtThePrinterResolution) {
    Recorded r;
    TCanvas& c = r.Canvas();
    c.Font()->SetName("Arial");
    c.Font()->SetSize(10);  // 83 pixels of em at 600 dpi
    int idle = c.TextHeight("Ay");
    r.printer->BeginDoc();
    EXPECT_EQ(c.TextHeight("Ay"), idle);
    EXPECT_NEAR(idle, 93, 3);  // ascent and descent of Arial: 1.117 em
    r.printer->EndDoc();
}

// ---------------------------------------------------------------- recording printer

TEST(RecordingPrinter, RecordsJobsPagesAndEveryCall) {
    Recorded r(Margins(2, 3, 0, 0));
    r.printer->SetTitle("Labels");
    r.printer->BeginDoc();
    TCanvas& c = r.Canvas();
    c.Brush()->SetColor(clRed);
    c.FillRect({10, 20, 30, 40});
    c.Font()->SetOrientation(900);
    c.TextOut(100, 200, "Box 1");
    r.printer->NewPage();
    EXPECT_EQ(r.Rec().CurrentDevice()->LogPixelsX(), 600);
    c.MoveTo(0, 0);
    c.LineTo(50, 0);
    r.printer->EndDoc();

    const TRecordedJob& job = r.Rec().Jobs().at(0);
    EXPECT_TRUE(job.Ended);
    ASSERT_EQ(job.Pages.size(), 2u);
    ASSERT_EQ(job.Pages[0].size(), 2u);
    EXPECT_EQ(job.Pages[0][0].Kind, TRecordedKind::FillRect);
    EXPECT_EQ(job.Pages[0][0].Brush.Color, clRed);
    EXPECT_EQ(job.Pages[0][1].Kind, TRecordedKind::TextOut);
    EXPECT_EQ(job.Pages[0][1].Text, "Box 1");
    EXPECT_EQ(job.Pages[0][1].Anchor, (TPoint{100, 200}));
    EXPECT_EQ(job.Pages[0][1].Font.Escapement, 900);
    ASSERT_EQ(job.Pages[1].size(), 1u);
    EXPECT_EQ(job.Pages[1][0].Kind, TRecordedKind::Polyline);
    EXPECT_EQ(r.Rec().Events(), (std::vector<std::string>{"BeginDoc Labels", "NewPage 2", "EndDoc"}));
    EXPECT_EQ(r.Rec().CurrentDevice(), nullptr);
}

TEST(RecordingPrinter, PagesCanBeDrawnOnBitmapsToo) {
    Recorded r(Margins(0, 0, 0, 0, 100));
    r.Rec().SetWithBitmaps(true);
    r.printer->BeginDoc();
    r.Canvas().Brush()->SetColor(clBlack);
    r.Canvas().FillRect({10, 10, 20, 30});
    r.printer->EndDoc();
    TBitmap* page = r.Rec().PageBitmap(0);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->Width(), r.printer->PageWidth());
    EXPECT_EQ(page->Canvas()->Pixel(15, 15), clBlack);
    EXPECT_EQ(page->Canvas()->Pixel(25, 15), clWhite);
    EXPECT_EQ(r.Rec().PageBitmap(1), nullptr);
}

// ---------------------------------------------------------------- page set-up

TEST(PageSetup, InvalidSetUpsAreRefused) {
    TPdfFilePrinter pdf;
    ExpectPrinterError([&] { pdf.SetPageSetup(Margins(0, 0, 0, 0, 10)); }, PrinterConst::SInvalidResolution);
    ExpectPrinterError([&] { pdf.SetPageSetup(Margins(-1, 0, 0, 0)); }, PrinterConst::SInvalidPageSetup);
    ExpectPrinterError([&] { pdf.SetPageSetup(Margins(110, 0, 101, 0)); }, PrinterConst::SInvalidPageSetup);
    EXPECT_EQ(pdf.PageSetup(), TPageSetup{});
    pdf.SetPageSetup(Margins(100, 0, 100, 0));
    EXPECT_EQ(pdf.Geometry(poPortrait).Printable.Width(), 4961 - 2 * 2362);
}

// ---------------------------------------------------------------- PDF files

// Every object starts where the cross-reference table says.
void ExpectConsistentXref(const std::string& pdf) {
    ASSERT_EQ(pdf.rfind("%PDF-1.4", 0), 0u);
    size_t sx = pdf.rfind("startxref\n");
    ASSERT_NE(sx, std::string::npos);
    size_t xref = std::stoul(pdf.substr(sx + 10));
    ASSERT_EQ(pdf.compare(xref, 5, "xref\n"), 0);
    std::istringstream in(pdf.substr(xref + 5));
    int first = -1, count = 0;
    in >> first >> count;
    ASSERT_EQ(first, 0);
    std::string line;
    std::getline(in, line);
    for (int n = 0; n < count; ++n) {
        std::getline(in, line);
        ASSERT_EQ(line.size(), 19u) << line;  // 20 bytes with the newline
        if (n == 0) continue;
        size_t offset = std::stoul(line.substr(0, 10));
        std::string head = std::to_string(n) + " 0 obj";
        EXPECT_EQ(pdf.compare(offset, head.size(), head), 0) << "object " << n;
    }
    EXPECT_NE(pdf.find("/Size " + std::to_string(count)), std::string::npos);
    EXPECT_EQ(pdf.substr(pdf.size() - 6), "%%EOF\n");
}

struct PdfFolder : ::testing::Test {
    void SetUp() override {
        folder = TestFolder();
        auto p = std::make_unique<TPdfFilePrinter>();
        pdf = p.get();
        pdf->SetOutputFolder(folder);
        std::vector<std::unique_ptr<TPrinterBackend>> list;
        list.push_back(std::move(p));
        printer = std::make_unique<TPrinter>(std::move(list));
    }
    std::string PrintJob(const std::string& title, int pages = 1) {
        printer->SetTitle(title);
        printer->BeginDoc();
        for (int i = 0; i < pages; ++i) {
            if (i) printer->NewPage();
            printer->Canvas()->Brush()->SetColor(clBlack);
            printer->Canvas()->FillRect({100, 100, 200, 200});
            printer->Canvas()->TextOut(300, 300, "Page " + std::to_string(i + 1));
        }
        printer->EndDoc();
        return pdf->LastFile();
    }
    std::string folder;
    TPdfFilePrinter* pdf = nullptr;
    std::unique_ptr<TPrinter> printer;
};

TEST_F(PdfFolder, JobsAreNamedAfterTheirTitleAndNeverReplaceAFile) {
    std::ofstream(folder + "Application.pdf") << "keep me";
    std::vector<std::string> written;
    pdf->OnFileWritten = [&](const std::string& path) { written.push_back(path); };
    EXPECT_EQ(PrintJob("Application"), folder + "Application (2).pdf");
    EXPECT_EQ(PrintJob("Application"), folder + "Application (3).pdf");
    EXPECT_EQ(PrintJob("Barcode"), folder + "Barcode.pdf");
    EXPECT_EQ(ReadFile(folder + "Application.pdf"), "keep me");
    EXPECT_EQ(written, (std::vector<std::string>{folder + "Application (2).pdf", folder + "Application (3).pdf",
                                                 folder + "Barcode.pdf"}));
    // A name freed in between is taken again only when the run starts over.
    std::filesystem::remove(folder + "Application (3).pdf");
    std::filesystem::remove(folder + "Application (2).pdf");
    EXPECT_EQ(PrintJob("Application"), folder + "Application (2).pdf");
    EXPECT_EQ(UniquePdfFileName(folder, "Application"), folder + "Application (3).pdf");
}

TEST_F(PdfFolder, TitlesBecomeSafeFileNames) {
    EXPECT_EQ(PrintJob("Sheet 1/2"), folder + "Sheet 1_2.pdf");
    EXPECT_EQ(PrintJob(""), folder + std::string(PrinterConst::SUntitled) + ".pdf");
    EXPECT_EQ(PrintJob("../escape"), folder + "_escape.pdf");
    EXPECT_EQ(PrintJob("Report.PDF"), folder + "Report.pdf");
    EXPECT_EQ(PrintJob("tab\there"), folder + "tab_here.pdf");
    EXPECT_EQ(PrintJob("Gr\xC3\xB6\xC3\x9F" "e"), folder + "Gr\xC3\xB6\xC3\x9F" "e.pdf");
    EXPECT_EQ(FilesIn(folder).size(), 6u);
}

TEST_F(PdfFolder, AChosenFileIsReplacedOnceThenLaterJobsGoBesideIt) {
    std::string chosen = folder + "labels.pdf";
    std::ofstream(chosen) << "old";
    pdf->SetOutputFile(chosen);
    EXPECT_EQ(PrintJob("Application"), chosen);
    EXPECT_NE(ReadFile(chosen), "old");
    EXPECT_EQ(PrintJob("Application"), folder + "labels (2).pdf");
    EXPECT_EQ(PrintJob("Application"), folder + "labels (3).pdf");
    pdf->SetOutputFile("");
    EXPECT_EQ(PrintJob("Application"), folder + "Application.pdf");
}

TEST_F(PdfFolder, AFileThatCannotBeWrittenIsReportedAndTheJobIsOver) {
    pdf->SetOutputFolder(folder + "missing/");
    printer->SetTitle("Application");
    printer->BeginDoc();
    try {
        printer->EndDoc();
        ADD_FAILURE() << "no error";
    } catch (const EPrinter& e) {
        EXPECT_EQ(e.Message(), FmtMsg(PrinterConst::SCannotWriteFile, folder + "missing/Application.pdf",
                                      "No such file or directory"));
    }
    EXPECT_FALSE(printer->Printing());
    EXPECT_TRUE(pdf->LastFile().empty());
    pdf->SetOutputFolder(folder);
    EXPECT_EQ(PrintJob("Application"), folder + "Application.pdf");
}

TEST_F(PdfFolder, AbortedJobsWriteNothing) {
    printer->BeginDoc();
    printer->Canvas()->TextOut(0, 0, "dropped");
    printer->Abort();
    EXPECT_TRUE(FilesIn(folder).empty());
}

TEST_F(PdfFolder, FilesAreWellFormed) {
    printer->SetCopies(2);
    std::string file = PrintJob("Xref (check)", 3);
    std::string bytes = ReadFile(file);
    ExpectConsistentXref(bytes);
    EXPECT_NE(bytes.find("/Count 6 "), std::string::npos);
    // The title is kept as UTF-16 text: "Xref" starts 0058 0072 0065 0066.
    EXPECT_NE(bytes.find("/Title <FEFF00580072006500660020"), std::string::npos);
}

TEST_F(PdfFolder, ContentIsInDevicePixelsUnderOnePageMatrix) {
    TPageSetup s = Margins(10, 15, 0, 0);
    pdf->SetPageSetup(s);
    std::string bytes = ReadFile(PrintJob("Matrix"));
    // 72/600 points per pixel; the printable corner 236 pixels in and 354 down.
    EXPECT_NE(bytes.find("q 0.12 0 0 -0.12 28.32 799.44 cm\n"), std::string::npos);
    EXPECT_NE(bytes.find("0 g\n100 100 100 100 re\nf\n"), std::string::npos);
    EXPECT_NE(bytes.find("/MediaBox [0 0 595.32 841.92]"), std::string::npos);
}

TEST(PdfText, MeasuredWidthsAreTheWidthsTheFileDeclares) {
    TPdfFilePrinter pdf;
    TCanvasDevice* info = pdf.InfoDevice(poPortrait);
    TDeviceFont f;
    f.Name = "Arial";
    f.Height = -1000;
    // Arial's advances: "H" 722, "i" 222 units of 1000.
    EXPECT_NEAR(info->TextExtent("H", f).cx, 722, 1);
    EXPECT_NEAR(info->TextExtent("Hi", f).cx, 944, 1);
    EXPECT_EQ(info->TextExtent("", f).cx, 0);
    // The shared metrics agree within rounding.
    EXPECT_NEAR(info->TextExtent("Varsona 2.17", f).cx, MeasureText("Varsona 2.17", f, 600).cx, 2);
}

TEST(DocumentsFolder, XdgDocumentsElseDocumentsElseHome) {
    std::string home = TestFolder();
    std::string oldHome = getenv("HOME") ? getenv("HOME") : "";
    std::string oldXdg = getenv("XDG_CONFIG_HOME") ? getenv("XDG_CONFIG_HOME") : "";
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home + ".config").c_str(), 1);
    std::string h = home.substr(0, home.size() - 1);
    EXPECT_EQ(UserDocumentsFolder(), home);
    std::filesystem::create_directories(home + "Documents");
    EXPECT_EQ(UserDocumentsFolder(), home + "Documents/");
    std::filesystem::create_directories(home + ".config");
    std::filesystem::create_directories(home + "Papiere");
    std::ofstream(home + ".config/user-dirs.dirs") << "XDG_DOCUMENTS_DIR=\"$HOME/Papiere\"\n";
    EXPECT_EQ(UserDocumentsFolder(), home + "Papiere/");
    TPdfFilePrinter pdf;
    EXPECT_EQ(pdf.EffectiveFolder(), home + "Papiere/");
    setenv("HOME", oldHome.c_str(), 1);
    if (oldXdg.empty()) unsetenv("XDG_CONFIG_HOME");
    else setenv("XDG_CONFIG_HOME", oldXdg.c_str(), 1);
}

}  // namespace
