// The animation painter's canvas side: frames drawn with their disposal
// methods through the work, previous-state and backup bitmaps, and the
// image's four handlers. The timing and threads are in VsGifPainterCore.h.
#pragma once

#include <memory>

#include "gif/VsGif.h"
#include "gif/VsGifPainterCore.h"

class TVsGifPainter final : public TVsGifPainterCore, public TCustomVsGifPainter {
public:
    // On the user interface thread, suspended. Stores itself in reference and
    // clears it there when it ends.
    TVsGifPainter(TVsGifImage& image, TCanvas& canvas, const TRect& rect, TGIFPaintOptions options,
                  TCustomVsGifPainter** reference);
    ~TVsGifPainter() override;

    TCanvas* Canvas() const override { return FCanvas; }
    TRect Rect() const override { return FRect; }
    bool InThread() const override { return OwnThread(); }
    void Resume() override { ResumePainter(); }
    void SetPriority(uint8_t priority) override;
    void Run() override { RunHere(); }
    void Stop() override { StopPainter(); }
    bool Stopped() const override { return Terminated() || Finished(); }
    bool Painted() const override { return HasPainted(); }
    bool InCall() const override { return InSynchronizedCall(); }
    void Detach() override;

    // None once the painter has let go of it. User interface thread.
    TVsGifImage* Image() const { return FImage; }
    TColor BackgroundColor() const { return FBackground; }
    // The painter's bitmaps, present only when its frames' disposals need them.
    TBitmap* WorkBitmap() const { return FWork.get(); }
    TBitmap* PreviousBitmap() const { return FPrevious.get(); }
    TBitmap* BackupBitmap() const { return FBackup.get(); }

    TGIFPainterEvent OnAnimationStart;
    TGIFPainterEvent OnFramePaint;
    TGIFPainterEvent OnAnimationRepeat;
    TGIFPainterEvent OnAnimationEnd;

protected:
    void PaintFrame(int32_t frame, uint8_t disposal, uint8_t previous) override;
    bool HasHandler(TVsGifPainterHandler which) const override;
    void CallHandler(TVsGifPainterHandler which) override;
    void Cleanup() override;

private:
    const TGIFPainterEvent& Handler(TVsGifPainterHandler which) const;
    void PaintFrameDirect(TVsGifSubImage& frame);
    void PaintFrameComposed(TVsGifSubImage& frame, uint8_t disposal, uint8_t previous);
    void RestoreFrameArea(TVsGifSubImage& frame);

    TVsGifImage* FImage;
    TCanvas* FCanvas;
    TRect FRect;
    TColor FBackground = clBlack;
    std::unique_ptr<TBitmap> FWork;
    std::unique_ptr<TBitmap> FPrevious;
    std::unique_ptr<TBitmap> FBackup;
    TCanvasDevice* FTargetDevice = nullptr;
    TCustomVsGifPainter** FReference;
};

// The factory the image starts its painters with.
TCustomVsGifPainter* MakeVsGifPainter(TVsGifImage& image, TCanvas& canvas, const TRect& rect,
                                      TGIFPaintOptions options, TCustomVsGifPainter** reference);
