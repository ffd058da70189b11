// Label data files loaded into the label sheet window's table, beside
// Python's csv.reader reading the same file into lists in the same run:
// 271,397 rows of 15 fields (50 MB, quoted captions with commas and doubled
// quotes), and ten million empty lines. The table's memory is the growth of
// the heap in use over the load, beside the file's size.
#include "bench/BenchMain.h"
#include "bench/labels/CountingSheet.h"

#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "grid/VsGrid.h"
#include "labels/Unit4.h"
#include "platform/controls/Dialogs.h"

namespace {

TCountingSheet Sheet;

// Heap in use now, MB.
double HeapMB() {
    const struct mallinfo2 m = mallinfo2();
    return static_cast<double>(m.uordblks + m.hblkhd) / 1e6;
}

std::string LabelFile() {
    const std::string path = Sheet.Root + "/labels-50mb.csv";
    if (std::filesystem::exists(path)) return path;
    std::ofstream out(path, std::ios::binary);
    char line[512];
    for (int n = 1; n <= 271397; ++n) {
        std::snprintf(line, sizeof line,
                      "EAN_13,4006%05d123,\" \",Arial,SC2,100,100,2:1,TRUE,FALSE,000,\"Box %d, shelf %d of \"\"store\"\" "
                      "%d\",8,\"Bolt, M6 \"\"hex\"\" #%d, zinc plated, lot %d, packed by line %d\",8\r\n",
                      n % 100000, n, n % 97, n % 13, n, n * 7, n % 5);
        out << line;
    }
    return path;
}

std::string EmptyLinesFile() {
    const std::string path = Sheet.Root + "/empty-lines.csv";
    if (std::filesystem::exists(path)) return path;
    std::ofstream out(path, std::ios::binary);
    std::string lines;
    for (int i = 0; i < 100000; ++i) lines += "\r\n";
    for (int i = 0; i < 100; ++i) out << lines;
    return path;
}

void Load(benchmark::State& state, const std::string& file) {
    TVsStringGrid& table = *frmLabels->StringGrid1;
    double grown = 0;
    for (auto _ : state) {
        state.PauseTiming();
        table.SetRowCount(2);
        for (int32_t c = 1; c < table.ColCount(); ++c) table.SetCells(c, 1, "");
        const double before = HeapMB();
        Sheet.Dialogs->AnswerOpen(file);
        state.ResumeTiming();
        frmLabels->Button6->Click();
        state.PauseTiming();
        grown = std::max(grown, HeapMB() - before);
        state.ResumeTiming();
    }
    const double mb = static_cast<double>(std::filesystem::file_size(file)) / 1e6;
    state.counters["file_MB"] = mb;
    state.counters["rows"] = table.RowCount() - 1;
    state.counters["table_MB"] = grown;
    state.counters["MB/s"] = benchmark::Counter(mb, benchmark::Counter::kIsIterationInvariantRate);
    if (!Sheet.Dialogs->Messages().empty()) state.SkipWithError(Sheet.Dialogs->Messages().back().c_str());
    table.SetRowCount(2);
}

// Python's csv.reader on the same file, its rows kept in a list; only its
// reading is timed (the interpreter's start is not).
void Python(benchmark::State& state, const std::string& file) {
    const std::string script = Sheet.Root + "/read.py";
    {
        std::ofstream out(script);
        out << "import csv, sys, time\n"
               "t = time.perf_counter()\n"
               "with open(sys.argv[1], newline='', encoding='utf-8') as f:\n"
               "    rows = list(csv.reader(f))\n"
               "print(time.perf_counter() - t, len(rows))\n";
    }
    long rows = 0;
    for (auto _ : state) {
        FILE* p = popen(("python3 '" + script + "' '" + file + "'").c_str(), "r");
        double seconds = 0;
        if (!p || std::fscanf(p, "%lf %ld", &seconds, &rows) != 2) {
            if (p) pclose(p);
            state.SkipWithError("python3 did not run");
            return;
        }
        pclose(p);
        state.SetIterationTime(seconds);
    }
    const double mb = static_cast<double>(std::filesystem::file_size(file)) / 1e6;
    state.counters["rows"] = static_cast<double>(rows);
    state.counters["MB/s"] = benchmark::Counter(mb, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_LoadLabelData50MB(benchmark::State& state) { Load(state, LabelFile()); }
void BM_PythonCsvReader50MB(benchmark::State& state) { Python(state, LabelFile()); }
void BM_LoadTenMillionEmptyLines(benchmark::State& state) { Load(state, EmptyLinesFile()); }
void BM_PythonCsvReaderTenMillionEmptyLines(benchmark::State& state) { Python(state, EmptyLinesFile()); }

// A file of the caller's (VARSONA_BENCH_LABEL_FILE), loaded once: for a
// look at very large files under a memory limit (make_label_file.py beside
// this file writes 13.4 million lines, 1 GB). The old table is one row.
void BM_LoadGivenFile(benchmark::State& state) {
    const char* file = std::getenv("VARSONA_BENCH_LABEL_FILE");
    TVsStringGrid& table = *frmLabels->StringGrid1;
    table.SetRowCount(2);
    table.SetCells(1, 1, "OLD");
    for (auto _ : state) {
        Sheet.Dialogs->AnswerOpen(file);
        GuardedCall(frmLabels->Button6, [] { frmLabels->Button6->Click(); });
    }
    state.counters["rows"] = table.RowCount() - 1;
    state.counters["heap_MB"] = HeapMB();
    state.counters["old_kept"] = table.RowCount() == 2 && table.Cells(1, 1) == "OLD";
    if (!Sheet.Dialogs->Messages().empty()) state.SetLabel(Sheet.Dialogs->Messages().back());
}

}  // namespace

BENCHMARK(BM_LoadLabelData50MB)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PythonCsvReader50MB)->Unit(benchmark::kMillisecond)->Iterations(3)->UseManualTime();
BENCHMARK(BM_LoadTenMillionEmptyLines)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_PythonCsvReaderTenMillionEmptyLines)->Unit(benchmark::kMillisecond)->Iterations(1)->UseManualTime();

int main(int argc, char** argv) {
    if (std::getenv("VARSONA_BENCH_LABEL_FILE"))
        benchmark::RegisterBenchmark("BM_LoadGivenFile", BM_LoadGivenFile)->Unit(benchmark::kMillisecond)->Iterations(1);
    return RunQtBenchmarks(argc, argv, [] { Sheet.Start("/tmp/varsona-load-bench-XXXXXX"); }, [] { Sheet.Finish(); });
}
