// The painter's timing, loops, stops, exceptions and render threads, with a
// scripted painter that records what it is asked to paint. No Qt: this runs
// under ThreadSanitizer too.
#include "gif/VsGifPainterCore.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <stdexcept>
#include <vector>

#include "tests/platform/runtime/ThreadTestSupport.h"

namespace {

struct TPaint {
    int32_t Frame;
    uint32_t At;
    uint8_t Disposal;
    uint8_t Previous;
};

// What the painter did; read and written on the main thread only, but for
// the atomics.
struct TLog {
    std::vector<TPaint> Paints;
    std::vector<TVsGifPainterHandler> Events;
    std::atomic<int> PaintCount{0};
    std::atomic<int> Builds{0};
    std::atomic<bool> Cleaned{false};
    std::function<void(int32_t frame)> OnPaint;
    std::function<void(int32_t frame)> OnBuild;
    int Count(TVsGifPainterHandler which) const { return int(std::count(Events.begin(), Events.end(), which)); }
    std::vector<int32_t> Order() const {
        std::vector<int32_t> order;
        for (const TPaint& p : Paints) order.push_back(p.Frame);
        return order;
    }
};

class TScriptedPainter final : public TVsGifPainterCore {
public:
    TScriptedPainter(std::vector<TVsGifFrameTiming> frames, TGIFPaintOptions options, int32_t speed,
                     std::shared_ptr<TLog> log)
        : TVsGifPainterCore(std::move(frames), options, speed), FLog(std::move(log)) {
        Link()->Build = [log = FLog](int32_t frame) {
            ++log->Builds;
            if (log->OnBuild) log->OnBuild(frame);
        };
    }

protected:
    void PaintFrame(int32_t frame, uint8_t disposal, uint8_t previous) override {
        FLog->Paints.push_back({frame, timeGetTime(), disposal, previous});
        ++FLog->PaintCount;
        SetPainted();
        if (FLog->OnPaint) FLog->OnPaint(frame);
    }
    bool HasHandler(TVsGifPainterHandler) const override { return true; }
    void CallHandler(TVsGifPainterHandler which) override { FLog->Events.push_back(which); }
    void Cleanup() override {
        Link()->Build = nullptr;
        FLog->Cleaned.store(true);
    }

private:
    std::shared_ptr<TLog> FLog;
};

constexpr TGIFPaintOptions kOwn = goPaintInThread | goAnimate | goRepeatAnimation;
constexpr TGIFPaintOptions kCaller = goAnimate | goRepeatAnimation;

// Frames with these delays, their bitmaps built (no render requests).
std::vector<TVsGifFrameTiming> Frames(const std::vector<uint16_t>& delays) {
    std::vector<TVsGifFrameTiming> frames;
    for (uint16_t d : delays) {
        TVsGifFrameTiming t;
        t.Delay = d;
        t.HasBitmap = true;
        frames.push_back(t);
    }
    return frames;
}

std::vector<TVsGifFrameTiming> Looping(std::vector<TVsGifFrameTiming> frames, int32_t at, uint16_t count) {
    frames[size_t(at)].Looping = true;
    frames[size_t(at)].Loops = count;
    return frames;
}

// Runs the synchronised calls, and moves the clock to the next deadline
// whenever nothing else happens, until done (false after a real limit).
bool Drive(TManualClock& clock, const std::function<bool()>& done, int limitMs = 10000) {
    return RepeatUntil(
        done,
        [&] {
            if (!CheckSynchronize(1) && clock.Waiters() > 0) clock.AdvanceToNextDeadline();
        },
        limitMs);
}

// Plays frames to the end on the manual clock; paint times from the start.
std::shared_ptr<TLog> Play(TManualClock& clock, std::vector<TVsGifFrameTiming> frames, TGIFPaintOptions options,
                           int32_t speed, const std::function<void(TLog&, TVsGifPainterCore&)>& setup = {}) {
    auto log = std::make_shared<TLog>();
    auto* painter = new TScriptedPainter(std::move(frames), options, speed, log);
    if (setup) setup(*log, *painter);
    if (options & goPaintInThread) {
        painter->ResumePainter();
        EXPECT_TRUE(Drive(clock, [&] { return log->Cleaned.load(); }));
    } else {
        painter->RunHere();
    }
    return log;
}

std::vector<uint32_t> Times(const TLog& log, uint32_t start) {
    std::vector<uint32_t> times;
    for (const TPaint& p : log.Paints) times.push_back(p.At - start);
    return times;
}

class PainterCore : public ::testing::Test {
protected:
    void TearDown() override { VsGifShutdownRenderer(); }
};

// ---------------------------------------------------------------- timing

struct TTimingRow {
    const char* Name;
    TGIFPaintOptions Options;
    int32_t Speed;
    std::vector<uint32_t> Expected;  // paint times from the start, in ms
};

// Delays 1, 0, 5000 and 10 units. A delay of 1 shows for 3 units (36 ms), 0
// for the default 10; 5000 is cut to 1000 on the caller's thread only. The
// caller's thread waits 1 unit before the first frame, its own thread none.
// Speed 200 halves every wait; 0 or below on the caller's thread waits 12 s
// a frame; below 0 on its own thread does not wait at all.
const TTimingRow kTimingRows[] = {
    {"caller_speed_100", kCaller, 100, {12, 48, 168, 12168}},
    {"own_speed_100", kOwn, 100, {0, 36, 156, 60156}},
    {"caller_speed_200", kCaller, 200, {6, 24, 84, 6084}},
    {"own_speed_200", kOwn, 200, {0, 18, 78, 30078}},
    {"caller_speed_0", kCaller, 0, {12000, 24000, 36000, 48000}},
    {"caller_speed_negative", kCaller, -5, {12000, 24000, 36000, 48000}},
    {"own_speed_negative", kOwn, -1, {0, 0, 0, 0}},
};

class PainterTiming : public PainterCore, public ::testing::WithParamInterface<TTimingRow> {};

TEST_P(PainterTiming, WaitsAsTheDelaysAndSpeedSay) {
    const TTimingRow& row = GetParam();
    TManualClock clock(1000);
    auto log = Play(clock, Frames({1, 0, 5000, 10}), row.Options & ~goRepeatAnimation, row.Speed);
    EXPECT_EQ(Times(*log, 1000), row.Expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, PainterTiming, ::testing::ValuesIn(kTimingRows),
                         [](const auto& info) { return std::string(info.param.Name); });

// A frame drawn late shortens the next wait by its lateness; behind by more
// than a whole delay, its own thread does not wait and the caller's waits 1 ms.
TEST_F(PainterCore, LatenessShortensTheNextWait) {
    struct TRow {
        TGIFPaintOptions Options;
        uint32_t Late;
        uint32_t Gap;  // frame 1 to frame 2, in ms
    };
    for (const TRow& row : {TRow{kCaller, 50, 120}, TRow{kCaller, 300, 301}, TRow{kOwn, 50, 120}, TRow{kOwn, 300, 300}}) {
        SCOPED_TRACE(testing::Message() << "own " << (row.Options & goPaintInThread) << " late " << row.Late);
        TManualClock clock(0);
        auto log = Play(clock, Frames({10, 10, 10, 10}), row.Options & ~goRepeatAnimation, 100, [&](TLog& l, TVsGifPainterCore&) {
            l.OnPaint = [&clock, &row](int32_t frame) {
                if (frame == 1) clock.Advance(row.Late);
            };
        });
        ASSERT_EQ(log->Paints.size(), 4u);
        EXPECT_EQ(log->Paints[2].At - log->Paints[1].At, row.Gap);
        // Made up once, not paid back: the next frame keeps the pace.
        EXPECT_EQ(log->Paints[3].At - log->Paints[2].At, 120u);
    }
}

// Speed 0 on its own thread waits on its event without a limit: only a
// signal (a late render) or a stop moves it on.
TEST_F(PainterCore, SpeedZeroOnItsOwnThreadWaitsForItsEvent) {
    TManualClock clock(0);
    auto log = std::make_shared<TLog>();
    auto* painter = new TScriptedPainter(Frames({10, 10, 10}), kOwn, 0, log);
    painter->ResumePainter();
    ASSERT_TRUE(PumpUntil([&] { return log->PaintCount.load() == 1; }));
    clock.Advance(1000000);
    PumpUntil([] { return false; }, 100);
    EXPECT_EQ(log->PaintCount.load(), 1);
    painter->Link()->Event->SetEvent();
    ASSERT_TRUE(PumpUntil([&] { return log->PaintCount.load() == 2; }));
    painter->StopPainter();
    ASSERT_TRUE(PumpUntil([&] { return log->Cleaned.load(); }));
    EXPECT_EQ(log->PaintCount.load(), 2);
}

// ---------------------------------------------------------------- passes

struct TLoopRow {
    const char* Name;
    TGIFPaintOptions Options;
    std::vector<TVsGifFrameTiming> Frames;
    int StopAfterPaints;  // 0: plays to its end
    std::vector<int32_t> Order;
};

const TLoopRow kLoopRows[] = {
    {"count_3_own", kOwn, Looping(Frames({3, 3}), 0, 3), 0, {0, 1, 0, 1, 0, 1}},
    {"count_3_caller", kCaller, Looping(Frames({3, 3}), 0, 3), 0, {0, 1, 0, 1, 0, 1}},
    {"count_0_caller_plays_once", kCaller, Looping(Frames({3, 3}), 0, 0), 0, {0, 1}},
    {"count_0_own_plays_for_ever", kOwn, Looping(Frames({3, 3}), 0, 0), 10, {0, 1, 0, 1, 0, 1, 0, 1, 0, 1}},
    {"no_loop_plays_once", kOwn, Frames({3, 3}), 0, {0, 1}},
    {"repeat_forever_caller", kCaller | goRepeatForever, Frames({3, 3}), 6, {0, 1, 0, 1, 0, 1}},
    {"repeat_starts_at_the_loop_frame", kCaller, Looping(Frames({3, 3, 3}), 1, 2), 0, {0, 1, 2, 1, 2}},
    {"without_repeat_one_pass", kOwn & ~goRepeatAnimation, Looping(Frames({3, 3}), 0, 3), 0, {0, 1}},
    {"without_animate_frame_0", goPaintInThread, Looping(Frames({3, 3}), 0, 3), 0, {0}},
};

class PainterLoops : public PainterCore, public ::testing::WithParamInterface<TLoopRow> {};

TEST_P(PainterLoops, PlaysThePassesTheLoopingExtensionSays) {
    const TLoopRow& row = GetParam();
    TManualClock clock(0);
    auto log = Play(clock, row.Frames, row.Options, 100, [&](TLog& l, TVsGifPainterCore& p) {
        if (row.StopAfterPaints)
            l.OnPaint = [&l, &p, &row](int32_t) {
                if (int(l.Paints.size()) == row.StopAfterPaints) p.StopPainter();
            };
    });
    EXPECT_EQ(log->Order(), row.Order);
    const int passes = int(std::count(row.Order.begin(), row.Order.end(), row.Order.back() == 0 ? 0 : row.Order.back()));
    EXPECT_EQ(log->Count(phAnimationStart), 1);
    EXPECT_EQ(log->Count(phFramePaint), int(row.Order.size()));
    EXPECT_EQ(log->Count(phAnimationRepeat), passes - 1);
    // A stopped painter calls no more handlers.
    EXPECT_EQ(log->Count(phAnimationEnd), row.StopAfterPaints ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(Rows, PainterLoops, ::testing::ValuesIn(kLoopRows),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(PainterCore, APassEndsAtTheFirstFrameWithoutPixelsAndDisposalsFollowTheFrames) {
    TManualClock clock(0);
    auto frames = Looping(Frames({3, 3, 3, 3}), 0, 2);
    frames[1].Disposal = 3;
    frames[2].Disposal = 2;
    frames[3].Empty = true;
    for (TGIFPaintOptions options : {kOwn, kCaller}) {
        auto log = Play(clock, frames, options, 100);
        EXPECT_EQ(log->Order(), (std::vector<int32_t>{0, 1, 2, 0, 1, 2}));
        ASSERT_EQ(log->Paints.size(), 6u);
        // This frame's disposal and the one before it.
        EXPECT_EQ(log->Paints[1].Disposal, 3);
        EXPECT_EQ(log->Paints[1].Previous, 1);
        EXPECT_EQ(log->Paints[2].Previous, 3);
        EXPECT_EQ(log->Paints[3].Previous, 2);
    }
}

// ---------------------------------------------------------------- stops

// A stop during a 10-second delay ends the painter within a wait slice on the
// caller's thread and at once on its own.
TEST_F(PainterCore, AStopDuringALongDelayEndsThePainterSoon) {
    using Clock = std::chrono::steady_clock;
    for (TGIFPaintOptions options : {kCaller, kOwn}) {
        SCOPED_TRACE(options);
        auto log = std::make_shared<TLog>();
        auto* painter = new TScriptedPainter(Frames({834, 834}), options, 100, log);
        Clock::time_point stopped;
        std::atomic<bool> stopAsked{false};
        TFunctionThread stopper([&](TFunctionThread&) {
            while (log->PaintCount.load() == 0) RealSleep(1);
            RealSleep(150);
            stopped = Clock::now();
            stopAsked.store(true);
            painter->StopPainter();
        });
        stopper.Resume();
        if (options & goPaintInThread) {
            painter->ResumePainter();
            ASSERT_TRUE(PumpUntil([&] { return log->Cleaned.load(); }, 5000));
        } else {
            painter->RunHere();
        }
        ASSERT_TRUE(stopAsked.load());
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - stopped).count();
        EXPECT_LT(ms, 1000) << "a 10-second delay was not cut short";
        EXPECT_EQ(log->PaintCount.load(), 1);
        stopper.WaitFor();
    }
}

// A stop that arrives while the painter waits for a render request is not
// taken by that wait: the painter does not go on to its 10-second delay.
TEST_F(PainterCore, AStopDuringARenderRequestIsNotSwallowed) {
    auto log = std::make_shared<TLog>();
    auto frames = Frames({834, 834});
    for (auto& f : frames) f.HasBitmap = false;
    auto* painter = new TScriptedPainter(frames, kOwn, 100, log);
    log->OnBuild = [painter](int32_t) { painter->StopPainter(); };
    painter->ResumePainter();
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(PumpUntil([&] { return log->Cleaned.load(); }, 5000));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_GE(log->Builds.load(), 1);
}

// A stop that comes while the painter's next call is queued: the call does
// nothing when it runs, so a canvas freed with the stop is not drawn on.
TEST_F(PainterCore, ACallQueuedBeforeAStopDoesNothing) {
    // The calls of a painter that never waits: 1 the start, 2 frame 0's
    // handler, 3 its paint, 4 frame 1's handler, 5 its paint.
    for (int stopAt : {4, 5}) {
        SCOPED_TRACE(stopAt);
        auto queued = std::make_shared<std::atomic<int>>(0);
        TMainThreadHooks hooks;
        auto log = std::make_shared<TLog>();
        auto* painter = new TScriptedPainter(Frames({3, 3, 3}), kOwn, -1, log);
        // A painter may still be leaving its last call, holding these hooks:
        // only this one's calls count, on a counter that outlives the test.
        hooks.WakeMainThread = [queued, painter](TObject* sender) {
            if (sender == painter) ++*queued;
        };
        SetMainThreadHooks(hooks);
        painter->ResumePainter();
        for (int call = 1; call <= stopAt; ++call) {
            // The painter waits in each call until it has run.
            ASSERT_TRUE(WaitUntil([&] { return queued->load() >= call; }));
            if (call == stopAt)
                painter->StopPainter();
            else
                EXPECT_TRUE(CheckSynchronize(0));
        }
        EXPECT_TRUE(PumpUntil([&] { return log->Cleaned.load(); }));
        SetMainThreadHooks({});
        EXPECT_EQ(log->Order(), std::vector<int32_t>{0});
        EXPECT_EQ(log->Count(phFramePaint), stopAt == 4 ? 1 : 2);
        EXPECT_EQ(log->Count(phAnimationEnd), 0);
    }
}

// ---------------------------------------------------------------- exceptions

TEST_F(PainterCore, AnExceptionOnItsOwnThreadIsReportedOnTheMainThread) {
    std::vector<std::string> reported;
    TThreadID reportedOn = 0;
    TMainThreadHooks hooks;
    hooks.HandleException = [&](TObject*) {
        reportedOn = GetCurrentThreadId();
        try {
            throw;
        } catch (const std::exception& e) {
            reported.push_back(e.what());
        }
    };
    SetMainThreadHooks(hooks);
    auto log = std::make_shared<TLog>();
    log->OnPaint = [](int32_t frame) {
        if (frame == 1) throw Exception("frame 1 is broken");
    };
    auto* painter = new TScriptedPainter(Frames({3, 3, 3}), kOwn, 100, log);
    painter->ResumePainter();
    EXPECT_TRUE(PumpUntil([&] { return log->Cleaned.load(); }));
    PumpUntil([&] { return !reported.empty(); }, 1000);
    SetMainThreadHooks({});
    EXPECT_EQ(reported, std::vector<std::string>{"frame 1 is broken"});
    EXPECT_EQ(reportedOn, MainThreadID());
    EXPECT_EQ(log->PaintCount.load(), 2);
}

TEST_F(PainterCore, AnExceptionOnTheCallersThreadReachesTheCaller) {
    for (int kind = 0; kind < 2; ++kind) {
        auto log = std::make_shared<TLog>();
        log->OnPaint = [kind](int32_t frame) {
            if (frame != 1) return;
            if (kind == 0) throw Exception("frame 1 is broken");
            throw std::runtime_error("not the platform's");
        };
        auto* painter = new TScriptedPainter(Frames({3, 3, 3}), kCaller, 100, log);
        TManualClock clock(0);
        if (kind == 0)
            EXPECT_THROW(painter->RunHere(), Exception);
        else
            EXPECT_THROW(painter->RunHere(), std::runtime_error);
        // It let go of its image and freed itself either way.
        EXPECT_TRUE(log->Cleaned.load());
        EXPECT_EQ(log->Count(phAnimationEnd), 0);
    }
}

// ---------------------------------------------------------------- render threads

// A request made from a thread of its own, as a painter makes it.
struct TRequester {
    explicit TRequester(std::shared_ptr<TVsGifRenderLink> link)
        : Link(std::move(link)), Thread([this](TFunctionThread&) { Served.store(VsGifRenderRequest(Link) ? 1 : 0); }) {
        Thread.Resume();
    }
    ~TRequester() { Thread.WaitFor(); }
    std::shared_ptr<TVsGifRenderLink> Link;
    std::atomic<int> Served{-1};
    TFunctionThread Thread;
};

std::shared_ptr<TVsGifRenderLink> NewLink(std::atomic<int>& builds, int32_t frames = 2) {
    std::vector<TVsGifFrameTiming> timings(static_cast<size_t>(frames));
    auto link = std::make_shared<TVsGifRenderLink>(timings, true);
    link->ActiveFrame.store(0);
    link->Build = [&builds](int32_t) { ++builds; };
    return link;
}

TEST_F(PainterCore, AtMostFourRenderThreadsServeFiveRequests) {
    std::atomic<int> builds{0};
    std::vector<std::unique_ptr<TRequester>> requests;
    // The main thread runs no synchronised call yet: each thread that took a
    // request stays busy, so the next request makes another, up to four.
    for (int i = 0; i < 5; ++i) {
        requests.push_back(std::make_unique<TRequester>(NewLink(builds)));
        ASSERT_TRUE(WaitUntil([&] { return VsGifRenderThreadCount() >= std::min(i + 1, 4); }));
        if (i < 4) {
            ASSERT_TRUE(WaitUntil([] { return VsGifRenderQueueLength() == 0; }));
        }
        EXPECT_LE(VsGifRenderThreadCount(), 4);
    }
    // The fifth waits in the queue for one of the four.
    ASSERT_TRUE(WaitUntil([] { return VsGifRenderQueueLength() == 1; }));
    EXPECT_EQ(VsGifRenderThreadCount(), 4);
    ASSERT_TRUE(PumpUntil([&] { return builds.load() == 5; }));
    for (auto& r : requests) ASSERT_TRUE(WaitUntil([&] { return r->Served.load() >= 0; }));
    for (auto& r : requests) EXPECT_EQ(r->Served.load(), 1);
    EXPECT_EQ(VsGifRenderThreadCount(), 4);
}

TEST_F(PainterCore, IdleRenderThreadsAreReusedAndEndAfterAMinute) {
    TManualClock clock(0);
    std::atomic<int> builds{0};
    for (int i = 0; i < 3; ++i) {
        TRequester request(NewLink(builds));
        ASSERT_TRUE(PumpUntil([&] { return request.Served.load() >= 0; }));
        EXPECT_EQ(request.Served.load(), 1);
        // The one thread is idle again before the next request.
        ASSERT_TRUE(WaitUntil([&] { return clock.Waiters() == 1; }));
    }
    EXPECT_EQ(builds.load(), 3);
    EXPECT_EQ(VsGifRenderThreadCount(), 1);
    clock.Advance(RenderIdleMs - 1);
    RealSleep(20);
    EXPECT_EQ(VsGifRenderThreadCount(), 1);
    clock.Advance(1);
    EXPECT_TRUE(WaitUntil([] { return VsGifRenderThreadCount() == 0; }));
}

// A request nobody serves in time is withdrawn; a render thread that serves
// a request after its painter is gone reaches only the shared record.
TEST_F(PainterCore, ARequestOutlivesItsPainter) {
    TManualClock clock(0);
    std::atomic<int> builds{0};
    {
        // The main thread does not run the render thread's call: the wait
        // times out and the request is withdrawn or left to its thread.
        TRequester request(NewLink(builds));
        ASSERT_TRUE(WaitUntil([&] { return clock.Waiters() >= 1 && VsGifRenderQueueLength() == 0; }));
        clock.Advance(RenderWaitMs);
        ASSERT_TRUE(WaitUntil([&] { return request.Served.load() >= 0; }));
        EXPECT_EQ(request.Served.load(), 0);
        // The painter lets go of its image before the render runs.
        request.Link->Build = nullptr;
    }
    ASSERT_TRUE(PumpUntil([] { return VsGifRenderQueueLength() == 0; }));
    PumpUntil([] { return false; }, 50);
    EXPECT_EQ(builds.load(), 0);
}

// ---------------------------------------------------------------- the image going

// An image of frames that its painters read on the main thread while they
// paint and build; it goes while two painters on their own threads run, with
// render requests in flight.
struct TFakeImage {
    std::vector<std::vector<uint8_t>> Pixels;
    std::vector<TVsGifPainterCore*> Painters;
};

class TImagePainter final : public TVsGifPainterCore {
public:
    TImagePainter(TFakeImage* image, std::shared_ptr<TLog> log)
        : TVsGifPainterCore(std::vector<TVsGifFrameTiming>(image->Pixels.size()), kOwn | goRepeatForever, 100),
          FImage(image),
          FLog(std::move(log)) {
        Link()->Build = [image](int32_t frame) { image->Pixels[size_t(frame)].assign(64, uint8_t(frame)); };
    }
    void Detach() {
        FImage = nullptr;
        Link()->Build = nullptr;
    }

protected:
    void PaintFrame(int32_t frame, uint8_t, uint8_t) override {
        if (!FImage) return;
        volatile uint8_t sum = 0;
        for (uint8_t v : FImage->Pixels[size_t(frame)]) sum = uint8_t(sum + v);
        ++FLog->PaintCount;
        SetPainted();
    }
    bool HasHandler(TVsGifPainterHandler) const override { return false; }
    void CallHandler(TVsGifPainterHandler) override {}
    void Cleanup() override {
        if (FImage) {
            auto& list = FImage->Painters;
            list.erase(std::remove(list.begin(), list.end(), this), list.end());
        }
        Detach();
        FLog->Cleaned.store(true);
    }

private:
    TFakeImage* FImage;
    std::shared_ptr<TLog> FLog;
};

TEST_F(PainterCore, TheImageGoesWhileItsPaintersRun) {
    auto* image = new TFakeImage;
    image->Pixels.resize(4);
    std::vector<std::shared_ptr<TLog>> logs;
    for (int i = 0; i < 2; ++i) {
        logs.push_back(std::make_shared<TLog>());
        auto* painter = new TImagePainter(image, logs.back());
        image->Painters.push_back(painter);
        painter->ResumePainter();
    }
    ASSERT_TRUE(PumpUntil([&] { return logs[0]->PaintCount.load() > 3 && logs[1]->PaintCount.load() > 3; }, 5000));
    // The image's destructor: stop every painter, detach those still there.
    for (TVsGifPainterCore* p : image->Painters) {
        p->StopPainter();
        static_cast<TImagePainter*>(p)->Detach();
    }
    delete image;
    for (auto& log : logs) {
        EXPECT_TRUE(PumpUntil([&] { return log->Cleaned.load(); }));
    }
}

}  // namespace
