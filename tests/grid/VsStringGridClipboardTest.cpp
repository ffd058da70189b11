// The grid's clipboard through the real (offscreen) system clipboard:
// copied bytes, cut, block paste, smart paste and series.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "grid/VsUtil.h"
#include "platform/controls/Clipbrd.h"
#include "tests/grid/VsStringGridTestSupport.h"

namespace {

using namespace std::string_literals;

class GridClipboard : public StringGridTest {
protected:
    void SetUp() override {
        ScriptedTest::SetUp();
        MakeGrid(500, 400, Rect(0, 0, 400, 300));
        grid->SetColCount(4);
        grid->SetRowCount(4);
        grid->SetOptions(grid->Options() | goEditing);
        saved = FormatSettings();
        FormatSettings().ShortDateFormat = "d/m/yyyy";
    }
    void TearDown() override {
        FormatSettings() = saved;
        StringGridTest::TearDown();
    }
    static std::string ClipboardText() { return Clipboard()->GetFormatData(CF_TEXT); }
    void Select(int32_t l, int32_t t, int32_t r, int32_t b) { grid->SetSelection(TGridRect{l, t, r, b}); }
    std::string Column(int32_t col, int32_t from, int32_t to) {
        std::string s;
        for (int32_t r = from; r <= to; ++r) s += grid->Cells(col, r) + (r < to ? "|" : "");
        return s;
    }
    TFormatSettings saved;
};

TEST_F(GridClipboard, CopyPutsTabAndLineBreakTextWithItsZero) {
    grid->SetCells(1, 1, "a");
    grid->SetCells(2, 1, "b");
    grid->SetCells(1, 2, "c");
    grid->SetCells(2, 2, "d");
    Select(1, 1, 2, 2);
    grid->CopySelectionToClipboard();
    EXPECT_EQ(ClipboardText(), "a\tb\r\nc\td\0"s);
    // What other programs read is the same text, without the zero.
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), "a\tb\r\nc\td");
    EXPECT_TRUE(grid->LastActionWasCopy());
    EXPECT_EQ(grid->CopyOrigin().X, 1);
    EXPECT_EQ(grid->CopyOrigin().Y, 1);
}

TEST_F(GridClipboard, HtmlTagsGoOnlyWhenAsked) {
    grid->SetCells(1, 1, "<b>x</b>");
    Select(1, 1, 1, 1);
    grid->CopySelectionToClipboard();
    EXPECT_EQ(ClipboardText(), "<b>x</b>\0"s);
    grid->Navigation()->SetCopyHTMLTagsToClipboard(false);
    grid->CopySelectionToClipboard();
    EXPECT_EQ(ClipboardText(), "x\0"s);
}

TEST_F(GridClipboard, RichTextOfTheFirstCellGoesBesideTheText) {
    const std::string rtf = "{\\rtf1 Hello}";
    grid->SetCells(1, 1, rtf);
    grid->SetCells(2, 1, "plain");
    grid->Navigation()->SetAllowRTFClipboard(true);
    Select(1, 1, 2, 1);
    grid->CopySelectionToClipboard();
    const QMimeData* m = QGuiApplication::clipboard()->mimeData();
    ASSERT_TRUE(m->hasFormat("text/rtf"));
    EXPECT_EQ(m->data("text/rtf").toStdString(), rtf + '\0');
    EXPECT_TRUE(m->hasText());
    // A cell without rich text adds nothing.
    Select(2, 1, 2, 1);
    grid->CopySelectionToClipboard();
    EXPECT_FALSE(QGuiApplication::clipboard()->mimeData()->hasFormat("text/rtf"));
    // Pasting rich text fills the one cell and counts no fields.
    Select(1, 1, 2, 1);
    grid->CopySelectionToClipboard();
    EXPECT_EQ(grid->PasteFromClipboardAt(3, 3), 0);
    EXPECT_EQ(grid->Cells(3, 3), rtf);
}

TEST_F(GridClipboard, QuotedMultiLineCellsRoundTripInAnyField) {
    grid->SetMultilinecells(true);
    grid->SetClipboardQuoteLines(true);
    grid->SetCells(1, 1, "one\r\ntwo");
    grid->SetCells(2, 1, "x");
    grid->SetCells(3, 1, "three\r\nfour");
    grid->SetCells(1, 2, "y");
    Select(1, 1, 3, 2);
    grid->CopySelectionToClipboard();
    EXPECT_EQ(ClipboardText(), "\"one\ntwo\"\tx\t\"three\nfour\"\r\ny\t\t\0"s);
    grid->ClearAll();
    EXPECT_EQ(grid->PasteFromClipboardAt(1, 1), 6);
    EXPECT_EQ(grid->Cells(1, 1), "one\r\ntwo");
    EXPECT_EQ(grid->Cells(2, 1), "x");
    EXPECT_EQ(grid->Cells(3, 1), "three\r\nfour");
    EXPECT_EQ(grid->Cells(1, 2), "y");
    EXPECT_EQ(grid->RowCount(), 4);
}

TEST_F(GridClipboard, BlockPasteCases) {
    struct Case {
        const char* name;
        std::string text;
        int32_t rows, col, row;
        int32_t count, rowCount;
        std::vector<std::tuple<int32_t, int32_t, const char*>> cells;
    } cases[] = {
        {"two lines into a 3 x 3 grid", "1\t2\r\n3", 3, 1, 1, 3, 3, {{1, 1, "1"}, {2, 1, "2"}, {1, 2, "3"}}},
        {"three lines at the last row add two", "a\r\nb\r\nc", 3, 1, 2, 3, 5, {{1, 2, "a"}, {1, 3, "b"}, {1, 4, "c"}}},
        {"a final line break is no line", "a\tb\r\n", 3, 1, 2, 2, 3, {{1, 2, "a"}, {2, 2, "b"}}},
        {"bare LF lines are rows", "a\tb\nc\td\n", 3, 1, 1, 4, 3, {{1, 1, "a"}, {2, 1, "b"}, {1, 2, "c"}, {2, 2, "d"}}},
        {"bare CR lines are rows", "a\rb", 3, 1, 1, 2, 3, {{1, 1, "a"}, {1, 2, "b"}}},
        {"wide lines grow the columns", "1\t2\t3\t4\t5", 3, 1, 1, 5, 3, {{5, 1, "5"}}},
        {"an empty field empties its cell", "\tz", 3, 1, 1, 2, 3, {{1, 1, ""}, {2, 1, "z"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        grid->SetColCount(3);
        grid->SetRowCount(c.rows);
        grid->ClearAll();
        grid->SetCells(1, 1, "old");
        EXPECT_EQ(grid->PasteTextBlock(c.col, c.row, c.text), c.count);
        EXPECT_EQ(grid->RowCount(), c.rowCount);
        for (const auto& [col, row, text] : c.cells) EXPECT_EQ(grid->Cells(col, row), text) << col << "," << row;
    }
}

TEST_F(GridClipboard, PasteWritesOnlyEditableCellsAndNothingWithoutEditing) {
    grid->OnCanEditCell = [](TObject*, int32_t, int32_t ACol, bool& can) { can = ACol != 2; };
    EXPECT_EQ(grid->PasteTextBlock(1, 1, "a\tb\tc"), 3);
    EXPECT_EQ(grid->Cells(1, 1), "a");
    EXPECT_EQ(grid->Cells(2, 1), "");
    EXPECT_EQ(grid->Cells(3, 1), "c");
    grid->SetOptions(grid->Options() & ~goEditing);
    EXPECT_EQ(grid->PasteTextBlock(1, 2, "q"), 0);
    EXPECT_EQ(grid->Cells(1, 2), "");
}

TEST_F(GridClipboard, CutCopiesEverythingAndEmptiesTheEditableCells) {
    grid->SetCells(1, 1, "keep");
    grid->SetCells(2, 1, "go");
    grid->OnCanEditCell = [](TObject*, int32_t, int32_t ACol, bool& can) { can = ACol == 2; };
    Select(1, 1, 2, 1);
    grid->CutSelectionToClipboard();
    EXPECT_EQ(ClipboardText(), "keep\tgo\0"s);
    EXPECT_EQ(grid->Cells(1, 1), "keep");
    EXPECT_EQ(grid->Cells(2, 1), "");
    EXPECT_FALSE(grid->LastActionWasCopy());
}

TEST_F(GridClipboard, ExternalTextWithLineFeedsPastesAsRows) {
    QGuiApplication::clipboard()->setText("x\ty\nz\tw\n");
    Select(1, 1, 1, 1);
    grid->PasteSelectionFromClipboard();
    EXPECT_EQ(grid->Cells(1, 1), "x");
    EXPECT_EQ(grid->Cells(2, 1), "y");
    EXPECT_EQ(grid->Cells(1, 2), "z");
    EXPECT_EQ(grid->Cells(2, 2), "w");
    EXPECT_EQ(grid->Cells(1, 3), "");
}

TEST_F(GridClipboard, SmartPasteCases) {
    struct Case {
        const char* name;
        std::string text;
        TGridRect selection;
        std::string column1;  // rows 1..5 of column 1
    } cases[] = {
        {"one value fills the selection", "v\r\n", {1, 1, 1, 5}, "v|v|v|v|v"},
        {"an integer series", "1\r\n3", {1, 1, 1, 5}, "1|3|5|7|9"},
        {"a falling integer series", "10\r\n7", {1, 1, 1, 5}, "10|7|4|1|-2"},
        {"a float series", "1.5\r\n2.25", {1, 1, 1, 4}, "1.5|2.25|3|3.75|"},
        {"a day series", "30/12/2025\r\n31/12/2025", {1, 1, 1, 4}, "30/12/2025|31/12/2025|1/1/2026|2/1/2026|"},
        {"a month series", "31/1/2026\r\n31/3/2026", {1, 1, 1, 3}, "31/1/2026|31/3/2026|31/5/2026||"},
        {"a month series down across January", "15/3/2026\r\n15/1/2026", {1, 1, 1, 4},
         "15/3/2026|15/1/2026|15/11/2025|15/9/2025|"},
        {"a year series", "29/2/2024\r\n29/2/2028", {1, 1, 1, 3}, "29/2/2024|29/2/2028|29/2/2032||"},
        {"a time series", "10:00\r\n10:30", {1, 1, 1, 3}, "10:00:00|10:30:00|11:00:00||"},
        {"texts make no series", "a\r\nb", {1, 1, 1, 4}, "a|b|||"},
        {"the second value outside the selection", "1\t3", {1, 1, 1, 4}, "1||||"},
    };
    grid->SetRowCount(7);
    grid->Navigation()->SetAllowSmartClipboard(true);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        grid->ClearAll();
        Clipboard()->SetAsText(c.text);
        grid->SetSelection(c.selection);
        grid->PasteSelectionFromClipboard();
        EXPECT_EQ(Column(1, 1, 5), c.column1);
    }
    // A row of the selection: the second value stands beside the first.
    grid->ClearAll();
    Clipboard()->SetAsText("2\t4");
    Select(1, 1, 3, 1);
    grid->PasteSelectionFromClipboard();
    EXPECT_EQ(grid->Cells(3, 1), "6");
}

TEST_F(GridClipboard, SmartPasteFailures) {
    grid->SetRowCount(7);
    grid->Navigation()->SetAllowSmartClipboard(true);
    // The 31st one month on: September has no 31st; what came before stays.
    Clipboard()->SetAsText("31/7/2026\r\n31/8/2026");
    Select(1, 1, 1, 4);
    EXPECT_THROW(grid->PasteSelectionFromClipboard(), EConvertError);
    EXPECT_EQ(Column(1, 1, 4), "31/7/2026|31/8/2026||");
    // A failed conversion comes before any cell of the series.
    grid->ClearAll();
    Clipboard()->SetAsText("1/2/2026\r\nx/y");
    EXPECT_THROW(grid->PasteSelectionFromClipboard(), EConvertError);
    EXPECT_EQ(Column(1, 1, 4), "1/2/2026|x/y||");
    // Without smart paste only the block is pasted.
    grid->Navigation()->SetAllowSmartClipboard(false);
    grid->ClearAll();
    Clipboard()->SetAsText("5");
    grid->PasteSelectionFromClipboard();
    EXPECT_EQ(Column(1, 1, 4), "5|||");
}

}  // namespace
