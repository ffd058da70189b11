// Start-up of the main window: first start, stored symbology, settings read
// back at the next start, failure paths, the hold and the window order.
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <set>
#include <vector>

#include "designer/DesignerConst.h"
#include "designer/Splash.h"
#include "designer/StartHold.h"
#include "designer/StartWindows.h"
#include "designer/SymbologyList.h"
#include "designer/VarsonaStart.h"
#include "platform/controls/qt/ControlsQt.h"
#include "tests/designer/DesignerFixture.h"

namespace {

class StartupTest : public DesignerFixture {};

TEST_F(StartupTest, FirstStartWithFolderAndNoFile) {
    MakeSettingsFolder();
    StartForms();
    EXPECT_TRUE(Dialogs->Messages().empty());
    EXPECT_EQ(Form1->ComboBox1->ItemIndex(), 2);
    EXPECT_EQ(Form1->ComboBox1->Text(), "Code UPC-A");
    EXPECT_EQ(Form1->lblType->Caption(), "2");
    EXPECT_EQ(Form1->Edit1->MaxLength(), 11);
    EXPECT_EQ(Form1->Edit1->Text(), "");
    EXPECT_EQ(Form1->Barcode1->Bar_Caption(), "");
    EXPECT_EQ(Form1->ComboBox2->Text(), "Arial");
    EXPECT_EQ(Form1->Barcode1->Bar_Fontname(), "Arial");
    EXPECT_EQ(Form1->Barcode1->Bar_CodeType(), UPC_A);
    EXPECT_EQ(Form1->Barcode1->Bar_Rotation(), rotate_270);
    EXPECT_EQ(Form1->Barcode1->Bar_HeightPercent(), 100);
    EXPECT_EQ(Form1->Barcode1->Bar_Fontscaling(), 100);
    EXPECT_EQ(Form1->Barcode1->Bar_Ratio(), Ratio_3);
    EXPECT_TRUE(Form1->Barcode1->Bar_HumanReadable());
    EXPECT_TRUE(Form1->Visible());

    EXPECT_EQ(Ini("varsona", "bctype"), "2");
    EXPECT_EQ(Ini("varsona", "2"), "");
    EXPECT_EQ(Ini("varsona", "sratio"), "1");
    EXPECT_EQ(Ini("varsona", "clipformat"), "bmp");
    TIniFile ini(IniPath());
    EXPECT_FALSE(ini.SectionExists("addon"));
    TStringList keys;
    ini.ReadSection("varsona", keys);
    EXPECT_EQ(keys.Count(), 4) << keys.Text();
}

TEST_F(StartupTest, FormValuesBeforeTheLoad) {
    MakeSettingsFolder();
    StartForms();
    EXPECT_EQ(Form1->Caption(), "Varsona 2.17");
    EXPECT_EQ(Form1->Width(), 385);
    EXPECT_EQ(Form1->Height(), 354);
    EXPECT_TRUE(Form1->KeyPreview());
    EXPECT_EQ(Form1->ComboBox1->Items()->Count(), 15);
    for (int32_t i = 0; i < SymbologyCount; ++i) EXPECT_EQ(Form1->ComboBox1->Items()->Get(i), SymbologyList[i].Name);
    EXPECT_EQ(Form1->ComboBox2->Items()->Get(0), "Default");
    EXPECT_EQ(Form1->Edit2->MaxLength(), 5);
    EXPECT_EQ(Form1->Edit2->Hint(), "2 or 5 digit Addon");
    EXPECT_EQ(Form1->SaveDialog1->Title(), "Save Varsona As Image File...");
    EXPECT_EQ(Form1->SaveDialog1->DefaultExt(), "bmp");
    EXPECT_EQ(Application->HelpFile(), ProgramFolder() + "varsona.chm");
    EXPECT_FALSE(Form1->lblType->Visible());
    EXPECT_FALSE(Form1->Button4->Visible());
    EXPECT_FALSE(Form1->ImageCaps->Visible());
}

TEST_F(StartupTest, StoredTypeOutsideTheList) {
    MakeSettingsFolder();
    SetIni("varsona", "bctype", "20");
    StartForms();
    EXPECT_EQ(Form1->ComboBox1->ItemIndex(), -1);
    EXPECT_EQ(Form1->lblType->Caption(), "-1");
    EXPECT_EQ(Form1->Barcode1->Bar_CodeType(), UPC_A);
    EXPECT_EQ(Form1->Edit1->MaxLength(), 11);
    EXPECT_EQ(Ini("varsona", "bctype"), "-1");
}

TEST_F(StartupTest, NonNumericTypeStopsTheCreateHandlerAndTheWindowOpens) {
    MakeSettingsFolder();
    SetIni("varsona", "bctype", "abc");
    StartForms();
    ASSERT_EQ(Dialogs->Messages().size(), 1u);
    EXPECT_EQ(Dialogs->Messages()[0], "'abc' is not a valid integer value.");
    EXPECT_EQ(Dialogs->Log()[0].Caption, Application->Title());
    EXPECT_TRUE(Form1->Visible());
    EXPECT_EQ(Form1->Edit1->Text(), "01234567890");
    EXPECT_EQ(Form1->Barcode1->Bar_CodeType(), UPC_A);
    EXPECT_EQ(Form1->ComboBox1->ItemIndex(), -1);
    EXPECT_EQ(Ini("varsona", "bctype"), "abc");
}

TEST_F(StartupTest, UnwritableSettingsFolderShowsTheWriteErrorAndGoesOn) {
    // A file where the folder should be: no write can reach the settings file.
    {
        std::FILE* f = std::fopen((Root + "/config/varsona").c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fclose(f);
    }
    StartForms();
    const std::string expected = FmtMsg(SysConst::SIniFileWriteError, Form1->IniPath()) + ".";
    ASSERT_EQ(Dialogs->Messages().size(), 1u);
    EXPECT_EQ(Dialogs->Messages()[0], expected);
    // The load was skipped: the form's data text stays.
    EXPECT_EQ(Form1->Edit1->Text(), "01234567890");
    EXPECT_EQ(Form1->Barcode1->Bar_Rotation(), rotate_000);

    // Every later command reports the same error, and its setting is applied.
    UserClick(Form1->N701);
    EXPECT_EQ(Form1->Barcode1->Bar_HeightPercent(), 70);
    EXPECT_TRUE(Form1->N701->Checked());
    ASSERT_EQ(Dialogs->Messages().size(), 2u);
    EXPECT_EQ(Dialogs->Messages()[1], expected);
}

// A settings file that exists but cannot be read used to be taken as empty
// and replaced by the next write. Reading it is an error; every write is
// refused and the file stays as it was.
TEST_F(StartupTest, ASettingsFileThatCannotBeReadIsNeverWritten) {
    MakeSettingsFolder();
    struct Case {
        const char* Name;
        std::function<bool()> Make;
        std::function<void()> Undo;
    };
    const Case cases[] = {
        {"a folder in its place", [&] { return std::filesystem::create_directory(IniPath()); },
         [&] { std::filesystem::remove_all(IniPath()); }},
        {"no read permission",
         [&] {
             if (geteuid() == 0) return false;  // root reads anyway
             SetIni("varsona", "bctype", "4");
             return chmod(IniPath().c_str(), 0200) == 0;
         },
         [&] {
             chmod(IniPath().c_str(), 0600);
             EXPECT_EQ(ReadFileBytes(IniPath()), "[varsona]\nbctype=4\n");
             std::filesystem::remove(IniPath());
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        if (!c.Make()) continue;
        Dialogs->Clear();
        StartForms();
        UserClick(Form1->N701);
        const std::vector<std::string> messages = Dialogs->Messages();
        ASSERT_EQ(messages.size(), 2u);
        EXPECT_EQ(messages[0].rfind("Cannot open file \"" + IniPath() + "\".", 0), 0u) << messages[0];
        EXPECT_EQ(messages[1], "Unable to write to " + IniPath() + ".");
        StopForms();
        c.Undo();
    }
}

TEST_F(StartupTest, MissingSettingsFolderIsCreatedByTheProgramStart) {
    EXPECT_FALSE(DirectoryExists(ConfigFolder()));
    EXPECT_TRUE(EnsureSettingsFolder());
    EXPECT_TRUE(DirectoryExists(ConfigFolder()));
    StartForms();
    EXPECT_TRUE(Dialogs->Messages().empty());
    EXPECT_EQ(Ini("varsona", "bctype"), "2");
}

TEST_F(StartupTest, BadNumbersStopTheLoadAtThatKey) {
    MakeSettingsFolder();
    SetIni("varsona", "barheight", "tall");
    SetIni("varsona", "humanread", "False");
    StartForms();
    ASSERT_EQ(Dialogs->Messages().size(), 1u);
    EXPECT_EQ(Dialogs->Messages()[0], "'tall' is not a valid integer value.");
    EXPECT_FALSE(Form1->Barcode1->Bar_HumanReadable());  // read before the bad key
    EXPECT_EQ(Form1->Barcode1->Bar_Rotation(), rotate_000);  // after it: not applied
}

TEST_F(StartupTest, BadSaveSizeLeavesTheSaveSizeAsItWas) {
    MakeSettingsFolder();
    SetIni("varsona", "sratio", "big");
    StartForms();
    ASSERT_EQ(Dialogs->Messages().size(), 1u);
    EXPECT_EQ(Dialogs->Messages()[0], "'big' is not a valid integer value.");
    // The label keeps a number, so that Save as Image and Copy still work.
    EXPECT_EQ(Form1->lblsaveRatio->Caption(), "1");
    Dialogs->AnswerSave(Root + "/after.bmp", 1);
    UserClick(Form1->SaveBarcode1);
    EXPECT_EQ(Dialogs->Messages().size(), 1u);
    EXPECT_TRUE(FileExists(Root + "/after.bmp"));
}

TEST_F(StartupTest, OutOfRangeHeightStopsTheLoadWithTheEngineError) {
    MakeSettingsFolder();
    SetIni("varsona", "fontheight", "250");
    StartForms();
    ASSERT_EQ(Dialogs->Messages().size(), 1u);
    EXPECT_EQ(Dialogs->Messages()[0], "Bar_Fontscaling must be in the range 20..200!");
}

TEST_F(StartupTest, UnlistedHeightIsAppliedWithTheHundredItemMarked) {
    MakeSettingsFolder();
    SetIni("varsona", "barheight", "75");
    StartForms();
    EXPECT_EQ(Form1->Barcode1->Bar_HeightPercent(), 75);
    EXPECT_TRUE(Form1->N101->Checked());
}

TEST_F(StartupTest, UninstalledFontStillBecomesTheFont) {
    MakeSettingsFolder();
    SetIni("varsona", "font", "No Such Font 42");
    StartForms();
    EXPECT_EQ(Form1->ComboBox2->Text(), "No Such Font 42");
    EXPECT_EQ(Form1->Barcode1->Bar_Fontname(), "No Such Font 42");
}

TEST_F(StartupTest, LongerStoredTextIsKeptBeyondTheLengthLimit) {
    MakeSettingsFolder();
    SetIni("varsona", "bctype", "4");
    SetIni("varsona", "2", "123456789012345");
    StartForms();
    UserChoose(Form1->ComboBox1, 2);
    EXPECT_EQ(Form1->Edit1->MaxLength(), 11);
    EXPECT_EQ(Form1->Edit1->Text(), "123456789012345");
    EXPECT_EQ(Form1->Barcode1->Bar_Caption(), "123456789012345");
}

TEST_F(StartupTest, SelectingAnIndexFromCodeRunsNoChangeHandler) {
    MakeSettingsFolder();
    StartForms();
    Form1->ComboBox1->SetItemIndex(5);
    EXPECT_EQ(Form1->lblType->Caption(), "2");
    EXPECT_EQ(Form1->Barcode1->Bar_CodeType(), UPC_A);
    EXPECT_EQ(Ini("varsona", "bctype"), "2");
}

// Each row: a command, then what the next start shows.
struct RestartRow {
    const char* Name;
    std::function<void(TForm1&)> Command;
    std::function<void(DesignerFixture&, TForm1&)> AfterRestart;
};

class SettingsRoundTrip : public StartupTest, public ::testing::WithParamInterface<RestartRow> {};

TEST_P(SettingsRoundTrip, CommandIsStoredAndComesBack) {
    MakeSettingsFolder();
    StartForms();
    GetParam().Command(*Form1);
    EXPECT_TRUE(Dialogs->Messages().empty());
    Restart();
    GetParam().AfterRestart(*this, *Form1);
    EXPECT_TRUE(Dialogs->Messages().empty());
}

const RestartRow kRestartRows[] = {
    {"font",
     [](TForm1& f) {
         f.ComboBox2->SetText("Liberation Serif");
         f.ComboBox2Change(f.ComboBox2);
     },
     [](DesignerFixture&, TForm1& f) {
         EXPECT_EQ(f.ComboBox2->Text(), "Liberation Serif");
         EXPECT_EQ(f.Barcode1->Bar_Fontname(), "Liberation Serif");
     }},
    {"bctype", [](TForm1& f) { UserChoose(f.ComboBox1, 4); },
     [](DesignerFixture&, TForm1& f) {
         EXPECT_EQ(f.ComboBox1->ItemIndex(), 4);
         EXPECT_EQ(f.Barcode1->Bar_CodeType(), CODE39);
         EXPECT_EQ(f.Edit1->MaxLength(), 50);
     }},
    {"data",
     [](TForm1& f) {
         UserChoose(f.ComboBox1, 4);
         f.Edit1->SetText("ABC-123");
     },
     [](DesignerFixture&, TForm1& f) {
         EXPECT_EQ(f.Edit1->Text(), "ABC-123");
         EXPECT_EQ(f.Barcode1->Bar_Caption(), "ABC-123");
     }},
    {"addon",
     [](TForm1& f) {
         UserChoose(f.ComboBox1, 1);
         f.Edit2->SetText("12345");
     },
     [](DesignerFixture&, TForm1& f) {
         EXPECT_EQ(f.Edit2->Text(), "12345");
         EXPECT_EQ(f.Barcode1->Bar_CodeAddon(), "12345");
     }},
    {"sratio", [](TForm1& f) { f.C41->Click(); },
     [](DesignerFixture& t, TForm1& f) {
         EXPECT_EQ(f.lblsaveRatio->Caption(), "4");
         EXPECT_TRUE(f.C41->Checked());
         EXPECT_FALSE(f.C11->Checked());
     }},
    {"sratio10", [](TForm1& f) { f.C61->Click(); },
     [](DesignerFixture&, TForm1& f) {
         EXPECT_EQ(f.lblsaveRatio->Caption(), "10");
         EXPECT_TRUE(f.C61->Checked());
     }},
    {"humanread", [](TForm1& f) { f.HumanReadable1->Click(); },
     [](DesignerFixture&, TForm1& f) {
         EXPECT_FALSE(f.Barcode1->Bar_HumanReadable());
         EXPECT_FALSE(f.HumanReadable1->Checked());
     }},
    {"zoom", [](TForm1& f) { f.Zoom1->Click(); },
     [](DesignerFixture&, TForm1& f) {
         EXPECT_EQ(f.Barcode1->Bar_ModuleWidth(), SC9);
         EXPECT_TRUE(f.Zoom1->Checked());
     }},
    {"barheight", [](TForm1& f) { f.N701->Click(); },
     [](DesignerFixture&, TForm1& f) {
         EXPECT_EQ(f.Barcode1->Bar_HeightPercent(), 70);
         EXPECT_TRUE(f.N701->Checked());
         EXPECT_FALSE(f.N101->Checked());
     }},
    {"fontheight", [](TForm1& f) { f.N502->Click(); },
     [](DesignerFixture&, TForm1& f) {
         EXPECT_EQ(f.Barcode1->Bar_Fontscaling(), 50);
         EXPECT_TRUE(f.N502->Checked());
         EXPECT_FALSE(f.N1001->Checked());
     }},
    {"rotation", [](TForm1& f) { f.Rotate90Degrees1->Click(); },
     [](DesignerFixture&, TForm1& f) { EXPECT_EQ(f.Barcode1->Bar_Rotation(), rotate_180); }},
    {"bratio", [](TForm1& f) { f.N3to11->Click(); },
     [](DesignerFixture&, TForm1& f) {
         EXPECT_EQ(f.Barcode1->Bar_Ratio(), Ratio_2);
         EXPECT_TRUE(f.N3to11->Checked());
         EXPECT_FALSE(f.N3to12->Checked());
     }},
    {"clipformat", [](TForm1& f) { f.Metafile2->Click(); },
     [](DesignerFixture&, TForm1& f) {
         EXPECT_TRUE(f.Metafile2->Checked());
         EXPECT_FALSE(f.Metafile1->Checked());
     }},
    {"bklandpre",
     [](TForm1& f) {
         UserChoose(f.ComboBox1, BooklandIndex);
         f.Edit1->SetText("123456789");
         static_cast<TScriptedDialogs&>(DialogService()).AnswerInput("979");
         f.BooklandPrefix1->Click();
     },
     [](DesignerFixture&, TForm1& f) { EXPECT_EQ(f.Barcode1->Bar_Caption(), "979123456789"); }},
};

INSTANTIATE_TEST_SUITE_P(EveryKey, SettingsRoundTrip, ::testing::ValuesIn(kRestartRows),
                         [](const ::testing::TestParamInfo<RestartRow>& info) { return std::string(info.param.Name); });

TEST_F(StartupTest, KeysWrittenByEachCommand) {
    MakeSettingsFolder();
    StartForms();
    struct Row {
        TMenuItem* Item;
        const char* Key;
        const char* Value;
    };
    const Row rows[] = {{Form1->N1501, "barheight", "150"}, {Form1->N201, "barheight", "20"},
                        {Form1->N902, "fontheight", "90"},  {Form1->N202, "fontheight", "20"},
                        {Form1->C21, "sratio", "2"},        {Form1->C61, "sratio", "10"},
                        {Form1->N3to11, "bratio", "2to1"},  {Form1->N3to12, "bratio", "3to1"},
                        {Form1->Metafile2, "clipformat", "wmf"}, {Form1->Metafile1, "clipformat", "bmp"},
                        {Form1->HumanReadable1, "humanread", "False"}, {Form1->HumanReadable1, "humanread", "True"},
                        {Form1->Zoom1, "zoom", "SC9"},     {Form1->Zoom1, "zoom", "SC2"}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.Item->Name());
        r.Item->Click();
        EXPECT_EQ(Ini("varsona", r.Key), r.Value);
        EXPECT_TRUE(r.Item == Form1->HumanReadable1 || r.Item == Form1->Zoom1 || r.Item->Checked());
    }
    EXPECT_TRUE(Form1->Barcode1->Bar_HumanReadable());
    EXPECT_EQ(Form1->Barcode1->Bar_ModuleWidth(), SC2);
    EXPECT_FALSE(Form1->Zoom1->Checked());
    EXPECT_EQ(Form1->lblBarHeight->Caption(), "20");
    EXPECT_EQ(Form1->lblFontScale->Caption(), "20");
}

// ---------------------------------------------------------------- hold

TEST(StartHold, WaitUntilTheNextWholeSecond) {
    struct Row {
        uint32_t Start;
        uint32_t Wait;
    };
    const Row rows[] = {{0, 1000}, {1, 999}, {999, 1}, {1000, 1000}, {123456789, 211},
                        // The last whole second below 2^32 is 4294967000; the
                        // next lies past the wrap, so the wrap ends the wait.
                        {4294967000u, 296}, {4294967295u, 1}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.Start);
        EXPECT_EQ(HoldMilliseconds(r.Start), r.Wait);
    }
}

TEST(StartHold, EndsWithinASecondWhenTheCounterWraps) {
    // 10 ms per read from just below the wrap.
    SetTickCountSource([t = uint32_t{4294967200u}]() mutable { return t += 10; });
    const auto begin = std::chrono::steady_clock::now();
    HoldUntilNextSecond();
    const auto spent = std::chrono::steady_clock::now() - begin;
    SetTickCountSource({});
    EXPECT_LT(spent, std::chrono::milliseconds(1000));
}

TEST(StartHold, EndsWithinASecondWhenTheTicksStandStill) {
    SetTickCountSource([] { return uint32_t{5000}; });
    const auto begin = std::chrono::steady_clock::now();
    HoldUntilNextSecond();
    const auto spent = std::chrono::steady_clock::now() - begin;
    SetTickCountSource({});
    EXPECT_LT(spent, std::chrono::milliseconds(1100));
}

// ---------------------------------------------------------------- program start

TEST_F(StartupTest, ProgramStartCreatesTheWindowsInOrderBehindTheSplash) {
    std::vector<std::string> order;
    auto creator = [&order](const char* name) {
        return [&order, name]() -> TForm* {
            EXPECT_NE(SplashScreen, nullptr);
            EXPECT_NE(Form1, nullptr);
            if (order.empty()) {
                // The splash window is on the screen painted: what the
                // window system shows holds the program picture.
                QWidget* splash = NativeWidget(SplashScreen)->window();
                const QImage shown = QGuiApplication::primaryScreen()->grabWindow(splash->winId()).toImage();
                std::set<QRgb> colours;
                for (int y = 0; y < shown.height(); y += 3)
                    for (int x = 0; x < shown.width(); x += 3) colours.insert(shown.pixel(x, y));
                EXPECT_GT(colours.size(), 3u) << "the splash window shows no picture";
            }
            // The label sheet window reads the main window's symbology name.
            EXPECT_EQ(Form1->ComboBox1->Text(), "Code UPC-A");
            order.push_back(name);
            TForm* form = nullptr;
            Application->CreateForm(form);
            form->SetName(name);
            return form;
        };
    };
    SetLabelWindowCreators({creator("frmLabels"), creator("frmLabelsProps"), creator("frmEdit")});
    StartVarsona();
    SetLabelWindowCreators({});
    EXPECT_EQ(SplashScreen, nullptr);
    EXPECT_EQ(Application->Title(), "Varsona");
    EXPECT_EQ(Application->MainForm(), Form1);
    ASSERT_NE(frmCaptions, nullptr);
    EXPECT_EQ(order, (std::vector<std::string>{"frmLabels", "frmLabelsProps", "frmEdit"}));
    ASSERT_NE(LabelsWindow(), nullptr);
    EXPECT_EQ(LabelsWindow()->Name(), "frmLabels");
    // The captions dialog came between the template editor and the data editor.
    int32_t captions = -1, props = -1, edit = -1;
    for (int32_t i = 0; i < Application->ComponentCount(); ++i) {
        const std::string& n = Application->Components(i)->Name();
        if (n == "frmCaptions") captions = i;
        if (n == "frmLabelsProps") props = i;
        if (n == "frmEdit") edit = i;
    }
    EXPECT_LT(props, captions);
    EXPECT_LT(captions, edit);
    EXPECT_TRUE(DirectoryExists(ConfigFolder()));

    // The menu shows the label windows.
    Form1->PrintLabelSheets1->Click();
    EXPECT_TRUE(LabelsWindow()->Visible());
    Form1->CreateLabelTemplate1->Click();
    EXPECT_TRUE(LabelsPropsWindow()->Visible());
    StopVarsona();
}

}  // namespace
