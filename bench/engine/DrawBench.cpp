// Drawing an EAN-13 at 300 dpi on a bitmap: module building, bars and texts.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <cstdlib>

#include "engine/BarLL.h"
#include "platform/graphics/Graphics.h"

namespace {

void DrawOnBitmap(benchmark::State& state, bool text) {
    TLLBarcode bc;
    bc.Params->CodeType = EAN_13;
    bc.Params->Caption.Assign("400638133393");
    bc.Params->HumanReadable = text;
    TBitmap bitmap(600, 400);
    bitmap.SetResolution(300, 300);
    TCanvas& canvas = *bitmap.Canvas();
    TSize size;
    for (auto _ : state) {
        bc.DrawBarcode(canvas, 20, 20, &size);
        benchmark::DoNotOptimize(size);
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_DrawEAN13At300Dpi(benchmark::State& state) { DrawOnBitmap(state, true); }
void BM_DrawEAN13At300DpiBarsOnly(benchmark::State& state) { DrawOnBitmap(state, false); }

}  // namespace

BENCHMARK(BM_DrawEAN13At300Dpi);
BENCHMARK(BM_DrawEAN13At300DpiBarsOnly);

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
