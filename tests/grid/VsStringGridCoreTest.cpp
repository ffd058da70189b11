// The string grid's core: construction defaults, the settings wired in,
// the dispatchers, cell operations, the current cell, headers, saved
// widths and the owner form's resize chain.
#include <gtest/gtest.h>

#include "platform/runtime/IniFiles.h"
#include "tests/grid/VsStringGridTestSupport.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Tools.h"

namespace {

class GridCore : public StringGridTest {
protected:
    void SetUp() override {
        ScriptedTest::SetUp();
        MakeGrid(500, 400, Rect(0, 0, 400, 300));
    }
};

TEST_F(GridCore, ANewGridHasTheConstructionDefaults) {
    EXPECT_TRUE(grid->SortFull());
    EXPECT_TRUE(grid->SortAutoFormat());
    EXPECT_FALSE(grid->AutoSize());
    EXPECT_EQ(grid->HintColor(), clYellow);
    EXPECT_EQ(grid->SelectionColor(), clHighlight);
    EXPECT_EQ(grid->SelectionTextColor(), clHighlightText);
    EXPECT_TRUE(grid->ShowSelection());
    EXPECT_FALSE(grid->HideFocusRect());
    EXPECT_FALSE(grid->FixedAsButtons());
    EXPECT_FALSE(grid->OleDropTarget());
    EXPECT_EQ(grid->URLColor(), clBlue);
    EXPECT_EQ(grid->VAlignment(), vtaTop);
    EXPECT_EQ(grid->FloatFormat(), "%.2f");
    EXPECT_EQ(grid->PasswordChar(), U'*');
    EXPECT_EQ(grid->CheckTrueText(), "Y");
    EXPECT_EQ(grid->CheckFalseText(), "N");
    EXPECT_EQ(grid->DefaultRowHeight(), 21);
    EXPECT_EQ(grid->ScrollType(), ssNormal);
    EXPECT_EQ(grid->ScrollColor(), clNone);
    EXPECT_EQ(grid->ScrollWidth(), GetSystemMetrics(SM_CXVSCROLL));
    EXPECT_EQ(grid->ComboDefaultIndex(), -1);
    EXPECT_EQ(grid->ActiveEditorType(), edNormal);
    EXPECT_FALSE(grid->EditorControlShowing());
    EXPECT_TRUE(grid->ImportFixedCells());
    EXPECT_EQ(grid->CsvSeparator(), '\0');
    EXPECT_EQ(grid->FixedColWidth(), 64);
    EXPECT_EQ(grid->FixedRowHeight(), 21);
    EXPECT_TRUE(grid->Navigation()->CopyHTMLTagsToClipboard());
    EXPECT_EQ(grid->HTMLSettings()->Width(), 100);
    EXPECT_EQ(grid->PrintSettings()->DateFormat(), "dd/mm/yyyy");
    EXPECT_EQ(grid->PrintSettings()->PageNumSep(), "/");
    EXPECT_EQ(grid->Bands()->PrimaryColor(), clInfoBk);
    EXPECT_EQ(grid->Bands()->BandLength(), 2);
    EXPECT_EQ(grid->GetVersionText(), "1.89, July 2000");
    EXPECT_EQ(grid->GetVersionNumber(), (89 << 16) | 1);
    EXPECT_EQ(grid->WheelMessage(), WM_MOUSEWHEEL);
    EXPECT_EQ(grid->WheelScrollLines(), QApplication::wheelScrollLines());
    // The editor controls exist, hidden and disabled; the date picker too,
    // since the common controls are 4.72.
    EXPECT_EQ(TVsStringGrid::GetDllVersion("COMCTL32.DLL"), (4 << 16) | 72);
    EXPECT_EQ(TVsStringGrid::GetDllVersion("other.dll"), -1);
    for (TWinControl* c : std::vector<TWinControl*>{grid->CellCombo(), grid->CellSpin(), grid->CellDatePicker(),
                                                    grid->CellCheckBox(), grid->CellEditBtn(),
                                                    grid->CellUnitEditBtn(), grid->CellButton(), grid->MoveIndicator()}) {
        ASSERT_NE(c, nullptr);
        EXPECT_FALSE(c->Visible());
        EXPECT_FALSE(c->Enabled());
        EXPECT_EQ(c->Parent(), grid);
    }
    EXPECT_EQ(grid->CellSpin()->MaxValue(), 100);
    EXPECT_EQ(grid->CellEditBtn()->ButtonCaption(), "...");
    EXPECT_EQ(grid->CellUnitEditBtn()->ButtonCaption(), "...");
    EXPECT_EQ(grid->RealColIndex(300), 300);
    EXPECT_EQ(grid->RealColIndex(5), 5);
    EXPECT_EQ(grid->DisplayColIndex(5), 5);
    EXPECT_TRUE(grid->ColumnVisible(256));
}

TEST_F(GridCore, TheWindowStartsTheHalfSecondTimer) {
    EXPECT_FALSE(grid->TimerRunning(VsGridConst::HoverTimer));
    ShowActive(*form);
    EXPECT_TRUE(grid->TimerRunning(VsGridConst::HoverTimer));
    EXPECT_EQ(clock->Intervals(), std::vector<uint32_t>{500});
}

TEST_F(GridCore, CellNumbersConvertOrRaise) {
    struct Case {
        const char* text;
        bool integer;
        int32_t i;
        bool isFloat;
        double f;
    } cases[] = {
        {"", true, 0, true, 0}, {"12", true, 12, true, 12}, {"-3", true, -3, true, -3},
        {"12a", false, 0, false, 0}, {"abc", false, 0, false, 0}, {"1.5", false, 0, true, 1.5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        grid->SetCells(1, 1, c.text);
        if (c.integer) {
            EXPECT_EQ(grid->GetCellInteger(1, 1), c.i);
        } else {
            try {
                grid->GetCellInteger(1, 1);
                ADD_FAILURE() << "no error";
            } catch (const EVsGridError& e) {
                EXPECT_EQ(e.Message(), "Cell does not contain integer value");
            }
        }
        if (c.isFloat) {
            EXPECT_DOUBLE_EQ(grid->GetCellFloat(1, 1), c.f);
        } else {
            try {
                grid->GetCellFloat(1, 1);
                ADD_FAILURE() << "no error";
            } catch (const EVsGridError& e) {
                EXPECT_EQ(e.Message(), "Cell does not contain integer value");
            }
        }
        EXPECT_EQ(grid->Cells(1, 1), c.text) << "the cell is unchanged";
    }
    grid->SetCellInteger(2, 2, -45);
    EXPECT_EQ(grid->Cells(2, 2), "-45");
    EXPECT_THROW(grid->GetCellDate(2, 2), EConvertError);
}

// Under a locale whose decimal separator is ",", the normalised text with
// "." as its point converts.
TEST_F(GridCore, CellFloatsReadUnderACommaLocale) {
    TFormatSettings& f = FormatSettings();
    const TFormatSettings saved = f;
    f.DecimalSeparator = ',';
    f.ThousandSeparator = '.';
    grid->SetCells(1, 1, "1,5");
    grid->SetCells(1, 2, "1.234,25");
    EXPECT_DOUBLE_EQ(grid->GetCellFloat(1, 1), 1.5);
    EXPECT_DOUBLE_EQ(grid->GetCellFloat(1, 2), 1234.25);
    f = saved;
}

TEST_F(GridCore, TheDispatchersHandTheEventsRowThenColumn) {
    std::vector<std::string> log;
    auto cell = [&](const char* name, int32_t row, int32_t col) {
        log.push_back(std::string(name) + " r" + std::to_string(row) + "c" + std::to_string(col));
    };
    grid->OnGetCellBorder = [&](TObject*, int32_t r, int32_t c, TPen*, TCellBorders& b) {
        cell("border", r, c);
        b = cbTop | cbBottom;
    };
    grid->OnGetCellPrintBorder = [&](TObject*, int32_t r, int32_t c, TPen*, TCellBorders&) { cell("printborder", r, c); };
    grid->OnGetAlignment = [&](TObject*, int32_t r, int32_t c, TAlignment& a) {
        cell("align", r, c);
        a = taCenter;
    };
    grid->OnGetFormat = [&](TObject*, int32_t c, TSortStyle& s, std::string& p, std::string&) {
        log.push_back("format c" + std::to_string(c));
        s = styleNumber;
        p = "$";
    };
    grid->OnGetEditorType = [&](TObject*, int32_t c, int32_t r, TEditorType& t) {
        cell("editor", r, c);
        t = edSpin;
    };
    grid->OnIsFixedCell = [&](TObject*, int32_t r, int32_t c, bool&) { cell("fixed", r, c); };
    grid->OnCanEditCell = [&](TObject*, int32_t r, int32_t c, bool&) { cell("canedit", r, c); };
    grid->OnIsPasswordCell = [&](TObject*, int32_t r, int32_t c, bool& p) {
        cell("password", r, c);
        p = true;
    };
    grid->OnGetCellColor = [&](TObject*, int32_t r, int32_t c, TGridDrawState, TBrush*, TFont*) { cell("color", r, c); };
    grid->OnGetCellPrintColor = [&](TObject*, int32_t r, int32_t c, TGridDrawState, TBrush*, TFont*) {
        cell("printcolor", r, c);
    };
    TPen pen;
    TBrush brush;
    TFont font;
    TCellBorders borders = 0;
    grid->GetCellBorder(2, 5, &pen, borders);
    EXPECT_EQ(borders, cbTop | cbBottom);
    grid->GetCellPrintBorder(2, 5, &pen, borders);
    TAlignment a = taLeftJustify;
    grid->GetAlignment(2, 5, a);
    EXPECT_EQ(a, taCenter);
    TSortStyle style = styleAuto;
    std::string prefix, suffix;
    grid->GetFormat(2, style, prefix, suffix);
    EXPECT_EQ(style, styleNumber);
    EXPECT_EQ(prefix, "$");
    TEditorType type = edNormal;
    grid->GetEditorType(2, 5, type);
    EXPECT_EQ(type, edSpin);
    bool b = false;
    grid->IsFixedCell(2, 5, b);
    grid->CanEditCell(2, 5, b);
    grid->IsPasswordCell(2, 5, b);
    EXPECT_TRUE(b);
    grid->GetCellColor(2, 5, 0, &brush, &font);
    grid->GetCellPrintColor(2, 5, 0, &brush, &font);
    EXPECT_EQ(log, (std::vector<std::string>{"border r5c2", "printborder r5c2", "align r5c2", "format c2", "editor r5c2",
                                             "fixed r5c2", "canedit r5c2", "password r5c2", "color r5c2",
                                             "printcolor r5c2"}));
}

// Bands colour the normal cells only: with lengths 2 and 1 and one fixed
// row, rows 1 and 2 primary, 3 secondary, 4 primary; a band length below 1
// gives no band colour.
TEST_F(GridCore, BandsColourTheNormalCells) {
    grid->SetRowCount(7);
    grid->SetColCount(5);
    grid->SetFixedFooters(1);
    grid->SetFixedRightCols(1);
    grid->Bands()->SetActive(true);
    grid->Bands()->SetPrimaryColor(clRed);
    grid->Bands()->SetSecondaryColor(clGreen);
    grid->Bands()->SetPrimaryLength(2);
    grid->Bands()->SetSecondaryLength(1);
    auto colour = [&](int32_t col, int32_t row) {
        TBrush brush;
        brush.SetColor(clWindow);
        TFont font;
        grid->GetCellColor(col, row, 0, &brush, &font);
        return brush.Color();
    };
    EXPECT_EQ(colour(1, 1), clRed);
    EXPECT_EQ(colour(2, 2), clRed);
    EXPECT_EQ(colour(1, 3), clGreen);
    EXPECT_EQ(colour(1, 4), clRed);
    EXPECT_EQ(colour(1, 6), clWindow) << "footer row";
    EXPECT_EQ(colour(4, 2), clWindow) << "fixed right column";
    EXPECT_EQ(colour(0, 2), clWindow) << "fixed column";
    EXPECT_EQ(colour(1, 0), clWindow) << "fixed row";
    // The print colour takes the bands only with Print.
    TBrush brush;
    brush.SetColor(clWindow);
    TFont font;
    grid->GetCellPrintColor(1, 1, 0, &brush, &font);
    EXPECT_EQ(brush.Color(), clWindow);
    grid->Bands()->SetPrint(true);
    grid->GetCellPrintColor(1, 1, 0, &brush, &font);
    EXPECT_EQ(brush.Color(), clRed);
    grid->Bands()->SetPrimaryLength(-1);
    grid->Bands()->SetSecondaryLength(1);
    EXPECT_EQ(colour(1, 1), clWindow);
}

TEST_F(GridCore, ColumnAndRowHeadersFillTheFixedCells) {
    grid->SetColCount(3);
    TStringList headers;
    headers.SetText("a\nb\\nc\nd\ne");
    grid->SetColumnHeaders(&headers);
    EXPECT_EQ(grid->Cells(0, 0), "a");
    EXPECT_EQ(grid->Cells(1, 0), "b\rc");
    EXPECT_EQ(grid->Cells(2, 0), "d");
    EXPECT_EQ(grid->Cells(3, 0), "") << "only ColCount entries";
    // The list's change applies them again.
    grid->ColumnHeaders()->Put(0, "z");
    EXPECT_EQ(grid->Cells(0, 0), "z");
    TStringList rows;
    rows.SetText("r0\nr1\nr2");
    grid->SetRowHeaders(&rows);
    EXPECT_EQ(grid->Cells(0, 1), "r1");
    // Without fixed rows nothing is written.
    grid->SetFixedRows(0);
    grid->SetCells(0, 0, "data");
    grid->ColumnHeaders()->Put(1, "x");
    EXPECT_EQ(grid->Cells(1, 0), "b\rc");
    grid->SetCells(1, 0, "data");
    grid->Loaded();
    EXPECT_EQ(grid->Cells(1, 0), "data");
    EXPECT_EQ(grid->Cells(0, 0), "r0") << "the row headers are applied";
}

TEST_F(GridCore, SelectCellAsksTheEventsAndSwitchesEditingPerCell) {
    grid->SetColCount(4);
    grid->SetRowCount(6);
    grid->SetFixedFooters(1);
    grid->SetOptions(grid->Options() | goEditing);
    std::vector<std::string> log;
    bool allow = true;
    grid->OnRowChanging = [&](TObject*, int32_t from, int32_t to, bool& a) {
        log.push_back("row " + std::to_string(from) + ">" + std::to_string(to));
        a = a && allow;
    };
    grid->OnColChanging = [&](TObject*, int32_t from, int32_t to, bool&) {
        log.push_back("col " + std::to_string(from) + ">" + std::to_string(to));
    };
    grid->OnCellChanging = [&](TObject*, int32_t r0, int32_t c0, int32_t r1, int32_t c1, bool&) {
        log.push_back("cell " + std::to_string(r0) + "," + std::to_string(c0) + ">" + std::to_string(r1) + "," +
                      std::to_string(c1));
    };
    grid->SetCells(2, 3, "there");
    ShowActive(*form);
    const TRect target = grid->CellRect(2, 3);
    ClickAt(grid, target.Left + 5, target.Top + 5);
    EXPECT_EQ(log, (std::vector<std::string>{"row 1>3", "col 1>2", "cell 1,1>3,2"}));
    EXPECT_EQ(grid->EditStartText(), "there");
    allow = false;
    grid->SetRow(4);
    EXPECT_EQ(grid->Row(), 3) << "refused";
    allow = true;
    // The footer row (the last row) never becomes current.
    grid->SetRow(5);
    EXPECT_EQ(grid->Row(), 3);
    // OnCanEditCell switches goEditing per cell; once off, CanEdit starts
    // False, so only a handler answering True puts it back.
    grid->OnCanEditCell = [](TObject*, int32_t row, int32_t, bool& can) {
        if (row == 1) can = false;
        if (row == 4) can = true;
    };
    grid->SetRow(1);
    EXPECT_FALSE(grid->Options() & goEditing);
    grid->SetRow(2);
    EXPECT_FALSE(grid->Options() & goEditing);
    grid->SetRow(4);
    EXPECT_TRUE(grid->Options() & goEditing);
}

// Footer rows stay out of reach while the filter hides rows: the test is
// on the rows in the grid.
TEST_F(GridCore, FooterRowsNeverBecomeCurrentWhileTheFilterHidesRows) {
    grid->SetRowCount(8);
    grid->SetFixedFooters(1);
    for (int32_t r = 1; r < 7; ++r) grid->SetCells(1, r, r % 2 ? "keep" : "drop");
    grid->SetCells(1, 7, "footer");
    grid->Filter()->Add(1, "keep;footer");
    grid->SetFilterActive(true);
    ASSERT_EQ(grid->RowCount(), 5);
    ASSERT_EQ(grid->Cells(1, 4), "footer");
    grid->SetRow(3);
    EXPECT_EQ(grid->Row(), 3);
    grid->SetRow(4);
    EXPECT_EQ(grid->Row(), 3);
}

TEST_F(GridCore, ScrollCellInViewBringsACellIntoViewAndIgnoresOthers) {
    ShowActive(*form);
    grid->SetRowCount(200);
    grid->SetColCount(30);
    grid->ScrollCellInView(20, 150);
    EXPECT_EQ(grid->Row(), 150);
    EXPECT_EQ(grid->Col(), 20);
    EXPECT_LE(grid->TopRow(), 150);
    EXPECT_GE(grid->TopRow() + grid->VisibleRowCount(), 150);
    for (auto [c, r] : std::vector<std::pair<int32_t, int32_t>>{{-1, 5}, {5, -1}, {-7, -7}, {30, 5}, {5, 200}}) {
        SCOPED_TRACE(testing::Message() << c << "," << r);
        grid->ScrollCellInView(c, r);
        EXPECT_EQ(grid->Row(), 150);
        EXPECT_EQ(grid->Col(), 20);
    }
}

TEST_F(GridCore, RestoreEditTextGivesTheCellItsTextFromSelection) {
    grid->SetCells(2, 2, "first");
    grid->SetCol(2);
    grid->SetRow(2);
    grid->SetCells(2, 2, "changed");
    grid->RestoreEditText();
    EXPECT_EQ(grid->Cells(2, 2), "first");
}

TEST_F(GridCore, StretchingTheLastColumnFillsTheClientWidthOnly) {
    ShowActive(*form);
    grid->SetColCount(3);
    grid->ColumnSize()->SetStretch(true);
    const int32_t used = grid->ColWidths(0) + grid->ColWidths(1) + 2 * grid->GridLineWidth();
    EXPECT_EQ(grid->ColWidths(2), grid->ClientWidth() - used - 1);
    // Columns wider than the client area: the last keeps its width.
    grid->SetColWidths(0, 300);
    grid->SetColWidths(1, 300);
    grid->SetColWidths(2, 33);
    EXPECT_EQ(grid->ColWidths(2), 33);
    // A single column takes the whole width.
    grid->SetColCount(1);
    EXPECT_EQ(grid->ColWidths(0), grid->ClientWidth());
}

// The owner form's resize handler runs after the grid's own, and comes
// back when the grid goes.
TEST_F(GridCore, TheOwnerFormsResizeHandlerIsChainedAndGivenBack) {
    auto owner = NewForm(300, 200);
    int32_t resizes = 0;
    bool raise = false;
    owner->OnResize = [&](TObject*) {
        ++resizes;
        if (raise) throw EConvertError("resize failed");
    };
    auto* g = new TVsStringGrid(owner.get());
    g->SetParent(owner.get());
    g->SetBounds(0, 0, 200, 100);
    g->SetSizeWithForm(true);
    ShowActive(*owner);
    const int32_t before = resizes;
    owner->SetBounds(owner->Left(), owner->Top(), 350, 260);
    ProcessEvents();
    EXPECT_GT(resizes, before);
    EXPECT_EQ(g->Width(), 250);
    EXPECT_EQ(g->Height(), 160);
    // A handler that raises is passed over.
    raise = true;
    EXPECT_NO_THROW(owner->OnResize(owner.get()));
    raise = false;
    delete g;
    ASSERT_TRUE(owner->OnResize);
    const int32_t now = resizes;
    owner->OnResize(owner.get());
    EXPECT_EQ(resizes, now + 1);
}

TEST_F(GridCore, AGridPutBehindAnotherHandlerOnlyPassesTheCallOnOnceGone) {
    auto owner = NewForm(300, 200);
    int32_t calls = 0;
    owner->OnResize = [&](TObject*) { ++calls; };
    auto* first = new TVsStringGrid(owner.get());
    auto* second = new TVsStringGrid(owner.get());
    delete first;
    owner->OnResize(owner.get());
    EXPECT_EQ(calls, 1);
    delete second;
    owner->OnResize(owner.get());
    EXPECT_EQ(calls, 2);
}

// The widths go to "col<i>" keys of the section and come back when the
// window is made; an independent INI reader reads the same numbers.
TEST_F(GridCore, SavedColumnWidthsRoundTripThroughAnIniFile) {
    SKIP_WITHOUT_TOOL("python3");
    TTempHome home;
    TTempFolder folder;
    struct Case {
        TColumnSizeLocation location;
        std::string key;
        std::string file;
    } cases[] = {
        {clInifile, folder.File("widths.ini"), folder.File("widths.ini")},
        {clInifile, "bare.ini", home.SettingsFolder() + "bare.ini"},
        {clRegistry, "Software\\Varsona\\Grid", home.SettingsFolder() + "Software_Varsona_Grid.ini"},
    };
    ForceDirectories(home.SettingsFolder());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        {
            auto owner = NewForm(400, 300);
            auto* g = new TVsStringGrid(owner.get());
            g->SetParent(owner.get());
            g->SetColCount(4);
            g->ColumnSize()->SetLocation(c.location);
            g->ColumnSize()->SetKey(c.key);
            g->ColumnSize()->SetSection("Data Grid");
            g->ColumnSize()->SetSave(true);
            EXPECT_EQ(g->ColumnWidthsFile(), c.file);
            const int32_t widths[] = {10, 77, 120, 33};
            for (int32_t i = 0; i < 4; ++i) g->SetColWidths(i, widths[i]);
        }
        const std::string script =
            "import configparser,sys\n"
            "p=configparser.ConfigParser()\n"
            "p.read(sys.argv[1])\n"
            "print(' '.join(k+'='+v for k,v in p['Data Grid'].items()))\n";
        WriteFile(folder.File("read.py"), script);
        EXPECT_EQ(RunCommand("python3 " + Quoted(folder.File("read.py")) + " " + Quoted(c.file)),
                  "col0=10 col1=77 col2=120 col3=33\n");
        // A new grid takes them when its window is made.
        auto owner = NewForm(400, 300);
        auto* g = new TVsStringGrid(owner.get());
        g->SetParent(owner.get());
        g->SetColCount(5);
        g->ColumnSize()->SetLocation(c.location);
        g->ColumnSize()->SetKey(c.key);
        g->ColumnSize()->SetSection("Data Grid");
        g->ColumnSize()->SetSave(true);
        EXPECT_EQ(g->ColWidths(1), 64);
        ShowActive(*owner);
        EXPECT_EQ(g->ColWidths(1), 77);
        EXPECT_EQ(g->ColWidths(2), 120);
        EXPECT_EQ(g->ColWidths(4), 64) << "no key: the width stays";
        g->ColumnSize()->SetSave(false);
    }
}

// The widths are saved as the grid goes: a file that cannot be written is
// reported in the error box, and the grid still goes.
TEST_F(GridCore, AFailedSaveOfTheWidthsIsReportedAsTheGridGoes) {
    TTempHome home;
    auto owner = NewForm(400, 300);
    auto* g = new TVsStringGrid(owner.get());
    g->ColumnSize()->SetKey("Software\\Varsona\\Grid");
    g->ColumnSize()->SetSection("Widths");
    g->ColumnSize()->SetSave(true);
    const std::string file = g->ColumnWidthsFile();
    dialogs->AnswerMessageBox(IDOK);
    delete g;
    ASSERT_EQ(dialogs->Messages().size(), 1u);
    EXPECT_NE(dialogs->Messages()[0].find(file), std::string::npos) << dialogs->Messages()[0];
    EXPECT_FALSE(FileExists(file)) << "the settings folder is never made";
}

}  // namespace
