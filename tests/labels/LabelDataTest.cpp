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
    EXPECT_EQ(Dialogs->Messages(),
              std::vector<std::string>{"Data row 1, column \"TCap Font Size\": '' is not a valid integer value."});
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

// What Save File writes Load File reads back as it was: commas, quotes,
// line breaks and the blank marker stay in their cells.
TEST_F(LabelDataTest, SavedAndLoadedTablesComeBackAsTheyWere) {
    Load(Line({"CODE39", "A B", "", "", "", "", "", "", "", "", "", "X", "10", "Y"}) + "\r\n" + Line({"CODE39", "D2"}) +
         "\r\n");
    TStringGrid* t = W->DataTable();
    t->SetCells(12, 1, "Hello, World");
    t->SetCells(14, 1, "say \"x\"");
    t->SetCells(3, 2, "two\r\nlines");
    std::vector<std::vector<std::string>> before;
    for (int32_t r = 1; r < t->RowCount(); ++r) {
        before.emplace_back();
        for (int32_t c = 1; c < t->ColCount(); ++c) before.back().push_back(t->Cells(c, r));
    }
    const std::string saved = Root + "/saved.csv";
    Dialogs->AnswerSave(saved);
    UserClick(W->Button7);
    const std::string text = ReadFile(saved);
    EXPECT_EQ(text.substr(0, text.find("\r\n")), "CODE39,\"A B\",,,,,,,,,,\"Hello, World\",10,\"say \"\"x\"\"\",\" \"");
    Dialogs->AnswerOpen(saved);
    UserClick(W->Button6);
    ASSERT_TRUE(Dialogs->Messages().empty()) << Dialogs->Messages()[0];
    EXPECT_EQ(t->RowCount(), 3);
    EXPECT_EQ(t->ColCount(), 16);
    for (int32_t r = 1; r < t->RowCount(); ++r)
        for (int32_t c = 1; c < t->ColCount(); ++c)
            EXPECT_EQ(t->Cells(c, r), before[static_cast<size_t>(r - 1)][static_cast<size_t>(c - 1)]) << c << "," << r;
}

// A spreadsheet's row loads in its columns and prints.
TEST_F(LabelDataTest, ASpreadsheetsQuotedCaptionStaysInItsColumn) {
    Load("CODE39,\"Bolt, M6 \"\"hex\"\" #1\",\" \",\" \",\" \",\" \",\" \",\" \",\" \",\" \",\" \",\" \",\" \",\" \",\" \"\r\n");
    EXPECT_EQ(Cell(2, 1), "Bolt, M6 \"hex\" #1");
    EXPECT_EQ(Cell(15, 1), " ");
    W->DataTable()->SetCells(2, 1, "BOLT M6");
    UserClick(W->Button5);
    ASSERT_TRUE(Dialogs->Messages().empty()) << Dialogs->Messages()[0];
    EXPECT_EQ(SymbolTexts(LastJob().Pages[0]), std::vector<std::string>{"BOLT M6"});
}

// A file that cannot be loaded leaves the table as it was.
TEST_F(LabelDataTest, RefusedFilesLeaveTheTableAsItWas) {
    LoadRows(3);
    const std::vector<std::pair<std::string, std::string>> cases{
        {std::string("CODE39,X\r\n\0\x01\x02PNG", 16), "\"" + Root + "/bad.csv\" is not a text file: it holds NUL bytes or control characters."},
        {"CODE39,\"open\r\nCODE39,Y\r\n", "\"" + Root + "/bad.csv\" cannot be read: the quoted field that starts on line 1 has no closing quote."},
    };
    for (const auto& [text, message] : cases) {
        Dialogs->Clear();
        Dialogs->AnswerOpen(File("bad.csv", text));
        UserClick(W->Button6);
        EXPECT_EQ(Dialogs->Messages(), std::vector<std::string>{message});
        EXPECT_EQ(W->DataTable()->RowCount(), 4);
        EXPECT_EQ(Cell(2, 3), "D3");
    }
    Dialogs->Clear();
    Dialogs->AnswerOpen(Root + "/missing.csv");
    UserClick(W->Button6);
    EXPECT_EQ(Dialogs->Messages(),
              std::vector<std::string>{"Cannot open file \"" + Root + "/missing.csv\". No such file or directory."});
    EXPECT_EQ(Cell(2, 3), "D3");
    Dialogs->AnswerOpen(Root + "/missing.csv");
    EXPECT_THROW(W->Button6Click(nullptr), EInOutError);
    EXPECT_EQ(Screen->Cursor(), crDefault);
}

TEST_F(LabelDataTest, LinesOfMoreThanFiftyFieldsAreCutWithAWord) {
    std::string wide = "CODE39";
    for (int i = 2; i <= 60; ++i) wide += "," + std::to_string(i);
    Load("CODE39,A\r\n" + wide + "\r\nCODE39,B\r\n" + wide + "\r\n");
    EXPECT_EQ(Dialogs->Messages(),
              std::vector<std::string>{"2 line(s) of the file held more than 50 fields; only the first 50 of each were "
                                       "loaded (the first such line is line 2)."});
    EXPECT_EQ(W->DataTable()->ColCount(), 51);
    EXPECT_EQ(Cell(50, 2), "50");
    EXPECT_EQ(Cell(2, 3), "B");
}

// A cell a file could not give back is refused; the file stays as it was.
TEST_F(LabelDataTest, ACellWithAControlCharacterIsNotSaved) {
    LoadRows(2);
    W->DataTable()->SetCells(14, 2, "ring\x07");
    const std::string saved = File("kept.csv", "old");
    Dialogs->AnswerSave(saved);
    Dialogs->AnswerMessageBox(IDYES);  // replace it
    UserClick(W->Button7);
    ASSERT_FALSE(Dialogs->Messages().empty());
    EXPECT_EQ(Dialogs->Messages().back(),
              std::string{"Data row 2, column \"Bottom Caption\" holds a control character, which a label "
                                       "data file cannot hold."});
    EXPECT_EQ(ReadFile(saved), "old");
    Dialogs->AnswerSave(Root + "/no/such/folder/x.csv");
    W->DataTable()->SetCells(14, 2, " ");
    EXPECT_THROW(W->Button7Click(nullptr), EInOutError);
}

// Prints that would place no label, or place labels before the first
// position, say so and send no job.
TEST_F(LabelDataTest, PrintsThatPlaceNoLabelSendNoJob) {
    struct Case {
        int Rows;
        int StartRow, StartCol, From, To;
        std::string Message;
    };
    const std::vector<Case> cases{
        {0, 1, 1, 1, 4, "The label data table holds no label to print."},
        {2, 1, 1, 3, 4, "The print range selects none of the label data table's labels."},
        {2, 0, 1, 1, 4, "The start row and column of a data print must be 1 or more."},
        {2, 1, -1, 1, 4, "The start row and column of a data print must be 1 or more."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Message);
        LoadRows(c.Rows);
        W->spinStart->SetValue(c.StartRow);
        W->SpinCol->SetValue(c.StartCol);
        W->SpinEdit1->SetValue(c.From);
        W->SpinEdit2->SetValue(c.To);
        Dialogs->Clear();
        const size_t jobs = Recorder->Jobs().size();
        UserClick(W->Button5);
        EXPECT_EQ(Dialogs->Messages(), std::vector<std::string>{c.Message});
        EXPECT_EQ(Recorder->Jobs().size(), jobs);
        EXPECT_FALSE(Printer()->Printing());
    }
}

TEST_F(LabelDataTest, AReallyEmptyBottomSizePrintsAtSixPoints) {
    Load("CODE39,ABC,,,,100,100,,,,,,8,Below,\r\n");
    UserClick(W->Button5);
    ASSERT_TRUE(Dialogs->Messages().empty()) << Dialogs->Messages()[0];
    const auto captions = Captions(LastJob().Pages[0]);
    ASSERT_FALSE(captions.empty());
    EXPECT_EQ(captions.back()->Text, "Below");
    EXPECT_EQ(captions.back()->Font.Height, -50);  // 6 points at 600 dpi
}

TEST_F(LabelDataTest, ARefusedValueNamesItsRowAndColumn) {
    Load(Line({"CODE39", "A"}) + "\r\n" + Line({"CODE39", "B", " ", " ", " ", "300"}) + "\r\n");
    UserClick(W->Button5);
    ASSERT_EQ(Dialogs->Messages().size(), 1u);
    EXPECT_EQ(Dialogs->Messages()[0].rfind("Data row 2, column \"Bar Height %\": Bar_HeightPercent", 0), 0u)
        << Dialogs->Messages()[0];
    EXPECT_FALSE(Printer()->Printing());
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
