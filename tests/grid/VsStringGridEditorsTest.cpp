// The string grid's in-cell editors: the editor each type gives, the text
// editor's filters, case rules, completion and paste, the editor controls
// with their ways out, and the move after Enter.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QWidget>

#include "platform/controls/Clipbrd.h"
#include "platform/controls/WinApi.h"
#include "platform/controls/qt/ControlsQt.h"
#include "tests/grid/VsStringGridTestSupport.h"

namespace {

class Editors : public StringGridTest {
protected:
    void SetUp() override {
        ScriptedTest::SetUp();
        MakeGrid(600, 400, Rect(10, 10, 510, 310));
        grid->SetColCount(5);
        grid->SetRowCount(6);
        grid->SetOptions(grid->Options() | goEditing);
        grid->OnGetEditorType = [this](TObject*, int32_t, int32_t, TEditorType& type) { type = editorType; };
        ShowActive(*form);
        grid->SetFocus();
        ProcessEvents();
    }
    bool HasFocus() { return grid->Focused(); }
    // Makes (col, row) current and opens its editor with F2.
    void Open(int32_t col, int32_t row, TEditorType type) {
        editorType = type;
        grid->SetCol(col);
        grid->SetRow(row);
        // As a click on the cell would: it is the one validated on leaving.
        grid->Click();
        PressKey(grid, VK_F2);
        ProcessEvents();
    }
    TVsInplaceEdit* Editor() const { return grid->GetInplaceEditor(); }
    bool TextEditorShows() const { return Editor() && Editor()->Visible(); }
    TEditorType editorType = edNormal;
};

#define REQUIRE_FOCUS() \
    if (!HasFocus()) GTEST_SKIP() << "the offscreen platform gave no window focus"

TEST_F(Editors, EachTypeGivesItsEditor) {
    REQUIRE_FOCUS();
    struct Case {
        TEditorType type;
        bool text;
        TWinControl* control;
    } cases[] = {
        {edNormal, true, nullptr},
        {edNoEditor, false, nullptr},
        {edInteger, true, nullptr},
        {edPassword, true, nullptr},
        {edSpin, false, grid->CellSpin()},
        {edSpinFloat, false, grid->CellSpin()},
        {edComboDropDown, false, grid->CellCombo()},
        {edComboDropDownList, false, grid->CellCombo()},
        {edEditBtn, false, grid->CellEditBtn()},
        {edEditBtnFloat, false, grid->CellEditBtn()},
        {edCheckBox, false, grid->CellCheckBox()},
        {edDatePicker, false, grid->CellDatePicker()},
        {edTimePicker, false, grid->CellDatePicker()},
        {edButton, false, grid->CellButton()},
        {edUnitEditBtn, false, grid->CellUnitEditBtn()},
    };
    grid->SetCells(2, 2, "7");
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.type));
        Open(2, 2, c.type);
        EXPECT_EQ(grid->ActiveEditorType(), c.type);
        EXPECT_EQ(TextEditorShows(), c.text);
        EXPECT_EQ(grid->EditorControlShowing(), c.control != nullptr);
        if (c.control) {
            EXPECT_TRUE(c.control->Visible());
            EXPECT_TRUE(c.control->Enabled());
            EXPECT_TRUE(c.control->Focused());
            const TRect cell = grid->CellRect(2, 2);
            EXPECT_EQ(c.control->Left(), c.type == edButton ? cell.Left - 1 : cell.Left);
            PressKey(c.control, VK_ESCAPE);
            ProcessEvents();
            EXPECT_FALSE(c.control->Visible());
            EXPECT_FALSE(grid->EditorControlShowing());
            EXPECT_TRUE(grid->Focused());
        } else if (c.text) {
            PressKey(Editor(), VK_RETURN);
        }
        EXPECT_EQ(grid->Cells(2, 2), "7") << "opening and leaving changed the cell";
    }
}

// A list-only combo shows the cell's item, else the default item; with no
// item to show, the cell keeps its text.
TEST_F(Editors, TheListOnlyComboShowsTheCellsItemOrTheDefault) {
    REQUIRE_FOCUS();
    struct Case {
        const char* cell;
        std::vector<std::string> items;
        int32_t defaultIndex;
        const char* written;
    } cases[] = {
        {"b", {"a", "b", "c"}, -1, "b"},
        {"z", {"a", "b", "c"}, -1, "a"},
        {"z", {"a", "b", "c"}, 2, "c"},
        {"z", {"a", "b", "c"}, 7, "z"},
        {"z", {}, -1, "z"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.cell) + " default " + std::to_string(c.defaultIndex));
        grid->CellCombo()->Items()->Clear();
        for (const std::string& item : c.items) grid->CellCombo()->Items()->Add(item);
        grid->SetComboDefaultIndex(c.defaultIndex);
        grid->SetCells(1, 1, c.cell);
        Open(1, 1, edComboDropDownList);
        ASSERT_TRUE(grid->CellCombo()->Visible());
        PressKey(grid->CellCombo(), VK_RETURN);
        ProcessEvents();
        EXPECT_FALSE(grid->CellCombo()->Visible());
        EXPECT_EQ(grid->Cells(1, 1), c.written);
    }
}

TEST_F(Editors, TheEllipsisButtonAsksTheHandlerOrLeavesTheText) {
    REQUIRE_FOCUS();
    grid->SetCells(1, 1, "before");
    Open(1, 1, edEditBtn);
    TGridEditBtn* edit = grid->CellEditBtn();
    ASSERT_TRUE(edit->Visible());
    EXPECT_EQ(edit->ButtonCaption(), "...");
    // Without a handler: the text stays and is selected.
    edit->Deselect();
    TypeText(edit, "!");
    edit->EllipsAction();
    EXPECT_EQ(edit->Text(), "before!");
    EXPECT_EQ(edit->SelLength(), 7);
    // With one: the handler sees what is typed and decides for both.
    std::string seen;
    grid->OnEllipsClick = [&](TObject*, int32_t col, int32_t row, std::string& s) {
        EXPECT_EQ(col, 1);
        EXPECT_EQ(row, 1);
        seen = s;
        s = "chosen";
    };
    edit->EllipsAction();
    EXPECT_EQ(seen, "before!");
    EXPECT_EQ(edit->Text(), "chosen");
    EXPECT_EQ(grid->Cells(1, 1), "chosen");
    PressKey(edit, VK_RETURN);
    EXPECT_EQ(grid->Cells(1, 1), "chosen");
}

// Typed characters by type: what goes in, and which refusals beep.
TEST_F(Editors, TheTextEditorFiltersTypedCharacters) {
    REQUIRE_FOCUS();
    struct Case {
        TEditorType type;
        const char* typed;
        const char* text;
        int32_t beeps;
    } cases[] = {
        {edFloat, "1.2,3", "1.23", 0},
        {edFloat, "-1-", "-1", 1},
        {edFloat, "1x", "1", 0},
        {edInteger, "-12-a", "-12", 2},
        {edDigits, "1-2", "12", 1},
        {edCapitals, "abC", "ABC", 0},
        {edUpperCase, "x1y", "X1Y", 0},
        {edLowerCase, "AbC", "abc", 0},
        {edNormal, "a-b", "a-b", 0},
        {edProperCase, "mcdonald", "McDonald", 0},
        {edProperCase, "henry ii", "Henry II", 0},
        {edProperCase, "henry iii", "Henry III", 0},
        {edProperCase, "john mcdonald", "John McDonald", 0},
        {edProperCase, "o'neil-SMITH", "O'Neil-Smith", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.typed) + " as type " + std::to_string(static_cast<int>(c.type)));
        grid->SetCells(1, 1, "");
        Open(1, 1, c.type);
        ASSERT_TRUE(TextEditorShows());
        ResetBeepCount();
        TypeText(Editor(), c.typed);
        EXPECT_EQ(Editor()->Text(), c.text);
        EXPECT_EQ(grid->Cells(1, 1), c.text);
        EXPECT_EQ(BeepCount(), c.beeps);
        PressKey(Editor(), VK_RETURN);
    }
}

TEST_F(Editors, PastedTextIsFilteredAsAWhole) {
    REQUIRE_FOCUS();
    struct Case {
        TEditorType type;
        const char* pasted;
        const char* text;
    } cases[] = {
        {edInteger, "12a", "5"},
        {edInteger, "12", "512"},
        {edDigits, "1.5", "5"},
        {edFloat, "1.5", "51.5"},
        {edFloat, "x", "5"},
        {edUpperCase, "ab", "5AB"},
        {edProperCase, " mcx", "5 McX"},
        {edNormal, "12a", "512a"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pasted);
        grid->SetCells(1, 1, "5");
        Open(1, 1, c.type);
        ASSERT_TRUE(TextEditorShows());
        Clipboard()->SetAsText(c.pasted);
        Editor()->Deselect();
        Editor()->PasteFromClipboard();
        EXPECT_EQ(Editor()->Text(), c.text);
        EXPECT_EQ(grid->Cells(1, 1), c.text);
        PressKey(Editor(), VK_RETURN);
    }
    // A refusing handler keeps the text.
    grid->SetCells(1, 1, "5");
    Open(1, 1, edNormal);
    grid->OnClipboardPaste = [](TObject*, bool& allow) { allow = false; };
    Editor()->Deselect();
    Editor()->PasteFromClipboard();
    EXPECT_EQ(Editor()->Text(), "5");
}

// Completion from the lookup list needs a typed prefix: a key that types
// nothing into an empty editor completes nothing.
TEST_F(Editors, CompletionTakesTheFirstItemThatBeginsWithTheTypedPrefix) {
    REQUIRE_FOCUS();
    TStringList items;
    items.Add("Apple");
    items.Add("Banana");
    items.Add("bandana");
    grid->SetLookupItems(&items);
    grid->SetLookup(true);
    Open(1, 1, edNormal);
    ASSERT_TRUE(TextEditorShows());
    PressKey(Editor(), VK_HOME);
    EXPECT_EQ(Editor()->Text(), "");
    TypeText(Editor(), "ba");
    EXPECT_EQ(Editor()->Text(), "banana");
    EXPECT_EQ(Editor()->SelStart(), 2);
    EXPECT_EQ(Editor()->SelLength(), 4);
    EXPECT_EQ(grid->Cells(1, 1), "banana");
    // Backspace takes the completion away without completing again.
    PressKey(Editor(), VK_BACK);
    EXPECT_EQ(Editor()->Text(), "ba");
    grid->SetLookupCaseSensitive(true);
    TypeText(Editor(), "n");
    EXPECT_EQ(Editor()->Text(), "bandana");
    PressKey(Editor(), VK_RETURN);
    // The list-only combo never completes; the editable one does.
    grid->CellCombo()->Items()->Assign(&items);
    grid->SetCells(2, 1, "");
    Open(2, 1, edComboDropDown);
    ASSERT_TRUE(grid->CellCombo()->Visible());
    PressKey(grid->CellCombo(), VK_INSERT);
    EXPECT_EQ(grid->CellCombo()->Text(), "");
    TypeText(grid->CellCombo(), "ap");
    EXPECT_EQ(grid->CellCombo()->Text(), "apple");
    PressKey(grid->CellCombo(), VK_RETURN);
    EXPECT_EQ(grid->Cells(2, 1), "apple");
    grid->SetCells(3, 1, "Banana");
    Open(3, 1, edComboDropDownList);
    ASSERT_TRUE(grid->CellCombo()->Visible());
    grid->CellCombo()->DoAutoComplete();
    EXPECT_EQ(grid->CellCombo()->Text(), "Banana");
    EXPECT_EQ(grid->CellCombo()->ItemIndex(), 1);
    PressKey(grid->CellCombo(), VK_ESCAPE);
}

TEST_F(Editors, TheComboTellsItsChoiceAndItsTypingAndAScrollClosesIt) {
    REQUIRE_FOCUS();
    std::vector<std::string> log;
    grid->OnComboChange = [&](TObject*, int32_t col, int32_t row, int32_t index, const std::string& text) {
        log.push_back(std::to_string(col) + "," + std::to_string(row) + " " + std::to_string(index) + " " + text);
    };
    grid->CellCombo()->Items()->Add("one");
    grid->CellCombo()->Items()->Add("two");
    Open(1, 1, edComboDropDown);
    TGridCombo* combo = grid->CellCombo();
    ASSERT_TRUE(combo->Visible());
    combo->SetItemIndex(1);
    combo->UserSelected(1);
    TypeText(combo, "x");
    EXPECT_EQ(log, (std::vector<std::string>{"1,1 1 two", "1,1 -1 " + combo->Text()}));
    // A change of the top row closes the control and keeps what it held.
    const std::string text = combo->Text();
    grid->SetRowCount(100);
    grid->SetTopRow(10);
    EXPECT_FALSE(combo->Visible());
    EXPECT_FALSE(grid->EditorControlShowing());
    EXPECT_EQ(grid->Cells(1, 1), text);
}

// With editing off and AutoGotoWhenSorted, typed characters find the row
// whose search column starts with them.
TEST_F(Editors, TypedCharactersSearchTheSortedColumnWhenEditingIsOff) {
    REQUIRE_FOCUS();
    grid->SetOptions(grid->Options() & ~goEditing);
    grid->Navigation()->SetAutoGotoWhenSorted(true);
    const char* names[] = {"apple", "banana", "berry", "cherry", "date"};
    for (int32_t r = 1; r <= 5; ++r) grid->SetCells(1, r, names[r - 1]);
    TypeText(grid, "c");
    EXPECT_EQ(grid->Row(), 4);
    EXPECT_EQ(grid->SearchText(), "C");
    TypeText(grid, "b");
    EXPECT_EQ(grid->Row(), 2) << "each character starts a new search";
    grid->Navigation()->SetAutoGotoIncremental(true);
    TypeText(grid, "e");
    EXPECT_EQ(grid->SearchText(), "BE");
    EXPECT_EQ(grid->Row(), 3);
    TypeText(grid, "x");
    EXPECT_EQ(grid->Row(), 3) << "no row found: the row stays";
    // The sorted column searches when the sort shows.
    grid->SetCells(2, 5, "zz");
    grid->SetSortShow(true);
    grid->SetSortColumn(2);
    grid->Navigation()->SetAutoGotoIncremental(false);
    TypeText(grid, "z");
    EXPECT_EQ(grid->Row(), 5);
}

TEST_F(Editors, TheUnitEditSplitsNumberAndUnitAndWritesThemBackTogether) {
    REQUIRE_FOCUS();
    TGridUnitEditBtn* edit = grid->CellUnitEditBtn();
    grid->SetCells(1, 1, "12.5kg");
    Open(1, 1, edUnitEditBtn);
    ASSERT_TRUE(edit->Visible());
    EXPECT_EQ(edit->Text(), "12.5");
    EXPECT_EQ(edit->UnitID(), "kg");
    PressKey(edit, VK_RETURN);
    EXPECT_EQ(grid->Cells(1, 1), "12.5kg");
    Open(1, 1, edUnitEditBtn);
    edit->SelectAll();
    TypeText(edit, "3");
    PressKey(edit, VK_ESCAPE);
    EXPECT_EQ(grid->Cells(1, 1), "12.5kg");
    // A refused value: the cell keeps its text and the edit shows it split
    // again, so that nothing of it is lost.
    grid->OnCellValidate = [](TObject*, int32_t, int32_t, std::string&, bool& valid) { valid = false; };
    Open(1, 1, edUnitEditBtn);
    edit->SelectAll();
    TypeText(edit, "7");
    PressKey(edit, VK_RETURN);
    EXPECT_TRUE(edit->Visible());
    EXPECT_EQ(grid->Cells(1, 1), "12.5kg");
    EXPECT_EQ(edit->Text(), "12.5");
    EXPECT_EQ(edit->UnitID(), "kg");
    grid->OnCellValidate = nullptr;
    PressKey(edit, VK_ESCAPE);
}

TEST_F(Editors, ARefusedComboValueKeepsTheComboOpenWithTheCellsText) {
    REQUIRE_FOCUS();
    grid->SetCells(1, 1, "old");
    grid->OnCellValidate = [](TObject*, int32_t, int32_t, std::string& value, bool& valid) {
        valid = value != "bad";
    };
    Open(1, 1, edComboDropDown);
    TGridCombo* combo = grid->CellCombo();
    ASSERT_TRUE(combo->Visible());
    combo->SelectAll();
    TypeText(combo, "bad");
    PressKey(combo, VK_RETURN);
    EXPECT_TRUE(combo->Visible());
    EXPECT_TRUE(grid->EditorControlShowing());
    EXPECT_EQ(combo->Text(), "old");
    EXPECT_EQ(grid->Cells(1, 1), "old");
    combo->SelectAll();
    TypeText(combo, "good");
    PressKey(combo, VK_RETURN);
    EXPECT_FALSE(combo->Visible());
    EXPECT_EQ(grid->Cells(1, 1), "good");
}

// A spin shows only after the cell's text converted: a cell that does not
// leaves the spin hidden, reports the error and gets nothing written into
// it from the cell edited before.
TEST_F(Editors, ASpinShowsOnlyAValueThatConverted) {
    REQUIRE_FOCUS();
    grid->SetCells(1, 1, "5");
    grid->SetCells(2, 1, "abc");
    Open(1, 1, edSpin);
    ASSERT_TRUE(grid->CellSpin()->Visible());
    EXPECT_EQ(grid->CellSpin()->Text(), "5");
    PressKey(grid->CellSpin(), VK_RETURN);
    EXPECT_EQ(grid->Cells(1, 1), "5");
    dialogs->AnswerMessageBox(IDOK);
    Open(2, 1, edSpin);
    EXPECT_EQ(dialogs->Messages(), std::vector<std::string>{"Cell does not contain integer value."});
    EXPECT_FALSE(grid->CellSpin()->Visible());
    EXPECT_FALSE(grid->EditorControlShowing());
    PressKey(grid, VK_DOWN);
    grid->HideCurrentEditor();
    EXPECT_EQ(grid->Cells(2, 1), "abc");
    // The cell's own value shows, also outside the spin's bounds.
    grid->SetCells(3, 1, "250");
    Open(3, 1, edSpin);
    EXPECT_EQ(grid->CellSpin()->Text(), "250");
    PressKey(grid->CellSpin(), VK_ESCAPE);
    EXPECT_EQ(grid->Cells(3, 1), "250");
}

TEST_F(Editors, TheTimeAndDateSpinsTakeTheirValueFromTheCell) {
    REQUIRE_FOCUS();
    const TDateTime time = EncodeTime(13, 45, 10, 0);
    grid->SetCells(1, 1, TimeToStr(time));
    Open(1, 1, edSpinTime);
    ASSERT_TRUE(grid->CellSpin()->Visible());
    EXPECT_EQ(grid->CellSpin()->SpinType(), sptTime);
    EXPECT_EQ(grid->CellSpin()->Text(), TimeToStr(time));
    PressKey(grid->CellSpin(), VK_ESCAPE);
    const TDateTime date = EncodeDate(2021, 3, 4);
    grid->SetCells(2, 1, DateToStr(date));
    Open(2, 1, edSpinDate);
    EXPECT_EQ(grid->CellSpin()->SpinType(), sptDate);
    EXPECT_EQ(grid->CellSpin()->Text(), DateToStr(date));
    PressKey(grid->CellSpin(), VK_ESCAPE);
    grid->SetCells(3, 1, "1.5");
    Open(3, 1, edSpinFloat);
    EXPECT_EQ(grid->CellSpin()->FloatValue(), 1.5);
    PressKey(grid->CellSpin(), VK_ESCAPE);
}

TEST_F(Editors, EnterInASpinWritesAndAdvancesAndTheStepsFireTheirEvents) {
    REQUIRE_FOCUS();
    grid->Navigation()->SetAdvanceOnEnter(true);
    std::vector<std::string> log;
    grid->OnSpinClick = [&](TObject*, int32_t col, int32_t row, int32_t value, bool up) {
        log.push_back(std::to_string(col) + "," + std::to_string(row) + "=" + std::to_string(value) + (up ? "+" : "-"));
    };
    grid->SetCells(1, 1, "5");
    Open(1, 1, edSpin);
    TGridSpin* spin = grid->CellSpin();
    spin->UpClick(spin);
    spin->DownClick(spin);
    spin->DownClick(spin);
    PressKey(spin, VK_NEXT);
    EXPECT_EQ(log, (std::vector<std::string>{"1,1=6+", "1,1=5-", "1,1=4-", "1,1=3-"}));
    PressKey(spin, VK_RETURN);
    ProcessEvents();
    EXPECT_EQ(grid->Cells(1, 1), "3");
    EXPECT_EQ(grid->Col(), 2);
    EXPECT_EQ(grid->Row(), 1);
    EXPECT_TRUE(spin->Visible()) << "the next cell's editor opened";
    PressKey(spin, VK_ESCAPE);
}

TEST_F(Editors, EscapeInTheGridRestoresTheTextTheCellHadWhenItWasSelected) {
    REQUIRE_FOCUS();
    grid->SetCells(1, 1, "start");
    Open(1, 1, edNormal);
    TypeText(Editor(), "xyz");
    EXPECT_EQ(grid->Cells(1, 1), "startxyz");
    PressKey(Editor(), VK_ESCAPE);
    EXPECT_EQ(grid->Cells(1, 1), "start");
    EXPECT_EQ(Editor()->Text(), "start");
}

// Past the last normal cell a row is added above the footers, once, and
// the first normal cell of it becomes current.
TEST_F(Editors, AdvanceInsertAddsOneRowAboveTheFooters) {
    grid->Navigation()->SetAdvanceOnEnter(true);
    grid->Navigation()->SetAdvanceInsert(true);
    grid->SetFixedFooters(1);
    grid->SetCells(1, 5, "footer");
    int32_t added = -1;
    grid->OnAutoAddRow = [&](TObject*, int32_t row) { added = row; };
    grid->SetCol(4);
    grid->SetRow(4);
    grid->AdvanceCell(4, 4, true, false, false);
    EXPECT_EQ(grid->RowCount(), 7);
    EXPECT_EQ(grid->Row(), 5);
    EXPECT_EQ(grid->Col(), 1);
    EXPECT_EQ(added, 5);
    EXPECT_EQ(grid->Cells(1, 6), "footer");
    EXPECT_EQ(grid->Cells(1, 5), "");
    // Refused by OnCanAddRow: no row, no move.
    grid->OnCanAddRow = [](TObject*, bool& can) { can = false; };
    grid->SetCol(4);
    grid->AdvanceCell(4, 5, true, false, false);
    EXPECT_EQ(grid->RowCount(), 7);
    EXPECT_EQ(grid->Row(), 5);
    EXPECT_EQ(grid->Col(), 4);
}

TEST_F(Editors, ARefusedRowAddStaysOnTheStartingCellAndShowsItsEditor) {
    REQUIRE_FOCUS();
    grid->Navigation()->SetAdvanceOnEnter(true);
    grid->Navigation()->SetAdvanceInsert(true);
    grid->OnCanAddRow = [](TObject*, bool& can) { can = false; };
    grid->SetCol(4);
    grid->SetRow(5);
    ASSERT_FALSE(TextEditorShows());
    grid->AdvanceCell(4, 5, true, true, false);
    ProcessEvents();
    EXPECT_EQ(grid->RowCount(), 6);
    EXPECT_EQ(grid->Row(), 5);
    EXPECT_EQ(grid->Col(), 4);
    EXPECT_TRUE(TextEditorShows());
}

TEST_F(Editors, TheDatePickerShowsTwoFramesInTheWindowColour) {
    REQUIRE_FOCUS();
    grid->SetCells(2, 2, "1/2/2024");
    Open(2, 2, edDatePicker);
    TGridDatePicker* picker = grid->CellDatePicker();
    ASSERT_TRUE(picker && picker->Visible());
    const QImage shot = NativeWidget(picker)->grab().toImage();
    const QRgb window = QtColor(clWindow).rgb();
    const int w = shot.width(), h = shot.height();
    ASSERT_GT(w, 4);
    ASSERT_GT(h, 4);
    for (int edge = 0; edge < 2; ++edge) {
        SCOPED_TRACE(edge);
        for (int x = edge; x < w - edge; ++x) {
            ASSERT_EQ(shot.pixel(x, edge), window) << x;
            ASSERT_EQ(shot.pixel(x, h - 1 - edge), window) << x;
        }
        for (int y = edge; y < h - edge; ++y) {
            ASSERT_EQ(shot.pixel(edge, y), window) << y;
            ASSERT_EQ(shot.pixel(w - 1 - edge, y), window) << y;
        }
    }
}

TEST_F(Editors, AdvanceCellWalksToTheNextEditableCellAndStopsWhenThereIsNone) {
    grid->Navigation()->SetAdvanceOnEnter(true);
    // Column 2 cannot be edited: it is skipped.
    grid->OnCanEditCell = [](TObject*, int32_t, int32_t col, bool& can) { can = col != 2; };
    grid->AdvanceCell(1, 1, true, false, false);
    EXPECT_EQ(grid->Col(), 3);
    // Backward from the first normal cell: no move.
    grid->AdvanceCell(1, 1, false, false, false);
    EXPECT_EQ(grid->Col(), 3);
    // Without AdvanceOnEnter only a forced move goes.
    grid->Navigation()->SetAdvanceOnEnter(false);
    grid->AdvanceCell(3, 1, true, false, false);
    EXPECT_EQ(grid->Col(), 3);
    grid->AdvanceCell(3, 1, true, false, true);
    EXPECT_EQ(grid->Col(), 4);
    // Top to bottom wraps into the next column.
    grid->Navigation()->SetAdvanceDirection(adTopBottom);
    grid->AdvanceCell(4, 5, true, false, true);
    EXPECT_EQ(grid->Col(), 1);
    EXPECT_EQ(grid->Row(), 1);
    // No editable cell at all: the current cell stays, and the walk ends.
    grid->OnCanEditCell = [](TObject*, int32_t, int32_t, bool& can) { can = false; };
    grid->AdvanceCell(1, 1, true, false, true);
    EXPECT_EQ(grid->Col(), 1);
    EXPECT_EQ(grid->Row(), 1);
}

TEST_F(Editors, CursorKeysWalkOutOfTheTextEditor) {
    REQUIRE_FOCUS();
    grid->Navigation()->SetCursorWalkEditor(true);
    grid->SetCells(2, 1, "ab");
    Open(2, 1, edNormal);
    ASSERT_TRUE(TextEditorShows());
    Editor()->SetSelStart(2);
    Editor()->SetSelLength(0);
    PressKey(Editor(), VK_RIGHT);
    EXPECT_EQ(grid->Col(), 3);
    EXPECT_TRUE(TextEditorShows());
    Editor()->SetSelStart(0);
    Editor()->SetSelLength(0);
    PressKey(Editor(), VK_LEFT);
    EXPECT_EQ(grid->Col(), 2);
    // Inside the text the keys move the caret.
    Editor()->SetSelStart(1);
    Editor()->SetSelLength(0);
    PressKey(Editor(), VK_LEFT);
    EXPECT_EQ(grid->Col(), 2);
}

TEST_F(Editors, TheCheckBoxAndTheButtonLeaveByTheirKeys) {
    REQUIRE_FOCUS();
    grid->SetCells(1, 1, "caption");
    Open(1, 1, edCheckBox);
    TGridCheckBox* box = grid->CellCheckBox();
    ASSERT_TRUE(box->Visible());
    EXPECT_EQ(box->Caption(), "caption");
    EXPECT_FALSE(box->Checked());
    PressKey(box, VK_DOWN);
    EXPECT_FALSE(box->Visible());
    EXPECT_EQ(grid->Row(), 2);
    EXPECT_EQ(grid->Cells(1, 1), "caption");
    int32_t clicks = 0;
    grid->OnEllipsClick = [&](TObject*, int32_t, int32_t, std::string& s) {
        ++clicks;
        s = "pressed";
    };
    grid->SetCells(1, 2, "push");
    Open(1, 2, edButton);
    TGridButton* button = grid->CellButton();
    ASSERT_TRUE(button->Visible());
    EXPECT_EQ(button->Caption(), "push");
    PressKey(button, VK_SPACE);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(button->Caption(), "pressed");
    EXPECT_EQ(grid->Cells(1, 2), "pressed");
    PressKey(button, VK_ESCAPE);
    EXPECT_FALSE(button->Visible());
    EXPECT_FALSE(grid->EditorControlShowing());
    EXPECT_EQ(grid->Cells(1, 2), "push") << "Escape gives the cell its text back";
}

// The label data editor's grid: 16 columns, list combos and edit-button
// columns chosen by OnGetEditorType (which fills the combo's items), data
// cells of columns 1, 2 and 4 coloured by OnGetCellColor.
TEST_F(Editors, TheLabelDataEditorsConfigurationWorks) {
    REQUIRE_FOCUS();
    grid->SetColCount(16);
    grid->SetRowCount(3);
    grid->SetColWidths(0, 10);
    grid->SetRowHeights(0, 18);
    for (int32_t c = 1; c < 16; ++c) grid->SetColWidths(c, 40);
    const std::vector<std::string> ratios{"2:1", "3:1"};
    const std::vector<std::string> types{"UPC_A", "EAN_13"};
    grid->OnGetEditorType = [&](TObject*, int32_t col, int32_t, TEditorType& type) {
        const bool combo = col == 1 || (col >= 4 && col <= 11) || col == 13 || col == 15;
        if (combo) {
            type = edComboDropDownList;
            grid->CellCombo()->Items()->Clear();
            for (const std::string& s : col == 1 ? types : ratios) grid->CellCombo()->Items()->Add(s);
        } else if (col == 2 || col == 3 || col == 12 || col == 14) {
            type = edEditBtn;
        }
    };
    grid->OnGetCellColor = [](TObject*, int32_t row, int32_t col, TGridDrawState, TBrush* brush, TFont*) {
        if (row > 0 && (col == 1 || col == 2 || col == 4)) brush->SetColor(clInfoBk);
    };
    grid->OnEllipsClick = [](TObject*, int32_t, int32_t, std::string& s) { s = "entered"; };
    for (int32_t col = 1; col < 16; ++col) {
        SCOPED_TRACE(col);
        grid->SetLeftCol(std::max(1, col - 3));
        editorType = edNormal;
        grid->SetCol(col);
        grid->SetRow(1);
        PressKey(grid, VK_F2);
        ProcessEvents();
        const bool combo = col == 1 || (col >= 4 && col <= 11) || col == 13 || col == 15;
        const bool button = col == 2 || col == 3 || col == 12 || col == 14;
        EXPECT_EQ(grid->CellCombo()->Visible(), combo);
        EXPECT_EQ(grid->CellEditBtn()->Visible(), button);
        EXPECT_EQ(TextEditorShows(), !combo && !button);
        if (combo) {
            EXPECT_EQ(grid->CellCombo()->Items()->Get(0), col == 1 ? "UPC_A" : "2:1");
            PressKey(grid->CellCombo(), VK_RETURN);
            EXPECT_EQ(grid->Cells(col, 1), col == 1 ? "UPC_A" : "2:1");
        } else if (button) {
            grid->CellEditBtn()->EllipsAction();
            PressKey(grid->CellEditBtn(), VK_RETURN);
            EXPECT_EQ(grid->Cells(col, 1), "entered");
        } else {
            PressKey(Editor(), VK_RETURN);
        }
        TBrush brush;
        brush.SetColor(clWindow);
        TFont font;
        grid->GetCellColor(col, 1, 0, &brush, &font);
        EXPECT_EQ(brush.Color(), col == 1 || col == 2 || col == 4 ? clInfoBk : clWindow);
        brush.SetColor(clWindow);
        grid->GetCellColor(col, 0, 0, &brush, &font);
        EXPECT_EQ(brush.Color(), clWindow) << "the header row keeps its colour";
    }
}

}  // namespace
