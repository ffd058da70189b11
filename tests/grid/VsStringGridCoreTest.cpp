// The string grid's core: construction defaults, the settings wired in,
// the dispatchers, cell operations, the current cell, headers, saved
// widths and the owner form's resize chain.
#include <gtest/gtest.h>

#include "grid/VsGrid.h"
#include "tests/platform/controls/ControlsTestSupport.h"

namespace {

class GridCore : public ScriptedTest {
protected:
    void SetUp() override {
        ScriptedTest::SetUp();
        form = NewForm(500, 400);
        grid = new TVsStringGrid(form.get());
        grid->SetParent(form.get());
        grid->SetBounds(0, 0, 400, 300);
    }
    std::unique_ptr<TForm> form;
    TVsStringGrid* grid = nullptr;
};

TEST_F(GridCore, ANewGridHasTheConstructionDefaults) {
    EXPECT_TRUE(grid->SortFull());
    EXPECT_TRUE(grid->SortAutoFormat());
    EXPECT_FALSE(grid->AutoSize());
    EXPECT_EQ(grid->HintColor(), clYellow);
    EXPECT_EQ(grid->SelectionColor(), clHighlight);
    EXPECT_EQ(grid->SelectionTextColor(), clHighlightText);
    EXPECT_TRUE(grid->ShowSelection());
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
    EXPECT_NE(grid->CellCombo(), nullptr);
    EXPECT_NE(grid->CellDatePicker(), nullptr);
    EXPECT_FALSE(grid->CellSpin()->Visible());
    EXPECT_FALSE(grid->CellSpin()->Enabled());
    EXPECT_EQ(grid->FixedColWidth(), 64);
    EXPECT_EQ(grid->FixedRowHeight(), 21);
    EXPECT_TRUE(grid->Navigation()->CopyHTMLTagsToClipboard());
    EXPECT_EQ(grid->HTMLSettings()->Width(), 100);
    EXPECT_EQ(grid->PrintSettings()->DateFormat(), "dd/mm/yyyy");
    EXPECT_EQ(grid->GetVersionText(), "1.89, July 2000");
    EXPECT_EQ(grid->GetVersionNumber(), (89 << 16) | 1);
}

}  // namespace
