// The grid's CSV import of 100,000 lines of 16 fields (about 10 MB) with
// the progress event, and Qt's QTableWidget filled from the same file by
// the same line reader and splitter in the same run; a label data file of 10,000 rows loaded and
// printed to the PDF printer beside the 10,000 counting labels of the same
// A4 sheet of 3 x 7 EAN-13 labels (the label-sheet benchmark's run).
#include "bench/BenchMain.h"
#include "bench/labels/CountingSheet.h"

#include <QApplication>
#include <QTableWidget>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string_view>
#include <vector>

#include <unistd.h>

#include "grid/VsCsv.h"
#include "grid/VsGrid.h"
#include "labels/Unit4.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/Forms.h"
#include "platform/printing/Printers.h"

namespace {

TCountingSheet Sheet;

void Start() {
    Sheet.Start("/tmp/varsona-import-bench-XXXXXX");
}

// ---------------------------------------------------------------- CSV import

std::string CsvFile() {
    const std::string path = Sheet.Root + "/big.csv";
    if (std::filesystem::exists(path)) return path;
    std::ofstream out(path, std::ios::binary);
    char field[32];
    for (int r = 0; r < 100000; ++r) {
        for (int c = 0; c < 16; ++c) {
            if (c == 3) std::snprintf(field, sizeof field, "\"n%d, \"\"q\"\"\"", r);
            else std::snprintf(field, sizeof field, "%d", (r * 16 + c) % 100000);
            out << (c ? "," : "") << field;
        }
        out << "\r\n";
    }
    return path;
}

// Resident memory in MB.
double ResidentMB() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1e6;
}

void BM_ImportCsv100000x16(benchmark::State& state) {
    const std::string file = CsvFile();
    const double before = ResidentMB();
    TForm form(nullptr);
    form.SetBounds(0, 0, 800, 600);
    auto* grid = new TVsStringGrid(&form);
    grid->SetParent(&form);
    grid->SetBounds(0, 0, 780, 580);
    form.Show();
    int64_t reports = 0;
    grid->OnFileProgress = [&](TObject*, int16_t) { ++reports; };
    for (auto _ : state) {
        state.PauseTiming();
        grid->SetRowCount(2);
        grid->SetColCount(2);
        state.ResumeTiming();
        grid->ImportCsvFile(file);
    }
    state.counters["MB"] = static_cast<double>(std::filesystem::file_size(file)) / 1e6;
    state.counters["rows"] = grid->RowCount();
    state.counters["reports"] = static_cast<double>(reports) / static_cast<double>(state.iterations());
    // What the filled grid holds beyond the empty one.
    state.counters["residentMB"] = ResidentMB() - before;
    form.Hide();
}

// The same file into a shown QTableWidget of the same size: the same line
// reader, separator detection and splitter, one item per field.
void BM_ImportCsv100000x16_QTableWidget(benchmark::State& state) {
    const std::string file = CsvFile();
    const double before = ResidentMB();
    QTableWidget table(2, 2);
    table.resize(780, 580);
    table.show();
    QApplication::processEvents();
    std::vector<std::string> fields;
    for (auto _ : state) {
        state.PauseTiming();
        table.setRowCount(2);
        table.setColumnCount(2);
        table.clearContents();
        state.ResumeTiming();
        VsCsv::TLineReader reader(file);
        std::string first, second;
        int rows = 0;
        std::string_view line;
        while (reader.Next(line)) {
            if (rows == 0) first = line;
            else if (rows == 1) second = line;
            ++rows;
        }
        reader.Rewind();
        const char separator = VsCsv::DetectSeparator(first, second);
        table.setRowCount(rows);
        for (int r = 0; r < rows && reader.Next(line); ++r) {
            VsCsv::SplitLine(line, separator, false, fields);
            const int width = static_cast<int>(fields.size());
            if (table.columnCount() < width) table.setColumnCount(width);
            for (int c = 0; c < width; ++c) {
                const std::string& f = fields[static_cast<size_t>(c)];
                const QString text = QString::fromUtf8(f.data(), static_cast<qsizetype>(f.size()));
                table.setItem(r, c, new QTableWidgetItem(text));
            }
        }
        QApplication::processEvents();
    }
    state.counters["rows"] = table.rowCount();
    state.counters["residentMB"] = ResidentMB() - before;
}

// ---------------------------------------------------------------- label data against counting

void UsePdf() {
    auto pdf = std::make_unique<TPdfFilePrinter>();
    pdf->SetOutputFolder(Sheet.Root + "/out/");
    std::vector<std::unique_ptr<TPrinterBackend>> list;
    list.push_back(std::move(pdf));
    SetPrinter(std::make_unique<TPrinter>(std::move(list), 0));
}

void FreshOut() {
    std::filesystem::remove_all(Sheet.Root + "/out/");
    std::filesystem::create_directories(Sheet.Root + "/out/");
}

void BM_Counting10000LabelsToPdf(benchmark::State& state) {
    UsePdf();
    for (auto _ : state) {
        state.PauseTiming();
        FreshOut();
        state.ResumeTiming();
        frmLabels->btnPrintSeq->Click();
    }
    SetPrinter(nullptr);
}

// The same 10,000 symbols, one data row each, loaded from the file and
// printed as one job of 477 pages.
void BM_LabelData10000RowsLoadAndPrintToPdf(benchmark::State& state) {
    const std::string file = Sheet.Root + "/labels.csv";
    {
        std::ofstream out(file, std::ios::binary);
        char data[16];
        for (int n = 1; n <= 10000; ++n) {
            std::snprintf(data, sizeof data, "4006%05d123", n);
            out << "EAN_13," << data << ",\" \",Arial,SC2,100,100,2:1,TRUE,FALSE,000,\"No. %d\",8,\" \",8\r\n";
        }
    }
    UsePdf();
    for (auto _ : state) {
        state.PauseTiming();
        FreshOut();
        Sheet.Dialogs->AnswerOpen(file);
        state.ResumeTiming();
        frmLabels->Button6->Click();
        frmLabels->Button5->Click();
    }
    SetPrinter(nullptr);
    if (!Sheet.Dialogs->Messages().empty()) state.SkipWithError(Sheet.Dialogs->Messages().back().c_str());
}

}  // namespace

BENCHMARK(BM_ImportCsv100000x16)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ImportCsv100000x16_QTableWidget)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Counting10000LabelsToPdf)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_LabelData10000RowsLoadAndPrintToPdf)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv) {
    return RunQtBenchmarks(argc, argv, Start, [] { Sheet.Finish(); });
}
