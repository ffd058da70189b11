// The platform's grids on a shown window, driven by synthetic events: the
// store behind the string grid, geometry against summed sizes, the current
// cell and its veto, keys, selection, sizing and moving by the mouse, the
// cell states painted, the editor's life and the scroll bars' 0..127.
#include <QAbstractScrollArea>
#include <QApplication>
#include <QScrollBar>

#include "ControlsTestSupport.h"
#include "platform/controls/Grids.h"

namespace {

// A string grid that tells what reaches its virtuals.
class TTestGrid : public TStringGrid {
public:
    explicit TTestGrid(TComponent* owner) : TStringGrid(owner) {}
    ~TTestGrid() override { DetachWidget(); }

    struct Drawn {
        int32_t Col, Row;
        TRect Rect;
        TGridDrawState State;
    };
    std::vector<Drawn> Painted;
    std::vector<std::string> Log;
    bool Veto = false;
    std::string LastTyped;

    const Drawn* Find(int32_t col, int32_t row) const {
        for (auto it = Painted.rbegin(); it != Painted.rend(); ++it)
            if (it->Col == col && it->Row == row) return &*it;
        return nullptr;
    }
    using TCustomGrid::FixedHeight;
    using TCustomGrid::FixedWidth;
    using TCustomGrid::MaxTopRow;

protected:
    void DrawCell(int32_t col, int32_t row, const TRect& rect, TGridDrawState state) override {
        Painted.push_back({col, row, rect, state});
        TStringGrid::DrawCell(col, row, rect, state);
    }
    bool SelectCell(int32_t col, int32_t row) override {
        Log.push_back("select " + std::to_string(col) + "," + std::to_string(row));
        return !Veto && TStringGrid::SelectCell(col, row);
    }
    void ColWidthsChanged() override {
        Log.push_back("widths " + std::to_string(static_cast<int>(GridState())));
        TStringGrid::ColWidthsChanged();
    }
    void ColumnMoved(int32_t from, int32_t to) override {
        Log.push_back("moved " + std::to_string(from) + ">" + std::to_string(to));
        TStringGrid::ColumnMoved(from, to);
    }
    void SetEditText(int32_t col, int32_t row, const std::string& value) override {
        Log.push_back("edit " + std::to_string(col) + "," + std::to_string(row) + "=" + value);
        TStringGrid::SetEditText(col, row, value);
    }
    void KeyPress(char32_t& key) override {
        Log.push_back("keypress " + std::to_string(static_cast<uint32_t>(key)));
        TStringGrid::KeyPress(key);
    }
    void TopLeftChanged() override {
        Log.push_back("topleft " + std::to_string(LeftCol()) + "," + std::to_string(TopRow()));
        TStringGrid::TopLeftChanged();
    }
};

class Grids : public ScriptedTest {
protected:
    void SetUp() override {
        ScriptedTest::SetUp();
        form = NewForm(500, 400);
        grid = new TTestGrid(form.get());
        grid->SetParent(form.get());
        grid->SetBounds(10, 10, 400, 300);
    }
    void Show() {
        ShowActive(*form);
        grid->SetFocus();
        ProcessEvents();
    }
    // Paints what is pending, and only that.
    void Paint() {
        grid->Painted.clear();
        ProcessEvents();
    }
    std::unique_ptr<TForm> form;
    TTestGrid* grid = nullptr;
};

TEST_F(Grids, TheStoreKeepsEmptyRowsFreeAndGivesUpClearedOnes) {
    grid->SetColCount(16);
    grid->SetRowCount(100001);
    EXPECT_EQ(grid->Model().UnitCount(), 0);
    grid->SetCells(15, 100000, "last");
    grid->SetCells(3, 7, "x");
    EXPECT_EQ(grid->Model().UnitCount(), 2);
    grid->SetCells(3, 7, "");
    EXPECT_EQ(grid->Model().UnitCount(), 1);
    // Reads beyond the counts give nothing.
    EXPECT_EQ(grid->Cells(16, 0), "");
    EXPECT_EQ(grid->Cells(0, 100001), "");
    EXPECT_EQ(grid->Objects(-1, 0), nullptr);
    // A write beyond the counts waits for them; lowering a count drops what lies beyond.
    grid->SetCells(20, 2, "beyond");
    EXPECT_EQ(grid->Cells(20, 2), "");
    grid->SetColCount(21);
    EXPECT_EQ(grid->Cells(20, 2), "beyond");
    grid->SetColCount(16);
    grid->SetColCount(21);
    EXPECT_EQ(grid->Cells(20, 2), "");
    grid->SetRowCount(10);
    grid->SetRowCount(100001);
    EXPECT_EQ(grid->Cells(15, 100000), "");
    EXPECT_EQ(grid->Model().UnitCount(), 0);
}

TEST_F(Grids, RowsAndColsAreListsThatAssignBothWays) {
    TObject a, b;
    grid->SetColCount(3);
    TStringList list;
    list.AddObject("one", &a);
    list.AddObject("two", nullptr);
    list.AddObject("three", &b);
    list.AddObject("beyond", &b);
    grid->SetRows(2, &list);
    EXPECT_EQ(grid->Cells(0, 2), "one");
    EXPECT_EQ(grid->Cells(2, 2), "three");
    EXPECT_EQ(grid->Objects(0, 2), &a);
    EXPECT_EQ(grid->Objects(2, 2), &b);
    EXPECT_EQ(grid->Rows(2)->Count(), 3);

    TStringList back;
    back.Assign(grid->Rows(2));
    ASSERT_EQ(back.Count(), 3);
    EXPECT_EQ(back.Get(1), "two");
    EXPECT_EQ(back.GetObject(2), &b);

    // A row copied to another; a shorter list leaves the rest as it was.
    grid->Rows(4)->Assign(grid->Rows(2));
    EXPECT_EQ(grid->Cells(1, 4), "two");
    EXPECT_EQ(grid->Objects(0, 4), &a);
    TStringList shorter;
    shorter.Add("new");
    grid->SetRows(4, &shorter);
    EXPECT_EQ(grid->Cells(0, 4), "new");
    EXPECT_EQ(grid->Objects(0, 4), nullptr);
    EXPECT_EQ(grid->Cells(1, 4), "two");
    grid->Cols(1)->Put(3, "col");
    EXPECT_EQ(grid->Cells(1, 3), "col");
    EXPECT_EQ(grid->Cols(1)->Count(), grid->RowCount());
    EXPECT_THROW(grid->Rows(2)->Insert(0, "x"), EInvalidGridOperation);
}

TEST_F(Grids, CountsAndFixedCountsHoldTogether) {
    EXPECT_EQ(grid->ColCount(), 5);
    EXPECT_EQ(grid->DefaultColWidth(), 64);
    EXPECT_EQ(grid->GridLineWidth(), 1);
    EXPECT_THROW(grid->SetFixedCols(5), EInvalidGridOperation);
    EXPECT_THROW(grid->SetFixedRows(-1), EInvalidGridOperation);
    try {
        grid->SetFixedRows(9);
        FAIL();
    } catch (const EInvalidGridOperation& e) {
        EXPECT_STREQ(e.what(), "Fixed row count must be less than row count");
    }
    grid->SetFixedCols(3);
    grid->SetColCount(2);
    EXPECT_EQ(grid->FixedCols(), 1);
    grid->SetRowCount(0);
    EXPECT_EQ(grid->RowCount(), 1);
    EXPECT_EQ(grid->FixedRows(), 0);
    // Widths: beyond the count the default, writes only in range.
    grid->SetColWidths(1, 30);
    grid->SetColWidths(7, 99);
    EXPECT_EQ(grid->ColWidths(1), 30);
    EXPECT_EQ(grid->ColWidths(7), 64);
    grid->SetDefaultColWidth(50);
    EXPECT_EQ(grid->ColWidths(1), 50) << "a new default is every column's";
}

TEST_F(Grids, CellRectAndMouseToCellFollowTheSummedSizes) {
    Show();
    grid->SetColCount(20);
    grid->SetRowCount(50);
    grid->SetFixedCols(1);
    grid->SetFixedRows(1);
    for (int32_t c = 0; c < 20; ++c) grid->SetColWidths(c, 20 + c * 3);
    for (int32_t r = 0; r < 50; ++r) grid->SetRowHeights(r, 15 + r % 4);
    grid->SetLeftCol(4);
    grid->SetTopRow(10);
    const int32_t lw = grid->GridLineWidth();
    auto x = [&](int32_t c) {
        if (c == 0) return 0;
        int32_t at = grid->ColWidths(0) + lw;
        for (int32_t i = grid->LeftCol(); i < c; ++i) at += grid->ColWidths(i) + lw;
        return at;
    };
    auto y = [&](int32_t r) {
        if (r == 0) return 0;
        int32_t at = grid->RowHeights(0) + lw;
        for (int32_t i = grid->TopRow(); i < r; ++i) at += grid->RowHeights(i) + lw;
        return at;
    };
    for (auto [c, r] : std::vector<std::pair<int32_t, int32_t>>{{0, 0}, {0, 12}, {4, 10}, {6, 13}, {5, 0}}) {
        SCOPED_TRACE(std::to_string(c) + "," + std::to_string(r));
        TRect rect = grid->CellRect(c, r);
        EXPECT_EQ(rect, Rect(x(c), y(r), x(c) + grid->ColWidths(c), y(r) + grid->RowHeights(r)));
        int32_t col = -2, row = -2;
        grid->MouseToCell(rect.Left + 1, rect.Bottom - 1, col, row);
        EXPECT_EQ(col, c);
        EXPECT_EQ(row, r);
        // The line after a cell belongs to it.
        EXPECT_EQ(grid->MouseCoord(rect.Right, rect.Top).X, c);
    }
    // Scrolled out of view: empty; outside the cells: -1.
    EXPECT_TRUE(IsRectEmpty(grid->CellRect(2, 12)));
    EXPECT_TRUE(IsRectEmpty(grid->CellRect(6, 3)));
    EXPECT_TRUE(IsRectEmpty(grid->CellRect(30, 12)));
    EXPECT_EQ(grid->MouseCoord(-1, 5).X, -1);
    EXPECT_EQ(grid->MouseCoord(5, grid->ClientHeight() + 3).Y, -1);
    // The sums without scrolling.
    EXPECT_EQ(grid->ColOffset(3), 20 + 23 + 26 + 3 * lw);
}

TEST_F(Grids, LeftColAndTopRowAreHeldWithinTheGrid) {
    Show();
    grid->SetRowCount(100);
    grid->SetColCount(30);
    grid->SetTopRow(-5);
    EXPECT_EQ(grid->TopRow(), 1);
    grid->SetTopRow(1000);
    EXPECT_EQ(grid->TopRow(), grid->MaxTopRow());
    // At the largest TopRow the last row is the last one wholly in view.
    EXPECT_EQ(grid->TopRow() + grid->VisibleRowCount() - 1, 99);
    grid->SetLeftCol(0);
    EXPECT_EQ(grid->LeftCol(), 1);
    grid->SetLeftCol(29);
    EXPECT_EQ(grid->LeftCol() + grid->VisibleColCount() - 1, 29);
    // A smaller grid moves the view back.
    grid->SetRowCount(5);
    EXPECT_EQ(grid->TopRow(), 1);
}

TEST_F(Grids, SelectCellMayRefuseAndIndexesOutsideRaise) {
    Show();
    int32_t clicks = 0;
    grid->OnClick = [&](TObject*) { ++clicks; };
    grid->SetCol(3);
    EXPECT_EQ(grid->Col(), 3);
    EXPECT_EQ(clicks, 1);
    grid->Veto = true;
    grid->SetRow(4);
    EXPECT_EQ(grid->Row(), 1);
    EXPECT_EQ(grid->Log.back(), "select 3,4");
    grid->Veto = false;
    EXPECT_THROW(grid->SetCol(5), EInvalidGridOperation);
    EXPECT_THROW(grid->SetRow(-1), EInvalidGridOperation);
    // A cell far below comes into view.
    grid->SetRowCount(500);
    grid->SetRow(400);
    EXPECT_LE(grid->TopRow(), 400);
    EXPECT_GE(grid->TopRow() + grid->VisibleRowCount() - 1, 400);
}

TEST_F(Grids, KeysWalkTheGridAndShiftExtendsTheSelection) {
    Show();
    grid->SetColCount(8);
    grid->SetRowCount(60);
    grid->SetOptions(grid->Options() | goTabs);
    struct Step {
        Word key;
        TShiftState shift;
        int32_t col, row;
    } steps[] = {
        {VK_RIGHT, 0, 2, 1},     {VK_DOWN, 0, 2, 2},  {VK_LEFT, 0, 1, 2},     {VK_LEFT, 0, 1, 2},
        {VK_UP, 0, 1, 1},        {VK_UP, 0, 1, 1},    {VK_END, 0, 7, 1},      {VK_HOME, 0, 1, 1},
        {VK_END, ssCtrl, 7, 59}, {VK_HOME, ssCtrl, 1, 1}, {VK_TAB, 0, 2, 1},  {VK_TAB, ssShift, 1, 1},
        {VK_TAB, ssShift, 7, 59},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(std::to_string(s.key) + " " + std::to_string(s.shift));
        PressKey(grid, s.key, s.shift);
        EXPECT_EQ(grid->Col(), s.col);
        EXPECT_EQ(grid->Row(), s.row);
    }
    PressKey(grid, VK_HOME, ssCtrl);
    const int32_t page = grid->VisibleRowCount();
    PressKey(grid, VK_NEXT);
    EXPECT_EQ(grid->Row(), 1 + page);
    PressKey(grid, VK_PRIOR);
    EXPECT_EQ(grid->Row(), 1);
    // Shift keeps the anchor.
    PressKey(grid, VK_RIGHT, ssShift);
    PressKey(grid, VK_DOWN, ssShift);
    EXPECT_EQ(grid->Selection(), Rect(1, 1, 2, 2));
    PressKey(grid, VK_DOWN);
    EXPECT_EQ(grid->Selection(), Rect(2, 3, 2, 3));
}

TEST_F(Grids, ASelectionOutsideTheGridShowsNoCellSelected) {
    Show();
    grid->SetSelection(Rect(grid->ColCount(), grid->RowCount(), grid->ColCount(), grid->RowCount()));
    EXPECT_EQ(grid->Selection(), Rect(5, 5, 5, 5));
    grid->Invalidate();
    Paint();
    for (const auto& d : grid->Painted) EXPECT_EQ(d.State & (gdSelected | gdFocused), 0) << d.Col << "," << d.Row;
    grid->SetSelection(Rect(1, 1, 3, 2));
    EXPECT_EQ(grid->Col(), 3);
    EXPECT_EQ(grid->Row(), 2);
}

TEST_F(Grids, DrawCellTellsFixedSelectedAndFocused) {
    Show();

    grid->SetSelection(Rect(1, 1, 2, 2));
    grid->Invalidate();
    Paint();
    ASSERT_NE(grid->Find(0, 0), nullptr);
    EXPECT_EQ(grid->Find(0, 0)->State, gdFixed);
    EXPECT_EQ(grid->Find(3, 0)->State, gdFixed);
    EXPECT_EQ(grid->Find(1, 1)->State, gdSelected);
    EXPECT_EQ(grid->Find(2, 2)->State, gdSelected | gdFocused);
    EXPECT_EQ(grid->Find(3, 3)->State, 0);
    // Each cell is drawn once, in its rectangle.
    EXPECT_EQ(grid->Find(2, 2)->Rect, grid->CellRect(2, 2));
}

TEST_F(Grids, DraggingAHeaderBorderSetsTheWidthOnReleaseWhileSizing) {
    Show();
    grid->SetOptions(grid->Options() | goColSizing);
    TRect header = grid->CellRect(1, 0);
    const int32_t border = header.Right;
    grid->Log.clear();
    PressAt(grid, border, 5);
    EXPECT_EQ(grid->GridState(), gsColSizing);
    MoveTo(grid, border + 30, 5);
    EXPECT_EQ(grid->ColWidths(1), 64) << "not before the release";
    ReleaseAt(grid, border + 30, 5);
    EXPECT_EQ(grid->ColWidths(1), 94);
    EXPECT_EQ(grid->GridState(), gsNormal);
    EXPECT_EQ(grid->Log, std::vector<std::string>{"widths " + std::to_string(static_cast<int>(gsColSizing))});
    // Away from a border a press in the header sizes nothing.
    PressAt(grid, header.Left + 20, 5);
    EXPECT_EQ(grid->GridState(), gsNormal);
    ReleaseAt(grid, header.Left + 20, 5);
}

TEST_F(Grids, DraggingAHeaderMovesTheColumnWithItsData) {
    Show();
    grid->SetOptions(grid->Options() | goColMoving);
    for (int32_t c = 0; c < 5; ++c) grid->SetCells(c, 2, std::string(1, static_cast<char>('a' + c)));
    grid->SetColWidths(1, 40);
    TRect from = grid->CellRect(1, 0);
    TRect to = grid->CellRect(3, 0);
    grid->Log.clear();
    PressAt(grid, from.Left + 10, 5);
    EXPECT_EQ(grid->GridState(), gsColMoving);
    MoveTo(grid, to.Left + 10, 5);
    ReleaseAt(grid, to.Left + 10, 5);
    EXPECT_EQ(grid->Log, std::vector<std::string>{"moved 1>3"});
    EXPECT_EQ(grid->Cells(1, 2), "c");
    EXPECT_EQ(grid->Cells(2, 2), "d");
    EXPECT_EQ(grid->Cells(3, 2), "b");
    EXPECT_EQ(grid->ColWidths(1), 40) << "the widths stay";
    EXPECT_EQ(grid->GridState(), gsNormal);
    // A row moved by code, and deleted by moving it to the end.
    grid->MoveRow(2, 4);
    EXPECT_EQ(grid->Cells(1, 4), "c");
    grid->DeleteRow(4);
    EXPECT_EQ(grid->RowCount(), 4);
    EXPECT_EQ(grid->Cells(1, 3), "");
}

TEST_F(Grids, ClickingAndDraggingSelects) {
    Show();
    TRect a = grid->CellRect(1, 1);
    TRect b = grid->CellRect(3, 2);
    PressAt(grid, a.Left + 5, a.Top + 5);
    EXPECT_EQ(grid->GridState(), gsSelecting);
    MoveTo(grid, b.Left + 5, b.Top + 5);
    ReleaseAt(grid, b.Left + 5, b.Top + 5);
    EXPECT_EQ(grid->Selection(), Rect(1, 1, 3, 2));
    ClickAt(grid, a.Left + 5, a.Top + 5, mbLeft, ssShift);
    EXPECT_EQ(grid->Selection(), Rect(1, 1, 1, 1)) << "Shift moves the anchor";
}

TEST_F(Grids, TheEditorOpensByF2OrATypedCharacterAndWritesThroughSetEditText) {
    Show();
    if (!grid->Focused()) GTEST_SKIP() << "the offscreen platform gave no window focus";
    grid->SetOptions(grid->Options() | goEditing);
    grid->SetCells(1, 1, "old");
    PressKey(grid, VK_F2);
    ASSERT_NE(grid->InplaceEditor(), nullptr);
    TInplaceEdit* editor = grid->InplaceEditor();
    EXPECT_TRUE(editor->Visible());
    EXPECT_TRUE(editor->Focused());
    EXPECT_EQ(editor->Text(), "old");
    EXPECT_EQ(editor->SelLength(), 0) << "F2 puts the caret at the end";
    grid->Log.clear();
    TypeText(editor, "!");
    EXPECT_EQ(grid->Cells(1, 1), "old!");
    EXPECT_EQ(grid->Log, (std::vector<std::string>{"keypress 33", "edit 1,1=old!"}));
    // Enter in the editor reaches the grid's KeyPress, which closes it.
    grid->Log.clear();
    PressKey(editor, VK_RETURN);
    EXPECT_FALSE(editor->Visible());
    EXPECT_FALSE(grid->EditorMode());
    EXPECT_TRUE(grid->Focused());
    EXPECT_EQ(grid->Log.front(), "keypress 13");

    // A typed character opens the editor over the whole text and goes in.
    PressKey(grid, VK_RIGHT);
    grid->SetCells(2, 1, "abc");
    TypeText(grid, "x");
    ProcessEvents();
    EXPECT_TRUE(editor->Visible());
    EXPECT_EQ(editor->Text(), "x");
    EXPECT_EQ(grid->Cells(2, 1), "x");
    // The editor moves with the current cell and writes its text on the way.
    grid->Log.clear();
    PressKey(editor, VK_DOWN);
    EXPECT_EQ(grid->Row(), 2);
    EXPECT_EQ(grid->Cells(2, 1), "x");
}

TEST_F(Grids, TheEditorTakingTheFocusIsNoExitOfTheGrid) {
    Show();
    if (!grid->Focused()) GTEST_SKIP() << "the offscreen platform gave no window focus";
    std::vector<std::string> events;
    grid->OnEnter = [&](TObject*) { events.push_back("enter"); };
    grid->OnExit = [&](TObject*) { events.push_back("exit"); };
    grid->SetOptions(grid->Options() | goEditing);
    grid->ShowEditor();
    ProcessEvents();
    EXPECT_TRUE(grid->InplaceEditor()->Focused());
    grid->HideEditor();
    ProcessEvents();
    EXPECT_TRUE(grid->Focused());
    EXPECT_TRUE(events.empty());
}

TEST_F(Grids, ScrollBarsRunFrom0To127) {
    Show();
    grid->SetRowCount(1001);
    auto* bar = static_cast<QAbstractScrollArea*>(NativeWidget(grid))->verticalScrollBar();
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->maximum(), 127);
    const int32_t max = grid->MaxTopRow();
    struct Case {
        uint16_t code;
        int32_t pos;
        int32_t top;
    } cases[] = {
        {SB_THUMBPOSITION, 127, max},
        {SB_THUMBPOSITION, 0, 1},
        {SB_THUMBPOSITION, 64, 1 + MulDiv(64, max - 1, 127)},
        {SB_LINEDOWN, 0, 2 + MulDiv(64, max - 1, 127)},
        {SB_TOP, 0, 1},
        {SB_PAGEDOWN, 0, 1 + grid->VisibleRowCount()},
        {SB_BOTTOM, 0, max},
        {SB_THUMBTRACK, 10, max},  // no goThumbTracking: the view waits for the release
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.code) + " " + std::to_string(c.pos));
        grid->Perform(WM_VSCROLL, MakeWParam(c.code, c.pos));
        EXPECT_EQ(grid->TopRow(), c.top);
        EXPECT_EQ(bar->value(), MulDiv(grid->TopRow() - 1, 127, max - 1));
    }
    grid->SetOptions(grid->Options() | goThumbTracking);
    grid->Perform(WM_VSCROLL, MakeWParam(SB_THUMBTRACK, 0));
    EXPECT_EQ(grid->TopRow(), 1);
    // The bar's own buttons ask the same.
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(grid->TopRow(), 2);
    // A grid that fits shows no bar.
    grid->SetRowCount(3);
    EXPECT_FALSE(bar->isVisible());
}

TEST_F(Grids, ATopRowChangeMovesWhatIsShownAndPaintsOnlyTheNewRows) {
    Show();
    grid->SetColCount(4);
    grid->SetRowCount(100001);
    grid->Invalidate();
    Paint();
    const size_t full = grid->Painted.size();
    ASSERT_GT(full, 20u);
    grid->SetTopRow(2);
    Paint();
    // One new row (and the partly shown last one) of four columns.
    EXPECT_LE(grid->Painted.size(), 8u);
    EXPECT_GE(grid->Painted.size(), 4u);
    for (const auto& d : grid->Painted) EXPECT_GE(d.Row, 2 + grid->VisibleRowCount() - 1);
    // Far down, a full paint costs the same as at the top.
    grid->SetTopRow(99000);
    Paint();
    EXPECT_EQ(grid->Painted.size(), full);
    EXPECT_EQ(grid->Find(0, 99000)->Rect.Top, grid->FixedHeight());
}

TEST_F(Grids, TheWheelMovesTheCurrentRow) {
    Show();
    grid->SetRowCount(20);
    TRect cell = grid->CellRect(1, 1);
    WheelAt(grid, cell.Left + 3, cell.Top + 3, -240);
    EXPECT_EQ(grid->Row(), 3);
    WheelAt(grid, cell.Left + 3, cell.Top + 3, 120);
    EXPECT_EQ(grid->Row(), 2);
}

}  // namespace
