// The captions dialog, the about box, help routing and the save-as-image
// format choice.
#include "designer/BarcodeImage.h"
#include "designer/Unit2.h"
#include "designer/UseHTMLHelp.h"
#include "platform/controls/ComCtrls.h"
#include "platform/controls/ShellApi.h"
#include "tests/designer/DesignerFixture.h"

namespace {

class DialogsTest : public DesignerFixture {
protected:
    void SetUp() override {
        DesignerFixture::SetUp();
        MakeSettingsFolder();
        StartForms();
    }
};

TEST_F(DialogsTest, CaptionsFirstShownEmptyThenSavedAndShownAgain) {
    Dialogs->AnswerModal([](TForm& form) {
        auto& d = dynamic_cast<TfrmCaptions&>(form);
        EXPECT_EQ(d.Caption(), "Image Captions");
        EXPECT_EQ(d.editTop->Text(), "");
        EXPECT_EQ(d.editBot->Text(), "");
        EXPECT_EQ(d.cmboFontsize->Text(), "");
        EXPECT_EQ(d.cmboFontsize->Items()->Count(), 23);
        EXPECT_EQ(d.ActiveControl(), d.editTop);
        d.editTop->SetText("Top line");
        d.cmboFontsize->SetText("12");
        d.btnSave->Click();
    });
    Form1->ImageCaps->Click();
    EXPECT_TRUE(Dialogs->Failures().empty());
    EXPECT_EQ(Ini("Captions", "CaptionT"), "Top line");
    EXPECT_EQ(Ini("Captions", "CaptionB"), "");
    EXPECT_EQ(Ini("Captions", "FontSize"), "12");
    EXPECT_FALSE(frmCaptions->Visible());

    Dialogs->AnswerModal([](TForm& form) {
        auto& d = dynamic_cast<TfrmCaptions&>(form);
        EXPECT_EQ(d.editTop->Text(), "Top line");
        EXPECT_EQ(d.editBot->Text(), "");
        EXPECT_EQ(d.cmboFontsize->Text(), "12");
        d.editBot->SetText("dropped");
        d.btnClose->Click();
    });
    Form1->ImageCaps->Click();
    EXPECT_EQ(Ini("Captions", "CaptionB"), "");
}

TEST_F(DialogsTest, CaptionsSaveWithAMissingFolderKeepsTheDialogOpen) {
    std::filesystem::remove_all(ConfigFolder());
    Dialogs->AnswerModal([this](TForm& form) {
        auto& d = dynamic_cast<TfrmCaptions&>(form);
        d.editTop->SetText("x");
        GuardedCall(&d, [&d] { d.btnSave->Click(); });
        EXPECT_EQ(d.ModalResult(), mrNone);
        EXPECT_EQ(Dialogs->Messages().size(), 1u);
        d.btnClose->Click();
    });
    Form1->ImageCaps->Click();
    ASSERT_EQ(Dialogs->Messages().size(), 1u);
    EXPECT_EQ(Dialogs->Messages()[0], FmtMsg(SysConst::SIniFileWriteError, IniPath()) + ".");
}

TEST_F(DialogsTest, AboutBoxIsCreatedAndFreedAroundItsShowing) {
    Dialogs->AnswerModal([](TForm& form) {
        auto& box = dynamic_cast<TAboutBox&>(form);
        EXPECT_EQ(AboutBox, &box);
        EXPECT_EQ(box.Caption(), "About Varsona");
        EXPECT_EQ(box.ClientWidth(), 439);
        EXPECT_EQ(box.ClientHeight(), 219);
        EXPECT_EQ(box.Label4->Caption(), "Build: 2.17");
        EXPECT_EQ(box.CancelButton->Caption(), "O&k");
        EXPECT_TRUE(box.CancelButton->Default());
        EXPECT_EQ(box.Image2->Picture()->Width(), 288);
        EXPECT_EQ(box.Image2->Picture()->Height(), 222);
        box.Image2->Click();  // a click on the picture closes the box
        EXPECT_NE(box.ModalResult(), mrNone);
    });
    const int32_t before = Form1->ComponentCount();
    Form1->AboutVarsona1->Click();
    EXPECT_TRUE(Dialogs->Failures().empty());
    EXPECT_EQ(AboutBox, nullptr);
    EXPECT_EQ(Form1->ComponentCount(), before);
}

class HelpTest : public DialogsTest {
protected:
    void SetUp() override {
        DialogsTest::SetUp();
        InitUseHTMLHelp();
        ClearHtmlHelpLog();
    }
    void TearDown() override {
        DoneUseHTMLHelp();
        DialogsTest::TearDown();
    }
    const std::string HelpFile = ProgramFolder() + "varsona.chm";
};

TEST_F(HelpTest, HelpContentsOpensTheDefaultTopic) {
    Form1->HelpIndex1->Click();
    Form1->ToolButton6Click(Form1->ToolButton6);
    ASSERT_EQ(HtmlHelpLog().size(), 2u);
    for (const THtmlHelpCall& call : HtmlHelpLog()) {
        EXPECT_EQ(call.File, HelpFile);
        EXPECT_EQ(call.Command, HH_DISPLAY_TOPIC);
        EXPECT_EQ(call.Data, 0);
    }
    // There is no help file beside the program here: the viewer says so.
    EXPECT_EQ(HtmlHelpLog()[0].Message, FmtMsg(HtmlHelpConst::SFileNotFound, HelpFile));
    ASSERT_FALSE(Dialogs->Messages().empty());
    EXPECT_EQ(Dialogs->Messages()[0], FmtMsg(HtmlHelpConst::SFileNotFound, HelpFile));
}

TEST_F(HelpTest, F1OpensTheHelpFileAtContextZero) {
    MakeActiveWindow(*Form1);
    Form1->Edit1->SetFocus();
    PressKey(Form1->Edit1, VK_F1);
    ASSERT_EQ(HtmlHelpLog().size(), 1u);
    EXPECT_EQ(HtmlHelpLog()[0].File, HelpFile);
    EXPECT_EQ(HtmlHelpLog()[0].Command, HH_HELP_CONTEXT);
    EXPECT_EQ(HtmlHelpLog()[0].Data, 0);
    EXPECT_EQ(HtmlHelpLog()[0].Owner, Form1);
}

TEST_F(DialogsTest, HomePageOpensInTheBrowser) {
    std::vector<std::string> opened;
    TDesktopOpener previous = SetDesktopOpener([&opened](const std::string& url) {
        opened.push_back(url);
        return true;
    });
    ClearShellExecuteLog();
    Form1->VarsonaHomePage1->Click();
    SetDesktopOpener(previous);
    ASSERT_EQ(ShellExecuteLog().size(), 1u);
    const TShellCall& call = ShellExecuteLog()[0];
    EXPECT_EQ(call.Owner, nullptr);
    EXPECT_EQ(call.Operation, "open");
    EXPECT_EQ(call.File, "https://varsona.example.org/");
    EXPECT_EQ(call.ShowCmd, SW_SHOWNORMAL);
    EXPECT_EQ(opened, std::vector<std::string>{"https://varsona.example.org/"});
}

TEST_F(DialogsTest, SaveAsImageOffersTheSixFormatsAndCancelWritesNothing) {
    const std::string file = Root + "/symbol.gif";
    Dialogs->CancelSave();
    Form1->SaveBarcode1->Click();
    EXPECT_FALSE(FileExists(file));
    const TDialogRequest& q = Dialogs->Log().back();
    EXPECT_EQ(q.File.Title, "Save Varsona As Image File...");
    EXPECT_EQ(q.File.Filter,
              "Windows Bitmap (*.BMP)|*.bmp|Gif File (*.GIF)|*.gif|TIFF 6.0 (*.TIF)|*.tif|Windows Metafile (*.WMF)|*.wmf|"
              "Enhanced Metafile (*.EMF)|*.emf|JPEG (*.JPG)|*.jpg");
    EXPECT_EQ(q.File.DefaultExt, "bmp");
    Dialogs->AnswerSave(file, 2);
    Form1->SaveBarcode1->Click();
    EXPECT_EQ(ReadFileBytes(file).substr(0, 4), "GIF8");
    // A name typed without an extension gets the default one.
    Dialogs->AnswerSave(Root + "/plain", 1);
    Form1->SaveBarcode1->Click();
    EXPECT_EQ(ReadFileBytes(Root + "/plain.bmp").substr(0, 2), "BM");
}

TEST(HelpRouting, CommandsBecomeHtmlHelpCalls) {
    struct Row {
        Word Command;
        int32_t Data;
        const char* File;
        uint32_t HtmlCommand;
        int32_t HtmlData;
    };
    const Row rows[] = {{HELP_CONTEXT, 7, "h.chm", HH_HELP_CONTEXT, 7},
                        {HELP_CONTEXTPOPUP, 0, "h.chm", HH_HELP_CONTEXT, 0},
                        {HELP_KEY, 42, "h.chm", HH_DISPLAY_INDEX, 42},
                        {HELP_QUIT, 5, "", HH_CLOSE_ALL, 0},
                        {HELP_CONTENTS, 9, "h.chm", HH_DISPLAY_TOPIC, 0},
                        {HELP_FINDER, 9, "h.chm", HH_DISPLAY_TOPIC, 0}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.Command);
        const THtmlHelpRoute route = RouteHelpCommand(r.Command, r.Data, "h.chm");
        EXPECT_EQ(route.File, r.File);
        EXPECT_EQ(route.Command, r.HtmlCommand);
        EXPECT_EQ(route.Data, r.HtmlData);
    }
}

TEST(ImageFormat, ChosenByTypedExtensionThenFilter) {
    struct Row {
        int32_t Filter;
        const char* Name;
        TImageFormat Format;
    };
    const Row rows[] = {{1, "a.bmp", TImageFormat::Bmp},  {2, "a.gif", TImageFormat::Gif},
                        {3, "a.tif", TImageFormat::Tiff}, {4, "a.wmf", TImageFormat::Wmf},
                        {5, "a.emf", TImageFormat::Emf},  {6, "a.jpg", TImageFormat::Jpeg},
                        {1, "a.GIF", TImageFormat::Gif},  {2, "a.jpeg", TImageFormat::Jpeg},
                        {3, "a.TIFF", TImageFormat::Tiff}, {2, "a.png", TImageFormat::Gif},
                        {6, "noext", TImageFormat::Jpeg}, {0, "noext", TImageFormat::Bmp},
                        {9, "a.txt", TImageFormat::Bmp}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.Name);
        EXPECT_EQ(ImageFormatFor(r.Filter, r.Name), r.Format);
    }
    EXPECT_EQ(CaptionFontSize(""), 8);
    EXPECT_EQ(CaptionFontSize("12"), 12);
    EXPECT_EQ(CaptionFontSize(" 14 "), 14);
    EXPECT_EQ(CaptionFontSize("big"), 8);
    EXPECT_EQ(CaptionFontSize("0"), 8);
}

}  // namespace
