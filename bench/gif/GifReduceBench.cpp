// Colour reduction of a 2048 x 2048 photograph-like picture against
// ImageMagick on the same pixels in the same run: the octree to 256 colours
// without dithering and with Floyd-Steinberg, the web palette with dithering,
// and a 24-bit bitmap assigned to a frame (the image's shipped reduction).
// ImageMagick's figures are whole runs of convert-im6.q16 on a PPM file
// written to null:, so they include starting and reading the file; the
// "read only" row is that part alone.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "gif/VsGifColor.h"
#include "tests/gif/PhotoImage.h"

namespace {

constexpr int kSize = 2048;

const phototest::TRgbImage& Photo() {
    static const phototest::TRgbImage photo = phototest::PhotoLike(kSize, kSize);
    return photo;
}

TBitmap& Source() {
    static const std::unique_ptr<TBitmap> bitmap = phototest::ToBitmap(Photo());
    return *bitmap;
}

const std::string& PhotoFile() {
    static const std::string path = [] {
        const char* tmp = std::getenv("TMPDIR");
        std::string p = std::string(tmp && *tmp ? tmp : "/tmp") + "/varsona-gif-reduce-bench.ppm";
        std::ofstream(p, std::ios::binary) << phototest::Ppm(Photo());
        return p;
    }();
    return path;
}

void Reduce(benchmark::State& state, uint8_t mode, uint8_t dither) {
    TBitmap& source = Source();
    for (auto _ : state) {
        auto result = ReduceBitmapColors(source, mode, dither, 8);
        benchmark::DoNotOptimize(result->ScanLine(0));
    }
    state.SetItemsProcessed(state.iterations() * kSize * kSize);
}

void BM_OctreeNearest(benchmark::State& state) { Reduce(state, ReduceOctree, DitherNearest); }
void BM_OctreeFloydSteinberg(benchmark::State& state) { Reduce(state, ReduceOctree, DitherFloydSteinberg); }
void BM_WebFloydSteinberg(benchmark::State& state) { Reduce(state, ReduceWeb216, DitherFloydSteinberg); }

void BM_AssignBitmapToFrame(benchmark::State& state) {
    TBitmap& source = Source();
    TVsGifImage image;
    for (auto _ : state) {
        TVsGifSubImage frame(&image);
        frame.Assign(&source);
        benchmark::DoNotOptimize(frame.Data());
    }
    state.SetItemsProcessed(state.iterations() * kSize * kSize);
}

void Magick(benchmark::State& state, const std::string& options) {
    const std::string command =
        "convert-im6.q16 '" + PhotoFile() + "' " + options + " null: >/dev/null 2>&1";
    if (std::system("command -v convert-im6.q16 >/dev/null 2>&1") != 0) {
        state.SkipWithError("convert-im6.q16 is not installed");
        return;
    }
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("convert-im6.q16 failed");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    state.SetItemsProcessed(state.iterations() * kSize * kSize);
}

void BM_MagickNoDither256(benchmark::State& state) { Magick(state, "+dither -colors 256"); }
void BM_MagickFloydSteinberg256(benchmark::State& state) { Magick(state, "-dither FloydSteinberg -colors 256"); }
void BM_MagickWebFloydSteinberg(benchmark::State& state) { Magick(state, "-dither FloydSteinberg -remap netscape:"); }
void BM_MagickReadOnly(benchmark::State& state) { Magick(state, ""); }

}  // namespace

BENCHMARK(BM_OctreeNearest)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_MagickNoDither256)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_OctreeFloydSteinberg)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_MagickFloydSteinberg256)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_WebFloydSteinberg)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_MagickWebFloydSteinberg)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_AssignBitmapToFrame)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_MagickReadOnly)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

BENCHMARK_MAIN();
