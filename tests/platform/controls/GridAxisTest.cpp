// The line sizes of a grid axis against a plain list of sizes, over fixed
// random sequences of every operation: both forms (few lines that differ,
// many), and the changes between them.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "platform/controls/GridAxis.h"

namespace {

// One size per line, summed when asked.
struct TPlainAxis {
    int32_t Default;
    std::vector<int32_t> Sizes;

    int32_t Count() const { return static_cast<int32_t>(Sizes.size()); }
    int32_t Size(int32_t i) const { return i < 0 || i >= Count() ? Default : Sizes[static_cast<size_t>(i)]; }
    void SetCount(int32_t n) { Sizes.resize(static_cast<size_t>(std::max(0, n)), Default); }
    void SetDefault(int32_t d) {
        Default = d;
        std::fill(Sizes.begin(), Sizes.end(), d);
    }
    void SetSize(int32_t i, int32_t s) {
        if (i >= 0 && i < Count()) Sizes[static_cast<size_t>(i)] = s;
    }
    int64_t Offset(int32_t i) const {
        i = std::clamp(i, 0, Count());
        int64_t sum = 0;
        for (int32_t k = 0; k < i; ++k) sum += Sizes[static_cast<size_t>(k)];
        return sum;
    }
    bool Uniform() const {
        return std::all_of(Sizes.begin(), Sizes.end(), [&](int32_t s) { return s == Default; });
    }
    bool Delete(int32_t index, int32_t count) {
        const std::vector<int32_t> old = Sizes;
        for (int32_t i = std::max(0, index); i < Count(); ++i) Sizes[static_cast<size_t>(i)] = i + count < Count() ? old[static_cast<size_t>(i + count)] : Default;
        return Sizes != old;
    }
    bool Insert(int32_t index, int32_t count) {
        const std::vector<int32_t> old = Sizes;
        for (int32_t i = std::max(0, index); i < Count(); ++i)
            Sizes[static_cast<size_t>(i)] = i < index + count ? Default : old[static_cast<size_t>(i - count)];
        return Sizes != old;
    }
    std::vector<int32_t> Take(const std::vector<int32_t>& lines) {
        std::vector<int32_t> taken, kept;
        size_t next = 0;
        for (int32_t i = 0; i < Count(); ++i) {
            if (next < lines.size() && lines[next] == i) {
                taken.push_back(Sizes[static_cast<size_t>(i)]);
                ++next;
            } else {
                kept.push_back(Sizes[static_cast<size_t>(i)]);
            }
        }
        kept.resize(Sizes.size(), Default);
        Sizes = kept;
        return taken;
    }
    void Put(const std::vector<int32_t>& lines, const std::vector<int32_t>& sizes) {
        std::vector<int32_t> merged;
        size_t next = 0, read = 0;
        while (merged.size() < Sizes.size()) {
            if (next < lines.size() && lines[next] == static_cast<int32_t>(merged.size())) merged.push_back(sizes[next++]);
            else merged.push_back(Sizes[read++]);
        }
        Sizes = merged;
    }
    bool Move(int32_t from, int32_t to) {
        if (from < 0 || to < 0 || from >= Count() || to >= Count()) return false;
        const std::vector<int32_t> old = Sizes;
        const auto f = Sizes.begin() + from, t = Sizes.begin() + to;
        if (from < to) std::rotate(f, f + 1, t + 1);
        else std::rotate(t, f, f + 1);
        return Sizes != old;
    }
};

struct TCase {
    const char* Name;
    int32_t Count;     // lines at the start
    int32_t MaxCount;  // counts go up to this
    int Steps;
    int SizePercent;     // of the steps, sizes set
    int DefaultPercent;  // of the sizes set, the default
    int CountPercent;    // of the steps, a new count
    int ShiftPercent;    // of the steps, lines deleted, inserted or moved
    int ResetPercent;    // of the steps, a new default
};

class GridAxisDifferential : public testing::TestWithParam<TCase> {};

void ExpectSame(const TGridAxis& axis, const TPlainAxis& plain, std::mt19937& random, int step) {
    ASSERT_EQ(axis.Count(), plain.Count()) << "step " << step;
    ASSERT_EQ(axis.Uniform(), plain.Uniform()) << "step " << step;
    ASSERT_EQ(axis.Default(), plain.Default) << "step " << step;
    const int32_t n = plain.Count();
    for (int k = 0; k < 4; ++k) {
        const int32_t at = static_cast<int32_t>(random() % static_cast<uint32_t>(n + 3)) - 1;
        ASSERT_EQ(axis.Offset(at), plain.Offset(at)) << "step " << step << " at " << at;
        ASSERT_EQ(axis.Size(at), plain.Size(at)) << "step " << step << " at " << at;
        const int32_t to = at + static_cast<int32_t>(random() % 50);
        ASSERT_EQ(axis.Extent(at, to), plain.Offset(to) - plain.Offset(at)) << "step " << step;
    }
    ASSERT_EQ(axis.Offset(n), plain.Offset(n)) << "step " << step;
}

TEST_P(GridAxisDifferential, AgreesWithPlainSizes) {
    const TCase& c = GetParam();
    std::mt19937 random(20261211);
    auto below = [&](int32_t n) { return static_cast<int32_t>(random() % static_cast<uint32_t>(std::max(1, n))); };
    TGridAxis axis(24);
    TPlainAxis plain{24, {}};
    axis.SetCount(c.Count);
    plain.SetCount(c.Count);
    bool sawDense = false, sawSparse = false;
    for (int step = 0; step < c.Steps; ++step) {
        const int pick = below(100);
        const int32_t n = plain.Count();
        if (pick < c.SizePercent) {
            const int32_t i = below(n + 2) - 1;
            const int32_t s = below(100) < c.DefaultPercent ? plain.Default : below(60);
            axis.SetSize(i, s);
            plain.SetSize(i, s);
        } else if (pick < c.SizePercent + c.CountPercent) {
            const int32_t to = below(4) == 0 ? below(c.MaxCount + 1) : std::clamp(n + below(21) - 10, 0, c.MaxCount);
            axis.SetCount(to);
            plain.SetCount(to);
        } else if (pick < c.SizePercent + c.CountPercent + c.ShiftPercent) {
            const int32_t index = below(n + 2) - 1, count = below(4) == 0 ? below(n + 2) : below(4);
            // Ascending lines within the count, for taking and putting.
            std::vector<int32_t> lines, sizes;
            for (int32_t i = 0; i < n; ++i)
                if (below(n) < 1 + count) {
                    lines.push_back(i);
                    sizes.push_back(below(3) == 0 ? plain.Default : below(60));
                }
            switch (below(5)) {
            case 3: ASSERT_EQ(axis.TakeLines(lines), plain.Take(lines)) << "step " << step; break;
            case 4:
                axis.PutLines(lines, sizes);
                plain.Put(lines, sizes);
                break;
            case 0: ASSERT_EQ(axis.DeleteLines(index, count), plain.Delete(index, count)) << "step " << step; break;
            case 1:
                if (index >= 0) {
                    ASSERT_EQ(axis.InsertLines(index, count), plain.Insert(index, count)) << "step " << step;
                }
                break;
            default: {
                const int32_t to = below(n + 2) - 1;
                ASSERT_EQ(axis.MoveLine(index, to), plain.Move(index, to)) << "step " << step;
            }
            }
        } else if (pick < c.SizePercent + c.CountPercent + c.ShiftPercent + c.ResetPercent) {
            const int32_t d = below(40);
            axis.SetDefault(d);
            plain.SetDefault(d);
        }
        if (axis.Dense()) sawDense = true;
        else sawSparse = true;
        ASSERT_NO_FATAL_FAILURE(ExpectSame(axis, plain, random, step));
    }
    EXPECT_TRUE(sawSparse);
    if (c.SizePercent >= 80) {
        EXPECT_TRUE(sawDense) << "the sizes never went dense";
    }
}

// Counts small enough that a plain sum per check stays quick.
const TCase kCases[] = {
    {"FewDiffer", 3000, 6000, 3000, 30, 20, 5, 10, 0},
    {"ManyDiffer", 2000, 2500, 6000, 90, 5, 3, 5, 0},
    {"BackAndForth", 1500, 3000, 8000, 85, 60, 5, 8, 1},
    {"CountsJump", 10, 5000, 3000, 60, 10, 30, 10, 1},
    {"TinyAxis", 3, 12, 3000, 60, 20, 20, 20, 2},
    {"ShiftsOnly", 1000, 1000, 3000, 40, 0, 0, 60, 0},
    {"Empty", 0, 3, 500, 40, 10, 40, 20, 0},
};

INSTANTIATE_TEST_SUITE_P(Cases, GridAxisDifferential, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<TCase>& info) { return info.param.Name; });

// Ten million lines with one size set: a list of one line, not ten million.
TEST(GridAxisForm, OneSizeOfTenMillionStaysSparse) {
    TGridAxis axis(24);
    axis.SetCount(10000000);
    axis.SetSize(5000000, 40);
    EXPECT_FALSE(axis.Dense());
    EXPECT_EQ(axis.Differing(), 1);
    EXPECT_EQ(axis.Offset(10000000), int64_t{10000000} * 24 + 16);
    EXPECT_EQ(axis.Offset(5000001) - axis.Offset(5000000), 40);
    // Deleting a line above carries the size up with its line.
    EXPECT_TRUE(axis.DeleteLines(10, 1));
    EXPECT_EQ(axis.Size(4999999), 40);
    EXPECT_FALSE(axis.DeleteLines(6000000, 5));
    EXPECT_TRUE(axis.InsertLines(0, 2));
    EXPECT_EQ(axis.Size(5000001), 40);
    EXPECT_EQ(axis.Offset(10000000), int64_t{10000000} * 24 + 16);
}

struct TFormCase {
    int32_t Count;
    int32_t Set;  // lines set, from 0
    bool Dense;
};

// Dense once more than a quarter of the lines differ (at least 8), or more
// than the list handles well; sparse again when few are left.
TEST(GridAxisForm, DenseWhenManyDiffer) {
    const TFormCase cases[] = {
        {20, 8, false}, {20, 9, true}, {1000, 250, false}, {1000, 251, true}, {1000000, 65536, false}, {1000000, 65537, true},
    };
    for (const TFormCase& c : cases) {
        TGridAxis axis(24);
        axis.SetCount(c.Count);
        for (int32_t i = 0; i < c.Set; ++i) axis.SetSize(i, 30);
        EXPECT_EQ(axis.Dense(), c.Dense) << c.Count << " lines, " << c.Set << " set";
        EXPECT_EQ(axis.Offset(c.Count), int64_t{c.Count} * 24 + int64_t{c.Set} * 6);
        for (int32_t i = 0; i < c.Set; ++i) axis.SetSize(i, 24);
        EXPECT_FALSE(axis.Dense()) << c.Count << " lines, " << c.Set << " set back";
        EXPECT_TRUE(axis.Uniform());
    }
}

// A grid of two rows whose fixed row differs, grown to ten million rows,
// keeps a list of one line.
TEST(GridAxisForm, GrowingFromDenseGoesSparse) {
    TGridAxis axis(24);
    axis.SetCount(2);
    for (int32_t i = 0; i < 2; ++i) axis.SetSize(i, 30);
    axis.SetCount(40);
    for (int32_t i = 0; i < 40; ++i) axis.SetSize(i, 30);
    ASSERT_TRUE(axis.Dense());
    axis.SetCount(2);
    axis.SetCount(10000000);
    EXPECT_FALSE(axis.Dense());
    EXPECT_EQ(axis.Offset(10000000), int64_t{10000000} * 24 + 12);
}

}  // namespace
