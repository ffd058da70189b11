// Fifty animations on threads of their own, started, stopped, resized and
// freed in random order against an image stand-in that keeps its painters as
// the GIF image does: an own painter that paints a composed surface, a
// painter list behind its lock, the surface let go of with a stop, and a
// destructor that waits for its painters' ends. No Qt: this runs under
// ThreadSanitizer.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <vector>

#include "gif/VsGifPainterCore.h"
#include "tests/platform/runtime/ThreadTestSupport.h"

namespace {

using Clock = std::chrono::steady_clock;

// What the run did; main thread only, but for the painters still alive.
struct TCounts {
    int Draws = 0, Stops = 0, Resizes = 0, Frees = 0;
    int Starts = 0, Paints = 0, Handlers = 0, Builds = 0;
    // Paints that reached a surface already freed, and waits that gave up.
    int StaleDraws = 0, StuckWaits = 0;
    std::atomic<int> Alive{0};
};

// The composed bitmap's stand-in: the surfaces alive, by serial, so that a
// paint on a freed one is seen rather than done.
class TSurface {
public:
    TSurface() : FSerial(++Serials()) { Live()[this] = FSerial; }
    ~TSurface() { Live().erase(this); }
    TSurface(const TSurface&) = delete;
    TSurface& operator=(const TSurface&) = delete;
    uint64_t Serial() const { return FSerial; }
    static bool Alive(const TSurface* surface, uint64_t serial) {
        auto it = Live().find(surface);
        return it != Live().end() && it->second == serial;
    }
    std::vector<uint8_t> Pixels = std::vector<uint8_t>(256);

private:
    static std::map<const TSurface*, uint64_t>& Live() {
        static std::map<const TSurface*, uint64_t> live;
        return live;
    }
    static uint64_t& Serials() {
        static uint64_t serials = 0;
        return serials;
    }
    uint64_t FSerial;
};

class TStressImage;

class TStressPainter final : public TVsGifPainterCore {
public:
    TStressPainter(TStressImage& image, TSurface& surface, std::vector<TVsGifFrameTiming> frames,
                   TGIFPaintOptions options, int32_t speed, TCounts& counts);
    ~TStressPainter() override { --FCounts.Alive; }
    void Detach();

protected:
    void PaintFrame(int32_t frame, uint8_t, uint8_t) override;
    // The painter's thread asks: the answer may not read the image.
    bool HasHandler(TVsGifPainterHandler) const override { return true; }
    void CallHandler(TVsGifPainterHandler) override {
        if (FImage) ++FCounts.Handlers;
    }
    void Cleanup() override;

private:
    TStressImage* FImage;
    TSurface* FSurface;
    uint64_t FSerial;
    TCounts& FCounts;
};

class TStressImage {
public:
    TStressImage(std::mt19937& random, TCounts& counts) : FCounts(counts) {
        const int frames = 2 + int(random() % 4);
        for (int i = 0; i < frames; ++i) {
            TVsGifFrameTiming t;
            t.Delay = uint16_t(1 + random() % 6);
            t.Disposal = uint8_t(random() % 4);
            // Some frames wait for a render thread to build them.
            t.HasBitmap = random() % 3 != 0;
            FFrames.push_back(t);
        }
        if (random() % 2) {
            FFrames[0].Looping = true;
            FFrames[0].Loops = uint16_t(random() % 3);
        }
        const int32_t speeds[] = {100, 100, 100, 200, 50, 0, -1};
        FSpeed = speeds[random() % 7];
        FOptions = goPaintInThread | goAnimate | goRepeatAnimation;
        if (random() % 2) FOptions |= goRepeatForever;
        FBuilt.assign(FFrames.size(), 0);
    }

    // As the image's destructor: every painter stops and is waited for; one
    // still there is detached.
    ~TStressImage() {
        StopPainters();
        TThreadList::TLock lock(FPainters);
        for (int32_t i = 0; i < lock->Count(); ++i) static_cast<TStressPainter*>(lock->Items(i))->Detach();
    }

    // As Draw on a screen without a composed bitmap: an own painter on a new
    // one, waited for until it has shown its first frame.
    // The image holds its list's lock through that wait too; only this
    // thread ever takes it, but the sanitizer would see two images' locks
    // taken in both orders (a painter of one ends in the other's wait).
    void Draw() {
        if (FSurface) return;
        StopOwnPainter();
        FSurface = std::make_unique<TSurface>();
        auto* painter = new TStressPainter(*this, *FSurface, FFrames, FOptions, FSpeed, FCounts);
        ++FCounts.Starts;
        {
            TThreadList::TLock lock(FPainters);
            FOwn = painter;
            lock->Add(painter);
        }
        painter->ResumePainter();
        Wait([this] { return !FOwn || FOwn->Terminated() || FOwn->Finished() || FOwn->HasPainted(); });
    }

    // As a size or colour map change: the own painter is told to stop and
    // the surface goes at once.
    void ReleaseSurface() {
        {
            TThreadList::TLock lock(FPainters);
            if (FOwn) FOwn->StopPainter();
        }
        FSurface.reset();
    }

    void StopPainters() {
        Wait([this] {
            TThreadList::TLock lock(FPainters);
            for (int32_t i = lock->Count() - 1; i >= 0; --i) static_cast<TStressPainter*>(lock->Items(i))->StopPainter();
            return lock->Count() == 0;
        });
        ReleaseSurface();
    }

    void StopOwnPainter() {
        Wait([this] {
            TThreadList::TLock lock(FPainters);
            if (!FOwn) return true;
            FOwn->StopPainter();
            return false;
        });
        ReleaseSurface();
    }

    void PainterEnded(TStressPainter* painter) {
        TThreadList::TLock lock(FPainters);
        if (FOwn == painter) FOwn = nullptr;
        lock->Remove(painter);
    }

    void Build(int32_t frame) {
        FBuilt[size_t(frame)] = 1;
        ++FCounts.Builds;
    }

private:
    // The image's wait, with a real limit so that a deadlock fails the run.
    void Wait(const std::function<bool()>& done) {
        const auto limit = Clock::now() + std::chrono::seconds(10);
        VsGifWaitForPainters([&] {
            if (Clock::now() <= limit) return done();
            ++FCounts.StuckWaits;
            return true;
        });
    }

    TCounts& FCounts;
    std::vector<TVsGifFrameTiming> FFrames;
    std::vector<uint8_t> FBuilt;
    int32_t FSpeed = 100;
    TGIFPaintOptions FOptions = 0;
    TThreadList FPainters;
    TStressPainter* FOwn = nullptr;
    std::unique_ptr<TSurface> FSurface;
};

TStressPainter::TStressPainter(TStressImage& image, TSurface& surface, std::vector<TVsGifFrameTiming> frames,
                               TGIFPaintOptions options, int32_t speed, TCounts& counts)
    : TVsGifPainterCore(std::move(frames), options, speed),
      FImage(&image),
      FSurface(&surface),
      FSerial(surface.Serial()),
      FCounts(counts) {
    ++FCounts.Alive;
    Link()->Build = [&image](int32_t frame) { image.Build(frame); };
}

void TStressPainter::Detach() {
    FImage = nullptr;
    Link()->Build = nullptr;
}

void TStressPainter::PaintFrame(int32_t frame, uint8_t, uint8_t) {
    if (!FImage) return;
    if (!TSurface::Alive(FSurface, FSerial)) {
        ++FCounts.StaleDraws;
        return;
    }
    FSurface->Pixels[size_t(frame) % FSurface->Pixels.size()]++;
    ++FCounts.Paints;
    SetPainted();
}

void TStressPainter::Cleanup() {
    if (FImage) FImage->PainterEnded(this);
    Detach();
}

TEST(PainterStress, FiftyAnimationsStartedStoppedResizedAndFreedInRandomOrder) {
    constexpr int kImages = 50;
    TManualClock clock(0);
    TCounts counts;
    std::mt19937 random(20261211);
    std::vector<std::unique_ptr<TStressImage>> images;
    for (int i = 0; i < kImages; ++i) images.push_back(std::make_unique<TStressImage>(random, counts));
    const auto start = Clock::now();
    int rounds = 0;
    while (Clock::now() - start < std::chrono::seconds(3)) {
        ++rounds;
        TStressImage& image = *images[random() % kImages];
        switch (random() % 10) {
            case 0: case 1: case 2: case 3:
                ++counts.Draws;
                image.Draw();
                break;
            case 4: case 5:
                ++counts.Resizes;
                image.ReleaseSurface();
                break;
            case 6:
                ++counts.Stops;
                image.StopPainters();
                break;
            case 7:
                ++counts.Frees;
                images[random() % kImages] = std::make_unique<TStressImage>(random, counts);
                break;
            default:
                break;
        }
        CheckSynchronize(random() % 2);
        clock.Advance(random() % 12);
    }
    images.clear();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    // The render threads end after a minute without a request.
    const bool renderersEnded = RepeatUntil([] { return VsGifRenderThreadCount() == 0; },
                                            [&] {
                                                CheckSynchronize(1);
                                                clock.Advance(RenderIdleMs);
                                            },
                                            10000);
    EXPECT_TRUE(renderersEnded) << VsGifRenderThreadCount() << " render threads left";
    // Each has left its image; the last ones may still be leaving their threads.
    EXPECT_TRUE(WaitUntil([&] { return counts.Alive.load() == 0; })) << counts.Alive.load() << " painters left";
    EXPECT_EQ(counts.StaleDraws, 0);
    EXPECT_EQ(counts.StuckWaits, 0);
    EXPECT_GT(counts.Paints, 0);
    EXPECT_GT(counts.Builds, 0);
    std::printf("stress: %.1f s, %d rounds: %d draws (%d painters started), %d resizes, %d stops, %d frees; "
                "%d paints, %d handler calls, %d frame builds\n",
                seconds, rounds, counts.Draws, counts.Starts, counts.Resizes, counts.Stops, counts.Frees,
                counts.Paints, counts.Handlers, counts.Builds);
}

}  // namespace
