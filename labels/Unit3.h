// The template editor: creates and updates named label templates in the
// label template file.
#pragma once

#include <array>

#include "labels/LabelTemplates.h"
#include "platform/controls/Forms.h"
#include "platform/controls/StdCtrls.h"

class TfrmLabelsProps : public TForm {
public:
    explicit TfrmLabelsProps(TComponent* owner);
    ~TfrmLabelsProps() override;

    // "Label Properties:"
    TGroupBox* GroupBox1 = nullptr;
    TLabel* Label1 = nullptr;
    TEdit* txtLabelWidth = nullptr;
    TLabel* Label2 = nullptr;
    TEdit* txtHeight = nullptr;
    TLabel* Label3 = nullptr;
    TEdit* txtLMargin = nullptr;
    TLabel* Label4 = nullptr;
    TEdit* txtTMargin = nullptr;
    // "Page Properties:"
    TGroupBox* GroupBox2 = nullptr;
    TLabel* Label5 = nullptr;
    TEdit* txtRows = nullptr;
    TLabel* Label6 = nullptr;
    TEdit* txtCol = nullptr;
    TLabel* Label7 = nullptr;
    TEdit* txtLeft = nullptr;
    TLabel* Label8 = nullptr;
    TEdit* txtTop = nullptr;
    TLabel* Label9 = nullptr;
    TEdit* txtGutterh = nullptr;
    TLabel* Label10 = nullptr;
    TEdit* txtGutterv = nullptr;
    // "Optional Captions:"
    TGroupBox* GroupBox3 = nullptr;
    TLabel* Label11 = nullptr;
    TEdit* txtTopCap = nullptr;
    TLabel* Label12 = nullptr;
    TComboBox* ComboBox1 = nullptr;
    TLabel* Label13 = nullptr;
    TEdit* txtBottomCap = nullptr;
    TLabel* Label14 = nullptr;
    TComboBox* ComboBox2 = nullptr;
    // Template choice and name.
    TLabel* Label15 = nullptr;
    TComboBox* ComboBox3 = nullptr;
    TLabel* Label16 = nullptr;
    TEdit* txtName = nullptr;
    TButton* Button1 = nullptr;
    TButton* Button2 = nullptr;

    void FormActivate(TObject* Sender);
    void ComboBox3Change(TObject* Sender);
    void Button1Click(TObject* Sender);
    void Button2Click(TObject* Sender);
    void txtLabelWidthKeyPress(TObject* Sender, char32_t& Key);
    void txtRowsKeyPress(TObject* Sender, char32_t& Key);
    void txtColKeyPress(TObject* Sender, char32_t& Key);

    // The field of each template key, in key order.
    std::array<TControl*, TemplateKeyCount> TemplateFields() const;
};

extern TfrmLabelsProps* frmLabelsProps;

// The typing filters both label windows use: digits, "." and "," and
// Backspace for lengths; digits and Backspace for counts. Any other typed
// character is discarded (Key set to 0).
void DecimalKeyFilter(char32_t& Key);
void DigitKeyFilter(char32_t& Key);

// The font-size list, filled into a caption size combo with "6" selected.
void FillFontSizes(TComboBox& combo);

// A count typed, pasted or loaded beyond the up-downs' range (999) becomes
// 999, so that no print walks a billion rows; 0 and empty text stay.
void HoldToCountRange(TEdit& field);
