// Nothing of the label data dropped without a word: the data editor takes
// every column of the table, and edits about to be lost are asked about
// (Yes saves, No drops, Cancel keeps) before the editor's close box, a new
// Edit, Load File and the end of the program; the editor's Cancel button
// drops its copy without a question.
#include <fstream>

#include "labels/LabelConst.h"
#include "labels/Unit6.h"
#include "tests/labels/LabelsFixture.h"

namespace {

using namespace LabelConst;

class LabelEditsKeptTest : public LabelsFixture {
protected:
    void SetUp() override {
        LabelsFixture::SetUp();
        StartForms();
        W = frmLabels;
        E = frmEdit;
        ASSERT_NE(E, nullptr);
        Activate(W);
        Dialogs->Clear();
    }
    void Load(const std::string& text) {
        Dialogs->AnswerOpen(File("data.csv", text));
        UserClick(W->Button6);
    }
    std::string Cell(int32_t c, int32_t r) const { return W->DataTable()->Cells(c, r); }
    // Opens the editor on the table and changes one cell there.
    void EditOneCell(const std::string& text) {
        UserClick(W->Button8);
        ASSERT_TRUE(E->Visible());
        E->EditGrid()->SetCells(2, 1, text);
    }
    std::string LastMessage() const { return Dialogs->Messages().empty() ? "" : Dialogs->Messages().back(); }
    TfrmLabels* W = nullptr;
    TfrmEdit* E = nullptr;
};

TEST_F(LabelEditsKeptTest, EveryColumnComesBackFromTheEditor) {
    std::string line = "CODE39,ABC";
    for (int i = 3; i <= 17; ++i) line += ",f" + std::to_string(i);
    Load(line + "\r\n");
    ASSERT_EQ(W->DataTable()->ColCount(), 18);
    UserClick(W->Button8);
    EXPECT_EQ(E->EditGrid()->ColCount(), 18);
    EXPECT_EQ(E->EditGrid()->Cells(17, 1), "f17");
    UserClick(E->ToolButton1);
    EXPECT_EQ(Cell(16, 1), "f16");
    EXPECT_EQ(Cell(17, 1), "f17");
    EXPECT_FALSE(W->DataTableChanged()) << "nothing was edited";
}

TEST_F(LabelEditsKeptTest, TheEditorsCloseBoxAsksAboutItsEdits) {
    Load("CODE39,ABC\r\n");
    // Cancel keeps the editor open with its edit; the table is as it was.
    EditOneCell("XYZ");
    Dialogs->AnswerMessageDlg(mrCancel);
    E->Close();
    EXPECT_EQ(LastMessage(), SSaveEdits);
    EXPECT_TRUE(E->Visible());
    EXPECT_EQ(Cell(2, 1), "ABC");
    // No drops the edit.
    Dialogs->AnswerMessageDlg(mrNo);
    E->Close();
    EXPECT_FALSE(E->Visible());
    EXPECT_EQ(Cell(2, 1), "ABC");
    EXPECT_FALSE(W->DataTableChanged());
    // Yes saves it into the table.
    EditOneCell("XYZ");
    Dialogs->AnswerMessageDlg(mrYes);
    E->Close();
    EXPECT_FALSE(E->Visible());
    EXPECT_EQ(Cell(2, 1), "XYZ");
    EXPECT_TRUE(W->DataTableChanged());
    // Nothing edited: no question; the Cancel button never asks.
    Dialogs->Clear();
    UserClick(W->Button8);
    E->Close();
    EditOneCell("dropped");
    UserClick(E->ToolButton5);
    EXPECT_FALSE(E->Visible());
    EXPECT_TRUE(Dialogs->Messages().empty());
    EXPECT_EQ(Cell(2, 1), "XYZ");
    // Edit again over an editor still open with edits asks too.
    EditOneCell("again");
    Dialogs->AnswerMessageDlg(mrCancel);
    UserClick(W->Button8);
    EXPECT_EQ(LastMessage(), SSaveEdits);
    EXPECT_EQ(E->EditGrid()->Cells(2, 1), "again");
    Dialogs->AnswerMessageDlg(mrNo);
    UserClick(E->ToolButton5);
}

TEST_F(LabelEditsKeptTest, LoadFileAsksBeforeAChangedTableGoes) {
    Load("CODE39,ABC\r\n");
    EditOneCell("XYZ");
    UserClick(E->ToolButton1);
    ASSERT_TRUE(W->DataTableChanged());
    const std::string other = File("other.csv", "EAN_13,123456789012\r\n");
    // Cancel: no file is opened, the table stays.
    Dialogs->AnswerMessageDlg(mrCancel);
    UserClick(W->Button6);
    EXPECT_EQ(LastMessage(), SSaveDataTable);
    EXPECT_EQ(Cell(2, 1), "XYZ");
    EXPECT_EQ(Dialogs->Pending(), 0u);
    // Yes with the save dialog cancelled: still nothing lost.
    Dialogs->AnswerMessageDlg(mrYes).CancelSave();
    UserClick(W->Button6);
    EXPECT_EQ(Cell(2, 1), "XYZ");
    EXPECT_TRUE(W->DataTableChanged());
    // Yes and a file: the table is saved, then the other one loads.
    const std::string saved = Root + "/saved.csv";
    Dialogs->AnswerMessageDlg(mrYes).AnswerSave(saved).AnswerOpen(other);
    UserClick(W->Button6);
    EXPECT_NE(ReadFileBytes(saved).find("XYZ"), std::string::npos);
    EXPECT_EQ(Cell(1, 1), "EAN_13");
    EXPECT_FALSE(W->DataTableChanged());
    // A table as loaded asks nothing.
    Dialogs->Clear();
    Dialogs->AnswerOpen(other);
    UserClick(W->Button6);
    EXPECT_TRUE(Dialogs->Messages().empty());
}

TEST_F(LabelEditsKeptTest, TheProgramAsksBeforeItEnds) {
    Load("CODE39,ABC\r\n");
    EXPECT_TRUE(Form1->CloseQuery()) << "nothing changed";
    EditOneCell("XYZ");
    // The editor's edits first, then the table they went into.
    Dialogs->AnswerMessageDlg(mrYes).AnswerMessageDlg(mrCancel);
    EXPECT_FALSE(Form1->CloseQuery());
    EXPECT_EQ(Dialogs->Messages(), (std::vector<std::string>{SSaveEdits, SSaveDataTable}));
    EXPECT_EQ(Cell(2, 1), "XYZ");
    Dialogs->AnswerMessageDlg(mrNo);
    EXPECT_TRUE(Form1->CloseQuery());
}

}  // namespace
