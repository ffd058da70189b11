// The line sizes of a grid at 10,000,000 rows: one row height differs from
// the default, then the places of rows are asked for as scrolling asks for
// them. Alone (the axis) and in the string grid shown in an offscreen
// window (set the height, scroll through the table painting each view,
// delete and insert a row above the one that differs, hide rows above it
// and bring them back). The heap the sizes
// take is given as heap_MB (grown from before the height was set).
#include "bench/BenchMain.h"

#include <malloc.h>

#include <QApplication>
#include <algorithm>
#include <cstdint>
#include <memory>

#include "bench/grid/BenchGrid.h"
#include "grid/VsGrid.h"
#include "platform/controls/GridModel.h"
#include "platform/controls/qt/ControlsQt.h"

namespace {

constexpr int32_t kTenMillion = 10000000;
constexpr int32_t kOdd = kTenMillion / 2 + 7;

double HeapMB() {
    const struct mallinfo2 m = mallinfo2();
    return static_cast<double>(m.uordblks + m.hblkhd) / 1e6;
}

// An axis of ten million lines of 24 pixels.
std::unique_ptr<TGridAxis> TenMillionLines() {
    auto axis = std::make_unique<TGridAxis>(24);
    axis->SetCount(kTenMillion);
    return axis;
}

// One size set, then the extent and one place, as the scroll range asks.
void BM_Axis10M_OneSize(benchmark::State& state) {
    double grown = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto axis = TenMillionLines();
        const double before = HeapMB();
        state.ResumeTiming();
        axis->SetSize(kOdd, 40);
        benchmark::DoNotOptimize(axis->Offset(kTenMillion));
        benchmark::DoNotOptimize(axis->Offset(kOdd + 1));
        state.PauseTiming();
        grown = HeapMB() - before;
        if (axis->Offset(kTenMillion) != int64_t{kTenMillion} * 24 + 16) state.SkipWithError("wrong extent");
        axis.reset();
        state.ResumeTiming();
    }
    state.counters["heap_MB"] = grown;
}

// Every line given a size of its own in order, the extent asked after each
// (as sizing every row to its text does).
void BM_Axis10M_EverySize(benchmark::State& state) {
    double grown = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto axis = TenMillionLines();
        const double before = HeapMB();
        state.ResumeTiming();
        for (int32_t i = 0; i < kTenMillion; ++i) {
            axis->SetSize(i, 10 + i % 30);
            benchmark::DoNotOptimize(axis->Offset(kTenMillion));
        }
        state.PauseTiming();
        grown = HeapMB() - before;
        axis.reset();
        state.ResumeTiming();
    }
    state.counters["heap_MB"] = grown;
}

// Places of lines spread over the axis, one size set.
void BM_Axis10M_Offsets(benchmark::State& state) {
    TGridAxis axis(24);
    axis.SetCount(kTenMillion);
    axis.SetSize(kOdd, 40);
    uint32_t at = 1;
    for (auto _ : state) {
        at = at * 1664525u + 1013904223u;
        benchmark::DoNotOptimize(axis.Offset(static_cast<int32_t>(at % kTenMillion)));
    }
    state.SetItemsProcessed(state.iterations());
}

// Places of lines, every line of a 100,000 line axis set to its own size.
void BM_AxisDense_Offsets(benchmark::State& state) {
    TGridAxis axis(24);
    axis.SetCount(100000);
    for (int32_t i = 0; i < 100000; ++i) axis.SetSize(i, 10 + i % 30);
    uint32_t at = 1;
    for (auto _ : state) {
        at = at * 1664525u + 1013904223u;
        benchmark::DoNotOptimize(axis.Offset(static_cast<int32_t>(at % 100000)));
    }
    state.SetItemsProcessed(state.iterations());
}

struct TTenMillion : benchgrid::TGridWindow<TVsStringGrid> {
    TTenMillion() {
        Grid->SetRowCount(kTenMillion + 1);
        Show();
    }
    void Paint() {
        Grid->Invalidate();
        CoordinateWidget(Grid)->repaint();
    }
};

// Set one row's height, then scroll through the table: 100 views, each
// painted.
void BM_Grid10M_OneHeightScroll(benchmark::State& state) {
    double grown = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto grid = std::make_unique<TTenMillion>();
        const double before = HeapMB();
        state.ResumeTiming();
        grid->Grid->SetRowHeights(kOdd, 40);
        for (int32_t top = 1; top < kTenMillion; top += kTenMillion / 100) {
            grid->Grid->SetTopRow(top);
            grid->Paint();
        }
        state.PauseTiming();
        grown = HeapMB() - before;
        if (grid->Grid->RowHeights(kOdd) != 40) state.SkipWithError("height lost");
        grid.reset();
        state.ResumeTiming();
    }
    state.counters["heap_MB"] = grown;
}

// Delete and insert a row above the one that differs, 5 times each; its
// height moves with it.
void BM_Grid10M_DeleteInsertRow(benchmark::State& state) {
    auto grid = std::make_unique<TTenMillion>();
    grid->Grid->SetRowHeights(kOdd, 40);
    for (auto _ : state) {
        for (int i = 0; i < 5; ++i) grid->Grid->DeleteRows(10, 1);
        for (int i = 0; i < 5; ++i) grid->Grid->InsertRows(10, 1);
    }
    if (grid->Grid->RowHeights(kOdd) != 40 || grid->Grid->RowHeights(kOdd - 5) != grid->Grid->DefaultRowHeight())
        state.SkipWithError("height not moved with its row");
    state.SetItemsProcessed(state.iterations() * 10);
}

// Hide ten rows above the one that differs and bring them back, 5 times.
void BM_Grid10M_HideUnhide(benchmark::State& state) {
    auto grid = std::make_unique<TTenMillion>();
    grid->Grid->SetRowHeights(kOdd, 40);
    double grown = 0;
    for (auto _ : state) {
        const double before = HeapMB();
        for (int i = 0; i < 5; ++i) {
            grid->Grid->HideRowList({10, 12, 14, 16, 18, 20, 22, 24, 26, 28});
            grown = std::max(grown, HeapMB() - before);
            grid->Grid->UnhideAllRows();
        }
    }
    if (grid->Grid->RowHeights(kOdd) != 40 || grid->Grid->RowCount() != kTenMillion + 1)
        state.SkipWithError("height not back with its row");
    state.counters["heap_MB"] = grown;
    state.SetItemsProcessed(state.iterations() * 10);
}

}  // namespace

BENCHMARK(BM_Axis10M_OneSize)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Axis10M_EverySize)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Axis10M_Offsets)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_AxisDense_Offsets)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_Grid10M_OneHeightScroll)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_Grid10M_DeleteInsertRow)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_Grid10M_HideUnhide)->Unit(benchmark::kMillisecond)->Iterations(2);

int main(int argc, char** argv) { return RunQtBenchmarks(argc, argv); }
