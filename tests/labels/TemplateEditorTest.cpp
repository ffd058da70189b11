// The template editor: activation, loading, writing and its messages, the
// key filters, and template deletion from the label sheet window.
#include <sys/stat.h>
#include <unistd.h>

#include <functional>

#include "labels/LabelConst.h"
#include "tests/labels/LabelsFixture.h"

namespace {

using namespace LabelConst;

class TemplateEditorTest : public LabelsFixture {
protected:
    void SetUp() override {
        LabelsFixture::SetUp();
        StartForms();
        Editor = frmLabelsProps;
        Dialogs->Clear();
    }
    // Types a name into the template combo as the user does.
    void ChooseTemplate(const std::string& name) {
        Editor->ComboBox3->SetText(name);
        GuardedCall(Editor->ComboBox3, [this] { Editor->ComboBox3->UserTyped(); });
    }
    std::string Stored(const std::string& section, const std::string& key) {
        TIniFile ini(TemplatePath());
        return ini.ValueExists(section, key) ? ini.ReadString(section, key, "") : "<none>";
    }

    TfrmLabelsProps* Editor = nullptr;
};

TEST_F(TemplateEditorTest, WindowAsCreated) {
    EXPECT_EQ(Editor->Caption(), "Custom Label Properties");
    EXPECT_EQ(Editor->BorderStyle(), bsSingle);
    EXPECT_EQ(Editor->BorderIcons(), biSystemMenu | biMinimize);
    EXPECT_EQ(Editor->Position(), poScreenCenter);
    EXPECT_FALSE(Editor->Visible());
    EXPECT_EQ(Editor->Button1->Caption(), "Create &Template");
    EXPECT_EQ(Editor->Button2->Caption(), "&Close");
    EXPECT_TRUE(Editor->Button2->Default());
    EXPECT_TRUE(Editor->ComboBox3->Sorted());
    EXPECT_EQ(Editor->txtGutterh->Hint(), "Horizontal Pitch");
    EXPECT_EQ(Editor->txtRows->Hint(), "How many many rows down are on the page");
}

TEST_F(TemplateEditorTest, ActivationWithoutTemplateFile) {
    Editor->txtLabelWidth->SetText("55");
    Activate(Editor);
    EXPECT_EQ(Editor->ComboBox3->Items()->Count(), 0);
    EXPECT_EQ(Editor->ComboBox3->Text(), "Select Existing Template");
    for (TComboBox* sizes : {Editor->ComboBox1, Editor->ComboBox2}) {
        ASSERT_EQ(sizes->Items()->Count(), 15);
        EXPECT_EQ(sizes->Items()->Get(0), "6");
        EXPECT_EQ(sizes->Items()->Get(14), "72");
        EXPECT_EQ(sizes->Text(), "6");
    }
    // The other fields keep what they hold.
    EXPECT_EQ(Editor->txtLabelWidth->Text(), "55");
    EXPECT_TRUE(Dialogs->Messages().empty());
}

TEST_F(TemplateEditorTest, ActivationListsTheTemplatesSorted) {
    std::ofstream(TemplatePath()) << "[zeta]\nwidth=1\n\n[Alpha]\nwidth=2\n\n[mid]\nwidth=3\n";
    Activate(Editor);
    Activate(Editor);  // the list is replaced, not added to
    ASSERT_EQ(Editor->ComboBox3->Items()->Count(), 3);
    EXPECT_EQ(Editor->ComboBox3->Items()->Text(), "Alpha\nmid\nzeta\n");
    EXPECT_EQ(Editor->ComboBox1->Items()->Count(), 15);
}

TEST_F(TemplateEditorTest, ChoosingATemplateLoadsEveryKey) {
    std::ofstream(TemplatePath()) << "[A4 3x7]\nwidth=70\nheight=42.3\nllmargin=5\nltmargin=4\nrows=7\n"
                                     "columns=3\npglmargin=0\npgtmargin=15.15\nhorizsp=70\nvertsp=42.3\n"
                                     "tcaption=No. %d\nbcaption=\ntcapfont=10\nbcapfont=12\n";
    Activate(Editor);
    ChooseTemplate("a4 3X7");
    EXPECT_EQ(Editor->txtLabelWidth->Text(), "70");
    EXPECT_EQ(Editor->txtHeight->Text(), "42.3");
    EXPECT_EQ(Editor->txtLMargin->Text(), "5");
    EXPECT_EQ(Editor->txtTMargin->Text(), "4");
    EXPECT_EQ(Editor->txtRows->Text(), "7");
    EXPECT_EQ(Editor->txtCol->Text(), "3");
    EXPECT_EQ(Editor->txtLeft->Text(), "0");
    EXPECT_EQ(Editor->txtTop->Text(), "15.15");
    EXPECT_EQ(Editor->txtGutterh->Text(), "70");
    EXPECT_EQ(Editor->txtGutterv->Text(), "42.3");
    EXPECT_EQ(Editor->txtTopCap->Text(), "No. %d");
    EXPECT_EQ(Editor->txtBottomCap->Text(), "");
    EXPECT_EQ(Editor->ComboBox1->Text(), "10");
    EXPECT_EQ(Editor->ComboBox2->Text(), "12");
    EXPECT_EQ(Editor->txtName->Text(), "a4 3X7");
}

TEST_F(TemplateEditorTest, ChoosingAMissingTemplateLoadsTheDefaults) {
    Activate(Editor);
    ChooseTemplate("none");
    EXPECT_EQ(Editor->txtLabelWidth->Text(), "0");
    EXPECT_EQ(Editor->txtRows->Text(), "1");
    EXPECT_EQ(Editor->txtCol->Text(), "1");
    EXPECT_EQ(Editor->txtTopCap->Text(), "0");
    EXPECT_EQ(Editor->txtBottomCap->Text(), "0");
    EXPECT_EQ(Editor->ComboBox1->Text(), "8");
    EXPECT_EQ(Editor->ComboBox2->Text(), "8");
}

TEST_F(TemplateEditorTest, EmptyNameIsRefusedAndNothingIsWritten) {
    Activate(Editor);
    UserClick(Editor->Button1);
    EXPECT_EQ(Dialogs->Messages(), std::vector<std::string>{"Please type in a name for your label template."});
    EXPECT_FALSE(FileExists(TemplatePath()));
}

TEST_F(TemplateEditorTest, WritingATemplate) {
    Activate(Editor);
    Editor->txtLabelWidth->SetText("63,5");
    Editor->txtHeight->SetText("38.1");
    Editor->txtRows->SetText("7");
    Editor->txtCol->SetText("3");
    Editor->txtTopCap->SetText("Box %d");
    Editor->ComboBox2->SetText("14");
    Editor->txtName->SetText("Avery L7160");
    UserClick(Editor->Button1);
    EXPECT_EQ(Dialogs->Messages(), std::vector<std::string>{"Label template created."});
    EXPECT_EQ(Dialogs->Log().back().Caption, Application->Title());
    EXPECT_EQ(Stored("Avery L7160", "width"), "63,5");
    EXPECT_EQ(Stored("Avery L7160", "height"), "38.1");
    EXPECT_EQ(Stored("Avery L7160", "rows"), "7");
    EXPECT_EQ(Stored("Avery L7160", "columns"), "3");
    // Empty fields are not written; the captions are, empty or not.
    EXPECT_EQ(Stored("Avery L7160", "llmargin"), "<none>");
    EXPECT_EQ(Stored("Avery L7160", "horizsp"), "<none>");
    EXPECT_EQ(Stored("Avery L7160", "tcaption"), "Box %d");
    EXPECT_EQ(Stored("Avery L7160", "bcaption"), "");
    EXPECT_EQ(Stored("Avery L7160", "tcapfont"), "6");
    EXPECT_EQ(Stored("Avery L7160", "bcapfont"), "14");
    // The new template loads back, its missing keys as their defaults.
    Activate(Editor);
    EXPECT_EQ(Editor->ComboBox3->Items()->Text(), "Avery L7160\n");
    ChooseTemplate("Avery L7160");
    EXPECT_EQ(Editor->txtLMargin->Text(), "0");
    EXPECT_EQ(Editor->txtBottomCap->Text(), "");
}

TEST_F(TemplateEditorTest, SavingAgainWithAnEmptyFieldKeepsTheStoredValue) {
    TLabelTemplate t;
    t.Width = "70";
    t.TopCaption = "Top";
    WriteTemplate("t", t);
    Activate(Editor);
    ChooseTemplate("T");
    Editor->txtLabelWidth->SetText("");
    Editor->txtTopCap->SetText("");
    UserClick(Editor->Button1);
    EXPECT_EQ(Stored("t", "width"), "70");
    EXPECT_EQ(Stored("t", "tcaption"), "");
    TIniFile ini(TemplatePath());
    EXPECT_EQ(ReadTemplateNames(ini), std::vector<std::string>{"t"});
}

TEST_F(TemplateEditorTest, RefusedWriteShowsTheProfileErrorOnly) {
    std::filesystem::remove_all(ConfigFolder());
    Activate(Editor);
    Editor->txtName->SetText("t");
    UserClick(Editor->Button1);
    EXPECT_EQ(Dialogs->Messages(), std::vector<std::string>{"Unable to write to " + TemplatePath() + "."});
}

// Activation put both sizes back to "6", so saving an existing template
// again stored 6 pt captions. The sizes shown stay.
TEST_F(TemplateEditorTest, SavingATemplateAgainKeepsItsCaptionSizes) {
    TLabelTemplate t;
    t.TopFontSize = "12";
    t.BottomFontSize = "18";
    WriteTemplate("sheet", t);
    Activate(Editor);
    EXPECT_EQ(Editor->ComboBox1->Text(), "6");
    ChooseTemplate("sheet");
    EXPECT_EQ(Editor->ComboBox1->Text(), "12");
    Activate(Editor);  // back from another window
    EXPECT_EQ(Editor->ComboBox1->Text(), "12");
    EXPECT_EQ(Editor->ComboBox2->Text(), "18");
    EXPECT_EQ(Editor->ComboBox1->Items()->Count(), 15);
    UserClick(Editor->Button1);
    EXPECT_EQ(Stored("sheet", "tcapfont"), "12");
    EXPECT_EQ(Stored("sheet", "bcapfont"), "18");
}

// Names with "]", a leading "[" or blanks at either end were reported as
// created and then listed and loaded under another name.
TEST_F(TemplateEditorTest, TemplateNamesReadBackAsTyped) {
    struct Case {
        const char* Typed;
        const char* Stored;  // nullptr: refused
    };
    const Case cases[] = {
        {"  Office 3 x 7  ", "Office 3 x 7"}, {"A4 (63.5 x 38.1)", "A4 (63.5 x 38.1)"}, {"L7160]", nullptr},
        {"[L7160", nullptr},                  {"a]b[c", nullptr},                     {"tab\there", nullptr},
        {"line\nbreak", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Typed);
        Dialogs->Clear();
        std::filesystem::remove(TemplatePath());
        Activate(Editor);
        Editor->txtRows->SetText("7");
        Editor->txtName->SetText(c.Typed);
        UserClick(Editor->Button1);
        if (!c.Stored) {
            EXPECT_EQ(Dialogs->Messages(), std::vector<std::string>{std::string(SBadTemplateName)});
            EXPECT_FALSE(FileExists(TemplatePath()));
            continue;
        }
        EXPECT_EQ(Dialogs->Messages(), std::vector<std::string>{"Label template created."});
        EXPECT_EQ(Editor->txtName->Text(), c.Stored);
        Activate(Editor);
        EXPECT_EQ(Editor->ComboBox3->Items()->Text(), std::string(c.Stored) + "\n");
        Editor->txtRows->SetText("");
        ChooseTemplate(c.Stored);
        EXPECT_EQ(Editor->txtRows->Text(), "7");
    }
}

// A count typed, pasted or loaded beyond the up-downs' range is held to 999.
TEST_F(TemplateEditorTest, RowsAndColumnsAreHeldToTheUpDownsRange) {
    Activate(Editor);
    Editor->Show();
    Editor->txtRows->SetText("");
    TypeText(Editor->txtRows, "1000000000");
    EXPECT_EQ(Editor->txtRows->Text(), "999");
    Editor->txtCol->SetText("");
    Editor->txtCol->PasteText("0000012345");
    EXPECT_EQ(Editor->txtCol->Text(), "999");
    for (const char* kept : {"0", "7", "999", "0999", ""}) {
        Editor->txtCol->SetText(kept);
        EXPECT_EQ(Editor->txtCol->Text(), kept);
    }
    TLabelTemplate t;
    t.Rows = "1000000000";
    WriteTemplate("huge", t);
    ChooseTemplate("huge");
    EXPECT_EQ(Editor->txtRows->Text(), "999");
}

// A template file that exists but cannot be read used to be taken as empty,
// and the next save replaced every template with one.
TEST_F(TemplateEditorTest, ATemplateFileThatCannotBeReadIsNeverReplaced) {
    struct Case {
        const char* Name;
        std::function<bool(const std::string&)> Make;
    };
    const Case cases[] = {
        {"a folder in its place", [](const std::string& p) { return std::filesystem::create_directory(p); }},
        {"no read permission",
         [](const std::string& p) {
             if (geteuid() == 0) return false;  // root reads anyway
             TIniFile(p).WriteString("kept", "rows", "7");
             return chmod(p.c_str(), 0200) == 0;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::filesystem::remove_all(TemplatePath());
        if (!c.Make(TemplatePath())) continue;
        Dialogs->Clear();
        Activate(Editor);
        Editor->txtName->SetText("new");
        UserClick(Editor->Button1);
        const std::vector<std::string> messages = Dialogs->Messages();
        ASSERT_EQ(messages.size(), 2u);
        EXPECT_EQ(messages[0].rfind("Cannot open file \"" + TemplatePath() + "\".", 0), 0u) << messages[0];
        EXPECT_EQ(messages[1], "Unable to write to " + TemplatePath() + ".");
        chmod(TemplatePath().c_str(), 0600);
    }
}

TEST_F(TemplateEditorTest, CloseHidesTheWindow) {
    Editor->Show();
    UserClick(Editor->Button2);
    EXPECT_FALSE(Editor->Visible());
    EXPECT_NE(frmLabelsProps, nullptr);
}

// ---------------------------------------------------------------- key filters

struct FilterRow {
    const char* Name;
    const char* Typed;
    const char* Decimal;  // what a measure field keeps
    const char* Digits;   // what a count field keeps
};

class KeyFilterTest : public TemplateEditorTest, public ::testing::WithParamInterface<FilterRow> {};

TEST_P(KeyFilterTest, MeasureAndCountFields) {
    const FilterRow& row = GetParam();
    Editor->Show();
    for (TEdit* e : {Editor->txtLabelWidth, Editor->txtHeight, Editor->txtLMargin, Editor->txtTMargin, Editor->txtLeft,
                     Editor->txtTop, Editor->txtGutterh, Editor->txtGutterv}) {
        SCOPED_TRACE(e->Name());
        e->SetText("");
        TypeText(e, row.Typed);
        EXPECT_EQ(e->Text(), row.Decimal);
    }
    for (TEdit* e : {Editor->txtRows, Editor->txtCol}) {
        SCOPED_TRACE(e->Name());
        e->SetText("");
        TypeText(e, row.Typed);
        EXPECT_EQ(e->Text(), row.Digits);
    }
    // Captions and names take anything.
    Editor->txtTopCap->SetText("");
    TypeText(Editor->txtTopCap, row.Typed);
    EXPECT_EQ(Editor->txtTopCap->Text(), row.Typed);
}

INSTANTIATE_TEST_SUITE_P(Rows, KeyFilterTest,
                         // Every digit passes the filter; a count is then held to the up-downs' 999.
                         ::testing::Values(FilterRow{"Digits", "0123456789", "0123456789", "999"},
                                           FilterRow{"DecimalPoint", "12.5", "12.5", "125"},
                                           FilterRow{"DecimalComma", "12,5", "12,5", "125"},
                                           FilterRow{"Letters", "a1b2X", "12", "12"},
                                           FilterRow{"SignsAndSpace", "-3 +4", "34", "34"}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(TemplateEditorTest, BackspacePassesTheFilters) {
    Editor->Show();
    Editor->txtRows->SetText("");
    TypeText(Editor->txtRows, "12");
    PressKey(Editor->txtRows, VK_BACK);
    EXPECT_EQ(Editor->txtRows->Text(), "1");
}

TEST_F(TemplateEditorTest, PastedTextIsNotFiltered) {
    Editor->Show();
    Editor->txtLabelWidth->SetText("");
    Editor->txtLabelWidth->PasteText("abc");
    EXPECT_EQ(Editor->txtLabelWidth->Text(), "abc");
}

// ---------------------------------------------------------------- deletion

class TemplateDeletionTest : public LabelsFixture {
protected:
    void SetUp() override {
        LabelsFixture::SetUp();
        TLabelTemplate a, b;
        a.Rows = "2";
        b.Rows = "5";
        WriteTemplate("alpha", a);
        WriteTemplate("beta", b);
        StartForms();
        Activate(frmLabels);
        Dialogs->Clear();
    }
};

TEST_F(TemplateDeletionTest, YesDeletesAndReopensOnTheFirstRemaining) {
    ASSERT_EQ(frmLabels->ComboBox3->Text(), "alpha");
    Dialogs->AnswerMessageDlg(mrYes);
    UserClick(frmLabels->Button4);
    const TDialogRequest& ask = Dialogs->Log().at(0);
    EXPECT_EQ(ask.Kind, TDialogKind::MessageDlg);
    EXPECT_EQ(ask.Text, "This will delete the label template. Do you wish to continue.");
    EXPECT_EQ(ask.DlgType, mtCustom);
    EXPECT_EQ(ask.Buttons, mbYes | mbNo);
    EXPECT_EQ(ask.Caption, Application->Title());
    EXPECT_EQ(Dialogs->Messages().back(), "Label template removed.");
    TIniFile ini(TemplatePath());
    EXPECT_EQ(ReadTemplateNames(ini), std::vector<std::string>{"beta"});
    EXPECT_TRUE(frmLabels->Visible());
    EXPECT_EQ(frmLabels->ComboBox3->Items()->Text(), "beta\n");
    EXPECT_EQ(frmLabels->ComboBox3->Text(), "beta");
    EXPECT_EQ(frmLabels->txtRows->Text(), "5");
    EXPECT_EQ(frmLabels->SpinEdit2->Value(), 5);
}

TEST_F(TemplateDeletionTest, NoKeepsTheTemplate) {
    Dialogs->AnswerMessageDlg(mrNo);
    UserClick(frmLabels->Button4);
    EXPECT_EQ(Dialogs->Messages().size(), 1u);
    TIniFile ini(TemplatePath());
    EXPECT_EQ(ReadTemplateNames(ini), (std::vector<std::string>{"alpha", "beta"}));
}

TEST_F(TemplateDeletionTest, UnknownNameStillReopensAndReports) {
    frmLabels->ComboBox3->SetText("gamma");
    const std::string before = ReadFileBytes(TemplatePath());
    Dialogs->AnswerMessageDlg(mrYes);
    UserClick(frmLabels->Button4);
    EXPECT_EQ(ReadFileBytes(TemplatePath()), before);
    EXPECT_EQ(Dialogs->Messages().back(), "Label template removed.");
    EXPECT_EQ(frmLabels->ComboBox3->Text(), "alpha");
}

}  // namespace
