// The animation painter, run as a program. 1: a 100-frame 500 x 500
// animation with delay 0 at speed -1 (no waits) on its own thread, frames
// per second and the user interface thread's CPU time per frame, the frame
// bitmaps built during the run (cold) and already built (warm), against
// ImageMagick composing the same file's frames (-coalesce) in the same run.
// 2: four animations at normal speed, CPU use of the process per animation
// over a few seconds in which they mostly wait between frames, and in which
// they only wait.
#include <sys/resource.h>
#include <time.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "gif/VsGif.h"
#include "gif/VsGifPainterCore.h"

namespace {

using Clock = std::chrono::steady_clock;

double ThreadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double ProcessCpuMs() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

// frames x size x size, each frame a shifted pattern over 256 colours, with
// a graphic control extension of the given delay.
void MakeAnimation(TVsGifImage& image, int frames, int size, uint16_t delay) {
    for (int i = 0; i < 256; ++i)
        image.GlobalColorMap().InsertColor(RGB(uint8_t(i), uint8_t(255 - i), uint8_t((i * 7) & 0xFF)));
    for (int f = 0; f < frames; ++f) {
        auto* frame = new TVsGifSubImage(&image);
        frame->SetWidth(size);
        frame->SetHeight(size);
        frame->AllocatePixels();
        for (int y = 0; y < size; ++y) {
            uint8_t* row = frame->Scanline(y);
            for (int x = 0; x < size; ++x) row[x] = uint8_t((x + 2 * y + 5 * f) ^ (y >> 3));
        }
        auto* control = new TVsGifGraphicControlExtension(frame);
        control->SetFrameDelay(delay);
        control->SetDisposalMethod(1);
        frame->Extensions().Add(control);
        image.AddFrame(frame);
    }
}

struct TRun {
    double Fps;
    double UiCpuMsPerFrame;
};

// One pass on its own thread, drawn through the composed bitmap.
TRun PlayOnce(TVsGifImage& image, TBitmap& target) {
    int painted = 0;
    bool ended = false;
    image.OnFramePaint = [&](TCustomVsGifPainter*) { ++painted; };
    image.OnAnimationEnd = [&](TCustomVsGifPainter*) { ended = true; };
    const double cpu0 = ThreadCpuMs();
    const auto start = Clock::now();
    image.Draw(*target.Canvas(), {0, 0, target.Width(), target.Height()});
    while (!ended || image.OwnPainter()) CheckSynchronize(50);
    const double wall = Seconds(start);
    const double cpu = ThreadCpuMs() - cpu0;
    image.StopPainters();
    return {painted / wall, cpu / painted};
}

double CommandSeconds(const std::string& command, int runs) {
    const auto start = Clock::now();
    for (int i = 0; i < runs; ++i)
        if (std::system(command.c_str()) != 0) return -1;
    return Seconds(start) / runs;
}

void Throughput() {
    constexpr int kFrames = 100, kSize = 500;
    TVsGifImage image;
    MakeAnimation(image, kFrames, kSize, 0);
    image.SetSpeed(-1);
    // The animation plays once: no looping extension.
    image.SetPaintOptions(DefaultPaintOptions & ~goRepeatAnimation);
    TBitmap target(kSize, kSize);
    const TRun cold = PlayOnce(image, target);
    TRun warm{0, 0};
    const int runs = 5;
    for (int i = 0; i < runs; ++i) {
        const TRun r = PlayOnce(image, target);
        warm.Fps += r.Fps / runs;
        warm.UiCpuMsPerFrame += r.UiCpuMsPerFrame / runs;
    }
    const char* tmp = std::getenv("TMPDIR");
    const std::string path = std::string(tmp && *tmp ? tmp : "/tmp") + "/varsona-gif-anim-bench.gif";
    {
        TFileStream stream(path, fmCreate);
        image.SaveToStream(stream);
    }
    const double imRead = CommandSeconds("convert-im6.q16 " + path + " null: 2>/dev/null", 3);
    const double imCoalesce = CommandSeconds("convert-im6.q16 " + path + " -coalesce null: 2>/dev/null", 3);
    std::printf("100 frames 500x500, delay 0, speed -1, own thread\n");
    std::printf("  ours, frame bitmaps built in the run: %7.1f frames/s, UI thread CPU %.2f ms/frame\n", cold.Fps,
                cold.UiCpuMsPerFrame);
    std::printf("  ours, frame bitmaps already built:    %7.1f frames/s, UI thread CPU %.2f ms/frame\n", warm.Fps,
                warm.UiCpuMsPerFrame);
    if (imRead > 0 && imCoalesce > 0) {
        std::printf("  ImageMagick -coalesce (whole run):    %7.1f frames/s (%.3f s; reading alone %.3f s)\n",
                    kFrames / imCoalesce, imCoalesce, imRead);
        std::printf("  ratio ours cold / ImageMagick: %.1fx, warm / ImageMagick: %.1fx\n", cold.Fps / (kFrames / imCoalesce),
                    warm.Fps / (kFrames / imCoalesce));
    } else {
        std::printf("  ImageMagick not available\n");
    }
    std::remove(path.c_str());
}

void Idle(uint16_t delay) {
    constexpr int kAnimations = 4;
    constexpr double kSeconds = 4.0;
    std::vector<std::unique_ptr<TVsGifImage>> images;
    std::vector<std::unique_ptr<TBitmap>> targets;
    int painted = 0;
    for (int i = 0; i < kAnimations; ++i) {
        auto image = std::make_unique<TVsGifImage>();
        // 10 frames of 100 x 100, repeating.
        MakeAnimation(*image, 10, 100, delay);
        image->SetPaintOptions(DefaultPaintOptions | goRepeatForever);
        image->OnFramePaint = [&](TCustomVsGifPainter*) { ++painted; };
        targets.push_back(std::make_unique<TBitmap>(100, 100));
        images.push_back(std::move(image));
    }
    for (int i = 0; i < kAnimations; ++i) images[i]->Draw(*targets[i]->Canvas(), {0, 0, 100, 100});
    // Let the first frames and render requests settle.
    auto start = Clock::now();
    while (Seconds(start) < 1.0) CheckSynchronize(50);
    const int painted0 = painted;
    const double cpu0 = ProcessCpuMs(), ui0 = ThreadCpuMs();
    start = Clock::now();
    while (Seconds(start) < kSeconds) CheckSynchronize(50);
    const double wall = Seconds(start) * 1e3;
    const double cpu = ProcessCpuMs() - cpu0, ui = ThreadCpuMs() - ui0;
    std::printf("%d animations, 100x100, %d ms a frame, %.0f s: %d frames painted\n", kAnimations,
                delay * DelayUnitMs, kSeconds, painted - painted0);
    std::printf("  process CPU %.1f ms (UI thread %.1f ms) in %.0f ms: %.3f%% of a core per animation (painting "
                "included), %d render threads\n",
                cpu, ui, wall, 100.0 * cpu / wall / kAnimations, VsGifRenderThreadCount());
    images.clear();
}

}  // namespace

int main() {
    Throughput();
    // Frames now and then, and only waiting (a 12 s delay).
    Idle(50);
    Idle(1000);
    return 0;
}
