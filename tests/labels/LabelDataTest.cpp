// The label data table: label data files loaded and saved, the copy edited
// in the data editor, and the print of one row per label through the
// recording printer at 600 dpi.
#include <sstream>

#include "labels/LabelData.h"
#include "labels/Unit6.h"
#include "platform/graphics/RecordingDevice.h"
#include "tests/labels/LabelsFixture.h"

namespace {

using Page = std::vector<TRecordedCall>;

// The symbols' human-readable texts (centred), and the captions (left).
std::vector<std::string> SymbolTexts(const Page& page) {
    std::vector<std::string> out;
    for (const TRecordedCall& c : page)
        if (c.Kind == TRecordedKind::TextOut && (c.Align & TA_CENTER) == TA_CENTER) out.push_back(c.Text);
    return out;
}
std::vector<const TRecordedCall*> Captions(const Page& page) {
    std::vector<const TRecordedCall*> out;
    for (const TRecordedCall& c : page)
        if (c.Kind == TRecordedKind::TextOut && (c.Align & TA_CENTER) != TA_CENTER) out.push_back(&c);
    return out;
}

// A data row of all 15 fields: the given ones, the rest blank.
std::string Line(const std::vector<std::string>& fields) {
    std::string out;
    for (size_t i = 0; i < 15; ++i) {
        if (i) out += ',';
        out += i < fields.size() ? fields[i] : " ";
    }
    return out;
}

class LabelDataTest : public LabelsFixture {
protected:
    void SetUp() override {
        LabelsFixture::SetUp();
        StartForms();
        W = frmLabels;
        Activate(W);
        Dialogs->Clear();
        Sheet(2, 2);
    }
    void Sheet(int columns, int rows) {
        W->txtCol->SetText(std::to_string(columns));
        W->txtRows->SetText(std::to_string(rows));
        for (TEdit* e : {W->txtLeft, W->txtTop, W->txtLmargin, W->txtTmargin}) e->SetText("0");
        W->hzPitch->SetText("70");
        W->vrtPitch->SetText("40");
        W->txtWidth->SetText("70");
        W->txtHeight->SetText("40");
        W->SpinEdit1->SetValue(1);
        W->SpinEdit2->SetValue(columns * rows);
    }
    std::string File(const std::string& name, const std::string& text) {
        const std::string path = Root + "/" + name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    void Load(const std::string& text) {
        Dialogs->AnswerOpen(File("data.csv", text));
        UserClick(W->Button6);
    }
    // Rows of CODE39 symbols with the data d1, d2, ...
    void LoadRows(int n) {
        std::string text;
        for (int i = 1; i <= n; ++i) text += Line({"CODE39", "D" + std::to_string(i)}) + "\r\n";
        Load(text);
    }
    std::string Cell(int32_t c, int32_t r) const { return W->DataTable()->Cells(c, r); }
    const TRecordedJob& LastJob() const { return Recorder->Jobs().back(); }

    TfrmLabels* W = nullptr;
};

TEST_F(LabelDataTest, TheTableAtStart) {
    TStringGrid* t = W->DataTable();
    EXPECT_EQ(t->ColCount(), 16);
    EXPECT_EQ(t->RowCount(), 2);
    EXPECT_EQ(t->FixedCols(), 1);
    EXPECT_EQ(t->ColWidths(0), 10);
    EXPECT_EQ(t->RowHeights(0), 18);
    EXPECT_EQ(Cell(1, 0), "Bar Type");
    EXPECT_EQ(Cell(15, 0), "BCap Font Size");
    EXPECT_FALSE(t->Options() & goEditing);
    EXPECT_EQ(W->Button6->Caption(), "&Load File");
    ASSERT_NE(frmEdit, nullptr);
    EXPECT_EQ(frmEdit->Caption(), "Edit Data File");
}

// The two lines of different lengths: the table takes them, and the print
// stops at the first label, whose top caption size is really empty.
TEST_F(LabelDataTest, TwoShortLinesLoadAndThePrintStopsAtTheEmptySize) {
    Load("UPC_A,01234567890\r\nEAN_13,123456789012,12\r\n");
    EXPECT_EQ(W->DataTable()->RowCount(), 3);
    // At least 16 columns, so that the editor's later columns come back.
    EXPECT_EQ(W->DataTable()->ColCount(), 16);
    EXPECT_EQ(Cell(2, 2), "123456789012");
    EXPECT_EQ(Cell(3, 2), "12");
    UserClick(W->Button5);
    EXPECT_EQ(Dialogs->Messages(), std::vector<std::string>{"'' is not a valid integer value."});
    EXPECT_FALSE(Printer()->Printing());
    EXPECT_EQ(W->PrintBarcode(), nullptr);
}

TEST_F(LabelDataTest, BlankFieldsPrintWithTheirDefaults) {
    Load(Line({"CODE39", "ABC"}) + "\r\n");
    UserClick(W->Button5);
    ASSERT_TRUE(Dialogs->Messages().empty()) << Dialogs->Messages()[0];
    ASSERT_EQ(LastJob().Pages.size(), 1u);
    const Page& page = LastJob().Pages[0];
    EXPECT_EQ(SymbolTexts(page), std::vector<std::string>{"ABC"});
    // No top caption; the bottom caption of one space in Arial, 6 points.
    const auto captions = Captions(page);
    ASSERT_EQ(captions.size(), 1u);
    EXPECT_EQ(captions[0]->Text, " ");
    EXPECT_EQ(captions[0]->Font.Name, "Arial");
    EXPECT_EQ(captions[0]->Font.Height, -50);  // 6 points at 600 dpi
}

TEST_F(LabelDataTest, AnUnknownTypeKeepsTheSymbologyOfTheRowBefore) {
    Load(Line({"CODE39", "ABC"}) + "\r\n" + Line({"XYZ", "DEF"}) + "\r\n" + Line({"CODE128_B", "ghi"}) + "\r\n");
    UserClick(W->Button5);
    ASSERT_TRUE(Dialogs->Messages().empty()) << Dialogs->Messages()[0];
    // Code 39 writes the data alone; Code 128 too, in its own case.
    EXPECT_EQ(SymbolTexts(LastJob().Pages[0]), (std::vector<std::string>{"ABC", "DEF", "ghi"}));
}

struct PagingRow {
    int Rows;
    size_t Pages;
    std::vector<std::vector<std::string>> Texts;
};

TEST_F(LabelDataTest, PagesOfTwoByTwo) {
    const std::vector<PagingRow> rows{
        {4, 1, {{"D1", "D2", "D3", "D4"}}},
        {5, 2, {{"D1", "D2", "D3", "D4"}, {"D5"}}},
        // The print ends with the data: an empty table starts no second page.
        {0, 1, {{}}},
    };
    for (const PagingRow& row : rows) {
        SCOPED_TRACE(row.Rows);
        LoadRows(row.Rows);
        UserClick(W->Button5);
        ASSERT_TRUE(Dialogs->Messages().empty());
        ASSERT_EQ(LastJob().Pages.size(), row.Pages);
        for (size_t p = 0; p < row.Pages; ++p) EXPECT_EQ(SymbolTexts(LastJob().Pages[p]), row.Texts[p]);
        EXPECT_TRUE(LastJob().Ended);
    }
}

TEST_F(LabelDataTest, StartRowAndColumnAndThePrintRange) {
    Sheet(3, 3);
    std::string text;
    for (int i = 1; i <= 2; ++i) text += Line({"CODE39", "D" + std::to_string(i), " ", " ", " ", " ", " ", " ", " ",
                                               " ", " ", "%d", "8"}) + "\r\n";
    Load(text);
    W->spinStart->SetValue(2);
    W->SpinCol->SetValue(2);
    UserClick(W->Button5);
    const auto captions = Captions(LastJob().Pages[0]);
    ASSERT_EQ(captions.size(), 4u);  // top and bottom of each
    EXPECT_EQ(captions[0]->Text, "5");
    EXPECT_EQ(captions[2]->Text, "6");
    // Second row, second and third position: x = 70 mm and 140 mm, y = 40 mm.
    EXPECT_EQ(captions[0]->Anchor, (TPoint{1654, 945}));
    EXPECT_EQ(captions[2]->Anchor.X, 3307);

    Sheet(2, 2);
    W->spinStart->SetValue(1);
    W->SpinCol->SetValue(1);
    W->SpinEdit1->SetValue(3);
    W->SpinEdit2->SetValue(4);
    LoadRows(4);
    UserClick(W->Button5);
    EXPECT_EQ(SymbolTexts(LastJob().Pages[0]), (std::vector<std::string>{"D3", "D4"}));
}

// A caption holding a comma is saved quoted and comes back as two fields.
TEST_F(LabelDataTest, SavedAndLoadedHelloWorldShiftsTheFields) {
    Load(Line({"CODE39", "A B", "", "", "", "", "", "", "", "", "", "X", "10", "Y"}) + "\r\n");
    W->DataTable()->SetCells(12, 1, "Hello, World");
    W->DataTable()->SetCells(14, 1, "say \"x\"");
    const std::string saved = Root + "/saved.csv";
    Dialogs->AnswerSave(saved);
    UserClick(W->Button7);
    const std::string text = ReadFile(saved);
    EXPECT_EQ(text, "CODE39,\"A B\",,,,,,,,,,\"Hello, World\",10,\"say \"\"x\"\"\",\" \"\r\n");
    Dialogs->AnswerOpen(saved);
    UserClick(W->Button6);
    EXPECT_EQ(Cell(2, 1), "A B");
    EXPECT_EQ(Cell(12, 1), "Hello");
    EXPECT_EQ(Cell(13, 1), " World");
    EXPECT_EQ(Cell(14, 1), "10");
    EXPECT_EQ(Cell(15, 1), "say x");
    EXPECT_EQ(W->DataTable()->ColCount(), 17);
    EXPECT_EQ(Cell(16, 1), " ");
}

// Cells of the file loaded before printed with the new one.
TEST_F(LabelDataTest, LoadingClearsTheDataCellsAndKeepsFiftyFields) {
    LoadRows(3);
    Load("CODE39,X\r\n");
    EXPECT_EQ(W->DataTable()->RowCount(), 2);
    EXPECT_EQ(Cell(3, 1), "");
    std::string wide = "CODE39";
    for (int i = 2; i <= 60; ++i) wide += "," + std::to_string(i);
    Load(wide + "\r\n");
    EXPECT_EQ(W->DataTable()->ColCount(), 51);
    EXPECT_EQ(Cell(50, 1), "50");
    Load("");
    EXPECT_EQ(W->DataTable()->RowCount(), 2);
}

TEST_F(LabelDataTest, TheEditorsRowCommandsAndSaveChanges) {
    LoadRows(1);
    UserClick(W->Button8);
    TStringGrid* e = frmEdit->EditGrid();
    EXPECT_TRUE(frmEdit->Visible());
    EXPECT_EQ(e->RowCount(), 2);
    EXPECT_EQ(e->Cells(2, 1), "D1");
    EXPECT_EQ(e->Cells(0, 1), " ");  // an empty cell comes as the blank marker

    frmEdit->ToolButton4Click(nullptr);  // header plus one data row: nothing
    EXPECT_EQ(e->RowCount(), 2);

    frmEdit->ToolButton7Click(nullptr);
    e->SetCells(2, 2, "added");
    e->SetRow(1);
    frmEdit->ToolButton3Click(nullptr);
    EXPECT_EQ(e->RowCount(), 4);
    EXPECT_EQ(e->Cells(2, 1), "");
    EXPECT_EQ(e->Cells(2, 2), "D1");
    EXPECT_EQ(e->Cells(2, 3), "added");
    frmEdit->ToolButton4Click(nullptr);  // the current row, 1, goes
    EXPECT_EQ(e->RowCount(), 3);
    EXPECT_EQ(e->Cells(2, 1), "D1");
    e->SetCells(15, 2, "8");

    frmEdit->ToolButton5Click(nullptr);  // Cancel: nothing comes back
    EXPECT_EQ(W->DataTable()->RowCount(), 2);
    frmEdit->ToolButton1Click(nullptr);
    EXPECT_FALSE(frmEdit->Visible());
    EXPECT_EQ(W->DataTable()->RowCount(), 3);
    EXPECT_EQ(Cell(2, 2), "added");
    EXPECT_EQ(Cell(15, 2), "8");
    EXPECT_EQ(Cell(3, 2), " ");
    EXPECT_EQ(Cell(1, 0), "Bar Type");
}

}  // namespace
