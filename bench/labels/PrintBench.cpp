// 10,000 counting labels on an A4 sheet of 3 x 7 EAN-13 labels with a prefix
// and a suffix: 477 print jobs of one page each. To the PDF printer (in the
// standard Helvetica for Arial, and in a face it embeds), and to a printer
// that draws nowhere, which leaves our side of the work alone.
#include "bench/BenchMain.h"
#include "bench/labels/CountingSheet.h"

#include <filesystem>
#include <memory>

#include "labels/Unit4.h"
#include "platform/controls/Forms.h"
#include "platform/graphics/CanvasDevice.h"
#include "platform/printing/Printers.h"
#include "platform/runtime/SysUtils.h"

namespace {

TCountingSheet Sheet;

// A page that takes every call and keeps nothing.
class TNullDevice : public TCanvasDevice {
public:
    int32_t LogPixelsX() const override { return 600; }
    int32_t LogPixelsY() const override { return 600; }
    TSize PixelSize() const override { return {4961, 7016}; }
    void FillRect(const TRect&, const TDeviceBrush&) override {}
    void Polyline(const std::vector<TPoint>&, const TDevicePen&) override {}
    void Polygon(const std::vector<TPoint>&, const TDevicePen*, const TDeviceBrush*) override {}
    void Ellipse(const TRect&, const TDevicePen*, const TDeviceBrush*) override {}
    void TextOut(int32_t, int32_t, const std::string&, const TDeviceFont&, uint32_t, bool, TColor) override {}
    void DrawImage(const TRect&, const TDeviceImage&, const TRect&, bool, TColor) override {}
    void SetClip(const TRect*) override {}
};

class TNullPrinter : public TPrinterBackend {
public:
    std::string Name() const override { return "Null"; }
    TPageGeometry Geometry(TPrinterOrientation) const override {
        TPageGeometry g;
        g.Paper = {4961, 7016};
        g.Printable = {0, 0, 4961, 7016};
        return g;
    }
    TCanvasDevice* BeginDoc(const TPrintJobInfo&) override { return &FDevice; }
    TCanvasDevice* NewPage() override { return &FDevice; }
    void EndDoc() override {}
    void Abort() override {}

private:
    TNullDevice FDevice;
};

void StartWindows() {
    SetTickCountSource([t = uint32_t{1000}]() mutable { return t += 250; });
    Sheet.Start("/tmp/varsona-labels-bench-XXXXXX");
}

void PrintCountingRun(benchmark::State& state, std::unique_ptr<TPrinterBackend> backend) {
    std::vector<std::unique_ptr<TPrinterBackend>> list;
    list.push_back(std::move(backend));
    SetPrinter(std::make_unique<TPrinter>(std::move(list), 0));
    const std::string out = Sheet.Root + "/out/";
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove_all(out);
        std::filesystem::create_directories(out);
        state.ResumeTiming();
        frmLabels->btnPrintSeq->Click();
    }
    state.SetItemsProcessed(state.iterations() * 10000);
    SetPrinter(nullptr);
}

void BM_Counting10000LabelsToPdf(benchmark::State& state) {
    auto pdf = std::make_unique<TPdfFilePrinter>();
    pdf->SetOutputFolder(Sheet.Root + "/out/");
    PrintCountingRun(state, std::move(pdf));
    state.counters["files"] = static_cast<double>(
        std::distance(std::filesystem::directory_iterator(Sheet.Root + "/out/"), std::filesystem::directory_iterator()));
}

// The same run with the symbol's text and the captions in a face that every
// file embeds.
void BM_Counting10000LabelsToPdfEmbeddedFont(benchmark::State& state) {
    const std::string font = Form1->Barcode1->Bar_Fontname();
    Form1->Barcode1->SetBar_Fontname("DejaVu Serif");
    BM_Counting10000LabelsToPdf(state);
    Form1->Barcode1->SetBar_Fontname(font);
}

void BM_Counting10000LabelsToNowhere(benchmark::State& state) {
    PrintCountingRun(state, std::make_unique<TNullPrinter>());
}

}  // namespace

BENCHMARK(BM_Counting10000LabelsToPdf)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Counting10000LabelsToPdfEmbeddedFont)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Counting10000LabelsToNowhere)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv) {
    return RunQtBenchmarks(argc, argv, StartWindows, [] { Sheet.Finish(); });
}
