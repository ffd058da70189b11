// Row and column operations of the grid: removing, deleting and inserting
// rows and columns with their sizes, objects and the current cell.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

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

// Rows that come, go, move and hide in a fixed random sequence: each row's
// height stays the one its text was given (the default for a new row).
TEST_F(GridRows, HeightsStayWithTheirRowsThroughEveryRowOperation) {
    grid->SetEnhRowColMove(true);
    grid->SetRowCount(60);
    auto heightOf = [&](const std::string& text) {
        if (text.empty()) return grid->DefaultRowHeight();
        const int32_t k = std::stoi(text.substr(1));
        return k % 3 == 0 ? grid->DefaultRowHeight() : 22 + k % 11;
    };
    for (int32_t r = 0; r < 60; ++r) {
        grid->SetCells(1, r, "r" + std::to_string(r));
        grid->SetRowHeights(r, heightOf("r" + std::to_string(r)));
    }
    std::mt19937 random(4711);
    auto below = [&](int32_t n) { return static_cast<int32_t>(random() % static_cast<uint32_t>(std::max(1, n))); };
    for (int step = 0; step < 300; ++step) {
        const int32_t n = grid->RowCount();
        const int32_t at = 1 + below(n - 1);
        switch (below(n < 20 ? 2 : 6)) {
        case 0:
        case 1: grid->InsertRows(at, 1 + below(3)); break;
        case 2: grid->DeleteRows(at, 1 + below(3)); break;
        case 3: grid->RemoveRows(at, 1 + below(2)); break;
        case 4: grid->MoveRow(at, 1 + below(n - 1)); break;
        default:
            grid->HideRowsRemoving(grid->RealRowIndex(at), grid->RealRowIndex(std::min(n - 1, at + below(4))));
            if (below(2) == 0) grid->UnhideAllRows();
        }
        for (int32_t r = 0; r < grid->RowCount(); ++r)
            ASSERT_EQ(grid->RowHeights(r), heightOf(grid->Cells(1, r))) << "step " << step << " row " << r;
    }
    grid->UnhideAllRows();
    for (int32_t r = 0; r < grid->RowCount(); ++r) ASSERT_EQ(grid->RowHeights(r), heightOf(grid->Cells(1, r))) << r;
}
