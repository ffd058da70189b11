// The label data editor's grid events: the editor of each column with its
// list, the tool-tip colour of the type, caption and font columns, and the
// input box of the ellipsis cells.
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

}  // namespace
