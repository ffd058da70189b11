// The grid's cell store and line sizes, without a window.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "platform/controls/GridModel.h"
#include "platform/runtime/Classes.h"

namespace {

// The texts of column 0 of rows 0..n-1, "-" for an empty cell.
std::string Column0(const TGridModel& m, int32_t n) {
    std::string s;
    for (int32_t r = 0; r < n; ++r) s += m.Cell(0, r).empty() ? std::string("-") : std::string(m.Cell(0, r));
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

// A row as plain vectors: the oracle of TGridRow.
struct TPlainRow {
    std::vector<std::string> Texts;
    std::vector<TObject*> Objects;

    void Fit(size_t n) {
        if (Texts.size() < n) Texts.resize(n);
        Objects.resize(Texts.size(), nullptr);
    }
    void Trim() {
        while (!Texts.empty() && Texts.back().empty() && !Objects.back()) {
            Texts.pop_back();
            Objects.pop_back();
        }
    }
};

void ExpectSame(const TGridRow& row, const TPlainRow& plain, const std::string& where) {
    ASSERT_EQ(row.Count(), static_cast<int32_t>(plain.Texts.size())) << where;
    for (int32_t c = -1; c <= row.Count() + 1; ++c) {
        const bool in = c >= 0 && c < row.Count();
        ASSERT_EQ(row.Text(c), in ? plain.Texts[static_cast<size_t>(c)] : "") << where << " col " << c;
        ASSERT_EQ(row.Object(c), in ? plain.Objects[static_cast<size_t>(c)] : nullptr) << where << " col " << c;
    }
}

// Every row operation against the plain row, with texts short, of a few
// hundred bytes and over 64 KB (so that a block's offsets widen and narrow),
// objects and gaps.
TEST(GridRow, OperationsAsOnPlainVectors) {
    std::mt19937 rng(11);
    TObject a, b;
    const std::string big(70000, 'x');
    auto word = [&]() -> std::string {
        switch (rng() % 8) {
        case 0:
        case 1: return "";
        case 2: return big.substr(0, 40000 + rng() % 30000);
        case 3: return big.substr(0, 100 + rng() % 300);
        default: return std::string(rng() % 20, static_cast<char>('a' + rng() % 26));
        }
    };
    for (int round = 0; round < 300; ++round) {
        TGridRow row;
        TPlainRow plain;
        if (round % 2) {
            // Loose from the start: many writes in the middle.
            row.SetText(1, "z");
            for (int i = 0; i < 3000; ++i) row.SetText(0, i % 2 ? "ab" : "abc");
            row.SetText(1, "");
            EXPECT_FALSE(row.Packed());
            plain.Texts = {"ab"};
            plain.Objects = {nullptr};
        }
        for (int step = 0; step < 40; ++step) {
            const auto col = static_cast<int32_t>(rng() % 12);
            const auto n = static_cast<int32_t>(rng() % 4);
            std::string op;
            switch (rng() % 9) {
            case 0:
            case 1:
            case 2: {
                const std::string t = word();
                op = "text";
                row.SetText(col, t);
                if (!t.empty()) plain.Fit(static_cast<size_t>(col) + 1);
                if (static_cast<size_t>(col) < plain.Texts.size()) plain.Texts[static_cast<size_t>(col)] = t;
                break;
            }
            case 3: {
                TObject* o = rng() % 2 ? &a : rng() % 2 ? &b : nullptr;
                op = "object";
                row.SetObject(col, o);
                if (o) plain.Fit(static_cast<size_t>(col) + 1);
                if (static_cast<size_t>(col) < plain.Objects.size()) plain.Objects[static_cast<size_t>(col)] = o;
                break;
            }
            case 4: {
                const auto to = static_cast<int32_t>(rng() % 12);
                op = "move";
                row.MoveCell(col, to);
                if (col != to && (static_cast<size_t>(std::max(col, to)) < plain.Texts.size() ||
                                  static_cast<size_t>(std::min(col, to)) < plain.Texts.size())) {
                    plain.Fit(static_cast<size_t>(std::max(col, to)) + 1);
                    for (auto* v : {&plain.Texts}) {
                        std::string t = (*v)[static_cast<size_t>(col)];
                        v->erase(v->begin() + col);
                        v->insert(v->begin() + to, t);
                    }
                    TObject* o = plain.Objects[static_cast<size_t>(col)];
                    plain.Objects.erase(plain.Objects.begin() + col);
                    plain.Objects.insert(plain.Objects.begin() + to, o);
                }
                break;
            }
            case 5:
                op = "insert";
                row.InsertCells(col, n);
                if (n > 0 && static_cast<size_t>(col) < plain.Texts.size()) {
                    plain.Texts.insert(plain.Texts.begin() + col, static_cast<size_t>(n), std::string());
                    plain.Objects.insert(plain.Objects.begin() + col, static_cast<size_t>(n), nullptr);
                }
                break;
            case 6:
                op = "delete";
                row.DeleteCells(col, n);
                if (n > 0 && static_cast<size_t>(col) < plain.Texts.size()) {
                    const size_t last = std::min(plain.Texts.size(), static_cast<size_t>(col + n));
                    plain.Texts.erase(plain.Texts.begin() + col, plain.Texts.begin() + static_cast<ptrdiff_t>(last));
                    plain.Objects.erase(plain.Objects.begin() + col, plain.Objects.begin() + static_cast<ptrdiff_t>(last));
                }
                break;
            case 7:
                op = "truncate";
                row.Truncate(col);
                if (static_cast<size_t>(col) < plain.Texts.size()) {
                    plain.Texts.resize(static_cast<size_t>(col));
                    plain.Objects.resize(static_cast<size_t>(col));
                }
                break;
            default: {
                op = "assign";
                const bool clearRest = rng() % 2 == 0;
                std::vector<std::string> texts(static_cast<size_t>(n) + 1);
                for (std::string& t : texts) t = word();
                const std::vector<std::string> kept = texts;
                row.AssignTexts(col, texts, clearRest);
                EXPECT_TRUE(row.Packed());
                plain.Fit(static_cast<size_t>(col) + kept.size());
                for (size_t i = 0; i < kept.size(); ++i) plain.Texts[static_cast<size_t>(col) + i] = kept[i];
                if (clearRest)
                    for (size_t i = static_cast<size_t>(col) + kept.size(); i < plain.Texts.size(); ++i) plain.Texts[i].clear();
                break;
            }
            }
            plain.Trim();
            ExpectSame(row, plain, "round " + std::to_string(round) + " step " + std::to_string(step) + " " + op);
            if (HasFatalFailure()) return;
        }
        ExpectSame(TGridRow(row), plain, "copy of round " + std::to_string(round));
        EXPECT_TRUE(TGridRow(row).Packed());
    }
}

// One row of 100,000 cells written one at a time, in order (the block takes
// each at its end and stays packed) and out of order (it turns loose); a
// write of the whole row packs it again. Linear either way: a quadratic
// path would take minutes here.
TEST(GridRow, ManySingleCellWrites) {
    const int32_t n = 100000;
    std::vector<int32_t> order(static_cast<size_t>(n));
    for (int32_t i = 0; i < n; ++i) order[static_cast<size_t>(i)] = i;
    struct Case {
        const char* name;
        bool shuffled;
        bool packed;
    } cases[] = {{"ascending", false, true}, {"random", true, false}};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        if (k.shuffled) std::shuffle(order.begin(), order.end(), std::mt19937(5));
        TGridRow row;
        for (int32_t c : order) row.SetText(c, "cell " + std::to_string(c));
        EXPECT_EQ(row.Packed(), k.packed);
        ASSERT_EQ(row.Count(), n);
        for (int32_t c = 0; c < n; c += 997) EXPECT_EQ(row.Text(c), "cell " + std::to_string(c));
        // Rewritten in place, then emptied from the front: still right.
        for (int32_t c : order) row.SetText(c, "CELL " + std::to_string(c));
        EXPECT_EQ(row.Text(n - 1), "CELL " + std::to_string(n - 1));
        std::vector<std::string> texts{"first"};
        row.AssignTexts(0, texts, false);
        EXPECT_TRUE(row.Packed());
        EXPECT_EQ(row.Text(0), "first");
        EXPECT_EQ(row.Text(1), "CELL 1");
        for (int32_t c = 0; c < n; ++c) row.SetText(c, "");
        EXPECT_TRUE(row.Empty());
    }
}

// A text read from the row itself and written back into it.
TEST(GridRow, WriteOfItsOwnText) {
    for (bool loose : {false, true}) {
        TGridRow row;
        row.SetText(0, "alpha");
        row.SetText(1, "a text longer than any small string");
        if (loose)
            for (int i = 0; i < 2000; ++i) row.SetText(0, i % 2 ? "alpha" : "alphabet");
        EXPECT_EQ(row.Packed(), !loose);
        row.SetText(5, row.Text(1));
        row.SetText(0, row.Text(1));
        row.SetText(1, row.Text(1).substr(2));
        EXPECT_EQ(row.Text(0), "a text longer than any small string");
        EXPECT_EQ(row.Text(1), "text longer than any small string");
        EXPECT_EQ(row.Text(5), "a text longer than any small string");
    }
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
