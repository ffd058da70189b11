// Hidden rows, the row filter, nodes, row flags and the cell graphic
// queries of the string grid.
#include <gtest/gtest.h>

#include <random>

#include "tests/grid/VsStringGridTestSupport.h"

namespace {

class Hidden : public StringGridTest {
protected:
    void SetUp() override {
        ScriptedTest::SetUp();
        MakeGrid(500, 400, Rect(0, 0, 400, 300));
    }
    // Rows 1..n hold "r1".."rn" in column 1 (row 0 is the header).
    void Fill(int32_t n, int32_t footers = 0) {
        grid->SetRowCount(n + 1 + footers);
        grid->SetColCount(3);
        for (int32_t r = 1; r <= n; ++r) grid->SetCells(1, r, "r" + std::to_string(r));
        for (int32_t f = 0; f < footers; ++f) grid->SetCells(1, n + 1 + f, "foot" + std::to_string(f));
        grid->SetFixedFooters(footers);
    }
    std::vector<std::string> Column1() const {
        std::vector<std::string> out;
        for (int32_t r = 0; r < grid->RowCount(); ++r) out.push_back(grid->Cells(1, r));
        return out;
    }
};

std::vector<std::string> Rows(std::initializer_list<int> numbers) {
    std::vector<std::string> out{""};
    for (int n : numbers) out.push_back("r" + std::to_string(n));
    return out;
}

TEST_F(Hidden, TheFilterLeavesTheMatchingRowsAndBringsAllBackInTheirOrder) {
    Fill(10);
    grid->Filter()->Add(1, "r3;r7");
    grid->SetFilterActive(true);
    EXPECT_EQ(Column1(), Rows({3, 7}));
    EXPECT_EQ(grid->FixedRows(), 1);
    EXPECT_EQ(grid->HiddenRowCount(), 8);
    EXPECT_EQ(grid->RealRowIndex(2), 7);
    EXPECT_EQ(grid->DisplayRowIndex(7), 2);
    EXPECT_TRUE(grid->IsHiddenRow(4));
    grid->SetFilterActive(false);
    EXPECT_EQ(Column1(), Rows({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(grid->HiddenRowCount(), 0);
}

TEST_F(Hidden, TheFilterConditionsOfTheMatcher) {
    // >1&<5 passes 3 only among 0, 3 and 6; !A* passes what does not start with A.
    struct Case {
        const char* condition;
        std::vector<std::string> values;
        std::vector<std::string> kept;
    } cases[] = {
        {">1&<5", {"0", "3", "6"}, {"3"}},
        {">10", {"9", "10.5", "11"}, {"10.5", "11"}},
        {"A*", {"Apple", "Berry", "Avocado"}, {"Apple", "Avocado"}},
        {"!A*", {"Apple", "Berry", "Avocado"}, {"Berry"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.condition);
        grid->Filter()->Clear();
        grid->SetRowCount(static_cast<int32_t>(c.values.size()) + 1);
        for (size_t i = 0; i < c.values.size(); ++i) grid->SetCells(1, static_cast<int32_t>(i) + 1, c.values[i]);
        grid->Filter()->Add(1, c.condition);
        grid->SetFilterActive(true);
        std::vector<std::string> kept;
        for (int32_t r = 1; r < grid->RowCount(); ++r) kept.push_back(grid->Cells(1, r));
        EXPECT_EQ(kept, c.kept);
        grid->SetFilterActive(false);
    }
}

// The filter that no row matches leaves one empty normal row, above the
// footers, with the same fixed rows; deactivating takes it away again, also
// without fixed rows (where the fixed count could not tell that a row was
// added).
TEST_F(Hidden, AFilterNoRowMatchesLeavesOneEmptyRowAboveTheFootersThatGoesAgain) {
    struct Case {
        int32_t fixedRows;
        int32_t footers;
    } cases[] = {{1, 0}, {0, 0}, {1, 1}, {2, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.fixedRows << " fixed rows, " << c.footers << " footers");
        grid->SetFilterActive(false);
        grid->Filter()->Clear();
        grid->SetRowCount(c.fixedRows + 4 + c.footers);
        grid->SetFixedRows(c.fixedRows);
        grid->SetFixedFooters(c.footers);
        std::vector<std::string> before;
        for (int32_t r = 0; r < grid->RowCount(); ++r) {
            grid->SetCells(1, r, "x" + std::to_string(r));
            before.push_back("x" + std::to_string(r));
        }
        grid->Filter()->Add(1, "nothing");
        grid->SetFilterActive(true);
        ASSERT_EQ(grid->RowCount(), c.fixedRows + c.footers + 1);
        EXPECT_EQ(grid->FixedRows(), c.fixedRows);
        EXPECT_EQ(grid->Cells(1, c.fixedRows), "") << "the empty row stands above the footers";
        for (int32_t f = 0; f < c.footers; ++f)
            EXPECT_EQ(grid->Cells(1, c.fixedRows + 1 + f), before[static_cast<size_t>(c.fixedRows + 4 + f)]);
        grid->SetFilterActive(false);
        EXPECT_EQ(Column1(), before);
        EXPECT_EQ(grid->FixedRows(), c.fixedRows);
    }
}

TEST_F(Hidden, TextTypedIntoTheFiltersEmptyRowIsKept) {
    Fill(3);
    grid->Filter()->Add(1, "nothing");
    grid->SetFilterActive(true);
    grid->SetCells(1, 1, "typed");
    grid->SetFilterActive(false);
    EXPECT_EQ(Column1(), (std::vector<std::string>{"", "r1", "r2", "r3", "typed"}));
}

// Hiding a range that holds hidden rows hides only the rows in view, each
// under its own index; unhiding a range with rows in view between its
// hidden ones puts every row back at its place.
TEST_F(Hidden, RangesOverHiddenRowsKeepEveryRowUnderItsOwnIndex) {
    Fill(10);
    grid->HideRowsRemoving(5, 5);
    grid->HideRowsRemoving(7, 7);
    grid->HideRowsRemoving(4, 8);
    EXPECT_EQ(Column1(), Rows({1, 2, 3, 9, 10}));
    grid->UnhideRows(4, 4);
    EXPECT_EQ(Column1(), Rows({1, 2, 3, 4, 9, 10}));
    // 5 to 8 hidden; bring 5 and 7 back only by a range with 6 hidden in it.
    grid->UnhideRows(5, 5);
    EXPECT_EQ(Column1(), Rows({1, 2, 3, 4, 5, 9, 10}));
    grid->UnhideRows(7, 7);
    EXPECT_EQ(Column1(), Rows({1, 2, 3, 4, 5, 7, 9, 10}));
    // Unhiding from a row in view does nothing.
    grid->UnhideRows(5, 8);
    EXPECT_EQ(Column1(), Rows({1, 2, 3, 4, 5, 7, 9, 10}));
    grid->UnhideRows(6, 8);
    EXPECT_EQ(Column1(), Rows({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    // Ranges beyond the rows stop at the last one.
    grid->HideRowsRemoving(9, 1000);
    EXPECT_EQ(Column1(), Rows({1, 2, 3, 4, 5, 6, 7, 8}));
    grid->UnhideAllRows();
    EXPECT_EQ(Column1(), Rows({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
}

TEST_F(Hidden, ARangeWhoseFirstRowIsHiddenStaysAsItIs) {
    Fill(10);
    grid->HideRowsRemoving(5, 5);
    grid->HideRowsRemoving(5, 8);
    EXPECT_EQ(Column1(), Rows({1, 2, 3, 4, 6, 7, 8, 9, 10}));
    grid->HideRowsDeleting(5, 8);
    EXPECT_EQ(Column1(), Rows({1, 2, 3, 4, 6, 7, 8, 9, 10}));
    EXPECT_EQ(grid->HiddenRowCount(), 1);
}

// A descendant that logs the grid's row operations.
class TLoggingGrid : public TVsStringGrid {
public:
    using TVsStringGrid::TVsStringGrid;
    std::vector<std::string> Log;
    void RemoveRows(int32_t Index, int32_t Count) override {
        Log.push_back("remove " + std::to_string(Index) + " " + std::to_string(Count) + " " + Cells(1, Index));
        TVsStringGrid::RemoveRows(Index, Count);
    }
    void DeleteRows(int32_t Index, int32_t Count) override {
        Log.push_back("delete " + std::to_string(Index) + " " + std::to_string(Count) + " " + Cells(1, Index));
        TVsStringGrid::DeleteRows(Index, Count);
    }
    void InsertRows(int32_t Index, int32_t Count) override {
        Log.push_back("insert " + std::to_string(Index) + " " + std::to_string(Count));
        TVsStringGrid::InsertRows(Index, Count);
    }
};

TEST_F(Hidden, HidingAndUnhidingRangesGoThroughTheGridsRowOperations) {
    auto* logging = new TLoggingGrid(form.get());
    logging->SetParent(form.get());
    grid = logging;
    Fill(10);
    grid->HideRowsRemoving(3, 4);
    grid->HideRowsDeleting(7, 8);
    // 6 in view between hidden 5 and 7: the range leaves as one block.
    grid->HideRowsRemoving(5, 6);
    EXPECT_EQ(Column1(), Rows({1, 2, 9, 10}));
    grid->UnhideRows(3, 8);
    EXPECT_EQ(Column1(), Rows({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(logging->Log, (std::vector<std::string>{"remove 3 2 r3", "delete 5 2 r7", "remove 3 2 r5",
                                                      "insert 3 6"}));
}

// Against a plain model of which rows are hidden: any sequence of hides and
// unhides leaves the grid showing exactly the rows in view, in order, and
// the index maps agree.
TEST_F(Hidden, RandomHidesAndUnhidesAgreeWithAPlainModel) {
    const int32_t n = 60;
    Fill(n);
    std::vector<bool> hidden(static_cast<size_t>(n) + 1, false);
    std::mt19937 random(12);
    for (int step = 0; step < 300; ++step) {
        const int32_t a = 1 + static_cast<int32_t>(random() % n);
        const int32_t b = std::min(n, a + static_cast<int32_t>(random() % 6));
        switch (random() % 4) {
        case 0:
        case 1:
            // A range whose first row is hidden stays as it is.
            grid->HideRowsDeleting(a, b);
            if (!hidden[static_cast<size_t>(a)])
                for (int32_t r = a; r <= b; ++r) hidden[static_cast<size_t>(r)] = true;
            break;
        case 2:
            if (hidden[static_cast<size_t>(a)]) {
                grid->UnhideRows(a, b);
                for (int32_t r = a; r <= b; ++r) hidden[static_cast<size_t>(r)] = false;
            }
            break;
        default: {
            std::vector<int32_t> list;
            for (int32_t r = a; r <= b; r += 2) list.push_back(r);
            grid->HideRowList(list);
            for (int32_t r : list) hidden[static_cast<size_t>(r)] = true;
        }
        }
        std::vector<std::string> expected{""};
        for (int32_t r = 1; r <= n; ++r)
            if (!hidden[static_cast<size_t>(r)]) expected.push_back("r" + std::to_string(r));
        ASSERT_EQ(Column1(), expected) << "step " << step;
        for (int32_t d = 1; d < grid->RowCount(); ++d)
            ASSERT_EQ("r" + std::to_string(grid->RealRowIndex(d)), grid->Cells(1, d)) << "step " << step;
    }
    grid->UnhideAllRows();
    EXPECT_EQ(grid->RowCount(), n + 1);
    EXPECT_EQ(grid->Cells(1, n), "r" + std::to_string(n));
}

TEST_F(Hidden, HiddenRowsKeepTheirHeightsAndTheirRowFlags) {
    Fill(6);
    grid->MouseActions()->SetDisjunctRowSelect(true);
    grid->SetRowHeights(3, 40);
    grid->SetRowHeights(5, 50);
    grid->SetRowSelected(4, true);
    grid->SetRowSelected(6, true);
    grid->HideRowsDeleting(3, 4);
    EXPECT_EQ(Column1(), Rows({1, 2, 5, 6}));
    EXPECT_EQ(grid->RowHeights(3), 50);
    EXPECT_EQ(grid->RowHeights(2), 21);
    EXPECT_FALSE(grid->IsRowSelected(3));
    EXPECT_TRUE(grid->IsRowSelected(4));
    grid->UnhideAllRows();
    EXPECT_EQ(grid->RowHeights(3), 40);
    EXPECT_EQ(grid->RowHeights(4), 21);
    EXPECT_EQ(grid->RowHeights(5), 50);
    EXPECT_FALSE(grid->IsRowSelected(4)) << "a row that comes back is not flagged";
    EXPECT_TRUE(grid->IsRowSelected(6));
}

TEST_F(Hidden, NodesContractAndExpandTheRowsBelowThem) {
    Fill(10, 1);
    grid->SetEnableGraphics(true);
    TCellGraphic spanning(cgNode);
    spanning.Integer = 4;
    TCellGraphic toNext(cgNode);
    TCellGraphic last(cgNode);
    grid->SetObjects(0, 2, &spanning);
    grid->SetObjects(0, 7, &toNext);
    grid->SetObjects(0, 9, &last);
    EXPECT_EQ(grid->NodeCount(), 3);
    grid->ContractNode(2);
    EXPECT_EQ(Column1(), (std::vector<std::string>{"", "r1", "r2", "r6", "r7", "r8", "r9", "r10", "foot0"}));
    EXPECT_TRUE(spanning.State);
    grid->ContractNode(7);
    EXPECT_EQ(Column1(), (std::vector<std::string>{"", "r1", "r2", "r6", "r7", "r9", "r10", "foot0"}));
    // The last node reaches the footers, which stay.
    grid->ContractNode(9);
    EXPECT_EQ(Column1(), (std::vector<std::string>{"", "r1", "r2", "r6", "r7", "r9", "foot0"}));
    grid->ExpandNode(2);
    EXPECT_FALSE(spanning.State);
    EXPECT_EQ(Column1(), (std::vector<std::string>{"", "r1", "r2", "r3", "r4", "r5", "r6", "r7", "r9", "foot0"}));
    grid->ExpandNode(7);
    grid->ExpandNode(9);
    EXPECT_EQ(Column1(), (std::vector<std::string>{"", "r1", "r2", "r3", "r4", "r5", "r6", "r7", "r8", "r9", "r10",
                                                   "foot0"}));
    for (int32_t r : {2, 7, 9}) grid->SetObjects(0, r, nullptr);
}

TEST_F(Hidden, RowFlagsOutsideTheGridRaise) {
    Fill(3);
    for (int32_t bad : {-1, 4}) {
        SCOPED_TRACE(bad);
        try {
            grid->SetRowSelected(bad, true);
            ADD_FAILURE() << "no error";
        } catch (const EVsGridError& e) {
            EXPECT_EQ(e.Message(), "Invalid row accessed");
        }
        EXPECT_THROW(grid->IsRowSelected(bad), EVsGridError);
    }
    grid->SetRowSelected(2, true);
    grid->SetSelection(TGridRect{1, 1, 1, 3});
    grid->SelectRowsOfSelection();
    EXPECT_TRUE(grid->IsRowSelected(1) && grid->IsRowSelected(2) && grid->IsRowSelected(3));
    grid->ClearRowSelection();
    EXPECT_FALSE(grid->IsRowSelected(1) || grid->IsRowSelected(2) || grid->IsRowSelected(3));
}

TEST_F(Hidden, CheckBoxesToggleByKind) {
    Fill(3);
    grid->SetEnableGraphics(true);
    TCellGraphic bound(cgDataCheckBox);
    TCellGraphic own(cgCheckBox);
    grid->SetObjects(1, 1, &bound);
    grid->SetObjects(2, 1, &own);
    grid->SetCells(1, 1, "N");
    EXPECT_TRUE(grid->ToggleCheckBox(1, 1, false));
    EXPECT_EQ(grid->Cells(1, 1), "Y");
    EXPECT_TRUE(grid->ToggleCheckBox(1, 1, false));
    EXPECT_EQ(grid->Cells(1, 1), "N");
    bool state = true;
    EXPECT_TRUE(grid->GetCheckBoxState(1, 1, state));
    EXPECT_FALSE(state);
    EXPECT_TRUE(grid->ToggleCheckBox(2, 1, true));
    EXPECT_TRUE(own.State);
    grid->OnCanEditCell = [](TObject*, int32_t, int32_t, bool& can) { can = false; };
    EXPECT_FALSE(grid->ToggleCheckBox(2, 1, true));
    EXPECT_TRUE(own.State);
    EXPECT_FALSE(grid->ToggleCheckBox(1, 2, false)) << "no check box";
    EXPECT_TRUE(grid->HasCheckOrRadio(2, 1));
    grid->SetEnableGraphics(false);
    EXPECT_FALSE(grid->HasCheckBox(2, 1)) << "graphics count only while enabled";
    grid->SetObjects(1, 1, nullptr);
    grid->SetObjects(2, 1, nullptr);
}

TEST_F(Hidden, GraphicSizesAndPictureFitting) {
    Fill(2);
    grid->SetEnableGraphics(true);
    grid->SetColWidths(1, 100);
    grid->SetRowHeights(1, 50);
    TFilePicture picture("unused.png", 200, 50);
    TCellGraphic g(cgFilePicture);
    g.First = &picture;
    grid->SetObjects(1, 1, &g);
    grid->SetCells(1, 1, "");
    struct Case {
        uint8_t mode;
        int32_t margin;
        int32_t w, h;
    } cases[] = {
        {0, 0, 200, 50},  // as it is (the cell has no text)
        {1, 10, 90, 40},  // the cell less the margin
        {2, 0, 100, 25},  // the width limits
        {3, 0, 100, 50},  // larger than the cell: as 1
        {4, 0, 100, 25},  // larger than the cell: as 2
        {7, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.mode));
        g.FitMode = c.mode;
        g.Integer = c.margin;
        int32_t w = -1, h = -1;
        grid->GetCellGraphicSize(1, 1, w, h);
        EXPECT_EQ(w, c.w);
        EXPECT_EQ(h, c.h);
    }
    // A picture that fits is left as it is by modes 3 and 4; a tall one is
    // limited by the height in mode 2.
    picture.SetWidth(20);
    picture.SetHeight(100);
    g.FitMode = 2;
    int32_t w = 0, h = 0;
    grid->GetCellGraphicSize(1, 1, w, h);
    EXPECT_EQ(w, 10);
    EXPECT_EQ(h, 50);
    picture.SetHeight(10);
    g.FitMode = 4;
    grid->GetCellGraphicSize(1, 1, w, h);
    EXPECT_EQ(w, 20);
    EXPECT_EQ(h, 10);
    TCellGraphic button(cgButton);
    button.Integer = (12 << 16) | 30;
    button.Packed = (5 << 16) | 7;
    grid->SetObjects(2, 1, &button);
    TRect r;
    ASSERT_TRUE(grid->GetButtonRect(2, 1, r));
    EXPECT_EQ(r, Rect(7, 5, 37, 17));
    grid->GetCellGraphicSize(2, 1, w, h);
    EXPECT_EQ(w, 30);
    EXPECT_EQ(h, 12);
    grid->SetObjects(1, 1, nullptr);
    grid->SetObjects(2, 1, nullptr);
}

}  // namespace
