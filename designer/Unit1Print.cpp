// Printing one barcode: 50 mm from the left and 60 mm from the top edge of
// the paper, on the shared printer.
#include "designer/DesignerConst.h"
#include "designer/Unit1.h"
#include "platform/controls/ComCtrls.h"
#include "platform/controls/PrinterSetup.h"

void TForm1::Print1Click(TObject* Sender) {
    Screen->SetCursor(crAppStart);
    // The pointer comes back also when the print fails.
    try {
        PrintBarcode();
    } catch (...) {
        Screen->SetCursor(crDefault);
        throw;
    }
    Screen->SetCursor(crDefault);
}

void TForm1::PrintBarcode() {
    // One print-time barcode at a time; the window owns it.
    delete PrintBarcode1;
    PrintBarcode1 = new TBarcode(this);
    TBarcode& bc = *PrintBarcode1;
    bc.SetBar_HeightPercent(Barcode1->Bar_HeightPercent());
    bc.SetBar_HighDensity(false);
    bc.SetBar_ModuleWidth(SC2);
    bc.SetBar_WidthReduce(false);
    bc.SetBar_ZoomSize(false);
    bc.SetBar_CodeType(Barcode1->Bar_CodeType());
    bc.SetBar_CodeAddon(Barcode1->Bar_CodeAddon());
    bc.SetBar_Fontname(Barcode1->Bar_Fontname());
    bc.SetBar_Fontscaling(Barcode1->Bar_Fontscaling());
    bc.SetBar_HeightPercent(Barcode1->Bar_HeightPercent());
    bc.SetBar_HumanReadable(Barcode1->Bar_HumanReadable());
    bc.SetBar_Rotation(Barcode1->Bar_Rotation());
    bc.SetBar_Caption(Barcode1->Bar_Caption());

    TPrinter* printer = Printer();
    printer->SetTitle(DesignerConst::SPrintTitle);
    printer->BeginDoc();
    // A job that an error leaves open is dropped, so the next print can start.
    TPrintJobGuard guard(printer);
    TCanvas& canvas = *printer->Canvas();
    const long double pxX = canvas.GetDeviceCaps(LOGPIXELSX) / 25.4L;
    const long double pxY = canvas.GetDeviceCaps(LOGPIXELSY) / 25.4L;
    TPoint offset;
    Escape(canvas, GETPRINTINGOFFSET, 0, nullptr, &offset);
    canvas.SetViewportOrgEx(-offset.X, -offset.Y);
    const int32_t x = static_cast<int32_t>(Round(pxX * 50));
    const int32_t y = static_cast<int32_t>(Round(pxY * 60));
    TSize size;
    bc.LoMetricPrint(canvas, x, y, &size);
    printer->EndDoc();
    ShowPrintedWhere();
}

void TForm1::ShowPrintedWhere() {
    TPrinter* printer = Printer();
    TPdfFilePrinter* pdf = printer->PdfPrinter();
    std::string where;
    if (pdf && printer->CurrentPrinter() == pdf && !pdf->LastFile().empty())
        where = FmtMsg(DesignerConst::SPrintedToFile, pdf->LastFile());
    else if (TPrinterBackend* current = printer->CurrentPrinter())
        where = FmtMsg(DesignerConst::SPrintedOn, current->Name());
    StatusBar1->SetSimpleText(where);
}

// The result is of no interest: the chosen printer serves every later print.
void TForm1::PrinterSetup1Click(TObject* Sender) { PrinterSetupDialog1->Execute(); }
