// Decode and encode of 4096 x 4096 frames against libgif on the same data:
// 256-colour noise, a smooth 256-colour picture and a 2-colour bar pattern.
// Ours: TVsGifImage load and save through memory streams. Theirs: DGifSlurp
// from memory, and EGifPutLine row by row into memory.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "gif/VsGif.h"
#include "tests/gif/GiflibOracle.h"

namespace {

constexpr int kSize = 4096;

struct Picture {
    std::vector<uint8_t> pixels;
    int bits = 8;
};

const Picture& PictureOf(int kind) {
    static std::map<int, Picture> cache;
    auto it = cache.find(kind);
    if (it != cache.end()) return it->second;
    Picture p;
    p.pixels.resize(size_t(kSize) * kSize);
    std::mt19937 rng(42);
    if (kind == 0) {
        for (auto& v : p.pixels) v = static_cast<uint8_t>(rng());
    } else if (kind == 1) {
        // Smooth: bands of one colour that drift across the rows.
        for (int y = 0; y < kSize; ++y)
            for (int x = 0; x < kSize; ++x)
                p.pixels[size_t(y) * kSize + x] = static_cast<uint8_t>(((x + (y >> 2)) >> 4) + (y >> 5));
    } else {
        // Bars of 1 to 4 pixels, the same in every row.
        p.bits = 1;
        std::vector<uint8_t> row(kSize);
        for (int x = 0, colour = 0; x < kSize; colour ^= 1)
            for (int w = 1 + static_cast<int>(rng() % 4); w > 0 && x < kSize; --w) row[size_t(x++)] = static_cast<uint8_t>(colour);
        for (int y = 0; y < kSize; ++y) std::copy(row.begin(), row.end(), p.pixels.begin() + ptrdiff_t(y) * kSize);
    }
    return cache.emplace(kind, std::move(p)).first->second;
}

std::unique_ptr<TVsGifImage> ImageOf(const Picture& p) {
    auto image = std::make_unique<TVsGifImage>();
    for (int i = 0; i < (1 << p.bits); ++i)
        image->GlobalColorMap().InsertColor(RGB(static_cast<uint8_t>(i), static_cast<uint8_t>(i), static_cast<uint8_t>(i)));
    auto* frame = new TVsGifSubImage(image.get());
    frame->SetWidth(kSize);
    frame->SetHeight(kSize);
    frame->AllocatePixels();
    std::copy(p.pixels.begin(), p.pixels.end(), frame->Data());
    image->AddFrame(frame);
    return image;
}

const std::string& TheirFile(int kind) {
    static std::map<int, std::string> cache;
    auto it = cache.find(kind);
    if (it == cache.end()) {
        const Picture& p = PictureOf(kind);
        it = cache.emplace(kind, oracle::EncodeIndices(p.pixels, kSize, kSize, p.bits)).first;
    }
    return it->second;
}

void SetLabel(benchmark::State& state, int kind) {
    static const char* names[] = {"noise256", "smooth256", "bars2"};
    state.SetLabel(names[kind]);
    state.SetBytesProcessed(int64_t(state.iterations()) * kSize * kSize);
}

void BM_DecodeOurs(benchmark::State& state) {
    const int kind = static_cast<int>(state.range(0));
    const std::string& file = TheirFile(kind);
    for (auto _ : state) {
        TVsGifImage image;
        TReadOnlyMemoryStream in(file.data(), static_cast<int64_t>(file.size()));
        image.LoadFromStream(in);
        benchmark::DoNotOptimize(image.SubImage(0)->Data());
    }
    SetLabel(state, kind);
}

void BM_DecodeGiflib(benchmark::State& state) {
    const int kind = static_cast<int>(state.range(0));
    const std::string& file = TheirFile(kind);
    for (auto _ : state) benchmark::DoNotOptimize(oracle::DecodeCount(file));
    SetLabel(state, kind);
}

void BM_EncodeOurs(benchmark::State& state) {
    const int kind = static_cast<int>(state.range(0));
    auto image = ImageOf(PictureOf(kind));
    int64_t bytes = 0;
    for (auto _ : state) {
        TMemoryStream out;
        image->SaveToStream(out);
        bytes = out.Size();
    }
    state.counters["file_bytes"] = static_cast<double>(bytes);
    SetLabel(state, kind);
}

void BM_EncodeGiflib(benchmark::State& state) {
    const int kind = static_cast<int>(state.range(0));
    const Picture& p = PictureOf(kind);
    int64_t bytes = 0;
    for (auto _ : state) bytes = static_cast<int64_t>(oracle::EncodeIndices(p.pixels, kSize, kSize, p.bits).size());
    state.counters["file_bytes"] = static_cast<double>(bytes);
    SetLabel(state, kind);
}

}  // namespace

BENCHMARK(BM_DecodeOurs)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeGiflib)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeOurs)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeGiflib)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
