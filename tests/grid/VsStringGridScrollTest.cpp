// The string grid's scroll bars: thumb-tracking hints, the flat look and
// proportional thumbs with their position mapping, sizing all columns or
// rows together, and the sizing border test.
#include <gtest/gtest.h>

#include "platform/controls/FlatSB.h"
#include "tests/grid/VsStringGridTestSupport.h"

namespace {

class Scroll : public StringGridTest {
protected:
    void SetUp() override {
        ScriptedTest::SetUp();
        MakeGrid(700, 600, Rect(0, 0, 500, 300));
        ShowActive(*form);
    }
    // Makes the grid just high enough for rows visible rows.
    void FitRows(int32_t rows) {
        for (int32_t h = 40; h < 2000; ++h) {
            grid->SetHeight(h);
            if (grid->VisibleRowCount() == rows) return;
        }
        FAIL() << "no height shows " << rows << " rows";
    }
    void FitCols(int32_t cols) {
        for (int32_t w = 40; w < 3000; ++w) {
            grid->SetWidth(w);
            if (grid->VisibleColCount() == cols) return;
        }
        FAIL() << "no width shows " << cols << " columns";
    }
};

TEST_F(Scroll, TheThumbTrackingHintsTellTheLine) {
    grid->SetRowCount(100);
    grid->SetColCount(20);
    grid->SetFixedRows(1);
    grid->SetFixedCols(1);
    FitRows(10);
    FitCols(5);
    ASSERT_EQ(grid->VisibleRowCount(), 10);
    grid->SetScrollHints(shBoth);
    grid->SetHintColor(clAqua);
    grid->Perform(WM_VSCROLL, MakeWParam(SB_THUMBTRACK, 127));
    ASSERT_TRUE(grid->ScrollHintShowing());
    EXPECT_TRUE(grid->HintWindow()->Visible());
    EXPECT_EQ(grid->HintWindow()->Caption(), "Row : 90");
    EXPECT_EQ(grid->HintWindow()->Color(), clAqua);
    EXPECT_EQ(grid->HintWindow()->Left(), GetCursorPos().X + 10);
    grid->Perform(WM_HSCROLL, MakeWParam(SB_THUMBTRACK, 127));
    EXPECT_EQ(grid->HintWindow()->Caption(), "Col : 15");
    grid->Perform(WM_HSCROLL, MakeWParam(SB_THUMBTRACK, 0));
    EXPECT_EQ(grid->HintWindow()->Caption(), "Col : 1");
    grid->Perform(WM_HSCROLL, MakeWParam(SB_ENDSCROLL, 0));
    EXPECT_FALSE(grid->ScrollHintShowing());
    EXPECT_FALSE(grid->HintWindow()->Visible());
    // The event may change the text; the hints of one bar only.
    grid->OnScrollHint = [](TObject*, int32_t row, std::string& text) { text = "line " + std::to_string(row); };
    grid->Perform(WM_VSCROLL, MakeWParam(SB_THUMBTRACK, 0));
    EXPECT_EQ(grid->HintWindow()->Caption(), "line 1");
    grid->Perform(WM_VSCROLL, MakeWParam(SB_ENDSCROLL, 0));
    grid->SetScrollHints(shVertical);
    grid->Perform(WM_HSCROLL, MakeWParam(SB_THUMBTRACK, 50));
    EXPECT_FALSE(grid->ScrollHintShowing());
}

TEST_F(Scroll, TheFlatLookShowsOnlyWithProportionalThumbs) {
    grid->SetRowCount(100);
    const int32_t width = grid->ScrollBarWidth();
    grid->SetScrollType(ssFlat);
    grid->SetScrollWidth(width + 9);
    EXPECT_FALSE(FlatSBInitialized(grid));
    EXPECT_EQ(grid->ScrollBarWidth(), width) << "nothing visible changes";
    grid->SetScrollProportional(true);
    EXPECT_TRUE(grid->FlatScrollBarsActive());
    EXPECT_EQ(grid->ScrollBarWidth(), width + 9);
    intptr_t style = -1;
    ASSERT_TRUE(FlatSB_GetScrollProp(grid, WSB_PROP_VSTYLE, style));
    EXPECT_EQ(style, FSB_FLAT_MODE);
    grid->SetScrollType(ssEncarta);
    FlatSB_GetScrollProp(grid, WSB_PROP_HSTYLE, style);
    EXPECT_EQ(style, FSB_ENCARTA_MODE);
    // The thumb's page is the visible part of 128.
    TScrollInfo info;
    grid->GetScrollInfo(SB_VERT, info);
    EXPECT_EQ(info.Page, static_cast<int32_t>(Round(grid->VisibleRowCount() * 128.0L / 100)));
    EXPECT_EQ(info.Max, 127);
    grid->SetScrollProportional(false);
    EXPECT_FALSE(grid->FlatScrollBarsActive());
    EXPECT_EQ(grid->ScrollBarWidth(), width);
    grid->GetScrollInfo(SB_VERT, info);
    EXPECT_EQ(info.Page, 0);
}

// A proportional thumb's last place maps back to the end of the grid, on
// both bars; with every column in view the mapping divides by at least 1.
TEST_F(Scroll, AProportionalThumbReachesTheEnd) {
    grid->SetRowCount(200);
    grid->SetColCount(40);
    grid->SetScrollProportional(true);
    TScrollInfo info;
    grid->GetScrollInfo(SB_VERT, info);
    ASSERT_GT(info.Page, 1);
    grid->Perform(WM_VSCROLL, MakeWParam(SB_THUMBPOSITION, 128 - info.Page));
    EXPECT_EQ(grid->TopRow() + grid->VisibleRowCount(), 200);
    grid->GetScrollInfo(SB_HORZ, info);
    grid->Perform(WM_HSCROLL, MakeWParam(SB_THUMBPOSITION, 128 - info.Page));
    EXPECT_EQ(grid->LeftCol() + grid->VisibleColCount(), 40);
    grid->SetColCount(3);
    ASSERT_EQ(grid->VisibleColCount() + grid->FixedCols(), 3);
    grid->Perform(WM_HSCROLL, MakeWParam(SB_THUMBPOSITION, 5));
    EXPECT_EQ(grid->LeftCol(), 1);
}

// Dragging one column border from 50 to 100 pixels with AllColumnSize
// doubles every other normal column and tells the end once.
TEST_F(Scroll, SizingOneColumnSizesAllWithOneEndEvent) {
    grid->SetColCount(5);
    grid->SetOptions(grid->Options() | goColSizing);
    grid->MouseActions()->SetAllColumnSize(true);
    const int32_t widths[] = {40, 30, 50, 20, 25};
    for (int32_t c = 0; c < 5; ++c) grid->SetColWidths(c, widths[c]);
    std::vector<int32_t> ended;
    grid->OnEndColumnSize = [&](TObject*, int32_t col) { ended.push_back(col); };
    const TRect cell = grid->CellRect(2, 0);
    const int32_t edge = cell.Right;
    PressAt(grid, edge, 5);
    MoveTo(grid, edge + 25, 5);
    MoveTo(grid, edge + 50, 5);
    ReleaseAt(grid, edge + 50, 5);
    EXPECT_EQ(grid->ColWidths(2), 100);
    EXPECT_EQ(grid->ColWidths(1), 60);
    EXPECT_EQ(grid->ColWidths(3), 40);
    EXPECT_EQ(grid->ColWidths(4), 50);
    EXPECT_EQ(grid->ColWidths(0), 40) << "fixed columns keep their width";
    EXPECT_EQ(ended, std::vector<int32_t>{2});
    // Without AllColumnSize only the dragged one changes, and still ends once.
    grid->MouseActions()->SetAllColumnSize(false);
    ended.clear();
    const int32_t edge3 = grid->CellRect(3, 0).Right;
    PressAt(grid, edge3, 5);
    MoveTo(grid, edge3 + 10, 5);
    ReleaseAt(grid, edge3 + 10, 5);
    EXPECT_EQ(grid->ColWidths(3), 50);
    EXPECT_EQ(grid->ColWidths(4), 50);
    EXPECT_EQ(ended, std::vector<int32_t>{3});
}

TEST_F(Scroll, SizingOneRowSizesAllRows) {
    grid->SetRowCount(4);
    grid->SetOptions(grid->Options() | goRowSizing);
    grid->MouseActions()->SetAllRowSize(true);
    grid->SetRowHeights(1, 20);
    grid->SetRowHeights(2, 10);
    grid->SetRowHeights(3, 30);
    std::vector<int32_t> ended;
    grid->OnEndRowSize = [&](TObject*, int32_t row) { ended.push_back(row); };
    const int32_t edge = grid->CellRect(0, 1).Bottom;
    PressAt(grid, 5, edge);
    MoveTo(grid, 5, edge + 20);
    ReleaseAt(grid, 5, edge + 20);
    EXPECT_EQ(grid->RowHeights(1), 40);
    EXPECT_EQ(grid->RowHeights(2), 20);
    EXPECT_EQ(grid->RowHeights(3), 60);
    EXPECT_EQ(ended, std::vector<int32_t>{1});
}

TEST_F(Scroll, TheSizingBorderTest) {
    grid->SetOptions(grid->Options() | goColSizing | goRowSizing);
    const TRect header = grid->CellRect(2, 0);
    const TRect side = grid->CellRect(0, 2);
    const TRect inner = grid->CellRect(2, 2);
    struct Case {
        int32_t x, y;
        bool border;
    } cases[] = {
        {header.Left + 2, header.Top + 5, true},
        {header.Right - 3, header.Top + 5, true},
        {header.Left + 10, header.Top + 5, false},
        {side.Left + 10, side.Top + 2, true},
        {side.Left + 10, side.Bottom - 3, true},
        {side.Left + 10, side.Top + 8, false},
        {inner.Left + 1, inner.Top + 5, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        EXPECT_EQ(grid->IsOnSizingBorder(c.x, c.y), c.border);
    }
    grid->SetOptions(grid->Options() & ~goColSizing);
    EXPECT_FALSE(grid->IsOnSizingBorder(header.Left + 2, header.Top + 5));
}

}  // namespace
