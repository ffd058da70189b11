// The label sheet window: its controls and every handler but the prints.
#include "labels/Unit4.h"

#include <algorithm>
#include <limits>

#include "designer/SymbologyList.h"
#include "designer/Unit1.h"
#include "engine/Barcode.h"
#include "labels/LabelConst.h"
#include "labels/Unit3.h"
#include "platform/controls/ComCtrls.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/PrinterSetup.h"
#include "platform/controls/Spin.h"
#include "platform/runtime/IniFiles.h"
#include "platform/runtime/SysUtils.h"

using namespace LabelConst;

TfrmLabels* frmLabels = nullptr;

const TBarcode& CurrentSymbolBarcode() {
    if (!Form1 || !Form1->Barcode1) throw EInvalidOperation(SNoMainWindow);
    return *Form1->Barcode1;
}

std::string CurrentSymbolName() {
    if (!Form1 || !Form1->ComboBox1) throw EInvalidOperation(SNoMainWindow);
    return Form1->ComboBox1->Text();
}

namespace {
TLabel* MakeLabel(TWinControl* parent, TForm* owner, const char* name, int32_t left, int32_t top, const char* text) {
    auto* label = CreateNamed<TLabel>(owner, parent, name, left, top, 80, 13);
    label->SetCaption(text);
    return label;
}

TUpDown* UpDownFor(TEdit* edit, TForm* owner, const char* name, int32_t max) {
    auto* upDown = new TUpDown(owner);
    upDown->SetName(name);
    upDown->SetParent(edit->Parent());
    upDown->SetMin(1);
    upDown->SetMax(max);
    upDown->SetThousands(false);
    upDown->SetPosition(1);
    upDown->SetAssociate(edit);
    return upDown;
}

void SetHintText(TControl* control, const char* hint) {
    control->SetHint(hint);
    control->SetShowHint(true);
}

// The maximum length of the counting numbers: by type, then by display
// name, the later rule winning. A type counts with the length of its entry
// in the symbology list; the three Postnet entries share a type and are told
// apart by name, and Bookland counts its whole 12-digit EAN-13 caption.
// Types the list does not offer keep what the field has.
int32_t TypeLength(btCodeTypes type, int32_t current) {
    if (type == Postnet) return current;
    for (const TSymbologyEntry& entry : SymbologyList)
        if (entry.CodeType == type) return entry.MaxLength;
    return current;
}

int32_t CountingMaxLength(btCodeTypes type, const std::string& name, int32_t current) {
    const int32_t index = SymbologyIndexOf(name);
    if (index == BooklandIndex) return TypeLength(EAN_13, current);
    if (index >= 0 && SymbologyList[static_cast<size_t>(index)].CodeType == Postnet)
        return SymbologyList[static_cast<size_t>(index)].MaxLength;
    return TypeLength(type, current);
}
}  // namespace

TfrmLabels::TfrmLabels(TComponent* owner) : TForm(owner) {
    SetName("frmLabels");
    SetCaption(SLabelsCaption);
    SetBorderStyle(bsSingle);
    SetBorderIcons(biSystemMenu | biMinimize);
    SetPosition(poScreenCenter);
    SetVisible(false);
    Font()->SetName("MS Sans Serif");
    Font()->SetHeight(-11);
    SetClientWidth(560);
    SetClientHeight(482);
    BuildControls();
    OnCreate = [this](TObject* s) { FormCreate(s); };
    OnActivate = [this](TObject* s) { FormActivate(s); };
    OnHide = [this](TObject* s) { FormHide(s); };
}

TfrmLabels::~TfrmLabels() {
    if (frmLabels == this) frmLabels = nullptr;
}

void TfrmLabels::BuildControls() {
    auto on = [this](void (TfrmLabels::*handler)(TObject*)) {
        return [this, handler](TObject* s) { (this->*handler)(s); };
    };
    auto onKey = [this](void (TfrmLabels::*handler)(TObject*, char32_t&)) {
        return [this, handler](TObject* s, char32_t& k) { (this->*handler)(s, k); };
    };
    auto edit = [this](TWinControl* parent, const char* name, int32_t left, int32_t top, int32_t width,
                       const char* text) {
        auto* e = CreateNamed<TEdit>(this, parent, name, left, top, width, 21);
        e->SetText(text);
        return e;
    };

    // ---- templates
    GroupBox1 = CreateNamed<TGroupBox>(this, this, "GroupBox1", 8, 8, 268, 82);
    GroupBox1->SetCaption("Label Templates");
    ComboBox3 = CreateNamed<TComboBox>(this, GroupBox1, "ComboBox3", 8, 20, 252, 21);
    ComboBox3->SetSorted(true);
    ComboBox3->OnChange = on(&TfrmLabels::ComboBox3Change);
    ComboBox3->OnClick = on(&TfrmLabels::ComboBox3Change);
    Button3 = CreateNamed<TButton>(this, GroupBox1, "Button3", 8, 48, 120, 25);
    Button3->SetCaption("Create &Template");
    Button3->OnClick = on(&TfrmLabels::Button3Click);
    Button4 = CreateNamed<TButton>(this, GroupBox1, "Button4", 140, 48, 120, 25);
    Button4->SetCaption("&Delete Template");
    Button4->OnClick = on(&TfrmLabels::Button4Click);

    // ---- label properties
    GroupBox2 = CreateNamed<TGroupBox>(this, this, "GroupBox2", 8, 96, 268, 74);
    GroupBox2->SetCaption("Label Properties (millimeters)");
    Label1 = MakeLabel(GroupBox2, this, "Label1", 8, 22, "Label Width:");
    txtWidth = edit(GroupBox2, "txtWidth", 88, 18, 44, "0");
    txtWidth->OnKeyPress = onKey(&TfrmLabels::txtWidthKeyPress);
    Label2 = MakeLabel(GroupBox2, this, "Label2", 140, 22, "Label Height:");
    txtHeight = edit(GroupBox2, "txtHeight", 216, 18, 44, "0");
    txtHeight->OnKeyPress = onKey(&TfrmLabels::txtHeightKeyPress);
    Label3 = MakeLabel(GroupBox2, this, "Label3", 8, 48, "Left Margin:");
    txtLmargin = edit(GroupBox2, "txtLmargin", 88, 44, 44, "0");
    txtLmargin->OnKeyPress = onKey(&TfrmLabels::txtLmarginKeyPress);
    Label4 = MakeLabel(GroupBox2, this, "Label4", 140, 48, "Top Margin:");
    txtTmargin = edit(GroupBox2, "txtTmargin", 216, 44, 44, "0");
    txtTmargin->OnKeyPress = onKey(&TfrmLabels::txtTmarginKeyPress);

    // ---- page properties
    GroupBox3 = CreateNamed<TGroupBox>(this, this, "GroupBox3", 284, 8, 268, 104);
    GroupBox3->SetCaption("Page Properties (millimeters)");
    Label5 = MakeLabel(GroupBox3, this, "Label5", 8, 22, "Rows:");
    txtRows = edit(GroupBox3, "txtRows", 100, 18, 30, "1");
    txtRows->OnKeyPress = onKey(&TfrmLabels::txtRowsKeyPress);
    txtRows->OnChange = on(&TfrmLabels::txtRowsChange);
    UpDown1 = UpDownFor(txtRows, this, "UpDown1", MaxCount);
    Label6 = MakeLabel(GroupBox3, this, "Label6", 144, 22, "Columns:");
    txtCol = edit(GroupBox3, "txtCol", 224, 18, 30, "1");
    txtCol->OnKeyPress = onKey(&TfrmLabels::txtColKeyPress);
    txtCol->OnChange = on(&TfrmLabels::txtColChange);
    UpDown6 = UpDownFor(txtCol, this, "UpDown6", MaxCount);
    Label7 = MakeLabel(GroupBox3, this, "Label7", 8, 48, "Left Margin:");
    txtLeft = edit(GroupBox3, "txtLeft", 100, 44, 36, "0");
    txtLeft->OnKeyPress = onKey(&TfrmLabels::txtLeftKeyPress);
    Label8 = MakeLabel(GroupBox3, this, "Label8", 144, 48, "Top Margin:");
    txtTop = edit(GroupBox3, "txtTop", 224, 44, 36, "0");
    txtTop->OnKeyPress = onKey(&TfrmLabels::txtTopKeyPress);
    Label9 = MakeLabel(GroupBox3, this, "Label9", 8, 74, "Horizontal Pitch:");
    Label9->SetWidth(92);
    hzPitch = edit(GroupBox3, "hzPitch", 100, 70, 36, "0");
    hzPitch->OnKeyPress = onKey(&TfrmLabels::hzPitchKeyPress);
    Label10 = MakeLabel(GroupBox3, this, "Label10", 144, 74, "Vertical Pitch:");
    vrtPitch = edit(GroupBox3, "vrtPitch", 224, 70, 36, "0");
    vrtPitch->OnKeyPress = onKey(&TfrmLabels::vrtPitchKeyPress);

    // ---- copies
    Label16 = MakeLabel(this, this, "Label16", 292, 124, "Number of Copies");
    txtNumberPages = edit(this, "txtNumberPages", 400, 120, 34, "1");
    txtNumberPages->OnKeyPress = onKey(&TfrmLabels::txtNumberPagesKeyPress);
    txtNumberPages->OnChange = on(&TfrmLabels::txtNumberPagesChange);
    UpDown11 = UpDownFor(txtNumberPages, this, "UpDown11", MaxCount);

    // ---- captions
    GroupBox4 = CreateNamed<TGroupBox>(this, this, "GroupBox4", 8, 176, 544, 74);
    GroupBox4->SetCaption("Optional Captions");
    Label11 = MakeLabel(GroupBox4, this, "Label11", 8, 22, "Caption above barcode:");
    Label11->SetWidth(150);
    txtTopCap = edit(GroupBox4, "txtTopCap", 160, 18, 250, "");
    Label12 = MakeLabel(GroupBox4, this, "Label12", 420, 22, "Font Size:");
    ComboBox2 = CreateNamed<TComboBox>(this, GroupBox4, "ComboBox2", 484, 18, 52, 21);
    FillFontSizes(*ComboBox2);
    Label13 = MakeLabel(GroupBox4, this, "Label13", 8, 48, "Caption below barcode:");
    Label13->SetWidth(150);
    txtBottomCap = edit(GroupBox4, "txtBottomCap", 160, 44, 250, "");
    Label15 = MakeLabel(GroupBox4, this, "Label15", 420, 48, "Font Size:");
    ComboBox1 = CreateNamed<TComboBox>(this, GroupBox4, "ComboBox1", 484, 44, 52, 21);
    FillFontSizes(*ComboBox1);

    // ---- tabs
    PageControl1 = CreateNamed<TPageControl>(this, this, "PageControl1", 8, 256, 544, 182);
    PageControl1->OnChange = on(&TfrmLabels::PageControl1Change);
    auto sheet = [this](const char* name, const char* caption) {
        auto* page = new TTabSheet(this);
        page->SetName(name);
        page->SetPageControl(PageControl1);
        page->SetCaption(caption);
        return page;
    };

    TabSheet1 = sheet("TabSheet1", "Print Single or Full Sheets");
    RadioGroup1 = CreateNamed<TRadioGroup>(this, TabSheet1, "RadioGroup1", 8, 8, 200, 64);
    RadioGroup1->SetCaption("Print");
    RadioGroup1->Items()->Add("Full page of the same label");
    RadioGroup1->Items()->Add("Single label");
    RadioGroup1->SetItemIndex(0);
    RadioGroup1->OnClick = on(&TfrmLabels::RadioGroup1Click);
    lblPcol = MakeLabel(TabSheet1, this, "lblPcol", 16, 88, "Column:");
    lblPcol->SetWidth(44);
    txtPcol = edit(TabSheet1, "txtPcol", 62, 84, 30, "1");
    UpDown3 = UpDownFor(txtPcol, this, "UpDown3", 100);
    lblProw = MakeLabel(TabSheet1, this, "lblProw", 120, 88, "Row:");
    lblProw->SetWidth(30);
    txtProw = edit(TabSheet1, "txtProw", 152, 84, 30, "1");
    UpDown2 = UpDownFor(txtProw, this, "UpDown2", 100);
    GroupBox5 = CreateNamed<TGroupBox>(this, TabSheet1, "GroupBox5", 220, 8, 310, 88);
    GroupBox5->SetCaption("Print Range");
    lblStart = MakeLabel(GroupBox5, this, "lblStart", 8, 26, "Start Printing on label number:");
    lblStart->SetWidth(180);
    SetHintText(lblStart, SRangeHint);
    SpinEdit1 = CreateNamed<TSpinEdit>(this, GroupBox5, "SpinEdit1", 196, 22, 64, 21);
    SpinEdit1->SetValue(1);
    SetHintText(SpinEdit1, "First label to print");
    SpinEdit1->OnChange = on(&TfrmLabels::SpinEdit1Change);
    lblStop = MakeLabel(GroupBox5, this, "lblStop", 8, 56, "Stop Printing on label number:");
    lblStop->SetWidth(180);
    SetHintText(lblStop, SRangeHint);
    SpinEdit2 = CreateNamed<TSpinEdit>(this, GroupBox5, "SpinEdit2", 196, 52, 64, 21);
    SpinEdit2->SetValue(1);
    SetHintText(SpinEdit2, "Last label to print");
    SpinEdit2->OnChange = on(&TfrmLabels::SpinEdit2Change);

    TabSheet2 = sheet("TabSheet2", "Increment Label Printing");
    PrefixBox = CreateNamed<TCheckBox>(this, TabSheet2, "PrefixBox", 8, 8, 100, 17);
    PrefixBox->SetCaption("Add Prefix");
    PrefixBox->OnClick = on(&TfrmLabels::PrefixBoxClick);
    lblPrefix = MakeLabel(TabSheet2, this, "lblPrefix", 16, 34, "Prefix:");
    lblPrefix->SetWidth(40);
    Prefix = edit(TabSheet2, "Prefix", 58, 30, 140, "");
    SuffixBox = CreateNamed<TCheckBox>(this, TabSheet2, "SuffixBox", 8, 64, 100, 17);
    SuffixBox->SetCaption("Add Suffix");
    SuffixBox->OnClick = on(&TfrmLabels::SuffixBoxClick);
    lblSuffix = MakeLabel(TabSheet2, this, "lblSuffix", 16, 90, "Suffix:");
    lblSuffix->SetWidth(40);
    Suffix = edit(TabSheet2, "Suffix", 58, 86, 140, "");
    SetPrefixEnabled(false);
    SetSuffixEnabled(false);
    Label17 = MakeLabel(TabSheet2, this, "Label17", 216, 12, "Increment Number Start:");
    Label17->SetWidth(150);
    seqBegininput = edit(TabSheet2, "seqBegininput", 370, 8, 160, "0");
    seqBegininput->OnChange = on(&TfrmLabels::seqBegininputChange);
    Label18 = MakeLabel(TabSheet2, this, "Label18", 216, 40, "Increment Number End:");
    Label18->SetWidth(150);
    seqEnd = edit(TabSheet2, "seqEnd", 370, 36, 160, "0");
    seqBegin = edit(TabSheet2, "seqBegin", 370, 64, 160, "0");
    seqBegin->SetVisible(false);
    BarcodeType = MakeLabel(TabSheet2, this, "BarcodeType", 216, 96, SBarcodeType);
    BarcodeType->SetWidth(300);

    TabSheet3 = sheet("TabSheet3", "Print From Data File");
    BuildDataTable(TabSheet3);
    Button6 = CreateNamed<TButton>(this, TabSheet3, "Button6", 440, 8, 88, 25);
    Button6->SetCaption("&Load File");
    Button6->OnClick = on(&TfrmLabels::Button6Click);
    Button7 = CreateNamed<TButton>(this, TabSheet3, "Button7", 440, 40, 88, 25);
    Button7->SetCaption("&Save File");
    Button7->OnClick = on(&TfrmLabels::Button7Click);
    Button8 = CreateNamed<TButton>(this, TabSheet3, "Button8", 440, 72, 88, 25);
    Button8->SetCaption("&Edit");
    Button8->OnClick = on(&TfrmLabels::Button8Click);
    Label19 = MakeLabel(TabSheet3, this, "Label19", 8, 124, "Start printing on Row#:");
    Label19->SetWidth(130);
    spinStart = CreateNamed<TSpinEdit>(this, TabSheet3, "spinStart", 140, 120, 56, 21);
    spinStart->SetValue(1);
    SetHintText(spinStart, "Label number to start on");
    Label20 = MakeLabel(TabSheet3, this, "Label20", 240, 124, "Start printing on Column#:");
    Label20->SetWidth(156);
    SpinCol = CreateNamed<TSpinEdit>(this, TabSheet3, "SpinCol", 400, 120, 56, 21);
    SpinCol->SetValue(1);
    PageControl1->SetActivePageIndex(0);

    // ---- bottom row
    Label14 = MakeLabel(this, this, "Label14", 8, 452, SPrinting);
    Label14->Font()->SetStyle(fsBold);
    Label14->SetVisible(false);
    ProgressBar1 = CreateNamed<TProgressBar>(this, this, "ProgressBar1", 84, 450, 124, 16);
    ProgressBar1->SetMin(0);
    ProgressBar1->SetMax(100);
    ProgressBar1->SetStep(1);
    ProgressBar1->SetVisible(false);
    btnCancelPrint = CreateNamed<TButton>(this, this, "btnCancelPrint", 214, 446, 74, 25);
    btnCancelPrint->SetCaption(SCancel);
    btnCancelPrint->SetCancel(true);
    btnCancelPrint->SetVisible(false);
    btnCancelPrint->OnClick = on(&TfrmLabels::btnCancelPrintClick);
    btnExit = CreateNamed<TButton>(this, this, "btnExit", 296, 446, 80, 25);
    btnExit->SetCaption("&Close");
    btnExit->OnClick = on(&TfrmLabels::btnExitClick);
    Button2 = CreateNamed<TButton>(this, this, "Button2", 384, 446, 80, 25);
    Button2->SetCaption("Printer &Setup");
    Button2->OnClick = on(&TfrmLabels::Button2Click);
    Button1 = CreateNamed<TButton>(this, this, "Button1", 472, 446, 80, 25);
    Button1->SetCaption("&Print Labels");
    Button1->SetDefault(true);
    Button1->OnClick = on(&TfrmLabels::Button1Click);

    auto hidden = [this](const char* name, TNotifyEvent click) {
        auto* button = CreateNamed<TButton>(this, this, name, 0, 0, 75, 25);
        button->SetVisible(false);
        button->OnClick = std::move(click);
        return button;
    };
    btnDoPrint = hidden("btnDoPrint", on(&TfrmLabels::btnDoPrintClick));
    btnPrint1 = hidden("btnPrint1", on(&TfrmLabels::btnPrint1Click));
    btnPrintSeq = hidden("btnPrintSeq", on(&TfrmLabels::btnPrintSeqClick));
    Button5 = hidden("Button5", on(&TfrmLabels::Button5Click));

    PrinterSetupDialog1 = new TPrinterSetupDialog(this);
    PrinterSetupDialog1->SetName("PrinterSetupDialog1");
    OpenDialog1 = new TOpenDialog(this);
    OpenDialog1->SetName("OpenDialog1");
    SaveDialog1 = new TSaveDialog(this);
    SaveDialog1->SetName("SaveDialog1");

    RadioGroup1Click(this);
}

std::array<TControl*, TemplateKeyCount> TfrmLabels::TemplateFields() const {
    return {txtWidth, txtHeight, txtLmargin, txtTmargin, txtRows,      txtCol,    txtLeft,
            txtTop,   hzPitch,   vrtPitch,   txtTopCap,  txtBottomCap, ComboBox2, ComboBox1};
}

// ---------------------------------------------------------------- handlers

void TfrmLabels::FormCreate(TObject* Sender) { ShowSymbolName(); }

void TfrmLabels::ShowSymbolName() { BarcodeType->SetCaption(SBarcodeType + CurrentSymbolName()); }

void TfrmLabels::FormActivate(TObject* Sender) {
    // Coming back to the window during a print must not reload its fields.
    if (FPrinting) return;
    ComboBox1->Clear();
    ComboBox2->Clear();
    LoadTemplateList(*ComboBox3->Items());
    ComboBox3->SetItemIndex(0);
    FillFontSizes(*ComboBox1);
    FillFontSizes(*ComboBox2);
    ComboBox3Change(ComboBox3);
    RadioGroup1Click(RadioGroup1);
    Prefix->SetText("");
    PrefixBox->SetChecked(false);

    const TBarcode& symbol = CurrentSymbolBarcode();
    const std::string caption = symbol.Bar_Caption();
    std::string number = caption;
    const btCodeTypes type = symbol.Bar_CodeType();
    if (caption.size() > 9 && (type == UPC_A || type == EAN_13)) {
        Prefix->SetText(caption.substr(0, 6));
        PrefixBox->SetChecked(true);
        number = caption.substr(6);
    }
    if (caption.empty()) number = "0";
    seqBegininput->SetText(number);
    seqEnd->SetText(number);

    ShowSymbolName();
    const int32_t length = CountingMaxLength(type, CurrentSymbolName(), seqBegininput->MaxLength());
    seqBegininput->SetMaxLength(length);
    seqEnd->SetMaxLength(length);
}

void TfrmLabels::PageControl1Change(TObject* Sender) { ShowSymbolName(); }

void TfrmLabels::ComboBox3Change(TObject* Sender) {
    if (FPrinting) return;
    TLabelTemplate values;
    {
        TIniFile ini(LabelTemplateFilePath());
        values = ReadLabelTemplate(ini, ComboBox3->Text());
    }
    const auto fields = TemplateFields();
    for (size_t i = 0; i < TemplateKeyCount; ++i) fields[i]->SetText(values.*TemplateKeys[i].Field);
    SpinEdit1->SetValue(1);
    const int64_t labels = int64_t{StrToInt(txtRows->Text())} * StrToInt(txtCol->Text());
    // The stop box's clamp takes it to 1..999; beyond 32 bits it is 999 anyway.
    SpinEdit2->SetValue(static_cast<int32_t>(std::clamp<int64_t>(labels, 0, 1000)));
}

void TfrmLabels::Button3Click(TObject* Sender) {
    if (frmLabelsProps) frmLabelsProps->Show();
}

void TfrmLabels::Button4Click(TObject* Sender) {
    if (FPrinting) return;
    if (MessageDlg(SConfirmDelete, mtCustom, mbYes | mbNo) != mrYes) return;
    {
        TIniFile ini(LabelTemplateFilePath());
        DeleteLabelTemplate(ini, ComboBox3->Text());
    }
    Close();
    Show();
    // Showing activates the window when the platform does so at once;
    // otherwise the activation is run here, so that the list is reread now.
    if (!Active()) WindowActivated(true);
    ShowMessage(STemplateRemoved);
}

void TfrmLabels::Button2Click(TObject* Sender) {
    if (FPrinting) return;
    PrinterSetupDialog1->Execute();
}

void TfrmLabels::btnExitClick(TObject* Sender) { Hide(); }

// Closing the window, by its button or its frame, stops a running print.
void TfrmLabels::FormHide(TObject* Sender) {
    if (FPrinting) FCancelRequested = true;
}

void TfrmLabels::btnCancelPrintClick(TObject* Sender) { FCancelRequested = true; }

void TfrmLabels::Button1Click(TObject* Sender) {
    if (FPrinting) return;
    switch (PageControl1->ActivePageIndex()) {
        case 0:
            if (RadioGroup1->ItemIndex() == 1)
                btnPrint1->Click();
            else
                btnDoPrint->Click();
            break;
        case 1: btnPrintSeq->Click(); break;
        case 2: Button5->Click(); break;
        default: break;
    }
}

void TfrmLabels::RadioGroup1Click(TObject* Sender) {
    const bool single = RadioGroup1->ItemIndex() == 1;
    for (TControl* control : std::initializer_list<TControl*>{txtPcol, txtProw, lblPcol, lblProw, UpDown3, UpDown2})
        control->SetEnabled(single);
    for (TControl* control : std::initializer_list<TControl*>{SpinEdit1, SpinEdit2, lblStart, lblStop})
        control->SetEnabled(!single);
}

void TfrmLabels::ClampRangeBox(TSpinEdit& box) {
    const int32_t value = box.Value();
    if (value <= 0)
        box.SetValue(1);
    else if (value >= 1000)
        box.SetValue(999);
}

void TfrmLabels::SpinEdit1Change(TObject* Sender) { ClampRangeBox(*SpinEdit1); }
void TfrmLabels::SpinEdit2Change(TObject* Sender) { ClampRangeBox(*SpinEdit2); }

void TfrmLabels::SetPrefixEnabled(bool enabled) {
    lblPrefix->SetEnabled(enabled);
    Prefix->SetEnabled(enabled);
    if (!enabled) Prefix->SetText("");
}

void TfrmLabels::SetSuffixEnabled(bool enabled) {
    lblSuffix->SetEnabled(enabled);
    Suffix->SetEnabled(enabled);
    if (!enabled) Suffix->SetText("");
}

void TfrmLabels::PrefixBoxClick(TObject* Sender) { SetPrefixEnabled(PrefixBox->Checked()); }
void TfrmLabels::SuffixBoxClick(TObject* Sender) { SetSuffixEnabled(SuffixBox->Checked()); }

void TfrmLabels::seqBegininputChange(TObject* Sender) { seqBegin->SetText(seqBegininput->Text()); }

void TfrmLabels::txtRowsChange(TObject* Sender) { HoldToCountRange(*txtRows); }
void TfrmLabels::txtColChange(TObject* Sender) { HoldToCountRange(*txtCol); }
void TfrmLabels::txtNumberPagesChange(TObject* Sender) { HoldToCountRange(*txtNumberPages); }

void TfrmLabels::txtWidthKeyPress(TObject* Sender, char32_t& Key) { DecimalKeyFilter(Key); }
void TfrmLabels::txtHeightKeyPress(TObject* Sender, char32_t& Key) { DecimalKeyFilter(Key); }
void TfrmLabels::txtLmarginKeyPress(TObject* Sender, char32_t& Key) { DecimalKeyFilter(Key); }
void TfrmLabels::txtTmarginKeyPress(TObject* Sender, char32_t& Key) { DecimalKeyFilter(Key); }
void TfrmLabels::txtLeftKeyPress(TObject* Sender, char32_t& Key) { DecimalKeyFilter(Key); }
void TfrmLabels::txtTopKeyPress(TObject* Sender, char32_t& Key) { DecimalKeyFilter(Key); }
void TfrmLabels::hzPitchKeyPress(TObject* Sender, char32_t& Key) { DecimalKeyFilter(Key); }
void TfrmLabels::vrtPitchKeyPress(TObject* Sender, char32_t& Key) { DecimalKeyFilter(Key); }
void TfrmLabels::txtRowsKeyPress(TObject* Sender, char32_t& Key) { DigitKeyFilter(Key); }
void TfrmLabels::txtColKeyPress(TObject* Sender, char32_t& Key) { DigitKeyFilter(Key); }
void TfrmLabels::txtNumberPagesKeyPress(TObject* Sender, char32_t& Key) { DigitKeyFilter(Key); }

// ---------------------------------------------------------------- fields for the prints

TSheetGeometry TfrmLabels::ReadSheetGeometry() const {
    auto mm = [](const TEdit* field) { return TMillimetres(StrToFloat(field->Text())); };
    TSheetGeometry sheet;
    sheet.LabelLeft = mm(txtLmargin);
    sheet.LabelTop = mm(txtTmargin);
    sheet.Columns = StrToInt(txtCol->Text());
    sheet.Rows = StrToInt(txtRows->Text());
    sheet.PageLeft = mm(txtLeft);
    sheet.PageTop = mm(txtTop);
    sheet.LabelWidth = mm(txtWidth);
    sheet.HorzPitch = mm(hzPitch);
    sheet.LabelHeight = mm(txtHeight);
    sheet.VertPitch = mm(vrtPitch);
    return sheet;
}

TPrintRange TfrmLabels::ReadPrintRange() const {
    return {SpinEdit1->Value(), SpinEdit1->Enabled(), SpinEdit2->Value(), SpinEdit2->Enabled()};
}
