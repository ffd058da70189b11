// The application object's start-up and message loop: forms created in
// order through global pointers, the main form, the loop ending when the
// main form closes, help routing. It has its own executable, since running
// the loop to its end finishes the application object.
#include <QTimer>

#include "ControlsTestSupport.h"
#include "platform/controls/StdCtrls.h"
#include "platform/runtime/Threads.h"

namespace {

class TMainWindow;
class TLabelWindow;
TMainWindow* MainWindow = nullptr;
TLabelWindow* LabelWindow = nullptr;
std::vector<std::string> Trace;

class TMainWindow : public TForm {
public:
    explicit TMainWindow(TComponent* owner) : TForm(owner) {
        Trace.push_back(MainWindow == this ? "main: global set before construction" : "main: global missing");
        SetCaption("Varsona 2.17");
        SetVisible(true);
        Combo = new TComboBox(this);
        Combo->SetParent(this);
        Combo->SetText("Barcode Types");
        OnCreate = [this](TObject*) {
            Trace.push_back("main: create");
            Combo->Items()->Add("Code UPC-A");
            Combo->SetItemIndex(0);
        };
        OnShow = [](TObject*) { Trace.push_back("main: show"); };
    }
    TComboBox* Combo;
};

class TLabelWindow : public TForm {
public:
    explicit TLabelWindow(TComponent* owner) : TForm(owner) {
        OnCreate = [this](TObject*) {
            // A later form's create handler reads the main window.
            Symbol = MainWindow->Combo->Text();
            Trace.push_back("labels: create");
        };
    }
    std::string Symbol;
};

class ApplicationRun : public ScriptedTest {};

TEST_F(ApplicationRun, FormsInOrderThenTheLoopUntilTheMainFormCloses) {
    Application->SetTitle("Varsona");
    EXPECT_EQ(Application->Title(), "Varsona");
    Application->Initialize();
    Application->CreateForm(MainWindow);
    Application->CreateForm(LabelWindow);
    EXPECT_EQ(Application->MainForm(), MainWindow);
    EXPECT_EQ(LabelWindow->Symbol, "Code UPC-A");
    EXPECT_TRUE(NativeWidget(MainWindow)->isVisible());
    EXPECT_FALSE(LabelWindow->Visible());
    EXPECT_EQ(Trace, (std::vector<std::string>{"main: global set before construction", "main: create", "main: show",
                                               "labels: create"}));

    // Help requests go to the application's help event.
    std::vector<std::pair<Word, int32_t>> help;
    Application->SetHelpFile(ProgramFolder() + "varsona.chm");
    Application->OnHelp = [&](Word command, int32_t data, bool& callHelp) {
        callHelp = false;
        help.emplace_back(command, data);
        return true;
    };
    EXPECT_TRUE(Application->HelpCommand(HELP_CONTENTS, 0));
    QTest::keyClick(NativeWidget(MainWindow->Combo), Qt::Key_F1);
    EXPECT_EQ(help, (std::vector<std::pair<Word, int32_t>>{{HELP_CONTENTS, 0}, {HELP_CONTEXT, 0}}));
    Application->OnHelp = nullptr;

    // Closing the main form ends the loop.
    bool closed = false;
    MainWindow->OnClose = [&](TObject*, TCloseAction&) { closed = true; };
    QTimer::singleShot(0, [] { MainWindow->Close(); });
    QTimer::singleShot(5000, [] { Application->Terminate(); });  // a safety net only
    Application->Run();
    EXPECT_TRUE(closed);
    EXPECT_TRUE(Application->Terminated());
    EXPECT_TRUE(ApplicationTerminated());  // what the runtime's waits see

    Application->DestroyComponents();
    EXPECT_EQ(Application->MainForm(), nullptr);
    EXPECT_EQ(Screen->FormCount(), 0);
}

}  // namespace
