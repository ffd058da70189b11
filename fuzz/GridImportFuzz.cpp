// The grid's CSV import on any file, with the import's settings taken from
// the input: a separator or detection, tilde breaks, OEM text, Append,
// import over the fixed cells, the grid's counts and old cells. The grid is
// offscreen and has no window. Nothing may crash, leak or overflow, and
// every line lands in its row as the splitter cuts it.
#include <fuzzer/FuzzedDataProvider.h>

#include <QApplication>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "grid/VsCsv.h"
#include "grid/VsGrid.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

std::string File() {
    static const std::string name = [] {
        const char* dir = std::getenv("TMPDIR");
        return std::string(dir && *dir ? dir : "/tmp") + "/varsona-import-fuzz-" + std::to_string(getpid()) + ".csv";
    }();
    return name;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const char separator = "\0,;#\t|"[in.ConsumeIntegralInRange<int>(0, 5)];
    const bool tilde = in.ConsumeBool();
    const bool oem = in.ConsumeBool();
    const bool append = in.ConsumeBool();
    const bool overFixed = in.ConsumeBool();
    const int32_t cols = in.ConsumeIntegralInRange<int32_t>(1, 8);
    const int32_t rows = in.ConsumeIntegralInRange<int32_t>(1, 8);
    const int32_t fixedCols = in.ConsumeIntegralInRange<int32_t>(0, cols - 1);
    const int32_t fixedRows = in.ConsumeIntegralInRange<int32_t>(0, rows - 1);
    const bool oldCells = in.ConsumeBool();
    const std::string text = in.ConsumeRemainingBytesAsString();
    {
        std::ofstream out(File(), std::ios::binary | std::ios::trunc);
        out << text;
    }

    TVsStringGrid grid(nullptr);
    grid.SetColCount(cols);
    grid.SetRowCount(rows);
    grid.SetFixedCols(fixedCols);
    grid.SetFixedRows(fixedRows);
    if (oldCells)
        for (int32_t r = 0; r < rows; ++r)
            for (int32_t c = 0; c < cols; ++c) grid.SetCells(c, r, "old");
    grid.SetCsvSeparator(separator);
    grid.SetCsvTildeBreaks(tilde);
    grid.SetOemConvert(oem);
    grid.SetImportFixedCells(overFixed);
    const int32_t rowsBefore = grid.RowCount();
    grid.ImportCsv(File(), append);
    Check(grid.CsvSeparator() == separator);
    Check(!grid.Importing());

    // What the import should have put where.
    const std::vector<std::string_view> lines = VsCsv::SplitLines(text);
    const char used = separator != '\0' ? separator
                                        : VsCsv::DetectSeparator(lines.empty() ? std::string_view() : lines[0],
                                                                 lines.size() < 2 ? std::string_view() : lines[1]);
    const int32_t colOffset = overFixed ? 0 : fixedCols;
    const int32_t rowOffset = append ? rowsBefore : (overFixed ? 0 : fixedRows);
    Check(grid.RowCount() >= rowOffset + static_cast<int32_t>(lines.size()));
    std::vector<std::string> fields;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string line = oem ? VsCsv::OemToUtf8(lines[i]) : std::string(lines[i]);
        VsCsv::SplitLine(line, used, tilde, fields);
        const int32_t row = rowOffset + static_cast<int32_t>(i);
        Check(grid.ColCount() >= colOffset + static_cast<int32_t>(fields.size()));
        for (size_t n = 0; n < fields.size(); ++n)
            Check(grid.Cells(colOffset + static_cast<int32_t>(n), row) == fields[n]);
        if (!append)
            for (int32_t c = colOffset + static_cast<int32_t>(fields.size()); c < grid.ColCount(); ++c)
                Check(grid.Cells(c, row).empty());
    }
    return 0;
}
