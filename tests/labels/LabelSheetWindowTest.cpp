// The label sheet window: its controls as created, its activation (template
// list, first template, the number fields from the current symbol), the
// range clamps, the enabling rules and the key filters.
#include <map>
#include <vector>

#include "labels/LabelConst.h"
#include "platform/controls/ComCtrls.h"
#include "platform/controls/ExtCtrls.h"
#include "tests/labels/LabelsFixture.h"
#include "tests/support/DarkPixels.h"

namespace {

class LabelSheetWindowTest : public LabelsFixture {
protected:
    void SetUp() override {
        LabelsFixture::SetUp();
        StartForms();
        W = frmLabels;
        Dialogs->Clear();
    }
    TfrmLabels* W = nullptr;
};

TEST_F(LabelSheetWindowTest, WindowAsCreated) {
    EXPECT_EQ(W->Caption(), "Print Label Sheets");
    EXPECT_EQ(W->BorderStyle(), bsSingle);
    EXPECT_EQ(W->BorderIcons(), biSystemMenu | biMinimize);
    EXPECT_EQ(W->Position(), poScreenCenter);
    EXPECT_FALSE(W->Visible());
    for (TEdit* e : {W->txtWidth, W->txtHeight, W->txtLmargin, W->txtTmargin, W->txtLeft, W->txtTop, W->hzPitch,
                     W->vrtPitch, W->seqBegininput, W->seqEnd, W->seqBegin}) {
        SCOPED_TRACE(e->Name());
        EXPECT_EQ(e->Text(), "0");
    }
    for (TEdit* e : {W->txtRows, W->txtCol, W->txtNumberPages, W->txtPcol, W->txtProw}) {
        SCOPED_TRACE(e->Name());
        EXPECT_EQ(e->Text(), "1");
    }
    EXPECT_EQ(W->UpDown1->Max(), 999);
    EXPECT_EQ(W->UpDown6->Max(), 999);
    EXPECT_EQ(W->UpDown11->Max(), 999);
    EXPECT_EQ(W->UpDown3->Max(), 100);
    EXPECT_EQ(W->UpDown2->Min(), 1);
    EXPECT_EQ(W->UpDown1->Associate(), W->txtRows);
    EXPECT_EQ(W->txtTopCap->Text(), "");
    EXPECT_EQ(W->txtBottomCap->Text(), "");
    EXPECT_EQ(W->ComboBox1->Items()->Count(), 15);
    EXPECT_EQ(W->SpinEdit1->Value(), 1);
    EXPECT_EQ(W->SpinEdit2->Value(), 1);
    EXPECT_EQ(W->SpinEdit1->MinValue(), W->SpinEdit1->MaxValue());
    EXPECT_EQ(W->lblStart->Hint(), "Labels are numbered left to right, top to bottom");
    EXPECT_EQ(W->SpinEdit2->Hint(), "Last label to print");

    ASSERT_EQ(W->PageControl1->PageCount(), 3);
    EXPECT_EQ(W->PageControl1->ActivePageIndex(), 0);
    EXPECT_EQ(W->TabSheet1->Caption(), "Print Single or Full Sheets");
    EXPECT_EQ(W->TabSheet2->Caption(), "Increment Label Printing");
    EXPECT_EQ(W->TabSheet3->Caption(), "Print From Data File");
    EXPECT_EQ(W->RadioGroup1->ItemIndex(), 0);
    EXPECT_EQ(W->RadioGroup1->Items()->Text(), "Full page of the same label\nSingle label\n");
    EXPECT_FALSE(W->PrefixBox->Checked());
    EXPECT_FALSE(W->Prefix->Enabled());
    EXPECT_FALSE(W->lblSuffix->Enabled());
    EXPECT_FALSE(W->seqBegin->Visible());
    EXPECT_EQ(W->spinStart->Value(), 1);
    EXPECT_EQ(W->SpinCol->Value(), 1);

    EXPECT_FALSE(W->Label14->Visible());
    EXPECT_EQ(W->Label14->Caption(), "Printing ...");
    EXPECT_TRUE(W->Label14->Font()->Style() & fsBold);
    EXPECT_FALSE(W->ProgressBar1->Visible());
    EXPECT_EQ(W->ProgressBar1->Max(), 100);
    EXPECT_EQ(W->ProgressBar1->Step(), 1);
    EXPECT_TRUE(W->Button1->Default());
    EXPECT_EQ(W->Button1->Caption(), "&Print Labels");
    EXPECT_EQ(W->Button2->Caption(), "Printer &Setup");
    EXPECT_EQ(W->btnExit->Caption(), "&Close");
    for (TButton* hidden : {W->btnDoPrint, W->btnPrint1, W->btnPrintSeq, W->Button5}) EXPECT_FALSE(hidden->Visible());
    // Created after the main window: the symbology name is there at once.
    EXPECT_EQ(W->BarcodeType->Caption(), "Barcode Type: Code UPC-A");
}

TEST_F(LabelSheetWindowTest, ActivationWithoutTemplateFileGivesTheDefaults) {
    W->txtWidth->SetText("99");
    W->txtTopCap->SetText("typed");
    W->SpinEdit2->SetValue(40);
    Activate(W);
    EXPECT_EQ(W->ComboBox3->Items()->Count(), 0);
    EXPECT_EQ(W->ComboBox3->Text(), "");
    for (TEdit* e :
         {W->txtWidth, W->txtHeight, W->txtLmargin, W->txtTmargin, W->txtLeft, W->txtTop, W->hzPitch, W->vrtPitch}) {
        SCOPED_TRACE(e->Name());
        EXPECT_EQ(e->Text(), "0");
    }
    EXPECT_EQ(W->txtRows->Text(), "1");
    EXPECT_EQ(W->txtCol->Text(), "1");
    EXPECT_EQ(W->txtTopCap->Text(), "0");
    EXPECT_EQ(W->txtBottomCap->Text(), "0");
    EXPECT_EQ(W->ComboBox2->Text(), "8");
    EXPECT_EQ(W->ComboBox1->Text(), "8");
    EXPECT_EQ(W->ComboBox1->Items()->Count(), 15);
    EXPECT_EQ(W->SpinEdit1->Value(), 1);
    EXPECT_EQ(W->SpinEdit2->Value(), 1);
    EXPECT_TRUE(Dialogs->Messages().empty());
}

TEST_F(LabelSheetWindowTest, ActivationLoadsTheFirstTemplateInSortedOrder) {
    TLabelTemplate z, a;
    z.Rows = "9";
    a.Width = "70";
    a.Height = "42.3";
    a.Rows = "7";
    a.Columns = "3";
    a.PageTop = "15.15";
    a.HorzPitch = "70";
    a.VertPitch = "42.3";
    a.TopCaption = "No. %d";
    a.BottomCaption = "";
    a.TopFontSize = "10";
    a.BottomFontSize = "12";
    WriteTemplate("zeta", z);
    WriteTemplate("Alpha", a);
    Activate(W);
    EXPECT_EQ(W->ComboBox3->Items()->Text(), "Alpha\nzeta\n");
    EXPECT_EQ(W->ComboBox3->Text(), "Alpha");
    EXPECT_EQ(W->txtWidth->Text(), "70");
    EXPECT_EQ(W->txtHeight->Text(), "42.3");
    EXPECT_EQ(W->txtRows->Text(), "7");
    EXPECT_EQ(W->txtCol->Text(), "3");
    EXPECT_EQ(W->txtTop->Text(), "15.15");
    EXPECT_EQ(W->hzPitch->Text(), "70");
    EXPECT_EQ(W->vrtPitch->Text(), "42.3");
    EXPECT_EQ(W->txtTopCap->Text(), "No. %d");
    EXPECT_EQ(W->txtBottomCap->Text(), "");
    // "tcapfont" is the top size, shown in ComboBox2.
    EXPECT_EQ(W->ComboBox2->Text(), "10");
    EXPECT_EQ(W->ComboBox1->Text(), "12");
    EXPECT_EQ(W->SpinEdit1->Value(), 1);
    EXPECT_EQ(W->SpinEdit2->Value(), 21);

    // Choosing the other template from the list loads it.
    Choose(W->ComboBox3, 1);
    EXPECT_EQ(W->txtRows->Text(), "9");
    EXPECT_EQ(W->txtWidth->Text(), "0");
    EXPECT_EQ(W->SpinEdit2->Value(), 9);
}

TEST_F(LabelSheetWindowTest, RangeOfLargeSheetsIsComputedIn64Bits) {
    TLabelTemplate t;
    // 65536 x 65536 is 2^32: in 32 bits that is 0 and the stop box would show 1.
    t.Rows = "65536";
    t.Columns = "65536";
    WriteTemplate("huge", t);
    Activate(W);
    EXPECT_EQ(W->SpinEdit2->Value(), 999);
}

TEST_F(LabelSheetWindowTest, TemplateWithRowsThatAreNoNumberFailsWhenTheRangeIsSet) {
    TLabelTemplate t;
    t.Width = "70";
    t.Rows = "seven";
    WriteTemplate("bad", t);
    Activate(W);
    EXPECT_EQ(Dialogs->Messages(), std::vector<std::string>{"'seven' is not a valid integer value."});
    EXPECT_EQ(W->txtWidth->Text(), "70");
    EXPECT_EQ(W->txtRows->Text(), "seven");
}

// ---------------------------------------------------------------- number fields from the current symbol

struct SymbolRow {
    const char* Name;
    const char* Symbology;
    const char* Data;
    bool PrefixChecked;
    const char* Prefix;
    const char* Number;
};

class ActivationSymbolTest : public LabelSheetWindowTest, public ::testing::WithParamInterface<SymbolRow> {};

TEST_P(ActivationSymbolTest, SplitsThePrefix) {
    const SymbolRow& row = GetParam();
    SetSymbol(row.Symbology, row.Data);
    W->Prefix->SetText("old");
    W->SuffixBox->SetChecked(true);
    W->Suffix->SetText("kept");
    Activate(W);
    EXPECT_EQ(W->PrefixBox->Checked(), row.PrefixChecked);
    EXPECT_EQ(W->Prefix->Enabled(), row.PrefixChecked);
    EXPECT_EQ(W->lblPrefix->Enabled(), row.PrefixChecked);
    EXPECT_EQ(W->Prefix->Text(), row.Prefix);
    EXPECT_EQ(W->seqBegininput->Text(), row.Number);
    EXPECT_EQ(W->seqEnd->Text(), row.Number);
    EXPECT_EQ(W->seqBegin->Text(), row.Number);
    EXPECT_EQ(W->Suffix->Text(), "kept");
    EXPECT_EQ(W->BarcodeType->Caption(), std::string("Barcode Type: ") + row.Symbology);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ActivationSymbolTest,
    ::testing::Values(SymbolRow{"UpcA11Digits", "Code UPC-A", "01234567890", true, "012345", "67890"},
                      SymbolRow{"UpcA9Characters", "Code UPC-A", "012345678", false, "", "012345678"},
                      SymbolRow{"UpcA10Characters", "Code UPC-A", "0123456789", true, "012345", "6789"},
                      SymbolRow{"Ean13", "Code EAN-13", "400638133393", true, "400638", "133393"},
                      // Bookland's caption is the stored prefix and the nine digits typed.
                      SymbolRow{"Bookland", "Bookland (ISBN)", "316148410", true, "978316", "148410"},
                      SymbolRow{"Code39StaysWhole", "CODE 39", "ABCDEFGHIJKL", false, "", "ABCDEFGHIJKL"},
                      SymbolRow{"EmptyCaption", "Code UPC-A", "", false, "", "0"},
                      SymbolRow{"EmptyCode128", "Code 128 - Table B", "", false, "", "0"}),
    [](const auto& info) { return std::string(info.param.Name); });

struct LengthRow {
    const char* Symbology;
    int32_t MaxLength;
};

class CountingMaxLengthTest : public LabelSheetWindowTest, public ::testing::WithParamInterface<LengthRow> {};

TEST_P(CountingMaxLengthTest, ByTypeThenByName) {
    SetSymbol(GetParam().Symbology, "");
    Activate(W);
    EXPECT_EQ(W->seqBegininput->MaxLength(), GetParam().MaxLength);
    EXPECT_EQ(W->seqEnd->MaxLength(), GetParam().MaxLength);
}

INSTANTIATE_TEST_SUITE_P(Rows, CountingMaxLengthTest,
                         ::testing::Values(LengthRow{"Code EAN-8", 7}, LengthRow{"Code EAN-13", 12},
                                           LengthRow{"Code UPC-A", 11}, LengthRow{"Code UPC-E", 6},
                                           LengthRow{"CODE 39", 50}, LengthRow{"Code 2 of 5 interleaved", 50},
                                           LengthRow{"Codabar", 50}, LengthRow{"Code 128 - Table A", 50},
                                           LengthRow{"Code 128 - Table B", 50}, LengthRow{"Code 128 - Table C", 50},
                                           LengthRow{"Postnet 5-digit", 5}, LengthRow{"Postnet 9-digit", 9},
                                           LengthRow{"Postnet 11-digit", 11}, LengthRow{"MSI Plessey", 50},
                                           LengthRow{"Bookland (ISBN)", 12}),
                         [](const auto& info) {
                             std::string name;
                             for (char c : std::string(info.param.Symbology))
                                 if (std::isalnum(static_cast<unsigned char>(c))) name += c;
                             return name;
                         });

TEST_F(LabelSheetWindowTest, NewMaximumDoesNotShortenTheText) {
    // An EAN-8 caption of eight digits (the control keeps what it is given).
    SetSymbol("Code EAN-8", "12345670");
    Activate(W);
    EXPECT_EQ(W->seqBegininput->MaxLength(), 7);
    EXPECT_EQ(W->seqBegininput->Text(), "12345670");
    // Typing stops at the maximum.
    W->Show();
    W->seqEnd->SetText("");
    TypeText(W->seqEnd, "123456789");
    EXPECT_EQ(W->seqEnd->Text(), "1234567");
}

TEST_F(LabelSheetWindowTest, TabChangeShowsTheSymbologyName) {
    SetSymbol("MSI Plessey", "123");
    EXPECT_EQ(W->BarcodeType->Caption(), "Barcode Type: Code UPC-A");
    GuardedCall(W->PageControl1, [this] { W->PageControl1->UserSelected(1); });
    EXPECT_EQ(W->BarcodeType->Caption(), "Barcode Type: MSI Plessey");
}

TEST_F(LabelSheetWindowTest, ActivationKeepsCopiesRadioChoiceAndDataStart) {
    W->txtNumberPages->SetText("3");
    W->RadioGroup1->SetItemIndex(1);
    W->spinStart->SetValue(4);
    Activate(W);
    EXPECT_EQ(W->txtNumberPages->Text(), "3");
    EXPECT_EQ(W->RadioGroup1->ItemIndex(), 1);
    EXPECT_EQ(W->spinStart->Value(), 4);
    EXPECT_FALSE(W->SpinEdit1->Enabled());
}

// ---------------------------------------------------------------- enabling and clamps

TEST_F(LabelSheetWindowTest, RadioGroupSwitchesPositionAndRange) {
    auto check = [this](bool single) {
        for (TControl* c :
             std::vector<TControl*>{W->txtPcol, W->txtProw, W->lblPcol, W->lblProw, W->UpDown3, W->UpDown2})
            EXPECT_EQ(c->Enabled(), single) << c->Name();
        for (TControl* c : std::vector<TControl*>{W->SpinEdit1, W->SpinEdit2, W->lblStart, W->lblStop})
            EXPECT_EQ(c->Enabled(), !single) << c->Name();
    };
    check(false);
    W->RadioGroup1->SetItemIndex(1);
    check(true);
    W->RadioGroup1->SetItemIndex(0);
    check(false);
}

// The switched-off fields refused typing but were drawn like active ones.
TEST_F(LabelSheetWindowTest, SwitchedOffFieldsAreDrawnSwitchedOff) {
    auto dark = [](TControl* control) { return DarkPixels(control); };
    W->Show();
    const std::vector<TControl*> position{W->txtPcol, W->txtProw, W->lblPcol, W->lblProw};
    const std::vector<TControl*> range{W->SpinEdit1, W->SpinEdit2, W->lblStart, W->lblStop};
    std::map<TControl*, int> on;
    for (TControl* c : range) on[c] = dark(c);
    W->RadioGroup1->SetItemIndex(1);
    for (TControl* c : position) on[c] = dark(c);
    for (TControl* c : range) EXPECT_LT(dark(c), on[c] / 4 + 1) << c->Name();
    W->RadioGroup1->SetItemIndex(0);
    for (TControl* c : position) EXPECT_LT(dark(c), on[c] / 4 + 1) << c->Name();
    for (TControl* c : position) EXPECT_GT(on[c], 10) << c->Name();
    W->PrefixBox->SetChecked(true);
    const int label = dark(W->lblPrefix);
    W->PrefixBox->SetChecked(false);
    EXPECT_LT(dark(W->lblPrefix), label / 4 + 1);
}

// Rows, columns and copies typed, pasted or loaded are held to their
// up-downs' range: 1,000,000,000 rows froze the window for minutes.
TEST_F(LabelSheetWindowTest, CountsAreHeldToTheUpDownsRange) {
    W->Show();
    for (TEdit* field : {W->txtRows, W->txtCol, W->txtNumberPages}) {
        SCOPED_TRACE(field->Name());
        field->SetText("");
        TypeText(field, "1000000000");
        EXPECT_EQ(field->Text(), "999");
        field->SetText("");
        field->PasteText("12345");
        EXPECT_EQ(field->Text(), "999");
        field->SetText("0");
        EXPECT_EQ(field->Text(), "0");
    }
    TLabelTemplate t;
    t.Rows = "1000000000";
    t.Columns = "3";
    WriteTemplate("huge", t);
    Activate(W);
    EXPECT_EQ(W->txtRows->Text(), "999");
    EXPECT_EQ(W->SpinEdit2->Value(), 999);
}

TEST_F(LabelSheetWindowTest, PrefixAndSuffixBoxes) {
    W->PrefixBox->SetChecked(true);
    EXPECT_TRUE(W->Prefix->Enabled());
    EXPECT_TRUE(W->lblPrefix->Enabled());
    W->Prefix->SetText("ABC");
    W->PrefixBox->SetChecked(false);
    EXPECT_FALSE(W->Prefix->Enabled());
    EXPECT_EQ(W->Prefix->Text(), "");
    W->SuffixBox->SetChecked(true);
    W->Suffix->SetText("-X");
    EXPECT_TRUE(W->Suffix->Enabled());
    W->SuffixBox->SetChecked(false);
    EXPECT_EQ(W->Suffix->Text(), "");
    EXPECT_FALSE(W->lblSuffix->Enabled());
}

TEST_F(LabelSheetWindowTest, StartNumberIsCopiedIntoTheRunningNumber) {
    W->seqBegininput->SetText("0042");
    EXPECT_EQ(W->seqBegin->Text(), "0042");
}

struct ClampRow {
    const char* Typed;
    int32_t Value;
};

class RangeClampTest : public LabelSheetWindowTest, public ::testing::WithParamInterface<ClampRow> {};

TEST_P(RangeClampTest, TypedIntoBothBoxes) {
    W->Show();
    for (TSpinEdit* box : {W->SpinEdit1, W->SpinEdit2}) {
        SCOPED_TRACE(box->Name());
        box->SelectAll();
        TypeText(box, GetParam().Typed);
        EXPECT_EQ(box->Value(), GetParam().Value);
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, RangeClampTest,
                         ::testing::Values(ClampRow{"0", 1}, ClampRow{"1500", 999}, ClampRow{"999", 999},
                                           ClampRow{"1000", 999}, ClampRow{"42", 42}),
                         [](const auto& info) { return std::string("Typed") + info.param.Typed; });

TEST_F(LabelSheetWindowTest, StartMayExceedTheStop) {
    W->SpinEdit2->SetValue(3);
    W->SpinEdit1->SetValue(8);
    EXPECT_EQ(W->SpinEdit1->Value(), 8);
    EXPECT_EQ(W->SpinEdit2->Value(), 3);
    W->SpinEdit1->SetValue(-4);
    EXPECT_EQ(W->SpinEdit1->Value(), 1);
}

// ---------------------------------------------------------------- filters

TEST_F(LabelSheetWindowTest, DecimalAndDigitFilters) {
    W->Show();
    for (TEdit* e :
         {W->txtWidth, W->txtHeight, W->txtLmargin, W->txtTmargin, W->txtLeft, W->txtTop, W->hzPitch, W->vrtPitch}) {
        SCOPED_TRACE(e->Name());
        e->SetText("");
        TypeText(e, "1a2.5,x");
        EXPECT_EQ(e->Text(), "12.5,");
    }
    for (TEdit* e : {W->txtRows, W->txtCol, W->txtNumberPages}) {
        SCOPED_TRACE(e->Name());
        e->SetText("");
        TypeText(e, "1a2.5,x");
        EXPECT_EQ(e->Text(), "125");
    }
    W->txtTopCap->SetText("");
    TypeText(W->txtTopCap, "No. %d");
    EXPECT_EQ(W->txtTopCap->Text(), "No. %d");
}

// ---------------------------------------------------------------- other buttons

TEST_F(LabelSheetWindowTest, CreateTemplateShowsTheEditorAndCloseHides) {
    W->Show();
    UserClick(W->Button3);
    EXPECT_TRUE(frmLabelsProps->Visible());
    UserClick(W->btnExit);
    EXPECT_FALSE(W->Visible());
}

TEST_F(LabelSheetWindowTest, PrinterSetupRunsTheSharedDialog) {
    Dialogs->AnswerPrinterSetup(true);
    UserClick(W->Button2);
    ASSERT_EQ(Dialogs->Log().size(), 1u);
    EXPECT_EQ(Dialogs->Log()[0].Kind, TDialogKind::PrinterSetup);
    EXPECT_EQ(Dialogs->Pending(), 0u);
}

TEST_F(LabelSheetWindowTest, CreatedAfterTheMainWindowInOrder) {
    std::vector<std::string> forms;
    for (int32_t i = 0; i < Application->ComponentCount(); ++i)
        if (dynamic_cast<TForm*>(Application->Components(i))) forms.push_back(Application->Components(i)->Name());
    ASSERT_GE(forms.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(forms.begin(), forms.begin() + 4),
              (std::vector<std::string>{"Form1", "frmLabels", "frmLabelsProps", "frmCaptions"}));
    EXPECT_EQ(LabelsWindow(), frmLabels);
    EXPECT_EQ(LabelsPropsWindow(), frmLabelsProps);
}

TEST_F(LabelSheetWindowTest, MainMenuCommandsShowTheWindows) {
    GuardedCall(Form1, [] { Form1->PrintLabelSheets1->Click(); });
    EXPECT_TRUE(frmLabels->Visible());
    GuardedCall(Form1, [] { Form1->CreateLabelTemplate1->Click(); });
    EXPECT_TRUE(frmLabelsProps->Visible());
}

}  // namespace
