// Printing label sheets to PDF as the counting print does: 10,000 EAN-13
// labels with a caption above and below, 21 labels (3 x 7 on A4) per job,
// one job of one page per sheet. Our PDF-file printer against Qt's PDF
// engine on the same drawing path.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "engine/Barcode.h"
#include "platform/controls/QtPrinter.h"

namespace {

constexpr int kLabels = 10000;
constexpr int kColumns = 3;
constexpr int kRows = 7;
constexpr int kPerSheet = kColumns * kRows;

std::filesystem::path BenchFolder(const char* name) {
    auto p = std::filesystem::temp_directory_path() / ("varsona-printer-bench-" + std::to_string(getpid())) / name;
    std::filesystem::remove_all(p);
    std::filesystem::create_directories(p);
    return p;
}

// One sheet: the label positions of a 3 x 7 A4 template, the captions and
// the symbol, in printer pixels from the paper corner.
void PrintSheet(TPrinter& printer, TBarcode& barcode, int64_t& number, int labels) {
    printer.SetTitle("Application");
    printer.BeginDoc();
    TCanvas& canvas = *printer.Canvas();
    const long double kx = canvas.GetDeviceCaps(LOGPIXELSX) / 25.4L;
    const long double ky = canvas.GetDeviceCaps(LOGPIXELSY) / 25.4L;
    TPoint offset;
    Escape(canvas, GETPRINTINGOFFSET, 0, nullptr, &offset);
    canvas.SetViewportOrgEx(-offset.X, -offset.Y);
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kColumns; ++c) {
            if (r * kColumns + c >= labels) continue;
            canvas.Font()->SetName(barcode.Bar_Fontname());
            int32_t x = static_cast<int32_t>(Round((2 + 7) * kx + c * 70 * kx));
            int32_t y = static_cast<int32_t>(Round((3 + 15) * ky + r * 38.1L * ky));
            canvas.Font()->SetSize(8);
            canvas.TextOut(x, y, Format("No. %d", r * kColumns + c + 1));
            y += canvas.TextHeight("No. %d");
            char digits[24];
            std::snprintf(digits, sizeof digits, "%012lld", static_cast<long long>(number++));
            barcode.SetBar_Caption(digits);
            TSize size;
            barcode.LoMetricPrint(canvas, x, y, &size);
            y += size.cy;
            canvas.Font()->SetSize(8);
            canvas.TextOut(x, y, "Batch 2.17");
        }
    printer.EndDoc();
}

void RunJobs(benchmark::State& state, TPrinter& printer, int labels, const std::filesystem::path& folder,
             const std::function<void()>& betweenRuns) {
    TBarcode barcode(nullptr);
    barcode.SetBar_CodeType(EAN_13);
    barcode.SetBar_ModuleWidth(SC2);
    for (auto _ : state) {
        int64_t number = 400000000001;
        for (int done = 0; done < labels; done += kPerSheet) PrintSheet(printer, barcode, number, std::min(kPerSheet, labels - done));
        state.PauseTiming();
        betweenRuns();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * labels);
    state.counters["jobs"] = (labels + kPerSheet - 1) / kPerSheet;
}

void BM_PdfFilePrinter10000Labels(benchmark::State& state) {
    auto folder = BenchFolder("ours");
    auto pdf = std::make_unique<TPdfFilePrinter>();
    pdf->SetOutputFolder(folder.string());
    std::vector<std::unique_ptr<TPrinterBackend>> list;
    list.push_back(std::move(pdf));
    TPrinter printer(std::move(list));
    RunJobs(state, printer, kLabels, folder, [&] {
        for (const auto& e : std::filesystem::directory_iterator(folder)) std::filesystem::remove(e.path());
    });
    std::filesystem::remove_all(folder);
}

// Qt's PDF engine writes one file per printer object; each job replaces it.
void BM_QtPdfEngine420Labels(benchmark::State& state) {
    auto folder = BenchFolder("qt");
    std::vector<std::unique_ptr<TPrinterBackend>> list;
    list.push_back(CreateQtPdfPrinter("Qt PDF", (folder / "qt.pdf").string(), TPageSetup{}));
    TPrinter printer(std::move(list));
    RunJobs(state, printer, 20 * kPerSheet, folder, [] {});
    std::filesystem::remove_all(folder);
}

// The same drawing with nothing written: what the engine and canvas cost.
void BM_Recording10000Labels(benchmark::State& state) {
    std::vector<std::unique_ptr<TPrinterBackend>> list;
    auto rec = std::make_unique<TRecordingPrinter>();
    TRecordingPrinter* recorder = rec.get();
    list.push_back(std::move(rec));
    TPrinter printer(std::move(list));
    RunJobs(state, printer, kLabels, {}, [&] { recorder->Clear(); });
}

}  // namespace

BENCHMARK(BM_PdfFilePrinter10000Labels)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_QtPdfEngine420Labels)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_Recording10000Labels)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
