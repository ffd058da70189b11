// The barcode designer's main window: symbology choice, data entry, the look
// menus, the settings file, configuration files and printing one barcode.
// The window keeps no state of its own beyond its controls: invisible labels
// hold values as text and invisible buttons serve as subroutines.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "engine/Barcode.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/Forms.h"
#include "platform/controls/Menus.h"
#include "platform/controls/StdCtrls.h"

class TToolBar;
class TToolButton;
class TStatusBar;
class TScrollBox;
class TPrinterSetupDialog;
class TIniFile;
class TCustomIniFile;

class TForm1 : public TForm {
public:
    explicit TForm1(TComponent* owner);
    ~TForm1() override;

    // ---- visible controls
    TToolBar* ToolBar1 = nullptr;
    TToolButton* ToolButton1 = nullptr;
    TToolButton* ToolButton2 = nullptr;
    TToolButton* ToolButton3 = nullptr;
    TToolButton* ToolButton7 = nullptr;
    TToolButton* ToolButton5 = nullptr;
    TToolButton* ToolButton8 = nullptr;
    TToolButton* ToolButton9 = nullptr;
    TToolButton* ToolButton4 = nullptr;
    TToolButton* ToolButton6 = nullptr;
    TComboBox* ComboBox2 = nullptr;
    TComboBox* ComboBox1 = nullptr;
    TToolBar* ToolBar2 = nullptr;
    TEdit* Edit1 = nullptr;
    TEdit* Edit2 = nullptr;
    TScrollBox* ScrollBox1 = nullptr;
    TBarcode* Barcode1 = nullptr;
    TStatusBar* StatusBar1 = nullptr;

    // ---- hidden state carriers and subroutines
    TLabel* lblType = nullptr;
    TLabel* lblsaveRatio = nullptr;
    TLabel* lblBarHeight = nullptr;
    TLabel* lblFontScale = nullptr;
    TButton* Button4 = nullptr;
    TButton* btnLoadIni = nullptr;
    TButton* btnWriteIni = nullptr;
    TButton* Button6 = nullptr;
    TButton* btnBarHeight = nullptr;
    TButton* btnFontScale = nullptr;

    // ---- non-visual components
    TMainMenu* MainMenu1 = nullptr;
    TImageList* ImageList1 = nullptr;
    TSaveDialog* SaveDialog1 = nullptr;
    TSaveDialog* SaveDialog2 = nullptr;
    TOpenDialog* OpenDialog1 = nullptr;
    TPrinterSetupDialog* PrinterSetupDialog1 = nullptr;

    // ---- menus
    TMenuItem* File1 = nullptr;
    TMenuItem* OpenBarcodeConfiguration1 = nullptr;
    TMenuItem* N1 = nullptr;
    TMenuItem* N9 = nullptr;
    TMenuItem* Print1 = nullptr;
    TMenuItem* PrinterSetup1 = nullptr;
    TMenuItem* N7 = nullptr;
    TMenuItem* Exit1 = nullptr;
    TMenuItem* Edit3 = nullptr;
    TMenuItem* SaveBarcode1 = nullptr;
    TMenuItem* ImageCaps = nullptr;
    TMenuItem* N11 = nullptr;
    TMenuItem* Copy1 = nullptr;
    TMenuItem* ClipboardFormat1 = nullptr;
    TMenuItem* Metafile1 = nullptr;
    TMenuItem* Metafile2 = nullptr;
    TMenuItem* N2 = nullptr;
    TMenuItem* Rotate90Degrees1 = nullptr;
    TMenuItem* newline1 = nullptr;
    TMenuItem* HumanReadable1 = nullptr;
    TMenuItem* N3 = nullptr;
    TMenuItem* ScaleWidth1 = nullptr;
    TMenuItem *C11 = nullptr, *C21 = nullptr, *C31 = nullptr, *C41 = nullptr, *C51 = nullptr, *C61 = nullptr;
    TMenuItem* HeightPercent1 = nullptr;
    TMenuItem *N1501 = nullptr, *N1401 = nullptr, *N1301 = nullptr, *N1201 = nullptr, *N1101 = nullptr,
              *N101 = nullptr, *N901 = nullptr, *N801 = nullptr, *N701 = nullptr, *N601 = nullptr, *N501 = nullptr,
              *N401 = nullptr, *N301 = nullptr, *N201 = nullptr;
    TMenuItem* FontHeight1 = nullptr;
    TMenuItem *N1001 = nullptr, *N902 = nullptr, *N802 = nullptr, *N702 = nullptr, *N602 = nullptr, *N502 = nullptr,
              *N402 = nullptr, *N302 = nullptr, *N202 = nullptr;
    TMenuItem* N4 = nullptr;
    TMenuItem* BarRatio1 = nullptr;
    TMenuItem* N3to11 = nullptr;
    TMenuItem* N3to12 = nullptr;
    TMenuItem* N10 = nullptr;
    TMenuItem* Zoom1 = nullptr;
    TMenuItem* N5 = nullptr;
    TMenuItem* BooklandPrefix1 = nullptr;
    TMenuItem* mnuLabels = nullptr;
    TMenuItem* PrintLabelSheets1 = nullptr;
    TMenuItem* N8 = nullptr;
    TMenuItem* CreateLabelTemplate1 = nullptr;
    TMenuItem* Help1 = nullptr;
    TMenuItem* HelpIndex1 = nullptr;
    TMenuItem* N12 = nullptr;
    TMenuItem* VarsonaHomePage1 = nullptr;
    TMenuItem* N6 = nullptr;
    TMenuItem* AboutVarsona1 = nullptr;

    // The print-time barcode of the last print (owned by this window).
    TBarcode* PrintBarcode1 = nullptr;

    // The settings file's path (built by FormCreate).
    const std::string& IniPath() const { return FIniPath; }

    // ---- start-up and symbology (program start and main window)
    void FormCreate(TObject* Sender);
    // Closing the main window ends the program: the label windows are asked
    // about edits that would be lost.
    void FormCloseQuery(TObject* Sender, bool& CanClose);
    void FormShow(TObject* Sender);
    void Button4Click(TObject* Sender);

    // ---- symbol commands
    void Edit1Change(TObject* Sender);
    void Edit1KeyDown(TObject* Sender, Word& Key, TShiftState Shift);
    void Edit1KeyUp(TObject* Sender, Word& Key, TShiftState Shift);
    void Edit2Change(TObject* Sender);
    void ComboBox1Change(TObject* Sender);
    void ComboBox2Change(TObject* Sender);
    void UpdateTypeMenus();
    void Button6Click(TObject* Sender);
    void ToolButton5Click(TObject* Sender);
    void Rotate90Degrees1Click(TObject* Sender);
    void HumanReadable1Click(TObject* Sender);
    void btnBarHeightClick(TObject* Sender);
    void btnFontScaleClick(TObject* Sender);
    void N1501Click(TObject* Sender);
    void N1401Click(TObject* Sender);
    void N1301Click(TObject* Sender);
    void N1201Click(TObject* Sender);
    void N1101Click(TObject* Sender);
    void N101Click(TObject* Sender);
    void N901Click(TObject* Sender);
    void N801Click(TObject* Sender);
    void N701Click(TObject* Sender);
    void N601Click(TObject* Sender);
    void N501Click(TObject* Sender);
    void N401Click(TObject* Sender);
    void N301Click(TObject* Sender);
    void N201Click(TObject* Sender);
    void N1001Click(TObject* Sender);
    void N902Click(TObject* Sender);
    void N802Click(TObject* Sender);
    void N702Click(TObject* Sender);
    void N602Click(TObject* Sender);
    void N502Click(TObject* Sender);
    void N402Click(TObject* Sender);
    void N302Click(TObject* Sender);
    void N202Click(TObject* Sender);
    void N3to11Click(TObject* Sender);
    void N3to12Click(TObject* Sender);
    void C11Click(TObject* Sender);
    void C21Click(TObject* Sender);
    void C31Click(TObject* Sender);
    void C41Click(TObject* Sender);
    void C51Click(TObject* Sender);
    void C61Click(TObject* Sender);
    void Metafile1Click(TObject* Sender);
    void Metafile2Click(TObject* Sender);
    void BooklandPrefix1Click(TObject* Sender);
    void Zoom1Click(TObject* Sender);
    void SaveBarcode1Click(TObject* Sender);
    void Copy1Click(TObject* Sender);
    void Exit1Click(TObject* Sender);
    void PrintLabelSheets1Click(TObject* Sender);
    void CreateLabelTemplate1Click(TObject* Sender);
    void FormKeyUp(TObject* Sender, Word& Key, TShiftState Shift);

    // ---- settings file and configuration files
    void btnWriteIniClick(TObject* Sender);
    void btnLoadIniClick(TObject* Sender);
    void N1Click(TObject* Sender);
    void OpenBarcodeConfiguration1Click(TObject* Sender);

    // ---- printing one barcode
    void Print1Click(TObject* Sender);
    void PrintBarcode();
    void PrinterSetup1Click(TObject* Sender);
    // Tells in the status bar where the print that ended last went: the PDF
    // file's name, or the printer. The label sheet prints call it too.
    void ShowPrintedWhere();

    // ---- captions, help and about box
    void ImageCapsClick(TObject* Sender);
    void HelpIndex1Click(TObject* Sender);
    void ToolButton6Click(TObject* Sender);
    void VarsonaHomePage1Click(TObject* Sender);
    void AboutVarsona1Click(TObject* Sender);

private:
    void BuildMenus();
    void BuildControls();
    std::unique_ptr<TIniFile> OpenSettings() const;
    void WriteSetting(const char* section, const std::string& key, const std::string& value);
    void SetBarHeight(TMenuItem* item, int32_t percent);
    void SetFontScale(TMenuItem* item, int32_t percent);
    void SetSaveSize(TMenuItem* item, const char* value);
    // The Bar Height and Font Height items of a percentage (nullptr: none).
    TMenuItem* BarHeightItem(int32_t percent) const;
    TMenuItem* FontHeightItem(int32_t percent) const;
    // Runs the Save Size command of a multiplier (1 X for any other value).
    void RunSaveSizeCommand(int32_t value);

    // The look of the symbol as both files store it. A key whose text is
    // none of its words stays unset and changes nothing.
    struct TStoredLook {
        std::optional<std::string> SaveRatio;
        int32_t SaveSize = 1;
        std::optional<bool> HumanReadable;
        std::optional<btCodeSizes> ModuleWidth;
        std::optional<int32_t> BarHeight;
        std::optional<int32_t> FontHeight;
        std::optional<btCodeRotate> Rotation;
        std::optional<btCodeRatio> Ratio;
    };
    // The one reader of the look keys, in their order ("sratio" is
    // "saveratio" in a configuration file, the other names are shared). A
    // value that is no number, or that the engine refuses, raises its error
    // with look holding the keys read before it.
    void ReadStoredLook(TCustomIniFile& ini, const char* section, const char* saveRatioKey, TStoredLook& look) const;
    // Applies what look holds, in key order. The settings file stores the
    // rotation one rotate step behind the one shown.
    void ApplyStoredLook(const TStoredLook& look, bool stepRotation);
    // The caption the data text gives: behind the Bookland prefix for Bookland.
    std::string SymbolCaption(bool bookland, const std::string& data) const;

    std::string FIniPath;
    // The data text changed since the last key went down: only such a key
    // moves the focus on to the add-on when the field is full.
    bool FDataChangedByKey = false;
    // The section and key whose value was last refused for a line break.
    std::string FLineBreakRefused;
    // The data field is being set back to what the symbol holds.
    bool FRestoringData = false;
};

extern TForm1* Form1;

// The user's application-data folder without a trailing separator (empty
// when there is none); the settings folder is this + "/varsona/".
std::string GetAppDataFolder();
// The settings folder, with its trailing separator.
std::string SettingsFolderPath();
// The settings file "varsona.ini" in the settings folder.
std::string SettingsFilePath();
// Creates the settings folder when it is missing (the program has no
// installer). False when it cannot be created.
bool EnsureSettingsFolder();
