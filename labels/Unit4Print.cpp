// The label sheet window's print operations: a sheet or a range of it, one
// single label, and runs of counting numbers. They share one print frame:
// labels placed by the sheet geometry, a caption above the symbol, the
// symbol, a caption below it.
#include <string>

#include "designer/Unit1.h"
#include "engine/Barcode.h"
#include "labels/LabelConst.h"
#include "labels/LabelData.h"
#include "labels/Unit4.h"
#include "platform/controls/ComCtrls.h"
#include "platform/controls/Dialogs.h"
#include "platform/printing/Printers.h"
#include "platform/controls/Spin.h"
#include "platform/runtime/SysUtils.h"

using namespace LabelConst;

namespace {
void CopyBarcodeSettings(const TBarcode& from, TBarcode& to, bool withCaption) {
    to.SetBar_CodeType(from.Bar_CodeType());
    if (withCaption) to.SetBar_Caption(from.Bar_Caption());
    to.SetBar_ModuleWidth(from.Bar_ModuleWidth());
    to.SetBar_HeightPercent(from.Bar_HeightPercent());
    to.SetBar_Rotation(from.Bar_Rotation());
    to.SetBar_Fontname(from.Bar_Fontname());
    to.SetBar_CodeAddon(from.Bar_CodeAddon());
    to.SetBar_HumanReadable(from.Bar_HumanReadable());
    to.SetBar_Fontscaling(from.Bar_Fontscaling());
    to.SetBar_Ratio(from.Bar_Ratio());
    to.SetBar_ZoomSize(from.Bar_ZoomSize());
}

void CountingMessage(const char* reason) {
    Application->MessageBox(std::string(SIncrementTerminated) + "\n" + reason, SMessageCaption, MB_OK);
}

// Refused before the job: labels off the paper would print nothing, and
// margins of 10^9 mm overflow the printer's pixels.
void CheckOnPaper(const TSheetGeometry& sheet) {
    const TPageGeometry page = Printer()->Geometry();
    // Without a printer the job itself says why it cannot start.
    if (page.Paper.cx <= 0 || page.Paper.cy <= 0 || page.DpiX <= 0 || page.DpiY <= 0) return;
    const TMillimetres width(page.Paper.cx * 25.4L / page.DpiX), height(page.Paper.cy * 25.4L / page.DpiY);
    if (!sheet.FitsPaper(width, height)) throw EInvalidOperation(SOffPaper);
}
}  // namespace

// One print from its button's click to its end: the Cancel button shows
// (Escape presses it), and the window's other commands wait.
class TfrmLabels::TPrintSession {
public:
    explicit TPrintSession(TfrmLabels& form) : F(form) {
        F.FPrinting = true;
        F.FCancelRequested = false;
        F.FLastPoll = GetTickCount() - 1000;
        F.btnCancelPrint->SetVisible(true);
    }
    ~TPrintSession() {
        F.btnCancelPrint->SetVisible(false);
        F.FPrinting = false;
    }
    TPrintSession(const TPrintSession&) = delete;
    TPrintSession& operator=(const TPrintSession&) = delete;

private:
    TfrmLabels& F;
};

bool TfrmLabels::PrintCancelled() {
    // Often enough to answer at once, seldom enough to cost nothing.
    const uint32_t now = GetTickCount();
    if (now - FLastPoll >= 25) {
        FLastPoll = now;
        Application->ProcessMessages();
    }
    if (Application->Terminated()) FCancelRequested = true;
    return FCancelRequested;
}

// One print operation from its start to its end. Whatever way it leaves, an
// error included, the job it opened is aborted, the print-time control is
// freed and the progress display is hidden, so that the next print can start.
class TfrmLabels::TPrintRun {
public:
    explicit TPrintRun(TfrmLabels& form) : F(form) {}
    ~TPrintRun() {
        if (FJobOpen && Printer()->Printing()) {
            try {
                Printer()->Abort();
            } catch (...) {
            }
        }
        F.FPrintBarcode.reset();
        F.ProgressBar1->SetVisible(false);
        F.Label14->SetVisible(false);
    }
    TPrintRun(const TPrintRun&) = delete;
    TPrintRun& operator=(const TPrintRun&) = delete;

    void ShowPrinting() {
        F.Label14->SetVisible(true);
        F.Label14->Repaint();
        F.btnCancelPrint->Repaint();
    }
    void ShowBar(int32_t max) {
        F.ProgressBar1->SetMin(0);
        F.ProgressBar1->SetMax(max);
        F.ProgressBar1->SetVisible(true);
        FCounter = 1;
    }
    void Advance() { F.ProgressBar1->SetPosition(++FCounter); }

    // The data-table print: every label takes its settings from its row.
    TBarcode& CreateBlankBarcode() {
        F.FPrintBarcode = std::make_unique<TBarcode>(nullptr);
        return *F.FPrintBarcode;
    }

    TBarcode& CreateBarcode(bool withCaption) {
        F.FPrintBarcode = std::make_unique<TBarcode>(nullptr);
        CopyBarcodeSettings(CurrentSymbolBarcode(), *F.FPrintBarcode, withCaption);
        return *F.FPrintBarcode;
    }

    // Frame steps: the title, the job, the scale and the origin at the
    // paper corner.
    TPrinterScale BeginJob() {
        TPrinter* printer = Printer();
        printer->SetTitle(SJobTitle);
        printer->BeginDoc();
        FJobOpen = true;
        return PageScale();
    }
    // The scale and the origin at the paper corner, read again on each page.
    TPrinterScale PageScale() {
        TCanvas& canvas = *Printer()->Canvas();
        const TPrinterScale scale =
            TPrinterScale::FromDpi(canvas.GetDeviceCaps(LOGPIXELSX), canvas.GetDeviceCaps(LOGPIXELSY));
        TPoint offset;
        if (Escape(canvas, GETPRINTINGOFFSET, 0, nullptr, &offset) > 0) canvas.SetViewportOrgEx(-offset.X, -offset.Y);
        return scale;
    }
    // The job ends, or, when the print was cancelled, is aborted: its page
    // is not delivered. Returns whether it was delivered.
    bool EndJob() {
        const bool cancelled = F.PrintCancelled();
        FJobOpen = false;
        if (cancelled) Printer()->Abort();
        else Printer()->EndDoc();
        F.FPrintBarcode.reset();
        if (!cancelled && Form1) Form1->ShowPrintedWhere();
        return !cancelled;
    }

private:
    TfrmLabels& F;
    bool FJobOpen = false;
    int32_t FCounter = 1;
};

// ---------------------------------------------------------------- sheet, range and single label

void TfrmLabels::btnDoPrintClick(TObject* Sender) {
    if (FPrinting) return;
    TPrintSession session(*this);
    PrintSheet(false);
}

void TfrmLabels::btnPrint1Click(TObject* Sender) {
    if (FPrinting) return;
    TPrintSession session(*this);
    PrintSheet(true);
}

void TfrmLabels::PrintSheet(bool singleLabel) {
    TPrintRun run(*this);
    run.ShowPrinting();
    run.ShowBar(singleLabel ? 1 : SpinEdit2->Value());
    const TSheetGeometry sheet = ReadSheetGeometry();
    CheckOnPaper(sheet);
    TBarcode& barcode = run.CreateBarcode(true);

    if (txtNumberPages->Text().empty() || txtNumberPages->Text() == "0") txtNumberPages->SetText("1");
    int32_t copies = StrToInt(txtNumberPages->Text());
    // "00" and the like print one copy, as "0" does.
    if (copies < 1) copies = 1;
    Printer()->SetCopies(copies);

    const TPrinterScale scale = run.BeginJob();
    TCanvas& canvas = *Printer()->Canvas();
    const std::string topCaption = txtTopCap->Text();
    const std::string bottomCaption = txtBottomCap->Text();
    // Only the positions that print are walked.
    const TLabelSpan span =
        singleLabel ? SingleLabelSpan(sheet, txtPcol->Text(), txtProw->Text()) : ReadPrintRange().Selected(sheet);

    for (const TLabelOrigin& origin : LabelOrigins(sheet, scale, span)) {
        canvas.Font()->SetName(barcode.Bar_Fontname());
        const int32_t x = origin.Position.X;
        int32_t y = origin.Position.Y;
        canvas.Font()->SetSize(StrToInt(ComboBox2->Text()));
        if (!topCaption.empty()) canvas.TextOut(x, y, Format(topCaption, origin.Number));
        y += canvas.TextHeight(topCaption);
        TSize drawn;
        barcode.LoMetricPrint(canvas, x, y, &drawn);
        run.Advance();
        y += drawn.cy;
        canvas.Font()->SetSize(StrToInt(ComboBox1->Text()));
        canvas.TextOut(x, y, Format(bottomCaption, origin.Number));
        PrintCancelled();
    }
    run.EndJob();
}

// ---------------------------------------------------------------- counting numbers

void TfrmLabels::btnPrintSeqClick(TObject* Sender) {
    if (FPrinting) return;
    TPrintSession session(*this);
    // Each page is one job; the run goes on while numbers remain.
    for (;;) {
        switch (CheckCountingTexts(seqBegininput->Text(), seqEnd->Text())) {
            case TCountingCheck::BeginNotLower: CountingMessage(SBeginNotLower); return;
            case TCountingCheck::NoIncrement: CountingMessage(SNoIncrement); return;
            case TCountingCheck::Empty: return;
            case TCountingCheck::TooLong:
                Application->MessageBox(SNineDigits, SMessageCaption, MB_OK | MB_ICONINFORMATION);
                return;
            case TCountingCheck::Ok: break;
        }
        const std::string before = seqBegin->Text();
        bool more = false;
        try {
            more = PrintCountingPage();
        } catch (...) {
            // The run is over: the next one starts from the start number.
            seqBegin->SetText(seqBegininput->Text());
            throw;
        }
        if (FCancelRequested) {
            // The page that was cancelled was not delivered: the next run
            // starts with its first number.
            seqBegininput->SetText(before);
            seqBegin->SetText(before);
            Application->MessageBox(FmtMsg(SPrintCancelled, before), SMessageCaption, MB_OK | MB_ICONINFORMATION);
            return;
        }
        // A page that used no number would repeat for ever.
        if (!more || seqBegin->Text() == before) break;
    }
    seqBegin->SetText(seqBegininput->Text());
}

bool TfrmLabels::PrintCountingPage() {
    TPrintRun run(*this);
    run.ShowPrinting();
    ProgressBar1->SetMax(500);
    const TSheetGeometry sheet = ReadSheetGeometry();
    const TPrintRange range = ReadPrintRange();
    const TLabelSpan span = range.Selected(sheet);
    if (span.Empty()) {
        ProgressBar1->SetMax(100);
        CountingMessage(SNoPositionSelected);
        return false;
    }
    CheckOnPaper(sheet);
    TBarcode& barcode = run.CreateBarcode(false);

    const TPrinterScale scale = run.BeginJob();
    TCanvas& canvas = *Printer()->Canvas();

    // The bar runs once through while the page is set up.
    ProgressBar1->SetVisible(true);
    for (int32_t position = 0; position <= 500; ++position) ProgressBar1->SetPosition(position);
    ProgressBar1->SetVisible(false);
    ProgressBar1->SetMax(100);

    const std::string topCaption = txtTopCap->Text();
    const std::string bottomCaption = txtBottomCap->Text();
    const std::string prefix = Prefix->Text();
    const std::string suffix = Suffix->Text();
    const std::string endText = seqEnd->Text();
    // The running number; the hidden field gets it back after the page.
    std::string number = seqBegin->Text();
    int32_t lastHeight = 0;
    for (const TLabelOrigin& origin : LabelOrigins(sheet, scale, span)) {
        canvas.Font()->SetName(barcode.Bar_Fontname());
        const int32_t x = origin.Position.X;
        int32_t y = origin.Position.Y;
        canvas.Font()->SetSize(StrToInt(ComboBox2->Text()));
        const bool remains = StrToInt64(endText) >= StrToInt64(number);
        if (remains && !topCaption.empty()) canvas.TextOut(x, y, Format(topCaption, origin.Number));
        y += canvas.TextHeight(topCaption);
        if (remains) {
            barcode.SetBar_Caption(prefix + number + suffix);
            TSize drawn;
            barcode.LoMetricPrint(canvas, x, y, &drawn);
            lastHeight = drawn.cy;
        }
        y += lastHeight;
        canvas.Font()->SetSize(StrToInt(ComboBox1->Text()));
        if (remains) canvas.TextOut(x, y, Format(bottomCaption, origin.Number));
        number = IncrementNumberText(number);
        PrintCancelled();
    }
    seqBegin->SetText(number);
    if (!run.EndJob()) return false;
    return StrToInt64(seqBegin->Text()) <= StrToInt64(seqEnd->Text());
}

// ---------------------------------------------------------------- data table

namespace {
using namespace LabelData;

// The row's settings on the print-time control, in the order the row's
// columns are applied; a refused value names its row and column.
void ConfigureFromRow(TBarcode& barcode, const TRowSettings& s, int32_t d) {
    barcode.SetBar_Rotation(rotate_000);
    barcode.SetBar_Fontname("Arial");
    if (s.HasType) barcode.SetBar_CodeType(s.Type);
    ForCell(d, colCaption, [&] { barcode.SetBar_Caption(s.Caption); });
    ForCell(d, colBarHeight, [&] { barcode.SetBar_HeightPercent(s.BarHeight); });
    barcode.SetBar_Rotation(s.Rotation);
    ForCell(d, colFont, [&] { barcode.SetBar_Fontname(s.Font); });
    ForCell(d, colAddOn, [&] { barcode.SetBar_CodeAddon(s.AddOn); });
    barcode.SetBar_HumanReadable(s.HumanReadable);
    ForCell(d, colFontHeight, [&] { barcode.SetBar_Fontscaling(s.FontHeight); });
    barcode.SetBar_Ratio(s.Ratio);
    barcode.SetBar_ModuleWidth(s.ModuleWidth);
}
}  // namespace

void TfrmLabels::Button5Click(TObject* Sender) {
    if (FPrinting) return;
    TPrintSession session(*this);
    PrintDataTable();
}

void TfrmLabels::PrintDataTable() {
    const std::vector<std::vector<std::string>> table = DataTableRows();
    const auto rowCount = static_cast<int32_t>(table.size()) + 1;
    TPrintRun run(*this);
    run.ShowPrinting();
    run.ShowBar(rowCount - 1);
    const TSheetGeometry sheet = ReadSheetGeometry();
    CheckOnPaper(sheet);
    const int32_t columns = sheet.Columns;
    if (columns == 0) throw EDivByZero(SysConst::SDivByZero);
    // Before the first position the labels would leave the sheet.
    if (spinStart->Value() < 1 || SpinCol->Value() < 1) throw EInvalidOperation(SBadDataStart);
    const TPrintRange range = ReadPrintRange();
    const int64_t perPage = sheet.LabelCount();
    auto ended = [&](int32_t d) { return d < 1 || d >= rowCount || EndsData(table[static_cast<size_t>(d - 1)][colType]); };
    auto placement = [&] {
        return TDataPlacement(columns, sheet.Rows, spinStart->Value(), SpinCol->Value(), rowCount, ended);
    };
    {
        // A print that would place nothing sends no job.
        TDataPlacement walk = placement();
        TDataLabel label;
        bool any = false, selected = false;
        while (!selected && walk.Next(label)) {
            any = true;
            selected = range.Selects(label.Number, perPage);
        }
        if (!selected) {
            Application->MessageBox(any ? SNoDataInRange : SNoDataLabel, SMessageCaption, MB_OK | MB_ICONINFORMATION);
            return;
        }
    }
    TBarcode& barcode = run.CreateBlankBarcode();

    if (txtNumberPages->Text().empty() || txtNumberPages->Text() == "0") txtNumberPages->SetText("1");
    int32_t copies = StrToInt(txtNumberPages->Text());
    if (copies < 1) copies = 1;
    Printer()->SetCopies(copies);

    TPrinterScale scale = run.BeginJob();
    TCanvas& canvas = *Printer()->Canvas();
    TDataPlacement walk = placement();
    TDataLabel label;
    while (walk.Next(label)) {
        if (label.NewPage) {
            Printer()->NewPage();
            scale = run.PageScale();
        }
        const int32_t d = label.DataRow;
        const int64_t n = label.Number;
        if (range.Selects(n, perPage)) {
            const TRowSettings s = RowSettings(table[static_cast<size_t>(d - 1)], d);
            const TLabelOrigin origin = LabelOriginAt(sheet, scale, label.Column, label.SheetRow);
            const int32_t x = origin.Position.X;
            int32_t y = origin.Position.Y;
            canvas.Font()->SetName(s.Font);
            canvas.Font()->SetSize(s.TopSize);
            if (s.HasTopCaption) ForCell(d, colTopCaption, [&] { canvas.TextOut(x, y, Format(s.TopCaption, n)); });
            ConfigureFromRow(barcode, s, d);
            y += canvas.TextHeight(s.TopCaption);
            TSize drawn;
            ForCell(d, colCaption, [&] { barcode.LoMetricPrint(canvas, x, y, &drawn); });
            run.Advance();
            y += drawn.cy;
            canvas.Font()->SetSize(s.BottomSize);
            ForCell(d, colBottomCaption, [&] { canvas.TextOut(x, y, Format(s.BottomCaption, n)); });
        }
        if (PrintCancelled()) break;
    }
    run.EndJob();
}
