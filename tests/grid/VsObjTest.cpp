// The integer list and the sort-column list.
#include "grid/VsObj.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct ChangeLog {
    std::vector<std::tuple<TObject*, int32_t, int32_t>> calls;
    TIntListChangeEvent Handler() {
        return [this](TObject* sender, int32_t col, int32_t row) { calls.emplace_back(sender, col, row); };
    }
};

}  // namespace

TEST(TIntList, AddAndWriteFireTheChangeWithColumnAndRow) {
    TIntList list(4, 7);
    ChangeLog log;
    list.OnChange = log.Handler();
    list.Add(10);
    list.Add(-3);
    list.SetItems(0, 42);
    ASSERT_EQ(log.calls.size(), 3u);
    for (const auto& call : log.calls) EXPECT_EQ(call, std::make_tuple(static_cast<TObject*>(&list), 4, 7));
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Items(0), 42);
    EXPECT_EQ(list[1], -3);
}

TEST(TIntList, WorksWithoutHandlerAndKeepsAll32Bits) {
    TIntList list(0, 0);
    list.Add(INT32_MIN);
    list.Add(INT32_MAX);
    list.Add(-1);
    EXPECT_EQ(list.Items(0), INT32_MIN);
    EXPECT_EQ(list.Items(1), INT32_MAX);
    EXPECT_EQ(list.Items(2), -1);
    EXPECT_THROW(list.Items(3), EListError);
    EXPECT_THROW(list.SetItems(-1, 0), EListError);
}

TEST(TSortIndexList, EntriesFindAndToggle) {
    TSortIndexList list;
    EXPECT_EQ(list.Column(), 0);
    EXPECT_EQ(list.Row(), 0);
    list.AddIndex(3, true);
    list.AddIndex(5, false);
    EXPECT_EQ(static_cast<uint32_t>(list.Items(0)), 3u);
    EXPECT_EQ(static_cast<uint32_t>(list.Items(1)), 5u + 0x80000000u);
    EXPECT_EQ(list.FindIndex(5), 1);
    EXPECT_EQ(list.FindIndex(3), 0);
    EXPECT_EQ(list.FindIndex(7), -1);

    ChangeLog log;
    list.OnChange = log.Handler();
    list.ToggleIndex(3);
    EXPECT_EQ(log.calls.size(), 1u) << "the toggle goes through the indexed write";
    EXPECT_TRUE(TSortIndexList::IsDescending(list.Items(0)));
    EXPECT_TRUE(TSortIndexList::IsDescending(list.Items(1)));
    EXPECT_EQ(TSortIndexList::ColumnOf(list.Items(0)), 3);

    list.ToggleIndex(9);
    EXPECT_EQ(log.calls.size(), 1u) << "an absent column changes nothing";
    list.ToggleIndex(5);
    EXPECT_FALSE(TSortIndexList::IsDescending(list.Items(1)));
}

TEST(TSortIndexList, FindsTheFirstEntryOfAColumn) {
    TSortIndexList list;
    list.AddIndex(2, false);
    list.AddIndex(2, true);
    EXPECT_EQ(list.FindIndex(2), 0);
    list.ToggleIndex(2);
    EXPECT_FALSE(TSortIndexList::IsDescending(list.Items(0)));
    EXPECT_FALSE(TSortIndexList::IsDescending(list.Items(1)));
}
