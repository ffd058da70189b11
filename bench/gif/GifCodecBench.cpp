// Decode and encode of 4096 x 4096 frames against libgif on the same data:
// 256-colour noise, a smooth 256-colour picture and a 2-colour bar pattern.
// Ours: TVsGifImage load and save through memory streams. Theirs: DGifSlurp
// from memory, and EGifPutLine row by row into memory.
// BM_PeakMemory loads the same files, and a 24-frame animation, with both and
// gives the growth of the peak resident memory of each (the process's peak is
// reset before each load), next to the frames' pixels.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
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

// ---------------------------------------------------------------- peak memory

// kB of a field of /proc/self/status.
int64_t StatusKB(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string key = std::string(field) + ":";
    while (std::getline(status, line))
        if (line.compare(0, key.size(), key) == 0) return std::stoll(line.substr(key.size()));
    return -1;
}

// Growth of the peak resident memory while f runs, in bytes, measured in a
// child process so that no load inherits the heap another one left; a first
// run there brings in code and one-time state, the second is measured.
int64_t PeakGrowth(const std::function<void()>& f) {
    int fds[2];
    if (pipe(fds) != 0) return -1;
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        f();
        malloc_trim(0);
        {
            std::ofstream reset("/proc/self/clear_refs");
            reset << "5";  // the peak starts again from the current resident size
        }
        const int64_t before = StatusKB("VmRSS");
        f();
        const int64_t growth = (StatusKB("VmHWM") - before) * 1024;
        ssize_t written = write(fds[1], &growth, sizeof growth);
        _exit(written == sizeof growth ? 0 : 1);
    }
    close(fds[1]);
    int64_t growth = -1;
    if (child < 0 || read(fds[0], &growth, sizeof growth) != sizeof growth) growth = -1;
    close(fds[0]);
    if (child > 0) waitpid(child, nullptr, 0);
    return growth;
}

constexpr int kFrames = 24;
constexpr int kFrameSize = 1024;

// 24 frames of 1024 x 1024, each a shifted copy of the smooth picture.
const std::string& AnimationFile() {
    static const std::string file = [] {
        oracle::Image image;
        image.width = image.height = kFrameSize;
        image.colorResolution = 8;
        for (int i = 0; i < 256; ++i)
            image.globalMap.push_back({static_cast<uint8_t>(i), static_cast<uint8_t>(i), static_cast<uint8_t>(i)});
        for (int f = 0; f < kFrames; ++f) {
            oracle::Frame frame;
            frame.width = frame.height = kFrameSize;
            frame.interlaced = (f % 2) == 1;
            frame.pixels.resize(size_t(kFrameSize) * kFrameSize);
            for (int y = 0; y < kFrameSize; ++y)
                for (int x = 0; x < kFrameSize; ++x)
                    frame.pixels[size_t(y) * kFrameSize + x] = static_cast<uint8_t>(((x + f + (y >> 2)) >> 4) + (y >> 5));
            image.frames.push_back(std::move(frame));
        }
        return oracle::Encode(image);
    }();
    return file;
}

void BM_PeakMemory(benchmark::State& state) {
    const int kind = static_cast<int>(state.range(0));
    static const char* names[] = {"noise256", "smooth256", "bars2", "animation24"};
    const std::string& file = kind < 3 ? TheirFile(kind) : AnimationFile();
    const int64_t pixels = kind < 3 ? int64_t(kSize) * kSize : int64_t(kFrames) * kFrameSize * kFrameSize;
    int64_t ours = 0, fromFile = 0, theirs = 0;
    const std::string path = "/tmp/varsona-gif-bench-" + std::to_string(kind) + ".gif";
    std::ofstream(path, std::ios::binary) << file;
    for (auto _ : state) {
        ours = PeakGrowth([&] {
            TVsGifImage image;
            TReadOnlyMemoryStream in(file.data(), static_cast<int64_t>(file.size()));
            image.LoadFromStream(in);
            benchmark::DoNotOptimize(image.SubImage(0)->Data());
        });
        fromFile = PeakGrowth([&] {
            TVsGifImage image;
            TFileStream in(path, fmOpenRead | fmShareDenyWrite);
            image.LoadFromStream(in);
            benchmark::DoNotOptimize(image.SubImage(0)->Data());
        });
        theirs = PeakGrowth([&] { benchmark::DoNotOptimize(oracle::DecodeCount(file)); });
    }
    std::remove(path.c_str());
    const double mb = 1024.0 * 1024.0;
    state.counters["pixels_MB"] = static_cast<double>(pixels) / mb;
    state.counters["ours_MB"] = static_cast<double>(ours) / mb;
    state.counters["ours_file_MB"] = static_cast<double>(fromFile) / mb;
    state.counters["giflib_MB"] = static_cast<double>(theirs) / mb;
    state.counters["ratio"] = theirs > 0 ? static_cast<double>(std::max(ours, fromFile)) / static_cast<double>(theirs) : 0;
    state.SetLabel(names[kind]);
}

}  // namespace

BENCHMARK(BM_PeakMemory)->DenseRange(0, 3)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeOurs)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeGiflib)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeOurs)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeGiflib)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
