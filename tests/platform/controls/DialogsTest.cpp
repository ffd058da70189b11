// The dialog service: the platform's routines and dialog objects on top of
// it, and the scripted service's log and failures.
#include <filesystem>

#include "ControlsTestSupport.h"

namespace {

class DialogService_ : public ScriptedTest {};

TEST_F(DialogService_, MessageRoutinesAndTheirCaptions) {
    Application->SetTitle("Varsona");
    dialogs->AnswerMessageDlg(mrOk)
        .AnswerMessageDlg(mrYes)
        .AnswerMessageDlg(mrNo)
        .AnswerMessageBox(IDNO);
    ShowMessage("Label template created.");
    EXPECT_EQ(MessageDlg("This will delete the label template. Do you wish to continue.", mtCustom, mbYes | mbNo),
              mrYes);
    EXPECT_EQ(MessageDlg("Overwrite?", mtConfirmation, mbYesNoCancel), mrNo);
    EXPECT_EQ(Application->MessageBox("Sure?", "Question", MB_YESNO | MB_ICONQUESTION), IDNO);
    const auto& log = dialogs->Log();
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[0].Kind, TDialogKind::MessageDlg);
    EXPECT_EQ(log[0].Caption, "Varsona");
    EXPECT_EQ(log[0].Buttons, mbOK);
    EXPECT_EQ(log[1].Caption, "Varsona");
    EXPECT_EQ(log[1].DlgType, mtCustom);
    EXPECT_EQ(log[1].Buttons, mbYes | mbNo);
    EXPECT_EQ(log[2].Caption, "Confirm");
    EXPECT_EQ(log[3].Kind, TDialogKind::MessageBox);
    EXPECT_EQ(log[3].Flags, MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(dialogs->Messages(),
              (std::vector<std::string>{"Label template created.",
                                        "This will delete the label template. Do you wish to continue.", "Overwrite?",
                                        "Sure?"}));
}

TEST_F(DialogService_, InputBoxAndInputQuery) {
    dialogs->AnswerInput("979").CancelInput().AnswerInput("").CancelInput();
    EXPECT_EQ(InputBox("Varsona", "Enter Bookland Prefix. Default is 978:", ""), "979");
    EXPECT_EQ(InputBox("Varsona", "Value:", "kept"), "kept");
    std::string value = "old";
    EXPECT_TRUE(InputQuery("Varsona", "Value:", value));
    EXPECT_EQ(value, "");
    value = "old";
    EXPECT_FALSE(InputQuery("Varsona", "Value:", value));
    EXPECT_EQ(value, "old");
    EXPECT_EQ(dialogs->Log()[0].Text, "Enter Bookland Prefix. Default is 978:");
    EXPECT_EQ(dialogs->Log()[1].Value, "kept");
}

TEST_F(DialogService_, SaveDialogAddsTheDefaultExtensionToANameWithout) {
    TSaveDialog dialog(nullptr);
    dialog.SetDefaultExt("vrs");
    dialog.SetFileName("barcode");
    dialog.SetFilter("Varsona Config File (*.VRS)|*.vrs");
    dialog.SetOptions(ofOverwritePrompt | ofHideReadOnly);
    dialog.SetTitle("Save Varsona As Config...");
    dialog.SetInitialDir("/tmp");
    struct {
        const char* Typed;
        const char* Result;
    } rows[] = {{"/tmp/label", "/tmp/label.vrs"},
                {"/tmp/label.vrs", "/tmp/label.vrs"},
                {"/tmp/label.txt", "/tmp/label.txt"},
                {"/tmp/my.dir/label", "/tmp/my.dir/label.vrs"}};
    for (auto& r : rows) {
        SCOPED_TRACE(r.Typed);
        dialogs->AnswerSave(r.Typed);
        ASSERT_TRUE(dialog.Execute());
        EXPECT_EQ(dialog.FileName(), r.Result);
    }
    const TDialogRequest& q = dialogs->Log()[0];
    EXPECT_EQ(q.Kind, TDialogKind::SaveFile);
    EXPECT_EQ(q.File.Title, "Save Varsona As Config...");
    EXPECT_EQ(q.File.Filter, "Varsona Config File (*.VRS)|*.vrs");
    EXPECT_EQ(q.File.FileName, "barcode");
    EXPECT_EQ(q.File.DefaultExt, "vrs");
    EXPECT_EQ(q.File.InitialDir, "/tmp");
    EXPECT_EQ(q.File.Options, ofOverwritePrompt | ofHideReadOnly);
    // A leading dot in the default extension is not doubled.
    TSaveDialog csv(nullptr);
    csv.SetDefaultExt(".csv");
    dialogs->AnswerSave("/tmp/New File");
    ASSERT_TRUE(csv.Execute());
    EXPECT_EQ(csv.FileName(), "/tmp/New File.csv");
}

constexpr const char* kImageFilter =
    "Windows Bitmap (*.BMP)|*.bmp|Gif File (*.GIF)|*.gif|TIFF 6.0 (*.TIF)|*.tif|Windows Metafile (*.WMF)|*.wmf|"
    "Enhanced Metafile (*.EMF)|*.emf|JPEG (*.JPG)|*.jpg|All Files|*.*";

TEST_F(DialogService_, FilterNamesShowTheirPatternsOnce) {
    struct Case {
        TFilterEntry Entry;
        const char* Shown;
    };
    const Case cases[] = {
        {{"Windows Bitmap (*.BMP)", "*.bmp"}, "Windows Bitmap (*.BMP)"},
        {{"Text Files (*.txt; *.csv)", "*.txt;*.csv"}, "Text Files (*.txt; *.csv) (*.txt *.csv)"},
        {{"Label data (*.csv *.txt)", "*.csv;*.txt"}, "Label data (*.csv *.txt)"},
        {{"All Files", "*.*"}, "All Files (*.*)"},
    };
    for (const Case& c : cases) EXPECT_EQ(FilterDisplayName(c.Entry), c.Shown);
    EXPECT_EQ(FilterExtension(kImageFilter, 2), "gif");
    EXPECT_EQ(FilterExtension(kImageFilter, 6), "jpg");
    EXPECT_EQ(FilterExtension(kImageFilter, 7), "");
    EXPECT_EQ(FilterExtension(kImageFilter, 8), "");
    EXPECT_EQ(FilterExtension("Data|*.csv;*.txt", 1), "csv");
}

// A name typed without an extension gets the chosen filter's; a typed one wins.
TEST_F(DialogService_, SaveDialogAddsTheChosenFiltersExtension) {
    TSaveDialog dialog(nullptr);
    dialog.SetDefaultExt("bmp");
    dialog.SetFilter(kImageFilter);
    struct Case {
        const char* Typed;
        int32_t Filter;
        const char* Result;
    };
    const Case cases[] = {{"/x/label", 2, "/x/label.gif"}, {"/x/label", 6, "/x/label.jpg"},
                          {"/x/label", 1, "/x/label.bmp"}, {"/x/label.tif", 2, "/x/label.tif"},
                          {"/x/label", 7, "/x/label.bmp"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.Typed) + " " + std::to_string(c.Filter));
        dialogs->AnswerSave(c.Typed, c.Filter);
        ASSERT_TRUE(dialog.Execute());
        EXPECT_EQ(dialog.FileName(), c.Result);
        EXPECT_EQ(dialog.FilterIndex(), c.Filter);
    }
}

// The question covers the final name: "label" typed with the BMP filter
// asks about label.bmp; No shows the dialog again on that name.
TEST_F(DialogService_, SaveDialogAsksBeforeReplacingTheFinalName) {
    char tmpl[] = "/tmp/savedialogXXXXXX";
    const std::string dir = mkdtemp(tmpl);
    ASSERT_TRUE(WriteFileAtomically(dir + "/label.bmp", "old"));
    TSaveDialog dialog(nullptr);
    dialog.SetDefaultExt("bmp");
    dialog.SetFilter(kImageFilter);
    dialog.SetTitle("Save Varsona As Image File...");
    dialog.SetOptions(ofOverwritePrompt | ofHideReadOnly);
    dialogs->AnswerSave(dir + "/label", 1).AnswerMessageBox(IDNO).AnswerSave(dir + "/label", 1).AnswerMessageBox(IDYES);
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.FileName(), dir + "/label.bmp");
    const auto& log = dialogs->Log();
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[1].Kind, TDialogKind::MessageBox);
    EXPECT_EQ(log[1].Text, dir + "/label.bmp already exists.\nDo you want to replace it?");
    EXPECT_EQ(log[1].Caption, "Save Varsona As Image File...");
    EXPECT_EQ(log[1].Flags, MB_YESNO | MB_ICONWARNING);
    EXPECT_EQ(log[2].File.FileName, dir + "/label.bmp");
    // A new name, or no prompt asked for, goes without a question.
    dialogs->AnswerSave(dir + "/label", 2);
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.FileName(), dir + "/label.gif");
    dialog.SetOptions(ofHideReadOnly);
    dialogs->AnswerSave(dir + "/label", 1);
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(dialogs->Log().size(), 6u);
    std::filesystem::remove_all(dir);
}

TEST_F(DialogService_, CancelKeepsTheDialogsFileName) {
    TOpenDialog dialog(nullptr);
    dialog.SetFileName("before.vrs");
    dialogs->CancelOpen();
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(dialog.FileName(), "before.vrs");
}

TEST_F(DialogService_, OpenDialogReturnsTheChosenFilter) {
    TOpenDialog dialog(nullptr);
    dialog.SetFilter("Delimited Text File (*.CSV)|*.csv|Text File (*.TXT)|*.txt|All Files (*.*)|*.*");
    EXPECT_EQ(dialog.FilterIndex(), 1);
    dialogs->AnswerOpen("/data/labels.txt", 2);
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.FileName(), "/data/labels.txt");
    EXPECT_EQ(dialog.FilterIndex(), 2);
    EXPECT_EQ(dialogs->Log()[0].Kind, TDialogKind::OpenFile);
}

TEST_F(DialogService_, PrinterSetupForwardsToTheInstalledHandler) {
    dialogs->AnswerPrinterSetup(true).AnswerPrinterSetup(false);
    EXPECT_TRUE(DialogService().PrinterSetup());
    EXPECT_FALSE(DialogService().PrinterSetup());
    int calls = 0;
    SetPrinterSetupHandler([&] {
        ++calls;
        return true;
    });
    EXPECT_TRUE(RunPrinterSetupHandler());
    EXPECT_EQ(calls, 1);
    SetPrinterSetupHandler(nullptr);
    EXPECT_FALSE(RunPrinterSetupHandler());
}

TEST_F(DialogService_, ColourAndFontDialogs) {
    TColorDialog colour(nullptr);
    dialogs->AnswerColor(clRed).CancelColor();
    ASSERT_TRUE(colour.Execute());
    EXPECT_EQ(colour.Color(), clRed);
    EXPECT_FALSE(colour.Execute());
    EXPECT_EQ(colour.Color(), clRed);
    TFontDialog font(nullptr);
    dialogs->AnswerFont([](TFont& f) { f.SetName("Liberation Serif"); });
    ASSERT_TRUE(font.Execute());
    EXPECT_EQ(font.Font()->Name(), "Liberation Serif");
}

// The scripted service's own failures, checked on a private instance.
TEST(ScriptedDialogs, ARequestWithoutAReplyFailsClearly) {
    TScriptedDialogs s;
    try {
        s.MessageBox("Nothing scripted", "Varsona", MB_OK);
        ADD_FAILURE() << "no error";
    } catch (const EDialogScriptError& e) {
        EXPECT_EQ(e.Message(), "No scripted reply left for message box \"Nothing scripted\"");
    }
    ASSERT_EQ(s.Failures().size(), 1u);
    EXPECT_EQ(s.Log().size(), 1u);
}

TEST(ScriptedDialogs, AReplyOfTheWrongKindFails) {
    TScriptedDialogs s;
    s.AnswerInput("x");
    EXPECT_THROW(s.MessageDlg("Varsona", "Label template removed.", mtCustom, mbOK), EDialogScriptError);
    ASSERT_EQ(s.Failures().size(), 1u);
    EXPECT_EQ(s.Failures()[0],
              "Scripted reply for input query does not match the request message dialog \"Label template removed.\"");
}

TEST(ScriptedDialogs, AutoOkAnswersOkOnlyBoxes) {
    TScriptedDialogs s;
    s.SetAutoOk(true);
    EXPECT_EQ(s.MessageBox("Unable to write to x.", "Varsona", MB_OK | MB_ICONSTOP), IDOK);
    EXPECT_EQ(s.MessageDlg("Varsona", "Label template created.", mtCustom, mbOK), mrOk);
    EXPECT_THROW(s.MessageDlg("Varsona", "Delete?", mtCustom, mbYesNo), EDialogScriptError);
    EXPECT_EQ(s.Messages().size(), 3u);
}

TEST(QtDialogs, RefuseToWaitWhereNobodyCanAnswer) {
    TQtDialogService qt;
    EXPECT_THROW(qt.MessageBox("Hello", "Varsona", MB_OK), EDialogScriptError);
    std::string v;
    EXPECT_THROW(qt.InputQuery("Varsona", "Value:", v), EDialogScriptError);
    TFileDialogParams p;
    EXPECT_THROW(qt.OpenFile(p), EDialogScriptError);
}

TEST(ErrorBox, AFailingBoxDoesNotEscapeTheGuard) {
    // With no reply scripted the box itself fails; the guard still returns.
    auto scripted = std::make_unique<TScriptedDialogs>();
    TScriptedDialogs* s = scripted.get();
    auto previous = InstallDialogService(std::move(scripted));
    EXPECT_FALSE(GuardedCall(nullptr, [] { throw EOverflow("lost"); }));
    EXPECT_EQ(s->Failures().size(), 1u);
    InstallDialogService(std::move(previous));
}

}  // namespace
