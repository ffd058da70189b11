#include "designer/Unit5.h"

#include "designer/DesignerConst.h"
#include "designer/Unit1.h"
#include "platform/runtime/IniFiles.h"

using namespace DesignerConst;

TfrmCaptions* frmCaptions = nullptr;

namespace {
std::string CaptionsIniPath() { return Form1 && !Form1->IniPath().empty() ? Form1->IniPath() : SettingsFilePath(); }
}  // namespace

TImageCaptions ReadImageCaptions() {
    TIniFile ini(CaptionsIniPath());
    return {ini.ReadString(SSecCaptions, "CaptionT", ""), ini.ReadString(SSecCaptions, "CaptionB", ""),
            ini.ReadString(SSecCaptions, "FontSize", "")};
}

TfrmCaptions::TfrmCaptions(TComponent* owner) : TForm(owner) {
    SetName("frmCaptions");
    SetCaption("Image Captions");
    SetBorderStyle(bsSingle);
    SetBorderIcons(biSystemMenu | biMinimize);
    SetPosition(poDefaultPosOnly);
    Font()->SetName("MS Sans Serif");
    Font()->SetHeight(-11);
    SetClientWidth(342);
    SetClientHeight(215);

    GroupBox1 = CreateNamed<TGroupBox>(this, this, "GroupBox1", 8, 8, 326, 160);
    GroupBox1->SetTabStop(true);
    Label1 = CreateNamed<TLabel>(this, GroupBox1, "Label1", 12, 18, 140, 13);
    Label1->SetCaption("Caption Above Barcode:");
    editTop = CreateNamed<TEdit>(this, GroupBox1, "editTop", 12, 34, 300, 21);
    Label2 = CreateNamed<TLabel>(this, GroupBox1, "Label2", 12, 62, 140, 13);
    Label2->SetCaption("Caption Below Barcode:");
    editBot = CreateNamed<TEdit>(this, GroupBox1, "editBot", 12, 78, 300, 21);
    chkCaptions = CreateNamed<TCheckBox>(this, GroupBox1, "chkCaptions", 12, 112, 140, 17);
    chkCaptions->SetCaption("Use Image Captions");
    Label4 = CreateNamed<TLabel>(this, GroupBox1, "Label4", 180, 114, 50, 13);
    Label4->SetCaption("Font Size:");
    cmboFontsize = CreateNamed<TComboBox>(this, GroupBox1, "cmboFontsize", 236, 110, 76, 21);
    for (const char* size : {"6", "7", "8", "9", "10", "12", "14", "16", "18", "20", "22", "24", "28", "30", "32", "36",
                             "40", "42", "44", "46", "52", "64", "72"})
        cmboFontsize->Items()->Add(size);
    cmboFontsize->SetText("8");
    btnSave = CreateNamed<TButton>(this, this, "btnSave", 178, 180, 75, 25);
    btnSave->SetCaption("&Save");
    btnSave->SetTabOrder(1);
    btnSave->OnClick = [this](TObject* s) { btnSaveClick(s); };
    btnClose = CreateNamed<TButton>(this, this, "btnClose", 259, 180, 75, 25);
    btnClose->SetCaption("&Close");
    btnClose->SetTabOrder(2);
    btnClose->OnClick = [this](TObject* s) { btnCloseClick(s); };

    OnShow = [this](TObject* s) { FormShow(s); };
}

void TfrmCaptions::FormShow(TObject* Sender) {
    if (editTop->CanFocus()) editTop->SetFocus();
    else SetActiveControl(editTop);
    TIniFile ini(CaptionsIniPath());
    editTop->SetText(ini.ReadString(SSecCaptions, "CaptionT", ""));
    editBot->SetText(ini.ReadString(SSecCaptions, "CaptionB", ""));
    cmboFontsize->SetText(ini.ReadString(SSecCaptions, "FontSize", ""));
}

void TfrmCaptions::btnSaveClick(TObject* Sender) {
    {
        TIniFile ini(CaptionsIniPath());
        ini.WriteString(SSecCaptions, "CaptionT", editTop->Text());
        ini.WriteString(SSecCaptions, "CaptionB", editBot->Text());
        ini.WriteString(SSecCaptions, "FontSize", cmboFontsize->Text());
    }
    btnClose->Click();
}

void TfrmCaptions::btnCloseClick(TObject* Sender) { Close(); }
