// The main window's output commands: save as image and copy to the clipboard.
#include "designer/BarcodeImage.h"
#include "designer/DesignerConst.h"
#include "platform/controls/Clipbrd.h"
#include "platform/controls/ShellApi.h"
#include "platform/graphics/Metafile.h"
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

// The picture Save as Image would write: at the Save Size, with the captions.
void TForm1::Copy1Click(TObject* Sender) {
    const int32_t multiplier = StrToInt(lblsaveRatio->Caption());
    const TImageCaptionSet captions = StoredCaptions();
    auto bitmap = BarcodeBitmap(*Barcode1, multiplier, captions);
    if (!Metafile2->Checked()) {
        Clipboard()->Assign(bitmap.get());
        return;
    }
    auto metafile = BarcodeMetafile(*Barcode1, multiplier, captions, true);
    TStringStream emf;
    metafile->SaveToStream(emf);
    Clipboard()->SetMetafileBytes(emf.DataString(), bitmap.get());
}

void TForm1::VarsonaHomePage1Click(TObject* Sender) {
    ShellExecute(nullptr, "open", DesignerConst::SHomePage, "", "", SW_SHOWNORMAL);
}
