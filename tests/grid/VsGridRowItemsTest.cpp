// The grid's row pieces without a window: the hidden-row map between real
// and display indexes, the hidden row items and the filter conditions.
#include <gtest/gtest.h>

#include "grid/VsGridRowItems.h"

namespace {

// A row unit holding one text in column 1.
TGridRowPtr RowOf(const std::string& Text) {
    auto row = std::make_unique<TGridRow>();
    row->SetText(1, Text);
    return row;
}

// The map with the real rows of Hidden hidden, added in runs as the grid
// adds them.
THiddenRows MapOf(const std::vector<std::vector<int32_t>>& Runs) {
    THiddenRows map;
    for (const auto& run : Runs) {
        std::vector<TGridItem> items;
        for (int32_t r : run) items.emplace_back(r, RowOf("r" + std::to_string(r)), 21);
        map.Insert(std::move(items));
    }
    return map;
}

TEST(HiddenRowMap, IndexesConvertBothWays) {
    // Hidden 2, 3 and 7 of rows 0..9; added out of order.
    const THiddenRows map = MapOf({{7}, {2, 3}});
    ASSERT_EQ(map.Count(), 3);
    EXPECT_EQ(map.Items(0).Idx(), 2);
    EXPECT_EQ(map.Items(2).Idx(), 7);
    struct Row {
        int32_t Real;
        bool Hidden;
        int32_t Display;
    };
    for (const Row& row : {Row{0, false, 0}, Row{1, false, 1}, Row{2, true, 2}, Row{3, true, 2}, Row{4, false, 2},
                           Row{6, false, 4}, Row{7, true, 5}, Row{8, false, 5}, Row{9, false, 6}}) {
        SCOPED_TRACE(row.Real);
        EXPECT_EQ(map.Contains(row.Real), row.Hidden);
        EXPECT_EQ(map.DisplayIndex(row.Real), row.Display);
        if (!row.Hidden) {
            EXPECT_EQ(map.RealIndex(row.Display), row.Real);
        }
    }
    EXPECT_FALSE(THiddenRows().Contains(0));
    EXPECT_EQ(THiddenRows().RealIndex(5), 5);
}

TEST(HiddenRowMap, VisibleRangesSkipTheHiddenRowsAndStopAtTheLastRow) {
    const THiddenRows map = MapOf({{2, 3}, {7}});
    std::vector<int32_t> display, real;
    map.VisibleRange(10, 1, 8, display, real);
    EXPECT_EQ(real, (std::vector<int32_t>{1, 4, 5, 6, 8}));
    EXPECT_EQ(display, (std::vector<int32_t>{1, 2, 3, 4, 5}));
    display.clear();
    real.clear();
    map.VisibleRange(10, -3, 100, display, real);
    EXPECT_EQ(real, (std::vector<int32_t>{0, 1, 4, 5, 6, 8, 9}));
}

TEST(HiddenRowMap, TakingOutKeepsTheRestInOrder) {
    THiddenRows map = MapOf({{1, 2}, {5, 6}, {9}});
    std::vector<TGridItem> taken = map.Take(2, 5);
    ASSERT_EQ(taken.size(), 2u);
    EXPECT_EQ(taken[0].Idx(), 2);
    EXPECT_EQ(taken[0].Text(1), "r2");
    EXPECT_EQ(taken[1].Idx(), 5);
    ASSERT_EQ(map.Count(), 3);
    EXPECT_EQ(map.Items(0).Idx(), 1);
    EXPECT_EQ(map.Items(1).Idx(), 6);
    EXPECT_EQ(map.TakeAll().size(), 3u);
    EXPECT_EQ(map.Count(), 0);
}

TEST(HiddenRowItems, CellsAsTexts) {
    TGridItem item(4, nullptr, 30);
    EXPECT_EQ(item.Text(0), "");
    TStringList texts;
    texts.Add("a");
    texts.Add("");
    texts.Add("c");
    item.SetItems(&texts);
    EXPECT_EQ(item.Text(2), "c");
    TStringList back;
    item.GetItems(back);
    EXPECT_EQ(back.Count(), 3);
    EXPECT_EQ(back.Get(0), "a");
    TStringList empty;
    item.SetItems(&empty);
    EXPECT_EQ(item.Row(), nullptr) << "a row of nothing is no unit";
    EXPECT_EQ(item.Height(), 30);
}

TEST(FilterConditions, AddDeleteAndAssign) {
    TFilter filter(nullptr);
    filter.Add(1, "A*");
    filter.Add(2, ">10");
    ASSERT_EQ(filter.Count(), 2);
    EXPECT_EQ(filter[1]->Condition(), ">10");
    EXPECT_THROW(filter.Items(2), EListError);
    TFilter copy(nullptr);
    copy.Assign(&filter);
    filter.Delete(0);
    EXPECT_EQ(filter.Count(), 1);
    ASSERT_EQ(copy.Count(), 2);
    EXPECT_EQ(copy[0]->Column(), 1);
    EXPECT_EQ(copy[0]->Condition(), "A*");
    copy.Clear();
    EXPECT_EQ(copy.Count(), 0);
}

}  // namespace
