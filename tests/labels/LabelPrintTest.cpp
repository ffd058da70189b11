// The sheet, single-label and counting prints through the recording printer
// at 600 dpi: where captions and symbols land in printer pixels, which
// positions print, the jobs and copies, the counting run's refusals, and what
// an error in the middle of a job leaves behind.
#include <QTimer>
#include <algorithm>
#include <functional>
#include <map>

#include "engine/Barcode.h"
#include "labels/LabelConst.h"
#include "platform/controls/ComCtrls.h"
#include "platform/graphics/RecordingDevice.h"
#include "tests/labels/LabelsFixture.h"

void PrintTo(const TRect& r, std::ostream* os) {
    *os << "(" << r.Left << "," << r.Top << ")-(" << r.Right << "," << r.Bottom << ")";
}
void PrintTo(const TPoint& p, std::ostream* os) { *os << "(" << p.X << "," << p.Y << ")"; }

namespace {

using Page = std::vector<TRecordedCall>;

// Captions are written left and top aligned; the engine's own texts centred.
std::vector<TRecordedCall> Captions(const Page& page) {
    std::vector<TRecordedCall> out;
    for (const TRecordedCall& c : page)
        if (c.Kind == TRecordedKind::TextOut && (c.Align & TA_CENTER) != TA_CENTER) out.push_back(c);
    return out;
}
// The captions that show: an empty caption is written but draws nothing.
std::vector<std::string> CaptionTexts(const Page& page) {
    std::vector<std::string> out;
    for (const TRecordedCall& c : Captions(page))
        if (!c.Text.empty()) out.push_back(c.Text);
    return out;
}
// The human-readable texts of the symbols (Code 39 writes the data alone).
std::vector<std::string> SymbolTexts(const Page& page) {
    std::vector<std::string> out;
    for (const TRecordedCall& c : page)
        if (c.Kind == TRecordedKind::TextOut && (c.Align & TA_CENTER) == TA_CENTER) out.push_back(c.Text);
    return out;
}
std::vector<TRect> BlackRects(const std::vector<TRecordedCall>& calls,
                              const TRect& within = {INT32_MIN / 2, INT32_MIN / 2, INT32_MAX / 2, INT32_MAX / 2}) {
    std::vector<TRect> out;
    for (const TRecordedCall& c : calls)
        if (c.Kind == TRecordedKind::FillRect && c.Brush.Color == clBlack && c.Rect.Left >= within.Left &&
            c.Rect.Top >= within.Top && c.Rect.Left < within.Right && c.Rect.Top < within.Bottom)
            out.push_back(c.Rect);
    return out;
}

// A barcode control with the settings a print copies from the main window.
std::unique_ptr<TBarcode> LikeTheMainWindow() {
    auto b = std::make_unique<TBarcode>(nullptr);
    const TBarcode& m = *Form1->Barcode1;
    b->SetBar_CodeType(m.Bar_CodeType());
    b->SetBar_Caption(m.Bar_Caption());
    b->SetBar_ModuleWidth(m.Bar_ModuleWidth());
    b->SetBar_HeightPercent(m.Bar_HeightPercent());
    b->SetBar_Rotation(m.Bar_Rotation());
    b->SetBar_Fontname(m.Bar_Fontname());
    b->SetBar_CodeAddon(m.Bar_CodeAddon());
    b->SetBar_HumanReadable(m.Bar_HumanReadable());
    b->SetBar_Fontscaling(m.Bar_Fontscaling());
    b->SetBar_Ratio(m.Bar_Ratio());
    b->SetBar_ZoomSize(m.Bar_ZoomSize());
    return b;
}

class LabelPrintTest : public LabelsFixture {
protected:
    void SetUp() override {
        LabelsFixture::SetUp();
        StartForms();
        W = frmLabels;
        SetSymbol("Code EAN-13", "400638133393");
        Activate(W);
        Dialogs->Clear();
    }

    // Geometry, in the order of the window's fields.
    void Sheet(const char* columns, const char* rows, const char* pageLeft = "0", const char* pageTop = "0",
               const char* labelLeft = "0", const char* labelTop = "0", const char* hPitch = "70",
               const char* vPitch = "40") {
        W->txtCol->SetText(columns);
        W->txtRows->SetText(rows);
        W->txtLeft->SetText(pageLeft);
        W->txtTop->SetText(pageTop);
        W->txtLmargin->SetText(labelLeft);
        W->txtTmargin->SetText(labelTop);
        W->hzPitch->SetText(hPitch);
        W->vrtPitch->SetText(vPitch);
        W->txtWidth->SetText("70");
        W->txtHeight->SetText("40");
    }
    void CaptionsAndSizes(const char* top, const char* bottom, const char* topSize = "10",
                          const char* bottomSize = "8") {
        W->txtTopCap->SetText(top);
        W->txtBottomCap->SetText(bottom);
        W->ComboBox2->SetText(topSize);
        W->ComboBox1->SetText(bottomSize);
    }
    void Range(int32_t start, int32_t stop) {
        W->SpinEdit1->SetValue(start);
        W->SpinEdit2->SetValue(stop);
    }
    // A counting run on a Code 39 symbol, whose text is the data itself.
    void Counting(const char* start, const char* end) {
        SetSymbol("CODE 39", "1");
        W->PrefixBox->SetChecked(false);
        W->seqBegininput->SetText(start);
        W->seqEnd->SetText(end);
        Dialogs->Clear();
    }
    void ExpectIdle() {
        EXPECT_FALSE(Printer()->Printing());
        EXPECT_EQ(W->PrintBarcode(), nullptr);
        EXPECT_FALSE(W->Label14->Visible());
        EXPECT_FALSE(W->ProgressBar1->Visible());
    }
    const TRecordedJob& Job(size_t i) {
        static const TRecordedJob none;
        return i < Recorder->Jobs().size() ? Recorder->Jobs()[i] : none;
    }
    const Page& FirstPage(size_t job = 0) {
        static const Page none;
        return Job(job).Pages.empty() ? none : Job(job).Pages[0];
    }

    TfrmLabels* W = nullptr;
};

// ---------------------------------------------------------------- placement

struct PlacementRow {
    const char* Name;
    const char *PageLeft, *PageTop, *LabelLeft, *LabelTop, *HPitch, *VPitch;
    double PrinterLeft, PrinterTop;  // unprintable margins, mm
    int64_t Label;                   // on a 3 x 2 sheet
    TPoint Paper;                    // the label's origin on the paper, pixels
};

class LabelPlacementTest : public LabelPrintTest, public ::testing::WithParamInterface<PlacementRow> {};

TEST_P(LabelPlacementTest, CaptionAndSymbolAtTheLabelOrigin) {
    const PlacementRow& row = GetParam();
    TPageSetup setup;
    setup.MarginLeft = row.PrinterLeft;
    setup.MarginTop = row.PrinterTop;
    UsePrinter(setup);
    Form1->Barcode1->SetBar_Rotation(rotate_000);
    Sheet("3", "2", row.PageLeft, row.PageTop, row.LabelLeft, row.LabelTop, row.HPitch, row.VPitch);
    CaptionsAndSizes("T%d", "B%d", "10", "8");
    Range(1, 6);
    UserClick(W->btnDoPrint);
    ASSERT_TRUE(Dialogs->Messages().empty()) << Dialogs->Messages().front();
    ASSERT_EQ(Recorder->Jobs().size(), 1u);
    const Page& page = FirstPage();

    // Device pixels start at the printable area's corner.
    const TPoint offset = Printer()->PrintingOffset();
    const TPoint device{row.Paper.X - offset.X, row.Paper.Y - offset.Y};
    const std::vector<TRecordedCall> captions = Captions(page);
    auto top = std::find_if(captions.begin(), captions.end(),
                            [&](const TRecordedCall& c) { return c.Text == "T" + std::to_string(row.Label); });
    ASSERT_NE(top, captions.end());
    EXPECT_EQ(top->Anchor, device);
    EXPECT_EQ(top->Font.Name, "Arial");

    // The symbol starts one top-caption line lower, drawn as the engine
    // draws it there on its own.
    const auto reference = LikeTheMainWindow();
    TRecordingCanvas canvas(600, 600, {6000, 8000});
    const TPoint symbolAt{device.X, device.Y + top->Extent.cy};
    TSize size;
    reference->LoMetricPrint(canvas, symbolAt.X, symbolAt.Y, &size);
    const std::vector<TRect> expected = BlackRects(canvas.Calls());
    ASSERT_FALSE(expected.empty());
    const TRect area{symbolAt.X, symbolAt.Y, symbolAt.X + size.cx, symbolAt.Y + size.cy};
    EXPECT_EQ(BlackRects(page, area), expected);

    // The bottom caption sits right under the symbol.
    auto bottom = std::find_if(captions.begin(), captions.end(),
                               [&](const TRecordedCall& c) { return c.Text == "B" + std::to_string(row.Label); });
    ASSERT_NE(bottom, captions.end());
    EXPECT_EQ(bottom->Anchor, (TPoint{symbolAt.X, symbolAt.Y + size.cy}));
    // Caption sizes in points at the printer's resolution.
    EXPECT_GT(std::abs(top->Font.Height), std::abs(bottom->Font.Height));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LabelPlacementTest,
    ::testing::Values(
        // x = Round(12 x 23.622 + 70 x 23.622) = 1937, y = Round(8 x 23.622 + 37 x 23.622) = 1063.
        PlacementRow{"Label5", "10", "5", "2", "3", "70", "37", 0, 0, 5, {1937, 1063}},
        PlacementRow{"Label5WithPrinterMargins", "10", "5", "2", "3", "70", "37", 5, 7, 5, {1937, 1063}},
        PlacementRow{"FirstLabelWithMargins", "10", "5", "2", "3", "70", "37", 4.2, 6.35, 1, {283, 189}},
        // 12.7 mm = 300 px; 63.5 mm pitch = 1500 px; 2 x 38.1 mm... only 2 rows: row 1 = 900 px.
        PlacementRow{"InchPitches", "12.7", "12.7", "0", "0", "63.5", "38.1", 0, 0, 6, {3300, 1200}},
        PlacementRow{"ThirdOfTheFirstRow", "0", "0", "0", "0", "70", "40", 0, 0, 3, {3307, 0}}),
    [](const auto& info) { return std::string(info.param.Name); });

// ---------------------------------------------------------------- which positions print

TEST_F(LabelPrintTest, RangeTwoToFiveOnThreeByTwo) {
    Sheet("3", "2");
    CaptionsAndSizes("No. %d", "");
    Range(2, 5);
    W->txtNumberPages->SetText("2");
    UserClick(W->btnDoPrint);
    ASSERT_EQ(Recorder->Jobs().size(), 1u);
    const TRecordedJob& job = Job(0);
    EXPECT_EQ(job.Title, "Application");
    EXPECT_EQ(job.Copies, 2);
    EXPECT_TRUE(job.Ended);
    ASSERT_EQ(job.Pages.size(), 1u);
    EXPECT_EQ(CaptionTexts(job.Pages[0]), (std::vector<std::string>{"No. 2", "No. 3", "No. 4", "No. 5"}));
    EXPECT_EQ(W->ProgressBar1->Max(), 5);
    ExpectIdle();
}

TEST_F(LabelPrintTest, CaptionFormats) {
    Sheet("2", "1");
    Range(1, 2);
    CaptionsAndSizes("Box %d of 2", "100%% %3d");
    UserClick(W->btnDoPrint);
    EXPECT_EQ(CaptionTexts(FirstPage()),
              (std::vector<std::string>{"Box 1 of 2", "100%   1", "Box 2 of 2", "100%   2"}));
    Recorder->Clear();
    CaptionsAndSizes("Plain", "0");
    UserClick(W->btnDoPrint);
    EXPECT_EQ(CaptionTexts(FirstPage()), (std::vector<std::string>{"Plain", "0", "Plain", "0"}));
}

TEST_F(LabelPrintTest, EmptyTopCaptionIsNotWritten) {
    Sheet("1", "1");
    CaptionsAndSizes("", "Under");
    UserClick(W->btnDoPrint);
    EXPECT_EQ(CaptionTexts(FirstPage()), std::vector<std::string>{"Under"});
}

TEST_F(LabelPrintTest, SingleLabelColumnThreeRowTwo) {
    Sheet("3", "2");
    CaptionsAndSizes("No. %d", "B%d");
    W->RadioGroup1->SetItemIndex(1);
    W->txtPcol->SetText("3");
    W->txtProw->SetText("2");
    UserClick(W->btnPrint1);
    ASSERT_EQ(Recorder->Jobs().size(), 1u);
    EXPECT_EQ(CaptionTexts(FirstPage()), (std::vector<std::string>{"No. 6", "B6"}));
    const TPoint at = Captions(FirstPage()).at(0).Anchor;
    EXPECT_EQ(at, (TPoint{3307, 945}));  // 140 mm and 40 mm
    EXPECT_EQ(W->ProgressBar1->Max(), 1);

    // Compared as text: a row of 01 selects nothing.
    Recorder->Clear();
    W->txtProw->SetText("01");
    UserClick(W->btnPrint1);
    ASSERT_EQ(Recorder->Jobs().size(), 1u);
    EXPECT_TRUE(CaptionTexts(FirstPage()).empty());
    ExpectIdle();
}

TEST_F(LabelPrintTest, RangeWithBothBoxesDisabled) {
    Sheet("3", "2");
    CaptionsAndSizes("%d", "");
    W->RadioGroup1->SetItemIndex(1);
    Range(1, 6);
    UserClick(W->btnDoPrint);
    EXPECT_EQ(CaptionTexts(FirstPage()).size(), 6u);
    Recorder->Clear();
    Range(1, 5);
    UserClick(W->btnDoPrint);
    EXPECT_TRUE(CaptionTexts(FirstPage()).empty());
}

TEST_F(LabelPrintTest, NoColumnsOrInvertedRangePrintsAnEmptyJob) {
    for (auto [columns, start, stop] : {std::tuple{"0", 1, 6}, {"3", 5, 3}}) {
        SCOPED_TRACE(std::string(columns) + " " + std::to_string(start));
        Recorder->Clear();
        Sheet(columns, "2");
        CaptionsAndSizes("%d", "%d");
        Range(start, stop);
        UserClick(W->btnDoPrint);
        ASSERT_EQ(Recorder->Jobs().size(), 1u);
        EXPECT_TRUE(Job(0).Ended);
        EXPECT_TRUE(CaptionTexts(FirstPage()).empty());
    }
}

struct CopiesRow {
    const char* Text;
    int32_t Copies;
    const char* TextAfter;
};

class CopiesTest : public LabelPrintTest, public ::testing::WithParamInterface<CopiesRow> {};

TEST_P(CopiesTest, CopyCountOfTheJob) {
    Sheet("1", "1");
    W->txtNumberPages->SetText(GetParam().Text);
    UserClick(W->btnDoPrint);
    EXPECT_EQ(Job(0).Copies, GetParam().Copies);
    EXPECT_EQ(W->txtNumberPages->Text(), GetParam().TextAfter);
}

// "00" printed one copy too, where the printer would otherwise have been told 0.
INSTANTIATE_TEST_SUITE_P(Rows, CopiesTest,
                         ::testing::Values(CopiesRow{"", 1, "1"}, CopiesRow{"0", 1, "1"}, CopiesRow{"00", 1, "00"},
                                           CopiesRow{"3", 3, "3"}, CopiesRow{"999", 999, "999"}),
                         [](const auto& info) {
                             return std::string("Copies") + (*info.param.Text ? info.param.Text : "Empty");
                         });

TEST_F(LabelPrintTest, PrintTimeControlTakesTheMainWindowsSettings) {
    Form1->Barcode1->SetBar_HeightPercent(50);
    Form1->Barcode1->SetBar_Rotation(rotate_090);
    Form1->Barcode1->SetBar_CodeAddon("12");
    Sheet("1", "1");
    CaptionsAndSizes("", "", "10");
    UserClick(W->btnDoPrint);
    ASSERT_EQ(Recorder->Jobs().size(), 1u);

    TBarcode reference(nullptr);
    reference.SetBar_CodeType(EAN_13);
    reference.SetBar_Caption("400638133393");
    reference.SetBar_HeightPercent(50);
    reference.SetBar_Rotation(rotate_090);
    reference.SetBar_CodeAddon("12");
    reference.SetBar_Fontname(Form1->Barcode1->Bar_Fontname());
    reference.SetBar_ModuleWidth(Form1->Barcode1->Bar_ModuleWidth());
    // The symbol starts below an empty top caption line.
    TCanvas& measure = *Printer()->Canvas();
    measure.Font()->SetName(Form1->Barcode1->Bar_Fontname());
    measure.Font()->SetSize(10);
    TRecordingCanvas canvas(600, 600, {6000, 8000});
    TSize size;
    reference.LoMetricPrint(canvas, 0, measure.TextHeight(""), &size);
    EXPECT_EQ(BlackRects(FirstPage()), BlackRects(canvas.Calls()));
    EXPECT_GT(size.cy, size.cx);  // turned on its side
    W->Close();
}

// ---------------------------------------------------------------- errors

TEST_F(LabelPrintTest, ConversionErrorBeforeTheJob) {
    Sheet("3", "2");
    W->txtLeft->SetText("1.2.3");
    UserClick(W->btnDoPrint);
    EXPECT_EQ(Dialogs->Messages(), std::vector<std::string>{"'1.2.3' is not a valid floating point value."});
    EXPECT_TRUE(Recorder->Jobs().empty());
    ExpectIdle();
    Sheet("3", "x");
    UserClick(W->btnDoPrint);
    EXPECT_EQ(Dialogs->Messages().back(), "'x' is not a valid integer value.");
}

TEST_F(LabelPrintTest, ErrorInsideTheJobAbortsItAndTheNextPrintRuns) {
    Sheet("3", "2");
    Range(1, 6);
    CaptionsAndSizes("No. %d", "", "big");
    UserClick(W->btnDoPrint);
    EXPECT_EQ(Dialogs->Messages(), std::vector<std::string>{"'big' is not a valid integer value."});
    ASSERT_EQ(Recorder->Jobs().size(), 1u);
    EXPECT_TRUE(Job(0).Aborted);
    EXPECT_FALSE(Job(0).Ended);
    ExpectIdle();

    CaptionsAndSizes("%s", "");
    UserClick(W->btnPrint1);
    EXPECT_EQ(Dialogs->Messages().back(), "Format '%s' invalid or incompatible with argument.");
    EXPECT_TRUE(Job(1).Aborted);
    ExpectIdle();

    CaptionsAndSizes("No. %d", "");
    UserClick(W->btnDoPrint);
    ASSERT_EQ(Recorder->Jobs().size(), 3u);
    EXPECT_TRUE(Job(2).Ended);
    EXPECT_EQ(CaptionTexts(FirstPage(2)).size(), 6u);
}

TEST_F(LabelPrintTest, BeginDocRefusedLeavesNothingOpen) {
    Sheet("1", "1");
    Recorder->FailNextBeginDoc("The printer is switched off");
    UserClick(W->btnDoPrint);
    EXPECT_EQ(Dialogs->Messages(), std::vector<std::string>{"The printer is switched off."});
    ExpectIdle();
    UserClick(W->btnDoPrint);
    EXPECT_TRUE(Recorder->Jobs().back().Ended);
}

// ---------------------------------------------------------------- counting numbers

TEST_F(LabelPrintTest, CountingOneToTwelveOnATenLabelSheet) {
    Sheet("5", "2");
    Range(1, 10);
    CaptionsAndSizes("L%d", "");
    Counting("0001", "0012");
    W->PrefixBox->SetChecked(true);
    W->Prefix->SetText("A");
    W->SuffixBox->SetChecked(true);
    W->Suffix->SetText("Z");
    Printer()->SetCopies(4);
    UserClick(W->btnPrintSeq);
    ASSERT_TRUE(Dialogs->Messages().empty()) << Dialogs->Messages().front();
    ASSERT_EQ(Recorder->Jobs().size(), 2u);
    EXPECT_EQ(SymbolTexts(FirstPage(0)), (std::vector<std::string>{"A0001Z", "A0002Z", "A0003Z", "A0004Z", "A0005Z",
                                                                   "A0006Z", "A0007Z", "A0008Z", "A0009Z", "A0010Z"}));
    EXPECT_EQ(CaptionTexts(FirstPage(0)).size(), 10u);
    EXPECT_EQ(SymbolTexts(FirstPage(1)), (std::vector<std::string>{"A0011Z", "A0012Z"}));
    // Captions only while numbers remain; the rest of the page stays blank.
    EXPECT_EQ(CaptionTexts(FirstPage(1)), (std::vector<std::string>{"L1", "L2"}));
    for (const TRecordedJob& job : Recorder->Jobs()) {
        EXPECT_EQ(job.Title, "Application");
        EXPECT_TRUE(job.Ended);
        // The counting print leaves the printer's copy count alone.
        EXPECT_EQ(job.Copies, 4);
    }
    EXPECT_EQ(W->seqBegin->Text(), "0001");
    EXPECT_EQ(W->ProgressBar1->Max(), 100);
    ExpectIdle();
}

TEST_F(LabelPrintTest, CountingRunsAndTheirJobs) {
    struct Case {
        const char* Start;
        const char* End;
        std::vector<std::vector<std::string>> Jobs;
    };
    Sheet("5", "2");
    Range(1, 10);
    CaptionsAndSizes("", "");
    for (const Case& c : {Case{"01", "11", {{"01", "02", "03", "04", "05", "06", "07", "08", "09", "10"}, {"11"}}},
                          Case{"09", "10", {{"09", "10"}}}, Case{"0099", "0101", {{"0099", "0100", "0101"}}},
                          Case{"8", "9", {{"8", "9"}}}}) {
        SCOPED_TRACE(std::string(c.Start) + ".." + c.End);
        Recorder->Clear();
        Counting(c.Start, c.End);
        UserClick(W->btnPrintSeq);
        ASSERT_EQ(Recorder->Jobs().size(), c.Jobs.size());
        for (size_t j = 0; j < c.Jobs.size(); ++j) EXPECT_EQ(SymbolTexts(FirstPage(j)), c.Jobs[j]);
        EXPECT_EQ(W->seqBegin->Text(), c.Start);
    }
}

TEST_F(LabelPrintTest, CountingWithinAPrintRange) {
    Sheet("3", "2");
    Range(2, 3);
    CaptionsAndSizes("L%d", "");
    Counting("1", "5");
    UserClick(W->btnPrintSeq);
    ASSERT_EQ(Recorder->Jobs().size(), 3u);
    EXPECT_EQ(SymbolTexts(FirstPage(0)), (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(CaptionTexts(FirstPage(0)), (std::vector<std::string>{"L2", "L3"}));
    EXPECT_EQ(SymbolTexts(FirstPage(2)), (std::vector<std::string>{"5"}));
}

struct RefusalRow {
    const char* Name;
    const char* Start;
    const char* End;
    const char* Message;  // nullptr: none
    uint32_t Flags;
};

class CountingRefusalTest : public LabelPrintTest, public ::testing::WithParamInterface<RefusalRow> {};

TEST_P(CountingRefusalTest, NoJobAndItsMessage) {
    const RefusalRow& row = GetParam();
    Sheet("5", "2");
    Range(1, 10);
    Counting(row.Start, row.End);
    UserClick(W->btnPrintSeq);
    EXPECT_TRUE(Recorder->Jobs().empty());
    if (!row.Message) {
        EXPECT_TRUE(Dialogs->Log().empty());
    } else {
        ASSERT_EQ(Dialogs->Log().size(), 1u);
        const TDialogRequest& box = Dialogs->Log()[0];
        EXPECT_EQ(box.Kind, TDialogKind::MessageBox);
        EXPECT_EQ(box.Text, row.Message);
        EXPECT_EQ(box.Caption, "Varsona");
        EXPECT_EQ(box.Flags, row.Flags);
    }
    ExpectIdle();
}

const char* const kNotLower = "Increment Print Terminated:\nBegining number must be lower than ending number.";
const char* const kNoIncrement = "Increment Print Terminated:\nPrint number does not increment.";
const char* const kNineDigits =
    "Incrementing number may not exceed 9 digits in length. Reduce the number length, or place more of the "
    "begining digits in the prefix box.";

INSTANTIATE_TEST_SUITE_P(Rows, CountingRefusalTest,
                         ::testing::Values(RefusalRow{"NineToTen", "9", "10", kNotLower, MB_OK},
                                           RefusalRow{"Equal", "0005", "0005", kNoIncrement, MB_OK},
                                           RefusalRow{"TenCharacters", "0000000001", "0000000009", kNineDigits,
                                                      MB_OK | MB_ICONINFORMATION},
                                           RefusalRow{"EmptyEnd", "12", "", kNotLower, MB_OK},
                                           RefusalRow{"BothEmpty", "", "", kNoIncrement, MB_OK},
                                           RefusalRow{"EmptyStart", "", "12", nullptr, 0}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(LabelPrintTest, CountingPageWithoutPositionsEndsTheRun) {
    for (auto [rows, start, stop] : {std::tuple{"2", 8, 3}, {"0", 1, 10}, {"2", 11, 999}}) {
        SCOPED_TRACE(std::string(rows) + " " + std::to_string(start) + ".." + std::to_string(stop));
        Recorder->Clear();
        Sheet("5", rows);
        Counting("1", "5");
        Range(start, stop);
        UserClick(W->btnPrintSeq);
        EXPECT_TRUE(Recorder->Jobs().empty());
        EXPECT_EQ(
            Dialogs->Messages(),
            std::vector<std::string>{"Increment Print Terminated:\nThe print range selects no label on the page."});
        EXPECT_EQ(W->seqBegin->Text(), "1");
        EXPECT_EQ(W->ProgressBar1->Max(), 100);
        ExpectIdle();
    }
}

TEST_F(LabelPrintTest, CountingErrorAbortsTheJobAndTheNextRunStartsAgain) {
    Sheet("2", "1");
    Range(1, 2);
    Counting("1", "5");
    W->seqEnd->SetText("5x");
    UserClick(W->btnPrintSeq);
    EXPECT_EQ(Dialogs->Messages(), std::vector<std::string>{"'5x' is not a valid integer value."});
    ASSERT_EQ(Recorder->Jobs().size(), 1u);
    EXPECT_TRUE(Job(0).Aborted);
    EXPECT_EQ(W->seqBegin->Text(), "1");
    ExpectIdle();

    // A caption longer than 50 characters is refused by the symbol.
    Recorder->Clear();
    Dialogs->Clear();
    W->seqEnd->SetText("5");
    W->SuffixBox->SetChecked(true);
    W->Suffix->SetText(std::string(50, 'X'));
    UserClick(W->btnPrintSeq);
    ASSERT_EQ(Dialogs->Messages().size(), 1u);
    EXPECT_EQ(Recorder->Jobs().size(), 1u);
    EXPECT_TRUE(Job(0).Aborted);
    EXPECT_EQ(W->seqBegin->Text(), "1");
    ExpectIdle();

    Recorder->Clear();
    W->SuffixBox->SetChecked(false);
    UserClick(W->btnPrintSeq);
    ASSERT_EQ(Recorder->Jobs().size(), 3u);
    EXPECT_EQ(SymbolTexts(FirstPage(0)), (std::vector<std::string>{"1", "2"}));
}

// ---------------------------------------------------------------- the print button

TEST_F(LabelPrintTest, PrintButtonRunsTheOperationOfTheTabAndChoice) {
    Sheet("2", "1");
    Range(1, 2);
    CaptionsAndSizes("%d", "");
    W->Button1->Click();
    EXPECT_EQ(CaptionTexts(FirstPage(0)), (std::vector<std::string>{"1", "2"}));

    W->RadioGroup1->SetItemIndex(1);
    W->txtPcol->SetText("2");
    W->Button1->Click();
    EXPECT_EQ(CaptionTexts(FirstPage(1)), (std::vector<std::string>{"2"}));

    Counting("1", "3");
    W->PageControl1->SetActivePageIndex(1);
    W->Button1->Click();
    EXPECT_EQ(SymbolTexts(FirstPage(2)), (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(SymbolTexts(FirstPage(3)), (std::vector<std::string>{"3"}));

    Dialogs->Clear();
    W->DataTable()->SetCells(1, 1, "CODE39");
    W->DataTable()->SetCells(2, 1, "7");
    for (int32_t c = 3; c < 16; ++c) W->DataTable()->SetCells(c, 1, " ");
    W->PageControl1->SetActivePageIndex(2);
    W->Button1->Click();
    EXPECT_EQ(Recorder->Jobs().size(), 5u);
    EXPECT_EQ(SymbolTexts(FirstPage(4)), (std::vector<std::string>{"7"}));
    EXPECT_TRUE(Dialogs->Messages().empty());
}

// ---------------------------------------------------------------- stopping a print

// Runs action each time the print lets the window answer (a timer that fires
// whenever events are processed), until it returns true.
class TDuringPrint {
public:
    explicit TDuringPrint(std::function<bool()> action) {
        FTimer.setInterval(0);
        QObject::connect(&FTimer, &QTimer::timeout, [this, action] {
            if (action()) FTimer.stop();
        });
        FTimer.start();
    }

private:
    QTimer FTimer;
};

void PressEscape(TfrmLabels* w) { PressKey(w->Button1, VK_ESCAPE); }

// Counting from 1 to a billion, one label a page, wrote page after page
// until the disk was full, and neither Close nor Escape stopped it. Cancel
// ends the run after the current page, whose job is aborted; the start
// number is the first one not printed.
TEST_F(LabelPrintTest, ALongCountingPrintStopsOnCancelOrEscape) {
    W->Show();  // (its activation fills the fields: the set-up comes after)
    Sheet("1", "1");
    Range(1, 1);
    CaptionsAndSizes("", "");
    Counting("1", "999999999");
    bool displayShown = false;
    {
        TDuringPrint during([&] {
            if (Recorder->Jobs().size() < 3) return false;
            displayShown = W->Label14->Visible() && W->btnCancelPrint->Visible();
            UserClick(W->Button1);  // a second print does not start inside the first
            UserClick(W->btnCancelPrint);
            return true;
        });
        UserClick(W->btnPrintSeq);
    }
    EXPECT_TRUE(displayShown);
    ASSERT_EQ(Recorder->Jobs().size(), 3u);
    EXPECT_TRUE(Job(0).Ended);
    EXPECT_EQ(SymbolTexts(FirstPage(0)), std::vector<std::string>{"1"});
    EXPECT_TRUE(Job(1).Ended);
    EXPECT_TRUE(Job(2).Aborted);
    EXPECT_EQ(SymbolTexts(FirstPage(2)), std::vector<std::string>{"3"});
    EXPECT_EQ(W->seqBegininput->Text(), "3");
    EXPECT_EQ(W->seqBegin->Text(), "3");
    EXPECT_EQ(Dialogs->Messages(), std::vector<std::string>{"Printing cancelled. The next print starts at 3."});
    ExpectIdle();
    EXPECT_FALSE(W->btnCancelPrint->Visible());

    // The next print goes on from there; Escape stops it the same way.
    Dialogs->Clear();
    {
        TDuringPrint during([&] {
            if (Recorder->Jobs().size() < 5) return false;
            PressEscape(W);
            return true;
        });
        UserClick(W->btnPrintSeq);
    }
    ASSERT_EQ(Recorder->Jobs().size(), 5u);
    EXPECT_EQ(SymbolTexts(FirstPage(3)), std::vector<std::string>{"3"});
    EXPECT_TRUE(Job(3).Ended);
    EXPECT_TRUE(Job(4).Aborted);
    EXPECT_EQ(W->seqBegininput->Text(), "4");
    EXPECT_EQ(Dialogs->Messages(), std::vector<std::string>{"Printing cancelled. The next print starts at 4."});

    // Closing the window stops it too.
    Dialogs->Clear();
    {
        TDuringPrint during([&] {
            if (Recorder->Jobs().size() < 6) return false;
            UserClick(W->btnExit);
            return true;
        });
        UserClick(W->btnPrintSeq);
    }
    EXPECT_EQ(Recorder->Jobs().size(), 6u);
    EXPECT_TRUE(Job(5).Aborted);
    EXPECT_FALSE(W->Visible());
    ExpectIdle();
}

TEST_F(LabelPrintTest, ACancelledSheetPrintIsAnAbortedJob) {
    W->Show();
    Sheet("3", "7", "0", "0", "0", "0", "70", "42");
    Range(1, 21);
    CaptionsAndSizes("%d", "");
    {
        TDuringPrint during([&] {
            PressEscape(W);
            return true;
        });
        UserClick(W->btnDoPrint);
    }
    ASSERT_EQ(Recorder->Jobs().size(), 1u);
    EXPECT_TRUE(Job(0).Aborted);
    // The page in hand was finished.
    EXPECT_EQ(CaptionTexts(FirstPage()).size(), 21u);
    EXPECT_TRUE(Dialogs->Messages().empty());
    ExpectIdle();
}

// Margins of 10^9 mm overflowed the printer's pixels. Geometry that puts the
// labels off the paper is refused before the job, with a clear message.
TEST_F(LabelPrintTest, GeometryOffThePaperIsRefusedBeforeTheJob) {
    struct Case {
        const char* Name;
        const char *PageLeft, *PageTop, *HPitch;
    };
    const Case cases[] = {{"page margin of 10^9 mm", "1000000000", "0", "70"},
                          {"top margin beyond the paper", "0", "300", "70"},
                          {"pitch of 10^9 mm", "0", "0", "1000000000"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        for (TButton* print : {W->btnDoPrint, W->btnPrint1, W->btnPrintSeq}) {
            Dialogs->Clear();
            Recorder->Clear();
            Sheet("3", "2", c.PageLeft, c.PageTop, "0", "0", c.HPitch);
            Range(1, 6);
            if (print == W->btnPrintSeq) Counting("1", "5");
            UserClick(print);
            EXPECT_EQ(Dialogs->Messages(), std::vector<std::string>{"The margins and pitches put the labels off the paper."});
            EXPECT_TRUE(Recorder->Jobs().empty());
            ExpectIdle();
        }
    }
}

// A print says where it went: into the PDF file named in the main window's
// status bar.
TEST_F(LabelPrintTest, TheMainWindowTellsWhereALabelPrintWent) {
    auto pdf = std::make_unique<TPdfFilePrinter>();
    pdf->SetOutputFolder(Root);
    Printer()->SetPrinterIndex(Printer()->AddPrinter(std::move(pdf)));
    Sheet("1", "1");
    Range(1, 1);
    UserClick(W->btnDoPrint);
    ASSERT_TRUE(Dialogs->Messages().empty()) << Dialogs->Messages().front();
    const std::string file = Root + "/Application.pdf";
    EXPECT_EQ(Form1->StatusBar1->SimpleText(), "Printed to " + file);
    EXPECT_TRUE(FileExists(file));
}

}  // namespace
