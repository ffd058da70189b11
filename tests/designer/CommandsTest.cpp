// The symbol commands of the main window.
#include <QAbstractItemView>
#include <QComboBox>
#include <QFontMetrics>

#include "designer/DesignerConst.h"
#include "platform/controls/qt/ControlsQt.h"
#include "designer/SymbologyList.h"
#include "tests/designer/DesignerFixture.h"

namespace {

class CommandsTest : public DesignerFixture {
protected:
    void SetUp() override {
        DesignerFixture::SetUp();
        MakeSettingsFolder();
        StartForms();
    }
    TBarcode& Bar() { return *Form1->Barcode1; }
};

TEST_F(CommandsTest, FourRotationsComeBackAndTheFileHoldsTheRotationBefore) {
    Bar().SetBar_Rotation(rotate_000);
    Form1->Rotate90Degrees1->Click();
    EXPECT_EQ(Bar().Bar_Rotation(), rotate_270);
    EXPECT_EQ(Ini("varsona", "rotation"), "rotate_000");
    const btCodeRotate expected[] = {rotate_180, rotate_090, rotate_000};
    const char* stored[] = {"rotate_270", "rotate_180", "rotate_090"};
    for (int i = 0; i < 3; ++i) {
        Form1->Button6->Click();
        EXPECT_EQ(Bar().Bar_Rotation(), expected[i]);
        EXPECT_EQ(Ini("varsona", "rotation"), stored[i]);
    }
}

TEST_F(CommandsTest, BooklandTakesNineCharactersBehindThePrefix) {
    UserChoose(Form1->ComboBox1, BooklandIndex);
    EXPECT_EQ(Bar().Bar_CodeType(), EAN_13);
    EXPECT_EQ(Form1->Edit1->MaxLength(), 9);
    Form1->Edit1->SetText("123456789");
    EXPECT_EQ(Bar().Bar_Caption(), "978123456789");
    EXPECT_EQ(Ini("varsona", "14"), "123456789");
    // A longer text from code: the caption takes the first nine.
    Form1->Edit1->SetText("1234567890123");
    EXPECT_EQ(Bar().Bar_Caption(), "978123456789");
    EXPECT_EQ(Ini("varsona", "14"), "1234567890123");
}

TEST_F(CommandsTest, BooklandPrefixAnswers) {
    UserChoose(Form1->ComboBox1, BooklandIndex);
    Form1->Edit1->SetText("123456789");
    Dialogs->AnswerInput("979");
    Form1->BooklandPrefix1->Click();
    const TDialogRequest& q = Dialogs->Log().back();
    EXPECT_EQ(q.Kind, TDialogKind::InputQuery);
    EXPECT_EQ(q.Caption, "Varsona");
    EXPECT_EQ(q.Text, "Enter Bookland Prefix. Default is 978:");
    EXPECT_EQ(q.Value, "");
    EXPECT_EQ(Ini("addon", "bklandpre"), "979");
    EXPECT_EQ(Bar().Bar_Caption(), "979123456789");
    Form1->Edit1->SetText("555555555");
    EXPECT_EQ(Bar().Bar_Caption(), "979555555555");

    // An empty answer and Cancel keep the prefix.
    Dialogs->AnswerInput("");
    Form1->BooklandPrefix1->Click();
    Dialogs->CancelInput();
    Form1->BooklandPrefix1->Click();
    EXPECT_EQ(Ini("addon", "bklandpre"), "979");
    EXPECT_EQ(Bar().Bar_Caption(), "979555555555");

    // An empty stored prefix reads as 978.
    SetIni("addon", "bklandpre", "");
    Form1->Edit1->SetText("111111111");
    EXPECT_EQ(Bar().Bar_Caption(), "978111111111");
}

TEST_F(CommandsTest, SwitchingSymbologiesRestoresDataAndAddon) {
    UserChoose(Form1->ComboBox1, 1);
    Form1->Edit1->SetText("590123412345");
    Form1->Edit2->SetText("12");
    EXPECT_EQ(Ini("addon", "Ean13"), "12");
    UserChoose(Form1->ComboBox1, 4);
    EXPECT_EQ(Form1->Edit2->Text(), "");
    EXPECT_EQ(Bar().Bar_CodeAddon(), "");
    EXPECT_EQ(Ini("addon", "Ean13"), "12");  // clearing writes nothing
    Form1->Edit1->SetText("CODE-39");
    EXPECT_EQ(Bar().Bar_CodeType(), CODE39);
    UserChoose(Form1->ComboBox1, 1);
    EXPECT_EQ(Form1->Edit1->Text(), "590123412345");
    EXPECT_EQ(Form1->Edit2->Text(), "12");
    EXPECT_EQ(Bar().Bar_Caption(), "590123412345");
    EXPECT_EQ(Bar().Bar_CodeAddon(), "12");
    UserChoose(Form1->ComboBox1, 4);
    EXPECT_EQ(Form1->Edit1->Text(), "CODE-39");
    EXPECT_TRUE(Dialogs->Messages().empty());
}

TEST_F(CommandsTest, AddonKeysPerSymbology) {
    struct Row {
        int32_t Index;
        const char* Key;
    };
    const Row rows[] = {{1, "Ean13"}, {2, "UPCA"}, {BooklandIndex, "bookland"}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.Key);
        UserChoose(Form1->ComboBox1, r.Index);
        Form1->Edit2->SetText("1a2b3");
        EXPECT_EQ(Ini("addon", r.Key), "1a2b3");
        EXPECT_EQ(Bar().Bar_CodeAddon(), "12");
    }
    UserChoose(Form1->ComboBox1, 0);
    Form1->Edit2->SetText("55");
    TIniFile ini(IniPath());
    TStringList keys;
    ini.ReadSection("addon", keys);
    EXPECT_EQ(keys.Count(), 3);
}

TEST_F(CommandsTest, TypeMenusFollowTheSymbology) {
    for (int32_t i = 0; i < SymbologyCount; ++i) {
        SCOPED_TRACE(SymbologyList[i].Name);
        UserChoose(Form1->ComboBox1, i);
        EXPECT_EQ(Form1->BarRatio1->Enabled(), SymbologyList[i].RatioMenu);
        EXPECT_EQ(Form1->Zoom1->Enabled(), SymbologyList[i].ZoomMenu);
        EXPECT_EQ(Bar().Bar_CodeType(), SymbologyList[i].CodeType);
        EXPECT_EQ(Form1->Edit1->MaxLength(), SymbologyList[i].MaxLength);
        EXPECT_EQ(Ini("varsona", "bctype"), std::to_string(i));
    }
    UserChoose(Form1->ComboBox1, 11);
    EXPECT_FALSE(Form1->BarRatio1->Enabled());
    EXPECT_FALSE(Form1->Zoom1->Enabled());
    UserChoose(Form1->ComboBox1, 6);
    EXPECT_TRUE(Form1->BarRatio1->Enabled());
    EXPECT_TRUE(Form1->Zoom1->Enabled());
}

TEST_F(CommandsTest, RatioAppliesWhateverTheSymbology) {
    UserChoose(Form1->ComboBox1, 1);
    Form1->N3to11->Click();
    EXPECT_EQ(Bar().Bar_Ratio(), Ratio_2);
    EXPECT_TRUE(Form1->N3to11->Checked());
    EXPECT_FALSE(Form1->N3to12->Checked());
}

TEST_F(CommandsTest, HumanReadableTwiceWritesFalseThenTrue) {
    Form1->HumanReadable1->Click();
    EXPECT_EQ(Ini("varsona", "humanread"), "False");
    EXPECT_FALSE(Bar().Bar_HumanReadable());
    Form1->HumanReadable1->Click();
    EXPECT_EQ(Ini("varsona", "humanread"), "True");
    EXPECT_TRUE(Bar().Bar_HumanReadable());
    EXPECT_TRUE(Form1->HumanReadable1->Checked());
}

TEST_F(CommandsTest, ZoomTogglesTheModuleWidth) {
    Form1->Zoom1->Click();
    EXPECT_EQ(Bar().Bar_ModuleWidth(), SC9);
    EXPECT_TRUE(Form1->Zoom1->Checked());
    EXPECT_EQ(Ini("varsona", "zoom"), "SC9");
    Form1->Zoom1->Click();
    EXPECT_EQ(Bar().Bar_ModuleWidth(), SC2);
    EXPECT_FALSE(Form1->Zoom1->Checked());
    EXPECT_EQ(Ini("varsona", "zoom"), "SC2");
}

TEST_F(CommandsTest, ShortcutsReachTheirItems) {
    struct Row {
        TMenuItem* Item;
        const char* Text;
    };
    const Row rows[] = {{Form1->OpenBarcodeConfiguration1, "Ctrl+O"}, {Form1->N1, "Ctrl+S"},
                        {Form1->Print1, "Ctrl+P"}, {Form1->PrinterSetup1, "Ctrl+Alt+P"},
                        {Form1->Copy1, "Ctrl+C"}, {Form1->Rotate90Degrees1, "Ctrl+R"}, {Form1->Zoom1, "Ctrl+Z"}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.Text);
        EXPECT_EQ(ShortCutToText(r.Item->ShortCut()), r.Text);
        EXPECT_EQ(Form1->MainMenu1->FindShortCut(r.Item->ShortCut()), r.Item);
    }
    Bar().SetBar_Rotation(rotate_000);
    EXPECT_TRUE(Form1->MainMenu1->IsShortCut('R', ssCtrl));
    EXPECT_EQ(Bar().Bar_Rotation(), rotate_270);
}

TEST_F(CommandsTest, TypingTheLastCharacterMovesOnToTheAddon) {
    MakeActiveWindow(*Form1);
    Form1->Edit1->SetFocus();
    TypeText(Form1->Edit1, "1234567890");
    EXPECT_TRUE(Form1->Edit1->Focused());
    TypeText(Form1->Edit1, "1");
    EXPECT_EQ(Form1->Edit1->Text(), "12345678901");
    EXPECT_EQ(Ini("varsona", "2"), "12345678901");
    EXPECT_TRUE(Form1->Edit2->Focused());
}

// Releasing a key that did not change the data (Ctrl+A, Home, an arrow,
// Shift) leaves the focus in a full field, so that the Backspace after it
// edits the data, not the add-on.
TEST_F(CommandsTest, OnlyAKeyThatChangedTheDataMovesOnToTheAddon) {
    UserChoose(Form1->ComboBox1, 1);
    MakeActiveWindow(*Form1);
    Form1->Edit2->SetText("12345");
    Form1->Edit1->SetText("590123412345");  // full, set by code
    struct Key {
        const char* Name;
        Word Code;
        TShiftState Shift;
    };
    const Key keys[] = {{"Ctrl+A", 'A', ssCtrl}, {"Home", VK_HOME, 0}, {"Left", VK_LEFT, 0}, {"Shift", VK_SHIFT, ssShift}};
    for (const Key& k : keys) {
        SCOPED_TRACE(k.Name);
        Form1->Edit1->SetFocus();
        Form1->Edit1->SetSelStart(12);
        PressKey(Form1->Edit1, k.Code, k.Shift);
        EXPECT_TRUE(Form1->Edit1->Focused());
    }
    Form1->Edit1->SetSelStart(12);
    PressKey(Form1->Edit1, VK_BACK);
    EXPECT_EQ(Form1->Edit1->Text(), "59012341234");
    EXPECT_EQ(Form1->Edit2->Text(), "12345");
    EXPECT_EQ(Ini("addon", "Ean13"), "12345");
    // Typing the last character again moves on.
    TypeText(Form1->Edit1, "5");
    EXPECT_TRUE(Form1->Edit2->Focused());
}

// A stored data text the engine refuses (more than 50 characters) used to
// show beside the old symbol, and Print used the old data. The field shows
// what the symbol holds, that is stored, and the error is shown once.
TEST_F(CommandsTest, TheDataFieldShowsWhatTheSymbolHolds) {
    UserChoose(Form1->ComboBox1, 4);
    Form1->Edit1->SetText("KEPT");
    SetIni("varsona", "4", std::string(60, 'X'));
    Dialogs->Clear();
    UserChoose(Form1->ComboBox1, 5);
    UserChoose(Form1->ComboBox1, 4);
    ASSERT_EQ(Dialogs->Messages().size(), 1u);
    EXPECT_EQ(Dialogs->Messages()[0], "String exceeds maximum length.");
    EXPECT_EQ(Form1->Edit1->Text(), Bar().Bar_Caption());
    EXPECT_EQ(Ini("varsona", "4"), Bar().Bar_Caption());
    // Bookland: the field shows the digits behind the prefix.
    SetIni("addon", "bklandpre", std::string(45, '9'));
    Dialogs->Clear();
    UserChoose(Form1->ComboBox1, BooklandIndex);
    Form1->Edit1->SetText("123456789");
    ASSERT_EQ(Dialogs->Messages().size(), 1u);
    EXPECT_EQ(Dialogs->Messages()[0], "String exceeds maximum length.");
    const std::string caption = Bar().Bar_Caption();
    EXPECT_TRUE(caption.size() <= 50 && caption.size() >= Form1->Edit1->Text().size());
    EXPECT_EQ(caption.substr(caption.size() - Form1->Edit1->Text().size()), Form1->Edit1->Text());
}

// "X" + line break + "barheight=999" pasted into the data field planted a key.
TEST_F(CommandsTest, APastedLineBreakPlantsNothing) {
    UserChoose(Form1->ComboBox1, 4);
    Form1->Edit1->SetText("");
    Form1->Edit1->PasteText("X\nbarheight=999");
    EXPECT_EQ(Form1->Edit1->Text(), "X");
    EXPECT_EQ(Ini("varsona", "4"), "X");
    EXPECT_EQ(Ini("varsona", "barheight"), "<none>");
    EXPECT_EQ(ReadFileBytes(IniPath()).find("999"), std::string::npos);
}

TEST_F(CommandsTest, TheBooklandFieldTakesNineTypedCharacters) {
    UserChoose(Form1->ComboBox1, BooklandIndex);
    MakeActiveWindow(*Form1);
    Form1->Edit1->SetFocus();
    TypeText(Form1->Edit1, "1234567890");
    EXPECT_EQ(Form1->Edit1->Text(), "123456789");
    EXPECT_EQ(Ini("varsona", "14"), "123456789");
    EXPECT_EQ(Bar().Bar_Caption(), "978123456789");
}

// Data that holds a line break is refused in words, once, however many keys
// follow; the key keeps the text before it and is written again once the
// line break is gone.
TEST_F(CommandsTest, ALineBreakInTheDataIsRefusedInWordsOnce) {
    UserChoose(Form1->ComboBox1, 4);
    MakeActiveWindow(*Form1);
    Form1->Edit1->SetFocus();
    Form1->Edit1->SetText("AB");
    Dialogs->Clear();
    Form1->Edit1->SetText("AB\n");
    if (Form1->Edit1->Text().find('\n') == std::string::npos) GTEST_SKIP() << "the field holds no line break";
    Form1->Edit1->SetSelStart(3);
    TypeText(Form1->Edit1, "CD");
    ASSERT_EQ(Dialogs->Messages().size(), 1u);
    EXPECT_EQ(Dialogs->Messages()[0], FmtMsg(DesignerConst::SSettingLineBreak, IniPath()) + ".");
    EXPECT_EQ(Ini("varsona", "4"), "AB");
    Form1->Edit1->SetText("ABCD");
    EXPECT_EQ(Ini("varsona", "4"), "ABCD");
    EXPECT_EQ(Dialogs->Messages().size(), 1u);
}

}  // namespace

namespace {
// The symbology list opens as wide as its longest name; the box keeps its size.
TEST_F(CommandsTest, TheSymbologyListOpensAsWideAsItsNames) {
    ShowActive(*Form1);
    const int32_t width = Form1->ComboBox1->Width();
    Form1->ComboBox1->SetDroppedDown(true);
    ProcessEvents();
    auto* native = static_cast<QComboBox*>(NativeWidget(Form1->ComboBox1));
    QAbstractItemView* list = native->view();
    const QFontMetrics metrics(list->font());
    int widest = 0;
    for (const TSymbologyEntry& entry : SymbologyList)
        widest = std::max(widest, metrics.horizontalAdvance(QString::fromUtf8(entry.Name)));
    EXPECT_GE(list->viewport()->width(), widest);
    EXPECT_EQ(Form1->ComboBox1->Width(), width);
    Form1->ComboBox1->SetDroppedDown(false);
}
}  // namespace
