// The label data editor's grid events: the editor of each column with its
// list, the tool-tip colour of the type, caption and font columns, and the
// input box of the ellipsis cells; typing into it as the window system
// delivers keys, and Tab between cells.
#include <QWidget>

#include "grid/VsGrid.h"
#include "labels/Unit6.h"
#include "tests/platform/controls/ControlsTestSupport.h"

namespace {

class LabelEditorTest : public ScriptedTest {
protected:
    void SetUp() override {
        ScriptedTest::SetUp();
        editor = std::make_unique<TfrmEdit>(nullptr);
        editor->DoCreate();
        grid = editor->StringGrid1;
    }
    void TearDown() override {
        editor.reset();
        ScriptedTest::TearDown();
    }
    std::vector<std::string> Items() const {
        std::vector<std::string> out;
        TStrings* items = grid->CellCombo()->Items();
        for (int32_t i = 0; i < items->Count(); ++i) out.push_back(items->Strings(i));
        return out;
    }
    std::unique_ptr<TfrmEdit> editor;
    TVsStringGrid* grid = nullptr;
};

TEST_F(LabelEditorTest, EachColumnHasItsEditorAndList) {
    EXPECT_EQ(grid->ColCount(), 16);
    EXPECT_EQ(grid->ColWidths(0), 10);
    EXPECT_EQ(grid->RowHeights(0), 18);
    EXPECT_TRUE(grid->Options() & goEditing);
    struct Row {
        int32_t Col;
        TEditorType Editor;
        std::vector<std::string> Items;  // first and last, for the list columns
    };
    const std::vector<Row> rows{
        {1, edComboDropDownList, {"UPC_A", "EAN_ISBN"}}, {2, edEditBtn, {}},
        {3, edEditBtn, {}},                               {5, edComboDropDownList, {"SC2", "SC3"}},
        {6, edComboDropDownList, {"100", "150"}},         {8, edComboDropDownList, {"2:1", "3:1"}},
        {9, edComboDropDownList, {"TRUE", "FALSE"}},      {11, edComboDropDownList, {"000", "270"}},
        {12, edEditBtn, {}},                              {13, edComboDropDownList, {"6", "36"}},
        {14, edEditBtn, {}},                              {15, edComboDropDownList, {"6", "36"}},
        {0, edNormal, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Col);
        TEditorType type = edNormal;
        editor->StringGrid1GetEditorType(grid, row.Col, 1, type);
        EXPECT_EQ(type, row.Editor);
        if (row.Items.empty()) continue;
        const std::vector<std::string> items = Items();
        ASSERT_FALSE(items.empty());
        EXPECT_EQ(items.front(), row.Items[0]);
        EXPECT_EQ(items.back(), row.Items[1]);
    }
    TEditorType type = edNormal;
    editor->StringGrid1GetEditorType(grid, 6, 1, type);
    EXPECT_EQ(Items().size(), 15u);  // "100", then 20 to 150
    editor->StringGrid1GetEditorType(grid, 4, 1, type);
    EXPECT_EQ(type, edComboDropDownList);
    EXPECT_EQ(Items().size(), static_cast<size_t>(Screen->Fonts()->Count()));
}

TEST_F(LabelEditorTest, TypeCaptionAndFontCellsShowTheToolTipColour) {
    TBrush brush;
    TFont font;
    for (int32_t col = 0; col < 16; ++col)
        for (int32_t row = 0; row < 2; ++row) {
            brush.SetColor(clWindow);
            editor->StringGrid1GetCellColor(grid, row, col, {}, &brush, &font);
            const bool info = row > 0 && (col == 1 || col == 2 || col == 4);
            EXPECT_EQ(brush.Color(), info ? clInfoBk : clWindow) << col << "," << row;
        }
}

TEST_F(LabelEditorTest, TheEllipsisAsksForTheValue) {
    std::string s = "old";
    dialogs->AnswerInput("new");
    editor->StringGrid1EllipsClick(grid, 2, 1, s);
    EXPECT_EQ(s, "new");
    ASSERT_FALSE(dialogs->Log().empty());
    EXPECT_EQ(dialogs->Log().back().Caption, "Varsona");
    EXPECT_EQ(dialogs->Log().back().Text, "Value:");
    dialogs->CancelInput();
    editor->StringGrid1EllipsClick(grid, 2, 1, s);
    EXPECT_EQ(s, "new");
}

// The editor on the screen with the focus in its grid, as a click on a
// cell leaves it.
class LabelEditorTypingTest : public LabelEditorTest {
protected:
    void SetUp() override {
        LabelEditorTest::SetUp();
        ShowActive(*editor);
        grid->SetRowCount(3);
        grid->SetFocus();
        ProcessEvents();
    }
    bool HasFocus() const { return grid->Focused(); }
    // A click on a cell that is not the current one (a click on the current
    // cell opens its editor with the caret in the text).
    void ClickCell(int32_t col, int32_t row) {
        if (grid->Col() == col && grid->Row() == row) grid->SetRow(row + 1 < grid->RowCount() ? row + 1 : row - 1);
        grid->SetLeftCol(std::max(1, col - 2));
        ProcessEvents();
        const TRect r = grid->CellRect(col, row);
        ClickAt(grid, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
        ProcessEvents();
    }
    // The widget with the keyboard focus is the grid's or its editor's.
    bool FocusInTheGrid() const {
        TControl* c = ControlOfWidget(QApplication::focusWidget());
        for (; c; c = c->Parent())
            if (c == grid) return true;
        return false;
    }
};

#define REQUIRE_FOCUS() \
    if (!HasFocus()) GTEST_SKIP() << "the platform gave the window no focus"

// The key that opens a cell's editor is the first character of its new text;
// on a list cell it picks the first item that begins with it. Typed as a
// window system sends keys, the opening handler (which lets the waiting
// messages run) takes the next keys in before the editor shows.
TEST_F(LabelEditorTypingTest, TheKeyThatOpensAnEditorBeginsItsText) {
    REQUIRE_FOCUS();
    struct Case {
        int32_t Col;
        const char* Before;
        const char* Typed;
        const char* After;
    };
    const Case cases[] = {
        {2, "old", "ABCD", "ABCD"},
        {2, "old", "5901234123457", "5901234123457"},
        {12, "", "Box", "Box"},
        {1, "UPC_E", "E", "EAN_8"},
        {1, "EAN_8", "u", "UPC_A"},
        {11, "000", "2", "270"},
        {13, "6", "3", "32"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.Typed) + " in column " + std::to_string(c.Col));
        grid->SetCells(c.Col, 1, c.Before);
        ClickCell(c.Col, 1);
        TypeAsWindowSystem(*editor, c.Typed);
        PressAsWindowSystem(*editor, VK_RETURN);
        EXPECT_EQ(grid->Cells(c.Col, 1), c.After);
        EXPECT_FALSE(grid->EditorControlShowing());
    }
}

// Tab and Shift+Tab end the edit and move to the next or previous cell,
// with or without an editor open; the focus never leaves the grid.
TEST_F(LabelEditorTypingTest, TabEndsTheEditAndMovesBetweenCells) {
    REQUIRE_FOCUS();
    ClickCell(2, 1);
    TypeAsWindowSystem(*editor, "AB");
    PressAsWindowSystem(*editor, VK_TAB);
    EXPECT_EQ(grid->Cells(2, 1), "AB");
    EXPECT_EQ(grid->Col(), 3);
    EXPECT_FALSE(grid->CellEditBtn()->Visible());
    EXPECT_TRUE(FocusInTheGrid());
    TypeAsWindowSystem(*editor, "X");
    EXPECT_TRUE(grid->CellEditBtn()->Visible());
    PressAsWindowSystem(*editor, VK_TAB, ssShift);
    EXPECT_EQ(grid->Cells(3, 1), "X");
    EXPECT_EQ(grid->Col(), 2);
    EXPECT_TRUE(FocusInTheGrid());
    // No editor open: Tab still moves, the arrows work after it.
    PressAsWindowSystem(*editor, VK_TAB);
    EXPECT_EQ(grid->Col(), 3);
    PressAsWindowSystem(*editor, VK_RIGHT);
    EXPECT_EQ(grid->Col(), 4);
    // From a list: the chosen item is written.
    grid->SetCells(1, 1, "UPC_A");
    ClickCell(1, 1);
    TypeAsWindowSystem(*editor, "E");
    PressAsWindowSystem(*editor, VK_TAB);
    EXPECT_EQ(grid->Cells(1, 1), "EAN_8");
    EXPECT_EQ(grid->Col(), 2);
    EXPECT_TRUE(FocusInTheGrid());
    // Space, which runs a focused button, is no click of "Save Changes"
    // (which would close the editor).
    PressAsWindowSystem(*editor, VK_SPACE);
    EXPECT_TRUE(editor->Visible());
}

// Text typed before the ellipsis goes through the cell's validation first;
// the input box's answer passes it too; Escape then gives the cell the text
// it had when the editor opened.
TEST_F(LabelEditorTypingTest, TheEllipsisValidatesWhatWasTyped) {
    REQUIRE_FOCUS();
    std::vector<std::string> validated;
    grid->OnCellValidate = [&](TObject*, int32_t, int32_t, std::string& value, bool& valid) {
        validated.push_back(value);
        valid = value.rfind("bad", 0) != 0;
    };
    grid->SetCells(2, 1, "old");
    ClickCell(2, 1);
    TypeAsWindowSystem(*editor, "bad");
    TGridEditBtn* edit = grid->CellEditBtn();
    ASSERT_TRUE(edit->Visible());
    edit->EllipsAction();  // refused: no input box
    EXPECT_EQ(validated, (std::vector<std::string>{"bad"}));
    EXPECT_EQ(grid->Cells(2, 1), "old");
    EXPECT_EQ(edit->Text(), "old");
    EXPECT_TRUE(dialogs->Log().empty());

    edit->SetText("good");
    dialogs->AnswerInput("badbox");
    edit->EllipsAction();  // the typed text passes; the answer is refused
    EXPECT_EQ(validated, (std::vector<std::string>{"bad", "good", "badbox"}));
    EXPECT_EQ(grid->Cells(2, 1), "good");
    EXPECT_EQ(edit->Text(), "good");

    dialogs->AnswerInput("fine");
    edit->EllipsAction();
    EXPECT_EQ(grid->Cells(2, 1), "fine");
    EXPECT_EQ(edit->Text(), "fine");
    PressAsWindowSystem(*editor, VK_ESCAPE);
    EXPECT_FALSE(edit->Visible());
    EXPECT_EQ(grid->Cells(2, 1), "old") << "Escape gives back the text from before the edit";
}

}  // namespace
