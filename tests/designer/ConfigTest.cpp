// Barcode configuration files: save, open, and their failure paths.
#include <functional>
#include <vector>

#include "designer/SymbologyList.h"
#include "tests/designer/DesignerFixture.h"

namespace {

class ConfigTest : public DesignerFixture {
protected:
    void SetUp() override {
        DesignerFixture::SetUp();
        MakeSettingsFolder();
        StartForms();
        Vrs = Root + "/barcode.vrs";
    }
    TBarcode& Bar() { return *Form1->Barcode1; }
    std::string Key(const std::string& key) {
        TIniFile f(Vrs);
        return f.ValueExists("Varsona", key) ? f.ReadString("Varsona", key, "") : "<none>";
    }
    void Save() {
        Dialogs->AnswerSave(Vrs);
        Form1->N1->Click();
    }
    void Open() {
        Dialogs->AnswerOpen(Vrs);
        GuardedCall(Form1, [] { Form1->OpenBarcodeConfiguration1->Click(); });
    }
    std::string Vrs;
};

TEST_F(ConfigTest, SaveWritesEveryKeyInOrder) {
    UserChoose(Form1->ComboBox1, 4);
    Form1->Edit1->SetText("HELLO");
    Form1->C31->Click();
    Form1->HumanReadable1->Click();
    Form1->Zoom1->Click();
    Form1->N1501->Click();
    Form1->N602->Click();
    Form1->N3to11->Click();
    Bar().SetBar_Rotation(rotate_090);
    Save();
    const TDialogRequest& q = Dialogs->Log().back();
    EXPECT_EQ(q.File.Title, "Save Varsona As Config...");
    EXPECT_EQ(q.File.Filter, "Varsona Config File (*.VRS)|*.vrs");
    EXPECT_EQ(q.File.DefaultExt, "vrs");
    EXPECT_EQ(q.File.FileName, "barcode");
    EXPECT_TRUE(q.File.Options & ofOverwritePrompt);

    TIniFile f(Vrs);
    TStringList keys;
    f.ReadSection("Varsona", keys);
    EXPECT_EQ(keys.CommaText(),
              "fontname,bctype,caption,addon,saveratio,humanread,zoom,barheight,fontheight,rotation,bratio");
    EXPECT_EQ(Key("fontname"), "Arial");
    EXPECT_EQ(Key("bctype"), "4");
    EXPECT_EQ(Key("caption"), "HELLO");
    EXPECT_EQ(Key("addon"), "");
    EXPECT_EQ(Key("saveratio"), "3");
    EXPECT_EQ(Key("humanread"), "False");
    EXPECT_EQ(Key("zoom"), "SC9");
    EXPECT_EQ(Key("barheight"), "150");
    EXPECT_EQ(Key("fontheight"), "60");
    EXPECT_EQ(Key("rotation"), "rotate_090");
    EXPECT_EQ(Key("bratio"), "2to1");
    EXPECT_EQ(Form1->lblBarHeight->Caption(), "150");
    EXPECT_EQ(Form1->lblFontScale->Caption(), "60");
}

TEST_F(ConfigTest, RoundTripRestoresTheSymbolWithoutARotateStep) {
    UserChoose(Form1->ComboBox1, 4);
    Form1->Edit1->SetText("HELLO");
    Form1->C31->Click();
    Form1->HumanReadable1->Click();
    Form1->Zoom1->Click();
    Form1->N1501->Click();
    Form1->N602->Click();
    Form1->N3to11->Click();
    Bar().SetBar_Rotation(rotate_090);
    Save();

    // Change everything, then open the file again.
    UserChoose(Form1->ComboBox1, 1);
    Form1->C11->Click();
    Form1->HumanReadable1->Click();
    Form1->Zoom1->Click();
    Form1->N101->Click();
    Form1->N1001->Click();
    Form1->N3to12->Click();
    Bar().SetBar_Rotation(rotate_000);
    Open();
    EXPECT_TRUE(Dialogs->Messages().empty());
    EXPECT_EQ(Dialogs->Log().back().File.Title, "Open Varsona Configuration File...");
    EXPECT_EQ(Form1->ComboBox1->ItemIndex(), 4);
    EXPECT_EQ(Bar().Bar_CodeType(), CODE39);
    EXPECT_EQ(Form1->Edit1->MaxLength(), 50);
    EXPECT_EQ(Form1->Edit1->Text(), "HELLO");
    EXPECT_EQ(Bar().Bar_Caption(), "HELLO");
    EXPECT_EQ(Form1->lblsaveRatio->Caption(), "3");
    EXPECT_TRUE(Form1->C31->Checked());
    EXPECT_FALSE(Bar().Bar_HumanReadable());
    EXPECT_EQ(Bar().Bar_ModuleWidth(), SC9);
    EXPECT_TRUE(Form1->Zoom1->Checked());
    EXPECT_EQ(Bar().Bar_HeightPercent(), 150);
    EXPECT_TRUE(Form1->N1501->Checked());
    EXPECT_EQ(Bar().Bar_Fontscaling(), 60);
    EXPECT_TRUE(Form1->N602->Checked());
    EXPECT_EQ(Bar().Bar_Rotation(), rotate_090);
    EXPECT_EQ(Bar().Bar_Ratio(), Ratio_2);
    EXPECT_TRUE(Form1->N3to11->Checked());
    EXPECT_TRUE(Form1->BarRatio1->Enabled());
    // Stored in the settings file: type, data, save size; not the look.
    EXPECT_EQ(Ini("varsona", "bctype"), "4");
    EXPECT_EQ(Ini("varsona", "4"), "HELLO");
    EXPECT_EQ(Ini("varsona", "sratio"), "3");
    EXPECT_EQ(Ini("varsona", "barheight"), "100");
}

TEST_F(ConfigTest, OpenedLookIsNotKeptAcrossARestart) {
    Form1->Edit1->SetText("01234567890");
    Form1->N1501->Click();
    Save();
    Form1->N101->Click();
    Open();
    EXPECT_EQ(Bar().Bar_HeightPercent(), 150);
    Restart();
    EXPECT_EQ(Bar().Bar_HeightPercent(), 100);
    EXPECT_EQ(Form1->Edit1->Text(), "01234567890");
}

TEST_F(ConfigTest, BooklandFileShowsThePrefixAndStoresTheDigits) {
    {
        TIniFile f(Vrs);
        f.WriteString("Varsona", "bctype", "14");
        f.WriteString("Varsona", "caption", "123456789");
    }
    Open();
    EXPECT_TRUE(Dialogs->Messages().empty());
    EXPECT_EQ(Form1->ComboBox1->Text(), "Bookland (ISBN)");
    EXPECT_EQ(Bar().Bar_CodeType(), EAN_13);
    EXPECT_EQ(Bar().Bar_Caption(), "978123456789");
    EXPECT_EQ(Ini("varsona", "14"), "123456789");
    EXPECT_EQ(Form1->Edit1->MaxLength(), 9);
}

TEST_F(ConfigTest, RatioTwoToOneComesBack) {
    Form1->N3to11->Click();
    Save();
    Form1->N3to12->Click();
    Open();
    EXPECT_EQ(Bar().Bar_Ratio(), Ratio_2);
    EXPECT_TRUE(Form1->N3to11->Checked());
}

TEST_F(ConfigTest, CancelChangesNothing) {
    Form1->Edit1->SetText("11111111111");
    Dialogs->CancelSave();
    Form1->N1->Click();
    EXPECT_FALSE(FileExists(Vrs));
    const std::string before = ReadFileBytes(IniPath());
    Dialogs->CancelOpen();
    Form1->OpenBarcodeConfiguration1->Click();
    EXPECT_EQ(ReadFileBytes(IniPath()), before);
    EXPECT_EQ(Form1->Edit1->Text(), "11111111111");
    EXPECT_EQ(Dialogs->Pending(), 0u);
}

TEST_F(ConfigTest, NonNumericTypeLeavesTheSymbologyAndItsKeyAlone) {
    {
        TIniFile f(Vrs);
        f.WriteString("Varsona", "fontname", "Liberation Mono");
        f.WriteString("Varsona", "bctype", "x1");
        f.WriteString("Varsona", "caption", "999");
    }
    Open();
    ASSERT_EQ(Dialogs->Messages().size(), 1u);
    EXPECT_EQ(Dialogs->Messages()[0], "'x1' is not a valid integer value.");
    // Nothing of a file that fails is applied, not even what came before.
    EXPECT_EQ(Form1->ComboBox2->Text(), "Arial");
    EXPECT_EQ(Form1->lblType->Caption(), "2");
    EXPECT_EQ(Form1->ComboBox1->ItemIndex(), 2);
    EXPECT_EQ(Form1->Edit1->Text(), "");
    // Later typing is stored under the symbology's own key.
    Form1->Edit1->SetText("12345");
    EXPECT_EQ(Ini("varsona", "2"), "12345");
    EXPECT_EQ(Ini("varsona", "x1"), "<none>");
}

TEST_F(ConfigTest, BadNumbersStopTheOpenAtTheirKey) {
    struct Row {
        const char* Key;
        const char* Value;
        const char* Message;
    };
    const Row rows[] = {{"saveratio", "big", "'big' is not a valid integer value."},
                        {"barheight", "", "'' is not a valid integer value."},
                        {"fontheight", "19", "Bar_Fontscaling must be in the range 20..200!"}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.Key);
        Dialogs->Clear();
        std::filesystem::remove(Vrs);
        {
            TIniFile f(Vrs);
            f.WriteString("Varsona", "bctype", "4");
            f.WriteString("Varsona", r.Key, r.Value);
            f.WriteString("Varsona", "rotation", "rotate_180");
        }
        Bar().SetBar_Rotation(rotate_000);
        Open();
        ASSERT_EQ(Dialogs->Messages().size(), 1u);
        EXPECT_EQ(Dialogs->Messages()[0], r.Message);
        EXPECT_EQ(Bar().Bar_Rotation(), rotate_000);
        EXPECT_NE(Form1->lblsaveRatio->Caption(), "big");
    }
}

// What the window shows of the symbol, to see that a refused file changed
// nothing.
std::string WindowState() {
    const TBarcode& b = *Form1->Barcode1;
    return Form1->ComboBox2->Text() + "|" + Form1->lblType->Caption() + "|" + Form1->ComboBox1->Text() + "|" +
           Form1->Edit1->Text() + "|" + Form1->Edit2->Text() + "|" + b.Bar_Caption() + "|" + b.Bar_Fontname() + "|" +
           Form1->lblsaveRatio->Caption() + "|" + IntToStr(b.Bar_HeightPercent()) + "|" +
           IntToStr(b.Bar_Fontscaling()) + "|" + IntToStr(b.Bar_Rotation()) + "|" + IntToStr(b.Bar_Ratio()) + "|" +
           (b.Bar_HumanReadable() ? "hr" : "-");
}

// A file that fails half-way used to leave the list on one symbology while
// another was drawn. Every value is checked before any is applied.
TEST_F(ConfigTest, AFileThatFailsAnywhereChangesNothing) {
    const std::string longCaption(51, '7');
    struct Row {
        const char* Name;
        std::vector<std::pair<const char*, std::string>> Keys;
        std::string Message;
    };
    const std::vector<Row> rows = {
        {"bad type", {{"bctype", "x"}}, "'x' is not a valid integer value."},
        {"bad save size", {{"saveratio", "big"}}, "'big' is not a valid integer value."},
        {"bar height out of range", {{"barheight", "250"}}, "Bar_HeightPercent must be in the range 20..200!"},
        {"caption the engine refuses", {{"caption", longCaption}}, "String exceeds maximum length."},
    };
    UserChoose(Form1->ComboBox1, 1);
    Form1->Edit1->SetText("590123412345");
    Form1->Edit2->SetText("12");
    const std::string before = WindowState();
    for (const Row& r : rows) {
        SCOPED_TRACE(r.Name);
        Dialogs->Clear();
        std::filesystem::remove(Vrs);
        {
            TIniFile f(Vrs);
            f.WriteString("Varsona", "fontname", "Liberation Mono");
            f.WriteString("Varsona", "bctype", "4");
            f.WriteString("Varsona", "caption", "OTHER");
            f.WriteString("Varsona", "addon", "99");
            f.WriteString("Varsona", "barheight", "150");
            f.WriteString("Varsona", "rotation", "rotate_180");
            for (const auto& [key, value] : r.Keys) f.WriteString("Varsona", key, value);
        }
        Open();
        ASSERT_EQ(Dialogs->Messages().size(), 1u);
        EXPECT_EQ(Dialogs->Messages()[0], r.Message);
        EXPECT_EQ(WindowState(), before);
        EXPECT_EQ(Ini("varsona", "1"), "590123412345");
    }
}

// A file that is missing, cannot be read or is none of ours is named in the
// message, and the font is left alone.
TEST_F(ConfigTest, AFileThatCannotBeReadIsNamed) {
    const std::string before = WindowState();
    struct Row {
        const char* Name;
        std::function<void(const std::string&)> Make;
        std::string Message;
    };
    const std::vector<Row> rows = {
        {"missing", [](const std::string&) {}, "Cannot open file \"" + Vrs + "\". No such file or directory."},
        {"a folder", [](const std::string& p) { std::filesystem::create_directory(p); },
         "Cannot open file \"" + Vrs + "\". Is a directory."},
        {"binary",
         [](const std::string& p) {
             ASSERT_TRUE(WriteFileAtomically(p, std::string("GIF89a\x01\x00\x01\x00\x80\x00\x00\xFF\xFF\xFF\0\0\0;", 20)));
         },
         Vrs + " is not a Varsona configuration file."},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.Name);
        Dialogs->Clear();
        std::filesystem::remove_all(Vrs);
        r.Make(Vrs);
        Open();
        ASSERT_EQ(Dialogs->Messages().size(), 1u);
        EXPECT_EQ(Dialogs->Messages()[0], r.Message);
        EXPECT_EQ(WindowState(), before);
    }
}

}  // namespace
