// An EAN-13 worth of drawing (30 bars, three text pieces) on a 300 dpi
// bitmap, the barcode engine's hot path; plus its parts alone.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <cstdlib>

#include "platform/graphics/Graphics.h"

namespace {

void DrawSymbol(TCanvas& c, int i) {
    c.Brush()->SetColor(clBlack);
    c.Brush()->SetStyle(bsSolid);
    c.SetTextAlign(TA_CENTER | TA_TOP);
    c.Font()->SetName("Arial");
    c.Font()->SetHeight(53);
    for (int bar = 0; bar < 30; ++bar) {
        int left = 40 + bar * 14;
        c.FillRect({left, 10, left + 4 + (bar % 3) * 4, 280});
    }
    c.Brush()->SetColor(clWhite);
    c.Brush()->SetStyle(bsClear);
    c.SetBkColor(clWhite);
    c.SetBkMode(TRANSPARENT);
    c.TextOut(20, 270, "5");
    c.TextOut(140, 270, i % 2 ? "901234" : "901235");
    c.TextOut(330, 270, "123457");
}

void BM_Ean13OnBitmap300(benchmark::State& state) {
    TBitmap bitmap(560, 340);
    bitmap.SetResolution(300, 300);
    TCanvas& c = *bitmap.Canvas();
    int i = 0;
    for (auto _ : state) DrawSymbol(c, i++);
    bitmap.ScanLine(0);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Ean13OnBitmap300);

void BM_FillRect(benchmark::State& state) {
    TBitmap bitmap(560, 340);
    TCanvas& c = *bitmap.Canvas();
    c.Brush()->SetColor(clBlack);
    for (auto _ : state) c.FillRect({40, 10, 48, 280});
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FillRect);

void BM_TextOut(benchmark::State& state) {
    TBitmap bitmap(560, 340);
    TCanvas& c = *bitmap.Canvas();
    c.Font()->SetHeight(53);
    c.Brush()->SetStyle(bsClear);
    c.SetTextAlign(TA_CENTER | TA_TOP);
    for (auto _ : state) c.TextOut(140, 270, "901234");
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TextOut);

void BM_TextWidth(benchmark::State& state) {
    TCanvas c;
    c.Font()->SetHeight(53);
    for (auto _ : state) benchmark::DoNotOptimize(c.TextHeight("Ay"));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TextWidth);

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
