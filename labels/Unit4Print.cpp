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

// The symbology of a type name; false for a name that is not one.
bool TypeOfName(const std::string& name, btCodeTypes& type) {
    static const std::pair<const char*, btCodeTypes> names[] = {
        {"EAN_8", EAN_8},         {"EAN_13", EAN_13},         {"UPC_A", UPC_A},         {"UPC_E", UPC_E},
        {"CODE39", CODE39},       {"CODE25i", CODE25i},       {"Codabar", Codabar},     {"CODE128_A", CODE128_A},
        {"CODE128_B", CODE128_B}, {"CODE128_C", CODE128_C},   {"Postnet_5", Postnet},   {"Postnet_9", Postnet},
        {"Postnet_11", Postnet},  {"EAN_ISBN", EAN_13},       {"MSI_Plessey", MSI_Plessey}};
    for (const auto& [text, value] : names)
        if (name == text) {
            type = value;
            return true;
        }
    return false;
}

bool EmptyOrBlank(const std::string& cell) { return cell.empty() || IsBlank(cell); }
int32_t SizeOr(const std::string& cell, int32_t blank) { return IsBlank(cell) ? blank : StrToInt(cell); }

btCodeRotate RotationOf(const std::string& cell) {
    if (cell == "090") return rotate_090;
    if (cell == "180") return rotate_180;
    if (cell == "270") return rotate_270;
    return rotate_000;
}

// The row's settings on the print-time control, in the order the row's
// columns are applied.
void ConfigureFromRow(TBarcode& barcode, const std::vector<std::string>& row) {
    auto cell = [&](int32_t col) -> const std::string& { return row[static_cast<size_t>(col)]; };
    barcode.SetBar_Rotation(rotate_000);
    barcode.SetBar_Fontname("Arial");
    btCodeTypes type;
    if (TypeOfName(cell(colType), type)) barcode.SetBar_CodeType(type);
    barcode.SetBar_Caption(cell(colCaption));
    barcode.SetBar_HeightPercent(SizeOr(cell(colBarHeight), 100));
    barcode.SetBar_Rotation(RotationOf(cell(colRotation)));
    barcode.SetBar_Fontname(IsBlank(cell(colFont)) ? "Arial" : cell(colFont));
    barcode.SetBar_CodeAddon(cell(colAddOn));
    barcode.SetBar_HumanReadable(UpperCase(cell(colHumanReadable)) != "FALSE");
    barcode.SetBar_Fontscaling(SizeOr(cell(colFontHeight), 100));
    barcode.SetBar_Ratio(cell(colRatio) == "3:1" ? Ratio_3 : Ratio_2);
    barcode.SetBar_ModuleWidth(UpperCase(cell(colZoom)) == "TRUE" ? SC9 : SC2);
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
    TBarcode& barcode = run.CreateBlankBarcode();

    if (txtNumberPages->Text().empty() || txtNumberPages->Text() == "0") txtNumberPages->SetText("1");
    int32_t copies = StrToInt(txtNumberPages->Text());
    if (copies < 1) copies = 1;
    Printer()->SetCopies(copies);

    TPrinterScale scale = run.BeginJob();
    TCanvas& canvas = *Printer()->Canvas();
    const TPrintRange range = ReadPrintRange();
    const int32_t columns = sheet.Columns;
    if (columns == 0) throw EDivByZero(SysConst::SDivByZero);
    const int64_t perPage = sheet.LabelCount();
    int32_t R = spinStart->Value() - 1;
    int32_t S = SpinCol->Value() - 1;
    int32_t d = 1;
    bool lastRow = false;
    // A row beyond the table reads as empty: the data has ended there.
    static const std::string none;
    auto typeAt = [&](int32_t r) -> const std::string& {
        return r >= 1 && r < rowCount ? table[static_cast<size_t>(r - 1)][colType] : none;
    };
    const int64_t rounds = rowCount / columns + 1 + (S > 0 ? 1 : 0);
    bool ended = false;
    for (int64_t round = 0; round < rounds && !ended; ++round) {
        if (R == sheet.Rows) {
            // After the last label no page follows.
            if (lastRow) break;
            Printer()->NewPage();
            scale = run.PageScale();
            R = 0;
            S = 0;
        }
        for (int32_t c = round == 0 ? S : 0; c < columns; ++c) {
            if (EmptyOrBlank(typeAt(d))) {
                ended = true;
                break;
            }
            if (EmptyOrBlank(typeAt(d + 1))) lastRow = true;
            const std::vector<std::string>& row = table[static_cast<size_t>(d - 1)];
            const TLabelOrigin origin = LabelOriginAt(sheet, scale, c, R);
            const int64_t n = int64_t{R} * columns + c + 1;
            if (range.Selects(n, perPage)) {
                const int32_t x = origin.Position.X;
                int32_t y = origin.Position.Y;
                const std::string& top = row[colTopCaption];
                canvas.Font()->SetName(IsBlank(row[colFont]) ? "Arial" : row[colFont]);
                canvas.Font()->SetSize(SizeOr(row[colTopSize], 6));
                if (!IsBlank(top)) canvas.TextOut(x, y, Format(top, n));
                ConfigureFromRow(barcode, row);
                y += canvas.TextHeight(top);
                TSize drawn;
                barcode.LoMetricPrint(canvas, x, y, &drawn);
                run.Advance();
                y += drawn.cy;
                canvas.Font()->SetSize(SizeOr(row[colBottomSize], 6));
                canvas.TextOut(x, y, Format(row[colBottomCaption], n));
            }
            ++d;
            if (PrintCancelled()) {
                ended = true;
                break;
            }
        }
        ++R;
    }
    run.EndJob();
}
