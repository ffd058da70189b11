// Printing one barcode, and the home page.
#include "designer/Unit1.h"

void TForm1::Print1Click(TObject* Sender) {}
void TForm1::PrintBarcode() {}
void TForm1::PrinterSetup1Click(TObject* Sender) {}
void TForm1::VarsonaHomePage1Click(TObject* Sender) {}
