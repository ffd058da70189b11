// The animation painter's timing, looping, stopping and threads, and the
// render threads that build frame bitmaps ahead. Needs only the runtime: the
// canvas side (VsGifPainter.h) paints and builds bitmaps through the hooks.
#pragma once

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <vector>

#include "gif/VsGifConsts.h"
#include "platform/runtime/SyncObjs.h"
#include "platform/runtime/Threads.h"

// What the timing needs of one frame, read on the user interface thread when
// the painter is made, so that the painter's thread never reads the image.
struct TVsGifFrameTiming {
    bool Empty = false;
    // Of the frame's first graphic control extension; 0 without one.
    uint16_t Delay = 0;
    // Of its last graphic control extension; 1 without one.
    uint8_t Disposal = 1;
    // The frame carries a looping extension, with this count.
    bool Looping = false;
    uint16_t Loops = 0;
    // Its frame bitmap exists already.
    bool HasBitmap = false;
};

// Shared by a painter and the render requests it made: a request may outlive
// its painter (it timed out, was stopped, or freed itself), so a render
// thread only ever reaches this record.
struct TVsGifRenderLink {
    TVsGifRenderLink(const std::vector<TVsGifFrameTiming>& frames, bool withEvent);

    // Auto-reset; only for a painter that waits on it between frames.
    std::unique_ptr<TEvent> Event;
    std::atomic<int32_t> ActiveFrame{-1};
    std::atomic<uint8_t> Priority{tpNormal};
    // Builds one frame's bitmap. User interface thread only; the painter
    // clears it there when it lets go of its image.
    std::function<void(int32_t frame)> Build;

    // The first frame from from on that has pixels and no bitmap yet, or -1.
    int32_t NextToBuild(int32_t from) const;
    // User interface thread: builds NextToBuild(ActiveFrame), when Build is set.
    void BuildNext();
    void MarkBuilt(int32_t frame);

private:
    std::vector<uint8_t> FEmpty;
    std::unique_ptr<std::atomic<bool>[]> FBuilt;
};

// Queues a request for link's next frame bitmap and waits up to RenderWaitMs
// for its event; false (and the request withdrawn) on a time-out. Makes a
// render thread when none is idle and fewer than MaxRenderThreads exist.
bool VsGifRenderRequest(const std::shared_ptr<TVsGifRenderLink>& link);
// Render threads alive now, and requests waiting for one.
int32_t VsGifRenderThreadCount();
int32_t VsGifRenderQueueLength();
// The unit's end: every render thread is told to end and every queued
// request's event signalled. The threads are not waited for.
void VsGifShutdownRenderer();

// The user interface thread's wait on painters: runs the synchronised calls,
// and nothing else, until done() holds, sleeping in their queue's wait in
// between, so that a painter's call and its end (a call too) wake it at once.
// False when the application was asked to quit first. Elsewhere it only
// sleeps between the looks.
bool VsGifWaitForPainters(const std::function<bool()>& done);

enum TVsGifPainterHandler : uint8_t { phAnimationStart, phFramePaint, phAnimationRepeat, phAnimationEnd };

// One animation's run. With goPaintInThread it runs on a thread of its own,
// reaches the user interface thread only through Synchronize and frees
// itself there at its end; without, RunHere plays it to its end on the
// calling thread.
class TVsGifPainterCore : public TThread {
public:
    TVsGifPainterCore(std::vector<TVsGifFrameTiming> frames, TGIFPaintOptions options, int32_t speed);

    bool OwnThread() const { return FOwnThread; }
    TGIFPaintOptions Options() const { return FOptions; }
    int32_t Speed() const { return FSpeed; }
    // -1 when not painting; any thread.
    int32_t ActiveFrame() const { return FLink->ActiveFrame.load(); }
    // A frame was drawn in this run; any thread.
    bool HasPainted() const { return FPainted.load(); }
    // User interface thread: one of its synchronised calls is running there.
    bool InSynchronizedCall() const { return FCallDepth > 0; }
    // Asks the painter to end at its next check; any thread.
    void StopPainter();
    // Starts a painter on its own thread; the others do nothing.
    void ResumePainter();
    // Without a thread of its own: plays the animation here, lets go of the
    // image, frees the painter, and raises what it kept of an exception.
    void RunHere();
    const std::shared_ptr<TVsGifRenderLink>& Link() const { return FLink; }

protected:
    void Execute() override;
    // User interface thread (through Synchronize on the painter's thread);
    // none of them runs once the painter was told to stop, even when it was
    // queued before.
    virtual void PaintFrame(int32_t frame, uint8_t disposal, uint8_t previous) = 0;
    virtual bool HasHandler(TVsGifPainterHandler which) const = 0;
    virtual void CallHandler(TVsGifPainterHandler which) = 0;
    // Once, at the end, on the user interface thread: let go of the image.
    virtual void Cleanup() = 0;
    void SetPainted() { FPainted.store(true); }

private:
    void Animate();
    void FireHandler(TVsGifPainterHandler which);
    void PrepareFrameBitmaps();
    void OnMainThread(const std::function<void()>& call);
    void Finish();

    const std::vector<TVsGifFrameTiming> FFrames;
    const TGIFPaintOptions FOptions;
    const int32_t FSpeed;
    const bool FOwnThread;
    std::shared_ptr<TVsGifRenderLink> FLink;
    std::atomic<bool> FPainted{false};
    int32_t FCallDepth = 0;  // user interface thread only
    std::exception_ptr FKept;
};
