#include "designer/Unit1.h"

#include <cerrno>
#include <cstring>
#include <utility>

#include "designer/DesignerConst.h"
#include "designer/StartHold.h"
#include "designer/StartWindows.h"
#include "designer/SymbologyList.h"
#include "designer/Unit2.h"
#include "designer/Unit5.h"
#include "platform/runtime/IniFiles.h"
#include "platform/runtime/SysUtils.h"

using namespace DesignerConst;

TForm1* Form1 = nullptr;

// ---------------------------------------------------------------- settings folder

std::string GetAppDataFolder() {
    std::string folder = AppDataFolder();
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

std::string SettingsFolderPath() { return SettingsFolder(); }

std::string SettingsFilePath() { return SettingsFolderPath() + SSettingsFileName; }

bool EnsureSettingsFolder() {
    const std::string folder = SettingsFolderPath();
    return DirectoryExists(folder) || ForceDirectories(folder);
}

// ---------------------------------------------------------------- symbology list

int32_t SymbologyIndexOf(const std::string& displayName) {
    for (int32_t i = 0; i < SymbologyCount; ++i)
        if (displayName == SymbologyList[static_cast<size_t>(i)].Name) return i;
    return -1;
}

namespace {

const char* RotationName(btCodeRotate r) {
    switch (r) {
        case rotate_090: return "rotate_090";
        case rotate_180: return "rotate_180";
        case rotate_270: return "rotate_270";
        default: return "rotate_000";
    }
}

bool RotationFromName(const std::string& name, btCodeRotate& r) {
    static constexpr btCodeRotate all[] = {rotate_000, rotate_090, rotate_180, rotate_270};
    for (btCodeRotate v : all)
        if (name == RotationName(v)) {
            r = v;
            return true;
        }
    return false;
}

// One rotate command: the rotation value decreases by 90 degrees.
btCodeRotate NextRotation(btCodeRotate r) { return static_cast<btCodeRotate>((r + 3) % 4); }

size_t Utf8Length(const std::string& s) {
    size_t n = 0;
    for (unsigned char c : s)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

// The first count characters of a UTF-8 text.
std::string Utf8Left(const std::string& s, size_t count) {
    size_t chars = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) {
            if (chars == count) return s.substr(0, i);
            ++chars;
        }
    }
    return s;
}

TMenuItem* MakeItem(TForm1* form, TMenuItem* parent, const char* name, const char* caption,
                    const char* shortcut = nullptr, TNotifyEvent click = {}) {
    auto* item = new TMenuItem(form);
    item->SetName(name);
    item->SetCaption(caption);
    if (shortcut) item->SetShortCut(TextToShortCut(shortcut));
    item->OnClick = std::move(click);
    parent->Add(item);
    return item;
}

}  // namespace

// ---------------------------------------------------------------- construction

TForm1::TForm1(TComponent* owner) : TForm(owner) {
    SetName("Form1");
    SetCaption(SMainCaption);
    SetBounds(0, 0, 385, 354);
    SetPosition(poScreenCenter);
    Font()->SetName("Arial");
    Font()->SetHeight(-13);
    SetKeyPreview(true);
    BuildMenus();
    BuildControls();
    OnCreate = [this](TObject* s) { FormCreate(s); };
    OnCloseQuery = [this](TObject* s, bool& canClose) { FormCloseQuery(s, canClose); };
    OnShow = [this](TObject* s) { FormShow(s); };
    OnKeyUp = [this](TObject* s, Word& key, TShiftState shift) { FormKeyUp(s, key, shift); };
    SetVisible(true);
}

TForm1::~TForm1() {
    if (Form1 == this) Form1 = nullptr;
}

void TForm1::BuildMenus() {
    MainMenu1 = new TMainMenu(this);
    MainMenu1->SetName("MainMenu1");
    TMenuItem* root = MainMenu1->Items();
    auto on = [this](void (TForm1::*handler)(TObject*)) {
        return TNotifyEvent([this, handler](TObject* s) { (this->*handler)(s); });
    };

    File1 = MakeItem(this, root, "File1", "&File");
    OpenBarcodeConfiguration1 = MakeItem(this, File1, "OpenBarcodeConfiguration1", "&Open Barcode Configuration",
                                         "Ctrl+O", on(&TForm1::OpenBarcodeConfiguration1Click));
    N1 = MakeItem(this, File1, "N1", "&Save Barcode Configuration", "Ctrl+S", on(&TForm1::N1Click));
    N9 = MakeItem(this, File1, "N9", "-");
    Print1 = MakeItem(this, File1, "Print1", "&Print Barcode", "Ctrl+P", on(&TForm1::Print1Click));
    PrinterSetup1 = MakeItem(this, File1, "PrinterSetup1", "P&rinter Setup", "Ctrl+Alt+P",
                             on(&TForm1::PrinterSetup1Click));
    N7 = MakeItem(this, File1, "N7", "-");
    Exit1 = MakeItem(this, File1, "Exit1", "E&xit", nullptr, on(&TForm1::Exit1Click));

    Edit3 = MakeItem(this, root, "Edit3", "&Barcode");
    SaveBarcode1 = MakeItem(this, Edit3, "SaveBarcode1", "Sa&ve as Image", nullptr, on(&TForm1::SaveBarcode1Click));
    ImageCaps = MakeItem(this, Edit3, "ImageCaps", "Image Captions", nullptr, on(&TForm1::ImageCapsClick));
    ImageCaps->SetVisible(false);
    N11 = MakeItem(this, Edit3, "N11", "-");
    Copy1 = MakeItem(this, Edit3, "Copy1", "C&opy to Clipboard", "Ctrl+C", on(&TForm1::Copy1Click));
    ClipboardFormat1 = MakeItem(this, Edit3, "ClipboardFormat1", "Clipboar&d Format");
    Metafile1 = MakeItem(this, ClipboardFormat1, "Metafile1", "Bitmap", nullptr, on(&TForm1::Metafile1Click));
    Metafile1->SetRadioItem(true);
    Metafile1->SetGroupIndex(0);
    Metafile2 = MakeItem(this, ClipboardFormat1, "Metafile2", "Metafile", nullptr, on(&TForm1::Metafile2Click));
    Metafile2->SetRadioItem(true);
    Metafile2->SetGroupIndex(1);
    N2 = MakeItem(this, Edit3, "N2", "-");
    Rotate90Degrees1 = MakeItem(this, Edit3, "Rotate90Degrees1", "&Rotate 90 Degrees", "Ctrl+R",
                                on(&TForm1::Rotate90Degrees1Click));
    newline1 = MakeItem(this, Edit3, "newline1", "-");
    HumanReadable1 = MakeItem(this, Edit3, "HumanReadable1", "H&uman Readable", nullptr,
                              on(&TForm1::HumanReadable1Click));
    HumanReadable1->SetChecked(true);
    N3 = MakeItem(this, Edit3, "N3", "-");

    ScaleWidth1 = MakeItem(this, Edit3, "ScaleWidth1", "&Save Size");
    struct Sized {
        TMenuItem** Item;
        const char* Name;
        const char* Caption;
        void (TForm1::*Handler)(TObject*);
    };
    const Sized sizes[] = {{&C11, "C11", " &1 X", &TForm1::C11Click}, {&C21, "C21", " &2 X", &TForm1::C21Click},
                           {&C31, "C31", " &3 X", &TForm1::C31Click}, {&C41, "C41", " &4 X", &TForm1::C41Click},
                           {&C51, "C51", " &5 X", &TForm1::C51Click}, {&C61, "C61", "1&0 X", &TForm1::C61Click}};
    for (const Sized& s : sizes) {
        *s.Item = MakeItem(this, ScaleWidth1, s.Name, s.Caption, nullptr, on(s.Handler));
        (*s.Item)->SetRadioItem(true);
    }
    C11->SetChecked(true);
    C11->SetDefault(true);

    HeightPercent1 = MakeItem(this, Edit3, "HeightPercent1", "B&ar Height");
    const Sized heights[] = {
        {&N1501, "N1501", "150%", &TForm1::N1501Click}, {&N1401, "N1401", "140%", &TForm1::N1401Click},
        {&N1301, "N1301", "130%", &TForm1::N1301Click}, {&N1201, "N1201", "120%", &TForm1::N1201Click},
        {&N1101, "N1101", "110%", &TForm1::N1101Click}, {&N101, "N101", "100%", &TForm1::N101Click},
        {&N901, "N901", " 90%", &TForm1::N901Click},    {&N801, "N801", " 80%", &TForm1::N801Click},
        {&N701, "N701", " 70%", &TForm1::N701Click},    {&N601, "N601", " 60%", &TForm1::N601Click},
        {&N501, "N501", " 50%", &TForm1::N501Click},    {&N401, "N401", " 40%", &TForm1::N401Click},
        {&N301, "N301", " 30%", &TForm1::N301Click},    {&N201, "N201", " 20%", &TForm1::N201Click}};
    for (const Sized& s : heights) {
        *s.Item = MakeItem(this, HeightPercent1, s.Name, s.Caption, nullptr, on(s.Handler));
        (*s.Item)->SetRadioItem(true);
    }
    N101->SetChecked(true);

    FontHeight1 = MakeItem(this, Edit3, "FontHeight1", "Font &Height");
    const Sized fonts[] = {
        {&N1001, "N1001", "100%", &TForm1::N1001Click}, {&N902, "N902", " 90%", &TForm1::N902Click},
        {&N802, "N802", " 80%", &TForm1::N802Click},    {&N702, "N702", " 70%", &TForm1::N702Click},
        {&N602, "N602", " 60%", &TForm1::N602Click},    {&N502, "N502", " 50%", &TForm1::N502Click},
        {&N402, "N402", " 40%", &TForm1::N402Click},    {&N302, "N302", " 30%", &TForm1::N302Click},
        {&N202, "N202", " 20%", &TForm1::N202Click}};
    for (const Sized& s : fonts) {
        *s.Item = MakeItem(this, FontHeight1, s.Name, s.Caption, nullptr, on(s.Handler));
        (*s.Item)->SetRadioItem(true);
    }
    N1001->SetChecked(true);

    N4 = MakeItem(this, Edit3, "N4", "-");
    BarRatio1 = MakeItem(this, Edit3, "BarRatio1", "Bar Ra&tio");
    N3to11 = MakeItem(this, BarRatio1, "N3to11", "2 : 1", nullptr, on(&TForm1::N3to11Click));
    N3to11->SetRadioItem(true);
    N3to12 = MakeItem(this, BarRatio1, "N3to12", "3 : 1", nullptr, on(&TForm1::N3to12Click));
    N3to12->SetRadioItem(true);
    N3to12->SetChecked(true);
    N10 = MakeItem(this, Edit3, "N10", "-");
    Zoom1 = MakeItem(this, Edit3, "Zoom1", "&Zoom", "Ctrl+Z", on(&TForm1::Zoom1Click));
    N5 = MakeItem(this, Edit3, "N5", "-");
    BooklandPrefix1 = MakeItem(this, Edit3, "BooklandPrefix1", "Boo&kland Prefix", nullptr,
                               on(&TForm1::BooklandPrefix1Click));

    mnuLabels = MakeItem(this, root, "mnuLabels", "&Labels");
    PrintLabelSheets1 = MakeItem(this, mnuLabels, "PrintLabelSheets1", "&Print Label Sheets", nullptr,
                                 on(&TForm1::PrintLabelSheets1Click));
    N8 = MakeItem(this, mnuLabels, "N8", "-");
    CreateLabelTemplate1 = MakeItem(this, mnuLabels, "CreateLabelTemplate1", "&Create Label Template", nullptr,
                                    on(&TForm1::CreateLabelTemplate1Click));

    Help1 = MakeItem(this, root, "Help1", "&Help");
    HelpIndex1 = MakeItem(this, Help1, "HelpIndex1", "Hel&p Contents", nullptr, on(&TForm1::HelpIndex1Click));
    N12 = MakeItem(this, Help1, "N12", "-");
    VarsonaHomePage1 = MakeItem(this, Help1, "VarsonaHomePage1", "Varsona Home Page", nullptr,
                                on(&TForm1::VarsonaHomePage1Click));
    N6 = MakeItem(this, Help1, "N6", "-");
    AboutVarsona1 = MakeItem(this, Help1, "AboutVarsona1", "A&bout Varsona", nullptr,
                             on(&TForm1::AboutVarsona1Click));
    SetMenu(MainMenu1);
}

// ---------------------------------------------------------------- settings access

std::unique_ptr<TIniFile> TForm1::OpenSettings() const { return std::make_unique<TIniFile>(FIniPath); }

void TForm1::WriteSetting(const char* section, const std::string& key, const std::string& value) {
    const std::string where = std::string(section) + "\n" + key;
    if (value.find_first_of("\r\n") != std::string::npos) {
        // Told once, not at every key typed while the line break stays.
        if (FLineBreakRefused == where) return;
        FLineBreakRefused = where;
        throw EIniFileException(FmtMsg(SSettingLineBreak, IniPath()));
    }
    if (FLineBreakRefused == where) FLineBreakRefused.clear();
    auto ini = OpenSettings();
    ini->WriteString(section, key, value);
}

// ---------------------------------------------------------------- start-up

void TForm1::FormCreate(TObject* Sender) {
    FIniPath = SettingsFilePath();
    Application->SetHelpFile(ProgramFolder() + SHelpFileName);
    auto ini = OpenSettings();
    HoldUntilNextSecond();
    Barcode1->SetBar_Caption(Edit1->Text());
    Barcode1->SetBar_CodeAddon(Edit2->Text());
    ComboBox2->Items()->Assign(Screen->Fonts());
    ComboBox2->SetText(ini->ReadString(SSecVarsona, "font", "Arial"));
    Barcode1->SetBar_Fontname(ComboBox2->Text());
    for (const TSymbologyEntry& entry : SymbologyList) ComboBox1->Items()->Add(entry.Name);
    ComboBox1->SetItemIndex(StrToInt(ini->ReadString(SSecVarsona, "bctype", "2")));
    ini.reset();
    lblType->SetCaption(IntToStr(ComboBox1->ItemIndex()));
    Button4->Click();
    btnLoadIni->Click();
    if (Edit1->Text().empty()) Barcode1->SetBar_Caption("");
}

void TForm1::FormShow(TObject* Sender) {}

void TForm1::Button4Click(TObject* Sender) {
    const TSymbologyEntry& entry = SymbologyEntry(StrToInt(lblType->Caption()));
    Barcode1->SetBar_CodeType(entry.CodeType);
    Edit1->SetMaxLength(entry.MaxLength);
    WriteSetting(SSecVarsona, "bctype", lblType->Caption());
}

// ---------------------------------------------------------------- symbol commands

std::string TForm1::SymbolCaption(bool bookland, const std::string& data) const {
    if (!bookland) return data;
    std::string prefix;
    {
        auto ini = OpenSettings();
        prefix = ini->ReadString(SSecAddon, "bklandpre", DefaultBooklandPrefix);
    }
    if (prefix.empty()) prefix = DefaultBooklandPrefix;
    return prefix + Utf8Left(data, 9);
}

void TForm1::Edit1Change(TObject* Sender) {
    FDataChangedByKey = true;
    if (!FRestoringData) {
        const bool bookland = ComboBox1->Text() == BooklandName;
        try {
            Barcode1->SetBar_Caption(SymbolCaption(bookland, Edit1->Text()));
        } catch (...) {
            // The field shows what the symbol holds (and that is stored), so
            // that Print and Save never use other data than the field shows.
            std::string shown = Barcode1->Bar_Caption();
            if (bookland) {
                try {
                    const std::string prefix = SymbolCaption(true, "");
                    if (shown.compare(0, prefix.size(), prefix) == 0) shown.erase(0, prefix.size());
                } catch (...) {
                }
            }
            FRestoringData = true;
            try {
                Edit1->SetText(shown);
            } catch (...) {
            }
            FRestoringData = false;
            throw;
        }
    }
    btnWriteIni->Click();
}

void TForm1::Edit1KeyDown(TObject* Sender, Word& Key, TShiftState Shift) { FDataChangedByKey = false; }

// Ctrl+A, Home, an arrow or Shift released in a full field leaves the focus
// here: the key that follows (a Backspace) belongs to the data, not the add-on.
void TForm1::Edit1KeyUp(TObject* Sender, Word& Key, TShiftState Shift) {
    if (!FDataChangedByKey) return;
    FDataChangedByKey = false;
    if (static_cast<int64_t>(Utf8Length(Edit1->Text())) == Edit1->MaxLength() && Edit2->CanFocus()) Edit2->SetFocus();
}

void TForm1::Edit2Change(TObject* Sender) {
    Barcode1->SetBar_CodeAddon(Edit2->Text());
    const int32_t index = SymbologyIndexOf(ComboBox1->Text());
    if (index < 0) return;
    if (const char* key = SymbologyList[static_cast<size_t>(index)].AddonKey)
        WriteSetting(SSecAddon, key, Edit2->Text());
}

void TForm1::ComboBox1Change(TObject* Sender) {
    lblType->SetCaption(IntToStr(ComboBox1->ItemIndex()));
    Button4->Click();
    if (Edit1->CanFocus()) Edit1->SetFocus();
    btnLoadIni->Click();
    if (Edit1->Text().empty()) Barcode1->SetBar_Caption("");
    UpdateTypeMenus();
}

void TForm1::UpdateTypeMenus() {
    const TSymbologyEntry& entry = SymbologyEntry(ComboBox1->ItemIndex());
    BarRatio1->SetEnabled(entry.RatioMenu);
    Zoom1->SetEnabled(entry.ZoomMenu);
}

void TForm1::ComboBox2Change(TObject* Sender) {
    Barcode1->SetBar_Fontname(ComboBox2->Text());
    WriteSetting(SSecVarsona, "font", ComboBox2->Text());
}

void TForm1::Button6Click(TObject* Sender) {
    const btCodeRotate before = Barcode1->Bar_Rotation();
    Barcode1->SetBar_Rotation(NextRotation(before));
    WriteSetting(SSecVarsona, "rotation", RotationName(before));
}

void TForm1::ToolButton5Click(TObject* Sender) { Button6->Click(); }
void TForm1::Rotate90Degrees1Click(TObject* Sender) { Button6->Click(); }

void TForm1::HumanReadable1Click(TObject* Sender) {
    HumanReadable1->SetChecked(!HumanReadable1->Checked());
    Barcode1->SetBar_HumanReadable(HumanReadable1->Checked());
    WriteSetting(SSecVarsona, "humanread", Barcode1->Bar_HumanReadable() ? "True" : "False");
}

void TForm1::SetBarHeight(TMenuItem* item, int32_t percent) {
    item->SetChecked(true);
    Barcode1->SetBar_HeightPercent(percent);
    lblBarHeight->SetCaption(IntToStr(Barcode1->Bar_HeightPercent()));
    btnBarHeight->Click();
}

void TForm1::SetFontScale(TMenuItem* item, int32_t percent) {
    item->SetChecked(true);
    Barcode1->SetBar_Fontscaling(percent);
    lblFontScale->SetCaption(IntToStr(Barcode1->Bar_Fontscaling()));
    btnFontScale->Click();
}

void TForm1::btnBarHeightClick(TObject* Sender) { WriteSetting(SSecVarsona, "barheight", lblBarHeight->Caption()); }
void TForm1::btnFontScaleClick(TObject* Sender) { WriteSetting(SSecVarsona, "fontheight", lblFontScale->Caption()); }

void TForm1::N1501Click(TObject*) { SetBarHeight(N1501, 150); }
void TForm1::N1401Click(TObject*) { SetBarHeight(N1401, 140); }
void TForm1::N1301Click(TObject*) { SetBarHeight(N1301, 130); }
void TForm1::N1201Click(TObject*) { SetBarHeight(N1201, 120); }
void TForm1::N1101Click(TObject*) { SetBarHeight(N1101, 110); }
void TForm1::N101Click(TObject*) { SetBarHeight(N101, 100); }
void TForm1::N901Click(TObject*) { SetBarHeight(N901, 90); }
void TForm1::N801Click(TObject*) { SetBarHeight(N801, 80); }
void TForm1::N701Click(TObject*) { SetBarHeight(N701, 70); }
void TForm1::N601Click(TObject*) { SetBarHeight(N601, 60); }
void TForm1::N501Click(TObject*) { SetBarHeight(N501, 50); }
void TForm1::N401Click(TObject*) { SetBarHeight(N401, 40); }
void TForm1::N301Click(TObject*) { SetBarHeight(N301, 30); }
void TForm1::N201Click(TObject*) { SetBarHeight(N201, 20); }

void TForm1::N1001Click(TObject*) { SetFontScale(N1001, 100); }
void TForm1::N902Click(TObject*) { SetFontScale(N902, 90); }
void TForm1::N802Click(TObject*) { SetFontScale(N802, 80); }
void TForm1::N702Click(TObject*) { SetFontScale(N702, 70); }
void TForm1::N602Click(TObject*) { SetFontScale(N602, 60); }
void TForm1::N502Click(TObject*) { SetFontScale(N502, 50); }
void TForm1::N402Click(TObject*) { SetFontScale(N402, 40); }
void TForm1::N302Click(TObject*) { SetFontScale(N302, 30); }
void TForm1::N202Click(TObject*) { SetFontScale(N202, 20); }

TMenuItem* TForm1::BarHeightItem(int32_t percent) const {
    TMenuItem* const items[] = {N201, N301, N401, N501, N601, N701, N801, N901, N101, N1101, N1201, N1301, N1401, N1501};
    if (percent < 20 || percent > 150 || percent % 10 != 0) return nullptr;
    return items[percent / 10 - 2];
}

TMenuItem* TForm1::FontHeightItem(int32_t percent) const {
    TMenuItem* const items[] = {N202, N302, N402, N502, N602, N702, N802, N902, N1001};
    if (percent < 20 || percent > 100 || percent % 10 != 0) return nullptr;
    return items[percent / 10 - 2];
}

void TForm1::N3to12Click(TObject* Sender) {
    Barcode1->SetBar_Ratio(Ratio_3);
    N3to12->SetChecked(true);
    WriteSetting(SSecVarsona, "bratio", "3to1");
}

void TForm1::N3to11Click(TObject* Sender) {
    Barcode1->SetBar_Ratio(Ratio_2);
    N3to11->SetChecked(true);
    WriteSetting(SSecVarsona, "bratio", "2to1");
}

void TForm1::SetSaveSize(TMenuItem* item, const char* value) {
    item->SetChecked(true);
    lblsaveRatio->SetCaption(value);
    WriteSetting(SSecVarsona, "sratio", lblsaveRatio->Caption());
}

void TForm1::C11Click(TObject*) { SetSaveSize(C11, "1"); }
void TForm1::C21Click(TObject*) { SetSaveSize(C21, "2"); }
void TForm1::C31Click(TObject*) { SetSaveSize(C31, "3"); }
void TForm1::C41Click(TObject*) { SetSaveSize(C41, "4"); }
void TForm1::C51Click(TObject*) { SetSaveSize(C51, "5"); }
void TForm1::C61Click(TObject*) { SetSaveSize(C61, "10"); }

void TForm1::RunSaveSizeCommand(int32_t value) {
    switch (value) {
        case 2: C21Click(this); break;
        case 3: C31Click(this); break;
        case 4: C41Click(this); break;
        case 5: C51Click(this); break;
        case 10: C61Click(this); break;
        default: C11Click(this); break;
    }
}

void TForm1::Metafile1Click(TObject* Sender) {
    Metafile1->SetChecked(true);
    Metafile2->SetChecked(false);
    WriteSetting(SSecVarsona, "clipformat", "bmp");
}

void TForm1::Metafile2Click(TObject* Sender) {
    Metafile2->SetChecked(true);
    Metafile1->SetChecked(false);
    WriteSetting(SSecVarsona, "clipformat", "wmf");
}

void TForm1::BooklandPrefix1Click(TObject* Sender) {
    const std::string answer = InputBox(SAppTitle, SBooklandPrompt, "");
    if (answer.empty()) return;
    WriteSetting(SSecAddon, "bklandpre", answer);
    Edit1Change(this);
}

void TForm1::Zoom1Click(TObject* Sender) {
    const bool on = Barcode1->Bar_ModuleWidth() != SC9;
    Barcode1->SetBar_ModuleWidth(on ? SC9 : SC2);
    Zoom1->SetChecked(on);
    WriteSetting(SSecVarsona, "zoom", on ? "SC9" : "SC2");
}

void TForm1::Exit1Click(TObject* Sender) {
    if (StartWindowsLetProgramEnd()) Application->Terminate();
}

void TForm1::FormCloseQuery(TObject* Sender, bool& CanClose) { CanClose = StartWindowsLetProgramEnd(); }

void TForm1::PrintLabelSheets1Click(TObject* Sender) {
    if (TForm* form = LabelsWindow()) form->Show();
}

void TForm1::CreateLabelTemplate1Click(TObject* Sender) {
    if (TForm* form = LabelsPropsWindow()) form->Show();
}

void TForm1::FormKeyUp(TObject* Sender, Word& Key, TShiftState Shift) {}

// ---------------------------------------------------------------- settings file

void TForm1::btnWriteIniClick(TObject* Sender) { WriteSetting(SSecVarsona, lblType->Caption(), Edit1->Text()); }

void TForm1::btnLoadIniClick(TObject* Sender) {
    auto ini = OpenSettings();
    const std::string data = ini->ReadString(SSecVarsona, lblType->Caption(), "");
    if (Edit1->Text() != data) Edit1->SetText(data);

    const int32_t index = SymbologyIndexOf(ComboBox1->Text());
    if (index >= 0) {
        if (const char* key = SymbologyList[static_cast<size_t>(index)].AddonKey) {
            const std::string addon = ini->ReadString(SSecAddon, key, "");
            if (Edit2->Text() != addon) Edit2->SetText(addon);
        } else if (!Edit2->Text().empty()) {
            Edit2->SetText("");
        }
    }

    // Settings read before a bad value stay applied.
    TStoredLook look;
    try {
        ReadStoredLook(*ini, SSecVarsona, "sratio", look);
    } catch (...) {
        ApplyStoredLook(look, true);
        throw;
    }
    ApplyStoredLook(look, true);

    UpdateTypeMenus();

    const std::string clip = ini->ReadString(SSecVarsona, "clipformat", "bmp");
    if (clip == "bmp") Metafile1Click(this);
    else if (clip == "wmf") Metafile2Click(this);
}

void TForm1::ReadStoredLook(TCustomIniFile& ini, const char* section, const char* saveRatioKey,
                            TStoredLook& look) const {
    // Converted before it is kept, so that a bad value leaves the label as it was.
    const std::string saveRatio = ini.ReadString(section, saveRatioKey, "1");
    look.SaveSize = StrToInt(saveRatio);
    look.SaveRatio = saveRatio;

    const std::string human = ini.ReadString(section, "humanread", "True");
    if (human == "True") look.HumanReadable = true;
    else if (human == "False") look.HumanReadable = false;

    const std::string zoom = ini.ReadString(section, "zoom", "SC2");
    if (zoom == "SC2") look.ModuleWidth = SC2;
    else if (zoom == "SC9") look.ModuleWidth = SC9;

    // The engine checks the ranges, with its own messages.
    TBarcode probe(nullptr);
    const int32_t barHeight = StrToInt(ini.ReadString(section, "barheight", "100"));
    probe.SetBar_HeightPercent(barHeight);
    look.BarHeight = barHeight;
    const int32_t fontHeight = StrToInt(ini.ReadString(section, "fontheight", "100"));
    probe.SetBar_Fontscaling(fontHeight);
    look.FontHeight = fontHeight;

    btCodeRotate rotation;
    if (RotationFromName(ini.ReadString(section, "rotation", "rotate_000"), rotation)) look.Rotation = rotation;

    const std::string ratio = ini.ReadString(section, "bratio", "3to1");
    if (ratio == "2to1") look.Ratio = Ratio_2;
    else if (ratio == "3to1") look.Ratio = Ratio_3;
}

void TForm1::ApplyStoredLook(const TStoredLook& look, bool stepRotation) {
    if (look.SaveRatio) {
        lblsaveRatio->SetCaption(*look.SaveRatio);
        RunSaveSizeCommand(look.SaveSize);
    }
    if (look.HumanReadable) {
        Barcode1->SetBar_HumanReadable(*look.HumanReadable);
        HumanReadable1->SetChecked(*look.HumanReadable);
    }
    if (look.ModuleWidth) {
        Barcode1->SetBar_ModuleWidth(*look.ModuleWidth);
        Zoom1->SetChecked(*look.ModuleWidth == SC9);
    }
    if (look.BarHeight) {
        Barcode1->SetBar_HeightPercent(*look.BarHeight);
        if (TMenuItem* item = BarHeightItem(*look.BarHeight)) item->SetChecked(true);
        else N101->SetChecked(true);
    }
    if (look.FontHeight) {
        Barcode1->SetBar_Fontscaling(*look.FontHeight);
        if (TMenuItem* item = FontHeightItem(*look.FontHeight)) item->SetChecked(true);
        else N1001->SetChecked(true);
    }
    if (look.Rotation) Barcode1->SetBar_Rotation(stepRotation ? NextRotation(*look.Rotation) : *look.Rotation);
    if (look.Ratio) {
        Barcode1->SetBar_Ratio(*look.Ratio);
        (*look.Ratio == Ratio_2 ? N3to11 : N3to12)->SetChecked(true);
    }
}

// ---------------------------------------------------------------- configuration files

void TForm1::N1Click(TObject* Sender) {
    const btCodeRotate rotation = Barcode1->Bar_Rotation();
    if (!SaveDialog2->Execute()) return;
    TIniFile file(SaveDialog2->FileName());
    file.WriteString(SSecConfig, "fontname", ComboBox2->Text());
    file.WriteString(SSecConfig, "bctype", lblType->Caption());
    file.WriteString(SSecConfig, "caption", Edit1->Text());
    file.WriteString(SSecConfig, "addon", Edit2->Text());
    file.WriteString(SSecConfig, "saveratio", lblsaveRatio->Caption());
    file.WriteString(SSecConfig, "humanread", Barcode1->Bar_HumanReadable() ? "True" : "False");
    if (Barcode1->Bar_ModuleWidth() == SC2) file.WriteString(SSecConfig, "zoom", "SC2");
    else if (Barcode1->Bar_ModuleWidth() == SC9) file.WriteString(SSecConfig, "zoom", "SC9");
    lblBarHeight->SetCaption(IntToStr(Barcode1->Bar_HeightPercent()));
    file.WriteString(SSecConfig, "barheight", lblBarHeight->Caption());
    lblFontScale->SetCaption(IntToStr(Barcode1->Bar_Fontscaling()));
    file.WriteString(SSecConfig, "fontheight", lblFontScale->Caption());
    file.WriteString(SSecConfig, "rotation", RotationName(rotation));
    if (N3to11->Checked()) file.WriteString(SSecConfig, "bratio", "2to1");
    else if (N3to12->Checked()) file.WriteString(SSecConfig, "bratio", "3to1");
}

// All or nothing: every value is read and checked (the engine's refusals
// included) before any is applied, so that a file that fails half-way
// leaves the window as it was.
void TForm1::OpenBarcodeConfiguration1Click(TObject* Sender) {
    if (!OpenDialog1->Execute() || OpenDialog1->FileName().empty()) return;
    const std::string path = OpenDialog1->FileName();
    if (!FileExists(path) && !DirectoryExists(path))
        throw EFOpenError(FmtMsg(SysConst::SFOpenError, path, std::strerror(ENOENT)));
    TIniFile file(path);
    // A file that cannot be read says so with its name.
    if (!file.SectionExists(SSecConfig)) throw EInvalidOperation(FmtMsg(SNotConfigFile, path));

    const std::string font = file.ReadString(SSecConfig, "fontname", "");
    const std::string type = file.ReadString(SSecConfig, "bctype", "");
    const int32_t index = StrToInt(type);
    const std::string caption = file.ReadString(SSecConfig, "caption", "");
    const std::string addon = file.ReadString(SSecConfig, "addon", "");
    TStoredLook look;
    ReadStoredLook(file, SSecConfig, "saveratio", look);
    {
        TBarcode probe(nullptr);
        probe.SetBar_CodeType(SymbologyCodeType(index));
        probe.SetBar_Caption(SymbolCaption(SymbologyEntry(index).Name == std::string(BooklandName), caption));
    }

    ComboBox2->SetText(font);
    Barcode1->SetBar_Fontname(ComboBox2->Text());
    lblType->SetCaption(type);
    ComboBox1->SetItemIndex(index);
    if (Edit1->Text() != caption) Edit1->SetText(caption);
    if (Edit2->Text() != addon) Edit2->SetText(addon);
    ApplyStoredLook(look, false);
    Button4Click(this);
    UpdateTypeMenus();
}

// ---------------------------------------------------------------- captions, help and about box

void TForm1::ImageCapsClick(TObject* Sender) {
    if (frmCaptions) frmCaptions->ShowModal();
}

void TForm1::HelpIndex1Click(TObject* Sender) { Application->HelpCommand(HELP_CONTENTS, 0); }
void TForm1::ToolButton6Click(TObject* Sender) { Application->HelpCommand(HELP_CONTENTS, 0); }

void TForm1::AboutVarsona1Click(TObject* Sender) {
    std::unique_ptr<TAboutBox> box(new TAboutBox(this));
    AboutBox = box.get();
    try {
        box->DoCreate();
        box->ShowModal();
    } catch (...) {
        AboutBox = nullptr;
        throw;
    }
    AboutBox = nullptr;
}
