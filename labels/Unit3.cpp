#include "labels/Unit3.h"

#include <algorithm>

#include "labels/LabelConst.h"
#include "platform/controls/Dialogs.h"
#include "platform/runtime/IniFiles.h"
#include "platform/runtime/SysUtils.h"

using namespace LabelConst;

TfrmLabelsProps* frmLabelsProps = nullptr;

namespace {
constexpr char32_t kBackspace = 8;

TLabel* MakeLabel(TWinControl* parent, TForm* owner, const char* name, int32_t left, int32_t top, const char* text) {
    auto* label = CreateNamed<TLabel>(owner, parent, name, left, top, 120, 13);
    label->SetCaption(text);
    return label;
}

void SetHintText(TControl* control, const char* hint) {
    control->SetHint(hint);
    control->SetShowHint(true);
}
}  // namespace

void DecimalKeyFilter(char32_t& Key) {
    if ((Key >= U'0' && Key <= U'9') || Key == U'.' || Key == U',' || Key == kBackspace) return;
    Key = 0;
}

void DigitKeyFilter(char32_t& Key) {
    if ((Key >= U'0' && Key <= U'9') || Key == kBackspace) return;
    Key = 0;
}

void FillFontSizes(TComboBox& combo) {
    for (const char* size : FontSizes) combo.Items()->Add(size);
    combo.SetItemIndex(0);
}

void HoldToCountRange(TEdit& field) {
    const std::string text = field.Text();
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return;
    const size_t digits = text.size() - std::min(text.find_first_not_of('0'), text.size());
    if (digits > 3 || StrToInt(text) > MaxCount) field.SetText(IntToStr(MaxCount));
}

namespace {
// A section name must read back as written: no brackets, no control
// characters (a line break would plant lines of its own).
bool ValidTemplateName(const std::string& name) {
    for (unsigned char c : name)
        if (c == '[' || c == ']' || c < 0x20 || c == 0x7F) return false;
    return true;
}
}  // namespace

TfrmLabelsProps::TfrmLabelsProps(TComponent* owner) : TForm(owner) {
    SetName("frmLabelsProps");
    SetCaption(SPropsCaption);
    SetBorderStyle(bsSingle);
    SetBorderIcons(biSystemMenu | biMinimize);
    SetPosition(poScreenCenter);
    SetVisible(false);
    Font()->SetName("MS Sans Serif");
    Font()->SetHeight(-11);
    SetClientWidth(440);
    SetClientHeight(400);

    auto measure = [this](TWinControl* group, TLabel*& label, const char* labelName, const char* editName, int32_t top,
                          const char* text, const char* hint, int32_t editLeft) {
        label = MakeLabel(group, this, labelName, 8, top + 4, text);
        auto* edit = CreateNamed<TEdit>(this, group, editName, editLeft, top, 66, 21);
        SetHintText(edit, hint);
        return edit;
    };
    auto decimal = [this](TObject* s, char32_t& k) { txtLabelWidthKeyPress(s, k); };

    GroupBox1 = CreateNamed<TGroupBox>(this, this, "GroupBox1", 8, 8, 208, 124);
    GroupBox1->SetCaption("Label Properties:");
    txtLabelWidth =
        measure(GroupBox1, Label1, "Label1", "txtLabelWidth", 20, "Label Width: mm", "The actual label width", 134);
    txtHeight =
        measure(GroupBox1, Label2, "Label2", "txtHeight", 46, "Label Height: mm", "The actual label height", 134);
    txtLMargin = measure(GroupBox1, Label3, "Label3", "txtLMargin", 72, "Left Margin: mm",
                         "How far in from the left label edge do you want the printing to start", 134);
    txtTMargin = measure(GroupBox1, Label4, "Label4", "txtTMargin", 98, "Top Margin: mm",
                         "How far in from the top label edge do you want the printing to start", 134);

    GroupBox2 = CreateNamed<TGroupBox>(this, this, "GroupBox2", 224, 8, 208, 176);
    GroupBox2->SetCaption("Page Properties:");
    txtRows = measure(GroupBox2, Label5, "Label5", "txtRows", 20, "Rows Down",
                      "How many many rows down are on the page", 134);
    txtCol = measure(GroupBox2, Label6, "Label6", "txtCol", 46, "Columns Across",
                     "How many columns accross on the page", 134);
    txtLeft = measure(GroupBox2, Label7, "Label7", "txtLeft", 72, "Left Margin: mm",
                      "Width between the left edge of the label page and the first label", 134);
    txtTop = measure(GroupBox2, Label8, "Label8", "txtTop", 98, "Top Margin: mm",
                     "Width between the top edge of the label page and the first label", 134);
    txtGutterh =
        measure(GroupBox2, Label9, "Label9", "txtGutterh", 124, "Horizontal Pitch: mm", "Horizontal Pitch", 134);
    txtGutterv = measure(GroupBox2, Label10, "Label10", "txtGutterv", 150, "Vertical Pitch: mm", "Vertical Pitch", 134);
    for (TEdit* edit : {txtLabelWidth, txtHeight, txtLMargin, txtTMargin, txtLeft, txtTop, txtGutterh, txtGutterv})
        edit->OnKeyPress = decimal;
    txtRows->OnKeyPress = [this](TObject* s, char32_t& k) { txtRowsKeyPress(s, k); };
    txtCol->OnKeyPress = [this](TObject* s, char32_t& k) { txtColKeyPress(s, k); };
    txtRows->OnChange = [this](TObject*) { HoldToCountRange(*txtRows); };
    txtCol->OnChange = [this](TObject*) { HoldToCountRange(*txtCol); };

    GroupBox3 = CreateNamed<TGroupBox>(this, this, "GroupBox3", 8, 190, 424, 110);
    GroupBox3->SetCaption("Optional Captions:");
    Label11 = MakeLabel(GroupBox3, this, "Label11", 8, 20, "Caption above barcode:");
    txtTopCap = CreateNamed<TEdit>(this, GroupBox3, "txtTopCap", 8, 36, 300, 21);
    SetHintText(txtTopCap, "Prints text above the printed barcode");
    Label12 = MakeLabel(GroupBox3, this, "Label12", 316, 20, "Font Size:");
    ComboBox1 = CreateNamed<TComboBox>(this, GroupBox3, "ComboBox1", 316, 36, 96, 21);
    SetHintText(ComboBox1, "Font size for caption above barcode");
    Label13 = MakeLabel(GroupBox3, this, "Label13", 8, 62, "Caption below barcode:");
    txtBottomCap = CreateNamed<TEdit>(this, GroupBox3, "txtBottomCap", 8, 78, 300, 21);
    SetHintText(txtBottomCap, "Prints text below the printed barcode");
    Label14 = MakeLabel(GroupBox3, this, "Label14", 316, 62, "Font Size:");
    ComboBox2 = CreateNamed<TComboBox>(this, GroupBox3, "ComboBox2", 316, 78, 96, 21);
    SetHintText(ComboBox2, "Font size for caption below barcode");

    Label15 = MakeLabel(this, this, "Label15", 8, 312, "Edit Existing Template:");
    ComboBox3 = CreateNamed<TComboBox>(this, this, "ComboBox3", 8, 328, 208, 21);
    ComboBox3->SetSorted(true);
    ComboBox3->OnChange = [this](TObject* s) { ComboBox3Change(s); };
    Label16 = MakeLabel(this, this, "Label16", 224, 312, "Name For Label Template:");
    txtName = CreateNamed<TEdit>(this, this, "txtName", 224, 328, 208, 21);
    SetHintText(txtName, "Name for your barcode template");

    Button1 = CreateNamed<TButton>(this, this, "Button1", 224, 364, 100, 25);
    Button1->SetCaption("Create &Template");
    Button1->OnClick = [this](TObject* s) { Button1Click(s); };
    Button2 = CreateNamed<TButton>(this, this, "Button2", 332, 364, 100, 25);
    Button2->SetCaption("&Close");
    Button2->SetDefault(true);
    Button2->OnClick = [this](TObject* s) { Button2Click(s); };

    OnActivate = [this](TObject* s) { FormActivate(s); };
}

TfrmLabelsProps::~TfrmLabelsProps() {
    if (frmLabelsProps == this) frmLabelsProps = nullptr;
}

std::array<TControl*, TemplateKeyCount> TfrmLabelsProps::TemplateFields() const {
    return {txtLabelWidth, txtHeight,  txtLMargin, txtTMargin, txtRows,      txtCol,    txtLeft,
            txtTop,        txtGutterh, txtGutterv, txtTopCap,  txtBottomCap, ComboBox1, ComboBox2};
}

void TfrmLabelsProps::FormActivate(TObject* Sender) {
    // The sizes shown stay (the first activation shows "6"): a template saved
    // again keeps its own sizes.
    const std::string topSize = ComboBox1->Text(), bottomSize = ComboBox2->Text();
    ComboBox1->Clear();
    ComboBox2->Clear();
    LoadTemplateList(*ComboBox3->Items());
    ComboBox3->SetText(SSelectTemplate);
    FillFontSizes(*ComboBox1);
    FillFontSizes(*ComboBox2);
    if (!topSize.empty()) ComboBox1->SetText(topSize);
    if (!bottomSize.empty()) ComboBox2->SetText(bottomSize);
}

void TfrmLabelsProps::ComboBox3Change(TObject* Sender) {
    const std::string name = ComboBox3->Text();
    TLabelTemplate values;
    {
        TIniFile ini(LabelTemplateFilePath());
        values = ReadLabelTemplate(ini, name);
    }
    const auto fields = TemplateFields();
    for (size_t i = 0; i < TemplateKeyCount; ++i) fields[i]->SetText(values.*TemplateKeys[i].Field);
    txtName->SetText(name);
}

void TfrmLabelsProps::Button1Click(TObject* Sender) {
    // Blanks at either end would not read back: the name is stored without them.
    const std::string name = Trim(txtName->Text());
    if (name.empty()) {
        ShowMessage(SNoTemplateName);
        return;
    }
    if (!ValidTemplateName(name)) {
        ShowMessage(SBadTemplateName);
        return;
    }
    if (name != txtName->Text()) txtName->SetText(name);
    TLabelTemplate values;
    const auto fields = TemplateFields();
    for (size_t i = 0; i < TemplateKeyCount; ++i) values.*TemplateKeys[i].Field = fields[i]->Text();
    {
        TIniFile ini(LabelTemplateFilePath());
        WriteLabelTemplate(ini, name, values);
    }
    ShowMessage(STemplateCreated);
}

void TfrmLabelsProps::Button2Click(TObject* Sender) { Hide(); }

void TfrmLabelsProps::txtLabelWidthKeyPress(TObject* Sender, char32_t& Key) { DecimalKeyFilter(Key); }
void TfrmLabelsProps::txtRowsKeyPress(TObject* Sender, char32_t& Key) { DigitKeyFilter(Key); }
void TfrmLabelsProps::txtColKeyPress(TObject* Sender, char32_t& Key) { DigitKeyFilter(Key); }
