// The grid's cell store and line sizes, without a window.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/controls/GridModel.h"
#include "platform/runtime/Classes.h"

namespace {

// The texts of column 0 of rows 0..n-1, "-" for an empty cell.
std::string Column0(const TGridModel& m, int32_t n) {
    std::string s;
    for (int32_t r = 0; r < n; ++r) s += m.Cell(0, r).empty() ? std::string("-") : m.Cell(0, r);
    return s;
}

TGridModel Lettered(int32_t n) {
    TGridModel m;
    m.SetRowSlots(n);
    for (int32_t r = 0; r < n; ++r) m.SetCell(0, r, std::string(1, static_cast<char>('a' + r)));
    return m;
}

}  // namespace

TEST(GridModel, EmptyRowsAreNoUnitsAndAClearedRowIsGivenUp) {
    TGridModel m;
    m.SetRowSlots(100001);
    EXPECT_EQ(m.RowSlots(), 100001);
    EXPECT_EQ(m.UnitCount(), 0);
    EXPECT_EQ(m.Cell(15, 100000), "");
    EXPECT_EQ(m.Object(3, 5), nullptr);

    TObject marker;
    m.SetCell(3, 7, "x");
    m.SetObject(5, 7, &marker);
    ASSERT_NE(m.Row(7), nullptr);
    EXPECT_EQ(m.Row(7)->Count(), 6);
    m.SetCell(3, 7, "");
    EXPECT_EQ(m.UnitCount(), 1) << "the object keeps the row";
    EXPECT_EQ(m.Row(7)->Count(), 6);
    m.SetObject(5, 7, nullptr);
    EXPECT_EQ(m.UnitCount(), 0);
    EXPECT_EQ(m.Row(7), nullptr);

    // Writing nothing into an empty row creates nothing; negative indexes do nothing.
    m.SetCell(2, 9, "");
    m.SetCell(-1, 9, "x");
    m.SetCell(1, -1, "x");
    EXPECT_EQ(m.UnitCount(), 0);
}

TEST(GridModel, TrailingEmptyCellsAreTrimmed) {
    TGridModel m;
    m.SetCell(2, 0, "c");
    m.SetCell(9, 0, "j");
    EXPECT_EQ(m.Row(0)->Count(), 10);
    m.SetCell(9, 0, "");
    EXPECT_EQ(m.Row(0)->Count(), 3);
}

// A line of texts in one step leaves the row as a SetCell per cell does
// (clearing the rest empties texts, never objects), over random rows.
TEST(GridModel, RowTextsInOneStepAsCellByCell) {
    std::mt19937 rng(7);
    TObject marker;
    const std::vector<std::string> words{"", "", "a", "bb", "a longer text than fits inline"};
    for (int round = 0; round < 2000; ++round) {
        TGridModel fast, slow;
        const int32_t row = static_cast<int32_t>(rng() % 3);
        // Old content: a few texts and maybe an object.
        for (int i = static_cast<int>(rng() % 4); i > 0; --i) {
            const auto c = static_cast<int32_t>(rng() % 8);
            const std::string& w = words[rng() % words.size()];
            fast.SetCell(c, row, w);
            slow.SetCell(c, row, w);
        }
        if (rng() % 3 == 0) {
            const auto c = static_cast<int32_t>(rng() % 8);
            fast.SetObject(c, row, &marker);
            slow.SetObject(c, row, &marker);
        }
        const auto first = static_cast<int32_t>(rng() % 3);
        const bool clearRest = rng() % 2 == 0;
        std::vector<std::string> texts(rng() % 6);
        for (std::string& t : texts) t = words[rng() % words.size()];
        for (size_t i = 0; i < texts.size(); ++i) slow.SetCell(first + static_cast<int32_t>(i), row, texts[i]);
        if (clearRest)
            for (int32_t c = first + static_cast<int32_t>(texts.size()); c < 10; ++c) slow.SetCell(c, row, "");
        fast.SetRowTexts(row, first, texts, clearRest);
        EXPECT_TRUE(texts.empty());
        ASSERT_EQ(fast.Row(row) == nullptr, slow.Row(row) == nullptr) << round;
        if (!slow.Row(row)) continue;
        ASSERT_EQ(fast.Row(row)->Count(), slow.Row(row)->Count()) << round;
        EXPECT_EQ(fast.Row(row)->Empty(), slow.Row(row)->Empty());
        for (int32_t c = 0; c < 10; ++c) {
            EXPECT_EQ(fast.Cell(c, row), slow.Cell(c, row)) << round << " " << c;
            EXPECT_EQ(fast.Object(c, row), slow.Object(c, row)) << round << " " << c;
        }
        // The row's bookkeeping stays right: clearing it cell by cell gives it up.
        for (int32_t c = 0; c < 10; ++c) {
            fast.SetCell(c, row, "");
            fast.SetObject(c, row, nullptr);
        }
        EXPECT_EQ(fast.Row(row), nullptr) << round;
    }
}

TEST(GridModel, RowOperationsMoveUnits) {
    struct Case {
        const char* name;
        void (*op)(TGridModel&);
        const char* expected;
    } cases[] = {
        {"move down", [](TGridModel& m) { m.MoveRow(1, 4); }, "acdebf"},
        {"move up", [](TGridModel& m) { m.MoveRow(4, 1); }, "aebcdf"},
        {"swap", [](TGridModel& m) { m.SwapRows(0, 5); }, "fbcdea"},
        {"insert", [](TGridModel& m) { m.InsertRows(2, 2); }, "ab--cd"},
        {"delete", [](TGridModel& m) { m.DeleteRows(1, 2); }, "adef--"},
        {"delete beyond", [](TGridModel& m) { m.DeleteRows(4, 10); }, "abcd--"},
        {"shrink", [](TGridModel& m) { m.SetRowSlots(3); }, "abc---"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TGridModel m = Lettered(6);
        const TGridRow* b = m.Row(1);
        c.op(m);
        EXPECT_EQ(Column0(m, 6), c.expected);
        // The unit itself travelled: no text was copied.
        for (int32_t r = 0; r < m.RowSlots(); ++r) {
            if (m.Cell(0, r) == "b") {
                EXPECT_EQ(m.Row(r), b);
            }
        }
    }
}

TEST(GridModel, TakenRowsComeBackWhereTheyStood) {
    TGridModel m = Lettered(8);
    TObject o;
    m.SetObject(1, 3, &o);
    auto taken = m.ExtractRows({1, 3, 4, 7});
    ASSERT_EQ(taken.size(), 4u);
    EXPECT_EQ(Column0(m, 4), "acfg");
    EXPECT_EQ(taken[1]->Object(1), &o);
    m.InsertRowsAt({1, 3, 4, 7}, std::move(taken));
    EXPECT_EQ(Column0(m, 8), "abcdefgh");
    EXPECT_EQ(m.Object(1, 3), &o);

    auto run = m.TakeRows(2, 3);
    EXPECT_EQ(Column0(m, 5), "abfgh");
    m.PutRows(2, std::move(run));
    EXPECT_EQ(Column0(m, 8), "abcdefgh");

    // Indexes beyond the store are empty rows.
    auto beyond = m.ExtractRows({6, 7, 20});
    ASSERT_EQ(beyond.size(), 3u);
    EXPECT_EQ(beyond[2], nullptr);
}

TEST(GridModel, ColumnOperationsOnEveryRow) {
    TGridModel m;
    for (int32_t r = 0; r < 3; ++r)
        for (int32_t c = 0; c < 4; ++c) m.SetCell(c, r, std::string(1, static_cast<char>('a' + c)) + std::to_string(r));
    m.MoveCol(0, 2);
    EXPECT_EQ(m.Cell(0, 1), "b1");
    EXPECT_EQ(m.Cell(2, 1), "a1");
    m.DeleteCols(0, 1);
    EXPECT_EQ(m.Cell(0, 2), "c2");
    m.InsertCols(1, 2);
    EXPECT_EQ(m.Cell(3, 0), "a0");
    EXPECT_EQ(m.Cell(1, 0), "");
    m.TruncateCols(1);
    EXPECT_EQ(m.Cell(3, 0), "");
    EXPECT_EQ(m.Cell(0, 0), "c0");
    m.TruncateCols(0);
    EXPECT_EQ(m.UnitCount(), 0);
}

TEST(GridAxis, SizesAndOffsetsAgainstPlainSums) {
    TGridAxis axis(24);
    axis.SetCount(5000);
    EXPECT_TRUE(axis.Uniform());
    EXPECT_EQ(axis.Offset(4000), 4000 * 24);
    EXPECT_EQ(axis.Size(-1), 24);
    EXPECT_EQ(axis.Size(5000), 24);
    axis.SetSize(5000, 3);  // outside: ignored
    EXPECT_TRUE(axis.Uniform());

    std::mt19937 random(7);
    std::vector<int32_t> plain(5000, 24);
    for (int step = 0; step < 3000; ++step) {
        int32_t i = static_cast<int32_t>(random() % 5000);
        int32_t size = static_cast<int32_t>(random() % 60);
        axis.SetSize(i, size);
        plain[static_cast<size_t>(i)] = size;
        if (step % 300 == 0) {
            int32_t at = static_cast<int32_t>(random() % 5001);
            int64_t sum = 0;
            for (int32_t k = 0; k < at; ++k) sum += plain[static_cast<size_t>(k)];
            ASSERT_EQ(axis.Offset(at), sum) << "at " << at;
        }
    }
    // A change of the count keeps the sizes that remain; new lines take the default.
    axis.SetCount(10);
    axis.SetCount(12);
    int64_t sum = 0;
    for (int32_t k = 0; k < 10; ++k) sum += plain[static_cast<size_t>(k)];
    EXPECT_EQ(axis.Offset(12), sum + 2 * 24);
    EXPECT_EQ(axis.Extent(10, 12), 48);
    axis.SetDefault(30);
    EXPECT_TRUE(axis.Uniform());
    EXPECT_EQ(axis.Offset(12), 360);
}
