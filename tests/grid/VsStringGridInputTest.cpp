// The grid's input side driven by synthetic events: the key table with its
// vetoes, rows inserted and deleted by keys, header clicks sorting, border
// double clicks, moved columns and rows, the wheel and zoom, links and the
// sizing veto.
#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QClipboard>
#include <QCursor>
#include <QGuiApplication>
#include <QPixmap>
#include <QToolTip>

#include "platform/controls/Clipbrd.h"
#include "grid/VsResources.h"
#include "platform/controls/ShellApi.h"
#include "tests/grid/VsStringGridTestSupport.h"

namespace {

class GridInput : public StringGridTest {
protected:
    void SetUp() override {
        ScriptedTest::SetUp();
        MakeGrid(600, 400, Rect(10, 10, 510, 310));
        grid->SetColCount(4);
        grid->SetRowCount(6);
        ShowActive(*form);
        grid->SetFocus();
        ProcessEvents();
    }
    void Key(Word key, TShiftState shift = 0) {
        PressKey(grid, key, shift);
        ProcessEvents();
    }
    // The middle of a cell, in the grid's client pixels.
    TPoint Middle(int32_t col, int32_t row) {
        const TRect r = grid->CellRect(col, row);
        return TPoint{(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
    }
    void ClickCell(int32_t col, int32_t row, TShiftState shift = 0) {
        const TPoint p = Middle(col, row);
        ClickAt(grid, p.X, p.Y, mbLeft, shift);
        ProcessEvents();
    }
    // The grid as shown, in its client pixels.
    QImage Shot() {
        ProcessEvents();
        QWidget* w = NativeWidget(grid);
        auto* area = qobject_cast<QAbstractScrollArea*>(w);
        if (!area) area = w->findChild<QAbstractScrollArea*>();
        return (area ? area->viewport() : w)->grab().toImage();
    }
    static TColor At(const QImage& image, int32_t x, int32_t y) {
        const QRgb p = image.pixel(x, y);
        return static_cast<TColor>(RGB(qRed(p), qGreen(p), qBlue(p)));
    }
    std::string Column(int32_t col) {
        std::string s;
        for (int32_t r = 1; r < grid->RowCount(); ++r) s += (r > 1 ? "|" : "") + grid->Cells(col, r);
        return s;
    }
};

TEST_F(GridInput, ClipboardKeysWithTheSettingAndTheirVetoes) {
    struct Case {
        const char* name;
        Word key;
        TShiftState shift;
        char action;  // c copy, x cut, v paste
    } cases[] = {
        {"Ctrl+C", 'C', ssCtrl, 'c'},          {"Ctrl+Insert", VK_INSERT, ssCtrl, 'c'},
        {"Ctrl+X", 'X', ssCtrl, 'x'},          {"Shift+Delete", VK_DELETE, ssShift, 'x'},
        {"Ctrl+V", 'V', ssCtrl, 'v'},          {"Shift+Insert", VK_INSERT, ssShift, 'v'},
    };
    grid->SetOptions(grid->Options() | goEditing);
    for (const Case& c : cases)
        for (int variant = 0; variant < 3; ++variant) {
            // 0: without the setting, 1: vetoed, 2: allowed.
            SCOPED_TRACE(std::string(c.name) + " variant " + std::to_string(variant));
            grid->Navigation()->SetAllowClipboardShortCuts(variant > 0);
            bool asked = false;
            auto veto = [&](TObject*, bool& allow) {
                asked = true;
                allow = variant == 2;
            };
            grid->OnClipboardCopy = c.action == 'c' ? TClipboardEvent(veto) : nullptr;
            grid->OnClipboardCut = c.action == 'x' ? TClipboardEvent(veto) : nullptr;
            grid->OnClipboardPaste = c.action == 'v' ? TClipboardEvent(veto) : nullptr;
            grid->SetCells(1, 1, "cell");
            grid->SetCol(1);
            grid->SetRow(1);
            Clipboard()->SetAsText("clip");
            Key(c.key, c.shift);
            const bool acted = variant == 2;
            EXPECT_EQ(asked, variant > 0);
            const std::string clip = Clipboard()->AsText();
            if (c.action == 'c') {
                EXPECT_EQ(clip, acted ? "cell" : "clip");
                EXPECT_EQ(grid->Cells(1, 1), "cell");
            } else if (c.action == 'x') {
                EXPECT_EQ(clip, acted ? "cell" : "clip");
                EXPECT_EQ(grid->Cells(1, 1), acted ? "" : "cell");
            } else {
                EXPECT_EQ(grid->Cells(1, 1), acted ? "clip" : "cell");
            }
        }
}

TEST_F(GridInput, InsertAndDeleteKeysInsertAndDeleteRows) {
    for (int32_t r = 1; r < 6; ++r) grid->SetCells(1, r, "r" + std::to_string(r));
    grid->Navigation()->SetAllowInsertRow(true);
    grid->Navigation()->SetAllowDeleteRow(true);
    std::vector<int32_t> inserted, deleted;
    grid->OnAutoInsertRow = [&](TObject*, int32_t row) { inserted.push_back(row); };
    grid->OnAutoDeleteRow = [&](TObject*, int32_t row) { deleted.push_back(row); };
    grid->Navigation()->SetInsertPosition(pInsertAfter);
    grid->SetRow(3);
    Key(VK_INSERT);
    EXPECT_EQ(Column(1), "r1|r2|r3||r4|r5");
    EXPECT_EQ(grid->Row(), 4);
    grid->Navigation()->SetInsertPosition(pInsertBefore);
    grid->SetRow(3);
    Key(VK_INSERT);
    EXPECT_EQ(Column(1), "r1|r2||r3||r4|r5");
    EXPECT_EQ(grid->Row(), 3);
    EXPECT_EQ(inserted, (std::vector<int32_t>{4, 3}));
    // A veto stops the insertion.
    grid->OnCanInsertRow = [](TObject*, int32_t, bool& can) { can = false; };
    Key(VK_INSERT);
    EXPECT_EQ(grid->RowCount(), 8);
    // Delete on the last of several data rows.
    grid->SetRow(7);
    Key(VK_DELETE);
    EXPECT_EQ(Column(1), "r1|r2||r3||r4");
    EXPECT_EQ(grid->Row(), 6);
    EXPECT_EQ(deleted, std::vector<int32_t>{6});
    // Delete on the only data row clears it.
    grid->SetRowCount(2);
    grid->SetCells(1, 1, "only");
    grid->SetRow(1);
    Key(VK_DELETE);
    EXPECT_EQ(grid->RowCount(), 2);
    EXPECT_EQ(grid->Cells(1, 1), "");
}

TEST_F(GridInput, HeaderClicksSort) {
    grid->SetSortShow(true);
    for (int32_t r = 1; r < 6; ++r) grid->SetCells(2, r, std::string(1, static_cast<char>('a' + (r * 3) % 5)));
    std::vector<int32_t> clicked;
    grid->OnClickSort = [&](TObject*, int32_t col) { clicked.push_back(col); };
    ClickCell(2, 0);
    EXPECT_EQ(Column(2), "a|b|c|d|e");
    EXPECT_EQ(grid->SortColumn(), 2);
    EXPECT_EQ(grid->SortDirection(), sdAscending);
    ClickCell(2, 0);
    EXPECT_EQ(Column(2), "e|d|c|b|a");
    EXPECT_EQ(clicked, (std::vector<int32_t>{2, 2}));
    // A press in row 1 released in row 0 does not sort.
    const TPoint from = Middle(2, 1), to = Middle(2, 0);
    PressAt(grid, from.X, from.Y);
    MoveTo(grid, to.X, to.Y);
    ReleaseAt(grid, to.X, to.Y);
    ProcessEvents();
    EXPECT_EQ(Column(2), "e|d|c|b|a");
    // With goColSizing a release near a border does not sort.
    grid->SetOptions(grid->Options() | goColSizing);
    const TRect header = grid->CellRect(2, 0);
    ClickAt(grid, header.Left + 2, (header.Top + header.Bottom) / 2);
    ProcessEvents();
    EXPECT_EQ(Column(2), "e|d|c|b|a");
    // OnCanSort may refuse.
    grid->OnCanSort = [](TObject*, int32_t, bool& sort) { sort = false; };
    ClickCell(2, 0);
    EXPECT_EQ(Column(2), "e|d|c|b|a");
}

TEST_F(GridInput, ShiftClicksBuildTheSortIndex) {
    grid->SetSortShow(true);
    grid->SetSortIndexShow(true);
    const char* c1[] = {"b", "a", "b", "a", "a"};
    for (int32_t r = 1; r < 6; ++r) {
        grid->SetCells(1, r, c1[r - 1]);
        grid->SetCells(2, r, std::to_string(r));
    }
    ClickCell(1, 0);
    ASSERT_EQ(grid->SortIndexes()->Count(), 1);
    ClickCell(2, 0, ssShift);
    ASSERT_EQ(grid->SortIndexes()->Count(), 2);
    EXPECT_EQ(Column(1), "a|a|a|b|b");
    EXPECT_EQ(Column(2), "2|4|5|1|3");
    // Shift on an entry inverts it.
    ClickCell(2, 0, ssShift);
    EXPECT_EQ(Column(2), "5|4|2|3|1");
    // A plain click on another column starts over; on the only entry it
    // inverts.
    ClickCell(2, 0);
    ASSERT_EQ(grid->SortIndexes()->Count(), 1);
    EXPECT_EQ(Column(2), "1|2|3|4|5");
    ClickCell(2, 0);
    EXPECT_TRUE(TSortIndexList::IsDescending(grid->SortIndexes()->Items(0)));
    EXPECT_EQ(Column(2), "5|4|3|2|1");
}

TEST_F(GridInput, DoubleClickOnAHeaderBorderSizesWithoutTheCellEvent) {
    grid->SetOptions(grid->Options() | goColSizing);
    grid->SetSortShow(true);
    int32_t dbl = 0;
    grid->OnDblClickCell = [&](TObject*, int32_t, int32_t) { ++dbl; };
    for (int32_t r = 1; r < 6; ++r) grid->SetCells(2, r, std::to_string(6 - r));
    const TRect header = grid->CellRect(3, 0);
    DoubleClickAt(grid, header.Left + 2, (header.Top + header.Bottom) / 2);
    ProcessEvents();
    EXPECT_EQ(dbl, 0);
    EXPECT_EQ(Column(2), "5|4|3|2|1") << "the border's double click sorts nothing";
    const TPoint p = Middle(2, 2);
    DoubleClickAt(grid, p.X, p.Y);
    ProcessEvents();
    EXPECT_EQ(dbl, 1);
}

TEST_F(GridInput, MovedColumnsTakeTheirWidthsAndSortColumnRowsTheirHeights) {
    grid->SetEnhRowColMove(true);
    grid->SetColCount(5);
    const int32_t widths[] = {30, 40, 50, 60, 70};
    for (int32_t c = 0; c < 5; ++c) grid->SetColWidths(c, widths[c]);
    grid->SetSortColumn(1);
    grid->SetCells(1, 0, "one");
    grid->MoveColumn(1, 3);
    EXPECT_EQ(grid->Cells(3, 0), "one");
    EXPECT_EQ(grid->ColWidths(1), 50);
    EXPECT_EQ(grid->ColWidths(2), 60);
    EXPECT_EQ(grid->ColWidths(3), 40);
    EXPECT_EQ(grid->ColWidths(4), 70);
    EXPECT_EQ(grid->SortColumn(), 3);
    grid->SetRowHeights(1, 33);
    grid->SetCells(1, 1, "moved");
    grid->MoveRow(1, 4);
    EXPECT_EQ(grid->Cells(1, 4), "moved");
    EXPECT_EQ(grid->RowHeights(4), 33);
    EXPECT_EQ(grid->RowHeights(1), grid->DefaultRowHeight());
}

TEST_F(GridInput, TheWheelZoomsWithCtrlAndMovesTheRowWithout) {
    const TPoint p = Middle(1, 1);
    const int32_t lines = grid->WheelScrollLines();
    ASSERT_GT(lines, 0);
    const int32_t width = grid->ColWidths(1);
    WheelAt(grid, p.X, p.Y, -120, ssCtrl);
    ProcessEvents();
    EXPECT_EQ(grid->ZoomOffset(), lines);
    EXPECT_EQ(grid->ColWidths(1), width + lines);
    for (int i = 0; i < 10; ++i) WheelAt(grid, p.X, p.Y, -120, ssCtrl);
    ProcessEvents();
    EXPECT_EQ(grid->ZoomOffset(), (10 / lines) * lines);
    for (int i = 0; i < 20; ++i) WheelAt(grid, p.X, p.Y, 120, ssCtrl);
    ProcessEvents();
    EXPECT_EQ(grid->ZoomOffset(), -(10 / lines) * lines);
    // Without Ctrl: the current row, never into the fixed rows or footers.
    grid->SetRowCount(20);
    grid->SetFixedFooters(1);
    grid->SetRow(1);
    WheelAt(grid, p.X, p.Y, -120);
    ProcessEvents();
    EXPECT_EQ(grid->Row(), 1 + lines);
    for (int i = 0; i < 10; ++i) WheelAt(grid, p.X, p.Y, -120);
    ProcessEvents();
    EXPECT_EQ(grid->Row(), 18);
    for (int i = 0; i < 10; ++i) WheelAt(grid, p.X, p.Y, 120);
    ProcessEvents();
    EXPECT_EQ(grid->Row(), 1);
    // With no data rows it stays.
    grid->SetRowCount(2);
    const int32_t row = grid->Row();
    WheelAt(grid, p.X, p.Y, -120);
    ProcessEvents();
    EXPECT_EQ(grid->Row(), row);
}

TEST_F(GridInput, LinksOpenOnlyWebAndMailAddressesAndCellReferencesMove) {
    std::vector<std::string> opened;
    TDesktopOpener previous = SetDesktopOpener([&](const std::string& url) {
        opened.push_back(url);
        return true;
    });
    grid->SetURLShow(true);
    grid->SetRowCount(6);
    struct Case {
        const char* text;
        bool opens;
    } cases[] = {
        {"http://example.org/a", true}, {"https://example.org", true}, {"ftp://files.example.org", true},
        {"mailto:someone@example.org", true}, {"file:///etc/passwd", false}, {"javascript://x", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        opened.clear();
        grid->SetCells(1, 1, c.text);
        ClickCell(1, 1);
        EXPECT_EQ(opened.size(), c.opens ? 1u : 0u);
    }
    grid->SetCells(1, 2, "CELL://R4C3");
    ClickCell(1, 2);
    EXPECT_EQ(grid->Row(), 4);
    EXPECT_EQ(grid->Col(), 3);
    grid->SetCells(1, 2, "CELL://R40C3");
    ClickCell(1, 2);
    EXPECT_EQ(grid->Row(), 4);
    // The anchor event may take the link over.
    opened.clear();
    grid->SetCells(1, 1, "http://example.org");
    grid->OnAnchorClick = [](TObject*, int32_t, int32_t, const std::string&, bool& autoHandle) { autoHandle = false; };
    ClickCell(1, 1);
    EXPECT_TRUE(opened.empty());
    SetDesktopOpener(previous);
}

TEST_F(GridInput, TheColumnSizeEventVetoesSizing) {
    grid->SetOptions(grid->Options() | goColSizing);
    const int32_t width = grid->ColWidths(1);
    grid->OnColumnSize = [](TObject*, int32_t, bool& allow) { allow = false; };
    const TRect header = grid->CellRect(1, 0);
    PressAt(grid, header.Right, 5);
    MoveTo(grid, header.Right + 30, 5);
    ReleaseAt(grid, header.Right + 30, 5);
    ProcessEvents();
    EXPECT_EQ(grid->ColWidths(1), width);
    grid->OnColumnSize = nullptr;
    PressAt(grid, header.Right, 5);
    MoveTo(grid, header.Right + 30, 5);
    ReleaseAt(grid, header.Right + 30, 5);
    ProcessEvents();
    EXPECT_EQ(grid->ColWidths(1), width + 30);
}

TEST_F(GridInput, SpaceTogglesAnEditableCheckBoxAndDragTextJoinsTheSelection) {
    grid->SetEnableGraphics(true);
    grid->SetOptions(grid->Options() | goEditing);
    auto* box = new TCellGraphic(cgCheckBox);
    grid->SetObjects(2, 2, box);
    std::vector<bool> states;
    grid->OnCheckBoxClick = [&](TObject*, int32_t, int32_t, bool state) { states.push_back(state); };
    grid->SetCol(2);
    grid->SetRow(2);
    Key(VK_SPACE);
    EXPECT_TRUE(box->State);
    EXPECT_EQ(states, std::vector<bool>{true});
    grid->SetObjects(2, 2, nullptr);
    delete box;

    grid->SetCells(1, 1, "a");
    grid->SetCells(2, 1, "b");
    grid->SetCells(1, 2, "c");
    grid->SetSelection(TGridRect{1, 1, 2, 2});
    EXPECT_EQ(grid->SelectionDragText(), "a\tb\r\nc\t");
}

TEST_F(GridInput, MiddleButtonPansTheCurrentCellUntilTheNextPress) {
    grid->SetRowCount(10);
    grid->SetRow(2);
    const TPoint origin = Middle(2, 3);
    ClickAt(grid, origin.X, origin.Y, mbMiddle);
    ProcessEvents();
    ASSERT_TRUE(grid->Panning());
    const TPoint below = grid->ClientToScreen(TPoint{origin.X, origin.Y + 40});
    QCursor::setPos(below.X, below.Y);
    clock->Advance(VsGridConst::PanInterval * 3);
    ProcessEvents();
    EXPECT_EQ(grid->Row(), 5);
    // Any button press ends it.
    ClickAt(grid, origin.X, origin.Y, mbRight);
    ProcessEvents();
    EXPECT_FALSE(grid->Panning());
    const int32_t row = grid->Row();
    clock->Advance(VsGridConst::PanInterval * 3);
    EXPECT_EQ(grid->Row(), row);
    // Without data rows panning leaves the row alone.
    grid->SetRowCount(1);
    const int32_t fixedRow = grid->Row();
    ClickAt(grid, origin.X, 5, mbMiddle);
    ProcessEvents();
    clock->Advance(VsGridConst::PanInterval * 3);
    EXPECT_EQ(grid->Row(), fixedRow);
    ClickAt(grid, origin.X, 5, mbMiddle);
    ProcessEvents();
    EXPECT_FALSE(grid->Panning());
}

TEST_F(GridInput, HoveringMakesTheCellUnderTheMouseCurrent) {
    grid->SetHovering(true);
    const TPoint over = grid->ClientToScreen(Middle(3, 4));
    QCursor::setPos(over.X, over.Y);
    clock->Advance(VsGridConst::HoverInterval);
    ProcessEvents();
    EXPECT_EQ(grid->Col(), 3);
    EXPECT_EQ(grid->Row(), 4);
    // Fixed cells never become current.
    const TPoint fixed = grid->ClientToScreen(Middle(0, 2));
    QCursor::setPos(fixed.X, fixed.Y);
    clock->Advance(VsGridConst::HoverInterval);
    EXPECT_EQ(grid->Col(), 3);
}

TEST_F(GridInput, HintsAskTheEventAndShowCellTexts) {
    grid->SetCells(2, 2, "the text");
    std::vector<std::pair<int32_t, int32_t>> asked;
    grid->OnGridHint = [&](TObject*, int32_t row, int32_t col, std::string& hint) {
        asked.emplace_back(col, row);
        hint = "from event";
    };
    THintInfo info;
    info.CursorPos = Middle(2, 2);
    grid->Perform(CM_HINTSHOW, 0, reinterpret_cast<intptr_t>(&info));
    EXPECT_EQ(info.HintStr, "from event");
    EXPECT_EQ(info.HintColor, grid->HintColor());
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0], std::make_pair(2, 2));
    const TRect cell = grid->CellRect(2, 2);
    EXPECT_EQ(info.HintPos.Y, grid->ClientToScreen(TPoint{cell.Left, cell.Bottom + 6}).Y);
    grid->SetHintShowCells(true);
    grid->Perform(CM_HINTSHOW, 0, reinterpret_cast<intptr_t>(&info));
    EXPECT_EQ(info.HintStr, "the text");
    EXPECT_EQ(info.HintPos.Y, grid->ClientToScreen(TPoint{cell.Left, cell.Top}).Y);
}

TEST_F(GridInput, HtmlAnchorsAreEnteredLeftAndClicked) {
    grid->SetColWidths(1, 200);
    grid->SetCells(1, 1, "<a href=\"http://example.org/x\">link</a>");
    std::vector<std::string> events;
    grid->OnAnchorEnter = [&](TObject*, int32_t, int32_t, const std::string& a) { events.push_back("enter " + a); };
    grid->OnAnchorExit = [&](TObject*, int32_t, int32_t, const std::string&) { events.push_back("exit"); };
    std::string clicked;
    grid->OnAnchorClick = [&](TObject*, int32_t, int32_t, const std::string& a, bool& autoHandle) {
        clicked = a;
        autoHandle = false;
    };
    const TRect cell = grid->CellRect(1, 1);
    MoveTo(grid, cell.Left + 6, cell.Top + 8);
    MoveTo(grid, cell.Left + 190, cell.Bottom - 2);
    ProcessEvents();
    EXPECT_EQ(events, (std::vector<std::string>{"enter http://example.org/x", "exit"}));
    ClickAt(grid, cell.Left + 6, cell.Top + 8);
    ProcessEvents();
    EXPECT_EQ(clicked, "http://example.org/x");
}

TEST_F(GridInput, RadioGroupsTakeTheClickedItem) {
    grid->SetEnableGraphics(true);
    grid->SetRowHeights(2, 60);
    TStringList items;
    items.Add("one");
    items.Add("two");
    items.Add("three");
    TCellGraphic radio(cgRadio);
    radio.First = &items;
    grid->SetObjects(2, 2, &radio);
    const TRect cell = grid->CellRect(2, 2);
    ClickAt(grid, cell.Left + 5, cell.Top + 12 + 5);
    ProcessEvents();
    EXPECT_EQ(radio.Integer, 1);
    EXPECT_EQ(grid->Cells(2, 2), "two");
    EXPECT_EQ(grid->Row(), 2);
    radio.First = nullptr;
    grid->SetObjects(2, 2, nullptr);
}

TEST_F(GridInput, ASelectionEdgePressDragsTheSelectionAsText) {
    grid->SetOleDropSource(true);
    grid->SetCells(1, 1, "a");
    grid->SetCells(2, 1, "b");
    grid->SetSelection(TGridRect{1, 1, 2, 1});
    std::vector<std::string> asked;
    grid->OnOleDrag = [&](TObject*, int32_t col, int32_t row, const std::string& data, bool&) {
        asked.push_back(std::to_string(col) + "," + std::to_string(row) + " " + data);
    };
    drags->Answer(DROPEFFECT_COPY);
    const TRect cell = grid->CellRect(2, 1);
    PressAt(grid, cell.Left + 1, (cell.Top + cell.Bottom) / 2);
    ReleaseAt(grid, cell.Left + 1, (cell.Top + cell.Bottom) / 2);
    ProcessEvents();
    ASSERT_EQ(drags->Offers().size(), 1u);
    EXPECT_EQ(drags->Offers()[0].Data.Data("text/plain"), "a\tb");
    EXPECT_EQ(asked, std::vector<std::string>{"2,1 b"});
}

TEST_F(GridInput, FixedCellsSelectWholeColumnsAndRows) {
    grid->MouseActions()->SetColSelect(true);
    grid->MouseActions()->SetRowSelect(true);
    const TPoint header = Middle(2, 0);
    MoveTo(grid, header.X, header.Y);
    ClickAt(grid, header.X, header.Y);
    ProcessEvents();
    TGridRect s = grid->Selection();
    EXPECT_EQ(s.Left, 2);
    EXPECT_EQ(s.Right, 2);
    EXPECT_EQ(s.Top, 1);
    EXPECT_EQ(s.Bottom, grid->RowCount() - 1);
    const TPoint title = Middle(0, 3);
    MoveTo(grid, title.X, title.Y);
    ClickAt(grid, title.X, title.Y);
    ProcessEvents();
    s = grid->Selection();
    EXPECT_EQ(s.Top, 3);
    EXPECT_EQ(s.Bottom, 3);
    EXPECT_EQ(s.Left, 1);
    EXPECT_EQ(s.Right, grid->ColCount() - 1);
}

TEST_F(GridInput, DraggingAHeaderShowsTheIndicatorMovesTheColumnAndDoesNotSort) {
    grid->SetEnhRowColMove(true);
    grid->SetSortShow(true);
    grid->SetOptions(grid->Options() | goColMoving);
    grid->SetCells(1, 0, "first");
    for (int32_t r = 1; r < 6; ++r) grid->SetCells(1, r, std::to_string(6 - r));
    grid->SetColWidths(1, 80);
    const TPoint from = Middle(1, 0), to = Middle(3, 0);
    PressAt(grid, from.X, from.Y);
    MoveTo(grid, from.X + 20, from.Y);
    MoveTo(grid, to.X, to.Y);
    ProcessEvents();
    EXPECT_FALSE(grid->WindowUpdateLocked()) << "the move shows as it goes";
    EXPECT_TRUE(grid->MoveIndicator()->Visible());
    EXPECT_EQ(grid->MoveIndicator()->Caption(), "first");
    EXPECT_EQ(grid->MoveIndicator()->Width(), 80);
    ReleaseAt(grid, to.X, to.Y);
    ProcessEvents();
    EXPECT_FALSE(grid->MoveIndicator()->Visible());
    EXPECT_FALSE(grid->WindowUpdateLocked());
    EXPECT_EQ(grid->Cells(3, 0), "first");
    EXPECT_EQ(grid->ColWidths(3), 80);
    EXPECT_EQ(grid->Cells(3, 1), "5") << "a move is no sorting click";
}

TEST_F(GridInput, TheUpdateLockOfAPressIsReleasedOnEveryWayOut) {
    grid->SetEnhRowColMove(true);
    bool lockedInHandler = false;
    // A fixed cell: the press stops at the cell event, which may open a
    // dialog of its own.
    grid->OnIsFixedCell = [](TObject*, int32_t row, int32_t col, bool& fixed) { fixed = row == 0 && col == 2; };
    grid->OnClickCell = [&](TObject*, int32_t, int32_t) { lockedInHandler = grid->WindowUpdateLocked(); };
    const TPoint p = Middle(2, 0);
    PressAt(grid, p.X, p.Y);
    EXPECT_TRUE(lockedInHandler);
    EXPECT_FALSE(grid->WindowUpdateLocked());
    ReleaseAt(grid, p.X, p.Y);
    // A press in a fixed column ending normally.
    grid->OnClickCell = nullptr;
    const TPoint q = Middle(0, 2);
    PressAt(grid, q.X, q.Y);
    EXPECT_FALSE(grid->WindowUpdateLocked());
    ReleaseAt(grid, q.X, q.Y);
    EXPECT_FALSE(grid->WindowUpdateLocked());
}

// The cursor the grid shows is the picture of the resource with that id.
bool ShowsCursor(TVsStringGrid* grid, int32_t id) {
    const QCursor shown = NativeWidget(grid)->cursor();
    if (shown.shape() != Qt::BitmapCursor) return false;
    TBitmap picture;
    TPoint hot;
    LoadCursorResource(picture, id, hot);
    const QImage image = shown.pixmap().toImage();
    if (image.width() != 32 || image.height() != 32 || shown.hotSpot() != QPoint(hot.X, hot.Y)) return false;
    for (int32_t y = 0; y < 32; ++y)
        for (int32_t x = 0; x < 32; ++x) {
            const TColor c = picture.Canvas()->Pixel(x, y);
            const QRgb p = image.pixel(x, y);
            if (c == picture.TransparentColor() ? qAlpha(p) != 0
                                                : qAlpha(p) != 255 || RGB(qRed(p), qGreen(p), qBlue(p)) != c)
                return false;
        }
    return true;
}

TEST_F(GridInput, TheGridsCursorsAreItsOwnDistinctPictures) {
    std::vector<std::string> seen;
    for (int32_t id = 8000; id <= 8012; ++id) {
        TBitmap picture;
        TPoint hot;
        LoadCursorResource(picture, id, hot);
        ASSERT_EQ(picture.Width(), 32);
        ASSERT_EQ(picture.Height(), 32);
        EXPECT_EQ(picture.Canvas()->Pixel(0, 0), picture.TransparentColor()) << id;
        EXPECT_NE(picture.Canvas()->Pixel(hot.X, hot.Y), picture.TransparentColor()) << id << " points with ink";
        std::string pixels;
        for (int32_t y = 0; y < 32; ++y)
            for (int32_t x = 0; x < 32; ++x) pixels += picture.Canvas()->Pixel(x, y) == clBlack ? '#' : '.';
        EXPECT_EQ(std::find(seen.begin(), seen.end(), pixels), seen.end()) << id << " looks like another";
        seen.push_back(pixels);
    }
    TBitmap none;
    TPoint hot;
    EXPECT_THROW(LoadCursorResource(none, 8013, hot), EResNotFound);
    // Over the fixed cells they tell what a press selects.
    grid->MouseActions()->SetColSelect(true);
    grid->MouseActions()->SetRowSelect(true);
    grid->MouseActions()->SetAllSelect(true);
    const struct {
        int32_t Col, Row, Id;
    } cases[] = {{2, 0, 8011}, {0, 3, 8010}, {0, 0, 8012}};
    for (const auto& c : cases) {
        const TPoint p = Middle(c.Col, c.Row);
        MoveTo(grid, p.X, p.Y);
        grid->Perform(WM_SETCURSOR, 0, 0);
        EXPECT_TRUE(ShowsCursor(grid, c.Id)) << c.Id;
    }
    // Panning shows the neutral mark, then the way it goes.
    grid->SetRowCount(10);
    const TPoint origin = Middle(2, 3);
    ClickAt(grid, origin.X, origin.Y, mbMiddle);
    ProcessEvents();
    EXPECT_TRUE(ShowsCursor(grid, 8000));
    const TPoint below = grid->ClientToScreen(TPoint{origin.X, origin.Y + 40});
    QCursor::setPos(below.X, below.Y);
    clock->Advance(VsGridConst::PanInterval);
    EXPECT_TRUE(ShowsCursor(grid, 8001));
    ClickAt(grid, origin.X, origin.Y, mbMiddle);
}

TEST_F(GridInput, PanningDrawsTheOriginMarkOfItsModeUntilItEnds) {
    grid->SetColor(clYellow);
    grid->SetRowCount(40);
    const struct {
        TIntelliPan Mode;
        bool Across, UpDown;
    } cases[] = {{ipBoth, true, true}, {ipHorizontal, true, false}, {ipVertical, false, true}};
    for (const auto& c : cases) {
        grid->SetIntelliPan(c.Mode);
        grid->SetRow(1);
        const TPoint o = Middle(2, 3);
        ClickAt(grid, o.X, o.Y, mbMiddle);
        QImage shot = Shot();
        // A white square whose middle has a ring, with arrowheads the ways
        // the mode pans.
        EXPECT_EQ(At(shot, o.X - 15, o.Y - 15), clWhite) << c.Mode;
        EXPECT_EQ(At(shot, o.X + 4, o.Y), clBlack) << c.Mode;
        EXPECT_EQ(At(shot, o.X + 10, o.Y) == clBlack, c.Across) << c.Mode;
        EXPECT_EQ(At(shot, o.X - 10, o.Y) == clBlack, c.Across) << c.Mode;
        EXPECT_EQ(At(shot, o.X, o.Y + 10) == clBlack, c.UpDown) << c.Mode;
        // It stays through steps that scroll the view.
        if (c.UpDown) {
            const TPoint below = grid->ClientToScreen(TPoint{o.X, o.Y + 40});
            QCursor::setPos(below.X, below.Y);
            for (int32_t i = 0; i < 30; ++i) clock->Advance(VsGridConst::PanInterval);
            EXPECT_GT(grid->TopRow(), 1);
            EXPECT_EQ(At(Shot(), o.X + 4, o.Y), clBlack) << c.Mode;
        }
        ClickAt(grid, o.X, o.Y, mbMiddle);
        ASSERT_FALSE(grid->Panning());
        shot = Shot();
        EXPECT_EQ(At(shot, o.X + 4, o.Y), clYellow) << c.Mode;
        EXPECT_EQ(At(shot, o.X - 15, o.Y - 15), clYellow) << c.Mode;
    }
}

TEST_F(GridInput, FixedCellsAsButtonsLookPressedWhilePressed) {
    const TRect cell = grid->CellRect(2, 0);
    const int32_t midY = (cell.Top + cell.Bottom) / 2, midX = (cell.Left + cell.Right) / 2;
    const struct {
        bool Buttons, Ctl3D;
        TGridOptions Lines;
        bool Pressed;
    } cases[] = {{true, true, goFixedVertLine | goFixedHorzLine, true},
                 {false, true, goFixedVertLine | goFixedHorzLine, false},
                 {true, false, goFixedVertLine | goFixedHorzLine, false},
                 {true, true, goFixedVertLine, false}};
    for (const auto& c : cases) {
        grid->SetFixedAsButtons(c.Buttons);
        grid->SetCtl3D(c.Ctl3D);
        grid->SetOptions((grid->Options() & ~(goFixedVertLine | goFixedHorzLine)) | c.Lines);
        PressAt(grid, midX, midY);
        const QImage down = Shot();
        ReleaseAt(grid, midX, midY);
        const QImage up = Shot();
        auto sunken = [&](const QImage& shot) {
            return At(shot, cell.Left, midY) == ColorToRGB(cl3DDkShadow) &&
                   At(shot, midX, cell.Top) == ColorToRGB(cl3DDkShadow) &&
                   At(shot, cell.Right - 1, midY) == ColorToRGB(cl3DLight) &&
                   At(shot, midX, cell.Bottom - 1) == ColorToRGB(cl3DLight);
        };
        EXPECT_EQ(sunken(down), c.Pressed) << c.Buttons << c.Ctl3D << c.Lines;
        EXPECT_FALSE(sunken(up)) << "the release draws it as before";
    }
}

TEST_F(GridInput, AMoveOverAnotherCellCancelsTheShownHint) {
    grid->SetHint("a hint");
    grid->SetShowHint(true);
    QWidget* w = CoordinateWidget(grid);
    const TPoint p = Middle(2, 2);
    QHelpEvent help(QEvent::ToolTip, QPoint(p.X, p.Y), w->mapToGlobal(QPoint(p.X, p.Y)));
    QApplication::sendEvent(w, &help);
    ASSERT_TRUE(QToolTip::isVisible());
    // Told of the moves directly: the tip would also go by itself once the
    // mouse leaves the cell.
    auto move = [&](TPoint at) { grid->Perform(WM_MOUSEMOVE, 0, MakeLParam(at.X, at.Y)); };
    move(TPoint{p.X + 1, p.Y});
    ProcessEvents();
    EXPECT_TRUE(QToolTip::isVisible()) << "the same cell keeps it";
    move(Middle(3, 3));
    // The tip fades out on its own timer.
    for (int32_t i = 0; i < 200 && QToolTip::isVisible(); ++i) QTest::qWait(10);
    EXPECT_FALSE(QToolTip::isVisible());
}

TEST_F(GridInput, MovingAColumnOrRowPastTheEdgesScrollsALinePerMovement) {
    grid->SetEnhRowColMove(true);
    grid->SetOptions(grid->Options() | goColMoving | goRowMoving);
    grid->SetColCount(30);
    grid->SetRowCount(60);
    // Columns: the header of a column in view, then out over the fixed
    // column and beyond the right edge.
    grid->SetLeftCol(5);
    TPoint from = Middle(6, 0);
    PressAt(grid, from.X, from.Y);
    MoveTo(grid, from.X + 20, from.Y);
    MoveTo(grid, grid->ColWidths(0) - 5, from.Y);
    EXPECT_EQ(grid->LeftCol(), 4);
    MoveTo(grid, grid->ColWidths(0) - 4, from.Y);
    EXPECT_EQ(grid->LeftCol(), 3);
    MoveTo(grid, grid->Width() + 10, from.Y);
    EXPECT_EQ(grid->LeftCol(), 4);
    MoveTo(grid, grid->Width(), from.Y);
    EXPECT_EQ(grid->LeftCol(), 4) << "only beyond the width";
    grid->SetLeftCol(1);
    MoveTo(grid, 2, from.Y);
    EXPECT_EQ(grid->LeftCol(), 1) << "never into the fixed columns";
    ReleaseAt(grid, Middle(2, 0).X, from.Y);
    // Rows the same way, by the fixed rows' height and the grid's height.
    grid->SetTopRow(5);
    from = Middle(0, 6);
    PressAt(grid, from.X, from.Y);
    MoveTo(grid, from.X, from.Y + 20);
    MoveTo(grid, from.X, grid->RowHeights(0) - 5);
    EXPECT_EQ(grid->TopRow(), 4);
    MoveTo(grid, from.X, grid->Height() + 10);
    EXPECT_EQ(grid->TopRow(), 5);
    ReleaseAt(grid, from.X, Middle(0, 2).Y);
}

}  // namespace
