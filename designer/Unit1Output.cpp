// The main window's output commands: save as image and copy to the clipboard.
#include "designer/BarcodeImage.h"
#include "designer/Unit1.h"
#include "designer/Unit5.h"
#include "platform/runtime/SysUtils.h"

namespace {
TImageCaptionSet StoredCaptions() {
    const TImageCaptions stored = ReadImageCaptions();
    return {stored.Top, stored.Bottom, CaptionFontSize(stored.FontSize)};
}
}  // namespace

void TForm1::SaveBarcode1Click(TObject* Sender) {
    if (!SaveDialog1->Execute()) return;
    const std::string path = SaveDialog1->FileName();
    SaveBarcodeImage(*Barcode1, StrToInt(lblsaveRatio->Caption()), StoredCaptions(), path,
                     ImageFormatFor(SaveDialog1->FilterIndex(), path));
}

void TForm1::Copy1Click(TObject* Sender) {}

void TForm1::VarsonaHomePage1Click(TObject* Sender) {}
