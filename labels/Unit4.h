// The label sheet window: the sheet geometry and captions (from a label
// template or typed), the copies, and three tabs: a full or partial sheet or
// a single label of the main window's symbol, counting numbers, and the
// label data table. Its four print operations run from hidden buttons.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "labels/LabelGeometry.h"
#include "labels/LabelTemplates.h"
#include "platform/controls/Forms.h"
#include "platform/controls/Grids.h"
#include "platform/controls/StdCtrls.h"

class TBarcode;
class TUpDown;
class TPageControl;
class TTabSheet;
class TProgressBar;
class TRadioGroup;
class TSpinEdit;
class TPanel;
class TPrinterSetupDialog;
class TOpenDialog;
class TSaveDialog;
class TVsStringGrid;

class TfrmLabels : public TForm {
public:
    explicit TfrmLabels(TComponent* owner);
    ~TfrmLabels() override;

    // ---- "Label Templates"
    TGroupBox* GroupBox1 = nullptr;
    TComboBox* ComboBox3 = nullptr;
    TButton* Button3 = nullptr;
    TButton* Button4 = nullptr;

    // ---- "Label Properties (millimeters)"
    TGroupBox* GroupBox2 = nullptr;
    TLabel* Label1 = nullptr;
    TEdit* txtWidth = nullptr;
    TLabel* Label2 = nullptr;
    TEdit* txtHeight = nullptr;
    TLabel* Label3 = nullptr;
    TEdit* txtLmargin = nullptr;
    TLabel* Label4 = nullptr;
    TEdit* txtTmargin = nullptr;

    // ---- "Page Properties (millimeters)"
    TGroupBox* GroupBox3 = nullptr;
    TLabel* Label5 = nullptr;
    TEdit* txtRows = nullptr;
    TUpDown* UpDown1 = nullptr;
    TLabel* Label6 = nullptr;
    TEdit* txtCol = nullptr;
    TUpDown* UpDown6 = nullptr;
    TLabel* Label7 = nullptr;
    TEdit* txtLeft = nullptr;
    TLabel* Label8 = nullptr;
    TEdit* txtTop = nullptr;
    TLabel* Label9 = nullptr;
    TEdit* hzPitch = nullptr;
    TLabel* Label10 = nullptr;
    TEdit* vrtPitch = nullptr;

    // ---- captions and copies
    TGroupBox* GroupBox4 = nullptr;
    TLabel* Label11 = nullptr;
    TEdit* txtTopCap = nullptr;
    TLabel* Label12 = nullptr;
    TComboBox* ComboBox2 = nullptr;  // top caption size
    TLabel* Label13 = nullptr;
    TEdit* txtBottomCap = nullptr;
    TLabel* Label15 = nullptr;
    TComboBox* ComboBox1 = nullptr;  // bottom caption size
    TLabel* Label16 = nullptr;
    TEdit* txtNumberPages = nullptr;
    TUpDown* UpDown11 = nullptr;

    // ---- tabs
    TPageControl* PageControl1 = nullptr;
    // 1: "Print Single or Full Sheets"
    TTabSheet* TabSheet1 = nullptr;
    TRadioGroup* RadioGroup1 = nullptr;
    TLabel* lblPcol = nullptr;
    TEdit* txtPcol = nullptr;
    TUpDown* UpDown3 = nullptr;
    TLabel* lblProw = nullptr;
    TEdit* txtProw = nullptr;
    TUpDown* UpDown2 = nullptr;
    TGroupBox* GroupBox5 = nullptr;  // "Print Range"
    TLabel* lblStart = nullptr;
    TSpinEdit* SpinEdit1 = nullptr;
    TLabel* lblStop = nullptr;
    TSpinEdit* SpinEdit2 = nullptr;
    // 2: "Increment Label Printing"
    TTabSheet* TabSheet2 = nullptr;
    TCheckBox* PrefixBox = nullptr;
    TLabel* lblPrefix = nullptr;
    TEdit* Prefix = nullptr;
    TLabel* Label17 = nullptr;
    TEdit* seqBegininput = nullptr;
    TLabel* Label18 = nullptr;
    TEdit* seqEnd = nullptr;
    TEdit* seqBegin = nullptr;  // hidden: the running number of a counting print
    TCheckBox* SuffixBox = nullptr;
    TLabel* lblSuffix = nullptr;
    TEdit* Suffix = nullptr;
    TLabel* BarcodeType = nullptr;
    // 3: "Print From Data File"
    TTabSheet* TabSheet3 = nullptr;
    TVsStringGrid* StringGrid1 = nullptr;  // the label data table
    TButton* Button6 = nullptr;            // "&Load File"
    TButton* Button7 = nullptr;            // "&Save File"
    TButton* Button8 = nullptr;            // "&Edit"
    TLabel* Label19 = nullptr;
    TSpinEdit* spinStart = nullptr;
    TLabel* Label20 = nullptr;
    TSpinEdit* SpinCol = nullptr;

    // ---- bottom row and progress
    TButton* btnExit = nullptr;
    TButton* Button2 = nullptr;
    TButton* Button1 = nullptr;
    TLabel* Label14 = nullptr;
    TProgressBar* ProgressBar1 = nullptr;
    // Beside the progress display while a print runs; Escape presses it.
    TButton* btnCancelPrint = nullptr;

    // ---- hidden print buttons
    TButton* btnDoPrint = nullptr;
    TButton* btnPrint1 = nullptr;
    TButton* btnPrintSeq = nullptr;
    TButton* Button5 = nullptr;

    TPrinterSetupDialog* PrinterSetupDialog1 = nullptr;
    TOpenDialog* OpenDialog1 = nullptr;
    TSaveDialog* SaveDialog1 = nullptr;

    // The print-time barcode control while a print runs, else null.
    TBarcode* PrintBarcode() const { return FPrintBarcode.get(); }
    // A print is running: the window's other commands wait for its end.
    bool Printing() const { return FPrinting; }

    // ---- window handlers
    void FormCreate(TObject* Sender);
    void FormActivate(TObject* Sender);
    void FormHide(TObject* Sender);
    void PageControl1Change(TObject* Sender);
    void ComboBox3Change(TObject* Sender);
    void Button3Click(TObject* Sender);
    void Button4Click(TObject* Sender);
    void Button2Click(TObject* Sender);
    void btnExitClick(TObject* Sender);
    void Button1Click(TObject* Sender);
    void RadioGroup1Click(TObject* Sender);
    void SpinEdit1Change(TObject* Sender);
    void SpinEdit2Change(TObject* Sender);
    void PrefixBoxClick(TObject* Sender);
    void SuffixBoxClick(TObject* Sender);
    void seqBegininputChange(TObject* Sender);
    void txtRowsChange(TObject* Sender);
    void txtColChange(TObject* Sender);
    void txtNumberPagesChange(TObject* Sender);
    void btnCancelPrintClick(TObject* Sender);
    // ---- the label data table (Unit4Data.cpp)
    // StringGrid1 as a string grid (for code that cannot see the grid's
    // own header beside the common controls').
    TStringGrid* DataTable() const;
    void Button6Click(TObject* Sender);
    void Button7Click(TObject* Sender);
    void Button8Click(TObject* Sender);
    // The table changed since it was last loaded or saved (Save Changes of
    // the data editor sets it).
    bool DataTableChanged() const { return FDataTableChanged; }
    void SetDataTableChanged(bool changed) { FDataTableChanged = changed; }
    // Asks before the table's changes would be lost: Yes saves them (true
    // once saved), No lets them go (true), Cancel keeps them (false).
    bool AskToKeepDataTable();
    // Before the program ends: the data editor's edits, then the table.
    bool CanEndProgram();
    void txtWidthKeyPress(TObject* Sender, char32_t& Key);
    void txtHeightKeyPress(TObject* Sender, char32_t& Key);
    void txtLmarginKeyPress(TObject* Sender, char32_t& Key);
    void txtTmarginKeyPress(TObject* Sender, char32_t& Key);
    void txtLeftKeyPress(TObject* Sender, char32_t& Key);
    void txtTopKeyPress(TObject* Sender, char32_t& Key);
    void hzPitchKeyPress(TObject* Sender, char32_t& Key);
    void vrtPitchKeyPress(TObject* Sender, char32_t& Key);
    void txtRowsKeyPress(TObject* Sender, char32_t& Key);
    void txtColKeyPress(TObject* Sender, char32_t& Key);
    void txtNumberPagesKeyPress(TObject* Sender, char32_t& Key);

    // ---- print operations
    void btnDoPrintClick(TObject* Sender);
    void btnPrint1Click(TObject* Sender);
    void btnPrintSeqClick(TObject* Sender);
    void Button5Click(TObject* Sender);

    // The field of each template key, in key order.
    std::array<TControl*, TemplateKeyCount> TemplateFields() const;
    // The sheet geometry from the fields, converted in the print order.
    TSheetGeometry ReadSheetGeometry() const;
    // The print range boxes as the range rule reads them.
    TPrintRange ReadPrintRange() const;

private:
    class TPrintRun;
    class TPrintSession;
    void BuildControls();
    void SetPrefixEnabled(bool enabled);
    void SetSuffixEnabled(bool enabled);
    void ShowSymbolName();
    // The sheet-or-range and single-label prints: one job, one page.
    void PrintSheet(bool singleLabel);
    // One page of a counting run; false when the checks refused the run.
    bool PrintCountingPage();
    void PrintDataTable();
    // The label data table on the third tab (Unit4Data.cpp).
    void BuildDataTable(TWinControl* parent);
    // The table's data rows, each of its first 16 columns.
    std::vector<std::vector<std::string>> DataTableRows() const;
    static void ClampRangeBox(TSpinEdit& box);
    // Lets the window answer (Cancel, Escape, painting) while a print runs;
    // true once the print is to stop.
    bool PrintCancelled();

    std::unique_ptr<TBarcode> FPrintBarcode;
    bool FPrinting = false;
    bool FCancelRequested = false;
    bool FDataTableChanged = false;
    uint32_t FLastPoll = 0;
};

extern TfrmLabels* frmLabels;

// What the label windows read from the main window: its barcode control and
// the display name of the selected symbology.
const TBarcode& CurrentSymbolBarcode();
std::string CurrentSymbolName();
