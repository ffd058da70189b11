// Row and column operations of the grid: removing, deleting and inserting
// rows and columns with their sizes, objects and the current cell.
#include <gtest/gtest.h>

#include "tests/grid/VsStringGridTestSupport.h"

namespace {

class GridRows : public StringGridTest {
protected:
    void SetUp() override {
        ScriptedTest::SetUp();
        MakeGrid(500, 400, Rect(0, 0, 400, 300));
        grid->SetColCount(3);
        grid->SetRowCount(5);
        for (int32_t r = 0; r < 5; ++r) grid->SetCells(1, r, "r" + std::to_string(r));
    }
    std::string Column(int32_t col) {
        std::string s;
        for (int32_t r = 0; r < grid->RowCount(); ++r) s += (r ? "|" : "") + grid->Cells(col, r);
        return s;
    }
};

TEST_F(GridRows, InsertedRowsAreEmptyWithTheDefaultHeightAndTheRestMoveDown) {
    grid->SetEnableGraphics(true);
    TObject marker;
    grid->SetObjects(2, 1, &marker);
    grid->SetRowHeights(1, 40);
    grid->SetRowHeights(4, 50);
    grid->InsertRows(1, 2);
    EXPECT_EQ(grid->RowCount(), 7);
    EXPECT_EQ(Column(1), "r0|||r1|r2|r3|r4");
    EXPECT_EQ(grid->RowHeights(1), grid->DefaultRowHeight());
    EXPECT_EQ(grid->RowHeights(2), grid->DefaultRowHeight());
    EXPECT_EQ(grid->RowHeights(3), 40);
    EXPECT_EQ(grid->RowHeights(6), 50);
    // The object moved with its row; the new rows have none.
    EXPECT_EQ(grid->Objects(2, 1), nullptr);
    EXPECT_EQ(grid->Objects(2, 3), &marker);
    grid->SetObjects(2, 3, nullptr);
}

TEST_F(GridRows, RemoveRowsKeepsTheCurrentCellOrGoesToTheFirstDataRow) {
    grid->SetRowHeights(4, 50);
    grid->SetRow(2);
    grid->RemoveRows(3, 1);
    EXPECT_EQ(Column(1), "r0|r1|r2|r4");
    EXPECT_EQ(grid->RowHeights(3), 50);
    EXPECT_EQ(grid->Row(), 2);
    grid->SetRow(3);
    grid->RemoveRows(3, 1);
    EXPECT_EQ(grid->RowCount(), 3);
    EXPECT_EQ(grid->Row(), 1);
    EXPECT_EQ(grid->TopRow(), 1);
    EXPECT_EQ(grid->PaintLock(), 0);
}

TEST_F(GridRows, DeleteRowsNeverPutsTheCurrentRowIntoAFooter) {
    grid->SetFixedFooters(1);
    grid->SetRow(3);
    grid->DeleteRows(3, 1);
    EXPECT_EQ(Column(1), "r0|r1|r2|r4");
    EXPECT_EQ(grid->Row(), 2);
    // With no data rows left the current row stays.
    grid->SetRow(1);
    grid->DeleteRows(1, 2);
    EXPECT_EQ(Column(1), "r0|r4");
    EXPECT_EQ(grid->Row(), 1);
    EXPECT_EQ(grid->PaintLock(), 0);
}

TEST_F(GridRows, DeleteRowsTakesTheRowFlagsAlong) {
    grid->MouseActions()->SetDisjunctRowSelect(true);
    grid->SetRowSelected(3, true);
    grid->DeleteRows(1, 1);
    EXPECT_TRUE(grid->IsRowSelected(2));
    EXPECT_FALSE(grid->IsRowSelected(3));
}

TEST_F(GridRows, DeleteRowsMovesTheHeightsOfTheRowsBelowUp) {
    for (bool enhanced : {false, true}) {
        SCOPED_TRACE(enhanced);
        grid->SetRowCount(5);
        grid->SetEnhRowColMove(enhanced);
        for (int32_t r = 0; r < 5; ++r) grid->SetRowHeights(r, 30 + r);
        grid->DeleteRows(1, 2);
        EXPECT_EQ(grid->RowCount(), 3);
        EXPECT_EQ(grid->RowHeights(0), 30);
        EXPECT_EQ(grid->RowHeights(1), 33);
        EXPECT_EQ(grid->RowHeights(2), 34);
    }
}

TEST_F(GridRows, ColumnsComeAndGoWithTheirWidthsAndGraphicsAreFreed) {
    grid->SetEnableGraphics(true);
    for (int32_t c = 0; c < 3; ++c) grid->SetCells(c, 1, "c" + std::to_string(c));
    grid->SetColWidths(2, 90);
    grid->InsertCols(1, 1);
    EXPECT_EQ(grid->ColCount(), 4);
    EXPECT_EQ(grid->Cells(1, 1), "");
    EXPECT_EQ(grid->Cells(2, 1), "c1");
    EXPECT_EQ(grid->Cells(3, 1), "c2");
    EXPECT_EQ(grid->ColWidths(3), 90);
    EXPECT_EQ(grid->ColWidths(1), grid->DefaultColWidth());
    grid->SetObjects(2, 2, new TCellGraphic(cgCheckBox));
    TObject other;
    grid->SetObjects(3, 2, &other);
    grid->RemoveCols(2, 1);
    EXPECT_EQ(grid->ColCount(), 3);
    EXPECT_EQ(grid->Cells(2, 1), "c2");
    EXPECT_EQ(grid->ColWidths(2), 90);
    // ClearRange leaves an object that is no cell graphic.
    grid->ClearRange(0, 0, 2, 4);
    EXPECT_EQ(grid->Objects(2, 2), &other);
    EXPECT_EQ(grid->Cells(2, 1), "");
    grid->SetObjects(2, 2, nullptr);
}

}  // namespace
