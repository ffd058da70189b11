// The sheet geometry and the print rules, without a window or a printer.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "labels/LabelGeometry.h"

namespace {

const TPrinterScale k600 = TPrinterScale::FromDpi(600, 600);

TSheetGeometry Sheet(int32_t columns, int32_t rows) {
    TSheetGeometry sheet;
    sheet.Columns = columns;
    sheet.Rows = rows;
    return sheet;
}

// A 3 x 7 sheet with its margins and pitches in millimetres.
TSheetGeometry Placed(double pageLeft, double pageTop, double labelLeft, double labelTop, double horzPitch,
                      double vertPitch) {
    TSheetGeometry sheet = Sheet(3, 7);
    sheet.PageLeft = TMillimetres(pageLeft);
    sheet.PageTop = TMillimetres(pageTop);
    sheet.LabelLeft = TMillimetres(labelLeft);
    sheet.LabelTop = TMillimetres(labelTop);
    sheet.HorzPitch = TMillimetres(horzPitch);
    sheet.VertPitch = TMillimetres(vertPitch);
    return sheet;
}

// ---------------------------------------------------------------- origins

struct OriginRow {
    const char* Name;
    double PageLeft, PageTop, LabelLeft, LabelTop, HorzPitch, VertPitch;
    int32_t Column, Row;
    TPoint Expected;
};

class LabelOriginTest : public ::testing::TestWithParam<OriginRow> {};

TEST_P(LabelOriginTest, PrinterPixelsAt600Dpi) {
    const OriginRow& row = GetParam();
    const TSheetGeometry sheet =
        Placed(row.PageLeft, row.PageTop, row.LabelLeft, row.LabelTop, row.HorzPitch, row.VertPitch);
    const TLabelOrigin origin = LabelOriginAt(sheet, k600, row.Column, row.Row);
    EXPECT_EQ(origin.Position, row.Expected);
    EXPECT_EQ(origin.Number, int64_t{row.Row} * 3 + row.Column + 1);
}

INSTANTIATE_TEST_SUITE_P(Rows, LabelOriginTest,
                         ::testing::Values(
                             // Round(12 x 23.622 + 70 x 23.622) and Round(8 x 23.622 + 37 x 23.622).
                             OriginRow{"Label5OfThreeColumns", 10, 5, 2, 3, 70, 37, 1, 1, {1937, 1063}},
                             OriginRow{"FirstLabelAtPageCorner", 0, 0, 0, 0, 70, 42.3, 0, 0, {0, 0}},
                             // 2 x 70 mm = 3307.09 px; 6 x 42.3 mm = 5995.28 px.
                             OriginRow{"LastOfA4ThreeBySeven", 0, 0, 0, 0, 70, 42.3, 2, 6, {3307, 5995}},
                             // 11.75 mm = 277.56 px plus 127 mm = 3000 px; 18.9 mm = 446.46 px plus 114.3 mm = 2700 px.
                             OriginRow{"DecimalMargins", 7.25, 15.15, 4.5, 3.75, 63.5, 38.1, 2, 3, {3278, 3146}},
                             // The pitch alone steps from label to label; the margins count once.
                             OriginRow{"MarginsWithoutPitch", 10, 20, 1, 2, 0, 0, 2, 6, {260, 520}}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(LabelOrigins, EveryPositionRowByRowLeftToRight) {
    TSheetGeometry sheet = Sheet(3, 2);
    sheet.HorzPitch = TMillimetres(25.4);
    sheet.VertPitch = TMillimetres(50.8);
    std::vector<std::string> seen;
    for (const TLabelOrigin& o : LabelOrigins(sheet, k600))
        seen.push_back(std::to_string(o.Number) + "@" + std::to_string(o.Position.X) + "," +
                       std::to_string(o.Position.Y));
    EXPECT_EQ(seen,
              (std::vector<std::string>{"1@0,0", "2@600,0", "3@1200,0", "4@0,1200", "5@600,1200", "6@1200,1200"}));
    EXPECT_EQ(LabelOrigins(sheet, k600).size(), 6);
}

TEST(LabelOrigins, NoPositionWithoutRowsOrColumns) {
    for (auto [columns, rows] : {std::pair{0, 7}, {3, 0}, {-3, 2}, {-2, -3}}) {
        SCOPED_TRACE(std::to_string(columns) + " x " + std::to_string(rows));
        const TSheetGeometry sheet = Sheet(columns, rows);
        EXPECT_EQ(sheet.LabelCount(), 0);
        const TLabelOrigins origins = LabelOrigins(sheet, k600);
        EXPECT_TRUE(origins.begin() == origins.end());
    }
}

TEST(LabelOrigins, CountOfLargeSheetsIn64Bits) {
    EXPECT_EQ(Sheet(65536, 65536).LabelCount(), int64_t{1} << 32);
    const int32_t max = std::numeric_limits<int32_t>::max();
    EXPECT_EQ(Sheet(max, max).LabelCount(), int64_t{max} * max);
}

// ---------------------------------------------------------------- range rule

TEST(PrintRange, RangeTwoToFiveOnThreeByTwo) {
    const TPrintRange range{2, true, 5, true};
    std::vector<int64_t> selected;
    for (const TLabelOrigin& o : LabelOrigins(Sheet(3, 2), k600))
        if (range.Selects(o.Number, 6)) selected.push_back(o.Number);
    EXPECT_EQ(selected, (std::vector<int64_t>{2, 3, 4, 5}));
    EXPECT_EQ(range.SelectedCount(Sheet(3, 2)), 4);
}

struct RangeRow {
    const char* Name;
    TPrintRange Range;
    int32_t Columns, Rows;
    int64_t Expected;
};

class PrintRangeCount : public ::testing::TestWithParam<RangeRow> {};

// The closed count agrees with the rule applied to every position.
TEST_P(PrintRangeCount, AgreesWithTheRule) {
    const RangeRow& row = GetParam();
    const TSheetGeometry sheet = Sheet(row.Columns, row.Rows);
    int64_t counted = 0;
    for (const TLabelOrigin& o : LabelOrigins(sheet, k600))
        if (row.Range.Selects(o.Number, sheet.LabelCount())) ++counted;
    EXPECT_EQ(counted, row.Expected);
    EXPECT_EQ(row.Range.SelectedCount(sheet), row.Expected);
    // The span walks exactly the positions the rule selects.
    std::vector<int64_t> walked, ruled;
    for (const TLabelOrigin& o : LabelOrigins(sheet, k600, row.Range.Selected(sheet))) walked.push_back(o.Number);
    for (const TLabelOrigin& o : LabelOrigins(sheet, k600))
        if (row.Range.Selects(o.Number, sheet.LabelCount())) ruled.push_back(o.Number);
    EXPECT_EQ(walked, ruled);
}

// 1,000,000,000 rows typed froze the window while the print walked every
// position to find the few it prints: a span walks only those.
TEST(LabelOrigins, ASpanWalksOnlyItsPositions) {
    const int32_t max = std::numeric_limits<int32_t>::max();
    TSheetGeometry sheet = Sheet(max, max);
    sheet.HorzPitch = TMillimetres(25.4);
    std::vector<std::string> seen;
    for (const TLabelOrigin& o : LabelOrigins(sheet, k600, TPrintRange{5, true, 7, true}.Selected(sheet)))
        seen.push_back(std::to_string(o.Number) + "@" + std::to_string(o.Column) + "," + std::to_string(o.Row));
    EXPECT_EQ(seen, (std::vector<std::string>{"5@4,0", "6@5,0", "7@6,0"}));
    // Across a row end, and clipped to the page.
    sheet = Sheet(3, 2);
    seen.clear();
    for (const TLabelOrigin& o : LabelOrigins(sheet, k600, {3, 99})) seen.push_back(std::to_string(o.Number));
    EXPECT_EQ(seen, (std::vector<std::string>{"3", "4", "5", "6"}));
    EXPECT_EQ(LabelOrigins(sheet, k600, {5, 4}).size(), 0);
    EXPECT_EQ(LabelOrigins(Sheet(0, 7), k600, {1, 5}).size(), 0);
}

// Margins of 10^9 mm overflowed the printer's pixels: geometry that puts the
// labels off the paper is refused where it enters.
TEST(SheetGeometry, FitsThePaperOrIsRefused) {
    const TMillimetres a4w(210), a4h(297);
    struct Case {
        const char* Name;
        double PageLeft, PageTop, LabelLeft, LabelTop, HorzPitch, VertPitch;
        bool Fits;
    };
    const double inf = std::numeric_limits<double>::infinity();
    const Case cases[] = {
        {"A4 3 x 7", 0, 0, 2, 3, 70, 42.3, true},
        {"more columns than the paper holds", 10, 10, 0, 0, 70, 40, true},
        {"page margin of 10^9 mm", 1e9, 0, 0, 0, 70, 40, false},
        {"label margin beyond the paper", 0, 200, 0, 97, 70, 40, false},
        {"negative margin", -5, 0, 0, 0, 70, 40, false},
        {"negative label margin inside", 10, 10, -2, -2, 70, 40, true},
        {"pitch wider than the paper", 0, 0, 0, 0, 1e9, 40, false},
        {"pitch taller than the paper", 0, 0, 0, 0, 70, -298, false},
        {"not a finite number", 0, 0, inf, 0, 70, 40, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const TSheetGeometry sheet = Placed(c.PageLeft, c.PageTop, c.LabelLeft, c.LabelTop, c.HorzPitch, c.VertPitch);
        EXPECT_EQ(sheet.FitsPaper(a4w, a4h), c.Fits);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PrintRangeCount,
    ::testing::Values(RangeRow{"FullSheet", {1, true, 21, true}, 3, 7, 21},
                      RangeRow{"StopBeyondSheet", {1, true, 999, true}, 3, 7, 21},
                      RangeRow{"Middle", {5, true, 9, true}, 3, 7, 5},
                      RangeRow{"StartAfterStop", {5, true, 3, true}, 3, 7, 0},
                      RangeRow{"StartBeyondSheet", {30, true, 999, true}, 3, 7, 0},
                      // Both boxes disabled: all when 1..rows x columns is inside the range, else none.
                      RangeRow{"DisabledCoveringAll", {1, false, 21, false}, 3, 7, 21},
                      RangeRow{"DisabledStopShort", {1, false, 20, false}, 3, 7, 0},
                      RangeRow{"DisabledStartLate", {2, false, 999, false}, 3, 7, 0},
                      RangeRow{"OnlyStopDisabled", {3, true, 21, false}, 3, 7, 19},
                      RangeRow{"OnlyStartDisabled", {4, false, 10, true}, 3, 7, 0},
                      RangeRow{"OnlyStartDisabledFromOne", {1, false, 1, true}, 3, 7, 21},
                      RangeRow{"NoColumns", {1, true, 999, true}, 0, 7, 0}),
    [](const auto& info) { return std::string(info.param.Name); });

// ---------------------------------------------------------------- single label

TEST(SingleLabel, ComparesColumnAndRowAsText) {
    const TSheetGeometry sheet = Sheet(3, 2);
    struct Case {
        const char* Column;
        const char* Row;
        std::vector<int64_t> Selected;
    };
    for (const Case& c :
         {Case{"3", "2", {6}}, Case{"1", "1", {1}}, Case{"3", "01", {}}, Case{"4", "1", {}}, Case{"", "", {}},
          Case{"+1", "1", {}}, Case{"0", "1", {}}, Case{"1", "3", {}}}) {
        SCOPED_TRACE(std::string(c.Column) + ":" + c.Row);
        std::vector<int64_t> selected;
        for (const TLabelOrigin& o : LabelOrigins(sheet, k600))
            if (SingleLabelSelects(o, c.Column, c.Row)) selected.push_back(o.Number);
        EXPECT_EQ(selected, c.Selected);
        std::vector<int64_t> walked;
        for (const TLabelOrigin& o : LabelOrigins(sheet, k600, SingleLabelSpan(sheet, c.Column, c.Row)))
            walked.push_back(o.Number);
        EXPECT_EQ(walked, c.Selected);
    }
}

// ---------------------------------------------------------------- counting numbers

TEST(IncrementNumberText, KeepsTheWidth) {
    struct Case {
        const char* From;
        const char* To;
    };
    for (const Case& c : {Case{"0099", "0100"}, Case{"9", "10"}, Case{"007", "008"}, Case{"0", "1"},
                          Case{"0001", "0002"}, Case{"999999999", "1000000000"},
                          // Past 32 bits the number goes on counting.
                          Case{"2147483647", "2147483648"}, Case{"04294967295", "04294967296"},
                          // No number, or no successor in 64 bits: unchanged.
                          Case{"", ""}, Case{"12a", "12a"}, Case{"9223372036854775807", "9223372036854775807"}}) {
        SCOPED_TRACE(c.From);
        EXPECT_EQ(IncrementNumberText(c.From), c.To);
    }
}

TEST(CountingChecks, InTheirOrderOnTheTexts) {
    struct Case {
        const char* Start;
        const char* End;
        TCountingCheck Expected;
    };
    for (const Case& c :
         {Case{"0001", "0012", TCountingCheck::Ok}, Case{"09", "10", TCountingCheck::Ok},
          // Text order: 9 is greater than 10.
          Case{"9", "10", TCountingCheck::BeginNotLower}, Case{"5", "5", TCountingCheck::NoIncrement},
          Case{"12", "", TCountingCheck::BeginNotLower}, Case{"", "", TCountingCheck::NoIncrement},
          Case{"", "12", TCountingCheck::Empty}, Case{"0000000001", "0000000009", TCountingCheck::TooLong},
          Case{"000000001", "000000009", TCountingCheck::Ok}}) {
        SCOPED_TRACE(std::string(c.Start) + ".." + c.End);
        EXPECT_EQ(CheckCountingTexts(c.Start, c.End), c.Expected);
    }
}

}  // namespace
