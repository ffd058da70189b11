// Caption to modules: text preparation, check digit and encoding.
#include <benchmark/benchmark.h>

#include "engine/BarLL.h"

namespace {

void EncodeSymbol(benchmark::State& state, btCodeTypes type, const char* caption) {
    TLLBarcode bc;
    bc.Params->CodeType = type;
    bc.Params->Caption.Assign(caption);
    for (auto _ : state) {
        bc.MakeModules();
        benchmark::DoNotOptimize(bc.Modules.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_EncodeEAN13(benchmark::State& state) { EncodeSymbol(state, EAN_13, "400638133393"); }
void BM_EncodeCode128B(benchmark::State& state) { EncodeSymbol(state, CODE128_B, "Hello World 0123456789"); }
void BM_EncodeCode39(benchmark::State& state) { EncodeSymbol(state, CODE39, "CODE 39 SAMPLE"); }

}  // namespace

BENCHMARK(BM_EncodeEAN13);
BENCHMARK(BM_EncodeCode128B);
BENCHMARK(BM_EncodeCode39);
