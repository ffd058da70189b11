// Sorting the grid's rows: the cell comparison of each style, the sorts by
// column, by index and by node groups, and a sort that fails half-way.
#include <gtest/gtest.h>

#include <clocale>
#include <random>

#include "tests/grid/VsStringGridTestSupport.h"

namespace {

int32_t Sign(int v) { return v > 0 ? 1 : v < 0 ? -1 : 0; }

class GridSort : public StringGridTest {
protected:
    void SetUp() override {
        ScriptedTest::SetUp();
        MakeGrid(500, 400, Rect(0, 0, 400, 300));
        grid->SetColCount(3);
    }
    // Column col of the data rows from the given texts, one a row.
    void Fill(int32_t col, const std::vector<std::string>& texts) {
        grid->SetRowCount(static_cast<int32_t>(texts.size()) + 1);
        for (size_t i = 0; i < texts.size(); ++i) grid->SetCells(col, static_cast<int32_t>(i) + 1, texts[i]);
    }
    std::string Column(int32_t col) {
        std::string s;
        for (int32_t r = 1; r < grid->RowCount(); ++r) s += (r > 1 ? "|" : "") + grid->Cells(col, r);
        return s;
    }
    void Style(TSortStyle style, std::string prefix = "", std::string suffix = "") {
        grid->OnGetFormat = [=](TObject*, int32_t, TSortStyle& s, std::string& p, std::string& x) {
            s = style;
            p = prefix;
            x = suffix;
        };
    }
};

TEST_F(GridSort, CompareCellsByStyle) {
    // The locale styles under a pinned locale: code point order, case
    // folded beyond ASCII.
    const std::string savedLocale = std::setlocale(LC_ALL, nullptr);
    ASSERT_NE(std::setlocale(LC_ALL, "C.UTF-8"), nullptr);
    struct Case {
        TSortStyle style;
        const char* prefix;
        const char* a;
        const char* b;
        int32_t expected;
    } cases[] = {
        {styleAuto, "", "10", "9", 1},
        {styleAuto, "", "b", "a", 1},
        {styleAuto, "", "1/2/2020", "12/1/2019", 1},
        {styleText, "", "10", "9", -1},
        {styleText, "", "B", "a", -1},
        {styleText, "", "a", "a", 0},
        {styleTextCase, "", "b", "B", 1},
        {styleTextNoCase, "", "b", "B", 0},
        {styleTextNoCase, "", "\xC3\xA9", "\xC3\x89", 1},
        {styleAnsiText, "", "B", "a", -1},
        {styleAnsiTextNoCase, "", "\xC3\xA9", "\xC3\x89", 0},
        {styleAnsiTextNoCase, "", "b", "A", 1},
        {styleNumber, "$", "$5", "$40", -1},
        {styleNumber, "", "", "-1", 1},
        {styleNumber, "", "", "0", 0},
        {styleNumber, "", "abc", "5", 0},
        {styleNumber, "", "1e3", "999", 1},
        {styleNumberGrouped, "", "1,000", "999", 1},
        {styleNumber, "", "1,000", "999", 0},
        {styleDate, "", "1/2/2020", "12/31/2019", 1},
        {styleDate, "", "1/2/2020 10:00", "1/2/2020 9:00", 1},
        {styleDate, "", "garbage", "1/1/1899", 1},
        {styleDateDMY, "", "31-12-99", "01-01-00", -1},
        {styleDateDMY, "", "1.1.26", "1.1.25", -1},
        {styleDateDMY, "", "2/1/2020", "1/2/2020", -1},
        {styleDateMDY, "", "2/1/2020", "1/2/2020", 1},
        {styleDateDMY, "", "31/2/2020", "1/1/1901", -1},
        {styleHTML, "", "<b>b</b>", "<i>a</i>", 1},
        {static_cast<TSortStyle>(15), "", "a", "a", 1},
    };
    grid->SetRowCount(3);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " vs " + c.b + " style " + std::to_string(c.style));
        Style(c.style, c.prefix);
        grid->SetCells(1, 1, c.a);
        grid->SetCells(1, 2, c.b);
        EXPECT_EQ(grid->CompareCells(1, 1, 2), c.expected);
    }
    std::setlocale(LC_ALL, savedLocale.c_str());
}

TEST_F(GridSort, ParsedDatesAndTheirCentury) {
    EXPECT_EQ(TVsStringGrid::ParseDateDMY("31-12-99"), EncodeDate(1999, 12, 31));
    EXPECT_EQ(TVsStringGrid::ParseDateDMY("1/2/26"), EncodeDate(1926, 2, 1));
    EXPECT_EQ(TVsStringGrid::ParseDateMDY("1.2.25"), EncodeDate(2025, 1, 2));
    EXPECT_EQ(TVsStringGrid::ParseDateDMY("1/2"), 0);
    EXPECT_THROW(TVsStringGrid::ParseDateDMY("30/2/2020"), EConvertError);
}

TEST_F(GridSort, ByColumnCases) {
    struct Case {
        const char* name;
        bool autoFormat;
        TSortDirection direction;
        std::vector<std::string> texts;
        const char* sorted;
    } cases[] = {
        {"auto numbers", true, sdAscending, {"10", "9", "100"}, "9|10|100"},
        {"without auto format", false, sdAscending, {"10", "9", "100"}, "10|100|9"},
        {"descending", true, sdDescending, {"10", "9", "100"}, "100|10|9"},
        {"empty as zero", true, sdAscending, {"5", "-2", ""}, "-2||5"},
        {"many equal", true, sdAscending, std::vector<std::string>(40, "7"), nullptr},
    };
    grid->SetColCount(2);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        grid->SetSortAutoFormat(c.autoFormat);
        grid->SetSortDirection(c.direction);
        grid->SetSortColumn(1);
        Fill(1, c.texts);
        grid->SortByColumn();
        if (c.sorted) {
            EXPECT_EQ(Column(1), c.sorted);
        }
        EXPECT_EQ(grid->RowCount(), static_cast<int32_t>(c.texts.size()) + 1);
    }
}

TEST_F(GridSort, TiesFollowTheNextColumnsWithSortFull) {
    grid->SetSortColumn(1);
    Fill(1, {"x", "x", "a", "x"});
    for (int32_t r = 1; r <= 4; ++r) grid->SetCells(2, r, std::to_string(5 - r));
    grid->SortByColumn();
    EXPECT_EQ(Column(1), "a|x|x|x");
    EXPECT_EQ(Column(2), "2|1|3|4");
}

TEST_F(GridSort, CurrentRowRowTitlesHeightsAndFootersStay) {
    grid->SetSortColumn(1);
    grid->SetSortNormalCellsOnly(true);
    Fill(1, {"c", "b", "a", "footer"});
    for (int32_t r = 1; r <= 4; ++r) grid->SetCells(0, r, "t" + std::to_string(r));
    grid->SetFixedFooters(1);
    grid->SetRowHeights(1, 40);
    grid->SetRow(1);
    grid->SortByColumn();
    EXPECT_EQ(Column(1), "a|b|c|footer");
    EXPECT_EQ(Column(0), "t1|t2|t3|t4");
    EXPECT_EQ(grid->Row(), 3);
    EXPECT_EQ(grid->RowHeights(3), 40);
    EXPECT_EQ(grid->RowHeights(1), grid->DefaultRowHeight());
    EXPECT_EQ(grid->PaintLock(), 0);
}

TEST_F(GridSort, AFailingEventLeavesTheGridAsItWas) {
    grid->SetSortColumn(1);
    grid->SetSortNormalCellsOnly(true);
    Fill(1, {"c", "b", "a"});
    for (int32_t r = 1; r <= 3; ++r) grid->SetCells(0, r, "t" + std::to_string(r));
    grid->SetRow(2);
    const int32_t width = grid->ColWidths(2);
    for (int variant = 0; variant < 3; ++variant) {
        SCOPED_TRACE(variant);
        grid->OnGetFormat = nullptr;
        grid->OnCustomCompare = nullptr;
        grid->OnRawCompare = nullptr;
        if (variant == 0)
            grid->OnGetFormat = [](TObject*, int32_t, TSortStyle&, std::string&, std::string&) { throw Exception("format"); };
        if (variant == 1) {
            Style(styleCustom);
            grid->OnCustomCompare = [](TObject*, const std::string&, const std::string&, int32_t&) { throw Exception("custom"); };
        }
        if (variant == 2) {
            Style(styleRaw);
            grid->OnRawCompare = [](TObject*, int32_t, int32_t, int32_t, int32_t&) { throw Exception("raw"); };
        }
        EXPECT_THROW(grid->SortByColumn(), Exception);
        EXPECT_EQ(Column(1), "c|b|a");
        EXPECT_EQ(Column(0), "t1|t2|t3");
        EXPECT_EQ(grid->RowCount(), 4);
        EXPECT_EQ(grid->ColCount(), 3);
        EXPECT_EQ(grid->ColWidths(2), width);
        EXPECT_EQ(grid->Row(), 2);
        EXPECT_EQ(grid->PaintLock(), 0);
        EXPECT_EQ(grid->SortRow(), -1);
    }
}

TEST_F(GridSort, InconsistentComparisonsStayInTheRows) {
    // A compare that answers at random (never 0) must not leave the rows.
    std::mt19937 rng(7);
    Style(styleCustom);
    grid->OnCustomCompare = [&](TObject*, const std::string&, const std::string&, int32_t& res) {
        res = (rng() & 1) ? 1 : -1;
    };
    grid->SetSortColumn(1);
    grid->SetSortFull(false);
    std::vector<std::string> texts;
    for (int i = 0; i < 500; ++i) texts.push_back(std::to_string(i));
    Fill(1, texts);
    grid->SetCells(1, 0, "title");
    grid->SortByColumn();
    std::vector<std::string> after;
    for (int32_t r = 1; r <= 500; ++r) after.push_back(grid->Cells(1, r));
    std::sort(after.begin(), after.end());
    std::sort(texts.begin(), texts.end());
    EXPECT_EQ(after, texts);
    EXPECT_EQ(grid->Cells(1, 0), "title");
    // Raw compares see the rows where the data stands.
    Style(styleRaw);
    grid->OnRawCompare = [&](TObject*, int32_t col, int32_t r1, int32_t r2, int32_t& res) {
        res = Sign(std::stoi(grid->Cells(col, r1)) - std::stoi(grid->Cells(col, r2)));
    };
    grid->SortByColumn();
    EXPECT_EQ(grid->Cells(1, 1), "0");
    EXPECT_EQ(grid->Cells(1, 500), "499");
}

TEST_F(GridSort, ByIndexWithDirectionsPerEntry) {
    grid->SetColCount(3);
    Fill(1, {"b", "a", "b", "a"});
    for (int32_t r = 1; r <= 4; ++r) grid->SetCells(2, r, std::to_string(r));
    grid->SortIndexes()->AddIndex(1, true);
    grid->SortIndexes()->AddIndex(2, false);
    grid->SortByIndex();
    EXPECT_EQ(Column(1), "a|a|b|b");
    EXPECT_EQ(Column(2), "4|2|3|1");
    // Without SortFull only the first entry counts.
    grid->SetSortFull(false);
    grid->SortIndexes()->Clear();
    grid->SortIndexes()->AddIndex(1, false);
    grid->SortIndexes()->AddIndex(2, true);
    grid->SortByIndex();
    EXPECT_EQ(grid->Cells(1, 1), "b");
    EXPECT_EQ(grid->CompareRowsIndexed(0, 1, 2), 0);
}

TEST_F(GridSort, NodeGroupsSortUnderTheirNodesAndFootersStay) {
    grid->SetEnableGraphics(true);
    grid->SetSortColumn(1);
    Fill(1, {"n1", "c", "a", "b", "n2", "z", "y", "footer2", "footer1"});
    grid->SetFixedFooters(2);
    for (int32_t r : {1, 5}) grid->SetObjects(0, r, new TCellGraphic(cgNode));
    ASSERT_EQ(grid->NodeCount(), 2);
    grid->SortNodeGroups();
    EXPECT_EQ(Column(1), "n1|a|b|c|n2|y|z|footer2|footer1");
    for (int32_t r : {1, 5}) delete grid->Objects(0, r);
    for (int32_t r : {1, 5}) grid->SetObjects(0, r, nullptr);
}

TEST_F(GridSort, AnEventFailingInALaterGroupLeavesTheEarlierGroupsUnsorted) {
    grid->SetEnableGraphics(true);
    grid->SetSortColumn(1);
    Fill(1, {"n1", "c", "a", "b", "n2", "z", "y"});
    TCellGraphic n1(cgNode), n2(cgNode);
    grid->SetObjects(0, 1, &n1);
    grid->SetObjects(0, 5, &n2);
    Style(styleCustom);
    grid->OnCustomCompare = [](TObject*, const std::string& a, const std::string& b, int32_t& res) {
        if (a == "z" || b == "z") throw Exception("custom");
        res = a.compare(b) < 0 ? -1 : a == b ? 0 : 1;
    };
    EXPECT_THROW(grid->SortNodeGroups(), Exception);
    EXPECT_EQ(Column(1), "n1|c|a|b|n2|z|y");
    EXPECT_EQ(grid->PaintLock(), 0);
    for (int32_t r : {1, 5}) grid->SetObjects(0, r, nullptr);
}

}  // namespace
