// The animation painter on real canvases: disposal methods checked on
// pixels, the image going under a painter, painters on their own threads
// behind Draw, and the render threads of several animations.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>

#include "gif/VsGifPainter.h"
#include "platform/controls/Forms.h"
#include "platform/controls/ThreadHooks.h"
#include "tests/gif/GifTestUtil.h"
#include "tests/platform/runtime/ThreadTestSupport.h"

using namespace giftest;

namespace {

using Clock = std::chrono::steady_clock;

TColor Grey(int i) { return RGB(static_cast<uint8_t>(40 * i), static_cast<uint8_t>(40 * i), 7); }

struct TFrameSpec {
    int Left, Top, Width, Height;
    uint8_t Index;
    uint8_t Disposal;
    uint16_t Delay = 3;
};

// A 6 x 6 screen of one-colour frames, each with a graphic control extension.
void Build(TVsGifImage& image, const std::vector<TFrameSpec>& frames) {
    for (int i = 0; i < 4; ++i) image.GlobalColorMap().InsertColor(Grey(i));
    for (const TFrameSpec& f : frames) {
        TVsGifSubImage* frame = AddFrame(image, f.Width, f.Height, [&](int, int) { return f.Index; }, false, f.Left, f.Top);
        auto* control = new TVsGifGraphicControlExtension(frame);
        control->SetDisposalMethod(f.Disposal);
        control->SetFrameDelay(f.Delay);
        frame->Extensions().Add(control);
    }
    image.Header().SetWidth(6);
    image.Header().SetHeight(6);
}

struct TPixelCheck {
    int AfterFrame;  // 1 or 2
    int X, Y;
    TColor Color;
};

struct TDisposalRow {
    const char* Name;
    uint8_t Disposal1;
    TGIFPaintOptions Extra;
    int TargetSize;
    std::vector<TPixelCheck> Checks;
    // The animation's rectangle starts this far into a larger target.
    int Offset = 0;
};

// Frame 0 covers the screen in grey 1; frame 1 puts grey 2 at (1,1) with
// the row's disposal; frame 2 puts grey 3 at (3,3). The screen background is
// lime, the target red.
const TDisposalRow kDisposalRows[] = {
    {"restore_to_background", 2, 0, 6, {{1, 1, 1, Grey(2)}, {2, 1, 1, clLime}, {2, 2, 2, clLime}, {2, 3, 3, Grey(3)}, {2, 0, 0, Grey(1)}}},
    {"restore_to_what_lay_under", 2, goDrawTransparent, 6, {{1, 1, 1, Grey(2)}, {2, 1, 1, clRed}, {2, 3, 3, Grey(3)}, {2, 5, 5, Grey(1)}}},
    {"restore_to_background_tiled", 2, goTileDrawing, 12,
     {{1, 7, 7, Grey(2)}, {2, 1, 1, clLime}, {2, 7, 7, clLime}, {2, 1, 7, clLime}, {2, 9, 9, Grey(3)}, {2, 6, 6, Grey(1)}}},
    {"restore_to_what_lay_under_tiled", 2, goTileDrawing | goDrawTransparent, 12,
     {{2, 1, 1, clRed}, {2, 7, 7, clRed}, {2, 9, 3, Grey(3)}, {2, 11, 11, Grey(1)}}},
    {"restore_to_previous_after_none", 3, 0, 6, {{1, 1, 1, Grey(2)}, {2, 1, 1, Grey(1)}, {2, 3, 3, Grey(3)}}},
    {"no_disposal_keeps_the_frame", 1, 0, 6, {{2, 1, 1, Grey(2)}, {2, 3, 3, Grey(3)}}},
    // The frame's area is restored where it lies in the work bitmap, not at
    // its place on the target.
    {"restore_in_a_rectangle_off_the_corner", 2, 0, 6, {{2, 1, 1, clLime}, {2, 3, 3, Grey(3)}, {2, 4, 4, Grey(3)}}, 2},
};

class GifPainterDisposal : public ::testing::TestWithParam<TDisposalRow> {};

TEST_P(GifPainterDisposal, LeavesThePixelsTheDisposalSays) {
    const TDisposalRow& row = GetParam();
    TManualClock clock(0);
    TVsGifImage image;
    Build(image, {{0, 0, 6, 6, 1, 1}, {1, 1, 2, 2, 2, row.Disposal1}, {3, 3, 2, 2, 3, 1}});
    image.SetBackgroundColor(clLime);
    // On the caller's thread, straight on the target.
    image.SetPaintOptions(goAnimate | goPaintOnTarget | row.Extra);
    const int size = row.TargetSize + 2 * row.Offset, o = row.Offset;
    auto target = Target(size, size, clRed);
    std::vector<TColor> afterFirst;
    bool workKeptTheState = true;
    image.OnFramePaint = [&](TCustomVsGifPainter* p) {
        auto* painter = static_cast<TVsGifPainter*>(p);
        if (painter->ActiveFrame() != 2) return;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) afterFirst.push_back(target->Canvas()->Pixel(x, y));
        // Disposal 3 drew frame 1 straight on the canvas: the work bitmap
        // still holds the state before it.
        if (row.Disposal1 == 3) workKeptTheState = painter->WorkBitmap()->Canvas()->Pixel(1, 1) == Grey(1);
    };
    image.Draw(*target->Canvas(), {o, o, o + row.TargetSize, o + row.TargetSize});
    ASSERT_EQ(afterFirst.size(), size_t(size * size));
    for (const TPixelCheck& c : row.Checks) {
        SCOPED_TRACE(testing::Message() << "after frame " << c.AfterFrame << " at " << c.X << "," << c.Y);
        const int x = c.X + o, y = c.Y + o;
        const TColor seen = c.AfterFrame == 1 ? afterFirst[size_t(y * size + x)] : target->Canvas()->Pixel(x, y);
        EXPECT_EQ(seen, c.Color);
    }
    EXPECT_TRUE(workKeptTheState);
}

INSTANTIATE_TEST_SUITE_P(Rows, GifPainterDisposal, ::testing::ValuesIn(kDisposalRows),
                         [](const auto& info) { return std::string(info.param.Name); });

// A handler that frees the image under a painter on the caller's thread: the
// painter ends without touching the image, and Draw returns.
TEST(GifPainter, TheImageFreedUnderAPainterOnTheCallersThread) {
    TManualClock clock(0);
    auto* image = new TVsGifImage;
    Build(*image, {{0, 0, 6, 6, 1, 1}, {1, 1, 2, 2, 2, 2}, {3, 3, 2, 2, 3, 1}});
    image->SetPaintOptions(goAnimate | goRepeatAnimation | goRepeatForever);
    int paints = 0;
    image->OnFramePaint = [&](TCustomVsGifPainter* p) {
        ++paints;
        if (static_cast<TVsGifPainter*>(p)->ActiveFrame() == 1) delete image;
    };
    auto target = Target(6, 6, clRed);
    image->Draw(*target->Canvas(), {0, 0, 6, 6});
    EXPECT_EQ(paints, 2);
}

// Draw starts a painter on its own thread, waits for its first frame and
// shows the composed bitmap; the handlers run on the main thread.
TEST(GifPainter, APainterOnItsOwnThreadPlaysThroughDraw) {
    TVsGifImage image;
    Build(image, {{0, 0, 6, 6, 1, 1}, {1, 1, 2, 2, 2, 1}, {3, 3, 2, 2, 3, 1}});
    std::vector<int32_t> frames;
    bool onMain = true;
    bool ended = false;
    image.OnFramePaint = [&](TCustomVsGifPainter* p) {
        onMain = onMain && IsMainThread();
        frames.push_back(static_cast<TVsGifPainter*>(p)->ActiveFrame());
    };
    image.OnAnimationEnd = [&](TCustomVsGifPainter*) { ended = true; };
    auto target = Target(6, 6, clRed);
    image.Draw(*target->Canvas(), {0, 0, 6, 6});
    EXPECT_EQ(target->Canvas()->Pixel(0, 0), Grey(1));
    ASSERT_NE(image.OwnPainter(), nullptr);
    EXPECT_TRUE(image.OwnPainter()->InThread());
    ASSERT_TRUE(PumpUntil([&] { return image.OwnPainter() == nullptr; }));
    EXPECT_TRUE(ended);
    EXPECT_TRUE(onMain);
    EXPECT_EQ(frames, (std::vector<int32_t>{0, 1, 2}));
    // The composed bitmap holds the last state.
    image.Draw(*target->Canvas(), {0, 0, 6, 6});
    EXPECT_EQ(target->Canvas()->Pixel(1, 1), Grey(2));
    EXPECT_EQ(target->Canvas()->Pixel(3, 3), Grey(3));
}

// An exception in a handler of a painter on its own thread ends that painter
// and reaches the application's error reporting on the main thread.
TEST(GifPainter, AnExceptionOnThePaintersThreadIsReportedByTheApplication) {
    std::vector<std::string> reported;
    bool onMain = true;
    TExceptionEvent saved = Application->OnException;
    Application->OnException = [&](TObject*, const Exception& e) {
        onMain = onMain && IsMainThread();
        reported.push_back(e.Message());
    };
    {
        TVsGifImage image;
        Build(image, {{0, 0, 6, 6, 1, 1}, {1, 1, 2, 2, 2, 1}, {3, 3, 2, 2, 3, 1}});
        image.SetPaintOptions(DefaultPaintOptions | goRepeatForever);
        image.OnFramePaint = [](TCustomVsGifPainter* p) {
            if (static_cast<TVsGifPainter*>(p)->ActiveFrame() == 1) throw EVsGifError("handler failed");
        };
        auto target = Target(6, 6, clRed);
        image.Draw(*target->Canvas(), {0, 0, 6, 6});
        EXPECT_TRUE(PumpUntil([&] { return image.OwnPainter() == nullptr && !reported.empty(); }));
    }
    Application->OnException = saved;
    EXPECT_EQ(reported, std::vector<std::string>{"handler failed"});
    EXPECT_TRUE(onMain);
}

// Counts the synchronised calls that one thread queues while it lives, so
// that a test can act between a painter's call being queued and its run. A
// thread may call the hooks after they were put back: the count outlives it.
struct TQueuedCalls {
    struct TState {
        std::atomic<TObject*> Of{nullptr};
        std::atomic<int> Count{0};
    };
    TQueuedCalls() {
        TMainThreadHooks hooks;
        hooks.WakeMainThread = [state = State](TObject* sender) {
            if (sender == state->Of.load()) ++state->Count;
        };
        SetMainThreadHooks(hooks);
    }
    ~TQueuedCalls() { InstallThreadHooks(); }
    void Watch(TCustomVsGifPainter* painter) { State->Of.store(static_cast<TThread*>(static_cast<TVsGifPainter*>(painter))); }
    int Queued() const { return State->Count.load(); }
    std::shared_ptr<TState> State = std::make_shared<TState>();
};

// What lets go of the composed bitmap under a painter that has a paint queued.
struct TReleaseRow {
    const char* Name;
    std::function<void(TVsGifImage&)> Release;
};

const TReleaseRow kReleaseRows[] = {
    {"same_width", [](TVsGifImage& image) { image.SetWidth(image.Width()); }},
    {"same_height", [](TVsGifImage& image) { image.SetHeight(image.Height()); }},
    {"a_frame_that_grows_the_screen", [](TVsGifImage& image) { AddFrame(image, 8, 8, [](int, int) { return uint8_t(1); }); }},
    {"a_global_colour_map_change", [](TVsGifImage& image) { image.GlobalColorMap().InsertColor(clBlue); }},
};

class GifPainterRelease : public ::testing::TestWithParam<TReleaseRow> {};

// The paint that a painter on its own thread queued before the composed
// bitmap went runs on nothing: it does not draw.
TEST_P(GifPainterRelease, AQueuedPaintDoesNotDrawOnTheReleasedBitmap) {
    TQueuedCalls queued;
    TVsGifImage image;
    Build(image, {{0, 0, 6, 6, 1, 1, 5}, {1, 1, 2, 2, 2, 1, 5}});
    int framePaints = 0;
    int queuedAtSecond = -1;
    image.OnFramePaint = [&](TCustomVsGifPainter* painter) {
        if (++framePaints == 1) queued.Watch(painter);
        if (framePaints == 2) queuedAtSecond = queued.Queued();
    };
    auto target = Target(64, 64, clRed);
    image.Draw(*target->Canvas(), {0, 0, 64, 64});
    ASSERT_TRUE(PumpUntil([&] { return framePaints == 2; }));
    // The painter goes on from the handler to queue frame 1's paint.
    ASSERT_TRUE(WaitUntil([&] { return queued.Queued() > queuedAtSecond; }));
    ASSERT_NE(image.OwnPainter(), nullptr);
    auto* painter = static_cast<TVsGifPainter*>(image.OwnPainter());
    GetParam().Release(image);
    EXPECT_TRUE(painter->Stopped());
    for (int i = 0; i < 5; ++i) CheckSynchronize(1);
    EXPECT_TRUE(PumpUntil([&] { return image.OwnPainter() == nullptr; }));
    // Drawn again, the image starts over on a new composed bitmap.
    image.Draw(*target->Canvas(), {0, 0, 64, 64});
    EXPECT_EQ(target->Canvas()->Pixel(0, 0), Grey(1));
}

INSTANTIATE_TEST_SUITE_P(Rows, GifPainterRelease, ::testing::ValuesIn(kReleaseRows),
                         [](const auto& info) { return std::string(info.param.Name); });

// A frame whose disposal leaves nothing to draw still counts as painted:
// Draw, which waits for the first frame, returns although nothing is drawn.
TEST(GifPainter, DrawReturnsWhenTheFirstFramesDisposalDrawsNothing) {
    for (uint8_t disposal : {uint8_t(0), uint8_t(1), uint8_t(4), uint8_t(5), uint8_t(6), uint8_t(7)}) {
        SCOPED_TRACE(int(disposal));
        TVsGifImage image;
        Build(image, {{0, 0, 6, 6, 1, disposal}, {1, 1, 2, 2, 2, 3}});
        auto* loop = new TVsGifAppExtNSLoop(image.SubImage(0));
        loop->SetLoops(0);
        image.SubImage(0)->Extensions().Add(loop);
        std::atomic<TCustomVsGifPainter*> started{nullptr};
        image.OnAnimationStart = [&](TCustomVsGifPainter* p) { started.store(p); };
        // A Draw that does not come back: its painter is stopped from here
        // after a while, so that the test fails instead of hanging.
        std::atomic<bool> returned{false};
        TFunctionThread watchdog([&](TFunctionThread&) {
            for (int ms = 0; ms < 3000 && !returned.load(); ++ms) RealSleep(1);
            if (!returned.load() && started.load()) started.load()->Stop();
        });
        watchdog.Resume();
        auto target = Target(6, 6, clRed);
        const auto start = std::chrono::steady_clock::now();
        image.Draw(*target->Canvas(), {0, 0, 6, 6});
        const auto took = std::chrono::steady_clock::now() - start;
        returned.store(true);
        watchdog.WaitFor();
        EXPECT_LT(took, std::chrono::milliseconds(2000));
        ASSERT_NE(image.OwnPainter(), nullptr);
        EXPECT_FALSE(image.OwnPainter()->Stopped());
    }
}

// A handler of a painter on its own thread that frees its image, or draws
// it elsewhere: that painter cannot end before its handler returns, so
// nothing waits for it. A wait that would not end is cut short after a while
// (the application is taken to quit), so that the test fails, not hangs.
TEST(GifPainter, AHandlerOnThePaintersThreadMayFreeOrRedrawTheImage) {
    for (bool free : {true, false}) {
        SCOPED_TRACE(free ? "free" : "redraw");
        auto quit = std::make_shared<std::atomic<bool>>(false);
        TMainThreadHooks hooks;
        hooks.Terminated = [quit] { return quit->load(); };
        SetMainThreadHooks(hooks);
        auto* image = new TVsGifImage;
        Build(*image, {{0, 0, 6, 6, 1, 1}, {1, 1, 2, 2, 2, 1}, {3, 3, 2, 2, 3, 1}});
        image->SetPaintOptions(DefaultPaintOptions | goRepeatForever | (free ? 0 : goPaintOnTarget));
        auto target = Target(6, 6, clRed), other = Target(6, 6, clRed);
        int framePaints = 0;
        std::atomic<bool> inHandler{false}, handled{false};
        Clock::duration took{};
        image->OnFramePaint = [&](TCustomVsGifPainter*) {
            if (++framePaints != 2) return;
            inHandler.store(true);
            const auto start = Clock::now();
            if (free) {
                delete image;
                image = nullptr;
            } else {
                image->Draw(*other->Canvas(), {0, 0, 6, 6});
            }
            took = Clock::now() - start;
            inHandler.store(false);
            handled.store(true);
        };
        TFunctionThread watchdog([&](TFunctionThread&) {
            for (int ms = 0; ms < 3000; ++ms) {
                RealSleep(1);
                if (handled.load()) return;
            }
            quit->store(true);
        });
        image->Draw(*target->Canvas(), {0, 0, 6, 6});
        watchdog.Resume();
        EXPECT_TRUE(PumpUntil([&] { return handled.load(); }, 5000));
        watchdog.WaitFor();
        EXPECT_LT(took, std::chrono::milliseconds(2000));
        if (image) {
            // The new painter draws on the other canvas.
            EXPECT_TRUE(PumpUntil([&] { return other->Canvas()->Pixel(0, 0) == Grey(1); }));
            delete image;
        }
        InstallThreadHooks();
    }
}

// Five animations on their own threads share at most four render threads;
// destroying the images stops their painters.
TEST(GifPainter, FiveAnimationsShareAtMostFourRenderThreads) {
    std::vector<std::unique_ptr<TVsGifImage>> images;
    std::vector<std::unique_ptr<TBitmap>> targets;
    for (int i = 0; i < 5; ++i) {
        images.push_back(std::make_unique<TVsGifImage>());
        std::vector<TFrameSpec> frames;
        for (int f = 0; f < 8; ++f) frames.push_back({0, 0, 6, 6, uint8_t(f % 4), 1, 3});
        Build(*images.back(), frames);
        images.back()->SetPaintOptions(DefaultPaintOptions | goRepeatForever);
        targets.push_back(Target(6, 6, clRed));
        images.back()->Draw(*targets.back()->Canvas(), {0, 0, 6, 6});
    }
    int most = 0;
    PumpUntil(
        [&] {
            most = std::max(most, VsGifRenderThreadCount());
            return false;
        },
        400);
    EXPECT_GE(most, 1);
    EXPECT_LE(most, MaxRenderThreads);
    for (auto& image : images) EXPECT_NE(image->OwnPainter(), nullptr);
    images.clear();
}

}  // namespace
