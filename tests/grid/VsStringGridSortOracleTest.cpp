// The grid's sort checked against coreutils sort: 10,000 random rows
// sorted by a text, a number and a D/M/Y date key give the key order that
// "LC_ALL=C sort" gives (-g for numbers, the dates as yyyymmdd with -n).
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <random>

#include "tests/grid/VsStringGridTestSupport.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Tools.h"

namespace {

constexpr int32_t kRows = 10000;

struct TRowData {
    std::string Text, Number, Date, DateKey;
};

std::vector<TRowData> RandomRows() {
    std::mt19937 rng(14);
    const std::string alphabet = "abcXYZ019 _-~";
    std::vector<TRowData> rows(kRows);
    for (TRowData& r : rows) {
        for (int n = static_cast<int>(rng() % 7); n > 0; --n) r.Text += alphabet[rng() % alphabet.size()];
        const int whole = static_cast<int>(rng() % 20001) - 10000;
        r.Number = std::to_string(whole);
        if (rng() % 2) r.Number += "." + std::to_string(rng() % 100);
        if (rng() % 10 == 0) r.Number += "e" + std::to_string(static_cast<int>(rng() % 7) - 3);
        const int y = 1901 + static_cast<int>(rng() % 198), m = 1 + static_cast<int>(rng() % 12),
                  d = 1 + static_cast<int>(rng() % 28);
        r.Date = std::to_string(d) + "/" + std::to_string(m) + "/" + std::to_string(y);
        char key[16];
        std::snprintf(key, sizeof key, "%04d%02d%02d", y, m, d);
        r.DateKey = key;
    }
    return rows;
}

class GridSortOracle : public StringGridTest {};

TEST_F(GridSortOracle, KeyOrderAgreesWithCoreutilsSort) {
    SKIP_WITHOUT_TOOL("sort");
    MakeGrid(400, 300, Rect(0, 0, 300, 200));
    const std::vector<TRowData> data = RandomRows();
    TTempFolder folder("gridsort");
    const std::string file = folder.File("rows.tsv");
    {
        std::ofstream out(file, std::ios::binary);
        for (const TRowData& r : data) out << r.Text << '\t' << r.Number << '\t' << r.DateKey << '\n';
    }
    grid->SetColCount(4);
    grid->SetRowCount(kRows + 1);
    grid->SetSortFull(false);
    grid->OnGetFormat = [](TObject*, int32_t col, TSortStyle& style, std::string&, std::string&) {
        style = col == 1 ? styleText : col == 2 ? styleNumber : styleDateDMY;
    };
    struct Key {
        int32_t column;
        const char* options;
        int field;
    } keys[] = {{1, "-k1,1", 1}, {2, "-g -k2,2", 2}, {3, "-n -k3,3", 3}};
    for (const Key& k : keys) {
        SCOPED_TRACE(k.options);
        for (int32_t i = 0; i < kRows; ++i) {
            grid->SetCells(1, i + 1, data[static_cast<size_t>(i)].Text);
            grid->SetCells(2, i + 1, data[static_cast<size_t>(i)].Number);
            grid->SetCells(3, i + 1, data[static_cast<size_t>(i)].Date);
        }
        grid->SetSortColumn(k.column);
        grid->SortByColumn();
        const std::string command = "LC_ALL=C sort -t \"$(printf '\\t')\" " + std::string(k.options) + " " +
                                    Quoted(file) + " | cut -f" + std::to_string(k.field);
        const std::string expected = RunCommand(command);
        std::string actual;
        for (int32_t r = 1; r <= kRows; ++r) {
            std::string cell = grid->Cells(k.column, r);
            if (k.column == 3) {
                int d, m, y;
                ASSERT_EQ(std::sscanf(cell.c_str(), "%d/%d/%d", &d, &m, &y), 3);
                char key[16];
                std::snprintf(key, sizeof key, "%04d%02d%02d", y, m, d);
                cell = key;
            }
            actual += cell + "\n";
        }
        if (k.column == 2) {
            // Equal numbers may be written differently: compare the values.
            auto values = [](const std::string& s) {
                std::vector<double> v;
                size_t p = 0;
                for (size_t q; (q = s.find('\n', p)) != std::string::npos; p = q + 1)
                    v.push_back(std::strtod(s.substr(p, q - p).c_str(), nullptr));
                return v;
            };
            EXPECT_EQ(values(actual), values(expected));
        } else {
            EXPECT_EQ(actual, expected);
        }
    }
}

}  // namespace
