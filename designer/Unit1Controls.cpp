// The main window's controls with the values its form declares.
#include "designer/Pictures.h"
#include "designer/Unit1.h"
#include "designer/DesignerConst.h"

#include "platform/controls/ComCtrls.h"
#include "platform/controls/PrinterSetup.h"

namespace {
TLabel* HiddenLabel(TForm1* form, const char* name, const char* caption) {
    auto* label = CreateNamed<TLabel>(form, form, name);
    label->SetVisible(false);
    label->SetCaption(caption);
    return label;
}

TButton* HiddenButton(TForm1* form, const char* name, TNotifyEvent click) {
    auto* button = CreateNamed<TButton>(form, form, name);
    button->SetVisible(false);
    button->OnClick = std::move(click);
    return button;
}
}  // namespace

void TForm1::BuildControls() {
    ImageList1 = new TImageList(this, 16, 16);
    ImageList1->SetName("ImageList1");
    FillToolImages(*ImageList1);

    // Created in this order so that the aligned ones stack as the form shows
    // them: tool bars at the top, status bar at the bottom, scroll box between.
    ToolBar1 = CreateNamed<TToolBar>(this, this, "ToolBar1");
    ToolBar1->SetAlign(alTop);
    ToolBar1->SetAutoSize(true);
    ToolBar1->SetEdgeOuter(esRaised);
    ToolBar1->SetImages(ImageList1);
    ToolBar1->SetWrapable(false);
    ToolBar1->SetShowHint(true);
    auto separator = [this](const char* name) {
        auto* b = CreateNamed<TToolButton>(this, ToolBar1, name);
        b->SetStyle(tbsSeparator);
        b->SetWidth(8);
        return b;
    };
    auto button = [this](const char* name, int32_t image, const char* hint, void (TForm1::*click)(TObject*)) {
        auto* b = CreateNamed<TToolButton>(this, ToolBar1, name);
        b->SetImageIndex(image);
        b->SetHint(hint);
        b->SetShowHint(true);
        b->OnClick = [this, click](TObject* s) { (this->*click)(s); };
        return b;
    };
    ToolButton1 = separator("ToolButton1");
    ToolButton2 = button("ToolButton2", 2, "Save barcode to file", &TForm1::SaveBarcode1Click);
    ToolButton3 = button("ToolButton3", 5, "Copy", &TForm1::Copy1Click);
    ToolButton7 = separator("ToolButton7");
    ToolButton5 = button("ToolButton5", 7, "Rotate barcode 90 degrees", &TForm1::ToolButton5Click);
    ToolButton8 = separator("ToolButton8");
    ToolButton6 = button("ToolButton6", 16, "Varsona Help", &TForm1::ToolButton6Click);
    ToolButton9 = separator("ToolButton9");
    // The two combos sit behind the buttons; the last separator keeps their
    // gap.
    ToolButton4 = separator("ToolButton4");
    ToolButton4->SetWidth(2);
    const int32_t comboLeft = ToolButton4->Left() + ToolButton4->Width();

    ToolBar2 = CreateNamed<TToolBar>(this, this, "ToolBar2");
    ToolBar2->SetAlign(alTop);
    ToolBar2->SetButtonHeight(23);
    ToolBar2->SetHeight(27);
    ToolBar2->SetShowHint(true);

    StatusBar1 = CreateNamed<TStatusBar>(this, this, "StatusBar1");
    StatusBar1->SetAlign(alBottom);
    StatusBar1->SetSimplePanel(true);

    ScrollBox1 = CreateNamed<TScrollBox>(this, this, "ScrollBox1");
    ScrollBox1->SetAlign(alClient);
    ScrollBox1->SetColor(clWhite);

    TWinControl* bar1 = ToolBar1;
    TWinControl* bar2 = ToolBar2;
    TWinControl* client = ScrollBox1;

    ComboBox2 = CreateNamed<TComboBox>(this, bar1, "ComboBox2");
    ComboBox2->SetBounds(comboLeft, 1, 133, 21);
    ComboBox2->SetHint("List of available fonts");
    ComboBox2->SetShowHint(true);
    ComboBox2->SetParentFont(false);
    ComboBox2->Font()->SetName("Arial");
    ComboBox2->Font()->SetHeight(-11);
    ComboBox2->SetTabStop(false);
    ComboBox2->OnChange = [this](TObject* s) { ComboBox2Change(s); };
    ComboBox2->OnClick = [this](TObject* s) { ComboBox2Change(s); };

    ComboBox1 = CreateNamed<TComboBox>(this, bar1, "ComboBox1");
    ComboBox1->SetBounds(comboLeft + 137, 1, 128, 21);
    ComboBox1->SetHint("Select a barcode type");
    ComboBox1->SetShowHint(true);
    ComboBox1->SetText("Barcode Types");
    ComboBox1->SetTabStop(false);
    ComboBox1->OnChange = [this](TObject* s) { ComboBox1Change(s); };

    Edit1 = CreateNamed<TEdit>(this, bar2, "Edit1");
    Edit1->SetBounds(2, 2, 305, 22);
    Edit1->SetHint("Enter Barcode Symbology");
    Edit1->SetShowHint(true);
    Edit1->SetMaxLength(50);
    Edit1->SetParentFont(false);
    Edit1->Font()->SetName("Arial");
    Edit1->Font()->SetHeight(-12);
    Edit1->SetText("01234567890");
    Edit1->OnChange = [this](TObject* s) { Edit1Change(s); };
    Edit1->OnKeyDown = [this](TObject* s, Word& key, TShiftState shift) { Edit1KeyDown(s, key, shift); };
    Edit1->OnKeyUp = [this](TObject* s, Word& key, TShiftState shift) { Edit1KeyUp(s, key, shift); };

    Edit2 = CreateNamed<TEdit>(this, bar2, "Edit2");
    Edit2->SetBounds(311, 2, 55, 22);
    Edit2->SetHint("2 or 5 digit Addon");
    Edit2->SetShowHint(true);
    Edit2->SetMaxLength(5);
    Edit2->OnChange = [this](TObject* s) { Edit2Change(s); };

    Barcode1 = new TBarcode(this);
    Barcode1->SetName("Barcode1");
    Barcode1->SetParent(client);
    Barcode1->SetBounds(35, 32, 69, 66);
    Barcode1->SetBar_Caption("4711");
    Barcode1->SetBar_CodeType(UPC_A);
    Barcode1->SetBar_Fontname("Arial");
    Barcode1->SetBar_ModuleWidth(SC2);
    Barcode1->SetBar_HighDensity(false);
    Barcode1->SetBar_WidthReduce(false);
    Barcode1->SetBar_ZoomSize(false);

    lblType = HiddenLabel(this, "lblType", "lblType");
    lblsaveRatio = HiddenLabel(this, "lblsaveRatio", "1");
    lblBarHeight = HiddenLabel(this, "lblBarHeight", "lblBarHeight");
    lblFontScale = HiddenLabel(this, "lblFontScale", "lblFontScale");
    Button4 = HiddenButton(this, "Button4", [this](TObject* s) { Button4Click(s); });
    btnLoadIni = HiddenButton(this, "btnLoadIni", [this](TObject* s) { btnLoadIniClick(s); });
    btnWriteIni = HiddenButton(this, "btnWriteIni", [this](TObject* s) { btnWriteIniClick(s); });
    Button6 = HiddenButton(this, "Button6", [this](TObject* s) { Button6Click(s); });
    btnBarHeight = HiddenButton(this, "btnBarHeight", [this](TObject* s) { btnBarHeightClick(s); });
    btnFontScale = HiddenButton(this, "btnFontScale", [this](TObject* s) { btnFontScaleClick(s); });

    SaveDialog1 = new TSaveDialog(this);
    SaveDialog1->SetName("SaveDialog1");
    SaveDialog1->SetDefaultExt("bmp");
    SaveDialog1->SetFilter(DesignerConst::SImageFilter);
    SaveDialog1->SetTitle(DesignerConst::SImageTitle);
    // Replacing a picture is asked first, about the name the extension completes.
    SaveDialog1->SetOptions(ofOverwritePrompt | ofHideReadOnly);

    SaveDialog2 = new TSaveDialog(this);
    SaveDialog2->SetName("SaveDialog2");
    SaveDialog2->SetDefaultExt("vrs");
    SaveDialog2->SetFileName("barcode");
    SaveDialog2->SetFilter(DesignerConst::SConfigFilter);
    SaveDialog2->SetOptions(ofOverwritePrompt | ofHideReadOnly);
    SaveDialog2->SetTitle(DesignerConst::SConfigSaveTitle);

    OpenDialog1 = new TOpenDialog(this);
    OpenDialog1->SetName("OpenDialog1");
    OpenDialog1->SetDefaultExt("vrs");
    OpenDialog1->SetFilter(DesignerConst::SConfigFilter);
    OpenDialog1->SetTitle(DesignerConst::SConfigOpenTitle);

    PrinterSetupDialog1 = new TPrinterSetupDialog(this);
    PrinterSetupDialog1->SetName("PrinterSetupDialog1");
}
