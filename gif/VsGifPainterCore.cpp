#include "gif/VsGifPainterCore.h"

#include <algorithm>
#include <chrono>
#include <deque>
#include <limits>
#include <mutex>
#include <thread>

#include "platform/runtime/SysUtils.h"

// ---------------------------------------------------------------- render link

TVsGifRenderLink::TVsGifRenderLink(const std::vector<TVsGifFrameTiming>& frames, bool withEvent)
    : FEmpty(frames.size()), FBuilt(std::make_unique<std::atomic<bool>[]>(frames.size())) {
    if (withEvent) Event = std::make_unique<TEvent>(false, false);
    for (size_t i = 0; i < frames.size(); ++i) {
        FEmpty[i] = frames[i].Empty;
        FBuilt[i].store(frames[i].HasBitmap);
    }
}

int32_t TVsGifRenderLink::NextToBuild(int32_t from) const {
    for (size_t i = static_cast<size_t>(std::max(from, 0)); i < FEmpty.size(); ++i)
        if (!FEmpty[i] && !FBuilt[i].load()) return static_cast<int32_t>(i);
    return -1;
}

void TVsGifRenderLink::BuildNext() {
    if (!Build) return;
    const int32_t frame = NextToBuild(ActiveFrame.load());
    if (frame < 0) return;
    Build(frame);
    MarkBuilt(frame);
}

void TVsGifRenderLink::MarkBuilt(int32_t frame) {
    if (frame >= 0 && static_cast<size_t>(frame) < FEmpty.size()) FBuilt[frame].store(true);
}

// ---------------------------------------------------------------- renderer

namespace {

class TRenderThread;

// Shared by the render threads, so that one still running after the unit's
// end never reaches freed state.
struct TRendererState {
    TSemaphore Semaphore{0, 0x7FFFFFFF};
    // Lock order: the queue before the thread list.
    std::mutex QueueLock;
    std::deque<std::shared_ptr<TVsGifRenderLink>> Queue;
    std::mutex ThreadLock;
    std::vector<TRenderThread*> Threads;  // the front is reused first
};

// The renderer of the process. Never freed, so that a painter thread still
// running while the program ends finds it.
struct TRendererSlot {
    std::mutex Lock;
    std::shared_ptr<TRendererState> State;
};

TRendererSlot& Slot() {
    static TRendererSlot* slot = new TRendererSlot;
    return *slot;
}

std::shared_ptr<TRendererState> CurrentRenderer() {
    std::lock_guard<std::mutex> guard(Slot().Lock);
    return Slot().State;
}

std::shared_ptr<TRendererState> Renderer() {
    std::lock_guard<std::mutex> guard(Slot().Lock);
    if (!Slot().State) Slot().State = std::make_shared<TRendererState>();
    return Slot().State;
}

class TRenderThread final : public TThread {
public:
    explicit TRenderThread(std::shared_ptr<TRendererState> renderer) : FRenderer(std::move(renderer)) {
        SetFreeOnTerminate(true);
    }
    bool Idle() const { return FIdle.load(); }

protected:
    void Execute() override {
        TRendererState& r = *FRenderer;
        while (!Terminated()) {
            if (r.Semaphore.WaitFor(RenderIdleMs) != wrSignaled) break;
            if (Terminated()) break;
            std::shared_ptr<TVsGifRenderLink> link;
            {
                std::lock_guard<std::mutex> queue(r.QueueLock);
                if (!r.Queue.empty()) {
                    FIdle.store(false);
                    link = std::move(r.Queue.front());
                    r.Queue.pop_front();
                } else {
                    FIdle.store(true);
                    std::lock_guard<std::mutex> threads(r.ThreadLock);
                    auto it = std::find(r.Threads.begin(), r.Threads.end(), this);
                    if (it != r.Threads.end()) std::rotate(r.Threads.begin(), it, it + 1);
                }
            }
            if (Terminated() || !link) continue;
            SetPriority(static_cast<TThreadPriority>(link->Priority.load()));
            try {
                Synchronize([&link] { link->BuildNext(); });
            } catch (...) {
                // The frame is built again, and its fault raised, when it is drawn.
            }
            SetPriority(tpNormal);
            if (link->Event) link->Event->SetEvent();
            link.reset();
            FIdle.store(true);
            bool more;
            {
                std::lock_guard<std::mutex> queue(r.QueueLock);
                more = !r.Queue.empty();
            }
            // A courtesy pause for the user interface thread, not a timing.
            if (more) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        std::lock_guard<std::mutex> threads(r.ThreadLock);
        r.Threads.erase(std::remove(r.Threads.begin(), r.Threads.end(), this), r.Threads.end());
    }

private:
    std::shared_ptr<TRendererState> FRenderer;
    std::atomic<bool> FIdle{true};
};

}  // namespace

bool VsGifRenderRequest(const std::shared_ptr<TVsGifRenderLink>& link) {
    if (!link || !link->Event) return false;
    std::shared_ptr<TRendererState> renderer = Renderer();
    TRendererState& r = *renderer;
    {
        std::lock_guard<std::mutex> queue(r.QueueLock);
        {
            std::lock_guard<std::mutex> threads(r.ThreadLock);
            if ((r.Threads.empty() || !r.Threads.front()->Idle()) &&
                static_cast<int32_t>(r.Threads.size()) < MaxRenderThreads) {
                auto* thread = new TRenderThread(renderer);
                r.Threads.insert(r.Threads.end(), thread);
                thread->Resume();
            }
        }
        r.Queue.push_back(link);
        r.Semaphore.Release(1);
    }
    if (link->Event->WaitFor(RenderWaitMs) == wrSignaled) return true;
    std::lock_guard<std::mutex> queue(r.QueueLock);
    r.Queue.erase(std::remove(r.Queue.begin(), r.Queue.end(), link), r.Queue.end());
    return false;
}

int32_t VsGifRenderThreadCount() {
    std::shared_ptr<TRendererState> renderer = CurrentRenderer();
    if (!renderer) return 0;
    std::lock_guard<std::mutex> threads(renderer->ThreadLock);
    return static_cast<int32_t>(renderer->Threads.size());
}

int32_t VsGifRenderQueueLength() {
    std::shared_ptr<TRendererState> renderer = CurrentRenderer();
    if (!renderer) return 0;
    std::lock_guard<std::mutex> queue(renderer->QueueLock);
    return static_cast<int32_t>(renderer->Queue.size());
}

void VsGifShutdownRenderer() {
    std::shared_ptr<TRendererState> renderer;
    {
        std::lock_guard<std::mutex> guard(Slot().Lock);
        renderer.swap(Slot().State);
    }
    if (!renderer) return;
    {
        std::lock_guard<std::mutex> threads(renderer->ThreadLock);
        for (TRenderThread* thread : renderer->Threads) thread->Terminate();
        if (!renderer->Threads.empty()) renderer->Semaphore.Release(static_cast<int32_t>(renderer->Threads.size()));
        renderer->Threads.clear();
    }
    std::lock_guard<std::mutex> queue(renderer->QueueLock);
    for (auto& link : renderer->Queue)
        if (link->Event) link->Event->SetEvent();
    renderer->Queue.clear();
}

// ---------------------------------------------------------------- painter

bool VsGifWaitForPainters(const std::function<bool()>& done) {
    const bool main = IsMainThread();
    while (!done()) {
        if (!main) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            continue;
        }
        if (ApplicationTerminated()) return false;
        CheckSynchronize(1);
    }
    return true;
}

namespace {

constexpr int64_t kForever = -2;  // a wait without limit on the painter's own thread

// a * b / c rounded, or -1 when it does not fit 32 bits.
int64_t ScaleMs(int64_t a, int64_t b, int64_t c) {
    if (c == 0) return -1;
    const int64_t p = a * b;
    const int64_t q = (p >= 0) == (c > 0) ? (p + (c > 0 ? c : -c) / 2) / c : (p - (c > 0 ? c : -c) / 2) / c;
    if (q > std::numeric_limits<int32_t>::max() || q < std::numeric_limits<int32_t>::min()) return -1;
    return q;
}

}  // namespace

TVsGifPainterCore::TVsGifPainterCore(std::vector<TVsGifFrameTiming> frames, TGIFPaintOptions options, int32_t speed)
    : FFrames(std::move(frames)),
      FOptions(options),
      FSpeed(speed),
      FOwnThread(options & goPaintInThread),
      FLink(std::make_shared<TVsGifRenderLink>(FFrames, FOwnThread && (options & goAnimate) && FFrames.size() > 1 &&
                                                             speed >= 0)) {
    if (FOwnThread) {
        SetFreeOnTerminate(true);
        OnTerminate = [this](TObject*) { Finish(); };
    }
}

void TVsGifPainterCore::StopPainter() {
    if (!FOwnThread) {
        Terminate();
        return;
    }
    // Once told, a running painter may end and free itself at once: what
    // follows the stop uses only the shared link (a suspended painter cannot
    // end before it is resumed).
    const std::shared_ptr<TVsGifRenderLink> link = FLink;
    const bool suspended = Suspended();
    Terminate();
    if (suspended) TThread::Resume();
    if (link->Event) link->Event->SetEvent();
}

void TVsGifPainterCore::ResumePainter() {
    if (FOwnThread) TThread::Resume();
}

void TVsGifPainterCore::RunHere() {
    if (FOwnThread) return;
    std::exception_ptr kept;
    try {
        if (!Terminated()) Execute();
        kept = FKept;
        Cleanup();
    } catch (...) {
        // Not the platform's kind of exception: it passes on, the painter goes.
        try {
            Cleanup();
        } catch (...) {
        }
        delete this;
        throw;
    }
    delete this;
    if (kept) std::rethrow_exception(kept);
}

// The end of a painter on its own thread, on the user interface thread: what
// it kept of an exception is reported there, never raised on its thread.
void TVsGifPainterCore::Finish() {
    Cleanup();
    if (!FKept) return;
    try {
        std::rethrow_exception(FKept);
    } catch (...) {
        ApplicationHandleException(this);
    }
}

// A call queued before a stop runs after it: the stop may have freed the
// canvas (a resized image lets go of its composed bitmap), so the call looks
// again when it runs.
void TVsGifPainterCore::OnMainThread(const std::function<void()>& call) {
    if (!FOwnThread) {
        call();
        return;
    }
    Synchronize([this, &call] {
        if (Terminated()) return;
        struct TDepth {
            int32_t& Depth;
            ~TDepth() { --Depth; }
        } depth{++FCallDepth};
        call();
    });
}

void TVsGifPainterCore::FireHandler(TVsGifPainterHandler which) {
    if (Terminated() || !HasHandler(which)) return;
    OnMainThread([this, which] { CallHandler(which); });
}

void TVsGifPainterCore::PrepareFrameBitmaps() {
    const int32_t active = ActiveFrame();
    if (FOwnThread) {
        // Without an event nobody waits for a render: the paint builds it.
        if (FLink->Event && FLink->NextToBuild(active) >= 0) VsGifRenderRequest(FLink);
        return;
    }
    if (FLink->NextToBuild(active) == active) FLink->BuildNext();
}

void TVsGifPainterCore::Execute() {
    try {
        Animate();
    } catch (const Exception&) {
        Terminate();
        FKept = std::current_exception();
    }
}

void TVsGifPainterCore::Animate() {
    const bool animate = FOptions & goAnimate;
    const int32_t count = static_cast<int32_t>(FFrames.size());
    FLink->ActiveFrame.store(0);
    FireHandler(phAnimationStart);
    FPainted.store(false);
    int32_t loopsLeft = 1;
    int32_t passStart = 0;
    bool loopSeen = false;
    uint8_t previous = 1;
    uint32_t lastTime = timeGetTime();
    int64_t lastDelay = 0;  // the last wait asked for, in real milliseconds
    int64_t wait = FOwnThread ? 0 : 1;
    while ((loopsLeft != 0 || (FOptions & goRepeatForever)) && !Terminated()) {
        FLink->ActiveFrame.store(passStart);
        if (FPainted.load()) FireHandler(phAnimationRepeat);
        while (ActiveFrame() < count && !Terminated() && !FFrames[ActiveFrame()].Empty) {
            const TVsGifFrameTiming& frame = FFrames[ActiveFrame()];
            if (wait < 1) {
                Sleep(0);
            } else {
                PrepareFrameBitmaps();
                const uint32_t now = timeGetTime();
                if (FSpeed < 1) {
                    wait = FOwnThread ? kForever : int64_t(MaxFrameDelay) * DelayUnitMs;
                } else {
                    // Lateness is measured against the wait really asked for
                    // (scaled by the speed, shortened, at least 1 ms on the
                    // caller's thread), so that the pace holds at any speed
                    // and a late frame is made up once, not paid back after.
                    const int64_t overrun = int64_t(static_cast<int32_t>(now - lastTime)) - lastDelay;
                    const int64_t planned = ScaleMs(wait * DelayUnitMs, 100, FSpeed);
                    wait = planned < 0 ? int64_t(MaxFrameDelay) * DelayUnitMs : planned - overrun;
                    lastDelay = std::max<int64_t>(wait, FOwnThread ? 0 : 1);
                }
                lastTime = now;
                if (Terminated()) break;
                if (!FOwnThread) {
                    wait = std::max<int64_t>(wait, 1);
                    while (wait > 0 && !Terminated()) {
                        const uint32_t start = timeGetTime();
                        Sleep(wait > 99 ? 100 : static_cast<uint32_t>(wait));
                        wait -= static_cast<int32_t>(timeGetTime() - start);
                        ApplicationProcessMessages();
                        if (ApplicationTerminated()) Terminate();
                    }
                } else if (FLink->Event && (wait > 0 || wait == kForever || FSpeed == 0)) {
                    const uint32_t timeout = wait == kForever ? INFINITE : static_cast<uint32_t>(std::max<int64_t>(wait, 0));
                    if (FLink->Event->WaitFor(timeout) == wrSignaled) wait = 0;
                }
            }
            if (Terminated()) break;
            FireHandler(phFramePaint);
            if (Terminated()) break;
            uint8_t disposal = frame.Disposal;
            if (frame.Looping && !loopSeen) {
                loopSeen = true;
                loopsLeft = ((frame.Loops == 0 || (FOptions & goRepeatForever)) && FOwnThread) ? -1 : frame.Loops;
                passStart = ActiveFrame();
            }
            const int32_t index = ActiveFrame();
            OnMainThread([this, index, disposal, previous] { PaintFrame(index, disposal, previous); });
            previous = disposal;
            wait = DefaultFrameDelay;
            if (!animate || Terminated()) break;
            if (frame.Delay != 0) {
                wait = std::max<int64_t>(frame.Delay, MinFrameDelay);
                if (!FOwnThread) wait = std::min<int64_t>(wait, MaxFrameDelay);
            }
            FLink->ActiveFrame.store(index + 1);
        }
        if (loopsLeft > 0) --loopsLeft;
        if (!(animate && (FOptions & goRepeatAnimation))) break;
    }
    FLink->ActiveFrame.store(-1);
    FireHandler(phAnimationEnd);
}
