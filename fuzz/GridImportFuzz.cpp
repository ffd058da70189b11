// The grid's CSV import into a cell store, without a grid or a window: any
// file, with the import's settings taken from the input (a separator or
// detection, tilde breaks, OEM text, Append, offsets) and old cells in the
// store. Nothing may crash, leak or overflow; every line lands in its row
// as the splitter cuts it (a line that is no UTF-8 read as Windows-1252), the cells right of it emptied unless appending,
// and the counts hold every line.
#include <fcntl.h>
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "grid/VsCsv.h"
#include "platform/controls/GridModel.h"
#include "platform/runtime/SysUtils.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

const std::string& File() {
    static const std::string name = [] {
        const char* dir = std::getenv("TMPDIR");
        return std::string(dir && *dir ? dir : "/tmp") + "/varsona-import-fuzz-" + std::to_string(getpid()) + ".csv";
    }();
    return name;
}

void WriteInput(const std::string& text) {
    const int fd = ::open(File().c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    Check(fd >= 0);
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        Check(n > 0);
        done += static_cast<size_t>(n);
    }
    ::close(fd);
}

// A cell store with the counts of a string grid: what lies beyond a lowered
// count is gone.
class TStore : public VsCsv::TCsvTarget {
public:
    int32_t ColCount() override { return Cols; }
    void SetColCount(int32_t n) override {
        Check(n >= 0 && n < 100000);
        if (n < Cols) Model.TruncateCols(n);
        Cols = n;
    }
    int32_t RowCount() override { return Rows; }
    void SetRowCount(int32_t n) override {
        Check(n >= 0 && n < 100000);
        if (n < Rows || Model.RowSlots() < n) Model.SetRowSlots(n);
        Rows = n;
    }
    void SetLine(int32_t row, int32_t col, std::vector<std::string>& fields, bool clearRest) override {
        Check(row >= 0 && row < Rows && col >= 0 && col + static_cast<int32_t>(fields.size()) <= Cols);
        Model.SetRowTexts(row, col, fields, clearRest);
    }
    void SeparatorChosen(char s) override { Separator = s; }
    void LineDone(int32_t done, int32_t total) override {
        Check(done == ++Lines && done <= total);
    }
    TGridModel Model;
    int32_t Cols = 0, Rows = 0, Lines = 0;
    char Separator = '\1';
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    VsCsv::TCsvImport options;
    options.Separator = "\0,;#\t|"[in.ConsumeIntegralInRange<int>(0, 5)];
    options.TildeBreaks = in.ConsumeBool();
    options.OemConvert = in.ConsumeBool();
    options.Append = in.ConsumeBool();
    options.ColOffset = in.ConsumeIntegralInRange<int32_t>(0, 3);
    options.RowOffset = in.ConsumeIntegralInRange<int32_t>(0, 3);
    options.MinRows = in.ConsumeIntegralInRange<int32_t>(1, 4);
    TStore store;
    store.SetColCount(in.ConsumeIntegralInRange<int32_t>(1, 8));
    store.SetRowCount(in.ConsumeIntegralInRange<int32_t>(1, 8));
    if (in.ConsumeBool())
        for (int32_t r = 0; r < store.Rows; ++r)
            for (int32_t c = 0; c < store.Cols; ++c) store.Model.SetCell(c, r, "old");
    const std::string text = in.ConsumeRemainingBytesAsString();
    WriteInput(text);

    const int32_t rowsBefore = store.Rows;
    VsCsv::TCsvFile file(File());
    file.Import(options, store);

    // What should have gone where.
    const std::vector<std::string_view> lines = VsCsv::SplitLines(text);
    Check(file.LineCount() == lines.size());
    Check(store.Lines == static_cast<int32_t>(lines.size()));
    const char used =
        options.Separator != '\0'
            ? options.Separator
            : VsCsv::DetectSeparator(lines.empty() ? std::string_view() : lines[0],
                                     lines.size() < 2 ? std::string_view() : lines[1]);
    Check(store.Separator == used);
    const int32_t rowOffset = options.Append ? rowsBefore : options.RowOffset;
    Check(store.Rows >= std::max(options.MinRows, rowOffset + static_cast<int32_t>(lines.size())));
    std::vector<std::string> fields;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string line = options.OemConvert       ? VsCsv::OemToUtf8(lines[i])
                                 : IsValidUtf8(lines[i]) ? std::string(lines[i])
                                                         : Cp1252ToUtf8(lines[i]);
        VsCsv::SplitLine(line, used, options.TildeBreaks, fields);
        const int32_t row = rowOffset + static_cast<int32_t>(i);
        Check(store.Cols >= options.ColOffset + static_cast<int32_t>(fields.size()));
        for (size_t n = 0; n < fields.size(); ++n)
            Check(store.Model.Cell(options.ColOffset + static_cast<int32_t>(n), row) == fields[n]);
        if (!options.Append)
            for (int32_t c = options.ColOffset + static_cast<int32_t>(fields.size()); c < store.Cols + 2; ++c)
                Check(store.Model.Cell(c, row).empty());
    }
    // Nothing of the store lies beyond its counts.
    Check(store.Model.RowSlots() <= std::max(store.Rows, rowsBefore));
    for (int32_t r = 0; r < store.Model.RowSlots(); ++r)
        if (const TGridRow* unit = store.Model.Row(r)) Check(!unit->Empty() && unit->Count() <= store.Cols);
    return 0;
}
